// A guest's panel in the running program, by the pointer alone: once guests are in the first scenario's park, the
// toolbar's staff button opens the object browser, and the button at the end of a guest's row opens that guest's
// panel on its sand background with the guest's name written along its title row; its close button closes it.
#include "park/GuestObject.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// The panel's place on the screen.
constexpr int kPanelLeft = 10;
constexpr int kPanelTop = 294;

class GuestPanelInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        g_pWorld->SetGameSpeedLevel(2);
        for (int i = 0; i < 1200 && g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST).empty(); i += 30)
            harness.RunFrames(30);
        ASSERT_FALSE(g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST).empty()) << "no guest came in";
    }
};

TEST_F(GuestPanelInGameTest, TheObjectBrowsersRowButtonOpensAGuestsPanel)
{
    // The lists button (590, 506 to 650, 530) opens the object browser on its guests page; its first row's button
    // (the page at 28, 120, its table at 0, 42 on it, the button's column from 370) opens the row's guest's panel.
    Click(620, 518);
    running = harness.RunFrames(10) && running;
    ASSERT_TRUE(Gui().IsDialogOpen("ObjectBrowser"));
    Click(404, 169);
    running = harness.RunFrames(10) && running;
    auto* guest = dynamic_cast<GuestObject*>(OpenFor("GuestPanel"));
    ASSERT_NE(guest, nullptr) << "no guest's panel opened";
    EXPECT_EQ(guest->GetSelectLevel(), 2);

    // On its sand, the guest's name and what it is doing written in brown along the first two rows, in the GL frame
    // read back.
    const gametest::Frame frame = harness.Screenshot();
    ASSERT_FALSE(frame.pixels.empty());
    gametest::GameHarness::Keep(frame, "guest-panel");
    EXPECT_TRUE(gametest::NearRgb(frame.At(kPanelLeft + 200, kPanelTop + 150), gametest::kPanelSand, 12));
    for (const int row : {6, 28})
    {
        EXPECT_GT(gametest::PanelTextPixels(frame, kPanelLeft, kPanelTop, row), 40)
            << "row " << row << " is not written";
    }

    // Its close button (290, 4 to 330, 28) closes it.
    Click(kPanelLeft + 310, kPanelTop + 16);
    running = harness.RunFrames(10) && running;
    EXPECT_EQ(OpenFor("GuestPanel"), nullptr);
    EXPECT_TRUE(running);
}

} // namespace
