// BaseMap: the source image, the tile textures with their borders, painting and uploading texels, and the ground
// quads under the park.
#include "world/BaseMap.h"

#include "engine/core/Logger.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ImageReaders.h"
#include "engine/render/TextureManager.h"
#include "platform/Paths.h"
#include "world/SkyDome.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{

using platform::Vec3;

bool IsPowerOfTwo(uint32_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

// Rounds the quotient down, for negative numerators too.
int32_t FloorDiv(int32_t a, int32_t b)
{
    const int32_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

uint16_t To4444(uint32_t c)
{
    return static_cast<uint16_t>(((c >> 28) & 0xF) << 12 | ((c >> 20) & 0xF) << 8 | ((c >> 12) & 0xF) << 4 |
                                 ((c >> 4) & 0xF));
}

uint32_t From4444(uint16_t c)
{
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i)
        out |= ((static_cast<uint32_t>(c) >> (4 * i)) & 0xF) * 0x11u << (8 * i);
    return out;
}

// A corner of a ground quad.
struct Corner
{
    Vec3 p;
    float u, v;
};

// Keeps the part of the polygon at least `cut` in front of the eye along the view; up to five corners come out.
int CutNear(const Corner* in, int count, const Vec3& eye, const Vec3& forward, float cut, Corner* out)
{
    int n = 0;
    for (int i = 0; i < count; ++i)
    {
        const Corner& a = in[i];
        const Corner& b = in[(i + 1) % count];
        const float da = platform::Vec3Dot(a.p - eye, forward) - cut;
        const float db = platform::Vec3Dot(b.p - eye, forward) - cut;
        if (da >= 0.0f)
            out[n++] = a;
        if ((da >= 0.0f) != (db >= 0.0f))
        {
            const float t = da / (da - db);
            out[n++] = {a.p + (b.p - a.p) * t, a.u + (b.u - a.u) * t, a.v + (b.v - a.v) * t};
        }
    }
    return n;
}

} // namespace

BaseMap::~BaseMap()
{
    Release();
}

void BaseMap::Create(const char* sourceTexture, const char* secondTexture, int32_t width, int32_t height,
                     int32_t tileSize, float groundHeight, int32_t border)
{
    Release();
    m_bCreated = true;
    m_fHeight = groundHeight;

    // Sizes are checked before anything is made from them: the tiles must be textures a device takes, wider than
    // their two borders, over an extent that is there.
    const bool sizesUsable = width > 0 && height > 0 && width <= kMaxExtent && height <= kMaxExtent && border >= 0 &&
                             tileSize > 0 && tileSize <= kMaxTileSize && IsPowerOfTwo(static_cast<uint32_t>(tileSize));
    if (!sizesUsable)
    {
        GetLogger()->Report(0, "BaseMap::Create - a %d x %d map in tiles of %d with a border of %d can't be made",
                            width, height, tileSize, border);
        return;
    }
    m_iTileSize = tileSize;
    m_iBorder = border;
    m_iTileSpan = tileSize - 2 * border;
    if (m_iTileSpan > 0)
    {
        m_iTilesAcross = (width + m_iTileSpan - 1) / m_iTileSpan;
        m_iTilesDown = (height + m_iTileSpan - 1) / m_iTileSpan;
    }
    m_uFormat = g_GraphicsManager.GetSettings().m_uOption2 >= 2 ? kTextureFormatA8R8G8B8 : kTextureFormatA4R4G4B4;
    const size_t texelBytes = m_uFormat == kTextureFormatA8R8G8B8 ? 4 : 2;

    // The source: a missing one is no error here, the park is drawn without its ground.
    if (sourceTexture && !platform::ResolveExisting(sourceTexture).empty())
    {
        uint32_t w = 0;
        uint32_t h = 0;
        const std::unique_ptr<uint8_t[]> pixels = LoadTGAFile(sourceTexture, &w, &h);
        if (pixels && IsPowerOfTwo(w) && IsPowerOfTwo(h))
        {
            m_uSourceWidth = w;
            m_uSourceHeight = h;
            m_Source.resize(static_cast<size_t>(w) * h);
            std::memcpy(m_Source.data(), pixels.get(), m_Source.size() * sizeof(uint32_t));
        }
    }

    const bool textures = g_TextureManager.IsInitialised();
    if (textures && secondTexture && *secondTexture)
        m_uSecondTexture = g_TextureManager.Load(secondTexture, true, false);
    m_Tiles.resize(static_cast<size_t>(m_iTilesAcross) * static_cast<size_t>(m_iTilesDown));
    for (size_t i = 0; i < m_Tiles.size(); ++i)
    {
        Tile& tile = m_Tiles[i];
        tile.texels.assign(static_cast<size_t>(tileSize) * static_cast<size_t>(tileSize) * texelBytes, 0);
        if (!textures)
            continue;
        char name[32];
        std::snprintf(name, sizeof name, "basemaptex_%zu", i);
        tile.texture = g_TextureManager.Find(name);
        if (tile.texture == 0)
            tile.texture = g_TextureManager.CreateTextureWithFormat(static_cast<uint32_t>(tileSize),
                                                                    static_cast<uint32_t>(tileSize), m_uFormat, name);
        tile.page = g_TextureManager.GetDeviceTexture(static_cast<int32_t>(tile.texture));
    }
    UploadDirtyTiles();
}

void BaseMap::CoveringTiles(int32_t v, int32_t count, int32_t* first, int32_t* last) const
{
    // Tile c covers c span - border to c span + span + border - 1.
    *first = std::max(FloorDiv(v - m_iBorder, m_iTileSpan), 0);
    *last = std::min(FloorDiv(v + m_iBorder, m_iTileSpan), count - 1);
}

void BaseMap::PutTexel(Tile& tile, int32_t column, int32_t row, int32_t x, int32_t y, uint32_t colour) const
{
    const size_t tx = static_cast<size_t>(x - (column * m_iTileSpan - m_iBorder));
    const size_t ty = static_cast<size_t>(y - (row * m_iTileSpan - m_iBorder));
    const size_t index = ty * static_cast<size_t>(m_iTileSize) + tx;
    if (m_uFormat == kTextureFormatA8R8G8B8)
    {
        std::memcpy(tile.texels.data() + 4 * index, &colour, 4);
    }
    else
    {
        const uint16_t packed = To4444(colour);
        std::memcpy(tile.texels.data() + 2 * index, &packed, 2);
    }
}

uint32_t BaseMap::TexelAt(const Tile& tile, int32_t column, int32_t row, int32_t x, int32_t y) const
{
    const size_t tx = static_cast<size_t>(x - (column * m_iTileSpan - m_iBorder));
    const size_t ty = static_cast<size_t>(y - (row * m_iTileSpan - m_iBorder));
    const size_t index = ty * static_cast<size_t>(m_iTileSize) + tx;
    if (m_uFormat == kTextureFormatA8R8G8B8)
    {
        uint32_t colour = 0;
        std::memcpy(&colour, tile.texels.data() + 4 * index, 4);
        return colour;
    }
    uint16_t packed = 0;
    std::memcpy(&packed, tile.texels.data() + 2 * index, 2);
    return From4444(packed);
}

void BaseMap::FillAll()
{
    if (!HasSource())
        return;
    for (int32_t row = 0; row < m_iTilesDown; ++row)
    {
        for (int32_t column = 0; column < m_iTilesAcross; ++column)
        {
            Tile& tile =
                m_Tiles[static_cast<size_t>(row) * static_cast<size_t>(m_iTilesAcross) + static_cast<size_t>(column)];
            const int32_t left = column * m_iTileSpan - m_iBorder;
            const int32_t top = row * m_iTileSpan - m_iBorder;
            for (int32_t y = top; y < top + m_iTileSize; ++y)
                for (int32_t x = left; x < left + m_iTileSize; ++x)
                    PutTexel(tile, column, row, x, y, GetSourceTexel(x, y));
            tile.blank = false;
            tile.needsUpload = true;
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
    if (m_iTileSpan <= 0)
        return;
    int32_t firstColumn, lastColumn, firstRow, lastRow;
    CoveringTiles(x, m_iTilesAcross, &firstColumn, &lastColumn);
    CoveringTiles(y, m_iTilesDown, &firstRow, &lastRow);
    for (int32_t row = firstRow; row <= lastRow; ++row)
    {
        for (int32_t column = firstColumn; column <= lastColumn; ++column)
        {
            Tile& tile =
                m_Tiles[static_cast<size_t>(row) * static_cast<size_t>(m_iTilesAcross) + static_cast<size_t>(column)];
            PutTexel(tile, column, row, x, y, colour);
            tile.blank = false;
            tile.needsUpload = true;
        }
    }
}

uint32_t BaseMap::GetTexel(int32_t x, int32_t y) const
{
    if (m_iTileSpan > 0)
    {
        int32_t firstColumn, lastColumn, firstRow, lastRow;
        CoveringTiles(x, m_iTilesAcross, &firstColumn, &lastColumn);
        CoveringTiles(y, m_iTilesDown, &firstRow, &lastRow);
        if (firstColumn <= lastColumn && firstRow <= lastRow)
        {
            const Tile& tile = m_Tiles[static_cast<size_t>(firstRow) * static_cast<size_t>(m_iTilesAcross) +
                                       static_cast<size_t>(firstColumn)];
            // A tile nothing was painted into yet holds the source's texels in waiting.
            if (!tile.blank)
                return TexelAt(tile, firstColumn, firstRow, x, y);
        }
    }
    return GetSourceTexel(x, y);
}

void BaseMap::UploadDirtyTiles()
{
    for (Tile& tile : m_Tiles)
    {
        if (!tile.needsUpload)
            continue;
        if (tile.texture != 0)
            g_TextureManager.UpdateTexture(tile.texture, tile.texels.data(), static_cast<uint32_t>(m_iTileSize),
                                           static_cast<uint32_t>(m_iTileSize), m_uFormat);
        tile.needsUpload = false;
    }
}

void BaseMap::Render(int32_t parameter)
{
    UploadDirtyTiles();
    GraphicsManager& gm = g_GraphicsManager;
    if (!m_bCreated || !gm.IsFrustumValid())
        return;
    const bool skyTinted = parameter == kSkyTinted;
    const uint32_t colour =
        skyTinted ? g_SkyDome.GetCurrentColour(1) : (gm.GetLitColour({0.0f, -1.0f, 0.0f}) | 0xFF000000u);
    if (skyTinted)
        gm.ApplyFogScale(kSkyTintedFogScale);
    const Vec3 eye = gm.GetEyePosition();
    const Vec3 forward = gm.GetForwardAxis();
    const int32_t second = m_uSecondTexture != 0 ? static_cast<int32_t>(m_uSecondTexture) : -1;
    const float side = kSceneUnitsPerTexel * static_cast<float>(m_iTileSpan);
    for (int32_t row = 0; row < m_iTilesDown; ++row)
    {
        for (int32_t column = 0; column < m_iTilesAcross; ++column)
        {
            const Tile& tile =
                m_Tiles[static_cast<size_t>(row) * static_cast<size_t>(m_iTilesAcross) + static_cast<size_t>(column)];
            if (tile.blank)
                continue;
            // The quad shows the tile's texels inside its border: texel x across scene X, texel y across Z.
            const float x0 = side * static_cast<float>(column);
            const float z0 = side * static_cast<float>(row);
            const Corner quad[4] = {{{x0, m_fHeight, z0}, 0.0f, 0.0f},
                                    {{x0, m_fHeight, z0 + side}, 0.0f, 1.0f},
                                    {{x0 + side, m_fHeight, z0 + side}, 1.0f, 1.0f},
                                    {{x0 + side, m_fHeight, z0}, 1.0f, 0.0f}};
            Corner cut[5];
            const int n = CutNear(quad, 4, eye, forward, kNearCut, cut);
            if (n < 3)
                continue;
            const TexturePlacement place = g_TextureManager.GetPlacement(tile.texture);
            TexturedVertex vertices[5];
            uint16_t indices[9];
            for (int i = 0; i < n; ++i)
                vertices[i] = {cut[i].p.x,
                               cut[i].p.y,
                               cut[i].p.z,
                               colour,
                               cut[i].u * place.m_fUScale + place.m_fUOffset,
                               cut[i].v * place.m_fVScale + place.m_fVOffset};
            for (int i = 0; i + 2 < n; ++i)
            {
                indices[3 * i] = 0;
                indices[3 * i + 1] = static_cast<uint16_t>(i + 1);
                indices[3 * i + 2] = static_cast<uint16_t>(i + 2);
            }
            gm.DrawTexturedPolysAt(vertices, static_cast<uint32_t>(n), indices, static_cast<uint32_t>(3 * (n - 2)),
                                   tile.texture != 0 ? static_cast<int32_t>(tile.texture) : -1, second,
                                   {0.0f, 0.0f, 0.0f}, parameter);
        }
    }
    if (skyTinted)
        gm.SetFog(-1.0f, 0.0f, 0);
}

void BaseMap::ReleaseTextures()
{
    if (!g_TextureManager.IsInitialised())
        return;
    for (const Tile& tile : m_Tiles)
        if (tile.texture != 0)
            g_TextureManager.Release(tile.texture);
    if (m_uSecondTexture != 0)
        g_TextureManager.Release(m_uSecondTexture);
}

void BaseMap::Release()
{
    ReleaseTextures();
    m_bCreated = false;
    m_iTileSize = m_iBorder = m_iTileSpan = m_iTilesAcross = m_iTilesDown = 0;
    m_uFormat = 0;
    m_uSourceWidth = m_uSourceHeight = 0;
    m_Source.clear();
    m_uSecondTexture = 0;
    m_Tiles.clear();
}
