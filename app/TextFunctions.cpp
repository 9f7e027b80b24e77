#include "TextFunctions.h"

#include "zelException.h"

#include <QLocale>

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

std::string DateStamp(const QDateTime &localTime, const std::string &timeSeparator)
{
    if (!localTime.isValid())
        throw Exception("The clock gave no valid local time");
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    std::string stamp = DayNames[date.dayOfWeek() - 1];
    stamp += ", " + std::to_string(date.day()) + " " + MonthNames[date.month() - 1] + " " +
             std::to_string(date.year()) + " ";
    stamp += TwoDigits(time.hour()) + timeSeparator + TwoDigits(time.minute()) + timeSeparator +
             TwoDigits(time.second());
    return stamp + " -0800";
}

std::string DateStamp(const QDateTime &localTime)
{
    return DateStamp(localTime, LocaleTimeSeparator());
}

std::string LocaleTimeSeparator()
{
    return TimeSeparatorOf(QLocale::system());
}

std::string TimeSeparatorOf(const QLocale &locale)
{
    // The text between the hour and the minute fields of the locale's short time format,
    // with quoting removed ("HH:mm" -> ":", "HH.mm" -> ".", "HHmm" -> "").
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    qsizetype at = format.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (at < 0)
        return ":";
    while (at < format.size() && format[at].toLower() == QLatin1Char('h'))
        ++at;
    QString separator;
    for (; at < format.size() && format[at] != QLatin1Char('m'); ++at) {
        if (format[at] != QLatin1Char('\''))
            separator += format[at];
    }
    return separator.toStdString();
}

void DecodeQuot(std::string &text)
{
    ReplaceAll(text, "&quot;", "\"");
}

void EncodeQuot(std::string &text)
{
    ReplaceAll(text, "\"", "&quot;");
}
