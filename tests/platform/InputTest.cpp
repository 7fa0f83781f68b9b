// Tests of the input platform layer: key code table, event pump, device buffers, focus loss, wheel, cursor.
#include "platform/Input.h"
#include "platform/Cursor.h"
#include "platform/Window.h"
#include "tests/platform/SdlTestEvents.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace platform;
using sdltest::PushButton;
using sdltest::PushFocus;
using sdltest::PushKey;
using sdltest::PushMotion;
using sdltest::PushWheel;

namespace
{

std::vector<InputEventRecord> ReadAll(InputDevice& device, uint32_t max = 256, bool* overflowed = nullptr)
{
    std::vector<InputEventRecord> records(max);
    uint32_t count = max;
    EXPECT_EQ(device.GetBufferedData(records.data(), &count, overflowed), InputResult::Ok);
    records.resize(count);
    return records;
}

MouseStateRecord ReadMouse(InputDevice& device)
{
    MouseStateRecord state;
    EXPECT_EQ(device.GetState(&state, sizeof state), InputResult::Ok);
    return state;
}

// ---- the key code table ----

TEST(InputKeyTable, RowsOfTheMainBlockFollowTheSetOneLayout)
{
    // Set-1 codes number the keys row by row: Escape, the digit row from 1 to 0, then the letter rows.
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_ESCAPE), 1);
    const SDL_Scancode digits[] = {SDL_SCANCODE_1, SDL_SCANCODE_2, SDL_SCANCODE_3, SDL_SCANCODE_4, SDL_SCANCODE_5,
                                   SDL_SCANCODE_6, SDL_SCANCODE_7, SDL_SCANCODE_8, SDL_SCANCODE_9, SDL_SCANCODE_0};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(KeyCodeFromScancode(digits[i]), 2 + i) << "digit key " << i;

    const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    const int firstCodes[] = {16, 30, 44};
    for (int row = 0; row < 3; ++row)
    {
        for (int i = 0; rows[row][i]; ++i)
        {
            SDL_Scancode scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + (rows[row][i] - 'A'));
            EXPECT_EQ(KeyCodeFromScancode(scancode), firstCodes[row] + i) << rows[row][i];
        }
    }
}

TEST(InputKeyTable, ModifiersArrowsAndFunctionKeys)
{
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_SPACE), 57);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_LSHIFT), 42);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RSHIFT), 54);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_LCTRL), 29);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RCTRL), 157);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UP), 200);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_LEFT), 203);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RIGHT), 205);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_DOWN), 208);
    // Extended keys are their main-block twins with 0x80 added.
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RCTRL), KeyCodeFromScancode(SDL_SCANCODE_LCTRL) + 0x80);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_ENTER), KeyCodeFromScancode(SDL_SCANCODE_RETURN) + 0x80);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RALT), KeyCodeFromScancode(SDL_SCANCODE_LALT) + 0x80);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UP), KeyCodeFromScancode(SDL_SCANCODE_KP_8) + 0x80);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_HOME), KeyCodeFromScancode(SDL_SCANCODE_KP_7) + 0x80);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_DELETE), KeyCodeFromScancode(SDL_SCANCODE_KP_PERIOD) + 0x80);

    // F1 to F10 follow Caps Lock (58); F11 and F12 come later, after the keypad.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F1 + i), 59 + i) << "F" << i + 1;
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F11), 87);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F12), 88);

    // The keypad in its rows of three: 7 8 9, 4 5 6, 1 2 3, with minus and plus between the rows.
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_7), 71);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_9), 73);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_MINUS), 74);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_4), 75);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_PLUS), 78);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_1), 79);
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_KP_0), 82);
}

TEST(InputKeyTable, UnknownAndOutOfRangeScancodesHaveNoCode)
{
    EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UNKNOWN), kKeyNone);
    EXPECT_EQ(KeyCodeFromScancode(-1), kKeyNone);
    EXPECT_EQ(KeyCodeFromScancode(SDL_NUM_SCANCODES), kKeyNone);
    EXPECT_EQ(KeyCodeFromScancode(100000), kKeyNone);
}

TEST(InputKeyTable, NoTwoKeysShareACodeExceptTheIsoBackslash)
{
    std::map<int, std::vector<int>> byCode;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
        if (uint8_t code = KeyCodeFromScancode(scancode))
            byCode[code].push_back(scancode);
    for (const auto& [code, scancodes] : byCode)
    {
        if (code == kKeyBackslash)
        {
            EXPECT_EQ(scancodes.size(), 2u);
            continue;
        }
        EXPECT_EQ(scancodes.size(), 1u) << "code " << code << " is shared";
    }
    EXPECT_GT(byCode.size(), 100u);
}

// ---- devices fed by the event pump ----

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
        SetDevicesPresent(true, true);
        m_system.reset();
        HeadlessWindowTest::TearDown();
    }

    std::unique_ptr<InputDevice> AcquiredMouse(uint32_t bufferSize, Cooperation cooperation = Cooperation::Foreground)
    {
        auto mouse = m_system->CreateDevice(DeviceKind::Mouse);
        EXPECT_TRUE(mouse);
        if (!mouse)
            return nullptr;
        mouse->SetCooperativeLevel(cooperation);
        EXPECT_EQ(mouse->SetBufferSize(bufferSize), InputResult::Ok);
        EXPECT_EQ(mouse->Acquire(), InputResult::Ok);
        return mouse;
    }

    std::unique_ptr<InputSystem> m_system;
};

TEST_F(InputDeviceTest, TwoReadersOfOneMouseEachGetEveryRecord)
{
    testsupport::ManualTimeSource clock;
    clock.ticks = 4321;
    auto engineMouse = AcquiredMouse(16);
    auto gameMouse = AcquiredMouse(60);
    ASSERT_TRUE(engineMouse && gameMouse);
    EXPECT_EQ(engineMouse->BufferSize(), 16u);
    EXPECT_EQ(gameMouse->BufferSize(), 60u);

    PushButton(SDL_BUTTON_LEFT, true);
    PushMotion(410, 300, 10, 0);
    PushButton(SDL_BUTTON_LEFT, false);

    std::vector<InputEventRecord> engineRecords = ReadAll(*engineMouse);
    ASSERT_EQ(engineRecords.size(), 3u);
    EXPECT_EQ(engineRecords[0].offset, MouseButtonOffset(0));
    EXPECT_EQ(engineRecords[0].data, kDownBit);
    EXPECT_EQ(engineRecords[1].offset, kMouseOffsetX);
    EXPECT_EQ(static_cast<int32_t>(engineRecords[1].data), 10);
    EXPECT_EQ(engineRecords[2].offset, MouseButtonOffset(0));
    EXPECT_EQ(engineRecords[2].data, 0u);
    EXPECT_LT(engineRecords[0].sequence, engineRecords[1].sequence);
    EXPECT_LT(engineRecords[1].sequence, engineRecords[2].sequence);
    for (const InputEventRecord& record : engineRecords)
        EXPECT_EQ(record.timeStamp, 4321u);

    // The engine's reader took its records; the game's reader still has its own copies.
    EXPECT_TRUE(ReadAll(*engineMouse).empty());
    std::vector<InputEventRecord> gameRecords = ReadAll(*gameMouse);
    ASSERT_EQ(gameRecords.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(gameRecords[i].offset, engineRecords[i].offset);
        EXPECT_EQ(gameRecords[i].data, engineRecords[i].data);
        EXPECT_EQ(gameRecords[i].sequence, engineRecords[i].sequence);
    }
}

TEST_F(InputDeviceTest, OneMotionGivesXAndYRecordsWithOneSequenceNumber)
{
    auto mouse = AcquiredMouse(16);
    ASSERT_TRUE(mouse);
    PushMotion(403, 296, 3, -4);
    PushMotion(403, 301, 0, 5);
    std::vector<InputEventRecord> records = ReadAll(*mouse);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].offset, kMouseOffsetX);
    EXPECT_EQ(static_cast<int32_t>(records[0].data), 3);
    EXPECT_EQ(records[1].offset, kMouseOffsetY);
    EXPECT_EQ(static_cast<int32_t>(records[1].data), -4);
    EXPECT_EQ(records[0].sequence, records[1].sequence);
    // No x movement: no x record.
    EXPECT_EQ(records[2].offset, kMouseOffsetY);
    EXPECT_EQ(static_cast<int32_t>(records[2].data), 5);
    EXPECT_GT(records[2].sequence, records[1].sequence);
}

TEST_F(InputDeviceTest, AFullBufferDropsTheOldestRecordAndSaysSo)
{
    auto mouse = AcquiredMouse(4);
    ASSERT_TRUE(mouse);
    // Six button records into a buffer of four: the first two are lost.
    for (int i = 0; i < 3; ++i)
    {
        PushButton(SDL_BUTTON_LEFT, true);
        PushButton(SDL_BUTTON_LEFT, false);
    }
    PushButton(SDL_BUTTON_RIGHT, true);
    PushButton(SDL_BUTTON_RIGHT, false);
    bool overflowed = false;
    std::vector<InputEventRecord> records = ReadAll(*mouse, 60, &overflowed);
    EXPECT_TRUE(overflowed);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].offset, MouseButtonOffset(0));
    EXPECT_EQ(records[0].data, kDownBit);
    EXPECT_EQ(records[1].offset, MouseButtonOffset(0));
    EXPECT_EQ(records[1].data, 0u);
    EXPECT_EQ(records[2].offset, MouseButtonOffset(1));
    EXPECT_EQ(records[2].data, kDownBit);
    EXPECT_EQ(records[3].offset, MouseButtonOffset(1));
    EXPECT_EQ(records[3].data, 0u);

    // The overflow is told once.
    PushButton(SDL_BUTTON_LEFT, true);
    ReadAll(*mouse, 60, &overflowed);
    EXPECT_FALSE(overflowed);
}

TEST_F(InputDeviceTest, MovementIntoAFullBufferJoinsTheLastRecordOfItsAxis)
{
    auto mouse = AcquiredMouse(3);
    ASSERT_TRUE(mouse);
    PushButton(SDL_BUTTON_LEFT, true);
    for (int i = 0; i < 5; ++i)
        PushMotion(400 + 2 * (i + 1), 300, 2, 0);
    bool overflowed = true;
    std::vector<InputEventRecord> records = ReadAll(*mouse, 60, &overflowed);
    EXPECT_FALSE(overflowed);
    ASSERT_EQ(records.size(), 3u);
    // The press survives and the movement adds up to the ten pixels moved.
    EXPECT_EQ(records[0].offset, MouseButtonOffset(0));
    int32_t total = 0;
    for (size_t i = 1; i < records.size(); ++i)
    {
        EXPECT_EQ(records[i].offset, kMouseOffsetX);
        total += static_cast<int32_t>(records[i].data);
    }
    EXPECT_EQ(total, 10);
}

TEST_F(InputDeviceTest, MovementDoesNotJumpOverAButtonRecordWhenFull)
{
    auto mouse = AcquiredMouse(2);
    ASSERT_TRUE(mouse);
    PushMotion(401, 300, 1, 0);
    PushButton(SDL_BUTTON_LEFT, true);
    PushMotion(404, 300, 3, 0);
    bool overflowed = false;
    std::vector<InputEventRecord> records = ReadAll(*mouse, 60, &overflowed);
    // Joining the first movement would put it before the press: the oldest record goes instead.
    EXPECT_TRUE(overflowed);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].offset, MouseButtonOffset(0));
    EXPECT_EQ(records[1].offset, kMouseOffsetX);
    EXPECT_EQ(static_cast<int32_t>(records[1].data), 3);
}

TEST_F(InputDeviceTest, MouseStateSumsMovementSinceTheLastStateRead)
{
    auto mouse = AcquiredMouse(0);
    auto other = AcquiredMouse(0);
    ASSERT_TRUE(mouse && other);
    PushMotion(403, 296, 3, -4);
    PushMotion(406, 292, 3, -4);
    PushButton(SDL_BUTTON_RIGHT, true);
    PushButton(SDL_BUTTON_X1, true);
    MouseStateRecord state = ReadMouse(*mouse);
    EXPECT_EQ(state.x, 6);
    EXPECT_EQ(state.y, -8);
    EXPECT_EQ(state.z, 0);
    EXPECT_EQ(state.buttons[0], 0);
    EXPECT_EQ(state.buttons[1], kDownBit);
    EXPECT_EQ(state.buttons[2], 0);
    EXPECT_EQ(state.buttons[3], kDownBit);

    // Read again: no movement since, the buttons still held.
    state = ReadMouse(*mouse);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.y, 0);
    EXPECT_EQ(state.buttons[1], kDownBit);

    // The other reader's movement was not taken by the first.
    state = ReadMouse(*other);
    EXPECT_EQ(state.x, 6);
    EXPECT_EQ(state.y, -8);

    PushButton(SDL_BUTTON_RIGHT, false);
    PushButton(SDL_BUTTON_X1, false);
    state = ReadMouse(*mouse);
    EXPECT_EQ(state.buttons[1], 0);
    EXPECT_EQ(state.buttons[3], 0);
}

TEST_F(InputDeviceTest, WheelNotchesAre120UnitsEach)
{
    auto mouse = AcquiredMouse(16);
    ASSERT_TRUE(mouse);
    EXPECT_EQ(mouse->GetAxisGranularity(kMouseOffsetZ), kWheelUnitsPerNotch);
    EXPECT_EQ(kWheelUnitsPerNotch, 120);
    EXPECT_TRUE(mouse->HasObject(kMouseOffsetZ));

    PushWheel(1);
    PushWheel(-3);
    std::vector<InputEventRecord> records = ReadAll(*mouse);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].offset, kMouseOffsetZ);
    EXPECT_EQ(static_cast<int32_t>(records[0].data), 120);
    EXPECT_EQ(static_cast<int32_t>(records[1].data), -360);
    EXPECT_EQ(ReadMouse(*mouse).z, -240);

    // A flipped wheel turns the other way; half a notch from a smooth wheel is 60 units.
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = 2;
    event.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    sdltest::Push(event);
    event.wheel.y = 0;
    event.wheel.preciseY = 0.5f;
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    sdltest::Push(event);
    EXPECT_EQ(ReadMouse(*mouse).z, -240 + 60);
}

TEST_F(InputDeviceTest, KeyboardStateFollowsKeyEventsAndIgnoresAutoRepeat)
{
    auto keyboard = m_system->CreateDevice(DeviceKind::Keyboard);
    ASSERT_TRUE(keyboard);
    keyboard->SetBufferSize(8);
    ASSERT_EQ(keyboard->Acquire(), InputResult::Ok);

    uint8_t keys[kKeyCount];
    PushKey(SDL_SCANCODE_A, true);
    PushKey(SDL_SCANCODE_A, true); // auto-repeat
    PushKey(SDL_SCANCODE_RCTRL, true);
    ASSERT_EQ(keyboard->GetState(keys, sizeof keys), InputResult::Ok);
    for (int key = 0; key < kKeyCount; ++key)
    {
        bool expectDown = key == 30 || key == 157;
        EXPECT_EQ(keys[key], expectDown ? kDownBit : 0) << "key " << key;
    }
    EXPECT_TRUE(IsKeyDownAsync(30));
    EXPECT_FALSE(IsKeyDownAsync(31));

    PushKey(SDL_SCANCODE_A, false);
    ASSERT_EQ(keyboard->GetState(keys, sizeof keys), InputResult::Ok);
    EXPECT_EQ(keys[30], 0);
    EXPECT_EQ(keys[157], kDownBit);
    EXPECT_FALSE(IsKeyDownAsync(30));

    std::vector<InputEventRecord> records = ReadAll(*keyboard);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].offset, 30u);
    EXPECT_EQ(records[0].data, kDownBit);
    EXPECT_EQ(records[1].offset, 157u);
    EXPECT_EQ(records[2].offset, 30u);
    EXPECT_EQ(records[2].data, 0u);

    // A buffer too small for the key state is refused.
    EXPECT_EQ(keyboard->GetState(keys, 255), InputResult::InvalidArgument);
    PushKey(SDL_SCANCODE_RCTRL, false);
}

TEST_F(InputDeviceTest, DevicesReadNothingUntilAcquired)
{
    auto mouse = m_system->CreateDevice(DeviceKind::Mouse);
    ASSERT_TRUE(mouse);
    mouse->SetBufferSize(16);
    PushButton(SDL_BUTTON_LEFT, true);
    MouseStateRecord state;
    EXPECT_EQ(mouse->GetState(&state, sizeof state), InputResult::NotAcquired);
    uint32_t count = 4;
    InputEventRecord records[4];
    EXPECT_EQ(mouse->GetBufferedData(records, &count), InputResult::NotAcquired);
    EXPECT_EQ(count, 0u);

    // Input from before acquiring is not buffered.
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);
    EXPECT_TRUE(ReadAll(*mouse).empty());
    // Acquiring twice is harmless.
    EXPECT_EQ(mouse->Acquire(), InputResult::Ok);
    PushButton(SDL_BUTTON_LEFT, false);
    EXPECT_EQ(ReadAll(*mouse).size(), 1u);
}

TEST_F(InputDeviceTest, FocusLossLosesForegroundDevicesUntilReacquired)
{
    auto mouse = AcquiredMouse(16);
    auto background = AcquiredMouse(16, Cooperation::Background);
    ASSERT_TRUE(mouse && background);

    PushButton(SDL_BUTTON_LEFT, true);
    PushFocus(false);
    MouseStateRecord state;
    EXPECT_EQ(mouse->GetState(&state, sizeof state), InputResult::Lost);
    uint32_t count = 16;
    InputEventRecord records[16];
    EXPECT_EQ(mouse->GetBufferedData(records, &count), InputResult::Lost);
    EXPECT_FALSE(IsWindowFocused());

    // While the window is in the background the device cannot be had again, and stays lost.
    EXPECT_EQ(mouse->Acquire(), InputResult::OtherAppHasPriority);
    EXPECT_EQ(mouse->GetState(&state, sizeof state), InputResult::Lost);

    // The background reader never stopped.
    PushMotion(405, 300, 5, 0);
    EXPECT_EQ(background->GetState(&state, sizeof state), InputResult::Ok);
    EXPECT_EQ(state.x, 5);

    PushFocus(true);
    EXPECT_EQ(mouse->GetState(&state, sizeof state), InputResult::Lost);
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);
    // Nothing from before the loss comes back, and the held button was forgotten with the focus.
    EXPECT_TRUE(ReadAll(*mouse).empty());
    state = ReadMouse(*mouse);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.buttons[0], 0);

    WindowMessage message;
    ASSERT_TRUE(PollWindowMessage(&message));
    EXPECT_EQ(message.type, WindowMessage::Activate);
    EXPECT_FALSE(message.active);
    ASSERT_TRUE(PollWindowMessage(&message));
    EXPECT_EQ(message.type, WindowMessage::Activate);
    EXPECT_TRUE(message.active);
    EXPECT_FALSE(PollWindowMessage(&message));
}

TEST_F(InputDeviceTest, MissingDevicesCannotBeCreated)
{
    SetDevicesPresent(true, false);
    EXPECT_FALSE(m_system->CreateDevice(DeviceKind::Mouse));
    EXPECT_TRUE(m_system->CreateDevice(DeviceKind::Keyboard));
    SetDevicesPresent(false, true);
    EXPECT_FALSE(m_system->CreateDevice(DeviceKind::Keyboard));
    EXPECT_TRUE(m_system->CreateDevice(DeviceKind::Mouse));
}

// ---- window ----

class InputWindowTest : public sdltest::HeadlessWindowTest
{
};

TEST_F(InputWindowTest, BorderlessWindowAtTheOriginWithNoFrameOrCaption)
{
    Rect rect;
    ASSERT_TRUE(GetWindowRect(&rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 800);
    EXPECT_EQ(rect.bottom, 600);
    EXPECT_EQ(GetSystemMetric(SystemMetric::FrameWidth), 0);
    EXPECT_EQ(GetSystemMetric(SystemMetric::FrameHeight), 0);
    EXPECT_EQ(GetSystemMetric(SystemMetric::CaptionHeight), 0);
    EXPECT_NE(GameWindowHandle(), nullptr);
    EXPECT_TRUE(CreateGameWindow("again")); // a second call keeps the one window
}

TEST_F(InputWindowTest, ClientAndScreenCoordinatesDifferByTheWindowOrigin)
{
    ASSERT_TRUE(SetGameWindowBounds(50, 60, 640, 480));
    Rect rect;
    ASSERT_TRUE(GetWindowRect(&rect));
    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.top, 60);
    EXPECT_EQ(rect.right, 690);
    EXPECT_EQ(rect.bottom, 540);

    Point p{10, 20};
    ASSERT_TRUE(ClientToScreen(&p));
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(p.y, 80);
    ASSERT_TRUE(ScreenToClient(&p));
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);

    // Motion is reported in client coordinates; the cursor is kept in screen coordinates.
    PushMotion(10, 20, 1, 1);
    Point cursor;
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 60);
    EXPECT_EQ(cursor.y, 80);
}

TEST_F(InputWindowTest, CloseAndQuitBecomeCloseMessages)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    sdltest::Push(event);
    event = SDL_Event{};
    event.type = SDL_QUIT;
    sdltest::Push(event);
    PumpEvents();
    WindowMessage message;
    ASSERT_TRUE(PollWindowMessage(&message));
    EXPECT_EQ(message.type, WindowMessage::Close);
    ASSERT_TRUE(PollWindowMessage(&message));
    EXPECT_EQ(message.type, WindowMessage::Close);
    EXPECT_FALSE(PollWindowMessage(&message));
}

TEST(InputWindowless, WindowQueriesFailSafelyWithoutAWindow)
{
    ASSERT_FALSE(HasGameWindow());
    Rect rect{1, 2, 3, 4};
    EXPECT_FALSE(GetWindowRect(&rect));
    EXPECT_EQ(rect.right, 0);
    Point p{7, 8};
    EXPECT_TRUE(ScreenToClient(&p));
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, 8);
    EXPECT_FALSE(GetWindowRect(nullptr));
    EXPECT_FALSE(SetGameWindowBounds(0, 0, 10, 10));
}

// ---- cursor ----

class InputCursorTest : public sdltest::HeadlessWindowTest
{
};

TEST_F(InputCursorTest, DisplayCountStartsVisibleAndCountsEachCall)
{
    // Bring the count to 0 whatever came before, then count from there.
    while (GetCursorDisplayCount() > 0)
        ShowCursor(false);
    while (GetCursorDisplayCount() < 0)
        ShowCursor(true);
    EXPECT_TRUE(IsCursorVisible());
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_FALSE(IsCursorVisible());
    EXPECT_EQ(ShowCursor(false), -2);
    EXPECT_EQ(ShowCursor(true), -1);
    EXPECT_FALSE(IsCursorVisible());
    EXPECT_EQ(ShowCursor(true), 0);
    EXPECT_TRUE(IsCursorVisible());
    EXPECT_EQ(ShowCursor(true), 1);
    EXPECT_TRUE(IsCursorVisible());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(ShowCursor(false), 0);
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(GetCursorDisplayCount(), -1);
}

TEST_F(InputCursorTest, WarpMovesTheCursorButNotTheDevices)
{
    auto system = InputSystem::Create();
    auto mouse = system->CreateDevice(DeviceKind::Mouse);
    mouse->SetBufferSize(16);
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);

    ASSERT_TRUE(SetCursorPos(123, 456));
    Point cursor;
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 123);
    EXPECT_EQ(cursor.y, 456);
    EXPECT_TRUE(ReadAll(*mouse).empty());
    MouseStateRecord state = ReadMouse(*mouse);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.y, 0);
}

TEST_F(InputCursorTest, ClipKeepsTheCursorInsideWhileTheDevicesSeeRawMovement)
{
    auto system = InputSystem::Create();
    auto mouse = system->CreateDevice(DeviceKind::Mouse);
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);

    Rect pixel{100, 120, 101, 121};
    ASSERT_TRUE(ClipCursor(&pixel));
    Rect clip;
    ASSERT_TRUE(GetCursorClip(&clip));
    EXPECT_EQ(clip.left, 100);
    EXPECT_EQ(clip.bottom, 121);
    Point cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 100); // moved inside at once
    EXPECT_EQ(cursor.y, 120);

    PushMotion(140, 100, 40, -20);
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 100);
    EXPECT_EQ(cursor.y, 120);
    MouseStateRecord state = ReadMouse(*mouse);
    EXPECT_EQ(state.x, 40);
    EXPECT_EQ(state.y, -20);
    SetCursorPos(0, 0);
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 100);
    EXPECT_EQ(cursor.y, 120);

    // A larger clip keeps the cursor within its right and bottom edges (exclusive).
    Rect area{10, 10, 20, 30};
    ClipCursor(&area);
    PushMotion(500, 500, 1, 1);
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 19);
    EXPECT_EQ(cursor.y, 29);

    ASSERT_TRUE(ClipCursor(nullptr));
    EXPECT_FALSE(GetCursorClip(&clip));
    PushMotion(500, 500, 1, 1);
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 500);
    EXPECT_EQ(cursor.y, 500);
}

TEST_F(InputCursorTest, ArrowShapeIsSetEvenWhereTheDriverHasNoSystemCursors)
{
    EXPECT_TRUE(SetArrowCursor());
    EXPECT_EQ(GetCursorShape(), CursorShape::Arrow);
}

} // namespace
