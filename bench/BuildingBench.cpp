// Benchmarks of 500 buildings with full queues in the World's frame at game speed 4 (buildings updating, guests
// served at the head of their queues, the queues moving up, sales booked) and of a day's close of 500 buildings;
// heap allocations per frame are counted once the park has settled.
#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "engine/core/GameParameters.h"
#include "park/BuildingObject.h"
#include "park/ParkLayer.h"
#include "park/QueueComponent.h"
#include "scripts/ObjectStates.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

// A guest that only takes its messages.
class Waiting : public StaticObject
{
public:
    Waiting() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override
    {
        received += record.dwType;
        return true;
    }
    uint64_t received = 0;
};

// The World with its frame's object step reachable.
class BenchWorld : public World
{
public:
    using World::UpdateObjects;
    using World::World;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Scrambled(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return text;
}

// Queue tiles by the sides a cell's neighbours join it on: one side the end open towards it, two sides the piece
// open on both, else the free piece.
std::string QueueTiles()
{
    const int ends[16] = {8, 7, 5, 10, 4, 2, 9, 8, 6, 11, 3, 8, 12, 8, 8, 8};
    std::string text;
    for (int mask = 0; mask < 256; ++mask)
    {
        int sides = 0;
        for (int side = 0; side < 4; ++side)
            sides |= (mask >> (2 * side) & 1) << side;
        for (int bit = 0; bit < 8; ++bit)
            text += std::to_string(mask >> bit & 1) + " ";
        text += std::to_string(ends[sides]) + "\n";
    }
    return text;
}

constexpr int kColumns = 25;
constexpr int kRows = 20;
constexpr int kBuildings = kColumns * kRows;
// A one-cell queue holds three guests: 1,500 guests in all, the guest pool's size.
constexpr int kQueued = 3;
// A building serves its head guest once every this many frames (about one guest every 2 game seconds).
constexpr int kServePeriod = 30;
constexpr float kFrame = 1.0f / 60.0f;

// A scenario folder and the park built from it: 500 one-cell shops in 25 columns of 20, each served from its
// west across a queue cell from a footpath running north, each queue full.
struct ShopPark
{
    ShopPark()
    {
        dir = std::filesystem::temp_directory_path() / ("tw-building-bench-" + std::to_string(getpid()));
        WriteFile(dir / "gameparameters.pis", "'iDAY_LENGTH_IN_SECONDS' 720\r\n");
        std::string grid(128 * 128 * 4, '\0');
        for (size_t i = 0; i < grid.size(); i += 4)
        {
            grid[i] = 1;
            grid[i + 3] = static_cast<char>(0x80);
        }
        WriteFile(dir / "data/maps/BaycrestGrid.dat", grid);
        WriteFile(dir / "data/pathtiles.ble", Scrambled("0 0 0 0 0 0 0 0 1\n"));
        WriteFile(dir / "data/queuetiles.ble", Scrambled(QueueTiles()));
        WriteFile(dir / "data/queuepath.ble", Scrambled("0 0 0 0 0 0 0 0 8\n"));
        WriteFile(dir / "data/script/mrvbuildings.ble",
                  Scrambled("\"BUILD_SHOP\"\n\"SHOP_ATTRACT_CAT_1\" \"SNACKS\"\n\"SHOP_GUESTCAPACITY\" \"6\"\n"
                            "\"SHOP_ATTRACT_PRICE_1\" \"2.50\"\n\"SHOP_ATTRACT_COST_1\" \"1.00\"\n"
                            "\"SHOP_SERVE_TIME_MIN\" \"2\"\n\"SHOP_SERVE_TIME_MAX\" \"4\"\n"
                            "\"SHOP_RIDE_MODEL\" \"NONE\"\n\"SHOP_TABLE_MODEL\" \"NONE\"\n"));
        WriteFile(dir / "data/script/mrvmapgrids.ble",
                  Scrambled("\"MAPGRID_MAPSHOP\"\n\"MAPSHOP_WIDTH\" \"1\"\n\"MAPSHOP_HEIGHT\" \"1\"\n"
                            "\"MAPSHOP_FLAGROW0\" \"000\"\n\"MAPSHOP_FLAGROW1\" \"IQ0\"\n\"MAPSHOP_FLAGROW2\" \"000\"\n"
                            "\"MAPSHOP_BASEPLATEROW1\" \"0T0\"\n"));
        WriteFile(dir / "data/script/guestextra.ble", Scrambled("\"GUEST_MAN\"\n"));
        WriteFile(dir / "park.pis", "'WORLD_SCRIPT' \"w.pis\"\r\n'WORLD_GUESTLIST' \"g.pis\"\r\n'WORLD_LEVEL' "
                                    "\"BAYCREST\"\r\n'WORLD_PATHTILEINFO' \"data/pathtiles.dat\"\r\n");
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        ClearObjectKinds();
        for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
            RegisterObjectKind(kind, []() -> BaseObject* { return new Waiting; });
        RegisterParkLayer();
        parameters = std::make_unique<GameParameters>("gameparameters.pis");
        world = std::make_unique<BenchWorld>(nullptr, nullptr, "park.pis", false);
        world->SetGameSpeedLevel(2);
        for (int c = 0; c < kColumns; ++c)
        {
            for (int y = 0; y < 128; ++y)
                g_pWorldMap->GetCell({4 * c + 4, y})->m_uiFlags |= CELL_FOOTPATH;
        }
        for (int c = 0; c < kColumns; ++c)
        {
            for (int r = 0; r < kRows; ++r)
                world->RequestBuilding("SHOP", 4 * c + 6, 6 * r + 4, 0, -1.0f, 0, false);
        }
        for (uint32_t i = 0; i < g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING); ++i)
        {
            auto* shop = static_cast<BuildingObject*>(g_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, i));
            shops.push_back(shop);
            for (int q = 0; q < kQueued; ++q)
            {
                BaseObject* guest = g_pObjectManager->CreateObject("MAN", OBJECT_GUEST);
                guest->SetType(OBJECT_GUEST);
                shop->JoinQueue(guest->GetID());
            }
        }
    }
    ~ShopPark()
    {
        world.reset();
        parameters.reset();
        UnregisterParkLayer();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }

    // The head guests of every kServePeriod-th shop, staggered by frame, pay, are served and queue again at the
    // back; then the World's frame. The allocations made by the visits and the objects' updates are counted apart
    // from the rest of the frame (the World's own periodic rating and averages make lists of their own).
    void Frame()
    {
        const uint64_t before = CountedAllocations();
        for (size_t i = frame % kServePeriod; i < shops.size(); i += kServePeriod)
            Serve(*shops[i]);
        buildingAllocations += CountedAllocations() - before;
        world->Update(kFrame);
        ++frame;
    }
    // The objects' update step of a frame, as the World's frame runs it, with its allocations counted.
    void UpdateObjects()
    {
        const uint64_t before = CountedAllocations();
        world->UpdateObjects();
        buildingAllocations += CountedAllocations() - before;
    }
    void Serve(BuildingObject& shop)
    {
        const uint32_t guest = shop.GetQueue()->GetGuests().front();
        MessageRecord visit;
        visit.dwSender = guest;
        visit.dwReciever = shop.GetID();
        for (uint32_t type : {MT_REQUEST_COMMOD, MT_PRICE_OK, MT_IM_READY})
        {
            visit.dwType = type;
            g_pMessageHandler->Send(visit);
        }
        shop.RemoveGuest(guest);
        shop.JoinQueue(guest);
    }

    QuietReports quiet;
    std::filesystem::path dir;
    std::filesystem::path previous;
    std::unique_ptr<GameParameters> parameters;
    std::unique_ptr<BenchWorld> world;
    std::vector<BuildingObject*> shops;
    uint64_t frame = 0;
    uint64_t buildingAllocations = 0;
};

void BM_BuildingFrame(benchmark::State& state)
{
    ShopPark park;
    if (park.shops.size() != kBuildings || !park.shops.front()->GetQueue()->IsValid())
    {
        state.SkipWithError("the park's shops were not built with their queues");
        return;
    }
    // Settle: every delayed message kind has come round and every container has grown to its size.
    for (int i = 0; i < 2000; ++i)
        park.Frame();
    const uint64_t allocations = CountedAllocations();
    park.buildingAllocations = 0;
    uint64_t frames = 0;
    for (auto _ : state)
    {
        park.Frame();
        ++frames;
    }
    const double n = static_cast<double>(frames ? frames : 1);
    state.counters["allocations/frame"] = static_cast<double>(CountedAllocations() - allocations) / n;
    state.counters["visit allocations/frame"] = static_cast<double>(park.buildingAllocations) / n;
    state.counters["shops"] = static_cast<double>(park.shops.size());
    state.SetLabel("500 shops, full queues, speed 4");
}
BENCHMARK(BM_BuildingFrame)->Unit(benchmark::kMicrosecond);

// The buildings' own update in the frame, without the guests' visits.
void BM_BuildingUpdates(benchmark::State& state)
{
    ShopPark park;
    for (int i = 0; i < 200; ++i)
        park.Frame();
    park.buildingAllocations = 0;
    uint64_t frames = 0;
    for (auto _ : state)
    {
        park.world->AdvanceClock(kFrame);
        park.UpdateObjects();
        ++frames;
    }
    state.counters["allocations/frame"] =
        static_cast<double>(park.buildingAllocations) / static_cast<double>(frames ? frames : 1);
}
BENCHMARK(BM_BuildingUpdates)->Unit(benchmark::kMicrosecond);

// MT_NEW_DAY to 500 buildings: each closes its day into its profit record.
void BM_DayClose(benchmark::State& state)
{
    ShopPark park;
    for (int i = 0; i < 200; ++i)
        park.Frame();
    MessageRecord day;
    day.dwSender = kWorldID;
    day.dwType = MT_NEW_DAY;
    for (auto _ : state)
        park.world->SendToAllBuildings(day);
    state.SetLabel("500 buildings");
}
BENCHMARK(BM_DayClose)->Unit(benchmark::kMicrosecond);

} // namespace
