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

namespace
{

uint64_t TexelKey(int32_t x, int32_t y)
{
    return static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32 | static_cast<uint32_t>(y);
}

} // namespace

void BaseMap::PaintTexel(int32_t x, int32_t y, uint32_t colour)
{
    m_Painted[TexelKey(x, y)] = colour;
}

uint32_t BaseMap::GetTexel(int32_t x, int32_t y) const
{
    const auto found = m_Painted.find(TexelKey(x, y));
    return found == m_Painted.end() ? GetSourceTexel(x, y) : found->second;
}

void BaseMap::UploadDirtyTiles() {}

void BaseMap::Render(int32_t) {}

void BaseMap::Release()
{
    m_bCreated = false;
}
