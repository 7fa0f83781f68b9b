// The sample park's jobs in the game's World: the diner wears with its sales and breaks down, its repair job goes
// on the mechanics' board and a test mechanic takes it and repairs it step by step; the toilet gets dirty and a
// test cleaner takes the job; the world script's ticker reaches the feedback log.
#include "engine/core/GameParameters.h"
#include "engine/render/ModelManager.h"
#include "park/ParkManagers.h"
#include "park/ParkObjectKinds.h"
#include "park/ParkWorldServices.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/park/JobsTestSupport.h"

#include <gtest/gtest.h>

using namespace jobstest;

namespace
{

// A mechanic as its script works: it takes the job of its kind, reports its arrival, and sends one work step a
// game second until the building is done, then ends the job.
class Mechanic : public Stub
{
public:
    void Work()
    {
        uint32_t type = 0;
        job = GetMechanicsRepair()->FindJob(m_WorldXYZ, RepairManager::REPAIR_BREAKDOWN, type);
        if (job < 0)
            return;
        GetMechanicsRepair()->SetRepairStarted(static_cast<uint32_t>(job));
        Step(MT_REPAIR_STARTING, type);
        Step(MT_REPAIR, type);
    }
    bool Message(const MessageRecord& record) override
    {
        if (record.dwType == MT_MORE_REPAIRS)
            Step(MT_REPAIR, RepairManager::REPAIR_BREAKDOWN, 1.0f);
        if (record.dwType == MT_REPAIRS_FINISHED)
        {
            GetMechanicsRepair()->RemoveAssigned(static_cast<uint32_t>(job));
            ++finished;
        }
        return Stub::Message(record);
    }
    void Step(uint32_t type, uint32_t data, float delay = 0.0f)
    {
        MessageRecord record;
        record.dwSender = m_dwID;
        record.dwReciever = static_cast<uint32_t>(job);
        record.dwType = type;
        record.dwData = data;
        PostDelayedMessage(record, delay);
    }
    int32_t job = -1;
    int finished = 0;
};

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
    ClearObjectKinds();
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
        RegisterObjectKind(kind, []() -> BaseObject* { return new Stub; });
    RegisterObjectKind(OBJECT_MECHANIC, []() -> BaseObject* { return new Mechanic; });
    RegisterParkObjectKinds();
    RegisterParkWorldServices();
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

        // Hired after the breakdown, a mechanic waits until the job is five seconds old, takes it and repairs.
        auto* mechanic = dynamic_cast<Mechanic*>(g_pObjectManager->CreateObject("MECHANIC", OBJECT_MECHANIC));
        ASSERT_NE(mechanic, nullptr);
        mechanic->SetType(OBJECT_MECHANIC);
        world.Update(4.0f);
        world.Update(4.0f);
        mechanic->Work();
        ASSERT_EQ(mechanic->job, static_cast<int32_t>(diner->GetID()));
        EXPECT_EQ(mechanics->GetRepairState(diner->GetID()), RepairManager::STATE_REPAIRING);
        for (int frame = 0; frame < 60 && mechanic->finished == 0; ++frame)
            world.Update(0.5f);
        EXPECT_EQ(mechanic->finished, 1);
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
        int32_t type = -1;
        const BaseObject* cleaner = g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER).at(0);
        ASSERT_EQ(cleaning->FindBestScoredJob(cleaner->GetWorldPosition(), type, true, true, true),
                  static_cast<int32_t>(toilet->GetID()));
        EXPECT_EQ(type, CleaningManager::JOB_TOILET);
        cleaning->SetCleaningStarted(toilet->GetID());
        EXPECT_EQ(cleaning->GetCleaningState(toilet->GetID()), CleaningManager::CLEAN_CLEANING);
        toilet->ResetCleanliness();
        cleaning->FinishJob(toilet->GetID());
        EXPECT_FALSE(Shows(toilet, "FLYSWARM"));
        EXPECT_EQ(cleaning->GetCleaningState(toilet->GetID()), CleaningManager::CLEAN_NOT_NEEDED);
    }
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
    ClearObjectKinds();
    SetParkServices(nullptr);
}

} // namespace
