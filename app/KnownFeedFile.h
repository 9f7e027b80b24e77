#pragma once
// The bytes of the feed file the editor last read or wrote, with the file's stamp taken then.
// While the file's stamp is unchanged it still holds those bytes, so they need not be read
// again; a write by another program changes the stamp and the file must be read.
#include "FileStamp.h"

#include <string>

class TKnownFeedFile {
public:
    void Remember(std::string path, std::string bytes, const TFileStamp &stamp);
    void Forget();
    // True when path is the file remembered and its stamp is still the one taken.
    bool Unchanged(const std::string &path) const;
    const std::string &Bytes() const { return bytes_; }
    const TFileStamp &Stamp() const { return stamp_; }
    // Hands the bytes over and forgets the file.
    std::string TakeBytes();

private:
    std::string path_;
    std::string bytes_;
    TFileStamp stamp_;
    bool known_ = false;
};
