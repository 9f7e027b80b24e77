#include "PodcastRules.h"

#include "CheckText.h"
#include "ConversationsNetworkRules.h"
#include "FeedValueForms.h"
#include "ItunesCategories.h"
#include "KnownNamespaces.h"
#include "ReaderAttribute.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

std::string Attribute(xmlTextReaderPtr reader, const char *name, bool &present)
{
    return std::string(Trimmed(AttributeOf(reader, name, present)));
}

bool IsOneOf(std::string_view text, std::initializer_list<std::string_view> values)
{
    return std::find(values.begin(), values.end(), text) != values.end();
}

// Seconds ("1234") or [H:]MM:SS ("3:05", "1:02:03"), as Apple reads a duration.
bool IsDuration(std::string_view text)
{
    if (IsWholeNumber(text))
        return true;
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string_view::npos)
            break;
        start = colon + 1;
    }
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    // The first part may run over (75:00 is 75 minutes); the others are 00 to 59.
    if (!IsWholeNumber(parts[0]))
        return false;
    for (size_t i = 1; i < parts.size(); ++i)
        if (parts[i].size() != 2 || !IsWholeNumber(parts[i]) || WholeNumberUpTo(parts[i], 59) > 59)
            return false;
    return true;
}

// Characters of UTF-8 text: the bytes that start one.
size_t CharacterCount(std::string_view text)
{
    return size_t(std::count_if(text.begin(), text.end(),
                                [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A tag such as "<b>" or "</p>" in the text as readers read it.
bool HoldsMarkup(std::string_view text)
{
    for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        const size_t next = at + (at + 1 < text.size() && text[at + 1] == '/' ? 2 : 1);
        if (next < text.size() && std::isalpha(static_cast<unsigned char>(text[next])) &&
            text.find('>', next) != std::string_view::npos)
            return true;
    }
    return false;
}

// 8-4-4-4-12 hexadecimal digits.
bool IsUuid(std::string_view text)
{
    if (text.size() != 36)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? c != '-' : !std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// What a podcast: feed holds, as the namespace lists the mediums: each also as a list of such
// feeds' items (its name with an "L"), and "mixed" for a list of several.
bool IsPodcastMedium(std::string_view text)
{
    if (text == "mixed")
        return true;
    if (!text.empty() && text.back() == 'L')
        text.remove_suffix(1);
    return IsOneOf(text, {"podcast", "music", "video", "film", "audiobook", "newsletter", "blog", "publisher",
                          "course"});
}

} // namespace

void TPodcastRules::Start(xmlTextReaderPtr reader, const TElementName &element,
                          const TElementName &parent)
{
    if (element.Uri == Namespaces::Itunes)
        StartItunes(reader, element.Local, parent);
    else if (element.Uri == Namespaces::Podcast || element.Uri == Namespaces::PodcastFirst)
        StartPodcast(reader, element.Local);
    else if (element.Uri == Namespaces::ConversationsNetwork)
        StartConversationsNetwork(reader, element, report_);
}

void TPodcastRules::End(const TElementName &element, std::string_view text, std::string_view written,
                        const TElementName &parent)
{
    if (element.Uri == Namespaces::Itunes)
        EndItunes(element.Local, text, written, parent);
    else if (element.Uri == Namespaces::Podcast || element.Uri == Namespaces::PodcastFirst)
        EndPodcast(element.Local, text);
    else if (element.Uri == Namespaces::ConversationsNetwork)
        EndConversationsNetwork(element, text, report_);
}

std::optional<TFindingSeverity> TPodcastRules::ChannelEnded(const TChannelFacts &facts)
{
    if (!channelItunes_ && facts.Episodes == 0)
        return std::nullopt; // no podcast: Apple's rules do not apply
    // A podcast by its channel is meant for the directories: what they refuse is an error. A
    // feed with enclosures and no itunes: tag may well be a blog: it is told what Apple needs.
    const TFindingSeverity severity = channelItunes_ ? TFindingSeverity::Error : TFindingSeverity::Warning;
    std::vector<std::string_view> missing;
    for (const auto &[has, name] : {std::pair{facts.HasLanguage, "language"},
                                    std::pair{channelImage_, "itunes:image"},
                                    std::pair{channelCategory_, "itunes:category"},
                                    std::pair{channelExplicit_, "itunes:explicit"}})
        if (!has)
            missing.push_back(name);
    if (!missing.empty()) {
        std::string list;
        for (size_t i = 0; i < missing.size(); ++i)
            list.append(i == 0 ? "" : i + 1 == missing.size() ? " or " : ", ").append(missing[i]);
        const char *them = missing.size() == 1 ? "it" : "them";
        if (channelItunes_)
            Report(severity, "the podcast has no " + list + ": Apple Podcasts refuses a show without " + them);
        else
            Report(severity, "the channel has enclosures but no " + list +
                                 ": Apple Podcasts needs " + them + " to list the feed as a podcast");
    }
    if (facts.Episodes == 0)
        Report(severity, "the podcast has no episode (an item with an enclosure): Apple Podcasts "
                         "refuses a show without one");
    return severity;
}

void TPodcastRules::StartItunes(xmlTextReaderPtr reader, std::string_view local,
                                const TElementName &parent)
{
    const bool inChannel = parent.Uri.empty() && parent.Name == "channel";
    channelItunes_ |= inChannel;
    CheckOnce(local, inChannel);
    if (local == "duration" && inChannel)
        Report(TFindingSeverity::Error, "itunes:duration belongs in an episode, not in the channel");
    if (local == "category") {
        channelCategory_ |= inChannel;
        CheckCategory(reader, parent);
    } else if (local == "image") {
        channelImage_ |= inChannel;
        CheckImage(reader);
    } else if (local == "explicit") {
        channelExplicit_ |= inChannel;
    } else if (local == "owner") {
        ownerEmail_ = false;
    }
}

// The tags Apple reads once per show or episode: a second one leaves it guessing.
void TPodcastRules::CheckOnce(std::string_view local, bool inChannel)
{
    static constexpr std::string_view Once[] = {
        "author",   "block",  "complete", "duration", "episode", "episodeType", "explicit", "image",
        "keywords", "new-feed-url", "owner", "season",  "subtitle", "summary", "title", "type"};
    const auto known = std::find(std::begin(Once), std::end(Once), local);
    if (known == std::end(Once))
        return;
    std::vector<std::string_view> &seen = inChannel ? channelOnce_ : itemOnce_;
    if (std::find(seen.begin(), seen.end(), *known) != seen.end())
        Report(TFindingSeverity::Error, "a second itunes:" + std::string(local) + " in the " +
                                            (inChannel ? "channel" : "item") + "; Apple takes it once");
    else
        seen.push_back(*known);
}

void TPodcastRules::CheckCategory(xmlTextReaderPtr reader, const TElementName &parent)
{
    bool present = false;
    const std::string text = Attribute(reader, "text", present);
    if (text.empty()) {
        Report(TFindingSeverity::Error, "itunes:category has no text");
        return;
    }
    const bool sub = parent.Uri == Namespaces::Itunes && parent.Local == "category";
    // Apple moved these in 2019 and still maps them: a warning that names the current one.
    const std::string_view current = RetiredItunesCategory(sub ? parentCategory_ : "", text);
    if (!current.empty()) {
        Report(TFindingSeverity::Warning, "itunes:category " + Quoted(text) + " is from Apple's list "
                                          "before 2019: use " + Quoted(current));
        if (!sub) {
            category_ = nullptr;
            parentCategory_.clear(); // its subcategories are told by its own words
        }
        return;
    }
    if (sub) {
        if (category_ && !IsItunesSubcategory(*category_, text))
            Report(TFindingSeverity::Error, "itunes:category " + Quoted(text) +
                                                " is not one of Apple's subcategories of " +
                                                Quoted(category_->Name));
        return;
    }
    category_ = FindItunesCategory(text);
    parentCategory_ = text;
    if (category_)
        return;
    for (const TItunesCategory &category : ItunesCategories())
        if (IsItunesSubcategory(category, text)) {
            Report(TFindingSeverity::Error, "itunes:category " + Quoted(text) +
                                                " is a subcategory: it goes inside the category " +
                                                Quoted(category.Name));
            return;
        }
    Report(TFindingSeverity::Error, "itunes:category " + Quoted(text) + " is not one of Apple's categories");
}

void TPodcastRules::CheckImage(xmlTextReaderPtr reader)
{
    bool present = false;
    const std::string href = Attribute(reader, "href", present);
    const std::string path = Lowered(href.substr(0, href.find_first_of("?#")));
    const auto endsWith = [&](std::string_view end) {
        return path.size() >= end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
    };
    if (href.empty())
        Report(TFindingSeverity::Error, "itunes:image has no href");
    else if (!IsAbsoluteHttpUrl(href))
        Report(TFindingSeverity::Error,
               "itunes:image href " + Quoted(href) + " is not an absolute http or https URL");
    else if (!endsWith(".jpg") && !endsWith(".jpeg") && !endsWith(".png"))
        Report(TFindingSeverity::Error, "itunes:image href " + Quoted(href) +
                                            " does not end in .jpg or .png, the pictures Apple takes");
}

void TPodcastRules::EndItunes(std::string_view local, std::string_view text, std::string_view written,
                              const TElementName &parent)
{
    const std::string quoted = "itunes:" + std::string(local) + " " + Quoted(text);
    // Apple's limits on a tag's text, in characters.
    const size_t longest = local == "summary" ? 4000 : local == "subtitle" || local == "keywords" ? 255 : 0;
    if (longest && CharacterCount(text) > longest)
        Report(TFindingSeverity::Error, "itunes:" + std::string(local) + " has " +
                                            std::to_string(CharacterCount(text)) + " characters; Apple takes " +
                                            std::to_string(longest) + " at most");
    if (local == "explicit" && written != text) {
        Report(TFindingSeverity::Error, quoted + " has blanks around it; Apple reads the value as written");
    } else if (local == "explicit") {
        if (IsOneOf(text, {"yes", "no", "clean"}))
            Report(TFindingSeverity::Warning, quoted + " is an older form: Apple asks for true or false");
        else if (!IsOneOf(text, {"true", "false"}))
            Report(TFindingSeverity::Error, quoted + " is neither true nor false");
    } else if (local == "duration" && !IsDuration(text)) {
        Report(TFindingSeverity::Error, quoted + " is neither seconds nor [H:]MM:SS");
    } else if ((local == "episode" || local == "season") && WholeNumberUpTo(text, 1) < 1) {
        Report(TFindingSeverity::Error, quoted + " is not a whole number from 1 up");
    } else if (local == "type" && !IsOneOf(text, {"episodic", "serial"})) {
        Report(TFindingSeverity::Error, quoted + " is neither episodic nor serial");
    } else if (local == "episodeType" && !IsOneOf(text, {"full", "trailer", "bonus"})) {
        Report(TFindingSeverity::Error, quoted + " is not full, trailer or bonus");
    } else if (local == "email" && parent.Uri == Namespaces::Itunes && parent.Local == "owner") {
        ownerEmail_ = true;
        if (!IsEmailAddress(text))
            Report(TFindingSeverity::Error, quoted + " is not an email address");
    } else if (local == "owner" && !ownerEmail_) {
        Report(TFindingSeverity::Error, "itunes:owner has no itunes:email");
    } else if (local == "block" && !IsOneOf(Lowered(text), {"yes", "no"})) {
        Report(TFindingSeverity::Error, quoted + " is neither Yes nor No");
    } else if (local == "subtitle" && HoldsMarkup(text)) {
        Report(TFindingSeverity::Error, quoted + " holds HTML; Apple shows a subtitle as plain text");
    }
}

void TPodcastRules::StartPodcast(xmlTextReaderPtr reader, std::string_view local)
{
    bool present = false;
    const auto needsUrl = [&](const char *attribute) {
        const std::string url = Attribute(reader, attribute, present);
        const std::string name = "podcast:" + std::string(local) + " " + attribute;
        if (url.empty())
            Report(TFindingSeverity::Error, "podcast:" + std::string(local) + " has no " + attribute);
        else if (!IsAbsoluteHttpUrl(url))
            Report(TFindingSeverity::Error, name + " " + Quoted(url) + " is not an absolute http or https URL");
        else if (Lowered(UrlScheme(url)) == "http") // the namespace asks for https throughout
            Report(TFindingSeverity::Warning, name + " " + Quoted(url) + " should be an https URL");
    };
    const auto needsType = [&] {
        const std::string type = Attribute(reader, "type", present);
        if (type.empty())
            Report(TFindingSeverity::Error, "podcast:" + std::string(local) + " has no type");
        else if (!IsMimeType(type))
            Report(TFindingSeverity::Error,
                   "podcast:" + std::string(local) + " type " + Quoted(type) + " is not a MIME type");
    };
    if (local == "transcript" || local == "chapters") {
        needsUrl("url");
        needsType();
    } else if (local == "funding") {
        needsUrl("url");
    } else if (local == "soundbite") {
        // Where the soundbite starts and how long it runs, in seconds.
        for (const char *time : {"startTime", "duration"}) {
            const std::string value = Attribute(reader, time, present);
            if (!present)
                Report(TFindingSeverity::Error, "podcast:soundbite has no " + std::string(time));
            else if (!IsDecimalNumber(value))
                Report(TFindingSeverity::Error, "podcast:soundbite " + std::string(time) + " " + Quoted(value) +
                                                    " is not a number of seconds");
        }
    } else if (local == "locked") {
        const std::string owner = Attribute(reader, "owner", present);
        if (present && !IsEmailAddress(owner))
            Report(TFindingSeverity::Error, "podcast:locked owner " + Quoted(owner) + " is not an email address");
    }
}

void TPodcastRules::EndPodcast(std::string_view local, std::string_view text)
{
    const std::string quoted = "podcast:" + std::string(local) + " " + Quoted(text);
    if (local == "guid" && !IsUuid(text))
        Report(TFindingSeverity::Error, quoted + " is not a UUID");
    else if (local == "locked" && !IsOneOf(text, {"yes", "no"}))
        Report(TFindingSeverity::Error, quoted + " is neither yes nor no");
    else if (local == "season" && !IsWholeNumber(text))
        Report(TFindingSeverity::Error, quoted + " is not a whole number");
    else if (local == "episode" && !IsDecimalNumber(text))
        Report(TFindingSeverity::Error, quoted + " is not a number");
    else if (local == "medium" && !IsPodcastMedium(text))
        Report(TFindingSeverity::Error, quoted + " is not a medium the namespace lists (podcast, music, video, "
                                                 "film, audiobook, newsletter, blog, publisher, course, each "
                                                 "also with L for a list of them, or mixed)");
}
