// The process-wide pool of 20-byte animation key records: identical runs read for different models share one copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class KeyPool
{
public:
    static constexpr uint32_t kRecordSize = 20;
    // Records reserved at first use, and the least a further block holds.
    static constexpr uint32_t kBlockRecords = 10000;

    KeyPool() = default;
    ~KeyPool();
    KeyPool(const KeyPool&) = delete;
    KeyPool& operator=(const KeyPool&) = delete;

    // Makes room for `capacity` records in all. Pooled records never move (callers keep pointers to them):
    // room beyond what the pool holds already comes as a further block.
    void Reserve(uint32_t capacity);

    // A run of `n` consecutive pooled records equal, byte for byte, to the `n` given ones, appended when the
    // pool has no such run. The pointer stays valid until the pool is destroyed at program exit; null only
    // when the room for an append cannot be had.
    const void* Intern(const void* records, uint32_t n);

    // Records in use and records the pool's blocks hold, over all blocks.
    uint32_t Count() const { return m_uCount; }
    uint32_t Capacity() const { return m_uCapacity; }
    size_t BlockCount() const { return m_blocks.size(); }

private:
    struct Block
    {
        uint8_t* pRecords;
        uint32_t uCount;
        uint32_t uCapacity;
    };

    bool AddBlock(uint32_t capacity);
    const uint8_t* Find(const uint8_t* records, uint32_t n) const;

    uint32_t m_uCount = 0;
    uint32_t m_uCapacity = 0;
    // In the order they were reserved; appends go to the last one.
    std::vector<Block> m_blocks;
};

extern KeyPool g_KeyPool;
