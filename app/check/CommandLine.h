#pragma once
// The editor's command line: --check FILE..., --help and --version run without a window and
// without a display; anything else starts the window.
#include "FeedCheck.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// arguments: the program's arguments without the program name. Returns the exit status when
// the arguments ask for a command-line run, no value when the window is to start.
// --check prints one line per finding to out ("FILE:LINE: item 3 \"Title\": error: ...", with
// --summary one line per group of findings, FindingGroups.h) and exits
// 0 without errors (warnings allowed), 1 when a feed has an error, 2 when a file cannot be read
// or the arguments are wrong (2 wins over 1). With --format=json each finding is one line of
// JSON instead (FindingJson.h).
std::optional<int> RunCommandLine(const std::vector<std::string> &arguments, std::ostream &out,
                                  std::ostream &err);

// Reads the file at path and prints Check Feed's findings on it as --check does, each line named
// shownAs (grouped with summary). The findings, or no value (after saying why on err) when the file cannot be read.
std::optional<std::vector<TFeedFinding>> PrintFileCheck(const std::string &path, const std::string &shownAs,
                                                        bool json, std::ostream &out, std::ostream &err,
                                                        bool summary = false);
