#include "ChannelSplice.h"

#include "zelXMLParser2.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// A channel child's (or its tail's) first line; one followed by "/" is an end tag's.
constexpr std::string_view ChildLine = "\r\n    <";

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool HasTailLine(const TzelXMLNode2 &node)
{
    for (char c : node.KeptTail())
        if (!IsBlank(c))
            return true;
    return false;
}

std::string_view TrimmedTail(const TzelXMLNode2 &node)
{
    std::string_view tail = node.KeptTail();
    while (!tail.empty() && IsBlank(tail.front()))
        tail.remove_prefix(1);
    while (!tail.empty() && IsBlank(tail.back()))
        tail.remove_suffix(1);
    return tail;
}

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

std::string SpliceChannel(std::string_view before, const TChannelLines &lines,
                          const TzelXMLParser2 &document, TChannelChange change,
                          TChannelLines &after)
{
    const TzelXMLNode2 &channel = *document.FindChild("channel", false);
    const int count = channel.ChildCount();
    const int p = change.Position;
    // The old child at each new position that is not written anew.
    const auto oldOf = [&](int position) {
        if (position < p)
            return position;
        return change.Kind == TChannelChange::Inserted  ? position - 1
               : change.Kind == TChannelChange::Removed ? position + 1
                                                        : position;
    };
    // New positions written anew: the change's, and the stale child's where it went.
    std::vector<int> fresh;
    if (change.Kind != TChannelChange::Removed)
        fresh.push_back(p);
    if (int stale = lines.Stale; stale >= 0) {
        if (change.Kind == TChannelChange::Removed && stale == p)
            stale = -1; // gone with the change
        else if (change.Kind == TChannelChange::Removed && stale > p)
            --stale;
        else if (change.Kind == TChannelChange::Inserted && stale >= p)
            ++stale;
        if (stale >= 0 && stale != p)
            fresh.push_back(stale);
    }
    const auto isFresh = [&](int position) {
        return std::find(fresh.begin(), fresh.end(), position) != fresh.end();
    };

    std::string text;
    text.reserve(before.size() + 4096);
    after.Starts.clear();
    after.Starts.reserve(static_cast<size_t>(count) + 1);
    after.Stale = -1;
    text.append(before.substr(0, lines.Starts.front()));
    for (int position = 0; position < count;) {
        if (isFresh(position)) {
            after.Starts.push_back(text.size());
            text += ChildLines(*channel.ChildAt(position));
            ++position;
            continue;
        }
        // A run of old children that stood together: one copy.
        int last = position;
        while (last + 1 < count && !isFresh(last + 1) && oldOf(last + 1) == oldOf(last) + 1)
            ++last;
        const size_t first = lines.Starts[oldOf(position)];
        const size_t end = lines.Starts[oldOf(last) + 1];
        for (int k = position; k <= last; ++k)
            after.Starts.push_back(text.size() + (lines.Starts[oldOf(k)] - first));
        text.append(before.substr(first, end - first));
        position = last + 1;
    }
    after.Starts.push_back(text.size());
    text.append(before.substr(lines.Starts.back()));
    return text;
}
