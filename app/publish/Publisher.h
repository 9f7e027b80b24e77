#pragma once
// One publishing run: new or changed files the feed points to first (episodes, the cover and
// other pictures, transcripts, chapters), each under a temporary name put in place once whole;
// then the feed the same way; then the run's own leftovers of earlier broken runs are removed;
// then, when a public URL is set, the feed fetched back and compared with what was sent, and
// what was uploaded and the cover checked as listeners will get them (LiveCheck.h). A failure or
// a cancel leaves the server's old feed.
#include "PublishSettings.h"
#include "Transfer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TPublishReport {
    std::vector<std::string> Uploaded;    // remote names, in upload order
    std::vector<std::string> NoLocalCopy; // URLs below the public folder without a local file
    std::vector<std::string> LinksOutside; // local copies whose real file is outside the media folder
    std::vector<std::string> LeftoversRemoved; // temporary files of earlier runs, removed
    std::int64_t ResumedFrom = 0;         // bytes an interrupted episode upload went on from
    std::string Difference;               // what the public URL gave back, when it differs
    std::vector<std::string> LiveMisses;  // what the public URLs did not answer as they should
    std::size_t LiveUnchecked = 0;        // files uploaded beyond those the live checks ask for
};

// Where a run stands when a file starts: file Index (from 1) of Count, the bytes of the files
// before it, and of all.
struct TPublishStep {
    std::string Name;
    std::int64_t Size = 0;
    int Index = 0;
    int Count = 0;
    std::int64_t DoneBefore = 0;
    std::int64_t Total = 0;
};

struct TPublishHooks {
    std::function<void(const TPublishStep &step)> FileStarted;
    TTransferHooks Transfer;
};

// record holds what was uploaded before (LoadUploadRecord) and is updated for every file that
// went up, also when a later one fails, so the caller saves it either way.
TPublishReport Publish(const std::string &feedPath, const TPublishSettings &settings,
                       const std::string &password, TUploadRecord &record,
                       const TPublishHooks &hooks);

// The temporary name a file goes up under: ".NAME.uploading" beside it.
std::string TemporaryName(const std::string &name);

// Whether the run ends well: the public copy is the one sent and every live check passed.
bool PublishedAsSent(const TPublishReport &report);

// A few lines for the author: what went up, what was left and why, what the checks found.
std::string ReportText(const TPublishReport &report);
