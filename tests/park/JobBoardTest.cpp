// Tests of the job boards: the cleaners' urgent and scored choices, the workers' nearest job, better jobs and
// watering, the life of a job from request to return, and the boards' save records.
#include "engine/core/SerialStream.h"
#include "platform/Random.h"
#include "scripts/WorldScriptHost.h"
#include "tests/park/JobsTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace jobstest;

namespace
{

constexpr float kCell = 32.0f;
constexpr int kRow = 10;

platform::Vec3 CellPoint(int x, int y)
{
    return {x * kCell + 1.0f, y * 64.0f + 1.0f, 0.0f};
}

TEST(CleaningBoard, ScoresJobsByDistanceLessTheirKindsBonus)
{
    struct Job
    {
        uint8_t kind; // 0 toilet, else the object kind
        int distance;
    };
    const struct
    {
        const char* what;
        std::vector<Job> jobs;
        bool bins, litter, toilets;
        int chosen;
        int32_t type;
    } cases[] = {
        {"litter 60 away before a toilet 120 away", {{0, 120}, {OBJECT_LITTER, 60}}, true, true, true, 1, 0},
        {"a toilet 100 away before litter 55 away", {{OBJECT_LITTER, 55}, {0, 100}}, true, true, true, 1, 2},
        {"a bin 70 away as good as litter 50 away",
         {{OBJECT_SCENERY, 70}, {OBJECT_LITTER, 50}},
         true,
         true,
         true,
         0,
         1},
        {"a toilet 100 away as good as litter 50 away", {{0, 100}, {OBJECT_LITTER, 50}}, true, true, true, 0, 2},
        {"the earlier of two at one score", {{OBJECT_LITTER, 10}, {OBJECT_LITTER, 10}}, true, true, true, 0, 0},
        {"litter the cleaner does not pick up", {{OBJECT_LITTER, 1}, {OBJECT_SCENERY, 90}}, true, false, true, 1, 1},
        {"bins the cleaner does not empty", {{OBJECT_SCENERY, 1}}, false, true, true, -1, -1},
        {"toilets the cleaner does not clean", {{0, 1}}, true, true, false, -1, -1},
        {"nothing scores below 99999", {{OBJECT_LITTER, 100100}}, true, true, true, -1, -1},
    };
    for (const auto& c : cases)
    {
        JobPark park;
        BuildingObject* toilet = park.Small("RESTSMALL", kRow);
        int toiletDistance = 1;
        for (const Job& j : c.jobs)
            toiletDistance = j.kind == 0 ? j.distance : toiletDistance;
        const int cleanerX = 2 + toiletDistance;
        std::vector<uint32_t> ids;
        for (const Job& j : c.jobs)
        {
            const platform::Vec3 at = CellPoint(cleanerX + j.distance, kRow);
            ids.push_back(j.kind == 0 ? toilet->GetID() : park.At(j.kind, "Bin", at.x, at.y)->GetID());
            park.cleaning.RequestCleaning(ids.back());
        }
        int32_t type = -1;
        const int32_t id =
            park.cleaning.FindBestScoredJob(CellPoint(cleanerX, kRow), type, c.bins, c.litter, c.toilets);
        EXPECT_EQ(id, c.chosen < 0 ? -1 : static_cast<int32_t>(ids[c.chosen])) << c.what;
        EXPECT_EQ(type, c.type) << c.what;
        if (c.chosen >= 0)
        {
            EXPECT_TRUE(dynamic_cast<StaticObject*>(park.objects->GetObject(id))->IsCleaning()) << c.what;
            EXPECT_EQ(park.cleaning.GetAssigned().size(), 1u) << c.what;
            EXPECT_EQ(park.cleaning.GetPending().size(), c.jobs.size() - 1) << c.what;
        }
    }
}

TEST(CleaningBoard, ACleanerFarOffTheMapScoresItsJobsFarAway)
{
    // A cleaner so far off that its cell is the last a 32-bit cell number holds lies more than 2^32 cells from
    // litter across both axes: no job scores below 99999. Litter 99998 cells along one axis still does.
    const struct
    {
        platform::Vec3 cleaner;
        bool found;
    } cases[] = {
        {{-3.0e11f, -3.0e11f, 0.0f}, false},
        {{3.0e11f, 3.0e11f, 0.0f}, false},
        {{-3.0e11f, 3.0e11f, 0.0f}, false},
        {{3.0e11f, 0.0f, 0.0f}, false},
        {{(99998.0f + 50.0f + 5.0f) * kCell + 1.0f, 5.0f * 64.0f + 1.0f, 0.0f}, true},
    };
    for (const auto& c : cases)
    {
        JobPark park;
        const uint32_t litter = park.At(OBJECT_LITTER, "LITTER", CellPoint(5, 5).x, CellPoint(5, 5).y)->GetID();
        park.cleaning.RequestCleaning(litter);
        int32_t type = -1;
        const int32_t id = park.cleaning.FindBestScoredJob(c.cleaner, type, true, true, true);
        EXPECT_EQ(id, c.found ? static_cast<int32_t>(litter) : -1) << c.cleaner.x << ", " << c.cleaner.y;
        EXPECT_EQ(park.cleaning.GetPending().size(), c.found ? 0u : 1u) << c.cleaner.x << ", " << c.cleaner.y;
    }
}

TEST(CleaningBoard, TakesTheLastUrgentRequestTheCleanerMayDo)
{
    JobPark park;
    CleaningManager& board = park.cleaning;
    Stub* bin = park.At(OBJECT_SCENERY, "Bin", 0, 0);
    Stub* greenBin = park.At(OBJECT_SCENERY, "BinGreen", 0, 0);
    Stub* litter = park.At(OBJECT_LITTER, "LITTER", 0, 0);
    Stub* busy = park.At(OBJECT_LITTER, "LITTER", 0, 0);
    Stub* plain = park.At(OBJECT_LITTER, "LITTER", 0, 0);
    busy->SetCleaning(true);
    for (Stub* s : {bin, greenBin, litter, busy})
        board.RequestUrgentCleaning(s->GetID());
    board.RequestCleaning(plain->GetID());
    board.RequestUrgentCleaning(0xABCDEF);
    int32_t type = -1;
    // Only objects named exactly "Bin" are bins; anything else not a building counts as litter.
    EXPECT_EQ(board.FindUrgentClean({}, type, true, false, false), static_cast<int32_t>(bin->GetID()));
    EXPECT_EQ(type, CleaningManager::JOB_BIN);
    EXPECT_EQ(board.FindUrgentClean({}, type, true, true, true), static_cast<int32_t>(litter->GetID()));
    EXPECT_EQ(type, CleaningManager::JOB_LITTER);
    EXPECT_EQ(board.FindUrgentClean({}, type, true, true, true), static_cast<int32_t>(greenBin->GetID()));
    EXPECT_EQ(type, CleaningManager::JOB_BIN);
    EXPECT_EQ(board.FindUrgentClean({}, type, true, true, true), -1);
    // Each is taken as an urgent job.
    ASSERT_EQ(board.GetAssigned().size(), 3u);
    for (const CleaningManager::Job& job : board.GetAssigned())
        EXPECT_TRUE(job.bUrgent) << job.CleaningID;
    EXPECT_TRUE(board.IsCleanerCalled(litter->GetID()));
    EXPECT_FALSE(board.IsCleanerCalled(plain->GetID()));

    // A request made at game time 0 is never urgent enough; the scored choice still takes it.
    const std::unique_ptr<OwnedParkManager> kept = std::move(park.world->m_Managers.cleaning);
    park.world.reset();
    board.RequestUrgentCleaning(plain->GetID());
    EXPECT_EQ(board.GetPending().back().fTimeCalled, 0.0f);
    EXPECT_EQ(board.FindUrgentClean({}, type, true, true, true), -1);
    EXPECT_EQ(board.FindBestScoredJob({}, type, false, true, false), static_cast<int32_t>(plain->GetID()));
}

TEST(CleaningBoard, FollowsAJobFromRequestToFinishOrReturn)
{
    JobPark park;
    CleaningManager& board = park.cleaning;
    const uint32_t a = park.At(OBJECT_LITTER, "LITTER", 0, 0)->GetID();
    const uint32_t b = park.At(OBJECT_LITTER, "LITTER", 0, 0)->GetID();
    auto state = [&](uint32_t id) { return board.GetCleaningState(id); };
    EXPECT_EQ(state(a), CleaningManager::CLEAN_NO_CLEANERS);
    park.Make(OBJECT_CLEANER);
    EXPECT_EQ(state(a), CleaningManager::CLEAN_NOT_NEEDED);
    board.RequestCleaning(a);
    board.RequestCleaning(b);
    board.RequestCleaning(a);
    park.Frames(1);
    // An urgent call moves a plain request to the end, as a new one.
    board.RequestUrgentCleaning(a);
    ASSERT_EQ(board.GetPending().size(), 2u);
    EXPECT_EQ(board.GetPending().back().CleaningID, a);
    EXPECT_EQ(board.GetPending().back().iCalls, 0);
    EXPECT_EQ(board.GetPending().back().fTimeCalled, park.world->GetGameTime());
    EXPECT_LT(board.GetPending().front().fTimeCalled, park.world->GetGameTime());
    EXPECT_EQ(state(a), CleaningManager::CLEAN_REQUIRED);

    int32_t type = -1;
    ASSERT_EQ(board.FindBestScoredJob({}, type, true, true, true), static_cast<int32_t>(b));
    EXPECT_EQ(state(b), CleaningManager::CLEAN_ON_ROUTE);
    // A second plain request on the job waits while the litter is being cleaned.
    board.RequestCleaning(b);
    ASSERT_EQ(board.FindBestScoredJob({}, type, true, true, true), static_cast<int32_t>(a));
    EXPECT_EQ(board.FindBestScoredJob({}, type, true, true, true), -1);
    board.SetCleaningStarted(a);
    EXPECT_EQ(state(a), CleaningManager::CLEAN_CLEANING);
    EXPECT_EQ(board.GetActiveCount(), 2);

    // An urgent call on a job marks it; given back, it is filed again as urgent and its object is free again.
    board.RequestUrgentCleaning(a);
    EXPECT_EQ(board.GetPending().size(), 1u);
    board.ReturnJob(a);
    EXPECT_FALSE(dynamic_cast<StaticObject*>(park.objects->GetObject(a))->IsCleaning());
    EXPECT_TRUE(board.GetPending().back().bUrgent);
    EXPECT_EQ(board.GetActiveCount(), 1);
    // Ids that are not assigned change nothing, and a job ends once.
    for (uint32_t id : {a, 0xABCDEFu})
    {
        board.SetCleaningStarted(id);
        board.ReturnJob(id);
    }
    board.FinishJob(b);
    board.RemoveAssigned(b);
    EXPECT_EQ(board.GetActiveCount(), 0);
    EXPECT_EQ(board.GetPending().size(), 2u);
    board.CancelCleaning(a);
    board.CancelCleaning(b);
    EXPECT_TRUE(board.GetPending().empty());
}

// ---------------------------------------------------------------- repairs

TEST(RepairBoard, GivesEachWorkerTheNearestJobOfItsKind)
{
    struct Request
    {
        uint32_t type;
        bool urgent;
        float distance;
        bool young;
    };
    const struct
    {
        const char* what;
        std::vector<Request> requests;
        uint32_t kind;
        int chosen;
    } cases[] = {
        {"the nearest service", {{0, false, 30, false}, {0, false, 20, false}}, 0, 1},
        {"the earlier of two as near", {{0, false, 20, false}, {0, false, 20, false}}, 0, 0},
        {"no repair for a worker on services", {{1, false, 5, false}}, 0, -1},
        {"a repair before services", {{1, false, 30, false}, {0, false, 5, false}}, 1, 0},
        {"the nearest urgent one of any type",
         {{1, false, 10, false}, {3, true, 40, false}, {0, true, 30, false}},
         1,
         2},
        {"an urgent one before a nearer plain one", {{0, false, 5, false}, {0, true, 50, false}}, 0, 1},
        {"none younger than five seconds", {{0, true, 5, true}, {0, false, 50, false}}, 0, 1},
        {"visits for zookeepers only", {{3, false, 10, false}}, 3, 0},
        {"no visit for mechanics", {{3, false, 10, false}}, 0, -1},
    };
    for (const auto& c : cases)
    {
        JobPark park;
        RepairManager& board = park.mechanics;
        std::vector<uint32_t> ids;
        for (const Request& r : c.requests)
            ids.push_back(park.At(OBJECT_TABLE, "B", r.distance, 0)->GetID());
        // The young requests are filed six seconds after the others.
        for (bool young : {false, true})
        {
            for (size_t i = 0; i < ids.size(); ++i)
            {
                const Request& r = c.requests[i];
                if (r.young == young)
                    r.urgent ? (void)board.RequestUrgentRepair(ids[i], r.type) : board.RequestRepair(ids[i], r.type);
            }
            park.Frames(young ? 0 : 2, 3.0f);
        }
        uint32_t type = 99;
        const int32_t id = board.FindJob({0, 0, 0}, c.kind, type);
        EXPECT_EQ(id, c.chosen < 0 ? -1 : static_cast<int32_t>(ids[c.chosen])) << c.what;
        if (c.chosen < 0)
            continue;
        EXPECT_EQ(type, c.requests[c.chosen].type) << c.what;
        EXPECT_EQ(board.GetAssignedType(ids[c.chosen]), c.requests[c.chosen].type) << c.what;
        EXPECT_EQ(board.GetAssigned().back().bUrgent, c.requests[c.chosen].urgent) << c.what;
        EXPECT_EQ(board.GetPending().size(), c.requests.size() - 1) << c.what;
    }
}

TEST(RepairBoard, RaisesRequestsTradesJobsAndTakesThemBack)
{
    JobPark park;
    RepairManager& board = park.mechanics;
    const uint32_t near = park.At(OBJECT_TABLE, "B", 10, 0)->GetID();
    const uint32_t far = park.At(OBJECT_TABLE, "B", 100, 0)->GetID();
    const uint32_t zoo = park.At(OBJECT_TABLE, "B", 50, 0)->GetID();
    board.RequestRepair(far, RepairManager::REPAIR_SERVICE);
    board.RequestRepair(zoo, RepairManager::REPAIR_ZOO_VISIT);
    const float filed = park.world->GetGameTime();
    // A later breakdown raises the service in its place; a lower type raises nothing.
    park.Frames(1);
    board.RequestRepair(far, RepairManager::REPAIR_BREAKDOWN);
    board.RequestRepair(far, RepairManager::REPAIR_SERVICE);
    EXPECT_EQ(board.GetPending().front().RepairID, far);
    EXPECT_EQ(board.GetPending().front().Type, RepairManager::REPAIR_BREAKDOWN);
    EXPECT_EQ(board.GetPending().front().iCalls, 2u);
    EXPECT_EQ(board.GetPending().front().fTimeCalled, filed);
    EXPECT_EQ(board.CountPendingRepairs(), 1);
    // An urgent call sets a plain request's type, even lower; a repeated one only counts.
    EXPECT_FALSE(board.RequestUrgentRepair(zoo, RepairManager::REPAIR_BREAKDOWN));
    EXPECT_FALSE(board.RequestUrgentRepair(zoo, RepairManager::REPAIR_SERVICE));
    EXPECT_EQ(board.GetPending().back().Type, RepairManager::REPAIR_BREAKDOWN);
    EXPECT_EQ(board.GetPending().back().iCalls, 2u);
    EXPECT_FALSE(board.RequestUrgentRepair(0xABCDEF, 1));
    board.RequestRepair(0xABCDEF, 1);
    EXPECT_EQ(board.GetPending().size(), 2u);

    // Five seconds old is still too young.
    board.CancelRepair(zoo);
    EXPECT_TRUE(board.RequestUrgentRepair(near, RepairManager::REPAIR_SERVICE));
    for (float step : {4.0f, 1.0f})
        park.world->AdvanceClock(step);
    uint32_t type = 0;
    ASSERT_EQ(board.FindJob({}, RepairManager::REPAIR_BREAKDOWN, type), static_cast<int32_t>(far));
    // An urgent call on a job taken marks it and files nothing new.
    EXPECT_FALSE(board.RequestUrgentRepair(far, RepairManager::REPAIR_SERVICE));
    EXPECT_TRUE(board.GetAssigned().back().bUrgent);
    park.world->AdvanceClock(0.5f);
    // An urgent job is kept against a nearer plain one; a plain job is traded for a nearer urgent one.
    board.RequestRepair(zoo, RepairManager::REPAIR_BREAKDOWN);
    park.Frames(2, 4.0f);
    EXPECT_EQ(board.LookForBetterJob({}, far, type), static_cast<int32_t>(near));
    EXPECT_TRUE(dynamic_cast<StaticObject*>(park.objects->GetObject(near))->IsRepairing());
    EXPECT_EQ(type, RepairManager::REPAIR_SERVICE);
    EXPECT_EQ(board.GetPending().back().RepairID, far);
    EXPECT_EQ(board.LookForBetterJob({}, near, type), -1);
    EXPECT_EQ(board.LookForBetterJob({}, zoo, type), -1);

    // The panel's states: no mechanic, then coming, at work, a repair waiting, nothing to do.
    const auto state = [&](uint32_t id) { return board.GetRepairState(id); };
    EXPECT_EQ(state(near), RepairManager::STATE_NO_MECHANICS);
    park.Make(OBJECT_MECHANIC);
    EXPECT_EQ(state(near), RepairManager::STATE_MECHANIC_COMING);
    board.SetRepairStarted(near);
    EXPECT_EQ(state(near), RepairManager::STATE_REPAIRING);
    EXPECT_EQ(state(far), RepairManager::STATE_REPAIR_REQUIRED);
    board.RequestRepair(far, RepairManager::REPAIR_SERVICE);
    EXPECT_EQ(state(zoo), RepairManager::STATE_REPAIR_REQUIRED);
    board.CancelRepair(zoo);
    board.RequestRepair(zoo, RepairManager::REPAIR_SERVICE);
    EXPECT_EQ(state(zoo), RepairManager::STATE_INSPECT_REQUIRED);
    EXPECT_EQ(state(0xABCDEF), RepairManager::STATE_NOT_NEEDED);

    // Given back: urgent again with its own type, the repairing flag cleared; an unknown id changes nothing.
    board.RequestRepair(near, RepairManager::REPAIR_BREAKDOWN);
    board.ReturnJob(near, RepairManager::REPAIR_SERVICE);
    EXPECT_FALSE(dynamic_cast<StaticObject*>(park.objects->GetObject(near))->IsRepairing());
    EXPECT_EQ(board.GetPending().back().RepairID, near);
    EXPECT_TRUE(board.GetPending().back().bUrgent);
    EXPECT_EQ(board.GetPending().back().Type, RepairManager::REPAIR_BREAKDOWN);
    const size_t pending = board.GetPending().size();
    board.ReturnJob(near, 0);
    board.SetRepairStarted(near);
    EXPECT_EQ(board.GetPending().size(), pending);
    EXPECT_EQ(board.GetAssignedType(near), RepairManager::kNoType);
}

TEST(RepairBoard, TradesAPlainJobOnlyForANearerOneOfItsType)
{
    JobPark park;
    RepairManager& board = park.mechanics;
    const uint32_t job = park.At(OBJECT_TABLE, "B", 40, 0)->GetID();
    const uint32_t far = park.At(OBJECT_TABLE, "B", 50, 0)->GetID();
    const uint32_t near = park.At(OBJECT_TABLE, "B", 30, 0)->GetID();
    board.AddAssigned(job, false, RepairManager::REPAIR_ZOO_VISIT);
    board.RequestRepair(far, RepairManager::REPAIR_ZOO_VISIT);
    park.Frames(2, 4.0f);
    uint32_t type = 0;
    EXPECT_EQ(board.LookForBetterJob({}, job, type), -1);
    board.RequestRepair(near, RepairManager::REPAIR_SERVICE);
    park.Frames(2, 4.0f);
    EXPECT_EQ(board.LookForBetterJob({}, job, type), -1);
    board.CancelRepair(near);
    board.RequestRepair(near, RepairManager::REPAIR_ZOO_VISIT);
    park.Frames(2, 4.0f);
    EXPECT_EQ(board.LookForBetterJob({}, job, type), static_cast<int32_t>(near));
    EXPECT_EQ(type, RepairManager::REPAIR_ZOO_VISIT);
    EXPECT_EQ(board.GetPending().back().RepairID, job);
}

TEST(RepairBoard, TheWorldScriptCountsTheMechanicsWaitingRequests)
{
    JobPark park;
    const auto breakdowns = [&] { return park.world->GetScriptVariable({WV_BreakdownCount, 0, 0.0f, nullptr}).data; };
    const uint32_t a = park.At(OBJECT_TABLE, "B", 10, 0)->GetID();
    const uint32_t b = park.At(OBJECT_TABLE, "B", 20, 0)->GetID();
    const uint32_t c = park.At(OBJECT_TABLE, "B", 30, 0)->GetID();
    const uint32_t d = park.At(OBJECT_TABLE, "B", 40, 0)->GetID();
    EXPECT_EQ(breakdowns(), 0u);
    // Waiting requests of every type, urgent or not, count; a job handed out and the zookeepers' board do not.
    park.mechanics.RequestRepair(a, RepairManager::REPAIR_SERVICE);
    park.mechanics.RequestRepair(b, RepairManager::REPAIR_BREAKDOWN);
    park.mechanics.RequestUrgentRepair(c, RepairManager::REPAIR_BREAKDOWN);
    park.mechanics.AddAssigned(d, false, RepairManager::REPAIR_BREAKDOWN);
    park.zoo.RequestRepair(d, RepairManager::REPAIR_ZOO_VISIT);
    EXPECT_EQ(breakdowns(), 3u);
    park.Frames(2, 4.0f);
    uint32_t type = 0;
    EXPECT_EQ(park.mechanics.FindJob({}, RepairManager::REPAIR_BREAKDOWN, type), static_cast<int32_t>(c));
    EXPECT_EQ(breakdowns(), 2u);
    park.mechanics.CancelRepair(a);
    EXPECT_EQ(breakdowns(), 1u);
}

TEST(RepairBoard, WateringFindsThePlantsThatComeAndGo)
{
    // The plants are drawn at random: the same draws whatever ran before.
    platform::SRand(1);
    JobPark park;
    RepairManager& board = park.mechanics;
    uint32_t type = 0;
    const auto water = [&] { return board.FindJob({}, RepairManager::REPAIR_WATERING, type); };
    EXPECT_EQ(water(), -1);
    // Scenery made after a search is searched; one removed is not, nor one whose place another object took.
    Stub* rock = park.At(OBJECT_SCENERY, "ROCK", 0, 0);
    EXPECT_EQ(water(), -1);
    Stub* plant = park.At(OBJECT_SCENERY, "PLANT", 0, 10);
    EXPECT_EQ(water(), static_cast<int32_t>(plant->GetID()));
    board.RemoveAssigned(plant->GetID());
    // The plant moves into the rock's place when the rock goes.
    park.objects->RemoveObject(rock->GetID());
    EXPECT_EQ(water(), static_cast<int32_t>(plant->GetID()));
    board.RemoveAssigned(plant->GetID());
    const uint32_t gone = plant->GetID();
    park.objects->RemoveObject(gone);
    Stub* table = park.At(OBJECT_TABLE, "B", 0, 0);
    EXPECT_EQ(std::pair(water(), table->GetType()), std::pair(-1, uint8_t{OBJECT_TABLE}));
    // A plant made while a rock goes, leaving as many other objects as before.
    Stub* rock2 = park.At(OBJECT_SCENERY, "ROCK", 0, 0);
    EXPECT_EQ(water(), -1);
    park.objects->RemoveObject(rock2->GetID());
    Stub* plant2 = park.At(OBJECT_SCENERY, "PLANT", 0, 10);
    EXPECT_EQ(water(), static_cast<int32_t>(plant2->GetID()));
    // Neither a plant already being watered nor one about to go is given out.
    EXPECT_EQ(water(), -1);
    board.RemoveAssigned(plant2->GetID());
    plant2->SetWaitingForDeath(true);
    EXPECT_EQ(water(), -1);
}

TEST(RepairBoard, FindsPlantsToWaterNearOrFar)
{
    JobPark park;
    RepairManager& board = park.mechanics;
    Stub* plant = park.At(OBJECT_SCENERY, "PLANT", 0, 0);
    uint32_t type = 0;
    // Within reach means nearer than 200 units.
    for (const auto& [distance, found] : {std::pair{200.0f, false}, {199.9f, true}})
    {
        plant->SetWorldPosition({0, distance, 0});
        const int32_t id = board.FindJob({}, RepairManager::REPAIR_WATERING, type);
        EXPECT_EQ(id, found ? static_cast<int32_t>(plant->GetID()) : -1) << distance;
    }
    EXPECT_EQ(type, RepairManager::REPAIR_WATERING);
    EXPECT_EQ(board.FindJob({}, RepairManager::REPAIR_WATERING, type), -1);
    board.ReturnJob(plant->GetID(), RepairManager::REPAIR_WATERING);
    EXPECT_TRUE(board.GetPending().empty());

    // A distant plant lies beyond 150 units on one draw in three, beyond 120 on the others.
    park.At(OBJECT_SCENERY, "BENCH", 1, 0);
    for (uint32_t seed = 1; seed <= 12; ++seed)
    {
        platform::SRand(seed);
        platform::RandomGenerator draws(seed);
        bool accepted = false;
        // Each try draws the plant, then, for the one that wants water, the limit.
        for (int attempt = 0; attempt < 2 && !accepted; ++attempt)
        {
            const bool isPlant = draws.Next() % 2 == 0;
            accepted = isPlant && draws.Next() % 3 != 0;
        }
        plant->SetWorldPosition({130.0f, 0, 0});
        const int32_t id = board.FindDistantWateringJob({});
        EXPECT_EQ(id, accepted ? static_cast<int32_t>(plant->GetID()) : -1) << seed;
        board.RemoveAssigned(plant->GetID());
    }
}

// ---------------------------------------------------------------- save records

TEST(JobBoards, SurviveASaveAndRefuseADamagedRecord)
{
    JobPark park;
    const uint32_t a = park.At(OBJECT_LITTER, "LITTER", 0, 0)->GetID();
    const uint32_t b = park.At(OBJECT_TABLE, "B", 0, 0)->GetID();
    park.cleaning.RequestUrgentCleaning(a);
    park.cleaning.AddAssigned(b, true);
    park.cleaning.SetCleaningStarted(b);
    park.mechanics.RequestRepair(b, 3);
    park.mechanics.AddAssigned(a, true, 2);
    park.feedback.AddMessage("FEEDBACK_NO_CLEANERS", a, 9);
    park.feedback.SetStaffMessageBits(0x5, OBJECT_MECHANIC);
    park.feedback.SuppressMessageType("MESS_TYPE_GUEST");
    park.feedback.SuppressMessageType("MESS_TYPE_WORLD");
    // Each record is read back whole; cut short it is refused and the manager keeps what it read before.
    const std::string file = park.dir.File("save.dat");
    const auto saveAndLoad = [&](const auto& saved, auto& loaded)
    {
        {
            BinarySerialStream out(true, file.c_str());
            saved.Dump(out);
            ASSERT_TRUE(out.Close());
        }
        const std::vector<uint8_t> bytes = testsupport::ReadBytes(file);
        for (size_t cut : {bytes.size(), bytes.size() / 2, bytes.size() - 3})
        {
            testsupport::WriteBytes(file, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
            BinarySerialStream in(false, file.c_str());
            EXPECT_EQ(loaded.Load(in), cut == bytes.size()) << cut;
        }
    };
    CleaningManager cleaning;
    RepairManager repairs;
    FeedbackManager feedback;
    saveAndLoad(park.cleaning, cleaning);
    saveAndLoad(park.mechanics, repairs);
    saveAndLoad(park.feedback, feedback);
    EXPECT_EQ(cleaning.GetPending().front().CleaningID, a);
    EXPECT_TRUE(cleaning.GetPending().front().bUrgent);
    EXPECT_TRUE(cleaning.GetAssigned().front().bCleaning);
    EXPECT_EQ(cleaning.GetActiveCount(), 1);
    EXPECT_EQ(repairs.GetPending().front().Type, 3u);
    EXPECT_EQ(repairs.GetAssignedType(a), 2u);
    EXPECT_EQ(feedback.GetLog().back().textId, "FEEDBACK_NO_CLEANERS");
    EXPECT_EQ(feedback.GetStaffMessageBits(OBJECT_MECHANIC), 0x5u);
    EXPECT_TRUE(feedback.IsSuppressed(0, 5) && feedback.IsWorldSuppressed());
}

} // namespace

namespace
{

// A request becomes due five game seconds after it was filed. A saved request whose filing time is no number, or
// lies after the saved park's present, would never become due (and a broken building would wait for its mechanic
// for good): it is taken as filed at the load, due five seconds on.
TEST(JobBoards, ALoadedRequestFiledAtNoTimeOrLaterThanThePresentBecomesDueFiveSecondsOn)
{
    // Later than the present by a minute, far later, or no number at all; the present itself.
    const float times[] = {60.0f, 1.0e30f, INFINITY, -INFINITY, std::nanf(""), 0.0f};
    for (float later : times)
    {
        SCOPED_TRACE(later);
        JobPark park;
        park.Frames(3, 0.25f);
        const float filed = park.world->GetGameTime();
        ASSERT_GT(filed, 0.0f);
        const float time = filed + later;
        const uint32_t kiosk = park.At(OBJECT_TABLE, "B", 40.0f, 0.0f)->GetID();
        park.mechanics.RequestRepair(kiosk, RepairManager::REPAIR_BREAKDOWN);
        savebytes::Bytes bytes = savebytes::Saved([&](SerialStream& out) { park.mechanics.Dump(out); });
        // The request's time, the float item after its distance (still 0).
        savebytes::Bytes was, now;
        savebytes::F32(was, 0.0f);
        savebytes::F32(was, filed);
        savebytes::F32(now, 0.0f);
        savebytes::F32(now, time);
        const auto at = std::search(bytes.begin(), bytes.end(), was.begin(), was.end());
        ASSERT_NE(at, bytes.end());
        std::copy(now.begin(), now.end(), at);
        RepairManager loaded;
        ASSERT_TRUE(savebytes::LoadFrom(bytes, [&](SerialStream& in) { return loaded.Load(in); }));
        uint32_t type = 99;
        EXPECT_EQ(loaded.FindJob({0, 0, 0}, RepairManager::REPAIR_BREAKDOWN, type), -1);
        while (park.world->GetGameTime() <= filed + 5.0f)
            park.Frames(1, 0.25f);
        EXPECT_EQ(loaded.FindJob({0, 0, 0}, RepairManager::REPAIR_BREAKDOWN, type), static_cast<int32_t>(kiosk));
        EXPECT_EQ(loaded.CountPendingRepairs(), 0);
    }
}

} // namespace
