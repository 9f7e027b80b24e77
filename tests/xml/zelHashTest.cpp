#include "zelHash.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// Counts its destructions, so tests see exactly which objects a table destroyed.
struct Tracked {
    explicit Tracked(int id, std::map<int, int> &deaths) : id(id), deaths(deaths) {}
    ~Tracked() { ++deaths[id]; }
    int id;
    std::map<int, int> &deaths;
};

template <class Body>
std::string MessageOf(Body body)
{
    try {
        body();
    } catch (const EHashError &e) {
        return e.Message();
    }
    return "no error";
}

// Keys "k0", "k1", ... that land in the same bucket as the first of them.
std::vector<std::string> KeysSharingABucket(size_t count)
{
    std::vector<std::string> keys;
    const uint32_t bucket = HashKey("k0") & THash::BucketMask;
    for (int i = 0; keys.size() < count; ++i) {
        const std::string key = "k" + std::to_string(i);
        if ((HashKey(key) & THash::BucketMask) == bucket)
            keys.push_back(key);
    }
    return keys;
}

} // namespace

TEST(HashKey, FixedValues)
{
    EXPECT_EQ(HashKey("abc"), 0x456767C3u);
    EXPECT_EQ(HashKey("abc") & THash::BucketMask, 67u);
    EXPECT_EQ(HashKey("a"), 0x23456761u);
    EXPECT_EQ(HashKey("\xFF"), 0x234567FFu); // bytes count as 0..255, not signed
    // The top four bits are not cleared after the OR step.
    EXPECT_EQ(HashKey("abcdefghij"), 0xDEFEFEFAu);
    EXPECT_EQ(HashKey("channel"), 0x6BE877FCu);
    EXPECT_EQ(MessageOf([] { HashKey(""); }), "Key cannot be an empty string");
}

TEST(ObjectHash, EmptyKeyAndMissingKeyErrors)
{
    TObjectHash<int> table;
    EXPECT_THROW(table.Exists(""), EHashInvalidKeyError);
    EXPECT_THROW(table.SetObject("", nullptr), EHashInvalidKeyError);
    EXPECT_THROW(table.Delete(""), EHashInvalidKeyError);
    EXPECT_EQ(MessageOf([&] { table.GetObject(""); }), "Key cannot be an empty string");
    EXPECT_THROW(table.GetObject("x"), EHashFindError);
    EXPECT_EQ(MessageOf([&] { table.GetObject("item 7"); }), "Key \"item 7\" not found");
    EXPECT_EQ(MessageOf([&] { table.Delete("gone"); }), "Key \"gone\" not found");
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.LastItemIndex(), -1);
}

TEST(ObjectHash, KeysAreExactAndCaseSensitive)
{
    int a = 1, b = 2, c = 3;
    TObjectHash<int> table;
    table.SetObject("id", &a);
    table.SetObject("ID", &b);
    table.SetObject("id ", &c);
    EXPECT_EQ(table.GetObject("id"), &a);
    EXPECT_EQ(table.GetObject("ID"), &b);
    EXPECT_EQ(table.GetObject("id "), &c);
    EXPECT_FALSE(table.Exists("Id"));
    table.SetObject("k", nullptr);
    EXPECT_TRUE(table.Exists("k"));
    EXPECT_EQ(table.GetObject("k"), nullptr);
}

TEST(ObjectHash, SharedBucketSurvivesDeletingItsFirstKey)
{
    const std::vector<std::string> keys = KeysSharingABucket(3);
    int values[3] = {10, 11, 12};
    TObjectHash<int> table;
    for (int i = 0; i < 3; ++i)
        table.SetObject(keys[i], &values[i]);
    const int bucket = static_cast<int>(HashKey(keys[0]) & THash::BucketMask);
    ASSERT_EQ(table.Bucket(bucket).size(), 3u);

    table.Delete(keys[0]);
    ASSERT_EQ(table.Bucket(bucket).size(), 2u);
    EXPECT_EQ(table.Bucket(bucket)[0].Key, keys[2]); // the last entry filled the hole
    EXPECT_EQ(table.GetObject(keys[1]), &values[1]);
    EXPECT_EQ(table.GetObject(keys[2]), &values[2]);
    EXPECT_FALSE(table.Exists(keys[0]));
}

TEST(ObjectHash, ReleasedIndexesAreReusedLastInFirstOut)
{
    int v[6] = {};
    TObjectHash<int> table;
    table.SetObject("a", &v[0]); // index 0
    table.SetObject("b", &v[1]); // 1
    table.SetObject("c", &v[2]); // 2
    table.SetObject("d", &v[3]); // 3
    table.Delete("b");
    table.Delete("d");
    EXPECT_EQ(table.FreeIndexes(), (std::vector<int32_t>{1, 3}));
    table.SetObject("e", &v[4]);
    table.SetObject("f", &v[5]);
    EXPECT_EQ(table.Bucket(HashKey("e") & THash::BucketMask).back().ItemIndex, 3);
    EXPECT_EQ(table.Bucket(HashKey("f") & THash::BucketMask).back().ItemIndex, 1);
    EXPECT_TRUE(table.FreeIndexes().empty());
    EXPECT_EQ(table.LastItemIndex(), 3);
    EXPECT_EQ(table.GetObject("e"), &v[4]);
    EXPECT_EQ(table.GetObject("f"), &v[5]);
}

TEST(ObjectHash, HundredthReleaseCompactsAndEveryKeyKeepsItsObject)
{
    std::map<int, int> deaths;
    TObjectHash<Tracked> table;
    table.OwnsObjects(true);
    for (int i = 0; i < 250; ++i)
        table.SetObject("key" + std::to_string(i), new Tracked(i, deaths));
    // Delete every even key below 200: the 100th delete compacts.
    for (int i = 0; i < 198; i += 2)
        table.Delete("key" + std::to_string(i));
    EXPECT_EQ(table.FreeIndexes().size(), 99u);
    EXPECT_EQ(table.LastItemIndex(), 249);
    table.Delete("key198");
    EXPECT_TRUE(table.FreeIndexes().empty());
    EXPECT_EQ(table.LastItemIndex(), 149);
    EXPECT_EQ(table.Count(), 150);
    for (int i = 0; i < 250; ++i) {
        const std::string key = "key" + std::to_string(i);
        if (i < 200 && i % 2 == 0) {
            EXPECT_FALSE(table.Exists(key));
            EXPECT_EQ(deaths[i], 1);
        } else {
            ASSERT_TRUE(table.Exists(key));
            EXPECT_EQ(table.GetObject(key)->id, i);
            EXPECT_EQ(deaths[i], 0);
        }
    }
    // Indexes after compaction are 0..149, each used once.
    std::vector<int> used(150, 0);
    for (int b = 0; b < THash::BucketCount; ++b)
        for (const HashEntry &entry : table.Bucket(b))
            ++used[static_cast<size_t>(entry.ItemIndex)];
    EXPECT_EQ(used, std::vector<int>(150, 1));
}

TEST(ObjectHash, DeletingEveryKeyEmptiesTheItemArray)
{
    TObjectHash<int> table;
    int value = 0;
    for (int i = 0; i < 100; ++i)
        table.SetObject(std::to_string(i), &value);
    for (int i = 0; i < 100; ++i)
        table.Delete(std::to_string(i));
    EXPECT_EQ(table.LastItemIndex(), -1);
    EXPECT_TRUE(table.FreeIndexes().empty());
    EXPECT_EQ(table.Count(), 0);
}

TEST(ObjectHash, CompactionCanBeSwitchedOff)
{
    TObjectHash<int> table;
    table.SetCompactEnabled(false);
    int value = 0;
    for (int i = 0; i < 120; ++i)
        table.SetObject(std::to_string(i), &value);
    for (int i = 0; i < 110; ++i)
        table.Delete(std::to_string(i));
    EXPECT_EQ(table.FreeIndexes().size(), 110u);
    EXPECT_EQ(table.LastItemIndex(), 119);
    table.Compact(); // does nothing while switched off
    EXPECT_EQ(table.LastItemIndex(), 119);
    table.SetCompactEnabled(true);
    table.Compact();
    EXPECT_EQ(table.LastItemIndex(), 9);
    for (int i = 110; i < 120; ++i)
        EXPECT_EQ(table.GetObject(std::to_string(i)), &value);
}

TEST(ObjectHash, ClearDestroysOnlyOwnedObjectsAndEmptiesBuckets)
{
    std::map<int, int> deaths;
    {
        TObjectHash<Tracked> owning;
        owning.OwnsObjects(true);
        owning.SetObject("a", new Tracked(1, deaths));
        owning.SetObject("b", new Tracked(2, deaths));
        owning.Clear();
        EXPECT_EQ(deaths[1], 1);
        EXPECT_EQ(deaths[2], 1);
        EXPECT_FALSE(owning.Exists("a"));
        EXPECT_EQ(owning.LastItemIndex(), -1);
        owning.SetObject("c", new Tracked(3, deaths)); // destroyed with the table
    }
    EXPECT_EQ(deaths[3], 1);

    Tracked kept(4, deaths);
    {
        TObjectHash<Tracked> borrowing;
        borrowing.SetObject("a", &kept);
        borrowing.Clear();
        for (int b = 0; b < THash::BucketCount; ++b)
            EXPECT_TRUE(borrowing.Bucket(b).empty());
        borrowing.SetObject("a", &kept);
        borrowing.Delete("a");
    }
    EXPECT_EQ(deaths[4], 0);
}

TEST(ObjectHash, ReplacingDestroysThePreviousObjectOnce)
{
    std::map<int, int> deaths;
    TObjectHash<Tracked> table;
    table.OwnsObjects(true);
    auto *first = new Tracked(1, deaths);
    table.SetObject("k", first);
    table.SetObject("k", new Tracked(2, deaths));
    EXPECT_EQ(deaths[1], 1);
    EXPECT_EQ(table.GetObject("k")->id, 2);
    // Storing the object already held keeps it alive.
    Tracked *second = table.GetObject("k");
    table.SetObject("k", second);
    EXPECT_EQ(deaths[2], 0);
    EXPECT_EQ(table.GetObject("k"), second);
    EXPECT_EQ(table.LastItemIndex(), 0);
}

TEST(ObjectHash, NestedOwningTablesAsTheIdIndexUsesThem)
{
    std::map<int, int> deaths;
    Tracked node(7, deaths);
    TObjectHash<TObjectHash<Tracked>> byName;
    byName.OwnsObjects(true);
    auto perName = std::make_unique<TObjectHash<Tracked>>();
    perName->SetObject("42", &node);
    byName.SetObject("item", perName.release());
    EXPECT_EQ(byName.GetObject("item")->GetObject("42"), &node);
    byName.Clear(); // destroys the per-name table, not the node
    EXPECT_EQ(deaths[7], 0);
}
