// Benchmarks of the game shell on a copy of the sample data, drawn with OpenGL in an X window: the idle main menu's
// frames per second and processor use with the frame cap on and off, and the start-up time to the first presented
// frame. Run it with an X display, for example: xvfb-run -s "-screen 0 1024x768x24" build/release/bench/game_bench
#include "bench/BenchSupport.h"
#include "engine/core/GameParameters.h"
#include "game/FrameLimiter.h"
#include "game/Game.h"
#include "game/Program.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace
{

// The sample data copied to a temporary folder that is the working folder while it lives, and the game window.
class MenuSetup
{
public:
    MenuSetup()
    {
        namespace fs = std::filesystem;
        m_previous = fs::current_path();
        m_folder = fs::temp_directory_path() / ("tidewell-bench-" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        fs::copy(fs::path(TW_SOURCE_DIR) / "sample-data/data", m_folder / "data", fs::copy_options::recursive);
        fs::current_path(m_folder);
        // The drawing needs a real GL window: an X display (run under xvfb-run without one).
        ::setenv("SDL_VIDEODRIVER", "x11", 0);
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        m_bWindow = std::getenv("DISPLAY") && platform::CreateGameWindow(kWindowTitle);
        m_pParameters = std::make_unique<GameParameters>(kGameParametersFile);
    }
    ~MenuSetup()
    {
        m_pParameters.reset();
        platform::DestroyGameWindow();
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_folder);
    }
    bool HasWindow() const { return m_bWindow; }

private:
    QuietReports m_quiet;
    std::filesystem::path m_previous;
    std::filesystem::path m_folder;
    bool m_bWindow = false;
    std::unique_ptr<GameParameters> m_pParameters;
};

double Seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One pass of the main loop on the idle main menu, with the frame cap at range(0) passes a second (0: none).
// Processor time per second of real time: "core_use" of the whole process (a software GL driver's rasterising
// threads included), "main_core_use" of the main thread alone (what the game itself spends, and about what the
// whole process spends when a graphics card does the drawing).
void BM_IdleMenuPass(benchmark::State& state)
{
    MenuSetup setup;
    if (!setup.HasWindow())
    {
        state.SkipWithError("no X display: run it under xvfb-run");
        return;
    }
    Game game(nullptr, platform::GameWindowHandle());
    FrameLimiter limiter(static_cast<int32_t>(state.range(0)));
    for (int i = 0; i < 10; ++i)
        RunMainLoopPass();
    const double real = Seconds(CLOCK_MONOTONIC), process = Seconds(CLOCK_PROCESS_CPUTIME_ID),
                 thread = Seconds(CLOCK_THREAD_CPUTIME_ID);
    for (auto _ : state)
    {
        RunMainLoopPass();
        limiter.Wait();
    }
    const double elapsed = Seconds(CLOCK_MONOTONIC) - real;
    state.counters["fps"] = static_cast<double>(state.iterations()) / elapsed;
    state.counters["core_use"] = (Seconds(CLOCK_PROCESS_CPUTIME_ID) - process) / elapsed;
    state.counters["main_core_use"] = (Seconds(CLOCK_THREAD_CPUTIME_ID) - thread) / elapsed;
}
BENCHMARK(BM_IdleMenuPass)->Arg(60)->Arg(0)->UseRealTime()->MinTime(2.0);

// The Game built and its first frame presented; the Game's destruction is not timed.
void BM_StartupToFirstFrame(benchmark::State& state)
{
    MenuSetup setup;
    if (!setup.HasWindow())
    {
        state.SkipWithError("no X display: run it under xvfb-run");
        return;
    }
    for (auto _ : state)
    {
        auto game = std::make_unique<Game>(nullptr, platform::GameWindowHandle());
        RunMainLoopPass();
        state.PauseTiming();
        game.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
