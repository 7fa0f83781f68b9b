// The engine's timing service: 1 ms timer resolution, millisecond time, fixed-rate tick channels with
// callbacks, an update-rate meter and numbered cycle stopwatches.
#pragma once

#include "engine/core/EngineService.h"

#include <cstdint>
#include <functional>

class CycleTimer;

class EngineTimer : public EngineService
{
public:
    static constexpr int kMaxChannels = 16;
    static constexpr int kMaxStopwatches = 32;
    // Channel times count in 1/256 ms.
    static constexpr uint32_t kSubTicksPerMs = 256;
    // Ticks per second a channel may run at.
    static constexpr uint32_t kMinRate = 1;
    static constexpr uint32_t kMaxRate = 255;
    // What one update advances by while the fixed step is set, in ms.
    static constexpr uint32_t kFixedStepMs = 30;
    // Updates per rate measurement.
    static constexpr uint32_t kRateUpdates = 20;

    using Callback = std::function<void()>;

    EngineTimer() = default;
    ~EngineTimer() override;
    EngineTimer(const EngineTimer&) = delete;
    EngineTimer& operator=(const EngineTimer&) = delete;

    // Sets the 1 ms timer resolution and starts with no channels, no stopwatches and the fixed step off.
    int32_t Init() override;
    // Restores the timer resolution and deletes every stopwatch.
    void Shutdown() override;
    // Advances the channels by the time since the last update (or by 30 ms with the fixed step), calling each
    // channel's callback once per whole period that passed, channels due together in channel order.
    virtual void Update();
    // Adds a running channel of `rate` ticks per second (1 to 255); returns its index, or -1 (reported at
    // level 1) for a rate out of range or when all 16 channels are in use.
    virtual int32_t AddChannel(uint32_t rate, Callback callback);
    // A paused channel still calls back each period, but its tick time stops growing.
    virtual void PauseChannel(int32_t index);
    virtual void ResumeChannel(int32_t index);
    // Sum of the periods ticked while running (1/256 ms); 0 for an unknown channel.
    virtual uint32_t GetChannelTickTime(int32_t index) const;
    // Tick time plus the time into the current period (frozen while paused); 0 for an unknown channel.
    virtual uint32_t GetChannelTime(int32_t index) const;
    // The system time in ms.
    virtual uint32_t GetTime() const;
    // Updates per second, measured over every 20 updates; 0 until the first measurement.
    virtual float GetUpdateRate() const;
    // Creates (or re-creates) a calibrated stopwatch in place `index` (0 to 31); false for a bad index.
    virtual bool CreateStopwatch(int32_t index);
    virtual void StartStopwatch(int32_t index);
    virtual void StopStopwatch(int32_t index);
    // Low 32 bits of the stopwatch's last measurement; 0 for a bad index or a stopwatch not created.
    virtual uint32_t GetStopwatchTime(int32_t index) const;
    // A query the service keeps for compatibility; it always answers 0.
    virtual int32_t GetReserved(int32_t value) const;
    virtual void SetFixedStep(bool fixedStep);
    // Zeroes every channel's accumulator and restarts the elapsed measurement from now.
    virtual void ResetClock();

    uint32_t GetChannelCount() const { return m_uChannelCount; }
    // Elapsed part of the current period (0 to 1) as of the last update; 0 for an unknown channel.
    float GetChannelFraction(int32_t index) const;
    // Time since the channel's last tick, in 1/256 ms; 0 for an unknown channel.
    uint32_t GetChannelAccumulator(int32_t index) const;
    // The channel's period in 1/256 ms; 0 for an unknown channel.
    uint32_t GetChannelPeriod(int32_t index) const;
    bool IsChannelRunning(int32_t index) const;
    bool IsFixedStep() const { return m_bFixedStep; }

private:
    struct Channel
    {
        bool bRunning = false;
        uint32_t uPeriod = 0;
        uint32_t uTickTime = 0;
        uint32_t uAccumulator = 0;
        uint32_t uCurrentTime = 0;
        uint32_t uFrozenAccumulator = 0;
        Callback callback;
    };

    bool IsChannel(int32_t index) const { return index >= 0 && static_cast<uint32_t>(index) < m_uChannelCount; }
    CycleTimer* Stopwatch(int32_t index) const;
    void DeleteStopwatches();

    uint32_t m_uNow = 0;
    uint32_t m_uChannelCount = 0;
    Channel m_channels[kMaxChannels];
    uint32_t m_uRateCounter = 0;
    uint32_t m_uRateMark = 0;
    float m_fUpdateRate = 0.0f;
    float m_fChannelFractions[kMaxChannels] = {};
    CycleTimer* m_pStopwatches[kMaxStopwatches] = {};
    bool m_bFixedStep = false;
    bool m_bPeriodSet = false;
};
