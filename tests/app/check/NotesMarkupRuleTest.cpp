// Check Feed on show notes: a table of content:encoded texts (CDATA or escaped, any prefix)
// and the warning each gives, none for notes readers show as written.
#include "FeedCheck.h"

#include <QTest>

class NotesMarkupRuleTest : public QObject {
    Q_OBJECT

private slots:
    void warnsOfWhatReadersStrip()
    {
        struct TRow {
            std::string Notes;  // inside the item's notes element
            std::string Prefix; // the prefix bound to the content namespace
            std::string Warning; // the finding's line, "" for none
        };
        const std::vector<TRow> rows = {
            {"<![CDATA[<p>Fine <a href=\"https://e.org/\">link</a></p><ul><li>x</li></ul><table><tr><td>t</td></tr></table>]]>",
             "content", ""},
            {"<![CDATA[<p>a</p><script>alert(1)</script><img src=x onerror=\"alert(1)\">]]>", "content",
             "item 1 \"E\": warning: content:encoded holds <script> and an event attribute (onerror), which readers strip or refuse"},
            {"&lt;a href=\" JavaScript:go()\"&gt;x&lt;/a&gt;&lt;style&gt;p{}&lt;/style&gt;&lt;iframe src=\"https://e.org/\"&gt;&lt;/iframe&gt;",
             "c", "item 1 \"E\": warning: c:encoded holds a javascript: URL, <style> and <iframe>, which readers strip or refuse"},
            {"plain words about onload and javascript: in text", "content", ""},
        };
        for (const TRow &row : rows) {
            const std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\" xmlns:" + row.Prefix +
                                     "=\"http://purl.org/rss/1.0/modules/content/\"><channel><title>S</title>"
                                     "<link>https://e.org/</link><description>d</description><item><title>E</title><" +
                                     row.Prefix + ":encoded>" + row.Notes + "</" + row.Prefix + ":encoded></item></channel></rss>";
            QStringList lines;
            for (const TFeedFinding &finding : CheckFeed(feed))
                lines << QString::fromStdString(FindingLine(finding));
            QCOMPARE(lines, row.Warning.empty() ? QStringList() : QStringList{QString::fromStdString(row.Warning)});
        }
    }
};

QTEST_MAIN(NotesMarkupRuleTest)
#include "NotesMarkupRuleTest.moc"
