// No typed edit is dropped without a word: choosing another item, changing pages and exiting
// ask "Save changes to ...?", and each answer does what it says to the feed file.
#include "TextFunctions.h"
#include "WindowFixture.h"

#define COMPARE_BYTES(actual, expected) \
    QCOMPARE(QByteArray::fromStdString(actual), QByteArray::fromStdString(expected))

namespace {

std::string Item(const std::string &title, const std::string &date = "p")
{
    return "    <item>\r\n      <title>" + title + "</title>\r\n      <description>d</description>\r\n"
           "      <link>l</link>\r\n      <pubDate>" + date + "</pubDate>\r\n    </item>\r\n";
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
        QListWidget *items = window.List("ListBox2");
        const std::string stamp = DateStamp(window.Clock.Time);

        // Cancel: the row, the typed text and the file stay.
        window.TypeInto(title, "A2");
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Cancel};
        window.ClickRow("ListBox2", 1);
        QCOMPARE(items->currentRow(), 0);
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
        QCOMPARE(items->currentRow(), 1);
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
};

QTEST_MAIN(UnsavedEditsTest)
#include "UnsavedEditsTest.moc"
