// The writer. The text is produced in one walk over the tree that checks, as it goes, that
// the text will read back as the same tree. The walk keeps its own stack, so any depth is
// safe.
#include "zelXMLWriter.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <sys/mman.h>

#include "zelXMLParser2.h"
#include "zelScan.h"
#include "zelStrings.h"
#include "zelXMLReference.h"

#include <optional>

namespace {

constexpr std::string_view LineBreak = "\r\n";

// The entity an attribute value writes for a byte.
constexpr std::string_view EntityFor(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '\'': return "&apos;";
    case '"': return "&quot;";
    default: return {};
    }
}

// The bytes an attribute value writes as entities, looked up instead of compared five times.
struct EscapeTable {
    bool escaped[256] = {};
    constexpr EscapeTable()
    {
        for (char c : {'&', '<', '>', '\'', '"'})
            escaped[static_cast<unsigned char>(c)] = true;
    }
};
constexpr EscapeTable Escapes;

// Position of the next byte to escape at or after from, or size: 16 bytes at a time while
// they last, then through the table.
[[gnu::always_inline]] inline size_t NextToEscape(const char *data, size_t from, size_t size)
{
    const size_t blocks = from + ((size - from) & ~size_t(15));
    if (blocks > from) {
        from = FindFirstOf(data, from, blocks, '&', '<', '>', '\'', '"');
        if (from < blocks)
            return from;
    }
    while (from < size && !Escapes.escaped[static_cast<unsigned char>(data[from])])
        ++from;
    return from;
}

// Copies size bytes; names and the writer's own pieces are short, and copying them with a few
// fixed-size moves (overlapping where needed, never reading outside the source) is cheaper
// than a call.
[[gnu::always_inline]] inline void CopyInto(char *out, const char *data, size_t size)
{
    if (size >= 8 && size <= 16) {
        uint64_t head, tail;
        std::memcpy(&head, data, 8);
        std::memcpy(&tail, data + size - 8, 8);
        std::memcpy(out, &head, 8);
        std::memcpy(out + size - 8, &tail, 8);
    } else if (size >= 4 && size < 8) {
        uint32_t head, tail;
        std::memcpy(&head, data, 4);
        std::memcpy(&tail, data + size - 4, 4);
        std::memcpy(out, &head, 4);
        std::memcpy(out + size - 4, &tail, 4);
    } else if (size > 0 && size < 4) {
        out[0] = data[0];
        out[size / 2] = data[size / 2];
        out[size - 1] = data[size - 1];
    } else if (size > 16) {
        std::memcpy(out, data, size);
    }
}

// A large text is written into memory the system may back with huge pages: one page fault
// per 2 MiB instead of 512. Only blocks above 32 MiB, which glibc's malloc always maps on
// their own and unmaps when freed, so the advice never outlives the text or reaches the heap.
void AdviseHugePages(char *memory, size_t size)
{
#if defined(MADV_HUGEPAGE)
    constexpr uintptr_t HugePage = 2 * 1024 * 1024;
    if (size <= 32 * 1024 * 1024)
        return;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(memory) + HugePage - 1) & ~(HugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(memory) + size) & ~(HugePage - 1);
    if (end > start)
        madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
#else
    (void)memory;
    (void)size;
#endif
}

// Gathers the pieces in a small buffer and appends it to the text when full, so that a short
// piece costs a copy into the buffer instead of a call that checks and grows the string.
class Append {
public:
    static constexpr bool Checks = true;
    Append(std::string &text, size_t expected) : text_(text)
    {
        text_.reserve(expected);
        AdviseHugePages(text_.data(), text_.capacity());
    }
    [[gnu::always_inline]] void Put(std::string_view piece)
    {
        if (piece.size() > static_cast<size_t>(end_ - out_)) {
            Flush();
            if (piece.size() > Capacity) {
                text_.append(piece.data(), piece.size());
                return;
            }
        }
        CopyInto(out_, piece.data(), piece.size());
        out_ += piece.size();
    }
    [[gnu::always_inline]] void PutSpaces(size_t count)
    {
        // Usual indents are written as one fixed-size store of spaces (the buffer keeps room
        // for it; what lies past the indent is written over next).
        static constexpr char Spaces[32] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                            ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                            ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
        if (count <= sizeof Spaces && static_cast<size_t>(end_ - out_) >= sizeof Spaces) {
            std::memcpy(out_, Spaces, sizeof Spaces);
            out_ += count;
            return;
        }
        if (count <= static_cast<size_t>(end_ - out_)) {
            std::memset(out_, ' ', count);
            out_ += count;
            return;
        }
        while (count > 0) {
            if (out_ == end_)
                Flush();
            const size_t room = static_cast<size_t>(end_ - out_), now = count < room ? count : room;
            std::memset(out_, ' ', now);
            out_ += now;
            count -= now;
        }
    }
    // Each of & < > ' " becomes its entity (one pass gives the same bytes as replacing "&"
    // first and then the other four); with keepReferences a "&" that starts one of XML's own
    // references (or an entity reference the document's DOCTYPE declares) stays as it is. Runs
    // of plain bytes are copied whole.
    void PutEscaped(std::string_view value, bool keepReferences = false,
                    const TzelDeclaredEntities *entities = nullptr)
    {
        const char *data = value.data();
        const size_t size = value.size();
        size_t plain = 0;
        for (size_t at = 0; (at = NextToEscape(data, at, size)) < size; ++at) {
            if (keepReferences && data[at] == '&' && KeptReferenceLength(value, at, entities))
                continue;
            Put(value.substr(plain, at - plain));
            Put(EntityFor(data[at]));
            plain = at + 1;
        }
        Put(value.substr(plain));
    }
    // Appends what is still in the buffer; the text is complete after this.
    void Flush()
    {
        text_.append(buffer_, static_cast<size_t>(out_ - buffer_));
        out_ = buffer_;
    }

private:
    static constexpr size_t Capacity = 16384;
    std::string &text_;
    char buffer_[Capacity];
    char *out_ = buffer_;
    char *const end_ = buffer_ + Capacity;
};

[[gnu::always_inline]] inline const TzelXMLNode2 *NextChild(const TzelXMLNode2 *parent, int &next)
{
    const auto &children = parent->Children();
    const int count = children.Count();
    TzelXMLNode2 *const *items = children.begin();
    while (next < count) {
        // Siblings a few entries on are fetched ahead: a long list of small elements
        // otherwise waits for memory at every node.
        if (next + 8 < count)
            __builtin_prefetch(items[next + 8]);
        if (const TzelXMLNode2 *child = items[next++])
            return child;
    }
    return nullptr;
}

[[gnu::always_inline]] inline bool HasChildren(const TzelXMLNode2 *node)
{
    for (const TzelXMLNode2 *child : node->Children())
        if (child)
            return true;
    return false;
}

std::string_view DeclarationValue(const TzelXMLParser2 &document, const char *name, std::string &storage,
                                  std::string_view fallback)
{
    storage = document.Declaration().AttributeValue(name).AsString();
    return storage.empty() ? fallback : std::string_view(storage);
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }


bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// A blank or a quote, which the XML-compatible reader takes as the end of a name.
bool HasBlankOrQuote(std::string_view name)
{
    for (char c : name)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"' || c == '\'')
            return true;
    return false;
}

// Why the reader would not give back this element name as written, or null when it would.
// The start tag is "<" name [attributes] and then "/>" (empty form) or ">".
// The usual name: none of the bytes or ends the checks below look for, found in one short loop.
[[gnu::always_inline]] inline bool PlainName(std::string_view name)
{
    if (name.empty() || IsBlank(name.front()) || name.front() == '/' || name.front() == '!' || name.front() == '?' ||
        IsBlank(name.back()) || name.back() == '/')
        return false;
    for (char c : name)
        if (c == '>' || c == '=' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"' || c == '\'')
            return false;
    return true;
}

const char *ElementNameProblem(std::string_view name, bool isRoot, bool hasAttributes, bool emptyForm, bool xml)
{
    if (PlainName(name))
        return nullptr;
    // The XML-compatible reader ends a name at any blank and skips quoted values in a tag.
    if (xml && HasBlankOrQuote(name))
        return "its name contains a blank or a quote, which would end the name or the tag elsewhere";
    // "</>" would read back as an end tag, and what the mode kept after the element with it.
    if (xml && name.empty())
        return "its name is empty, which would read as an end tag";
    if (xml && (StartsWith(name, "?") || StartsWith(name, "!")))
        return "its name starts with \"?\" or \"!\", which would read as other markup";
    if (name.find('>') != std::string_view::npos)
        return "its name contains \">\", which would end the tag early";
    if (name.find(' ') != std::string_view::npos)
        return "its name contains a space, which would end the name early";
    if (StartsWith(name, "/"))
        return "its name starts with \"/\", which would read as an end tag";
    if (StartsWith(name, "!--"))
        return "its name starts with \"!--\", which would read as a comment";
    if (StartsWith(name, "![CDATA["))
        return "its name starts with \"![CDATA[\", which would read as a CDATA section";
    if (emptyForm) {
        // "</>" reads as an end tag (an empty root reads back as itself); the rest of an empty
        // form's tag is trimmed, which would take a blank at the ends of the name with it.
        if (name.empty() && hasAttributes)
            return "its name is empty, which would read its first attribute as the name";
        if (name.empty() && !isRoot)
            return "its name is empty, which would read as an end tag";
        if (!name.empty() && (IsBlank(name.front()) || (!hasAttributes && IsBlank(name.back()))))
            return "its name starts or ends with a blank or control byte, which would be trimmed off";
    } else if (!hasAttributes && !name.empty() && name.back() == '/') {
        return "its name ends with \"/\", which would read as an empty element";
    }
    return nullptr;
}

// The same for an attribute name, written as " name=\"value\"".
const char *AttributeNameProblem(std::string_view name, bool xml)
{
    if (PlainName(name))
        return nullptr;
    if (xml && HasBlankOrQuote(name))
        return "its name contains a blank or a quote, which would end the name or the tag elsewhere";
    if (name.find('>') != std::string_view::npos)
        return "its name contains \">\", which would end the tag early";
    if (name.find('=') != std::string_view::npos)
        return "its name contains \"=\", which would end the name early";
    if (!name.empty() && (IsBlank(name.front()) || IsBlank(name.back())))
        return "its name starts or ends with a blank or control byte, which would be trimmed off";
    return nullptr;
}

// Refuses an element the reader would not give back as it is: a name it would read
// differently, nesting deeper than the reader takes, or (in the engine's own mode) a CDATA
// text holding "]]>", which would end the section early.
void CheckWritableClosely(const TzelXMLNode2 *node, size_t level, bool hasChildren, bool cdata, bool xml)
{
    const std::string_view name = node->NameView();
    bool hasAttributes = false;
    for (const TzelXMLAttribute2 *attribute : node->Attributes()) {
        if (!attribute)
            continue;
        hasAttributes = true;
        if (const char *problem = AttributeNameProblem(attribute->NameView(), xml))
            throw Exception("Cannot write attribute \"" + attribute->Name() + "\" of element \"" + std::string(name) +
                            "\": " + problem);
    }
    const bool emptyForm = !hasChildren && node->TextView().empty();
    if (const char *problem = ElementNameProblem(name, level == 0, hasAttributes, emptyForm, xml))
        throw Exception("Cannot write element \"" + std::string(name) + "\": " + problem);
    if (level >= static_cast<size_t>(TzelXMLParser2::MaxNestingDepth))
        throw Exception("Cannot write element \"" + std::string(name) + "\": it is nested deeper than " +
                        std::to_string(TzelXMLParser2::MaxNestingDepth) + " levels, which the reader refuses");
    if (cdata && !xml && node->TextView().find("]]>") != std::string_view::npos)
        throw Exception("Cannot write element \"" + std::string(name) +
                        "\": its text contains \"]]>\", which would end its CDATA section early");
}

// The usual element passes in a few short loops; anything else gets the close look above.
[[gnu::always_inline]] inline void CheckWritable(const TzelXMLNode2 *node, size_t level, bool hasChildren, bool cdata,
                                                 bool xml)
{
    bool plain = !cdata && level < static_cast<size_t>(TzelXMLParser2::MaxNestingDepth) && PlainName(node->NameView());
    for (const TzelXMLAttribute2 *attribute : node->Attributes())
        plain = plain && attribute && PlainName(attribute->NameView());
    if (!plain)
        CheckWritableClosely(node, level, hasChildren, cdata, xml);
}

// A text goes out with XML's own references as they are; any other "&" (one typed by the
// user, as in "&nbsp;", or from a feed that was not well-formed) would break the file, and
// "&amp;" would show differently when read back, so it goes out as a CDATA section of its
// own: other readers read the "&" and this reader shows the text as it was. (The reader keeps
// a text holding other references as written, so an unchanged one goes back as it came.)
template <class Sink>
void PutTextKeepingReferences(Sink &sink, std::string_view text)
{
    size_t done = 0;
    for (size_t at = 0; (at = FindFirstOf(text.data(), at, text.size(), '&')) < text.size(); ++at) {
        if (XmlReferenceLength(text, at))
            continue;
        sink.Put(text.substr(done, at - done));
        sink.Put("<![CDATA[&]]>");
        done = at + 1;
    }
    sink.Put(text.substr(done));
}

// A CDATA text: a "]]>" in it would end the section, so the section ends after its "]]" and
// a new one starts with the ">" (readers join the two).
template <class Sink>
void PutCDataText(Sink &sink, std::string_view text)
{
    for (size_t end; (end = text.find("]]>")) != std::string_view::npos; text.remove_prefix(end + 2)) {
        sink.Put(text.substr(0, end + 2));
        sink.Put("]]><![CDATA[");
    }
    sink.Put(text);
}

std::optional<TzelDeclaredEntities> DeclaredEntitiesOf(const TzelXMLParser2 &document, bool xml)
{
    if (!xml || document.Prolog().find("<!DOCTYPE") == std::string::npos)
        return std::nullopt;
    return TzelDeclaredEntities(document.Prolog());
}

// How an element is laid out: xml = the document's XML-compatible mode; compact = inside
// mixed content, where line breaks and indentation would add text; entities = what the
// document's DOCTYPE declares for its attribute values to refer to (null without one).
struct Layout {
    TzelXMLWriter::TextPolicy policy;
    bool xml;
    bool compact;
    const TzelDeclaredEntities *entities;
};

// What stands between an element's start tag and its first child (or end tag).
template <class Sink>
void WriteOwnContent(Sink &sink, const TzelXMLNode2 *node, std::string_view kept, bool cdata, Layout layout)
{
    const std::string_view text = node->TextView();
    if (!kept.empty()) {
        sink.Put(layout.compact || node->MixedContent() ? kept : TrimmedText(kept));
    } else if (cdata) {
        sink.Put("<![CDATA[");
        if (layout.xml)
            PutCDataText(sink, text);
        else
            sink.Put(text);
        sink.Put("]]>");
    } else if (layout.xml) {
        PutTextKeepingReferences(sink, text);
    } else {
        sink.Put(text);
    }
}

// In XML-compatible mode a text read from a CDATA section goes back into one.
bool WritesCData(const TzelXMLNode2 *node, std::string_view kept, bool hasChildren, bool xml)
{
    return kept.empty() && (node->TextNeedsCDATA() || (xml && node->TextFromCDATA())) &&
           (hasChildren || !node->TextView().empty());
}

template <class Sink>
[[gnu::always_inline]] inline void WriteStartOfElement(Sink &sink, const TzelXMLNode2 *node, size_t level, bool hasChildren,
                                                        Layout layout)
{
    const TzelXMLWriter::TextPolicy policy = layout.policy;
    const std::string_view name = node->NameView();
    const std::string_view text = node->TextView();
    if (!layout.compact)
        sink.PutSpaces(2 * level);
    sink.Put("<");
    sink.Put(name);
    for (const TzelXMLAttribute2 *attribute : node->Attributes()) {
        if (!attribute)
            continue;
        sink.Put(" ");
        sink.Put(attribute->NameView());
        sink.Put("=\"");
        sink.PutEscaped(attribute->ValueText(), layout.xml, layout.entities);
        sink.Put("\"");
    }
    // The content as it was read, while its text is unchanged.
    const std::string_view kept = layout.xml ? node->KeptContent() : std::string_view();
    const bool cdata = WritesCData(node, kept, hasChildren, layout.xml);
    if (Sink::Checks && policy == TzelXMLWriter::RefuseUnwritableText)
        CheckWritable(node, level, hasChildren, cdata, layout.xml);
    if (kept.empty() && !hasChildren && text.empty()) {
        sink.Put("/>");
    } else {
        sink.Put(">");
        WriteOwnContent(sink, node, kept, cdata, layout);
    }
    if (!hasChildren && (!text.empty() || !kept.empty())) {
        sink.Put("</");
        sink.Put(name);
        sink.Put(">");
    }
}

// What followed the element in its parent: as it was inside mixed content, otherwise on a
// line of its own.
template <class Sink>
[[gnu::always_inline]] inline void WriteTail(Sink &sink, const TzelXMLNode2 *node, size_t level, bool parentCompact)
{
    const std::string_view tail = node->KeptTail();
    if (parentCompact) {
        sink.Put(tail);
        return;
    }
    const std::string_view markup = TrimmedText(tail);
    if (markup.empty())
        return;
    sink.Put(LineBreak);
    sink.PutSpaces(2 * level);
    sink.Put(markup);
}

template <class Sink>
void WriteDescendants(Sink &sink, const TzelXMLNode2 *top, Layout layout, bool closeTop);

template <class Sink>
void WriteDocument(Sink &sink, const TzelXMLParser2 &document, TzelXMLWriter::TextPolicy policy)
{
    const bool xml = document.XmlCompatible();
    if (xml && document.HasByteOrderMark())
        sink.Put("\xEF\xBB\xBF");
    std::string versionStorage, encodingStorage, standaloneStorage;
    // The reader decodes declaration values as attribute values, so they are escaped alike.
    sink.Put("<?xml version=\"");
    sink.PutEscaped(DeclarationValue(document, "version", versionStorage, "1.0"), xml);
    sink.Put("\" encoding=\"");
    sink.PutEscaped(DeclarationValue(document, "encoding", encodingStorage, document.IsUtf16() ? "UTF-16" : "ISO-8859-1"),
                    xml);
    if (xml && !DeclarationValue(document, "standalone", standaloneStorage, "").empty()) {
        sink.Put("\" standalone=\"");
        sink.PutEscaped(standaloneStorage, xml);
    }
    sink.Put("\" ?>");
    // The prolog as it was read, right after the declaration when it followed one.
    const std::string_view prolog = xml ? std::string_view(document.Prolog()) : std::string_view();
    if (prolog.empty() || !IsBlank(prolog.front()))
        sink.Put(LineBreak);
    sink.Put(prolog);

    const TzelXMLNode2 *root = &document;
    const bool rootHasChildren = HasChildren(root);
    // Without a DOCTYPE only XML's own references stand in attribute values.
    const std::optional<TzelDeclaredEntities> declared = DeclaredEntitiesOf(document, xml);
    const TzelDeclaredEntities *entities = declared ? &*declared : nullptr;
    WriteStartOfElement(sink, root, 0, rootHasChildren, Layout{policy, xml, false, entities});
    if (rootHasChildren)
        WriteDescendants(sink, root, Layout{policy, xml, xml && root->MixedContent(), entities}, true);
    if (xml)
        sink.Put(document.Epilog());
}

// Writes the children of top (which has some) with all below them, each followed by its tail,
// and then top's end tag when closeTop; layout.compact: top's children go without line
// breaks and indentation.
template <class Sink>
void WriteDescendants(Sink &sink, const TzelXMLNode2 *top, Layout layout, bool closeTop)
{
    const bool xml = layout.xml;
    // Elements whose children are being written, with the position of the next child.
    struct Open {
        const TzelXMLNode2 *node;
        int next;
        bool compact; // its children go without line breaks and indentation
    };
    std::vector<Open> open{{top, 0, layout.compact}};
    while (!open.empty()) {
        Open &current = open.back();
        const TzelXMLNode2 *child = NextChild(current.node, current.next);
        if (!child) {
            if (!closeTop && open.size() == 1)
                return;
            // All children written: the end tag, at the element's own indent.
            const size_t level = open.size() - 1;
            const TzelXMLNode2 *node = current.node;
            if (!current.compact) {
                sink.Put(LineBreak);
                sink.PutSpaces(2 * level);
            }
            sink.Put("</");
            sink.Put(node->NameView());
            sink.Put(">");
            open.pop_back();
            if (xml && !open.empty())
                WriteTail(sink, node, level, open.back().compact);
            continue;
        }
        const bool childHasChildren = HasChildren(child);
        if (!current.compact)
            sink.Put(LineBreak);
        WriteStartOfElement(sink, child, open.size(), childHasChildren,
                            Layout{layout.policy, xml, current.compact, layout.entities});
        if (childHasChildren)
            open.push_back({child, 0, current.compact || (xml && child->MixedContent())});
        else if (xml)
            WriteTail(sink, child, open.size(), current.compact);
    }
}

} // namespace

std::string TzelXMLWriter::BuildXmlText(const TzelXMLParser2 &document, TextPolicy policy)
{
    // One walk that checks and writes. A read document's text is about as long as its
    // source, with the line breaks and indentation the writer adds on top; room that is
    // reserved and not written costs no memory.
    std::string text;
    Append append(text, 2 * document.SourceText().size() + 256);
    WriteDocument(append, document, policy);
    append.Flush();
    return text;
}

std::string TzelXMLWriter::BuildContentText(const TzelXMLNode2 &element, bool xml)
{
    const TzelXMLParser2 *document = element.Document();
    const std::optional<TzelDeclaredEntities> declared =
        document ? DeclaredEntitiesOf(*document, xml) : std::nullopt;
    const Layout layout{WriteTextAsItIs, xml, true, declared ? &*declared : nullptr};
    const bool hasChildren = HasChildren(&element);
    const std::string_view kept = xml ? element.KeptContent() : std::string_view();
    std::string text;
    Append append(text, element.TextView().size() + kept.size());
    WriteOwnContent(append, &element, kept, WritesCData(&element, kept, hasChildren, xml), layout);
    if (hasChildren)
        WriteDescendants(append, &element, layout, false);
    append.Flush();
    return text;
}
