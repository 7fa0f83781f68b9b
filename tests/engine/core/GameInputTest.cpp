// Tests of the game input: key and button states, the cursor in full screen and in a window, the lock, the
// wheel, lost devices and the system cursor.
#include "engine/core/GameInput.h"
#include "engine/core/EngineInput.h"
#include "platform/Cursor.h"
#include "platform/Window.h"
#include "tests/platform/SdlTestEvents.h"
#include "tests/platform/XvfbServer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using sdltest::PushButton;
using sdltest::PushFocus;
using sdltest::PushKey;
using sdltest::PushMotion;

namespace
{

using Buttons = std::vector<std::pair<uint8_t, bool>>;

// Held input left at the end of a test is forgotten when the fixture destroys the window.
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

    // Pushes the button changes, then updates once.
    void Frame(const Buttons& buttons = {})
    {
        for (auto [button, down] : buttons)
            PushButton(button, down);
        ASSERT_TRUE(m_input->Update());
    }

    // x, y, delta x and delta y.
    std::vector<int> Mouse() const
    {
        return {m_input->GetMouseX(), m_input->GetMouseY(), m_input->GetMouseDeltaX(), m_input->GetMouseDeltaY()};
    }

    // The key's state as 0 up, 1 went down this frame, 2 held (3 would be both at once).
    int Key(int key) const { return (m_input->IsKeyPressed(key) ? 1 : 0) + (m_input->IsKeyHeld(key) ? 2 : 0); }

    // Expects the cursor held on the one pixel (left, top).
    void ExpectClip(int left, int top)
    {
        platform::Rect clip;
        platform::Point cursor;
        ASSERT_TRUE(platform::GetCursorClip(&clip) && platform::GetCursorPos(&cursor));
        EXPECT_EQ(std::vector<int>({clip.left, clip.top, clip.right, clip.bottom, cursor.x, cursor.y}),
                  std::vector<int>({left, top, left + 1, top + 1, left, top}));
    }

    std::unique_ptr<GameInput> m_input;
};

TEST_F(GameInputTest, LifetimeSetsTheGlobalPointerAndTheDestructorFreesTheClip)
{
    EXPECT_EQ(g_pGameInput, m_input.get());
    EXPECT_TRUE(m_input->HasWheel());
    m_input->LockCursor(true);
    m_input.reset();
    EXPECT_EQ(g_pGameInput, nullptr);
    platform::Rect clip;
    EXPECT_FALSE(platform::GetCursorClip(&clip));

    // Without a mouse or a keyboard the set-up fails; without devices updates fail.
    platform::SetDevicesPresent(true, false);
    EXPECT_FALSE(GameInput(800, 600, false).Init(nullptr, nullptr));
    platform::SetDevicesPresent(false, true);
    GameInput noKeyboard(800, 600, false);
    EXPECT_FALSE(noKeyboard.Init(nullptr, nullptr));
    EXPECT_FALSE(noKeyboard.Update());
    EXPECT_FALSE(GameInput(800, 600, false).Update());
}

TEST_F(GameInputTest, AKeyHeldThreeFramesReadsOneTwoTwoThenZero)
{
    PushKey(SDL_SCANCODE_LSHIFT, true);
    for (int expected : {1, 2, 2})
    {
        Frame();
        EXPECT_EQ(Key(platform::kKeyLeftShift), expected);
        EXPECT_EQ(m_input->AnyKeyPressed(), expected == 1);
    }
    PushKey(SDL_SCANCODE_LSHIFT, false);
    Frame();
    EXPECT_EQ(Key(platform::kKeyLeftShift), 0);
    EXPECT_FALSE(m_input->IsKeyHeld(-5));
    EXPECT_FALSE(m_input->IsKeyPressed(300));
}

TEST_F(GameInputTest, ReleasedKeysReadUpUntilTheyArePressedAgainAndLeaveTheButtonsAlone)
{
    // A key held, another tapped (its release still waiting), and the left button held.
    PushKey(SDL_SCANCODE_LSHIFT, true);
    Frame({{SDL_BUTTON_LEFT, true}});
    PushKey(SDL_SCANCODE_SPACE, true);
    PushKey(SDL_SCANCODE_SPACE, false);
    Frame();
    ASSERT_EQ(Key(platform::kKeyLeftShift), 2);
    ASSERT_EQ(Key(platform::kKeySpace), 1);

    m_input->ReleaseKeys();
    const struct
    {
        const char* when;
        std::vector<std::pair<SDL_Scancode, bool>> typed;
        int shift, space;
    } steps[] = {
        {"released", {}, 0, 0},
        {"a frame on", {}, 0, 0},
        {"shift let go", {{SDL_SCANCODE_LSHIFT, false}}, 0, 0},
        {"both pressed again", {{SDL_SCANCODE_LSHIFT, true}, {SDL_SCANCODE_SPACE, true}}, 1, 1},
        {"held", {}, 2, 2},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.when);
        for (auto [key, down] : step.typed)
            PushKey(key, down);
        if (std::string(step.when) != "released")
            Frame();
        EXPECT_EQ(Key(platform::kKeyLeftShift), step.shift);
        EXPECT_EQ(Key(platform::kKeySpace), step.space);
        EXPECT_EQ(m_input->GetLeftButton(), 2);
    }
    PushKey(SDL_SCANCODE_LSHIFT, false);
    PushKey(SDL_SCANCODE_SPACE, false);
    Frame({{SDL_BUTTON_LEFT, false}});
}

// A click quicker than a frame leaves its release waiting; forgetting the keys on focus loss keeps that release, so
// the button comes up on the next frame, while a key's waiting release is dropped with the key.
TEST_F(GameInputTest, ForgettingTheKeysKeepsAQuickClicksWaitingRelease)
{
    PushKey(SDL_SCANCODE_SPACE, true);
    Frame({{SDL_BUTTON_LEFT, true}, {SDL_BUTTON_LEFT, false}});
    PushKey(SDL_SCANCODE_SPACE, false);
    ASSERT_EQ(m_input->GetLeftButton(), 1);
    m_input->ReleaseKeys();
    Frame();
    EXPECT_EQ(m_input->GetLeftButton(), 0);
    EXPECT_EQ(Key(platform::kKeySpace), 0);
    Frame();
    EXPECT_EQ(m_input->GetLeftButton(), 0);
}

TEST_F(GameInputTest, ButtonsReadWentDownHeldAndUp)
{
    const uint8_t L = SDL_BUTTON_LEFT, R = SDL_BUTTON_RIGHT;
    struct Step
    {
        Buttons buttons;
        int left, right;
    };
    const Step steps[] = {
        // A click within one frame, then one across two frames.
        {{{L, true}, {L, false}}, 1, 0},
        {{}, 0, 0},
        {{{R, true}}, 0, 1},
        {{{R, false}}, 0, 0},
        // Held, then released.
        {{{L, true}}, 1, 0},
        {{}, 2, 0},
        {{{L, false}}, 0, 0},
        // The middle button is not one of the game's two.
        {{{SDL_BUTTON_MIDDLE, true}}, 0, 0},
    };
    for (size_t i = 0; i < std::size(steps); ++i)
    {
        Frame(steps[i].buttons);
        EXPECT_EQ(m_input->GetLeftButton(), steps[i].left) << i;
        EXPECT_EQ(m_input->GetRightButton(), steps[i].right) << i;
    }
}

TEST_F(GameInputTest, ClearMouseButtonsForgetsStatesAndPendingReleases)
{
    Frame({{SDL_BUTTON_LEFT, true}, {SDL_BUTTON_LEFT, false}, {SDL_BUTTON_RIGHT, true}});
    m_input->ClearMouseButtons();
    EXPECT_EQ(m_input->GetLeftButton() + m_input->GetRightButton(), 0);
    // The next press reads as a fresh one, not cut short by the forgotten release.
    Frame({{SDL_BUTTON_LEFT, true}});
    EXPECT_EQ(m_input->GetLeftButton(), 1);
    Frame();
    EXPECT_EQ(m_input->GetLeftButton(), 2);
}

// One input event of a frame: a key (A) or the left button going down or up, or the pointer moving to (x, y).
struct Ev
{
    char kind; // 'k' key, 'b' left button, 'm' motion
    bool down = false;
    int x = 0, y = 0;
};
constexpr Ev KeyDown{'k', true}, KeyUp{'k', false}, Press{'b', true}, Release{'b', false};
constexpr Ev MoveTo(int x, int y)
{
    return {'m', false, x, y};
}

TEST_F(GameInputTest, EveryPressAndReleaseOfAFrameCountsWhereItHappened)
{
    struct Step
    {
        std::vector<Ev> events; // pushed before the frame
        int key, left;          // 0 up, 1 went down this frame, 2 held
        int x, y;               // the pointer the frame shows
    };
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
    };
    // The pointer rests at (400, 300) when each case starts, every key and button up.
    const Case cases[] = {
        {"a key tap shorter than a frame", {{{KeyDown, KeyUp}, 1, 0, 400, 300}, {{}, 0, 0, 400, 300}}},
        {"two key taps in one frame",
         {{{KeyDown, KeyUp, KeyDown, KeyUp}, 1, 0, 400, 300},
          {{}, 0, 0, 400, 300},
          {{}, 1, 0, 400, 300},
          {{}, 0, 0, 400, 300},
          {{}, 0, 0, 400, 300}}},
        {"a click where the pointer rests", {{{Press, Release}, 0, 1, 400, 300}, {{}, 0, 0, 400, 300}}},
        {"a double click in one frame",
         {{{Press, Release, Press, Release}, 0, 1, 400, 300},
          {{}, 0, 0, 400, 300},
          {{}, 0, 1, 400, 300},
          {{}, 0, 0, 400, 300}}},
        // The frame shows the pointer where the click happens before the click itself.
        {"moved onto a place and clicked at once",
         {{{MoveTo(500, 200), Press, Release}, 0, 0, 500, 200},
          {{}, 0, 1, 500, 200},
          {{}, 0, 0, 500, 200},
          {{}, 0, 0, 500, 200}}},
        {"pressed, then moved on in the same frame",
         {{{Press, MoveTo(450, 350)}, 0, 1, 400, 300}, {{}, 0, 2, 450, 350}}},
        {"held, moved and released at once",
         {{{Press}, 0, 1, 400, 300}, {{MoveTo(420, 310), Release}, 0, 2, 420, 310}, {{}, 0, 0, 420, 310}}},
        // One queue for both devices: a change waits behind an earlier record whatever its device.
        {"a key and a click interleaved", {{{KeyDown, Press, KeyUp, Release}, 1, 1, 400, 300}, {{}, 0, 0, 400, 300}}},
        {"a key tap before a click",
         {{{KeyDown, KeyUp, Press, Release}, 1, 0, 400, 300}, {{}, 0, 1, 400, 300}, {{}, 0, 0, 400, 300}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Start(false);
        platform::SetCursorPos(400, 300);
        Frame();
        for (size_t i = 0; i < c.steps.size(); ++i)
        {
            for (const Ev& e : c.steps[i].events)
            {
                if (e.kind == 'k')
                    PushKey(SDL_SCANCODE_A, e.down);
                else if (e.kind == 'b')
                    PushButton(SDL_BUTTON_LEFT, e.down);
                else
                {
                    platform::Point at;
                    platform::GetCursorPos(&at);
                    PushMotion(e.x, e.y, e.x - at.x, e.y - at.y);
                }
            }
            Frame();
            const Step& step = c.steps[i];
            EXPECT_EQ(std::vector<int>(
                          {Key(platform::kKeyA), m_input->GetLeftButton(), m_input->GetMouseX(), m_input->GetMouseY()}),
                      std::vector<int>({step.key, step.left, step.x, step.y}))
                << "frame " << i;
        }
        EXPECT_EQ(m_input->GetQueuedRecordCount(), 0u);
    }
}

TEST_F(GameInputTest, ClearingTheButtonsDropsTheClicksStillWaitingButNotTheKeysOrTheMovement)
{
    Frame();
    // The minus key's code is the left button's record offset: a key all the same.
    PushMotion(500, 200, 100, -100);
    PushButton(SDL_BUTTON_LEFT, true);
    PushKey(SDL_SCANCODE_MINUS, true);
    PushButton(SDL_BUTTON_LEFT, false);
    PushMotion(520, 210, 20, 10);
    Frame();
    ASSERT_EQ(m_input->GetLeftButton() + Key(platform::kKeyMinus), 0);
    m_input->ClearMouseButtons();
    Frame();
    EXPECT_EQ(m_input->GetLeftButton(), 0);
    EXPECT_EQ(Key(platform::kKeyMinus), 1);
    EXPECT_EQ(std::make_pair(m_input->GetMouseX(), m_input->GetMouseY()), std::make_pair(520, 210));
    EXPECT_EQ(m_input->GetQueuedRecordCount(), 0u);
}

TEST_F(GameInputTest, AWindowsEdgesAreInsideIt)
{
    Start(true);
    // Outside is x < 0, x > width, y < 0 or y > height.
    const std::pair<int, int> inside[] = {{0, 0}, {800, 600}, {0, 600}, {800, 0}};
    const std::pair<int, int> outside[] = {{-1, 0}, {0, -1}, {801, 0}, {0, 601}};
    for (auto [x, y] : inside)
    {
        platform::SetCursorPos(x, y);
        Frame();
        EXPECT_EQ(std::make_pair(m_input->GetMouseX(), m_input->GetMouseY()), std::make_pair(x, y));
    }
    for (auto [x, y] : outside)
    {
        platform::SetCursorPos(x, y);
        Frame();
        EXPECT_EQ(std::make_pair(m_input->GetMouseX(), m_input->GetMouseY()),
                  std::make_pair(GameInput::kOutsideWindow, GameInput::kOutsideWindow))
            << x << "," << y;
    }
}

TEST_F(GameInputTest, AFloodOfTapsIsKeptWithinTheQueuesRoomAndEndsUp)
{
    Frame();
    // Each frame brings as many records as the keyboard holds and takes one tap.
    for (int frame = 0; frame < 8; ++frame)
    {
        for (uint32_t i = 0; i < GameInput::kKeyboardBufferSize / 2; ++i)
        {
            PushKey(SDL_SCANCODE_B, true);
            PushKey(SDL_SCANCODE_B, false);
        }
        Frame();
        EXPECT_LE(m_input->GetQueuedRecordCount(), GameInput::kMaxQueuedRecords);
        EXPECT_NE(Key(platform::kKeyB), 2) << frame; // a tap never reads held
    }
    for (size_t frames = 0; m_input->GetQueuedRecordCount() > 0 && frames < 2 * GameInput::kMaxQueuedRecords; ++frames)
        Frame();
    EXPECT_EQ(m_input->GetQueuedRecordCount(), 0u);
    Frame();
    EXPECT_EQ(Key(platform::kKeyB), 0);
}

TEST_F(GameInputTest, RecordsBeyondTheQueuesRoomTakeEffectWithoutEdges)
{
    // Both buttons and key B held; their releases then wait behind a long run of taps of A (one a frame).
    Frame({{SDL_BUTTON_LEFT, true}, {SDL_BUTTON_RIGHT, true}});
    PushKey(SDL_SCANCODE_B, true);
    Frame();
    ASSERT_EQ(std::vector<int>({m_input->GetLeftButton(), m_input->GetRightButton(), Key(platform::kKeyB)}),
              std::vector<int>({2, 2, 1}));
    for (int i = 0; i < 127; ++i)
    {
        PushKey(SDL_SCANCODE_A, true);
        PushKey(SDL_SCANCODE_A, false);
    }
    PushKey(SDL_SCANCODE_B, false);
    PushButton(SDL_BUTTON_RIGHT, false);
    PushButton(SDL_BUTTON_LEFT, false);
    Frame();
    // Taps of C pile up behind them until the queue overflows and its oldest records take effect at once: the
    // taps of A, then the three releases.
    for (int frame = 0; frame < 30; ++frame)
    {
        EXPECT_EQ(m_input->GetLeftButton(), 2) << frame;
        for (int i = 0; i < 127; ++i)
        {
            PushKey(SDL_SCANCODE_C, true);
            PushKey(SDL_SCANCODE_C, false);
        }
        Frame();
        ASSERT_LE(m_input->GetQueuedRecordCount(), GameInput::kMaxQueuedRecords);
        if (m_input->GetLeftButton() == 0)
            break;
    }
    EXPECT_EQ(m_input->GetLeftButton(), 0);
    EXPECT_EQ(m_input->GetRightButton(), 0);
    EXPECT_EQ(Key(platform::kKeyB), 0);
    EXPECT_NE(Key(platform::kKeyA), 1); // the taps of A are not reported
    // The records behind them are still reported one change a frame.
    EXPECT_GT(m_input->GetQueuedRecordCount(), 0u);
}

TEST_F(GameInputTest, FullScreenPositionIsClampedToTheScreen)
{
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({400, 300, 400, 300}));
    PushMotion(800, 600, 400, 300);
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({799, 599, 400, 300}));
    // The delta is measured from the stored (clamped) position.
    PushMotion(-5, 10, -805, -590);
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({0, 10, -5 - 799, 10 - 599}));
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({0, 10, -5, 0}));
}

TEST_F(GameInputTest, WindowedPositionIsRelativeToTheWindowAndTheLockPinsItsScreenPixel)
{
    Start(true);
    ASSERT_TRUE(platform::SetGameWindowBounds(50, 60, 800, 600));
    platform::SetCursorPos(150, 160);
    Frame();
    EXPECT_EQ(std::pair(m_input->GetMouseX(), m_input->GetMouseY()), std::pair(100, 100));
    platform::SetCursorPos(850, 660);
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({800, 600, 700, 500}));

    // Locking moves the system cursor to the pixel's screen position; the deltas are the raw movement.
    platform::SetCursorPos(150, 170);
    Frame();
    m_input->LockCursor(true);
    ExpectClip(150, 170);
    PushMotion(130, 110, 30, 0);
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({100, 110, 30, 0}));
}

TEST_F(GameInputTest, WindowedOutsideReadsMinus300AndIgnoresButtons)
{
    Start(true);
    Frame({{SDL_BUTTON_LEFT, true}});
    ASSERT_EQ(m_input->GetLeftButton(), 1);

    // Out to the left, then below: -300 for both, and neither the release nor the press there is seen.
    PushMotion(-20, 100, -420, -200);
    Frame({{SDL_BUTTON_LEFT, false}, {SDL_BUTTON_RIGHT, true}});
    PushMotion(300, 601, 320, 501);
    Frame();
    EXPECT_EQ(std::vector<int>(
                  {m_input->GetMouseX(), m_input->GetMouseY(), m_input->GetLeftButton(), m_input->GetRightButton()}),
              std::vector<int>({GameInput::kOutsideWindow, GameInput::kOutsideWindow, 2, 0}));

    // Back inside: coming in from outside is no movement, and the button stays held until released here.
    PushMotion(300, 200, 0, -401);
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({300, 200, 0, 0}));
    EXPECT_EQ(m_input->GetLeftButton(), 2);
    Frame({{SDL_BUTTON_LEFT, false}});
    EXPECT_EQ(m_input->GetLeftButton(), 0);
}

TEST_F(GameInputTest, LockedDeltasComeFromTheRawMovementAndTheCursorStays)
{
    PushMotion(200, 150, -200, -150);
    Frame();
    m_input->LockCursor(true);
    EXPECT_EQ(m_input->GetMouseDeltaX(), 0);
    ExpectClip(200, 150);

    PushMotion(207, 150, 7, 0);
    PushMotion(210, 148, 3, -2);
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({200, 150, 10, -2}));
    ExpectClip(200, 150);
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({200, 150, 0, 0}));

    m_input->LockCursor(false);
    platform::Rect clip;
    EXPECT_FALSE(platform::GetCursorClip(&clip));
    PushMotion(260, 170, 50, 20);
    Frame();
    EXPECT_EQ(Mouse(), std::vector<int>({260, 170, 60, 20}));
}

TEST_F(GameInputTest, WheelSumsTheFramesMovementInDeviceUnits)
{
    sdltest::PushWheel(1);
    sdltest::PushWheel(1);
    Frame();
    EXPECT_EQ(m_input->GetWheelDelta(), 240);
    sdltest::PushWheel(-1);
    Frame();
    EXPECT_EQ(m_input->GetWheelDelta(), -120);

    // Sums beyond the 32-bit range stop at its limits, for the wheel and for the locked deltas alike.
    m_input->LockCursor(true);
    for (int i = 0; i < 3; ++i)
    {
        sdltest::PushWheel(-20000000);
        PushMotion(400, 300, 2000000000, -2000000000);
    }
    Frame();
    EXPECT_EQ(std::vector<int64_t>({m_input->GetWheelDelta(), m_input->GetMouseDeltaX(), m_input->GetMouseDeltaY()}),
              std::vector<int64_t>({INT32_MIN, INT32_MAX, INT32_MIN}));
}

TEST_F(GameInputTest, ALostMouseSkipsTheFrameWithoutRepeatingEdges)
{
    Frame();
    // Presses where the pointer rests; then it moves, and the focus goes before the movement is read.
    PushKey(SDL_SCANCODE_ESCAPE, true);
    Frame({{SDL_BUTTON_LEFT, true}});
    ASSERT_EQ(Key(platform::kKeyEscape), 1);
    ASSERT_EQ(m_input->GetLeftButton(), 1);
    PushMotion(410, 300, 10, 0);

    // Nothing is read: no movement, and last frame's presses are not reported again.
    PushFocus(false);
    for (int frame = 0; frame < 2; ++frame)
    {
        Frame();
        EXPECT_EQ(m_input->GetMouseDeltaX(), 0);
        EXPECT_EQ(m_input->GetLeftButton(), 2);
        EXPECT_EQ(Key(platform::kKeyEscape), 2);
    }

    // Focus back: the devices are acquired again by the next read and then read as usual. The pointer moved
    // while the mouse was lost: a frame shows where it is, the next the release there.
    PushFocus(true);
    Frame();
    Frame({{SDL_BUTTON_LEFT, false}});
    EXPECT_EQ(m_input->GetMouseX(), 410);
    Frame();
    EXPECT_EQ(Key(platform::kKeyEscape), 0);
    EXPECT_EQ(m_input->GetLeftButton(), 0);
}

TEST_F(GameInputTest, AButtonReleasedInTheBackgroundIsUpSoonAfterTheFocusReturns)
{
    Frame({{SDL_BUTTON_RIGHT, true}});
    Frame();
    ASSERT_EQ(m_input->GetRightButton(), 2);
    PushFocus(false);
    Frame({{SDL_BUTTON_RIGHT, false}});
    PushFocus(true);
    // The frame that finds the mouse lost skips its mouse input; the next one reads the release.
    Frame();
    Frame();
    EXPECT_EQ(m_input->GetRightButton(), 0);
}

TEST_F(GameInputTest, CursorShapeAndTheDisplayCount)
{
    m_input->SetCursorShape(5);
    EXPECT_EQ(platform::GetCursorShape(), platform::CursorShape::Arrow);
    m_input->RestoreCursor();
    EXPECT_EQ(m_input->GetCursorShape(), 5);

    // Switching the system cursor off hides it; switching it on records it and does nothing more.
    m_input->SetSystemCursor(false);
    EXPECT_FALSE(platform::IsCursorVisible());
    m_input->SetSystemCursor(true);
    EXPECT_TRUE(m_input->IsSystemCursor());
    EXPECT_FALSE(platform::IsCursorVisible());

    // Show and hide call until the count crosses zero, at least once.
    const std::pair<void (*)(), int> calls[] = {
        {ShowSystemCursor, 0},  {ShowSystemCursor, 1},  {ShowSystemCursor, 2},
        {HideSystemCursor, -1}, {HideSystemCursor, -2},
    };
    for (auto [call, count] : calls)
    {
        call();
        EXPECT_EQ(platform::GetCursorDisplayCount(), count);
    }
    platform::ShowCursor(false);
    ShowSystemCursor();
    EXPECT_EQ(platform::GetCursorDisplayCount(), 0);
}

// ---- on a real X server ----

class GameInputX11Test : public sdltest::X11WindowTest
{
};

TEST_F(GameInputX11Test, BothReadersFollowThePointerOutOfTheWindowAndBack)
{
    GameInput game(800, 600, true);
    ASSERT_TRUE(game.Init(nullptr, platform::GameWindowHandle()));
    EngineInput engine;
    ASSERT_NE(engine.Init(), 0);
    // Each poll reads both once, as a frame does.
    auto reads = [&](int gameX, int gameY, int engineX, int engineY)
    {
        return [&, gameX, gameY, engineX, engineY]
        {
            EXPECT_TRUE(game.Update());
            engine.Update();
            return game.GetMouseX() == gameX && game.GetMouseY() == gameY && engine.GetMouseX() == engineX &&
                   engine.GetMouseY() == engineY;
        };
    };
    const int out = GameInput::kOutsideWindow;
    ASSERT_TRUE(WarpUntil(400, 300, reads(400, 300, 400, 300)));

    // Beyond the right and bottom edges of the 800 x 600 window, then beyond the right one only.
    EXPECT_TRUE(WarpUntil(900, 700, reads(out, out, 900, 700)))
        << "game input at " << game.GetMouseX() << "," << game.GetMouseY();
    EXPECT_TRUE(WarpUntil(1000, 300, reads(out, out, 1000, 300)));
    // A press outside (as one arrives while another button drags out of the window) is not the engine's.
    PushButton(SDL_BUTTON_LEFT, true);
    engine.Update();
    EXPECT_EQ(engine.GetButton0(), 0);

    // Back in: coming in from outside is no movement.
    ASSERT_TRUE(WarpUntil(100, 120, reads(100, 120, 100, 120)));
    EXPECT_EQ(std::vector<int>({game.GetMouseDeltaX(), game.GetMouseDeltaY()}), std::vector<int>({0, 0}));

    // With the window moved, both read the pointer relative to it, inside and out.
    ASSERT_TRUE(platform::SetGameWindowBounds(50, 60, 800, 600));
    EXPECT_TRUE(WarpUntil(70, 90, reads(20, 30, 20, 30)));
    EXPECT_TRUE(WarpUntil(20, 90, reads(out, out, -30, 30)));
}

// The full-screen window on a 1600 x 900 screen: the 800 x 600 picture is scaled by 1.5 between bars 200 wide.
class GameInputFullScreenTest : public sdltest::X11WindowTest
{
protected:
    GameInputFullScreenTest() : X11WindowTest(1600, 900, platform::WindowMode::FullScreen) {}
};

TEST_F(GameInputFullScreenTest, APointerOnTheScreenReachesTheGameAtThePicturesPixel)
{
    GameInput game(800, 600, false);
    ASSERT_TRUE(game.Init(nullptr, platform::GameWindowHandle()));
    EngineInput engine;
    ASSERT_NE(engine.Init(), 0);
    struct Case
    {
        int screenX, screenY;
        int gameX, gameY;     // on the picture, kept on it
        int engineX, engineY; // the picture's pixel, on it or not
    };
    // (screen x - 200) / 1.5 and screen y / 1.5, rounded down.
    const Case cases[] = {
        {800, 450, 400, 300, 400, 300},  {200, 0, 0, 0, 0, 0},         {1399, 899, 799, 599, 799, 599},
        {1000, 301, 533, 200, 533, 200}, {100, 450, 0, 300, -67, 300}, {1500, 30, 799, 20, 866, 20},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.screenX << "," << c.screenY);
        EXPECT_TRUE(WarpUntil(c.screenX, c.screenY,
                              [&]
                              {
                                  EXPECT_TRUE(game.Update());
                                  engine.Update();
                                  return game.GetMouseX() == c.gameX && game.GetMouseY() == c.gameY &&
                                         engine.GetMouseX() == c.engineX && engine.GetMouseY() == c.engineY;
                              }))
            << "game at " << game.GetMouseX() << "," << game.GetMouseY() << ", engine at " << engine.GetMouseX() << ","
            << engine.GetMouseY();
    }

    // Locked, the cursor is pinned to the screen pixel of the picture's pixel: (400, 300) is at (800, 450).
    ASSERT_TRUE(WarpUntil(800, 450,
                          [&]
                          {
                              EXPECT_TRUE(game.Update());
                              return game.GetMouseX() == 400 && game.GetMouseY() == 300;
                          }));
    game.LockCursor(true);
    platform::Rect clip;
    ASSERT_TRUE(platform::GetCursorClip(&clip));
    EXPECT_EQ(std::vector<int>({clip.left, clip.top, clip.right, clip.bottom}), std::vector<int>({800, 450, 801, 451}));
    game.LockCursor(false);
}

} // namespace
