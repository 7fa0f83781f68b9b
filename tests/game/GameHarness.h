// Test harness: the real Game in its window on a private X server, built and shut down as the program does it,
// in a copy of the sample data; it enters the park, runs frames on a driven clock and reads the frame back.
#pragma once

#include "platform/gfx/Math.h"
#include "tests/platform/XvfbServer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Game;
class GameParameters;
class TextWriter;

namespace gametest
{

// One frame read back from the window's back buffer: rows top to bottom, pixels 0xAARRGGBB.
struct Frame
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + static_cast<size_t>(x)]; }
    bool Contains(int x, int y) const
    {
        return x >= 0 && y >= 0 && static_cast<uint32_t>(x) < width && static_cast<uint32_t>(y) < height;
    }
};

// A pixel of that colour under any white light: its channels in the same proportions (each channel over the
// largest), whatever the brightness; false for pixels too dark to tell.
bool IsShadeOf(uint32_t pixel, uint32_t colour);
// Whether each of the pixel's red, green and blue lies within `tolerance` of rgb's.
bool NearRgb(uint32_t pixel, uint32_t rgb, int tolerance);
// The pixels of the rectangle (left and top in, right and bottom out) near rgb in that sense.
int CountNearRgb(const Frame& frame, int left, int top, int right, int bottom, uint32_t rgb, int tolerance);
// The frame's pixels of that colour, and those within `radius` pixels of the screen point of a scene point.
int CountShades(const Frame& frame, uint32_t colour);
int ShadesNear(const Frame& frame, const platform::Vec3& scene, uint32_t colour, int radius);
// How a text lies when written in a rectangle of that size as the GUI's writers write it: on one line when the
// rectangle is lower than a font height and a line step, else wrapped at spaces; its widest line and its height.
struct TextLayout
{
    bool oneLine = true;
    int lines = 1;
    int width = 0;
    int height = 0;
};
TextLayout LayOutText(const TextWriter& writer, const char16_t* text, int width, int height);
// A colour's relative luminance (0 black, 1 white), from its gamma-encoded channels.
double Luminance(uint32_t rgb);
// How far apart two luminances read: 1 for the same, 21 for black on white (4.5 is plainly readable text).
double Contrast(double a, double b);
// The ground text is written on: the median luminance of the rectangle's pixels (left and top in, right and bottom
// out) that are not within `tolerance` of the ink's colour; 0 when every pixel is ink.
double GroundLuminance(const Frame& frame, int left, int top, int right, int bottom, uint32_t ink, int tolerance);

class GameHarness
{
public:
    // Each frame the harness runs moves the game's clock on by this many milliseconds.
    static constexpr uint32_t kFrameMilliseconds = 33;

    GameHarness();
    ~GameHarness();
    GameHarness(const GameHarness&) = delete;
    GameHarness& operator=(const GameHarness&) = delete;

    // True when Xvfb is installed at all (tests skip without it).
    bool XvfbInstalled() const { return m_server.Installed(); }
    // The private X server's display name (empty before it runs), for tests that move the pointer on it.
    const std::string& DisplayName() const { return m_server.Display(); }
    // The data folder the game runs in (a copy of the sample data) before and after Start.
    const std::string& DataFolder() const { return m_data.Path(); }
    // The folder the program writes its options, progress and saves into.
    std::string UserFolder() const { return m_userData.Path() + "/tidewell"; }
    // Start, with an options file that asks for a display of this size.
    bool StartAtDisplaySize(int width, int height, std::string* why);

    // Starts the X server, points SDL at it, makes the data folder the working folder and the user data folder
    // a fresh one, reads the game parameters and builds the window, the engine and the Game as the program does.
    // False, with the reason in `why`, when any of it fails. After Stop it starts again on the same folders.
    bool Start(std::string* why);
    // Shuts the Game, the engine and the window down as the program does; nothing when not started.
    void Stop();
    bool IsStarted() const { return m_pGame != nullptr; }
    // The message boxes and debugger lines the program reported while the harness lived.
    testsupport::RecordingReportSink& Reports() { return m_reports; }
    Game& GetGame() const { return *m_pGame; }

    // Chooses the scenario list row (0 to 11 a scenario, 12 to 14 a sandbox) and makes the park screen current
    // at the next frame, which is run.
    void EnterPark(int32_t row);
    // Makes screen n current at the next frame, which is run.
    void SelectScreen(int32_t n);
    // Runs the park at the top game speed until the first guest has come in (at most 1,200 frames), then puts
    // the speed back to normal when `normalAfter`; fails when none came.
    ::testing::AssertionResult RunUntilAGuestComesIn(bool normalAfter);
    // Leaves the park for the main menu, finds the save slots again and loads the one listed at `entry`, as the
    // load screen does; fails when the park is not left, the slots listed are not `listed` or no park comes up.
    ::testing::AssertionResult LoadFromMainMenu(int32_t entry, int32_t listed);
    // Runs n passes of the main loop, the clock moved on kFrameMilliseconds before each. False when a pass asked
    // the program to close.
    bool RunFrames(int n);
    // The last frame drawn, read back from the window's device; empty when it cannot be read.
    Frame Screenshot() const;
    // Writes the frame as a BMP named `name` into the folder TW_SCREENSHOT_DIR names (kept for people to look
    // at); nothing when that variable is not set. The path written, or empty.
    static std::string Keep(const Frame& frame, const std::string& name);
    // Makes the park's fixed camera current and places it at once: its eye and the point it looks at, in scene
    // units, with nothing left to smooth.
    static void PlaceCamera(const platform::Vec3& eye, const platform::Vec3& at);

private:
    testsupport::RecordingReportSink m_reports;
    sdltest::XvfbServer m_server;
    testsupport::TempDir m_data;
    testsupport::TempDir m_userData;
    std::optional<sdltest::ScopedEnv> m_display;
    std::optional<sdltest::ScopedEnv> m_videoDriver;
    std::optional<sdltest::ScopedEnv> m_audioDriver;
    std::optional<sdltest::ScopedEnv> m_xdgData;
    std::optional<testsupport::ScopedCurrentDir> m_cwd;
    std::unique_ptr<testsupport::ManualTimeSource> m_clock;
    std::unique_ptr<GameParameters> m_pParameters;
    std::unique_ptr<Game> m_pGame;
};

// A test of the program started under Xvfb on the sample data; skipped where Xvfb is not installed.
template <class Base = ::testing::Test> class StartedGameTest : public Base
{
protected:
    void SetUp() override
    {
        if (!harness.XvfbInstalled())
            GTEST_SKIP() << "Xvfb is not installed";
        std::string why;
        ASSERT_TRUE(harness.Start(&why)) << why;
    }

    GameHarness harness;
};

} // namespace gametest
