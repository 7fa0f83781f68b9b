// Millisecond ticks, the time-stamp counter, timer-period calls and sleep, with an injectable source for tests.
#pragma once

#include <cstdint>

namespace platform
{

// A source of time; tests install their own to drive clocks deterministically.
class TimeSource
{
public:
    virtual ~TimeSource() = default;
    // Milliseconds since an arbitrary start; wraps at 2^32 like the system tick count.
    virtual uint32_t TickCount() = 0;
    // A fast, monotonic cycle counter (the time-stamp counter, or nanoseconds where there is none).
    virtual uint64_t CycleCounter() = 0;
    // Waits; the real source sleeps, a test's source may instead let its clock run on as it is read.
    virtual void Sleep(uint32_t milliseconds);
};

// Installs a source (null restores the real clock); returns the previous one.
TimeSource* SetTimeSource(TimeSource* source);

uint32_t TickCount();
uint64_t ReadCycleCounter();

// The system timer resolution calls: nothing to do here.
inline void TimeBeginPeriod(uint32_t) {}
inline void TimeEndPeriod(uint32_t) {}

// Waits through the installed source.
void SleepMs(uint32_t milliseconds);

} // namespace platform
