#pragma once
// The user's number and time formats, read once from the user's locale without touching
// the process's own locale settings (nothing here calls setlocale).
struct TFormatSettings {
    char DecimalSeparator = '.';
    char TimeSeparator = ':';

    // The user's locale as the environment names it (LC_ALL, LC_NUMERIC, LANG ...);
    // the defaults above when it names none or one that is not installed.
    static TFormatSettings FromUserLocale();
};
