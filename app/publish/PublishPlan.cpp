#include "PublishPlan.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <set>

namespace {

const char *const ItunesNamespace = "http://www.itunes.com/dtds/podcast-1.0.dtd";
const char *const PodcastNamespace = "https://podcastindex.org/namespace/1.0";

// A reference in the feed to a file: where it is, and what the feed says of it.
struct TReference {
    std::string Url, Type, Length;
    bool IsCover = false;
};

std::string Property(const xmlNode *node, const char *name)
{
    xmlChar *value = xmlGetProp(node, BAD_CAST name);
    if (!value)
        return {};
    std::string text(reinterpret_cast<const char *>(value));
    xmlFree(value);
    return text;
}

std::string Text(const xmlNode *node)
{
    xmlChar *value = xmlNodeGetContent(node);
    if (!value)
        return {};
    std::string text(reinterpret_cast<const char *>(value));
    xmlFree(value);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// An element by its local name and namespace (nullptr: no namespace). A feed that binds the
// usual prefix to a slightly different URI still counts: readers go by the prefix too.
bool Named(const xmlNode *node, const char *name, const char *space = nullptr,
           const char *prefix = nullptr)
{
    if (node->type != XML_ELEMENT_NODE || xmlStrcmp(node->name, BAD_CAST name) != 0)
        return false;
    if (!space)
        return !node->ns;
    return node->ns && (xmlStrcmp(node->ns->href, BAD_CAST space) == 0 ||
                        (node->ns->prefix && xmlStrcmp(node->ns->prefix, BAD_CAST prefix) == 0));
}

// The references of a channel or an item: its own children, never deeper than an item.
void CollectReferences(const xmlNode *parent, bool isItem, std::vector<TReference> &references)
{
    for (const xmlNode *child = parent->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (!isItem && Named(child, "item")) {
            CollectReferences(child, true, references);
        } else if (isItem && Named(child, "enclosure")) {
            references.push_back({Property(child, "url"), Property(child, "type"), Property(child, "length"), false});
        } else if (Named(child, "image", ItunesNamespace, "itunes")) {
            references.push_back({Property(child, "href"), {}, {}, !isItem});
        } else if (!isItem && Named(child, "image")) {
            for (const xmlNode *part = child->children; part; part = part->next)
                if (Named(part, "url"))
                    references.push_back({Text(part), {}, {}, false});
        } else if (Named(child, "transcript", PodcastNamespace, "podcast") ||
                   Named(child, "chapters", PodcastNamespace, "podcast")) {
            references.push_back({Property(child, "url"), Property(child, "type"), {}, false});
        }
    }
}

std::vector<TReference> References(const std::string &feedBytes)
{
    std::vector<TReference> references;
    xmlDoc *document = xmlReadMemory(feedBytes.data(), int(feedBytes.size()), nullptr, nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!document)
        return references;
    if (const xmlNode *root = xmlDocGetRootElement(document))
        for (const xmlNode *channel = root->children; channel; channel = channel->next)
            if (Named(channel, "channel"))
                CollectReferences(channel, false, references);
    xmlFreeDoc(document);
    return references;
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

// Whether the file's real path (links followed) lies below the folder's real path.
bool RealPathBelow(const QString &file, const QDir &folder)
{
    const QString real = QFileInfo(file).canonicalFilePath();
    const QString base = folder.canonicalPath();
    return !real.isEmpty() && !base.isEmpty() && real.startsWith(base + QLatin1Char('/'));
}

} // namespace

std::string PublicUrlOfLocalFile(const std::string &localPath, const std::string &feedPath,
                                 const TPublishSettings &settings)
{
    const std::string folderUrl = PublicFolderUrl(settings);
    if (folderUrl.empty())
        return {};
    const QString relative = QDir::cleanPath(LocalMediaFolder(feedPath, settings)
                                 .relativeFilePath(QFileInfo(QString::fromStdString(localPath)).absoluteFilePath()));
    if (relative.isEmpty() || relative == QStringLiteral(".") || QDir::isAbsolutePath(relative) ||
        relative == QStringLiteral("..") || relative.startsWith(QStringLiteral("../")))
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
    std::set<std::string> seen;
    for (const TReference &reference : References(feedBytes)) {
        const std::string relative = RelativePath(reference.Url, folderUrl);
        if (relative.empty())
            continue;
        if (!seen.insert(relative).second) {
            // The same file named twice (a cover as itunes:image and RSS image) goes up once.
            for (TEpisodeFile &file : files)
                if (file.RemoteName == relative)
                    file.IsCover = file.IsCover || reference.IsCover;
            continue;
        }
        TEpisodeFile file;
        file.Url = reference.Url;
        file.RemoteName = relative;
        file.LocalPath = localFolder.filePath(QString::fromStdString(relative)).toStdString();
        file.HasLocalCopy = QFileInfo(QString::fromStdString(file.LocalPath)).isFile();
        file.OutsideMediaFolder =
            file.HasLocalCopy && !RealPathBelow(QString::fromStdString(file.LocalPath), localFolder);
        file.IsCover = reference.IsCover;
        file.Type = reference.Type;
        file.Length = reference.Length;
        files.push_back(file);
    }
    return files;
}

std::string LocalCopyOf(const std::string &url, const std::string &feedPath, const TPublishSettings &settings)
{
    const std::string relative = RelativePath(url, PublicFolderUrl(settings));
    if (relative.empty())
        return {};
    const QString local = LocalMediaFolder(feedPath, settings).filePath(QString::fromStdString(relative));
    return QFileInfo(local).isFile() ? local.toStdString() : std::string();
}

std::string CoverUrl(const std::string &feedBytes)
{
    for (const TReference &reference : References(feedBytes))
        if (reference.IsCover)
            return reference.Url;
    return {};
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
