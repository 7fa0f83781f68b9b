// Tests of the id -> slot index against a plain map, in a table small enough that probe runs collide and wrap.
#include "world/IdSlotIndex.h"

#include "platform/Random.h"

#include <gtest/gtest.h>

#include <map>

TEST(IdSlotIndex, AgreesWithAMapThroughCollidingInsertsAndErases)
{
    for (uint32_t capacity : {1u, 5u, 16u, 200u})
    {
        IdSlotIndex index(capacity);
        std::map<uint32_t, uint32_t> reference;
        platform::SRand(capacity);
        for (int step = 0; step < 4000; ++step)
        {
            // Ids from a small range, so the same ones come back after being erased.
            const uint32_t id = uint32_t(platform::Rand()) % (capacity * 3 + 1) * 7919u;
            if (platform::Rand() % 2)
            {
                const uint32_t slot = uint32_t(platform::Rand());
                const bool room = reference.count(id) || reference.size() < capacity;
                ASSERT_EQ(index.Assign(id, slot), room) << capacity << " " << step;
                if (room)
                    reference[id] = slot;
            }
            else
            {
                ASSERT_EQ(index.Erase(id), reference.erase(id) == 1) << capacity << " " << step;
            }
            ASSERT_EQ(index.GetCount(), reference.size());
            for (auto [key, slot] : reference)
                ASSERT_EQ(index.Find(key), slot) << capacity << " " << step;
            ASSERT_EQ(index.Find(id), reference.count(id) ? reference[id] : IdSlotIndex::kNone);
        }
        index.Clear();
        EXPECT_EQ(index.GetCount(), 0u);
        for (auto [key, slot] : reference)
            EXPECT_EQ(index.Find(key), IdSlotIndex::kNone);
        // The no-object id is never stored.
        EXPECT_FALSE(index.Assign(IdSlotIndex::kNone, 1) || index.Erase(IdSlotIndex::kNone));
        EXPECT_EQ(std::pair(index.Find(IdSlotIndex::kNone), index.GetCount()), std::pair(IdSlotIndex::kNone, 0u));
    }
}
