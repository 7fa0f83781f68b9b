// Tests of the view frustum and the culling tests against a known view: eye 10 above the ground looking along +z,
// 90 degrees high, aspect 4/3, near 1, draw distance 80 (fog range 10 x 8). In view space a point is inside when
// 1 < z < 80, |x| < 4/3 z and |y| < z; on the ground (y = 0) the bottom edge reaches z = 10.
#include "DrawTestSupport.h"
#include "engine/render/SceneObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{

using platform::Vec3;

class CullingTest : public rendertest::DrawTest
{
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        gm.SetFog(0.0f, 10.0f, 0);
        LookAlongZ();
        ASSERT_FLOAT_EQ(gm.GetDrawDistance(), 80.0f);
    }

    // The signed distance of a world point from plane i (positive inside).
    float Side(int plane, Vec3 p) { return platform::PlaneDotCoord(gm.GetFrustumPlanes()[plane], p); }

    // Looks straight down from height h (z up on the screen).
    void LookDown(float h)
    {
        gm.SetViewMatrix(platform::MatrixLookAtLH({0, h, 0}, {0, 0, 0}, {0, 0, 1}), true);
        gm.ApplyProjection();
    }
};

TEST_F(CullingTest, EachPlaneSeparatesPointsJustInsideFromJustOutside)
{
    const float e = 0.05f;
    // World points: view (x, y, z) is world (x, y + 10, z).
    struct Case
    {
        int plane;
        Vec3 inside, outside;
        // clang-format off
    } cases[] = {
        {0, {0, 10, 1 + e}, {0, 10, 1 - e}},       // near
        {1, {0, 10, 80 - e}, {0, 10, 80 + e}},     // far, pulled in to the draw distance
        {2, {-40 + e, 10, 30}, {-40 - e, 10, 30}}, // left: x = -4/3 z
        {3, {40 - e, 10, 30}, {40 + e, 10, 30}},   // right
        {4, {0, 40 - e, 30}, {0, 40 + e, 30}},     // top: y = z
        {5, {0, -20 + e, 30}, {0, -20 - e, 30}},   // bottom
    };
    // clang-format on
    for (const Case& c : cases)
    {
        EXPECT_GT(Side(c.plane, c.inside), 0.0f) << c.plane;
        EXPECT_LT(Side(c.plane, c.outside), 0.0f) << c.plane;
    }
    // Corner 7 is the far top right corner of the unpulled frustum: view (4/3, 1, 1) x 101.
    const Vec3 c7 = gm.GetFrustumCorners()[7];
    EXPECT_NEAR(c7.x, 101.0f * 4.0f / 3.0f, 1e-2f);
    EXPECT_NEAR(c7.y, 111.0f, 1e-2f);
    EXPECT_NEAR(c7.z, 101.0f, 1e-2f);
}

// Looking level: the sky shows, so the footprint is left, right, the bottom edge (z > 10) and the far line.
TEST_F(CullingTest, GroundFootprintOfALevelView)
{
    EXPECT_TRUE(gm.IsHorizonVisible() && gm.IsFrustumValid() && gm.GetGroundLineCount() == 4u);
    EXPECT_FLOAT_EQ(g_HorizonPlane.d, 1.0f);

    const float e = 0.01f;
    // The right edge 4 z = 3 x: at z = 30 a point at x lies (24 - 0.6 x) from it (1.2 inside at 38).
    // clang-format off
    const struct { Vec3 at; float radius; uint32_t code; } circles[] = {
        {{0, 0, 40}, 1.0f, 0}, {{0, 0, 11 + e}, 1.0f, 0}, {{0, 0, 11 - e}, 1.0f, ClipCode::kGround},
        {{0, 0, 9 + e}, 1.0f, ClipCode::kGround}, {{0, 0, 9 - e}, 1.0f, ClipCode::kOutsideGround},
        {{0, 0, 79 - e}, 1.0f, 0}, {{0, 0, 81 + e}, 1.0f, ClipCode::kOutsideGround}, {{38, 0, 30}, 1.1f, 0},
        {{38, 0, 30}, 1.3f, ClipCode::kGround}, {{42, 0, 30}, 1.3f, ClipCode::kGround},
        {{42, 0, 30}, 1.1f, ClipCode::kOutsideGround}, {{-42, 0, 30}, 1.1f, ClipCode::kOutsideGround},
        {{-38, 0, 30}, 1.1f, 0}};
    // clang-format on
    for (const auto& c : circles)
        EXPECT_EQ(gm.TestCircle(c.at, c.radius), c.code) << c.at.x << " " << c.at.z << " " << c.radius;
    // A circle that just touches the nearest line from inside crosses it; one a hair smaller is inside.
    const Vec3 centre{0, 0, 40};
    float nearest = 1e9f;
    for (uint32_t l = 0; l < gm.GetGroundLineCount(); ++l)
    {
        const float* line = gm.GetGroundLine(l);
        nearest = std::min(nearest, line[0] * centre.x + line[1] * centre.z - line[2]);
    }
    ASSERT_GT(nearest, 0.0f);
    EXPECT_EQ(gm.TestCircle(centre, nearest), ClipCode::kGround);
    EXPECT_EQ(gm.TestCircle(centre, std::nextafter(nearest, 0.0f)), 0u);

    EXPECT_TRUE(gm.IsRectVisible(-1, 1, 9, 10.5f) && !(gm.IsRectVisible(-1, 1, 9, 9.9f)));
    EXPECT_TRUE(gm.IsRectVisible(40, 50, 35, 40) && !(gm.IsRectVisible(50, 60, 20, 30)));
    const Vec3 onLine[2] = {{0, 0, 9.99f}, {1, 0, 9.99f}};
    EXPECT_EQ(gm.TestGroundPoints(onLine, 2), ClipCode::kOutsideGround);
    const Vec3 across[2] = {{0, 0, 9.99f}, {1, 0, 20}};
    EXPECT_EQ(gm.TestGroundPoints(across, 2), ClipCode::kGround);
    const Vec3 within[2] = {{0, 0, 12}, {1, 0, 20}};
    EXPECT_EQ(gm.TestGroundPoints(within, 2), 0u);
}

// Looking straight down from 50: the footprint is the rectangle |x| < 200/3, |z| < 50 (the far plane lies under
// the ground and gives no line).
TEST_F(CullingTest, GroundFootprintLookingStraightDown)
{
    LookDown(50.0f);
    EXPECT_TRUE(!gm.IsHorizonVisible() && gm.IsFrustumValid() && gm.GetGroundLineCount() == 4u);
    const float e = 0.05f, w = 200.0f / 3;
    // clang-format off
    const struct { float x0, x1, z0, z1; bool visible; } rects[] = {
        {-1, 1, 50 - e, 60, true}, {-1, 1, 50 + e, 60, false}, {-1, 1, -60, -50 + e, true},
        {-1, 1, -60, -50 - e, false}, {w - e, 80, 0, 1, true}, {w + e, 80, 0, 1, false}, {-80, -w - e, 0, 1, false}};
    // clang-format on
    for (const auto& r : rects)
        EXPECT_EQ(gm.IsRectVisible(r.x0, r.x1, r.z0, r.z1), r.visible) << r.x0 << " " << r.z0;
    EXPECT_EQ(gm.TestCircle({0, 0, 0}, 10.0f), 0u);
}

// Tilted 30 degrees below level from 10: the bottom edge (75 degrees down) meets the ground at 10 tan 15, the top
// edge (15 degrees up) never does, so the horizon shows; tilted 60 degrees down the top edge (15 degrees down)
// bounds the footprint at 10 / tan 15 and the far line at 80 lies beyond it.
TEST_F(CullingTest, TiltedViewsChooseBetweenTheTopAndTheFarLine)
{
    const float pi = 3.14159265f;
    auto tilt = [&](float degrees)
    {
        const float a = degrees * pi / 180.0f;
        const Vec3 eye = {0, 10, 0};
        gm.SetViewMatrix(platform::MatrixLookAtLH(eye, {0, 10 - std::sin(a), std::cos(a)}, {0, 1, 0}), true);
        gm.ApplyProjection();
    };
    tilt(30.0f);
    EXPECT_TRUE(gm.IsHorizonVisible());
    const float nearEdge = 10.0f * std::tan(15.0f * pi / 180.0f);
    EXPECT_FALSE(gm.IsRectVisible(-1, 1, nearEdge - 0.05f, nearEdge - 0.01f));
    EXPECT_TRUE(gm.IsRectVisible(-1, 1, nearEdge - 0.05f, nearEdge + 0.05f));

    tilt(60.0f);
    EXPECT_FALSE(gm.IsHorizonVisible());
    const float farEdge = 10.0f / std::tan(15.0f * pi / 180.0f); // about 37.3
    EXPECT_TRUE(gm.IsRectVisible(-1, 1, farEdge - 0.1f, farEdge + 5));
    EXPECT_FALSE(gm.IsRectVisible(-1, 1, farEdge + 0.1f, farEdge + 5));
    EXPECT_NEAR(g_HorizonPlane.a * 0 + g_HorizonPlane.b * farEdge - g_HorizonPlane.c, 0.0f, 1e-3f);
    EXPECT_EQ(gm.GetGroundLineCount(), 5u); // left, right, top, bottom, far

    // With a draw distance of 20 the far plane cuts the ground nearer than the top edge and takes its place. The
    // far plane lies 20 along the view (60 degrees down): its ground line is z = (20 - 10 sin 60) / cos 60.
    gm.SetFog(0.0f, 2.5f, 0);
    tilt(60.0f);
    EXPECT_EQ(gm.GetGroundLineCount(), 4u);
    const float farCut = (20.0f - 10.0f * std::sin(60.0f * pi / 180.0f)) / std::cos(60.0f * pi / 180.0f);
    EXPECT_TRUE(gm.IsRectVisible(-1, 1, farCut - 0.1f, farEdge) && !(gm.IsRectVisible(-1, 1, farCut + 0.1f, farEdge)));
    gm.SetFog(0.0f, 10.0f, 0);

    // Looking up: the view never reaches the ground.
    tilt(-60.0f);
    EXPECT_TRUE(gm.IsHorizonVisible() && !gm.IsFrustumValid() && !(gm.IsRectVisible(-100, 100, -100, 100)));
}

// Spheres in view space: the factors turn the side tests into distances, so a sphere is judged by its distance
// from each side plane (right plane distance (z - 3/4 x) x 4/5, top plane (z - y) / sqrt 2).
TEST_F(CullingTest, SpheresJustInsideAndOutsideEachSide)
{
    using namespace ClipCode;
    // clang-format off
    const struct { Vec3 centre; float radius; uint32_t code; } spheres[] = {
        {{0, 0, 30}, 1.0f, 0},
        {{38, 0, 30}, 1.0f, 0}, {{38, 0, 30}, 1.3f, kLeft | kRight}, {{-38, 0, 30}, 1.3f, kLeft | kRight}, // 1.2 in
        {{42, 0, 30}, 1.1f, kOutside}, {{42, 0, 30}, 1.3f, kLeft | kRight},                               // 1.2 out
        {{0, 28, 30}, 1.4f, 0}, {{0, 28, 30}, 1.5f, kTop | kBottom},                            // sqrt 2 inside
        {{0, -32, 30}, 1.4f, kOutside}, {{0, -32, 30}, 1.5f, kTop | kBottom},
        {{40, 30, 30}, 0.5f, kView & ~(kNear | kFar)},                                          // both pairs
        {{0, 0, 1.5f}, 1.0f, kNear}, {{0, 0, 1.5f}, 1.1f, kNear | kTop | kBottom}, {{0, 0, 10}, 1.0f, 0},
        {{0, 0, 0.5f}, 0.0f, kOutside}, {{0, 0, -0.5f}, 1.4f, kOutside}, {{0, 0, 81}, 0.5f, kOutside},
        {{0, 0, 80.4f}, 0.5f, 0},
        // A point on the top or the bottom plane is outside; one just below the top is in.
        {{0, 30, 30}, 0.0f, kOutside}, {{0, -30, 30}, 0.0f, kOutside}, {{0, 29.5f, 30}, 0.0f, 0}};
    // clang-format on
    for (const auto& c : spheres)
        EXPECT_EQ(gm.TestSphere(c.centre, c.radius), c.code) << c.centre.x << " " << c.centre.y << " " << c.radius;
}

// Eight view-space points: the planes each point lies outside of, or outside when all lie outside one plane.
TEST_F(CullingTest, PointSetsAndBoxes)
{
    auto box = [](Vec3 min, Vec3 max, Vec3* out)
    {
        for (int i = 0; i < 8; ++i)
            out[i] = {(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
    };
    // The right edge lies at x = 4/3 z: 26.7 to 29.3 over the boxes' depth.
    // clang-format off
    const struct { Vec3 min, max; uint32_t code; } boxes[] = {
        {{-1, -1, 20}, {1, 1, 22}, 0}, {{25, -1, 20}, {30, 1, 22}, ClipCode::kRight},
        {{-30, -1, 20}, {-25, 1, 22}, ClipCode::kLeft}, {{-1, 19, 20}, {1, 25, 22}, ClipCode::kTop},
        {{-1, -25, 20}, {1, -19, 22}, ClipCode::kBottom},
        {{-1, -1, 70}, {1, 1, 90}, ClipCode::kFar}, {{40, -1, 20}, {50, 1, 22}, ClipCode::kOutside},
        {{-1, -1, 85}, {1, 1, 90}, ClipCode::kOutside}};
    // clang-format on
    for (const auto& b : boxes)
    {
        Vec3 p[8];
        box(b.min, b.max, p);
        EXPECT_EQ(gm.TestPoints(p, 8), b.code) << b.min.x << " " << b.min.y << " " << b.min.z;
    }
    Vec3 p[8];
    box({-1, -1, 0.5f}, {1, 1, 22}, p);
    EXPECT_EQ(gm.TestPoints(p, 8) & ClipCode::kNear, ClipCode::kNear);

    // World boxes: view tests from the view matrix, ground tests on the corners dropped along the light.
    EXPECT_EQ(gm.TestBoxCorners({-1, 9, 20}, {1, 11, 22}, ClipCode::kView), 0u);
    EXPECT_EQ(gm.TestBoxCorners({25, 9, 20}, {30, 11, 22}, ClipCode::kView), ClipCode::kRight);
    // A request for the ground part only keeps the view bits of the request (none).
    EXPECT_EQ(gm.TestBoxCorners({-1, 0, 20}, {1, 0, 22}, ClipCode::kGround), 0u);
    EXPECT_EQ(gm.TestBoxCorners({-1, 0, 5}, {1, 0, 15}, ClipCode::kGround), ClipCode::kGround);
    EXPECT_EQ(gm.TestBoxCorners({-1, 0, 2}, {1, 0, 5}, ClipCode::kGround), ClipCode::kOutsideGround);
    EXPECT_EQ(gm.TestBoxCorners({-1, 0, 2}, {1, 0, 5}, ClipCode::kGround | ClipCode::kView),
              ClipCode::kOutsideGround | ClipCode::kOutside);
}

// A light falling at 45 degrees along +x drops a box's corners x + y onto the ground.
TEST_F(CullingTest, GroundTestsFollowTheShadowDirection)
{
    gm.SetLight({1, -1, 0}, 0, 0xFFFFFFFF, 0, 0xFFFFFFFF);
    // At x = 35, z = 30 the right edge is x = 40: corners up to y = 2 drop to x 37; up to y = 8 to x 43.
    EXPECT_EQ(gm.TestBoxCorners({35, 0, 30}, {35, 2, 30}, ClipCode::kGround), 0u);
    EXPECT_EQ(gm.TestBoxCorners({35, 0, 30}, {35, 8, 30}, ClipCode::kGround), ClipCode::kGround);
}

// An object without a model: a unit sphere at its position, in view and on the ground.
TEST_F(CullingTest, ObjectsBySphereAndCircle)
{
    SceneObject object(3);
    object.SetPosition(0, 10, 30);
    EXPECT_EQ(gm.TestObject(object, ClipCode::kView | ClipCode::kGround), 0u);
    object.SetPosition(42, 10, 30);
    EXPECT_EQ(gm.TestObject(object, ClipCode::kView), ClipCode::kOutside);
    object.SetPosition(0, 10, 10.5f);
    EXPECT_EQ(gm.TestObject(object, ClipCode::kGround), ClipCode::kGround);
    object.SetPosition(0, 10, 5);
    EXPECT_EQ(gm.TestObject(object, ClipCode::kGround), ClipCode::kOutsideGround);
}

} // namespace
