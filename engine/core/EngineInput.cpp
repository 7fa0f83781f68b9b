// The engine's input service: reads the keyboard and mouse once per frame and names replay files.
#include "engine/core/EngineInput.h"

#include "engine/core/Logger.h"
#include "platform/Cursor.h"
#include "platform/Paths.h"
#include "platform/Strings.h"
#include "platform/Window.h"

#include <climits>
#include <cstring>
#include <string>

namespace
{

// Acquiring again after a lost read is retried while the device keeps answering "lost"; the platform never
// answers so for long, but a frame must not hang on it.
constexpr int kMaxAcquireRetries = 8;
// More records than any buffer holds in one frame; guards the read loop against an endless event stream.
constexpr int kMaxRecordsPerUpdate = 4096;

platform::InputResult AcquireAgain(platform::InputDevice& device)
{
    platform::InputResult result = device.Acquire();
    for (int tries = 0; result == platform::InputResult::Lost && tries < kMaxAcquireRetries; ++tries)
        result = device.Acquire();
    return result;
}

int16_t ToShort(int32_t value)
{
    return static_cast<int16_t>(value < SHRT_MIN ? SHRT_MIN : value > SHRT_MAX ? SHRT_MAX : value);
}

} // namespace

EngineInput::EngineInput() = default;

EngineInput::~EngineInput()
{
    ReleaseDevices();
    if (m_pReplayFile)
        std::fclose(m_pReplayFile);
}

void EngineInput::Reset()
{
    ReleaseDevices();
    m_bReady = false;
    m_bPositioned = false;
    m_bGrabbed = false;
    for (Button& button : m_buttons)
        button = Button{};
    m_sDeltaX = m_sDeltaY = 0;
    m_sWheelGranularity = 1;
    m_uUpdateCount = 0;
}

void EngineInput::ReleaseDevices()
{
    if (m_pKeyboard)
        m_pKeyboard->Unacquire();
    if (m_pMouse)
        m_pMouse->Unacquire();
    m_pKeyboard.reset();
    m_pMouse.reset();
    m_pDirectInput.reset();
}

int32_t EngineInput::Init()
{
    Reset();

    m_pDirectInput = platform::InputSystem::Create();
    if (!m_pDirectInput)
        m_pDirectInput = platform::InputSystem::Create();
    // The service reports success with non-zero, so a failed start answers 0.
    if (!m_pDirectInput)
        return 0;

    const platform::Cooperation cooperation =
        m_bBackground ? platform::Cooperation::Background : platform::Cooperation::Foreground;

    m_pKeyboard = m_pDirectInput->CreateDevice(platform::DeviceKind::Keyboard);
    if (!m_pKeyboard)
        m_pKeyboard = m_pDirectInput->CreateDevice(platform::DeviceKind::Keyboard);
    if (m_pKeyboard && !platform::Succeeded(m_pKeyboard->SetCooperativeLevel(cooperation)))
        m_pKeyboard->SetCooperativeLevel(cooperation);
    // A new keyboard has delivered nothing yet, so a first read that fails leaves every key up.
    std::memset(m_keys, 0, sizeof m_keys);
    std::memset(m_previousKeys, 0, sizeof m_previousKeys);
    std::memset(m_rawKeys, 0, sizeof m_rawKeys);
    if (!m_pKeyboard)
        return 0;

    m_pMouse = m_pDirectInput->CreateDevice(platform::DeviceKind::Mouse);
    if (!m_pMouse)
        m_pMouse = m_pDirectInput->CreateDevice(platform::DeviceKind::Mouse);
    if (!m_pMouse)
        return 0;
    m_pMouse->SetCooperativeLevel(cooperation);
    m_pMouse->SetBufferSize(kMouseBufferSize);
    int32_t granularity = m_pMouse->GetAxisGranularity(platform::kMouseOffsetZ);
    m_sWheelGranularity = granularity == 0 ? 1 : ToShort(granularity);
    m_pMouse->Acquire();
    m_bReady = true;
    return 1;
}

void EngineInput::Shutdown()
{
    ReleaseDevices();
    m_bReady = false;
}

bool EngineInput::ReadButtonEvents()
{
    platform::Rect window;
    bool hasWindow = platform::GetWindowRect(&window);
    // Without a window there is nothing for the cursor to be outside of. A press counts where it happened.
    auto inside = [&](const platform::InputEventRecord& record)
    {
        return !hasWindow || (record.pointerX >= window.left && record.pointerX <= window.right &&
                              record.pointerY >= window.top && record.pointerY <= window.bottom);
    };

    bool pressedNow[3] = {};
    for (int read = 0; read < kMaxRecordsPerUpdate; ++read)
    {
        platform::InputEventRecord record;
        uint32_t count = 1;
        if (!platform::Succeeded(m_pMouse->GetBufferedData(&record, &count)))
        {
            if (!platform::Succeeded(AcquireAgain(*m_pMouse)))
                return false;
            continue;
        }
        if (count == 0)
            break;
        if (record.offset < platform::MouseButtonOffset(0) || record.offset > platform::MouseButtonOffset(2))
            continue;
        int index = static_cast<int>(record.offset - platform::MouseButtonOffset(0));
        Button& button = m_buttons[index];
        if (record.data & platform::kDownBit)
        {
            if (inside(record))
            {
                button.state = 1;
                pressedNow[index] = true;
            }
        }
        else if (pressedNow[index])
        {
            // Pressed and released within this update: it reads down now and goes up at the next.
            button.releasePending = 1;
        }
        else
        {
            button.state = 0;
        }
    }
    return true;
}

void EngineInput::Update()
{
    if (!m_bReady)
        return;

    // 1. Keyboard: after a failed read the last delivered state stands.
    std::memcpy(m_previousKeys, m_keys, sizeof m_keys);
    ++m_uUpdateCount;
    if (m_pKeyboard && platform::Succeeded(m_pKeyboard->Acquire()))
        m_pKeyboard->GetState(m_rawKeys, sizeof m_rawKeys);
    std::memcpy(m_keys, m_rawKeys, sizeof m_keys);

    // 2. Button history.
    for (Button& button : m_buttons)
        button.previous = button.state;

    // 3. Cursor in screen and client coordinates.
    platform::Point screen;
    platform::GetCursorPos(&screen);
    platform::Point client = screen;
    platform::ScreenToClient(&client);

    // 4. Pending releases, then the buffered button records.
    for (Button& button : m_buttons)
    {
        if (button.releasePending)
        {
            button.state = 0;
            button.releasePending = 0;
        }
    }
    if (!ReadButtonEvents())
    {
        // The mouse is gone until the window is active again: it moves nothing meanwhile (a grabbed camera
        // must not keep turning by the last movement).
        m_sDeltaX = m_sDeltaY = 0;
        m_sWheelRaw = m_sWheelNotches = 0;
        return;
    }

    // 5. The whole mouse state; a failed read moves nothing.
    if (!platform::Succeeded(m_pMouse->GetState(&m_mouseState, sizeof m_mouseState)))
        m_mouseState.x = m_mouseState.y = m_mouseState.z = 0;

    // 6. Deltas between the two previous updates, then the next anchor. The first update after Init starts
    // from where the cursor is, not from the client origin, so it does not report a jump across the window.
    if (!m_bPositioned)
    {
        m_sX = m_sAnchorX = ToShort(client.x);
        m_sY = m_sAnchorY = ToShort(client.y);
        m_bPositioned = true;
    }
    m_sDeltaX = ToShort(m_sX - m_sAnchorX);
    m_sDeltaY = ToShort(m_sY - m_sAnchorY);
    if (m_bGrabbed)
    {
        m_sAnchorX = ToShort(m_iGrabX);
        m_sAnchorY = ToShort(m_iGrabY);
        platform::Point back{m_iGrabX, m_iGrabY};
        platform::ClientToScreen(&back);
        platform::SetCursorPos(back.x, back.y);
    }
    else
    {
        m_sAnchorX = m_sX;
        m_sAnchorY = m_sY;
    }

    // 7. Wheel.
    m_sWheelRaw = ToShort(m_mouseState.z);
    m_sWheelNotches = ToShort(m_mouseState.z / m_sWheelGranularity);

    // 8. Position.
    m_sX = ToShort(client.x);
    m_sY = ToShort(client.y);
}

int32_t EngineInput::GetMouseX() const
{
    return m_sX;
}

int32_t EngineInput::GetMouseY() const
{
    return m_sY;
}

int32_t EngineInput::GetWheelNotches() const
{
    return m_sWheelNotches;
}

int32_t EngineInput::GetMouseDeltaX() const
{
    return m_sDeltaX;
}

int32_t EngineInput::GetMouseDeltaY() const
{
    return m_sDeltaY;
}

int32_t EngineInput::GetWheelRaw() const
{
    return m_sWheelRaw;
}

int32_t EngineInput::GetButton(int button) const
{
    return button >= 0 && button < 3 ? m_buttons[button].state : 0;
}

int32_t EngineInput::GetButton0() const
{
    return m_buttons[0].state;
}

int32_t EngineInput::GetButton1() const
{
    return m_buttons[1].state;
}

int32_t EngineInput::GetButton2() const
{
    return m_buttons[2].state;
}

bool EngineInput::WasButtonPressed0() const
{
    return m_buttons[0].state && !m_buttons[0].previous;
}

bool EngineInput::WasButtonPressed1() const
{
    return m_buttons[1].state && !m_buttons[1].previous;
}

bool EngineInput::WasButtonPressed2() const
{
    return m_buttons[2].state && !m_buttons[2].previous;
}

bool EngineInput::WasButtonReleased0() const
{
    return !m_buttons[0].state && m_buttons[0].previous;
}

bool EngineInput::WasButtonReleased1() const
{
    return !m_buttons[1].state && m_buttons[1].previous;
}

bool EngineInput::WasButtonReleased2() const
{
    return !m_buttons[2].state && m_buttons[2].previous;
}

bool EngineInput::IsKeyDown(int key) const
{
    return key >= 0 && key < platform::kKeyCount && (m_keys[key] & platform::kDownBit) != 0;
}

bool EngineInput::WasKeyReleased(int key) const
{
    return key >= 0 && key < platform::kKeyCount && (m_previousKeys[key] & platform::kDownBit) != 0 &&
           (m_keys[key] & platform::kDownBit) == 0;
}

void EngineInput::GrabMouse()
{
    if (m_bGrabbed)
        return;
    platform::ShowCursor(false);
    platform::Point cursor;
    platform::GetCursorPos(&cursor);
    platform::ScreenToClient(&cursor);
    m_iGrabX = cursor.x;
    m_iGrabY = cursor.y;
    m_bGrabbed = true;
}

void EngineInput::ReleaseMouse()
{
    if (!m_bGrabbed)
        return;
    platform::ShowCursor(true);
    m_bGrabbed = false;
}

bool EngineInput::IsMouseGrabbed() const
{
    return m_bGrabbed;
}

void EngineInput::StartReplayRecording(const char* scenarioName)
{
    // The name is one part of a file name inside the replay folder: a separator would reach another folder.
    if (!scenarioName || !*scenarioName || std::strpbrk(scenarioName, "/\\"))
    {
        GetLogger()->Report(0, "Unable to record replay game for scenario!");
        return;
    }
    if (m_bRecording)
        return;

    std::string fileName;
    for (int n = 0;; ++n)
    {
        fileName = platform::Format("Replays\\%s_%d.rpf", scenarioName, n);
        FILE* existing = platform::OpenFile(platform::UserFile(fileName), "rb");
        if (!existing)
            break;
        std::fclose(existing);
        if (n == INT_MAX)
            return;
    }

    m_pReplayFile = platform::OpenFile(platform::UserFile(fileName), "wb");
    if (!m_pReplayFile)
    {
        GetLogger()->Report(0, "Unable to open %s for recording replays!", fileName.c_str());
        return;
    }
    m_uReplayStart = m_uUpdateCount;
    m_bRecording = true;
}

void EngineInput::Reserved24() {}

void EngineInput::Reserved25() {}

void EngineInput::Reserved26() {}

void EngineInput::ResetUpdateCount()
{
    m_uUpdateCount = 0;
}

uint32_t EngineInput::GetUpdateCount() const
{
    return m_uUpdateCount;
}

void EngineInput::ReacquireMouse()
{
    if (m_pMouse)
        m_pMouse->Acquire();
}

void EngineInput::Reserved30() {}

void EngineInput::SetBackground(bool background)
{
    m_bBackground = background;
}
