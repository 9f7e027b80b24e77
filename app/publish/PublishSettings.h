#pragma once
// Where and how one feed is published. Stored per user (QSettings in the user's configuration
// folder, one group per feed path); feeds.cfg is not touched. Passwords are never stored here
// (PublishSecret.h).
#include <map>
#include <string>

enum class TPublishProtocol { Sftp, Ftps, Ftp, WebDav };

struct TPublishSettings {
    TPublishProtocol Protocol = TPublishProtocol::Sftp;
    std::string Host;
    int Port = 0; // 0: the protocol's usual port
    std::string User;
    std::string KeyFile;      // SFTP: a private key file; empty: log in with the password
    std::string RemoteFolder; // the feed's folder on the server, as the login sees it
    std::string PublicUrl;    // the feed's address on the web; empty: no check after upload
    bool UploadEpisodes = true;
    bool CompareChecksums = false; // episode files changed by SHA-256 instead of size and time
    std::string MediaFolder;  // local copies of episode files; empty: the feed's folder
    // Whether a local copy that is a link to a file outside the media folder goes up (off: such
    // a link may point anywhere, /etc/passwd included).
    bool UploadLinksOutside = false;
    std::string CaFile;       // a certificate to trust (a server with a self-signed one)
    std::string KnownHostsFile; // empty: ~/.ssh/known_hosts
};

// The protocol's name in the settings file and the dialog ("SFTP", "FTPS", "FTP", "WebDAV").
const char *ProtocolName(TPublishProtocol protocol);
// The usual port when Port is 0.
int EffectivePort(const TPublishSettings &settings);
// The known hosts file used for SFTP.
std::string KnownHostsPath(const TPublishSettings &settings);

// The settings file: "TolvaneRssEditor/publish.ini" in the user's configuration folder.
std::string PublishSettingsFile();
// Settings of the feed at feedPath; defaults when none were saved. found: whether any were.
TPublishSettings LoadPublishSettings(const std::string &settingsFile, const std::string &feedPath,
                                     bool *found = nullptr);
void SavePublishSettings(const std::string &settingsFile, const std::string &feedPath,
                         const TPublishSettings &settings);

// What was last uploaded for the feed: remote name -> the local file's state then.
using TUploadRecord = std::map<std::string, std::string>;
TUploadRecord LoadUploadRecord(const std::string &settingsFile, const std::string &feedPath);
void SaveUploadRecord(const std::string &settingsFile, const std::string &feedPath,
                      const TUploadRecord &record);
