#include "UndoHistory.h"

#include "zelException.h"
#include "zelStrings.h"

#include <algorithm>
#include <functional>

namespace {

size_t HashOf(std::string_view bytes) { return std::hash<std::string_view>()(bytes); }

} // namespace

void TUndoHistory::Record(const std::string &path, std::string previous, std::string_view written)
{
    if (previous == written)
        return;
    keptBytes_ += previous.size();
    steps_.push_back({path, std::move(previous), written.size(), HashOf(written)});
    while (steps_.size() > MaxSteps || (keptBytes_ > MaxBytes && steps_.size() > 1))
        DropStep(steps_.begin());
}

void TUndoHistory::DropStep(std::deque<TStep>::iterator step)
{
    keptBytes_ -= step->Previous.size();
    steps_.erase(step);
}

bool TUndoHistory::CanUndo(const std::string &path) const
{
    return std::any_of(steps_.begin(), steps_.end(),
                       [&](const TStep &step) { return step.Path == path; });
}

void TUndoHistory::Undo(const std::string &path)
{
    const auto last = std::find_if(steps_.rbegin(), steps_.rend(),
                                   [&](const TStep &step) { return step.Path == path; });
    if (last == steps_.rend())
        return;
    const std::string current = LoadStringFromFile(path);
    if (current.size() != last->WrittenSize || HashOf(current) != last->WrittenHash) {
        for (auto step = steps_.begin(); step != steps_.end();)
            if (step->Path == path)
                step = (keptBytes_ -= step->Previous.size(), steps_.erase(step));
            else
                ++step;
        throw Exception("Undo is refused: the feed \"" + path +
                        "\" was changed by another program since the editor wrote it. "
                        "The file stays as it is now.");
    }
    SaveStringToFile(path, last->Previous);
    DropStep(std::next(last).base());
}

TUndoHistory::TRecording::TRecording(TUndoHistory &history, std::string path)
    : history_(history), path_(std::move(path))
{
    try {
        before_ = LoadStringFromFile(path_);
        watching_ = true;
    } catch (const std::exception &) {
        // The command will fail on this file itself; there is nothing to take back.
    }
}

TUndoHistory::TRecording::~TRecording()
{
    if (!watching_)
        return;
    try {
        const std::string after = LoadStringFromFile(path_);
        history_.Record(path_, std::move(before_), after);
    } catch (...) {
        // The file went away during the command: no step to record.
    }
}
