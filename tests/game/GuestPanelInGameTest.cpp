// A guest's panel in the running program, by the pointer alone: once guests are in the first scenario's park, the
// toolbar's staff button opens the object browser, and the button at the end of a guest's row opens that guest's
// panel on its sand background with the guest's name written along its title row; its buttons make the camera follow
// the guest or look through its eyes, and the hint that shows meanwhile lets go; its close button closes it.
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/CameraManager.h"
#include "world/GameCamera.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
        ASSERT_TRUE(harness.RunUntilAGuestComesIn(false));
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

    // Its track button (200, 4 to 240, 28) makes the camera follow the guest and says how to stop; the hint's Stop
    // lets it go.
    Click(kPanelLeft + 220, kPanelTop + 16);
    running = harness.RunFrames(5) && running;
    EXPECT_EQ(g_pCameraManager->GetTrackedObject(), guest->GetID());
    ASSERT_TRUE(Gui().IsDialogOpen("CancelCamera"));
    ASSERT_TRUE(ClickCommand("ExitCamera"));
    running = harness.RunFrames(5) && running;
    EXPECT_NE(g_pCameraManager->GetTrackedObject(), guest->GetID());
    EXPECT_FALSE(Gui().IsDialogOpen("CancelCamera"));
    // Its eyes button (245, 4 to 285, 28) looks through the guest's eyes; Escape lets go.
    Click(kPanelLeft + 265, kPanelTop + 16);
    running = harness.RunFrames(5) && running;
    EXPECT_EQ(g_pCameraManager->GetCurrentType(), GameCamera::kFirstPerson);
    EXPECT_TRUE(Gui().IsDialogOpen("CancelCamera"));
    Key(XK_Escape);
    running = harness.RunFrames(3) && running;
    EXPECT_EQ(g_pCameraManager->GetCurrentType(), GameCamera::kTracking);
    EXPECT_FALSE(Gui().IsDialogOpen("CancelCamera"));

    // Its close button (290, 4 to 330, 28) closes it.
    Click(kPanelLeft + 310, kPanelTop + 16);
    running = harness.RunFrames(10) && running;
    EXPECT_EQ(OpenFor("GuestPanel"), nullptr);
    EXPECT_TRUE(running);
}

// A thought about a building that is then pulled down goes from the open panel, and the thought behind it moves up
// into its row and is shown there while the panel stays open.
TEST_F(GuestPanelInGameTest, AThoughtAboutAGoneBuildingMakesWayForTheNextOneInTheOpenPanel)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
    ASSERT_EQ(found.size(), 1u);
    auto* guest = dynamic_cast<GuestObject*>(g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST).front());
    ASSERT_NE(guest, nullptr);
    // Slot 0: the fun house's price; slot 1: hunger, about nothing in particular.
    ASSERT_GE(guest->AddThought("GUEST_THOUGHT_DESIRE_MEALS", kNoObjectID), 0);
    ASSERT_GE(guest->AddThought("GUEST_THOUGHT_PRICE_GOOD", found[0]->GetID()), 0);
    guest->OnSelected(true, false);
    running = harness.RunFrames(10) && running;
    ASSERT_EQ(OpenFor("GuestPanel"), guest);
    // The first thought's row (10, 204 to 330, 216 on the panel), in the panel's text colour.
    const auto firstThoughtInk = [&]
    {
        const gametest::Frame frame = harness.Screenshot();
        return frame.pixels.empty() ? -1
                                    : gametest::CountNearRgb(frame, kPanelLeft + 10, kPanelTop + 204, kPanelLeft + 330,
                                                             kPanelTop + 216, gametest::kPanelText, 24);
    };
    ASSERT_GT(firstThoughtInk(), 20) << "the thought about the fun house is not written";

    found[0]->SetWaitingForDeath(true);
    running = harness.RunFrames(10) && running;
    ASSERT_TRUE(g_pObjectManager->GetBuildingsByName("FUNHOUSE").empty());
    ASSERT_EQ(OpenFor("GuestPanel"), guest);
    EXPECT_NE(guest->GetThought(0), -1);
    EXPECT_GT(firstThoughtInk(), 20) << "the thought that moved up is not written in the first row";
    EXPECT_TRUE(running);
}

} // namespace
