// RideComponent: the guests on a building's ride or in its show audience, and the ride's run. Only what the
// building calls is here yet: the riders and the running flag; the ride models, timers and the riders' send-off
// come with the ride itself.
#pragma once

#include "platform/gfx/Math.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class RideComponent
{
public:
    RideComponent(uint32_t owner, int32_t rideType, const char* /*model*/, int32_t capacity)
        : m_dwOwner(owner), m_RideType(rideType), m_iRideCapacity(capacity)
    {
    }

    void SetOwner(uint32_t owner) { m_dwOwner = owner; }
    void SetPosition(float x, float y, float z) { m_Position = {x, y, z}; }
    void SetOrientation(float x, float y, float z) { m_Orientation = {x, y, z}; }
    void AddRider(uint32_t guest) { m_RideObjectList.push_back(guest); }
    void RemoveRider(uint32_t guest) { std::erase(m_RideObjectList, guest); }
    uint32_t GetRiderCount() const { return static_cast<uint32_t>(m_RideObjectList.size()); }
    bool IsRunning() const { return m_bRideRunning; }
    void StartRide() { m_bRideRunning = true; }
    // The ride is over: its riders leave it.
    void EndRide()
    {
        m_RideObjectList.clear();
        m_bRideRunning = false;
    }
    void Update() {}

    uint32_t GetOwner() const { return m_dwOwner; }
    int32_t GetRideType() const { return m_RideType; }
    int32_t GetCapacity() const { return m_iRideCapacity; }
    const platform::Vec3& GetPosition() const { return m_Position; }
    const platform::Vec3& GetOrientation() const { return m_Orientation; }

private:
    std::vector<uint32_t> m_RideObjectList;
    uint32_t m_dwOwner;
    bool m_bRideRunning = false;
    int32_t m_RideType;
    int32_t m_iRideCapacity;
    platform::Vec3 m_Position = {};
    platform::Vec3 m_Orientation = {};
};
