#pragma once
// Small text helpers of the feed check: XML blanks trimmed off, ASCII lowered, a value quoted.
#include <cctype>
#include <string>
#include <string_view>

inline std::string_view Trimmed(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

inline std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char &c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered;
}

// A feed's text inside a one-line message: quoted, line breaks and runs of spaces made one
// space, and cut (between characters) after 60 bytes. Appended to line, which may hold the
// message so far.
inline void AppendQuoted(std::string &line, std::string_view text)
{
    constexpr size_t Longest = 60;
    const std::string_view trimmed = Trimmed(text);
    // Most texts are short and on one line with single spaces: quoted as they are.
    if (trimmed.size() <= Longest) {
        bool plain = true;
        for (size_t i = 0; i < trimmed.size() && plain; ++i) // a blank is never the last one
            plain = static_cast<unsigned char>(trimmed[i]) >= 0x20 && !(trimmed[i] == ' ' && trimmed[i + 1] == ' ');
        if (plain) {
            line.append(1, '"').append(trimmed).append(1, '"');
            return;
        }
    }
    const size_t start = line.size();
    line += '"';
    bool space = false;
    for (const char c : trimmed) {
        if (static_cast<unsigned char>(c) < 0x20 || c == ' ') {
            space = true;
            continue;
        }
        // The cut comes before a pending space, so no blank stands before the "...".
        if (line.size() - start > Longest && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            line += "...";
            break;
        }
        if (space)
            line += ' ';
        space = false;
        line += c;
    }
    line += '"';
}

inline std::string Quoted(std::string_view text)
{
    std::string line;
    line.reserve(68); // one block for the whole message part
    AppendQuoted(line, text);
    return line;
}
