// The texture manager's slot record, its placement in a texture page, and the slot-to-device-texture mapping.
#pragma once

#include <cstdint>
#include <memory>

// Texture format codes of the renderer (the same codes the image readers hand out).
constexpr uint32_t kTextureFormatA1R5G5B5 = 1;
constexpr uint32_t kTextureFormatR5G6B5 = 2;
constexpr uint32_t kTextureFormatA4R4G4B4 = 3; // the 16-bit counterpart of format 4
constexpr uint32_t kTextureFormatA8R8G8B8 = 4; // 32-bit ARGB
constexpr uint32_t kTextureFormatDXT1 = 5;
constexpr uint32_t kTextureFormatDXT2 = 6;
constexpr uint32_t kTextureFormatDXT3 = 7;
constexpr uint32_t kTextureFormatDXT4 = 8;
constexpr uint32_t kTextureFormatDXT5 = 9;

// Codes 5 to 9 are stored as 4 x 4 blocks.
constexpr bool IsBlockFormatCode(uint32_t code)
{
    return code >= kTextureFormatDXT1 && code <= kTextureFormatDXT5;
}

// Where a slot's image lies in its page, as the drawing code maps texture coordinates:
// u' = u x u scale + u offset, v' = v x v scale + v offset. (1, 0, 1, 0) on a page of its own.
struct TexturePlacement
{
    float m_fUScale = 1.0f;
    float m_fUOffset = 0.0f;
    float m_fVScale = 1.0f;
    float m_fVOffset = 0.0f;
};

// One texture of the texture manager (all zero while free).
struct TextureSlot
{
    uint32_t m_uIndex = 0;             // the slot's own number
    uint32_t m_uFormat = 0;            // texture format code
    uint32_t m_uRefCount = 0;          // 0 = free
    std::unique_ptr<char[]> m_pszName; // the name the texture is known by
    uint8_t m_bKeepPixels = 0;         // keep the pixel copy after it went to the device
    uint8_t m_bOwnPage = 0;            // the image wants a page of its own
    uint32_t m_uPageX = 0;             // texel position in a shared page (0 on an own page)
    uint32_t m_uPageY = 0;
    float m_afTexCoords[4] = {}; // left, top, width, height within the page (0 to 1)
    uint16_t m_uWidth = 0;       // image size in texels
    uint16_t m_uHeight = 0;
    float m_afMargins[4] = {};     // unused texels at the left, right, top and bottom edge
    uint32_t m_uAverageColour = 0; // ARGB
    uint32_t m_uMipLevels = 0;     // levels held in the pixels (DDT only; 0 = level 0 alone)
    std::unique_ptr<uint8_t[]> m_pPixels;
    uint32_t m_uPixelBytes = 0; // bytes in m_pPixels
    uint32_t m_uPage = 0;       // number of the page holding the image (0 = none)

    const char* GetName() const { return m_pszName ? m_pszName.get() : ""; }
    TexturePlacement GetPlacement() const
    {
        return {m_afTexCoords[2], m_afTexCoords[0], m_afTexCoords[3], m_afTexCoords[1]};
    }
};

// The renderer texture number of the device texture (texture page) that holds a texture manager slot: -1 stays
// -1 (no texture); a slot that holds no texture, or any number outside the manager's slots, gives 0, which
// leaves a texture pipe as it is.
int32_t DeviceTextureForSlot(int32_t slot);
