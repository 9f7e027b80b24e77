#include "Transfer.h"

#include "KnownHosts.h"
#include "TransferErrors.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <cstdio>
#include <curl/curl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// libcurl's global set-up, once per process, before the first handle.
void InitialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// libcurl before 8.9 closes an upload's encrypted data connection without reading what the
// server sent on it; under TLS 1.3 the server's session tickets are such unread bytes, so the
// close resets the connection and the server loses the end of the file while reporting success.
// TLS 1.2 sends no tickets after the handshake.
bool LosesTls13Uploads()
{
    return curl_version_info(CURLVERSION_NOW)->version_num < 0x080900;
}

// An SSH public key's type, the first string of its blob ("ssh-ed25519", "ecdsa-sha2-nistp256").
std::string KeyTypeOf(const QByteArray &key)
{
    if (key.size() < 4)
        return "unknown";
    const quint32 length = quint32(quint8(key[0])) << 24 | quint32(quint8(key[1])) << 16 |
                           quint32(quint8(key[2])) << 8 | quint32(quint8(key[3]));
    if (length == 0 || length > 64 || qsizetype(length) > key.size() - 4)
        return "unknown";
    return key.mid(4, qsizetype(length)).toStdString();
}

// An SFTP upload has at most one buffer of writes unanswered: the transfer library hands the
// SSH library its upload buffer and reads the file again only once every write in it has been
// answered. Over a long link the default 64 KiB made that one buffer per round trip (1.3 MB/s at
// 50 ms). This is the most that fits in the 2 MiB channel window OpenSSH's and Go's servers
// grant in whole 30 000-byte writes, the SSH library's size: a buffer one write larger waits a
// further round trip for the window to open, every time.
// A resumed upload keeps the default: a server that cannot write on in the middle of a file
// (rclone's) refuses every write in flight, and after a whole buffer of refused writes it lost
// the rename of the upload that followed from the start.
constexpr long UploadBufferBytes = 69 * 30000;

std::string Quoted(const std::string &path) { return "\"" + path + "\""; }

std::string EncodedPath(const std::string &path)
{
    return QUrl::toPercentEncoding(QString::fromStdString(path), "/~").toStdString();
}

std::string Joined(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string LastSegment(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What an upload reads from: a local file (seekable, for resumed uploads) or bytes in memory.
struct TSource {
    std::FILE *File = nullptr;
    const std::string *Bytes = nullptr;
    std::size_t Position = 0;
};

size_t ReadSource(char *buffer, size_t size, size_t count, void *data)
{
    TSource &source = *static_cast<TSource *>(data);
    if (source.File)
        return std::fread(buffer, 1, size * count, source.File);
    const std::size_t length = std::min(size * count, source.Bytes->size() - source.Position);
    source.Bytes->copy(buffer, length, source.Position);
    source.Position += length;
    return length;
}

int SeekSource(void *data, curl_off_t offset, int origin)
{
    TSource &source = *static_cast<TSource *>(data);
    if (origin != SEEK_SET)
        return CURL_SEEKFUNC_CANTSEEK;
    if (source.File)
        return fseeko(source.File, offset, SEEK_SET) == 0 ? CURL_SEEKFUNC_OK : CURL_SEEKFUNC_FAIL;
    if (offset < 0 || std::size_t(offset) > source.Bytes->size())
        return CURL_SEEKFUNC_FAIL;
    source.Position = std::size_t(offset);
    return CURL_SEEKFUNC_OK;
}

size_t DiscardBody(char *, size_t size, size_t count, void *) { return size * count; }

size_t AppendBody(char *buffer, size_t size, size_t count, void *data)
{
    static_cast<std::string *>(data)->append(buffer, size * count);
    return size * count;
}

} // namespace

struct TTransfer::TState {
    TPublishSettings Settings;
    std::string Password;
    TTransferHooks Hooks;
    CURL *Curl = nullptr;
    char Error[CURL_ERROR_SIZE] = {};
    THostKeyVerdict HostKey = THostKeyVerdict::NotAsked;
    // Plain FTP: a server that stops an upload (552, quota exceeded) answers on the control
    // connection and drops the data connection; the transfer library sees only the drop and
    // closes both without reading the answer. So the control socket is known from its opening,
    // and on its closing during an upload a copy is kept for Fail to read the answer from.
    curl_socket_t ControlSocket = CURL_SOCKET_BAD;
    int ClosedControl = -1;
    bool Uploading = false;
    // WebDAV: the schemes a challenge may be answered with. A server found to ask for Basic alone
    // gets it with every later request, instead of each request first drawing a 401: a round
    // trip each, and a 401 to an upload also closes the connection.
    long HttpAuth = CURLAUTH_BASIC | CURLAUTH_DIGEST;
    curl_slist *Commands = nullptr;
    curl_slist *Headers = nullptr;
    TSource *Uploaded = nullptr; // what the request being made uploads, if anything

    curl_off_t UploadStart() const
    {
        return Uploaded->File ? curl_off_t(ftello(Uploaded->File)) : curl_off_t(Uploaded->Position);
    }

    std::string HostAndPort() const
    {
        return Settings.Host + ":" + std::to_string(EffectivePort(Settings));
    }

    // The remote folder as a server path, for SFTP commands.
    std::string ServerPath(const std::string &name) const { return Joined(Settings.RemoteFolder, name); }

    std::string Url(const std::string &name) const
    {
        const std::string &folder = Settings.RemoteFolder;
        const bool absolute = !folder.empty() && folder.front() == '/';
        const std::string below = EncodedPath(Joined(absolute ? folder.substr(1) : folder, name));
        std::string url;
        switch (Settings.Protocol) {
        case TPublishProtocol::Sftp:
            // "/~/" is the login's home folder; a relative folder lies below it.
            url = "sftp://" + HostAndPort();
            return url.append(absolute ? "/" : "/~/").append(below);
        case TPublishProtocol::Ftps:
        case TPublishProtocol::Ftp:
            // A relative folder lies below the login folder; %2F starts at the root.
            url = "ftp://" + HostAndPort();
            return url.append(absolute ? "/%2F" : "/").append(below);
        case TPublishProtocol::WebDav:
            url = "https://" + HostAndPort();
            return url.append("/").append(below);
        }
        return {};
    }

    static int KeyCheck(CURL *, const curl_khkey *, const curl_khkey *found, curl_khmatch match,
                        void *data)
    {
        TState &state = *static_cast<TState *>(data);
        const int port = EffectivePort(state.Settings);
        const std::string filedAs = KnownHostName(state.Settings.Host, port);
        if (match == CURLKHMATCH_OK) {
            state.HostKey = THostKeyVerdict::Known;
            return CURLKHSTAT_FINE;
        }
        // The transfer library also compares with an entry under the bare host name, which
        // belongs to the host's port 22 (or to this port, as older versions filed it). Only a
        // key filed for this very port having changed is a changed key.
        if (match == CURLKHMATCH_MISMATCH &&
            (port == 22 || KnownHostsHasName(KnownHostsPath(state.Settings), filedAs))) {
            state.HostKey = THostKeyVerdict::Changed;
            return CURLKHSTAT_REJECT;
        }
        // A key the file does not hold: the author decides from its fingerprint.
        const QByteArray key = found->len ? QByteArray(found->key, qsizetype(found->len))
                                          : QByteArray::fromBase64(QByteArray(found->key));
        THostKey offered;
        offered.Host = state.Settings.Host;
        offered.Port = port;
        offered.KeyType = KeyTypeOf(key);
        offered.Fingerprint = "SHA256:" + QCryptographicHash::hash(key, QCryptographicHash::Sha256)
                                              .toBase64(QByteArray::OmitTrailingEquals)
                                              .toStdString();
        if (state.Hooks.AcceptNewHostKey && state.Hooks.AcceptNewHostKey(offered)) {
            // Filed here, not by the transfer library, which files it without the port. A file
            // that cannot be written only means the question comes again next time.
            AddKnownHost(KnownHostsPath(state.Settings), filedAs, offered.KeyType, key.toBase64().toStdString());
            state.HostKey = THostKeyVerdict::Known;
            return CURLKHSTAT_FINE;
        }
        state.HostKey = THostKeyVerdict::Refused;
        return CURLKHSTAT_REJECT;
    }

    static curl_socket_t OpenSocket(void *data, curlsocktype, curl_sockaddr *address)
    {
        TState &state = *static_cast<TState *>(data);
        const curl_socket_t socket = ::socket(address->family, address->socktype, address->protocol);
        if (state.ControlSocket == CURL_SOCKET_BAD) // a connection's first socket carries its commands
            state.ControlSocket = socket;
        return socket;
    }

    static int CloseSocket(void *data, curl_socket_t socket)
    {
        TState &state = *static_cast<TState *>(data);
        if (socket == state.ControlSocket) {
            state.ControlSocket = CURL_SOCKET_BAD;
            if (state.Uploading && state.ClosedControl < 0)
                state.ClosedControl = ::dup(socket);
        }
        return ::close(socket);
    }

    // The last reply a closed control connection still held, waiting a moment for it; 0 when none.
    long ClosedControlReply()
    {
        if (ClosedControl < 0)
            return 0;
        std::string received;
        pollfd wait = {ClosedControl, POLLIN, 0};
        char buffer[4096];
        while (received.size() < 16384 && ::poll(&wait, 1, 2000) > 0) {
            const ssize_t count = ::recv(ClosedControl, buffer, sizeof buffer, 0);
            if (count <= 0)
                break;
            received.append(buffer, std::size_t(count));
            if (received.ends_with("\n"))
                break;
        }
        ForgetClosedControl();
        long reply = 0;
        for (const QString &line : QString::fromLatin1(received).split(QLatin1Char('\n'))) {
            bool number = false;
            const long code = line.left(3).toLong(&number);
            if (number && line.size() > 3 && line[3] == QLatin1Char(' '))
                reply = code;
        }
        return reply;
    }

    void ForgetClosedControl()
    {
        if (ClosedControl >= 0)
            ::close(ClosedControl);
        ClosedControl = -1;
    }

    static int Progress(void *data, curl_off_t, curl_off_t, curl_off_t total, curl_off_t sent)
    {
        const TState &state = *static_cast<TState *>(data);
        return state.Hooks.Progress && !state.Hooks.Progress(sent, total) ? 1 : 0;
    }

    // A fresh request on the same connection: everything but the connection is forgotten.
    void Start(const std::string &url)
    {
        curl_easy_reset(Curl);
        curl_slist_free_all(Commands);
        curl_slist_free_all(Headers);
        Commands = Headers = nullptr;
        Uploaded = nullptr;
        Error[0] = 0;
        curl_easy_setopt(Curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(Curl, CURLOPT_ERRORBUFFER, Error);
        curl_easy_setopt(Curl, CURLOPT_NOSIGNAL, 1L);
        // Bounded waits: a server that stops answering fails the run, nothing waits forever.
        curl_easy_setopt(Curl, CURLOPT_CONNECTTIMEOUT, 20L);
        curl_easy_setopt(Curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(Curl, CURLOPT_LOW_SPEED_TIME, 30L);
        curl_easy_setopt(Curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 30L);
        curl_easy_setopt(Curl, CURLOPT_USERNAME, Settings.User.c_str());
        curl_easy_setopt(Curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(Curl, CURLOPT_XFERINFOFUNCTION, &TState::Progress);
        curl_easy_setopt(Curl, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(Curl, CURLOPT_WRITEFUNCTION, &DiscardBody);
        if (!Settings.CaFile.empty())
            curl_easy_setopt(Curl, CURLOPT_CAINFO, Settings.CaFile.c_str());
        switch (Settings.Protocol) {
        case TPublishProtocol::Sftp:
            curl_easy_setopt(Curl, CURLOPT_SSH_KNOWNHOSTS, KnownHostsPath(Settings).c_str());
            curl_easy_setopt(Curl, CURLOPT_SSH_KEYFUNCTION, &TState::KeyCheck);
            curl_easy_setopt(Curl, CURLOPT_SSH_KEYDATA, this);
            if (Settings.KeyFile.empty()) {
                curl_easy_setopt(Curl, CURLOPT_SSH_AUTH_TYPES,
                                 long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
                curl_easy_setopt(Curl, CURLOPT_PASSWORD, Password.c_str());
            } else {
                curl_easy_setopt(Curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PUBLICKEY));
                curl_easy_setopt(Curl, CURLOPT_SSH_PRIVATE_KEYFILE, Settings.KeyFile.c_str());
                curl_easy_setopt(Curl, CURLOPT_KEYPASSWD, Password.c_str());
            }
            curl_easy_setopt(Curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR));
            break;
        case TPublishProtocol::Ftps:
            curl_easy_setopt(Curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
            if (LosesTls13Uploads())
                curl_easy_setopt(Curl, CURLOPT_SSLVERSION,
                                 long(CURL_SSLVERSION_TLSv1_2) | long(CURL_SSLVERSION_MAX_TLSv1_2));
            [[fallthrough]];
        case TPublishProtocol::Ftp:
            if (Settings.Protocol == TPublishProtocol::Ftp) {
                curl_easy_setopt(Curl, CURLOPT_OPENSOCKETFUNCTION, &TState::OpenSocket);
                curl_easy_setopt(Curl, CURLOPT_OPENSOCKETDATA, this);
                curl_easy_setopt(Curl, CURLOPT_CLOSESOCKETFUNCTION, &TState::CloseSocket);
                curl_easy_setopt(Curl, CURLOPT_CLOSESOCKETDATA, this);
            }
            curl_easy_setopt(Curl, CURLOPT_PASSWORD, Password.c_str());
            curl_easy_setopt(Curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR));
            break;
        case TPublishProtocol::WebDav:
            curl_easy_setopt(Curl, CURLOPT_PASSWORD, Password.c_str());
            curl_easy_setopt(Curl, CURLOPT_HTTPAUTH, HttpAuth);
            curl_easy_setopt(Curl, CURLOPT_FAILONERROR, 1L);
            // WebDAV servers speak HTTP/1.1; some break uploads over HTTP/2.
            curl_easy_setopt(Curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
            break;
        }
    }

    void Command(const std::string &command) { Commands = curl_slist_append(Commands, command.c_str()); }
    void Header(const std::string &header) { Headers = curl_slist_append(Headers, header.c_str()); }

    CURLcode Perform()
    {
        if (Commands)
            curl_easy_setopt(Curl, CURLOPT_POSTQUOTE, Commands);
        if (Headers)
            curl_easy_setopt(Curl, CURLOPT_HTTPHEADER, Headers);
        const auto start = Uploaded ? UploadStart() : 0;
        CURLcode code = curl_easy_perform(Curl);
        // A WebDAV server answers 423 Locked while a request of its own still holds the path
        // (one it took for a request the client already saw answered, or another client's): the
        // request is tried again a few times, an upload from where it started.
        long response = 0;
        for (int tries = 1; tries < 10 && Settings.Protocol == TPublishProtocol::WebDav &&
                            code == CURLE_HTTP_RETURNED_ERROR &&
                            curl_easy_getinfo(Curl, CURLINFO_RESPONSE_CODE, &response) == CURLE_OK && response == 423;
             ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            if (Uploaded && SeekSource(Uploaded, start, SEEK_SET) != CURL_SEEKFUNC_OK)
                break;
            code = curl_easy_perform(Curl);
        }
        long offered = 0;
        if (Settings.Protocol == TPublishProtocol::WebDav &&
            curl_easy_getinfo(Curl, CURLINFO_HTTPAUTH_AVAIL, &offered) == CURLE_OK &&
            (offered & (CURLAUTH_BASIC | CURLAUTH_DIGEST)) == CURLAUTH_BASIC)
            HttpAuth = CURLAUTH_BASIC;
        return code;
    }

    [[noreturn]] void Fail(CURLcode code, const std::string &what)
    {
        TTransferFailure failure;
        failure.Code = code;
        curl_easy_getinfo(Curl, CURLINFO_RESPONSE_CODE, &failure.Response);
        failure.Detail = Error;
        failure.HostKey = HostKey;
        failure.Host = HostAndPort();
        failure.What = what;
        // A cancel is the author's: there is no answer worth waiting for.
        if (code == CURLE_ABORTED_BY_CALLBACK)
            ForgetClosedControl();
        const long closingReply = ClosedControlReply();
        if (closingReply == 452 || closingReply == 552) {
            failure.Code = CURLE_REMOTE_DISK_FULL;
            failure.Response = closingReply;
            failure.Detail = "the server answered " + std::to_string(closingReply);
        }
        const bool denied = code == CURLE_LOGIN_DENIED ||
                            (code == CURLE_HTTP_RETURNED_ERROR && failure.Response == 401);
        throw TPublishError(TransferErrorMessage(failure),
                            code == CURLE_ABORTED_BY_CALLBACK ? TPublishFailure::Cancelled
                            : denied                          ? TPublishFailure::Authentication
                                                              : TPublishFailure::Other);
    }

    void Check(CURLcode code, const std::string &what)
    {
        if (code != CURLE_OK)
            Fail(code, what);
    }

    // The collections a WebDAV upload needs, made one level at a time; existing ones answer 405.
    void MakeCollections(const std::string &name)
    {
        const std::string full = Joined(Settings.RemoteFolder, name);
        std::string folder;
        for (std::size_t slash = full.find('/', 1); slash != std::string::npos;
             slash = full.find('/', slash + 1)) {
            folder = full.substr(0, slash);
            const bool absolute = folder.front() == '/';
            Start("https://" + HostAndPort() + "/" + EncodedPath(absolute ? folder.substr(1) : folder) + "/");
            curl_easy_setopt(Curl, CURLOPT_CUSTOMREQUEST, "MKCOL");
            curl_easy_setopt(Curl, CURLOPT_FAILONERROR, 0L);
            Check(Perform(), "making the folder " + folder);
        }
    }

    void Upload(TSource &source, std::int64_t size, const std::string &name,
                const std::string &shownAs, std::int64_t offset)
    {
        if (Settings.Protocol == TPublishProtocol::WebDav)
            MakeCollections(name);
        Start(Url(name));
        curl_easy_setopt(Curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(Curl, CURLOPT_READFUNCTION, &ReadSource);
        curl_easy_setopt(Curl, CURLOPT_READDATA, &source);
        curl_easy_setopt(Curl, CURLOPT_SEEKFUNCTION, &SeekSource);
        curl_easy_setopt(Curl, CURLOPT_SEEKDATA, &source);
        Uploaded = &source;
        curl_easy_setopt(Curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(size));
        if (offset > 0)
            curl_easy_setopt(Curl, CURLOPT_RESUME_FROM_LARGE, curl_off_t(offset));
        else // a resumed upload keeps the library's buffer (UploadBufferBytes says why)
            curl_easy_setopt(Curl, CURLOPT_UPLOAD_BUFFERSIZE, UploadBufferBytes);
        Uploading = true;
        const CURLcode code = Perform();
        Uploading = false;
        Uploaded = nullptr;
        if (code == CURLE_OK)
            ForgetClosedControl();
        Check(code, "uploading " + shownAs);
    }
};

TTransfer::TTransfer(TPublishSettings settings, std::string password, TTransferHooks hooks)
    : state_(std::make_unique<TState>())
{
    InitialiseCurl();
    state_->Settings = std::move(settings);
    state_->Password = std::move(password);
    state_->Hooks = std::move(hooks);
    state_->Curl = curl_easy_init();
    if (!state_->Curl)
        throw TPublishError("Publishing failed: the transfer library could not start.");
    // A trusted key is added to the known hosts file, whose folder (~/.ssh) may not exist yet.
    if (state_->Settings.Protocol == TPublishProtocol::Sftp) {
        const QString folder =
            QFileInfo(QString::fromStdString(KnownHostsPath(state_->Settings))).absolutePath();
        if (!QDir(folder).exists() && QDir().mkpath(folder))
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TTransfer::~TTransfer()
{
    state_->ForgetClosedControl();
    curl_slist_free_all(state_->Commands);
    curl_slist_free_all(state_->Headers);
    curl_easy_cleanup(state_->Curl);
}

bool TTransfer::ResumesUploads() const
{
    return state_->Settings.Protocol != TPublishProtocol::WebDav;
}

std::int64_t TTransfer::RemoteSize(const std::string &name)
{
    TState &state = *state_;
    state.Start(state.Url(name));
    curl_easy_setopt(state.Curl, CURLOPT_NOBODY, 1L);
    const CURLcode code = state.Perform();
    long response = 0;
    curl_easy_getinfo(state.Curl, CURLINFO_RESPONSE_CODE, &response);
    if (code == CURLE_REMOTE_FILE_NOT_FOUND || (code == CURLE_HTTP_RETURNED_ERROR && response == 404) ||
        (code == CURLE_FTP_COULDNT_RETR_FILE))
        return -1;
    // An FTP server may refuse SIZE for a missing file with 550, which reads as access denied.
    if (code == CURLE_REMOTE_ACCESS_DENIED && state.Settings.Protocol != TPublishProtocol::WebDav &&
        response == 550)
        return -1;
    state.Check(code, "looking at " + LastSegment(name));
    curl_off_t length = -1;
    curl_easy_getinfo(state.Curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length;
}

void TTransfer::UploadFile(const std::string &localPath, const std::string &name,
                           const std::string &shownAs, std::int64_t offset)
{
    TSource source;
    source.File = std::fopen(localPath.c_str(), "rb");
    if (!source.File)
        throw TPublishError("Publishing failed: cannot read " + localPath + ".");
    std::fseek(source.File, 0, SEEK_END);
    const std::int64_t size = ftello(source.File);
    std::fseek(source.File, 0, SEEK_SET);
    try {
        state_->Upload(source, size, name, shownAs, offset);
    } catch (...) {
        std::fclose(source.File);
        throw;
    }
    std::fclose(source.File);
}

void TTransfer::UploadBytes(const std::string &bytes, const std::string &name,
                            const std::string &shownAs)
{
    TSource source;
    source.Bytes = &bytes;
    state_->Upload(source, std::int64_t(bytes.size()), name, shownAs, 0);
}

void TTransfer::Replace(const std::string &temporary, const std::string &name)
{
    TState &state = *state_;
    const std::string what = "putting " + LastSegment(name) + " in place";
    if (state.Settings.Protocol == TPublishProtocol::WebDav) {
        state.Start(state.Url(temporary));
        curl_easy_setopt(state.Curl, CURLOPT_CUSTOMREQUEST, "MOVE");
        state.Header("Destination: " + state.Url(name));
        state.Header("Overwrite: T");
        state.Check(state.Perform(), what);
        return;
    }
    // SFTP names paths from the server's view; FTP renames in the folder the request went to.
    const bool sftp = state.Settings.Protocol == TPublishProtocol::Sftp;
    const std::string from = sftp ? Quoted(state.ServerPath(temporary)) : LastSegment(temporary);
    const std::string to = sftp ? Quoted(state.ServerPath(name)) : LastSegment(name);
    const auto rename = [&](bool removeFirst) {
        state.Start(state.Url(temporary));
        curl_easy_setopt(state.Curl, CURLOPT_NOBODY, 1L);
        if (removeFirst) // "*": a missing file is no failure
            state.Command(sftp ? "*rm " + to : "*DELE " + to);
        if (sftp) {
            state.Command("rename " + from + " " + to);
        } else {
            state.Command("RNFR " + from);
            state.Command("RNTO " + to);
        }
        return state.Perform();
    };
    const CURLcode replaced = rename(false);
    if (replaced == CURLE_OK)
        return;
    if (replaced != CURLE_QUOTE_ERROR)
        state.Fail(replaced, what);
    state.Check(rename(true), what);
}

std::vector<std::string> TTransfer::List(const std::string &folder)
{
    TState &state = *state_;
    std::string body;
    const std::string below = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    state.Start(state.Url(below));
    curl_easy_setopt(state.Curl, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(state.Curl, CURLOPT_WRITEDATA, &body);
    const bool webDav = state.Settings.Protocol == TPublishProtocol::WebDav;
    if (webDav) {
        curl_easy_setopt(state.Curl, CURLOPT_CUSTOMREQUEST, "PROPFIND");
        state.Header("Depth: 1");
    } else {
        curl_easy_setopt(state.Curl, CURLOPT_DIRLISTONLY, 1L);
    }
    state.Check(state.Perform(), "listing the remote folder" + (folder.empty() ? "" : " " + folder));
    std::vector<std::string> names;
    if (!webDav) {
        for (const QString &line : QString::fromStdString(body).split(QLatin1Char('\n'))) {
            const QString name = line.trimmed();
            if (!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String(".."))
                names.push_back(LastSegment(name.toStdString()));
        }
        return names;
    }
    // A multistatus answer: one href per entry, the folder itself first.
    static const QRegularExpression href(QStringLiteral("<(?:[A-Za-z0-9_]+:)?href>([^<]*)</"));
    const QString folderPath =
        QUrl(QString::fromStdString(state.Url(below))).path(QUrl::FullyDecoded);
    for (auto match = href.globalMatch(QString::fromStdString(body)); match.hasNext();) {
        QString path = QUrl(match.next().captured(1).trimmed()).path(QUrl::FullyDecoded);
        if (path == folderPath || path + QLatin1Char('/') == folderPath)
            continue;
        while (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        names.push_back(LastSegment(path.toStdString()));
    }
    return names;
}

void TTransfer::Remove(const std::string &name)
{
    TState &state = *state_;
    const std::string what = "removing " + LastSegment(name);
    state.Start(state.Url(name));
    if (state.Settings.Protocol == TPublishProtocol::WebDav) {
        curl_easy_setopt(state.Curl, CURLOPT_CUSTOMREQUEST, "DELETE");
    } else {
        curl_easy_setopt(state.Curl, CURLOPT_NOBODY, 1L);
        const bool sftp = state.Settings.Protocol == TPublishProtocol::Sftp;
        state.Command(sftp ? "rm " + Quoted(state.ServerPath(name)) : "DELE " + LastSegment(name));
    }
    state.Check(state.Perform(), what);
}

namespace {

struct TBoundedBody {
    std::string *Body;
    std::size_t Limit;
};

// Keeps the first Limit bytes, then stops the transfer: a server that ignores a range request
// would otherwise send the whole file.
size_t KeepBoundedBody(char *buffer, size_t size, size_t count, void *data)
{
    TBoundedBody &bounded = *static_cast<TBoundedBody *>(data);
    const std::size_t room = bounded.Limit - std::min(bounded.Limit, bounded.Body->size());
    bounded.Body->append(buffer, std::min(room, size * count));
    return bounded.Body->size() >= bounded.Limit ? 0 : size * count;
}

} // namespace

TPublicAnswer AskPublicUrl(const std::string &url, const std::string &caFile, const std::string &range,
                           std::size_t bodyBytes)
{
    InitialiseCurl();
    TPublicAnswer answer;
    CURL *curl = curl_easy_init();
    if (!curl) {
        answer.Failure = "the transfer library could not start";
        return answer;
    }
    char error[CURL_ERROR_SIZE] = {};
    TBoundedBody bounded{&answer.Body, bodyBytes};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &KeepBoundedBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bounded);
    if (bodyBytes == 0)
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    else if (!range.empty())
        curl_easy_setopt(curl, CURLOPT_RANGE, range.c_str());
    if (!caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.Status);
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    answer.ContentLength = length;
    const char *type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    if (type) {
        const std::string full = QString::fromLatin1(type).toLower().toStdString();
        answer.ContentType = QString::fromStdString(full.substr(0, full.find(';'))).trimmed().toStdString();
    }
    // A body cut at the limit is what was asked for, not a failure.
    const bool cutShort = code == CURLE_WRITE_ERROR && answer.Body.size() >= bodyBytes;
    if (code != CURLE_OK && !cutShort)
        answer.Failure = error[0] ? error : curl_easy_strerror(code);
    if (answer.Status == 0 && answer.Failure.empty())
        answer.Failure = "no answer";
    curl_easy_cleanup(curl);
    return answer;
}

std::string FetchPublicUrl(const std::string &url, const std::string &caFile)
{
    InitialiseCurl();
    CURL *curl = curl_easy_init();
    if (!curl)
        throw TPublishError("Publishing failed: the transfer library could not start.");
    std::string body;
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 120L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    if (!caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
    const CURLcode code = curl_easy_perform(curl);
    TTransferFailure failure;
    failure.Code = code;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &failure.Response);
    failure.Detail = error;
    failure.Host = url;
    failure.What = "fetching the public feed " + url;
    curl_easy_cleanup(curl);
    if (code != CURLE_OK)
        throw TPublishError(TransferErrorMessage(failure));
    return body;
}
