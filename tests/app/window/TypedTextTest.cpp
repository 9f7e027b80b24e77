// What typed text becomes in the feed file: hostile texts typed into every box of both pages
// are written so that libxml2 reads the file and reads in each element what the box showed,
// and the editor shows the same again on a fresh read. Markup in a description shows whole,
// and a feed's own bytes (Latin-1 without a declaration, standalone="yes") survive edits.
#include "FeedCommands.h"
#include "ItemCommands.h"
#include "ItemDetails.h"
#include "PodcastDialog.h"
#include "WindowFixture.h"
#include "zelXMLParser2.h"

#include <QSignalSpy>
#include <QDialogButtonBox>

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace {

// libxml2's reading of the file: the text content of each element of the path, in order
// ("channel/title", "channel/item/description", ...; "element@name" for an attribute), or
// "(not well-formed)".
QStringList ReadByLibxml2(const std::string &bytes, const std::vector<std::string> &paths)
{
    xmlDocPtr doc = xmlReadMemory(bytes.data(), int(bytes.size()), "feed.xml", nullptr, XML_PARSE_NONET);
    if (!doc)
        return {"(not well-formed)"};
    QStringList texts;
    for (const std::string &whole : paths) {
        const std::string path = whole.substr(0, whole.find('@'));
        const std::string attribute = whole.find('@') == std::string::npos ? "" : whole.substr(whole.find('@') + 1);
        xmlNodePtr node = xmlDocGetRootElement(doc);
        for (size_t from = 0; node && from <= path.size();) {
            const size_t slash = std::min(path.find('/', from), path.size());
            const std::string name = path.substr(from, slash - from);
            xmlNodePtr child = node->children;
            while (child && !(child->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char *>(child->name)))
                child = child->next;
            node = child;
            from = slash + 1;
        }
        xmlChar *content = !node ? nullptr
                           : attribute.empty() ? xmlNodeGetContent(node)
                                               : xmlGetProp(node, BAD_CAST attribute.c_str());
        texts << (content ? QString::fromUtf8(reinterpret_cast<const char *>(content)) : QString("(missing)"));
        xmlFree(content);
    }
    xmlFreeDoc(doc);
    return texts;
}

void TypeIntoMemo(QPlainTextEdit *memo, const QString &text)
{
    memo->setFocus();
    memo->selectAll();
    TWindowFixture::TypeText(memo, text);
}

const std::string Item = "    <item>\r\n      <title>T</title>\r\n      <description>D</description>\r\n"
                         "      <link>L</link>\r\n      <pubDate>P</pubDate>\r\n    </item>\r\n";

} // namespace

class TypedTextTest : public QObject {
    Q_OBJECT

private slots:
    void everyBoxWritesWhatItShows()
    {
        const QString rows[] = {
            "a&nbsp;b",              // no XML entity: written as text
            "<b> & \"x\"",           // CDATA, its quotes as they are
            "x ]]> y",               // a CDATA end inside the text
            "&#0; & &bogus; &#1114112;", // references to no allowed character, a bare &, no entity
            "Tom \"Q\" \u00e9t\u00e9",
        };
        for (const QString &typed : rows) {
            TWindowFixture window;
            const std::string path = window.WriteFeed("feed.xml", FeedBytes("t", "d", "l", "p", "UTF-8", Item));
            window.WriteCatalogue({{path, "t", "d", "l", "p"}}, 0); // "Auto" date off
            window.Start();
            window.ClickRow("ListBox1", 0);
            for (const char *box : {"Edit1", "Edit2", "Edit3", "Edit4"})
                window.TypeInto(window.Edit(box), typed);
            window.Click(window.Tool("BitBtn1"));
            window.ClickTab(1);
            window.ClickRow("ListBox2", 0);
            for (const char *box : {"Edit5", "Edit7", "Edit8"})
                window.TypeInto(window.Edit(box), typed);
            TypeIntoMemo(window.Widget<QPlainTextEdit>("Memo1"), typed);
            QTest::keyClick(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(window.Dialogs.Log(), QStringList());

            // Item details: element texts and an attribute value.
            TzelXMLParser2 document;
            document.SetXmlCompatible(true);
            document.LoadFromFile(path);
            const std::string bytes = typed.toUtf8().toStdString();
            TItemDetails details = ReadItemDetails(document, path, FirstItemPosition(*document.FindChild("channel")), 0);
            details.Author = details.Guid = bytes;
            details.Categories = {bytes};
            details.EnclosureUrl = bytes, details.EnclosureLength = "1", details.EnclosureType = "audio/mpeg";
            WriteItemDetails(document, path, FirstItemPosition(*document.FindChild("channel")), 0, details);

            const std::vector<std::string> elements = {
                "channel/title", "channel/description", "channel/link", "channel/pubDate", "channel/lastBuildDate",
                "channel/item/title", "channel/item/description", "channel/item/link", "channel/item/pubDate",
                "channel/item/author", "channel/item/guid", "channel/item/category", "channel/item/enclosure@url"};
            QCOMPARE(ReadByLibxml2(window.ReadFile("feed.xml"), elements), QStringList(int(elements.size()), typed));

            // Read afresh, the editor shows what was typed.
            TzelXMLParser2 fresh;
            fresh.SetXmlCompatible(true);
            fresh.LoadFromFile(path);
            const TChannelFields channel = ReadChannelFields(fresh, path);
            const int first = FirstItemPosition(*fresh.FindChild("channel"));
            const TItemFields item = ReadItem(fresh, path, first, 0);
            const TItemDetails read = ReadItemDetails(fresh, path, first, 0);
            for (const std::string &shown : {channel.Title, channel.Description, channel.Link, channel.Date, item.Title,
                                             item.Description, item.Link, item.PubDate, read.Author, read.Guid,
                                             read.Categories.at(0), read.EnclosureUrl})
                QCOMPARE(QString::fromStdString(shown), typed);
        }
    }

    // A typed title that XML can only write in two CDATA sections (it holds "]]>") and that
    // looks like a reference shows back as typed, in the box and in its row (whose view hears
    // of the change), after the save and after a fresh read; typed again it stores the same.
    void typedTitleComesBackAsTyped()
    {
        const QString typed = "&quot;]]>";
        TWindowFixture window;
        const std::string path = window.WriteFeed("feed.xml", FeedBytes("t", "d", "l", "p", "UTF-8", Item + Item));
        window.WriteCatalogue({{path, "t", "d", "l", "p"}}, 0); // "Auto" date off
        window.Start();
        window.ClickTab(1);
        window.ClickRow("ListBox2", 1);
        // The list is told of the one row a save changed, so a view draws it anew.
        QSignalSpy rowsChanged(window.View("ListBox2")->model(), &QAbstractItemModel::dataChanged);
        window.TypeInto(window.Edit("Edit5"), "Plain");
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(rowsChanged.size(), 1);
        QCOMPARE(rowsChanged[0][0].toModelIndex().row(), 1);
        QCOMPARE(rowsChanged[0][1].toModelIndex().row(), 1);
        window.TypeInto(window.Edit("Edit5"), typed);
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
        const std::string saved = window.ReadFile("feed.xml");
        QVERIFY(saved.find("<title><![CDATA[&quot;]]]]><![CDATA[>]]></title>") != std::string::npos);
        for (const bool restarted : {false, true}) {
            QCOMPARE(window.Edit("Edit5")->text(), typed);
            QCOMPARE(window.ListLines("ListBox2"), QStringList({"T", typed}));
            if (restarted)
                break;
            window.Form.reset();
            window.Start();
            window.ClickTab(1);
            window.ClickRow("ListBox2", 1);
        }
        window.TypeInto(window.Edit("Edit5"), typed);
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(window.ReadFile("feed.xml"), saved);
        QCOMPARE(window.Dialogs.Log(), QStringList());
    }

    // Item Details and the podcast dialog show a tag as readers read it and write what is typed
    // as text: an "&" is an ampersand, also in a feed with a DOCTYPE, where a reference it would
    // start names an entity nobody declared. libxml2 reads each tag as typed, no CDATA section
    // stands for an "&", and the dialogs show the same again.
    void dialogsWriteTextAsReadersReadIt()
    {
        const QString texts[] = {"Zo\u00eb & Friends", "a&nbsp;b", "&amp; <b>x</b> ]]>", "&#233;t&eacute;"};
        const QString enclosureUrl = "http://x/a&nbsp;b.mp3", imageHref = "a&nbsp;b";
        for (const char *doctype : {"", "<!DOCTYPE rss>\r\n"}) {
            for (const QString &typed : texts) {
                const QString where = doctype + typed;
                TWindowFixture window;
                std::string feed = FeedBytes("t", "d", "http://x/", "p", "UTF-8", Item);
                feed.insert(feed.find("<rss"), doctype);
                const std::string path = window.WriteFeed("feed.xml", feed);
                window.WriteCatalogue({{path, "t", "d", "http://x/", "p"}}, 0);
                window.Start();
                window.ClickRow("ListBox1", 0);
                QStringList shown;
                window.Dialogs.PodcastScript = [&](TPodcastDialog &dialog) {
                    for (const char *box : {"AuthorEdit", "OwnerNameEdit", "CopyrightEdit"}) {
                        shown << dialog.findChild<QLineEdit *>(box)->text();
                        window.TypeInto(dialog.findChild<QLineEdit *>(box), typed);
                    }
                    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok),
                                      Qt::LeftButton);
                };
                QTest::keyClick(window.List("ListBox1"), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
                window.ClickTab(1);
                window.ClickRow("ListBox2", 0);
                window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
                    const auto edit = [&](const char *name) { return dialog.findChild<QLineEdit *>(name); };
                    for (const char *box : {"AuthorEdit", "CommentsEdit", "ItunesTitleEdit"}) {
                        shown << edit(box)->text();
                        window.TypeInto(edit(box), typed);
                    }
                    TypeIntoMemo(dialog.findChild<QPlainTextEdit *>("CategoriesMemo"), typed);
                    window.TypeInto(edit("EnclosureUrlEdit"), enclosureUrl);
                    window.TypeInto(edit("EnclosureLengthEdit"), "1");
                    window.TypeInto(edit("EnclosureTypeEdit"), "audio/mpeg");
                    window.TypeInto(edit("EpisodeImageEdit"), imageHref);
                    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok),
                                      Qt::LeftButton);
                };
                window.Action("ItemDetails1")->trigger();
                QVERIFY2(window.Dialogs.Log().filter("error").isEmpty(), qPrintable(window.Dialogs.Log().join('\n')));
                const std::string written = window.ReadFile("feed.xml");
                QVERIFY2(written.find("CDATA") == std::string::npos, written.c_str());
                const std::vector<std::string> paths = {
                    "channel/author", "channel/owner/name", "channel/copyright", "channel/item/author",
                    "channel/item/comments", "channel/item/category", "channel/item/enclosure@url",
                    "channel/item/image@href"};
                QCOMPARE(ReadByLibxml2(written, paths),
                         QStringList({typed, typed, typed, typed, typed, typed, enclosureUrl, imageHref}));

                // Opened again, both dialogs show what was typed.
                shown.clear();
                window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
                    const TItemDetailsText details = dialog.Details();
                    shown << details.Author << details.Comments << details.Episode.Title << details.Categories
                          << details.EnclosureUrl << details.Episode.ImageHref;
                    dialog.reject();
                };
                window.Action("ItemDetails1")->trigger();
                window.ClickTab(0);
                window.Dialogs.PodcastScript = [&](TPodcastDialog &dialog) {
                    for (const char *box : {"AuthorEdit", "OwnerNameEdit", "CopyrightEdit"})
                        shown << dialog.findChild<QLineEdit *>(box)->text();
                    dialog.reject();
                };
                QTest::keyClick(window.List("ListBox1"), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
                QVERIFY2(shown == QStringList({typed, typed, typed, typed, enclosureUrl, imageHref, typed, typed, typed}),
                         qPrintable(where + ": " + shown.join(" | ")));
                QCOMPARE(window.ReadFile("feed.xml"), written);
            }
        }
    }

    // A description holding markup shows whole in the memo; left as it is its bytes stay, and
    // retyped, libxml2 reads what the memo shows. Then the feed's own bytes: Latin-1 without a
    // declaration survives two accented edits, and standalone="yes" an item edit and Save Feed.
    void markupAndTheFeedsOwnFormSurviveEdits()
    {
        TWindowFixture window;
        const std::string markup = "Hello <b>x</b> <a href=\"u\">y</a>\n<strong>Injured: </strong><pre>\n  a\n</pre>z";
        const std::string item = "    <item>\r\n      <title>T</title>\r\n      <description>" + markup +
                                 "</description>\r\n      <link>L</link>\r\n      <pubDate>P</pubDate>\r\n    </item>\r\n";
        const std::string declared = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>";
        std::string feed = FeedBytes("t", "d", "l", "p", "UTF-8", item);
        feed.replace(0, feed.find("\r\n"), declared);
        const std::string latin1 = "<rss version=\"2.0\"><channel><title>t</title><item><title>\xE9</title></item>"
                                   "<item><title>\xFC</title></item></channel></rss>";
        window.WriteCatalogue({{window.WriteFeed("markup.xml", feed), "t", "d", "l", "p"},
                               {window.WriteFeed("latin1.xml", latin1), "t", "", "", ""}});
        window.Start();
        window.ClickRow("ListBox1", 0);
        window.ClickTab(1);
        window.ClickRow("ListBox2", 0);
        auto *memo = window.Widget<QPlainTextEdit>("Memo1");
        QCOMPARE(memo->toPlainText(), QString::fromStdString(markup));
        window.TypeInto(window.Edit("Edit5"), "T2");
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(window.ReadFile("markup.xml").find("<description>" + markup + "</description>") != std::string::npos);
        TypeIntoMemo(memo, "New <i>text</i> & \"more\"");
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadByLibxml2(window.ReadFile("markup.xml"), {"channel/item/description"}),
                 QStringList{"New <i>text</i> & \"more\""});
        QCOMPARE(memo->toPlainText(), QString("New <i>text</i> & \"more\""));
        window.ClickTab(0);
        window.TypeInto(window.Edit("Edit1"), "t2");
        window.Click(window.Tool("BitBtn1"));
        QVERIFY(window.ReadFile("markup.xml").rfind(declared + "\r\n", 0) == 0);

        window.ClickRow("ListBox1", 1);
        window.ClickTab(1);
        for (const auto &[row, title] : {std::pair{0, QString("\u00e91")}, std::pair{1, QString("\u00fc2")}}) {
            window.ClickRow("ListBox2", row);
            window.TypeInto(window.Edit("Edit5"), title);
            QTest::keyClick(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
        }
        const std::string written = window.ReadFile("latin1.xml");
        QVERIFY(written.find("<title>\xE9" "1</title>") != std::string::npos);
        QCOMPARE(ReadByLibxml2(written, {"channel/item/title"}), QStringList{"\u00e91"});
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"\u00e91", "\u00fc2"}));
        QCOMPARE(window.Dialogs.Log(), QStringList());
    }
};

QTEST_MAIN(TypedTextTest)
#include "TypedTextTest.moc"
