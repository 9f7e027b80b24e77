#include "zelXMLReference.h"

#include <cctype>

namespace {

bool IsNameByte(unsigned char c) { return std::isalnum(c) || c == '_' || c == ':' || c == '-' || c == '.' || c >= 128; }

} // namespace

size_t ReferenceLength(std::string_view text, size_t at)
{
    size_t i = at + 1;
    const size_t first = i;
    if (i < text.size() && text[i] == '#') {
        const bool hex = i + 1 < text.size() && text[i + 1] == 'x';
        i += hex ? 2 : 1;
        const size_t digits = i;
        while (i < text.size() && (hex ? std::isxdigit(static_cast<unsigned char>(text[i]))
                                       : std::isdigit(static_cast<unsigned char>(text[i]))))
            ++i;
        return i > digits && i < text.size() && text[i] == ';' ? i - at + 1 : 0;
    }
    while (i < text.size() && IsNameByte(static_cast<unsigned char>(text[i])))
        ++i;
    return i > first && i < text.size() && text[i] == ';' ? i - at + 1 : 0;
}
