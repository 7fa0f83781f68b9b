// The game's own keyboard and mouse reader: key edges, two buttons, deltas, wheel, cursor position and lock.
// Every press and release counts: the keyboard's and the mouse's records wait in one queue, in the order they
// came, and each frame takes them up to the first that would change a key or button a second time, so a tap
// shorter than a frame reads went-down in one frame and up in the next.
#pragma once

#include "platform/Input.h"
#include "platform/Window.h"

#include <bitset>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class GameInput
{
public:
    static constexpr uint32_t kMouseBufferSize = 60;
    static constexpr uint32_t kKeyboardBufferSize = 256;
    // Records the queue holds at most; beyond, the oldest take effect at once without being reported as edges.
    static constexpr size_t kMaxQueuedRecords = 1024;
    // Both coordinates read this while the cursor is outside the window in windowed mode.
    static constexpr int32_t kOutsideWindow = -300;

    // Key and button states.
    enum : uint8_t
    {
        kUp = 0,
        kWentDown = 1,
        kHeld = 2,
    };

    GameInput(int32_t width, int32_t height, bool windowed);
    ~GameInput();
    GameInput(const GameInput&) = delete;
    GameInput& operator=(const GameInput&) = delete;

    // Starts the input system, the keyboard and the mouse; false at the first failure.
    bool Init(void* instance, void* window, uint32_t reserved = 0);
    // Reads the keyboard's and the mouse's records, then takes this frame's share of them; false when a device
    // is missing. Called once per frame. A press or release comes in a frame that shows the pointer where it
    // happened: when the pointer moved there in the same frame, the frame shows it there and the press or
    // release follows in the next (so whatever is under the pointer has seen it arrive), and a frame with a
    // press or release ends before the pointer moves on.
    bool Update();

    bool IsKeyHeld(int key) const;
    bool IsKeyPressed(int key) const;
    bool AnyKeyPressed() const;
    // 0 up, 1 went down this frame, 2 held.
    int32_t GetLeftButton() const { return m_iLeft; }
    int32_t GetRightButton() const { return m_iRight; }
    int32_t GetMouseDeltaX() const { return m_iDeltaX; }
    int32_t GetMouseDeltaY() const { return m_iDeltaY; }
    // Sum of this frame's wheel movements in device units.
    int32_t GetWheelDelta() const { return m_iWheel; }
    int32_t GetMouseX() const { return m_iCursorX; }
    int32_t GetMouseY() const { return m_iCursorY; }
    // Whether this frame saw the pointer over the game window. Full screen, a pointer off the window still reads
    // on the picture's nearest edge; it is not over the window then, nor while the mouse cannot be read (the
    // window is in the background).
    bool IsPointerOverWindow() const { return m_bPointerOverWindow; }

    // Pins the system cursor to its pixel (the deltas then come from the raw movement) or frees it.
    void LockCursor(bool locked);
    // Shows the standard arrow (whatever the id) and records the id.
    void SetCursorShape(int32_t shape);
    // Sets the recorded shape again (the application was activated).
    void RestoreCursor();
    // Records whether the system cursor is used; switching it off hides it.
    void SetSystemCursor(bool on);
    // Forgets both buttons and the presses and releases of them still waiting.
    void ClearMouseButtons();
    // Forgets every key: all read up, and the presses and releases of keys still waiting are dropped. A key still
    // down reads up until it is pressed again.
    void ReleaseKeys();

    bool HasWheel() const { return m_bHasWheel; }
    bool IsLocked() const { return m_bLocked; }
    bool IsSystemCursor() const { return m_bSystemCursor; }
    int32_t GetCursorShape() const { return m_iCursorShape; }
    bool IsWindowed() const { return m_bWindowed; }

    // Records read but not yet taken (waiting behind an earlier change of the same key or button).
    size_t GetQueuedRecordCount() const { return m_queue.size(); }

private:
    // A record waiting in the queue, and which device gave it.
    struct QueuedRecord
    {
        platform::InputEventRecord record;
        bool mouse = false;
    };
    // Where the pointer of a screen position is for the game: `x`, `y` as reported (clamped to the screen, or
    // kOutsideWindow for both outside a window), `rawX`, `rawY` before that.
    struct Place
    {
        int32_t x = 0;
        int32_t y = 0;
        int32_t rawX = 0;
        int32_t rawY = 0;
        bool overWindow = true; // the position lies on the game window (or there is no window)
        bool operator==(const Place& other) const { return x == other.x && y == other.y; }
    };

    bool InitKeyboard(void* window);
    bool InitMouse(void* window);
    // Appends the device's new records to `out`; false when it could not be read (it is acquired again).
    bool ReadRecords(platform::InputDevice& device, std::vector<platform::InputEventRecord>& out);
    Place PlaceOf(int32_t screenX, int32_t screenY) const;
    // Takes this frame's records from the queue. The position is taken from the records, or from the cursor
    // when every record was taken and `mouseRead`.
    void TakeFrame(bool mouseRead);
    // A record the queue has no room for: its change takes effect without an edge.
    void ApplyQuietly(const QueuedRecord& queued);
    // Went-down keys and buttons become held.
    void AgeStates();

    std::unique_ptr<platform::InputSystem> m_pDirectInput;
    std::unique_ptr<platform::InputDevice> m_pKeyboard;
    std::unique_ptr<platform::InputDevice> m_pMouse;
    void* m_pWindow = nullptr;
    void* m_pInstance = nullptr;
    int32_t m_iWidth = 0;
    int32_t m_iHeight = 0;
    bool m_bWindowed = false;
    uint8_t m_keys[platform::kKeyCount] = {};
    int32_t m_iLeft = 0;
    int32_t m_iRight = 0;
    int32_t m_iDeltaX = 0;
    int32_t m_iDeltaY = 0;
    int32_t m_iWheel = 0;
    int32_t m_iCursorX = 0;
    int32_t m_iCursorY = 0;
    bool m_bPointerOverWindow = false;
    bool m_bHasWheel = false;
    bool m_bSystemCursor = false;
    int32_t m_iCursorShape = 0;
    bool m_bLocked = false;
    platform::Rect m_clip;
    platform::InputEventRecord m_events[kKeyboardBufferSize];
    uint32_t m_uEventCount = 0;
    std::deque<QueuedRecord> m_queue;
    // The frame's records of the keyboard and of the mouse before they are merged into the queue.
    std::vector<platform::InputEventRecord> m_keyRecords;
    std::vector<platform::InputEventRecord> m_mouseRecords;
    // A frame has been taken since Init (before it, nothing has been shown of the pointer, so a press does not
    // wait for it to be shown).
    bool m_bShown = false;
};

extern GameInput* g_pGameInput;

// Shows the system cursor until its display count is not negative.
void ShowSystemCursor();
// Hides the system cursor until its display count is negative.
void HideSystemCursor();
