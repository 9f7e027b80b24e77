// The reader. It accepts a small XML subset: an optional declaration, one root element,
// nested elements with quoted attributes, one text or CDATA segment per element (the one
// before its first child) and a comment where a tag is expected; in the document's
// XML-compatible mode it also takes what well-formed XML allows beyond that and keeps it for
// the writer (prolog, epilog, CDATA marks, comments, mixed content). Names and texts are not
// copied: they point into the document's SourceText. Nesting is followed with an explicit
// stack, so deep input cannot exhaust the call stack.
#include "zelXMLReader.h"

#include <cstring>
#include <exception>
#include <vector>

#include "zelScan.h"
#include "zelStrings.h"
#include "zelAttributeDecoding.h"
#include "zelXMLReference.h"
#include "zelXMLParser2.h"
#include "zelXMLWriter.h"

namespace {

bool Contains(std::string_view text, char c) { return !text.empty() && std::memchr(text.data(), c, text.size()); }

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }


// The blanks XML allows between names and attributes.
bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool AllBlank(std::string_view text)
{
    for (char c : text)
        if (!IsBlank(c))
            return false;
    return true;
}

std::string_view TrimXmlBlanksRight(std::string_view text)
{
    while (!text.empty() && IsXmlBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

class ParsingFlag {
public:
    explicit ParsingFlag(bool &flag) : flag_(flag) { flag_ = true; }
    ~ParsingFlag() { flag_ = false; }

private:
    bool &flag_;
};

} // namespace

// What a reader reads from mixed content: the text with comments and processing
// instructions taken out and CDATA sections unwrapped, trimmed.
std::string ReadableText(std::string_view content)
{
    std::string text;
    size_t i = 0;
    while (i < content.size()) {
        size_t lt = content.find('<', i);
        text += content.substr(i, lt == std::string_view::npos ? std::string_view::npos : lt - i);
        if (lt == std::string_view::npos)
            break;
        std::string_view rest = content.substr(lt);
        std::string_view closer = rest.substr(0, 9) == "<![CDATA[" ? "]]>" : rest.substr(0, 4) == "<!--" ? "-->" : "?>";
        size_t end = rest.find(closer);
        if (closer == "]]>")
            text += rest.substr(9, end - 9);
        i = end == std::string_view::npos ? content.size() : lt + end + closer.size();
    }
    return std::string(TrimmedText(text));
}

TzelXMLReader::TzelXMLReader(TzelXMLParser2 &document)
    : document_(document), source_(document.SourceText()), xml_(document.XmlCompatible())
{
}

size_t TzelXMLReader::Find(char c, size_t from) const
{
    if (from < 1 || from > source_.size())
        return 0;
    const void *hit = std::memchr(source_.data() + from - 1, c, source_.size() - (from - 1));
    return hit ? static_cast<const char *>(hit) - source_.data() + 1 : 0;
}

size_t TzelXMLReader::Find(std::string_view pattern, size_t from) const
{
    // The first byte by memchr, then the rest compared in place.
    const size_t length = pattern.size();
    while (from >= 1 && from + length - 1 <= source_.size()) {
        size_t hit = Find(pattern[0], from);
        if (!hit || hit + length - 1 > source_.size())
            return 0;
        if (std::memcmp(source_.data() + hit - 1, pattern.data(), length) == 0)
            return hit;
        from = hit + 1;
    }
    return 0;
}

std::string_view TzelXMLReader::Slice(size_t first, size_t last) const
{
    if (last < first || first < 1)
        return {};
    return source_.substr(first - 1, last - first + 1);
}

std::string TzelXMLReader::ParseXml(TzelXMLParser2 &document)
{
    TzelXMLReader reader(document);
    document.ResetForRead();
    ParsingFlag parsing(document.parsing_);

    size_t prologStart = 1;
    if (reader.xml_ && reader.StartsAt(1, "\xEF\xBB\xBF")) {
        document.byteOrderMark_ = true;
        prologStart = 4;
    }
    // The declaration: only when the first "<" starts "<?xml" exactly (and, in XML-compatible
    // mode, a blank follows, as "<?xml-stylesheet" is an instruction).
    size_t opener = reader.Find('<', 1);
    if (opener && reader.StartsAt(opener, "<?xml") &&
        (!reader.xml_ || (opener + 5 <= reader.source_.size() && IsXmlBlank(reader.source_[opener + 4])))) {
        size_t closer = reader.Find("?>", opener);
        if (!closer)
            return "Missing ?> in xml declaration.";
        reader.position_ = closer + 2;
        prologStart = reader.position_;
        // From the byte after "<?xml " up to the byte before "?>"; an error here is raised.
        reader.ParseAttributes(&document.declaration_, TrimmedText(reader.Slice(opener + 6, closer - 1)), false);
    }

    try {
        if (reader.xml_)
            reader.ReadProlog(prologStart);
        reader.ParseBody();
        return std::string();
    } catch (const std::exception &error) {
        reader.ListPendingChildren();
        return reader.ComposeError(error.what());
    } catch (...) {
        reader.ListPendingChildren();
        throw;
    }
}

namespace {

// An XHTML "pre" element, with or without a prefix.
bool IsPreformatted(const TzelXMLNode2 &element)
{
    const std::string_view name = element.NameView();
    const size_t colon = name.rfind(':');
    return name.substr(colon == std::string_view::npos ? 0 : colon + 1) == "pre";
}

} // namespace

void TzelXMLReader::ParseBody()
{
    TzelXMLNode2 *element = nullptr;
    const TagKind rootKind = ReadStartTag(true, 1, element);
    if (rootKind != TagKind::ElementWithContent) {
        // an end tag first (empty root) or an empty root element
        if (xml_ && rootKind == TagKind::EmptyElement)
            ReadEpilog();
        return;
    }
    size_t contentStart = position_;
    ParseTextContent(element);
    open_.push_back({element, 0, contentStart, position_});
    while (!open_.empty()) {
        TagKind kind;
        if (!ReadPlainTag(kind, element))
            kind = ReadStartTag(false, static_cast<int>(open_.size()) + 1, element);
        if (kind == TagKind::ElementWithContent) {
            contentStart = position_;
            if (xml_ && IsPreformatted(*element)) {
                // Its blanks and line breaks are content: read and written as in mixed content.
                element->MakeExtras().mixed = true;
                ++mixedOpen_;
            }
            ParseTextContent(element);
            open_.push_back({element, pendingChildren_.size(), contentStart, position_});
        } else if (kind == TagKind::EndTag) {
            TzelXMLNode2 *closed = open_.back().node;
            ReadEndTag(closed);
            CloseInnermost();
            if (xml_ && open_.empty())
                ReadEpilog();
            else if (xml_)
                KeepTail(closed);
        } else if (xml_) {
            KeepTail(element);
        }
    }
}

TzelXMLReader::Content TzelXMLReader::ScanContent(size_t from, const char *missingTag)
{
    Content content;
    size_t at = from;
    for (;;) {
        // Blanks first (between tags there is usually nothing else), then the next "<".
        size_t first = at;
        while (first <= source_.size() && IsBlank(source_[first - 1]))
            ++first;
        size_t opener = first;
        if (first > source_.size() || source_[first - 1] != '<') {
            opener = FindTagStart(first);
            content.characterData = content.characterData || first <= source_.size();
        }
        if (!opener) {
            // "Missing <" reports position 0; a text without "<" its start tag's end.
            position_ = std::strcmp(missingTag, "Missing <") == 0 ? 0 : from;
            throw Exception(missingTag);
        }
        const char next = opener < source_.size() ? source_[opener] : '\0';
        if (next != '!' && next != '?') {
            content.end = opener;
            return content;
        }
        position_ = opener;
        if (StartsAt(opener, "<![CDATA[")) {
            position_ = opener + 9;
            const size_t closer = Find("]]>", position_);
            if (!closer)
                throw Exception("Expected ]]> when parsing CDATA section");
            if (content.sections++ == 0) {
                content.sectionStart = opener + 9;
                content.sectionEnd = closer;
            }
            content.characterData = content.markup = true;
            at = closer + 3;
        } else if (SkipMarkup()) {
            content.markup = content.otherMarkup = true;
            at = position_;
        } else {
            content.end = opener; // "<!" or "<?" of something else: read as a tag
            return content;
        }
    }
}

bool TzelXMLReader::SkipMarkup()
{
    const size_t opener = position_;
    if (StartsAt(opener, "<!--")) {
        const size_t closer = Find("-->", opener + 4);
        if (!closer)
            throw Exception("Missing comment terminator -->");
        position_ = closer + 3;
        return true;
    }
    if (StartsAt(opener, "<?")) {
        const size_t closer = Find("?>", opener + 2);
        if (!closer)
            throw Exception("Missing ?> in processing instruction");
        position_ = closer + 2;
        return true;
    }
    if (StartsAt(opener, "<!DOCTYPE")) {
        // Quoted literals, and in the internal subset comments and declarations, may hold ">".
        size_t at = opener + 9;
        int depth = 0;
        while (at <= source_.size()) {
            const char c = source_[at - 1];
            if (c == '"' || c == '\'') {
                const size_t quote = Find(c, at + 1);
                if (!quote)
                    break;
                at = quote + 1;
            } else if (depth > 0 && StartsAt(at, "<!--")) {
                const size_t closer = Find("-->", at + 4);
                if (!closer)
                    break;
                at = closer + 3;
            } else if (c == '[') {
                ++depth, ++at;
            } else if (c == ']') {
                --depth, ++at;
            } else if (c == '>' && depth <= 0) {
                position_ = at + 1;
                return true;
            } else {
                ++at;
            }
        }
        throw Exception("Missing > in DOCTYPE");
    }
    return false;
}

void TzelXMLReader::ReadProlog(size_t start)
{
    // Comments, processing instructions and a DOCTYPE may stand before the root.
    for (;;) {
        position_ = Find('<', position_ > start ? position_ : start);
        if (!position_)
            throw Exception("Missing <");
        if (!SkipMarkup())
            break;
    }
    const std::string_view prolog = Slice(start, position_ - 1);
    if (Contains(prolog, '<'))
        document_.prolog_.assign(prolog);
    anyEntity_ = prolog.find("<!DOCTYPE") != std::string_view::npos;
}

std::string TzelXMLReader::LineAndColumn(size_t position) const
{
    const std::string_view before = source_.substr(0, position - 1);
    const size_t lineStart = before.rfind('\n') + 1; // npos + 1 == 0: the first line
    size_t line = 1;
    for (const char c : before)
        line += c == '\n';
    // Characters, as other readers and editors count them: a UTF-8 sequence is one.
    size_t column = 1;
    for (const char c : before.substr(lineStart))
        column += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

void TzelXMLReader::ReadEpilog()
{
    // Nothing after the root is an error: what cannot be kept is counted as dropped.
    const size_t start = position_;
    size_t kept = start;
    for (;;) {
        size_t at = kept;
        while (at <= source_.size() && IsBlank(source_[at - 1]))
            ++at;
        if (at > source_.size())
            break;
        position_ = at;
        bool skipped = false;
        try {
            skipped = SkipMarkup() && !StartsAt(at, "<!DOCTYPE");
        } catch (const std::exception &) {
        }
        if (!skipped) {
            document_.droppedContent_.push_back("what follows the root element from " + LineAndColumn(at) + " (" +
                                                std::to_string(source_.size() - at + 1) + " bytes)");
            break;
        }
        kept = position_;
    }
    if (document_.droppedContent_.empty())
        kept = source_.size() + 1; // the blanks at the end too
    const std::string_view epilog = Slice(start, kept - 1);
    if (Contains(epilog, '<'))
        document_.epilog_.assign(epilog);
    position_ = kept;
}

void TzelXMLReader::KeepTail(TzelXMLNode2 *child)
{
    if (mixedOpen_ == 0) {
        // Usually only blanks stand before the next tag: nothing to keep.
        size_t at = position_ - 1;
        while (at < source_.size() && IsBlank(source_[at]))
            ++at;
        if (at + 1 < source_.size() && source_[at] == '<' && source_[at + 1] != '!' && source_[at + 1] != '?') {
            position_ = at + 1;
            return;
        }
    }
    OpenElement &parent = open_.back();
    const size_t from = position_;
    const Content content = ScanContent(from, "Missing <");
    position_ = content.end;
    if (content.end == from)
        return;
    const std::string_view tail = Slice(from, content.end - 1);
    if (content.markup || content.characterData || mixedOpen_ > 0)
        child->MakeExtras().tail.assign(tail);
    if (content.characterData) {
        TzelXMLNodeExtras &extras = parent.node->MakeExtras();
        if (!extras.mixed && extras.content.empty())
            extras.content.assign(Slice(parent.contentStart, parent.contentEnd - 1));
        if (!extras.mixed) {
            // Inside mixed content every blank is text: the children read so far, and all read
            // from now on until the element ends, keep theirs.
            extras.mixed = true;
            ++mixedOpen_;
            std::vector<TzelXMLNode2 *> children(parent.node->children_.begin(), parent.node->children_.end());
            children.insert(children.end(), pendingChildren_.begin() + static_cast<std::ptrdiff_t>(parent.firstChild),
                            pendingChildren_.end());
            for (size_t i = 0; i < children.size(); ++i) {
                KeepBlanksBelow(children[i]);
                // A tail of blanks only was not kept: the blanks before the next child's "<".
                if (i + 1 < children.size() && children[i] && children[i + 1] && children[i]->KeptTail().empty())
                    children[i]->MakeExtras().tail.assign(BlanksBefore(children[i + 1]));
            }
        }
    }
}

namespace {

// Bit i set when an odd number of the bits 0..i of quotes are set: the bytes from an opening
// quote up to (not including) its closing one.
inline unsigned InsideQuotes(unsigned quotes)
{
    quotes ^= quotes << 1;
    quotes ^= quotes << 2;
    quotes ^= quotes << 4;
    quotes ^= quotes << 8;
    return quotes & 0xFFFF;
}

} // namespace

size_t TzelXMLReader::FindTagEndOutsideQuotes(size_t from) const
{
    const char *data = source_.data();
    const size_t size = source_.size();
    // Most tags end before any quote.
    size_t at = FindFirstOf(data, from, size, '>', '"', '\'');
    if (at >= size)
        return 0;
    if (data[at] == '>')
        return at + 1;
#if defined(__SSE2__)
    // A tag with many attributes holds many quotes: rather than one search per quote, each
    // 16 bytes are looked at once and the bytes inside double-quoted values found from the
    // quotes' running parity. An apostrophe may open a value too, so a block holding one goes
    // to the byte-wise search below, which knows both kinds of quote.
    unsigned carry = 0;        // 0xFFFF while a double-quoted value runs on into the next block
    size_t openingQuote = 0;   // the last opening quote seen
    for (; at + 16 <= size; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        const auto mask = [&](char c) { return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(c)))); };
        if (mask('\''))
            break;
        const unsigned quotes = mask('"');
        const unsigned inside = InsideQuotes(quotes) ^ carry;
        if (const unsigned ends = mask('>') & ~inside)
            return at + static_cast<size_t>(__builtin_ctz(ends)) + 1;
        if (const unsigned openers = quotes & inside)
            openingQuote = at + static_cast<size_t>(31 - __builtin_clz(openers));
        carry = inside & 0x8000 ? 0xFFFF : 0;
    }
    if (carry) { // inside a value: on from its closing quote
        at = FindFirstOf(data, at, size, '"') + 1;
        if (at > size)
            return Find('>', openingQuote + 1); // an unclosed value: reported as in the default mode
    }
#endif
    for (;;) {
        at = FindFirstOf(data, at, size, '>', '"', '\'');
        if (at >= size)
            return 0;
        const char c = data[at];
        if (c == '>')
            return at + 1;
        const size_t open = at;
        at = FindFirstOf(data, open + 1, size, c) + 1;
        if (at > size)
            return Find('>', open + 1); // an unclosed value: reported as in the default mode
    }
}

TzelXMLNode2 *TzelXMLReader::NewElement()
{
    void *memory = document_.nodePool_.Allocate(sizeof(TzelXMLNode2));
    auto *element = ::new (memory) TzelXMLNode2;
    element->SetDocument(&document_);
    return element;
}

void TzelXMLReader::ListDirectly(OpenElement &parent)
{
    const size_t count = pendingChildren_.size() - parent.firstChild;
    TzelXMLNodeList2<TzelXMLNode2> &children = parent.node->children_;
    children.Reserve(static_cast<int>(count * 2));
    for (size_t i = parent.firstChild; i < pendingChildren_.size(); ++i)
        children.AddUnchecked(pendingChildren_[i]);
    pendingChildren_.resize(parent.firstChild);
    parent.direct = true;
}

void TzelXMLReader::CloseInnermost()
{
    if (open_.back().node->MixedContent())
        --mixedOpen_;
    if (open_.back().direct) {
        open_.back().node->children_.ShrinkToFit();
        open_.pop_back();
        return;
    }
    const OpenElement innermost = open_.back();
    const size_t count = pendingChildren_.size() - innermost.firstChild;
    try {
        innermost.node->children_.AssignExact(reinterpret_cast<void *const *>(pendingChildren_.data() + innermost.firstChild),
                                              static_cast<int>(count), document_.nodePool_);
    } catch (...) {
        for (size_t i = innermost.firstChild; i < pendingChildren_.size(); ++i)
            delete pendingChildren_[i];
        pendingChildren_.resize(innermost.firstChild);
        open_.pop_back();
        throw;
    }
    pendingChildren_.resize(innermost.firstChild);
    open_.pop_back();
}

void TzelXMLReader::ListPendingChildren() noexcept
{
    while (!open_.empty()) {
        try {
            CloseInnermost();
        } catch (...) {
            // Out of memory while listing: those children are gone, the rest is listed.
        }
    }
}

TzelXMLReader::TagKind TzelXMLReader::ReadStartTag(bool topLevel, int level, TzelXMLNode2 *&element)
{
    position_ = FindTagStart(position_);
    if (!position_)
        throw Exception("Missing <");
    if (StartsAt(position_, "<!--")) {
        size_t terminator = Find("-->", position_);
        if (!terminator)
            throw Exception("Missing comment terminator -->");
        position_ = Find('<', terminator + 3);
        if (!position_)
            throw Exception("Missing <");
    }
    size_t closer = xml_ ? FindTagEndOutsideQuotes(position_) : FindTagEnd(position_);
    if (!closer)
        throw Exception("Missing >");
    std::string_view tag = Slice(position_ + 1, closer - 1);
    if (!tag.empty() && tag.front() == '/') {
        pendingTagEnd_ = closer; // the read position stays on the end tag's "<"
        return TagKind::EndTag;
    }
    position_ = closer + 1;

    bool empty = !tag.empty() && tag.back() == '/';
    if (empty)
        tag = TrimmedText(tag.substr(0, tag.size() - 1));
    // Only a space ends the name: a tab or line break after it belongs to the name.
    std::string_view name = tag, attributes;
    size_t space = std::string_view::npos;
    if (xml_) {
        for (size_t i = 0; i < tag.size() && space == std::string_view::npos; ++i)
            if (IsXmlBlank(tag[i]))
                space = i;
    } else {
        space = tag.find(' ');
    }
    if (space != std::string_view::npos) {
        name = tag.substr(0, space);
        attributes = TrimmedText(tag.substr(space + 1));
    }

    element = topLevel ? &document_ : AddChild(level);
    element->name_.Borrow(name);
    if (!attributes.empty())
        ParseAttributes(element, attributes, true);
    return empty ? TagKind::EmptyElement : TagKind::ElementWithContent;
}

TzelXMLNode2 *TzelXMLReader::AddChild(int level)
{
    if (level > TzelXMLParser2::MaxNestingDepth)
        throw Exception("Elements nested deeper than " + std::to_string(TzelXMLParser2::MaxNestingDepth) + " levels");
    OpenElement &parent = open_.back();
    if (!parent.direct && pendingChildren_.size() - parent.firstChild >= DirectListThreshold)
        ListDirectly(parent);
    TzelXMLNode2 *element;
    if (parent.direct) {
        element = NewElement();
        try {
            parent.node->children_.AddUnchecked(element);
        } catch (...) {
            delete element;
            throw;
        }
    } else {
        // The slot first, so a failing allocation cannot leave the new element unowned.
        pendingChildren_.push_back(nullptr);
        element = NewElement();
        pendingChildren_.back() = element; // listed in its parent when the parent ends
    }
    return element;
}

namespace {

// Bytes a plain name is made of: none that could start markup, end a tag, quote a value or
// stand between a name and its attributes.
constexpr bool PlainNameByte(unsigned char c)
{
    return c > 32 && c != '<' && c != '>' && c != '/' && c != '"' && c != '\'' && c != '=' && c != '!' &&
           c != '?' && c != '&';
}

struct PlainNameBytes {
    bool plain[256];
    constexpr PlainNameBytes() : plain()
    {
        for (int c = 0; c < 256; ++c)
            plain[c] = PlainNameByte(static_cast<unsigned char>(c));
    }
};
constexpr PlainNameBytes PlainName;

} // namespace

bool TzelXMLReader::ReadPlainTag(TagKind &kind, TzelXMLNode2 *&element)
{
    const char *data = source_.data();
    const size_t size = source_.size();
    if (position_ == 0)
        return false;
    size_t at = position_ - 1; // 0-based from here on
    while (at < size && IsBlank(data[at]))
        ++at;
    if (at + 3 >= size || data[at] != '<')
        return false;
    const bool endTag = data[at + 1] == '/';
    const size_t nameStart = at + 1 + (endTag ? 1 : 0);
    size_t nameEnd = nameStart;
    while (nameEnd < size && PlainName.plain[static_cast<unsigned char>(data[nameEnd])])
        ++nameEnd;
    if (nameEnd == nameStart || nameEnd + 1 >= size)
        return false;
    size_t tagEnd = nameEnd; // the ">"
    if (data[nameEnd] == '/' && !endTag && data[nameEnd + 1] == '>')
        tagEnd = nameEnd + 1;
    else if (data[nameEnd] != '>')
        return false;
    if (endTag) {
        position_ = at + 1; // on the end tag's "<", as ReadStartTag leaves it
        pendingTagEnd_ = tagEnd + 1;
        kind = TagKind::EndTag;
        return true;
    }
    position_ = tagEnd + 2;
    element = AddChild(static_cast<int>(open_.size()) + 1);
    element->name_.Borrow(std::string_view(data + nameStart, nameEnd - nameStart));
    kind = tagEnd == nameEnd ? TagKind::ElementWithContent : TagKind::EmptyElement;
    return true;
}

void TzelXMLReader::ReadEndTag(TzelXMLNode2 *element)
{
    // The end tag's "<" is at the read position and its ">" was found by ReadStartTag.
    std::string_view endName = Slice(position_ + 2, pendingTagEnd_ - 1);
    if (xml_)
        endName = TrimXmlBlanksRight(endName);
    if (endName != element->name_.View())
        throw Exception("Opening and closing tags don't match " + std::string(element->name_.View()) + " " +
                        std::string(endName));
    position_ = pendingTagEnd_ + 1;
}

void TzelXMLReader::ParseTextContent(TzelXMLNode2 *element)
{
    size_t opener = 0;
    if (xml_) {
        const size_t start = position_;
        const Content content = ScanContent(start, "Expected < when parsing text");
        if (content.markup) {
            position_ = content.end;
            const std::string_view whole = Slice(start, content.end - 1);
            if (content.sections == 1 && !content.otherMarkup && AllBlank(Slice(start, content.sectionStart - 10)) &&
                AllBlank(Slice(content.sectionEnd + 3, content.end - 1))) {
                // One CDATA section: its text, and the mark to write it as one again.
                const std::string_view text = TrimmedText(Slice(content.sectionStart, content.sectionEnd - 1));
                element->text_.Borrow(text);
                element->SetTextNeedsCDATA(Contains(text, '<') || Contains(text, '>'));
                element->SetTextFromCDATA(true);
            } else {
                // Comments, instructions or several pieces: kept as written, shown as read.
                const std::string text = ReadableText(whole);
                element->text_.Assign(text);
                element->SetTextNeedsCDATA(Contains(text, '<') || Contains(text, '>'));
                element->MakeExtras().content.assign(whole);
            }
            return;
        }
        position_ = start; // plain text: read as in the engine's own mode
        opener = content.end;
    } else {
        opener = FindTagStart(position_);
    }
    if (!opener)
        throw Exception("Expected < when parsing text");
    std::string_view text;
    bool needsCDATA;
    if (StartsAt(opener, "<![CDATA[")) {
        position_ = opener + 9;
        size_t closer = Find("]]>", position_);
        if (!closer)
            throw Exception("Expected ]]> when parsing CDATA section");
        text = TrimmedText(Slice(position_, closer - 1));
        position_ = closer + 3;
        needsCDATA = Contains(text, '<') || Contains(text, '>');
    } else {
        // Plain text ends at the next "<", so only a ">" can be in it.
        const std::string_view written = Slice(position_, opener - 1);
        text = TrimmedText(written);
        position_ = opener;
        needsCDATA = Contains(text, '>');
        // XML text may hold a ">": kept as written, where a CDATA section would show its
        // references as text. So is a text with references other than XML's own, which the
        // writer would otherwise write as text ("&nbsp;" typed), not as references; and inside
        // mixed content, where every blank is text, one with blanks around it.
        if (xml_ && (needsCDATA || (Contains(text, '&') && HasOtherReference(text))))
            element->MakeExtras().content.assign(text);
        if (xml_ && mixedOpen_ > 0 && written.size() != text.size())
            element->MakeExtras().content.assign(written);
    }
    element->text_.Borrow(text);
    element->SetTextNeedsCDATA(needsCDATA);
}

void TzelXMLReader::KeepBlanks(TzelXMLNode2 *element)
{
    // The text is trimmed and borrowed from the source: the blanks around it there are the
    // ones it was written with (a text from a CDATA section or kept already stays as it is).
    const std::string_view text = element->text_.View();
    if (text.empty() || element->TextFromCDATA() || !element->KeptContent().empty() ||
        text.data() < source_.data() || text.data() + text.size() > source_.data() + source_.size())
        return;
    const char *begin = text.data(), *end = begin + text.size();
    while (begin > source_.data() && IsBlank(begin[-1]))
        --begin;
    while (end < source_.data() + source_.size() && IsBlank(*end))
        ++end;
    if (static_cast<size_t>(end - begin) != text.size())
        element->MakeExtras().content.assign(begin, end);
}

std::string_view TzelXMLReader::BlanksBefore(const TzelXMLNode2 *element) const
{
    const std::string_view name = element->name_.View();
    const char *opener = name.data() - 1;
    if (name.empty() || opener <= source_.data() || opener >= source_.data() + source_.size() || *opener != '<')
        return {};
    const char *begin = opener;
    while (begin > source_.data() && IsBlank(begin[-1]))
        --begin;
    return {begin, static_cast<size_t>(opener - begin)};
}

void TzelXMLReader::KeepBlanksBelow(TzelXMLNode2 *top)
{
    std::vector<TzelXMLNode2 *> pending{top};
    while (!pending.empty()) {
        TzelXMLNode2 *node = pending.back();
        pending.pop_back();
        KeepBlanks(node);
        for (TzelXMLNode2 *child : node->children_)
            if (child)
                pending.push_back(child);
    }
}

void TzelXMLReader::ParseAttributes(TzelXMLNode2 *element, std::string_view text, bool indexElement)
{
    // The attributes are gathered first and listed in one exact-size block; the ones read
    // before an error are listed all the same.
    pendingAttributes_.clear();
    try {
        std::string_view rest = TrimmedText(text);
        // One scan finds the value's end or a "&" before it.
        while (!rest.empty()) {
            const char *data = rest.data();
            const size_t size = rest.size();
            const size_t equals = FindFirstOf(data, 0, size, '=');
            if (equals == size)
                throw Exception("missing = when parsing attributes");
            size_t valueStart = equals + 1;
            while (xml_ && valueStart < rest.size() && IsXmlBlank(rest[valueStart]))
                ++valueStart;
            char delimiter = valueStart < rest.size() ? rest[valueStart] : '\0';
            if (delimiter != '"' && delimiter != '\'')
                throw Exception("missing value delimiter when parsing attributes");
            size_t closer = FindFirstOf(data, valueStart + 1, size, delimiter, '&');
            const bool ampersand = closer < size && data[closer] == '&';
            if (ampersand)
                closer = FindFirstOf(data, closer + 1, size, delimiter);
            if (closer >= size)
                throw Exception(std::string("Expected closing ") + delimiter + " when parsing attributes");
            std::string_view name = TrimmedText(rest.substr(0, equals));
            std::string_view value = rest.substr(valueStart + 1, closer - valueStart - 1);
            // A value holding a "&" stays in its written form until it is first read.
            TzelXMLAttribute2 &attribute = AddAttribute(name, value);
            if (ampersand)
                attribute.decoding_ = !xml_       ? TzelValueDecoding::Predefined
                                      : anyEntity_ ? TzelValueDecoding::XmlAnyEntity
                                                   : TzelValueDecoding::Xml;
            rest.remove_prefix(closer + 1);
        }
    } catch (...) {
        ListPendingAttributes(element);
        throw;
    }
    ListPendingAttributes(element);
    if (indexElement && document_.NameIndexEnabled())
        document_.IndexNode(element);
}

TzelXMLAttribute2 &TzelXMLReader::AddAttribute(std::string_view name, std::string_view value)
{
    // The slot first, so a failing allocation cannot leave the new attribute unowned.
    pendingAttributes_.push_back(nullptr);
    void *memory = document_.nodePool_.Allocate(sizeof(TzelXMLAttribute2), alignof(TzelXMLAttribute2));
    auto *attribute = ::new (memory) TzelXMLAttribute2;
    pendingAttributes_.back() = attribute;
    // Both borrow from the source text, like element names and texts.
    attribute->name_.Borrow(name);
    attribute->value_.Borrow(value);
    return *attribute;
}

void TzelXMLReader::ListPendingAttributes(TzelXMLNode2 *element)
{
    try {
        element->attributes_.AssignExact(reinterpret_cast<void *const *>(pendingAttributes_.data()),
                                         static_cast<int>(pendingAttributes_.size()), document_.nodePool_);
    } catch (...) {
        for (TzelXMLAttribute2 *attribute : pendingAttributes_)
            delete attribute;
        pendingAttributes_.clear();
        throw;
    }
    pendingAttributes_.clear();
}

std::string TzelXMLReader::ComposeError(const std::string &message) const
{
    size_t start = position_ >= 21 ? position_ - 20 : 1;
    std::string_view excerpt = start <= source_.size() ? source_.substr(start - 1, 50) : std::string_view();
    std::string text = message;
    text += " near ";
    text += excerpt;
    text += "\r\nError position=";
    text += std::to_string(position_);
    text += "\r\n";
    // The partial document is shown as it is, even a text the writer would refuse to save.
    text += TzelXMLWriter::BuildXmlText(document_, TzelXMLWriter::WriteTextAsItIs);
    return text;
}
