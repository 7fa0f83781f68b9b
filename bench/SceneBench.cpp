// A full park scene per frame: 2,000 scenery models, 500 buildings and 1,500 walkers (bone models posed by an
// animation's key lists, each started at its own time, so that their poses change from frame to frame) in the
// scene's quadtree. One frame moves the walkers (re-filing them), puts a marker over every second walker in the
// billboard list, culls, sorts by model, submits every visible model bone by bone into the draw lists and draws
// them and the billboards on the recording device. Also 1,000 ray picks from the eye, each aimed at an object in
// view, with the clock moving between rounds. Heap allocations are counted by the replaced global operator new of
// this binary and reported per frame.
#include "bench/AllocationCount.h"
#include "engine/render/AnimatedObject.h"
#include "engine/render/BillboardList.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/DrawLists.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "engine/render/TextureManager.h"
#include "platform/gfx/RecordingDevice.h"
#include "tools/tmtool/TmText.h"
#include "tools/tmtool/TmWriter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr uint32_t kScenery = 2000;
constexpr uint32_t kBuildings = 500;
constexpr uint32_t kWalkers = 1500;
constexpr uint32_t kPicks = 1000;
constexpr float kParkSize = 1000.0f;

// A box of `size` standing on the ground, as a submodel text (8 corners, 12 triangles).
std::string BoxMesh(const std::string& name, float size, float height, float y)
{
    std::string text = "        submodel \"" + name + "\"\n";
    const float h = size / 2;
    text += "            bounds " + std::to_string(-h) + " " + std::to_string(y) + " " + std::to_string(-h) + " " +
            std::to_string(h) + " " + std::to_string(y + height) + " " + std::to_string(h) + " 0 " +
            std::to_string(y + height / 2) + " 0 0 " + std::to_string(std::max(size, height)) + "\n";
    for (int i = 0; i < 8; ++i)
        text += "            vertex " + std::to_string(i & 1 ? h : -h) + " " + std::to_string(i & 2 ? y + height : y) +
                " " + std::to_string(i & 4 ? h : -h) + " 0 1 0 0 0\n";
    text += "            level 0\n                indices 0 2 1 1 2 3 4 5 6 5 7 6 0 1 4 1 5 4 2 6 3 3 6 7 0 4 2 2 4 6 "
            "1 3 5 3 7 5\n                material\n                end\n            end\n        end\n";
    return text;
}

// A model standing on the ground: its bounds are the box `halfWidth` either side of the middle and `height` high
// (what picking tests a ray against before the triangles), its radius `radius` about the middle.
std::string ModelText(const std::string& body, float halfWidth, float height, float radius)
{
    const std::string w = std::to_string(halfWidth);
    return "model\n    bounds -" + w + " 0 -" + w + " " + w + " " + std::to_string(height) + " " + w + " 0 " +
           std::to_string(height / 2) + " 0 0 " + std::to_string(radius) + "\n" + body + "end\n";
}

// The walker's bones: hips with two legs; the animation swings them with ten rotation keys over a loop of 1,000
// ticks. The clock moves 120 ticks a frame, so a walker's pose changes every frame.
std::string WalkerBones(bool keys)
{
    auto keyLists = [&](float phase)
    {
        if (!keys)
            return std::string();
        std::string text = "        keys rotation\n";
        for (int k = 0; k <= 10; ++k)
        {
            const float a = 0.4f * std::sin(6.2831853f * (k / 10.0f + phase));
            text += "            " + std::to_string(k * 100) + " " + std::to_string(std::sin(a / 2)) + " 0 0 " +
                    std::to_string(std::cos(a / 2)) + "\n";
        }
        return text + "        end\n        keys position\n            0 0 0.9 0 0\n            1000 0 0.9 0 0\n"
                      "        end\n";
    };
    return "    bone \"Hips\"\n        position 0 0.9 0\n" + keyLists(0) +
           (keys ? "" : BoxMesh("Body", 0.5f, 0.8f, 0)) + "    bone \"LegL\"\n        position -0.15 0 0\n" +
           keyLists(0) + (keys ? "" : BoxMesh("LegL", 0.2f, 0.9f, -0.9f)) +
           "    end\n    bone \"LegR\"\n        position 0.15 0 0\n" + keyLists(0.5f) +
           (keys ? "" : BoxMesh("LegR", 0.2f, 0.9f, -0.9f)) + "    end\n    end\n";
}

class Walker : public AnimatedObject
{
public:
    Walker(uint32_t model, uint32_t animation, uint32_t start) : AnimatedObject(3)
    {
        m_hModel = model;
        CopyBounds();
        m_CurrentAnimation = animation;
        m_CurrentFrame = start;
    }
    bool Render() override
    {
        g_GraphicsManager.DrawAnimatedModel(m_hModel, m_CurrentAnimation, m_uVisibility, m_CurrentFrame, m_Pos, m_Ori,
                                            0);
        return true;
    }
};

class Park
{
public:
    Park()
    {
        std::filesystem::create_directories(m_dir);
        std::filesystem::current_path(m_dir);
        m_hook.config.defaultPoolTextureLimit = 9;
        m_hook.config.adapters.push_back(platform::DefaultRecordingAdapter());
        ResetDeviceEnumeration();
        platform::InstallRecordingSystemFactory(&m_hook);
        GraphicsManager& gm = g_GraphicsManager;
        gm.Create(RendererSettings{}, nullptr);
        g_TextureManager.Init();
        g_ModelManager.Init(64, true);
        gm.SetFog(0.0f, 60.0f, 0);
        gm.SetProjection(60.0f, 4.0f / 3.0f, 1.0f, 1000.0f);
        const platform::Vec3 eye = {500, 80, 350};
        gm.SetViewMatrix(platform::MatrixLookAtLH(eye, {500, 0, 600}, {0, 1, 0}), true);
        gm.SetEyePosition(eye);
        gm.ApplyProjection();
        gm.SetFrustumRange(true);

        const uint32_t tree =
            Load("tree.tm", ModelText("    bone \"Trunk\"\n" + BoxMesh("Trunk", 1, 6, 0) + "    end\n", 0.5f, 6, 6));
        const uint32_t house =
            Load("house.tm", ModelText("    bone \"Walls\"\n" + BoxMesh("Walls", 10, 6, 0) + "    bone \"Roof\"\n" +
                                           BoxMesh("Roof", 11, 3, 6) + "    end\n    end\n",
                                       5.5f, 9, 12));
        const uint32_t walker = Load("walker.tm", ModelText(WalkerBones(false), 0.4f, 1.8f, 2));
        const uint32_t walk = Load("walk.tm", ModelText(WalkerBones(true), 0.4f, 1.8f, 2));
        m_scene.Open({0, 0, 0}, {kParkSize, 500, kParkSize});

        uint32_t seed = 12345;
        auto next = [&seed]()
        {
            seed = seed * 1103515245u + 12345u;
            return static_cast<float>((seed >> 8) & 0xFFFF) / 65536.0f;
        };
        for (uint32_t i = 0; i < kScenery; ++i)
            Add(std::make_unique<ModelInstance>(tree, platform::Vec3{next() * kParkSize, 0, next() * kParkSize},
                                                platform::Vec3{0, next() * 6.28f, 0}));
        for (uint32_t i = 0; i < kBuildings; ++i)
            Add(std::make_unique<ModelInstance>(house, platform::Vec3{next() * kParkSize, 0, next() * kParkSize},
                                                platform::Vec3{0, next() * 6.28f, 0}));
        for (uint32_t i = 0; i < kWalkers; ++i)
        {
            auto w = std::make_unique<Walker>(walker, walk, static_cast<uint32_t>(next() * 8));
            w->SetPosition(next() * kParkSize, 0, next() * kParkSize);
            m_walkers.push_back(w.get());
            Add(std::move(w));
        }
        m_markerTextures[0] = g_TextureManager.CreateTexture(32, 32, "marker a");
        m_markerTextures[1] = g_TextureManager.CreateTexture(32, 32, "marker b");
        for (uint32_t i = 0; i < kPicks; ++i)
            m_pickChoices.push_back(next());
    }

    ~Park()
    {
        m_scene.Close();
        m_objects.clear();
        g_TextureManager.Shutdown();
        g_GraphicsManager.Shutdown();
        platform::SetGraphicsSystemFactory({});
        ResetDeviceEnumeration();
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(m_dir, ignored);
    }

    void Frame(uint32_t time)
    {
        GraphicsManager& gm = g_GraphicsManager;
        gm.BeginFrame(time);
        for (uint32_t i = 0; i < m_walkers.size(); ++i)
        {
            Walker* w = m_walkers[i];
            const platform::Vec3& p = w->GetPosition();
            const float step = (i & 1) ? 0.05f : -0.05f;
            w->SetPosition(std::fmod(p.x + step + kParkSize, kParkSize), p.y, p.z);
            // A marker over every second walker, in two textures and two materials.
            if (i % 2 == 0)
                g_BillboardList.Add({p.x, 2.5f, p.z}, 0.3f, 0xFFFFC040, m_markerTextures[i / 2 % 2],
                                    1 + 6 * (i / 4 % 2));
        }
        m_scene.Render();
        gm.EndFrame();
    }

    // The engine's own part of a frame, without the device: walkers moved, culled, sorted and submitted into the
    // draw lists, which are then emptied undrawn.
    void Submit(uint32_t time)
    {
        GraphicsManager& gm = g_GraphicsManager;
        gm.BeginFrame(time);
        for (uint32_t i = 0; i < m_walkers.size(); ++i)
        {
            Walker* w = m_walkers[i];
            const platform::Vec3& p = w->GetPosition();
            const float step = (i & 1) ? 0.05f : -0.05f;
            w->SetPosition(std::fmod(p.x + step + kParkSize, kParkSize), p.y, p.z);
        }
        SceneIndexCull();
        gm.GetModelDrawList()->ClearChains();
        gm.EndFrame();
    }

    void SceneIndexCull()
    {
        SpatialIndex* index = m_scene.GetIndex();
        index->Cull();
        SceneObject* const* objects = index->GetVisibleObjects();
        const uint32_t* order = m_sorter.Sort(index->GetVisibleKeys(), 4, 4, index->GetVisibleCount());
        for (uint32_t i = 0; i < index->GetVisibleCount(); ++i)
            objects[order[i]]->Render();
    }

    // Aims the picks at the middle of objects in view (chosen from the last cull).
    void AimPicks()
    {
        SpatialIndex* index = m_scene.GetIndex();
        m_pickPoints.clear();
        if (index->GetVisibleCount() == 0)
            return;
        for (float choice : m_pickChoices)
        {
            const uint32_t i = std::min(static_cast<uint32_t>(choice * static_cast<float>(index->GetVisibleCount())),
                                        index->GetVisibleCount() - 1);
            const SceneObject* object = index->GetVisibleObjects()[i];
            const platform::Vec3& p = object->GetPosition();
            m_pickPoints.push_back({p.x, p.y + object->GetCentre().y, p.z});
        }
    }

    uint32_t Picks()
    {
        auto& tree = *static_cast<SceneTree*>(m_scene.GetIndex());
        uint32_t hits = 0;
        for (const platform::Vec3& point : m_pickPoints)
            hits += tree.PickNearestAtPoint(point) ? 1 : 0;
        return hits;
    }

    platform::RecordingDevice* Device()
    {
        return static_cast<platform::RecordingDevice*>(
            static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->GetDevice());
    }
    uint32_t Visible() const { return m_scene.GetIndex()->GetVisibleCount(); }

private:
    uint32_t Load(const std::string& name, const std::string& text)
    {
        SModel model;
        std::string error;
        if (!tmtool::ParseModelText(text, &model, &error))
            std::abort();
        const std::vector<uint8_t> bytes = tmtool::WriteTmModel(model);
        std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return g_ModelManager.Load(name.c_str());
    }

    void Add(std::unique_ptr<SceneObject> object)
    {
        m_scene.AddObject(object.get());
        m_objects.push_back(std::move(object));
    }

    std::filesystem::path m_dir = std::filesystem::temp_directory_path() / "tidewell_scene_bench";
    platform::RecordingSystemHook m_hook;
    Scene m_scene;
    RadixSorter m_sorter;
    std::vector<std::unique_ptr<SceneObject>> m_objects;
    std::vector<Walker*> m_walkers;
    uint32_t m_markerTextures[2] = {};
    std::vector<float> m_pickChoices;
    std::vector<platform::Vec3> m_pickPoints;
};

Park& ThePark()
{
    static Park park;
    return park;
}

void BM_SceneFrame(benchmark::State& state)
{
    Park& park = ThePark();
    uint32_t time = 1;
    // The first frames size what the frames keep.
    park.Frame(time++);
    park.Frame(time++);
    park.Device()->ClearLog();
    uint64_t allocations = 0, frames = 0;
    for (auto _ : state)
    {
        const uint64_t before = CountedAllocations();
        park.Frame(time++);
        allocations += CountedAllocations() - before;
        ++frames;
        state.PauseTiming();
        state.counters["draws"] = static_cast<double>(park.Device()->draws.size());
        park.Device()->ClearLog();
        state.ResumeTiming();
    }
    state.counters["visible"] = park.Visible();
    state.counters["allocs_per_frame"] = frames ? static_cast<double>(allocations) / static_cast<double>(frames) : 0;
}
BENCHMARK(BM_SceneFrame)->Unit(benchmark::kMillisecond);

void BM_SceneSubmit(benchmark::State& state)
{
    Park& park = ThePark();
    uint32_t time = 1;
    park.Submit(time++);
    park.Submit(time++);
    uint64_t allocations = 0, frames = 0;
    for (auto _ : state)
    {
        const uint64_t before = CountedAllocations();
        park.Submit(time++);
        allocations += CountedAllocations() - before;
        ++frames;
    }
    state.counters["allocs_per_frame"] = frames ? static_cast<double>(allocations) / static_cast<double>(frames) : 0;
}
BENCHMARK(BM_SceneSubmit)->Unit(benchmark::kMillisecond);

void BM_ScenePicks(benchmark::State& state)
{
    Park& park = ThePark();
    uint32_t time = 1000;
    park.Frame(time++);
    park.AimPicks();
    uint32_t hits = 0;
    for (auto _ : state)
    {
        hits = park.Picks();
        // The walkers' poses follow the clock: the next round picks them in another pose.
        state.PauseTiming();
        g_GraphicsManager.BeginFrame(time++);
        g_GraphicsManager.EndFrame();
        state.ResumeTiming();
    }
    state.counters["hits"] = hits;
    state.counters["per_pick"] = benchmark::Counter(
        static_cast<double>(kPicks), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScenePicks)->Unit(benchmark::kMillisecond);

} // namespace
