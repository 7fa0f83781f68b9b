// Tests of the World's clock step: the game time step of a frame, the pause, the cap, days and the hour of day,
// and the World's place as the one park.
#include "tests/world/WorldTestSupport.h"

#include "engine/core/GameParameters.h"

#include <gtest/gtest.h>

namespace
{

// Game parameters with the given day length, for the life of the object.
class DayLength
{
public:
    explicit DayLength(int seconds)
    {
        testsupport::WriteText(m_dir.File("gameparameters.pis"),
                               "'iDAY_LENGTH_IN_SECONDS' " + std::to_string(seconds) + "\r\n");
        m_params = std::make_unique<GameParameters>(m_dir.File("gameparameters.pis").c_str());
    }

private:
    testsupport::TempDir m_dir;
    std::unique_ptr<GameParameters> m_params;
};

} // namespace

TEST(WorldClock, AFrameAddsItsTimeUpToFourGameSecondsAndNothingWhilePaused)
{
    World world;
    EXPECT_EQ(g_pWorld, &world);
    EXPECT_FALSE(world.IsStartingUp());
    world.AdvanceClock(0.25f);
    EXPECT_FLOAT_EQ(world.GetGameDeltaTime(), 0.25f);
    world.AdvanceClock(10.0f);
    EXPECT_FLOAT_EQ(world.GetGameDeltaTime(), 4.0f);
    world.AdvanceClock(4.0f);
    EXPECT_FLOAT_EQ(world.GetGameTime(), 8.25f);
    world.SetPaused(true);
    world.AdvanceClock(1.0f);
    EXPECT_EQ(world.GetGameDeltaTime(), 0.0f);
    EXPECT_FLOAT_EQ(world.GetGameTime(), 8.25f);
    world.SetPaused(false);
    // A broken frame time moves nothing.
    world.AdvanceClock(-3.0f);
    world.AdvanceClock(std::nanf(""));
    EXPECT_FLOAT_EQ(world.GetGameTime(), 8.25f);
}

TEST(WorldClock, DaysAndHoursFollowTheDayLength)
{
    DayLength parameters(240);
    World world;
    // The park opens at 09:00 of day 0.
    EXPECT_FLOAT_EQ(world.GetGameTime(), 90.0f);
    EXPECT_FLOAT_EQ(world.GetGameDayTime(), 9.0f);
    world.AdvanceClock(3.0f); // 93 s: 9.3 h
    EXPECT_FLOAT_EQ(world.GetGameDayTime(), 9.3f);
    EXPECT_EQ(world.GetGameDay(), 0);
    // Up to 480 s: a remainder of a whole day stays in the day, so this is day 1 at 24:00, not day 2 at 0:00.
    for (int i = 0; i < 96; ++i)
        world.AdvanceClock(4.0f);
    world.AdvanceClock(3.0f);
    EXPECT_FLOAT_EQ(world.GetGameTime(), 480.0f);
    EXPECT_EQ(world.GetGameDay(), 1);
    EXPECT_FLOAT_EQ(world.GetGameDayTime(), 24.0f);
    world.AdvanceClock(2.0f); // 482 s: day 2, 0.2 h
    EXPECT_EQ(world.GetGameDay(), 2);
    EXPECT_NEAR(world.GetGameDayTime(), 0.2f, 1e-4f);
}

TEST(WorldClock, TheWorldTakesKillMessagesAndRefusesCreationsForNow)
{
    worldtest::Park park;
    worldtest::Probe* p = park.Make(OBJECT_GUEST);
    const int payload = 0;
    EXPECT_TRUE(park.world->HandleMessage(worldtest::Record(kWorldID, kWorldID, MT_UPDATERATING), nullptr));
    EXPECT_FALSE(park.world->HandleMessage(worldtest::Record(kWorldID, kWorldID, 0, OBJECT_GUEST), &payload));
    EXPECT_TRUE(park.world->HandleMessage(worldtest::Record(kWorldID, kWorldID, MT_KILLOBJECT, p->GetID()), nullptr));
    EXPECT_TRUE(p->IsWaitingForDeath());
    park.world.reset();
    EXPECT_EQ(g_pWorld, nullptr);
}
