#include "UndoHistory.h"

#include "zelException.h"
#include "zelStrings.h"

#include <algorithm>

std::deque<TUndoHistory::TStep>::iterator TUndoHistory::LastStepOf(const std::string &path)
{
    const auto last = std::find_if(steps_.rbegin(), steps_.rend(),
                                   [&](const TStep &step) { return step.Path == path; });
    return last == steps_.rend() ? steps_.end() : std::next(last).base();
}

size_t TUndoHistory::TStep::Bytes() const
{
    size_t bytes = Previous.size();
    for (const TTextPatch &patch : Patches)
        bytes += patch.Bytes.size();
    return bytes;
}

void TUndoHistory::DropStep(std::deque<TStep>::iterator step)
{
    keptBytes_ -= step->Bytes();
    steps_.erase(step);
}

void TUndoHistory::DropStepsOf(const std::string &path)
{
    for (auto step = LastStepOf(path); step != steps_.end(); step = LastStepOf(path))
        DropStep(step);
}

void TUndoHistory::Record(const std::string &path, std::string previous,
                          const TFileStamp &before, const TFileStamp &after)
{
    Keep({path, std::move(previous), {}, after}, before);
}

void TUndoHistory::RecordPatches(const std::string &path, std::vector<TTextPatch> undo,
                                 const TFileStamp &before, const TFileStamp &after)
{
    Keep({path, {}, std::move(undo), after}, before);
}

void TUndoHistory::Keep(TStep step, const TFileStamp &before)
{
    const auto last = LastStepOf(step.Path);
    if (last != steps_.end() && !(last->Written == before))
        DropStepsOf(step.Path); // the earlier steps would undo over another program's change
    keptBytes_ += step.Bytes();
    steps_.push_back(std::move(step));
    while (steps_.size() > MaxSteps || (keptBytes_ > MaxBytes && steps_.size() > 1))
        DropStep(steps_.begin());
}

void TUndoHistory::Restamp(const std::string &path, const TFileStamp &before,
                           const TFileStamp &after)
{
    if (const auto last = LastStepOf(path); last != steps_.end() && last->Written == before)
        last->Written = after;
}

bool TUndoHistory::CanUndo(const std::string &path) const
{
    return std::any_of(steps_.begin(), steps_.end(),
                       [&](const TStep &step) { return step.Path == path; });
}

std::optional<std::string> TUndoHistory::Undo(const std::string &path,
                                              std::optional<std::string> current)
{
    const auto last = LastStepOf(path);
    if (last == steps_.end())
        return std::nullopt;
    const std::optional<TFileStamp> stamp = StampOf(path);
    if (!stamp)
        LoadStringFromFile(path); // raises the file's own error
    if (!(*stamp == last->Written)) {
        DropStepsOf(path);
        throw Exception("Undo is refused: the feed \"" + path +
                        "\" was changed by another program since the editor wrote it. "
                        "The file stays as it is now.");
    }
    const size_t stepBytes = last->Bytes();
    std::string bytes;
    if (last->Patches.empty()) {
        SaveStringToFile(path, last->Previous);
        bytes = std::move(last->Previous);
    } else {
        // The file is the one the editor wrote: its bytes are the written text.
        bytes = current ? std::move(*current) : LoadStringFromFile(path);
        ApplyPatchesBackwards(bytes, last->Patches);
        try {
            SaveStringToFile(path, bytes);
        } catch (...) {
            ApplyPatches(bytes, last->Patches); // the step stays as it was
            throw;
        }
    }
    const std::optional<TFileStamp> restored = StampOf(path);
    keptBytes_ -= stepBytes;
    steps_.erase(last);
    // The file holds again what the step before this one wrote, as a new file.
    if (const auto earlier = LastStepOf(path); earlier != steps_.end() && restored)
        earlier->Written = *restored;
    return bytes;
}

TUndoHistory::TRecording::TRecording(TUndoHistory &history, std::string path)
    : history_(history), path_(std::move(path))
{
    try {
        const std::optional<TFileStamp> stamp = StampOf(path_);
        if (!stamp)
            return; // the command will fail on this file itself: nothing to take back
        beforeStamp_ = *stamp;
        before_ = LoadStringFromFile(path_);
        watching_ = true;
    } catch (const std::exception &) {
    }
}

TUndoHistory::TRecording::TRecording(TUndoHistory &history, std::string path,
                                     std::string knownBytes, const TFileStamp &stamp)
    : history_(history), path_(std::move(path)), before_(std::move(knownBytes)),
      beforeStamp_(stamp), watching_(true)
{
}

bool TUndoHistory::TRecording::Finish(bool bytesEqual, const TFileStamp &after)
{
    watching_ = false;
    if (after == beforeStamp_)
        return false; // not written
    if (bytesEqual) { // a rewrite with the same bytes is no step to undo
        history_.Restamp(path_, beforeStamp_, after);
        return false;
    }
    history_.Record(path_, std::move(before_), beforeStamp_, after);
    return true;
}

bool TUndoHistory::TRecording::Written(const std::string &bytes, const TFileStamp &after)
{
    return watching_ && Finish(bytes == before_, after);
}

TUndoHistory::TRecording::~TRecording()
{
    if (!watching_)
        return;
    try {
        const std::optional<TFileStamp> after = StampOf(path_);
        if (!after)
            return; // the file went away during the command: no step to record
        // Written with the same size: the bytes may be the same.
        const bool same = !(*after == beforeStamp_) && after->Size == before_.size() &&
                          LoadStringFromFile(path_) == before_;
        Finish(same, *after);
    } catch (...) {
        // The file went away during the command: no step to record.
    }
}
