// Widening of packed colour channels (1 to 8 bits and more) to 8 bits, and the 16-bit pixel layouts built on it.
#pragma once

#include <cstdint>

namespace platform
{

// A channel value of `bits` bits as 8 bits, its bits repeated below themselves so that 0 stays 0 and the largest
// value becomes 0xFF: a 5-bit c becomes (c << 3) | (c >> 2), a 6-bit c (c << 2) | (c >> 4), a 4-bit c c x 17, a
// 1-bit c 0 or 0xFF. Channels wider than 8 bits keep their top 8 bits; a channel of 0 bits reads as 0.
constexpr uint32_t WidenChannel(uint32_t value, uint32_t bits)
{
    if (bits == 0)
        return 0;
    if (bits >= 8)
        return (value >> (bits - 8)) & 0xFF;
    uint32_t out = 0;
    for (int shift = 8 - static_cast<int>(bits); shift > -static_cast<int>(bits); shift -= static_cast<int>(bits))
        out |= shift >= 0 ? value << shift : value >> -shift;
    return out & 0xFF;
}

// A 1-5-5-5 word (red in bits 10-14, green 5-9, blue 0-4) as A8R8G8B8. With alphaBit, bit 15 gives alpha 0xFF
// when set and 0 when clear; without it the pixel is opaque.
constexpr uint32_t Argb1555(uint32_t word, bool alphaBit)
{
    const uint32_t alpha = !alphaBit || (word & 0x8000) != 0 ? 0xFF000000u : 0u;
    return alpha | (WidenChannel((word >> 10) & 31, 5) << 16) | (WidenChannel((word >> 5) & 31, 5) << 8) |
           WidenChannel(word & 31, 5);
}

// A 5-6-5 word (red in bits 11-15, green 5-10, blue 0-4) as opaque A8R8G8B8.
constexpr uint32_t Argb565(uint32_t word)
{
    return 0xFF000000u | (WidenChannel((word >> 11) & 31, 5) << 16) | (WidenChannel((word >> 5) & 63, 6) << 8) |
           WidenChannel(word & 31, 5);
}

} // namespace platform
