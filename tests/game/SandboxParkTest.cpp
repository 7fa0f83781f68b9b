// The sample data's sandbox in the running program: the list's first sandbox row builds it from its own world
// script, without a report: its buildings, its money to build with, and guests coming in through its entrance.
#include "game/Game.h"
#include "tests/game/GameHarness.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using gametest::GameHarness;

// The sample sandbox's world script (sample-data/src/data/Scenario/SandScenario1/World.pis): an entrance, a toilet
// and a staff room, and 100000 to build with.
constexpr uint32_t kSandboxBuildings = 3;
constexpr float kSandboxCash = 100000.0f;
// The first sandbox is the scenario list's row 12 (rows 0 to 11 are the scenarios).
constexpr int32_t kFirstSandboxRow = 12;

TEST(SandboxPark, TheSampleSandboxIsBuiltWithItsMoneyAndGuestsComeIn)
{
    GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    harness.EnterPark(kFirstSandboxRow);
    ASSERT_NE(g_pWorld, nullptr) << "the sandbox was not built: " << harness.Reports().debug
                                 << (harness.Reports().boxes.empty() ? "" : harness.Reports().boxes.front().text);
    EXPECT_TRUE(harness.GetGame().IsSandbox());
    EXPECT_EQ(g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING), kSandboxBuildings);
    EXPECT_EQ(g_pObjectManager->GetBuildingsByName("ENTRANCE").size(), 1u);
    EXPECT_EQ(g_pObjectManager->GetBuildingsByName("RESTSMALL").size(), 1u);
    EXPECT_EQ(g_pObjectManager->GetBuildingsByName("STAFFSMALL").size(), 1u);
    EXPECT_NEAR(g_pWorld->GetPlayer()->Cash, kSandboxCash, 50.0f);
    // The first guest comes in 8 game seconds after the start: 30 s at four times the speed is enough.
    g_pWorld->SetGameSpeedLevel(2);
    harness.RunFrames(230);
    EXPECT_GT(g_pWorld->m_TotalGuestArrive[0] + g_pWorld->m_TotalGuestArrive[1], 0);
    EXPECT_TRUE(harness.Reports().boxes.empty()) << harness.Reports().boxes.front().text;
    GameHarness::Keep(harness.Screenshot(), "sandbox");
}

} // namespace
