#pragma once
// Saving a feed document whole, and keeping what was written: the editor holds the bytes the
// file now has, and after a command that changed a small part of the tree it makes the tree
// what reading those bytes back gives, so it need not read and parse the whole file again.
#include <string>

class TzelXMLNode2;
class TzelXMLParser2;

struct TWrittenFeed {
    std::string Bytes;            // what the file now holds
    bool DocumentIsFile = false;  // the tree is what reading Bytes back gives
};

// Writes the document's text to path in one atomic step (the file is replaced, synced) and
// returns it. Raises, leaving the file as it was, when the text cannot be built or written.
std::string SaveDocument(const TzelXMLParser2 &document, const std::string &path);

// After a successful save: `changed` (may be null) is the element whose subtree the command
// set. Reading the file back in the XML-compatible mode would differ from the tree in two
// ways only: every text is trimmed of bytes 0..32 at both ends, and the declaration holds what
// the writer wrote (version, encoding, standalone, with the writer's defaults). Both are taken
// over and true returned. Where text stands between elements (mixed content) around or inside
// the change, the reader's form of the new bytes is not worked out here: false, the tree is
// left as it is and the file must be read.
bool TakeWrittenForm(TzelXMLParser2 &document, TzelXMLNode2 *changed);
