#pragma once
// UTF-16 files in XML-compatible mode: the engine works on 8-bit text, so a file that starts
// with a UTF-16 byte-order mark is read as UTF-8 and written back as UTF-16 with its mark.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class TUtf16Order { None, LittleEndian, BigEndian };

// The order a UTF-16 byte-order mark at the start of bytes names, or None.
TUtf16Order Utf16OrderOf(std::string_view bytes);

// The UTF-8 form of UTF-16 bytes after the mark; nothing when they are not valid UTF-16.
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, TUtf16Order order);

// The UTF-16 form, with the mark, of UTF-8 text (bytes that are not UTF-8 go as Latin-1).
std::string Utf8ToUtf16(std::string_view text, TUtf16Order order);

// Appends code point code as UTF-8.
void AppendUtf8(std::string &out, uint32_t code);
