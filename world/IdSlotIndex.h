// IdSlotIndex: a fixed-size open-addressing map from object id to pool slot, so a lookup by id costs the same
// however many objects exist.
#pragma once

#include <cstdint>
#include <vector>

class IdSlotIndex
{
public:
    static constexpr uint32_t kNone = 0xFFFFFFFF;

    // Room for `capacity` entries; the table keeps at most half of its buckets in use.
    explicit IdSlotIndex(uint32_t capacity);

    // The slot of an id, or kNone.
    uint32_t Find(uint32_t id) const;
    // Sets the slot of an id, adding the id when it is new. False when the index is full or the id is kNone.
    bool Assign(uint32_t id, uint32_t slot);
    // Removes an id; false when it was not there.
    bool Erase(uint32_t id);
    void Clear();
    uint32_t GetCount() const { return m_uCount; }

private:
    struct Entry
    {
        uint32_t id;
        uint32_t slot;
    };

    uint32_t Home(uint32_t id) const { return (id * 0x9E3779B1u) >> m_uShift; }

    std::vector<Entry> m_Entries;
    uint32_t m_uMask = 0;
    uint32_t m_uShift = 0;
    uint32_t m_uCapacity = 0;
    uint32_t m_uCount = 0;
};
