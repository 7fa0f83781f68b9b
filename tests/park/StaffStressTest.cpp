// Staff of the sample parks under a player's stress, every object of its real class: the job's building, the staff
// room or an exhibit's animals sold while a worker heads for it or is inside, a worker dismissed in the middle of a
// job, many more cleaners than litter, a park saved and loaded at each of these moments, and a player doing all of
// it at random for two days. Frame by frame every job on a board has one worker, every worker at a job holds it,
// every piece of litter is on the board, a staff room counts the workers bound for it, and nobody stays stuck.
#include "engine/core/TextTable.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/CleanerObject.h"
#include "park/CleaningManager.h"
#include "park/MechanicObject.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "scripts/ObjectStates.h"
#include "tests/park/SampleParkTest.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/PathTileSet.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace
{

constexpr const char* kSample = "data/Scenario/SamplePark/SamplePark.pis";
// The first scenario's park: the dolphins' lagoon, a staff room and guests.
constexpr const char* kFirst = "data/Scenario/Scenario1/Scenario1.pis";

bool CleanerAtJob(uint32_t state)
{
    return state >= STATE_CLEANER_GO_LITTER && state <= STATE_CLEANER_CLEAN_TOILET;
}

bool RepairerAtJob(uint32_t state)
{
    return state == STATE_MECHANIC_GO_REPAIR || state == STATE_MECHANIC_REPAIR;
}

// Bound for a staff room, or in it: counted among its resting staff.
bool BoundForRoom(uint32_t state)
{
    return state == STATE_STAFF_GO_REST || state == STATE_STAFF_ENTER_ROOM || state == STATE_STAFF_RESTING ||
           state == STATE_STAFF_LEAVE_ROOM;
}

BuildingObject* Only(const char* type)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(type);
    return found.size() == 1 ? dynamic_cast<BuildingObject*>(found[0]) : nullptr;
}

// What went wrong in the park, each kind of fault once with its first case.
using Faults = std::map<std::string, std::string>;

// How long each worker (servers aside) has been in its state with its destination, by game time: a fault when one
// is at a job or on the way to a staff room longer than `limit` game seconds, named by `what`.
class StuckWorkers
{
public:
    void Check(float now, float limit, const char* what, Faults& faults)
    {
        for (BaseObject* object : g_pObjectManager->GetStaffObjects())
        {
            if (object->GetType() == OBJECT_SERVER)
                continue;
            const uint32_t state = object->GetState();
            const uint64_t key = (uint64_t{state} << 32) | static_cast<MovingObject*>(object)->GetDestObjectID();
            auto& [was, since] = m_doing[object->GetID()];
            if (was != key)
            {
                was = key;
                since = now;
            }
            else if ((CleanerAtJob(state) || RepairerAtJob(state) || state == STATE_STAFF_GO_REST) &&
                     now - since > limit)
                faults.emplace(what, StateName(state));
        }
    }

private:
    std::map<uint32_t, std::pair<uint64_t, float>> m_doing;
};

// The boards against the workers and the staff rooms against the workers bound for them, in one frame.
void CheckFrame(Faults& faults)
{
    const CleaningManager* cleaning = GetCleaningManager();
    const RepairManager* boards[] = {GetMechanicsRepair(), GetZooRepair()};
    std::map<uint32_t, int> cleaners, repairers[2], resting;
    for (uint8_t kind : {OBJECT_CLEANER, OBJECT_MECHANIC, OBJECT_ZOOKEEPER})
        for (BaseObject* each : g_pObjectManager->GetObjectsOfKind(kind))
        {
            const uint32_t state = each->GetState();
            const uint32_t job = static_cast<MovingObject*>(each)->GetDestObjectID();
            const std::string who = std::string(StateName(state)) + " of " + std::to_string(each->GetID());
            if (BoundForRoom(state))
                ++resting[job];
            const bool cleanerKind = kind == OBJECT_CLEANER;
            if (!(cleanerKind ? CleanerAtJob(state) : RepairerAtJob(state)))
                continue;
            if (!g_pObjectManager->GetObject(job))
                faults.emplace("a worker at a job whose object has gone", who);
            const int board = kind == OBJECT_MECHANIC ? 0 : 1;
            const bool held = cleanerKind ? cleaning->HoldsRequest(job) && cleaning->GetCleaningState(job) >= 4
                                          : boards[board]->IsAssigned(job);
            if (!held)
                faults.emplace("a worker at a job its board does not hold", who);
            ++(cleanerKind ? cleaners : repairers[board])[job];
        }
    for (const CleaningManager::Job& j : cleaning->GetAssigned())
        if (cleaners[j.CleaningID] != 1)
            faults.emplace("a cleaning job without exactly one cleaner",
                           std::to_string(j.CleaningID) + ": " + std::to_string(cleaners[j.CleaningID]));
    for (int board = 0; board < 2; ++board)
        for (const RepairManager::Job& j : boards[board]->GetAssigned())
            if (repairers[board][j.RepairID] != 1)
                faults.emplace("a repair job without exactly one worker",
                               std::to_string(j.RepairID) + ": " + std::to_string(repairers[board][j.RepairID]));
    for (BaseObject* litter : g_pObjectManager->GetObjectsOfKind(OBJECT_LITTER))
        if (!litter->IsWaitingForDeath() && !cleaning->HoldsRequest(litter->GetID()))
            faults.emplace("litter nobody was asked to sweep", std::to_string(litter->GetID()));
    for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
    {
        const auto* room = static_cast<const BuildingObject*>(object);
        if (room->IsStaffRoom() && room->GetNumRestStaff() != static_cast<uint32_t>(resting[room->GetID()]))
            faults.emplace("a staff room counting other than the workers bound for it",
                           std::to_string(room->GetNumRestStaff()) + " counted, " +
                               std::to_string(resting[room->GetID()]) + " bound");
    }
}

// The footpath cells no building stands on.
std::vector<GridPos> OpenFootpaths()
{
    std::vector<GridPos> paths;
    for (uint32_t i = 0; i < g_pWorldMap->GetCellCount(); ++i)
    {
        const GridPos cell = g_pWorldMap->CellAt(i).GetPos();
        const uint32_t flags = g_pWorldMap->GetFlags(cell);
        if ((flags & CELL_FOOTPATH) && !(flags & CELL_BUILDING))
            paths.push_back(cell);
    }
    return paths;
}

void DropLitter(const GridPos& cell)
{
    LitterCreationRequest litter;
    std::snprintf(litter.szKeyword, sizeof litter.szKeyword, "Litter01");
    litter.iGridX = cell.x;
    litter.iGridY = cell.y;
    g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_LITTER), &litter);
}

void DirtyTheToilet()
{
    BuildingObject* toilet = Only("RESTSMALL");
    const uint32_t guest = g_pObjectManager->GetIdsOfKind(OBJECT_GUEST).at(0);
    for (int i = 0; i < 13; ++i)
        g_pMessageHandler->Send({guest, toilet->GetID(), MT_REQUEST_COMMOD});
}

void BreakTheDiner(World& world)
{
    world.RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    Only("DINER")->BreakDownByWear();
}

void TireTheCleaners(World&)
{
    for (BaseObject* cleaner : g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER))
        static_cast<StaffObject*>(cleaner)->SetEnergy(0.01f);
}

// A zookeeper hired, and called to the lagoon as the player calls one.
void CallTheZookeeper(World& world)
{
    world.RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    BuildingObject* lagoon = Only("LAGOON");
    GetZooRepair()->RequestUrgentRepair(lagoon->GetID(), RepairManager::REPAIR_ZOO_VISIT);
    lagoon->NoteZookeeperCalled();
}

void SellTheAnimals(StaffObject& worker)
{
    auto* building = dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(worker.GetDestObjectID()));
    ASSERT_NE(building, nullptr) << worker.GetDestObjectID();
    ASSERT_GT(building->GetAnimalCount(), 0);
    const std::vector<uint32_t> animals(building->AnimalIds().begin(), building->AnimalIds().end());
    for (uint32_t id : animals)
        if (auto* animal = dynamic_cast<AnimalObject*>(g_pObjectManager->GetObject(id)))
            animal->Sell();
}

void SellTheJob(StaffObject& worker)
{
    auto* building = dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(worker.GetDestObjectID()));
    ASSERT_NE(building, nullptr) << worker.GetDestObjectID();
    building->Sell();
}

void Dismiss(StaffObject& worker)
{
    worker.Dismiss();
}

// A moment of a worker's day and what the player does to it then.
struct Moment
{
    const char* name;
    const char* scenario;
    uint8_t kind;
    std::function<void(World&)> prepare;
    uint32_t state;
    std::function<void(StaffObject&)> act;
};

const Moment kMoments[] = {
    {"the toilet sold while a cleaner walks to it", kSample, OBJECT_CLEANER, [](World&) { DirtyTheToilet(); },
     STATE_CLEANER_GO_TOILET, SellTheJob},
    {"the toilet sold while a cleaner cleans it", kSample, OBJECT_CLEANER, [](World&) { DirtyTheToilet(); },
     STATE_CLEANER_CLEAN_TOILET, SellTheJob},
    {"a cleaner dismissed while it cleans the toilet", kSample, OBJECT_CLEANER, [](World&) { DirtyTheToilet(); },
     STATE_CLEANER_CLEAN_TOILET, Dismiss},
    {"the staff room sold while a tired cleaner walks to it", kSample, OBJECT_CLEANER, TireTheCleaners,
     STATE_STAFF_GO_REST, SellTheJob},
    {"the staff room sold while a cleaner rests in it", kSample, OBJECT_CLEANER, TireTheCleaners, STATE_STAFF_RESTING,
     SellTheJob},
    {"a resting cleaner dismissed", kSample, OBJECT_CLEANER, TireTheCleaners, STATE_STAFF_RESTING, Dismiss},
    {"the diner sold while a mechanic walks to repair it", kSample, OBJECT_MECHANIC, BreakTheDiner,
     STATE_MECHANIC_GO_REPAIR, SellTheJob},
    {"the diner sold while a mechanic repairs it", kSample, OBJECT_MECHANIC, BreakTheDiner, STATE_MECHANIC_REPAIR,
     SellTheJob},
    {"a mechanic dismissed while it repairs", kSample, OBJECT_MECHANIC, BreakTheDiner, STATE_MECHANIC_REPAIR, Dismiss},
    {"the lagoon sold while a zookeeper walks to it", kFirst, OBJECT_ZOOKEEPER, CallTheZookeeper,
     STATE_MECHANIC_GO_REPAIR, SellTheJob},
    {"the lagoon sold while a zookeeper visits it", kFirst, OBJECT_ZOOKEEPER, CallTheZookeeper, STATE_MECHANIC_REPAIR,
     SellTheJob},
    {"the lagoon's dolphins sold while a zookeeper visits them", kFirst, OBJECT_ZOOKEEPER, CallTheZookeeper,
     STATE_MECHANIC_REPAIR, SellTheAnimals},
    {"a zookeeper dismissed while it visits", kFirst, OBJECT_ZOOKEEPER, CallTheZookeeper, STATE_MECHANIC_REPAIR,
     Dismiss},
};

class StaffUnderStress : public SampleParkTest
{
protected:
    // Frames of a thirtieth of a second, each checked, until the test holds or the game time runs out.
    template <typename Test> bool Run(World& world, Test test, float seconds)
    {
        const float end = world.GetGameTime() + seconds;
        for (int frame = 0; frame < 30 * 60 * 60 && world.GetGameTime() < end; ++frame)
        {
            if (test())
                return true;
            // A park whose scenario has ended (or that waits for its first move) plays on.
            if (world.IsPaused())
                world.SetPaused(false);
            world.Update(1.0f / 30.0f);
            CheckFrame(faults);
        }
        return test();
    }
    static float Hour(const World& world) { return static_cast<float>(world.GetDayLength()) / 24.0f; }

    testsupport::RecordingReportSink reports;
    TextTable texts{"data/text_uk.uni"};
    Faults faults;
};

class StaffStress : public StaffUnderStress, public ::testing::WithParamInterface<std::tuple<int, int>>
{
};

TEST_P(StaffStress, NoJobIsLostOrDoubledAndNobodyStaysStuck)
{
    const Moment& moment = kMoments[std::get<0>(GetParam())];
    // 0: played through; 1: saved and loaded at the moment, before the player acts; 2: just after.
    const int reload = std::get<1>(GetParam());
    const char* const when[] = {"", ", saved and loaded then", ", saved and loaded just after"};
    SCOPED_TRACE(std::string(moment.name) + when[reload]);
    auto world = std::make_unique<World>(nullptr, nullptr, moment.scenario, false);
    ASSERT_TRUE(world->IsBuilt());
    const auto saveAndLoad = [&]
    {
        const std::vector<uint8_t> saved = Save(*world);
        world.reset();
        world = Load(saved, moment.scenario);
    };
    world->SetGameSpeedLevel(2);
    Run(
        *world, [] { return false; }, 2.0f);
    moment.prepare(*world);
    StaffObject* worker = nullptr;
    const bool reached = Run(
        *world,
        [&]
        {
            for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(moment.kind))
                if (object->GetState() == moment.state)
                    worker = static_cast<StaffObject*>(object);
            return worker != nullptr;
        },
        12.0f * Hour(*world));
    ASSERT_TRUE(reached) << "never came about: " << g_pObjectManager->CountObjectsOfKind(moment.kind)
                         << " of the kind, " << world->GetGameTime() << " s, "
                         << (g_pObjectManager->GetObjectsOfKind(moment.kind).empty()
                                 ? "-"
                                 : StateName(g_pObjectManager->GetObjectsOfKind(moment.kind)[0]->GetState()))
                         << " pending " << GetZooRepair()->GetPending().size() << " assigned "
                         << GetZooRepair()->GetAssigned().size();
    const uint32_t id = worker->GetID();
    if (reload == 1)
    {
        saveAndLoad();
        ASSERT_NE(world, nullptr);
        worker = dynamic_cast<StaffObject*>(g_pObjectManager->GetObject(id));
        ASSERT_NE(worker, nullptr);
        ASSERT_EQ(worker->GetState(), moment.state);
    }
    const uint32_t target = worker->GetDestObjectID();
    moment.act(*worker);
    if (reload == 2)
    {
        world->Update(1.0f / 30.0f);
        saveAndLoad();
        ASSERT_NE(world, nullptr);
    }
    // Whatever it was, the target building comes down or stays, the worker (unless it left) gets on with its day:
    // no one stands at one job, or on the way to one staff room, for two game hours.
    StuckWorkers stuck;
    Run(
        *world,
        [&]
        {
            const float now = world->GetGameTime();
            stuck.Check(now, 2.0f * Hour(*world), "a worker two game hours in one state", faults);
            return false;
        },
        6.0f * Hour(*world));
    if (auto* building = dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(target)))
    {
        EXPECT_FALSE(building->IsBeingDemolished()) << "a sold building still standing: " << building->GetName();
    }
    for (const auto& [what, detail] : faults)
        ADD_FAILURE() << what << " (" << detail << ")";
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

INSTANTIATE_TEST_SUITE_P(Moments, StaffStress,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kMoments))),
                                            ::testing::Range(0, 3)));

// Many more cleaners than litter, and litter with no cleaner until they are hired: each piece has one cleaner at a
// time and all of it is swept.
TEST_F(StaffUnderStress, ManyCleanersShareFewPiecesAndManyPiecesWaitForTheirCleaners)
{
    auto world = std::make_unique<World>(nullptr, nullptr, kSample, false);
    ASSERT_TRUE(world->IsBuilt());
    world->SetGameSpeedLevel(2);
    for (BaseObject* cleaner : g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER))
        cleaner->SetWaitingForDeath(true);
    Run(
        *world, [] { return false; }, 2.0f);
    ASSERT_EQ(g_pObjectManager->CountObjectsOfKind(OBJECT_CLEANER), 0u);
    // Pieces along the footpaths with nobody to sweep them, then saved and loaded.
    const std::vector<GridPos> paths = OpenFootpaths();
    ASSERT_GE(paths.size(), 40u);
    for (size_t i = 0; i < 40; ++i)
        DropLitter(paths[i * paths.size() / 40]);
    Run(
        *world, [] { return false; }, 5.0f);
    world = Load(Save(*world), kSample);
    ASSERT_NE(world, nullptr);
    for (int i = 0; i < 16; ++i)
        world->RequestStaff(OBJECT_CLEANER, "CLEANER");
    const bool swept = Run(
        *world, [] { return g_pObjectManager->CountObjectsOfKind(OBJECT_LITTER) == 0; }, 12.0f * Hour(*world));
    EXPECT_TRUE(swept) << g_pObjectManager->CountObjectsOfKind(OBJECT_LITTER) << " pieces left";
    EXPECT_TRUE(GetCleaningManager()->GetAssigned().empty());
    for (const auto& [what, detail] : faults)
        ADD_FAILURE() << what << " (" << detail << ")";
}

} // namespace

namespace
{

// A player at work on the first scenario's park, or the sample park with its guests, for two days: hiring and
// dismissing staff, selling buildings, calling cleaners, mechanics and zookeepers, breaking, closing and opening
// buildings, dropping litter (some on footpaths then taken up), tiring workers and saving and loading, at random
// moments. Every job keeps one worker, no worker stays at one job for three game hours, and every sold building comes
// down.
class PlayerAtWork : public StaffUnderStress, public ::testing::WithParamInterface<std::tuple<const char*, int>>
{
};

TEST_P(PlayerAtWork, LosesNoJobAndStrandsNobody)
{
    const char* const scenario = std::get<0>(GetParam());
    std::mt19937 pick(static_cast<uint32_t>(std::get<1>(GetParam())));
    const auto any = [&](const auto& list) { return list[pick() % list.size()]; };
    auto world = std::make_unique<World>(nullptr, nullptr, scenario, false);
    ASSERT_TRUE(world->IsBuilt());
    // The first scenario's park gets food, a toilet and rides by its paths; the sample park has its diner and
    // toilet.
    if (scenario == kFirst)
    {
        world->RequestBuilding("CAFE", 60, 30, 0, -1.0f, 0, false);
        world->RequestBuilding("RESTSMALL", 65, 28, 0, -1.0f, 0, false);
        world->RequestBuilding("ICEKIOSK", 70, 33, 0, -1.0f, 0, false);
        world->RequestBuilding("SWANBOATS", 58, 33, 0, -1.0f, 0, false);
    }
    world->SetGameSpeedLevel(2);
    for (int i = 0; i < 3; ++i)
    {
        world->RequestStaff(OBJECT_CLEANER, "CLEANER");
        world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    }
    world->RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    const std::vector<GridPos> paths = OpenFootpaths();
    ASSERT_FALSE(paths.empty());
    std::map<uint32_t, float> sold;
    StuckWorkers stuck;
    std::vector<std::string> done;
    const float hour = Hour(*world);
    float nextMove = 0.0f;
    float nextSave = 6.0f * hour;
    while (world->GetGameDay() < 2)
    {
        const float now = world->GetGameTime();
        if (now >= nextSave)
        {
            nextSave = now + 6.0f * hour;
            done.push_back("saved and loaded");
            world = Load(Save(*world), scenario);
            ASSERT_NE(world, nullptr);
            continue;
        }
        if (now >= nextMove)
        {
            nextMove = now + 2.0f + static_cast<float>(pick() % 8);
            std::vector<BuildingObject*> buildings;
            for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
            {
                auto* building = static_cast<BuildingObject*>(object);
                if (!building->IsBeingDemolished() && std::string(building->GetName()) != "ENTRANCE")
                    buildings.push_back(building);
            }
            std::vector<StaffObject*> staff;
            for (BaseObject* object : g_pObjectManager->GetStaffObjects())
                if (object->GetType() != OBJECT_SERVER && !static_cast<StaffObject*>(object)->IsSacked())
                    staff.push_back(static_cast<StaffObject*>(object));
            const uint8_t kinds[] = {OBJECT_CLEANER, OBJECT_MECHANIC, OBJECT_ZOOKEEPER};
            const char* const types[] = {"CLEANER", "MECHANIC", "ZOOKEEPER"};
            switch (pick() % 12)
            {
            case 0:
            {
                const uint32_t k = pick() % 3;
                if (staff.size() < 12)
                    world->RequestStaff(kinds[k], types[k]);
                done.push_back(std::string("hired a ") + types[k]);
                break;
            }
            case 1:
                if (staff.size() > 2)
                {
                    StaffObject* worker = any(staff);
                    done.push_back(std::string("dismissed a worker in ") + StateName(worker->GetState()));
                    worker->Dismiss();
                }
                break;
            case 2:
                if (!buildings.empty() && sold.size() < 3)
                {
                    BuildingObject* building = any(buildings);
                    done.push_back(std::string("sold ") + building->GetName());
                    sold.emplace(building->GetID(), now);
                    building->Sell();
                }
                break;
            case 3:
                if (!buildings.empty())
                {
                    BuildingObject* building = any(buildings);
                    GetCleaningManager()->RequestUrgentCleaning(building->GetID());
                    building->SetCleanerCalledByPlayer(true);
                    done.push_back(std::string("called a cleaner to ") + building->GetName());
                }
                break;
            case 4:
                if (!buildings.empty())
                {
                    BuildingObject* building = any(buildings);
                    GetMechanicsRepair()->RequestUrgentRepair(building->GetID(), RepairManager::REPAIR_BREAKDOWN);
                    building->SetMechanicCalledByPlayer(true);
                    done.push_back(std::string("called a mechanic to ") + building->GetName());
                }
                break;
            case 5:
                if (BuildingObject* lagoon = Only("LAGOON"); lagoon && !lagoon->IsBeingDemolished())
                {
                    GetZooRepair()->RequestUrgentRepair(lagoon->GetID(), RepairManager::REPAIR_ZOO_VISIT);
                    lagoon->NoteZookeeperCalled();
                    done.push_back("called a zookeeper to the lagoon");
                }
                break;
            case 6:
                if (!buildings.empty())
                {
                    BuildingObject* building = any(buildings);
                    building->BreakDownByWear();
                    done.push_back(std::string("broke ") + building->GetName());
                }
                break;
            case 7:
                if (!buildings.empty())
                {
                    BuildingObject* building = any(buildings);
                    if (building->IsOpen())
                        building->Close();
                    else
                        building->Open();
                    done.push_back(std::string("closed or opened ") + building->GetName());
                }
                break;
            case 8:
                for (int i = 0; i < 5; ++i)
                    DropLitter(any(paths));
                done.push_back("dropped litter");
                break;
            case 9:
                if (!staff.empty())
                {
                    any(staff)->SetEnergy(0.01f);
                    done.push_back("tired a worker");
                }
                break;
            case 10:
            {
                // A footpath taken up under a piece of litter.
                const GridPos cell = any(paths);
                DropLitter(cell);
                if (g_pPathTileSet)
                    g_pPathTileSet->RemovePathTile(cell);
                done.push_back("took up a footpath under litter");
                break;
            }
            default:
                break;
            }
        }
        if (world->IsPaused())
            world->SetPaused(false);
        const int day = world->GetGameDay();
        world->Update(1.0f / 30.0f);
        ASSERT_GE(world->GetGameDay(), day);
        CheckFrame(faults);
        const float after = world->GetGameTime();
        stuck.Check(after, 3.0f * hour, "a worker three game hours in one state", faults);
        for (auto it = sold.begin(); it != sold.end();)
        {
            if (!g_pObjectManager->GetObject(it->first))
                it = sold.erase(it);
            else if (after - it->second > 8.0f * hour)
            {
                faults.emplace("a sold building standing eight game hours on",
                               g_pObjectManager->GetObject(it->first)->GetName());
                ++it;
            }
            else
                ++it;
        }
    }
    std::string moves;
    for (const std::string& move : done)
        moves += move + "; ";
    for (const auto& [what, detail] : faults)
        ADD_FAILURE() << what << " (" << detail << ")\nthe player " << moves;
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlayerAtWork,
                         ::testing::Combine(::testing::Values(kFirst, kSample), ::testing::Range(1, 4)));

} // namespace
