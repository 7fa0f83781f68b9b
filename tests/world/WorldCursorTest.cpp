// Tests of the park's cursor in its frames: the right mouse button, read from the game input, turns the cursor into
// the turning cursor and locks it while it is held.
#include "tests/platform/SdlTestEvents.h"
#include "tests/world/ParkTestSupport.h"

#include "engine/core/Cursor.h"
#include "engine/core/GameInput.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using parktest::RecordingPark;
using parktest::Scenario;

namespace
{

using WorldCursorTest = sdltest::HeadlessWindowTest;

TEST_F(WorldCursorTest, HoldingTheRightButtonTurnsAndLocksTheCursorUntilItIsLetGo)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    GameInput input(800, 600, false);
    ASSERT_TRUE(input.Init(nullptr, platform::GameWindowHandle()));
    Cursor cursor;
    World world(&cursor, &input, scenario.WriteStandardWorldFile().c_str(), false);
    constexpr uint8_t kLeft = 1, kRight = 3;
    const struct
    {
        const char* what;
        std::vector<std::pair<uint8_t, bool>> buttons; // pushed before the frame
        int32_t mode;
        bool locked;
    } frames[] = {
        {"no button", {}, 0, false},
        {"right pressed", {{kRight, true}}, 3, true},
        {"right held", {}, 3, true},
        {"right let go", {{kRight, false}}, 0, false},
        {"left pressed", {{kLeft, true}}, 0, false},
        {"left let go", {{kLeft, false}}, 0, false},
    };
    for (const auto& frame : frames)
    {
        for (const auto& [button, down] : frame.buttons)
            sdltest::PushButton(button, down);
        ASSERT_TRUE(input.Update());
        world.Update(0.1f);
        EXPECT_EQ(std::pair(cursor.GetMode(), cursor.IsLocked()), std::pair(frame.mode, frame.locked)) << frame.what;
    }
}

// A park can be left while the right button still turns the camera (a button clicked with the other hand, a load):
// the front end, or the next park, gets a free cursor, whether the button is let go before or after.
TEST_F(WorldCursorTest, LeavingTheParkWhileTheRightButtonIsHeldFreesTheCursor)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    GameInput input(800, 600, false);
    ASSERT_TRUE(input.Init(nullptr, platform::GameWindowHandle()));
    Cursor cursor;
    constexpr uint8_t kRight = 3;
    for (bool letGoFirst : {false, true})
    {
        SCOPED_TRACE(letGoFirst ? "let go before the park goes" : "held as the park goes");
        auto world = std::make_unique<World>(&cursor, &input, scenario.WriteStandardWorldFile().c_str(), false);
        sdltest::PushButton(kRight, true);
        ASSERT_TRUE(input.Update());
        world->Update(0.1f);
        ASSERT_TRUE(cursor.IsLocked());
        if (letGoFirst)
        {
            sdltest::PushButton(kRight, false);
            ASSERT_TRUE(input.Update());
        }
        world.reset();
        EXPECT_FALSE(cursor.IsLocked());
        EXPECT_FALSE(input.IsLocked());
        EXPECT_EQ(cursor.GetMode(), 0);
        if (!letGoFirst)
        {
            sdltest::PushButton(kRight, false);
            ASSERT_TRUE(input.Update());
        }
    }
}

} // namespace
