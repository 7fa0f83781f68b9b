// Benchmarks of a full park of guests in the World's frame at game speed 4: 1,500 guests running the sample data's
// GuestLogic (searching for what they want, walking the footpaths, queuing, paying, sitting at tables and on
// benches, binning and dropping litter, leaving), 500 buildings of eight kinds (restaurants with tables, snack bars,
// shops, toilets, amusements, rides, animal houses and shows) on a grid of footpaths, 5,000 scenery items (benches
// and bins on the footpaths, plants, palms and lamps beside them) and 60 staff; the processor time and the heap
// allocations of a frame once the park has settled, and the cost of one SearchDesire and one FindBench; and the
// processor time of saving that park (with 100 real staff) to a file and of loading it into a new World.
//
// Left out: drawing (the frame is the World's update, headless); the staff are stand-ins that only walk the
// footpaths from one random place to the next, searching a path each time (cleaners, mechanics and zookeepers come
// later), so no litter is swept and no building repaired; there are no animals and no servers. The save and load
// benchmarks' staff are real but run no scripts; the disk's own time (the save's flush to disk) is left out.
#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "engine/core/GameParameters.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextTable.h"
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "park/ParkLayer.h"
#include "park/SceneryObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
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

constexpr int kSize = 128;
constexpr int kGuests = 1500;
constexpr int kBuildings = 500;
constexpr int kScenery = 5000;
constexpr int kStaff = 60;
// A frame of the World at 30 frames a second, at game speed 4.
constexpr float kFrame = 1.0f / 30.0f;
constexpr double kBudgetMicroseconds = 8000.0;

// The footpaths: the columns and rows 4 + 8k.
bool IsFootpathLine(int v)
{
    return v % 8 == 4;
}

// A stand-in for a member of staff: it walks the footpaths from one random cell to another.
class Wanderer : public HumanObject
{
public:
    Wanderer() : HumanObject(3) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Update() override
    {
        HumanObject::Update();
        if (!IsMoving() && g_pMessageHandler)
        {
            const int line = 4 + 8 * (platform::Rand() % (kSize / 8));
            const int along = platform::Rand() % kSize;
            const bool row = platform::Rand() % 2 == 0;
            const GridPos cell = row ? GridPos{along, line} : GridPos{line, along};
            const platform::Vec3 at = WorldMap::GetCellCentre(cell);
            g_pMessageHandler->Send(
                SelfMessage(MT_PAVEMENT2POINT, static_cast<uint32_t>(at.x), static_cast<uint32_t>(at.y)));
        }
        return true;
    }
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

std::string Record(const std::string& declare, const std::string& name,
                   const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string text = "\"" + declare + "_" + name + "\"\n";
    for (const auto& [field, value] : fields)
        text += "\"" + name + "_" + field + "\" \"" + value + "\"\n";
    return text;
}

struct TypeSpec
{
    const char* name;
    const char* category;
    bool tables;
};
constexpr TypeSpec kTypes[] = {{"CAFE", "MEALS", true},        {"SNACK", "SNACKS", false},  {"GIFTS", "RETAIL", false},
                               {"RESTSMALL", "TOILET", false}, {"FUN", "AMUSEMENT", false}, {"RIDE", "RIDE", false},
                               {"TANK", "ANIMAL", false},      {"SHOW", "SHOW", false}};

std::string Tables()
{
    std::string text;
    for (const TypeSpec& type : kTypes)
    {
        text += Record("BUILD", type.name,
                       {{"ATTRACT_CAT_1", type.category},
                        {"ATTRACT_BASE_INTEN_1", "0.5"},
                        {"GUESTCAPACITY", "6"},
                        {"ATTRACT_PRICE_1", "2.50"},
                        {"ATTRACT_COST_1", "1.00"},
                        {"SERVE_TIME_MIN", "2"},
                        {"SERVE_TIME_MAX", "4"},
                        {"RIDE_MODEL", "NONE"},
                        {"RIDE_ANIM", "NONE"},
                        {"TABLE_MODEL", type.tables ? "table_round" : "NONE"},
                        {"TREE", "NONE"}});
        std::vector<std::pair<std::string, std::string>> grid = {{"WIDTH", "1"},
                                                                 {"HEIGHT", "1"},
                                                                 {"FLAGROW0", "000"},
                                                                 {"FLAGROW1", "IQ0"},
                                                                 {"FLAGROW2", "000"},
                                                                 {"BASEPLATEROW1", "0T0"},
                                                                 {"NUM_INWALKPOINTS", "1"},
                                                                 {"INWALKPOINTX", "16"},
                                                                 {"INWALKPOINTY", "32"},
                                                                 {"NUM_OUTWALKPOINTS", "1"},
                                                                 {"OUTWALKPOINTX", "-16"},
                                                                 {"OUTWALKPOINTY", "32"}};
        if (type.tables)
        {
            for (const auto& field : std::vector<std::pair<std::string, std::string>>{{"NUM_TABLEPOINTS", "2"},
                                                                                      {"TABLEPOINTX", "8"},
                                                                                      {"TABLEPOINTY", "16"},
                                                                                      {"TABLEPOINTX", "24"},
                                                                                      {"TABLEPOINTY", "48"}})
                grid.push_back(field);
        }
        text += Record("MAPGRID", std::string("MAP") + type.name, grid);
    }
    return text;
}

std::string GuestTable()
{
    std::vector<std::pair<std::string, std::string>> fields = {{"GENDER", "F"},          {"MODEL", "visitor_a"},
                                                               {"ANIM_NAME", "VISITOR"}, {"MONEY", "200"},
                                                               {"LITTER", "0.3"},        {"BLADDER", "0.15"}};
    for (const char* desire : {"MEALS", "SNACKS", "REST", "ANIMAL_SHOW", "ANIMAL_ATTRAC", "AMUSE", "RIDE", "RETAIL"})
    {
        fields.push_back({std::string(desire) + "_DESIRE_MIN", "0.5"});
        fields.push_back({std::string(desire) + "_DESIRE_MAX", "2.0"});
    }
    for (const char* desire : {"MEALS", "SNACKS", "ANIMAL_ATTRACT", "ANIMAL_SHOW", "AMUSE", "RIDE", "RETAIL"})
        fields.push_back({std::string(desire) + "_PREF_INTEN", "0.5"});
    for (const char* opinion : {"BEAUTY", "CROWD", "ANIMAL", "PRICE", "VARIETY", "CLEAN"})
    {
        fields.push_back({std::string(opinion) + "_EFFECT_BAD", "0.002"});
        fields.push_back({std::string(opinion) + "_EFFECT_GOOD", "0.01"});
    }
    for (const auto& [field, value] : std::vector<std::pair<std::string, std::string>>{{"BEAUTY_TOL_LOW", "0.1"},
                                                                                       {"BEAUTY_TOL_HIGH", "0.6"},
                                                                                       {"ANIMAL_TOL_LOW", "0.3"},
                                                                                       {"ANIMAL_TOL_HIGH", "0.7"},
                                                                                       {"PRICE_TOL_LOW", "80"},
                                                                                       {"PRICE_TOL_HIGH", "120"},
                                                                                       {"CLEAN_TOL_LOW", "0.5"},
                                                                                       {"CLEAN_TOL_HIGH", "0.9"}})
        fields.push_back({field, value});
    return Record("GUEST", "MAN", fields);
}

std::string SceneryTable()
{
    return Record("SCENERY", "BENCH",
                  {{"ISBENCH", "Yes"}, {"BEAUTY", "0.2"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}}) +
           Record("SCENERY", "Bin", {{"CAPACITY", "10"}, {"CLEAN", "Yes"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}}) +
           Record("SCENERY", "PLANT", {{"BEAUTY", "0.5"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}}) +
           Record("SCENERY", "PALM",
                  {{"BEAUTY", "0.7"}, {"SET_FLAGS", "Yes"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}}) +
           Record("SCENERY", "LAMP", {{"BEAUTY", "0.3"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}}) +
           []
    {
        std::string litter;
        for (int i = 1; i <= 5; ++i)
            litter += Record("SCENERY", "Litter0" + std::to_string(i), {{"ISLITTER", "Yes"}});
        return litter;
    }();
}

// The park: written into a folder of its own, built by the game's World, filled and settled.
struct FullPark
{
    // `realStaff`: the park's own cleaners, mechanics and zookeepers (without their scripts) instead of stand-ins.
    explicit FullPark(int staffCount = kStaff, bool realStaff = false)
    {
        dir = std::filesystem::temp_directory_path() / ("tw-guest-bench-" + std::to_string(getpid()));
        const std::filesystem::path samples = TW_SOURCE_DIR "/sample-data";
        WriteFile(dir / "gameparameters.pis", "'iDAY_LENGTH_IN_SECONDS' 720\r\n");
        std::string grid(kSize * kSize * 4, '\0');
        for (size_t i = 0; i < grid.size(); i += 4)
        {
            grid[i] = 1;
            grid[i + 3] = static_cast<char>(0x80);
        }
        WriteFile(dir / "data/maps/BaycrestGrid.dat", grid);
        for (const char* copied :
             {"data/pathtiles.ble", "data/queuetiles.ble", "data/queuepath.ble", "data/text_uk.ble",
              "data/Scripts/GuestLogic.ble", "data/script/guestnames.ble", "data/script/mrvanimlist.ble"})
        {
            std::filesystem::create_directories((dir / copied).parent_path());
            std::filesystem::copy_file(samples / copied, dir / copied);
        }
        WriteFile(dir / "data/script/mrvbuildings.ble", Scrambled(Tables()));
        WriteFile(dir / "data/script/guestextra.ble", Scrambled(GuestTable()));
        WriteFile(dir / "data/script/mrvscenery.ble", Scrambled(SceneryTable()));
        WriteFile(dir / "w.ble", Scrambled("State STATE_WORLD_STARTUP\n OnEntry\n"
                                           "  LoadScript GuestLogic data/Scripts/GuestLogic.pis ;\n"
                                           "  ChangeState Running ;\n End\nEnd\nState Running\nEnd\n"));
        std::string park = "'WORLD_SCRIPT' \"w.pis\"\r\n'WORLD_GUESTLIST' \"data/script/guestnames.pis\"\r\n"
                           "'WORLD_LEVEL' \"BAYCREST\"\r\n'WORLD_PATHTILEINFO' \"data/pathtiles.dat\"\r\n";
        WriteFile(dir / "park.pis", park);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        ClearObjectKinds();
        RegisterParkLayer();
        if (!realStaff)
            for (uint8_t kind : {OBJECT_MECHANIC, OBJECT_CLEANER, OBJECT_ZOOKEEPER})
                RegisterObjectKind(kind, []() -> BaseObject* { return new Wanderer; });
        parameters = std::make_unique<GameParameters>("gameparameters.pis");
        texts = std::make_unique<TextTable>("data/text_uk.uni");
        platform::SRand(1);
        world = std::make_unique<World>(nullptr, nullptr, "park.pis", false);
        world->SetGameSpeedLevel(2);
        for (int line = 4; line < kSize; line += 8)
        {
            world->LayPath(line, 0, 0, kSize);
            world->LayPath(0, line, 2, kSize);
        }
        // 500 buildings, each served from the footpath column to its west.
        for (int i = 0; i < kBuildings; ++i)
        {
            const int column = i % (kSize / 8), slot = i / (kSize / 8);
            world->RequestBuilding(kTypes[i % std::size(kTypes)].name, 5 + 8 * column, 1 + 4 * slot, 0, -1.0f, 0,
                                   false);
        }
        // Benches and bins along the footpath rows; plants, palms and lamps on the ground between. A cell that a
        // building's ground already takes refuses its item, so the pool is counted rather than the requests.
        int placed = 0;
        for (int y = 4; y < kSize && Count(OBJECT_SCENERY) < 1000; y += 8)
        {
            for (int x = 1; x < kSize && Count(OBJECT_SCENERY) < 1000; x += 2)
            {
                if (IsFootpathLine(x))
                    continue;
                world->RequestScenery(OBJECT_SCENERY, placed % 2 ? "Bin" : "BENCH", x, y, 0);
                ++placed;
            }
        }
        const char* ground[] = {"PLANT", "PALM", "LAMP"};
        for (int pass = 0; pass < 2; ++pass)
        {
            for (int y = 0; y < kSize && Count(OBJECT_SCENERY) < kScenery; ++y)
            {
                for (int x = 0; x < kSize && Count(OBJECT_SCENERY) < kScenery; ++x)
                {
                    if (IsFootpathLine(x) || IsFootpathLine(y) || x % 8 == 5 || x % 8 == 3 || (x + y) % 2 != pass)
                        continue;
                    world->RequestScenery(OBJECT_SCENERY, ground[placed % 3], x, y, 0);
                    ++placed;
                }
            }
        }
        for (int i = 0; i < kGuests; ++i)
        {
            const int line = 4 + 8 * (i % (kSize / 8));
            const platform::Vec3 at = WorldMap::GetCellCentre({line, (i * 37) % kSize});
            world->RequestGuest("MAN", at.x, at.y, 0);
        }
        for (int i = 0; i < staffCount; ++i)
        {
            const uint8_t kind = i % 3 == 0 ? OBJECT_MECHANIC : i % 3 == 1 ? OBJECT_CLEANER : OBJECT_ZOOKEEPER;
            const char* name = !realStaff                ? "STAFF"
                               : kind == OBJECT_MECHANIC ? "MECHANIC"
                               : kind == OBJECT_CLEANER  ? "CLEANER"
                                                         : "ZOOKEEPER";
            BaseObject* staff = g_pObjectManager->CreateObject(name, kind);
            staff->SetType(kind);
            staff->SetWorldPosition(WorldMap::GetCellCentre({4, 4 + i}));
        }
    }
    ~FullPark()
    {
        world.reset();
        texts.reset();
        parameters.reset();
        UnregisterParkLayer();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }

    uint32_t Count(uint8_t kind) const { return g_pObjectManager->CountObjectsOfKind(kind); }
    // A guest of the park, in the pool's first slot.
    GuestObject* FirstGuest() const
    {
        return static_cast<GuestObject*>(g_pObjectManager->GetPoolObject(ObjectManager::POOL_GUEST, 0));
    }

    QuietReports quiet;
    std::filesystem::path dir;
    std::filesystem::path previous;
    std::unique_ptr<GameParameters> parameters;
    std::unique_ptr<TextTable> texts;
    std::unique_ptr<World> world;
};

// The park's staff of every kind.
uint32_t StaffCount()
{
    return g_pObjectManager->CountObjectsOfKind(OBJECT_CLEANER) +
           g_pObjectManager->CountObjectsOfKind(OBJECT_MECHANIC) +
           g_pObjectManager->CountObjectsOfKind(OBJECT_ZOOKEEPER);
}

bool CheckPark(benchmark::State& state, const FullPark& park)
{
    if (park.Count(OBJECT_GUEST) != kGuests || park.Count(OBJECT_BUILDING) != kBuildings ||
        park.Count(OBJECT_SCENERY) < kScenery)
    {
        state.SkipWithError(("the park came out with " + std::to_string(park.Count(OBJECT_GUEST)) + " guests, " +
                             std::to_string(park.Count(OBJECT_BUILDING)) + " buildings and " +
                             std::to_string(park.Count(OBJECT_SCENERY)) + " scenery items")
                                .c_str());
        return false;
    }
    return true;
}

void BM_GuestParkFrame(benchmark::State& state)
{
    FullPark park;
    if (!CheckPark(state, park))
        return;
    // Settle: eight game minutes (sixteen of its hours), the guests spread over the park, queues formed, tables and
    // benches taken, litter dropped up to the park's limit and every container grown to its size.
    for (int i = 0; i < 3600; ++i)
        park.world->Update(kFrame);
    uint64_t frames = 0;
    const uint64_t allocations = CountedAllocations();
    const double start = ThreadMicroseconds();
    for (auto _ : state)
    {
        park.world->Update(kFrame);
        ++frames;
    }
    const double n = static_cast<double>(frames ? frames : 1);
    const double micros = (ThreadMicroseconds() - start) / n;
    const double share = static_cast<double>(CountedAllocations() - allocations) / n;
    state.counters["cpu us/frame"] = micros;
    state.counters["allocations/frame"] = share;
    state.counters["guests"] = park.Count(OBJECT_GUEST);
    state.counters["litter"] = park.Count(OBJECT_LITTER);
    std::string label = "1,500 guests, 500 buildings, 5,000 scenery, 60 staff stand-ins, speed 4";
    if (share > 0.0)
        label += " | FLAG: " + std::to_string(share) + " allocations a frame (target 0)";
    if (micros > kBudgetMicroseconds)
        label += " | FLAG: " + std::to_string(micros) + " processor us a frame (budget 8000)";
    state.SetLabel(label);
}
BENCHMARK(BM_GuestParkFrame)->Unit(benchmark::kMicrosecond)->Iterations(600);

// One guest's SearchDesire in the full park: candidates among the 500 buildings, their scores, the state change
// and the walk ordered to the chosen one (its path searched).
void BM_SearchDesire(benchmark::State& state)
{
    FullPark park;
    if (!CheckPark(state, park))
        return;
    for (int i = 0; i < 300; ++i)
        park.world->Update(kFrame);
    GuestObject* guest = park.FirstGuest();
    int32_t desire = 0;
    for (auto _ : state)
    {
        for (int32_t d = 0; d < GuestObject::DESIRE_COUNT; ++d)
            guest->SetDesire(d, d == desire ? 1.0f : 0.0f);
        desire = (desire + 1) % 7;
        guest->SetCash(100.0f);
        guest->SearchDesire();
    }
    state.counters["candidates"] = guest->GetCandidateCount();
}
BENCHMARK(BM_SearchDesire)->Unit(benchmark::kMicrosecond);

// One guest's FindBench among the park's 500 benches (the seat is given up again after each).
void BM_FindBench(benchmark::State& state)
{
    FullPark park;
    if (!CheckPark(state, park))
        return;
    for (int i = 0; i < 300; ++i)
        park.world->Update(kFrame);
    GuestObject* guest = park.FirstGuest();
    uint64_t found = 0;
    for (auto _ : state)
    {
        const bool seated = guest->FindBench();
        found += seated ? 1 : 0;
        if (seated)
        {
            MessageRecord up;
            up.dwSender = guest->GetID();
            up.dwReciever = guest->GetDestObjectID();
            up.dwType = MT_STATECHANGE;
            up.dwData = STATE_NULL;
            g_pMessageHandler->Send(up);
        }
    }
    state.counters["found"] = static_cast<double>(found);
    state.counters["benches"] = static_cast<double>(Scenery::GetBenches().size());
}
BENCHMARK(BM_FindBench)->Unit(benchmark::kMicrosecond);

// Saving and loading the whole park: 1,500 guests, 500 buildings, 5,000 scenery, 100 real staff and the litter
// of four settled game minutes, saved to a file and loaded into a new World. The load includes building the new
// World's map and tables from the scenario, as a player's load does.
constexpr int kSavedStaff = 100;
constexpr double kSaveBudgetMilliseconds = 200.0;

std::string SavePath(const FullPark& park)
{
    return (park.dir / "bench.sav").string();
}

void LabelSave(benchmark::State& state, const FullPark& park, double millis)
{
    state.counters["cpu ms"] = millis;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(SavePath(park)));
    state.counters["staff"] = StaffCount();
    state.counters["litter"] = park.Count(OBJECT_LITTER);
    std::string label = "1,500 guests, 500 buildings, 5,000 scenery, 100 staff";
    if (millis > kSaveBudgetMilliseconds)
        label += " | FLAG: " + std::to_string(millis) + " ms (target 200)";
    state.SetLabel(label);
}

void BM_SaveFullPark(benchmark::State& state)
{
    FullPark park(kSavedStaff, true);
    if (!CheckPark(state, park))
        return;
    for (int i = 0; i < 1800; ++i)
        park.world->Update(kFrame);
    double total = 0.0;
    uint64_t saves = 0;
    for (auto _ : state)
    {
        const double start = ThreadMicroseconds();
        BinarySerialStream out(true, SavePath(park).c_str());
        const bool saved = park.world->Save(out) && out.Close();
        total += ThreadMicroseconds() - start;
        ++saves;
        if (!saved)
        {
            state.SkipWithError("the park could not be saved");
            return;
        }
    }
    LabelSave(state, park, total / 1000.0 / static_cast<double>(saves ? saves : 1));
}
BENCHMARK(BM_SaveFullPark)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadFullPark(benchmark::State& state)
{
    FullPark park(kSavedStaff, true);
    if (!CheckPark(state, park))
        return;
    for (int i = 0; i < 1800; ++i)
        park.world->Update(kFrame);
    {
        BinarySerialStream out(true, SavePath(park).c_str());
        if (!park.world->Save(out) || !out.Close())
        {
            state.SkipWithError("the park could not be saved");
            return;
        }
    }
    park.world.reset();
    double total = 0.0;
    uint64_t loads = 0;
    for (auto _ : state)
    {
        const double start = ThreadMicroseconds();
        BinarySerialStream in(false, SavePath(park).c_str());
        park.world = World::LoadSaved(nullptr, nullptr, "park.pis", in);
        total += ThreadMicroseconds() - start;
        ++loads;
        if (!park.world)
        {
            state.SkipWithError("the saved park could not be loaded");
            return;
        }
        state.PauseTiming();
        if (park.Count(OBJECT_GUEST) != kGuests || StaffCount() != kSavedStaff)
        {
            state.SkipWithError("the loaded park lost guests or staff");
            return;
        }
        park.world.reset();
        state.ResumeTiming();
    }
    park.world = nullptr;
    state.counters["cpu ms"] = total / 1000.0 / static_cast<double>(loads ? loads : 1);
    std::string label = "1,500 guests, 500 buildings, 5,000 scenery, 100 staff";
    if (state.counters["cpu ms"] > kSaveBudgetMilliseconds)
        label += " | FLAG: over the 200 ms target";
    state.SetLabel(label);
}
BENCHMARK(BM_LoadFullPark)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
