#include "ChannelSplice.h"

#include "zelXMLParser2.h"

#include <algorithm>
#include <cstring>

namespace {

// A channel child's (or its tail's) first line; one followed by "/" is an end tag's.
constexpr std::string_view ChildLine = "\r\n    <";

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// What the writer puts on a line of its own after the element, when anything.
std::string_view TrimmedTail(const TzelXMLNode2 &node)
{
    std::string_view tail = node.KeptTail();
    while (!tail.empty() && IsBlank(tail.front()))
        tail.remove_prefix(1);
    while (!tail.empty() && IsBlank(tail.back()))
        tail.remove_suffix(1);
    return tail;
}

bool HasTailLine(const TzelXMLNode2 &node) { return !TrimmedTail(node).empty(); }

// The writer's lines for one child of a line-by-line channel: its own, then its tail's.
std::string ChildLines(const TzelXMLNode2 &child)
{
    // The writer lays a node out by its level and its parent's layout only, so a document
    // holding a copy of it two levels down writes the same lines.
    TzelXMLParser2 scratch;
    scratch.SetXmlCompatible(true);
    scratch.SetName("r");
    auto *channel = new TzelXMLNode2;
    scratch.AppendChild(channel);
    channel->SetName("c");
    channel->AppendChild(child.CloneTree()); // the copy leaves the tail behind: added below
    const std::string text = scratch.BuildXmlText();
    constexpr std::string_view open = "<c>", close = "\r\n  </c>\r\n</r>";
    const size_t from = text.find(open) + open.size();
    std::string lines = text.substr(from, text.size() - close.size() - from);
    if (const std::string_view tail = TrimmedTail(child); !tail.empty()) {
        lines += "\r\n    ";
        lines += tail;
    }
    return lines;
}

} // namespace

std::optional<TChannelLines> FindChannelLines(std::string_view text, const TzelXMLParser2 &document,
                                              int stale)
{
    const TzelXMLNode2 *channel = document.FindChild("channel", false);
    if (!channel || document.IsUtf16() || !document.XmlCompatible() || document.MixedContent() ||
        channel->MixedContent() || channel->ChildCount() == 0)
        return std::nullopt;
    // Every line the writer starts with a break, four spaces and "<" but no "/" belongs to a
    // child of a child of the root, or to its tail; one found in a text or in kept markup would
    // be one too many, so the count must be exact.
    size_t expected = 0;
    for (const TzelXMLNode2 *top : document.Children()) {
        if (!top || top->MixedContent())
            continue;
        for (const TzelXMLNode2 *child : top->Children())
            if (child)
                expected += 1 + (HasTailLine(*child) ? 1 : 0);
    }
    const std::string end = "\r\n  </" + std::string(channel->NameView()) + ">";
    std::vector<size_t> found;
    found.reserve(expected);
    size_t ends = 0, endAt = 0;
    const char *data = text.data();
    for (size_t at = 0; at + 4 <= text.size();) {
        const void *hit = std::memchr(data + at, '\r', text.size() - at);
        if (!hit)
            break;
        at = static_cast<size_t>(static_cast<const char *>(hit) - data);
        const std::string_view rest = text.substr(at);
        if (rest.substr(0, ChildLine.size()) == ChildLine && rest.substr(ChildLine.size(), 1) != "/") {
            if (found.size() == expected)
                return std::nullopt;
            found.push_back(at);
        } else if (rest.substr(0, end.size()) == end) {
            ++ends;
            endAt = at;
        }
        ++at;
    }
    if (found.size() != expected || ends != 1)
        return std::nullopt;

    // The channel's children's lines among them, in order.
    TChannelLines lines;
    lines.Stale = stale;
    size_t next = 0;
    for (const TzelXMLNode2 *top : document.Children()) {
        if (!top || top->MixedContent())
            continue;
        for (const TzelXMLNode2 *child : top->Children()) {
            if (!child)
                continue;
            if (top == channel)
                lines.Starts.push_back(found[next]);
            next += 1 + (HasTailLine(*child) ? 1 : 0);
        }
    }
    if (static_cast<int>(lines.Starts.size()) != channel->ChildCount() || endAt < lines.Starts.back())
        return std::nullopt; // a null child, or the end tag before the last child
    lines.Starts.push_back(endAt);
    return lines;
}

std::vector<TTextPatch> ChannelPatches(const TChannelLines &lines, const TzelXMLParser2 &document,
                                       TChannelChange change, TChannelLines &after)
{
    const TzelXMLNode2 &channel = *document.FindChild("channel", false);
    const int count = channel.ChildCount();
    const int p = change.Position;
    const bool inserted = change.Kind == TChannelChange::Inserted;
    const bool removed = change.Kind == TChannelChange::Removed;
    // The old child at a new position (an inserted child: the one it goes before).
    const auto oldOf = [&](int position) {
        return position < p ? position : inserted ? position - 1 : removed ? position + 1 : position;
    };
    const auto span = [&](int old) { return lines.Starts[old + 1] - lines.Starts[old]; };
    // New positions written anew: the change's, and the stale child's where it went.
    int stale = lines.Stale;
    if (stale >= 0 && removed)
        stale = stale == p ? -1 : stale > p ? stale - 1 : stale;
    else if (stale >= 0 && inserted && stale >= p)
        ++stale;
    if (stale == p && !removed)
        stale = -1; // written anew anyway

    std::vector<TTextPatch> patches; // in the order of their positions
    std::vector<int> movesFrom;      // the first new position each one moves
    const auto writeAnew = [&](int position, bool insert) {
        const size_t offset = lines.Starts[insert ? p : oldOf(position)];
        patches.push_back({offset, insert ? 0 : span(oldOf(position)), ChildLines(*channel.ChildAt(position))});
        movesFrom.push_back(position + 1);
    };
    if (stale >= 0 && stale < p)
        writeAnew(stale, false);
    if (removed) {
        patches.push_back({lines.Starts[p], span(p), std::string()});
        movesFrom.push_back(p);
    } else {
        writeAnew(p, inserted);
    }
    if (stale >= 0 && stale >= p) // after a removal the child below the removed one is at p
        writeAnew(stale, false);

    // Every child's lines move by what the patches before them added or took.
    after.Starts.clear();
    after.Starts.reserve(static_cast<size_t>(count) + 1);
    after.Stale = -1;
    std::ptrdiff_t delta = 0;
    size_t next = 0;
    for (int position = 0; position <= count; ++position) {
        for (; next < patches.size() && movesFrom[next] <= position; ++next)
            delta += std::ptrdiff_t(patches[next].Bytes.size()) - std::ptrdiff_t(patches[next].Length);
        // An inserted child starts where the child it goes before started; the end line last.
        const size_t oldStart = position == count              ? lines.Starts.back()
                                : inserted && position == p ? lines.Starts[p]
                                                            : lines.Starts[oldOf(position)];
        after.Starts.push_back(size_t(std::ptrdiff_t(oldStart) + delta));
    }
    std::reverse(patches.begin(), patches.end()); // from the end of the text back
    return patches;
}

void ApplyPatches(std::string &text, std::vector<TTextPatch> &patches)
{
    for (TTextPatch &patch : patches) {
        std::string replaced = text.substr(patch.Offset, patch.Length);
        text.replace(patch.Offset, patch.Length, patch.Bytes);
        patch.Length = patch.Bytes.size();
        patch.Bytes = std::move(replaced);
    }
}

void ApplyPatchesBackwards(std::string &text, std::vector<TTextPatch> &patches)
{
    std::reverse(patches.begin(), patches.end());
    ApplyPatches(text, patches);
    std::reverse(patches.begin(), patches.end());
}
