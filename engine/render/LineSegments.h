// The per-frame list of thick line segments drawn as camera-facing ribbons.
#pragma once

#include <cstdint>
#include <vector>

// One segment: start, width, end and the two colours packed to 12 bits (4 bits a channel).
struct LineSegment
{
    float m_fStart[3];
    float m_fWidth;
    float m_fEnd[3];
    uint16_t m_uStartColour;
    uint16_t m_uEndColour;
};

class LineSegmentList
{
public:
    static constexpr uint32_t kInitialCapacity = 1000;

    explicit LineSegmentList(uint32_t capacity = kInitialCapacity);

    // Empties the list (its room stays).
    void Reset();
    uint32_t GetCount() const { return m_uCount; }
    uint32_t GetCapacity() const { return static_cast<uint32_t>(m_entries.size()); }

private:
    std::vector<LineSegment> m_entries;
    uint32_t m_uCount = 0;
};
