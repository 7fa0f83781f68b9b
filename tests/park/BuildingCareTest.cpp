// Tests of the building's care: wear with each sale and the service request, breakdowns by wear and by chance
// (and none while a scenario turns them off), the mechanics' repair steps, the zookeepers' visits and the care of
// the animals, and toilets that get dirty and call cleaners.
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "tests/park/JobsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <utility>

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

TEST(BuildingCare, KeepsItsConditionBetweenNothingAndNewWhateverTheDecay)
{
    // Two sales: a decay that is no number wears nothing, one below nothing mends no further than new, an
    // endless or huge one breaks the building down.
    const struct
    {
        float decay;
        const char16_t* shown;
        bool broken;
    } cases[] = {{NAN, u"100%", false},    {-1e30f, u"100%", false}, {-INFINITY, u"100%", false},
                 {-0.25f, u"100%", false}, {0.25f, u"50%", false},   {INFINITY, u"0%", true},
                 {1e30f, u"0%", true}};
    for (const auto& c : cases)
    {
        JobPark park(c.decay);
        BuildingObject* kiosk = park.Small("KIOSK", 10);
        for (int i = 0; i < 2; ++i)
            park.Sale(kiosk);
        const float condition = kiosk->GetRepairCondition();
        EXPECT_TRUE(condition >= 0.0f && condition <= 1.0f) << c.decay << " " << condition;
        EXPECT_EQ(Keyword(kiosk, "BUILDING_REPAIRSTATE_%"), c.shown) << c.decay;
        EXPECT_EQ(kiosk->IsBrokenDown(), c.broken) << c.decay;
    }
}

TEST(BuildingCare, RunsOneChainOfBreakdownChecksOfItsOwn)
{
    // Worn out, with no mechanic called: any check of its own breaks it down.
    JobPark park(0.125f);
    BuildingObject* kiosk = park.Small("KIOSK", 10);
    const uint32_t id = kiosk->GetID();
    for (int i = 0; i < 8; ++i)
        park.Sale(kiosk);
    park.mechanics.CancelRepair(id);
    const auto checks = [&]
    {
        size_t n = 0;
        for (const MessageRecord& m : park.messages->GetPendingMessages())
            n += m.dwType == MT_UPDATE_BREAKDOWN && m.dwReciever == id ? 1 : 0;
        return n;
    };
    ASSERT_EQ(checks(), 1u);
    // A check from anyone else is none.
    for (uint32_t from : {park.Make(OBJECT_GUEST)->GetID(), park.Make(OBJECT_MECHANIC)->GetID(), kWorldID, kNoObjectID})
    {
        park.Send(from, id, MT_UPDATE_BREAKDOWN);
        EXPECT_EQ(std::pair(kiosk->IsBrokenDown(), checks()), std::pair(false, size_t{1})) << from;
    }
    // Its own check out of turn is taken and starts the chain afresh: the check that was waiting (due 120 s
    // after the building was finished) is passed over when it comes, the new one (due at 130 s) posts the next.
    const float start = park.world->GetGameTime();
    park.Frames(5, 2.0f);
    park.Send(id, id, MT_UPDATE_BREAKDOWN);
    EXPECT_EQ(std::pair(kiosk->IsBrokenDown(), checks()), std::pair(true, size_t{2}));
    for (float until : {125.0f, 135.0f, 260.0f})
    {
        while (park.world->GetGameTime() < start + until)
            park.Frames(1, 1.0f);
        EXPECT_EQ(checks(), 1u) << until;
    }
}

TEST(BuildingCare, TakesWorkAndCallsOnlyFromThoseWhoDoThem)
{
    // A broken kiosk answers a mechanic's repair step (type 1), a pool of two fish a zookeeper's visit (type 3)
    // and its arrival, and files a zookeeper's visit when it or one of its animals calls; from anyone else these
    // are ignored.
    JobPark park(1.5f);
    BuildingObject* kiosk = park.Small("KIOSK", 10);
    BuildingObject* pool = park.Small("POOL", 12);
    park.Sale(kiosk);
    ASSERT_TRUE(kiosk->IsBrokenDown());
    for (int i = 0; i < 2; ++i)
        pool->AdoptAnimal(0);
    const uint32_t guest = park.Make(OBJECT_GUEST)->GetID(), mechanic = park.Make(OBJECT_MECHANIC)->GetID(),
                   keeper = park.Make(OBJECT_ZOOKEEPER)->GetID(), fish = pool->GetAnimal(0),
                   stranger = park.Make(OBJECT_ANIMAL, "FISH")->GetID();
    const auto answers = [&](uint32_t worker)
    { return park.Got(worker, MT_MORE_REPAIRS) + park.Got(worker, MT_REPAIRS_FINISHED); };
    const struct
    {
        BuildingObject* building;
        uint32_t message;
        uint32_t data;
        uint32_t from;
        std::function<size_t()> measure;
        size_t moved;
    } cases[] = {
        {kiosk, MT_REPAIR, 1, guest, [&] { return answers(guest); }, 0},
        {kiosk, MT_REPAIR, 1, keeper, [&] { return answers(keeper); }, 0},
        {kiosk, MT_REPAIR, 1, mechanic, [&] { return answers(mechanic); }, 1},
        {pool, MT_REPAIR, 3, mechanic, [&] { return answers(mechanic); }, 0},
        {pool, MT_REPAIR, 3, guest, [&] { return answers(guest); }, 0},
        {pool, MT_REPAIR, 3, keeper, [&] { return answers(keeper); }, 1},
        {pool, MT_REPAIR_STARTING, 3, guest, [&] { return park.Got(fish, MT_ANIMAL_FEEDING_TIME); }, 0},
        {pool, MT_REPAIR_STARTING, 3, mechanic, [&] { return park.Got(fish, MT_ANIMAL_FEEDING_TIME); }, 0},
        {pool, MT_REPAIR_STARTING, 3, keeper, [&] { return park.Got(fish, MT_ANIMAL_FEEDING_TIME); }, 1},
        {pool, MT_CALL_ZOO, 0, guest, [&] { return park.zoo.GetPending().size(); }, 0},
        {pool, MT_CALL_ZOO, 0, stranger, [&] { return park.zoo.GetPending().size(); }, 0},
        {pool, MT_CALL_ZOO, 0, fish, [&] { return park.zoo.GetPending().size(); }, 1},
    };
    for (const auto& c : cases)
    {
        const size_t before = c.measure();
        park.Tell(c.building, c.from, c.message, c.data);
        EXPECT_EQ(c.measure() - before, c.moved) << c.message << " " << c.data << " from " << c.from;
    }
    // The pool calls for itself too. Its unhappy fish call a keeper who waits until they have eaten: a
    // stranger's news of it leaves him waiting; after the fish's own, he sees each of the two and is done.
    park.zoo.CancelRepair(pool->GetID());
    park.Tell(pool, pool->GetID(), MT_CALL_ZOO, 0);
    EXPECT_EQ(park.zoo.GetPending().size(), 1u);
    park.zoo.CancelRepair(pool->GetID());
    for (int i = 0; i < 2; ++i)
        dynamic_cast<Animal*>(park.objects->GetObject(pool->GetAnimal(i)))->happiness = 0.0f;
    park.Frames(1);
    ASSERT_EQ(park.zoo.GetPending().size(), 1u);
    const auto step = [&]
    {
        const size_t before = park.Got(keeper, MT_REPAIRS_FINISHED);
        park.Tell(pool, keeper, MT_REPAIR, RepairManager::REPAIR_ZOO_VISIT);
        return park.Got(keeper, MT_REPAIRS_FINISHED) - before;
    };
    std::vector<size_t> finished;
    for (uint32_t from : {stranger, guest})
    {
        park.Tell(pool, from, MT_ANIMAL_EAT_NOW, 0);
        finished.push_back(step());
    }
    park.Tell(pool, fish, MT_ANIMAL_EAT_NOW, 0);
    for (int i = 0; i < 2; ++i)
        finished.push_back(step());
    EXPECT_EQ(finished, (std::vector<size_t>{0, 0, 0, 1}));
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

TEST(BuildingCare, AServiceUnderWayIsNotSetBackBySales)
{
    // Worn to 0.48, the kiosk asks for a service; a mechanic takes it and works a step between each two sales.
    // The sales wear the kiosk on, but the service goes on from where it was: done at the sixth step (0.48 + 6 x
    // 0.1), with the kiosk as new. While no mechanic has taken the job yet, the sales still count.
    for (int before : {0, 6})
    {
        JobPark park(0.02f);
        BuildingObject* kiosk = park.Small("KIOSK", 10);
        const uint32_t mechanic = park.Make(OBJECT_MECHANIC)->GetID();
        for (int i = 0; i < 26 + before; ++i)
            park.Sale(kiosk);
        ASSERT_EQ(park.mechanics.GetPending().size(), 1u);
        // The request waits its while on the board; the mechanic takes it and sets off, as his script does.
        park.Frames(3, 2.0f);
        uint32_t type = 0;
        ASSERT_EQ(park.mechanics.FindJob(kiosk->GetWorldPosition(), RepairManager::REPAIR_SERVICE, type),
                  static_cast<int32_t>(kiosk->GetID()));
        kiosk->SetRepairing(true);
        // From 0.48 six steps; from 0.36, when six more sales came before the mechanic took the job, seven.
        const int steps = before == 0 ? 6 : 7;
        for (int step = 1; step <= steps; ++step)
        {
            park.Tell(kiosk, mechanic, MT_REPAIR, RepairManager::REPAIR_SERVICE);
            if (step < steps)
                park.Sale(kiosk);
        }
        EXPECT_EQ(park.Got(mechanic, MT_MORE_REPAIRS), static_cast<size_t>(steps - 1)) << before;
        EXPECT_EQ(park.Got(mechanic, MT_REPAIRS_FINISHED), 1u) << before;
        EXPECT_EQ(Keyword(kiosk, "BUILDING_REPAIRSTATE_%"), u"100%") << before;
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

// A guest at the head of the queue asks again and again while the toilet is full; only a guest the toilet takes
// uses it.
TEST(BuildingCare, AToiletIsUsedByTheGuestsItTakesNotByThoseWaitingForRoom)
{
    const struct
    {
        int inside; // guests the toilet has taken, of its four places
        int asks;   // requests of the guest at the head of the queue
        const char16_t* cleanliness;
    } cases[] = {{0, 1, u"0.96"}, {3, 1, u"0.96"}, {4, 1, u"1.00"}, {4, 10, u"1.00"}};
    for (const auto& c : cases)
    {
        JobPark park;
        BuildingObject* toilet = park.Small("RESTSMALL", 10);
        for (int i = 0; i < c.inside; ++i)
            park.Send(park.Make(OBJECT_GUEST)->GetID(), toilet->GetID(), MT_PRICE_OK);
        const uint32_t head = park.Make(OBJECT_GUEST)->GetID();
        for (int i = 0; i < c.asks; ++i)
            park.Send(head, toilet->GetID(), MT_REQUEST_COMMOD);
        EXPECT_EQ(Keyword(toilet, "BUILDING_CLEANLINESS"), c.cleanliness) << c.inside << " " << c.asks;
    }
}

} // namespace

namespace
{

// A ride's guest already inside when the building was sold rides on and pays; a breakdown from that last use must
// not keep the building standing for a mechanic that nobody will send.
TEST(BuildingCare, ABuildingBeingPulledDownThatWearsOutStillGoes)
{
    for (float decay : {0.125f, 1.5f})
    {
        JobPark park(decay);
        BuildingObject* kiosk = park.Small("KIOSK", 10);
        const uint32_t id = kiosk->GetID();
        const uint32_t guest = park.Make(OBJECT_GUEST)->GetID();
        park.Send(guest, id, MT_PRICE_OK);
        kiosk->Sell();
        ASSERT_TRUE(kiosk->IsBeingDemolished()) << decay;
        park.Send(guest, id, MT_IM_READY);
        EXPECT_TRUE(park.mechanics.GetPending().empty()) << decay;
        kiosk->RemoveGuest(guest);
        park.Frames(3);
        EXPECT_EQ(park.objects->GetObject(id), nullptr) << decay;
    }
}

} // namespace
