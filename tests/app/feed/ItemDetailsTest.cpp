// Item details: where each RSS 2.0 element goes in an item, what is edited in place and what
// is left alone (a table over the document), the enclosure taken from a local file, and the
// details dialog driven from the Items page with the feed file's bytes after it.
#include "ItemDetails.h"
#include "TestBytes.h"
#include "TextFunctions.h"
#include "WindowFixture.h"
#include "zelXMLParser2.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>

namespace {

// The item as the writer lays it out, without the declaration line.
std::string ItemText(const TzelXMLParser2 &item)
{
    const std::string text = item.BuildXmlText();
    return text.substr(text.find("\r\n") + 2);
}

std::string Lines(std::initializer_list<const char *> lines)
{
    std::string text;
    for (const char *line : lines)
        text += std::string(text.empty() ? "" : "\r\n") + line;
    return text;
}

TItemDetails Details(std::string guid, bool permaLink, std::string author,
                     std::vector<std::string> categories, std::string comments, std::string url,
                     std::string length, std::string type)
{
    return {guid, permaLink, author, categories, comments, url, length, type};
}

} // namespace

class ItemDetailsTest : public QObject {
    Q_OBJECT

private slots:
    void writesDetailsInRssOrderAndKeepsTheRest()
    {
        struct TRow {
            const char *Name;
            std::string Item;
            TItemDetails Wanted; // applied as given
            std::string Written; // the item afterwards, or the error's message
            bool Raises = false;
        };
        const std::string plain =
            "<item><title>t</title><description>d</description><link>l</link><pubDate>p</pubDate></item>";
        const std::string rich =
            "<item><title>t</title><guid>old</guid><ext>keep</ext><category domain=\"d\">k1</category>"
            "<category>k2</category><author>old</author><enclosure type=\"video/mp4\" url=\"old\" "
            "length=\"1\"/><pubDate>p</pubDate></item>";
        const std::vector<TRow> rows = {
            {"new elements in RSS 2.0 order", plain,
             Details("g", false, "a", {"c1", "c2"}, "cm", "u", "12", "audio/mpeg"),
             Lines({"<item>", "  <title>t</title>", "  <description>d</description>",
                    "  <link>l</link>", "  <author>a</author>", "  <category>c1</category>",
                    "  <category>c2</category>", "  <comments>cm</comments>",
                    "  <enclosure url=\"u\" length=\"12\" type=\"audio/mpeg\"/>",
                    "  <guid isPermaLink=\"false\">g</guid>", "  <pubDate>p</pubDate>", "</item>"})},
            {"edited in place, other children kept", rich,
             Details("new", true, "new", {"K1"}, "", "u2", "99", "video/mp4"),
             Lines({"<item>", "  <title>t</title>", "  <guid>new</guid>", "  <ext>keep</ext>",
                    "  <category domain=\"d\">K1</category>", "  <author>new</author>",
                    "  <enclosure type=\"video/mp4\" url=\"u2\" length=\"99\"/>",
                    "  <pubDate>p</pubDate>", "</item>"})},
            {"emptied details removed, isPermaLink edited",
             "<item><title>t</title><author>a</author><category>c</category><comments>cm</comments>"
             "<enclosure url=\"u\" length=\"1\" type=\"t\"/><guid isPermaLink=\"false\">g</guid></item>",
             Details("g", true, "", {}, "", "", "", ""),
             Lines({"<item>", "  <title>t</title>", "  <guid isPermaLink=\"true\">g</guid>", "</item>"})},
            {"a category line removed: the others keep their own attributes",
             "<item><title>t</title><category domain=\"http://x/cats\">Talk</category>"
             "<category>History</category></item>",
             Details("", true, "", {"History"}, "", "", "", ""),
             Lines({"<item>", "  <title>t</title>", "  <category>History</category>", "</item>"})},
            {"category lines moved, edited and added: each element follows its text",
             "<item><title>t</title><category domain=\"a\">A</category><category>B</category>"
             "<category domain=\"c\">C</category><category domain=\"d\">D</category></item>",
             Details("", true, "", {"New", "C", "A", "D2", "E"}, "", "", "", ""),
             Lines({"<item>", "  <title>t</title>", "  <category>New</category>",
                    "  <category domain=\"c\">C</category>", "  <category domain=\"a\">A</category>",
                    "  <category domain=\"d\">D2</category>", "  <category>E</category>", "</item>"})},
            {"enclosure without type", plain, Details("", true, "", {}, "", "u", "1", ""),
             "An enclosure needs its URL, its length in bytes and its MIME type.", true},
            {"enclosure length not a number", plain, Details("", true, "", {}, "", "u", "12k", "a/b"),
             "The enclosure length \"12k\" is not a whole number of bytes.", true},
        };
        for (const TRow &row : rows) {
            TzelXMLParser2 item;
            item.SetSourceText(row.Item);
            const std::string before = ItemText(item);
            // The details read from the item, applied unchanged, leave it as it was.
            ApplyDetails(item, ReadDetailsOf(item));
            COMPARE_BYTES(ItemText(item), before);
            std::string message;
            try {
                ApplyDetails(item, row.Wanted);
            } catch (const std::exception &error) {
                message = error.what();
            }
            QVERIFY2(row.Raises == !message.empty(), row.Name);
            if (row.Raises) {
                COMPARE_BYTES(message, row.Written);
                COMPARE_BYTES(ItemText(item), before);
                continue;
            }
            COMPARE_BYTES(ItemText(item), row.Written);
            // Read back from the written text, the details are the ones given.
            TzelXMLParser2 again;
            again.SetSourceText(item.BuildXmlText());
            QVERIFY2(ReadDetailsOf(again) == row.Wanted, row.Name);
        }
    }

    // The details show as readers read them: references decoded (a character reference in the
    // feed's own encoding), a CDATA section's text as it is, what only a DOCTYPE could give a
    // meaning as written. Files the editor wrote with "<![CDATA[&]]>" for a typed "&" read right.
    void showsDetailsAsReadersReadThem()
    {
        struct TRow {
            const char *Encoding;
            std::string Item;
            std::string Author, Url; // as read
        };
        const TRow rows[] = {
            {"UTF-8", "<author>Zo&#235; <![CDATA[&]]> Friends</author>", "Zo\xC3\xAB & Friends", ""},
            {"UTF-8", "<author><![CDATA[x &amp; <y>]]></author>", "x &amp; <y>", ""},
            {"UTF-8", "<author> a &amp;amp; b &gt; c &#x1F600; </author>", "a &amp; b > c \xF0\x9F\x98\x80", ""},
            {"UTF-8", "<author>a &nbsp; b<!-- c --></author>", "a &nbsp; b", ""},
            {"ISO-8859-1", "<author>caf&#233; &#8364;</author>", "caf\xE9 &#8364;", ""},
            {"UTF-8", "<enclosure url=\"a&amp;b&#32;c&amp;amp;\" length=\"1\" type=\"t\"/>", "", "a&b c&amp;"},
        };
        for (const TRow &row : rows) {
            TzelXMLParser2 document;
            document.SetXmlCompatible(true);
            document.SetSourceText("<?xml version=\"1.0\" encoding=\"" + std::string(row.Encoding) +
                                   "\"?><rss><channel><item>" + row.Item + "</item></channel></rss>");
            const std::string before = document.BuildXmlText();
            const TItemDetails details = ReadItemDetails(document, "feed.xml", 0, 0);
            COMPARE_BYTES(details.Author, row.Author);
            COMPARE_BYTES(details.EnclosureUrl, row.Url);
            // Applied as read, nothing changes.
            ApplyDetails(*document.FindChild("channel")->ChildAt(0), details, ReaderFormOf(document));
            COMPARE_BYTES(document.BuildXmlText(), before);
        }
    }

    // A write that fails puts the item back as it was, with the markup that follows it: the
    // next save writes that markup too.
    void failedWriteKeepsTheItemAndWhatFollowsIt()
    {
        QTemporaryDir directory;
        const std::string path = directory.filePath("feed.xml").toStdString();
        TzelXMLParser2 document;
        document.SetXmlCompatible(true);
        document.SetSourceText("<rss><channel><item><title>t</title><author>a</author></item><!-- after -->"
                               "<item><title>u</title></item></channel></rss>");
        const std::string before = document.BuildXmlText();
        TItemDetails details = ReadItemDetails(document, path, 0, 0);
        details.Author = "a ]]> b";
        details.Comments = "http://x/c";
        // A folder that is not there: the write fails.
        QVERIFY_THROWS_EXCEPTION(std::exception, WriteItemDetails(document, path + ".missing/feed.xml", 0, 0, details));
        COMPARE_BYTES(document.BuildXmlText(), before);
    }

    void enclosureLengthAndTypeFromALocalFile()
    {
        QTemporaryDir directory;
        QFile file(directory.filePath("episode 1.mp3"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1234, 'x'));
        file.close();
        const TEnclosureFile enclosure = EnclosureOfFile(file.fileName());
        COMPARE_BYTES(enclosure.Length, "1234");
        COMPARE_BYTES(enclosure.Type, "audio/mpeg");
        QVERIFY_THROWS_EXCEPTION(std::exception, EnclosureOfFile(directory.filePath("none.mp3")));
    }

    // A double click on an item row opens the dialog; what is typed there is written at once in
    // RSS 2.0 order, and Ctrl+D shows it again as read back from the file.
    void detailsDialogFromTheItemsPage()
    {
        TWindowFixture window;
        const std::string item = "    <item>\r\n"
                                 "      <title>Episode 1</title>\r\n"
                                 "      <description>d</description>\r\n"
                                 "      <link>http://x/1</link>\r\n"
                                 "      <category domain=\"x\">Old</category>\r\n"
                                 "      <pubDate>p</pubDate>\r\n"
                                 "    </item>\r\n";
        const std::string path =
            window.WriteFeed("feed.xml", FeedBytes("Cast", "All", "http://x/", "d", "UTF-8", item));
        window.WriteCatalogue({{path, "Cast", "All", "http://x/", "d"}});
        window.WriteFile("ep1.pdf", "%PDF-1.4\n" + std::string(4312, 'x')); // any file may be an enclosure
        window.Start();
        window.ClickTab(1);

        TItemDetailsText opened;
        window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
            opened = dialog.Details();
            const auto edit = [&](const char *name) { return dialog.findChild<QLineEdit *>(name); };
            window.TypeInto(edit("GuidEdit"), "tag:x,1");
            QTest::mouseClick(dialog.findChild<QCheckBox *>("PermaLinkCheck"), Qt::LeftButton);
            window.TypeInto(edit("AuthorEdit"), "me@x (Me)");
            auto *categories = dialog.findChild<QPlainTextEdit *>("CategoriesMemo");
            categories->setFocus();
            QTest::keyClick(categories, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(categories, Qt::Key_Return);
            TWindowFixture::TypeText(categories, "Talk");
            window.TypeInto(edit("CommentsEdit"), "http://x/c");
            window.TypeInto(edit("EnclosureUrlEdit"), "http://x/ep1.pdf");
            dialog.FillEnclosureFromFile(window.PathOf("ep1.pdf"));
            QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
        };
        QWidget *viewport = window.View("ListBox2")->viewport();
        const QPoint row0 = window.RowRect("ListBox2", 0).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, row0); // a double click's first click
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, row0);
        QCOMPARE(window.Dialogs.Log(), QStringList({"details: "}));
        QCOMPARE(opened.Categories, QStringList({"Old"}));
        QCOMPARE(opened.Guid, QString());
        COMPARE_BYTES(window.ReadFile("feed.xml"),
                      FeedBytes("Cast", "All", "http://x/", "d", "UTF-8",
                                "    <item>\r\n"
                                "      <title>Episode 1</title>\r\n"
                                "      <description>d</description>\r\n"
                                "      <link>http://x/1</link>\r\n"
                                "      <author>me@x (Me)</author>\r\n"
                                "      <category domain=\"x\">Old</category>\r\n"
                                "      <category>Talk</category>\r\n"
                                "      <comments>http://x/c</comments>\r\n"
                                "      <enclosure url=\"http://x/ep1.pdf\" length=\"4321\" type=\"application/pdf\"/>\r\n"
                                "      <guid isPermaLink=\"false\">tag:x,1</guid>\r\n"
                                "      <pubDate>p</pubDate>\r\n"
                                "    </item>\r\n"));
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"Episode 1"}));

        const std::string written = window.ReadFile("feed.xml");
        window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
            opened = dialog.Details();
            dialog.reject();
        };
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(opened.Guid, QString("tag:x,1"));
        QCOMPARE(opened.GuidIsPermaLink, false);
        QCOMPARE(opened.Author, QString("me@x (Me)"));
        QCOMPARE(opened.Categories, QStringList({"Old", "Talk"}));
        QCOMPARE(opened.Comments, QString("http://x/c"));
        QCOMPARE(QStringList({opened.EnclosureUrl, opened.EnclosureLength, opened.EnclosureType}),
                 QStringList({"http://x/ep1.pdf", "4321", "application/pdf"}));
        COMPARE_BYTES(window.ReadFile("feed.xml"), written);
        QCOMPARE(window.Dialogs.Log(), QStringList({"details: ", "details: tag:x,1"}));
    }
};

QTEST_MAIN(ItemDetailsTest)
#include "ItemDetailsTest.moc"
