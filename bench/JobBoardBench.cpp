// Benchmarks of the job boards at a busy park: 100 workers asking each frame for a job on a board of 500 pending
// jobs (mechanics' services and repairs, some urgent, spread over the map), each job filed again as it is taken
// so the board stays full; the cleaners' scored choice on a board of 500 pieces of litter; and the mechanics'
// watering searches in a park of 2,000 pieces of scenery, one in fifty a plant that wants water.
#include "bench/BenchSupport.h"
#include "park/CleaningManager.h"
#include "park/RepairManager.h"
#include "scripts/WorldParams.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/StaticObject.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int kJobs = 500;
constexpr int kWorkers = 100;

class Spot : public StaticObject
{
public:
    Spot() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
};

// Deterministic spread of positions over a 128-cell map (4096 by 8192 map units).
platform::Vec3 Place(int i)
{
    return {static_cast<float>((i * 2654435761u) % 4096u), static_cast<float>((i * 40503u) % 8192u), 0.0f};
}

struct Board
{
    explicit Board(uint8_t kind)
    {
        ClearObjectKinds();
        RegisterObjectKind(kind, []() -> BaseObject* { return new Spot; });
        for (int i = 0; i < kJobs; ++i)
        {
            BaseObject* object = objects.CreateObject("SPOT", kind);
            object->SetType(kind);
            object->SetWorldPosition(Place(i));
            ids.push_back(object->GetID());
        }
    }
    ~Board() { ClearObjectKinds(); }
    // The clock past the age below which requests wait.
    void Age()
    {
        world.AdvanceClock(4.0f);
        world.AdvanceClock(4.0f);
    }

    QuietReports quiet;
    World world;
    ObjectManager objects;
    std::vector<uint32_t> ids;
};

void BM_RepairFindJob(benchmark::State& state)
{
    Board board(OBJECT_TABLE);
    RepairManager repairs;
    for (int i = 0; i < kJobs; ++i)
    {
        const uint32_t type = i % 3 == 0 ? RepairManager::REPAIR_BREAKDOWN : RepairManager::REPAIR_SERVICE;
        if (i % 10 == 0)
            repairs.RequestUrgentRepair(board.ids[i], type);
        else
            repairs.RequestRepair(board.ids[i], type);
    }
    int64_t taken = 0;
    for (auto _ : state)
    {
        board.Age();
        for (int w = 0; w < kWorkers; ++w)
        {
            uint32_t type = 0;
            const int32_t id = repairs.FindJob(Place(w * 7 + 3), static_cast<uint32_t>(w % 2), type);
            if (id < 0)
                continue;
            ++taken;
            // The job is done at once and its building asks again.
            repairs.RemoveAssigned(static_cast<uint32_t>(id));
            repairs.RequestRepair(static_cast<uint32_t>(id), type);
        }
    }
    state.counters["taken"] = benchmark::Counter(static_cast<double>(taken), benchmark::Counter::kAvgIterations);
    state.counters["pending"] = static_cast<double>(repairs.GetPending().size());
    state.counters["s_per_request"] = benchmark::Counter(static_cast<double>(state.iterations()) * kWorkers,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RepairFindJob)->Unit(benchmark::kMicrosecond);

void BM_CleaningBestScoredJob(benchmark::State& state)
{
    Board board(OBJECT_LITTER);
    CleaningManager cleaning;
    for (uint32_t id : board.ids)
        cleaning.RequestCleaning(id);
    for (auto _ : state)
    {
        for (int w = 0; w < kWorkers; ++w)
        {
            int32_t type = 0;
            const int32_t id = cleaning.FindBestScoredJob(Place(w * 7 + 3), type, true, true, true);
            if (id < 0)
                continue;
            cleaning.FinishJob(static_cast<uint32_t>(id));
            if (auto* spot = dynamic_cast<StaticObject*>(board.objects.GetObject(static_cast<uint32_t>(id))))
                spot->SetCleaning(false);
            cleaning.RequestCleaning(static_cast<uint32_t>(id));
        }
    }
    state.counters["pending"] = static_cast<double>(cleaning.GetPending().size());
    state.counters["s_per_request"] = benchmark::Counter(static_cast<double>(state.iterations()) * kWorkers,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CleaningBestScoredJob)->Unit(benchmark::kMicrosecond);

// The mechanics' two watering searches among 2,000 pieces of scenery (the tables' PLANT wants water, ROCK does not),
// 40 plants among them spread over the map: a mechanic asking for watering (within 200 units), and one looking for
// a distant plant. Each plant found is given back at once, so every call searches the same park.
void BM_RepairWateringSearch(benchmark::State& state)
{
    constexpr int kScenery = 2000;
    constexpr int kPlantEvery = 50;
    QuietReports quiet;
    ClearObjectKinds();
    RegisterObjectKind(OBJECT_SCENERY, []() -> BaseObject* { return new Spot; });
    WorldParams params;
    std::string tables = "\"SCENERY_PLANT\"\n\"PLANT_WATER\" \"Yes\"\n\"SCENERY_ROCK\"\n";
    params.Process(tables.data(), static_cast<uint32_t>(tables.size()));
    World world;
    ObjectManager objects;
    for (int i = 0; i < kScenery; ++i)
    {
        BaseObject* object = objects.CreateObject(i % kPlantEvery == 0 ? "PLANT" : "ROCK", OBJECT_SCENERY);
        object->SetType(OBJECT_SCENERY);
        object->SetWorldPosition(Place(i));
    }
    RepairManager repairs;
    int64_t found = 0;
    for (auto _ : state)
    {
        for (int w = 0; w < 2; ++w)
        {
            uint32_t type = 0;
            const platform::Vec3 at = Place(w * 7 + 3);
            const int32_t id =
                w == 0 ? repairs.FindJob(at, RepairManager::REPAIR_WATERING, type) : repairs.FindDistantWateringJob(at);
            if (id < 0)
                continue;
            ++found;
            repairs.RemoveAssigned(static_cast<uint32_t>(id));
        }
    }
    ClearObjectKinds();
    state.counters["found"] = benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
    state.counters["s_per_search"] = benchmark::Counter(static_cast<double>(state.iterations()) * 2,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel("2,000 scenery, 40 plants");
}
BENCHMARK(BM_RepairWateringSearch)->Unit(benchmark::kMicrosecond);

} // namespace
