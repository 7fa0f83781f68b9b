// The sample scenarios' goals of money made in one day, in the running program: the money back for buildings sold
// is no takings and no profit, whatever it comes to; what guests pay on that day and the next counts.
#include "game/Game.h"
#include "park/BuildingObject.h"
#include "tests/game/GameHarness.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{

using ScenarioGoalsInGameTest = gametest::StartedGameTest<>;

// The buildings of the park, counted.
uint32_t Buildings()
{
    return g_pObjectManager->CountObjectsOfKind(OBJECT_BUILDING);
}

TEST_F(ScenarioGoalsInGameTest, BuildingsSoldMakeNoTakingsNorProfitButGuestsDoOnThatDayAndTheNext)
{
    struct Case
    {
        const char* name;
        int32_t row;                   // the scenario list's row
        uint32_t objective;            // the goal's objective
        float goal;                    // the money the goal names
        bool profit;                   // a profit: the day's costs come off the takings
        std::vector<const char*> sold; // buildings standing at the start
        float refund;                  // three quarters of what they cost to build, paid back
    };
    // The Lighthouse Pier: "Take $1500 in one day", its old fun house and cafe sold ((1800 + 1200) x 0.75 back);
    // Ocean Crown: "Make a profit of $600 in one day", its show arena sold (5000 x 0.75 back) with its dolphin
    // (1200 x 0.75).
    const Case cases[] = {
        {"pier takings", 6, 0, 1500.0f, false, {"FUNHOUSE", "CAFE"}, 2250.0f},
        {"crown profit", 11, 1, 600.0f, true, {"ARENA"}, 4650.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        harness.GetGame().UnlockAllScenarios();
        harness.EnterPark(c.row);
        ASSERT_NE(g_pWorld, nullptr);
        ASSERT_TRUE(harness.RunFrames(5));
        World& world = *g_pWorld;
        const auto made = [&world, &c]
        { return c.profit ? world.m_fIncomeToday - world.m_fCostsToday : world.m_fIncomeToday; };
        ASSERT_EQ(world.GetObjectiveStatus(c.objective), 0u);

        const uint32_t standing = Buildings();
        const float before = made();
        for (const char* name : c.sold)
        {
            const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(name);
            ASSERT_EQ(found.size(), 1u) << name;
            static_cast<BuildingObject*>(found.front())->Sell();
        }
        for (int frame = 0; frame < 3000 && Buildings() + c.sold.size() > standing; ++frame)
            harness.RunFrames(1);
        ASSERT_EQ(Buildings() + c.sold.size(), standing) << "the buildings sold are not gone";
        harness.RunFrames(3);
        // The money back alone is more than the goal, and meets nothing.
        EXPECT_NEAR(made() - before, c.refund, 1.0f);
        EXPECT_EQ(world.GetObjectiveStatus(c.objective), 0u) << "selling buildings met the goal";

        // Guests pay on the same day: what they pay is what counts.
        world.m_fIncomeToday += c.goal - (made() - c.refund) - 1.0f;
        harness.RunFrames(2);
        EXPECT_EQ(world.GetObjectiveStatus(c.objective), 0u) << "a dollar short of the goal met it";
        world.m_fIncomeToday += 1.0f;
        harness.RunFrames(2);
        EXPECT_EQ(world.GetObjectiveStatus(c.objective), 1u) << "the guests' money on the day of a sale is not counted";

        // The next day starts afresh: the refunds of the day before take nothing off what guests pay then.
        const int32_t day = world.m_GameDay;
        world.SetGameTime((day + 1) * static_cast<double>(world.GetDayLength()) - 0.05);
        for (int frame = 0; frame < 200 && world.m_GameDay == day; ++frame)
            harness.RunFrames(1);
        ASSERT_EQ(world.m_GameDay, day + 1);
        EXPECT_EQ(world.m_fIncomeToday, 0.0f);
        world.m_iObjectiveStatus[c.objective] = 0; // met the day before; watched again
        harness.RunFrames(2);
        EXPECT_EQ(world.GetObjectiveStatus(c.objective), 0u);
        world.m_fIncomeToday += c.goal + (c.profit ? world.m_fCostsToday : 0.0f);
        harness.RunFrames(2);
        EXPECT_EQ(world.GetObjectiveStatus(c.objective), 1u) << "the guests' money the day after a sale is not counted";

        harness.SelectScreen(Game::kMainMenuScreen);
        ASSERT_EQ(g_pWorld, nullptr);
    }
}

} // namespace
