#include "ItemCommands.h"

#include "PodcastTags.h"

#include "FeedCommands.h"
#include "TextFunctions.h"
#include "WrittenForm.h"
#include "zelException.h"
#include "zelXMLParser2.h"
#include "zelXMLWriter.h"

#include <array>
#include <memory>

namespace {

const std::array<const char *, 4> ItemChildNames = {"title", "description", "link", "pubDate"};

std::string ChildText(const TzelXMLNode2 &node, std::string_view name)
{
    const TzelXMLNode2 *child = node.FindChild(name, false);
    return child ? child->Text() : std::string();
}

// Text written in pieces (CDATA sections beside plain text, comments between): a section
// shows as it is, plain text as plain text shows ("&quot;" a double quote), comments not at all.
std::string ShownPieces(std::string_view content)
{
    std::string text;
    std::size_t at = 0;
    while (at < content.size()) {
        const std::size_t markup = content.find('<', at);
        std::string plain(content.substr(at, markup == std::string_view::npos ? markup : markup - at));
        DecodeQuot(plain);
        text += plain;
        if (markup == std::string_view::npos)
            break;
        const std::string_view rest = content.substr(markup);
        const bool cdata = rest.substr(0, 9) == "<![CDATA[";
        const std::string_view closer = cdata ? "]]>" : rest.substr(0, 4) == "<!--" ? "-->" : "?>";
        const std::size_t end = rest.find(closer);
        if (cdata)
            text += rest.substr(9, end == std::string_view::npos ? end : end - 9);
        at = end == std::string_view::npos ? content.size() : markup + end + closer.size();
    }
    const std::size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") + 1 - begin);
}

// A title's or description's text as its box shows it. An element holding markup (a
// description with "<b>" in it, say) shows its whole content as written. A "&quot;" is a
// double quote to readers except inside a CDATA section, where it is text and shows so.
// (xml: the document's XML-compatible mode; an element an item command made has no link to it.)
std::string ShownText(const TzelXMLNode2 *element, bool xml)
{
    if (!element)
        return {};
    if (element->ChildCount() > 0)
        return TzelXMLWriter::BuildContentText(*element, xml);
    if (element->KeptContent().find("<![CDATA[") != std::string_view::npos)
        return ShownPieces(element->KeptContent());
    std::string text = element->Text();
    const bool cdata = element->KeptContent().empty() && (element->TextNeedsCDATA() || element->TextFromCDATA());
    if (!cdata)
        DecodeQuot(text);
    return text;
}

// What a typed title or description is stored as: a text with "<" or ">" goes into a CDATA
// section, where every character is read as it is; elsewhere a double quote is "&quot;".
std::string StoredText(const std::string &typed)
{
    if (typed.find_first_of("<>") != std::string::npos)
        return typed;
    std::string text = typed;
    EncodeQuot(text);
    return text;
}

// The channel child shown in the row, refused when the document no longer has it.
TzelXMLNode2 &ListedChild(const TzelXMLNode2 &channel, int firstItemIndex, int row,
                          const std::string &path)
{
    const int position = firstItemIndex + row;
    TzelXMLNode2 *child = row >= 0 && position >= 0 ? channel.ChildAt(position) : nullptr;
    if (!child)
        throw Exception("The selected item is no longer in the feed \"" + path +
                        "\". Open the Items page again to see the feed as it is.");
    return *child;
}

// A command may only write what was read whole, and needs the channel.
TzelXMLNode2 &ChannelToChange(const TzelXMLParser2 &document, const std::string &path)
{
    RequireWholeDocument(document, path);
    return RequireChannel(document, path);
}

// The new item: "title", "description", "link" and "pubDate" holding "(untitled)", " ", " "
// and the date stamp, and nothing else. The channel's first children are no model for them: on
// real channels they are an atom:link with its href, an image with its url and title, which
// would make the item's description and date unreadable.
std::unique_ptr<TzelXMLNode2> NewItem(const std::string &dateStamp)
{
    auto item = std::make_unique<TzelXMLNode2>();
    item->SetName("item");
    const std::array<std::string, 4> texts = {"(untitled)", " ", " ", dateStamp};
    for (size_t i = 0; i < ItemChildNames.size(); ++i) {
        auto *child = new TzelXMLNode2;
        item->Children().Add(child);
        child->SetName(ItemChildNames[i]);
        child->SetText(texts[i]);
    }
    return item;
}

// Writes the document. When that fails the file is as it was (it is replaced in one step),
// so undo() puts the document back too: memory keeps matching the file. When it succeeds the
// tree takes the form the written file reads as, where that can be told (`changed` is the
// element the command set).
template <class Undo>
TWrittenFeed SaveOrUndo(TzelXMLParser2 &document, const std::string &path, const TLaidOutText *before,
                        TChannelChange change, TzelXMLNode2 *changed, Undo undo)
{
    try {
        return SaveAndTakeWrittenForm(document, path, before, change, changed);
    } catch (...) {
        undo();
        throw;
    }
}

} // namespace

TItemList ListItems(const TzelXMLParser2 &document)
{
    TItemList list;
    const TzelXMLNode2 *channel = document.FindChild("channel", false);
    if (!channel)
        return list;
    const int count = channel->ChildCount();
    const int first = FirstItemPosition(*channel);
    list.FirstItemIndex = first;
    list.HasItems = first < count;
    list.Rows.reserve(static_cast<size_t>(count - first));
    for (int p = first; p < count; ++p)
        list.Rows.push_back(ItemRow(channel->ChildAt(p)));
    return list;
}

int FirstItemPosition(const TzelXMLNode2 &channel)
{
    const int count = channel.ChildCount();
    int first = 0;
    while (first < count && !(channel.ChildAt(first) && channel.ChildAt(first)->NameView() == "item"))
        ++first;
    return first;
}

std::string ItemRow(const TzelXMLNode2 *child)
{
    const TzelXMLNode2 *title = child ? child->FindChild("title", false) : nullptr;
    if (!title) {
        std::string row = "<";
        if (child)
            row += child->NameView();
        return row += '>';
    }
    return ShownText(title, true); // (a title holds no markup but in an XML-compatible read)
}

TItemFields ReadItem(const TzelXMLParser2 &document, const std::string &path, int firstItemIndex,
                     int row)
{
    const TzelXMLNode2 &channel = RequireChannel(document, path);
    const TzelXMLNode2 &item = ListedChild(channel, firstItemIndex, row, path);
    return {ShownText(item.FindChild("title", false), document.XmlCompatible()),
            ShownText(item.FindChild("description", false), document.XmlCompatible()),
            ChildText(item, "link"), ChildText(item, "pubDate")};
}

// What a new item gets beyond what it holds: a guid of its own (an item readers took for one
// they have seen would be dropped) and, in a podcast by its channel, the next episode number.
enum class TNewItem { Plain, OwnGuid, Episode };

// Saves a child just inserted at position. An episode number may declare the itunes namespace,
// which changes the root too, so the feed is then laid out whole and read again.
static TWrittenFeed SaveInsertedItem(TzelXMLParser2 &document, const std::string &path,
                                     TzelXMLNode2 &channel, int position, TzelXMLNode2 *added,
                                     TNewItem kind, const TLaidOutText *before)
{
    const int declarations = document.Attributes().Count();
    if (kind != TNewItem::Plain)
        GiveOwnGuid(document, channel, *added);
    const bool declared = kind == TNewItem::Episode && NumberNewEpisode(document, channel, *added);
    TWrittenFeed written = SaveOrUndo(document, path, declared ? nullptr : before,
                                      {TChannelChange::Inserted, position}, added, [&] {
                                          channel.DeleteChild(added);
                                          document.Attributes().DeleteTrailing(declarations);
                                      });
    written.DocumentIsFile = written.DocumentIsFile && !declared;
    return written;
}

TWrittenFeed AddItem(TzelXMLParser2 &document, const std::string &path, int firstItemIndex,
                     const std::string &dateStamp, const TLaidOutText *before)
{
    TzelXMLNode2 &channel = ChannelToChange(document, path);
    std::unique_ptr<TzelXMLNode2> item = NewItem(dateStamp);
    const TNewItem kind = IsPodcastByChannel(document, channel) ? TNewItem::Episode
                          : IsPodcastFeed(document, channel)   ? TNewItem::OwnGuid
                                                               : TNewItem::Plain;
    channel.InsertChild(firstItemIndex, item.get()); // raises, keeping the node ours, when out of range
    return SaveInsertedItem(document, path, channel, firstItemIndex, item.release(), kind, before);
}

TWrittenFeed CloneItem(TzelXMLParser2 &document, const std::string &path, int firstItemIndex, int row,
                       const TLaidOutText *before)
{
    TzelXMLNode2 &channel = ChannelToChange(document, path);
    const TzelXMLNode2 &source = ListedChild(channel, firstItemIndex, row, path);
    // A copy of an item is a new item; a copy of another listed child (a category after the
    // items) is only a copy: guids and episode numbers belong in items.
    const TNewItem kind = source.NameView() != "item"              ? TNewItem::Plain
                          : IsPodcastByChannel(document, channel) ? TNewItem::Episode
                                                                  : TNewItem::OwnGuid;
    std::unique_ptr<TzelXMLNode2> copy(source.CloneTree());
    channel.InsertChild(firstItemIndex + row, copy.get());
    return SaveInsertedItem(document, path, channel, firstItemIndex + row, copy.release(), kind, before);
}

TWrittenFeed DeleteItem(TzelXMLParser2 &document, const std::string &path, int firstItemIndex, int row,
                        const TLaidOutText *before)
{
    TzelXMLNode2 &channel = ChannelToChange(document, path);
    const int position = firstItemIndex + row;
    const TzelXMLNode2 &listed = ListedChild(channel, firstItemIndex, row, path);
    // What follows the item (a comment about the next one, text) is not the item's: it stays,
    // joined to what stands before the item. That changes the lines before the item's too, so
    // the feed is then laid out whole.
    const bool keepsTail = !listed.KeptTail().empty();
    TzelXMLNode2 *previous = position > 0 ? channel.ChildAt(position - 1) : nullptr;
    const std::string previousTail(previous ? previous->KeptTail() : std::string_view());
    const std::string channelText = channel.Text();
    const std::string channelContent(channel.KeptContent());
    // Taken out rather than destroyed at once, so a failed write can put it back. The writer
    // puts the channel's children on lines of their own at this indent.
    std::unique_ptr<TzelXMLNode2> removed(channel.ExtractChildKeepingTail(position, "\r\n    "));
    return SaveOrUndo(document, path, keepsTail ? nullptr : before, {TChannelChange::Removed, position},
                      nullptr, [&] {
                          channel.InsertChild(position, removed.release());
                          if (previous) {
                              previous->SetKeptTail(previousTail);
                          } else {
                              channel.SetText(channelText);
                              channel.SetKeptContent(channelContent);
                          }
                      });
}

TWrittenFeed SaveItem(TzelXMLParser2 &document, const std::string &path, int firstItemIndex, int row,
                      const TItemFields &typed, const TLaidOutText *before)
{
    TzelXMLNode2 &channel = ChannelToChange(document, path);
    TzelXMLNode2 &item = ListedChild(channel, firstItemIndex, row, path);
    // A title or description shown and left as it was keeps its bytes (and a description its
    // markup); one typed anew replaces the element's whole content.
    auto retyped = [&item, &document](const char *name, const std::string &typedText) {
        const TzelXMLNode2 *element = item.FindChild(name, false);
        return !element || typedText != ShownText(element, document.XmlCompatible());
    };
    const bool titleRetyped = retyped("title", typed.Title);
    const bool descriptionRetyped = retyped("description", typed.Description);
    const std::array<std::string, 4> texts = {
        titleRetyped ? StoredText(typed.Title) : ChildText(item, "title"),
        descriptionRetyped ? StoredText(typed.Description) : ChildText(item, "description"), typed.Link,
        typed.PubDate};

    // The item's children as they were, so a failed write can put them back into the item
    // itself: setting the old texts again would lose how they were written (a CDATA section, a
    // comment inside), and a copy of the item in its place would lose the markup after it.
    const std::unique_ptr<TzelXMLNode2> original(item.CloneTree());
    for (size_t i = 0; i < texts.size(); ++i) {
        TzelXMLNode2 *child = item.ChildOrNew(ItemChildNames[i]);
        if ((i == 0 && titleRetyped) || (i == 1 && descriptionRetyped)) {
            child->Children().DeleteTrailing(0);
            child->SetText({}); // so no form kept of the old content outlives it
        }
        child->SetText(texts[i]);
    }
    return SaveOrUndo(document, path, before, {TChannelChange::Replaced, firstItemIndex + row}, &item,
                      [&] {
                          item.Children().DeleteTrailing(0);
                          while (original->ChildCount() > 0)
                              item.Children().Add(original->Children().Extract(0));
                      });
}
