// Tests of a guest whose script sets its walking or queueing speed to the slowest there is: the park saved
// afterwards loads again, and the guest keeps the speed it was given.
#include "engine/core/SerialStream.h"
#include "tests/park/GuestTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace guesttest;

namespace
{

TEST(GuestWalkSpeedSave, AGuestSlowedToTheSlowestSpeedSavesAndLoads)
{
    // A script may stop a guest in its tracks (or ask for less than nothing): the guest then walks at the slowest
    // speed a walker has. Whatever pushing force that leaves it, the saved park must read back.
    const struct
    {
        const char* command;
        float speed;
    } cases[] = {{"Set WalkSpeed 0 ;", MovingObject::kMinSteer},
                 {"Set WalkSpeed -40 ;", MovingObject::kMinSteer},
                 {"Set QueueSpeed 0 ;", MovingObject::kMinSteer},
                 {"Set QueueSpeed 0.02 ;", 0.02f},
                 {"Set QueueSpeed -3 ;", MovingObject::kMinSteer}};
    for (const auto& [command, speed] : cases)
    {
        SCOPED_TRACE(command);
        GuestPark park(48);
        WatchedGuest* guest = park.GuestRunning(command);
        park.Send(kNoObjectID, guest->GetID(), MT_SPOT_OPINION, 0);
        EXPECT_EQ(guest->GetMaxVelocity(), speed);
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
        const bool loaded = savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); });
        EXPECT_TRUE(loaded);
        if (loaded)
        {
            EXPECT_EQ(static_cast<GuestObject*>(park.All(OBJECT_GUEST).at(0))->GetMaxVelocity(), speed);
        }
    }
}

} // namespace
