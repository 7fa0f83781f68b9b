// Tests of the input platform layer: key code table, event pump, device buffers, focus loss, wheel, cursor.
#include "platform/Input.h"
#include "platform/Cursor.h"
#include "platform/Window.h"
#include "tests/platform/SdlTestEvents.h"
#include "tests/platform/XvfbServer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

using namespace platform;
using sdltest::PushButton;
using sdltest::PushFocus;
using sdltest::PushKey;
using sdltest::PushMotion;
using sdltest::PushWheel;

namespace
{

// (offset, data as a signed value) of each record, for compact comparisons.
using Records = std::vector<std::pair<uint32_t, int32_t>>;
using XY = std::pair<int32_t, int32_t>;

const uint32_t kLeft = MouseButtonOffset(0);
const uint32_t kRight = MouseButtonOffset(1);
const int32_t kDown = kDownBit;

Records ReadAll(InputDevice& device, bool* overflowed = nullptr, std::vector<InputEventRecord>* raw = nullptr)
{
    std::vector<InputEventRecord> records(256);
    uint32_t count = 256;
    EXPECT_EQ(device.GetBufferedData(records.data(), &count, overflowed), InputResult::Ok);
    records.resize(count);
    Records out;
    for (const InputEventRecord& record : records)
        out.emplace_back(record.offset, static_cast<int32_t>(record.data));
    if (raw)
        *raw = records;
    return out;
}

MouseStateRecord ReadMouse(InputDevice& device)
{
    MouseStateRecord state;
    EXPECT_EQ(device.GetState(&state, sizeof state), InputResult::Ok);
    return state;
}

XY CursorAt()
{
    Point p;
    EXPECT_TRUE(GetCursorPos(&p));
    return {p.x, p.y};
}

TEST(InputKeyTable, ScancodesMapToSetOneCodesAndNoTwoKeysShareOne)
{
    // Set-1 codes number the keys row by row: Escape, the digit row 1 to 0, the letter rows, F1 to F10.
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_ESCAPE), 1);
    const char* rows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    const int firstCodes[] = {2, 16, 30, 44};
    for (int row = 0; row < 4; ++row)
    {
        for (int i = 0; rows[row][i]; ++i)
        {
            int scancode = row == 0 ? SDL_SCANCODE_1 + i : SDL_SCANCODE_A + (rows[row][i] - 'A');
            EXPECT_EQ(KeyCodeFromScancode(scancode), firstCodes[row] + i) << rows[row][i];
        }
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F1 + i), 59 + i) << "F" << i + 1;

    // Extended keys are their main-block or keypad twins with 0x80 added.
    const std::pair<SDL_Scancode, SDL_Scancode> twins[] = {{SDL_SCANCODE_RCTRL, SDL_SCANCODE_LCTRL},
                                                           {SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_RETURN},
                                                           {SDL_SCANCODE_UP, SDL_SCANCODE_KP_8}};
    for (const auto& [extended, twin] : twins)
        EXPECT_EQ(KeyCodeFromScancode(extended), KeyCodeFromScancode(twin) + 0x80) << extended;
    for (int scancode : {-1, static_cast<int>(SDL_NUM_SCANCODES)})
        EXPECT_EQ(KeyCodeFromScancode(scancode), kKeyNone) << scancode;

    // Only the ISO key left of Return shares the backslash key's code.
    std::map<int, int> uses;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
        if (uint8_t code = KeyCodeFromScancode(scancode))
            ++uses[code];
    for (const auto& [code, count] : uses)
        EXPECT_EQ(count, code == kKeyBackslash ? 2 : 1) << "code " << code;
    EXPECT_GT(uses.size(), 100u);
}

class InputDeviceTest : public sdltest::HeadlessWindowTest
{
protected:
    void SetUp() override
    {
        HeadlessWindowTest::SetUp();
        m_system = InputSystem::Create();
        ASSERT_TRUE(m_system);
    }

    void TearDown() override
    {
        m_system.reset();
        HeadlessWindowTest::TearDown();
    }

    std::unique_ptr<InputDevice> Acquired(uint32_t bufferSize, DeviceKind kind = DeviceKind::Mouse,
                                          Cooperation cooperation = Cooperation::Foreground)
    {
        auto device = m_system->CreateDevice(kind);
        EXPECT_TRUE(device);
        if (!device)
            return nullptr;
        device->SetCooperativeLevel(cooperation);
        EXPECT_EQ(device->SetBufferSize(bufferSize), InputResult::Ok);
        EXPECT_EQ(device->Acquire(), InputResult::Ok);
        return device;
    }

    std::unique_ptr<InputSystem> m_system;
};

TEST_F(InputDeviceTest, TwoReadersOfOneMouseEachGetEveryRecord)
{
    testsupport::ManualTimeSource clock;
    clock.ticks = 4321;
    auto engineMouse = Acquired(16);
    auto gameMouse = Acquired(60);
    PushButton(SDL_BUTTON_LEFT, true);
    PushMotion(403, 296, 3, -4);
    PushMotion(403, 301, 0, 5);
    PushButton(SDL_BUTTON_LEFT, false);

    // One motion gives an x and a y record sharing one sequence number; no movement on an axis, no record.
    const Records expected = {{kLeft, kDown}, {kMouseOffsetX, 3}, {kMouseOffsetY, -4}, {kMouseOffsetY, 5}, {kLeft, 0}};
    std::vector<InputEventRecord> raw;
    EXPECT_EQ(ReadAll(*engineMouse, nullptr, &raw), expected);
    ASSERT_EQ(raw.size(), 5u);
    EXPECT_EQ(raw[1].sequence, raw[2].sequence);
    EXPECT_TRUE(raw[0].sequence < raw[1].sequence && raw[2].sequence < raw[3].sequence &&
                raw[3].sequence < raw[4].sequence);
    for (const InputEventRecord& record : raw)
        EXPECT_EQ(record.timeStamp, 4321u);
    // The engine's reader took its records; the game's reader still has its own copies.
    EXPECT_TRUE(ReadAll(*engineMouse).empty());
    EXPECT_EQ(ReadAll(*gameMouse), expected);
}

TEST_F(InputDeviceTest, AFullBufferKeepsPressesAndMovementTotals)
{
    auto mouse = Acquired(4);
    bool overflowed = false;
    // Six button records into four places: the oldest two go, and the next read says so, once.
    for (uint8_t button : {SDL_BUTTON_LEFT, SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT})
    {
        PushButton(button, true);
        PushButton(button, false);
    }
    EXPECT_EQ(ReadAll(*mouse, &overflowed), (Records{{kLeft, kDown}, {kLeft, 0}, {kRight, kDown}, {kRight, 0}}));
    EXPECT_TRUE(overflowed);
    PushButton(SDL_BUTTON_LEFT, true);
    ReadAll(*mouse, &overflowed);
    EXPECT_FALSE(overflowed);

    // Movement into a full buffer joins the newest record of its axis: the release survives, the total is right.
    mouse->SetBufferSize(3);
    PushButton(SDL_BUTTON_LEFT, false);
    for (int i = 1; i <= 5; ++i)
        PushMotion(400 + 2 * i, 300, 2, 0);
    EXPECT_EQ(ReadAll(*mouse, &overflowed), (Records{{kLeft, 0}, {kMouseOffsetX, 2}, {kMouseOffsetX, 8}}));
    EXPECT_FALSE(overflowed);

    // ...but never across a button record, which would put the movement before the press.
    mouse->SetBufferSize(2);
    PushMotion(401, 300, 1, 0);
    PushButton(SDL_BUTTON_LEFT, true);
    PushMotion(404, 300, 3, 0);
    EXPECT_EQ(ReadAll(*mouse, &overflowed), (Records{{kLeft, kDown}, {kMouseOffsetX, 3}}));
    EXPECT_TRUE(overflowed);

    // Movement that cannot join pushes out the oldest movement, never a waiting press or release.
    PushButton(SDL_BUTTON_LEFT, false);
    PushMotion(407, 304, 3, 4);
    EXPECT_EQ(ReadAll(*mouse, &overflowed), (Records{{kLeft, 0}, {kMouseOffsetY, 4}}));
    EXPECT_TRUE(overflowed);
    mouse->SetBufferSize(3);
    PushMotion(408, 304, 1, 0);
    PushButton(SDL_BUTTON_LEFT, true);
    PushMotion(410, 307, 2, 3);
    EXPECT_EQ(ReadAll(*mouse), (Records{{kLeft, kDown}, {kMouseOffsetX, 2}, {kMouseOffsetY, 3}}));
    mouse->SetBufferSize(4);
    PushButton(SDL_BUTTON_LEFT, true);
    PushMotion(408, 304, 1, 0);
    PushButton(SDL_BUTTON_LEFT, false);
    PushButton(SDL_BUTTON_RIGHT, true);
    PushButton(SDL_BUTTON_RIGHT, false);
    EXPECT_EQ(ReadAll(*mouse, &overflowed), (Records{{kLeft, kDown}, {kLeft, 0}, {kRight, kDown}, {kRight, 0}}));
    EXPECT_TRUE(overflowed);
    mouse->SetBufferSize(2);
    PushButton(SDL_BUTTON_LEFT, true);
    PushWheel(1);
    PushButton(SDL_BUTTON_LEFT, false);
    EXPECT_EQ(ReadAll(*mouse), (Records{{kLeft, kDown}, {kLeft, 0}}));

    // Joined movement stops at the 32-bit limits instead of wrapping round.
    mouse->SetBufferSize(1);
    for (int xrel : {2000000000, 2000000000, -1})
        PushMotion(410, 304, xrel, 0);
    EXPECT_EQ(ReadAll(*mouse), (Records{{kMouseOffsetX, 2147483646}}));
    for (int i = 0; i < 3; ++i)
        PushWheel(-20000000); // far beyond what a record can carry, however a single turn is limited
    EXPECT_EQ(ReadAll(*mouse), (Records{{kMouseOffsetZ, INT32_MIN}}));

    // Key codes 0, 4 and 8 share their numbers with the mouse axes, but key records are never movement.
    auto keyboard = Acquired(2, DeviceKind::Keyboard);
    PushKey(SDL_SCANCODE_A, true);
    PushKey(SDL_SCANCODE_3, true);
    PushKey(SDL_SCANCODE_A, false);
    EXPECT_EQ(ReadAll(*keyboard, &overflowed), (Records{{kKey3, kDown}, {kKeyA, 0}}));
    EXPECT_TRUE(overflowed);
}

TEST_F(InputDeviceTest, MouseStateSumsEachReadersMovementAndWheelSinceItsLastRead)
{
    auto mouse = Acquired(16);
    auto other = Acquired(0);
    EXPECT_EQ(mouse->GetAxisGranularity(kMouseOffsetZ), 120);
    // The mouse has its axes and its buttons, the first and the last of them, and nothing past them.
    EXPECT_TRUE(mouse->HasObject(kLeft) && mouse->HasObject(MouseButtonOffset(kMouseButtonCount - 1)) &&
                mouse->HasObject(kMouseOffsetZ) && !mouse->HasObject(MouseButtonOffset(kMouseButtonCount)));
    PushMotion(403, 296, 3, -4);
    PushMotion(406, 292, 3, -4);
    PushButton(SDL_BUTTON_RIGHT, true);
    PushButton(SDL_BUTTON_X1, true);
    PushWheel(1);
    PushWheel(-3);
    MouseStateRecord state = ReadMouse(*mouse);
    EXPECT_EQ(std::vector<int32_t>({state.x, state.y, state.z}), std::vector<int32_t>({6, -8, -240}));
    EXPECT_EQ(std::vector<uint8_t>(state.buttons, state.buttons + 8),
              std::vector<uint8_t>({0, kDownBit, 0, kDownBit, 0, 0, 0, 0}));
    Records records = ReadAll(*mouse);
    EXPECT_EQ(Records(records.end() - 2, records.end()), (Records{{kMouseOffsetZ, 120}, {kMouseOffsetZ, -360}}));

    // Nothing moved since; the buttons are still held. The other reader's movement was not taken.
    state = ReadMouse(*mouse);
    EXPECT_EQ(std::vector<int32_t>({state.x, state.y, state.z, state.buttons[1]}),
              std::vector<int32_t>({0, 0, 0, kDown}));
    EXPECT_EQ(ReadMouse(*other).x, 6);

    // A flipped wheel turns the other way; half a notch from a smooth wheel is 60 units.
    PushWheel(2, 0.0f, true);
    PushWheel(0, 0.5f);
    PushButton(SDL_BUTTON_RIGHT, false);
    state = ReadMouse(*mouse);
    EXPECT_EQ(XY(state.z, state.buttons[1]), XY(-240 + 60, 0));
}

TEST_F(InputDeviceTest, KeyboardStateFollowsKeyEventsAndIgnoresAutoRepeat)
{
    auto keyboard = Acquired(8, DeviceKind::Keyboard);
    uint8_t keys[kKeyCount];
    PushKey(SDL_SCANCODE_A, true);
    PushKey(SDL_SCANCODE_A, true); // auto-repeat
    PushKey(SDL_SCANCODE_RCTRL, true);
    ASSERT_EQ(keyboard->GetState(keys, sizeof keys), InputResult::Ok);
    for (int key = 0; key < kKeyCount; ++key)
        EXPECT_EQ(keys[key], key == 30 || key == 157 ? kDownBit : 0) << "key " << key;
    EXPECT_TRUE(IsKeyDownAsync(30));
    PushKey(SDL_SCANCODE_A, false);
    EXPECT_FALSE(IsKeyDownAsync(30));
    EXPECT_EQ(ReadAll(*keyboard), (Records{{30, kDown}, {157, kDown}, {30, 0}}));
    EXPECT_EQ(keyboard->GetState(keys, 255), InputResult::InvalidArgument);

    // Scancodes no key has, beyond SDL's table or negative, are dropped without being looked up.
    for (int32_t scancode : {static_cast<int32_t>(SDL_NUM_SCANCODES), 5000, -7})
        sdltest::PushRawKey(scancode, true);
    EXPECT_TRUE(ReadAll(*keyboard).empty());
    ASSERT_EQ(keyboard->GetState(keys, sizeof keys), InputResult::Ok);
    EXPECT_EQ(std::count(keys, keys + kKeyCount, kDownBit), 1); // right Control, still held
}

TEST_F(InputDeviceTest, DevicesReadNothingUntilAcquiredAndForegroundOnesAreLostWithTheFocus)
{
    auto mouse = m_system->CreateDevice(DeviceKind::Mouse);
    mouse->SetBufferSize(16);
    PushButton(SDL_BUTTON_LEFT, true);
    MouseStateRecord state;
    InputEventRecord records[4];
    uint32_t count = 4;
    EXPECT_EQ(mouse->GetState(&state, sizeof state), InputResult::NotAcquired);
    EXPECT_EQ(mouse->GetBufferedData(records, &count), InputResult::NotAcquired);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);
    EXPECT_EQ(mouse->Acquire(), InputResult::Ok); // twice is harmless
    EXPECT_TRUE(ReadAll(*mouse).empty());         // input from before acquiring is not buffered
    // Movement and a wheel turn not yet read when the focus goes.
    PushMotion(403, 296, 3, -4);
    PushWheel(2);

    auto background = Acquired(16, DeviceKind::Mouse, Cooperation::Background);
    PushFocus(false);
    EXPECT_EQ(mouse->GetState(&state, sizeof state), InputResult::Lost);
    EXPECT_EQ(mouse->GetBufferedData(records, &count), InputResult::Lost);
    EXPECT_EQ(mouse->Acquire(), InputResult::OtherAppHasPriority);
    PushMotion(405, 300, 5, 0);
    EXPECT_EQ(ReadMouse(*background).x, 5); // a background reader never stops

    PushFocus(true);
    EXPECT_EQ(mouse->GetState(&state, sizeof state), InputResult::Lost);
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);
    // Nothing from before the loss comes back: not the movement, not the wheel, and the held button was forgotten
    // with the focus.
    EXPECT_TRUE(ReadAll(*mouse).empty());
    state = ReadMouse(*mouse);
    EXPECT_EQ(std::vector<int32_t>({state.x, state.y, state.z, state.buttons[0]}), std::vector<int32_t>({0, 0, 0, 0}));

    // Focus changes, a close request and a quit reach the main loop as window messages, in order.
    sdltest::PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    sdltest::PushQuit();
    PumpEvents();
    std::vector<XY> messages;
    for (WindowMessage message; PollWindowMessage(&message);)
        messages.emplace_back(message.type, message.active);
    EXPECT_EQ(messages, (std::vector<XY>{{WindowMessage::Activate, false},
                                         {WindowMessage::Activate, true},
                                         {WindowMessage::Close, false},
                                         {WindowMessage::Close, false}}));
}

TEST_F(InputDeviceTest, ReleasesMissedWhileNotReadingArriveWhenAcquiredAgain)
{
    testsupport::ManualTimeSource clock;
    clock.ticks = 1000;
    auto mouse = Acquired(16);
    auto keyboard = Acquired(16, DeviceKind::Keyboard);
    auto backgroundMouse = Acquired(16, DeviceKind::Mouse, Cooperation::Background);
    auto backgroundKeyboard = Acquired(16, DeviceKind::Keyboard, Cooperation::Background);
    PushButton(SDL_BUTTON_LEFT, true);
    PushButton(SDL_BUTTON_RIGHT, true);
    PushKey(SDL_SCANCODE_W, true);
    std::vector<InputEventRecord> before;
    ReadAll(*mouse, nullptr, &before);
    ReadAll(*keyboard);
    ReadAll(*backgroundMouse);
    ReadAll(*backgroundKeyboard);

    // The focus goes, and with it the held keys and buttons: a reader that keeps reading is told at once...
    PushFocus(false);
    PushButton(SDL_BUTTON_LEFT, false);
    EXPECT_EQ(ReadAll(*backgroundMouse), (Records{{kLeft, 0}, {kRight, 0}, {kLeft, 0}}));
    EXPECT_EQ(ReadAll(*backgroundKeyboard), (Records{{kKeyW, 0}}));
    for (InputDevice* device : {backgroundMouse.get(), backgroundKeyboard.get()})
    {
        // ...and not told again when it is taken up afresh.
        device->Unacquire();
        ASSERT_EQ(device->Acquire(), InputResult::Ok);
        EXPECT_TRUE(ReadAll(*device).empty());
    }

    // ...the lost ones when they read again, as records of that moment. A button pressed since is not
    // reported as a press.
    PushFocus(true);
    PushButton(SDL_BUTTON_RIGHT, true);
    clock.ticks = 2000;
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);
    ASSERT_EQ(keyboard->Acquire(), InputResult::Ok);
    std::vector<InputEventRecord> after;
    EXPECT_EQ(ReadAll(*mouse, nullptr, &after), (Records{{kLeft, 0}}));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].timeStamp, 2000u);
    EXPECT_GT(after[0].sequence, before.back().sequence);
    EXPECT_EQ(ReadAll(*keyboard), (Records{{kKeyW, 0}}));

    // Given up by the reader and taken again, the same holds; nothing is repeated that it was already told.
    mouse->Unacquire();
    PushButton(SDL_BUTTON_RIGHT, false);
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);
    EXPECT_EQ(ReadAll(*mouse), (Records{{kRight, 0}}));
    mouse->Unacquire();
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);
    EXPECT_TRUE(ReadAll(*mouse).empty());
}

TEST_F(InputDeviceTest, BorderlessWindowAndClientCoordinates)
{
    Rect r;
    ASSERT_TRUE(GetWindowRect(&r));
    EXPECT_EQ(std::vector<int32_t>({r.left, r.top, r.right, r.bottom}), std::vector<int32_t>({0, 0, 800, 600}));
    EXPECT_EQ(std::vector<int>({GetSystemMetric(SystemMetric::FrameWidth), GetSystemMetric(SystemMetric::FrameHeight),
                                GetSystemMetric(SystemMetric::CaptionHeight)}),
              std::vector<int>(3, 0));
    ASSERT_TRUE(SetGameWindowBounds(50, 60, 640, 480));
    ASSERT_TRUE(GetWindowRect(&r));
    EXPECT_EQ(std::vector<int32_t>({r.left, r.top, r.right, r.bottom}), std::vector<int32_t>({50, 60, 690, 540}));
    Point p{10, 20};
    ASSERT_TRUE(ClientToScreen(&p));
    EXPECT_EQ(XY(p.x, p.y), XY(60, 80));
    // Motion is reported in client coordinates; the cursor is kept in screen coordinates.
    PushMotion(10, 20, 1, 1);
    EXPECT_EQ(CursorAt(), XY(60, 80));
}

TEST_F(InputDeviceTest, WhereTheDriverCannotFollowThePointerOutTheLastPositionStands)
{
    ASSERT_TRUE(SetGameWindowBounds(50, 60, 800, 600));
    PushMotion(10, 20, 1, 1);
    sdltest::PushWindowEvent(SDL_WINDOWEVENT_LEAVE);
    EXPECT_EQ(CursorAt(), XY(60, 80));
    sdltest::PushWindowEvent(SDL_WINDOWEVENT_ENTER);
    PushMotion(30, 40, 20, 20);
    EXPECT_EQ(CursorAt(), XY(80, 100));
}

TEST(InputWindowless, WindowQueriesFailSafelyWithoutAWindow)
{
    ASSERT_FALSE(HasGameWindow());
    Rect rect{1, 2, 3, 4};
    EXPECT_FALSE(GetWindowRect(&rect));
    Point p{7, 8};
    EXPECT_TRUE(ScreenToClient(&p));
    EXPECT_EQ(XY(p.x, p.y), XY(7, 8));
    EXPECT_FALSE(SetGameWindowBounds(0, 0, 10, 10));
}

TEST_F(InputDeviceTest, CursorDisplayCountCountsEachCallAndHidesBelowZero)
{
    while (GetCursorDisplayCount() != 0)
        ShowCursor(GetCursorDisplayCount() < 0);
    EXPECT_TRUE(IsCursorVisible());
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_EQ(ShowCursor(false), -2);
    EXPECT_EQ(ShowCursor(true), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(true), 0);
    EXPECT_TRUE(IsCursorVisible());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    EXPECT_TRUE(SetArrowCursor()); // even where the driver has no system cursors
    EXPECT_EQ(GetCursorShape(), CursorShape::Arrow);
}

TEST_F(InputDeviceTest, WarpAndClipMoveTheCursorWhileTheDevicesSeeOnlyRawMovement)
{
    auto mouse = Acquired(16);
    ASSERT_TRUE(SetCursorPos(123, 456));
    EXPECT_EQ(CursorAt(), XY(123, 456));
    EXPECT_FALSE(GetCursorPos(nullptr)) << "nowhere to put the position";
    EXPECT_TRUE(ReadAll(*mouse).empty()); // a warp is no movement

    // A one-pixel clip moves the cursor inside at once and holds it against motion and warps.
    Rect pixel{100, 120, 101, 121};
    Rect clip;
    ASSERT_TRUE(ClipCursor(&pixel));
    EXPECT_EQ(CursorAt(), XY(100, 120));
    PushMotion(140, 100, 40, -20);
    SetCursorPos(0, 0);
    EXPECT_EQ(CursorAt(), XY(100, 120));
    MouseStateRecord state = ReadMouse(*mouse);
    EXPECT_EQ(XY(state.x, state.y), XY(40, -20));

    // A larger clip keeps the cursor within its right and bottom edges (exclusive); null frees it.
    Rect area{10, 10, 20, 30};
    ClipCursor(&area);
    PushMotion(500, 500, 1, 1);
    EXPECT_EQ(CursorAt(), XY(19, 29));
    ASSERT_TRUE(ClipCursor(nullptr));
    EXPECT_FALSE(GetCursorClip(&clip));
    PushMotion(500, 500, 1, 1);
    EXPECT_EQ(CursorAt(), XY(500, 500));
}

// ---- on a real X server ----

class InputX11Test : public sdltest::X11WindowTest
{
};

// Held to one pixel the cursor takes raw movement (relative mode); a window made while it is held takes it again,
// as the window before it did, and once freed neither does.
TEST_F(InputX11Test, AWindowMadeWhileTheCursorIsHeldToAPixelTakesRawMovementAgain)
{
    const Rect pixel{100, 120, 101, 121};
    for (int window = 0; window < 2; ++window)
    {
        ASSERT_TRUE(ClipCursor(&pixel));
        EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_TRUE) << "window " << window;
        DestroyGameWindow();
        ASSERT_TRUE(CreateGameWindow("x11 input test"));
        EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_TRUE) << "window " << window;
        ASSERT_TRUE(ClipCursor(nullptr));
        EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_FALSE) << "window " << window;
    }
}

TEST_F(InputX11Test, TheCursorIsFollowedOutsideTheWindowAndBackIn)
{
    // The window covers screen 0..799 x 0..599 of the 1024 x 768 screen.
    auto at = [](int x, int y) { return [x, y] { return CursorAt() == XY(x, y); }; };
    ASSERT_TRUE(WarpUntil(400, 300, at(400, 300))) << "cursor at " << CursorAt().first << "," << CursorAt().second;

    // Outside, the window is told nothing but that the pointer left; the position is still the screen's.
    EXPECT_TRUE(WarpUntil(900, 700, at(900, 700))) << "cursor at " << CursorAt().first << "," << CursorAt().second;
    EXPECT_TRUE(WarpUntil(1000, 20, at(1000, 20)));
    // Putting the cursor outside moves the pointer there too.
    ASSERT_TRUE(SetCursorPos(850, 100));
    XY global;
    SDL_GetGlobalMouseState(&global.first, &global.second);
    EXPECT_EQ(global, XY(850, 100));
    EXPECT_EQ(CursorAt(), XY(850, 100));

    // Back over the window, the motion events take over again.
    EXPECT_TRUE(WarpUntil(100, 120, at(100, 120)));
    ASSERT_TRUE(SetCursorPos(300, 200));
    EXPECT_TRUE(WarpUntil(300, 200, at(300, 200)));
    SDL_GetGlobalMouseState(&global.first, &global.second);
    EXPECT_EQ(global, XY(300, 200));

    // A window made while the pointer is elsewhere is never entered, and follows the pointer all the same.
    // (The video subsystem is kept up in between, to move the pointer while there is no window.)
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    DestroyGameWindow();
    sdltest::Drain(); // what the old window left behind
    SDL_WarpMouseGlobal(900, 700);
    bool made = CreateGameWindow("x11 input test");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    ASSERT_TRUE(made);
    EXPECT_TRUE(WarpUntil(900, 700, at(900, 700)));
    EXPECT_TRUE(WarpUntil(1000, 20, at(1000, 20)));
}

} // namespace
