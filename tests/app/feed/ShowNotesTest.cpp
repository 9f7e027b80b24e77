// Show notes without a window: what the preview renders of hostile or plain HTML, the summary
// a description gets, the markup the editor's buttons make, and content:encoded read and
// written over small feeds (CDATA, escaped markup, a prefix already bound, "]]>" in the notes).
#include "EpisodePreview.h"
#include "TestBytes.h"
#include "NotesHtml.h"
#include "ShowNotes.h"
#include "zelXMLParser2.h"

#include <QTest>
#include <QTextDocument>

class ShowNotesTest : public QObject {
    Q_OBJECT

private slots:
    void htmlForPreviewSummaryAndButtons()
    {
        struct TRow {
            const char *Name;
            QString Made;     // what the function made
            QString Expected;
        };
        const QString hostile =
            QStringLiteral("<p onclick=\"x()\">Hi <a href=\" JaVa&#x53;cript:alert(1)\">go</a></p>"
                           "<script>alert(1)</script><STYLE>p{color:red}</STYLE>"
                           "<iframe src=\"https://x/\"><p>inner</p></iframe><img src=x onerror=alert(1)>"
                           "<!-- note --><a href='https://ok.example/?a=1&amp;b=\"2\"'>ok</a>");
        const std::vector<TRow> rows = {
            {"scripts, styles, frames, event attributes and script URLs go; the rest is rebuilt",
             SafeNotesHtml(hostile),
             QStringLiteral("<p>Hi <a>go</a></p><img src=\"x\"><a href=\"https://ok.example/?a=1&amp;b=&quot;2&quot;\">ok</a>")},
            {"an unclosed script takes the rest with it", SafeNotesHtml(QStringLiteral("<p>a</p><script>b<p>c</p>")),
             QStringLiteral("<p>a</p>")},
            {"a < that starts no tag stays text; data: addresses go",
             SafeNotesHtml(QStringLiteral("1 < 2 <img SRC=\"data:image/png;base64,AA\" alt=a>")),
             QStringLiteral("1 < 2 <img alt=\"a\">")},
            {"offered markup passes as it is",
             SafeNotesHtml(QStringLiteral("<p><strong>a</strong><em>b</em><br><ul><li>c</li></ul><ol><li>d</li></ol></p>")),
             QStringLiteral("<p><strong>a</strong><em>b</em><br><ul><li>c</li></ul><ol><li>d</li></ol></p>")},
            {"the summary reads the text, parts blocks, drops scripts",
             NotesSummary(QStringLiteral("<p>Caf&eacute; &amp; <b>talk</b></p><ul><li>one</li><li>two&#8217;s</li></ul>"
                                         "<script>var x;</script>")),
             QString::fromUtf8("Café & talk one two’s")},
            {"a long summary is cut after a word", NotesSummary(QStringLiteral("<p>alpha beta gamma delta</p>"), 16),
             QStringLiteral("alpha beta...")},
            {"bold", InlineMarkup(QStringLiteral("x"), QStringLiteral("strong")), QStringLiteral("<strong>x</strong>")},
            {"a link escapes its address", LinkMarkup(QStringLiteral("site"), QStringLiteral(" https://e.org/?a=1&b=\"2\" ")),
             QStringLiteral("<a href=\"https://e.org/?a=1&amp;b=&quot;2&quot;\">site</a>")},
            {"a link without selection shows its address", LinkMarkup({}, QStringLiteral("https://e.org/")),
             QStringLiteral("<a href=\"https://e.org/\">https://e.org/</a>")},
            {"a list has an item per non-empty line", ListMarkup(QStringLiteral("a\n\n b \x2029" "c"), true),
             QStringLiteral("<ol>\n<li>a</li>\n<li>b</li>\n<li>c</li>\n</ol>")},
            {"an empty bulleted list has one empty item", ListMarkup({}, false), QStringLiteral("<ul>\n<li></li>\n</ul>")},
            {"paragraphs, one a line", ParagraphMarkup(QStringLiteral("a\nb")), QStringLiteral("<p>a</p>\n<p>b</p>")},
            {"a plain description keeps its lines", DescriptionAsHtml(QStringLiteral("a < b\r\nc")),
             QStringLiteral("a &lt; b<br>c")},
            {"a description with markup is HTML", DescriptionAsHtml(QStringLiteral("<b>a</b>")), QStringLiteral("<b>a</b>")},
            {"durations as apps show them",
             ShownDuration(QStringLiteral("1:02:03")) + u'|' + ShownDuration(QStringLiteral("2049")) + u'|' +
                 ShownDuration(QStringLiteral("45")) + u'|' + ShownDuration(QStringLiteral("soon")),
             QStringLiteral("1 hr 2 min|34 min|45 sec|soon")},
            {"dates as apps show them",
             ShownDate(QStringLiteral("Mon, 05 Feb 2007 14:03:09 -0800")) + u'|' + ShownDate(QStringLiteral("later")),
             QStringLiteral("Feb 5, 2007|later")},
        };
        for (const TRow &row : rows) {
            qInfo("%s", row.Name);
            QCOMPARE(row.Made, row.Expected);
        }
        // What the Text view edits, and the markup it writes back.
        const auto yes = [](bool offered) { return offered ? 'y' : 'n'; };
        const std::string offered{yes(OnlyOfferedMarkup("<p>a <b>b</b><br><a href=\"x\">c</a></p><ol><li>d</li></ol>plain")),
                         yes(OnlyOfferedMarkup("<table><tr><td>t</td></tr></table>")),
                         yes(OnlyOfferedMarkup("<p class=\"x\">a</p>")), yes(OnlyOfferedMarkup("<!-- c -->")),
                              yes(OnlyOfferedMarkup("<a href=\"x\" onclick=\"y\">c</a>"))};
        QCOMPARE(offered, std::string("ynnnn"));
        QTextDocument document;
        document.setHtml("<p><b>a</b> <i>b</i> <a href=\"https://e.org/?a&amp;b\">c &amp; d</a></p>"
                         "<ol><li>x</li></ol><ul><li>y</li><li><b><i>z</i></b></li></ul><p>u<br>w</p>");
        QCOMPARE(OfferedHtml(document),
                 QStringLiteral("<p><strong>a</strong> <em>b</em> <a href=\"https://e.org/?a&amp;b\">c &amp; d</a></p>\n"
                                "<ol>\n<li>x</li>\n</ol>\n<ul>\n<li>y</li>\n<li><strong><em>z</em></strong></li>\n</ul>\n"
                                "<p>u<br>w</p>"));
    }

    void notesReadAndWrittenAsOneCdataSection()
    {
        struct TRow {
            const char *Name;
            std::string Item;  // the item's children
            std::string Read;  // the notes as read
            std::string Notes; // written
            std::string Written; // the item afterwards
            bool Declares;
        };
        const std::string content = "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"";
        const std::vector<TRow> rows = {
            {"new notes go after the description, the namespace declared",
             "<title>t</title><description>d</description><guid>g</guid>", "", "<p>a &amp; b</p>",
             "<title>t</title><description>d</description><content:encoded><![CDATA[<p>a &amp; b</p>]]></content:encoded><guid>g</guid>",
             true},
            {"escaped notes read as HTML and are written as CDATA",
             "<title>t</title><c:encoded xmlns:c=\"http://purl.org/rss/1.0/modules/content/\">&lt;p&gt;x &amp;amp; y&lt;/p&gt;&#8217;</c:encoded>",
             "<p>x &amp; y</p>&#8217;", "<p>z</p>",
             "<title>t</title><c:encoded xmlns:c=\"http://purl.org/rss/1.0/modules/content/\"><![CDATA[<p>z</p>]]></c:encoded>",
             false},
            {"CDATA pieces and a comment read as one",
             "<content:encoded " + content + "><![CDATA[<p>a]]><!-- c --><![CDATA[</p>]]></content:encoded>", "<p>a</p>",
             "plain words", "<content:encoded " + content + "><![CDATA[<p>plain words</p>]]></content:encoded>", false},
            {"a prefix bound on rss is used", "<title>t</title>", "", "<p>x</p>",
             "<title>t</title><n:encoded><![CDATA[<p>x</p>]]></n:encoded>", false},
            {"a \"]]>\" in the notes keeps them one section", "<title>t</title>", "", "<p>a]]>b</p>",
             "<title>t</title><content:encoded><![CDATA[<p>a]]&gt;b</p>]]></content:encoded>", true},
            {"empty notes remove the element", "<content:encoded " + content + "><![CDATA[<p>x</p>]]></content:encoded>",
             "<p>x</p>", " ", "", false},
        };
        for (const TRow &row : rows) {
            qInfo("%s", row.Name);
            TzelXMLParser2 document;
            document.SetXmlCompatible(true);
            const std::string bound = row.Written.find("<n:") != std::string::npos
                                          ? " xmlns:n=\"http://purl.org/rss/1.0/modules/content/\""
                                          : "";
            document.SetSourceText("<rss version=\"2.0\"" + bound + "><channel><title>s</title><item>" + row.Item + "</item></channel></rss>");
            TzelXMLNode2 &channel = *document.FindChild("channel", false);
            TzelXMLNode2 &item = *channel.FindChild("item", false);
            COMPARE_BYTES(ReadShowNotes(document, channel, item), row.Read);
            QCOMPARE(ApplyShowNotes(document, channel, item, row.Notes), row.Declares);
            const std::string text = document.BuildXmlText();
            const size_t start = text.find("<item>") + 6, end = text.find("</item>");
            std::string written = end == std::string::npos ? std::string() : text.substr(start, end - start); // <item/>
            std::erase(written, '\r');
            std::erase(written, '\n');
            std::string compact;
            for (size_t i = 0; i < written.size(); ++i) // the writer's indent between elements
                if (!(written[i] == ' ' && (i == 0 || written[i - 1] == '>' || written[i - 1] == ' ')))
                    compact += written[i];
            COMPARE_BYTES(compact, row.Written);
            QCOMPARE(document.Attributes().Count() - (bound.empty() ? 1 : 2), row.Declares ? 1 : 0);
            const size_t uri = text.find("modules/content/");
            QVERIFY(uri == std::string::npos || text.find("modules/content/", uri + 1) == std::string::npos);
            TzelXMLParser2 again;
            again.SetXmlCompatible(true);
            again.SetSourceText(text);
            TzelXMLNode2 &channelAgain = *again.FindChild("channel", false);
            const std::string expected = row.Notes == " " ? "" : row.Notes.find('<') == std::string::npos
                                                                     ? "<p>" + row.Notes + "</p>"
                                                                     : row.Notes;
            if (row.Notes.find("]]>") == std::string::npos)
                COMPARE_BYTES(ReadShowNotes(again, channelAgain, *channelAgain.FindChild("item", false)), expected);
        }
    }
};

QTEST_MAIN(ShowNotesTest)
#include "ShowNotesTest.moc"
