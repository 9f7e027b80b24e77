// What the Feeds page's commands do to a feed document, without a window.
#include "FeedCommands.h"

#include "zelException.h"
#include "zelXMLParser2.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class FeedCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void listLineKeepsWhatFollowsLastColonOrBackslash()
    {
        QCOMPARE(FeedListLine("News: Daily"), std::string(" Daily"));
        QCOMPARE(FeedListLine("A\\B"), std::string("B"));
        QCOMPARE(FeedListLine("C:\\feeds\\x:y"), std::string("y"));
        QCOMPARE(FeedListLine("ends with:"), std::string());
        QCOMPARE(FeedListLine("plain"), std::string("plain"));
        QCOMPARE(FeedListLine("caf\xC3\xA9: \xC3\xA9t\xC3\xA9"), std::string(" \xC3\xA9t\xC3\xA9"));
    }

    void readsAndWritesChannelFields()
    {
        TzelXMLParser2 document;
        document.SetSourceText("<rss><channel><title>T</title><link>L</link><description>D</description>"
                               "<pubDate>P</pubDate><lastBuildDate>B</lastBuildDate>"
                               "<item><title>item</title></item></channel></rss>");
        const TChannelFields read = ReadChannelFields(document, "f.xml");
        QCOMPARE(read.Title, std::string("T"));
        QCOMPARE(read.Description, std::string("D"));
        QCOMPARE(read.Link, std::string("L"));
        QCOMPARE(read.Date, std::string("P"));
        WriteChannelFields(document, "f.xml", {"t2", "d2", "l2", "p2"});
        TzelXMLNode2 *channel = document.FindChild("channel");
        QCOMPARE(channel->FindChild("title")->Text(), std::string("t2"));
        QCOMPARE(channel->FindChild("pubDate")->Text(), std::string("p2"));
        QCOMPARE(channel->FindChild("lastBuildDate")->Text(), std::string("p2"));
        QCOMPARE(channel->FindChild("item")->FindChild("title")->Text(), std::string("item"));
    }

    void missingChannelElementsReadEmptyAndAreMadeBeforeTheFirstItem()
    {
        // The channel's children after Save Feed, as name=text in order.
        auto childrenOf = [](const TzelXMLNode2 &channel) {
            std::string line;
            for (const TzelXMLNode2 *child : channel.Children())
                line += (line.empty() ? "" : ",") + child->Name() + "=" + child->Text();
            return line;
        };
        struct Row {
            const char *channel;
            TChannelFields typed;
            const char *read;  // title|description|link|date as read
            const char *after; // the channel's children after the write
        };
        const Row rows[] = {
            // No lastBuildDate: made before the first item, the rest stays in place.
            {"<title>T</title><link>L</link><description>D</description><pubDate>P</pubDate><item/><x>X</x>",
             {"T", "D", "L", "P2"}, "T|D|L|P",
             "title=T,link=L,description=D,pubDate=P2,lastBuildDate=P2,item=,x=X"},
            // Only a title, and items: the others made in order before the items.
            {"<title>T</title><item><title>i</title></item><item/>", {"T", "D", "L", "P"}, "T|||",
             "title=T,description=D,link=L,pubDate=P,lastBuildDate=P,item=,item="},
            // No item at all: appended.
            {"<language>en</language>", {"T", "", "L", "P"}, "|||",
             "language=en,title=T,link=L,pubDate=P,lastBuildDate=P"},
            // Empty boxes make nothing: an empty date is no date.
            {"<title>T</title><item/>", {"T", "", "", ""}, "T|||", "title=T,item="},
            // Present but empty elements are set, even to empty.
            {"<title/><pubDate>P</pubDate><item/>", {"", "", "", ""}, "|||P", "title=,pubDate=,item="},
        };
        for (const Row &row : rows) {
            TzelXMLParser2 document;
            document.SetXmlCompatible(true);
            document.SetSourceText(std::string("<rss><channel>") + row.channel + "</channel></rss>");
            const TChannelFields read = ReadChannelFields(document, "f.xml");
            QCOMPARE(read.Title + "|" + read.Description + "|" + read.Link + "|" + read.Date, std::string(row.read));
            WriteChannelFields(document, "f.xml", row.typed);
            QCOMPARE(childrenOf(*document.FindChild("channel")), std::string(row.after));
        }
        TzelXMLParser2 document;
        document.SetSourceText("<rss><item/></rss>");
        QVERIFY_THROWS_EXCEPTION(Exception, ReadChannelFields(document, "f.xml"));
    }

    void partlyReadDocumentIsRefused()
    {
        TzelXMLParser2 document;
        document.SetSourceText("<rss><channel></rss>");
        QVERIFY(!document.LastError().empty());
        try {
            RequireWholeDocument(document, "f.xml");
            QFAIL("a partly read document was accepted");
        } catch (const Exception &error) {
            QCOMPARE(std::string(error.what()),
                     "The feed \"f.xml\" could not be read:\n" + document.LastError());
        }
        document.SetSourceText("<rss><channel/></rss>");
        RequireWholeDocument(document, "f.xml"); // a whole document passes
    }

    void encodingFollowsDeclarationAndBytes()
    {
        TzelXMLParser2 document;
        document.SetSourceText("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><rss>\xC3\xA9</rss>");
        QCOMPARE(DocumentEncoding(document), TTextEncoding::Latin1);
        document.SetSourceText("<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss>\xC3\xA9</rss>");
        QCOMPARE(DocumentEncoding(document), TTextEncoding::Utf8);
        document.SetSourceText("<rss>\xC3\xA9</rss>");
        QCOMPARE(DocumentEncoding(document), TTextEncoding::Utf8);
        document.SetSourceText("<rss>caf\xE9</rss>");
        QCOMPARE(DocumentEncoding(document), TTextEncoding::Latin1);
    }

    void feedFileMustBeAFile()
    {
        QTemporaryDir directory;
        const std::string base = QFile::encodeName(directory.path()).toStdString();
        QVERIFY(QDir(directory.path()).mkdir("folder.xml"));
        QFile file(directory.filePath("feed.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(FeedFileExists(base + "/feed.xml"));
        QVERIFY(!FeedFileExists(base + "/folder.xml"));
        QVERIFY(!FeedFileExists(base + "/missing.xml"));
        QVERIFY(!FeedFileExists(""));
    }
};

QTEST_MAIN(FeedCommandsTest)
#include "FeedCommandsTest.moc"
