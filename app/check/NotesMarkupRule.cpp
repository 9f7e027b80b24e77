#include "NotesMarkupRule.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

std::string Lower(const xmlChar *text)
{
    std::string lower(reinterpret_cast<const char *>(text));
    for (char &c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// "javascript:" or "vbscript:" when the address runs a script, else "".
std::string ScriptScheme(const xmlChar *value)
{
    std::string address;
    for (const char c : Lower(value))
        if (static_cast<unsigned char>(c) > 0x20) // browsers skip blanks and controls here
            address += c;
    for (const char *scheme : {"javascript:", "vbscript:"})
        if (address.starts_with(scheme))
            return scheme;
    return {};
}

void Collect(const xmlNode *node, std::vector<std::string> &found)
{
    const auto note = [&](std::string what) {
        if (std::find(found.begin(), found.end(), what) == found.end())
            found.push_back(std::move(what));
    };
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE)
            continue;
        const std::string name = Lower(node->name);
        for (const char *stripped : {"script", "style", "iframe", "object", "embed"})
            if (name == stripped)
                note("<" + name + ">");
        for (const xmlAttr *attribute = node->properties; attribute; attribute = attribute->next) {
            const std::string attributeName = Lower(attribute->name);
            if (attributeName.starts_with("on"))
                note("an event attribute (" + attributeName + ")");
            xmlChar *value = xmlNodeGetContent(reinterpret_cast<const xmlNode *>(attribute));
            if (const std::string scheme = value ? ScriptScheme(value) : std::string(); !scheme.empty())
                note("a " + scheme + " URL");
            xmlFree(value);
        }
        Collect(node->children, found);
    }
}

} // namespace

std::string UnsafeNotesMarkup(std::string_view html)
{
    if (html.find('<') == std::string_view::npos)
        return {};
    htmlDocPtr document = htmlReadMemory(html.data(), int(html.size()), nullptr, "UTF-8",
                                         HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                                             HTML_PARSE_NOWARNING | HTML_PARSE_NOIMPLIED);
    if (!document)
        return {};
    std::vector<std::string> found;
    Collect(document->children, found);
    xmlFreeDoc(document);
    std::string words;
    for (size_t i = 0; i < found.size(); ++i)
        words += (i == 0 ? "" : i + 1 == found.size() ? " and " : ", ") + found[i];
    return words;
}
