// The Feeds page: the list, selecting a feed, Add, Save, Delete and Set Date, with what each
// leaves in the feed file and in feeds.cfg (slot k at byte 3 + 920 k: Path +0, Title +256,
// Description +357, Link +613, Date +869, each a length byte and the text).
#include "WindowFixture.h"

#include "TextFunctions.h"

#include <QScopeGuard>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr int RecordSize = 92923;

// The length-prefixed text at a byte offset of feeds.cfg.
std::string FieldAt(const std::string &record, std::size_t offset)
{
    if (offset >= record.size())
        return "<outside>";
    const auto length = static_cast<unsigned char>(record[offset]);
    return record.substr(offset + 1, length);
}
std::size_t SlotOffset(int slot, std::size_t field) { return 3 + 920 * std::size_t(slot) + field; }
constexpr std::size_t PathField = 0, TitleField = 256, DescriptionField = 357, LinkField = 613,
                      DateField = 869;

const std::string Date1 = "Sun, 4 Feb 2007 10:00:00 -0800";

} // namespace

class FeedsPageTest : public QObject {
    Q_OBJECT

    // Closes the window with Yes and returns what reached feeds.cfg.
    static std::string CloseAndReadCatalogue(TWindowFixture &window)
    {
        window.Dialogs.Answers.push_back(true);
        window.Form->close();
        return window.ReadCatalogueFile();
    }

private slots:
    void listShowsTextAfterLastColonOrBackslash()
    {
        TWindowFixture window;
        window.WriteCatalogue({{"/a.xml", "News: Daily", "d1", "l1", "t1"},
                               {"/b.xml", "A\\B", "d2", "l2", "t2"},
                               {"/c.xml", "a:b\\c:d", "", "", ""},
                               {"/d.xml", "Plain", "", "", ""}});
        window.Start();
        QCOMPARE(window.ListLines("ListBox1"), QStringList({" Daily", "B", "d", "Plain"}));
        QCOMPARE(window.List("ListBox1")->currentRow(), 0);
        // The boxes show the stored title, not the list line.
        QCOMPARE(window.FeedBoxes(), QStringList({"News: Daily", "d1", "l1", "t1"}));
    }

    // Selecting a feed reads its file: the boxes show the channel as the file has it.
    void selectingShowsFileValuesOfExistingFeeds()
    {
        TWindowFixture window;
        const std::string one = window.WriteFeed("one.xml", FeedBytes("File title", "x", "y", "z"));
        const std::string two = window.WriteFeed("two.xml", FeedBytes("Other", "x", "y", "z"));
        window.WriteCatalogue({{one, "One", "d1", "l1", "t1"},
                               {two, "Two", "d2", "l2", "t2"},
                               {window.PathBytes("gone.xml"), "Gone", "d3", "l3", "t3"}});
        window.Start();
        window.ClickRow("ListBox1", 1);
        QCOMPARE(window.FeedBoxes(), QStringList({"Other", "x", "y", "z"}));
        // A feed whose file is missing: the boxes keep the previous feed's values.
        QTest::keyClick(window.List("ListBox1"), Qt::Key_Down);
        QCOMPARE(window.List("ListBox1")->currentRow(), 2);
        QCOMPARE(window.FeedBoxes(), QStringList({"Other", "x", "y", "z"}));
        QVERIFY(window.Dialogs.Shown.empty());
    }

    void clickingTheSelectedLineShowsItsFeedAgain()
    {
        TWindowFixture window;
        const std::string one = window.WriteFeed("one.xml", FeedBytes("File title", "x", "y", "z"));
        window.WriteCatalogue({{one, "One", "d1", "l1", "t1"},
                               {window.PathBytes("gone.xml"), "Gone", "d2", "l2", "t2"}});
        window.Start();
        window.TypeInto(window.Edit("Edit1"), "Typed");
        window.Click(window.Widget<QPushButton>("Button1"));
        QCOMPARE(window.List("ListBox1")->currentRow(), 0);
        // A click on the line already selected shows that feed's values again, as its file has
        // them, once the typed edits are given up.
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::No, TSaveChangesAnswer::No,
                                      TSaveChangesAnswer::Cancel};
        window.ClickRow("ListBox1", 0);
        QCOMPARE(window.FeedBoxes(), QStringList({"File title", "x", "y", "z"}));
        // A Ctrl+click on it does not leave the list without a selected line.
        const QRect row0 = window.List("ListBox1")->visualItemRect(window.List("ListBox1")->item(0));
        QTest::mouseClick(window.List("ListBox1")->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          row0.center());
        QCOMPARE(window.List("ListBox1")->selectedItems(),
                 QList<QListWidgetItem *>({window.List("ListBox1")->item(0)}));
        // A right click selects nothing.
        window.TypeInto(window.Edit("Edit2"), "Kept");
        QTest::mouseClick(window.List("ListBox1")->viewport(), Qt::RightButton, {}, row0.center());
        QCOMPARE(window.Edit("Edit2")->text(), QString("Kept"));
        // On a feed whose file is missing the click changes nothing, as any selection of it.
        window.ClickRow("ListBox1", 1);
        QCOMPARE(window.FeedBoxes(), QStringList({"File title", "x", "y", "z"}));
        window.TypeInto(window.Edit("Edit1"), "Typed");
        window.ClickRow("ListBox1", 1); // Cancel: the line whose values the boxes show
        QCOMPARE(window.FeedBoxes(), QStringList({"Typed", "x", "y", "z"}));
        QCOMPARE(window.List("ListBox1")->currentRow(), 0);
        QCOMPARE(window.SelectedRows("ListBox1"), QList<int>({0}));
        QCOMPARE(window.Dialogs.Log(), QStringList({"ask: Save changes to \"One\"?", "ask: Save changes to \"File title\"?",
                                                    "ask: Save changes to \"File title\"?"}));
    }

    // The list selects with the left button only: a right click or double click on another
    // line neither selects it nor shows its feed.
    void rightButtonDoesNotSelectAnotherLine()
    {
        TWindowFixture window;
        const std::string one = window.WriteFeed("one.xml", FeedBytes("File title", "x", "y", "z"));
        const std::string two = window.WriteFeed("two.xml", FeedBytes("Other", "x", "y", "z"));
        window.WriteCatalogue({{one, "One", "d1", "l1", "t1"}, {two, "Two", "d2", "l2", "t2"}});
        window.Start();
        QListWidget *list = window.List("ListBox1");
        window.TypeInto(window.Edit("Edit2"), "Kept");
        const QPoint row1 = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, row1);
        QTest::mouseDClick(list->viewport(), Qt::RightButton, {}, row1);
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, row1);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(list->selectedItems(), QList<QListWidgetItem *>({list->item(0)}));
        QCOMPARE(window.FeedBoxes(), QStringList({"One", "Kept", "l1", "t1"}));
        window.ClickRow("ListBox1", 1); // the left button still selects
        QCOMPARE(window.FeedBoxes(), QStringList({"Other", "x", "y", "z"}));
        QCOMPARE(window.Dialogs.Log(), QStringList({"ask: Save changes to \"One\"?"})); // answered No
    }

    void addFeed()
    {
        TWindowFixture window;
        const std::string one = window.WriteFeed("one.xml", FeedBytes("One", "d1", "l1", Date1));
        const std::string feed = FeedBytes("Second: feed", "About it", "http://two.example/", Date1);
        const std::string two = window.WriteFeed("two.xml", feed);
        window.WriteCatalogue({{one, "One", "d1", "l1", Date1}});
        window.Start();
        window.Dialogs.Files = {window.PathOf("two.xml")};
        window.Click(window.Tool("SpeedButton2"));
        QCOMPARE(window.Dialogs.Log(), QStringList({"open: XML (*.xml);;All (*)"}));
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"One", " feed"}));
        QCOMPARE(window.List("ListBox1")->currentRow(), 0);
        QCOMPARE(window.FeedBoxes(), QStringList({"One", "d1", "l1", QString::fromStdString(Date1)}));
        QCOMPARE(window.ReadFile("two.xml"), feed); // the feed file is not written

        const std::string record = CloseAndReadCatalogue(window);
        QCOMPARE(int(record.size()), RecordSize);
        QCOMPARE(int(record[2]), 2);
        QCOMPARE(FieldAt(record, SlotOffset(1, PathField)), two);
        QCOMPARE(FieldAt(record, SlotOffset(1, TitleField)), std::string("Second: feed"));
        QCOMPARE(FieldAt(record, SlotOffset(1, DescriptionField)), std::string("About it"));
        QCOMPARE(FieldAt(record, SlotOffset(1, LinkField)), std::string("http://two.example/"));
        QCOMPARE(FieldAt(record, SlotOffset(1, DateField)), Date1);
    }

    void addFeedCancelledChangesNothing()
    {
        TWindowFixture window;
        window.Start();
        window.Click(window.Tool("SpeedButton2"));
        QCOMPARE(window.List("ListBox1")->count(), 0);
        QCOMPARE(window.Dialogs.Log(), QStringList({"open: XML (*.xml);;All (*)"}));
    }

    void addFeedStopsAtHundred()
    {
        TWindowFixture window;
        const std::string feed = window.WriteFeed("feed.xml", FeedBytes("T", "D", "L", "P"));
        std::vector<std::vector<std::string>> entries(99, {feed, "T", "D", "L", "P"});
        window.WriteCatalogue(entries);
        window.Start();
        // The 100th feed is accepted.
        window.Dialogs.Files = {window.PathOf("feed.xml"), window.PathOf("feed.xml")};
        window.Click(window.Tool("SpeedButton2"));
        QCOMPARE(window.List("ListBox1")->count(), 100);
        // The 101st: the dialog is shown first, then the limit.
        window.Click(window.Tool("SpeedButton2"));
        QCOMPARE(window.Dialogs.Log(),
                 QStringList({"open: XML (*.xml);;All (*)", "open: XML (*.xml);;All (*)",
                              "message: Max 100 Feeds!"}));
        QCOMPARE(window.List("ListBox1")->count(), 100);
        const std::string record = CloseAndReadCatalogue(window);
        QCOMPARE(int(static_cast<unsigned char>(record[2])), 100);
        QCOMPARE(FieldAt(record, SlotOffset(100, PathField)), std::string()); // slot 100 untouched
    }

    void addFeedRefusesFeedsItCannotUse()
    {
        TWindowFixture window;
        window.WriteFile("broken.xml", "<?xml version=\"1.0\"?>\r\n<rss><channel><title>T</title>"
                                       "<description>D</description><link>L</link>"
                                       "<pubDate>P</pubDate></chanel></rss>");
        window.WriteFile("nochannel.xml", "<rss><title>T</title></rss>");
        window.Start();
        window.Dialogs.Files = {window.PathOf("broken.xml"), window.PathOf("nochannel.xml"),
                                window.PathOf("absent.xml")};
        for (int attempt = 0; attempt < 3; ++attempt)
            window.Click(window.Tool("SpeedButton2"));
        QCOMPARE(window.List("ListBox1")->count(), 0);
        const auto &shown = window.Dialogs.Shown;
        QCOMPARE(shown.size(), size_t(6));
        QCOMPARE(shown[1].Kind, QString("error"));
        QVERIFY2(shown[1].Text.startsWith("The feed \"" + window.PathOf("broken.xml") +
                                          "\" could not be read:\n"),
                 qPrintable(shown[1].Text));
        QCOMPARE(shown[3].Text,
                 "The feed \"" + window.PathOf("nochannel.xml") + "\" has no \"channel\" element.");
        QVERIFY2(shown[5].Text.startsWith("Cannot open file"), qPrintable(shown[5].Text));
        QCOMPARE(int(CloseAndReadCatalogue(window)[2]), 0);
    }

    void saveFeedWritesFileAndCatalogue()
    {
        TWindowFixture window;
        const std::string items = "    <item>\r\n      <title>Kept &amp; as is</title>\r\n    </item>\r\n";
        const std::string path =
            window.WriteFeed("one.xml", FeedBytes("One", "d1", "l1", Date1, "UTF-8", items));
        window.WriteCatalogue({{path, "One", "d1", "l1", Date1}});
        window.Start();
        QVERIFY(window.Tool("BitBtn1")->isEnabled());
        const QString longTitle = QString(120, 'T');
        window.TypeInto(window.Edit("Edit1"), longTitle);
        window.TypeInto(window.Edit("Edit3"), "http://one.example/new");
        window.Click(window.Widget<QPushButton>("Button1"));
        const std::string stamp = DateStamp(window.Clock.Time);
        QCOMPARE(window.Edit("Edit4")->text(), QString::fromStdString(stamp));
        window.Click(window.Tool("BitBtn1"));

        // The file gets the whole title and the date in both pubDate and lastBuildDate.
        QCOMPARE(window.ReadFile("one.xml"),
                 FeedBytes(longTitle.toStdString(), "d1", "http://one.example/new", stamp, "UTF-8",
                           items));
        QVERIFY(!window.Tool("BitBtn1")->isEnabled());
        QVERIFY(window.Dialogs.Shown.empty());
        // The catalogue keeps the first 100 characters, and the list shows those.
        QCOMPARE(window.ListLines("ListBox1"), QStringList({QString(100, 'T')}));
        const std::string record = CloseAndReadCatalogue(window);
        QCOMPARE(FieldAt(record, SlotOffset(0, TitleField)), std::string(100, 'T'));
        QCOMPARE(FieldAt(record, SlotOffset(0, LinkField)), std::string("http://one.example/new"));
        QCOMPARE(FieldAt(record, SlotOffset(0, DateField)), stamp);
        QCOMPARE(FieldAt(record, SlotOffset(0, PathField)), path);
    }

    // Rebuilding the list selects the first feed without loading its file: a first feed whose
    // file does not read must not answer a save or a delete of another feed with its error.
    void rebuildingTheListLoadsNoFeed()
    {
        TWindowFixture window;
        const std::string bad = window.WriteFeed("bad.xml", "<?xml version=1.0?><rss/>");
        const std::string good = window.WriteFeed("good.xml", FeedBytes("Good", "d", "l", Date1));
        const std::string other = window.WriteFeed("other.xml", FeedBytes("Other", "d", "l", Date1));
        window.WriteCatalogue({{bad, "Bad", "", "", ""}, {good, "Good", "d", "l", Date1},
                               {other, "Other", "d", "l", Date1}});
        window.Start();
        window.ClickRow("ListBox1", 1);
        window.TypeInto(window.Edit("Edit2"), "typed");
        QTest::keyClick(window.Edit("Edit2"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(window.ReadFile("good.xml"), FeedBytes("Good", "typed", "l", Date1));
        QCOMPARE(window.List("ListBox1")->currentRow(), 0);
        QCOMPARE(window.Dialogs.Log(), QStringList());
        // Del in an edit box deletes the selected feed; the rebuilt list loads nothing either.
        window.ClickRow("ListBox1", 2);
        window.Edit("Edit1")->setFocus();
        window.Dialogs.Answers.push_back(true);
        QTest::keyClick(window.Edit("Edit1"), Qt::Key_Delete);
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"Bad", "Good"}));
        QCOMPARE(window.Dialogs.Log(), QStringList({"warning: Delete selected feed?"}));
    }

    // The boxes show the catalogue's copy, cut to 100/255/255/50 bytes; a save that touches
    // one box gives the file the other values whole.
    void untouchedLongChannelValuesStayWhole()
    {
        TWindowFixture window;
        const std::string title(150, 'T'), link = "http://x/" + std::string(300, 'l'),
                          date = Date1 + std::string(30, ' ') + "(local)";
        const std::string path = window.WriteFeed("long.xml", FeedBytes(title, "old", link, date));
        window.Dialogs.Files = {window.PathOf("long.xml")};
        window.Start();
        window.Click(window.Tool("SpeedButton2")); // Add: the catalogue keeps cut copies
        QCOMPARE(window.Edit("Edit1")->text(), QString::fromStdString(title.substr(0, 100)));
        window.TypeInto(window.Edit("Edit2"), "new");
        window.Click(window.Tool("BitBtn1"));
        QCOMPARE(window.ReadFile("long.xml"), FeedBytes(title, "new", link, date));
        // A box the user changed gives what it holds.
        window.TypeInto(window.Edit("Edit1"), "Short");
        window.Click(window.Tool("BitBtn1"));
        QCOMPARE(window.ReadFile("long.xml"), FeedBytes("Short", "new", link, date));
        QCOMPARE(window.Dialogs.Log(), QStringList({"open: XML (*.xml);;All (*)"}));
    }

    // The list's copy of a channel is a cache; the file is the truth. Save Feed writes a value
    // only where the user typed one, so another program's change to the channel survives a
    // save with nothing typed, after a restart and while running; reading the file shows its
    // channel and brings the cache up to date.
    void saveNeverWritesStaleCachedFields()
    {
        TWindowFixture window;
        const std::string path = window.WriteFeed("one.xml", FeedBytes("Outside", "fd", "fl", Date1));
        window.WriteCatalogue({{path, "Cached", "cd", "cl", "cdate"}});
        for (const std::string title : {"Outside", "Outside again"}) {
            window.WriteFile("one.xml", FeedBytes(title, "fd", "fl", Date1));
            window.Start();
            QTest::keyClick(window.Edit("Edit1"), Qt::Key_S, Qt::ControlModifier); // nothing typed
            QCOMPARE(window.ReadFile("one.xml"), FeedBytes(title, "fd", "fl", Date1));
            QCOMPARE(window.ListLines("ListBox1"), QStringList({QString::fromStdString(title)}));
            QCOMPARE(FieldAt(window.ReadCatalogueFile(), SlotOffset(0, TitleField)), title);
            window.Form.reset(); // a restart
            window.WriteCatalogue({{path, "Cached", "cd", "cl", "cdate"}});
        }
        // While running: a typed description goes in beside the title another program gave.
        window.Start();
        window.ClickRow("ListBox1", 0);
        QCOMPARE(window.FeedBoxes(), QStringList({"Outside again", "fd", "fl", QString::fromStdString(Date1)}));
        QCOMPARE(FieldAt(window.ReadCatalogueFile(), SlotOffset(0, TitleField)), std::string("Outside again"));
        // (The build date follows a typed date only.)
        const auto built = [](std::string feed) {
            return feed.replace(feed.find("<lastBuildDate>") + 15, Date1.size(), "Mon, 5 Feb 2007 09:00:00 GMT");
        };
        window.WriteFile("one.xml", built(FeedBytes("Later", "fd", "fl", Date1)));
        window.TypeInto(window.Edit("Edit2"), "typed");
        window.Click(window.Tool("BitBtn1"));
        QCOMPARE(window.ReadFile("one.xml"), built(FeedBytes("Later", "typed", "fl", Date1)));
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"Later"}));
        QCOMPARE(window.Dialogs.Log(), QStringList());
    }

    // Add, Save and Delete reach feeds.cfg at once, so a killed program loses none of them.
    void catalogueReachesTheDiskAtEveryChange()
    {
        TWindowFixture window;
        window.WriteFeed("one.xml", FeedBytes("One", "d", "l", Date1));
        window.Start();
        window.Dialogs.Files = {window.PathOf("one.xml")};
        window.Click(window.Tool("SpeedButton2"));
        std::string record = window.ReadCatalogueFile();
        QCOMPARE(int(record[2]), 1);
        QCOMPARE(FieldAt(record, SlotOffset(0, TitleField)), std::string("One"));
        window.TypeInto(window.Edit("Edit1"), "Renamed");
        window.Click(window.Tool("BitBtn1"));
        QCOMPARE(FieldAt(window.ReadCatalogueFile(), SlotOffset(0, TitleField)), std::string("Renamed"));
        window.Dialogs.Answers.push_back(true);
        window.Click(window.Tool("SpeedButton4"));
        QCOMPARE(int(window.ReadCatalogueFile()[2]), 0);
        QCOMPARE(window.Dialogs.Log(), QStringList({"open: XML (*.xml);;All (*)", "warning: Delete selected feed?"}));
    }

    // A fifo would block a read or a write forever: it is refused with a message, unopened.
    void fifoIsRefusedWithoutOpeningIt()
    {
        TWindowFixture window;
        const std::string fifo = window.PathBytes("pipe.xml");
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        QCOMPARE(mkfifo(window.PathBytes("feeds.cfg").c_str(), 0600), 0);
        window.Start();
        window.Dialogs.Files = {window.PathOf("pipe.xml")};
        window.Click(window.Tool("SpeedButton2"));
        QCOMPARE(window.List("ListBox1")->count(), 0);
        window.Dialogs.Answers.push_back(true);
        window.Form->close(); // the catalogue cannot go into the fifo: said, not waited for
        const QString refused = "\". It is not a regular file";
        QCOMPARE(window.Dialogs.Log(),
                 QStringList({"open: XML (*.xml);;All (*)",
                              "error: Cannot open file \"" + window.PathOf("pipe.xml") + refused,
                              "confirm: Exit Tolvane RSS Editor?",
                              "error: Cannot open file \"" + window.CataloguePath() + refused +
                                  "\nThe changes to the feed list since start are lost."}));
    }

    // Saving replaces the file by renaming a temporary over it: a name of 250 bytes still
    // saves, the file's extended attributes and access-control list stay, and temporaries
    // that a killed save left are removed while a running save's stay.
    void saveKeepsLongNamesAttributesAndCleansStaleTemporaries()
    {
        TWindowFixture window;
        const QString name = QString(246, 'n') + ".xml";
        window.WriteFeed(name, FeedBytes("Long", "d", "l", Date1));
        // Stored relative to the working folder, so the whole path fits the catalogue's 255 bytes.
        const QString previousFolder = QDir::currentPath();
        QDir::setCurrent(window.Directory.path());
        const auto restoreFolder = qScopeGuard([&] { QDir::setCurrent(previousFolder); });
        const std::string path = name.toStdString();
        window.WriteCatalogue({{path, "Long", "d", "l", Date1}});
        // An ACL granting user 1000 read and write, as setfacl writes it.
        const unsigned char acl[] = {2, 0, 0, 0, 1, 0, 6, 0, 255, 255, 255, 255, 2, 0, 6, 0, 232, 3, 0, 0,
                                     4, 0, 4, 0, 255, 255, 255, 255, 16, 0, 6, 0, 255, 255, 255, 255,
                                     32, 0, 4, 0, 255, 255, 255, 255};
        const bool attributes = setxattr(path.c_str(), "user.origin", "feed", 4, 0) == 0 &&
                                setxattr(path.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) == 0;
        const pid_t child = fork(); // a process that has ended
        if (child == 0)
            _exit(0);
        QVERIFY(child > 0 && waitpid(child, nullptr, 0) == child);
        const std::string dead = std::to_string(child);
        const QString stale = "." + name.left(40) + ".tmp" + QString::fromStdString(dead) + "-3";
        const QString running = "." + name.left(40) + ".tmp1-7"; // process 1 is always there
        for (const QString &temporary : {stale, running})
            window.WriteFile(temporary, "partial");
        window.Start();
        window.TypeInto(window.Edit("Edit2"), "saved");
        window.Click(window.Tool("BitBtn1"));
        QCOMPARE(window.Dialogs.Log().join("|"), QString());
        QCOMPARE(window.ReadFile(name), FeedBytes("Long", "saved", "l", Date1));
        QCOMPARE(QDir(window.Directory.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({running, "feeds.cfg", name}));
        if (!attributes)
            QSKIP("this file system keeps no extended attributes");
        char value[64] = {};
        QCOMPARE(getxattr(path.c_str(), "user.origin", value, sizeof value), ssize_t(4));
        QCOMPARE(std::string(value, 4), std::string("feed"));
        QCOMPARE(getxattr(path.c_str(), "system.posix_acl_access", value, sizeof value), ssize_t(sizeof acl));
        QCOMPARE(std::string(value, sizeof acl), std::string(reinterpret_cast<const char *>(acl), sizeof acl));
    }

    // A malformed feed's error carries the whole document read so far: the box says what and
    // where, and keeps the partial document behind "Show Details...".
    void largeMalformedFeedKeepsThePartialDocumentInTheDetails()
    {
        TWindowFixture window;
        std::string items;
        for (int item = 0; item < 5000; ++item)
            items += "<item><title>Item " + std::to_string(item) + "</title></item>";
        window.WriteFile("large.xml", "<rss><channel><title>T</title>" + items + "<oops></channel></rss>");
        window.Start();
        window.Dialogs.Files = {window.PathOf("large.xml")};
        window.Click(window.Tool("SpeedButton2"));
        QCOMPARE(window.Dialogs.Shown.size(), size_t(2));
        const auto &error = window.Dialogs.Shown[1];
        QCOMPARE(error.Kind, QString("error"));
        QVERIFY2(error.Text.startsWith("The feed \"" + window.PathOf("large.xml") + "\" could not be read:\n"),
                 qPrintable(error.Text));
        QVERIFY2(error.Text.contains(" near ") && error.Text.contains("\r\nError position="),
                 qPrintable(error.Text));
        QVERIFY2(error.Text.size() < 400, qPrintable(error.Text));
        QVERIFY(error.Details.contains("<title>Item 4999</title>"));
    }

    void saveKeepsUntouchedBytesAndEncodesTyped()
    {
        TWindowFixture window;
        // ISO-8859-1 bytes: "café" with 0xE9.
        const std::string latin = FeedBytes("caf\xE9", "d\xE9", "l", "p", "ISO-8859-1");
        const std::string latinPath = window.WriteFeed("latin.xml", latin);
        const std::string utf8Path = window.WriteFeed("utf8.xml", FeedBytes("u", "d", "l", "p"));
        window.WriteCatalogue({{latinPath, "caf\xE9", "d\xE9", "l", "p"}, {utf8Path, "u", "d", "l", "p"}});
        window.Start();
        QCOMPARE(window.Edit("Edit1")->text(), QString("caf\u00E9"));
        window.Action("Save1")->trigger();
        QCOMPARE(window.ReadFile("latin.xml"), latin);

        // A typed character the feed's encoding cannot hold: refused, nothing written.
        window.TypeInto(window.Edit("Edit2"), "price \u20AC");
        window.Click(window.Tool("BitBtn1"));
        QCOMPARE(window.Dialogs.Shown.size(), size_t(1));
        QCOMPARE(window.Dialogs.Shown[0].Kind, QString("error"));
        QCOMPARE(window.ReadFile("latin.xml"), latin);
        QVERIFY(window.Tool("BitBtn1")->isEnabled());
        // The same character in a UTF-8 feed goes in as UTF-8.
        window.ClickRow("ListBox1", 1);
        window.TypeInto(window.Edit("Edit1"), "\u00E9t\u00E9 \u20AC");
        window.Click(window.Tool("BitBtn1"));
        QCOMPARE(window.ReadFile("utf8.xml"), FeedBytes("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC", "d", "l", "p"));
        const std::string record = CloseAndReadCatalogue(window);
        QCOMPARE(FieldAt(record, SlotOffset(0, DescriptionField)), std::string("d\xE9"));
        QCOMPARE(FieldAt(record, SlotOffset(1, TitleField)), std::string("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"));
    }

    void undeclaredFeedIsSavedWithTheEncodingItWasReadIn()
    {
        TWindowFixture window;
        // No declaration: valid UTF-8 bytes are read as UTF-8, anything else as ISO-8859-1, and
        // the saved declaration must name what the bytes are.
        const auto undeclared = [](const std::string &feed) { return feed.substr(feed.find("<rss")); };
        const std::string utf8Path =
            window.WriteFeed("utf8.xml", undeclared(FeedBytes("caf\xC3\xA9", "d", "l", "p")));
        const std::string latinPath =
            window.WriteFeed("latin.xml", undeclared(FeedBytes("caf\xE9", "d", "l", "p")));
        window.WriteCatalogue(
            {{utf8Path, "caf\xC3\xA9", "d", "l", "p"}, {latinPath, "caf\xE9", "d", "l", "p"}});
        window.Start();
        window.Action("Save1")->trigger(); // nothing typed: the menu saves all the same
        QCOMPARE(window.ReadFile("utf8.xml"), FeedBytes("caf\xC3\xA9", "d", "l", "p", "UTF-8"));
        window.ClickRow("ListBox1", 1);
        window.TypeInto(window.Edit("Edit2"), "d\u00E9");
        window.Click(window.Tool("BitBtn1"));
        QCOMPARE(window.ReadFile("latin.xml"), FeedBytes("caf\xE9", "d\xE9", "l", "p", "ISO-8859-1"));
        QCOMPARE(window.Edit("Edit1")->text(), QString("caf\u00E9"));
    }

    void cutToCatalogueNeverSplitsUtf8Character()
    {
        TWindowFixture window;
        const std::string path = window.WriteFeed("utf8.xml", FeedBytes("u", "d", "l", "p"));
        window.WriteCatalogue({{path, "u", "d", "l", "p"}});
        window.Start();
        const QString title = "a" + QString(60, QChar(0xE9)); // 1 + 120 bytes in UTF-8
        window.TypeInto(window.Edit("Edit1"), title);
        window.Click(window.Tool("BitBtn1"));
        std::string expected = "a";
        for (int count = 0; count < 49; ++count)
            expected += "\xC3\xA9"; // 99 bytes: the 50th character would not fit whole
        QCOMPARE(FieldAt(CloseAndReadCatalogue(window), SlotOffset(0, TitleField)), expected);
        QCOMPARE(window.ReadFile("utf8.xml"),
                 FeedBytes(title.toUtf8().toStdString(), "d", "l", "p"));
    }

    void saveRefusesFeedThatDidNotRead()
    {
        TWindowFixture window;
        const std::string broken = "<rss><channel><title>T</title><description>D</description>"
                                   "<link>L</link><pubDate>P</pubDate><lastBuildDate>P"
                                   "</lastBuildDate><item><title>lost?</title></channel></rss>";
        const std::string path = window.WriteFeed("broken.xml", broken);
        const std::string nobuild = "<rss><channel><title>T</title><description>D</description>"
                                    "<link>L</link><pubDate>P</pubDate></channel></rss>";
        const std::string nobuildPath = window.WriteFeed("nobuild.xml", nobuild);
        window.WriteCatalogue({{path, "T", "D", "L", "P"}, {nobuildPath, "T", "D", "L", "P"}});
        window.Start();
        window.TypeInto(window.Edit("Edit1"), "New");
        window.Click(window.Tool("BitBtn1"));
        window.ClickRow("ListBox1", 1);
        window.TypeInto(window.Edit("Edit1"), "New");
        window.Click(window.Tool("BitBtn1"));

        QCOMPARE(window.ReadFile("broken.xml"), broken);
        // A channel without lastBuildDate is saved with one, made where the dates stand.
        QCOMPARE(window.ReadFile("nobuild.xml"),
                 std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<rss>\r\n  <channel>\r\n"
                             "    <title>New</title>\r\n    <description>D</description>\r\n"
                             "    <link>L</link>\r\n    <pubDate>P</pubDate>\r\n"
                             "    <lastBuildDate>P</lastBuildDate>\r\n  </channel>\r\n</rss>"));
        QCOMPARE(window.Dialogs.Shown.size(), size_t(2));
        QCOMPARE(window.Dialogs.Shown[1].Text, QString("Save changes to \"T\"?")); // answered No
        window.Dialogs.Shown.erase(window.Dialogs.Shown.begin() + 1);
        QVERIFY2(window.Dialogs.Shown[0].Text.startsWith("The feed \"" + window.PathOf("broken.xml") +
                                                         "\" could not be read:\n"),
                 qPrintable(window.Dialogs.Shown[0].Text));
        const std::string record = CloseAndReadCatalogue(window);
        QCOMPARE(FieldAt(record, SlotOffset(0, TitleField)), std::string("T"));
        QCOMPARE(FieldAt(record, SlotOffset(1, TitleField)), std::string("New"));
    }

    void saveOfMissingFeedStoresEntryAndReportsLoadError()
    {
        TWindowFixture window;
        const std::string one = window.WriteFeed("one.xml", FeedBytes("One", "d1", "l1", "t1"));
        const std::string gone = window.PathBytes("gone.xml");
        window.WriteCatalogue({{one, "One", "d1", "l1", "t1"}, {gone, "Gone", "d2", "l2", "t2"}});
        window.Start();
        window.ClickRow("ListBox1", 1); // missing file: the boxes keep feed one's values
        window.Action("Save1")->trigger(); // the button is off: nothing typed
        QCOMPARE(window.Dialogs.Shown.size(), size_t(1));
        QVERIFY(window.Dialogs.Shown[0].Text.startsWith("Cannot open file"));
        QVERIFY(window.Tool("BitBtn1")->isEnabled());
        const std::string record = CloseAndReadCatalogue(window);
        QCOMPARE(FieldAt(record, SlotOffset(1, TitleField)), std::string("One"));
        QCOMPARE(FieldAt(record, SlotOffset(1, DateField)), std::string("t1"));
        QCOMPARE(FieldAt(record, SlotOffset(1, PathField)), gone);
        QCOMPARE(window.ReadFile("gone.xml"), std::string("<missing>"));
    }

    void modifiedMarkFollowsRealTextChanges()
    {
        TWindowFixture window;
        const std::string one = window.WriteFeed("one.xml", FeedBytes("Same", "d", "l", "t"));
        const std::string two = window.WriteFeed("two.xml", FeedBytes("Same", "d", "l", "t"));
        const std::string three = window.WriteFeed("three.xml", FeedBytes("Other", "d", "l", "t"));
        window.WriteCatalogue({{one, "Same", "d", "l", "t"}, {two, "Same", "d", "l", "t"},
                               {three, "Other", "d", "l", "t"}});
        window.Start();
        window.Click(window.Tool("BitBtn1"));
        QVERIFY(!window.Tool("BitBtn1")->isEnabled());
        window.ClickRow("ListBox1", 1); // same texts: no change, no mark
        QVERIFY(!window.Tool("BitBtn1")->isEnabled());
        window.ClickRow("ListBox1", 2); // another title: the mark
        QVERIFY(window.Tool("BitBtn1")->isEnabled());
        window.Click(window.Tool("BitBtn1"));
        QTest::keyClicks(window.Edit("Edit4"), "x"); // typing
        QVERIFY(window.Tool("BitBtn1")->isEnabled());
    }

    void typingIsLimitedTo255CharactersExceptInDateBox()
    {
        TWindowFixture window;
        window.Start();
        const QString typed(300, 'x');
        for (const char *name : {"Edit1", "Edit2", "Edit3"}) {
            window.TypeInto(window.Edit(name), typed);
            QCOMPARE(window.Edit(name)->text().size(), 255);
        }
        window.TypeInto(window.Edit("Edit4"), typed);
        QCOMPARE(window.Edit("Edit4")->text(), typed);
        // Nor does a long paste stop at a line edit's usual 32767.
        const QString pasted(40000, 'y');
        window.Edit("Edit4")->insert(pasted);
        QCOMPARE(window.Edit("Edit4")->text(), typed + pasted);
    }

    void setDateIsLostBySelectingAnotherFeed()
    {
        TWindowFixture window;
        const std::string one = window.WriteFeed("one.xml", FeedBytes("One", "d", "l", "t1"));
        const std::string two = window.WriteFeed("two.xml", FeedBytes("Two", "d", "l", "t2"));
        window.WriteCatalogue({{one, "One", "d", "l", "t1"}, {two, "Two", "d", "l", "t2"}});
        window.Start();
        window.Click(window.Widget<QPushButton>("Button1"));
        QCOMPARE(window.Edit("Edit4")->text(), QString("Mon, 5 Feb 2007 14:03:09 -0800"));
        // The stamp carries the offset of the zone the clock reads in.
        window.Clock.Time = QDateTime(QDate(2007, 2, 5), QTime(14, 3, 9), QTimeZone(0));
        window.Click(window.Widget<QPushButton>("Button1"));
        QCOMPARE(window.Edit("Edit4")->text(), QString("Mon, 5 Feb 2007 14:03:09 +0000"));
        window.Clock.Time = QDateTime(QDate(2007, 2, 5), QTime(14, 3, 9), QTimeZone(19800));
        window.Click(window.Widget<QPushButton>("Button1"));
        QCOMPARE(window.Edit("Edit4")->text(), QString("Mon, 5 Feb 2007 14:03:09 +0530"));
        window.ClickRow("ListBox1", 1);
        window.ClickRow("ListBox1", 0);
        QCOMPARE(window.Edit("Edit4")->text(), QString("t1"));
        QCOMPARE(window.ReadFile("one.xml"), FeedBytes("One", "d", "l", "t1"));
    }

    void deleteFeed()
    {
        TWindowFixture window;
        const std::string a = window.WriteFeed("a.xml", FeedBytes("A", "", "", ""));
        const std::string b = window.WriteFeed("b.xml", FeedBytes("B", "", "", ""));
        const std::string c = window.WriteFeed("c.xml", FeedBytes("C", "", "", ""));
        window.WriteCatalogue({{a, "A", "da", "la", "ta"}, {b, "B", "db", "lb", "tb"},
                               {c, "C", "dc", "lc", "tc"}});
        window.Start();
        window.ClickRow("ListBox1", 1);
        window.Dialogs.Answers = {false, true};
        window.Click(window.Tool("SpeedButton4")); // No
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"A", "B", "C"}));
        window.Click(window.Tool("SpeedButton4")); // Yes
        QCOMPARE(window.Dialogs.Log(), QStringList({"warning: Delete selected feed?",
                                                    "warning: Delete selected feed?"}));
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"A", "C"}));
        QCOMPARE(window.List("ListBox1")->currentRow(), 0);
        QCOMPARE(window.FeedBoxes(), QStringList({"A", "da", "la", "ta"}));
        QCOMPARE(window.ReadFile("b.xml"), FeedBytes("B", "", "", "")); // the file stays

        const std::string record = CloseAndReadCatalogue(window);
        QCOMPARE(int(record[2]), 2);
        QCOMPARE(FieldAt(record, SlotOffset(1, PathField)), c);
        QCOMPARE(FieldAt(record, SlotOffset(1, TitleField)), std::string("C"));
        // The former last slot is free but keeps its bytes.
        QCOMPARE(FieldAt(record, SlotOffset(2, TitleField)), std::string("C"));
    }

    void deleteOnEmptyCatalogueOnlyAsks()
    {
        TWindowFixture window;
        window.Start();
        window.Dialogs.Answers = {true};
        QTest::keyClick(window.List("ListBox1"), Qt::Key_Delete);
        QCOMPARE(window.Dialogs.Log(), QStringList({"warning: Delete selected feed?"}));
        QCOMPARE(window.List("ListBox1")->count(), 0);
    }

    void shortCatalogueIsCompletedAtStart()
    {
        TWindowFixture window;
        // 1000 bytes: options, Count 1 and the start of slot 0 (path and title).
        std::string start(1000, '\0');
        start[0] = 1;
        start[2] = 1;
        const std::string path = "/feeds/one.xml";
        start[3] = char(path.size());
        start.replace(4, path.size(), path);
        start[3 + 256] = 5;
        start.replace(3 + 257, 5, "Short");
        window.WriteFile("feeds.cfg", start);
        window.Start();
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"Short"}));
        QCOMPARE(window.FeedBoxes(), QStringList({"Short", "", "", ""}));
        QVERIFY(window.Widget<QCheckBox>("CheckBox1")->isChecked());
        const std::string rewritten = window.ReadCatalogueFile(); // at once, before any close
        QCOMPARE(int(rewritten.size()), RecordSize);
        QCOMPARE(rewritten.substr(0, 1000), start);
        QCOMPARE(rewritten.substr(1000), std::string(RecordSize - 1000, '\0'));
    }

    void longCatalogueIsCutAtNextClose()
    {
        TWindowFixture window;
        window.WriteCatalogue({{"/x.xml", "X", "", "", ""}});
        std::string longer = window.ReadCatalogueFile() + std::string(100000 - RecordSize, 'z');
        window.WriteFile("feeds.cfg", longer);
        window.Start();
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"X"}));
        QCOMPARE(int(window.ReadCatalogueFile().size()), 100000); // read whole: left as it is
        QCOMPARE(CloseAndReadCatalogue(window), longer.substr(0, RecordSize));
    }

    void readOnlyCatalogueCountsAsUnreadable()
    {
        if (geteuid() == 0)
            QSKIP("the superuser can write a read-only file");
        TWindowFixture window;
        window.WriteCatalogue({{"/x.xml", "X", "", "", ""}});
        const std::string before = window.ReadCatalogueFile();
        QFile::setPermissions(window.CataloguePath(), QFile::ReadOwner);
        window.Start();
        QCOMPARE(window.List("ListBox1")->count(), 0);
        QCOMPARE(window.ReadCatalogueFile(), before);
    }

    void oversizedCountAndLengthsStayInsideRecord()
    {
        TWindowFixture window;
        std::string record(RecordSize, '\0');
        record[2] = char(250); // Count beyond 100
        for (int slot = 0; slot < 101; ++slot)
            for (std::size_t field : {PathField, TitleField, DescriptionField, LinkField, DateField})
                record[SlotOffset(slot, field)] = char(255); // lengths beyond capacity
        window.WriteFile("feeds.cfg", record);
        window.Start();
        QCOMPARE(window.List("ListBox1")->count(), 100);
        QCOMPARE(window.List("ListBox1")->item(0)->text().size(), 100);
        QCOMPARE(window.Edit("Edit4")->text().size(), 50);
        QCOMPARE(CloseAndReadCatalogue(window), record); // the bytes stay as they were
    }
};

QTEST_MAIN(FeedsPageTest)
#include "FeedsPageTest.moc"
