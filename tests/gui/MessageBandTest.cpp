// The message band's run: speed, the frame cap, the pause, the passes and the rest at the band's left end.
#include "gui/MessageBand.h"

#include <gtest/gtest.h>

namespace
{

// A band from x 100 to x 500.
MessageBand Band(int32_t width, int32_t passes)
{
    MessageBand band;
    band.SetBand(100, 500);
    band.Show(width, passes);
    return band;
}

} // namespace

TEST(MessageBandTest, ATextStartsAtTheRightEndAndRunsLeft)
{
    // 80 pixels a second at game speed 1; a frame counts for at most half a second.
    const struct
    {
        const char* what;
        float dt, speed;
        bool paused;
        int32_t left;
    } cases[] = {
        {"a tenth of a second", 0.1f, 1.0f, false, 499 - 8},
        {"a long frame counts half a second", 2.0f, 1.0f, false, 499 - 40},
        {"double speed", 0.25f, 2.0f, false, 499 - 40},
        {"paused", 0.25f, 1.0f, true, 499},
        {"no time", 0.0f, 1.0f, false, 499},
        {"a negative step", -1.0f, 1.0f, false, 499},
    };
    for (const auto& c : cases)
    {
        MessageBand band = Band(200, 1);
        band.Update(c.dt, c.speed, c.paused);
        EXPECT_EQ(band.GetLeft(), c.left) << c.what;
        EXPECT_TRUE(band.IsShowing()) << c.what;
    }
}

TEST(MessageBandTest, FractionsOfAPixelAddUp)
{
    MessageBand band = Band(50, 1);
    for (int i = 0; i < 8; ++i)
        band.Update(0.0078125f, 1.0f, false); // 1/128 s: 0.625 pixels each
    EXPECT_EQ(band.GetLeft(), 499 - 5);
}

TEST(MessageBandTest, TheLastPassComesToRestAtTheLeftEnd)
{
    MessageBand band = Band(200, 1);
    // 8 pixels a step: the left edge reaches 105 or less after ceil((499 - 105) / 8) = 50 steps.
    for (int i = 0; i < 49; ++i)
        band.Update(0.1f, 1.0f, false);
    EXPECT_TRUE(band.IsShowing());
    band.Update(0.1f, 1.0f, false);
    EXPECT_FALSE(band.IsShowing());
    EXPECT_TRUE(band.HasText());
    EXPECT_EQ(band.GetLeft(), 100);
    band.Update(0.1f, 1.0f, false);
    EXPECT_EQ(band.GetLeft(), 100);
}

TEST(MessageBandTest, EarlierPassesRunRightThroughAndStartAgain)
{
    MessageBand band = Band(200, 2);
    // The right edge passes x 100 once the left edge is below -100: after 75 steps of 8 pixels.
    for (int i = 0; i < 74; ++i)
        band.Update(0.1f, 1.0f, false);
    EXPECT_EQ(band.GetPasses(), 2);
    EXPECT_EQ(band.GetLeft(), 499 - 74 * 8);
    band.Update(0.1f, 1.0f, false);
    EXPECT_EQ(band.GetPasses(), 1);
    EXPECT_EQ(band.GetLeft(), 499);
    EXPECT_TRUE(band.IsShowing());
}

TEST(MessageBandTest, ATextWiderThanTheBandRunsOut)
{
    MessageBand band = Band(1000, 1);
    int steps = 0;
    while (band.IsShowing() && steps < 1000)
    {
        band.Update(0.1f, 1.0f, false);
        ++steps;
    }
    // It never fits inside the band, so it leaves on the left: its right edge below 100 after 175 steps.
    EXPECT_EQ(steps, 175);
    EXPECT_FALSE(band.HasText());
}
