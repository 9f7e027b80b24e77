#include "FeedEncodingCheck.h"
#include "CheckText.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

std::string ByteText(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

// Offset of the first byte that does not belong to well-formed UTF-8, npos when there is none.
size_t FirstNonUtf8(std::string_view bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const size_t size = bytes.size();
    size_t at = 0;
    while (at < size) {
        // Feeds are mostly ASCII: eight bytes at a time while none has its high bit set.
        for (uint64_t word; at + 8 <= size && (std::memcpy(&word, data + at, 8), (word & 0x8080808080808080u) == 0);)
            at += 8;
        if (at >= size)
            break;
        const unsigned char lead = data[at];
        if (lead < 0x80) {
            ++at;
            continue;
        }
        size_t length;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlongs
            high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
        } else
            return at;
        if (at + length > size || data[at + 1] < low || data[at + 1] > high)
            return at;
        for (size_t next = 2; next < length; ++next)
            if ((data[at + next] & 0xC0) != 0x80)
                return at;
        at += length;
    }
    return std::string_view::npos;
}

size_t FirstNonAscii(std::string_view bytes)
{
    for (size_t at = 0; at < bytes.size(); ++at)
        if (static_cast<unsigned char>(bytes[at]) >= 0x80)
            return at;
    return std::string_view::npos;
}

int LineAt(std::string_view bytes, size_t offset)
{
    int line = 1;
    for (size_t at = 0; at < offset; ++at)
        line += bytes[at] == '\n';
    return line;
}

// The encoding named by the XML declaration at the start of bytes, "" when none is named.
std::string DeclaredEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 5) != "<?xml")
        return {};
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    const size_t name = declaration.find("encoding");
    if (name == std::string_view::npos)
        return {};
    std::string_view rest = Trimmed(declaration.substr(name + 8));
    if (rest.empty() || rest.front() != '=')
        return {};
    rest = Trimmed(rest.substr(1));
    if (rest.empty() || (rest.front() != '"' && rest.front() != '\''))
        return {};
    const size_t end = rest.find(rest.front(), 1);
    return end == std::string_view::npos ? std::string() : std::string(rest.substr(1, end - 1));
}

} // namespace

void CheckFeedEncoding(std::string_view bytes, std::vector<TFeedFinding> &findings)
{
    int line = 1; // what a finding is about: the declaration, or the byte named in it
    const auto report = [&findings, &line](TFindingSeverity severity, std::string reason) {
        findings.push_back({severity, TFindingPlace::Document, -1, {}, std::move(reason), {}, line});
    };
    const auto byteOnLine = [bytes, &line](size_t at) {
        line = LineAt(bytes, at);
        return "byte " + ByteText(static_cast<unsigned char>(bytes[at])) + " on line " + std::to_string(line);
    };
    if (bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0' ||
                              bytes.substr(0, 2) == "\xFE\xFF" || bytes.substr(0, 2) == "\xFF\xFE"))
        return;
    const bool byteOrderMark = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    const std::string_view text = byteOrderMark ? bytes.substr(3) : bytes;
    const std::string declared = DeclaredEncoding(text);
    const std::string label = Lowered(declared);
    const bool utf8 = label == "utf-8" || label == "utf8";
    const std::string quotedLabel = "\"" + declared + "\"";

    if (byteOrderMark && !declared.empty() && !utf8)
        report(TFindingSeverity::Error,
               "the file starts with a UTF-8 byte order mark but declares encoding " + quotedLabel);
    if (declared.empty() && !byteOrderMark) {
        if (FirstNonAscii(bytes) == std::string_view::npos)
            return;
        if (const size_t bad = FirstNonUtf8(bytes); bad != std::string_view::npos)
            report(TFindingSeverity::Error, "no encoding is declared, so readers take the text for "
                                            "UTF-8, but " + byteOnLine(bad) + " is not UTF-8");
        else
            report(TFindingSeverity::Warning,
                   "no encoding is declared; the text is UTF-8, so the XML declaration should "
                   "say encoding=\"UTF-8\"");
        return;
    }
    if (utf8 || declared.empty()) {
        if (const size_t bad = FirstNonUtf8(bytes); bad != std::string_view::npos)
            report(TFindingSeverity::Error, "the text is declared UTF-8, but " + byteOnLine(bad) +
                                                " is not UTF-8");
    } else if (label == "us-ascii" || label == "ascii") {
        if (const size_t bad = FirstNonAscii(bytes); bad != std::string_view::npos)
            report(TFindingSeverity::Error, "the text is declared " + quotedLabel + ", but " +
                                                byteOnLine(bad) + " is not ASCII");
    } else if (label == "iso-8859-1" || label == "iso_8859-1" || label == "latin1" ||
               label == "latin-1" || label == "iso8859-1") {
        if (FirstNonAscii(bytes) == std::string_view::npos)
            return;
        if (FirstNonUtf8(bytes) == std::string_view::npos) {
            report(TFindingSeverity::Warning,
                   "the text is declared " + quotedLabel + ", but it reads as UTF-8");
            return;
        }
        for (size_t at = 0; at < bytes.size(); ++at) {
            const auto byte = static_cast<unsigned char>(bytes[at]);
            if (byte >= 0x80 && byte <= 0x9F) {
                report(TFindingSeverity::Warning,
                       "the text is declared " + quotedLabel + ", but " + byteOnLine(at) +
                           " is a control character there (windows-1252 text?)");
                return;
            }
        }
    }
}

