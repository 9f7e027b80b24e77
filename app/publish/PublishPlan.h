#pragma once
// What goes up: the files the feed points to that have a local copy (episode enclosures, the
// show's cover as itunes:image and RSS image, episode images, transcripts and chapters), and
// which of them are new or changed since the last upload.
//
// A file's local copy: a URL below the public feed's folder (the public URL up to its last '/')
// names a path below that folder; the same relative path below the media folder (the feed's own
// folder when none is set) is the local copy, and below the remote folder the remote file.
// Files hosted elsewhere are not uploaded.
#include "PublishSettings.h"

#include <string>
#include <vector>

struct TEpisodeFile {
    std::string Url;
    std::string RemoteName; // relative to the remote folder
    std::string LocalPath;
    bool HasLocalCopy = false;
    // The local copy is a link (or lies below one) whose real file is outside the media folder.
    bool OutsideMediaFolder = false;
    bool IsCover = false; // the show's itunes:image
    std::string Type;     // the type attribute as the feed gives it ("" when none)
    std::string Length;   // an enclosure's length attribute ("" when none)
};

// Every referenced file below the public folder, once each, in the feed's order.
std::vector<TEpisodeFile> EpisodeFiles(const std::string &feedBytes, const std::string &feedPath,
                                       const TPublishSettings &settings);

// The public URL of a local file (an episode, the cover) below the media folder (the feed's own
// folder when none is set): the public feed's folder and the file's path below the media folder,
// percent-encoded; the reverse of the local copy EpisodeFiles finds. "" when no public URL is
// set or the file is not below that folder.
std::string PublicUrlOfLocalFile(const std::string &localPath, const std::string &feedPath,
                                 const TPublishSettings &settings);

// The local copy of a file the feed names by its public address (an episode image, the cover),
// as EpisodeFiles finds it: "" when the address is not below the public folder, leaves it ("..")
// or no file is there.
std::string LocalCopyOf(const std::string &url, const std::string &feedPath, const TPublishSettings &settings);

// The show's cover URL (the channel's itunes:image), "" when it has none.
std::string CoverUrl(const std::string &feedBytes);

// A local file's state for the upload record: its size with its modification time, or with its
// SHA-256 when checksums are compared.
std::string LocalFileState(const std::string &path, bool checksum);
