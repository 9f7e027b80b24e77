#pragma once
// Check Feed: what in a feed file makes feed readers choke or guess. The file's bytes go
// through an independent XML reader (libxml2's streaming reader) once; the RSS 2.0 rules run
// on the same pass. No widgets: the window's dialog and the command line both show the result.
//
// All texts are UTF-8 (the reader hands every document's text over as UTF-8).
#include <string>
#include <string_view>
#include <vector>

enum class TFindingSeverity { Error, Warning };

// What a finding is about: the file as a whole, the channel, or one item.
enum class TFindingPlace { Document, Channel, Item };

struct TFeedFinding {
    TFindingSeverity Severity = TFindingSeverity::Error;
    TFindingPlace Place = TFindingPlace::Document;
    // For an item: its row on the Items page (0-based; the page lists the channel's children
    // from the first item on) and its title ("" when it has none).
    int Row = -1;
    std::string ItemTitle;
    std::string Reason; // one line
    // The element being read when the finding arose ("pubDate", "itunes:image"; "channel" for
    // what the channel lacks), "" for the document as a whole.
    std::string Element;
    // The line of the file the finding is about (where that element starts), 0 when none.
    int Line = 0;
};

// Every finding, in the order the reader met them (an item's once the item has ended).
std::vector<TFeedFinding> CheckFeed(std::string_view fileBytes);

// "document", "channel", "item 3" or "item 3 \"Title\"" (the row counted from 1).
std::string FindingPlaceText(const TFeedFinding &finding);

// "item 3 \"Title\": error: pubDate \"Mon, 32 Foo 2007\" is not an RFC 822 date"
std::string FindingLine(const TFeedFinding &finding);

bool HasError(const std::vector<TFeedFinding> &findings);
