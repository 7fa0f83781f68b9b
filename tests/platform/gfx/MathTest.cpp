// Tests of the vector, matrix, quaternion, plane and bound-probe mathematics against hand-worked values.
#include "platform/gfx/Math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

using namespace platform;

namespace
{

constexpr float kPi = 3.14159265358979f;
constexpr float kTol = 1e-5f;

Matrix MakeMatrix(std::initializer_list<float> values)
{
    Matrix m = {};
    int i = 0;
    for (float v : values)
        m.m[i / 4][i % 4] = v, ++i;
    return m;
}

::testing::AssertionResult MatrixNear(const Matrix& actual, const Matrix& expected, float tol = kTol)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(actual.m[r][c] - expected.m[r][c]) <= tol))
                return ::testing::AssertionFailure() << "element [" << r << "][" << c << "] is " << actual.m[r][c]
                                                     << ", expected " << expected.m[r][c];
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult VecNear(Vec3 actual, Vec3 expected, float tol = kTol)
{
    if (std::fabs(actual.x - expected.x) <= tol && std::fabs(actual.y - expected.y) <= tol &&
        std::fabs(actual.z - expected.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") expected ("
                                         << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

// A quaternion and its negation are the same rotation.
::testing::AssertionResult SameRotation(const Quaternion& a, const Quaternion& b, float tol = kTol)
{
    const float d = std::fabs(QuaternionDot(a, b));
    if (std::fabs(d - 1.0f) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "|dot| = " << d;
}

} // namespace

TEST(MathVectorTest, CrossNormaliseAndTransformKinds)
{
    // (1,2,3) x (4,5,6) = (2*6-3*5, 3*4-1*6, 1*5-2*4)
    EXPECT_TRUE(VecNear(Vec3Cross({1, 2, 3}, {4, 5, 6}), {-3, 6, -3}));
    EXPECT_TRUE(VecNear(Vec3Normalize({0, 3, 4}), {0, 0.6f, 0.8f}));
    EXPECT_TRUE(VecNear(Vec3Normalize({0, 0, 0}), {0, 0, 0})); // stays zero instead of becoming NaN

    // Translation (10, 20, 30) and a fourth column that makes w = 1 + z.
    Matrix m = MatrixTranslation(10, 20, 30);
    m.m[2][3] = 1.0f;
    EXPECT_FLOAT_EQ(Vec3Transform({1, 2, 3}, m).w, 4.0f);
    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 2, 3}, m), {11.0f / 4, 22.0f / 4, 33.0f / 4}));
    // Directions ignore the translation row and are never divided.
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 2, 3}, m), {1, 2, 3}));
}

TEST(MathMatrixTest, MultiplyOrderTransposeAndInverse)
{
    // Scale by 2, then move by (1, 0, 0): (1, 1, 1) -> (3, 2, 2). The other order would give (4, 2, 2).
    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 1, 1}, MatrixScaling(2, 2, 2) * MatrixTranslation(1, 0, 0)), {3, 2, 2}));
    const Matrix m = MakeMatrix({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    EXPECT_TRUE(MatrixNear(MatrixTranspose(m), MakeMatrix({1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16})));

    // A dense matrix with a perspective column: both products give the identity.
    const Matrix dense = MatrixRotationYawPitchRoll(0.3f, -0.7f, 1.1f) * MatrixScaling(1.5f, 0.5f, 2.0f) *
                         MatrixTranslation(4, -3, 9) *
                         MatrixPerspectiveOffCenterLH(-0.6f, 0.8f, -0.4f, 0.5f, 1.0f, 100.0f);
    Matrix inv;
    ASSERT_TRUE(MatrixInverse(dense, &inv));
    EXPECT_TRUE(MatrixNear(dense * inv, MatrixIdentity(), 1e-4f));
    EXPECT_TRUE(MatrixNear(inv * dense, MatrixIdentity(), 1e-4f));
    // The output may be the input.
    Matrix same = MatrixTranslation(5, 6, 7) * MatrixScaling(2, 4, 8);
    float det = 0.0f;
    ASSERT_TRUE(MatrixInverse(same, &same, &det));
    EXPECT_FLOAT_EQ(det, 64.0f);
    EXPECT_TRUE(MatrixNear(same, MatrixScaling(0.5f, 0.25f, 0.125f) * MatrixTranslation(-5, -6, -7)));
    // The third row is the sum of the first two: refused, with the output left alone.
    Matrix out = MatrixTranslation(9, 9, 9);
    EXPECT_FALSE(MatrixInverse(MakeMatrix({1, 2, 3, 0, 4, 5, 6, 0, 5, 7, 9, 0, 0, 0, 0, 1}), &out, &det));
    EXPECT_FLOAT_EQ(det, 0.0f);
    EXPECT_TRUE(MatrixNear(out, MatrixTranslation(9, 9, 9)));
}

TEST(MathMatrixTest, RotationsTurnTheAxesLeftHanded)
{
    const float q = kPi / 2;
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 1, 0}, MatrixRotationX(q)), {0, 0, 1}));
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 0, 1}, MatrixRotationY(q)), {1, 0, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 0, 0}, MatrixRotationZ(q)), {0, 1, 0}));
    // 120 degrees about (1, 1, 1) cycles the axes x -> y -> z; a zero axis gives no rotation rather than NaN.
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 0, 0}, MatrixRotationAxis({1, 1, 1}, 2 * kPi / 3)), {0, 1, 0}));
    EXPECT_TRUE(MatrixIsIdentity(MatrixRotationAxis({0, 0, 0}, 1.0f)));

    // Yaw-pitch-roll is roll, then pitch, then yaw; its quaternion gives the same matrix.
    const Matrix composed = MatrixRotationZ(-0.8f) * MatrixRotationX(0.5f) * MatrixRotationY(0.3f);
    EXPECT_TRUE(MatrixNear(MatrixRotationYawPitchRoll(0.3f, 0.5f, -0.8f), composed));
    EXPECT_TRUE(MatrixNear(MatrixRotationQuaternion(QuaternionRotationYawPitchRoll(0.3f, 0.5f, -0.8f)), composed));
}

TEST(MathMatrixTest, ProjectionsMatchTheHandWorkedMatrices)
{
    // l = 0, r = 4, b = 0, t = 2, zn = 2, zf = 6.
    const Matrix p = MatrixPerspectiveOffCenterLH(0, 4, 0, 2, 2, 6);
    EXPECT_TRUE(MatrixNear(p, MakeMatrix({1, 0, 0, 0,      // 2zn/(r-l) = 4/4
                                          0, 2, 0, 0,      // 2zn/(t-b) = 4/2
                                          -1, -1, 1.5f, 1, // (l+r)/(l-r), (t+b)/(b-t), zf/(zf-zn)
                                          0, 0, -3, 0}))); // zn zf/(zn-zf) = 12/-4
    // The far rectangle's corner lands on the clip square's corner at depth 1.
    EXPECT_TRUE(VecNear(Vec3TransformCoord({12, 6, 6}, p), {1, 1, 1}));

    // fov 90 degrees: half height = zn; aspect 4/3: half width = 4/3 zn.
    EXPECT_TRUE(
        MatrixNear(MatrixPerspectiveFovLH(kPi / 2, 4.0f / 3.0f, 1.0f, 1000.0f),
                   MakeMatrix({0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1000.0f / 999.0f, 1, 0, 0, -1000.0f / 999.0f, 0})));
    // The view-volume form: a near rectangle 4 x 2 at zn = 2, far plane 6; its far corner reaches the clip corner.
    const Matrix volume = MatrixPerspectiveLH(4, 2, 2, 6);
    EXPECT_TRUE(MatrixNear(volume, MakeMatrix({1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1.5f, 1, 0, 0, -3, 0})));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({6, 3, 6}, volume), {1, 1, 1}));
    // The screen form of the orthographic projection: y grows downwards from the top edge.
    EXPECT_TRUE(MatrixNear(MatrixOrthoOffCenterLH(0, 800, 600, 0, 0, 1),
                           MakeMatrix({2.0f / 800, 0, 0, 0, 0, 2.0f / -600, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1})));
    // Depth range 10..20 maps onto 0..1.
    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 0, 15}, MatrixOrthoLH(4, 4, 10, 20)), {0.5f, 0, 0.5f}));
}

TEST(MathMatrixTest, LookAtPutsTheEyeAtTheOriginLookingDownZ)
{
    // Camera at (10, 0, 0) looking back at the origin: forward -x, right = up x forward = +z.
    EXPECT_TRUE(MatrixNear(MatrixLookAtLH({10, 0, 0}, {0, 0, 0}, {0, 1, 0}),
                           MakeMatrix({0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 10, 1})));
    // A tilted camera: the eye maps to the origin, the target onto +z at its distance.
    const Vec3 eye = {3, 8, -4}, at = {-1, 0, 6};
    const Matrix tilted = MatrixLookAtLH(eye, at, {0, 1, 0});
    EXPECT_TRUE(VecNear(Vec3TransformCoord(eye, tilted), {0, 0, 0}, 1e-4f));
    EXPECT_TRUE(VecNear(Vec3TransformCoord(at, tilted), {0, 0, Vec3Length(at - eye)}, 1e-4f));
    EXPECT_GT(Vec3TransformNormal({0, 1, 0}, tilted).y, 0.0f); // world up keeps a positive view-space y
}

TEST(MathQuaternionTest, AxisAngleMatrixRoundTripAndSlerp)
{
    const Quaternion a = QuaternionRotationAxis({1, 2, -2}, 0.9f), b = QuaternionRotationAxis({0, 1, 1}, -1.4f);
    EXPECT_TRUE(MatrixNear(MatrixRotationQuaternion(a), MatrixRotationAxis({1, 2, -2}, 0.9f)));
    EXPECT_TRUE(MatrixNear(MatrixRotationQuaternion(QuaternionMultiply(a, b)),
                           MatrixRotationQuaternion(a) * MatrixRotationQuaternion(b)));
    // A small angle (positive trace) and half turns near each axis (the three diagonal branches).
    for (const Quaternion& q :
         {a, QuaternionRotationAxis({1, 0.2f, 0.1f}, 2.9f), QuaternionRotationAxis({0.1f, 1, -0.2f}, -2.9f),
          QuaternionRotationAxis({0, 0, 1}, kPi)})
        EXPECT_TRUE(SameRotation(QuaternionRotationMatrix(MatrixRotationQuaternion(q)), q));
    EXPECT_EQ(QuaternionNormalize({0, 0, 0, 0}).w, 0.0f);

    const Quaternion to = QuaternionRotationAxis({0, 1, 0}, kPi / 2);
    EXPECT_TRUE(
        SameRotation(QuaternionSlerp(QuaternionIdentity(), to, 0.25f), QuaternionRotationAxis({0, 1, 0}, kPi / 8)));
    // The same end rotation written with the opposite sign still takes the short way.
    EXPECT_TRUE(SameRotation(QuaternionSlerp(QuaternionIdentity(), {-to.x, -to.y, -to.z, -to.w}, 0.5f),
                             QuaternionRotationAxis({0, 1, 0}, kPi / 4)));
}

TEST(MathProjectTest, ProjectMapsOntoTheViewportAndUnprojectReturns)
{
    const Matrix id = MatrixIdentity();
    EXPECT_TRUE(VecNear(Vec3Project({-1, -1, 0.5f}, {100, 50, 200, 100, 0.5f, 1.0f}, id, id, id), {100, 150, 0.75f}));

    // World, then view, then projection; view depth 20 of 1..100: depth = zf/(zf-zn) (1 - zn/z).
    const Matrix world = MatrixTranslation(0, 0, 10), view = MatrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
    const Matrix proj = MatrixPerspectiveFovLH(kPi / 2, 4.0f / 3.0f, 1.0f, 100.0f);
    const Viewport screen = {0, 0, 800, 600, 0.0f, 1.0f};
    EXPECT_TRUE(VecNear(Vec3Project({0, 0, 0}, screen, proj, view, world),
                        {400, 300, 100.0f / 99.0f * (1.0f - 1.0f / 20.0f)}, 1e-3f));
    Vec3 back = {};
    ASSERT_TRUE(Vec3Unproject(Vec3Project({-6, 5, 10}, screen, proj, view, world), screen, proj, view, world, &back));
    EXPECT_TRUE(VecNear(back, {-6, 5, 10}, 2e-3f));
    // A singular chain cannot be unprojected; the output is left alone.
    Vec3 untouched = {7, 7, 7};
    EXPECT_FALSE(Vec3Unproject({1, 1, 0.5f}, screen, proj, view, MatrixScaling(1, 0, 1), &untouched));
    EXPECT_TRUE(VecNear(untouched, {7, 7, 7}));
}

TEST(MathPlaneTest, PlanesFromPointsNormaliseAndMeetLines)
{
    // (p2 - p1) x (p3 - p1) with p2 along +x and p3 along +z points down.
    const Plane down = PlaneFromPoints({0, 2, 0}, {1, 2, 0}, {0, 2, 1});
    EXPECT_NEAR(down.b, -1.0f, kTol);
    EXPECT_NEAR(down.d, 2.0f, kTol);
    // An oblique plane: x + y + z = 3 through its axis points, normal normalised.
    const Plane p = PlaneFromPoints({3, 0, 0}, {0, 3, 0}, {0, 0, 3});
    EXPECT_NEAR(p.a, 1.0f / std::sqrt(3.0f), kTol);
    EXPECT_NEAR(p.d, -std::sqrt(3.0f), kTol);
    EXPECT_FLOAT_EQ(PlaneFromPointNormal({1, 2, 3}, {0, 0, 2}).d, -6.0f);
    EXPECT_FLOAT_EQ(PlaneNormalize({0, 3, 4, 10}).d, 2.0f);
    EXPECT_EQ(PlaneNormalize({0, 0, 0, 5}).d, 0.0f);

    // The plane y = 2 meets the line through (0, 10, 1) and (2, 6, 1) beyond the segment; a parallel line not.
    const Plane y2 = {0, 1, 0, -2};
    Vec3 hit = {9, 9, 9};
    ASSERT_TRUE(PlaneIntersectLine(y2, {0, 10, 1}, {2, 6, 1}, &hit));
    EXPECT_TRUE(VecNear(hit, {4, 2, 1}));
    EXPECT_FALSE(PlaneIntersectLine(y2, {0, 0, 0}, {5, 0, 3}, &hit));
    EXPECT_TRUE(VecNear(hit, {4, 2, 1}));
}

TEST(MathBoundProbeTest, RaysAgainstBoxesAndSpheres)
{
    const Vec3 lo = {-1, -1, -1}, hi = {1, 1, 1};
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {0.001f, 0, 0}));     // any length
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {-1, 0, 0}));        // box behind the origin
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {0.5f, 0.5f, 0.5f}, {0, -1, 0})); // origin inside
    // Enters the x slab at t = 4 with y = 0.8 (hit); with slope 0.3, y is 1.2 there (miss).
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {1, 0.2f, 0}));
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {1, 0.3f, 0}));
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {0, 0, 0}));

    const Vec3 c = {0, 0, 10};
    EXPECT_TRUE(SphereBoundProbe(c, 2, {0, 0, 0}, {0.15f, 0, 1}));
    EXPECT_FALSE(SphereBoundProbe(c, 2, {0, 0, 0}, {0, 0, -1})); // behind
    EXPECT_TRUE(SphereBoundProbe(c, 2, {0, 1, 10}, {1, 0, 0}));  // starts inside, any direction
    // Towards the sphere but aimed wide: closest approach 10 sin(atan(0.3)) = 2.87 > 2.
    EXPECT_FALSE(SphereBoundProbe(c, 2, {0, 0, 0}, {0.3f, 0, 1}));
}

// A box is closed: a ray that only touches it (a corner, an edge, a face it runs along) hits it, and so does a ray
// through a box flat on one axis, as the bounds of a flat model are.
TEST(MathBoundProbeTest, RaysTouchingABoxOrCrossingAFlatBoxHitIt)
{
    const struct
    {
        const char* what;
        Vec3 lo, hi, origin, direction;
        bool hit;
    } cases[] = {
        // Enters the x slab at t = 1 and leaves the y slab at t = 1: the corner (1, 1, 0).
        {"touches a corner", {-1, -1, -1}, {1, 1, 1}, {0, 2, 0}, {1, -1, 0}, true},
        // The same line a little higher passes the corner by.
        {"passes a corner", {-1, -1, -1}, {1, 1, 1}, {0, 2.5f, 0}, {1, -1, 0}, false},
        {"runs along a face", {-1, -1, -1}, {1, 1, 1}, {-5, 1, 0}, {1, 0, 0}, true},
        {"starts on a face, heading out", {-1, -1, -1}, {1, 1, 1}, {1, 0, 0}, {1, 0, 0}, true},
        {"through a box flat in z", {-1, -1, 0}, {1, 1, 0}, {0, 0, -5}, {0, 0, 1}, true},
        {"slanted through a box flat in z", {-1, -1, 0}, {1, 1, 0}, {-2, 0, -2}, {1, 0, 1}, true},
        {"beside a box flat in z", {-1, -1, 0}, {1, 1, 0}, {-4, 0, -2}, {1, 0, 1}, false},
        {"away from a box flat in z", {-1, -1, 0}, {1, 1, 0}, {0, 0, -5}, {0, 0, -1}, false},
        {"through a point-sized box", {2, 3, 4}, {2, 3, 4}, {0, 1, 2}, {1, 1, 1}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BoxBoundProbe(c.lo, c.hi, c.origin, c.direction), c.hit) << c.what;
}
