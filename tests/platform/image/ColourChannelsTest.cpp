// Tests of the colour-channel widening and the 16-bit pixel layouts built on it.
#include "platform/image/ColourChannels.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace platform;

namespace
{

TEST(ColourChannelsTest, EveryWidthSpansTheFullByteAndStaysWithinOneOfExactScaling)
{
    // For 1 to 8 bits: 0 stays 0, the largest value becomes 255, and each value lands within 1 of its exact
    // share of 255 (the top bits come first, so the order of values is kept).
    for (uint32_t bits = 1; bits <= 8; ++bits)
    {
        const uint32_t top = (1u << bits) - 1;
        EXPECT_EQ(WidenChannel(0, bits), 0u) << bits;
        EXPECT_EQ(WidenChannel(top, bits), 255u) << bits;
        uint32_t last = 0;
        for (uint32_t v = 0; v <= top; ++v)
        {
            const uint32_t wide = WidenChannel(v, bits);
            EXPECT_LE(std::fabs(double(wide) - v * 255.0 / top), 1.0) << bits << " bits, " << v;
            EXPECT_TRUE(v == 0 || wide > last) << bits << " bits, " << v;
            last = wide;
        }
    }
    // Worked by hand: the bits repeated below themselves.
    const struct
    {
        uint32_t value, bits, wide;
    } cases[] = {
        {21, 5, 0xAD},                                                  // 10101 -> 10101 101
        {3, 5, 0x18},                                                   // 00011 -> 00011 000
        {32, 6, 0x82},                                                  // 100000 -> 100000 10
        {0xA, 4, 0xAA},                                                 // 1010 -> 1010 1010
        {5, 3, 0xB6},                                                   // 101 -> 101 101 10
        {1, 2, 0x55},                                                   // 01 -> 01 01 01 01
        {1, 1, 0xFF},                                                   //
        {0x40, 7, 0x81},                                                // 1000000 -> 1000000 1
        {0x5A, 8, 0x5A},                                                // unchanged
        {0x200, 10, 0x80},      {0x3FF, 10, 0xFF}, {0x12345, 17, 0x91}, // 1 0010 0011 0100 0101: the top 8 bits
        {0xFFFFFFFF, 32, 0xFF}, {0, 0, 0},                              // no channel
    };
    for (const auto& c : cases)
        EXPECT_EQ(WidenChannel(c.value, c.bits), c.wide) << c.value << " of " << c.bits << " bits";
}

TEST(ColourChannelsTest, SixteenBitLayoutsPutEachChannelInItsPlace)
{
    // 0x061E is 0 00001 10000 11110: red 1 -> 0x08, green 16 -> 0x84, blue 30 -> 0xF7.
    EXPECT_EQ(Argb1555(0x061E, true), 0x000884F7u);
    EXPECT_EQ(Argb1555(0x061E, false), 0xFF0884F7u);
    EXPECT_EQ(Argb1555(0x861E, true), 0xFF0884F7u);
    EXPECT_EQ(Argb1555(0x861E, false), 0xFF0884F7u);
    EXPECT_EQ(Argb1555(0x7FFF, true), 0x00FFFFFFu);
    EXPECT_EQ(Argb1555(0x8000, true), 0xFF000000u);
    EXPECT_EQ(Argb1555(0x7C00, false), 0xFFFF0000u);
    EXPECT_EQ(Argb1555(0x03E0, false), 0xFF00FF00u);
    EXPECT_EQ(Argb1555(0x001F, false), 0xFF0000FFu);
    // 0xAC03 is 10101 100000 00011: red 21 -> 0xAD, green 32 -> 0x82, blue 3 -> 0x18.
    EXPECT_EQ(Argb565(0xAC03), 0xFFAD8218u);
    EXPECT_EQ(Argb565(0xF800), 0xFFFF0000u);
    EXPECT_EQ(Argb565(0x07E0), 0xFF00FF00u);
    EXPECT_EQ(Argb565(0x001F), 0xFF0000FFu);
    EXPECT_EQ(Argb565(0x0000), 0xFF000000u);
}

} // namespace
