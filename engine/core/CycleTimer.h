// A stopwatch on the processor's cycle counter that subtracts its own measured cost from every measurement.
#pragma once

#include <cstdint>

class CycleTimer
{
public:
    // Whether the new timer becomes the main loop's profiling timer (g_pCycleTimer) or a stand-alone stopwatch.
    enum class Registration
    {
        Global,
        Detached
    };

    // Calibrates itself: one warm-up start-and-stop, then overhead = the mean of ten empty measurements.
    explicit CycleTimer(Registration registration = Registration::Global);
    ~CycleTimer();
    CycleTimer(const CycleTimer&) = delete;
    CycleTimer& operator=(const CycleTimer&) = delete;

    void Start();
    // elapsed = counter - start - overhead; a span shorter than the overhead (or a counter that went back)
    // measures 0.
    void Stop();
    // One empty measurement.
    void StartStop();

    uint64_t GetElapsed() const { return m_uElapsed; }
    uint32_t GetOverhead() const { return m_uOverhead; }
    // What the main loop stores in the game clock: the low 32 bits of elapsed as a signed number, divided
    // by 1000 and truncated toward zero.
    int32_t GetElapsedThousands() const { return static_cast<int32_t>(static_cast<uint32_t>(m_uElapsed)) / 1000; }

private:
    uint64_t m_uStart = 0;
    uint64_t m_uElapsed = 0;
    uint32_t m_uOverhead = 0;
};

// The main loop's profiling timer while the Game exists, null otherwise.
extern CycleTimer* g_pCycleTimer;
