// The park screen's corner in the running program: the radar, made on the sample scenario's picture when the park
// loads, drawn with the park's buildings on it, a click on it turning the camera to the point under the cursor; the
// progress extension beside it with the scenario's dialog; the park stepping the engine's input once a frame.
#include "engine/core/EngineCore.h"
#include "engine/core/EngineInput.h"
#include "game/Game.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/Radar.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/CameraManager.h"
#include "world/GameCamera.h"
#include "world/ObjectManager.h"
#include "world/StaticObject.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using gametest::Frame;
using gametest::GameHarness;

class RadarInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(3);
    }
};

// Pixels inside the rectangle that are a shade of the colour.
int ShadesIn(const Frame& frame, const GuiRect& r, uint32_t colour)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (frame.Contains(x, y) && gametest::IsShadeOf(frame.At(x, y), colour))
                ++n;
    return n;
}

TEST_F(RadarInGameTest, TheParkOpensWithTheRadarOnTheScenariosPicture)
{
    const Radar& radar = Gui().GetRadar();
    ASSERT_TRUE(Gui().IsRadarActive());
    EXPECT_EQ(radar.GetMapSpriteName(), "radar_baycrest");
    EXPECT_TRUE(radar.IsExpanded());
    const GuiRect map = radar.GetMapRect();
    // The sample picture is 144 pixels square, 12 right of and 8 below the panel's corner.
    EXPECT_EQ(map.right - map.left, 144);
    EXPECT_EQ(map.bottom - map.top, 144);
    EXPECT_EQ(map.left - radar.GetRect().left, 12);
    EXPECT_EQ(map.top - radar.GetRect().top, 8);
    harness.RunFrames(2);
    const Frame frame = harness.Screenshot();
    ASSERT_FALSE(frame.pixels.empty());
    GameHarness::Keep(frame, "radar");
    // The picture's sea (#2060A0) shows along its edge where the camera's cone does not lighten it (the cone
    // covers less than half the picture); the park's buildings show in grey on it.
    const int sea = ShadesIn(frame, {map.left, map.top, map.right, map.top + 6}, 0xFF2060A0) +
                    ShadesIn(frame, {map.left, map.bottom - 6, map.right, map.bottom}, 0xFF2060A0) +
                    ShadesIn(frame, {map.left, map.top + 6, map.left + 6, map.bottom - 6}, 0xFF2060A0) +
                    ShadesIn(frame, {map.right - 6, map.top + 6, map.right, map.bottom - 6}, 0xFF2060A0);
    EXPECT_GT(sea, 144 * 6);
    EXPECT_GT(g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING), 0u);
    EXPECT_GT(ShadesIn(frame, map, Radar::kBuildingColour), 0);
}

TEST_F(RadarInGameTest, EachBuildingIsDrawnInGreyWhereItStandsWithTheParksYAxisUp)
{
    harness.RunFrames(2);
    const Frame frame = harness.Screenshot();
    ASSERT_FALSE(frame.pixels.empty());
    const GuiRect map = Gui().GetRadar().GetMapRect();
    const float cellsAcross = static_cast<float>(g_pWorldMap->GetWidth());
    const float cellsUp = static_cast<float>(g_pWorldMap->GetHeight());
    const uint32_t count = g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING);
    ASSERT_GT(count, 0u);
    for (uint32_t i = 0; i < count; ++i)
    {
        const auto* building =
            dynamic_cast<const StaticObject*>(g_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, i));
        ASSERT_NE(building, nullptr);
        // The middle of its footprint in cells (a cell is 32 map units across and 64 up), then on the picture,
        // whose top row is the park's far edge.
        const float cx = building->GetWorldPosition().x / 32.0f + building->GetGridW() / 2.0f;
        const float cy = building->GetWorldPosition().y / 64.0f + building->GetGridH() / 2.0f;
        const int px = map.left + static_cast<int>(cx / cellsAcross * 144.0f);
        const int py = map.top + static_cast<int>((1.0f - cy / cellsUp) * 144.0f);
        int grey = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                grey += gametest::IsShadeOf(frame.At(px + dx, py + dy), Radar::kBuildingColour) ? 1 : 0;
        EXPECT_GE(grey, 5) << building->GetName() << " at " << px << "," << py;
        // Its mirror image across the picture's middle row is not a building's.
        const int mirrored = map.top + map.bottom - py;
        bool other = false;
        for (uint32_t j = 0; j < count; ++j)
        {
            const auto* b =
                dynamic_cast<const StaticObject*>(g_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, j));
            const float top = 144.0f * (1.0f - (b->GetWorldPosition().y / 64.0f + b->GetGridH()) / cellsUp);
            const float bottom = 144.0f * (1.0f - b->GetWorldPosition().y / 64.0f / cellsUp);
            other = other || (mirrored - map.top >= top - 2 && mirrored - map.top <= bottom + 2);
        }
        if (!other)
        {
            EXPECT_FALSE(gametest::IsShadeOf(frame.At(px, mirrored), Radar::kBuildingColour)) << building->GetName();
        }
    }
}

TEST_F(RadarInGameTest, AClickOnTheRadarTurnsTheCameraToThePointUnderTheCursor)
{
    const GuiRect map = Gui().GetRadar().GetMapRect();
    // A point a quarter across and a third down the picture.
    const int dx = 36, dy = 48;
    Click(map.left + dx, map.top + dy);
    ASSERT_TRUE(g_pCameraManager && g_pCameraManager->GetCurrentCamera());
    // The park's extent in map units: 32 across and 64 up for each cell.
    const float w = 32.0f * static_cast<float>(g_pWorldMap->GetWidth());
    const float h = 64.0f * static_cast<float>(g_pWorldMap->GetHeight());
    const float mx = (static_cast<float>(dx) + 0.5f) / 144.0f * w;
    const float my = (1.0f - (static_cast<float>(dy) + 0.5f) / 144.0f) * h;
    // In scene units a cell is 4 long both ways, from 512.
    const float sx = 512.0f + mx / 32.0f * 4.0f, sz = 512.0f + my / 64.0f * 4.0f;
    const platform::Vec3 at = g_pCameraManager->GetCurrentCamera()->GetDestLookAt();
    EXPECT_NEAR(at.x, sx, 0.01f);
    EXPECT_NEAR(at.z, sz, 0.01f);
    EXPECT_TRUE(running);
}

// While the camera follows an object or rides on it, a click on the radar still turns the view to the point under
// the cursor: the object is let go for the park's own camera and the hint that offered to let it go closes.
TEST_F(RadarInGameTest, AClickOnTheRadarLetsAFollowedOrRiddenObjectGoAndTurnsTheCameraThere)
{
    ASSERT_GT(g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING), 0u);
    const BaseObject* building = g_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, 0);
    ASSERT_NE(building, nullptr);
    const GuiRect map = Gui().GetRadar().GetMapRect();
    const int dx = 36, dy = 48;
    // The point under the cursor as above: a quarter across and a third down the 144-pixel picture.
    const float w = 32.0f * static_cast<float>(g_pWorldMap->GetWidth());
    const float h = 64.0f * static_cast<float>(g_pWorldMap->GetHeight());
    const float sx = 512.0f + (static_cast<float>(dx) + 0.5f) / 144.0f * w / 32.0f * 4.0f;
    const float sz = 512.0f + (1.0f - (static_cast<float>(dy) + 0.5f) / 144.0f) * h / 64.0f * 4.0f;
    for (const bool ride : {false, true})
    {
        SCOPED_TRACE(ride ? "riding" : "following");
        ASSERT_TRUE(ride ? g_pCameraManager->ToggleFirstPersonCam(building->GetID())
                         : g_pCameraManager->TrackObject(building->GetID()));
        Gui().OpenDialog("CancelCamera", nullptr);
        running = harness.RunFrames(3) && running;
        ASSERT_EQ(g_pCameraManager->GetTrackedObject(), building->GetID());

        Click(map.left + dx, map.top + dy);
        running = harness.RunFrames(3) && running;
        EXPECT_EQ(g_pCameraManager->GetCurrentType(), GameCamera::kTracking);
        EXPECT_EQ(g_pCameraManager->GetTrackedObject(), 0xFFFFFFFFu);
        EXPECT_FALSE(Gui().IsDialogOpen("CancelCamera"));
        const platform::Vec3 at = g_pCameraManager->GetCurrentCamera()->GetDestLookAt();
        EXPECT_NEAR(at.x, sx, 0.01f);
        EXPECT_NEAR(at.z, sz, 0.01f);
    }
    EXPECT_TRUE(running);
}

TEST_F(RadarInGameTest, TheToggleButtonRollsTheRadarUpWithAClick)
{
    const GuiRect panel = Gui().GetRadar().GetRect();
    Click(panel.left + Radar::kButtonOffset + 8, panel.top + 8);
    harness.RunFrames(3);
    EXPECT_FALSE(Gui().GetRadar().IsExpanded());
    EXPECT_EQ(Gui().GetRadar().GetRect().bottom - Gui().GetRadar().GetRect().top, 40);
}

TEST_F(RadarInGameTest, TheProgressExtensionHoldsTheScenariosProgressDialogBesideTheRadar)
{
    EXPECT_TRUE(Gui().IsProgressExtensionShown());
    // The sample scenario has one objective and names the dialog "ProgressSample".
    EXPECT_EQ(Gui().GetProgressExtensionPicture(), "uis_progress_extension1");
    EXPECT_EQ(Gui().GetProgressDialogName(), "ProgressSample");
    const DialogItem* dialog = Gui().GetProgressDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetRect().left, 172);
    EXPECT_EQ(dialog->GetRect().top, 0);
    EXPECT_EQ(Gui().GetProgressExtensionRect().left, 172);
    EXPECT_GT(Gui().GetProgressExtensionRect().bottom, 0);
    // The pointer resting on it is over the GUI, so the tools leave the park alone.
    Move(172 + 20, 10);
    EXPECT_TRUE(Gui().IsMouseOverGui(false));
    Move(400, 300);
    EXPECT_FALSE(Gui().IsMouseOverGui(false));
}

TEST_F(RadarInGameTest, TheParkStepsTheEngineInputOnceAFrame)
{
    ASSERT_TRUE(g_pEngineCore && g_pEngineCore->m_pInput);
    const uint32_t before = g_pEngineCore->m_pInput->GetUpdateCount();
    harness.RunFrames(5);
    EXPECT_EQ(g_pEngineCore->m_pInput->GetUpdateCount() - before, 5u);
}

} // namespace
