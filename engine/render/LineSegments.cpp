// The thick line segment list's storage.
#include "engine/render/LineSegments.h"

LineSegmentList::LineSegmentList(uint32_t capacity) : m_entries(capacity) {}

void LineSegmentList::Reset()
{
    m_uCount = 0;
}
