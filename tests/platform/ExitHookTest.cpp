// The test binaries' exit hook: code that ends the process with exit code 0 in the middle of a test makes the
// binary fail instead of reading as passed.
#include "platform/Report.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace
{

// Run only by the test below, in a child process of its own.
TEST(ExitHook, DISABLED_CodeUnderTestEndsTheProcess)
{
    platform::ExitProcess(0);
}

TEST(ExitHook, AProcessEndedWithCodeZeroDuringATestFails)
{
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
        execl("/proc/self/exe", "test", "--gtest_filter=ExitHook.DISABLED_CodeUnderTestEndsTheProcess",
              "--gtest_also_run_disabled_tests", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(WEXITSTATUS(status), 127);
}

} // namespace
