#include "FindingGroups.h"

#include <unordered_map>

std::vector<TFindingGroup> GroupFindings(const std::vector<TFeedFinding> &findings)
{
    std::vector<TFindingGroup> groups;
    // The group of each severity and reason said of an item so far.
    std::unordered_map<std::string, size_t> itemGroups;
    for (size_t i = 0; i < findings.size(); ++i) {
        const TFeedFinding &finding = findings[i];
        if (finding.Place != TFindingPlace::Item) {
            groups.push_back({{i}});
            continue;
        }
        const std::string key = (finding.Severity == TFindingSeverity::Error ? "E" : "W") + finding.Reason;
        const auto [group, added] = itemGroups.try_emplace(key, groups.size());
        if (added)
            groups.push_back({{i}});
        else
            groups[group->second].Members.push_back(i);
    }
    return groups;
}

std::string GroupLine(const std::vector<TFeedFinding> &findings, const TFindingGroup &group)
{
    const TFeedFinding &first = findings[group.Members.front()];
    if (group.Members.size() == 1)
        return FindingLine(first);
    constexpr size_t Named = 3;
    const size_t count = group.Members.size();
    std::string line = "item ";
    for (size_t i = 0; i < count && i < Named; ++i) {
        if (i > 0)
            line += i + 1 == count ? " and " : ", ";
        line += std::to_string(findings[group.Members[i]].Row + 1);
    }
    if (count > Named)
        line += " and " + std::to_string(count - Named) + " more";
    return line + (first.Severity == TFindingSeverity::Error ? ": error: " : ": warning: ") + first.Reason;
}
