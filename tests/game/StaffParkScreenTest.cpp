// Staff in the running program: the real Game, in its window on a private X server, enters the sample park, whose
// world script hires a cleaner; the cleaner goes to work on the guests' litter, the diner's servers serve at its
// counter; the cleaner shows in its own colour where it stands.
#include "engine/render/GraphicsManager.h"
#include "game/Game.h"
#include "park/CleanerObject.h"
#include "park/ServerObject.h"
#include "scripts/ObjectStates.h"
#include "tests/game/GameHarness.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

namespace
{

using gametest::CountShades;
using gametest::Frame;
using gametest::GameHarness;
using gametest::IsShadeOf;
using gametest::ShadesNear;

// The colour the sample data gives the cleaner's box model (src/models/staff_cleaner.txt).
constexpr uint32_t kCleanerGreen = 0x20C040;

// Whether any of the 5 x 5 pixels round the screen point of a scene point is of that colour.
bool ShowsNear(const Frame& frame, const platform::Vec3& scene, uint32_t colour)
{
    return gametest::ShadesNear(frame, scene, colour, 2) > 0;
}

// Looks at a staff member from the side and above, and whether its middle shows in the colour.
bool Seen(GameHarness& harness, const BaseObject& staff, uint32_t colour, const char* name)
{
    platform::Vec3 middle = staff.GetPosition();
    middle.y += 0.9f;
    GameHarness::PlaceCamera({middle.x, middle.y + 8.0f, middle.z + 12.0f}, middle);
    harness.RunFrames(1);
    const Frame frame = harness.Screenshot();
    GameHarness::Keep(frame, name);
    // The frame's staff member stands where it stood a frame before, near enough at this distance.
    middle = staff.GetPosition();
    middle.y += 0.9f;
    return ShowsNear(frame, middle, colour);
}

TEST(StaffParkScreen, TheHiredCleanerWorksInItsColourAndTheServersStandAtTheCounter)
{
    GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    // The second scenario of the list is the sample park.
    const std::filesystem::path scenario = harness.DataFolder() + "/data/Scenario/Scenario2";
    std::filesystem::create_directories(scenario);
    std::filesystem::copy_file(harness.DataFolder() + "/data/Scenario/SamplePark/SamplePark.pis",
                               scenario / "Scenario2.pis", std::filesystem::copy_options::overwrite_existing);
    harness.EnterPark(1);
    ASSERT_NE(g_pWorld, nullptr);
    g_pWorld->SetGameSpeedLevel(2);
    harness.Reports().boxes.clear();

    const std::vector<BaseObject*> cleaners = g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER);
    ASSERT_EQ(cleaners.size(), 1u);
    auto* cleaner = static_cast<CleanerObject*>(cleaners[0]);
    // A game minute or two: the cleaner has stepped out of the staff room and is at work.
    harness.RunFrames(600);
    EXPECT_TRUE(cleaner->IsVisible());
    EXPECT_GE(cleaner->GetState(), uint32_t{STATE_CLEANER_CHOOSE_TASK});
    EXPECT_LE(cleaner->GetState(), uint32_t{STATE_CLEANER_IDLE});
    EXPECT_NE(cleaner->GetWorldPosition().x, 0.0f);
    // At some moments the cleaner stands behind what it cleans (a bin, a toilet's wall): look again a little later
    // until it is in the open, for at most a game hour.
    bool seen = false;
    for (int look = 0; look < 20 && !seen; ++look)
    {
        seen = cleaner->IsVisible() && Seen(harness, *cleaner, kCleanerGreen, "staff-cleaner");
        if (!seen)
            harness.RunFrames(90);
    }
    EXPECT_TRUE(seen);

    // The diner's servers stand at its counter (under its roof, out of the camera's sight), shown and working.
    const std::vector<BaseObject*> servers = g_pObjectManager->GetObjectsOfKind(OBJECT_SERVER);
    ASSERT_FALSE(servers.empty());
    const BaseObject* diner = g_pObjectManager->GetBuildingsByName("DINER").at(0);
    for (const BaseObject* object : servers)
    {
        const auto* server = static_cast<const ServerObject*>(object);
        EXPECT_EQ(server->GetState(), uint32_t{STATE_STAFF_WORKING});
        EXPECT_EQ(server->GetHomeID(), diner->GetID());
        EXPECT_TRUE(server->IsVisible());
        const platform::Vec3 at = WorldMap::WorldToScene(server->GetWorldPosition());
        EXPECT_NEAR(server->GetPosition().x, at.x, 0.01f);
        EXPECT_NEAR(server->GetPosition().z, at.z, 0.01f);
    }
    EXPECT_TRUE(harness.Reports().boxes.empty()) << harness.Reports().boxes.front().text;
}

} // namespace
