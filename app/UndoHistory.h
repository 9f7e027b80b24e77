#pragma once
// The changes the editor wrote to feed files, so they can be taken back: each step keeps the
// file's bytes from before the write and a fingerprint (size and hash) of what was written.
// Undo puts the earlier bytes back through the same atomic save the commands use, and is
// refused when the file no longer holds what the editor wrote (another program changed it).
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

class TUndoHistory {
public:
    // Steps kept over all feeds, and the bytes they may hold together; the oldest go first
    // (the latest step is always kept, however large).
    static constexpr size_t MaxSteps = 50;
    static constexpr size_t MaxBytes = size_t(256) << 20;

    // Records that the file at path went from previous to written bytes (nothing when equal).
    void Record(const std::string &path, std::string previous, std::string_view written);
    // True when a step for that file is kept.
    bool CanUndo(const std::string &path) const;
    // Takes back the last change to the file. Raises a message, dropping that file's steps,
    // when the file changed since; raises the file's own errors when it cannot be read or
    // written (the step stays then).
    void Undo(const std::string &path);

    // While alive, watches one command: the file's bytes before it, a step after it when the
    // file changed (also when the command raised after writing). A file that cannot be read
    // before the command is not watched.
    class TRecording {
    public:
        TRecording(TUndoHistory &history, std::string path);
        ~TRecording();
        TRecording(const TRecording &) = delete;
        TRecording &operator=(const TRecording &) = delete;

    private:
        TUndoHistory &history_;
        std::string path_;
        std::string before_;
        bool watching_ = false;
    };

private:
    struct TStep {
        std::string Path;
        std::string Previous;
        size_t WrittenSize;
        size_t WrittenHash;
    };
    std::deque<TStep> steps_;
    size_t keptBytes_ = 0; // the Previous bytes of all steps
    void DropStep(std::deque<TStep>::iterator step);
};
