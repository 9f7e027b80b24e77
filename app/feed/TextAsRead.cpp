#include "TextAsRead.h"

#include "LineBreaks.h"
#include "zelStrings.h"
#include "zelUtf16.h"
#include "zelXMLNode2.h"
#include "zelXMLReference.h"

namespace {

// Content as written (text, CDATA sections, comments, instructions) as a reader reads it.
std::string ReadContent(std::string_view content)
{
    std::string text;
    size_t at = 0;
    while (at < content.size()) {
        const size_t lt = content.find('<', at);
        text += DecodedReferences(content.substr(at, lt == std::string_view::npos ? lt : lt - at));
        if (lt == std::string_view::npos)
            break;
        const std::string_view rest = content.substr(lt);
        const bool cdata = rest.starts_with("<![CDATA[");
        const std::string_view closer = cdata ? "]]>" : rest.starts_with("<!--") ? "-->" : rest.starts_with("<?") ? "?>" : "";
        if (closer.empty()) { // no markup: the character itself
            text += '<';
            at = lt + 1;
            continue;
        }
        const size_t end = rest.find(closer, cdata ? 9 : 2);
        if (cdata)
            text += rest.substr(9, end == std::string_view::npos ? end : end - 9);
        at = end == std::string_view::npos ? content.size() : lt + end + closer.size();
    }
    return text;
}

std::string Normalized(std::string_view text) { return std::string(TrimmedText(WithLineBreaks(text, "\n"))); }

} // namespace

std::string DecodedReferences(std::string_view written, bool utf8)
{
    std::string text;
    text.reserve(written.size());
    for (size_t at = 0; at < written.size();) {
        const size_t length = written[at] == '&' ? XmlReferenceLength(written, at) : 0;
        if (length == 0) {
            text += written[at++];
            continue;
        }
        const std::string_view name = written.substr(at + 1, length - 2);
        if (name[0] == '#') {
            const bool hex = name[1] == 'x';
            const auto code = static_cast<uint32_t>(std::stoul(std::string(name.substr(hex ? 2 : 1)), nullptr, hex ? 16 : 10));
            if (utf8)
                AppendUtf8(text, code);
            else if (code <= 0xFF)
                text += static_cast<char>(code);
            else
                text += written.substr(at, length);
        } else {
            text += name == "amp" ? '&' : name == "lt" ? '<' : name == "gt" ? '>' : name == "quot" ? '"' : '\'';
        }
        at += length;
    }
    return text;
}

std::string ElementTextAsRead(const TzelXMLNode2 &element)
{
    // What the reader kept as written (comments, several sections, a ">" in text) says it best.
    if (!element.KeptContent().empty())
        return Normalized(ReadContent(element.KeptContent()));
    // A text read from a CDATA section, or one the writer puts into one (it holds "<" or ">"),
    // is read as it stands.
    if (element.TextFromCDATA() || element.TextNeedsCDATA())
        return Normalized(element.TextView());
    return Normalized(DecodedReferences(element.TextView()));
}

std::string AttributeValueAsRead(const TzelXMLAttribute2 &attribute)
{
    // The value as the tree gives it still holds the references the writer keeps as written.
    std::string value = WithLineBreaks(attribute.ValueText(), " ");
    for (char &c : value)
        if (c == '\t')
            c = ' ';
    return DecodedReferences(value);
}
