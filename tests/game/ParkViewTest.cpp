// Tests of the park's view in the running program: the real Game, in its window on a private X server, enters the
// sample park and is seen through its starting camera, with the sky above the horizon and the ground wearing its
// base map; keys typed at the window move the camera and the picture with it; the sky and the haze follow the time
// of day as the sample's day tables say.
#include "engine/render/GraphicsManager.h"
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "tests/game/GameHarness.h"
#include "tests/platform/SdlTestEvents.h"
#include "world/BaseObject.h"
#include "world/CameraKinds.h"
#include "world/CameraManager.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/SkyDome.h"
#include "world/StaticObject.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace
{

using gametest::Frame;
using gametest::GameHarness;
using platform::Vec3;

// The sample day is 720 s long: 30 s an hour.
constexpr double kSecondsPerHour = 30.0;

int Sum(uint32_t rgb)
{
    return static_cast<int>((rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF));
}

// The pixels of the frame's top row whose colour is the sky's colour of the direction they look in (for the sun
// of the moment), and the mean colour of the row.
struct SkyRow
{
    int matching = 0;
    std::array<int, 3> mean{};
};

SkyRow ReadSkyRow(const Frame& frame)
{
    SkyRow row;
    const Vec3 sun = g_SkyDome.GetSunDirection();
    std::array<long, 3> sums{};
    for (int x = 0; x < static_cast<int>(frame.width); ++x)
    {
        Vec3 origin, direction;
        g_GraphicsManager.GetPickRay(static_cast<int16_t>(x), 1, &origin, &direction);
        const uint32_t pixel = frame.At(x, 1);
        row.matching += gametest::NearRgb(pixel, SkyDome::SkyColour(direction * 3.0f, sun), 16) ? 1 : 0;
        for (int c = 0; c < 3; ++c)
            sums[static_cast<size_t>(c)] += pixel >> (16 - 8 * c) & 0xFF;
    }
    for (int c = 0; c < 3; ++c)
        row.mean[static_cast<size_t>(c)] = static_cast<int>(sums[static_cast<size_t>(c)] / frame.width);
    return row;
}

// The mean colour of the 5 x 5 pixels round the screen point of a scene point.
uint32_t MeanAt(const Frame& frame, const Vec3& scene)
{
    Vec3 screen;
    g_GraphicsManager.ProjectToScreen(scene, &screen);
    const int cx = static_cast<int>(screen.x), cy = static_cast<int>(screen.y);
    std::array<int, 3> sums{};
    int n = 0;
    for (int y = cy - 2; y <= cy + 2; ++y)
        for (int x = cx - 2; x <= cx + 2; ++x)
            if (frame.Contains(x, y))
            {
                for (int c = 0; c < 3; ++c)
                    sums[static_cast<size_t>(c)] += static_cast<int>(frame.At(x, y) >> (16 - 8 * c) & 0xFF);
                ++n;
            }
    if (n == 0)
        return 0;
    return static_cast<uint32_t>(sums[0] / n) << 16 | static_cast<uint32_t>(sums[1] / n) << 8 |
           static_cast<uint32_t>(sums[2] / n);
}

int ChangedPixels(const Frame& a, const Frame& b)
{
    int changed = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        changed += a.pixels[i] != b.pixels[i] ? 1 : 0;
    return changed;
}

class ParkViewTest : public gametest::StartedGameTest<>
{
protected:
    void SetUp() override
    {
        StartedGameTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // A few frames of the front end first, as a player sees them: the game's input has found the pointer (in
        // the middle of the screen, where it scrolls nothing) by the time the park opens.
        harness.RunFrames(2);
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        ASSERT_NE(g_pCameraManager, nullptr);
    }
};

TEST_F(ParkViewTest, TheParkIsSeenThroughItsStartingCameraWithTheSkyAboveAndTheBaseMapOnTheGround)
{
    harness.RunFrames(3);
    const Frame frame = harness.Screenshot();
    GameHarness::Keep(frame, "park-view");
    ASSERT_EQ(frame.pixels.size(), 800u * 600u);
    for (const auto& box : harness.Reports().boxes)
        EXPECT_TRUE(box.text.find("SkyDome") == std::string::npos && box.text.find("BaseMap") == std::string::npos)
            << box.text;

    // The tracking camera, 60 from the place the world script looks at (map (2064, 1408): scene (770, 0, 600)),
    // looking along +z and 0.45 down.
    ASSERT_EQ(g_pCameraManager->GetCurrentType(), 1);
    const GameCamera& camera = *g_pCameraManager->GetCurrentCamera();
    const Vec3 at = camera.GetCurrentLookAt();
    EXPECT_NEAR(at.x, 770.0f, 0.01f);
    EXPECT_NEAR(at.z, 600.0f, 0.01f);
    const Vec3 eye = camera.GetEye();
    EXPECT_NEAR(eye.x, 770.0f, 0.01f);
    EXPECT_NEAR(eye.y, 60.0f * std::sin(0.45f), 0.01f);
    EXPECT_NEAR(eye.z, 600.0f - 60.0f * std::cos(0.45f), 0.01f);
    EXPECT_TRUE(g_SkyDome.HasDayTables());

    // The sky: most of the top row shows the sky's colour of its direction.
    EXPECT_GT(ReadSkyRow(frame).matching, 200);

    // The ground wears the base map: the sample's ground is sand in two shades, texel (x + 128, y + 128) of the
    // 16 x 16 picture (src/textures/DesertDistant.txt) for cell (x, y). Cells side by side of different shades
    // show the darker shade darker.
    const char* const rows[16] = {"ssdsssssdsssssds", "ssssssdsssssdsss", "sdssssssssdsssss", "ssssdsssssssssds",
                                  "ssssssssdsssdsss", "dsssssdsssssssss", "sssdssssssdssssd", "ssssssssssssdsss",
                                  "ssdsssdsssssssss", "ssssssssdsssssds", "sdssssssssssdsss", "sssssdssdsssssss",
                                  "ssssssssssdsssss", "dsssdsssssssssds", "ssssssssdsssdsss", "sssdssssssssssss"};
    const auto texel = [&](int cx, int cy) { return rows[(cy + 128) % 16][(cx + 128) % 16]; };
    // Cells within two of a footpath or queue, or of any building's footprint (the lagoon's water and the arena's
    // stands cover theirs whatever flags their cells carry), are left out: what stands there hides the ground.
    const auto busy = [](int cx, int cy)
    {
        for (int y = cy - 2; y <= cy + 2; ++y)
            for (int x = cx - 2; x <= cx + 2; ++x)
                if (g_pWorldMap->GetFlags({x, y}) & (CELL_BUILDING | CELL_FOOTPATH | CELL_QUEUE))
                    return true;
        return false;
    };
    const auto centre = [](int x, int y) { return Vec3{4.0f * x + 514.0f, 0.0f, 4.0f * y + 514.0f}; };
    std::vector<std::pair<Vec3, float>> footprints; // a building's middle and half its larger side, in scene units
    for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
    {
        const auto* building = dynamic_cast<const StaticObject*>(object);
        ASSERT_NE(building, nullptr);
        ASSERT_GT(building->GetGridW() * building->GetGridH(), 0) << object->GetName();
        footprints.emplace_back(object->GetPosition(),
                                2.0f * static_cast<float>(std::max(building->GetGridW(), building->GetGridH())));
    }
    const auto covered = [&](int cx, int cy)
    {
        const Vec3 c = centre(cx, cy);
        for (const auto& [middle, half] : footprints)
            if (std::fabs(c.x - middle.x) < half + 8.0f && std::fabs(c.z - middle.z) < half + 8.0f)
                return true;
        return false;
    };
    // Only cells the camera sees (the 5 x 5 pixels round their middles inside the frame) are compared.
    const auto seen = [&](int cx, int cy)
    {
        Vec3 screen;
        g_GraphicsManager.ProjectToScreen(centre(cx, cy), &screen);
        return screen.z > 0.0f && screen.z < 1.0f && screen.x >= 2.0f && screen.y >= 2.0f &&
               screen.x < static_cast<float>(frame.width) - 3.0f && screen.y < static_cast<float>(frame.height) - 3.0f;
    };
    const auto counted = [&](int cx, int cy) { return seen(cx, cy) && !busy(cx, cy) && !covered(cx, cy); };
    int pairs = 0, agreeing = 0;
    for (int cy = 13; cy <= 28; ++cy)
    {
        for (int cx = 56; cx <= 73; ++cx)
        {
            if (texel(cx, cy) == texel(cx + 1, cy) || !counted(cx, cy) || !counted(cx + 1, cy))
                continue;
            const int here = Sum(MeanAt(frame, centre(cx, cy))), next = Sum(MeanAt(frame, centre(cx + 1, cy)));
            ++pairs;
            agreeing += (texel(cx, cy) == 'd') == (here < next) ? 1 : 0;
        }
    }
    // (A texel is drawn filtered with its neighbours', so a pair now and then blurs: nine in ten agree.)
    EXPECT_GE(pairs, 20) << pairs;
    EXPECT_GE(agreeing * 10, pairs * 9) << agreeing << " of " << pairs;

    // And the two buildings stand on it: their roofs in their bodies' colours, lit by the sun.
    for (const auto& [name, height, rgb] :
         {std::tuple("STAFFSMALL", 2.5f, 0x709070u), std::tuple("FUNHOUSE", 6.0f, 0xE06010u)})
    {
        const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(name);
        ASSERT_EQ(found.size(), 1u);
        const Vec3 p = found[0]->GetPosition();
        const Vec3 towards = platform::Vec3Normalize({eye.x - p.x, 0.0f, eye.z - p.z});
        const uint32_t roof = MeanAt(frame, {p.x + 3.0f * towards.x, p.y + height, p.z + 3.0f * towards.z});
        // The roof's channels in the body's proportions.
        const float top = static_cast<float>(std::max({roof >> 16 & 0xFF, roof >> 8 & 0xFF, roof & 0xFF}));
        const float bodyTop = static_cast<float>(std::max({rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF}));
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(static_cast<float>(roof >> shift & 0xFF) / top,
                        static_cast<float>(rgb >> shift & 0xFF) / bodyTop, 0.1f)
                << name;
    }
}

TEST_F(ParkViewTest, KeysTypedAtTheWindowMoveTheCameraAndThePictureWithIt)
{
    harness.RunFrames(3);
    TrackingCamera& camera = *static_cast<TrackingCamera*>(g_pCameraManager->GetCurrentCamera());
    struct Case
    {
        const char* name;
        SDL_Scancode key;
        Vec3 way;       // the way the point looked at goes
        float distance; // how the distance goes (0 alike, 1 further, -1 nearer)
    };
    // Looking along +z: Up forward, Down back, Left and Right across; Page Up draws back, Page Down comes in.
    const Case cases[] = {{"up", SDL_SCANCODE_UP, {0.0f, 0.0f, 1.0f}, 0.0f},
                          {"right", SDL_SCANCODE_RIGHT, {1.0f, 0.0f, 0.0f}, 0.0f},
                          {"down", SDL_SCANCODE_DOWN, {0.0f, 0.0f, -1.0f}, 0.0f},
                          {"left", SDL_SCANCODE_LEFT, {-1.0f, 0.0f, 0.0f}, 0.0f},
                          {"page up", SDL_SCANCODE_PAGEUP, {0.0f, 0.0f, 0.0f}, 1.0f},
                          {"page down", SDL_SCANCODE_PAGEDOWN, {0.0f, 0.0f, 0.0f}, -1.0f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        harness.RunFrames(8); // settle
        const Frame before = harness.Screenshot();
        const Vec3 at = camera.GetDestLookAt();
        const float distance = camera.GetTargetDistance();
        sdltest::PushKey(c.key, true);
        harness.RunFrames(6);
        sdltest::PushKey(c.key, false);
        harness.RunFrames(2);
        const Frame after = harness.Screenshot();
        GameHarness::Keep(after, std::string("park-view-") + c.name);
        const Vec3 moved = camera.GetDestLookAt() - at;
        // Held for six frames: 1.2 a frame along its way (60 x 0.02); the page keys move the point nowhere.
        EXPECT_NEAR(platform::Vec3Dot(moved, c.way), platform::Vec3Length(c.way) * 7.2f, 1.3f);
        EXPECT_NEAR(std::fabs(moved.x) + std::fabs(moved.z), platform::Vec3Length(c.way) * 7.2f, 1.3f);
        if (c.distance > 0.0f)
            EXPECT_GT(camera.GetTargetDistance(), distance * 1.2f);
        else if (c.distance < 0.0f)
            EXPECT_LT(camera.GetTargetDistance(), distance);
        else
            EXPECT_EQ(camera.GetTargetDistance(), distance);
        EXPECT_GT(ChangedPixels(before, after), 20000);
    }
    // Nothing typed: once the camera has eased to where it is going, the picture stands still (in its top quarter,
    // above the buildings, whose status flags pulse).
    harness.RunFrames(100);
    Frame still = harness.Screenshot();
    Frame later = (harness.RunFrames(2), harness.Screenshot());
    still.pixels.resize(800 * 150);
    later.pixels.resize(800 * 150);
    EXPECT_EQ(ChangedPixels(still, later), 0);
}

TEST_F(ParkViewTest, ThePanelKeysEndARideOnAnObjectAndShowTheParkFromAbove)
{
    harness.RunFrames(3);
    GUIManager& gui = harness.GetGame().GetGUIManager();
    ASSERT_NE(g_pObjectManager, nullptr);
    const std::vector<uint32_t> buildings = g_pObjectManager->GetIdsOfKind(OBJECT_BUILDING);
    ASSERT_FALSE(buildings.empty());
    const struct
    {
        const char* name;
        SDL_Scancode key;
        const char* panel;
    } cases[] = {{"scenery", SDL_SCANCODE_S, "SceneryPanel"}, {"build", SDL_SCANCODE_B, "BuildPanel"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        gui.CloseAllDialogs();
        harness.RunFrames(2);
        // Riding on an object, as the panel's ride button starts it, with the dialog that ends the ride.
        ASSERT_TRUE(g_pCameraManager->ToggleFirstPersonCam(buildings.front()));
        ASSERT_TRUE(gui.OpenDialog("CancelCamera", nullptr));
        harness.RunFrames(3);
        ASSERT_EQ(g_pCameraManager->GetCurrentType(), GameCamera::kFirstPerson);

        sdltest::PushKey(c.key, true);
        harness.RunFrames(2);
        sdltest::PushKey(c.key, false);
        harness.RunFrames(2);
        EXPECT_TRUE(gui.IsDialogOpen(c.panel));
        EXPECT_FALSE(gui.IsDialogOpen("CancelCamera"));
        // The dialog that would end the ride is gone: the ride ends with it.
        EXPECT_EQ(g_pCameraManager->GetCurrentType(), GameCamera::kTracking);
    }
}

TEST_F(ParkViewTest, AKeyHeldAsTheWindowLosesItsFocusMovesTheViewNoFurtherInTheBackground)
{
    harness.RunFrames(3);
    TrackingCamera& camera = *static_cast<TrackingCamera*>(g_pCameraManager->GetCurrentCamera());
    const struct
    {
        const char* name;
        SDL_Scancode key;
    } cases[] = {{"left", SDL_SCANCODE_LEFT}, {"page up", SDL_SCANCODE_PAGEUP}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        harness.RunFrames(4);
        sdltest::PushKey(c.key, true);
        harness.RunFrames(4);
        const Vec3 going = camera.GetDestLookAt();
        const float far = camera.GetTargetDistance();
        harness.RunFrames(1);
        ASSERT_TRUE(platform::Vec3Length(camera.GetDestLookAt() - going) > 0.5f || camera.GetTargetDistance() > far)
            << "the key moves";

        // The focus goes with the key still down; it is let go in the background.
        sdltest::PushFocus(false);
        harness.RunFrames(1);
        ASSERT_TRUE(harness.GetGame().IsDeactivated());
        const Vec3 at = camera.GetDestLookAt();
        const float distance = camera.GetTargetDistance();
        harness.RunFrames(20);
        EXPECT_LT(platform::Vec3Length(camera.GetDestLookAt() - at), 0.01f);
        EXPECT_FLOAT_EQ(camera.GetTargetDistance(), distance);
        sdltest::PushKey(c.key, false);
        harness.RunFrames(2);

        // Back: nothing moves by itself, and the key works again.
        sdltest::PushFocus(true);
        harness.RunFrames(3);
        ASSERT_FALSE(harness.GetGame().IsDeactivated());
        const Vec3 back = camera.GetDestLookAt();
        const float backDistance = camera.GetTargetDistance();
        harness.RunFrames(5);
        EXPECT_LT(platform::Vec3Length(camera.GetDestLookAt() - back), 0.01f);
        EXPECT_FLOAT_EQ(camera.GetTargetDistance(), backDistance);
        sdltest::PushKey(c.key, true);
        harness.RunFrames(4);
        sdltest::PushKey(c.key, false);
        harness.RunFrames(2);
        EXPECT_TRUE(platform::Vec3Length(camera.GetDestLookAt() - back) > 0.5f ||
                    camera.GetTargetDistance() > backDistance);
    }
}

TEST_F(ParkViewTest, TheSkyAndTheHazeFollowTheTimeOfDay)
{
    struct Case
    {
        double hour;
        uint32_t fog; // the haze's colour at that hour, from the sample's day (src/sky/Suncols.txt)
    };
    const Case cases[] = {{12.0, 0x9CB8D8}, {18.0, 0xC88860}, {16.0, 0xA0B4D0}};
    std::vector<SkyRow> rows;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.hour);
        g_pWorld->SetGameTime(c.hour * kSecondsPerHour);
        harness.RunFrames(1);
        const Frame frame = harness.Screenshot();
        GameHarness::Keep(frame, "park-view-" + std::to_string(static_cast<int>(c.hour)));
        // The haze the graphics manager holds (each channel 255 / 256 of the table's, as it keeps fog colours).
        EXPECT_TRUE(gametest::NearRgb(g_GraphicsManager.GetFogColour() & 0xFFFFFF, c.fog, 2))
            << std::hex << g_GraphicsManager.GetFogColour();
        rows.push_back(ReadSkyRow(frame));
        EXPECT_GT(rows.back().matching, 200);
    }
    // At noon a blue sky; at sunset a darker one, redder for its blue.
    const SkyRow& noon = rows[0];
    const SkyRow& dusk = rows[1];
    EXPECT_GT(noon.mean[2], noon.mean[0]);
    EXPECT_LT(dusk.mean[0] + dusk.mean[1] + dusk.mean[2], noon.mean[0] + noon.mean[1] + noon.mean[2]);
    EXPECT_GT(static_cast<float>(dusk.mean[0]) / static_cast<float>(dusk.mean[2] + 1),
              static_cast<float>(noon.mean[0]) / static_cast<float>(noon.mean[2] + 1));
}

} // namespace
