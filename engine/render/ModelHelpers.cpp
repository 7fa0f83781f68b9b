// The model helpers: lookup tables, vector, ray and colour helpers, power-of-two and fixed-point conversions.
#include "engine/render/ModelHelpers.h"

#include <algorithm>
#include <cmath>

namespace
{
float s_aSine[kModelSineEntries];
uint8_t s_aColour4[16][16];

// A float cut toward zero as a 64-bit integer; not-a-number gives 0 and the far ends are held.
int64_t Truncate64(double value)
{
    if (!(value == value))
        return 0;
    return static_cast<int64_t>(std::clamp(value, -9.0e18, 9.0e18));
}

uint32_t Channel(uint32_t colour, int shift)
{
    return (colour >> shift) & 0xFF;
}
} // namespace

void BuildModelHelperTables()
{
    for (int i = 0; i < kModelSineEntries; ++i)
        s_aSine[i] = std::sin(static_cast<float>(i) * kModelSineStep);
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j)
            s_aColour4[i][j] = static_cast<uint8_t>(i * j * 255 / 225);
}

float ModelSine(int i)
{
    if (i < 0 || i >= kModelSineEntries)
        return 0.0f;
    return s_aSine[i];
}

uint8_t ModelColourProduct4(int i, int j)
{
    if (i < 0 || i > 15 || j < 0 || j > 15)
        return 0;
    return s_aColour4[i][j];
}

// ---- vectors and boxes

platform::Vec3 NormaliseVector(platform::Vec3 v)
{
    const float length = platform::Vec3Length(v);
    if (!(length >= 0.0001f))
        return v;
    return v * (1.0f / length);
}

void BoxFromCentre(const platform::Vec3& centre, float r, platform::Vec3* min, platform::Vec3* max)
{
    *min = {centre.x - r, centre.y - r, centre.z - r};
    *max = {centre.x + r, centre.y + r, centre.z + r};
}

platform::Vec3 DirectionFromAngles(float a, float b)
{
    const float ra = a * 0.017453292f;
    const float rb = b * 0.017453292f;
    return {std::cos(ra) * std::cos(rb), std::sin(ra), std::cos(ra) * std::sin(rb)};
}

platform::Vec3 AnglesFromMatrix(const platform::Matrix& m)
{
    const float sinPitch = std::clamp(-m.m[2][1], -1.0f, 1.0f);
    const float pitch = std::asin(sinPitch);
    float yaw = 0.0f;
    float roll = 0.0f;
    if (std::fabs(sinPitch) < 0.99999f)
    {
        yaw = std::atan2(m.m[2][0], m.m[2][2]);
        roll = std::atan2(m.m[0][1], m.m[1][1]);
    }
    else
    {
        // Pitch at a right angle: yaw and roll turn about one axis; give it all to the roll.
        roll = std::atan2(sinPitch > 0.0f ? m.m[0][2] : -m.m[0][2], m.m[0][0]);
    }
    return {-pitch, -yaw, -roll};
}

void TransformPoints(platform::Vec3* points, uint32_t n, const platform::Matrix& m)
{
    for (uint32_t i = 0; i < n; ++i)
    {
        const platform::Vec3 p = points[i];
        points[i] = {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
                     p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
                     p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
    }
}

void TransformDirections(platform::Vec3* directions, uint32_t n, const platform::Matrix& m)
{
    for (uint32_t i = 0; i < n; ++i)
    {
        const platform::Vec3 d = directions[i];
        directions[i] = {d.x * m.m[0][0] + d.y * m.m[1][0] + d.z * m.m[2][0],
                         d.x * m.m[0][1] + d.y * m.m[1][1] + d.z * m.m[2][1],
                         d.x * m.m[0][2] + d.y * m.m[1][2] + d.z * m.m[2][2]};
    }
}

// ---- rays

bool RayTriangle(const platform::Vec3& origin, const platform::Vec3& direction, const platform::Vec3& v0,
                 const platform::Vec3& v1, const platform::Vec3& v2, float* t, float* u, float* v)
{
    const platform::Vec3 edge1 = v1 - v0;
    const platform::Vec3 edge2 = v2 - v0;
    const platform::Vec3 p = platform::Vec3Cross(direction, edge2);
    const float det = platform::Vec3Dot(edge1, p);
    if (!(det >= 0.0001f))
        return false;
    const platform::Vec3 s = origin - v0;
    const float bu = platform::Vec3Dot(s, p);
    if (bu < 0.0f || bu > det)
        return false;
    const platform::Vec3 q = platform::Vec3Cross(s, edge1);
    const float bv = platform::Vec3Dot(direction, q);
    if (bv < 0.0f || bu + bv > det)
        return false;
    const float inverse = 1.0f / det;
    *t = platform::Vec3Dot(edge2, q) * inverse;
    *u = bu * inverse;
    *v = bv * inverse;
    return true;
}

bool RayBox(const platform::Vec3& origin, const platform::Vec3& direction, const platform::Vec3& min,
            const platform::Vec3& max, platform::Vec3* hit)
{
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    const float lo[3] = {min.x, min.y, min.z};
    const float hi[3] = {max.x, max.y, max.z};
    // The face of each slab the ray can enter by: the one on the origin's side of it.
    bool inside = true;
    float candidate[3] = {0.0f, 0.0f, 0.0f};
    bool hasCandidate[3] = {false, false, false};
    for (int axis = 0; axis < 3; ++axis)
    {
        if (o[axis] < lo[axis])
        {
            candidate[axis] = lo[axis];
            hasCandidate[axis] = true;
            inside = false;
        }
        else if (o[axis] > hi[axis])
        {
            candidate[axis] = hi[axis];
            hasCandidate[axis] = true;
            inside = false;
        }
    }
    if (inside)
    {
        *hit = origin;
        return true;
    }
    // The face reached last (the largest parameter) is where the ray enters.
    int plane = -1;
    float best = -1.0f;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (!hasCandidate[axis] || d[axis] == 0.0f)
            continue;
        const float s = (candidate[axis] - o[axis]) / d[axis];
        if (s > best)
        {
            best = s;
            plane = axis;
        }
    }
    if (plane < 0 || best < 0.0f)
        return false;
    float point[3];
    for (int axis = 0; axis < 3; ++axis)
    {
        if (axis == plane)
        {
            point[axis] = candidate[axis];
            continue;
        }
        point[axis] = o[axis] + best * d[axis];
        if (point[axis] < lo[axis] - 0.00001f || point[axis] > hi[axis] + 0.00001f)
            return false;
    }
    *hit = {point[0], point[1], point[2]};
    return true;
}

// ---- colours

uint32_t ColourModulate(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= ((Channel(a, shift) * Channel(b, shift)) >> 8) << shift;
    return out;
}

uint32_t ColourModulate4(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= uint32_t{ModelColourProduct4(static_cast<int>(Channel(a, shift) >> 4),
                                            static_cast<int>(Channel(b, shift) >> 4))}
               << shift;
    return out;
}

uint32_t ColourAdd(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= std::min<uint32_t>(Channel(a, shift) + Channel(b, shift), 255) << shift;
    return out;
}

uint32_t ColourScale(uint32_t colour, float s)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const int64_t value = Truncate64(static_cast<double>(Channel(colour, shift)) * s);
        out |= static_cast<uint32_t>(std::clamp<int64_t>(value, 0, 255)) << shift;
    }
    return out;
}

// ---- powers of two and fixed point

bool IsPowerOfTwo(uint32_t v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

uint32_t HighestSetBit(uint32_t v)
{
    uint32_t bit = 0;
    while (v >>= 1)
        ++bit;
    return bit;
}

uint32_t NextPowerOfTwo(uint32_t v)
{
    if (v <= 1)
        return 1;
    const uint32_t bit = HighestSetBit(v);
    return bit >= 31 ? 0x80000000u : 1u << (bit + 1);
}

uint8_t FloatToFixedU8(float f, bool clamp)
{
    const int64_t value = Truncate64(static_cast<double>(f) * 256.0);
    if (clamp)
        return static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255));
    return static_cast<uint8_t>(static_cast<uint64_t>(value) & 0xFF);
}

uint16_t FloatToFixedU16(float f, bool clamp)
{
    const int64_t value = Truncate64(static_cast<double>(f) * 4096.0);
    if (clamp)
        return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 65535));
    return static_cast<uint16_t>(static_cast<uint64_t>(value) & 0xFFFF);
}

int16_t FloatToFixedI16(float f)
{
    return static_cast<int16_t>(std::clamp<int64_t>(Truncate64(static_cast<double>(f) * 256.0), -32768, 32767));
}

float FixedI16ToFloat(int16_t v)
{
    return static_cast<float>(v) / 256.0f;
}
