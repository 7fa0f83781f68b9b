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
        h = (h * 5 + (u < 128 ? u : static_cast<int64_t>(u) - 256)) & 0xFFFFFFFFll;
    return static_cast<uint32_t>(h);
}

std::vector<std::string> MakeNames(size_t count, const std::string& prefix)
{
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i)
        names.push_back(prefix + std::to_string(i));
    return names;
}

// The value stored under the name, or -9999 when Find gives End.
int ValueOf(const StringHashMap<int>& map, const char* name)
{
    auto it = map.Find(name);
    return it == map.End() ? -9999 : it.Value();
}
} // namespace

TEST(StringHash, HashStringTakesBytesAsSignedAndNextHashPrimeFollowsTheList)
{
    EXPECT_EQ(HashString(""), 0u);
    EXPECT_EQ(HashString("\x80\x80"), 0x100000000ull - 768u); // -128 * 5 - 128
    for (const std::string& text : {std::string("Alert.ddt"), std::string("data\\textures\\caf\xe9.tga"),
                                    std::string("\x7f\x80\x81\xfe\xff"), std::string(100, 'q') + "\x90 tail"})
        EXPECT_EQ(HashString(text.c_str()), ReferenceHash(text)) << text;

    // Above the last prime of the list, n itself.
    const std::pair<uint32_t, uint32_t> primes[] = {{0, 53},
                                                    {53, 53},
                                                    {54, 97},
                                                    {256, 389},
                                                    {390, 769},
                                                    {1500, 1543},
                                                    {3000, 3079},
                                                    {3221225474u, 4294967291u},
                                                    {4294967291u, 4294967291u},
                                                    {4294967292u, 4294967292u}};
    for (const auto& [n, expected] : primes)
        EXPECT_EQ(NextHashPrime(n), expected) << n;
}

TEST(StringHashMap, FullMapRefusesFurtherNamesAndStillFindsEveryOne)
{
    StringHashMap<int> map(256);
    ASSERT_EQ(map.GetBucketCount(), 389u);
    EXPECT_TRUE(map.Begin() == map.End() && map.Find("anything") == map.End() && map.Find(nullptr) == map.End());
    EXPECT_FALSE(map.Insert(nullptr, 1));
    std::vector<std::string> names = MakeNames(390, "sample_");
    for (int i = 0; i < 389; ++i)
        EXPECT_TRUE(map.Insert(names[i].c_str(), i)) << i;
    EXPECT_FALSE(map.Insert(names[389].c_str(), 389));
    EXPECT_EQ(map.GetCount(), 389u);
    EXPECT_TRUE(map.Find(names[389].c_str()) == map.End()); // a full pass over a full table ends
    for (int i = 0; i < 389; ++i)
        EXPECT_TRUE(ValueOf(map, names[i].c_str()) == i && map.Find(names[i].c_str()).Key() == names[i].c_str())
            << names[i]; // the key is the caller's text, not a copy // the key is the caller's text, not a copy
}

TEST(StringHashMap, FindIgnoresCaseAcrossEmptyEntriesAndReturnsTheFirstInsert)
{
    StringHashMap<int> map(256);
    ASSERT_NE(HashString("Alert.ddt") % map.GetBucketCount(), HashString("ALERT.DDT") % map.GetBucketCount());
    std::vector<std::string> others = MakeNames(40, "tex");
    for (size_t i = 0; i < others.size(); ++i)
        map.Insert(others[i].c_str(), static_cast<int>(i) + 100);
    const char* first = "Alert.ddt";
    const std::string second = "Alert.ddt"; // an equal text at another address
    ASSERT_TRUE(map.Insert(first, 7) && map.Insert(second.c_str(), 8));
    for (const char* query : {"ALERT.DDT", "alert.ddt", "Alert.ddt"})
        EXPECT_TRUE(map.Find(query) != map.End() && map.Find(query).Key() == first) << query;
    EXPECT_TRUE(map.Find("Alert.dd") == map.End() && map.Find("Alert.ddtx") == map.End());
    EXPECT_EQ(ValueOf(map, "TEX5"), 105);
}

TEST(StringHashMap, ProbeWrapsFromTheLastBucketAndIterationFollowsBucketOrder)
{
    StringHashMap<int> map(0);
    ASSERT_EQ(map.GetBucketCount(), 53u);
    // Two names whose start bucket is the last one: the second wraps to bucket 0.
    std::vector<std::string> last;
    for (int i = 0; last.size() < 2; ++i)
        if (std::string name = "w" + std::to_string(i); HashString(name.c_str()) % 53u == 52u)
            last.push_back(name);
    ASSERT_TRUE(map.Insert(last[0].c_str(), 1) && map.Insert(last[1].c_str(), 2));
    auto it = map.Begin();
    EXPECT_EQ(it.Key(), last[1].c_str()); // bucket 0 is the first occupied entry
    EXPECT_TRUE(map.Find(last[1].c_str()) == it);
    EXPECT_EQ((++it).Key(), last[0].c_str());
    EXPECT_TRUE(++it == map.End());
    EXPECT_TRUE(++it == map.End()); // stepping from End stays there
}

TEST(StringHashMap, IterationVisitsEveryEntryOnceAndClearEmptiesTheTable)
{
    StringHashMap<int> map(1000);
    std::vector<std::string> names = MakeNames(300, "Model");
    for (size_t i = 0; i < names.size(); ++i)
        map.Insert(names[i].c_str(), static_cast<int>(i));
    std::set<int> seen;
    for (auto it = map.Begin(); it != map.End(); ++it)
        EXPECT_TRUE(seen.insert(it.Value()).second && names[it.Value()].c_str() == it.Key());
    EXPECT_EQ(seen.size(), names.size());
    map.Find("model17").Value() = -17; // values can be changed in place
    EXPECT_EQ(ValueOf(map, "Model17"), -17);

    map.Clear();
    EXPECT_TRUE(map.GetCount() == 0 && map.Begin() == map.End());
    for (const std::string& name : names)
        EXPECT_TRUE(map.Find(name.c_str()) == map.End()) << name;
    EXPECT_TRUE(map.Insert(names[3].c_str(), 33));
    EXPECT_EQ(ValueOf(map, "MODEL3"), 33);
}

TEST(StringHashMap, EraseEmptiesOneEntryAndKeepsKeysProbedPastItReachable)
{
    StringHashMap<int> map(0);
    // Three names sharing one start bucket: the later two sit past the first in probe order.
    std::vector<std::string> same;
    for (int i = 0; same.size() < 3; ++i)
        if (std::string name = "s" + std::to_string(i); HashString(name.c_str()) % 53u == 7u)
            same.push_back(name);
    for (size_t i = 0; i < same.size(); ++i)
        ASSERT_TRUE(map.Insert(same[i].c_str(), static_cast<int>(i)));
    EXPECT_TRUE(map.Erase(map.Find(same[0].c_str())));
    EXPECT_EQ(map.GetCount(), 2u);
    EXPECT_TRUE(map.Find(same[0].c_str()) == map.End());
    EXPECT_EQ(ValueOf(map, same[1].c_str()), 1);
    EXPECT_EQ(ValueOf(map, same[2].c_str()), 2);
    EXPECT_FALSE(map.Erase(map.End()));
    EXPECT_EQ(map.GetCount(), 2u);
    // The freed entry takes the next insert of that start bucket.
    ASSERT_TRUE(map.Insert(same[0].c_str(), 9));
    EXPECT_EQ(map.Begin().Key(), same[0].c_str());
}
