#include "PublishSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString Text(const std::string &bytes) { return QString::fromStdString(bytes); }
std::string Bytes(const QVariant &value) { return value.toString().toStdString(); }

// A feed's group: its path with every '/' escaped, since QSettings reads '/' as nesting.
QString FeedGroup(const std::string &feedPath)
{
    return QStringLiteral("feed-") + QString::fromLatin1(QUrl::toPercentEncoding(Text(feedPath)));
}

const TPublishProtocol Protocols[] = {TPublishProtocol::Sftp, TPublishProtocol::Ftps,
                                      TPublishProtocol::Ftp, TPublishProtocol::WebDav};

} // namespace

const char *ProtocolName(TPublishProtocol protocol)
{
    switch (protocol) {
    case TPublishProtocol::Sftp: return "SFTP";
    case TPublishProtocol::Ftps: return "FTPS";
    case TPublishProtocol::Ftp: return "FTP";
    case TPublishProtocol::WebDav: return "WebDAV";
    }
    return "SFTP";
}

int EffectivePort(const TPublishSettings &settings)
{
    if (settings.Port > 0)
        return settings.Port;
    switch (settings.Protocol) {
    case TPublishProtocol::Sftp: return 22;
    case TPublishProtocol::Ftps:
    case TPublishProtocol::Ftp: return 21;
    case TPublishProtocol::WebDav: return 443;
    }
    return 22;
}

std::string KnownHostsPath(const TPublishSettings &settings)
{
    if (!settings.KnownHostsFile.empty())
        return settings.KnownHostsFile;
    return QDir::home().filePath(QStringLiteral(".ssh/known_hosts")).toStdString();
}

std::string PublishSettingsFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("TolvaneRssEditor/publish.ini"))
        .toStdString();
}

TPublishSettings LoadPublishSettings(const std::string &settingsFile, const std::string &feedPath,
                                     bool *found)
{
    QSettings file(Text(settingsFile), QSettings::IniFormat);
    file.beginGroup(FeedGroup(feedPath));
    TPublishSettings settings;
    if (found)
        *found = file.contains(QStringLiteral("Host"));
    const QString protocol = file.value(QStringLiteral("Protocol")).toString();
    for (TPublishProtocol candidate : Protocols)
        if (protocol == QLatin1String(ProtocolName(candidate)))
            settings.Protocol = candidate;
    settings.Host = Bytes(file.value(QStringLiteral("Host")));
    settings.Port = file.value(QStringLiteral("Port"), 0).toInt();
    settings.User = Bytes(file.value(QStringLiteral("User")));
    settings.KeyFile = Bytes(file.value(QStringLiteral("KeyFile")));
    settings.RemoteFolder = Bytes(file.value(QStringLiteral("RemoteFolder")));
    settings.PublicUrl = Bytes(file.value(QStringLiteral("PublicUrl")));
    settings.UploadEpisodes = file.value(QStringLiteral("UploadEpisodes"), true).toBool();
    settings.CompareChecksums = file.value(QStringLiteral("CompareChecksums"), false).toBool();
    settings.MediaFolder = Bytes(file.value(QStringLiteral("MediaFolder")));
    settings.UploadLinksOutside = file.value(QStringLiteral("UploadLinksOutside"), false).toBool();
    settings.CaFile = Bytes(file.value(QStringLiteral("CaFile")));
    settings.KnownHostsFile = Bytes(file.value(QStringLiteral("KnownHostsFile")));
    return settings;
}

void SavePublishSettings(const std::string &settingsFile, const std::string &feedPath,
                         const TPublishSettings &settings)
{
    QSettings file(Text(settingsFile), QSettings::IniFormat);
    file.beginGroup(FeedGroup(feedPath));
    file.setValue(QStringLiteral("Protocol"), QLatin1String(ProtocolName(settings.Protocol)));
    file.setValue(QStringLiteral("Host"), Text(settings.Host));
    file.setValue(QStringLiteral("Port"), settings.Port);
    file.setValue(QStringLiteral("User"), Text(settings.User));
    file.setValue(QStringLiteral("KeyFile"), Text(settings.KeyFile));
    file.setValue(QStringLiteral("RemoteFolder"), Text(settings.RemoteFolder));
    file.setValue(QStringLiteral("PublicUrl"), Text(settings.PublicUrl));
    file.setValue(QStringLiteral("UploadEpisodes"), settings.UploadEpisodes);
    file.setValue(QStringLiteral("CompareChecksums"), settings.CompareChecksums);
    file.setValue(QStringLiteral("MediaFolder"), Text(settings.MediaFolder));
    file.setValue(QStringLiteral("UploadLinksOutside"), settings.UploadLinksOutside);
    file.setValue(QStringLiteral("CaFile"), Text(settings.CaFile));
    file.setValue(QStringLiteral("KnownHostsFile"), Text(settings.KnownHostsFile));
    file.sync();
}

TUploadRecord LoadUploadRecord(const std::string &settingsFile, const std::string &feedPath)
{
    QSettings file(Text(settingsFile), QSettings::IniFormat);
    file.beginGroup(FeedGroup(feedPath) + QStringLiteral("-uploaded"));
    TUploadRecord record;
    for (const QString &key : file.childKeys())
        record[QUrl::fromPercentEncoding(key.toLatin1()).toStdString()] = Bytes(file.value(key));
    return record;
}

void SaveUploadRecord(const std::string &settingsFile, const std::string &feedPath,
                      const TUploadRecord &record)
{
    QSettings file(Text(settingsFile), QSettings::IniFormat);
    file.beginGroup(FeedGroup(feedPath) + QStringLiteral("-uploaded"));
    file.remove(QString());
    for (const auto &[name, state] : record)
        file.setValue(QString::fromLatin1(QUrl::toPercentEncoding(Text(name))), Text(state));
    file.sync();
}
