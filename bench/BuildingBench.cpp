// Benchmarks of a park of 500 mixed buildings in the World's frame at game speed 4: shops with servers, shops that
// serve by themselves, toilets and animal exhibits of 13 types, every queue full, guests served at the heads of
// their queues, the buildings wearing, breaking down and being serviced and repaired by mechanics, toilets cleaned,
// and a world script counting finished buildings of every type each frame; and a day's close of 500 buildings.
// Heap allocations are counted once the park has settled and any in the buildings' and managers' share of a frame
// is flagged, as is a share over its budget of 0.5 ms of processor time. The World's own rating and averages (every
// 10 game seconds) are timed and counted apart from the share.
//
// Left out: the classes not written yet. Guests, servers, mechanics and cleaners are stand-ins that only answer
// what the buildings send them (their own scripts, walks and path searches are not run); there are no tables,
// animals, shows or rides; no building is built or pulled down while frames are measured.
#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "engine/core/GameParameters.h"
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/ParkLayer.h"
#include "park/ParkManagers.h"
#include "park/QueueComponent.h"
#include "park/RepairManager.h"
#include "park/RequestedObject.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldScript.h"
#include "world/CreationRequests.h"
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

// A guest that waits in its queue and remembers what its building last offered it.
class Waiting : public StaticObject
{
public:
    Waiting() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override
    {
        if (record.dwType == MT_COMMOD_PRICE)
            offered = true;
        else if (record.dwType == MT_IM_READY || record.dwType == MT_ENTER_BUILDING)
        {
            ready = true;
            server = record.dwData;
        }
        return StaticObject::Message(record);
    }
    bool offered = false;
    bool ready = false;
    uint32_t server = 0;
};

// A shop server as its building sees one: it reports to its shop when it starts, and serves each guest it is told
// to at once.
class Server : public StaticObject, public RequestedObject
{
public:
    Server() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t state) override
    {
        if (state == STATE_STARTUP && shop != kNoObjectID)
            PostMessage({m_dwID, shop, MT_STAFF_CREATED});
        return true;
    }
    bool OnStateExit() override { return true; }
    bool SetUpFromRequest(uint8_t, const void* request) override
    {
        shop = static_cast<const ServerCreationRequest*>(request)->dwShop;
        return true;
    }
    bool Message(const MessageRecord& record) override
    {
        if (record.dwType == MT_SERVE_GUEST)
        {
            PostMessage({m_dwID, record.dwData, MT_SERVED_COMMOD});
            PostMessage({m_dwID, shop, MT_GUEST_SERVED});
        }
        return StaticObject::Message(record);
    }
    uint32_t shop = kNoObjectID;
};

// A mechanic or cleaner: its steps are driven by the benchmark; it hears when its repair is done.
class Worker : public StaticObject
{
public:
    Worker() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override
    {
        if (record.dwType == MT_REPAIRS_FINISHED)
            done = true;
        return StaticObject::Message(record);
    }
    bool done = false;
    int32_t job = -1;
    uint32_t type = 0;
};

// The World with its periodic rating and averages timed and counted apart: they are the World's own work, not the
// buildings'.
class BenchWorld : public World
{
public:
    using World::UpdateObjects;
    using World::World;
    bool HandleMessage(const MessageRecord& record, const void* payload) override
    {
        if (record.dwType != MT_UPDATERATING && record.dwType != MT_UPDATEAVERAGES)
            return World::HandleMessage(record, payload);
        const uint64_t before = CountedAllocations();
        const double start = ThreadMicroseconds();
        const bool handled = World::HandleMessage(record, payload);
        ownTime += ThreadMicroseconds() - start;
        ownAllocations += CountedAllocations() - before;
        return handled;
    }
    // Processor microseconds.
    double ownTime = 0.0;
    uint64_t ownAllocations = 0;
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
constexpr int kMechanics = 24;
constexpr int kCleaners = 4;
// The budget of the buildings' and managers' share of a frame.
constexpr double kBudgetMicroseconds = 500.0;

// The 13 building types: a field list each, after the one-cell map grid and the model lines they share.
struct TypeSpec
{
    const char* name;
    const char* fields;
};
constexpr TypeSpec kTypes[] = {
    {"BURGER", "ATTRACT_CAT_1=MEALS|HAS_STAFF=Yes|STAFF_ID=SERVE1"},
    {"CAFE", "ATTRACT_CAT_1=MEALS|HAS_STAFF=Yes|STAFF_ID=SERVE1"},
    {"DONUTS", "ATTRACT_CAT_1=SNACKS|HAS_STAFF=Yes|STAFF_ID=SERVE1"},
    {"PIZZA", "ATTRACT_CAT_1=MEALS|HAS_STAFF=Yes|STAFF_ID=SERVE1"},
    {"ICECREAM", "ATTRACT_CAT_1=SNACKS"},
    {"DRINKS", "ATTRACT_CAT_1=SNACKS"},
    {"GIFTS", "ATTRACT_CAT_1=RETAIL"},
    {"BALLOONS", "ATTRACT_CAT_1=RETAIL"},
    {"ARCADE", "ATTRACT_CAT_1=AMUSEMENT"},
    {"RESTSMALL", "ATTRACT_CAT_1=TOILET"},
    {"RESTLARGE", "ATTRACT_CAT_1=TOILET"},
    {"TANK", "ATTRACT_CAT_1=ANIMAL"},
    {"POOL", "ATTRACT_CAT_1=ANIMAL"},
};
constexpr int kTypeCount = static_cast<int>(std::size(kTypes));

std::string BuildingTable()
{
    std::string text;
    for (const TypeSpec& type : kTypes)
    {
        const std::string name = type.name;
        const std::string fields = std::string(type.fields) +
                                   "|GUESTCAPACITY=6|ATTRACT_PRICE_1=2.50|ATTRACT_COST_1=1.00|SERVE_TIME_MIN=2|"
                                   "SERVE_TIME_MAX=4|RIDE_MODEL=NONE|TABLE_MODEL=NONE|CAN_BREAKDOWN=Yes|"
                                   "REPAIR_DECAY=0.02|TREE=NONE";
        text += "\"BUILD_" + name + "\"\n";
        for (size_t start = 0; start < fields.size();)
        {
            size_t end = fields.find('|', start);
            end = end == std::string::npos ? fields.size() : end;
            const std::string field = fields.substr(start, end - start);
            const size_t equals = field.find('=');
            text += "\"" + name + "_" + field.substr(0, equals) + "\" \"" + field.substr(equals + 1) + "\"\n";
            start = end + 1;
        }
    }
    return text;
}

// Each type's map grid: one cell served from its west through a queue cell.
std::string MapGridTable()
{
    std::string text;
    for (const TypeSpec& type : kTypes)
    {
        const std::string grid = std::string("MAP") + type.name;
        text += "\"MAPGRID_" + grid + "\"\n\"" + grid + "_WIDTH\" \"1\"\n\"" + grid + "_HEIGHT\" \"1\"\n\"" + grid +
                "_FLAGROW0\" \"000\"\n\"" + grid + "_FLAGROW1\" \"IQ0\"\n\"" + grid + "_FLAGROW2\" \"000\"\n\"" + grid +
                "_BASEPLATEROW1\" \"0T0\"\n";
    }
    return text;
}

// The world script: every frame it counts the finished buildings of the scenario's 13 types (BuildTreeExist) and
// the buildings of each type.
std::string WorldScriptText()
{
    std::string text = "State STATE_WORLD_STARTUP\n OnEntry\n  ChangeState Running ;\n End\nEnd\n"
                       "State Running\n OnUpdate\n  If (BuildTreeExist)\n   Set Var0 1 ;\n  End\n";
    for (int i = 0; i < kTypeCount; ++i)
        text += "  Set Var" + std::to_string(i + 1) + " BuildingCount" + kTypes[i].name + " ;\n";
    return text + " End\nEnd\n";
}

// A scenario folder and the park built from it: 500 one-cell buildings of the 13 types in turn, in 25 columns of
// 20, each served from its west across a queue cell from a footpath running north, each queue full; the mechanics
// and cleaners in the park's south-west corner.
struct MixedPark
{
    MixedPark()
    {
        dir = std::filesystem::temp_directory_path() / ("tw-building-bench-" + std::to_string(getpid()));
        // A short day: each building checks for a breakdown every 60 game seconds.
        WriteFile(dir / "gameparameters.pis", "'iDAY_LENGTH_IN_SECONDS' 120\r\n");
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
        WriteFile(dir / "data/script/mrvbuildings.ble", Scrambled(BuildingTable()));
        WriteFile(dir / "data/script/mrvmapgrids.ble", Scrambled(MapGridTable()));
        WriteFile(dir / "data/script/guestextra.ble", Scrambled("\"GUEST_MAN\"\n"));
        WriteFile(dir / "w.ble", Scrambled(WorldScriptText()));
        std::string park = "'WORLD_SCRIPT' \"w.pis\"\r\n'WORLD_GUESTLIST' \"g.pis\"\r\n'WORLD_LEVEL' "
                           "\"BAYCREST\"\r\n'WORLD_PATHTILEINFO' \"data/pathtiles.dat\"\r\n";
        for (int i = 0; i < kTypeCount; ++i)
            park += "'BUILDING_" + std::to_string(i) + "' \"" + kTypes[i].name + "\"\r\n";
        WriteFile(dir / "park.pis", park);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        ClearObjectKinds();
        // The park's buildings; every other kind a stand-in.
        RegisterParkLayer();
        for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
        {
            if (kind != OBJECT_BUILDING)
                RegisterObjectKind(kind, []() -> BaseObject* { return new Waiting; });
        }
        RegisterObjectKind(OBJECT_SERVER, []() -> BaseObject* { return new Server; });
        RegisterObjectKind(OBJECT_MECHANIC, []() -> BaseObject* { return new Worker; });
        RegisterObjectKind(OBJECT_CLEANER, []() -> BaseObject* { return new Worker; });
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
                world->RequestBuilding(kTypes[(c * kRows + r) % kTypeCount].name, 4 * c + 6, 6 * r + 4, 0, -1.0f, 0,
                                       false);
        }
        // The buildings are made, then their servers, who join their shops.
        for (int i = 0; i < 3; ++i)
            world->Update(kFrame);
        for (uint32_t i = 0; i < g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING); ++i)
        {
            auto* shop = static_cast<BuildingObject*>(g_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, i));
            shops.push_back(shop);
            guests.emplace_back();
            for (int q = 0; q < kQueued; ++q)
            {
                BaseObject* guest = g_pObjectManager->CreateObject("MAN", OBJECT_GUEST);
                guest->SetType(OBJECT_GUEST);
                guests.back().push_back(static_cast<Waiting*>(guest));
                shop->JoinQueue(guest->GetID());
            }
        }
        for (uint8_t kind : {OBJECT_MECHANIC, OBJECT_CLEANER})
        {
            for (int i = 0; i < (kind == OBJECT_MECHANIC ? kMechanics : kCleaners); ++i)
            {
                auto* worker = static_cast<Worker*>(g_pObjectManager->CreateObject("WORKER", kind));
                worker->SetType(kind);
                worker->SetWorldPosition({static_cast<float>(64 * i), 64.0f, 0.0f});
                (kind == OBJECT_MECHANIC ? mechanics : cleaners).push_back(worker);
            }
        }
    }
    ~MixedPark()
    {
        world.reset();
        parameters.reset();
        UnregisterParkLayer();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }

    // The head guests of every kServePeriod-th building, staggered by frame, pay, are served and queue again at
    // the back (guests of a building that closed queue again when it opens); the mechanics and cleaners take a
    // step; then the World's frame.
    void Frame()
    {
        for (size_t i = frame % kServePeriod; i < shops.size(); i += kServePeriod)
            Serve(i);
        for (Worker* mechanic : mechanics)
            Repair(*mechanic);
        for (Worker* cleaner : cleaners)
            Clean(*cleaner);
        world->Update(kFrame);
        ++frame;
    }
    void Serve(size_t index)
    {
        BuildingObject& shop = *shops[index];
        if (!shop.IsOpen())
            return;
        for (Waiting* guest : guests[index])
        {
            const uint32_t id = guest->GetID();
            const std::vector<uint32_t>& queue = shop.GetQueue()->GetGuests();
            if (std::find(queue.begin(), queue.end(), id) == queue.end() && shop.IsQueueNotFull())
                shop.JoinQueue(id);
        }
        const std::vector<uint32_t>& queue = shop.GetQueue()->GetGuests();
        if (queue.empty())
            return;
        auto* guest = static_cast<Waiting*>(g_pObjectManager->GetObject(queue.front()));
        guest->offered = guest->ready = false;
        MessageRecord visit;
        visit.dwSender = guest->GetID();
        visit.dwReciever = shop.GetID();
        visit.dwType = MT_REQUEST_COMMOD;
        g_pMessageHandler->Send(visit);
        if (guest->offered)
        {
            visit.dwType = MT_PRICE_OK;
            g_pMessageHandler->Send(visit);
        }
        if (guest->ready)
        {
            visit.dwType = MT_IM_READY;
            visit.dwData = guest->server;
            g_pMessageHandler->Send(visit);
            ++sales;
        }
        shop.RemoveGuest(guest->GetID());
        shop.LeaveQueue(guest->GetID());
        shop.JoinQueue(guest->GetID());
    }
    // A mechanic without a job asks for one (repairs first, then services); with one, it works a step a frame.
    void Repair(Worker& mechanic)
    {
        RepairManager& board = *GetMechanicsRepair();
        if (mechanic.job < 0)
        {
            mechanic.job = board.FindJob(mechanic.GetWorldPosition(), RepairManager::REPAIR_BREAKDOWN, mechanic.type);
            if (mechanic.job < 0)
                mechanic.job = board.FindJob(mechanic.GetWorldPosition(), RepairManager::REPAIR_SERVICE, mechanic.type);
            if (mechanic.job < 0)
                return;
            board.SetRepairStarted(static_cast<uint32_t>(mechanic.job));
            mechanic.done = false;
            Tell(mechanic, MT_REPAIR_STARTING);
            return;
        }
        Tell(mechanic, MT_REPAIR);
        if (mechanic.done || !g_pObjectManager->GetObject(static_cast<uint32_t>(mechanic.job)))
        {
            board.RemoveAssigned(static_cast<uint32_t>(mechanic.job));
            mechanic.job = -1;
            ++repairs;
        }
    }
    void Tell(Worker& mechanic, uint32_t type)
    {
        MessageRecord record;
        record.dwSender = mechanic.GetID();
        record.dwReciever = static_cast<uint32_t>(mechanic.job);
        record.dwType = type;
        record.dwData = mechanic.type;
        g_pMessageHandler->Send(record);
    }
    // A cleaner takes the best job it may do and cleans it at once.
    void Clean(Worker& cleaner)
    {
        CleaningManager& board = *GetCleaningManager();
        int32_t type = -1;
        const int32_t job = board.FindBestScoredJob(cleaner.GetWorldPosition(), type, true, true, true);
        if (job < 0)
            return;
        board.SetCleaningStarted(static_cast<uint32_t>(job));
        if (auto* toilet = dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(static_cast<uint32_t>(job))))
        {
            toilet->ResetCleanliness();
            toilet->SetCleaning(false);
            toilet->SetCalledCleaning(false);
            toilet->SetCleanerCalledByPlayer(false);
        }
        board.FinishJob(static_cast<uint32_t>(job));
        ++cleanings;
    }
    uint32_t CountServers() const
    {
        uint32_t servers = 0;
        for (const BuildingObject* shop : shops)
            servers += shop->GetServerCount();
        return servers;
    }
    uint64_t CountFaults() const
    {
        uint64_t faults = 0;
        for (const BuildingObject* shop : shops)
            faults += static_cast<uint64_t>(shop->GetNumFaults());
        return faults;
    }

    QuietReports quiet;
    std::filesystem::path dir;
    std::filesystem::path previous;
    std::unique_ptr<GameParameters> parameters;
    std::unique_ptr<BenchWorld> world;
    std::vector<BuildingObject*> shops;
    std::vector<std::vector<Waiting*>> guests;
    std::vector<Worker*> mechanics;
    std::vector<Worker*> cleaners;
    uint64_t frame = 0;
    uint64_t sales = 0;
    uint64_t repairs = 0;
    uint64_t cleanings = 0;
};

// Fails the run when the park did not come out as described.
bool CheckPark(benchmark::State& state, const MixedPark& park)
{
    if (park.shops.size() != kBuildings || !park.shops.front()->GetQueue() ||
        !park.shops.front()->GetQueue()->IsValid())
    {
        state.SkipWithError("the park's buildings were not built with their queues");
        return false;
    }
    if (park.CountServers() == 0)
    {
        state.SkipWithError("the shops got no servers");
        return false;
    }
    return true;
}

void BM_BuildingFrame(benchmark::State& state)
{
    MixedPark park;
    if (!CheckPark(state, park))
        return;
    // Settle: every delayed message kind has come round, buildings have worn down, broken down and been repaired,
    // and every container has grown to its size.
    for (int i = 0; i < 6000; ++i)
        park.Frame();
    const uint64_t allocations = CountedAllocations();
    const uint64_t ownAllocations = park.world->ownAllocations;
    const auto ownTime = park.world->ownTime;
    const uint64_t sales = park.sales, repairs = park.repairs, cleanings = park.cleanings;
    const uint64_t faults = park.CountFaults();
    uint64_t frames = 0;
    const double start = ThreadMicroseconds();
    for (auto _ : state)
    {
        park.Frame();
        ++frames;
    }
    const double elapsed = ThreadMicroseconds() - start - (park.world->ownTime - ownTime);
    const double n = static_cast<double>(frames ? frames : 1);
    const double share =
        static_cast<double>(CountedAllocations() - allocations - (park.world->ownAllocations - ownAllocations)) / n;
    const double micros = elapsed / n;
    state.counters["allocations/frame"] = share;
    state.counters["world's own allocations/frame"] =
        static_cast<double>(park.world->ownAllocations - ownAllocations) / n;
    state.counters["share cpu us/frame"] = micros;
    state.counters["sales/frame"] = static_cast<double>(park.sales - sales) / n;
    state.counters["repairs/frame"] = static_cast<double>(park.repairs - repairs) / n;
    state.counters["cleanings/frame"] = static_cast<double>(park.cleanings - cleanings) / n;
    state.counters["breakdowns/frame"] = static_cast<double>(park.CountFaults() - faults) / n;
    state.counters["repairs waiting"] = static_cast<double>(GetMechanicsRepair()->GetPending().size());
    state.counters["cleanings waiting"] = static_cast<double>(GetCleaningManager()->GetPending().size());
    state.counters["servers"] = static_cast<double>(park.CountServers());
    std::string label = "500 mixed buildings, 13 types, speed 4";
    if (share > 0.0)
        label += " | FLAG: " + std::to_string(share) + " allocations a frame (target 0)";
    if (micros > kBudgetMicroseconds)
        label += " | FLAG: " + std::to_string(micros) + " processor us a frame (budget 500)";
    state.SetLabel(label);
}
BENCHMARK(BM_BuildingFrame)->Unit(benchmark::kMicrosecond);

// The buildings' own update in the frame, without the guests' visits, the workers or the messages.
void BM_BuildingUpdates(benchmark::State& state)
{
    MixedPark park;
    if (!CheckPark(state, park))
        return;
    for (int i = 0; i < 600; ++i)
        park.Frame();
    const uint64_t allocations = CountedAllocations();
    uint64_t frames = 0;
    for (auto _ : state)
    {
        park.world->AdvanceClock(kFrame);
        park.world->UpdateObjects();
        ++frames;
    }
    const double share =
        static_cast<double>(CountedAllocations() - allocations) / static_cast<double>(frames ? frames : 1);
    state.counters["allocations/frame"] = share;
    if (share > 0.0)
        state.SetLabel("FLAG: " + std::to_string(share) + " allocations a frame (target 0)");
}
BENCHMARK(BM_BuildingUpdates)->Unit(benchmark::kMicrosecond);

// The world script's counts alone: finished buildings of the 13 types and the buildings of each.
void BM_ScriptBuildingCounts(benchmark::State& state)
{
    MixedPark park;
    if (!CheckPark(state, park))
        return;
    for (int i = 0; i < 600; ++i)
        park.Frame();
    const uint64_t allocations = CountedAllocations();
    uint64_t frames = 0;
    for (auto _ : state)
    {
        park.world->GetScriptManager().GetWorldScript()->RunOnUpdate();
        ++frames;
    }
    const double share =
        static_cast<double>(CountedAllocations() - allocations) / static_cast<double>(frames ? frames : 1);
    state.counters["allocations/run"] = share;
    if (share > 0.0)
        state.SetLabel("FLAG: " + std::to_string(share) + " allocations a run (target 0)");
}
BENCHMARK(BM_ScriptBuildingCounts)->Unit(benchmark::kMicrosecond);

// MT_NEW_DAY to 500 buildings: each closes its day into its profit record.
void BM_DayClose(benchmark::State& state)
{
    MixedPark park;
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
