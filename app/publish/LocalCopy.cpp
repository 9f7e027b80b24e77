#include "LocalCopy.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

std::string LocalCopyOf(const std::string &url, const std::string &feedPath, const TPublishSettings &settings)
{
    const std::string folderUrl = settings.PublicUrl.substr(0, settings.PublicUrl.rfind('/') + 1);
    if (folderUrl.empty() || url.size() <= folderUrl.size() || url.compare(0, folderUrl.size(), folderUrl) != 0)
        return {};
    const QString path = QUrl(QString::fromStdString(url)).path(QUrl::FullyDecoded);
    const QString folder = QUrl(QString::fromStdString(folderUrl)).path(QUrl::FullyDecoded);
    const QString relative = path.mid(folder.size());
    if (!path.startsWith(folder) || relative.isEmpty() || relative.split(u'/').contains(QStringLiteral("..")))
        return {};
    const QDir localFolder(settings.MediaFolder.empty() ? QFileInfo(QString::fromStdString(feedPath)).absolutePath()
                                                        : QString::fromStdString(settings.MediaFolder));
    const QString local = localFolder.filePath(relative);
    return QFileInfo(local).isFile() ? local.toStdString() : std::string();
}
