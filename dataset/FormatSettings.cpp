#include "FormatSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

TFormatSettings TFormatSettings::FromUserLocale()
{
    TFormatSettings settings;
    // A locale object of our own: the process-wide locale stays as it is.
    locale_t user = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr))
        return settings;
    const char *radix = nl_langinfo_l(RADIXCHAR, user);
    if (radix != nullptr && std::strlen(radix) == 1)
        settings.DecimalSeparator = radix[0];
    // The time separator is what follows the hour in the locale's time format ("%H:%M:%S").
    const char *timeFormat = nl_langinfo_l(T_FMT, user);
    if (const char *hour = timeFormat ? std::strstr(timeFormat, "%H") : nullptr; hour && hour[2] != '\0' && hour[2] != '%')
        settings.TimeSeparator = hour[2];
    freelocale(user);
    return settings;
}
