#pragma once
// A finding of Check Feed as one line of JSON, for scripts and CI:
// {"file":"feed.xml","line":14,"severity":"error","place":"item","item":3,"title":"Three",
//  "element":"pubDate","message":"pubDate \"Mon, 32 Foo 2007\" is not an RFC 822 date"}
// "item" (counted from 1) and "title" stand only in an item's finding, "title" only when the
// item has one; "line" only when the finding has one. With groupRows (a group of item
// findings in the same words), "count" and "items" (the rows, from 1) follow "item".
#include "FeedCheck.h"

#include <string>
#include <string_view>
#include <vector>

std::string FindingJson(std::string_view file, const TFeedFinding &finding,
                        const std::vector<int> *groupRows = nullptr);
