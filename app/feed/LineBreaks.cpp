#include "LineBreaks.h"

std::string LineBreakOf(std::string_view text, std::string_view fallback)
{
    if (text.find("\r\n") != std::string_view::npos)
        return "\r\n";
    if (text.find('\n') != std::string_view::npos)
        return "\n";
    return std::string(fallback);
}

std::string WithLineBreaks(std::string_view text, std::string_view lineBreak)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\r' || c == '\n') {
            result += lineBreak;
            if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
                ++at;
        } else {
            result += c;
        }
    }
    return result;
}
