// The sample park's building panels in the running program, by the pointer alone: a click on the fun house opens
// its panel on its sand background with its name, Close and Open close and open it, the price's arrow raises the
// ticket price, Next opens the next building's panel on a fresh background and turns the camera, and Sell asks
// first, then pulls the fun house down for three quarters of its cost.
#include "engine/render/GraphicsManager.h"
#include "park/BuildingObject.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/CameraManager.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

// The panel's place on the screen.
constexpr int kPanelLeft = 450;
constexpr int kPanelTop = 250;
// What the fun house costs to build in the sample data; selling it pays back three quarters.
constexpr float kFunHouseCost = 1800.0f;

class BuildingPanelInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
        ASSERT_EQ(found.size(), 1u);
        funHouse = dynamic_cast<BuildingObject*>(found[0]);
        ASSERT_NE(funHouse, nullptr);
        // The camera above the fun house and to its +z side, looking down at it: nothing stands between.
        const platform::Vec3 middle = funHouse->GetPosition();
        gametest::GameHarness::PlaceCamera({middle.x, middle.y + 25.0f, middle.z + 25.0f}, middle);
        harness.RunFrames(3);
    }
    // A click on a point of the panel (dialog coordinates), then time for the button to fire.
    void ClickPanel(int x, int y)
    {
        Click(kPanelLeft + x, kPanelTop + y);
        running = harness.RunFrames(6) && running;
    }
    // Whether the point (dialog coordinates) shows the panel's sand.
    bool SandAt(const gametest::Frame& frame, int x, int y) const
    {
        return gametest::NearRgb(frame.At(kPanelLeft + x, kPanelTop + y), gametest::kPanelSand, 12);
    }

    BuildingObject* funHouse = nullptr;
};

TEST_F(BuildingPanelInGameTest, AClickOpensTheFunHousesPanelWhoseButtonsWorkItAndSellIt)
{
    // A click on the fun house (from its middle down the screen until one lands on it) opens its panel.
    platform::Vec3 screen;
    const platform::Vec3 at = funHouse->GetPosition();
    g_GraphicsManager.ProjectToScreen({at.x, at.y + 1.0f, at.z}, &screen);
    for (int down = 0; down <= 100 && funHouse->GetSelectLevel() != 2; down += 10)
    {
        Click(static_cast<int>(std::lround(screen.x)), static_cast<int>(std::lround(screen.y)) + down);
        harness.RunFrames(2);
    }
    harness.RunFrames(10);
    ASSERT_EQ(funHouse->GetSelectLevel(), 2);
    ASSERT_EQ(OpenFor("BUILDING_Menu"), funHouse);

    // Its sand background, and its name written in brown along the title row, in the GL frame read back.
    gametest::Frame frame = harness.Screenshot();
    ASSERT_FALSE(frame.pixels.empty());
    gametest::GameHarness::Keep(frame, "building-panel");
    EXPECT_TRUE(SandAt(frame, 300, 262));
    EXPECT_GT(gametest::PanelTextPixels(frame, kPanelLeft, kPanelTop, 6), 60) << "the name is not written";
    EXPECT_EQ(Value(funHouse, "BUILDING_NAME"), u"Fun house\u00A01");

    // Close (92, 230 to 168, 252) closes it, Open (10, 230 to 86, 252) opens it again.
    ClickPanel(130, 241);
    EXPECT_EQ(Value(funHouse, "BI_BUILDING_OPEN"), u"1");
    ClickPanel(48, 241);
    EXPECT_EQ(Value(funHouse, "BI_BUILDING_OPEN"), u"0");

    // The price's increment arrow (the adjuster at 250, 146; its arrow 67 to the right, 8 x 16) raises the ticket
    // by a whole dollar.
    const std::u16string price = Value(funHouse, "ATTRACTION_PRICE_0");
    ClickPanel(250 + 67 + 4, 146 + 8);
    EXPECT_EQ(std::stof(std::string(price.begin(), price.end())) + 1.0f,
              std::stof(
                  [&]
                  {
                      const std::u16string raised = Value(funHouse, "ATTRACTION_PRICE_0");
                      return std::string(raised.begin(), raised.end());
                  }()));

    // Next (80, 272 to 140, 296): another building's panel, drawn on its own sand, and the camera turns to it.
    const platform::Vec3 lookBefore = g_pCameraManager->GetLookAt();
    ClickPanel(110, 284);
    DialogListener* next = OpenFor("BUILDING_Menu");
    if (!next)
        next = OpenFor("FACILITY_Menu");
    if (!next)
        next = OpenFor("ENTRANCE_Menu");
    if (!next)
        next = OpenFor("ARENA_Menu");
    if (!next)
        next = OpenFor("EXHIBIT_Menu");
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next, funHouse);
    EXPECT_EQ(funHouse->GetSelectLevel(), 0);
    harness.RunFrames(30);
    frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "building-panel-next");
    if (OpenFor("BUILDING_Menu") || OpenFor("FACILITY_Menu") || OpenFor("EXHIBIT_Menu") || OpenFor("ARENA_Menu"))
    {
        EXPECT_TRUE(SandAt(frame, 300, 262)) << "the panel opened again has lost its background";
    }
    const platform::Vec3 lookAfter = g_pCameraManager->GetLookAt();
    EXPECT_GT(std::fabs(lookAfter.x - lookBefore.x) + std::fabs(lookAfter.z - lookBefore.z), 1.0f)
        << "the camera did not turn to the next building";

    // Back to the fun house by selecting it again, then Sell (256, 230 to 332, 252) asks first; Yes (the box at
    // 200, 230; its button at 90, 60 to 180, 84) pulls it down.
    funHouse->OnSelected(true, false);
    harness.RunFrames(10);
    ASSERT_EQ(OpenFor("BUILDING_Menu"), funHouse);
    ClickPanel(294, 241);
    ASSERT_EQ(OpenFor("ConfirmDemolish"), funHouse);
    // Its question, with the price, fits its box whole.
    EXPECT_EQ(CutVariables(), "");
    const float income = g_pWorld->m_fDemolishIncomeToday;
    Click(335, 302);
    running = harness.RunFrames(10) && running;
    EXPECT_FALSE(OpenFor("ConfirmDemolish"));
    EXPECT_FALSE(OpenFor("BUILDING_Menu"));
    for (int i = 0; i < 3000 && !g_pObjectManager->GetBuildingsByName("FUNHOUSE").empty(); ++i)
        harness.RunFrames(1);
    EXPECT_TRUE(g_pObjectManager->GetBuildingsByName("FUNHOUSE").empty());
    EXPECT_FLOAT_EQ(g_pWorld->m_fDemolishIncomeToday - income, 0.75f * kFunHouseCost);
    EXPECT_TRUE(running);
}

} // namespace
