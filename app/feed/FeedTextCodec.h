#pragma once
// The one conversion between a document's bytes and widget text. UTF-8 for a document that
// declares UTF-8 (or declares nothing and is valid UTF-8), ISO-8859-1 otherwise; both are
// lossless for fields the user did not touch.
#include <QString>
#include <string>
#include <string_view>

enum class TTextEncoding { Latin1, Utf8 };

// Chooses the encoding from the declaration's "encoding" attribute (empty when the document
// has no declaration or the declaration names none) and the document's source bytes.
TTextEncoding EncodingFor(std::string_view declaredEncoding, std::string_view sourceText);

// True when bytes is well-formed UTF-8 (no overlongs, surrogates or values above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

class TFeedTextCodec {
public:
    explicit TFeedTextCodec(TTextEncoding encoding = TTextEncoding::Latin1) : encoding_(encoding) {}
    TTextEncoding Encoding() const { return encoding_; }

    // Bytes to widget text. Invalid UTF-8 bytes show as U+FFFD.
    QString ToText(std::string_view bytes) const;

    // Widget text to bytes. Raises Exception naming the first character the encoding cannot
    // hold, or XML cannot hold at all (a control character, U+FFFE, U+FFFF); the message is UTF-8.
    std::string ToBytes(const QString &text) const;

    // As ToBytes, but when text is exactly what ToText(originalBytes) showed, originalBytes come
    // back unchanged, so an untouched field keeps its bytes even if they are not valid UTF-8.
    std::string ToBytes(const QString &text, std::string_view originalBytes) const;

private:
    TTextEncoding encoding_;
};
