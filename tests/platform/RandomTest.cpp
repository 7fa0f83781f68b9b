// Tests for the runtime-compatible random generator: the recurrence, its range, the default seed, reseeding.
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{

// The recurrence worked in 64-bit arithmetic and reduced modulo 2^32 by hand, then bits 16..30 taken by
// division, so it shares no shortcut with the generator under test.
std::vector<int> ExpectedSequence(uint64_t seed, size_t count)
{
    std::vector<int> values;
    uint64_t state = seed % 4294967296ull;
    for (size_t i = 0; i < count; ++i)
    {
        state = (state * 214013ull + 2531011ull) % 4294967296ull;
        values.push_back(static_cast<int>((state / 65536ull) % 32768ull));
    }
    return values;
}

std::vector<int> Draw(size_t count)
{
    std::vector<int> values;
    for (size_t i = 0; i < count; ++i)
        values.push_back(platform::Rand());
    return values;
}

} // namespace

TEST(RandomTest, SeedOneGivesTheRuntimesWellKnownSequence)
{
    // The first ten values of the classic runtime after srand(1), as widely documented.
    const std::vector<int> known = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    EXPECT_EQ(ExpectedSequence(1, known.size()), known);
    platform::SRand(1);
    EXPECT_EQ(Draw(known.size()), known);
}

TEST(RandomTest, FollowsTheRecurrenceForManySeeds)
{
    for (uint64_t seed : {0ull, 1ull, 2ull, 12345ull, 0x7FFFFFFFull, 0x80000000ull, 0xFFFFFFFFull})
    {
        platform::SRand(static_cast<unsigned int>(seed));
        EXPECT_EQ(Draw(1000), ExpectedSequence(seed, 1000)) << "seed " << seed;
    }
}

TEST(RandomTest, ValuesStayWithin0To32767AndCoverTheRange)
{
    platform::SRand(987654321u);
    int low = platform::kRandMax;
    int high = 0;
    for (int i = 0; i < 200000; ++i)
    {
        int v = platform::Rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, platform::kRandMax);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    // 200000 draws over 32768 values: both ends are reached to within a few values.
    EXPECT_LT(low, 16);
    EXPECT_GT(high, platform::kRandMax - 16);
    EXPECT_EQ(platform::kRandMax, 32767);
}

TEST(RandomTest, ReseedingRepeatsTheSequence)
{
    platform::SRand(4242u);
    std::vector<int> first = Draw(64);
    platform::Rand();
    platform::SRand(4242u);
    EXPECT_EQ(Draw(64), first);
    platform::SRand(4243u);
    EXPECT_NE(Draw(64), first);
}

TEST(RandomDeathTest, StartsAsIfSeededWithOne)
{
    // A fresh process (the test binary run again for this test alone) has never called SRand.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            bool ok = platform::Rand() == 41 && platform::Rand() == 18467 && platform::Rand() == 6334;
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
