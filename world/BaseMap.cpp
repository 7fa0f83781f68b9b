// BaseMap: the least body the park grid needs until the terrain's tiles are built: creation is recorded, the
// source reads as opaque black and nothing is painted or drawn.
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

void BaseMap::PaintTexel(int32_t, int32_t, uint32_t) {}

void BaseMap::UploadDirtyTiles() {}

void BaseMap::Render(int32_t) {}

void BaseMap::Release()
{
    m_bCreated = false;
}
