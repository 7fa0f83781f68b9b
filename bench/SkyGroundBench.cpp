// The sky and the ground pass per frame over a 160 x 160 park, on the recording device and on OpenGL in one run.
//
// The worst realistic case: the tracking camera drawn back as far as it goes (240 from the park's middle, looking
// 1.0 down) at noon of the sample day, the sample's ground, detail and sky images, and a park whose cells are a
// third footpath and a tenth queue (scattered, so no batch is left short), every cell culled and the ones in view
// drawn. Left out: the scene's models (buildings, guests, the surround model the sky queues for the model pass),
// litter and queue rails (their models), and the GUI. The GL frames end with the frame read back, so their time
// includes the drawing and not only the calls; run them headless with SDL_VIDEODRIVER=offscreen and
// LIBGL_ALWAYS_SOFTWARE=1. Target: under 2 ms a frame on the recording device.
#include "bench/BenchSupport.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextureManager.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/RecordingDevice.h"
#include "world/CameraKinds.h"
#include "world/CameraManager.h"
#include "world/SkyDome.h"
#include "world/WorldMap.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include <unistd.h>

namespace
{

constexpr int32_t kCells = 160;

// The sample's images in a folder of their own, the graphics manager on the device asked for, the texture system,
// the park's grid with its paths and queues, the sky and the camera.
class SkyAndGround
{
public:
    explicit SkyAndGround(bool recording)
    {
        m_dir = std::filesystem::temp_directory_path() / ("tw-skyground-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "Data/Textures");
        for (const char* name : {"DesertDistant.tga", "cracked.ddt", "Suncols.tga", "SunFlare.tga"})
            std::filesystem::copy_file(std::filesystem::path(TW_SOURCE_DIR "/sample-data/data/Textures") / name,
                                       m_dir / "Data/Textures" / name,
                                       std::filesystem::copy_options::overwrite_existing);
        std::filesystem::current_path(m_dir);
        ResetDeviceEnumeration();
        if (recording)
        {
            m_hook.config.defaultPoolTextureLimit = 9;
            m_hook.config.adapters.push_back(platform::DefaultRecordingAdapter());
            platform::InstallRecordingSystemFactory(&m_hook);
        }
        else
        {
            platform::SetGraphicsSystemFactory({});
            platform::GraphicsSystemPtr system = platform::CreateOpenGLSystem();
            platform::PresentParams params;
            params.backBufferWidth = 800;
            params.backBufferHeight = 600;
            platform::DevicePtr probe;
            m_bReady = system && !platform::GfxFailed(system->CreateDevice(
                                     0, platform::DeviceType::Hal, nullptr,
                                     platform::CreateFlags::SoftwareVertexProcessing, &params, &probe));
            if (!m_bReady)
                return;
        }
        GraphicsManager& gm = g_GraphicsManager;
        RendererSettings settings;
        settings.m_uOption2 = 2;
        gm.Create(settings, nullptr);
        gm.ApplyVideoSettings(VideoSettings{});
        g_TextureManager.Init();
        m_map = std::make_unique<WorldMap>(kCells, kCells, WorldMap::kDefaultCellSize, "");
        uint32_t seed = 7;
        for (int32_t y = 0; y < kCells; ++y)
        {
            for (int32_t x = 0; x < kCells; ++x)
            {
                seed = seed * 1103515245u + 12345u;
                const uint32_t roll = (seed >> 8) % 30;
                MapCell* cell = m_map->GetCellXY(x, y);
                if (roll < 10)
                    cell->m_uiFlags = CELL_FOOTPATH, cell->m_uTileIndex = roll;
                else if (roll < 13)
                    cell->m_uiFlags = CELL_QUEUE;
            }
        }
        g_SkyDome.Init();
        m_cameras = std::make_unique<CameraManager>();
        const float middle = WorldMap::kOrigin + WorldMap::kSceneUnitsPerCell * kCells / 2.0f;
        TrackingCamera& camera = *static_cast<TrackingCamera*>(m_cameras->GetCurrentCamera());
        camera.SetTargetDistance(TrackingCamera::kMaxDistance);
        camera.SetDistance(TrackingCamera::kMaxDistance);
        m_cameras->SetLookAt(middle, 0.0f, middle, true);
        m_cameras->Step(true);
    }

    ~SkyAndGround()
    {
        m_cameras.reset();
        g_SkyDome.Release();
        m_map.reset();
        if (m_bReady)
        {
            g_TextureManager.Shutdown();
            g_GraphicsManager.Shutdown();
        }
        platform::SetGraphicsSystemFactory({});
        ResetDeviceEnumeration();
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(m_dir, ignored);
    }

    bool Ready() const { return m_bReady; }

    // One frame of the park's view: the sky, then the ground pass.
    void Frame(uint32_t time, bool readBack)
    {
        GraphicsManager& gm = g_GraphicsManager;
        if (!gm.BeginFrame(time))
            return;
        g_SkyDome.Render();
        m_map->Render();
        gm.EndFrame();
        if (readBack)
        {
            uint32_t w = 0, h = 0;
            benchmark::DoNotOptimize(gm.GetRenderer()->ReadBackBuffer(&w, &h));
        }
        gm.Present();
        if (auto* device = RecordingDevice())
        {
            m_uDraws = static_cast<uint32_t>(device->draws.size());
            device->ClearLog();
        }
    }
    // The device's draws in the last frame (recording device only).
    uint32_t GetDraws() const { return m_uDraws; }

private:
    platform::RecordingDevice* RecordingDevice()
    {
        if (m_hook.config.adapters.empty())
            return nullptr;
        return static_cast<platform::RecordingDevice*>(
            static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->GetDevice());
    }

    QuietReports m_quiet;
    std::filesystem::path m_dir;
    platform::RecordingSystemHook m_hook;
    bool m_bReady = true;
    std::unique_ptr<WorldMap> m_map;
    std::unique_ptr<CameraManager> m_cameras;
    uint32_t m_uDraws = 0;
};

void Run(benchmark::State& state, bool recording)
{
    SkyAndGround park(recording);
    if (!park.Ready())
    {
        state.SkipWithError("no OpenGL context (set SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1)");
        return;
    }
    uint32_t time = 0;
    park.Frame(time++, !recording); // the tiles' first upload
    for (auto _ : state)
        park.Frame(time++, !recording);
    if (recording)
        state.counters["draws"] = park.GetDraws();
}

void BM_SkyAndGroundRecording(benchmark::State& state)
{
    Run(state, true);
}

void BM_SkyAndGroundOpenGL(benchmark::State& state)
{
    Run(state, false);
}

BENCHMARK(BM_SkyAndGroundRecording)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkyAndGroundOpenGL)->Unit(benchmark::kMillisecond);

} // namespace
