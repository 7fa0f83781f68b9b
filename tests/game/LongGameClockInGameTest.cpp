// The park drawn late in a long game: each frame is drawn at the animations' own time, so an animation started this
// frame is drawn from its start, not from a time before it.
#include "engine/render/AnimationScheduler.h"
#include "engine/render/GraphicsManager.h"
#include "tests/game/GameHarness.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{

using gametest::GameHarness;

// The first sandbox is the scenario list's row 12.
constexpr int32_t kFirstSandboxRow = 12;

TEST(LongGameClock, EveryFrameIsDrawnAtTheAnimationsTimeFromTheFirstDayToYearsOn)
{
    GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    harness.EnterPark(kFirstSandboxRow);
    ASSERT_NE(g_pWorld, nullptr);
    const double day = static_cast<double>(g_pWorld->GetDayLength());
    ASSERT_GT(day, 0.0);
    struct Case
    {
        double days;
        int32_t speedLevel;
    };
    // From the first day to ten years of days, at the normal and the top speed, each at an odd time of day.
    for (const Case& c :
         {Case{0.3, 0}, Case{40.7, 2}, Case{400.1, 0}, Case{1500.55, 2}, Case{1500.55, 0}, Case{3650.9, 2}})
    {
        SCOPED_TRACE(testing::Message() << "day " << c.days << ", speed " << c.speedLevel);
        g_pWorld->SetGameTime(c.days * day + 0.37);
        g_pWorld->SetGameSpeedLevel(c.speedLevel);
        int differ = 0;
        int32_t worst = 0;
        for (int frame = 0; frame < 40; ++frame)
        {
            ASSERT_TRUE(harness.RunFrames(1));
            const int32_t off = static_cast<int32_t>(g_AnimationScheduler.GetTime() - g_GraphicsManager.GetFrameTime());
            differ += off != 0 ? 1 : 0;
            worst = std::abs(off) > std::abs(worst) ? off : worst;
        }
        EXPECT_EQ(differ, 0) << "frames drawn at another time than the animations'; their clock less the frame's "
                             << "time reached " << worst << " sixtieths";
    }
}

} // namespace
