// The real message boxes and file dialog: captions, icons, buttons, which button Enter and
// Escape answer, and the file dialog's two filter choices.
#include "Dialogs.h"
#include "PreviewDialog.h"
#include "SafePreview.h"
#include "ShowNotesDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// What a box showed to the user.
struct TSeenBox {
    QString Caption;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QStringList Buttons;
    QString DefaultButton;
    bool Answered = false;
    bool TextAsWritten = false; // the text is not read as markup
};

// Runs ask, which opens a dialog and waits for it, and works that dialog with answer on every
// tick until it is gone: a key sent before the dialog can take it (it is not the active window
// yet) is lost, so one try is not enough. A dialog still open after giveUpMs is closed, so no
// test waits forever, and the result is false.
bool AnswerUntilGone(const std::function<void()> &ask, const std::function<void(QWidget *)> &answer,
                     int giveUpMs = 5000)
{
    QElapsedTimer waited;
    bool gaveUp = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (!waited.hasExpired(giveUpMs)) {
            answer(modal);
            return;
        }
        gaveUp = true;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
    });
    waited.start();
    poll.start(20);
    ask();
    return !gaveUp;
}

// Shows a box through ask, answers it with key and returns what was seen. Answered is false
// when the box did not take the key within seconds.
TSeenBox Answer(const std::function<void()> &ask, Qt::Key key)
{
    TSeenBox seen;
    seen.Answered = AnswerUntilGone(ask, [&seen, key](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return;
        seen = {};
        seen.Caption = box->windowTitle();
        seen.Text = box->text();
        seen.Icon = box->icon();
        seen.TextAsWritten = box->textFormat() == Qt::PlainText;
        for (QAbstractButton *button : box->buttons())
            seen.Buttons << button->text();
        seen.Buttons.sort();
        if (box->defaultButton())
            seen.DefaultButton = box->defaultButton()->text();
        QTest::keyClick(box, key);
    });
    return seen;
}

// Eats the first key presses a widget gets, as a box does before it is the active window.
class TKeyDropper : public QObject {
public:
    explicit TKeyDropper(int count) : left_(count) {}
    int Dropped = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || left_ == 0)
            return QObject::eventFilter(watched, event);
        --left_;
        ++Dropped;
        return true;
    }

private:
    int left_;
};

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    // The answering helper itself: a box that drops the first keys is still answered, and one
    // that no answer closes is closed after the limit and reported, not waited for.
    void answersComeUntilTheBoxIsGone()
    {
        QMessageBox box(QMessageBox::NoIcon, "Caption", "Text", QMessageBox::Ok);
        TKeyDropper dropper(3);
        box.installEventFilter(&dropper);
        QVERIFY(Answer([&] { box.exec(); }, Qt::Key_Return).Answered);
        QCOMPARE(dropper.Dropped, 3);

        QElapsedTimer waited;
        waited.start();
        QVERIFY(!AnswerUntilGone([&] { box.exec(); }, [](QWidget *) {}, 300));
        QVERIFY(waited.elapsed() < 3000);
        QVERIFY(!box.isVisible());
    }

    void exitQuestionIsConfirmWithYesAsDefault()
    {
        TQtDialogs dialogs;
        bool answer = true;
        const TSeenBox escape = Answer(
            [&] { answer = dialogs.AskConfirmation("Exit Tolvane RSS Editor?"); }, Qt::Key_Escape);
        QVERIFY(escape.Answered);
        QCOMPARE(escape.Caption, QString("Confirm"));
        QCOMPARE(escape.Text, QString("Exit Tolvane RSS Editor?"));
        QCOMPARE(escape.Icon, QMessageBox::Question);
        QCOMPARE(escape.Buttons, QStringList({"&No", "&Yes"}));
        QCOMPARE(escape.DefaultButton, QString("&Yes"));
        QVERIFY(!answer); // Escape answers No

        QVERIFY(Answer([&] { answer = dialogs.AskConfirmation("Exit Tolvane RSS Editor?"); },
                       Qt::Key_Return)
                    .Answered);
        QVERIFY(answer); // Enter takes the default, Yes
    }

    void deleteQuestionIsWarningWithYesAsDefault()
    {
        TQtDialogs dialogs;
        bool answer = false;
        const TSeenBox enter = Answer(
            [&] { answer = dialogs.AskWarning("Delete selected feed?"); }, Qt::Key_Return);
        QVERIFY(enter.Answered);
        QCOMPARE(enter.Caption, QString("Warning"));
        QCOMPARE(enter.Icon, QMessageBox::Warning);
        QCOMPARE(enter.Buttons, QStringList({"&No", "&Yes"}));
        QCOMPARE(enter.DefaultButton, QString("&Yes"));
        QVERIFY(answer);
        QVERIFY(Answer([&] { answer = dialogs.AskWarning("Delete selected feed?"); }, Qt::Key_Escape)
                    .Answered);
        QVERIFY(!answer);
    }

    void messagesCarryTheApplicationTitle()
    {
        TQtDialogs dialogs;
        const TSeenBox message = Answer([&] { dialogs.ShowMessage("Feeds is empty!"); }, Qt::Key_Return);
        QVERIFY(message.Answered);
        QCOMPARE(message.Caption, QString("Tolvane RSS Editor"));
        QCOMPARE(message.Text, QString("Feeds is empty!"));
        QCOMPARE(message.Icon, QMessageBox::NoIcon);
        QCOMPARE(message.Buttons, QStringList({"OK"}));
        const TSeenBox error = Answer([&] { dialogs.ShowError("Cannot open file"); }, Qt::Key_Return);
        QVERIFY(error.Answered);
        QCOMPARE(error.Caption, QString("Tolvane RSS Editor"));
        QCOMPARE(error.Icon, QMessageBox::Critical);
    }

    // A message quotes elements, titles and typed text: "<title>" is shown as it stands, in every
    // kind of box, not taken for markup that hides it and the rest of the message.
    void boxesShowTheirTextAsWritten()
    {
        TQtDialogs dialogs;
        const QString text = QStringLiteral("The selected row is a <title>, not an item: \"<b>x</b>\"");
        const std::vector<std::pair<const char *, std::function<void()>>> boxes = {
            {"message", [&] { dialogs.ShowMessage(text); }},
            {"error", [&] { dialogs.ShowError(text); }},
            {"error with details", [&] { dialogs.ShowErrorWithDetails(text, QStringLiteral("d")); }},
            {"warning", [&] { dialogs.AskWarning(text); }},
            {"caution", [&] { dialogs.AskCaution(text); }},
            {"confirmation", [&] { dialogs.AskConfirmation(text); }},
            {"save changes", [&] { dialogs.AskSaveChanges(text); }}};
        for (const auto &[kind, ask] : boxes) {
            const TSeenBox seen = Answer(ask, Qt::Key_Escape);
            QVERIFY2(seen.Answered, kind);
            QCOMPARE(seen.Text, text);
            QVERIFY2(seen.TextAsWritten, kind);
        }
    }

    // The notes dialog's "Preview Episode..." opens the preview over it with the notes as typed;
    // closed, the notes dialog is still there, and its OK gives the typed notes back.
    void notesDialogPreviewsOverItself()
    {
        TQtDialogs dialogs;
        TShowNotesText notes{QStringLiteral("<p>a</p>"), false};
        QStringList previewed;
        bool accepted = false;
        QVERIFY(AnswerUntilGone(
            [&] {
                accepted = dialogs.EditShowNotes(notes, [&](const QString &typed) {
                    TPreviewPages pages;
                    pages.EpisodeHtml = typed;
                    dialogs.ShowPreview(pages, 0);
                });
            },
            [&](QWidget *modal) {
                if (auto *preview = qobject_cast<TPreviewDialog *>(modal)) {
                    previewed << preview->EpisodeView().toPlainText();
                    preview->reject();
                } else if (auto *editor = qobject_cast<TShowNotesDialog *>(modal)) {
                    if (!previewed.isEmpty()) {
                        editor->accept();
                        return;
                    }
                    if (editor->findChild<QPlainTextEdit *>("NotesEdit")->toPlainText().contains("<p>b</p>"))
                        return; // the click is on its way
                    editor->findChild<QPlainTextEdit *>("NotesEdit")->appendPlainText("<p>b</p>");
                    // Clicked once this answer has returned: the preview's own loop must get
                    // answers from the same poll.
                    QPushButton *button = editor->findChild<QPushButton *>("PreviewButton");
                    QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
                }
            }));
        QVERIFY(accepted);
        QCOMPARE(previewed.value(0).simplified(), QStringLiteral("a b"));
        QCOMPARE(notes.Notes, QStringLiteral("<p>a</p>\n<p>b</p>"));
    }

    void fileDialogOffersXmlAndAll()
    {
        TQtDialogs dialogs;
        QStringList filters;
        QString chosen = "not asked";
        QVERIFY(AnswerUntilGone([&] { chosen = dialogs.OpenFileName("XML (*.xml);;All (*)"); },
                                [&filters](QWidget *modal) {
                                    if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                                        filters = dialog->nameFilters();
                                        dialog->reject();
                                    }
                                }));
        QCOMPARE(chosen, QString()); // cancelled
        QCOMPARE(filters, QStringList({"XML (*.xml)", "All (*)"}));
    }

    // "Save changes to ...?": Yes is the default, Escape cancels, No by its key.
    void saveChangesQuestionHasThreeAnswers()
    {
        TQtDialogs dialogs;
        const QString question = "Save changes to \"A\"?";
        std::vector<TSaveChangesAnswer> answers;
        const TSeenBox seen = Answer([&] { answers.push_back(dialogs.AskSaveChanges(question)); },
                                     Qt::Key_Return);
        QVERIFY(seen.Answered);
        QCOMPARE(seen.Caption, QString("Confirm"));
        QCOMPARE(seen.Text, question);
        QCOMPARE(seen.Buttons, QStringList({"&No", "&Yes", "Cancel"}));
        QCOMPARE(seen.DefaultButton, QString("&Yes"));
        QVERIFY(Answer([&] { answers.push_back(dialogs.AskSaveChanges(question)); }, Qt::Key_Escape)
                    .Answered);
        // The mnemonic goes through the shortcut map, which takes it only once the box is the
        // active window.
        QVERIFY(AnswerUntilGone([&] { answers.push_back(dialogs.AskSaveChanges(question)); },
                                [](QWidget *modal) { QTest::keyClick(modal, Qt::Key_N, Qt::AltModifier); }));
        QCOMPARE(answers, std::vector<TSaveChangesAnswer>({TSaveChangesAnswer::Yes,
                                                           TSaveChangesAnswer::Cancel,
                                                           TSaveChangesAnswer::No}));
    }

    // New Feed's dialog saves, asks before replacing a file and adds ".xml" to a bare name.
    void saveDialogAsksBeforeReplacing()
    {
        TQtDialogs dialogs;
        bool saving = false, confirms = false;
        QString suffix;
        QString chosen = "not asked";
        QVERIFY(AnswerUntilGone([&] { chosen = dialogs.SaveFileName("XML (*.xml);;All (*)"); },
                                [&](QWidget *modal) {
                                    if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                                        saving = dialog->acceptMode() == QFileDialog::AcceptSave;
                                        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
                                        suffix = dialog->defaultSuffix();
                                        dialog->reject();
                                    }
                                }));
        QCOMPARE(chosen, QString());
        QVERIFY(saving);
        QVERIFY(confirms);
        QCOMPARE(suffix, QString("xml"));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
