// Tests of the park view's mouse summary: drags, holds and repeats, and the wrappers over the input service.
#include "engine/core/MouseState.h"
#include "engine/core/EngineCore.h"
#include "engine/core/EngineInput.h"
#include "engine/core/EngineTimer.h"
#include "tests/platform/SdlTestEvents.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using sdltest::PushButton;
using sdltest::PushKey;
using sdltest::PushMotion;
using sdltest::PushWheel;

namespace
{

class MouseStateTest : public sdltest::HeadlessWindowTest
{
protected:
    void SetUp() override
    {
        HeadlessWindowTest::SetUp();
        m_clock.ticks = 1000;
        ASSERT_NE(m_input.Init(), 0);
        m_core.m_pInput = &m_input;
        m_core.m_pTimer = &m_timer;
        g_pEngineCore = &m_core;
        // Two quiet updates so the input service's position and anchor agree before the test moves.
        m_mouse.Update();
        m_mouse.Update();
    }

    void TearDown() override
    {
        g_pEngineCore = nullptr;
        m_core.m_pInput = nullptr;
        m_core.m_pTimer = nullptr;
        m_input.Shutdown();
        HeadlessWindowTest::TearDown();
    }

    // Moves the mouse by (dx, dy) from where the test last put it.
    void Move(int dx, int dy)
    {
        m_x += dx;
        m_y += dy;
        PushMotion(m_x, m_y, dx, dy);
    }

    testsupport::ManualTimeSource m_clock;
    EngineInput m_input;
    EngineTimer m_timer;
    EngineCore m_core;
    MouseState m_mouse;
    int m_x = 400;
    int m_y = 300;
};

TEST_F(MouseStateTest, StartsWithNothingHeldOrMoving)
{
    MouseState fresh;
    EXPECT_EQ(fresh.GetX(), 0);
    EXPECT_EQ(fresh.GetDeltaX(), 0);
    EXPECT_EQ(fresh.GetWheel(), 0);
    EXPECT_FALSE(fresh.IsDragging());
    EXPECT_FALSE(fresh.IsHolding());
    EXPECT_FALSE(fresh.IsRepeating());
    EXPECT_EQ(MouseState::kDragThreshold, 5);
}

TEST_F(MouseStateTest, PositionDeltasAndWheelComeFromTheInputService)
{
    EXPECT_EQ(m_mouse.GetX(), 400);
    EXPECT_EQ(m_mouse.GetY(), 300);
    Move(6, -2);
    PushWheel(-1);
    m_mouse.Update();
    EXPECT_EQ(m_mouse.GetX(), 406);
    EXPECT_EQ(m_mouse.GetY(), 298);
    EXPECT_EQ(m_mouse.GetWheel(), -1);
    m_mouse.Update();
    EXPECT_EQ(m_mouse.GetDeltaX(), 6);
    EXPECT_EQ(m_mouse.GetDeltaY(), -2);
    EXPECT_EQ(m_mouse.GetWheel(), 0);
}

TEST_F(MouseStateTest, ADragStartsWhenTheMovementSumsToFive)
{
    PushButton(SDL_BUTTON_LEFT, true);
    m_mouse.Update();
    Move(3, 0);
    m_mouse.Update();
    Move(2, 0);
    m_mouse.Update(); // the first move of 3 is reported
    EXPECT_EQ(m_mouse.GetDeltaX(), 3);
    EXPECT_FLOAT_EQ(m_mouse.GetDragX(), 3.0f);
    EXPECT_FALSE(m_mouse.IsDragging());
    m_mouse.Update(); // the second move of 2 is reported
    EXPECT_FLOAT_EQ(m_mouse.GetDragX(), 5.0f);
    EXPECT_TRUE(m_mouse.IsDragging());
    PushButton(SDL_BUTTON_LEFT, false);
}

TEST_F(MouseStateTest, UpwardMovementDragsTooAndRightButtonCounts)
{
    PushButton(SDL_BUTTON_RIGHT, true);
    m_mouse.Update();
    Move(0, -5);
    m_mouse.Update();
    m_mouse.Update();
    EXPECT_FLOAT_EQ(m_mouse.GetDragY(), -5.0f);
    EXPECT_TRUE(m_mouse.IsDragging());
    PushButton(SDL_BUTTON_RIGHT, false);
}

TEST_F(MouseStateTest, MovingFourRightAndFourLeftNeverDrags)
{
    PushButton(SDL_BUTTON_LEFT, true);
    m_mouse.Update();
    Move(4, 4);
    m_mouse.Update();
    Move(-4, -4);
    m_mouse.Update();
    EXPECT_FLOAT_EQ(m_mouse.GetDragX(), 4.0f);
    EXPECT_FALSE(m_mouse.IsDragging());
    m_mouse.Update();
    EXPECT_FLOAT_EQ(m_mouse.GetDragX(), 0.0f);
    EXPECT_FLOAT_EQ(m_mouse.GetDragY(), 0.0f);
    EXPECT_FALSE(m_mouse.IsDragging());
    m_mouse.Update();
    EXPECT_FALSE(m_mouse.IsDragging());
    PushButton(SDL_BUTTON_LEFT, false);
}

TEST_F(MouseStateTest, AHoldRepeatsAfterHalfASecondThenMarksEveryTenthOfASecond)
{
    PushButton(SDL_BUTTON_LEFT, true);
    m_mouse.Update();
    EXPECT_TRUE(m_mouse.IsHolding());
    EXPECT_FALSE(m_mouse.IsRepeating());
    EXPECT_EQ(m_mouse.GetHoldMark(), 1000u);

    // Exactly 500 ms is not yet more than 500.
    m_clock.ticks = 1500;
    m_mouse.Update();
    EXPECT_EQ(m_mouse.GetHoldTime(), 500u);
    EXPECT_FALSE(m_mouse.IsRepeating());

    m_clock.ticks = 1600;
    m_mouse.Update();
    EXPECT_TRUE(m_mouse.IsRepeating());
    EXPECT_EQ(m_mouse.GetHoldMark(), 1600u);

    m_clock.ticks = 1650;
    m_mouse.Update();
    EXPECT_EQ(m_mouse.GetHoldMark(), 1600u);
    EXPECT_EQ(m_mouse.GetHoldTime(), 50u);

    // Exactly 100 ms does not advance the mark; more than 100 does.
    m_clock.ticks = 1700;
    m_mouse.Update();
    EXPECT_EQ(m_mouse.GetHoldMark(), 1600u);
    m_clock.ticks = 1701;
    m_mouse.Update();
    EXPECT_EQ(m_mouse.GetHoldMark(), 1701u);
    m_clock.ticks = 1800;
    m_mouse.Update();
    EXPECT_EQ(m_mouse.GetHoldMark(), 1701u);
    m_clock.ticks = 1802;
    m_mouse.Update();
    EXPECT_EQ(m_mouse.GetHoldMark(), 1802u);
    EXPECT_TRUE(m_mouse.IsRepeating());

    PushButton(SDL_BUTTON_LEFT, false);
    m_mouse.Update();
    EXPECT_FALSE(m_mouse.IsHolding());
    EXPECT_FALSE(m_mouse.IsRepeating());
}

TEST_F(MouseStateTest, ADraggingButtonIsNotTimed)
{
    PushButton(SDL_BUTTON_LEFT, true);
    Move(8, 0);
    m_mouse.Update();
    m_mouse.Update(); // the move is reported and the drag starts
    ASSERT_TRUE(m_mouse.IsDragging());
    uint32_t mark = m_mouse.GetHoldMark();
    m_clock.ticks = 5000;
    m_mouse.Update();
    EXPECT_FALSE(m_mouse.IsRepeating());
    EXPECT_EQ(m_mouse.GetHoldMark(), mark);
    PushButton(SDL_BUTTON_LEFT, false);
}

TEST_F(MouseStateTest, ReleasingBothButtonsClearsTheDragAtOnce)
{
    PushButton(SDL_BUTTON_LEFT, true);
    m_mouse.Update();
    Move(6, 0);
    m_mouse.Update();
    m_mouse.Update();
    ASSERT_TRUE(m_mouse.IsDragging());
    m_clock.ticks = 3000;

    // The last movement and the release in the same frame.
    Move(3, 0);
    PushButton(SDL_BUTTON_LEFT, false);
    m_mouse.Update();
    EXPECT_FALSE(m_mouse.IsDragging());
    EXPECT_FLOAT_EQ(m_mouse.GetDragX(), 0.0f);
    EXPECT_FLOAT_EQ(m_mouse.GetDragY(), 0.0f);
    EXPECT_FALSE(m_mouse.IsHolding());
    EXPECT_FALSE(m_mouse.IsRepeating());
}

TEST_F(MouseStateTest, WithBothButtonsHeldNothingChanges)
{
    PushButton(SDL_BUTTON_LEFT, true);
    m_mouse.Update();
    Move(3, 0);
    m_mouse.Update();
    m_mouse.Update();
    ASSERT_FLOAT_EQ(m_mouse.GetDragX(), 3.0f);

    PushButton(SDL_BUTTON_RIGHT, true);
    Move(10, 0);
    m_mouse.Update();
    m_mouse.Update();
    m_clock.ticks = 9000;
    m_mouse.Update();
    EXPECT_FLOAT_EQ(m_mouse.GetDragX(), 3.0f);
    EXPECT_FALSE(m_mouse.IsDragging());
    EXPECT_TRUE(m_mouse.IsHolding());
    EXPECT_FALSE(m_mouse.IsRepeating());

    // One button again: summing goes on from where it stood.
    PushButton(SDL_BUTTON_RIGHT, false);
    Move(2, 0);
    m_mouse.Update();
    m_mouse.Update();
    EXPECT_FLOAT_EQ(m_mouse.GetDragX(), 5.0f);
    EXPECT_TRUE(m_mouse.IsDragging());
    PushButton(SDL_BUTTON_LEFT, false);
}

TEST_F(MouseStateTest, WrappersForwardToTheInputService)
{
    PushKey(SDL_SCANCODE_LCTRL, true);
    PushButton(SDL_BUTTON_RIGHT, true);
    m_mouse.Update();
    EXPECT_TRUE(m_mouse.IsEngineKeyDown(platform::kKeyLeftControl));
    EXPECT_FALSE(m_mouse.IsEngineKeyDown(platform::kKeyRightControl));
    EXPECT_EQ(m_mouse.GetLeftButton(), 0);
    EXPECT_EQ(m_mouse.GetRightButton(), 1);

    m_mouse.GrabMouse();
    EXPECT_TRUE(m_mouse.IsMouseGrabbed());
    EXPECT_TRUE(m_input.IsMouseGrabbed());
    m_mouse.ReleaseMouse();
    EXPECT_FALSE(m_mouse.IsMouseGrabbed());
    PushKey(SDL_SCANCODE_LCTRL, false);
    PushButton(SDL_BUTTON_RIGHT, false);
}

TEST_F(MouseStateTest, WithoutTheEngineRootNothingHappens)
{
    g_pEngineCore = nullptr;
    MouseState mouse;
    PushButton(SDL_BUTTON_LEFT, true);
    mouse.Update();
    EXPECT_FALSE(mouse.IsHolding());
    EXPECT_EQ(mouse.GetLeftButton(), 0);
    EXPECT_FALSE(mouse.IsEngineKeyDown(1));
    mouse.GrabMouse();
    EXPECT_FALSE(mouse.IsMouseGrabbed());
    PushButton(SDL_BUTTON_LEFT, false);
}

} // namespace
