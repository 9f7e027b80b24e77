#pragma once
// A string-keyed hash table with a fixed 128 buckets. THash keeps the keys; each key
// refers by an item index to a value that the derived class keeps in its item array.
// Released indexes are reused last-in-first-out, and once 100 of them pile up the item
// array is compacted so the used items sit at the bottom again.
#include "zelException.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class EHashError : public Exception {
public:
    using Exception::Exception;
};
// "Key cannot be an empty string"
class EHashInvalidKeyError : public EHashError {
public:
    using EHashError::EHashError;
};
// "Key \"<key>\" not found"
class EHashFindError : public EHashError {
public:
    using EHashError::EHashError;
};

// The key's hash; raises EHashInvalidKeyError for an empty key.
uint32_t HashKey(std::string_view key);

struct HashEntry {
    uint32_t Hash;
    int32_t ItemIndex;
    std::string Key;
};

class THash {
public:
    static constexpr int BucketBits = 7;
    static constexpr int BucketCount = 1 << BucketBits;
    static constexpr int BucketMask = BucketCount - 1;

    THash();
    THash(const THash &) = delete;
    THash &operator=(const THash &) = delete;
    virtual ~THash() = default;

    bool Exists(std::string_view key) const;
    void Delete(std::string_view key);
    void Clear();
    void Compact();

    bool CompactEnabled() const { return compactEnabled_; }
    void SetCompactEnabled(bool enabled) { compactEnabled_ = enabled; }

    int Count() const { return count_; }
    // Released item indexes waiting for reuse, oldest first.
    const std::vector<int32_t> &FreeIndexes() const { return freeIndexes_; }
    const std::vector<HashEntry> &Bucket(int index) const { return buckets_[static_cast<size_t>(index)]; }
    // Highest index of the item array, -1 when it is empty.
    virtual int LastItemIndex() const = 0;

protected:
    virtual void ReleaseItem(int index) = 0;
    virtual void MoveItem(int from, int to) = 0;
    virtual void ResizeItems(int count) = 0;
    virtual void ReleaseAllItems() = 0;

    struct Place {
        bool found;
        uint32_t hash;
        int bucket;
        int position; // within the bucket, when found
    };
    Place Find(std::string_view key) const;
    // The item index of a found key, or raises EHashFindError.
    int32_t ItemIndexOf(std::string_view key) const;
    // Adds a new key at the place Find reported; returns its item index, for which the
    // item array is already long enough.
    int32_t AddKey(const Place &place, std::string_view key);

private:
    std::vector<std::vector<HashEntry>> buckets_;
    std::vector<int32_t> freeIndexes_;
    bool compactEnabled_ = true;
    int count_ = 0;
};

// Maps keys to objects of type T. When OwnsObjects is set, the table destroys the objects
// it releases: on Delete, Clear, replacement by SetObject and its own destruction.
template <class T>
class TObjectHash : public THash {
public:
    ~TObjectHash() override { ReleaseAllItems(); }

    bool OwnsObjects() const { return ownsObjects_; }
    void OwnsObjects(bool owns) { ownsObjects_ = owns; }

    // The object stored under the key (may be null); raises EHashFindError when absent.
    T *GetObject(std::string_view key) const { return items_[static_cast<size_t>(ItemIndexOf(key))]; }

    void SetObject(std::string_view key, T *object)
    {
        const Place place = Find(key);
        if (place.found) {
            T *&slot = items_[static_cast<size_t>(Bucket(place.bucket)[static_cast<size_t>(place.position)].ItemIndex)];
            // Storing the object already held must not destroy it.
            if (slot == object)
                return;
            if (ownsObjects_)
                delete slot;
            slot = object;
            return;
        }
        items_[static_cast<size_t>(AddKey(place, key))] = object;
    }

    int LastItemIndex() const override { return static_cast<int>(items_.size()) - 1; }

protected:
    void ReleaseItem(int index) override
    {
        T *&slot = items_[static_cast<size_t>(index)];
        if (ownsObjects_)
            delete slot;
        slot = nullptr;
    }
    void MoveItem(int from, int to) override { items_[static_cast<size_t>(to)] = items_[static_cast<size_t>(from)]; }
    void ResizeItems(int count) override { items_.resize(static_cast<size_t>(count), nullptr); }
    void ReleaseAllItems() override
    {
        if (ownsObjects_)
            for (T *object : items_)
                delete object;
        items_.clear();
    }

private:
    bool ownsObjects_ = false;
    std::vector<T *> items_;
};
