#include "QuotedWord.h"

#include "Platform.h"
#include "zelException.h"

QString QuotedWordOf(const QString &title)
{
    const qsizetype first = title.indexOf(u'"');
    const qsizetype closing = title.indexOf(QStringLiteral("\"."));
    if (first < 0 || closing <= first)
        return QString();
    return title.mid(first + 1, closing - first - 1);
}

std::optional<QString> TitleWithQuotedWord(const QString &title, const QString &word)
{
    const qsizetype first = title.indexOf(u'"');
    if (first < 0)
        return std::nullopt;
    QString result = title;
    const qsizetype second = title.indexOf(u'"', first + 1);
    if (second > first)
        result.remove(first + 1, second - first - 1);
    result.insert(first + 1, word);
    return result;
}

bool QuotedWordFitsTitle(const QString &title)
{
    const QString word = QuotedWordOf(title);
    return !word.isEmpty() && TitleWithQuotedWord(title, word) == title;
}

std::optional<QString> AutoLinkFor(const QString &link, const QString &linkWord)
{
    const qsizetype slash = link.lastIndexOf(u'/');
    if (slash < 0)
        return std::nullopt;
    return link.left(slash + 1) + linkWord + QStringLiteral(".html");
}

QString LinkWordFor(const QString &word, const TFeedTextCodec &codec)
{
    QString lowered;
    try {
        lowered = codec.ToText(AnsiLowerCase(codec.ToBytes(word), codec.Encoding()));
    } catch (const Exception &) {
        // A character the feed cannot hold never came from the feed; lower it as Unicode.
        lowered = word.toLower();
    }
    lowered.replace(u' ', u'_');
    return lowered;
}
