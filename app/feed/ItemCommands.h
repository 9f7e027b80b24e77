#pragma once
// What the Items page does to a feed document, without any widget: the item list and its
// mapping to the channel's children, reading an item for display, and the four commands
// Add, Clone, Delete and Save item. Every command writes the whole document to the feed's
// path; a feed that cannot be worked on safely is refused with a message before anything in
// the document or the file is changed, and a write that fails leaves both as they were. Each
// returns the bytes written and whether the tree is now what reading them back gives (see
// WrittenForm.h), so the caller need not read the file again. Given the file's text before
// (`before`, the writer's text of the document), only the changed item's lines are laid out.
//
// Rows and children are tied by the first item's position: row r is channel child
// r + firstItemIndex.
#include <string>
#include <string_view>
#include <vector>

#include "WrittenForm.h"

class TzelXMLNode2;
class TzelXMLParser2;

// The list built from the document in memory.
struct TItemList {
    // Position of the channel's first "item" child; the channel's child count when there is
    // none (0 when there is no channel at all).
    int FirstItemIndex = 0;
    // True when the channel has an "item" child (the rows are only filled then).
    bool HasItems = false;
    // One row per channel child from the first item on: its "title" as ReadItem shows it.
    // A child without "title" shows its element name in angle brackets, e.g. "<category>".
    std::vector<std::string> Rows;
};

TItemList ListItems(const TzelXMLParser2 &document);
// FirstItemIndex of the channel.
int FirstItemPosition(const TzelXMLNode2 &channel);
// The row of one listed child (null reads as a nameless child).
std::string ItemRow(const TzelXMLNode2 *child);

// The texts of a listed child as bytes of the feed. Title and description after DecodeQuot,
// except a text in a CDATA section (where "&quot;" is text); one holding child elements
// (markup in a description) shows its whole content as written. A missing "title",
// "description", "link" or "pubDate" reads as empty.
struct TItemFields {
    std::string Title;
    std::string Description;
    std::string Link;
    std::string PubDate;
};

// Raises a message when row + firstItemIndex is not a child of the channel.
TItemFields ReadItem(const TzelXMLParser2 &document, const std::string &path, int firstItemIndex,
                     int row);

// Add item: a new item of "title", "description", "link" and "pubDate" with the texts
// "(untitled)", " ", " " and dateStamp and nothing else, inserted at firstItemIndex; then saved.
// In a podcast feed (IsPodcastFeed) it also gets its own guid, and in a podcast by its channel
// (IsPodcastByChannel) the next episode number.
TWrittenFeed AddItem(TzelXMLParser2 &document, const std::string &path, int firstItemIndex,
                     const std::string &dateStamp, const TLaidOutText *before = nullptr);

// Clone item: a deep copy of the row's child inserted directly before it; then saved. A copy
// of an item gets its own guid in every feed, and in a podcast by its channel the next episode
// number, as Add's episode does; a copy of another child is left as it is.
TWrittenFeed CloneItem(TzelXMLParser2 &document, const std::string &path, int firstItemIndex, int row,
                       const TLaidOutText *before = nullptr);

// Delete item: the row's child and its subtree are destroyed; then saved.
TWrittenFeed DeleteItem(TzelXMLParser2 &document, const std::string &path, int firstItemIndex, int row,
                        const TLaidOutText *before = nullptr);

// Save item: title and description stored after EncodeQuot (as typed when they hold "<" or
// ">", which goes into a CDATA section), link and date as given; a title or description
// typed anew replaces the element's content, markup included, and one left as shown stays
// byte for byte. A missing one of the four children is appended to the item. Other children
// and attributes stay. Then saved.
TWrittenFeed SaveItem(TzelXMLParser2 &document, const std::string &path, int firstItemIndex, int row,
                      const TItemFields &typed, const TLaidOutText *before = nullptr);
