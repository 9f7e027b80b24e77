#include "FeedFileChecks.h"

#include "zelException.h"

#include <sys/stat.h>

std::string NotRegularMessage(const std::string &path)
{
    return "Cannot open file \"" + path + "\". It is not a regular file";
}

void RefuseIrregularFile(const std::string &path)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        throw Exception(NotRegularMessage(path));
}

std::string MissingFeedMessage(const std::string &path)
{
    struct stat info;
    if (!path.empty() && stat(path.c_str(), &info) == 0)
        return "The feed file \"" + path + "\" is not a regular file, so its items cannot be shown.";
    return "The feed file \"" + path + "\" is missing, so its items cannot be shown.";
}
