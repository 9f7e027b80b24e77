#include "RssElementRules.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct TContainerRules {
    std::string_view Name;
    std::span<const std::string_view> Defined;
    std::span<const std::string_view> Repeating;
    std::span<const std::string_view> Required;
};

constexpr std::string_view RssChildren[] = {"channel"};
constexpr std::string_view ChannelChildren[] = {
    "title",     "link",     "description", "language",  "copyright", "managingEditor",
    "webMaster", "pubDate",  "lastBuildDate", "category", "generator", "docs",
    "cloud",     "ttl",      "image",       "rating",    "textInput", "skipHours",
    "skipDays",  "item"};
constexpr std::string_view ChannelRepeating[] = {"category", "item"};
constexpr std::string_view ChannelRequired[] = {"title", "link", "description"};
constexpr std::string_view ItemChildren[] = {"title",    "link",      "description", "author",
                                             "category", "comments",  "enclosure",   "guid",
                                             "pubDate",  "source"};
constexpr std::string_view ItemRepeating[] = {"category"};
constexpr std::string_view ImageChildren[] = {"url", "title", "link", "width", "height", "description"};
constexpr std::string_view ImageRequired[] = {"url", "title", "link"};
constexpr std::string_view TextInputChildren[] = {"title", "description", "name", "link"};
constexpr std::string_view SkipHoursChildren[] = {"hour"};
constexpr std::string_view SkipDaysChildren[] = {"day"};

constexpr std::array<TContainerRules, 8> Containers = {{
    {"rss", RssChildren, {}, {}}, // a missing channel is the document's fault, told apart
    {"channel", ChannelChildren, ChannelRepeating, ChannelRequired},
    {"item", ItemChildren, ItemRepeating, {}},
    {"image", ImageChildren, {}, ImageRequired},
    {"textInput", TextInputChildren, {}, TextInputChildren},
    {"skipHours", SkipHoursChildren, SkipHoursChildren, {}},
    {"skipDays", SkipDaysChildren, SkipDaysChildren, {}},
    {"cloud", {}, {}, {}},
}};

const TContainerRules *RulesOf(std::string_view container)
{
    for (const TContainerRules &rules : Containers)
        if (rules.Name == container)
            return &rules;
    return nullptr;
}

bool Holds(std::span<const std::string_view> names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

bool IsRssContainer(std::string_view name) { return RulesOf(name) != nullptr; }

bool IsDefinedChild(std::string_view container, std::string_view child)
{
    const TContainerRules *rules = RulesOf(container);
    return rules && Holds(rules->Defined, child);
}

bool MayRepeat(std::string_view container, std::string_view child)
{
    const TContainerRules *rules = RulesOf(container);
    return rules && Holds(rules->Repeating, child);
}

std::span<const std::string_view> RequiredChildren(std::string_view container)
{
    const TContainerRules *rules = RulesOf(container);
    return rules ? rules->Required : std::span<const std::string_view>{};
}

bool IsDefinedAttribute(std::string_view element, std::string_view attribute)
{
    static constexpr std::pair<std::string_view, std::string_view> Defined[] = {
        {"rss", "version"},          {"guid", "isPermaLink"}, {"enclosure", "url"},
        {"enclosure", "length"},     {"enclosure", "type"},   {"source", "url"},
        {"category", "domain"},      {"cloud", "domain"},     {"cloud", "port"},
        {"cloud", "path"},           {"cloud", "registerProcedure"}, {"cloud", "protocol"},
    };
    return std::find(std::begin(Defined), std::end(Defined), std::pair{element, attribute}) != std::end(Defined);
}
