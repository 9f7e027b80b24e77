#include "KnownFeedFile.h"

#include <utility>

void TKnownFeedFile::Remember(std::string path, std::string bytes, const TFileStamp &stamp)
{
    Remember(std::move(path), std::make_shared<std::string>(std::move(bytes)), stamp);
}

void TKnownFeedFile::Remember(std::string path, std::shared_ptr<std::string> bytes, const TFileStamp &stamp)
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
    return FindChannelLines(Bytes(), document, staleChild_);
}

void TKnownFeedFile::Forget()
{
    known_ = false;
    written_ = false;
    lines_.reset();
    staleChild_ = -1;
    path_.clear();
    bytes_.reset(); // a large feed's bytes are given back at once (unless a document reads them)
}

bool TKnownFeedFile::Unchanged(const std::string &path) const
{
    if (!known_ || path.empty() || path != path_)
        return false;
    const std::optional<TFileStamp> now = StampOf(path);
    return now && *now == stamp_;
}

const std::string &TKnownFeedFile::Bytes() const
{
    static const std::string none;
    return bytes_ ? *bytes_ : none;
}

std::string TKnownFeedFile::TakeBytes()
{
    // Bytes a document still borrows from are copied, never moved from under it.
    std::string bytes;
    if (bytes_ && bytes_.use_count() == 1)
        bytes = std::move(*bytes_);
    else if (bytes_)
        bytes = *bytes_;
    Forget();
    return bytes;
}
