// Texture pages: the device textures that hold the texture manager's images, whole or packed in 4 x 4 cells.
#pragma once

#include "engine/render/TextureSlots.h"

#include <cstdint>
#include <memory>

class Renderer;

// One device texture of the texture manager. A page of kind 1 holds one image; a page of kind 2 packs small
// images of one format side by side and keeps an occupancy bitmap of 4 x 4-texel cells.
class TexturePage
{
public:
    static constexpr uint32_t kKindOwn = 1;
    static constexpr uint32_t kKindShared = 2;
    static constexpr uint32_t kCellSize = 4;

    // Reserves the device texture under the page's number and sets the fields; a shared page gets a clear
    // bitmap (its width must be a multiple of 128 texels). False when the renderer refused the texture or the
    // size does not suit the kind (the page then stays out of use).
    bool Create(uint32_t number, uint32_t width, uint32_t height, uint32_t kind, uint32_t format);
    // Releases the device texture and the bitmap when in use.
    void Free();

    // The texel position of the first free cell rectangle for a w x h image, scanning rows from the top and
    // each row from the left; the last row and column at which the image would touch the bottom or right edge
    // are not tried. Sizes that are not multiples of 4 take whole cells. False when nothing is free.
    bool FindRoom(uint32_t width, uint32_t height, uint32_t* pX, uint32_t* pY) const;
    // True when none of the cells is set (cells outside the page count as set).
    bool CellsFree(uint32_t cellX, uint32_t cellY, uint32_t columns, uint32_t rows) const;
    // Sets or clears the cells (clipped to the page).
    void MarkCells(uint32_t cellX, uint32_t cellY, uint32_t columns, uint32_t rows, bool set);

    // The slot's image on this (own) page: coordinates 0, 0, 1, 1 and every mip level it holds sent.
    void PlaceWhole(TextureSlot& slot);
    // The slot's image at texel (x, y) of this shared page: coordinates from the margins, pixels sent as a
    // sub-region, cells marked taken.
    void PlaceAt(TextureSlot& slot, uint32_t x, uint32_t y);
    // Clears the cells of the slot's image.
    void ClearCells(const TextureSlot& slot);
    // Sends a whole new image for the page (mip levels rebuilt from it).
    void Upload(const void* pixels, uint32_t width, uint32_t height, uint32_t format);

    // Cells a side of that many texels takes (rounded up to whole cells).
    static uint32_t CellsFor(uint32_t texels) { return (texels + kCellSize - 1) / kCellSize; }

    uint32_t GetNumber() const { return m_uNumber; }
    bool IsInUse() const { return m_uInUse != 0; }
    uint32_t GetFormat() const { return m_uFormat; }
    uint32_t GetKind() const { return m_uKind; }
    uint32_t GetWidth() const { return m_uWidth; }
    uint32_t GetHeight() const { return m_uHeight; }
    uint32_t GetCellColumns() const { return m_uCellColumns; }
    uint32_t GetCellRows() const { return m_uCellRows; }
    uint32_t GetCellCount() const { return m_uCellCount; }

private:
    uint32_t m_uNumber = 0;
    uint32_t m_uInUse = 0;
    uint32_t m_uFormat = 0;
    uint32_t m_uKind = 0;
    uint32_t m_uWidth = 0;
    uint32_t m_uHeight = 0;
    uint32_t m_uCellColumns = 0;
    uint32_t m_uCellRows = 0;
    uint32_t m_uCellCount = 0;
    std::unique_ptr<uint32_t[]> m_pBitmap; // rows of m_uCellColumns / 32 words
};

// The renderer the pages and the texture manager send their textures to (the graphics manager's), or null.
Renderer* GetTextureRenderer();
