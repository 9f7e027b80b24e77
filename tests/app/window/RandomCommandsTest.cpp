// Long seeded runs of the item and feed commands through the real window, on made feeds and on
// fixtures, with hostile typed text, Undo and another program writing the file. After every step
// libxml2 must read the file, read back what was typed, the file must be what the same command
// gives on a fresh read of the bytes before it, and Undo must give earlier bytes back exactly.
// A failure prints its seed and the shortest step list that still fails.
//
// TOLVANE_RANDOM_SEED=n runs that seed alone; TOLVANE_RANDOM_STEPS=n sets the steps in all (40
// a seed); TOLVANE_RANDOM_TRACE=1 prints every step with the start of the file before it.
#include "FeedCatalogue.h"
#include "FeedCommands.h"
#include "ItemCommands.h"
#include "ItemDetails.h"
#include "LineBreaks.h"
#include "TextFunctions.h"
#include "zelXMLParser2.h"
#include "WindowFixture.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QThread>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <optional>
#include <cstdio>
#include <random>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int DefaultSteps = 8000; // the sanitizer build runs several times slower
#else
constexpr int DefaultSteps = 16000;
#endif
constexpr int StepsPerSeed = 40;
// An undo step whose earlier bytes the run cannot know.
const std::string UnknownBytes = "<unknown>";
constexpr int ShrinkMilliseconds = 15000; // for each failing seed
constexpr int AllShrinkingMilliseconds = 60000; // for all of them: later failures print unshrunk

enum class TKind { TypeItem, SaveItem, Add, Clone, Delete, Details, ChooseItem, SwitchPage,
                   TypeFeed, SaveFeed, Undo, OutsideRename, OutsideInPlace };
const char *const KindNames[] = {"type item", "save item", "add", "clone", "delete", "details",
                                 "choose item", "switch page", "type feed", "save feed", "undo",
                                 "outside write (new file + rename)", "outside write (in place)"};

struct TStep {
    TKind Kind;
    unsigned Pick = 0; // a row or a box, taken modulo what there is
    QString Text = {};
    TSaveChangesAnswer Answer = TSaveChangesAnswer::No; // to "Save changes to ...?"
};

QString Describe(const TStep &step)
{
    static const char *const answers[] = {"Yes", "No", "Cancel"};
    return QStringLiteral("%1 #%2 \"%3\" (answer %4)")
        .arg(QString::fromLatin1(KindNames[int(step.Kind)]))
        .arg(step.Pick)
        .arg(QString(step.Text).replace(u'\n', QStringLiteral("\\n")))
        .arg(QString::fromLatin1(answers[int(step.Answer)]));
}

// Text as people paste it into feeds, and as nobody should have to think about.
QString HostileText(std::mt19937 &random, bool lineBreaks)
{
    static const char *const pieces[] = {"a", "News", "&", "&nbsp;", "&amp;", "&lt;", "&#233;", "<", ">",
                                         "<b>", "</b>", "\"", "'", "]]>", " ", "  ", "\xc3\xa9", "\xc3\xbc",
                                         "\xe2\x82\xac", "\xc5\x81", "x y", "http://x/?a=1&b=2"};
    QString text;
    const int count = 1 + int(random() % 5);
    for (int i = 0; i < count; ++i) {
        if (lineBreaks && random() % 6 == 0)
            text += u'\n';
        else
            text += QString::fromUtf8(pieces[random() % std::size(pieces)]);
    }
    return text;
}

std::vector<TStep> MakeSteps(std::mt19937 &random, int count)
{
    // Weights of the kinds, in TKind order.
    static const int weights[] = {20, 12, 6, 6, 6, 6, 10, 6, 5, 4, 10, 3, 3};
    std::discrete_distribution<int> kinds(std::begin(weights), std::end(weights));
    std::vector<TStep> steps;
    for (int i = 0; i < count; ++i) {
        TStep step{TKind(kinds(random))};
        step.Pick = unsigned(random() % 1000);
        step.Text = HostileText(random, true);
        step.Answer = TSaveChangesAnswer(random() % 3);
        steps.push_back(step);
    }
    return steps;
}

// A feed made from the seed: line breaks, encoding, byte-order mark, comments, instructions and
// text between items, CDATA, markup in descriptions, padded texts, categories with attributes.
std::string MakeFeed(std::mt19937 &random)
{
    const std::string nl = random() % 2 ? "\r\n" : "\n";
    const int encoding = int(random() % 4); // UTF-8, Latin-1 bare, Latin-1 declared, UTF-8 with BOM
    const bool latin1 = encoding == 1 || encoding == 2;
    const std::string e = latin1 ? "\xe9" : "\xc3\xa9";
    std::string feed = encoding == 3 ? "\xef\xbb\xbf" : "";
    if (encoding == 0 || encoding == 3)
        feed += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + nl;
    else if (encoding == 2)
        feed += "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>" + nl;
    if (random() % 2)
        feed += "<?xml-stylesheet type=\"text/xsl\" href=\"rss.xsl\"?>" + nl + "<!-- made -->" + nl;
    feed += "<rss version=\"2.0\">" + nl + "<channel>" + nl + "<title>Caf" + e + " &amp; Co</title>" + nl +
            "<description>All</description>" + nl + "<link>http://x/</link>" + nl +
            "<generator>gen-0000</generator>" + nl;
    const char *const titles[] = {"Plain", "  padded  ", "<![CDATA[ <b>A</b> & co ]]>", "B &amp; b",
                                  "&quot;Q&quot;", "\xc3\xa9t\xc3\xa9"};
    const char *const descriptions[] = {"d", "Hello <b>x</b> world", "<![CDATA[<p>para</p>]]>", "  two" "\n" "lines  ",
                                        "x &gt; y", ""};
    const int items = 2 + int(random() % 5);
    for (int i = 0; i < items; ++i) {
        std::string title = titles[random() % std::size(titles)];
        if (latin1 && title.find('\xc3') != std::string::npos)
            title = "\xe9t\xe9";
        feed += "<item><title>" + title + " " + std::to_string(i) + "</title>";
        if (const char *description = descriptions[random() % std::size(descriptions)]; *description)
            feed += "<description>" + std::string(description) + "</description>";
        feed += "<link>http://x/" + std::to_string(i) + "</link>";
        if (random() % 2)
            feed += "<category domain=\"http://x/cats\">Talk</category><category>History</category>";
        feed += "</item>" + nl;
        const int between = int(random() % 5);
        if (between == 0)
            feed += "<!-- about the next -->" + nl;
        else if (between == 1)
            feed += "<?note between?>" + nl;
        else if (between == 2)
            feed += " stray " + nl;
    }
    return feed + "</channel>" + nl + "</rss>" + nl;
}

// libxml2's reading of a file; null when it is not well-formed.
struct TXmlDoc {
    xmlDocPtr Doc;
    // encoding: null to go by the file, or one to read it in (a Latin-1 feed that declares none).
    explicit TXmlDoc(const std::string &bytes, const char *encoding = nullptr)
        : Doc(xmlReadMemory(bytes.data(), int(bytes.size()), "feed.xml", encoding,
                            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING))
    {
    }
    ~TXmlDoc() { xmlFreeDoc(Doc); }
    TXmlDoc(const TXmlDoc &) = delete;
    TXmlDoc &operator=(const TXmlDoc &) = delete;

    static std::vector<xmlNodePtr> Elements(xmlNodePtr parent, const char *name = nullptr)
    {
        std::vector<xmlNodePtr> found;
        for (xmlNodePtr node = parent ? parent->children : nullptr; node; node = node->next)
            if (node->type == XML_ELEMENT_NODE && (!name || (!node->ns && xmlStrcmp(node->name, BAD_CAST name) == 0)))
                found.push_back(node);
        return found;
    }
    xmlNodePtr Channel() const
    {
        const auto channels = Elements(Doc ? xmlDocGetRootElement(Doc) : nullptr, "channel");
        return channels.empty() ? nullptr : channels.front();
    }
    static QString Content(xmlNodePtr element, const char *name)
    {
        const auto children = Elements(element, name);
        if (children.empty())
            return QStringLiteral("<none>");
        xmlChar *text = xmlNodeGetContent(children.front());
        const QString content = QString::fromUtf8(reinterpret_cast<const char *>(text));
        xmlFree(text);
        return content.trimmed();
    }
};

// What a reader must read for a box's text: a text with an angle bracket is written whole as
// CDATA; otherwise XML's own entities and character references are entities, any other "&" is
// the character itself. Ends are trimmed, as the editor trims element text.
QString ReaderText(QString text)
{
    text = text.trimmed();
    if (text.contains(u'<') || text.contains(u'>'))
        return text;
    static const QRegularExpression reference(QStringLiteral("&(amp|lt|gt|quot|apos|#[0-9]+|#x[0-9a-fA-F]+);"));
    QString read;
    qsizetype from = 0;
    for (auto match = reference.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        read += text.mid(from, found.capturedStart() - from);
        const QString name = found.captured(1);
        if (name.startsWith(u'#')) {
            const bool hex = name.startsWith(QStringLiteral("#x"));
            read += QString::fromUcs4(std::array<char32_t, 1>{char32_t(name.mid(hex ? 2 : 1).toUInt(nullptr, hex ? 16 : 10))}.data(), 1);
        } else {
            read += name == "amp" ? u'&' : name == "lt" ? u'<' : name == "gt" ? u'>' : name == "quot" ? u'"' : u'\'';
        }
        from = found.capturedEnd();
    }
    return (read + text.mid(from)).trimmed();
}

// Where two files part, with a little of each around it.
QString FirstDifference(const std::string &actual, const std::string &expected)
{
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const std::size_t from = at < 30 ? 0 : at - 30;
    const auto part = [&](const std::string &bytes) {
        return QString::fromLatin1(QByteArray::fromStdString(bytes.substr(std::min(from, bytes.size()), 70)).toPercentEncoding(" <>/=\"!?[]&;:#'-._"));
    };
    return QStringLiteral("at byte %1 the file has \"%2\" where \"%3\" was expected").arg(at).arg(part(actual), part(expected));
}

std::string ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
}

// One run of steps on one feed in a fresh window. Returns "" or the first broken oracle, with
// the number of the step that broke it.
class TRun : public TWindowFixture {
public:
    QString Failure;
    int FailedStep = -1;

    void Go(const std::string &feed, const std::vector<TStep> &steps)
    {
        path_ = WriteFeed("feed.xml", feed);
        // Latin-1 bytes without a declaration are no XML to libxml2 unless it is told their encoding.
        if (!TXmlDoc(feed).Doc)
            xmlEncoding_ = "ISO-8859-1";
        const auto fresh = ReadFeed(feed);
        const TChannelFields fields = ReadChannelFields(*fresh, path_);
        WriteCatalogue({{path_, fields.Title, fields.Description, fields.Link, fields.Date}});
        Start();
        for (int i = 0; i < int(steps.size()) && Failure.isEmpty(); ++i) {
            Step(steps[i], i);
            if (!Failure.isEmpty())
                FailedStep = i;
        }
        // Every step still to be taken back gives its earlier bytes.
        while (Failure.isEmpty() && !undo_.empty() && undo_.back())
            Step({TKind::Undo}, int(steps.size()));
        if (!Failure.isEmpty() && FailedStep < 0)
            FailedStep = int(steps.size()) - 1;
    }

private:
    std::string path_;
    std::vector<std::optional<std::string>> undo_; // bytes before each editor write; empty: another program wrote
    QStringList outsideTitles_; // items other programs added, never to be lost
    QString generator_;         // the generator text another program set last
    bool outsideSinceCommand_ = false;
    const char *xmlEncoding_ = nullptr;

    void Fail(const QString &oracle)
    {
        if (Failure.isEmpty())
            Failure = oracle;
    }
    // Under TOLVANE_RANDOM_TRACE a differing file and the expected one are kept in the temporary folder.
    static void Keep(const std::string &actual, const std::string &expected)
    {
        if (!qEnvironmentVariableIsSet("TOLVANE_RANDOM_TRACE"))
            return;
        for (const auto &[name, bytes] : {std::pair{"random-actual.xml", &actual}, {"random-expected.xml", &expected}}) {
            QFile file(QDir::temp().filePath(QString::fromLatin1(name)));
            if (file.open(QIODevice::WriteOnly))
                file.write(bytes->data(), qint64(bytes->size()));
        }
    }
    std::string File() const { return ReadFile(QStringLiteral("feed.xml")); }
    bool OnItems() const { return Pages()->currentIndex() == 1; }
    QPlainTextEdit *Memo() const { return Widget<QPlainTextEdit>("Memo1"); }
    QStringList ItemBoxes() const { return {Edit("Edit5")->text(), Memo()->toPlainText(), Edit("Edit7")->text()}; }
    QStringList Errors() const
    {
        QStringList errors;
        for (const auto &shown : Dialogs.Shown)
            if (shown.Kind == "error" || shown.Kind == "message")
                errors << shown.Text;
        return errors;
    }

    // The listed rows of a fresh read, as the list shows them.
    static QStringList Rows(const TzelXMLParser2 &document)
    {
        const TFeedTextCodec codec(DocumentEncoding(document));
        QStringList rows;
        for (const std::string &row : ListItems(document).Rows)
            rows << codec.ToText(row);
        return rows;
    }

    // The Save of the Items page on a fresh read of bytes, with what the boxes hold now.
    std::string ExpectedItemSave(const std::string &bytes, int row)
    {
        const auto document = ReadFeed(bytes);
        const int first = ListItems(*document).FirstItemIndex;
        const std::string scratch = PathBytes(QStringLiteral("expected.xml"));
        const TItemFields shown = ReadItem(*document, scratch, first, row);
        const TFeedTextCodec codec(DocumentEncoding(*document));
        QPlainTextEdit shownMemo;
        shownMemo.setPlainText(codec.ToText(shown.Description));
        TItemFields typed;
        typed.Title = codec.ToBytes(Edit("Edit5")->text(), shown.Title);
        const QString memo = Memo()->document()->toRawText();
        typed.Description = memo == shownMemo.document()->toRawText()
            ? shown.Description
            : WithLineBreaks(codec.ToBytes(QString(memo).replace(QChar::ParagraphSeparator, u'\n')),
                             LineBreakOf(shown.Description, LineBreakOf(bytes)));
        typed.Link = codec.ToBytes(Edit("Edit7")->text(), shown.Link);
        typed.PubDate = DateStamp(Clock.Time);
        SaveItem(*document, scratch, first, row, typed);
        return ReadFile(QStringLiteral("expected.xml"));
    }

    // The Save Feed of the Feeds page on a fresh read of bytes, with what the boxes hold now.
    std::string ExpectedFeedSave(const std::string &bytes)
    {
        const auto document = ReadFeed(bytes);
        const std::string scratch = PathBytes(QStringLiteral("expected.xml"));
        RequireWholeDocument(*document, scratch);
        TFeedCatalogue catalogue;
        LoadCatalogue(catalogue, DirectoryBytes());
        const std::string stored[4] = {EntryTitle(catalogue, 0), EntryDescription(catalogue, 0),
                                       EntryLink(catalogue, 0), EntryDate(catalogue, 0)};
        const TChannelFields file = ReadChannelFields(*document, scratch);
        const std::string inFile[4] = {file.Title, file.Description, file.Link, file.Date};
        const std::size_t capacities[4] = {TitleCapacity, DescriptionCapacity, LinkCapacity, DateCapacity};
        const TFeedTextCodec codec(DocumentEncoding(*document));
        std::string fields[4];
        for (int box = 0; box < 4; ++box) {
            const QString text = FeedBoxes()[box];
            const TFeedTextCodec storedCodec(EncodingFor({}, stored[box]));
            fields[box] = text == storedCodec.ToText(stored[box]) ? UncutValue(stored[box], inFile[box], capacities[box])
                                                                  : codec.ToBytes(text);
        }
        WriteChannelFields(*document, scratch, {fields[0], fields[1], fields[2], fields[3]});
        document->SaveToFile(scratch);
        return ReadFile(QStringLiteral("expected.xml"));
    }

    // Another program's write: an item added (new file + rename) or the generator's count
    // changed at the same size (in place). A rewrite waits out the file clock's tick first, as
    // no person edits twice within it.
    void WriteOutside(bool inPlace, int number)
    {
        std::string bytes = File();
        if (inPlace) {
            const std::size_t at = bytes.find("<generator>gen-");
            if (at == std::string::npos)
                return;
            const std::string count = QStringLiteral("%1").arg((number + 1) % 10000, 4, 10, QChar(u'0')).toStdString();
            bytes.replace(at + 15, 4, count);
            generator_ = QString::fromStdString("gen-" + count);
            QThread::msleep(15);
            QFile file(PathOf(QStringLiteral("feed.xml")));
            if (!file.open(QIODevice::ReadWrite) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
                return Fail(QStringLiteral("the test could not rewrite the file"));
        } else {
            const std::string item = "<item><title>Outside " + std::to_string(number) + "</title></item>";
            std::size_t at = bytes.find("<item>");
            if (at == std::string::npos)
                at = bytes.find("</channel>");
            if (at == std::string::npos)
                return;
            bytes.insert(at, item);
            if (!TXmlDoc(bytes, xmlEncoding_).Doc)
                return;
            outsideTitles_ << QStringLiteral("Outside %1").arg(number);
            WriteFile(QStringLiteral("outside.xml"), bytes);
            if (std::rename(QFile::encodeName(PathOf(QStringLiteral("outside.xml"))).constData(), path_.c_str()) != 0)
                return Fail(QStringLiteral("the test could not rename a file over the feed"));
        }
        undo_.push_back(std::nullopt);
        outsideSinceCommand_ = true;
    }

    // The texts the Feeds page showed: the catalogue's copy of the channel.
    QStringList ShownFeedTexts() const
    {
        TFeedCatalogue catalogue;
        LoadCatalogue(catalogue, DirectoryBytes());
        QStringList texts;
        for (const std::string &bytes : {EntryTitle(catalogue, 0), EntryDescription(catalogue, 0),
                                         EntryLink(catalogue, 0), EntryDate(catalogue, 0)})
            texts << TFeedTextCodec(EncodingFor({}, bytes)).ToText(bytes);
        return texts;
    }
    // The texts of the row as a fresh read shows them, line breaks as the memo gives them.
    static QStringList ShownItemTexts(const TzelXMLParser2 &document, int row)
    {
        const TItemList items = ListItems(document);
        if (row < 0 || row >= int(items.Rows.size()))
            return {};
        const TItemFields shown = ReadItem(document, "feed.xml", items.FirstItemIndex, row);
        const TFeedTextCodec codec(DocumentEncoding(document));
        QStringList texts = {codec.ToText(shown.Title), codec.ToText(shown.Description), codec.ToText(shown.Link)};
        texts[1].replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        return texts;
    }

    void Step(const TStep &step, int number)
    {
        if (qEnvironmentVariableIsSet("TOLVANE_RANDOM_TRACE"))
            qDebug().noquote() << Describe(step) << "undo depth" << undo_.size() << QString::fromStdString(File()).left(60).replace("\r\n", "|").replace("\n", "/");
        Dialogs.Shown.clear();
        Dialogs.SaveAnswers = {step.Answer};
        const std::string before = File();
        const bool outside = outsideSinceCommand_;
        const auto fresh = ReadFeed(before);
        const int row = OnItems() ? CurrentRow("ListBox2") : -1;
        const bool stale = OnItems() && ListLines("ListBox2") != Rows(*fresh);
        const QStringList typedItem = ItemBoxes();
        const QStringList typedFeed = FeedBoxes();
        // The row in a fresh read: a list not yet read again finds its row by its line.
        const int freshRow = !stale || row < 0 ? row : int(Rows(*fresh).indexOf(RowText("ListBox2", row)));
        const QStringList shownItem = ShownItemTexts(*fresh, freshRow);
        const QStringList shownFeed = ShownFeedTexts();
        const bool itemPending = freshRow >= 0 && typedItem != shownItem;
        const bool feedPending = !OnItems() && typedFeed != shownFeed;
        const bool onMarker = row >= 0 && row < RowCount("ListBox2") && RowText("ListBox2", row).startsWith("Outside ");
        const bool yes = step.Answer == TSaveChangesAnswer::Yes;
        // The bytes the command must leave, worked out on a fresh read.
        std::string expected = before;
        bool unitRefused = false;
        bool savedTyping = false; // a save of typed text ran, itself or by the question's Yes
        std::optional<std::string> savedByQuestion; // the file after the question's save
        // The question first: Yes saves the row the boxes belong to, Cancel stops the command.
        const auto settle = [&](const std::string &bytes) -> std::optional<std::string> {
            if (!itemPending)
                return bytes;
            if (step.Answer == TSaveChangesAnswer::Cancel)
                return std::nullopt;
            savedTyping = yes;
            if (!yes)
                return bytes;
            savedByQuestion = ExpectedItemSave(bytes, freshRow);
            return *savedByQuestion;
        };
        const std::string scratch = PathBytes(QStringLiteral("expected.xml"));
        // Runs the unit command on a document read from the given bytes.
        const auto apply = [&](const std::string &bytes, const std::function<void(TzelXMLParser2 &, int)> &command) {
            const auto document = ReadFeed(bytes);
            command(*document, ListItems(*document).FirstItemIndex);
            return ReadFile(QStringLiteral("expected.xml"));
        };
        const auto unit = [&](const std::function<std::string()> &command) {
            try {
                expected = command();
            } catch (const std::exception &) {
                expected = savedByQuestion.value_or(before); // the question's save stays
                unitRefused = true;
            }
        };
        switch (step.Kind) {
        case TKind::TypeItem:
            if (row < 0 || onMarker)
                return;
            if (step.Pick % 3 == 1) {
                Memo()->setFocus();
                Memo()->selectAll();
                for (const QChar c : step.Text) {
                    if (c == u'\n')
                        QTest::keyClick(Memo(), Qt::Key_Return);
                    else
                        TypeText(Memo(), c);
                }
            } else {
                TypeInto(Edit(step.Pick % 3 == 0 ? "Edit5" : "Edit7"), QString(step.Text).remove(u'\n'));
            }
            return;
        case TKind::SaveItem:
            if (row < 0 || onMarker)
                return;
            savedTyping = true;
            unit([&] { return ExpectedItemSave(before, row); });
            QTest::keyClick(Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
            break;
        case TKind::Add:
            if (!OnItems())
                return;
            unit([&] {
                const auto saved = settle(before);
                return !saved ? before : apply(*saved, [&](TzelXMLParser2 &document, int first) {
                    AddItem(document, scratch, first, DateStamp(Clock.Time));
                });
            });
            Click(Tool("SpeedButton1"));
            break;
        case TKind::Clone:
        case TKind::Delete:
            if (row < 0 || onMarker)
                return;
            unit([&] {
                const auto saved = step.Kind == TKind::Clone ? settle(before) : before;
                return !saved ? before : apply(*saved, [&](TzelXMLParser2 &document, int first) {
                    if (step.Kind == TKind::Clone)
                        CloneItem(document, scratch, first, row);
                    else
                        DeleteItem(document, scratch, first, row);
                });
            });
            Click(Tool(step.Kind == TKind::Clone ? "SpeedButton5" : "SpeedButton7"));
            break;
        case TKind::Details: {
            if (row < 0 || onMarker)
                return;
            const QString author = QString(step.Text).remove(u'\n');
            const bool dropFirstCategory = step.Pick % 2;
            unit([&] {
                const auto saved = settle(before);
                if (!saved)
                    return before;
                const auto document = ReadFeed(*saved);
                const int first = ListItems(*document).FirstItemIndex;
                TItemDetails details = ReadItemDetails(*document, scratch, first, row);
                const TItemDetails shown = details;
                details.Author = TFeedTextCodec(DocumentEncoding(*document)).ToBytes(author, details.Author);
                if (dropFirstCategory && !details.Categories.empty())
                    details.Categories.erase(details.Categories.begin());
                if (details == shown)
                    return *saved;
                WriteItemDetails(*document, scratch, first, row, details);
                return ReadFile(QStringLiteral("expected.xml"));
            });
            Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
                TypeInto(dialog.findChild<QLineEdit *>("AuthorEdit"), author);
                if (author.isEmpty())
                    QTest::keyClick(dialog.findChild<QLineEdit *>("AuthorEdit"), Qt::Key_Delete);
                auto *categories = dialog.findChild<QPlainTextEdit *>("CategoriesMemo");
                if (dropFirstCategory && !categories->toPlainText().isEmpty()) {
                    QStringList lines = categories->toPlainText().split(u'\n');
                    lines.removeFirst();
                    categories->setPlainText(lines.join(u'\n'));
                }
                QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok),
                                  Qt::LeftButton);
            };
            Action("ItemDetails1")->trigger();
            Dialogs.DetailsScript = nullptr;
            break;
        }
        case TKind::ChooseItem: {
            if (!OnItems() || RowCount("ListBox2") == 0)
                return;
            const int chosen = int(step.Pick % unsigned(RowCount("ListBox2")));
            if (chosen == row)
                return;
            unit([&] { return settle(before).value_or(before); });
            ScrollToRow("ListBox2", chosen);
            ClickRow("ListBox2", chosen);
            break;
        }
        case TKind::SwitchPage:
            if (OnItems()) {
                unit([&] { return settle(before).value_or(before); });
            } else if (feedPending && yes) {
                savedTyping = true;
                unit([&] { return ExpectedFeedSave(before); });
            }
            ClickTab(OnItems() ? 0 : 1);
            break;
        case TKind::TypeFeed:
            if (OnItems())
                return;
            TypeInto(Edit(std::array{"Edit1", "Edit2", "Edit3", "Edit4"}[step.Pick % 4]), QString(step.Text).remove(u'\n'));
            return;
        case TKind::SaveFeed:
            if (OnItems() || !Tool("BitBtn1")->isEnabled())
                return;
            savedTyping = true;
            unit([&] { return ExpectedFeedSave(before); });
            Click(Tool("BitBtn1"));
            break;
        case TKind::Undo:
            Action("Undo1")->trigger();
            // Typing not saved goes first; boxes that changed with the file left alone tell it too
            // (the list may not show the row the typing belongs to).
            if (itemPending || feedPending || (File() == before && Errors().isEmpty() && ItemBoxes() != typedItem)) {
                if (File() != before)
                    Fail(QStringLiteral("undo of typing changed the file"));
            } else if (std::none_of(undo_.begin(), undo_.end(), [](const auto &step) { return step.has_value(); })) {
                if (Errors() != QStringList({"Nothing to undo for this feed."}))
                    Fail(QStringLiteral("undo with nothing to undo: ") + Errors().join(" | "));
            } else if (!undo_.back()) {
                // The first refusal may also end the history: either way the file stays and the user is told.
                if (File() != before || Errors().size() != 1 ||
                    !(Errors()[0].contains("another program") || Errors()[0] == "Nothing to undo for this feed."))
                    Fail(QStringLiteral("undo over another program's write was not refused with a message: ") + Errors().join(" | "));
            } else if (*undo_.back() == UnknownBytes) {
                if (File() == before || !Errors().isEmpty())
                    Fail(QStringLiteral("undo did not take back the question's save: ") + Errors().join(" | "));
                undo_.pop_back();
            } else if (File() != *undo_.back()) {
                Keep(File(), *undo_.back());
                Fail(QStringLiteral("undo did not give the earlier bytes back: ") + FirstDifference(File(), *undo_.back()) +
                     (Errors().isEmpty() ? QString() : " (said: " + Errors().join(" | ") + ")"));
            } else {
                undo_.pop_back();
            }
            CheckFile();
            return;
        case TKind::OutsideRename:
        case TKind::OutsideInPlace:
            WriteOutside(step.Kind == TKind::OutsideInPlace, number);
            return;
        }
        const std::string after = File();
        const QStringList errors = Errors();
        const bool command = step.Kind != TKind::ChooseItem && step.Kind != TKind::SwitchPage;
        // Another program's change since the last command: the editor may refuse, naming the file.
        const bool refusedForOutside = outside && (after == before || after == savedByQuestion) && !errors.isEmpty() &&
                                       errors.join(" ").contains(PathOf(QStringLiteral("feed.xml")));
        CheckFile();
        if (!Failure.isEmpty())
            return;
        if (after != before && !stale)
            CheckKept(before, after, step.Kind == TKind::Details ? ListItems(*fresh).FirstItemIndex + row : -1);
        if (after != before && !errors.isEmpty() && after != savedByQuestion)
            Fail(QStringLiteral("an error was shown but the file changed: ") + errors.join(" | "));
        else if (stale) {
            // The list is not the file's, so which item the command meant is not known here:
            // the other program's change and the typed text must survive (checked below).
        } else if (refusedForOutside) {
        } else if (after != expected) {
            Keep(after, expected);
            Fail(QStringLiteral("the file is not what the same command gives on a fresh read: ") + FirstDifference(after, expected));
        } else if (unitRefused && errors.isEmpty()) {
            Fail(QStringLiteral("refused on a fresh read, but the window said nothing"));
        } else if (!unitRefused && command && !errors.isEmpty()) {
            Fail(QStringLiteral("the window refused what a fresh read takes: ") + errors.join(" | "));
        }
        if (!errors.isEmpty() && savedTyping && after == before &&
            (OnItems() ? ItemBoxes() != typedItem : FeedBoxes() != typedFeed))
            Fail(QStringLiteral("a refused save dropped the typed text"));
        if (after != before)
            undo_.push_back(before);
        // The question's save is a step of its own before the command's.
        // Behind a list not read again, which row that save went to is not known here.
        if (after != before && savedByQuestion && *savedByQuestion != before && *savedByQuestion != after)
            undo_.push_back(stale ? UnknownBytes : *savedByQuestion);
        // Another program's write counts until the list shows the file again.
        const auto now = ReadFeed(after);
        if (OnItems() && ListLines("ListBox2") == Rows(*now))
            outsideSinceCommand_ = false;
        else if (OnItems() && !outsideSinceCommand_)
            Fail(QStringLiteral("the list does not show the file"));
        if (Failure.isEmpty() && after != before && savedTyping) {
            if (step.Kind == TKind::SaveFeed || (step.Kind == TKind::SwitchPage && feedPending))
                CheckFeedRead(after, typedFeed, shownFeed);
            else
                CheckItemRead(after, typedItem, shownItem, stale || step.Kind != TKind::SaveItem ? -1 : ListItems(*fresh).FirstItemIndex + row);
        }
    }

    // The file is well-formed and keeps every change another program made.
    void CheckFile()
    {
        const TXmlDoc read(File(), xmlEncoding_);
        if (!read.Doc)
            return Fail(QStringLiteral("libxml2 cannot read the file"));
        QStringList titles;
        for (xmlNodePtr item : TXmlDoc::Elements(read.Channel(), "item"))
            titles << TXmlDoc::Content(item, "title");
        for (const QString &title : outsideTitles_)
            if (!titles.contains(title))
                return Fail(QStringLiteral("another program's change was lost: item ") + title);
        if (!generator_.isEmpty() && TXmlDoc::Content(read.Channel(), "generator") != generator_)
            return Fail(QStringLiteral("another program's change was lost: generator ") + generator_);
    }

    // What a reader sees between the channel's elements: comments, instructions, text.
    static QStringList BetweenElements(const TXmlDoc &read)
    {
        QStringList between;
        for (xmlNodePtr node = read.Channel() ? read.Channel()->children : nullptr; node; node = node->next) {
            if (node->type == XML_ELEMENT_NODE)
                continue;
            xmlChar *text = xmlNodeGetContent(node);
            const QString content = QString::fromUtf8(reinterpret_cast<const char *>(text));
            xmlFree(text);
            // Texts are compared word by word: two texts meet when the element between them goes.
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
                for (const QString &word : content.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
                    between << "text:" + word;
            } else {
                between << QString::number(node->type) + ":" + content.trimmed();
            }
        }
        return between;
    }
    // The category elements of a channel child: text and domain.
    static QStringList Categories(const TXmlDoc &read, int position)
    {
        const auto elements = TXmlDoc::Elements(read.Channel());
        QStringList categories;
        if (position < 0 || position >= int(elements.size()))
            return categories;
        for (xmlNodePtr category : TXmlDoc::Elements(elements[position], "category")) {
            xmlChar *domain = xmlGetProp(category, BAD_CAST "domain");
            xmlChar *text = xmlNodeGetContent(category);
            categories << QString::fromUtf8(reinterpret_cast<const char *>(text)).trimmed() + " @" +
                              QString::fromUtf8(domain ? reinterpret_cast<const char *>(domain) : "");
            xmlFree(domain);
            xmlFree(text);
        }
        return categories;
    }

    // A command keeps what stands between the channel's elements, and an item's categories
    // that stay keep their own domain (position: the item Details changed, else -1).
    void CheckKept(const std::string &before, const std::string &after, int position)
    {
        const TXmlDoc old(before, xmlEncoding_), now(after, xmlEncoding_);
        if (BetweenElements(now) != BetweenElements(old))
            return Fail(QStringLiteral("what stands between the channel's elements changed: [%1] became [%2]")
                            .arg(BetweenElements(old).join(", "), BetweenElements(now).join(", ")));
        const QStringList earlier = Categories(old, position);
        for (const QString &category : Categories(now, position)) {
            const QString text = category.section(QStringLiteral(" @"), 0, 0) + " @";
            const auto same = std::find_if(earlier.begin(), earlier.end(), [&](const QString &c) { return c.startsWith(text); });
            if (same != earlier.end() && *same != category)
                return Fail(QStringLiteral("a category kept by Details changed its domain: ") + *same + " became " + category);
        }
    }

    // libxml2 reads the channel's fields as the boxes showed them, for every box typed into.
    void CheckFeedRead(const std::string &after, const QStringList &typed, const QStringList &shown)
    {
        const TXmlDoc read(after, xmlEncoding_);
        const char *const names[] = {"title", "description", "link", "pubDate"};
        for (int box = 0; box < 4; ++box) {
            if (typed[box] == shown[box] || typed[box].trimmed().isEmpty())
                continue;
            const QString content = TXmlDoc::Content(read.Channel(), names[box]);
            if (content != ReaderText(typed[box]))
                return Fail(QStringLiteral("libxml2 reads the channel's %1 as \"%2\", the box showed \"%3\"")
                                .arg(names[box], content, typed[box]));
        }
    }

    // libxml2 reads the item's fields as the boxes showed them, for every box typed into: in
    // the channel child at position, or (-1) in some item of the channel.
    void CheckItemRead(const std::string &after, const QStringList &typed, const QStringList &shown, int position)
    {
        const TXmlDoc read(after, xmlEncoding_);
        const char *const names[] = {"title", "description", "link"};
        const auto elements = TXmlDoc::Elements(read.Channel());
        for (int at = std::max(position, 0); at < int(elements.size()); ++at) {
            QString differs;
            for (int box = 0; box < 3 && differs.isEmpty(); ++box) {
                if (box < shown.size() && typed[box] == shown[box])
                    continue; // untouched
                const QString content = TXmlDoc::Content(elements[at], names[box]);
                if (content != ReaderText(typed[box]))
                    differs = QStringLiteral("libxml2 reads the item's %1 as \"%2\", the box showed \"%3\"")
                                  .arg(names[box], content, typed[box]);
            }
            if (differs.isEmpty())
                return;
            if (position >= 0)
                return Fail(differs);
        }
        Fail(QStringLiteral("no item holds the typed text: \"%1\"").arg(typed.join(QStringLiteral("\", \""))));
    }
};

struct TOutcome {
    QString Failure;
    int FailedStep = -1;
};

TOutcome RunSteps(const std::string &feed, const std::vector<TStep> &steps)
{
    TRun run;
    run.Go(feed, steps);
    return {run.Failure, run.FailedStep};
}

// Steps left out one at a time while the same oracle still fails, within a bounded effort.
std::vector<TStep> Shrink(const std::string &feed, std::vector<TStep> steps, const QString &failure)
{
    QElapsedTimer spent;
    spent.start();
    for (bool shorter = true; shorter && spent.elapsed() < ShrinkMilliseconds;) {
        shorter = false;
        for (std::size_t i = steps.size(); i-- > 0 && spent.elapsed() < ShrinkMilliseconds;) {
            std::vector<TStep> fewer = steps;
            fewer.erase(fewer.begin() + std::ptrdiff_t(i));
            const TOutcome outcome = RunSteps(feed, fewer);
            if (outcome.Failure.section(u':', 0, 0) == failure.section(u':', 0, 0)) {
                fewer.resize(std::size_t(outcome.FailedStep + 1));
                steps = fewer;
                shorter = true;
            }
        }
    }
    return steps;
}

std::vector<std::string> Fixtures()
{
    std::vector<std::string> feeds;
    const QDir fixtures(QStringLiteral(FEED_FIXTURES));
    for (const char *name : ItemFixtureNames) {
        const std::string bytes = ReadBytes(fixtures.filePath(QString::fromLatin1(name)));
        if (bytes != "<missing>" && TXmlDoc(bytes).Doc)
            feeds.push_back(bytes);
    }
    return feeds;
}

} // namespace

class RandomCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void commandsKeepEveryFeedSound()
    {
        const std::vector<std::string> fixtures = Fixtures();
        const int total = qEnvironmentVariableIsSet("TOLVANE_RANDOM_STEPS")
                              ? qEnvironmentVariableIntValue("TOLVANE_RANDOM_STEPS") : DefaultSteps;
        std::vector<unsigned> seeds;
        if (qEnvironmentVariableIsSet("TOLVANE_RANDOM_SEED"))
            seeds.push_back(unsigned(qEnvironmentVariableIntValue("TOLVANE_RANDOM_SEED")));
        else
            for (int seed = 1; seed <= std::max(1, total / StepsPerSeed); ++seed)
                seeds.push_back(unsigned(seed));
        QStringList failures;
        qint64 shrinking = 0; // milliseconds spent shrinking
        for (const unsigned seed : seeds) {
            std::mt19937 random(seed);
            // Every fourth seed takes a fixture, when there are some.
            const std::string feed = seed % 4 == 0 && !fixtures.empty() ? fixtures[(seed / 4) % fixtures.size()]
                                                                        : MakeFeed(random);
            const std::vector<TStep> steps = MakeSteps(random, StepsPerSeed);
            const TOutcome outcome = RunSteps(feed, steps);
            if (outcome.Failure.isEmpty())
                continue;
            std::vector<TStep> shortest(steps.begin(), steps.begin() + outcome.FailedStep + 1);
            if (shrinking < AllShrinkingMilliseconds) {
                QElapsedTimer spent;
                spent.start();
                shortest = Shrink(feed, shortest, outcome.Failure);
                shrinking += spent.elapsed();
            }
            QStringList lines;
            for (const TStep &step : shortest)
                lines << "  " + Describe(step);
            const TOutcome again = RunSteps(feed, shortest);
            failures << QStringLiteral("seed %1: %2\n").arg(seed).arg(again.Failure.isEmpty() ? outcome.Failure : again.Failure) +
                            lines.join(u'\n');
            qWarning().noquote() << failures.back();
        }
        qInfo("%d seeds run", int(seeds.size()));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }
};

QTEST_MAIN(RandomCommandsTest)
#include "RandomCommandsTest.moc"
