#include "KnownFeedFile.h"

#include <utility>

void TKnownFeedFile::Remember(std::string path, std::string bytes, const TFileStamp &stamp)
{
    path_ = std::move(path);
    bytes_ = std::move(bytes);
    stamp_ = stamp;
    known_ = true;
}

void TKnownFeedFile::Forget()
{
    known_ = false;
    path_.clear();
    std::string().swap(bytes_); // a large feed's bytes are given back at once
}

bool TKnownFeedFile::Unchanged(const std::string &path) const
{
    if (!known_ || path.empty() || path != path_)
        return false;
    const std::optional<TFileStamp> now = StampOf(path);
    return now && *now == stamp_;
}

std::string TKnownFeedFile::TakeBytes()
{
    std::string bytes = std::move(bytes_);
    Forget();
    return bytes;
}
