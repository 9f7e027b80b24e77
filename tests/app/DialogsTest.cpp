// The real message boxes and file dialog: captions, icons, buttons, which button Enter and
// Escape answer, and the file dialog's two filter choices.
#include "Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
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
};

// Runs work once, when the dialog that the caller opens next is showing.
void WhenModalShows(QTimer &poll, const std::function<void(QWidget *)> &work)
{
    QObject::connect(&poll, &QTimer::timeout, &poll, [&poll, work] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll.stop();
        work(modal);
    });
    poll.start(10);
}

// Shows a box through ask, answers it with key and returns what was seen.
TSeenBox Answer(const std::function<void()> &ask, Qt::Key key)
{
    TSeenBox seen;
    QTimer poll;
    WhenModalShows(poll, [&seen, key](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return;
        seen.Caption = box->windowTitle();
        seen.Text = box->text();
        seen.Icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            seen.Buttons << button->text();
        seen.Buttons.sort();
        if (box->defaultButton())
            seen.DefaultButton = box->defaultButton()->text();
        QTest::keyClick(box, key);
    });
    ask();
    return seen;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void exitQuestionIsConfirmWithYesAsDefault()
    {
        TQtDialogs dialogs;
        bool answer = true;
        const TSeenBox escape = Answer(
            [&] { answer = dialogs.AskConfirmation("Exit Tolvane RSS Editor?"); }, Qt::Key_Escape);
        QCOMPARE(escape.Caption, QString("Confirm"));
        QCOMPARE(escape.Text, QString("Exit Tolvane RSS Editor?"));
        QCOMPARE(escape.Icon, QMessageBox::Question);
        QCOMPARE(escape.Buttons, QStringList({"&No", "&Yes"}));
        QCOMPARE(escape.DefaultButton, QString("&Yes"));
        QVERIFY(!answer); // Escape answers No

        Answer([&] { answer = dialogs.AskConfirmation("Exit Tolvane RSS Editor?"); },
               Qt::Key_Return);
        QVERIFY(answer); // Enter takes the default, Yes
    }

    void deleteQuestionIsWarningWithYesAsDefault()
    {
        TQtDialogs dialogs;
        bool answer = false;
        const TSeenBox enter = Answer(
            [&] { answer = dialogs.AskWarning("Delete selected feed?"); }, Qt::Key_Return);
        QCOMPARE(enter.Caption, QString("Warning"));
        QCOMPARE(enter.Icon, QMessageBox::Warning);
        QCOMPARE(enter.Buttons, QStringList({"&No", "&Yes"}));
        QCOMPARE(enter.DefaultButton, QString("&Yes"));
        QVERIFY(answer);
        Answer([&] { answer = dialogs.AskWarning("Delete selected feed?"); }, Qt::Key_Escape);
        QVERIFY(!answer);
    }

    void messagesCarryTheApplicationTitle()
    {
        TQtDialogs dialogs;
        const TSeenBox message = Answer([&] { dialogs.ShowMessage("Feeds is empty!"); }, Qt::Key_Return);
        QCOMPARE(message.Caption, QString("Tolvane RSS Editor"));
        QCOMPARE(message.Text, QString("Feeds is empty!"));
        QCOMPARE(message.Icon, QMessageBox::NoIcon);
        QCOMPARE(message.Buttons, QStringList({"OK"}));
        const TSeenBox error = Answer([&] { dialogs.ShowError("Cannot open file"); }, Qt::Key_Return);
        QCOMPARE(error.Caption, QString("Tolvane RSS Editor"));
        QCOMPARE(error.Icon, QMessageBox::Critical);
    }

    void fileDialogOffersXmlAndAll()
    {
        TQtDialogs dialogs;
        QStringList filters;
        QTimer poll;
        WhenModalShows(poll, [&filters](QWidget *modal) {
            if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                filters = dialog->nameFilters();
                dialog->reject();
            }
        });
        QCOMPARE(dialogs.OpenFileName("XML (*.xml);;All (*)"), QString()); // cancelled
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
        QCOMPARE(seen.Caption, QString("Confirm"));
        QCOMPARE(seen.Text, question);
        QCOMPARE(seen.Buttons, QStringList({"&No", "&Yes", "Cancel"}));
        QCOMPARE(seen.DefaultButton, QString("&Yes"));
        Answer([&] { answers.push_back(dialogs.AskSaveChanges(question)); }, Qt::Key_Escape);
        QTimer poll;
        WhenModalShows(poll, [](QWidget *modal) { QTest::keyClick(modal, Qt::Key_N, Qt::AltModifier); });
        answers.push_back(dialogs.AskSaveChanges(question));
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
        QTimer poll;
        WhenModalShows(poll, [&](QWidget *modal) {
            if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                saving = dialog->acceptMode() == QFileDialog::AcceptSave;
                confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
                suffix = dialog->defaultSuffix();
                dialog->reject();
            }
        });
        QCOMPARE(dialogs.SaveFileName("XML (*.xml);;All (*)"), QString());
        QVERIFY(saving);
        QVERIFY(confirms);
        QCOMPARE(suffix, QString("xml"));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
