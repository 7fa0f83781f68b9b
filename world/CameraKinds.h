// The five cameras of the park: tracking (the player's view, orbiting a point on the ground), first person (riding
// on an object), free and mouse (free-moving views) and fixed (moved only from outside).
#pragma once

#include "world/GameCamera.h"

class TrackingCamera : public GameCamera
{
public:
    static constexpr float kMinDistance = 60.0f;
    static constexpr float kMaxDistance = 240.0f;
    static constexpr float kMinElevation = 0.45f;
    static constexpr float kMaxElevation = 1.0f;
    static constexpr float kMaxPanStep = 5.0f;

    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void Reset() override;
    void ResetView() override;
    // Keeps the look-at destination over the park grid.
    void ClampDestination() override;
    void Update() override;
    // Follows an object (true), or stops following the one it follows (false).
    bool TrackObject(uint32_t id) override;
    void StopTracking() override;
    bool OnObjectRemoved(uint32_t id) override;
    int32_t GetSmoothing() const override { return 4; }
    uint32_t GetFollowedObject() const override { return m_bFollow ? m_TrackObjectID : 0xFFFFFFFF; }

    // The elevation of the view at a distance: 0.45 at 60, rising evenly to 1.0 at 240.
    static float ElevationForDistance(float distance);
    uint32_t GetTrackedObject() const { return m_TrackObjectID; }
    bool IsFollowing() const { return m_bFollow; }

private:
    bool m_bKeyControl = false;
    bool m_bMouseControl = false;
    float m_fRotationFactor = 0.75f;
    float m_fZoomFactor = 0.5f;
    uint32_t m_TrackObjectID = 0xFFFFFFFF;
    bool m_bFollow = false;
};

class FirstPersonCamera : public GameCamera
{
public:
    static constexpr float kEyeRaise = 2.1f;
    static constexpr float kLookAhead = 60.0f;

    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void Reset() override;
    void Update() override;
    bool OnObjectRemoved(uint32_t id) override;
    uint32_t GetFollowedObject() const override { return m_ObjectID; }

    // Rides on that object, following it or not.
    void Watch(uint32_t id, bool follow)
    {
        m_ObjectID = id;
        m_bFollow = follow;
    }
    uint32_t GetObjectID() const { return m_ObjectID; }
    bool IsFollowing() const { return m_bFollow; }
    void SetFollowing(bool follow) { m_bFollow = follow; }

private:
    uint32_t m_ObjectID = 0xFFFFFFFF;
    bool m_bFollow = true;
};

class FreeCamera : public GameCamera
{
public:
    static constexpr float kMaxTargetDistance = 500.0f;
    static constexpr float kMinEyeHeight = 2.0f;

    void Reset() override;
    void Update() override;
    void ViewSpan(float x1, float y1, float z1, float x2, float y2, float z2) override;
    void PanTo(float x, float y, float z) override;
    float GetMinimumDistance() const { return m_fMinDistance; }

private:
    bool m_bKeyControl = false;
    bool m_bMouseControl = false;
    float m_fMouseDivisor = 100.0f;
    float m_fMinDistance = 10.0f;
};

class MouseCamera : public GameCamera
{
public:
    static constexpr float kMinEyeHeight = 2.0f;
    static constexpr float kMaxEyeHeight = 600.0f;

    void Reset() override;
    void Update() override;

private:
    float m_fMouseDivisor = 100.0f;
};

class FixedCamera : public GameCamera
{
public:
    void Reset() override;
    int32_t GetSmoothing() const override { return 50; }
};
