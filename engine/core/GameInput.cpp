// The game's keyboard and mouse reader and the system cursor's visibility, shape and lock.
#include "engine/core/GameInput.h"

#include "platform/Cursor.h"

#include <algorithm>
#include <cstring>
#include <iterator>

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
    if (!platform::Succeeded(m_pKeyboard->SetBufferSize(kKeyboardBufferSize)))
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
    m_queue.clear();
    m_bShown = false;
    m_bLocked = false;
    SetSystemCursor(true);
    m_iCursorShape = 0;
    return true;
}

bool GameInput::Update()
{
    if (!m_pKeyboard || !m_pMouse)
        return false;
    // The frame's records of each device, in buffers kept from frame to frame (a frame allocates nothing).
    m_keyRecords.clear();
    m_mouseRecords.clear();
    ReadRecords(*m_pKeyboard, m_keyRecords);
    const bool mouseRead = ReadRecords(*m_pMouse, m_mouseRecords);
    // Both devices number their records from one sequence: the queue keeps the order the events came in.
    auto earlier = [](const platform::InputEventRecord& a, const platform::InputEventRecord& b)
    { return static_cast<int32_t>(a.sequence - b.sequence) < 0; };
    size_t key = 0, mouse = 0;
    while (key < m_keyRecords.size() || mouse < m_mouseRecords.size())
    {
        const bool fromMouse = key == m_keyRecords.size() ||
                               (mouse < m_mouseRecords.size() && earlier(m_mouseRecords[mouse], m_keyRecords[key]));
        m_queue.push_back({fromMouse ? m_mouseRecords[mouse++] : m_keyRecords[key++], fromMouse});
    }
    while (m_queue.size() > kMaxQueuedRecords)
    {
        ApplyQuietly(m_queue.front());
        m_queue.pop_front();
    }
    AgeStates();
    TakeFrame(mouseRead);
    return true;
}

bool GameInput::ReadRecords(platform::InputDevice& device, std::vector<platform::InputEventRecord>& out)
{
    // A buffer read in one go holds everything since the last frame; the loop only guards against a device
    // that keeps answering with full reads.
    for (int read = 0; read < 64; ++read)
    {
        uint32_t count = kKeyboardBufferSize;
        if (!platform::Succeeded(device.GetBufferedData(m_events, &count)))
        {
            AcquireAgain(device);
            return false;
        }
        out.insert(out.end(), m_events, m_events + count);
        if (count < kKeyboardBufferSize)
            break;
    }
    return true;
}

void GameInput::AgeStates()
{
    for (uint8_t& key : m_keys)
        if (key == kWentDown)
            key = kHeld;
    if (m_iLeft == kWentDown)
        m_iLeft = kHeld;
    if (m_iRight == kWentDown)
        m_iRight = kHeld;
}

GameInput::Place GameInput::PlaceOf(int32_t screenX, int32_t screenY) const
{
    Place place;
    platform::Rect window;
    if (platform::GetWindowRect(&window))
        place.overWindow =
            screenX >= window.left && screenX < window.right && screenY >= window.top && screenY < window.bottom;
    if (m_bWindowed)
    {
        place.rawX = screenX - window.left - platform::GetSystemMetric(platform::SystemMetric::FrameWidth);
        place.rawY = screenY - window.top - platform::GetSystemMetric(platform::SystemMetric::FrameHeight) -
                     platform::GetSystemMetric(platform::SystemMetric::CaptionHeight);
        const bool outside = place.rawX < 0 || place.rawX > m_iWidth || place.rawY < 0 || place.rawY > m_iHeight;
        place.x = outside ? kOutsideWindow : place.rawX;
        place.y = outside ? kOutsideWindow : place.rawY;
        return place;
    }
    // Full screen: the picture's pixel under the pointer, kept on the picture.
    platform::Point client{screenX, screenY};
    platform::ScreenToClient(&client);
    place.rawX = client.x;
    place.rawY = client.y;
    place.x = std::clamp(client.x, 0, std::max(0, m_iWidth - 1));
    place.y = std::clamp(client.y, 0, std::max(0, m_iHeight - 1));
    return place;
}

void GameInput::TakeFrame(bool mouseRead)
{
    // Where the game saw the pointer last frame; a press or release elsewhere waits until it has been shown.
    const Place shown{m_iCursorX, m_iCursorY, m_iCursorX, m_iCursorY, m_bPointerOverWindow};
    Place frame = shown;
    bool buttonChanged = false;
    bool leftChanged = false, rightChanged = false;
    std::bitset<platform::kKeyCount> keyChanged;
    int32_t rawX = 0, rawY = 0, wheel = 0;
    m_uEventCount = 0;

    // Sets a key or button state for a press or release; false when it already changed this frame.
    auto change = [](uint8_t& state, bool down, bool& changed)
    {
        if (down ? state != kUp : state == kUp)
            return true; // a press of a held key, or a release of an up one: nothing changes
        if (changed)
            return false;
        state = down ? kWentDown : kUp;
        changed = true;
        return true;
    };

    while (!m_queue.empty())
    {
        const platform::InputEventRecord& record = m_queue.front().record;
        const bool down = (record.data & platform::kDownBit) != 0;
        if (!m_queue.front().mouse)
        {
            if (record.offset < platform::kKeyCount)
            {
                uint8_t& key = m_keys[record.offset];
                bool changed = keyChanged[record.offset];
                if (!change(key, down, changed))
                    break;
                keyChanged[record.offset] = changed;
            }
            m_queue.pop_front();
            continue;
        }
        const Place place = PlaceOf(record.pointerX, record.pointerY);
        const bool isButton =
            record.offset == platform::MouseButtonOffset(0) || record.offset == platform::MouseButtonOffset(1);
        if (!(place == frame))
        {
            // The frame of a press or release shows the pointer where it happened.
            if (buttonChanged)
                break;
            frame = place;
        }
        const int32_t value = static_cast<int32_t>(record.data);
        if (record.offset == platform::kMouseOffsetX)
            rawX = platform::AddMovement(rawX, value);
        else if (record.offset == platform::kMouseOffsetY)
            rawY = platform::AddMovement(rawY, value);
        else if (record.offset == platform::kMouseOffsetZ)
            wheel = platform::AddMovement(wheel, value);
        else if (isButton && place.x != kOutsideWindow)
        {
            if (m_bShown && !(place == shown))
                break; // shown in this frame, pressed or released in the next
            const bool left = record.offset == platform::MouseButtonOffset(0);
            uint8_t state = static_cast<uint8_t>(left ? m_iLeft : m_iRight);
            bool& changed = left ? leftChanged : rightChanged;
            const bool before = changed;
            if (!change(state, down, changed))
                break;
            (left ? m_iLeft : m_iRight) = state;
            buttonChanged = buttonChanged || changed != before;
        }
        ++m_uEventCount;
        m_queue.pop_front();
    }
    m_iWheel = wheel;

    if (!mouseRead)
    {
        // The mouse is lost: no movement this frame, and nothing known of the pointer but that it is not ours.
        m_iDeltaX = m_iDeltaY = 0;
        m_bPointerOverWindow = false;
        m_bShown = true;
        return;
    }
    if (!buttonChanged && m_queue.empty())
    {
        // Everything was taken: the pointer is where it is now (moved by warps too, or followed outside).
        platform::Point cursor;
        platform::GetCursorPos(&cursor);
        frame = PlaceOf(cursor.x, cursor.y);
    }
    if (m_bWindowed)
    {
        // Coming back from outside the window is not a movement across the screen.
        const bool wasOutside = m_iCursorX == kOutsideWindow && m_iCursorY == kOutsideWindow;
        m_iDeltaX = wasOutside ? 0 : frame.rawX - m_iCursorX;
        m_iDeltaY = wasOutside ? 0 : frame.rawY - m_iCursorY;
    }
    else
    {
        m_iDeltaX = frame.rawX - m_iCursorX;
        m_iDeltaY = frame.rawY - m_iCursorY;
    }
    m_iCursorX = frame.x;
    m_iCursorY = frame.y;
    m_bPointerOverWindow = frame.overWindow;
    if (m_bLocked)
    {
        m_iDeltaX = rawX;
        m_iDeltaY = rawY;
    }
    m_bShown = true;
}

void GameInput::ApplyQuietly(const QueuedRecord& queued)
{
    const platform::InputEventRecord& record = queued.record;
    const uint8_t state = (record.data & platform::kDownBit) != 0 ? kHeld : kUp;
    if (!queued.mouse)
    {
        if (record.offset < platform::kKeyCount)
            m_keys[record.offset] = state;
    }
    else if (record.offset == platform::MouseButtonOffset(0))
        m_iLeft = state;
    else if (record.offset == platform::MouseButtonOffset(1))
        m_iRight = state;
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
    else
    {
        // Full screen: the screen pixel of the picture's pixel.
        platform::Point screen{x, y};
        platform::ClientToScreen(&screen);
        x = screen.x;
        y = screen.y;
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

void GameInput::ReleaseKeys()
{
    std::fill(std::begin(m_keys), std::end(m_keys), static_cast<uint8_t>(kUp));
    for (auto it = m_queue.begin(); it != m_queue.end();)
        it = it->mouse ? it + 1 : m_queue.erase(it);
}

void GameInput::ClearMouseButtons()
{
    m_iLeft = m_iRight = kUp;
    // A press or release still waiting belongs to what came before (another screen, the background).
    for (auto it = m_queue.begin(); it != m_queue.end();)
    {
        const uint32_t offset = it->record.offset;
        const bool button =
            it->mouse && (offset == platform::MouseButtonOffset(0) || offset == platform::MouseButtonOffset(1));
        it = button ? m_queue.erase(it) : it + 1;
    }
}
