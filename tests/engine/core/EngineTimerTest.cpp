// Tests of the engine timing service: tick channels, fixed step, pause, the rate meter and the stopwatches.
#include "engine/core/EngineTimer.h"
#include "engine/core/CycleTimer.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>
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

    // A channel counting its callbacks in `calls`.
    int32_t AddCounted(uint32_t rate)
    {
        return timer.AddChannel(rate, [this] { ++calls; });
    }

    // Callbacks so far, then channel 0's accumulator, tick time and current time (1/256 ms).
    std::tuple<int, uint32_t, uint32_t, uint32_t> State() const
    {
        return {calls, timer.GetChannelAccumulator(0), timer.GetChannelTickTime(0), timer.GetChannelTime(0)};
    }

    testsupport::ManualTimeSource time;
    EngineTimer timer;
    int calls = 0;
};

TEST_F(EngineTimerTest, ChannelCallsBackOnceForEveryWholePeriod)
{
    Advance(500);
    time.ticks += 200; // not yet seen by an update: the channel starts from the last update's time
    ASSERT_EQ(AddCounted(100), 0);
    EXPECT_EQ(timer.GetChannelPeriod(0), 2560u); // 256,000 / 100
    EXPECT_EQ(State(), std::tuple(0, 0u, kStart + 500, kStart + 500));
    timer.ResetClock(); // drops the unseen 200 ms

    Advance(25); // 6,400 sub-ms: two periods and half of a third
    EXPECT_EQ(State(), std::tuple(2, 1280u, kStart + 500 + 2 * 2560, kStart + 500 + 2 * 2560 + 1280));
    EXPECT_FLOAT_EQ(timer.GetChannelFraction(0), 0.5f);
    // Short updates add up to the next period.
    for (int i = 0; i < 4; ++i)
        Advance(1);
    EXPECT_EQ(calls, 2);
    Advance(1);
    EXPECT_EQ(State(), std::tuple(3, 0u, kStart + 500 + 3 * 2560, kStart + 500 + 3 * 2560));
    EXPECT_FLOAT_EQ(timer.GetChannelFraction(0), 0.0f);
}

TEST_F(EngineTimerTest, TruncatedPeriodsAndLongStallsCountEveryPeriod)
{
    ASSERT_EQ(AddCounted(3), 0);
    EXPECT_EQ(timer.GetChannelPeriod(0), 85333u); // 256,000 / 3 truncated
    Advance(1000);                                // 256,000 = 3 x 85,333 + 1
    EXPECT_EQ(State(), std::tuple(3, 1u, kStart + 3 * 85333, kStart + 3 * 85333 + 1));

    // 20,000,000 ms is more than 2^32 sub-milliseconds; every one of its one-second periods counts.
    timer.Init();
    calls = 0;
    ASSERT_EQ(AddCounted(1), 0);
    Advance(20000000);
    EXPECT_EQ(calls, 20000);
    EXPECT_EQ(timer.GetChannelAccumulator(0), 0u);
}

TEST_F(EngineTimerTest, SubStepsEndAtTheEarliestDueTickInChannelOrder)
{
    // The slow channel, updated after the others in each sub-step, is seen by their callbacks as of the end of
    // the previous sub-step: had the update not stopped at the first due tick, it would show 2,560 at once.
    std::vector<std::pair<int, uint32_t>> seen;
    for (int k : {0, 1, 2})
        timer.AddChannel(k == 1 ? 200 : 100, [&, k] { seen.push_back({k, timer.GetChannelTime(3)}); });
    ASSERT_EQ(timer.AddChannel(7, nullptr), 3); // period 36,571: not due within 10 ms

    Advance(10); // 2,560: channel 1 at 1,280; then all three at 2,560
    const std::vector<std::pair<int, uint32_t>> expected = {
        {1, kStart}, {0, kStart + 1280}, {1, kStart + 1280}, {2, kStart + 1280}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(timer.GetChannelTime(3), kStart + 2560);
    EXPECT_EQ(timer.GetChannelTickTime(3), kStart);
}

TEST_F(EngineTimerTest, FixedStepAdvancesThirtyMilliseconds)
{
    ASSERT_EQ(AddCounted(100), 0);
    timer.SetFixedStep(true);
    Advance(500); // 30 ms = 7,680 = three periods exactly
    EXPECT_EQ(State(), std::tuple(3, 0u, kStart + 7680, kStart + 7680));
    // The real time was still taken: clearing the step counts only what passed since.
    timer.SetFixedStep(false);
    Advance(5);
    EXPECT_EQ(State(), std::tuple(3, 1280u, kStart + 7680, kStart + 7680 + 1280));
}

TEST_F(EngineTimerTest, PausedChannelCallsBackButItsTimeStays)
{
    ASSERT_EQ(AddCounted(100), 0);
    Advance(5); // accumulator 1,280
    timer.PauseChannel(0);
    Advance(30); // three ticks while paused; the time is frozen at the pause
    EXPECT_EQ(State(), std::tuple(3, 1280u, kStart, kStart + 1280));
    timer.ResumeChannel(0);
    Advance(5); // completes the period the paused clock was in
    EXPECT_EQ(State(), std::tuple(4, 0u, kStart + 2560, kStart + 2560));
}

// A callback that pauses or resumes a later channel changes that channel from the next pass on: the time up to
// the tick belongs to the state the channel had when the pass began.
TEST_F(EngineTimerTest, PauseOrResumeFromACallbackTakesEffectAfterThePass)
{
    auto toggle = [this](int32_t index)
    { timer.IsChannelRunning(index) ? timer.PauseChannel(index) : timer.ResumeChannel(index); };
    ASSERT_EQ(timer.AddChannel(100, [&] { toggle(1); }), 0);
    ASSERT_EQ(timer.AddChannel(100, nullptr), 1); // due together with channel 0
    ASSERT_EQ(timer.AddChannel(100, [&] { toggle(3); }), 2);
    ASSERT_EQ(timer.AddChannel(50, nullptr), 3); // period 5,120: half-way at channel 2's tick

    Advance(10); // channel 1 ran up to its tick, channel 3 up to half its period
    EXPECT_EQ(std::tuple(timer.IsChannelRunning(1), timer.GetChannelTickTime(1)), std::tuple(false, kStart + 2560));
    EXPECT_EQ(std::tuple(timer.IsChannelRunning(3), timer.GetChannelTime(3)), std::tuple(false, kStart + 2560));
    Advance(10); // channel 1 was paused through this period: its tick adds nothing
    EXPECT_EQ(std::tuple(timer.IsChannelRunning(1), timer.GetChannelTickTime(1)), std::tuple(true, kStart + 2560));
    Advance(10);
    EXPECT_EQ(std::tuple(timer.IsChannelRunning(1), timer.GetChannelTickTime(1)), std::tuple(false, kStart + 5120));
}

TEST_F(EngineTimerTest, ResetClockDropsAccumulatedAndUnseenTime)
{
    ASSERT_EQ(AddCounted(100), 0);
    Advance(5);
    time.ticks += 1000; // a long load: must not be caught up
    timer.ResetClock();
    EXPECT_EQ(timer.GetChannelAccumulator(0), 0u);
    Advance(5);
    EXPECT_EQ(State(), std::tuple(0, 1280u, kStart, kStart + 1280));
}

TEST_F(EngineTimerTest, BadRatesFullTablesAndBadIndexesAreRefused)
{
    testsupport::RecordingReportSink reports;
    EXPECT_EQ(timer.AddChannel(0, nullptr), -1);
    EXPECT_EQ(timer.AddChannel(256, nullptr), -1);
    EXPECT_NE(reports.debug.find("AddChannel"), std::string::npos);
    ASSERT_EQ(AddCounted(100), 0);
    for (int i = 1; i < EngineTimer::kMaxChannels; ++i)
        EXPECT_EQ(timer.AddChannel(255, nullptr), i);
    EXPECT_EQ(timer.AddChannel(10, nullptr), -1);
    EXPECT_EQ(timer.GetChannelCount(), 16u);
    EXPECT_TRUE(reports.boxes.empty());
    for (int32_t index : {-1, 16, 1000})
    {
        timer.PauseChannel(index);
        EXPECT_EQ(timer.GetChannelTime(index) + timer.GetChannelFraction(index), 0.0f);
        EXPECT_EQ(std::tuple(timer.GetChannelTickTime(index), timer.GetChannelAccumulator(index),
                             timer.GetChannelPeriod(index), timer.IsChannelRunning(index)),
                  std::tuple(0u, 0u, 0u, false));
    }
    // The full set still runs: 255 ticks per second is a period of 1,003.
    Advance(10);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(timer.GetChannelAccumulator(15), 10u * 256u - 2u * 1003u);

    EXPECT_FALSE(timer.CreateStopwatch(-1) || timer.CreateStopwatch(EngineTimer::kMaxStopwatches));
    for (int32_t index : {-1, 5, 32})
    {
        timer.StartStopwatch(index); // 5 exists as a place but holds no stopwatch
        timer.StopStopwatch(index);
        EXPECT_EQ(timer.GetStopwatchTime(index), 0u);
    }
}

TEST_F(EngineTimerTest, UpdateRateIsMeasuredOverTwentyUpdatesAndSkipsZeroIntervals)
{
    // The rate after 19 and after 20 updates of `step` ms.
    const std::tuple<uint32_t, float, float> rows[] = {
        {20, 0.0f, 50.0f},   // 1000 x 20 / 400 ms
        {0, 50.0f, 50.0f},   // twenty updates within one millisecond: the old rate stands
        {10, 50.0f, 100.0f}, // the next measurement covers only the next twenty updates
    };
    for (const auto& [step, before, after] : rows)
    {
        for (int i = 0; i < 19; ++i)
            Advance(step);
        EXPECT_FLOAT_EQ(timer.GetUpdateRate(), before) << step;
        Advance(step);
        EXPECT_FLOAT_EQ(timer.GetUpdateRate(), after) << step;
    }
}

TEST_F(EngineTimerTest, StopwatchMeasuresWithoutTouchingTheProfilingTimer)
{
    time.cyclesPerRead = 9;
    CycleTimer profiling;
    ASSERT_TRUE(timer.CreateStopwatch(3));
    EXPECT_EQ(g_pCycleTimer, &profiling);
    for (const auto& [cycles, expected] : {std::pair(uint64_t{1000}, 1000u), std::pair((uint64_t{1} << 32) + 5, 5u)})
    {
        timer.StartStopwatch(3);
        time.cycles += cycles;
        timer.StopStopwatch(3);
        // The read cost of 9 is calibrated away, and only the low 32 bits are answered.
        EXPECT_EQ(timer.GetStopwatchTime(3), expected);
    }
    timer.Shutdown();
    EXPECT_EQ(timer.GetStopwatchTime(3), 0u);
    EXPECT_EQ(g_pCycleTimer, &profiling);
}

} // namespace

TEST_F(EngineTimerTest, AChannelAddedAfterARestartStartsAtNoFractionOfAPeriod)
{
    ASSERT_EQ(AddCounted(100), 0);
    Advance(5); // half of a 10 ms period
    ASSERT_FLOAT_EQ(timer.GetChannelFraction(0), 0.5f);
    timer.Init(); // the channels gone; the next one takes the first slot again
    ASSERT_EQ(AddCounted(50), 0);
    EXPECT_FLOAT_EQ(timer.GetChannelFraction(0), 0.0f);
}
