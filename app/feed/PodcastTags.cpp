#include "PodcastTags.h"

#include "ItemCommands.h"
#include "ReaderText.h"
#include "TextAsRead.h"
#include "zelException.h"
#include "zelStrings.h"
#include "zelXMLNode2.h"
#include "zelXMLParser2.h"

#include <QByteArray>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// The elements a tag's element sits in, innermost first: where its prefix may be declared.
using TScopes = std::vector<const TzelXMLNode2 *>;

// A step of a tag's path: "itunes:owner" (a namespace's element) or "language" (RSS's own).
struct TStep {
    std::string_view Namespace; // "itunes", "podcast" or "" for none
    std::string_view Local;
};

TStep StepOf(std::string_view step)
{
    const size_t colon = step.find(':');
    if (colon == std::string_view::npos)
        return {{}, step};
    return {step.substr(0, colon), step.substr(colon + 1)};
}

bool UriIsNamespace(std::string_view uri, std::string_view ns)
{
    if (ns == "itunes")
        return uri == PodcastNamespaces::Itunes;
    return uri == PodcastNamespaces::Podcast || uri == PodcastNamespaces::PodcastFirst;
}

std::string_view BoundUri(const TScopes &scopes, std::string_view prefix)
{
    const std::string declaration = "xmlns:" + std::string(prefix);
    for (const TzelXMLNode2 *scope : scopes)
        if (const int index = scope->AttributeIndex(declaration); index >= 0)
            return scope->Attributes()[index]->ValueText();
    return {};
}

bool Matches(const TzelXMLNode2 &child, TStep step, const TScopes &scopes)
{
    const std::string_view name = child.NameView();
    const size_t colon = name.find(':');
    if (step.Namespace.empty())
        return name == step.Local;
    return colon != std::string_view::npos && name.substr(colon + 1) == step.Local &&
           UriIsNamespace(BoundUri(scopes, name.substr(0, colon)), step.Namespace);
}

TzelXMLNode2 *FindStep(const TzelXMLNode2 &parent, TStep step, const TScopes &scopes)
{
    for (int p = 0; p < parent.ChildCount(); ++p)
        if (TzelXMLNode2 *child = parent.ChildAt(p); child && Matches(*child, step, scopes))
            return child;
    return nullptr;
}

std::vector<TStep> StepsOf(std::string_view path)
{
    std::vector<TStep> steps;
    for (size_t start = 0;;) {
        const size_t slash = path.find('/', start);
        steps.push_back(StepOf(path.substr(start, slash - start)));
        if (slash == std::string_view::npos)
            return steps;
        start = slash + 1;
    }
}

// The element at the end of the path, or null.
TzelXMLNode2 *FindPath(const TzelXMLNode2 &container, std::string_view path, const TScopes &scopes)
{
    const TzelXMLNode2 *node = &container;
    TzelXMLNode2 *found = nullptr;
    for (const TStep step : StepsOf(path)) {
        found = FindStep(*node, step, scopes);
        if (!found)
            return nullptr;
        node = found;
    }
    return found;
}

// Where the tags are written: the element they go in, the root that declares the namespaces,
// and whether a declaration was added.
struct TTarget {
    TzelXMLNode2 &Root;
    TzelXMLNode2 &Container;
    TScopes Scopes;
    TReaderForm Form;
    bool Declared = false;
};

// The prefix bound to the namespace, declared on the root when none is.
std::string PrefixFor(TTarget &target, std::string_view ns)
{
    for (const TzelXMLNode2 *scope : target.Scopes)
        for (int a = 0; a < scope->Attributes().Count(); ++a) {
            const std::string_view name = scope->Attributes()[a]->NameView();
            if (name.starts_with("xmlns:") && UriIsNamespace(scope->Attributes()[a]->ValueText(), ns))
                return std::string(name.substr(6));
        }
    // The usual prefix, unless the file binds it to something else already.
    std::string prefix(ns);
    for (int n = 2; !BoundUri(target.Scopes, prefix).empty(); ++n)
        prefix = std::string(ns) + std::to_string(n);
    target.Root.AppendAttribute("xmlns:" + prefix,
                                ns == "itunes" ? PodcastNamespaces::Itunes : PodcastNamespaces::Podcast);
    target.Declared = true;
    return prefix;
}

// Where a new element goes: before the channel's first item, else at the end.
int NewChildPosition(const TzelXMLNode2 &parent)
{
    return parent.NameView() == "channel" ? FirstItemPosition(parent) : parent.ChildCount();
}

TzelXMLNode2 &InsertElement(TTarget &target, TzelXMLNode2 &parent, TStep step)
{
    auto child = std::make_unique<TzelXMLNode2>();
    child->SetName(step.Namespace.empty() ? std::string(step.Local)
                                          : PrefixFor(target, step.Namespace) + ":" + std::string(step.Local));
    parent.InsertChild(NewChildPosition(parent), child.get());
    return *child.release();
}

TzelXMLNode2 &PathOrNew(TTarget &target, std::string_view path)
{
    TzelXMLNode2 *node = &target.Container;
    for (const TStep step : StepsOf(path)) {
        TzelXMLNode2 *found = FindStep(*node, step, target.Scopes);
        node = found ? found : &InsertElement(target, *node, step);
    }
    return *node;
}

// Removes the element at the path, and the elements it leaves empty (an owner without name
// and email).
void RemovePath(TTarget &target, std::string_view path)
{
    std::vector<TzelXMLNode2 *> chain{&target.Container};
    for (const TStep step : StepsOf(path)) {
        TzelXMLNode2 *found = FindStep(*chain.back(), step, target.Scopes);
        if (!found)
            return;
        chain.push_back(found);
    }
    for (size_t i = chain.size() - 1; i > 0; --i) {
        const TzelXMLNode2 &node = *chain[i];
        if (i + 1 < chain.size() &&
            (node.ChildCount() > 0 || node.Attributes().Count() > 0 || !node.TextView().empty()))
            return;
        chain[i - 1]->DeleteChild(chain[i]);
    }
}

// text: as readers are to read it.
void SetAttribute(TzelXMLNode2 &node, std::string_view name, const std::string &text, TReaderForm form)
{
    const std::string value = StoredValue(text, form);
    const int index = node.AttributeIndex(name);
    if (index < 0) {
        if (!value.empty())
            node.AppendAttribute(name, value);
    } else if (value.empty()) {
        std::unique_ptr<TzelXMLAttribute2>(node.Attributes().Extract(index)).reset();
    } else if (node.Attributes()[index]->ValueText() != value) {
        node.Attributes()[index]->SetValue(TzelVariant(value));
    }
}

std::string ReadersAttribute(const TzelXMLNode2 &node, std::string_view name, TReaderForm form)
{
    const int index = node.AttributeIndex(name);
    return index < 0 ? std::string() : ReadersValue(node.Attributes()[index]->ValueText(), form);
}

// One field: the element's text (Attribute "") or one of its attributes. The first field of an
// element is its main one: emptied, it removes the element with all its attributes.
template <class TTags> struct TField {
    std::string_view Path, Attribute;
    std::string TTags::*Member;
};

constexpr TField<TShowTags> ShowFields[] = {
    {"itunes:author", "", &TShowTags::Author},
    {"itunes:owner/itunes:name", "", &TShowTags::OwnerName},
    {"itunes:owner/itunes:email", "", &TShowTags::OwnerEmail},
    {"itunes:explicit", "", &TShowTags::Explicit},
    {"itunes:type", "", &TShowTags::Type},
    {"language", "", &TShowTags::Language},
    {"copyright", "", &TShowTags::Copyright},
    {"itunes:block", "", &TShowTags::Block},
    {"itunes:complete", "", &TShowTags::Complete},
    {"itunes:new-feed-url", "", &TShowTags::NewFeedUrl},
    {"itunes:image", "href", &TShowTags::ImageHref},
    {"podcast:guid", "", &TShowTags::PodcastGuid},
    {"podcast:locked", "", &TShowTags::Locked},
    {"podcast:locked", "owner", &TShowTags::LockedOwner},
    {"podcast:funding", "url", &TShowTags::FundingUrl},
    {"podcast:funding", "", &TShowTags::FundingText},
};

constexpr TField<TEpisodeTags> EpisodeFields[] = {
    {"itunes:title", "", &TEpisodeTags::Title},
    {"itunes:episode", "", &TEpisodeTags::Episode},
    {"itunes:season", "", &TEpisodeTags::Season},
    {"itunes:episodeType", "", &TEpisodeTags::EpisodeType},
    {"itunes:explicit", "", &TEpisodeTags::Explicit},
    {"itunes:duration", "", &TEpisodeTags::Duration},
    {"itunes:image", "href", &TEpisodeTags::ImageHref},
    {"podcast:transcript", "url", &TEpisodeTags::TranscriptUrl},
    {"podcast:transcript", "type", &TEpisodeTags::TranscriptType},
    {"podcast:transcript", "language", &TEpisodeTags::TranscriptLanguage},
    {"podcast:chapters", "url", &TEpisodeTags::ChaptersUrl},
    {"podcast:chapters", "type", &TEpisodeTags::ChaptersType},
};

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

std::string Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

// A value as the editor shows it: the old forms of yes/no tags in today's.
std::string TodaysForm(std::string_view path, std::string value)
{
    const std::string lowered = Lowered(value);
    if (path == "itunes:explicit") {
        if (lowered == "yes" || lowered == "true")
            return "true";
        if (lowered == "no" || lowered == "clean" || lowered == "false")
            return "false";
    } else if (path == "itunes:block" || path == "itunes:complete") {
        return lowered == "yes" ? "Yes" : "";
    } else if (path == "podcast:locked") {
        return lowered;
    }
    return value;
}

template <class TTags, size_t N>
void ReadFields(TTags &tags, const TField<TTags> (&fields)[N], const TzelXMLNode2 &container,
                const TScopes &scopes, TReaderForm form)
{
    for (const TField<TTags> &field : fields)
        if (const TzelXMLNode2 *element = FindPath(container, field.Path, scopes))
            tags.*field.Member = TodaysForm(field.Path, field.Attribute.empty()
                                                            ? ReadersText(*element, form)
                                                            : ReadersAttribute(*element, field.Attribute, form));
}

template <class TTags, size_t N>
void WriteFields(TTarget &target, const TTags &tags, const TTags &shown,
                 const TField<TTags> (&fields)[N])
{
    for (const TField<TTags> &field : fields) {
        const TField<TTags> &main =
            *std::find_if(fields, fields + N, [&](const TField<TTags> &f) { return f.Path == field.Path; });
        const std::string &value = tags.*field.Member;
        if ((tags.*main.Member).empty()) {
            RemovePath(target, field.Path);
            continue;
        }
        TzelXMLNode2 *element = FindPath(target.Container, field.Path, target.Scopes);
        // A field read as it is stays byte for byte; once the tags are edited, an old form read
        // in today's is written so.
        if (element && value == shown.*field.Member &&
            (field.Attribute.empty() ? ReadersText(*element, target.Form) == value
                                     : ReadersAttribute(*element, field.Attribute, target.Form) == value))
            continue;
        if (!element)
            element = &PathOrNew(target, field.Path);
        if (field.Attribute.empty())
            element->SetText(StoredText(value));
        else
            SetAttribute(*element, field.Attribute, value, target.Form);
    }
}

std::vector<TCategoryPick> ReadCategories(const TzelXMLNode2 &channel, const TScopes &scopes, TReaderForm form)
{
    std::vector<TCategoryPick> picks;
    for (int p = 0; p < channel.ChildCount(); ++p) {
        const TzelXMLNode2 *child = channel.ChildAt(p);
        if (!child || !Matches(*child, {"itunes", "category"}, scopes))
            continue;
        const TzelXMLNode2 *sub = FindStep(*child, {"itunes", "category"}, scopes);
        picks.push_back({ReadersAttribute(*child, "text", form), sub ? ReadersAttribute(*sub, "text", form) : ""});
    }
    return picks;
}

// The categories are written anew, at the place of the first one, when they differ.
void WriteCategories(TTarget &target, const std::vector<TCategoryPick> &picks)
{
    TzelXMLNode2 &channel = target.Container;
    if (ReadCategories(channel, target.Scopes, target.Form) == picks)
        return;
    int position = -1;
    for (int p = channel.ChildCount(); p-- > 0;)
        if (TzelXMLNode2 *child = channel.ChildAt(p);
            child && Matches(*child, {"itunes", "category"}, target.Scopes)) {
            channel.DeleteChild(child);
            position = p;
        }
    if (position < 0)
        position = NewChildPosition(channel);
    for (const TCategoryPick &pick : picks) {
        if (pick.Category.empty())
            continue;
        const std::string name = PrefixFor(target, "itunes") + ":category";
        auto element = std::make_unique<TzelXMLNode2>();
        element->SetName(name);
        element->AppendAttribute("text", StoredValue(pick.Category, target.Form));
        if (!pick.Subcategory.empty()) {
            auto sub = std::make_unique<TzelXMLNode2>();
            sub->SetName(name);
            sub->AppendAttribute("text", StoredValue(pick.Subcategory, target.Form));
            element->InsertChild(0, sub.release());
        }
        channel.InsertChild(position++, element.release());
    }
}

// The RSS image (url, title, link) follows the itunes:image; made from the channel's title
// and link when the channel has none (not without a link: RSS requires one).
void KeepRssImageInStep(TTarget &target, const std::string &href)
{
    TzelXMLNode2 &channel = target.Container;
    TzelXMLNode2 *image = channel.FindChild("image", false);
    if (!image) {
        const TzelXMLNode2 *link = channel.FindChild("link", false);
        if (!link || Trimmed(link->TextView()).empty())
            return;
        image = &InsertElement(target, channel, {{}, "image"});
        for (const char *part : {"url", "title", "link"}) {
            const TzelXMLNode2 *from = channel.FindChild(part, false);
            image->ChildOrNew(part)->SetText(from ? from->TextView() : std::string_view());
        }
    }
    TzelXMLNode2 *url = image->ChildOrNew("url");
    if (ReadersText(*url, target.Form) != href)
        url->SetText(StoredText(href));
}

bool IsWholeNumberFromOne(const std::string &text)
{
    return !text.empty() && text.size() < 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           std::stol(text) >= 1;
}

// Seconds, or [H:]MM:SS with minutes and seconds below 60.
bool IsDuration(const std::string &text)
{
    std::vector<std::string> parts{""};
    for (const char c : text) {
        if (c == ':')
            parts.emplace_back();
        else if (c >= '0' && c <= '9')
            parts.back() += c;
        else
            return false;
    }
    if (parts.size() > 3 || parts.front().empty())
        return false;
    for (size_t i = 1; i < parts.size(); ++i)
        if (parts[i].size() != 2 || parts[i][0] > '5')
            return false;
    return true;
}

void Require(bool valid, const std::string &message)
{
    if (!valid)
        throw Exception(message);
}

} // namespace

TShowTags ReadShowTags(const TzelXMLParser2 &rss, const TzelXMLNode2 &channel)
{
    const TScopes scopes{&channel, &rss};
    const TReaderForm form = ReaderFormOf(rss);
    TShowTags tags;
    ReadFields(tags, ShowFields, channel, scopes, form);
    tags.Categories = ReadCategories(channel, scopes, form);
    const TzelXMLNode2 *image = channel.FindChild("image", false);
    const TzelXMLNode2 *url = image ? image->FindChild("url", false) : nullptr;
    tags.RssImageInStep = !image || (url && ReadersText(*url, form) == tags.ImageHref);
    return tags;
}

TEpisodeTags ReadEpisodeTags(const TzelXMLParser2 &rss, const TzelXMLNode2 &channel,
                             const TzelXMLNode2 &item)
{
    TEpisodeTags tags;
    ReadFields(tags, EpisodeFields, item, {&item, &channel, &rss}, ReaderFormOf(rss));
    return tags;
}

bool ApplyShowTags(TzelXMLParser2 &rss, TzelXMLNode2 &channel, const TShowTags &tags)
{
    Require(tags.Categories.size() <= 3, "Apple Podcasts reads at most three categories.");
    const TShowTags shown = ReadShowTags(rss, channel);
    if (tags == shown)
        return false;
    TTarget target{rss, channel, {&channel, &rss}, ReaderFormOf(rss)};
    WriteFields(target, tags, shown, ShowFields);
    WriteCategories(target, tags.Categories);
    if (tags.RssImageInStep && !tags.ImageHref.empty())
        KeepRssImageInStep(target, tags.ImageHref);
    return target.Declared;
}

void CheckEpisodeTags(const TEpisodeTags &tags)
{
    for (const auto &[value, name] : {std::pair{&tags.Episode, "episode"}, {&tags.Season, "season"}})
        Require(value->empty() || IsWholeNumberFromOne(*value),
                "The " + std::string(name) + " number \"" + *value + "\" is not a whole number from 1 up.");
    Require(tags.Duration.empty() || IsDuration(tags.Duration),
            "The duration \"" + tags.Duration + "\" is neither seconds nor [H:]MM:SS.");
}

bool ApplyEpisodeTags(TzelXMLParser2 &rss, TzelXMLNode2 &channel, TzelXMLNode2 &item,
                      const TEpisodeTags &tags)
{
    CheckEpisodeTags(tags);
    const TEpisodeTags shown = ReadEpisodeTags(rss, channel, item);
    if (tags == shown)
        return false;
    TTarget target{rss, item, {&item, &channel, &rss}, ReaderFormOf(rss)};
    WriteFields(target, tags, shown, EpisodeFields);
    return target.Declared;
}

// A channel child in the itunes namespace, whatever its prefix.
static bool IsItunesTag(const TzelXMLNode2 &child, const TScopes &scopes)
{
    const std::string_view name = child.NameView();
    const size_t colon = name.find(':');
    return colon != std::string_view::npos && UriIsNamespace(BoundUri(scopes, name.substr(0, colon)), "itunes");
}

bool IsPodcastFeed(const TzelXMLNode2 &rss, const TzelXMLNode2 &channel)
{
    if (IsPodcastByChannel(rss, channel))
        return true;
    for (int p = 0; p < channel.ChildCount(); ++p)
        if (const TzelXMLNode2 *child = channel.ChildAt(p); child && child->NameView() == "item" && child->FindChild("enclosure", false))
            return true;
    return false;
}

bool IsPodcastByChannel(const TzelXMLNode2 &rss, const TzelXMLNode2 &channel)
{
    const TScopes scopes{&channel, &rss};
    for (int p = 0; p < channel.ChildCount(); ++p)
        if (const TzelXMLNode2 *child = channel.ChildAt(p); child && IsItunesTag(*child, scopes))
            return true;
    return false;
}

// The highest episode number among the channel's items other than `except`; 0 when none has one.
static long HighestEpisode(const TzelXMLNode2 &rss, const TzelXMLNode2 &channel, const TzelXMLNode2 &except)
{
    long highest = 0;
    TScopes scopes{nullptr, &channel, &rss}; // one for all items: feeds hold many
    for (int p = 0; p < channel.ChildCount(); ++p)
        if (const TzelXMLNode2 *child = channel.ChildAt(p); child && child != &except && child->NameView() == "item") {
            scopes.front() = child;
            const TzelXMLNode2 *episode = FindStep(*child, {"itunes", "episode"}, scopes);
            const std::string number = episode ? Trimmed(episode->TextView()) : std::string();
            if (IsWholeNumberFromOne(number))
                highest = std::max(highest, std::stol(number));
        }
    return highest;
}

// Whether an item other than `except` has the guid, as readers read it. A guid written plainly
// is compared as it stands, without a copy: feeds hold many.
static bool GuidTaken(const TzelXMLNode2 &channel, const TzelXMLNode2 &except, std::string_view guid)
{
    for (int p = 0; p < channel.ChildCount(); ++p) {
        const TzelXMLNode2 *child = channel.ChildAt(p);
        const TzelXMLNode2 *element = child && child != &except && child->NameView() == "item" ? child->FindChild("guid", false) : nullptr;
        if (!element)
            continue;
        const std::string_view text = element->TextView();
        const bool plain = element->KeptContent().empty() && text.find('&') == std::string_view::npos;
        if (plain ? TrimmedText(text) == guid : ElementTextAsRead(*element) == guid)
            return true;
    }
    return false;
}

void GiveOwnGuid(const TzelXMLNode2 &rss, const TzelXMLNode2 &channel, TzelXMLNode2 &item)
{
    // A name-based UUID of the show, the episode's number and date, as readers read them: the
    // same command on the same feed, however it is written, gives the same guid, and another
    // episode, show or day another.
    const auto textOf = [](const TzelXMLNode2 &parent, std::string_view name) {
        const TzelXMLNode2 *child = parent.FindChild(name, false);
        return child ? ElementTextAsRead(*child) : std::string();
    };
    // (Only a podcast by its channel numbers its episodes: a blog is spared the count.)
    const long number = IsPodcastByChannel(rss, channel) ? HighestEpisode(rss, channel, item) + 1 : 0;
    std::string name = textOf(channel, "link") + "\n" + textOf(channel, "title") + "\n" + textOf(item, "pubDate") +
                       "\n" + std::to_string(number);
    std::string guid;
    do {
        guid = QUuid::createUuidV5(QUuid(QStringLiteral("ead4c236-bf58-58c6-a2c6-a6b28d128cb6")),
                                   QByteArray::fromStdString(name += "\n"))
                   .toString(QUuid::WithoutBraces)
                   .toStdString();
    } while (GuidTaken(channel, item, guid));
    TzelXMLNode2 *element = item.ChildOrNew("guid");
    element->SetText(guid);
    SetAttribute(*element, "isPermaLink", "false", {});
}

bool NumberNewEpisode(TzelXMLNode2 &rss, TzelXMLNode2 &channel, TzelXMLNode2 &item)
{
    TTarget target{rss, item, {&item, &channel, &rss}, {}};
    PathOrNew(target, "itunes:episode").SetText(std::to_string(HighestEpisode(rss, channel, item) + 1));
    return target.Declared;
}

std::string PodcastGuidOf(std::string_view feedUrl)
{
    std::string_view name = feedUrl;
    if (const size_t scheme = name.find("://"); scheme != std::string_view::npos)
        name.remove_prefix(scheme + 3);
    while (name.ends_with('/'))
        name.remove_suffix(1);
    static const QUuid podcastNamespace(QStringLiteral("ead4c236-bf58-58c6-a2c6-a6b28d128cb6"));
    return QUuid::createUuidV5(podcastNamespace, QByteArray(name.data(), qsizetype(name.size())))
        .toString(QUuid::WithoutBraces)
        .toStdString();
}

std::string DurationText(long long seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}
