// Tests of the ride component: boarding, timed rides and shows that end only when the building ends them, rides of
// the ride model that carry their riders out of the scene, the staggered send-off, and the save record.
#include "park/RideComponent.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/Scene.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "tests/park/AnimalTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/ModelObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <tuple>
#include <vector>

using namespace animaltest;

namespace
{

using std::tuple;

class Rides : public testing::Test
{
protected:
    Rides() { owner = park.Make(OBJECT_SCENERY, "OWNER")->GetID(); }
    std::vector<uint32_t> Guests(int n)
    {
        std::vector<uint32_t> ids;
        for (int i = 0; i < n; ++i)
            ids.push_back(park.Make(OBJECT_GUEST)->GetID());
        return ids;
    }
    // Updates with frames of `dt` game seconds until the owner is told the ride is complete; the updates taken,
    // or -1 when none told it within `most`.
    int UpdatesToComplete(RideComponent& ride, float dt, int most)
    {
        park.world->m_fGameDeltaTime = dt;
        const size_t before = Taken(MT_RIDE_COMPLETE, owner).size();
        for (int i = 1; i <= most; ++i)
        {
            ride.Update();
            if (Taken(MT_RIDE_COMPLETE, owner).size() > before)
                return i;
        }
        return -1;
    }

    AnimalPark park;
    uint32_t owner = kNoObjectID;
};

} // namespace

TEST_F(Rides, BoardTheirRidersAndTellThemTheyAreOn)
{
    RideComponent ride(owner, RideComponent::RIDE_TIME, "NONE", 8);
    const std::vector<uint32_t> guests = Guests(3);
    for (uint32_t guest : guests)
        ride.AddRider(guest);
    // Each rider hears from itself that it is on.
    std::vector<uint32_t> told;
    for (const Received& r : Taken(MT_PUT_ON_RIDE))
    {
        EXPECT_EQ(r.sender, r.receiver);
        told.push_back(r.receiver);
    }
    EXPECT_EQ(tuple(told, ride.GetRiders(), ride.GetRiderCount(), ride.GetStaticModel(), ride.GetAnimatedModel()),
              tuple(guests, guests, 3u, nullptr, nullptr));
    // Only a rider on the ride leaves it.
    ride.RemoveRider(park.Make(OBJECT_GUEST)->GetID());
    EXPECT_EQ(ride.GetRiders(), guests);
    ride.RemoveRider(guests[1]);
    EXPECT_EQ(ride.GetRiders(), (std::vector<uint32_t>{guests[0], guests[2]}));
}

TEST_F(Rides, ATimedRideCompletesTenSecondsAfterItsStartAndShowsNeverCompleteOnTheirOwn)
{
    // (type, riders, frame length): the updates until the building hears the ride is complete, -1 for never.
    const struct
    {
        int32_t type;
        int riders;
        float dt;
        int updates;
    } cases[] = {{RideComponent::RIDE_TIME, 0, 0.5f, 20}, {RideComponent::RIDE_TIME, 5, 0.5f, 20},
                 {RideComponent::RIDE_TIME, 1, 4.0f, 3},  {RideComponent::RIDE_TIME, 2, 0.25f, 40},
                 {RideComponent::RIDE_NONE, 1, 0.5f, -1}, {RideComponent::RIDE_ANIMAL_SHOW, 3, 0.5f, -1}};
    for (const auto& c : cases)
    {
        RideComponent ride(owner, c.type, "NONE", 8);
        for (uint32_t guest : Guests(c.riders))
            ride.AddRider(guest);
        // Not running, it completes nothing.
        EXPECT_EQ(UpdatesToComplete(ride, c.dt, 50), -1);
        ride.StartRide();
        EXPECT_EQ(UpdatesToComplete(ride, c.dt, 1000), c.updates) << c.type << " " << c.riders << " " << c.dt;
        if (c.updates > 0)
        {
            // Until the building ends the ride it hears it again every update.
            EXPECT_EQ(UpdatesToComplete(ride, c.dt, 1), 1);
            ride.EndRide();
            EXPECT_EQ(UpdatesToComplete(ride, c.dt, 50), -1);
        }
    }
}

TEST_F(Rides, SendTheirRidersOffOneByOneInBoardingOrder)
{
    // Rider i leaves 0.2 s plus up to 0.3 s plus 0.7 s for each rider before it: the third between 1.6 and 1.9 s.
    float low[4] = {1e9f, 1e9f, 1e9f, 1e9f}, high[4] = {};
    platform::SRand(7);
    for (int run = 0; run < 40; ++run)
    {
        RideComponent ride(owner, RideComponent::RIDE_TIME, "NONE", 8);
        const std::vector<uint32_t> guests = Guests(4);
        for (uint32_t guest : guests)
            ride.AddRider(guest);
        ride.StartRide();
        const float now = park.world->GetGameTime();
        ride.EndRide();
        EXPECT_FALSE(ride.IsRunning());
        EXPECT_EQ(ride.GetRiderCount(), 0u);
        for (const MessageRecord& m : park.messages->GetPendingMessages())
        {
            if (m.dwType != MT_SERVED_COMMOD)
                continue;
            const size_t i = std::find(guests.begin(), guests.end(), m.dwReciever) - guests.begin();
            ASSERT_LT(i, guests.size());
            EXPECT_EQ(tuple(m.dwSender, m.dwFlags, m.dwData), tuple(owner, 99u, 99u));
            low[i] = std::min(low[i], m.fTime - now);
            high[i] = std::max(high[i], m.fTime - now);
        }
        for (uint32_t guest : guests)
            park.messages->RemoveMessagesFor(guest);
        park.messages->Update();
    }
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_GE(low[i], 0.2f + 0.7f * i - 1e-4f) << i;
        EXPECT_LE(high[i], 0.5f + 0.7f * i + 1e-4f) << i;
        // The spread is used: forty rides do not all leave at once.
        EXPECT_GT(high[i] - low[i], 0.1f) << i;
    }
}

TEST_F(Rides, OfTheRideModelCarryTheirRidersOutOfTheSceneUntilTheModelsRoundEnds)
{
    Scene& scene = *park.world->m_pScene;
    Stub* rider = park.Make(OBJECT_GUEST);
    scene.AddObject(rider);
    RideComponent ride(owner, RideComponent::RIDE_ANIM, "swanboat", 2);
    RideObject& standing = *ride.GetStaticModel();
    RideObject& running = *ride.GetAnimatedModel();
    // Both models stand in the scene where the building puts them; the standing one shows.
    ride.SetPosition(10.0f, 0.0f, 20.0f);
    ride.SetOrientation(0.0f, 1.5f, 0.0f);
    EXPECT_EQ(tuple(standing.GetScene() == &scene, running.GetScene() == &scene, standing.IsVisible(),
                    running.IsVisible(), running.GetPosition().z, standing.GetOrientation().y),
              tuple(true, true, true, false, 20.0f, 1.5f));
    ride.AddRider(rider->GetID());
    EXPECT_EQ(
        tuple(rider->GetScene(), standing.Carried().Carries(rider->GetID()), running.Carried().Carries(rider->GetID())),
        tuple(nullptr, true, true));
    park.world->m_fGameTime = 50.0f;
    ride.StartRide();
    EXPECT_EQ(tuple(standing.IsVisible(), running.IsVisible(), running.HasAnimationEnded(), ride.GetTimer(),
                    ride.GetStartTime()),
              tuple(false, true, false, 1000.0f, 50.0f));
    EXPECT_EQ(UpdatesToComplete(ride, 0.5f, 5), -1);
    // The round ends with the model's animation: the standing model shows again and the building is told.
    g_AnimationScheduler.Update(g_AnimationScheduler.GetTime() + 28800 / 120);
    EXPECT_EQ(UpdatesToComplete(ride, 0.5f, 1), 1);
    EXPECT_EQ(tuple(standing.IsVisible(), running.IsVisible(), standing.IsAnimating()), tuple(true, false, true));
    ride.EndRide();
    EXPECT_EQ(tuple(rider->GetScene() == &scene, standing.Carried().Count(), running.Carried().Count()),
              tuple(true, 0u, 0u));
    // A rider leaving early goes back into the scene too.
    ride.AddRider(rider->GetID());
    ride.RemoveRider(rider->GetID());
    EXPECT_EQ(tuple(rider->GetScene() == &scene, running.Carried().Count()), tuple(true, 0u));
    // And so does one on a ride that goes.
    {
        RideComponent gone(owner, RideComponent::RIDE_ANIM, "swanboat", 2);
        gone.AddRider(rider->GetID());
        EXPECT_EQ(rider->GetScene(), nullptr);
    }
    EXPECT_EQ(rider->GetScene(), &scene);
}

TEST_F(Rides, OfTheRideModelWithoutAModelEndAsTheyStart)
{
    RideComponent ride(owner, RideComponent::RIDE_ANIM, "none", 2);
    EXPECT_EQ(park.CountReports("ride of models without a ride model"), 1u);
    ride.AddRider(Guests(1)[0]);
    ride.StartRide();
    EXPECT_EQ(UpdatesToComplete(ride, 0.5f, 1), 1);
}

TEST_F(Rides, SaveLoadAndSaveAgainTheSameRecordAndRefuseDamagedOnes)
{
    Stub* rider = park.Make(OBJECT_GUEST);
    RideComponent ride(owner, RideComponent::RIDE_ANIM, "swanboat", 2);
    ride.AddRider(rider->GetID());
    ride.AddRider(park.Make(OBJECT_GUEST)->GetID());
    park.world->m_fGameTime = 12.5f;
    ride.StartRide();
    park.world->m_fGameDeltaTime = 0.25f;
    ride.Update();
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { ride.Dump(s); });
    // The record opens with the riders and the owner (int count, then the ids as unsigned words).
    savebytes::Bytes opening;
    savebytes::Tagged(opening, 5, 2);
    savebytes::Tagged(opening, 11, ride.GetRiders()[0]);
    savebytes::Tagged(opening, 11, ride.GetRiders()[1]);
    savebytes::Tagged(opening, 11, owner);
    EXPECT_EQ(savebytes::Bytes(saved.begin(), saved.begin() + opening.size()), opening);

    RideComponent copy(kNoObjectID, RideComponent::RIDE_NONE, "swanboat", 0);
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return copy.Load(s); }));
    copy.PostLoad();
    EXPECT_EQ(savebytes::Saved([&](SerialStream& s) { copy.Dump(s); }), saved);
    EXPECT_EQ(tuple(copy.GetOwner(), copy.GetRideType(), copy.GetCapacity(), copy.IsRunning(), copy.GetTimer(),
                    copy.GetStartTime(), copy.GetAnimatedModel()->Carried().Carries(rider->GetID())),
              tuple(owner, 2, 2, true, 999.75f, 12.5f, true));

    // A rider count beyond the park's guests, a ride type that does not exist, a timer that is no number, or a
    // record cut short: refused, the ride left stopped and empty.
    const auto edited = [&](size_t at, uint32_t value)
    {
        savebytes::Bytes bytes = saved;
        std::memcpy(&bytes[at], &value, 4);
        return bytes;
    };
    // After the opening: the running flag (2 bytes), the timer (5), the type (5).
    const size_t timer = opening.size() + 2 + 1;
    const size_t type = opening.size() + 2 + 5 + 1;

    for (const savebytes::Bytes& bad : {edited(1, 2000), edited(1, 0xFFFFFFFF), edited(type, 7),
                                        edited(timer, 0x7FC00000), savebytes::Bytes(saved.begin(), saved.end() - 3)})
    {

        RideComponent damaged(owner, RideComponent::RIDE_ANIM, "swanboat", 2);
        damaged.AddRider(rider->GetID());
        EXPECT_FALSE(savebytes::LoadFrom(bad, [&](SerialStream& s) { return damaged.Load(s); }));
        EXPECT_EQ(tuple(damaged.GetRiderCount(), damaged.IsRunning()), tuple(0u, false));
    }
}
