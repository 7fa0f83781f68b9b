// Tests of scrolling the park's view with the pointer at the screen's edge, driven by the real X pointer: the view
// follows a pointer resting on an edge of the window, and stops when the pointer leaves the window or the window
// loses the focus with the pointer still on the edge.
#include "engine/core/GameInput.h"
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "tests/game/PointerGameTest.h"
#include "tests/platform/SdlTestEvents.h"
#include "world/CameraKinds.h"
#include "world/CameraManager.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

using gametest::FirstParkPointerTest;
using platform::Vec3;

class EdgeScrollPointerTest : public FirstParkPointerTest
{
protected:
    TrackingCamera& Camera() const { return *static_cast<TrackingCamera*>(g_pCameraManager->GetCurrentCamera()); }
    // The view's point on the ground put back in the middle of the park, far from where it is held.
    void Recentre() const
    {
        const float x = (WorldMap::kOrigin + g_pWorldMap->GetSceneMaxX()) / 2.0f;
        const float z = (WorldMap::kOrigin + g_pWorldMap->GetSceneMaxZ()) / 2.0f;
        Camera().SetDestLookAt(x, 0.0f, z, true);
    }
    // How far the view's point moves over n frames.
    float MovedOver(int n)
    {
        const Vec3 before = Camera().GetDestLookAt();
        running = harness.RunFrames(n) && running;
        return platform::Vec3Length(Camera().GetDestLookAt() - before);
    }
};

TEST_F(EdgeScrollPointerTest, ThePointerScrollsTheViewOnlyWhileItRestsOnTheFocusedWindow)
{
    ASSERT_EQ(g_pCameraManager->GetCurrentType(), GameCamera::kTracking);
    ASSERT_TRUE(harness.GetGame().IsEdgeScrolling());
    const struct
    {
        const char* name;
        int edgeX, edgeY;         // a picture point on an edge
        std::function<void()> go; // takes the pointer away from the window, or the window's focus
        std::function<void()> back;
    } cases[] = {
        {"off the right side", 799, 300, [&] { pointer->MoveTo(800 + offsetX + 150, 300 + offsetY); }, [] {}},
        {"below the bottom", 400, 599, [&] { pointer->MoveTo(400 + offsetX, 600 + offsetY + 100); }, [] {}},
        {"the focus gone", 0, 300, [] { sdltest::PushFocus(false); },
         [&]
         {
             sdltest::PushFocus(true);
             Settle();
         }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Gui().CloseAllDialogs();
        Move(400, 300);
        Recentre();
        Settle();
        ASSERT_LT(MovedOver(5), 0.01f) << "the view moves with the pointer in the middle";

        Move(c.edgeX, c.edgeY);
        ASSERT_GT(MovedOver(5), 0.5f) << "the pointer on the edge scrolls the view";

        c.go();
        Settle();
        ASSERT_TRUE(g_pGameInput->GetMouseX() == c.edgeX && g_pGameInput->GetMouseY() == c.edgeY)
            << "the pointer reads where it was left: " << g_pGameInput->GetMouseX() << ", "
            << g_pGameInput->GetMouseY();
        EXPECT_LT(MovedOver(20), 0.01f) << "the view ran on with the pointer away from the window";
        c.back();
    }
    EXPECT_TRUE(running);
}

} // namespace
