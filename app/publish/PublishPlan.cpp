#include "PublishPlan.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace {

bool Named(const xmlNode *node, const char *name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, BAD_CAST name) == 0;
}

void CollectEnclosureUrls(const xmlNode *node, std::vector<std::string> &urls)
{
    for (const xmlNode *child = node->children; child; child = child->next) {
        if (Named(child, "enclosure") && Named(node, "item")) {
            if (xmlChar *url = xmlGetProp(child, BAD_CAST "url")) {
                urls.emplace_back(reinterpret_cast<const char *>(url));
                xmlFree(url);
            }
        } else if (child->type == XML_ELEMENT_NODE) {
            CollectEnclosureUrls(child, urls);
        }
    }
}

std::vector<std::string> EnclosureUrls(const std::string &feedBytes)
{
    std::vector<std::string> urls;
    xmlDoc *document = xmlReadMemory(feedBytes.data(), int(feedBytes.size()), nullptr, nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!document)
        return urls;
    if (const xmlNode *root = xmlDocGetRootElement(document))
        CollectEnclosureUrls(root, urls);
    xmlFreeDoc(document);
    return urls;
}

// The relative path of url below folderUrl, "" when it is not below it or leaves it.
std::string RelativePath(const std::string &url, const std::string &folderUrl)
{
    if (folderUrl.empty() || url.compare(0, folderUrl.size(), folderUrl) != 0)
        return {};
    const QString path = QUrl(QString::fromStdString(url)).path(QUrl::FullyDecoded);
    const QString folder = QUrl(QString::fromStdString(folderUrl)).path(QUrl::FullyDecoded);
    if (!path.startsWith(folder))
        return {};
    const QString relative = path.mid(folder.size());
    if (relative.isEmpty() || relative.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return {};
    return relative.toStdString();
}

std::string PublicFolderUrl(const TPublishSettings &settings)
{
    return settings.PublicUrl.substr(0, settings.PublicUrl.rfind('/') + 1);
}

QDir LocalMediaFolder(const std::string &feedPath, const TPublishSettings &settings)
{
    return QDir(settings.MediaFolder.empty() ? QFileInfo(QString::fromStdString(feedPath)).absolutePath()
                                             : QString::fromStdString(settings.MediaFolder));
}

} // namespace

std::string PublicUrlOfLocalFile(const std::string &localPath, const std::string &feedPath,
                                 const TPublishSettings &settings)
{
    const std::string folderUrl = PublicFolderUrl(settings);
    if (folderUrl.empty())
        return {};
    const QString relative = LocalMediaFolder(feedPath, settings)
                                 .relativeFilePath(QFileInfo(QString::fromStdString(localPath)).absoluteFilePath());
    if (relative.isEmpty() || QDir::isAbsolutePath(relative) || relative == QStringLiteral("..") ||
        relative.startsWith(QStringLiteral("../")))
        return {};
    // Every character of a file name is itself: a "%" in it is encoded too.
    return folderUrl + QUrl::toPercentEncoding(relative, "/").toStdString();
}

std::vector<TEpisodeFile> EpisodeFiles(const std::string &feedBytes, const std::string &feedPath,
                                       const TPublishSettings &settings)
{
    const std::string folderUrl = PublicFolderUrl(settings);
    const QDir localFolder = LocalMediaFolder(feedPath, settings);
    std::vector<TEpisodeFile> files;
    for (const std::string &url : EnclosureUrls(feedBytes)) {
        const std::string relative = RelativePath(url, folderUrl);
        if (relative.empty())
            continue;
        TEpisodeFile file;
        file.Url = url;
        file.RemoteName = relative;
        file.LocalPath = localFolder.filePath(QString::fromStdString(relative)).toStdString();
        file.HasLocalCopy = QFileInfo(QString::fromStdString(file.LocalPath)).isFile();
        files.push_back(file);
    }
    return files;
}

std::string LocalFileState(const std::string &path, bool checksum)
{
    const QFileInfo info(QString::fromStdString(path));
    std::string state = std::to_string(info.size()) + " ";
    if (!checksum)
        return state + std::to_string(info.lastModified().toMSecsSinceEpoch());
    QFile file(info.filePath());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (file.open(QIODevice::ReadOnly))
        hash.addData(&file);
    return state + "sha256:" + hash.result().toHex().toStdString();
}
