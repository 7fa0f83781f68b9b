// IdSlotIndex: linear probing with Fibonacci hashing and backward-shift deletion (no tombstones).
#include "world/IdSlotIndex.h"

IdSlotIndex::IdSlotIndex(uint32_t capacity) : m_uCapacity(capacity)
{
    uint32_t bits = 1;
    while ((1u << bits) < capacity * 2u && bits < 31)
        ++bits;
    m_Entries.assign(1u << bits, Entry{kNone, kNone});
    m_uMask = (1u << bits) - 1;
    m_uShift = 32 - bits;
}

uint32_t IdSlotIndex::Find(uint32_t id) const
{
    if (id == kNone)
        return kNone;
    for (uint32_t i = Home(id);; i = (i + 1) & m_uMask)
    {
        const Entry& e = m_Entries[i];
        if (e.id == id)
            return e.slot;
        if (e.id == kNone)
            return kNone;
    }
}

bool IdSlotIndex::Assign(uint32_t id, uint32_t slot)
{
    if (id == kNone)
        return false;
    uint32_t i = Home(id);
    for (; m_Entries[i].id != kNone; i = (i + 1) & m_uMask)
    {
        if (m_Entries[i].id == id)
        {
            m_Entries[i].slot = slot;
            return true;
        }
    }
    if (m_uCount >= m_uCapacity)
        return false;
    m_Entries[i] = {id, slot};
    ++m_uCount;
    return true;
}

bool IdSlotIndex::Erase(uint32_t id)
{
    if (id == kNone)
        return false;
    uint32_t i = Home(id);
    while (m_Entries[i].id != id)
    {
        if (m_Entries[i].id == kNone)
            return false;
        i = (i + 1) & m_uMask;
    }
    // Pull later entries of the probe run back over the hole, so every entry stays reachable from its home.
    uint32_t hole = i;
    for (uint32_t j = (hole + 1) & m_uMask; m_Entries[j].id != kNone; j = (j + 1) & m_uMask)
    {
        const uint32_t home = Home(m_Entries[j].id);
        // The entry may move into the hole when its home does not lie cyclically in (hole, j].
        const bool homeBetween = hole < j ? (home > hole && home <= j) : (home > hole || home <= j);
        if (!homeBetween)
        {
            m_Entries[hole] = m_Entries[j];
            hole = j;
        }
    }
    m_Entries[hole] = {kNone, kNone};
    --m_uCount;
    return true;
}

void IdSlotIndex::Clear()
{
    m_Entries.assign(m_Entries.size(), Entry{kNone, kNone});
    m_uCount = 0;
}
