// Camera-facing quads: a frame's 200 billboards added, sorted and drawn through the graphics manager on the
// recording device; and a show of fireworks stepped.
#include "engine/render/BillboardList.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/EffectScheduler.h"
#include "engine/render/GraphicsManager.h"
#include "platform/gfx/RecordingDevice.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace
{

void BM_BillboardFrame(benchmark::State& state)
{
    platform::RecordingSystemHook hook;
    hook.config.defaultPoolTextureLimit = 9;
    hook.config.adapters.push_back(platform::DefaultRecordingAdapter());
    ResetDeviceEnumeration();
    platform::InstallRecordingSystemFactory(&hook);
    GraphicsManager& gm = g_GraphicsManager;
    gm.Create(RendererSettings{}, nullptr);
    gm.SetViewMatrix(platform::MatrixLookAtLH({0, 50, -50}, {0, 0, 0}, {0, 1, 0}), true);
    auto* device = static_cast<platform::RecordingDevice*>(static_cast<D3DRenderer*>(gm.GetRenderer())->GetDevice());

    const uint32_t count = static_cast<uint32_t>(state.range(0));
    for (auto _ : state)
    {
        gm.BeginFrame(0);
        for (uint32_t i = 0; i < count; ++i)
        {
            // Markers of four textures and three materials, scattered over the park.
            const float x = static_cast<float>(i % 20) * 5.0f, z = static_cast<float>(i / 20) * 5.0f;
            g_BillboardList.Add({x, 2.0f, z}, 1.0f, 0xFFFFFFFF, 1 + i % 4, i % 3 == 0 ? 1 : i % 3 == 1 ? 4 : 8);
        }
        g_BillboardList.Draw(gm);
        gm.EndFrame();
        state.PauseTiming();
        device->ClearLog();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    gm.Shutdown();
    platform::SetGraphicsSystemFactory({});
    ResetDeviceEnumeration();
}
BENCHMARK(BM_BillboardFrame)->Arg(200);

// Ten sparklers and a fountain stepped once per iteration (no drawing).
void BM_FireworkTick(benchmark::State& state)
{
    EffectScheduler scheduler;
    scheduler.Open(nullptr);
    scheduler.SeedRandom(1);
    FireworkDesc desc;
    for (int i = 0; i < 10; ++i)
    {
        desc.position = {static_cast<float>(i), 0.0f, 0.0f};
        scheduler.Spawn(desc);
    }
    desc.kind = FIREWORK_FOUNTAIN;
    desc.capacity = 2000;
    desc.fountain.launchCount = 0xFFFFFFFF;
    desc.fountain.launchInterval = 10;
    desc.fountain.rocketSpeedBase = 20.0f;
    desc.fountain.rocketDecayBase = 4;
    desc.fountain.sparksPerStep = 4;
    desc.fountain.sparkDecayBase = 8;
    desc.fountain.smokeChance = 8;
    scheduler.Spawn(desc);
    for (auto _ : state)
        benchmark::DoNotOptimize(scheduler.Tick());
    scheduler.Close();
}
BENCHMARK(BM_FireworkTick);

} // namespace
