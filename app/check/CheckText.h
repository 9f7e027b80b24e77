#pragma once
// Small text helpers of the feed check: XML blanks trimmed off, ASCII lowered.
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
