// The message band's movement.
#include "gui/MessageBand.h"

#include <algorithm>
#include <cmath>

void MessageBand::Show(int32_t textWidth, int32_t passes)
{
    m_iWidth = std::max(textWidth, 0);
    m_iLeft = m_iBandRight - 1;
    m_iPasses = passes;
    m_fCarry = 0.0f;
    m_bShowing = true;
    m_bHasText = true;
}

void MessageBand::Update(float dt, float gameSpeed, bool paused)
{
    if (paused || !m_bShowing || !(dt > 0.0f) || !std::isfinite(gameSpeed))
        return;
    // Whole pixels move; the fraction is kept for the next frame.
    m_fCarry += std::min(dt, kMaxStep) * kPixelsPerSecond * gameSpeed;
    const float whole = std::floor(m_fCarry);
    m_fCarry -= whole;
    const int32_t before = m_iLeft;
    m_iLeft -= static_cast<int32_t>(std::min(whole, 100000.0f));
    // The last pass rests once its left edge reaches the band's left end (within 5 pixels, or stepped over them
    // in this frame) while its right edge is well inside the band.
    const bool reached = m_iLeft <= m_iBandLeft + 5 && before >= m_iBandLeft - 5;
    if (m_iPasses <= 1 && reached && GetRight() < m_iBandRight - 40)
    {
        m_iLeft = m_iBandLeft;
        m_bShowing = false;
        return;
    }
    if (GetRight() < m_iBandLeft)
    {
        --m_iPasses;
        if (m_iPasses <= 0)
        {
            m_bShowing = false;
            m_bHasText = false;
            return;
        }
        m_iLeft = m_iBandRight - 1;
    }
}
