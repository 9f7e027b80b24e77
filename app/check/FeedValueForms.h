#pragma once
// The forms of the values Check Feed reads: URLs, numbers, MIME types, email addresses.
#include <string_view>

// "http://host[:port]/..." or "https://...": the scheme, a host, a numeric port if any, and no
// blank or quote.
bool IsAbsoluteHttpUrl(std::string_view url);

// The scheme of a URL ("ftp" of "ftp://host/x"), empty when the text has none.
std::string_view UrlScheme(std::string_view url);

// A URL with a scheme, whatever the scheme; an http or https one also has a host.
bool IsAbsoluteUrl(std::string_view url);

// A URL without a scheme ("post/1", "/logo.png"), which only an xml:base makes whole.
bool IsRelativeUrl(std::string_view url);

bool IsWholeNumber(std::string_view text);

// The value of a whole number, -1 when the text is none; any value above largest comes back
// as largest + 1, so that long runs of digits cannot overflow.
long WholeNumberUpTo(std::string_view text, long largest);

// "12", "12.5" or "-0.25" (a sign only where allowSign): digits with at most one point.
bool IsDecimalNumber(std::string_view text, bool allowSign = false);

// A time as media players take it (normal play time): seconds ("12", "12.5"), or
// H:MM:SS with an optional fraction ("1:02:03.5").
bool IsNormalPlayTime(std::string_view text);

// Text that holds characters a URL must percent-encode: blanks, quotes, angle brackets, control
// characters or any letter beyond ASCII (an IRI).
bool NeedsPercentEncoding(std::string_view url);

// "type/subtype", each a MIME token, optionally followed by ";parameters".
bool IsMimeType(std::string_view text);

// "name@example.org": no blanks, a domain with a dot.
bool IsEmailAddress(std::string_view text);

enum class TAddressForm {
    Address,   // "ann@example.org" or "ann@example.org (Ann Lee)"
    OtherForm, // an address in some other form, e.g. "Ann Lee <ann@example.org>"
    NoAddress, // no address at all, e.g. "Ann Lee"
};
TAddressForm AddressForm(std::string_view text);

// A language tag as RSS 2.0 takes it (RFC 1766 with ISO 639 codes): a 2- or 3-letter language
// ("en", "haw") or "i"/"x", then "-" and subtags of 1 to 8 letters or digits ("en-us").
bool IsLanguageTag(std::string_view text);
