#pragma once
// The rules of a podcast feed's extension elements: Apple's itunes: namespace as its podcast
// requirements state them, and the basics of the podcast: namespace. Fed by Check Feed's one
// pass; each finding goes to the report function, about the element being read.
#include "ExtensionRule.h"

#include <libxml/xmlreader.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TItunesCategory;

class TPodcastRules {
public:
    using TReport = TRuleReport;
    explicit TPodcastRules(TReport report) : report_(std::move(report)) {}

    // An element starts; the reader stands on it, so its attributes can be read.
    void Start(xmlTextReaderPtr reader, const TElementName &element, const TElementName &parent);
    // An element ends with the text directly in it (trimmed, and as written).
    void End(const TElementName &element, std::string_view text, std::string_view written,
             const TElementName &parent);
    // An item starts: what may stand once in an episode is counted anew.
    void ItemStarted() { itemOnce_.clear(); }
    // What the rest of the check saw of the channel when it ended.
    struct TChannelFacts {
        bool HasLanguage = false;
        int Episodes = 0; // items with an enclosure
    };
    // The channel ends: what Apple requires of a show and lacks here is told, as an error on a
    // podcast by its channel (itunes: tags there), as a warning on a feed that only has
    // enclosures. Returns how an episode without a description is to be told: not at all (no
    // podcast), as a warning or as an error.
    std::optional<TFindingSeverity> ChannelEnded(const TChannelFacts &facts);

private:
    void StartItunes(xmlTextReaderPtr reader, std::string_view local, const TElementName &parent);
    void EndItunes(std::string_view local, std::string_view text, std::string_view written,
                   const TElementName &parent);
    void CheckOnce(std::string_view local, bool inChannel);
    void StartPodcast(xmlTextReaderPtr reader, std::string_view local);
    void EndPodcast(std::string_view local, std::string_view text);
    void CheckCategory(xmlTextReaderPtr reader, const TElementName &parent);
    void CheckImage(xmlTextReaderPtr reader);
    void Report(TFindingSeverity severity, std::string reason) { report_(severity, std::move(reason)); }

    TReport report_;
    bool channelItunes_ = false; // an itunes: tag stands in the channel: a podcast by its channel
    bool channelImage_ = false, channelCategory_ = false, channelExplicit_ = false;
    const TItunesCategory *category_ = nullptr; // the itunes:category being read, if Apple's
    std::string parentCategory_;                // its text
    bool ownerEmail_ = false;                   // the itunes:owner being read has an itunes:email
    std::vector<std::string_view> channelOnce_, itemOnce_; // itunes: tags Apple takes once, seen
};
