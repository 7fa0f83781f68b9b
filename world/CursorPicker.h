// CursorPicker: the ground point under the mouse, picked for the tool modes and read by the park grid.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>

class CursorPicker
{
public:
    // Picks the ground point under the screen position through the graphics manager and keeps it as the cursor's
    // scene position (kept as it was when the view does not reach the ground there).
    void Update(int32_t x, int32_t y);
    const platform::Vec3& GetScenePosition() const { return m_ScenePosition; }
    void SetScenePosition(const platform::Vec3& position) { m_ScenePosition = position; }

private:
    platform::Vec3 m_ScenePosition = {0.0f, 0.0f, 0.0f};
};

// The one cursor picker of the program.
CursorPicker& GetCursorPicker();
