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
    return pooled && std::memcmp(pooled, run.data(), run.size() * sizeof(Key)) == 0;
}

TEST(KeyPool, EqualRunsAreSharedWhereverTheyStartAndOthersAppended)
{
    KeyPool pool;
    EXPECT_NE(pool.Intern(nullptr, 0), nullptr);
    const Key* a = Intern(pool, MakeRun(1, 3)); // keys 1 2 3, in a copy of its own
    ASSERT_TRUE(Holds(a, MakeRun(1, 3)));
    EXPECT_EQ(pool.Capacity(), 10000u);
    // A run as long as everything pooled matches it whole.
    EXPECT_EQ(Intern(pool, MakeRun(1, 3)), a);
    EXPECT_EQ(pool.Count(), 3u);
    EXPECT_EQ(Intern(pool, MakeRun(4, 2)), a + 3); // keys 4 5
    EXPECT_EQ(Intern(pool, MakeRun(1, 3)), a);
    // The last two keys of the first run followed by the first key of the next; a run inside one.
    EXPECT_EQ(Intern(pool, MakeRun(2, 3)), a + 1);
    EXPECT_EQ(Intern(pool, MakeRun(3, 1)), a + 2);
    EXPECT_EQ(pool.Count(), 5u);

    // Longer than everything pooled, though it starts like it: appended.
    EXPECT_EQ(Intern(pool, MakeRun(1, 6)), a + 5);
    EXPECT_EQ(Intern(pool, MakeRun(2, 2)), a + 1); // of two equal runs, the first wins
    // One differing byte means no match.
    std::vector<Key> changed = MakeRun(1, 2);
    reinterpret_cast<uint8_t*>(changed.data())[2 * sizeof(Key) - 1] ^= 0x01;
    EXPECT_EQ(Intern(pool, changed), a + 11);
    EXPECT_TRUE(Holds(a + 11, changed));
    EXPECT_EQ(pool.Count(), 13u);
}

TEST(KeyPool, AppendPastFirstBlockChainsABlockAndMovesNothing)
{
    KeyPool pool;
    std::vector<Key> big = MakeRun(0, 9998);
    const Key* first = Intern(pool, big);
    ASSERT_NE(first, nullptr);
    // Five new records do not fit in the two left: they go to a further block.
    std::vector<Key> more = MakeRun(20000, 5);
    const Key* second = Intern(pool, more);
    ASSERT_TRUE(Holds(second, more));
    EXPECT_EQ(pool.BlockCount(), 2u);
    EXPECT_TRUE(Holds(first, big));
    EXPECT_EQ(Intern(pool, MakeRun(9996, 2)), first + 9996);
    // Records of two blocks are not contiguous, so a run across the boundary is appended as new.
    std::vector<Key> across = {MakeKey(9997), MakeKey(20000)};
    EXPECT_EQ(Intern(pool, across), second + 5);
    EXPECT_TRUE(Holds(second + 5, across));
    EXPECT_EQ(Intern(pool, MakeRun(20001, 3)), second + 1);
    EXPECT_EQ(pool.Count(), 10005u);

    // A run larger than a block gets a block of its own; Reserve adds room without moving anything.
    std::vector<Key> huge = MakeRun(100000, 15000);
    const Key* pooled = Intern(pool, huge);
    ASSERT_TRUE(Holds(pooled, huge));
    EXPECT_EQ(Intern(pool, MakeRun(100000 + 14990, 10)), pooled + 14990);
    pool.Reserve(60000);
    EXPECT_GE(pool.Capacity(), 60000u);
    EXPECT_TRUE(Holds(first, big) && Holds(second, more));
    EXPECT_EQ(Intern(pool, big), first);
}

} // namespace
