// The park view's per-frame mouse summary: position, deltas, wheel, drag detection and hold timing.
#pragma once

#include <cstdint>

class MouseState
{
public:
    static constexpr int32_t kDragThreshold = 5;
    // A single held button starts repeating after this long, then marks every repeat period.
    static constexpr uint32_t kHoldDelayMs = 500;
    static constexpr uint32_t kRepeatPeriodMs = 100;

    MouseState();

    // Updates the engine input service and takes this frame's position, deltas and wheel from it; tracks
    // the drag and the hold of a single held button. Does nothing while there is no engine input service.
    void Update();

    // Thin wrappers over the engine input service, for the cameras.
    bool IsEngineKeyDown(int key) const;
    void GrabMouse();
    void ReleaseMouse();
    bool IsMouseGrabbed() const;
    int32_t GetLeftButton() const;
    int32_t GetRightButton() const;

    int32_t GetX() const { return m_sX; }
    int32_t GetY() const { return m_sY; }
    int32_t GetDeltaX() const { return m_sDeltaX; }
    int32_t GetDeltaY() const { return m_sDeltaY; }
    int32_t GetWheel() const { return m_sWheel; }
    bool IsDragging() const { return m_bDragging; }
    float GetDragX() const { return m_fDragX; }
    float GetDragY() const { return m_fDragY; }
    bool IsHolding() const { return m_bHolding; }
    bool IsRepeating() const { return m_bRepeating; }
    uint32_t GetHoldMark() const { return m_uHoldMark; }
    uint32_t GetHoldTime() const { return m_uHoldTime; }

private:
    int16_t m_sX = 0;
    int16_t m_sY = 0;
    int16_t m_sDeltaX = 0;
    int16_t m_sDeltaY = 0;
    int16_t m_sWheel = 0;
    bool m_bDragging = false;
    int32_t m_iDragThreshold = kDragThreshold;
    float m_fDragX = 0.0f;
    float m_fDragY = 0.0f;
    bool m_bHolding = false;
    bool m_bRepeating = false;
    uint32_t m_uHoldMark = 0;
    uint32_t m_uHoldTime = 0;
};

// The one mouse state; the Game starts it afresh by assigning a new MouseState.
extern MouseState g_MouseState;
