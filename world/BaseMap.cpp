// BaseMap: the least body the park grid needs until the terrain's tiles are built: creation and the painted
// texels are recorded, the source reads as opaque black and nothing is drawn.
#include "world/BaseMap.h"

void BaseMap::Create(const char*, const char*, int32_t, int32_t, int32_t, float, int32_t)
{
    m_bCreated = true;
}

void BaseMap::FillAll() {}

uint32_t BaseMap::GetSourceTexel(int32_t, int32_t) const
{
    return 0xFF000000;
}

void BaseMap::PaintTexel(int32_t x, int32_t y, uint32_t colour)
{
    m_Painted[{x, y}] = colour;
}

uint32_t BaseMap::GetTexel(int32_t x, int32_t y) const
{
    const auto found = m_Painted.find({x, y});
    return found == m_Painted.end() ? GetSourceTexel(x, y) : found->second;
}

void BaseMap::UploadDirtyTiles() {}

void BaseMap::Render(int32_t) {}

void BaseMap::Release()
{
    m_bCreated = false;
}
