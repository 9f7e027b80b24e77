#pragma once
// After the upload: what listeners and the podcast directories will get from the public URLs.
// Each file must answer 200 with the length and type the feed gives, and a byte range request
// with 206 (players seek with ranges, and Apple requires them); the cover, as served, must be a
// picture 1400 to 3000 pixels square. Each file costs three small requests of bounded time.
#include <cstdint>
#include <string>
#include <vector>

struct TLiveTarget {
    std::string Name;          // as the report names it (the remote name)
    std::string Url;
    std::int64_t Length = -1;  // the bytes it must have, -1 when unknown
    std::string Type;          // the type it must be served as, "" when the feed gives none
    bool IsCover = false;
};

// One line per miss, each naming the file; empty when everything answered as it should.
std::vector<std::string> LiveCheckMisses(const std::vector<TLiveTarget> &targets, const std::string &caFile);
