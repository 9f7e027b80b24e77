#include "KnownFeedFile.h"

#include <utility>

void TKnownFeedFile::Remember(std::string path, std::string bytes, const TFileStamp &stamp)
{
    path_ = std::move(path);
    bytes_ = std::move(bytes);
    stamp_ = stamp;
    known_ = true;
    written_ = false;
    lines_.reset();
    staleChild_ = -1;
}

void TKnownFeedFile::RememberWritten(std::string path, std::string bytes, const TFileStamp &stamp,
                                     std::optional<TChannelLines> lines, int staleChild)
{
    Remember(std::move(path), std::move(bytes), stamp);
    written_ = true;
    lines_ = std::move(lines);
    staleChild_ = staleChild;
}

void TKnownFeedFile::ForgetLayout()
{
    written_ = false;
    lines_.reset();
    staleChild_ = -1;
}

std::optional<TChannelLines> TKnownFeedFile::ChannelLines(const TzelXMLParser2 &document) const
{
    if (!known_ || !written_)
        return std::nullopt;
    if (lines_)
        return lines_;
    return FindChannelLines(bytes_, document, staleChild_);
}

void TKnownFeedFile::Forget()
{
    known_ = false;
    written_ = false;
    lines_.reset();
    staleChild_ = -1;
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
