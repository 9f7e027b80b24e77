// The Items page's commands over a feed document: the rows they list, and the exact bytes
// each command leaves in the feed file (or leaves untouched when it refuses).
#include "ItemCommands.h"
#include "zelException.h"
#include "zelXMLParser2.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>

namespace {

const std::string Stamp = "Mon, 5 Feb 2007 14:03:09 -0800";

std::string Lines(std::initializer_list<const char *> lines)
{
    std::string text;
    for (const char *line : lines)
        text += (text.empty() ? "" : "\r\n") + std::string(line);
    return text;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

const char *const TwoItemFeed =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
    "<rss version=\"2.0\"><channel><title>News</title><link>http://x/</link>"
    "<description>All</description><pubDate>Sun, 1 Jan 2006 00:00:00 -0800</pubDate>"
    "<item><title>One &quot;A&quot;</title><description>d1</description><link>l1</link>"
    "<pubDate>p1</pubDate><guid>g1</guid></item>"
    "<item><title>Two</title><description>d2</description><link>l2</link><pubDate>p2</pubDate></item>"
    "</channel></rss>";

// The writer's bytes of TwoItemFeed's channel around the given items.
std::string TwoItemFeedWith(const std::string &items)
{
    return Lines({"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>",
                  "<rss version=\"2.0\">",
                  "  <channel>",
                  "    <title>News</title>",
                  "    <link>http://x/</link>",
                  "    <description>All</description>",
                  "    <pubDate>Sun, 1 Jan 2006 00:00:00 -0800</pubDate>"}) +
           "\r\n" + items + "  </channel>\r\n</rss>";
}

const std::string ItemOne = Lines({"    <item>",
                                   "      <title>One &quot;A&quot;</title>",
                                   "      <description>d1</description>",
                                   "      <link>l1</link>",
                                   "      <pubDate>p1</pubDate>",
                                   "      <guid>g1</guid>",
                                   "    </item>"}) + "\r\n";
const std::string ItemTwo = Lines({"    <item>",
                                   "      <title>Two</title>",
                                   "      <description>d2</description>",
                                   "      <link>l2</link>",
                                   "      <pubDate>p2</pubDate>",
                                   "    </item>"}) + "\r\n";
// The item Add writes from a channel whose first four children are plain elements.
const std::string AddedItem = Lines({"    <item>",
                                     "      <title>(untitled)</title>",
                                     "      <description> </description>",
                                     "      <link> </link>",
                                     "      <pubDate>Mon, 5 Feb 2007 14:03:09 -0800</pubDate>",
                                     "    </item>"}) + "\r\n";

// A guid the editor made, in place of each made one.
const std::string Uuid = "<uuid>";

// The text with every UUID the editor made (a guid of an item) written as Uuid.
std::string WithUuids(const std::string &text)
{
    static const QRegularExpression uuid(QStringLiteral("[0-9a-f]{8}-[0-9a-f]{4}-5[0-9a-f]{3}-[0-9a-f]{4}-[0-9a-f]{12}"));
    return QString::fromStdString(text).replace(uuid, QString::fromStdString(Uuid)).toStdString();
}

} // namespace

class ItemCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::string path;
    TzelXMLParser2 document;

    // Writes the feed, loads it into the document and returns the first item's position.
    int Load(const std::string &bytes)
    {
        WriteFile(path, bytes);
        document.LoadFromFile(path);
        return ListItems(document).FirstItemIndex;
    }

    // The command must refuse with a message containing `message`, leaving the file as it was.
    template <class Command>
    void ExpectRefused(Command command, const std::string &message)
    {
        const std::string before = ReadFile(path);
        try {
            command();
            QFAIL("the command did not refuse");
        } catch (const Exception &error) {
            if (std::string(error.what()).find(message) == std::string::npos)
                QFAIL(qPrintable(QString::fromStdString("unexpected message: " + std::string(error.what()))));
        }
        QCOMPARE(ReadFile(path), before);
    }

private slots:
    void init() { path = dir.filePath("feed.xml").toStdString(); }

    void listsEveryChildFromTheFirstItemOn()
    {
        Load("<rss><channel><title>C</title><link>L</link>"
             "<item><title>A &quot;q&quot; &&quot;</title></item>"
             "<category>no title</category>"
             "<item><title>B</title></item><extra><title>E</title></extra></channel></rss>");
        const TItemList list = ListItems(document);
        QCOMPARE(list.FirstItemIndex, 2);
        QVERIFY(list.HasItems);
        const std::vector<std::string> rows = {"A \"q\" &\"", "<category>", "B", "E"};
        QVERIFY(list.Rows == rows);

        Load("<rss><channel><item><title>First</title></item><title>T</title></channel></rss>");
        QCOMPARE(ListItems(document).FirstItemIndex, 0);
        QCOMPARE(ListItems(document).Rows.size(), size_t(2));
    }

    void feedWithoutItemsOrChannelListsNothing()
    {
        Load("<rss><channel><title>C</title><link>L</link><Item/><items/></channel></rss>");
        TItemList list = ListItems(document);
        QCOMPARE(list.FirstItemIndex, 4); // the channel's child count
        QVERIFY(!list.HasItems);
        QVERIFY(list.Rows.empty());

        Load("<rss><item><title>not in a channel</title></item></rss>");
        list = ListItems(document);
        QCOMPARE(list.FirstItemIndex, 0);
        QVERIFY(!list.HasItems && list.Rows.empty());
    }

    void readsAnItemForDisplay()
    {
        const int first = Load("<rss><channel><title>C</title>"
                               "<item><title>Say &quot;Hi&quot;.</title><description>a&quot;b</description>"
                               "<link>http://x/?q=&quot;</link><pubDate>P</pubDate></item>"
                               "<item><guid>only a guid</guid></item></channel></rss>");
        TItemFields fields = ReadItem(document, path, first, 0);
        QCOMPARE(fields.Title, std::string("Say \"Hi\"."));
        QCOMPARE(fields.Description, std::string("a\"b"));
        QCOMPARE(fields.Link, std::string("http://x/?q=&quot;")); // links are shown unchanged
        QCOMPARE(fields.PubDate, std::string("P"));

        fields = ReadItem(document, path, first, 1); // nothing to read: all empty
        QVERIFY(fields.Title.empty() && fields.Description.empty() && fields.Link.empty() &&
                fields.PubDate.empty());
        ExpectRefused([&] { ReadItem(document, path, first, 2); }, "no longer in the feed");
    }

    void addOnFeedWithoutItemsAppendsToTheChannel()
    {
        const int first = Load("<rss version=\"2.0\"><channel><title>News</title><link>http://x/</link>"
                               "<description>All</description><pubDate>P</pubDate><docs>D</docs>"
                               "</channel></rss>");
        AddItem(document, path, first, Stamp);
        QCOMPARE(ReadFile(path), Lines({"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>",
                                        "<rss version=\"2.0\">",
                                        "  <channel>",
                                        "    <title>News</title>",
                                        "    <link>http://x/</link>",
                                        "    <description>All</description>",
                                        "    <pubDate>P</pubDate>",
                                        "    <docs>D</docs>"}) +
                                     "\r\n" + AddedItem + "  </channel>\r\n</rss>");
        document.LoadFromFile(path);
        const TItemList list = ListItems(document);
        QCOMPARE(list.FirstItemIndex, 5);
        QVERIFY(list.Rows == std::vector<std::string>{"(untitled)"});
        const TItemFields shown = ReadItem(document, path, list.FirstItemIndex, 0);
        QVERIFY(shown.Description.empty() && shown.Link.empty()); // the spaces read back trimmed
    }

    // The new item holds its four children with the texts a new item starts with and nothing
    // else: neither the channel's attributes and text nor what its first children carry (an
    // atom:link's href, an image's url and title, a sub-element).
    void addPutsTheNewItemBeforeTheFirstItem()
    {
        const int first = Load("<rss xmlns:atom=\"http://www.w3.org/2005/Atom\"><channel lang=\"en\">ct<title a=\"1\">News</title>"
                               "<atom:link href=\"http://x/feed.xml\" rel=\"self\" type=\"application/rss+xml\"/>"
                               "<link>L<sub>s</sub></link><image><url>http://x/logo.png</url><title>Show</title></image>"
                               "<item><title>Old</title></item></channel></rss>");
        AddItem(document, path, first, Stamp);
        QCOMPARE(ReadFile(path), Lines({"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>",
                                        "<rss xmlns:atom=\"http://www.w3.org/2005/Atom\">",
                                        "  <channel lang=\"en\">ct",
                                        "    <title a=\"1\">News</title>",
                                        "    <atom:link href=\"http://x/feed.xml\" rel=\"self\" type=\"application/rss+xml\"/>",
                                        "    <link>L",
                                        "      <sub>s</sub>",
                                        "    </link>",
                                        "    <image>",
                                        "      <url>http://x/logo.png</url>",
                                        "      <title>Show</title>",
                                        "    </image>"}) +
                                     "\r\n" + AddedItem +
                                     Lines({"    <item>",
                                            "      <title>Old</title>",
                                            "    </item>",
                                            "  </channel>",
                                            "</rss>"}));
        document.LoadFromFile(path);
        QVERIFY(ListItems(document).Rows == (std::vector<std::string>{"(untitled)", "Old"}));
    }

    void addOnShortChannelCreatesTheMissingChildren()
    {
        const int first = Load("<rss><channel><title>Only</title></channel></rss>");
        AddItem(document, path, first, Stamp);
        QCOMPARE(ReadFile(path), Lines({"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>",
                                        "<rss>",
                                        "  <channel>",
                                        "    <title>Only</title>"}) +
                                     "\r\n" + AddedItem + "  </channel>\r\n</rss>");
    }

    // A copy of an item is a new item: it gets a guid of its own.
    void cloneInsertsTheCopyBeforeItsSource()
    {
        const int first = Load(TwoItemFeed);
        CloneItem(document, path, first, 0);
        std::string copy = ItemOne;
        copy.replace(copy.find("<guid>g1"), 8, "<guid isPermaLink=\"false\">" + Uuid);
        QCOMPARE(WithUuids(ReadFile(path)), TwoItemFeedWith(copy + ItemOne + ItemTwo));
    }

    // What Add and Clone give a new item by the feed's kind: a guid of its own to every copy of
    // an item and to a new item of a feed with enclosures; an episode number, and the namespace
    // it needs, only in a podcast by its channel (itunes: tags there), never to a blog whose items
    // carry enclosures; a copy of a child that is no item (a category after the items) is only
    // a copy.
    void newItemsGetGuidsAndNumbersByTheFeedsKind()
    {
        const std::string enclosure = "<enclosure url=\"http://b/a.mp3\" length=\"1\" type=\"audio/mpeg\"/>";
        const std::string blog = "<rss version=\"2.0\"><channel><title>B</title><link>http://b/</link>"
                                 "<item><title>A</title>" + enclosure + "<guid>g1</guid></item></channel></rss>";
        const std::string podcast =
            "<rss version=\"2.0\" xmlns:it=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel><title>P</title>"
            "<it:author>Me</it:author><item><title>A</title><it:episode>2</it:episode></item>"
            "<category>after items</category><it:category text=\"Arts\"/></channel></rss>";
        const std::string blogHead = Lines({"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>",
                                            "<rss version=\"2.0\">", "  <channel>", "    <title>B</title>",
                                            "    <link>http://b/</link>"}) + "\r\n";
        const std::string blogItem = Lines({"    <item>", "      <title>A</title>",
                                            "      <enclosure url=\"http://b/a.mp3\" length=\"1\" type=\"audio/mpeg\"/>"}) + "\r\n";
        const std::string podcastHead =
            Lines({"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>",
                   "<rss version=\"2.0\" xmlns:it=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">", "  <channel>",
                   "    <title>P</title>", "    <it:author>Me</it:author>"}) + "\r\n";
        const std::string episodeTwo = Lines({"    <item>", "      <title>A</title>", "      <it:episode>2</it:episode>",
                                              "    </item>"}) + "\r\n";
        const std::string podcastTail = Lines({"    <category>after items</category>", "    <it:category text=\"Arts\"/>",
                                               "  </channel>", "</rss>"});
        const std::string ownGuid = "      <guid isPermaLink=\"false\">" + Uuid + "</guid>\r\n";
        const std::string end = "  </channel>\r\n</rss>";
        struct TRow {
            const char *Name;
            std::string Feed;
            int Row; // -1: Add
            std::string Written; // with every made guid as Uuid
        };
        const std::vector<TRow> rows = {
            {"a blog's new item", "<rss version=\"2.0\"><channel><title>B</title><link>http://b/</link></channel></rss>",
             -1, blogHead + AddedItem + end},
            {"a new item of a blog with enclosures", blog, -1,
             blogHead + AddedItem.substr(0, AddedItem.size() - 13) + ownGuid + "    </item>\r\n" + blogItem +
                 "      <guid>g1</guid>\r\n    </item>\r\n" + end},
            {"a copy in a blog with enclosures", blog, 0,
             blogHead + blogItem + ownGuid + "    </item>\r\n" + blogItem + "      <guid>g1</guid>\r\n    </item>\r\n" + end},
            {"a podcast's new episode", podcast, -1,
             podcastHead + AddedItem.substr(0, AddedItem.size() - 13) + ownGuid +
                 "      <it:episode>3</it:episode>\r\n    </item>\r\n" + episodeTwo + podcastTail},
            {"a copy of a podcast's episode", podcast, 0,
             podcastHead + Lines({"    <item>", "      <title>A</title>", "      <it:episode>3</it:episode>"}) + "\r\n" +
                 ownGuid + "    </item>\r\n" + episodeTwo + podcastTail},
            {"a copy of a category after the items", podcast, 1,
             podcastHead + episodeTwo + "    <category>after items</category>\r\n" + podcastTail},
            {"a copy of an itunes:category after the items", podcast, 2,
             podcastHead + episodeTwo + "    <category>after items</category>\r\n" +
                 "    <it:category text=\"Arts\"/>\r\n    <it:category text=\"Arts\"/>\r\n" + end},
        };
        for (const TRow &row : rows) {
            const int first = Load(row.Feed);
            if (row.Row < 0)
                AddItem(document, path, first, Stamp);
            else
                CloneItem(document, path, first, row.Row);
            const std::string written = ReadFile(path);
            QVERIFY2(WithUuids(written) == row.Written,
                     qPrintable(QString::fromStdString(row.Name + ("\n" + written))));
        }
    }

    void deleteRemovesTheRowsChild()
    {
        int first = Load(TwoItemFeed);
        DeleteItem(document, path, first, 0);
        QCOMPARE(ReadFile(path), TwoItemFeedWith(ItemTwo));
        document.LoadFromFile(path);
        first = ListItems(document).FirstItemIndex;
        DeleteItem(document, path, first, 0); // the only item
        document.LoadFromFile(path);
        const TItemList list = ListItems(document);
        QVERIFY(!list.HasItems);
        QCOMPARE(list.FirstItemIndex, 4);
    }

    // Delete takes the item and the blanks that laid it out, never the comment, instruction or
    // text after it: that stays where it stood, after what came before the item.
    void deleteLeavesWhatFollowsTheItem()
    {
        struct TRow {
            const char *Name;
            std::string Feed;
            int Row;
            std::string Written; // the channel's content afterwards
        };
        const std::vector<TRow> rows = {
            {"a comment about the next item",
             "<rss><channel><title>T</title>\n<item><title>A</title></item> <!-- about B --> "
             "<item><title>B</title></item></channel></rss>",
             0, "\r\n    <title>T</title>\r\n    <!-- about B -->\r\n    <item>\r\n      <title>B</title>\r\n    </item>\r\n  "},
            {"markup after both the item and the one before it",
             "<rss><channel><title>T</title><!-- t --><item><title>A</title></item>\n<?pi a?>\n</channel></rss>",
             0, "\r\n    <title>T</title>\r\n    <!-- t -->\r\n    <?pi a?>\r\n  "},
            {"the channel's first child",
             "<rss><channel><item><title>A</title></item><!-- after A --><title>T</title></channel></rss>",
             0, "<!-- after A -->\r\n    <title>T</title>\r\n  "},
            {"text between items", // written as it stands, but for the line the item stood on
             "<rss><channel>\n  <item><title>A</title></item>\n  stray <!-- c -->\n  <item><title>B</title></item>"
             " more <item><title>C</title></item>\n</channel></rss>",
             0, "\n  stray <!-- c -->\n  <item><title>B</title></item> more <item><title>C</title></item>\n"},
            {"text between items, the middle one",
             "<rss><channel>\n  <item><title>A</title></item>\n  stray <!-- c -->\n  <item><title>B</title></item>"
             " more <item><title>C</title></item>\n</channel></rss>",
             1, "\n  <item><title>A</title></item>\n  stray <!-- c --> more <item><title>C</title></item>\n"},
        };
        for (const TRow &row : rows) {
            TzelXMLParser2 xml;
            xml.SetXmlCompatible(true);
            xml.SetSourceText(row.Feed);
            const std::string before = xml.BuildXmlText();
            DeleteItem(xml, path, ListItems(xml).FirstItemIndex, row.Row);
            const std::string written = ReadFile(path);
            const size_t from = written.find("<channel>") + 9, to = written.find("</channel>");
            const std::string channel = written.substr(from, to - from);
            QVERIFY2(channel == row.Written, qPrintable(QString::fromStdString(row.Name + ("\n" + channel))));
            // A write that fails puts everything back as it was.
            xml.SetSourceText(row.Feed);
            QVERIFY_THROWS_EXCEPTION(Exception, DeleteItem(xml, dir.filePath("gone/feed.xml").toStdString(),
                                                           ListItems(xml).FirstItemIndex, row.Row));
            QCOMPARE(xml.BuildXmlText(), before);
        }
    }

    void saveStoresTheFourTextsAndKeepsTheRest()
    {
        const int first = Load(TwoItemFeed);
        SaveItem(document, path, first, 0,
                 {"Get \"Word Hunt\".", "line1line2 \"q\"", "http://x/?a=\"b\"", Stamp});
        QCOMPARE(ReadFile(path), TwoItemFeedWith(Lines({"    <item>",
                                                        "      <title>Get &quot;Word Hunt&quot;.</title>",
                                                        "      <description>line1line2 &quot;q&quot;</description>",
                                                        "      <link>http://x/?a=\"b\"</link>",
                                                        "      <pubDate>Mon, 5 Feb 2007 14:03:09 -0800</pubDate>",
                                                        "      <guid>g1</guid>",
                                                        "    </item>"}) +
                                                 "\r\n" + ItemTwo));
        document.LoadFromFile(path);
        QCOMPARE(ListItems(document).Rows.front(), std::string("Get \"Word Hunt\"."));
    }

    void saveAppendsMissingChildren()
    {
        const int first = Load("<rss><channel><item><guid>g</guid><link>old</link></item></channel></rss>");
        SaveItem(document, path, first, 0, {"T", "D", "L", Stamp});
        QCOMPARE(ReadFile(path), Lines({"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>",
                                        "<rss>",
                                        "  <channel>",
                                        "    <item>",
                                        "      <guid>g</guid>",
                                        "      <link>L</link>",
                                        "      <title>T</title>",
                                        "      <description>D</description>",
                                        "      <pubDate>Mon, 5 Feb 2007 14:03:09 -0800</pubDate>",
                                        "    </item>",
                                        "  </channel>",
                                        "</rss>"}));
    }

    // A feed that did not parse holds only part of the file: writing it would lose the rest.
    void feedThatDidNotParseIsNeverWritten()
    {
        const std::string broken = "<rss><channel><title>C</title><item><title>A</title></item>"
                                   "<item><title>B</title></item><oops></channel></rss>";
        WriteFile(path, broken);
        document.LoadFromFile(path);
        QVERIFY(!document.LastError().empty());
        const TItemList list = ListItems(document); // the part that was read is still listed
        QVERIFY(list.HasItems);
        const std::string message = "could not be read";
        ExpectRefused([&] { AddItem(document, path, list.FirstItemIndex, Stamp); }, message);
        ExpectRefused([&] { CloneItem(document, path, list.FirstItemIndex, 0); }, message);
        ExpectRefused([&] { DeleteItem(document, path, list.FirstItemIndex, 0); }, message);
        ExpectRefused([&] { SaveItem(document, path, list.FirstItemIndex, 0, {"x", "", "", Stamp}); },
                      message);
        QCOMPARE(ReadFile(path), broken);
        QCOMPARE(ListItems(document).Rows.size(), list.Rows.size()); // the document is unchanged
    }

    void feedWithoutChannelOrRowIsRefused()
    {
        Load("<rss><title>no channel</title></rss>");
        ExpectRefused([&] { AddItem(document, path, 0, Stamp); }, "has no \"channel\" element");
        ExpectRefused([&] { SaveItem(document, path, 0, 0, {"x", "", "", Stamp}); }, "\"channel\"");

        const int first = Load(TwoItemFeed);
        ExpectRefused([&] { CloneItem(document, path, first, 2); }, "no longer in the feed");
        ExpectRefused([&] { DeleteItem(document, path, first, 5); }, "no longer in the feed");
        ExpectRefused([&] { SaveItem(document, path, first, 2, {"x", "", "", Stamp}); }, "no longer");
        // A stale first-item position beyond the channel: the new item is not leaked.
        ExpectRefused([&] { AddItem(document, path, 99, Stamp); }, "List index out of bounds (99)");
        QCOMPARE(document.FindChild("channel")->ChildCount(), 6);
    }

    // A write that fails leaves the file as it was and puts the document back the same way,
    // so the rows still match the children.
    void failedWriteLeavesFileAndDocumentAsTheyWere()
    {
        int first = Load(TwoItemFeed);
        const std::string documentBefore = document.BuildXmlText();
        // The writer cannot put "]]>" into a CDATA section: the save is refused.
        ExpectRefused([&] { SaveItem(document, path, first, 0, {"a ]]> b", "d", "l", Stamp}); }, "]]>");
        QCOMPARE(document.BuildXmlText(), documentBefore);
        first = Load("<rss><channel><item><title>T</title></item></channel></rss>");
        ExpectRefused([&] { SaveItem(document, path, first, 0, {"T", "]]>", "l", Stamp}); }, "]]>");
        QCOMPARE(document.FindChild("channel")->ChildAt(0)->ChildCount(), 1); // added children gone

        // Read as the editor reads feeds, how the texts were written and what follows the item
        // come back too.
        TzelXMLParser2 xml;
        xml.SetXmlCompatible(true);
        xml.SetSourceText("<rss><channel><item><title><![CDATA[Hi]]></title><description>a<!-- c --></description>"
                          "</item><!-- after --></channel></rss>");
        const std::string xmlBefore = xml.BuildXmlText();
        // (There a "]]>" splits its CDATA section: a write into a folder that is not there fails.)
        const std::string nowhere = path + ".missing/feed.xml";
        QVERIFY_THROWS_EXCEPTION(Exception, SaveItem(xml, nowhere, 0, 0, {"x", "]]>", "l", Stamp}));
        QCOMPARE(xml.BuildXmlText(), xmlBefore);

        // The feed's folder is gone: nothing can be written there.
        QTemporaryDir gone;
        const std::string lostPath = gone.filePath("feed.xml").toStdString();
        WriteFile(lostPath, TwoItemFeed);
        document.LoadFromFile(lostPath);
        first = ListItems(document).FirstItemIndex;
        const std::string loaded = document.BuildXmlText();
        QVERIFY(gone.remove());
        for (const auto &command : std::vector<std::function<void()>>{
                 [&] { AddItem(document, lostPath, first, Stamp); },
                 [&] { CloneItem(document, lostPath, first, 1); },
                 [&] { DeleteItem(document, lostPath, first, 0); },
                 [&] { SaveItem(document, lostPath, first, 1, {"x", "y", "z", Stamp}); }}) {
            QVERIFY_THROWS_EXCEPTION(Exception, command());
            QCOMPARE(document.BuildXmlText(), loaded);
        }
    }
};

QTEST_MAIN(ItemCommandsTest)
#include "ItemCommandsTest.moc"
