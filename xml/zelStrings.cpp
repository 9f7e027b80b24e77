#include "zelStrings.h"

#include "zelException.h"
#include "zelStream.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

int FindFrom(std::string_view pattern, std::string_view text, int start)
{
    if (pattern.empty() || text.empty())
        return 0;
    const size_t first = start < 1 ? 0 : static_cast<size_t>(start) - 1;
    if (first > text.size() || pattern.size() > text.size() - first)
        return 0;
    const char *from = text.data() + first;
    const size_t span = text.size() - first;
    const void *hit = pattern.size() == 1
                          ? std::memchr(from, static_cast<unsigned char>(pattern[0]), span)
                          : memmem(from, span, pattern.data(), pattern.size());
    if (!hit)
        return 0;
    return static_cast<int>(static_cast<const char *>(hit) - text.data()) + 1;
}

std::string ReplaceEvery(std::string_view source, std::string_view find, std::string_view replacement)
{
    std::vector<size_t> hits;
    for (int at = FindFrom(find, source, 1); at != 0;
         at = FindFrom(find, source, at + static_cast<int>(find.size())))
        hits.push_back(static_cast<size_t>(at) - 1);
    if (hits.empty())
        return std::string(source);

    std::string result;
    result.reserve(source.size() - hits.size() * find.size() + hits.size() * replacement.size());
    size_t copied = 0;
    for (size_t hit : hits) {
        result.append(source, copied, hit - copied);
        result.append(replacement);
        copied = hit + find.size();
    }
    result.append(source, copied, std::string_view::npos);
    return result;
}

namespace {

std::string SystemErrorText(int error)
{
    return std::strerror(error);
}

[[noreturn]] void RaiseCreateError(const std::string &fileName, int error)
{
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + SystemErrorText(error));
}

// A write that failed half-way (a full disk, a file-size limit, an I/O error).
[[noreturn]] void RaiseWriteError(const std::string &fileName, int error)
{
    throw EWriteError("Cannot write file \"" + fileName + "\". " + SystemErrorText(error));
}

[[noreturn]] void RaiseOpenError(const std::string &fileName, int error)
{
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemErrorText(error));
}

// Follows a chain of symlinks to the path that finally receives the bytes (which may not
// exist yet). Relative link targets are taken from the link's own folder.
std::string ResolveSymlinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size())
            return path;
        std::string link(target.data(), static_cast<size_t>(n));
        if (!link.empty() && link[0] != '/') {
            const size_t slash = path.rfind('/');
            if (slash != std::string::npos)
                link = path.substr(0, slash + 1) + link;
        }
        path = link;
    }
    return path; // a loop: opening it reports the error
}

bool WriteAll(int fd, std::string_view text)
{
    const char *p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) { // nothing taken and no error: a device that is full, not one to wait for
            errno = ENOSPC;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Devices, pipes and the like cannot be replaced by renaming: they get written in place.
void WriteInPlace(const std::string &fileName, const std::string &path, std::string_view text)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        RaiseCreateError(fileName, errno);
    int error = WriteAll(fd, text) ? 0 : errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        RaiseWriteError(fileName, error);
}

// The temporary's name is a dot, at most this many bytes of the file's name, ".tmp", the
// process id, "-" and a counter: short enough beside a file whose name takes all 255 bytes.
constexpr size_t TemporaryNameBytes = 40;

struct TSplitPath {
    std::string Folder; // "" or ending in "/"
    std::string Base;
};

TSplitPath SplitPath(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::string TemporaryPrefix(const std::string &base)
{
    return "." + base.substr(0, TemporaryNameBytes) + ".tmp";
}

int CreateTemporaryBeside(const std::string &path, std::string &tempPath)
{
    static std::atomic<unsigned> counter{0};
    const TSplitPath split = SplitPath(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = split.Folder + TemporaryPrefix(split.Base) + std::to_string(getpid()) + "-" +
                   std::to_string(counter.fetch_add(1));
        // 0666 lets the umask decide, as for any newly created file.
        const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The process id of a temporary name "<prefix><pid>-<counter>", or 0 when the name is not one.
pid_t TemporaryOwner(std::string_view name, std::string_view prefix)
{
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return 0;
    const std::string_view rest = name.substr(prefix.size());
    const size_t dash = rest.find('-');
    const auto allDigits = [](std::string_view digits) {
        return !digits.empty() && digits.size() <= 10 &&
               digits.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (dash == std::string_view::npos || !allDigits(rest.substr(0, dash)) ||
        !allDigits(rest.substr(dash + 1)))
        return 0;
    const unsigned long pid = std::stoul(std::string(rest.substr(0, dash)));
    return pid > 0 && pid <= static_cast<unsigned long>(INT_MAX) ? static_cast<pid_t>(pid) : 0;
}

// A save killed between creating its temporary and renaming it leaves the temporary behind.
// Removes the file's temporaries (this naming and the earlier one with the whole name) whose
// process has ended; a running process's temporary, or one we cannot tell, stays.
void RemoveStaleTemporaries(const std::string &path)
{
    const TSplitPath split = SplitPath(path);
    const std::string prefixes[2] = {TemporaryPrefix(split.Base), "." + split.Base + ".tmp"};
    DIR *folder = opendir(split.Folder.empty() ? "." : split.Folder.c_str());
    if (!folder)
        return;
    while (const dirent *entry = readdir(folder)) {
        const std::string_view name = entry->d_name;
        pid_t owner = TemporaryOwner(name, prefixes[0]);
        if (!owner)
            owner = TemporaryOwner(name, prefixes[1]);
        if (!owner || owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        struct stat info;
        if (fstatat(dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode))
            unlinkat(dirfd(folder), entry->d_name, 0);
    }
    closedir(folder);
}

// Extended attributes, the access-control list among them (system.posix_acl_access), go
// with the file's bytes. A folder without them, or an attribute we may not set, is passed over.
void CopyExtendedAttributes(const std::string &from, int to)
{
    ssize_t size = listxattr(from.c_str(), nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<size_t>(size));
    size = listxattr(from.c_str(), names.data(), names.size());
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names.data() + at)) + 1) {
        const char *name = names.data() + at;
        const ssize_t length = getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0)
            continue;
        std::vector<char> value(static_cast<size_t>(length));
        const ssize_t got = getxattr(from.c_str(), name, value.data(), value.size());
        if (got >= 0)
            fsetxattr(to, name, value.data(), static_cast<size_t>(got), 0);
    }
}

void SyncFolderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

void SaveStringToFile(const std::string &fileName, std::string_view text)
{
    const std::string path = ResolveSymlinks(fileName);

    struct stat existing;
    const bool exists = stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        if (S_ISDIR(existing.st_mode))
            RaiseCreateError(fileName, EISDIR);
        WriteInPlace(fileName, path, text);
        return;
    }
    if (exists) {
        // A target we may not write must stay refused, although renaming over it would work.
        const int probe = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (probe < 0)
            RaiseCreateError(fileName, errno);
        close(probe);
    }

    std::string tempPath;
    const int fd = CreateTemporaryBeside(path, tempPath);
    if (fd < 0)
        RaiseCreateError(fileName, errno);

    if (exists) {
        // Owner first: changing it may clear set-id bits that fchmod then restores.
        if (fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // Only root may hand a file to someone else; the new file then stays ours.
        }
        fchmod(fd, existing.st_mode & 07777);
        CopyExtendedAttributes(path, fd); // after the mode: the ACL's mask is part of it
    }
    // The system's reason is kept before anything else can change errno.
    int error = WriteAll(fd, text) ? 0 : errno;
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        unlink(tempPath.c_str());
        RaiseWriteError(fileName, error);
    }
    if (rename(tempPath.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(tempPath.c_str());
        RaiseCreateError(fileName, error);
    }
    SyncFolderOf(path);
    RemoveStaleTemporaries(path);
}

std::string LoadStringFromFile(const std::string &fileName)
{
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        RaiseOpenError(fileName, errno);
    struct stat info;
    const int statResult = fstat(fd, &info);
    if (statResult != 0 || S_ISDIR(info.st_mode)) {
        const int error = statResult != 0 ? errno : EISDIR;
        close(fd);
        RaiseOpenError(fileName, error);
    }
    std::string text(static_cast<size_t>(info.st_size), '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got != text.size())
        throw EReadError("Stream read error");
    return text;
}

void SaveStringToStream(std::string_view text, TStream &destination)
{
    destination.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

std::string LoadStringFromStream(TStream &source)
{
    source.Seek(0, TSeekOrigin::soBeginning);
    std::string text(static_cast<size_t>(source.Size()), '\0');
    source.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
    return text;
}
