// Tests of the engine timing service: tick channels, fixed step, pause, the rate meter and the stopwatches.
#include "engine/core/EngineTimer.h"
#include "engine/core/CycleTimer.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

constexpr uint32_t kStart = 1000;

class EngineTimerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        time.ticks = kStart;
        timer.Init();
    }
    void TearDown() override { timer.Shutdown(); }

    // Moves the system time on and updates the service.
    void Advance(uint32_t ms)
    {
        time.ticks += ms;
        timer.Update();
    }

    testsupport::ManualTimeSource time;
    EngineTimer timer;
};

// ---- channels ----

TEST_F(EngineTimerTest, AddChannelStartsFromTheLastUpdateTime)
{
    EXPECT_EQ(timer.GetChannelCount(), 0u);
    Advance(500);
    time.ticks += 200; // not yet seen by an update
    int calls = 0;
    ASSERT_EQ(timer.AddChannel(100, [&] { ++calls; }), 0);
    EXPECT_EQ(timer.GetChannelCount(), 1u);
    EXPECT_EQ(timer.GetChannelPeriod(0), 2560u); // 256,000 / 100
    EXPECT_EQ(timer.GetChannelTickTime(0), kStart + 500);
    EXPECT_EQ(timer.GetChannelTime(0), kStart + 500);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 0u);
    EXPECT_TRUE(timer.IsChannelRunning(0));
    EXPECT_EQ(calls, 0);
}

TEST_F(EngineTimerTest, OneUpdateCallsBackForEveryWholePeriod)
{
    int calls = 0;
    ASSERT_EQ(timer.AddChannel(100, [&] { ++calls; }), 0);

    Advance(25); // 6,400 sub-ms: two periods of 2,560 and half of a third
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 1280u);
    EXPECT_FLOAT_EQ(timer.GetChannelFraction(0), 0.5f);
    EXPECT_EQ(timer.GetChannelTickTime(0), kStart + 2 * 2560);
    EXPECT_EQ(timer.GetChannelTime(0), kStart + 2 * 2560 + 1280);
}

TEST_F(EngineTimerTest, PeriodsAddUpAcrossShortUpdates)
{
    int calls = 0;
    ASSERT_EQ(timer.AddChannel(100, [&] { ++calls; }), 0);
    for (int i = 0; i < 9; ++i)
        Advance(1); // 256 each
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 9u * 256u);
    Advance(1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 0u);
    EXPECT_FLOAT_EQ(timer.GetChannelFraction(0), 0.0f);
}

TEST_F(EngineTimerTest, TruncatedPeriodLeavesTheRemainder)
{
    int calls = 0;
    ASSERT_EQ(timer.AddChannel(3, [&] { ++calls; }), 0);
    EXPECT_EQ(timer.GetChannelPeriod(0), 85333u); // 256,000 / 3 truncated

    Advance(1000); // 256,000 = 3 x 85,333 + 1
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 1u);
    EXPECT_EQ(timer.GetChannelTickTime(0), kStart + 3 * 85333);
}

TEST_F(EngineTimerTest, SubStepsEndAtTheEarliestDueTick)
{
    // The fast channel's callback looks at the slow channel, which has advanced only up to the previous tick.
    std::vector<uint32_t> slowTimes;
    ASSERT_EQ(timer.AddChannel(100, [&] { slowTimes.push_back(timer.GetChannelTime(1)); }), 0);
    ASSERT_EQ(timer.AddChannel(7, nullptr), 1); // period 36,571: not due within 30 ms

    Advance(30); // 7,680 = three fast periods
    ASSERT_EQ(slowTimes.size(), 3u);
    EXPECT_EQ(slowTimes[0], kStart);
    EXPECT_EQ(slowTimes[1], kStart + 2560);
    EXPECT_EQ(slowTimes[2], kStart + 5120);
    EXPECT_EQ(timer.GetChannelTime(1), kStart + 7680);
    EXPECT_EQ(timer.GetChannelTickTime(1), kStart);
    EXPECT_EQ(timer.GetChannelAccumulator(1), 7680u);
}

TEST_F(EngineTimerTest, ChannelsDueTogetherCallBackInChannelOrder)
{
    std::vector<int> order;
    ASSERT_EQ(timer.AddChannel(100, [&] { order.push_back(0); }), 0); // 2,560
    ASSERT_EQ(timer.AddChannel(200, [&] { order.push_back(1); }), 1); // 1,280
    ASSERT_EQ(timer.AddChannel(100, [&] { order.push_back(2); }), 2); // 2,560

    Advance(10); // 2,560: channel 1 at 1,280; then all three at 2,560
    EXPECT_EQ(order, (std::vector<int>{1, 0, 1, 2}));
}

TEST_F(EngineTimerTest, FixedStepAdvancesThirtyMilliseconds)
{
    int calls = 0;
    ASSERT_EQ(timer.AddChannel(100, [&] { ++calls; }), 0);
    timer.SetFixedStep(true);
    EXPECT_TRUE(timer.IsFixedStep());

    Advance(500); // 30 ms = 7,680 = three periods exactly
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 0u);
    EXPECT_EQ(timer.GetChannelTickTime(0), kStart + 7680);

    // The real time was still taken: clearing the step counts only what passed since.
    timer.SetFixedStep(false);
    Advance(5);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 1280u);
}

TEST_F(EngineTimerTest, PausedChannelCallsBackButTickTimeStays)
{
    int calls = 0;
    ASSERT_EQ(timer.AddChannel(100, [&] { ++calls; }), 0);
    Advance(5); // accumulator 1,280
    timer.PauseChannel(0);
    EXPECT_FALSE(timer.IsChannelRunning(0));

    Advance(10); // 2,560 more: one tick at 1,280 in, then 1,280 into the next period
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(timer.GetChannelTickTime(0), kStart);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 1280u);
    EXPECT_EQ(timer.GetChannelTime(0), kStart + 1280); // frozen at the pause

    Advance(20); // two more periods, still paused
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(timer.GetChannelTickTime(0), kStart);
    EXPECT_EQ(timer.GetChannelTime(0), kStart + 1280);

    timer.ResumeChannel(0);
    Advance(5); // completes the period the paused clock was in
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(timer.GetChannelTickTime(0), kStart + 2560);
    EXPECT_EQ(timer.GetChannelTime(0), kStart + 2560);
}

TEST_F(EngineTimerTest, ResetClockDropsAccumulatedTime)
{
    int calls = 0;
    ASSERT_EQ(timer.AddChannel(100, [&] { ++calls; }), 0);
    Advance(5);
    ASSERT_EQ(timer.GetChannelAccumulator(0), 1280u);

    time.ticks += 1000; // a long load: must not be caught up
    timer.ResetClock();
    EXPECT_EQ(timer.GetChannelAccumulator(0), 0u);

    Advance(5);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 1280u);
}

TEST_F(EngineTimerTest, LongStallCountsEveryPeriod)
{
    // 20,000,000 ms is more than 2^32 sub-milliseconds; every one of its 20,000 one-second periods counts.
    int calls = 0;
    ASSERT_EQ(timer.AddChannel(1, [&] { ++calls; }), 0);
    Advance(20000000);
    EXPECT_EQ(calls, 20000);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 0u);
}

TEST_F(EngineTimerTest, AddChannelRefusesBadRateAndSeventeenthChannel)
{
    testsupport::RecordingReportSink reports;
    EXPECT_EQ(timer.AddChannel(0, nullptr), -1);
    EXPECT_EQ(timer.AddChannel(256, nullptr), -1);
    EXPECT_EQ(timer.GetChannelCount(), 0u);
    EXPECT_NE(reports.debug.find("AddChannel"), std::string::npos);

    for (int i = 0; i < EngineTimer::kMaxChannels; ++i)
        EXPECT_EQ(timer.AddChannel(255, nullptr), i);
    reports.debug.clear();
    EXPECT_EQ(timer.AddChannel(10, nullptr), -1);
    EXPECT_EQ(timer.GetChannelCount(), 16u);
    EXPECT_NE(reports.debug.find("AddChannel"), std::string::npos);
    EXPECT_TRUE(reports.boxes.empty());

    // The full set still runs: 255 ticks per second is a period of 1,003.
    Advance(4);
    EXPECT_EQ(timer.GetChannelAccumulator(15), 4u * 256u - 1003u);
}

TEST_F(EngineTimerTest, BadChannelIndexesAreIgnored)
{
    int calls = 0;
    ASSERT_EQ(timer.AddChannel(100, [&] { ++calls; }), 0);
    for (int32_t index : {-1, 1, 15, 16, 1000})
    {
        timer.PauseChannel(index);
        timer.ResumeChannel(index);
        EXPECT_EQ(timer.GetChannelTickTime(index), 0u);
        EXPECT_EQ(timer.GetChannelTime(index), 0u);
        EXPECT_EQ(timer.GetChannelFraction(index), 0.0f);
    }
    EXPECT_EQ(timer.GetChannelCount(), 1u);
    EXPECT_TRUE(timer.IsChannelRunning(0));
    Advance(10);
    EXPECT_EQ(calls, 1);
}

TEST_F(EngineTimerTest, InitStartsAfresh)
{
    ASSERT_EQ(timer.AddChannel(100, nullptr), 0);
    timer.SetFixedStep(true);
    time.ticks = 7777;
    EXPECT_EQ(timer.Init(), 0);
    EXPECT_EQ(timer.GetChannelCount(), 0u);
    EXPECT_FALSE(timer.IsFixedStep());
    EXPECT_EQ(timer.GetTime(), 7777u);
    EXPECT_EQ(timer.GetUpdateRate(), 0.0f);
}

// ---- rate meter ----

TEST_F(EngineTimerTest, UpdateRateMeasuredOverTwentyUpdates)
{
    for (int i = 0; i < 19; ++i)
        Advance(20);
    EXPECT_EQ(timer.GetUpdateRate(), 0.0f);
    Advance(20);
    EXPECT_FLOAT_EQ(timer.GetUpdateRate(), 50.0f); // 1000 x 20 / 400 ms

    // The next measurement covers only the next twenty updates.
    for (int i = 0; i < 19; ++i)
        Advance(10);
    EXPECT_FLOAT_EQ(timer.GetUpdateRate(), 50.0f);
    Advance(10);
    EXPECT_FLOAT_EQ(timer.GetUpdateRate(), 100.0f); // 1000 x 20 / 200 ms
}

TEST_F(EngineTimerTest, ZeroIntervalKeepsTheLastRate)
{
    for (int i = 0; i < 20; ++i)
        Advance(0);
    EXPECT_EQ(timer.GetUpdateRate(), 0.0f);
    EXPECT_TRUE(std::isfinite(timer.GetUpdateRate()));

    for (int i = 0; i < 20; ++i)
        Advance(25);
    EXPECT_FLOAT_EQ(timer.GetUpdateRate(), 40.0f); // 1000 x 20 / 500 ms

    for (int i = 0; i < 20; ++i)
        Advance(0);
    EXPECT_FLOAT_EQ(timer.GetUpdateRate(), 40.0f);
}

// ---- time and stopwatches ----

TEST_F(EngineTimerTest, StopwatchMeasuresWithoutTouchingTheProfilingTimer)
{
    time.cyclesPerRead = 9;
    CycleTimer profiling;
    ASSERT_EQ(g_pCycleTimer, &profiling);

    ASSERT_TRUE(timer.CreateStopwatch(3));
    EXPECT_EQ(g_pCycleTimer, &profiling);
    EXPECT_EQ(timer.GetStopwatchTime(3), 0u);

    timer.StartStopwatch(3);
    time.cycles += 1000;
    timer.StopStopwatch(3);
    EXPECT_EQ(timer.GetStopwatchTime(3), 1000u); // the read cost of 9 is calibrated away

    // Only the low 32 bits are answered.
    timer.StartStopwatch(3);
    time.cycles += (uint64_t{1} << 32) + 5;
    timer.StopStopwatch(3);
    EXPECT_EQ(timer.GetStopwatchTime(3), 5u);

    timer.Shutdown();
    EXPECT_EQ(timer.GetStopwatchTime(3), 0u);
    EXPECT_EQ(g_pCycleTimer, &profiling);
}

TEST_F(EngineTimerTest, BadStopwatchIndexesAreIgnored)
{
    EXPECT_FALSE(timer.CreateStopwatch(-1));
    EXPECT_FALSE(timer.CreateStopwatch(EngineTimer::kMaxStopwatches));
    for (int32_t index : {-1, 5, 32, 100})
    {
        timer.StartStopwatch(index); // 5 exists as a place but holds no stopwatch
        timer.StopStopwatch(index);
        EXPECT_EQ(timer.GetStopwatchTime(index), 0u);
    }
    EXPECT_TRUE(timer.CreateStopwatch(31));
    EXPECT_TRUE(timer.CreateStopwatch(31)); // replaces the old one
}

} // namespace
