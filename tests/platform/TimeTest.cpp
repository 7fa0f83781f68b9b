// Tests for the time functions: the injectable source, the real millisecond clock, the cycle counter and sleep.
#include "platform/Time.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(TimeTest, InstalledSourceDrivesTicksAndCycles)
{
    testsupport::ManualTimeSource clock;
    clock.ticks = 1234;
    clock.cycles = 5000;
    clock.cyclesPerRead = 10;
    EXPECT_EQ(platform::TickCount(), 1234u);
    EXPECT_EQ(platform::ReadCycleCounter(), 5000u);
    EXPECT_EQ(platform::ReadCycleCounter(), 5010u);

    // The tick count is a plain 32-bit value that wraps like the system's.
    clock.ticks = 0xFFFFFFFFu;
    uint32_t before = platform::TickCount();
    clock.ticks += 2;
    EXPECT_EQ(static_cast<uint32_t>(platform::TickCount() - before), 2u);
}

TEST(TimeTest, SetTimeSourceReturnsThePreviousAndNullRestoresTheRealClock)
{
    testsupport::ManualTimeSource outer;
    outer.ticks = 1;
    {
        testsupport::ManualTimeSource inner;
        inner.ticks = 2;
        EXPECT_EQ(platform::TickCount(), 2u);
        platform::TimeSource* replaced = platform::SetTimeSource(nullptr);
        EXPECT_EQ(replaced, &inner);
        // The real clock runs on its own: two readings a sleep apart differ.
        uint64_t c0 = platform::ReadCycleCounter();
        platform::SleepMs(2);
        EXPECT_GT(platform::ReadCycleCounter(), c0);
        platform::SetTimeSource(&inner);
    }
    EXPECT_EQ(platform::TickCount(), 1u);
}

TEST(TimeTest, RealTicksAdvanceInMillisecondsAcrossASleep)
{
    uint32_t start = platform::TickCount();
    platform::SleepMs(50);
    uint32_t elapsed = platform::TickCount() - start;
    EXPECT_GE(elapsed, 49u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(TimeTest, RealCycleCounterNeverRunsBackwards)
{
    uint64_t last = platform::ReadCycleCounter();
    for (int i = 0; i < 10000; ++i)
    {
        uint64_t now = platform::ReadCycleCounter();
        ASSERT_GE(now, last);
        last = now;
    }
}
