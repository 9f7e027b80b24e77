#include "ShowNotes.h"

#include "FeedCommands.h"
#include "ItemWrite.h"
#include "TextFunctions.h"
#include "zelException.h"
#include "zelXMLParser2.h"
#include "zelXMLWriter.h"

#include <memory>

namespace {

using TScopes = std::vector<const TzelXMLNode2 *>;

// The prefix bound to the content namespace in the scopes, or "".
std::string BoundPrefix(const TScopes &scopes)
{
    for (const TzelXMLNode2 *scope : scopes)
        for (int a = 0; a < scope->Attributes().Count(); ++a) {
            const std::string_view name = scope->Attributes()[a]->NameView();
            if (name.starts_with("xmlns:") && scope->Attributes()[a]->ValueText() == ContentNamespace)
                return std::string(name.substr(6));
        }
    return {};
}

bool PrefixTaken(const TScopes &scopes, const std::string &prefix)
{
    for (const TzelXMLNode2 *scope : scopes)
        if (scope->AttributeIndex("xmlns:" + prefix) >= 0)
            return true;
    return false;
}

TzelXMLNode2 *NotesElement(const TzelXMLNode2 &item, const TScopes &scopes)
{
    for (int p = 0; p < item.ChildCount(); ++p) {
        TzelXMLNode2 *child = item.ChildAt(p);
        const std::string_view name = child ? child->NameView() : std::string_view();
        const size_t colon = name.find(':');
        if (colon == std::string_view::npos || name.substr(colon + 1) != "encoded")
            continue;
        const std::string declaration = "xmlns:" + std::string(name.substr(0, colon));
        TScopes inner{child};
        inner.insert(inner.end(), scopes.begin(), scopes.end());
        for (const TzelXMLNode2 *scope : inner)
            if (const int index = scope->AttributeIndex(declaration); index >= 0) {
                if (scope->Attributes()[index]->ValueText() == ContentNamespace)
                    return child;
                break;
            }
    }
    return nullptr;
}

// XML's own references read; numeric ones beyond ASCII kept (see XmlContentValue).
void AppendDecoded(std::string &out, std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out += text[i++];
            continue;
        }
        const size_t semicolon = text.find(';', i);
        const std::string_view name =
            semicolon == std::string_view::npos ? std::string_view() : text.substr(i + 1, semicolon - i - 1);
        char decoded = 0;
        if (name == "lt") decoded = '<';
        else if (name == "gt") decoded = '>';
        else if (name == "amp") decoded = '&';
        else if (name == "quot") decoded = '"';
        else if (name == "apos") decoded = '\'';
        else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits(name.substr(hex ? 2 : 1));
            char *end = nullptr;
            const long code = digits.empty() ? 0 : std::strtol(digits.c_str(), &end, hex ? 16 : 10);
            if (end && *end == 0 && code > 0 && code < 0x80)
                decoded = char(code);
        }
        if (decoded) {
            out += decoded;
            i = semicolon + 1;
        } else {
            out += text[i++];
        }
    }
}

// Gives the element the text alone: its children and what was kept of its source form go.
void SetOnlyText(TzelXMLNode2 &element, std::string_view text)
{
    element.Children().DeleteTrailing(0);
    element.SetKeptContent({});
    element.SetText(text);
}

} // namespace

std::string XmlContentValue(const TzelXMLNode2 &element)
{
    const std::string written = TzelXMLWriter::BuildContentText(element, true);
    const std::string_view text = written;
    std::string value;
    for (size_t i = 0; i < text.size();) {
        const size_t open = text.find('<', i);
        AppendDecoded(value, text.substr(i, open == std::string_view::npos ? std::string_view::npos : open - i));
        if (open == std::string_view::npos)
            break;
        const auto skipTo = [&](std::string_view end) {
            const size_t found = text.find(end, open);
            return found == std::string_view::npos ? text.size() : found + end.size();
        };
        if (text.substr(open, 9) == "<![CDATA[") {
            const size_t end = text.find("]]>", open + 9);
            const size_t stop = end == std::string_view::npos ? text.size() : end;
            value.append(text.substr(open + 9, stop - open - 9));
            i = end == std::string_view::npos ? text.size() : end + 3;
        } else if (text.substr(open, 4) == "<!--") {
            i = skipTo("-->");
        } else if (text.substr(open, 2) == "<?") {
            i = skipTo("?>");
        } else {
            // A child element's tag, as written.
            const size_t end = skipTo(">");
            value.append(text.substr(open, end - open));
            i = end;
        }
    }
    return value;
}

std::string ReadShowNotes(const TzelXMLNode2 &rss, const TzelXMLNode2 &channel, const TzelXMLNode2 &item)
{
    const TzelXMLNode2 *notes = NotesElement(item, {&item, &channel, &rss});
    return notes ? XmlContentValue(*notes) : std::string();
}

bool ApplyShowNotes(TzelXMLNode2 &rss, TzelXMLNode2 &channel, TzelXMLNode2 &item, std::string_view notes)
{
    const TScopes scopes{&item, &channel, &rss};
    TzelXMLNode2 *element = NotesElement(item, scopes);
    if (notes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        if (element)
            item.DeleteChild(element);
        return false;
    }
    std::string html(notes);
    if (html.find_first_of("<>") == std::string::npos)
        html = "<p>" + html + "</p>";
    for (size_t at = html.find("]]>"); at != std::string::npos; at = html.find("]]>", at))
        html.replace(at, 3, "]]&gt;");
    bool declared = false;
    if (!element) {
        std::string prefix = BoundPrefix(scopes);
        if (prefix.empty()) {
            prefix = "content";
            for (int n = 2; PrefixTaken(scopes, prefix); ++n)
                prefix = "content" + std::to_string(n);
            rss.AppendAttribute("xmlns:" + prefix, ContentNamespace);
            declared = true;
        }
        auto node = std::make_unique<TzelXMLNode2>();
        node->SetName(prefix + ":encoded");
        const TzelXMLNode2 *description = item.FindChild("description", false);
        item.InsertChild(description ? item.Children().IndexOf(description) + 1 : item.ChildCount(), node.get());
        element = node.release();
    }
    SetOnlyText(*element, html);
    return declared;
}

TWrittenFeed WriteShowNotes(TzelXMLParser2 &document, const std::string &path, int firstItemIndex,
                            int row, std::string_view notes, const std::string *summary,
                            const TLaidOutText *before)
{
    RequireWholeDocument(document, path);
    TzelXMLNode2 &channel = RequireChannel(document, path);
    TzelXMLNode2 &item = RequireListedItem(channel, path, firstItemIndex, row, "it has no show notes");
    return WriteChangedItem(document, path, item, firstItemIndex + row, before, [&] {
        const bool declared = ApplyShowNotes(document, channel, item, notes);
        if (summary) {
            TzelXMLNode2 *description = item.FindChild("description", false);
            if (!description) {
                auto node = std::make_unique<TzelXMLNode2>();
                node->SetName("description");
                const TzelXMLNode2 *title = item.FindChild("title", false);
                item.InsertChild(title ? item.Children().IndexOf(title) + 1 : 0, node.get());
                description = node.release();
            }
            // Stored as a typed description is: a double quote as "&quot;" unless "<" or ">"
            // put the text in a CDATA section.
            std::string text = *summary;
            if (text.find_first_of("<>") == std::string::npos)
                EncodeQuot(text);
            SetOnlyText(*description, text);
        }
        return declared;
    });
}
