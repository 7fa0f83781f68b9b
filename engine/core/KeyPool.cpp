// The process-wide pool of 20-byte animation key records, kept in blocks that never move.
#include "engine/core/KeyPool.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

KeyPool g_KeyPool;

KeyPool::~KeyPool()
{
    for (Block& block : m_blocks)
        delete[] block.pRecords;
    m_blocks.clear();
    m_uCount = 0;
    m_uCapacity = 0;
}

bool KeyPool::AddBlock(uint32_t capacity)
{
    if (capacity == 0 || capacity > std::numeric_limits<uint32_t>::max() - m_uCapacity)
        return false;
    uint8_t* records = new (std::nothrow) uint8_t[static_cast<size_t>(capacity) * kRecordSize];
    if (!records)
        return false;
    m_blocks.push_back({records, 0, capacity});
    m_uCapacity += capacity;
    return true;
}

void KeyPool::Reserve(uint32_t capacity)
{
    if (capacity > m_uCapacity)
        AddBlock(capacity - m_uCapacity);
}

const uint8_t* KeyPool::Find(const uint8_t* records, uint32_t n) const
{
    size_t bytes = static_cast<size_t>(n) * kRecordSize;
    // A match lies inside one block: records of two blocks are not contiguous in memory.
    for (const Block& block : m_blocks)
    {
        if (n > block.uCount)
            continue;
        for (uint32_t i = 0; i <= block.uCount - n; ++i)
        {
            const uint8_t* run = block.pRecords + static_cast<size_t>(i) * kRecordSize;
            if (std::memcmp(run, records, bytes) == 0)
                return run;
        }
    }
    return nullptr;
}

const void* KeyPool::Intern(const void* records, uint32_t n)
{
    if (m_uCapacity == 0)
        Reserve(kBlockRecords);
    if (m_blocks.empty())
        return nullptr;
    if (n == 0)
        return m_blocks.front().pRecords;
    if (!records)
        return nullptr;

    const uint8_t* given = static_cast<const uint8_t*>(records);
    if (n <= m_uCount)
    {
        if (const uint8_t* found = Find(given, n))
            return found;
    }

    if (n > std::numeric_limits<uint32_t>::max() - m_uCount)
        return nullptr;
    Block* last = &m_blocks.back();
    if (last->uCapacity - last->uCount < n)
    {
        // The rest of the last block stays unused: a run is never split over two blocks.
        if (!AddBlock(std::max(kBlockRecords, n)))
            return nullptr;
        last = &m_blocks.back();
    }
    uint8_t* run = last->pRecords + static_cast<size_t>(last->uCount) * kRecordSize;
    std::memcpy(run, given, static_cast<size_t>(n) * kRecordSize);
    last->uCount += n;
    m_uCount += n;
    return run;
}
