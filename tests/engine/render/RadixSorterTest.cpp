// Tests of the radix sorter against std::stable_sort over the same records.
#include "engine/render/RadixSorter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

namespace
{
struct Record
{
    uint64_t key;
    uint32_t payload;
    uint32_t pad;
};

std::vector<uint32_t> ReferenceOrder(const std::vector<Record>& records, uint64_t keyMask)
{
    std::vector<uint32_t> order(records.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return (records[a].key & keyMask) < (records[b].key & keyMask); });
    return order;
}
} // namespace

TEST(RadixSorterTest, MatchesAStableSortForEveryKeyWidth)
{
    std::minstd_rand random(1234);
    std::vector<Record> records(700);
    for (auto& r : records)
    {
        // Few distinct values per byte so equal keys are common and stability is tested.
        r.key = 0;
        for (int b = 0; b < 8; ++b)
            r.key |= static_cast<uint64_t>(random() % 3 * 0x51) << (8 * b);
    }
    RadixSorter sorter;
    for (uint32_t keyBytes = 1; keyBytes <= 8; ++keyBytes)
    {
        const uint64_t mask = keyBytes == 8 ? ~0ull : (1ull << (8 * keyBytes)) - 1;
        const uint32_t* sorted = sorter.Sort(records.data(), keyBytes, sizeof(Record), 700);
        EXPECT_EQ(std::vector<uint32_t>(sorted, sorted + 700), ReferenceOrder(records, mask)) << keyBytes;
    }
}

TEST(RadixSorterTest, BytesZeroEverywhereAndHighBytesOrderCorrectly)
{
    // Keys differ only in byte 5; bytes 0..4 are zero in every record and are skipped.
    std::vector<Record> records = {{5ull << 40, 0, 0}, {1ull << 40, 1, 0}, {5ull << 40, 2, 0}, {0, 3, 0}};
    RadixSorter sorter;
    const uint32_t* sorted = sorter.Sort(records.data(), 8, sizeof(Record), 4);
    EXPECT_EQ(std::vector<uint32_t>(sorted, sorted + 4), (std::vector<uint32_t>{3, 1, 0, 2}));
}

TEST(RadixSorterTest, GrowsAndShrinksAndToleratesEmptyInput)
{
    RadixSorter sorter;
    sorter.Sort(nullptr, 8, 8, 0);
    std::vector<uint64_t> keys = {3, 2, 1};
    const uint32_t* sorted = sorter.Sort(keys.data(), 8, 8, 3);
    EXPECT_EQ(std::vector<uint32_t>(sorted, sorted + 3), (std::vector<uint32_t>{2, 1, 0}));
    std::vector<uint64_t> more(1000);
    for (size_t i = 0; i < more.size(); ++i)
        more[i] = 1000 - i;
    sorted = sorter.Sort(more.data(), 8, 8, 1000);
    EXPECT_TRUE(sorted[0] == 999u && sorted[999] == 0u);
    sorted = sorter.Sort(keys.data(), 8, 8, 2);
    EXPECT_EQ(std::vector<uint32_t>(sorted, sorted + 2), (std::vector<uint32_t>{1, 0}));
    // A key wider than the stride reads only the stride's bytes.
    std::vector<uint8_t> narrow = {9, 4, 7};
    sorted = sorter.Sort(narrow.data(), 8, 1, 3);
    EXPECT_EQ(std::vector<uint32_t>(sorted, sorted + 3), (std::vector<uint32_t>{1, 2, 0}));
}
