#include "FeedValueForms.h"

#include "CheckText.h"

#include <algorithm>
#include <array>

namespace {

// A URL is ASCII: a letter beyond it makes an IRI, which readers that want a URI refuse.
// A table, as every URL of a feed is read through it more than once.
constexpr std::array<bool, 256> UrlCharacters = [] {
    std::array<bool, 256> table{};
    for (int byte = 0x21; byte < 0x7F; ++byte)
        table[byte] = byte != '"' && byte != '<' && byte != '>';
    return table;
}();

bool IsUrlCharacter(char c) { return UrlCharacters[static_cast<unsigned char>(c)]; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// prefix is written in lower case; ASCII's case only, with no copy of the text.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != prefix[i])
            return false;
    }
    return true;
}

} // namespace

bool IsAbsoluteHttpUrl(std::string_view url)
{
    size_t hostStart;
    if (StartsWithIgnoringCase(url, "http://"))
        hostStart = 7;
    else if (StartsWithIgnoringCase(url, "https://"))
        hostStart = 8;
    else
        return false;
    if (!std::all_of(url.begin(), url.end(), IsUrlCharacter))
        return false;
    std::string_view authority = url.substr(hostStart);
    size_t authorityEnd = 0;
    while (authorityEnd < authority.size() && authority[authorityEnd] != '/' && authority[authorityEnd] != '?' &&
           authority[authorityEnd] != '#')
        ++authorityEnd;
    authority = authority.substr(0, authorityEnd);
    authority = authority.substr(authority.find('@') + 1); // npos + 1 == 0: no user part
    const size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
        for (const char c : authority.substr(colon + 1))
            if (c < '0' || c > '9')
                return false;
        authority = authority.substr(0, colon);
    }
    return !authority.empty();
}

bool IsWholeNumber(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

long WholeNumberUpTo(std::string_view text, long largest)
{
    if (!IsWholeNumber(text))
        return -1;
    long value = 0;
    for (const char c : text)
        if ((value = value * 10 + (c - '0')) > largest)
            return largest + 1;
    return value;
}

bool IsDecimalNumber(std::string_view text, bool allowSign)
{
    if (allowSign && !text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    if (point == std::string_view::npos)
        return IsWholeNumber(whole);
    const std::string_view fraction = text.substr(point + 1);
    return (IsWholeNumber(whole) || whole.empty()) && IsWholeNumber(fraction);
}

bool IsNormalPlayTime(std::string_view text)
{
    if (text == "now" || IsDecimalNumber(text))
        return true;
    const size_t first = text.find(':'), second = text.find(':', first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos)
        return false;
    const std::string_view minutes = text.substr(first + 1, second - first - 1);
    const std::string_view seconds = text.substr(second + 1);
    return IsWholeNumber(text.substr(0, first)) && minutes.size() == 2 && IsWholeNumber(minutes) && WholeNumberUpTo(minutes, 59) <= 59 &&
           IsDecimalNumber(seconds) && seconds.size() >= 2 && seconds[0] <= '5' && seconds[1] != '.';
}

bool NeedsPercentEncoding(std::string_view url)
{
    return !std::all_of(url.begin(), url.end(), IsUrlCharacter);
}

bool IsMimeType(std::string_view text)
{
    const auto isToken = [](std::string_view token) {
        if (token.empty())
            return false;
        for (const char c : token)
            if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F ||
                std::string_view("()<>@,;:\\\"/[]?=").find(c) != std::string_view::npos)
                return false;
        return true;
    };
    const std::string_view type = Trimmed(text.substr(0, text.find(';')));
    const size_t slash = type.find('/');
    return slash != std::string_view::npos && isToken(type.substr(0, slash)) &&
           isToken(type.substr(slash + 1));
}

std::string_view UrlScheme(std::string_view url)
{
    if (url.empty() || !IsAsciiLetter(url.front()))
        return {};
    for (size_t i = 1; i < url.size(); ++i) {
        const char c = url[i];
        if (c == ':')
            return url.substr(0, i);
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.')
            return {};
    }
    return {};
}

bool IsAbsoluteUrl(std::string_view url)
{
    const std::string_view scheme = UrlScheme(url);
    const auto named = [&](std::string_view name) {
        return scheme.size() == name.size() && StartsWithIgnoringCase(scheme, name);
    };
    if (named("http") || named("https"))
        return IsAbsoluteHttpUrl(url);
    return !scheme.empty() && url.size() > scheme.size() + 1 &&
           std::all_of(url.begin(), url.end(), IsUrlCharacter);
}

bool IsRelativeUrl(std::string_view url)
{
    return UrlScheme(url).empty() && std::all_of(url.begin(), url.end(), IsUrlCharacter);
}

bool IsEmailAddress(std::string_view text)
{
    const size_t at = text.find('@');
    if (at == std::string_view::npos || at == 0)
        return false;
    const std::string_view local = text.substr(0, at), domain = text.substr(at + 1);
    const auto localCharacter = [](char c) {
        return IsAsciiLetter(c) || IsAsciiDigit(c) ||
               std::string_view("!#$%&'*+/=?^_`{|}~.-").find(c) != std::string_view::npos;
    };
    const auto domainCharacter = [](char c) {
        return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '.' || c == '-';
    };
    return std::all_of(local.begin(), local.end(), localCharacter) &&
           std::all_of(domain.begin(), domain.end(), domainCharacter) &&
           domain.find('.') != std::string_view::npos && domain.front() != '.' &&
           domain.back() != '.' && domain.find("..") == std::string_view::npos;
}

TAddressForm AddressForm(std::string_view text)
{
    text = Trimmed(text);
    const size_t space = text.find_first_of(" \t\r\n");
    const std::string_view address = text.substr(0, space);
    if (IsEmailAddress(address)) {
        if (space == std::string_view::npos)
            return TAddressForm::Address;
        const std::string_view name = Trimmed(text.substr(space));
        if (name.size() >= 2 && name.front() == '(' && name.back() == ')')
            return TAddressForm::Address;
    }
    // "Ann Lee <ann@example.org>" and the like: an address is there, in another form.
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find_first_of(" \t\r\n<>()[],;:\"", start);
        const std::string_view word = text.substr(start, end - start);
        if (IsEmailAddress(word))
            return TAddressForm::OtherForm;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return TAddressForm::NoAddress;
}

bool IsLanguageTag(std::string_view text)
{
    const size_t dash = text.find('-');
    const std::string_view primary = text.substr(0, dash);
    const bool primaryFits = primary.size() == 2 || primary.size() == 3 ||
                             Lowered(primary) == "i" || Lowered(primary) == "x";
    if (!primaryFits || !std::all_of(primary.begin(), primary.end(), IsAsciiLetter))
        return false;
    for (size_t start = dash; start != std::string_view::npos;) {
        const size_t end = text.find('-', start + 1);
        const std::string_view subtag = text.substr(start + 1, end - start - 1);
        if (subtag.empty() || subtag.size() > 8 ||
            !std::all_of(subtag.begin(), subtag.end(),
                         [](char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }))
            return false;
        start = end;
    }
    return true;
}
