#include "UrlEquivalence.h"

#include <cctype>

namespace {

char Lower(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char &c : lowered)
        c = Lower(c);
    return lowered;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool IsUnreserved(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' || c == '~';
}

// Percent-encoded unreserved characters as themselves, other encodings in upper case.
std::string PercentNormalized(std::string_view text)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t at = 0; at < text.size(); ++at) {
        const int high = text[at] == '%' && at + 2 < text.size() ? HexValue(text[at + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[at + 2]) : -1;
        if (low < 0) {
            out += text[at];
            continue;
        }
        const char decoded = char(high * 16 + low);
        if (IsUnreserved(decoded)) {
            out += decoded;
        } else {
            out += '%';
            out += Digits[high];
            out += Digits[low];
        }
        at += 2;
    }
    return out;
}

} // namespace

std::string ComparableUrl(std::string_view url)
{
    const size_t colon = url.find("://");
    if (colon == std::string_view::npos)
        return std::string(url);
    const std::string scheme = Lowered(url.substr(0, colon));
    if (scheme != "http" && scheme != "https")
        return std::string(url);
    const std::string_view rest = url.substr(colon + 3);
    const size_t authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view tail = rest.substr(authorityEnd);
    std::string userInfo;
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
        userInfo = std::string(authority.substr(0, at + 1));
        authority = authority.substr(at + 1);
    }
    // A port after the host (an IPv6 host is bracketed, its colons inside).
    const size_t bracket = authority.rfind(']');
    const size_t portColon = authority.rfind(':');
    std::string_view host = authority, port;
    if (portColon != std::string_view::npos && (bracket == std::string_view::npos || portColon > bracket)) {
        host = authority.substr(0, portColon);
        port = authority.substr(portColon + 1);
    }
    if (port == (scheme == "http" ? "80" : "443"))
        port = {};
    std::string comparable = scheme + "://" + userInfo + Lowered(PercentNormalized(host));
    if (!port.empty())
        comparable += ":" + std::string(port);
    if (tail.empty() || tail[0] != '/')
        comparable += '/';
    return comparable + PercentNormalized(tail);
}
