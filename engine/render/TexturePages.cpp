// Texture pages: device textures holding one image each, or many small images packed in 4 x 4-texel cells.
#include "engine/render/TexturePages.h"

#include "engine/render/GraphicsManager.h"
#include "engine/render/ImageReaders.h"
#include "engine/render/Renderer.h"
#include "platform/gfx/TextureUtil.h"

#include <algorithm>
#include <cstring>

namespace
{

constexpr uint32_t kBitsPerWord = 32;

// Bytes of the whole mip chain of a w x h image as the renderer reads it from packed levels: as many levels as a
// full chain down to 1 x 1 has, the sides halving to 1 (to one 4 x 4 block for the compressed codes).
uint64_t ChainBytes(uint32_t format, uint32_t width, uint32_t height)
{
    const uint32_t least = IsBlockFormatCode(format) ? 4 : 1;
    const uint32_t levels = platform::FullMipChainLevels(width, height);
    uint64_t total = 0;
    for (uint32_t i = 0; i < levels; ++i)
    {
        total += ImageLevelSize(format, width, height);
        width = std::max(width / 2, least);
        height = std::max(height / 2, least);
    }
    return total;
}

} // namespace

Renderer* GetTextureRenderer()
{
    return g_GraphicsManager.GetRenderer();
}

bool TexturePage::Create(uint32_t number, uint32_t width, uint32_t height, uint32_t kind, uint32_t format)
{
    Free();
    if (width == 0 || height == 0 || (kind != kKindOwn && kind != kKindShared))
        return false;
    Renderer* renderer = GetTextureRenderer();
    if (!renderer || !renderer->ReserveTexture(width, height, format, static_cast<int32_t>(number)))
        return false;
    m_uNumber = number;
    m_uInUse = 1;
    m_uFormat = format;
    m_uKind = kind;
    m_uWidth = width;
    m_uHeight = height;
    m_uCellColumns = width / kCellSize;
    m_uCellRows = height / kCellSize;
    m_uCellCount = 0;
    if (kind == kKindShared)
    {
        m_uCellCount = m_uCellColumns * m_uCellRows;
        // Rows of whole words; a width that is not a multiple of 128 texels still gets a word for its last cells.
        const uint32_t words = (m_uCellColumns + kBitsPerWord - 1) / kBitsPerWord * m_uCellRows;
        m_pBitmap = std::make_unique<uint32_t[]>(words ? words : 1);
    }
    return true;
}

void TexturePage::Free()
{
    if (m_uInUse)
    {
        if (Renderer* renderer = GetTextureRenderer())
            renderer->ReleaseTexture(static_cast<int32_t>(m_uNumber));
    }
    m_pBitmap.reset();
    m_uInUse = 0;
}

bool TexturePage::CellsFree(uint32_t cellX, uint32_t cellY, uint32_t columns, uint32_t rows) const
{
    if (!m_pBitmap || cellX > m_uCellColumns || cellY > m_uCellRows || columns > m_uCellColumns - cellX ||
        rows > m_uCellRows - cellY)
        return false;
    const uint32_t wordsPerRow = (m_uCellColumns + kBitsPerWord - 1) / kBitsPerWord;
    for (uint32_t y = cellY; y < cellY + rows; ++y)
    {
        const uint32_t* row = m_pBitmap.get() + static_cast<size_t>(y) * wordsPerRow;
        for (uint32_t x = cellX; x < cellX + columns; ++x)
            if (row[x / kBitsPerWord] & (1u << (x % kBitsPerWord)))
                return false;
    }
    return true;
}

void TexturePage::MarkCells(uint32_t cellX, uint32_t cellY, uint32_t columns, uint32_t rows, bool set)
{
    if (!m_pBitmap || cellX >= m_uCellColumns || cellY >= m_uCellRows)
        return;
    const uint32_t endX = cellX + std::min(columns, m_uCellColumns - cellX);
    const uint32_t endY = cellY + std::min(rows, m_uCellRows - cellY);
    const uint32_t wordsPerRow = (m_uCellColumns + kBitsPerWord - 1) / kBitsPerWord;
    for (uint32_t y = cellY; y < endY; ++y)
    {
        uint32_t* row = m_pBitmap.get() + static_cast<size_t>(y) * wordsPerRow;
        for (uint32_t x = cellX; x < endX; ++x)
        {
            const uint32_t bit = 1u << (x % kBitsPerWord);
            if (set)
                row[x / kBitsPerWord] |= bit;
            else
                row[x / kBitsPerWord] &= ~bit;
        }
    }
}

bool TexturePage::FindRoom(uint32_t width, uint32_t height, uint32_t* pX, uint32_t* pY) const
{
    const uint32_t cw = CellsFor(width);
    const uint32_t ch = CellsFor(height);
    // An image as tall or as wide as the page is never placed on a page that exists already.
    if (!m_pBitmap || cw == 0 || ch == 0 || ch >= m_uCellRows || cw >= m_uCellColumns)
        return false;
    for (uint32_t y = 0; y < m_uCellRows - ch; ++y)
    {
        for (uint32_t x = 0; x < m_uCellColumns - cw; ++x)
        {
            if (CellsFree(x, y, cw, ch))
            {
                *pX = x * kCellSize;
                *pY = y * kCellSize;
                return true;
            }
        }
    }
    return false;
}

void TexturePage::PlaceWhole(TextureSlot& slot)
{
    slot.m_uPage = m_uNumber;
    slot.m_uPageX = 0;
    slot.m_uPageY = 0;
    slot.m_afTexCoords[0] = 0.0f;
    slot.m_afTexCoords[1] = 0.0f;
    slot.m_afTexCoords[2] = 1.0f;
    slot.m_afTexCoords[3] = 1.0f;
    Renderer* renderer = GetTextureRenderer();
    if (renderer && slot.m_pPixels)
    {
        // The renderer reads a whole chain when told there are mip levels: only a buffer that holds one goes as
        // levels; anything less sends level 0 and has the levels filtered from it.
        const bool levels =
            slot.m_uMipLevels > 0 && slot.m_uPixelBytes >= ChainBytes(slot.m_uFormat, slot.m_uWidth, slot.m_uHeight);
        renderer->UpdateTexture(slot.m_pPixels.get(), slot.m_uWidth, slot.m_uHeight, slot.m_uFormat,
                                static_cast<int32_t>(m_uNumber), levels);
    }
    if (!slot.m_bKeepPixels)
    {
        slot.m_pPixels.reset();
        slot.m_uPixelBytes = 0;
    }
}

void TexturePage::PlaceAt(TextureSlot& slot, uint32_t x, uint32_t y)
{
    slot.m_uPage = m_uNumber;
    slot.m_uPageX = x;
    slot.m_uPageY = y;
    const float w = static_cast<float>(m_uWidth);
    const float h = static_cast<float>(m_uHeight);
    slot.m_afTexCoords[0] = (static_cast<float>(x) + slot.m_afMargins[0]) / w;
    slot.m_afTexCoords[1] = (static_cast<float>(y) + slot.m_afMargins[2]) / h;
    slot.m_afTexCoords[2] = (static_cast<float>(slot.m_uWidth) - slot.m_afMargins[0] - slot.m_afMargins[1]) / w;
    slot.m_afTexCoords[3] = (static_cast<float>(slot.m_uHeight) - slot.m_afMargins[2] - slot.m_afMargins[3]) / h;
    Renderer* renderer = GetTextureRenderer();
    if (renderer && slot.m_pPixels)
        renderer->UpdateTextureSubRegion(slot.m_pPixels.get(), slot.m_uWidth, slot.m_uHeight, x, y, slot.m_uFormat,
                                         static_cast<int32_t>(m_uNumber));
    MarkCells(x / kCellSize, y / kCellSize, CellsFor(slot.m_uWidth), CellsFor(slot.m_uHeight), true);
    if (!slot.m_bKeepPixels)
    {
        slot.m_pPixels.reset();
        slot.m_uPixelBytes = 0;
    }
}

void TexturePage::ClearCells(const TextureSlot& slot)
{
    MarkCells(slot.m_uPageX / kCellSize, slot.m_uPageY / kCellSize, CellsFor(slot.m_uWidth), CellsFor(slot.m_uHeight),
              false);
}

void TexturePage::Upload(const void* pixels, uint32_t width, uint32_t height, uint32_t format)
{
    Renderer* renderer = GetTextureRenderer();
    if (renderer && pixels && m_uInUse)
        renderer->UpdateTexture(pixels, width, height, format, static_cast<int32_t>(m_uNumber), false);
}
