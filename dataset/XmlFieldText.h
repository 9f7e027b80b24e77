#pragma once
// The XML table file's type table: which field type a "type" attribute names, the width a
// "size" attribute gives a string field, and how a field's text in the file becomes its
// value and back. Texts that do not convert give the type's fallback: 0, false, the zero
// date (1899-12-30).
#include <string>
#include <string_view>

#include "DataSetTypes.h"
#include "DateTimeValue.h"
#include "FormatSettings.h"
#include "zelVariant.h"

// "string", "memo", "boolean", "integer", "float", "date", "datetime" (exact, case-sensitive);
// anything else is a string field.
TFieldType XmlFieldType(std::string_view typeAttribute);
// A decimal integer of at least 1; otherwise (missing, not a number, below 1) 30.
int XmlStringFieldSize(std::string_view sizeAttribute);

// Text to value: string and memo as they are; boolean true exactly for "1"; integer a
// decimal 32-bit integer; float in the locale's decimal format; date "yyyy-mm-dd";
// date-time such a date, optionally followed by blanks and a time of day in the locale's
// time format (h:m, h:m:s or h:m:s.zzz).
TzelVariant XmlTextToValue(TFieldType type, std::string_view text, const TFormatSettings &settings);
// Value to text: "1"/"0"; decimal; general format with up to 15 significant digits and the
// locale's decimal separator; "yyyy-mm-dd" for dates and date-times (no time of day).
std::string XmlValueToText(TFieldType type, const TzelVariant &value, const TFormatSettings &settings);

// The parsers behind XmlTextToValue; false for text that is not such a value.
bool TryParseXmlFloat(std::string_view text, char decimalSeparator, double &out);
bool TryParseIsoDate(std::string_view text, TDateTime &out);
bool TryParseXmlDateTime(std::string_view text, char timeSeparator, TDateTime &out);
