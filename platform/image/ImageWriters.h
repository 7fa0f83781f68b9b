// Image file writers for screenshots: uncompressed DDS, BMP and JPEG (the JPEG coder is libjpeg-turbo).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform
{

// Every writer takes 32-bit pixels as the device hands them out (A8R8G8B8: blue in the lowest byte, then green,
// red, alpha), rows from top to bottom, `stride` pixels from one row to the next (stride >= width). Empty
// images, null pixels, a stride shorter than a row and images whose file would not fit the formats' 32-bit
// size fields are refused.

// ---------------------------------------------------------------- DDS

constexpr uint32_t kDdsMagic = 0x20534444; // "DDS " read as a little-endian 32-bit value
constexpr uint32_t kDdsHeaderSize = 124;   // the header after the magic
constexpr uint32_t kDdsPixelFormatSize = 32;
constexpr uint32_t kDdsFileHeaderBytes = 4 + kDdsHeaderSize;

// Surface description flags.
constexpr uint32_t kDdsdCaps = 0x1;
constexpr uint32_t kDdsdHeight = 0x2;
constexpr uint32_t kDdsdWidth = 0x4;
constexpr uint32_t kDdsdPitch = 0x8;
constexpr uint32_t kDdsdPixelFormat = 0x1000;
constexpr uint32_t kDdsdMipMapCount = 0x20000;
constexpr uint32_t kDdsdLinearSize = 0x80000;
// Pixel-format flags.
constexpr uint32_t kDdpfAlphaPixels = 0x1;
constexpr uint32_t kDdpfFourCC = 0x4;
constexpr uint32_t kDdpfRgb = 0x40;
// Caps.
constexpr uint32_t kDdsCapsTexture = 0x1000;

enum class DdsPixelLayout
{
    A8R8G8B8, // 32 bits with the alpha mask 0xFF000000
    X8R8G8B8, // 32 bits, the top byte unused (no alpha mask); written as 0xFF
};

// An uncompressed 32-bit DDS file of one surface (no mip maps): "DDS ", the 124-byte header with caps,
// height, width, pitch and pixel format flagged, pitch = width x 4, RGB masks 0x00FF0000 / 0x0000FF00 /
// 0x000000FF (and 0xFF000000 for alpha), texture caps; then the rows top to bottom, packed, each pixel as a
// little-endian 32-bit value. False (out left empty) for refused input.
bool EncodeDDS(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride, DdsPixelLayout layout,
               std::vector<uint8_t>* out);
bool WriteDDS(std::string_view fileName, const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride,
              DdsPixelLayout layout);

// ---------------------------------------------------------------- BMP

constexpr uint32_t kBmpFileHeaderSize = 14;
constexpr uint32_t kBmpInfoHeaderSize = 40;
constexpr uint32_t kBmpPixelOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize;

// A Windows bitmap: BITMAPFILEHEADER ("BM", file size, pixel offset 54) and BITMAPINFOHEADER (40 bytes, the
// width, a positive height = rows stored bottom-up, 1 plane, 24 or 32 bits, no compression, image size, no
// resolution, no palette). 24-bit rows are blue, green, red bytes padded with zeros to a multiple of 4 bytes;
// 32-bit rows are blue, green, red, alpha. bitsPerPixel other than 24 or 32 is refused.
bool EncodeBMP(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride, uint32_t bitsPerPixel,
               std::vector<uint8_t>* out);
bool WriteBMP(std::string_view fileName, const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride,
              uint32_t bitsPerPixel);

// ---------------------------------------------------------------- JPEG

// A baseline JFIF file from 24-bit pixels (red, green, blue bytes, rows top to bottom, packed: width x 3 bytes a
// row), coded as YCbCr at the given quality (1 to 100; values outside are clamped). The chroma is sampled once
// for every 2 x 2 block of pixels: luminance sampling factors 2 x 2, Cb and Cr 1 x 1, four luminance blocks for
// each chroma block (what the older JPEG libraries called "4:1:1"; today usually written 4:2:0).
// False (out left empty) when the input is refused or the coder fails.
bool EncodeJPEG(const uint8_t* rgb, uint32_t width, uint32_t height, int quality, std::vector<uint8_t>* out);
// Encodes and writes the file through OpenFile; on any failure no file is left behind and the result is false.
bool WriteJPEG(std::string_view fileName, const uint8_t* rgb, uint32_t width, uint32_t height, int quality);

// Writes the bytes to the named file through OpenFile; a failed write removes the partial file. False when the
// file cannot be created or written completely.
bool WriteImageFile(std::string_view fileName, const std::vector<uint8_t>& bytes);

} // namespace platform
