#include "KnownNamespaces.h"

#include "CheckText.h"

#include <string>
#include <utility>

namespace {

constexpr std::pair<std::string_view, std::string_view> Known[] = {
    {"itunes", Namespaces::Itunes},
    {"podcast", Namespaces::Podcast},
    {"atom", Namespaces::Atom},
    {"dc", Namespaces::DublinCore},
    {"dcterms", Namespaces::DublinCoreTerms},
    {"content", "http://purl.org/rss/1.0/modules/content/"},
    {"media", Namespaces::Media},
    {"geo", Namespaces::Geo},
    {"googleplay", "http://www.google.com/schemas/play-podcasts/1.0"},
    {"sy", "http://purl.org/rss/1.0/modules/syndication/"},
    {"slash", Namespaces::Slash},
    {"wfw", "http://wellformedweb.org/CommentAPI/"},
};

// The URI as a slip would leave it: lowered, without blanks around it or a closing slash.
std::string Loosened(std::string_view uri)
{
    std::string loose = Lowered(Trimmed(uri));
    while (!loose.empty() && loose.back() == '/')
        loose.pop_back();
    return loose;
}

} // namespace

std::string_view KnownNamespaceUri(std::string_view prefix)
{
    for (const auto &[knownPrefix, uri] : Known)
        if (knownPrefix == prefix)
            return uri;
    return {};
}

TNamespaceDeclaration JudgeNamespaceDeclaration(std::string_view prefix, std::string_view uri)
{
    const std::string_view known = KnownNamespaceUri(prefix);
    if (known.empty() || uri == known || (known == Namespaces::Podcast && uri == Namespaces::PodcastFirst))
        return TNamespaceDeclaration::Right;
    if (known == Namespaces::Media && uri == known.substr(0, known.size() - 1))
        return TNamespaceDeclaration::Variant;
    return Loosened(uri) == Loosened(known) ? TNamespaceDeclaration::NearMiss
                                            : TNamespaceDeclaration::Different;
}
