// Vector, matrix, quaternion and plane mathematics in Direct3D's conventions: row vectors, row-major 4x4 matrices.
#pragma once

#include <cmath>
#include <cstdint>

namespace platform
{

struct Vec2
{
    float x, y;
};

struct Vec3
{
    float x, y, z;
};

struct Vec4
{
    float x, y, z, w;
};

// Rotation quaternion: (x, y, z) the vector part, w the scalar part.
struct Quaternion
{
    float x, y, z, w;
};

// The plane a x + b y + c z + d = 0; (a, b, c) is its normal.
struct Plane
{
    float a, b, c, d;
};

// 4x4 matrix, m[row][column]. A point is a row vector multiplied on the left: p' = p M, so the translation is
// in the fourth row (m[3][0..2]) and A x B applies A first. The 16 floats are contiguous in row order, which is
// also the layout OpenGL's column-vector functions expect.
struct Matrix
{
    float m[4][4];

    float* Data() { return &m[0][0]; }
    const float* Data() const { return &m[0][0]; }
};

static_assert(sizeof(Matrix) == 64, "Matrix must be 16 packed floats");

// A rectangle of the render target and the depth range the projected z is mapped to.
struct Viewport
{
    uint32_t X, Y, Width, Height;
    float MinZ, MaxZ;
};

// ---------------------------------------------------------------- vectors

inline Vec2 operator+(Vec2 a, Vec2 b)
{
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b)
{
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, float s)
{
    return {a.x * s, a.y * s};
}
inline float Vec2Dot(Vec2 a, Vec2 b)
{
    return a.x * b.x + a.y * b.y;
}
inline float Vec2Length(Vec2 a)
{
    return std::sqrt(a.x * a.x + a.y * a.y);
}

inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a)
{
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(Vec3 a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(float s, Vec3 a)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3& operator+=(Vec3& a, Vec3 b)
{
    return a = a + b;
}
inline Vec3& operator-=(Vec3& a, Vec3 b)
{
    return a = a - b;
}
inline Vec3& operator*=(Vec3& a, float s)
{
    return a = a * s;
}

inline float Vec3Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Vec3Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Vec3LengthSq(Vec3 a)
{
    return Vec3Dot(a, a);
}
inline float Vec3Length(Vec3 a)
{
    return std::sqrt(Vec3Dot(a, a));
}
// Unit vector of the same direction; the zero vector stays zero.
inline Vec3 Vec3Normalize(Vec3 a)
{
    float len = Vec3Length(a);
    return len != 0.0f ? a * (1.0f / len) : Vec3{0.0f, 0.0f, 0.0f};
}
// a + (b - a) s.
inline Vec3 Vec3Lerp(Vec3 a, Vec3 b, float s)
{
    return {a.x + s * (b.x - a.x), a.y + s * (b.y - a.y), a.z + s * (b.z - a.z)};
}
inline Vec3 Vec3Minimize(Vec3 a, Vec3 b)
{
    return {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.z < b.z ? a.z : b.z};
}
inline Vec3 Vec3Maximize(Vec3 a, Vec3 b)
{
    return {a.x > b.x ? a.x : b.x, a.y > b.y ? a.y : b.y, a.z > b.z ? a.z : b.z};
}

inline float Vec4Dot(Vec4 a, Vec4 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

// (x, y, z, 1) M: the full four-component result, no division by w.
inline Vec4 Vec3Transform(Vec3 v, const Matrix& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2],
            v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3]};
}

// (x, y, z, 1) M divided by its w (a w of 0 leaves x, y, z undivided).
inline Vec3 Vec3TransformCoord(Vec3 v, const Matrix& m)
{
    Vec4 r = Vec3Transform(v, m);
    if (r.w == 0.0f)
        return {r.x, r.y, r.z};
    float inv = 1.0f / r.w;
    return {r.x * inv, r.y * inv, r.z * inv};
}

// (x, y, z, 0) M: a direction, untouched by the translation row.
inline Vec3 Vec3TransformNormal(Vec3 v, const Matrix& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

// Object space to screen: v through world x view x projection, divided by w, then x and y mapped onto the
// viewport (y downwards) and z onto MinZ..MaxZ.
Vec3 Vec3Project(Vec3 v, const Viewport& viewport, const Matrix& projection, const Matrix& view, const Matrix& world);

// The inverse of Vec3Project: a screen point (x, y, depth) back to object space. False, and `out` untouched,
// when world x view x projection has no inverse.
bool Vec3Unproject(Vec3 v, const Viewport& viewport, const Matrix& projection, const Matrix& view, const Matrix& world,
                   Vec3* out);

// ---------------------------------------------------------------- matrices

inline Matrix MatrixIdentity()
{
    return {{{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}}};
}

bool MatrixIsIdentity(const Matrix& m);

// a x b: transforms by a, then by b.
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
inline Matrix operator*(const Matrix& a, const Matrix& b)
{
    return MatrixMultiply(a, b);
}

Matrix MatrixTranspose(const Matrix& m);

float MatrixDeterminant(const Matrix& m);

// Writes the inverse of m to `out` (which may be m itself) and, when `determinant` is given, m's determinant
// there. A singular matrix (determinant 0 or not finite) returns false and leaves `out` untouched; the
// determinant is still written.
bool MatrixInverse(const Matrix& m, Matrix* out, float* determinant = nullptr);

inline Matrix MatrixTranslation(float x, float y, float z)
{
    Matrix r = MatrixIdentity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

inline Matrix MatrixScaling(float x, float y, float z)
{
    Matrix r = MatrixIdentity();
    r.m[0][0] = x;
    r.m[1][1] = y;
    r.m[2][2] = z;
    return r;
}

// Rotations by `angle` radians about one axis, clockwise when looking along the axis towards the origin
// (left-handed): RotationY turns +z towards +x.
Matrix MatrixRotationX(float angle);
Matrix MatrixRotationY(float angle);
Matrix MatrixRotationZ(float angle);

// Rotation by `angle` radians about an arbitrary axis (normalised here; the zero axis gives the identity).
Matrix MatrixRotationAxis(Vec3 axis, float angle);

// Roll about z, then pitch about x, then yaw about y: RotationZ(roll) x RotationX(pitch) x RotationY(yaw).
Matrix MatrixRotationYawPitchRoll(float yaw, float pitch, float roll);

// The rotation of a unit quaternion.
Matrix MatrixRotationQuaternion(const Quaternion& q);

// Left-handed perspective projections: view-space z from zn..zf maps to depth 0..1, w = view z.
Matrix MatrixPerspectiveLH(float width, float height, float zn, float zf);
Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf);
Matrix MatrixPerspectiveOffCenterLH(float left, float right, float bottom, float top, float zn, float zf);

// Left-handed orthographic projections: z from zn..zf maps to 0..1, w = 1.
Matrix MatrixOrthoLH(float width, float height, float zn, float zf);
Matrix MatrixOrthoOffCenterLH(float left, float right, float bottom, float top, float zn, float zf);

// Left-handed view matrix of a camera at `eye` looking at `at`: forward = normalise(at - eye),
// right = normalise(up x forward), up' = forward x right.
Matrix MatrixLookAtLH(Vec3 eye, Vec3 at, Vec3 up);

// ---------------------------------------------------------------- quaternions

inline Quaternion QuaternionIdentity()
{
    return {0.0f, 0.0f, 0.0f, 1.0f};
}
inline float QuaternionDot(const Quaternion& a, const Quaternion& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}
inline float QuaternionLength(const Quaternion& q)
{
    return std::sqrt(QuaternionDot(q, q));
}

// Unit quaternion of the same direction; the zero quaternion stays zero.
Quaternion QuaternionNormalize(const Quaternion& q);

// The rotation a followed by the rotation b (so that the matrices multiply in the same order: the matrix of
// QuaternionMultiply(a, b) equals the matrix of a times the matrix of b).
Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b);

Quaternion QuaternionRotationAxis(Vec3 axis, float angle);
// The same rotation as MatrixRotationYawPitchRoll.
Quaternion QuaternionRotationYawPitchRoll(float yaw, float pitch, float roll);
// The rotation part of a rotation matrix as a unit quaternion.
Quaternion QuaternionRotationMatrix(const Matrix& m);

// Spherical interpolation from a (t = 0) to b (t = 1) along the shorter arc.
Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t);

// ---------------------------------------------------------------- planes

// a x + b y + c z + d for the point (x, y, z).
inline float PlaneDotCoord(const Plane& p, Vec3 v)
{
    return p.a * v.x + p.b * v.y + p.c * v.z + p.d;
}
// a x + b y + c z: the normal's dot product with a direction.
inline float PlaneDotNormal(const Plane& p, Vec3 v)
{
    return p.a * v.x + p.b * v.y + p.c * v.z;
}
inline float PlaneDot(const Plane& p, Vec4 v)
{
    return p.a * v.x + p.b * v.y + p.c * v.z + p.d * v.w;
}

// The plane through `point` with normal `normal` (taken as given, not normalised).
inline Plane PlaneFromPointNormal(Vec3 point, Vec3 normal)
{
    return {normal.x, normal.y, normal.z, -Vec3Dot(point, normal)};
}

// The plane through three points with unit normal normalise((p2 - p1) x (p3 - p1)).
Plane PlaneFromPoints(Vec3 p1, Vec3 p2, Vec3 p3);

// The plane scaled so that its normal has unit length; a plane with a zero normal becomes all zeros.
Plane PlaneNormalize(const Plane& p);

// Where the line through p1 and p2 meets the plane; false, `out` untouched, when the line is parallel to it.
bool PlaneIntersectLine(const Plane& p, Vec3 p1, Vec3 p2, Vec3* out);

// ---------------------------------------------------------------- bounds

// True when the ray from `origin` along `direction` (any length) meets the axis-aligned box boxMin..boxMax at
// a point with ray parameter t >= 0 (an origin inside the box counts).
bool BoxBoundProbe(Vec3 boxMin, Vec3 boxMax, Vec3 origin, Vec3 direction);

// True when the ray from `origin` along `direction` meets the sphere at some t >= 0 (an origin inside counts).
bool SphereBoundProbe(Vec3 centre, float radius, Vec3 origin, Vec3 direction);

} // namespace platform
