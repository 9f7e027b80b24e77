#pragma once
// The quoted-word assist of the Items page: a title naming something between double quotes
// followed by a full stop ("Get \"Word Hunt\".") holds a word that can be written back into the
// title and, with "Auto Link" on, turned into the file name of the item's link.
// Positions are characters; a double quote, a full stop and "/" are single characters in every
// encoding a feed can have, so working on widget text gives the same result as on the bytes.
#include "FeedTextCodec.h"
#include <QString>
#include <optional>

// The word shown for a title: the characters after the first double quote up to the first
// double quote that is directly followed by a full stop. Empty when there is no such pair
// or nothing lies between them.
QString QuotedWordOf(const QString &title);

// The title with word written in after its first double quote, replacing what lay between
// the first two double quotes (nothing is removed when there is only one). No value when the
// title holds no double quote: then it stays as it is.
std::optional<QString> TitleWithQuotedWord(const QString &title, const QString &word);

// True when writing QuotedWordOf(title) back leaves the title as it is and the word is not
// empty, i.e. the word is exactly what lies between the first two double quotes. Showing an
// item runs the assist only then, so showing never rewrites a title, nor rebuilds a link from
// a word the title does not hold.
bool QuotedWordFitsTitle(const QString &title);

// The link's folder part (up to and including its last "/") followed by linkWord and ".html".
// No value when the link holds no "/": then it stays as it is.
std::optional<QString> AutoLinkFor(const QString &link, const QString &linkWord);

// The word as it goes into a link: lower-cased in the feed's encoding (national characters
// included), every space turned into an underscore.
QString LinkWordFor(const QString &word, const TFeedTextCodec &codec);
