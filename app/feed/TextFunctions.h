#pragma once
// The date stamp written into "pubDate"/"lastBuildDate" and the "&quot;" conversions
// applied to item titles and descriptions.
#include <QDateTime>
#include <string>

// "Mon, 5 Feb 2007 14:03:09 -0800" for the given local time (RFC 822 as feeds use it):
// English names, day without a leading zero, two-digit hour:minute:second whatever the
// locale, and the time's own offset from UTC ("+0000", "+0530", "-0800").
std::string DateStamp(const QDateTime &localTime);

// Every "&quot;" becomes a double quote, in place.
void DecodeQuot(std::string &text);

// Every double quote becomes "&quot;", in place.
void EncodeQuot(std::string &text);
