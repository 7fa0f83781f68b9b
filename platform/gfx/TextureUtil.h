// Texture helpers beside the device: size and format requirements, full-chain creation, level copies with format
// conversion, box-filtered mip levels and pixel conversion to and from 32-bit ARGB (DXT included).
#pragma once

#include "platform/gfx/Device.h"

#include <cstdint>

namespace platform
{

// Number of levels of a full chain down to 1 x 1 (a 256 x 64 texture has 9).
uint32_t FullMipChainLevels(uint32_t width, uint32_t height);

// Bytes from one row to the next of a packed level (one row of 4x4 blocks for DXT) and bytes of the level.
uint32_t FormatRowPitch(PixelFormat format, uint32_t width);
uint32_t FormatLevelSize(PixelFormat format, uint32_t width, uint32_t height);

// Adjusts a texture request to what the device accepts: the format (an unsupported one is replaced by the
// nearest supported one; Unknown becomes A8R8G8B8), the size (rounded up to powers of two when the device needs
// them, squared when it needs square textures, at most the largest size, DXT at least 4 x 4... each at least 1),
// and the level count (0 means the full chain; at most the full chain of the adjusted size). Any pointer may be
// null. Fails with NotAvailable when no format is usable.
GfxResult CheckTextureRequirements(IDevice& device, uint32_t* width, uint32_t* height, uint32_t* levels, uint32_t usage,
                                   PixelFormat* format, Pool pool);

// CheckTextureRequirements, then the device's CreateTexture with the adjusted values.
GfxResult CreateTextureFitted(IDevice& device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                              PixelFormat format, Pool pool, TexturePtr* texture);

enum class ImageFilter : uint32_t
{
    None,  // sizes must match; otherwise like Point
    Point, // nearest source pixel
    Box,   // average of the covered source pixels (2x2 for halving)
};

// Rebuilds every level below srcLevel from srcLevel, each from the one above it, with a box filter.
GfxResult FilterTexture(ITexture& texture, uint32_t srcLevel, ImageFilter filter);

// Copies a rectangle of one level to a rectangle of another (null rects: whole levels), converting the format
// and scaling with the filter. Source pixels equal to colourKey (0 = no key) become transparent black.
GfxResult LoadLevelFromLevel(ITexture& dst, uint32_t dstLevel, const Rect* dstRect, ITexture& src, uint32_t srcLevel,
                             const Rect* srcRect, ImageFilter filter, uint32_t colourKey);

// The same from memory in srcFormat with rows srcPitch bytes apart; srcRect says which part of it to take.
GfxResult LoadLevelFromMemory(ITexture& dst, uint32_t dstLevel, const Rect* dstRect, const void* src,
                              PixelFormat srcFormat, uint32_t srcPitch, const Rect& srcRect, ImageFilter filter,
                              uint32_t colourKey);

// Converts a width x height image in format (rows pitch bytes apart) to packed A8R8G8B8 pixels (formats without
// alpha give alpha 0xFF). False for formats that are not colour formats.
bool DecodePixels(PixelFormat format, const void* src, uint32_t pitch, uint32_t width, uint32_t height, uint32_t* argb);

// Converts packed A8R8G8B8 pixels to the format (rows pitch bytes apart); DXT blocks are encoded with endpoints
// from each block's colour range. False for formats that are not colour formats.
bool EncodePixels(PixelFormat format, const uint32_t* argb, uint32_t width, uint32_t height, void* dst, uint32_t pitch);

} // namespace platform
