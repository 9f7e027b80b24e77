#pragma once
// Plain decimal numbers in text, as the fields and the record sources read them: an
// optional sign ("+" too), digits, and for doubles "." and an exponent. The whole text
// must be the number.
#include <cstdint>
#include <string_view>

// A decimal 32-bit integer; false when the text is not one or does not fit.
bool TryParseInt32(std::string_view text, int32_t &out);
// A finite double; false for anything else ("inf", "nan" and hex included).
bool TryParseFiniteDouble(std::string_view text, double &out);
// The nearest 32-bit integer; 0 when there is none (too large, infinite, NaN).
int32_t RoundToInt32(double value);
