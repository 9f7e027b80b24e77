// Feed > Check Feed in the window: the key the menu gives it, the findings dialog, and a
// double click on an item's finding that shows the item on the Items page.
#include "WindowFixture.h"

#include <QDialog>
#include <QLabel>

class FeedCheckHandlerTest : public QObject {
    Q_OBJECT

private slots:
    void findingsLeadToTheItem()
    {
        TWindowFixture window;
        const std::string items = "    <item>\r\n      <title>First</title>\r\n    </item>\r\n"
                                  "    <item>\r\n      <title>Second</title>\r\n"
                                  "      <pubDate>Mon, 32 Foo 2007</pubDate>\r\n    </item>\r\n"
                                  "    <item>\r\n      <title>Third</title>\r\n    </item>\r\n";
        const std::string path = window.WriteFeed(
            "news.xml", FeedBytes("News", "All the news", "/news", "Sun, 4 Feb 2007 10:00:00 -0800",
                                  "UTF-8", items));
        window.WriteCatalogue({{path, "News", "All the news", "/news", "Sun, 4 Feb 2007"}});
        window.Start();

        // F7 anywhere on the Feeds page runs Feed > Check Feed.
        QTest::keyClick(window.Edit("Edit1"), Qt::Key_F7);
        auto *dialog = window.Form->findChild<QDialog *>("FeedCheckDialog");
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QString("Check Feed - News"));
        QCOMPARE(dialog->findChild<QLabel *>("SummaryLabel")->text(),
                 QString("2 errors, 0 warnings. Double-click an item's line to show the item."));
        auto *list = dialog->findChild<QListWidget *>("FindingsList");
        QStringList lines;
        for (int row = 0; row < list->count(); ++row)
            lines << list->item(row)->text();
        QCOMPARE(lines, QStringList({"channel: error: link \"/news\" is not an absolute URL",
                                     "item 2 \"Second\": error: pubDate \"Mon, 32 Foo 2007\" is not "
                                     "an RFC 822 date"}));

        const auto doubleClick = [list](int row) {
            const QPoint middle = list->visualItemRect(list->item(row)).center();
            // A real double click: press and release, then the second press as a double click.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, middle);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, middle);
        };
        doubleClick(0); // the channel's finding has no item to show
        QCOMPARE(window.Pages()->currentIndex(), 0);
        doubleClick(1);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        QCOMPARE(window.CurrentRow("ListBox2"), 1);
        QCOMPARE(window.Edit("Edit5")->text(), QString("Second"));
        QCOMPARE(window.Edit("Edit8")->text(), QString("Mon, 32 Foo 2007"));
        QVERIFY(window.Dialogs.Shown.empty());
        QCOMPARE(window.ReadFile("news.xml"), FeedBytes("News", "All the news", "/news",
                                                        "Sun, 4 Feb 2007 10:00:00 -0800", "UTF-8",
                                                        items)); // checking changes nothing
    }
};

QTEST_MAIN(FeedCheckHandlerTest)
#include "FeedCheckHandlerTest.moc"
