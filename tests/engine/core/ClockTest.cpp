// Tests of the game's frame clock and the cycle-counter stopwatch.
#include "engine/core/CycleTimer.h"
#include "engine/core/GameClock.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{

// ---- GameClock ----

TEST(GameClockTest, ConstructorRegistersAndDestructorClearsGlobal)
{
    {
        GameClock clock(5000);
        EXPECT_EQ(g_pGameClock, &clock);
        EXPECT_EQ(clock.GetStartTime(), 5000u);
        EXPECT_EQ(clock.GetFrameCount(), 0);
        EXPECT_EQ(clock.GetTicks(), 0);
        EXPECT_FLOAT_EQ(clock.GetElapsed(), 0.0f);
    }
    EXPECT_EQ(g_pGameClock, nullptr);
}

TEST(GameClockTest, ElapsedFrameTimeAndTicks)
{
    GameClock clock(10000);
    clock.Update(10250);
    EXPECT_EQ(clock.GetFrameCount(), 1);
    EXPECT_FLOAT_EQ(clock.GetElapsed(), 0.25f);
    EXPECT_FLOAT_EQ(clock.GetFrameTime(), 0.25f);
    EXPECT_EQ(clock.GetTicks(), 15); // 0.25 s x 60

    clock.Update(10750);
    EXPECT_EQ(clock.GetFrameCount(), 2);
    EXPECT_FLOAT_EQ(clock.GetElapsed(), 0.75f);
    EXPECT_FLOAT_EQ(clock.GetFrameTime(), 0.5f);
    EXPECT_EQ(clock.GetTicks(), 45);

    // 0.033 s is 1.98 ticks: truncated, not rounded.
    GameClock shortClock(0);
    shortClock.Update(33);
    EXPECT_EQ(shortClock.GetTicks(), 1);
}

TEST(GameClockTest, ElapsedSurvivesTickCountWrap)
{
    GameClock clock(0xFFFFFF00u);
    clock.Update(0xFFFFFF00u + 500u); // wraps past 2^32
    EXPECT_FLOAT_EQ(clock.GetElapsed(), 0.5f);
    EXPECT_EQ(clock.GetTicks(), 30);
}

TEST(GameClockTest, FramesPerSecondNeedsMoreThanOneSecond)
{
    GameClock clock(0);
    for (uint32_t t = 100; t <= 1000; t += 100)
        clock.Update(t);
    // Exactly one second past the mark is not yet beyond it.
    EXPECT_EQ(clock.GetFramesPerSecond(), 0);
    EXPECT_FLOAT_EQ(clock.GetSecondMark(), 0.0f);

    clock.Update(1100);
    EXPECT_EQ(clock.GetFramesPerSecond(), 11);
    EXPECT_FLOAT_EQ(clock.GetSecondMark(), 1.0f);

    // The next second counts only the frames after the mark was taken.
    for (uint32_t t = 1200; t <= 2000; t += 100)
        clock.Update(t);
    EXPECT_EQ(clock.GetFramesPerSecond(), 11);
    clock.Update(2100);
    EXPECT_EQ(clock.GetFramesPerSecond(), 10);
    EXPECT_FLOAT_EQ(clock.GetSecondMark(), 2.0f);
}

TEST(GameClockTest, LongFrameMovesMarkOneSecondPerFrame)
{
    GameClock clock(2000);
    clock.Update(2000);
    clock.Update(4500); // 2,500 ms later

    EXPECT_FLOAT_EQ(clock.GetFrameTime(), 2.5f);
    EXPECT_EQ(clock.GetFramesPerSecond(), 2);
    EXPECT_FLOAT_EQ(clock.GetSecondMark(), 1.0f); // one second only, not up to now

    // 2.516 s is still more than a second past the mark at 1.0: the mark catches up by one more second.
    clock.Update(4516);
    EXPECT_EQ(clock.GetFramesPerSecond(), 1);
    EXPECT_FLOAT_EQ(clock.GetSecondMark(), 2.0f);

    // 2.532 s is within a second of the mark at 2.0: nothing changes.
    clock.Update(4532);
    EXPECT_EQ(clock.GetFramesPerSecond(), 1);
    EXPECT_FLOAT_EQ(clock.GetSecondMark(), 2.0f);
    EXPECT_EQ(clock.GetFrameCount(), 4);
}

// ---- CycleTimer ----

TEST(CycleTimerTest, OverheadIsMeanOfEmptyMeasurements)
{
    testsupport::ManualTimeSource time;
    time.cycles = 1000;
    time.cyclesPerRead = 37; // every empty start-and-stop spans exactly one read
    CycleTimer timer;
    EXPECT_EQ(timer.GetOverhead(), 37u);
    EXPECT_EQ(timer.GetElapsed(), 0u);
    // Warm-up plus ten measurements: 22 reads.
    EXPECT_EQ(time.cycles, 1000u + 22u * 37u);
}

TEST(CycleTimerTest, OverheadOfAFreeCounterIsZero)
{
    testsupport::ManualTimeSource time;
    CycleTimer timer;
    EXPECT_EQ(timer.GetOverhead(), 0u);
    timer.Start();
    time.cycles += 250;
    timer.Stop();
    EXPECT_EQ(timer.GetElapsed(), 250u);
}

TEST(CycleTimerTest, StopSubtractsOverhead)
{
    testsupport::ManualTimeSource time;
    time.cyclesPerRead = 40;
    CycleTimer timer;
    ASSERT_EQ(timer.GetOverhead(), 40u);

    timer.Start();
    time.cycles += 5000; // the work being timed
    timer.Stop();
    EXPECT_EQ(timer.GetElapsed(), 5000u);

    timer.StartStop();
    EXPECT_EQ(timer.GetElapsed(), 0u);
}

TEST(CycleTimerTest, StopBelowOverheadGivesZero)
{
    testsupport::ManualTimeSource time;
    time.cycles = 1000000;
    time.cyclesPerRead = 40;
    CycleTimer timer;
    ASSERT_EQ(timer.GetOverhead(), 40u);

    // A counter that got cheaper to read than at calibration: the span is shorter than the overhead.
    time.cyclesPerRead = 10;
    timer.StartStop();
    EXPECT_EQ(timer.GetElapsed(), 0u);

    // A counter that went back between start and stop.
    timer.Start();
    time.cycles -= 1000;
    timer.Stop();
    EXPECT_EQ(timer.GetElapsed(), 0u);
}

TEST(CycleTimerTest, GlobalPointerOnlyForTheMainTimer)
{
    testsupport::ManualTimeSource time;
    {
        CycleTimer main;
        EXPECT_EQ(g_pCycleTimer, &main);
        {
            CycleTimer stopwatch(CycleTimer::Registration::Detached);
            EXPECT_EQ(g_pCycleTimer, &main);
        }
        EXPECT_EQ(g_pCycleTimer, &main);
    }
    EXPECT_EQ(g_pCycleTimer, nullptr);
}

TEST(CycleTimerTest, ElapsedThousandsUsesLowWordSigned)
{
    testsupport::ManualTimeSource time;
    CycleTimer timer;

    timer.Start();
    time.cycles += 12999;
    timer.Stop();
    EXPECT_EQ(timer.GetElapsedThousands(), 12); // truncated

    // Only the low 32 bits count: 2^32 + 7,000 cycles give 7.
    timer.Start();
    time.cycles += (uint64_t{1} << 32) + 7000;
    timer.Stop();
    EXPECT_EQ(timer.GetElapsedThousands(), 7);

    // A low word with the top bit set reads as negative and truncates toward zero.
    timer.Start();
    time.cycles += 0xFFFFF000u; // -4,096 as a signed 32-bit value
    timer.Stop();
    EXPECT_EQ(timer.GetElapsedThousands(), -4);
}

} // namespace
