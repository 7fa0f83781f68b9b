// Tests of the game's frame clock and the cycle-counter stopwatch.
#include "engine/core/CycleTimer.h"
#include "engine/core/GameClock.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

namespace
{

// Frame count, elapsed and frame time (seconds), ticks, frames per second and second mark.
std::tuple<int32_t, float, float, int32_t, int32_t, float> State(const GameClock& clock)
{
    return {clock.GetFrameCount(), clock.GetElapsed(),         clock.GetFrameTime(),
            clock.GetTicks(),      clock.GetFramesPerSecond(), clock.GetSecondMark()};
}

TEST(GameClock, ElapsedFrameTimeAndTicksAcrossTheTickCountWrap)
{
    {
        GameClock clock(10000);
        EXPECT_EQ(g_pGameClock, &clock);
        clock.Update(10250);
        clock.Update(10750);
        EXPECT_EQ(State(clock), std::tuple(2, 0.75f, 0.5f, 45, 0, 0.0f)); // 0.75 s x 60 ticks
    }
    EXPECT_EQ(g_pGameClock, nullptr);

    GameClock shortClock(0);
    shortClock.Update(33);
    EXPECT_EQ(shortClock.GetTicks(), 1); // 1.98 ticks: truncated, not rounded
    GameClock wrapping(0xFFFFFF00u);
    wrapping.Update(0xFFFFFF00u + 500u);
    EXPECT_EQ(State(wrapping), std::tuple(1, 0.5f, 0.5f, 30, 0, 0.0f));
}

TEST(GameClock, FrameTimeStaysExactAfterLongRunning)
{
    // A frame of 16 ms is 0.016 s however long the program has run, also across 2^32 ms since the start.
    constexpr uint32_t kDay = 24u * 60u * 60u * 1000u;
    const struct
    {
        const char* label;
        uint32_t start;
        uint32_t runningFor;
    } cases[] = {
        {"an hour", 1000u, 3600u * 1000u},
        {"three days", 1000u, 3u * kDay},
        {"twenty days", 5u, 20u * kDay},
        {"up to the wrap of the time since start", 0u, 0xFFFFFFF8u},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.label);
        GameClock clock(c.start);
        clock.Update(c.start + c.runningFor);
        for (int frame = 0; frame < 3; ++frame)
        {
            clock.Update(c.start + c.runningFor + 16u * static_cast<uint32_t>(frame + 1));
            EXPECT_NEAR(clock.GetFrameTime(), 0.016f, 1e-6f);
        }
    }
}

TEST(GameClock, FramesPerSecondCountsTheFramesOfEachSecondPastTheMark)
{
    GameClock clock(0);
    for (uint32_t t = 100; t <= 1000; t += 100)
        clock.Update(t);
    EXPECT_EQ(clock.GetFramesPerSecond(), 0); // exactly one second is not beyond the mark
    clock.Update(1100);
    EXPECT_EQ(std::tuple(clock.GetFramesPerSecond(), clock.GetSecondMark()), std::tuple(11, 1.0f));
    // The next second counts only the frames after the mark was taken.
    for (uint32_t t = 1200; t <= 2100; t += 100)
        clock.Update(t);
    EXPECT_EQ(std::tuple(clock.GetFramesPerSecond(), clock.GetSecondMark()), std::tuple(10, 2.0f));
}

TEST(GameClock, LongFrameMovesTheMarkOneSecondPerFrame)
{
    GameClock clock(2000);
    clock.Update(2000);
    clock.Update(4500);
    EXPECT_EQ(State(clock), std::tuple(2, 2.5f, 2.5f, 150, 2, 1.0f));
    // 2.516 s is still more than a second past the mark at 1.0; 2.532 s is within a second of 2.0.
    clock.Update(4516);
    EXPECT_EQ(std::tuple(clock.GetFramesPerSecond(), clock.GetSecondMark()), std::tuple(1, 2.0f));
    clock.Update(4532);
    EXPECT_EQ(std::tuple(clock.GetFramesPerSecond(), clock.GetSecondMark()), std::tuple(1, 2.0f));
}

TEST(CycleTimer, OverheadIsCalibratedAndSubtractedNeverBelowZero)
{
    testsupport::ManualTimeSource time;
    time.cycles = 1000000;
    time.cyclesPerRead = 40; // every empty start-and-stop spans exactly one read
    {
        CycleTimer timer;
        EXPECT_EQ(g_pCycleTimer, &timer);
        EXPECT_EQ(timer.GetOverhead(), 40u);
        EXPECT_EQ(time.cycles, 1000000u + 22u * 40u); // warm-up plus ten measurements: 22 reads
        timer.Start();
        time.cycles += 5000;
        timer.Stop();
        EXPECT_EQ(timer.GetElapsed(), 5000u);
        // A counter cheaper to read than at calibration, and one that went back.
        time.cyclesPerRead = 10;
        timer.StartStop();
        EXPECT_EQ(timer.GetElapsed(), 0u);
        timer.Start();
        time.cycles -= 1000;
        timer.Stop();
        EXPECT_EQ(timer.GetElapsed(), 0u);
        CycleTimer stopwatch(CycleTimer::Registration::Detached);
        EXPECT_EQ(g_pCycleTimer, &timer);
    }
    EXPECT_EQ(g_pCycleTimer, nullptr);
}

TEST(CycleTimer, ElapsedThousandsUsesTheLowWordSigned)
{
    testsupport::ManualTimeSource time;
    CycleTimer timer;
    const std::pair<uint64_t, int32_t> rows[] = {
        {12999, 12},                     // truncated
        {(uint64_t{1} << 32) + 7000, 7}, // only the low 32 bits count
        {0xFFFFF000u, -4},               // -4,096 as a signed 32-bit value, toward zero
    };
    for (const auto& [cycles, expected] : rows)
    {
        timer.Start();
        time.cycles += cycles;
        timer.Stop();
        EXPECT_EQ(timer.GetElapsedThousands(), expected) << cycles;
    }
}

} // namespace
