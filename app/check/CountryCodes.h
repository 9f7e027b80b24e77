#pragma once
// The countries ISO 3166-1 assigns a two-letter code, which Media RSS restrictions name.
#include <string_view>

// Whether code is one of them, in either case ("au", "US").
bool IsCountryCode(std::string_view code);
