// The park's toolbar in the running program at several display sizes: every toolbar button is shown on the screen
// where it takes clicks, its face drawn inside its rectangle in the sample buttons' colours.
#include "game/Game.h"
#include "gui/Button.h"
#include "gui/GUIManager.h"
#include "gui/MainItem.h"
#include "tests/game/GameHarness.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct DisplaySize
{
    int width;
    int height;
};

// The sample toolbar buttons' face (their resting frame) and their dark border, as the sprite list draws them.
constexpr uint32_t kButtonFace = 0x2A6F97;
constexpr uint32_t kButtonBorder = 0x123B55;
// The toolbar's layer holds 16-bit colours.
constexpr int kTolerance = 12;

TEST(ToolbarDisplaySize, EveryButtonIsDrawnWhereItTakesClicks)
{
    const DisplaySize sizes[] = {{800, 600}, {1024, 768}};
    for (const DisplaySize& size : sizes)
    {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        gametest::GameHarness harness;
        if (!harness.XvfbInstalled())
            GTEST_SKIP() << "Xvfb is not installed";
        std::string why;
        ASSERT_TRUE(harness.StartAtDisplaySize(size.width, size.height, &why)) << why;
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(10);
        const gametest::Frame frame = harness.Screenshot();
        ASSERT_EQ(frame.width, static_cast<uint32_t>(size.width));
        ASSERT_EQ(frame.height, static_cast<uint32_t>(size.height));

        MainItem* toolbar = harness.GetGame().GetGUIManager().GetToolbarRoot();
        ASSERT_NE(toolbar, nullptr);
        int buttons = 0;
        for (Widget* widget : toolbar->GetChildren())
        {
            if (widget->GetType() != WT_BUTTON)
                continue;
            ++buttons;
            const GuiRect r = widget->GetRect();
            SCOPED_TRACE("button at " + std::to_string(r.left) + ", " + std::to_string(r.top));
            // Clickable on the screen at all.
            EXPECT_TRUE(frame.Contains(r.left, r.top) && frame.Contains(r.right - 1, r.bottom - 1));
            // Its face and border fill most of the rectangle (the rest is its white label).
            const int area = (r.right - r.left) * (r.bottom - r.top);
            const int drawn =
                gametest::CountNearRgb(frame, r.left, r.top, r.right, r.bottom, kButtonFace, kTolerance) +
                gametest::CountNearRgb(frame, r.left, r.top, r.right, r.bottom, kButtonBorder, kTolerance);
            EXPECT_GT(drawn, area / 2) << "of " << area << " pixels";
        }
        EXPECT_GT(buttons, 0);
        harness.Stop();
    }
}

} // namespace
