// RideComponent: the guests on a building's ride or in its show audience, and the ride's run: a timed ride, a ride
// that lasts one animation of the ride model (its riders carried by the model meanwhile) or an animal show that the
// building ends itself; then the riders are sent off one by one.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>
#include <vector>

class RideObject;
class SerialStream;

class RideComponent
{
public:
    // The RIDE_TYPE words, in order: "None", "Time", "Anim", "AnimalShow".
    enum RideType : int32_t
    {
        RIDE_NONE = 0,
        RIDE_TIME = 1,
        RIDE_ANIM = 2,
        RIDE_ANIMAL_SHOW = 3,
    };
    // Game seconds a ride of type None or Time runs, and the timer an Anim ride starts with.
    static constexpr float kTimedRide = 10.0f;
    static constexpr float kAnimRideTimer = 1000.0f;
    // The send-off of rider i (from 0): 0.2 s, a random 0 to 0.3 s, and 0.7 s a rider before it.
    static constexpr float kSendOffDelay = 0.2f;
    static constexpr float kSendOffSpread = 0.3f;
    static constexpr float kSendOffStep = 0.7f;
    // The flags and data of the served message that sends a rider off.
    static constexpr uint32_t kSendOffCode = 99;
    // Most riders a saved ride may hold: the guest pool.
    static constexpr int32_t kMostRiders = 1500;

    // The ride models ("<model>_stat" standing, "<model>" running) unless the model is "NONE"; the standing one
    // shows. Both go into the World's scene.
    RideComponent(uint32_t owner, int32_t rideType, const char* model, int32_t capacity);
    // Riders still on a ride of the ride model go back into the scene.
    ~RideComponent();
    RideComponent(const RideComponent&) = delete;
    RideComponent& operator=(const RideComponent&) = delete;

    void SetOwner(uint32_t owner) { m_dwOwner = owner; }
    // Where the ride models stand and how they are turned.
    void SetPosition(float x, float y, float z);
    void SetOrientation(float x, float y, float z);

    // The guest boards (an Anim ride's rider leaves the scene and rides on both models) and is told it is on.
    void AddRider(uint32_t guest);
    // The guest leaves the ride when it is on it (an Anim ride's rider goes back into the scene).
    void RemoveRider(uint32_t guest);
    uint32_t GetRiderCount() const { return static_cast<uint32_t>(m_RideObjectList.size()); }
    const std::vector<uint32_t>& GetRiders() const { return m_RideObjectList; }
    void StartRide();
    // Each building update while running: an ended Anim ride or a Time ride whose time is up tells its building
    // that the ride is complete (again each update until the building ends it).
    void Update();
    // The riders are sent off, the list emptied, the ride stopped.
    void EndRide();
    // An Anim ride's riders ride on the models again after a load.
    void PostLoad();

    void Dump(SerialStream& stream) const;
    // False, with a report, when the record is cut short or holds a value no ride keeps (a rider count beyond the
    // guests a park holds, an unknown ride type, a timer that is no number): the ride is then left stopped and
    // empty.
    bool Load(SerialStream& stream);

    bool IsRunning() const { return m_bRideRunning; }
    uint32_t GetOwner() const { return m_dwOwner; }
    int32_t GetRideType() const { return m_RideType; }
    int32_t GetCapacity() const { return m_iRideCapacity; }
    float GetTimer() const { return m_fRideTimer; }
    float GetStartTime() const { return m_fRideStartTime; }
    const platform::Vec3& GetPosition() const { return m_Position; }
    const platform::Vec3& GetOrientation() const { return m_Orientation; }
    // The standing and the running ride model; null without ride models.
    RideObject* GetStaticModel() const { return m_pStatic.get(); }
    RideObject* GetAnimatedModel() const { return m_pAnimated.get(); }

private:
    bool CarriesRiders() const { return m_RideType == RIDE_ANIM; }
    // The rider rides on both models, out of the scene; or back into the scene, off the models.
    void Board(uint32_t guest);
    void Alight(uint32_t guest);
    void PostComplete() const;

    std::vector<uint32_t> m_RideObjectList;
    uint32_t m_dwOwner;
    bool m_bRideRunning = false;
    float m_fRideTimer = 0.0f;
    int32_t m_RideType;
    int32_t m_iRideCapacity;
    float m_fRideStartTime = 0.0f;
    std::unique_ptr<RideObject> m_pStatic;
    std::unique_ptr<RideObject> m_pAnimated;
    platform::Vec3 m_Position = {};
    platform::Vec3 m_Orientation = {};
};
