// ObjectManager: owns every game object, gives each a never-reused id, keeps them packed in four slot pools by
// kind, finds them by id, name or kind, removes them, and saves and loads them all.
#pragma once

#include "world/IdSlotIndex.h"
#include "world/ObjectKinds.h"

#include <cstdint>
#include <vector>

class BaseObject;
class SerialStream;

class ObjectManager
{
public:
    enum Pool : uint32_t
    {
        POOL_BUILDING,
        POOL_GUEST,
        POOL_LITTER,
        POOL_OTHER,
        POOL_COUNT,
    };

    // One space of slots: buildings 0-499, guests 500-1999, litter 2000-2499, all other kinds 2500-18499.
    static constexpr uint32_t kSlotCount = 18500;
    static constexpr uint32_t kPoolFirstSlot[POOL_COUNT] = {0, 500, 2000, 2500};
    static constexpr uint32_t kPoolCapacity[POOL_COUNT] = {500, 1500, 500, 16000};
    // Ids run from 0 up to and including this; the next three stand for the player's demolitions (which the pause
    // does not hold), the World and no object.
    static constexpr uint32_t kLastObjectID = 0xFFFFFFFC;
    static constexpr uint32_t kNoSlot = 0xFFFFFFFF;

    // Stores the global pointer.
    ObjectManager();
    // Deletes every object: the building pool first, then the guest, litter and other pools, each from slot 0.
    ~ObjectManager();
    ObjectManager(const ObjectManager&) = delete;
    ObjectManager& operator=(const ObjectManager&) = delete;

    static Pool PoolOfKind(uint8_t kind);

    // Makes an object of a kind (the low byte of `kind`, 1 to 10) in the next slot of its pool, runs its
    // Create (name) and gives it the next id. Null, with a report, for an unknown kind, a full pool, a kind
    // with no class, or when the ids have run out. Sets neither the object's kind byte nor its state.
    BaseObject* CreateObject(const char* name, uint32_t kind);
    // Deletes the object. A removed building's successors move down a slot each; in the other pools the last
    // object moves into the freed slot. False when no object has the id.
    bool RemoveObject(uint32_t id);
    BaseObject* GetObject(uint32_t id) const;
    uint32_t GetSlot(uint32_t id) const { return m_Index.Find(id); }

    // Queries. Each result belongs to the caller: later queries, creations and removals leave it as it was.
    // Objects come in pool order (buildings, guests, litter, other), each pool in slot order.
    template <typename Predicate> std::vector<BaseObject*> FindObjects(Predicate predicate) const;
    std::vector<BaseObject*> GetObjectsByName(const char* name) const;
    std::vector<BaseObject*> GetBuildingsByName(const char* name) const;
    // Kinds 2, 3 and 10 are their pools; any other kind is every object whose kind byte equals it.
    std::vector<BaseObject*> GetObjectsOfKind(uint8_t kind) const;
    std::vector<uint32_t> GetIdsOfKind(uint8_t kind) const;
    // The same ids into a list the caller keeps (its room is reused).
    void CollectIdsOfKind(uint8_t kind, std::vector<uint32_t>& ids) const;
    // Mechanics, cleaners and zookeepers (not shop servers).
    std::vector<BaseObject*> GetStaffObjects() const;
    std::vector<uint32_t> GetStaffIds() const;
    void CollectStaffIds(std::vector<uint32_t>& ids) const;
    uint32_t CountObjectsOfKind(uint8_t kind) const;
    void ClosePanelsOfKind(uint8_t kind);
    void CloseStaffPanels();

    void Dump(SerialStream& stream) const;
    // Replaces every object with the saved ones. A save that is cut short or does not hold together (counts
    // beyond the pools, unknown kinds, objects whose own kind is not their pool's or their class's, ids that
    // disagree with the id list, repeat or are not below the saved next id) fails with a report and leaves the
    // manager as it was.
    bool Load(SerialStream& stream);

    uint32_t GetNumActiveObjects() const { return m_dwNumActiveObjects; }
    uint32_t GetPoolCount(Pool pool) const { return m_uPoolCount[pool]; }
    BaseObject* GetPoolObject(Pool pool, uint32_t index) const;
    uint32_t GetNextFreeObjectID() const { return m_dwNextFreeObjectID; }
    // The id held by a slot, kNoObjectID when empty.
    uint32_t GetSlotID(uint32_t slot) const { return slot < kSlotCount ? m_dwObjectIDList[slot] : 0xFFFFFFFF; }

private:
    // The staff test of GetStaffObjects.
    static bool IsHourlyStaff(const BaseObject* object);
    // The report of a pool that a creation into it has just filled.
    void ReportFullPool(Pool pool) const;
    void DeleteAll();

    uint32_t m_dwNumActiveObjects = 0;
    uint32_t m_uPoolCount[POOL_COUNT] = {};
    std::vector<uint32_t> m_dwObjectIDList;
    uint32_t m_dwNextFreeObjectID = 0;
    std::vector<BaseObject*> m_Objects;
    IdSlotIndex m_Index;
};

template <typename Predicate> std::vector<BaseObject*> ObjectManager::FindObjects(Predicate predicate) const
{
    std::vector<BaseObject*> found;
    for (uint32_t pool = 0; pool < POOL_COUNT; ++pool)
    {
        const uint32_t first = kPoolFirstSlot[pool];
        for (uint32_t slot = first; slot < first + m_uPoolCount[pool]; ++slot)
        {
            if (predicate(m_Objects[slot]))
                found.push_back(m_Objects[slot]);
        }
    }
    return found;
}

// The object manager while the park exists, null otherwise.
extern ObjectManager* g_pObjectManager;
