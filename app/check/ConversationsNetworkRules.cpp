#include "ConversationsNetworkRules.h"

#include "CheckText.h"
#include "FeedValueForms.h"
#include "ReaderAttribute.h"
#include "Rfc822Date.h"
#include "W3cDateTime.h"

#include <cstdlib>
#include <string>

namespace {

void Error(const TRuleReport &report, std::string reason)
{
    report(TFindingSeverity::Error, std::move(reason));
}

// A rating stands on a scale of 0 to 5; a value beyond it is read, but says nothing.
void CheckScale(std::string_view name, std::string_view text, const TRuleReport &report)
{
    if (std::strtod(std::string(text).c_str(), nullptr) > 5)
        report(TFindingSeverity::Warning, std::string(name) + " " + Quoted(text) + " is beyond the scale of 0 to 5");
}

} // namespace

void StartConversationsNetwork(xmlTextReaderPtr reader, const TElementName &element, const TRuleReport &report)
{
    if (element.Local != "image")
        return;
    bool present = false;
    const std::string url(Trimmed(AttributeOf(reader, "url", present)));
    const std::string name(element.Name);
    if (url.empty())
        Error(report, name + " has no url");
    else if (NeedsPercentEncoding(url))
        Error(report, name + " url " + Quoted(url) + " holds blanks or letters beyond ASCII; a URL has them percent-encoded");
    else if (!IsAbsoluteUrl(url))
        Error(report, name + " url " + Quoted(url) + " is not an absolute URL");
}

void EndConversationsNetwork(const TElementName &element, std::string_view text, const TRuleReport &report)
{
    const std::string_view local = element.Local;
    const std::string name(element.Name);
    const std::string quoted = name + " " + Quoted(text);
    if (local == "introMilliseconds" || local == "ratingCount") {
        if (!IsWholeNumber(text))
            Error(report, quoted + " is not a whole number");
    } else if (local == "ratingIndividual") {
        if (!IsWholeNumber(text))
            Error(report, quoted + " is not a whole number");
        else
            CheckScale(name, text, report);
    } else if (local == "ratingAverage") {
        if (!IsDecimalNumber(text))
            Error(report, quoted + " is not a number");
        else
            CheckScale(name, text, report);
    } else if (local == "ratingTimestamp") {
        // The namespace names no form: a date as RSS 2.0 writes it or as Dublin Core does.
        if (CheckRfc822Date(text).Verdict != TDateVerdict::Valid && !IsW3cDateTime(text))
            Error(report, quoted + " is not a date, such as \"Mon, 05 Feb 2007 14:03:09 GMT\" or "
                                   "2007-02-05T14:03:09Z");
    }
}
