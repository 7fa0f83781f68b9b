// CursorPicker: the ground point under the mouse, picked for the tool modes and read by the park grid, and the
// objects of the park's scene under a screen point.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>

class Scene;
class SceneResultList;

class CursorPicker
{
public:
    // Counts the call and, once the count reaches the period (0: every call), picks the ground point under the
    // screen position through the graphics manager and keeps it as the cursor's scene position (kept as it was
    // when the view does not reach the ground there).
    void Update(int32_t x, int32_t y);
    const platform::Vec3& GetScenePosition() const { return m_ScenePosition; }
    void SetScenePosition(const platform::Vec3& position) { m_ScenePosition = position; }
    // Calls between two picks.
    void SetPeriod(uint32_t period) { m_uPeriod = period; }
    uint32_t GetPeriod() const { return m_uPeriod; }

    // The objects of the park's scene whose models the view ray under the screen point meets, nearest first;
    // nothing without a park.
    void PickObjectsAtScreenPoint(int32_t x, int32_t y, SceneResultList* out) const;
    // The same along the ray from the current camera's eye through the ground point under the screen point.
    void PickObjectsFromEye(int32_t x, int32_t y, SceneResultList* out) const;
    // Both in a scene given.
    static void PickObjectsAtScreenPoint(Scene& scene, int32_t x, int32_t y, SceneResultList* out);
    static void PickObjectsFromEye(Scene& scene, int32_t x, int32_t y, SceneResultList* out);

private:
    platform::Vec3 m_ScenePosition = {0.0f, 0.0f, 0.0f};
    uint32_t m_uCalls = 0;
    uint32_t m_uPeriod = 0;
};

// The one cursor picker of the program.
CursorPicker& GetCursorPicker();
