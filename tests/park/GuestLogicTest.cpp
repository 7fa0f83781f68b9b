// The guest behaviour script of the sample data driving guests of the small test park through whole visits.
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "scripts/ObjectStates.h"
#include "tests/park/GuestTestSupport.h"

#include <gtest/gtest.h>

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

} // namespace
