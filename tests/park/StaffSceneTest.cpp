// Staff at work in the sample park built by the game's World, every object of its real class: the hired cleaner
// sweeps the litter guests drop and cleans the toilet, a hired mechanic repairs the diner after it broke down, and
// the diner's server serves its queue.
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "engine/render/ModelManager.h"
#include "park/BuildingObject.h"
#include "park/CleanerObject.h"
#include "park/CleaningManager.h"
#include "park/FeedbackManager.h"
#include "park/GuestObject.h"
#include "park/MechanicObject.h"
#include "park/ParkLayer.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "park/ServerObject.h"
#include "platform/Random.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "tests/support/TestSupport.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/Path.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <set>
#include <utility>

namespace
{

BuildingObject* Only(const char* type)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(type);
    return found.size() == 1 ? dynamic_cast<BuildingObject*>(found[0]) : nullptr;
}

platform::WString Keyword(BaseObject& object)
{
    platform::WString text;
    object.GetVariable("STAFF_ACTIVITY", text);
    return text;
}

template <typename T> T* First(uint8_t kind)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetObjectsOfKind(kind);
    return found.empty() ? nullptr : dynamic_cast<T*>(found[0]);
}

class StaffScene : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearObjectKinds();
        RegisterParkLayer();
        g_ModelManager.Init(1000, false);
        platform::SRand(3);
        world = std::make_unique<World>(nullptr, nullptr, "data/Scenario/SamplePark/SamplePark.pis", false);
        ASSERT_TRUE(world->IsBuilt()) << (reports.boxes.empty() ? reports.debug : reports.boxes[0].text);
        world->SetGameSpeedLevel(2);
        for (int frame = 0; frame < 30; ++frame)
            world->Update(1.0f / 30.0f);
    }
    void TearDown() override
    {
        world.reset();
        UnregisterParkLayer();
        for (const auto& box : reports.boxes)
            ADD_FAILURE() << box.text;
    }
    // Frames of a thirtieth of a second until the test holds or the frames run out; whether it held.
    template <typename Test> bool RunUntil(Test test, int frames)
    {
        for (int frame = 0; frame < frames; ++frame)
        {
            if (test())
                return true;
            world->Update(1.0f / 30.0f);
        }
        return test();
    }

    testsupport::ScopedCurrentDir cwd{TW_SOURCE_DIR "/sample-data"};
    testsupport::RecordingReportSink reports;
    GameParameters parameters{"data/script/gameparameters.pis"};
    TextTable texts{"data/text_uk.uni"};
    std::unique_ptr<World> world;
};

TEST_F(StaffScene, TheHiredCleanerSweepsTheGuestsLitterAndCleansTheToilet)
{
    auto* cleaner = First<CleanerObject>(OBJECT_CLEANER);
    ASSERT_NE(cleaner, nullptr);
    EXPECT_TRUE(cleaner->IsVisible());
    EXPECT_NE(cleaner->GetScript(), nullptr);
    // Litter the guests drop, swept: a piece that was on the ground is gone and the cleaner counts it.
    std::set<uint32_t> seen;
    bool swept = RunUntil(
        [&]
        {
            for (uint32_t id : g_pObjectManager->GetIdsOfKind(OBJECT_LITTER))
                seen.insert(id);
            return cleaner->GetLitterToday() > 0;
        },
        30 * 60 * 20);
    ASSERT_TRUE(swept) << "state " << cleaner->GetState() << ", litter seen " << seen.size();
    EXPECT_FALSE(seen.empty());

    // A dirty toilet files a job; the cleaner cleans it.
    BuildingObject* toilet = Only("RESTSMALL");
    ASSERT_NE(toilet, nullptr);
    const uint32_t guest = g_pObjectManager->GetIdsOfKind(OBJECT_GUEST).at(0);
    for (int i = 0; i < 13; ++i)
        g_pMessageHandler->Send({guest, toilet->GetID(), MT_REQUEST_COMMOD});
    ASSERT_LT(toilet->GetCleanliness(), 0.5f);
    const bool cleaned = RunUntil([&] { return cleaner->GetToiletsToday() > 0; }, 30 * 60 * 20);
    ASSERT_TRUE(cleaned) << "state " << cleaner->GetState() << " moving " << cleaner->IsMoving() << " at "
                         << cleaner->GetWorldPosition().x << "," << cleaner->GetWorldPosition().y << " toilet "
                         << toilet->GetWorldPosition().x << "," << toilet->GetWorldPosition().y << " dest "
                         << cleaner->GetDestObject() << " toilet id " << toilet->GetID() << "\n"
                         << reports.debug.substr(0, 3000);
    EXPECT_FLOAT_EQ(toilet->GetCleanliness(), 1.0f);
    EXPECT_FALSE(GetCleaningManager()->HoldsRequest(toilet->GetID()));
}

TEST_F(StaffScene, AHiredMechanicRepairsTheDinerThatBrokeDown)
{
    BuildingObject* diner = Only("DINER");
    ASSERT_NE(diner, nullptr);
    const uint32_t guest = g_pObjectManager->GetIdsOfKind(OBJECT_GUEST).at(0);
    for (int i = 0; i < 22; ++i)
        g_pMessageHandler->Send({guest, diner->GetID(), MT_IM_READY, 0, diner->GetServer(0)});
    // Worn by its sales, it breaks down (as a half-daily check may break it).
    ASSERT_LT(diner->GetRepairCondition(), 1.0f);
    diner->BreakDownByWear();
    ASSERT_TRUE(diner->IsBrokenDown());
    EXPECT_FALSE(diner->IsOpen());

    world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    auto* mechanic = First<MechanicObject>(OBJECT_MECHANIC);
    ASSERT_NE(mechanic, nullptr);
    const bool repaired = RunUntil([&] { return !diner->IsBrokenDown(); }, 30 * 60 * 20);
    ASSERT_TRUE(repaired) << "state " << mechanic->GetState();
    EXPECT_EQ(mechanic->GetRepairsToday(), 1u);
    EXPECT_TRUE(diner->IsOpen());
    EXPECT_FLOAT_EQ(diner->GetRepairCondition(), 1.0f);
    EXPECT_TRUE(GetMechanicsRepair()->GetAssigned().empty());
}

TEST_F(StaffScene, TheDinersServerServesItsQueue)
{
    BuildingObject* diner = Only("DINER");
    ASSERT_NE(diner, nullptr);
    ASSERT_GT(diner->GetServerCount(), 0u);
    auto* server = dynamic_cast<ServerObject*>(g_pObjectManager->GetObject(diner->GetServer(0)));
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->GetState(), uint32_t{STATE_STAFF_WORKING});
    EXPECT_EQ(server->GetHomeID(), diner->GetID());
    bool animated = false;
    // A guest counts its visit once the server has handed the goods over; the server's word to the diner passes
    // the queue on to the next guest.
    const auto servedGuests = [&]
    {
        int served = 0;
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            served += static_cast<GuestObject*>(object)->CountVisits(diner->GetID()) > 0 ? 1 : 0;
        return served;
    };
    const bool served = RunUntil(
        [&]
        {
            animated = animated || server->GetServeState() == 1;
            return servedGuests() >= 2;
        },
        30 * 60 * 30);
    EXPECT_TRUE(served) << servedGuests() << " guests served, " << diner->GetVisitsToday() << " sales";
    EXPECT_TRUE(animated);
}

} // namespace

namespace
{

TEST_F(StaffScene, TheStaffRoomTakesAsManyAsItsCapacityAndATiredCleanerRestsThere)
{
    BuildingObject* room = Only("STAFFSMALL");
    ASSERT_NE(room, nullptr);
    ASSERT_TRUE(room->IsOpen());
    // The sample staff room has room for three.
    std::vector<CleanerObject*> cleaners;
    for (int i = 0; i < 4; ++i)
    {
        world->RequestStaff(OBJECT_CLEANER, "CLEANER");
        cleaners.push_back(static_cast<CleanerObject*>(g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER).back()));
    }
    const uint32_t resting = room->GetNumRestStaff();
    std::vector<uint32_t> found;
    for (CleanerObject* cleaner : cleaners)
        found.push_back(cleaner->FindStaffRoom());
    const uint32_t id = room->GetID();
    const uint32_t places = 3 - resting;
    for (uint32_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(found[i], i < places ? id : kNoObjectID) << i;
    EXPECT_EQ(room->GetNumRestStaff(), 3u);
    // One without a room leaving changes nothing; one with a room leaving frees its place.
    cleaners.back()->SetDestObject(kNoObjectID);
    cleaners.back()->CallScriptFunction(SF_LeaveStaffRoom);
    EXPECT_EQ(room->GetNumRestStaff(), 3u);
    cleaners.front()->SetDestObject(id);
    cleaners.front()->CallScriptFunction(SF_LeaveStaffRoom);
    EXPECT_EQ(room->GetNumRestStaff(), 2u);
    // Dismissed while resting, a cleaner gives its place up too.
    cleaners[1]->SetDestObject(id);
    cleaners[1]->SetState(STATE_STAFF_RESTING);
    cleaners[1]->Dismiss();
    EXPECT_EQ(room->GetNumRestStaff(), 1u);
}

TEST_F(StaffScene, ATiredCleanerRestsUntilItsEnergyIsBackAndGoesBackToWork)
{
    auto* cleaner = First<CleanerObject>(OBJECT_CLEANER);
    ASSERT_NE(cleaner, nullptr);
    cleaner->SetEnergy(0.01f);
    const bool rested = RunUntil(
        [&]
        { return cleaner->GetState() == STATE_STAFF_RESTING || cleaner->GetState() == STATE_STAFF_RESTING_OUTSIDE; },
        30 * 60 * 5);
    ASSERT_TRUE(rested) << cleaner->GetState();
    EXPECT_EQ(Keyword(*cleaner), u"Resting");
    // Two game hours (the sample day's hour is a 24th of its length) bring a full recovery.
    const bool back = RunUntil([&] { return cleaner->GetEnergy() >= 1.0f && cleaner->IsVisible(); }, 30 * 60 * 60);
    ASSERT_TRUE(back);
    EXPECT_GE(cleaner->GetState(), uint32_t{STATE_CLEANER_CHOOSE_TASK});
}

} // namespace

namespace
{

// The player is told of every dismissal: a dismissed worker leaves the park before its next frame, and a second
// dismissal, later, is news again.
TEST_F(StaffScene, EveryDismissedWorkerIsReportedToThePlayerOnce)
{
    const auto sacked = [&]
    {
        size_t n = 0;
        for (const auto* list : {&GetFeedbackManager()->GetQueue(), &GetFeedbackManager()->GetLog()})
            for (const auto& message : *list)
                n += message.textId == "FEEDBACK_STAFF_SACKED" ? 1 : 0;
        return n;
    };
    for (size_t dismissed = 1; dismissed <= 2; ++dismissed)
    {
        world->RequestStaff(OBJECT_CLEANER, "CLEANER");
        auto* cleaner = static_cast<CleanerObject*>(g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER).back());
        const uint32_t id = cleaner->GetID();
        RunUntil([] { return false; }, 30);
        cleaner->Dismiss();
        ASSERT_TRUE(RunUntil([&] { return g_pObjectManager->GetObject(id) == nullptr; }, 30));
        RunUntil([] { return false; }, 30);
        EXPECT_EQ(sacked(), dismissed);
    }
}

} // namespace

namespace
{

// The player dismisses workers between two frames of the park; when the next frame turns the hour, the dismissed
// workers (paid their ten hours on dismissal) draw no wage for it before they leave.
TEST_F(StaffScene, AWorkerDismissedJustBeforeTheHourTurnsIsNotPaidForIt)
{
    world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    world->RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    RunUntil([] { return false; }, 30);
    std::vector<StaffObject*> workers;
    for (uint8_t kind : {OBJECT_CLEANER, OBJECT_MECHANIC, OBJECT_ZOOKEEPER})
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(kind))
            workers.push_back(static_cast<StaffObject*>(object));
    ASSERT_GE(workers.size(), 3u);
    // The game time of a frame, in hours of the day.
    const float before = world->GetGameDayTime();
    world->Update(1.0f / 30.0f);
    const float step = world->GetGameDayTime() - before;
    ASSERT_GT(step, 0.0f);
    // Up to the last frame before an hour (not midnight) turns.
    const auto hourTurnsNext = [&]
    {
        const float now = world->GetGameDayTime();
        const int hour = static_cast<int>(now);
        return hour < 23 && static_cast<int>(now + step) != hour && static_cast<int>(now + step * 0.5f) == hour;
    };
    ASSERT_TRUE(RunUntil(hourTurnsNext, 30 * 60 * 2));
    const int hour = static_cast<int>(world->GetGameDayTime());
    for (StaffObject* worker : workers)
        worker->Dismiss();
    const float wages = world->m_fWagesCostToday;
    world->Update(1.0f / 30.0f);
    ASSERT_EQ(static_cast<int>(world->GetGameDayTime()), hour + 1);
    EXPECT_FLOAT_EQ(world->m_fWagesCostToday, wages);
    for (uint8_t kind : {OBJECT_CLEANER, OBJECT_MECHANIC, OBJECT_ZOOKEEPER})
        EXPECT_EQ(g_pObjectManager->CountObjectsOfKind(kind), 0u) << int{kind};
}

} // namespace

namespace
{

// The footpath cell farthest (in steps along x and y) from a cell.
GridPos FarthestFootpath(const GridPos& from)
{
    GridPos best = from;
    int64_t farthest = -1;
    for (int32_t x = 0; x < g_pWorldMap->GetWidth(); ++x)
        for (int32_t y = 0; y < g_pWorldMap->GetHeight(); ++y)
        {
            const MapCell* cell = g_pWorldMap->GetCellXY(x, y);
            const int64_t steps = std::abs(x - from.x) + std::abs(y - from.y);
            if (cell && (cell->m_uiFlags & CELL_FOOTPATH) && steps > farthest)
            {
                best = {x, y};
                farthest = steps;
            }
        }
    return best;
}

// A worker the player picks up and drops elsewhere chooses its next job from where it now stands: the cleaner the
// litter at its feet rather than the piece where it was picked up, the mechanic the breakdown beside it rather than
// the one it has left behind.
TEST_F(StaffScene, AWorkerDroppedElsewhereChoosesItsNextJobFromWhereItWasDropped)
{
    {
        auto* cleaner = First<CleanerObject>(OBJECT_CLEANER);
        ASSERT_NE(cleaner, nullptr);
        ASSERT_TRUE(RunUntil([&] { return cleaner->CanBePicked(); }, 30 * 60));
        cleaner->PickUp();
        ASSERT_EQ(cleaner->GetState(), uint32_t{STATE_STAFF_BEING_PICKED});
        const GridPos from = cleaner->GetGridPos();
        const GridPos to = FarthestFootpath(from);
        std::vector<uint32_t> pieces;
        for (const GridPos& cell : {from, to})
        {
            LitterCreationRequest litter;
            std::snprintf(litter.szKeyword, sizeof litter.szKeyword, "Litter01");
            litter.iGridX = cell.x;
            litter.iGridY = cell.y;
            ASSERT_TRUE(g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_LITTER), &litter));
            pieces.push_back(g_pObjectManager->GetIdsOfKind(OBJECT_LITTER).back());
        }
        cleaner->DropAt(WorldMap::GetCellCentre(to));
        EXPECT_EQ(cleaner->GetState(), uint32_t{STATE_CLEANER_GO_LITTER});
        EXPECT_EQ(cleaner->GetDestObject(), pieces[1]);
        EXPECT_EQ(GetCleaningManager()->GetCleaningState(pieces[0]), CleaningManager::CLEAN_REQUIRED);
    }
    {
        world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
        auto* mechanic = First<MechanicObject>(OBJECT_MECHANIC);
        ASSERT_NE(mechanic, nullptr);
        ASSERT_TRUE(RunUntil([&] { return mechanic->GetState() == STATE_MECHANIC_IDLE; }, 30 * 60));
        mechanic->PickUp();
        ASSERT_EQ(mechanic->GetState(), uint32_t{STATE_STAFF_BEING_PICKED});
        // The broken building nearest the place of the pick-up, and the one farthest from it.
        std::vector<BuildingObject*> broken;
        for (const char* type : {"DINER", "RESTSMALL", "INFORMATION"})
            broken.push_back(Only(type));
        const platform::Vec3 at = mechanic->GetWorldPosition();
        const auto distance = [&](const BuildingObject* b)
        {
            const float dx = b->GetWorldPosition().x - at.x, dy = b->GetWorldPosition().y - at.y;
            return dx * dx + dy * dy;
        };
        std::sort(broken.begin(), broken.end(),
                  [&](const BuildingObject* a, const BuildingObject* b) { return distance(a) < distance(b); });
        const BuildingObject* near = broken.front();
        BuildingObject* far = broken.back();
        for (BuildingObject* building : {broken.front(), broken.back()})
            building->BreakDownByWear();
        // The requests are old enough to be taken.
        RunUntil([] { return false; }, 30 * 10);
        ASSERT_EQ(mechanic->GetState(), uint32_t{STATE_STAFF_BEING_PICKED});
        mechanic->DropAt(far->GetWorldPosition());
        EXPECT_EQ(mechanic->GetState(), uint32_t{STATE_MECHANIC_GO_REPAIR});
        EXPECT_EQ(mechanic->GetDestObject(), far->GetID());
        EXPECT_EQ(GetMechanicsRepair()->GetRepairState(near->GetID()), RepairManager::STATE_REPAIR_REQUIRED);
    }
}

// A worker picked up on its way to a job and dropped on a footpath far off goes to the job from where it was
// dropped: its new way starts at the drop cell, not back where it was picked up (which it would walk to in a
// straight line, over whatever stands between).
TEST_F(StaffScene, AWorkerDroppedFarOffSetsOutFromWhereItWasDropped)
{
    BuildingObject* diner = Only("DINER");
    BuildingObject* toilet = Only("RESTSMALL");
    ASSERT_NE(diner, nullptr);
    ASSERT_NE(toilet, nullptr);
    const uint32_t guest = g_pObjectManager->GetIdsOfKind(OBJECT_GUEST).at(0);
    for (int i = 0; i < 22; ++i)
        g_pMessageHandler->Send({guest, diner->GetID(), MT_IM_READY, 0, diner->GetServer(0)});
    diner->BreakDownByWear();
    ASSERT_TRUE(diner->IsBrokenDown());
    for (int i = 0; i < 13; ++i)
        g_pMessageHandler->Send({guest, toilet->GetID(), MT_REQUEST_COMMOD});
    world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    const std::pair<StaffObject*, BuildingObject*> jobs[] = {{First<MechanicObject>(OBJECT_MECHANIC), diner},
                                                             {First<CleanerObject>(OBJECT_CLEANER), toilet}};
    for (const auto& [worker, building] : jobs)
    {
        ASSERT_NE(worker, nullptr);
        SCOPED_TRACE(worker->GetName());
        ASSERT_TRUE(RunUntil([&] { return worker->GetPathFollower() && worker->CanBePicked(); }, 30 * 60));
        const GridPos from = worker->GetGridPos();
        // The cells the worker may head for at its job: the building's queue start and serving point.
        platform::Vec3 queueStart = {}, serveIn = {};
        building->GetQueueStartPosition(queueStart);
        building->GetServeInPosition(serveIn);
        const GridPos ends[] = {WorldMap::WorldToGrid(queueStart), WorldMap::WorldToGrid(serveIn)};
        // The footpath cell farthest from the worker that still leads to it, a few cells from the job.
        GridPos drop = from;
        int32_t farthest = 0;
        for (uint32_t i = 0; i < g_pWorldMap->GetCellCount(); ++i)
        {
            const GridPos cell = g_pWorldMap->CellAt(i).GetPos();
            const uint32_t flags = g_pWorldMap->GetFlags(cell);
            const int32_t distance = std::abs(cell.x - from.x) + std::abs(cell.y - from.y);
            if ((flags & CELL_FOOTPATH) && !(flags & CELL_BUILDING) && distance > farthest &&
                std::all_of(std::begin(ends), std::end(ends),
                            [&](const GridPos& end)
                            { return std::abs(cell.x - end.x) + std::abs(cell.y - end.y) >= 3; }) &&
                g_pPath->GetFinder().Search(PATH_PAVEMENT, cell, from, nullptr) > 0)
            {
                drop = cell;
                farthest = distance;
            }
        }
        ASSERT_GE(farthest, 5);
        worker->PickUp();
        ASSERT_EQ(worker->GetState(), uint32_t{STATE_STAFF_BEING_PICKED});
        const platform::Vec3 held = worker->GetWorldPosition();
        // Held for a few seconds, long enough for the job it gave back to be offered again; it walks on meanwhile
        // no more than it is seen to.
        RunUntil([] { return false; }, 30 * 6);
        EXPECT_EQ(worker->GetWorldPosition().x, held.x);
        EXPECT_EQ(worker->GetWorldPosition().y, held.y);
        worker->DropAt(WorldMap::GetCellCentre(drop));
        ASSERT_TRUE(RunUntil([&] { return worker->GetPathFollower() != nullptr; }, 30));
        EXPECT_EQ(worker->GetDestObjectID(), building->GetID());
        const GridPos start = worker->GetPathFollower()->GetPath().m_Start;
        EXPECT_EQ(std::pair(start.x, start.y), std::pair(drop.x, drop.y)) << "picked up at " << from.x << "," << from.y;
    }
}

} // namespace

namespace
{

// The player may pick a worker up and put it down again while the park stands paused: once the park runs again the
// worker is back at work and in view, not held in the air for good.
TEST_F(StaffScene, AWorkerPickedUpAndPutDownInAPausedParkWorksOnWhenItRuns)
{
    world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    world->RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    StaffObject* workers[] = {First<CleanerObject>(OBJECT_CLEANER), First<MechanicObject>(OBJECT_MECHANIC),
                              First<ZooKeeperObject>(OBJECT_ZOOKEEPER)};
    for (bool drop : {true, false})
    {
        for (StaffObject* worker : workers)
        {
            ASSERT_NE(worker, nullptr);
            SCOPED_TRACE(std::string(worker->GetName()) + (drop ? " dropped" : " put back"));
            ASSERT_TRUE(RunUntil([&] { return worker->CanBePicked(); }, 30 * 60));
            world->SetPaused(true);
            RunUntil([] { return false; }, 5);
            const platform::Vec3 at = worker->GetWorldPosition();
            worker->PickUp();
            EXPECT_FALSE(worker->IsVisible());
            RunUntil([] { return false; }, 5);
            if (drop)
                worker->DropAt(at);
            else
                worker->CancelPickUp();
            world->SetPaused(false);
            RunUntil([] { return false; }, 30 * 5);
            EXPECT_NE(worker->GetState(), uint32_t{STATE_STAFF_BEING_PICKED});
            EXPECT_TRUE(worker->IsVisible());
        }
    }
}

} // namespace
