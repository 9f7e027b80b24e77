#pragma once
// Findings a person can read: what a check says in the same words of many items is one line
// with the count and the first items ("item 1, 2, 3 and 725 more: warning: ..."), the findings
// themselves kept below it.
#include "FeedCheck.h"

#include <string>
#include <vector>

struct TFindingGroup {
    std::vector<size_t> Members; // indices into the findings, in the order met; never empty
};

// Every finding in exactly one group; an item's finding shares its group with the other items'
// findings of the same severity and reason. Groups stand where their first finding stood.
std::vector<TFindingGroup> GroupFindings(const std::vector<TFeedFinding> &findings);

// The group as one line: FindingLine for a group of one, else "item 1, 2, 3 and 725 more:
// warning: reason" (up to three rows named).
std::string GroupLine(const std::vector<TFeedFinding> &findings, const TFindingGroup &group);
