#include "ItemFoundAgain.h"

#include "TextAsRead.h"
#include "zelXMLNode2.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace {

void Put(std::string &out, std::string_view field)
{
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

} // namespace

std::string ItemSignature(const TzelXMLNode2 &item)
{
    std::string out;
    // Pre-order with an explicit stack: feeds may nest deeply. A depth mark per node keeps
    // siblings apart from children.
    std::vector<std::pair<const TzelXMLNode2 *, int>> pending{{&item, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        out += std::to_string(depth);
        // Texts and values as readers read them: the editor's own tree after a write and a
        // fresh read of the same bytes differ in how they were written, and so does another
        // program's rewrite of the same items ("&#38;" for "&amp;", LF for CR LF).
        Put(out, node->NameView());
        Put(out, ElementTextAsRead(*node));
        std::vector<std::pair<std::string_view, std::string>> attributes;
        for (const TzelXMLAttribute2 *attribute : node->Attributes())
            if (attribute)
                attributes.emplace_back(attribute->NameView(), AttributeValueAsRead(*attribute));
        std::sort(attributes.begin(), attributes.end()); // their order means nothing to readers
        for (const auto &[name, value] : attributes) {
            out += '@';
            Put(out, name);
            Put(out, value);
        }
        out += ';';
        for (int i = node->ChildCount() - 1; i >= 0; --i)
            if (const TzelXMLNode2 *child = node->ChildAt(i))
                pending.emplace_back(child, depth + 1);
    }
    return out;
}

int FindItemAgain(const TzelXMLNode2 &channel, int firstItemIndex, const std::string &signature,
                  int nearRow)
{
    const int rows = channel.ChildCount() - firstItemIndex;
    const auto matches = [&](int row) {
        const TzelXMLNode2 *child = channel.ChildAt(firstItemIndex + row);
        return child && ItemSignature(*child) == signature;
    };
    // Outward from the row it had: the nearest of equal items is the one meant.
    for (int distance = 0;; ++distance) {
        const int before = nearRow - distance, after = nearRow + distance;
        const bool beforeIn = before >= 0 && before < rows, afterIn = after >= 0 && after < rows;
        if (!beforeIn && !afterIn && before < 0 && after >= rows)
            return -1;
        if (beforeIn && matches(before))
            return before;
        if (distance > 0 && afterIn && matches(after))
            return after;
    }
}
