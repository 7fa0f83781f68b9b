// The guest behaviour script of the sample data driving guests of the small test park through whole visits.
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "scripts/ObjectStates.h"
#include "tests/park/GuestTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using guesttest::GuestPark;
using guesttest::WatchedGuest;

// The sample guests' own script, read from the sample data (the park's current folder).
void UseSampleScript(GuestPark& park)
{
    park.script.Load("data/Scripts/GuestLogic.pis");
    ASSERT_GT(park.script.GetNumStates(), 10u);
}

// A guest short of money goes to the park's cash machine and comes away with money to spend.
TEST(GuestLogic, AGuestShortOfMoneyLeavesTheCashMachineWithMoney)
{
    GuestPark park(48);
    UseSampleScript(park);
    BuildingObject* bank = park.Shop("BANK", 2, 10);
    WatchedGuest* guest = park.Guest(1 * 32 + 16, 7 * 64 + 32);
    guest->SetCash(10.0f);
    park.Send(guest->GetID(), guest->GetID(), MT_STATECHANGE, STATE_GUEST_SEARCH_DESIRE);
    ASSERT_EQ(guest->GetState(), STATE_GUEST_HEADING_DESIRE);
    ASSERT_EQ(guest->GetDestObjectID(), bank->GetID());
    // Until the visit is over.
    bool served = false;
    for (int frame = 0; frame < 3000 && !served; ++frame)
    {
        park.Frames(1, 0.1f);
        served = !guest->Got(MT_SERVED_COMMOD).empty();
    }
    ASSERT_TRUE(served);
    EXPECT_FALSE(guest->NeedsCash());
    EXPECT_GE(guest->GetCash(), GuestObject::kLowCash);
}

// The thoughts of a guest, newest first, each without its variant's number.
std::vector<std::u16string> Thoughts(const GuestPark& park, const GuestObject& guest)
{
    std::vector<std::u16string> thoughts;
    for (int slot = 0; slot < GuestObject::kThoughtSlots; ++slot)
    {
        if (guest.GetThought(slot) < 0)
            continue;
        const std::u16string text = park.texts->GetTextByIndex(guest.GetThought(slot));
        thoughts.push_back(text.substr(0, text.size() - 2));
    }
    return thoughts;
}

// A guest watches the animals of an exhibit from a view point; what it makes of its visit counts what it made of
// the animals: a visit of a good queue (+1), a fair price (0) and the animals' welfare (+1 good, -1 bad).
TEST(GuestLogic, AVisitToAnimalsIsJudgedWithTheAnimalsSeen)
{
    struct Case
    {
        float happiness;
        const char16_t* welfare;
        const char16_t* visit;
    };
    const Case cases[] = {{0.9f, u"WELFARE_GOOD", u"ACTIVITY_GOOD"}, {0.1f, u"WELFARE_BAD", u"ACTIVITY_AVERAGE"}};
    for (const Case& c : cases)
    {
        GuestPark park(48);
        UseSampleScript(park);
        BuildingObject* zoo = park.Shop("ZOO", 2, 10);
        zoo->AdoptAnimal(0);
        ASSERT_EQ(zoo->GetAnimalCount(), 1);
        dynamic_cast<jobstest::Animal*>(park.objects->GetObject(zoo->GetAnimal(0)))->happiness = c.happiness;
        WatchedGuest* guest = park.Guest(1 * 32 + 16, 7 * 64 + 32);
        for (int32_t d = 0; d < GuestObject::DESIRE_COUNT; ++d)
            guest->SetDesire(d, d == GuestObject::DESIRE_ANIMAL_ATTRACT ? 0.9f : 0.0f);
        park.Send(guest->GetID(), guest->GetID(), MT_STATECHANGE, STATE_GUEST_SEARCH_DESIRE);
        ASSERT_EQ(guest->GetDestObjectID(), zoo->GetID());
        // Until the guest is out again.
        bool out = false;
        for (int frame = 0; frame < 3000 && !out; ++frame)
        {
            park.Frames(1, 0.1f);
            out = guest->GetState() == STATE_GUEST_ENTER_WORLD && !guest->Got(MT_SERVED_COMMOD).empty();
        }
        ASSERT_TRUE(out);
        const std::vector<std::u16string> thoughts = Thoughts(park, *guest);
        ASSERT_GE(thoughts.size(), 2u);
        EXPECT_EQ(thoughts[0], c.visit) << c.happiness;
        EXPECT_EQ(thoughts[1], c.welfare) << c.happiness;
    }
}

// A rest on a bench has nothing to judge: whatever the guest made of the visit before it, the rest itself is
// thought of as all right, with no thumbs over the guest's head.
TEST(GuestLogic, ARestIsNotJudgedByTheVisitBeforeIt)
{
    for (int before : {-1, 0, 2})
    {
        GuestPark park(48);
        UseSampleScript(park);
        Scenery* bench = park.Item("BENCH", 4, 7);
        ASSERT_NE(bench, nullptr);
        WatchedGuest* guest = park.Guest(1 * 32 + 16, 7 * 64 + 32);
        for (int32_t d = 0; d < GuestObject::DESIRE_COUNT; ++d)
            guest->SetDesire(d, d == GuestObject::DESIRE_REST ? 0.9f : 0.0f);
        // What the guest made of its last visit.
        guest->SetActivityScore(before);
        park.Send(guest->GetID(), guest->GetID(), MT_STATECHANGE, STATE_GUEST_SEARCH_DESIRE);
        ASSERT_EQ(guest->GetState(), STATE_GUEST_HEADING_FOR_BENCH) << before;
        // Until the rest is over.
        bool rested = false;
        for (int frame = 0; frame < 3000 && !rested; ++frame)
        {
            park.Frames(1, 0.1f);
            rested = guest->GetState() != STATE_GUEST_HEADING_FOR_BENCH;
        }
        ASSERT_TRUE(rested) << before;
        ASSERT_FALSE(Thoughts(park, *guest).empty()) << before;
        EXPECT_EQ(Thoughts(park, *guest)[0], u"ACTIVITY_AVERAGE") << before;
        EXPECT_TRUE(guest->Got(MT_THUMBS_DOWN).empty()) << before;
        EXPECT_FALSE(guest->GetIconTime() > 0.0f && (guest->GetIcon() == GuestObject::kIconThumbsUp ||
                                                     guest->GetIcon() == GuestObject::kIconThumbsDown))
            << before;
    }
}

// A guest who finds the price too dear at the head of the queue gives up on what it wanted there: it goes on to
// what it wants next rather than queuing at the same building again.
TEST(GuestLogic, AGuestWhoFindsThePriceTooDearGoesOnToSomethingElse)
{
    GuestPark park(48);
    UseSampleScript(park);
    BuildingObject* food = park.Shop("FOOD", 2, 10);
    BuildingObject* fun = park.Shop("FUN", 2, 14);
    // Listed at 5: a guest pays at most 5 x 120 % x 2 = 12.
    food->SetAttractionPrice(20.0f);
    WatchedGuest* guest = park.Guest(1 * 32 + 16, 7 * 64 + 32);
    for (int32_t d = 0; d < GuestObject::DESIRE_COUNT; ++d)
        guest->SetDesire(d, d == GuestObject::DESIRE_MEALS ? 0.9f : d == GuestObject::DESIRE_AMUSEMENT ? 0.5f : 0.0f);
    park.Send(guest->GetID(), guest->GetID(), MT_STATECHANGE, STATE_GUEST_SEARCH_DESIRE);
    ASSERT_EQ(guest->GetDestObjectID(), food->GetID());
    // Until the guest has chosen where to go twice.
    for (int frame = 0; frame < 3000 && guest->Got(MT_PAVEMENT2OBJECT).size() < 2; ++frame)
        park.Frames(1, 0.1f);
    ASSERT_EQ(guest->Got(MT_PAVEMENT2OBJECT).size(), 2u);
    EXPECT_EQ(guest->Got(MT_PAVEMENT2OBJECT)[1].dwData, fun->GetID());
    EXPECT_EQ(park.Feedback().GetMissedDesireCount(GuestObject::DESIRE_MEALS), 1u);
}

} // namespace

// A guest that wants a rest and whose nearest seat lies where no footpath leads misses the rest: the miss is counted
// as a rest and the rest is what starts again, whatever the guest did before. A seat by the footpath is walked to.
TEST(GuestLogic, ARestOnASeatThatNoFootpathReachesIsAMissedRest)
{
    struct Case
    {
        const char* what;
        int benchX, benchY;
        bool reached;
    };
    // The footpath runs along the row y = 7 and the column x = 1; the guest stands on it at (1, 7).
    const Case cases[] = {
        {"beside the footpath", 4, 8, true},
        {"on the grass, three cells from any footpath", 6, 10, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        GuestPark park(48);
        UseSampleScript(park);
        Scenery* bench = park.Item("BENCH", c.benchX, c.benchY);
        ASSERT_NE(bench, nullptr);
        WatchedGuest* guest = park.Guest(1 * 32 + 16, 7 * 64 + 32);
        for (int32_t d = 0; d < GuestObject::DESIRE_COUNT; ++d)
            guest->SetDesire(d, d == GuestObject::DESIRE_REST ? 0.9f : 0.0f);
        // The guest's last trip was for a snack.
        guest->SetActivityDesire(GuestObject::DESIRE_SNACKS);
        park.Send(guest->GetID(), guest->GetID(), MT_STATECHANGE, STATE_GUEST_SEARCH_DESIRE);
        // The seat was chosen either way: the guest was sent on its way to it.
        ASSERT_FALSE(guest->Got(MT_PAVEMENT2POINT).empty());
        const bool blocked = !guest->Got(MT_PATHBLOCKED).empty();
        EXPECT_EQ(blocked, !c.reached);
        if (c.reached)
        {
            EXPECT_EQ(guest->GetState(), STATE_GUEST_HEADING_FOR_BENCH);
            EXPECT_EQ(park.Feedback().GetMissedDesireCount(GuestObject::DESIRE_REST), 0u);
        }
        else
        {
            EXPECT_EQ(guest->GetState(), STATE_GUEST_WALK_AROUND);
            EXPECT_EQ(park.Feedback().GetMissedDesireCount(GuestObject::DESIRE_REST), 1u);
            EXPECT_EQ(park.Feedback().GetMissedDesireCount(GuestObject::DESIRE_SNACKS), 0u);
            // The missed rest starts again from nothing, so the guest does not try the same seat at once.
            EXPECT_EQ(guest->GetDesire(GuestObject::DESIRE_REST), 0.0f);
        }
        // The seat is free again when the guest cannot reach it, and kept for it when it can.
        EXPECT_EQ(bench->GetFreeSeatCount(), c.reached ? 1 : 2);
    }
}
