#pragma once
// One publishing run: new or changed episode files first, each under a temporary name put in
// place once whole; then the feed the same way; then, when a public URL is set, the feed fetched
// back and compared with what was sent. A failure or a cancel leaves the server's old feed.
#include "PublishSettings.h"
#include "Transfer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TPublishReport {
    std::vector<std::string> Uploaded;    // remote names, in upload order
    std::vector<std::string> NoLocalCopy; // enclosure URLs below the public folder without a file
    std::int64_t ResumedFrom = 0;         // bytes an interrupted episode upload went on from
    std::string Difference;               // what the public URL gave back, when it differs
};

struct TPublishHooks {
    // A file's upload starts (its remote name, its size).
    std::function<void(const std::string &name, std::int64_t size)> FileStarted;
    TTransferHooks Transfer;
};

// record holds what was uploaded before (LoadUploadRecord) and is updated for every file that
// went up, also when a later one fails, so the caller saves it either way.
TPublishReport Publish(const std::string &feedPath, const TPublishSettings &settings,
                       const std::string &password, TUploadRecord &record,
                       const TPublishHooks &hooks);

// The temporary name a file goes up under: ".NAME.uploading" beside it.
std::string TemporaryName(const std::string &name);

// A few lines for the author: what went up, and a difference found after the upload.
std::string ReportText(const TPublishReport &report);
