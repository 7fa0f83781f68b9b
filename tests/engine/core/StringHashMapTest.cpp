// Tests of HashString, NextHashPrime and the fixed-size name-keyed StringHashMap.
#include "engine/core/StringHashMap.h"
#include "engine/core/StringHash.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace
{
// h = h * 5 + c modulo 2^32 with c the byte as a signed value, worked in 64-bit signed arithmetic.
uint32_t ReferenceHash(const std::string& text)
{
    int64_t h = 0;
    for (unsigned char u : text)
    {
        int64_t c = u < 128 ? u : static_cast<int64_t>(u) - 256;
        h = (h * 5 + c) & 0xFFFFFFFFll;
    }
    return static_cast<uint32_t>(h);
}

std::vector<std::string> MakeNames(size_t count, const std::string& prefix)
{
    std::vector<std::string> names;
    names.reserve(count);
    for (size_t i = 0; i < count; ++i)
        names.push_back(prefix + std::to_string(i));
    return names;
}

// The value stored under the name, or `missing` when Find gives End.
int ValueOf(const StringHashMap<int>& map, const char* name, int missing = -9999)
{
    auto it = map.Find(name);
    return it == map.End() ? missing : it.Value();
}
} // namespace

TEST(StringHashTest, HashStringValues)
{
    EXPECT_EQ(HashString(""), 0u);
    EXPECT_EQ(HashString("A"), 65u);
    EXPECT_EQ(HashString("ab"), 97u * 5u + 98u);
    EXPECT_EQ(HashString("\xff"), 0xFFFFFFFFu);                  // -1
    EXPECT_EQ(HashString("\x80\x80"), 0x100000000ull - 768u);    // -128 * 5 - 128
    EXPECT_NE(HashString("Alert.ddt"), HashString("ALERT.DDT")); // case counts

    const std::vector<std::string> texts = {
        "Alert.ddt",
        "data\\textures\\caf\xe9.tga",
        "\xe9t\xe9",
        "\x7f\x80\x81\xfe\xff",
        "Z\xc0\xc1 mixed \xa0 bytes",
        std::string(40, '\xb7'),
        std::string(100, 'q') + "\x90 tail",
    };
    for (const std::string& text : texts)
        EXPECT_EQ(HashString(text.c_str()), ReferenceHash(text)) << text;
}

TEST(StringHashTest, NextHashPrimeBoundaries)
{
    EXPECT_EQ(NextHashPrime(0), 53u);
    EXPECT_EQ(NextHashPrime(53), 53u);
    EXPECT_EQ(NextHashPrime(54), 97u);
    EXPECT_EQ(NextHashPrime(256), 389u);
    EXPECT_EQ(NextHashPrime(389), 389u);
    EXPECT_EQ(NextHashPrime(390), 769u);
    EXPECT_EQ(NextHashPrime(1000), 1543u);
    EXPECT_EQ(NextHashPrime(1500), 1543u);
    EXPECT_EQ(NextHashPrime(3000), 3079u);
    EXPECT_EQ(NextHashPrime(3079), 3079u);
    EXPECT_EQ(NextHashPrime(3221225474u), 4294967291u);
    EXPECT_EQ(NextHashPrime(4294967291u), 4294967291u);
    EXPECT_EQ(NextHashPrime(4294967292u), 4294967292u); // above the last prime: n itself
    EXPECT_EQ(NextHashPrime(0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST(StringHashMapTest, EmptyMap)
{
    StringHashMap<int> map(256);
    EXPECT_EQ(map.GetBucketCount(), 389u);
    EXPECT_EQ(map.GetCount(), 0u);
    EXPECT_TRUE(map.Begin() == map.End());
    EXPECT_TRUE(map.Find("anything") == map.End());
    EXPECT_TRUE(map.Find("") == map.End());
    EXPECT_TRUE(map.Find(nullptr) == map.End());
    EXPECT_FALSE(map.Insert(nullptr, 1));
    EXPECT_EQ(map.GetCount(), 0u);
}

TEST(StringHashMapTest, FullMapRefusesFurtherNames)
{
    StringHashMap<int> map(256);
    ASSERT_EQ(map.GetBucketCount(), 389u);
    std::vector<std::string> names = MakeNames(390, "sample_");
    for (int i = 0; i < 389; ++i)
        EXPECT_TRUE(map.Insert(names[i].c_str(), i)) << i;
    EXPECT_EQ(map.GetCount(), 389u);

    EXPECT_FALSE(map.Insert(names[389].c_str(), 389));
    EXPECT_EQ(map.GetCount(), 389u);
    EXPECT_TRUE(map.Find(names[389].c_str()) == map.End()); // a full pass over a full table ends

    for (int i = 0; i < 389; ++i)
    {
        auto it = map.Find(names[i].c_str());
        ASSERT_TRUE(it != map.End()) << names[i];
        EXPECT_EQ(it.Value(), i);
        EXPECT_EQ(it.Key(), names[i].c_str()); // the key is the caller's text, not a copy
    }
}

TEST(StringHashMapTest, FindIgnoresCaseAcrossEmptyEntries)
{
    StringHashMap<int> map(256);
    const std::string stored = "Alert.ddt";
    ASSERT_NE(HashString("Alert.ddt") % map.GetBucketCount(), HashString("ALERT.DDT") % map.GetBucketCount());

    std::vector<std::string> others = MakeNames(40, "tex");
    for (size_t i = 0; i < others.size(); ++i)
        map.Insert(others[i].c_str(), static_cast<int>(i) + 100);
    ASSERT_TRUE(map.Insert(stored.c_str(), 7));

    for (const char* query : {"ALERT.DDT", "alert.ddt", "Alert.DDT", "Alert.ddt"})
    {
        auto it = map.Find(query);
        ASSERT_TRUE(it != map.End()) << query;
        EXPECT_EQ(it.Value(), 7);
        EXPECT_STREQ(it.Key(), "Alert.ddt");
    }
    EXPECT_TRUE(map.Find("Alert.dd") == map.End());
    EXPECT_TRUE(map.Find("Alert.ddtx") == map.End());
    EXPECT_EQ(ValueOf(map, "TEX5"), 105);
}

TEST(StringHashMapTest, RepeatedNameFindsTheFirstInsert)
{
    StringHashMap<int> map(100);
    const char* first = "Tree";
    const std::string second = "Tree"; // an equal text at another address
    EXPECT_TRUE(map.Insert(first, 1));
    EXPECT_TRUE(map.Insert(second.c_str(), 2));
    EXPECT_EQ(map.GetCount(), 2u);
    auto it = map.Find("Tree");
    ASSERT_TRUE(it != map.End());
    EXPECT_EQ(it.Value(), 1);
    EXPECT_EQ(it.Key(), first);
}

TEST(StringHashMapTest, ProbeWrapsFromTheLastBucket)
{
    StringHashMap<int> map(0);
    ASSERT_EQ(map.GetBucketCount(), 53u);
    // Two names whose start bucket is the last one: the second wraps to bucket 0.
    std::vector<std::string> lastBucket;
    for (int i = 0; lastBucket.size() < 2; ++i)
    {
        std::string name = "w" + std::to_string(i);
        if (HashString(name.c_str()) % 53u == 52u)
            lastBucket.push_back(name);
    }
    ASSERT_TRUE(map.Insert(lastBucket[0].c_str(), 1));
    ASSERT_TRUE(map.Insert(lastBucket[1].c_str(), 2));

    auto begin = map.Begin();
    EXPECT_EQ(begin.Key(), lastBucket[1].c_str()); // bucket 0 is the first occupied entry
    EXPECT_TRUE(map.Find(lastBucket[1].c_str()) == begin);
    EXPECT_EQ(ValueOf(map, lastBucket[0].c_str()), 1);
    ++begin;
    EXPECT_EQ(begin.Key(), lastBucket[0].c_str());
    ++begin;
    EXPECT_TRUE(begin == map.End());
    ++begin; // stepping from End stays there
    EXPECT_TRUE(begin == map.End());
}

TEST(StringHashMapTest, IterationVisitsEveryOccupiedEntryOnce)
{
    StringHashMap<int> map(1000);
    EXPECT_EQ(map.GetBucketCount(), 1543u);
    std::vector<std::string> names = MakeNames(300, "Model");
    for (size_t i = 0; i < names.size(); ++i)
        map.Insert(names[i].c_str(), static_cast<int>(i));

    std::set<int> seen;
    size_t steps = 0;
    for (auto it = map.Begin(); it != map.End(); ++it)
    {
        ++steps;
        seen.insert(it.Value());
        EXPECT_EQ(names[it.Value()].c_str(), it.Key());
    }
    EXPECT_EQ(steps, names.size());
    EXPECT_EQ(seen.size(), names.size());

    // Values can be changed in place.
    auto it = map.Find("model17");
    ASSERT_TRUE(it != map.End());
    it.Value() = -17;
    EXPECT_EQ(ValueOf(map, "Model17"), -17);
}

TEST(StringHashMapTest, ClearEmptiesTheTable)
{
    StringHashMap<int> map(3000);
    EXPECT_EQ(map.GetBucketCount(), 3079u);
    std::vector<std::string> names = MakeNames(50, "TEXT_ID_");
    for (size_t i = 0; i < names.size(); ++i)
        map.Insert(names[i].c_str(), static_cast<int>(i));
    map.Clear();

    EXPECT_EQ(map.GetCount(), 0u);
    EXPECT_TRUE(map.Begin() == map.End());
    for (const std::string& name : names)
        EXPECT_TRUE(map.Find(name.c_str()) == map.End()) << name;

    // The table is usable again afterwards.
    EXPECT_TRUE(map.Insert(names[3].c_str(), 33));
    EXPECT_EQ(map.GetCount(), 1u);
    EXPECT_EQ(ValueOf(map, "text_id_3"), 33);
}
