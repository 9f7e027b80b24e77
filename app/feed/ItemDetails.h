#pragma once
// An item's details beyond the four fields of the Items page: guid (with isPermaLink), author,
// categories, comments link and enclosure. They are the RSS 2.0 elements of those names; a new
// one goes where RSS 2.0 orders an item's children (title, link, description, author,
// category, comments, enclosure, guid, pubDate, source), an existing one is edited in place,
// and every other child of the item is left as it was. Only what differs from the item is
// touched, so details the user did not change keep their bytes.
#include <string>
#include <vector>

#include "PodcastTags.h"
#include "ReaderText.h"
#include "WrittenForm.h"

class QString;
class TzelXMLNode2;
class TzelXMLParser2;

struct TItemDetails {
    std::string Guid;
    bool GuidIsPermaLink = true; // an absent isPermaLink means true
    std::string Author;
    std::vector<std::string> Categories;
    std::string Comments;
    std::string EnclosureUrl;
    std::string EnclosureLength; // in bytes, decimal digits
    std::string EnclosureType;   // MIME type
    // The episode's podcast tags: read and written with the document (ReadItemDetails,
    // WriteItemDetails), where their namespaces are declared; ReadDetailsOf and ApplyDetails
    // leave them alone.
    TEpisodeTags Episode = {};

    bool operator==(const TItemDetails &) const = default;
};

// The details an item element holds, as readers read them (absent ones read as empty).
TItemDetails ReadDetailsOf(const TzelXMLNode2 &item, TReaderForm form = {});

// Raises what writing the details would refuse: an enclosure that lacks one of its three parts
// or whose length is not a whole number, an episode tag the directories would refuse.
void CheckDetails(const TItemDetails &details);

// Changes the item to hold the details (texts as readers are to read them). An empty guid,
// author or comments removes that element; an enclosure with no url, length and type is
// removed. Raises, changing nothing, when an enclosure lacks one of its three parts or its
// length is not a whole number.
void ApplyDetails(TzelXMLNode2 &item, const TItemDetails &details, TReaderForm form = {});

// The same for the listed child in the row of the document read from path.
TItemDetails ReadItemDetails(const TzelXMLParser2 &document, const std::string &path,
                             int firstItemIndex, int row);

// Applies the details and the episode's tags to the row's child and saves the document to path
// (all of it, when a namespace had to be declared on its root). When the write fails
// the item is put back as it was, so the document keeps matching the file. Returns what was
// written, as the item commands do (see WrittenForm.h).
TWrittenFeed WriteItemDetails(TzelXMLParser2 &document, const std::string &path,
                              int firstItemIndex, int row, const TItemDetails &details,
                              const TLaidOutText *before = nullptr);

// Length in bytes and MIME type of a local file, for its enclosure: the type podcast players
// take ("audio/ogg" for Ogg audio, not the desktop's own "audio/x-opus+ogg"). Raises, naming
// the file, when it is no file that can be read, or is empty.
struct TEnclosureFile {
    std::string Length;
    std::string Type;
};
TEnclosureFile EnclosureOfFile(const QString &fileName);
