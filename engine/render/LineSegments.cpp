// The thick line segment list and its 12-bit colours.
#include "engine/render/LineSegments.h"

#include <algorithm>

uint16_t PackLineColour(uint32_t colour)
{
    return static_cast<uint16_t>(((colour >> 12) & 0xF00) | ((colour >> 8) & 0xF0) | ((colour >> 4) & 0xF));
}

uint32_t UnpackLineColour(uint16_t packed)
{
    return 0xFF000000u | ((packed >> 8) & 0xFu) * 0x100000u | ((packed >> 4) & 0xFu) * 0x1000u |
           (packed & 0xFu) * 0x10u;
}

LineSegmentList::LineSegmentList(uint32_t capacity) : m_pEntries(new LineSegment[capacity]), m_uCapacity(capacity) {}

void LineSegmentList::Add(const platform::Vec3& start, const platform::Vec3& end, float width, uint32_t startColour,
                          uint32_t endColour)
{
    if (m_uCount >= m_uCapacity)
    {
        std::unique_ptr<LineSegment[]> grown(new LineSegment[m_uCapacity + kGrowth]);
        std::copy(m_pEntries.get(), m_pEntries.get() + m_uCount, grown.get());
        m_pEntries = std::move(grown);
        m_uCapacity += kGrowth;
    }
    m_pEntries[m_uCount++] = {{start.x, start.y, start.z},
                              width,
                              {end.x, end.y, end.z},
                              PackLineColour(startColour),
                              PackLineColour(endColour)};
}

void LineSegmentList::Reset()
{
    m_uCount = 0;
}
