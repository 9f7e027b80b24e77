#pragma once
// An episode's show notes: the HTML of the item's content:encoded (the RSS content module),
// which podcast apps show over the description. Read as readers read it (a CDATA section as
// it stands, escaped markup unescaped); written as one CDATA section, the content namespace
// declared on rss the first time (a prefix the feed already binds to it is used). The notes
// may also put a plain-text summary into the item's description.
#include "WrittenForm.h"

#include <string>
#include <string_view>

class TzelXMLNode2;
class TzelXMLParser2;

inline constexpr std::string_view ContentNamespace = "http://purl.org/rss/1.0/modules/content/";

// What an element's content reads as in XML (its bytes as written, CDATA sections unwrapped,
// XML's references read, comments left out, child elements as written). Numeric references
// to characters beyond ASCII stay as written: HTML reads them alike, whatever the encoding.
std::string XmlContentValue(const TzelXMLNode2 &element);

// The item's content:encoded HTML ("" when it has none), bytes of the feed.
std::string ReadShowNotes(const TzelXMLNode2 &rss, const TzelXMLNode2 &channel,
                          const TzelXMLNode2 &item);

// Sets the item's content:encoded to the notes (empty notes remove it). Notes without markup
// become one paragraph; a "]]>" in them is written "]]&gt;" (the same to HTML) so they stay
// one CDATA section. A new element goes after the description (else at the end). Returns true
// when it declared the namespace on rss.
bool ApplyShowNotes(TzelXMLNode2 &rss, TzelXMLNode2 &channel, TzelXMLNode2 &item,
                    std::string_view notes);

// The notes (and, when summary is given, the description set to that text) written into the
// row's item and the document saved to path, one write. A failed write puts the item and the
// declarations back, so the document keeps matching the file.
TWrittenFeed WriteShowNotes(TzelXMLParser2 &document, const std::string &path, int firstItemIndex,
                            int row, std::string_view notes, const std::string *summary,
                            const TLaidOutText *before = nullptr);
