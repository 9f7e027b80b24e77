#include "EbuRoleCodes.h"

#include <algorithm>
#include <iterator>

namespace {

// In alphabetical order, so that a role is found by binary search. "artist/performer" is one code
// that Media RSS writes as either word ("artist" in its own examples); it also names "editor" and
// "vocalist" among its example roles.
constexpr std::string_view Roles[] = {
    "actor", "adaptor", "anchor person", "animal trainer", "animator", "announcer", "armourer",
    "art director", "artist", "artist/performer", "assistant camera", "assistant chief lighting technician",
    "assistant director", "assistant producer", "assistant visual editor", "author",
    "broadcast assistant", "broadcast journalist", "camera operator", "carpenter", "casting",
    "causeur", "chief lighting technician", "choir", "choreographer", "clapper loader",
    "commentary or commentator", "commissioning broadcaster", "composer", "computer programmer",
    "conductor", "consultant", "continuity checker", "correspondent", "costume designer", "dancer",
    "dialogue coach", "director", "director of photography", "distribution company", "draughtsman",
    "dresser", "dubber", "editor", "editor-in-chief", "editor-of-the-day", "editor/producer (news)",
    "ensemble", "executive producer", "expert", "fight director", "floor manager", "focus puller",
    "foley artist", "foley editor", "foley mixer", "graphic assistant", "graphic designer",
    "greensman", "grip", "hairdresser", "illustrator", "interviewed guest", "interviewer",
    "key character", "key grip", "key talents", "leadman", "librettist", "lighting director",
    "lighting technician", "location manager", "lyricist", "make up artist", "manufacturer",
    "matte artist", "music arranger", "music group", "musician", "news reader", "orchestra",
    "participant", "performer", "photographer", "post-production editor", "producer", "production assistant",
    "production company", "production department", "production manager", "production secretary",
    "programme production researcher", "property manager", "publishing company", "puppeteer",
    "pyrotechnician", "reporter", "rigger", "runner", "scenario", "scenic operative",
    "script supervisor", "second assistant camera", "second assistant director",
    "second unit director", "set designer", "set dresser", "sign language", "singer",
    "sound designer", "sound mixer", "sound recordist", "special effects", "stunts", "subtitles",
    "technical director", "translation", "transportation manager", "treatment / programme proposal",
    "vision mixer", "visual editor", "visual effects", "vocalist", "wardrobe", "witness",
};

static_assert(std::is_sorted(std::begin(Roles), std::end(Roles)));

} // namespace

bool IsEbuRoleCode(std::string_view role)
{
    return std::binary_search(std::begin(Roles), std::end(Roles), role);
}
