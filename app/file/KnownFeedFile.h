#pragma once
// The bytes of the feed file the editor last read or wrote, with the file's stamp taken then.
// While the file's stamp is unchanged it still holds those bytes, so they need not be read
// again; a write by another program changes the stamp and the file must be read.
#include "ChannelSplice.h"
#include "FileStamp.h"

#include <memory>
#include <optional>
#include <string>

class TKnownFeedFile {
public:
    // Bytes read from the file.
    void Remember(std::string path, std::string bytes, const TFileStamp &stamp);
    // The same for bytes shared with the document read from them (see SharedBytes).
    void Remember(std::string path, std::shared_ptr<std::string> bytes, const TFileStamp &stamp);
    // Bytes the editor wrote: the writer's text of the document but for staleChild's lines (see
    // ChannelSplice.h), with the channel's lines in it when they are known.
    void RememberWritten(std::string path, std::string bytes, const TFileStamp &stamp,
                         std::optional<TChannelLines> lines, int staleChild);
    void Forget();
    // True when path is the file remembered and its stamp is still the one taken.
    bool Unchanged(const std::string &path) const;
    const std::string &Bytes() const;
    // The bytes for a document to read and borrow from, so that they are held once. While the
    // document holds them, TakeBytes hands over a copy.
    std::shared_ptr<const std::string> SharedBytes() const { return bytes_; }
    const TFileStamp &Stamp() const { return stamp_; }
    // The document is read from the bytes anew: its writer's text may differ from them.
    void ForgetLayout();
    // Hands the bytes over and forgets the file.
    std::string TakeBytes();
    // The channel's lines in the bytes the editor wrote, found now when they were not known;
    // none for bytes that were read, or when they cannot be found.
    std::optional<TChannelLines> ChannelLines(const TzelXMLParser2 &document) const;

private:
    std::string path_;
    std::shared_ptr<std::string> bytes_;
    TFileStamp stamp_;
    bool known_ = false;
    bool written_ = false;
    std::optional<TChannelLines> lines_;
    int staleChild_ = -1;
};
