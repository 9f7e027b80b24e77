#pragma once
// Writing a change to one listed item, as Details and Show Notes do: all or nothing.
#include "WrittenForm.h"

#include <functional>
#include <string>

class TzelXMLNode2;
class TzelXMLParser2;

// Runs change on the item (it returns whether it declared a namespace on the root) and writes
// the feed. A namespace declared on the root changes more than the item: the feed is then laid
// out whole and read again rather than taken back item by item. When anything fails, the file
// is as it was (it is replaced in one step) and so is the item: its children come back into it,
// so what the item holds beside them (the markup after it) stays; the root loses what change
// declared on it.
TWrittenFeed WriteChangedItem(TzelXMLParser2 &document, const std::string &path, TzelXMLNode2 &item,
                              int position, const TLaidOutText *before, const std::function<bool()> &change);
