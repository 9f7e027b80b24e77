#pragma once
// A new, empty RSS 2.0 feed file: UTF-8, a channel holding title, description, link, pubDate
// and lastBuildDate, in the form the item commands work on (Add item takes the channel's first
// four children as its template).
#include <string>

// Writes the feed to path (atomically, replacing any file there: the caller has asked). The
// title is the given text, description and link are empty, both dates are dateStamp.
void CreateNewFeed(const std::string &path, const std::string &title, const std::string &dateStamp);
