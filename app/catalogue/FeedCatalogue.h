#pragma once
// The feed catalogue: one fixed-size binary record, kept in memory for the whole run and
// stored byte for byte in feeds.cfg. Slot k starts at byte 3 + 920 * k.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A length byte followed by Capacity character bytes; the text is the first Length bytes.
template <std::size_t Capacity>
struct TShortString {
    std::uint8_t Length;
    char Chars[Capacity];
};

struct TFeedEntry {
    TShortString<255> Path;
    TShortString<100> Title;
    TShortString<255> Description;
    TShortString<255> Link;
    TShortString<50> Date;
};

constexpr int MaxFeeds = 100;     // the add command refuses beyond this
constexpr int FeedSlotCount = 101; // slots in the record (slot 100 is never filled)

struct TFeedCatalogue {
    std::uint8_t AutoDate; // 0 = off, anything else = on
    std::uint8_t AutoLink;
    std::uint8_t Count;    // slots in use
    TFeedEntry Entries[FeedSlotCount];
};

static_assert(sizeof(TShortString<255>) == 256 && sizeof(TShortString<100>) == 101 &&
              sizeof(TShortString<50>) == 51);
static_assert(sizeof(TFeedEntry) == 920);
static_assert(offsetof(TFeedEntry, Title) == 256 && offsetof(TFeedEntry, Description) == 357 &&
              offsetof(TFeedEntry, Link) == 613 && offsetof(TFeedEntry, Date) == 869);
static_assert(sizeof(TFeedCatalogue) == 92923);
static_assert(offsetof(TFeedCatalogue, Count) == 2 && offsetof(TFeedCatalogue, Entries) == 3);

constexpr std::size_t PathCapacity = 255, TitleCapacity = 100, DescriptionCapacity = 255,
                      LinkCapacity = 255, DateCapacity = 50;

// directory + "/feeds.cfg" (the window passes the executable's directory).
std::string CatalogueFileName(const std::string &directory);

// Reads feeds.cfg into catalogue. A missing, unwritable or short file is recreated from what
// was read (the rest zero); a file read whole is left as it is. Returns "" or the reason the
// file could not be recreated (the caller may ignore it).
std::string LoadCatalogue(TFeedCatalogue &catalogue, const std::string &directory);

// Writes the whole record to feeds.cfg atomically (temporary file, flush, rename).
// Returns "" on success, otherwise a message naming the file and the reason.
std::string SaveCatalogue(const TFeedCatalogue &catalogue, const std::string &directory);

// Fills slot EntryCount() with the five texts, each cut to capacity, then counts it.
// Raises Exception("Max 100 Feeds!") when the catalogue is full.
void AppendEntry(TFeedCatalogue &catalogue, std::string_view path, std::string_view title,
                 std::string_view description, std::string_view link, std::string_view date);

// Removes entry index; later entries move one slot down. Nothing happens when the catalogue
// is empty or index is not an entry in use.
void RemoveEntry(TFeedCatalogue &catalogue, int index);

// Overwrites title, description, link and date of slot index (Path stays), cut to capacity.
// Raises EListError for an index outside the record's slots.
void StoreEntryFields(TFeedCatalogue &catalogue, int index, std::string_view title,
                      std::string_view description, std::string_view link, std::string_view date);

// Stores only the Path of slot index (Add Feed writes it before loading the file).
void StoreEntryPath(TFeedCatalogue &catalogue, int index, std::string_view path);

// Readers. A Count above 100 reads as 100 and a length byte above its capacity reads as the
// capacity: nothing outside the record is ever touched, and the bytes stay as they are.
// Slot readers raise EListError("List index out of bounds (%d)") outside slots 0..100.
int EntryCount(const TFeedCatalogue &catalogue);
std::string EntryPath(const TFeedCatalogue &catalogue, int index);
std::string EntryTitle(const TFeedCatalogue &catalogue, int index);
std::string EntryDescription(const TFeedCatalogue &catalogue, int index);
std::string EntryLink(const TFeedCatalogue &catalogue, int index);
std::string EntryDate(const TFeedCatalogue &catalogue, int index);
bool AutoDateOption(const TFeedCatalogue &catalogue);
bool AutoLinkOption(const TFeedCatalogue &catalogue);

// Option writers: the check boxes pass 0 or 1.
void SetAutoDate(TFeedCatalogue &catalogue, std::uint8_t value);
void SetAutoLink(TFeedCatalogue &catalogue, std::uint8_t value);

// fileValue when stored is fileValue cut to capacity (the catalogue's copy of a longer value),
// otherwise stored.
std::string UncutValue(const std::string &stored, const std::string &fileValue,
                       std::size_t capacity);

// The first capacity bytes of text. When text is valid UTF-8 the cut never splits a
// character (it moves back to the last whole one); other texts are cut at the byte.
std::string_view CutToCapacity(std::string_view text, std::size_t capacity);
