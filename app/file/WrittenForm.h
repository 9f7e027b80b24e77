#pragma once
// Saving a feed document whole, and keeping what was written: the editor holds the bytes the
// file now has, and after a command that changed a small part of the tree it makes the tree
// what reading those bytes back gives, so it need not read and parse the whole file again.
#include "ChannelSplice.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TzelXMLNode2;
class TzelXMLParser2;

struct TWrittenFeed {
    std::string Bytes;           // what the file now holds
    bool DocumentIsFile = false; // the tree is what reading Bytes back gives
    // Where the channel's children's lines are in Bytes, when the command knew them.
    std::optional<TChannelLines> Lines;
    // A channel child whose texts were trimmed after the write (see TakeWrittenForm), or -1.
    int StaleChild = -1;
    // When the text before was patched into Bytes: the patches that give it back (as
    // ApplyPatches left them), and whether they changed nothing.
    std::vector<TTextPatch> UndoPatches;
    bool BytesUnchanged = false;
};

// The file's text before a command, when it is the writer's text of the document (but for its
// Lines' Stale child) and the channel's lines in it are known.
struct TLaidOutText {
    std::string *Text; // patched in place and moved into the written bytes
    TChannelLines Lines;
};

// Writes the document's text to path in one atomic step (the file is replaced, synced) and
// returns it. Raises, leaving the file as it was, when the text cannot be built or written.
std::string SaveDocument(const TzelXMLParser2 &document, const std::string &path);

// The same after a command made the change to the channel's children: with the text before
// laid out (may be null), only the changed child's lines are written anew (see ChannelSplice.h).
TWrittenFeed SaveChangedDocument(const TzelXMLParser2 &document, const std::string &path,
                                 const TLaidOutText *before, TChannelChange change);

// After a successful save: `changed` (may be null) is the element whose subtree the command
// set. Reading the file back in the XML-compatible mode would differ from the tree in two ways
// only: every text is trimmed of bytes 0..32 at both ends, and the declaration holds what the
// writer wrote (version, encoding, standalone, with the writer's defaults). Both are taken over.
// Where text stands between elements (mixed content) around or inside the change, the
// reader's form of the new bytes is not worked out here: the tree is left as it is.
enum class TWrittenForm {
    Unknown,     // the file must be read
    Same,        // the tree is what the file reads as, and the writer would write it again
    TextsTrimmed // the tree is what the file reads as; the changed subtree now writes otherwise
};
TWrittenForm TakeWrittenForm(TzelXMLParser2 &document, TzelXMLNode2 *changed);

// SaveChangedDocument, then TakeWrittenForm, as every item command ends.
TWrittenFeed SaveAndTakeWrittenForm(TzelXMLParser2 &document, const std::string &path,
                                    const TLaidOutText *before, TChannelChange change,
                                    TzelXMLNode2 *changed);
