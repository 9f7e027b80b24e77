#include "Platform.h"
#include "zelUtf16.h"

#include <QChar>
#include <QDesktopServices>
#include <QUrl>

void WriteRegistryFlag()
{
    // There is no registry on this platform and nothing needs recording instead.
}

namespace {

// Length of the well-formed UTF-8 character at bytes[at] and its code point; 0 when the
// bytes there do not form one.
std::size_t DecodeUtf8At(std::string_view bytes, std::size_t at, char32_t &code)
{
    const std::size_t rest = bytes.size() - at;
    for (std::size_t length = 1; length <= 4 && length <= rest; ++length) {
        const std::string_view candidate = bytes.substr(at, length);
        if (IsValidUtf8(candidate)) {
            code = QString::fromUtf8(candidate.data(), static_cast<qsizetype>(length)).toUcs4().value(0);
            return length;
        }
    }
    return 0;
}

} // namespace

std::string AnsiLowerCase(std::string_view bytes, TTextEncoding encoding)
{
    std::string lower;
    lower.reserve(bytes.size());
    if (encoding == TTextEncoding::Latin1) {
        for (char c : bytes) {
            const char32_t code = QChar::toLower(static_cast<char32_t>(static_cast<unsigned char>(c)));
            // Every upper-case Latin-1 letter lowers into Latin-1; keep the byte otherwise.
            lower += code <= 0xFF ? static_cast<char>(code) : c;
        }
        return lower;
    }
    std::size_t at = 0;
    while (at < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[at]);
        if (lead < 0x80) {
            lower += static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead - 'A' + 'a' : lead);
            ++at;
            continue;
        }
        char32_t code = 0;
        const std::size_t length = DecodeUtf8At(bytes, at, code);
        if (length == 0) {
            lower += static_cast<char>(lead); // not a character: keep the byte
            ++at;
            continue;
        }
        AppendUtf8(lower, QChar::toLower(code));
        at += length;
    }
    return lower;
}

void OpenWebPage(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}
