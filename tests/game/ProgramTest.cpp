// Tests of the program itself under a private X server with SDL's X11 driver: it starts on a copy of the sample
// data, shows the main menu (read back from its window), plays the logo movie when asked, keeps a second copy out,
// closes on a window-close request, writes the options and the scenario progress, and exits 0; a click on the
// main menu's dialog runs its button's command.
#include "tests/platform/XvfbServer.h"
#include "tests/platform/movie/MovieTestFiles.h"
#include "tests/support/TestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

namespace
{

using Clock = std::chrono::steady_clock;
constexpr const char* kTitle = "Tidewell Marivane 3D";

// Polls `done` every 20 ms for up to `seconds`.
bool WaitFor(double seconds, const std::function<bool()>& done)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end)
    {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// The exit code of a child that ends within `seconds`; -1 when it does not (it is then killed).
int WaitExit(pid_t pid, double seconds)
{
    int status = 0;
    if (!WaitFor(seconds, [&] { return waitpid(pid, &status, WNOHANG) == pid; }))
    {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_server.Installed())
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_FALSE(m_server.Display().empty()) << "Xvfb did not start";
        m_x = XOpenDisplay(m_server.Display().c_str());
        ASSERT_NE(m_x, nullptr);
        // Windows come and go while the program starts (a query on one just gone fails): errors are not fatal.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        namespace fs = std::filesystem;
        fs::copy(std::string(TW_SOURCE_DIR) + "/sample-data", m_data.Path(), fs::copy_options::recursive);
    }

    void TearDown() override
    {
        for (pid_t pid : m_children)
            WaitExit(pid, 0.0);
        if (m_x)
            XCloseDisplay(m_x);
    }

    // Starts the program in `folder` with the test's display and runtime folder.
    pid_t Start(const std::string& folder)
    {
        pid_t pid = fork();
        if (pid == 0)
        {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (chdir(folder.c_str()) != 0)
                _exit(126);
            setenv("DISPLAY", m_server.Display().c_str(), 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            setenv("XDG_RUNTIME_DIR", m_runtime.Path().c_str(), 1);
            execl(TW_PROGRAM_PATH, TW_PROGRAM_PATH, static_cast<char*>(nullptr));
            _exit(127);
        }
        m_children.insert(pid);
        return pid;
    }

    int Finish(pid_t pid, double seconds)
    {
        m_children.erase(pid);
        return WaitExit(pid, seconds);
    }

    // The top-level windows titled as the program titles its window.
    std::vector<Window> GameWindows()
    {
        std::vector<Window> found;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(m_x, DefaultRootWindow(m_x), &root, &parent, &children, &count))
        {
            for (unsigned i = 0; i < count; ++i)
            {
                char* name = nullptr;
                if (XFetchName(m_x, children[i], &name) && name)
                {
                    if (std::string(name) == kTitle)
                        found.push_back(children[i]);
                    XFree(name);
                }
            }
            XFree(children);
        }
        return found;
    }

    // The distinct colours (0xRRGGBB) of the window's 800 x 600 pixels, sampled every 4th pixel.
    std::set<uint32_t> Colours(Window window)
    {
        std::set<uint32_t> colours;
        XImage* image = XGetImage(m_x, window, 0, 0, 800, 600, AllPlanes, ZPixmap);
        if (!image)
            return colours;
        for (int y = 0; y < 600; y += 4)
            for (int x = 0; x < 800; x += 4)
                colours.insert(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        XDestroyImage(image);
        return colours;
    }

    void RequestClose(Window window)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_x, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_x, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_x, window, False, NoEventMask, &event);
        XFlush(m_x);
    }

    sdltest::XvfbServer m_server;
    Display* m_x = nullptr;
    testsupport::TempDir m_data;
    testsupport::TempDir m_runtime;
    std::set<pid_t> m_children;
};

// Moves the pointer and presses the first button through the X test extension, as a person's mouse would. The
// library stays loaded: the extension hooks the closing of the display connection.
class FakeMouse
{
public:
    FakeMouse() : m_library(dlopen("libXtst.so.6", RTLD_NOW))
    {
        if (m_library)
        {
            m_motion = reinterpret_cast<Motion>(dlsym(m_library, "XTestFakeMotionEvent"));
            m_button = reinterpret_cast<ButtonEvent>(dlsym(m_library, "XTestFakeButtonEvent"));
        }
    }
    bool Available() const { return m_motion && m_button; }
    // Rests on (x, y), then presses and releases there.
    void Click(Display* x11, int x, int y)
    {
        m_motion(x11, -1, x, y, 0);
        XFlush(x11);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        m_button(x11, 1, True, 0);
        XFlush(x11);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        m_button(x11, 1, False, 0);
        XFlush(x11);
    }

private:
    using Motion = int (*)(Display*, int, int, int, unsigned long);
    using ButtonEvent = int (*)(Display*, unsigned int, int, unsigned long);
    void* m_library;
    Motion m_motion = nullptr;
    ButtonEvent m_button = nullptr;
};

// The pixels of a 1-5-5-5 overlay colour as the screen shows it (each channel near its widened value).
bool IsOverlayColour(uint32_t rgb, uint32_t wanted)
{
    auto widen = [](uint32_t v) { return ((v & 0xF8) | (v >> 5)); };
    for (int shift : {0, 8, 16})
    {
        const int got = static_cast<int>((rgb >> shift) & 0xFF);
        const int want = static_cast<int>(widen((wanted >> shift) & 0xFF));
        if (std::abs(got - want) > 8)
            return false;
    }
    return true;
}

// A colour of the movie: pure red as studio-range YUV, and a test for its pixels after conversion.
constexpr movietest::Yuv kMovieRed{81, 90, 240};
bool IsMovieRed(uint32_t rgb)
{
    return (rgb >> 16) > 0xB0 && ((rgb >> 8) & 0xFF) < 0x50 && (rgb & 0xFF) < 0x50;
}

struct RunCase
{
    const char* name;
    bool movie;
};

class ProgramRunTest : public ProgramTest, public ::testing::WithParamInterface<RunCase>
{
};

TEST_P(ProgramRunTest, StartsShowsTheMenuKeepsOutASecondCopyAndClosesWritingItsFiles)
{
    if (GetParam().movie)
    {
        if (!movietest::HaveTools(false))
            GTEST_SKIP() << "mjpegtools are not installed";
        std::filesystem::create_directories(m_data.File("data/movies"));
        ASSERT_TRUE(movietest::MakeVideo(m_data.File("data/movies"), "halvorn.mpg", 64, 48, 25, kMovieRed));
        testsupport::WriteText(m_data.File("data/script/gameparameters.pis"),
                               "'bPLAY_MOVIE' \"true\"\r\n'bSOUND_ENABLED' \"true\"\r\n");
    }
    // A lock file left behind by a run that crashed holds no lock.
    testsupport::WriteText(m_runtime.File("tidewell.lock"), "");
    const pid_t first = Start(m_data.Path());

    std::vector<Window> windows;
    ASSERT_TRUE(WaitFor(30.0, [&] { return !(windows = GameWindows()).empty(); })) << "no window appeared";
    ASSERT_EQ(windows.size(), 1u);
    if (GetParam().movie)
    {
        EXPECT_TRUE(WaitFor(10.0,
                            [&]
                            {
                                for (uint32_t c : Colours(windows[0]))
                                    if (IsMovieRed(c))
                                        return true;
                                return false;
                            }))
            << "the movie was not seen";
    }
    // The menu: more than one colour, none of them the movie's.
    std::set<uint32_t> colours;
    EXPECT_TRUE(WaitFor(20.0,
                        [&]
                        {
                            colours = Colours(windows[0]);
                            return colours.size() > 1 && std::none_of(colours.begin(), colours.end(), IsMovieRed);
                        }))
        << colours.size() << " colours";

    testsupport::TempDir other;
    const pid_t second = Start(other.Path());
    EXPECT_EQ(Finish(second, 20.0), 0);
    EXPECT_EQ(GameWindows().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(other.File("MRV2.ini")));

    RequestClose(windows[0]);
    EXPECT_EQ(Finish(first, 20.0), 0);
    EXPECT_NE(testsupport::ReadText(m_data.File("MRV2.ini")).find("[Tidewell 2 Options]"), std::string::npos);
    // First start: scenarios 1, 5 and 9 open (4), the rest locked (1).
    std::vector<uint8_t> progress(48, 0);
    for (int i = 0; i < 12; ++i)
        progress[4 * i] = i % 4 == 0 ? 4 : 1;
    EXPECT_EQ(testsupport::ReadBytes(m_data.File("sp.bin")), progress);
    EXPECT_TRUE(std::filesystem::is_directory(m_data.File("SaveGames")));
}

TEST_F(ProgramTest, TheMainMenuDialogIsDrawnAndAClickOnAButtonRunsItsCommand)
{
    FakeMouse mouse;
    if (!mouse.Available())
        GTEST_SKIP() << "the X test extension's library is not installed";
    const pid_t pid = Start(m_data.Path());
    std::vector<Window> windows;
    ASSERT_TRUE(WaitFor(30.0, [&] { return !(windows = GameWindows()).empty(); })) << "no window appeared";
    // The menu panel's sand and the exit confirmation's red title strip.
    auto shows = [&](uint32_t colour)
    {
        for (uint32_t c : Colours(windows[0]))
            if (IsOverlayColour(c, colour))
                return true;
        return false;
    };
    const uint32_t kSand = 0xF2E6C8, kExitRed = 0xA33A2A;
    ASSERT_TRUE(WaitFor(20.0, [&] { return shows(kSand); })) << "the main menu's dialog was not drawn";
    EXPECT_FALSE(shows(kExitRed));
    // "Exit" (the menu's second button) opens the confirmation; its "Back" closes it again.
    mouse.Click(m_x, 400, 258);
    EXPECT_TRUE(WaitFor(10.0, [&] { return shows(kExitRed); })) << "the click ran no command";
    mouse.Click(m_x, 400, 333);
    EXPECT_TRUE(WaitFor(10.0, [&] { return !shows(kExitRed); })) << "Back did not close the confirmation";
    EXPECT_TRUE(shows(kSand));
    RequestClose(windows[0]);
    EXPECT_EQ(Finish(pid, 20.0), 0);
}

INSTANTIATE_TEST_SUITE_P(Runs, ProgramRunTest, ::testing::Values(RunCase{"Plain", false}, RunCase{"Movie", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
