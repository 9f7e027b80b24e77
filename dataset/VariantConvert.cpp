#include "VariantConvert.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool ParseDouble(const std::string &text, double &out)
{
    const char *first = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), out);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && std::isfinite(out);
}

int32_t ClampToInt32(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double rounded = std::round(value);
    return rounded >= INT32_MIN && rounded <= INT32_MAX ? static_cast<int32_t>(rounded) : 0;
}

} // namespace

int32_t VariantToInt32(const TzelVariant &value)
{
    if (value.IsInteger()) {
        const int64_t number = value.Integer();
        return number >= INT32_MIN && number <= INT32_MAX ? static_cast<int32_t>(number) : 0;
    }
    if (value.IsFloat())
        return ClampToInt32(value.Float());
    if (value.IsBool())
        return value.Bool() ? 1 : 0;
    double number = 0;
    if (value.IsString() && ParseDouble(value.String(), number))
        return ClampToInt32(number);
    return 0;
}

double VariantToDouble(const TzelVariant &value)
{
    if (value.IsFloat())
        return std::isfinite(value.Float()) ? value.Float() : 0.0;
    if (value.IsInteger())
        return static_cast<double>(value.Integer());
    if (value.IsBool())
        return value.Bool() ? 1.0 : 0.0;
    double number = 0;
    if (value.IsString() && ParseDouble(value.String(), number))
        return number;
    return 0.0;
}

bool VariantToBool(const TzelVariant &value)
{
    if (value.IsBool())
        return value.Bool();
    if (value.IsInteger())
        return value.Integer() != 0;
    if (value.IsFloat())
        return value.Float() != 0.0;
    if (value.IsString())
        return value.String() == "1" || value.String() == "True" || value.String() == "true";
    return false;
}
