// FrameLimiter: sleeping out the rest of each pass.
#include "game/FrameLimiter.h"

#include "platform/Time.h"

FrameLimiter::FrameLimiter(int32_t passesPerSecond) : m_iRate(passesPerSecond > 0 ? passesPerSecond : 0)
{
    if (m_iRate > 0)
        m_fPeriod = 1000.0 / m_iRate;
}

void FrameLimiter::Wait()
{
    m_uLastSleep = 0;
    if (m_iRate == 0)
        return;
    const uint32_t now = platform::TickCount();
    const double elapsed = static_cast<double>(static_cast<uint32_t>(now - m_uBase));
    const double ahead = m_fDue - elapsed;
    if (!m_bStarted || -ahead > m_fPeriod)
    {
        // The first pass, or one that fell more than a pass behind: count afresh from now.
        m_bStarted = true;
        m_uBase = now;
        m_fDue = m_fPeriod;
        return;
    }
    if (ahead >= 1.0)
    {
        m_uLastSleep = static_cast<uint32_t>(ahead);
        platform::SleepMs(m_uLastSleep);
    }
    m_fDue += m_fPeriod;
    // Move the base up by the whole milliseconds that have passed, so the sum stays small.
    const uint32_t whole = static_cast<uint32_t>(m_fDue - m_fPeriod);
    m_uBase += whole;
    m_fDue -= whole;
}
