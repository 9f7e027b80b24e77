#include "VariantConvert.h"

#include <cmath>

#include "NumberText.h"

int32_t VariantToInt32(const TzelVariant &value)
{
    if (value.IsInteger()) {
        const int64_t number = value.Integer();
        return number >= INT32_MIN && number <= INT32_MAX ? static_cast<int32_t>(number) : 0;
    }
    if (value.IsFloat())
        return RoundToInt32(value.Float());
    if (value.IsBool())
        return value.Bool() ? 1 : 0;
    double number = 0;
    if (value.IsString() && TryParseFiniteDouble(value.String(), number))
        return RoundToInt32(number);
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
    if (value.IsString() && TryParseFiniteDouble(value.String(), number))
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
