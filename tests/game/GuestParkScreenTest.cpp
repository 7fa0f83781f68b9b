// The guest park in the running program: the real Game, in its window on a private X server, enters the sample
// data's guest park; guests come in and walk, and each frame shows them in their own colour where they stand.
#include "engine/render/GraphicsManager.h"
#include "game/Game.h"
#include "park/GuestObject.h"
#include "scripts/ObjectStates.h"
#include "tests/game/GameHarness.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/SkyDome.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

namespace
{

using gametest::CountShades;
using gametest::Frame;
using gametest::GameHarness;
using gametest::IsShadeOf;
using gametest::ShadesNear;

// The colour the sample data gives the guest's model (src/models/visitor_a.txt) and the cafe's body (CAFE.txt).
constexpr uint32_t kGuestBlue = 0x2848D8;
constexpr uint32_t kCafePink = 0xE070A0;

// Whether any of the 5 x 5 pixels round the screen point of a scene point is of that colour.
bool ShowsNear(const Frame& frame, const platform::Vec3& scene, uint32_t colour)
{
    return gametest::ShadesNear(frame, scene, colour, 2) > 0;
}

bool OnScreen(const Frame& frame, const platform::Vec3& scene)
{
    platform::Vec3 screen;
    g_GraphicsManager.ProjectToScreen(scene, &screen);
    return screen.z > 0.0f && screen.z < 1.0f && frame.Contains(static_cast<int>(screen.x), static_cast<int>(screen.y));
}

TEST(GuestParkScreen, GuestsWalkTheParkAndShowWhereTheyStand)
{
    GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    // The second scenario of the list is the guest park.
    const std::filesystem::path scenario = harness.DataFolder() + "/data/Scenario/Scenario2";
    std::filesystem::create_directories(scenario);
    std::filesystem::copy_file(harness.DataFolder() + "/data/Scenario/GuestPark/GuestPark.pis",
                               scenario / "Scenario2.pis", std::filesystem::copy_options::overwrite_existing);
    harness.EnterPark(1);
    ASSERT_NE(g_pWorld, nullptr);
    g_pWorld->SetGameSpeedLevel(2);
    // What entering any park of the sample data reports (its missing GUI script and textures) is not the guests'.
    harness.Reports().boxes.clear();
    // Half a game minute: the park's first guests are in and walking.
    harness.RunFrames(240);
    const std::vector<BaseObject*> guests = g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST);
    ASSERT_GE(guests.size(), 4u);
    int walking = 0;
    for (BaseObject* object : guests)
        walking += static_cast<const GuestObject*>(object)->IsMoving() ? 1 : 0;
    EXPECT_GT(walking, 0);
    // The guests in view of the frame, and of those the ones shown in blue at their middles, 0.9 above where they
    // stand.
    const auto look = [](const Frame& frame)
    {
        std::pair<int, int> inViewShown{0, 0};
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
        {
            const auto* guest = static_cast<const GuestObject*>(object);
            if (!guest->IsVisible() || guest->GetScene() == nullptr)
                continue;
            platform::Vec3 middle = guest->GetPosition();
            middle.y += 0.9f;
            if (!OnScreen(frame, middle))
                continue;
            ++inViewShown.first;
            inViewShown.second += ShowsNear(frame, middle, kGuestBlue) ? 1 : 0;
        }
        return inViewShown;
    };
    // The park's starting view looks at where its guests walk.
    const Frame start = harness.Screenshot();
    GameHarness::Keep(start, "guest-park-start");
    ASSERT_EQ(start.pixels.size(), 800u * 600u);
    EXPECT_GE(look(start).first, 2);

    // Seen from 30 above the cross path's side of the avenue (the sun's side, +z), looking back up it: the faces
    // turned to the camera are in the sun, and no haze lies between.
    // (The park opens in the morning: the sun is up.)
    ASSERT_GT(g_SkyDome.GetSunDirection().y, 0.2f);
    const platform::Vec3 avenue{4.0f * 64.0f + 514.0f, 0.0f, 4.0f * 24.0f + 514.0f};
    GameHarness::PlaceCamera({avenue.x, 18.0f, avenue.z + 70.0f}, avenue);
    harness.RunFrames(1);
    const Frame frame = harness.Screenshot();
    GameHarness::Keep(frame, "guest-park");

    // Every guest in view shows in blue at its middle.
    const auto [inView, shown] = look(frame);
    ASSERT_GT(inView, 0);
    EXPECT_GE(shown, inView - 1) << shown << " of " << inView;
    // The cafe they eat at shows in its own colour where it stands.
    const BaseObject* cafe = g_pObjectManager->GetBuildingsByName("CAFE").at(0);
    platform::Vec3 body = cafe->GetPosition();
    body.y += 1.5f;
    EXPECT_TRUE(!OnScreen(frame, body) || ShowsNear(frame, body, kCafePink));

    // A moment later the walkers stand elsewhere, and are drawn there.
    harness.RunFrames(30);
    const Frame later = harness.Screenshot();
    GameHarness::Keep(later, "guest-park-later");
    const auto [movedInView, movedShown] = look(later);
    EXPECT_GT(movedInView, 0);
    EXPECT_GE(movedShown, movedInView - 1) << movedShown << " of " << movedInView;
    // Nothing for a message box while the guests came and went.
    EXPECT_TRUE(harness.Reports().boxes.empty()) << harness.Reports().boxes.front().text;
}

} // namespace
