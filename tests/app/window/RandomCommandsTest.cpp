// Long seeded runs of the item and feed commands through the real window, on made feeds (blogs,
// blogs with enclosures, podcasts; with a DOCTYPE or none; rows after the items that are no items)
// and on fixtures, with hostile typed text (references into attributes too), the episode part of
// Details, Undo and another program writing the file, also the same items in another form just
// before a command, which must act as on the form before. After every step
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
#include "TypedUrl.h"
#include "zelXMLParser2.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QThread>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <optional>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int DefaultSteps = 8000; // the sanitizer build runs several times slower
#else
constexpr int DefaultSteps = 16000;
#endif
constexpr int StepsPerSeed = 40;
const char *const ItunesNamespace = "http://www.itunes.com/dtds/podcast-1.0.dtd";
// An undo step whose earlier bytes the run cannot know.
const std::string UnknownBytes = "<unknown>";
constexpr int ShrinkMilliseconds = 15000; // for each failing seed
constexpr int AllShrinkingMilliseconds = 60000; // for all of them: later failures print unshrunk

enum class TKind { TypeItem, SaveItem, Add, Clone, Delete, Details, ChooseItem, SwitchPage,
                   TypeFeed, SaveFeed, Undo, OutsideRename, OutsideInPlace, OutsideOtherForm };
const char *const KindNames[] = {"type item", "save item", "add", "clone", "delete", "details",
                                 "choose item", "switch page", "type feed", "save feed", "undo",
                                 "outside write (new file + rename)", "outside write (in place)",
                                 "outside write of the same items in another form, then a command"};
// The commands that follow another program's rewrite in another form at once.
const TKind CommandsAfterOtherForm[] = {TKind::SaveItem, TKind::Add, TKind::Clone, TKind::Delete, TKind::Details};

// What Details does, by the step's pick: the author and categories, the episode part typed or
// emptied, a typed enclosure url or episode image (attributes); a quarter of them end in Cancel.
enum class TDetailsEdit { Author, EpisodeTyped, EpisodeEmptied, EnclosureUrl, EpisodeImage };
constexpr int DetailsEdits = 5;
TDetailsEdit DetailsEditOf(unsigned pick) { return TDetailsEdit((pick / 2) % DetailsEdits); }
bool DetailsCancelled(unsigned pick) { return (pick / 10) % 4 == 0; }

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

// Text typed into a box the file keeps as an attribute: references of every kind, quotes.
QString HostileAttributeText(std::mt19937 &random)
{
    static const char *const pieces[] = {"http://x/a", "&", "&nbsp;", "&amp;", "&#38;", "&#x26;", "&quot;", "&apos;",
                                         "&lt;", "\"", "'", "<", "?a=1&b=2", " ", "\xc3\xa9", ".mp3"};
    QString text;
    const int count = 1 + int(random() % 4);
    for (int i = 0; i < count; ++i)
        text += QString::fromUtf8(pieces[random() % std::size(pieces)]);
    return text;
}

std::vector<TStep> MakeSteps(std::mt19937 &random, int count)
{
    // Weights of the kinds, in TKind order.
    static const int weights[] = {20, 12, 6, 6, 6, 8, 10, 6, 5, 4, 10, 3, 3, 4};
    std::discrete_distribution<int> kinds(std::begin(weights), std::end(weights));
    std::vector<TStep> steps;
    for (int i = 0; i < count; ++i) {
        TStep step{TKind(kinds(random))};
        step.Pick = unsigned(random() % 1000);
        step.Text = step.Kind == TKind::Details && (DetailsEditOf(step.Pick) == TDetailsEdit::EnclosureUrl ||
                                                    DetailsEditOf(step.Pick) == TDetailsEdit::EpisodeImage)
                        ? HostileAttributeText(random)
                        : HostileText(random, true);
        step.Answer = TSaveChangesAnswer(random() % 3);
        steps.push_back(step);
    }
    return steps;
}

// A feed made from the seed: line breaks, encoding, byte-order mark, comments, instructions and
// text between items, CDATA, markup in descriptions, padded texts, categories with attributes; a
// DOCTYPE (declaring nothing, or an entity a title uses); a blog, a blog whose items carry
// enclosures or a podcast by its channel; rows after the items that are no items.
std::string MakeFeed(std::mt19937 &random)
{
    enum { Blog, BlogWithEnclosures, Podcast };
    const int kind = int(random() % 3);
    const int doctype = int(random() % 3); // none, declaring nothing, declaring an entity
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
    if (doctype == 1)
        feed += "<!DOCTYPE rss>" + nl;
    else if (doctype == 2)
        feed += "<!DOCTYPE rss [" + nl + "<!ENTITY show \"The Show\">" + nl + "]>" + nl;
    feed += std::string("<rss version=\"2.0\"") +
            (kind == Podcast ? " xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"" : "") + ">" + nl +
            "<channel>" + nl + "<title>Caf" + e + " &amp; Co</title>" + nl +
            "<description>All</description>" + nl + "<link>http://x/</link>" + nl +
            "<generator>gen-0000</generator>" + nl;
    if (kind == Podcast)
        feed += "<itunes:author>Me</itunes:author>" + nl;
    const char *const titles[] = {"Plain", "  padded  ", "<![CDATA[ <b>A</b> & co ]]>", "B &amp; b",
                                  "&quot;Q&quot;", "\xc3\xa9t\xc3\xa9"};
    const char *const descriptions[] = {"d", "Hello <b>x</b> world", "<![CDATA[<p>para</p>]]>", "  two" "\n" "lines  ",
                                        "x &gt; y", ""};
    const int items = 2 + int(random() % 5);
    for (int i = 0; i < items; ++i) {
        std::string title = titles[random() % std::size(titles)];
        if (latin1 && title.find('\xc3') != std::string::npos)
            title = "\xe9t\xe9";
        if (doctype == 2 && random() % 3 == 0)
            title = "&show;";
        feed += "<item><title>" + title + " " + std::to_string(i) + "</title>";
        if (const char *description = descriptions[random() % std::size(descriptions)]; *description)
            feed += "<description>" + std::string(description) + "</description>";
        feed += "<link>http://x/" + std::to_string(i) + "</link>";
        if (random() % 2)
            feed += "<category domain=\"http://x/cats\">Talk</category><category>History</category>";
        if (kind != Blog && random() % 2)
            feed += "<enclosure url=\"http://x/" + std::to_string(i) + ".mp3?a=1&amp;b=2\" length=\"10\" type=\"audio/mpeg\"/>";
        if (kind == Podcast && random() % 2)
            feed += "<itunes:episode>" + std::to_string(i + 1) + "</itunes:episode><itunes:duration>61</itunes:duration>";
        feed += "</item>" + nl;
        const int between = int(random() % 5);
        if (between == 0)
            feed += "<!-- about the next -->" + nl;
        else if (between == 1)
            feed += "<?note between?>" + nl;
        else if (between == 2)
            feed += " stray " + nl;
    }
    // Rows after the items that are no items.
    const int after = int(random() % 3);
    if (after >= 1)
        feed += "<category>after items</category>" + nl;
    if (after == 2)
        feed += (kind == Podcast ? "<itunes:category text=\"Arts\"/>" : "<image><url>http://x/logo.png</url><title>Show</title></image>") + nl;
    return feed + "</channel>" + nl + "</rss>" + nl;
}

// The same feed in another form, as another program may write it: the other line break
// throughout, and in the items and after them "&amp;" and "&#38;" each written as the other,
// "&quot;" as "&#34;". Comments, instructions and CDATA sections stay as they are.
std::string OtherForm(const std::string &bytes)
{
    const std::string from = bytes.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::string to = from == "\n" ? "\r\n" : "\n";
    std::string text;
    for (std::size_t at = 0; at < bytes.size();) {
        if (bytes.compare(at, from.size(), from) == 0) {
            text += to;
            at += from.size();
        } else {
            text += bytes[at++];
        }
    }
    std::string other;
    std::size_t at = text.find("<item");
    if (at == std::string::npos)
        return text;
    other = text.substr(0, at);
    static const std::pair<const char *, const char *> skipped[] = {{"<![CDATA[", "]]>"}, {"<!--", "-->"}, {"<?", "?>"}};
    static const std::pair<const char *, const char *> forms[] = {{"&amp;", "&#38;"}, {"&#38;", "&amp;"}, {"&quot;", "&#34;"}};
    while (at < text.size()) {
        bool done = false;
        for (const auto &[open, close] : skipped)
            if (text.compare(at, std::strlen(open), open) == 0) {
                const std::size_t end = text.find(close, at);
                const std::size_t stop = end == std::string::npos ? text.size() : end + std::strlen(close);
                other += text.substr(at, stop - at);
                at = stop;
                done = true;
                break;
            }
        for (const auto &[form, otherForm] : forms)
            if (!done && text.compare(at, std::strlen(form), form) == 0) {
                other += otherForm;
                at += std::strlen(form);
                done = true;
            }
        if (!done)
            other += text[at++];
    }
    return other;
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

// What a reader reads of a whole file, whatever form it was written in: elements with their
// namespace, attributes in the order of their names, texts (CDATA sections and entities as
// their text) trimmed, comments and instructions; the blanks that lay out elements are left out.
QString ReadersView(const std::string &bytes, const char *encoding)
{
    const TXmlDoc read(bytes, encoding);
    if (!read.Doc)
        return QStringLiteral("<not well-formed>");
    const auto content = [](xmlNodePtr node) {
        xmlChar *text = xmlNodeGetContent(node);
        QString value = QString::fromUtf8(reinterpret_cast<const char *>(text));
        xmlFree(text);
        return value;
    };
    QString view;
    std::function<void(xmlNodePtr)> walk = [&](xmlNodePtr first) {
        QString text;
        const auto flush = [&] {
            if (!text.trimmed().isEmpty())
                view += "\"" + text.trimmed() + "\"";
            text.clear();
        };
        for (xmlNodePtr node = first; node; node = node->next) {
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE || node->type == XML_ENTITY_REF_NODE) {
                text += content(node);
                continue;
            }
            flush();
            if (node->type == XML_ELEMENT_NODE) {
                QStringList attributes;
                for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next)
                    attributes << QString::fromUtf8(reinterpret_cast<const char *>(attribute->name)) + "=" +
                                      content(reinterpret_cast<xmlNodePtr>(attribute));
                attributes.sort();
                view += "<" + (node->ns ? QString::fromUtf8(reinterpret_cast<const char *>(node->ns->href)) + " " : QString()) +
                        QString::fromUtf8(reinterpret_cast<const char *>(node->name)) + " " + attributes.join(u' ') + ">";
                walk(node->children);
                view += "</>";
            } else if (node->type == XML_COMMENT_NODE || node->type == XML_PI_NODE) {
                view += "<!" + content(node).trimmed() + ">";
            }
        }
        flush();
    };
    walk(xmlDocGetRootElement(read.Doc));
    return view.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

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
        const TFeedTextCodec codec(DocumentEncoding(*document));
        // A box nobody typed in gives what the file holds now (as it reads, trimmed; also when
        // the list's copy is cut or another program changed the file); a typed one its text.
        std::string fields[4];
        for (int box = 0; box < 4; ++box) {
            const QString text = FeedBoxes()[box];
            const TFeedTextCodec storedCodec(EncodingFor({}, stored[box]));
            fields[box] = text == storedCodec.ToText(stored[box]) ? inFile[box] : codec.ToBytes(text);
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

    // Another program writes the same items in another form, and a command follows at once. It
    // must not be refused for that, and must leave what the same command leaves on the form before,
    // as readers read it.
    void WriteOtherFormThenCommand(const TStep &step, int number)
    {
        // Only where the list shows the file: the command's row is the row in both forms.
        if (!OnItems() || outsideSinceCommand_ || ListLines("ListBox2") != Rows(*ReadFeed(File())))
            return;
        const std::string former = File();
        const std::string other = OtherForm(former);
        if (!TXmlDoc(other, xmlEncoding_).Doc)
            return Fail(QStringLiteral("the test's other form of the file is not well-formed"));
        WriteFile(QStringLiteral("outside.xml"), other);
        if (std::rename(QFile::encodeName(PathOf(QStringLiteral("outside.xml"))).constData(), path_.c_str()) != 0)
            return Fail(QStringLiteral("the test could not rename a file over the feed"));
        undo_.push_back(std::nullopt);
        outsideSinceCommand_ = true; // until the list shows the file again
        TStep command = step;
        command.Kind = CommandsAfterOtherForm[(step.Pick / 40) % std::size(CommandsAfterOtherForm)];
        Step(command, number, &former);
    }

    // formerForm: the file before another program wrote it in another form just now.
    void Step(const TStep &step, int number, const std::string *formerForm = nullptr)
    {
        if (qEnvironmentVariableIsSet("TOLVANE_RANDOM_TRACE"))
            qDebug().noquote() << Describe(step) << "undo depth" << undo_.size() << QString::fromStdString(File()).left(60).replace("\r\n", "|").replace("\n", "/");
        Dialogs.Shown.clear();
        Dialogs.SaveAnswers = {step.Answer};
        const std::string before = File();
        // What the command is worked out on: the file as it is, or in the form it had.
        const std::string basis = formerForm ? *formerForm : before;
        const bool outside = outsideSinceCommand_ && !formerForm;
        const auto fresh = ReadFeed(basis);
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
        std::string expected = basis;
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
                expected = savedByQuestion.value_or(basis); // the question's save stays
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
            unit([&] { return ExpectedItemSave(basis, row); });
            QTest::keyClick(Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
            break;
        case TKind::Add:
            if (!OnItems())
                return;
            unit([&] {
                const auto saved = settle(basis);
                return !saved ? basis : apply(*saved, [&](TzelXMLParser2 &document, int first) {
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
                const auto saved = step.Kind == TKind::Clone ? settle(basis) : basis;
                return !saved ? basis : apply(*saved, [&](TzelXMLParser2 &document, int first) {
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
            const TDetailsEdit edit = DetailsEditOf(step.Pick);
            const bool cancelled = DetailsCancelled(step.Pick);
            const QString text = QString(step.Text).remove(u'\n');
            const bool dropFirstCategory = step.Pick % 2;
            static const char *const numbers[] = {"3", "12", "x", "0", ""};
            static const char *const durations[] = {"01:02:03", "61", "1:60", "1:65", ""};
            const QString number = QString::fromLatin1(numbers[(step.Pick / 3) % 5]);
            const QString season = QString::fromLatin1(numbers[(step.Pick / 11) % 5]);
            const QString duration = QString::fromLatin1(durations[(step.Pick / 7) % 5]);
            unit([&] {
                const auto saved = settle(basis);
                if (!saved)
                    return basis;
                const auto document = ReadFeed(*saved);
                const int first = ListItems(*document).FirstItemIndex;
                // A row that is no item is refused before the dialog opens.
                TItemDetails details = ReadItemDetails(*document, scratch, first, row);
                if (cancelled)
                    return *saved;
                const TItemDetails shown = details;
                const TFeedTextCodec codec(DocumentEncoding(*document));
                // A URL box as it showed is kept; typed, it is written as a URI.
                const auto url = [&](const QString &typed, const std::string &was) {
                    return codec.ToBytes(typed == codec.ToText(was) ? typed : EncodedUrl(typed), was);
                };
                switch (edit) {
                case TDetailsEdit::Author:
                    details.Author = codec.ToBytes(text, details.Author);
                    if (dropFirstCategory && !details.Categories.empty())
                        details.Categories.erase(details.Categories.begin());
                    break;
                case TDetailsEdit::EpisodeTyped: // the dialog trims the episode part's boxes
                    details.Episode.Title = codec.ToBytes(text.trimmed(), shown.Episode.Title);
                    details.Episode.Episode = codec.ToBytes(number, shown.Episode.Episode);
                    details.Episode.Season = codec.ToBytes(season, shown.Episode.Season);
                    details.Episode.Duration = codec.ToBytes(duration, shown.Episode.Duration);
                    break;
                case TDetailsEdit::EpisodeEmptied:
                    details.Episode = {};
                    break;
                case TDetailsEdit::EnclosureUrl:
                    details.EnclosureUrl = url(text, shown.EnclosureUrl);
                    details.EnclosureLength = codec.ToBytes(QStringLiteral("10"), shown.EnclosureLength);
                    details.EnclosureType = codec.ToBytes(QStringLiteral("audio/mpeg"), shown.EnclosureType);
                    break;
                case TDetailsEdit::EpisodeImage:
                    details.Episode.ImageHref = url(text.trimmed(), shown.Episode.ImageHref);
                    details.Episode.TranscriptUrl = url(text.trimmed(), shown.Episode.TranscriptUrl);
                    details.Episode.TranscriptType = codec.ToBytes(QStringLiteral("text/vtt"), shown.Episode.TranscriptType);
                    break;
                }
                if (details == shown)
                    return *saved;
                WriteItemDetails(*document, scratch, first, row, details);
                return ReadFile(QStringLiteral("expected.xml"));
            });
            Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
                const auto retype = [&](const char *name, const QString &typed) {
                    auto *box = dialog.findChild<QLineEdit *>(QString::fromLatin1(name));
                    TypeInto(box, typed);
                    if (typed.isEmpty())
                        QTest::keyClick(box, Qt::Key_Delete);
                };
                switch (edit) {
                case TDetailsEdit::Author: {
                    retype("AuthorEdit", text);
                    auto *categories = dialog.findChild<QPlainTextEdit *>("CategoriesMemo");
                    if (dropFirstCategory && !categories->toPlainText().isEmpty()) {
                        QStringList lines = categories->toPlainText().split(u'\n');
                        lines.removeFirst();
                        categories->setPlainText(lines.join(u'\n'));
                    }
                    break;
                }
                case TDetailsEdit::EpisodeTyped:
                    retype("ItunesTitleEdit", text);
                    retype("EpisodeNumberEdit", number);
                    retype("SeasonEdit", season);
                    retype("DurationEdit", duration);
                    break;
                case TDetailsEdit::EpisodeEmptied:
                    for (const char *name : {"ItunesTitleEdit", "EpisodeNumberEdit", "SeasonEdit", "DurationEdit", "EpisodeImageEdit",
                                             "TranscriptUrlEdit", "TranscriptTypeEdit", "TranscriptLanguageEdit", "ChaptersUrlEdit",
                                             "ChaptersTypeEdit"})
                        retype(name, {});
                    for (const char *name : {"EpisodeTypeCombo", "EpisodeExplicitCombo"})
                        dialog.findChild<QComboBox *>(QString::fromLatin1(name))->setCurrentIndex(0);
                    break;
                case TDetailsEdit::EnclosureUrl:
                    retype("EnclosureUrlEdit", text);
                    retype("EnclosureLengthEdit", QStringLiteral("10"));
                    retype("EnclosureTypeEdit", QStringLiteral("audio/mpeg"));
                    break;
                case TDetailsEdit::EpisodeImage:
                    retype("EpisodeImageEdit", text);
                    retype("TranscriptUrlEdit", text);
                    retype("TranscriptTypeEdit", QStringLiteral("text/vtt"));
                    break;
                }
                QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(
                                      cancelled ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok),
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
            unit([&] { return settle(basis).value_or(basis); });
            ScrollToRow("ListBox2", chosen);
            ClickRow("ListBox2", chosen);
            break;
        }
        case TKind::SwitchPage:
            if (OnItems()) {
                unit([&] { return settle(basis).value_or(basis); });
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
        case TKind::OutsideOtherForm:
            WriteOtherFormThenCommand(step, number);
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
        } else if (formerForm) {
            if (!unitRefused && !errors.isEmpty()) {
                Fail(QStringLiteral("the window refused a command after another program wrote the same items in another form: ") +
                     errors.join(" | "));
            } else if (ReadersView(after, xmlEncoding_) != ReadersView(expected, xmlEncoding_)) {
                Keep(after, expected);
                Fail(QStringLiteral("after another program wrote the same items in another form, the file does not read as "
                                    "what the same command gives on the form before: ") + FirstDifference(after, expected));
            }
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
            undo_.push_back(stale || formerForm ? UnknownBytes : *savedByQuestion);
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
        if (Failure.isEmpty() && after != before && errors.isEmpty() && !stale && step.Kind == TKind::Details &&
            !DetailsCancelled(step.Pick)) {
            const int position = ListItems(*fresh).FirstItemIndex + row;
            const QString typed = QString(step.Text).remove(u'\n');
            const TItemDetails shown = ReadItemDetails(*fresh, "feed.xml", ListItems(*fresh).FirstItemIndex, row);
            const TFeedTextCodec codec(DocumentEncoding(*fresh));
            if (DetailsEditOf(step.Pick) == TDetailsEdit::EnclosureUrl)
                CheckAttributeRead(after, position, "enclosure", "url", typed, codec.ToText(shown.EnclosureUrl));
            else if (DetailsEditOf(step.Pick) == TDetailsEdit::EpisodeImage)
                CheckAttributeRead(after, position, "itunes:image", "href", typed.trimmed(),
                                   codec.ToText(shown.Episode.ImageHref));
        }
        if (Failure.isEmpty() && after != before && !stale && (step.Kind == TKind::Add || step.Kind == TKind::Clone))
            CheckNewItemKind(before, after);
    }

    // libxml2 reads the URL attribute of the element (an itunes: one by its namespace) in the
    // channel child at position as the box showed it: every character typed is itself (an "&"
    // never starts a reference), and a URL that was typed is read percent-encoded; one left as
    // the box showed it is read as it was.
    void CheckAttributeRead(const std::string &after, int position, const char *element, const char *attribute,
                            const QString &typed, const QString &shown)
    {
        const QString expected = typed == shown ? typed.trimmed() : EncodedUrl(typed);
        const TXmlDoc read(after, xmlEncoding_);
        const auto children = TXmlDoc::Elements(read.Channel());
        if (position < 0 || position >= int(children.size()))
            return Fail(QStringLiteral("Details wrote no channel child at %1").arg(position));
        const QByteArray name(element);
        const bool itunes = name.startsWith("itunes:");
        for (xmlNodePtr node : TXmlDoc::Elements(children[std::size_t(position)])) {
            const bool named = itunes ? node->ns && xmlStrEqual(node->ns->href, BAD_CAST ItunesNamespace) &&
                                            xmlStrEqual(node->name, BAD_CAST name.mid(7).constData())
                                      : !node->ns && xmlStrEqual(node->name, BAD_CAST element);
            if (!named)
                continue;
            xmlChar *value = xmlGetProp(node, BAD_CAST attribute);
            const QString read = QString::fromUtf8(reinterpret_cast<const char *>(value)).trimmed();
            xmlFree(value);
            if (read != expected)
                Fail(QStringLiteral("libxml2 reads the %1 %2 as \"%3\", the box showed \"%4\", so \"%5\" was expected")
                         .arg(element, attribute, read, typed, expected));
            return;
        }
        if (!typed.trimmed().isEmpty())
            Fail(QStringLiteral("Details wrote no %1 for the typed \"%2\"").arg(element, typed));
    }

    // Guids and episode numbers in the file: in channel children that are no items, and in all;
    // whether the root declares the itunes namespace, and whether the channel has an itunes: tag.
    struct TEpisodeMarks {
        int OutsideItems = 0;
        int Episodes = 0;
        bool Declared = false;
        bool ChannelTagged = false;
    };
    TEpisodeMarks EpisodeMarks(const std::string &bytes) const
    {
        const TXmlDoc read(bytes, xmlEncoding_);
        TEpisodeMarks marks;
        if (!read.Channel())
            return marks;
        const auto isItunes = [](xmlNodePtr node) { return node->ns && xmlStrEqual(node->ns->href, BAD_CAST ItunesNamespace); };
        std::function<void(xmlNodePtr, bool)> count = [&](xmlNodePtr parent, bool inItem) {
            for (xmlNodePtr node : TXmlDoc::Elements(parent)) {
                const bool episode = isItunes(node) && xmlStrEqual(node->name, BAD_CAST "episode");
                const bool guid = !node->ns && xmlStrEqual(node->name, BAD_CAST "guid");
                marks.Episodes += episode;
                marks.OutsideItems += !inItem && (episode || guid);
                count(node, inItem);
            }
        };
        for (xmlNodePtr child : TXmlDoc::Elements(read.Channel())) {
            marks.ChannelTagged = marks.ChannelTagged || isItunes(child);
            count(child, !child->ns && xmlStrEqual(child->name, BAD_CAST "item"));
        }
        marks.Declared = xmlSearchNsByHref(read.Doc, xmlDocGetRootElement(read.Doc), BAD_CAST ItunesNamespace) != nullptr;
        return marks;
    }

    // Add and Clone put guids and episode numbers into items only, and number episodes only in a
    // podcast by its channel: a blog whose items carry enclosures stays a blog.
    void CheckNewItemKind(const std::string &before, const std::string &after)
    {
        const TEpisodeMarks earlier = EpisodeMarks(before), now = EpisodeMarks(after);
        if (earlier.OutsideItems == 0 && now.OutsideItems > 0)
            return Fail(QStringLiteral("Add or Clone put a guid or an episode number into a channel child that is no item"));
        if (!earlier.ChannelTagged && earlier.Episodes == 0 && (now.Episodes > 0 || now.Declared != earlier.Declared))
            Fail(QStringLiteral("Add or Clone numbered an episode of a feed whose channel has no itunes: tag"));
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
