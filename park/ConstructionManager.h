// ConstructionManager: one record per building being built or pulled down, and the laying of a building's
// footprint onto the park grid and taking it off again, with the demolition refund.
#pragma once

#include "scripts/MessageRecord.h"
#include "world/ParkServices.h"
#include "world/WorldMap.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class BuildingObject;
class ObjectManager;
class SerialStream;
struct MapGridInfo;

class ConstructionManager : public ConstructionService
{
public:
    // The share of a type's building cost paid back when a building of it is demolished.
    static constexpr float kRefundShare = 0.75f;

    struct Record
    {
        uint32_t BuildID = 0;
        float m_fConstStart = 0.0f;
        float m_fDemolishStart = 0.0f;
        float m_fConstDone = 0.0f;
        float m_fDemolishDone = 0.0f;
        bool m_bUnderConstruction = false;
        bool m_bUnderDemolishion = false;
        bool m_BuildingReady = false;
        bool m_Finished = false;
    };

    // A cell of a building's footprint walk: the map cell and the map grid's codes for it.
    struct FootprintCell
    {
        GridPos pos;
        uint32_t flags;
        float height;
        uint32_t base;
    };

    // Lays the building's footprint and queue hook-up on the grid, files its record and moves it on to its
    // working state. Nothing for an id that is no building.
    void StartConstruction(uint32_t id);
    // The building has been built: it no longer counts as under construction.
    void FinishConstruction(uint32_t id);
    // Tells the park the building is going, cancels its cleaning and repair requests and takes its connections off
    // the grid. Returns 0. Nothing for an id that is no building.
    int32_t StartDemolition(uint32_t id);
    // Takes the footprint off the grid, pays the refund, flags the building for removal and drops its record.
    void FinishDemolition(uint32_t id);
    // Pays the player what a demolition gives back, booked as the day's income from demolitions; nothing for an
    // amount that is not a finite number.
    static void PayRefund(float amount);

    // 1.0 or 0.0; 0.0 when the object or its record does not exist.
    float IsUnderConstruction(uint32_t id) const;
    float IsUnderDemolition(uint32_t id) const;
    // Sets the ready flag of the building's record; nothing for an id without one.
    void SetBuildingReady(uint32_t id, bool ready);
    bool IsBuildingReady(uint32_t id) const;
    // The first record of the id in the order the records were made, or null.
    const Record* FindRecord(uint32_t id) const;
    // Drops every record of the id.
    void RemoveRecord(uint32_t id);
    // Repaints the ground texels under a loaded building: by its id, once it is among the park's objects, or the
    // building itself while the park's objects are still being read (it is not yet found by its id then).
    void RepaintGround(uint32_t id);
    static void RepaintGround(const BuildingObject& building);

    void Dump(SerialStream& stream) const override;
    // Replaces the records with the saved ones; false, with a report and the records as they were, when the saved
    // list is cut short.
    bool Load(SerialStream& stream) override;

    int32_t GetConstructionCount() const { return m_ConstructionCount; }
    size_t GetRecordCount() const { return m_Records.size(); }
    // Every record, in the order they were made.
    const std::vector<std::unique_ptr<Record>>& GetRecords() const { return m_Records; }

    // The park's buildings of a definition name: all of them, or only those neither under construction nor being
    // demolished. Kept between calls; counted again when a record changes or a building comes or goes.
    uint32_t CountBuildings(const char* name, bool finishedOnly) const override;

    // The cells of the building's footprint and its one-cell ring, row by row, with the map grid's codes; cells off
    // the map are left out. Empty for a building without a map grid.
    static std::vector<FootprintCell> WalkFootprint(const BuildingObject& building);
    // The walk's start cell and directions for a footprint of w x h cells turned by the rotation (0 to 3): the map
    // grid's column c and row r lie c steps along `columnStep` and r steps along `rowStep` from the start.
    static void FootprintStart(const GridPos& corner, int32_t w, int32_t h, int32_t rotation, GridPos* start,
                               int32_t* columnStep, int32_t* rowStep);

private:
    // The buildings of one definition name.
    struct NameCount
    {
        const char* name;
        uint32_t all;
        uint32_t finished;
    };

    Record& AddRecord(uint32_t id);
    Record* FindMutable(uint32_t id);
    // The first record of each id, after the records were replaced.
    void Reindex();
    // Counts the buildings again when the records or the building pool changed since they were last counted.
    void UpdateCensus() const;
    void PlaceFootprint(BuildingObject& building);
    void TakeUpConnections(BuildingObject& building);
    void ClearFootprint(BuildingObject& building);
    void ClearLitter(const GridPos& pos);

    std::vector<std::unique_ptr<Record>> m_Records;
    // The first record of each id in m_Records.
    std::unordered_map<uint32_t, Record*> m_Index;
    int32_t m_ConstructionCount = 0;
    // Raised with every change of a record's existence or of its construction and demolition flags.
    uint64_t m_RecordVersion = 0;

    // The building counts by name, and what they were counted from: the records' version, the object manager,
    // the number of buildings and the id of the last (the newest: buildings keep their creation order and ids
    // only grow, so a building made and one removed cannot leave both unchanged).
    // Nothing is counted before the first call, which sees an object manager (or, without one, no buildings).
    mutable std::vector<NameCount> m_Census;
    mutable uint64_t m_CensusVersion = 0;
    mutable const ObjectManager* m_pCensusObjects = nullptr;
    mutable uint32_t m_CensusBuildings = 0;
    mutable uint32_t m_CensusLastID = kNoObjectID;
};
