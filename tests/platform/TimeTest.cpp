// Tests for the time functions: the injectable source, the real millisecond clock, the cycle counter and sleep.
#include "platform/Time.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>

// A source whose sleep moves its own clock instead of waiting.
struct SleeplessClock : testsupport::ManualTimeSource
{
    void Sleep(uint32_t milliseconds) override { ticks += milliseconds; }
};

TEST(TimeTest, InstalledSourceDrivesTheClocksAndSleepAndNullRestoresTheRealOne)
{
    SleeplessClock clock;
    clock.ticks = 0xFFFFFFFFu; // the last tick before the 32-bit count wraps
    clock.cycles = 5000;
    EXPECT_EQ(platform::TickCount(), 0xFFFFFFFFu);
    EXPECT_EQ(platform::ReadCycleCounter(), 5000u);

    // The real clock counts milliseconds across a sleep, and its cycle counter runs on.
    EXPECT_EQ(platform::SetTimeSource(nullptr), &clock);
    uint32_t start = platform::TickCount();
    uint64_t cycles = platform::ReadCycleCounter();
    platform::SleepMs(50);
    uint32_t elapsed = platform::TickCount() - start;
    EXPECT_GE(elapsed, 49u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_GT(platform::ReadCycleCounter(), cycles);
    platform::SetTimeSource(&clock);
    EXPECT_EQ(platform::TickCount(), 0xFFFFFFFFu);
    platform::SleepMs(7);
    EXPECT_EQ(platform::TickCount(), 6u);
}
