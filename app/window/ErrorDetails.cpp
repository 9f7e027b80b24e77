#include "ErrorDetails.h"

TErrorText SplitErrorText(const QString &text)
{
    const qsizetype position = text.indexOf(QStringLiteral("\r\nError position="));
    if (position < 0)
        return {text, {}};
    const qsizetype lineEnd = text.indexOf(QStringLiteral("\r\n"), position + 2);
    if (lineEnd < 0)
        return {text, {}};
    return {text.left(lineEnd), text.mid(lineEnd + 2)};
}
