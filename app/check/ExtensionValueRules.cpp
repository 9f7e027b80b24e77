#include "ExtensionValueRules.h"

#include "FeedValueForms.h"
#include "KnownNamespaces.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr std::string_view GeoUrl = "http://geourl.org/rss/module/";
constexpr std::string_view Icbm = "http://postneo.com/icbm";
// UserLand's blogChannel module: the addresses of a weblog's blogroll, subscriptions, a site it
// recommends and its change notices.
constexpr std::string_view BlogChannel = "http://backend.userland.com/blogChannelModule";

std::string CoordinateFault(std::string_view local, std::string_view value)
{
    const bool latitude = local == "latitude";
    const double limit = latitude ? 90 : 180;
    if (IsDecimalNumber(value, true) && std::abs(std::strtod(std::string(value).c_str(), nullptr)) <= limit)
        return {};
    return latitude ? "is not a number from -90 to 90" : "is not a number from -180 to 180";
}

} // namespace

std::string ExtensionValueFault(std::string_view uri, std::string_view local, std::string_view value)
{
    if ((uri == Namespaces::DublinCore || uri == Namespaces::DublinCoreTerms) && local == "language")
        return IsLanguageTag(value) ? std::string() : "is not a language code such as \"en\" or \"en-us\"";
    if ((uri == GeoUrl || uri == Icbm) && (local == "latitude" || local == "longitude"))
        return CoordinateFault(local, value);
    if (uri == BlogChannel && (local == "blogRoll" || local == "mySubscriptions" || local == "blink" || local == "changes")) {
        if (NeedsPercentEncoding(value))
            return "holds blanks or letters beyond ASCII; a URL has them percent-encoded";
        return IsAbsoluteUrl(value) ? std::string() : "is not an absolute URL";
    }
    return {};
}
