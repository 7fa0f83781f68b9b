// CursorPicker: the ground point under the mouse. Object picking joins it with the scene.
#include "world/CursorPicker.h"

#include "engine/render/GraphicsManager.h"

#include <algorithm>

void CursorPicker::Update(int32_t x, int32_t y)
{
    const auto screen = [](int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); };
    platform::Vec3 point;
    if (g_GraphicsManager.PickGroundPoint(screen(x), screen(y), 0.0f, &point))
        m_ScenePosition = point;
}

CursorPicker& GetCursorPicker()
{
    static CursorPicker picker;
    return picker;
}
