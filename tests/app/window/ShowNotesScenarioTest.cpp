// Show notes and the preview in the real window: notes made with every button of the notes
// editor are written as one CDATA section that libxml2 and a podcast app's parser read back
// alike, with the namespace declared once, and Undo gives the earlier bytes back; markup the
// editor does not offer (a table) stays byte for byte; the preview runs and fetches nothing
// of hostile notes; the episode and show pages show what podcast apps show, with pictures
// from local copies.
#include "PublishSettings.h"
#include "TestBytes.h"
#include "SafePreview.h"
#include "WindowFixture.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTabBar>
#include <QTcpServer>
#include <QTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace {

std::string Item(const std::string &children)
{
    return "    <item>\r\n" + children + "    </item>\r\n";
}

// A podcast feed holding the items, in the writer's layout.
std::string Podcast(const std::string &items, const std::string &channelTags = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
           "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\r\n"
           "  <channel>\r\n"
           "    <title>Small Tones</title>\r\n"
           "    <description>Sound, explained</description>\r\n"
           "    <link>https://example.org/</link>\r\n" + channelTags + items +
           "  </channel>\r\n"
           "</rss>";
}

// Every content:encoded of the file as libxml2 reads it, found by its namespace.
QStringList LibXml2Notes(const std::string &bytes)
{
    QStringList notes;
    xmlDoc *document = xmlReadMemory(bytes.data(), int(bytes.size()), nullptr, nullptr, XML_PARSE_NONET);
    if (!document)
        return {"<not well-formed>"};
    const xmlNode *channel = xmlDocGetRootElement(document)->children;
    while (channel && channel->type != XML_ELEMENT_NODE)
        channel = channel->next;
    for (const xmlNode *item = channel ? channel->children : nullptr; item; item = item->next)
        for (const xmlNode *child = item->children; child; child = child->next)
            if (child->type == XML_ELEMENT_NODE && child->ns &&
                xmlStrcmp(child->ns->href, BAD_CAST "http://purl.org/rss/1.0/modules/content/") == 0 &&
                xmlStrcmp(child->name, BAD_CAST "encoded") == 0) {
                xmlChar *text = xmlNodeGetContent(child);
                notes << QString::fromUtf8(reinterpret_cast<const char *>(text));
                xmlFree(text);
            }
    xmlFreeDoc(document);
    return notes;
}

// The first entry's content as the podcast parser reads it (its own HTML cleaning off, so what
// it reads is compared, not what it would strip).
QString FeedparserNotes(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, feedparser\n"
                                 "d = feedparser.parse(sys.argv[1], sanitize_html=False, resolve_relative_uris=False)\n"
                                 "sys.stdout.buffer.write(d.entries[0].content[0].value.encode('utf-8'))"),
                  path});
    if (!python.waitForFinished(20000))
        return QStringLiteral("<python did not finish>");
    return QString::fromUtf8(python.readAllStandardOutput()) + QString::fromUtf8(python.readAllStandardError());
}

// Selects the text from the first "from" to the end of the first "to" after it.
void Select(QPlainTextEdit *edit, const QString &from, const QString &to)
{
    const QString text = edit->toPlainText();
    const qsizetype start = text.indexOf(from);
    const qsizetype end = text.indexOf(to, start) + to.size();
    QVERIFY(start >= 0 && end >= start);
    QTextCursor cursor(edit->document());
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
}

void TypeAtEnd(QPlainTextEdit *edit, const QString &text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, lines[i]);
    }
}

void Press(QDialog &dialog, QDialogButtonBox::StandardButton button)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(button), Qt::LeftButton);
}

// A click on the notes dialog's HTML tab.
void ShowHtmlView(TShowNotesDialog &dialog)
{
    QTabBar *tabs = dialog.findChild<QTabWidget *>("EditorTabs")->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(dialog.findChild<QTabWidget *>("EditorTabs")->currentIndex(), 1);
}

// The Items page of the window's only feed, its first row chosen.
void OpenItems(TWindowFixture &window, const std::string &bytes)
{
    const std::string path = window.WriteFeed("show.xml", bytes);
    window.WriteCatalogue({{path, "Small Tones", "", "", ""}});
    window.Start();
    window.ClickTab(1);
    window.ClickRow("ListBox2", 0);
}

// Docs' pictures, when asked for: TOLVANE_SCREENSHOTS names the folder.
void Screenshot(QWidget &widget, const char *name)
{
    const QString folder = qEnvironmentVariable("TOLVANE_SCREENSHOTS");
    if (!folder.isEmpty())
        widget.grab().save(folder + u'/' + QLatin1String(name));
}

} // namespace

class ShowNotesScenarioTest : public QObject {
    Q_OBJECT

private slots:
    void notesWrittenReadBackAndUndone()
    {
        TWindowFixture window;
        const std::string before = Podcast(Item("      <title>Ep 1</title>\r\n"
                                                "      <description></description>\r\n"
                                                "      <guid isPermaLink=\"false\">ep-1</guid>\r\n"));
        OpenItems(window, before);
        const QString html = QStringLiteral("<p><strong>Tones</strong>, <em>explained</em></p>\n"
                                            "<a href=\"https://example.org/notes?a=1&amp;b=2\">Read more</a><br>Thanks\n"
                                            "<ul>\n<li>sine</li>\n<li>square</li>\n</ul>\n"
                                            "<ol>\n<li>first</li>\n<li>second</li>\n</ol>");
        bool summaryOffered = false;
        QString previewText;
        window.Dialogs.NotesScript = [&](TShowNotesDialog &dialog) {
            auto *edit = dialog.findChild<QPlainTextEdit *>("NotesEdit");
            const auto click = [&](const char *button) { window.Click(dialog.findChild<QAbstractButton *>(button)); };
            summaryOffered = dialog.findChild<QCheckBox *>("SummaryCheck")->isChecked();
            ShowHtmlView(dialog);
            TypeAtEnd(edit, "Tones, explained");
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            click("ParagraphButton");
            Select(edit, "Tones", "Tones");
            click("BoldButton");
            Select(edit, "explained", "explained");
            click("ItalicButton");
            TypeAtEnd(edit, "\nRead more");
            Select(edit, "Read more", "Read more");
            window.TypeInto(dialog.findChild<QLineEdit *>("LinkEdit"), "https://example.org/notes?a=1&b=2");
            click("LinkButton");
            QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
            click("BreakButton");
            TypeAtEnd(edit, "Thanks\nsine\nsquare");
            Select(edit, "sine", "square");
            click("BulletsButton");
            TypeAtEnd(edit, "\nfirst\nsecond");
            Select(edit, "first", "second");
            click("NumbersButton");
            QCOMPARE(edit->toPlainText(), html);
            previewText = dialog.Preview().toPlainText();
            Screenshot(dialog, "show-notes.png");
            Press(dialog, QDialogButtonBox::Ok);
        };
        window.Action("ShowNotes1")->trigger();
        QVERIFY(summaryOffered); // the description is empty
        QVERIFY2(previewText.contains("Tones, explained") && previewText.contains("Read more") &&
                     !previewText.contains("<strong>"),
                 qPrintable(previewText));
        const std::string after = window.ReadFile("show.xml");
        // One CDATA section, the namespace declared once, the summary in the description.
        const size_t open = after.find("<content:encoded>"), close = after.find("</content:encoded>");
        QVERIFY(open != std::string::npos && close != std::string::npos);
        const std::string element = after.substr(open + 17, close - open - 17);
        COMPARE_BYTES(element, "<![CDATA[" + html.toStdString() + "]]>");
        QCOMPARE(Occurrences(after, "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\""), size_t(1));
        QVERIFY(after.find("<description>Tones, explained Read more Thanks sine square first second</description>") !=
                std::string::npos);
        QCOMPARE(window.Widget<QPlainTextEdit>("Memo1")->toPlainText(),
                 "Tones, explained Read more Thanks sine square first second");
        // Other readers read the same HTML.
        QCOMPARE(LibXml2Notes(after), QStringList{html});
        QCOMPARE(FeedparserNotes(window.PathOf("show.xml")), html);

        // A second edit keeps the one declaration; Undo gives back each earlier file.
        window.Dialogs.NotesScript = [&](TShowNotesDialog &dialog) {
            TypeAtEnd(dialog.findChild<QPlainTextEdit *>("NotesEdit"), "\n<p>More</p>");
            Press(dialog, QDialogButtonBox::Ok);
        };
        window.Action("ShowNotes1")->trigger();
        const std::string twice = window.ReadFile("show.xml");
        QCOMPARE(LibXml2Notes(twice), QStringList{html + "\n<p>More</p>"});
        QCOMPARE(Occurrences(twice, "modules/content/"), size_t(1));
        window.Action("Undo1")->trigger();
        COMPARE_BYTES(window.ReadFile("show.xml"), after);
        window.Action("Undo1")->trigger();
        COMPARE_BYTES(window.ReadFile("show.xml"), before);
        QCOMPARE(window.Dialogs.Log().filter("error"), QStringList());
    }

    void textViewWritesTheOfferedMarkup()
    {
        TWindowFixture window;
        OpenItems(window, Podcast(Item("      <title>Ep 1</title>\r\n      <description>d</description>\r\n")));
        const QString html = QStringLiteral("<p><strong>Hello</strong> <em>world</em><br>again</p>\n"
                                            "<p>Read <a href=\"https://e.org/?a=1&amp;b=2\">https://e.org/?a=1&amp;b=2</a> now</p>\n"
                                            "<ul>\n<li>one</li>\n<li>two</li>\n</ul>\n"
                                            "<ol>\n<li>first</li>\n<li>second</li>\n</ol>");
        QString preview;
        window.Dialogs.NotesScript = [&](TShowNotesDialog &dialog) {
            QCOMPARE(dialog.findChild<QTabWidget *>("EditorTabs")->currentIndex(), 0);
            dialog.activateWindow(); // where the buttons' keys work
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            auto *text = dialog.findChild<QTextEdit *>("RichEdit");
            const auto click = [&](const char *button) { window.Click(dialog.findChild<QAbstractButton *>(button)); };
            const auto select = [&](const QString &word) {
                QTextCursor cursor = text->document()->find(word);
                QVERIFY(!cursor.isNull());
                text->setTextCursor(cursor);
            };
            text->setFocus();
            QTest::keyClicks(text, "Hello world");
            select("Hello");
            QTest::keyClick(text, Qt::Key_B, Qt::ControlModifier); // the Bold button's key
            // A button's key clicks it a moment later, as a click shows.
            QTRY_VERIFY_WITH_TIMEOUT(text->currentCharFormat().fontWeight() >= QFont::DemiBold, 2000);
            select("world");
            click("ItalicButton");
            QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
            click("ItalicButton");
            click("BreakButton");
            QTest::keyClicks(text, "again");
            QTest::keyClick(text, Qt::Key_Return);
            QTest::keyClicks(text, "Read ");
            window.TypeInto(dialog.findChild<QLineEdit *>("LinkEdit"), "https://e.org/?a=1&b=2");
            click("LinkButton");
            QTest::keyClicks(text, " now");
            QTest::keyClick(text, Qt::Key_Return);
            QTest::keyClicks(text, "one");
            click("BulletsButton");
            QTest::keyClick(text, Qt::Key_Return);
            QTest::keyClicks(text, "two");
            QTest::keyClick(text, Qt::Key_Return);
            click("ParagraphButton");
            QTest::keyClicks(text, "first");
            click("NumbersButton");
            QTest::keyClick(text, Qt::Key_Return);
            QTest::keyClicks(text, "second");
            QCOMPARE(dialog.findChild<QPlainTextEdit *>("NotesEdit")->toPlainText(), html);
            preview = dialog.Preview().toPlainText();
            // The episode with the notes as typed, before they are written.
            window.Click(dialog.findChild<QAbstractButton *>("PreviewButton"));
            QCOMPARE(window.Dialogs.Previews.size(), size_t(1));
            QVERIFY(window.Dialogs.Previews.back().EpisodeHtml.contains("<li>second</li>"));
            Press(dialog, QDialogButtonBox::Ok);
        };
        window.Action("ShowNotes1")->trigger();
        QVERIFY2(preview.contains("Hello world") && preview.contains("second"), qPrintable(preview));
        QCOMPARE(LibXml2Notes(window.ReadFile("show.xml")), QStringList{html});
        QVERIFY(window.ReadFile("show.xml").find("<description>d</description>") != std::string::npos);
        // Opened in the Text view and left alone, notes another program wrote keep their bytes
        // (their <b> is not made a <strong>): nothing is written.
        std::string written = window.ReadFile("show.xml");
        written.replace(written.find("<strong>Hello</strong>"), 22, "<b>Hello</b>");
        window.WriteFile("show.xml", written);
        window.ClickTab(0); // the Items page reads the file again
        window.ClickTab(1);
        window.ClickRow("ListBox2", 0);
        window.Dialogs.NotesScript = [&](TShowNotesDialog &dialog) {
            QCOMPARE(dialog.findChild<QTabWidget *>("EditorTabs")->currentIndex(), 0);
            dialog.findChild<QTextEdit *>("RichEdit")->setFocus();
            Press(dialog, QDialogButtonBox::Ok);
        };
        window.Action("ShowNotes1")->trigger();
        COMPARE_BYTES(window.ReadFile("show.xml"), written);
        QCOMPARE(window.Dialogs.Log().filter(QRegularExpression("^(error|notes)")),
                 QStringList({"notes: ", "notes: " + QString::fromStdString(written.substr(written.find("<p><b>"),
                                                                                            written.find("]]>") - written.find("<p><b>")))}));
    }

    void markupNotOfferedKeptAsWritten()
    {
        TWindowFixture window;
        const std::string table = "<table border=\"1\"><tr><td>a &amp; b</td><td>c</td></tr></table>";
        const std::string before = Podcast(
            Item("      <title>Ep 1</title>\r\n"
                 "      <description>Tables</description>\r\n"
                 "      <content:encoded><![CDATA[<p>Intro</p>" + table + "<p>Outro</p>]]></content:encoded>\r\n"),
            "");
        const std::string declared = std::string(before).replace(
            before.find("version=\"2.0\""), 13, "version=\"2.0\" xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"");
        OpenItems(window, declared);
        // An edit elsewhere in the notes, cancelled: the file stays as it was.
        bool tableShown = false;
        window.Dialogs.NotesScript = [&](TShowNotesDialog &dialog) {
            auto *edit = dialog.findChild<QPlainTextEdit *>("NotesEdit");
            QCOMPARE(edit->toPlainText().toStdString(), "<p>Intro</p>" + table + "<p>Outro</p>");
            QVERIFY(!dialog.findChild<QCheckBox *>("SummaryCheck")->isChecked());
            // Markup the Text view does not edit: the notes open as HTML, the Text view off.
            QCOMPARE(dialog.findChild<QTabWidget *>("EditorTabs")->currentIndex(), 1);
            QVERIFY(!dialog.findChild<QTabWidget *>("EditorTabs")->isTabEnabled(0));
            tableShown = dialog.Preview().toHtml().contains("<table");
            Select(edit, "Intro", "Intro");
            window.Click(dialog.findChild<QAbstractButton *>("BoldButton"));
            Press(dialog, QDialogButtonBox::Cancel);
        };
        window.Action("ShowNotes1")->trigger();
        QVERIFY(tableShown);
        COMPARE_BYTES(window.ReadFile("show.xml"), declared);
        // The same edit kept: the table's bytes stay, and the description is the author's.
        window.Dialogs.NotesScript = [&](TShowNotesDialog &dialog) {
            Select(dialog.findChild<QPlainTextEdit *>("NotesEdit"), "Outro", "Outro");
            window.Click(dialog.findChild<QAbstractButton *>("ItalicButton"));
            Press(dialog, QDialogButtonBox::Ok);
        };
        window.Action("ShowNotes1")->trigger();
        const std::string after = window.ReadFile("show.xml");
        QVERIFY(after.find("<content:encoded><![CDATA[<p>Intro</p>" + table + "<p><em>Outro</em></p>]]></content:encoded>") !=
                std::string::npos);
        QVERIFY(after.find("<description>Tables</description>") != std::string::npos);
        QCOMPARE(Occurrences(after, "modules/content/"), size_t(1));
    }

    void summaryInAnIsoFeedKeepsEveryCharacter()
    {
        TWindowFixture window;
        std::string feed = Podcast(Item("      <title>Caf\xe9</title>\r\n"));
        feed.replace(feed.find("UTF-8"), 5, "ISO-8859-1");
        OpenItems(window, feed);
        window.Dialogs.NotesScript = [&](TShowNotesDialog &dialog) {
            TypeAtEnd(dialog.findChild<QPlainTextEdit *>("NotesEdit"), "<p>It&rsquo;s caf&eacute; &amp; tea</p>");
            Press(dialog, QDialogButtonBox::Ok);
        };
        window.Action("ShowNotes1")->trigger();
        const std::string after = window.ReadFile("show.xml");
        QVERIFY2(after.find("<description>It&#8217;s caf\xe9 <![CDATA[&]]> tea</description>") != std::string::npos, after.c_str());
        QCOMPARE(window.Dialogs.Log().filter("error"), QStringList());
    }

    void previewRunsAndFetchesNothing()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&server, &QTcpServer::newConnection, [&] { ++connections; });
        const std::string remote = "http://127.0.0.1:" + std::to_string(server.serverPort());
        const std::string notes = "<p>Listen <a href=\"javascript:document.title='ran'\">now</a> or "
                                  "<a href=\"https://example.org/ep\">on the web</a></p>"
                                  "<script>document.title='ran'</script>"
                                  "<img src=\"" + remote + "/pixel.png\" onerror=\"document.title='ran'\">"
                                  "<p onmouseover=\"document.title='ran'\">Hover</p>"
                                  "<style>p { background: url(" + remote + "/bg.png) }</style>";
        TWindowFixture window;
        OpenItems(window, Podcast(Item("      <title>Ep 1</title>\r\n"
                                       "      <content:encoded xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"><![CDATA[" +
                                       notes + "]]></content:encoded>\r\n"
                                       "      <itunes:image href=\"" + remote + "/cover.png\"/>\r\n")));
        const auto judge = [&](TSafePreview &view) {
            QList<QUrl> opened;
            view.OpenLink = [&](const QUrl &url) { opened << url; };
            const QString shown = view.toPlainText();
            QVERIFY2(shown.contains("Listen now or on the web") && shown.contains("Hover"), qPrintable(shown));
            QVERIFY2(!shown.contains("document.title") && !shown.contains("background"), qPrintable(shown));
            const QString kept = view.toHtml();
            for (const char *gone : {"javascript", "onerror", "onmouseover", "<script", "bg.png"})
                QVERIFY2(!kept.contains(QLatin1String(gone)), gone);
            // A click on each link: only the web address goes to the browser, the view stays.
            for (const QString &link : {QStringLiteral("now"), QStringLiteral("on the web")}) {
                QTextCursor cursor = view.document()->find(link);
                cursor.setPosition(cursor.selectionStart() + 1);
                const QPoint at = view.cursorRect(cursor).center();
                QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
            }
            QCOMPARE(opened, QList<QUrl>{QUrl("https://example.org/ep")});
            QCOMPARE(view.toPlainText(), shown);
            // The remote picture was asked of the view and refused there.
            QVERIFY(view.RequestedResources().contains(QUrl(QString::fromStdString(remote + "/pixel.png"))));
        };
        window.Dialogs.NotesScript = [&](TShowNotesDialog &dialog) {
            judge(dialog.Preview());
            Press(dialog, QDialogButtonBox::Cancel);
        };
        window.Action("ShowNotes1")->trigger();
        window.Dialogs.PreviewScript = [&](TPreviewDialog &dialog) {
            judge(dialog.EpisodeView());
            QVERIFY(dialog.EpisodeView().toPlainText().contains("no local"));
        };
        window.Action("Preview1")->trigger();
        QCOMPARE(window.Dialogs.Previews.size(), size_t(1));
        QTest::qWait(300); // a fetch started anyway would have connected by now
        QCOMPARE(connections, 0);
        QVERIFY(!server.hasPendingConnections());
    }

    void episodeAndShowAsAppsShowThem()
    {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        TWindowFixture window;
        const std::string feed = Podcast(
            Item("      <title>ep5.mp3</title>\r\n"
                 "      <description>Sine waves</description>\r\n"
                 "      <content:encoded xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"><![CDATA["
                 "<p>How a <strong>sine</strong> wave sounds, and why every other tone is made of them.</p>"
                 "<ul><li>Fourier, in one picture</li><li>Listening to 440 Hz</li></ul>"
                 "<p>More at <a href=\"https://example.org/sine\">example.org</a>.</p>]]></content:encoded>\r\n"
                 "      <pubDate>Mon, 05 Feb 2007 14:03:09 -0800</pubDate>\r\n"
                 "      <itunes:title>The Sine</itunes:title>\r\n"
                 "      <itunes:duration>2049</itunes:duration>\r\n"
                 "      <itunes:season>2</itunes:season>\r\n"
                 "      <itunes:episode>5</itunes:episode>\r\n"
                 "      <itunes:explicit>true</itunes:explicit>\r\n"
                 "      <itunes:image href=\"https://cdn.example.org/show/art/ep5.png\"/>\r\n") +
                Item("      <title>Older news</title>\r\n"
                     "      <description>&lt;b&gt;Bold&lt;/b&gt; news</description>\r\n"
                     "      <pubDate>Thu, 01 Feb 2007 09:00:00 +0000</pubDate>\r\n"
                     "      <itunes:duration>1:02:03</itunes:duration>\r\n"),
            "    <itunes:author>Ada Tone</itunes:author>\r\n"
            "    <itunes:image href=\"https://cdn.example.org/show/cover.png\"/>\r\n");
        const std::string path = window.WriteFeed("show.xml", feed);
        TPublishSettings settings;
        settings.PublicUrl = "https://cdn.example.org/show/feed.xml";
        SavePublishSettings(PublishSettingsFile(), QFileInfo(window.PathOf("show.xml")).absoluteFilePath().toStdString(),
                            settings);
        QDir(window.Directory.path()).mkpath("art");
        QImage episodeArt(90, 90, QImage::Format_RGB32), cover(120, 120, QImage::Format_RGB32);
        episodeArt.fill(Qt::darkCyan);
        cover.fill(Qt::darkMagenta);
        for (QImage *art : {&episodeArt, &cover}) {
            QPainter painter(art);
            painter.setPen(Qt::white);
            painter.setFont(QFont(QString(), art->width() / 4, QFont::Bold));
            painter.drawText(art->rect(), Qt::AlignCenter, art == &cover ? "ST" : "E5");
        }
        QVERIFY(episodeArt.save(window.PathOf("art/ep5.png")) && cover.save(window.PathOf("cover.png")));
        window.WriteCatalogue({{path, "Small Tones", "", "", ""}});
        window.Start();
        window.ClickTab(1);
        window.ClickRow("ListBox2", 0);
        window.Dialogs.PreviewScript = [&](TPreviewDialog &dialog) {
            const QString episode = dialog.EpisodeView().toPlainText();
            for (const char *shown : {"Small Tones", "The Sine", "Feb 5, 2007 · 34 min · S2 E5", " E ",
                                      "How a sine wave sounds", "Listening to 440 Hz"})
                QVERIFY2(episode.contains(QString::fromUtf8(shown)), shown);
            QVERIFY(!episode.contains("Sine waves")); // the notes over the description
            QVERIFY(!episode.contains("ep5.mp3")); // itunes:title over title
            const QString show = dialog.ShowView().toPlainText();
            QVERIFY2(show.contains("Ada Tone") && show.contains("Sound, explained"), qPrintable(show));
            QVERIFY2(show.indexOf("The Sine") < show.indexOf("Older news") &&
                         show.contains(QString::fromUtf8("Feb 1, 2007 · 1 hr 2 min")),
                     qPrintable(show));
            Screenshot(dialog, "preview-episode.png");
            dialog.ShowPage(1);
            Screenshot(dialog, "preview-show.png");
        };
        window.Action("Preview1")->trigger();
        QCOMPARE(window.Dialogs.Previews.size(), size_t(1));
        const TPreviewPages &pages = window.Dialogs.Previews.front();
        QCOMPARE(pages.EpisodeImage.size(), QSize(90, 90));
        QCOMPARE(pages.EpisodeImage.pixelColor(3, 3), QColor(Qt::darkCyan));
        QCOMPARE(pages.ShowImage.pixelColor(3, 3), QColor(Qt::darkMagenta));

        // A description holding escaped markup: rendered in the preview, as written in the memo.
        window.ClickRow("ListBox2", 1);
        QCOMPARE(window.Widget<QPlainTextEdit>("Memo1")->toPlainText(), "&lt;b&gt;Bold&lt;/b&gt; news");
        QString rendered, html;
        window.Dialogs.PreviewScript = [&](TPreviewDialog &dialog) {
            rendered = dialog.EpisodeView().toPlainText();
            html = dialog.EpisodeView().toHtml();
        };
        window.Action("Preview1")->trigger();
        QVERIFY2(rendered.contains("Bold news") && !rendered.contains("<b>"), qPrintable(rendered));
        QVERIFY(html.contains("font-weight:700") || html.contains("font-weight:600"));
        QVERIFY(window.Dialogs.Previews.back().EpisodeImage.isNull() == false); // the show's cover stands in
        QCOMPARE(window.Dialogs.Log().filter("error"), QStringList());
    }
};

QTEST_MAIN(ShowNotesScenarioTest)
#include "ShowNotesScenarioTest.moc"
