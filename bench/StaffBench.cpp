// Benchmark of staff at work in the World's frame at game speed 4: the sample park (its diner with servers, staff
// room, toilet, information booth, guests and hired cleaner) with 100 staff more (40 cleaners, 40 mechanics, 20
// zookeepers, running the sample data's CleanerLogic and MechanicLogic) and job boards kept full: litter up to the
// park's limit on its footpaths, and an inspection and a zookeeper's visit filed for every building whenever the
// boards hold none. The staff's share of a frame is the frame with them less the same park's frame without them;
// the staff's heap allocations are those of the frame with them less those of the frame without.
//
// Left out: drawing (the frame is the World's update, headless); the refilling of the boards between frames (not
// timed, not counted); the sample park is small (five buildings), so walks are short and path searches cheap
// compared with a large park.
#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "engine/render/ModelManager.h"
#include "park/ParkLayer.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "platform/Random.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace
{

constexpr float kFrame = 1.0f / 30.0f;
constexpr int kFrames = 900;
constexpr double kBudgetMicroseconds = 500.0;

struct StaffPark
{
    StaffPark()
    {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(TW_SOURCE_DIR "/sample-data");
        ClearObjectKinds();
        RegisterParkLayer();
        g_ModelManager.Init(1000, false);
        parameters = std::make_unique<GameParameters>("data/script/gameparameters.pis");
        texts = std::make_unique<TextTable>("data/text_uk.uni");
        platform::SRand(1);
        world = std::make_unique<World>(nullptr, nullptr, "data/Scenario/SamplePark/SamplePark.pis", false);
        world->SetGameSpeedLevel(2);
    }
    ~StaffPark()
    {
        world.reset();
        texts.reset();
        parameters.reset();
        UnregisterParkLayer();
        std::filesystem::current_path(previous);
    }
    void Hire()
    {
        for (int i = 0; i < 100; ++i)
        {
            const uint32_t kind = i < 40 ? OBJECT_CLEANER : i < 80 ? OBJECT_MECHANIC : OBJECT_ZOOKEEPER;
            world->RequestStaff(kind, kind == OBJECT_CLEANER    ? "CLEANER"
                                      : kind == OBJECT_MECHANIC ? "MECHANIC"
                                                                : "ZOOKEEPER");
        }
    }
    // Litter on the footpath cells up to the park's limit; work for the mechanics and the zookeepers.
    void FillBoards()
    {
        const WorldMap* map = g_pWorldMap;
        for (int y = 0; y < map->GetHeight() && Count(OBJECT_LITTER) < World::kMaxLitter; ++y)
        {
            for (int x = 0; x < map->GetWidth() && Count(OBJECT_LITTER) < World::kMaxLitter; ++x)
            {
                const MapCell* cell = map->GetCell({x, y});
                if (!cell || !(cell->m_uiFlags & CELL_FOOTPATH) || platform::Rand() % 4 != 0)
                    continue;
                LitterCreationRequest request;
                std::snprintf(request.szKeyword, sizeof request.szKeyword, "Litter0%d", platform::Rand() % 5 + 1);
                request.iGridX = x;
                request.iGridY = y;
                g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_LITTER), &request);
            }
        }
        RepairManager* mechanics = GetMechanicsRepair();
        RepairManager* zoo = GetZooRepair();
        for (uint32_t id : g_pObjectManager->GetIdsOfKind(OBJECT_BUILDING))
        {
            if (mechanics->GetPending().empty() && !mechanics->HoldsRequest(id))
                mechanics->RequestRepair(id, RepairManager::REPAIR_SERVICE);
            if (zoo->GetPending().empty() && !zoo->HoldsRequest(id))
                zoo->RequestRepair(id, RepairManager::REPAIR_ZOO_VISIT);
        }
    }
    uint32_t Count(uint8_t kind) const { return g_pObjectManager->CountObjectsOfKind(kind); }

    // Frames with the boards refilled between them; the processor time and allocations of the frames alone.
    void Run(int frames, double& micros, uint64_t& allocations)
    {
        micros = 0.0;
        allocations = 0;
        for (int i = 0; i < frames; ++i)
        {
            FillBoards();
            const uint64_t before = CountedAllocations();
            const double start = ThreadMicroseconds();
            world->Update(kFrame);
            micros += ThreadMicroseconds() - start;
            allocations += CountedAllocations() - before;
        }
    }

    QuietReports quiet;
    std::filesystem::path previous;
    std::unique_ptr<GameParameters> parameters;
    std::unique_ptr<TextTable> texts;
    std::unique_ptr<World> world;
};

void BM_StaffAtWorkFrame(benchmark::State& state)
{
    StaffPark park;
    if (!park.world->IsBuilt())
    {
        state.SkipWithError("the sample park was not built");
        return;
    }
    for (int i = 0; i < 300; ++i)
    {
        park.FillBoards();
        park.world->Update(kFrame);
    }
    double without = 0.0, with = 0.0;
    uint64_t allocationsWithout = 0, allocations = 0;
    for (auto _ : state)
    {
        park.Run(kFrames, without, allocationsWithout);
        park.Hire();
        // Settle: the staff out of the staff room, every container grown to its size.
        double ignored = 0.0;
        uint64_t ignoredAllocations = 0;
        park.Run(3000, ignored, ignoredAllocations);
        park.Run(kFrames, with, allocations);
    }
    const double share = (with - without) / kFrames;
    const double perFrame = static_cast<double>(allocations) / kFrames;
    // The park's own allocations (its guests and buildings) are there without staff too: the staff's are the rest.
    const double staffAllocations = perFrame - static_cast<double>(allocationsWithout) / kFrames;
    state.counters["frame us without staff"] = without / kFrames;
    state.counters["frame us with staff"] = with / kFrames;
    state.counters["staff us/frame"] = share;
    state.counters["allocations/frame"] = perFrame;
    state.counters["staff allocations/frame"] = staffAllocations;
    state.counters["allocations/frame without staff"] = static_cast<double>(allocationsWithout) / kFrames;
    state.counters["staff"] = park.Count(OBJECT_CLEANER) + park.Count(OBJECT_MECHANIC) + park.Count(OBJECT_ZOOKEEPER);
    state.counters["litter"] = park.Count(OBJECT_LITTER);
    std::string label = "sample park, 100 staff more, full boards, speed 4";
    if (staffAllocations > 0.0)
        label += " | FLAG: " + std::to_string(staffAllocations) + " staff allocations a frame (target 0)";
    if (share > kBudgetMicroseconds)
        label += " | FLAG: " + std::to_string(share) + " staff us a frame (budget 500)";
    state.SetLabel(label);
}
BENCHMARK(BM_StaffAtWorkFrame)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
