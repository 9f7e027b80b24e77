#pragma once
// TolvaneRssEditor --publish FILE [--force]: publishes a feed without a window, with the
// settings saved for it in the editor. Check Feed runs first; a feed with errors is refused
// unless --force. The password comes from TOLVANE_PUBLISH_PASSWORD, else from the keyring.
// Exit status as --check: 0 published, 1 the feed has errors (not published) or the public copy
// differs from what was sent, 2 the file cannot be read, no settings, or the transfer failed.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

inline const char *const PublishPasswordVariable = "TOLVANE_PUBLISH_PASSWORD";

// No value when the arguments do not ask for --publish.
std::optional<int> RunPublishCommand(int argc, char *argv[], std::ostream &out, std::ostream &err);
