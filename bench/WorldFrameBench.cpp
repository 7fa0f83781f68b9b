// Benchmarks of one World frame in a full park (1,500 guests, 500 buildings, 490 litter, 100 staff, 2,000 scenery;
// objects that do the cheap part of their work) at game speeds 1 and 4: the whole frame and each of its phases, and
// the frames that carry the park's own traffic: midnight, the rating and averages, and 100 removals.
#include "bench/BenchSupport.h"
#include "engine/core/GameParameters.h"
#include "scripts/ObjectStates.h"
#include "world/BaseObject.h"
#include "world/GuestArrivals.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/ParkServices.h"
#include "world/StaticObject.h"
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

// An object that moves a little each update and counts its messages.
class Busy : public StaticObject
{
public:
    Busy() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Update() override
    {
        m_fPhase += 0.01f;
        if (m_fPhase > 1.0f)
            m_fPhase -= 1.0f;
        return StaticObject::Update();
    }
    bool Message(const MessageRecord& record) override
    {
        received += record.dwType;
        return true;
    }
    float m_fPhase = 0.0f;
    uint64_t received = 0;
};

// A park layer whose guests answer the rating and averages with figures of their own (no managers).
class BenchParkServices : public ParkServices
{
public:
    BenchParkServices() { SetParkServices(this); }
    ~BenchParkServices() override { SetParkServices(nullptr); }
    ParkManagers CreateManagers() override { return {}; }
    GuestFigures GetGuestFigures(BaseObject& guest) override
    {
        GuestFigures f;
        f.happiness = static_cast<float>(guest.GetID() % 100) / 100.0f;
        f.price = f.queue = f.beauty = f.cleanliness = f.variety = f.welfare = 0.5f;
        f.visitedAnimals = guest.GetID() % 3 == 0;
        return f;
    }
    float GetShowRating(BaseObject&) override { return 0.5f; }
    bool IsBuildingOpen(BaseObject&) override { return true; }
    bool SetUpCreated(BaseObject&, uint8_t, const void*) override { return true; }
};

// The World with its frame's phases reachable one by one.
class PhasedWorld : public World
{
public:
    using World::NewDayAndHour;
    using World::RemoveFlaggedObjects;
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

// A scenario folder and the park built from it, filled with the benchmark's objects.
struct FullPark
{
    explicit FullPark(int speedLevel)
    {
        dir = std::filesystem::temp_directory_path() / ("tw-frame-bench-" + std::to_string(getpid()));
        WriteFile(dir / "gameparameters.pis", "'iDAY_LENGTH_IN_SECONDS' 240\r\n");
        std::string grid(128 * 128 * 4, '\0');
        for (size_t i = 0; i < grid.size(); i += 4)
        {
            grid[i] = 1;
            grid[i + 3] = static_cast<char>(0x80);
        }
        WriteFile(dir / "data/maps/BaycrestGrid.dat", grid);
        for (const char* table : {"data/pathtiles.ble", "data/queuetiles.ble", "data/queuepath.ble"})
            WriteFile(dir / table, Scrambled("0 0 0 0 0 0 0 0 1\n"));
        WriteFile(dir / "data/script/guestextra.ble", Scrambled("\"GUEST_MAN\"\n\"GUEST_WOMAN\"\n"));
        WriteFile(dir / "park.pis", "'WORLD_SCRIPT' \"w.pis\"\r\n'WORLD_GUESTLIST' \"g.pis\"\r\n'WORLD_LEVEL' "
                                    "\"BAYCREST\"\r\n'WORLD_PATHTILEINFO' \"data/pathtiles.dat\"\r\n");
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
            RegisterObjectKind(kind, []() -> BaseObject* { return new Busy; });
        parameters = std::make_unique<GameParameters>("gameparameters.pis");
        world = std::make_unique<PhasedWorld>(nullptr, nullptr, "park.pis", false);
        auto make = [](uint8_t kind, uint32_t n, const char* name)
        {
            for (uint32_t i = 0; i < n; ++i)
                g_pObjectManager->CreateObject(name, kind)->SetType(kind);
        };
        make(OBJECT_BUILDING, 497, "KIOSK");
        make(OBJECT_BUILDING, 1, "KAIKOADV");
        make(OBJECT_BUILDING, 1, "AQUAGALA");
        make(OBJECT_BUILDING, 1, "ENTRANCE");
        make(OBJECT_GUEST, 1500, "MAN");
        make(OBJECT_LITTER, 490, "LITTER");
        make(OBJECT_SCENERY, 2000, "BENCH");
        make(OBJECT_MECHANIC, 30, "MECHANIC");
        make(OBJECT_CLEANER, 30, "CLEANER");
        make(OBJECT_ZOOKEEPER, 20, "ZOOKEEPER");
        make(OBJECT_SERVER, 20, "SERVE1");
        world->m_NumGuests = 1500;
        world->SetGameSpeedLevel(speedLevel);
    }
    ~FullPark()
    {
        world.reset();
        parameters.reset();
        ClearObjectKinds();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }
    // Flags two litter objects for removal and makes two new ones, as a park with cleaners does.
    void Churn()
    {
        for (uint32_t i = 0; i < 2; ++i)
            g_pObjectManager->GetPoolObject(ObjectManager::POOL_LITTER, i)->SetWaitingForDeath(true);
    }
    void Refill()
    {
        while (g_pObjectManager->GetPoolCount(ObjectManager::POOL_LITTER) < 490)
            g_pObjectManager->CreateObject("LITTER", OBJECT_LITTER)->SetType(OBJECT_LITTER);
        while (g_pObjectManager->GetPoolCount(ObjectManager::POOL_GUEST) < 1500)
            g_pObjectManager->CreateObject("MAN", OBJECT_GUEST)->SetType(OBJECT_GUEST);
        world->m_NumGuests = 1500;
    }

    QuietReports quiet;
    BenchParkServices services;
    std::filesystem::path dir;
    std::filesystem::path previous;
    std::unique_ptr<GameParameters> parameters;
    std::unique_ptr<PhasedWorld> world;
};

constexpr float kFrame = 1.0f / 60.0f;

enum Phase
{
    PHASE_WHOLE_FRAME,
    PHASE_WORLD_SHARE,
    PHASE_CLOCK,
    PHASE_ARRIVALS,
    PHASE_OBJECTS,
    PHASE_NEW_DAY_AND_HOUR,
    PHASE_MESSAGES,
    PHASE_REMOVAL,
};

const char* const kPhaseNames[] = {"whole frame", "world share", "clock",    "arrivals",
                                   "objects",     "day/hour",    "messages", "removal"};

// A frame or one phase of it, with speed level 0 (x1) or 2 (x4).
void BM_WorldFrame(benchmark::State& state)
{
    const auto phase = static_cast<Phase>(state.range(1));
    FullPark park(static_cast<int>(state.range(0)));
    PhasedWorld& world = *park.world;
    for (auto _ : state)
    {
        state.PauseTiming();
        park.Refill();
        park.Churn();
        state.ResumeTiming();
        switch (phase)
        {
        case PHASE_WHOLE_FRAME:
            world.Update(kFrame);
            break;
        case PHASE_WORLD_SHARE:
            // Everything but the objects' own updates.
            world.AdvanceClock(kFrame);
            world.GetGuestArrivals()->Update(world.GetGameDeltaTime());
            world.NewDayAndHour();
            g_pMessageHandler->Update();
            world.RemoveFlaggedObjects();
            break;
        case PHASE_CLOCK:
            world.AdvanceClock(kFrame);
            break;
        case PHASE_ARRIVALS:
            world.AdvanceClock(kFrame);
            world.GetGuestArrivals()->Update(world.GetGameDeltaTime());
            break;
        case PHASE_OBJECTS:
            world.UpdateObjects();
            break;
        case PHASE_NEW_DAY_AND_HOUR:
            world.AdvanceClock(kFrame);
            world.NewDayAndHour();
            break;
        case PHASE_MESSAGES:
            world.AdvanceClock(kFrame);
            g_pMessageHandler->Update();
            break;
        case PHASE_REMOVAL:
            world.RemoveFlaggedObjects();
            break;
        }
    }
    state.SetLabel(std::string(kPhaseNames[phase]) + (state.range(0) == 2 ? ", speed 4" : ", speed 1"));
}
BENCHMARK(BM_WorldFrame)
    ->ArgsProduct({{0, 2},
                   {PHASE_WHOLE_FRAME, PHASE_WORLD_SHARE, PHASE_CLOCK, PHASE_ARRIVALS, PHASE_OBJECTS,
                    PHASE_NEW_DAY_AND_HOUR, PHASE_MESSAGES, PHASE_REMOVAL}})
    ->Unit(benchmark::kMicrosecond);

enum Event
{
    EVENT_MIDNIGHT,
    EVENT_RATING,
    EVENT_REMOVALS,
};

const char* const kEventNames[] = {"midnight", "rating and averages due", "100 removals"};

// A whole frame (speed 1) that carries one of the park's own events: it crosses midnight (the new day to every
// building, guest, staff member and animal, the new hour, the day's accounts), or the rating and the guest
// averages fall due in it, or 100 objects (50 guests, 50 litter) were flagged for removal.
void BM_WorldFrameEvent(benchmark::State& state)
{
    const auto event = static_cast<Event>(state.range(0));
    FullPark park(0);
    PhasedWorld& world = *park.world;
    const double day = world.GetDayLength();
    for (auto _ : state)
    {
        state.PauseTiming();
        park.Refill();
        switch (event)
        {
        case EVENT_MIDNIGHT:
            world.SetGameTime((world.GetGameDay() + 1) * day - kFrame / 2.0);
            break;
        case EVENT_RATING:
        {
            double due = world.GetGameTimeExact() + 10.0;
            for (const MessageRecord& record : g_pMessageHandler->GetPendingMessages())
                due = record.dwType == MT_UPDATERATING && record.fTime < due ? record.fTime : due;
            world.SetGameTime(due - kFrame / 2.0);
            break;
        }
        case EVENT_REMOVALS:
            for (uint32_t i = 0; i < 50; ++i)
            {
                g_pObjectManager->GetPoolObject(ObjectManager::POOL_GUEST, i * 30)->SetWaitingForDeath(true);
                g_pObjectManager->GetPoolObject(ObjectManager::POOL_LITTER, i * 9)->SetWaitingForDeath(true);
            }
            break;
        }
        state.ResumeTiming();
        world.Update(kFrame);
    }
    state.SetLabel(kEventNames[event]);
}
BENCHMARK(BM_WorldFrameEvent)
    ->Arg(EVENT_MIDNIGHT)
    ->Arg(EVENT_RATING)
    ->Arg(EVENT_REMOVALS)
    ->Unit(benchmark::kMicrosecond);

} // namespace
