#pragma once
// An episode and its show laid out as podcast apps lay them out, as HTML for a preview: the
// episode's picture (or the show's), its title (itunes:title over title), the show's name,
// date, duration, season and episode number, an explicit mark and the notes; and the show's
// page with its latest episodes. Pictures are named by the address the preview serves them
// under (EpisodeImageName, ShowImageName); the page itself loads nothing.
#include "FeedTextCodec.h"

#include <QString>
#include <vector>

class TzelXMLNode2;
class TzelXMLParser2;

struct TEpisodeFacts {
    QString Title, ShowName, Date, Duration, Season, Episode;
    bool Explicit = false;
    QString ImageUrl; // the episode's itunes:image, else the show's cover
    QString NotesHtml; // content:encoded, else the description as HTML (see DescriptionAsHtml)
};

struct TShowFacts {
    QString Name, Author, DescriptionHtml, ImageUrl;
    bool Explicit = false;
    std::vector<TEpisodeFacts> Episodes; // latest first
};

// The episode as the feed has it. notes: when not null, stands in for content:encoded (the
// notes being edited).
TEpisodeFacts ReadEpisodeFacts(const TzelXMLParser2 &rss, const TzelXMLNode2 &channel,
                               const TzelXMLNode2 &item, const TFeedTextCodec &codec,
                               const QString *notes = nullptr);
// The show with its latest episodes (by date, undated ones after, at most latest).
TShowFacts ReadShowFacts(const TzelXMLParser2 &rss, const TzelXMLNode2 &channel,
                         const TFeedTextCodec &codec, int latest = 10);

// "Feb 5, 2007" from an RFC 822 date; the text itself when it is none.
QString ShownDate(const QString &rfc822);
// "1 hr 2 min", "34 min", "45 sec" from seconds or [H:]MM:SS; the text itself when it is none.
QString ShownDuration(const QString &duration);

// What the preview serves the pictures under.
inline const QString EpisodeImageName = QStringLiteral("preview:episode-image");
inline const QString ShowImageName = QStringLiteral("preview:show-image");

// The pages; the notes and descriptions in them are made safe (SafeNotesHtml). hasImage: the
// preview serves the picture; otherwise a plain frame stands in its place.
QString EpisodePageHtml(const TEpisodeFacts &episode, bool hasImage);
QString ShowPageHtml(const TShowFacts &show, bool hasImage);
