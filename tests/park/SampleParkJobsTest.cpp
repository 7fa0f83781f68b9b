// The sample park's jobs in the game's World: the diner wears with its sales and breaks down, its repair job goes
// on the mechanics' board and a test mechanic (the test acting as a mechanic's script does) takes it and repairs
// it step by step; the toilet gets dirty and a
// test cleaner takes the job; the world script's ticker reaches the feedback log.
#include "engine/core/GameParameters.h"
#include "engine/render/ModelManager.h"
#include "park/ParkLayer.h"
#include "park/ParkManagers.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/park/JobsTestSupport.h"

#include <gtest/gtest.h>

using namespace jobstest;
using bldtest::Taken;

namespace
{

BuildingObject* Only(const char* type)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(type);
    return found.size() == 1 ? dynamic_cast<BuildingObject*>(found[0]) : nullptr;
}

bool Shows(BuildingObject* building, const char* part)
{
    const uint32_t bit = g_ModelManager.FindBoneMask(building->GetModel(), part);
    return bit != 0 && (building->GetBoneMask() & bit) != 0;
}

TEST(SampleParkJobs, ABrokenDinerIsRepairedByAMechanicAndADirtyToiletCleaned)
{
    testsupport::ScopedCurrentDir cwd(TW_SOURCE_DIR "/sample-data");
    testsupport::RecordingReportSink reports;
    GameParameters parameters("data/script/gameparameters.pis");
    bldtest::Inbox().clear();
    ClearObjectKinds();
    RegisterParkLayer();
    // The park's buildings; every other kind a stand-in.
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
    {
        if (kind != OBJECT_BUILDING)
            RegisterObjectKind(kind, []() -> BaseObject* { return new Stub; });
    }
    g_ModelManager.Init(1000, false);
    platform::SRand(1);
    {
        World world(nullptr, nullptr, "data/Scenario/SamplePark/SamplePark.pis", false);
        ASSERT_TRUE(world.IsBuilt());
        for (int frame = 0; frame < 30; ++frame)
            world.Update(1.0f / 30.0f);
        FeedbackManager* feedback = GetFeedbackManager();
        ASSERT_NE(feedback, nullptr);
        ASSERT_EQ(feedback->GetLog().size(), 1u);
        EXPECT_EQ(feedback->GetLog()[0].textId, "TICKER_PARK_OPEN");
        // The bins of the sample data are named as the cleaners look for them.
        EXPECT_NE(world.GetWorldParams()->FindScenery("Bin"), WorldParams::kNotFound);

        // 22 meals wear the diner to 0.56; then the half-daily checks break it down sooner or later.
        BuildingObject* diner = Only("DINER");
        ASSERT_NE(diner, nullptr);
        const uint32_t guest = g_pObjectManager->GetIdsOfKind(OBJECT_GUEST).at(0);
        for (int i = 0; i < 22; ++i)
        {
            MessageRecord sale;
            sale.dwSender = guest;
            sale.dwReciever = diner->GetID();
            sale.dwType = MT_IM_READY;
            sale.dwData = diner->GetServer(0);
            g_pMessageHandler->Send(sale);
        }
        EXPECT_TRUE(Shows(diner, "Water_dirt1"));
        for (int frame = 0; frame < 90 * 40 && !diner->IsBrokenDown(); ++frame)
            world.Update(4.0f);
        ASSERT_TRUE(diner->IsBrokenDown());
        EXPECT_FALSE(diner->IsOpen());
        EXPECT_TRUE(Shows(diner, "_smoke") && Shows(diner, "Water_dirt2"));
        RepairManager* mechanics = GetMechanicsRepair();
        ASSERT_EQ(mechanics->GetPending().size(), 1u);
        EXPECT_EQ(mechanics->GetPending().front().RepairID, diner->GetID());
        EXPECT_EQ(mechanics->GetPending().front().Type, RepairManager::REPAIR_BREAKDOWN);
        EXPECT_TRUE(GetZooRepair()->GetPending().empty());
        EXPECT_EQ(feedback->GetLog().back().ID, diner->GetID());

        // Hired after the breakdown, a mechanic waits until the job is five seconds old, takes it and works on it
        // a step a game second while the diner asks for more.
        BaseObject* mechanic = g_pObjectManager->CreateObject("MECHANIC", OBJECT_MECHANIC);
        mechanic->SetType(OBJECT_MECHANIC);
        world.Update(4.0f);
        world.Update(4.0f);
        uint32_t type = 0;
        const int32_t job = mechanics->FindJob(mechanic->GetWorldPosition(), RepairManager::REPAIR_BREAKDOWN, type);
        ASSERT_EQ(job, static_cast<int32_t>(diner->GetID()));
        mechanics->SetRepairStarted(diner->GetID());
        EXPECT_EQ(mechanics->GetRepairState(diner->GetID()), RepairManager::STATE_REPAIRING);
        MessageRecord step;
        step.dwSender = mechanic->GetID();
        step.dwReciever = diner->GetID();
        step.dwType = MT_REPAIR;
        step.dwData = type;
        for (int i = 0; i < 20 && Taken(MT_REPAIRS_FINISHED, mechanic->GetID()).empty(); ++i)
        {
            mechanic->PostDelayedMessage(step, 1.0f);
            world.Update(1.0f);
            world.Update(0.5f);
        }
        EXPECT_EQ(Taken(MT_REPAIRS_FINISHED, mechanic->GetID()).size(), 1u);
        // From 0.56 the repair takes five steps.
        EXPECT_EQ(Taken(MT_MORE_REPAIRS, mechanic->GetID()).size(), 4u);
        mechanics->RemoveAssigned(diner->GetID());
        EXPECT_FALSE(diner->IsBrokenDown());
        EXPECT_TRUE(diner->IsOpen());
        EXPECT_FLOAT_EQ(diner->GetRepairCondition(), 1.0f);
        EXPECT_FALSE(Shows(diner, "_smoke") || Shows(diner, "Water_dirt1") || Shows(diner, "Water_dirt2"));
        EXPECT_TRUE(mechanics->GetPending().empty() && mechanics->GetAssigned().empty());

        // Thirteen visits bring the flies to the toilet and a cleaning job; the cleaner who takes it cleans it.
        BuildingObject* toilet = Only("RESTSMALL");
        ASSERT_NE(toilet, nullptr);
        for (int i = 0; i < 13; ++i)
        {
            MessageRecord visit;
            visit.dwSender = guest;
            visit.dwReciever = toilet->GetID();
            visit.dwType = MT_REQUEST_COMMOD;
            g_pMessageHandler->Send(visit);
        }
        EXPECT_TRUE(Shows(toilet, "FLYSWARM"));
        CleaningManager* cleaning = GetCleaningManager();
        int32_t kind = -1;
        const BaseObject* cleaner = g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER).at(0);
        ASSERT_EQ(cleaning->FindBestScoredJob(cleaner->GetWorldPosition(), kind, true, true, true),
                  static_cast<int32_t>(toilet->GetID()));
        EXPECT_EQ(kind, CleaningManager::JOB_TOILET);
        cleaning->SetCleaningStarted(toilet->GetID());
        EXPECT_EQ(cleaning->GetCleaningState(toilet->GetID()), CleaningManager::CLEAN_CLEANING);
        toilet->ResetCleanliness();
        cleaning->FinishJob(toilet->GetID());
        EXPECT_FALSE(Shows(toilet, "FLYSWARM"));
        EXPECT_EQ(cleaning->GetCleaningState(toilet->GetID()), CleaningManager::CLEAN_NOT_NEEDED);
    }
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
    UnregisterParkLayer();
}

} // namespace
