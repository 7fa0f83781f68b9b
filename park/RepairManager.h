// RepairManager: the job board of the mechanics (the park's first instance: maintenance, repairs, watering) and of
// the zookeepers (the second: visits). Buildings file requests, the player calls staff urgently, workers take the
// nearest job they may do, trade it for a better one, start it, end it or give it back.
#pragma once

#include "platform/gfx/Math.h"
#include "world/ParkServices.h"

#include <cstdint>
#include <vector>

class ObjectManager;
class SerialStream;
class WorldParams;

class RepairManager : public RepairService
{
public:
    // Request types, which are also the kinds of job a worker asks for; a higher type outranks a lower one.
    enum RequestType : uint32_t
    {
        REPAIR_SERVICE = 0,
        REPAIR_BREAKDOWN = 1,
        REPAIR_WATERING = 2,
        REPAIR_ZOO_VISIT = 3,
    };
    // A building's repair state as its panel shows it.
    enum RepairState : int32_t
    {
        STATE_NO_MECHANICS = 0,
        STATE_CANT_REACH = 1,
        STATE_NOT_NEEDED = 2,
        STATE_REPAIR_REQUIRED = 3,
        STATE_INSPECT_REQUIRED = 4,
        STATE_MECHANIC_COMING = 5,
        STATE_REPAIRING = 6,
    };
    static constexpr uint32_t kNoType = 0xFFFFFFFF;
    // Requests younger than this many game seconds are not handed out.
    static constexpr float kMinRequestAge = 5.0f;
    // How far the watering search of a mechanic who asks for watering looks, in world units.
    static constexpr float kWateringReach = 200.0f;
    // How far a distant watering job lies at least, in world units: the far limit one time in three.
    static constexpr float kDistantWatering = 120.0f;
    static constexpr float kFarDistantWatering = 150.0f;
    // A loaded list longer than this (more than the park holds objects) is refused as damaged.
    static constexpr uint32_t kMaxSavedRecords = 20000;

    struct Request
    {
        uint32_t RepairID;
        uint32_t iCalls;
        float fDistance;
        float fTimeCalled;
        bool bUrgent;
        uint32_t Type;
    };
    struct Job
    {
        uint32_t RepairID;
        bool bRepairing;
        bool bUrgent;
        uint32_t Type;
    };

    // A request of a type; a later request of the object only raises the type of the one it has.
    void RequestRepair(uint32_t id, uint32_t type);
    // An urgent request; true when a new one was filed.
    bool RequestUrgentRepair(uint32_t id, uint32_t type);
    void CancelRepair(uint32_t id);

    // The worker's side. Jobs are object ids, -1 when there is none; unknown ids change nothing.
    int32_t FindJob(const platform::Vec3& position, uint32_t kind, uint32_t& type);
    int32_t LookForBetterJob(const platform::Vec3& position, uint32_t current, uint32_t& type);
    int32_t FindDistantWateringJob(const platform::Vec3& position);
    void AddAssigned(uint32_t id, bool urgent, uint32_t type);
    void RemoveAssigned(uint32_t id);
    void SetRepairStarted(uint32_t id);
    // Gives the job back: filed again unless it was watering (urgent again when it was), the repairing flag
    // cleared.
    void ReturnJob(uint32_t id, uint32_t type);
    uint32_t GetAssignedType(uint32_t id) const;
    bool IsAssigned(uint32_t id) const { return FindAssigned(id) != nullptr; }
    // Assigned, or pending as urgent.
    bool IsStaffCalled(uint32_t id) const;
    // A request for the object is pending or assigned.
    bool HoldsRequest(uint32_t id) const { return FindPending(id) != nullptr || FindAssigned(id) != nullptr; }
    int32_t GetRepairState(uint32_t id) const;
    // Pending repairs after breakdowns.
    int32_t CountPendingRepairs() const;
    // Every pending request, of any type (the world script's BreakdownCount of the mechanics' board).
    uint32_t CountOpenRequests() const override { return static_cast<uint32_t>(m_Pending.size()); }

    void Clear();
    void Dump(SerialStream& stream) const override;
    // False, with a report and the board unchanged, when the record is damaged or cut short.
    bool Load(SerialStream& stream) override;

    const std::vector<Request>& GetPending() const { return m_Pending; }
    const std::vector<Job>& GetAssigned() const { return m_Assigned; }
    int32_t GetActiveCount() const { return m_ActiveCount; }
    int32_t GetBreakdownCount() const { return m_BreakdownCount; }

private:
    // The nearest request of each class a worker of this kind may take.
    struct Candidates
    {
        std::vector<Request>::iterator urgent;
        std::vector<Request>::iterator repair;
        std::vector<Request>::iterator matching;
    };
    Candidates ScanRequests(const platform::Vec3& position, uint32_t kind);
    // A plant that wants water, tried at random; within `limit` units, or far away when the limit is 0.
    int32_t FindWateringTarget(const platform::Vec3& position, float limit) const;
    const Request* FindPending(uint32_t id) const;
    const Job* FindAssigned(uint32_t id) const;
    // Makes the list of the park's scenery again when objects came or went since it was made.
    void UpdateSceneryList() const;

    // A piece of scenery the watering searches draw from: its slot in the object manager's pool of other objects,
    // and whether its type wants water.
    struct SceneryEntry
    {
        uint32_t slot;
        bool wantsWater;
    };

    std::vector<Request> m_Pending;
    std::vector<Job> m_Assigned;
    int32_t m_BreakdownCount = 0;
    int32_t m_ActiveCount = 0;

    // The scenery in pool order, and what it was listed from: the object manager and tables, the number of other
    // objects and the next id (any object made changes the id; removing one without making one changes the count).
    // Nothing is listed before the first search, which sees an object manager.
    mutable std::vector<SceneryEntry> m_Scenery;
    mutable const ObjectManager* m_pSceneryObjects = nullptr;
    mutable const WorldParams* m_pSceneryParams = nullptr;
    mutable uint32_t m_SceneryPoolCount = 0;
    mutable uint32_t m_SceneryNextID = 0;
};
