#include "zelUtf16.h"

#include <cstdint>

namespace {

void PutUnit(std::string &out, uint16_t unit, TUtf16Order order)
{
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += order == TUtf16Order::BigEndian ? high : low;
    out += order == TUtf16Order::BigEndian ? low : high;
}

} // namespace

TUtf16Order Utf16OrderOf(std::string_view bytes)
{
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return TUtf16Order::LittleEndian;
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
        return TUtf16Order::BigEndian;
    return TUtf16Order::None;
}

std::optional<std::string> Utf16ToUtf8(std::string_view bytes, TUtf16Order order)
{
    if (order == TUtf16Order::None || bytes.size() % 2 != 0)
        return std::nullopt;
    auto unitAt = [&](size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<uint16_t>(order == TUtf16Order::BigEndian ? (first << 8 | second) : (second << 8 | first));
    };
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 2; i < bytes.size(); i += 2) {
        uint32_t code = unitAt(i);
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 3 >= bytes.size())
                return std::nullopt;
            const uint16_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return std::nullopt;
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view text, TUtf16Order order)
{
    std::string out;
    out.reserve(2 * text.size() + 2);
    PutUnit(out, 0xFEFF, order);
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) >> 6) == 2;
        uint32_t code = c;
        if (valid && length > 1) {
            code = c & (0x7F >> length);
            for (size_t k = 1; k < length; ++k)
                code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += valid ? length : 1;
        if (code >= 0x10000) {
            PutUnit(out, static_cast<uint16_t>(0xD800 + ((code - 0x10000) >> 10)), order);
            PutUnit(out, static_cast<uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)), order);
        } else {
            PutUnit(out, static_cast<uint16_t>(code), order);
        }
    }
    return out;
}

void AppendUtf8(std::string &out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}
