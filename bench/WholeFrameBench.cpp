// Benchmarks of the whole game frame in the sample park grown to 1,500 guests, 500 buildings, 5,000 scenery items
// and 60 staff: the real Game started as the program starts it, scenario 1 entered, then grown through the World's
// own creation requests (footpaths, buildings, scenery, guests and hired staff, every one a real object running the
// sample data's scripts). A frame is the main loop's pass (Game::Update and Game::Render) taken apart in the same
// order so that each phase is timed: the park's update, the GUI (its update and every 2D draw: dialogs, front end,
// the park's panels, queued text) and the render (the park's 3D scene, the frame's start, end and present). It runs
// on the OpenGL device (SDL's offscreen driver: Mesa's software GL unless SDL_VIDEODRIVER says otherwise) and on the
// recording device (the same calls, nothing drawn), at game speeds 1 and 4; and the grown park's save to a slot and
// its load from the main menu, with the save's size.
//
// Left out: input (the window's messages are drained, not handled: no close or focus change reaches the Game); the
// sound mixer's own thread; the software rasteriser's threads finish a GL frame at the present, so its pixels are
// counted in "render" even where the GUI asked for them. The picture is the game's default 800 x 600 in a window.
// The map's grid is made walkable everywhere (the sample grid walks only a 32 x 32 corner), and the object scripts
// the scenario does not load itself (GuestLogic, CleanerLogic, MechanicLogic) are loaded, so the guests and staff
// work; the scenario's one objective is met at once and its script pauses the park, which then plays on, as after a
// win. The camera looks down over the middle of the park, not from the scenario's opening view. The disk's flush of the
// save is in its time. The buildings are shops, restaurants, toilets, information booths, fun houses and cash points:
// there are no animals, so no animal exhibits, lagoons or shows, no zookeepers' visits to them and no rides (scenario 1
// has none either).
#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "engine/core/GameClock.h"
#include "engine/core/GameInput.h"
#include "engine/core/GameParameters.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/Screenshot.h"
#include "game/Game.h"
#include "game/Program.h"
#include "game/SaveGames.h"
#include "game/Screens.h"
#include "gui/GUIManager.h"
#include "platform/Input.h"
#include "platform/Paths.h"
#include "platform/Time.h"
#include "platform/Window.h"
#include "platform/gfx/RecordingDevice.h"
#include "scripts/ScriptManager.h"
#include "scripts/WorldParams.h"
#include "world/CameraManager.h"
#include "world/GameCamera.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kMapSize = 128;
constexpr uint32_t kGuests = 1500;
constexpr uint32_t kBuildings = 500;
constexpr uint32_t kScenery = 5000;
constexpr uint32_t kStaff = 60;
// A frame at 60 frames a second, which is also the budget.
constexpr uint32_t kFrameMilliseconds = 16;
constexpr double kBudgetMilliseconds = 16.0;

// The clock the Game reads: it moves on one frame before every pass.
class FrameClock : public platform::TimeSource
{
public:
    FrameClock() : m_previous(platform::SetTimeSource(this)) {}
    ~FrameClock() override { platform::SetTimeSource(m_previous); }
    uint32_t TickCount() override { return ticks; }
    uint64_t CycleCounter() override
    {
        return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    void Sleep(uint32_t milliseconds) override { ticks += milliseconds; }
    uint32_t ticks = 1000;

private:
    platform::TimeSource* m_previous;
};

double NowMilliseconds()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool IsFootpathLine(int v)
{
    return v % 8 == 4;
}

uint32_t Count(uint8_t kind)
{
    return g_pObjectManager ? g_pObjectManager->CountObjectsOfKind(kind) : 0u;
}

uint32_t StaffCount()
{
    return Count(OBJECT_CLEANER) + Count(OBJECT_MECHANIC) + Count(OBJECT_ZOOKEEPER);
}

// The time of each phase of one pass, in milliseconds of wall time.
struct Phases
{
    double update = 0.0;
    double gui = 0.0;
    double render = 0.0;
};

// The real Game on a copy of the sample data in a folder of its own, in scenario 1 grown to the full park.
class GrownPark
{
public:
    explicit GrownPark(bool recording) : m_previous(std::filesystem::current_path())
    {
        namespace fs = std::filesystem;
        m_folder = fs::temp_directory_path() / ("tidewell-figures-" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "user");
        fs::copy(fs::path(TW_SOURCE_DIR) / "sample-data", m_folder / "park", fs::copy_options::recursive);
        WriteWalkableGrid(m_folder / "park/data/maps/BaycrestGrid.dat");
        ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        ::setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        ::setenv("XDG_DATA_HOME", (m_folder / "user").c_str(), 1);
        if (recording)
        {
            m_hook.config.adapters.push_back(platform::DefaultRecordingAdapter());
            ResetDeviceEnumeration();
            platform::InstallRecordingSystemFactory(&m_hook);
            m_bRecording = true;
        }
        fs::current_path(m_folder / "park");
        ProgramOptions options;
        options.dataFolder = (m_folder / "park").string();
        if (!EnterProgramFolders(options, &m_why))
            return;
        m_pParameters = std::make_unique<GameParameters>(kGameParametersFile);
        m_pGame = StartGame();
        if (!m_pGame)
        {
            m_why = "the Game was not built";
            return;
        }
        m_pGame->SelectScenario(0);
        m_pGame->SelectScreen(Game::kWorldTestScreen);
        Pass(nullptr);
        if (!g_pWorld)
        {
            m_why = "scenario 1 did not open";
            return;
        }
        Grow();
        // The scenario's one objective (fifty guests at once) is met at the next frame: its script pauses the park
        // and the player plays on, as after any win.
        Pass(nullptr);
        g_pWorld->SetPaused(false);
        LookOverTheCrowd();
    }

    // The park's own frames at top speed, 900 of them: guests spread out, queues formed, litter dropped, staff at
    // work. The speed stays at the top.
    static void Settle()
    {
        g_pWorld->SetGameSpeedLevel(2);
        for (int i = 0; i < 900; ++i)
            g_pWorld->Update(kFrameMilliseconds / 1000.0f);
    }

    // Whether the park was built; a benchmark without it is skipped with the reason.
    bool Usable(benchmark::State& state) const
    {
        if (m_why.empty())
            return true;
        state.SkipWithError(m_why.c_str());
        return false;
    }

    ~GrownPark()
    {
        if (m_pGame || m_pParameters)
            ShutDownGame(std::move(m_pGame), std::move(m_pParameters));
        platform::SetUserFolder({});
        if (m_bRecording)
        {
            platform::SetGraphicsSystemFactory({});
            ResetDeviceEnumeration();
        }
        std::filesystem::current_path(m_previous);
        platform::InvalidatePathCache();
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    // The draws the recording device logged in the passes so far (each draw's record copies its vertices and
    // indices: at least two allocations of the device's own per draw, besides its records of the other calls).
    uint64_t LoggedDraws() const { return m_uLoggedDraws; }
    // Empty when the park is the full one; else what went wrong.
    Game& GetGame() const { return *m_pGame; }

    // One pass of the main loop as Game::Update and Game::Render run it (a park is current and stays so), with each
    // phase timed when `phases` is given.
    void Pass(Phases* phases)
    {
        m_clock.ticks += kFrameMilliseconds;
        if (m_bRecording)
            if (auto* device = RecordingDevice())
            {
                m_uLoggedDraws += device->draws.size();
                device->ClearLog();
            }
        platform::PumpEvents();
        platform::WindowMessage message;
        while (platform::PollWindowMessage(&message))
        {
        }
        if (!phases || m_pGame->GetPendingScreen() != m_pGame->GetCurrentScreen())
        {
            m_pGame->Update();
            m_pGame->Render();
            return;
        }
        Game& game = *m_pGame;
        Screen& screen = *game.GetCurrentScreen();
        GUIManager& gui = game.GetGUIManager();

        const double t0 = NowMilliseconds();
        game.RefreshLoadInfo();
        game.TrackScenarioSelection();
        game.GetClock().Update(platform::TickCount());
        game.GetInput().Update();
        screen.Update();
        const float frameTime = game.GetClock().GetFrameTime();
        const double t1 = NowMilliseconds();
        gui.Update(frameTime);
        const double t2 = NowMilliseconds();
        game.GetSoundManager().Update(frameTime);
        game.GetSoundEvents().Update(frameTime);

        uint32_t clockTime = 0;
        if (g_pWorld)
        {
            g_GraphicsManager.SetClearMode(true, 0);
            const float minutes = g_pWorld->GetTimeInMinutes();
            clockTime =
                std::isfinite(minutes) && minutes > 0.0f ? static_cast<uint32_t>(std::min(minutes, 4294967040.0f)) : 0u;
        }
        if (!g_GraphicsManager.BeginFrame(clockTime))
        {
            const double t3 = NowMilliseconds();
            phases->update += t1 - t0 + (t3 - t2);
            phases->gui += t2 - t1;
            return;
        }
        screen.PreRender();
        const double t3 = NowMilliseconds();
        gui.ModePreRender();
        g_GraphicsManager.Begin2D();
        g_GraphicsManager.DrawQueuedText();
        gui.DrawDialogs();
        gui.DrawFrontEnd();
        screen.Render();
        screen.PostRender();
        gui.Draw();
        const double t4 = NowMilliseconds();
        g_GraphicsManager.EndFrame();
        g_GraphicsManager.Present();
        const double t5 = NowMilliseconds();
        phases->update += t1 - t0;
        phases->gui += (t2 - t1) + (t4 - t3);
        phases->render += (t3 - t2) + (t5 - t4);
    }

private:
    // The map's 128 x 128 cells, column by column, all walkable ground (the value the sample grid gives its own
    // walkable cells).
    static void WriteWalkableGrid(const std::filesystem::path& path)
    {
        std::string bytes;
        bytes.reserve(kMapSize * kMapSize * 4);
        for (int i = 0; i < kMapSize * kMapSize; ++i)
            bytes += std::string("\x01\x00\x00\x80", 4);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

    // The fixed camera 30 scene units up and 40 back from the middle of the park, looking down at it: footpaths,
    // guests, buildings and scenery as far as the default draw distance reaches.
    static void LookOverTheCrowd()
    {
        const platform::Vec3 at = WorldMap::WorldToScene(WorldMap::GetCellCentre({kMapSize / 2, kMapSize / 2}));
        const platform::Vec3 eye{at.x, at.y + 30.0f, at.z + 40.0f};
        g_pCameraManager->SetCamera(GameCamera::kFixed, true);
        GameCamera& camera = *g_pCameraManager->GetCurrentCamera();
        camera.SetPositionVec(eye);
        camera.SetCurrentLookAt(at);
        camera.SetDestEyePos(eye.x, eye.y, eye.z);
        camera.SetDestLookAt(at.x, at.y, at.z, true);
    }

    // Whether the ground item with its corner on the cell keeps its whole footprint on the map and off the footpaths,
    // as the scenery tool keeps it. The World's own requests do not check the ground: an item that reached over a
    // footpath would mark the footpath's cells as scenery ground, which no park the player builds has, and every
    // guest whose way crossed them would search its way again at each step.
    static bool FootprintOffFootpaths(const char* item, int x, int y)
    {
        WorldParams* params = g_pWorld->GetWorldParams();
        const int32_t id = params ? params->FindScenery(item) : WorldParams::kNotFound;
        if (id == WorldParams::kNotFound)
            return false;
        const SceneryInfo& info = params->GetSceneryInfo(id);
        for (int i = 0; i < std::max(info.iGridWidth, 1); ++i)
            for (int j = 0; j < std::max(info.iGridHeight, 1); ++j)
                if (x + i >= kMapSize || y + j >= kMapSize || IsFootpathLine(x + i) || IsFootpathLine(y + j))
                    return false;
        return true;
    }

    platform::RecordingDevice* RecordingDevice() const
    {
        auto* renderer = static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer());
        return renderer ? static_cast<platform::RecordingDevice*>(renderer->GetDevice()) : nullptr;
    }

    // Footpaths every eight cells each way, buildings in the blocks between, benches and bins on the footpaths,
    // plants, palms, lamps and fountains on the free ground, the guests on the footpaths and the staff hired from
    // the scenario's staff room.
    void Grow()
    {
        World& world = *g_pWorld;
        ScriptManager& scripts = world.GetScriptManager();
        for (const char* name : {"GuestLogic", "CleanerLogic", "MechanicLogic"})
            if (!scripts.GetScript(name))
                scripts.LoadScript(name, (std::string("Data\\Scripts\\") + name + ".pis").c_str());
        for (int line = 4; line < kMapSize; line += 8)
        {
            world.LayPath(line, 0, 0, kMapSize);
            world.LayPath(0, line, 2, kMapSize);
        }
        static constexpr const char* kKinds[] = {"ICEKIOSK",    "RESTSMALL", "DINER",    "GIFTSHOP",
                                                 "INFORMATION", "CAFE",      "FUNHOUSE", "CASHPOINT"};
        static constexpr int kOffsets[][2] = {{1, 1}, {1, 5}, {4, 1}, {4, 5}, {6, 3}};
        size_t kind = 0;
        for (const auto& offset : kOffsets)
            for (int by = 4; by < kMapSize && Count(OBJECT_BUILDING) < kBuildings; by += 8)
                for (int bx = 4; bx < kMapSize && Count(OBJECT_BUILDING) < kBuildings; bx += 8)
                    world.RequestBuilding(kKinds[kind++ % std::size(kKinds)], bx + offset[0], by + offset[1], 0, -1.0f,
                                          0, false);
        const uint32_t sceneryTarget = Count(OBJECT_SCENERY) + kScenery;
        int placed = 0;
        for (int y = 4; y < kMapSize && Count(OBJECT_SCENERY) < sceneryTarget; y += 8)
            for (int x = 1; x < kMapSize && Count(OBJECT_SCENERY) < sceneryTarget; x += 2)
                if (!IsFootpathLine(x))
                    world.RequestScenery(OBJECT_SCENERY, placed++ % 2 ? "Bin" : "BENCH", x, y, 0);
        static constexpr const char* kGround[] = {"PALM", "TULIPS", "LAMP", "PALM", "TULIPS", "FOUNTAIN"};
        for (int pass = 0; pass < 2; ++pass)
            for (int y = 0; y < kMapSize && Count(OBJECT_SCENERY) < sceneryTarget; ++y)
                for (int x = 0; x < kMapSize && Count(OBJECT_SCENERY) < sceneryTarget; ++x)
                {
                    const char* item = kGround[placed % std::size(kGround)];
                    if ((x + y) % 2 == pass && FootprintOffFootpaths(item, x, y))
                    {
                        world.RequestScenery(OBJECT_SCENERY, item, x, y, 0);
                        ++placed;
                    }
                }
        for (uint32_t i = 0; Count(OBJECT_GUEST) < kGuests && i < 2 * kGuests; ++i)
        {
            const int line = 4 + 8 * static_cast<int>(i % (kMapSize / 8));
            const platform::Vec3 at = WorldMap::GetCellCentre({line, static_cast<int>(i * 37) % kMapSize});
            world.RequestGuest("VISITOR", at.x, at.y, 0);
        }
        static constexpr struct
        {
            uint8_t kind;
            const char* name;
        } kHires[] = {{OBJECT_CLEANER, "CLEANER"}, {OBJECT_MECHANIC, "MECHANIC"}, {OBJECT_ZOOKEEPER, "ZOOKEEPER"}};
        for (uint32_t i = 0; StaffCount() < kStaff && i < 2 * kStaff; ++i)
            world.RequestStaff(kHires[i % 3].kind, kHires[i % 3].name);

        const uint32_t guests = Count(OBJECT_GUEST), buildings = Count(OBJECT_BUILDING),
                       scenery = Count(OBJECT_SCENERY) + kScenery - sceneryTarget, staff = StaffCount();
        if (guests != kGuests || buildings != kBuildings || scenery < kScenery || staff != kStaff)
            m_why = "the park grew to " + std::to_string(guests) + " guests, " + std::to_string(buildings) +
                    " buildings, " + std::to_string(scenery) + " scenery and " + std::to_string(staff) + " staff";
    }

    QuietReports m_quiet;
    FrameClock m_clock;
    std::filesystem::path m_previous;
    std::filesystem::path m_folder;
    platform::RecordingSystemHook m_hook;
    bool m_bRecording = false;
    uint64_t m_uLoggedDraws = 0;
    std::string m_why;
    std::unique_ptr<GameParameters> m_pParameters;
    std::unique_ptr<Game> m_pGame;
};

// Writes the last frame drawn as a BMP named `name` into the folder TW_SCREENSHOT_DIR names, for people to look at.
void KeepFrame(const char* name)
{
    const char* folder = std::getenv("TW_SCREENSHOT_DIR");
    Renderer* renderer = g_GraphicsManager.GetRenderer();
    if (!folder || !*folder || !renderer)
        return;
    uint32_t width = 0, height = 0;
    std::unique_ptr<uint32_t[]> pixels = renderer->ReadBackBuffer(&width, &height);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (pixels)
        SaveScreenshotFile((std::string(folder) + "/" + name + ".bmp").c_str(), width, height, pixels.get());
}

// The frames each whole-frame benchmark measures: 120, or TW_FIGURE_FRAMES (more, to profile the frames).
int64_t MeasuredFrames()
{
    const char* frames = std::getenv("TW_FIGURE_FRAMES");
    const int64_t n = frames ? std::atoll(frames) : 0;
    return n > 0 ? n : 120;
}

// One frame of the grown park: range(0) 0 for OpenGL, 1 for the recording device; range(1) the game speed (1, 4).
void BM_WholeFrame(benchmark::State& state)
{
    const bool recording = state.range(0) == 1;
    GrownPark park(recording);
    if (!park.Usable(state))
        return;
    // Settled, then frames drawn until every texture and container has grown to its size.
    GrownPark::Settle();
    g_pWorld->SetGameSpeedLevel(state.range(1) == 4 ? 2 : 0);
    for (int i = 0; i < 30; ++i)
        park.Pass(nullptr);

    Phases phases;
    timespec cpuStart{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
    const double gameTime = g_pWorld->GetGameTime();
    uint64_t frames = 0;
    // Each pass takes the draws of the pass before from the log: as many frames' draws as passes.
    const uint64_t draws = park.LoggedDraws();
    const uint64_t allocations = CountedAllocations();
    for (auto _ : state)
    {
        park.Pass(&phases);
        ++frames;
    }
    timespec cpuEnd{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
    const double n = static_cast<double>(frames ? frames : 1);
    const double cpu = (static_cast<double>(cpuEnd.tv_sec - cpuStart.tv_sec) * 1e3 +
                        static_cast<double>(cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e6) /
                       n;
    // The park ran: its clock moved on by the frames' time at the game speed.
    const double expected = n * kFrameMilliseconds / 1000.0 * static_cast<double>(state.range(1));
    const double ran = g_pWorld->GetGameTime() - gameTime;
    if (g_pWorld->IsPaused() || std::fabs(ran - expected) > 0.01 * expected)
    {
        state.SkipWithError(
            ("the park's clock moved " + std::to_string(ran) + " s, not " + std::to_string(expected) + " s").c_str());
        return;
    }
    const double total = (phases.update + phases.gui + phases.render) / n;
    state.counters["update_ms"] = phases.update / n;
    state.counters["gui_ms"] = phases.gui / n;
    state.counters["render_ms"] = phases.render / n;
    state.counters["frame_ms"] = total;
    // Processor time of every thread (the software rasteriser's too), which other programs on a busy machine do not
    // add to as they add to the wall clock.
    state.counters["cpu_ms"] = cpu;
    state.counters["allocs/frame"] = static_cast<double>(CountedAllocations() - allocations) / n;
    if (recording)
        state.counters["draws/frame"] = static_cast<double>(park.LoggedDraws() - draws) / n;
    state.counters["guests"] = Count(OBJECT_GUEST);
    state.counters["litter"] = Count(OBJECT_LITTER);
    KeepFrame(recording ? "whole-frame-recording" : "whole-frame-opengl");
    state.counters["over_budget"] = total > kBudgetMilliseconds ? 1.0 : 0.0;
    state.SetLabel(std::string(recording ? "recording device" : "OpenGL offscreen") + ", speed " +
                   std::to_string(state.range(1)));
}
BENCHMARK(BM_WholeFrame)
    ->ArgNames({"recording", "speed"})
    ->Args({0, 1})
    ->Args({0, 4})
    ->Args({1, 1})
    ->Args({1, 4})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(MeasuredFrames());

// The grown park saved to a slot as the save command saves it (a temporary file renamed over the slot's file),
// after 900 frames at speed 4; the file's size in bytes.
void BM_SaveGrownPark(benchmark::State& state)
{
    GrownPark park(true);
    if (!park.Usable(state))
        return;
    GrownPark::Settle();
    bool saved = true;
    for (auto _ : state)
        saved = park.GetGame().SaveToSlot(1) && saved;
    if (!saved)
    {
        state.SkipWithError("the save failed");
        return;
    }
    std::error_code error;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(SaveSlotPath(1), error));
}
BENCHMARK(BM_SaveGrownPark)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// That save loaded from the main menu, as the load command loads it: the scenario's park built, the save read into
// it, its objects relinked; the park is thrown away again between loads (not timed).
void BM_LoadGrownPark(benchmark::State& state)
{
    GrownPark park(true);
    if (!park.Usable(state))
        return;
    GrownPark::Settle();
    Game& game = park.GetGame();
    if (!game.SaveToSlot(1))
    {
        state.SkipWithError("the save failed");
        return;
    }
    bool loaded = true;
    uint32_t guests = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        game.SelectScreen(Game::kMainMenuScreen);
        park.Pass(nullptr);
        state.ResumeTiming();
        loaded = game.LoadSlot(1) && loaded;
        guests = Count(OBJECT_GUEST);
    }
    if (!loaded || guests != kGuests)
    {
        state.SkipWithError(("the load failed or brought " + std::to_string(guests) + " guests back").c_str());
        return;
    }
    std::error_code error;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(SaveSlotPath(1), error));
}
BENCHMARK(BM_LoadGrownPark)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
