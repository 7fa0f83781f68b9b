// The version line under the main menu in the running program, at several display sizes: it is written in white
// in the lowest tenth of the screen, centred across the whole width, as the front end's pages scale to the display.
#include "tests/game/GameHarness.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct SizeCase
{
    int width;
    int height;
};

// The white ink of the line's letters; nothing else in the lowest tenth of the main menu's page is pure white.
constexpr uint32_t kInk = 0xFFFFFF;
constexpr int kInkTolerance = 8;

TEST(MainMenuVersionLine, IsWrittenInTheBottomBandCentredOnEveryDisplaySize)
{
    const SizeCase cases[] = {{800, 600}, {640, 480}, {1024, 768}};
    for (const SizeCase& size : cases)
    {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        gametest::GameHarness harness;
        if (!harness.XvfbInstalled())
            GTEST_SKIP() << "Xvfb is not installed";
        std::string why;
        ASSERT_TRUE(harness.StartAtDisplaySize(size.width, size.height, &why)) << why;
        harness.RunFrames(30);
        const gametest::Frame frame = harness.Screenshot();
        ASSERT_EQ(frame.width, static_cast<uint32_t>(size.width));
        ASSERT_EQ(frame.height, static_cast<uint32_t>(size.height));

        // The white pixels of the bottom tenth, and where they lie across.
        int inBand = 0;
        long long xSum = 0;
        int xMin = size.width;
        int xMax = -1;
        const int bandTop = size.height * 9 / 10;
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x)
            {
                if (y < bandTop || !gametest::NearRgb(frame.At(x, y), kInk, kInkTolerance))
                    continue;
                ++inBand;
                xSum += x;
                xMin = std::min(xMin, x);
                xMax = std::max(xMax, x);
            }
        harness.Stop();
        if (inBand <= 50)
        {
            ADD_FAILURE() << "no version line in the bottom tenth of the screen";
            continue;
        }
        // Centred across the whole width: its letters' middle and its ends' middle at the screen's middle.
        const double centre = static_cast<double>(xSum) / inBand;
        EXPECT_NEAR(centre, size.width / 2.0, size.width * 0.05);
        EXPECT_NEAR((xMin + xMax) / 2.0, size.width / 2.0, size.width * 0.05);
    }
}

} // namespace
