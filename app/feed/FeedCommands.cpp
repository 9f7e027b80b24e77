#include "FeedCommands.h"

#include "DropNotice.h"

#include "zelException.h"
#include "zelXMLParser2.h"

#include <array>
#include <memory>
#include <filesystem>

namespace {

// What a user reads: the file's name as it is stored.
std::string Quoted(const std::string &path) { return "\"" + path + "\""; }

std::string ChildText(const TzelXMLNode2 &parent, const char *name)
{
    const TzelXMLNode2 *child = parent.FindChild(name, false);
    return child ? child->Text() : std::string();
}

// Where the channel's own elements end: its first "item" (the child count when it has none).
int FirstItemPosition(const TzelXMLNode2 &channel)
{
    int position = 0;
    while (position < channel.ChildCount() &&
           !(channel.ChildAt(position) && channel.ChildAt(position)->NameView() == "item"))
        ++position;
    return position;
}

} // namespace

TTextEncoding DocumentEncoding(const TzelXMLParser2 &document)
{
    if (document.IsUtf16())
        return TTextEncoding::Utf8; // the engine holds a UTF-16 file's text as UTF-8
    const std::string declared =
        document.Declaration().AttributeValue(TzelVariant("encoding")).AsString();
    return EncodingFor(declared, document.SourceText());
}

void DeclareUndeclaredUtf8(TzelXMLParser2 &document)
{
    TzelXMLNode2 &declaration = document.Declaration();
    if (!declaration.AttributeValue(TzelVariant("encoding")).AsString().empty() ||
        DocumentEncoding(document) != TTextEncoding::Utf8)
        return;
    const int index = declaration.AttributeIndex("encoding");
    if (index >= 0)
        declaration.Attributes()[index]->SetValue(TzelVariant(std::string("UTF-8")));
    else
        declaration.AppendAttribute("encoding", "UTF-8");
}

void RequireWholeDocument(const TzelXMLParser2 &document, const std::string &path)
{
    if (!document.LastError().empty())
        throw Exception("The feed " + Quoted(path) + " could not be read:\n" + document.LastError());
}

TzelXMLNode2 &RequireChannel(const TzelXMLParser2 &document, const std::string &path)
{
    TzelXMLNode2 *channel = document.FindChild("channel", false);
    // A second root element (or text) after a first one without a channel: the file is not
    // well-formed, which is what the user needs to hear, not that the first root is empty.
    if (!channel && !document.DroppedContent().empty())
        throw Exception("The feed " + Quoted(path) + " is not well-formed XML:" + DroppedLines(document) +
                        "\nIts first root element has no \"channel\" element.");
    if (!channel)
        throw Exception("The feed " + Quoted(path) + " has no \"channel\" element.");
    return *channel;
}

TzelXMLNode2 &RequireListedItem(const TzelXMLNode2 &channel, const std::string &path, int firstItemIndex,
                                int row, std::string_view command)
{
    TzelXMLNode2 *item = row >= 0 && firstItemIndex + row >= 0 ? channel.ChildAt(firstItemIndex + row) : nullptr;
    if (!item)
        throw Exception("The selected item is no longer in the feed \"" + path +
                        "\". Open the Items page again to see the feed as it is.");
    if (item->NameView() != "item")
        throw Exception("The selected row is a <" + item->Name() + ">, not an item" +
                        (command.empty() ? "." : ": " + std::string(command) + "."));
    return *item;
}

TChannelFields ReadChannelFields(const TzelXMLParser2 &document, const std::string &path)
{
    const TzelXMLNode2 &channel = RequireChannel(document, path);
    return {ChildText(channel, "title"), ChildText(channel, "description"), ChildText(channel, "link"),
            ChildText(channel, "pubDate")};
}

void WriteChannelFields(TzelXMLParser2 &document, const std::string &path,
                        const TChannelFields &fields, bool dateTyped)
{
    TzelXMLNode2 &channel = RequireChannel(document, path);
    const std::array<std::pair<const char *, const std::string *>, 5> targets = {{
        {"title", &fields.Title},
        {"description", &fields.Description},
        {"link", &fields.Link},
        {"pubDate", &fields.Date},
        {"lastBuildDate", &fields.Date},
    }};
    for (const auto &[name, text] : targets) {
        if (TzelXMLNode2 *child = channel.FindChild(name, false)) {
            if (dateTyped || std::string_view(name) != "lastBuildDate")
                child->SetText(*text);
        } else if (!text->empty()) {
            // A missing element is made where the channel's own elements end, before its
            // first item, so the items stay together at the end.
            auto created = std::make_unique<TzelXMLNode2>();
            created->SetName(name);
            created->SetText(*text);
            channel.InsertChild(FirstItemPosition(channel), created.get());
            created.release();
        }
    }
}

std::string FeedListLine(const std::string &title)
{
    const std::size_t cut = title.find_last_of("\\:");
    return cut == std::string::npos ? title : title.substr(cut + 1);
}

bool FeedFileExists(const std::string &path)
{
    if (path.empty())
        return false;
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}
