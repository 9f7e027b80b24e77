#include "FindingJson.h"

#include <cstdio>

namespace {

// A JSON string: quotes, backslashes and control characters escaped; other bytes as they are
// (the check's texts are UTF-8).
std::string JsonString(std::string_view text)
{
    std::string json = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\n':
            json += "\\n";
            break;
        case '\t':
            json += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                json += escaped;
            } else {
                json += c;
            }
        }
    }
    return json + "\"";
}

const char *PlaceName(TFindingPlace place)
{
    switch (place) {
    case TFindingPlace::Channel:
        return "channel";
    case TFindingPlace::Item:
        return "item";
    case TFindingPlace::Document:
        break;
    }
    return "document";
}

} // namespace

std::string FindingJson(std::string_view file, const TFeedFinding &finding, const std::vector<int> *groupRows)
{
    std::string json = "{\"file\":" + JsonString(file);
    if (finding.Line > 0)
        json += ",\"line\":" + std::to_string(finding.Line);
    json += std::string(",\"severity\":") +
            (finding.Severity == TFindingSeverity::Error ? "\"error\"" : "\"warning\"") + ",\"place\":\"" +
            PlaceName(finding.Place) + "\"";
    if (finding.Place == TFindingPlace::Item) {
        json += ",\"item\":" + std::to_string(finding.Row + 1);
        if (!finding.ItemTitle.empty())
            json += ",\"title\":" + JsonString(finding.ItemTitle);
        if (groupRows) {
            json += ",\"count\":" + std::to_string(groupRows->size()) + ",\"items\":[";
            for (size_t i = 0; i < groupRows->size(); ++i)
                json += std::string(i ? "," : "") + std::to_string((*groupRows)[i]);
            json += "]";
        }
    }
    return json + ",\"element\":" + JsonString(finding.Element) +
           ",\"message\":" + JsonString(finding.Reason) + "}";
}
