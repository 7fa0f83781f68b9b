// The graphics manager's view frustum (corners, planes, the ground footprint) and the culling tests of spheres,
// boxes, points, ground circles, ground rectangles and scene objects.
#include "engine/render/GraphicsManager.h"

#include "engine/render/ModelManager.h"
#include "engine/render/SceneObject.h"

#include <cmath>

using platform::Matrix;
using platform::Plane;
using platform::Vec3;

platform::Plane g_HorizonPlane = {0.0f, 0.0f, 0.0f, 1.0f};
platform::Plane g_GroundLimitPlane = {0.0f, 0.0f, 0.0f, 1.0f};

namespace
{

enum PlaneIndex
{
    kNearPlane = 0,
    kFarPlane = 1,
    kLeftPlane = 2,
    kRightPlane = 3,
    kTopPlane = 4,
    kBottomPlane = 5,
};

// Below this the plane is taken as parallel to the ground.
constexpr float kParallel = 0.0001f;

float LineValue(const float line[3], float x, float z)
{
    return line[0] * x + line[1] * z - line[2];
}

// The eight corners of a box: corner i takes the maximum on x, y, z by bits 0, 1, 2 of i.
void BoxCorners(const Vec3& min, const Vec3& max, Vec3 corners[8])
{
    for (int i = 0; i < 8; ++i)
        corners[i] = {(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
}

} // namespace

bool GraphicsManager::GroundLine(const Plane& plane, float line[3])
{
    line[0] = line[1] = line[2] = 0.0f;
    // a x + c z + d > 0 on the plane's inner side at y = 0.
    const float length = std::sqrt(plane.a * plane.a + plane.c * plane.c);
    const float normal = std::sqrt(plane.a * plane.a + plane.b * plane.b + plane.c * plane.c);
    if (!(normal > 0.0f) || 1.0f - std::fabs(plane.b / normal) <= kParallel || !(length > 0.0f))
        return false;
    line[0] = plane.a / length;
    line[1] = plane.c / length;
    line[2] = -plane.d / length;
    return true;
}

void GraphicsManager::AddGroundLine(const float line[3])
{
    if (m_uGroundLines >= kMaxGroundLines)
        return;
    for (int i = 0; i < 3; ++i)
        m_afGroundLine[m_uGroundLines][i] = line[i];
    ++m_uGroundLines;
}

void GraphicsManager::BuildFrustum(float distance)
{
    m_fFrustumDistance = distance;
    Matrix inverse;
    if (!platform::MatrixInverse(m_view * m_projection, &inverse))
        inverse = platform::MatrixIdentity();
    static const Vec3 kClip[8] = {{-1, -1, 0}, {1, -1, 0}, {-1, 1, 0}, {1, 1, 0},
                                  {-1, -1, 1}, {1, -1, 1}, {-1, 1, 1}, {1, 1, 1}};
    for (int i = 0; i < 8; ++i)
        m_aFrustumCorner[i] = platform::Vec3TransformCoord(kClip[i], inverse);
    const Vec3* c = m_aFrustumCorner;
    m_aFrustumPlane[kNearPlane] = platform::PlaneFromPoints(c[0], c[1], c[2]);
    m_aFrustumPlane[kFarPlane] = platform::PlaneFromPoints(c[6], c[7], c[5]);
    m_aFrustumPlane[kLeftPlane] = platform::PlaneFromPoints(c[2], c[6], c[4]);
    m_aFrustumPlane[kRightPlane] = platform::PlaneFromPoints(c[7], c[3], c[5]);
    m_aFrustumPlane[kTopPlane] = platform::PlaneFromPoints(c[2], c[3], c[6]);
    m_aFrustumPlane[kBottomPlane] = platform::PlaneFromPoints(c[1], c[0], c[4]);
    m_aFrustumPlane[kFarPlane].d += distance - m_fFar;

    m_uGroundLines = 0;
    float line[3];
    if (GroundLine(m_aFrustumPlane[kLeftPlane], line))
        AddGroundLine(line);
    if (GroundLine(m_aFrustumPlane[kRightPlane], line))
        AddGroundLine(line);

    // The top plane: when it faces along the view the sky shows and it does not bound the ground.
    int32_t topLine = -1;
    const bool topUsable = GroundLine(m_aFrustumPlane[kTopPlane], line);
    const Plane& top = m_aFrustumPlane[kTopPlane];
    if (top.a * m_forward.x + top.c * m_forward.z > 0.0f)
    {
        m_bHorizonVisible = true;
        g_HorizonPlane = {0.0f, 0.0f, 0.0f, 1.0f};
    }
    else
    {
        m_bHorizonVisible = false;
        if (topUsable)
        {
            topLine = static_cast<int32_t>(m_uGroundLines);
            AddGroundLine(line);
            g_HorizonPlane = {line[0], line[1], line[2], 0.0f};
        }
    }

    // The bottom plane: facing back along the view, the view does not reach the ground.
    const Plane& bottom = m_aFrustumPlane[kBottomPlane];
    if (bottom.a * m_forward.x + bottom.c * m_forward.z < 0.0f)
    {
        m_bFootprintValid = false;
        g_GroundLimitPlane = {0.0f, 0.0f, 0.0f, 1.0f};
    }
    else
    {
        m_bFootprintValid = true;
        if (GroundLine(bottom, line))
        {
            AddGroundLine(line);
            g_GroundLimitPlane = {line[0], line[1], line[2], 0.0f};
        }
    }

    // The far plane bounds the footprint unless the top line lies nearer.
    if (GroundLine(m_aFrustumPlane[kFarPlane], line))
    {
        if (topLine < 0)
        {
            AddGroundLine(line);
        }
        else
        {
            float* t = m_afGroundLine[topLine];
            if (t[0] * line[0] * line[2] + t[1] * line[1] * line[2] > t[2])
                for (int i = 0; i < 3; ++i)
                    t[i] = line[i];
            else
                AddGroundLine(line);
        }
    }
}

bool GraphicsManager::IsRectVisible(float x0, float x1, float z0, float z1) const
{
    if (!m_bFootprintValid)
        return false;
    for (uint32_t l = 0; l < m_uGroundLines; ++l)
    {
        const float* line = m_afGroundLine[l];
        if (!(LineValue(line, x0, z0) > 0.0f) && !(LineValue(line, x0, z1) > 0.0f) &&
            !(LineValue(line, x1, z0) > 0.0f) && !(LineValue(line, x1, z1) > 0.0f))
            return false;
    }
    return true;
}

uint32_t GraphicsManager::TestCircle(const Vec3& point, float radius) const
{
    uint32_t inside = 0;
    for (uint32_t l = 0; l < m_uGroundLines; ++l)
    {
        const float v = LineValue(m_afGroundLine[l], point.x, point.z);
        if (radius < -v)
            return ClipCode::kOutsideGround;
        if (v > radius)
            ++inside;
    }
    return inside == m_uGroundLines ? 0 : ClipCode::kGround;
}

uint32_t GraphicsManager::TestGroundPoints(const Vec3* points, uint32_t count) const
{
    bool allPassed = true;
    for (uint32_t l = 0; l < m_uGroundLines; ++l)
    {
        uint32_t inside = 0;
        for (uint32_t i = 0; i < count; ++i)
            inside += LineValue(m_afGroundLine[l], points[i].x, points[i].z) > 0.0f ? 1 : 0;
        if (inside == 0)
            return ClipCode::kOutsideGround;
        if (inside != count)
            allPassed = false;
    }
    return allPassed ? 0 : ClipCode::kGround;
}

uint32_t GraphicsManager::TestSphere(const Vec3& centre, float radius) const
{
    const float z = centre.z;
    if (z + radius < m_fNear || z - radius > m_fDrawDistance)
        return ClipCode::kOutside;
    uint32_t code = z - radius < m_fNear ? ClipCode::kNear : 0;
    const float ex = std::fabs(centre.x * m_afCullFactor[0]);
    const float ey = std::fabs(centre.y * m_afCullFactor[1]);
    const float sx = m_afCullFactor[2] * radius;
    const float sy = m_afCullFactor[3] * radius;
    if (!(ex + sx < z))
    {
        if (!(ex - sx < z))
            return ClipCode::kOutside;
        code |= ClipCode::kLeft | ClipCode::kRight;
    }
    if (ey + sy < z)
        return code;
    if (ey - sy >= z)
        return ClipCode::kOutside;
    return code | ClipCode::kTop | ClipCode::kBottom;
}

uint32_t GraphicsManager::TestPoints(const Vec3* points, uint32_t count) const
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const Vec3& p = points[i];
        const float x = p.x * m_afCullFactor[0];
        const float y = p.y * m_afCullFactor[1];
        sum += (p.z < m_fNear ? 0x10000u : 0u) + (p.z > m_fDrawDistance ? 0x100000u : 0u) + (x < -p.z ? 0x1u : 0u) +
               (x > p.z ? 0x10u : 0u) + (y < -p.z ? 0x100u : 0u) + (y > p.z ? 0x1000u : 0u);
    }
    if (sum == 0)
        return 0;
    uint32_t code = 0;
    const uint32_t bits[6] = {ClipCode::kLeft, ClipCode::kRight, ClipCode::kBottom,
                              ClipCode::kTop,  ClipCode::kNear,  ClipCode::kFar};
    for (int field = 0; field < 6; ++field)
    {
        const uint32_t n = (sum >> (4 * field)) & 0xF;
        if (n == count) // every point outside that one plane
            return ClipCode::kOutside;
        if (n != 0)
            code |= bits[field];
    }
    return code;
}

uint32_t GraphicsManager::TestBox(const Vec3* corners, uint32_t request) const
{
    uint32_t result = request;
    if (request & ClipCode::kView)
    {
        Vec3 view[8];
        for (int i = 0; i < 8; ++i)
            TransformPoint(corners[i], m_view, &view[i]);
        result = (result & ~0xFFu) | (TestPoints(view, 8) & 0xFF);
    }
    if (request & ClipCode::kGround)
    {
        Vec3 ground[8];
        const float kx = m_shadowMatrix.m[1][0];
        const float kz = m_shadowMatrix.m[1][2];
        for (int i = 0; i < 8; ++i)
            ground[i] = {corners[i].x + kx * corners[i].y, 0.0f, corners[i].z + kz * corners[i].y};
        result = (result & 0xFFu) | TestGroundPoints(ground, 8);
    }
    return result;
}

uint32_t GraphicsManager::TestBoxCorners(const Vec3& min, const Vec3& max, uint32_t request) const
{
    Vec3 corners[8];
    BoxCorners(min, max, corners);
    return TestBox(corners, request);
}

uint32_t GraphicsManager::TestObject(const SceneObject& object, uint32_t request) const
{
    const Vec3& ori = object.GetOrientation();
    const Vec3& pos = object.GetPosition();
    Matrix world = platform::MatrixRotationYawPitchRoll(ori.y, ori.x, ori.z);
    world.m[3][0] = pos.x;
    world.m[3][1] = pos.y;
    world.m[3][2] = pos.z;
    const Matrix worldView = world * m_view;
    const ModelBounds* bounds = object.GetModel() != SceneObject::kNoModel && object.GetModel() != 0
                                    ? g_ModelManager.GetBounds(object.GetModel())
                                    : nullptr;
    const Vec3 local = bounds ? bounds->Centre() : Vec3{0.0f, 0.0f, 0.0f};
    const float radius = object.GetRadius();

    uint32_t code = 0;
    if (request & ClipCode::kView)
    {
        Vec3 centre;
        TransformPoint(local, worldView, &centre);
        code |= TestSphere(centre, radius);
    }
    if (request & ClipCode::kGround)
    {
        Vec3 centre;
        TransformPoint(local, world, &centre);
        code |= TestCircle(centre, radius);
    }
    const bool crossing = (code & (ClipCode::kView | ClipCode::kGround)) != 0;
    const bool outside = (code & (ClipCode::kOutside | ClipCode::kOutsideGround)) != 0;
    if (crossing && !outside && bounds)
    {
        Vec3 corners[8];
        BoxCorners(bounds->Min(), bounds->Max(), corners);
        for (Vec3& corner : corners)
        {
            Vec3 placed;
            TransformPoint(corner, world, &placed);
            corner = placed;
        }
        return TestBox(corners, request);
    }
    return code;
}
