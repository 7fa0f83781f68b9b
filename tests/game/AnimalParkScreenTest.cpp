// Tests of the sample park's animals and show in the running program: the real Game, in its window on a private X
// server, enters the sample park. Its frames show the lagoon's dolphins where their paths carry them (and somewhere
// else a moment later), the crowd seated in the arena's stands where the seats are, and the show's actor on its
// stage while a show runs.
#include "engine/render/GraphicsManager.h"
#include "game/Game.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/CrowdFiller.h"
#include "park/ShowScheduler.h"
#include "scripts/ObjectStates.h"
#include "tests/game/GameHarness.h"
#include "world/MessageHandler.h"
#include "world/ModelObjects.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

using gametest::CountShades;
using gametest::Frame;
using gametest::GameHarness;
using gametest::IsShadeOf;
using gametest::ShadesNear;

// The colours the sample data gives the water, the dolphins, the crowd and the show's actor (0xRRGGBB).
constexpr uint32_t kWater = 0x2060C0;   // src/models/LAGOON.txt
constexpr uint32_t kDolphin = 0x40C0A0; // src/models/animals/DOLPHIN_mesh_*.txt
constexpr uint32_t kCrowd = 0xD02020;   // src/models/crowd/*_mesh.txt
constexpr uint32_t kActor = 0xE0D020;   // src/models/shows/*.txt

// The sample day is 720 s long: 30 s an hour.
constexpr double kSecondsPerHour = 30.0;

BuildingObject* OnlyBuilding(const char* name)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(name);
    return found.size() == 1 ? dynamic_cast<BuildingObject*>(found[0]) : nullptr;
}

class AnimalParkScreenTest : public gametest::StartedGameTest<>
{
};

} // namespace

TEST_F(AnimalParkScreenTest, TheLagoonsDolphinsSwimWhereTheirPathsCarryThem)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    BuildingObject* lagoon = OnlyBuilding("LAGOON");
    ASSERT_NE(lagoon, nullptr);
    ASSERT_EQ(lagoon->GetAnimalCount(), 2);
    harness.RunFrames(10);
    Frame frame = harness.Screenshot();
    GameHarness::Keep(frame, "lagoon");
    ASSERT_EQ(frame.pixels.size(), 800u * 600u);
    // The water shows where the lagoon stands.
    platform::Vec3 water = lagoon->GetPosition();
    water.y = 0.5f;
    EXPECT_GT(ShadesNear(frame, water, kWater, 4), 20);
    // Each dolphin shows where its path put it in the frame, and nowhere is there a dolphin but there.
    std::array<platform::Vec3, 2> first;
    for (int i = 0; i < 2; ++i)
    {
        const BaseObject* dolphin = g_pObjectManager->GetObject(lagoon->GetAnimal(i));
        ASSERT_NE(dolphin, nullptr);
        first[i] = dolphin->GetPosition();
        EXPECT_GT(ShadesNear(frame, first[i], kDolphin, 3), 8) << i;
    }
    EXPECT_GT(CountShades(frame, kDolphin), 30);
    // A second later they have swum on, and show where they are then.
    harness.RunFrames(30);
    frame = harness.Screenshot();
    GameHarness::Keep(frame, "lagoon-later");
    for (int i = 0; i < 2; ++i)
    {
        const BaseObject* dolphin = g_pObjectManager->GetObject(lagoon->GetAnimal(i));
        const platform::Vec3 now = dolphin->GetPosition();
        EXPECT_GT(std::hypot(now.x - first[i].x, now.z - first[i].z), 0.5f) << i;
        EXPECT_GT(ShadesNear(frame, now, kDolphin, 3), 8) << i;
    }
}

TEST_F(AnimalParkScreenTest, TheArenasCrowdSitsInItsStandsAndItsShowPlaysOnItsStage)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    BuildingObject* arena = OnlyBuilding("ARENA");
    ASSERT_NE(arena, nullptr);
    // At noon, the camera 25 above the arena and 25 to its +z side (the sun's side), looking down at its middle:
    // nothing stands between them, and the faces it sees, the tops and those turned to +z, are in the sun.
    g_pWorld->SetGameTime(12.0 * kSecondsPerHour);
    const platform::Vec3 middle = arena->GetPosition();
    GameHarness::PlaceCamera({middle.x, middle.y + 25.0f, middle.z + 25.0f}, middle);
    harness.RunFrames(2);
    EXPECT_EQ(CountShades(harness.Screenshot(), kCrowd), 0);
    // Four guests join the audience: twelve figures sit down on seats of the stands and show there.
    for (int guest = 0; guest < 4; ++guest)
        arena->AddToCrowd(kNoObjectID);
    const CrowdFiller& crowd = *arena->GetCrowd();
    ASSERT_EQ(crowd.GetFigureCount(), 12);
    harness.RunFrames(2);
    Frame frame = harness.Screenshot();
    GameHarness::Keep(frame, "arena-crowd");
    int shown = 0;
    for (int i = 0; i < crowd.GetFigureCount(); ++i)
    {
        platform::Vec3 middle = crowd.GetFigure(i)->GetPosition();
        middle.y += 0.3f;
        shown += ShadesNear(frame, middle, kCrowd, 2) > 3 ? 1 : 0;
    }
    // The figures of the back row may stand behind others; most show.
    EXPECT_GE(shown, 9);
    // The show starts: the actor plays on the stage at the arena's centre.
    EXPECT_EQ(CountShades(frame, kActor), 0);
    MessageRecord start;
    start.dwSender = start.dwReciever = arena->GetID();
    start.dwType = MT_SHOW_STARTING;
    g_pMessageHandler->Send(start);
    ASSERT_TRUE(arena->GetScheduler()->IsShowRunning());
    harness.RunFrames(20);
    frame = harness.Screenshot();
    GameHarness::Keep(frame, "arena-show");
    const ShowModel* actor = arena->GetScheduler()->GetActor();
    ASSERT_NE(actor, nullptr);
    EXPECT_GT(CountShades(frame, kActor), 20);
    platform::Vec3 stage = actor->GetPosition();
    int near = 0;
    for (float height = 0.3f; height < 3.5f; height += 0.4f)
        near += ShadesNear(frame, {stage.x, stage.y + height, stage.z}, kActor, 3);
    EXPECT_GT(near, 10);
}
