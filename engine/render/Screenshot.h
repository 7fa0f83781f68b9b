// Screenshot files: the format chosen by the name's extension, JPEG coding of captured pixels, DDS and BMP
// writing.
#pragma once

#include "platform/Window.h"

#include <cstdint>

// Captured pixels are 32-bit A8R8G8B8 values (blue in the lowest byte, then green, red, alpha), rows from top to
// bottom; `stride` is the number of pixels from one row to the next.

enum class ScreenshotFileType
{
    None, // no '.', or an extension other than the three below
    DDS,
    BMP,
    JPG,
};

// The extension is everything after the first '.' of the name, compared with "DDS", "BMP" and "JPG" without
// regard to case: "a.Jpg" is JPG, while "a.jpeg", "a" and "shot.y.bmp" (extension "y.bmp") are None.
ScreenshotFileType GetScreenshotFileType(const char* fileName);

// Writes each pixel v as the bytes (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF (red, green, blue); source rows
// are stride pixels apart, the destination rows packed (width x 3 bytes). rgb holds width x height x 3 bytes.
void ConvertCapturedToRGB(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride, uint8_t* rgb);

// Converts the captured pixels to RGB and codes them as a JPEG file at quality 90. Returns the coder's real
// result: false for an empty image, a stride shorter than a row, or a file that cannot be written (no file is
// then left behind).
bool WriteScreenshotJPEG(const char* fileName, uint32_t width, uint32_t height, uint32_t stride,
                         const uint32_t* pixels);

// Codes the RGB pixels (rows packed, (right - left) x 3 bytes a row, (bottom - top) rows) as a JPEG file: YCbCr,
// chroma once per 2 x 2 pixels, the given quality. True when the whole file was written.
bool EncodeJPEGFile(const platform::Rect& rect, const uint8_t* rgb, const char* fileName, int quality);

// Writes a width x height screenshot (packed rows) in the format named by the extension: an uncompressed
// X8R8G8B8 DDS (every pixel opaque), a 24-bit bottom-up BMP, or a JPEG through WriteScreenshotJPEG: no format
// keeps the frame's alpha. False, with no file, for an unknown extension; otherwise the writer's real result.
bool SaveScreenshotFile(const char* fileName, uint32_t width, uint32_t height, const uint32_t* pixels);
