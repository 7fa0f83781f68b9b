// Image file readers: TGA to 32-bit ARGB, DDS top levels and DDT textures, every size checked against the file.
#include "engine/render/ImageReaders.h"

#include "engine/core/Logger.h"
#include "engine/core/Stream.h"

#include "platform/image/ColourChannels.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace
{

// Unknown-size streams are read in steps that double from this size, so a header that claims more than the file
// holds costs at most about twice the file's real size in memory.
constexpr uint64_t kReadStep = 1u << 20;

uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

enum class ReadResult
{
    Done,
    Short,    // the stream ended first
    NoMemory, // the buffer could not be allocated
};

// Reads exactly n bytes into a new buffer. A memory stream's remaining size is checked before anything is
// allocated; other streams are read step by step, so memory is only taken for bytes that really come.
ReadResult ReadExactly(Stream& stream, uint64_t n, std::unique_ptr<uint8_t[]>* pOut)
{
    pOut->reset();
    if (n > UINT32_MAX)
        return ReadResult::Short;
    uint32_t count = static_cast<uint32_t>(n);

    if (auto* memory = dynamic_cast<FileStream*>(&stream))
    {
        if (memory->Remaining() < count)
            return ReadResult::Short;
        std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[count]);
        if (!buffer)
            return ReadResult::NoMemory;
        if (memory->Read(buffer.get(), count) != count)
            return ReadResult::Short;
        *pOut = std::move(buffer);
        return ReadResult::Done;
    }

    std::unique_ptr<uint8_t[]> buffer;
    uint32_t have = 0;
    do
    {
        uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(count, std::max<uint64_t>(kReadStep, 2ull * have)));
        std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[want]);
        if (!grown)
            return ReadResult::NoMemory;
        if (have)
            std::memcpy(grown.get(), buffer.get(), have);
        buffer = std::move(grown);
        if (stream.Read(buffer.get() + have, want - have) != want - have)
            return ReadResult::Short;
        have = want;
    } while (have < count);
    *pOut = std::move(buffer);
    return ReadResult::Done;
}

// Reads and drops n bytes (an image-ID field or a colour map that is not used); false when the stream ends first.
bool SkipBytes(Stream& stream, uint32_t n)
{
    uint8_t scratch[256];
    while (n > 0)
    {
        uint32_t step = std::min<uint32_t>(n, sizeof scratch);
        if (stream.Read(scratch, step) != step)
            return false;
        n -= step;
    }
    return true;
}

void PutPixel(uint8_t* out, uint8_t b, uint8_t g, uint8_t r, uint8_t a)
{
    out[0] = b;
    out[1] = g;
    out[2] = r;
    out[3] = a;
}

void PutArgb(uint8_t* out, uint32_t argb)
{
    PutPixel(out, static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb >> 16),
             static_cast<uint8_t>(argb >> 24));
}

// ---------------------------------------------------------------------------------------------------------------
// TGA

constexpr char kTGADamaged[] = "LoadTGA : Damaged or truncated file (%s)";

// The colour map of an 8-bit colour-mapped TGA, as the B, G, R bytes of each entry, alpha set later to 0xFF.
struct TGAPalette
{
    uint32_t uFirst = 0;
    uint32_t uCount = 0;
    std::unique_ptr<uint8_t[]> pBGR; // uCount x 3 bytes
};

// Decodes `count` map entries of `entryBits` each (15 or 16: 5-5-5 words; 24: B, G, R; 32: B, G, R, A) into BGR.
bool DecodePalette(const uint8_t* raw, uint32_t count, uint32_t entryBits, TGAPalette* palette)
{
    if (entryBits != 15 && entryBits != 16 && entryBits != 24 && entryBits != 32)
        return false;
    palette->pBGR.reset(new (std::nothrow) uint8_t[count * 3 + 3]);
    if (!palette->pBGR)
        return false;
    palette->uCount = count;
    uint32_t entryBytes = (entryBits + 7) / 8;
    for (uint32_t i = 0; i < count; ++i)
    {
        const uint8_t* src = raw + i * entryBytes;
        uint8_t* dst = palette->pBGR.get() + i * 3;
        if (entryBytes == 2)
        {
            uint32_t argb = platform::Argb1555(Get16(src), false);
            dst[0] = static_cast<uint8_t>(argb);
            dst[1] = static_cast<uint8_t>(argb >> 8);
            dst[2] = static_cast<uint8_t>(argb >> 16);
        }
        else
        {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
    return true;
}

// How the pixels of a TGA row are laid out, from the image descriptor.
struct TGALayout
{
    uint32_t depth;
    bool alpha;                // the descriptor counts attribute (alpha) bits: 16 and 32-bit pixels carry alpha
    bool rightFirst;           // each row is stored from its right end
    const TGAPalette* palette; // 8-bit indices into the colour map; null for grey
};

void DecodeTGARow(const uint8_t* src, uint32_t width, const TGALayout& layout, uint8_t* row)
{
    for (uint32_t x = 0; x < width; ++x)
    {
        uint8_t* out = row + static_cast<size_t>(layout.rightFirst ? width - 1 - x : x) * 4;
        switch (layout.depth)
        {
        case 32:
            PutPixel(out, src[x * 4], src[x * 4 + 1], src[x * 4 + 2], layout.alpha ? src[x * 4 + 3] : 0xFF);
            break;
        case 24:
            PutPixel(out, src[x * 3], src[x * 3 + 1], src[x * 3 + 2], 0xFF);
            break;
        case 16:
            PutArgb(out, platform::Argb1555(Get16(src + x * 2), layout.alpha));
            break;
        default: // 8: grey, or an index into the colour map
            if (!layout.palette)
            {
                PutPixel(out, src[x], src[x], src[x], 0xFF);
            }
            else
            {
                // An index the map does not hold comes out opaque black (one below the first entry wraps round to
                // a number far beyond the map).
                const TGAPalette& palette = *layout.palette;
                uint32_t entry = src[x] - palette.uFirst;
                if (entry >= palette.uCount)
                {
                    PutPixel(out, 0, 0, 0, 0xFF);
                }
                else
                {
                    const uint8_t* bgr = palette.pBGR.get() + entry * 3;
                    PutPixel(out, bgr[0], bgr[1], bgr[2], 0xFF);
                }
            }
            break;
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// DDS

// One channel of a DDS RGB layout: the lowest bit of its mask and the mask's width (0: the layout has none).
struct MaskChannel
{
    uint32_t shift;
    uint32_t bits;
};

// False for a mask whose bits are not one run, or that reaches past the pixel's bits.
bool ChannelFromMask(uint32_t mask, uint32_t pixelBits, MaskChannel* channel)
{
    *channel = MaskChannel{};
    if (mask == 0)
        return true;
    channel->shift = static_cast<uint32_t>(std::countr_zero(mask));
    channel->bits = static_cast<uint32_t>(std::popcount(mask));
    bool oneRun = (static_cast<uint64_t>(mask) >> channel->shift) == (uint64_t(1) << channel->bits) - 1;
    return oneRun && channel->shift + channel->bits <= pixelBits;
}

uint32_t ChannelValue(uint32_t pixel, const MaskChannel& channel)
{
    uint32_t value = static_cast<uint32_t>((pixel >> channel.shift) & ((uint64_t(1) << channel.bits) - 1));
    return platform::WidenChannel(value, channel.bits);
}

// The red, green, blue and alpha channels of an RGB layout.
struct MaskLayout
{
    MaskChannel red, green, blue, alpha;
};

// The layout from the header's masks. A header without colour masks gets the classic layout of its bit count
// (A8R8G8B8, R8G8B8 or A1R5G5B5); without an alpha mask the pixels are opaque. False for masks the reader
// cannot follow.
bool MaskLayoutFromHeader(const DDSHeader& header, uint32_t bits, MaskLayout* layout)
{
    uint32_t red = header.GetRedMask();
    uint32_t green = header.GetGreenMask();
    uint32_t blue = header.GetBlueMask();
    uint32_t alpha = header.GetAlphaMask();
    if ((red | green | blue) == 0)
    {
        red = bits == 16 ? 0x7C00 : 0xFF0000;
        green = bits == 16 ? 0x03E0 : 0xFF00;
        blue = bits == 16 ? 0x001F : 0xFF;
        alpha = bits == 16 ? 0x8000 : bits == 32 ? 0xFF000000 : 0;
    }
    return ChannelFromMask(red, bits, &layout->red) && ChannelFromMask(green, bits, &layout->green) &&
           ChannelFromMask(blue, bits, &layout->blue) && ChannelFromMask(alpha, bits, &layout->alpha);
}

uint32_t DecodeMaskedPixel(uint32_t pixel, const MaskLayout& layout)
{
    uint32_t alpha = layout.alpha.bits ? ChannelValue(pixel, layout.alpha) : 0xFF;
    return (alpha << 24) | (ChannelValue(pixel, layout.red) << 16) | (ChannelValue(pixel, layout.green) << 8) |
           ChannelValue(pixel, layout.blue);
}

// ---------------------------------------------------------------------------------------------------------------
// DDT

constexpr char kDDTDamaged[] = "Failed to Load DDT Texture File (sizes or offsets do not fit the file)%s";

void ParseDDTHeader(const uint8_t* raw, DDTHeader* header)
{
    header->m_uMajorVersion = Get16(raw + 0);
    header->m_uMinorVersion = Get16(raw + 2);
    header->m_uFormat = Get32(raw + 8);
    header->m_iWidth = static_cast<int32_t>(Get32(raw + 20));
    header->m_iHeight = static_cast<int32_t>(Get32(raw + 24));
    header->m_iMarginLeft = static_cast<int32_t>(Get32(raw + 28));
    header->m_iMarginRight = static_cast<int32_t>(Get32(raw + 32));
    header->m_iMarginTop = static_cast<int32_t>(Get32(raw + 36));
    header->m_iMarginBottom = static_cast<int32_t>(Get32(raw + 40));
    header->m_bOwnPage = raw[44];
    header->m_uMipLevels = Get32(raw + 60);
    for (uint32_t i = 0; i < kDDTMaxLevels; ++i)
    {
        const uint8_t* entry = raw + 64 + i * 16;
        header->m_levels[i].m_uOffset = Get32(entry);
        header->m_levels[i].m_uWidth = Get32(entry + 4);
        header->m_levels[i].m_uHeight = Get32(entry + 8);
        header->m_levels[i].m_uSize = Get32(entry + 12);
    }
    header->m_uTotalSize = Get32(raw + 320);
    header->m_uAverageColour = Get32(raw + 324);
}

uint32_t NextLevelSide(uint32_t side)
{
    uint32_t next = ((static_cast<uint64_t>(side) + 3) & ~3ull) / 2;
    return next < 4 ? 4 : next;
}

} // namespace

uint64_t ImageLevelSize(uint32_t format, uint32_t width, uint32_t height)
{
    uint64_t units;
    uint64_t unitBytes;
    switch (format)
    {
    case kImageFormatA1R5G5B5:
    case kImageFormatR5G6B5:
    case kImageFormatA4R4G4B4:
        units = static_cast<uint64_t>(width) * height;
        unitBytes = 2;
        break;
    case kImageFormatA8R8G8B8:
        units = static_cast<uint64_t>(width) * height;
        unitBytes = 4;
        break;
    case kImageFormatDXT1:
        units = ((static_cast<uint64_t>(width) + 3) / 4) * ((static_cast<uint64_t>(height) + 3) / 4);
        unitBytes = 8;
        break;
    case kImageFormatDXT2:
    case kImageFormatDXT3:
    case kImageFormatDXT4:
    case kImageFormatDXT5:
        units = ((static_cast<uint64_t>(width) + 3) / 4) * ((static_cast<uint64_t>(height) + 3) / 4);
        unitBytes = 16;
        break;
    default:
        return 0;
    }
    return units > UINT64_MAX / unitBytes ? UINT64_MAX : units * unitBytes;
}

// ---------------------------------------------------------------------------------------------------------------
// TGA

std::unique_ptr<uint8_t[]> LoadTGAFile(const char* fileName, uint32_t* pWidth, uint32_t* pHeight)
{
    if (pWidth)
        *pWidth = 0;
    if (pHeight)
        *pHeight = 0;
    StdioStream file(fileName);
    if (!file.IsOpen())
    {
        GetLogger()->Report(0, "LoadTGA : Failed to load Texture %s\n", fileName ? fileName : "");
        return nullptr;
    }
    return LoadTGA(fileName, file, pWidth, pHeight);
}

std::unique_ptr<uint8_t[]> LoadTGA(const char* fileName, Stream& stream, uint32_t* pWidth, uint32_t* pHeight)
{
    const char* name = fileName ? fileName : "";
    if (pWidth)
        *pWidth = 0;
    if (pHeight)
        *pHeight = 0;

    uint8_t header[kTGAHeaderSize];
    if (stream.Read(header, kTGAHeaderSize) != kTGAHeaderSize)
    {
        GetLogger()->Report(0, kTGADamaged, name);
        return nullptr;
    }
    uint32_t idLength = header[0];
    uint32_t mapType = header[1];
    uint32_t imageType = header[2];
    uint32_t mapFirst = Get16(header + 3);
    uint32_t mapLength = Get16(header + 5);
    uint32_t mapEntryBits = header[7];
    uint32_t width = Get16(header + 12);
    uint32_t height = Get16(header + 14);
    uint32_t depth = header[16];
    uint32_t attributeBits = header[17] & 0x0F;
    bool rightFirst = (header[17] & 0x10) != 0;
    bool topFirst = (header[17] & 0x20) != 0;

    if (imageType == 0)
    {
        GetLogger()->Report(0, "LoadTGA : No Image data (%s)", name);
        return nullptr;
    }
    if (imageType != 1 && imageType != 2 && imageType != 3)
    {
        GetLogger()->Report(0, "LoadTGA : Can't handle this image type   (ImageID - %d) (%s)", imageType, name);
        return nullptr;
    }
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32)
    {
        GetLogger()->Report(0, "LoadTGA : Can't handle this Colour Depth (Depth - %d) (%s)", depth, name);
        return nullptr;
    }
    if (imageType == 3 && depth != 8)
    {
        GetLogger()->Report(0, "LoadTGA : Can't handle this Colour Depth for B&W images - (Depth %d) (%s)", depth,
                            name);
        return nullptr;
    }
    if (width == 0 || height == 0)
    {
        GetLogger()->Report(0, "LoadTGA : No Image data (%s)", name);
        return nullptr;
    }

    // The image-ID field, then the colour map (when the header declares one), come before the pixels.
    bool paletted = imageType != 3 && depth == 8;
    uint32_t mapBytes = mapType != 0 ? mapLength * ((mapEntryBits + 7) / 8) : 0;
    TGAPalette palette;
    bool ok = SkipBytes(stream, idLength);
    if (ok && paletted)
    {
        std::unique_ptr<uint8_t[]> rawMap;
        palette.uFirst = mapFirst;
        ok = mapBytes > 0 && ReadExactly(stream, mapBytes, &rawMap) == ReadResult::Done &&
             DecodePalette(rawMap.get(), mapLength, mapEntryBits, &palette);
    }
    else if (ok)
    {
        ok = SkipBytes(stream, mapBytes);
    }

    uint32_t rowBytes = width * (depth / 8);
    std::unique_ptr<uint8_t[]> raw;
    if (ok)
        ok = ReadExactly(stream, static_cast<uint64_t>(rowBytes) * height, &raw) == ReadResult::Done;
    std::unique_ptr<uint8_t[]> pixels;
    if (ok)
    {
        pixels.reset(new (std::nothrow) uint8_t[static_cast<size_t>(width) * height * 4]);
        ok = pixels != nullptr;
    }
    if (!ok)
    {
        GetLogger()->Report(0, kTGADamaged, name);
        return nullptr;
    }

    // Rows stored bottom first, and rows stored right to left, come out turned round, so the result is always top
    // row first, left pixel first. Only a descriptor that counts attribute bits gives 16 and 32-bit pixels alpha.
    const TGALayout layout = {depth, attributeBits != 0, rightFirst, paletted ? &palette : nullptr};
    for (uint32_t y = 0; y < height; ++y)
    {
        uint32_t sourceRow = topFirst ? y : height - 1 - y;
        DecodeTGARow(raw.get() + static_cast<size_t>(sourceRow) * rowBytes, width, layout,
                     pixels.get() + static_cast<size_t>(y) * width * 4);
    }
    if (pWidth)
        *pWidth = width;
    if (pHeight)
        *pHeight = height;
    return pixels;
}

// ---------------------------------------------------------------------------------------------------------------
// DDS

bool LoadDDS(const char* fileName, std::unique_ptr<uint8_t[]>* pPixels, DDSHeader* pHeader, uint32_t* pFormat,
             uint32_t* pSize)
{
    if (pPixels)
        pPixels->reset();
    if (pFormat)
        *pFormat = 0;
    if (pSize)
        *pSize = 0;

    StdioStream file(fileName);
    DDSHeader header;
    if (!file.IsOpen() || file.Read(header.m_bytes, kDDSHeaderSize) != kDDSHeaderSize)
        return false;
    if (pHeader)
        *pHeader = header;

    constexpr uint32_t kCapsTexture = 0x1000;
    constexpr uint32_t kCaps2CubeMap = 0x200;
    constexpr uint32_t kCaps2Volume = 0x200000;
    constexpr uint32_t kPixelFormatRGB = 0x40;
    constexpr uint32_t kPixelFormatFourCC = 0x4;
    if (!(header.GetCaps1() & kCapsTexture) || (header.GetCaps2() & (kCaps2CubeMap | kCaps2Volume)))
        return false;

    uint32_t width = header.GetWidth();
    uint32_t height = header.GetHeight();
    uint64_t pixelCount = static_cast<uint64_t>(width) * height;
    if (pixelCount == 0)
        return false;

    uint32_t format = 0;
    uint64_t dataBytes = 0;
    uint32_t bits = 0;
    MaskLayout layout{};
    if (header.GetPixelFormatFlags() & kPixelFormatRGB)
    {
        // Every RGB layout comes out as 32-bit ARGB, which must fit a 32-bit byte count.
        bits = header.GetRGBBitCount();
        if ((bits != 32 && bits != 24 && bits != 16) || pixelCount > UINT32_MAX / 4 ||
            !MaskLayoutFromHeader(header, bits, &layout))
            return false;
        format = kImageFormatA8R8G8B8;
        dataBytes = pixelCount * (bits / 8);
    }
    else if (header.GetPixelFormatFlags() & kPixelFormatFourCC)
    {
        const uint8_t* fourCC = header.m_bytes + 84;
        if (std::memcmp(fourCC, "DXT1", 4) == 0)
            format = kImageFormatDXT1;
        else if (std::memcmp(fourCC, "DXT3", 4) == 0)
            format = kImageFormatDXT3;
        else if (std::memcmp(fourCC, "DXT5", 4) == 0)
            format = kImageFormatDXT5;
        else
            return false;
        dataBytes = ImageLevelSize(format, width, height);
    }
    else
    {
        return false;
    }

    std::unique_ptr<uint8_t[]> raw;
    if (ReadExactly(file, dataBytes, &raw) != ReadResult::Done)
        return false;

    uint64_t outBytes = dataBytes;
    if (bits != 0)
    {
        // Each pixel is a little-endian value of bits / 8 bytes, its channels where the masks say.
        outBytes = pixelCount * 4;
        std::unique_ptr<uint8_t[]> wide(new (std::nothrow) uint8_t[outBytes]);
        if (!wide)
            return false;
        const uint32_t pixelBytes = bits / 8;
        const uint8_t* src = raw.get();
        uint8_t* dst = wide.get();
        for (uint64_t i = 0; i < pixelCount; ++i, src += pixelBytes, dst += 4)
        {
            uint32_t pixel = 0;
            for (uint32_t b = pixelBytes; b-- > 0;)
                pixel = (pixel << 8) | src[b];
            PutArgb(dst, DecodeMaskedPixel(pixel, layout));
        }
        raw = std::move(wide);
    }

    if (pPixels)
        *pPixels = std::move(raw);
    if (pFormat)
        *pFormat = format;
    if (pSize)
        *pSize = static_cast<uint32_t>(outBytes);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// DDT

bool ReadDDTHeader(const char* /*fileName*/, Stream& stream, DDTHeader* pHeader)
{
    uint8_t raw[kDDTHeaderSize];
    if (stream.Read(raw, kDDTHeaderSize) != kDDTHeaderSize)
        return false;
    ParseDDTHeader(raw, pHeader);
    return true;
}

void CompleteDDTLevelTable(DDTHeader* pHeader)
{
    uint32_t width = static_cast<uint32_t>(std::max(pHeader->m_iWidth, 0));
    uint32_t height = static_cast<uint32_t>(std::max(pHeader->m_iHeight, 0));
    uint64_t offset = 0;
    uint32_t levels = std::min(pHeader->m_uMipLevels, kDDTMaxLevels);
    for (uint32_t i = 0; i < levels; ++i)
    {
        uint64_t size = ImageLevelSize(pHeader->m_uFormat, width, height);
        DDTLevel& level = pHeader->m_levels[i];
        level.m_uOffset = static_cast<uint32_t>(std::min<uint64_t>(offset, UINT32_MAX));
        level.m_uWidth = width;
        level.m_uHeight = height;
        level.m_uSize = static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX));
        offset = std::min<uint64_t>(offset + size, UINT64_MAX / 2);
        width = NextLevelSide(width);
        height = NextLevelSide(height);
    }
}

std::unique_ptr<uint8_t[]> LoadDDT(const char* fileName, Stream& stream, DDTHeader* pHeader, uint32_t firstLevel,
                                   uint32_t* pSize)
{
    const char* name = fileName ? fileName : "";
    if (pSize)
        *pSize = 0;
    DDTHeader header;
    if (!ReadDDTHeader(fileName, stream, &header))
    {
        GetLogger()->Report(0, kDDTDamaged, name);
        return nullptr;
    }
    if (pHeader)
        *pHeader = header;
    if (header.m_uMajorVersion != 1 || header.m_uMinorVersion != 0)
    {
        GetLogger()->Report(0, "Failed to Load DDT Texture File (wrong version number Major-%d,  Minor-%d, )%s",
                            header.m_uMajorVersion, header.m_uMinorVersion, name);
        return nullptr;
    }

    // The header must describe something this reader can size: a known format, a positive level 0, at most 16
    // levels, and a first level the file holds.
    bool ok = ImageLevelSize(header.m_uFormat, 1, 1) != 0 && header.m_iWidth > 0 && header.m_iHeight > 0 &&
              header.m_uMipLevels <= kDDTMaxLevels && (firstLevel == 0 || firstLevel < header.m_uMipLevels);
    if (ok && header.m_levels[0].m_uWidth == 0)
        CompleteDDTLevelTable(&header);

    // Levels from the table must be real and no larger than level 0 (the table keeps sides of at least 4).
    uint32_t widthLimit = std::max<uint32_t>(static_cast<uint32_t>(header.m_iWidth), 4);
    uint32_t heightLimit = std::max<uint32_t>(static_cast<uint32_t>(header.m_iHeight), 4);
    for (uint32_t i = 0; ok && i < header.m_uMipLevels; ++i)
    {
        const DDTLevel& level = header.m_levels[i];
        ok = level.m_uWidth >= 1 && level.m_uHeight >= 1 && level.m_uWidth <= widthLimit &&
             level.m_uHeight <= heightLimit;
    }

    uint64_t skip = 0;
    uint64_t count = 0;
    if (ok && firstLevel == 0)
    {
        // The whole pixel data; it must at least hold level 0.
        count = header.m_uTotalSize;
        ok = count >= ImageLevelSize(header.m_uFormat, static_cast<uint32_t>(header.m_iWidth),
                                     static_cast<uint32_t>(header.m_iHeight));
    }
    else if (ok)
    {
        // The levels from firstLevel on, packed, starting at that level's offset.
        skip = header.m_levels[firstLevel].m_uOffset;
        for (uint32_t i = firstLevel; i < header.m_uMipLevels; ++i)
            count += ImageLevelSize(header.m_uFormat, header.m_levels[i].m_uWidth, header.m_levels[i].m_uHeight);
        ok = skip <= INT32_MAX && count <= UINT32_MAX;
    }
    if (pHeader)
        *pHeader = header;
    if (!ok)
    {
        GetLogger()->Report(0, kDDTDamaged, name);
        return nullptr;
    }

    // A skip past the end leaves nothing to read, which the read below finds.
    if (skip > 0)
        stream.Skip(static_cast<int32_t>(skip));
    std::unique_ptr<uint8_t[]> pixels;
    ReadResult result = ReadExactly(stream, count, &pixels);
    if (result == ReadResult::NoMemory)
    {
        GetLogger()->Report(0, "Failed to Load DDT Texture File (Cant allocate %d bytes of memory)%s",
                            static_cast<int>(header.m_uTotalSize), name);
        return nullptr;
    }
    if (result != ReadResult::Done)
    {
        GetLogger()->Report(0, kDDTDamaged, name);
        return nullptr;
    }
    if (pSize)
        *pSize = static_cast<uint32_t>(count);
    return pixels;
}
