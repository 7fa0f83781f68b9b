// Keyboard and mouse devices fed from SDL events: scancode table, live input state, device buffers, the pump.
#include "platform/Input.h"

#include "platform/Cursor.h"
#include "platform/Time.h"
#include "platform/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace platform
{
namespace
{

struct ScancodeKey
{
    SDL_Scancode scancode;
    uint8_t key;
};

constexpr ScancodeKey kScancodeKeys[] = {
    {SDL_SCANCODE_ESCAPE, kKeyEscape},
    {SDL_SCANCODE_1, kKey1},
    {SDL_SCANCODE_2, kKey2},
    {SDL_SCANCODE_3, kKey3},
    {SDL_SCANCODE_4, kKey4},
    {SDL_SCANCODE_5, kKey5},
    {SDL_SCANCODE_6, kKey6},
    {SDL_SCANCODE_7, kKey7},
    {SDL_SCANCODE_8, kKey8},
    {SDL_SCANCODE_9, kKey9},
    {SDL_SCANCODE_0, kKey0},
    {SDL_SCANCODE_MINUS, kKeyMinus},
    {SDL_SCANCODE_EQUALS, kKeyEquals},
    {SDL_SCANCODE_BACKSPACE, kKeyBackspace},
    {SDL_SCANCODE_TAB, kKeyTab},
    {SDL_SCANCODE_Q, kKeyQ},
    {SDL_SCANCODE_W, kKeyW},
    {SDL_SCANCODE_E, kKeyE},
    {SDL_SCANCODE_R, kKeyR},
    {SDL_SCANCODE_T, kKeyT},
    {SDL_SCANCODE_Y, kKeyY},
    {SDL_SCANCODE_U, kKeyU},
    {SDL_SCANCODE_I, kKeyI},
    {SDL_SCANCODE_O, kKeyO},
    {SDL_SCANCODE_P, kKeyP},
    {SDL_SCANCODE_LEFTBRACKET, kKeyLeftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, kKeyRightBracket},
    {SDL_SCANCODE_RETURN, kKeyReturn},
    {SDL_SCANCODE_LCTRL, kKeyLeftControl},
    {SDL_SCANCODE_A, kKeyA},
    {SDL_SCANCODE_S, kKeyS},
    {SDL_SCANCODE_D, kKeyD},
    {SDL_SCANCODE_F, kKeyF},
    {SDL_SCANCODE_G, kKeyG},
    {SDL_SCANCODE_H, kKeyH},
    {SDL_SCANCODE_J, kKeyJ},
    {SDL_SCANCODE_K, kKeyK},
    {SDL_SCANCODE_L, kKeyL},
    {SDL_SCANCODE_SEMICOLON, kKeySemicolon},
    {SDL_SCANCODE_APOSTROPHE, kKeyApostrophe},
    {SDL_SCANCODE_GRAVE, kKeyGrave},
    {SDL_SCANCODE_LSHIFT, kKeyLeftShift},
    {SDL_SCANCODE_BACKSLASH, kKeyBackslash},
    // The key left of Return on ISO keyboards sends the same code as the backslash key.
    {SDL_SCANCODE_NONUSHASH, kKeyBackslash},
    {SDL_SCANCODE_Z, kKeyZ},
    {SDL_SCANCODE_X, kKeyX},
    {SDL_SCANCODE_C, kKeyC},
    {SDL_SCANCODE_V, kKeyV},
    {SDL_SCANCODE_B, kKeyB},
    {SDL_SCANCODE_N, kKeyN},
    {SDL_SCANCODE_M, kKeyM},
    {SDL_SCANCODE_COMMA, kKeyComma},
    {SDL_SCANCODE_PERIOD, kKeyPeriod},
    {SDL_SCANCODE_SLASH, kKeySlash},
    {SDL_SCANCODE_RSHIFT, kKeyRightShift},
    {SDL_SCANCODE_KP_MULTIPLY, kKeyPadMultiply},
    {SDL_SCANCODE_LALT, kKeyLeftAlt},
    {SDL_SCANCODE_SPACE, kKeySpace},
    {SDL_SCANCODE_CAPSLOCK, kKeyCapsLock},
    {SDL_SCANCODE_F1, kKeyF1},
    {SDL_SCANCODE_F2, kKeyF2},
    {SDL_SCANCODE_F3, kKeyF3},
    {SDL_SCANCODE_F4, kKeyF4},
    {SDL_SCANCODE_F5, kKeyF5},
    {SDL_SCANCODE_F6, kKeyF6},
    {SDL_SCANCODE_F7, kKeyF7},
    {SDL_SCANCODE_F8, kKeyF8},
    {SDL_SCANCODE_F9, kKeyF9},
    {SDL_SCANCODE_F10, kKeyF10},
    {SDL_SCANCODE_NUMLOCKCLEAR, kKeyNumLock},
    {SDL_SCANCODE_SCROLLLOCK, kKeyScrollLock},
    {SDL_SCANCODE_KP_7, kKeyPad7},
    {SDL_SCANCODE_KP_8, kKeyPad8},
    {SDL_SCANCODE_KP_9, kKeyPad9},
    {SDL_SCANCODE_KP_MINUS, kKeyPadMinus},
    {SDL_SCANCODE_KP_4, kKeyPad4},
    {SDL_SCANCODE_KP_5, kKeyPad5},
    {SDL_SCANCODE_KP_6, kKeyPad6},
    {SDL_SCANCODE_KP_PLUS, kKeyPadPlus},
    {SDL_SCANCODE_KP_1, kKeyPad1},
    {SDL_SCANCODE_KP_2, kKeyPad2},
    {SDL_SCANCODE_KP_3, kKeyPad3},
    {SDL_SCANCODE_KP_0, kKeyPad0},
    {SDL_SCANCODE_KP_PERIOD, kKeyPadPeriod},
    {SDL_SCANCODE_NONUSBACKSLASH, kKeyNonUsBackslash},
    {SDL_SCANCODE_F11, kKeyF11},
    {SDL_SCANCODE_F12, kKeyF12},
    {SDL_SCANCODE_F13, kKeyF13},
    {SDL_SCANCODE_F14, kKeyF14},
    {SDL_SCANCODE_F15, kKeyF15},
    {SDL_SCANCODE_INTERNATIONAL2, kKeyKana},
    {SDL_SCANCODE_INTERNATIONAL1, kKeyRo},
    {SDL_SCANCODE_INTERNATIONAL4, kKeyConvert},
    {SDL_SCANCODE_INTERNATIONAL5, kKeyNoConvert},
    {SDL_SCANCODE_INTERNATIONAL3, kKeyYen},
    {SDL_SCANCODE_KP_EQUALS, kKeyPadEquals},
    {SDL_SCANCODE_AUDIOPREV, kKeyPrevTrack},
    {SDL_SCANCODE_AUDIONEXT, kKeyNextTrack},
    {SDL_SCANCODE_KP_ENTER, kKeyPadEnter},
    {SDL_SCANCODE_RCTRL, kKeyRightControl},
    {SDL_SCANCODE_MUTE, kKeyMute},
    {SDL_SCANCODE_CALCULATOR, kKeyCalculator},
    {SDL_SCANCODE_AUDIOPLAY, kKeyPlayPause},
    {SDL_SCANCODE_AUDIOSTOP, kKeyMediaStop},
    {SDL_SCANCODE_VOLUMEDOWN, kKeyVolumeDown},
    {SDL_SCANCODE_VOLUMEUP, kKeyVolumeUp},
    {SDL_SCANCODE_AC_HOME, kKeyWebHome},
    {SDL_SCANCODE_KP_COMMA, kKeyPadComma},
    {SDL_SCANCODE_KP_DIVIDE, kKeyPadDivide},
    {SDL_SCANCODE_PRINTSCREEN, kKeyPrintScreen},
    {SDL_SCANCODE_RALT, kKeyRightAlt},
    {SDL_SCANCODE_PAUSE, kKeyPause},
    {SDL_SCANCODE_HOME, kKeyHome},
    {SDL_SCANCODE_UP, kKeyUp},
    {SDL_SCANCODE_PAGEUP, kKeyPageUp},
    {SDL_SCANCODE_LEFT, kKeyLeft},
    {SDL_SCANCODE_RIGHT, kKeyRight},
    {SDL_SCANCODE_END, kKeyEnd},
    {SDL_SCANCODE_DOWN, kKeyDown},
    {SDL_SCANCODE_PAGEDOWN, kKeyPageDown},
    {SDL_SCANCODE_INSERT, kKeyInsert},
    {SDL_SCANCODE_DELETE, kKeyDelete},
    {SDL_SCANCODE_LGUI, kKeyLeftWindows},
    {SDL_SCANCODE_RGUI, kKeyRightWindows},
    {SDL_SCANCODE_APPLICATION, kKeyApplication},
    {SDL_SCANCODE_POWER, kKeyPower},
    {SDL_SCANCODE_SLEEP, kKeySleep},
    {SDL_SCANCODE_AC_SEARCH, kKeyWebSearch},
    {SDL_SCANCODE_AC_BOOKMARKS, kKeyWebFavorites},
    {SDL_SCANCODE_AC_REFRESH, kKeyWebRefresh},
    {SDL_SCANCODE_AC_STOP, kKeyWebStop},
    {SDL_SCANCODE_AC_FORWARD, kKeyWebForward},
    {SDL_SCANCODE_AC_BACK, kKeyWebBack},
    {SDL_SCANCODE_COMPUTER, kKeyMyComputer},
    {SDL_SCANCODE_MAIL, kKeyMail},
    {SDL_SCANCODE_MEDIASELECT, kKeyMediaSelect},
};

struct ScancodeTable
{
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    ScancodeTable()
    {
        for (const ScancodeKey& entry : kScancodeKeys)
            keys[entry.scancode] = entry.key;
    }
};

const ScancodeTable& Table()
{
    static const ScancodeTable table;
    return table;
}

// The live state every device reads, built from events only.
uint8_t g_keys[kKeyCount] = {};
uint8_t g_buttons[kMouseButtonCount] = {};
uint32_t g_sequence = 0;
bool g_keyboardPresent = true;
bool g_mousePresent = true;

std::vector<InputDevice*>& Devices()
{
    static std::vector<InputDevice*> devices;
    return devices;
}

int ButtonIndex(uint8_t sdlButton)
{
    switch (sdlButton)
    {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        // X1, X2 and any further buttons follow in order.
        return sdlButton >= SDL_BUTTON_X1 && sdlButton - 1 < kMouseButtonCount ? sdlButton - 1 : -1;
    }
}

int32_t WheelUnits(const SDL_MouseWheelEvent& wheel)
{
    double notches = wheel.preciseY != 0.0f ? static_cast<double>(wheel.preciseY) : static_cast<double>(wheel.y);
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    double units = std::clamp(notches * kWheelUnitsPerNotch, -1.0e9, 1.0e9);
    return static_cast<int32_t>(std::lround(units));
}

InputEventRecord MakeRecord(uint32_t offset, uint32_t data, uint32_t sequence)
{
    InputEventRecord record;
    record.offset = offset;
    record.data = data;
    record.timeStamp = TickCount();
    record.sequence = sequence;
    const Point pointer = detail::CursorPosition();
    record.pointerX = pointer.x;
    record.pointerY = pointer.y;
    return record;
}

} // namespace

// The event pump's access to the devices' private feeding operations.
struct InputDeviceAccess
{
    static void Record(DeviceKind kind, uint32_t offset, uint32_t data, bool isAxis, uint32_t sequence)
    {
        const InputEventRecord record = MakeRecord(offset, data, sequence);
        for (InputDevice* device : Devices())
            if (device->m_kind == kind && device->m_bAcquired)
                device->Push(record, isAxis);
    }

    static void Move(int axis, int32_t amount)
    {
        for (InputDevice* device : Devices())
            if (device->m_kind == DeviceKind::Mouse && device->m_bAcquired)
                device->m_axis[axis] += amount;
    }

    static void FocusLost()
    {
        for (InputDevice* device : Devices())
            if (device->m_cooperation == Cooperation::Foreground && device->m_bAcquired)
                device->Lose();
    }

    static void HandleKey(const SDL_KeyboardEvent& event, bool down)
    {
        // The scancode field is read as a plain number: an event may carry a value outside SDL_Scancode, and
        // loading it as the enum before the range check would already be undefined.
        int32_t scancode;
        static_assert(sizeof scancode == sizeof event.keysym.scancode);
        std::memcpy(&scancode, &event.keysym.scancode, sizeof scancode);
        uint8_t key = KeyCodeFromScancode(scancode);
        if (key == kKeyNone)
            return;
        uint8_t state = down ? kDownBit : 0;
        // Auto-repeat sends more downs for a held key; a device sees one press.
        if (g_keys[key] == state)
            return;
        g_keys[key] = state;
        Record(DeviceKind::Keyboard, key, state, false, ++g_sequence);
    }

    static void HandleMotion(const SDL_MouseMotionEvent& event)
    {
        detail::OnCursorMoved(event.x, event.y);
        if (event.xrel == 0 && event.yrel == 0)
            return;
        uint32_t sequence = ++g_sequence;
        if (event.xrel != 0)
        {
            Move(0, event.xrel);
            Record(DeviceKind::Mouse, kMouseOffsetX, static_cast<uint32_t>(event.xrel), true, sequence);
        }
        if (event.yrel != 0)
        {
            Move(1, event.yrel);
            Record(DeviceKind::Mouse, kMouseOffsetY, static_cast<uint32_t>(event.yrel), true, sequence);
        }
    }

    static void HandleButton(const SDL_MouseButtonEvent& event, bool down)
    {
        int index = ButtonIndex(event.button);
        if (index < 0)
            return;
        uint8_t state = down ? kDownBit : 0;
        g_buttons[index] = state;
        Record(DeviceKind::Mouse, MouseButtonOffset(index), state, false, ++g_sequence);
    }

    static void HandleWheel(const SDL_MouseWheelEvent& event)
    {
        int32_t units = WheelUnits(event);
        if (units == 0)
            return;
        Move(2, units);
        Record(DeviceKind::Mouse, kMouseOffsetZ, static_cast<uint32_t>(units), true, ++g_sequence);
    }

    static void HandleWindow(const SDL_WindowEvent& event)
    {
        switch (event.event)
        {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            detail::SetWindowFocused(true);
            detail::PostWindowMessage({WindowMessage::Activate, true});
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            detail::SetWindowFocused(false);
            FocusLost();
            detail::ForgetHeldInput();
            detail::PostWindowMessage({WindowMessage::Activate, false});
            break;
        case SDL_WINDOWEVENT_CLOSE:
            detail::PostWindowMessage({WindowMessage::Close, false});
            break;
        case SDL_WINDOWEVENT_ENTER:
            detail::OnPointerInWindow(true);
            break;
        case SDL_WINDOWEVENT_LEAVE:
            detail::OnPointerInWindow(false);
            break;
        default:
            break;
        }
    }

    static void Handle(const SDL_Event& event)
    {
        switch (event.type)
        {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            HandleKey(event.key, event.type == SDL_KEYDOWN);
            break;
        case SDL_MOUSEMOTION:
            if (event.motion.which != SDL_TOUCH_MOUSEID)
                HandleMotion(event.motion);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.button.which != SDL_TOUCH_MOUSEID)
                HandleButton(event.button, event.type == SDL_MOUSEBUTTONDOWN);
            break;
        case SDL_MOUSEWHEEL:
            if (event.wheel.which != SDL_TOUCH_MOUSEID)
                HandleWheel(event.wheel);
            break;
        case SDL_WINDOWEVENT:
            HandleWindow(event.window);
            break;
        case SDL_QUIT:
            detail::PostWindowMessage({WindowMessage::Close, false});
            break;
        default:
            break;
        }
    }
};

uint8_t KeyCodeFromScancode(int scancode)
{
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES)
        return kKeyNone;
    return Table().keys[scancode];
}

// ---- InputDevice ----

InputDevice::InputDevice(DeviceKind kind) : m_kind(kind)
{
    Devices().push_back(this);
}

InputDevice::~InputDevice()
{
    auto& devices = Devices();
    devices.erase(std::remove(devices.begin(), devices.end(), this), devices.end());
}

InputResult InputDevice::SetCooperativeLevel(Cooperation cooperation)
{
    m_cooperation = cooperation;
    return InputResult::Ok;
}

InputResult InputDevice::SetBufferSize(uint32_t records)
{
    // A buffer of a million records is far beyond any reader's need; larger requests are refused.
    if (records > (1u << 20))
        return InputResult::InvalidArgument;
    m_pRecords.reset(records ? new InputEventRecord[records] : nullptr);
    m_uBufferSize = records;
    m_uHead = 0;
    m_uCount = 0;
    m_bOverflowed = false;
    return InputResult::Ok;
}

InputResult InputDevice::Acquire()
{
    // The focus is judged as it stands now, so focus changes still queued are taken first.
    PumpEvents();
    if (m_bAcquired)
        return InputResult::Ok;
    if (m_cooperation == Cooperation::Foreground && !IsWindowFocused())
        return InputResult::OtherAppHasPriority;
    m_bAcquired = true;
    m_bLost = false;
    m_uHead = 0;
    m_uCount = 0;
    m_bOverflowed = false;
    m_axis[0] = m_axis[1] = m_axis[2] = 0;
    // Releases that happened while this device was not reading (the live state was forgotten with the focus,
    // or the button went up in the background).
    for (uint32_t offset = 0; offset < m_held.size(); ++offset)
    {
        if (!m_held[offset])
            continue;
        bool down =
            m_kind == DeviceKind::Keyboard ? g_keys[offset] != 0 : g_buttons[offset - MouseButtonOffset(0)] != 0;
        if (!down)
            Push(MakeRecord(offset, 0, ++g_sequence), false);
    }
    return InputResult::Ok;
}

InputResult InputDevice::Unacquire()
{
    m_bAcquired = false;
    m_bLost = false;
    return InputResult::Ok;
}

InputResult InputDevice::GetState(void* out, size_t size)
{
    if (!out)
        return InputResult::InvalidArgument;
    PumpEvents();
    if (!m_bAcquired)
        return m_bLost ? InputResult::Lost : InputResult::NotAcquired;
    if (m_kind == DeviceKind::Keyboard)
    {
        if (size < kKeyCount)
            return InputResult::InvalidArgument;
        std::memcpy(out, g_keys, kKeyCount);
        return InputResult::Ok;
    }
    if (size < sizeof(MouseStateRecord))
        return InputResult::InvalidArgument;
    MouseStateRecord state;
    int32_t* axes[3] = {&state.x, &state.y, &state.z};
    for (int i = 0; i < 3; ++i)
    {
        *axes[i] = static_cast<int32_t>(std::clamp<int64_t>(m_axis[i], INT32_MIN, INT32_MAX));
        m_axis[i] = 0;
    }
    std::memcpy(state.buttons, g_buttons, kMouseButtonCount);
    std::memcpy(out, &state, sizeof state);
    return InputResult::Ok;
}

InputResult InputDevice::GetBufferedData(InputEventRecord* out, uint32_t* count, bool* overflowed)
{
    if (!count || (!out && *count))
        return InputResult::InvalidArgument;
    PumpEvents();
    if (overflowed)
        *overflowed = false;
    if (!m_bAcquired)
    {
        *count = 0;
        return m_bLost ? InputResult::Lost : InputResult::NotAcquired;
    }
    uint32_t taken = std::min(*count, m_uCount);
    for (uint32_t i = 0; i < taken; ++i)
        out[i] = m_pRecords[(m_uHead + i) % m_uBufferSize];
    if (taken)
    {
        m_uHead = (m_uHead + taken) % m_uBufferSize;
        m_uCount -= taken;
    }
    *count = taken;
    if (overflowed)
        *overflowed = m_bOverflowed;
    m_bOverflowed = false;
    return InputResult::Ok;
}

int32_t InputDevice::GetAxisGranularity(uint32_t offset) const
{
    if (m_kind != DeviceKind::Mouse)
        return 0;
    if (offset == kMouseOffsetZ)
        return kWheelUnitsPerNotch;
    return offset == kMouseOffsetX || offset == kMouseOffsetY ? 1 : 0;
}

bool InputDevice::HasObject(uint32_t offset) const
{
    if (m_kind == DeviceKind::Keyboard)
        return offset < kKeyCount && offset != kKeyNone;
    return offset == kMouseOffsetX || offset == kMouseOffsetY || offset == kMouseOffsetZ ||
           (offset >= MouseButtonOffset(0) && offset < MouseButtonOffset(kMouseButtonCount));
}

void InputDevice::Push(const InputEventRecord& record, bool isAxis)
{
    if (!isAxis)
        m_held[record.offset] = (record.data & kDownBit) != 0;
    if (m_uBufferSize == 0)
        return;
    if (m_uCount == m_uBufferSize)
    {
        // Full: movement joins the newest record of its axis that no button record follows, so the totals
        // stay right and no press or release is lost to a fast mouse.
        if (isAxis)
        {
            for (uint32_t i = m_uCount; i-- > 0;)
            {
                InputEventRecord& queued = At(i);
                if (queued.offset > kMouseOffsetZ)
                    break;
                if (queued.offset == record.offset)
                {
                    queued.data = static_cast<uint32_t>(
                        AddMovement(static_cast<int32_t>(queued.data), static_cast<int32_t>(record.data)));
                    queued.timeStamp = record.timeStamp;
                    queued.sequence = record.sequence;
                    queued.pointerX = record.pointerX;
                    queued.pointerY = record.pointerY;
                    return;
                }
            }
        }
        DropOneRecord();
        m_bOverflowed = true;
    }
    At(m_uCount) = record;
    ++m_uCount;
}

void InputDevice::DropOneRecord()
{
    uint32_t victim = 0;
    if (m_kind == DeviceKind::Mouse)
    {
        // The oldest movement record; only a buffer of nothing but button records loses its oldest press or
        // release. The next read reports the overflow either way.
        for (uint32_t i = 0; i < m_uCount; ++i)
        {
            if (At(i).offset <= kMouseOffsetZ)
            {
                victim = i;
                break;
            }
        }
    }
    if (victim == 0)
        m_uHead = (m_uHead + 1) % m_uBufferSize;
    else
        for (uint32_t i = victim; i + 1 < m_uCount; ++i)
            At(i) = At(i + 1);
    --m_uCount;
}

void InputDevice::Lose()
{
    m_bAcquired = false;
    m_bLost = true;
    m_uHead = 0;
    m_uCount = 0;
    m_axis[0] = m_axis[1] = m_axis[2] = 0;
}

// ---- InputSystem ----

std::unique_ptr<InputSystem> InputSystem::Create()
{
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0)
        return nullptr;
    return std::unique_ptr<InputSystem>(new InputSystem);
}

InputSystem::~InputSystem()
{
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

std::unique_ptr<InputDevice> InputSystem::CreateDevice(DeviceKind kind)
{
    bool present = kind == DeviceKind::Keyboard ? g_keyboardPresent : g_mousePresent;
    if (!present)
        return nullptr;
    return std::unique_ptr<InputDevice>(new InputDevice(kind));
}

// ---- pump and live state ----

void PumpEvents()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        InputDeviceAccess::Handle(event);
}

bool IsKeyDownAsync(uint8_t key)
{
    PumpEvents();
    return (g_keys[key] & kDownBit) != 0;
}

void SetDevicesPresent(bool keyboard, bool mouse)
{
    g_keyboardPresent = keyboard;
    g_mousePresent = mouse;
}

namespace detail
{

void ForgetHeldInput()
{
    // Readers that keep reading (background devices) are told of each release; lost ones hear of them when
    // they are acquired again.
    for (int key = 0; key < kKeyCount; ++key)
        if (g_keys[key])
            InputDeviceAccess::Record(DeviceKind::Keyboard, static_cast<uint32_t>(key), 0, false, ++g_sequence);
    for (int button = 0; button < kMouseButtonCount; ++button)
        if (g_buttons[button])
            InputDeviceAccess::Record(DeviceKind::Mouse, MouseButtonOffset(button), 0, false, ++g_sequence);
    std::memset(g_keys, 0, sizeof g_keys);
    std::memset(g_buttons, 0, sizeof g_buttons);
}

} // namespace detail

} // namespace platform
