// The game's frame clock: seconds since start, frame time, frames per second, 60 Hz ticks and profiling figures.
#pragma once

#include <cstdint>

class GameClock
{
public:
    // Stores the global pointer and the start time (ms); everything else starts at zero.
    explicit GameClock(uint32_t startTime);
    ~GameClock();
    GameClock(const GameClock&) = delete;
    GameClock& operator=(const GameClock&) = delete;

    // Advances the clock to `now` (ms, same source as the start time). Called once per frame and once more
    // when a new screen has been entered. The frame time is not clamped here.
    void Update(uint32_t now);

    uint32_t GetStartTime() const { return m_uStartTime; }
    // Seconds since start.
    float GetElapsed() const { return m_fElapsed; }
    // Seconds between the last two updates.
    float GetFrameTime() const { return m_fFrameTime; }
    // Frames counted over the last whole second.
    int32_t GetFramesPerSecond() const { return m_iFramesPerSecond; }
    int32_t GetFrameCount() const { return m_iFrameCount; }
    // Time of the next whole-second mark, in seconds since start.
    float GetSecondMark() const { return m_fSecondMark; }
    // 60 Hz ticks since start (elapsed x 60, truncated).
    int32_t GetTicks() const { return m_iTicks; }

    // Profiling figures, in thousands of processor cycles, written by the main loop for the debug overlay.
    void SetUpdateTime(int32_t time) { m_iUpdateTime = time; }
    void SetRenderTime(int32_t time) { m_iRenderTime = time; }
    int32_t GetUpdateTime() const { return m_iUpdateTime; }
    int32_t GetRenderTime() const { return m_iRenderTime; }

private:
    uint32_t m_uStartTime = 0;
    // The tick count of the last update (the start time before the first).
    uint32_t m_uLastTime = 0;
    int32_t m_iFramesPerSecond = 0;
    int32_t m_iFrameCount = 0;
    int32_t m_iFrameCountAtMark = 0;
    float m_fElapsed = 0.0f;
    float m_fPreviousElapsed = 0.0f;
    float m_fFrameTime = 0.0f;
    float m_fSecondMark = 0.0f;
    int32_t m_iRenderTime = 0;
    int32_t m_iUpdateTime = 0;
    int32_t m_iTicks = 0;
};

// The game's clock while the Game exists, null otherwise.
extern GameClock* g_pGameClock;
