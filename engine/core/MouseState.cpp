// The park view's per-frame mouse summary over the engine input service.
#include "engine/core/MouseState.h"

#include "engine/core/EngineCore.h"
#include "engine/core/EngineInput.h"
#include "engine/core/EngineTimer.h"
#include "platform/Time.h"

MouseState g_MouseState;

namespace
{

EngineInput* Input()
{
    return g_pEngineCore ? g_pEngineCore->m_pInput : nullptr;
}

uint32_t Now()
{
    if (g_pEngineCore && g_pEngineCore->m_pTimer)
        return g_pEngineCore->m_pTimer->GetTime();
    return platform::TickCount();
}

} // namespace

MouseState::MouseState() = default;

void MouseState::Update()
{
    EngineInput* input = Input();
    if (!input)
        return;

    input->Update();
    m_sWheel = static_cast<int16_t>(input->GetWheelNotches());
    m_sDeltaX = static_cast<int16_t>(input->GetMouseDeltaX());
    m_sDeltaY = static_cast<int16_t>(input->GetMouseDeltaY());

    const bool left = input->GetButton0() != 0;
    const bool right = input->GetButton1() != 0;
    if (left != right)
    {
        // One button held: sum the movement and look for a drag, otherwise time the hold.
        m_fDragX += m_sDeltaX;
        m_fDragY += m_sDeltaY;
        const float threshold = static_cast<float>(m_iDragThreshold);
        if (m_fDragX >= threshold || m_fDragX <= -threshold || m_fDragY >= threshold || m_fDragY <= -threshold)
            m_bDragging = true;
        if (!m_bDragging)
        {
            const uint32_t now = Now();
            if (!m_bHolding)
            {
                m_bHolding = true;
                m_uHoldMark = now;
            }
            m_uHoldTime = now - m_uHoldMark;
            if (m_uHoldTime > kHoldDelayMs)
            {
                m_uHoldMark = now;
                m_bRepeating = true;
            }
            if (m_bRepeating)
            {
                m_uHoldTime = now - m_uHoldMark;
                if (m_uHoldTime > kRepeatPeriodMs)
                    m_uHoldMark = now;
            }
        }
    }
    else if (!left && !right)
    {
        m_bHolding = false;
        m_bRepeating = false;
        m_fDragX = m_fDragY = 0.0f;
        m_bDragging = false;
    }
    // Both buttons held: the drag sums and flags keep their values.

    m_sX = static_cast<int16_t>(input->GetMouseX());
    m_sY = static_cast<int16_t>(input->GetMouseY());
}

bool MouseState::IsEngineKeyDown(int key) const
{
    EngineInput* input = Input();
    return input && input->IsKeyDown(key);
}

void MouseState::GrabMouse()
{
    if (EngineInput* input = Input())
        input->GrabMouse();
}

void MouseState::ReleaseMouse()
{
    if (EngineInput* input = Input())
        input->ReleaseMouse();
}

bool MouseState::IsMouseGrabbed() const
{
    EngineInput* input = Input();
    return input && input->IsMouseGrabbed();
}

int32_t MouseState::GetLeftButton() const
{
    EngineInput* input = Input();
    return input ? input->GetButton0() : 0;
}

int32_t MouseState::GetRightButton() const
{
    EngineInput* input = Input();
    return input ? input->GetButton1() : 0;
}
