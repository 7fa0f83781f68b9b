// Tests of the key record pool: shared runs, overlapping matches, appends and growth past the first block.
#include "engine/core/KeyPool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

// A 20-byte record told apart by its number.
struct Key
{
    uint32_t values[5];
};
static_assert(sizeof(Key) == KeyPool::kRecordSize);

Key MakeKey(uint32_t number)
{
    return Key{{number, number * 3u + 1u, 0xA5A5A5A5u, ~number, 7u}};
}

std::vector<Key> MakeRun(uint32_t first, uint32_t n)
{
    std::vector<Key> run;
    for (uint32_t i = 0; i < n; ++i)
        run.push_back(MakeKey(first + i));
    return run;
}

const Key* Intern(KeyPool& pool, const std::vector<Key>& run)
{
    return static_cast<const Key*>(pool.Intern(run.data(), static_cast<uint32_t>(run.size())));
}

bool Holds(const Key* pooled, const std::vector<Key>& run)
{
    return std::memcmp(pooled, run.data(), run.size() * sizeof(Key)) == 0;
}

TEST(KeyPoolIntern, FirstUseReservesTenThousandAndAppends)
{
    KeyPool pool;
    EXPECT_EQ(pool.Capacity(), 0u);
    std::vector<Key> run = MakeRun(1, 3);
    const Key* pooled = Intern(pool, run);
    ASSERT_NE(pooled, nullptr);
    EXPECT_NE(pooled, run.data());
    EXPECT_TRUE(Holds(pooled, run));
    EXPECT_EQ(pool.Count(), 3u);
    EXPECT_EQ(pool.Capacity(), 10000u);
}

TEST(KeyPoolIntern, SameRunTwiceIsStoredOnce)
{
    KeyPool pool;
    const Key* first = Intern(pool, MakeRun(1, 4));
    const Key* second = Intern(pool, MakeRun(1, 4));
    EXPECT_EQ(second, first);
    EXPECT_EQ(pool.Count(), 4u);
}

TEST(KeyPoolIntern, RunSpanningTwoEarlierRunsIsFoundInsideThePool)
{
    KeyPool pool;
    const Key* a = Intern(pool, MakeRun(1, 3)); // keys 1 2 3
    const Key* b = Intern(pool, MakeRun(4, 2)); // keys 4 5
    ASSERT_EQ(b, a + 3);

    // The last two keys of the first run followed by the first key of the next.
    const Key* spanning = Intern(pool, MakeRun(2, 3));
    EXPECT_EQ(spanning, a + 1);
    EXPECT_EQ(pool.Count(), 5u);

    // A run starting in the middle of an earlier run.
    EXPECT_EQ(Intern(pool, MakeRun(3, 1)), a + 2);
    EXPECT_EQ(pool.Count(), 5u);
}

TEST(KeyPoolIntern, FirstOfSeveralMatchesWins)
{
    KeyPool pool;
    const Key* a = Intern(pool, {MakeKey(9), MakeKey(8), MakeKey(9), MakeKey(8)});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(pool.Count(), 4u);
    EXPECT_EQ(Intern(pool, {MakeKey(9), MakeKey(8)}), a);
    EXPECT_EQ(Intern(pool, {MakeKey(8)}), a + 1);
}

TEST(KeyPoolIntern, RunLongerThanEverythingPooledAppends)
{
    KeyPool pool;
    const Key* a = Intern(pool, MakeRun(1, 2));
    // Its first two records equal everything pooled, yet it cannot be found: it is longer.
    std::vector<Key> longer = MakeRun(1, 3);
    const Key* appended = Intern(pool, longer);
    EXPECT_EQ(appended, a + 2);
    EXPECT_TRUE(Holds(appended, longer));
    EXPECT_EQ(pool.Count(), 5u);
}

TEST(KeyPoolIntern, OneDifferingByteMeansNoMatch)
{
    KeyPool pool;
    std::vector<Key> run = MakeRun(1, 2);
    const Key* a = Intern(pool, run);
    std::vector<Key> changed = run;
    reinterpret_cast<uint8_t*>(changed.data())[2 * sizeof(Key) - 1] ^= 0x01;
    const Key* b = Intern(pool, changed);
    EXPECT_EQ(b, a + 2);
    EXPECT_TRUE(Holds(b, changed));
    EXPECT_EQ(pool.Count(), 4u);
}

TEST(KeyPoolIntern, EmptyRunAppendsNothing)
{
    KeyPool pool;
    EXPECT_NE(pool.Intern(nullptr, 0), nullptr);
    EXPECT_EQ(pool.Count(), 0u);
    Intern(pool, MakeRun(1, 2));
    EXPECT_NE(pool.Intern(nullptr, 0), nullptr);
    EXPECT_EQ(pool.Count(), 2u);
}

TEST(KeyPoolGrowth, AppendPastFirstBlockKeepsEarlierRecords)
{
    KeyPool pool;
    std::vector<Key> big = MakeRun(0, 9998);
    const Key* first = Intern(pool, big);
    ASSERT_NE(first, nullptr);
    const Key* lastTwo = first + 9996;

    // Five new records do not fit in the two left: they go to a further block, nothing moves.
    std::vector<Key> more = MakeRun(20000, 5);
    const Key* second = Intern(pool, more);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(Holds(second, more));
    EXPECT_EQ(pool.Count(), 10003u);
    EXPECT_EQ(pool.BlockCount(), 2u);
    EXPECT_EQ(pool.Capacity(), 20000u);
    EXPECT_TRUE(Holds(first, big));
    EXPECT_EQ(Intern(pool, MakeRun(9996, 2)), lastTwo);

    // Records of two blocks are not contiguous, so a run across the boundary is appended as new.
    std::vector<Key> across = {MakeKey(9997), MakeKey(20000)};
    const Key* appended = Intern(pool, across);
    EXPECT_EQ(appended, second + 5);
    EXPECT_TRUE(Holds(appended, across));
    EXPECT_EQ(pool.Count(), 10005u);

    // A run inside the later block is found there.
    EXPECT_EQ(Intern(pool, MakeRun(20001, 3)), second + 1);
    EXPECT_EQ(pool.Count(), 10005u);
}

TEST(KeyPoolGrowth, RunLargerThanABlockGetsABlockOfItsOwn)
{
    KeyPool pool;
    Intern(pool, MakeRun(0, 10));
    std::vector<Key> huge = MakeRun(100000, 15000);
    const Key* pooled = Intern(pool, huge);
    ASSERT_NE(pooled, nullptr);
    EXPECT_TRUE(Holds(pooled, huge));
    EXPECT_EQ(pool.Capacity(), 25000u);
    EXPECT_EQ(pool.Count(), 15010u);
    EXPECT_EQ(Intern(pool, MakeRun(100000 + 14990, 10)), pooled + 14990);
}

TEST(KeyPoolGrowth, ReserveNeverMovesPooledRecords)
{
    KeyPool pool;
    std::vector<Key> run = MakeRun(1, 6);
    const Key* pooled = Intern(pool, run);
    pool.Reserve(30000);
    EXPECT_GE(pool.Capacity(), 30000u);
    EXPECT_TRUE(Holds(pooled, run));
    EXPECT_EQ(Intern(pool, run), pooled);
    // Reserving no more than is held changes nothing.
    uint32_t capacity = pool.Capacity();
    pool.Reserve(100);
    EXPECT_EQ(pool.Capacity(), capacity);
}

TEST(KeyPoolGrowth, ReserveBeforeFirstUseSetsTheFirstBlock)
{
    KeyPool pool;
    pool.Reserve(4);
    EXPECT_EQ(pool.Capacity(), 4u);
    const Key* a = Intern(pool, MakeRun(1, 3));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(pool.BlockCount(), 1u);
    // Two more do not fit in the one record left.
    const Key* b = Intern(pool, MakeRun(10, 2));
    EXPECT_EQ(pool.BlockCount(), 2u);
    EXPECT_EQ(pool.Capacity(), 4u + 10000u);
    EXPECT_TRUE(Holds(a, MakeRun(1, 3)));
    EXPECT_TRUE(Holds(b, MakeRun(10, 2)));
}

TEST(KeyPoolGlobal, SharedPoolInternsOnce)
{
    std::vector<Key> run = {MakeKey(0xC0FFEE), MakeKey(0xBEEF)};
    const void* first = g_KeyPool.Intern(run.data(), 2);
    ASSERT_NE(first, nullptr);
    uint32_t count = g_KeyPool.Count();
    EXPECT_EQ(g_KeyPool.Intern(run.data(), 2), first);
    EXPECT_EQ(g_KeyPool.Count(), count);
}

} // namespace
