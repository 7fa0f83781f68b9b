// Tests of the engine input service: key and button edges, the window rule for presses, deltas, grab, wheel,
// lost devices and replay file naming.
#include "engine/core/EngineInput.h"
#include "platform/Cursor.h"
#include "platform/Window.h"
#include "tests/platform/SdlTestEvents.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

using sdltest::PushButton;
using sdltest::PushFocus;
using sdltest::PushKey;
using sdltest::PushMotion;

namespace
{

// A button as the service reports it: state, pressed edge, released edge.
using Edges = std::tuple<int, bool, bool>;

// Held input left at the end of a test is forgotten when the fixture destroys the window.
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

    Edges Button(int b) const
    {
        if (b == 0)
            return {m_input.GetButton0(), m_input.WasButtonPressed0(), m_input.WasButtonReleased0()};
        if (b == 1)
            return {m_input.GetButton1(), m_input.WasButtonPressed1(), m_input.WasButtonReleased1()};
        return {m_input.GetButton2(), m_input.WasButtonPressed2(), m_input.WasButtonReleased2()};
    }

    // Pushes the button changes, then updates once.
    void Frame(std::initializer_list<std::pair<uint8_t, bool>> buttons = {})
    {
        for (auto [button, down] : buttons)
            PushButton(button, down);
        m_input.Update();
    }

    // x, y, delta x and delta y.
    std::vector<int> Mouse() const
    {
        return {m_input.GetMouseX(), m_input.GetMouseY(), m_input.GetMouseDeltaX(), m_input.GetMouseDeltaY()};
    }

    EngineInput m_input;
};

TEST_F(EngineInputTest, WithoutADeviceOrAfterShutdownUpdatesDoNothing)
{
    EXPECT_EQ(m_input.GetWheelGranularity(), platform::kWheelUnitsPerNotch);
    const std::pair<bool, bool> devices[] = {{true, false}, {true, true}};
    for (auto [keyboard, mouse] : devices)
    {
        SCOPED_TRACE(testing::Message() << "keyboard " << keyboard << ", mouse " << mouse);
        m_input.Shutdown();
        platform::SetDevicesPresent(keyboard, mouse);
        EXPECT_EQ(m_input.Init() != 0, keyboard && mouse);
        if (keyboard && mouse)
            m_input.Shutdown();
        EXPECT_FALSE(m_input.IsReady());
        PushKey(SDL_SCANCODE_SPACE, true);
        Frame({{SDL_BUTTON_LEFT, true}});
        EXPECT_EQ(m_input.GetUpdateCount(), 0u);
        EXPECT_EQ(m_input.GetButton0(), 0);
        EXPECT_FALSE(m_input.IsKeyDown(platform::kKeySpace));
        sdltest::Drain();
    }
}

TEST_F(EngineInputTest, KeyDownAndReleaseEdges)
{
    // Per update: the key event pushed before it (+1 down, -1 up, 0 none), then the expected down and released.
    const std::tuple<int, bool, bool> steps[] = {
        {+1, true, false}, {0, true, false}, {-1, false, true}, {0, false, false}};
    for (auto [push, down, released] : steps)
    {
        if (push != 0)
            PushKey(SDL_SCANCODE_SPACE, push > 0);
        Frame();
        EXPECT_EQ(m_input.IsKeyDown(platform::kKeySpace), down);
        EXPECT_EQ(m_input.WasKeyReleased(platform::kKeySpace), released);
    }
    EXPECT_EQ(m_input.GetUpdateCount(), 4u);
    // Codes outside 0 to 255 are never down.
    EXPECT_FALSE(m_input.IsKeyDown(-1) || m_input.IsKeyDown(256) || m_input.WasKeyReleased(1000));
}

TEST_F(EngineInputTest, KeysWhileAndAfterTheKeyboardIsLost)
{
    PushKey(SDL_SCANCODE_SPACE, true);
    Frame();
    // In the background the keyboard cannot be read: the last state it gave stands.
    PushFocus(false);
    Frame();
    EXPECT_TRUE(m_input.IsKeyDown(platform::kKeySpace));
    EXPECT_FALSE(m_input.WasKeyReleased(platform::kKeySpace));
    // Back in front it is read afresh: the held key was forgotten with the focus.
    PushFocus(true);
    Frame();
    EXPECT_FALSE(m_input.IsKeyDown(platform::kKeySpace));
    EXPECT_TRUE(m_input.WasKeyReleased(platform::kKeySpace));

    // The same when the focus went and came back between two updates.
    PushKey(SDL_SCANCODE_SPACE, true);
    Frame();
    PushFocus(false);
    PushFocus(true);
    Frame();
    EXPECT_FALSE(m_input.IsKeyDown(platform::kKeySpace));

    // A service started afresh in the background has read nothing: no key of its earlier life is down.
    PushKey(SDL_SCANCODE_SPACE, true);
    Frame();
    m_input.Shutdown();
    PushFocus(false);
    ASSERT_NE(m_input.Init(), 0);
    Frame();
    EXPECT_FALSE(m_input.IsKeyDown(platform::kKeySpace));
}

TEST_F(EngineInputTest, ButtonEdgesWithinAndAcrossUpdates)
{
    // Pressed and released within one update: down for that update, up at the next.
    Frame({{SDL_BUTTON_LEFT, true}, {SDL_BUTTON_LEFT, false}});
    EXPECT_EQ(Button(0), Edges(1, true, false));
    Frame();
    EXPECT_EQ(Button(0), Edges(0, false, true));
    Frame();
    EXPECT_EQ(Button(0), Edges(0, false, false));

    // Across updates the state follows the button; the middle button is button 2, the others are not read.
    Frame({{SDL_BUTTON_RIGHT, true}, {SDL_BUTTON_MIDDLE, true}, {SDL_BUTTON_X1, true}});
    EXPECT_EQ(Button(1), Edges(1, true, false));
    EXPECT_EQ(Button(2), Edges(1, true, false));
    EXPECT_EQ(m_input.GetButton(3), 0);
    Frame();
    EXPECT_EQ(Button(1), Edges(1, false, false));
    Frame({{SDL_BUTTON_RIGHT, false}, {SDL_BUTTON_MIDDLE, false}, {SDL_BUTTON_X1, false}});
    EXPECT_EQ(Button(1), Edges(0, false, true));
    EXPECT_EQ(Button(2), Edges(0, false, true));
}

TEST_F(EngineInputTest, APressOutsideTheWindowIsIgnoredAndItsReleaseOnlySetsUp)
{
    // The window covers screen 0..800 x 0..600, edges included.
    PushMotion(-10, 50, -410, -250);
    Frame({{SDL_BUTTON_LEFT, true}});
    EXPECT_EQ(Button(0), Edges(0, false, false));
    PushMotion(100, 50, 110, 0);
    Frame({{SDL_BUTTON_LEFT, false}});
    EXPECT_EQ(Button(0), Edges(0, false, false));

    PushMotion(800, 600, 700, 550);
    Frame({{SDL_BUTTON_LEFT, true}});
    EXPECT_EQ(m_input.GetButton0(), 1);
    PushButton(SDL_BUTTON_LEFT, false);
    PushMotion(801, 600, 1, 0);
    Frame({{SDL_BUTTON_RIGHT, true}});
    EXPECT_EQ(m_input.GetButton0(), 0);
    EXPECT_EQ(m_input.GetButton1(), 0);
}

TEST_F(EngineInputTest, APressCountsWhereItHappenedNotWhereThePointerIsAtTheUpdate)
{
    struct Case
    {
        const char* name;
        int pressX, pressY; // where the pointer is when the press comes (client coordinates of the 800 x 600 window)
        int laterX, laterY; // where it has moved to by the update
        int down;
    };
    const Case cases[] = {
        {"pressed inside, then out", 100, 100, -50, 100, 1},
        {"pressed outside, then in", 100, 650, 100, 100, 0},
        {"pressed on the bottom-right edge, then out", 800, 600, 900, 700, 1},
        {"pressed on the top-left edge, then out", 0, 0, -5, -5, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        PushMotion(c.pressX, c.pressY, 1, 1);
        PushButton(SDL_BUTTON_LEFT, true);
        PushMotion(c.laterX, c.laterY, 1, 1);
        Frame();
        EXPECT_EQ(m_input.GetButton0(), c.down);
        Frame({{SDL_BUTTON_LEFT, false}});
        EXPECT_EQ(m_input.GetButton0(), 0);
    }
}

TEST_F(EngineInputTest, DeltasReportTheMovementBetweenTheTwoPreviousUpdates)
{
    // The cursor rests at (400, 300) from the start: no update reports a jump from the client origin.
    for (int i = 0; i < 2; ++i)
    {
        Frame();
        EXPECT_EQ(Mouse(), std::vector<int>({400, 300, 0, 0}));
    }
    PushMotion(410, 305, 10, 5);
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({410, 305, 0, 0}));
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({410, 305, 10, 5}));
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({410, 305, 0, 0}));
}

TEST_F(EngineInputTest, AGrabbedMouseIsHeldAtTheGrabPosition)
{
    // Away from the screen's corner, so client and screen positions differ.
    ASSERT_TRUE(platform::SetGameWindowBounds(50, 60, 800, 600));
    platform::SetCursorPos(450, 360);
    Frame();
    Frame();
    ASSERT_EQ(Mouse(), std::vector<int>({400, 300, 0, 0}));
    const int countBefore = platform::GetCursorDisplayCount();
    m_input.GrabMouse();
    m_input.GrabMouse(); // a second grab hides nothing more
    EXPECT_TRUE(m_input.IsMouseGrabbed());
    EXPECT_EQ(platform::GetCursorDisplayCount(), countBefore - 1);

    // Held still: no movement and the cursor stays put. A movement is reported (one update late, as every
    // movement is) against the grab position, and the cursor is put back at once.
    const int moves[] = {0, 20, 0, 0}, deltas[] = {0, 0, 20, 0};
    for (int i = 0; i < 4; ++i)
    {
        if (moves[i] != 0)
            PushMotion(400 + moves[i], 300 + moves[i] / 2, moves[i], moves[i] / 2);
        Frame();
        platform::Point cursor;
        platform::GetCursorPos(&cursor);
        EXPECT_EQ(std::vector<int>({m_input.GetMouseDeltaX(), m_input.GetMouseDeltaY(), cursor.x, cursor.y}),
                  std::vector<int>({deltas[i], deltas[i] / 2, 450, 360}))
            << i;
    }

    // While the mouse is lost nothing moves: the last movement is not reported again and again.
    PushMotion(430, 300, 30, 0);
    Frame();
    sdltest::PushWheel(1);
    Frame();
    ASSERT_EQ(std::vector<int>({m_input.GetMouseDeltaX(), m_input.GetWheelRaw(), m_input.GetWheelNotches()}),
              std::vector<int>({30, 120, 1}));
    PushFocus(false);
    for (int i = 0; i < 2; ++i)
    {
        Frame();
        EXPECT_EQ(std::vector<int>({m_input.GetMouseDeltaX(), m_input.GetMouseDeltaY(), m_input.GetWheelRaw(),
                                    m_input.GetWheelNotches()}),
                  std::vector<int>(4, 0))
            << i;
    }
    PushFocus(true);

    m_input.ReleaseMouse();
    m_input.ReleaseMouse();
    EXPECT_FALSE(m_input.IsMouseGrabbed());
    EXPECT_EQ(platform::GetCursorDisplayCount(), countBefore);
}

TEST_F(EngineInputTest, WheelGivesNotchesAndRawUnits)
{
    sdltest::PushWheel(2);
    Frame();
    EXPECT_EQ(m_input.GetWheelRaw(), 240);
    EXPECT_EQ(m_input.GetWheelNotches(), 2);
    Frame();
    EXPECT_EQ(m_input.GetWheelRaw(), 0);

    // Half a notch of a smooth wheel is raw movement without a whole notch (division toward zero).
    sdltest::PushWheel(0, -0.5f);
    Frame();
    EXPECT_EQ(m_input.GetWheelRaw(), -60);
    EXPECT_EQ(m_input.GetWheelNotches(), 0);
}

TEST_F(EngineInputTest, ALostMouseIsAcquiredAgain)
{
    Frame({{SDL_BUTTON_LEFT, true}});
    ASSERT_EQ(m_input.GetButton0(), 1);

    // In the background the mouse cannot be had back: the update stops before the position.
    PushFocus(false);
    PushMotion(450, 300, 50, 0);
    Frame();
    EXPECT_EQ(m_input.GetMouseX(), 400);
    EXPECT_EQ(m_input.GetButton0(), 1);

    // Activation acquires it again.
    PushFocus(true);
    m_input.ReacquireDevice();
    Frame({{SDL_BUTTON_LEFT, false}});
    EXPECT_EQ(m_input.GetButton0(), 0);
    EXPECT_EQ(m_input.GetMouseX(), 450);

    // Lost and regained between updates: the read fails and acquires again; the click came while it was lost.
    PushFocus(false);
    PushFocus(true);
    Frame({{SDL_BUTTON_LEFT, true}});
    EXPECT_EQ(m_input.GetButton0(), 0);
    Frame({{SDL_BUTTON_LEFT, false}, {SDL_BUTTON_LEFT, true}});
    EXPECT_EQ(m_input.GetButton0(), 1);
}

TEST_F(EngineInputTest, AButtonReleasedInTheBackgroundIsUpWhenTheFocusReturns)
{
    // Whether the window's activation acquires the mouse again or the next update does.
    for (bool reacquireOnActivation : {true, false})
    {
        SCOPED_TRACE(reacquireOnActivation ? "reacquired on activation" : "reacquired by the update");
        Frame({{SDL_BUTTON_LEFT, true}});
        ASSERT_EQ(Button(0), Edges(1, true, false));
        PushFocus(false);
        Frame({{SDL_BUTTON_LEFT, false}});
        PushFocus(true);
        if (reacquireOnActivation)
            m_input.ReacquireDevice();
        Frame();
        EXPECT_EQ(Button(0), Edges(0, false, true));
    }
}

TEST_F(EngineInputTest, BackgroundDevicesKeepReadingWithoutTheFocus)
{
    m_input.Shutdown();
    m_input.SetBackground(true);
    ASSERT_NE(m_input.Init(), 0);
    PushFocus(false);
    PushKey(SDL_SCANCODE_ESCAPE, true);
    Frame({{SDL_BUTTON_LEFT, true}});
    EXPECT_TRUE(m_input.IsKeyDown(platform::kKeyEscape));
    EXPECT_EQ(m_input.GetButton0(), 1);
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

TEST_F(EngineReplayTest, TheFirstFreeNumberIsClaimedWhateverTheLetterCase)
{
    std::filesystem::create_directory(m_dir.File("replays"));
    testsupport::WriteText(m_dir.File("replays/Harbour_0.rpf"), "x");
    testsupport::WriteText(m_dir.File("replays/HARBOUR_1.RPF"), "x");
    m_input.StartReplayRecording("Harbour");
    EXPECT_TRUE(m_input.IsRecording());
    EXPECT_TRUE(m_reports.boxes.empty());
    // The claimed file is created and nothing is written into it.
    ASSERT_TRUE(std::filesystem::exists(m_dir.File("replays/Harbour_2.rpf")));
    EXPECT_TRUE(testsupport::ReadBytes(m_dir.File("replays/Harbour_2.rpf")).empty());

    // While recording, a second start claims nothing.
    m_input.StartReplayRecording("Harbour");
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("replays/Harbour_3.rpf")));
}

TEST_F(EngineReplayTest, WithoutANameOrAFolderNothingIsRecorded)
{
    m_input.StartReplayRecording(nullptr);
    // No "Replays" folder: the file cannot be created.
    m_input.StartReplayRecording("Harbour");
    ASSERT_EQ(m_reports.boxes.size(), 2u);
    EXPECT_EQ(m_reports.boxes[0].title, "Error");
    EXPECT_EQ(m_reports.boxes[0].text, "Unable to record replay game for scenario!");
    EXPECT_EQ(m_reports.boxes[1].text, "Unable to open Replays\\Harbour_0.rpf for recording replays!");
    EXPECT_FALSE(m_input.IsRecording());
}

} // namespace

namespace
{

// A scenario name is one part of a file name in the replay folder: a name that would reach into another folder is
// refused with the same report as no name, and nothing is created anywhere.
TEST_F(EngineReplayTest, ANameWithAFolderInItRecordsNothing)
{
    std::filesystem::create_directory(m_dir.File("Replays"));
    std::filesystem::create_directory(m_dir.File("Replays/sub"));
    const char* names[] = {"../Escaped", "..\\Escaped", "sub/Harbour", "sub\\Harbour", "/tmp/Harbour", "Harbour/"};
    for (const char* name : names)
    {
        SCOPED_TRACE(name);
        const size_t boxes = m_reports.boxes.size();
        m_input.StartReplayRecording(name);
        EXPECT_FALSE(m_input.IsRecording());
        ASSERT_EQ(m_reports.boxes.size(), boxes + 1);
        EXPECT_EQ(m_reports.boxes.back().text, "Unable to record replay game for scenario!");
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("Escaped_0.rpf")));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("Replays/sub/Harbour_0.rpf")));
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.File("Replays/sub")));
    // A plain name still claims its file.
    m_input.StartReplayRecording("Harbour");
    EXPECT_TRUE(m_input.IsRecording());
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("Replays/Harbour_0.rpf")));
}

} // namespace
