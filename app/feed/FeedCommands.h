#pragma once
// What the Feeds page's commands do to a feed document, without any widget: the channel's
// title, description, link and date are read and written here, and a feed that cannot be
// worked on is refused with a message before anything is changed.
#include "FeedTextCodec.h"

#include <string>
#include <string_view>

class TzelXMLNode2;
class TzelXMLParser2;

// The channel fields as bytes of the feed file.
struct TChannelFields {
    std::string Title;
    std::string Description;
    std::string Link;
    std::string Date; // the channel's "pubDate"
};

// The encoding of the document's text, from its declaration and its source bytes.
TTextEncoding DocumentEncoding(const TzelXMLParser2 &document);

// A feed read as UTF-8 without naming an encoding gets "UTF-8" in its declaration, so the
// saved file says what its bytes are (the writer would otherwise label it ISO-8859-1).
void DeclareUndeclaredUtf8(TzelXMLParser2 &document);

// Raises Exception "The feed <path> could not be read: <reader's message>" when the last
// read stopped at an error (the tree then holds only part of the file).
void RequireWholeDocument(const TzelXMLParser2 &document, const std::string &path);

// The root's first direct child "channel"; raises a message naming the file when it is missing.
TzelXMLNode2 &RequireChannel(const TzelXMLParser2 &document, const std::string &path);

// The element listed at the row of the Items page; raises a message when the feed no longer has
// it or when it is no item (a channel element written after the items). `command` names what
// the caller would do with it ("it has no show notes"), or is empty.
TzelXMLNode2 &RequireListedItem(const TzelXMLNode2 &channel, const std::string &path, int firstItemIndex,
                                int row, std::string_view command = {});

// Reads "title", "description", "link" and "pubDate" of the channel; a missing one (all are
// optional in RSS 2.0 but the title, and real feeds omit the dates) reads as empty.
TChannelFields ReadChannelFields(const TzelXMLParser2 &document, const std::string &path);

// Sets "title", "description", "link" to the fields and both "pubDate" and "lastBuildDate" to
// the date. A missing element is created before the channel's first item (in that order,
// nothing else moves), unless its text is empty: an empty element would be an invalid value.
// dateTyped false: a "lastBuildDate" the channel has keeps its text (the user set no date).
void WriteChannelFields(TzelXMLParser2 &document, const std::string &path,
                        const TChannelFields &fields, bool dateTyped = true);

// The list line for a stored title: what follows its last backslash or colon (the part a
// file-name extraction keeps); the whole title when it has neither.
std::string FeedListLine(const std::string &title);

// True when a regular file exists at the path (bytes as stored in the catalogue).
bool FeedFileExists(const std::string &path);
