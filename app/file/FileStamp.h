#pragma once
// What identifies one version of a file on disk: device, inode, size and the modification
// and change times. Every save of the editor makes a new file (it is replaced in one step),
// and another program's write changes the times, so an equal stamp means the same bytes.
#include <cstdint>
#include <optional>
#include <string>

struct TFileStamp {
    std::uint64_t Device = 0, Inode = 0, Size = 0;
    std::int64_t ModifiedSeconds = 0, ModifiedNanoseconds = 0;
    std::int64_t ChangedSeconds = 0, ChangedNanoseconds = 0;
    bool operator==(const TFileStamp &) const = default;
};

// The stamp of the file at path now; none when it cannot be looked at.
std::optional<TFileStamp> StampOf(const std::string &path);
