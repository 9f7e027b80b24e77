#pragma once
// The text encoding rule of Check Feed: the XML declaration must name an encoding when the text
// is not plain ASCII, and the bytes must be what it names. 16-bit files are left to the XML
// reader, which reports their mismatches itself.
#include "FeedCheck.h"

#include <string_view>
#include <vector>

// Appends the findings about the file's bytes and declared encoding (all about the document).
void CheckFeedEncoding(std::string_view fileBytes, std::vector<TFeedFinding> &findings);
