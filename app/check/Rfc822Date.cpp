#include "Rfc822Date.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>

namespace {

constexpr std::array<std::string_view, 7> WeekdayNames = {"Mon", "Tue", "Wed", "Thu",
                                                          "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 12> MonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 10> ZoneNames = {"UT",  "GMT", "EST", "EDT", "CST",
                                                        "CDT", "MST", "MDT", "PST", "PDT"};

// Line breaks count as blanks: a date folded over lines is one date.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// ASCII letters, whatever the locale: dates are written in ASCII.
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Dates are written in ASCII: no locale's case rules, and no library call per letter.
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

// Index of name in names (case ignored), -1 when absent.
template <size_t N> int IndexOf(const std::array<std::string_view, N> &names, std::string_view name)
{
    for (size_t i = 0; i < N; ++i)
        if (SameLetters(names[i], name))
            return static_cast<int>(i);
    return -1;
}

// Reads the date from left to right; every Take function consumes what it read.
class TDateScanner {
public:
    explicit TDateScanner(std::string_view text) : text_(text) {}

    void SkipSpaces()
    {
        while (at_ < text_.size() && IsSpace(text_[at_]))
            ++at_;
    }
    bool AtEnd() const { return at_ == text_.size(); }
    bool Take(char c)
    {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    std::string_view TakeWhile(bool (*belongs)(char))
    {
        const size_t start = at_;
        while (at_ < text_.size() && belongs(text_[at_]))
            ++at_;
        return text_.substr(start, at_ - start);
    }
    // A run of 1..maxDigits digits as a number, -1 when the run is empty or longer.
    int TakeNumber(size_t minDigits, size_t maxDigits, size_t *count = nullptr)
    {
        const std::string_view digits = TakeWhile(IsDigit);
        if (count)
            *count = digits.size();
        if (digits.size() < minDigits || digits.size() > maxDigits)
            return -1;
        int value = 0;
        for (char c : digits)
            value = value * 10 + (c - '0');
        return value;
    }
    std::string_view Rest() const { return text_.substr(at_); }
    size_t Position() const { return at_; }
    void Reset(size_t position) { at_ = position; }

private:
    std::string_view text_;
    size_t at_ = 0;
};

// Monday = 0 .. Sunday = 6, for the proleptic Gregorian calendar.
int WeekdayOf(int year, int month, int day)
{
    static constexpr int offsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        --year;
    const int sundayFirst = (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
    return (sundayFirst + 6) % 7;
}

bool IsKnownZone(std::string_view zone)
{
    if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-')) {
        for (char c : zone.substr(1))
            if (!IsDigit(c))
                return false;
        return (zone[3] - '0') * 10 + (zone[4] - '0') < 60;
    }
    if (zone.size() == 1) // military letters: A to Z without J
        return IsLetter(zone[0]) && std::tolower(static_cast<unsigned char>(zone[0])) != 'j';
    return IndexOf(ZoneNames, zone) >= 0;
}

bool IsZoneCharacter(char c) { return IsLetter(c) || IsDigit(c) || c == '+' || c == '-' || c == ':'; }

// The text with every comment ("(...)", nested, "\)" quoted) made one blank, as RFC 822
// reads it; nothing when a parenthesis is left open or closes none.
std::optional<std::string> WithoutComments(std::string_view text)
{
    std::string plain;
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (depth > 0 && c == '\\') {
            ++i;
            continue;
        }
        if (c == '(') {
            if (depth++ == 0)
                plain += ' ';
        } else if (c == ')') {
            if (--depth < 0)
                return std::nullopt;
        } else if (depth == 0) {
            plain += c;
        }
    }
    if (depth != 0)
        return std::nullopt;
    return plain;
}

} // namespace

TDateCheck CheckRfc822Date(std::string_view original)
{
    const TDateCheck notRfc822{TDateVerdict::NotRfc822, {}};
    // Most dates hold no comment: read as they are, without a copy.
    std::string_view text = original;
    std::optional<std::string> plain;
    if (std::any_of(original.begin(), original.end(), [](char c) { return c == '(' || c == ')'; })) {
        plain = WithoutComments(original);
        if (!plain)
            return notRfc822;
        text = *plain;
    }
    TDateScanner scan(text);
    scan.SkipSpaces();

    int weekday = -1;
    const size_t start = scan.Position();
    const std::string_view name = scan.TakeWhile(IsLetter);
    if (!name.empty()) {
        weekday = IndexOf(WeekdayNames, name);
        scan.SkipSpaces();
        if (weekday < 0 || !scan.Take(','))
            return notRfc822;
        scan.SkipSpaces();
    } else {
        scan.Reset(start);
    }

    const int day = scan.TakeNumber(1, 2);
    scan.SkipSpaces();
    const int month = IndexOf(MonthNames, scan.TakeWhile(IsLetter)) + 1;
    scan.SkipSpaces();
    size_t yearDigits = 0;
    int year = scan.TakeNumber(2, 4, &yearDigits);
    if (day < 0 || month < 1 || year < 0 || yearDigits == 3)
        return notRfc822;
    if (yearDigits == 2)
        year += year < 50 ? 2000 : 1900;
    scan.SkipSpaces();

    const int hour = scan.TakeNumber(2, 2);
    if (hour < 0 || !scan.Take(':'))
        return notRfc822;
    const int minute = scan.TakeNumber(2, 2);
    if (minute < 0)
        return notRfc822;
    int second = 0;
    if (scan.Take(':') && (second = scan.TakeNumber(2, 2)) < 0)
        return notRfc822;

    const bool spaceBeforeZone = !scan.AtEnd() && IsSpace(scan.Rest().front());
    scan.SkipSpaces();
    const std::string_view zone = scan.TakeWhile(IsZoneCharacter);
    scan.SkipSpaces();
    if (!scan.AtEnd())
        return notRfc822;
    if (!zone.empty() && !spaceBeforeZone)
        return notRfc822;
    if (!IsKnownZone(zone))
        return {TDateVerdict::NoKnownZone, std::string(zone)};

    if (day < 1 || day > DaysInMonth(year, month))
        return {TDateVerdict::NotReal, std::string(MonthNames[month - 1]) + " " +
                                           std::to_string(year) + " has no day " + std::to_string(day)};
    if (hour > 23 || minute > 59 || second > 60) // 60: a leap second
        return {TDateVerdict::NotReal, "the time of day does not exist"};
    const int actualWeekday = WeekdayOf(year, month, day);
    if (weekday >= 0 && weekday != actualWeekday)
        return {TDateVerdict::WrongWeekday, std::string(WeekdayNames[actualWeekday])};
    return {};
}

int DaysInMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}
