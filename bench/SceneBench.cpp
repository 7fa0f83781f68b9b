// A full park scene per frame: 2,000 scenery models, 500 buildings and 1,500 walkers (bone models posed by an
// animation's key lists) in the scene's quadtree. One frame moves the walkers (re-filing them), culls, sorts by
// model, submits every visible model bone by bone into the draw lists and draws them on the recording device.
// Also 1,000 ray picks from the eye into that scene. Heap allocations are counted by the replaced global operator
// new of this binary and reported per frame.
#include "bench/AllocationCount.h"
#include "engine/render/AnimatedObject.h"
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

std::string ModelText(const std::string& body, float radius)
{
    return "model\n    bounds -1 0 -1 1 2 1 0 " + std::to_string(radius / 2) + " 0 0 " + std::to_string(radius) + "\n" +
           body + "end\n";
}

// The walker's bones: hips with two legs; the animation swings them with ten rotation keys over a second.
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
            text += "            " + std::to_string(k * 12) + " " + std::to_string(std::sin(a / 2)) + " 0 0 " +
                    std::to_string(std::cos(a / 2)) + "\n";
        }
        return text + "        end\n        keys position\n            0 0 0.9 0 0\n            120 0 0.9 0 0\n"
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
    Walker(uint32_t model, uint32_t animation) : AnimatedObject(3)
    {
        m_hModel = model;
        CopyBounds();
        m_CurrentAnimation = animation;
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
            Load("tree.tm", ModelText("    bone \"Trunk\"\n" + BoxMesh("Trunk", 1, 6, 0) + "    end\n", 6));
        const uint32_t house =
            Load("house.tm", ModelText("    bone \"Walls\"\n" + BoxMesh("Walls", 10, 6, 0) + "    bone \"Roof\"\n" +
                                           BoxMesh("Roof", 11, 3, 6) + "    end\n    end\n",
                                       12));
        const uint32_t walker = Load("walker.tm", ModelText(WalkerBones(false), 2));
        const uint32_t walk = Load("walk.tm", ModelText(WalkerBones(true), 2));
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
            auto w = std::make_unique<Walker>(walker, walk);
            w->SetPosition(next() * kParkSize, 0, next() * kParkSize);
            m_walkers.push_back(w.get());
            Add(std::move(w));
        }
        for (uint32_t i = 0; i < kPicks; ++i)
            m_pickPoints.push_back({400 + next() * 200, 0, 450 + next() * 200});
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
    uint32_t hits = 0;
    for (auto _ : state)
        hits = park.Picks();
    state.counters["hits"] = hits;
    state.counters["per_pick"] = benchmark::Counter(
        static_cast<double>(kPicks), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScenePicks)->Unit(benchmark::kMillisecond);

} // namespace
