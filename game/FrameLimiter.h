// FrameLimiter: keeps the main loop at most at a given number of passes a second by sleeping out the rest of
// each pass, so an idle screen does not burn a whole processor core.
#pragma once

#include <cstdint>

class FrameLimiter
{
public:
    static constexpr int32_t kDefaultRate = 60;

    // Passes a second; 0 or less: no limit.
    explicit FrameLimiter(int32_t passesPerSecond);

    // Sleeps until the next pass is due. A loop that fell more than a pass behind starts counting afresh
    // instead of racing to catch up.
    void Wait();

    int32_t GetRate() const { return m_iRate; }
    // Milliseconds slept by the last Wait.
    uint32_t GetLastSleep() const { return m_uLastSleep; }

private:
    int32_t m_iRate;
    double m_fPeriod = 0.0; // milliseconds
    // The next pass is due m_fDue milliseconds after the tick count m_uBase (kept small, so ticks may wrap).
    uint32_t m_uBase = 0;
    double m_fDue = 0.0;
    bool m_bStarted = false;
    uint32_t m_uLastSleep = 0;
};
