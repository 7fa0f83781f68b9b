// Guests of the sample guest park, run by their own behaviour script, when the building they are visiting is sold
// under them: each goes back to the footpaths and on with its day, none is left standing where the building was.
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "scripts/ObjectStates.h"
#include "tests/park/SampleParkTest.h"
#include "world/ObjectManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace
{

class GuestVisitScene : public SampleParkTest
{
protected:
    static constexpr const char* kGuestPark = "data/Scenario/GuestPark/GuestPark.pis";
    static constexpr float kFrame = 1.0f / 30.0f;

    static std::vector<GuestObject*> Guests()
    {
        std::vector<GuestObject*> guests;
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            guests.push_back(static_cast<GuestObject*>(object));
        return guests;
    }
};

// The cafe is sold while guests walk into it, wait in it or eat at its tables; each of them is back on its feet
// again, and none of them stands still where the cafe was for the five game minutes after.
TEST_F(GuestVisitScene, GuestsInABuildingThatIsSoldGoBackToThePaths)
{
    World world(nullptr, nullptr, kGuestPark, false);
    ASSERT_TRUE(world.IsBuilt());
    world.SetGameSpeedLevel(2);
    auto* cafe = static_cast<BuildingObject*>(g_pObjectManager->GetBuildingsByName("CAFE").at(0));
    const uint32_t cafeId = cafe->GetID();
    // Until a guest is on its way in.
    bool walkingIn = false;
    for (int frame = 0; frame < 40000 && !walkingIn; ++frame)
    {
        world.Update(kFrame);
        for (GuestObject* guest : Guests())
            walkingIn = walkingIn || (guest->GetDestObjectID() == cafeId && guest->IsWalkingInBuilding());
    }
    ASSERT_TRUE(walkingIn);
    std::map<uint32_t, uint32_t> inside; // guest, its state when the cafe was sold
    for (GuestObject* guest : Guests())
    {
        const uint32_t state = guest->GetState();
        if (guest->GetDestObjectID() == cafeId &&
            (state == STATE_GUEST_ENTER_BUILDING || state == STATE_GUEST_WAITING_DESIRE ||
             state == STATE_GUEST_AT_TABLE || state == STATE_GUEST_EXIT_BUILDING))
            inside[guest->GetID()] = state;
    }
    ASSERT_FALSE(inside.empty());
    cafe->Sell();
    // Five game minutes: the cafe is gone long before.
    constexpr float kSpan = 300.0f;
    std::map<uint32_t, float> stillSince; // guest, game time since which it has stood still
    std::map<uint32_t, float> longestStill;
    const float start = world.GetGameTime();
    while (world.GetGameTime() - start < kSpan)
    {
        world.Update(kFrame);
        for (auto [id, state] : inside)
        {
            auto* guest = dynamic_cast<GuestObject*>(g_pObjectManager->GetObject(id));
            if (!guest || guest->IsMoving())
            {
                stillSince.erase(id);
                continue;
            }
            const float since = stillSince.try_emplace(id, world.GetGameTime()).first->second;
            longestStill[id] = std::max(longestStill[id], world.GetGameTime() - since);
        }
    }
    EXPECT_EQ(g_pObjectManager->GetObject(cafeId), nullptr);
    for (auto [id, state] : inside)
    {
        // Eating or resting takes a guest at most 40 game seconds of standing; anything longer is a guest stuck.
        EXPECT_LT(longestStill[id], 60.0f) << "guest " << id << " inside in state " << state;
    }
}

} // namespace
