// The item the user chose, found again after another program rewrote the feed file: by what
// readers read in it. The same items written in another form are found (the command goes on,
// to the chosen item), one that changed is not (the command is refused), and of two items that
// differ only in an attribute the one chosen is the one the command changes.
#include "ItemCommands.h"
#include "zelXMLParser2.h"
#include "WindowFixture.h"

#include <cstdio>

namespace {

std::string Enclosure(const std::string &url)
{
    return "<enclosure url=\"" + url + "\" length=\"10\" type=\"audio/mpeg\"/>";
}

std::string Item(const std::string &title, const std::string &rest)
{
    return "<item><title>" + title + "</title>" + rest + "</item>\r\n";
}

std::string Feed(const std::string &items)
{
    return FeedBytes("News", "All", "http://x/", "Sun, 4 Feb 2007 10:00:00 -0800", "UTF-8", items);
}

std::string Replaced(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

class ItemFoundAgainTest : public QObject {
    Q_OBJECT

private slots:
    void commandsFindTheChosenItemAsReadersReadIt()
    {
        enum TCommand { Delete, Clone, Save };
        struct TRow {
            const char *Name;
            std::string Items;     // the feed's items as the editor read them
            int Chosen;            // the row the user chose
            std::string Rewritten; // the feed as the other program wrote it
            TCommand Command;
            int Found;             // the chosen item's row in the rewritten feed; -1: not in it
        };
        const std::string lines = Item("Lines", "<description>one\r\ntwo</description>");
        const std::string amp = Item("x &#38; y", "<description>d</description>");
        const std::string a = Item("Twin", Enclosure("http://x/a.mp3")), b = Item("Twin", Enclosure("http://x/b.mp3"));
        const std::string cdata = Item("<![CDATA[a < b]]>", Enclosure("http://x/?q=1&amp;r=2"));
        const std::vector<TRow> rows = {
            {"CR LF turned into LF inside a description", lines + amp, 0,
             Replaced(Feed(lines + amp), "\r\n", "\n"), Save, 0},
            {"a character reference rewritten as an entity, an item added before", lines + amp, 1,
             Feed(Item("New", "") + lines + Replaced(amp, "&#38;", "&amp;")), Delete, 2},
            {"two items that differ only in an enclosure's url, swapped", a + b, 0, Feed(b + a), Delete, 1},
            {"the same, the other one chosen", a + b, 1, Feed(b + a), Delete, 0},
            {"CDATA written as text, attributes in another order and form", cdata + a, 0,
             Feed(Item("a &lt; b", "<enclosure type=\"audio/mpeg\" length=\"10\" url=\"http://x/?q=1&#38;r=2\"/>") + a),
             Clone, 0},
            {"a description that changed", lines + amp, 0,
             Feed(Item("Lines", "<description>one\r\nthree</description>") + amp), Delete, -1},
            {"an enclosure that changed", a + b, 0, Feed(Item("Twin", Enclosure("http://x/c.mp3")) + b), Delete, -1},
        };
        for (const TRow &row : rows) {
            TWindowFixture window;
            const std::string path = window.WriteFeed("feed.xml", Feed(row.Items));
            window.WriteCatalogue({{path, "News", "All", "http://x/", "Sun"}});
            window.Start();
            window.ClickTab(1);
            window.ClickRow("ListBox2", row.Chosen);
            window.WriteFile("incoming.xml", row.Rewritten);
            QCOMPARE(std::rename(window.PathBytes("incoming.xml").c_str(), path.c_str()), 0);
            if (row.Command == Save)
                window.TypeInto(window.Edit("Edit5"), "Typed");
            window.Click(window.Tool(row.Command == Delete ? "SpeedButton7" : row.Command == Clone ? "SpeedButton5" : "SpeedButton6"));
            if (row.Found < 0) {
                QVERIFY2(window.Dialogs.Log().size() == 1 && window.Dialogs.Log().front().contains("is no longer in it as it was"),
                         row.Name);
                QVERIFY2(window.ReadFile("feed.xml") == row.Rewritten, row.Name);
                continue;
            }
            QVERIFY2(window.Dialogs.Log().isEmpty(), qPrintable(row.Name + (": " + window.Dialogs.Log().join(" | "))));
            const auto expected = ReadFeed(row.Rewritten);
            const int first = ListItems(*expected).FirstItemIndex;
            const std::string scratch = window.PathBytes("expected.xml");
            if (row.Command == Delete) {
                DeleteItem(*expected, scratch, first, row.Found);
            } else if (row.Command == Clone) {
                CloneItem(*expected, scratch, first, row.Found);
            } else {
                // The typed title goes to the chosen item; the rest of the file stays as it was.
                const auto written = ReadFeed(window.ReadFile("feed.xml"));
                QVERIFY2(ReadItem(*written, path, first, row.Found).Title == "Typed", row.Name);
                QVERIFY2(ListItems(*written).Rows.size() == ListItems(*expected).Rows.size(), row.Name);
                continue;
            }
            QVERIFY2(window.ReadFile("feed.xml") == window.ReadFile("expected.xml"), row.Name);
        }
    }
};

QTEST_MAIN(ItemFoundAgainTest)
#include "ItemFoundAgainTest.moc"
