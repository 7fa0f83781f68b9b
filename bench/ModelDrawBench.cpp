// Model drawing per frame: 5,000 model instances (half on 40-vertex meshes batched on the processor, half on
// 120-vertex meshes in the shared buffers, 20 materials) culled against the view, queued in the sorted model draw
// list and drawn through the renderer. Heap allocations are counted by the replaced global operator new of this
// binary and reported per frame.
//
// BM_CullAndQueue is only the work before drawing (culling, matrices, queueing in the list): no sort, no batching.
// BM_EngineFrame is the engine's whole frame (frame start, cull and queue, the key sort, the processor batching
// and every renderer call) on a device that drops the draws, so that the device's log costs nothing.
// BM_ModelFrame is the same frame on the recording device, which copies the vertices and indices of every draw
// into its log (its own allocations and copying are part of that case's numbers).
#include "bench/AllocationCount.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/DrawLists.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MeshManager.h"
#include "engine/render/OptModel.h"
#include "platform/gfx/RecordingDevice.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <vector>

namespace
{

constexpr uint32_t kInstances = 5000;
constexpr uint32_t kMeshes = 20;

struct Mesh
{
    OptMesh mesh;
    OptMeshLOD level;
};

// The graphics manager on the recording device, 20 meshes with their materials, and 5,000 placements spread over
// a field in front of the camera (some beyond its sides, which culling drops).
class Scene
{
public:
    Scene()
    {
        std::filesystem::create_directories(m_dir);
        std::filesystem::current_path(m_dir);
        m_hook.config.defaultPoolTextureLimit = 9;
        m_hook.config.adapters.push_back(platform::DefaultRecordingAdapter());
        ResetDeviceEnumeration();
        platform::InstallRecordingSystemFactory(&m_hook);
        g_GraphicsManager.Create(RendererSettings{}, nullptr);
        g_GraphicsManager.SetFog(0.0f, 100.0f, 0);
        g_GraphicsManager.SetProjection(60.0f, 4.0f / 3.0f, 1.0f, 1000.0f);
        g_GraphicsManager.SetViewMatrix(platform::MatrixLookAtLH({0, 60, -40}, {0, 0, 150}, {0, 1, 0}), true);
        g_GraphicsManager.ApplyProjection();

        m_meshes.resize(kMeshes);
        for (uint32_t i = 0; i < kMeshes; ++i)
        {
            const uint32_t n = i % 2 ? 120 : 40;
            Mesh& m = m_meshes[i];
            std::vector<LitTexVertex> vertices(n);
            for (uint32_t v = 0; v < n; ++v)
            {
                const float a = 6.2831853f * static_cast<float>(v) / static_cast<float>(n);
                vertices[v] = {std::cos(a), static_cast<float>(v % 3), std::sin(a), 0, 1, 0, 0xFFFFFFFF, 0, 0, 0};
                m.mesh.m_positions.push_back({vertices[v].x, vertices[v].y, vertices[v].z});
                m.mesh.m_normals.push_back({0, 1, 0});
                m.mesh.m_vertices.push_back({0xFFFFFFFF, 0, 0, 0});
            }
            for (uint16_t v = 1; v + 1u < n; ++v)
                m.level.m_indices.insert(m.level.m_indices.end(), {0, v, static_cast<uint16_t>(v + 1)});
            m.level.m_uVertexCount = n;
            m.level.m_uIndexCount = static_cast<uint32_t>(m.level.m_indices.size());
            if (n > 80)
            {
                m.mesh.m_uVertexHandle = m.level.m_uIndexHandle =
                    g_MeshManager.Register(1, 4, n, vertices.data(), m.level.m_uIndexCount, m.level.m_indices.data());
                m.mesh.m_positions.clear();
            }
            SMaterial material;
            material.m_uDiffuse = 0xFF000000u | (i * 0x0C0B0A);
            InternMaterial(material, &m.level.m_parts, false);
        }
        for (uint32_t i = 0; i < kInstances; ++i)
            m_positions.push_back(
                {static_cast<float>(i % 100) * 4.0f - 200.0f, 0.0f, static_cast<float>(i / 100) * 4.0f});
    }

    ~Scene()
    {
        g_GraphicsManager.Shutdown();
        platform::SetGraphicsSystemFactory({});
        ResetDeviceEnumeration();
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(m_dir, ignored);
    }

    // Culls every placement against the view and the ground and queues what is visible.
    uint32_t CullAndQueue()
    {
        GraphicsManager& gm = g_GraphicsManager;
        ModelDrawList& list = *gm.GetModelDrawList();
        uint32_t queued = 0;
        for (uint32_t i = 0; i < kInstances; ++i)
        {
            const platform::Vec3& p = m_positions[i];
            platform::Vec3 view;
            gm.TransformToView(p, &view);
            const uint32_t code = gm.TestSphere(view, 1.5f) | gm.TestCircle(p, 1.5f);
            if (code & (ClipCode::kOutside | ClipCode::kOutsideGround))
                continue;
            platform::Matrix* m = list.GetMatrixPool().Acquire();
            if (!m)
                break;
            *m = platform::MatrixTranslation(p.x, p.y, p.z);
            Mesh& mesh = m_meshes[i % kMeshes];
            queued += list.Add(&mesh.level, &mesh.mesh, m, 0, 0) ? 1 : 0;
        }
        return queued;
    }

    platform::RecordingDevice* Device()
    {
        return static_cast<platform::RecordingDevice*>(
            static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->GetDevice());
    }

private:
    std::filesystem::path m_dir = std::filesystem::temp_directory_path() / "tidewell_model_bench";
    platform::RecordingSystemHook m_hook;
    std::vector<Mesh> m_meshes;
    std::vector<platform::Vec3> m_positions;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void ReportAllocations(benchmark::State& state, uint64_t allocations, uint64_t frames)
{
    state.counters["allocs_per_frame"] = frames ? static_cast<double>(allocations) / static_cast<double>(frames) : 0;
}

void BM_CullAndQueue(benchmark::State& state)
{
    Scene& scene = TheScene();
    GraphicsManager& gm = g_GraphicsManager;
    ModelDrawList& list = *gm.GetModelDrawList();
    // The first frame may size what the frames keep.
    scene.CullAndQueue();
    list.ClearChains();
    list.Reset();
    uint64_t allocations = 0, frames = 0;
    uint32_t queued = 0;
    for (auto _ : state)
    {
        const uint64_t before = CountedAllocations();
        queued = scene.CullAndQueue();
        list.ClearChains();
        list.Reset();
        allocations += CountedAllocations() - before;
        ++frames;
    }
    state.counters["queued"] = queued;
    ReportAllocations(state, allocations, frames);
}
BENCHMARK(BM_CullAndQueue)->Unit(benchmark::kMillisecond);

// One whole frame: every visible placement queued, sorted by key, drawn (batched on the processor where small)
// and the chains emptied.
void ModelFrame(benchmark::State& state, bool dropDraws)
{
    Scene& scene = TheScene();
    GraphicsManager& gm = g_GraphicsManager;
    scene.Device()->dropDraws = dropDraws;
    auto frame = [&]()
    {
        gm.BeginFrame(0);
        scene.CullAndQueue();
        gm.GetModelDrawList()->Draw(gm.GetRenderer(), false);
        gm.GetModelDrawList()->ClearChains();
        gm.EndFrame();
    };
    // The first frames size what the frames keep (the device's log keeps its room across ClearLog).
    frame();
    frame();
    scene.Device()->ClearLog();
    uint64_t allocations = 0, frames = 0;
    for (auto _ : state)
    {
        const uint64_t before = CountedAllocations();
        frame();
        allocations += CountedAllocations() - before;
        ++frames;
        state.PauseTiming();
        RenderStats stats;
        gm.GetRenderer()->GetFrameStats(&stats);
        state.counters["draws"] = stats.Get(RenderStats::DrawCalls);
        scene.Device()->ClearLog();
        state.ResumeTiming();
    }
    scene.Device()->dropDraws = false;
    ReportAllocations(state, allocations, frames);
}

void BM_EngineFrame(benchmark::State& state)
{
    ModelFrame(state, true);
}
BENCHMARK(BM_EngineFrame)->Unit(benchmark::kMillisecond);

void BM_ModelFrame(benchmark::State& state)
{
    ModelFrame(state, false);
}
BENCHMARK(BM_ModelFrame)->Unit(benchmark::kMillisecond);

} // namespace
