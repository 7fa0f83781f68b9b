// The records of the draw batcher, the text queue and the debug-box queue: batch kinds, the fixed vertex and
// index stores, text runs with their quad pool, and debug boxes.
#pragma once

#include "engine/render/RenderTypes.h"
#include "platform/gfx/Math.h"

#include <cstdint>

// What the pending batch holds. Coloured triangles and lines share the coloured store.
enum BatchKind : int32_t
{
    BATCH_NONE = 0,
    BATCH_COLOURED_TRIS = 1,
    BATCH_TEXTURED_TRIS = 2,
    BATCH_COLOURED_LINES = 4,
};

// A box queued for drawing at the start of the 2D pass: centre, full edge lengths and colour (ARGB).
struct DebugBox
{
    float x, y, z;
    float sizeX, sizeY, sizeZ;
    uint32_t colour;
};
static_assert(sizeof(DebugBox) == 28);

// One queued text run: textured quads anchored at a world point.
struct TextRun
{
    platform::Vec3 anchor;
    int32_t texture;     // texture slot
    int32_t vertexCount; // four per quad
    int32_t firstVertex; // in the quad pool
};

// The fixed stores of the pending batch. Nothing is allocated while drawing.
struct BatchStore
{
    static constexpr int32_t kVertexCapacity = 2000;
    static constexpr int32_t kIndexCapacity = 4000;
    // A batch is drawn when the next primitive of its state would find fewer than this many vertices left.
    static constexpr int32_t kFlushMargin = 100;

    ColourVertex colour[kVertexCapacity];
    TexturedVertex textured[kVertexCapacity];
    uint16_t indices[kIndexCapacity];
};

// The text queue of one frame: the run table and the quad pool.
struct TextQueue
{
    static constexpr int32_t kRunCapacity = 2000;
    static constexpr int32_t kQuadCapacity = 5000;

    TextRun runs[kRunCapacity];
    TexturedVertex pool[kQuadCapacity * 4];
    int32_t runCount = 0;
    int32_t quadCount = 0;    // every quad offered this frame, drawn or dropped
    int32_t poolVertices = 0; // write position in the pool
    int32_t currentRun = -1;  // -1: no run open, or the run table was full when it was opened
    uint32_t runColour = 0;
};
