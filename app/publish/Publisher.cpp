#include "Publisher.h"

#include "PublishPlan.h"
#include "zelStrings.h"

#include <QFileInfo>

#include <algorithm>

std::string TemporaryName(const std::string &name)
{
    const std::size_t slash = name.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return name.substr(0, start) + "." + name.substr(start) + ".uploading";
}

// A server may answer "complete" for a file it cut short: a temporary file is put in place only
// when the server holds all of it.
static void RequireWholeUpload(TTransfer &transfer, const std::string &temporary, std::int64_t size,
                               const std::string &shownAs)
{
    const std::int64_t held = std::max<std::int64_t>(0, transfer.RemoteSize(temporary));
    if (held != size)
        throw TPublishError("The server holds " + std::to_string(held) + " of the " + std::to_string(size) +
                            " bytes sent for " + shownAs + ", so it was not put in place. Publish again.");
}

TPublishReport Publish(const std::string &feedPath, const TPublishSettings &settings,
                       const std::string &password, TUploadRecord &record,
                       const TPublishHooks &hooks)
{
    const std::string feedBytes = LoadStringFromFile(feedPath);
    const std::string feedName = QFileInfo(QString::fromStdString(feedPath)).fileName().toStdString();
    TPublishReport report;
    TTransfer transfer(settings, password, hooks.Transfer);
    const auto started = [&](const std::string &name, std::int64_t size) {
        if (hooks.FileStarted)
            hooks.FileStarted(name, size);
    };

    if (settings.UploadEpisodes) {
        for (const TEpisodeFile &episode : EpisodeFiles(feedBytes, feedPath, settings)) {
            if (!episode.HasLocalCopy) {
                report.NoLocalCopy.push_back(episode.Url);
                continue;
            }
            const std::string state = LocalFileState(episode.LocalPath, settings.CompareChecksums);
            const std::int64_t size = QFileInfo(QString::fromStdString(episode.LocalPath)).size();
            const auto known = record.find(episode.RemoteName);
            if (known != record.end() && known->second == state &&
                transfer.RemoteSize(episode.RemoteName) == size)
                continue;
            const std::string temporary = TemporaryName(episode.RemoteName);
            // A part left by a broken upload goes on where it stopped.
            std::int64_t offset = 0;
            if (transfer.ResumesUploads()) {
                const auto partial = record.find(temporary);
                if (partial != record.end() && partial->second == state)
                    offset = std::max<std::int64_t>(0, transfer.RemoteSize(temporary));
                if (offset > size)
                    offset = 0;
            }
            record[temporary] = state;
            record.erase(episode.RemoteName);
            started(episode.RemoteName, size);
            try {
                transfer.UploadFile(episode.LocalPath, temporary, episode.RemoteName, offset);
            } catch (const TPublishError &error) {
                // A server that cannot write on from the middle (some keep parts only in memory)
                // gets the file once more from the start.
                if (offset == 0 || error.Failure == TPublishFailure::Cancelled)
                    throw;
                offset = 0;
                transfer.UploadFile(episode.LocalPath, temporary, episode.RemoteName, 0);
            }
            RequireWholeUpload(transfer, temporary, size, episode.RemoteName);
            transfer.Replace(temporary, episode.RemoteName);
            record.erase(temporary);
            record[episode.RemoteName] = state;
            report.ResumedFrom += offset;
            report.Uploaded.push_back(episode.RemoteName);
        }
    }

    started(feedName, std::int64_t(feedBytes.size()));
    const std::string temporary = TemporaryName(feedName);
    transfer.UploadBytes(feedBytes, temporary, feedName);
    RequireWholeUpload(transfer, temporary, std::int64_t(feedBytes.size()), feedName);
    transfer.Replace(temporary, feedName);
    report.Uploaded.push_back(feedName);

    if (!settings.PublicUrl.empty()) {
        // The feed is up by now: a check that cannot fetch it is reported, not a failure.
        std::string served;
        try {
            served = FetchPublicUrl(settings.PublicUrl, settings.CaFile);
        } catch (const TPublishError &error) {
            report.Difference = "The feed is uploaded, but the public URL could not be checked: " +
                                std::string(error.what());
            return report;
        }
        if (served != feedBytes)
            report.Difference = "The feed at " + settings.PublicUrl + " is not what was uploaded (" +
                                std::to_string(served.size()) + " bytes there, " +
                                std::to_string(feedBytes.size()) +
                                " sent): a cache, or the remote folder is not the public one?";
    }
    return report;
}

std::string ReportText(const TPublishReport &report)
{
    std::string text = "Published: ";
    for (std::size_t index = 0; index < report.Uploaded.size(); ++index)
        text += (index ? ", " : "") + report.Uploaded[index];
    text += ".";
    if (report.ResumedFrom > 0)
        text += "\nAn interrupted upload went on after " + std::to_string(report.ResumedFrom) + " bytes.";
    for (const std::string &url : report.NoLocalCopy)
        text += "\nNo local copy of " + url + ", not uploaded.";
    if (!report.Difference.empty())
        text += "\n" + report.Difference;
    return text;
}
