#pragma once
// The namespaces feeds commonly use, by their usual prefix, and how a declaration of one of
// those prefixes can go wrong.
#include <string_view>

// The URI that prefix usually stands for ("itunes" -> Apple's), empty for an unknown prefix.
std::string_view KnownNamespaceUri(std::string_view prefix);

namespace Namespaces {
inline constexpr std::string_view Itunes = "http://www.itunes.com/dtds/podcast-1.0.dtd";
inline constexpr std::string_view Podcast = "https://podcastindex.org/namespace/1.0";
// The address the podcast: namespace had first; its readers take both.
inline constexpr std::string_view PodcastFirst =
    "https://github.com/Podcastindex-org/podcast-namespace/blob/main/docs/1.0.md";
inline constexpr std::string_view Atom = "http://www.w3.org/2005/Atom";
inline constexpr std::string_view DublinCore = "http://purl.org/dc/elements/1.1/";
inline constexpr std::string_view DublinCoreTerms = "http://purl.org/dc/terms/";
inline constexpr std::string_view Media = "http://search.yahoo.com/mrss/";
inline constexpr std::string_view Geo = "http://www.w3.org/2003/01/geo/wgs84_pos#";
inline constexpr std::string_view Slash = "http://purl.org/rss/1.0/modules/slash/";
// A podcast network's own: per-episode ratings, pictures and intro lengths.
inline constexpr std::string_view ConversationsNetwork = "http://conversationsnetwork.org/rssNamespace-1.0/";
} // namespace Namespaces

enum class TNamespaceDeclaration {
    Right,     // the known URI, or a prefix the check does not know
    NearMiss,  // the known URI in other case, with blanks or a slash more or less: a typing slip
    Variant,   // a near miss so common that many readers know it too (Media RSS without its slash)
    Different, // some other URI: the prefix means something else here
};
TNamespaceDeclaration JudgeNamespaceDeclaration(std::string_view prefix, std::string_view uri);
