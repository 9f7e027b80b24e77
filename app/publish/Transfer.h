#pragma once
// One connection to the author's server through libcurl: remote sizes, uploads (resumed where
// the protocol allows), and putting an uploaded temporary file in place of the real one.
// Every failure raises TPublishError with a message the author can act on (TransferErrors.h).
#include "PublishSettings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// What a failure asks of the caller: nothing more, or a password asked for again.
enum class TPublishFailure { Other, Cancelled, Authentication };

class TPublishError : public std::runtime_error {
public:
    explicit TPublishError(const std::string &message, TPublishFailure failure = TPublishFailure::Other)
        : std::runtime_error(message), Failure(failure)
    {
    }
    TPublishFailure Failure;
};

// A server's host key that the known hosts file does not hold.
struct THostKey {
    std::string Host;
    int Port = 22;
    std::string KeyType;     // "ssh-ed25519", "ssh-rsa", ...
    std::string Fingerprint; // "SHA256:..."
};

struct TTransferHooks {
    // Bytes of the running upload sent so far and its size; false cancels the transfer.
    std::function<bool(std::int64_t sent, std::int64_t total)> Progress;
    // A host key not in the known hosts file, shown to the author; true trusts it and adds it
    // to the file. Unset: refused.
    std::function<bool(const THostKey &key)> AcceptNewHostKey;
};

class TTransfer {
public:
    TTransfer(TPublishSettings settings, std::string password, TTransferHooks hooks);
    ~TTransfer();
    TTransfer(const TTransfer &) = delete;
    TTransfer &operator=(const TTransfer &) = delete;

    // Size of a file below the remote folder, -1 when there is none.
    std::int64_t RemoteSize(const std::string &name);
    // Uploads the local file to name; from offset on when offset > 0 (the remote file then
    // holds the file's first offset bytes already). shownAs names the file in a failure.
    void UploadFile(const std::string &localPath, const std::string &name,
                    const std::string &shownAs, std::int64_t offset = 0);
    void UploadBytes(const std::string &bytes, const std::string &name, const std::string &shownAs);
    // Puts the uploaded temporary file in place of name. A rename that replaces is tried first;
    // a server that refuses to rename onto an existing file gets a removal and then the rename,
    // so readers may briefly find no file but never half of one.
    void Replace(const std::string &temporary, const std::string &name);
    // Whether an interrupted upload can go on where it stopped (SFTP, FTP, FTPS).
    bool ResumesUploads() const;
    // The names in a folder below the remote folder ("" the remote folder itself), hidden ones
    // included, without "." and "..".
    std::vector<std::string> List(const std::string &folder);
    // Removes a file below the remote folder.
    void Remove(const std::string &name);

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

// GETs a public http(s) URL (caFile: a certificate to trust besides the system's).
std::string FetchPublicUrl(const std::string &url, const std::string &caFile);

// What a public URL answered to one bounded request: at most a few seconds, and of the body only
// the first bytes asked for.
struct TPublicAnswer {
    long Status = 0;               // the HTTP status, 0 when no answer came
    std::int64_t ContentLength = -1;
    std::string ContentType;       // without parameters, lower case
    std::string Body;              // at most the bytes asked for
    std::string Failure;           // why no answer came, "" when one did
};
// A HEAD request when bodyBytes is 0, else a GET of the range given ("" for none) that keeps at
// most bodyBytes of the body, whatever the server sends.
TPublicAnswer AskPublicUrl(const std::string &url, const std::string &caFile, const std::string &range,
                           std::size_t bodyBytes);
