#include "TypedUrl.h"

#include <QByteArray>

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Unreserved characters and the delimiters.
bool StaysAsItIs(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArray("-._~:/?#[]@!$&'()*+,;=").contains(c);
}

} // namespace

QString EncodedUrl(const QString &typed)
{
    const QByteArray bytes = typed.trimmed().toUtf8();
    QByteArray url;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        const char c = bytes[at];
        const bool escape = c == '%' && at + 2 < bytes.size() && IsHexDigit(bytes[at + 1]) && IsHexDigit(bytes[at + 2]);
        if (escape || StaysAsItIs(c)) {
            url += c;
        } else {
            static const char Hex[] = "0123456789ABCDEF";
            url += '%';
            url += Hex[(static_cast<unsigned char>(c) >> 4) & 0xF];
            url += Hex[static_cast<unsigned char>(c) & 0xF];
        }
    }
    return QString::fromLatin1(url);
}
