// Tests of the building's care: wear with each sale and the service request, breakdowns by wear and by chance
// (and none while a scenario turns them off), the mechanics' repair steps, the zookeepers' visits and the care of
// the animals, and toilets that get dirty and call cleaners.
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "tests/park/JobsTestSupport.h"

#include <gtest/gtest.h>

using namespace jobstest;

namespace
{

platform::WString Keyword(BuildingObject* building, const char* keyword)
{
    platform::WString text;
    building->GetVariable(keyword, text);
    return text;
}

TEST(BuildingCare, WearsWithEachSaleAndAsksForAServiceBelowHalf)
{
    const struct
    {
        int sales;
        const char16_t* condition;
        bool filed;
        uint32_t calls;
    } cases[] = {{0, u"100%", false, 0}, {3, u"62%", false, 0}, {4, u"50%", false, 0},
                 {5, u"37%", true, 0},   {6, u"25%", true, 1},  {9, u"0%", true, 4}};
    for (const auto& c : cases)
    {
        JobPark park(0.125f);
        BuildingObject* kiosk = park.Small("KIOSK", 10);
        for (int i = 0; i < c.sales; ++i)
            park.Sale(kiosk);
        EXPECT_EQ(Keyword(kiosk, "BUILDING_REPAIRSTATE_%"), c.condition) << c.sales;
        ASSERT_EQ(park.mechanics.GetPending().size(), c.filed ? 1u : 0u) << c.sales;
        // Worn out with a service already asked for, it keeps working until the mechanic comes.
        EXPECT_FALSE(kiosk->IsBrokenDown()) << c.sales;
        if (!c.filed)
            continue;
        EXPECT_EQ(park.mechanics.GetPending().front().Type, RepairManager::REPAIR_SERVICE) << c.sales;
        EXPECT_EQ(park.mechanics.GetPending().front().iCalls, c.calls) << c.sales;
    }
}

TEST(BuildingCare, BreaksDownByWearClosesAndCallsAMechanicUnlessBreakdownsAreOff)
{
    for (bool allowed : {true, false})
    {
        JobPark park(1.5f);
        const auto texts = MakeTexts(park.dir, u"FEEDBACK_BUILDING_BROKEN=%s is broken|FAN_KIOSK=Tea Kiosk");
        BuildingObject* kiosk = park.Small("KIOSK", 10);
        const uint32_t guest = park.Make(OBJECT_GUEST)->GetID();
        park.world->m_bBreakDownsAllowed = allowed;
        park.Sale(kiosk);
        EXPECT_EQ(kiosk->IsBrokenDown(), allowed);
        EXPECT_EQ(kiosk->IsOpen(), !allowed);
        EXPECT_FALSE(kiosk->IsUserClosed());
        EXPECT_EQ(park.Got(guest, MT_BUILDING_CLOSING), allowed ? 1u : 0u);
        EXPECT_EQ(kiosk->GetNumFaults(), allowed ? 1 : 0);
        ASSERT_EQ(park.mechanics.GetPending().size(), 1u);
        EXPECT_EQ(park.mechanics.GetPending().front().Type, allowed ? RepairManager::REPAIR_BREAKDOWN : 0u);
        EXPECT_TRUE(park.zoo.GetPending().empty());
        EXPECT_EQ(Keyword(kiosk, "BUILDING_REPAIRSTATE_%"), u"0%");
        if (!allowed)
            continue;
        ASSERT_EQ(park.feedback.GetLog().size(), 1u);
        EXPECT_EQ(park.feedback.GetLog()[0].wideText, u"Tea Kiosk is broken");
        EXPECT_EQ(park.feedback.GetLog()[0].ID, kiosk->GetID());
        // A broken building cannot be opened until it is repaired.
        kiosk->Open();
        EXPECT_FALSE(kiosk->IsOpen());
    }
}

TEST(BuildingCare, BreaksDownByChanceAtOneLessItsCondition)
{
    // Half worn; the check draws once from the game's generator.
    for (uint32_t seed = 1; seed <= 8; ++seed)
    {
        for (bool allowed : {true, false})
        {
            JobPark park(0.125f);
            BuildingObject* kiosk = park.Small("KIOSK", 10);
            for (int i = 0; i < 4; ++i)
                park.Sale(kiosk);
            park.world->m_bBreakDownsAllowed = allowed;
            platform::SRand(seed);
            platform::RandomGenerator draws(seed);
            const bool breaks = allowed && 0.5f < static_cast<float>(draws.Next()) / 32767.0f;
            park.Send(kiosk->GetID(), kiosk->GetID(), MT_UPDATE_BREAKDOWN);
            EXPECT_EQ(kiosk->IsBrokenDown(), breaks) << seed;
            // The check comes again half a day later.
            const MessageRecord next = park.messages->GetPendingMessages().back();
            EXPECT_EQ(next.dwType, static_cast<uint32_t>(MT_UPDATE_BREAKDOWN)) << seed;
            EXPECT_FLOAT_EQ(next.fTime, park.world->GetGameTime() + 120.0f) << seed;
        }
    }
    // From the end of construction the checks run by themselves: a worn-out building with no mechanic called
    // breaks down at the first; one in new condition never does.
    JobPark park(0.125f);
    BuildingObject* worn = park.Small("KIOSK", 10);
    BuildingObject* fresh = park.Small("KIOSK", 12);
    for (int i = 0; i < 8; ++i)
        park.Sale(worn);
    park.mechanics.CancelRepair(worn->GetID());
    park.Frames(61, 2.0f);
    EXPECT_TRUE(worn->IsBrokenDown());
    EXPECT_FALSE(fresh->IsBrokenDown());
}

TEST(BuildingCare, IsRepairedStepByStepFromItsConditionWhenCalled)
{
    const struct
    {
        float decay;
        int sales;
        int steps;
    } cases[] = {{1.5f, 1, 10}, {0.125f, 5, 7}, {0.125f, 6, 8}};
    for (const auto& c : cases)
    {
        JobPark park(c.decay);
        const auto texts = MakeTexts(
            park.dir,
            u"FEEDBACK_BUILDING_REPAIRED=%s works again|FAN_KIOSK=Tea Kiosk|BI_LAST_INSPECT_FORMAT=%02d:%02d day %d");
        BuildingObject* kiosk = park.Small("KIOSK", 10);
        const uint32_t mechanic = park.Make(OBJECT_MECHANIC)->GetID();
        for (int i = 0; i < c.sales; ++i)
            park.Sale(kiosk);
        const bool broken = kiosk->IsBrokenDown();
        park.Tell(kiosk, mechanic, MT_REPAIR, RepairManager::REPAIR_WATERING);
        for (int step = 1; step <= c.steps; ++step)
        {
            park.Tell(kiosk, mechanic, MT_REPAIR, broken ? 1 : 0);
            EXPECT_EQ(park.Got(mechanic, MT_MORE_REPAIRS), static_cast<size_t>(step < c.steps ? step : c.steps - 1))
                << c.decay << " step " << step;
            EXPECT_EQ(park.Got(mechanic, MT_REPAIRS_FINISHED), step < c.steps ? 0u : 1u) << c.decay << " " << step;
        }
        EXPECT_FALSE(kiosk->IsBrokenDown());
        EXPECT_TRUE(kiosk->IsOpen());
        EXPECT_EQ(Keyword(kiosk, "BUILDING_REPAIRSTATE_%"), u"100%");
        EXPECT_EQ(Keyword(kiosk, "BUILDING_LASTINSPECT"), u"09:00 day 1");
        EXPECT_EQ(park.feedback.GetLog().size(), broken ? 2u : 0u);
        if (broken)
        {
            EXPECT_EQ(park.feedback.GetLog()[1].wideText, u"Tea Kiosk works again");
        }
    }
}

TEST(BuildingCare, ZookeepersVisitEachAnimalAndWaitForAFeeding)
{
    JobPark park;
    BuildingObject* pool = park.Small("POOL", 10);
    const uint32_t keeper = park.Make(OBJECT_ZOOKEEPER)->GetID();
    // A visit the player asked for where no animal was ever counted ends at the first step.
    park.Tell(pool, keeper, MT_REPAIR, RepairManager::REPAIR_ZOO_VISIT);
    EXPECT_EQ(park.Got(keeper, MT_REPAIRS_FINISHED), 1u);

    for (int i = 0; i < 3; ++i)
        pool->AdoptAnimal(0);
    ASSERT_EQ(pool->GetAnimalCount(), 3);
    std::vector<Animal*> animals;
    for (int i = 0; i < 3; ++i)
        animals.push_back(dynamic_cast<Animal*>(park.objects->GetObject(pool->GetAnimal(i))));
    // The daily call: one visit of three steps; the mechanics' board is not told.
    park.Send(pool->GetID(), pool->GetID(), MT_CALL_ZOO);
    park.Send(pool->GetID(), pool->GetID(), MT_CALL_ZOO);
    ASSERT_EQ(park.zoo.GetPending().size(), 1u);
    EXPECT_EQ(park.zoo.GetPending().front().Type, RepairManager::REPAIR_ZOO_VISIT);
    EXPECT_TRUE(park.mechanics.GetPending().empty());
    park.Tell(pool, keeper, MT_REPAIR_STARTING, RepairManager::REPAIR_ZOO_VISIT);
    for (int step = 0; step < 3; ++step)
        park.Tell(pool, keeper, MT_REPAIR, RepairManager::REPAIR_ZOO_VISIT);
    EXPECT_EQ(park.Got(keeper, MT_MORE_REPAIRS), 2u);
    EXPECT_EQ(park.Got(keeper, MT_REPAIRS_FINISHED), 2u);
    for (Animal* animal : animals)
    {
        EXPECT_EQ(park.Got(animal->GetID(), MT_ANIMAL_FEEDING_TIME), 1u);
        EXPECT_EQ(park.Got(animal->GetID(), MT_ANIMAL_ZOO_VISITED), 1u);
    }

    // Unhappy animals call a zookeeper, who waits until they have eaten.
    park.zoo.CancelRepair(pool->GetID());
    park.Frames(1);
    EXPECT_TRUE(park.zoo.GetPending().empty());
    animals[1]->happiness = animals[2]->happiness = 0.0f;
    park.Frames(2);
    ASSERT_EQ(park.zoo.GetPending().size(), 1u);
    for (int step = 0; step < 2; ++step)
        park.Tell(pool, keeper, MT_REPAIR, RepairManager::REPAIR_ZOO_VISIT);
    EXPECT_EQ(park.Got(keeper, MT_MORE_REPAIRS), 4u);
    park.Tell(pool, animals[0]->GetID(), MT_ANIMAL_EAT_NOW, 0);
    for (int step = 0; step < 3; ++step)
        park.Tell(pool, keeper, MT_REPAIR, RepairManager::REPAIR_ZOO_VISIT);
    EXPECT_EQ(park.Got(keeper, MT_MORE_REPAIRS), 6u);
    EXPECT_EQ(park.Got(keeper, MT_REPAIRS_FINISHED), 3u);
}

TEST(BuildingCare, ToiletsGetDirtyWithUseAndCallCleaners)
{
    const struct
    {
        int uses;
        const char16_t* cleanliness;
        bool filed;
        bool urgent;
    } cases[] = {{12, u"0.52", false, false},
                 {13, u"0.48", true, false},
                 {24, u"0.04", true, false},
                 {25, u"0.00", true, true},
                 {40, u"0.00", true, true}};
    for (const auto& c : cases)
    {
        JobPark park;
        BuildingObject* toilet = park.Small("RESTSMALL", 10);
        const uint32_t guest = park.Make(OBJECT_GUEST)->GetID();
        for (int i = 0; i < c.uses; ++i)
            park.Send(guest, toilet->GetID(), MT_REQUEST_COMMOD);
        EXPECT_EQ(Keyword(toilet, "BUILDING_CLEANLINESS"), c.cleanliness) << c.uses;
        ASSERT_EQ(park.cleaning.GetPending().size(), c.filed ? 1u : 0u) << c.uses;
        if (c.filed)
        {
            EXPECT_EQ(park.cleaning.GetPending().front().bUrgent, c.urgent) << c.uses;
        }
    }
    // A toilet being cleaned asks for nothing more; a cleaned one is fresh again.
    JobPark park;
    BuildingObject* toilet = park.Small("RESTSMALL", 10);
    toilet->SetCleaning(true);
    for (int i = 0; i < 20; ++i)
        park.Send(kNoObjectID, toilet->GetID(), MT_REQUEST_COMMOD);
    EXPECT_TRUE(park.cleaning.GetPending().empty());
    toilet->ResetCleanliness();
    EXPECT_EQ(Keyword(toilet, "BUILDING_CLEANLINESS"), u"1.00");
}

} // namespace
