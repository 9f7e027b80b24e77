#pragma once
// Whether a feed's date text is one that feed readers can read: an RFC 822 date in the forms
// RFC 2822 still accepts, "[Mon, ]5 Feb 2007 14:03[:09] -0800".
#include <string>
#include <string_view>

enum class TDateVerdict {
    Valid,
    NotRfc822,    // not in the date's shape at all
    NoKnownZone,  // the zone is missing or not one RFC 822 names (Detail: the zone text)
    NotReal,      // in shape, but the day or time does not exist (Detail: what is off)
    WrongWeekday, // a real date, but the weekday named is not its weekday (Detail: the right one)
};

struct TDateCheck {
    TDateVerdict Verdict = TDateVerdict::Valid;
    std::string Detail;
};

// Accepts an optional weekday with its comma, the day (1 or 2 digits), the month's English
// abbreviation, a 2- or 4-digit year (00-49 are 2000-2049), hh:mm with optional :ss, and a zone:
// UT, GMT, EST/EDT, CST/CDT, MST/MDT, PST/PDT, a military letter or +hhmm/-hhmm. Names are
// matched without regard to case; spaces around the text are ignored. Comments in parentheses
// and line breaks (a date folded over lines) stand for blanks.
TDateCheck CheckRfc822Date(std::string_view text);

// Days of a month (1-12) of the proleptic Gregorian calendar.
int DaysInMonth(int year, int month);
