#include "W3cDateTime.h"

#include "Rfc822Date.h"

namespace {

// Reads a run of exactly count digits at text[at], moving at past it; -1 when they are not there.
int Digits(std::string_view text, size_t &at, size_t count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (size_t end = at + count; at < end; ++at) {
        if (text[at] < '0' || text[at] > '9')
            return -1;
        value = value * 10 + (text[at] - '0');
    }
    return value;
}

bool Take(std::string_view text, size_t &at, char c)
{
    if (at < text.size() && text[at] == c) {
        ++at;
        return true;
    }
    return false;
}

} // namespace

bool IsW3cDateTime(std::string_view text)
{
    size_t at = 0;
    const int year = Digits(text, at, 4);
    if (year < 0)
        return false;
    if (at == text.size())
        return true;
    int month, day;
    if (!Take(text, at, '-') || (month = Digits(text, at, 2)) < 1 || month > 12)
        return false;
    if (at == text.size())
        return true;
    if (!Take(text, at, '-') || (day = Digits(text, at, 2)) < 1 || day > DaysInMonth(year, month))
        return false;
    if (at == text.size())
        return true;
    int hour, minute, second = 0;
    if (!Take(text, at, 'T') || (hour = Digits(text, at, 2)) < 0 || hour > 23 ||
        !Take(text, at, ':') || (minute = Digits(text, at, 2)) < 0 || minute > 59)
        return false;
    if (Take(text, at, ':')) {
        if ((second = Digits(text, at, 2)) < 0 || second > 60) // 60: a leap second
            return false;
        if (Take(text, at, '.') && Digits(text, at, 1) < 0)
            return false;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
    }
    if (Take(text, at, 'Z'))
        return at == text.size();
    if (!Take(text, at, '+') && !Take(text, at, '-'))
        return false;
    const int zoneHours = Digits(text, at, 2);
    if (zoneHours < 0 || zoneHours > 23 || !Take(text, at, ':'))
        return false;
    const int zoneMinutes = Digits(text, at, 2);
    return zoneMinutes >= 0 && zoneMinutes <= 59 && at == text.size();
}
