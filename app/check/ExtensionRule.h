#pragma once
// What the rules of an extension namespace get from Check Feed's one pass: an element's names
// and where to send a finding (about the element being read).
#include "FeedCheck.h"

#include <functional>
#include <string>
#include <string_view>

// An element's names: its namespace URI ("" for none), its local name and its name as written.
struct TElementName {
    std::string_view Uri, Local, Name;
};

using TRuleReport = std::function<void(TFindingSeverity, std::string)>;
