// A game shut down and a second one started in the same process: the second draws the park and its toolbar as the
// first did, none of its pictures taken from what the first game left behind.
#include "tests/game/GameHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace
{

// How far apart two pixels are: the largest difference of their red, green and blue.
int ChannelDistance(uint32_t a, uint32_t b)
{
    int most = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return most;
}

TEST(SecondGame, DrawsTheParkAndItsToolbarAsTheFirstDid)
{
    gametest::GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    gametest::Frame frames[2];
    for (gametest::Frame& frame : frames)
    {
        ASSERT_TRUE(harness.Start(&why)) << why;
        harness.EnterPark(0);
        harness.RunFrames(20);
        frame = harness.Screenshot();
        harness.Stop();
    }
    ASSERT_GT(frames[0].width, 0u);
    ASSERT_EQ(frames[0].width, frames[1].width);
    ASSERT_EQ(frames[0].height, frames[1].height);
    // The first frame is the park itself: most of it unlike its corner, not one flat colour.
    int unlikeCorner = 0;
    for (uint32_t pixel : frames[0].pixels)
        unlikeCorner += ChannelDistance(pixel, frames[0].pixels[0]) > 24 ? 1 : 0;
    ASSERT_GT(unlikeCorner, static_cast<int>(frames[0].pixels.size() / 4));
    int differing = 0;
    for (size_t i = 0; i < frames[0].pixels.size(); ++i)
        differing += ChannelDistance(frames[0].pixels[i], frames[1].pixels[i]) > 8 ? 1 : 0;
    EXPECT_EQ(differing, 0) << "pixels of the second game's park that differ from the first's";
    gametest::GameHarness::Keep(frames[1], "second-game-park.bmp");
}

} // namespace
