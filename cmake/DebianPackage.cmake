# cpack -G DEB (or `cmake --build BUILD --target package`): tolvane-rss-editor_VERSION_ARCH.deb,
# holding what `cmake --install` installs, under /usr. Its Depends come from dpkg-shlibdeps, that
# is from the libraries the program really links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvane-rss-editor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tolvane RSS Editor developers")
set(CPACK_PACKAGE_CONTACT "Tolvane RSS Editor developers <tolvane-rss-editor@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/tolvane/tolvane-rss-editor)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[editor for RSS 2.0 feeds and podcasts
Tolvane RSS Editor keeps a list of feed files and edits each channel and its
items in place, keeping everything else in the file as it was written. It
makes podcasts (episodes with their audio files, durations, cover art and the
tags podcast directories read), checks feeds against the rules of RSS 2.0 and
the podcast namespaces, in its window or from the command line, and publishes
a feed with its episode files over SFTP, FTPS, FTP or WebDAV.]])
include(CPack)
