#include "zelHash.h"

namespace {

[[noreturn]] void RaiseKeyNotFound(std::string_view key)
{
    throw EHashFindError("Key \"" + std::string(key) + "\" not found");
}

} // namespace

uint32_t HashKey(std::string_view key)
{
    if (key.empty())
        throw EHashInvalidKeyError("Key cannot be an empty string");
    uint32_t h = 0x12345670u;
    for (unsigned char b : key) {
        h = (h << 4) + b;
        const uint32_t g = h & 0xF0000000u;
        if (g != 0)
            h |= g >> 24; // the top bits stay set: an OR, not the usual clearing XOR
    }
    return h;
}

THash::THash() : buckets_(BucketCount) {}

THash::Place THash::Find(std::string_view key) const
{
    const uint32_t hash = HashKey(key);
    const int bucket = static_cast<int>(hash & BucketMask);
    const std::vector<HashEntry> &entries = buckets_[static_cast<size_t>(bucket)];
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].Hash == hash && entries[i].Key == key)
            return {true, hash, bucket, static_cast<int>(i)};
    return {false, hash, bucket, -1};
}

int32_t THash::ItemIndexOf(std::string_view key) const
{
    const Place place = Find(key);
    if (!place.found)
        RaiseKeyNotFound(key);
    return buckets_[static_cast<size_t>(place.bucket)][static_cast<size_t>(place.position)].ItemIndex;
}

int32_t THash::AddKey(const Place &place, std::string_view key)
{
    int32_t index;
    if (!freeIndexes_.empty()) {
        index = freeIndexes_.back();
        freeIndexes_.pop_back();
    } else {
        index = LastItemIndex() + 1;
    }
    if (index > LastItemIndex())
        ResizeItems(index + 1);
    buckets_[static_cast<size_t>(place.bucket)].push_back({place.hash, index, std::string(key)});
    ++count_;
    return index;
}

bool THash::Exists(std::string_view key) const
{
    return Find(key).found;
}

void THash::Delete(std::string_view key)
{
    const Place place = Find(key);
    if (!place.found)
        RaiseKeyNotFound(key);
    std::vector<HashEntry> &entries = buckets_[static_cast<size_t>(place.bucket)];
    const int32_t index = entries[static_cast<size_t>(place.position)].ItemIndex;
    ReleaseItem(index);
    freeIndexes_.push_back(index);
    // The bucket's last entry fills the hole: entry order within a bucket is not kept.
    if (static_cast<size_t>(place.position) + 1 != entries.size())
        entries[static_cast<size_t>(place.position)] = std::move(entries.back());
    entries.pop_back();
    --count_;
    if (compactEnabled_ && freeIndexes_.size() >= 100)
        Compact();
}

void THash::Compact()
{
    if (!compactEnabled_)
        return;
    const int n = LastItemIndex() + 1;
    std::vector<bool> isFree(static_cast<size_t>(n), false);
    std::vector<int32_t> map(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        map[static_cast<size_t>(k)] = k;
    for (int32_t k : freeIndexes_)
        isFree[static_cast<size_t>(k)] = true;

    // Move the highest used items into the lowest holes.
    int lo = 0;
    int hi = n - 1;
    while (hi > lo) {
        if (!isFree[static_cast<size_t>(lo)]) {
            ++lo;
            continue;
        }
        while (hi > lo && isFree[static_cast<size_t>(hi)])
            --hi;
        if (hi > lo) {
            isFree[static_cast<size_t>(lo)] = false;
            isFree[static_cast<size_t>(hi)] = true;
            MoveItem(hi, lo);
            map[static_cast<size_t>(hi)] = lo;
        }
    }
    int k = n - 1;
    while (k >= 0 && isFree[static_cast<size_t>(k)])
        --k;
    ResizeItems(k + 1);
    freeIndexes_.clear();
    for (std::vector<HashEntry> &entries : buckets_)
        for (HashEntry &entry : entries)
            entry.ItemIndex = map[static_cast<size_t>(entry.ItemIndex)];
}

void THash::Clear()
{
    ReleaseAllItems();
    freeIndexes_.clear();
    for (std::vector<HashEntry> &entries : buckets_)
        entries.clear();
    count_ = 0;
}
