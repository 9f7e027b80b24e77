// Opens every XML file of the given folders (or the given files) as the editor does, saves
// it unedited in memory and reads original and copy with libxml2: every well-formed file
// must open, every copy must be well-formed, and what a reader sees in the copy must equal
// the original except for what the engine reported it would drop. Prints the figures and
// every failure; exits 1 on a failure, 77 with --skip-missing when a folder is absent.
//
//   xml_roundtrip_check [--skip-missing] [--quiet] FOLDER-OR-FILE...
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "zelXMLParser2.h"

namespace {

namespace fs = std::filesystem;

struct Figures {
    int files = 0, wellFormed = 0, opened = 0, copiesWellFormed = 0, same = 0, withDrops = 0, externalEntities = 0;
    int failures = 0;
};

void Silence(void *, const char *, ...) {}

// A libxml2 document, or null when the text is not well-formed.
xmlDocPtr ReadWithLibxml2(const std::string &text)
{
    return xmlReadMemory(text.data(), static_cast<int>(text.size()), "check.xml", nullptr,
                         XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR);
}

bool DeclaresExternalEntity(xmlDocPtr doc)
{
    if (!doc->intSubset)
        return false;
    for (xmlNodePtr node = doc->intSubset->children; node; node = node->next)
        if (node->type == XML_ENTITY_DECL) {
            auto *entity = reinterpret_cast<xmlEntityPtr>(node);
            if (entity->etype == XML_EXTERNAL_GENERAL_PARSED_ENTITY ||
                entity->etype == XML_EXTERNAL_PARAMETER_ENTITY)
                return true;
        }
    return false;
}

std::string Str(const xmlChar *text) { return text ? reinterpret_cast<const char *>(text) : ""; }

// Text as a reader compares it: blanks runs made one space, ends trimmed.
std::string Collapse(const std::string &text)
{
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = true;
            continue;
        }
        if (blank && !out.empty())
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

// One line per thing a reader sees, in document order.
void Describe(xmlNodePtr first, std::vector<std::string> &lines, bool withEpilog, int depth = 0)
{
    std::string text;
    auto flushText = [&] {
        std::string collapsed = Collapse(text);
        if (!collapsed.empty())
            lines.push_back(std::string(depth, ' ') + "text " + collapsed);
        text.clear();
    };
    bool afterRoot = false;
    for (xmlNodePtr node = first; node; node = node->next) {
        if (afterRoot && !withEpilog)
            break;
        switch (node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            text += Str(node->content);
            continue;
        case XML_ENTITY_REF_NODE:
            text += "&" + Str(node->name) + ";";
            continue;
        default:
            break;
        }
        flushText();
        const std::string indent(depth, ' ');
        if (node->type == XML_ELEMENT_NODE) {
            std::string line = indent + "<" + (node->ns && node->ns->prefix ? Str(node->ns->prefix) + ":" : "") + Str(node->name);
            for (xmlNsPtr ns = node->nsDef; ns; ns = ns->next)
                line += " xmlns" + (ns->prefix ? ":" + Str(ns->prefix) : "") + "=" + Str(ns->href);
            for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
                xmlChar *value = xmlNodeListGetString(node->doc, attribute->children, 1);
                line += " " + (attribute->ns && attribute->ns->prefix ? Str(attribute->ns->prefix) + ":" : "") +
                        Str(attribute->name) + "=" + Str(value);
                xmlFree(value);
            }
            lines.push_back(line + ">");
            Describe(node->children, lines, true, depth + 1);
            lines.push_back(indent + "</>");
            if (depth == 0)
                afterRoot = true;
        } else if (node->type == XML_COMMENT_NODE) {
            lines.push_back(indent + "comment " + Str(node->content));
        } else if (node->type == XML_PI_NODE) {
            lines.push_back(indent + "instruction " + Str(node->name) + " " + Collapse(Str(node->content)));
        } else if (node->type == XML_DTD_NODE) {
            lines.push_back(indent + "doctype " + Str(node->name));
        }
    }
    flushText();
}

std::vector<std::string> Describe(xmlDocPtr doc, bool withEpilog)
{
    std::vector<std::string> lines;
    // -1 (no declaration) and -2 (no standalone in it) read the same.
    lines.push_back("version " + Str(doc->version) + " standalone " + std::to_string(std::max(doc->standalone, -1)));
    Describe(doc->children, lines, withEpilog);
    return lines;
}

std::string FirstDifference(const std::vector<std::string> &a, const std::vector<std::string> &b)
{
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    auto at = [](const std::vector<std::string> &lines, size_t i) { return i < lines.size() ? lines[i].substr(0, 160) : "(end)"; };
    return "line " + std::to_string(i + 1) + ": original \"" + at(a, i) + "\", saved \"" + at(b, i) + "\"";
}

bool ValidUtf8(const std::string &text)
{
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = text[i];
        const size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (!length || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2)
                return false;
        i += length;
    }
    return true;
}

void Fail(Figures &figures, const fs::path &file, const std::string &what)
{
    ++figures.failures;
    std::cout << "FAIL " << file.string() << ": " << what << "\n";
}

void Check(const fs::path &file, Figures &figures)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string original = bytes.str();
    ++figures.files;

    xmlDocPtr before = ReadWithLibxml2(original);
    if (!before)
        return; // not well-formed: nothing is promised
    ++figures.wellFormed;
    if (DeclaresExternalEntity(before)) {
        ++figures.externalEntities;
        xmlFreeDoc(before);
        return;
    }

    // As the editor opens a feed: XML-compatible reading, and an undeclared UTF-8 text
    // declared as such (the writer's default label would misdescribe it).
    TzelXMLParser2 document;
    document.SetXmlCompatible(true);
    std::string saved;
    try {
        document.SetSourceText(original);
        if (!document.LastError().empty()) {
            Fail(figures, file, "not opened: " + document.LastError().substr(0, document.LastError().find('\r')));
            xmlFreeDoc(before);
            return;
        }
        if (document.Declaration().AttributeValue("encoding").AsString().empty() && ValidUtf8(original))
            document.Declaration().AppendAttribute("encoding", "UTF-8");
        ++figures.opened;
        saved = document.BuildXmlText();
    } catch (const std::exception &error) {
        Fail(figures, file, std::string("not opened or not saved: ") + error.what());
        xmlFreeDoc(before);
        return;
    }

    xmlDocPtr after = ReadWithLibxml2(saved);
    if (!after) {
        Fail(figures, file, "the saved copy is not well-formed");
        xmlFreeDoc(before);
        return;
    }
    ++figures.copiesWellFormed;
    const bool dropped = !document.DroppedContent().empty();
    if (dropped)
        ++figures.withDrops;
    // A reported drop is what follows the root; everything up to the root's end must match.
    const std::vector<std::string> a = Describe(before, !dropped), b = Describe(after, !dropped);
    if (a == b)
        ++figures.same;
    else
        Fail(figures, file, "the saved copy reads differently, " + FirstDifference(a, b));
    xmlFreeDoc(before);
    xmlFreeDoc(after);
}

} // namespace

int main(int argc, char **argv)
{
    bool skipMissing = false;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--skip-missing") {
            skipMissing = true;
            continue;
        }
        const fs::path path(argument);
        std::error_code error;
        if (fs::is_directory(path, error)) {
            for (const auto &entry : fs::recursive_directory_iterator(path))
                if (entry.is_regular_file() && entry.path().extension() == ".xml")
                    files.push_back(entry.path());
        } else if (fs::is_regular_file(path, error)) {
            files.push_back(path);
        } else if (skipMissing) {
            std::cout << path.string() << " is absent: skipped\n";
            return 77;
        } else {
            std::cerr << path.string() << ": no such file or folder\n";
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    xmlSetGenericErrorFunc(nullptr, Silence);

    Figures figures;
    for (const fs::path &file : files)
        Check(file, figures);
    std::cout << "files " << figures.files << ", well-formed " << figures.wellFormed << " (with external entities, not checked: "
              << figures.externalEntities << "), opened " << figures.opened << ", saved copies well-formed "
              << figures.copiesWellFormed << ", read the same " << figures.same << " (of which with reported drops "
              << figures.withDrops << "), failures " << figures.failures << "\n";
    xmlCleanupParser();
    return figures.failures == 0 ? 0 : 1;
}
