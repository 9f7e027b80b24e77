#pragma once
// Entity and character references ("&amp;", "&#38;", "&#x26;", "&name;"): the XML-compatible
// reader keeps them as written and the writer tells them from a bare "&".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelReference {

// Which bytes may stand in a reference's name (ASCII letters and digits, "_:-.", and every byte
// of 128 and above), and which are decimal or hexadecimal digits, looked up in one table.
struct ByteClasses {
    static constexpr unsigned char Name = 1, Digit = 2, HexDigit = 4;
    unsigned char of[256] = {};
    constexpr ByteClasses()
    {
        for (int c = 0; c < 256; ++c) {
            const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            const bool digit = c >= '0' && c <= '9';
            if (letter || digit || c == '_' || c == ':' || c == '-' || c == '.' || c >= 128)
                of[c] |= Name;
            if (digit)
                of[c] |= Digit | HexDigit;
            if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
                of[c] |= HexDigit;
        }
    }
    bool Is(char c, unsigned char kind) const { return (of[static_cast<unsigned char>(c)] & kind) != 0; }
};
inline constexpr ByteClasses Bytes;

} // namespace zelReference

// The length of the reference the "&" at text[at] starts, or 0 when it starts none (inline:
// the writer asks for every "&" of every text).
inline size_t ReferenceLength(std::string_view text, size_t at)
{
    using zelReference::ByteClasses;
    using zelReference::Bytes;
    size_t i = at + 1;
    const size_t first = i;
    if (i < text.size() && text[i] == '#') {
        const bool hex = i + 1 < text.size() && text[i + 1] == 'x';
        i += hex ? 2 : 1;
        const size_t digits = i;
        const unsigned char kind = hex ? ByteClasses::HexDigit : ByteClasses::Digit;
        while (i < text.size() && Bytes.Is(text[i], kind))
            ++i;
        return i > digits && i < text.size() && text[i] == ';' ? i - at + 1 : 0;
    }
    while (i < text.size() && Bytes.Is(text[i], ByteClasses::Name))
        ++i;
    return i > first && i < text.size() && text[i] == ';' ? i - at + 1 : 0;
}

// True when a character reference's value is a character XML allows (a reference to any
// other, "&#0;" say, makes the file not well-formed).
inline bool IsXmlCharacter(unsigned long code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// The length of the reference the "&" at text[at] starts when it is one of XML's own: one of
// the five predefined entities or a character reference to an allowed character; otherwise 0.
// Every reader reads these without a DTD. With anyEntity, a reference to any named entity
// counts too (a document with a DTD may declare it).
inline size_t XmlReferenceLength(std::string_view text, size_t at, bool anyEntity = false)
{
    const size_t length = ReferenceLength(text, at);
    if (length == 0)
        return 0;
    const std::string_view name = text.substr(at + 1, length - 2);
    if (name[0] != '#')
        return anyEntity || name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos"
                   ? length
                   : 0;
    const bool hex = name[1] == 'x';
    unsigned long code = 0;
    for (char c : name.substr(hex ? 2 : 1)) {
        const unsigned long digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        code = code * (hex ? 16 : 10) + digit;
        if (code > 0x10FFFF)
            return 0;
    }
    return IsXmlCharacter(code) ? length : 0;
}

// True when the text holds a reference that is not one of XML's own ("&nbsp;", "&#0;").
inline bool HasOtherReference(std::string_view text)
{
    for (size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at + 1))
        if (ReferenceLength(text, at) && !XmlReferenceLength(text, at))
            return true;
    return false;
}

// The named entities a document's DOCTYPE lets stand as references in what is written: none
// without a DOCTYPE; any with an external subset or a parameter-entity reference in the internal
// subset (either may declare names a reader need not load, and readers then only warn);
// otherwise just those the internal subset declares ("<!ENTITY name ...").
class TzelDeclaredEntities {
public:
    explicit TzelDeclaredEntities(std::string_view prolog);
    bool Declares(std::string_view name) const;

private:
    bool any_ = false;
    std::vector<std::string> names_;
};

// As XmlReferenceLength, but a named entity counts only when the DOCTYPE declares it
// (entities: null for a document without one).
inline size_t KeptReferenceLength(std::string_view text, size_t at, const TzelDeclaredEntities *entities)
{
    const size_t length = XmlReferenceLength(text, at, entities != nullptr);
    if (length == 0 || !entities || text[at + 1] == '#' || XmlReferenceLength(text, at, false))
        return length;
    return entities->Declares(text.substr(at + 1, length - 2)) ? length : 0;
}
