// Helpers kept beside the model code: vector, box, ray and colour helpers, power-of-two and fixed-point
// conversions, and the 320-entry sine table and the 4-bit colour product table.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>

constexpr int kModelSineEntries = 320;
constexpr float kModelSineStep = 0.02453125f;

// Builds both tables; run by the graphics manager when it is created.
void BuildModelHelperTables();

// sin(i x 0.02453125) for i from 0 to 319 (0 before the tables are built).
float ModelSine(int i);
// i x j x 255 / 225, truncated, for 4-bit channel values i and j.
uint8_t ModelColourProduct4(int i, int j);

// ---- vectors and boxes

// The vector divided by its length; a length below 0.0001 leaves it unchanged.
platform::Vec3 NormaliseVector(platform::Vec3 v);
// The box from a centre and a half-size: centre - r to centre + r on each axis.
void BoxFromCentre(const platform::Vec3& centre, float r, platform::Vec3* min, platform::Vec3* max);
// The unit direction of two angles in degrees: (cos a cos b, sin a, cos a sin b).
platform::Vec3 DirectionFromAngles(float a, float b);
// The rotation's Euler angles in radians, signs inverted: x the pitch, y the yaw, z the roll of the matrix made
// by MatrixRotationYawPitchRoll(-y, -x, -z). With the pitch at a right angle the yaw is 0 and the roll takes all
// of the turn about the vertical.
platform::Vec3 AnglesFromMatrix(const platform::Matrix& m);
// Multiplies n points by the matrix (translation included), or n directions (translation left out), in place.
void TransformPoints(platform::Vec3* points, uint32_t n, const platform::Matrix& m);
void TransformDirections(platform::Vec3* directions, uint32_t n, const platform::Matrix& m);

// ---- rays

// One-sided ray and triangle test: a determinant below 0.0001 (edge-on or back-facing) is a miss. On a hit, t
// is the distance along the ray in direction lengths and (u, v) the barycentric position from corner 0.
bool RayTriangle(const platform::Vec3& origin, const platform::Vec3& direction, const platform::Vec3& v0,
                 const platform::Vec3& v1, const platform::Vec3& v2, float* t, float* u, float* v);
// Slab test of a ray against an axis-aligned box; on a hit, the point where it enters the box (the origin
// itself when it starts inside). A box behind the ray is a miss.
bool RayBox(const platform::Vec3& origin, const platform::Vec3& direction, const platform::Vec3& min,
            const platform::Vec3& max, platform::Vec3* hit);

// ---- colours (ARGB words)

// Red, green and blue each (a x b) / 256; alpha 0.
uint32_t ColourModulate(uint32_t a, uint32_t b);
// Red, green and blue through the 4-bit product table on the top four bits of each channel; alpha 0.
uint32_t ColourModulate4(uint32_t a, uint32_t b);
// All four channels added, each saturating at 255.
uint32_t ColourAdd(uint32_t a, uint32_t b);
// All four channels multiplied by s and truncated (kept within 0 to 255).
uint32_t ColourScale(uint32_t colour, float s);

// ---- powers of two and fixed point

bool IsPowerOfTwo(uint32_t v);
// The index of the highest set bit (0 for 0 and 1).
uint32_t HighestSetBit(uint32_t v);
// 2 raised to (highest set bit + 1); 1 for 0 and 1.
uint32_t NextPowerOfTwo(uint32_t v);
// f x 256 as a byte: clamped to 0..255 when asked, else wrapped (values a byte cannot hold keep their low bits).
uint8_t FloatToFixedU8(float f, bool clamp);
// f x 4096 as an unsigned 16-bit value: clamped to 0..65535 when asked, else wrapped.
uint16_t FloatToFixedU16(float f, bool clamp);
// f x 256 as a signed 16-bit value, truncated toward zero and kept within the 16-bit range.
int16_t FloatToFixedI16(float f);
// The signed 8.8 value back as a float.
float FixedI16ToFloat(int16_t v);
