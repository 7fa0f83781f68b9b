// The real Game under a private X server for the tests: started, driven, read back and shut down.
#include "tests/game/GameHarness.h"

#include "engine/core/GameParameters.h"
#include "engine/render/Font.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/Screenshot.h"
#include "engine/render/TextWriter.h"
#include "game/Game.h"
#include "game/Program.h"
#include "platform/Paths.h"
#include "world/CameraManager.h"
#include "world/GameCamera.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace gametest
{

GameHarness::GameHarness() = default;

GameHarness::~GameHarness()
{
    Stop();
}

bool NearRgb(uint32_t pixel, uint32_t rgb, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>(pixel >> shift & 0xFF) - static_cast<int>(rgb >> shift & 0xFF)) > tolerance)
            return false;
    return true;
}

int CountNearRgb(const Frame& frame, int left, int top, int right, int bottom, uint32_t rgb, int tolerance)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            count += frame.Contains(x, y) && NearRgb(frame.At(x, y), rgb, tolerance) ? 1 : 0;
    return count;
}

bool IsShadeOf(uint32_t pixel, uint32_t colour)
{
    const auto channels = [](uint32_t c) {
        return std::array<float, 3>{float((c >> 16) & 0xFF), float((c >> 8) & 0xFF), float(c & 0xFF)};
    };
    const auto p = channels(pixel), c = channels(colour);
    const float pMax = std::max({p[0], p[1], p[2]}), cMax = std::max({c[0], c[1], c[2]});
    if (pMax < 24.0f)
        return false;
    for (int i = 0; i < 3; ++i)
    {
        if (std::fabs(p[i] / pMax - c[i] / cMax) > 0.08f)
            return false;
    }
    return true;
}

int CountShades(const Frame& frame, uint32_t colour)
{
    return static_cast<int>(
        std::count_if(frame.pixels.begin(), frame.pixels.end(), [&](uint32_t p) { return IsShadeOf(p, colour); }));
}

int ShadesNear(const Frame& frame, const platform::Vec3& scene, uint32_t colour, int radius)
{
    platform::Vec3 screen;
    g_GraphicsManager.ProjectToScreen(scene, &screen);
    const int cx = static_cast<int>(screen.x), cy = static_cast<int>(screen.y);
    int hits = 0;
    for (int y = cy - radius; y <= cy + radius; ++y)
        for (int x = cx - radius; x <= cx + radius; ++x)
            hits += frame.Contains(x, y) && IsShadeOf(frame.At(x, y), colour) ? 1 : 0;
    return hits;
}

TextLayout LayOutText(const TextWriter& writer, const char16_t* text, int width, int height)
{
    const int font = writer.GetFont() ? static_cast<int>(writer.GetFont()->GetHeight()) : 0;
    const int extra = font * 12 / 10;
    TextLayout layout;
    layout.oneLine = font + extra > height;
    layout.lines = layout.oneLine ? 1 : writer.CountLines(text, width, 0);
    layout.width = layout.oneLine ? writer.GetTextWidth(text) : writer.GetWrappedWidth(text, width, 0);
    layout.height = (layout.lines - 1) * (2 + extra) + font;
    return layout;
}

double Luminance(uint32_t rgb)
{
    const auto linear = [](uint32_t channel)
    {
        const double c = static_cast<double>(channel & 0xFF) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(rgb >> 16) + 0.7152 * linear(rgb >> 8) + 0.0722 * linear(rgb);
}

double Contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

double GroundLuminance(const Frame& frame, int left, int top, int right, int bottom, uint32_t ink, int tolerance)
{
    std::vector<double> ground;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (frame.Contains(x, y) && !NearRgb(frame.At(x, y), ink, tolerance))
                ground.push_back(Luminance(frame.At(x, y)));
    if (ground.empty())
        return 0.0;
    std::nth_element(ground.begin(), ground.begin() + static_cast<std::ptrdiff_t>(ground.size() / 2), ground.end());
    return ground[ground.size() / 2];
}

bool GameHarness::Start(std::string* why)
{
    std::string ignored;
    std::string& reason = why ? *why : ignored;
    if (m_pGame)
        return true;
    if (!m_server.Installed())
    {
        reason = "Xvfb is not installed";
        return false;
    }
    if (m_server.Display().empty())
    {
        reason = "Xvfb did not start";
        return false;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    // A second start runs in the data folder as the first one left it.
    if (fs::is_empty(m_data.Path(), error))
        fs::copy(std::string(TW_SOURCE_DIR) + "/sample-data", m_data.Path(), fs::copy_options::recursive, error);
    if (error)
    {
        reason = "the sample data could not be copied: " + error.message();
        return false;
    }
    m_display.emplace("DISPLAY", m_server.Display());
    m_videoDriver.emplace("SDL_VIDEODRIVER", "x11");
    m_audioDriver.emplace("SDL_AUDIODRIVER", "dummy");
    m_xdgData.emplace("XDG_DATA_HOME", m_userData.Path());
    m_cwd.emplace(m_data.Path());
    // The data set and the user folder are entered as the program enters them.
    ProgramOptions options;
    options.dataFolder = m_data.Path();
    if (!EnterProgramFolders(options, &reason))
    {
        Stop();
        return false;
    }
    m_clock = std::make_unique<testsupport::ManualTimeSource>();
    m_clock->ticks = 1000;

    m_pParameters = std::make_unique<GameParameters>(kGameParametersFile);
    m_pGame = StartGame();
    if (!m_pGame)
    {
        reason = "the Game was not built";
        Stop();
        return false;
    }
    return true;
}

bool GameHarness::StartAtDisplaySize(int width, int height, std::string* why)
{
    std::filesystem::create_directories(UserFolder());
    std::ofstream(UserFolder() + "/MRV2.ini")
        << "[Tidewell 2 Options]\nVersion=1\n[Video]\nResWidth=" << width << "\nResHeight=" << height << "\n";
    return Start(why);
}

void GameHarness::Stop()
{
    if (m_pGame || m_pParameters)
        ShutDownGame(std::move(m_pGame), std::move(m_pParameters));
    m_clock.reset();
    platform::SetUserFolder({});
    m_cwd.reset();
    platform::InvalidatePathCache();
    m_xdgData.reset();
    m_audioDriver.reset();
    m_videoDriver.reset();
    m_display.reset();
}

void GameHarness::EnterPark(int32_t row)
{
    m_pGame->SelectScenario(row);
    SelectScreen(Game::kWorldTestScreen);
}

void GameHarness::SelectScreen(int32_t n)
{
    m_pGame->SelectScreen(n);
    RunFrames(1);
}

::testing::AssertionResult GameHarness::RunUntilAGuestComesIn(bool normalAfter)
{
    g_pWorld->SetGameSpeedLevel(2);
    for (int i = 0; i < 1200 && g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST).empty(); i += 30)
        RunFrames(30);
    if (normalAfter)
        g_pWorld->SetGameSpeedLevel(0);
    if (g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST).empty())
        return ::testing::AssertionFailure() << "no guest came in";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult GameHarness::LoadFromMainMenu(int32_t entry, int32_t listed)
{
    SelectScreen(Game::kMainMenuScreen);
    if (g_pWorld != nullptr)
        return ::testing::AssertionFailure() << "the park is still up on the main menu";
    m_pGame->ScanSaveGames();
    if (m_pGame->GetSaveGameCount() != listed)
        return ::testing::AssertionFailure() << m_pGame->GetSaveGameCount() << " slots listed, not " << listed;
    m_pGame->RequestLoad(entry);
    m_pGame->LoadGame();
    if (g_pWorld == nullptr)
        return ::testing::AssertionFailure() << "no park came up from entry " << entry;
    return ::testing::AssertionSuccess();
}

bool GameHarness::RunFrames(int n)
{
    bool close = false;
    for (int i = 0; i < n; ++i)
    {
        m_clock->ticks += kFrameMilliseconds;
        close = RunMainLoopPass() || close;
    }
    return !close;
}

Frame GameHarness::Screenshot() const
{
    Frame frame;
    Renderer* renderer = g_GraphicsManager.GetRenderer();
    if (!renderer)
        return frame;
    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<uint32_t[]> pixels = renderer->ReadBackBuffer(&width, &height);
    if (!pixels)
        return frame;
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(pixels.get(), pixels.get() + static_cast<size_t>(width) * height);
    return frame;
}

std::string GameHarness::Keep(const Frame& frame, const std::string& name)
{
    const char* folder = std::getenv("TW_SCREENSHOT_DIR");
    if (!folder || !*folder || frame.pixels.empty())
        return {};
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string path = std::string(folder) + "/" + name + ".bmp";
    return SaveScreenshotFile(path.c_str(), frame.width, frame.height, frame.pixels.data()) ? path : std::string();
}

void GameHarness::PlaceCamera(const platform::Vec3& eye, const platform::Vec3& at)
{
    g_pCameraManager->SetCamera(GameCamera::kFixed, true);
    GameCamera& camera = *g_pCameraManager->GetCurrentCamera();
    camera.SetPositionVec(eye);
    camera.SetCurrentLookAt(at);
    camera.SetDestEyePos(eye.x, eye.y, eye.z);
    camera.SetDestLookAt(at.x, at.y, at.z, true);
}

} // namespace gametest
