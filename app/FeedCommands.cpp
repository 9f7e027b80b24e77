#include "FeedCommands.h"

#include "zelException.h"
#include "zelXMLParser2.h"

#include <array>
#include <filesystem>

namespace {

// What a user reads: the file's name as it is stored.
std::string Quoted(const std::string &path) { return "\"" + path + "\""; }

TzelXMLNode2 &RequireChild(const TzelXMLNode2 &parent, const char *name, const std::string &path)
{
    TzelXMLNode2 *child = parent.FindChild(name, false);
    if (!child)
        throw Exception("The feed " + Quoted(path) + " has no \"" + name +
                        "\" element in its channel.");
    return *child;
}

} // namespace

TTextEncoding DocumentEncoding(const TzelXMLParser2 &document)
{
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
    if (!channel)
        throw Exception("The feed " + Quoted(path) + " has no \"channel\" element.");
    return *channel;
}

TChannelFields ReadChannelFields(const TzelXMLParser2 &document, const std::string &path)
{
    const TzelXMLNode2 &channel = RequireChannel(document, path);
    TChannelFields fields;
    fields.Title = RequireChild(channel, "title", path).Text();
    fields.Description = RequireChild(channel, "description", path).Text();
    fields.Link = RequireChild(channel, "link", path).Text();
    fields.Date = RequireChild(channel, "pubDate", path).Text();
    return fields;
}

void WriteChannelFields(TzelXMLParser2 &document, const std::string &path,
                        const TChannelFields &fields)
{
    const TzelXMLNode2 &channel = RequireChannel(document, path);
    // Look every element up before changing any, so a missing one changes nothing.
    const std::array<TzelXMLNode2 *, 5> targets = {
        &RequireChild(channel, "title", path), &RequireChild(channel, "description", path),
        &RequireChild(channel, "link", path), &RequireChild(channel, "pubDate", path),
        &RequireChild(channel, "lastBuildDate", path)};
    targets[0]->SetText(fields.Title);
    targets[1]->SetText(fields.Description);
    targets[2]->SetText(fields.Link);
    targets[3]->SetText(fields.Date);
    targets[4]->SetText(fields.Date);
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
