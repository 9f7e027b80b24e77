// No typed edit is dropped without a word: choosing another item, changing pages and exiting
// ask "Save changes to ...?", and each answer does what it says to the feed file.
#include "TextFunctions.h"
#include "TestBytes.h"
#include "WindowFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QWheelEvent>

#include <csignal>
#include <sys/resource.h>

namespace {

std::string Item(const std::string &title, const std::string &date = "p")
{
    return "    <item>\r\n      <title>" + title + "</title>\r\n      <description>d</description>\r\n"
           "      <link>l</link>\r\n      <pubDate>" + date + "</pubDate>\r\n    </item>\r\n";
}

// The rows the list reports as selected to assistive technology.
QList<int> AccessibleSelectedRows(QWidget *list)
{
    QList<int> rows;
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(list);
    if (accessible && accessible->tableInterface())
        for (QAccessibleInterface *cell : accessible->tableInterface()->selectedCells())
            rows << cell->tableCellInterface()->rowIndex();
    return rows;
}

} // namespace

class UnsavedEditsTest : public QObject {
    Q_OBJECT

private slots:
    void asksBeforeTypedEditsGo()
    {
        TWindowFixture window;
        const std::string original = FeedBytes("News", "All", "http://x/", "d", "UTF-8", Item("A") + Item("B"));
        const std::string path = window.WriteFeed("feed.xml", original);
        window.WriteCatalogue({{path, "News", "All", "http://x/", "d"}});
        window.Start();
        window.ClickTab(1);
        QLineEdit *title = window.Edit("Edit5");
        const std::string stamp = DateStamp(window.Clock.Time);

        // Cancel: the row, the typed text and the file stay.
        window.TypeInto(title, "A2");
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Cancel};
        window.ClickRow("ListBox2", 1);
        QCOMPARE(window.CurrentRow("ListBox2"), 0);
        // The row lit and the row a screen reader reads as selected are the typing's row too.
        QCOMPARE(window.SelectedRows("ListBox2"), QList<int>({0}));
        QCOMPARE(AccessibleSelectedRows(window.View("ListBox2")), QList<int>({0}));
        QCOMPARE(title->text(), QString("A2"));
        COMPARE_BYTES(window.ReadFile("feed.xml"), original);

        // No: the other item shows, the typing is gone, the file stays.
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::No};
        window.ClickRow("ListBox2", 1);
        QCOMPARE(title->text(), QString("B"));
        window.ClickRow("ListBox2", 0);
        QCOMPARE(title->text(), QString("A"));
        COMPARE_BYTES(window.ReadFile("feed.xml"), original);

        // Yes: saved as Save item saves, then the other item shows.
        window.TypeInto(title, "A3");
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Yes};
        window.ClickRow("ListBox2", 1);
        QCOMPARE(window.CurrentRow("ListBox2"), 1);
        QCOMPARE(title->text(), QString("B"));
        COMPARE_BYTES(window.ReadFile("feed.xml"),
                      FeedBytes("News", "All", "http://x/", "d", "UTF-8", Item("A3", stamp) + Item("B")));
        QCOMPARE(window.Dialogs.Log(), QStringList({"ask: Save changes to \"A\"?",
                                                    "ask: Save changes to \"A\"?",
                                                    "ask: Save changes to \"A\"?"}));

        // Commands that refresh the list never ask; leaving the page with edits does.
        QTest::keyClick(title, Qt::Key_Insert);
        QCOMPARE(window.Dialogs.Shown.size(), size_t(3));
        const std::string cloned = window.ReadFile("feed.xml");
        window.TypeInto(title, "B2");
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Cancel};
        window.ClickTab(0);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::No};
        window.ClickTab(0);
        QCOMPARE(window.Pages()->currentIndex(), 0);
        COMPARE_BYTES(window.ReadFile("feed.xml"), cloned);

        // The Feeds page's boxes: Yes on the way to the Items page runs Save Feed.
        window.TypeInto(window.Edit("Edit1"), "Renamed");
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Yes};
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        QVERIFY(window.ReadFile("feed.xml").find("<title>Renamed</title>") != std::string::npos);
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"Renamed"}));

        // Exiting: after "Exit ...?" the edits are asked about; Cancel keeps the window open.
        window.TypeInto(title, "late");
        window.Dialogs.Answers = {true};
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Cancel};
        window.Form->close();
        QVERIFY(window.Form->isVisible());
        QCOMPARE(window.Dialogs.Log().mid(3),
                 QStringList({"ask: Save changes to \"B\"?", "ask: Save changes to \"B\"?",
                              "ask: Save changes to \"News\"?", "confirm: Exit Tolvane RSS Editor?",
                              "ask: Save changes to \"A3\"?"}));
        QCOMPARE(title->text(), QString("late"));
    }

    // The question keeps the page on the feed the user was on; a Save Feed the file refuses
    // leaves the typing pending; the date buttons' stamps count as typing; the wheel over the
    // tabs turns no page; Ctrl+S saves an item on its release.
    void questionAndRefusalsKeepThePageWhereTheUserWas()
    {
        TWindowFixture window;
        std::vector<std::vector<std::string>> entries;
        for (const std::string name : {"one", "two", "three"}) {
            // The first feed is larger than the list file, so a file size limit can stop its save alone.
            const std::string padding = name == "one" ? "<!--" + std::string(1 << 20, 'x') + "-->\r\n" : "";
            const std::string path = window.WriteFeed(QString::fromStdString(name + ".xml"),
                                                      FeedBytes(name, "All", "http://x/", "d", "UTF-8",
                                                                Item(name + " item") + padding));
            entries.push_back({path, name, "All", "http://x/", "d"});
        }
        window.WriteCatalogue(entries);
        window.Start();

        // Yes on the way to the Items page saves the third feed and lists its items.
        window.ClickRow("ListBox1", 2);
        window.TypeInto(window.Edit("Edit1"), "three!");
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Yes};
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"three item"}));
        QCOMPARE(window.List("ListBox1")->currentRow(), 2);
        QVERIFY(window.ReadFile("three.xml").find("<title>three!</title>") != std::string::npos);

        // A wheel notch over the tabs leaves the page; Ctrl+S saves when it is let go.
        QTabBar *tabs = window.Pages()->tabBar();
        QWheelEvent notch(QPointF(tabs->tabRect(0).center()), QPointF(tabs->mapToGlobal(tabs->tabRect(0).center())),
                          QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(tabs, &notch);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        window.TypeInto(window.Edit("Edit5"), "saved on release");
        const std::string unsaved = window.ReadFile("three.xml");
        QTest::keyPress(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
        COMPARE_BYTES(window.ReadFile("three.xml"), unsaved);
        QTest::keyRelease(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(window.ReadFile("three.xml").find("<title>saved on release</title>") != std::string::npos);

        // A stamp from "< Set Date" alone is an edit: choosing another item asks.
        window.Click(window.Tool("SpeedButton5")); // a second row
        window.Widget<QCheckBox>("CheckBox1")->setChecked(false);
        window.Click(window.Widget<QPushButton>("Button2"));
        window.Clock.Time = window.Clock.Time.addDays(1);
        window.Click(window.Widget<QPushButton>("Button2"));
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Cancel};
        window.Dialogs.Shown.clear();
        window.ClickRow("ListBox2", 1);
        QCOMPARE(window.Dialogs.Log(), QStringList({"ask: Save changes to \"saved on release\"?"}));
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::No};
        window.ClickTab(0);
        QCOMPARE(window.Pages()->currentIndex(), 0);

        // The same for a date typed on the Feeds page, and for "Set Date".
        for (const bool typed : {true, false}) {
            window.Dialogs.Shown.clear();
            window.ClickRow("ListBox1", 0);
            if (typed)
                window.TypeInto(window.Edit("Edit4"), "Mon, 5 Feb 2007 00:00:00 GMT");
            else
                window.Click(window.Widget<QPushButton>("Button1"));
            window.Dialogs.SaveAnswers = {TSaveChangesAnswer::No};
            window.ClickRow("ListBox1", 1);
            QCOMPARE(window.Dialogs.Log(), QStringList({"ask: Save changes to \"one\"?"}));
        }

        // Save Feed whose write fails (a file size limit stands for a full disk): nothing is
        // stored, not even in the feed list, and the typing stays typing.
        window.ClickRow("ListBox1", 0);
        const std::string before = window.ReadFile("one.xml");
        const std::string catalogue = window.ReadCatalogueFile();
        QVERIFY(before.size() > catalogue.size() + 4096);
        window.TypeInto(window.Edit("Edit3"), "http://x/new");
        window.Dialogs.Shown.clear();
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = catalogue.size() + 4096;
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limited);
        window.Click(window.Tool("BitBtn1"));
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, SIG_DFL);
        QCOMPARE(window.Dialogs.Log(), QStringList({"error: Cannot write file \"" + window.PathOf("one.xml") +
                                                    "\". File too large"}));
        COMPARE_BYTES(window.ReadFile("one.xml"), before);
        COMPARE_BYTES(window.ReadCatalogueFile(), catalogue);
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Cancel};
        window.ClickRow("ListBox1", 1);
        QCOMPARE(window.Dialogs.Log().last(), QString("ask: Save changes to \"one\"?"));
        window.Action("Undo1")->trigger();
        QCOMPARE(window.Edit("Edit3")->text(), QString("http://x/"));
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"one", "two", "three!"}));
        COMPARE_BYTES(window.ReadFile("one.xml"), before);
    }
};

QTEST_MAIN(UnsavedEditsTest)
#include "UnsavedEditsTest.moc"
