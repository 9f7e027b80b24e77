#include "FeedCatalogue.h"

#include "FeedFileChecks.h"
#include "FeedTextCodec.h"
#include "zelException.h"
#include "zelStrings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <std::size_t Capacity>
std::string ReadField(const TShortString<Capacity> &field)
{
    // A length byte beyond the capacity would read into the next field: clamp it.
    const std::size_t length = std::min<std::size_t>(field.Length, Capacity);
    return std::string(field.Chars, length);
}

// Writes only the length byte and the text bytes; the bytes after the text stay.
template <std::size_t Capacity>
void WriteField(TShortString<Capacity> &field, std::string_view text)
{
    const std::string_view cut = CutToCapacity(text, Capacity);
    field.Length = static_cast<std::uint8_t>(cut.size());
    std::memcpy(field.Chars, cut.data(), cut.size());
}

const TFeedEntry &Slot(const TFeedCatalogue &catalogue, int index)
{
    if (index < 0 || index >= FeedSlotCount)
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return catalogue.Entries[index];
}

TFeedEntry &Slot(TFeedCatalogue &catalogue, int index)
{
    return const_cast<TFeedEntry &>(Slot(static_cast<const TFeedCatalogue &>(catalogue), index));
}

// A fifo, device or socket is at the name (a symlink counts as what it points to). A folder
// is left to the open and the write, which say so.
bool IsIrregularFile(const std::string &fileName)
{
    struct stat info;
    return stat(fileName.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

std::string_view RecordBytes(const TFeedCatalogue &catalogue)
{
    return std::string_view(reinterpret_cast<const char *>(&catalogue), sizeof catalogue);
}

} // namespace

std::string CatalogueFileName(const std::string &directory)
{
    return directory + "/feeds.cfg";
}

std::string LoadCatalogue(TFeedCatalogue &catalogue, const std::string &directory)
{
    std::memset(&catalogue, 0, sizeof catalogue);
    const std::string fileName = CatalogueFileName(directory);

    // A file we could not write later counts as unreadable, like one that is missing.
    std::size_t filled = 0;
    // A fifo or device would block or never end, and opening some devices acts on them:
    // leave it alone, unopened, and start empty.
    if (IsIrregularFile(fileName))
        return NotRegularMessage(fileName);
    const int fd = open(fileName.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd); // replaced between the check and the open
        return NotRegularMessage(fileName);
    }
    if (fd >= 0) {
        auto *bytes = reinterpret_cast<char *>(&catalogue);
        while (filled < sizeof catalogue) {
            const ssize_t got = read(fd, bytes + filled, sizeof catalogue - filled);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            filled += static_cast<std::size_t>(got);
        }
        close(fd);
    }
    if (filled == sizeof catalogue)
        return {};
    // Missing, unwritable or short: recreate the file from what was read, the rest zero.
    return SaveCatalogue(catalogue, directory);
}

std::string SaveCatalogue(const TFeedCatalogue &catalogue, const std::string &directory)
{
    const std::string fileName = CatalogueFileName(directory);
    // Writing into a fifo would wait for a reader forever; a device is not ours to write.
    if (IsIrregularFile(fileName))
        return NotRegularMessage(fileName);
    try {
        SaveStringToFile(fileName, RecordBytes(catalogue));
    } catch (const std::exception &error) {
        const std::string reason = error.what();
        if (reason.find(fileName) != std::string::npos)
            return reason;
        return "Cannot write file \"" + fileName + "\". " + reason;
    }
    return {};
}

void AppendEntry(TFeedCatalogue &catalogue, std::string_view path, std::string_view title,
                 std::string_view description, std::string_view link, std::string_view date)
{
    const int index = EntryCount(catalogue);
    if (index >= MaxFeeds)
        throw Exception("Max 100 Feeds!");
    TFeedEntry &entry = catalogue.Entries[index];
    WriteField(entry.Path, path);
    StoreEntryFields(catalogue, index, title, description, link, date);
    catalogue.Count = static_cast<std::uint8_t>(index + 1);
}

void RemoveEntry(TFeedCatalogue &catalogue, int index)
{
    const int count = EntryCount(catalogue);
    if (count == 0 || index < 0 || index >= count)
        return;
    // Later slots move down whole; the former last slot keeps its bytes.
    for (int slot = index; slot + 1 < count; ++slot)
        catalogue.Entries[slot] = catalogue.Entries[slot + 1];
    catalogue.Count = static_cast<std::uint8_t>(count - 1);
}

void StoreEntryFields(TFeedCatalogue &catalogue, int index, std::string_view title,
                      std::string_view description, std::string_view link, std::string_view date)
{
    TFeedEntry &entry = Slot(catalogue, index);
    WriteField(entry.Title, title);
    WriteField(entry.Description, description);
    WriteField(entry.Link, link);
    WriteField(entry.Date, date);
}

void StoreEntryPath(TFeedCatalogue &catalogue, int index, std::string_view path)
{
    WriteField(Slot(catalogue, index).Path, path);
}

int EntryCount(const TFeedCatalogue &catalogue)
{
    return std::min<int>(catalogue.Count, MaxFeeds);
}

std::string EntryPath(const TFeedCatalogue &catalogue, int index)
{
    return ReadField(Slot(catalogue, index).Path);
}

std::string EntryTitle(const TFeedCatalogue &catalogue, int index)
{
    return ReadField(Slot(catalogue, index).Title);
}

std::string EntryDescription(const TFeedCatalogue &catalogue, int index)
{
    return ReadField(Slot(catalogue, index).Description);
}

std::string EntryLink(const TFeedCatalogue &catalogue, int index)
{
    return ReadField(Slot(catalogue, index).Link);
}

std::string EntryDate(const TFeedCatalogue &catalogue, int index)
{
    return ReadField(Slot(catalogue, index).Date);
}

bool AutoDateOption(const TFeedCatalogue &catalogue)
{
    return catalogue.AutoDate != 0;
}

bool AutoLinkOption(const TFeedCatalogue &catalogue)
{
    return catalogue.AutoLink != 0;
}

void SetAutoDate(TFeedCatalogue &catalogue, std::uint8_t value)
{
    catalogue.AutoDate = value;
}

void SetAutoLink(TFeedCatalogue &catalogue, std::uint8_t value)
{
    catalogue.AutoLink = value;
}

std::string UncutValue(const std::string &stored, const std::string &fileValue,
                       std::size_t capacity)
{
    if (fileValue.size() > capacity && CutToCapacity(fileValue, capacity) == stored)
        return fileValue;
    return stored;
}

std::string_view CutToCapacity(std::string_view text, std::size_t capacity)
{
    if (text.size() <= capacity)
        return text;
    std::size_t end = capacity;
    if (IsValidUtf8(text)) {
        // Step back over continuation bytes to the start of the character that was split.
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
    }
    return text.substr(0, end);
}
