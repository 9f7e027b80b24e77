#pragma once
// Taking an item command back in the document itself. Undo writes the earlier bytes back (see
// UndoHistory.h); when the document is still the one the command left, it is given back what
// the command took, so the whole feed need not be read and parsed again: an added child goes,
// a removed or replaced one comes back as it was, and so does the declaration.
#include "ChannelSplice.h"
#include "FileStamp.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TzelXMLNode2;
class TzelXMLParser2;

struct TItemTreeStep {
    std::string Path;
    TFileStamp Written; // the file the command wrote
    TChannelChange Change;
    std::unique_ptr<TzelXMLNode2> Child; // the child removed or replaced, as it was
    std::vector<std::pair<std::string, std::string>> Declaration;
    // The bytes before were the writer's text of the document but for this stale child (-1:
    // none), or were read (-2): their lines are found again when needed.
    int WriterTextStale = -2;

    TItemTreeStep();
    TItemTreeStep(TItemTreeStep &&) noexcept;
    TItemTreeStep &operator=(TItemTreeStep &&) noexcept;
    ~TItemTreeStep();
};

// What undoing a change about to be made needs; none when it could not be given back exactly
// (a copy of a child followed by markup would lose that markup).
std::optional<TItemTreeStep> PrepareTreeStep(const TzelXMLParser2 &document, TChannelChange change);

// Gives the document back what the step's command changed; returns the change that makes to
// the channel's children.
TChannelChange ApplyTreeStep(TzelXMLParser2 &document, TItemTreeStep &step);

class TItemTreeUndo {
public:
    static constexpr size_t MaxSteps = 50;
    void Push(TItemTreeStep step);
    // The newest step, when it is the one that wrote the file of path now at stamp.
    std::optional<TItemTreeStep> Take(const std::string &path, const TFileStamp &stamp);
    void Clear() { steps_.clear(); }

private:
    std::deque<TItemTreeStep> steps_;
};
