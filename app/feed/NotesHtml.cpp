#include "NotesHtml.h"

#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <utility>
#include <vector>

namespace {

// One piece of HTML as a browser's tokenizer sees it.
struct THtmlToken {
    enum TKind { Text, Start, End, Skipped } Kind = Text;
    QString Name; // lower case, for tags
    std::vector<std::pair<QString, QString>> Attributes; // names lower case, values as written
    QString Raw;                                         // the text, or the tag as written
};

bool IsNameStart(QChar c) { return c.isLetter(); }
bool IsBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

// Elements whose content is text up to their end tag, never markup.
bool HoldsRawText(const QString &name) { return name == u"script" || name == u"style"; }

void ReadAttributes(const QString &html, qsizetype &i, THtmlToken &token)
{
    const qsizetype n = html.size();
    while (i < n && html[i] != u'>') {
        if (IsBlank(html[i]) || html[i] == u'/') {
            ++i;
            continue;
        }
        const qsizetype nameStart = i;
        while (i < n && !IsBlank(html[i]) && html[i] != u'=' && html[i] != u'>' && html[i] != u'/')
            ++i;
        if (i == nameStart)
            ++i; // a stray character
        QString name = html.mid(nameStart, i - nameStart).toLower();
        while (i < n && IsBlank(html[i]))
            ++i;
        QString value;
        if (i < n && html[i] == u'=') {
            ++i;
            while (i < n && IsBlank(html[i]))
                ++i;
            if (i < n && (html[i] == u'"' || html[i] == u'\'')) {
                const QChar quote = html[i++];
                const qsizetype end = html.indexOf(quote, i);
                const qsizetype stop = end < 0 ? n : end;
                value = html.mid(i, stop - i);
                i = end < 0 ? n : end + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !IsBlank(html[i]) && html[i] != u'>')
                    ++i;
                value = html.mid(valueStart, i - valueStart);
            }
        }
        if (!name.isEmpty())
            token.Attributes.emplace_back(std::move(name), std::move(value));
    }
    if (i < n)
        ++i; // the ">"
}

std::vector<THtmlToken> HtmlTokens(const QString &html)
{
    std::vector<THtmlToken> tokens;
    const qsizetype n = html.size();
    qsizetype i = 0;
    QString text;
    const auto flushText = [&] {
        if (!text.isEmpty())
            tokens.push_back({THtmlToken::Text, {}, {}, std::exchange(text, {})});
    };
    while (i < n) {
        const QChar c = html[i];
        const QChar next = i + 1 < n ? html[i + 1] : QChar();
        if (c != u'<' || !(IsNameStart(next) || next == u'/' || next == u'!' || next == u'?')) {
            text += c;
            ++i;
            continue;
        }
        flushText();
        const qsizetype start = i;
        if (html.mid(i, 4) == u"<!--") {
            const qsizetype end = html.indexOf(QStringLiteral("-->"), i + 4);
            i = end < 0 ? n : end + 3;
            tokens.push_back({THtmlToken::Skipped, {}, {}, html.mid(start, i - start)});
            continue;
        }
        if (next == u'!' || next == u'?' || (next == u'/' && !(i + 2 < n && IsNameStart(html[i + 2])))) {
            const qsizetype end = html.indexOf(u'>', i);
            i = end < 0 ? n : end + 1;
            tokens.push_back({THtmlToken::Skipped, {}, {}, html.mid(start, i - start)});
            continue;
        }
        THtmlToken token;
        token.Kind = next == u'/' ? THtmlToken::End : THtmlToken::Start;
        i += token.Kind == THtmlToken::End ? 2 : 1;
        const qsizetype nameStart = i;
        while (i < n && !IsBlank(html[i]) && html[i] != u'>' && html[i] != u'/')
            ++i;
        token.Name = html.mid(nameStart, i - nameStart).toLower();
        ReadAttributes(html, i, token);
        token.Raw = html.mid(start, i - start);
        const bool raw = token.Kind == THtmlToken::Start && HoldsRawText(token.Name);
        const QString name = token.Name;
        tokens.push_back(std::move(token));
        if (raw) {
            // Up to the element's end tag, whatever stands there.
            const qsizetype end = html.indexOf(QStringLiteral("</") + name, i, Qt::CaseInsensitive);
            const qsizetype stop = end < 0 ? n : end;
            tokens.push_back({THtmlToken::Text, {}, {}, html.mid(i, stop - i)});
            i = stop;
        }
    }
    flushText();
    return tokens;
}

// Elements a preview never renders, with everything inside them.
bool IsDroppedWithContent(const QString &name)
{
    for (const char *dropped : {"script", "style", "iframe", "object", "embed", "frameset",
                                "frame", "noscript", "template", "applet"})
        if (name == QLatin1String(dropped))
            return true;
    return false;
}

// Elements left out, their content kept (they load or redirect, they show nothing).
bool IsDroppedTag(const QString &name)
{
    return name == u"base" || name == u"meta" || name == u"link" || name == u"form";
}

// One of HTML's references at text[i] ("&amp;", "&#8217;"), read into its character; false
// when none stands there.
bool ReadReference(const QString &text, qsizetype &i, QString &out)
{
    static const std::pair<const char *, char16_t> Named[] = {
        {"amp", u'&'},      {"lt", u'<'},       {"gt", u'>'},       {"quot", u'"'},
        {"apos", u'\''},    {"nbsp", 0xA0},     {"copy", 0xA9},     {"reg", 0xAE},
        {"hellip", 0x2026}, {"mdash", 0x2014},  {"ndash", 0x2013},  {"lsquo", 0x2018},
        {"rsquo", 0x2019},  {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"eacute", 0xE9},
        {"egrave", 0xE8},   {"aacute", 0xE1},   {"uuml", 0xFC},     {"ouml", 0xF6},
        {"auml", 0xE4},     {"szlig", 0xDF},    {"euro", 0x20AC},   {"middot", 0xB7}};
    const qsizetype semicolon = text.indexOf(u';', i);
    if (semicolon < 0 || semicolon - i > 10)
        return false;
    const QString name = text.mid(i + 1, semicolon - i - 1);
    char32_t code = 0;
    if (name.startsWith(u'#')) {
        bool ok = false;
        const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
        code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF)
            return false;
    } else {
        for (const auto &[entity, character] : Named)
            if (name == QLatin1String(entity))
                code = character;
        if (code == 0)
            return false;
    }
    out += QString::fromUcs4(&code, 1);
    i = semicolon + 1;
    return true;
}

QString DecodedReferences(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'&' && ReadReference(text, i, out))
            continue;
        out += text[i++];
    }
    return out;
}

// An address that runs code or carries its own content instead of pointing somewhere.
bool IsUnsafeAddress(const QString &value)
{
    QString address;
    for (const QChar c : DecodedReferences(value))
        if (c.unicode() > 0x20 && c.unicode() != 0x7F) // browsers skip blanks and controls here
            address += c.toLower();
    return address.startsWith(u"javascript:") || address.startsWith(u"vbscript:") ||
           address.startsWith(u"data:");
}

bool IsAddressAttribute(const QString &name)
{
    for (const char *address : {"href", "src", "action", "formaction", "background", "poster",
                                "xlink:href", "srcset", "lowsrc", "dynsrc", "cite"})
        if (name == QLatin1String(address))
            return true;
    return false;
}

// The token that ends the element started at tokens[start]: its end tag, or the last token
// when it has none (everything after an unclosed script goes with it).
size_t EndOfDropped(const std::vector<THtmlToken> &tokens, size_t start)
{
    int depth = 1;
    size_t t = start;
    while (depth > 0 && t + 1 < tokens.size()) {
        ++t;
        if (tokens[t].Name == tokens[start].Name)
            depth += tokens[t].Kind == THtmlToken::Start ? 1 : tokens[t].Kind == THtmlToken::End ? -1 : 0;
    }
    return t;
}

bool IsBlockTag(const QString &name)
{
    for (const char *block : {"p", "br", "li", "div", "ul", "ol", "h1", "h2", "h3", "h4", "h5",
                              "h6", "tr", "td", "th", "blockquote", "table", "hr", "pre"})
        if (name == QLatin1String(block))
            return true;
    return false;
}

} // namespace

QString SafeNotesHtml(const QString &html)
{
    QString safe;
    const std::vector<THtmlToken> tokens = HtmlTokens(html);
    for (size_t t = 0; t < tokens.size(); ++t) {
        const THtmlToken &token = tokens[t];
        switch (token.Kind) {
        case THtmlToken::Skipped:
            break;
        case THtmlToken::Text:
            safe += token.Raw;
            break;
        case THtmlToken::End:
            if (!IsDroppedWithContent(token.Name) && !IsDroppedTag(token.Name))
                safe += QStringLiteral("</") + token.Name + u'>';
            break;
        case THtmlToken::Start:
            if (IsDroppedWithContent(token.Name)) {
                t = EndOfDropped(tokens, t);
                break;
            }
            if (IsDroppedTag(token.Name))
                break;
            safe += u'<' + token.Name;
            for (const auto &[name, value] : token.Attributes) {
                if (name.startsWith(u"on") || (IsAddressAttribute(name) && IsUnsafeAddress(value)))
                    continue;
                if (!name.front().isLetter())
                    continue;
                safe += u' ' + name + QStringLiteral("=\"") +
                        QString(value).replace(u'"', QStringLiteral("&quot;")).replace(u'<', QStringLiteral("&lt;")) + u'"';
            }
            safe += u'>';
            break;
        }
    }
    return safe;
}

QString NotesSummary(const QString &html, int maxLength)
{
    QString text;
    const std::vector<THtmlToken> tokens = HtmlTokens(html);
    for (size_t t = 0; t < tokens.size(); ++t) {
        const THtmlToken &token = tokens[t];
        if (token.Kind == THtmlToken::Start && IsDroppedWithContent(token.Name))
            t = EndOfDropped(tokens, t); // a script's or style's text is no part of what is read
        else if (token.Kind == THtmlToken::Text)
            text += DecodedReferences(token.Raw);
        else if (IsBlockTag(token.Name))
            text += u' ';
    }
    text = text.replace(QChar(0xA0), u' ').simplified();
    if (text.size() <= maxLength)
        return text;
    qsizetype cut = text.lastIndexOf(u' ', maxLength - 3);
    if (cut <= 0)
        cut = maxLength - 3;
    return text.left(cut) + QStringLiteral("...");
}

bool HoldsMarkup(const QString &text)
{
    for (qsizetype i = text.indexOf(u'<'); i >= 0 && i + 1 < text.size(); i = text.indexOf(u'<', i + 1)) {
        const QChar next = text[i + 1];
        if (next.isLetter() || next == u'/' || next == u'!')
            return true;
    }
    return false;
}

QString DescriptionAsHtml(const QString &text)
{
    if (HoldsMarkup(text))
        return text;
    QString html = text.trimmed().toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return html.replace(u'\n', QStringLiteral("<br>"));
}

QString InlineMarkup(const QString &selected, const QString &tag)
{
    return u'<' + tag + u'>' + selected + QStringLiteral("</") + tag + u'>';
}

QString LinkMarkup(const QString &selected, const QString &url)
{
    const QString address = url.trimmed();
    return QStringLiteral("<a href=\"") + address.toHtmlEscaped() + QStringLiteral("\">") +
           (selected.isEmpty() ? address.toHtmlEscaped() : selected) + QStringLiteral("</a>");
}

namespace {

QStringList LinesOf(const QString &selected)
{
    QString text = selected;
    text.replace(QChar(0x2029), u'\n'); // how a text edit hands over its line breaks
    QStringList lines;
    for (const QString &line : text.split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    return lines;
}

} // namespace

QString ListMarkup(const QString &selected, bool numbered)
{
    const QString tag = numbered ? QStringLiteral("ol") : QStringLiteral("ul");
    QString html = u'<' + tag + QStringLiteral(">\n");
    const QStringList lines = LinesOf(selected);
    for (const QString &line : lines.isEmpty() ? QStringList{QString()} : lines)
        html += QStringLiteral("<li>") + line + QStringLiteral("</li>\n");
    return html + QStringLiteral("</") + tag + u'>';
}

QString ParagraphMarkup(const QString &selected)
{
    const QStringList lines = LinesOf(selected);
    QStringList paragraphs;
    for (const QString &line : lines.isEmpty() ? QStringList{QString()} : lines)
        paragraphs << QStringLiteral("<p>") + line + QStringLiteral("</p>");
    return paragraphs.join(u'\n');
}

bool OnlyOfferedMarkup(const QString &html)
{
    for (const THtmlToken &token : HtmlTokens(html)) {
        if (token.Kind == THtmlToken::Skipped)
            return false;
        if (token.Kind == THtmlToken::Text)
            continue;
        bool offered = false;
        for (const char *name : {"p", "br", "strong", "b", "em", "i", "a", "ul", "ol", "li"})
            offered = offered || token.Name == QLatin1String(name);
        if (!offered)
            return false;
        for (const auto &[name, value] : token.Attributes)
            if (!(token.Name == u"a" && name == u"href"))
                return false;
    }
    return true;
}

QString OfferedHtml(const QTextDocument &document)
{
    QStringList lines;
    const QTextList *openList = nullptr;
    QString closeList;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString inner;
        for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
            const QTextFragment fragment = piece.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            QString text = fragment.text().toHtmlEscaped();
            text.replace(QChar::LineSeparator, QStringLiteral("<br>"));
            if (format.fontItalic())
                text = InlineMarkup(text, QStringLiteral("em"));
            if (format.fontWeight() >= QFont::DemiBold)
                text = InlineMarkup(text, QStringLiteral("strong"));
            if (format.isAnchor() && !format.anchorHref().isEmpty())
                text = LinkMarkup(text, format.anchorHref());
            inner += text;
        }
        const QTextList *list = block.textList();
        if (list != openList) {
            if (openList)
                lines << closeList;
            openList = list;
            if (list) {
                // Decimal and the letter and roman numberings come after the bullets.
                const bool numbered = list->format().style() <= QTextListFormat::ListDecimal;
                lines << (numbered ? QStringLiteral("<ol>") : QStringLiteral("<ul>"));
                closeList = numbered ? QStringLiteral("</ol>") : QStringLiteral("</ul>");
            }
        }
        if (list)
            lines << QStringLiteral("<li>") + inner + QStringLiteral("</li>");
        else if (!inner.trimmed().isEmpty())
            lines << QStringLiteral("<p>") + inner + QStringLiteral("</p>");
    }
    if (openList)
        lines << closeList;
    return lines.join(u'\n');
}
