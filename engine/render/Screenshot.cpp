// Screenshot files: the format chosen by the name's extension, JPEG coding of captured pixels, DDS and BMP
// writing, and the conversion of read-back surfaces to 32-bit pixels.
#include "engine/render/Screenshot.h"

#include "platform/Strings.h"
#include "platform/image/ImageWriters.h"

#include <cstring>
#include <new>
#include <vector>

namespace
{

// Screenshots are coded at this quality.
constexpr int kScreenshotQuality = 90;

uint32_t Expand5(uint32_t c)
{
    return (c << 3) | (c >> 2);
}

uint32_t Expand6(uint32_t c)
{
    return (c << 2) | (c >> 4);
}

uint32_t Read16(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8);
}

uint32_t Read32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

} // namespace

ScreenshotFileType GetScreenshotFileType(const char* fileName)
{
    if (!fileName)
        return ScreenshotFileType::None;
    const char* dot = std::strchr(fileName, '.');
    if (!dot)
        return ScreenshotFileType::None;
    const char* ext = dot + 1;
    if (platform::StrICmp(ext, "DDS") == 0)
        return ScreenshotFileType::DDS;
    if (platform::StrICmp(ext, "BMP") == 0)
        return ScreenshotFileType::BMP;
    if (platform::StrICmp(ext, "JPG") == 0)
        return ScreenshotFileType::JPG;
    return ScreenshotFileType::None;
}

void ConvertCapturedToRGB(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride, uint8_t* rgb)
{
    for (uint32_t y = 0; y < height; ++y)
    {
        const uint32_t* row = pixels + size_t(y) * stride;
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t v = row[x];
            *rgb++ = static_cast<uint8_t>((v >> 16) & 0xFF);
            *rgb++ = static_cast<uint8_t>((v >> 8) & 0xFF);
            *rgb++ = static_cast<uint8_t>(v & 0xFF);
        }
    }
}

bool WriteScreenshotJPEG(const char* fileName, uint32_t width, uint32_t height, uint32_t stride, const uint32_t* pixels)
{
    if (!fileName || !pixels || width == 0 || height == 0 || stride < width)
        return false;
    // The coder's sides stop at 65500 (so the rectangle below cannot overflow); no screen comes near 2^28 pixels.
    if (width > 65500 || height > 65500 || uint64_t(width) * height > (uint64_t(1) << 28))
        return false;

    std::vector<uint8_t> rgb;
    try
    {
        rgb.resize(size_t(width) * height * 3);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    ConvertCapturedToRGB(pixels, width, height, stride, rgb.data());

    platform::Rect rect;
    rect.left = 0;
    rect.top = 0;
    rect.right = static_cast<int32_t>(width);
    rect.bottom = static_cast<int32_t>(height);
    return EncodeJPEGFile(rect, rgb.data(), fileName, kScreenshotQuality);
}

bool EncodeJPEGFile(const platform::Rect& rect, const uint8_t* rgb, const char* fileName, int quality)
{
    if (!fileName || !rgb)
        return false;
    const int64_t width = int64_t(rect.right) - rect.left;
    const int64_t height = int64_t(rect.bottom) - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    return platform::WriteJPEG(fileName, rgb, static_cast<uint32_t>(width), static_cast<uint32_t>(height), quality);
}

bool SaveScreenshotFile(const char* fileName, uint32_t width, uint32_t height, const uint32_t* pixels)
{
    switch (GetScreenshotFileType(fileName))
    {
    case ScreenshotFileType::DDS:
        return platform::WriteDDS(fileName, pixels, width, height, width, platform::DdsPixelLayout::A8R8G8B8);
    case ScreenshotFileType::BMP:
        return platform::WriteBMP(fileName, pixels, width, height, width, 32);
    case ScreenshotFileType::JPG:
        return WriteScreenshotJPEG(fileName, width, height, width, pixels);
    case ScreenshotFileType::None:
        break;
    }
    return false;
}

bool ConvertPixelsTo32(platform::PixelFormat format, const void* src, uint32_t pitch, uint32_t width, uint32_t height,
                       uint32_t* dst)
{
    using platform::PixelFormat;
    uint32_t bytesPerPixel = 0;
    switch (format)
    {
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
        bytesPerPixel = 2;
        break;
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
        bytesPerPixel = 4;
        break;
    default:
        return false;
    }
    if (!src || !dst || uint64_t(pitch) < uint64_t(width) * bytesPerPixel)
        return false;

    const uint8_t* base = static_cast<const uint8_t*>(src);
    for (uint32_t y = 0; y < height; ++y)
    {
        const uint8_t* s = base + size_t(y) * pitch;
        uint32_t* d = dst + size_t(y) * width;
        for (uint32_t x = 0; x < width; ++x, s += bytesPerPixel)
        {
            uint32_t out = 0;
            switch (format)
            {
            case PixelFormat::R5G6B5:
            {
                const uint32_t v = Read16(s);
                out = 0xFF000000u | (Expand5((v >> 11) & 0x1F) << 16) | (Expand6((v >> 5) & 0x3F) << 8) |
                      Expand5(v & 0x1F);
                break;
            }
            case PixelFormat::X1R5G5B5:
            case PixelFormat::A1R5G5B5:
            {
                const uint32_t v = Read16(s);
                const bool opaque = format == PixelFormat::X1R5G5B5 || (v & 0x8000) != 0;
                out = (opaque ? 0xFF000000u : 0u) | (Expand5((v >> 10) & 0x1F) << 16) |
                      (Expand5((v >> 5) & 0x1F) << 8) | Expand5(v & 0x1F);
                break;
            }
            case PixelFormat::X8R8G8B8:
                out = Read32(s) | 0xFF000000u;
                break;
            default: // A8R8G8B8
                out = Read32(s);
                break;
            }
            d[x] = out;
        }
    }
    return true;
}
