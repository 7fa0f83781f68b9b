// Keyboard and mouse devices over SDL events: the event pump, key codes, device states and buffered records.
#pragma once

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform
{

// Keyboard codes: the classic set-1 scan codes (extended keys carry 0x80), 0 to 255. Key states and key tables
// of the game are indexed by them.
enum KeyCode : uint8_t
{
    kKeyNone = 0x00,
    kKeyEscape = 0x01,
    kKey1 = 0x02,
    kKey2 = 0x03,
    kKey3 = 0x04,
    kKey4 = 0x05,
    kKey5 = 0x06,
    kKey6 = 0x07,
    kKey7 = 0x08,
    kKey8 = 0x09,
    kKey9 = 0x0A,
    kKey0 = 0x0B,
    kKeyMinus = 0x0C,
    kKeyEquals = 0x0D,
    kKeyBackspace = 0x0E,
    kKeyTab = 0x0F,
    kKeyQ = 0x10,
    kKeyW = 0x11,
    kKeyE = 0x12,
    kKeyR = 0x13,
    kKeyT = 0x14,
    kKeyY = 0x15,
    kKeyU = 0x16,
    kKeyI = 0x17,
    kKeyO = 0x18,
    kKeyP = 0x19,
    kKeyLeftBracket = 0x1A,
    kKeyRightBracket = 0x1B,
    kKeyReturn = 0x1C,
    kKeyLeftControl = 0x1D,
    kKeyA = 0x1E,
    kKeyS = 0x1F,
    kKeyD = 0x20,
    kKeyF = 0x21,
    kKeyG = 0x22,
    kKeyH = 0x23,
    kKeyJ = 0x24,
    kKeyK = 0x25,
    kKeyL = 0x26,
    kKeySemicolon = 0x27,
    kKeyApostrophe = 0x28,
    kKeyGrave = 0x29,
    kKeyLeftShift = 0x2A,
    kKeyBackslash = 0x2B,
    kKeyZ = 0x2C,
    kKeyX = 0x2D,
    kKeyC = 0x2E,
    kKeyV = 0x2F,
    kKeyB = 0x30,
    kKeyN = 0x31,
    kKeyM = 0x32,
    kKeyComma = 0x33,
    kKeyPeriod = 0x34,
    kKeySlash = 0x35,
    kKeyRightShift = 0x36,
    kKeyPadMultiply = 0x37,
    kKeyLeftAlt = 0x38,
    kKeySpace = 0x39,
    kKeyCapsLock = 0x3A,
    kKeyF1 = 0x3B,
    kKeyF2 = 0x3C,
    kKeyF3 = 0x3D,
    kKeyF4 = 0x3E,
    kKeyF5 = 0x3F,
    kKeyF6 = 0x40,
    kKeyF7 = 0x41,
    kKeyF8 = 0x42,
    kKeyF9 = 0x43,
    kKeyF10 = 0x44,
    kKeyNumLock = 0x45,
    kKeyScrollLock = 0x46,
    kKeyPad7 = 0x47,
    kKeyPad8 = 0x48,
    kKeyPad9 = 0x49,
    kKeyPadMinus = 0x4A,
    kKeyPad4 = 0x4B,
    kKeyPad5 = 0x4C,
    kKeyPad6 = 0x4D,
    kKeyPadPlus = 0x4E,
    kKeyPad1 = 0x4F,
    kKeyPad2 = 0x50,
    kKeyPad3 = 0x51,
    kKeyPad0 = 0x52,
    kKeyPadPeriod = 0x53,
    kKeyNonUsBackslash = 0x56,
    kKeyF11 = 0x57,
    kKeyF12 = 0x58,
    kKeyF13 = 0x64,
    kKeyF14 = 0x65,
    kKeyF15 = 0x66,
    kKeyKana = 0x70,
    kKeyRo = 0x73,
    kKeyConvert = 0x79,
    kKeyNoConvert = 0x7B,
    kKeyYen = 0x7D,
    kKeyPadEquals = 0x8D,
    kKeyPrevTrack = 0x90,
    kKeyNextTrack = 0x99,
    kKeyPadEnter = 0x9C,
    kKeyRightControl = 0x9D,
    kKeyMute = 0xA0,
    kKeyCalculator = 0xA1,
    kKeyPlayPause = 0xA2,
    kKeyMediaStop = 0xA4,
    kKeyVolumeDown = 0xAE,
    kKeyVolumeUp = 0xB0,
    kKeyWebHome = 0xB2,
    kKeyPadComma = 0xB3,
    kKeyPadDivide = 0xB5,
    kKeyPrintScreen = 0xB7,
    kKeyRightAlt = 0xB8,
    kKeyPause = 0xC5,
    kKeyHome = 0xC7,
    kKeyUp = 0xC8,
    kKeyPageUp = 0xC9,
    kKeyLeft = 0xCB,
    kKeyRight = 0xCD,
    kKeyEnd = 0xCF,
    kKeyDown = 0xD0,
    kKeyPageDown = 0xD1,
    kKeyInsert = 0xD2,
    kKeyDelete = 0xD3,
    kKeyLeftWindows = 0xDB,
    kKeyRightWindows = 0xDC,
    kKeyApplication = 0xDD,
    kKeyPower = 0xDE,
    kKeySleep = 0xDF,
    kKeyWebSearch = 0xE5,
    kKeyWebFavorites = 0xE6,
    kKeyWebRefresh = 0xE7,
    kKeyWebStop = 0xE8,
    kKeyWebForward = 0xE9,
    kKeyWebBack = 0xEA,
    kKeyMyComputer = 0xEB,
    kKeyMail = 0xEC,
    kKeyMediaSelect = 0xED,
};

constexpr int kKeyCount = 256;
// Bit of a key or button state (and of a buffered button record's data) that means "down".
constexpr uint8_t kDownBit = 0x80;

// The key code of an SDL scancode (SDL_Scancode as int); kKeyNone for keys the game cannot see.
uint8_t KeyCodeFromScancode(int scancode);

// The sum of two axis movements, held at the 32-bit limits instead of wrapping.
inline int32_t AddMovement(int32_t a, int32_t b)
{
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{a} + b, INT32_MIN, INT32_MAX));
}

// Device units of one wheel notch.
constexpr int32_t kWheelUnitsPerNotch = 120;
constexpr int kMouseButtonCount = 8;

// The whole state of a mouse: movement of the x, y and z (wheel) axes since the previous state read, and the
// eight buttons (kDownBit set = down). 20 bytes.
struct MouseStateRecord
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    uint8_t buttons[kMouseButtonCount] = {};
};
static_assert(sizeof(MouseStateRecord) == 20);

// Buffered records name their axis or button by its offset in MouseStateRecord; keyboard records by key code.
constexpr uint32_t kMouseOffsetX = 0;
constexpr uint32_t kMouseOffsetY = 4;
constexpr uint32_t kMouseOffsetZ = 8;
constexpr uint32_t MouseButtonOffset(int button)
{
    return 12u + static_cast<uint32_t>(button);
}

// One buffered input record: the axis or button (mouse) or key (keyboard); the data (an axis movement as a
// signed value, or kDownBit for a press and 0 for a release); the time stamp in milliseconds; a sequence
// number shared by the records of one event and growing with every event, keyboard and mouse alike; a value
// the application may use; and where the pointer was (screen coordinates) when the event came: a press or
// release where it happened, a movement where it ended.
struct InputEventRecord
{
    uint32_t offset = 0;
    uint32_t data = 0;
    uint32_t timeStamp = 0;
    uint32_t sequence = 0;
    uintptr_t appData = 0;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
};

enum class InputResult
{
    Ok,
    Lost,                // the device was taken away (focus lost); acquire it again
    NotAcquired,         // the device is not acquired
    OtherAppHasPriority, // acquiring is refused while the window is in the background
    InvalidArgument,
};

inline bool Succeeded(InputResult result)
{
    return result == InputResult::Ok;
}

enum class DeviceKind
{
    Keyboard,
    Mouse,
};

enum class Cooperation
{
    Foreground, // the device is lost while the window does not have the focus
    Background, // the device keeps reading while the window is in the background
};

// One reader of the keyboard or the mouse. Every device keeps its own buffer and its own axis movement, so
// two readers of the same mouse never take each other's input. Reads drain the event queue first.
class InputDevice
{
public:
    ~InputDevice();
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    DeviceKind Kind() const { return m_kind; }

    InputResult SetCooperativeLevel(Cooperation cooperation);
    // Number of records the device buffers (0: no buffering); records come only while it is acquired.
    InputResult SetBufferSize(uint32_t records);
    uint32_t BufferSize() const { return m_uBufferSize; }

    // Starts reading. Refused (OtherAppHasPriority) for a foreground device while the window has no focus.
    // Acquiring an acquired device succeeds and changes nothing. Drains the event queue first. A key or button
    // whose last record this device gave was a press, and that went up while the device was not reading,
    // gets its release record now, so no reader keeps it held.
    InputResult Acquire();
    InputResult Unacquire();
    bool IsAcquired() const { return m_bAcquired; }

    // Keyboard: 256 key states, `size` at least 256. Mouse: a MouseStateRecord, `size` at least 20; the axes
    // are the movement since this device's previous state read.
    InputResult GetState(void* out, size_t size);

    // Takes up to *count records, oldest first; *count becomes the number taken. `overflowed`, when given,
    // tells whether records were dropped because the buffer was full.
    InputResult GetBufferedData(InputEventRecord* out, uint32_t* count, bool* overflowed = nullptr);

    // Device units per detent of an axis (the wheel: kWheelUnitsPerNotch; x and y: 1); 0 for no axis.
    int32_t GetAxisGranularity(uint32_t offset) const;
    // Whether the device has an axis or button at the offset (mouse) or a key with that code (keyboard).
    bool HasObject(uint32_t offset) const;

private:
    friend class InputSystem;
    friend struct InputDeviceAccess;
    explicit InputDevice(DeviceKind kind);

    void Push(const InputEventRecord& record, bool isAxis);
    // Makes room in a full buffer: a movement record goes before any press or release does.
    void DropOneRecord();
    InputEventRecord& At(uint32_t index) { return m_pRecords[(m_uHead + index) % m_uBufferSize]; }
    void Lose();

    DeviceKind m_kind;
    Cooperation m_cooperation = Cooperation::Foreground;
    bool m_bAcquired = false;
    bool m_bLost = false;
    bool m_bOverflowed = false;
    uint32_t m_uBufferSize = 0;
    // Ring of buffered records.
    std::unique_ptr<InputEventRecord[]> m_pRecords;
    uint32_t m_uHead = 0;
    uint32_t m_uCount = 0;
    // Axis movement since the previous state read.
    int64_t m_axis[3] = {};
    // Keys or buttons (by record offset) whose last record given to this device was a press.
    std::bitset<kKeyCount> m_held;
};

// The input system: starts the event subsystem and makes devices.
class InputSystem
{
public:
    // Null when the event subsystem cannot be started.
    static std::unique_ptr<InputSystem> Create();
    ~InputSystem();
    InputSystem(const InputSystem&) = delete;
    InputSystem& operator=(const InputSystem&) = delete;

    // A new reader of the system keyboard or mouse; null when the machine has none (see SetDevicesPresent).
    std::unique_ptr<InputDevice> CreateDevice(DeviceKind kind);

private:
    InputSystem() = default;
};

// Drains SDL's event queue into the input state, the acquired devices and the window message queue. The main
// loop calls it every frame; device reads and cursor queries call it too.
void PumpEvents();

// Whether a key is down right now (drains the event queue first).
bool IsKeyDownAsync(uint8_t key);

// Which devices the machine has (both by default); a missing one cannot be created.
void SetDevicesPresent(bool keyboard, bool mouse);

namespace detail
{
// Forgets every held key and button (the window went away or lost the focus).
void ForgetHeldInput();
} // namespace detail

} // namespace platform
