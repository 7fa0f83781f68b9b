// Matrix, quaternion, plane and projection operations that are too large to inline.
#include "platform/gfx/Math.h"

#include <cmath>
#include <limits>

namespace platform
{

bool MatrixIsIdentity(const Matrix& m)
{
    for (int r = 0; r < 4; ++r)
    {
        for (int c = 0; c < 4; ++c)
        {
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f))
                return false;
        }
    }
    return true;
}

Matrix MatrixMultiply(const Matrix& a, const Matrix& b)
{
    Matrix r;
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
        {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

Matrix MatrixTranspose(const Matrix& m)
{
    Matrix r;
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m.m[j][i];
    }
    return r;
}

namespace
{

// The 2x2 minors of the lower two rows and of the upper two rows, shared by the determinant and the inverse.
struct Minors
{
    double lo[6];
    double hi[6];
};

Minors ComputeMinors(const Matrix& mat)
{
    const float(*m)[4] = mat.m;
    Minors k;
    k.hi[0] = double(m[0][0]) * m[1][1] - double(m[0][1]) * m[1][0];
    k.hi[1] = double(m[0][0]) * m[1][2] - double(m[0][2]) * m[1][0];
    k.hi[2] = double(m[0][0]) * m[1][3] - double(m[0][3]) * m[1][0];
    k.hi[3] = double(m[0][1]) * m[1][2] - double(m[0][2]) * m[1][1];
    k.hi[4] = double(m[0][1]) * m[1][3] - double(m[0][3]) * m[1][1];
    k.hi[5] = double(m[0][2]) * m[1][3] - double(m[0][3]) * m[1][2];
    k.lo[0] = double(m[2][0]) * m[3][1] - double(m[2][1]) * m[3][0];
    k.lo[1] = double(m[2][0]) * m[3][2] - double(m[2][2]) * m[3][0];
    k.lo[2] = double(m[2][0]) * m[3][3] - double(m[2][3]) * m[3][0];
    k.lo[3] = double(m[2][1]) * m[3][2] - double(m[2][2]) * m[3][1];
    k.lo[4] = double(m[2][1]) * m[3][3] - double(m[2][3]) * m[3][1];
    k.lo[5] = double(m[2][2]) * m[3][3] - double(m[2][3]) * m[3][2];
    return k;
}

double DeterminantFromMinors(const Minors& k)
{
    return k.hi[0] * k.lo[5] - k.hi[1] * k.lo[4] + k.hi[2] * k.lo[3] + k.hi[3] * k.lo[2] - k.hi[4] * k.lo[1] +
           k.hi[5] * k.lo[0];
}

} // namespace

float MatrixDeterminant(const Matrix& m)
{
    return float(DeterminantFromMinors(ComputeMinors(m)));
}

bool MatrixInverse(const Matrix& mat, Matrix* out, float* determinant)
{
    const Minors k = ComputeMinors(mat);
    const double det = DeterminantFromMinors(k);
    if (determinant)
        *determinant = float(det);
    if (det == 0.0 || !std::isfinite(det) || !out)
        return false;

    const float(*m)[4] = mat.m;
    const double inv = 1.0 / det;
    double r[4][4];
    // Adjugate (transposed cofactors) by Laplace expansion over the two row pairs.
    r[0][0] = (m[1][1] * k.lo[5] - m[1][2] * k.lo[4] + m[1][3] * k.lo[3]) * inv;
    r[0][1] = (-m[0][1] * k.lo[5] + m[0][2] * k.lo[4] - m[0][3] * k.lo[3]) * inv;
    r[0][2] = (m[3][1] * k.hi[5] - m[3][2] * k.hi[4] + m[3][3] * k.hi[3]) * inv;
    r[0][3] = (-m[2][1] * k.hi[5] + m[2][2] * k.hi[4] - m[2][3] * k.hi[3]) * inv;

    r[1][0] = (-m[1][0] * k.lo[5] + m[1][2] * k.lo[2] - m[1][3] * k.lo[1]) * inv;
    r[1][1] = (m[0][0] * k.lo[5] - m[0][2] * k.lo[2] + m[0][3] * k.lo[1]) * inv;
    r[1][2] = (-m[3][0] * k.hi[5] + m[3][2] * k.hi[2] - m[3][3] * k.hi[1]) * inv;
    r[1][3] = (m[2][0] * k.hi[5] - m[2][2] * k.hi[2] + m[2][3] * k.hi[1]) * inv;

    r[2][0] = (m[1][0] * k.lo[4] - m[1][1] * k.lo[2] + m[1][3] * k.lo[0]) * inv;
    r[2][1] = (-m[0][0] * k.lo[4] + m[0][1] * k.lo[2] - m[0][3] * k.lo[0]) * inv;
    r[2][2] = (m[3][0] * k.hi[4] - m[3][1] * k.hi[2] + m[3][3] * k.hi[0]) * inv;
    r[2][3] = (-m[2][0] * k.hi[4] + m[2][1] * k.hi[2] - m[2][3] * k.hi[0]) * inv;

    r[3][0] = (-m[1][0] * k.lo[3] + m[1][1] * k.lo[1] - m[1][2] * k.lo[0]) * inv;
    r[3][1] = (m[0][0] * k.lo[3] - m[0][1] * k.lo[1] + m[0][2] * k.lo[0]) * inv;
    r[3][2] = (-m[3][0] * k.hi[3] + m[3][1] * k.hi[1] - m[3][2] * k.hi[0]) * inv;
    r[3][3] = (m[2][0] * k.hi[3] - m[2][1] * k.hi[1] + m[2][2] * k.hi[0]) * inv;

    // Written only now, so that `out` may be the matrix being inverted.
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
            out->m[i][j] = float(r[i][j]);
    }
    return true;
}

Matrix MatrixRotationX(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix r = MatrixIdentity();
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Matrix MatrixRotationY(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix r = MatrixIdentity();
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Matrix MatrixRotationZ(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix r = MatrixIdentity();
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

Matrix MatrixRotationAxis(Vec3 axis, float angle)
{
    const Vec3 v = Vec3Normalize(axis);
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    Matrix r = MatrixIdentity();
    if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f)
        return r;
    r.m[0][0] = t * v.x * v.x + c;
    r.m[0][1] = t * v.x * v.y + s * v.z;
    r.m[0][2] = t * v.x * v.z - s * v.y;
    r.m[1][0] = t * v.x * v.y - s * v.z;
    r.m[1][1] = t * v.y * v.y + c;
    r.m[1][2] = t * v.y * v.z + s * v.x;
    r.m[2][0] = t * v.x * v.z + s * v.y;
    r.m[2][1] = t * v.y * v.z - s * v.x;
    r.m[2][2] = t * v.z * v.z + c;
    return r;
}

Matrix MatrixRotationYawPitchRoll(float yaw, float pitch, float roll)
{
    const float cy = std::cos(yaw), sy = std::sin(yaw);
    const float cp = std::cos(pitch), sp = std::sin(pitch);
    const float cr = std::cos(roll), sr = std::sin(roll);
    // RotationZ(roll) x RotationX(pitch) x RotationY(yaw), multiplied out.
    Matrix r = MatrixIdentity();
    r.m[0][0] = cr * cy + sr * sp * sy;
    r.m[0][1] = sr * cp;
    r.m[0][2] = sr * sp * cy - cr * sy;
    r.m[1][0] = cr * sp * sy - sr * cy;
    r.m[1][1] = cr * cp;
    r.m[1][2] = sr * sy + cr * sp * cy;
    r.m[2][0] = cp * sy;
    r.m[2][1] = -sp;
    r.m[2][2] = cp * cy;
    return r;
}

Matrix MatrixRotationQuaternion(const Quaternion& q)
{
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float xw = q.x * q.w, yw = q.y * q.w, zw = q.z * q.w;
    Matrix r = MatrixIdentity();
    r.m[0][0] = 1.0f - 2.0f * (yy + zz);
    r.m[0][1] = 2.0f * (xy + zw);
    r.m[0][2] = 2.0f * (xz - yw);
    r.m[1][0] = 2.0f * (xy - zw);
    r.m[1][1] = 1.0f - 2.0f * (xx + zz);
    r.m[1][2] = 2.0f * (yz + xw);
    r.m[2][0] = 2.0f * (xz + yw);
    r.m[2][1] = 2.0f * (yz - xw);
    r.m[2][2] = 1.0f - 2.0f * (xx + yy);
    return r;
}

Matrix MatrixPerspectiveLH(float width, float height, float zn, float zf)
{
    Matrix r = {};
    r.m[0][0] = 2.0f * zn / width;
    r.m[1][1] = 2.0f * zn / height;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1.0f;
    r.m[3][2] = zn * zf / (zn - zf);
    return r;
}

Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf)
{
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    Matrix r = {};
    r.m[0][0] = yScale / aspect;
    r.m[1][1] = yScale;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1.0f;
    r.m[3][2] = zn * zf / (zn - zf);
    return r;
}

Matrix MatrixPerspectiveOffCenterLH(float left, float right, float bottom, float top, float zn, float zf)
{
    Matrix r = {};
    r.m[0][0] = 2.0f * zn / (right - left);
    r.m[1][1] = 2.0f * zn / (top - bottom);
    r.m[2][0] = (left + right) / (left - right);
    r.m[2][1] = (top + bottom) / (bottom - top);
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1.0f;
    r.m[3][2] = zn * zf / (zn - zf);
    return r;
}

Matrix MatrixOrthoLH(float width, float height, float zn, float zf)
{
    Matrix r = MatrixIdentity();
    r.m[0][0] = 2.0f / width;
    r.m[1][1] = 2.0f / height;
    r.m[2][2] = 1.0f / (zf - zn);
    r.m[3][2] = zn / (zn - zf);
    return r;
}

Matrix MatrixOrthoOffCenterLH(float left, float right, float bottom, float top, float zn, float zf)
{
    Matrix r = MatrixIdentity();
    r.m[0][0] = 2.0f / (right - left);
    r.m[1][1] = 2.0f / (top - bottom);
    r.m[2][2] = 1.0f / (zf - zn);
    r.m[3][0] = (left + right) / (left - right);
    r.m[3][1] = (top + bottom) / (bottom - top);
    r.m[3][2] = zn / (zn - zf);
    return r;
}

Matrix MatrixLookAtLH(Vec3 eye, Vec3 at, Vec3 up)
{
    const Vec3 zaxis = Vec3Normalize(at - eye);
    const Vec3 xaxis = Vec3Normalize(Vec3Cross(up, zaxis));
    const Vec3 yaxis = Vec3Cross(zaxis, xaxis);
    Matrix r;
    r.m[0][0] = xaxis.x;
    r.m[0][1] = yaxis.x;
    r.m[0][2] = zaxis.x;
    r.m[0][3] = 0.0f;
    r.m[1][0] = xaxis.y;
    r.m[1][1] = yaxis.y;
    r.m[1][2] = zaxis.y;
    r.m[1][3] = 0.0f;
    r.m[2][0] = xaxis.z;
    r.m[2][1] = yaxis.z;
    r.m[2][2] = zaxis.z;
    r.m[2][3] = 0.0f;
    r.m[3][0] = -Vec3Dot(xaxis, eye);
    r.m[3][1] = -Vec3Dot(yaxis, eye);
    r.m[3][2] = -Vec3Dot(zaxis, eye);
    r.m[3][3] = 1.0f;
    return r;
}

Vec3 Vec3Project(Vec3 v, const Viewport& viewport, const Matrix& projection, const Matrix& view, const Matrix& world)
{
    const Matrix m = MatrixMultiply(MatrixMultiply(world, view), projection);
    const Vec3 p = Vec3TransformCoord(v, m);
    return {float(viewport.X) + (1.0f + p.x) * float(viewport.Width) * 0.5f,
            float(viewport.Y) + (1.0f - p.y) * float(viewport.Height) * 0.5f,
            viewport.MinZ + p.z * (viewport.MaxZ - viewport.MinZ)};
}

bool Vec3Unproject(Vec3 v, const Viewport& viewport, const Matrix& projection, const Matrix& view, const Matrix& world,
                   Vec3* out)
{
    Matrix inverse;
    if (!MatrixInverse(MatrixMultiply(MatrixMultiply(world, view), projection), &inverse))
        return false;
    if (viewport.Width == 0 || viewport.Height == 0 || viewport.MaxZ == viewport.MinZ)
        return false;
    const Vec3 clip = {2.0f * (v.x - float(viewport.X)) / float(viewport.Width) - 1.0f,
                       1.0f - 2.0f * (v.y - float(viewport.Y)) / float(viewport.Height),
                       (v.z - viewport.MinZ) / (viewport.MaxZ - viewport.MinZ)};
    if (out)
        *out = Vec3TransformCoord(clip, inverse);
    return true;
}

Quaternion QuaternionNormalize(const Quaternion& q)
{
    const float len = QuaternionLength(q);
    if (len == 0.0f)
        return {0.0f, 0.0f, 0.0f, 0.0f};
    const float inv = 1.0f / len;
    return {q.x * inv, q.y * inv, q.z * inv, q.w * inv};
}

Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b)
{
    // The Hamilton product b a: rotating by a first, then by b.
    return {b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y, b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
            b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w, b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}

Quaternion QuaternionRotationAxis(Vec3 axis, float angle)
{
    const Vec3 v = Vec3Normalize(axis);
    const float s = std::sin(angle * 0.5f);
    return {v.x * s, v.y * s, v.z * s, std::cos(angle * 0.5f)};
}

Quaternion QuaternionRotationYawPitchRoll(float yaw, float pitch, float roll)
{
    const float cy = std::cos(yaw * 0.5f), sy = std::sin(yaw * 0.5f);
    const float cp = std::cos(pitch * 0.5f), sp = std::sin(pitch * 0.5f);
    const float cr = std::cos(roll * 0.5f), sr = std::sin(roll * 0.5f);
    return {cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
            cy * cp * cr + sy * sp * sr};
}

Quaternion QuaternionRotationMatrix(const Matrix& mat)
{
    const float(*m)[4] = mat.m;
    const float trace = m[0][0] + m[1][1] + m[2][2];
    Quaternion q;
    // Take the square root of the largest of w, x, y, z for accuracy; the others follow from sums and
    // differences of the off-diagonal pairs.
    if (trace > 0.0f)
    {
        const float s = std::sqrt(trace + 1.0f) * 2.0f; // 4w
        q.w = 0.25f * s;
        q.x = (m[1][2] - m[2][1]) / s;
        q.y = (m[2][0] - m[0][2]) / s;
        q.z = (m[0][1] - m[1][0]) / s;
    }
    else if (m[0][0] >= m[1][1] && m[0][0] >= m[2][2])
    {
        const float s = std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]) * 2.0f; // 4x
        q.x = 0.25f * s;
        q.y = (m[0][1] + m[1][0]) / s;
        q.z = (m[0][2] + m[2][0]) / s;
        q.w = (m[1][2] - m[2][1]) / s;
    }
    else if (m[1][1] >= m[2][2])
    {
        const float s = std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]) * 2.0f; // 4y
        q.x = (m[0][1] + m[1][0]) / s;
        q.y = 0.25f * s;
        q.z = (m[1][2] + m[2][1]) / s;
        q.w = (m[2][0] - m[0][2]) / s;
    }
    else
    {
        const float s = std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]) * 2.0f; // 4z
        q.x = (m[0][2] + m[2][0]) / s;
        q.y = (m[1][2] + m[2][1]) / s;
        q.z = 0.25f * s;
        q.w = (m[0][1] - m[1][0]) / s;
    }
    return q;
}

Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t)
{
    float cosine = QuaternionDot(a, b);
    float sign = 1.0f;
    if (cosine < 0.0f)
    {
        cosine = -cosine;
        sign = -1.0f;
    }
    float k0 = 1.0f - t;
    float k1 = t;
    // Nearly equal rotations: sin(theta) is too small to divide by, and the chord is the arc.
    if (cosine < 0.9999f)
    {
        const float theta = std::acos(cosine);
        const float inv = 1.0f / std::sin(theta);
        k0 = std::sin((1.0f - t) * theta) * inv;
        k1 = std::sin(t * theta) * inv;
    }
    k1 *= sign;
    return {k0 * a.x + k1 * b.x, k0 * a.y + k1 * b.y, k0 * a.z + k1 * b.z, k0 * a.w + k1 * b.w};
}

Plane PlaneFromPoints(Vec3 p1, Vec3 p2, Vec3 p3)
{
    const Vec3 normal = Vec3Normalize(Vec3Cross(p2 - p1, p3 - p1));
    return PlaneFromPointNormal(p1, normal);
}

Plane PlaneNormalize(const Plane& p)
{
    const float len = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
    if (len == 0.0f)
        return {0.0f, 0.0f, 0.0f, 0.0f};
    const float inv = 1.0f / len;
    return {p.a * inv, p.b * inv, p.c * inv, p.d * inv};
}

bool PlaneIntersectLine(const Plane& p, Vec3 p1, Vec3 p2, Vec3* out)
{
    const Vec3 dir = p2 - p1;
    const float along = PlaneDotNormal(p, dir);
    if (along == 0.0f)
        return false;
    const float t = PlaneDotCoord(p, p1) / along;
    if (out)
        *out = p1 - dir * t;
    return true;
}

bool BoxBoundProbe(Vec3 boxMin, Vec3 boxMax, Vec3 origin, Vec3 direction)
{
    const float lo[3] = {boxMin.x, boxMin.y, boxMin.z};
    const float hi[3] = {boxMax.x, boxMax.y, boxMax.z};
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    float tNear = 0.0f;
    float tFar = std::numeric_limits<float>::infinity();
    for (int axis = 0; axis < 3; ++axis)
    {
        if (d[axis] == 0.0f)
        {
            // Parallel to this pair of faces: inside the slab for every t, or never.
            if (o[axis] < lo[axis] || o[axis] > hi[axis])
                return false;
            continue;
        }
        float t0 = (lo[axis] - o[axis]) / d[axis];
        float t1 = (hi[axis] - o[axis]) / d[axis];
        if (t0 > t1)
        {
            const float swap = t0;
            t0 = t1;
            t1 = swap;
        }
        if (t0 > tNear)
            tNear = t0;
        if (t1 < tFar)
            tFar = t1;
        if (tNear > tFar)
            return false;
    }
    return true;
}

bool SphereBoundProbe(Vec3 centre, float radius, Vec3 origin, Vec3 direction)
{
    const Vec3 diff = origin - centre;
    const float c = Vec3Dot(diff, diff) - radius * radius;
    if (c <= 0.0f)
        return true; // the ray starts inside the sphere
    const float a = Vec3Dot(direction, direction);
    const float b = Vec3Dot(diff, direction);
    if (a == 0.0f || b >= 0.0f)
        return false; // no direction, or heading away from the centre
    // Roots of a t^2 + 2 b t + c: both positive here (c > 0, b < 0) when they are real.
    return b * b - a * c >= 0.0f;
}

} // namespace platform
