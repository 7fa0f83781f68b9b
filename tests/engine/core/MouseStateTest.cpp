// Tests of the park view's mouse summary: drags, holds and repeats, and the wrappers over the input service.
#include "engine/core/MouseState.h"
#include "engine/core/EngineCore.h"
#include "engine/core/EngineInput.h"
#include "engine/core/EngineTimer.h"
#include "tests/platform/SdlTestEvents.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

using sdltest::PushButton;

namespace
{

// Held input left at the end of a test is forgotten when the fixture destroys the window.
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

    // Moves the mouse by (dx, dy) and updates twice: the input service reports a movement one update late.
    void Move(int dx, int dy)
    {
        m_x += dx;
        m_y += dy;
        sdltest::PushMotion(m_x, m_y, dx, dy);
        m_mouse.Update();
        m_mouse.Update();
    }

    void ExpectDrag(float x, float y, bool dragging)
    {
        EXPECT_EQ(std::tuple(m_mouse.GetDragX(), m_mouse.GetDragY(), m_mouse.IsDragging()), std::tuple(x, y, dragging));
    }

    testsupport::ManualTimeSource m_clock;
    EngineInput m_input;
    EngineTimer m_timer;
    EngineCore m_core;
    MouseState m_mouse;
    int m_x = 400;
    int m_y = 300;
};

TEST_F(MouseStateTest, PositionDeltasWheelAndWrappersComeFromTheInputServiceWhileThereIsOne)
{
    sdltest::PushWheel(-1);
    sdltest::PushMotion(406, 298, 6, -2);
    m_mouse.Update();
    EXPECT_EQ(std::tuple(m_mouse.GetX(), m_mouse.GetY(), m_mouse.GetWheel()), std::tuple(406, 298, -1));
    m_mouse.Update();
    EXPECT_EQ(std::tuple(m_mouse.GetDeltaX(), m_mouse.GetDeltaY(), m_mouse.GetWheel()), std::tuple(6, -2, 0));

    sdltest::PushKey(SDL_SCANCODE_LCTRL, true);
    PushButton(SDL_BUTTON_RIGHT, true);
    m_mouse.Update();
    EXPECT_TRUE(m_mouse.IsEngineKeyDown(platform::kKeyLeftControl) &&
                !m_mouse.IsEngineKeyDown(platform::kKeyRightControl));
    EXPECT_EQ(std::pair(m_mouse.GetLeftButton(), m_mouse.GetRightButton()), std::pair(0, 1));
    m_mouse.GrabMouse();
    EXPECT_TRUE(m_input.IsMouseGrabbed());
    m_mouse.ReleaseMouse();
    EXPECT_FALSE(m_mouse.IsMouseGrabbed());

    // Without the engine root nothing is forwarded.
    g_pEngineCore = nullptr;
    MouseState mouse;
    PushButton(SDL_BUTTON_LEFT, true);
    mouse.Update();
    mouse.GrabMouse();
    EXPECT_FALSE(mouse.IsHolding() || mouse.GetRightButton() || mouse.IsEngineKeyDown(platform::kKeyLeftControl) ||
                 mouse.IsMouseGrabbed());
}

TEST_F(MouseStateTest, ADragStartsWhenTheHeldMovementSumsToFive)
{
    // 3 then 2 to the right starts a drag at the second move; 5 up with the right button drags at once.
    PushButton(SDL_BUTTON_LEFT, true);
    Move(3, 0);
    ExpectDrag(3, 0, false);
    Move(2, 0);
    ExpectDrag(5, 0, true);
    PushButton(SDL_BUTTON_LEFT, false);
    m_mouse.Update();
    PushButton(SDL_BUTTON_RIGHT, true);
    Move(0, -5);
    ExpectDrag(0, -5, true);
    PushButton(SDL_BUTTON_RIGHT, false);
    m_mouse.Update();

    // 4 out and 4 back never drags: the sum returns to 0.
    PushButton(SDL_BUTTON_LEFT, true);
    Move(4, 4);
    ExpectDrag(4, 4, false);
    Move(-4, -4);
    ExpectDrag(0, 0, false);
}

TEST_F(MouseStateTest, AHoldRepeatsAfterHalfASecondThenMarksEveryTenthOfASecond)
{
    PushButton(SDL_BUTTON_LEFT, true);
    m_mouse.Update();
    EXPECT_TRUE(m_mouse.IsHolding());
    struct Step
    {
        uint32_t now, time, mark;
        bool repeating;
    };
    // Exactly 500 ms is not yet more than 500; once repeating, exactly 100 ms does not advance the mark.
    const Step steps[] = {{1500, 500, 1000, false}, {1600, 0, 1600, true},   {1650, 50, 1600, true},
                          {1700, 100, 1600, true},  {1701, 101, 1701, true}, {1800, 99, 1701, true},
                          {1802, 101, 1802, true}};
    for (const Step& step : steps)
    {
        m_clock.ticks = step.now;
        m_mouse.Update();
        EXPECT_EQ(std::tuple(m_mouse.GetHoldTime(), m_mouse.GetHoldMark(), m_mouse.IsRepeating()),
                  std::tuple(step.time, step.mark, step.repeating))
            << step.now;
    }
    PushButton(SDL_BUTTON_LEFT, false);
    m_mouse.Update();
    EXPECT_FALSE(m_mouse.IsHolding() || m_mouse.IsRepeating());
}

TEST_F(MouseStateTest, ADraggingButtonIsNotTimedAndReleasingClearsTheDragAtOnce)
{
    PushButton(SDL_BUTTON_LEFT, true);
    Move(8, 0);
    ASSERT_TRUE(m_mouse.IsDragging());
    const uint32_t mark = m_mouse.GetHoldMark();
    m_clock.ticks = 5000;
    m_mouse.Update();
    EXPECT_EQ(std::pair(m_mouse.IsRepeating(), m_mouse.GetHoldMark()), std::pair(false, mark));

    // The last movement and the release reach the same update.
    sdltest::PushMotion(m_x + 3, m_y, 3, 0);
    PushButton(SDL_BUTTON_LEFT, false);
    m_mouse.Update();
    ExpectDrag(0, 0, false);
    EXPECT_FALSE(m_mouse.IsHolding());
}

TEST_F(MouseStateTest, WithBothButtonsHeldNothingChanges)
{
    PushButton(SDL_BUTTON_LEFT, true);
    Move(3, 0);
    PushButton(SDL_BUTTON_RIGHT, true);
    Move(10, 0);
    m_clock.ticks = 9000;
    m_mouse.Update();
    ExpectDrag(3, 0, false);
    EXPECT_TRUE(m_mouse.IsHolding() && !m_mouse.IsRepeating());

    // One button again: summing goes on from where it stood.
    PushButton(SDL_BUTTON_RIGHT, false);
    Move(2, 0);
    ExpectDrag(5, 0, true);
}

} // namespace
