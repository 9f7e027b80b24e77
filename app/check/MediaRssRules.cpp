#include "MediaRssRules.h"

#include "CheckText.h"
#include "CountryCodes.h"
#include "EbuRoleCodes.h"
#include "FeedValueForms.h"
#include "ReaderAttribute.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsOneOf(std::string_view text, std::initializer_list<std::string_view> values)
{
    return std::find(values.begin(), values.end(), text) != values.end();
}

std::string Attribute(xmlTextReaderPtr reader, const char *name, bool &present)
{
    return std::string(Trimmed(AttributeOf(reader, name, present)));
}

std::string Choices(std::initializer_list<std::string_view> values)
{
    std::string text;
    size_t i = 0;
    for (const std::string_view value : values) {
        text.append(i == 0 ? "" : i + 1 == values.size() ? " or " : ", ").append(value);
        ++i;
    }
    return text;
}

// The values each rating scheme the namespace names allows (lower case, as it writes them).
bool IsRating(std::string_view scheme, std::string_view value)
{
    if (scheme == "urn:simple")
        return IsOneOf(value, {"adult", "nonadult"});
    if (scheme == "urn:mpaa")
        return IsOneOf(value, {"g", "pg", "pg-13", "r", "nc-17", "x"});
    if (scheme == "urn:v-chip")
        return IsOneOf(value, {"tv-y", "tv-y7", "tv-y7-fv", "tv-g", "tv-pg", "tv-14", "tv-ma", "g", "pg",
                               "14+", "18+", "c", "c8"});
    if (scheme == "urn:icra") // a label such as "r (cz 1 lz 1 mz 1 oz 1 vz 1)"
        return value.size() > 4 && value[0] == 'r' && value.find('(') != std::string_view::npos &&
               value.back() == ')';
    return true; // a scheme of the feed's own
}

bool IsHex(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

} // namespace

void TMediaRssRules::Start(xmlTextReaderPtr reader, std::string_view local, const TElementName &parent)
{
    const std::string element = "media:" + std::string(local);
    bool present = false;
    // What describes one media object stands once in it (its title, description, copyright).
    if (IsOneOf(local, {"title", "description", "copyright"})) {
        std::vector<std::string> &seen = onceSeen_.back();
        if (std::find(seen.begin(), seen.end(), local) != seen.end())
            Report("a second " + element + " in the same " + std::string(parent.Name) + "; a media object has one");
        else
            seen.emplace_back(local);
    }
    if (local == "group" || local == "content")
        onceSeen_.emplace_back();
    if (local == "group") {
        groupContents_.push_back(0);
    } else if (local == "content") {
        if (!groupContents_.empty() && parent.Local == "group")
            ++groupContents_.back();
        StartContent(reader, element);
    } else if (local == "thumbnail") {
        CheckUrl(reader, element, true);
        for (const char *number : {"width", "height"}) {
            const std::string value = Attribute(reader, number, present);
            if (present && !IsWholeNumber(value))
                Report(element + " " + number + " " + Quoted(value) + " is not a whole number");
        }
        const std::string time = Attribute(reader, "time", present);
        if (present && !IsNormalPlayTime(time))
            Report(element + " time " + Quoted(time) + " is not a time such as 12.5 or 0:01:02.5");
    } else if (local == "player") {
        CheckUrl(reader, element, true);
        for (const char *number : {"width", "height"}) {
            const std::string value = Attribute(reader, number, present);
            if (present && !IsWholeNumber(value))
                Report(element + " " + number + " " + Quoted(value) + " is not a whole number");
        }
    } else if (local == "rating") {
        const std::string scheme = Attribute(reader, "scheme", present);
        if (present && !IsAbsoluteUrl(scheme))
            Report(element + " scheme " + Quoted(scheme) + " is not a URI");
        ratingScheme_ = present ? scheme : "urn:simple";
    } else if (local == "restriction") {
        bool relationship = false;
        // Early Media RSS feeds wrote "disallow"; readers take it for deny.
        if (AttributeOf(reader, "relationship", relationship) == "disallow")
            report_(TFindingSeverity::Warning, element + " relationship \"disallow\" should be written \"deny\"");
        else
            CheckChoice(reader, element, "relationship", {"allow", "deny"});
        if (!relationship)
            Report(element + " has no relationship (allow or deny)");
        CheckChoice(reader, element, "type", {"country", "uri", "sharing"});
        restrictionType_ = Attribute(reader, "type", restrictionTyped_);
    } else if (local == "hash") {
        CheckChoice(reader, element, "algo", {"md5", "sha-1"});
        const std::string algorithm = Attribute(reader, "algo", present);
        hashAlgorithm_ = present ? algorithm : "md5";
    } else if (local == "text") {
        CheckChoice(reader, element, "type", {"plain", "html"});
        for (const char *time : {"start", "end"}) {
            const std::string value = Attribute(reader, time, present);
            if (present && !IsNormalPlayTime(value))
                Report(element + " " + time + " " + Quoted(value) + " is not a time such as 12.5 or 0:01:02.5");
        }
        const std::string language = Attribute(reader, "lang", present);
        if (present && !IsLanguageTag(language))
            Report(element + " lang " + Quoted(language) + " is not a language code such as \"en\"");
    } else if (local == "title" || local == "description") {
        CheckChoice(reader, element, "type", {"plain", "html"});
    } else if (local == "copyright") {
        CheckUrl(reader, element, false); // a page of the terms of use
    } else if (local == "category" || local == "credit") {
        const std::string scheme = Attribute(reader, "scheme", present);
        if (present && !IsAbsoluteUrl(scheme))
            Report(element + " scheme " + Quoted(scheme) + " is not a URI");
        if (local == "credit")
            CheckCreditRole(reader, present ? scheme : "urn:ebu");
    }
}

// The roles a credit's scheme takes: the EBU's role codes (the default scheme), or uploader and
// owner under urn:yvs; a scheme of the feed's own takes any.
void TMediaRssRules::CheckCreditRole(xmlTextReaderPtr reader, std::string_view scheme)
{
    bool present = false;
    const std::string role = Attribute(reader, "role", present);
    if (!present)
        return;
    if (role != Lowered(role)) // the namespace writes roles so
        Report("media:credit role " + Quoted(role) + " is not in lower case");
    else if (scheme == "urn:ebu" && !IsEbuRoleCode(role))
        Report("media:credit role " + Quoted(role) + " is not one of the EBU's role codes, which the scheme urn:ebu takes");
    else if (scheme == "urn:yvs" && !IsOneOf(role, {"uploader", "owner"}))
        Report("media:credit role " + Quoted(role) + " is not uploader or owner, which the scheme urn:yvs takes");
}

// A restriction lists countries (ISO 3166 codes) or URIs, separated by blanks, or says "all" or
// "none"; only those two may stand without a type.
void TMediaRssRules::EndRestriction(std::string_view text)
{
    const std::string quoted = "media:restriction " + Quoted(text);
    if (text.empty() || text == "all" || text == "none")
        return;
    if (!restrictionTyped_) {
        Report(quoted + " has no type (country, uri or sharing); only \"all\" or \"none\" stand without one");
        return;
    }
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(' ', start), text.size());
        const std::string_view entry = text.substr(start, end - start);
        start = end + 1;
        if (entry.empty())
            continue;
        if (restrictionType_ == "country" && !IsCountryCode(entry)) {
            Report(quoted + " holds " + Quoted(entry) + ", which is no ISO 3166 country code");
            return;
        }
        if (restrictionType_ == "uri" && (NeedsPercentEncoding(entry) || !IsAbsoluteUrl(entry))) {
            Report(quoted + " holds " + Quoted(entry) + ", which is no absolute URI");
            return;
        }
    }
}

void TMediaRssRules::StartContent(xmlTextReaderPtr reader, std::string_view element)
{
    bool present = false;
    CheckUrl(reader, element, false);
    const std::string prefix = std::string(element) + " ";
    for (const char *whole : {"fileSize", "width", "height", "duration", "channels"}) {
        const std::string value = Attribute(reader, whole, present);
        if (present && !IsWholeNumber(value))
            Report(prefix + whole + " " + Quoted(value) + " is not a whole number");
        else if (present && whole == std::string_view("fileSize") && WholeNumberUpTo(value, 1) == 0)
            Report(prefix + "fileSize is 0; it is the number of bytes of the media object");
    }
    for (const char *decimal : {"bitrate", "framerate", "samplingrate"}) {
        const std::string value = Attribute(reader, decimal, present);
        if (present && !IsDecimalNumber(value))
            Report(prefix + decimal + " " + Quoted(value) + " is not a number");
    }
    CheckChoice(reader, element, "medium", {"image", "audio", "video", "document", "executable"});
    CheckChoice(reader, element, "expression", {"sample", "full", "nonstop"});
    CheckChoice(reader, element, "isDefault", {"true", "false"});
    const std::string type = Attribute(reader, "type", present);
    if (present && !IsMimeType(type))
        Report(prefix + "type " + Quoted(type) + " is not a MIME type");
    const std::string language = Attribute(reader, "lang", present);
    if (present && !IsLanguageTag(language))
        Report(prefix + "lang " + Quoted(language) + " is not a language code such as \"en\"");
}

void TMediaRssRules::CheckUrl(xmlTextReaderPtr reader, std::string_view element, bool required)
{
    bool present = false;
    const std::string url = Attribute(reader, "url", present);
    if (!present || url.empty()) {
        if (required)
            Report(std::string(element) + " has no url");
    } else if (NeedsPercentEncoding(url)) {
        Report(std::string(element) + " url " + Quoted(url) +
               " holds blanks or letters beyond ASCII; a URL has them percent-encoded");
    } else if (!IsAbsoluteUrl(url)) {
        Report(std::string(element) + " url " + Quoted(url) + " is not an absolute URL");
    }
}

void TMediaRssRules::CheckChoice(xmlTextReaderPtr reader, std::string_view element, const char *attribute,
                                 std::initializer_list<std::string_view> values)
{
    bool present = false;
    const std::string value = Attribute(reader, attribute, present);
    if (present && !IsOneOf(value, values))
        Report(std::string(element) + " " + attribute + " " + Quoted(value) + " is not " + Choices(values));
}

void TMediaRssRules::End(std::string_view local, std::string_view text)
{
    const std::string quoted = "media:" + std::string(local) + " " + Quoted(text);
    if ((local == "group" || local == "content") && onceSeen_.size() > 1)
        onceSeen_.pop_back();
    if (local == "group") {
        if (!groupContents_.empty() && groupContents_.back() < 2)
            Report("media:group holds fewer than two media:content; a group holds alternatives of "
                   "the same media");
        if (!groupContents_.empty())
            groupContents_.pop_back();
    } else if (local == "rating") {
        if (!IsRating(ratingScheme_, text))
            Report(quoted + " is not a rating of the scheme " + ratingScheme_);
    } else if (local == "restriction") {
        EndRestriction(text);
    } else if (local == "hash" && IsOneOf(hashAlgorithm_, {"md5", "sha-1"})) {
        const size_t digits = hashAlgorithm_ == "sha-1" ? 40 : 32;
        if (text.size() != digits || !IsHex(text))
            Report(quoted + " is not " + std::to_string(digits) + " hexadecimal digits, an " +
                   (hashAlgorithm_ == "sha-1" ? "SHA-1" : "MD5") + " hash");
    }
}
