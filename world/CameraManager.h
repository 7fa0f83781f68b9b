// CameraManager: the five cameras of the world view and the one that is current. The game makes it at start-up;
// the park steps it every frame (the current camera eases towards its destinations and hands its view and
// projection to the graphics manager), and GUI commands, the world script and objects switch, move and aim it.
#pragma once

#include "platform/gfx/Math.h"
#include "world/GameCamera.h"

#include <cstdint>
#include <memory>

class SerialStream;

class CameraManager
{
public:
    static constexpr int32_t kCameraCount = 5;
    static constexpr float kFarDistance = 4000.0f;
    static constexpr float kAspect = 4.0f / 3.0f;

    // Makes the five cameras (each Reset), the tracking camera current, and stores the global pointer.
    CameraManager();
    ~CameraManager();
    CameraManager(const CameraManager&) = delete;
    CameraManager& operator=(const CameraManager&) = delete;

    // Makes the camera of that type current (0 free, 1 tracking, 2 mouse, 3 first person, 4 fixed); a new camera
    // takes the view over from the one before, and unless quiet the old one leaves and the new one enters. A type
    // outside 0 to 4 changes nothing.
    void SetCamera(int32_t type, bool quiet);
    int32_t GetCurrentType() const { return m_CurrentType; }
    GameCamera* GetCurrentCamera() const { return m_pCurrent; }
    GameCamera* GetCamera(int32_t type) const;

    // Once per frame from the park: the current camera's own step, then (while the park has a scene) the smoothing
    // step and the view and projection for the graphics manager.
    void Update();
    // The same with the park's scene open or not (no smoothing and no view without one).
    void Step(bool sceneOpen);

    bool TrackObject(uint32_t id);
    void StopTracking();
    // The current camera hears that the object is gone; true when it was following it.
    bool OnObjectRemoved(uint32_t id);
    // Rides on the object with the first-person camera (true), or, when that camera is current, goes back to the
    // tracking camera (false).
    bool ToggleFirstPersonCam(uint32_t id);
    // The first-person camera stops or goes on following the object it rides on (it went into a building).
    void PauseFollowing(uint32_t id);
    void ResumeFollowing(uint32_t id);
    // Aims at a scene point; with snap the eye and look-at point reach their destinations at the next frame.
    void SetLookAt(float x, float y, float z, bool snap);
    void LookAt(const platform::Vec3& position);
    // The same for a position in map units.
    void LookAtWorldPos(const platform::Vec3& position);
    void SetDestEyePos(float x, float y, float z);
    void ResetView();

    // The current type, then every camera's record in type order.
    void Dump(SerialStream& stream);
    // Reads what Dump wrote. A saved type outside 0 to 4 is reported and the tracking camera taken instead; the
    // camera of the loaded type becomes current as it was saved, without taking the view over. False, with the
    // current camera kept, when the stream fails (each camera takes its record only when it was read whole).
    bool Load(SerialStream& stream);

    // The current camera's eye and look-at point, in scene units.
    platform::Vec3 GetEye() const;
    platform::Vec3 GetLookAt() const;
    // The object the current camera follows, or 0xFFFFFFFF.
    uint32_t GetTrackedObject() const;

    // Set by every camera switch: the mouse camera takes mouse input only while it is set.
    bool HasControl() const { return m_bControl; }
    void SetControl(bool control) { m_bControl = control; }
    // The view matrix of the last update.
    const platform::Matrix& GetViewMatrix() const { return m_ViewMatrix; }

    // Where the cameras read keys and mouse (the running game's input unless a test gives another).
    CameraInput& GetInput() const { return m_pInput ? *m_pInput : GetGameCameraInput(); }
    void SetInput(CameraInput* input) { m_pInput = input; }

    // The vertical field of view, in degrees, of the park's projection.
    static float FieldOfViewDegrees();
    // The near distance for an eye height: a tenth of it, but at least 1.
    static float NearDistance(float eyeHeight);

private:
    void CreateCameras();
    void SmoothingStep();

    bool m_bControl = false;
    bool m_bSnap = false;
    int32_t m_CurrentType = GameCamera::kTracking;
    GameCamera* m_pCurrent = nullptr;
    platform::Matrix m_ViewMatrix = platform::MatrixIdentity();
    std::unique_ptr<GameCamera> m_Cameras[kCameraCount];
    CameraInput* m_pInput = nullptr;
};

// The camera manager while the game exists, null otherwise.
extern CameraManager* g_pCameraManager;
