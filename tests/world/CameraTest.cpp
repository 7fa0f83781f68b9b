// Tests of the cameras: the hand-over of the view on a switch, the 1/r smoothing and the snap, the view and
// projection handed to the graphics manager, each kind driven by scripted keys and mouse (pans, turns, zooms, edge
// scrolling, following, riding on an object), the commands that aim the current camera, the save record, and the
// sample surround out of the eye's reach.
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "tests/world/WorldTestSupport.h"

#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "gui/GUIManager.h"
#include "tests/support/TestSupport.h"
#include "tools/tmtool/TmText.h"
#include "world/CameraKinds.h"
#include "world/CameraManager.h"
#include "world/CursorPicker.h"

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <set>
#include <vector>

using namespace worldtest;

namespace
{

using platform::Vec3;

constexpr float kPi = 3.14159265358979f;
constexpr uint32_t kNone = 0xFFFFFFFF;

// Keys, buttons, movement and screen as a test sets them.
class ScriptedInput : public CameraInput
{
public:
    bool IsKeyHeld(int key) const override { return keys.count(key) != 0; }
    bool IsEngineKeyDown(int key) const override { return engineKeys.count(key) != 0; }
    int32_t GetLeftButton() const override { return left; }
    int32_t GetRightButton() const override { return right; }
    int32_t GetMouseDeltaX() const override { return dx; }
    int32_t GetMouseDeltaY() const override { return dy; }
    int32_t GetMouseX() const override { return x; }
    int32_t GetMouseY() const override { return y; }
    int32_t GetWheel() const override { return wheel; }
    void GrabMouse() override { grabbed = true; }
    void ReleaseMouse() override { grabbed = false; }
    bool IsMouseGrabbed() const override { return grabbed; }
    bool CanScrollAtEdges() const override { return edges; }
    int32_t GetScreenWidth() const override { return 800; }
    int32_t GetScreenHeight() const override { return 600; }

    std::set<int> keys;
    std::set<int> engineKeys;
    int32_t left = 0, right = 0, dx = 0, dy = 0, x = 400, y = 300, wheel = 0;
    bool grabbed = false;
    bool edges = false;
};

testing::AssertionResult Near(const Vec3& actual, const Vec3& expected, float tolerance = 1e-3f)
{
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not ("
                                       << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

// The cameras over the recording device, a 16 x 16 park (scene x and z from 512 to 576) with objects, and input
// the test scripts.
class CameraTest : public rendertest::DrawTest
{
protected:
    void SetUp() override
    {
        rendertest::DrawTest::SetUp();
        manager = std::make_unique<CameraManager>();
        manager->SetInput(&input);
    }
    void TearDown() override
    {
        manager.reset();
        rendertest::DrawTest::TearDown();
    }

    TrackingCamera& Tracking() { return *static_cast<TrackingCamera*>(manager->GetCamera(GameCamera::kTracking)); }
    // The tracking camera looking at a point in the middle of the park, at its starting distance.
    void TrackingAt(const Vec3& at)
    {
        Tracking().Reset();
        Tracking().SetDestLookAt(at.x, at.y, at.z, true);
    }
    Probe* ProbeAt(const Vec3& at)
    {
        Probe* probe = park.Make(OBJECT_SCENERY);
        probe->SetPosition(at.x, at.y, at.z);
        return probe;
    }

    Park park;
    ScriptedInput input;
    std::unique_ptr<CameraManager> manager;
};

TEST_F(CameraTest, TheFiveCamerasStartWithTheirTypesAndSmoothingAndTheTrackingOneIsCurrent)
{
    const int expectedSmoothing[5] = {8, 4, 8, 8, 50};
    for (int32_t type = 0; type < 5; ++type)
    {
        ASSERT_NE(manager->GetCamera(type), nullptr);
        EXPECT_EQ(manager->GetCamera(type)->GetType(), type);
        EXPECT_EQ(manager->GetCamera(type)->GetSmoothing(), expectedSmoothing[type]) << type;
    }
    EXPECT_EQ(manager->GetCamera(5), nullptr);
    EXPECT_EQ(manager->GetCamera(-1), nullptr);
    EXPECT_EQ(manager->GetCurrentType(), 1);
    EXPECT_EQ(manager->GetCurrentCamera(), manager->GetCamera(1));
    EXPECT_TRUE(manager->HasControl());
    EXPECT_EQ(g_pCameraManager, manager.get());
    // The tracking camera: 60 from its point, looking along +z, tilted 0.45 down; the free one heads from
    // (0, 100, -100) to the origin, 50 away; the mouse one is 100 from where it looks, level.
    EXPECT_EQ(Tracking().GetDistance(), 60.0f);
    EXPECT_EQ(Tracking().GetTargetDistance(), 60.0f);
    EXPECT_FLOAT_EQ(Tracking().GetElevation(), 0.45f);
    EXPECT_FLOAT_EQ(Tracking().GetHeading(), kPi / 2.0f);
    const GameCamera& free = *manager->GetCamera(0);
    EXPECT_TRUE(Near(free.GetDestEyePos(), {0.0f, 100.0f, -100.0f}) && Near(free.GetDestLookAt(), {0, 0, 0}));
    EXPECT_EQ(std::tuple(free.GetTargetDistance(), free.GetDistance(), free.WantsAnglesFromDestination()),
              std::tuple(50.0f, 10.0f, true));
    const GameCamera& mouse = *manager->GetCamera(2);
    EXPECT_EQ(std::tuple(mouse.GetDistance(), mouse.GetHeading(), mouse.GetElevation()), std::tuple(100.0f, 0.f, 0.f));
    manager.reset();
    EXPECT_EQ(g_pCameraManager, nullptr);
}

TEST_F(CameraTest, ASwitchHandsTheViewOverAndASwitchToTheSameTypeOnlyGivesControl)
{
    TrackingCamera& tracking = Tracking();
    tracking.SetPosition(700.0f, 30.0f, 500.0f);
    tracking.SetCurrentLookAt({760.0f, 0.0f, 560.0f});
    tracking.SetDestEyePos(710.0f, 31.0f, 510.0f);
    tracking.SetDestLookAt(770.0f, 1.0f, 570.0f, false);
    tracking.SetDistance(80.0f);
    tracking.SetTargetDistance(120.0f);
    manager->SetControl(false);

    manager->SetCamera(GameCamera::kFree, false);
    GameCamera& free = *manager->GetCurrentCamera();
    EXPECT_EQ(&free, manager->GetCamera(0));
    EXPECT_EQ(manager->GetCurrentType(), 0);
    EXPECT_TRUE(manager->HasControl());
    EXPECT_TRUE(Near(free.GetEye(), {700.0f, 30.0f, 500.0f}));
    EXPECT_TRUE(Near(free.GetCurrentLookAt(), {760.0f, 0.0f, 560.0f}));
    EXPECT_TRUE(Near(free.GetDestEyePos(), {710.0f, 31.0f, 510.0f}));
    EXPECT_TRUE(Near(free.GetDestLookAt(), {770.0f, 1.0f, 570.0f}));
    // The target distance is the old camera's present distance, not its target.
    EXPECT_EQ(free.GetTargetDistance(), 80.0f);

    // The same type again: nothing is taken over, only the control flag is set.
    free.SetPosition(1.0f, 2.0f, 3.0f);
    manager->SetControl(false);
    manager->SetCamera(GameCamera::kFree, true);
    EXPECT_TRUE(manager->HasControl());
    EXPECT_TRUE(Near(free.GetEye(), {1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(free.GetTargetDistance(), 80.0f);

    // No camera has a type outside 0 to 4.
    for (int32_t bad : {-1, 5, 1000})
    {
        manager->SetControl(false);
        manager->SetCamera(bad, false);
        EXPECT_EQ(manager->GetCurrentType(), 0);
        EXPECT_FALSE(manager->HasControl());
    }
}

TEST_F(CameraTest, EachFrameTheEyeAndPointCoverOneROfTheirWayAndASnapJumpsThere)
{
    struct Case
    {
        int32_t type;
        float r;
    };
    const Case cases[] = {{GameCamera::kFixed, 50.0f},
                          {GameCamera::kTracking, 4.0f},
                          {GameCamera::kFree, 8.0f},
                          {GameCamera::kMouse, 8.0f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.type);
        manager->SetCamera(c.type, true);
        GameCamera& camera = *manager->GetCurrentCamera();
        camera.SetPosition(530.0f, 40.0f, 520.0f);
        camera.SetCurrentLookAt({540.0f, 0.0f, 560.0f});
        camera.SetDestLookAt(550.0f, 0.0f, 570.0f, false);
        camera.SetDestEyePos(548.0f, 30.0f, 500.0f);
        for (int frame = 0; frame < 3; ++frame)
        {
            const Vec3 eye = camera.GetEye(), at = camera.GetCurrentLookAt();
            manager->Step(true);
            // The camera's own step sets its destinations first; the smoothing then eases towards them.
            const Vec3 destEye = camera.GetDestEyePos(), destAt = camera.GetDestLookAt();
            EXPECT_TRUE(Near(camera.GetEye(), {eye.x + (destEye.x - eye.x) / c.r, eye.y + (destEye.y - eye.y) / c.r,
                                               eye.z + (destEye.z - eye.z) / c.r}));
            EXPECT_TRUE(Near(camera.GetCurrentLookAt(), {at.x + (destAt.x - at.x) / c.r, at.y + (destAt.y - at.y) / c.r,
                                                         at.z + (destAt.z - at.z) / c.r}));
        }
        // Without the park's scene there is no smoothing.
        const Vec3 eye = camera.GetEye();
        manager->Step(false);
        EXPECT_TRUE(Near(camera.GetEye(), eye));
    }

    // A snapped look: the next frame jumps both to their destinations, the one after eases again.
    manager->SetCamera(GameCamera::kFixed, true);
    GameCamera& fixed = *manager->GetCurrentCamera();
    manager->SetDestEyePos(600.0f, 50.0f, 520.0f);
    manager->SetLookAt(560.0f, 0.0f, 570.0f, true);
    EXPECT_TRUE(Near(fixed.GetCurrentLookAt(), {560.0f, 0.0f, 570.0f}));
    manager->Step(true);
    EXPECT_TRUE(Near(fixed.GetEye(), {600.0f, 50.0f, 520.0f}));
    EXPECT_TRUE(Near(fixed.GetCurrentLookAt(), {560.0f, 0.0f, 570.0f}));
    manager->SetDestEyePos(650.0f, 50.0f, 520.0f);
    manager->Step(true);
    EXPECT_TRUE(Near(fixed.GetEye(), {601.0f, 50.0f, 520.0f}));
    // LookAt eases, without a snap.
    manager->LookAt({660.0f, 0.0f, 570.0f});
    manager->Step(true);
    EXPECT_TRUE(Near(fixed.GetCurrentLookAt(), {562.0f, 0.0f, 570.0f}));
}

TEST_F(CameraTest, TheViewAndAProjectionThirtyFiveDegreesEachSideGoToTheGraphicsManager)
{
    manager->SetCamera(GameCamera::kFixed, true);
    GameCamera& camera = *manager->GetCurrentCamera();
    struct Case
    {
        float eyeHeight;
        float nearDistance;
    };
    // A tenth of the eye's height, but at least 1.
    const Case cases[] = {{30.0f, 3.0f}, {5.0f, 1.0f}, {10.0f, 1.0f}, {250.0f, 25.0f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.eyeHeight);
        const Vec3 eye = {540.0f, c.eyeHeight, 520.0f};
        const Vec3 at = {545.0f, 0.0f, 560.0f};
        manager->SetDestEyePos(eye.x, eye.y, eye.z);
        manager->SetLookAt(at.x, at.y, at.z, true);
        manager->Step(true);
        EXPECT_FLOAT_EQ(gm.GetNear(), c.nearDistance);
        EXPECT_EQ(gm.GetFar(), 4000.0f);
        EXPECT_FLOAT_EQ(gm.GetAspect(), 4.0f / 3.0f);
        EXPECT_TRUE(Near(gm.GetEyePosition(), eye));
        const platform::Matrix expected = platform::MatrixLookAtLH(eye, at, {0.0f, 1.0f, 0.0f});
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(gm.GetViewMatrix().m[i / 4][i % 4], expected.m[i / 4][i % 4], 1e-4f);
    }
    gm.ApplyProjection();
    // Seen from the eye, a point 35 degrees to the side of the view's axis lies on the screen's left or right edge,
    // and one atan(0.75 tan 35) degrees above or below it on the top or bottom edge (the view 4 : 3).
    const Vec3 eye = camera.GetEye();
    const Vec3 forward = platform::Vec3Normalize(camera.GetCurrentLookAt() - eye);
    const Vec3 right = platform::Vec3Normalize(platform::Vec3Cross({0.0f, 1.0f, 0.0f}, forward));
    const Vec3 up = platform::Vec3Cross(forward, right);
    const float side = std::tan(35.0f * kPi / 180.0f);
    const float rise = 0.75f * side;
    const struct
    {
        Vec3 direction;
        float x, y;
    } edges[] = {{forward + right * side, 800.0f, 300.0f},
                 {forward - right * side, 0.0f, 300.0f},
                 {forward + up * rise, 400.0f, 0.0f},
                 {forward - up * rise, 400.0f, 600.0f}};
    for (const auto& edge : edges)
    {
        Vec3 screen;
        gm.ProjectToScreen(eye + edge.direction * 50.0f, &screen);
        EXPECT_NEAR(screen.x, edge.x, 0.5f);
        EXPECT_NEAR(screen.y, edge.y, 0.5f);
    }
}

TEST_F(CameraTest, TheTrackingCameraPansTurnsAndZoomsByKeysAndMouse)
{
    // From a point in the park, 60 away, heading along +z (forward (0, 0, 1), right (1, 0, 0)): the pan step is
    // 60 x 0.02 = 1.2, ten times that with Right Shift but at most 5, a tenth with Right Ctrl.
    const Vec3 start = {544.0f, 0.0f, 544.0f};
    struct Case
    {
        const char* name;
        std::set<int> keys;
        int32_t left, right, dx, dy;
        Vec3 look;     // where the point goes
        float heading; // afterwards
        float target;  // the target distance afterwards
        bool grabbed;  // the mouse afterwards
    };
    const float h = kPi / 2.0f;
    const Case cases[] = {
        {"nothing", {}, 0, 0, 0, 0, start, h, 60.0f, false},
        {"up", {CameraKey::kUp}, 0, 0, 0, 0, {544.0f, 0.0f, 545.2f}, h, 60.0f, false},
        {"down", {CameraKey::kDown}, 0, 0, 0, 0, {544.0f, 0.0f, 542.8f}, h, 60.0f, false},
        {"left", {CameraKey::kLeft}, 0, 0, 0, 0, {542.8f, 0.0f, 544.0f}, h, 60.0f, false},
        {"right", {CameraKey::kRight}, 0, 0, 0, 0, {545.2f, 0.0f, 544.0f}, h, 60.0f, false},
        {"fast", {CameraKey::kUp, CameraKey::kRightShift}, 0, 0, 0, 0, {544.0f, 0.0f, 549.0f}, h, 60.0f, false},
        {"slow", {CameraKey::kUp, CameraKey::kRightControl}, 0, 0, 0, 0, {544.0f, 0.0f, 544.12f}, h, 60.0f, false},
        {"page up", {CameraKey::kPageUp}, 0, 0, 0, 0, start, h, 63.0f, false},
        {"page down", {CameraKey::kPageDown}, 0, 0, 0, 0, start, h, 60.0f, false},
        // Left Ctrl turns by 1 / 0.75 degrees (0.0232711 radians), and the arrow still pans, to the right of the new
        // heading.
        {"ctrl left",
         {CameraKey::kLeftControl, CameraKey::kLeft},
         0,
         0,
         0,
         0,
         {544.0f - 1.2f * std::sin(h - 0.0232711f), 0.0f, 544.0f + 1.2f * std::cos(h - 0.0232711f)},
         h - 0.0232711f,
         60.0f,
         false},
        // The right button alone turns by dx x 0.01 x 0.75 and zooms by dy x 0.5, with the mouse held.
        {"right button", {}, 0, 2, 10, 4, start, h - 0.075f, 62.0f, true},
        // Both buttons drag the point by dx and dy x 0.01 x the target distance.
        {"both buttons", {}, 2, 2, 10, 5, {550.0f, 0.0f, 541.0f}, h, 60.0f, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TrackingAt(start);
        input = ScriptedInput{};
        input.keys = c.keys;
        input.left = c.left, input.right = c.right, input.dx = c.dx, input.dy = c.dy;
        Tracking().Update();
        EXPECT_TRUE(Near(Tracking().GetDestLookAt(), c.look));
        EXPECT_NEAR(Tracking().GetHeading(), c.heading, 1e-5f);
        EXPECT_NEAR(Tracking().GetTargetDistance(), c.target, 1e-4f);
        EXPECT_EQ(input.grabbed, c.grabbed);
    }

    // Left Ctrl with Left or Right held for a second of 60 frames turns the view 60 x 4/3 = 80 degrees (1.3962634
    // radians) that way: a turn the player can follow and stop where wanted.
    const struct
    {
        int key;
        float turned;
    } turns[] = {{CameraKey::kLeft, -1.3962634f}, {CameraKey::kRight, 1.3962634f}};
    for (const auto& turn : turns)
    {
        SCOPED_TRACE(turn.key);
        TrackingAt(start);
        input = ScriptedInput{};
        input.keys = {CameraKey::kLeftControl, turn.key};
        for (int frame = 0; frame < 60; ++frame)
            Tracking().Update();
        EXPECT_NEAR(Tracking().GetHeading(), h + turn.turned, 1e-4f);
    }

    // The eye heads to 60 (the distance moving a quarter of the way to its target each frame) behind the point
    // along the heading, raised by the elevation for that distance.
    TrackingAt(start);
    input = ScriptedInput{};
    Tracking().Update();
    EXPECT_TRUE(Near(Tracking().GetDestEyePos(), {544.0f, 60.0f * std::sin(0.45f), 544.0f - 60.0f * std::cos(0.45f)}));
    input.keys = {CameraKey::kPageUp};
    Tracking().Update();
    EXPECT_FLOAT_EQ(Tracking().GetDistance(), 60.75f);

    // A grabbed mouse is let go once the right button is up; a point below the ground comes up to it.
    input = ScriptedInput{};
    input.grabbed = true;
    TrackingAt({544.0f, -5.0f, 544.0f});
    Tracking().Update();
    EXPECT_FALSE(input.grabbed);
    EXPECT_EQ(Tracking().GetDestLookAt().y, 0.0f);
}

TEST_F(CameraTest, TheTrackingCameraZoomsBetweenSixtyAndTwoHundredFortyAndTiltsWithTheDistance)
{
    struct Case
    {
        float distance;
        float elevation;
    };
    // 0.45 at 60 rising evenly to 1.0 at 240, and no further either way.
    const Case cases[] = {{60.0f, 0.45f}, {240.0f, 1.0f}, {150.0f, 0.725f},
                          {96.0f, 0.56f}, {30.0f, 0.45f}, {300.0f, 1.0f}};
    for (const Case& c : cases)
        EXPECT_NEAR(TrackingCamera::ElevationForDistance(c.distance), c.elevation, 1e-6f) << c.distance;

    TrackingAt({544.0f, 0.0f, 544.0f});
    input.keys = {CameraKey::kPageUp};
    for (int frame = 0; frame < 200; ++frame)
    {
        Tracking().Update();
        ASSERT_LE(Tracking().GetTargetDistance(), 240.0f);
    }
    EXPECT_EQ(Tracking().GetTargetDistance(), 240.0f);
    EXPECT_NEAR(Tracking().GetDistance(), 240.0f, 1e-3f);
    EXPECT_NEAR(Tracking().GetElevation(), 1.0f, 1e-4f);
    input.keys = {CameraKey::kPageDown};
    input.right = 2, input.dy = -100; // the mouse zooms in too
    for (int frame = 0; frame < 200; ++frame)
    {
        Tracking().Update();
        ASSERT_GE(Tracking().GetTargetDistance(), 60.0f);
    }
    EXPECT_EQ(Tracking().GetTargetDistance(), 60.0f);
    EXPECT_NEAR(Tracking().GetElevation(), 0.45f, 1e-4f);
}

TEST_F(CameraTest, TheTrackingCameraScrollsAtTheScreenEdgesOnlyWhenItMay)
{
    const Vec3 start = {544.0f, 0.0f, 544.0f};
    struct Case
    {
        const char* name;
        int32_t x, y;
        bool edges;
        bool follow;
        bool drag;
        Vec3 look;
    };
    // With the heading along +z the pan step 1.2 moves the point -x at the left edge, +x at the right, +z at the
    // top and -z at the bottom (800 x 600: the far edges are 799 and 599).
    const Case cases[] = {
        {"left", 0, 300, true, false, false, {542.8f, 0.0f, 544.0f}},
        {"beyond left", -5, 300, true, false, false, {542.8f, 0.0f, 544.0f}},
        {"right", 799, 300, true, false, false, {545.2f, 0.0f, 544.0f}},
        {"top", 400, 0, true, false, false, {544.0f, 0.0f, 545.2f}},
        {"bottom", 400, 599, true, false, false, {544.0f, 0.0f, 542.8f}},
        {"corner", 0, 0, true, false, false, {542.8f, 0.0f, 545.2f}},
        {"inside", 798, 598, true, false, false, start},
        {"not allowed", 0, 300, false, false, false, start},
        // Following an object at the start point: the edge does not move the view.
        {"following", 0, 300, true, true, false, start},
        // A two-button drag with no movement: no scrolling that frame.
        {"dragging", 0, 300, true, false, true, start},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TrackingAt(start);
        input = ScriptedInput{};
        input.x = c.x, input.y = c.y, input.edges = c.edges;
        if (c.drag)
            input.left = input.right = 2;
        Probe* followed = nullptr;
        if (c.follow)
        {
            followed = ProbeAt(start);
            ASSERT_TRUE(Tracking().TrackObject(followed->GetID()));
        }
        Tracking().Update();
        EXPECT_TRUE(Near(Tracking().GetDestLookAt(), c.look));
        if (followed)
            park.objects->RemoveObject(followed->GetID());
    }
}

TEST_F(CameraTest, TheTrackingCameraFollowsAnObjectUntilAnArrowOrItsRemovalEndsIt)
{
    Probe* guest = ProbeAt({530.0f, 3.0f, 550.0f});
    TrackingAt({544.0f, 0.0f, 544.0f});
    EXPECT_EQ(manager->GetTrackedObject(), kNone);
    EXPECT_TRUE(manager->TrackObject(guest->GetID()));
    EXPECT_EQ(manager->GetTrackedObject(), guest->GetID());
    manager->Step(true);
    // The point on the ground under the object.
    EXPECT_TRUE(Near(Tracking().GetDestLookAt(), {530.0f, 0.0f, 550.0f}));
    guest->SetPosition(540.0f, 3.0f, 560.0f);
    manager->Step(true);
    EXPECT_TRUE(Near(Tracking().GetDestLookAt(), {540.0f, 0.0f, 560.0f}));

    // Tracking the same object again stops; a new one starts.
    EXPECT_FALSE(manager->TrackObject(guest->GetID()));
    EXPECT_EQ(manager->GetTrackedObject(), kNone);
    EXPECT_TRUE(manager->TrackObject(guest->GetID()));

    // An arrow stops the following and pans from where the point is.
    input.keys = {CameraKey::kRight};
    manager->Step(true);
    EXPECT_FALSE(Tracking().IsFollowing());
    EXPECT_TRUE(Near(Tracking().GetDestLookAt(), {541.2f, 0.0f, 560.0f}));
    input.keys.clear();
    guest->SetPosition(520.0f, 3.0f, 520.0f);
    manager->Step(true);
    EXPECT_TRUE(Near(Tracking().GetDestLookAt(), {541.2f, 0.0f, 560.0f}));

    // The arrow stopped the following: asking to track the object again follows it again at once.
    EXPECT_TRUE(manager->TrackObject(guest->GetID()));
    EXPECT_EQ(manager->GetTrackedObject(), guest->GetID());
    manager->Step(true);
    EXPECT_TRUE(Near(Tracking().GetDestLookAt(), {520.0f, 0.0f, 520.0f}));

    // The removal of the followed object ends the following, with no change of camera; of another one, nothing.
    Probe* other = ProbeAt({550.0f, 0.0f, 550.0f});
    EXPECT_FALSE(manager->OnObjectRemoved(other->GetID()));
    EXPECT_EQ(manager->GetTrackedObject(), guest->GetID());
    EXPECT_TRUE(manager->OnObjectRemoved(guest->GetID()));
    EXPECT_EQ(manager->GetTrackedObject(), kNone);
    EXPECT_EQ(manager->GetCurrentType(), 1);

    // An object that is gone by the next frame ends the following too.
    EXPECT_TRUE(manager->TrackObject(other->GetID()));
    park.objects->RemoveObject(other->GetID());
    manager->Step(true);
    EXPECT_EQ(Tracking().GetTrackedObject(), kNone);
    EXPECT_FALSE(Tracking().IsFollowing());

    // StopTracking forgets it.
    EXPECT_TRUE(manager->TrackObject(guest->GetID()));
    manager->StopTracking();
    EXPECT_EQ(manager->GetTrackedObject(), kNone);
}

TEST_F(CameraTest, TheTrackingCameraKeepsItsPointOverThePark)
{
    struct Case
    {
        Vec3 asked;
        Vec3 kept;
    };
    // The 16 x 16 park runs from 512 to 512 + 4 x 16 = 576 on both axes.
    const Case cases[] = {{{100.0f, 0.0f, 2000.0f}, {512.0f, 0.0f, 576.0f}},
                          {{700.0f, 0.0f, 500.0f}, {576.0f, 0.0f, 512.0f}},
                          {{530.0f, 0.0f, 560.0f}, {530.0f, 0.0f, 560.0f}},
                          {{512.0f, 0.0f, 576.0f}, {512.0f, 0.0f, 576.0f}}};
    for (const Case& c : cases)
    {
        TrackingAt(c.asked);
        manager->Step(true);
        EXPECT_TRUE(Near(Tracking().GetDestLookAt(), c.kept));
    }
    // Without a park grid nothing holds it.
    park.map.reset();
    TrackingAt({100.0f, 0.0f, 2000.0f});
    manager->Step(true);
    EXPECT_TRUE(Near(Tracking().GetDestLookAt(), {100.0f, 0.0f, 2000.0f}));
}

// The sample park's surround stands round the map's centre, out of the tracking camera's reach: with its point at
// any corner or edge of the 128 x 128 park, any heading and any distance, the eye stays clear of every hill.
TEST_F(CameraTest, TheTrackingCamerasEyeNeverEntersTheSampleSurroundsHills)
{
    SModel surround;
    std::string error;
    ASSERT_TRUE(tmtool::ParseModelText(testsupport::ReadText(TW_SOURCE_DIR "/sample-data/src/models/Surround_02.txt"),
                                       &surround, &error))
        << error;
    constexpr int32_t kCells = 128;
    park.map = std::make_unique<WorldMap>(kCells, kCells, WorldMap::kDefaultCellSize, "");
    const float low = 512.0f, high = 512.0f + 4.0f * kCells, centre = (low + high) / 2.0f;
    // Each hill's box on the ground, where the sky stands it: round the map's centre.
    struct Box
    {
        float x0, z0, x1, z1, top;
    };
    std::vector<Box> hills;
    for (const SBone& bone : surround.m_bones)
        for (const SubModel& sub : bone.m_subModels)
        {
            Box box{1e9f, 1e9f, -1e9f, -1e9f, -1e9f};
            for (const Vec3& p : sub.m_positions)
                box = {std::min(box.x0, centre + p.x), std::min(box.z0, centre + p.z), std::max(box.x1, centre + p.x),
                       std::max(box.z1, centre + p.z), std::max(box.top, p.y)};
            hills.push_back(box);
        }
    ASSERT_EQ(hills.size(), 12u);
    // Clear by more than the near plane and a little: the hill's face never fills the picture.
    constexpr float kClearance = 20.0f;
    for (const float px : {low, centre, high})
        for (const float pz : {low, centre, high})
            for (int step = 0; step < 24; ++step)
                for (const float distance : {60.0f, 120.0f, 180.0f, 240.0f})
                {
                    TrackingAt({px, 0.0f, pz});
                    Tracking().SetAngles(2.0f * kPi * static_cast<float>(step) / 24.0f, 0.45f);
                    Tracking().SetTargetDistance(distance);
                    Tracking().SetDistance(distance);
                    for (int frame = 0; frame < 200; ++frame)
                        manager->Step(true);
                    const Vec3 eye = manager->GetEye();
                    for (const Box& hill : hills)
                    {
                        const float dx = std::max({hill.x0 - eye.x, 0.0f, eye.x - hill.x1});
                        const float dz = std::max({hill.z0 - eye.z, 0.0f, eye.z - hill.z1});
                        const float dy = std::max(eye.y - hill.top, 0.0f);
                        ASSERT_GT(std::sqrt(dx * dx + dy * dy + dz * dz), kClearance)
                            << "the eye at (" << eye.x << ", " << eye.y << ", " << eye.z << ") looking at (" << px
                            << ", " << pz << ") from " << distance << " is by a hill";
                    }
                }
}

TEST_F(CameraTest, TheFreeCameraTurnsTiltsAndZoomsOnItsOwnTerms)
{
    manager->SetCamera(GameCamera::kFree, true);
    GameCamera& free = *manager->GetCurrentCamera();
    free.Reset();
    // Its first frame takes its angles from its destinations: from (0, 100, -100) to the origin, heading +z and
    // looking 45 degrees down.
    manager->Step(true);
    EXPECT_FALSE(free.WantsAnglesFromDestination());
    EXPECT_NEAR(free.GetHeading(), kPi / 2.0f, 1e-5f);
    EXPECT_NEAR(free.GetElevation(), kPi / 4.0f, 1e-5f);
    // The distance moves an eighth of the way to the target (10 towards 50).
    EXPECT_FLOAT_EQ(free.GetDistance(), 15.0f);

    struct Case
    {
        const char* name;
        std::set<int> keys;
        int32_t right, dx, dy, wheel;
        float heading, elevation, target;
    };
    const float h = kPi / 2.0f, e = kPi / 4.0f;
    const Case cases[] = {
        // The right button turns by dx / 100 and tilts by dy / 100.
        {"mouse", {}, 2, 20, -10, 0, h - 0.2f, e + 0.1f, 50.0f},
        {"ctrl left", {CameraKey::kLeftControl, CameraKey::kLeft}, 0, 0, 0, 0, h - 0.01f, e, 50.0f},
        {"ctrl right", {CameraKey::kLeftControl, CameraKey::kRight}, 0, 0, 0, 0, h + 0.01f, e, 50.0f},
        {"ctrl up", {CameraKey::kLeftControl, CameraKey::kUp}, 0, 0, 0, 0, h, e + 0.01f, 50.0f},
        {"ctrl down", {CameraKey::kLeftControl, CameraKey::kDown}, 0, 0, 0, 0, h, e - 0.01f, 50.0f},
        // Tilted no further than 0 to 1.5.
        {"tilt down", {}, 2, 0, -200, 0, h, 1.5f, 50.0f},
        {"tilt up", {}, 2, 0, 200, 0, h, 0.0f, 50.0f},
        // The wheel zooms by -0.25 % of the target per unit: one notch (120) takes 30 % off.
        {"wheel in", {}, 0, 0, 0, 120, h, e, 35.0f},
        {"wheel out", {}, 0, 0, 0, -240, h, e, 80.0f},
        // Kept within 10 and 500.
        {"far out", {}, 0, 0, 0, -4000, h, e, 500.0f},
        {"far in", {}, 0, 0, 0, 360, h, e, 10.0f},
        {"page up", {CameraKey::kPageUp}, 0, 0, 0, 0, h, e, 52.5f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        free.SetAngles(h, e);
        free.SetTargetDistance(50.0f);
        input = ScriptedInput{};
        input.keys = c.keys;
        input.right = c.right, input.dx = c.dx, input.dy = c.dy, input.wheel = c.wheel;
        free.Update();
        EXPECT_NEAR(free.GetHeading(), c.heading, 1e-5f);
        EXPECT_NEAR(free.GetElevation(), c.elevation, 1e-5f);
        EXPECT_NEAR(free.GetTargetDistance(), c.target, 1e-3f);
    }

    // The eye never goes below 2: level with the ground, at the point's height.
    free.SetAngles(h, 0.0f);
    free.SetDestLookAt(10.0f, 0.0f, 10.0f, false);
    input = ScriptedInput{};
    free.Update();
    EXPECT_EQ(free.GetDestEyePos().y, 2.0f);
    EXPECT_NEAR(free.GetDestEyePos().z, 10.0f - free.GetDistance(), 1e-4f);
    // The arrows pan as the tracking camera's do.
    input.keys = {CameraKey::kRight};
    const Vec3 before = free.GetDestLookAt();
    const float step = std::min(free.GetDistance() * 0.02f, 5.0f);
    free.Update();
    EXPECT_NEAR(free.GetDestLookAt().x - before.x, step, 1e-4f);
}

TEST_F(CameraTest, TheFreeCameraViewsASpanFromAboveAndPansToAPoint)
{
    manager->SetCamera(GameCamera::kFree, true);
    FreeCamera& free = *static_cast<FreeCamera*>(manager->GetCurrentCamera());
    // Two points 30 apart: looking down from 30 above their middle.
    free.ViewSpan(520.0f, 0.0f, 530.0f, 538.0f, 0.0f, 554.0f);
    EXPECT_TRUE(Near(free.GetDestLookAt(), {529.0f, 0.0f, 542.1f}));
    EXPECT_TRUE(Near(free.GetDestEyePos(), {529.0f, 30.0f, 542.0f}));
    EXPECT_EQ(free.GetTargetDistance(), 30.0f);
    EXPECT_TRUE(free.WantsAnglesFromDestination());
    // A span shorter than 10 is looked at from 10.
    free.ViewSpan(520.0f, 0.0f, 530.0f, 520.0f, 0.0f, 533.0f);
    EXPECT_EQ(free.GetTargetDistance(), 10.0f);
    EXPECT_EQ(free.GetMinimumDistance(), 10.0f);

    // Panning moves the eye's destination by the way from the present point to the new one.
    free.SetCurrentLookAt({530.0f, 0.0f, 530.0f});
    free.SetDestEyePos(530.0f, 40.0f, 500.0f);
    free.SetAngles(1.0f, 0.2f);
    free.PanTo(545.0f, 0.0f, 520.0f);
    EXPECT_TRUE(Near(free.GetDestLookAt(), {545.0f, 0.0f, 520.0f}));
    EXPECT_TRUE(Near(free.GetDestEyePos(), {545.0f, 40.0f, 490.0f}));
    EXPECT_TRUE(Near(free.GetCurrentLookAt(), {530.0f, 0.0f, 530.0f}));
    EXPECT_EQ(free.GetElevation(), 0.45f);
}

TEST_F(CameraTest, TheMouseCameraFliesByEngineKeysAndLooksWithTheMouseWhileItHasControl)
{
    manager->SetCamera(GameCamera::kMouse, true);
    GameCamera& mouse = *manager->GetCurrentCamera();
    struct Case
    {
        const char* name;
        bool control;
        std::set<int> engineKeys;
        std::set<int> gameKeys;
        int32_t right, dx, dy;
        Vec3 eye;
        float heading, elevation;
    };
    // From (540, 40, 540) heading along +x (forward (1, 0, 0), right (0, 0, -1)): the step is 0.025 x 40 = 1.
    const Vec3 start = {540.0f, 40.0f, 540.0f};
    const Case cases[] = {
        {"up", true, {CameraKey::kUp}, {}, 0, 0, 0, {541.0f, 40.0f, 540.0f}, 0.0f, 0.0f},
        {"down", true, {CameraKey::kDown}, {}, 0, 0, 0, {539.0f, 40.0f, 540.0f}, 0.0f, 0.0f},
        {"left", true, {CameraKey::kLeft}, {}, 0, 0, 0, {540.0f, 40.0f, 541.0f}, 0.0f, 0.0f},
        {"right", true, {CameraKey::kRight}, {}, 0, 0, 0, {540.0f, 40.0f, 539.0f}, 0.0f, 0.0f},
        {"page up", true, {CameraKey::kPageUp}, {}, 0, 0, 0, {540.0f, 41.0f, 540.0f}, 0.0f, 0.0f},
        {"page down", true, {CameraKey::kPageDown}, {}, 0, 0, 0, {540.0f, 39.0f, 540.0f}, 0.0f, 0.0f},
        // Right Shift: 10, then no more than 4.
        {"fast", true, {CameraKey::kUp, CameraKey::kRightShift}, {}, 0, 0, 0, {544.0f, 40.0f, 540.0f}, 0.0f, 0.0f},
        {"slow", true, {CameraKey::kUp, CameraKey::kRightControl}, {}, 0, 0, 0, {540.1f, 40.0f, 540.0f}, 0.f, 0.f},
        // Keys the game's input holds are not read; without control nothing moves.
        {"game keys", true, {}, {CameraKey::kUp}, 0, 0, 0, start, 0.0f, 0.0f},
        {"no control", false, {CameraKey::kUp}, {}, 2, 30, 30, start, 0.0f, 0.0f},
        // The right button turns by -dx / 100 and tilts by dy / 100.
        {"look", true, {}, {}, 2, 30, 20, start, -0.3f, 0.2f},
        {"look far", true, {}, {}, 2, 0, 500, start, 0.0f, 1.5f},
        // The heading is kept below a whole turn.
        {"turn round", true, {}, {}, 2, -700, 0, start, 7.0f - 2.0f * kPi, 0.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        mouse.Reset();
        mouse.SetDestEyePos(start.x, start.y, start.z);
        manager->SetControl(c.control);
        input = ScriptedInput{};
        input.engineKeys = c.engineKeys;
        input.keys = c.gameKeys;
        input.right = c.right, input.dx = c.dx, input.dy = c.dy;
        mouse.Update();
        EXPECT_TRUE(Near(mouse.GetDestEyePos(), c.eye));
        EXPECT_NEAR(mouse.GetHeading(), c.heading, 1e-4f);
        EXPECT_NEAR(mouse.GetElevation(), c.elevation, 1e-5f);
        // It looks 100 (its distance) along the heading and elevation from the eye's destination.
        const Vec3 d = mouse.GetDestLookAt() - mouse.GetDestEyePos();
        EXPECT_NEAR(platform::Vec3Length(d), 100.0f, 1e-3f);
        EXPECT_NEAR(d.y, -100.0f * std::sin(c.elevation), 1e-3f);
    }
    // The eye stays between 2 and 600 high.
    manager->SetControl(true);
    input = ScriptedInput{};
    for (const auto& [height, key, kept] :
         {std::tuple(2.02f, CameraKey::kPageDown, 2.0f), std::tuple(599.0f, CameraKey::kPageUp, 600.0f)})
    {
        mouse.SetDestEyePos(540.0f, height, 540.0f);
        input.engineKeys = {key};
        mouse.Update();
        EXPECT_EQ(mouse.GetDestEyePos().y, kept);
    }
}

TEST_F(CameraTest, AViewStraightDownOrUpOrFromTheLookAtPointItselfStillShowsThePark)
{
    // Each view follows one from (540, 30, 500) looking down towards +z at (540, 0, 560); it keeps that view's
    // direction on the screen: the place looked at in the middle, +z towards the top of the screen.
    struct Case
    {
        const char* name;
        Vec3 eye, at;
        Vec3 middle;                // the point seen in the middle of the screen
        Vec3 topwards;              // a point seen straight above the middle
        std::optional<Vec3> ground; // where the view from the middle meets the ground, which is in view
    };
    const Case cases[] = {
        {"straight down",
         {540.0f, 60.0f, 560.0f},
         {540.0f, 0.0f, 560.0f},
         {540.0f, 0.0f, 560.0f},
         {540.0f, 0.0f, 570.0f},
         Vec3{540.0f, 0.0f, 560.0f}},
        {"straight up",
         {540.0f, 2.0f, 560.0f},
         {540.0f, 50.0f, 560.0f},
         {540.0f, 50.0f, 560.0f},
         {540.0f, 50.0f, 570.0f},
         std::nullopt},
        // Three degrees from straight down is still upright: the screen's top is where the view leans (+x), not
        // where the last view's top was.
        {"nearly straight down",
         {540.0f - 60.0f * 0.0524078f, 60.0f, 560.0f},
         {540.0f, 0.0f, 560.0f},
         {540.0f, 0.0f, 560.0f},
         {550.0f, 0.0f, 560.0f},
         Vec3{540.0f, 0.0f, 560.0f}},
        {"on the look-at point",
         {540.0f, 30.0f, 530.0f},
         {540.0f, 30.0f, 530.0f},
         {540.0f, 22.5f, 545.0f},
         {540.0f, 30.0f, 545.0f},
         Vec3{540.0f, 0.0f, 590.0f}},
    };
    gm.SetFog(0.0f, 100.0f, 0); // a draw distance of 800
    manager->SetCamera(GameCamera::kFixed, true);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        manager->SetDestEyePos(540.0f, 30.0f, 500.0f);
        manager->SetLookAt(540.0f, 0.0f, 560.0f, true);
        manager->Step(true);
        manager->SetDestEyePos(c.eye.x, c.eye.y, c.eye.z);
        manager->SetLookAt(c.at.x, c.at.y, c.at.z, true);
        manager->Step(true);
        gm.ApplyProjection();
        ASSERT_TRUE(Near(gm.GetEyePosition(), c.eye));

        Vec3 middle, topwards;
        gm.ProjectToScreen(c.middle, &middle);
        gm.ProjectToScreen(c.topwards, &topwards);
        EXPECT_NEAR(middle.x, 400.0f, 0.5f);
        EXPECT_NEAR(middle.y, 300.0f, 0.5f);
        EXPECT_TRUE(middle.z > 0.0f && middle.z < 1.0f) << middle.z;
        EXPECT_NEAR(topwards.x, 400.0f, 0.5f);
        EXPECT_LT(topwards.y, 250.0f);

        Vec3 ground;
        EXPECT_EQ(gm.PickGroundPoint(400, 300, 0.0f, &ground), c.ground.has_value());
        if (c.ground)
        {
            const Vec3& g = *c.ground;
            EXPECT_TRUE(Near(ground, g, 0.1f));
            EXPECT_TRUE(gm.IsRectVisible(g.x - 2.0f, g.x + 2.0f, g.z - 2.0f, g.z + 2.0f));
        }
    }
}

TEST_F(CameraTest, RidingOnAGuestThatStandsStillInABuildingKeepsTheGuestInViewTheWayItFaced)
{
    // Following stops in the building: the eye rises 30 above the guest and looks down on it, ending straight down.
    const float yaw = 0.4f;
    Probe* guest = ProbeAt({540.3f, 1.0f, 550.7f});
    guest->SetOrientation(0.0f, yaw, 0.0f);
    ASSERT_TRUE(manager->ToggleFirstPersonCam(guest->GetID()));
    for (int frame = 0; frame < 100; ++frame)
        manager->Step(true);
    manager->PauseFollowing(guest->GetID());
    for (int frame = 0; frame < 400; ++frame)
    {
        manager->Step(true);
        gm.ApplyProjection();
        if (frame % 50 != 49)
            continue;
        SCOPED_TRACE(frame);
        // The guest in the middle of the screen and its place in view; the screen's right stays square to the way
        // the guest faced (-sin yaw, 0, -cos yaw), so its facing points to the top of the screen.
        Vec3 ground;
        ASSERT_TRUE(gm.PickGroundPoint(400, 300, 0.0f, &ground));
        EXPECT_TRUE(Near(ground, {540.3f, 0.0f, 550.7f}, 0.1f));
        EXPECT_TRUE(gm.IsRectVisible(539.0f, 541.0f, 549.0f, 551.0f));
        const platform::Matrix& view = gm.GetViewMatrix();
        EXPECT_TRUE(Near({view.m[0][0], view.m[1][0], view.m[2][0]}, {-std::cos(yaw), 0.0f, std::sin(yaw)}, 2e-3f));
    }
}

TEST_F(CameraTest, TheFirstPersonCameraRidesOnItsObjectAndFallsBackToTheTrackingCamera)
{
    Probe* guest = ProbeAt({540.0f, 1.0f, 550.0f});
    EXPECT_TRUE(manager->ToggleFirstPersonCam(guest->GetID()));
    EXPECT_EQ(manager->GetCurrentType(), 3);
    auto& rider = *static_cast<FirstPersonCamera*>(manager->GetCurrentCamera());
    EXPECT_EQ(rider.GetObjectID(), guest->GetID());
    EXPECT_TRUE(rider.IsFollowing());
    EXPECT_EQ(manager->GetTrackedObject(), guest->GetID());

    struct Case
    {
        float pitch, yaw;
        Vec3 look;
    };
    // The eye 2.1 above the object; the point 60 ahead along its facing (-sin yaw, -cos yaw), raised by 60 sin
    // pitch, but brought down to 5 when it is not above the eye and is above 5.
    const float eyeY = 3.1f;
    const Case cases[] = {
        {0.0f, 0.0f, {540.0f, eyeY, 490.0f}},
        {0.0f, kPi / 2.0f, {480.0f, eyeY, 550.0f}},
        {0.0f, kPi, {540.0f, eyeY, 610.0f}},
        {0.3f, 0.0f, {540.0f, eyeY + 60.0f * std::sin(0.3f), 490.0f}},
        {-0.3f, 0.0f, {540.0f, eyeY - 60.0f * std::sin(0.3f), 490.0f}},
    };
    for (const Case& c : cases)
    {
        guest->SetOrientation(c.pitch, c.yaw, 0.0f);
        rider.Update();
        EXPECT_TRUE(Near(rider.GetDestEyePos(), {540.0f, eyeY, 550.0f}));
        EXPECT_TRUE(Near(rider.GetDestLookAt(), c.look)) << c.pitch << " " << c.yaw;
    }
    // The eye well above 5 with the object looking level: the point comes down to 5.
    guest->SetPosition(540.0f, 20.0f, 550.0f);
    guest->SetOrientation(0.0f, 0.0f, 0.0f);
    rider.Update();
    EXPECT_EQ(rider.GetDestLookAt().y, 5.0f);

    // Inside a building: only the eye's height (30 above) and the point's x and z follow.
    manager->PauseFollowing(guest->GetID() + 1);
    EXPECT_TRUE(rider.IsFollowing());
    manager->PauseFollowing(guest->GetID());
    EXPECT_FALSE(rider.IsFollowing());
    rider.SetDestEyePos(1.0f, 2.0f, 3.0f);
    rider.SetDestLookAt(4.0f, 5.0f, 6.0f, false);
    guest->SetPosition(545.0f, 1.0f, 555.0f);
    rider.Update();
    EXPECT_TRUE(Near(rider.GetDestEyePos(), {1.0f, 31.0f, 3.0f}));
    EXPECT_TRUE(Near(rider.GetDestLookAt(), {545.0f, 5.0f, 555.0f}));
    manager->ResumeFollowing(guest->GetID());
    EXPECT_TRUE(rider.IsFollowing());

    // A second toggle goes back to the tracking camera; the pause then leaves the rider alone.
    EXPECT_FALSE(manager->ToggleFirstPersonCam(guest->GetID()));
    EXPECT_EQ(manager->GetCurrentType(), 1);
    manager->PauseFollowing(guest->GetID());
    EXPECT_TRUE(rider.IsFollowing());

    // The object's removal sends the view back to the tracking camera: at once when heard, or at the next frame
    // when the object has gone.
    EXPECT_TRUE(manager->ToggleFirstPersonCam(guest->GetID()));
    EXPECT_FALSE(manager->OnObjectRemoved(guest->GetID() + 1));
    EXPECT_EQ(manager->GetCurrentType(), 3);
    EXPECT_TRUE(manager->OnObjectRemoved(guest->GetID()));
    EXPECT_EQ(manager->GetCurrentType(), 1);
    EXPECT_TRUE(manager->ToggleFirstPersonCam(guest->GetID()));
    park.objects->RemoveObject(guest->GetID());
    manager->Step(true);
    EXPECT_EQ(manager->GetCurrentType(), 1);
}

TEST_F(CameraTest, TheCamerasAreSavedInTypeOrderAfterTheCurrentType)
{
    manager->SetCamera(GameCamera::kMouse, true);
    // Each camera's sixteen values numbered from its own base, so every one is told apart.
    const auto fill = [](GameCamera& c, float base)
    {
        c.SetDestEyePos(base + 0, base + 1, base + 2);
        c.SetDestLookAt(base + 3, base + 4, base + 5, false);
        c.SetCurrentLookAt({base + 6, base + 7, base + 8});
        c.SetPosition(base + 9, base + 10, base + 11);
        c.SetTargetDistance(base + 12);
        c.SetAngles(base + 13, base + 14);
        c.SetDistance(base + 15);
    };
    for (int32_t type = 0; type < 5; ++type)
        fill(*manager->GetCamera(type), 100.0f * static_cast<float>(type + 1));
    Probe* guest = ProbeAt({540.0f, 0.0f, 540.0f});
    Tracking().TrackObject(guest->GetID());
    static_cast<FirstPersonCamera*>(manager->GetCamera(3))->Watch(77, false);

    using namespace savebytes;
    Bytes expected;
    Tagged(expected, 5, 2); // "m_CurrentType", tag 5
    for (int32_t type = 0; type < 5; ++type)
    {
        if (type == 1)
        {
            Tagged(expected, 11, guest->GetID());
            Put(expected, {2, 1});
        }
        if (type == 3)
        {
            Tagged(expected, 11, 77);
            Put(expected, {2, 0});
        }
        for (int i = 0; i < 16; ++i)
            F32(expected, 100.0f * static_cast<float>(type + 1) + static_cast<float>(i));
    }
    const Bytes saved = Saved([&](SerialStream& s) { manager->Dump(s); });
    EXPECT_EQ(saved, expected);

    // Read back into fresh cameras: every value, and the saved type current as saved, with no view taken over.
    CameraManager loaded;
    loaded.SetInput(&input);
    loaded.GetCamera(1)->SetPosition(-1.0f, -1.0f, -1.0f);
    ASSERT_TRUE(LoadFrom(saved, [&](SerialStream& s) { return loaded.Load(s); }));
    EXPECT_EQ(loaded.GetCurrentType(), 2);
    for (int32_t type = 0; type < 5; ++type)
    {
        SCOPED_TRACE(type);
        const GameCamera& c = *loaded.GetCamera(type);
        const float b = 100.0f * static_cast<float>(type + 1);
        EXPECT_TRUE(Near(c.GetDestEyePos(), {b, b + 1, b + 2}));
        EXPECT_TRUE(Near(c.GetDestLookAt(), {b + 3, b + 4, b + 5}));
        EXPECT_TRUE(Near(c.GetCurrentLookAt(), {b + 6, b + 7, b + 8}));
        EXPECT_TRUE(Near(c.GetEye(), {b + 9, b + 10, b + 11}));
        EXPECT_EQ(std::tuple(c.GetTargetDistance(), c.GetHeading(), c.GetElevation(), c.GetDistance()),
                  std::tuple(b + 12, b + 13, b + 14, b + 15));
    }
    EXPECT_EQ(static_cast<TrackingCamera*>(loaded.GetCamera(1))->GetTrackedObject(), guest->GetID());
    EXPECT_TRUE(static_cast<TrackingCamera*>(loaded.GetCamera(1))->IsFollowing());
    EXPECT_EQ(static_cast<FirstPersonCamera*>(loaded.GetCamera(3))->GetObjectID(), 77u);
    EXPECT_FALSE(static_cast<FirstPersonCamera*>(loaded.GetCamera(3))->IsFollowing());
}

TEST_F(CameraTest, ASavedCameraTypeThatIsNoCameraOrACutOrFarOutRecordIsRefused)
{
    using namespace savebytes;
    const Bytes good = Saved([&](SerialStream& s) { manager->Dump(s); });
    struct Case
    {
        int32_t type;
        int32_t current; // afterwards
        bool report;
    };
    const Case cases[] = {{4, 4, false}, {0, 0, false}, {5, 1, true}, {-1, 1, true}, {1000000, 1, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.type);
        Bytes bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<size_t>(1 + i)] = static_cast<uint8_t>(static_cast<uint32_t>(c.type) >> (8 * i));
        CameraManager loaded;
        loaded.SetCamera(GameCamera::kFixed, true);
        testsupport::RecordingReportSink reports;
        ASSERT_TRUE(LoadFrom(bytes, [&](SerialStream& s) { return loaded.Load(s); }));
        EXPECT_EQ(loaded.GetCurrentType(), c.current);
        EXPECT_EQ(loaded.GetCurrentCamera(), loaded.GetCamera(c.current));
        EXPECT_EQ(reports.boxes.size(), c.report ? 1u : 0u);
    }

    // A record cut short, or one whose values are no numbers: refused, the current camera kept.
    Bytes cut(good.begin(), good.end() - 7);
    Bytes notNumber = good;
    const float nan = std::nanf("");
    std::memcpy(&notNumber[notNumber.size() - 4], &nan, 4);
    // Values far outside any park (the scene spans a few thousand units; a turn no longer changes a heading of
    // 1e30, and the difference of two values of 3e38 is no number): refused as well. Each float is saved as a tag
    // byte and four bytes; the fixed camera's sixteen come last.
    const struct
    {
        int field;
        float value;
    } farOut[] = {{10, 1.0e30f}, {15, -3.0e38f}, {13, 2.0e6f}, {12, 1.5e6f}, {0, -1.0e7f}};
    std::vector<Bytes> refused = {cut, notNumber};
    for (const auto& f : farOut)
    {
        Bytes bytes = good;
        std::memcpy(&bytes[bytes.size() - 80 + 5 * static_cast<size_t>(f.field) + 1], &f.value, 4);
        refused.push_back(bytes);
    }
    for (const Bytes& bad : refused)
    {
        CameraManager loaded;
        loaded.SetCamera(GameCamera::kFixed, true);
        loaded.GetCamera(4)->SetDistance(9.0f);
        testsupport::RecordingReportSink reports;
        EXPECT_FALSE(LoadFrom(bad, [&](SerialStream& s) { return loaded.Load(s); }));
        EXPECT_EQ(loaded.GetCurrentType(), 4);
        EXPECT_EQ(loaded.GetCamera(4)->GetDistance(), 9.0f);
        EXPECT_EQ(reports.boxes.size(), 1u);
    }

    // A heading of many turns and an eye far up over the park are a park's own: kept.
    Bytes turned = good;
    const float heading = 5000.0f, height = 4000.0f;
    std::memcpy(&turned[turned.size() - 80 + 5 * 13 + 1], &heading, 4);
    std::memcpy(&turned[turned.size() - 80 + 5 * 10 + 1], &height, 4);
    CameraManager loaded;
    EXPECT_TRUE(LoadFrom(turned, [&](SerialStream& s) { return loaded.Load(s); }));
    EXPECT_EQ(loaded.GetCamera(4)->GetHeading(), 5000.0f);
    EXPECT_EQ(loaded.GetCamera(4)->GetEye().y, 4000.0f);
}

TEST_F(CameraTest, TheParkMovesTheCameraForItsScriptAndStopsItFollowingWhatItRemoves)
{
    // MoveCamera: the view starts afresh (60 away) and jumps to look at the place: map (1024, 768) is scene
    // (512 + 1024 / 8, 0, 512 + 768 / 16) = (640, 0, 560).
    Tracking().SetTargetDistance(200.0f);
    Tracking().SetDistance(200.0f);
    park.world->MoveCamera(1024.0f, 768.0f);
    EXPECT_EQ(Tracking().GetDistance(), 60.0f);
    EXPECT_TRUE(Near(Tracking().GetCurrentLookAt(), {640.0f, 0.0f, 560.0f}));
    EXPECT_TRUE(Near(Tracking().GetDestLookAt(), {640.0f, 0.0f, 560.0f}));
    manager->LookAtWorldPos({256.0f, 512.0f, 0.0f});
    EXPECT_TRUE(Near(Tracking().GetDestLookAt(), {544.0f, 0.0f, 544.0f}));

    // A place that is no number (a script's "nan" or a number past the float range) is no place: the camera keeps
    // its view, and the script's fault is told.
    const float nan = std::nanf("");
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, float> noPlaces[] = {{nan, 768.0f}, {1024.0f, nan}, {inf, 768.0f}, {1024.0f, -inf}};
    for (const auto& [x, y] : noPlaces)
    {
        SCOPED_TRACE(testing::Message() << x << ", " << y);
        park.world->MoveCamera(1024.0f, 768.0f);
        const size_t before = park.reports.boxes.size();
        park.world->MoveCamera(x, y);
        manager->Update();
        EXPECT_TRUE(Near(Tracking().GetCurrentLookAt(), {640.0f, 0.0f, 560.0f}));
        EXPECT_TRUE(Near(Tracking().GetDestLookAt(), {640.0f, 0.0f, 560.0f}));
        EXPECT_EQ(park.reports.boxes.size(), before + 1);
    }

    // The park's removal step: the camera stops following the object it removes and the dialog that offers to stop
    // it closes; the removal of an object it does not follow leaves the dialog open.
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    GUIManager gui(nullptr);
    const char script[] = "DialogItem CancelCamera(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n";
    gui.LoadScriptText(script, sizeof script - 1);
    for (const bool followed : {false, true})
    {
        SCOPED_TRACE(followed);
        Probe* guest = ProbeAt({540.0f, 0.0f, 540.0f});
        const uint32_t id = guest->GetID();
        manager->StopTracking();
        if (followed)
        {
            ASSERT_TRUE(manager->TrackObject(id));
        }
        ASSERT_TRUE(gui.OpenDialog("CancelCamera", nullptr));
        guest->SetWaitingForDeath(true);
        park.world->Update(0.0f);
        EXPECT_EQ(park.objects->GetObject(id), nullptr);
        EXPECT_EQ(manager->GetTrackedObject(), kNone);
        EXPECT_EQ(gui.IsDialogOpen("CancelCamera"), !followed);
        gui.CloseDialog("CancelCamera");
    }
}

TEST_F(CameraTest, AClickFindsTheGroundAndTheRayUnderItOnScreensOfEveryShape)
{
    // The picture is drawn through the park's 4 : 3 projection stretched over the whole screen, whatever its shape;
    // the ground under a pixel is where the line through that pixel, taken back through the projection and the view,
    // meets the ground.
    struct Case
    {
        uint32_t width, height;
    };
    const Case screens[] = {{800, 600}, {1024, 768}, {1280, 720}, {1280, 1024}, {1920, 1080}, {640, 480}};
    for (const Case& c : screens)
    {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        gm.Shutdown();
        RendererSettings settings;
        settings.m_uWidth = c.width;
        settings.m_uHeight = c.height;
        gm.Create(settings, nullptr);
        // Zoomed right out (looking 1 radian down), so that every pixel looks at the ground.
        TrackingAt({548.0f, 0.0f, 556.0f});
        Tracking().SetTargetDistance(240.0f);
        Tracking().SetDistance(240.0f);
        manager->SetCamera(GameCamera::kTracking, true);
        manager->SetLookAt(548.0f, 0.0f, 556.0f, true);
        manager->Step(true);
        gm.ApplyProjection();
        const platform::Viewport screen = {0, 0, c.width, c.height, 0.0f, 1.0f};
        const int32_t w = static_cast<int32_t>(c.width), h = static_cast<int32_t>(c.height);
        // The middle, the four edges and two corners (the top row looks far across the park).
        const std::pair<int32_t, int32_t> pixels[] = {{w / 2, h / 2}, {w / 2, 2}, {w / 2, h - 2}, {2, h / 2},
                                                      {w - 2, h / 2}, {2, h - 2}, {w - 2, h / 4}};
        for (const auto& [x, y] : pixels)
        {
            SCOPED_TRACE(testing::Message() << "pixel " << x << ", " << y);
            Vec3 nearPoint, farPoint;
            const Vec3 pixel = {static_cast<float>(x), static_cast<float>(y), 0.0f};
            ASSERT_TRUE(platform::Vec3Unproject(pixel, screen, gm.GetProjectionMatrix(), gm.GetViewMatrix(),
                                                platform::MatrixIdentity(), &nearPoint));
            ASSERT_TRUE(platform::Vec3Unproject({pixel.x, pixel.y, 1.0f}, screen, gm.GetProjectionMatrix(),
                                                gm.GetViewMatrix(), platform::MatrixIdentity(), &farPoint));
            const Vec3 along = platform::Vec3Normalize(farPoint - nearPoint);
            ASSERT_LT(along.y, 0.0f);
            const Vec3 eye = gm.GetEyePosition();
            const Vec3 ground = eye + along * (eye.y / -along.y);

            Vec3 picked;
            ASSERT_TRUE(gm.PickGroundPoint(static_cast<int16_t>(x), static_cast<int16_t>(y), 0.0f, &picked));
            EXPECT_TRUE(Near(picked, {ground.x, 0.0f, ground.z}, 0.05f));
            Vec3 origin, direction;
            gm.GetPickRay(static_cast<int16_t>(x), static_cast<int16_t>(y), &origin, &direction);
            EXPECT_TRUE(Near(direction, along, 1e-4f));
        }
    }
}

TEST_F(CameraTest, TheCursorPickerFindsTheGroundAndTheObjectsUnderAScreenPointThroughTheCamera)
{
    // Two sample fun houses (7.6 wide, 6 high) side by side in a scene, seen by the tracking camera from 60 away.
    g_ModelManager.Init(8, false);
    const uint32_t model = g_ModelManager.Load(TW_SOURCE_DIR "/sample-data/data/Models/D_Ezize/FUNHOUSE.tm");
    ASSERT_NE(model, 0u);
    Scene scene(Scene::kTreeIndex);
    ASSERT_TRUE(scene.Open({0.0f, 0.0f, 0.0f}, {2048.0f, 500.0f, 8192.0f}));
    ModelInstance left(model, {540.0f, 0.0f, 560.0f}, {0.0f, 0.0f, 0.0f});
    ModelInstance right(model, {556.0f, 0.0f, 560.0f}, {0.0f, 0.0f, 0.0f});
    ASSERT_TRUE(scene.AddObject(&left) && scene.AddObject(&right));
    manager->SetLookAt(548.0f, 0.0f, 556.0f, true);
    manager->Step(true);
    gm.ApplyProjection();
    const auto screenOf = [this](const Vec3& p)
    {
        Vec3 screen;
        gm.ProjectToScreen(p, &screen);
        return std::pair(static_cast<int32_t>(std::lround(screen.x)), static_cast<int32_t>(std::lround(screen.y)));
    };

    // The ground point under the cursor, every call while the period is 0.
    CursorPicker& picker = GetCursorPicker();
    for (const Vec3& ground : {Vec3{548.0f, 0.0f, 540.0f}, Vec3{530.0f, 0.0f, 575.0f}})
    {
        const auto [x, y] = screenOf(ground);
        picker.Update(x, y);
        EXPECT_TRUE(Near(picker.GetScenePosition(), ground, 0.3f));
    }
    // With a period of 3, every third call picks.
    picker.SetPeriod(3);
    picker.SetScenePosition({0.0f, 0.0f, 0.0f});
    const auto [gx, gy] = screenOf({548.0f, 0.0f, 540.0f});
    picker.Update(gx, gy);
    picker.Update(gx, gy);
    EXPECT_TRUE(Near(picker.GetScenePosition(), {0.0f, 0.0f, 0.0f}));
    picker.Update(gx, gy);
    EXPECT_TRUE(Near(picker.GetScenePosition(), {548.0f, 0.0f, 540.0f}, 0.3f));
    picker.Update(gx + 100, gy);
    EXPECT_TRUE(Near(picker.GetScenePosition(), {548.0f, 0.0f, 540.0f}, 0.3f));
    picker.SetPeriod(0);

    // The objects under the middle of each body; nothing over open ground; nothing without the park's scene.
    struct Case
    {
        Vec3 at;
        const SceneObject* first;
    };
    const Case cases[] = {
        {{540.0f, 3.0f, 560.0f}, &left}, {{556.0f, 3.0f, 560.0f}, &right}, {{548.0f, 0.0f, 545.0f}, nullptr}};
    for (const Case& c : cases)
    {
        const auto [x, y] = screenOf(c.at);
        SceneResultList atScreen, fromEye, none;
        CursorPicker::PickObjectsAtScreenPoint(scene, x, y, &atScreen);
        CursorPicker::PickObjectsFromEye(scene, x, y, &fromEye);
        EXPECT_EQ(atScreen.First(), c.first);
        EXPECT_EQ(fromEye.First(), c.first);
        EXPECT_LE(atScreen.GetCount(), 1u);
        picker.PickObjectsAtScreenPoint(x, y, &none);
        picker.PickObjectsFromEye(x, y, &none);
        EXPECT_EQ(none.GetCount(), 0u);
    }
    scene.Close();
    g_ModelManager.Init(8, false);
}

} // namespace

// A point, an object or a show arena that hands the camera values that are no numbers (a script's or a model's
// bad numbers) leaves the view where it was: the picture keeps the park in view and the save it goes into loads.
TEST_F(CameraTest, ValuesThatAreNoNumbersNeitherBlankTheViewNorSpoilTheSave)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        const char* what;
        std::function<void(CameraManager&, Probe&)> spoil;
    };
    const Case cases[] = {
        {"a look-at point with no number, snapped to",
         [&](CameraManager& m, Probe&) { m.SetLookAt(nan, 0, 540, true); }},
        {"a look-at point at infinity", [&](CameraManager& m, Probe&) { m.SetLookAt(540, 0, inf, false); }},
        {"an eye destination with no number", [&](CameraManager& m, Probe&) { m.SetDestEyePos(540, nan, 540); }},
        {"a followed object that moves to no place",
         [&](CameraManager& m, Probe& p)
         {
             m.TrackObject(p.GetID());
             m.Step(true);
             p.SetPosition(nan, 0.0f, nan);
         }},
        {"a show's camera placed at no number, then the park's camera back",
         [&](CameraManager& m, Probe&)
         {
             m.SetCamera(GameCamera::kFixed, true);
             GameCamera& fixed = *m.GetCurrentCamera();
             fixed.SetPosition(nan, nan, nan);
             fixed.SetCurrentLookAt({nan, 0.0f, nan});
             fixed.SetDestEyePos(nan, nan, nan);
             fixed.SetDestLookAt(inf, 0.0f, -inf, true);
             m.Step(true);
             m.SetCamera(GameCamera::kTracking, true);
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        manager = std::make_unique<CameraManager>();
        manager->SetInput(&input);
        Probe* guest = ProbeAt({530.0f, 0.0f, 550.0f});
        TrackingAt({544.0f, 0.0f, 544.0f});
        for (int i = 0; i < 30; ++i)
            manager->Step(true);
        c.spoil(*manager, *guest);
        for (int i = 0; i < 30; ++i)
            manager->Step(true);

        // The 16 x 16 park runs from 512 to 576; the tracking camera looks on it from 60 to 240 away.
        const GameCamera& camera = *manager->GetCurrentCamera();
        EXPECT_TRUE(camera.HasFiniteView());
        const Vec3 at = camera.GetCurrentLookAt();
        EXPECT_TRUE(at.x >= 512.0f && at.x <= 576.0f && at.z >= 512.0f && at.z <= 576.0f) << at.x << ", " << at.z;
        EXPECT_GT(camera.GetEye().y, 0.0f);
        const platform::Matrix& view = manager->GetViewMatrix();
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                EXPECT_TRUE(std::isfinite(view.m[r][k])) << r << k;

        // The save with these cameras reads back.
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { manager->Dump(s); });
        CameraManager loaded;
        EXPECT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return loaded.Load(s); }));
        park.objects->RemoveObject(guest->GetID());
    }
}
