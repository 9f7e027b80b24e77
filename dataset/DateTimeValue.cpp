#include "DateTimeValue.h"

#include <cmath>
#include <cstdio>

namespace {

// Days between 1970-01-01 and the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int &year, int &month, int &day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr int64_t UnixEpochInDays = 25569; // 1970-01-01 counted from 1899-12-30

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

} // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime &out)
{
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const int last = monthDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    if (day > last)
        return false;
    out = static_cast<TDateTime>(DaysFromCivil(year, month, day) + UnixEpochInDays);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &out)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return false;
    out = MSecsToTime(((hour * 60 + minute) * 60 + second) * 1000 + msec);
    return true;
}

void DecodeDate(TDateTime value, int &year, int &month, int &day)
{
    CivilFromDays(static_cast<int64_t>(DateTimeToDays(value)) - UnixEpochInDays, year, month, day);
}

int32_t DateTimeToDays(TDateTime value)
{
    // Out-of-range values (huge, NaN) give day 0 rather than undefined behaviour.
    if (!(std::fabs(value) < 2147483647.0))
        return 0;
    return static_cast<int32_t>(std::trunc(value));
}

int32_t DateTimeToMSecs(TDateTime value)
{
    if (!(std::fabs(value) < 2147483647.0))
        return 0;
    const double fraction = std::fabs(value - std::trunc(value));
    const auto msecs = static_cast<int32_t>(std::llround(fraction * MSecsPerDay));
    return msecs >= MSecsPerDay ? MSecsPerDay - 1 : msecs;
}

TDateTime MSecsToTime(int32_t msecs)
{
    return static_cast<double>(msecs) / MSecsPerDay;
}

TDateTime CombineDateTime(TDateTime date, TDateTime time)
{
    return date < 0 ? date - time : date + time;
}

std::string FormatIsoDate(TDateTime value)
{
    int year = 0, month = 0, day = 0;
    DecodeDate(value, year, month, day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::string FormatIsoTime(TDateTime value)
{
    const int32_t seconds = DateTimeToMSecs(value) / 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}
