#pragma once
// A TForm1 over a temporary directory, with scripted dialogs and a fixed clock, for window
// tests that drive it with real key and mouse events on its named widgets.
#include "Clock.h"
#include "Dialogs.h"
#include "FeedCatalogue.h"
#include "FeedCommands.h"
#include "ItemDetailsDialog.h"
#include "PodcastDialog.h"
#include "PreviewDialog.h"
#include "ShowNotesDialog.h"
#include "Unit1.h"
#include "zelXMLParser2.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QToolButton>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Records every box the window shows and answers from a script. A question or a file dialog
// that the script did not expect answers No / Cancel and is recorded all the same.
class TScriptedDialogs : public TDialogs {
public:
    struct TShown {
        QString Kind; // "message", "error", "warning", "confirm", "open"
        QString Text; // the box's text, or the file dialog's filter
        QString Details = {}; // behind an error box's "Show Details..."
    };

    std::vector<TShown> Shown;
    std::deque<bool> Answers; // for AskWarning / AskConfirmation, in order
    std::deque<QString> Files; // for OpenFileName, in order; "" cancels
    std::deque<QString> SaveFiles; // for SaveFileName, in order; "" cancels
    std::deque<TSaveChangesAnswer> SaveAnswers; // for AskSaveChanges; unscripted answers No
    // Works the real details dialog (keys, clicks); the dialog's result is the answer. Unset:
    // the dialog is cancelled.
    std::function<void(TItemDetailsDialog &)> DetailsScript;
    // The same for the podcast dialog.
    std::function<void(TPodcastDialog &)> PodcastScript;

    void ShowMessage(const QString &text) override { Shown.push_back({"message", text}); }
    void ShowError(const QString &text) override { Shown.push_back({"error", text}); }
    void ShowErrorWithDetails(const QString &text, const QString &details) override
    {
        Shown.push_back({"error", text, details});
    }
    bool AskWarning(const QString &text) override { return Answer("warning", text); }
    bool AskConfirmation(const QString &text) override { return Answer("confirm", text); }
    QString OpenFileName(const QString &filter) override
    {
        Shown.push_back({"open", filter});
        if (Files.empty())
            return {};
        QString file = Files.front();
        Files.pop_front();
        return file;
    }

    QString SaveFileName(const QString &filter) override
    {
        Shown.push_back({"save", filter});
        if (SaveFiles.empty())
            return {};
        QString file = SaveFiles.front();
        SaveFiles.pop_front();
        return file;
    }
    TSaveChangesAnswer AskSaveChanges(const QString &text) override
    {
        Shown.push_back({"ask", text});
        if (SaveAnswers.empty())
            return TSaveChangesAnswer::No;
        const TSaveChangesAnswer answer = SaveAnswers.front();
        SaveAnswers.pop_front();
        return answer;
    }
    bool EditItemDetails(TItemDetailsText &details, const TItemDetailsHelp &help) override
    {
        Shown.push_back({"details", details.Guid});
        if (!DetailsScript)
            return false;
        TItemDetailsDialog dialog;
        dialog.SetDetails(details);
        dialog.SetHelp(help);
        bool refused = false;
        dialog.ShowRefusal = [&](const QString &text) {
            Shown.push_back({"error", text});
            refused = true;
        };
        dialog.show();
        DetailsScript(dialog);
        // OK refused and nothing more done: the user gives up, as after the error box.
        if (dialog.isVisible() && refused)
            dialog.reject();
        // A script that leaves the dialog open answered nothing: say so, rather than take the
        // half-worked dialog for a Cancel.
        if (dialog.isVisible()) {
            QTest::qFail("the details script left the dialog open", __FILE__, __LINE__);
            return false;
        }
        if (dialog.result() != QDialog::Accepted)
            return false;
        details = dialog.Details();
        return true;
    }

    bool EditPodcast(TShowTags &tags, const TFeedTextCodec &codec, const QString &feedUrl,
                     const TPublicUrlOf &publicUrlOf) override
    {
        Shown.push_back({"podcast", feedUrl});
        if (!PodcastScript)
            return false;
        TPodcastDialog dialog;
        dialog.SetTags(tags, codec, feedUrl);
        dialog.SetPublicUrlOf(publicUrlOf);
        dialog.show();
        PodcastScript(dialog);
        if (dialog.isVisible()) {
            QTest::qFail("the podcast script left the dialog open", __FILE__, __LINE__);
            return false;
        }
        if (dialog.result() != QDialog::Accepted)
            return false;
        tags = dialog.Tags();
        return true;
    }

    // Works the real show notes dialog; previewEpisode is what its Preview button shows.
    std::function<void(TShowNotesDialog &)> NotesScript;
    // Works each preview shown (unset: it is closed at once); every preview's pages are kept.
    std::function<void(TPreviewDialog &)> PreviewScript;
    std::vector<TPreviewPages> Previews;

    bool EditShowNotes(TShowNotesText &notes, const std::function<void(const QString &)> &previewEpisode) override
    {
        Shown.push_back({"notes", notes.Notes});
        if (!NotesScript)
            return false;
        TShowNotesDialog dialog;
        dialog.SetNotes(notes);
        dialog.SetEpisodePreview(previewEpisode);
        dialog.show();
        NotesScript(dialog);
        if (dialog.isVisible()) {
            QTest::qFail("the notes script left the dialog open", __FILE__, __LINE__);
            return false;
        }
        if (dialog.result() != QDialog::Accepted)
            return false;
        notes = dialog.Notes();
        return true;
    }

    void ShowPreview(const TPreviewPages &pages, int page) override
    {
        Shown.push_back({"preview", QString::number(page)});
        Previews.push_back(pages);
        if (!PreviewScript)
            return;
        TPreviewDialog dialog;
        dialog.SetPages(pages);
        dialog.ShowPage(page);
        dialog.show();
        PreviewScript(dialog);
        dialog.close();
    }

    // "kind: text" of every box shown, in order, for compact comparisons.
    QStringList Log() const
    {
        QStringList log;
        for (const TShown &shown : Shown)
            log << shown.Kind + ": " + shown.Text;
        return log;
    }

private:
    bool Answer(const QString &kind, const QString &text)
    {
        Shown.push_back({kind, text});
        if (Answers.empty())
            return false;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

class TFixedClock : public TClock {
public:
    // A Monday, read on a machine eight hours behind UTC.
    QDateTime Time{QDate(2007, 2, 5), QTime(14, 3, 9), QTimeZone(-8 * 3600)};
    QDateTime Now() const override { return Time; }
};

// Bytes of a feed in the layout the XML writer gives it, so that a load and save that change
// nothing give the same bytes back.
inline std::string FeedBytes(const std::string &title, const std::string &description,
                             const std::string &link, const std::string &date,
                             const std::string &encoding = "UTF-8",
                             const std::string &items = "")
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\" ?>\r\n" +
           "<rss version=\"2.0\">\r\n"
           "  <channel>\r\n"
           "    <title>" + title + "</title>\r\n"
           "    <description>" + description + "</description>\r\n"
           "    <link>" + link + "</link>\r\n"
           "    <pubDate>" + date + "</pubDate>\r\n"
           "    <lastBuildDate>" + date + "</lastBuildDate>\r\n" + items +
           "  </channel>\r\n"
           "</rss>";
}

// Feeds of the shared test corpus that hold what item commands must keep: CDATA, an enclosure
// with children, repeated extension elements, a byte-order mark, channel extensions.
inline const char *const ItemFixtureNames[] = {
    "extensions_itunes_itunes_item_summary_cdata_multi.xml", "parser_rss_issue_217_enclosure_children.xml",
    "extensions_dublincore_dublincore_item_multiple_values.xml", "parser_universal_rss_feed_bom.xml",
    "translator_rss_feed_item_fallbacks_-_rss_channel_item_extensions.xml"};

// A document read as the editor reads feeds.
inline std::unique_ptr<TzelXMLParser2> ReadFeed(const std::string &bytes)
{
    auto document = std::make_unique<TzelXMLParser2>();
    document->SetXmlCompatible(true);
    document->SetSourceText(bytes);
    DeclareUndeclaredUtf8(*document);
    return document;
}

class TWindowFixture {
public:
    QTemporaryDir Directory;
    TScriptedDialogs Dialogs;
    TFixedClock Clock;
    std::unique_ptr<TForm1> Form;

    std::string DirectoryBytes() const { return QFile::encodeName(Directory.path()).toStdString(); }
    QString PathOf(const QString &name) const { return Directory.filePath(name); }
    std::string PathBytes(const QString &name) const
    {
        return QFile::encodeName(PathOf(name)).toStdString();
    }
    QString CataloguePath() const { return PathOf(QStringLiteral("feeds.cfg")); }

    void WriteFile(const QString &name, const std::string &bytes) const
    {
        QFile file(PathOf(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
    }
    std::string ReadFile(const QString &name) const
    {
        QFile file(PathOf(name));
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }
    std::string ReadCatalogueFile() const { return ReadFile(QStringLiteral("feeds.cfg")); }

    // Writes a feed file and returns its path as the catalogue stores it.
    std::string WriteFeed(const QString &name, const std::string &bytes) const
    {
        WriteFile(name, bytes);
        return PathBytes(name);
    }

    // Writes feeds.cfg holding the given entries: {path, title, description, link, date}.
    void WriteCatalogue(const std::vector<std::vector<std::string>> &entries,
                        std::uint8_t autoDate = 1, std::uint8_t autoLink = 0) const
    {
        auto catalogue = std::make_unique<TFeedCatalogue>();
        *catalogue = {};
        SetAutoDate(*catalogue, autoDate);
        SetAutoLink(*catalogue, autoLink);
        for (const auto &entry : entries)
            AppendEntry(*catalogue, entry.at(0), entry.at(1), entry.at(2), entry.at(3), entry.at(4));
        QCOMPARE(QString::fromStdString(SaveCatalogue(*catalogue, DirectoryBytes())), QString());
    }

    // Creates the window and shows it (which fills the Feeds page).
    void Start()
    {
        Form = std::make_unique<TForm1>(DirectoryBytes(), Dialogs, Clock);
        Form->show();
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    }

    template <class T> T *Widget(const char *name) const
    {
        T *widget = Form->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget named %s", name);
        return widget;
    }
    QLineEdit *Edit(const char *name) const { return Widget<QLineEdit>(name); }
    QListWidget *List(const char *name) const { return Widget<QListWidget>(name); }
    // Any list by what every item view offers: the feed list holds its lines, the item list
    // (ListBox2) reads each from the document when it is asked for.
    QAbstractItemView *View(const char *name) const { return Widget<QAbstractItemView>(name); }
    int RowCount(const char *name) const { return View(name)->model()->rowCount(); }
    int CurrentRow(const char *name) const { return View(name)->currentIndex().row(); } // -1: none
    QString RowText(const char *name, int row) const
    {
        const QAbstractItemModel *model = View(name)->model();
        return model->data(model->index(row, 0)).toString();
    }
    QRect RowRect(const char *name, int row) const { return View(name)->visualRect(View(name)->model()->index(row, 0)); }
    void ScrollToRow(const char *name, int row) const { View(name)->scrollTo(View(name)->model()->index(row, 0)); }
    QList<int> SelectedRows(const char *name) const
    {
        QList<int> rows;
        for (const QModelIndex &index : View(name)->selectionModel()->selectedIndexes())
            rows << index.row();
        return rows;
    }
    // Makes the row current and selected, as a program does (no click).
    void SetCurrentRow(const char *name, int row) const
    {
        QAbstractItemView *view = View(name);
        view->selectionModel()->setCurrentIndex(view->model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    }
    QToolButton *Tool(const char *name) const { return Widget<QToolButton>(name); }
    QAction *Action(const char *name) const { return Widget<QAction>(name); }
    QTabWidget *Pages() const { return Widget<QTabWidget>("PageControl1"); }

    QStringList ListLines(const char *name) const
    {
        QStringList lines;
        for (int row = 0; row < RowCount(name); ++row)
            lines << RowText(name, row);
        return lines;
    }
    QStringList FeedBoxes() const
    {
        return {Edit("Edit1")->text(), Edit("Edit2")->text(), Edit("Edit3")->text(),
                Edit("Edit4")->text()};
    }

    // A left click on the middle of a list row.
    void ClickRow(const char *list, int row) const
    {
        QAbstractItemView *view = View(list);
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // A left click on a page's tab.
    void ClickTab(int index) const
    {
        QTabBar *bar = Pages()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    void Click(QAbstractButton *button) const { QTest::mouseClick(button, Qt::LeftButton); }
    // Selects the text of a box and types over it.
    void TypeInto(QLineEdit *edit, const QString &text) const
    {
        edit->setFocus();
        edit->selectAll();
        TypeText(edit, text);
    }
    // Key presses for each character, beyond Latin-1 too.
    static void TypeText(QWidget *widget, const QString &text)
    {
        for (const QChar character : text) {
            if (character.unicode() < 0x80)
                QTest::keyClick(widget, character.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character),
                                    Qt::NoModifier);
        }
    }
};
