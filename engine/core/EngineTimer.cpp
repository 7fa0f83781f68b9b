// The engine timing service: tick channels advanced in sub-steps, the update-rate meter and the stopwatches.
#include "engine/core/EngineTimer.h"

#include "engine/core/CycleTimer.h"
#include "engine/core/Logger.h"
#include "platform/Time.h"

#include <algorithm>

EngineTimer::~EngineTimer()
{
    DeleteStopwatches();
    if (m_bPeriodSet)
        platform::TimeEndPeriod(1);
}

int32_t EngineTimer::Init()
{
    DeleteStopwatches();
    if (!m_bPeriodSet)
    {
        platform::TimeBeginPeriod(1);
        m_bPeriodSet = true;
    }
    m_uChannelCount = 0;
    m_uNow = platform::TickCount();
    m_uRateMark = m_uNow;
    m_uRateCounter = 0;
    m_fUpdateRate = 0.0f;
    m_bFixedStep = false;
    return 0;
}

void EngineTimer::Shutdown()
{
    if (m_bPeriodSet)
    {
        platform::TimeEndPeriod(1);
        m_bPeriodSet = false;
    }
    DeleteStopwatches();
}

void EngineTimer::Update()
{
    uint32_t current = platform::TickCount();
    uint32_t elapsed = current - m_uNow;
    m_uNow = current;

    if (m_uRateCounter == kRateUpdates - 1)
    {
        // Several updates within the same millisecond measure no interval; the old rate stands.
        uint32_t interval = m_uNow - m_uRateMark;
        if (interval != 0)
            m_fUpdateRate = static_cast<float>(1000 * kRateUpdates) / static_cast<float>(interval);
        m_uRateMark = m_uNow;
        m_uRateCounter = 0;
    }
    else
    {
        ++m_uRateCounter;
    }

    // 64 bits: a long stall (over 4.6 hours) would overflow 32-bit sub-milliseconds.
    uint64_t remaining = static_cast<uint64_t>(m_bFixedStep ? kFixedStepMs : elapsed) * kSubTicksPerMs;
    while (remaining != 0)
    {
        // Channels added by a callback join at the next pass.
        uint32_t count = m_uChannelCount;
        bool wasRunning[kMaxChannels];
        uint64_t step = remaining;
        for (uint32_t i = 0; i < count; ++i)
        {
            const Channel& channel = m_channels[i];
            wasRunning[i] = channel.bRunning;
            if (channel.uAccumulator + remaining >= channel.uPeriod)
                step = std::min<uint64_t>(step, channel.uPeriod - channel.uAccumulator);
        }

        // The step ends at the earliest due tick, so it is below every channel's period from here on.
        for (uint32_t i = 0; i < count; ++i)
        {
            Channel& channel = m_channels[i];
            channel.uAccumulator += static_cast<uint32_t>(step);
            if (channel.uAccumulator >= channel.uPeriod)
            {
                channel.uAccumulator = 0;
                if (wasRunning[i])
                    channel.uTickTime += channel.uPeriod;
                if (channel.callback)
                    channel.callback();
            }
            channel.uCurrentTime =
                channel.uTickTime + (wasRunning[i] ? channel.uAccumulator : channel.uFrozenAccumulator);
        }
        remaining -= step;
    }

    for (uint32_t i = 0; i < m_uChannelCount; ++i)
        m_fChannelFractions[i] =
            static_cast<float>(m_channels[i].uAccumulator) / static_cast<float>(m_channels[i].uPeriod);
}

int32_t EngineTimer::AddChannel(uint32_t rate, Callback callback)
{
    if (rate < kMinRate || rate > kMaxRate)
    {
        GetLogger()->Report(1, "EngineTimer::AddChannel - rate %u is out of range (1 to 255)", rate);
        return -1;
    }
    if (m_uChannelCount >= kMaxChannels)
    {
        GetLogger()->Report(1, "EngineTimer::AddChannel - all %d channels are in use", kMaxChannels);
        return -1;
    }

    int32_t index = static_cast<int32_t>(m_uChannelCount);
    Channel& channel = m_channels[index];
    channel.bRunning = true;
    channel.uPeriod = 256000 / rate;
    // The channel's count starts from the service's last time in ms.
    channel.uTickTime = m_uNow;
    channel.uCurrentTime = m_uNow;
    channel.uAccumulator = 0;
    channel.uFrozenAccumulator = 0;
    channel.callback = std::move(callback);
    m_fChannelFractions[index] = 0.0f;
    ++m_uChannelCount;
    return index;
}

void EngineTimer::PauseChannel(int32_t index)
{
    if (!IsChannel(index))
        return;
    m_channels[index].bRunning = false;
    m_channels[index].uFrozenAccumulator = m_channels[index].uAccumulator;
}

void EngineTimer::ResumeChannel(int32_t index)
{
    if (IsChannel(index))
        m_channels[index].bRunning = true;
}

uint32_t EngineTimer::GetChannelTickTime(int32_t index) const
{
    return IsChannel(index) ? m_channels[index].uTickTime : 0;
}

uint32_t EngineTimer::GetChannelTime(int32_t index) const
{
    return IsChannel(index) ? m_channels[index].uCurrentTime : 0;
}

uint32_t EngineTimer::GetTime() const
{
    return platform::TickCount();
}

float EngineTimer::GetUpdateRate() const
{
    return m_fUpdateRate;
}

bool EngineTimer::CreateStopwatch(int32_t index)
{
    if (index < 0 || index >= kMaxStopwatches)
        return false;
    delete m_pStopwatches[index];
    // The engine's stopwatches never replace the main loop's profiling timer.
    m_pStopwatches[index] = new CycleTimer(CycleTimer::Registration::Detached);
    return true;
}

void EngineTimer::StartStopwatch(int32_t index)
{
    if (CycleTimer* stopwatch = Stopwatch(index))
        stopwatch->Start();
}

void EngineTimer::StopStopwatch(int32_t index)
{
    if (CycleTimer* stopwatch = Stopwatch(index))
        stopwatch->Stop();
}

uint32_t EngineTimer::GetStopwatchTime(int32_t index) const
{
    const CycleTimer* stopwatch = Stopwatch(index);
    return stopwatch ? static_cast<uint32_t>(stopwatch->GetElapsed()) : 0;
}

int32_t EngineTimer::GetReserved(int32_t) const
{
    return 0;
}

void EngineTimer::SetFixedStep(bool fixedStep)
{
    m_bFixedStep = fixedStep;
}

void EngineTimer::ResetClock()
{
    for (Channel& channel : m_channels)
        channel.uAccumulator = 0;
    m_uNow = platform::TickCount();
}

float EngineTimer::GetChannelFraction(int32_t index) const
{
    return IsChannel(index) ? m_fChannelFractions[index] : 0.0f;
}

uint32_t EngineTimer::GetChannelAccumulator(int32_t index) const
{
    return IsChannel(index) ? m_channels[index].uAccumulator : 0;
}

uint32_t EngineTimer::GetChannelPeriod(int32_t index) const
{
    return IsChannel(index) ? m_channels[index].uPeriod : 0;
}

bool EngineTimer::IsChannelRunning(int32_t index) const
{
    return IsChannel(index) && m_channels[index].bRunning;
}

CycleTimer* EngineTimer::Stopwatch(int32_t index) const
{
    return index >= 0 && index < kMaxStopwatches ? m_pStopwatches[index] : nullptr;
}

void EngineTimer::DeleteStopwatches()
{
    for (CycleTimer*& stopwatch : m_pStopwatches)
    {
        delete stopwatch;
        stopwatch = nullptr;
    }
}
