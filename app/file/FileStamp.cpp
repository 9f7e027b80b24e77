#include "FileStamp.h"

#include <sys/stat.h>

std::optional<TFileStamp> StampOf(const std::string &path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return TFileStamp{std::uint64_t(info.st_dev),         std::uint64_t(info.st_ino),
                      std::uint64_t(info.st_size),        std::int64_t(info.st_mtim.tv_sec),
                      std::int64_t(info.st_mtim.tv_nsec), std::int64_t(info.st_ctim.tv_sec),
                      std::int64_t(info.st_ctim.tv_nsec)};
}
