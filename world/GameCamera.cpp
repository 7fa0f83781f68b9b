// GameCamera: the base camera's destinations, angles and save record, and the input of the running game.
#include "world/GameCamera.h"

#include "engine/core/GameInput.h"
#include "engine/core/MouseState.h"
#include "engine/core/SerialStream.h"
#include "engine/render/GraphicsManager.h"
#include "world/CameraManager.h"
#include "world/GameShell.h"

#include <cmath>

namespace
{

// The game's input for keys, buttons, movement and the cursor; the engine's input service for its own key query
// and the mouse grab; the graphics manager for the screen.
class GameCameraInput : public CameraInput
{
public:
    bool IsKeyHeld(int key) const override { return g_pGameInput && g_pGameInput->IsKeyHeld(key); }
    bool IsEngineKeyDown(int key) const override { return g_MouseState.IsEngineKeyDown(key); }
    int32_t GetLeftButton() const override { return g_pGameInput ? g_pGameInput->GetLeftButton() : 0; }
    int32_t GetRightButton() const override { return g_pGameInput ? g_pGameInput->GetRightButton() : 0; }
    int32_t GetMouseDeltaX() const override { return g_pGameInput ? g_pGameInput->GetMouseDeltaX() : 0; }
    int32_t GetMouseDeltaY() const override { return g_pGameInput ? g_pGameInput->GetMouseDeltaY() : 0; }
    int32_t GetMouseX() const override { return g_pGameInput ? g_pGameInput->GetMouseX() : 0; }
    int32_t GetMouseY() const override { return g_pGameInput ? g_pGameInput->GetMouseY() : 0; }
    int32_t GetWheel() const override { return g_pGameInput ? g_pGameInput->GetWheelDelta() : 0; }
    void GrabMouse() override { g_MouseState.GrabMouse(); }
    void ReleaseMouse() override { g_MouseState.ReleaseMouse(); }
    bool IsMouseGrabbed() const override { return g_MouseState.IsMouseGrabbed(); }
    bool CanScrollAtEdges() const override
    {
        const GameShell* shell = GetGameShell();
        // Only a pointer over the window scrolls: one beside it, or left at an edge as the focus went, would read
        // as at the picture's edge and carry the view away.
        return g_pGameInput && g_pGameInput->IsPointerOverWindow() && !g_GraphicsManager.GetSettings().m_bWindowed &&
               shell && shell->IsEdgeScrolling();
    }
    int32_t GetScreenWidth() const override { return static_cast<int32_t>(g_GraphicsManager.GetSettings().m_uWidth); }
    int32_t GetScreenHeight() const override { return static_cast<int32_t>(g_GraphicsManager.GetSettings().m_uHeight); }
};

// No camera value of a park comes near this: the scene spans a few thousand units, and a heading that large is
// a million radians of turning. Beyond it a turn or a step no longer changes the value, and a difference of two
// such values is no number: the view would be stuck outside the park for good.
constexpr float kMaxCameraValue = 1.0e6f;

// Reads one float; false when the stream failed or the value is not a finite number within the bound above.
bool ReadFinite(SerialStream& stream, float* out)
{
    return stream.ReadFloat(out) && std::isfinite(*out) && std::fabs(*out) <= kMaxCameraValue;
}

} // namespace

CameraInput& GetGameCameraInput()
{
    static GameCameraInput input;
    return input;
}

GameCamera::GameCamera() : SceneObject(0) {}

GameCamera::~GameCamera() = default;

bool GameCamera::Render()
{
    return true;
}

void GameCamera::Dump(SerialStream& stream)
{
    // A view that is no numbers would make the whole save unreadable: the last good one is saved instead.
    KeepFiniteView();
    const platform::Vec3& eye = GetPosition();
    stream.WriteFloat("m_DestEyePos.vx", m_DestEyePos.x);
    stream.WriteFloat("m_DestEyePos.vy", m_DestEyePos.y);
    stream.WriteFloat("m_DestEyePos.vz", m_DestEyePos.z);
    stream.WriteFloat("m_DestLookAtPos.vx", m_DestLookAtPos.x);
    stream.WriteFloat("m_DestLookAtPos.vy", m_DestLookAtPos.y);
    stream.WriteFloat("m_DestLookAtPos.vz", m_DestLookAtPos.z);
    stream.WriteFloat("m_CurrentLookAtPos.vx", m_CurrentLookAtPos.x);
    stream.WriteFloat("m_CurrentLookAtPos.vy", m_CurrentLookAtPos.y);
    stream.WriteFloat("m_CurrentLookAtPos.vz", m_CurrentLookAtPos.z);
    stream.WriteFloat("GetPosition.vx", eye.x);
    stream.WriteFloat("GetPosition.vy", eye.y);
    stream.WriteFloat("GetPosition.vz", eye.z);
    stream.WriteFloat("m_TargetDistance", m_TargetDistance);
    stream.WriteFloat("camxangle", camxangle);
    stream.WriteFloat("camyangle", camyangle);
    stream.WriteFloat("m_Distance", m_Distance);
}

bool GameCamera::Load(SerialStream& stream)
{
    // Sixteen values in the order Dump writes them; all are read before any is taken.
    float v[16] = {};
    bool good = true;
    for (float& value : v)
        good = ReadFinite(stream, &value) && good;
    if (!good)
        return false;
    m_DestEyePos = {v[0], v[1], v[2]};
    m_DestLookAtPos = {v[3], v[4], v[5]};
    m_CurrentLookAtPos = {v[6], v[7], v[8]};
    SetPosition(v[9], v[10], v[11]);
    m_TargetDistance = v[12];
    camxangle = v[13];
    camyangle = v[14];
    m_Distance = v[15];
    KeepFiniteView();
    return true;
}

void GameCamera::SetDestEyePos(float x, float y, float z)
{
    m_DestEyePos = {x, y, z};
}

void GameCamera::SetDestLookAt(float x, float y, float z, bool snap)
{
    m_DestLookAtPos = {x, y, z};
    if (snap)
        m_CurrentLookAtPos = m_DestLookAtPos;
}

void GameCamera::TakeAnglesFromDestination()
{
    const platform::Vec3 d = platform::Vec3Normalize(m_DestLookAtPos - m_DestEyePos);
    camxangle = std::atan2(d.z, d.x);
    camyangle = -std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z));
    m_bAnglesFromDest = false;
}

namespace
{

bool IsFinite(const platform::Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

bool GameCamera::HasFiniteView() const
{
    return IsFinite(GetPosition()) && IsFinite(m_CurrentLookAtPos) && IsFinite(m_DestEyePos) &&
           IsFinite(m_DestLookAtPos) && std::isfinite(m_TargetDistance) && std::isfinite(camxangle) &&
           std::isfinite(camyangle) && std::isfinite(m_Distance);
}

bool GameCamera::KeepFiniteView()
{
    FiniteView& last = m_LastFinite;
    if (HasFiniteView())
    {
        last = {GetPosition(),    m_CurrentLookAtPos, m_DestEyePos, m_DestLookAtPos,
                m_TargetDistance, camxangle,          camyangle,    m_Distance};
        return true;
    }
    SetPositionVec(last.eye);
    m_CurrentLookAtPos = last.lookAt;
    m_DestEyePos = last.destEye;
    m_DestLookAtPos = last.destLookAt;
    m_TargetDistance = last.targetDistance;
    camxangle = last.heading;
    camyangle = last.elevation;
    m_Distance = last.distance;
    return false;
}

CameraInput& GameCamera::Input() const
{
    return m_pManager ? m_pManager->GetInput() : GetGameCameraInput();
}

platform::Vec3 GameCamera::ViewDirection(float heading, float elevation)
{
    return {std::cos(heading) * std::cos(elevation), -std::sin(elevation), std::sin(heading) * std::cos(elevation)};
}
