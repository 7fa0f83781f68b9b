// Texture helpers: requirements, full-chain creation, level copies with conversion and scaling, box-filtered mip
// levels, and the pixel codecs of every colour format (16-bit, 32-bit, DXT1 to DXT5).
#include "platform/gfx/TextureUtil.h"

#include "platform/image/ColourChannels.h"

#include <algorithm>
#include <vector>

namespace platform
{
namespace
{

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

uint16_t Read16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
void Write16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
uint32_t Read32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Write32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// Rounds to nearest: x * max / 255.
uint32_t Quant(uint32_t x, uint32_t max)
{
    return (x * max + 127) / 255;
}

uint32_t Encode565(uint32_t argb)
{
    return (Quant((argb >> 16) & 255, 31) << 11) | (Quant((argb >> 8) & 255, 63) << 5) | Quant(argb & 255, 31);
}

uint32_t BlockBytes(PixelFormat f)
{
    return f == PixelFormat::DXT1 ? 8 : 16;
}

// The four colours of a DXT colour block; three-colour mode (with transparent black) only for DXT1 when c0 <= c1.
void ColourPalette(uint32_t c0, uint32_t c1, bool allowThreeColour, uint32_t out[4])
{
    out[0] = Argb565(c0);
    out[1] = Argb565(c1);
    auto mix = [&](uint32_t wa, uint32_t wb, uint32_t div)
    {
        uint32_t r = 0;
        for (int shift = 0; shift < 24; shift += 8)
        {
            uint32_t a = (out[0] >> shift) & 255, b = (out[1] >> shift) & 255;
            r |= ((a * wa + b * wb) / div) << shift;
        }
        return r | 0xFF000000u;
    };
    if (c0 > c1 || !allowThreeColour)
    {
        out[2] = mix(2, 1, 3);
        out[3] = mix(1, 2, 3);
    }
    else
    {
        out[2] = mix(1, 1, 2);
        out[3] = 0;
    }
}

void AlphaPalette(uint32_t a0, uint32_t a1, uint32_t out[8])
{
    out[0] = a0;
    out[1] = a1;
    if (a0 > a1)
    {
        for (uint32_t i = 1; i < 7; ++i)
            out[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    }
    else
    {
        for (uint32_t i = 1; i < 5; ++i)
            out[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        out[6] = 0;
        out[7] = 255;
    }
}

void DecodeBlock(PixelFormat f, const uint8_t* block, uint32_t out[16])
{
    const uint8_t* colour = f == PixelFormat::DXT1 ? block : block + 8;
    uint32_t c0 = Read16(colour), c1 = Read16(colour + 2);
    uint32_t palette[4];
    ColourPalette(c0, c1, f == PixelFormat::DXT1, palette);
    uint32_t bits = Read32(colour + 4);
    for (int i = 0; i < 16; ++i)
        out[i] = palette[(bits >> (2 * i)) & 3];
    if (f == PixelFormat::DXT2 || f == PixelFormat::DXT3)
    {
        for (int i = 0; i < 16; ++i)
        {
            uint32_t a = (block[i / 2] >> ((i & 1) * 4)) & 15;
            out[i] = (out[i] & 0x00FFFFFFu) | (WidenChannel(a, 4) << 24);
        }
    }
    else if (f == PixelFormat::DXT4 || f == PixelFormat::DXT5)
    {
        uint32_t alphas[8];
        AlphaPalette(block[0], block[1], alphas);
        uint64_t abits = 0;
        for (int i = 0; i < 6; ++i)
            abits |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
        for (int i = 0; i < 16; ++i)
            out[i] = (out[i] & 0x00FFFFFFu) | (alphas[(abits >> (3 * i)) & 7] << 24);
    }
}

uint32_t ColourDistance(uint32_t a, uint32_t b)
{
    uint32_t d = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        int x = static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255);
        d += static_cast<uint32_t>(x * x);
    }
    return d;
}

void EncodeBlock(PixelFormat f, const uint32_t in[16], uint8_t* block)
{
    // Colour endpoints: the two opaque pixels farthest apart (exact for blocks of one or two colours).
    bool transparent = false;
    int first = -1, second = -1;
    uint32_t widest = 0;
    for (int i = 0; i < 16; ++i)
    {
        if (f == PixelFormat::DXT1 && (in[i] >> 24) < 128)
        {
            transparent = true;
            continue;
        }
        if (first < 0)
            first = second = i;
        for (int j = i + 1; j < 16; ++j)
        {
            if (f == PixelFormat::DXT1 && (in[j] >> 24) < 128)
                continue;
            uint32_t d = ColourDistance(in[i], in[j]);
            if (d > widest)
            {
                widest = d;
                first = i;
                second = j;
            }
        }
    }
    uint32_t c0 = first < 0 ? 0 : Encode565(in[first]);
    uint32_t c1 = first < 0 ? 0 : Encode565(in[second]);
    uint8_t* colour = f == PixelFormat::DXT1 ? block : block + 8;
    bool threeColour = f == PixelFormat::DXT1 && transparent;
    if (threeColour ? c0 > c1 : c0 < c1)
        std::swap(c0, c1);
    uint32_t palette[4];
    ColourPalette(c0, c1, f == PixelFormat::DXT1, palette);
    uint32_t bits = 0;
    for (int i = 0; i < 16; ++i)
    {
        uint32_t index = 0;
        if (threeColour && (in[i] >> 24) < 128)
            index = 3;
        else if (c0 != c1)
        {
            uint32_t best = ~0u;
            uint32_t candidates = threeColour ? 3 : 4;
            for (uint32_t k = 0; k < candidates; ++k)
            {
                uint32_t d = ColourDistance(in[i], palette[k]);
                if (d < best)
                {
                    best = d;
                    index = k;
                }
            }
        }
        bits |= index << (2 * i);
    }
    Write16(colour, c0);
    Write16(colour + 2, c1);
    Write32(colour + 4, bits);

    if (f == PixelFormat::DXT2 || f == PixelFormat::DXT3)
    {
        for (int i = 0; i < 8; ++i)
        {
            uint32_t a0 = Quant(in[2 * i] >> 24, 15), a1 = Quant(in[2 * i + 1] >> 24, 15);
            block[i] = static_cast<uint8_t>(a0 | (a1 << 4));
        }
    }
    else if (f == PixelFormat::DXT4 || f == PixelFormat::DXT5)
    {
        uint32_t amin = 255, amax = 0;
        for (int i = 0; i < 16; ++i)
        {
            amin = std::min(amin, in[i] >> 24);
            amax = std::max(amax, in[i] >> 24);
        }
        block[0] = static_cast<uint8_t>(amax);
        block[1] = static_cast<uint8_t>(amin);
        uint32_t alphas[8];
        AlphaPalette(amax, amin, alphas);
        uint64_t abits = 0;
        for (int i = 0; i < 16; ++i)
        {
            uint32_t a = in[i] >> 24, index = 0, best = ~0u;
            for (uint32_t k = 0; k < 8; ++k)
            {
                uint32_t d = a > alphas[k] ? a - alphas[k] : alphas[k] - a;
                if (d < best)
                {
                    best = d;
                    index = k;
                }
            }
            abits |= static_cast<uint64_t>(index) << (3 * i);
        }
        for (int i = 0; i < 6; ++i)
            block[2 + i] = static_cast<uint8_t>(abits >> (8 * i));
    }
}

bool IsColourFormat(PixelFormat f)
{
    switch (f)
    {
    case PixelFormat::R8G8B8:
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4:
    case PixelFormat::A8:
        return true;
    default:
        return IsBlockCompressed(f);
    }
}

uint32_t DecodePixel(PixelFormat f, const uint8_t* p)
{
    switch (f)
    {
    case PixelFormat::R8G8B8:
        return Argb(255, p[2], p[1], p[0]);
    case PixelFormat::A8R8G8B8:
        return Read32(p);
    case PixelFormat::X8R8G8B8:
        return Read32(p) | 0xFF000000u;
    case PixelFormat::R5G6B5:
        return Argb565(Read16(p));
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    {
        return Argb1555(Read16(p), f == PixelFormat::A1R5G5B5);
    }
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4:
    {
        uint32_t c = Read16(p);
        uint32_t a = f == PixelFormat::X4R4G4B4 ? 255 : WidenChannel(c >> 12, 4);
        return Argb(a, WidenChannel((c >> 8) & 15, 4), WidenChannel((c >> 4) & 15, 4), WidenChannel(c & 15, 4));
    }
    case PixelFormat::A8:
        return static_cast<uint32_t>(p[0]) << 24;
    default:
        return 0;
    }
}

void EncodePixel(PixelFormat f, uint32_t v, uint8_t* p)
{
    uint32_t a = v >> 24, r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
    switch (f)
    {
    case PixelFormat::R8G8B8:
        p[0] = static_cast<uint8_t>(b);
        p[1] = static_cast<uint8_t>(g);
        p[2] = static_cast<uint8_t>(r);
        break;
    case PixelFormat::A8R8G8B8:
        Write32(p, v);
        break;
    case PixelFormat::X8R8G8B8:
        Write32(p, v | 0xFF000000u);
        break;
    case PixelFormat::R5G6B5:
        Write16(p, Encode565(v));
        break;
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    {
        uint32_t top = f == PixelFormat::X1R5G5B5 || a >= 128 ? 0x8000 : 0;
        Write16(p, top | (Quant(r, 31) << 10) | (Quant(g, 31) << 5) | Quant(b, 31));
        break;
    }
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4:
    {
        uint32_t top = f == PixelFormat::X4R4G4B4 ? 15 : Quant(a, 15);
        Write16(p, (top << 12) | (Quant(r, 15) << 8) | (Quant(g, 15) << 4) | Quant(b, 15));
        break;
    }
    case PixelFormat::A8:
        p[0] = static_cast<uint8_t>(a);
        break;
    default:
        break;
    }
}

// Scales a packed image to another size: Point takes the nearest source pixel, Box averages the source pixels
// whose centres fall in the destination pixel (at least the nearest one).
std::vector<uint32_t> Scale(const std::vector<uint32_t>& src, uint32_t sw, uint32_t sh, uint32_t dw, uint32_t dh,
                            ImageFilter filter)
{
    if (sw == dw && sh == dh)
        return src;
    std::vector<uint32_t> out(static_cast<size_t>(dw) * dh);
    for (uint32_t y = 0; y < dh; ++y)
    {
        for (uint32_t x = 0; x < dw; ++x)
        {
            if (filter != ImageFilter::Box)
            {
                uint32_t sx = std::min(sw - 1, static_cast<uint32_t>((x + 0.5) * sw / dw));
                uint32_t sy = std::min(sh - 1, static_cast<uint32_t>((y + 0.5) * sh / dh));
                out[static_cast<size_t>(y) * dw + x] = src[static_cast<size_t>(sy) * sw + sx];
                continue;
            }
            uint32_t x0 = x * sw / dw, x1 = std::max(x0 + 1, (x + 1) * sw / dw);
            uint32_t y0 = y * sh / dh, y1 = std::max(y0 + 1, (y + 1) * sh / dh);
            x1 = std::min(x1, sw);
            y1 = std::min(y1, sh);
            uint32_t sum[4] = {0, 0, 0, 0}, n = 0;
            for (uint32_t sy = y0; sy < y1; ++sy)
            {
                for (uint32_t sx = x0; sx < x1; ++sx)
                {
                    uint32_t v = src[static_cast<size_t>(sy) * sw + sx];
                    for (int c = 0; c < 4; ++c)
                        sum[c] += (v >> (8 * c)) & 255;
                    ++n;
                }
            }
            uint32_t v = 0;
            for (int c = 0; c < 4; ++c)
                v |= ((sum[c] + n / 2) / n) << (8 * c);
            out[static_cast<size_t>(y) * dw + x] = v;
        }
    }
    return out;
}

bool RectInside(const Rect& r, uint32_t w, uint32_t h)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<uint32_t>(r.right) <= w &&
           static_cast<uint32_t>(r.bottom) <= h;
}

// Reads a whole level as packed ARGB.
GfxResult ReadLevel(ITexture& texture, uint32_t level, std::vector<uint32_t>* pixels, SurfaceDesc* desc)
{
    GfxResult r = texture.GetLevelDesc(level, desc);
    if (GfxFailed(r))
        return r;
    if (!IsColourFormat(desc->format))
        return GfxResult::NotAvailable;
    LockedRect locked;
    r = texture.LockRect(level, &locked, nullptr, LockFlags::ReadOnly);
    if (GfxFailed(r))
        return r;
    pixels->assign(static_cast<size_t>(desc->width) * desc->height, 0);
    DecodePixels(desc->format, locked.bits, static_cast<uint32_t>(locked.pitch), desc->width, desc->height,
                 pixels->data());
    return texture.UnlockRect(level);
}

// Writes an ARGB image into a rectangle of a level, keeping the rest of the level.
GfxResult WriteLevelRect(ITexture& texture, uint32_t level, const Rect* rect, const std::vector<uint32_t>& pixels)
{
    SurfaceDesc desc;
    GfxResult r = texture.GetLevelDesc(level, &desc);
    if (GfxFailed(r))
        return r;
    if (!IsColourFormat(desc.format))
        return GfxResult::NotAvailable;
    Rect whole{0, 0, static_cast<int32_t>(desc.width), static_cast<int32_t>(desc.height)};
    Rect target = rect ? *rect : whole;
    if (!RectInside(target, desc.width, desc.height))
        return GfxResult::InvalidCall;
    uint32_t tw = static_cast<uint32_t>(target.right - target.left);
    uint32_t th = static_cast<uint32_t>(target.bottom - target.top);
    bool wholeLevel = tw == desc.width && th == desc.height;
    if (!IsBlockCompressed(desc.format) || wholeLevel)
    {
        LockedRect locked;
        r = texture.LockRect(level, &locked, wholeLevel ? nullptr : &target, 0);
        if (GfxFailed(r))
            return r;
        EncodePixels(desc.format, pixels.data(), tw, th, locked.bits, static_cast<uint32_t>(locked.pitch));
        return texture.UnlockRect(level);
    }
    // A part of a block-compressed level: decode all, patch, encode all.
    std::vector<uint32_t> all;
    r = ReadLevel(texture, level, &all, &desc);
    if (GfxFailed(r))
        return r;
    for (uint32_t y = 0; y < th; ++y)
        std::copy_n(&pixels[static_cast<size_t>(y) * tw], tw,
                    &all[static_cast<size_t>(target.top + y) * desc.width + target.left]);
    LockedRect locked;
    r = texture.LockRect(level, &locked, nullptr, 0);
    if (GfxFailed(r))
        return r;
    EncodePixels(desc.format, all.data(), desc.width, desc.height, locked.bits, static_cast<uint32_t>(locked.pitch));
    return texture.UnlockRect(level);
}

void ApplyColourKey(std::vector<uint32_t>* pixels, uint32_t colourKey)
{
    if (colourKey == 0)
        return;
    for (uint32_t& v : *pixels)
    {
        if ((v | 0xFF000000u) == (colourKey | 0xFF000000u))
            v = 0;
    }
}

bool BlockAligned(const Rect& r)
{
    return (r.left % 4) == 0 && (r.top % 4) == 0;
}

} // namespace

uint32_t FullMipChainLevels(uint32_t width, uint32_t height)
{
    uint32_t side = std::max(width, height), levels = 1;
    while (side > 1)
    {
        side >>= 1;
        ++levels;
    }
    return levels;
}

uint32_t FormatRowPitch(PixelFormat format, uint32_t width)
{
    if (IsBlockCompressed(format))
        return ((width + 3) / 4) * BlockBytes(format);
    return width * FormatBitsPerPixel(format) / 8;
}

uint32_t FormatLevelSize(PixelFormat format, uint32_t width, uint32_t height)
{
    if (IsBlockCompressed(format))
        return FormatRowPitch(format, width) * ((height + 3) / 4);
    return FormatRowPitch(format, width) * height;
}

bool DecodePixels(PixelFormat format, const void* src, uint32_t pitch, uint32_t width, uint32_t height, uint32_t* argb)
{
    if (!IsColourFormat(format))
        return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(src);
    if (IsBlockCompressed(format))
    {
        uint32_t block[16];
        for (uint32_t by = 0; by < (height + 3) / 4; ++by)
        {
            for (uint32_t bx = 0; bx < (width + 3) / 4; ++bx)
            {
                DecodeBlock(format, bytes + static_cast<size_t>(by) * pitch + bx * BlockBytes(format), block);
                for (uint32_t i = 0; i < 16; ++i)
                {
                    uint32_t x = bx * 4 + (i & 3), y = by * 4 + i / 4;
                    if (x < width && y < height)
                        argb[static_cast<size_t>(y) * width + x] = block[i];
                }
            }
        }
        return true;
    }
    uint32_t bpp = FormatBitsPerPixel(format) / 8;
    for (uint32_t y = 0; y < height; ++y)
    {
        const uint8_t* row = bytes + static_cast<size_t>(y) * pitch;
        for (uint32_t x = 0; x < width; ++x)
            argb[static_cast<size_t>(y) * width + x] = DecodePixel(format, row + x * bpp);
    }
    return true;
}

bool EncodePixels(PixelFormat format, const uint32_t* argb, uint32_t width, uint32_t height, void* dst, uint32_t pitch)
{
    if (!IsColourFormat(format))
        return false;
    uint8_t* bytes = static_cast<uint8_t*>(dst);
    if (IsBlockCompressed(format))
    {
        uint32_t block[16];
        for (uint32_t by = 0; by < (height + 3) / 4; ++by)
        {
            for (uint32_t bx = 0; bx < (width + 3) / 4; ++bx)
            {
                // Pixels past the edge repeat the last row or column.
                for (uint32_t i = 0; i < 16; ++i)
                {
                    uint32_t x = std::min(bx * 4 + (i & 3), width - 1), y = std::min(by * 4 + i / 4, height - 1);
                    block[i] = argb[static_cast<size_t>(y) * width + x];
                }
                EncodeBlock(format, block, bytes + static_cast<size_t>(by) * pitch + bx * BlockBytes(format));
            }
        }
        return true;
    }
    uint32_t bpp = FormatBitsPerPixel(format) / 8;
    for (uint32_t y = 0; y < height; ++y)
    {
        uint8_t* row = bytes + static_cast<size_t>(y) * pitch;
        for (uint32_t x = 0; x < width; ++x)
            EncodePixel(format, argb[static_cast<size_t>(y) * width + x], row + x * bpp);
    }
    return true;
}

GfxResult CheckTextureRequirements(IDevice& device, uint32_t* width, uint32_t* height, uint32_t* levels,
                                   uint32_t /*usage*/, PixelFormat* format, Pool pool)
{
    DeviceCaps caps;
    GfxResult r = device.GetDeviceCaps(&caps);
    if (GfxFailed(r))
        return r;

    PixelFormat wanted = format ? *format : PixelFormat::A8R8G8B8;
    if (wanted == PixelFormat::Unknown)
        wanted = PixelFormat::A8R8G8B8;
    PixelFormat chosen = PixelFormat::Unknown;
    if (pool == Pool::Scratch || pool == Pool::SystemMem ? IsColourFormat(wanted)
                                                         : device.IsTextureFormatSupported(wanted))
    {
        chosen = wanted;
    }
    else
    {
        static const PixelFormat kWithAlpha[] = {PixelFormat::A8R8G8B8, PixelFormat::A4R4G4B4, PixelFormat::A1R5G5B5};
        static const PixelFormat kOpaque[] = {PixelFormat::X8R8G8B8, PixelFormat::R5G6B5, PixelFormat::X1R5G5B5,
                                              PixelFormat::A8R8G8B8};
        bool alpha = FormatHasAlpha(wanted) && wanted != PixelFormat::DXT1;
        const PixelFormat* list = alpha ? kWithAlpha : kOpaque;
        size_t count = alpha ? std::size(kWithAlpha) : std::size(kOpaque);
        for (size_t i = 0; i < count && chosen == PixelFormat::Unknown; ++i)
        {
            if (device.IsTextureFormatSupported(list[i]))
                chosen = list[i];
        }
        if (chosen == PixelFormat::Unknown)
            return GfxResult::NotAvailable;
    }

    uint32_t w = width && *width ? *width : 256;
    uint32_t h = height && *height ? *height : 256;
    if (caps.texturePow2)
    {
        uint32_t pw = 1, ph = 1;
        while (pw < w)
            pw <<= 1;
        while (ph < h)
            ph <<= 1;
        w = pw;
        h = ph;
    }
    if (caps.textureSquareOnly)
        w = h = std::max(w, h);
    if (caps.maxTextureWidth)
        w = std::min(w, caps.maxTextureWidth);
    if (caps.maxTextureHeight)
        h = std::min(h, caps.maxTextureHeight);
    if (IsBlockCompressed(chosen))
    {
        w = (w + 3) & ~3u;
        h = (h + 3) & ~3u;
    }
    uint32_t full = FullMipChainLevels(w, h);
    uint32_t l = levels ? *levels : 1;
    if (l == 0 || l > full)
        l = full;

    if (width)
        *width = w;
    if (height)
        *height = h;
    if (levels)
        *levels = l;
    if (format)
        *format = chosen;
    return GfxResult::Ok;
}

GfxResult CreateTextureFitted(IDevice& device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                              PixelFormat format, Pool pool, TexturePtr* texture)
{
    GfxResult r = CheckTextureRequirements(device, &width, &height, &levels, usage, &format, pool);
    if (GfxFailed(r))
        return r;
    return device.CreateTexture(width, height, levels, usage, format, pool, texture);
}

GfxResult FilterTexture(ITexture& texture, uint32_t srcLevel, ImageFilter filter)
{
    uint32_t count = texture.GetLevelCount();
    if (srcLevel >= count)
        return GfxResult::InvalidCall;
    std::vector<uint32_t> pixels;
    SurfaceDesc desc;
    GfxResult r = ReadLevel(texture, srcLevel, &pixels, &desc);
    if (GfxFailed(r))
        return r;
    for (uint32_t level = srcLevel + 1; level < count; ++level)
    {
        SurfaceDesc next;
        r = texture.GetLevelDesc(level, &next);
        if (GfxFailed(r))
            return r;
        pixels = Scale(pixels, desc.width, desc.height, next.width, next.height,
                       filter == ImageFilter::None ? ImageFilter::Box : filter);
        r = WriteLevelRect(texture, level, nullptr, pixels);
        if (GfxFailed(r))
            return r;
        desc = next;
    }
    return GfxResult::Ok;
}

GfxResult LoadLevelFromMemory(ITexture& dst, uint32_t dstLevel, const Rect* dstRect, const void* src,
                              PixelFormat srcFormat, uint32_t srcPitch, const Rect& srcRect, ImageFilter filter,
                              uint32_t colourKey)
{
    if (!src || !IsColourFormat(srcFormat) || srcRect.left < 0 || srcRect.top < 0 || srcRect.right <= srcRect.left ||
        srcRect.bottom <= srcRect.top)
    {
        return GfxResult::InvalidCall;
    }
    SurfaceDesc desc;
    GfxResult r = dst.GetLevelDesc(dstLevel, &desc);
    if (GfxFailed(r))
        return r;
    Rect whole{0, 0, static_cast<int32_t>(desc.width), static_cast<int32_t>(desc.height)};
    Rect target = dstRect ? *dstRect : whole;
    if (!RectInside(target, desc.width, desc.height))
        return GfxResult::InvalidCall;
    uint32_t sw = static_cast<uint32_t>(srcRect.right - srcRect.left);
    uint32_t sh = static_cast<uint32_t>(srcRect.bottom - srcRect.top);
    uint32_t tw = static_cast<uint32_t>(target.right - target.left);
    uint32_t th = static_cast<uint32_t>(target.bottom - target.top);
    const uint8_t* bytes = static_cast<const uint8_t*>(src);

    // Same format, same size, no key: a plain copy of rows (keeps DXT data bit for bit).
    if (srcFormat == desc.format && sw == tw && sh == th && colourKey == 0 &&
        (!IsBlockCompressed(srcFormat) || (BlockAligned(srcRect) && BlockAligned(target))))
    {
        LockedRect locked;
        bool wholeLevel = tw == desc.width && th == desc.height;
        r = dst.LockRect(dstLevel, &locked, wholeLevel ? nullptr : &target, 0);
        if (GfxFailed(r))
            return r;
        bool compressed = IsBlockCompressed(srcFormat);
        uint32_t rows = compressed ? (sh + 3) / 4 : sh;
        uint32_t rowBytes = FormatRowPitch(srcFormat, sw);
        uint32_t srcX = compressed ? static_cast<uint32_t>(srcRect.left) / 4 * BlockBytes(srcFormat)
                                   : static_cast<uint32_t>(srcRect.left) * FormatBitsPerPixel(srcFormat) / 8;
        uint32_t srcY = compressed ? static_cast<uint32_t>(srcRect.top) / 4 : static_cast<uint32_t>(srcRect.top);
        for (uint32_t y = 0; y < rows; ++y)
        {
            std::copy_n(bytes + static_cast<size_t>(srcY + y) * srcPitch + srcX, rowBytes,
                        static_cast<uint8_t*>(locked.bits) + static_cast<size_t>(y) * locked.pitch);
        }
        return dst.UnlockRect(dstLevel);
    }

    // General way: decode the source rectangle to ARGB, key, scale, encode.
    std::vector<uint32_t> pixels(static_cast<size_t>(sw) * sh);
    if (IsBlockCompressed(srcFormat))
    {
        uint32_t fullW = static_cast<uint32_t>(srcRect.right), fullH = static_cast<uint32_t>(srcRect.bottom);
        std::vector<uint32_t> all(static_cast<size_t>(fullW) * fullH);
        DecodePixels(srcFormat, bytes, srcPitch, fullW, fullH, all.data());
        for (uint32_t y = 0; y < sh; ++y)
            std::copy_n(&all[static_cast<size_t>(srcRect.top + y) * fullW + srcRect.left], sw,
                        &pixels[static_cast<size_t>(y) * sw]);
    }
    else
    {
        uint32_t bpp = FormatBitsPerPixel(srcFormat) / 8;
        DecodePixels(srcFormat, bytes + static_cast<size_t>(srcRect.top) * srcPitch + srcRect.left * bpp, srcPitch, sw,
                     sh, pixels.data());
    }
    ApplyColourKey(&pixels, colourKey);
    pixels = Scale(pixels, sw, sh, tw, th, filter);
    return WriteLevelRect(dst, dstLevel, &target, pixels);
}

GfxResult LoadLevelFromLevel(ITexture& dst, uint32_t dstLevel, const Rect* dstRect, ITexture& src, uint32_t srcLevel,
                             const Rect* srcRect, ImageFilter filter, uint32_t colourKey)
{
    SurfaceDesc desc;
    GfxResult r = src.GetLevelDesc(srcLevel, &desc);
    if (GfxFailed(r))
        return r;
    Rect whole{0, 0, static_cast<int32_t>(desc.width), static_cast<int32_t>(desc.height)};
    Rect from = srcRect ? *srcRect : whole;
    if (!RectInside(from, desc.width, desc.height))
        return GfxResult::InvalidCall;
    LockedRect locked;
    r = src.LockRect(srcLevel, &locked, nullptr, LockFlags::ReadOnly);
    if (GfxFailed(r))
        return r;
    // Copy the source level out first, so that a texture may be loaded from itself.
    uint32_t rows = IsBlockCompressed(desc.format) ? (desc.height + 3) / 4 : desc.height;
    uint32_t rowBytes = FormatRowPitch(desc.format, desc.width);
    std::vector<uint8_t> copy(static_cast<size_t>(rows) * rowBytes);
    for (uint32_t y = 0; y < rows; ++y)
        std::copy_n(static_cast<const uint8_t*>(locked.bits) + static_cast<size_t>(y) * locked.pitch, rowBytes,
                    &copy[static_cast<size_t>(y) * rowBytes]);
    src.UnlockRect(srcLevel);
    return LoadLevelFromMemory(dst, dstLevel, dstRect, copy.data(), desc.format, rowBytes, from, filter, colourKey);
}

} // namespace platform
