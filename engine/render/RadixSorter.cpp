// RadixSorter: counting passes per key byte, skipping bytes that are zero in every record.
#include "engine/render/RadixSorter.h"

#include <algorithm>
#include <cstring>

const uint32_t* RadixSorter::Sort(const void* base, uint32_t keyBytes, uint32_t stride, uint32_t count)
{
    keyBytes = std::min({keyBytes, kMaxKeyBytes, stride});
    if (m_Indices.size() < count)
    {
        m_Indices.resize(count);
        m_Scratch.resize(count);
    }
    for (uint32_t i = 0; i < count; ++i)
        m_Indices[i] = i;
    if (count == 0 || keyBytes == 0 || base == nullptr)
        return m_Indices.data();

    const auto* bytes = static_cast<const uint8_t*>(base);
    std::memset(m_Histogram, 0, sizeof(m_Histogram));
    for (uint32_t i = 0; i < count; ++i)
    {
        const uint8_t* record = bytes + static_cast<size_t>(i) * stride;
        for (uint32_t b = 0; b < keyBytes; ++b)
            ++m_Histogram[b][record[b]];
    }

    for (uint32_t b = 0; b < keyBytes; ++b)
    {
        const uint32_t* counts = m_Histogram[b];
        if (counts[0] == count)
            continue; // zero in every record: this byte does not change the order
        uint32_t sum = 0;
        for (uint32_t v = 0; v < 256; ++v)
        {
            m_Offsets[v] = sum;
            sum += counts[v];
        }
        for (uint32_t i = 0; i < count; ++i)
        {
            const uint32_t index = m_Indices[i];
            const uint8_t value = bytes[static_cast<size_t>(index) * stride + b];
            m_Scratch[m_Offsets[value]++] = index;
        }
        m_Indices.swap(m_Scratch);
    }
    return m_Indices.data();
}
