// Tests of the engine input service: key and button edges, the window rule for presses, deltas, grab, wheel,
// lost devices and replay file naming.
#include "engine/core/EngineInput.h"
#include "platform/Cursor.h"
#include "platform/Window.h"
#include "tests/platform/SdlTestEvents.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using sdltest::PushButton;
using sdltest::PushFocus;
using sdltest::PushKey;
using sdltest::PushMotion;
using sdltest::PushWheel;

namespace
{

class EngineInputTest : public sdltest::HeadlessWindowTest
{
protected:
    void SetUp() override
    {
        HeadlessWindowTest::SetUp();
        ASSERT_NE(m_input.Init(), 0);
    }

    void TearDown() override
    {
        m_input.Shutdown();
        platform::SetDevicesPresent(true, true);
        HeadlessWindowTest::TearDown();
    }

    // Updates until the position and anchor agree, so the next deltas measure only what the test moves.
    void Settle()
    {
        m_input.Update();
        m_input.Update();
    }

    EngineInput m_input;
};

TEST_F(EngineInputTest, InitStartsReadyWithTheWheelGranularityOfTheDevice)
{
    EXPECT_TRUE(m_input.IsReady());
    EXPECT_EQ(m_input.GetWheelGranularity(), platform::kWheelUnitsPerNotch);
    EXPECT_EQ(m_input.GetUpdateCount(), 0u);
    EXPECT_FALSE(m_input.IsMouseGrabbed());
    EXPECT_EQ(m_input.GetButton0(), 0);
}

TEST_F(EngineInputTest, WithoutAMouseOrKeyboardTheServiceStaysIdle)
{
    m_input.Shutdown();
    platform::SetDevicesPresent(true, false);
    EXPECT_EQ(m_input.Init(), 0);
    EXPECT_FALSE(m_input.IsReady());
    PushButton(SDL_BUTTON_LEFT, true);
    PushKey(SDL_SCANCODE_SPACE, true);
    m_input.Update();
    EXPECT_EQ(m_input.GetUpdateCount(), 0u);
    EXPECT_EQ(m_input.GetButton0(), 0);
    EXPECT_FALSE(m_input.IsKeyDown(platform::kKeySpace));

    platform::SetDevicesPresent(false, true);
    EXPECT_EQ(m_input.Init(), 0);
    EXPECT_FALSE(m_input.IsReady());
    PushKey(SDL_SCANCODE_SPACE, false);
    PushButton(SDL_BUTTON_LEFT, false);
}

TEST_F(EngineInputTest, KeyDownAndReleaseEdges)
{
    PushKey(SDL_SCANCODE_SPACE, true);
    m_input.Update();
    EXPECT_TRUE(m_input.IsKeyDown(57));
    EXPECT_FALSE(m_input.WasKeyReleased(57));
    m_input.Update();
    EXPECT_TRUE(m_input.IsKeyDown(57));
    EXPECT_FALSE(m_input.WasKeyReleased(57));

    PushKey(SDL_SCANCODE_SPACE, false);
    m_input.Update();
    EXPECT_FALSE(m_input.IsKeyDown(57));
    EXPECT_TRUE(m_input.WasKeyReleased(57));
    m_input.Update();
    EXPECT_FALSE(m_input.WasKeyReleased(57));
    EXPECT_EQ(m_input.GetUpdateCount(), 4u);

    // Codes outside 0 to 255 are never down.
    EXPECT_FALSE(m_input.IsKeyDown(-1));
    EXPECT_FALSE(m_input.IsKeyDown(256));
    EXPECT_FALSE(m_input.WasKeyReleased(1000));

    m_input.ResetUpdateCount();
    EXPECT_EQ(m_input.GetUpdateCount(), 0u);
}

TEST_F(EngineInputTest, AClickWithinOneUpdateIsDownForThatUpdateOnly)
{
    PushButton(SDL_BUTTON_LEFT, true);
    PushButton(SDL_BUTTON_LEFT, false);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton0(), 1);
    EXPECT_TRUE(m_input.WasButtonPressed0());
    EXPECT_FALSE(m_input.WasButtonReleased0());
    m_input.Update();
    EXPECT_EQ(m_input.GetButton0(), 0);
    EXPECT_FALSE(m_input.WasButtonPressed0());
    EXPECT_TRUE(m_input.WasButtonReleased0());
    m_input.Update();
    EXPECT_FALSE(m_input.WasButtonReleased0());
}

TEST_F(EngineInputTest, AClickAcrossUpdatesFollowsTheButton)
{
    PushButton(SDL_BUTTON_RIGHT, true);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton1(), 1);
    EXPECT_TRUE(m_input.WasButtonPressed1());
    m_input.Update();
    EXPECT_EQ(m_input.GetButton1(), 1);
    EXPECT_FALSE(m_input.WasButtonPressed1());
    PushButton(SDL_BUTTON_RIGHT, false);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton1(), 0);
    EXPECT_TRUE(m_input.WasButtonReleased1());

    // The middle button is button 2; the others are not read.
    PushButton(SDL_BUTTON_MIDDLE, true);
    PushButton(SDL_BUTTON_X1, true);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton2(), 1);
    EXPECT_TRUE(m_input.WasButtonPressed2());
    EXPECT_EQ(m_input.GetButton(2), 1);
    EXPECT_EQ(m_input.GetButton(3), 0);
    PushButton(SDL_BUTTON_MIDDLE, false);
    PushButton(SDL_BUTTON_X1, false);
    m_input.Update();
    EXPECT_TRUE(m_input.WasButtonReleased2());
}

TEST_F(EngineInputTest, APressOutsideTheWindowIsIgnoredAndItsReleaseOnlySetsUp)
{
    // The window covers screen 0..800 x 0..600; the cursor goes left of it.
    PushMotion(-10, 50, -410, -250);
    PushButton(SDL_BUTTON_LEFT, true);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton0(), 0);
    EXPECT_FALSE(m_input.WasButtonPressed0());

    PushMotion(100, 50, 110, 0);
    PushButton(SDL_BUTTON_LEFT, false);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton0(), 0);
    EXPECT_FALSE(m_input.WasButtonReleased0());
}

TEST_F(EngineInputTest, TheWindowEdgesCountAsInside)
{
    // The rectangle's right and bottom edges (800, 600) are included.
    PushMotion(800, 600, 400, 300);
    PushButton(SDL_BUTTON_LEFT, true);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton0(), 1);

    PushButton(SDL_BUTTON_LEFT, false);
    PushMotion(801, 600, 1, 0);
    PushButton(SDL_BUTTON_RIGHT, true);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton0(), 0);
    EXPECT_EQ(m_input.GetButton1(), 0);
    PushButton(SDL_BUTTON_RIGHT, false);
}

TEST_F(EngineInputTest, DeltasReportTheMovementBetweenTheTwoPreviousUpdates)
{
    Settle();
    EXPECT_EQ(m_input.GetMouseX(), 400);
    EXPECT_EQ(m_input.GetMouseY(), 300);
    EXPECT_EQ(m_input.GetMouseDeltaX(), 0);

    PushMotion(410, 305, 10, 5);
    m_input.Update();
    EXPECT_EQ(m_input.GetMouseX(), 410);
    EXPECT_EQ(m_input.GetMouseY(), 305);
    EXPECT_EQ(m_input.GetMouseDeltaX(), 0);
    EXPECT_EQ(m_input.GetMouseDeltaY(), 0);
    m_input.Update();
    EXPECT_EQ(m_input.GetMouseDeltaX(), 10);
    EXPECT_EQ(m_input.GetMouseDeltaY(), 5);
    m_input.Update();
    EXPECT_EQ(m_input.GetMouseDeltaX(), 0);
    EXPECT_EQ(m_input.GetMouseDeltaY(), 0);
}

TEST_F(EngineInputTest, TheFirstUpdatesDoNotReportAJumpFromTheClientOrigin)
{
    // The cursor rests at (400, 300) from the start: no update may report it as movement.
    for (int i = 0; i < 3; ++i)
    {
        m_input.Update();
        EXPECT_EQ(m_input.GetMouseX(), 400);
        EXPECT_EQ(m_input.GetMouseY(), 300);
        EXPECT_EQ(m_input.GetMouseDeltaX(), 0);
        EXPECT_EQ(m_input.GetMouseDeltaY(), 0);
    }
}

TEST_F(EngineInputTest, AGrabbedMouseHeldStillReportsNoMovementAndStaysPut)
{
    Settle();
    const int countBefore = platform::GetCursorDisplayCount();
    m_input.GrabMouse();
    EXPECT_TRUE(m_input.IsMouseGrabbed());
    EXPECT_EQ(platform::GetCursorDisplayCount(), countBefore - 1);
    m_input.GrabMouse(); // a second grab hides nothing more
    EXPECT_EQ(platform::GetCursorDisplayCount(), countBefore - 1);

    platform::Point cursor;
    for (int i = 0; i < 3; ++i)
    {
        m_input.Update();
        EXPECT_EQ(m_input.GetMouseDeltaX(), 0);
        EXPECT_EQ(m_input.GetMouseDeltaY(), 0);
        platform::GetCursorPos(&cursor);
        EXPECT_EQ(cursor.x, 400);
        EXPECT_EQ(cursor.y, 300);
    }

    // A movement is reported against the grab position and the cursor is put back.
    PushMotion(420, 310, 20, 10);
    m_input.Update();
    platform::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 400);
    EXPECT_EQ(cursor.y, 300);
    m_input.Update();
    EXPECT_EQ(m_input.GetMouseDeltaX(), 20);
    EXPECT_EQ(m_input.GetMouseDeltaY(), 10);
    m_input.Update();
    EXPECT_EQ(m_input.GetMouseDeltaX(), 0);

    m_input.ReleaseMouse();
    EXPECT_FALSE(m_input.IsMouseGrabbed());
    EXPECT_EQ(platform::GetCursorDisplayCount(), countBefore);
    m_input.ReleaseMouse();
    EXPECT_EQ(platform::GetCursorDisplayCount(), countBefore);
}

TEST_F(EngineInputTest, WheelGivesNotchesAndRawUnits)
{
    PushWheel(2);
    m_input.Update();
    EXPECT_EQ(m_input.GetWheelRaw(), 240);
    EXPECT_EQ(m_input.GetWheelNotches(), 2);
    m_input.Update();
    EXPECT_EQ(m_input.GetWheelRaw(), 0);
    EXPECT_EQ(m_input.GetWheelNotches(), 0);

    // Half a notch of a smooth wheel is raw movement without a whole notch (division toward zero).
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.preciseY = -0.5f;
    sdltest::Push(event);
    m_input.Update();
    EXPECT_EQ(m_input.GetWheelRaw(), -60);
    EXPECT_EQ(m_input.GetWheelNotches(), 0);
}

TEST_F(EngineInputTest, ALostMouseIsReacquiredWhenTheWindowIsActivated)
{
    PushButton(SDL_BUTTON_LEFT, true);
    m_input.Update();
    ASSERT_EQ(m_input.GetButton0(), 1);

    PushFocus(false);
    PushMotion(450, 300, 50, 0);
    m_input.Update();
    // The mouse cannot be had back while in the background: the update stops before the position.
    EXPECT_EQ(m_input.GetMouseX(), 400);
    EXPECT_EQ(m_input.GetButton0(), 1);

    PushFocus(true);
    m_input.ReacquireDevice();
    PushButton(SDL_BUTTON_LEFT, false);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton0(), 0);
    EXPECT_EQ(m_input.GetMouseX(), 450);
}

TEST_F(EngineInputTest, AMouseLostAndRegainedBetweenUpdatesIsReacquiredByTheRead)
{
    PushFocus(false);
    PushFocus(true);
    PushButton(SDL_BUTTON_LEFT, true);
    m_input.Update();
    // The read failed and acquiring again succeeded; the click came while the mouse was lost.
    EXPECT_EQ(m_input.GetButton0(), 0);
    PushButton(SDL_BUTTON_LEFT, false);
    PushButton(SDL_BUTTON_LEFT, true);
    m_input.Update();
    EXPECT_EQ(m_input.GetButton0(), 1);
    PushButton(SDL_BUTTON_LEFT, false);
}

TEST_F(EngineInputTest, BackgroundDevicesKeepReadingWithoutTheFocus)
{
    m_input.Shutdown();
    m_input.SetBackground(true);
    ASSERT_NE(m_input.Init(), 0);
    PushFocus(false);
    PushKey(SDL_SCANCODE_ESCAPE, true);
    PushButton(SDL_BUTTON_LEFT, true);
    m_input.Update();
    EXPECT_TRUE(m_input.IsKeyDown(platform::kKeyEscape));
    EXPECT_EQ(m_input.GetButton0(), 1);
    PushFocus(true);
    PushKey(SDL_SCANCODE_ESCAPE, false);
    PushButton(SDL_BUTTON_LEFT, false);
}

TEST_F(EngineInputTest, ShutdownStopsTheUpdates)
{
    m_input.Update();
    m_input.Shutdown();
    EXPECT_FALSE(m_input.IsReady());
    PushKey(SDL_SCANCODE_A, true);
    m_input.Update();
    EXPECT_EQ(m_input.GetUpdateCount(), 1u);
    EXPECT_FALSE(m_input.IsKeyDown(platform::kKeyA));
    PushKey(SDL_SCANCODE_A, false);
}

// ---- replay recording ----

class EngineReplayTest : public ::testing::Test
{
protected:
    testsupport::TempDir m_dir;
    testsupport::ScopedCurrentDir m_cwd{m_dir.Path()};
    testsupport::RecordingReportSink m_reports;
    EngineInput m_input;
};

TEST_F(EngineReplayTest, TheFirstFreeNumberIsClaimed)
{
    std::filesystem::create_directory(m_dir.File("Replays"));
    testsupport::WriteText(m_dir.File("Replays/Harbour_0.rpf"), "x");
    testsupport::WriteText(m_dir.File("Replays/Harbour_1.rpf"), "x");
    m_input.StartReplayRecording("Harbour");
    EXPECT_TRUE(m_input.IsRecording());
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("Replays/Harbour_2.rpf")));
    EXPECT_TRUE(m_reports.boxes.empty());
    // Nothing is written into the claimed file.
    EXPECT_TRUE(testsupport::ReadBytes(m_dir.File("Replays/Harbour_2.rpf")).empty());

    // While recording, a second start claims nothing.
    m_input.StartReplayRecording("Harbour");
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("Replays/Harbour_3.rpf")));
}

TEST_F(EngineReplayTest, ExistingNamesAreFoundWhateverTheirLetterCase)
{
    std::filesystem::create_directory(m_dir.File("replays"));
    testsupport::WriteText(m_dir.File("replays/HARBOUR_0.RPF"), "x");
    m_input.StartReplayRecording("Harbour");
    EXPECT_TRUE(m_input.IsRecording());
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("replays/Harbour_1.rpf")));
}

TEST_F(EngineReplayTest, WithoutANameNothingIsRecorded)
{
    m_input.StartReplayRecording(nullptr);
    ASSERT_EQ(m_reports.boxes.size(), 1u);
    EXPECT_EQ(m_reports.boxes[0].title, "Error");
    EXPECT_EQ(m_reports.boxes[0].text, "Unable to record replay game for scenario!");
    EXPECT_FALSE(m_input.IsRecording());
}

TEST_F(EngineReplayTest, AFileThatCannotBeCreatedIsReported)
{
    // No "Replays" folder: the file cannot be created.
    m_input.StartReplayRecording("Harbour");
    ASSERT_EQ(m_reports.boxes.size(), 1u);
    EXPECT_EQ(m_reports.boxes[0].text, "Unable to open Replays\\Harbour_0.rpf for recording replays!");
    EXPECT_FALSE(m_input.IsRecording());
}

} // namespace
