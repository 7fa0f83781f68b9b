// GameCamera: the base of the park's cameras (eye, look-at point, their destinations and the angles between them),
// and CameraInput, the keys, mouse and screen the cameras read each frame.
#pragma once

#include "engine/render/SceneObject.h"
#include "platform/gfx/Math.h"

#include <cstdint>

class CameraManager;
class SerialStream;

// DirectInput key codes the cameras read.
namespace CameraKey
{
constexpr int kLeftControl = 0x1D;
constexpr int kRightShift = 0x36;
constexpr int kRightControl = 0x9D;
constexpr int kUp = 0xC8;
constexpr int kPageUp = 0xC9;
constexpr int kLeft = 0xCB;
constexpr int kRight = 0xCD;
constexpr int kDown = 0xD0;
constexpr int kPageDown = 0xD1;
} // namespace CameraKey

// What the cameras read of the player's input and the screen. Buttons read 0 up, 1 pressed this frame, 2 held.
class CameraInput
{
public:
    virtual ~CameraInput() = default;
    // A key held, through the game's input.
    virtual bool IsKeyHeld(int key) const = 0;
    // A key down, through the engine's input service.
    virtual bool IsEngineKeyDown(int key) const = 0;
    virtual int32_t GetLeftButton() const = 0;
    virtual int32_t GetRightButton() const = 0;
    virtual int32_t GetMouseDeltaX() const = 0;
    virtual int32_t GetMouseDeltaY() const = 0;
    // The cursor in screen pixels.
    virtual int32_t GetMouseX() const = 0;
    virtual int32_t GetMouseY() const = 0;
    // The wheel's movement this frame in device units.
    virtual int32_t GetWheel() const = 0;
    // Hides the cursor and holds it for mouse-look, and gives it back.
    virtual void GrabMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual bool IsMouseGrabbed() const = 0;
    // Whether the view may scroll when the cursor reaches a screen edge: the picture fills the screen (in a window
    // the cursor at an edge is on its way out of it) and the options ask for it.
    virtual bool CanScrollAtEdges() const = 0;
    virtual int32_t GetScreenWidth() const = 0;
    virtual int32_t GetScreenHeight() const = 0;
};

// The input of the running game: the game's input, the engine's input service, the screen and the options.
CameraInput& GetGameCameraInput();

class GameCamera : public SceneObject
{
public:
    // Camera types; -1 before a camera's Reset.
    enum Type : int8_t
    {
        kNone = -1,
        kFree = 0,
        kTracking = 1,
        kMouse = 2,
        kFirstPerson = 3,
        kFixed = 4,
    };
    static constexpr int32_t kDefaultSmoothing = 8;

    GameCamera();
    ~GameCamera() override;

    // Draws nothing.
    bool Render() override;
    // The destinations, the look-at point, the eye, the target distance, the angles and the distance, as floats.
    void Dump(SerialStream& stream) override;
    // Reads what Dump wrote; the eye is placed through SetPosition. False, with nothing changed, when the stream
    // fails or a value is not a finite number or lies beyond a million (far outside any park).
    bool Load(SerialStream& stream) override;

    // Sets the type and the camera's own starting values.
    virtual void Reset() = 0;
    virtual void ResetView() {}
    // Keeps the destinations where they may go (after each smoothing step).
    virtual void ClampDestination() {}
    virtual void SetDestEyePos(float x, float y, float z);
    // With snap the look-at point jumps there too.
    virtual void SetDestLookAt(float x, float y, float z, bool snap);
    // The camera's own work of the frame (keys, mouse, following), before the smoothing step.
    virtual void Update() {}
    // Looks straight down on the span between two points (the free camera's).
    virtual void ViewSpan(float, float, float, float, float, float) {}
    // Moves the view so that it looks at the point (the free camera's).
    virtual void PanTo(float, float, float) {}
    virtual void Enter() {}
    virtual void Leave() {}
    virtual bool TrackObject(uint32_t) { return false; }
    virtual void StopTracking() {}
    // True when the camera was following that object.
    virtual bool OnObjectRemoved(uint32_t) { return false; }
    // The eye and look-at point cover 1 / smoothing of their remaining way each frame.
    virtual int32_t GetSmoothing() const { return kDefaultSmoothing; }

    // The object the camera follows, 0xFFFFFFFF when none.
    virtual uint32_t GetFollowedObject() const { return 0xFFFFFFFF; }

    int8_t GetType() const { return m_Type; }
    const platform::Vec3& GetEye() const { return GetPosition(); }
    const platform::Vec3& GetCurrentLookAt() const { return m_CurrentLookAtPos; }
    const platform::Vec3& GetDestEyePos() const { return m_DestEyePos; }
    const platform::Vec3& GetDestLookAt() const { return m_DestLookAtPos; }
    float GetTargetDistance() const { return m_TargetDistance; }
    float GetDistance() const { return m_Distance; }
    float GetHeading() const { return camxangle; }
    float GetElevation() const { return camyangle; }
    bool WantsAnglesFromDestination() const { return m_bAnglesFromDest; }
    void SetCurrentLookAt(const platform::Vec3& at) { m_CurrentLookAtPos = at; }
    void SetTargetDistance(float distance) { m_TargetDistance = distance; }
    void SetDistance(float distance) { m_Distance = distance; }
    void SetAngles(float heading, float elevation)
    {
        camxangle = heading;
        camyangle = elevation;
    }
    // Derives the heading and elevation from the direction between the destinations and clears the request.
    void TakeAnglesFromDestination();
    // True when the eye, the look-at point, their destinations, the distances and the angles are all numbers.
    bool HasFiniteView() const;
    // Keeps the view when it is all numbers and remembers it; otherwise puts back the last such view, so that a
    // point or an object sent with values that are no numbers neither blanks the picture nor reaches a save.
    // False when the view was put back.
    bool KeepFiniteView();

    // The manager the camera belongs to, and where it reads its input.
    void SetManager(CameraManager* manager) { m_pManager = manager; }
    CameraManager* GetManager() const { return m_pManager; }
    CameraInput& Input() const;

protected:
    // The unit vector from the eye towards the look-at point for a heading and an elevation.
    static platform::Vec3 ViewDirection(float heading, float elevation);

    platform::Vec3 m_CurrentLookAtPos = {0.0f, 0.0f, 1.0f};
    platform::Vec3 m_DestEyePos = {0.0f, 0.0f, 0.0f};
    platform::Vec3 m_DestLookAtPos = {0.0f, 0.0f, 1.0f};
    float m_TargetDistance = 0.0f;
    platform::Vec3 m_Up = {0.0f, 1.0f, 0.0f};
    int8_t m_Type = kNone;
    float camxangle = 0.0f;
    float camyangle = 0.0f;
    float m_Distance = 0.0f;
    bool m_bAnglesFromDest = false;
    CameraManager* m_pManager = nullptr;

private:
    // The view as KeepFiniteView last found it all numbers.
    struct FiniteView
    {
        platform::Vec3 eye = {0.0f, 0.0f, 0.0f};
        platform::Vec3 lookAt = {0.0f, 0.0f, 1.0f};
        platform::Vec3 destEye = {0.0f, 0.0f, 0.0f};
        platform::Vec3 destLookAt = {0.0f, 0.0f, 1.0f};
        float targetDistance = 0.0f;
        float heading = 0.0f;
        float elevation = 0.0f;
        float distance = 0.0f;
    };
    FiniteView m_LastFinite;
};
