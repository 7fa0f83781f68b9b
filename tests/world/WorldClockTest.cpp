// Tests of the World's clock step: the game time step of a frame, the pause, the cap, days and the hour of day,
// and the World's place as the one park.
#include "tests/world/WorldTestSupport.h"

#include "engine/core/GameParameters.h"

#include <gtest/gtest.h>

#include <tuple>

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

TEST(WorldClock, TheWorldTakesKillMessagesAndEachSingletonLetsGoOfItsPointer)
{
    worldtest::Park park;
    worldtest::Probe* p = park.Make(OBJECT_GUEST);
    EXPECT_TRUE(park.world->HandleMessage(worldtest::Record(kWorldID, kWorldID, MT_KILLOBJECT, p->GetID()), nullptr));
    EXPECT_TRUE(p->IsWaitingForDeath());
    // An id that names no object is ignored.
    EXPECT_TRUE(park.world->HandleMessage(worldtest::Record(kWorldID, kWorldID, MT_KILLOBJECT, 999), nullptr));
    park.world.reset();
    park.messages.reset();
    park.objects.reset();
    park.map.reset();
    EXPECT_EQ(std::tuple(g_pWorld, g_pMessageHandler, g_pObjectManager, g_pWorldMap),
              std::tuple(nullptr, nullptr, nullptr, nullptr));
}

TEST(WorldClock, ADayTooShortForAnHourIsRefusedAndTheClockCountsNoDays)
{
    for (int seconds : {0, 23, -5})
    {
        testsupport::RecordingReportSink reports;
        DayLength parameters(seconds);
        World world;
        ASSERT_EQ(reports.boxes.size(), 1u) << seconds;
        EXPECT_NE(reports.boxes[0].text.find("iDAY_LENGTH_IN_SECONDS"), std::string::npos);
        world.AdvanceClock(2.0f);
        EXPECT_FLOAT_EQ(world.GetGameTime(), 2.0f);
        EXPECT_EQ(world.GetGameDayTime(), 0.0f);
        EXPECT_EQ(world.GetDayLength(), 0);
    }
    // The shortest day there can be: one game second an hour.
    testsupport::RecordingReportSink reports;
    DayLength parameters(24);
    World world;
    EXPECT_TRUE(reports.boxes.empty());
    EXPECT_EQ(world.GetDayLength(), 24);
    EXPECT_FLOAT_EQ(world.GetGameDayTime(), 9.0f);
}

TEST(WorldGrid, PositionsOffTheMapHaveNoCell)
{
    WorldMap map(128, 64, WorldMap::kDefaultCellSize, "");
    EXPECT_EQ(map.GetCellIndex(5, 7), 7u * 128u + 5u);
    EXPECT_EQ(map.GetCellIndex(127, 63), 63u * 128u + 127u);
    for (const GridPos& off : {GridPos{-1, 0}, GridPos{128, 0}, GridPos{0, 64}, GridPos{130, 65}, GridPos{0, -1}})
    {
        EXPECT_EQ(map.GetCellIndex(off.x, off.y), WorldMap::kNoCell);
        EXPECT_EQ(map.GetCell(off), nullptr);
        EXPECT_TRUE(map.GetObjectsAt(off).empty());
    }
    EXPECT_EQ(map.GetCell({5, 7})->m_x, 5);
    EXPECT_EQ(map.GetCell({5, 7})->m_y, 7);
    EXPECT_TRUE(map.IsValidGridPos({127, 63}));
    EXPECT_TRUE(map.IsValidGridPos({0, 0}));
    EXPECT_FALSE(map.IsValidGridPos({0, 64}));
    EXPECT_FALSE(map.IsValidGridPos({128, 0}));
    EXPECT_FALSE(map.IsValidGridPos({-1, 3}));
    EXPECT_FALSE(map.IsValidGridPos({3, -1}));
    // A map asked for with no cells still has one.
    WorldMap empty(0, -4, WorldMap::kDefaultCellSize, "");
    EXPECT_EQ(std::tuple(empty.GetWidth(), empty.GetHeight()), std::tuple(1, 1));
    EXPECT_EQ(empty.GetCellIndex(0, 0), 0u);
    EXPECT_EQ(empty.GetCellIndex(9, -9), WorldMap::kNoCell);
}
