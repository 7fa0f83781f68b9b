// Tests of the game input: key and button states, the cursor in full screen and in a window, the lock, the
// wheel, lost devices and the system cursor.
#include "engine/core/GameInput.h"
#include "platform/Cursor.h"
#include "platform/Window.h"
#include "tests/platform/SdlTestEvents.h"

#include <gtest/gtest.h>

#include <memory>

using sdltest::PushButton;
using sdltest::PushFocus;
using sdltest::PushKey;
using sdltest::PushMotion;
using sdltest::PushWheel;

namespace
{

class GameInputTest : public sdltest::HeadlessWindowTest
{
protected:
    void SetUp() override
    {
        HeadlessWindowTest::SetUp();
        Start(false);
    }

    void TearDown() override
    {
        m_input.reset();
        platform::SetDevicesPresent(true, true);
        HeadlessWindowTest::TearDown();
    }

    void Start(bool windowed)
    {
        m_input.reset();
        m_input = std::make_unique<GameInput>(800, 600, windowed);
        ASSERT_TRUE(m_input->Init(nullptr, platform::GameWindowHandle()));
    }

    std::unique_ptr<GameInput> m_input;
};

TEST_F(GameInputTest, ConstructionSetsTheGlobalPointerAndDestructionClearsIt)
{
    EXPECT_EQ(g_pGameInput, m_input.get());
    EXPECT_TRUE(m_input->HasWheel());
    EXPECT_TRUE(m_input->IsSystemCursor());
    EXPECT_EQ(m_input->GetCursorShape(), 0);
    EXPECT_FALSE(m_input->IsLocked());
    m_input->LockCursor(true);
    m_input.reset();
    EXPECT_EQ(g_pGameInput, nullptr);
    // The destructor frees the cursor clip.
    platform::Rect clip;
    EXPECT_FALSE(platform::GetCursorClip(&clip));
}

TEST_F(GameInputTest, InitFailsWithoutAMouseAndUpdateFailsWithoutDevices)
{
    platform::SetDevicesPresent(true, false);
    GameInput noMouse(800, 600, false);
    EXPECT_FALSE(noMouse.Init(nullptr, nullptr));
    platform::SetDevicesPresent(false, true);
    GameInput noKeyboard(800, 600, false);
    EXPECT_FALSE(noKeyboard.Init(nullptr, nullptr));
    EXPECT_FALSE(noKeyboard.Update());
    platform::SetDevicesPresent(true, true);
    GameInput neverStarted(800, 600, false);
    EXPECT_FALSE(neverStarted.Update());
    m_input.reset();
}

TEST_F(GameInputTest, AKeyHeldThreeFramesReadsOneTwoTwoThenZero)
{
    PushKey(SDL_SCANCODE_LSHIFT, true);
    ASSERT_TRUE(m_input->Update());
    EXPECT_TRUE(m_input->IsKeyPressed(42));
    EXPECT_FALSE(m_input->IsKeyHeld(42));
    EXPECT_TRUE(m_input->AnyKeyPressed());
    ASSERT_TRUE(m_input->Update());
    EXPECT_FALSE(m_input->IsKeyPressed(42));
    EXPECT_TRUE(m_input->IsKeyHeld(42));
    EXPECT_FALSE(m_input->AnyKeyPressed());
    ASSERT_TRUE(m_input->Update());
    EXPECT_TRUE(m_input->IsKeyHeld(42));

    PushKey(SDL_SCANCODE_LSHIFT, false);
    ASSERT_TRUE(m_input->Update());
    EXPECT_FALSE(m_input->IsKeyPressed(42));
    EXPECT_FALSE(m_input->IsKeyHeld(42));

    EXPECT_FALSE(m_input->IsKeyHeld(-5));
    EXPECT_FALSE(m_input->IsKeyPressed(300));
}

TEST_F(GameInputTest, AClickWithinOneFrameReadsOneThenZero)
{
    PushButton(SDL_BUTTON_LEFT, true);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 1);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 0);
}

TEST_F(GameInputTest, AClickAcrossTwoFramesReadsOneThenZero)
{
    PushButton(SDL_BUTTON_RIGHT, true);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetRightButton(), 1);
    PushButton(SDL_BUTTON_RIGHT, false);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetRightButton(), 0);
}

TEST_F(GameInputTest, AHeldButtonReadsTwoUntilReleased)
{
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 1);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 2);
    // A second press while held changes nothing.
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 2);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 0);
    // The middle button is not one of the game's two.
    PushButton(SDL_BUTTON_MIDDLE, true);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 0);
    EXPECT_EQ(m_input->GetRightButton(), 0);
    PushButton(SDL_BUTTON_MIDDLE, false);
}

TEST_F(GameInputTest, ClearMouseButtonsForgetsStatesAndPendingReleases)
{
    PushButton(SDL_BUTTON_LEFT, true);
    PushButton(SDL_BUTTON_LEFT, false);
    PushButton(SDL_BUTTON_RIGHT, true);
    ASSERT_TRUE(m_input->Update());
    m_input->ClearMouseButtons();
    EXPECT_EQ(m_input->GetLeftButton(), 0);
    EXPECT_EQ(m_input->GetRightButton(), 0);
    // The next press reads as a fresh one.
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 1);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 2);
    PushButton(SDL_BUTTON_LEFT, false);
    PushButton(SDL_BUTTON_RIGHT, false);
}

TEST_F(GameInputTest, FullScreenPositionIsClampedToTheScreen)
{
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), 400);
    EXPECT_EQ(m_input->GetMouseY(), 300);

    PushMotion(800, 600, 400, 300);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), 799);
    EXPECT_EQ(m_input->GetMouseY(), 599);
    EXPECT_EQ(m_input->GetMouseDeltaX(), 400);
    EXPECT_EQ(m_input->GetMouseDeltaY(), 300);

    PushMotion(-5, 10, -805, -590);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), 0);
    EXPECT_EQ(m_input->GetMouseY(), 10);
    // The delta is measured from the stored (clamped) position.
    EXPECT_EQ(m_input->GetMouseDeltaX(), -5 - 799);
    EXPECT_EQ(m_input->GetMouseDeltaY(), 10 - 599);

    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseDeltaX(), -5);
    EXPECT_EQ(m_input->GetMouseDeltaY(), 0);
}

TEST_F(GameInputTest, WindowedPositionIsRelativeToTheWindow)
{
    Start(true);
    ASSERT_TRUE(platform::SetGameWindowBounds(50, 60, 800, 600));
    platform::SetCursorPos(150, 160);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), 100);
    EXPECT_EQ(m_input->GetMouseY(), 100);

    // The right and bottom edges themselves still count as inside.
    platform::SetCursorPos(850, 660);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), 800);
    EXPECT_EQ(m_input->GetMouseY(), 600);
    EXPECT_EQ(m_input->GetMouseDeltaX(), 700);
    EXPECT_EQ(m_input->GetMouseDeltaY(), 500);
}

TEST_F(GameInputTest, WindowedOutsideReadsMinus300AndIgnoresButtons)
{
    Start(true);
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(m_input->Update());
    ASSERT_EQ(m_input->GetLeftButton(), 1);

    // Out to the left: both coordinates read -300 and the release there is not seen.
    PushMotion(-20, 100, -420, -200);
    PushButton(SDL_BUTTON_LEFT, false);
    PushButton(SDL_BUTTON_RIGHT, true);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), GameInput::kOutsideWindow);
    EXPECT_EQ(m_input->GetMouseY(), GameInput::kOutsideWindow);
    EXPECT_EQ(m_input->GetLeftButton(), 2);
    EXPECT_EQ(m_input->GetRightButton(), 0);

    PushMotion(300, 601, 320, 501);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), GameInput::kOutsideWindow);
    EXPECT_EQ(m_input->GetLeftButton(), 2);

    // Back inside: coming in from outside is no movement, and the button stays held until released here.
    PushMotion(300, 200, 0, -401);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), 300);
    EXPECT_EQ(m_input->GetMouseY(), 200);
    EXPECT_EQ(m_input->GetMouseDeltaX(), 0);
    EXPECT_EQ(m_input->GetMouseDeltaY(), 0);
    EXPECT_EQ(m_input->GetLeftButton(), 2);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 0);
    PushButton(SDL_BUTTON_RIGHT, false);
}

TEST_F(GameInputTest, LockedDeltasComeFromTheRawMovementAndTheCursorStays)
{
    PushMotion(200, 150, -200, -150);
    ASSERT_TRUE(m_input->Update());
    m_input->LockCursor(true);
    EXPECT_TRUE(m_input->IsLocked());
    EXPECT_EQ(m_input->GetMouseDeltaX(), 0);
    platform::Rect clip;
    ASSERT_TRUE(platform::GetCursorClip(&clip));
    EXPECT_EQ(clip.left, 200);
    EXPECT_EQ(clip.top, 150);
    EXPECT_EQ(clip.right, 201);
    EXPECT_EQ(clip.bottom, 151);

    PushMotion(207, 150, 7, 0);
    PushMotion(210, 148, 3, -2);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseDeltaX(), 10);
    EXPECT_EQ(m_input->GetMouseDeltaY(), -2);
    EXPECT_EQ(m_input->GetMouseX(), 200);
    EXPECT_EQ(m_input->GetMouseY(), 150);
    platform::Point cursor;
    platform::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 200);
    EXPECT_EQ(cursor.y, 150);

    // No movement, no delta.
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseDeltaX(), 0);
    EXPECT_EQ(m_input->GetMouseDeltaY(), 0);

    m_input->LockCursor(false);
    EXPECT_FALSE(m_input->IsLocked());
    EXPECT_FALSE(platform::GetCursorClip(&clip));
    PushMotion(260, 170, 50, 20);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), 260);
    EXPECT_EQ(m_input->GetMouseDeltaX(), 60);
}

TEST_F(GameInputTest, WindowedLockMovesTheCursorToItsScreenPixel)
{
    Start(true);
    ASSERT_TRUE(platform::SetGameWindowBounds(50, 60, 800, 600));
    platform::SetCursorPos(150, 170);
    ASSERT_TRUE(m_input->Update());
    ASSERT_EQ(m_input->GetMouseX(), 100);
    ASSERT_EQ(m_input->GetMouseY(), 110);
    m_input->LockCursor(true);
    platform::Rect clip;
    ASSERT_TRUE(platform::GetCursorClip(&clip));
    EXPECT_EQ(clip.left, 150);
    EXPECT_EQ(clip.top, 170);
    platform::Point cursor;
    platform::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 150);
    EXPECT_EQ(cursor.y, 170);
    PushMotion(130, 110, 30, 0);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetMouseX(), 100);
    EXPECT_EQ(m_input->GetMouseDeltaX(), 30);
}

TEST_F(GameInputTest, WheelSumsTheFramesMovementInDeviceUnits)
{
    PushWheel(1);
    PushWheel(1);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetWheelDelta(), 240);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetWheelDelta(), 0);
    PushWheel(-1);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetWheelDelta(), -120);
}

TEST_F(GameInputTest, ALostMouseSkipsTheFrameWithoutRepeatingEdges)
{
    ASSERT_TRUE(m_input->Update());
    PushKey(SDL_SCANCODE_ESCAPE, true);
    PushButton(SDL_BUTTON_LEFT, true);
    PushMotion(410, 300, 10, 0);
    ASSERT_TRUE(m_input->Update());
    ASSERT_TRUE(m_input->IsKeyPressed(platform::kKeyEscape));
    ASSERT_EQ(m_input->GetLeftButton(), 1);
    ASSERT_EQ(m_input->GetMouseDeltaX(), 10);

    PushFocus(false);
    ASSERT_TRUE(m_input->Update());
    // Nothing was read: no movement, and the press of the last frame is not reported again.
    EXPECT_EQ(m_input->GetMouseDeltaX(), 0);
    EXPECT_EQ(m_input->GetLeftButton(), 2);
    EXPECT_FALSE(m_input->IsKeyPressed(platform::kKeyEscape));
    EXPECT_TRUE(m_input->IsKeyHeld(platform::kKeyEscape));
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 2);

    // Focus back: the devices are acquired again by the next read and then read as usual.
    PushFocus(true);
    ASSERT_TRUE(m_input->Update());
    ASSERT_TRUE(m_input->Update());
    EXPECT_FALSE(m_input->IsKeyHeld(platform::kKeyEscape));
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(m_input->Update());
    EXPECT_EQ(m_input->GetLeftButton(), 0);
}

TEST_F(GameInputTest, CursorShapeAndVisibility)
{
    m_input->SetCursorShape(5);
    EXPECT_EQ(m_input->GetCursorShape(), 5);
    EXPECT_EQ(platform::GetCursorShape(), platform::CursorShape::Arrow);
    m_input->RestoreCursor();
    EXPECT_EQ(m_input->GetCursorShape(), 5);

    m_input->SetSystemCursor(false);
    EXPECT_FALSE(m_input->IsSystemCursor());
    EXPECT_FALSE(platform::IsCursorVisible());
    m_input->SetSystemCursor(true);
    EXPECT_TRUE(m_input->IsSystemCursor());
    // Switching it on records it and does nothing more.
    EXPECT_FALSE(platform::IsCursorVisible());
    ShowSystemCursor();
    EXPECT_TRUE(platform::IsCursorVisible());
}

TEST_F(GameInputTest, ShowAndHideCallUntilTheCountCrossesZero)
{
    while (platform::GetCursorDisplayCount() < 2)
        platform::ShowCursor(true);
    HideSystemCursor();
    EXPECT_EQ(platform::GetCursorDisplayCount(), -1);
    HideSystemCursor();
    EXPECT_EQ(platform::GetCursorDisplayCount(), -2);
    platform::ShowCursor(false);
    ShowSystemCursor();
    EXPECT_EQ(platform::GetCursorDisplayCount(), 0);
    ShowSystemCursor();
    EXPECT_EQ(platform::GetCursorDisplayCount(), 1);
}

} // namespace
