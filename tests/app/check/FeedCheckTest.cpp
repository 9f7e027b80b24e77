// Check Feed's rules: one good feed, then one row per rule broken with the exact lines an
// author sees; and the date forms feed readers take.
#include "FeedCheck.h"
#include "Rfc822Date.h"

#include <QTest>

Q_DECLARE_METATYPE(TDateVerdict)

namespace {

// Everything the rules look at, right: UTF-8 text with a non-ASCII character, the editor's own
// "-0800" stamp, a 2-digit year without seconds, a permalink guid and an enclosure.
const QByteArray GoodFeed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
                            "xmlns:podcast=\"https://podcastindex.org/namespace/1.0\" "
                            "xmlns:atom=\"http://www.w3.org/2005/Atom\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
                            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                            "xmlns:geo=\"http://www.w3.org/2003/01/geo/wgs84_pos#\" "
                            "xmlns:slash=\"http://purl.org/rss/1.0/modules/slash/\" "
                            "xmlns:cn=\"http://conversationsnetwork.org/rssNamespace-1.0/\">\n"
                            "<channel>\n"
                            "<title>News</title>\n"
                            "<link>https://example.org/</link>\n"
                            "<description>Caf\xC3\xA9 news</description>\n"
                            "<pubDate>Mon, 5 Feb 2007 14:03:09 -0800</pubDate>\n"
                            "<lastBuildDate>Mon, 05 Feb 07 22:03 GMT</lastBuildDate>"
                            "<language>en-us</language><ttl>60</ttl><docs>https://example.org/rss</docs>"
                            "<managingEditor>ann@example.org (Ann Lee)</managingEditor>"
                            "<webMaster>web@example.org</webMaster><category>A</category><category>B</category>"
                            "<cloud domain=\"example.org\" port=\"80\" path=\"/rpc\" "
                            "registerProcedure=\"notify\" protocol=\"xml-rpc\"/>"
                            "<image><url>https://example.org/logo.png</url><title>News</title>"
                            "<link>https://example.org/</link><width>144</width><height>400</height></image>"
                            "<textInput><title>Go</title><description>Search</description><name>q</name>"
                            "<link>https://example.org/search</link></textInput>"
                            "<skipHours><hour>0</hour><hour>23</hour></skipHours>"
                            "<skipDays><day>Saturday</day><day>Sunday</day></skipDays>"
                            "<atom:link rel=\"self\" href=\"https://example.org/feed.xml\"/>"
                            "<itunes:image href=\"https://example.org/art.jpg\"/><itunes:category text=\"Arts\">"
                            "<itunes:category text=\"Fashion &amp; Beauty\"/></itunes:category>"
                            "<itunes:explicit>false</itunes:explicit><itunes:type>serial</itunes:type>"
                            "<itunes:owner><itunes:name>Ann</itunes:name><itunes:email>ann@example.org</itunes:email>"
                            "</itunes:owner><podcast:guid>917393e3-1b1e-5cef-ace4-edaa54e1f810</podcast:guid>"
                            "<podcast:locked owner=\"ann@example.org\">yes</podcast:locked>"
                            "<podcast:funding url=\"https://example.org/give\">Give</podcast:funding><podcast:medium>podcast</podcast:medium>"
                            "<itunes:block>No</itunes:block><itunes:subtitle>All the news</itunes:subtitle>"
                            "<geo:lat>-33.86</geo:lat><geo:long>151.2</geo:long><dc:language>en-au</dc:language>"
                            "<dcterms:available>name=Spring; start=2007-03-01; end=2007-05-31;</dcterms:available>\n"
                            "<item>\n"
                            "<title>First</title>\n"
                            "<description>The first</description>\n"
                            "<link>http://example.org/1</link>\n"
                            "<comments>http://example.org/1#comments</comments>\n"
                            "<pubDate>5 Feb 2007 14:03:09 EST</pubDate>\n"
                            "<guid isPermaLink=\"false\">urn:news:1</guid>\n"
                            "<enclosure url=\"https://example.org/1.mp3\" length=\"12345\" type=\"audio/mpeg\"/>\n"
                            "<author>ann@example.org</author><category>A</category><category>B</category>"
                            "<slash:comments>3</slash:comments><slash:hit_parade>3,2,1</slash:hit_parade>"
                            "<source url=\"https://example.org/other.xml\">Other</source>"
                            "<itunes:duration>1:02:03</itunes:duration><itunes:episode>1</itunes:episode>"
                            "<itunes:season>2</itunes:season><itunes:episodeType>full</itunes:episodeType>"
                            "<podcast:transcript url=\"https://example.org/1.vtt\" type=\"text/vtt\"/>"
                            "<podcast:chapters url=\"https://example.org/1.json\" type=\"application/json+chapters\"/>"
                            "<podcast:season>2</podcast:season><podcast:episode>3.5</podcast:episode>"
                            "<podcast:soundbite startTime=\"73.0\" duration=\"60\"/>"
                            "<cn:introMilliseconds>12345</cn:introMilliseconds><cn:ratingAverage>4.37</cn:ratingAverage>"
                            "<cn:ratingCount>123</cn:ratingCount><cn:ratingIndividual>4</cn:ratingIndividual>"
                            "<cn:ratingTimestamp>Mon, 05 Feb 2007 14:03:09 GMT</cn:ratingTimestamp>"
                            "<cn:image url=\"https://example.org/1.jpg\"/>\n"
                            "</item>\n"
                            "<item>\n"
                            "<description>Second, without a title</description>\n"
                            "<guid>http://example.org/2</guid>\n"
                            "</item>\n"
                            "</channel>\n"
                            "</rss>\n";

QStringList Lines(const std::vector<TFeedFinding> &findings)
{
    QStringList lines;
    for (const TFeedFinding &finding : findings)
        lines << QString::fromUtf8(FindingLine(finding));
    return lines;
}

} // namespace

class FeedCheckTest : public QObject {
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QByteArray>("from"); // every occurrence in the good feed ...
        QTest::addColumn<QByteArray>("to");   // ... replaced by this
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("good") << QByteArray() << QByteArray() << QStringList();
        QTest::newRow("not well-formed")
            << QByteArray("<title>First</title>") << QByteArray("<title>First</titel>")
            << QStringList{"document: error: not well-formed XML at line 10, column 21: Opening "
                           "and ending tag mismatch: title line 10 and titel"};
        QTest::newRow("root")
            << QByteArray("rss") << QByteArray("feed")
            << QStringList{"document: error: the root element is feed, not rss: this is no RSS 2.0 feed"};
        QTest::newRow("version")
            << QByteArray("version=\"2.0\"") << QByteArray("version=\"0.91\"")
            << QStringList{"document: error: the rss element says version=\"0.91\", not \"2.0\""};
        QTest::newRow("channel title")
            << QByteArray("<title>News</title>\n") << QByteArray()
            << QStringList{"channel: error: the channel has no title"};
        QTest::newRow("channel description")
            << QByteArray("<description>Caf\xC3\xA9 news</description>\n") << QByteArray()
            << QStringList{"channel: error: the channel has no description"};
        QTest::newRow("repeated element")
            << QByteArray("<title>News</title>\n") << QByteArray("<title>News</title><title>More</title>")
            << QStringList{"channel: error: the channel has a second title"};
        QTest::newRow("second enclosure")
            << QByteArray("<enclosure url=") << QByteArray("<enclosure url=\"https://example.org/0.mp3\" "
                                                           "length=\"0\" type=\"audio/mpeg\"/><enclosure url=")
            << QStringList{"item 1 \"First\": warning: the item has a second enclosure; most readers "
                           "play only the first"};
        QTest::newRow("undefined element")
            << QByteArray("<ttl>60</ttl>") << QByteArray("<ttl>60</ttl><Title lang=\"en\">x</Title><x:a xmlns:x=\"urn:x\"/>")
            << QStringList{"channel: error: the channel holds Title, which RSS 2.0 does not define; "
                           "an extension element needs a namespace"};
        QTest::newRow("numbers")
            << QByteArray("<ttl>60</ttl>") << QByteArray("<ttl>1 hour</ttl>")
            << QStringList{"channel: error: ttl \"1 hour\" is not a whole number of minutes"};
        QTest::newRow("image size")
            << QByteArray("<width>144</width><height>400</height>")
            << QByteArray("<width>145</width><height>-1</height>")
            << QStringList{"channel: error: image width \"145\" is more than 144, the most RSS 2.0 allows",
                           "channel: error: image height \"-1\" is not a whole number"};
        QTest::newRow("cloud")
            << QByteArray("port=\"80\" path=\"/rpc\"") << QByteArray("port=\"65536\"")
            << QStringList{"channel: error: cloud has no path",
                           "channel: error: cloud port \"65536\" is not a port number (1 to 65535)"};
        QTest::newRow("cloud protocol")
            << QByteArray("xml-rpc") << QByteArray("XML-RPC")
            << QStringList{"channel: error: cloud protocol \"XML-RPC\" is not xml-rpc, soap or http-post"};
        QTest::newRow("image parts")
            << QByteArray("<url>https://example.org/logo.png</url><title>News</title>") << QByteArray()
            << QStringList{"channel: error: the image has no url", "channel: error: the image has no title"};
        QTest::newRow("textInput parts")
            << QByteArray("<name>q</name>") << QByteArray()
            << QStringList{"channel: error: textInput has no name"};
        QTest::newRow("xml:base")
            << QByteArray("<image><url>https://example.org/logo.png")
            << QByteArray("<image xml:base=\"https://example.org/\"><url>logo.png") << QStringList();
        QTest::newRow("scheme in capitals")
            << QByteArray("<url>https://example.org/logo.png") << QByteArray("<url>HTTPS://example.org/logo.png")
            << QStringList();
        QTest::newRow("source url")
            << QByteArray("<source url=\"https://example.org/other.xml\">") << QByteArray("<source>")
            << QStringList{"item 1 \"First\": error: source has no url"};
        QTest::newRow("skipHours")
            << QByteArray("<hour>0</hour><hour>23</hour>")
            << QByteArray("<hour>7</hour><hour>07</hour><hour>24</hour><hour>25</hour>")
            << QStringList{"channel: error: skipHours hour \"07\" is listed twice",
                           "channel: warning: skipHours hour \"24\" should be written 0, as RSS 2.0 counts 0 to 23",
                           "channel: error: skipHours hour \"25\" is not an hour from 0 to 23"};
        QTest::newRow("skipDays")
            << QByteArray("<day>Sunday</day>") << QByteArray("<day>Saturday</day><day>sun</day>")
            << QStringList{"channel: error: skipDays day \"Saturday\" is listed twice",
                           "channel: error: skipDays day \"sun\" is not a day from Monday to Sunday"};
        QTest::newRow("language")
            << QByteArray("<language>en-us</language>") << QByteArray("<language>English</language>")
            << QStringList{"channel: error: language \"English\" is not a language code such as \"en\" "
                           "or \"en-us\""};
        QTest::newRow("language forms")
            << QByteArray("<language>en-us</language>") << QByteArray("<language>x-klingon</language>")
            << QStringList();
        // An undeclared prefix is the XML reader's error, not also an undefined element.
        QTest::newRow("undeclared prefix")
            << QByteArray("<ttl>60</ttl>") << QByteArray("<ttl>60</ttl><media:link href=\"x\"/>")
            << QStringList{"document: error: XML error at line 8, column 115: Namespace prefix media on "
                           "link is not defined"};
        QTest::newRow("namespace in other case")
            << QByteArray("dtds/podcast-1.0.dtd") << QByteArray("DTDs/Podcast-1.0.dtd")
            << QStringList{"document: error: the namespace itunes is declared as "
                           "\"http://www.itunes.com/DTDs/Podcast-1.0.dtd\", not exactly "
                           "\"http://www.itunes.com/dtds/podcast-1.0.dtd\"; namespace URIs are compared exactly",
                           "channel: warning: the channel has enclosures but no itunes:image, "
                           "itunes:category or itunes:explicit: Apple Podcasts needs them to list the "
                           "feed as a podcast"};
        QTest::newRow("self link")
            << QByteArray("rel=\"self\" href=\"https://example.org/feed.xml\"") << QByteArray("rel=\"self\"")
            << QStringList{"channel: error: atom:link rel=\"self\" has no href"};
        // Apple's rules for the itunes: elements, one broken value each.
        QTest::newRow("itunes explicit")
            << QByteArray(">false<") << QByteArray(">maybe<")
            << QStringList{"channel: error: itunes:explicit \"maybe\" is neither true nor false"};
        QTest::newRow("itunes category")
            << QByteArray("Fashion &amp; Beauty") << QByteArray("Careers")
            << QStringList{"channel: error: itunes:category \"Careers\" is not one of Apple's "
                           "subcategories of \"Arts\""};
        QTest::newRow("itunes subcategory on top")
            << QByteArray("text=\"Arts\"") << QByteArray("text=\"Books\"")
            << QStringList{"channel: error: itunes:category \"Books\" is a subcategory: it goes inside "
                           "the category \"Arts\""};
        QTest::newRow("itunes image")
            << QByteArray("art.jpg") << QByteArray("art.gif")
            << QStringList{"channel: error: itunes:image href \"https://example.org/art.gif\" does not end "
                           "in .jpg or .png, the pictures Apple takes"};
        QTest::newRow("itunes numbers")
            << QByteArray("1:02:03</itunes:duration><itunes:episode>1</itunes:episode><itunes:season>2")
            << QByteArray("1:2:03</itunes:duration><itunes:duration>5:ab</itunes:duration><itunes:episode>0"
                          "</itunes:episode><itunes:season>two")
            << QStringList{"item 1 \"First\": error: itunes:duration \"1:2:03\" is neither seconds nor [H:]MM:SS",
                           "item 1 \"First\": error: a second itunes:duration in the item; Apple takes it once",
                           "item 1 \"First\": error: itunes:duration \"5:ab\" is neither seconds nor [H:]MM:SS",
                           "item 1 \"First\": error: itunes:episode \"0\" is not a whole number from 1 up",
                           "item 1 \"First\": error: itunes:season \"two\" is not a whole number from 1 up"};
        QTest::newRow("itunes types")
            << QByteArray(">serial<") << QByteArray(">daily<")
            << QStringList{"channel: error: itunes:type \"daily\" is neither episodic nor serial"};
        QTest::newRow("itunes episodeType")
            << QByteArray(">full<") << QByteArray(">teaser<")
            << QStringList{"item 1 \"First\": error: itunes:episodeType \"teaser\" is not full, trailer or bonus"};
        QTest::newRow("itunes owner")
            << QByteArray("<itunes:email>ann@example.org</itunes:email>") << QByteArray()
            << QStringList{"channel: error: itunes:owner has no itunes:email"};
        QTest::newRow("podcast without itunes")
            << QByteArray("<itunes:image href=\"https://example.org/art.jpg\"/>") << QByteArray()
            << QStringList{"channel: error: the podcast has no itunes:image: Apple Podcasts refuses a "
                           "show without it"};
        QTest::newRow("podcast guid")
            << QByteArray("917393e3-1b1e-5cef-ace4-edaa54e1f810") << QByteArray("urn:news")
            << QStringList{"channel: error: podcast:guid \"urn:news\" is not a UUID"};
        QTest::newRow("podcast locked")
            << QByteArray("owner=\"ann@example.org\">yes") << QByteArray("owner=\"Ann\">true")
            << QStringList{"channel: error: podcast:locked owner \"Ann\" is not an email address",
                           "channel: error: podcast:locked \"true\" is neither yes nor no"};
        QTest::newRow("podcast links")
            << QByteArray(" type=\"text/vtt\"") << QByteArray()
            << QStringList{"item 1 \"First\": error: podcast:transcript has no type"};
        QTest::newRow("podcast numbers")
            << QByteArray("<podcast:season>2</podcast:season><podcast:episode>3.5</podcast:episode>"
                          "<podcast:soundbite startTime=\"73.0\" duration=\"60\"/>")
            << QByteArray("<podcast:season>two</podcast:season><podcast:episode>3b</podcast:episode>"
                          "<podcast:soundbite startTime=\"1:13\"/>")
            << QStringList{"item 1 \"First\": error: podcast:season \"two\" is not a whole number",
                           "item 1 \"First\": error: podcast:episode \"3b\" is not a number",
                           "item 1 \"First\": error: podcast:soundbite startTime \"1:13\" is not a number of seconds",
                           "item 1 \"First\": error: podcast:soundbite has no duration"};
        QTest::newRow("podcast funding")
            << QByteArray("url=\"https://example.org/give\"") << QByteArray("href=\"https://example.org/give\"")
            << QStringList{"channel: error: podcast:funding has no url"};
        QTest::newRow("podcast http")
            << QByteArray("https://example.org/give") << QByteArray("http://example.org/give")
            << QStringList{"channel: warning: podcast:funding url \"http://example.org/give\" should be an https URL"};
        QTest::newRow("podcast namespace's first address")
            << QByteArray("https://podcastindex.org/namespace/1.0")
            << QByteArray("https://github.com/Podcastindex-org/podcast-namespace/blob/main/docs/1.0.md")
            << QStringList();
        QTest::newRow("item text")
            << QByteArray("<description>Second, without a title</description>\n") << QByteArray()
            << QStringList{"item 2: error: the item has neither a title nor a description"};
        QTest::newRow("date")
            << QByteArray("5 Feb 2007 14:03:09 EST") << QByteArray("Mon, 32 Foo 2007")
            << QStringList{"item 1 \"First\": error: pubDate \"Mon, 32 Foo 2007\" is not an RFC 822 date"};
        QTest::newRow("zone")
            << QByteArray("22:03 GMT") << QByteArray("22:03 CET")
            << QStringList{"channel: error: lastBuildDate \"Mon, 05 Feb 07 22:03 CET\" has the zone "
                           "\"CET\", which RFC 822 does not name"};
        QTest::newRow("real date")
            << QByteArray("5 Feb 2007 14:03:09 EST") << QByteArray("29 Feb 2007 14:03:09 EST")
            << QStringList{"item 1 \"First\": error: pubDate \"29 Feb 2007 14:03:09 EST\" is not a "
                           "real date: Feb 2007 has no day 29"};
        QTest::newRow("weekday")
            << QByteArray("Mon, 5 Feb 2007") << QByteArray("Tue, 5 Feb 2007")
            << QStringList{"channel: error: pubDate \"Tue, 5 Feb 2007 14:03:09 -0800\" names the "
                           "wrong weekday: that day is a Mon"};
        QTest::newRow("folded date with comments")
            << QByteArray("Mon, 5 Feb 2007 14:03:09 -0800")
            << QByteArray("Mon, 5 Feb 2007\n  14:03:09 -0800 (Pacific (standard) time)") << QStringList();
        QTest::newRow("W3C dates")
            << QByteArray("<ttl>60</ttl>")
            << QByteArray("<ttl>60</ttl><dc:date xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                          "2007-02-05T14:03:09.5+01:00</dc:date><dc:date "
                          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">2007-13-05</dc:date>")
            << QStringList{"channel: error: dc:date \"2007-13-05\" is not a W3C date-time, such as "
                           "2007-02-05T14:03:09Z"};
        QTest::newRow("W3C date-time without a zone")
            << QByteArray("<ttl>60</ttl>")
            << QByteArray("<ttl>60</ttl><dc:date xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                          "2026-12-08T10:00</dc:date>")
            << QStringList{"channel: error: dc:date \"2026-12-08T10:00\" is not a W3C date-time, such as "
                           "2007-02-05T14:03:09Z"};
        QTest::newRow("links")
            << QByteArray("http://example.org/1") << QByteArray("/1")
            << QStringList{"item 1 \"First\": error: link \"/1\" is not an absolute URL",
                           "item 1 \"First\": error: comments \"/1#comments\" is not an absolute URL"};
        // A link may use any scheme; a script is no page to lead to. The enclosure must be
        // fetched over the web.
        QTest::newRow("ftp link")
            << QByteArray("http://example.org/1") << QByteArray("ftp://example.org/1") << QStringList();
        QTest::newRow("enclosure over ftp")
            << QByteArray("https://example.org/1.mp3") << QByteArray("ftp://example.org/1.mp3")
            << QStringList{"item 1 \"First\": error: enclosure url \"ftp://example.org/1.mp3\" is "
                           "not an absolute http or https URL"};
        QTest::newRow("script link")
            << QByteArray("<link>https://example.org/</link>\n") << QByteArray("<link>javascript:go()</link>\n")
            << QStringList{"channel: warning: link \"javascript:go()\" runs a script instead of "
                           "leading to a page"};
        QTest::newRow("urls")
            << QByteArray("https://example.org/logo.png") << QByteArray("logo.png")
            << QStringList{"channel: error: image url \"logo.png\" is not an absolute URL"};
        QTest::newRow("xml:base")
            << QByteArray("<image><url>https://example.org/logo.png")
            << QByteArray("<image xml:base=\"https://example.org/\"><url>logo.png") << QStringList();
        QTest::newRow("source url")
            << QByteArray("https://example.org/other.xml") << QByteArray("other.xml")
            << QStringList{"item 1 \"First\": error: source url \"other.xml\" is not an absolute URL"};
        QTest::newRow("addresses")
            << QByteArray("ann@example.org (Ann Lee)") << QByteArray("Ann Lee")
            << QStringList{"channel: error: managingEditor \"Ann Lee\" is not an email address"};
        QTest::newRow("address forms")
            << QByteArray("<author>ann@example.org</author>") << QByteArray("<author>Ann Lee &lt;ann@example.org&gt;</author>")
            << QStringList{"item 1 \"First\": warning: author \"Ann Lee <ann@example.org>\" should be "
                           "written as the address with the name in parentheses, e.g. "
                           "\"ann@example.org (Ann Lee)\""};
        QTest::newRow("no host")
            << QByteArray("<link>http://example.org/1</link>") << QByteArray("<link>http://</link>")
            << QStringList{"item 1 \"First\": error: link \"http://\" is not an absolute URL"};
        // A feed's text in a message is cut after 60 bytes, between characters, with no blank
        // before the "...": here the 60th byte is the first half of the "\xC3\xA9".
        QTest::newRow("long text cut")
            << QByteArray("<link>https://example.org/</link>\n")
            << QByteArray("<link>/" + QByteArray(58, 'a') + "\xC3\xA9 and more</link>\n")
            << QStringList{"channel: error: link \"/" + QString(58, 'a') +
                           "\u00E9...\" holds blanks or letters beyond ASCII; a URL has them percent-encoded"};
        // Exactly 60 bytes stay whole; the 61st is cut off.
        QTest::newRow("text of 60 and 61 bytes")
            << QByteArray("<docs>https://example.org/rss</docs>")
            << QByteArray("<docs>/" + QByteArray(59, 'b') + "</docs><link>/" + QByteArray(59, 'c') + "d</link>")
            << QStringList{"channel: error: docs \"/" + QString(59, 'b') + "\" is not an absolute URL",
                           "channel: error: the channel has a second link",
                           "channel: error: link \"/" + QString(59, 'c') + "...\" is not an absolute URL"};
        QTest::newRow("duplicate guid")
            << QByteArray("<guid>http://example.org/2</guid>")
            << QByteArray("<guid isPermaLink=\"false\">urn:news:1</guid>")
            << QStringList{"item 2: error: guid \"urn:news:1\" is also the guid of item 1"};
        // A link's scheme and host have no case, port 80 is http's own and "%32" is "2"; its
        // path has case, and https is another address.
        QTest::newRow("the same guid address written another way")
            << QByteArray("<guid isPermaLink=\"false\">urn:news:1</guid>")
            << QByteArray("<guid>HTTP://Example.ORG:80/%32</guid>")
            << QStringList{"item 2: error: guid \"http://example.org/2\" is the same address as the guid of item 1"};
        QTest::newRow("guid addresses that differ")
            << QByteArray("<guid isPermaLink=\"false\">urn:news:1</guid>")
            << QByteArray("<guid>https://example.org/%2F2</guid>") << QStringList{};
        QTest::newRow("permalink guid")
            << QByteArray("isPermaLink=\"false\">urn:news:1") << QByteArray("isPermaLink=\"true\">news-1")
            << QStringList{"item 1 \"First\": error: guid \"news-1\" is marked "
                           "isPermaLink=\"true\" but is not an absolute URL"};
        QTest::newRow("guid without isPermaLink")
            << QByteArray("<guid isPermaLink=\"false\">urn:news:1</guid>") << QByteArray("<guid>news-1</guid>")
            << QStringList{"item 1 \"First\": error: guid \"news-1\" is no URL but readers take it "
                           "for one: it needs isPermaLink=\"false\""};
        QTest::newRow("empty guid")
            << QByteArray("<guid isPermaLink=\"false\">urn:news:1</guid>") << QByteArray("<guid> </guid>")
            << QStringList{"item 1 \"First\": error: guid is empty"};
        QTest::newRow("enclosure")
            << QByteArray("url=\"https://example.org/1.mp3\" length=\"12345\" type=\"audio/mpeg\"")
            << QByteArray("length=\"12 kB\" type=\"mp3\"")
            << QStringList{"item 1 \"First\": error: enclosure has no url",
                           "item 1 \"First\": error: enclosure length \"12 kB\" is not a whole number",
                           "item 1 \"First\": error: enclosure type \"mp3\" is not a MIME type"};
        QTest::newRow("bytes not UTF-8")
            << QByteArray("Caf\xC3\xA9") << QByteArray("Caf\xE9")
            << QStringList{"document: error: the text is declared UTF-8, but byte 0xE9 on line 6 is "
                           "not UTF-8",
                           "document: error: not well-formed XML at line 6, column 17: Input is "
                           "not proper UTF-8, indicate encoding ! Bytes: 0xE9 0x20 0x6E 0x65"};
        // Overlong forms: C0 and C1 lead bytes write ASCII characters in two bytes.
        QTest::newRow("overlong C0")
            << QByteArray("Caf\xC3\xA9") << QByteArray("Caf\xC0\xA9")
            << QStringList{"document: error: the text is declared UTF-8, but byte 0xC0 on line 6 is "
                           "not UTF-8",
                           "document: error: not well-formed XML at line 6, column 17: Input is "
                           "not proper UTF-8, indicate encoding ! Bytes: 0xC0 0xA9 0x20 0x6E"};
        QTest::newRow("overlong C1")
            << QByteArray("Caf\xC3\xA9") << QByteArray("Caf\xC1\xA9")
            << QStringList{"document: error: the text is declared UTF-8, but byte 0xC1 on line 6 is "
                           "not UTF-8",
                           "document: error: not well-formed XML at line 6, column 17: Input is "
                           "not proper UTF-8, indicate encoding ! Bytes: 0xC1 0xA9 0x20 0x6E"};
        // RSS 2.0's own rules, as the format defines them.
        QTest::newRow("ttl of 0")
            << QByteArray("<ttl>60</ttl>") << QByteArray("<ttl>0</ttl>")
            << QStringList{"channel: error: ttl \"0\" is less than 1"};
        QTest::newRow("image width of 0")
            << QByteArray("<width>144</width>") << QByteArray("<width>0</width>")
            << QStringList{"channel: error: image width \"0\" is less than 1"};
        QTest::newRow("skipDays without a day")
            << QByteArray("<day>Saturday</day><day>Sunday</day>") << QByteArray()
            << QStringList{"channel: error: skipDays has no day"};
        QTest::newRow("textInput name")
            << QByteArray("<name>q</name>") << QByteArray("<name>search box</name>")
            << QStringList{"channel: error: textInput name \"search box\" is no form field name (a letter "
                           "or _, then letters, digits, _, - or .)"};
        QTest::newRow("tag: guid taken for a link")
            << QByteArray("<guid isPermaLink=\"false\">urn:news:1</guid>") << QByteArray("<guid>tag:example.org,2007:1</guid>")
            << QStringList{"item 1 \"First\": error: guid \"tag:example.org,2007:1\" is no web address but "
                           "readers take it for a link: it needs isPermaLink=\"false\""};
        QTest::newRow("IRI")
            << QByteArray("<link>http://example.org/1</link>") << QByteArray("<link>http://example.org/caf\xC3\xA9</link>")
            << QStringList{"item 1 \"First\": error: link \"http://example.org/caf\u00E9\" holds blanks or "
                           "letters beyond ASCII; a URL has them percent-encoded"};
        QTest::newRow("text between elements")
            << QByteArray("<ttl>60</ttl>") << QByteArray("<ttl>60</ttl>stray")
            << QStringList{"channel: error: the channel holds the text \"stray\" between its elements"};
        QTest::newRow("attribute RSS 2.0 does not define")
            << QByteArray("<category>A</category><category>B</category><slash")
            << QByteArray("<category domain=\"x\" x:a=\"1\" xmlns:x=\"urn:x\">A</category><category term=\"B\">B</category><slash")
            << QStringList{"item 1 \"First\": error: category has the attribute term, which RSS 2.0 does not "
                           "define there; an extension attribute needs a namespace"};
        QTest::newRow("mailto: in the name's place")
            << QByteArray("<author>ann@example.org</author>") << QByteArray("<author>Ann Lee (mailto:ann@example.org)</author>")
            << QStringList{"item 1 \"First\": error: author \"Ann Lee (mailto:ann@example.org)\" puts a "
                           "mailto: link where RSS 2.0 wants the address: write \"ann@example.org (Ann Lee)\""};
        // What readers take, told at most as a warning.
        QTest::newRow("author as a mailto: URL")
            << QByteArray("<author>ann@example.org</author>") << QByteArray("<author>mailto:ann@example.org</author>")
            << QStringList{"item 1 \"First\": warning: author \"mailto:ann@example.org\" should be written as "
                           "the address with the name in parentheses, e.g. \"ann@example.org (Ann Lee)\""};
        QTest::newRow("empty guid that is no link")
            << QByteArray("isPermaLink=\"false\">urn:news:1<") << QByteArray("isPermaLink=\"false\"><")
            << QStringList{"item 1 \"First\": warning: guid is empty; readers cannot tell the items apart by it"};
        QTest::newRow("empty title")
            << QByteArray("<description>Second, without a title</description>") << QByteArray("<title> </title>")
            << QStringList{"item 2: warning: the item's title is empty"};
        QTest::newRow("dcterms date that is no period")
            << QByteArray("name=Spring; start=2007-03-01; end=2007-05-31;") << QByteArray("Spring 2007")
            << QStringList{"channel: error: dcterms:available \"Spring 2007\" is not a W3C date-time, such as "
                           "2007-02-05T14:03:09Z"};
        // Apple's rules for the itunes: tags.
        QTest::newRow("itunes tag twice")
            << QByteArray("<itunes:explicit>false</itunes:explicit>")
            << QByteArray("<itunes:explicit>false</itunes:explicit><itunes:explicit>true</itunes:explicit>")
            << QStringList{"channel: error: a second itunes:explicit in the channel; Apple takes it once"};
        QTest::newRow("itunes block")
            << QByteArray(">No<") << QByteArray(">never<")
            << QStringList{"channel: error: itunes:block \"never\" is neither Yes nor No"};
        QTest::newRow("itunes explicit with blanks")
            << QByteArray(">false<") << QByteArray("> false<")
            << QStringList{"channel: error: itunes:explicit \"false\" has blanks around it; Apple reads the "
                           "value as written"};
        // The blanks are a text of their own before the CDATA section: still part of the value.
        QTest::newRow("itunes explicit with blanks before CDATA")
            << QByteArray(">false<") << QByteArray(">\n <![CDATA[false]]><")
            << QStringList{"channel: error: itunes:explicit \"false\" has blanks around it; Apple reads the "
                           "value as written"};
        QTest::newRow("itunes subtitle")
            << QByteArray(">All the news<") << QByteArray(">All the &lt;b>news&lt;/b>" + QByteArray(244, 'x') + "<")
            << QStringList{"channel: error: itunes:subtitle has 263 characters; Apple takes 255 at most",
                           "channel: error: itunes:subtitle \"All the <b>news</b>" + QString(41, 'x') +
                               "...\" holds HTML; Apple shows a subtitle as plain text"};
        QTest::newRow("itunes subtitle of 255 characters")
            << QByteArray(">All the news<") << QByteArray(">" + QByteArray(255, 'x') + "<")
            << QStringList();
        QTest::newRow("itunes duration in the channel")
            << QByteArray("<itunes:type>") << QByteArray("<itunes:duration>60</itunes:duration><itunes:type>")
            << QStringList{"channel: error: itunes:duration belongs in an episode, not in the channel"};
        QTest::newRow("Apple's categories before 2019")
            << QByteArray("<itunes:category text=\"Arts\"><itunes:category text=\"Fashion &amp; Beauty\"/></itunes:category>")
            << QByteArray("<itunes:category text=\"Technology\"><itunes:category text=\"Gadgets\"/></itunes:category>"
                          "<itunes:category text=\"Travel\"/>")
            << QStringList{"channel: warning: itunes:category \"Gadgets\" is from Apple's list before 2019: use "
                           "\"Technology\"",
                           "channel: warning: itunes:category \"Travel\" is from Apple's list before 2019: use "
                           "\"Society & Culture > Places & Travel\""};
        // Other namespaces feeds carry.
        QTest::newRow("geo")
            << QByteArray("<geo:lat>-33.86</geo:lat><geo:long>151.2</geo:long>")
            << QByteArray("<geo:lat>-90.5</geo:lat><geo:long>-180</geo:long>")
            << QStringList{"channel: error: geo:lat \"-90.5\" is not a number from -90 to 90"};
        QTest::newRow("older vocabularies of a place")
            << QByteArray("<geo:lat>-33.86</geo:lat><geo:long>151.2</geo:long>")
            << QByteArray("<icbm:latitude xmlns:icbm=\"http://postneo.com/icbm\">-33.86</icbm:latitude>"
                          "<geourl:longitude xmlns:geourl=\"http://geourl.org/rss/module/\">-188.2</geourl:longitude>")
            << QStringList{"channel: error: geourl:longitude \"-188.2\" is not a number from -180 to 180"};
        QTest::newRow("dc:language")
            << QByteArray("<dc:language>en-au</dc:language>") << QByteArray("<dc:language>English</dc:language>")
            << QStringList{"channel: error: dc:language \"English\" is not a language code such as \"en\" or \"en-us\""};
        QTest::newRow("blogChannel addresses")
            << QByteArray("<dc:language>en-au</dc:language>")
            << QByteArray("<b:blogRoll xmlns:b=\"http://backend.userland.com/blogChannelModule\">https://example.org/r.opml"
                          "</b:blogRoll><b:blink xmlns:b=\"http://backend.userland.com/blogChannelModule\">example.org"
                          "</b:blink>")
            << QStringList{"channel: error: b:blink \"example.org\" is not an absolute URL"};
        QTest::newRow("slash")
            << QByteArray("<slash:comments>3</slash:comments><slash:hit_parade>3,2,1</slash:hit_parade>")
            << QByteArray("<slash:comments>three</slash:comments><slash:hit_parade>3,,1</slash:hit_parade>")
            << QStringList{"item 1 \"First\": error: slash:comments \"three\" is not a whole number",
                           "item 1 \"First\": error: slash:hit_parade \"3,,1\" is not whole numbers separated by commas"};
        // Podcasting 2.0's mediums, each also as a list of such items.
        QTest::newRow("podcast medium list")
            << QByteArray(">podcast</podcast:medium>") << QByteArray(">musicL</podcast:medium>") << QStringList();
        QTest::newRow("podcast medium")
            << QByteArray(">podcast</podcast:medium>") << QByteArray(">radio</podcast:medium>")
            << QStringList{"channel: error: podcast:medium \"radio\" is not a medium the namespace lists (podcast, "
                           "music, video, film, audiobook, newsletter, blog, publisher, course, each also with L "
                           "for a list of them, or mixed)"};
        // The Conversations Network's numbers, date and picture.
        QTest::newRow("conversations network numbers")
            << QByteArray("<cn:introMilliseconds>12345</cn:introMilliseconds><cn:ratingAverage>4.37</cn:ratingAverage>"
                          "<cn:ratingCount>123</cn:ratingCount><cn:ratingIndividual>4<")
            << QByteArray("<cn:introMilliseconds>12.3s</cn:introMilliseconds><cn:ratingAverage>high</cn:ratingAverage>"
                          "<cn:ratingCount>-1</cn:ratingCount><cn:ratingIndividual>7<")
            << QStringList{"item 1 \"First\": error: cn:introMilliseconds \"12.3s\" is not a whole number",
                           "item 1 \"First\": error: cn:ratingAverage \"high\" is not a number",
                           "item 1 \"First\": error: cn:ratingCount \"-1\" is not a whole number",
                           "item 1 \"First\": warning: cn:ratingIndividual \"7\" is beyond the scale of 0 to 5"};
        QTest::newRow("conversations network W3C date")
            << QByteArray("Mon, 05 Feb 2007 14:03:09 GMT</cn") << QByteArray("2007-02-05T14:03:09Z</cn") << QStringList();
        QTest::newRow("conversations network date and picture")
            << QByteArray("Mon, 05 Feb 2007 14:03:09 GMT</cn:ratingTimestamp><cn:image url=\"https://example.org/1.jpg\"")
            << QByteArray("last week</cn:ratingTimestamp><cn:image url=\"1.jpg\"")
            << QStringList{"item 1 \"First\": error: cn:ratingTimestamp \"last week\" is not a date, such as "
                           "\"Mon, 05 Feb 2007 14:03:09 GMT\" or 2007-02-05T14:03:09Z",
                           "item 1 \"First\": error: cn:image url \"1.jpg\" is not an absolute URL"};
        QTest::newRow("encoding not declared")
            << QByteArray(" encoding=\"UTF-8\"") << QByteArray()
            << QStringList{"document: warning: no encoding is declared; the text is UTF-8, so the "
                           "XML declaration should say encoding=\"UTF-8\""};
    }

    void rules()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QStringList, lines);
        QByteArray feed = GoodFeed;
        if (!from.isEmpty()) {
            feed.replace(from, to);
            QVERIFY(feed != GoodFeed);
        }
        const std::vector<TFeedFinding> findings = CheckFeed(feed.toStdString());
        QCOMPARE(Lines(findings), lines);
        QCOMPARE(HasError(findings), lines.join('\n').contains(": error: "));
        for (const TFeedFinding &finding : findings) // every finding names a line of the file
            QVERIFY2(finding.Line > 0 && finding.Line <= feed.count('\n') + 1, finding.Reason.c_str());
    }

    // What Apple Podcasts requires of a show: errors on a podcast by its channel (itunes: tags
    // there), warnings on a feed that only has enclosures. A good and a broken row each.
    void appleRules_data()
    {
        QTest::addColumn<QByteArray>("from"); // replaced in the podcast below ...
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QStringList>("lines");
        const QString refuses = ": Apple Podcasts refuses a show without ";
        QTest::newRow("podcast") << QByteArray() << QByteArray() << QStringList();
        QTest::newRow("no language")
            << QByteArray("<language>en</language>") << QByteArray()
            << QStringList{"channel: error: the podcast has no language" + refuses + "it"};
        QTest::newRow("no episode")
            << QByteArray("<enclosure url=\"https://example.org/1.mp3\" length=\"9\" type=\"audio/mpeg\"/>")
            << QByteArray()
            << QStringList{"channel: error: the podcast has no episode (an item with an enclosure)" +
                           refuses + "one"};
        QTest::newRow("episode without description")
            << QByteArray("<description>Talk</description>") << QByteArray("<description> </description>")
            << QStringList{"item 1 \"One\": error: the episode has no description: Apple Podcasts "
                           "requires one"};
        QTest::newRow("no itunes:image")
            << QByteArray("<itunes:image href=\"https://example.org/a.png\"/>") << QByteArray()
            << QStringList{"channel: error: the podcast has no itunes:image" + refuses + "it"};
        QTest::newRow("no itunes:category")
            << QByteArray("<itunes:category text=\"History\"/>") << QByteArray()
            << QStringList{"channel: error: the podcast has no itunes:category" + refuses + "it"};
        QTest::newRow("no itunes:explicit, no language")
            << QByteArray("<language>en</language><itunes:category text=\"History\"/><itunes:explicit>true"
                          "</itunes:explicit>")
            << QByteArray("<itunes:category text=\"History\"/>")
            << QStringList{"channel: error: the podcast has no language or itunes:explicit" + refuses + "them"};
        // The show's picture is the channel's: an episode's own does not stand in for it.
        QTest::newRow("only an episode's itunes:image")
            << QByteArray("<itunes:image href=\"https://example.org/a.png\"/><item><title>One</title>")
            << QByteArray("<item><title>One</title><itunes:image href=\"https://example.org/a.png\"/>")
            << QStringList{"channel: error: the podcast has no itunes:image" + refuses + "it"};
        // Without any itunes: tag in the channel, the enclosures alone make it a podcast.
        QTest::newRow("blog")
            << QByteArray("<itunes:category text=\"History\"/><itunes:explicit>true</itunes:explicit>"
                          "<itunes:image href=\"https://example.org/a.png\"/><item><title>One</title>"
                          "<description>Talk</description>"
                          "<enclosure url=\"https://example.org/1.mp3\" length=\"9\" type=\"audio/mpeg\"/>")
            << QByteArray("<item><title>One</title>") << QStringList();
        QTest::newRow("blog with enclosures")
            << QByteArray("<language>en</language><itunes:category text=\"History\"/><itunes:explicit>true"
                          "</itunes:explicit><itunes:image href=\"https://example.org/a.png\"/>")
            << QByteArray()
            << QStringList{"channel: warning: the channel has enclosures but no language, itunes:image, "
                           "itunes:category or itunes:explicit: Apple Podcasts needs them to list the "
                           "feed as a podcast"};
        QTest::newRow("blog episode without description")
            << QByteArray("<itunes:category text=\"History\"/><itunes:explicit>true</itunes:explicit>"
                          "<itunes:image href=\"https://example.org/a.png\"/><item><title>One</title>"
                          "<description>Talk</description>")
            << QByteArray("<item><title>One</title>")
            << QStringList{"channel: warning: the channel has enclosures but no itunes:image, "
                           "itunes:category or itunes:explicit: Apple Podcasts needs them to list the "
                           "feed as a podcast",
                           "item 1 \"One\": warning: the episode has no description: Apple Podcasts needs one"};
    }

    void appleRules()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QStringList, lines);
        const QByteArray podcast =
            "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel>"
            "<title>Show</title><link>https://example.org/</link><description>A show</description>"
            "<language>en</language><itunes:category text=\"History\"/>"
            "<itunes:explicit>true</itunes:explicit><itunes:image href=\"https://example.org/a.png\"/>"
            "<item><title>One</title><description>Talk</description>"
            "<enclosure url=\"https://example.org/1.mp3\" length=\"9\" type=\"audio/mpeg\"/></item>"
            "<item><title>Notes</title></item>" // no enclosure: no episode, no description needed
            "</channel></rss>";
        QByteArray feed = podcast;
        if (!from.isEmpty()) {
            feed.replace(from, to);
            QVERIFY(feed != podcast);
        }
        QCOMPARE(Lines(CheckFeed(feed.toStdString())), lines);
    }

    // Media RSS 1.5: the forms of its attributes, its rating schemes, a group of alternatives.
    void mediaRss_data()
    {
        QTest::addColumn<QByteArray>("from"); // replaced in the feed below ...
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QStringList>("lines");
        const auto row = [](const char *name, const char *from, const char *to, const QString &line) {
            QTest::newRow(name) << QByteArray(from) << QByteArray(to)
                                << (line.isEmpty() ? QStringList() : QStringList{"item 1 \"Clip\": error: " + line});
        };
        row("good", "", "", "");
        row("group of one", "<media:content url=\"https://example.org/low.mp4\" fileSize=\"10\" type=\"video/mp4\"/>",
            "", "media:group holds fewer than two media:content; a group holds alternatives of the same media");
        row("numbers", "width=\"640\"", "width=\"640px\"", "media:content width \"640px\" is not a whole number");
        row("file size of 0", "fileSize=\"10\"", "fileSize=\"0\"",
            "media:content fileSize is 0; it is the number of bytes of the media object");
        row("player size", "<media:player url=\"https://example.org/play\"/>",
            "<media:player url=\"https://example.org/play\" width=\"400\" height=\"7.2\"/>",
            "media:player height \"7.2\" is not a whole number");
        row("decimal numbers", "framerate=\"29.97\"", "framerate=\"fast\"",
            "media:content framerate \"fast\" is not a number");
        row("medium", "medium=\"video\"", "medium=\"movie\"",
            "media:content medium \"movie\" is not image, audio, video, document or executable");
        row("expression", "expression=\"full\"", "expression=\"whole\"",
            "media:content expression \"whole\" is not sample, full or nonstop");
        row("isDefault", "isDefault=\"true\"", "isDefault=\"yes\"", "media:content isDefault \"yes\" is not true or false");
        row("lang", "lang=\"en\"/>", "lang=\"English\"/>",
            "media:content lang \"English\" is not a language code such as \"en\"");
        row("url", "https://example.org/high.mp4", "https://example.org/high clip.mp4",
            "media:content url \"https://example.org/high clip.mp4\" holds blanks or letters beyond ASCII; a "
            "URL has them percent-encoded");
        row("rating", ">nonadult<", ">teen<", "media:rating \"teen\" is not a rating of the scheme urn:simple");
        row("rating scheme", "scheme=\"urn:mpaa\">pg-13", "scheme=\"critics\">pg-13",
            "media:rating scheme \"critics\" is not a URI");
        row("mpaa rating", "scheme=\"urn:mpaa\">pg-13", "scheme=\"urn:mpaa\">PG-13",
            "media:rating \"PG-13\" is not a rating of the scheme urn:mpaa");
        row("restriction", "relationship=\"allow\"", "relationship=\"permit\"",
            "media:restriction relationship \"permit\" is not allow or deny");
        QTest::newRow("restriction disallow, as early feeds wrote deny")
            << QByteArray("relationship=\"allow\"") << QByteArray("relationship=\"disallow\"")
            << QStringList{"item 1 \"Clip\": warning: media:restriction relationship \"disallow\" should be written \"deny\""};
        QTest::newRow("namespace without its slash, which many readers know")
            << QByteArray("xmlns:media=\"http://search.yahoo.com/mrss/\"") << QByteArray("xmlns:media=\"http://search.yahoo.com/mrss\"")
            << QStringList{"document: warning: the namespace media is declared as \"http://search.yahoo.com/mrss\": many "
                           "readers know it, but those that compare namespace URIs exactly know only \"http://search.yahoo.com/mrss/\""};
        row("restriction type", "type=\"country\"", "type=\"nation\"",
            "media:restriction type \"nation\" is not country, uri or sharing");
        row("country codes", ">au us<", ">au US xx<",
            "media:restriction \"au US xx\" holds \"xx\", which is no ISO 3166 country code");
        row("restriction without a type", "relationship=\"allow\" type=\"country\">au us<",
            "relationship=\"allow\">au us<",
            "media:restriction \"au us\" has no type (country, uri or sharing); only \"all\" or \"none\" stand "
            "without one");
        row("restriction of all", "relationship=\"allow\" type=\"country\">au us<", "relationship=\"deny\">all<", "");
        row("restriction by URI", "type=\"country\">au us<", "type=\"uri\">https://example.org/ /images<",
            "media:restriction \"https://example.org/ /images\" holds \"/images\", which is no absolute URI");
        row("hash", "dfdec888b72151965a34b4b59031290a", "dfdec888b72151965a34b4b59031290",
            "media:hash \"dfdec888b72151965a34b4b59031290\" is not 32 hexadecimal digits, an MD5 hash");
        row("hash algorithm", "algo=\"md5\"", "algo=\"sha-256\"", "media:hash algo \"sha-256\" is not md5 or sha-1");
        row("text times", "start=\"00:00:03.000\"", "start=\"3s\"",
            "media:text start \"3s\" is not a time such as 12.5 or 0:01:02.5");
        row("title type", "<media:title type=\"plain\">", "<media:title type=\"text\">",
            "media:title type \"text\" is not plain or html");
        row("player url", "<media:player url=\"https://example.org/play\"/>", "<media:player/>",
            "media:player has no url");
        row("thumbnail url", "<media:thumbnail url=\"https://example.org/t.jpg\"", "<media:thumbnail",
            "media:thumbnail has no url");
        row("credit role", "role=\"producer\"", "role=\"Producer\"", "media:credit role \"Producer\" is not in lower case");
        // A credit's roles are the EBU's role codes unless its scheme says otherwise.
        row("credit role of the EBU's", "role=\"producer\"", "role=\"anchor person\"", "");
        row("credit role beyond the EBU's", "role=\"producer\"", "role=\"host\"",
            "media:credit role \"host\" is not one of the EBU's role codes, which the scheme urn:ebu takes");
        row("credit role under the default scheme", "role=\"producer\" scheme=\"urn:ebu\"", "role=\"host\"",
            "media:credit role \"host\" is not one of the EBU's role codes, which the scheme urn:ebu takes");
        row("credit role Media RSS names", "role=\"producer\"", "role=\"vocalist\"", "");
        row("credit role of a scheme of its own", "scheme=\"urn:ebu\"", "scheme=\"http://example.org/roles\"", "");
        row("credit role under urn:yvs", "scheme=\"urn:ebu\"", "scheme=\"urn:yvs\"",
            "media:credit role \"producer\" is not uploader or owner, which the scheme urn:yvs takes");
        // A media object has one title, description and copyright: the item, and each content apart.
        row("title twice", "<media:title type=\"plain\">Clip</media:title>",
            "<media:title type=\"plain\">Clip</media:title><media:title>Clip 2</media:title>",
            "a second media:title in the same item; a media object has one");
        row("title of a content", "type=\"video/mp4\"/></media:group>",
            "type=\"video/mp4\"><media:title>Low</media:title><media:copyright>A</media:copyright></media:content>"
            "</media:group>", "");
        row("title of the next item", "</item></channel>",
            "</item><item><title>Two</title><media:title>Two</media:title></item></channel>", "");
        row("copyright url", "<media:player", "<media:copyright url=\"terms\">2005 Ann</media:copyright><media:player",
            "media:copyright url \"terms\" is not an absolute URL");
        row("category scheme", "scheme=\"http://search.yahoo.com/mrss/category_schema\"", "scheme=\"my scheme\"",
            "media:category scheme \"my scheme\" is not a URI");
    }

    void mediaRss()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QStringList, lines);
        const QByteArray good =
            "<rss version=\"2.0\" xmlns:media=\"http://search.yahoo.com/mrss/\"><channel><title>Clips</title>"
            "<link>https://example.org/</link><description>Clips</description><item><title>Clip</title>"
            "<media:group><media:content url=\"https://example.org/high.mp4\" fileSize=\"12216320\" "
            "type=\"video/mp4\" medium=\"video\" isDefault=\"true\" expression=\"full\" bitrate=\"128\" "
            "framerate=\"29.97\" samplingrate=\"44.1\" channels=\"2\" duration=\"185\" width=\"640\" "
            "height=\"480\" lang=\"en\"/>"
            "<media:content url=\"https://example.org/low.mp4\" fileSize=\"10\" type=\"video/mp4\"/></media:group>"
            "<media:rating>nonadult</media:rating><media:rating scheme=\"urn:mpaa\">pg-13</media:rating>"
            "<media:restriction relationship=\"allow\" type=\"country\">au us</media:restriction>"
            "<media:hash algo=\"md5\">dfdec888b72151965a34b4b59031290a</media:hash>"
            "<media:text type=\"plain\" lang=\"en\" start=\"00:00:03.000\" end=\"12.5\">Hello</media:text>"
            "<media:title type=\"plain\">Clip</media:title><media:player url=\"https://example.org/play\"/>"
            "<media:thumbnail url=\"https://example.org/t.jpg\" width=\"75\" height=\"50\" time=\"12:05:01.123\"/>"
            "<media:category scheme=\"http://search.yahoo.com/mrss/category_schema\">music</media:category>"
            "<media:credit role=\"producer\" scheme=\"urn:ebu\">Ann Lee</media:credit>"
            "</item></channel></rss>";
        QByteArray feed = good;
        if (!from.isEmpty()) {
            feed.replace(from, to);
            QVERIFY(feed != good);
        }
        QCOMPARE(Lines(CheckFeed(feed.toStdString())), lines);
    }

    // An item's finding carries the row the Items page shows it at: the channel's children
    // from the first item on, whatever stands between the items.
    void itemRowsFollowTheItemsPage()
    {
        QByteArray feed = GoodFeed;
        feed.replace("</item>\n<item>", "</item>\n<category>News</category>\n<!-- c -->\n<item>");
        feed.replace("<description>Second, without a title</description>\n", "");
        const std::vector<TFeedFinding> findings = CheckFeed(feed.toStdString());
        QCOMPARE(findings.size(), size_t(1));
        QCOMPARE(findings[0].Place, TFindingPlace::Item);
        QCOMPARE(findings[0].Row, 2);
    }

    void dateForms_data()
    {
        QTest::addColumn<QByteArray>("date");
        QTest::addColumn<TDateVerdict>("verdict");
        QTest::addColumn<QByteArray>("detail");
        const auto valid = [](const char *date) {
            QTest::newRow(date) << QByteArray(date) << TDateVerdict::Valid << QByteArray();
        };
        valid("Mon, 5 Feb 2007 14:03:09 -0800"); // the editor's own stamp
        valid("Sun, 31 Dec 2006 23:59:59 -0800");
        valid("05 Feb 2007 14:03 +0130");
        valid("  5 feb 07 14:03:09 gmt ");
        valid("Sat, 29 Feb 2020 00:00:00 UT");
        valid("5 Feb 2007 14:03:09 EDT");
        valid("5 Feb 1999 14:03:09 PST");
        valid("5 Feb 2007 14:03:09 Z");
        valid("5 Feb 2007 23:59:60 +0000"); // a leap second
        const auto invalid = [](const char *date, TDateVerdict verdict, const char *detail) {
            QTest::newRow(date) << QByteArray(date) << verdict << QByteArray(detail);
        };
        invalid("", TDateVerdict::NotRfc822, "");
        invalid("2007-02-05T14:03:09Z", TDateVerdict::NotRfc822, "");
        invalid("Mon 5 Feb 2007 14:03:09 GMT", TDateVerdict::NotRfc822, "");
        invalid("Mon, 5 Feb 207 14:03:09 GMT", TDateVerdict::NotRfc822, "");
        invalid("Mon, 5 Feb 2007 140309 -0800", TDateVerdict::NotRfc822, "");
        invalid("Mon, 5 Feb 2007 14:03:09-0800", TDateVerdict::NotRfc822, "");
        valid("Mon, 5 Feb 2007 14:03:09 GMT (UTC)");
        valid("Mon,\r\n 5 Feb (a (nested) \\) comment) 2007 14:03:09 GMT");
        invalid("Mon, 5 Feb 2007 14:03:09 GMT (UTC", TDateVerdict::NotRfc822, "");
        invalid("Mon, 5 Feb 2007 14:03:09 GMT UTC)", TDateVerdict::NotRfc822, "");
        invalid("Mon, 5 Feb 2007 14:03:09", TDateVerdict::NoKnownZone, "");
        invalid("Mon, 5 Feb 2007 14:03:09 +01:00", TDateVerdict::NoKnownZone, "+01:00");
        invalid("Mon, 5 Feb 2007 14:03:09 J", TDateVerdict::NoKnownZone, "J");
        invalid("Mon, 5 Feb 2007 14:03:09 +0160", TDateVerdict::NoKnownZone, "+0160");
        invalid("Thu, 29 Feb 2007 10:00:00 GMT", TDateVerdict::NotReal, "Feb 2007 has no day 29");
        invalid("31 Apr 2007 10:00:00 GMT", TDateVerdict::NotReal, "Apr 2007 has no day 31");
        invalid("0 Apr 2007 10:00:00 GMT", TDateVerdict::NotReal, "Apr 2007 has no day 0");
        invalid("5 Feb 2007 24:00:00 GMT", TDateVerdict::NotReal, "the time of day does not exist");
        invalid("5 Feb 2007 12:60 GMT", TDateVerdict::NotReal, "the time of day does not exist");
        invalid("Tue, 5 Feb 2007 14:03:09 -0800", TDateVerdict::WrongWeekday, "Mon");
        invalid("Sat, 29 Feb 2000 00:00:00 GMT", TDateVerdict::WrongWeekday, "Tue");
    }

    void dateForms()
    {
        QFETCH(QByteArray, date);
        QFETCH(TDateVerdict, verdict);
        QFETCH(QByteArray, detail);
        const TDateCheck check = CheckRfc822Date(date.toStdString());
        QCOMPARE(check.Verdict, verdict);
        QCOMPARE(QByteArray::fromStdString(check.Detail), detail);
    }
};

QTEST_APPLESS_MAIN(FeedCheckTest)
#include "FeedCheckTest.moc"
