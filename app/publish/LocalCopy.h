#pragma once
// The local copy of a file the feed names by its public address: an address below the public
// feed's folder (the public URL up to its last '/') names the same relative path below the
// media folder (the feed's own folder when none is set), as PublishPlan.h lays out uploads.
#include "PublishSettings.h"

#include <string>

// The local path, or "" when the address is not below the public folder, leaves it ("..") or
// no file is there.
std::string LocalCopyOf(const std::string &url, const std::string &feedPath,
                        const TPublishSettings &settings);
