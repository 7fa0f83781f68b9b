// BuildingObject: creation, the states from construction to demolition, the frame update, opening, closing and
// selling, the animals held, and the points and facts the building answers.
#include "park/BuildingObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/media/ScriptedSound.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "park/AnimalObject.h"
#include "park/AnimalPathComponent.h"
#include "park/CleaningManager.h"
#include "park/ConstructionManager.h"
#include "park/CrowdFiller.h"
#include "park/Money.h"
#include "park/ParkGui.h"
#include "park/ParkManagers.h"
#include "park/QueueComponent.h"
#include "park/RepairManager.h"
#include "park/RideComponent.h"
#include "park/ShowScheduler.h"
#include "park/TableObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{

// The type of a building whose keyword the tables do not hold and that has no first type to fall back to.
const BuildingInfo kNoType{};

constexpr const char* kFallbackModel = "restlarge";
constexpr const char* kRoofPart = "ROOF_OFF_00";
// The menu of a rescue centre, and its dialog.
constexpr const char* kRescueMenu = "AnimalRescue";
// Half the size of the crosses that mark points in the debug view.
constexpr float kDebugCrossSize = 0.5f;
// The built-in material the status flags are drawn with: blended by the flag's alpha and writing no depth, so that the
// clear corners of a flag hide nothing drawn after it (a lagoon's water, the building's own glass).
constexpr int32_t kFlagMaterial = 9;

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

// A building type's keyword that needs a kind of building of its own.
bool IsNamed(const char* keyword, const char* a, const char* b)
{
    return std::strcmp(keyword, a) == 0 || std::strcmp(keyword, b) == 0;
}

void CopyKeyword(char (&to)[kCreationKeywordSize], const char* from)
{
    std::snprintf(to, sizeof to, "%s", from ? from : "");
}

const AnimalInfo* FindAnimalType(const char* keyword)
{
    if (!g_pWorldParams || !keyword)
        return nullptr;
    const int32_t id = g_pWorldParams->FindAnimal(keyword);
    return id == WorldParams::kNotFound ? nullptr : &g_pWorldParams->GetAnimalInfo(id);
}

} // namespace

BuildingObject::BuildingObject() : StaticObject(OBJECT_BUILDING), m_pInfo(&kNoType)
{
    std::fill(std::begin(m_staff_guest), std::end(m_staff_guest), kNoObjectID);
}

BuildingObject::~BuildingObject()
{
    if (g_pScriptedSound)
        g_pScriptedSound->StopObjectSounds(m_dwID);
}

long long BuildingObject::Truncated(double value, long long low, long long high)
{
    if (std::isnan(value))
        value = 0.0;
    if (value <= static_cast<double>(low))
        return low;
    if (value >= static_cast<double>(high))
        return high;
    return static_cast<long long>(value);
}

// ---------------------------------------------------------------- creation

void BuildingObject::Create(const char* name)
{
    StaticObject::Create(name);
    m_pInfo = &kNoType;
    if (g_pWorldParams)
    {
        int32_t type = g_pWorldParams->FindBuilding(m_Name);
        // An unknown keyword is reported and stands for the first type, as saved games expect.
        if (type == WorldParams::kNotFound)
            type = g_pWorldParams->GetBuildingID(m_Name);
        if (g_pWorldParams->GetBuildingCount() > 0)
            m_pInfo = &g_pWorldParams->GetBuildingInfo(type);
    }
    const BuildingInfo& info = *m_pInfo;

    // A new building: the members keep the values they are declared with, but for these.
    std::fill(std::begin(m_staff), std::end(m_staff), kNoObjectID);
    std::fill(std::begin(m_Tables), std::end(m_Tables), kNoObjectID);
    std::fill(std::begin(m_dwAnimals), std::end(m_dwAnimals), kNoObjectID);
    const int32_t hour = g_pWorld ? static_cast<int32_t>(g_pWorld->GetGameDayTime()) : 0;
    m_LastRepairCall = m_LastFailTime = hour;
    m_fAttractionPrice = info.fAttractPrice;
    m_bIsToilet = IsNamed(info.keyword, "RESTSMALL", "RESTLARGE");
    m_bIsStaffRoom = IsNamed(info.keyword, "STAFFSMALL", "STAFFLARGE");
    std::snprintf(m_RepairText, sizeof m_RepairText, "BUILDING_REPAIR_GOOD");
    for (std::vector<float>& opinions : m_Opinions)
        opinions.assign(1, 0.5f);

    // The type's model, else the fallback building's, else the placeholder every missing model shows.
    char path[256];
    std::snprintf(path, sizeof path, "%s/%s%s", WorldParams::GetBuildingModelPath(), info.keyword,
                  WorldParams::GetModelExtension());
    if (SetModel(path) == 0)
    {
        std::snprintf(path, sizeof path, "%s/%s%s", WorldParams::GetBuildingModelPath(), kFallbackModel,
                      WorldParams::GetModelExtension());
        if (SetModel(path) == 0 && g_ModelManager.GetCapacity() > 0)
        {
            GetLogger()->Report(1, "BuildingObject::Create - can't load the model of %s: the placeholder stands in",
                                m_Name);
            SetModel(ModelManager::kPlaceholderName);
        }
    }
    if (g_pWorld && g_pWorld->GetScene())
        g_pWorld->GetScene()->AddObject(this);
    if (info.bCutawayRoof)
    {
        EnableBone(kRoofPart, true);
        m_bRoofState = true;
    }

    m_AnimalPaths.clear();
    for (uint32_t slot = 0; slot < kMaxAnimalPaths; ++slot)
    {
        const AnimalInfo* animal = SlotAnimal(slot);
        if (animal && !animal->bUsePoints)
            m_AnimalPaths.push_back(std::make_unique<AnimalPathComponent>(animal->id));
    }
    m_pRide = std::make_unique<RideComponent>(m_dwID, info.iRideType, info.szRideModel, info.iGuestCapacity);
    m_pCrowd = info.bHasCrowd ? std::make_unique<CrowdFiller>() : nullptr;
    m_pScheduler = info.bHasScheduler
                       ? std::make_unique<ShowScheduler>(info.szShowName, info.iMinShowMoves, info.iMaxShowMoves)
                       : nullptr;
}

bool BuildingObject::SetUpFromRequest(uint8_t kind, const void* request)
{
    if (kind != OBJECT_BUILDING || !request)
        return true;
    const auto& r = *static_cast<const BuildingCreationRequest*>(request);
    m_BuildingAge = r.iBuildingAge;
    if (r.bCreatedBroken)
        BreakDown();
    return true;
}

const MapGridInfo* BuildingObject::GetMapGrid() const
{
    return m_pInfo->pMapGrid;
}

// ---------------------------------------------------------------- states

bool BuildingObject::IsStateSupported(uint32_t state)
{
    return state == STATE_NULL || state == STATE_STARTUP || state == STATE_DEMOLISHING || state == STATE_DEMOLISHED ||
           state == STATE_OCCUPIED;
}

bool BuildingObject::OnStateEntry(uint32_t state)
{
    ConstructionManager* construction = GetConstructionManager();
    switch (state)
    {
    case STATE_NULL:
        // Built: the building no longer counts as under construction.
        if (construction)
            construction->FinishConstruction(m_dwID);
        if (g_pScriptedSound)
            g_pScriptedSound->StartBuildingSound(m_dwID);
        m_bSoundPlaying = true;
        break;
    case STATE_STARTUP:
        m_bStarted = true;
        if (construction)
            construction->StartConstruction(m_dwID);
        PlaceModel();
        break;
    case STATE_DEMOLISHING:
        m_bBuiltByUser = false;
        if (construction)
            construction->StartDemolition(m_dwID);
        break;
    case STATE_DEMOLISHED:
        if (construction)
            construction->FinishDemolition(m_dwID);
        else
            m_bWaitingForDeath = true;
        break;
    default:
        break;
    }
    return true;
}

void BuildingObject::PlaceModel()
{
    platform::Vec3 centre;
    GetCentrePosition(centre);
    const float turn = GetRotation();
    SetPosition(centre.x, centre.y, centre.z);
    SetOrientation(0.0f, turn, 0.0f);
    m_pRide->SetOwner(m_dwID);
    m_pRide->SetPosition(centre.x, centre.y, centre.z);
    m_pRide->SetOrientation(0.0f, turn, 0.0f);
    for (const auto& path : m_AnimalPaths)
    {
        path->SetPosition(centre.x, centre.y, centre.z);
        path->SetOrientation(0.0f, turn, 0.0f);
    }
    if (m_pCrowd)
        m_pCrowd->SetOwner(m_dwID);
    if (m_pScheduler)
    {
        m_pScheduler->SetOwner(m_dwID);
        m_pScheduler->SetPosition(centre.x, centre.y, centre.z);
        m_pScheduler->SetOrientation(0.0f, turn, 0.0f);
    }
}

bool BuildingObject::OnStateExit()
{
    if (m_dwState != STATE_STARTUP)
        return true;
    CreateStaff();
    CreateTables();
    if (m_pInfo->bShowEnter)
        CreateEntrance();
    // A panel left asking to confirm opens again as the built building's.
    if (m_SelectLevel == 1)
    {
        CloseOwnDialogs();
        OnSelected(true, false);
    }
    CreateQueue();
    PlaceEntrance();
    AdoptFixedAnimals();
    if ((m_pInfo->bHasAnimals && m_iNumAnimals == 0) || (m_pQueueManager && !m_pQueueManager->IsValid()))
    {
        HideServers();
        m_OpenStatus = kClosed;
    }
    PostBreakdownCheck();
    AssignInstanceNumber();
    return true;
}

void BuildingObject::CreateStaff()
{
    if (!g_pMessageHandler)
        return;
    const MapGridInfo* grid = GetMapGrid();
    uint32_t count = m_pInfo->iHasStaff > 0 ? static_cast<uint32_t>(m_pInfo->iHasStaff) : 0;
    if (count > kMaxStaff)
    {
        GetLogger()->Report(1, "BuildingObject::CreateStaff - %s asks for %u servers: %u are hired", m_Name, count,
                            kMaxStaff);
        count = kMaxStaff;
    }
    for (uint32_t i = 0; i < count; ++i)
    {
        ServerCreationRequest request;
        CopyKeyword(request.szKeyword, m_pInfo->szStaffID);
        request.dwShop = m_dwID;
        if (!grid || !PlacePoint(grid->List(kStaffPoints), static_cast<int32_t>(i), request.position))
        {
            const GridPos& cell = m_ServeInOutGrid.x != -1 ? m_ServeInOutGrid : m_ServeInGrid;
            request.position = cell.x != -1 ? WorldMap::GetCellPoint(cell, 0) : m_WorldXYZ;
        }
        g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_SERVER), &request);
    }
}

void BuildingObject::CreateTables()
{
    const MapGridInfo* grid = GetMapGrid();
    if (!g_pMessageHandler || !grid)
        return;
    const MapPointList& points = grid->List(kTablePoints);
    int32_t count = std::max(points.count, 0);
    if (count > static_cast<int32_t>(kMaxTables))
    {
        GetLogger()->Report(1, "BuildingObject::CreateTables - %s has %d table points: %u tables are made", m_Name,
                            count, kMaxTables);
        count = kMaxTables;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        TableCreationRequest request;
        CopyKeyword(request.szKeyword, "table");
        CopyKeyword(request.szModel, m_pInfo->szTableModel);
        request.dwOwner = m_dwID;
        PlacePoint(points, i, request.position);
        g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_TABLE), &request);
    }
}

void BuildingObject::CreateEntrance()
{
    if (!g_pMessageHandler)
        return;
    SceneryCreationRequest request;
    std::snprintf(request.szKeyword, sizeof request.szKeyword, "ENTER%d", platform::Rand() % 3 + 1);
    const GridPos cell = GetGridPos();
    request.iGridX = cell.x;
    request.iGridY = cell.y;
    request.dwOwner = m_dwID;
    g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_SCENERY), &request);
}

void BuildingObject::CreateQueue()
{
    if (m_ServeInGrid.x != -1)
        m_pQueueManager = std::make_unique<QueueComponent>(m_InsideQueueGrid, m_ServeInGrid, false);
    else if (m_ServeInOutGrid.x != -1)
        m_pQueueManager = std::make_unique<QueueComponent>(m_InsideQueueGrid, m_ServeInOutGrid, true);
    else
        m_pQueueManager.reset();
}

void BuildingObject::AssignInstanceNumber()
{
    std::vector<uint32_t> taken;
    if (g_pObjectManager)
    {
        for (const BaseObject* other : g_pObjectManager->GetBuildingsByName(m_Name))
        {
            const auto* building = dynamic_cast<const BuildingObject*>(other);
            if (building && building != this && building->m_iInstanceNumber != 0xFFFFFFFF)
                taken.push_back(building->m_iInstanceNumber);
        }
    }
    std::sort(taken.begin(), taken.end());
    uint32_t number = static_cast<uint32_t>(taken.size());
    for (uint32_t i = 0; i < taken.size(); ++i)
    {
        if (taken[i] != i)
        {
            number = i;
            break;
        }
    }
    m_iInstanceNumber = number;
}

// ---------------------------------------------------------------- the frame

bool BuildingObject::Update()
{
    if (!StaticObject::Update())
        GetLogger()->Report(0, "BuildingObject::Update - error calling staticobject::update - %s", m_Name);
    if (m_dwState == STATE_DEMOLISHING)
        UpdateDemolishing();
    else if (m_dwState == STATE_NULL || m_dwState == STATE_OCCUPIED)
        UpdateWorking();
    UpdateSound();
    return true;
}

float BuildingObject::GetAnimalsSaleValue() const
{
    float value = 0.0f;
    for (uint32_t id : AnimalIds())
    {
        const auto* animal = dynamic_cast<const CaredAnimal*>(FindObject(id));
        if (animal && !std::isnan(animal->GetSaleValue()))
            value += animal->GetSaleValue();
    }
    return value;
}

void BuildingObject::UpdateDemolishing()
{
    ConstructionManager* construction = GetConstructionManager();
    if (construction && construction->IsBuildingReady(m_dwID))
        return;
    m_OpenStatus = kClosed;
    if (m_pQueueManager)
        m_pQueueManager->Clear();
    m_pRide->Update();
    if (m_pScheduler)
        m_pScheduler->UpdateShow();
    // The animals of a building being pulled down come to no show: an audience still waiting for one would wait in
    // it for ever.
    SendOffWaitingAudience();

    for (uint32_t id : TableIds())
    {
        const auto* table = dynamic_cast<const TableSeats*>(FindObject(id));
        if (table && !table->IsFree())
            return;
    }
    const RepairManager* mechanics = GetMechanicsRepair();
    const RepairManager* zoo = GetZooRepair();
    const CleaningManager* cleaning = GetCleaningManager();
    if ((mechanics && mechanics->HoldsRequest(m_dwID)) || (zoo && zoo->HoldsRequest(m_dwID)) ||
        (cleaning && cleaning->HoldsRequest(m_dwID)))
        return;
    // A guest that is no longer in the park is no longer inside.
    const auto gone = [](uint32_t guest) { return FindObject(guest) == nullptr; };
    std::erase_if(m_GuestList, gone);
    std::erase_if(m_LeavingList, gone);
    if (!m_GuestList.empty() || !m_LeavingList.empty() || m_NumRestStaff > 0)
        return;

    // Empty: what belongs to the building goes with it.
    for (uint32_t id : TableIds())
    {
        if (BaseObject* table = FindObject(id))
            table->SetWaitingForDeath(true);
    }
    m_iNumTables = 0;
    for (uint32_t i = 0; i < GetServerCount(); ++i)
    {
        BaseObject* server = FindObject(m_staff[i]);
        if (server && server->GetType() == OBJECT_SERVER)
            server->SetWaitingForDeath(true);
    }
    // The animals go with it, sold: the player gets their sale values, which the demolition's confirmation adds
    // to the building's refund (a total that is no finite number pays nothing).
    ConstructionManager::PayRefund(GetAnimalsSaleValue());
    for (uint32_t id : AnimalIds())
    {
        if (BaseObject* animal = FindObject(id))
            animal->SetWaitingForDeath(true);
    }
    if (construction)
        construction->SetBuildingReady(m_dwID, true);
    SendTo(m_dwID, MT_STATECHANGE, STATE_DEMOLISHED);
}

void BuildingObject::UpdateWorking()
{
    if (m_SelectLevel == 1)
        CloseOwnDialogs();
    m_fProfitToday = m_fIncomeToday - m_fCostToday;
    CheckAnimalCare();
    // Closed, the building takes nobody more: riders waiting for others to board start with those aboard.
    if (!IsOpen() && m_pInfo->bServeAtOnce && !m_pRide->IsRunning() && m_pRide->GetRiderCount() > 0)
        StartRide();
    m_pRide->Update();
    const float delta = g_pWorld ? g_pWorld->GetGameDeltaTime() : 0.0f;
    if (m_pCrowd)
        m_pCrowd->Update(delta);
    for (const auto& path : m_AnimalPaths)
        path->Update();
    if (m_pScheduler)
        m_pScheduler->UpdateShow();
    PulseFlags(delta);
}

void BuildingObject::PulseFlags(float delta)
{
    const int32_t step = static_cast<int32_t>(delta / kFlagPulseSeconds * 255.0f);
    if (!m_bFlagAlphaRising)
    {
        m_iFlagAlpha -= step;
        if (m_iFlagAlpha < 0)
        {
            m_iFlagAlpha = 0;
            m_bFlagAlphaRising = true;
        }
    }
    else
    {
        m_iFlagAlpha += step;
        if (m_iFlagAlpha > 255)
        {
            m_iFlagAlpha = 255;
            m_bFlagAlphaRising = false;
        }
    }
}

void BuildingObject::UpdateSound()
{
    // The looping sound plays while the building is open.
    if (!m_bSoundPlaying && IsOpen())
    {
        if (g_pScriptedSound)
            g_pScriptedSound->StartBuildingSound(m_dwID);
        m_bSoundPlaying = true;
    }
    else if (m_bSoundPlaying && !IsOpen())
    {
        if (g_pScriptedSound)
            g_pScriptedSound->StopObjectSounds(m_dwID);
        m_bSoundPlaying = false;
    }
}

void BuildingObject::GetSoundPosition(platform::Vec3& position)
{
    position = GetPosition();
}

// ---------------------------------------------------------------- opening, closing, selling

bool BuildingObject::CanOpen()
{
    if (m_pQueueManager)
    {
        m_pQueueManager->Rebuild();
        if (!m_pQueueManager->IsValid())
            return false;
    }
    if (m_RepairState == kBrokenDown)
        return false;
    return !(m_pInfo->bHasAnimals && m_iNumAnimals == 0);
}

void BuildingObject::Open()
{
    if (!CanOpen())
        return;
    m_OpenStatus = kOpen;
    m_bUserClose = false;
    ShowServers();
}

void BuildingObject::Close()
{
    m_OpenStatus = kClosed;
    m_bUserClose = true;
    SendToAllHumans(MT_BUILDING_CLOSING);
    if (m_pQueueManager)
        m_pQueueManager->Clear();
    HideServers();
}

void BuildingObject::Sell()
{
    // Sold once: a building already going is not sold again.
    if (m_dwState == STATE_DEMOLISHING || m_dwState == STATE_DEMOLISHED)
        return;
    Close();
    HideServers();
    for (uint32_t id : AnimalIds())
    {
        if (BaseObject* animal = FindObject(id))
            animal->SetVisible(false);
    }
    if (m_dwEntranceID != -1)
    {
        if (BaseObject* entrance = FindObject(static_cast<uint32_t>(m_dwEntranceID)))
            entrance->SetWaitingForDeath(true);
        m_dwEntranceID = -1;
    }
    // The rescue dialog speaks for the building's rescue centre, which is going.
    if (std::strcmp(m_pInfo->szMenu, kRescueMenu) == 0)
    {
        if (ParkGui* gui = GetParkGui())
            gui->CloseDialog(kRescueMenu);
    }
    // So does the show scheduler's panel for its show, which goes with it: nothing is left to train or preview.
    if (m_pScheduler)
    {
        if (ParkGui* gui = GetParkGui())
            gui->CloseDialogsOfListener(m_pScheduler.get());
    }
    SendTo(m_dwID, MT_STATECHANGE, STATE_DEMOLISHING);
}

uint32_t BuildingObject::GetServerCount() const
{
    const int32_t count = m_numMalestaff + m_numFemalestaff;
    return count > 0 ? std::min(static_cast<uint32_t>(count), kMaxStaff) : 0;
}

void BuildingObject::ShowServers()
{
    for (uint32_t i = 0; i < GetServerCount(); ++i)
    {
        BaseObject* server = FindObject(m_staff[i]);
        if (server && server->GetType() == OBJECT_SERVER)
            server->SetVisible(true);
    }
}

void BuildingObject::HideServers()
{
    for (uint32_t i = 0; i < GetServerCount(); ++i)
    {
        BaseObject* server = FindObject(m_staff[i]);
        if (server && server->GetType() == OBJECT_SERVER)
        {
            server->SetVisible(false);
            m_staff_busy[i] = false;
        }
    }
}

void BuildingObject::PlaceEntrance()
{
    if (!m_pInfo->bShowEnter || m_dwEntranceID == -1)
        return;
    BaseObject* entrance = FindObject(static_cast<uint32_t>(m_dwEntranceID));
    if (!m_pQueueManager)
    {
        if (entrance)
            entrance->SetWaitingForDeath(true);
        m_dwEntranceID = -1;
        return;
    }
    if (!entrance)
        return;
    const GridPos& start = m_pQueueManager->GetStartCell();
    if (start.x != -1)
    {
        entrance->SetWorldPosition(WorldMap::GridToWorld(start));
        entrance->SetVisible(true);
        entrance->SetDirection(m_pQueueManager->GetEndDirection() / 2);
    }
    else
    {
        entrance->SetVisible(false);
    }
}

// ---------------------------------------------------------------- the queue

void BuildingObject::JoinQueue(uint32_t guest)
{
    if (m_pQueueManager)
        m_pQueueManager->Join(guest);
}

void BuildingObject::LeaveQueue(uint32_t guest)
{
    if (m_pQueueManager)
        m_pQueueManager->Leave(guest);
}

int32_t BuildingObject::GetQueuePosition(uint32_t guest) const
{
    return m_pQueueManager ? m_pQueueManager->GetPosition(guest) : 0;
}

bool BuildingObject::IsQueueNotFull() const
{
    return m_pQueueManager && m_pQueueManager->HasRoom();
}

// ---------------------------------------------------------------- guests and animals

float BuildingObject::GetAttraction() const
{
    const float base = m_pInfo->fAttractBaseIntensity;
    const float ageing = std::min(kAgeingPerDay * static_cast<float>(std::max(m_BuildingAge, 0)), base);
    return base - ageing + m_fAnimalIntensity;
}

uint32_t BuildingObject::GetAnimal(int32_t index) const
{
    return index >= 0 && index < static_cast<int32_t>(kMaxAnimals) ? m_dwAnimals[index] : kNoObjectID;
}

const AnimalInfo* BuildingObject::SlotAnimal(uint32_t slot) const
{
    return slot < kMaxAnimalPaths ? FindAnimalType(m_pInfo->szAnimal[slot]) : nullptr;
}

bool BuildingObject::CanAdoptAnimal(uint32_t slot) const
{
    const AnimalInfo* type = SlotAnimal(slot);
    if (!type || m_iNumAnimals >= static_cast<int32_t>(kMaxAnimals) ||
        m_fAnimalIntensity + type->fIntensity > m_pInfo->fMaximumAnimalIn)
        return false;
    int32_t held = 0;
    for (uint32_t id : AnimalIds())
    {
        const BaseObject* animal = FindObject(id);
        held += animal && std::strcmp(animal->GetName(), type->keyword) == 0 ? 1 : 0;
    }
    return held < type->iNumPaths;
}

int32_t BuildingObject::GetAdoptableSlot(int32_t row) const
{
    const int32_t slots = std::min(m_pInfo->iAnimalSlotCount, BuildingInfo::kAnimalSlots);
    for (int32_t slot = 0; slot < slots && row >= 0; ++slot)
    {
        const AnimalInfo* type = SlotAnimal(static_cast<uint32_t>(slot));
        if (type && !type->bNeedsUnlocking && row-- == 0)
            return slot;
    }
    return -1;
}

void BuildingObject::AdoptAnimal(uint32_t slot)
{
    const AnimalInfo* type = SlotAnimal(slot);
    if (!type)
    {
        GetLogger()->Report(1, "BuildingObject::AdoptAnimal - %s has no animal in slot %u", m_Name, slot);
        return;
    }
    if (m_iNumAnimals >= static_cast<int32_t>(kMaxAnimals))
    {
        GetLogger()->Report(1, "BuildingObject::AdoptAnimal - %s already holds %u animals", m_Name, kMaxAnimals);
        return;
    }
    AnimalCreationRequest request;
    CopyKeyword(request.szKeyword, type->keyword);
    request.dwHome = m_dwID;
    request.iDirection = m_iDirection;
    const MapGridInfo* grid = GetMapGrid();
    if (!(type->bUsePoints && grid && PlacePoint(grid->List(kSpawnPoints), m_iNumAnimals, request.position)))
    {
        const platform::Vec3 half = WorldMap::GetFootprintHalfSize(m_bGridW, m_bGridH);
        request.position = {m_WorldXYZ.x + half.x, m_WorldXYZ.y + half.y, 0.0f};
    }
    // The animal is paid for only when the World made it; the cost is booked in whole cents, as sales are.
    const bool made = g_pMessageHandler && g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_ANIMAL), &request);
    if (!made)
    {
        GetLogger()->Report(1, "BuildingObject::AdoptAnimal - no %s was made for %s: nothing is paid", type->keyword,
                            m_Name);
        return;
    }
    if (g_pWorld && g_pWorld->GetPlayer())
        g_pWorld->GetPlayer()->Cash -= RoundToCents(type->fCost);
}

bool BuildingObject::AdoptFixedAnimals()
{
    int32_t room = static_cast<int32_t>(kMaxAnimals) - m_iNumAnimals;
    bool cut = false;
    for (uint32_t slot = 0; slot < kMaxAnimalPaths; ++slot)
    {
        int32_t count = std::max(m_pInfo->iAnimalFixed[slot], 0);
        if (count > room)
        {
            cut = true;
            count = room;
        }
        room -= count;
        for (int32_t i = 0; i < count; ++i)
            AdoptAnimal(slot);
    }
    if (cut)
        GetLogger()->Report(1, "BuildingObject::AdoptFixedAnimals - %s asks for more than %u animals", m_Name,
                            kMaxAnimals);
    return !cut;
}

void BuildingObject::RecomputeAnimalIntensity()
{
    m_fAnimalIntensity = 0.0f;
    for (uint32_t id : AnimalIds())
    {
        const BaseObject* animal = FindObject(id);
        if (const AnimalInfo* type = animal ? FindAnimalType(animal->GetName()) : nullptr)
            m_fAnimalIntensity += type->fIntensity;
    }
}

float BuildingObject::GetAnimalLoad() const
{
    const float most = m_pInfo->fMaximumAnimalIn;
    return most > 0.0f ? m_fAnimalIntensity / most : 0.0f;
}

void BuildingObject::AddLeaver(uint32_t guest)
{
    m_LeavingList.push_back(guest);
}

void BuildingObject::RemoveLeaver(uint32_t guest)
{
    const auto found = std::find(m_LeavingList.begin(), m_LeavingList.end(), guest);
    if (found != m_LeavingList.end())
        m_LeavingList.erase(found);
}

void BuildingObject::RemoveGuest(uint32_t guest)
{
    for (uint32_t id : TableIds())
    {
        auto* table = dynamic_cast<TableSeats*>(FindObject(id));
        if (table && table->ReleaseSeat(guest))
            break;
    }
    const auto found = std::find(m_GuestList.begin(), m_GuestList.end(), guest);
    if (found != m_GuestList.end())
        m_GuestList.erase(found);
}

void BuildingObject::ForgetGuest(uint32_t guest)
{
    // A server taken by the guest will hear from it no more: it is free for the next one in the queue.
    for (uint32_t i = 0; i < GetServerCount(); ++i)
    {
        if (m_staff_busy[i] && m_staff_guest[i] == guest)
        {
            m_staff_busy[i] = false;
            if (m_pQueueManager)
                m_pQueueManager->Advance();
        }
    }
    RemoveGuest(guest);
    RemoveLeaver(guest);
    if (m_pRide)
        m_pRide->RemoveRider(guest);
    if (m_pQueueManager)
        m_pQueueManager->RemoveGone(guest);
}

bool BuildingObject::IsRideIdle() const
{
    return m_pRide->GetRiderCount() == 0 || !m_pRide->IsRunning();
}

void BuildingObject::AddToCrowd(uint32_t /*guest*/)
{
    if (m_pCrowd)
        m_pCrowd->AddPeople();
}

void BuildingObject::RemoveFromCrowd(uint32_t /*guest*/)
{
    if (m_pCrowd)
        m_pCrowd->RemovePeople();
}

void BuildingObject::AddOpinion(int32_t list, int32_t code)
{
    if (list < 0 || list >= OPINION_COUNT)
        return;
    std::vector<float>& opinions = m_Opinions[list];
    const float value = code == 0 ? 0.0f : code == 2 ? 1.0f : 0.5f;
    // The list takes its whole size at once, so that the verdicts of a full park cost no allocation.
    if (opinions.capacity() < kMaxOpinions)
        opinions.reserve(kMaxOpinions);
    if (opinions.size() >= kMaxOpinions)
        opinions.pop_back();
    opinions.insert(opinions.begin(), value);
}

float BuildingObject::GetOpinionMean(int32_t list) const
{
    if (list < 0 || list >= OPINION_COUNT || m_Opinions[list].empty())
        return 0.5f;
    float sum = 0.0f;
    for (float value : m_Opinions[list])
        sum += value;
    return sum / static_cast<float>(m_Opinions[list].size());
}

void BuildingObject::RemoveAnimal(uint32_t animal)
{
    const std::span<const uint32_t> animals = AnimalIds();
    const auto found = std::find(animals.begin(), animals.end(), animal);
    if (found == animals.end())
        return;
    const size_t at = static_cast<size_t>(found - animals.begin());
    std::copy(m_dwAnimals + at + 1, m_dwAnimals + animals.size(), m_dwAnimals + at);
    m_dwAnimals[animals.size() - 1] = kNoObjectID;
    --m_iNumAnimals;
    for (const auto& path : m_AnimalPaths)
        path->RemoveAnimal(animal);
    RecomputeAnimalIntensity();
    if (m_iNumAnimals == 0 && m_pInfo->bHasAnimals && !IsBeingDemolished())
        CloseForNoAnimals();
}

void BuildingObject::CloseForNoAnimals()
{
    // Closed as a building without animals cannot open, though not by the player: the next animal opens it again.
    if (IsOpen())
    {
        m_OpenStatus = kClosed;
        if (m_pQueueManager)
            m_pQueueManager->Clear();
        SendToAllHumans(MT_BUILDING_CLOSING);
        HideServers();
    }
    // An audience waiting for a show that no animal is left to give is sent off.
    SendOffWaitingAudience();
}

void BuildingObject::SendOffWaitingAudience()
{
    if (m_pScheduler && !m_pScheduler->IsShowRunning() && (m_pRide->IsRunning() || m_pRide->GetRiderCount() > 0))
    {
        m_pRide->EndRide();
        m_fCurrentRideStartLevel = m_fRideStartLevel;
    }
}

bool BuildingObject::IsEatPointInUse(int32_t point) const
{
    return point < 0 || point >= kMaxEatPoints || m_bEatPointUse[point];
}

void BuildingObject::SetEatPointInUse(int32_t point, bool used)
{
    if (point >= 0 && point < kMaxEatPoints)
        m_bEatPointUse[point] = used;
}

void BuildingObject::SendToAnimals(MessageRecord record)
{
    for (uint32_t id : AnimalIds())
    {
        record.dwReciever = id;
        PostMessage(record);
    }
}

// ---------------------------------------------------------------- points

bool BuildingObject::PlacePoint(const MapPointList& list, int32_t index, platform::Vec3& out) const
{
    if (index < 0 || index >= list.count || static_cast<size_t>(index) >= list.points.size())
        return false;
    const GridPos cell = GetGridPos();
    out = WorldMap::FootprintLocalToWorld(cell.x, cell.y, m_pInfo->iGridWidth, m_pInfo->iGridHeight, list[index].x,
                                          list[index].y, m_iDirection & 3);
    return true;
}

const MapPointList* BuildingObject::WalkList(int32_t which) const
{
    const MapGridInfo* grid = GetMapGrid();
    return grid ? &grid->List(static_cast<MapPointListIndex>(which)) : nullptr;
}

namespace
{

int32_t InListFor(uint8_t kind)
{
    return kind == OBJECT_MECHANIC || kind == OBJECT_CLEANER ? kMechInPoints
           : kind == OBJECT_ZOOKEEPER                        ? kZooInPoints
                                                             : kInWalkPoints;
}

int32_t OutListFor(uint8_t kind)
{
    return kind == OBJECT_MECHANIC || kind == OBJECT_CLEANER ? kMechOutPoints
           : kind == OBJECT_ZOOKEEPER                        ? kZooOutPoints
                                                             : kOutWalkPoints;
}

bool IsStaffKind(uint8_t kind)
{
    return kind == OBJECT_MECHANIC || kind == OBJECT_CLEANER || kind == OBJECT_ZOOKEEPER;
}

int32_t CountOf(const MapPointList* list, int32_t cap = 0x7FFFFFFF)
{
    return list ? std::clamp(list->count, 0, cap) : 0;
}

} // namespace

int32_t BuildingObject::GetInWalkPointCount(uint8_t kind)
{
    return CountOf(WalkList(InListFor(kind)));
}

bool BuildingObject::GetInWalkPoint(uint8_t kind, int32_t index, platform::Vec3& out)
{
    const MapPointList* list = WalkList(InListFor(kind));
    return list && PlacePoint(*list, index, out);
}

int32_t BuildingObject::GetOutWalkPointCount(uint8_t kind)
{
    return CountOf(WalkList(OutListFor(kind)));
}

bool BuildingObject::GetOutWalkPoint(uint8_t kind, int32_t index, platform::Vec3& out)
{
    const MapPointList* list = WalkList(OutListFor(kind));
    return list && PlacePoint(*list, index, out);
}

int32_t BuildingObject::GetThruWalkPointCount(uint8_t kind)
{
    return IsStaffKind(kind) ? 0 : CountOf(WalkList(kThruWalkPoints));
}

bool BuildingObject::GetThruWalkPoint(uint8_t /*kind*/, int32_t index, platform::Vec3& out)
{
    const MapPointList* list = WalkList(kThruWalkPoints);
    return list && PlacePoint(*list, index, out);
}

int32_t BuildingObject::GetEatPointCount() const
{
    return CountOf(WalkList(kEatPoints), kMaxEatPoints);
}

bool BuildingObject::GetEatPoint(int32_t index, platform::Vec3& out) const
{
    const MapPointList* list = WalkList(kEatPoints);
    return list && index < kMaxEatPoints && PlacePoint(*list, index, out);
}

int32_t BuildingObject::GetEatNodeCount() const
{
    return CountOf(WalkList(kEatNodes));
}

bool BuildingObject::GetEatNode(int32_t index, platform::Vec3& out) const
{
    const MapPointList* list = WalkList(kEatNodes);
    return list && PlacePoint(*list, index, out);
}

int32_t BuildingObject::GetViewPointCount(bool second) const
{
    return CountOf(WalkList(second ? kViewPoints2 : kViewPoints), kMaxViewPoints);
}

bool BuildingObject::GetViewPoint(int32_t index, platform::Vec3& out) const
{
    const MapPointList* list = WalkList(kViewPoints);
    return list && index < kMaxViewPoints && PlacePoint(*list, index, out);
}

bool BuildingObject::GetViewPoint2(int32_t index, platform::Vec3& out) const
{
    const MapPointList* list = WalkList(kViewPoints2);
    return list && index < kMaxViewPoints && PlacePoint(*list, index, out);
}

int32_t BuildingObject::GetInterestPointCount() const
{
    return CountOf(WalkList(kInterestPoints));
}

bool BuildingObject::GetInterestPoint(int32_t index, platform::Vec3& out) const
{
    const MapPointList* list = WalkList(kInterestPoints);
    return list && PlacePoint(*list, index, out);
}

bool BuildingObject::GetQueueStartPosition(platform::Vec3& out)
{
    if (!m_pQueueManager || !m_pQueueManager->IsValid())
        return false;
    out = WorldMap::GetCellPoint(m_pQueueManager->GetStartCell(), 4);
    return true;
}

void BuildingObject::GetServeInPosition(platform::Vec3& out)
{
    for (const GridPos* cell : {&m_ServeInOutGrid, &m_ServeInGrid, &m_ServeOutGrid})
    {
        if (cell->x != -1)
        {
            out = WorldMap::GetCellPoint(*cell, 4);
            return;
        }
    }
    out = m_WorldXYZ;
}

void BuildingObject::GetServeOutPosition(platform::Vec3& out)
{
    const GridPos& cell = m_bHasOutGrid ? m_ServeOutGrid : m_ServeInOutGrid;
    out = cell.x != -1 ? WorldMap::GetCellPoint(cell, 4) : m_WorldXYZ;
}

int32_t BuildingObject::GetQueuePointCount()
{
    return m_pQueueManager ? m_pQueueManager->GetPointCount() : 0;
}

float BuildingObject::GetQueuePointX(int32_t index, bool inwards)
{
    return m_pQueueManager ? m_pQueueManager->GetPointX(index, inwards) : 0.0f;
}

float BuildingObject::GetQueuePointY(int32_t index, bool inwards)
{
    return m_pQueueManager ? m_pQueueManager->GetPointY(index, inwards) : 0.0f;
}

void BuildingObject::GetCentrePosition(platform::Vec3& centre)
{
    const platform::Vec3 half = WorldMap::GetFootprintHalfSize(m_bGridW, m_bGridH);
    centre = WorldMap::WorldToScene({m_WorldXYZ.x + half.x, m_WorldXYZ.y + half.y, 0.0f});
}

// ---------------------------------------------------------------- facts

bool BuildingObject::IsUnderConstruction() const
{
    const ConstructionManager* construction = GetConstructionManager();
    return construction && construction->IsUnderConstruction(m_dwID) != 0.0f;
}

bool BuildingObject::IsBeingDemolished() const
{
    const ConstructionManager* construction = GetConstructionManager();
    return construction && construction->IsUnderDemolition(m_dwID) != 0.0f;
}

float BuildingObject::GetShowScore() const
{
    return m_pScheduler ? m_pScheduler->GetRating() : 0.0f;
}

// ---------------------------------------------------------------- drawing

uint32_t BuildingObject::GetStatusFlags(int32_t out[4]) const
{
    uint32_t n = 0;
    const bool badQueue = m_pQueueManager && !m_pQueueManager->IsValid();
    const bool noAnimals = m_pInfo->bHasAnimals && m_iNumAnimals == 0;
    if (badQueue)
        out[n++] = FLAG_FEET;
    if (IsBrokenDown())
        out[n++] = FLAG_SPANNER;
    if (noAnimals)
        out[n++] = FLAG_ANIMAL;
    if (m_bUserClose && !badQueue && !IsBrokenDown() && !noAnimals)
        out[n++] = FLAG_CLOSED;
    return n;
}

bool BuildingObject::Render()
{
    if (g_pWorldMap && g_pWorldMap->IsShowFlags())
    {
        DrawDebugPoints();
        return true;
    }
    BaseObject::Render();
    if (IsBeingDemolished() || !g_pWorldParams)
        return true;
    int32_t flags[4];
    const uint32_t count = GetStatusFlags(flags);
    const ModelBounds* bounds = GetModelBoundingBox();
    platform::Vec3 position = GetPosition();
    position.y = bounds ? bounds->Max().y + 1.0f : 10.0f;
    const uint32_t colour = static_cast<uint32_t>(std::clamp(m_iFlagAlpha, 0, 255)) << 24 | 0x00FFFFFFu;
    for (uint32_t i = 0; i < count; ++i, position.y += 5.0f)
        g_GraphicsManager.DrawBillboard(position, 2.0f, colour,
                                        static_cast<int32_t>(g_pWorldParams->GetBuildingFlagTexture(flags[i])),
                                        kFlagMaterial);
    return true;
}

void BuildingObject::DrawDebugPoints() const
{
    static constexpr struct
    {
        MapPointListIndex list;
        uint32_t colour;
    } kLists[] = {{kInWalkPoints, 0xFFFF0000}, {kThruWalkPoints, 0xFFC80000}, {kOutWalkPoints, 0xFF0000FF},
                  {kViewPoints, 0xFF808080},   {kViewPoints2, 0xFF808080},    {kInterestPoints, 0xFFFFFF00}};
    for (const auto& entry : kLists)
    {
        const MapPointList* points = WalkList(entry.list);
        platform::Vec3 at;
        for (int32_t i = 0; points && PlacePoint(*points, i, at); ++i)
            DrawGroundCross(at, entry.colour, kDebugCrossSize);
    }
    if (m_pQueueManager)
        m_pQueueManager->DrawDebug();
}
