// Real time source: monotonic milliseconds and the processor's time-stamp counter.
#include "platform/Time.h"

#include <chrono>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace platform
{
namespace
{

class RealTimeSource final : public TimeSource
{
public:
    uint32_t TickCount() override
    {
        using namespace std::chrono;
        auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        return static_cast<uint32_t>(ms);
    }

    uint64_t CycleCounter() override
    {
#if defined(__x86_64__) || defined(__i386__)
        return __rdtsc();
#else
        using namespace std::chrono;
        return static_cast<uint64_t>(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
#endif
    }
};

RealTimeSource g_realSource;
TimeSource* g_source = &g_realSource;

} // namespace

TimeSource* SetTimeSource(TimeSource* source)
{
    TimeSource* previous = g_source;
    g_source = source ? source : &g_realSource;
    return previous;
}

uint32_t TickCount()
{
    return g_source->TickCount();
}

uint64_t ReadCycleCounter()
{
    return g_source->CycleCounter();
}

void TimeSource::Sleep(uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SleepMs(uint32_t milliseconds)
{
    g_source->Sleep(milliseconds);
}

} // namespace platform
