// New Feed from the Feed menu: the file it writes, its place in the catalogue, and the item
// commands working on it at once.
#include "TextFunctions.h"
#include "TestBytes.h"
#include "WindowFixture.h"

class NewFeedTest : public QObject {
    Q_OBJECT

private slots:
    void newFeedThenItems()
    {
        TWindowFixture window;
        const std::string news = window.WriteFeed("news.xml", FeedBytes("News", "All", "http://x/", "d"));
        window.WriteCatalogue({{news, "News", "All", "http://x/", "d"}});
        window.Start();
        const std::string stamp = DateStamp(window.Clock.Time);

        // Cancelling the save dialog changes nothing.
        QTest::keyClick(window.List("ListBox1"), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"News"}));

        window.Dialogs.SaveFiles = {window.PathOf("my podcast.xml")};
        QTest::keyClick(window.List("ListBox1"), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        const std::string channel = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
                                    "<rss version=\"2.0\">\r\n"
                                    "  <channel>\r\n"
                                    "    <title>my podcast</title>\r\n"
                                    "    <description/>\r\n"
                                    "    <link/>\r\n"
                                    "    <pubDate>" + stamp + "</pubDate>\r\n"
                                    "    <lastBuildDate>" + stamp + "</lastBuildDate>\r\n";
        COMPARE_BYTES(window.ReadFile("my podcast.xml"), channel + "  </channel>\r\n</rss>");
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"News", "my podcast"}));
        QCOMPARE(window.List("ListBox1")->currentRow(), 1);
        QCOMPARE(window.FeedBoxes(), QStringList({"my podcast", "", "", QString::fromStdString(stamp)}));
        QCOMPARE(window.Dialogs.Log(), QStringList({"save: XML (*.xml);;All (*)", "save: XML (*.xml);;All (*)"}));

        // Add item works on it straight away.
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_N, Qt::ControlModifier);
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_N, Qt::ControlModifier);
        COMPARE_BYTES(window.ReadFile("my podcast.xml"),
                      channel +
                          "    <item>\r\n      <title>(untitled)</title>\r\n"
                          "      <description> </description>\r\n      <link> </link>\r\n"
                          "      <pubDate>" + stamp + "</pubDate>\r\n    </item>\r\n"
                          "    <item>\r\n      <title>(untitled)</title>\r\n"
                          "      <description/>\r\n      <link/>\r\n"
                          "      <pubDate>" + stamp + "</pubDate>\r\n    </item>\r\n"
                          "  </channel>\r\n</rss>");
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"(untitled)", "(untitled)"}));
        QCOMPARE(window.Dialogs.Shown.size(), size_t(2));

        // A listed file chosen again (the dialog has asked before replacing it) keeps its line.
        window.ClickTab(0);
        window.Dialogs.SaveFiles = {window.PathOf("news.xml")};
        QTest::keyClick(window.List("ListBox1"), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"news", "my podcast"}));
        QCOMPARE(window.List("ListBox1")->currentRow(), 0);
        QVERIFY(window.ReadFile("news.xml").find("<title>news</title>") != std::string::npos);
    }
};

QTEST_MAIN(NewFeedTest)
#include "NewFeedTest.moc"
