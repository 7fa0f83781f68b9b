// Tests of the helpers kept beside the model code: vectors, boxes, angles, transforms, ray tests, colours, powers
// of two, fixed point and the lookup tables, each against values worked out by hand.
#include "engine/render/ModelHelpers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using platform::Vec3;

void ExpectVec(const Vec3& v, const Vec3& e, float tolerance = 1e-5f)
{
    EXPECT_NEAR(v.x, e.x, tolerance);
    EXPECT_NEAR(v.y, e.y, tolerance);
    EXPECT_NEAR(v.z, e.z, tolerance);
}

TEST(ModelHelpersTest, VectorsBoxesAndDirections)
{
    ExpectVec(NormaliseVector({3, 4, 0}), {0.6f, 0.8f, 0});
    ExpectVec(NormaliseVector({0.00005f, 0, 0}), {0.00005f, 0, 0}); // too short to normalise
    Vec3 min, max;
    BoxFromCentre({1, 2, 3}, 0.5f, &min, &max);
    ExpectVec(min, {0.5f, 1.5f, 2.5f});
    ExpectVec(max, {1.5f, 2.5f, 3.5f});
    ExpectVec(DirectionFromAngles(90, 0), {0, 1, 0});
    ExpectVec(DirectionFromAngles(0, 90), {0, 0, 1});
    ExpectVec(DirectionFromAngles(60, 180), {-0.5f, 0.8660254f, 0});

    // Any rotation and translation: against the platform's own transform of each point.
    platform::Matrix any = platform::MatrixRotationYawPitchRoll(0.3f, -0.7f, 1.1f);
    any.m[3][0] = 1, any.m[3][1] = -2, any.m[3][2] = 3;
    Vec3 samples[2] = {{1.5f, -2, 0.25f}, {-3, 4, 5}};
    const Vec3 originals[2] = {samples[0], samples[1]};
    TransformPoints(samples, 2, any);
    for (int i = 0; i < 2; ++i)
        ExpectVec(samples[i], platform::Vec3TransformCoord(originals[i], any));
    TransformDirections(samples, 1, any);
    ExpectVec(samples[0], platform::Vec3TransformNormal(platform::Vec3TransformCoord(originals[0], any), any));

    Vec3 points[2] = {{1, 0, 0}, {0, 1, 0}};
    platform::Matrix m = platform::MatrixRotationZ(1.5707964f);
    m.m[3][0] = 10;
    TransformPoints(points, 2, m);
    ExpectVec(points[0], {10, 1, 0}); // turned a quarter about z, then moved
    ExpectVec(points[1], {9, 0, 0});
    Vec3 directions[1] = {{1, 0, 0}};
    TransformDirections(directions, 1, m);
    ExpectVec(directions[0], {0, 1, 0});

    // The angles of a rotation come back with their signs inverted: the matrix made from the negated angles is the
    // rotation itself, also with the pitch at a right angle.
    const Vec3 cases[] = {
        {0.3f, -1.1f, 0.7f}, {-0.5f, 2.5f, -2.9f}, {0, 0, 0}, {1.5707964f, 0.4f, 0.9f}, {-1.5707964f, -0.3f, 0.6f}};
    for (const Vec3& c : cases)
    {
        const platform::Matrix m = platform::MatrixRotationYawPitchRoll(c.y, c.x, c.z);
        const Vec3 a = AnglesFromMatrix(m);
        const platform::Matrix back = platform::MatrixRotationYawPitchRoll(-a.y, -a.x, -a.z);
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(back.m[r][k], m.m[r][k], 1e-4f) << c.x << " " << c.y << " " << c.z;
    }
    EXPECT_NEAR(AnglesFromMatrix(platform::MatrixRotationX(0.25f)).x, -0.25f, 1e-6f);

    // One-sided triangle test: a hit from the front with its distance and barycentric position, misses from behind,
    // beside the triangle, edge-on and for triangles of no area.
    const Vec3 v0 = {0, 0, 0}, v1 = {0, 1, 0}, v2 = {1, 0, 0};
    float t = 0, u = 0, v = 0;
    ASSERT_TRUE(RayTriangle({0.25f, 0.5f, -2}, {0, 0, 1}, v0, v1, v2, &t, &u, &v));
    EXPECT_FLOAT_EQ(t, 2.0f);
    EXPECT_FLOAT_EQ(u, 0.5f);  // towards v1 (y)
    EXPECT_FLOAT_EQ(v, 0.25f); // towards v2 (x)
    ASSERT_TRUE(RayTriangle({0, 0, -1}, {0, 0, 2}, v0, v1, v2, &t, &u, &v));
    EXPECT_FLOAT_EQ(t, 0.5f); // in lengths of the direction
    // from behind; past the long edge; along the plane; no area.
    EXPECT_TRUE(!(RayTriangle({0.25f, 0.25f, 1}, {0, 0, -1}, v0, v1, v2, &t, &u, &v)) &&
                !(RayTriangle({0.75f, 0.75f, -1}, {0, 0, 1}, v0, v1, v2, &t, &u, &v)) &&
                !(RayTriangle({-0.1f, 0.5f, -1}, {0, 0, 1}, v0, v1, v2, &t, &u, &v)) &&
                !(RayTriangle({0.2f, 0.2f, -1}, {1, 0, 0}, v0, v1, v2, &t, &u, &v)) &&
                !(RayTriangle({0.2f, 0.2f, -1}, {0, 0, 1}, v0, v1, {0, 2, 0}, &t, &u, &v)));

    // The box test gives where the ray enters: at once from inside, by the last face reached; an axis the origin
    // lies within has no face to enter by, however slowly the ray leaves it.
    const Vec3 lo = {0, 0, 0}, hi = {1, 1, 1};
    Vec3 hit;
    ASSERT_TRUE(RayBox({0.5f, 0.5f, 0.5f}, {0, 1, 0}, lo, hi, &hit));
    ExpectVec(hit, {0.5f, 0.5f, 0.5f}); // starting inside
    ASSERT_TRUE(RayBox({-5, 0.5f, 0.25f}, {1, 0, 0}, lo, hi, &hit));
    ExpectVec(hit, {0, 0.5f, 0.25f});
    ASSERT_TRUE(RayBox({-1, -1, 0.5f}, {1, 2, 0}, lo, hi, &hit)); // the x face is reached after the y face
    ExpectVec(hit, {0, 1, 0.5f});
    ASSERT_TRUE(RayBox({2, 0.5f, 0.5f}, {-1, 0, 0}, lo, hi, &hit));
    ExpectVec(hit, {1, 0.5f, 0.5f});
    // pointing away; passing beside; over the corner.
    EXPECT_TRUE(
        !(RayBox({-5, 0.5f, 0.5f}, {-1, 0, 0}, lo, hi, &hit)) && !(RayBox({-5, 2, 0.5f}, {1, 0, 0}, lo, hi, &hit)) &&
        !(RayBox({-1, -1, 0.5f}, {1, 3, 0}, lo, hi, &hit)) && !(RayBox({-5, 0.5f, 0.5f}, {0, 0, 0}, lo, hi, &hit)));
    // An axis the origin lies within has no face to enter by, however slowly the ray leaves it.
    ASSERT_TRUE(RayBox({-1, 0.5f, 0.5f}, {1, -0.01f, 0}, lo, hi, &hit));
    ExpectVec(hit, {0, 0.49f, 0.5f});
}

TEST(ModelHelpersTest, ColoursChannelByChannel)
{
    // (a x b) / 256: 0x80 x 0xFF = 0x7F, 0x40 x 0x80 = 0x20, 0xFF x 0xFF = 0xFE; alpha 0.
    EXPECT_EQ(ColourModulate(0xFF8040FF, 0x10FF80FF), 0x007F20FEu);
    BuildModelHelperTables();
    // 15 x 8 x 255 / 225 = 136, 4 x 15 x 255 / 225 = 68, 0.
    EXPECT_TRUE(ColourModulate4(0xFFFF40FF, 0xFF88FF00) == 0x00884400u &&
                ColourAdd(0x80FF1020, 0x90012030) == 0xFFFF3050u && ColourScale(0x80402010, 1.5f) == 0xC0603018u);
    // 0x80 x 3 holds at 255.
    EXPECT_TRUE(ColourScale(0x80402010, 3.0f) == 0xFFC06030u && ColourScale(0x80402010, -1.0f) == 0u);

    EXPECT_TRUE(!(IsPowerOfTwo(0)) && IsPowerOfTwo(1) && !(IsPowerOfTwo(6)) && IsPowerOfTwo(64) &&
                HighestSetBit(0) == 0u && HighestSetBit(6) == 2u && HighestSetBit(0x80000000u) == 31u &&
                NextPowerOfTwo(0) == 1u && NextPowerOfTwo(1) == 1u && NextPowerOfTwo(2) == 4u &&
                NextPowerOfTwo(5) == 8u && NextPowerOfTwo(0x80000001u) == 0x80000000u);

    EXPECT_TRUE(FloatToFixedU8(0.5f, true) == 128u && FloatToFixedU8(1.5f, true) == 255u &&
                FloatToFixedU8(-0.5f, true) == 0u);
    // 384 keeps its low byte; 69,632 keeps its low 16 bits; toward zero.
    EXPECT_TRUE(FloatToFixedU8(1.5f, false) == 128u && FloatToFixedU16(2.0f, true) == 8192u &&
                FloatToFixedU16(20.0f, true) == 65535u && FloatToFixedU16(17.0f, false) == 4096u &&
                FloatToFixedI16(1.5f) == 384 && FloatToFixedI16(-0.999f) == -255 &&
                (FloatToFixedI16(-1000.0f) == -32768 && FloatToFixedI16(NAN) == 0 && FixedI16ToFloat(-384) == -1.5f));

    // 64 steps of the sine table are a quarter turn; the 4-bit products reach 255 at 15 x 15.
    BuildModelHelperTables();
    EXPECT_EQ(ModelSine(0), 0.0f);
    EXPECT_NEAR(ModelSine(64), 1.0f, 1e-3f);
    EXPECT_NEAR(ModelSine(128), 0.0f, 3e-3f);
    EXPECT_NEAR(ModelSine(192), -1.0f, 1e-3f); // three quarters; the table runs on to a turn and a quarter
    EXPECT_TRUE(ModelSine(320) == 0.0f && ModelSine(-1) == 0.0f && ModelColourProduct4(15, 15) == 255u &&
                ModelColourProduct4(8, 8) == 72u && ModelColourProduct4(16, 1) == 0u);
}

} // namespace
