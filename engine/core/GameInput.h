// The game's own keyboard and mouse reader: key edges, two buttons, deltas, wheel, cursor position and lock.
#pragma once

#include "platform/Input.h"
#include "platform/Window.h"

#include <cstdint>
#include <memory>

class GameInput
{
public:
    static constexpr uint32_t kMouseBufferSize = 60;
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
    // Reads the keyboard, then the mouse; false when a device is missing. Called once per frame.
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

    // Pins the system cursor to its pixel (the deltas then come from the raw movement) or frees it.
    void LockCursor(bool locked);
    // Shows the standard arrow (whatever the id) and records the id.
    void SetCursorShape(int32_t shape);
    // Sets the recorded shape again (the application was activated).
    void RestoreCursor();
    // Records whether the system cursor is used; switching it off hides it.
    void SetSystemCursor(bool on);
    // Forgets both buttons and their pending releases.
    void ClearMouseButtons();

    bool HasWheel() const { return m_bHasWheel; }
    bool IsLocked() const { return m_bLocked; }
    bool IsSystemCursor() const { return m_bSystemCursor; }
    int32_t GetCursorShape() const { return m_iCursorShape; }
    bool IsWindowed() const { return m_bWindowed; }

private:
    bool InitKeyboard(void* window);
    bool InitMouse(void* window);
    bool ReadKeyboard();
    bool ReadMouse();
    // Went-down buttons become held and pending releases take effect.
    void AgeButtons();

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
    bool m_bHasWheel = false;
    bool m_bSystemCursor = false;
    int32_t m_iCursorShape = 0;
    bool m_bLocked = false;
    platform::Rect m_clip;
    platform::InputEventRecord m_events[kMouseBufferSize];
    uint32_t m_uEventCount = 0;
    bool m_bLeftReleasePending = false;
    bool m_bRightReleasePending = false;
};

extern GameInput* g_pGameInput;

// Shows the system cursor until its display count is not negative.
void ShowSystemCursor();
// Hides the system cursor until its display count is negative.
void HideSystemCursor();
