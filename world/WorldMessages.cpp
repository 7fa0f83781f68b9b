// World: its control messages (removal, rating, averages, world script States, scenario unlocks) and the creation
// of objects on request.
#include "world/World.h"

#include "engine/core/Logger.h"
#include "engine/core/WholeNumbers.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldScript.h"
#include "world/BaseObject.h"
#include "world/CreationRequests.h"
#include "world/GameShell.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/StaticObject.h"
#include "world/WorldMap.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

bool World::HandleMessage(const MessageRecord& record, const void* payload)
{
    if (payload)
        return CreateRequested(record, payload);
    switch (record.dwType)
    {
    case MT_KILLOBJECT:
        if (g_pObjectManager)
        {
            if (BaseObject* object = g_pObjectManager->GetObject(record.dwData))
                object->SetWaitingForDeath(true);
        }
        break;
    case MT_OBJECTCREATED:
        break;
    case MT_UPDATERATING:
        UpdateRating();
        break;
    case MT_UPDATEAVERAGES:
        UpdateAverages();
        break;
    case MT_UNLOCK_SCENARIO:
        if (GameShell* shell = GetGameShell())
            shell->CompleteScenario(record.dwData);
        break;
    default:
        // MT_STATECHANGE and every other type: the world script's.
        HandleWorldScriptMessage(record);
        break;
    }
    return true;
}

namespace
{

// Posts a message from the World to itself after the rating period.
void RepeatLater(uint32_t type)
{
    if (!g_pMessageHandler)
        return;
    MessageRecord record;
    record.dwSender = kWorldID;
    record.dwReciever = kWorldID;
    record.dwType = type;
    g_pMessageHandler->SendDelayed(record, World::kRatingPeriod);
}

} // namespace

void World::UpdateRating()
{
    ComputeRating();
    RepeatLater(MT_UPDATERATING);
}

void World::ComputeRating()
{
    ParkServices* park = GetParkServices();
    float g = 0.0f, s = 0.0f, c = 0.0f;
    if (g_pObjectManager && park)
    {
        const std::vector<BaseObject*> guests = g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST);
        if (!guests.empty())
        {
            float sum = 0.0f;
            for (BaseObject* guest : guests)
                sum += park->GetGuestFigures(*guest).happiness;
            g = sum / static_cast<float>(guests.size()) * 70.0f;
        }
        std::vector<BaseObject*> shows = g_pObjectManager->GetBuildingsByName("KAIKOADV");
        const std::vector<BaseObject*> galas = g_pObjectManager->GetBuildingsByName("AQUAGALA");
        shows.insert(shows.end(), galas.begin(), galas.end());
        // Each show rates 0 to 1 and shows earn at most 10 points of the park's 100: the mean keeps that share
        // whatever the number of show buildings, where a sum would let a second show outweigh research or rescues.
        if (!shows.empty())
        {
            float sum = 0.0f;
            for (BaseObject* show : shows)
                sum += park->GetShowRating(*show);
            s = sum / static_cast<float>(shows.size()) * 10.0f;
        }
    }
    if (m_Managers.rescue)
    {
        const float ratio = m_Managers.rescue->GetAcceptanceRatio();
        c = (ratio > 0.0f ? (ratio < 1.0f ? ratio : 1.0f) : 0.0f) * 10.0f;
    }
    const float r = m_fCurrentResearchRating * 10.0f;
    const int32_t rating = TruncateToInt(g + r + c + s);
    m_iParkRating = rating >= 96 ? 100 : rating < 0 ? 0 : rating;
}

void World::UpdateAverages()
{
    ComputeAverages();
    RepeatLater(MT_UPDATEAVERAGES);
}

void World::ComputeAverages()
{
    ParkServices* park = GetParkServices();
    const std::vector<BaseObject*> guests =
        g_pObjectManager ? g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST) : std::vector<BaseObject*>{};
    if (guests.empty() || !park)
    {
        for (float& average : m_fGuestAverages)
            average = 0.0f;
    }
    else
    {
        float sums[AV_COUNT] = {};
        int visitors = 0;
        for (BaseObject* guest : guests)
        {
            const GuestFigures f = park->GetGuestFigures(*guest);
            sums[AV_PRICE] += f.price;
            sums[AV_QUEUE] += f.queue;
            sums[AV_BEAUTY] += f.beauty;
            sums[AV_CLEAN] += f.cleanliness;
            sums[AV_VARIETY] += f.variety;
            if (f.visitedAnimals)
            {
                sums[AV_WELFARE] += f.welfare;
                ++visitors;
            }
        }
        const float n = static_cast<float>(guests.size());
        for (int i = AV_PRICE; i < AV_WELFARE; ++i)
            m_fGuestAverages[i] = sums[i] / n;
        m_fGuestAverages[AV_WELFARE] = visitors ? sums[AV_WELFARE] / static_cast<float>(visitors) : 0.5f;
    }
}

namespace
{

// The grid cell under a world position.
GridPos CellOf(const platform::Vec3& position)
{
    return WorldMap::WorldToGrid(position);
}

bool OnMap(const GridPos& cell)
{
    return !g_pWorldMap || g_pWorldMap->IsValidGridPos(cell);
}

// A world position on the map; one with a coordinate that is no number stands nowhere.
bool PositionOnMap(const platform::Vec3& position)
{
    return std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z) &&
           OnMap(CellOf(position));
}

// The table a kind's keyword must name, false when the keyword names nothing there.
bool KnownKeyword(uint8_t kind, const char* keyword)
{
    const WorldParams* params = g_pWorldParams;
    if (!params)
        return true;
    switch (kind)
    {
    case OBJECT_SCENERY:
        return params->FindScenery(keyword) >= 0;
    case OBJECT_BUILDING:
        return params->FindBuilding(keyword) >= 0;
    case OBJECT_GUEST:
        return params->FindGuest(keyword) >= 0;
    case OBJECT_SERVER:
    case OBJECT_MECHANIC:
    case OBJECT_CLEANER:
    case OBJECT_ZOOKEEPER:
        return params->FindStaff(keyword) >= 0;
    case OBJECT_ANIMAL:
        return params->FindAnimal(keyword) >= 0;
    default:
        return true;
    }
}

// A building's footprint in cells (width, height) as it stands after turning: odd turns swap width and height.
std::pair<int32_t, int32_t> Footprint(const char* keyword, int32_t rotation)
{
    int32_t width = 1, height = 1;
    if (g_pWorldParams)
    {
        const int32_t id = g_pWorldParams->FindBuilding(keyword);
        if (id >= 0)
        {
            const BuildingInfo& info = g_pWorldParams->GetBuildingInfo(id);
            width = info.iGridWidth > 0 ? info.iGridWidth : 1;
            height = info.iGridHeight > 0 ? info.iGridHeight : 1;
        }
    }
    if (rotation & 1)
        std::swap(width, height);
    return {width, height};
}

// Why a request cannot be carried out, or null when it can.
const char* CheckRequest(uint8_t kind, const void* payload)
{
    const char* keyword = static_cast<const char*>(payload);
    if (std::memchr(keyword, 0, kCreationKeywordSize) == nullptr || keyword[0] == 0)
        return "no keyword";
    if (!KnownKeyword(kind, keyword))
        return "unknown keyword";
    switch (kind)
    {
    case OBJECT_SCENERY:
    {
        const auto& r = *static_cast<const SceneryCreationRequest*>(payload);
        return OnMap({r.iGridX, r.iGridY}) ? nullptr : "cell off the map";
    }
    case OBJECT_BUILDING:
    {
        const auto& r = *static_cast<const BuildingCreationRequest*>(payload);
        if (r.iRotation < 0 || r.iRotation > 3)
            return "rotation out of range";
        const auto [w, h] = Footprint(r.szKeyword, r.iRotation);
        const int64_t farX = static_cast<int64_t>(r.iGridX) + w - 1;
        const int64_t farY = static_cast<int64_t>(r.iGridY) + h - 1;
        const bool inside = OnMap({r.iGridX, r.iGridY}) && farX <= INT32_MAX && farY <= INT32_MAX &&
                            OnMap({static_cast<int32_t>(farX), static_cast<int32_t>(farY)});
        return inside ? nullptr : "footprint off the map";
    }
    case OBJECT_GUEST:
        return PositionOnMap(static_cast<const GuestCreationRequest*>(payload)->position) ? nullptr
                                                                                          : "position off the map";
    case OBJECT_TABLE:
    {
        const auto& r = *static_cast<const TableCreationRequest*>(payload);
        if (std::memchr(r.szModel, 0, kCreationKeywordSize) == nullptr)
            return "no model name";
        return PositionOnMap(r.position) ? nullptr : "position off the map";
    }
    case OBJECT_SERVER:
        return PositionOnMap(static_cast<const ServerCreationRequest*>(payload)->position) ? nullptr
                                                                                           : "position off the map";
    case OBJECT_ANIMAL:
        return PositionOnMap(static_cast<const AnimalCreationRequest*>(payload)->position) ? nullptr
                                                                                           : "position off the map";
    case OBJECT_LITTER:
    {
        const auto& r = *static_cast<const LitterCreationRequest*>(payload);
        return OnMap({r.iGridX, r.iGridY}) ? nullptr : "cell off the map";
    }
    default:
        return nullptr;
    }
}

void SetPosition(BaseObject& object, const platform::Vec3& position)
{
    if (g_pWorldMap)
        object.SetWorldPosition(position);
}

} // namespace

bool World::CreateRequested(const MessageRecord& record, const void* payload)
{
    if (record.dwData < kFirstObjectKind || record.dwData > kLastObjectKind)
    {
        GetLogger()->Report(1, "World::HandleMessage - creation of object kind %u refused: no such kind",
                            record.dwData);
        return false;
    }
    const uint8_t kind = static_cast<uint8_t>(record.dwData);
    if (!g_pObjectManager)
        return false;
    // The last created building is the one the latest building request made: a request refused made none, and an
    // animal the world script adopts next must not go to a building made before it.
    if (kind == OBJECT_BUILDING)
        m_dwLastCreatedBuilding = kNoObjectID;
    if (const char* fault = CheckRequest(kind, payload))
    {
        char keyword[kCreationKeywordSize + 1] = {};
        std::memcpy(keyword, payload, kCreationKeywordSize);
        GetLogger()->Report(1, "World::HandleMessage - creation of kind %u \"%s\" refused: %s", kind, keyword, fault);
        return false;
    }
    if (kind == OBJECT_LITTER && g_pObjectManager->CountObjectsOfKind(OBJECT_LITTER) >= kMaxLitter)
        return false;

    // The object starts at once even in a paused park.
    const bool wasPaused = m_bPaused;
    m_bPaused = false;
    BaseObject* object = MakeRequested(kind, payload);
    if (object)
    {
        MessageRecord start;
        start.dwSender = kWorldID;
        start.dwReciever = object->GetID();
        start.dwType = MT_STATECHANGE;
        start.dwData = STATE_STARTUP;
        if (kind == OBJECT_GUEST && !static_cast<const GuestCreationRequest*>(payload)->bStartsAtEntrance)
            start.dwData = STATE_STARTUP_NO_ENTRANCE;
        if (g_pMessageHandler)
            g_pMessageHandler->Send(start);
    }
    m_bPaused = wasPaused;
    if (!object)
        return false;
    MessageRecord answer;
    answer.dwSender = kWorldID;
    answer.dwReciever = record.dwSender;
    answer.dwType = MT_OBJECTCREATED;
    answer.dwData = object->GetID();
    if (g_pMessageHandler)
        g_pMessageHandler->Send(answer);
    return true;
}

BaseObject* World::MakeRequested(uint8_t kind, const void* payload)
{
    BaseObject* object = g_pObjectManager->CreateObject(static_cast<const char*>(payload), kind);
    if (!object)
        return nullptr;
    object->SetType(kind);
    object->SetState(0);
    switch (kind)
    {
    case OBJECT_SCENERY:
    {
        const auto& r = *static_cast<const SceneryCreationRequest*>(payload);
        SetPosition(*object, WorldMap::GridToWorld({r.iGridX, r.iGridY}));
        object->SetDirection(r.bHasDirection ? r.bDirection : 0);
        break;
    }
    case OBJECT_BUILDING:
    {
        const auto& r = *static_cast<const BuildingCreationRequest*>(payload);
        SetPosition(*object, WorldMap::GridToWorld({r.iGridX, r.iGridY}));
        const auto [w, h] = Footprint(r.szKeyword, r.iRotation);
        if (auto* building = dynamic_cast<StaticObject*>(object))
        {
            building->SetGridW(static_cast<uint8_t>(w));
            building->SetGridH(static_cast<uint8_t>(h));
        }
        object->SetDirection(r.iRotation);
        break;
    }
    case OBJECT_GUEST:
        SetPosition(*object, static_cast<const GuestCreationRequest*>(payload)->position);
        break;
    case OBJECT_TABLE:
        SetPosition(*object, static_cast<const TableCreationRequest*>(payload)->position);
        break;
    case OBJECT_SERVER:
        SetPosition(*object, static_cast<const ServerCreationRequest*>(payload)->position);
        break;
    case OBJECT_ANIMAL:
    {
        const auto& r = *static_cast<const AnimalCreationRequest*>(payload);
        SetPosition(*object, r.position);
        object->SetDirection(r.iDirection);
        break;
    }
    case OBJECT_LITTER:
    {
        const auto& r = *static_cast<const LitterCreationRequest*>(payload);
        SetPosition(*object, WorldMap::GridToWorld({r.iGridX, r.iGridY}));
        break;
    }
    default:
        break;
    }
    ParkServices* park = GetParkServices();
    if (park && !park->SetUpCreated(*object, kind, payload))
    {
        GetLogger()->Report(1, "World::HandleMessage - creation of kind %u \"%s\" refused by its class", kind,
                            object->GetName());
        g_pObjectManager->RemoveObject(object->GetID());
        return nullptr;
    }
    if (kind == OBJECT_BUILDING)
    {
        ++m_NumBuildings;
        CountBuiltCategory(*object, 1);
        m_dwLastCreatedBuilding = object->GetID();
    }
    else if (kind == OBJECT_GUEST)
    {
        ++m_NumGuests;
        // Every guest made counts as an arrival of its gender, as the GUI's counters show them.
        const int g = park && park->GetGuestFigures(*object).gender == 1 ? 1 : 0;
        ++m_TotalGuestArrive[g];
        ++m_TodayGuestArrive[g];
    }
    return object;
}
