#pragma once
// The rules of Media RSS (the media: namespace, version 1.5), as video and image feeds and many
// podcast hosts write it: attribute values of the forms the namespace defines, the rating
// schemes it names, a group that groups alternatives. Fed by Check Feed's one pass.
#include "ExtensionRule.h"

#include <libxml/xmlreader.h>

#include <string>
#include <vector>

class TMediaRssRules {
public:
    explicit TMediaRssRules(TRuleReport report) : report_(std::move(report)) {}

    // A media: element starts; the reader stands on it.
    void Start(xmlTextReaderPtr reader, std::string_view local, const TElementName &parent);
    // A media: element ends with its text (trimmed).
    void End(std::string_view local, std::string_view text);
    // An item starts: it is a media object of its own.
    void ItemStarted() { onceSeen_.assign(1, {}); }

private:
    void StartContent(xmlTextReaderPtr reader, std::string_view element);
    void EndRestriction(std::string_view text);
    void CheckCreditRole(xmlTextReaderPtr reader, std::string_view scheme);
    void CheckUrl(xmlTextReaderPtr reader, std::string_view element, bool required);
    void CheckChoice(xmlTextReaderPtr reader, std::string_view element, const char *attribute,
                     std::initializer_list<std::string_view> values);
    void Report(std::string reason) { report_(TFindingSeverity::Error, std::move(reason)); }

    TRuleReport report_;
    std::vector<int> groupContents_; // media:content in each open media:group
    // The elements a media object holds once, seen in the item (or channel) and in each open
    // media:group and media:content.
    std::vector<std::vector<std::string>> onceSeen_ = std::vector<std::vector<std::string>>(1);
    std::string ratingScheme_, restrictionType_, hashAlgorithm_;
    bool restrictionTyped_ = false;
};
