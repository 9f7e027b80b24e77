#pragma once
// Writing a large feed after a command changed one child of its channel, without laying out
// the whole document again. The writer puts every child of a plainly laid out channel on lines
// of its own, each starting with a line break and four spaces; so in the text it gave, the
// channel's children can be found, and the text after the change is the text before with the
// changed child's lines written anew, changed in place. The result is byte for byte what the
// writer gives for the whole document; where the children cannot be found for certain, there
// is no result.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TzelXMLNode2;
class TzelXMLParser2;

// Where the lines of each channel child start in a text the writer gave, and after them where
// the channel's end tag's line starts.
struct TChannelLines {
    std::vector<size_t> Starts;
    // A child whose lines hold its form from before the reader's trim was applied to its texts
    // in memory (-1: none); it is written anew with the next change.
    int Stale = -1;
};

// The lines of the document's channel children in text, the writer's text of the document
// (but for the Stale child's lines); none when the text holds anything that could be taken for
// such a line, or the document is not laid out line by line.
std::optional<TChannelLines> FindChannelLines(std::string_view text, const TzelXMLParser2 &document,
                                              int stale);

// What a command did to the channel's children.
struct TChannelChange {
    enum TKind { Inserted, Removed, Replaced } Kind;
    int Position; // among the channel's children, after the change for Inserted and Replaced
};

// One replacement in a text: Length bytes at Offset become Bytes.
struct TTextPatch {
    size_t Offset = 0;
    size_t Length = 0;
    std::string Bytes;
};

// The patches that turn the text the lines were found in into the writer's text of the
// document after the change, in the order they apply (from the end of the text back); the
// new lines go to after. Raises as the writer does when a child cannot be written.
std::vector<TTextPatch> ChannelPatches(const TChannelLines &lines, const TzelXMLParser2 &document,
                                       TChannelChange change, TChannelLines &after);

// Applies the patches in order, each then holding what it replaced: applying them again in
// reverse order gives the text back.
void ApplyPatches(std::string &text, std::vector<TTextPatch> &patches);
void ApplyPatchesBackwards(std::string &text, std::vector<TTextPatch> &patches);
