// The engine's input service: keyboard state, buffered mouse buttons, cursor, deltas, grab and replay naming.
#pragma once

#include "engine/core/EngineService.h"
#include "platform/Input.h"

#include <cstdint>
#include <cstdio>
#include <memory>

class EngineInput : public EngineService
{
public:
    static constexpr uint32_t kMouseBufferSize = 16;

    EngineInput();
    ~EngineInput() override;

    // Starts the input system, the keyboard and the mouse; non-zero on success (the service is then ready).
    int32_t Init() override;
    // Releases the devices and the input system; the service is no longer ready.
    void Shutdown() override;
    // Reads the keyboard and the mouse; does nothing unless ready. Called once per frame.
    virtual void Update();

    // Cursor position in client pixels at the last update.
    virtual int32_t GetMouseX() const;
    virtual int32_t GetMouseY() const;
    // Wheel movement of the last update in notches (device units / granularity, toward zero).
    virtual int32_t GetWheelNotches() const;
    // Movement between the two updates before the last one (the anchor when grabbed).
    virtual int32_t GetMouseDeltaX() const;
    virtual int32_t GetMouseDeltaY() const;
    // Wheel movement of the last update in device units.
    virtual int32_t GetWheelRaw() const;
    // Button states, 1 = down.
    virtual int32_t GetButton0() const;
    virtual int32_t GetButton1() const;
    virtual int32_t GetButton2() const;
    // Down now and up at the previous update.
    virtual bool WasButtonPressed0() const;
    virtual bool WasButtonPressed1() const;
    virtual bool WasButtonPressed2() const;
    // Up now and down at the previous update.
    virtual bool WasButtonReleased0() const;
    virtual bool WasButtonReleased1() const;
    virtual bool WasButtonReleased2() const;
    // Bit 7 of the key's state in this update (key code 0 to 255; anything else is never down).
    virtual bool IsKeyDown(int key) const;
    // Down at the previous update and up in this one.
    virtual bool WasKeyReleased(int key) const;
    // Hides the cursor and keeps it at its present client position, which then anchors the deltas.
    virtual void GrabMouse();
    virtual void ReleaseMouse();
    virtual bool IsMouseGrabbed() const;
    // Claims the next free replay file "Replays\<scenario>_<n>.rpf" in the user folder; nothing is ever written
    // to it.
    virtual void StartReplayRecording(const char* scenarioName);
    virtual void Reserved24();
    virtual void Reserved25();
    virtual void Reserved26();
    virtual void ResetUpdateCount();
    virtual uint32_t GetUpdateCount() const;
    // Acquires the mouse again (the main window was activated).
    virtual void ReacquireMouse();
    virtual void Reserved30();
    // Background cooperation for the devices the next Init creates.
    virtual void SetBackground(bool background);

    // The name the window procedure knows the re-acquisition by.
    void ReacquireDevice() { ReacquireMouse(); }

    // Button state by index 0 to 2 (0 for any other index).
    int32_t GetButton(int button) const;
    bool IsReady() const { return m_bReady; }
    bool IsRecording() const { return m_bRecording; }
    uint32_t GetReplayStart() const { return m_uReplayStart; }
    int32_t GetWheelGranularity() const { return m_sWheelGranularity; }

private:
    struct Button
    {
        uint8_t state = 0;
        uint8_t previous = 0;
        uint8_t releasePending = 0;
    };

    void Reset();
    void ReleaseDevices();
    // Reads the buffered button records (a press counts only when the pointer was inside the window when it
    // came); false when the mouse could not be read nor acquired again.
    bool ReadButtonEvents();

    uint8_t m_keys[platform::kKeyCount] = {};
    uint8_t m_previousKeys[platform::kKeyCount] = {};
    uint8_t m_rawKeys[platform::kKeyCount] = {};
    uint32_t m_uUpdateCount = 0;
    bool m_bBackground = false;
    std::unique_ptr<platform::InputSystem> m_pDirectInput;
    std::unique_ptr<platform::InputDevice> m_pMouse;
    std::unique_ptr<platform::InputDevice> m_pKeyboard;
    platform::MouseStateRecord m_mouseState;
    int16_t m_sX = 0;
    int16_t m_sY = 0;
    int16_t m_sAnchorX = 0;
    int16_t m_sAnchorY = 0;
    int16_t m_sWheelNotches = 0;
    int16_t m_sWheelRaw = 0;
    int16_t m_sWheelGranularity = 1;
    int16_t m_sDeltaX = 0;
    int16_t m_sDeltaY = 0;
    Button m_buttons[3];
    bool m_bReady = false;
    // The position has been read once since Init (until then there is nothing to measure movement from).
    bool m_bPositioned = false;
    bool m_bGrabbed = false;
    int32_t m_iGrabX = 0;
    int32_t m_iGrabY = 0;
    bool m_bRecording = false;
    FILE* m_pReplayFile = nullptr;
    uint32_t m_uReplayStart = 0;
};
