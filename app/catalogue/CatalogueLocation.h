#pragma once
// Where feeds.cfg lives. Beside the executable when the user may write there (a copy run from
// its build or unpacked folder); an installed copy in a system folder keeps it in the user's
// own configuration folder instead.
#include <string>

// True when files can be created in the folder.
bool IsWritableDirectory(const std::string &directory);

// True when the folder is the bin folder of an installed copy: beside it, share/applications
// holds the editor's desktop entry, as cmake --install and the Debian package lay it out. Such
// a copy keeps the list in the user's folder even for a user who may write there (root).
bool IsInstalledProgramDirectory(const std::string &directory);

// executableDirectory when executableDirectoryWritable; otherwise configDirectory, created if
// needed, which the first time (while it holds no feeds.cfg) takes a byte-for-byte copy of a
// feeds.cfg beside the executable. Failures leave the catalogue to start empty there.
std::string CatalogueDirectory(const std::string &executableDirectory,
                               const std::string &configDirectory,
                               bool executableDirectoryWritable);
