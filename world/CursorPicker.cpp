// CursorPicker: the ground point under the mouse and the scene's objects under a screen point.
#include "world/CursorPicker.h"

#include "engine/render/GraphicsManager.h"
#include "engine/render/Scene.h"
#include "world/CameraManager.h"
#include "world/World.h"

#include <algorithm>

namespace
{

int16_t ScreenCoordinate(int32_t v)
{
    return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

Scene* ParkScene()
{
    return g_pWorld ? g_pWorld->GetScene() : nullptr;
}

} // namespace

void CursorPicker::Update(int32_t x, int32_t y)
{
    if (++m_uCalls < m_uPeriod)
        return;
    m_uCalls = 0;
    platform::Vec3 point;
    if (g_GraphicsManager.PickGroundPoint(ScreenCoordinate(x), ScreenCoordinate(y), 0.0f, &point))
        m_ScenePosition = point;
}

void CursorPicker::PickObjectsAtScreenPoint(int32_t x, int32_t y, SceneResultList* out) const
{
    if (Scene* scene = ParkScene())
        PickObjectsAtScreenPoint(*scene, x, y, out);
}

void CursorPicker::PickObjectsFromEye(int32_t x, int32_t y, SceneResultList* out) const
{
    if (Scene* scene = ParkScene())
        PickObjectsFromEye(*scene, x, y, out);
}

void CursorPicker::PickObjectsAtScreenPoint(Scene& scene, int32_t x, int32_t y, SceneResultList* out)
{
    if (out)
        scene.PickAtScreen(out, ScreenCoordinate(x), ScreenCoordinate(y));
}

void CursorPicker::PickObjectsFromEye(Scene& scene, int32_t x, int32_t y, SceneResultList* out)
{
    if (!out)
        return;
    // Through the ground point under the screen point, or, when the view does not reach the ground there, a point
    // far along the view ray.
    platform::Vec3 target;
    if (!g_GraphicsManager.PickGroundPoint(ScreenCoordinate(x), ScreenCoordinate(y), 0.0f, &target))
    {
        platform::Vec3 origin, direction;
        g_GraphicsManager.GetPickRay(ScreenCoordinate(x), ScreenCoordinate(y), &origin, &direction);
        target = origin + direction * CameraManager::kFarDistance;
    }
    scene.PickAtPoint(out, target);
}

CursorPicker& GetCursorPicker()
{
    static CursorPicker picker;
    return picker;
}
