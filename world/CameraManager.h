// CameraManager: the cameras of the world view. The game makes one at start-up; the park steps it every frame and
// hears the sound listener's place from it.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>

class CameraManager
{
public:
    // Stores the global pointer.
    CameraManager();
    ~CameraManager();
    CameraManager(const CameraManager&) = delete;
    CameraManager& operator=(const CameraManager&) = delete;

    // Once per frame, after the park's objects have moved.
    void Update();
    // The current camera's eye and the point it looks at, in scene units.
    platform::Vec3 GetEye() const { return m_Eye; }
    platform::Vec3 GetLookAt() const { return m_LookAt; }
    // Places the current camera: its eye and the point it looks at.
    void SetView(const platform::Vec3& eye, const platform::Vec3& lookAt)
    {
        m_Eye = eye;
        m_LookAt = lookAt;
    }
    // The object the camera follows, or 0xFFFFFFFF.
    uint32_t GetTrackedObject() const { return m_dwTracked; }
    void TrackObject(uint32_t id) { m_dwTracked = id; }
    void StopTracking() { m_dwTracked = 0xFFFFFFFF; }

private:
    platform::Vec3 m_Eye = {0.0f, 100.0f, 0.0f};
    platform::Vec3 m_LookAt = {0.0f, 0.0f, 0.0f};
    uint32_t m_dwTracked = 0xFFFFFFFF;
};

// The camera manager while the game exists, null otherwise.
extern CameraManager* g_pCameraManager;
