// The camera kinds: their starting values and their work of each frame from keys, mouse, screen edges and the
// objects they follow.
#include "world/CameraKinds.h"

#include "engine/core/SerialStream.h"
#include "world/BaseObject.h"
#include "world/CameraManager.h"
#include "world/ObjectManager.h"
#include "world/WorldMap.h"

#include <algorithm>
#include <cmath>

namespace
{

using platform::Vec3;

constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 2.0f * kPi;
constexpr uint32_t kNoObject = 0xFFFFFFFF;

// Forward and right on the ground for a heading, as scene vectors.
Vec3 Forward(float heading)
{
    return {std::cos(heading), 0.0f, std::sin(heading)};
}

Vec3 Right(float heading)
{
    return {std::sin(heading), 0.0f, -std::cos(heading)};
}

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

bool Down(int32_t button)
{
    return button != 0;
}

// The pan step after Right Shift (ten times) and Right Ctrl (a tenth), no more than the limit.
float ScaledStep(const CameraInput& input, float step, float limit, bool engineKeys)
{
    const auto held = [&](int key) { return engineKeys ? input.IsEngineKeyDown(key) : input.IsKeyHeld(key); };
    if (held(CameraKey::kRightShift))
        step *= 10.0f;
    if (held(CameraKey::kRightControl))
        step *= 0.1f;
    return std::min(step, limit);
}

// The arrow keys move a point on the ground: Left and Right along -r and +r, Up and Down along +f and -f. True
// when any was held.
bool PanWithArrows(const CameraInput& input, float heading, float step, Vec3* point)
{
    const Vec3 f = Forward(heading) * step;
    const Vec3 r = Right(heading) * step;
    bool moved = false;
    const struct
    {
        int key;
        Vec3 by;
    } arrows[] = {{CameraKey::kLeft, -r}, {CameraKey::kRight, r}, {CameraKey::kUp, f}, {CameraKey::kDown, -f}};
    for (const auto& arrow : arrows)
    {
        if (input.IsKeyHeld(arrow.key))
        {
            *point += arrow.by;
            moved = true;
        }
    }
    return moved;
}

// Both buttons held drag the point on the ground by the mouse's movement, scaled by the distance. True when they
// were held.
bool DragWithBothButtons(CameraInput& input, float heading, float distance, Vec3* point)
{
    if (!Down(input.GetLeftButton()) || !Down(input.GetRightButton()))
        return false;
    const float scale = 0.01f * distance;
    *point += Right(heading) * (static_cast<float>(input.GetMouseDeltaX()) * scale);
    *point -= Forward(heading) * (static_cast<float>(input.GetMouseDeltaY()) * scale);
    input.GrabMouse();
    return true;
}

// Page Up and Page Down widen and narrow the distance by 5 %.
float ZoomWithPageKeys(const CameraInput& input, float distance)
{
    if (input.IsKeyHeld(CameraKey::kPageUp))
        distance *= 1.05f;
    if (input.IsKeyHeld(CameraKey::kPageDown))
        distance *= 0.95f;
    return distance;
}

} // namespace

// ---- tracking camera

float TrackingCamera::ElevationForDistance(float distance)
{
    const float elevation =
        kMinElevation + (distance - kMinDistance) / (kMaxDistance - kMinDistance) * (kMaxElevation - kMinElevation);
    return std::clamp(elevation, kMinElevation, kMaxElevation);
}

void TrackingCamera::Reset()
{
    m_Type = kTracking;
    m_bKeyControl = true;
    m_bMouseControl = true;
    m_fRotationFactor = 0.75f;
    m_fZoomFactor = 0.5f;
    m_bAnglesFromDest = false;
    ResetView();
    m_TrackObjectID = kNoObject;
    m_bFollow = false;
}

void TrackingCamera::ResetView()
{
    m_Distance = m_TargetDistance = kMinDistance;
    camyangle = ElevationForDistance(m_Distance);
    camxangle = kPi / 2.0f;
}

void TrackingCamera::Update()
{
    CameraInput& input = Input();
    float step = std::min(m_Distance * 0.02f, kMaxPanStep);

    // Mouse-look with the right button alone: turn with the sideways movement, zoom with the other.
    if (m_bMouseControl)
    {
        if (Down(input.GetRightButton()) && !Down(input.GetLeftButton()))
        {
            input.GrabMouse();
            camxangle -= static_cast<float>(input.GetMouseDeltaX()) * 0.01f * m_fRotationFactor;
            m_TargetDistance += static_cast<float>(input.GetMouseDeltaY()) * m_fZoomFactor;
        }
        else if (input.IsMouseGrabbed())
        {
            input.ReleaseMouse();
        }
        if (input.IsKeyHeld(CameraKey::kLeftControl))
        {
            // 1 / rotation factor degrees a frame (80 degrees a second at 60 frames): a radian-sized step would
            // spin the view most of a quarter turn each frame, past any heading the player could stop at.
            const float turn = (1.0f / m_fRotationFactor) * kPi / 180.0f;
            if (input.IsKeyHeld(CameraKey::kLeft))
                camxangle -= turn;
            if (input.IsKeyHeld(CameraKey::kRight))
                camxangle += turn;
        }
    }
    camyangle = ElevationForDistance(m_Distance);

    // The followed object's place on the ground; an object that is gone ends the following.
    if (m_bFollow && m_TrackObjectID != kNoObject)
    {
        if (const BaseObject* object = FindObject(m_TrackObjectID))
        {
            const Vec3& at = object->GetPosition();
            m_DestLookAtPos = {at.x, 0.0f, at.z};
        }
        else
        {
            m_TrackObjectID = kNoObject;
            m_bFollow = false;
        }
    }

    bool dragged = false;
    if (m_bKeyControl)
    {
        step = ScaledStep(input, step, kMaxPanStep, false);
        if (DragWithBothButtons(input, camxangle, m_TargetDistance, &m_DestLookAtPos))
        {
            dragged = true;
            m_bFollow = false;
        }
        if (PanWithArrows(input, camxangle, step, &m_DestLookAtPos))
            m_bFollow = false;
    }

    // The cursor at an edge of the screen scrolls the view that way.
    if (input.CanScrollAtEdges() && !m_bFollow && m_bKeyControl && !dragged)
    {
        const int32_t x = input.GetMouseX();
        const int32_t y = input.GetMouseY();
        if (x <= 0)
            m_DestLookAtPos -= Right(camxangle) * step;
        if (x >= input.GetScreenWidth() - 1)
            m_DestLookAtPos += Right(camxangle) * step;
        if (y <= 0)
            m_DestLookAtPos += Forward(camxangle) * step;
        if (y >= input.GetScreenHeight() - 1)
            m_DestLookAtPos -= Forward(camxangle) * step;
    }

    m_DestLookAtPos.y = std::max(m_DestLookAtPos.y, 0.0f);
    m_TargetDistance = std::clamp(ZoomWithPageKeys(input, m_TargetDistance), kMinDistance, kMaxDistance);
    m_Distance += (m_TargetDistance - m_Distance) * 0.25f;
    m_DestEyePos = m_DestLookAtPos - ViewDirection(camxangle, camyangle) * m_Distance;
}

void TrackingCamera::ClampDestination()
{
    const WorldMap* map = g_pWorldMap;
    if (!map)
        return;
    m_DestLookAtPos.x = std::clamp(m_DestLookAtPos.x, WorldMap::kOrigin, map->GetSceneMaxX());
    m_DestLookAtPos.z = std::clamp(m_DestLookAtPos.z, WorldMap::kOrigin, map->GetSceneMaxZ());
}

bool TrackingCamera::TrackObject(uint32_t id)
{
    // Only an object the camera still follows is let go: one whose following a pan ended is followed again.
    if (m_bFollow && id == m_TrackObjectID)
    {
        StopTracking();
        return false;
    }
    m_TrackObjectID = id;
    m_bFollow = true;
    return true;
}

void TrackingCamera::StopTracking()
{
    m_TrackObjectID = kNoObject;
    m_bFollow = false;
}

bool TrackingCamera::OnObjectRemoved(uint32_t id)
{
    if (!m_bFollow || id != m_TrackObjectID)
        return false;
    StopTracking();
    return true;
}

void TrackingCamera::Dump(SerialStream& stream)
{
    stream.WriteUInt("m_TrackObjectID", m_TrackObjectID);
    stream.WriteBool("m_bFollow", m_bFollow);
    GameCamera::Dump(stream);
}

bool TrackingCamera::Load(SerialStream& stream)
{
    uint32_t id = kNoObject;
    bool follow = false;
    const bool good = stream.ReadUInt(&id) && stream.ReadBool(&follow);
    if (!GameCamera::Load(stream) || !good)
        return false;
    m_TrackObjectID = id;
    m_bFollow = follow;
    return true;
}

// ---- first-person camera

void FirstPersonCamera::Reset()
{
    m_Type = kFirstPerson;
}

void FirstPersonCamera::Update()
{
    const BaseObject* object = FindObject(m_ObjectID);
    if (!object)
    {
        if (CameraManager* manager = GetManager())
            manager->SetCamera(kTracking, false);
        return;
    }
    const Vec3& at = object->GetPosition();
    if (m_bFollow)
    {
        // The eye just above the object, looking 60 units ahead along its facing.
        const float yaw = object->GetOrientation().y;
        const float pitch = object->GetOrientation().x;
        m_DestEyePos = {at.x, at.y + kEyeRaise, at.z};
        m_DestLookAtPos = {m_DestEyePos.x - std::sin(yaw) * kLookAhead, m_DestEyePos.y + std::sin(pitch) * kLookAhead,
                           m_DestEyePos.z - std::cos(yaw) * kLookAhead};
        if (m_DestLookAtPos.y <= m_DestEyePos.y && m_DestLookAtPos.y > 5.0f)
            m_DestLookAtPos.y = 5.0f;
    }
    else
    {
        // Inside a building: looking down on it from above.
        m_DestEyePos.y = at.y + 30.0f;
        m_DestLookAtPos.x = at.x;
        m_DestLookAtPos.z = at.z;
    }
}

bool FirstPersonCamera::OnObjectRemoved(uint32_t id)
{
    if (id != m_ObjectID)
        return false;
    if (CameraManager* manager = GetManager())
        manager->SetCamera(kTracking, false);
    return true;
}

void FirstPersonCamera::Dump(SerialStream& stream)
{
    stream.WriteUInt("m_ObjectID", m_ObjectID);
    stream.WriteBool("m_bFollow", m_bFollow);
    GameCamera::Dump(stream);
}

bool FirstPersonCamera::Load(SerialStream& stream)
{
    uint32_t id = kNoObject;
    bool follow = true;
    const bool good = stream.ReadUInt(&id) && stream.ReadBool(&follow);
    if (!GameCamera::Load(stream) || !good)
        return false;
    m_ObjectID = id;
    m_bFollow = follow;
    return true;
}

// ---- free camera

void FreeCamera::Reset()
{
    m_Type = kFree;
    m_bKeyControl = true;
    m_bMouseControl = true;
    m_fMouseDivisor = 100.0f;
    m_fMinDistance = 10.0f;
    m_Distance = 10.0f;
    m_bAnglesFromDest = true;
    SetDestEyePos(0.0f, 100.0f, -100.0f);
    SetDestLookAt(0.0f, 0.0f, 0.0f, false);
    m_TargetDistance = 50.0f;
}

void FreeCamera::Update()
{
    CameraInput& input = Input();
    float step = std::min(m_Distance * 0.02f, TrackingCamera::kMaxPanStep);

    if (m_bMouseControl)
    {
        if (Down(input.GetRightButton()) && !Down(input.GetLeftButton()))
        {
            input.GrabMouse();
            camxangle -= static_cast<float>(input.GetMouseDeltaX()) / m_fMouseDivisor;
            camyangle -= static_cast<float>(input.GetMouseDeltaY()) / m_fMouseDivisor;
        }
        else if (input.IsMouseGrabbed())
        {
            input.ReleaseMouse();
        }
        if (input.IsKeyHeld(CameraKey::kLeftControl))
        {
            const float turn = 1.0f / m_fMouseDivisor;
            if (input.IsKeyHeld(CameraKey::kLeft))
                camxangle -= turn;
            if (input.IsKeyHeld(CameraKey::kRight))
                camxangle += turn;
            if (input.IsKeyHeld(CameraKey::kUp))
                camyangle += turn;
            if (input.IsKeyHeld(CameraKey::kDown))
                camyangle -= turn;
        }
    }
    camyangle = std::clamp(camyangle, 0.0f, 1.5f);

    if (m_bKeyControl)
    {
        step = ScaledStep(input, step, TrackingCamera::kMaxPanStep, false);
        DragWithBothButtons(input, camxangle, m_TargetDistance, &m_DestLookAtPos);
        PanWithArrows(input, camxangle, step, &m_DestLookAtPos);
    }

    m_DestLookAtPos.y = std::max(m_DestLookAtPos.y, 0.0f);
    m_TargetDistance -= m_TargetDistance * 0.0025f * static_cast<float>(input.GetWheel());
    m_TargetDistance = std::clamp(ZoomWithPageKeys(input, m_TargetDistance), m_fMinDistance, kMaxTargetDistance);
    m_Distance += (m_TargetDistance - m_Distance) / 8.0f;
    m_DestEyePos = m_DestLookAtPos - ViewDirection(camxangle, camyangle) * m_Distance;
    m_DestEyePos.y = std::max(m_DestEyePos.y, kMinEyeHeight);
}

void FreeCamera::ViewSpan(float x1, float y1, float z1, float x2, float y2, float z2)
{
    const Vec3 a = {x1, y1, z1};
    const Vec3 b = {x2, y2, z2};
    const float d = platform::Vec3Length(b - a);
    m_fMinDistance = 10.0f;
    m_TargetDistance = std::max(d, m_fMinDistance);
    const Vec3 middle = (a + b) * 0.5f;
    SetDestLookAt(middle.x, middle.y, middle.z + 0.1f, false);
    SetDestEyePos(middle.x, middle.y + d, middle.z);
    m_bAnglesFromDest = true;
}

void FreeCamera::PanTo(float x, float y, float z)
{
    m_fMinDistance = 10.0f;
    camyangle = std::max(camyangle, TrackingCamera::kMinElevation);
    const Vec3 offset = Vec3{x, y, z} - m_CurrentLookAtPos;
    SetDestEyePos(m_DestEyePos.x + offset.x, m_DestEyePos.y + offset.y, m_DestEyePos.z + offset.z);
    SetDestLookAt(x, y, z, false);
}

// ---- mouse camera

void MouseCamera::Reset()
{
    m_Type = kMouse;
    camxangle = 0.0f;
    camyangle = 0.0f;
    m_fMouseDivisor = 100.0f;
    m_Distance = m_TargetDistance = 100.0f;
}

void MouseCamera::Update()
{
    CameraInput& input = Input();
    const CameraManager* manager = GetManager();
    const bool control = manager && manager->HasControl();
    float step = std::min(0.025f * m_DestEyePos.y, 2.0f);

    if (control && Down(input.GetRightButton()) && !Down(input.GetLeftButton()))
    {
        input.GrabMouse();
        const int32_t dx = input.GetMouseDeltaX();
        const int32_t dy = input.GetMouseDeltaY();
        if (dx != 0)
            camxangle -= static_cast<float>(dx) / m_fMouseDivisor;
        if (dy != 0)
            camyangle += static_cast<float>(dy) / m_fMouseDivisor;
        camxangle = std::fmod(camxangle, kTwoPi);
    }
    else if (input.IsMouseGrabbed())
    {
        input.ReleaseMouse();
    }
    camyangle = std::clamp(camyangle, -1.5f, 1.5f);

    if (control)
    {
        step = ScaledStep(input, step, 4.0f, true);
        const Vec3 f = Forward(camxangle) * step;
        const Vec3 r = Right(camxangle) * step;
        if (input.IsEngineKeyDown(CameraKey::kLeft))
            m_DestEyePos -= r;
        if (input.IsEngineKeyDown(CameraKey::kRight))
            m_DestEyePos += r;
        if (input.IsEngineKeyDown(CameraKey::kUp))
            m_DestEyePos += f;
        if (input.IsEngineKeyDown(CameraKey::kDown))
            m_DestEyePos -= f;
        if (input.IsEngineKeyDown(CameraKey::kPageUp))
            m_DestEyePos.y += step;
        if (input.IsEngineKeyDown(CameraKey::kPageDown))
            m_DestEyePos.y -= step;
    }
    m_DestEyePos.y = std::clamp(m_DestEyePos.y, kMinEyeHeight, kMaxEyeHeight);
    m_Distance += (m_TargetDistance - m_Distance) / 8.0f;
    m_DestLookAtPos = m_DestEyePos + ViewDirection(camxangle, camyangle) * m_Distance;
}

// ---- fixed camera

void FixedCamera::Reset()
{
    m_Type = kFixed;
}
