// Tests of the entry point's parts: the frame cap's sleeps, the single-instance lock (a crashed holder never
// blocks), and the processor check against the system's own account of the processor.
#include "game/FrameLimiter.h"
#include "game/InstanceLock.h"
#include "game/Processor.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

TEST(FrameLimiter, SleepsToTheNextDuePassAndStartsAfreshWhenFarBehind)
{
    struct Step
    {
        uint32_t now;   // tick count when the pass ends
        uint32_t sleep; // expected sleep
    };
    struct Case
    {
        const char* name;
        int32_t rate;
        uint32_t start;
        std::vector<Step> steps;
    };
    // At 50 a second the passes are due every 20 ms from the first one.
    const Case cases[] = {
        {"on time", 50, 1000, {{1005, 15}, {1025, 15}, {1059, 1}}},
        {"a pass late", 50, 1000, {{1040, 0}, {1045, 0}, {1050, 10}}},
        {"far behind", 50, 1000, {{1070, 0}, {1075, 15}}},
        {"ticks wrap", 50, 0xFFFFFFF0u, {{0xFFFFFFF5u, 15}, {0x00000005u, 19}}},
        {"a third of a millisecond", 60, 0, {{0, 16}, {17, 16}, {34, 16}, {50, 16}}},
        {"once a second", 1, 0, {{400, 600}, {1000, 1000}}},
        {"no cap", 0, 0, {{0, 0}, {1, 0}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        testsupport::ManualTimeSource clock;
        FrameLimiter limiter(c.rate);
        clock.ticks = c.start;
        limiter.Wait();
        EXPECT_EQ(limiter.GetLastSleep(), 0u);
        for (const Step& step : c.steps)
        {
            clock.ticks = step.now;
            limiter.Wait();
            EXPECT_EQ(limiter.GetLastSleep(), step.sleep) << step.now;
        }
    }
}

TEST(InstanceLock, OneHolderAtATimeAndNoneAfterItsProcessDies)
{
    testsupport::TempDir dir;
    const std::string path = dir.File("tidewell.lock");
    InstanceLock first, second;
    ASSERT_TRUE(first.Acquire(path));
    EXPECT_FALSE(second.Acquire(path) || second.CouldNotOpen());
    first.Release();
    EXPECT_TRUE(second.Acquire(path));
    second.Release();

    // A holder killed without releasing anything.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0)
    {
        InstanceLock held;
        char ok = held.Acquire(path) ? 1 : 0;
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 1);
    EXPECT_FALSE(first.Acquire(path));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(first.Acquire(path));
    close(ready[0]);
    close(ready[1]);

    InstanceLock nowhere;
    EXPECT_FALSE(nowhere.Acquire(dir.File("no/such/folder/lock")));
    EXPECT_TRUE(nowhere.CouldNotOpen());
}

TEST(Processor, TheFeatureWordHasMmxExactlyWhenTheSystemSaysSo)
{
#if defined(__i386__) || defined(__x86_64__)
    const std::string info = testsupport::ReadText("/proc/cpuinfo");
    const size_t flags = info.find("\nflags");
    if (flags == std::string::npos)
        GTEST_SKIP() << "no processor flags to compare with";
    const std::string line = info.substr(flags, info.find('\n', flags + 1) - flags) + " ";
    EXPECT_EQ((ReadProcessorFeatures() & kMmxFeatureBit) != 0, line.find(" mmx ") != std::string::npos);
#else
    EXPECT_EQ(ReadProcessorFeatures(), kMmxFeatureBit);
#endif
}

} // namespace
