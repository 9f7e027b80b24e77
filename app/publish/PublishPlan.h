#pragma once
// What goes up: the episode files that have a local copy, and which of them are new or changed
// since the last upload.
//
// An enclosure's local copy: an enclosure URL below the public feed's folder (the public URL up
// to its last '/') names a path below that folder; the same relative path below the media
// folder (the feed's own folder when none is set) is the local copy, and below the remote
// folder the remote file. Enclosures hosted elsewhere are not uploaded.
#include "PublishSettings.h"

#include <string>
#include <vector>

struct TEpisodeFile {
    std::string Url;
    std::string RemoteName; // relative to the remote folder
    std::string LocalPath;
    bool HasLocalCopy = false;
};

std::vector<TEpisodeFile> EpisodeFiles(const std::string &feedBytes, const std::string &feedPath,
                                       const TPublishSettings &settings);

// The public URL of a local file (an episode, the cover) below the media folder (the feed's own
// folder when none is set): the public feed's folder and the file's path below the media folder,
// percent-encoded; the reverse of the local copy EpisodeFiles finds. "" when no public URL is
// set or the file is not below that folder.
std::string PublicUrlOfLocalFile(const std::string &localPath, const std::string &feedPath,
                                 const TPublishSettings &settings);

// A local file's state for the upload record: its size with its modification time, or with its
// SHA-256 when checksums are compared.
std::string LocalFileState(const std::string &path, bool checksum);
