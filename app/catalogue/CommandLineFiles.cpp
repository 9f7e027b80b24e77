#include "CommandLineFiles.h"

#include "FeedCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

std::vector<std::string> FeedFileArguments(const QStringList &arguments)
{
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        // A lone "--" ends the options (so a file may start with "-"); it names no file.
        if (arguments[i] == QStringLiteral("--") && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        paths.push_back(
            QFile::encodeName(QDir::cleanPath(QFileInfo(arguments[i]).absoluteFilePath()))
                .toStdString());
    }
    return paths;
}

int CatalogueSlotOf(const TFeedCatalogue &catalogue, const std::string &path)
{
    for (int index = 0; index < EntryCount(catalogue); ++index)
        if (EntryPath(catalogue, index) == path)
            return index;
    return -1;
}
