#pragma once
// The date stamp written into "pubDate"/"lastBuildDate" and the "&quot;" conversions
// applied to item titles and descriptions.
#include <QDateTime>
#include <QLocale>
#include <string>

// "Mon, 5 Feb 2007 14:03:09 -0800" for the given local time: English names, day without a
// leading zero, two-digit hour/minute/second joined by timeSeparator (may be empty), and
// always the zone text " -0800".
std::string DateStamp(const QDateTime &localTime, const std::string &timeSeparator);

// The same with the locale's time separator.
std::string DateStamp(const QDateTime &localTime);

// The user's locale time separator (":" in most locales, "" when the locale has none).
std::string LocaleTimeSeparator();

// The time separator of the given locale: the text between hours and minutes of its short
// time format.
std::string TimeSeparatorOf(const QLocale &locale);

// Every "&quot;" becomes a double quote, in place.
void DecodeQuot(std::string &text);

// Every double quote becomes "&quot;", in place.
void EncodeQuot(std::string &text);
