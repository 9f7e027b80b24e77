#pragma once
// The changes the editor wrote to feed files, so they can be taken back: each step keeps the
// file's bytes from before the write and the file's stamp (device, inode, size, change times)
// right after it. Every save replaces the file with a new one, so the stamp tells whether the
// file is still the one the editor wrote. Undo puts the earlier bytes back through the same
// atomic save the commands use, and is refused when another program changed the file since.
// A step of a large feed may instead keep only the patches that take the written text back
// (see ChannelSplice.h); undoing it needs the file's bytes as the editor wrote them.
#include "ChannelSplice.h"
#include "FileStamp.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class TUndoHistory {
public:
    // Steps kept over all feeds, and the bytes they may hold together; the oldest go first
    // (the latest step is always kept, however large).
    static constexpr size_t MaxSteps = 50;
    static constexpr size_t MaxBytes = size_t(256) << 20;

    using TFileStamp = ::TFileStamp;
    static std::optional<TFileStamp> StampOf(const std::string &path) { return ::StampOf(path); }

    // The file went from previous (stamped before) to a version stamped after. Steps of the
    // same file that do not lead to before (another program wrote in between) are dropped.
    void Record(const std::string &path, std::string previous, const TFileStamp &before,
                const TFileStamp &after);
    // The same when the written text is the earlier one with patches applied: `undo` holds the
    // patches that give the earlier text back (as ApplyPatches left them).
    void RecordPatches(const std::string &path, std::vector<TTextPatch> undo,
                       const TFileStamp &before, const TFileStamp &after);
    // The file was rewritten with the bytes it had: its last step now ends at the new stamp.
    void Restamp(const std::string &path, const TFileStamp &before, const TFileStamp &after);
    // True when a step for that file is kept.
    bool CanUndo(const std::string &path) const;
    // Takes back the last change to the file and returns the bytes it holds again (nothing
    // when there is no step). Raises a message, dropping that file's steps, when the file
    // changed since; raises the file's own errors when it cannot be read or written (the
    // step stays then).
    // `current` may hold the file's bytes when the caller knows them (the file's stamp is the
    // one the editor wrote), so they are not read.
    std::optional<std::string> Undo(const std::string &path,
                                    std::optional<std::string> current = std::nullopt);

    // While alive, watches one command: the file's bytes before it, a step after it when the
    // file was written with other bytes (also when the command raised after writing). A file
    // that cannot be read before the command is not watched.
    class TRecording {
    public:
        TRecording(TUndoHistory &history, std::string path);
        // The same when the caller knows the file's bytes: they are what it held at stamp,
        // which is its stamp now, so the file is not read.
        TRecording(TUndoHistory &history, std::string path, std::string knownBytes,
                   const TFileStamp &stamp);
        ~TRecording();
        // The command wrote these bytes, leaving the file at stamp after: the step is kept
        // now, without reading the file back. True when that made a step (other bytes).
        bool Written(const std::string &bytes, const TFileStamp &after);
        // The file's bytes before the command.
        const std::string &Before() const { return before_; }
        TRecording(const TRecording &) = delete;
        TRecording &operator=(const TRecording &) = delete;

    private:
        TUndoHistory &history_;
        std::string path_;
        std::string before_;
        TFileStamp beforeStamp_;
        bool watching_ = false;
        // What a step is recorded from: the written bytes and stamp when the command told them.
        bool Finish(bool bytesEqual, const TFileStamp &after);
    };

private:
    struct TStep {
        std::string Path;
        std::string Previous;            // the whole earlier text, or
        std::vector<TTextPatch> Patches; // what takes the written text back to it
        TFileStamp Written;
        size_t Bytes() const;
    };
    std::deque<TStep> steps_;
    size_t keptBytes_ = 0; // the bytes all steps hold

    // The last step of the file, or steps_.end().
    std::deque<TStep>::iterator LastStepOf(const std::string &path);
    void DropStepsOf(const std::string &path);
    void DropStep(std::deque<TStep>::iterator step);
    void Keep(TStep step, const TFileStamp &before);
};
