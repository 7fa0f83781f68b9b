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
    {
        m.m[i / 4][i % 4] = v;
        ++i;
    }
    return m;
}

::testing::AssertionResult MatrixNear(const Matrix& actual, const Matrix& expected, float tol = kTol)
{
    for (int r = 0; r < 4; ++r)
    {
        for (int c = 0; c < 4; ++c)
        {
            if (!(std::fabs(actual.m[r][c] - expected.m[r][c]) <= tol))
            {
                return ::testing::AssertionFailure() << "element [" << r << "][" << c << "] is " << actual.m[r][c]
                                                     << ", expected " << expected.m[r][c];
            }
        }
    }
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
    return ::testing::AssertionFailure() << "|dot| = " << d << " between (" << a.x << ", " << a.y << ", " << a.z << ", "
                                         << a.w << ") and (" << b.x << ", " << b.y << ", " << b.z << ", " << b.w << ")";
}

} // namespace

// ---------------------------------------------------------------- vectors

TEST(MathVectorTest, CrossNormaliseAndTransformKinds)
{
    EXPECT_TRUE(VecNear(Vec3Cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1}));
    // (1,2,3) x (4,5,6) = (2*6-3*5, 3*4-1*6, 1*5-2*4)
    EXPECT_TRUE(VecNear(Vec3Cross({1, 2, 3}, {4, 5, 6}), {-3, 6, -3}));
    EXPECT_TRUE(VecNear(Vec3Normalize({0, 3, 4}), {0, 0.6f, 0.8f}));
    // The zero vector has no direction and stays zero instead of becoming NaN.
    EXPECT_TRUE(VecNear(Vec3Normalize({0, 0, 0}), {0, 0, 0}));

    // Translation (10, 20, 30) and a fourth column that makes w = 1 + z.
    Matrix m = MatrixTranslation(10, 20, 30);
    m.m[2][3] = 1.0f;
    const Vec4 full = Vec3Transform({1, 2, 3}, m);
    EXPECT_FLOAT_EQ(full.x, 11.0f);
    EXPECT_FLOAT_EQ(full.w, 4.0f);
    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 2, 3}, m), {11.0f / 4, 22.0f / 4, 33.0f / 4}));
    // Directions ignore the translation row and are never divided.
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 2, 3}, m), {1, 2, 3}));
    EXPECT_FLOAT_EQ(Vec4Transform({1, 2, 3, 0}, m).w, 3.0f);
}

// ---------------------------------------------------------------- matrices

TEST(MathMatrixTest, MultiplyAppliesTheLeftMatrixFirstAndTransposeSwaps)
{
    // Scale by 2, then move by (1, 0, 0): (1, 1, 1) -> (3, 2, 2). The other order gives (4, 2, 2).
    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 1, 1}, MatrixScaling(2, 2, 2) * MatrixTranslation(1, 0, 0)), {3, 2, 2}));
    EXPECT_TRUE(VecNear(
        Vec3TransformCoord({1, 1, 1}, MatrixMultiply(MatrixTranslation(1, 0, 0), MatrixScaling(2, 2, 2))), {4, 2, 2}));
    // A general product worked element by element.
    const Matrix a = MakeMatrix({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3, 0, 0, 1});
    const Matrix b = MakeMatrix({2, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 5, 0, 1});
    EXPECT_TRUE(MatrixNear(a * b, MakeMatrix({4, 2, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 6, 5, 0, 1})));
    EXPECT_FALSE(MatrixIsIdentity(a));

    const Matrix m = MakeMatrix({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    EXPECT_TRUE(MatrixNear(MatrixTranspose(m), MakeMatrix({1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16})));
}

TEST(MathMatrixTest, InverseUndoesTheTransformAndRefusesSingularMatrices)
{
    // (translate then scale) inverts to (unscale then untranslate).
    const Matrix m = MatrixTranslation(1, 2, 3) * MatrixScaling(2, 4, 8);
    Matrix inv;
    float det = 0.0f;
    ASSERT_TRUE(MatrixInverse(m, &inv, &det));
    EXPECT_FLOAT_EQ(det, 64.0f);
    EXPECT_TRUE(MatrixNear(inv, MatrixScaling(0.5f, 0.25f, 0.125f) * MatrixTranslation(-1, -2, -3)));

    // A dense matrix with a perspective column: both products give the identity.
    const Matrix dense = MatrixRotationYawPitchRoll(0.3f, -0.7f, 1.1f) * MatrixScaling(1.5f, 0.5f, 2.0f) *
                         MatrixTranslation(4, -3, 9) *
                         MatrixPerspectiveOffCenterLH(-0.6f, 0.8f, -0.4f, 0.5f, 1.0f, 100.0f);
    ASSERT_TRUE(MatrixInverse(dense, &inv));
    EXPECT_TRUE(MatrixNear(dense * inv, MatrixIdentity(), 1e-4f));
    EXPECT_TRUE(MatrixNear(inv * dense, MatrixIdentity(), 1e-4f));

    // A rotation's determinant is 1 and its inverse its transpose.
    const Matrix rot = MatrixRotationAxis({1, 2, -2}, 0.9f);
    EXPECT_NEAR(MatrixDeterminant(rot), 1.0f, kTol);
    ASSERT_TRUE(MatrixInverse(rot, &inv));
    EXPECT_TRUE(MatrixNear(inv, MatrixTranspose(rot)));

    // The output may be the input.
    Matrix same = MatrixTranslation(5, 6, 7);
    ASSERT_TRUE(MatrixInverse(same, &same));
    EXPECT_TRUE(MatrixNear(same, MatrixTranslation(-5, -6, -7)));

    // The third row is the sum of the first two: refused, with the output left alone.
    const Matrix singular = MakeMatrix({1, 2, 3, 0, 4, 5, 6, 0, 5, 7, 9, 0, 0, 0, 0, 1});
    Matrix out = MatrixTranslation(9, 9, 9);
    det = 123.0f;
    EXPECT_FALSE(MatrixInverse(singular, &out, &det));
    EXPECT_FLOAT_EQ(det, 0.0f);
    EXPECT_TRUE(MatrixNear(out, MatrixTranslation(9, 9, 9)));
}

TEST(MathMatrixTest, RotationsTurnTheAxesLeftHanded)
{
    const float q = kPi / 2;
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 1, 0}, MatrixRotationX(q)), {0, 0, 1}));
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 0, 1}, MatrixRotationY(q)), {1, 0, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 0, 0}, MatrixRotationZ(q)), {0, 1, 0}));
    // Rotation about y by 30 degrees: (1, 0, 0) -> (cos 30, 0, -sin 30).
    const float a = kPi / 6;
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 0, 0}, MatrixRotationY(a)), {std::cos(a), 0, -std::sin(a)}));

    // About a coordinate axis the general rotation agrees with the dedicated one, whatever the axis length.
    EXPECT_TRUE(MatrixNear(MatrixRotationAxis({0, 0.5f, 0}, -1.3f), MatrixRotationY(-1.3f)));
    EXPECT_TRUE(MatrixNear(MatrixRotationAxis({0, 0, 2}, 2.2f), MatrixRotationZ(2.2f)));
    // 120 degrees about (1, 1, 1) cycles the axes x -> y -> z -> x.
    const Matrix cyc = MatrixRotationAxis({1, 1, 1}, 2 * kPi / 3);
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 0, 0}, cyc), {0, 1, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 1, 0}, cyc), {0, 0, 1}));
    // A zero axis gives no rotation rather than NaN.
    EXPECT_TRUE(MatrixIsIdentity(MatrixRotationAxis({0, 0, 0}, 1.0f)));

    // Yaw-pitch-roll is roll, then pitch, then yaw; its quaternion gives the same matrix.
    const float angles[][3] = {{0.4f, 0.0f, 0.0f}, {0.0f, -0.9f, 0.0f}, {0.3f, 0.5f, -0.8f}, {-2.5f, 1.2f, 3.0f}};
    for (const auto& y : angles)
    {
        SCOPED_TRACE(::testing::Message() << "yaw " << y[0] << " pitch " << y[1] << " roll " << y[2]);
        const Matrix composed = MatrixRotationZ(y[2]) * MatrixRotationX(y[1]) * MatrixRotationY(y[0]);
        EXPECT_TRUE(MatrixNear(MatrixRotationYawPitchRoll(y[0], y[1], y[2]), composed));
        const Quaternion qt = QuaternionRotationYawPitchRoll(y[0], y[1], y[2]);
        EXPECT_NEAR(QuaternionLength(qt), 1.0f, kTol);
        EXPECT_TRUE(MatrixNear(MatrixRotationQuaternion(qt), composed));
    }
    // Pitch a quarter turn tips forward (0, 0, 1) down to -y.
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 0, 1}, MatrixRotationYawPitchRoll(0, kPi / 2, 0)), {0, -1, 0}));
}

TEST(MathMatrixTest, ProjectionsMatchTheHandWorkedMatrices)
{
    // l = 0, r = 4, b = 0, t = 2, zn = 2, zf = 6.
    const Matrix p = MatrixPerspectiveOffCenterLH(0, 4, 0, 2, 2, 6);
    EXPECT_TRUE(MatrixNear(p, MakeMatrix({1, 0, 0, 0,      // 2zn/(r-l) = 4/4
                                          0, 2, 0, 0,      // 2zn/(t-b) = 4/2
                                          -1, -1, 1.5f, 1, // (l+r)/(l-r), (t+b)/(b-t), zf/(zf-zn)
                                          0, 0, -3, 0}))); // zn zf/(zn-zf) = 12/-4
    // The near rectangle's corners land on the clip square's corners at depth 0; the far plane at depth 1.
    EXPECT_TRUE(VecNear(Vec3TransformCoord({0, 0, 2}, p), {-1, -1, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({12, 6, 6}, p), {1, 1, 1}));

    // fov 90 degrees: half height = zn; aspect 4/3: half width = 4/3 zn.
    const Matrix fov = MatrixPerspectiveFovLH(kPi / 2, 4.0f / 3.0f, 1.0f, 1000.0f);
    EXPECT_TRUE(MatrixNear(
        fov, MakeMatrix({0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1000.0f / 999.0f, 1, 0, 0, -1000.0f / 999.0f, 0})));
    const float w = 4.0f / 3.0f;
    EXPECT_TRUE(MatrixNear(MatrixPerspectiveLH(2 * w, 2, 1, 1000), fov, 1e-5f));

    // The screen form of the orthographic projection: y grows downwards from the top edge.
    const Matrix o = MatrixOrthoOffCenterLH(0, 800, 600, 0, 0, 1);
    EXPECT_TRUE(MatrixNear(o, MakeMatrix({2.0f / 800, 0, 0, 0, 0, 2.0f / -600, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1})));
    // Depth range 10..20 maps onto 0..1; w stays 1.
    const Matrix o2 = MatrixOrthoOffCenterLH(-1, 3, -2, 2, 10, 20);
    EXPECT_TRUE(VecNear(Vec3TransformCoord({3, -2, 10}, o2), {1, -1, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 0, 15}, o2), {0, 0, 0.5f}));
    EXPECT_FLOAT_EQ(Vec3Transform({1, 0, 15}, o2).w, 1.0f);
    EXPECT_TRUE(MatrixNear(MatrixOrthoLH(4, 4, 10, 20), MatrixOrthoOffCenterLH(-2, 2, -2, 2, 10, 20)));
}

TEST(MathMatrixTest, LookAtPutsTheEyeAtTheOriginLookingDownZ)
{
    EXPECT_TRUE(MatrixNear(MatrixLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0}), MatrixTranslation(0, 0, 5)));
    // Camera at (10, 0, 0) looking back at the origin: forward -x, right = up x forward = +z.
    const Matrix side = MatrixLookAtLH({10, 0, 0}, {0, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(MatrixNear(side, MakeMatrix({0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 10, 1})));

    // A tilted camera: the eye maps to the origin, the target onto +z at its distance, the rows stay orthonormal.
    const Vec3 eye = {3, 8, -4};
    const Vec3 at = {-1, 0, 6};
    const Matrix tilted = MatrixLookAtLH(eye, at, {0, 1, 0});
    EXPECT_TRUE(VecNear(Vec3TransformCoord(eye, tilted), {0, 0, 0}, 1e-4f));
    EXPECT_TRUE(VecNear(Vec3TransformCoord(at, tilted), {0, 0, Vec3Length(at - eye)}, 1e-4f));
    Matrix rotation = tilted;
    rotation.m[3][0] = rotation.m[3][1] = rotation.m[3][2] = 0.0f;
    EXPECT_TRUE(MatrixNear(rotation * MatrixTranspose(rotation), MatrixIdentity(), 1e-5f));
    EXPECT_GT(Vec3TransformNormal({0, 1, 0}, tilted).y, 0.0f); // world up keeps a positive view-space y
}

// ---------------------------------------------------------------- quaternions

TEST(MathQuaternionTest, AxisAngleMultiplyAndMatrixRoundTrip)
{
    const Quaternion half = QuaternionRotationAxis({0, 0, 2}, kPi);
    EXPECT_NEAR(half.z, 1.0f, kTol);
    EXPECT_NEAR(half.w, 0.0f, kTol);
    for (auto [axis, angle] : {std::pair{Vec3{1, 2, -2}, 0.9f}, std::pair{Vec3{-3, 1, 4}, 3.0f}})
        EXPECT_TRUE(
            MatrixNear(MatrixRotationQuaternion(QuaternionRotationAxis(axis, angle)), MatrixRotationAxis(axis, angle)));

    const Quaternion a = QuaternionRotationAxis({1, 0, 0}, 0.8f);
    const Quaternion b = QuaternionRotationAxis({0, 1, 1}, -1.4f);
    EXPECT_TRUE(MatrixNear(MatrixRotationQuaternion(QuaternionMultiply(a, b)),
                           MatrixRotationQuaternion(a) * MatrixRotationQuaternion(b)));

    // Small angles (positive trace) and half turns about each axis (the three diagonal branches).
    const Quaternion cases[] = {
        QuaternionRotationAxis({1, 2, 3}, 0.3f),       QuaternionRotationAxis({1, 0, 0}, kPi),
        QuaternionRotationAxis({0, 1, 0}, kPi),        QuaternionRotationAxis({0, 0, 1}, kPi),
        QuaternionRotationAxis({1, 0.2f, 0.1f}, 2.9f), QuaternionRotationAxis({0.1f, 1, -0.2f}, -2.9f),
        QuaternionRotationAxis({0.1f, 0.2f, 1}, 3.0f),
    };
    for (const Quaternion& q : cases)
        EXPECT_TRUE(SameRotation(QuaternionRotationMatrix(MatrixRotationQuaternion(q)), q));
}

TEST(MathQuaternionTest, NormaliseAndSlerp)
{
    const Quaternion n = QuaternionNormalize({0, 3, 0, 4});
    EXPECT_NEAR(n.y, 0.6f, kTol);
    EXPECT_NEAR(n.w, 0.8f, kTol);
    EXPECT_EQ(QuaternionNormalize({0, 0, 0, 0}).w, 0.0f);

    const Quaternion from = QuaternionIdentity();
    const Quaternion to = QuaternionRotationAxis({0, 1, 0}, kPi / 2);
    EXPECT_TRUE(SameRotation(QuaternionSlerp(from, to, 1.0f), to));
    EXPECT_TRUE(SameRotation(QuaternionSlerp(from, to, 0.25f), QuaternionRotationAxis({0, 1, 0}, kPi / 8)));
    // The same end rotation written with the opposite sign still takes the short way.
    const Quaternion negTo = {-to.x, -to.y, -to.z, -to.w};
    EXPECT_TRUE(SameRotation(QuaternionSlerp(from, negTo, 0.5f), QuaternionRotationAxis({0, 1, 0}, kPi / 4)));
    // Nearly equal ends stay unit length.
    const Quaternion near = QuaternionRotationAxis({0, 1, 0}, 1e-4f);
    EXPECT_NEAR(QuaternionLength(QuaternionSlerp(from, near, 0.5f)), 1.0f, kTol);
}

// ---------------------------------------------------------------- projection to the screen

TEST(MathProjectTest, ProjectMapsOntoTheViewportAndUnprojectReturns)
{
    const Matrix id = MatrixIdentity();
    const Viewport vp = {100, 50, 200, 100, 0.5f, 1.0f};
    EXPECT_TRUE(VecNear(Vec3Project({-1, -1, 0.5f}, vp, id, id, id), {100, 150, 0.75f}));

    // World, then view, then projection: a translated world puts the point where the view looks.
    const Matrix world = MatrixTranslation(0, 0, 10);
    const Matrix view = MatrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
    const Matrix proj = MatrixPerspectiveFovLH(kPi / 2, 4.0f / 3.0f, 1.0f, 100.0f);
    const Viewport screen = {0, 0, 800, 600, 0.0f, 1.0f};
    // View depth 20 of 1..100: depth = zf/(zf-zn) (1 - zn/z).
    EXPECT_TRUE(VecNear(Vec3Project({0, 0, 0}, screen, proj, view, world),
                        {400, 300, 100.0f / 99.0f * (1.0f - 1.0f / 20.0f)}, 1e-3f));
    // At view depth 20 with a 90-degree field, y = 20 is the top edge and x = 20 * 4/3 the right edge.
    const Vec3 corner = Vec3Project({80.0f / 3.0f, 20, 0}, screen, proj, view, world);
    EXPECT_NEAR(corner.x, 800.0f, 1e-2f);
    EXPECT_NEAR(corner.y, 0.0f, 1e-2f);

    const Matrix turned = MatrixRotationY(0.4f) * MatrixTranslation(1, 2, 3);
    const Matrix offCentre = MatrixPerspectiveOffCenterLH(-0.7f, 0.5f, -0.4f, 0.45f, 1.0f, 500.0f);
    for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{-6, 5, 10}})
    {
        Vec3 back = {};
        ASSERT_TRUE(
            Vec3Unproject(Vec3Project(p, screen, offCentre, view, turned), screen, offCentre, view, turned, &back));
        EXPECT_TRUE(VecNear(back, p, 2e-3f));
    }
    // A singular chain cannot be unprojected; the output is left alone.
    Vec3 untouched = {7, 7, 7};
    EXPECT_FALSE(Vec3Unproject({1, 1, 0.5f}, screen, proj, view, MatrixScaling(1, 0, 1), &untouched));
    EXPECT_TRUE(VecNear(untouched, {7, 7, 7}));
}

// ---------------------------------------------------------------- planes

TEST(MathPlaneTest, PlaneFromPointsFollowsTheWindingAndFrustumPlanesFaceInwards)
{
    // (p2 - p1) x (p3 - p1) with p2 along +x and p3 along +z points down; the reverse order points up.
    const Plane down = PlaneFromPoints({0, 2, 0}, {1, 2, 0}, {0, 2, 1});
    EXPECT_NEAR(down.b, -1.0f, kTol);
    EXPECT_NEAR(down.d, 2.0f, kTol);
    const Plane up = PlaneFromPoints({0, 2, 0}, {0, 2, 5}, {3, 2, 0});
    EXPECT_NEAR(PlaneDotCoord(up, {9, 5, -4}), 3.0f, kTol);
    // An oblique plane: x + y + z = 3 through its axis points, normal normalised.
    const Plane p = PlaneFromPoints({3, 0, 0}, {0, 3, 0}, {0, 0, 3});
    const float k = 1.0f / std::sqrt(3.0f);
    EXPECT_NEAR(p.a, k, kTol);
    EXPECT_NEAR(p.c, k, kTol);
    EXPECT_NEAR(p.d, -3.0f * k, kTol);

    // The view volume's corners from the inverse of view x projection, planes taken from the corner triples in
    // the winding the frustum uses: a point in view is on the positive side of all six.
    const Matrix view = MatrixLookAtLH({10, 30, -40}, {0, 0, 0}, {0, 1, 0});
    const Matrix proj = MatrixPerspectiveFovLH(0.967f, 4.0f / 3.0f, 1.0f, 4000.0f);
    Matrix inv;
    ASSERT_TRUE(MatrixInverse(view * proj, &inv));
    const Vec3 clip[8] = {{-1, -1, 0}, {1, -1, 0}, {-1, 1, 0}, {1, 1, 0},
                          {-1, -1, 1}, {1, -1, 1}, {-1, 1, 1}, {1, 1, 1}};
    Vec3 c[8];
    for (int i = 0; i < 8; ++i)
        c[i] = Vec3TransformCoord(clip[i], inv);
    const Plane planes[6] = {PlaneFromPoints(c[0], c[1], c[2]), PlaneFromPoints(c[6], c[7], c[5]),
                             PlaneFromPoints(c[2], c[6], c[4]), PlaneFromPoints(c[7], c[3], c[5]),
                             PlaneFromPoints(c[2], c[3], c[6]), PlaneFromPoints(c[1], c[0], c[4])};
    for (const Plane& plane : planes)
        EXPECT_GT(PlaneDotCoord(plane, {0, 0, 0}), 0.0f);
    EXPECT_LT(PlaneDotCoord(planes[0], {20, 60, -80}), 0.0f); // behind the eye
}

TEST(MathPlaneTest, NormaliseAndLineIntersection)
{
    const Plane p = PlaneFromPointNormal({1, 2, 3}, {0, 0, 2});
    EXPECT_FLOAT_EQ(p.d, -6.0f);
    EXPECT_FLOAT_EQ(PlaneDotNormal(p, {5, 5, 3}), 6.0f);

    const Plane n = PlaneNormalize({0, 3, 4, 10});
    EXPECT_FLOAT_EQ(n.b, 0.6f);
    EXPECT_FLOAT_EQ(n.d, 2.0f);
    EXPECT_EQ(PlaneNormalize({0, 0, 0, 5}).d, 0.0f);

    // The plane y = 2 meets the line through (0, 0, 0) and (1, 4, 0) half way; beyond the segment too.
    const Plane y2 = {0, 1, 0, -2};
    Vec3 hit = {};
    ASSERT_TRUE(PlaneIntersectLine(y2, {0, 0, 0}, {1, 4, 0}, &hit));
    EXPECT_TRUE(VecNear(hit, {0.5f, 2, 0}));
    ASSERT_TRUE(PlaneIntersectLine(y2, {0, 10, 1}, {2, 6, 1}, &hit));
    EXPECT_TRUE(VecNear(hit, {4, 2, 1}));
    Vec3 untouched = {9, 9, 9};
    EXPECT_FALSE(PlaneIntersectLine(y2, {0, 0, 0}, {5, 0, 3}, &untouched));
    EXPECT_TRUE(VecNear(untouched, {9, 9, 9}));
}

// ---------------------------------------------------------------- bound probes

TEST(MathBoundProbeTest, RaysAgainstBoxesAndSpheres)
{
    const Vec3 lo = {-1, -1, -1};
    const Vec3 hi = {1, 1, 1};
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {0.001f, 0, 0}));     // any length
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {-1, 0, 0}));        // box behind the origin
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 2, 0}, {1, 0, 0}));         // parallel, outside the y slab
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {0.5f, 0.5f, 0.5f}, {0, -1, 0})); // origin inside
    // Slopes: enters the x slab at t = 4 with y = 0.8 (hit); with slope 0.3, y is 1.2 there (miss).
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {1, 0.2f, 0}));
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {1, 0.3f, 0}));
    // Slab intervals must all overlap at once: x in t 4..6 and z in t 0..2 never coincide.
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, -1}, {1, 0, 1}));
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {0, 0, 0}));

    const Vec3 c = {0, 0, 10};
    EXPECT_TRUE(SphereBoundProbe(c, 2, {0, 0, 0}, {0, 0, 50}));
    EXPECT_FALSE(SphereBoundProbe(c, 2, {0, 0, 0}, {0, 0, -1})); // behind
    EXPECT_FALSE(SphereBoundProbe(c, 2, {3, 0, 0}, {0, 0, 1}));  // passes 3 units from the centre
    EXPECT_TRUE(SphereBoundProbe(c, 2, {0, 1, 10}, {1, 0, 0}));  // starts inside, any direction
    EXPECT_FALSE(SphereBoundProbe(c, 2, {0, 0, 0}, {0, 0, 0}));
    // Towards the sphere but aimed wide: closest approach 10 sin(atan(0.3)) = 2.87 > 2.
    EXPECT_FALSE(SphereBoundProbe(c, 2, {0, 0, 0}, {0.3f, 0, 1}));
    EXPECT_TRUE(SphereBoundProbe(c, 2, {0, 0, 0}, {0.15f, 0, 1}));
}
