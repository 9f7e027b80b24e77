#include "NumberText.h"

#include <charconv>
#include <cmath>

namespace {

// from_chars takes a "-" but no "+": skip one "+" before handing the text over.
const char *AfterPlus(std::string_view text)
{
    return text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
}

} // namespace

bool TryParseInt32(std::string_view text, int32_t &out)
{
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(AfterPlus(text), last, out);
    return !text.empty() && error == std::errc() && end == last;
}

bool TryParseFiniteDouble(std::string_view text, double &out)
{
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(AfterPlus(text), last, out);
    return !text.empty() && error == std::errc() && end == last && std::isfinite(out);
}

int32_t RoundToInt32(double value)
{
    const double rounded = std::round(value);
    return rounded >= INT32_MIN && rounded <= INT32_MAX ? static_cast<int32_t>(rounded) : 0;
}
