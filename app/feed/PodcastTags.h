#pragma once
// The tags podcast directories read, on the channel (the show) and on an item (an episode):
// Apple's itunes: namespace and the podcast: namespace. They are found by the namespace their
// prefix is bound to, whatever the prefix; old value forms (explicit "yes"/"clean") read in
// today's form and are written so. A field that changes is written where the directories
// expect it: an existing element in place, a new one at the end of the item or before the
// channel's first item. An emptied field removes its element; every other child stays. The
// namespace is declared on the root element the first time one of its tags is written.
#include <string>
#include <string_view>
#include <vector>

class TzelXMLNode2;
class TzelXMLParser2;

namespace PodcastNamespaces {
inline constexpr std::string_view Itunes = "http://www.itunes.com/dtds/podcast-1.0.dtd";
inline constexpr std::string_view Podcast = "https://podcastindex.org/namespace/1.0";
// The address the podcast: namespace had first; its readers take both.
inline constexpr std::string_view PodcastFirst =
    "https://github.com/Podcastindex-org/podcast-namespace/blob/main/docs/1.0.md";
} // namespace PodcastNamespaces

// One itunes:category: Apple's category and, nested in it, one of its subcategories ("" none).
struct TCategoryPick {
    std::string Category;
    std::string Subcategory;
    bool operator==(const TCategoryPick &) const = default;
};

// The show's tags. Explicit is "true", "false" or ""; Block and Complete are "Yes" or "";
// Locked is "yes", "no" or "".
struct TShowTags {
    std::string Author, OwnerName, OwnerEmail, Explicit, Type, Language, Copyright;
    std::string Block, Complete, NewFeedUrl;
    std::vector<TCategoryPick> Categories; // at most three
    std::string ImageHref;
    bool RssImageInStep = true; // the RSS image's url follows the itunes:image href
    std::string PodcastGuid, Locked, LockedOwner, FundingUrl, FundingText;
    bool operator==(const TShowTags &) const = default;
};

// An episode's tags.
struct TEpisodeTags {
    std::string Title, Episode, Season, EpisodeType, Explicit, Duration, ImageHref;
    std::string TranscriptUrl, TranscriptType, TranscriptLanguage, ChaptersUrl, ChaptersType;
    bool operator==(const TEpisodeTags &) const = default;
};

// The tags as readers read them (see ReaderText.h); rss is the document, its root element.
TShowTags ReadShowTags(const TzelXMLParser2 &rss, const TzelXMLNode2 &channel);
TEpisodeTags ReadEpisodeTags(const TzelXMLParser2 &rss, const TzelXMLNode2 &channel,
                             const TzelXMLNode2 &item);

// Each changes the element to hold the tags (nothing when they are the ones read; otherwise
// old forms are written in today's too) and returns true when it declared a namespace on
// rss (so more than the element changed). Raises, changing nothing, for a value the directories
// would refuse (an episode number that is no whole number, a duration that is not [H:]MM:SS or
// seconds, more than three categories).
bool ApplyShowTags(TzelXMLParser2 &rss, TzelXMLNode2 &channel, const TShowTags &tags);
bool ApplyEpisodeTags(TzelXMLParser2 &rss, TzelXMLNode2 &channel, TzelXMLNode2 &item,
                      const TEpisodeTags &tags);
// Raises what ApplyEpisodeTags would refuse.
void CheckEpisodeTags(const TEpisodeTags &tags);

// A podcast feed: its channel holds an itunes: tag, or one of its items an enclosure.
bool IsPodcastFeed(const TzelXMLNode2 &rss, const TzelXMLNode2 &channel);
// A podcast by its channel: the channel holds an itunes: tag. Only such a feed numbers its
// episodes; an enclosure alone makes no blog a podcast.
bool IsPodcastByChannel(const TzelXMLNode2 &rss, const TzelXMLNode2 &channel);

// A new item gets a guid of its own (isPermaLink="false"), one no other item has: readers
// and directories drop an item whose guid they have seen.
void GiveOwnGuid(const TzelXMLNode2 &rss, const TzelXMLNode2 &channel, TzelXMLNode2 &item);

// A new episode gets the episode number after the highest the feed has. Returns true when it
// declared the itunes namespace.
bool NumberNewEpisode(TzelXMLNode2 &rss, TzelXMLNode2 &channel, TzelXMLNode2 &item);

// The podcast:guid of a feed: the UUID version 5 of its URL without the scheme and trailing
// slashes, in the namespace the podcast: namespace gives for it.
std::string PodcastGuidOf(std::string_view feedUrl);

// A duration in seconds as HH:MM:SS.
std::string DurationText(long long seconds);
