// The reader. It accepts a small XML subset: an optional declaration, one root element,
// nested elements with quoted attributes, one text or CDATA segment per element (the one
// before its first child) and a comment where a tag is expected. Names and texts are not
// copied: they point into the document's SourceText. Nesting is followed with an explicit
// stack, so deep input cannot exhaust the call stack.
#include "zelXMLReader.h"

#include <cstring>
#include <exception>
#include <vector>

#include "zelStrings.h"
#include "zelXMLParser2.h"
#include "zelXMLWriter.h"

namespace {

bool Contains(std::string_view text, char c) { return !text.empty() && std::memchr(text.data(), c, text.size()); }

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Removes bytes 0..32 from both ends; bytes of 128 and above stay.
std::string_view Trim(std::string_view text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

class ParsingFlag {
public:
    explicit ParsingFlag(bool &flag) : flag_(flag) { flag_ = true; }
    ~ParsingFlag() { flag_ = false; }

private:
    bool &flag_;
};

} // namespace

TzelXMLReader::TzelXMLReader(TzelXMLParser2 &document)
    : document_(document), source_(document.sourceText_)
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

    // The declaration: only when the first "<" starts "<?xml" exactly.
    size_t opener = reader.Find('<', 1);
    if (opener && reader.StartsAt(opener, "<?xml")) {
        size_t closer = reader.Find("?>", opener);
        if (!closer)
            return "Missing ?> in xml declaration.";
        reader.position_ = closer + 2;
        // From the byte after "<?xml " up to the byte before "?>"; an error here is raised.
        reader.ParseAttributes(&document.declaration_, Trim(reader.Slice(opener + 6, closer - 1)), false);
    }

    try {
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

void TzelXMLReader::ParseBody()
{
    TzelXMLNode2 *element = nullptr;
    if (ReadStartTag(true, 1, element) != TagKind::ElementWithContent)
        return; // an end tag first (empty root) or an empty root element
    ParseTextContent(element);
    open_.push_back({element, 0});
    while (!open_.empty()) {
        TagKind kind = ReadStartTag(false, static_cast<int>(open_.size()) + 1, element);
        if (kind == TagKind::ElementWithContent) {
            ParseTextContent(element);
            open_.push_back({element, pendingChildren_.size()});
        } else if (kind == TagKind::EndTag) {
            ReadEndTag(open_.back().node);
            CloseInnermost();
        }
    }
}

TzelXMLNode2 *TzelXMLReader::NewElement()
{
    void *memory = document_.nodePool_.Allocate(sizeof(TzelXMLNode2));
    auto *element = ::new (memory) TzelXMLNode2;
    element->SetDocument(&document_);
    return element;
}

void TzelXMLReader::CloseInnermost()
{
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
    size_t closer = FindTagEnd(position_);
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
        tag = Trim(tag.substr(0, tag.size() - 1));
    // Only a space ends the name: a tab or line break after it belongs to the name.
    std::string_view name = tag, attributes;
    size_t space = tag.find(' ');
    if (space != std::string_view::npos) {
        name = tag.substr(0, space);
        attributes = Trim(tag.substr(space + 1));
    }

    if (topLevel) {
        element = &document_;
    } else {
        if (level > TzelXMLParser2::MaxNestingDepth)
            throw Exception("Elements nested deeper than " + std::to_string(TzelXMLParser2::MaxNestingDepth) +
                            " levels");
        // The slot first, so a failing allocation cannot leave the new element unowned.
        pendingChildren_.push_back(nullptr);
        element = NewElement();
        pendingChildren_.back() = element; // listed in its parent when the parent ends
    }
    element->name_.Borrow(name);
    if (!attributes.empty())
        ParseAttributes(element, attributes, true);
    return empty ? TagKind::EmptyElement : TagKind::ElementWithContent;
}

void TzelXMLReader::ReadEndTag(TzelXMLNode2 *element)
{
    // The end tag's "<" is at the read position and its ">" was found by ReadStartTag.
    std::string_view endName = Slice(position_ + 2, pendingTagEnd_ - 1);
    if (endName != element->name_.View())
        throw Exception("Opening and closing tags don't match " + std::string(element->name_.View()) + " " +
                        std::string(endName));
    position_ = pendingTagEnd_ + 1;
}

void TzelXMLReader::ParseTextContent(TzelXMLNode2 *element)
{
    size_t opener = FindTagStart(position_);
    if (!opener)
        throw Exception("Expected < when parsing text");
    std::string_view text;
    bool needsCDATA;
    if (StartsAt(opener, "<![CDATA[")) {
        position_ = opener + 9;
        size_t closer = Find("]]>", position_);
        if (!closer)
            throw Exception("Expected ]]> when parsing CDATA section");
        text = Trim(Slice(position_, closer - 1));
        position_ = closer + 3;
        needsCDATA = Contains(text, '<') || Contains(text, '>');
    } else {
        // Plain text ends at the next "<", so only a ">" can be in it.
        text = Trim(Slice(position_, opener - 1));
        position_ = opener;
        needsCDATA = Contains(text, '>');
    }
    element->text_.Borrow(text);
    element->SetTextNeedsCDATA(needsCDATA);
}

void TzelXMLReader::ParseAttributes(TzelXMLNode2 *element, std::string_view text, bool indexElement)
{
    // The attributes are gathered first and listed in one exact-size block; the ones read
    // before an error are listed all the same.
    pendingAttributes_.clear();
    try {
        std::string_view rest = Trim(text);
        while (!rest.empty()) {
            size_t equals = rest.find('=');
            if (equals == std::string_view::npos)
                throw Exception("missing = when parsing attributes");
            char delimiter = equals + 1 < rest.size() ? rest[equals + 1] : '\0';
            if (delimiter != '"' && delimiter != '\'')
                throw Exception("missing value delimiter when parsing attributes");
            size_t closer = rest.find(delimiter, equals + 2);
            if (closer == std::string_view::npos)
                throw Exception(std::string("Expected closing ") + delimiter + " when parsing attributes");
            std::string_view name = Trim(rest.substr(0, equals));
            std::string_view value = rest.substr(equals + 2, closer - equals - 2);
            if (value.find('&') == std::string_view::npos) {
                AddAttribute(name, std::string(value));
            } else {
                // "&amp;" goes last, so "&amp;lt;" gives "&lt;" and is not decoded again.
                std::string decoded = ReplaceEvery(value, "&lt;", "<");
                decoded = ReplaceEvery(decoded, "&gt;", ">");
                decoded = ReplaceEvery(decoded, "&apos;", "'");
                decoded = ReplaceEvery(decoded, "&quot;", "\"");
                decoded = ReplaceEvery(decoded, "&amp;", "&");
                AddAttribute(name, std::move(decoded));
            }
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

void TzelXMLReader::AddAttribute(std::string_view name, std::string value)
{
    // The slot first, so a failing allocation cannot leave the new attribute unowned.
    pendingAttributes_.push_back(nullptr);
    void *memory = document_.nodePool_.Allocate(sizeof(TzelXMLAttribute2));
    auto *attribute = ::new (memory) TzelXMLAttribute2;
    pendingAttributes_.back() = attribute;
    attribute->name_.assign(name);
    attribute->value_ = TzelVariant(std::move(value));
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
