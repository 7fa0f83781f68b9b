// CameraManager: switching cameras with the hand-over of the view, the frame's step with its 1/r smoothing, the
// view and projection handed to the graphics manager, the commands that aim the current camera, and the save record.
#include "world/CameraManager.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/render/GraphicsManager.h"
#include "world/CameraKinds.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <algorithm>
#include <cmath>
#include <iterator>

CameraManager* g_pCameraManager = nullptr;

namespace
{

constexpr float kPi = 3.14159265358979f;
// The horizontal field of view of the park's projection, in degrees.
constexpr float kHorizontalHalfAngle = 35.0f;

bool IsCameraType(int32_t type)
{
    return type >= 0 && type < CameraManager::kCameraCount;
}

// Below this the eye is taken to be on the look-at point, and the view to run along the up direction.
constexpr float kMinViewLength = 1.0e-4f;
constexpr float kMinSideways = 1.0e-2f;

// The view from the eye towards the look-at point, upright. Looking straight (or all but straight) down or up, the
// up direction gives no sideways axis, or one that only rounding decides: the screen's up of the last view is kept
// instead. With the look-at point on the eye the last view's direction is kept.
platform::Matrix UprightView(const platform::Vec3& eye, const platform::Vec3& at, const platform::Matrix& last)
{
    using platform::Vec3;
    const Vec3 lastForward = {last.m[0][2], last.m[1][2], last.m[2][2]};
    const Vec3 lastUp = {last.m[0][1], last.m[1][1], last.m[2][1]};
    const float length = platform::Vec3Length(at - eye);
    const bool apart = length > kMinViewLength;
    const Vec3 forward = apart ? (at - eye) * (1.0f / length) : platform::Vec3Normalize(lastForward);
    const Vec3 target = apart ? at : eye + forward;
    const Vec3 candidates[] = {{0.0f, 1.0f, 0.0f}, lastUp, lastForward, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}};
    for (size_t i = 0; i < std::size(candidates); ++i)
    {
        const Vec3& up = candidates[i];
        const float sideways = platform::Vec3Length(platform::Vec3Cross(up, forward));
        // The last view's axes are only a fallback when they stand well clear of the new direction.
        if (sideways > (i == 0 ? kMinSideways : 0.1f))
            return platform::MatrixLookAtLH(eye, target, up);
    }
    return last;
}

} // namespace

CameraManager::CameraManager()
{
    g_pCameraManager = this;
    CreateCameras();
}

CameraManager::~CameraManager()
{
    if (g_pCameraManager == this)
        g_pCameraManager = nullptr;
}

void CameraManager::CreateCameras()
{
    m_bControl = true;
    m_Cameras[GameCamera::kFree] = std::make_unique<FreeCamera>();
    m_Cameras[GameCamera::kTracking] = std::make_unique<TrackingCamera>();
    m_Cameras[GameCamera::kMouse] = std::make_unique<MouseCamera>();
    m_Cameras[GameCamera::kFirstPerson] = std::make_unique<FirstPersonCamera>();
    m_Cameras[GameCamera::kFixed] = std::make_unique<FixedCamera>();
    for (const std::unique_ptr<GameCamera>& camera : m_Cameras)
    {
        camera->SetManager(this);
        camera->Reset();
    }
    m_CurrentType = GameCamera::kTracking;
    m_pCurrent = m_Cameras[GameCamera::kTracking].get();
}

GameCamera* CameraManager::GetCamera(int32_t type) const
{
    return IsCameraType(type) ? m_Cameras[type].get() : nullptr;
}

void CameraManager::SetCamera(int32_t type, bool quiet)
{
    if (!IsCameraType(type))
        return;
    m_bControl = true;
    m_CurrentType = type;
    GameCamera* next = m_Cameras[type].get();
    GameCamera* previous = m_pCurrent;
    if (previous && previous != next)
    {
        previous->KeepFiniteView();
        // The new camera starts where the old one is and heads where it was heading.
        next->SetPositionVec(previous->GetEye());
        next->SetCurrentLookAt(previous->GetCurrentLookAt());
        const platform::Vec3& eye = previous->GetDestEyePos();
        const platform::Vec3& at = previous->GetDestLookAt();
        next->SetDestEyePos(eye.x, eye.y, eye.z);
        next->SetDestLookAt(at.x, at.y, at.z, false);
        next->SetTargetDistance(previous->GetDistance());
        next->KeepFiniteView();
    }
    if (next != previous && !quiet)
    {
        if (previous)
            previous->Leave();
        next->Enter();
    }
    m_pCurrent = next;
}

void CameraManager::Update()
{
    Step(g_pWorld && g_pWorld->GetScene());
}

void CameraManager::Step(bool sceneOpen)
{
    if (!m_pCurrent)
        return;
    if (m_pCurrent->WantsAnglesFromDestination())
        m_pCurrent->TakeAnglesFromDestination();
    m_pCurrent->Update();
    if (!m_pCurrent)
        return;
    m_pCurrent->KeepFiniteView();
    if (!sceneOpen)
        return;
    SmoothingStep();
    m_pCurrent->KeepFiniteView();
    const platform::Vec3 eye = m_pCurrent->GetEye();
    m_ViewMatrix = UprightView(eye, m_pCurrent->GetCurrentLookAt(), m_ViewMatrix);
    GraphicsManager& gm = g_GraphicsManager;
    gm.SetViewMatrix(m_ViewMatrix, true);
    gm.SetEyePosition(eye);
    gm.SetProjection(FieldOfViewDegrees(), kAspect, NearDistance(eye.y), kFarDistance);
}

void CameraManager::SmoothingStep()
{
    GameCamera& camera = *m_pCurrent;
    if (m_bSnap)
    {
        m_bSnap = false;
        camera.SetPositionVec(camera.GetDestEyePos());
        camera.SetCurrentLookAt(camera.GetDestLookAt());
    }
    else
    {
        // 1 / r of the remaining way, each coordinate on its own; a smoothing below 1 would overshoot.
        const float r = static_cast<float>(std::max(camera.GetSmoothing(), 1));
        const platform::Vec3 eye = camera.GetEye();
        const platform::Vec3 at = camera.GetCurrentLookAt();
        camera.SetPositionVec(eye + (camera.GetDestEyePos() - eye) * (1.0f / r));
        camera.SetCurrentLookAt(at + (camera.GetDestLookAt() - at) * (1.0f / r));
    }
    camera.ClampDestination();
}

float CameraManager::FieldOfViewDegrees()
{
    return 2.0f * std::atan(std::tan(kHorizontalHalfAngle * kPi / 180.0f) * 0.75f) * 180.0f / kPi;
}

float CameraManager::NearDistance(float eyeHeight)
{
    return std::max(0.1f * eyeHeight, 1.0f);
}

bool CameraManager::TrackObject(uint32_t id)
{
    return m_pCurrent && m_pCurrent->TrackObject(id);
}

void CameraManager::StopTracking()
{
    if (m_pCurrent)
        m_pCurrent->StopTracking();
}

bool CameraManager::OnObjectRemoved(uint32_t id)
{
    return m_pCurrent && m_pCurrent->OnObjectRemoved(id);
}

bool CameraManager::ToggleFirstPersonCam(uint32_t id)
{
    if (m_CurrentType != GameCamera::kFirstPerson)
    {
        SetCamera(GameCamera::kFirstPerson, false);
        static_cast<FirstPersonCamera*>(m_Cameras[GameCamera::kFirstPerson].get())->Watch(id, true);
        return true;
    }
    SetCamera(GameCamera::kTracking, false);
    return false;
}

void CameraManager::PauseFollowing(uint32_t id)
{
    auto* camera = static_cast<FirstPersonCamera*>(m_Cameras[GameCamera::kFirstPerson].get());
    if (m_pCurrent == camera && camera->GetObjectID() == id)
        camera->SetFollowing(false);
}

void CameraManager::ResumeFollowing(uint32_t id)
{
    auto* camera = static_cast<FirstPersonCamera*>(m_Cameras[GameCamera::kFirstPerson].get());
    if (m_pCurrent == camera && camera->GetObjectID() == id)
        camera->SetFollowing(true);
}

void CameraManager::SetLookAt(float x, float y, float z, bool snap)
{
    if (!m_pCurrent)
        return;
    m_pCurrent->SetDestLookAt(x, y, z, snap);
    m_bSnap = snap;
}

void CameraManager::LookAt(const platform::Vec3& position)
{
    if (m_pCurrent)
        m_pCurrent->SetDestLookAt(position.x, position.y, position.z, false);
}

void CameraManager::LookAtWorldPos(const platform::Vec3& position)
{
    LookAt(WorldMap::WorldToScene(position));
}

void CameraManager::SetDestEyePos(float x, float y, float z)
{
    if (m_pCurrent)
        m_pCurrent->SetDestEyePos(x, y, z);
}

void CameraManager::ResetView()
{
    if (m_pCurrent)
        m_pCurrent->ResetView();
}

void CameraManager::Dump(SerialStream& stream)
{
    stream.WriteInt("m_CurrentType", m_CurrentType);
    for (const std::unique_ptr<GameCamera>& camera : m_Cameras)
        camera->Dump(stream);
}

bool CameraManager::Load(SerialStream& stream)
{
    int32_t type = 0;
    bool good = stream.ReadInt(&type);
    for (const std::unique_ptr<GameCamera>& camera : m_Cameras)
        good = camera->Load(stream) && good;
    if (!good)
    {
        GetLogger()->Report(0, "CameraManager::Load - the saved cameras are cut short or not numbers");
        return false;
    }
    if (!IsCameraType(type))
    {
        GetLogger()->Report(0, "CameraManager::Load - saved camera type %d is no camera: the tracking camera is used",
                            type);
        type = GameCamera::kTracking;
    }
    // The loaded camera is current as it was saved: nothing is taken over from the camera before.
    m_CurrentType = type;
    m_pCurrent = m_Cameras[type].get();
    m_bControl = true;
    return true;
}

platform::Vec3 CameraManager::GetEye() const
{
    return m_pCurrent ? m_pCurrent->GetEye() : platform::Vec3{0.0f, 0.0f, 0.0f};
}

platform::Vec3 CameraManager::GetLookAt() const
{
    return m_pCurrent ? m_pCurrent->GetCurrentLookAt() : platform::Vec3{0.0f, 0.0f, 1.0f};
}

uint32_t CameraManager::GetTrackedObject() const
{
    return m_pCurrent ? m_pCurrent->GetFollowedObject() : 0xFFFFFFFF;
}
