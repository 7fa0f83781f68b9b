// Tests of the vector, matrix, quaternion, plane and bound-probe mathematics against hand-worked values.
#include "platform/gfx/Math.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(MathVectorTest, CrossFollowsTheLeftHandedAxesAndDotIsBilinear)
{
    EXPECT_TRUE(VecNear(Vec3Cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1}));
    EXPECT_TRUE(VecNear(Vec3Cross({0, 1, 0}, {0, 0, 1}), {1, 0, 0}));
    EXPECT_TRUE(VecNear(Vec3Cross({0, 0, 1}, {1, 0, 0}), {0, 1, 0}));
    // (1,2,3) x (4,5,6) = (2*6-3*5, 3*4-1*6, 1*5-2*4)
    EXPECT_TRUE(VecNear(Vec3Cross({1, 2, 3}, {4, 5, 6}), {-3, 6, -3}));
    EXPECT_FLOAT_EQ(Vec3Dot({1, 2, 3}, {4, -5, 6}), 4 - 10 + 18);
    EXPECT_FLOAT_EQ(Vec3Length({2, 3, 6}), 7.0f);
    EXPECT_FLOAT_EQ(Vec3LengthSq({2, 3, 6}), 49.0f);
    EXPECT_FLOAT_EQ(Vec2Length({3, 4}), 5.0f);
}

TEST(MathVectorTest, NormaliseLerpAndComponentBounds)
{
    EXPECT_TRUE(VecNear(Vec3Normalize({0, 3, 4}), {0, 0.6f, 0.8f}));
    // The zero vector has no direction and stays zero instead of becoming NaN.
    EXPECT_TRUE(VecNear(Vec3Normalize({0, 0, 0}), {0, 0, 0}));
    EXPECT_TRUE(VecNear(Vec3Lerp({0, 10, -2}, {4, 20, 2}, 0.25f), {1, 12.5f, -1}));
    EXPECT_TRUE(VecNear(Vec3Lerp({0, 10, -2}, {4, 20, 2}, 1.0f), {4, 20, 2}));
    EXPECT_TRUE(VecNear(Vec3Minimize({1, 5, -3}, {2, -1, 0}), {1, -1, -3}));
    EXPECT_TRUE(VecNear(Vec3Maximize({1, 5, -3}, {2, -1, 0}), {2, 5, 0}));
}

TEST(MathVectorTest, TransformKindsTreatTranslationAndWDifferently)
{
    // Translation (10, 20, 30) and a fourth column that makes w = 1 + z.
    Matrix m = MatrixTranslation(10, 20, 30);
    m.m[2][3] = 1.0f;

    const Vec4 full = Vec3Transform({1, 2, 3}, m);
    EXPECT_FLOAT_EQ(full.x, 11.0f);
    EXPECT_FLOAT_EQ(full.y, 22.0f);
    EXPECT_FLOAT_EQ(full.z, 33.0f);
    EXPECT_FLOAT_EQ(full.w, 4.0f);

    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 2, 3}, m), {11.0f / 4, 22.0f / 4, 33.0f / 4}));
    // Directions ignore the translation row and are never divided.
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 2, 3}, m), {1, 2, 3}));

    const Vec4 v4 = Vec4Transform({1, 2, 3, 0}, m);
    EXPECT_FLOAT_EQ(v4.x, 1.0f);
    EXPECT_FLOAT_EQ(v4.w, 3.0f);
}

// ---------------------------------------------------------------- matrices

TEST(MathMatrixTest, MultiplyAppliesTheLeftMatrixFirst)
{
    // Scale by 2, then move by (1, 0, 0): (1, 1, 1) -> (3, 2, 2). The other order gives (4, 2, 2).
    const Matrix scaleThenMove = MatrixScaling(2, 2, 2) * MatrixTranslation(1, 0, 0);
    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 1, 1}, scaleThenMove), {3, 2, 2}));
    const Matrix moveThenScale = MatrixMultiply(MatrixTranslation(1, 0, 0), MatrixScaling(2, 2, 2));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 1, 1}, moveThenScale), {4, 2, 2}));

    // A general product worked element by element.
    const Matrix a = MakeMatrix({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3, 0, 0, 1});
    const Matrix b = MakeMatrix({2, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 5, 0, 1});
    const Matrix expected = MakeMatrix({4, 2, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 6, 5, 0, 1});
    EXPECT_TRUE(MatrixNear(a * b, expected));
    EXPECT_TRUE(MatrixIsIdentity(MatrixIdentity()));
    EXPECT_FALSE(MatrixIsIdentity(a));
}

TEST(MathMatrixTest, TransposeSwapsRowsAndColumns)
{
    const Matrix m = MakeMatrix({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const Matrix t = MatrixTranspose(m);
    EXPECT_TRUE(MatrixNear(t, MakeMatrix({1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16})));
    EXPECT_TRUE(MatrixNear(MatrixTranspose(t), m));
}

TEST(MathMatrixTest, InverseUndoesTheTransformAndReportsTheDeterminant)
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
}

TEST(MathMatrixTest, InverseMayOverwriteItsInput)
{
    Matrix m = MatrixTranslation(5, 6, 7);
    ASSERT_TRUE(MatrixInverse(m, &m));
    EXPECT_TRUE(MatrixNear(m, MatrixTranslation(-5, -6, -7)));
}

TEST(MathMatrixTest, SingularMatrixIsRefusedAndLeavesTheOutputAlone)
{
    // The third row is the sum of the first two.
    const Matrix singular = MakeMatrix({1, 2, 3, 0, 4, 5, 6, 0, 5, 7, 9, 0, 0, 0, 0, 1});
    Matrix out = MatrixTranslation(9, 9, 9);
    float det = 123.0f;
    EXPECT_FALSE(MatrixInverse(singular, &out, &det));
    EXPECT_FLOAT_EQ(det, 0.0f);
    EXPECT_TRUE(MatrixNear(out, MatrixTranslation(9, 9, 9)));

    Matrix zero = {};
    EXPECT_FALSE(MatrixInverse(zero, &out));
}

TEST(MathMatrixTest, AxisRotationsTurnTheAxesLeftHanded)
{
    const float q = kPi / 2;
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 1, 0}, MatrixRotationX(q)), {0, 0, 1}));
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 0, 1}, MatrixRotationY(q)), {1, 0, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 0, 0}, MatrixRotationZ(q)), {0, 1, 0}));

    // Rotation about y by 30 degrees: (1, 0, 0) -> (cos 30, 0, -sin 30).
    const float a = kPi / 6;
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 0, 0}, MatrixRotationY(a)), {std::cos(a), 0, -std::sin(a)}));

    // About a coordinate axis the general rotation agrees with the dedicated one, whatever the axis length.
    EXPECT_TRUE(MatrixNear(MatrixRotationAxis({3, 0, 0}, 0.7f), MatrixRotationX(0.7f)));
    EXPECT_TRUE(MatrixNear(MatrixRotationAxis({0, 0.5f, 0}, -1.3f), MatrixRotationY(-1.3f)));
    EXPECT_TRUE(MatrixNear(MatrixRotationAxis({0, 0, 2}, 2.2f), MatrixRotationZ(2.2f)));
    // 120 degrees about (1, 1, 1) cycles the axes x -> y -> z -> x.
    const Matrix cyc = MatrixRotationAxis({1, 1, 1}, 2 * kPi / 3);
    EXPECT_TRUE(VecNear(Vec3TransformNormal({1, 0, 0}, cyc), {0, 1, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 1, 0}, cyc), {0, 0, 1}));
    // A zero axis gives no rotation rather than NaN.
    EXPECT_TRUE(MatrixIsIdentity(MatrixRotationAxis({0, 0, 0}, 1.0f)));
}

TEST(MathMatrixTest, YawPitchRollIsRollThenPitchThenYaw)
{
    const float angles[][3] = {
        {0.4f, 0.0f, 0.0f}, {0.0f, -0.9f, 0.0f}, {0.0f, 0.0f, 1.7f}, {0.3f, 0.5f, -0.8f}, {-2.5f, 1.2f, 3.0f}};
    for (const auto& a : angles)
    {
        const Matrix composed = MatrixRotationZ(a[2]) * MatrixRotationX(a[1]) * MatrixRotationY(a[0]);
        EXPECT_TRUE(MatrixNear(MatrixRotationYawPitchRoll(a[0], a[1], a[2]), composed))
            << "yaw " << a[0] << " pitch " << a[1] << " roll " << a[2];
    }
    // Yaw a quarter turn: forward (0, 0, 1) turns to +x; pitch a quarter turn tips forward down to -y.
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 0, 1}, MatrixRotationYawPitchRoll(kPi / 2, 0, 0)), {1, 0, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformNormal({0, 0, 1}, MatrixRotationYawPitchRoll(0, kPi / 2, 0)), {0, -1, 0}));
}

TEST(MathMatrixTest, PerspectiveOffCenterMatchesTheHandWorkedMatrix)
{
    // l = 0, r = 4, b = 0, t = 2, zn = 2, zf = 6.
    const Matrix p = MatrixPerspectiveOffCenterLH(0, 4, 0, 2, 2, 6);
    EXPECT_TRUE(MatrixNear(p, MakeMatrix({1, 0, 0, 0,      // 2zn/(r-l) = 4/4
                                          0, 2, 0, 0,      // 2zn/(t-b) = 4/2
                                          -1, -1, 1.5f, 1, // (l+r)/(l-r), (t+b)/(b-t), zf/(zf-zn)
                                          0, 0, -3, 0}))); // zn zf/(zn-zf) = 12/-4

    // The near rectangle's corners land on the clip square's corners at depth 0; the far plane at depth 1.
    EXPECT_TRUE(VecNear(Vec3TransformCoord({0, 0, 2}, p), {-1, -1, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({4, 2, 2}, p), {1, 1, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({12, 6, 6}, p), {1, 1, 1}));
    EXPECT_FLOAT_EQ(Vec3Transform({1, 1, 5}, p).w, 5.0f);
}

TEST(MathMatrixTest, PerspectiveFovAndWidthFormsAgreeWithTheCentredOffCenterForm)
{
    // fov 90 degrees: half height = zn; aspect 4/3: half width = 4/3 zn.
    const Matrix fov = MatrixPerspectiveFovLH(kPi / 2, 4.0f / 3.0f, 1.0f, 1000.0f);
    EXPECT_TRUE(MatrixNear(
        fov, MakeMatrix({0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1000.0f / 999.0f, 1, 0, 0, -1000.0f / 999.0f, 0})));
    const float w = 4.0f / 3.0f;
    EXPECT_TRUE(MatrixNear(fov, MatrixPerspectiveOffCenterLH(-w, w, -1, 1, 1, 1000), 1e-5f));
    EXPECT_TRUE(MatrixNear(MatrixPerspectiveLH(2 * w, 2, 1, 1000), fov, 1e-5f));
}

TEST(MathMatrixTest, OrthographicOffCenterMapsPixelsOntoTheClipSquare)
{
    // The screen form: y grows downwards from the top edge.
    const Matrix o = MatrixOrthoOffCenterLH(0, 800, 600, 0, 0, 1);
    EXPECT_TRUE(MatrixNear(o, MakeMatrix({2.0f / 800, 0, 0, 0, 0, 2.0f / -600, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1})));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({0, 0, 0}, o), {-1, 1, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({800, 600, 1}, o), {1, -1, 1}));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({400, 300, 0.5f}, o), {0, 0, 0.5f}));

    // Depth range 10..20 maps onto 0..1; w stays 1.
    const Matrix o2 = MatrixOrthoOffCenterLH(-1, 3, -2, 2, 10, 20);
    EXPECT_TRUE(VecNear(Vec3TransformCoord({3, -2, 10}, o2), {1, -1, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({1, 0, 15}, o2), {0, 0, 0.5f}));
    EXPECT_FLOAT_EQ(Vec3Transform({1, 0, 15}, o2).w, 1.0f);

    EXPECT_TRUE(MatrixNear(MatrixOrthoLH(4, 4, 10, 20), MatrixOrthoOffCenterLH(-2, 2, -2, 2, 10, 20)));
}

TEST(MathMatrixTest, LookAtPutsTheEyeAtTheOriginLookingDownZ)
{
    // Camera on -z looking at the origin: the identity with the eye 5 units behind.
    const Matrix v = MatrixLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(MatrixNear(v, MatrixTranslation(0, 0, 5)));

    // Camera at (10, 0, 0) looking back at the origin: forward -x, right = up x forward = +z.
    const Matrix side = MatrixLookAtLH({10, 0, 0}, {0, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(MatrixNear(side, MakeMatrix({0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 10, 1})));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({7, 0, 0}, side), {0, 0, 3}));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({10, 0, 1}, side), {1, 0, 0}));
    EXPECT_TRUE(VecNear(Vec3TransformCoord({10, 2, 0}, side), {0, 2, 0}));

    // A tilted camera: the eye maps to the origin, the target onto +z at its distance, and the rows stay
    // orthonormal.
    const Vec3 eye = {3, 8, -4};
    const Vec3 at = {-1, 0, 6};
    const Matrix tilted = MatrixLookAtLH(eye, at, {0, 1, 0});
    EXPECT_TRUE(VecNear(Vec3TransformCoord(eye, tilted), {0, 0, 0}, 1e-4f));
    EXPECT_TRUE(VecNear(Vec3TransformCoord(at, tilted), {0, 0, Vec3Length(at - eye)}, 1e-4f));
    Matrix rotation = tilted;
    rotation.m[3][0] = rotation.m[3][1] = rotation.m[3][2] = 0.0f;
    EXPECT_TRUE(MatrixNear(rotation * MatrixTranspose(rotation), MatrixIdentity(), 1e-5f));
    // World up keeps a positive view-space y.
    EXPECT_GT(Vec3TransformNormal({0, 1, 0}, tilted).y, 0.0f);
}

// ---------------------------------------------------------------- quaternions

TEST(MathQuaternionTest, AxisAngleQuaternionGivesTheAxisAngleMatrix)
{
    const Quaternion half = QuaternionRotationAxis({0, 0, 2}, kPi);
    EXPECT_NEAR(half.z, 1.0f, kTol);
    EXPECT_NEAR(half.w, 0.0f, kTol);

    const struct
    {
        Vec3 axis;
        float angle;
    } cases[] = {{{1, 0, 0}, 0.5f}, {{0, 1, 0}, -2.0f}, {{1, 2, -2}, 0.9f}, {{-3, 1, 4}, 3.0f}};
    for (const auto& c : cases)
    {
        const Matrix fromQ = MatrixRotationQuaternion(QuaternionRotationAxis(c.axis, c.angle));
        EXPECT_TRUE(MatrixNear(fromQ, MatrixRotationAxis(c.axis, c.angle))) << "angle " << c.angle;
    }
}

TEST(MathQuaternionTest, YawPitchRollQuaternionMatchesTheMatrix)
{
    const float angles[][3] = {
        {0.4f, 0.0f, 0.0f}, {0.0f, -0.9f, 0.0f}, {0.0f, 0.0f, 1.7f}, {0.3f, 0.5f, -0.8f}, {-2.5f, 1.2f, 3.0f}};
    for (const auto& a : angles)
    {
        const Quaternion q = QuaternionRotationYawPitchRoll(a[0], a[1], a[2]);
        EXPECT_NEAR(QuaternionLength(q), 1.0f, kTol);
        EXPECT_TRUE(MatrixNear(MatrixRotationQuaternion(q), MatrixRotationYawPitchRoll(a[0], a[1], a[2])))
            << "yaw " << a[0] << " pitch " << a[1] << " roll " << a[2];
    }
}

TEST(MathQuaternionTest, MultiplyComposesInMatrixOrder)
{
    const Quaternion a = QuaternionRotationAxis({1, 0, 0}, 0.8f);
    const Quaternion b = QuaternionRotationAxis({0, 1, 1}, -1.4f);
    const Matrix expected = MatrixRotationQuaternion(a) * MatrixRotationQuaternion(b);
    EXPECT_TRUE(MatrixNear(MatrixRotationQuaternion(QuaternionMultiply(a, b)), expected));
    // Two quarter turns about y make a half turn.
    const Quaternion quarter = QuaternionRotationAxis({0, 1, 0}, kPi / 2);
    EXPECT_TRUE(SameRotation(QuaternionMultiply(quarter, quarter), QuaternionRotationAxis({0, 1, 0}, kPi)));
    EXPECT_TRUE(SameRotation(QuaternionMultiply(a, QuaternionIdentity()), a));
}

TEST(MathQuaternionTest, MatrixToQuaternionRoundTripsEveryBranch)
{
    // Small angles (positive trace) and half turns about each axis (the three diagonal branches).
    const Quaternion cases[] = {
        QuaternionRotationAxis({1, 2, 3}, 0.3f),       QuaternionRotationAxis({1, 0, 0}, kPi),
        QuaternionRotationAxis({0, 1, 0}, kPi),        QuaternionRotationAxis({0, 0, 1}, kPi),
        QuaternionRotationAxis({1, 0.2f, 0.1f}, 2.9f), QuaternionRotationAxis({0.1f, 1, -0.2f}, -2.9f),
        QuaternionRotationAxis({0.1f, 0.2f, 1}, 3.0f),
    };
    for (const Quaternion& q : cases)
    {
        const Quaternion back = QuaternionRotationMatrix(MatrixRotationQuaternion(q));
        EXPECT_TRUE(SameRotation(back, q));
        EXPECT_TRUE(MatrixNear(MatrixRotationQuaternion(back), MatrixRotationQuaternion(q)));
    }
}

TEST(MathQuaternionTest, NormaliseAndSlerp)
{
    const Quaternion n = QuaternionNormalize({0, 3, 0, 4});
    EXPECT_NEAR(n.y, 0.6f, kTol);
    EXPECT_NEAR(n.w, 0.8f, kTol);
    const Quaternion z = QuaternionNormalize({0, 0, 0, 0});
    EXPECT_EQ(z.w, 0.0f);

    const Quaternion from = QuaternionIdentity();
    const Quaternion to = QuaternionRotationAxis({0, 1, 0}, kPi / 2);
    EXPECT_TRUE(SameRotation(QuaternionSlerp(from, to, 0.0f), from));
    EXPECT_TRUE(SameRotation(QuaternionSlerp(from, to, 1.0f), to));
    EXPECT_TRUE(SameRotation(QuaternionSlerp(from, to, 0.5f), QuaternionRotationAxis({0, 1, 0}, kPi / 4)));
    EXPECT_TRUE(SameRotation(QuaternionSlerp(from, to, 0.25f), QuaternionRotationAxis({0, 1, 0}, kPi / 8)));
    // The same end rotation written with the opposite sign still takes the short way.
    const Quaternion negTo = {-to.x, -to.y, -to.z, -to.w};
    EXPECT_TRUE(SameRotation(QuaternionSlerp(from, negTo, 0.5f), QuaternionRotationAxis({0, 1, 0}, kPi / 4)));
    // Nearly equal ends stay unit length.
    const Quaternion near = QuaternionRotationAxis({0, 1, 0}, 1e-4f);
    EXPECT_NEAR(QuaternionLength(QuaternionSlerp(from, near, 0.5f)), 1.0f, kTol);
}

// ---------------------------------------------------------------- projection to the screen

TEST(MathProjectTest, ProjectMapsClipSpaceOntoTheViewport)
{
    const Matrix id = MatrixIdentity();
    const Viewport vp = {100, 50, 200, 100, 0.5f, 1.0f};
    EXPECT_TRUE(VecNear(Vec3Project({0, 0, 0}, vp, id, id, id), {200, 100, 0.5f}));
    EXPECT_TRUE(VecNear(Vec3Project({1, 1, 1}, vp, id, id, id), {300, 50, 1.0f}));
    EXPECT_TRUE(VecNear(Vec3Project({-1, -1, 0.5f}, vp, id, id, id), {100, 150, 0.75f}));

    // World, then view, then projection: a translated world puts the point where the view looks.
    const Matrix world = MatrixTranslation(0, 0, 10);
    const Matrix view = MatrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
    const Matrix proj = MatrixPerspectiveFovLH(kPi / 2, 4.0f / 3.0f, 1.0f, 100.0f);
    const Viewport screen = {0, 0, 800, 600, 0.0f, 1.0f};
    const Vec3 centre = Vec3Project({0, 0, 0}, screen, proj, view, world);
    EXPECT_NEAR(centre.x, 400.0f, 1e-3f);
    EXPECT_NEAR(centre.y, 300.0f, 1e-3f);
    // View depth 20 of 1..100: depth = zf/(zf-zn) (1 - zn/z).
    EXPECT_NEAR(centre.z, 100.0f / 99.0f * (1.0f - 1.0f / 20.0f), 1e-5f);
    // At view depth 20 with a 90-degree field, y = 20 is the top edge and x = 20 * 4/3 the right edge.
    const Vec3 corner = Vec3Project({80.0f / 3.0f, 20, 0}, screen, proj, view, world);
    EXPECT_NEAR(corner.x, 800.0f, 1e-2f);
    EXPECT_NEAR(corner.y, 0.0f, 1e-2f);
}

TEST(MathProjectTest, UnprojectReturnsTheProjectedPoint)
{
    const Matrix world = MatrixRotationY(0.4f) * MatrixTranslation(1, 2, 3);
    const Matrix view = MatrixLookAtLH({5, 12, -20}, {0, 0, 0}, {0, 1, 0});
    const Matrix proj = MatrixPerspectiveOffCenterLH(-0.7f, 0.5f, -0.4f, 0.45f, 1.0f, 500.0f);
    const Viewport vp = {16, 8, 640, 480, 0.0f, 1.0f};
    const Vec3 points[] = {{0, 0, 0}, {3, -1, 4}, {-6, 5, 10}};
    for (const Vec3& p : points)
    {
        const Vec3 screen = Vec3Project(p, vp, proj, view, world);
        Vec3 back = {};
        ASSERT_TRUE(Vec3Unproject(screen, vp, proj, view, world, &back));
        EXPECT_TRUE(VecNear(back, p, 2e-3f));
    }

    // A singular chain cannot be unprojected; the output is left alone.
    const Matrix flat = MatrixScaling(1, 0, 1);
    Vec3 untouched = {7, 7, 7};
    EXPECT_FALSE(Vec3Unproject({1, 1, 0.5f}, vp, proj, view, flat, &untouched));
    EXPECT_TRUE(VecNear(untouched, {7, 7, 7}));
}

// ---------------------------------------------------------------- planes

TEST(MathPlaneTest, PlaneFromPointsFollowsTheWindingOfItsPoints)
{
    // (p2 - p1) x (p3 - p1) with p2 along +x and p3 along +z points down; the reverse order points up.
    Plane down = PlaneFromPoints({0, 2, 0}, {1, 2, 0}, {0, 2, 1});
    EXPECT_NEAR(down.a, 0.0f, kTol);
    EXPECT_NEAR(down.b, -1.0f, kTol);
    EXPECT_NEAR(down.c, 0.0f, kTol);
    EXPECT_NEAR(down.d, 2.0f, kTol);
    Plane up = PlaneFromPoints({0, 2, 0}, {0, 2, 5}, {3, 2, 0});
    EXPECT_NEAR(up.b, 1.0f, kTol);
    EXPECT_NEAR(up.d, -2.0f, kTol);
    EXPECT_NEAR(PlaneDotCoord(up, {9, 5, -4}), 3.0f, kTol);

    // An oblique plane: x + y + z = 3 through its axis points, normal normalised.
    const Plane p = PlaneFromPoints({3, 0, 0}, {0, 3, 0}, {0, 0, 3});
    const float k = 1.0f / std::sqrt(3.0f);
    EXPECT_NEAR(p.a, k, kTol);
    EXPECT_NEAR(p.b, k, kTol);
    EXPECT_NEAR(p.c, k, kTol);
    EXPECT_NEAR(p.d, -3.0f * k, kTol);
}

TEST(MathPlaneTest, FrustumCornerPlanesFaceInwards)
{
    // The view volume's corners from the inverse of view x projection, planes taken from the corner triples
    // in the winding the frustum uses; a point in view must be on the positive side of all six.
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
    const Vec3 target = {0, 0, 0};
    const Vec3 behind = {20, 60, -80};
    for (const Plane& p : planes)
    {
        EXPECT_GT(PlaneDotCoord(p, target), 0.0f);
        EXPECT_NEAR(std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c), 1.0f, kTol);
    }
    EXPECT_LT(PlaneDotCoord(planes[0], behind), 0.0f);
}

TEST(MathPlaneTest, PointNormalNormaliseAndLineIntersection)
{
    const Plane p = PlaneFromPointNormal({1, 2, 3}, {0, 0, 2});
    EXPECT_FLOAT_EQ(p.c, 2.0f);
    EXPECT_FLOAT_EQ(p.d, -6.0f);
    EXPECT_FLOAT_EQ(PlaneDotCoord(p, {5, 5, 3}), 0.0f);
    EXPECT_FLOAT_EQ(PlaneDotNormal(p, {5, 5, 3}), 6.0f);
    EXPECT_FLOAT_EQ(PlaneDot(p, {0, 0, 4, 1}), 2.0f);

    const Plane n = PlaneNormalize({0, 3, 4, 10});
    EXPECT_FLOAT_EQ(n.b, 0.6f);
    EXPECT_FLOAT_EQ(n.c, 0.8f);
    EXPECT_FLOAT_EQ(n.d, 2.0f);
    const Plane zero = PlaneNormalize({0, 0, 0, 5});
    EXPECT_EQ(zero.d, 0.0f);

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

TEST(MathBoundProbeTest, RayAgainstBox)
{
    const Vec3 lo = {-1, -1, -1};
    const Vec3 hi = {1, 1, 1};
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {1, 0, 0}));
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {0.001f, 0, 0}));     // any length
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {-1, 0, 0}));        // box behind the origin
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 2, 0}, {1, 0, 0}));         // parallel, outside the y slab
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {0.5f, 0.5f, 0.5f}, {0, -1, 0})); // origin inside
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {-5, -5, -5}, {1, 1, 1}));
    // Slopes: enters the x slab at t = 4 with y = 0.8 (hit); with slope 0.3, y is 1.2 there and 1.8 at the far
    // face (miss).
    EXPECT_TRUE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {1, 0.2f, 0}));
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {1, 0.3f, 0}));
    // Overlapping slab intervals must all overlap at once: x in t 4..6 and z in t 0..2 never coincide.
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, -1}, {1, 0, 1}));
    EXPECT_FALSE(BoxBoundProbe(lo, hi, {-5, 0, 0}, {0, 0, 0}));
}

TEST(MathBoundProbeTest, RayAgainstSphere)
{
    const Vec3 c = {0, 0, 10};
    EXPECT_TRUE(SphereBoundProbe(c, 2, {0, 0, 0}, {0, 0, 1}));
    EXPECT_TRUE(SphereBoundProbe(c, 2, {0, 0, 0}, {0, 0, 50}));
    EXPECT_FALSE(SphereBoundProbe(c, 2, {0, 0, 0}, {0, 0, -1})); // behind
    EXPECT_FALSE(SphereBoundProbe(c, 2, {3, 0, 0}, {0, 0, 1}));  // passes 3 units from the centre
    EXPECT_TRUE(SphereBoundProbe(c, 2, {1.9f, 0, 0}, {0, 0, 1}));
    EXPECT_TRUE(SphereBoundProbe(c, 2, {0, 1, 10}, {1, 0, 0})); // starts inside, any direction
    EXPECT_FALSE(SphereBoundProbe(c, 2, {0, 0, 0}, {0, 0, 0}));
    // Towards the sphere but aimed wide: closest approach 10 sin(atan(0.3)) = 2.87 > 2.
    EXPECT_FALSE(SphereBoundProbe(c, 2, {0, 0, 0}, {0.3f, 0, 1}));
    EXPECT_TRUE(SphereBoundProbe(c, 2, {0, 0, 0}, {0.15f, 0, 1}));
}
