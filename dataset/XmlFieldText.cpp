#include "XmlFieldText.h"

#include <charconv>

#include "NumberText.h"
#include "VariantConvert.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads 1 to maxDigits decimal digits at pos; false when there is none.
bool ReadNumber(std::string_view text, size_t &pos, int maxDigits, int &out)
{
    const size_t start = pos;
    out = 0;
    while (pos < text.size() && IsDigit(text[pos]) && static_cast<int>(pos - start) < maxDigits)
        out = out * 10 + (text[pos++] - '0');
    return pos > start;
}

// "yyyy-mm-dd" at the start of text; pos ends after it.
bool ReadIsoDate(std::string_view text, size_t &pos, TDateTime &out)
{
    int year = 0, month = 0, day = 0;
    return ReadNumber(text, pos, 4, year) && pos < text.size() && text[pos++] == '-' &&
           ReadNumber(text, pos, 2, month) && pos < text.size() && text[pos++] == '-' &&
           ReadNumber(text, pos, 2, day) && TryEncodeDate(year, month, day, out);
}

// h:m, h:m:s or h:m:s.zzz filling the rest of text.
bool ReadTime(std::string_view text, size_t pos, char separator, TDateTime &out)
{
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (!ReadNumber(text, pos, 2, hour) || pos >= text.size() || text[pos++] != separator ||
        !ReadNumber(text, pos, 2, minute))
        return false;
    if (pos < text.size() && text[pos] == separator) {
        ++pos;
        if (!ReadNumber(text, pos, 2, second))
            return false;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            const size_t start = pos;
            if (!ReadNumber(text, pos, 3, msec))
                return false;
            for (size_t digits = pos - start; digits < 3; ++digits)
                msec *= 10; // ".5" is half a second
        }
    }
    return pos == text.size() && TryEncodeTime(hour, minute, second, msec, out);
}

} // namespace

TFieldType XmlFieldType(std::string_view typeAttribute)
{
    if (typeAttribute == "memo")
        return TFieldType::ftMemo;
    if (typeAttribute == "boolean")
        return TFieldType::ftBoolean;
    if (typeAttribute == "integer")
        return TFieldType::ftInteger;
    if (typeAttribute == "float")
        return TFieldType::ftFloat;
    if (typeAttribute == "date")
        return TFieldType::ftDate;
    if (typeAttribute == "datetime")
        return TFieldType::ftDateTime;
    return TFieldType::ftString;
}

int XmlStringFieldSize(std::string_view sizeAttribute)
{
    int32_t size = 0;
    return TryParseInt32(sizeAttribute, size) && size >= 1 ? size : 30;
}

bool TryParseXmlFloat(std::string_view text, char decimalSeparator, double &out)
{
    // Only sign, digits, the locale's separator and an exponent: no "inf", "nan" or hex,
    // and no "." where the locale uses another separator.
    std::string plain;
    bool digits = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c))
            digits = true;
        else if (c == decimalSeparator)
            plain += '.';
        else if (c != '+' && c != '-' && c != 'e' && c != 'E')
            return false;
        if (c != decimalSeparator)
            plain += c;
    }
    return digits && TryParseFiniteDouble(plain, out);
}

bool TryParseIsoDate(std::string_view text, TDateTime &out)
{
    size_t pos = 0;
    TDateTime date = 0;
    if (!ReadIsoDate(text, pos, date) || pos != text.size())
        return false;
    out = date;
    return true;
}

bool TryParseXmlDateTime(std::string_view text, char timeSeparator, TDateTime &out)
{
    size_t pos = 0;
    TDateTime date = 0;
    if (!ReadIsoDate(text, pos, date))
        return false;
    if (pos == text.size()) {
        out = date;
        return true;
    }
    if (text[pos] != ' ')
        return false;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    TDateTime time = 0;
    if (!ReadTime(text, pos, timeSeparator, time))
        return false;
    out = CombineDateTime(date, time);
    return true;
}

TzelVariant XmlTextToValue(TFieldType type, std::string_view text, const TFormatSettings &settings)
{
    switch (type) {
    case TFieldType::ftBoolean: return text == "1";
    case TFieldType::ftInteger: {
        int32_t number = 0;
        return static_cast<int64_t>(TryParseInt32(text, number) ? number : 0);
    }
    case TFieldType::ftFloat: {
        double number = 0;
        return TryParseXmlFloat(text, settings.DecimalSeparator, number) ? number : 0.0;
    }
    case TFieldType::ftDate: {
        TDateTime date = 0;
        return TryParseIsoDate(text, date) ? date : 0.0;
    }
    case TFieldType::ftDateTime: {
        TDateTime moment = 0;
        return TryParseXmlDateTime(text, settings.TimeSeparator, moment) ? moment : 0.0;
    }
    default: return std::string(text);
    }
}

std::string XmlValueToText(TFieldType type, const TzelVariant &value, const TFormatSettings &settings)
{
    switch (type) {
    case TFieldType::ftBoolean: return VariantToBool(value) ? "1" : "0";
    case TFieldType::ftInteger: return std::to_string(VariantToInt32(value));
    case TFieldType::ftFloat: {
        char text[64];
        const auto result =
            std::to_chars(text, text + sizeof text, VariantToDouble(value), std::chars_format::general, 15);
        std::string written(text, result.ptr);
        for (char &c : written)
            if (c == '.')
                c = settings.DecimalSeparator;
        return written;
    }
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: return FormatIsoDate(VariantToDouble(value));
    default: return value.AsString();
    }
}
