#pragma once
// Checks made on a feed's path before its file is opened: a fifo or device would block the
// read (or never end), and a user asking for the Items page is told why a file cannot be shown.
#include <string>

// "Cannot open file \"<path>\". It is not a regular file": said of a feed or of the catalogue.
std::string NotRegularMessage(const std::string &path);

// Raises Exception("Cannot open file \"<path>\". It is not a regular file") when something
// other than a regular file is at the path, found without opening it. A missing path passes:
// opening it reports that.
void RefuseIrregularFile(const std::string &path);

// Why the Items page cannot show the feed at path: the file is missing or is not a file.
std::string MissingFeedMessage(const std::string &path);
