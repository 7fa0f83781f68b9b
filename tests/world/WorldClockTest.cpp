// Tests of the World's clock step: the game time step of a frame, the pause, the cap, days and the hour of day, the
// day lengths it accepts, a clock that neither drifts nor stops late in a long game, and the World's place as the
// one park.
#include "tests/world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using worldtest::DayLength;

TEST(WorldClock, AFrameAddsItsTimeUpToFourGameSecondsAndNothingWhilePaused)
{
    World world;
    EXPECT_FALSE(world.IsStartingUp());
    // frame time, paused | the frame's step (a broken frame time moves nothing)
    const std::tuple<float, bool, float> frames[] = {{0.25f, false, 0.25f}, {10.0f, false, 4.0f},
                                                     {4.0f, false, 4.0f},   {1.0f, true, 0.0f},
                                                     {-3.0f, false, 0.0f},  {std::nanf(""), false, 0.0f}};
    for (const auto& [frame, paused, step] : frames)
    {
        world.SetPaused(paused);
        world.AdvanceClock(frame);
        EXPECT_EQ(world.GetGameDeltaTime(), step) << frame;
    }
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
    for (int i = 0; i < 97; ++i)
        world.AdvanceClock(i < 96 ? 4.0f : 3.0f);
    EXPECT_FLOAT_EQ(world.GetGameTime(), 480.0f);
    EXPECT_EQ(std::tuple(world.GetGameDay(), world.GetGameDayTime()), std::tuple(1, 24.0f));
    world.AdvanceClock(2.0f); // 482 s: day 2, 0.2 h
    EXPECT_EQ(world.GetGameDay(), 2);
    EXPECT_NEAR(world.GetGameDayTime(), 0.2f, 1e-4f);
    // A time written straight into the clock (as a restored game does) is taken over by the next step.
    world.m_fGameTime = 960.0f;
    world.AdvanceClock(0.5f);
    EXPECT_EQ(std::tuple(world.GetGameTimeExact(), world.GetGameDay()), std::tuple(960.5, 4));
    world.SetGameTime(0.0); // the very start is day 0 at 0:00
    EXPECT_EQ(std::tuple(world.GetGameDay(), world.GetGameDayTime()), std::tuple(0, 0.0f));
}

TEST(WorldClock, ADayTooShortForAnHourOrTooLongForTheAnimationClockIsRefused)
{
    // The animations count sixtieths of a second in 32 bits: 10,000 days must fit.
    const int longest = static_cast<int>(4294967295.0 / 60.0 / 10000.0);
    for (int seconds : {0, 23, -5, longest + 1, 2147483647})
    {
        testsupport::RecordingReportSink reports;
        DayLength parameters(seconds);
        World world;
        ASSERT_EQ(reports.boxes.size(), 1u) << seconds;
        EXPECT_NE(reports.boxes[0].text.find("iDAY_LENGTH_IN_SECONDS"), std::string::npos);
        world.AdvanceClock(2.0f);
        EXPECT_FLOAT_EQ(world.GetGameTime(), 2.0f);
        EXPECT_EQ(std::tuple(world.GetGameDayTime(), world.GetDayLength()), std::tuple(0.0f, 0)) << seconds;
    }
    // The shortest day there can be (one game second an hour) and the longest.
    for (int seconds : {24, longest})
    {
        testsupport::RecordingReportSink reports;
        DayLength parameters(seconds);
        World world;
        EXPECT_TRUE(reports.boxes.empty()) << seconds;
        EXPECT_EQ(std::tuple(world.GetDayLength(), world.GetGameDayTime()), std::tuple(seconds, 9.0f));
    }
}

TEST(WorldClock, LateInALongGameTheClockNeitherDriftsNorStopsAtAnyFrameRate)
{
    // The longest day, near the end of day 10,000: a float clock there moves in steps of 8 seconds.
    const int length = World::kMaxDayLength;
    DayLength parameters(length);
    for (const float fps : {1000.0f, 300.0f, 60.0f, 7.0f})
    {
        for (const int day : {21, 9999})
        {
            World world;
            const double start = static_cast<double>(day) * length + 0.25 * length;
            world.SetGameTime(start);
            const uint32_t animationStart = world.GetAnimationTime();
            const float frame = 1.0f / fps;
            const int frames = static_cast<int>(fps * 10.0f);
            for (int i = 0; i < frames; ++i)
                world.AdvanceClock(frame);
            const double expected = start + frames * static_cast<double>(frame);
            EXPECT_NEAR(world.GetGameTimeExact(), expected, 1e-6) << fps << " fps, day " << day;
            EXPECT_EQ(world.GetGameDay(), day) << fps;
            EXPECT_NEAR(world.GetGameDayTime(), 24.0 * (expected - day * static_cast<double>(length)) / length, 1e-5);
            EXPECT_NEAR(static_cast<double>(world.GetAnimationTime() - animationStart), 600.0, 1.0) << fps;
        }
    }
}

TEST(WorldClock, LateInALongGameTheFrozenClockRunsAtItsFrameRate)
{
    // A thousand days into a park of 12-minute days, one second of frames moves the frozen clock one second (60
    // sixtieths), at a high frame rate as at a low one.
    DayLength parameters(720);
    for (const float fps : {300.0f, 60.0f, 20.0f})
    {
        World world;
        world.SetGameTime(1000.0 * 720.0);
        world.FreezeClock(1);
        const float start = world.GetTimeInMinutes();
        for (int i = 0; i < static_cast<int>(fps); ++i)
            world.AdvanceClock(1.0f / fps);
        EXPECT_NEAR(world.GetTimeInMinutes() - start, 60.0f, 4.0f) << fps << " fps";
    }
}

TEST(WorldClock, EachSingletonLetsGoOfItsPointer)
{
    worldtest::Park park;
    park.world.reset();
    park.messages.reset();
    park.objects.reset();
    park.map.reset();
    EXPECT_EQ(std::tuple(g_pWorld, g_pMessageHandler, g_pObjectManager, g_pWorldMap),
              std::tuple(nullptr, nullptr, nullptr, nullptr));
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
        EXPECT_FALSE(map.IsValidGridPos(off));
    }
    EXPECT_EQ(std::tuple(map.GetCell({5, 7})->m_x, map.GetCell({5, 7})->m_y), std::tuple(5, 7));
    EXPECT_TRUE(map.IsValidGridPos({127, 63}));
    EXPECT_TRUE(map.IsValidGridPos({0, 0}));
    // A map asked for with no cells still has one.
    WorldMap empty(0, -4, WorldMap::kDefaultCellSize, "");
    EXPECT_EQ(std::tuple(empty.GetWidth(), empty.GetHeight()), std::tuple(1, 1));
    EXPECT_EQ(empty.GetCellIndex(0, 0), 0u);
    EXPECT_EQ(empty.GetCellIndex(9, -9), WorldMap::kNoCell);
}
