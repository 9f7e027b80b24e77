#include "CatalogueLocation.h"

#include "FeedCatalogue.h"
#include "zelStrings.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

bool IsWritableDirectory(const std::string &directory)
{
    return access(directory.c_str(), W_OK | X_OK) == 0;
}

bool IsInstalledProgramDirectory(const std::string &directory)
{
    std::error_code ignored;
    return std::filesystem::is_regular_file(
        std::filesystem::path(directory) / "../share/applications/tolvane-rss-editor.desktop", ignored);
}

std::string CatalogueDirectory(const std::string &executableDirectory,
                               const std::string &configDirectory,
                               bool executableDirectoryWritable)
{
    if (executableDirectoryWritable)
        return executableDirectory;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(configDirectory), ignored);
    const std::string ownFile = CatalogueFileName(configDirectory);
    const std::string sharedFile = CatalogueFileName(executableDirectory);
    struct stat info;
    if (lstat(ownFile.c_str(), &info) != 0 && stat(sharedFile.c_str(), &info) == 0 &&
        S_ISREG(info.st_mode)) {
        try {
            SaveStringToFile(ownFile, LoadStringFromFile(sharedFile));
        } catch (const std::exception &) {
            // Not readable or not writable: the catalogue starts empty, as with no file at all.
        }
    }
    return configDirectory;
}
