#include "TypedFields.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "DatabaseError.h"
#include "NumberText.h"

namespace {

template <class T>
T ReadNative(const TField &field)
{
    T value{};
    field.GetData(&value);
    return value;
}

[[noreturn]] void InvalidValue(const std::string &text, const char *kind)
{
    DatabaseError("'" + text + "' is not a valid " + kind + " value");
}

} // namespace

std::string TStringField::AsString() const
{
    std::vector<char> buffer(static_cast<size_t>(DataSize()), '\0');
    if (!GetData(buffer.data()))
        return std::string();
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

void TStringField::SetAsString(const std::string &value)
{
    std::vector<char> buffer(static_cast<size_t>(DataSize()), '\0');
    std::memcpy(buffer.data(), value.data(), std::min(value.size(), static_cast<size_t>(Size())));
    SetData(buffer.data());
}

std::string TIntegerField::AsString() const
{
    return IsNull() ? std::string() : std::to_string(AsInteger());
}

void TIntegerField::SetAsString(const std::string &value)
{
    int32_t number = 0;
    if (!TryParseInt32(value, number))
        InvalidValue(value, "integer");
    SetAsInteger(number);
}

int32_t TIntegerField::AsInteger() const { return ReadNative<int32_t>(*this); }

void TIntegerField::SetAsInteger(int32_t value)
{
    if (value < minimum_ || value > maximum_)
        DatabaseError(std::to_string(value) + " is not a valid value for field '" + FieldName() +
                      "'. The allowed range is " + std::to_string(minimum_) + " to " + std::to_string(maximum_));
    SetData(&value);
}

void TIntegerField::SetAsFloat(double value)
{
    const double rounded = std::round(value);
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX))
        InvalidValue(std::to_string(value), "integer");
    SetAsInteger(static_cast<int32_t>(rounded));
}

std::string TBooleanField::AsString() const
{
    return IsNull() ? std::string() : AsBoolean() ? "True" : "False";
}

void TBooleanField::SetAsString(const std::string &value)
{
    if (value == "True" || value == "true" || value == "TRUE")
        SetAsBoolean(true);
    else if (value == "False" || value == "false" || value == "FALSE")
        SetAsBoolean(false);
    else
        InvalidValue(value, "boolean");
}

bool TBooleanField::AsBoolean() const { return ReadNative<int16_t>(*this) != 0; }

void TBooleanField::SetAsBoolean(bool value)
{
    const int16_t native = value ? 1 : 0;
    SetData(&native);
}

std::string TFloatField::AsString() const
{
    if (IsNull())
        return std::string();
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, AsFloat(), std::chars_format::general, 15);
    return std::string(text, result.ptr);
}

void TFloatField::SetAsString(const std::string &value)
{
    double number = 0;
    if (!TryParseFiniteDouble(value, number))
        InvalidValue(value, "floating point");
    SetAsFloat(number);
}

double TFloatField::AsFloat() const { return ReadNative<double>(*this); }

void TFloatField::SetAsFloat(double value) { SetData(&value); }

int32_t TFloatField::AsInteger() const { return RoundToInt32(AsFloat()); }

std::string TDateField::AsString() const
{
    return IsNull() ? std::string() : FormatIsoDate(AsDateTime());
}

TDateTime TDateField::AsDateTime() const { return ReadNative<int32_t>(*this); }

void TDateField::SetAsDateTime(TDateTime value)
{
    const int32_t days = DateTimeToDays(value);
    SetData(&days);
}

std::string TTimeField::AsString() const
{
    return IsNull() ? std::string() : FormatIsoTime(AsDateTime());
}

TDateTime TTimeField::AsDateTime() const { return MSecsToTime(ReadNative<int32_t>(*this)); }

void TTimeField::SetAsDateTime(TDateTime value)
{
    const int32_t msecs = DateTimeToMSecs(value);
    SetData(&msecs);
}

std::string TDateTimeField::AsString() const
{
    if (IsNull())
        return std::string();
    const TDateTime value = AsDateTime();
    return FormatIsoDate(value) + " " + FormatIsoTime(value);
}

TDateTime TDateTimeField::AsDateTime() const { return ReadNative<double>(*this); }

void TDateTimeField::SetAsDateTime(TDateTime value) { SetData(&value); }
