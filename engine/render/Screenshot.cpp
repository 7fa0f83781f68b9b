// Screenshot files: the format chosen by the name's extension, JPEG coding of captured pixels, DDS and BMP
// writing.
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
    // The frame's alpha means nothing on screen (2D drawing leaves it 0), so no file keeps it.
    case ScreenshotFileType::DDS:
        return platform::WriteDDS(fileName, pixels, width, height, width, platform::DdsPixelLayout::X8R8G8B8);
    case ScreenshotFileType::BMP:
        return platform::WriteBMP(fileName, pixels, width, height, width, 24);
    case ScreenshotFileType::JPG:
        return WriteScreenshotJPEG(fileName, width, height, width, pixels);
    case ScreenshotFileType::None:
        break;
    }
    return false;
}
