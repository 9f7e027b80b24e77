#pragma once
// The item the user chose, found again after another program rewrote the feed file. An item is
// known by what it holds (its texts, attributes and children as read), not by its row: rows move
// when items are added or removed around it.
#include <string>

class TzelXMLNode2;

// A byte string equal for two items exactly when readers read the same elements, attributes
// and texts in them (blanks at the ends of texts, comments, how a text was written, its line
// breaks and the order of attributes left out).
std::string ItemSignature(const TzelXMLNode2 &item);

// The row (channel child firstItemIndex + row) of the child whose signature is `signature`, the
// one nearest nearRow when several are; -1 when there is none.
int FindItemAgain(const TzelXMLNode2 &channel, int firstItemIndex, const std::string &signature,
                  int nearRow);
