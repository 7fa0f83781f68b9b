// World: its side of the scenario's world script (variables, functions, cells, paths, queues and creation
// requests), the building-type checks of the build panel, stepping through buildings and staff, and the debug
// overlay's text.
#include "engine/core/GameClock.h"
#include "engine/core/Logger.h"
#include "engine/core/TextTable.h"
#include "engine/media/SoundManager.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/TextWriter.h"
#include "gui/GUIManager.h"
#include "platform/Random.h"
#include "platform/WideText.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldScript.h"
#include "world/BaseObject.h"
#include "world/CameraManager.h"
#include "world/CreationRequests.h"
#include "world/GuestArrivals.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/ParkFacts.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>

namespace
{

const BuildingFacts* FactsOf(const BaseObject* object)
{
    return dynamic_cast<const BuildingFacts*>(object);
}

bool IsFinished(const BaseObject* building)
{
    const BuildingFacts* facts = FactsOf(building);
    return !facts || (!facts->IsUnderConstruction() && !facts->IsBeingDemolished());
}

// Buildings of a definition name (all, or those neither under construction nor being demolished): as the
// construction records count them, or by a walk over the buildings without them.
uint32_t CountNamed(const ParkManagers& managers, const char* name, bool finishedOnly)
{
    if (const auto* census = dynamic_cast<const ConstructionService*>(managers.construction.get()))
        return census->CountBuildings(name, finishedOnly);
    if (!g_pObjectManager || !name)
        return 0;
    uint32_t count = 0;
    const uint32_t buildings = g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING);
    for (uint32_t i = 0; i < buildings; ++i)
    {
        const BaseObject* building = g_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, i);
        if (std::strcmp(building->GetName(), name) == 0 && (!finishedOnly || IsFinished(building)))
            ++count;
    }
    return count;
}

std::vector<BaseObject*> Buildings()
{
    return g_pObjectManager ? g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING) : std::vector<BaseObject*>();
}

uint32_t CountOfKind(uint8_t kind)
{
    return g_pObjectManager ? g_pObjectManager->CountObjectsOfKind(kind) : 0;
}

// The attraction category of a building's type; kAttractNone when the tables do not know it.
int32_t CategoryOf(const BaseObject* building)
{
    if (!g_pWorldParams)
        return kAttractNone;
    const int32_t type = g_pWorldParams->FindBuilding(building->GetName());
    return type == WorldParams::kNotFound ? kAttractNone : g_pWorldParams->GetBuildingInfo(type).iAttractCategory;
}

uint32_t CountOfCategory(int32_t category)
{
    uint32_t count = 0;
    for (const BaseObject* building : Buildings())
        count += CategoryOf(building) == category ? 1 : 0;
    return count;
}

// Copies a definition keyword into a request, cut to its room with a report.
void CopyKeyword(char (&keyword)[kCreationKeywordSize], const char* name)
{
    const size_t length = name ? std::strlen(name) : 0;
    if (length >= kCreationKeywordSize)
        GetLogger()->Report(0, "World - creation keyword longer than %u characters cut - %s", kCreationKeywordSize - 1,
                            name);
    const size_t kept = std::min<size_t>(length, kCreationKeywordSize - 1);
    if (kept)
        std::memcpy(keyword, name, kept);
    keyword[kept] = '\0';
}

bool SendCreation(uint32_t kind, const void* payload)
{
    return g_pMessageHandler && g_pMessageHandler->SendToWorld(CreationRecord(kind), payload);
}

// Ids of the objects in the order of their names, ties in id order.
template <typename Name> std::vector<uint32_t> SortedIds(std::vector<std::pair<Name, uint32_t>> named)
{
    std::sort(named.begin(), named.end());
    std::vector<uint32_t> ids;
    for (const auto& entry : named)
        ids.push_back(entry.second);
    return ids;
}

uint32_t Step(const std::vector<uint32_t>& ids, uint32_t current, bool forward)
{
    const auto found = std::find(ids.begin(), ids.end(), current);
    if (found == ids.end())
        return current;
    const size_t index = static_cast<size_t>(found - ids.begin());
    const size_t count = ids.size();
    return ids[forward ? (index + 1) % count : (index + count - 1) % count];
}

} // namespace

uint32_t World::CountOpenRepairRequests() const
{
    const auto* repairs = dynamic_cast<const RepairService*>(m_Managers.mechanicsRepair.get());
    return repairs ? repairs->CountOpenRequests() : 0;
}

ScriptValue World::GetScriptVariable(const ScriptOperand& operand)
{
    switch (operand.id)
    {
    case SCRIPT_OPERAND_TEXT:
        return ScriptValue::Text(operand.text);
    case SCRIPT_OPERAND_NUMBER:
        return ScriptValue::Float(operand.real);
    case SCRIPT_OPERAND_RAND:
        // A range of 0 has no values (the script reported it when it was compiled).
        return ScriptValue::UInt(operand.number ? static_cast<uint32_t>(platform::Rand()) % operand.number : 0);
    case SCRIPT_OPERAND_RANDOM:
        return ScriptValue::Bool(operand.number && static_cast<uint32_t>(platform::Rand()) % operand.number == 0);
    case WV_GuestCount:
        return ScriptValue::UInt(static_cast<uint32_t>(m_NumGuests));
    case WV_BreakdownCount:
        return ScriptValue::UInt(CountOpenRepairRequests());
    case WV_Flag:
        if (operand.number == kWorldNoIndex)
            return ScriptValue::UInt(0);
        return ScriptValue::UInt(static_cast<uint32_t>(m_ScriptFlags) & (1u << (operand.number % 32)));
    case WV_CleanerCount:
        return ScriptValue::UInt(CountOfKind(OBJECT_CLEANER));
    case WV_MechanicCount:
        return ScriptValue::UInt(CountOfKind(OBJECT_MECHANIC));
    case WV_ZooCount:
        return ScriptValue::UInt(CountOfKind(OBJECT_ZOOKEEPER));
    case WV_AllStaffCount:
        return ScriptValue::UInt(CountOfKind(OBJECT_CLEANER) + CountOfKind(OBJECT_MECHANIC) +
                                 CountOfKind(OBJECT_ZOOKEEPER));
    case WV_Var:
        return ScriptValue::UInt(operand.number < kScriptVarCount ? static_cast<uint32_t>(m_ScriptVars[operand.number])
                                                                  : 0);
    case WV_ScenarioObj:
        return ScriptValue::UInt(operand.number < kObjectiveCount ? m_iObjectiveStatus[operand.number] : 0);
    case WV_SandBox:
        return ScriptValue::Bool(m_bSandbox);
    case WV_LitterCount:
        return ScriptValue::UInt(CountOfKind(OBJECT_LITTER));
    case WV_UnHappyLeavers:
        return ScriptValue::UInt(static_cast<uint32_t>(m_TotalGuestUnhappyDepart[0] + m_TotalGuestUnhappyDepart[1]));
    case WV_ProfitToday:
        return ScriptValue::Float(m_fIncomeToday - m_fCostsToday);
    case WV_ConstructCount:
        return ScriptValue::UInt(static_cast<uint32_t>(m_BuildingsConstructed));
    case WV_AllBuildingsOperating:
    {
        bool operating = true;
        for (const BaseObject* building : Buildings())
        {
            const BuildingFacts* facts = FactsOf(building);
            operating = operating && !(facts && facts->IsBrokenDown());
        }
        return ScriptValue::Bool(operating);
    }
    case WV_GuestBeautyLevel:
        return ScriptValue::Float(m_fGuestAverages[AV_BEAUTY]);
    case WV_DiffConstructCount:
    {
        std::set<std::string> names;
        for (const BaseObject* building : Buildings())
        {
            const BuildingFacts* facts = FactsOf(building);
            if (facts && facts->IsPlayerBuilt())
                names.insert(building->GetName());
        }
        return ScriptValue::UInt(static_cast<uint32_t>(names.size()));
    }
    case WV_BuildTreeExist:
    {
        bool all = true;
        for (int32_t i = 0; i < m_NumValidBuildings; ++i)
            all = all && CountFinishedBuildings(m_ValidBuildingIDs[i]) > 0;
        return ScriptValue::Bool(all);
    }
    case WV_BuildingCount:
        return ScriptValue::UInt(CountNamed(m_Managers, operand.text, false));
    case WV_NumBuildings:
        return ScriptValue::UInt(CountOfKind(OBJECT_BUILDING));
    case WV_IncomeToday:
        return ScriptValue::Float(m_fIncomeToday);
    case WV_RidesBuilt:
        return ScriptValue::UInt(CountOfCategory(kAttractRide));
    case WV_AmusementBuilt:
        return ScriptValue::UInt(CountOfCategory(kAttractAmusement));
    case WV_AnimalExhibitCount:
    {
        uint32_t count = 0;
        for (const BaseObject* building : Buildings())
        {
            const BuildingFacts* facts = FactsOf(building);
            count += CategoryOf(building) == kAttractAnimal && !(facts && facts->IsBeingDemolished()) ? 1 : 0;
        }
        return ScriptValue::UInt(count);
    }
    case WV_AverageAnimalHappy:
    {
        float sum = 0.0f;
        uint32_t count = 0;
        if (g_pObjectManager)
        {
            for (const BaseObject* animal : g_pObjectManager->GetObjectsOfKind(OBJECT_ANIMAL))
            {
                const AnimalFacts* facts = dynamic_cast<const AnimalFacts*>(animal);
                sum += facts ? facts->GetHappiness() : 0.0f;
                ++count;
            }
        }
        m_fAnimalHappyAverage = count ? sum / static_cast<float>(count) : 0.0f;
        return ScriptValue::Float(m_fAnimalHappyAverage);
    }
    case WV_LowestGuestAverage:
    {
        float lowest = 10.0f;
        for (float average : m_fGuestAverages)
            lowest = std::min(lowest, average);
        m_fLowestGuestAverage = lowest;
        return ScriptValue::Float(lowest);
    }
    case WV_AnimalExhibitIncome:
    {
        float income = 0.0f;
        for (const BaseObject* building : Buildings())
        {
            const BuildingFacts* facts = FactsOf(building);
            if (facts && CategoryOf(building) == kAttractAnimal)
                income += facts->GetIncomeToday();
        }
        return ScriptValue::Float(income);
    }
    case WV_VisitCount:
    {
        uint32_t visits = 0;
        if (g_pObjectManager)
        {
            for (const BaseObject* building : g_pObjectManager->GetBuildingsByName(operand.text))
            {
                const BuildingFacts* facts = FactsOf(building);
                if (facts && IsFinished(building))
                    visits += facts->GetVisitsToday();
            }
        }
        return ScriptValue::UInt(visits);
    }
    case WV_AnimalTotalIncome:
        return ScriptValue::Float(m_fAnimalIncomeTotal);
    case WV_GuestAverageWelfare:
        return ScriptValue::Float(m_fGuestAverages[AV_WELFARE]);
    case WV_KaikoShowScore:
    {
        const std::vector<BaseObject*> shows =
            g_pObjectManager ? g_pObjectManager->GetBuildingsByName("KAIKOADV") : std::vector<BaseObject*>();
        const BuildingFacts* facts = shows.empty() ? nullptr : FactsOf(shows.front());
        return ScriptValue::Float(facts ? facts->GetShowScore() : 0.0f);
    }
    case WV_Me:
        return ScriptValue::UInt(kWorldID);
    case WV_GameTime:
        return ScriptValue::Float(m_GameDayTime);
    case WV_ResortRating:
        return ScriptValue::UInt(static_cast<uint32_t>(m_iParkRating));
    case WV_GameDay:
        return ScriptValue::UInt(static_cast<uint32_t>(m_GameDay));
    case WV_PlayerCash:
        return ScriptValue::Float(m_pPlayer ? m_pPlayer->Cash : 0.0f);
    default:
        return ScriptValue::Bool(false);
    }
}

void World::SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value)
{
    switch (operand.id)
    {
    case WV_Flag:
    {
        // A flag word without an index was reported when the script was compiled.
        if (operand.number == kWorldNoIndex)
            return;
        const uint32_t bit = 1u << (operand.number % 32);
        uint32_t flags = static_cast<uint32_t>(m_ScriptFlags);
        flags = ScriptValueToInt(value) != 0 ? flags | bit : flags & ~bit;
        m_ScriptFlags = static_cast<int32_t>(flags);
        return;
    }
    case WV_Var:
        // An index beyond the variables was reported when the script was compiled.
        if (operand.number < kScriptVarCount)
            m_ScriptVars[operand.number] = static_cast<int32_t>(ScriptValueToInt(value));
        return;
    case WV_ScenarioObj:
    {
        if (operand.number >= kObjectiveCount)
            return;
        const uint32_t status = ScriptValueToInt(value);
        if (status == m_iObjectiveStatus[operand.number])
            return;
        m_iObjectiveStatus[operand.number] = status;
        RedrawObjectives();
        return;
    }
    case WV_GameTime:
    {
        const WorldScript* script = m_ScriptManager.GetWorldScript();
        if (!script || !script->IsInStartupState())
            return;
        const float hours = ScriptValueToFloat(value);
        if (!(hours >= 0.0f && hours <= 24.0f))
        {
            GetLogger()->Report(0, "World - GameTime %g is not an hour of the day (0 to 24) - the clock is kept",
                                static_cast<double>(hours));
            return;
        }
        SetGameTime(static_cast<double>(m_iDayLength) / 24.0 * static_cast<double>(hours));
        m_GameDayTime = hours;
        m_LastGameDayTime = hours;
        m_fLastGameDayTime = hours;
        // What the script goes on to build starts its animations on the clock just set, not on the one before it.
        g_AnimationScheduler.Update(GetAnimationTime());
        return;
    }
    case WV_PlayerCash:
    {
        const float cash = ScriptValueToFloat(value);
        // Cash that is no number buys nothing and makes a saved park that no longer loads.
        if (!std::isfinite(cash))
        {
            GetLogger()->Report(0, "World - PlayerCash %g is not a sum of money - the cash is kept",
                                static_cast<double>(cash));
            return;
        }
        if (m_pPlayer)
            m_pPlayer->Cash = cash;
        return;
    }
    default:
        return;
    }
}

void World::CallScriptFunction(uint32_t function)
{
    switch (function)
    {
    case WF_PauseGame:
        m_bPaused = true;
        m_bForcedPaused = true;
        return;
    case WF_ResumeGame:
        m_bPaused = false;
        return;
    case WF_NoBreakDowns:
        m_bBreakDownsAllowed = false;
        return;
    case WF_AllowBreakDowns:
        m_bBreakDownsAllowed = true;
        return;
    case WF_NoLitter:
        m_bAllowLitter = false;
        return;
    default:
    {
        // Said once for each bad index: a list run every frame would otherwise raise a message box every frame.
        const uint64_t bit = uint64_t{1} << std::min<uint32_t>(function, 63);
        if (!(m_BadFunctionsReported & bit))
            GetLogger()->Report(0, "An invalid function has been called within the world script");
        m_BadFunctionsReported |= bit;
        return;
    }
    }
}

bool World::GetCellAt(float mapX, float mapY, int32_t* gridX, int32_t* gridY, uint32_t* flags) const
{
    if (!g_pWorldMap)
        return false;
    const GridPos pos = WorldMap::WorldToGrid({mapX, mapY, 0.0f});
    const MapCell* cell = g_pWorldMap->GetCell(pos);
    if (!cell)
        return false;
    *gridX = pos.x;
    *gridY = pos.y;
    *flags = cell->m_uiFlags;
    return true;
}

namespace
{

// The steps [first, last] of a straight walk from `from` by `delta` a step that lie within 0 to size - 1 on one
// axis; first > last when none does.
std::pair<int64_t, int64_t> StepsWithin(int64_t from, int64_t delta, int64_t size)
{
    if (delta == 0)
        return from >= 0 && from < size ? std::pair<int64_t, int64_t>{0, INT64_MAX} : std::pair<int64_t, int64_t>{1, 0};
    if (delta > 0)
        return {std::max<int64_t>(0, -from), size - 1 - from};
    return {std::max<int64_t>(0, from - (size - 1)), from};
}

} // namespace

void World::LayPath(int32_t x, int32_t y, uint32_t direction, int32_t count)
{
    if (!g_pWorldMap || direction > 7)
        return;
    // The cells off the map are passed over: the walk lays the steps that lie on the map on both axes.
    const auto [firstX, lastX] = StepsWithin(x, kDirectionDX[direction], g_pWorldMap->GetWidth());
    const auto [firstY, lastY] = StepsWithin(y, kDirectionDY[direction], g_pWorldMap->GetHeight());
    const int64_t first = std::max(firstX, firstY);
    const int64_t last = std::min({lastX, lastY, int64_t{count} - 1});
    // A path that lays nothing at all (no cells asked for, or every one off the map) is a slip in the script.
    if (first > last)
    {
        GetLogger()->Report(0, "World::LayPath - the path of %d cells from %d, %d lays no cell on the map", count, x,
                            y);
        return;
    }
    for (int64_t step = first; step <= last; ++step)
    {
        const GridPos pos{static_cast<int32_t>(x + step * kDirectionDX[direction]),
                          static_cast<int32_t>(y + step * kDirectionDY[direction])};
        MapCell* cell = g_pWorldMap->GetCell(pos);
        if (!cell)
            continue;
        cell->m_uiFlags |= CELL_FOOTPATH;
        if (g_pPathTileSet)
            g_pPathTileSet->RefreshTile(pos, false, true);
    }
}

void World::SetQueueCell(int32_t x, int32_t y, uint32_t shape)
{
    MapCell* cell = g_pWorldMap ? g_pWorldMap->GetCell({x, y}) : nullptr;
    if (!cell)
    {
        GetLogger()->Report(0, "World::SetQueueCell - cell %d, %d is off the map", x, y);
        return;
    }
    cell->m_uiFlags =
        (cell->m_uiFlags & ~CELL_QUEUE_SHAPE) | CELL_QUEUE | ((shape << kQueueShapeShift) & CELL_QUEUE_SHAPE);
    // The footpath beside it shows the queue's openings now, as it will once the park is saved and loaded and every
    // tile is worked out again.
    if (g_pPathTileSet)
        g_pPathTileSet->SetQueueTileShape({x, y}, QueueShapeOf(cell->m_uiFlags));
}

void World::RequestScenery(uint32_t kind, const char* name, int32_t gridX, int32_t gridY, uint8_t direction)
{
    if (kind == OBJECT_LITTER)
    {
        LitterCreationRequest litter;
        CopyKeyword(litter.szKeyword, name);
        litter.iGridX = gridX;
        litter.iGridY = gridY;
        litter.bDirection = direction;
        SendCreation(kind, &litter);
        return;
    }
    SceneryCreationRequest request;
    CopyKeyword(request.szKeyword, name);
    request.iGridX = gridX;
    request.iGridY = gridY;
    request.bHasDirection = 1;
    request.bDirection = direction;
    request.dwOwner = kWorldID;
    SendCreation(kind, &request);
}

void World::RequestGuest(const char* name, float mapX, float mapY, uint32_t hours)
{
    GuestCreationRequest request;
    CopyKeyword(request.szKeyword, name);
    request.position = {mapX, mapY, 0.0f};
    request.bStartsAtEntrance = 0;
    request.iHoursInPark = static_cast<int32_t>(hours);
    SendCreation(OBJECT_GUEST, &request);
}

void World::RequestBuilding(const char* name, int32_t gridX, int32_t gridY, uint32_t rotation, float price,
                            uint32_t age, bool broken)
{
    BuildingCreationRequest request;
    CopyKeyword(request.szKeyword, name);
    request.iGridX = gridX;
    request.iGridY = gridY;
    request.iRotation = static_cast<int32_t>(rotation);
    request.fPrice = price;
    request.iBuildingAge = static_cast<int32_t>(age);
    request.bCreatedBroken = broken ? 1 : 0;
    SendCreation(OBJECT_BUILDING, &request);
}

void World::RequestStaff(uint32_t kind, const char* name)
{
    for (const BaseObject* building : Buildings())
    {
        const BuildingFacts* facts = FactsOf(building);
        if (!facts || !facts->IsStaffRoom())
            continue;
        StaffCreationRequest request;
        CopyKeyword(request.szKeyword, name);
        request.dwBuilding = building->GetID();
        SendCreation(kind, &request);
        return;
    }
}

void World::AdoptAnimal(uint32_t slot)
{
    BaseObject* building = g_pObjectManager ? g_pObjectManager->GetObject(m_dwLastCreatedBuilding) : nullptr;
    if (BuildingFacts* facts = dynamic_cast<BuildingFacts*>(building))
        facts->AdoptAnimal(slot);
    else
        GetLogger()->Report(0, "World::AdoptAnimal - no building was created to take the animal of slot %u", slot);
}

void World::MoveCamera(float mapX, float mapY)
{
    // A place that is no number would leave the view on no place at all, for good.
    if (!std::isfinite(mapX) || !std::isfinite(mapY))
    {
        GetLogger()->Report(0, "World::MoveCamera - %g, %g is no place on the map - the view is kept",
                            static_cast<double>(mapX), static_cast<double>(mapY));
        return;
    }
    // The current camera's view starts afresh and jumps to look at the place.
    const platform::Vec3 scene = WorldMap::WorldToScene({mapX, mapY, 0.0f});
    if (g_pCameraManager)
    {
        g_pCameraManager->ResetView();
        g_pCameraManager->SetLookAt(scene.x, scene.y, scene.z, true);
    }
}

void World::ShowMenu(const char* dialog, const char* parameter)
{
    // A modal dialog with no listener; the parameter is a text id, handed on as its place in the text table (-1,
    // nothing to show, without one or for an id the table does not hold).
    if (!g_pGUIManager || !dialog)
        return;
    const int32_t param = g_pTextTable ? g_pTextTable->FindIndex(parameter) : -1;
    g_pGUIManager->OpenDialogWithParam(dialog, param, nullptr, true);
}

void World::EmitTicker(const char* textKey)
{
    if (m_Managers.feedback && textKey)
        m_Managers.feedback->AddMessage(textKey, kWorldID, kTickerMessage);
}

bool World::HandleWorldScriptMessage(const MessageRecord& record)
{
    WorldScript* script = m_ScriptManager.GetWorldScript();
    if (!script)
        return false;
    if (record.dwType != MT_STATECHANGE)
        return script->Message(record);
    if (record.dwData >= script->GetNumStates())
    {
        GetLogger()->Report(0, "World::HandleMessage - world script State %d does not exist - the State is kept",
                            static_cast<int32_t>(record.dwData));
        return true;
    }
    // A change the world script asked for at once, held back (by the pause) until its State had been left: that
    // State no longer decides where the script goes.
    if (record.dwSender == kWorldID && record.dwData2 != 0 && !script->MayChangeStateFor(record.dwData2 - 1))
        return true;
    script->PerformOnExit();
    script->ChangeStateTo(record.dwData);
    return true;
}

float World::GetRescueAcceptRatio() const
{
    const float ratio = m_Managers.rescue ? m_Managers.rescue->GetAcceptanceRatio() : 0.0f;
    if (!(ratio > 0.0f))
        return 0.0f;
    return ratio < 1.0f ? ratio : 1.0f;
}

bool World::IsValidBuildingType(int32_t type) const
{
    const int32_t* end = m_ValidBuildingIDs + m_NumValidBuildings;
    return std::find(m_ValidBuildingIDs, end, type) != end;
}

namespace
{

const BuildingInfo* InfoOf(int32_t type)
{
    if (!g_pWorldParams || type < 0 || static_cast<uint32_t>(type) >= g_pWorldParams->GetBuildingCount())
        return nullptr;
    return &g_pWorldParams->GetBuildingInfo(type);
}

} // namespace

uint32_t World::CountBuildings(int32_t type) const
{
    const BuildingInfo* info = InfoOf(type);
    return info ? CountNamed(m_Managers, info->keyword, false) : 0;
}

uint32_t World::CountFinishedBuildings(int32_t type) const
{
    const BuildingInfo* info = InfoOf(type);
    return info ? CountNamed(m_Managers, info->keyword, true) : 0;
}

bool World::CanBuildType(int32_t type) const
{
    const BuildingInfo* info = InfoOf(type);
    if (!info || !IsValidBuildingType(type) || !info->IsAvailable())
        return false;
    if (info->iMaxInstances > 0 && CountBuildings(type) >= static_cast<uint32_t>(info->iMaxInstances))
        return false;
    return !info->NeedsBuildingFirst() || CountNamed(m_Managers, info->szTree, false) > 0;
}

bool World::IsBuildTypeAtLimit(int32_t type) const
{
    const BuildingInfo* info = InfoOf(type);
    if (!info || !IsValidBuildingType(type) || !info->IsAvailable())
        return false;
    if (info->NeedsBuildingFirst() && CountNamed(m_Managers, info->szTree, false) == 0)
        return false;
    return info->iMaxInstances > 0 && CountBuildings(type) >= static_cast<uint32_t>(info->iMaxInstances);
}

bool World::CheckBuildRequirement(int32_t type) const
{
    const BuildingInfo* info = InfoOf(type);
    if (!info || !IsValidBuildingType(type) || !info->IsAvailable())
        return false;
    if (info->iMaxInstances > 0 && CountBuildings(type) >= static_cast<uint32_t>(info->iMaxInstances))
        return false;
    if (!info->NeedsBuildingFirst())
        return true;
    // True while the building that must stand first is still missing: the panel then names the requirement.
    return CountNamed(m_Managers, info->szTree, true) == 0;
}

uint32_t World::StepBuilding(uint32_t current, bool forward) const
{
    std::vector<std::pair<std::u16string, uint32_t>> named;
    for (const BaseObject* building : Buildings())
    {
        if (building->IsWaitingForDeath())
            continue;
        const BuildingFacts* facts = FactsOf(building);
        named.emplace_back(facts ? facts->GetDisplayName() : platform::AnsiToWide(building->GetName()),
                           building->GetID());
    }
    return Step(SortedIds(std::move(named)), current, forward);
}

uint32_t World::StepStaff(uint32_t current, bool forward) const
{
    std::vector<std::pair<std::string, uint32_t>> named;
    if (g_pObjectManager)
    {
        const BaseObject* from = g_pObjectManager->GetObject(current);
        // Only the members of the current one's kind: a cleaner's panel steps through the cleaners.
        for (const BaseObject* staff : g_pObjectManager->GetStaffObjects())
        {
            if (from && staff->GetType() == from->GetType())
                named.emplace_back(staff->GetName(), staff->GetID());
        }
    }
    return Step(SortedIds(std::move(named)), current, forward);
}

std::vector<std::string> World::GetDebugInfoLines() const
{
    std::vector<std::string> lines;
    char text[128];
    auto add = [&](int length)
    {
        if (length >= 0)
            lines.emplace_back(text);
    };
    if (m_bDebugDisplay[0])
    {
        GridPos cursor{-1, -1};
        platform::Vec3 position{0.0f, 0.0f, 0.0f};
        uint32_t flags = 0;
        if (g_pWorldMap)
        {
            if (g_pWorldMap->GetCursorGridPos(&cursor))
                flags = g_pWorldMap->GetFlags(cursor);
            g_pWorldMap->GetCursorWorldPos(&position);
        }
        add(std::snprintf(text, sizeof text, "Num World Objects - %u",
                          g_pObjectManager ? g_pObjectManager->GetNumActiveObjects() : 0u));
        add(std::snprintf(text, sizeof text, "Cursor Cell Flags - %x", flags));
        add(std::snprintf(text, sizeof text, "Cursor Grid Position - %d, %d", cursor.x, cursor.y));
        add(std::snprintf(text, sizeof text, "Cursor World Position - %f, %f", static_cast<double>(position.x),
                          static_cast<double>(position.y)));
        add(std::snprintf(text, sizeof text, "GameTime - %f", static_cast<double>(m_fGameTime)));
        add(std::snprintf(text, sizeof text, "GameDayTime - %.2f", static_cast<double>(m_GameDayTime)));
        add(std::snprintf(text, sizeof text, "Game Speed - %.1fX", static_cast<double>(m_fGameSpeed)));
        add(std::snprintf(text, sizeof text, "Litter Count - %u", CountOfKind(OBJECT_LITTER)));
        add(std::snprintf(text, sizeof text, "Target guest count - %d, unhappy today - %d",
                          m_pGuestArrivals ? m_pGuestArrivals->GetTarget() : 0,
                          m_TodayGuestUnhappyDepart[0] + m_TodayGuestUnhappyDepart[1]));
    }
    if (m_bDebugDisplay[1])
    {
        const GameClock* clock = g_pGameClock;
        add(std::snprintf(text, sizeof text, "FPS - %d", clock ? clock->GetFramesPerSecond() : 0));
        add(std::snprintf(text, sizeof text, "NumFrames - %d", clock ? clock->GetFrameCount() : 0));
        add(std::snprintf(text, sizeof text, "CurrentTime - %.2f",
                          static_cast<double>(clock ? clock->GetElapsed() : 0.0f)));
        add(std::snprintf(text, sizeof text, "DeltaTime - %.2f",
                          static_cast<double>(clock ? clock->GetFrameTime() : 0.0f)));
        add(std::snprintf(text, sizeof text, "LOGIC time  - %d", clock ? clock->GetUpdateTime() : 0));
        add(std::snprintf(text, sizeof text, "RENDER time - %d", clock ? clock->GetRenderTime() : 0));
        const SoundManager* sound = g_pSoundManager;
        add(std::snprintf(text, sizeof text, "SOUND CPU - %d%%", sound ? sound->GetCPUUsage() : 0));
        add(std::snprintf(text, sizeof text, "SOUND MEM - %uK", sound ? sound->GetMemoryUsed() / 1024u : 0u));
    }
    return lines;
}

void World::DrawDebugInfo(TextWriter& writer) const
{
    int y = 0;
    for (const std::string& line : GetDebugInfoLines())
    {
        writer.DrawLine(0, y, platform::AnsiToWide(line.c_str()).c_str());
        y += 12;
    }
}
