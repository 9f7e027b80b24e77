// The Items page driven through the real window: the list, the fields, the four commands with
// the feed file's bytes after each, the button states, Ctrl+S, the quoted word and auto link,
// and what the page does with feeds it cannot work on.
#include "FeedCommands.h"
#include "TestBytes.h"
#include "ItemDetails.h"
#include "LineBreaks.h"
#include "TextFunctions.h"
#include "zelStrings.h"
#include "zelXMLParser2.h"
#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include "WindowFixture.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

// Compares file bytes, printing both when they differ.

namespace {

const std::string ChannelDate = "Sun, 4 Feb 2007 10:00:00 -0800";

std::string Item(const std::string &title, const std::string &description = "d",
                 const std::string &link = "http://x/l", const std::string &date = "p")
{
    return "    <item>\r\n"
           "      <title>" + title + "</title>\r\n" +
           (description.empty() ? "      <description/>\r\n"
                                : "      <description>" + description + "</description>\r\n") +
           "      <link>" + link + "</link>\r\n"
           "      <pubDate>" + date + "</pubDate>\r\n"
           "    </item>\r\n";
}

// The item Add writes, before the file is read back.
std::string NewItem(const std::string &stamp)
{
    return "    <item>\r\n"
           "      <title>(untitled)</title>\r\n"
           "      <description> </description>\r\n"
           "      <link> </link>\r\n"
           "      <pubDate>" + stamp + "</pubDate>\r\n"
           "    </item>\r\n";
}

class TItemsWindow : public TWindowFixture {
public:
    std::string Encoding = "UTF-8";

    std::string Feed(const std::string &items) const
    {
        return FeedBytes("News", "All", "http://x/", ChannelDate, Encoding, items);
    }
    // Catalogues one feed holding items, starts the window and opens the Items page.
    void Open(const std::string &items, std::uint8_t autoLink = 0)
    {
        const std::string path = WriteFeed("feed.xml", Feed(items));
        WriteCatalogue({{path, "News", "All", "http://x/", "Sun"}}, 1, autoLink);
        Start();
        ClickTab(1);
        QCOMPARE(Pages()->currentIndex(), 1);
    }
    std::string File() const { return ReadFile("feed.xml"); }
    std::string Stamp() const { return DateStamp(Clock.Time); }

    // Enabled state of Clone, Save and Delete.
    QList<bool> Buttons() const
    {
        return {Tool("SpeedButton5")->isEnabled(), Tool("SpeedButton6")->isEnabled(),
                Tool("SpeedButton7")->isEnabled()};
    }
    // Title, description, link and date as shown.
    QStringList Fields() const
    {
        return {Edit("Edit5")->text(), Widget<QPlainTextEdit>("Memo1")->toPlainText(),
                Edit("Edit7")->text(), Edit("Edit8")->text()};
    }
    void SaveKeys(Qt::KeyboardModifiers modifiers = Qt::ControlModifier) const
    {
        QTest::keyClick(Edit("Edit5"), Qt::Key_S, modifiers);
    }
};

// The item commands the property tests run through the window and on a fresh read.
enum TCommand { Add, Clone, Save, Delete, Details, Undo };

// Clicks Add, Clone or Delete and runs the same unit command on expected, writing expected.xml;
// false for the other commands.
bool ClickAndApply(const TItemsWindow &window, TCommand command, TzelXMLParser2 &expected, int first, int row)
{
    const std::string scratch = window.PathBytes("expected.xml");
    if (command == Add) {
        window.Click(window.Tool("SpeedButton1"));
        AddItem(expected, scratch, first, window.Stamp());
    } else if (command == Clone) {
        window.Click(window.Tool("SpeedButton5"));
        CloneItem(expected, scratch, first, row);
    } else if (command == Delete) {
        window.Click(window.Tool("SpeedButton7"));
        DeleteItem(expected, scratch, first, row);
    } else {
        return false;
    }
    return true;
}

// The rows and the current row's fields are those of a fresh read of the file.
void CheckShown(const TItemsWindow &window, const std::string &path, const QString &where)
{
    const auto written = ReadFeed(window.File());
    const TItemList items = ListItems(*written);
    const TFeedTextCodec codec(DocumentEncoding(*written));
    QStringList rows;
    for (const std::string &text : items.Rows)
        rows << codec.ToText(text);
    QVERIFY2(window.ListLines("ListBox2") == rows, qPrintable(where));
    const int current = window.CurrentRow("ListBox2");
    if (current < 0)
        return;
    const TItemFields fields = ReadItem(*written, path, items.FirstItemIndex, current);
    QString description = codec.ToText(fields.Description);
    description.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QVERIFY2(window.Fields() == QStringList({codec.ToText(fields.Title), description, codec.ToText(fields.Link),
                                             codec.ToText(fields.PubDate)}),
             qPrintable(where));
}

// Another program writes the feed: a new file renamed into place, or the file rewritten in
// place; at the same size it keeps the old file's modification time less a minute, as a copy
// that keeps times would.
enum TElsewhere { ElsewhereRenamed, ElsewhereInPlace, ElsewhereSameSize };
void WriteElsewhere(const TItemsWindow &window, const std::string &bytes, int how)
{
    const std::string path = window.PathBytes("feed.xml");
    if (how == ElsewhereRenamed) {
        window.WriteFile("incoming.xml", bytes);
        QCOMPARE(std::rename(window.PathBytes("incoming.xml").c_str(), path.c_str()), 0);
        return;
    }
    struct stat before {};
    QCOMPARE(stat(path.c_str(), &before), 0);
    if (how == ElsewhereSameSize)
        QCOMPARE(qint64(bytes.size()), qint64(before.st_size));
    window.WriteFile("feed.xml", bytes);
    if (how == ElsewhereSameSize) {
        const timespec times[2] = {before.st_atim, {before.st_mtim.tv_sec - 60, before.st_mtim.tv_nsec}};
        QCOMPARE(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
}

const QList<bool> AllEnabled = {true, true, true};
const QList<bool> AllDisabled = {false, false, false};
const QList<bool> SaveDisabled = {true, false, true};

} // namespace

class ItemsPageTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheItemsOfTheSelectedFeed()
    {
        TItemsWindow window;
        window.Open(Item("Play &quot;Word Hunt&quot;. Free", "a &quot;b&quot;", "http://x/?q=&quot;", "p1") +
                    Item("Play &quot;Word Hunt&quot; Free", "line") +
                    "    <category>no title</category>\r\n");
        QCOMPARE(window.ListLines("ListBox2"),
                 QStringList({"Play \"Word Hunt\". Free", "Play \"Word Hunt\" Free", "<category>"}));
        QCOMPARE(window.CurrentRow("ListBox2"), 0);
        // A screen reader reads the same lines, row by row.
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(window.View("ListBox2"));
        QVERIFY(list);
        QStringList heard;
        for (int row = 0; row < list->childCount(); ++row)
            heard << list->child(row)->text(QAccessible::Name);
        QCOMPARE(heard, window.ListLines("ListBox2"));
        QCOMPARE(window.Fields(),
                 QStringList({"Play \"Word Hunt\". Free", "a \"b\"", "http://x/?q=&quot;", "p1"}));
        QCOMPARE(window.Edit("Edit6")->text(), QString("Word Hunt"));
        QCOMPARE(window.Form->focusWidget(), window.Edit("Edit5"));
        QCOMPARE(window.Edit("Edit5")->selectedText(), window.Edit("Edit5")->text());
        QVERIFY(!window.Edit("Edit8")->isEnabled()); // "Auto" is on

        window.ClickRow("ListBox2", 1); // a quoted word without a full stop after it
        QCOMPARE(window.Edit("Edit6")->text(), QString());
        QCOMPARE(window.Fields(), QStringList({"Play \"Word Hunt\" Free", "line", "http://x/l", "p"}));
        window.ClickRow("ListBox2", 2); // a listed child without the four elements
        QCOMPARE(window.Fields(), QStringList({"", "", "", ""}));
        QVERIFY(window.Dialogs.Shown.empty());
    }

    void addOnFeedWithoutItemsAppendsIt()
    {
        TItemsWindow window;
        window.Open("");
        QVERIFY(window.ListLines("ListBox2").isEmpty());
        QCOMPARE(window.Buttons(), AllDisabled);
        window.Click(window.Tool("SpeedButton1"));
        COMPARE_BYTES(window.File(), window.Feed(NewItem(window.Stamp())));
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"(untitled)"}));
        QCOMPARE(window.CurrentRow("ListBox2"), 0);
        QCOMPARE(window.Fields(), QStringList({"(untitled)", "", "", QString::fromStdString(window.Stamp())}));
        QCOMPARE(window.Edit("Edit5")->selectedText(), QString("(untitled)"));
        QCOMPARE(window.Form->focusWidget(), window.Edit("Edit5"));
        QCOMPARE(window.Buttons(), AllEnabled);
    }

    void addOnFeedWithItemsPutsItFirst()
    {
        TItemsWindow window;
        window.Open(Item("A") + Item("B"));
        window.ClickRow("ListBox2", 1);
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_N, Qt::ControlModifier);
        COMPARE_BYTES(window.File(), window.Feed(NewItem(window.Stamp()) + Item("A") + Item("B")));
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"(untitled)", "A", "B"}));
        QCOMPARE(window.CurrentRow("ListBox2"), 0);
        QCOMPARE(window.Buttons(), AllEnabled);
    }

    void cloneOfRowThree()
    {
        TItemsWindow window;
        window.Open(Item("I0") + Item("I1") + Item("I2") + Item("I3", "three") + Item("I4"));
        window.ClickRow("ListBox2", 3);
        window.Click(window.Tool("SpeedButton5"));
        // The copy is a new item: it gets a guid of its own.
        const std::string written = window.File();
        const size_t guid = written.find("<guid isPermaLink=\"false\">");
        QVERIFY(guid != std::string::npos);
        std::string copy = Item("I3", "three");
        copy.insert(copy.size() - 13, "      " + written.substr(guid, 26 + 36 + 7) + "\r\n");
        COMPARE_BYTES(written, window.Feed(Item("I0") + Item("I1") + Item("I2") + copy + Item("I3", "three") + Item("I4")));
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"I0", "I1", "I2", "I3", "I3", "I4"}));
        QCOMPARE(window.CurrentRow("ListBox2"), 3);
        QCOMPARE(window.Fields().at(1), QString("three"));
        QCOMPARE(window.Buttons(), AllEnabled);
    }

    void deleteOfLastRowAndOfOnlyItem()
    {
        TItemsWindow window;
        window.Open(Item("A") + Item("B") + Item("C"));
        window.ClickRow("ListBox2", 2);
        window.Click(window.Tool("SpeedButton7")); // no question
        QVERIFY(window.Dialogs.Shown.empty());
        COMPARE_BYTES(window.File(), window.Feed(Item("A") + Item("B")));
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"A", "B"}));
        QCOMPARE(window.CurrentRow("ListBox2"), 1);
        QCOMPARE(window.Fields().at(0), QString("B"));
        QCOMPARE(window.Buttons(), AllEnabled);

        window.Action("Delete2")->trigger();
        window.Action("Delete2")->trigger();
        COMPARE_BYTES(window.File(), window.Feed(""));
        QVERIFY(window.ListLines("ListBox2").isEmpty());
        QCOMPARE(window.Buttons(), AllDisabled);
        QCOMPARE(window.Fields().at(0), QString("A")); // the deleted item still shows
        // Clone and Delete on an empty list do nothing else.
        window.Action("CloneItem1")->trigger();
        window.Action("Delete2")->trigger();
        COMPARE_BYTES(window.File(), window.Feed(""));
        QCOMPARE(window.Buttons(), AllDisabled);
    }

    void saveWithQuotesAndThreeLines()
    {
        TItemsWindow window;
        window.Open(Item("Old", "old", "http://x/old") + Item("Other"));
        window.TypeInto(window.Edit("Edit5"), "Say \"Hi\" & bye");
        QPlainTextEdit *memo = window.Widget<QPlainTextEdit>("Memo1");
        memo->setFocus();
        memo->selectAll();
        TWindowFixture::TypeText(memo, "one");
        QTest::keyClick(memo, Qt::Key_Return);
        TWindowFixture::TypeText(memo, "two \"q\"");
        QTest::keyClick(memo, Qt::Key_Return);
        TWindowFixture::TypeText(memo, "three");
        QCOMPARE(memo->toPlainText(), QString("one\ntwo \"q\"\nthree"));
        window.TypeInto(window.Edit("Edit7"), "http://x/a?b=\"c\"");
        window.SaveKeys();
        // The lines keep their breaks, in the file's own CR LF form.
        const std::string description = "one\r\ntwo &quot;q&quot;\r\nthree";
        COMPARE_BYTES(window.File(),
                 window.Feed(Item("Say &quot;Hi&quot; <![CDATA[&]]> bye", description,
                                  "http://x/a?b=\"c\"", window.Stamp()) + Item("Other")));
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"Say \"Hi\" & bye", "Other"}));
        QCOMPARE(window.Fields(), QStringList({"Say \"Hi\" & bye", "one\ntwo \"q\"\nthree", "http://x/a?b=\"c\"",
                                               QString::fromStdString(window.Stamp())}));
        // An untouched description goes back byte for byte, lone LF and CR included.
        std::string file = window.File();
        file.replace(file.find(description), description.size(), "one\ntwo\r\n\rthree");
        window.WriteFile("feed.xml", file);
        window.ClickTab(0);
        window.ClickTab(1);
        window.TypeInto(window.Edit("Edit5"), "Title");
        window.SaveKeys();
        QVERIFY(window.File().find("<description>one\ntwo\r\n\rthree</description>") != std::string::npos);
        // A file written with LF alone gets typed lines broken with LF.
        file = window.Feed(Item("Plain", "single"));
        for (std::size_t at; (at = file.find("\r\n")) != std::string::npos;)
            file.erase(at, 1);
        window.WriteFile("feed.xml", file);
        window.ClickTab(0);
        window.ClickTab(1);
        memo->setFocus();
        memo->selectAll();
        TWindowFixture::TypeText(memo, "x");
        QTest::keyClick(memo, Qt::Key_Return);
        TWindowFixture::TypeText(memo, "y");
        window.SaveKeys();
        QVERIFY(window.File().find("<description>x\ny</description>") != std::string::npos);
        QCOMPARE(window.Buttons(), SaveDisabled);
    }

    // With "Auto" off the date field is the user's: the typed date is stored.
    void saveWithAutoOffStoresTypedDate()
    {
        TItemsWindow window;
        window.Open(Item("A"));
        window.Click(window.Widget<QCheckBox>("CheckBox1"));
        QVERIFY(window.Edit("Edit8")->isEnabled());
        window.TypeInto(window.Edit("Edit8"), "Tue, 6 Feb 2007 08:00:00 -0800");
        window.Click(window.Tool("SpeedButton6"));
        COMPARE_BYTES(window.File(), window.Feed(Item("A", "d", "http://x/l", "Tue, 6 Feb 2007 08:00:00 -0800")));
        QCOMPARE(window.Edit("Edit8")->text(), QString("Tue, 6 Feb 2007 08:00:00 -0800"));

        // "< Set Date" works with either state and marks the item unsaved.
        window.Click(window.Widget<QPushButton>("Button2"));
        QCOMPARE(window.Edit("Edit8")->text(), QString::fromStdString(window.Stamp()));
        QCOMPARE(window.Buttons(), AllEnabled);
        window.Click(window.Widget<QCheckBox>("CheckBox1")); // back on: a fresh stamp on save
        QVERIFY(!window.Edit("Edit8")->isEnabled());
        window.Clock.Time = window.Clock.Time.addSecs(61);
        window.SaveKeys();
        COMPARE_BYTES(window.File(), window.Feed(Item("A", "d", "http://x/l", window.Stamp())));
    }

    // "Auto" and "Auto Link" are the catalogue's first two bytes, written when the window closes.
    void optionsAreKeptInTheCatalogue()
    {
        TItemsWindow window;
        window.Open(Item("A"), 1);
        window.Click(window.Widget<QCheckBox>("CheckBox1"));
        window.Widget<QCheckBox>("CheckBox2")->setChecked(false);
        window.Dialogs.Answers = {true};
        window.Form->close();
        const std::string catalogue = window.ReadCatalogueFile();
        QCOMPARE(catalogue.size(), sizeof(TFeedCatalogue));
        QCOMPARE(int(catalogue[0]), 0);
        QCOMPARE(int(catalogue[1]), 0);
    }

    void ctrlSSavesOnReleaseEvenWhenSaveIsDisabled()
    {
        TItemsWindow window;
        window.Open(Item("A") + Item("B"));
        window.Click(window.Tool("SpeedButton6"));
        QCOMPARE(window.Buttons(), SaveDisabled);
        const std::string firstSave = window.Feed(Item("A", "d", "http://x/l", window.Stamp()) + Item("B"));
        COMPARE_BYTES(window.File(), firstSave);

        window.Clock.Time = window.Clock.Time.addDays(1);
        window.SaveKeys(Qt::ControlModifier | Qt::ShiftModifier); // not a save
        COMPARE_BYTES(window.File(), firstSave);
        window.SaveKeys();
        COMPARE_BYTES(window.File(), window.Feed(Item("A", "d", "http://x/l", window.Stamp()) + Item("B")));
        QCOMPARE(window.Buttons(), SaveDisabled);
    }

    // Ctrl+S released while a mouse button is held is not a save; the same keys once the
    // button is up are.
    void ctrlSWithAMouseButtonHeldDoesNotSave()
    {
        TItemsWindow window;
        window.Open(Item("A"));
        const std::string before = window.File();
        QWindow *handle = window.Form->windowHandle();
        QWidget *label = window.Widget<QLabel>("Label5");
        const QPoint onLabel = label->mapTo(window.Form.get(), label->rect().center());
        for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            QTest::mousePress(handle, button, {}, onLabel);
            QCOMPARE(QGuiApplication::mouseButtons(), Qt::MouseButtons(button));
            window.SaveKeys();
            COMPARE_BYTES(window.File(), before);
            QTest::mouseRelease(handle, button, {}, onLabel);
        }
        window.SaveKeys();
        COMPARE_BYTES(window.File(), window.Feed(Item("A", "d", "http://x/l", window.Stamp())));
        QCOMPARE(window.Dialogs.Log(), QStringList());
    }

    void everyFieldChangeMarksTheItemUnsaved()
    {
        TItemsWindow window;
        window.Open(Item("A"));
        window.Click(window.Widget<QCheckBox>("CheckBox1")); // the date box can be typed in
        const auto typeAndCheck = [&](QWidget *field) {
            window.SaveKeys();
            QCOMPARE(window.Buttons(), SaveDisabled);
            field->setFocus();
            TWindowFixture::TypeText(field, "x");
            QCOMPARE(window.Buttons(), AllEnabled);
        };
        typeAndCheck(window.Edit("Edit5"));
        typeAndCheck(window.Widget<QPlainTextEdit>("Memo1"));
        typeAndCheck(window.Edit("Edit7"));
        typeAndCheck(window.Edit("Edit8"));
    }

    // Titles whose quoted word differs from the text between their first two double quotes:
    // showing them must leave title and link as stored, even with "Auto Link" on.
    void showingNeverRewritesTitleOrLink()
    {
        TItemsWindow window;
        const std::string items = Item("Two &quot;quoted&quot; words", "d", "http://x/games/old.html") +
                                  Item("The &quot;Big&quot; and &quot;Small&quot;. End", "d", "http://x/games/old.html") +
                                  Item("Lone &quot; quote", "d", "http://x/games/old.html");
        window.Open(items, 1);
        QVERIFY(window.Widget<QCheckBox>("CheckBox2")->isChecked());
        const QStringList titles = {"Two \"quoted\" words", "The \"Big\" and \"Small\". End", "Lone \" quote"};
        const QStringList words = {"", "Big\" and \"Small", ""};
        for (int row = 0; row < 3; ++row) {
            window.ClickRow("ListBox2", row);
            QCOMPARE(window.Edit("Edit6")->text(), words[row]);
            QCOMPARE(window.Edit("Edit5")->text(), titles[row]);
            QCOMPARE(window.Edit("Edit7")->text(), QString("http://x/games/old.html"));
        }
        // Saving each as shown stores the same titles and links; only the dates change.
        std::string saved;
        for (int row = 0; row < 3; ++row) {
            window.ClickRow("ListBox2", row);
            window.SaveKeys();
        }
        const std::string stamp = window.Stamp();
        COMPARE_BYTES(window.File(),
                 window.Feed(Item("Two &quot;quoted&quot; words", "d", "http://x/games/old.html", stamp) +
                             Item("The &quot;Big&quot; and &quot;Small&quot;. End", "d", "http://x/games/old.html", stamp) +
                             Item("Lone &quot; quote", "d", "http://x/games/old.html", stamp)));
    }

    // With "Auto Link" on, a title's quoted word names the link's file.
    void autoLinkFromTheQuotedWord()
    {
        TItemsWindow window;
        window.Open(Item("Get &quot;Word Hunt&quot;.", "d", "http://example.com/games/old.html") +
                        Item("A &quot;Big Red Ball&quot;.", "d", "/old") +
                        Item("No &quot;Slash&quot;.", "d", "old.html"),
                    1);
        QCOMPARE(window.Dialogs.Log(), QStringList());
        QCOMPARE(window.Edit("Edit5")->text(), QString("Get \"Word Hunt\"."));
        QCOMPARE(window.Edit("Edit7")->text(), QString("http://example.com/games/word_hunt.html"));
        QCOMPARE(window.Buttons(), AllEnabled); // shown as a change to save
        window.SaveKeys();
        window.ClickRow("ListBox2", 1);
        QCOMPARE(window.Edit("Edit7")->text(), QString("/big_red_ball.html"));
        window.SaveKeys();
        window.ClickRow("ListBox2", 2);
        QCOMPARE(window.Edit("Edit5")->text(), QString("No \"Slash\"."));
        QCOMPARE(window.Edit("Edit7")->text(), QString("old.html"));
        window.SaveKeys();
        const std::string stamp = window.Stamp();
        COMPARE_BYTES(window.File(),
                 window.Feed(Item("Get &quot;Word Hunt&quot;.", "d", "http://example.com/games/word_hunt.html", stamp) +
                             Item("A &quot;Big Red Ball&quot;.", "d", "/big_red_ball.html", stamp) +
                             Item("No &quot;Slash&quot;.", "d", "old.html", stamp)));

        // The word written by the program goes between the title's first two double quotes.
        window.Edit("Edit6")->setText("New Word");
        QCOMPARE(window.Edit("Edit5")->text(), QString("No \"New Word\"."));
        QCOMPARE(window.Edit("Edit7")->text(), QString("old.html"));
        // "Auto Link" switched off (and its click handler run): only the title follows the word.
        window.Widget<QCheckBox>("CheckBox2")->setChecked(false);
        window.ClickRow("ListBox2", 0);
        window.Edit("Edit7")->setText("http://x/keep.html");
        window.Edit("Edit6")->setText("Other");
        QCOMPARE(window.Edit("Edit5")->text(), QString("Get \"Other\"."));
        QCOMPARE(window.Edit("Edit7")->text(), QString("http://x/keep.html"));
    }

    // The assist runs when the quoted word changes, not whenever an item is shown: a link
    // typed by hand next to the same word survives showing, saving and listing again.
    void sameQuotedWordKeepsAHandTypedLink()
    {
        TItemsWindow window;
        window.Open(Item("One &quot;Word&quot;.", "d", "http://x/a/word.html") +
                        Item("Two &quot;Word&quot;.", "d", "http://x/b/mine.html"),
                    1);
        window.ClickRow("ListBox2", 1);
        QCOMPARE(window.Edit("Edit7")->text(), QString("http://x/b/mine.html"));
        window.TypeInto(window.Edit("Edit7"), "http://x/b/typed.html");
        window.SaveKeys();
        QCOMPARE(window.Edit("Edit7")->text(), QString("http://x/b/typed.html"));
        window.TypeInto(window.Edit("Edit5"), "Two \"Word\". Again");
        window.SaveKeys();
        const std::string stamp = window.Stamp();
        COMPARE_BYTES(window.File(), window.Feed(Item("One &quot;Word&quot;.", "d", "http://x/a/word.html") +
                                                 Item("Two &quot;Word&quot;. Again", "d", "http://x/b/typed.html", stamp)));
        QCOMPARE(window.Dialogs.Log(), QStringList());
    }

    void autoLinkLowersNationalCharactersInTheFeedsEncoding()
    {
        for (const std::string encoding : {"ISO-8859-1", "UTF-8"}) {
            TItemsWindow window;
            window.Encoding = encoding;
            const bool latin1 = encoding == "ISO-8859-1";
            const std::string upper = latin1 ? "\xC4PFEL \xDC" "BER" : "\xC3\x84PFEL \xC3\x9C" "BER";
            const std::string lower = latin1 ? "\xE4pfel_\xFC" "ber" : "\xC3\xA4pfel_\xC3\xBC" "ber";
            window.Open(Item("&quot;" + upper + "&quot;.", "d", "http://x/old.html"), 1);
            QCOMPARE(window.Edit("Edit7")->text(), QString::fromUtf8("http://x/äpfel_über.html"));
            window.SaveKeys();
            COMPARE_BYTES(window.File(),
                     window.Feed(Item("&quot;" + upper + "&quot;.", "d", "http://x/" + lower + ".html",
                                      window.Stamp())));
        }
    }

    // A feed that names no encoding is read as UTF-8 when its bytes are, else as Latin-1; the
    // choice is made again on every read, even when the file keeps its size.
    void undeclaredEncodingIsDecidedAgainOnEveryRead()
    {
        TItemsWindow window;
        window.Encoding = "";
        window.Open(Item("\xC3\xA9t\xC3\xA9")); // "été" in UTF-8: five bytes
        QCOMPARE(window.ListLines("ListBox2"), QStringList({QString::fromUtf8("été")}));
        QCOMPARE(window.Fields().at(0), QString::fromUtf8("été"));

        window.ClickTab(0);
        window.WriteFeed("feed.xml", window.Feed(Item("\xE9t\xE9xy"))); // Latin-1, same size
        window.ClickTab(1);
        QCOMPARE(window.ListLines("ListBox2"), QStringList({QString::fromUtf8("étéxy")}));
        QCOMPARE(window.Fields().at(0), QString::fromUtf8("étéxy"));
        const std::string latin1 = window.File();
        window.TypeInto(window.Edit("Edit5"), QString::fromUtf8("Ł"));
        window.SaveKeys();
        QCOMPARE(window.Dialogs.Log(),
                 QStringList({QString::fromUtf8("error: The character \"Ł\" (U+0141) cannot be written "
                                                "in this feed's encoding (ISO-8859-1).")}));
        COMPARE_BYTES(window.File(), latin1);

        window.Dialogs.Shown.clear();
        window.WriteFeed("feed.xml", window.Feed(Item("\xC3\xA9t\xC3\xA9")));
        window.ClickTab(0);
        window.ClickTab(1);
        QCOMPARE(window.Fields().at(0), QString::fromUtf8("été"));
        window.TypeInto(window.Edit("Edit5"), QString::fromUtf8("Łódź"));
        window.SaveKeys();
        // The refused "Ł" was still in the title box when the page was left.
        QCOMPARE(window.Dialogs.Log(), QStringList({QString::fromUtf8("ask: Save changes to \"étéxy\"?")}));
        QVERIFY(window.File().find("<title>\xC5\x81\xC3\xB3" "d\xC5\xBA</title>") != std::string::npos);
    }

    // A feed that did not parse is listed as far as it was read, but never written.
    void feedThatDidNotParseIsNotWritten()
    {
        TItemsWindow window;
        const std::string broken = "<rss><channel><title>C</title><item><title>A</title></item><oops></channel></rss>";
        const std::string path = window.WriteFeed("feed.xml", broken);
        window.WriteCatalogue({{path, "C", "", "", ""}});
        window.Start();
        window.ClickTab(1);
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"A", "<oops>"}));
        for (const char *command : {"SpeedButton1", "SpeedButton5", "SpeedButton6", "SpeedButton7"})
            window.Click(window.Tool(command));
        QCOMPARE(window.Dialogs.Shown.size(), size_t(4));
        for (const auto &shown : window.Dialogs.Shown) {
            QCOMPARE(shown.Kind, QString("error"));
            QVERIFY2(shown.Text.contains("could not be read"), qPrintable(shown.Text));
        }
        COMPARE_BYTES(window.File(), broken);
    }

    // A declaration that cannot be read empties the document: the old rows go and the
    // commands are off, so nothing can work on rows that are no longer there. Leaving the page
    // is not held up by it.
    void failedDeclarationClearsTheList()
    {
        TItemsWindow window;
        window.Open(Item("A") + Item("B"));
        const std::string bad = "<?xml version=1.0?><rss><channel><item><title>A</title></item></channel></rss>";
        window.WriteFile("feed.xml", bad);
        window.ClickTab(0);
        QCOMPARE(window.Pages()->currentIndex(), 0);
        QCOMPARE(window.Dialogs.Shown.size(), size_t(1));
        QCOMPARE(window.Dialogs.Shown[0].Kind, QString("error"));
        QVERIFY(window.ListLines("ListBox2").isEmpty());
        QCOMPARE(window.Buttons(), AllDisabled);
        window.ClickTab(1); // the same error, and the Items page stays closed
        QCOMPARE(window.Pages()->currentIndex(), 0);
        QCOMPARE(window.Dialogs.Shown.size(), size_t(2));
        COMPARE_BYTES(window.File(), bad);
    }

    void characterTheFeedCannotHoldIsRefused()
    {
        TItemsWindow window;
        window.Encoding = "ISO-8859-1";
        window.Open(Item("A"));
        const std::string before = window.File();
        window.TypeInto(window.Edit("Edit5"), QString::fromUtf8("Łódź"));
        window.SaveKeys();
        QCOMPARE(window.Dialogs.Shown.size(), size_t(1));
        QVERIFY2(window.Dialogs.Shown[0].Text.contains("cannot be written"), qPrintable(window.Dialogs.Shown[0].Text));
        COMPARE_BYTES(window.File(), before);
        QCOMPARE(window.Edit("Edit5")->text(), QString::fromUtf8("Łódź")); // still there to fix
        QVERIFY(window.Tool("SpeedButton6")->isEnabled());
    }

    // A title or link longer than a line edit holds by default is shown and saved whole.
    void longTitleAndLinkAreKeptWhole()
    {
        TItemsWindow window;
        const std::string longTitle(40000, 't'), longLink = "http://x/" + std::string(40000, 'l');
        window.Open(Item(longTitle, "d", longLink));
        QCOMPARE(window.Edit("Edit5")->text().size(), qsizetype(longTitle.size()));
        QCOMPARE(window.Edit("Edit7")->text().size(), qsizetype(longLink.size()));
        window.SaveKeys();
        QCOMPARE(window.Dialogs.Log(), QStringList());
        COMPARE_BYTES(window.File(), window.Feed(Item(longTitle, "d", longLink, window.Stamp())));
    }

    // A non-breaking space in the description is not a plain space: untouched or typed on,
    // it goes back to the file as it was.
    void descriptionKeepsNonBreakingSpaces()
    {
        for (const std::string encoding : {"ISO-8859-1", "UTF-8"}) {
            TItemsWindow window;
            window.Encoding = encoding;
            const std::string nbsp = encoding == "UTF-8" ? "\xC2\xA0" : "\xA0";
            window.Open(Item("A", "a" + nbsp + "b"));
            window.SaveKeys();
            QCOMPARE(window.Dialogs.Log(), QStringList());
            COMPARE_BYTES(window.File(), window.Feed(Item("A", "a" + nbsp + "b", "http://x/l", window.Stamp())));
            // Typed on: the space stays, a Shift+Enter line break goes like any other.
            QPlainTextEdit *memo = window.Widget<QPlainTextEdit>("Memo1");
            memo->setFocus();
            memo->moveCursor(QTextCursor::End);
            QTest::keyClick(memo, Qt::Key_Return, Qt::ShiftModifier);
            TWindowFixture::TypeText(memo, "c");
            window.SaveKeys();
            COMPARE_BYTES(window.File(), window.Feed(Item("A", "a" + nbsp + "b\r\nc", "http://x/l", window.Stamp())));
        }
    }

    // A double click on the quoted word selects all of it, not only the word under the mouse.
    void doubleClickSelectsTheWholeQuotedWord()
    {
        TItemsWindow window;
        window.Open(Item("Get &quot;Word Hunt&quot;."));
        QLineEdit *word = window.Edit("Edit6");
        QCOMPARE(word->text(), QString("Word Hunt"));
        QTest::mouseDClick(word, Qt::LeftButton, {}, QPoint(8, word->height() / 2));
        QCOMPARE(word->selectedText(), QString("Word Hunt"));
    }

    // The selected row stays selected: a click on it shows the stored item again, and a click
    // on empty space or a Ctrl+click does not leave the commands working on a row not shown.
    void selectedRowStaysSelected()
    {
        TItemsWindow window;
        window.Open(Item("A") + Item("B"));
        QWidget *viewport = window.View("ListBox2")->viewport();
        window.ClickRow("ListBox2", 1);
        window.TypeInto(window.Edit("Edit5"), "edited");
        window.ClickRow("ListBox2", 1);
        QCOMPARE(window.Edit("Edit5")->text(), QString("B"));
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(20, viewport->height() - 5));
        QCOMPARE(window.SelectedRows("ListBox2"), QList<int>({1}));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, window.RowRect("ListBox2", 1).center());
        QCOMPARE(window.SelectedRows("ListBox2"), QList<int>({1}));
        QCOMPARE(window.CurrentRow("ListBox2"), 1);
        QCOMPARE(window.Fields().at(0), QString("B"));
        QCOMPARE(window.Dialogs.Log(), QStringList({"ask: Save changes to \"B\"?"})); // answered No
        COMPARE_BYTES(window.File(), window.Feed(Item("A") + Item("B")));
    }

    // A right click or double click on another row neither selects it nor shows its item.
    void rightButtonDoesNotSelectAnotherRow()
    {
        TItemsWindow window;
        window.Open(Item("A") + Item("B", "e", "http://x/b", "q"));
        QWidget *viewport = window.View("ListBox2")->viewport();
        window.TypeInto(window.Edit("Edit5"), "edited");
        const QPoint row1 = window.RowRect("ListBox2", 1).center();
        QTest::mouseClick(viewport, Qt::RightButton, {}, row1);
        QTest::mouseDClick(viewport, Qt::RightButton, {}, row1);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, row1);
        QCOMPARE(window.CurrentRow("ListBox2"), 0);
        QCOMPARE(window.SelectedRows("ListBox2"), QList<int>({0}));
        QCOMPARE(window.Fields(), QStringList({"edited", "d", "http://x/l", "p"}));
        window.ClickRow("ListBox2", 1); // the left button still selects
        QCOMPARE(window.Fields(), QStringList({"B", "e", "http://x/b", "q"}));
        QCOMPARE(window.Dialogs.Log(), QStringList({"ask: Save changes to \"A\"?"})); // answered No
        COMPARE_BYTES(window.File(), window.Feed(Item("A") + Item("B", "e", "http://x/b", "q")));
    }

    // Tab walks the page's controls in their order; the hidden ones are passed over, and the
    // date box only takes part while "Auto" is off.
    void tabOrderOfThePage()
    {
        TItemsWindow window;
        window.Open(Item("A"));
        const auto walk = [&](int steps) {
            window.View("ListBox2")->setFocus();
            QStringList order;
            for (int step = 0; step < steps; ++step) {
                order << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            return order;
        };
        QCOMPARE(walk(6), QStringList({"ListBox2", "Edit5", "Memo1", "Edit7", "CheckBox1", "Button2"}));
        window.Click(window.Widget<QCheckBox>("CheckBox1"));
        QCOMPARE(walk(7), QStringList({"ListBox2", "Edit5", "Memo1", "Edit7", "Edit8", "CheckBox1", "Button2"}));
    }

    // A Ctrl+S whose save fails shows its error once, wherever the focus is.
    void failedCtrlSShowsOneError()
    {
        for (const char *focus : {"ListBox2", "Memo1", "Edit7"}) {
            TItemsWindow window;
            window.Encoding = "ISO-8859-1";
            window.Open(Item("A"));
            const std::string before = window.File();
            window.TypeInto(window.Edit("Edit5"), QString::fromUtf8("Łódź"));
            QWidget *widget = window.Widget<QWidget>(focus);
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(window.Dialogs.Log(),
                     QStringList({QString::fromUtf8("error: The character \"Ł\" (U+0141) cannot be written "
                                                    "in this feed's encoding (ISO-8859-1).")}));
            COMPARE_BYTES(window.File(), before);
        }
    }

    // The page keeps the feed it wrote instead of reading it back, and lays out only the item a
    // command changed. Over feeds of every kind and a run of commands, each file must hold what
    // the whole document written from a fresh read of the file before gives, and the rows and
    // fields must be those of a fresh read of the file after; Undo then gives every earlier
    // file back byte for byte, and a write by another program is seen on the next visit.
    // Every command writes what the same command gives on a document read afresh from the file
    // before it and saved whole, whatever commands and undos came before; no command takes the
    // markup or text that stands between the channel's children; Undo gives earlier bytes back.
    void commandsWriteAndShowWhatAFreshReadGives()
    {
        std::vector<std::pair<QString, std::string>> feeds = {
            {"LF, DOCTYPE, no declaration, a comment between items, CDATA and &",
             "<!DOCTYPE rss>\n<rss version=\"2.0\">\n<channel>\n<title>T</title>\n<link>http://x/</link>\n"
             "<item><title><![CDATA[ <b>A</b> & co ]]></title><description>a</description></item>\n"
             "<!-- between -->\n<item><title>B &amp; b</title><link>http://x/b</link></item>\n"
             "<item><title>C</title></item>\n</channel>\n</rss>\n"},
            {"CR LF, ISO-8859-1",
             "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<rss><channel><title>Caf\xe9</title>\r\n"
             "<item><title>\xe9t\xe9</title></item>\r\n<item><title>B</title><description>x &gt; y</description>"
             "</item>\r\n</channel></rss>"},
            {"CR LF, padded texts, a comment and an instruction after items, categories",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<rss version=\"2.0\">\r\n<channel>\r\n"
             "<title>  T  </title>\r\n<item><title>  padded  </title><description><![CDATA[ <p>x</p> ]]>"
             "</description></item>\r\n<!-- about B -->\r\n<item><title>B</title></item>\r\n<?pi x?>\r\n"
             "<item><title> C </title><category domain=\"http://x/cats\">Talk</category>"
             "<category>History</category></item>\r\n<item><title>D</title></item>\r\n</channel>\r\n</rss>\r\n"},
            {"an item first in the channel, a comment after it",
             "<rss><channel><item><title>A</title></item><!-- after A --><title>T</title>"
             "<item><title>B</title></item><item><title>C</title></item></channel></rss>"},
            {"byte-order mark, standalone, mixed content in an item",
             "\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><rss><channel><title>M</title>"
             "<item><title>A</title><description>Hello <b>x</b> world</description></item>"
             "<item><title>B</title></item></channel></rss>"},
            {"text between the channel's items",
             "<rss><channel><title>T</title>\n  <item><title>A</title></item>\n  stray <!-- c -->\n  "
             "<item><title>B</title></item> more <item><title>C</title></item>\n</channel></rss>"},
            {"undeclared UTF-8, an instruction before the root, a comment after it",
             "<?xml-stylesheet href=\"s.xsl\"?>\n<rss><channel><title>\xc3\x9c</title><item><title>\xc3\xa4</title>"
             "<guid isPermaLink=\"false\">g&amp;1</guid></item><item><title>\xc3\x9f</title></item></channel></rss>\n"
             "<!-- end -->\n"}};
        const QDir fixtures(QStringLiteral(FEED_FIXTURES));
        for (const char *name : ItemFixtureNames) {
            QFile file(fixtures.filePath(QString::fromLatin1(name)));
            if (file.open(QIODevice::ReadOnly))
                feeds.push_back({QString::fromLatin1(name), file.readAll().toStdString()});
        }
        // The window's commands by row (-1: the last), and the same on a document read from the
        // file. Undo must give back the bytes from before the last command that changed them.
        const std::vector<std::vector<std::pair<TCommand, int>>> scripts = {
            {{Add, 0}, {Clone, 1}, {Save, 0}, {Delete, -1}, {Details, 1}, {Save, 1}, {Clone, -1}, {Delete, 0},
             {Add, 0}, {Details, 0}, {Save, -1}, {Save, 2}, {Delete, 2}},
            {{Delete, 0}, {Undo, 0}, {Save, 1}, {Save, 2}, {Delete, 1}, {Undo, 0}, {Details, 1}, {Delete, 0},
             {Undo, 0}, {Undo, 0}, {Save, 0}, {Clone, 0}, {Delete, 1}, {Undo, 0}, {Add, 0}, {Delete, 1}}};
        const auto read = ReadFeed;
        for (const auto &[label, bytes] : feeds) {
            // What stands between the channel's children (comments, instructions, text).
            std::vector<std::string> between;
            const auto original = read(bytes);
            if (const TzelXMLNode2 *channel = original->FindChild("channel", false))
                for (const TzelXMLNode2 *child : channel->Children())
                    if (child && !TrimmedText(child->KeptTail()).empty())
                        between.emplace_back(TrimmedText(child->KeptTail()));
            for (size_t scriptIndex = 0; scriptIndex < scripts.size(); ++scriptIndex) {
                TItemsWindow window;
                const std::string path = window.WriteFeed("feed.xml", bytes);
                window.WriteCatalogue({{path, "F", "", "", ""}});
                window.Start();
                window.ClickTab(1);
                QCOMPARE(window.Pages()->currentIndex(), 1);
                std::vector<std::string> earlier; // the bytes each change was made to
                for (const auto &[command, wantedRow] : scripts[scriptIndex]) {
                    const std::string before = window.File();
                    const auto expected = read(before);
                    const int first = ListItems(*expected).FirstItemIndex;
                    const int count = window.RowCount("ListBox2");
                    const int row = std::max(0, std::min(wantedRow < 0 ? count - 1 : wantedRow, count - 1));
                    if ((command != Add && command != Undo && count == 0) || (command == Undo && earlier.empty()))
                        continue;
                    if (command != Add && command != Undo) {
                        window.ScrollToRow("ListBox2", row);
                        window.ClickRow("ListBox2", row);
                    }
                    const std::string scratch = window.PathBytes("expected.xml");
                    if (command == Undo) {
                        window.Action("Undo1")->trigger();
                        window.WriteFile("expected.xml", earlier.back());
                        earlier.pop_back();
                    } else if (ClickAndApply(window, command, *expected, first, row)) {
                    } else if (command == Details && expected->FindChild("channel", false)->ChildAt(first + row)->NameView() != "item") {
                        // A listed row that is no item (a channel element after the first item)
                        // has no details: refused before any dialog, the file untouched.
                        window.Action("ItemDetails1")->trigger();
                        QVERIFY2(window.Dialogs.Log().filter("not an item").size() == 1, qPrintable(label));
                        QCOMPARE(window.Dialogs.Shown.size(), size_t(1));
                        QVERIFY2(window.File() == before, qPrintable(label));
                        window.Dialogs.Shown.clear();
                    } else if (command == Details) {
                        // OK on the details as they are writes nothing and refuses nothing.
                        window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
                            QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok),
                                              Qt::LeftButton);
                        };
                        window.Action("ItemDetails1")->trigger();
                        QVERIFY2(window.Dialogs.Log().filter("error").isEmpty(), qPrintable(label + window.Dialogs.Log().join('\n')));
                        QVERIFY2(window.File() == before, qPrintable(label));
                        window.Dialogs.Shown.clear();
                        const std::string author = "  me" + std::to_string(earlier.size()) + "@x (Me)  ";
                        window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
                            window.TypeInto(dialog.findChild<QLineEdit *>("AuthorEdit"), QString::fromStdString(author));
                            QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok),
                                              Qt::LeftButton);
                        };
                        window.Action("ItemDetails1")->trigger();
                        TItemDetails details = ReadItemDetails(*expected, scratch, first, row);
                        details.Author = author;
                        // Details the item cannot take (an enclosure without its length) are refused.
                        bool refused = false;
                        try {
                            WriteItemDetails(*expected, scratch, first, row, details);
                        } catch (const std::exception &) {
                            refused = true;
                            window.WriteFile("expected.xml", before);
                        }
                        QCOMPARE(window.Dialogs.Shown.size(), size_t(refused ? 2 : 1)); // the dialog, an error
                        window.Dialogs.Shown.clear();
                    } else {
                        const TItemFields shown = ReadItem(*expected, scratch, first, row);
                        window.TypeInto(window.Edit("Edit5"), "  Padded \"T\" & co  ");
                        QPlainTextEdit *memo = window.Widget<QPlainTextEdit>("Memo1");
                        memo->setFocus();
                        memo->selectAll();
                        TWindowFixture::TypeText(memo, "one");
                        QTest::keyClick(memo, Qt::Key_Return);
                        TWindowFixture::TypeText(memo, "two");
                        window.TypeInto(window.Edit("Edit7"), " http://x/n ");
                        window.SaveKeys();
                        const std::string lineBreak = LineBreakOf(shown.Description, LineBreakOf(before));
                        SaveItem(*expected, scratch, first, row,
                                 {"  Padded \"T\" & co  ", "one" + lineBreak + "two", " http://x/n ", window.Stamp()});
                    }
                    const QString where = label + QStringLiteral(", script %1, command %2 on row %3")
                                                      .arg(scriptIndex).arg(int(command)).arg(row);
                    QVERIFY2(window.Dialogs.Shown.empty(), qPrintable(where + (window.Dialogs.Shown.empty() ? QString() : window.Dialogs.Shown.front().Text)));
                    const std::string after = window.File();
                    if (after != window.ReadFile("expected.xml"))
                        QFAIL(qPrintable(where + "\nwritten:\n" + QString::fromStdString(after) + "\nexpected:\n" +
                                         QString::fromStdString(window.ReadFile("expected.xml"))));
                    for (const std::string &markup : between)
                        QVERIFY2(after.find(markup) != std::string::npos,
                                 qPrintable(where + " lost " + QString::fromStdString(markup)));
                    if (command != Undo && after != before)
                        earlier.push_back(before);
                    CheckShown(window, path, where);
                }
                // Every step taken back, each to the bytes the file had before it; the next command
                // still writes what a fresh read gives.
                for (auto bytes = earlier.rbegin(); bytes != earlier.rend(); ++bytes) {
                    window.Action("Undo1")->trigger();
                    QVERIFY2(window.File() == *bytes, qPrintable(label));
                    CheckShown(window, path, label + " undone");
                }
                const auto expected = read(window.File());
                window.Click(window.Tool("SpeedButton1"));
                AddItem(*expected, window.PathBytes("expected.xml"), ListItems(*expected).FirstItemIndex, window.Stamp());
                QVERIFY2(window.File() == window.ReadFile("expected.xml"), qPrintable(label + " add after undo"));
                // Another program's write is read on the next visit, and no undo goes over it.
                const std::string other = window.Feed(Item("Written elsewhere"));
                window.WriteFile("feed.xml", other);
                window.ClickTab(0);
                window.ClickTab(1);
                QCOMPARE(window.ListLines("ListBox2"), QStringList({"Written elsewhere"}));
                window.Action("Undo1")->trigger();
                COMPARE_BYTES(window.File(), other);
                QCOMPARE(window.Dialogs.Shown.size(), size_t(1));
                QVERIFY2(window.Dialogs.Shown.front().Text.contains("changed by another program"), qPrintable(label));
            }
        }
    }

    // Another program writes the file while the page shows it (a new file renamed into place, a
    // rewrite in place, one at the same size keeping an old time as a copy does). The next command
    // never writes over that: it goes to the item the user chose, found again in the file as it
    // is now, and writes what the same command gives on a fresh read; or, when that item is gone,
    // it is refused with a message naming the file, the fields keep the typing and the file stays.
    // Undo never goes over such a write either, also after later commands of the editor.
    void commandsFollowAnotherProgramsWrite()
    {
        enum TWrite { Renamed, InPlace, SameSize };
        const std::string items = Item("A") + Item("B") + Item("C") + Item("D") + Item("E");
        for (const TWrite write : {Renamed, InPlace, SameSize}) {
            for (const TCommand command : {Add, Clone, Delete, Save, Details}) {
                const QString where = QStringLiteral("write %1, command %2").arg(int(write)).arg(int(command));
                TItemsWindow window;
                window.Open(items);
                window.ClickRow("ListBox2", 2); // C
                // The same size: A becomes Z, so C stays in its row; otherwise an item comes first.
                const std::string outside = window.Feed(write == SameSize ? Item("Z") + items.substr(Item("A").size())
                                                                          : Item("New") + items);
                WriteElsewhere(window, outside, write);
                if (command == Save)
                    window.TypeInto(window.Edit("Edit5"), "Typed");
                const auto expected = ReadFeed(outside);
                const int first = ListItems(*expected).FirstItemIndex;
                const int row = write == SameSize ? 2 : 3;
                const std::string scratch = window.PathBytes("expected.xml");
                if (ClickAndApply(window, command, *expected, first, row)) {
                } else if (command == Save) {
                    window.SaveKeys();
                    SaveItem(*expected, scratch, first, row, {"Typed", "d", "http://x/l", window.Stamp()});
                } else {
                    window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
                        window.TypeInto(dialog.findChild<QLineEdit *>("AuthorEdit"), "me@x");
                        QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok),
                                          Qt::LeftButton);
                    };
                    window.Action("ItemDetails1")->trigger();
                    TItemDetails details = ReadItemDetails(*expected, scratch, first, row);
                    details.Author = "me@x";
                    WriteItemDetails(*expected, scratch, first, row, details);
                    window.Dialogs.Shown.erase(window.Dialogs.Shown.begin()); // the dialog itself
                }
                QVERIFY2(window.Dialogs.Shown.empty(), qPrintable(where));
                QVERIFY2(window.File() == window.ReadFile("expected.xml"), qPrintable(where));
                CheckShown(window, window.PathBytes("feed.xml"), where);
            }
        }

        // The chosen item is gone: Save and Delete are refused, the typing stays.
        TItemsWindow window;
        window.Open(items);
        window.ClickRow("ListBox2", 2);
        window.TypeInto(window.Edit("Edit5"), "Typed");
        const std::string outside = window.Feed(Item("A") + Item("B") + Item("D") + Item("E"));
        WriteElsewhere(window, outside, Renamed);
        const QString refusal = "error: The feed \"" + window.PathOf("feed.xml") +
                                "\" changed on disk since it was read, and the item \"C\" is no longer in it "
                                "as it was. Nothing was written; the list shows the feed as it is now.";
        window.SaveKeys();
        QCOMPARE(window.Dialogs.Log(), QStringList({refusal}));
        COMPARE_BYTES(window.File(), outside);
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"A", "B", "D", "E"}));
        QCOMPARE(window.Edit("Edit5")->text(), QString("Typed"));
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::Cancel};
        window.ClickTab(0); // the typing is still pending, on the row the fields now show
        QCOMPARE(window.Dialogs.Log().last(), QString("ask: Save changes to \"D\"?"));
        QCOMPARE(window.Pages()->currentIndex(), 1);

        // Undo: an editor write, a rewrite at the same size, then Undo refuses; after a further
        // command of the editor, the first Undo takes that back and the next refuses again.
        TItemsWindow undo;
        undo.Open(items);
        undo.Click(undo.Tool("SpeedButton1"));
        std::string rewritten = undo.File();
        rewritten.replace(rewritten.find("<title>A</title>"), 16, "<title>Y</title>");
        WriteElsewhere(undo, rewritten, SameSize);
        const std::string sameSize = undo.File();
        undo.Action("Undo1")->trigger();
        COMPARE_BYTES(undo.File(), sameSize);
        undo.Click(undo.Tool("SpeedButton1"));
        undo.Action("Undo1")->trigger();
        COMPARE_BYTES(undo.File(), sameSize);
        undo.Action("Undo1")->trigger();
        COMPARE_BYTES(undo.File(), sameSize);
        QCOMPARE(undo.Dialogs.Shown.size(), size_t(2));
        for (const auto &shown : undo.Dialogs.Shown)
            QVERIFY2(shown.Text.contains("changed by another program") || shown.Text.contains("Nothing to undo"),
                     qPrintable(shown.Text));

        // Save Feed writes the channel into the file as it is now.
        undo.ClickTab(0);
        WriteElsewhere(undo, undo.Feed(Item("Outside")), ElsewhereInPlace);
        undo.TypeInto(undo.Edit("Edit1"), "Retitled");
        undo.Click(undo.Tool("BitBtn1"));
        const std::string saved = undo.File();
        QVERIFY(saved.find("<title>Outside</title>") != std::string::npos);
        QVERIFY(saved.find("<title>Retitled</title>") != std::string::npos);
    }

    // A feed file that disappears never holds the user on the Items page; entering it again
    // says which file is missing.
    void feedFileThatDisappearsDoesNotHoldThePage()
    {
        TItemsWindow window;
        window.Open(Item("A"));
        const std::string before = window.File();
        QVERIFY(QFile::rename(window.PathOf("feed.xml"), window.PathOf("away.xml")));
        window.ClickTab(0);
        QCOMPARE(window.Pages()->currentIndex(), 0);
        QVERIFY(window.Dialogs.Shown.empty());
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 0);
        QCOMPARE(window.Dialogs.Log(),
                 QStringList({"message: The feed file \"" + window.PathOf("feed.xml") +
                              "\" is missing, so its items cannot be shown."}));
        QVERIFY(QFile::rename(window.PathOf("away.xml"), window.PathOf("feed.xml")));
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        COMPARE_BYTES(window.File(), before);

        // Deleted while its items show, the feed is written anew by Add: the feed as read,
        // with the new item first. A file that is gone has no newer content to lose.
        QVERIFY(QFile::remove(window.PathOf("feed.xml")));
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(window.Dialogs.Log().size(), 1);
        COMPARE_BYTES(window.File(), window.Feed(NewItem(window.Stamp()) + Item("A")));
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"(untitled)", "A"}));
    }

    // After a command refused because another program changed the chosen item, the fields show
    // the file as it is now, but for what the user typed, which stays pending: a Save with
    // nothing typed writes nothing of the vanished item back.
    void refusedCommandShowsTheFileButTheTyping()
    {
        TItemsWindow window;
        window.Open(Item("Item 0", "d0", "http://x/0", "p0") + Item("Item 1"));
        window.Widget<QCheckBox>("CheckBox1")->setChecked(false); // dates as shown
        const auto retitle = [&](const std::string &title, const std::string &description) {
            const std::string outside = window.Feed(Item(title, description, "http://x/0b", "p0b") + Item("Item 1"));
            WriteElsewhere(window, outside, ElsewhereRenamed);
            return outside;
        };
        std::string outside = retitle("Item 0 (edited)", "d0");
        window.Click(window.Tool("SpeedButton7")); // Delete: refused
        QCOMPARE(window.Dialogs.Shown.size(), size_t(1));
        QVERIFY(window.Dialogs.Shown[0].Text.contains("is no longer in it as it was"));
        QCOMPARE(window.Fields(), QStringList({"Item 0 (edited)", "d0", "http://x/0b", "p0b"}));
        window.Click(window.Tool("SpeedButton6")); // Save, nothing typed
        COMPARE_BYTES(window.File(), outside);

        // Typing stays typing: the title typed is kept and asked about.
        window.TypeInto(window.Edit("Edit5"), "Typed");
        outside = retitle("Item 0 (again)", "d0 (again)");
        window.Click(window.Tool("SpeedButton7"));
        QCOMPARE(window.Fields(), QStringList({"Typed", "d0 (again)", "http://x/0b", "p0b"}));
        COMPARE_BYTES(window.File(), outside);
        window.Dialogs.SaveAnswers = {TSaveChangesAnswer::No};
        window.ClickRow("ListBox2", 1);
        QCOMPARE(window.Dialogs.Log().last(), QString("ask: Save changes to \"Item 0 (again)\"?"));
        window.ClickRow("ListBox2", 0);
        QCOMPARE(window.Fields(), QStringList({"Item 0 (again)", "d0 (again)", "http://x/0b", "p0b"}));
        COMPARE_BYTES(window.File(), outside);
    }
};

QTEST_MAIN(ItemsPageTest)
#include "ItemsPageTest.moc"
