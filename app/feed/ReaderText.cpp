#include "ReaderText.h"

#include "FeedTextCodec.h"
#include "zelXMLParser2.h"
#include "zelXMLReference.h"

namespace {

void AppendCharacter(std::string &out, unsigned long code, TReaderForm form)
{
    if (!form.Utf8) {
        out += char(code);
        return;
    }
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// XML's own references decoded; any other stays as written.
std::string DecodedReferences(std::string_view written, TReaderForm form)
{
    static constexpr std::pair<std::string_view, char> Predefined[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
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
            const unsigned long code = std::stoul(std::string(name.substr(hex ? 2 : 1)), nullptr, hex ? 16 : 10);
            if (form.Utf8 || code <= 0xFF)
                AppendCharacter(text, code, form);
            else
                text += written.substr(at, length);
        } else {
            for (const auto &[entity, character] : Predefined)
                if (name == entity)
                    text += character;
        }
        at += length;
    }
    return text;
}

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
        text += DecodedReferences(content.substr(at, open == std::string_view::npos ? open : open - at), form);
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
    return Trimmed(DecodedReferences(element.TextView(), form));
}

std::string ReadersValue(std::string_view valueText, TReaderForm form)
{
    if (!form.Xml)
        return std::string(valueText);
    return DecodedReferences(valueText, form);
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
