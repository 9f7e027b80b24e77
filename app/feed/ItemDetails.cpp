#include "ItemDetails.h"

#include "WrittenForm.h"

#include "FeedCommands.h"
#include "ItemWrite.h"
#include "ReaderText.h"
#include "zelException.h"
#include "zelXMLParser2.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace {

// An item's children in the order RSS 2.0 lists them.
constexpr std::array<std::string_view, 10> ItemOrder = {
    "title", "link", "description", "author", "category",
    "comments", "enclosure", "guid", "pubDate", "source"};

int OrderOf(std::string_view name)
{
    const auto found = std::find(ItemOrder.begin(), ItemOrder.end(), name);
    return found == ItemOrder.end() ? -1 : int(found - ItemOrder.begin());
}

// Where a new element of that name goes: after the last child that RSS 2.0 puts at or before
// it, else before the first one it puts after it, else at the end. Children of other names
// (extensions) keep their places.
int InsertPosition(const TzelXMLNode2 &item, std::string_view name)
{
    const int order = OrderOf(name);
    int after = -1, before = -1;
    for (int p = 0; p < item.ChildCount(); ++p) {
        const TzelXMLNode2 *child = item.ChildAt(p);
        const int childOrder = child ? OrderOf(child->NameView()) : -1;
        if (childOrder < 0)
            continue;
        if (childOrder <= order)
            after = p;
        else if (before < 0)
            before = p;
    }
    if (after >= 0)
        return after + 1;
    return before >= 0 ? before : item.ChildCount();
}

TzelXMLNode2 &InsertNew(TzelXMLNode2 &item, std::string_view name)
{
    auto child = std::make_unique<TzelXMLNode2>();
    child->SetName(name);
    item.InsertChild(InsertPosition(item, name), child.get());
    return *child.release();
}

std::string TextOf(const TzelXMLNode2 &item, std::string_view name, TReaderForm form)
{
    const TzelXMLNode2 *child = item.FindChild(name, false);
    return child ? ReadersText(*child, form) : std::string();
}

std::string AttributeOf(const TzelXMLNode2 *node, std::string_view name, TReaderForm form)
{
    if (!node)
        return {};
    const int index = node->AttributeIndex(name);
    return index < 0 ? std::string() : ReadersValue(node->Attributes()[index]->ValueText(), form);
}

// Edits the first attribute of that name in place, or appends one.
void SetAttribute(TzelXMLNode2 &node, std::string_view name, const std::string &text, TReaderForm form)
{
    const std::string value = StoredValue(text, form);
    const int index = node.AttributeIndex(name);
    if (index < 0)
        node.AppendAttribute(name, value);
    else
        node.Attributes()[index]->SetValue(TzelVariant(value));
}

// A single text element: edited when it differs, removed when emptied, created where needed.
void SetSingle(TzelXMLNode2 &item, std::string_view name, const std::string &text, TReaderForm form)
{
    TzelXMLNode2 *child = item.FindChild(name, false);
    if (child && ReadersText(*child, form) == text)
        return;
    if (text.empty()) {
        if (child)
            item.DeleteChild(child);
        return;
    }
    (child ? *child : InsertNew(item, name)).SetText(StoredText(text));
}

// The category lines are matched to the category elements by their text, so an element whose
// line stays keeps its own attributes (a domain) whatever lines were removed, added or moved
// around it. Lines and elements in the same order are matched first (the longest such run); a
// line whose text an unmatched element elsewhere holds takes that element along; between two
// matches the lines left are taken, in order, as the elements left there edited in place. Other
// elements go, other lines become new elements, and the elements end up in the lines' order.
void SetCategories(TzelXMLNode2 &item, const std::vector<std::string> &lines, TReaderForm form)
{
    std::vector<TzelXMLNode2 *> existing;
    std::vector<std::string> texts; // as readers read each element
    for (int p = 0; p < item.ChildCount(); ++p)
        if (TzelXMLNode2 *child = item.ChildAt(p); child && child->NameView() == "category") {
            existing.push_back(child);
            texts.push_back(ReadersText(*child, form));
        }
    const size_t elements = existing.size(), count = lines.size();
    // Longest common run of texts, by the usual table.
    std::vector<std::vector<size_t>> common(elements + 1, std::vector<size_t>(count + 1, 0));
    for (size_t e = elements; e-- > 0;)
        for (size_t l = count; l-- > 0;)
            common[e][l] = texts[e] == lines[l] ? common[e + 1][l + 1] + 1
                                                               : std::max(common[e + 1][l], common[e][l + 1]);
    std::vector<TzelXMLNode2 *> elementOf(count, nullptr); // the element each line keeps
    std::vector<bool> kept(elements, false);
    std::vector<bool> inPlace(count, false); // the line's element stays where it is
    std::vector<std::pair<size_t, size_t>> matches;    // (element, line), in order
    for (size_t e = 0, l = 0; e < elements && l < count;) {
        if (texts[e] == lines[l]) {
            matches.emplace_back(e, l);
            elementOf[l] = existing[e];
            kept[e] = inPlace[l] = true;
            ++e, ++l;
        } else if (common[e + 1][l] >= common[e][l + 1]) {
            ++e;
        } else {
            ++l;
        }
    }
    // A line moved away from its element takes it along.
    for (size_t l = 0; l < count; ++l)
        for (size_t e = 0; e < elements && !elementOf[l]; ++e)
            if (!kept[e] && texts[e] == lines[l]) {
                elementOf[l] = existing[e];
                kept[e] = true;
            }
    // Between two matches: the lines left edit the elements left, one for one.
    matches.emplace_back(elements, count);
    size_t e = 0, l = 0;
    for (const auto &[matchE, matchL] : matches) {
        for (;; ++e, ++l) {
            while (e < matchE && kept[e])
                ++e;
            while (l < matchL && elementOf[l])
                ++l;
            if (e >= matchE || l >= matchL)
                break;
            elementOf[l] = existing[e];
            kept[e] = inPlace[l] = true;
        }
        e = matchE + 1;
        l = matchL + 1;
    }
    for (size_t j = 0; j < elements; ++j)
        if (!kept[j])
            item.DeleteChild(existing[j]);
    // The lines in order: an element that stays marks the place, the others follow it.
    const auto firstInPlace = std::find(inPlace.begin(), inPlace.end(), true);
    const TzelXMLNode2 *previous = nullptr;
    for (size_t i = 0; i < count; ++i) {
        TzelXMLNode2 *element = elementOf[i];
        if (!inPlace[i]) {
            std::unique_ptr<TzelXMLNode2> node;
            if (element) {
                node.reset(item.Children().Extract(item.Children().IndexOf(element)));
            } else {
                node = std::make_unique<TzelXMLNode2>();
                node->SetName("category");
            }
            const int position =
                previous ? item.Children().IndexOf(previous) + 1
                : firstInPlace != inPlace.end()
                    ? item.Children().IndexOf(elementOf[size_t(firstInPlace - inPlace.begin())])
                    : InsertPosition(item, "category");
            item.InsertChild(position, node.get());
            element = node.release();
        }
        if (ReadersText(*element, form) != lines[i])
            element->SetText(StoredText(lines[i]));
        previous = element;
    }
}

void SetGuid(TzelXMLNode2 &item, const TItemDetails &details, TReaderForm form)
{
    SetSingle(item, "guid", details.Guid, form);
    TzelXMLNode2 *guid = item.FindChild("guid", false);
    if (!guid)
        return;
    const bool permaLink = AttributeOf(guid, "isPermaLink", form) != "false";
    if (permaLink != details.GuidIsPermaLink)
        SetAttribute(*guid, "isPermaLink", details.GuidIsPermaLink ? "true" : "false", form);
}

void CheckEnclosure(const TItemDetails &details)
{
    const bool any = !details.EnclosureUrl.empty() || !details.EnclosureLength.empty() ||
                     !details.EnclosureType.empty();
    if (!any)
        return;
    if (details.EnclosureUrl.empty() || details.EnclosureLength.empty() ||
        details.EnclosureType.empty())
        throw Exception("An enclosure needs its URL, its length in bytes and its MIME type.");
    if (!std::all_of(details.EnclosureLength.begin(), details.EnclosureLength.end(),
                     [](char c) { return c >= '0' && c <= '9'; }))
        throw Exception("The enclosure length \"" + details.EnclosureLength +
                        "\" is not a whole number of bytes.");
}

void SetEnclosure(TzelXMLNode2 &item, const TItemDetails &details, TReaderForm form)
{
    TzelXMLNode2 *enclosure = item.FindChild("enclosure", false);
    if (details.EnclosureUrl.empty()) {
        if (enclosure)
            item.DeleteChild(enclosure);
        return;
    }
    if (!enclosure)
        enclosure = &InsertNew(item, "enclosure");
    const std::array<std::pair<std::string_view, const std::string *>, 3> parts = {
        {{"url", &details.EnclosureUrl},
         {"length", &details.EnclosureLength},
         {"type", &details.EnclosureType}}};
    for (const auto &[name, value] : parts)
        if (AttributeOf(enclosure, name, form) != *value || enclosure->AttributeIndex(name) < 0)
            SetAttribute(*enclosure, name, *value, form);
}

} // namespace

TItemDetails ReadDetailsOf(const TzelXMLNode2 &item, TReaderForm form)
{
    TItemDetails details;
    details.Guid = TextOf(item, "guid", form);
    details.GuidIsPermaLink = AttributeOf(item.FindChild("guid", false), "isPermaLink", form) != "false";
    details.Author = TextOf(item, "author", form);
    for (int p = 0; p < item.ChildCount(); ++p)
        if (const TzelXMLNode2 *child = item.ChildAt(p); child && child->NameView() == "category")
            details.Categories.push_back(ReadersText(*child, form));
    details.Comments = TextOf(item, "comments", form);
    const TzelXMLNode2 *enclosure = item.FindChild("enclosure", false);
    details.EnclosureUrl = AttributeOf(enclosure, "url", form);
    details.EnclosureLength = AttributeOf(enclosure, "length", form);
    details.EnclosureType = AttributeOf(enclosure, "type", form);
    return details;
}

void CheckDetails(const TItemDetails &details)
{
    CheckEnclosure(details);
    CheckEpisodeTags(details.Episode);
}

void ApplyDetails(TzelXMLNode2 &item, const TItemDetails &details, TReaderForm form)
{
    CheckEnclosure(details);
    SetSingle(item, "author", details.Author, form);
    SetCategories(item, details.Categories, form);
    SetSingle(item, "comments", details.Comments, form);
    SetEnclosure(item, details, form);
    SetGuid(item, details, form);
}

TItemDetails ReadItemDetails(const TzelXMLParser2 &document, const std::string &path,
                             int firstItemIndex, int row)
{
    const TzelXMLNode2 &item = RequireListedItem(RequireChannel(document, path), path, firstItemIndex, row, "it has no details");
    TItemDetails details = ReadDetailsOf(item, ReaderFormOf(document));
    details.Episode = ReadEpisodeTags(document, RequireChannel(document, path), item);
    return details;
}

TWrittenFeed WriteItemDetails(TzelXMLParser2 &document, const std::string &path, int firstItemIndex,
                              int row, const TItemDetails &details, const TLaidOutText *before)
{
    RequireWholeDocument(document, path);
    TzelXMLNode2 &channel = RequireChannel(document, path);
    TzelXMLNode2 &item = RequireListedItem(channel, path, firstItemIndex, row, "it has no details");
    return WriteChangedItem(document, path, item, firstItemIndex + row, before, [&] {
        CheckDetails(details);
        ApplyDetails(item, details, ReaderFormOf(document));
        return ApplyEpisodeTags(document, channel, item, details.Episode);
    });
}

TEnclosureFile EnclosureOfFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    QFile file(fileName);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        throw Exception("The enclosure file \"" + fileName.toStdString() + "\" cannot be read.");
    if (info.size() == 0)
        throw Exception("The enclosure file \"" + fileName.toStdString() + "\" is empty.");
    std::string type = QMimeDatabase().mimeTypeForFile(info).name().toStdString();
    // The desktop names each codec in an Ogg file ("audio/x-opus+ogg"); the web knows the
    // container's own type.
    if (type.ends_with("+ogg"))
        type = type.starts_with("video/") ? "video/ogg" : "audio/ogg";
    return {std::to_string(info.size()), type};
}
