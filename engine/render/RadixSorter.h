// RadixSorter: a stable byte-wise index sort of fixed-stride records by their leading key bytes (byte 0 lowest).
#pragma once

#include <cstdint>
#include <vector>

class RadixSorter
{
public:
    // Sorts the indices of `count` records of `stride` bytes at `base` by their first `keyBytes` bytes, read as a
    // little-endian number; equal keys keep their order. Returns the sorted indices (valid until the next Sort).
    // keyBytes above 8 are treated as 8, and above the stride as the stride.
    const uint32_t* Sort(const void* base, uint32_t keyBytes, uint32_t stride, uint32_t count);
    // The order left by the last Sort.
    const uint32_t* GetIndices() const { return m_Indices.data(); }

private:
    static constexpr uint32_t kMaxKeyBytes = 8;
    uint32_t m_Histogram[kMaxKeyBytes][256] = {};
    uint32_t m_Offsets[256] = {};
    std::vector<uint32_t> m_Indices;
    std::vector<uint32_t> m_Scratch;
};
