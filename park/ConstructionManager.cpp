// ConstructionManager: the records of buildings being built or pulled down, the footprint walk that lays a
// building on the grid and takes it off again, the queue hook-up, the refund and the save record.
#include "park/ConstructionManager.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// Map grid flag codes.
constexpr uint32_t kServeInOut = 0x2;
constexpr uint32_t kServeIn = 0x4;
constexpr uint32_t kServeOut = 0x8;
constexpr uint32_t kQueueEntry = 0x10;
constexpr uint32_t kLayFootpath = 0x20;
constexpr uint32_t kConnection = 0x40;
constexpr uint32_t kPathCell = 0x80;
constexpr uint32_t kBody = 0x100;
// Base plate codes.
constexpr uint32_t kBuildingTile = 0x1;
constexpr uint32_t kRepaint = 0x200;

// The save record's size item.
constexpr int32_t kSaveSize = 8;
// Most records a saved list may hold.
constexpr uint32_t kMaxSavedRecords = 100000;

BuildingObject* FindBuilding(uint32_t id)
{
    return g_pObjectManager ? dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(id)) : nullptr;
}

MapCell* CellAt(const GridPos& pos)
{
    return g_pWorldMap ? g_pWorldMap->GetCell(pos) : nullptr;
}

void Refresh(const GridPos& pos)
{
    if (g_pPathTileSet)
        g_pPathTileSet->RefreshTile(pos, false, true);
}

void RemoveRails(const GridPos& pos)
{
    if (g_pPathTileSet)
        g_pPathTileSet->RemoveRails(pos);
}

void AddRails(const GridPos& pos)
{
    if (g_pPathTileSet)
        g_pPathTileSet->AddRails(pos);
}

// The queue shape that opens a building's queue entry towards its serve cell, or -1 when the serve cell is not
// beside it.
int32_t EntryShapeTowards(const GridPos& entry, const GridPos& target)
{
    switch (WorldMap::DirectionTo(entry, target))
    {
    case 0:
        return 14;
    case 2:
        return 13;
    case 4:
        return 15;
    case 6:
        return 0;
    default:
        return -1;
    }
}

} // namespace

// ---------------------------------------------------------------- the footprint walk

void ConstructionManager::FootprintStart(const GridPos& corner, int32_t w, int32_t h, int32_t rotation, GridPos* start,
                                         int32_t* columnStep, int32_t* rowStep)
{
    // The border start reads its two sizes the other way round from the footprint's own width and height: given
    // them as they stand, only square footprints come out right. Turned by an odd number of quarter turns they
    // are given unswapped, otherwise swapped.
    const int32_t rot = rotation & 3;
    GridPos pos = corner;
    int32_t first = 0, second = 0;
    if (rot & 1)
        WorldMap::GetFootprintBorderStart(pos, w + 2, h + 2, &first, &second, rot);
    else
        WorldMap::GetFootprintBorderStart(pos, h + 2, w + 2, &first, &second, rot);
    *start = pos;
    // Columns run along the first direction and rows along the second, or the other way when turned oddly.
    *columnStep = (rot & 1) ? second : first;
    *rowStep = (rot & 1) ? first : second;
}

std::vector<ConstructionManager::FootprintCell> ConstructionManager::WalkFootprint(const BuildingObject& building)
{
    std::vector<FootprintCell> cells;
    const MapGridInfo* grid = building.GetMapGrid();
    if (!grid || !g_pWorldMap)
        return cells;
    const int32_t most = MapGridInfo::kMaxFootprint;
    const int32_t w = std::clamp(building.GetInfo().iGridWidth, 0, most);
    const int32_t h = std::clamp(building.GetInfo().iGridHeight, 0, most);
    if (w != building.GetInfo().iGridWidth || h != building.GetInfo().iGridHeight)
        GetLogger()->Report(1, "ConstructionManager - the footprint of %s (%d x %d) is cut to %d x %d cells",
                            building.GetName(), building.GetInfo().iGridWidth, building.GetInfo().iGridHeight, w, h);
    // A building stands on the map (one asked for off it is never made). One read back from a save may stand
    // anywhere: when no cell of its bordered footprint can reach the map, it has none, and it is not walked from a
    // cell whose neighbours lie beyond the cell numbers.
    const GridPos corner = building.GetGridPos();
    const int64_t reach = 2 * (static_cast<int64_t>(std::max(w, h)) + 2);
    if (corner.x < -reach || corner.y < -reach || corner.x >= g_pWorldMap->GetWidth() + reach ||
        corner.y >= g_pWorldMap->GetHeight() + reach)
    {
        GetLogger()->Report(1, "ConstructionManager - %s stands off the map, at %d, %d: it has no footprint",
                            building.GetName(), corner.x, corner.y);
        return cells;
    }
    GridPos start;
    int32_t columnStep, rowStep;
    FootprintStart(corner, w, h, building.GetDirection(), &start, &columnStep, &rowStep);
    cells.reserve(static_cast<size_t>(w + 2) * static_cast<size_t>(h + 2));
    for (int32_t r = 0; r < h + 2; ++r)
    {
        for (int32_t c = 0; c < w + 2; ++c)
        {
            const GridPos pos = {start.x + c * kDirectionDX[columnStep] + r * kDirectionDX[rowStep],
                                 start.y + c * kDirectionDY[columnStep] + r * kDirectionDY[rowStep]};
            // The map does not wrap: a footprint over its edge loses the cells beyond it.
            if (!g_pWorldMap->IsValidGridPos(pos))
                continue;
            cells.push_back({pos, grid->flags[c][r], grid->heights[c][r], grid->basePlate[c][r]});
        }
    }
    return cells;
}

// ---------------------------------------------------------------- records

ConstructionManager::Record& ConstructionManager::AddRecord(uint32_t id)
{
    m_Records.push_back(std::make_unique<Record>());
    Record& record = *m_Records.back();
    record.BuildID = id;
    // A later record of an id never stands in for its first.
    m_Index.try_emplace(id, &record);
    ++m_RecordVersion;
    return record;
}

void ConstructionManager::Reindex()
{
    m_Index.clear();
    for (const auto& record : m_Records)
        m_Index.try_emplace(record->BuildID, record.get());
    ++m_RecordVersion;
}

const ConstructionManager::Record* ConstructionManager::FindRecord(uint32_t id) const
{
    const auto found = m_Index.find(id);
    return found == m_Index.end() ? nullptr : found->second;
}

ConstructionManager::Record* ConstructionManager::FindMutable(uint32_t id)
{
    const auto found = m_Index.find(id);
    return found == m_Index.end() ? nullptr : found->second;
}

void ConstructionManager::RemoveRecord(uint32_t id)
{
    if (m_Index.erase(id) == 0)
        return;
    std::erase_if(m_Records, [id](const std::unique_ptr<Record>& record) { return record->BuildID == id; });
    ++m_RecordVersion;
}

float ConstructionManager::IsUnderConstruction(uint32_t id) const
{
    const Record* record = g_pObjectManager && g_pObjectManager->GetObject(id) ? FindRecord(id) : nullptr;
    return record && record->m_bUnderConstruction ? 1.0f : 0.0f;
}

float ConstructionManager::IsUnderDemolition(uint32_t id) const
{
    const Record* record = g_pObjectManager && g_pObjectManager->GetObject(id) ? FindRecord(id) : nullptr;
    return record && record->m_bUnderDemolishion ? 1.0f : 0.0f;
}

void ConstructionManager::SetBuildingReady(uint32_t id, bool ready)
{
    if (Record* record = FindMutable(id))
        record->m_BuildingReady = ready;
}

bool ConstructionManager::IsBuildingReady(uint32_t id) const
{
    const Record* record = FindRecord(id);
    return record && record->m_BuildingReady;
}

// ---------------------------------------------------------------- building counts

void ConstructionManager::UpdateCensus() const
{
    const ObjectManager* objects = g_pObjectManager;
    const uint32_t buildings = objects ? objects->GetPoolCount(ObjectManager::POOL_BUILDING) : 0;
    const uint32_t last =
        buildings ? objects->GetSlotID(ObjectManager::kPoolFirstSlot[ObjectManager::POOL_BUILDING] + buildings - 1)
                  : kNoObjectID;
    if (m_CensusVersion == m_RecordVersion && m_pCensusObjects == objects && m_CensusBuildings == buildings &&
        m_CensusLastID == last)
        return;
    m_Census.clear();
    for (uint32_t i = 0; i < buildings; ++i)
    {
        const BaseObject* building = objects->GetPoolObject(ObjectManager::POOL_BUILDING, i);
        const char* name = building->GetName();
        auto entry = std::find_if(m_Census.begin(), m_Census.end(),
                                  [name](const NameCount& count) { return std::strcmp(count.name, name) == 0; });
        if (entry == m_Census.end())
            entry = m_Census.insert(m_Census.end(), {name, 0, 0});
        const Record* record = FindRecord(building->GetID());
        ++entry->all;
        if (!record || (!record->m_bUnderConstruction && !record->m_bUnderDemolishion))
            ++entry->finished;
    }
    m_CensusVersion = m_RecordVersion;
    m_pCensusObjects = objects;
    m_CensusBuildings = buildings;
    m_CensusLastID = last;
}

uint32_t ConstructionManager::CountBuildings(const char* name, bool finishedOnly) const
{
    if (!name)
        return 0;
    UpdateCensus();
    for (const NameCount& count : m_Census)
    {
        if (std::strcmp(count.name, name) == 0)
            return finishedOnly ? count.finished : count.all;
    }
    return 0;
}

// ---------------------------------------------------------------- construction

void ConstructionManager::StartConstruction(uint32_t id)
{
    BuildingObject* building = FindBuilding(id);
    if (!building)
        return;
    if (!g_pWorld || !g_pWorld->IsStartingUp())
        ++m_ConstructionCount;
    // One record per building: a building built again keeps the record it has.
    Record* record = FindMutable(id);
    if (!record)
        record = &AddRecord(id);
    record->m_BuildingReady = true;
    PlaceFootprint(*building);
    record->m_bUnderConstruction = true;
    ++m_RecordVersion;
    if (g_pMessageHandler)
    {
        MessageRecord change;
        change.dwSender = id;
        change.dwReciever = id;
        change.dwType = MT_STATECHANGE;
        change.dwData = STATE_NULL;
        g_pMessageHandler->Send(change);
    }
}

void ConstructionManager::FinishConstruction(uint32_t id)
{
    if (Record* record = FindMutable(id))
    {
        record->m_bUnderConstruction = false;
        ++m_RecordVersion;
    }
}

void ConstructionManager::ClearLitter(const GridPos& pos)
{
    const MapCell* cell = CellAt(pos);
    if (!cell || !g_pObjectManager)
        return;
    const CleaningManager* cleaning = GetCleaningManager();
    // The list changes as litter goes: work on a copy of the ids.
    std::vector<uint32_t> litter;
    for (const BaseObject* object : cell->GetObjectList())
    {
        if (object->GetType() == OBJECT_LITTER)
            litter.push_back(object->GetID());
    }
    for (uint32_t id : litter)
    {
        BaseObject* object = g_pObjectManager->GetObject(id);
        if (!object || (cleaning && cleaning->GetCleaningState(id) == CleaningManager::CLEAN_CLEANING))
            continue;
        MessageRecord change;
        change.dwSender = id;
        change.dwReciever = id;
        change.dwType = MT_STATECHANGE;
        change.dwData = STATE_DEMOLISHED;
        object->PostMessage(change);
        object->SetWaitingForDeath(true);
        if (g_pWorld)
        {
            MessageRecord gone;
            gone.dwSender = id;
            gone.dwType = MT_BUILDING_BEING_REMOVED;
            g_pWorld->SendToAllOfKind(gone, OBJECT_CLEANER);
        }
    }
}

void ConstructionManager::PlaceFootprint(BuildingObject& building)
{
    const std::vector<FootprintCell> cells = WalkFootprint(building);
    // Placing, pass 0: the ground under the building and the paths it brings.
    for (const FootprintCell& f : cells)
    {
        MapCell* cell = CellAt(f.pos);
        if (f.base & kBuildingTile)
        {
            cell->m_uiFlags &= ~CELL_CONSTRUCTION;
            Refresh(f.pos);
            ClearLitter(f.pos);
        }
        if (f.flags & kBody)
            cell->m_uiFlags = (cell->m_uiFlags | CELL_BUILDING) & ~CELL_WALKABLE;
        if (f.flags & kConnection)
            cell->m_uiFlags |= CELL_CONNECTION;
        if (f.flags & kPathCell)
        {
            cell->m_uiFlags |= CELL_WALKABLE | CELL_FOOTPATH;
            Refresh(f.pos);
        }
        cell->m_ZOffset = f.height;
        if ((f.base & kRepaint) && g_pWorldMap)
            g_pWorldMap->ClearBaseMapTexel(f.pos.x, f.pos.y);
        if (f.base == kBuildingTile)
            cell->m_uiFlags = (cell->m_uiFlags | CELL_BUILDING) & ~CELL_WALKABLE;
        if (f.flags & kLayFootpath)
        {
            cell->m_uiFlags |= CELL_FOOTPATH;
            Refresh(f.pos);
            RemoveRails(f.pos);
        }
    }
    // Placing, pass 1: the serve cells.
    for (const FootprintCell& f : cells)
    {
        MapCell* cell = CellAt(f.pos);
        const uint32_t before = cell->m_uiFlags;
        if (f.flags & kServeInOut)
        {
            building.m_ServeInOutGrid = f.pos;
            cell->m_uiFlags |= CELL_NO_JOIN;
            RemoveRails(f.pos);
        }
        if (f.flags & kServeIn)
        {
            building.m_ServeInGrid = f.pos;
            cell->m_uiFlags |= CELL_NO_JOIN;
            RemoveRails(f.pos);
        }
        if (f.flags & kQueueEntry)
            RemoveRails(f.pos);
        if (f.flags & kServeOut)
        {
            building.m_ServeOutGrid = f.pos;
            building.m_bHasOutGrid = true;
            if ((before & CELL_FOOTPATH) == 0)
            {
                cell->m_uiFlags |= CELL_FOOTPATH;
                Refresh(f.pos);
                RemoveRails(f.pos);
            }
        }
    }
    // Queue hook-up, pass 0: the queue entry inside the footprint opens towards the serve cell.
    for (const FootprintCell& f : cells)
    {
        if ((f.flags & kQueueEntry) == 0)
            continue;
        const GridPos& target = building.m_ServeInGrid.x != -1 ? building.m_ServeInGrid : building.m_ServeInOutGrid;
        const int32_t shape = EntryShapeTowards(f.pos, target);
        if (shape < 0)
            GetLogger()->Report(1, "ConstructionManager - the queue entry of %s at %d, %d is not beside its serve cell",
                                building.GetName(), f.pos.x, f.pos.y);
        else if (g_pPathTileSet)
            g_pPathTileSet->SetQueueTileShape(f.pos, static_cast<uint32_t>(shape));
        building.m_InsideQueueGrid = f.pos;
        RemoveRails(f.pos);
    }
    // Queue hook-up, pass 1: serve cells that are not footpath become queue path.
    for (const FootprintCell& f : cells)
    {
        MapCell* cell = CellAt(f.pos);
        for (uint32_t code : {kServeInOut, kServeIn})
        {
            if ((f.flags & code) == 0 || (cell->m_uiFlags & CELL_FOOTPATH) != 0)
                continue;
            cell->m_uiFlags |= CELL_QUEUE | CELL_NO_JOIN;
            if (g_pPathTileSet)
                g_pPathTileSet->RefreshTile(f.pos, false, false);
            RemoveRails(f.pos);
        }
    }
}

// ---------------------------------------------------------------- demolition

int32_t ConstructionManager::StartDemolition(uint32_t id)
{
    BuildingObject* building = FindBuilding(id);
    if (!building)
        return 0;
    ++m_ConstructionCount;
    Record* record = FindMutable(id);
    if (!record)
        record = &AddRecord(id);
    record->m_bUnderConstruction = false;
    record->m_bUnderDemolishion = true;
    ++m_RecordVersion;
    // The building empties before it may go.
    record->m_BuildingReady = false;
    if (g_pWorld)
    {
        MessageRecord going;
        going.dwSender = id;
        going.dwType = MT_BUILDING_BEING_REMOVED;
        g_pWorld->SendToAllHumans(going);
    }
    for (RepairManager* repairs : {GetMechanicsRepair(), GetZooRepair()})
    {
        if (repairs)
            repairs->CancelRepair(id);
    }
    if (CleaningManager* cleaning = GetCleaningManager())
        cleaning->CancelCleaning(id);
    // The messages above may have removed it.
    if ((building = FindBuilding(id)) != nullptr)
        TakeUpConnections(*building);
    return 0;
}

void ConstructionManager::TakeUpConnections(BuildingObject& building)
{
    // Removing, pass 0: the queue entry, the laid footpath and the connection marks go.
    for (const FootprintCell& f : WalkFootprint(building))
    {
        MapCell* cell = CellAt(f.pos);
        if (f.flags & kQueueEntry)
        {
            cell->m_uiFlags &= ~CELL_NO_JOIN;
            if (g_pPathTileSet)
                g_pPathTileSet->RemoveQueueTile(f.pos);
            AddRails(f.pos);
        }
        if (f.flags & kLayFootpath)
        {
            if (g_pPathTileSet)
                g_pPathTileSet->RemovePathTile(f.pos);
            AddRails(f.pos);
        }
        if (f.flags & kConnection)
            cell->m_uiFlags &= ~CELL_CONNECTION;
        if (f.flags & (kServeInOut | kServeIn))
            cell->m_uiFlags &= ~CELL_NO_JOIN;
    }
}

void ConstructionManager::ClearFootprint(BuildingObject& building)
{
    const std::vector<FootprintCell> cells = WalkFootprint(building);
    for (const FootprintCell& f : cells)
    {
        if (f.flags == 0)
            continue;
        MapCell* cell = CellAt(f.pos);
        if ((f.flags & (kServeInOut | kServeIn)) && (cell->m_uiFlags & CELL_QUEUE))
        {
            if (g_pPathTileSet)
                g_pPathTileSet->RemoveQueueTile(f.pos);
            AddRails(f.pos);
        }
        if (cell->m_uiFlags & CELL_CONSTRUCTION)
        {
            cell->m_uiFlags &= ~CELL_CONSTRUCTION;
            Refresh(f.pos);
        }
        cell->m_uiFlags &= ~(CELL_BUILDING | CELL_WALKABLE);
        cell->m_ZOffset = 0.0f;
        if (cell->m_uiFlags & CELL_GRID_WALKABLE)
            cell->m_uiFlags |= CELL_WALKABLE;
        if ((f.base & kRepaint) && g_pWorldMap)
            g_pWorldMap->RestoreBaseMapTexel(f.pos.x, f.pos.y);
    }
    // Removing, pass 1: the building's ground tiles are ground again.
    for (const FootprintCell& f : cells)
    {
        if (f.base != kBuildingTile)
            continue;
        MapCell* cell = CellAt(f.pos);
        cell->m_uiFlags &= ~CELL_BUILDING;
        if (cell->m_uiFlags & CELL_GRID_WALKABLE)
            cell->m_uiFlags |= CELL_WALKABLE;
    }
}

void ConstructionManager::FinishDemolition(uint32_t id)
{
    BuildingObject* building = FindBuilding(id);
    if (building)
    {
        ClearFootprint(*building);
        const int32_t cost = std::max(building->GetInfo().iCost2Build, 0);
        PayRefund(kRefundShare * static_cast<float>(cost));
        building->SetWaitingForDeath(true);
    }
    RemoveRecord(id);
}

void ConstructionManager::PayRefund(float amount)
{
    if (!g_pWorld || !std::isfinite(amount))
        return;
    if (Player* player = g_pWorld->GetPlayer())
        player->Cash += amount;
    g_pWorld->m_fIncomeToday += amount;
    g_pWorld->m_fDemolishIncomeToday += amount;
}

void ConstructionManager::RepaintGround(uint32_t id)
{
    if (const BuildingObject* building = FindBuilding(id))
        RepaintGround(*building);
}

void ConstructionManager::RepaintGround(const BuildingObject& building)
{
    if (!g_pWorldMap)
        return;
    for (const FootprintCell& f : WalkFootprint(building))
    {
        if (f.base & kRepaint)
            g_pWorldMap->ClearBaseMapTexel(f.pos.x, f.pos.y);
    }
}

// ---------------------------------------------------------------- save and load

void ConstructionManager::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteHeader("Class name : ConstructionManager");
    stream.WriteInt("sizeof", kSaveSize);
    stream.WriteInt("List size", static_cast<int32_t>(m_Records.size()));
    for (const auto& record : m_Records)
    {
        stream.WriteUInt("BuildID", record->BuildID);
        stream.WriteFloat("m_fConstStart", record->m_fConstStart);
        stream.WriteFloat("m_fDemolishStart", record->m_fDemolishStart);
        stream.WriteFloat("m_fConstDone", record->m_fConstDone);
        stream.WriteFloat("m_fDemolishDone", record->m_fDemolishDone);
        stream.WriteBool("m_bUnderConstruction", record->m_bUnderConstruction);
        stream.WriteBool("m_bUnderDemolishion", record->m_bUnderDemolishion);
        stream.WriteBool("m_BuildingReady", record->m_BuildingReady);
        stream.WriteBool("m_Finished", record->m_Finished);
    }
    stream.WriteUInt("m_ConstructionCount", static_cast<uint32_t>(m_ConstructionCount));
}

bool ConstructionManager::Load(SerialStream& stream)
{
    // The buildings are loaded before their records: they are counted again whatever this load finds.
    ++m_RecordVersion;
    stream.BeginLoad();
    char header[128];
    int32_t size = 0;
    uint32_t count = 0;
    stream.ReadHeader(header, sizeof header);
    stream.ReadInt(&size);
    stream.ReadUInt(&count);
    if (count > kMaxSavedRecords)
    {
        GetLogger()->Report(0, "ConstructionManager::Load - the saved list holds %u records, more than %u", count,
                            kMaxSavedRecords);
        return false;
    }
    std::vector<std::unique_ptr<Record>> records;
    for (uint32_t i = 0; i < count && stream.Good(); ++i)
    {
        auto record = std::make_unique<Record>();
        stream.ReadUInt(&record->BuildID);
        stream.ReadFloat(&record->m_fConstStart);
        stream.ReadFloat(&record->m_fDemolishStart);
        stream.ReadFloat(&record->m_fConstDone);
        stream.ReadFloat(&record->m_fDemolishDone);
        stream.ReadBool(&record->m_bUnderConstruction);
        stream.ReadBool(&record->m_bUnderDemolishion);
        stream.ReadBool(&record->m_BuildingReady);
        stream.ReadBool(&record->m_Finished);
        records.push_back(std::move(record));
    }
    uint32_t constructions = 0;
    stream.ReadUInt(&constructions);
    if (!stream.Good())
    {
        GetLogger()->Report(0, "ConstructionManager::Load - the saved records are cut short");
        return false;
    }
    m_Records = std::move(records);
    Reindex();
    m_ConstructionCount = static_cast<int32_t>(constructions);
    return true;
}
