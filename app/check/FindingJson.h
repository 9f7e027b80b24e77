#pragma once
// A finding of Check Feed as one line of JSON, for scripts and CI:
// {"file":"feed.xml","severity":"error","place":"item","item":3,"title":"Three",
//  "element":"pubDate","message":"pubDate \"Mon, 32 Foo 2007\" is not an RFC 822 date"}
// "item" (counted from 1) and "title" stand only in an item's finding, "title" only when the
// item has one.
#include "FeedCheck.h"

#include <string>
#include <string_view>

std::string FindingJson(std::string_view file, const TFeedFinding &finding);
