// The per-frame list of thick line segments drawn as camera-facing ribbons, and the line sets some models carry.
#pragma once

#include "engine/render/ModelDrawTypes.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>

// One segment: start, width, end and the two colours packed to 12 bits (4 bits a channel).
struct LineSegment
{
    float m_fStart[3];
    float m_fWidth;
    float m_fEnd[3];
    uint16_t m_uStartColour;
    uint16_t m_uEndColour;
};
static_assert(sizeof(LineSegment) == 32);

// 0xAARRGGBB to 0xRGB (the high nibble of each channel) and back (opaque, each channel the nibble x 16).
uint16_t PackLineColour(uint32_t colour);
uint32_t UnpackLineColour(uint16_t packed);

class LineSegmentList
{
public:
    static constexpr uint32_t kInitialCapacity = 1000;
    static constexpr uint32_t kGrowth = 100;

    explicit LineSegmentList(uint32_t capacity = kInitialCapacity);

    // Appends a segment, growing the list by 100 entries when it is full.
    void Add(const platform::Vec3& start, const platform::Vec3& end, float width, uint32_t startColour,
             uint32_t endColour);
    // Empties the list (its room stays).
    void Reset();
    uint32_t GetCount() const { return m_uCount; }
    uint32_t GetCapacity() const { return m_uCapacity; }
    const LineSegment& Get(uint32_t i) const { return m_pEntries[i]; }

private:
    std::unique_ptr<LineSegment[]> m_pEntries;
    uint32_t m_uCapacity = 0;
    uint32_t m_uCount = 0;
};

// The line sets of model parts, drawn by the draw lists: an optimised mesh of the line kind with its chained
// instances, and a source-form part of the line kind.
void DrawOptMeshLines(const OptMeshLOD& level, const OptMesh& mesh, bool overrides);
void DrawSubModelLines(const ModelBatchEntry& entry);
