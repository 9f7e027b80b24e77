// Feed > Check Feed in the window: the key the menu gives it, the findings dialog, and a
// double click on an item's finding that shows the item on the Items page.
#include "WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

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
        auto *list = dialog->findChild<QTreeWidget *>("FindingsList");
        QStringList lines;
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            lines << list->topLevelItem(row)->text(0);
        QCOMPARE(lines, QStringList({"channel: error: link \"/news\" is not an absolute URL",
                                     "item 2 \"Second\": error: pubDate \"Mon, 32 Foo 2007\" is not "
                                     "an RFC 822 date"}));

        const auto doubleClick = [list](int row) {
            const QPoint middle = list->visualItemRect(list->topLevelItem(row)).center();
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

    // What is said of many items is one line naming the first ones, opening onto each finding
    // with its line of the file; the filter and Copy work on what is shown.
    void findingsOfManyItemsReadAsOne()
    {
        TWindowFixture window;
        std::string items;
        for (const char *title : {"A", "B", "C", "D", "E"})
            items += std::string("    <item><title>") + title + "</title><link>/x</link></item>\r\n";
        items += "    <item><title></title></item>\r\n";
        const std::string path = window.WriteFeed(
            "news.xml", FeedBytes("News", "All the news", "/news", "Sun, 4 Feb 2007 10:00:00 -0800", "UTF-8", items));
        window.WriteCatalogue({{path, "News", "All the news", "/news", "Sun, 4 Feb 2007"}});
        window.Start();
        QTest::keyClick(window.Edit("Edit1"), Qt::Key_F7);
        auto *dialog = window.Form->findChild<QDialog *>("FeedCheckDialog");
        QVERIFY(dialog && dialog->isVisible());
        auto *list = dialog->findChild<QTreeWidget *>("FindingsList");
        const auto shown = [list](QTreeWidgetItem *parent = nullptr) {
            QStringList lines;
            const int count = parent ? parent->childCount() : list->topLevelItemCount();
            for (int i = 0; i < count; ++i) {
                QTreeWidgetItem *line = parent ? parent->child(i) : list->topLevelItem(i);
                if (!line->isHidden())
                    lines << line->text(1) + " " + line->text(0);
            }
            return lines;
        };
        const QString relative = "error: link \"/x\" is not an absolute URL";
        QCOMPARE(shown(), QStringList({"6 channel: error: link \"/news\" is not an absolute URL",
                                       "9 item 1, 2, 3 and 2 more: " + relative,
                                       "14 item 6: warning: the item's title is empty"}));
        QCOMPARE(shown(list->topLevelItem(1)),
                 QStringList({"9 item 1 \"A\": " + relative, "10 item 2 \"B\": " + relative,
                              "11 item 3 \"C\": " + relative, "12 item 4 \"D\": " + relative,
                              "13 item 5 \"E\": " + relative}));

        auto *filter = dialog->findChild<QComboBox *>("SeverityFilter");
        filter->setCurrentIndex(2); // warnings
        QCOMPARE(shown(), QStringList({"14 item 6: warning: the item's title is empty"}));
        filter->setCurrentIndex(1); // errors
        QCOMPARE(shown().size(), 2);
        QTest::mouseClick(dialog->findChild<QPushButton *>("CopyButton"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(),
                 "news.xml:6: channel: error: link \"/news\" is not an absolute URL\n"
                 "news.xml:9: item 1, 2, 3 and 2 more: " + relative + "\n");

        // A finding inside the group leads to its own item.
        list->expandItem(list->topLevelItem(1));
        QTreeWidgetItem *fourth = list->topLevelItem(1)->child(3);
        const QPoint middle = list->visualItemRect(fourth).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, middle);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, middle);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        QCOMPARE(window.CurrentRow("ListBox2"), 3);
        QCOMPARE(window.Edit("Edit5")->text(), QString("D"));
    }
};

QTEST_MAIN(FeedCheckHandlerTest)
#include "FeedCheckHandlerTest.moc"
