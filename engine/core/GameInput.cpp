// The game's keyboard and mouse reader and the system cursor's visibility, shape and lock.
#include "engine/core/GameInput.h"

#include "platform/Cursor.h"

#include <algorithm>
#include <cstring>

GameInput* g_pGameInput = nullptr;

namespace
{

// See EngineInput: acquiring again is retried while the device answers "lost", but never endlessly.
constexpr int kMaxAcquireRetries = 8;

void AcquireAgain(platform::InputDevice& device)
{
    platform::InputResult result = device.Acquire();
    for (int tries = 0; result == platform::InputResult::Lost && tries < kMaxAcquireRetries; ++tries)
        result = device.Acquire();
}

} // namespace

void ShowSystemCursor()
{
    while (platform::ShowCursor(true) < 0)
    {
    }
}

void HideSystemCursor()
{
    while (platform::ShowCursor(false) >= 0)
    {
    }
}

GameInput::GameInput(int32_t width, int32_t height, bool windowed)
    : m_iWidth(width), m_iHeight(height), m_bWindowed(windowed)
{
    g_pGameInput = this;
}

GameInput::~GameInput()
{
    if (m_pKeyboard)
        m_pKeyboard->Unacquire();
    if (m_pMouse)
        m_pMouse->Unacquire();
    m_pKeyboard.reset();
    m_pMouse.reset();
    m_pDirectInput.reset();
    platform::ClipCursor(nullptr);
    if (g_pGameInput == this)
        g_pGameInput = nullptr;
}

bool GameInput::Init(void* instance, void* window, uint32_t)
{
    m_pInstance = instance;
    m_pWindow = window;
    m_pDirectInput = platform::InputSystem::Create();
    if (!m_pDirectInput)
        return false;
    return InitKeyboard(window) && InitMouse(window);
}

bool GameInput::InitKeyboard(void*)
{
    m_pKeyboard = m_pDirectInput->CreateDevice(platform::DeviceKind::Keyboard);
    if (!m_pKeyboard)
        return false;
    if (!platform::Succeeded(m_pKeyboard->SetCooperativeLevel(platform::Cooperation::Foreground)))
        return false;
    m_pKeyboard->Acquire();
    return true;
}

bool GameInput::InitMouse(void*)
{
    m_pMouse = m_pDirectInput->CreateDevice(platform::DeviceKind::Mouse);
    if (!m_pMouse)
        return false;
    if (!platform::Succeeded(m_pMouse->SetCooperativeLevel(platform::Cooperation::Foreground)))
        return false;
    if (!platform::Succeeded(m_pMouse->SetBufferSize(kMouseBufferSize)))
        return false;
    m_pMouse->Acquire();
    m_bHasWheel = m_pMouse->HasObject(platform::kMouseOffsetZ);
    m_uEventCount = 0;
    m_bLeftReleasePending = false;
    m_bRightReleasePending = false;
    m_bLocked = false;
    SetSystemCursor(true);
    m_iCursorShape = 0;
    return true;
}

bool GameInput::Update()
{
    if (!ReadKeyboard())
        return false;
    return ReadMouse();
}

bool GameInput::ReadKeyboard()
{
    if (!m_pKeyboard)
        return false;
    uint8_t state[platform::kKeyCount];
    if (!platform::Succeeded(m_pKeyboard->GetState(state, sizeof state)))
    {
        AcquireAgain(*m_pKeyboard);
        // The keys keep their states, but a key that went down in an earlier frame is held by now: a lost
        // keyboard must not report the same press frame after frame.
        for (uint8_t& key : m_keys)
            if (key == kWentDown)
                key = kHeld;
        return true;
    }
    for (int i = 0; i < platform::kKeyCount; ++i)
    {
        if (state[i] & platform::kDownBit)
            m_keys[i] = m_keys[i] == kUp ? kWentDown : kHeld;
        else
            m_keys[i] = kUp;
    }
    return true;
}

void GameInput::AgeButtons()
{
    if (m_iLeft == kWentDown)
        m_iLeft = kHeld;
    if (m_iRight == kWentDown)
        m_iRight = kHeld;
    if (m_bLeftReleasePending)
    {
        m_iLeft = kUp;
        m_bLeftReleasePending = false;
    }
    if (m_bRightReleasePending)
    {
        m_iRight = kUp;
        m_bRightReleasePending = false;
    }
}

bool GameInput::ReadMouse()
{
    if (!m_pMouse)
        return false;

    uint32_t count = kMouseBufferSize;
    platform::InputResult result = m_pMouse->GetBufferedData(m_events, &count);
    platform::Point cursor;
    platform::GetCursorPos(&cursor);
    m_iWheel = 0;
    if (!platform::Succeeded(result))
    {
        AcquireAgain(*m_pMouse);
        // Nothing was read: no movement this frame, and button edges age as in any other frame so a click
        // is not reported again and again while the mouse is lost.
        m_uEventCount = 0;
        m_iDeltaX = m_iDeltaY = 0;
        AgeButtons();
        return true;
    }
    m_uEventCount = count;

    if (m_bWindowed)
    {
        platform::Rect window;
        platform::GetWindowRect(&window);
        int32_t x = cursor.x - window.left - platform::GetSystemMetric(platform::SystemMetric::FrameWidth);
        int32_t y = cursor.y - window.top - platform::GetSystemMetric(platform::SystemMetric::FrameHeight) -
                    platform::GetSystemMetric(platform::SystemMetric::CaptionHeight);
        // Coming back from outside the window is not a movement across the screen.
        bool wasOutside = m_iCursorX == kOutsideWindow && m_iCursorY == kOutsideWindow;
        m_iDeltaX = wasOutside ? 0 : x - m_iCursorX;
        m_iDeltaY = wasOutside ? 0 : y - m_iCursorY;
        m_iCursorX = x;
        m_iCursorY = y;
        if (x < 0 || x > m_iWidth || y < 0 || y > m_iHeight)
            m_iCursorX = m_iCursorY = kOutsideWindow;
    }
    else
    {
        m_iDeltaX = cursor.x - m_iCursorX;
        m_iDeltaY = cursor.y - m_iCursorY;
        m_iCursorX = std::clamp(cursor.x, 0, std::max(0, m_iWidth - 1));
        m_iCursorY = std::clamp(cursor.y, 0, std::max(0, m_iHeight - 1));
    }

    AgeButtons();

    if (m_bLocked)
        m_iDeltaX = m_iDeltaY = 0;

    if (m_iCursorX == kOutsideWindow || m_uEventCount == 0)
        return true;

    for (uint32_t i = 0; i < m_uEventCount; ++i)
    {
        const platform::InputEventRecord& event = m_events[i];
        const int32_t value = static_cast<int32_t>(event.data);
        const bool down = (event.data & platform::kDownBit) != 0;
        switch (event.offset)
        {
        case platform::kMouseOffsetX:
            if (m_bLocked)
                m_iDeltaX = platform::AddMovement(m_iDeltaX, value);
            break;
        case platform::kMouseOffsetY:
            if (m_bLocked)
                m_iDeltaY = platform::AddMovement(m_iDeltaY, value);
            break;
        case platform::kMouseOffsetZ:
            m_iWheel = platform::AddMovement(m_iWheel, value);
            break;
        case platform::MouseButtonOffset(0):
            if (down)
            {
                if (m_iLeft == kUp)
                    m_iLeft = kWentDown;
            }
            else if (m_iLeft == kWentDown)
                m_bLeftReleasePending = true;
            else
                m_iLeft = kUp;
            break;
        case platform::MouseButtonOffset(1):
            if (down)
            {
                if (m_iRight == kUp)
                    m_iRight = kWentDown;
            }
            else if (m_iRight == kWentDown)
                m_bRightReleasePending = true;
            else
                m_iRight = kUp;
            break;
        default:
            break;
        }
    }
    return true;
}

bool GameInput::IsKeyHeld(int key) const
{
    return key >= 0 && key < platform::kKeyCount && m_keys[key] == kHeld;
}

bool GameInput::IsKeyPressed(int key) const
{
    return key >= 0 && key < platform::kKeyCount && m_keys[key] == kWentDown;
}

bool GameInput::AnyKeyPressed() const
{
    return std::any_of(std::begin(m_keys), std::end(m_keys), [](uint8_t key) { return key == kWentDown; });
}

void GameInput::LockCursor(bool locked)
{
    m_bLocked = locked;
    if (!locked)
    {
        platform::ClipCursor(nullptr);
        return;
    }
    int32_t x = m_iCursorX;
    int32_t y = m_iCursorY;
    if (m_bWindowed)
    {
        platform::Rect window;
        platform::GetWindowRect(&window);
        x += window.left + platform::GetSystemMetric(platform::SystemMetric::FrameWidth);
        y += window.top + platform::GetSystemMetric(platform::SystemMetric::FrameHeight) +
             platform::GetSystemMetric(platform::SystemMetric::CaptionHeight);
    }
    m_clip = platform::Rect{x, y, x + 1, y + 1};
    if (m_bWindowed)
        platform::SetCursorPos(x, y);
    m_iDeltaX = m_iDeltaY = 0;
    platform::ClipCursor(&m_clip);
}

void GameInput::SetCursorShape(int32_t shape)
{
    platform::SetArrowCursor();
    m_iCursorShape = shape;
}

void GameInput::RestoreCursor()
{
    SetCursorShape(m_iCursorShape);
}

void GameInput::SetSystemCursor(bool on)
{
    m_bSystemCursor = on;
    if (!on)
        HideSystemCursor();
}

void GameInput::ClearMouseButtons()
{
    m_iLeft = m_iRight = kUp;
    m_bLeftReleasePending = m_bRightReleasePending = false;
}
