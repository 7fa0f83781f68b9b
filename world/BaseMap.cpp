// BaseMap: the source image, the tiles' colours and the ground quads under the park.
#include "world/BaseMap.h"

#include "engine/render/GraphicsManager.h"
#include "engine/render/ImageReaders.h"
#include "platform/Paths.h"

#include <cstring>

namespace
{

constexpr int32_t kColouredMaterial = 1;

bool IsPowerOfTwo(uint32_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

uint32_t ChannelOf(uint32_t colour, int shift)
{
    return (colour >> shift) & 0xFFu;
}

} // namespace

void BaseMap::Create(const char* sourceTexture, const char*, int32_t width, int32_t height, int32_t tileSize,
                     float groundHeight, int32_t border)
{
    Release();
    m_bCreated = true;
    m_fHeight = groundHeight;
    m_iTileSpan = tileSize - 2 * border;
    if (m_iTileSpan > 0 && width > 0 && height > 0)
    {
        m_iTilesAcross = (width + m_iTileSpan - 1) / m_iTileSpan;
        m_iTilesDown = (height + m_iTileSpan - 1) / m_iTileSpan;
    }
    m_TileColours.assign(static_cast<size_t>(m_iTilesAcross) * static_cast<size_t>(m_iTilesDown), 0u);

    // A missing source is no error here: the park is drawn without its ground.
    if (!sourceTexture || platform::ResolveExisting(sourceTexture).empty())
        return;
    uint32_t w = 0;
    uint32_t h = 0;
    const std::unique_ptr<uint8_t[]> pixels = LoadTGAFile(sourceTexture, &w, &h);
    if (!pixels || !IsPowerOfTwo(w) || !IsPowerOfTwo(h))
        return;
    m_uSourceWidth = w;
    m_uSourceHeight = h;
    m_Source.resize(static_cast<size_t>(w) * h);
    std::memcpy(m_Source.data(), pixels.get(), m_Source.size() * sizeof(uint32_t));
}

void BaseMap::FillAll()
{
    if (!HasSource())
        return;
    for (int32_t row = 0; row < m_iTilesDown; ++row)
    {
        for (int32_t column = 0; column < m_iTilesAcross; ++column)
        {
            uint64_t red = 0, green = 0, blue = 0;
            for (int32_t y = row * m_iTileSpan; y < (row + 1) * m_iTileSpan; ++y)
            {
                for (int32_t x = column * m_iTileSpan; x < (column + 1) * m_iTileSpan; ++x)
                {
                    const uint32_t texel = GetSourceTexel(x, y);
                    red += ChannelOf(texel, 16);
                    green += ChannelOf(texel, 8);
                    blue += ChannelOf(texel, 0);
                }
            }
            const uint64_t count = static_cast<uint64_t>(m_iTileSpan) * static_cast<uint64_t>(m_iTileSpan);
            const uint32_t mean = 0xFF000000u | static_cast<uint32_t>(red / count) << 16 |
                                  static_cast<uint32_t>(green / count) << 8 | static_cast<uint32_t>(blue / count);
            m_TileColours[static_cast<size_t>(row) * static_cast<size_t>(m_iTilesAcross) +
                          static_cast<size_t>(column)] = mean;
        }
    }
}

uint32_t BaseMap::GetSourceTexel(int32_t x, int32_t y) const
{
    if (!HasSource())
        return 0xFF000000;
    const uint32_t column = static_cast<uint32_t>(x) & (m_uSourceWidth - 1);
    const uint32_t row = static_cast<uint32_t>(y) & (m_uSourceHeight - 1);
    return m_Source[static_cast<size_t>(row) * m_uSourceWidth + column] | 0xFF000000u;
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

void BaseMap::Render(int32_t)
{
    GraphicsManager& gm = g_GraphicsManager;
    if (!gm.IsFrustumValid())
        return;
    const uint32_t light = gm.GetLitColour({0.0f, -1.0f, 0.0f});
    const float side = kSceneUnitsPerTexel * static_cast<float>(m_iTileSpan);
    for (int32_t row = 0; row < m_iTilesDown; ++row)
    {
        for (int32_t column = 0; column < m_iTilesAcross; ++column)
        {
            const uint32_t mean = m_TileColours[static_cast<size_t>(row) * static_cast<size_t>(m_iTilesAcross) +
                                                static_cast<size_t>(column)];
            if (mean == 0)
                continue;
            uint32_t colour = 0xFF000000u;
            for (int shift : {0, 8, 16})
                colour |= ChannelOf(mean, shift) * ChannelOf(light, shift) / 255u << shift;
            gm.DrawGroundQuad(side * (static_cast<float>(column) + 0.5f), m_fHeight,
                              side * (static_cast<float>(row) + 0.5f), side, side, colour, kColouredMaterial);
        }
    }
}

void BaseMap::Release()
{
    m_bCreated = false;
    m_iTileSpan = m_iTilesAcross = m_iTilesDown = 0;
    m_uSourceWidth = m_uSourceHeight = 0;
    m_Source.clear();
    m_TileColours.clear();
}
