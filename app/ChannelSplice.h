#pragma once
// Writing a large feed after a command changed one child of its channel, without laying out
// the whole document again. The writer puts every child of a plainly laid out channel on lines
// of its own, each starting with a line break and four spaces; so in the text it gave, the
// channel's children can be found, and the text after the change is the text before with the
// changed child's lines written anew. The result is byte for byte what the writer gives for the
// whole document; where the children cannot be found for certain, there is no result.
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

// The writer's text of the document after the change, from the text before and its lines;
// the new lines go to after. Raises as the writer does when a written child cannot be written.
std::string SpliceChannel(std::string_view before, const TChannelLines &lines,
                          const TzelXMLParser2 &document, TChannelChange change,
                          TChannelLines &after);
