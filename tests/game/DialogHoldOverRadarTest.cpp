// A press that a park dialog took stays that dialog's while the button is held: dragging the dialog by its title
// with the pointer run ahead of it onto the radar leaves the camera where it was.
#include "game/Game.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/Radar.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/CameraManager.h"
#include "world/GameCamera.h"
#include "world/World.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace
{

struct HoldCase
{
    const char* name;
    // Where on the radar's picture the pointer is run to, in quarters of its width and height.
    int quartersAcross;
    int quartersDown;
};

class DialogHoldOverRadarTest : public gametest::PointerGameTest, public ::testing::WithParamInterface<HoldCase>
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(3);
    }
};

TEST_P(DialogHoldOverRadarTest, TheCameraStaysWhereItWas)
{
    Key(XK_F2);
    ASSERT_TRUE(Gui().IsDialogOpen("InGameOptions"));
    const auto* dialog = static_cast<const DialogItem*>(Gui().FindItem(WT_DIALOG, "InGameOptions"));
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Gui().IsRadarActive());
    const GuiRect map = Gui().GetRadar().GetMapRect();
    const int mapX = map.left + (map.right - map.left) * GetParam().quartersAcross / 4;
    const int mapY = map.top + (map.bottom - map.top) * GetParam().quartersDown / 4;
    // That point lies outside the dialog, so the pointer leaves the dialog on the way there.
    ASSERT_FALSE(mapX >= dialog->GetRect().left && mapX <= dialog->GetRect().right && mapY >= dialog->GetRect().top &&
                 mapY <= dialog->GetRect().bottom);

    const int homeLeft = dialog->GetRect().left;
    ASSERT_TRUE(g_pCameraManager && g_pCameraManager->GetCurrentCamera());
    Run(5);
    const platform::Vec3 before = g_pCameraManager->GetCurrentCamera()->GetDestLookAt();

    // The press lands on the dialog's title strip, by which it is dragged.
    Move(dialog->GetRect().left + 120, dialog->GetRect().top + 15);
    Press(true);
    Move(mapX, mapY);
    Run(3);
    const platform::Vec3 held = g_pCameraManager->GetCurrentCamera()->GetDestLookAt();
    Press(false);
    Run(3);
    const platform::Vec3 after = g_pCameraManager->GetCurrentCamera()->GetDestLookAt();

    EXPECT_NEAR(held.x, before.x, 0.01f);
    EXPECT_NEAR(held.z, before.z, 0.01f);
    EXPECT_NEAR(after.x, before.x, 0.01f);
    EXPECT_NEAR(after.z, before.z, 0.01f);
    // The drag was the dialog's own: it followed the pointer left.
    EXPECT_LT(dialog->GetRect().left, homeLeft);
    EXPECT_TRUE(Gui().IsDialogOpen("InGameOptions"));
    EXPECT_TRUE(running);
}

INSTANTIATE_TEST_SUITE_P(Holds, DialogHoldOverRadarTest,
                         ::testing::Values(HoldCase{"MapMiddle", 2, 2}, HoldCase{"MapUpperLeft", 1, 1},
                                           HoldCase{"MapLowerRight", 3, 3}),
                         [](const ::testing::TestParamInfo<HoldCase>& info) { return info.param.name; });

} // namespace
