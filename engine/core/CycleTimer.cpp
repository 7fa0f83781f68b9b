// Cycle-counter stopwatch with a calibrated overhead.
#include "engine/core/CycleTimer.h"

#include "platform/Time.h"

#include <algorithm>
#include <limits>

CycleTimer* g_pCycleTimer = nullptr;

namespace
{
constexpr int kCalibrationRuns = 10;
}

CycleTimer::CycleTimer(Registration registration)
{
    if (registration == Registration::Global)
        g_pCycleTimer = this;

    // The first measurement pays for cold caches; it is thrown away.
    StartStop();
    m_uElapsed = 0;
    m_uOverhead = 0;

    uint64_t sum = 0;
    for (int i = 0; i < kCalibrationRuns; ++i)
    {
        StartStop();
        sum += m_uElapsed;
    }
    m_uElapsed = 0;
    m_uOverhead =
        static_cast<uint32_t>(std::min<uint64_t>(sum / kCalibrationRuns, std::numeric_limits<uint32_t>::max()));
}

CycleTimer::~CycleTimer()
{
    if (g_pCycleTimer == this)
        g_pCycleTimer = nullptr;
}

void CycleTimer::Start()
{
    m_uStart = platform::ReadCycleCounter();
}

void CycleTimer::Stop()
{
    uint64_t now = platform::ReadCycleCounter();
    // Never let the subtraction wrap into a huge count: a span at or below the timer's own cost is 0.
    if (now < m_uStart || now - m_uStart <= m_uOverhead)
        m_uElapsed = 0;
    else
        m_uElapsed = now - m_uStart - m_uOverhead;
}

void CycleTimer::StartStop()
{
    Start();
    Stop();
}
