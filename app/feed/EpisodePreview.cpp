#include "EpisodePreview.h"

#include "NotesHtml.h"
#include "PodcastTags.h"
#include "ShowNotes.h"
#include "zelXMLNode2.h"
#include "zelXMLParser2.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace {

QString ChildValue(const TzelXMLNode2 &parent, std::string_view name, const TFeedTextCodec &codec)
{
    const TzelXMLNode2 *child = parent.FindChild(name, false);
    return child ? codec.ToText(XmlContentValue(*child)).trimmed() : QString();
}

QString CoverOf(const TzelXMLNode2 &channel, const TShowTags &show, const TFeedTextCodec &codec)
{
    if (!show.ImageHref.empty())
        return codec.ToText(show.ImageHref).trimmed();
    const TzelXMLNode2 *image = channel.FindChild("image", false);
    return image ? ChildValue(*image, "url", codec) : QString();
}

QDateTime DateOf(const QString &rfc822)
{
    return QDateTime::fromString(rfc822.simplified(), Qt::RFC2822Date);
}

QString ImageCell(const QString &name, bool hasImage, int size)
{
    const QString side = QString::number(size);
    if (hasImage)
        return QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%2\">").arg(name, side);
    return QStringLiteral("<table width=\"%1\" height=\"%1\" bgcolor=\"#d8d8d8\"><tr><td align=\"center\">"
                          "<font color=\"#666666\">no local<br>picture</font></td></tr></table>")
        .arg(side);
}

QString ExplicitMark()
{
    return QStringLiteral(" <span style=\"background-color:#555555; color:#ffffff\">&nbsp;E&nbsp;</span>");
}

// "Feb 5, 2007 · 34 min · S2 E5"
QString FactsLine(const TEpisodeFacts &episode)
{
    QStringList parts;
    if (!episode.Date.isEmpty())
        parts << ShownDate(episode.Date).toHtmlEscaped();
    if (!episode.Duration.isEmpty())
        parts << ShownDuration(episode.Duration).toHtmlEscaped();
    QString number;
    if (!episode.Season.isEmpty())
        number = u'S' + episode.Season.toHtmlEscaped() + u' ';
    if (!episode.Episode.isEmpty())
        number += u'E' + episode.Episode.toHtmlEscaped();
    if (!number.trimmed().isEmpty())
        parts << number.trimmed();
    return parts.join(QStringLiteral(" &middot; ")) + (episode.Explicit ? ExplicitMark() : QString());
}

} // namespace

TEpisodeFacts ReadEpisodeFacts(const TzelXMLParser2 &rss, const TzelXMLNode2 &channel,
                               const TzelXMLNode2 &item, const TFeedTextCodec &codec, const QString *notes)
{
    const TEpisodeTags tags = ReadEpisodeTags(rss, channel, item);
    const TShowTags show = ReadShowTags(rss, channel);
    TEpisodeFacts facts;
    facts.Title = codec.ToText(tags.Title).trimmed();
    if (facts.Title.isEmpty())
        facts.Title = ChildValue(item, "title", codec);
    facts.ShowName = ChildValue(channel, "title", codec);
    facts.Date = ChildValue(item, "pubDate", codec);
    facts.Duration = codec.ToText(tags.Duration).trimmed();
    facts.Season = codec.ToText(tags.Season).trimmed();
    facts.Episode = codec.ToText(tags.Episode).trimmed();
    facts.Explicit = (tags.Explicit.empty() ? show.Explicit : tags.Explicit) == "true";
    facts.ImageUrl = tags.ImageHref.empty() ? CoverOf(channel, show, codec) : codec.ToText(tags.ImageHref).trimmed();
    const QString contentNotes = notes ? *notes : codec.ToText(ReadShowNotes(rss, channel, item));
    facts.NotesHtml = !contentNotes.trimmed().isEmpty()
                          ? contentNotes
                          : DescriptionAsHtml(ChildValue(item, "description", codec));
    return facts;
}

TShowFacts ReadShowFacts(const TzelXMLParser2 &rss, const TzelXMLNode2 &channel, const TFeedTextCodec &codec,
                         int latest)
{
    const TShowTags show = ReadShowTags(rss, channel);
    TShowFacts facts;
    facts.Name = ChildValue(channel, "title", codec);
    facts.Author = codec.ToText(show.Author).trimmed();
    facts.DescriptionHtml = DescriptionAsHtml(ChildValue(channel, "description", codec));
    facts.ImageUrl = CoverOf(channel, show, codec);
    facts.Explicit = show.Explicit == "true";
    for (int p = 0; p < channel.ChildCount(); ++p)
        if (const TzelXMLNode2 *child = channel.ChildAt(p); child && child->NameView() == "item")
            facts.Episodes.push_back(ReadEpisodeFacts(rss, channel, *child, codec));
    // Latest first; an undated episode after the dated ones, in the file's order.
    std::stable_sort(facts.Episodes.begin(), facts.Episodes.end(), [](const TEpisodeFacts &a, const TEpisodeFacts &b) {
        const QDateTime da = DateOf(a.Date), db = DateOf(b.Date);
        if (da.isValid() != db.isValid())
            return da.isValid();
        return da.isValid() && da > db;
    });
    if (facts.Episodes.size() > size_t(latest))
        facts.Episodes.resize(size_t(latest));
    return facts;
}

QString ShownDate(const QString &rfc822)
{
    const QDateTime date = DateOf(rfc822);
    return date.isValid() ? QLocale::c().toString(date.date(), QStringLiteral("MMM d, yyyy")) : rfc822;
}

QString ShownDuration(const QString &duration)
{
    static const QRegularExpression form(QStringLiteral("^(?:(\\d+):)?(\\d{1,2}):(\\d{2})$|^(\\d+)$"));
    const QRegularExpressionMatch match = form.match(duration.trimmed());
    if (!match.hasMatch())
        return duration;
    const long long seconds = match.captured(4).isEmpty()
                                  ? match.captured(1).toLongLong() * 3600 + match.captured(2).toLongLong() * 60 +
                                        match.captured(3).toLongLong()
                                  : match.captured(4).toLongLong();
    if (seconds < 60)
        return QStringLiteral("%1 sec").arg(seconds);
    const long long hours = seconds / 3600, minutes = (seconds % 3600 + 30) / 60;
    if (hours == 0)
        return QStringLiteral("%1 min").arg(minutes);
    return minutes ? QStringLiteral("%1 hr %2 min").arg(hours).arg(minutes) : QStringLiteral("%1 hr").arg(hours);
}

QString EpisodePageHtml(const TEpisodeFacts &episode, bool hasImage)
{
    return QStringLiteral("<table cellspacing=\"0\" cellpadding=\"6\"><tr><td valign=\"top\">%1</td>"
                          "<td valign=\"top\"><font color=\"#777777\">%2</font>"
                          "<h2>%3</h2><font color=\"#777777\">%4</font></td></tr></table><hr>%5")
        .arg(ImageCell(EpisodeImageName, hasImage, 160), episode.ShowName.toHtmlEscaped(),
             episode.Title.isEmpty() ? QStringLiteral("(untitled)") : episode.Title.toHtmlEscaped(),
             FactsLine(episode), SafeNotesHtml(episode.NotesHtml));
}

QString ShowPageHtml(const TShowFacts &show, bool hasImage)
{
    QString rows;
    for (const TEpisodeFacts &episode : show.Episodes)
        rows += QStringLiteral("<tr><td><b>%1</b><br><font color=\"#777777\">%2</font></td></tr>")
                    .arg(episode.Title.isEmpty() ? QStringLiteral("(untitled)") : episode.Title.toHtmlEscaped(),
                         FactsLine(episode));
    return QStringLiteral("<table cellspacing=\"0\" cellpadding=\"6\"><tr><td valign=\"top\">%1</td>"
                          "<td valign=\"top\"><h2>%2%3</h2><font color=\"#777777\">%4</font>"
                          "<div>%5</div></td></tr></table><h3>Episodes</h3>"
                          "<table cellspacing=\"0\" cellpadding=\"4\" width=\"100%\">%6</table>")
        .arg(ImageCell(ShowImageName, hasImage, 200), show.Name.toHtmlEscaped(),
             show.Explicit ? ExplicitMark() : QString(), show.Author.toHtmlEscaped(),
             SafeNotesHtml(show.DescriptionHtml),
             rows.isEmpty() ? QStringLiteral("<tr><td>No episodes yet.</td></tr>") : rows);
}
