// The whole game as a player meets it: the real program on a copy of the sample data, full screen on a private X
// server through SDL's X11 driver, driven only by pointer and key events of the X test extension, watched through
// the screen and the state file it writes when TW_STATE_FILE names one. Each step is checked on the state and on a
// screenshot that is neither blank nor the same as the one before: the main menu; scenario 1 started from the list;
// the build panel's snack kiosk placed and paid for; five cells of footpath laid with the scenery panel's path tool
// and paid for; a cleaner hired from the toolbar's staff panel; two game days at top speed with guests coming in,
// buying at the shop and going home, and no message box; the park saved into slot 0 with the save dialog; the park
// left for the main menu with the toolbar's quit button and the save loaded back from the menu's load page; the music
// volume changed in the options and kept in the options file; the progress file of 48 bytes.
#include "tests/game/GameHarness.h"
#include "tests/game/ProgramScreen.h"
#include "tests/platform/XvfbServer.h"
#include "tests/support/TestSupport.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using gametest::Frame;
using namespace programscreen;

constexpr int kPictureW = 800, kPictureH = 600;

// Points of the park's GUI on the picture (sample-data/src/data/script/gui/GUI.pis): the toolbar's buttons along the
// bottom, the build panel's build button, the object browser's hire-a-cleaner and close buttons, the save dialog's
// Save and Close, the saved box's OK and the exit confirmation's quit button; and the front end's (MainMenu.pis):
// the main menu's load button and the load page's.
constexpr std::pair<int, int> kToolbarStaff{40, 578}, kToolbarSlower{250, 578}, kToolbarSave{390, 578};
constexpr std::pair<int, int> kToolbarQuit{760, 578};
constexpr std::pair<int, int> kBuildPanelBuild{60, 536};
constexpr std::pair<int, int> kBrowserHireCleaner{58, 380}, kBrowserClose{430, 76};
constexpr std::pair<int, int> kSaveDialogSave{170, 402}, kSaveDialogClose{620, 402}, kSavedOk{400, 302};
constexpr std::pair<int, int> kMenuLoad{88, 254}, kLoadPageLoad{712, 544};
constexpr std::pair<int, int> kExitConfirmQuit{350, 302};

// The sample data's prices (sample-data/src/data/script/mrvscenery.pis and mrvbuildings.pis).
constexpr double kFootpathCost = 10.0;
constexpr double kKioskCost = 600.0;
constexpr double kKioskSale = 1.50;
// The sample's scenario 1 (sample-data/data/Scenario/Scenario1): a park with its entrance open to guests, offering
// the snack kiosk. Its world script (sample-data/src/data/Scenario/Scenario1/World.pis) builds five buildings: the
// entrance, a staff room, a fun house, a lagoon and an arena.
constexpr int kSampleParkBuildings = 5;
// The day the test plays: the sample's 720 game seconds cut to 360 in the test's copy of the data, so that two days
// at top speed (four times) pass in three minutes, while the building steps of the first morning, played at the
// normal speed on a slow machine, end well before the first midnight (whose wages would move the cash).
constexpr int kDayLength = 360;
// Five open cells of one row of the sample park's walkable area (src/maps/BaycrestGrid.txt): west of the avenue,
// in front of the cross path and beside the lagoon, where the world script builds nothing.
constexpr int kPathRow = 28;
constexpr int kPathFirst = 52;
constexpr int kPathCells = 5;

void Sleep(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The state file: "name value" lines.
using State = std::map<std::string, std::string>;

State ParseState(const std::string& text)
{
    State state;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        const size_t space = line.find(' ');
        if (space == std::string::npos)
            state[line] = "";
        else
            state[line.substr(0, space)] = line.substr(space + 1);
    }
    return state;
}

std::string Field(const State& state, const char* name)
{
    const auto it = state.find(name);
    return it == state.end() ? std::string() : it->second;
}

double Number(const State& state, const char* name)
{
    const auto it = state.find(name);
    if (it == state.end())
        return std::nan("");
    char* end = nullptr;
    const double value = std::strtod(it->second.c_str(), &end);
    return end && end != it->second.c_str() ? value : std::nan("");
}

bool IsOpen(const State& state, const char* dialog)
{
    const auto it = state.find("open");
    if (it == state.end())
        return false;
    std::istringstream names(it->second);
    std::string name;
    while (names >> name)
        if (name == dialog)
            return true;
    return false;
}

// What the player paid between two states of the same day: the cash that went, less what the park took meanwhile
// (the day's income, which only grows until midnight).
// What the park paid out between two states: the cash it lost plus what it took meanwhile (the day's income, and the
// animal attractions' takings, which the day's income leaves out).
double Spent(const State& before, const State& after)
{
    return Number(before, "cash") - Number(after, "cash") + Number(after, "income") - Number(before, "income") +
           Number(after, "exhibits") - Number(before, "exhibits");
}

std::string Describe(const State& state)
{
    std::string text;
    for (const auto& [name, value] : state)
        text += name + "=" + value + " ";
    return text;
}

// Distinct colours of a frame, sampled (a blank frame has one).
size_t ColourCount(const Frame& frame)
{
    std::set<uint32_t> colours;
    for (size_t i = 0; i < frame.pixels.size(); i += 7)
        colours.insert(frame.pixels[i] & 0xFFFFFF);
    return colours.size();
}

// The share of pixels that differ between two frames of the same size (1 when the sizes differ).
double Difference(const Frame& a, const Frame& b)
{
    if (a.pixels.size() != b.pixels.size() || a.pixels.empty())
        return 1.0;
    size_t differ = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        differ += (a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF) ? 1 : 0;
    return static_cast<double>(differ) / static_cast<double>(a.pixels.size());
}

// The first bytes of a save file: the typed stream's own header (tag 0, length 20, "Binary Serial Stream"), the
// identification as a header string (tag 0, length, "Tidewell MRK2 Save") and the version as a float (tag 3, 4.9).
std::vector<uint8_t> SaveFilePrefix()
{
    std::vector<uint8_t> bytes;
    auto header = [&](const std::string& text)
    {
        bytes.push_back(0);
        const uint32_t length = static_cast<uint32_t>(text.size());
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(length >> (8 * i)));
        bytes.insert(bytes.end(), text.begin(), text.end());
    };
    header("Binary Serial Stream");
    header("Tidewell MRK2 Save");
    bytes.push_back(3);
    const float version = 4.9f;
    uint32_t bits = 0;
    std::memcpy(&bits, &version, sizeof bits);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    return bytes;
}

class EndToEndTest : public ::testing::Test
{
protected:
    EndToEndTest() : m_server(kScreenW, kScreenH) {}

    void SetUp() override
    {
        if (!m_server.Installed())
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_FALSE(m_server.Display().empty()) << "Xvfb did not start";
        m_x = XOpenDisplay(m_server.Display().c_str());
        ASSERT_NE(m_x, nullptr);
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        m_xtest = dlopen("libXtst.so.6", RTLD_NOW);
        if (m_xtest)
        {
            m_motion = reinterpret_cast<Motion>(dlsym(m_xtest, "XTestFakeMotionEvent"));
            m_button = reinterpret_cast<ButtonEvent>(dlsym(m_xtest, "XTestFakeButtonEvent"));
            m_key = reinterpret_cast<KeyEvent>(dlsym(m_xtest, "XTestFakeKeyEvent"));
        }
        if (!m_motion || !m_button || !m_key)
            GTEST_SKIP() << "the X test extension's library is not installed";
        fs::copy(std::string(TW_SOURCE_DIR) + "/sample-data", m_data.Path(), fs::copy_options::recursive);
        const std::string parameters = m_data.File("data/script/gameparameters.pis");
        std::string text = testsupport::ReadText(parameters);
        const std::string key = "'iDAY_LENGTH_IN_SECONDS'";
        const size_t at = text.find(key);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, text.find('\n', at) - at, key + " " + std::to_string(kDayLength));
        testsupport::WriteText(parameters, text);
    }

    void TearDown() override
    {
        if (m_pid > 0)
            Finish(0.0);
        if (m_x)
            XCloseDisplay(m_x);
    }

    std::string UserFolder() const { return m_home.File("tidewell"); }
    std::string StandardError() const { return testsupport::ReadText(m_runtime.File("stderr.txt")); }

    // Starts the program on the data copy with the test's display, folders and state file.
    void Start()
    {
        std::remove(m_runtime.File("state.txt").c_str());
        const std::string errors = m_runtime.File("stderr.txt");
        const std::string state = m_runtime.File("state.txt");
        std::vector<std::string> argv{TW_PROGRAM_PATH, m_data.Path()};
        m_pid = fork();
        if (m_pid == 0)
        {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            setenv("DISPLAY", m_server.Display().c_str(), 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            setenv("XDG_RUNTIME_DIR", m_runtime.Path().c_str(), 1);
            setenv("XDG_DATA_HOME", m_home.Path().c_str(), 1);
            setenv("TW_STATE_FILE", state.c_str(), 1);
            const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
            if (fd >= 0)
                dup2(fd, STDERR_FILENO);
            std::vector<char*> raw;
            for (std::string& arg : argv)
                raw.push_back(arg.data());
            raw.push_back(nullptr);
            execv(TW_PROGRAM_PATH, raw.data());
            _exit(127);
        }
    }

    // The exit code of the program when it ends within `seconds`; -1 when it does not (it is then killed).
    int Finish(double seconds)
    {
        int status = 0;
        const pid_t pid = m_pid;
        m_pid = -1;
        if (!WaitFor(seconds, [&] { return waitpid(pid, &status, WNOHANG) == pid; }))
        {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    State ReadState() const { return ParseState(testsupport::ReadText(m_runtime.File("state.txt"))); }

    // Polls the state until `done` holds (generous: the machine may be loaded); the last state read either way.
    State WaitState(double seconds, const std::function<bool(const State&)>& done)
    {
        State state;
        WaitFor(seconds,
                [&]
                {
                    state = ReadState();
                    return !state.empty() && done(state);
                });
        return state;
    }

    // The game seconds since the park's start.
    static double GameSeconds(const State& state)
    {
        return (Number(state, "day") * 24.0 + Number(state, "hour")) * kDayLength / 24.0;
    }

    // What the park spends by itself (research, running costs) while as much game time passes again as between the
    // two states given, measured from the second: the allowance for a purchase's check. The park pays in steps, so
    // an equal stretch may hold one step more: half as much again, and half a dollar.
    double Drift(const State& before, const State& after)
    {
        const double span = GameSeconds(after) - GameSeconds(before);
        const State later =
            WaitState(120.0, [&](const State& s) { return GameSeconds(s) >= GameSeconds(after) + span; });
        return 1.5 * std::fabs(Spent(after, later)) + 0.5;
    }

    // Waits until the program has run three passes of its main loop more, so that it has taken the events sent.
    State Settle()
    {
        const double passes = Number(ReadState(), "passes");
        return WaitState(30.0, [&](const State& s) { return !(Number(s, "passes") < passes + 3); });
    }

    void Move(int x, int y)
    {
        const auto [sx, sy] = OnScreen(x, y);
        m_motion(m_x, -1, sx, sy, 0);
        XFlush(m_x);
        Settle();
    }

    void Press(bool down)
    {
        m_button(m_x, 1, down ? True : False, 0);
        XFlush(m_x);
        Settle();
    }

    void Click(int x, int y)
    {
        Move(x, y);
        Press(true);
        Press(false);
    }

    void Key(const char* name)
    {
        const KeyCode code = XKeysymToKeycode(m_x, XStringToKeysym(name));
        ASSERT_NE(code, 0) << name;
        m_key(m_x, code, True, 0);
        XFlush(m_x);
        Settle();
        m_key(m_x, code, False, 0);
        XFlush(m_x);
        Settle();
    }

    // The picture as the screen shows it (read back from the X server), kept under `name` for people to look at
    // when TW_SCREENSHOT_DIR is set.
    Frame Shot(const std::string& name)
    {
        Frame frame;
        XImage* image = XGetImage(m_x, DefaultRootWindow(m_x), 0, 0, kScreenW, kScreenH, AllPlanes, ZPixmap);
        if (!image)
            return frame;
        frame.width = kPictureW;
        frame.height = kPictureH;
        frame.pixels.resize(static_cast<size_t>(kPictureW) * kPictureH);
        for (int y = 0; y < kPictureH; ++y)
            for (int x = 0; x < kPictureW; ++x)
            {
                const auto [sx, sy] = OnScreen(x, y);
                frame.pixels[static_cast<size_t>(y) * kPictureW + x] =
                    0xFF000000u | (static_cast<uint32_t>(XGetPixel(image, sx, sy)) & 0xFFFFFF);
            }
        XDestroyImage(image);
        gametest::GameHarness::Keep(frame, "e2e-" + name);
        return frame;
    }

    // Checks the screenshot of a step: neither blank nor the same as the last step's; it becomes the last.
    void CheckShot(const std::string& name, size_t minColours = 20, double minDifference = 0.002)
    {
        const Frame frame = Shot(name);
        ASSERT_EQ(frame.pixels.size(), static_cast<size_t>(kPictureW) * kPictureH) << name;
        EXPECT_GT(ColourCount(frame), minColours) << name << " looks blank";
        if (!m_last.pixels.empty())
        {
            EXPECT_GT(Difference(m_last, frame), minDifference) << name << " shows what the step before showed";
        }
        m_last = frame;
    }

    // The pointer over the middle of the park cell, found as a player finds it: moved a few pixels at a time
    // towards the cell the game says is under it. The picture point, or nothing when it cannot be reached.
    std::optional<std::pair<int, int>> FindCell(int cellX, int cellY, int x, int y)
    {
        for (int step = 0; step < 400; ++step)
        {
            Move(x, y);
            std::istringstream cursor(ReadState()["cursor"]);
            int cx = -1, cy = -1;
            cursor >> cx >> cy;
            if (cx == cellX && cy == cellY)
                return std::make_pair(x, y);
            if (cx < 0)
                y += 4; // off the ground: nearer the bottom of the picture
            else
            {
                // Further x lies right on the picture, further y higher up.
                x += cx < cellX ? 3 : cx > cellX ? -3 : 0;
                y += cy < cellY ? -3 : cy > cellY ? 3 : 0;
            }
            if (x < 0 || x >= kPictureW || y < 0 || y >= kPictureH)
                return std::nullopt;
        }
        return std::nullopt;
    }

    void Click(std::pair<int, int> at) { Click(at.first, at.second); }

    // Scenario 1 started from the main menu: Start, the list's first row, start again; the park's state once it is
    // shown.
    State StartFirstScenario()
    {
        Click(88, 174);
        State state = WaitState(30.0, [](const State& s) { return Field(s, "page") == "StartScreen"; });
        EXPECT_EQ(state["page"], "StartScreen");
        Sleep(1.5); // the page's buttons come in
        Click(200, 119);
        Click(712, 544);
        return WaitState(180.0, [](const State& s) { return Field(s, "park") == "1" && Field(s, "screen") == "0"; });
    }

    // The toolbar's quit button and the exit confirmation's: the front end again, which comes back from a park on
    // its scenario list (the main menu's own page shows only on the first entry and after the credits), and its
    // back button to the main menu's page. Whether that page came.
    bool QuitToMenu()
    {
        Click(kToolbarQuit);
        if (!IsOpen(WaitState(30.0, [](const State& s) { return IsOpen(s, "ExitConfirmBox"); }), "ExitConfirmBox"))
            return false;
        Click(kExitConfirmQuit);
        State state = WaitState(120.0,
                                [](const State& s) {
                                    return Field(s, "park") == "0" &&
                                           (Field(s, "page") == "MainMenu" || Field(s, "page") == "StartScreen");
                                });
        if (Field(state, "page") == "StartScreen")
        {
            Sleep(1.5); // the list's buttons come in
            Click(88, 544);
            state = WaitState(30.0, [](const State& s) { return Field(s, "page") == "MainMenu"; });
        }
        Sleep(2.0); // the menu's buttons come in
        Settle();
        return Field(state, "page") == "MainMenu";
    }

    // With the snack kiosk chosen in the open build panel: its build button starts placing it, and a click on open
    // ground places it. The pointer's cell is the kiosk's far corner (its two cells square are centred on it); the
    // cells tried put the kiosk just below the cross path (row 32), whose cell in front of its counter is its serve
    // cell, beside the avenue (x 64) and further out; a cell where the kiosk does not fit leaves the tool on for the
    // next. Whether a building came.
    bool PlaceShop()
    {
        Click(kBuildPanelBuild);
        if (Number(WaitState(30.0, [](const State& s) { return Number(s, "mode") == 5; }), "mode") != 5)
            return false;
        const double before = Number(ReadState(), "buildings");
        const std::pair<int, int> cells[] = {{63, 34}, {68, 34}, {59, 34}, {73, 34}};
        for (const auto& [cellX, cellY] : cells)
        {
            const auto at = FindCell(cellX, cellY, kPictureW / 2, kPictureH / 2);
            if (!at)
                continue;
            Press(true);
            Press(false);
            if (Number(WaitState(10.0, [&](const State& s) { return Number(s, "buildings") > before; }), "buildings") >
                before)
                return true;
        }
        return false;
    }

    // The toolbar's staff button, the object browser's hire-a-cleaner button and its close button. Whether the
    // browser opened and its button was pressed.
    bool HireCleaner()
    {
        Click(kToolbarStaff);
        if (!IsOpen(WaitState(30.0, [](const State& s) { return IsOpen(s, "ObjectBrowser"); }), "ObjectBrowser"))
            return false;
        Click(kBrowserHireCleaner);
        Click(kBrowserClose);
        return !IsOpen(WaitState(30.0, [](const State& s) { return !IsOpen(s, "ObjectBrowser"); }), "ObjectBrowser");
    }

    // The toolbar's save button: the save dialog with its first row, the new saved game, chosen; Save, the saved
    // box's OK and the dialog's Close. The states just before Save was pressed and when the saved box came (the
    // park saved lies between them), or nothing when a dialog did not come or go.
    std::optional<std::pair<State, State>> SaveIntoFirstSlot()
    {
        Click(kToolbarSave);
        if (!IsOpen(WaitState(30.0, [](const State& s) { return IsOpen(s, "SaveGameMenu"); }), "SaveGameMenu"))
            return std::nullopt;
        Move(kSaveDialogSave.first, kSaveDialogSave.second);
        const State pressed = ReadState();
        Press(true);
        Press(false);
        const State saved = WaitState(60.0, [](const State& s) { return IsOpen(s, "SaveOKBox"); });
        if (!IsOpen(saved, "SaveOKBox"))
            return std::nullopt;
        Click(kSavedOk);
        Click(kSaveDialogClose);
        const State state =
            WaitState(30.0, [](const State& s) { return !IsOpen(s, "SaveOKBox") && !IsOpen(s, "SaveGameMenu"); });
        if (IsOpen(state, "SaveOKBox") || IsOpen(state, "SaveGameMenu"))
            return std::nullopt;
        return std::make_pair(pressed, saved);
    }

    // The main menu's load button, then the load page's load button with its first row (the newest save, chosen
    // as the page opens). The park's first state once it is loaded, or nothing when the page or the park did not
    // come.
    std::optional<State> LoadFromMenu()
    {
        Click(kMenuLoad);
        if (Field(WaitState(30.0, [](const State& s) { return Field(s, "page") == "LoadScreen"; }), "page") !=
            "LoadScreen")
            return std::nullopt;
        Sleep(1.5); // the page's buttons come in
        Settle();
        Click(kLoadPageLoad);
        const State loaded =
            WaitState(180.0, [](const State& s) { return Field(s, "park") == "1" && Field(s, "screen") == "0"; });
        if (Field(loaded, "park") != "1")
            return std::nullopt;
        return loaded;
    }

    sdltest::XvfbServer m_server;
    Display* m_x = nullptr;
    testsupport::TempDir m_data;
    testsupport::TempDir m_runtime;
    testsupport::TempDir m_home;
    pid_t m_pid = -1;
    Frame m_last;

private:
    using Motion = int (*)(Display*, int, int, int, unsigned long);
    using ButtonEvent = int (*)(Display*, unsigned int, int, unsigned long);
    using KeyEvent = int (*)(Display*, unsigned int, int, unsigned long);
    void* m_xtest = nullptr;
    Motion m_motion = nullptr;
    ButtonEvent m_button = nullptr;
    KeyEvent m_key = nullptr;
};

TEST_F(EndToEndTest, APlayerStartsBuildsRunsTwoDaysAndChangesTheOptions)
{
    Start();

    // 1. The main menu.
    State state = WaitState(120.0, [](const State& s) { return Field(s, "page") == "MainMenu"; });
    ASSERT_EQ(state["page"], "MainMenu") << StandardError();
    Sleep(2.0); // its buttons come in
    Settle();
    CheckShot("1-menu");

    // 2. Start, scenario 1 (the list's first row), start again: the park.
    state = StartFirstScenario();
    ASSERT_EQ(state["park"], "1") << "the park did not appear: " << Describe(state) << StandardError();
    EXPECT_EQ(Number(state, "buildings"), kSampleParkBuildings);
    EXPECT_EQ(Number(state, "day"), 0);
    Sleep(1.0);
    Settle();
    CheckShot("2-park");

    // The clock stops (P) and the pause box holds the park until P again lets it run: nothing can be built while
    // paused, so the building steps below count what the park took meanwhile (the day's income) apart.
    Key("p");
    state = Settle();
    EXPECT_TRUE(IsOpen(state, "PauseBox")) << Describe(state);
    const double pausedCash = Number(state, "cash");
    Sleep(0.5);
    EXPECT_EQ(Number(Settle(), "cash"), pausedCash) << "the cash moves while the park is paused";
    Key("p");
    state = Settle();
    ASSERT_FALSE(IsOpen(state, "PauseBox")) << Describe(state);
    const double firstDay = Number(state, "day");

    // 3. The build panel (B) and its first food thumbnail, the snack kiosk; the kiosk placed.
    Key("b");
    state = WaitState(30.0, [](const State& s) { return IsOpen(s, "BuildPanel"); });
    ASSERT_TRUE(IsOpen(state, "BuildPanel")) << Describe(state);
    Click(54, 374);
    CheckShot("3-build-panel");
    const State beforeShop = Settle();
    const double buildingsBeforeShop = Number(beforeShop, "buildings");
    ASSERT_TRUE(PlaceShop()) << "the kiosk was not placed: " << Describe(ReadState());
    state = Settle();
    EXPECT_NEAR(Spent(beforeShop, state), kKioskCost, Drift(beforeShop, state));
    EXPECT_EQ(Number(state, "buildings"), buildingsBeforeShop + 1);
    EXPECT_EQ(Number(state, "mode"), 4) << "the select tool is back after the placement";
    CheckShot("3-shop", 20, 0.0005);
    // 4. The scenery panel (S) and its footpath: a drag over five cells of a row lays them at the footpath's price.
    Key("s");
    state = WaitState(30.0, [](const State& s) { return IsOpen(s, "SceneryPanel"); });
    ASSERT_TRUE(IsOpen(state, "SceneryPanel")) << Describe(state);
    Sleep(1.5); // it slides in
    Settle();
    // The panel opens with its path list's first thumbnail, the footpath, chosen and its tool (mode 7) started.
    EXPECT_EQ(Number(ReadState(), "mode"), 7) << "the scenery panel does not open laying footpath";
    CheckShot("4-scenery-panel");
    const auto from = FindCell(kPathFirst, kPathRow, 150, 215);
    ASSERT_TRUE(from) << "cell " << kPathFirst << "," << kPathRow << " not found on the picture";
    const auto to = FindCell(kPathFirst + kPathCells - 1, kPathRow, from->first + 20, from->second);
    ASSERT_TRUE(to) << "cell " << kPathFirst + kPathCells - 1 << "," << kPathRow << " not found on the picture";
    state = ReadState();
    const State beforePath = state;
    const double footpathBefore = Number(state, "footpath");
    Move(from->first, from->second);
    Press(true);
    for (int step = 1; step <= 4; ++step)
        Move(from->first + (to->first - from->first) * step / 4, from->second + (to->second - from->second) * step / 4);
    Press(false);
    state = Settle();
    EXPECT_EQ(Number(state, "footpath"), footpathBefore + kPathCells) << Describe(state);
    EXPECT_NEAR(Spent(beforePath, state), kPathCells * kFootpathCost, Drift(beforePath, state));
    EXPECT_EQ(Number(state, "day"), firstDay) << "the building steps ran past midnight";
    CheckShot("4-footpath", 20, 0.0005); // five cells of path: a small part of the picture
    Key("s");                            // the scenery panel away, the select tool back
    const double staffBefore = Number(Settle(), "staff");
    ASSERT_TRUE(HireCleaner()) << Describe(ReadState());
    state = WaitState(30.0, [&](const State& s) { return Number(s, "staff") > staffBefore; });
    EXPECT_EQ(Number(state, "staff"), staffBefore + 1);
    CheckShot("4-cleaner", 20, 0.0005);

    // 5. Two game days at top speed (= twice): guests come in, spend and go home; no message box all the while.
    Key("equal");
    Key("equal");
    state = Settle();
    EXPECT_EQ(Number(state, "speed"), 2);
    double arrived = 0, departed = 0, income = 0, retail = 0, boxes = 0;
    state = WaitState(20.0 * kDayLength,
                      [&](const State& s)
                      {
                          arrived = std::max(arrived, Number(s, "arrived"));
                          departed = std::max(departed, Number(s, "departed"));
                          income = std::max(income, Number(s, "income"));
                          retail = std::max(retail, Number(s, "retail"));
                          boxes = std::max(boxes, Number(s, "boxes"));
                          return Number(s, "day") >= 2;
                      });
    ASSERT_GE(Number(state, "day"), 2) << "two days did not pass: " << Describe(state);
    EXPECT_GT(arrived, 0) << "no guest came in";
    EXPECT_GT(departed, 0) << "no guest went home";
    // The day's takings are read as they stand; the most seen over the two days is above nothing when a guest
    // bought at the placed kiosk (the park's other buildings sell no retail).
    EXPECT_GT(retail, 0.0) << "no guest bought at the kiosk: " << Describe(state);
    EXPECT_GE(income, retail);
    EXPECT_EQ(boxes, 0) << "a message box was reported: " << StandardError();
    CheckShot("5-two-days");

    // 6. The save: slot 0's file starts with the identification and the version.
    // The park runs while the player saves (the pause box would hold the save dialog back): the normal speed again.
    Click(kToolbarSlower);
    Click(kToolbarSlower);
    EXPECT_EQ(Number(Settle(), "speed"), 0);
    const std::string save = UserFolder() + "/SaveGames/save0.dat";
    const auto saved = SaveIntoFirstSlot();
    ASSERT_TRUE(saved) << Describe(ReadState());
    const std::vector<uint8_t> prefix = SaveFilePrefix();
    std::vector<uint8_t> bytes = testsupport::ReadBytes(save);
    ASSERT_GE(bytes.size(), prefix.size());
    bytes.resize(prefix.size());
    EXPECT_EQ(bytes, prefix);
    CheckShot("6-saved", 20, 0.0);

    // 7. Back to the main menu with the toolbar's quit button and its confirmation, and the save loaded from the
    // front end's load page: the same cash, day, guests, buildings and staff as saved. The park saved lies between
    // the states before Save and at the saved box; the loaded park, running until its first state is written, may
    // move on by as much again, and by a guest or a sale at the least. Then back to the main menu again.
    ASSERT_TRUE(QuitToMenu()) << Describe(ReadState());
    CheckShot("7-menu");
    const std::optional<State> loaded = LoadFromMenu();
    ASSERT_TRUE(loaded) << "the save was not loaded: " << Describe(ReadState()) << StandardError();
    const auto& [pressed, shown] = *saved;
    EXPECT_EQ(Number(pressed, "day"), Number(shown, "day")) << "the save ran past midnight";
    EXPECT_EQ(Number(*loaded, "day"), Number(shown, "day"));
    EXPECT_EQ(Number(*loaded, "buildings"), Number(shown, "buildings"));
    EXPECT_EQ(Number(*loaded, "staff"), Number(shown, "staff"));
    // The loaded park's cash may also move by what it spends in the game time between the saved box and its first
    // state (an hour's costs, when the hour turns): measured over as long again after it, and at least a game hour.
    const double sinceSave = GameSeconds(*loaded) - GameSeconds(shown);
    const State later =
        WaitState(120.0, [&](const State& s)
                  { return GameSeconds(s) >= GameSeconds(*loaded) + std::max(sinceSave, kDayLength / 24.0); });
    const double spending = 1.5 * std::fabs(Spent(*loaded, later)) + 0.5;
    for (const auto& [name, least] : {std::pair<const char*, double>{"cash", kKioskSale}, {"guests", 1.0}})
    {
        const double low = std::min(Number(pressed, name), Number(shown, name));
        const double high = std::max(Number(pressed, name), Number(shown, name));
        const double slack = std::max(high - low, least) + (std::string(name) == "cash" ? spending : 0.0);
        EXPECT_GE(Number(*loaded, name), low - slack) << name << ": " << Describe(*loaded);
        EXPECT_LE(Number(*loaded, name), high + slack) << name << ": " << Describe(*loaded);
    }
    CheckShot("7-loaded");
    ASSERT_TRUE(QuitToMenu()) << Describe(ReadState());
    CheckShot("7-menu-again");

    // 8. The options from the menu: the music volume's slider pressed 50 pixels from its left end (of 214, its knob
    // 12 wide: 50 / 202 of the way, kept in hundredths), Done; then Exit and the program closed. The options file
    // holds the new volume; the progress file is 48 bytes (twelve scenarios, four bytes each).
    Click(400, 197);
    state = WaitState(30.0, [](const State& s) { return IsOpen(s, "InGameOptions"); });
    ASSERT_TRUE(IsOpen(state, "InGameOptions")) << Describe(state);
    CheckShot("8-options");
    Click(384 + 50, 223);
    Click(400, 414);
    state = WaitState(30.0, [](const State& s) { return !IsOpen(s, "InGameOptions"); });
    EXPECT_FALSE(IsOpen(state, "InGameOptions"));
    CheckShot("8-options-done", 10);
    Click(88, 414); // the exit page
    state = WaitState(30.0, [](const State& s) { return Field(s, "page") == "ExitScreen"; });
    ASSERT_EQ(state["page"], "ExitScreen");
    Sleep(1.5);
    Click(712, 544); // quit
    ASSERT_EQ(Finish(120.0), 0) << StandardError();
    EXPECT_EQ(Number(ReadState(), "boxes"), 0) << StandardError();
    const State options = ParseState(
        [&]
        {
            std::string text = testsupport::ReadText(UserFolder() + "/MRV2.ini");
            for (char& c : text)
                c = c == '=' ? ' ' : c == '\r' ? '\n' : c;
            return text;
        }());
    EXPECT_NEAR(Number(options, "MusicVol"), std::floor(100.0 * 50.0 / 202.0) / 100.0, 0.005);
    EXPECT_EQ(fs::file_size(UserFolder() + "/sp.bin"), 48u);
}

} // namespace
