// The game's frame clock, advanced once per frame from the millisecond tick count.
#include "engine/core/GameClock.h"

GameClock* g_pGameClock = nullptr;

GameClock::GameClock(uint32_t startTime) : m_uStartTime(startTime), m_uLastTime(startTime)
{
    g_pGameClock = this;
}

GameClock::~GameClock()
{
    if (g_pGameClock == this)
        g_pGameClock = nullptr;
}

void GameClock::Update(uint32_t now)
{
    m_fPreviousElapsed = m_fElapsed;
    ++m_iFrameCount;

    // The tick count wraps at 2^32 ms; the unsigned difference stays right across the wrap.
    m_fElapsed = static_cast<float>(static_cast<double>(now - m_uStartTime) * 0.001);
    // The frame time comes from the whole milliseconds of this frame, not from the difference of two elapsed
    // floats: those lose the milliseconds once the program has run for days, and jump back when the time since
    // the start passes 2^32 ms.
    m_fFrameTime = static_cast<float>(static_cast<double>(now - m_uLastTime) * 0.001);
    m_uLastTime = now;

    // The mark moves by exactly one second, so after a long frame it catches up one second per frame.
    if (m_fElapsed - m_fSecondMark > 1.0f)
    {
        m_iFramesPerSecond = m_iFrameCount - m_iFrameCountAtMark;
        m_fSecondMark += 1.0f;
        m_iFrameCountAtMark = m_iFrameCount;
    }

    m_iTicks = static_cast<int32_t>(m_fElapsed * 60.0f);
}
