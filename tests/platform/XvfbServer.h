// Test helper: a private X server (Xvfb) on a free display, and a fixture that runs the game window on it.
#pragma once

#include "platform/Window.h"
#include "tests/platform/SdlTestEvents.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace sdltest
{

// Starts Xvfb with one screen (1024 x 768 unless told) on the first free display and stops it on destruction.
// Display() is empty when Xvfb is not installed (Installed() false) or did not come up.
class XvfbServer
{
public:
    static constexpr int kScreenWidth = 1024;
    static constexpr int kScreenHeight = 768;

    explicit XvfbServer(int width = kScreenWidth, int height = kScreenHeight)
    {
        m_installed = OnPath("Xvfb");
        if (!m_installed)
            return;
        int fds[2];
        if (pipe(fds) != 0)
            return;
        // Everything the child needs is made before the fork: it only redirects and execs.
        const std::string fd = std::to_string(fds[1]);
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        // -noreset: the pointer stays where a test put it when the last client (a destroyed window) goes.
        const char* argv[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen",  "0",
                              screen.c_str(), "-nolisten",  "tcp",      "-noreset", nullptr};
        m_pid = fork();
        if (m_pid == 0)
        {
            // The server must not outlive a test that crashes.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            close(fds[0]);
            int null = ::open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execvp(argv[0], const_cast<char* const*>(argv));
            _exit(127);
        }
        close(fds[1]);
        if (m_pid > 0)
            m_display = ReadDisplay(fds[0]);
        close(fds[0]);
        if (m_display.empty())
            Stop();
    }

    ~XvfbServer() { Stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool Installed() const { return m_installed; }
    // ":N", or empty.
    const std::string& Display() const { return m_display; }

private:
    static bool OnPath(const std::string& program)
    {
        const char* path = std::getenv("PATH");
        std::string dirs = path ? path : "/usr/bin:/bin";
        for (size_t start = 0; start <= dirs.size();)
        {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos)
                end = dirs.size();
            if (access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
                return true;
            start = end + 1;
        }
        return false;
    }

    // Xvfb writes its display number to the descriptor once it accepts clients.
    static std::string ReadDisplay(int fd)
    {
        std::string number;
        for (;;)
        {
            pollfd p{fd, POLLIN, 0};
            char c = 0;
            if (poll(&p, 1, 10000) <= 0 || read(fd, &c, 1) != 1)
                return {};
            if (c == '\n')
                return number.empty() ? std::string() : ":" + number;
            number += c;
        }
    }

    void Stop()
    {
        if (m_pid > 0)
        {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
        m_display.clear();
    }

    bool m_installed = false;
    pid_t m_pid = -1;
    std::string m_display;
};

// Sets an environment variable for the scope and puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// The game window under SDL's X11 driver on a private Xvfb; skipped when Xvfb is not installed, failed when it
// is but does not start. The pointer is moved with SDL's global warp, as a player moves it: the X server then
// sends the crossing and motion events. A fixture may ask for another screen size and the full-screen window.
class X11WindowTest : public ::testing::Test
{
protected:
    explicit X11WindowTest(int screenWidth = XvfbServer::kScreenWidth, int screenHeight = XvfbServer::kScreenHeight,
                           platform::WindowMode mode = platform::WindowMode::Window)
        : m_server(screenWidth, screenHeight), m_mode(mode)
    {
    }

    void SetUp() override
    {
        if (!m_server.Installed())
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_FALSE(m_server.Display().empty()) << "Xvfb did not start";
        m_displayEnv.emplace("DISPLAY", m_server.Display());
        m_driverEnv.emplace("SDL_VIDEODRIVER", "x11");
        platform::SetWindowMode(m_mode);
        m_windowMade = platform::CreateGameWindow("x11 input test");
        platform::SetWindowMode(platform::WindowMode::Window);
        ASSERT_TRUE(m_windowMade) << SDL_GetError();
        ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
        Drain();
    }

    void TearDown() override
    {
        if (m_windowMade)
            platform::DestroyGameWindow();
        m_driverEnv.reset();
        m_displayEnv.reset();
    }

    // Warps the pointer to a screen position and pumps until `done` holds (the X server's events arrive on
    // their own time); false when it never does.
    static bool WarpUntil(int x, int y, const std::function<bool()>& done)
    {
        SDL_WarpMouseGlobal(x, y);
        for (int i = 0; i < 400; ++i)
        {
            if (done())
                return true;
            SDL_Delay(5);
        }
        return done();
    }

    const std::string& DisplayName() const { return m_server.Display(); }

private:
    XvfbServer m_server;
    platform::WindowMode m_mode;
    std::optional<ScopedEnv> m_displayEnv;
    std::optional<ScopedEnv> m_driverEnv;
    bool m_windowMade = false;
};

} // namespace sdltest
