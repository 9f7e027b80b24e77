#include "FeedTextCodec.h"

#include "zelException.h"
#include "zelXMLReference.h"

#include <cstdio>

namespace {

bool NamesUtf8(std::string_view name)
{
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower == "utf-8" || lower == "utf8";
}

std::string Utf8Of(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string CodePoint(char32_t code)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
    return hex;
}

[[noreturn]] void RefuseCharacter(const QString &character, char32_t code, const char *encodingName)
{
    throw Exception("The character \"" + Utf8Of(character) + "\" (" + CodePoint(code) +
                    ") cannot be written in this feed's encoding (" + encodingName + ").");
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length;
        char32_t code, minimum;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

TTextEncoding EncodingFor(std::string_view declaredEncoding, std::string_view sourceText)
{
    if (!declaredEncoding.empty())
        return NamesUtf8(declaredEncoding) ? TTextEncoding::Utf8 : TTextEncoding::Latin1;
    return IsValidUtf8(sourceText) ? TTextEncoding::Utf8 : TTextEncoding::Latin1;
}

QString TFeedTextCodec::ToText(std::string_view bytes) const
{
    const auto size = static_cast<qsizetype>(bytes.size());
    if (encoding_ == TTextEncoding::Utf8)
        return QString::fromUtf8(bytes.data(), size);
    return QString::fromLatin1(bytes.data(), size);
}

std::string TFeedTextCodec::ToBytes(const QString &text) const
{
    // Refuse the first character the encoding cannot hold, then convert in one go.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            if (encoding_ == TTextEncoding::Latin1)
                RefuseCharacter(text.mid(i, 2), QChar::surrogateToUcs4(unit, text[i + 1]), "ISO-8859-1");
            ++i;
        } else if (unit.isSurrogate()) {
            // A lone surrogate has no form in either encoding.
            RefuseCharacter(QString(QChar(0xFFFD)), unit.unicode(),
                            encoding_ == TTextEncoding::Utf8 ? "UTF-8" : "ISO-8859-1");
        } else if (encoding_ == TTextEncoding::Latin1 && unit.unicode() > 0xFF) {
            RefuseCharacter(QString(unit), unit.unicode(), "ISO-8859-1");
        } else if (!IsXmlCharacter(unit.unicode())) {
            // XML has no form for it at all, not even a character reference.
            throw Exception("The character " + CodePoint(unit.unicode()) + " cannot be written in an XML file.");
        }
    }
    const QByteArray bytes = encoding_ == TTextEncoding::Utf8 ? text.toUtf8() : text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string TFeedTextCodec::ToBytes(const QString &text, std::string_view originalBytes) const
{
    if (text == ToText(originalBytes))
        return std::string(originalBytes);
    return ToBytes(text);
}
