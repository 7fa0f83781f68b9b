// Tests of the program itself under a private X server with SDL's X11 driver: it starts on a copy of the sample
// data full screen (the 800 x 600 picture scaled between black bars), shows the main menu (read back from the
// screen), plays the logo movie when asked, keeps a second copy out, closes on a window-close request, writes the
// options and the scenario progress into the user's folder, and exits 0; clicks on the main menu's dialog, slow or
// quick, run its buttons' commands; it finds its data on the command line or says it cannot; and the command line.
#include "game/Program.h"
#include "tests/game/ProgramScreen.h"
#include "tests/platform/XvfbServer.h"
#include "tests/platform/movie/MovieTestFiles.h"
#include "tests/support/TestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <thread>

namespace
{

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
constexpr const char* kTitle = "Tidewell Marivane 3D";
using namespace programscreen;

// The width of the narrowest screen a message box is to fit on: the game's own 800 x 600.
constexpr int kNarrowScreen = 800;

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

// Every file below a folder with its size: what a run may not change in a data set.
std::map<std::string, uintmax_t> Listing(const std::string& folder)
{
    std::map<std::string, uintmax_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files[entry.path().string()] = entry.is_regular_file() ? entry.file_size() : 0;
    return files;
}

// How a test starts the program.
struct Launch
{
    std::string folder = {};            // the working folder
    std::vector<std::string> args = {}; // the command line after the program's name
    bool display = true;                // with the X server; without, no window and no message box can be shown
    bool asOtherUser = false;           // as the unprivileged user when the tests run as root, so permissions hold
    std::map<std::string, std::optional<std::string>> env = {}; // set (or, without a value, unset) over the test's
};

class ProgramTest : public ::testing::Test
{
protected:
    ProgramTest() : m_server(kScreenW, kScreenH) {}

    void SetUp() override
    {
        if (!m_server.Installed())
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_FALSE(m_server.Display().empty()) << "Xvfb did not start";
        m_x = XOpenDisplay(m_server.Display().c_str());
        ASSERT_NE(m_x, nullptr);
        // Windows come and go while the program starts (a query on one just gone fails): errors are not fatal.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        fs::copy(std::string(TW_SOURCE_DIR) + "/sample-data", m_data.Path(), fs::copy_options::recursive);
        // Another user may need to reach the folders the program is given.
        for (const testsupport::TempDir* dir : {&m_data, &m_runtime, &m_home})
            fs::permissions(dir->Path(), fs::perms::all);
    }

    void TearDown() override
    {
        for (pid_t pid : m_children)
            WaitExit(pid, 0.0);
        if (m_x)
            XCloseDisplay(m_x);
    }

    // The user folder the program writes into.
    std::string UserFolder() const { return m_home.File("tidewell"); }

    // Starts the program with the test's display, runtime folder and data home; its standard error goes to
    // StandardError().
    pid_t Start(const Launch& launch)
    {
        std::vector<std::string> argv{TW_PROGRAM_PATH};
        argv.insert(argv.end(), launch.args.begin(), launch.args.end());
        const std::string errors = m_runtime.File("stderr.txt");
        std::remove(errors.c_str()); // the next run may be another user's
        pid_t pid = fork();
        if (pid == 0)
        {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (launch.asOtherUser && geteuid() == 0 &&
                (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
                _exit(125);
            if (chdir(launch.folder.c_str()) != 0)
                _exit(126);
            if (launch.display)
                setenv("DISPLAY", m_server.Display().c_str(), 1);
            else
                unsetenv("DISPLAY");
            setenv("SDL_VIDEODRIVER", launch.display ? "x11" : "offscreen", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            setenv("XDG_RUNTIME_DIR", m_runtime.Path().c_str(), 1);
            setenv("XDG_DATA_HOME", m_home.Path().c_str(), 1);
            for (const auto& [name, value] : launch.env)
            {
                if (value)
                    setenv(name.c_str(), value->c_str(), 1);
                else
                    unsetenv(name.c_str());
            }
            const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (fd >= 0)
                dup2(fd, STDERR_FILENO);
            std::vector<char*> raw;
            for (std::string& arg : argv)
                raw.push_back(arg.data());
            raw.push_back(nullptr);
            execv(TW_PROGRAM_PATH, raw.data());
            _exit(127);
        }
        m_children.insert(pid);
        return pid;
    }

    pid_t Start(const std::string& folder) { return Start(Launch{.folder = folder}); }

    std::string StandardError() const { return testsupport::ReadText(m_runtime.File("stderr.txt")); }

    int Finish(pid_t pid, double seconds)
    {
        m_children.erase(pid);
        return WaitExit(pid, seconds);
    }

    // A window's title: its name as the window manager reads it, in whatever encoding it was stored (a message
    // box stores its title in the user's encoding, UTF-8 here), else its UTF-8 name; empty when it has neither.
    std::string Title(Window window)
    {
        for (const char* property : {"WM_NAME", "_NET_WM_NAME"})
        {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(m_x, window, XInternAtom(m_x, property, False), 0, 1024, False, AnyPropertyType,
                                   &type, &format, &count, &after, &data) != Success)
                continue;
            std::string title = data && format == 8 ? std::string(reinterpret_cast<char*>(data), count) : "";
            if (data)
                XFree(data);
            if (!title.empty())
                return title;
        }
        return {};
    }

    // Waits up to `seconds` for the program to end, asking every window titled as it is (its message box) to close
    // meanwhile; returns its exit code, or -1 when it did not end (it is then killed). The widest such window seen
    // goes into `widest`.
    int FinishClosingBoxes(pid_t pid, double seconds, int* widest)
    {
        m_children.erase(pid);
        int status = 0;
        bool ended = false;
        WaitFor(seconds,
                [&]
                {
                    ended = waitpid(pid, &status, WNOHANG) == pid;
                    for (Window box : ended ? std::vector<Window>{} : GameWindows())
                    {
                        const std::vector<int> place = Geometry(box);
                        if (place.size() == 4)
                            *widest = std::max(*widest, place[2]);
                        RequestClose(box);
                    }
                    return ended;
                });
        if (!ended)
        {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
                if (Title(children[i]) == kTitle)
                    found.push_back(children[i]);
            }
            XFree(children);
        }
        return found;
    }

    // A window's place on the screen: left, top, width, height.
    std::vector<int> Geometry(Window window)
    {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(m_x, window, &attributes))
            return {};
        return {attributes.x, attributes.y, attributes.width, attributes.height};
    }

    // The distinct colours (0xRRGGBB) the screen shows for the 800 x 600 picture, sampled every 4th picture
    // pixel where it lands on the screen; and whether the bars beside it are all black.
    std::set<uint32_t> Colours(bool* barsBlack = nullptr)
    {
        std::set<uint32_t> colours;
        XImage* image = XGetImage(m_x, DefaultRootWindow(m_x), 0, 0, kScreenW, kScreenH, AllPlanes, ZPixmap);
        if (!image)
            return colours;
        for (int y = 0; y < 600; y += 4)
            for (int x = 0; x < 800; x += 4)
            {
                auto [sx, sy] = OnScreen(x, y);
                colours.insert(static_cast<uint32_t>(XGetPixel(image, sx, sy)) & 0xFFFFFF);
            }
        if (barsBlack)
        {
            *barsBlack = true;
            for (int y = 0; y < kScreenH; y += 8)
                for (int x : {0, kBar / 2, kBar - 1, kScreenW - kBar, kScreenW - kBar / 2, kScreenW - 1})
                    *barsBlack = *barsBlack && (XGetPixel(image, x, y) & 0xFFFFFF) == 0;
        }
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
    testsupport::TempDir m_home;
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
    // Rests on the picture's (x, y), then presses and releases there.
    void Click(Display* x11, int x, int y)
    {
        Move(x11, x, y);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        m_button(x11, 1, True, 0);
        XFlush(x11);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        m_button(x11, 1, False, 0);
        XFlush(x11);
    }
    // Moves onto the picture's (x, y), presses and releases at once: all three reach the program together.
    void QuickClick(Display* x11, int x, int y)
    {
        auto [sx, sy] = OnScreen(x, y);
        m_motion(x11, -1, sx, sy, 0);
        m_button(x11, 1, True, 0);
        m_button(x11, 1, False, 0);
        XFlush(x11);
    }
    void Move(Display* x11, int x, int y)
    {
        auto [sx, sy] = OnScreen(x, y);
        m_motion(x11, -1, sx, sy, 0);
        XFlush(x11);
    }
    // Holds the first button down where the pointer is, or lets it go.
    void Press(Display* x11, bool down)
    {
        m_button(x11, 1, down ? True : False, 0);
        XFlush(x11);
    }
    // Rests on (x, y), presses, moves in steps to (x2, y2) while holding, and lets go there.
    void Drag(Display* x11, int x, int y, int x2, int y2)
    {
        Move(x11, x, y);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Press(x11, true);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        for (int step = 1; step <= 4; ++step)
        {
            Move(x11, x + (x2 - x) * step / 4, y + (y2 - y) * step / 4);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        Press(x11, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
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
                                for (uint32_t c : Colours())
                                    if (IsMovieRed(c))
                                        return true;
                                return false;
                            }))
            << "the movie was not seen";
    }
    // The menu: more than one colour, none of them the movie's, on the picture scaled to the whole screen's
    // height between black bars.
    std::set<uint32_t> colours;
    bool barsBlack = false;
    EXPECT_TRUE(WaitFor(20.0,
                        [&]
                        {
                            colours = Colours(&barsBlack);
                            return colours.size() > 1 && barsBlack &&
                                   std::none_of(colours.begin(), colours.end(), IsMovieRed);
                        }))
        << colours.size() << " colours, bars " << (barsBlack ? "black" : "not black");
    EXPECT_EQ(Geometry(windows[0]), std::vector<int>({0, 0, kScreenW, kScreenH}));

    testsupport::TempDir other;
    const pid_t second = Start(other.Path());
    EXPECT_EQ(Finish(second, 20.0), 0);
    EXPECT_EQ(GameWindows().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(other.File("MRV2.ini")));

    const auto before = Listing(m_data.Path());
    RequestClose(windows[0]);
    EXPECT_EQ(Finish(first, 20.0), 0) << StandardError();
    // Its files are in the user's folder ($XDG_DATA_HOME/tidewell); the data folder is as it was.
    EXPECT_NE(testsupport::ReadText(UserFolder() + "/MRV2.ini").find("[Tidewell 2 Options]"), std::string::npos);
    // First start: scenarios 1, 5 and 9 open (4), the rest locked (1).
    std::vector<uint8_t> progress(48, 0);
    for (int i = 0; i < 12; ++i)
        progress[4 * i] = i % 4 == 0 ? 4 : 1;
    EXPECT_EQ(testsupport::ReadBytes(UserFolder() + "/sp.bin"), progress);
    EXPECT_TRUE(fs::is_directory(UserFolder() + "/SaveGames"));
    EXPECT_TRUE(fs::exists(UserFolder() + "/D3DEnum.txt"));
    EXPECT_EQ(Listing(m_data.Path()), before);
    EXPECT_FALSE(fs::exists(m_data.File("MRV2.ini")) || fs::exists(m_data.File("sp.bin")));
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
        for (uint32_t c : Colours())
            if (IsOverlayColour(c, colour))
                return true;
        return false;
    };
    const uint32_t kSand = 0xF2E6C8, kExitRed = 0xA33A2A;
    ASSERT_TRUE(WaitFor(20.0, [&] { return shows(kSand); })) << "the main menu's dialog was not drawn";
    EXPECT_FALSE(shows(kExitRed));
    // "Exit" (the menu's second button) opens the confirmation; its "Back" closes it again: clicked by a hand
    // that rests on the button first, then by one that comes onto it and clicks in one go, as a tablet does.
    for (bool quick : {false, true})
    {
        SCOPED_TRACE(quick ? "quick clicks" : "clicks");
        auto click = [&](int x, int y)
        {
            if (!quick)
                return mouse.Click(m_x, x, y);
            mouse.Move(m_x, 30, 30);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            mouse.QuickClick(m_x, x, y);
        };
        click(400, 258);
        EXPECT_TRUE(WaitFor(10.0, [&] { return shows(kExitRed); })) << "the click ran no command";
        click(400, 333);
        EXPECT_TRUE(WaitFor(10.0, [&] { return !shows(kExitRed); })) << "Back did not close the confirmation";
        EXPECT_TRUE(shows(kSand));
    }
    RequestClose(windows[0]);
    EXPECT_EQ(Finish(pid, 20.0), 0) << StandardError();
}

// The value of a key of the options file ("" when it has none).
std::string OptionValue(const std::string& file, const std::string& key)
{
    const std::string text = testsupport::ReadText(file);
    const size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return "";
    const size_t from = at + key.size() + 2;
    return text.substr(from, text.find_first_of("\r\n", from) - from);
}

TEST_F(ProgramTest, TheOptionsDialogsWidgetsSetTheOptionsThatTheProgramWritesOut)
{
    FakeMouse mouse;
    if (!mouse.Available())
        GTEST_SKIP() << "the X test extension's library is not installed";
    const pid_t pid = Start(m_data.Path());
    std::vector<Window> windows;
    ASSERT_TRUE(WaitFor(30.0, [&] { return !(windows = GameWindows()).empty(); })) << "no window appeared";
    // One picture pixel as the screen shows it.
    auto pixel = [&](int x, int y)
    {
        auto [sx, sy] = OnScreen(x, y);
        XImage* image = XGetImage(m_x, DefaultRootWindow(m_x), sx, sy, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0u;
        const uint32_t rgb = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
        XDestroyImage(image);
        return rgb;
    };
    auto showsAt = [&](int x, int y, uint32_t colour)
    { return WaitFor(20.0, [&] { return IsOverlayColour(pixel(x, y), colour); }); };
    const uint32_t kSand = 0xF2E6C8, kTitleGreen = 0x3C7A3C, kChosenTab = 0xFAF3DF, kOtherTab = 0xC8B88A;
    ASSERT_TRUE(showsAt(400, 150, kSand)) << "the main menu's dialog was not drawn: " << std::hex << pixel(400, 150);
    // "Options" (the menu's first button) opens the options dialog at (180, 140) on its sound page.
    mouse.Click(m_x, 400, 198);
    ASSERT_TRUE(showsAt(200, 150, kTitleGreen)) << "the options dialog did not open";
    EXPECT_TRUE(showsAt(194, 186, kChosenTab));
    EXPECT_TRUE(showsAt(402, 186, kOtherTab));
    // The music slider runs from x 384 to 598 at y 214 to 232; its 12-pixel knob travels 202 pixels. Dragged from
    // x 400 to 500 it leaves the volume at (500 - 384) / 202 = 0.574, cut to hundredths.
    mouse.Drag(m_x, 400, 222, 500, 222);
    // The game page (its header at x 398 to 498): the edge-scrolling box and the rescue messages' "Off".
    mouse.Click(m_x, 448, 187);
    EXPECT_TRUE(showsAt(402, 186, kChosenTab)) << "the game page did not come up";
    EXPECT_TRUE(showsAt(194, 186, kOtherTab));
    mouse.Click(m_x, 205, 221);
    mouse.Click(m_x, 530, 264);
    // The video page: the materials box (x 384 to 524, y 302 to 319) opens rows of 32 pixels under it; the first
    // is "Medium". Then the draw distance's decimals field (x 561 to 579) and its increment (x 595 to 603).
    mouse.Click(m_x, 344, 187);
    mouse.Click(m_x, 430, 310);
    mouse.Click(m_x, 430, 335);
    mouse.Click(m_x, 570, 220);
    mouse.Click(m_x, 599, 222);
    // Done writes the options; so does the close.
    mouse.Click(m_x, 400, 414);
    EXPECT_TRUE(WaitFor(10.0, [&] { return !IsOverlayColour(pixel(200, 150), kTitleGreen); }))
        << "Done did not close the options";
    const std::string options = UserFolder() + "/MRV2.ini";
    EXPECT_TRUE(WaitFor(10.0, [&] { return OptionValue(options, "MaterialQuality") == "1"; }))
        << testsupport::ReadText(options);
    RequestClose(windows[0]);
    EXPECT_EQ(Finish(pid, 20.0), 0) << StandardError();
    EXPECT_FLOAT_EQ(std::stof(OptionValue(options, "MusicVol")), 0.57f) << testsupport::ReadText(options);
    EXPECT_FLOAT_EQ(std::stof(OptionValue(options, "EffectsVol")), 0.75f);
    EXPECT_EQ(OptionValue(options, "NudgeScroll"), "0");
    EXPECT_EQ(OptionValue(options, "Conservation"), "0");
    EXPECT_EQ(OptionValue(options, "MaterialQuality"), "1");
    EXPECT_FLOAT_EQ(std::stof(OptionValue(options, "DrawDist")), 0.6f);
}

TEST_F(ProgramTest, StartedElsewhereWithAReadOnlyDataFolderNamedItRunsAndWritesIntoTheUserFolder)
{
    // Nothing in the data set may be written: its folders and files lose their write permissions (and the
    // program runs as another user when the tests run as root, whom permissions do not stop).
    for (const auto& entry : fs::recursive_directory_iterator(m_data.Path()))
        fs::permissions(entry.path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    fs::permissions(m_data.Path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const auto before = Listing(m_data.Path());
    testsupport::TempDir elsewhere;
    fs::permissions(elsewhere.Path(), fs::perms::all);
    // In a window of the picture's size at the top-left of the screen, as asked.
    const pid_t pid =
        Start(Launch{.folder = elsewhere.Path(), .args = {"--windowed", m_data.Path()}, .asOtherUser = true});
    std::vector<Window> windows;
    ASSERT_TRUE(WaitFor(30.0, [&] { return !(windows = GameWindows()).empty(); }))
        << "no window appeared: " << StandardError();
    EXPECT_TRUE(WaitFor(10.0,
                        [&] {
                            return Geometry(windows[0]) == std::vector<int>({0, 0, 800, 600});
                        }))
        << Geometry(windows[0]).size();
    EXPECT_TRUE(WaitFor(20.0, [&] { return fs::exists(UserFolder() + "/D3DEnum.txt"); }));
    RequestClose(windows[0]);
    EXPECT_EQ(Finish(pid, 20.0), 0) << StandardError();
    EXPECT_TRUE(fs::exists(UserFolder() + "/MRV2.ini"));
    EXPECT_TRUE(fs::exists(UserFolder() + "/sp.bin"));
    EXPECT_TRUE(fs::is_directory(UserFolder() + "/SaveGames"));
    EXPECT_EQ(Listing(m_data.Path()), before);
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
    // The folders made for the user are the user's alone.
    EXPECT_EQ(fs::status(UserFolder()).permissions() & fs::perms::all, fs::perms::owner_all);
    for (const auto& entry : fs::recursive_directory_iterator(m_data.Path()))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(m_data.Path(), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(ProgramTest, WithoutItsDataAnywhereItSaysSoOnceAndExits)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> args;
        bool display;       // a message box may be shown too (where the system can show one), waiting to be closed
        std::string looked; // a folder the message names
    };
    testsupport::TempDir empty, named;
    fs::permissions(empty.Path(), fs::perms::all);
    // Looked for in the working folder, then beside the program.
    const std::string program = fs::path(TW_PROGRAM_PATH).parent_path().string();
    const Case cases[] = {
        {"nothing named, the working folder empty", {}, false, empty.Path() + " or " + program + "."},
        {"a folder named that lacks the data", {named.Path()}, false, named.Path()},
        {"on a display", {}, true, empty.Path()},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const pid_t pid = Start(Launch{.folder = empty.Path(), .args = c.args, .display = c.display});
        int widest = 0;
        ASSERT_EQ(FinishClosingBoxes(pid, 30.0, &widest), 0) << "the program did not end, or failed";
        // A box shown says it across lines that fit on the game's own 800-pixel-wide screen.
        EXPECT_LE(widest, kNarrowScreen);
        const std::string errors = StandardError();
        // One line, saying what is missing, where it was looked for, and how to name the folder.
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find("cannot find its data set"), std::string::npos) << errors;
        EXPECT_NE(errors.find("data/script/gameparameters.pis"), std::string::npos) << errors;
        EXPECT_NE(errors.find(c.looked), std::string::npos) << errors;
        EXPECT_NE(errors.find("tidewell DATA-FOLDER"), std::string::npos) << errors;
        EXPECT_TRUE(fs::is_empty(empty.Path()));
        EXPECT_FALSE(fs::exists(UserFolder()));
    }
}

TEST_F(ProgramTest, WhenItsUserFolderCannotBeMadeItSaysSoOnceAndExits)
{
    testsupport::WriteText(m_runtime.File("file"), "");
    struct Case
    {
        const char* name;
        std::map<std::string, std::optional<std::string>> env;
        bool asOtherUser;
        std::string folder; // the folder the message names
    };
    std::vector<Case> cases = {
        {"the data home lies below a file",
         {{"XDG_DATA_HOME", m_runtime.File("file/share")}},
         false,
         m_runtime.File("file/share/tidewell")},
    };
    // Without $XDG_DATA_HOME and $HOME, the home folder is the system's account of the user's: the unprivileged
    // user's cannot be written.
    if (geteuid() == 0 && getpwuid(65534) && getpwuid(65534)->pw_dir)
        cases.push_back({"the user's home from the system's accounts",
                         {{"XDG_DATA_HOME", {}}, {"HOME", {}}},
                         true,
                         std::string(getpwuid(65534)->pw_dir) + "/.local/share/tidewell"});
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        fs::remove(m_runtime.File("tidewell.lock")); // made by the last run, perhaps another user's
        Launch launch{m_data.Path(), {}, true, c.asOtherUser};
        launch.env = c.env;
        const pid_t pid = Start(launch);
        int widest = 0;
        EXPECT_EQ(FinishClosingBoxes(pid, 30.0, &widest), 0);
        EXPECT_LE(widest, kNarrowScreen);
        const std::string errors = StandardError();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find("cannot make the folder " + c.folder + " for its options"), std::string::npos) << errors;
        EXPECT_TRUE(GameWindows().empty());
    }
}

TEST_F(ProgramTest, HelpAndAnUnknownOptionTellTheUsageAndDoNothingElse)
{
    for (const char* arg : {"--help", "--bogus"})
    {
        SCOPED_TRACE(arg);
        const pid_t pid = Start(Launch{.folder = m_data.Path(), .args = {arg}, .display = false});
        EXPECT_EQ(Finish(pid, 30.0), 0);
        const std::string errors = StandardError();
        EXPECT_EQ(errors.find("usage: tidewell [--windowed] [DATA-FOLDER]") != std::string::npos,
                  std::string(arg) == "--bogus")
            << errors;
        EXPECT_FALSE(fs::exists(UserFolder()));
    }
}

TEST(ProgramCommandLine, OptionsAndOneDataFolder)
{
    struct Case
    {
        std::vector<const char*> args; // after the program's name
        const char* folder;
        bool windowed, help, error;
    };
    const Case cases[] = {
        {{}, "", false, false, false},
        {{"/games/tidewell"}, "/games/tidewell", false, false, false},
        {{"--windowed", "data"}, "data", true, false, false},
        {{"data", "--windowed"}, "data", true, false, false},
        {{"--help"}, "", false, true, false},
        {{"-h"}, "", false, true, false},
        {{"--", "--windowed"}, "--windowed", false, false, false}, // after "--", a folder of that name
        {{"--fullscreen"}, "", false, false, true},
        {{"-w"}, "", false, false, true}, // an unknown short option is no folder either
        {{"--", "-w"}, "-w", false, false, false},
        {{"a", "b"}, "a", false, false, true},
        {{""}, "", false, false, true},
    };
    for (const Case& c : cases)
    {
        std::vector<const char*> argv{"tidewell"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        argv.push_back(nullptr);
        const ProgramOptions options = ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
        SCOPED_TRACE(::testing::Message()
                     << c.args.size() << " arguments, first " << (c.args.empty() ? "" : c.args[0]));
        EXPECT_EQ(options.dataFolder, c.folder);
        EXPECT_EQ(options.windowed, c.windowed);
        EXPECT_EQ(options.help, c.help);
        EXPECT_EQ(!options.error.empty(), c.error) << options.error;
    }
    EXPECT_EQ(ParseCommandLine(0, nullptr).dataFolder, "");
}

TEST(ProgramFolders, TheDataIsLookedForWherePlayersExpectItAndTheUserFolderByTheRules)
{
    testsupport::TempDir withData, withoutData, other;
    fs::create_directories(withData.File("Data/Script"));
    testsupport::WriteText(withData.File("Data/Script/GameParameters.PIS"), "");
    struct Case
    {
        std::string named, working, program;
        std::string found;
        std::vector<std::string> looked;
    };
    const std::string yes = withData.Path(), no = withoutData.Path(), also = other.Path();
    const Case cases[] = {
        {"", yes, no, yes, {yes}},      // the working folder first
        {"", no, yes, yes, {no, yes}},  // else the program's folder
        {"", no, also, "", {no, also}}, // neither
        {yes, no, no, yes, {yes}},      // the folder named
        {no, yes, yes, "", {no}},       // a folder named is the only one looked in
        {"", no, "", "", {no}},         // the program's folder unknown
        {"", no, no, "", {no}},         // the program runs in the working folder: looked in once
    };
    for (const Case& c : cases)
    {
        std::vector<std::string> looked;
        EXPECT_EQ(FindDataFolder(c.named, c.working, c.program, &looked), c.found);
        EXPECT_EQ(looked, c.looked);
    }
    EXPECT_EQ(UserFolderFor("/xdg", "/home/a"), "/xdg/tidewell");
    EXPECT_EQ(UserFolderFor(nullptr, "/home/a"), "/home/a/.local/share/tidewell");
    EXPECT_EQ(UserFolderFor(nullptr, nullptr), "");
}

INSTANTIATE_TEST_SUITE_P(Runs, ProgramRunTest, ::testing::Values(RunCase{"Plain", false}, RunCase{"Movie", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
