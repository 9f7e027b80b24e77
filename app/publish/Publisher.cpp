#include "Publisher.h"

#include "LiveCheck.h"
#include "PublishPlan.h"
#include "zelStrings.h"

#include <QFileInfo>

#include <algorithm>
#include <set>

std::string TemporaryName(const std::string &name)
{
    const std::size_t slash = name.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return name.substr(0, start) + "." + name.substr(start) + ".uploading";
}

namespace {

std::int64_t LocalSize(const std::string &path) { return QFileInfo(QString::fromStdString(path)).size(); }

std::string FolderOf(const std::string &name)
{
    const std::size_t slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// A server may answer "complete" for a file it cut short: a temporary file is put in place only
// when the server holds all of it.
void RequireWholeUpload(TTransfer &transfer, const std::string &temporary, std::int64_t size,
                        const std::string &shownAs)
{
    const std::int64_t held = std::max<std::int64_t>(0, transfer.RemoteSize(temporary));
    if (held != size)
        throw TPublishError("The server holds " + std::to_string(held) + " of the " + std::to_string(size) +
                            " bytes sent for " + shownAs + ", so it was not put in place. Publish again.");
}

// A file that must go up, with its local state as the upload record will keep it.
struct TPendingFile {
    TEpisodeFile File;
    std::string State;
};

// The files that must go up: new, changed, or gone from the server since the last upload.
std::vector<TPendingFile> FilesToUpload(TTransfer &transfer, const std::vector<TEpisodeFile> &files,
                                        const TPublishSettings &settings, const TUploadRecord &record,
                                        TPublishReport &report)
{
    std::vector<TPendingFile> pending;
    for (const TEpisodeFile &file : files) {
        if (!file.HasLocalCopy) {
            report.NoLocalCopy.push_back(file.Url);
            continue;
        }
        if (file.OutsideMediaFolder && !settings.UploadLinksOutside) {
            report.LinksOutside.push_back(file.LocalPath);
            continue;
        }
        const std::string state = LocalFileState(file.LocalPath, settings.CompareChecksums);
        const auto known = record.find(file.RemoteName);
        if (known != record.end() && known->second == state &&
            transfer.RemoteSize(file.RemoteName) == LocalSize(file.LocalPath))
            continue;
        pending.push_back({file, state});
    }
    return pending;
}

void UploadFile(TTransfer &transfer, const TPendingFile &pending, TUploadRecord &record, TPublishReport &report)
{
    const TEpisodeFile &file = pending.File;
    const std::string &state = pending.State;
    const std::int64_t size = LocalSize(file.LocalPath);
    const std::string temporary = TemporaryName(file.RemoteName);
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
    record.erase(file.RemoteName);
    try {
        transfer.UploadFile(file.LocalPath, temporary, file.RemoteName, offset);
    } catch (const TPublishError &error) {
        // A server that cannot write on from the middle (some keep parts only in memory) gets
        // the file once more from the start.
        if (offset == 0 || error.Failure == TPublishFailure::Cancelled)
            throw;
        offset = 0;
        transfer.UploadFile(file.LocalPath, temporary, file.RemoteName, 0);
    }
    RequireWholeUpload(transfer, temporary, size, file.RemoteName);
    transfer.Replace(temporary, file.RemoteName);
    record.erase(temporary);
    record[file.RemoteName] = state;
    report.ResumedFrom += offset;
    report.Uploaded.push_back(file.RemoteName);
}

// Temporary files this feed's runs left behind (a kill, a stall, a server fault) are removed
// once the feed is in place; nobody else's files are touched.
void RemoveLeftovers(TTransfer &transfer, const std::vector<TEpisodeFile> &files, const std::string &feedName,
                     TUploadRecord &record, TPublishReport &report)
{
    std::set<std::string> own = {TemporaryName(feedName)};
    for (const TEpisodeFile &file : files)
        own.insert(TemporaryName(file.RemoteName));
    for (const auto &entry : record)
        if (entry.first.ends_with(".uploading"))
            own.insert(entry.first);
    const auto remove = [&](const std::string &name) {
        try {
            transfer.Remove(name);
        } catch (const TPublishError &) {
            return; // the feed is in place: a leftover that stays is for the next run
        }
        record.erase(name);
        report.LeftoversRemoved.push_back(name);
    };
    std::set<std::string> folders;
    for (const std::string &name : own)
        folders.insert(FolderOf(name));
    for (const std::string &folder : folders) {
        std::vector<std::string> names;
        try {
            names = transfer.List(folder);
        } catch (const TPublishError &) {
            continue; // a folder that cannot be listed holds nothing found to remove
        }
        for (const std::string &name : names)
            if (own.count(folder + name))
                remove(folder + name);
    }
    // Some FTP servers list no hidden files; the uploads the record says were broken off are
    // asked for by name (a few at most).
    std::vector<std::string> broken;
    for (const auto &entry : record)
        if (entry.first.ends_with(".uploading"))
            broken.push_back(entry.first);
    for (const std::string &name : broken) {
        try {
            if (transfer.RemoteSize(name) >= 0)
                remove(name);
            else
                record.erase(name); // gone already: nothing to go on from
        } catch (const TPublishError &) {
            // Not known now; asked again next time.
        }
    }
}

std::int64_t EnclosureLength(const TEpisodeFile &file)
{
    const QString length = QString::fromStdString(file.Length).trimmed();
    bool number = false;
    const qlonglong value = length.toLongLong(&number);
    return number && value >= 0 ? value : LocalSize(file.LocalPath);
}

// The files just uploaded that the live checks ask for: the first ones in the feed's order (the
// newest, in most feeds), so that a first publish of a long back catalogue stays quick.
constexpr std::size_t LiveCheckedFiles = 25;

// What the live checks ask for: the files just uploaded, up to LiveCheckedFiles (unchecked: the
// count of the rest), and the cover wherever it is.
std::vector<TLiveTarget> LiveTargets(const std::vector<TEpisodeFile> &files, const std::vector<TPendingFile> &pending,
                                     const std::string &feedBytes, std::size_t &unchecked)
{
    std::vector<TLiveTarget> targets;
    bool coverListed = false;
    std::size_t checked = 0;
    for (const auto &[file, state] : pending) {
        if (!file.IsCover && checked == LiveCheckedFiles) {
            ++unchecked;
            continue;
        }
        checked += file.IsCover ? 0 : 1;
        targets.push_back({file.RemoteName, file.Url, EnclosureLength(file), file.Type, file.IsCover});
        coverListed = coverListed || file.IsCover;
    }
    if (coverListed)
        return targets;
    for (const TEpisodeFile &file : files)
        if (file.IsCover) {
            const std::int64_t size = file.HasLocalCopy ? LocalSize(file.LocalPath) : -1;
            targets.push_back({file.RemoteName, file.Url, size, file.Type, true});
            return targets;
        }
    const std::string cover = CoverUrl(feedBytes);
    if (cover.rfind("http://", 0) == 0 || cover.rfind("https://", 0) == 0)
        targets.push_back({cover, cover, -1, {}, true});
    return targets;
}

} // namespace

TPublishReport Publish(const std::string &feedPath, const TPublishSettings &settings,
                       const std::string &password, TUploadRecord &record,
                       const TPublishHooks &hooks)
{
    const std::string feedBytes = LoadStringFromFile(feedPath);
    const std::string feedName = QFileInfo(QString::fromStdString(feedPath)).fileName().toStdString();
    TPublishReport report;
    TTransfer transfer(settings, password, hooks.Transfer);

    const std::vector<TEpisodeFile> files =
        settings.UploadEpisodes ? EpisodeFiles(feedBytes, feedPath, settings) : std::vector<TEpisodeFile>();
    const std::vector<TPendingFile> pending = FilesToUpload(transfer, files, settings, record, report);

    TPublishStep step;
    step.Count = int(pending.size()) + 1;
    step.Total = std::int64_t(feedBytes.size());
    for (const TPendingFile &file : pending)
        step.Total += LocalSize(file.File.LocalPath);
    const auto started = [&](const std::string &name, std::int64_t size) {
        step.DoneBefore += step.Size;
        step.Name = name;
        step.Size = size;
        ++step.Index;
        if (hooks.FileStarted)
            hooks.FileStarted(step);
    };

    for (const TPendingFile &file : pending) {
        started(file.File.RemoteName, LocalSize(file.File.LocalPath));
        UploadFile(transfer, file, record, report);
    }

    started(feedName, std::int64_t(feedBytes.size()));
    const std::string temporary = TemporaryName(feedName);
    transfer.UploadBytes(feedBytes, temporary, feedName);
    RequireWholeUpload(transfer, temporary, std::int64_t(feedBytes.size()), feedName);
    transfer.Replace(temporary, feedName);
    report.Uploaded.push_back(feedName);

    RemoveLeftovers(transfer, files, feedName, record, report);

    if (!settings.PublicUrl.empty()) {
        // The feed is up by now: a check that cannot fetch it is reported, not a failure.
        try {
            const std::string served = FetchPublicUrl(settings.PublicUrl, settings.CaFile);
            if (served != feedBytes)
                report.Difference = "The feed at " + settings.PublicUrl + " is not what was uploaded (" +
                                    std::to_string(served.size()) + " bytes there, " +
                                    std::to_string(feedBytes.size()) +
                                    " sent): a cache, or the remote folder is not the public one?";
        } catch (const TPublishError &error) {
            report.Difference = "The feed is uploaded, but the public URL could not be checked: " +
                                std::string(error.what());
        }
        report.LiveMisses =
            LiveCheckMisses(LiveTargets(files, pending, feedBytes, report.LiveUnchecked), settings.CaFile);
    }
    return report;
}

bool PublishedAsSent(const TPublishReport &report)
{
    return report.Difference.empty() && report.LiveMisses.empty();
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
    for (const std::string &path : report.LinksOutside)
        text += "\nNot uploaded: " + path + " is a link to a file outside the media folder "
                "(Publish Settings can allow such links).";
    for (const std::string &name : report.LeftoversRemoved)
        text += "\nRemoved " + name + ", left on the server by an earlier publish that did not finish.";
    if (!report.Difference.empty())
        text += "\n" + report.Difference;
    for (const std::string &miss : report.LiveMisses)
        text += "\n" + miss;
    if (report.LiveUnchecked > 0)
        text += "\nThe live checks asked for the first " + std::to_string(LiveCheckedFiles) + " files uploaded; " +
                std::to_string(report.LiveUnchecked) + " more were not asked for.";
    return text;
}
