// Tests that a named pipe standing where a file is read or written never holds the program up.
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace
{

enum class Outcome
{
    Met,    // finished, and what it found was what was expected
    NotMet, // finished otherwise
    Hung,   // still waiting after the time allowed
};

// Runs the check in a child process, so that one that waits for ever is ended and reported rather than holding up
// the tests.
Outcome RunWithin(std::chrono::milliseconds allowed, bool (*check)(const std::string&), const std::string& pipe)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return Outcome::NotMet;
    if (child == 0)
        ::_exit(check(pipe) ? 0 : 1);
    const auto deadline = std::chrono::steady_clock::now() + allowed;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0)
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return Outcome::Hung;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Outcome::Met : Outcome::NotMet;
}

bool ReadsAsEmpty(const std::string& pipe)
{
    FILE* file = platform::OpenFile(pipe, "rb");
    if (!file)
        return false;
    char byte = 0;
    const bool empty = std::fread(&byte, 1, 1, file) == 0 && std::feof(file);
    std::fclose(file);
    return empty;
}

bool ProfileReadsNoSections(const std::string& pipe)
{
    platform::ProfileDocument doc;
    doc.Load(pipe);
    return doc.Sections().empty();
}

bool WholeWriteFails(const std::string& pipe)
{
    return !platform::WriteFileAtomically(pipe, "x", 1);
}

bool AppendCannotOpen(const std::string& pipe)
{
    FILE* file = platform::OpenFile(pipe, "at");
    if (file)
        std::fclose(file);
    return file == nullptr;
}

bool WrittenForItsReader(const std::string& pipe)
{
    const int reader = ::open(platform::ResolveExisting(pipe).c_str(), O_RDONLY | O_NONBLOCK);
    if (reader < 0)
        return false;
    const bool written = platform::WriteFileAtomically(pipe, "x", 1);
    char byte = 0;
    const bool received = ::read(reader, &byte, 1) == 1 && byte == 'x';
    ::close(reader);
    return written && received;
}

TEST(PipeFiles, APipeWhereAFileShouldBeNeverWaitsForItsOtherEnd)
{
    struct Case
    {
        const char* what;
        bool (*check)(const std::string&);
    };
    const Case cases[] = {
        {"a file read from a pipe nobody writes to reads as empty", ReadsAsEmpty},
        {"a settings file that is such a pipe reads as no settings", ProfileReadsNoSections},
        {"a file written whole into a pipe nobody reads is not written", WholeWriteFails},
        {"a log appended to a pipe nobody reads is not opened", AppendCannotOpen},
        {"a pipe with a reader is written in place", WrittenForItsReader},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        testsupport::TempDir dir;
        const std::string pipe = dir.File("Options.ini");
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        platform::InvalidatePathCache();
        // Named in other letters, as the game names its files.
        const std::string asNamed = dir.File("OPTIONS.INI");
        EXPECT_EQ(RunWithin(std::chrono::seconds(5), c.check, asNamed), Outcome::Met);
        EXPECT_TRUE(fs::is_fifo(pipe)) << "a pipe is never replaced";
        EXPECT_FALSE(fs::exists(pipe + ".tmp"));
    }
}

} // namespace
