#include "ReaderText.h"

#include "FeedTextCodec.h"
#include "TextAsRead.h"
#include "zelXMLParser2.h"
#include "zelXMLReference.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trimmed(std::string text)
{
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    size_t begin = 0;
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    return text.substr(begin, end - begin);
}

// Content as written: its text pieces decoded, CDATA sections as they are, comments and
// processing instructions left out.
std::string ReadersContent(std::string_view content, TReaderForm form)
{
    std::string text;
    for (size_t at = 0; at < content.size();) {
        const size_t open = content.find('<', at);
        text += DecodedReferences(content.substr(at, open == std::string_view::npos ? open : open - at), form.Utf8);
        if (open == std::string_view::npos)
            break;
        const std::string_view rest = content.substr(open);
        const bool cdata = rest.starts_with("<![CDATA[");
        const std::string_view closer = cdata ? "]]>" : rest.starts_with("<!--") ? "-->" : "?>";
        const size_t end = rest.find(closer);
        if (cdata)
            text += rest.substr(9, end == std::string_view::npos ? end : end - 9);
        at = end == std::string_view::npos ? content.size() : open + end + closer.size();
    }
    return Trimmed(std::move(text));
}

} // namespace

TReaderForm ReaderFormOf(const TzelXMLParser2 &document)
{
    const int encoding = document.Declaration().AttributeIndex("encoding");
    const std::string_view declared =
        encoding < 0 ? std::string_view() : document.Declaration().Attributes()[encoding]->ValueText();
    return {EncodingFor(declared, document.SourceText()) == TTextEncoding::Utf8, document.XmlCompatible(),
            document.Prolog().find("<!DOCTYPE") != std::string::npos};
}

std::string ReadersText(const TzelXMLNode2 &element, TReaderForm form)
{
    if (!element.KeptContent().empty() && element.ChildCount() == 0)
        return ReadersContent(element.KeptContent(), form);
    // A text from a CDATA section, or set with "<" or ">" (the writer puts it in one), is as it is.
    if (element.TextFromCDATA() || element.TextNeedsCDATA())
        return Trimmed(element.Text());
    return Trimmed(DecodedReferences(element.TextView(), form.Utf8));
}

std::string ReadersValue(std::string_view valueText, TReaderForm form)
{
    if (!form.Xml)
        return std::string(valueText);
    return DecodedReferences(valueText, form.Utf8);
}

std::string StoredText(std::string_view text)
{
    std::string stored;
    stored.reserve(text.size());
    for (const char c : text) {
        if (c == '&')
            stored += "&amp;";
        else if (c == '<')
            stored += "&lt;";
        else if (c == '>')
            stored += "&gt;";
        else
            stored += c;
    }
    return stored;
}

std::string StoredValue(std::string_view text, TReaderForm form)
{
    // The writer escapes every "&" but one that starts a reference it keeps: that one is
    // stored as "&amp;", the form the reader gives such a value in.
    if (!form.Xml)
        return std::string(text);
    std::string stored;
    stored.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '&' && XmlReferenceLength(text, at, form.HasDoctype))
            stored += "&amp;";
        else
            stored += text[at];
    }
    return stored;
}
