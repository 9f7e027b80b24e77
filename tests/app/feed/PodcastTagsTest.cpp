// The podcast tags: a table of show and episode edits over small feeds (new tags and their
// namespace, edits in place, emptied fields, another prefix bound to the same namespace, old
// value forms), each checked against the written bytes and read back; and the podcast:guid.
#include "PodcastTags.h"
#include "TestBytes.h"
#include "zelXMLParser2.h"

#include <QTest>
#include <functional>

namespace {

std::string Lines(std::initializer_list<const char *> lines)
{
    std::string text;
    for (const char *line : lines)
        text += std::string(text.empty() ? "" : "\r\n") + line;
    return text;
}

// The document as the writer lays it out, without the declaration line.
std::string Written(const TzelXMLParser2 &document)
{
    const std::string text = document.BuildXmlText();
    return text.substr(text.find("\r\n") + 2);
}

TzelXMLNode2 &Channel(TzelXMLParser2 &document) { return *document.FindChild("channel", false); }
TzelXMLNode2 &Item(TzelXMLParser2 &document) { return *Channel(document).FindChild("item", false); }

} // namespace

class PodcastTagsTest : public QObject {
    Q_OBJECT

private slots:
    void writesTagsWhereDirectoriesReadThem()
    {
        struct TRow {
            const char *Name;
            std::string Feed;
            std::function<void(TShowTags &, TEpisodeTags &)> Edit;
            std::string Written; // the document afterwards, or the error's message
            bool Declares = false;
        };
        const std::string bare = "<rss version=\"2.0\"><channel><title>t</title><link>https://x/</link><item><title>e</title></item></channel></rss>";
        const std::string tagged =
            "<rss xmlns:it=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" version=\"2.0\"><channel>"
            "<title>t</title><it:explicit>yes</it:explicit><it:owner><it:name>N</it:name>"
            "<it:email>n@x.org</it:email></it:owner><it:category text=\"Arts\"><it:category text=\"Books\"/>"
            "</it:category><ext>keep</ext><item><title>e</title><it:explicit>clean</it:explicit>"
            "<it:duration>61</it:duration></item></channel></rss>";
        const std::vector<TRow> rows = {
            {"new show and episode tags declare each namespace once", bare,
             [](TShowTags &show, TEpisodeTags &episode) {
                 show.Author = "A";
                 show.Explicit = "false";
                 show.Categories = {{"Technology", ""}, {"Arts", "Books"}};
                 show.ImageHref = "https://x/c.jpg";
                 show.PodcastGuid = "g";
                 show.FundingUrl = "https://x/f";
                 show.FundingText = "Support";
                 episode.Episode = "2";
                 episode.Duration = "00:01:05";
                 episode.TranscriptUrl = "https://x/t.vtt";
                 episode.TranscriptType = "text/vtt";
             },
             Lines({"<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
                    "xmlns:podcast=\"https://podcastindex.org/namespace/1.0\">",
                    "  <channel>", "    <title>t</title>", "    <link>https://x/</link>",
                    "    <itunes:author>A</itunes:author>",
                    "    <itunes:explicit>false</itunes:explicit>",
                    "    <itunes:image href=\"https://x/c.jpg\"/>",
                    "    <podcast:guid>g</podcast:guid>",
                    "    <podcast:funding url=\"https://x/f\">Support</podcast:funding>",
                    "    <itunes:category text=\"Technology\"/>",
                    "    <itunes:category text=\"Arts\">",
                    "      <itunes:category text=\"Books\"/>", "    </itunes:category>",
                    "    <image>", "      <url>https://x/c.jpg</url>", "      <title>t</title>",
                    "      <link>https://x/</link>", "    </image>",
                    "    <item>", "      <title>e</title>", "      <itunes:episode>2</itunes:episode>",
                    "      <itunes:duration>00:01:05</itunes:duration>",
                    "      <podcast:transcript url=\"https://x/t.vtt\" type=\"text/vtt\"/>",
                    "    </item>", "  </channel>", "</rss>"}),
             true},
            {"another prefix: edited in place, old forms in today's, emptied owner removed", tagged,
             [](TShowTags &show, TEpisodeTags &episode) {
                 QCOMPARE(show.Explicit, "true");
                 QCOMPARE(episode.Explicit, "false");
                 QVERIFY((show.Categories == std::vector<TCategoryPick>{{"Arts", "Books"}}));
                 show.OwnerName = show.OwnerEmail = "";
                 show.Categories.push_back({"History", ""});
                 episode.Duration = "62";
                 episode.Season = "1";
             },
             Lines({"<rss xmlns:it=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" version=\"2.0\">",
                    "  <channel>", "    <title>t</title>", "    <it:explicit>true</it:explicit>",
                    "    <it:category text=\"Arts\">", "      <it:category text=\"Books\"/>",
                    "    </it:category>", "    <it:category text=\"History\"/>",
                    "    <ext>keep</ext>", "    <item>", "      <title>e</title>",
                    "      <it:explicit>false</it:explicit>", "      <it:duration>62</it:duration>",
                    "      <it:season>1</it:season>", "    </item>", "  </channel>", "</rss>"})},
            {"a prefix bound to another namespace is left to it",
             "<rss xmlns:itunes=\"http://example.org/other\"><channel><item/></channel></rss>",
             [](TShowTags &show, TEpisodeTags &) { show.Type = "serial"; },
             Lines({"<rss xmlns:itunes=\"http://example.org/other\" "
                    "xmlns:itunes2=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">",
                    "  <channel>", "    <itunes2:type>serial</itunes2:type>", "    <item/>",
                    "  </channel>", "</rss>"}),
             true},
            {"a duration that is not one", bare,
             [](TShowTags &, TEpisodeTags &episode) { episode.Duration = "1:5"; },
             "The duration \"1:5\" is neither seconds nor [H:]MM:SS."},
            {"an episode number that is not one", bare,
             [](TShowTags &, TEpisodeTags &episode) { episode.Episode = "0"; },
             "The episode number \"0\" is not a whole number from 1 up."},
        };
        for (const TRow &row : rows) {
            TzelXMLParser2 document;
            document.SetSourceText(row.Feed);
            const std::string before = Written(document);
            TShowTags show = ReadShowTags(document, Channel(document));
            TEpisodeTags episode = ReadEpisodeTags(document, Channel(document), Item(document));
            // Read and applied unchanged, nothing changes.
            QVERIFY(!ApplyShowTags(document, Channel(document), show));
            QVERIFY(!ApplyEpisodeTags(document, Channel(document), Item(document), episode));
            COMPARE_BYTES(Written(document), before);
            row.Edit(show, episode);
            bool declared = false;
            std::string message;
            try {
                declared = ApplyEpisodeTags(document, Channel(document), Item(document), episode);
                declared = ApplyShowTags(document, Channel(document), show) || declared;
            } catch (const std::exception &error) {
                message = error.what();
            }
            if (!message.empty()) {
                COMPARE_BYTES(message, row.Written);
                COMPARE_BYTES(Written(document), before);
                continue;
            }
            QVERIFY2(declared == row.Declares, row.Name);
            COMPARE_BYTES(Written(document), row.Written);
            // Read back from the written text, the tags are the ones given.
            TzelXMLParser2 again;
            again.SetSourceText(document.BuildXmlText());
            QVERIFY2(ReadShowTags(again, Channel(again)) == show, row.Name);
            QVERIFY2(ReadEpisodeTags(again, Channel(again), Item(again)) == episode, row.Name);
        }
    }

    // The podcast:guid the namespace documents for its own example feed, also from a URL
    // without its scheme and with trailing slashes.
    void podcastGuidIsTheUuidOfTheFeedUrl()
    {
        QCOMPARE(PodcastGuidOf("https://mp3s.nashownotes.com/pc20rss.xml"),
                 "917393e3-1b1e-5cef-ace4-edaa54e1f810");
        QCOMPARE(PodcastGuidOf("mp3s.nashownotes.com/pc20rss.xml//"),
                 "917393e3-1b1e-5cef-ace4-edaa54e1f810");
    }

    // A typed duration is seconds or [H:]MM:SS with minutes and seconds below 60, as the
    // directories read it; a media file's length in seconds shows as HH:MM:SS.
    void durationsAreTypedAndShownAsDirectoriesReadThem()
    {
        const std::pair<const char *, bool> typed[] = {
            {"61", true},     {"1:59", true},     {"01:00:00", true}, {"10:59:59", true},
            {"1:60", false},  {"1:65", false},    {"1:00:60", false}, {"1:5", false},
            {"1:2:03", false}, {"1:00:00:00", false}, {":30", false}, {"1.5", false},
        };
        for (const auto &[duration, accepted] : typed) {
            TzelXMLParser2 document;
            document.SetSourceText("<rss><channel><item><title>e</title></item></channel></rss>");
            TEpisodeTags episode;
            episode.Duration = duration;
            bool refused = false;
            try {
                ApplyEpisodeTags(document, Channel(document), Item(document), episode);
            } catch (const std::exception &) {
                refused = true;
            }
            QVERIFY2(refused != accepted, duration);
            QVERIFY2(refused || ReadEpisodeTags(document, Channel(document), Item(document)).Duration == duration, duration);
        }
        const std::pair<long long, const char *> shown[] = {
            {0, "00:00:00"}, {3, "00:00:03"}, {59, "00:00:59"}, {60, "00:01:00"}, {3725, "01:02:05"}, {360000, "100:00:00"}};
        for (const auto &[seconds, text] : shown)
            QCOMPARE(DurationText(seconds), text);
    }
};

QTEST_MAIN(PodcastTagsTest)
#include "PodcastTagsTest.moc"
