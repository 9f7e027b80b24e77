#pragma once
// Entity and character references ("&amp;", "&#38;", "&#x26;", "&name;"): the XML-compatible
// reader keeps them as written and the writer tells them from a bare "&".
#include <cstddef>
#include <string_view>

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
