#pragma once
// Whether a text is a W3C date-time, the ISO 8601 profile that Dublin Core dates use:
// "2007", "2007-02", "2007-02-05", or a day with "T14:03[:09[.5]]" and a zone ("Z", "+01:00").
#include <string_view>

bool IsW3cDateTime(std::string_view text);
