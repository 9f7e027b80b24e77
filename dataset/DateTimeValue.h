#pragma once
// TDateTime: a calendar moment as a count of days since 1899-12-30 (day 0, "the zero
// date"), the fraction being the time of day. Before day 0 the whole part still names
// the day and the fraction's magnitude is the time (-1.25 is 1899-12-29 06:00).
// Date fields hold whole days, time fields milliseconds since midnight.
#include <cstdint>
#include <string>

using TDateTime = double;

constexpr int32_t MSecsPerDay = 24 * 60 * 60 * 1000;

// Gregorian calendar, years 1 to 9999. False (and out untouched) for an invalid date.
bool TryEncodeDate(int year, int month, int day, TDateTime &out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &out);
void DecodeDate(TDateTime value, int &year, int &month, int &day);

// The whole day and the time of day of a moment, in the slot encodings of date and time fields.
int32_t DateTimeToDays(TDateTime value);
int32_t DateTimeToMSecs(TDateTime value);
TDateTime MSecsToTime(int32_t msecs);
// Joins a day and a time of day following the sign rule above.
TDateTime CombineDateTime(TDateTime date, TDateTime time);

// "yyyy-mm-dd" and "hh:nn:ss", the fixed forms the fields show as text.
std::string FormatIsoDate(TDateTime value);
std::string FormatIsoTime(TDateTime value);
