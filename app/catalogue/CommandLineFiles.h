#pragma once
// Feed files named on the command line (or passed by a file manager's "Open with").
#include <QStringList>
#include <string>
#include <vector>

struct TFeedCatalogue;

// The arguments after the program's name as absolute paths in the file system's bytes (the
// first lone "--" left out).
std::vector<std::string> FeedFileArguments(const QStringList &arguments);

// The catalogue slot holding exactly this path, -1 when none does.
int CatalogueSlotOf(const TFeedCatalogue &catalogue, const std::string &path);
