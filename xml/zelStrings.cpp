#include "zelStrings.h"

#include "zelException.h"
#include "zelStream.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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
    const bool written = WriteAll(fd, text);
    close(fd);
    if (!written)
        throw EWriteError("Stream write error");
}

int CreateTemporaryBeside(const std::string &path, std::string &tempPath)
{
    static std::atomic<unsigned> counter{0};
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + "." + base + ".tmp" + std::to_string(getpid()) + "-" +
                   std::to_string(counter.fetch_add(1));
        // 0666 lets the umask decide, as for any newly created file.
        const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
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
    }
    const bool written = WriteAll(fd, text) && fsync(fd) == 0;
    if (close(fd) != 0 || !written) {
        unlink(tempPath.c_str());
        throw EWriteError("Stream write error");
    }
    if (rename(tempPath.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(tempPath.c_str());
        RaiseCreateError(fileName, error);
    }
    SyncFolderOf(path);
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
