// The records of camera-facing quads: the billboard list's entries and the particles of sprite meshes.
#pragma once

#include <cstdint>

class SpecialMeshDrawer;

// One billboard of the billboard list: the first two words are its sort key (texture low, material high).
struct BillboardEntry
{
    uint32_t texture;  // texture manager slot
    uint32_t material; // material table number
    uint32_t colour;   // ARGB
    uint32_t zero;     // always 0
    float x, y, z;     // world position
    float size;        // half the side of the square
};

static_assert(sizeof(BillboardEntry) == 32, "billboard entries are 32 bytes");

// One particle of a sprite mesh, as the optimised model form stores it.
struct SpriteParticle
{
    float x, y, z;
    float size;
    float nx, ny, nz;
    uint32_t colour; // ARGB
};

static_assert(sizeof(SpriteParticle) == 32, "sprite particles are 32 bytes");

// The index order of one camera-facing quad (corners bottom-left, bottom-right, top-right, top-left).
constexpr uint16_t kBillboardIndices[6] = {0, 2, 1, 0, 3, 2};

// Draws the sprite meshes of the draw lists through the graphics manager (installed by GraphicsManager::Create):
// optimised levels with DrawSpriteMeshBatch, source-form parts with DrawSpriteRecords.
SpecialMeshDrawer& GetSpriteMeshDrawer();
