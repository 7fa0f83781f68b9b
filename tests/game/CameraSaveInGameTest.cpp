// The park's camera in a game saved while it follows a guest or looks through its eyes, in the running program:
// loaded back from the main menu, the camera goes on as it was saved and the hint that lets it go is shown again,
// so Escape ends the ride.
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

namespace
{

// The guest panel's place on the screen and its two camera buttons.
constexpr int kPanelLeft = 10;
constexpr int kPanelTop = 294;

struct SavedRide
{
    const char* name;
    int buttonX;        // the panel button pressed before the save
    int32_t cameraType; // the camera current before the save and after the load
};

class CameraSaveInGameTest : public gametest::PointerGameTest, public ::testing::WithParamInterface<SavedRide>
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        ASSERT_TRUE(harness.RunUntilAGuestComesIn(true));
    }
};

TEST_P(CameraSaveInGameTest, ALoadedRideOnAGuestCanBeEndedWithEscape)
{
    const SavedRide& ride = GetParam();
    // The lists button opens the object browser; its first row's button opens that guest's panel.
    Click(620, 518);
    running = harness.RunFrames(10) && running;
    Click(404, 169);
    running = harness.RunFrames(10) && running;
    auto* guest = dynamic_cast<GuestObject*>(OpenFor("GuestPanel"));
    ASSERT_NE(guest, nullptr) << "no guest's panel opened";
    const uint32_t id = guest->GetID();
    Click(kPanelLeft + ride.buttonX, kPanelTop + 16);
    running = harness.RunFrames(5) && running;
    ASSERT_EQ(g_pCameraManager->GetCurrentType(), ride.cameraType);
    ASSERT_EQ(g_pCameraManager->GetTrackedObject(), id);
    ASSERT_TRUE(Gui().IsDialogOpen("CancelCamera"));

    ASSERT_TRUE(harness.GetGame().SaveToSlot(0));
    ASSERT_TRUE(harness.LoadFromMainMenu(0, 1));
    running = harness.RunFrames(5) && running;
    ASSERT_NE(g_pObjectManager->GetObject(id), nullptr);
    EXPECT_EQ(g_pCameraManager->GetCurrentType(), ride.cameraType);
    EXPECT_EQ(g_pCameraManager->GetTrackedObject(), id);
    // The hint is back, and Escape lets the guest go for the park's own view.
    EXPECT_TRUE(Gui().IsDialogOpen("CancelCamera"));
    Key(XK_Escape);
    running = harness.RunFrames(3) && running;
    EXPECT_EQ(g_pCameraManager->GetCurrentType(), GameCamera::kTracking);
    EXPECT_NE(g_pCameraManager->GetTrackedObject(), id);
    EXPECT_FALSE(Gui().IsDialogOpen("CancelCamera"));
    EXPECT_FALSE(Gui().IsDialogOpen("InGameOptions"));
    EXPECT_TRUE(running);
}

// The panel's track button (200 to 240) and eyes button (245 to 285).
const SavedRide kRides[] = {
    {"Following", 220, GameCamera::kTracking},
    {"ThroughItsEyes", 265, GameCamera::kFirstPerson},
};

INSTANTIATE_TEST_SUITE_P(Rides, CameraSaveInGameTest, ::testing::ValuesIn(kRides),
                         [](const ::testing::TestParamInfo<SavedRide>& info) { return info.param.name; });

} // namespace
