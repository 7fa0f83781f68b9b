// The renderer's texture table: reserving, filling, reading and releasing device textures, their mip levels, the
// memory estimate, and the two texture pipes that bind them for drawing.
#include "engine/render/D3DRenderer.h"

#include "engine/core/Logger.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/TextureSlots.h"
#include "platform/gfx/TextureUtil.h"

#include <algorithm>
#include <cstring>

using platform::GfxResult;
using platform::PixelFormat;

namespace
{

uint32_t RoundUpSide(uint32_t side)
{
    if (side > 4096)
        return 8192;
    uint32_t p = 1;
    while (p < side)
        p <<= 1;
    return p;
}

uint32_t EstimateBits(PixelFormat format)
{
    switch (format)
    {
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4:
        return 16;
    case PixelFormat::DXT1:
        return 4;
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
    case PixelFormat::DXT4:
    case PixelFormat::DXT5:
        return 8;
    default:
        return 32;
    }
}

// Writes a packed w x h image in srcFormat into a rectangle of a level at (x, y): copied row by row when the
// formats agree, converted otherwise. Rows and columns outside the level are left out. Block-compressed images
// go in whole 4 x 4 blocks: x and y must lie on block edges, and a side that is not a multiple of 4 takes its
// last partial block.
GfxResult WriteLevel(platform::ITexture& texture, uint32_t level, const void* pixels, PixelFormat srcFormat, uint32_t x,
                     uint32_t y, uint32_t width, uint32_t height, bool* lockFailed)
{
    platform::SurfaceDesc desc;
    GfxResult result = texture.GetLevelDesc(level, &desc);
    if (platform::GfxFailed(result))
        return result;
    if (x >= desc.width || y >= desc.height || width == 0 || height == 0)
        return GfxResult::Ok;
    const uint32_t w = std::min(width, desc.width - x);
    const uint32_t h = std::min(height, desc.height - y);
    const uint32_t srcPitch = platform::FormatRowPitch(srcFormat, width);
    const bool blocks = platform::IsBlockCompressed(srcFormat);
    if (blocks && (x % 4 != 0 || y % 4 != 0))
        return GfxResult::InvalidCall;
    if (desc.format == srcFormat)
    {
        // The locked rectangle covers whole blocks, as far as the level reaches.
        const uint32_t right = blocks ? std::min((x + w + 3) / 4 * 4, desc.width) : x + w;
        const uint32_t bottom = blocks ? std::min((y + h + 3) / 4 * 4, desc.height) : y + h;
        platform::Rect rect = {static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(right),
                               static_cast<int32_t>(bottom)};
        platform::LockedRect locked;
        result = texture.LockRect(level, &locked, &rect, platform::LockFlags::None);
        if (platform::GfxFailed(result) || !locked.bits)
        {
            if (lockFailed)
                *lockFailed = true;
            return platform::GfxFailed(result) ? result : GfxResult::InvalidCall;
        }
        const uint32_t rows = blocks ? (h + 3) / 4 : h;
        const uint32_t rowBytes = platform::FormatRowPitch(srcFormat, w);
        const uint8_t* src = static_cast<const uint8_t*>(pixels);
        uint8_t* dst = static_cast<uint8_t*>(locked.bits);
        for (uint32_t row = 0; row < rows; ++row)
            std::memcpy(dst + static_cast<size_t>(row) * locked.pitch, src + static_cast<size_t>(row) * srcPitch,
                        rowBytes);
        return texture.UnlockRect(level);
    }
    platform::Rect dstRect = {static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(x + w),
                              static_cast<int32_t>(y + h)};
    platform::Rect srcRect = {0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h)};
    return platform::LoadLevelFromMemory(texture, level, &dstRect, pixels, srcFormat, srcPitch, srcRect,
                                         platform::ImageFilter::None, 0);
}

} // namespace

PixelFormat D3DRenderer::FormatFromCode(uint32_t formatCode)
{
    switch (formatCode)
    {
    case 1:
        return PixelFormat::A1R5G5B5;
    case 2:
        return PixelFormat::R5G6B5;
    case 3:
        return PixelFormat::A4R4G4B4;
    case 4:
        return PixelFormat::A8R8G8B8;
    case 5:
        return PixelFormat::DXT1;
    case 6:
        return PixelFormat::DXT2;
    case 7:
        return PixelFormat::DXT3;
    case 8:
        return PixelFormat::DXT4;
    case 9:
        return PixelFormat::DXT5;
    default:
        return PixelFormat::Unknown;
    }
}

uint32_t D3DRenderer::TextureMemoryBytes(PixelFormat format, uint32_t width, uint32_t height)
{
    const uint64_t bits = static_cast<uint64_t>(RoundUpSide(width)) * RoundUpSide(height) * EstimateBits(format);
    const uint64_t bytes = bits * 4 / 24;
    return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
}

DeviceTextureEntry* D3DRenderer::TextureEntry(int32_t textureNumber) const
{
    if (!m_pTextures || textureNumber < 0 || static_cast<uint32_t>(textureNumber) >= m_uTextureCapacity)
        return nullptr;
    return &m_pTextures[textureNumber];
}

platform::ITexture* D3DRenderer::GetTexture(int32_t textureNumber) const
{
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    return entry ? entry->m_pTexture.get() : nullptr;
}

bool D3DRenderer::ReserveTexture(uint32_t width, uint32_t height, uint32_t formatCode, int32_t textureNumber)
{
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    if (!entry || !m_pDevice)
        return false;
    if (entry->m_pTexture)
        ReleaseTexture(textureNumber);

    PixelFormat format = FormatFromCode(formatCode);
    uint32_t w = width;
    uint32_t h = height;
    // An unknown code names no format: refused like a format no device takes.
    if (format == PixelFormat::Unknown)
    {
        CheckD3DResult(GfxResult::InvalidCall, "ReserveTexture");
        GetLogger()->Report(0, "D3D:ReserveTexture (D3DXCheckTextureRequirements):- %s\n", GetD3DErrorText());
        return false;
    }
    GfxResult result =
        platform::CheckTextureRequirements(*m_pDevice, &w, &h, nullptr, 0, &format, platform::Pool::Managed);
    if (platform::GfxFailed(result))
    {
        w = width;
        h = height;
        format = PixelFormat::A4R4G4B4;
        result = platform::CheckTextureRequirements(*m_pDevice, &w, &h, nullptr, 0, &format, platform::Pool::Managed);
        if (CheckD3DResult(result, "ReserveTexture"))
        {
            GetLogger()->Report(0, "D3D:ReserveTexture (D3DXCheckTextureRequirements):- %s\n", GetD3DErrorText());
            return false;
        }
    }
    result = m_pDevice->CreateTexture(w, h, 0, 0, format, platform::Pool::Managed, &entry->m_pTexture);
    if (CheckD3DResult(result, "ReserveTexture") || !entry->m_pTexture)
    {
        if (!platform::GfxFailed(result))
            CheckD3DResult(GfxResult::InvalidCall, "ReserveTexture");
        GetLogger()->Report(0, "D3D:ReserveTexture :- %s\n", GetD3DErrorText());
        entry->m_pTexture.reset();
        return false;
    }
    entry->m_bChanged = false;
    m_uTextureBytes += TextureMemoryBytes(format, w, h);
    return true;
}

void D3DRenderer::ReleaseTexture(int32_t textureNumber)
{
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    if (!entry || !entry->m_pTexture)
        return;
    platform::SurfaceDesc desc;
    entry->m_bChanged = false;
    if (!platform::GfxFailed(entry->m_pTexture->GetLevelDesc(0, &desc)))
    {
        const uint32_t bytes = TextureMemoryBytes(desc.format, desc.width, desc.height);
        m_uTextureBytes = m_uTextureBytes > bytes ? m_uTextureBytes - bytes : 0;
    }
    entry->m_pTexture.reset();
    // Destroying the texture unbound it from the device: a texture reserved later under this number must be
    // bound again, not taken for the one already bound.
    for (uint32_t pipe = 0; pipe < kTexturePipes; ++pipe)
        if (m_aiBoundTexture[pipe] == textureNumber)
            m_aiBoundTexture[pipe] = -1;
}

bool D3DRenderer::UpdateTexture(const void* pixels, uint32_t width, uint32_t height, uint32_t formatCode,
                                int32_t textureNumber)
{
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    const PixelFormat format = FormatFromCode(formatCode);
    if (!entry || !entry->m_pTexture || !pixels || format == PixelFormat::Unknown)
        return true;
    entry->m_bChanged = false;
    bool lockFailed = false;
    const GfxResult result = WriteLevel(*entry->m_pTexture, 0, pixels, format, 0, 0, width, height, &lockFailed);
    if (CheckD3DResult(result, "UpdateTexture"))
        GetLogger()->Report(0, "D3D:UpdateTexture (LockRect):- %s\n", GetD3DErrorText());
    return true;
}

bool D3DRenderer::UpdateTexture(const void* pixels, uint32_t width, uint32_t height, uint32_t formatCode,
                                int32_t textureNumber, bool withMipData)
{
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    const PixelFormat format = FormatFromCode(formatCode);
    if (!entry || !entry->m_pTexture || !pixels || format == PixelFormat::Unknown)
        return true;
    entry->m_bChanged = false;
    platform::ITexture& texture = *entry->m_pTexture;
    const uint32_t levels = texture.GetLevelCount();
    if (!withMipData)
    {
        GfxResult result = WriteLevel(texture, 0, pixels, format, 0, 0, width, height, nullptr);
        if (CheckD3DResult(result, "UpdateTexture"))
            GetLogger()->Report(0, "D3D:UpdateTexture (LockRect):- %s\n", GetD3DErrorText());
        result = platform::FilterTexture(texture, 0, platform::ImageFilter::Box);
        if (CheckD3DResult(result, "UpdateTexture"))
            GetLogger()->Report(0, "D3D:UpdateTexture (FilterTexture):- %s\n", GetD3DErrorText());
        return true;
    }
    // The pixels hold the chain of the given size, level after level: no more levels are read than that chain
    // has, and levels of the texture beyond it are filtered from the last one written.
    const uint32_t least = platform::IsBlockCompressed(format) ? 4 : 1;
    const uint32_t copied = std::min(levels, platform::FullMipChainLevels(width, height));
    const uint8_t* source = static_cast<const uint8_t*>(pixels);
    uint32_t w = width;
    uint32_t h = height;
    for (uint32_t level = 0; level < copied; ++level)
    {
        bool lockFailed = false;
        const GfxResult result = WriteLevel(texture, level, source, format, 0, 0, w, h, &lockFailed);
        if (CheckD3DResult(result, "UpdateTexture"))
            GetLogger()->Report(0,
                                lockFailed ? "D3D:UpdateTexture (LockRect):- %s\n"
                                           : "D3D:UpdateTexture (LoadSurfaceFromSurface):- %s\n",
                                GetD3DErrorText());
        source += platform::FormatLevelSize(format, w, h);
        w = std::max(w / 2, least);
        h = std::max(h / 2, least);
    }
    if (copied > 0 && copied < levels)
    {
        const GfxResult result = platform::FilterTexture(texture, copied - 1, platform::ImageFilter::Box);
        if (CheckD3DResult(result, "UpdateTexture"))
            GetLogger()->Report(0, "D3D:UpdateTexture (FilterTexture):- %s\n", GetD3DErrorText());
    }
    return true;
}

bool D3DRenderer::UpdateTextureSubRegion(const void* pixels, uint32_t width, uint32_t height, uint32_t x, uint32_t y,
                                         uint32_t formatCode, int32_t textureNumber)
{
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    const PixelFormat format = FormatFromCode(formatCode);
    if (!entry || !entry->m_pTexture || !pixels || format == PixelFormat::Unknown)
        return true;
    entry->m_bChanged = true;
    bool lockFailed = false;
    const GfxResult result = WriteLevel(*entry->m_pTexture, 0, pixels, format, x, y, width, height, &lockFailed);
    if (CheckD3DResult(result, "UpdateTextureSubRegion"))
        GetLogger()->Report(0,
                            lockFailed ? "D3D:UpdateTextureSubRegion (LockRect):- %s\n"
                                       : "D3D:UpdateTextureSubRegion (LoadSurfaceFromSurface):- %s\n",
                            GetD3DErrorText());
    return true;
}

bool D3DRenderer::ReadTexture(void* destination, uint32_t destinationSize, int32_t textureNumber)
{
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    if (!entry || !entry->m_pTexture || !destination)
        return false;
    platform::SurfaceDesc desc;
    if (platform::GfxFailed(entry->m_pTexture->GetLevelDesc(0, &desc)))
        return false;
    if (static_cast<uint64_t>(desc.width) * desc.height * 4 != destinationSize)
        return false;
    platform::LockedRect locked;
    const GfxResult result = entry->m_pTexture->LockRect(0, &locked, nullptr, platform::LockFlags::ReadOnly);
    if (CheckD3DResult(result, "ReadTexture") || !locked.bits)
    {
        GetLogger()->Report(0, "D3D:ReadTexture (LockRect):- %s\n", GetD3DErrorText());
        return false;
    }
    const bool decoded = platform::DecodePixels(desc.format, locked.bits, static_cast<uint32_t>(locked.pitch),
                                                desc.width, desc.height, static_cast<uint32_t*>(destination));
    entry->m_pTexture->UnlockRect(0);
    return decoded;
}

void D3DRenderer::RebuildMipLevels(int32_t textureNumber, bool discardManaged)
{
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    if (!entry || !entry->m_bChanged)
        return;
    entry->m_bChanged = false;
    if (!entry->m_pTexture)
        return;
    const GfxResult result = platform::FilterTexture(*entry->m_pTexture, 0, platform::ImageFilter::Box);
    if (CheckD3DResult(result, "RebuildMipLevels"))
        GetLogger()->Report(0, "D3D:UpdateTextureSubRegion (D3DXFilterTexture):- %s\n", GetD3DErrorText());
    if (discardManaged && m_pDevice)
        m_pDevice->ResourceManagerDiscardBytes(0);
}

void D3DRenderer::RebuildChangedTextures()
{
    if (!m_pTextures)
        return;
    for (uint32_t i = 0; i < m_uTextureCapacity; ++i)
        if (m_pTextures[i].m_bChanged)
            RebuildMipLevels(static_cast<int32_t>(i), false);
    if (m_pDevice)
        m_pDevice->ResourceManagerDiscardBytes(0);
}

void D3DRenderer::LockTexture(int32_t textureNumber, void** bits, int32_t* pitch)
{
    if (bits)
        *bits = nullptr;
    if (pitch)
        *pitch = 0;
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    if (!entry || !entry->m_pTexture)
        return;
    platform::LockedRect locked;
    if (platform::GfxFailed(entry->m_pTexture->LockRect(0, &locked, nullptr, platform::LockFlags::NoSysLock)))
        return;
    entry->m_bChanged = true;
    if (bits)
        *bits = locked.bits;
    if (pitch)
        *pitch = locked.pitch;
}

void D3DRenderer::UnlockTexture(int32_t textureNumber)
{
    DeviceTextureEntry* entry = TextureEntry(textureNumber);
    if (entry && entry->m_pTexture)
        entry->m_pTexture->UnlockRect(0);
}

// ---- texture pipes

void D3DRenderer::SetTexturePipe(uint32_t pipe, int32_t slot)
{
    if (pipe >= kTexturePipes)
        return;
    if (m_bWireframe || slot == -1)
        m_aiRequestedTexture[pipe] = -1;
    else
        m_aiRequestedTexture[pipe] = DeviceTextureForSlot(slot);
}

void D3DRenderer::SetDeviceTexturePipe(uint32_t pipe, int32_t textureNumber)
{
    if (pipe < kTexturePipes)
        m_aiRequestedTexture[pipe] = textureNumber;
}

void D3DRenderer::ApplyTexturePipes()
{
    if (!m_pDevice)
        return;
    for (uint32_t pipe = 0; pipe < 2; ++pipe)
    {
        const int32_t requested = m_aiRequestedTexture[pipe];
        if (requested == m_aiBoundTexture[pipe] || requested == 0)
            continue;
        GfxResult result = GfxResult::Ok;
        if (requested == -1)
        {
            result = m_pDevice->SetTexture(pipe, nullptr);
        }
        else if (requested < 0 || static_cast<uint32_t>(requested) >= kTextureCapacity)
        {
            GetLogger()->Report(0, "D3D:SetTexture() :- Out of range Pipe %d, Texture Num %d\n", static_cast<int>(pipe),
                                static_cast<int>(requested));
            continue;
        }
        else
        {
            DeviceTextureEntry* entry = TextureEntry(requested);
            if (entry && entry->m_bChanged)
                RebuildMipLevels(requested, true);
            result = m_pDevice->SetTexture(pipe, entry ? entry->m_pTexture.get() : nullptr);
        }
        if (CheckD3DResult(result, "SetTexture"))
            GetLogger()->Report(0, "D3D:SetTexture() :- %s\n", GetD3DErrorText());
        m_aiBoundTexture[pipe] = requested;
        m_pStats->Add(pipe == 0 ? RenderStats::TextureBinds0 : RenderStats::TextureBinds1, 1);
    }
}
