// The game input's frame allocates nothing while no input comes: it runs in every frame of the game.
#include "engine/core/GameInput.h"
#include "tests/allocations/CountedNew.h"
#include "tests/platform/SdlTestEvents.h"

#include <gtest/gtest.h>

namespace
{

class GameInputAllocationTest : public sdltest::HeadlessWindowTest
{
};

TEST_F(GameInputAllocationTest, FramesWithoutInputAllocateNothing)
{
    GameInput input(800, 600, false);
    ASSERT_TRUE(input.Init(nullptr, platform::GameWindowHandle()));
    // A tap and a click in each of a few frames, then quiet frames: whatever the input keeps has been made.
    auto busyFrame = [&]
    {
        sdltest::PushKey(SDL_SCANCODE_A, true);
        sdltest::PushButton(SDL_BUTTON_LEFT, true);
        sdltest::PushKey(SDL_SCANCODE_A, false);
        sdltest::PushButton(SDL_BUTTON_LEFT, false);
        ASSERT_TRUE(input.Update());
    };
    for (int i = 0; i < 4; ++i)
        busyFrame();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(input.Update());
    {
        // The counter sees an allocation of this thread.
        testsupport::CountedAllocations counted;
        int* volatile one = new int(1);
        delete one;
        EXPECT_EQ(counted.Count(), 1u);
    }
    {
        testsupport::CountedAllocations counted;
        for (int i = 0; i < 8; ++i)
            ASSERT_TRUE(input.Update());
        EXPECT_EQ(counted.Count(), 0u);
    }
    // The input still reads its frames: a tap goes down in its frame and is up by the next.
    busyFrame();
    EXPECT_TRUE(input.IsKeyPressed(platform::kKeyA));
    ASSERT_TRUE(input.Update());
    EXPECT_FALSE(input.IsKeyPressed(platform::kKeyA));
    EXPECT_FALSE(input.IsKeyHeld(platform::kKeyA));
}

} // namespace
