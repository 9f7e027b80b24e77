#include "TextFunctions.h"

#include "zelException.h"


namespace {

// English abbreviations, independent of the user's locale.
const char *const DayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char *const MonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string TwoDigits(int value)
{
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

void ReplaceAll(std::string &text, const std::string &find, const std::string &replacement)
{
    std::string::size_type at = 0;
    while ((at = text.find(find, at)) != std::string::npos) {
        text.replace(at, find.size(), replacement);
        at += replacement.size(); // the replacement never holds what is searched for
    }
}

} // namespace

std::string DateStamp(const QDateTime &localTime)
{
    if (!localTime.isValid())
        throw Exception("The clock gave no valid local time");
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    std::string stamp = DayNames[date.dayOfWeek() - 1];
    stamp += ", " + std::to_string(date.day()) + " " + MonthNames[date.month() - 1] + " " +
             std::to_string(date.year()) + " ";
    stamp += TwoDigits(time.hour()) + ":" + TwoDigits(time.minute()) + ":" + TwoDigits(time.second());
    // Readers turn the stamp into an instant: the offset must be the one the time was read in.
    const int offsetMinutes = localTime.offsetFromUtc() / 60;
    const int distance = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    stamp += offsetMinutes < 0 ? " -" : " +";
    return stamp + TwoDigits(distance / 60) + TwoDigits(distance % 60);
}

void DecodeQuot(std::string &text)
{
    ReplaceAll(text, "&quot;", "\"");
}

void EncodeQuot(std::string &text)
{
    ReplaceAll(text, "\"", "&quot;");
}
