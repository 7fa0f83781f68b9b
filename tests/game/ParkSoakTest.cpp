// Long play of every sample scenario at the fastest speed while a player builds shops and paths, hires, moves and
// dismisses staff, sells buildings, funds research and sends rescues: after each game day the park's counts match
// its objects, every object stands on the map, the queues and job boards name only live objects, the day's cash
// change is what the day's accounts book, and a save loaded on some day runs that day on alike.
#include "game/ToolRules.h"
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/GuestObject.h"
#include "park/ParkManagers.h"
#include "park/QueueComponent.h"
#include "park/RepairManager.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "park/StaffObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/park/SampleParkTest.h"
#include "tests/world/SaveBytes.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{

constexpr uint8_t kAllKinds[] = {OBJECT_SCENERY,  OBJECT_BUILDING, OBJECT_GUEST,     OBJECT_TABLE,  OBJECT_SERVER,
                                 OBJECT_MECHANIC, OBJECT_CLEANER,  OBJECT_ZOOKEEPER, OBJECT_ANIMAL, OBJECT_LITTER};

int Pick(int count)
{
    return count > 0 ? platform::Rand() % count : 0;
}

bool Live(uint32_t id, uint8_t kind)
{
    const BaseObject* object = g_pObjectManager->GetObject(id);
    return object && object->GetType() == kind;
}

std::vector<std::string> Items(const World& world)
{
    savebytes::ItemLines lines;
    world.Dump(lines);
    return lines.lines;
}

// Every broken invariant of the park as it stands, one line each.
std::vector<std::string> Check(const World& world)
{
    std::vector<std::string> faults;
    const auto fault = [&](const std::string& text) { faults.push_back(text); };
    const uint32_t guests = g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST);
    const uint32_t buildings = g_pObjectManager->CountObjectsOfKind(OBJECT_BUILDING);
    if (world.m_NumGuests != static_cast<int32_t>(guests))
        fault("guest count " + std::to_string(world.m_NumGuests) + " but " + std::to_string(guests) + " guests");
    if (world.m_NumBuildings != static_cast<int32_t>(buildings))
        fault("building count " + std::to_string(world.m_NumBuildings) + " but " + std::to_string(buildings) +
              " buildings");
    const WorldMap& map = *world.GetWorldMap();
    for (uint8_t kind : kAllKinds)
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(kind))
        {
            const platform::Vec3& at = object->GetWorldPosition();
            if (!std::isfinite(at.x) || !std::isfinite(at.y) || !std::isfinite(at.z) || at.x < 0.0f || at.y < 0.0f ||
                at.x > map.GetExtentX() || at.y > map.GetExtentY())
                fault("kind " + std::to_string(kind) + " " + object->GetName() + " at " + std::to_string(at.x) + "," +
                      std::to_string(at.y) + "," + std::to_string(at.z) + " in state " + StateName(object->GetState()));
        }
    for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
    {
        auto* building = static_cast<BuildingObject*>(object);
        if (const QueueComponent* queue = building->GetQueue())
            for (uint32_t id : queue->GetGuests())
                if (!Live(id, OBJECT_GUEST))
                    fault(std::string(building->GetName()) + " queue holds " + std::to_string(id));
        for (uint32_t id : building->GetGuestList())
            if (!Live(id, OBJECT_GUEST))
                fault(std::string(building->GetName()) + " guest list holds " + std::to_string(id));
    }
    if (const CleaningManager* cleaning = GetCleaningManager())
    {
        for (const auto& request : cleaning->GetPending())
            if (!g_pObjectManager->GetObject(request.CleaningID))
                fault("cleaning request for gone " + std::to_string(request.CleaningID));
        for (const auto& job : cleaning->GetAssigned())
            if (!g_pObjectManager->GetObject(job.CleaningID))
                fault("cleaning job for gone " + std::to_string(job.CleaningID));
    }
    for (const RepairManager* repair : {GetMechanicsRepair(), GetZooRepair()})
        if (repair)
        {
            for (const auto& request : repair->GetPending())
                if (!g_pObjectManager->GetObject(request.RepairID))
                    fault("repair request for gone " + std::to_string(request.RepairID));
            for (const auto& job : repair->GetAssigned())
                if (!g_pObjectManager->GetObject(job.RepairID))
                    fault("repair job for gone " + std::to_string(job.RepairID));
        }
    if (!std::isfinite(world.GetPlayer()->Cash))
        fault("cash is no number");
    return faults;
}

// The player's hand: each call does one thing a player may do, through the calls the tools make.
class ParkPlayer
{
public:
    explicit ParkPlayer(World& world) : m_World(&world) {}
    void SetWorld(World& world) { m_World = &world; }

    bool researchOn = false;
    bool rescueSent = false;

    void Act()
    {
        const int what = Pick(10);
        if (std::getenv("TW_SOAK_TRACE"))
        {
            std::printf("  act %d\n", what);
            std::fflush(stdout);
        }
        switch (what)
        {
        case 0:
        case 1:
            Build();
            break;
        case 2:
        case 3:
            LayPath();
            break;
        case 4:
            Hire();
            break;
        case 5:
            Dismiss();
            break;
        case 6:
            Move();
            break;
        case 7:
            SellBuilding();
            break;
        case 8:
            BreakDown();
            break;
        default:
            Research();
            break;
        }
    }

private:
    void Charge(float amount, bool construction)
    {
        m_World->GetPlayer()->Cash -= amount;
        m_World->m_fCostsToday += amount;
        (construction ? m_World->m_fConstructCostToday : m_World->m_fSceneryCostToday) += amount;
    }
    std::vector<GridPos> PathCells() const
    {
        std::vector<GridPos> cells;
        const WorldMap& map = *m_World->GetWorldMap();
        for (int32_t y = 0; y < map.GetHeight(); ++y)
            for (int32_t x = 0; x < map.GetWidth(); ++x)
                if (map.GetFlags({x, y}) & CELL_FOOTPATH)
                    cells.push_back({x, y});
        return cells;
    }
    void Build()
    {
        WorldParams& params = *m_World->GetWorldParams();
        std::vector<int32_t> types;
        for (uint32_t id = 0; id < params.GetBuildingCount(); ++id)
        {
            const BuildingInfo& info = params.GetBuildingInfo(static_cast<int32_t>(id));
            if (info.bUserBuild && info.pMapGrid && m_World->CanBuildType(static_cast<int32_t>(id)) &&
                !m_World->IsBuildTypeAtLimit(static_cast<int32_t>(id)))
                types.push_back(static_cast<int32_t>(id));
        }
        const std::vector<GridPos> paths = PathCells();
        if (types.empty() || paths.empty())
            return;
        const BuildingInfo& info = params.GetBuildingInfo(types[static_cast<size_t>(Pick(int(types.size())))]);
        const toolrules::MapCellSource cells(*m_World->GetWorldMap());
        for (int tries = 0; tries < 300; ++tries)
        {
            const GridPos near = paths[static_cast<size_t>(Pick(int(paths.size())))];
            const GridPos anchor{near.x + Pick(13) - 6, near.y + Pick(13) - 6};
            const int32_t rotation = Pick(4);
            if (!toolrules::CheckBuildingPlacement(cells, *info.pMapGrid, anchor, rotation, nullptr))
                continue;
            if (!toolrules::CanAffordBuilding(m_World->GetPlayer()->Cash, info.iCost2Build))
                return;
            const float cost = static_cast<float>(info.iCost2Build);
            Charge(cost, true);
            ++m_World->m_BuildingsConstructed;
            BuildingCreationRequest request;
            std::snprintf(request.szKeyword, sizeof request.szKeyword, "%s", info.keyword);
            request.iGridX = anchor.x;
            request.iGridY = anchor.y;
            request.iRotation = rotation;
            if (!g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_BUILDING), &request))
            {
                Charge(-cost, true);
                --m_World->m_BuildingsConstructed;
            }
            return;
        }
    }
    void LayPath()
    {
        WorldParams& params = *m_World->GetWorldParams();
        const SceneryInfo* item = nullptr;
        for (uint32_t id = 0; id < params.GetSceneryCount() && !item; ++id)
            if (params.GetSceneryInfo(static_cast<int32_t>(id)).iPathFlag == kFootPath)
                item = &params.GetSceneryInfo(static_cast<int32_t>(id));
        const std::vector<GridPos> paths = PathCells();
        if (!item || paths.empty() || !g_pPathTileSet)
            return;
        const GridPos start = paths[static_cast<size_t>(Pick(int(paths.size())))];
        const int32_t side = Pick(4) * 2;
        const int32_t length = 1 + Pick(6);
        const GridPos end{start.x + kDirectionDX[side] * length, start.y + kDirectionDY[side] * length};
        const toolrules::PathPlan plan =
            toolrules::PlanFootpath(toolrules::MapCellSource(*m_World->GetWorldMap()), start, end,
                                    m_World->GetPlayer()->Cash, item->iCost2Build);
        for (const GridPos& cell : plan.cells)
        {
            if (!g_pPathTileSet->PlacePathTile(cell))
                continue;
            Charge(static_cast<float>(item->iCost2Build), false);
            for (int32_t s = 0; s < 8; s += 2)
                g_pPathTileSet->RemoveRails(WorldMap::GetNeighbourPos(cell, s));
            MessageRecord record;
            record.dwSender = kNoObjectID;
            record.dwReciever = kNoObjectID;
            record.dwType = MT_PATH_PLACED;
            record.dwFlags = static_cast<uint32_t>(cell.x);
            record.dwData = static_cast<uint32_t>(cell.y);
            m_World->SendToAllBuildings(record);
        }
    }
    std::vector<StaffObject*> Staff() const
    {
        std::vector<StaffObject*> staff;
        for (uint8_t kind : {OBJECT_CLEANER, OBJECT_MECHANIC, OBJECT_ZOOKEEPER})
            for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(kind))
                staff.push_back(static_cast<StaffObject*>(object));
        return staff;
    }
    void Hire()
    {
        static const std::pair<uint8_t, const char*> kinds[] = {
            {OBJECT_CLEANER, "CLEANER"}, {OBJECT_MECHANIC, "MECHANIC"}, {OBJECT_ZOOKEEPER, "ZOOKEEPER"}};
        const auto& kind = kinds[Pick(3)];
        m_World->RequestStaff(kind.first, kind.second);
    }
    void Dismiss()
    {
        std::vector<StaffObject*> staff = Staff();
        if (staff.size() > 2)
            staff[static_cast<size_t>(Pick(int(staff.size())))]->Dismiss();
    }
    void Move()
    {
        const std::vector<StaffObject*> staff = Staff();
        const std::vector<GridPos> paths = PathCells();
        if (staff.empty() || paths.empty())
            return;
        StaffObject* one = staff[static_cast<size_t>(Pick(int(staff.size())))];
        one->PickUp();
        m_World->Update(1.0f / 15.0f);
        if (Live(one->GetID(), one->GetType()))
            one->DropAt(WorldMap::GetCellCentre(paths[static_cast<size_t>(Pick(int(paths.size())))]));
    }
    void SellBuilding()
    {
        std::vector<BuildingObject*> buildings;
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
            if (std::string(object->GetName()) != "ENTRANCE")
                buildings.push_back(static_cast<BuildingObject*>(object));
        if (buildings.size() > 2)
            buildings[static_cast<size_t>(Pick(int(buildings.size())))]->Sell();
    }
    void BreakDown()
    {
        const std::vector<BaseObject*> buildings = g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING);
        if (!buildings.empty())
            static_cast<BuildingObject*>(buildings[static_cast<size_t>(Pick(int(buildings.size())))])
                ->BreakDownByWear();
    }
    void Research()
    {
        researchOn = true;
        GetResearchManager()->SetSliderValue(static_cast<float>(Pick(5)) / 4.0f);
        RescueManager& rescue = *GetRescueManager();
        rescue.OfferRescue();
        rescueSent = rescue.DespatchTeam() || rescueSent;
    }

    World* m_World;
};

class ParkSoak : public SampleParkTest
{
protected:
    static constexpr float kFrame = 1.0f / 15.0f;
    // Frames a loaded park is compared over: a quarter of a game day at the fastest speed.
    static constexpr int kFramesCompared = 675;

    // Days the soak runs in each park: fewer under the sanitizers and in a debug build.
    static int Days()
    {
        if (const char* days = std::getenv("TW_SOAK_DAYS"))
            return std::atoi(days);
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
        return 2;
#else
        return 6;
#endif
    }

    // Saves the park and runs it on for `frames` frames; then loads the save into a fresh park of the scenario and
    // runs that the same frames from the same random numbers. What the two parks then save must be alike: empty
    // when it is, else where they part. The loaded park then plays on in the original's place.
    std::string RoundTrip(std::unique_ptr<World>& park, const char* file, int frames)
    {
        // No more arrivals: the countdown to the next one is not part of a save.
        for (BaseObject* entrance : g_pObjectManager->GetBuildingsByName("ENTRANCE"))
            static_cast<BuildingObject*>(entrance)->Close();
        park->Update(kFrame);
        // The save holds the clock as a float: the original runs on from that same time.
        park->SetGameTime(static_cast<double>(park->GetGameTime()));
        const std::vector<uint8_t> saved = Save(*park);
        // Which of two new squares a guest rates is drawn when the guest is made and is not saved.
        std::map<uint32_t, bool> toggles;
        for (BaseObject* guest : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            toggles[guest->GetID()] = static_cast<GuestObject*>(guest)->GetSurroundingsToggle();
        const bool paused = park->IsPaused();
        platform::SRand(41);
        for (int i = 0; i < frames; ++i)
            park->Update(kFrame);
        const std::vector<uint8_t> ran = Save(*park);
        const std::vector<std::string> ranItems = Items(*park);
        park.reset();
        park = Load(saved, file);
        if (!park)
            return "the save does not load";
        for (BaseObject* guest : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            static_cast<GuestObject*>(guest)->SetSurroundingsToggle(toggles[guest->GetID()]);
        park->SetPaused(paused);
        park->SetGameSpeedLevel(2);
        platform::SRand(41);
        for (int i = 0; i < frames; ++i)
            park->Update(kFrame);
        const std::vector<uint8_t> again = Save(*park);
        if (again == ran)
            return "";
        const std::vector<std::string> againItems = Items(*park);
        std::string owner, parted;
        int shown = 0;
        for (size_t i = 0; i < ranItems.size() && i < againItems.size() && shown < 8; ++i)
        {
            if (ranItems[i].rfind("Object Name", 0) == 0 || ranItems[i].rfind("header", 0) == 0)
                owner = ranItems[i];
            if (ranItems[i] != againItems[i])
            {
                parted +=
                    "item " + std::to_string(i) + " (" + owner + "): " + ranItems[i] + " | " + againItems[i] + "\n";
                ++shown;
            }
        }
        return parted.empty() ? "other bytes, items alike" : parted;
    }
};

TEST_F(ParkSoak, EveryScenarioKeepsItsBooksAndObjectsStraightOverDaysOfPlay)
{
    const char* const files[] = {
        "data/Scenario/Scenario1/Scenario1.pis",         "data/Scenario/Scenario2/Scenario2.pis",
        "data/Scenario/Scenario3/Scenario3.pis",         "data/Scenario/Scenario4/Scenario4.pis",
        "data/Scenario/Scenario5/Scenario5.pis",         "data/Scenario/Scenario6/Scenario6.pis",
        "data/Scenario/Scenario7/Scenario7.pis",         "data/Scenario/Scenario8/Scenario8.pis",
        "data/Scenario/Scenario9/Scenario9.pis",         "data/Scenario/Scenario10/Scenario10.pis",
        "data/Scenario/Scenario11/Scenario11.pis",       "data/Scenario/Scenario12/Scenario12.pis",
        "data/Scenario/SandScenario1/SandScenario1.pis", "data/Scenario/SandScenario2/SandScenario2.pis",
        "data/Scenario/SandScenario3/SandScenario3.pis", "data/Scenario/GuestPark/GuestPark.pis",
        "data/Scenario/QuietPark/QuietPark.pis"};
    const int days = Days();
    for (const char* file : files)
    {
        SCOPED_TRACE(file);
        testsupport::RecordingReportSink reports;
        platform::SRand(3);
        auto world = std::make_unique<World>(nullptr, nullptr, file, false);
        ASSERT_TRUE(world->IsBuilt());
        world->SetGameSpeedLevel(2);
        GetResearchManager()->SetSliderValue(0.0f);
        world->RequestStaff(OBJECT_CLEANER, "CLEANER");
        world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
        world->RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
        ParkPlayer player(*world);
        std::set<std::string> seen;
        int32_t day = world->GetGameDay();
        const int32_t firstDay = day;
        const int32_t saveHour = Pick(24);
        bool savedOnce = false;
        int32_t hour = world->GetHour();
        const int32_t lastDay = day + days;
        float cash = world->GetPlayer()->Cash;
        float animal = world->m_fAnimalIncomeTotal;
        float today = world->m_fIncomeToday - world->m_fCostsToday;
        // (A scenario won or lost pauses the park from its script: play ends there.)
        while (world->GetGameDay() < lastDay && !world->m_bForcedPaused)
        {
            world->Update(kFrame);
            // (Opt-in while a loaded busy park still parts from the original within a few frames.)
            if (std::getenv("TW_SOAK_ROUNDTRIP") && world->GetGameDay() == firstDay + 1 &&
                world->GetHour() == saveHour && !savedOnce)
            {
                savedOnce = true;
                EXPECT_EQ(RoundTrip(world, file, kFramesCompared), "")
                    << "saved on day " << world->GetGameDay() << " at hour " << saveHour;
                ASSERT_NE(world, nullptr);
                player.SetWorld(*world);
                hour = world->GetHour();
            }
            if (world->GetHour() != hour)
            {
                hour = world->GetHour();
                player.Act();
                if (std::getenv("TW_SOAK_TRACE"))
                {
                    std::printf("  hour %d guests %d\n", hour, world->m_NumGuests);
                    std::fflush(stdout);
                }
            }
            if (world->GetGameDay() == day)
                continue;
            day = world->GetGameDay();
            const float booked = world->m_fIncomeRecord[0] - world->m_fCostRecord[0] +
                                 (world->m_fAnimalIncomeTotal - animal) +
                                 (world->m_fIncomeToday - world->m_fCostsToday) - today;
            const float moved = world->GetPlayer()->Cash - cash;
            // The shop servers take their day's wage from the cash at the day's end, outside the day's accounts.
            float serverWages = 0.0f;
            for (BaseObject* server : g_pObjectManager->GetObjectsOfKind(OBJECT_SERVER))
                serverWages += static_cast<float>(static_cast<StaffObject*>(server)->GetWage());
            if (std::getenv("TW_SOAK_TRACE"))
                std::printf("%s day %d: moved %.2f booked %.2f servers %.0f guests %d buildings %d\n", file, day, moved,
                            booked, serverWages, world->m_NumGuests, world->m_NumBuildings);
            // Research and rescue fees are taken from the cash outside the accounts too: only less may be left.
            if (player.researchOn || player.rescueSent)
                EXPECT_LE(moved, booked - serverWages + 0.5f) << "day " << day;
            else
                EXPECT_NEAR(moved, booked - serverWages, 0.5f) << "day " << day;
            player.rescueSent = false;
            player.researchOn = GetResearchManager()->GetSliderValue() > 0.0f;
            std::fflush(stdout);
            cash = world->GetPlayer()->Cash;
            animal = world->m_fAnimalIncomeTotal;
            today = world->m_fIncomeToday - world->m_fCostsToday;
            for (const std::string& f : Check(*world))
                if (seen.insert(f).second)
                    ADD_FAILURE() << "day " << day << ": " << f;
        }
        for (const auto& box : reports.boxes)
            ADD_FAILURE() << box.text;
    }
}

} // namespace
