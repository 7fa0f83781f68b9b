// GuestObject: the numbered functions and variables its behaviour script calls and reads, and the functions that
// belong to no other part of the guest: finding a path, walking along footpaths, a place to eat, bins, litter, view
// points and interest points.
#include "engine/core/Logger.h"
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "park/ParkViews.h"
#include "park/RideComponent.h"
#include "park/SceneryObject.h"
#include "platform/Random.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptTextHandles.h"
#include "scripts/ScriptValue.h"
#include "scripts/WorldParams.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace
{

constexpr const char* kEntrance = "ENTRANCE";

// A cell a guest walks on: footpath, neither closed to the pavement search nor blocked.
bool IsWalkway(const GridPos& cell)
{
    if (!g_pWorldMap || !g_pWorldMap->IsValidGridPos(cell))
        return false;
    const uint32_t flags = g_pWorldMap->GetFlags(cell);
    return (flags & CELL_FOOTPATH) != 0 && (flags & (CELL_NO_PAVEMENT | CELL_BUILDING)) == 0;
}

BaseObject* FirstEntrance()
{
    if (!g_pObjectManager)
        return nullptr;
    const uint32_t count = g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING);
    for (uint32_t i = 0; i < count; ++i)
    {
        BaseObject* building = g_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, i);
        if (building && std::strcmp(building->GetName(), kEntrance) == 0)
            return building;
    }
    return nullptr;
}

uint32_t Coordinate(float value)
{
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

float SquaredDistance(const platform::Vec3& a, const platform::Vec3& b)
{
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

} // namespace

// ---------------------------------------------------------------- walking

bool GuestObject::WalkTarget(int32_t direction, platform::Vec3& centre) const
{
    GridPos cell = WorldMap::GetNeighbourPos(GetGridPos(), direction);
    if (!IsWalkway(cell))
        return false;
    // Along the footpath to its last cell, never past the map's edge.
    for (int32_t step = 0; step < kMaxWalkCells; ++step)
    {
        const GridPos next = WorldMap::GetNeighbourPos(cell, direction);
        if (!IsWalkway(next))
            break;
        cell = next;
    }
    centre = WorldMap::GetCellCentre(cell);
    return true;
}

void GuestObject::PavementTo(const platform::Vec3& point, bool jitter)
{
    float x = point.x, y = point.y;
    if (jitter)
    {
        x += static_cast<float>(platform::Rand() % 20 - 10);
        y += static_cast<float>(platform::Rand() % 30 - 15);
    }
    Tell(MT_PAVEMENT2POINT, Coordinate(x), Coordinate(y));
}

void GuestObject::GetConsumePoint()
{
    const GridPos here = GetGridPos();
    const int32_t width = g_pWorldMap ? g_pWorldMap->GetWidth() : 1;
    const int32_t height = g_pWorldMap ? g_pWorldMap->GetHeight() : 1;
    for (int32_t draw = 0; draw < 64; ++draw)
    {
        const int32_t x = std::clamp(here.x + platform::Rand() % 16 - 8, 0, width - 1);
        const int32_t y = std::clamp(here.y + platform::Rand() % 16 - 8, 0, height - 1);
        if (IsWalkway({x, y}))
        {
            PavementTo(WorldMap::GetCellPoint({x, y}, 4), false);
            return;
        }
    }
    Tell(MT_PATHBLOCKED, 13, 13);
}

void GuestObject::GetonPath()
{
    const GridPos here = GetGridPos();
    for (int32_t ring = 1; ring <= 25; ++ring)
    {
        for (int32_t direction : {0, 2, 4, 6})
        {
            const GridPos cell{here.x + kDirectionDX[direction] * ring, here.y + kDirectionDY[direction] * ring};
            if (IsWalkway(cell))
            {
                const platform::Vec3 centre = WorldMap::GetCellCentre(cell);
                Tell(MT_MOVE2POINT, Coordinate(centre.x), Coordinate(centre.y));
                return;
            }
        }
    }
    Tell(MT_PATHBLOCKED, 0, 0);
}

void GuestObject::WalkAlongPath()
{
    m_ActionState = 0;
    const GridPos here = GetGridPos();
    int32_t open[4] = {};
    int32_t count = 0;
    for (int32_t direction : {0, 2, 4, 6})
    {
        if (IsWalkway(WorldMap::GetNeighbourPos(here, direction)))
            open[count++] = direction;
    }
    if (count == 0)
    {
        Tell(MT_PATHBLOCKED, 0, 0);
        return;
    }
    const int32_t direction = open[platform::Rand() % count];
    platform::Vec3 centre;
    WalkTarget(direction, centre);
    m_iWanderDir = direction;
    PavementTo(centre, true);
}

void GuestObject::CheckForPathTurn()
{
    const GridPos here = GetGridPos();
    const int32_t first = (m_iWanderDir + 2) % 8;
    const int32_t second = (m_iWanderDir + 6) % 8;
    const bool firstOpen = IsWalkway(WorldMap::GetNeighbourPos(here, first));
    int32_t turn = -1;
    if (firstOpen && platform::Rand() % 2 == 0)
        turn = first;
    else if (IsWalkway(WorldMap::GetNeighbourPos(here, second)))
        turn = second;
    else if (firstOpen)
        turn = first;
    if (turn < 0)
        return;
    platform::Vec3 centre;
    WalkTarget(turn, centre);
    Tell(MT_MOVESTOP, 0, 0);
    m_iWanderDir = turn;
    PavementTo(centre, true);
}

// ---------------------------------------------------------------- bins and litter

void GuestObject::HeadForBin()
{
    m_ActionState = 1;
    // The bins near enough with room, in pool order.
    static std::vector<std::pair<uint32_t, Scenery*>> near;
    near.clear();
    for (Scenery* bin : Scenery::GetBins())
    {
        if (!bin->IsBin() || bin->IsWaitingForDeath() || bin->GetInfo().iCapacity <= bin->GetNumItems())
            continue;
        if (SquaredDistance(bin->GetWorldPosition(), m_WorldXYZ) >= kBinRange)
            continue;
        near.emplace_back(g_pObjectManager ? g_pObjectManager->GetSlot(bin->GetID()) : 0, bin);
    }
    std::sort(near.begin(), near.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const float chance = m_pGuestType->fLitter;
    for (const auto& [slot, bin] : near)
    {
        // Chosen by a draw below the chance: a chance that is no number chooses none.
        if (!(static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax) < chance))
            continue;
        const platform::Vec3& at = bin->GetWorldPosition();
        Tell(MT_MOVE2POINT, Coordinate(at.x), Coordinate(at.y));
        m_DestObjectID = bin->GetID();
        m_ActionState = 2;
        return;
    }
}

void GuestObject::CreateLitter()
{
    if (!g_pWorld || !g_pWorld->IsLitterAllowed() || !g_pMessageHandler)
        return;
    LitterCreationRequest request;
    std::snprintf(request.szKeyword, sizeof request.szKeyword, "Litter0%d", platform::Rand() % 5 + 1);
    const GridPos cell = GetGridPos();
    request.iGridX = cell.x;
    request.iGridY = cell.y;
    request.bDirection = static_cast<uint8_t>(platform::Rand() % 4);
    g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_LITTER), &request);
}

// ---------------------------------------------------------------- view points, interest points and visits

void GuestObject::FindViewPoint(bool second)
{
    m_iPointUsing = -1;
    BuildingObject* building = CurrentBuilding();
    if (building && !building->IsBeingDemolished())
    {
        const int32_t count = building->GetViewPointCount(second);
        for (int32_t i = 0; i < count; ++i)
        {
            if (building->IsViewPointInUse(second, i))
                continue;
            platform::Vec3 point;
            if (!(second ? building->GetViewPoint2(i, point) : building->GetViewPoint(i, point)))
                continue;
            building->SetViewPointInUse(second, i, true);
            m_iPointUsing = i;
            m_bPointSecond = second;
            Tell(MT_MOVE_DIRECT_2POINT, Coordinate(point.x), Coordinate(point.y));
            return;
        }
    }
    Tell(MT_CANT_MOVE, 0, 0);
}

void GuestObject::FaceInterestPoint()
{
    BuildingObject* building = CurrentBuilding();
    if (!building)
        return;
    const int32_t count = building->GetInterestPointCount();
    bool found = false;
    platform::Vec3 nearest{};
    float best = 0.0f;
    for (int32_t i = 0; i < count; ++i)
    {
        platform::Vec3 point;
        if (!building->GetInterestPoint(i, point))
            continue;
        const float d2 = SquaredDistance(point, m_WorldXYZ);
        if (!found || d2 < best)
        {
            found = true;
            best = d2;
            nearest = point;
        }
    }
    if (!found)
        return;
    const float dx = m_WorldXYZ.x - nearest.x;
    const float dy = m_WorldXYZ.y - nearest.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    // Standing on the point itself there is no way to face it.
    if (length <= 0.0f)
        return;
    SetOrientation(0.0f, std::atan2(dx / length, dy / length), 0.0f);
}

void GuestObject::AddVisit()
{
    BuildingObject* building = CurrentBuilding();
    if (!building)
        return;
    for (Visit& visit : m_VisitList)
    {
        if (visit.m_VisitedID == building->GetID())
        {
            // The count stops at the most it holds.
            if (visit.m_iVisitedCount < INT32_MAX)
                ++visit.m_iVisitedCount;
            return;
        }
    }
    if (static_cast<int32_t>(m_VisitList.size()) < kMaxVisits)
        m_VisitList.push_back({building->GetID(), 1});
}

// ---------------------------------------------------------------- functions

void GuestObject::CallScriptFunction(uint32_t function)
{
    BuildingObject* building = CurrentBuilding();
    switch (function)
    {
    case SF_SearchDesire:
        SearchDesire();
        break;
    case SF_GetConsumePoint:
        GetConsumePoint();
        break;
    case SF_SetInvisible:
        SetVisible(false);
        break;
    case SF_SetVisible:
        SetVisible(true);
        break;
    case SF_CreateLitter:
        CreateLitter();
        break;
    case SF_HeadForBin:
        HeadForBin();
        break;
    case SF_MissedDesire:
        MissedDesire();
        break;
    case SF_AlterPriceOpinion:
        AlterPriceOpinion();
        break;
    case SF_WalkAlongPath:
        WalkAlongPath();
        break;
    case SF_ShowThumbsOverlay:
        ShowThumbsOverlay();
        break;
    case SF_DoSpotOpinion:
        PlayVoice(m_pCurrentMessage ? m_pCurrentMessage->dwData : kNoObjectID);
        break;
    case SF_GetonPath:
        GetonPath();
        break;
    case SF_ShowThumbsDown:
        ShowThumbsDown();
        break;
    case SF_AddVisit:
        AddVisit();
        break;
    case SF_CheckQueue:
        CheckQueue();
        break;
    case SF_FinishedQueueing:
        FinishedQueueing();
        break;
    case SF_PriceTooHigh:
        PriceTooHigh();
        break;
    case SF_LeaveQueue:
        LeaveQueue();
        break;
    case SF_PostActivityScore:
        PostActivityScore();
        break;
    case SF_WelfareOpinion:
        WelfareOpinion();
        break;
    case SF_CleanUpBuilding:
        if (building)
        {
            building->RemoveGuest(m_dwID);
            building->RemoveLeaver(m_dwID);
        }
        break;
    case SF_EarlyCleanUpBuilding:
        if (building && !building->IsWaitingForDeath() && !building->IsBeingDemolished() &&
            !building->GetInfo().bKeepGuests)
        {
            building->RemoveGuest(m_dwID);
            building->AddLeaver(m_dwID);
        }
        break;
    case SF_FindViewPoint:
        FindViewPoint(false);
        break;
    case SF_FindViewPoint2:
        FindViewPoint(true);
        break;
    case SF_FindEntrance:
    {
        BaseObject* entrance = FirstEntrance();
        m_DestObjectID = entrance ? entrance->GetID() : kNoObjectID;
        platform::Vec3 point;
        BuildingPoints* points = entrance ? entrance->GetBuildingPoints() : nullptr;
        if (points && points->GetOutWalkPoint(OBJECT_GUEST, 0, point))
            SetWorldPosition({point.x, point.y, 0.0f});
        break;
    }
    case SF_FindExit:
    {
        BaseObject* entrance = FirstEntrance();
        m_DestObjectID = entrance ? entrance->GetID() : kNoObjectID;
        break;
    }
    case SF_FreeViewPoint:
    case SF_FreeViewPoint2:
        if (m_iPointUsing >= 0)
        {
            if (building)
                building->SetViewPointInUse(function == SF_FreeViewPoint2, m_iPointUsing, false);
            m_iPointUsing = -1;
        }
        break;
    case SF_FaceInterestPoint:
        FaceInterestPoint();
        break;
    case SF_CheckForPathTurn:
        CheckForPathTurn();
        break;
    case SF_FinishEating:
    {
        platform::Vec3 point;
        if (building && building->GetOutWalkPoint(OBJECT_GUEST, 0, point))
            SetWorldPosition({point.x, point.y, 0.0f});
        break;
    }
    case SF_AddToBladder:
        // Full at once rather than at the next growth step, so that a saved guest never holds more than full.
        m_desires[DESIRE_TOILET] = std::clamp(m_desires[DESIRE_TOILET] + Held(m_pGuestType->fBladder), 0.0f, 1.0f);
        break;
    case SF_OutOfCash:
        m_bNeedCash = true;
        AddThought("GUEST_THOUGHT_NEED_CASH", kNoObjectID);
        break;
    case SF_WithdrawCash:
        m_bNeedCash = false;
        m_cash += kCashWithdrawal;
        break;
    case SF_PutMeOnRide:
        if (building && std::strcmp(building->GetInfo().szRideAnim, "NONE") != 0)
            PlayAnimation(building->GetInfo().szRideAnim, false, kNoObjectID, false, nullptr);
        break;
    case SF_RemoveEarlyFromRide:
        if (building && !building->IsWaitingForDeath() && !building->IsBeingDemolished() &&
            !building->GetInfo().bKeepGuests)
        {
            if (RideComponent* ride = building->GetRide())
                ride->RemoveRider(m_dwID);
            building->AddLeaver(m_dwID);
        }
        break;
    case SF_AddToCrowd:
        if (building)
            building->AddToCrowd(m_dwID);
        break;
    case SF_RemoveFromCrowd:
        if (building)
            building->RemoveFromCrowd(m_dwID);
        break;
    case SF_DontWatchMe:
        if (building && !building->GetInfo().bFollowGuest)
        {
            if (ParkViews* views = GetParkViews())
                views->PauseFollowing(m_dwID);
        }
        break;
    case SF_LookAtMe:
        if (m_DestObjectID != kNoObjectID)
        {
            if (ParkViews* views = GetParkViews())
                views->ResumeFollowing(m_dwID);
        }
        break;
    case SF_SetViewPointCount:
        if (building)
            m_ViewPointCount = building->GetInfo().iViewPointCount;
        break;
    case SF_SetViewPointCount2:
        if (building)
            m_ViewPointCount2 = building->GetInfo().iViewPointCount2;
        break;
    case SF_KillMe:
        m_bWaitingForDeath = true;
        break;
    case SF_ClearMyDelayedMsgs:
        if (g_pMessageHandler)
            g_pMessageHandler->RemoveMessagesFor(m_dwID);
        break;
    default:
        // Said at level 1: a script that calls it does so again and again.
        GetLogger()->Report(1, "An invalid function has been called within the GuestObject");
        break;
    }
}

// ---------------------------------------------------------------- variables

ScriptValue GuestObject::GetScriptVariable(const ScriptOperand& operand)
{
    const MessageRecord none;
    const MessageRecord& message = m_pCurrentMessage ? *m_pCurrentMessage : none;
    BuildingObject* building = CurrentBuilding();
    switch (operand.id)
    {
    case SV_Sender:
        return ScriptValue::UInt(message.dwSender);
    case SV_Walkanimation:
        return ScriptValue::Text(m_WalkAnimation);
    case SV_MessData:
        return ScriptValue::UInt(message.dwData);
    case SV_MessFloatData:
        return ScriptValue::Float(message.fData);
    case SV_Cash:
        return ScriptValue::Float(m_cash);
    case SV_CommodPrice:
        return ScriptValue::Float(building ? building->GetAttractionPrice() : 0.0f);
    case SV_AttractionIndex:
        return ScriptValue::UInt(0);
    case SV_MessFlags:
        return ScriptValue::UInt(message.dwFlags);
    case SV_Happiness:
        return ScriptValue::Float(m_fHappiness);
    case SV_MaxPrice:
        return ScriptValue::Float(
            building ? building->GetInfo().fAttractPrice * m_Tolerance[TOL_PRICE_HIGH] * 2.0f * 0.01f : 0.0f);
    case SV_MyDir:
        return ScriptValue::UInt(static_cast<uint32_t>(m_iDirection));
    case SV_ActionState:
        return ScriptValue::UInt(m_ActionState);
    case SV_WorstOpinion:
    case SV_WorstOpinionVal:
    {
        int32_t worst = 0;
        float value = 2.0f;
        for (int32_t o = 0; o < OPINION_COUNT; ++o)
        {
            if (m_opinion[o] < value)
            {
                value = m_opinion[o];
                worst = o;
            }
        }
        return ScriptValue::UInt(static_cast<uint32_t>(operand.id == SV_WorstOpinion ? worst : OpinionBand(value)));
    }
    case SV_BestOpinion:
    case SV_BestOpinionVal:
    {
        int32_t best = 0;
        float value = -1.0f;
        for (int32_t o = 0; o < OPINION_COUNT; ++o)
        {
            if (m_opinion[o] > value)
            {
                value = m_opinion[o];
                best = o;
            }
        }
        return ScriptValue::UInt(static_cast<uint32_t>(operand.id == SV_BestOpinion ? best : OpinionBand(value)));
    }
    case SV_ActionPerson:
        return ScriptValue::UInt(m_ActivityPerson);
    case SV_IceDropScore:
    {
        // Turned into a word as the scripts turn their reals, so that no litter chance is beyond a score; the product
        // is taken before it could run past the reals.
        const double score = std::clamp(static_cast<double>(m_pGuestType->fLitter) * 10.0, -2147483648.0, 4294967295.0);
        return ScriptValue::UInt(FloatToWord(static_cast<float>(score)));
    }
    case SV_MsgChar:
    {
        // The message carries a handle of a kept text (a pointer would not fit the 32-bit word).
        const char* text = ScriptTextOf(message.dwData);
        return ScriptValue::Text(text ? text : "");
    }
    case SV_LitterInBin:
    {
        const auto* bin = dynamic_cast<const Scenery*>(
            g_pObjectManager && m_DestObjectID != kNoObjectID ? g_pObjectManager->GetObject(m_DestObjectID) : nullptr);
        return ScriptValue::UInt(bin ? static_cast<uint32_t>(bin->GetNumItems()) : 0);
    }
    case SV_MessState:
        return ScriptValue::UInt(message.dwData2);
    case SV_NumTimesBlocked:
        return ScriptValue::UInt(static_cast<uint32_t>(m_iNumTimesBlocked));
    case SV_NotOnPath:
    {
        const uint32_t flags = g_pWorldMap ? g_pWorldMap->GetFlags(GetGridPos()) : 0;
        return ScriptValue::Bool((flags & CELL_FOOTPATH) == 0 || (flags & CELL_BUILDING) != 0);
    }
    case SV_MissedPurchase:
        return ScriptValue::Bool(m_bMissedPurchase);
    case SV_QueuePos:
        return ScriptValue::UInt(building ? static_cast<uint32_t>(building->GetQueuePosition(m_dwID)) : 0);
    case SV_DesiredCommodText:
        return ScriptValue::Text(GetDesireName(m_eActivityDesire));
    case SV_QueueOutOfBuilding:
        return ScriptValue::Bool(building && !building->m_bHasOutGrid);
    case SV_CoveredDesireBuilding:
        return ScriptValue::Bool(building && building->GetInfo().bCovered);
    case SV_DesireViewPoints:
        return ScriptValue::Bool(building && building->GetViewPointCount(false) > 0);
    case SV_CanLeaveBuilding:
        return ScriptValue::Bool(building && (!building->GetRide() || !building->GetRide()->IsRunning()));
    case SV_ShouldLeavePark:
        return ScriptValue::Bool(GetHoursInPark() > kLongestStay || m_fHappiness < kUnhappy);
    case SV_ViewPointCount:
        return ScriptValue::UInt(static_cast<uint32_t>(m_ViewPointCount));
    case SV_ViewPointCount2:
        return ScriptValue::UInt(static_cast<uint32_t>(m_ViewPointCount2));
    default:
        return HumanObject::GetScriptVariable(operand);
    }
}

void GuestObject::SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value)
{
    switch (operand.id)
    {
    case SV_Walkanimation:
        std::snprintf(m_WalkAnimation, sizeof m_WalkAnimation, "%s",
                      value.type == SCRIPT_VALUE_TEXT && value.text ? value.text : "");
        break;
    case SV_Cash:
    case SV_Happiness:
    {
        // A value that is no number (a division by 0, a product past the largest real) leaves the figure as it was:
        // a guest holding one buys nothing and saves a record that no longer loads.
        const float figure = ScriptValueToFloat(value);
        if (std::isfinite(figure))
            (operand.id == SV_Cash ? m_cash : m_fHappiness) = figure;
        break;
    }
    case SV_MyDir:
        SetDirection(static_cast<int32_t>((ScriptValueToInt(value) + 8) % 8));
        break;
    case SV_ActionState:
        m_ActionState = ScriptValueToInt(value);
        break;
    case SV_ActionPerson:
        m_ActivityPerson = ScriptValueToInt(value);
        break;
    case SV_WalkSpeed:
    {
        // Worked in a wider whole number: the jitter of a speed near the top of the range would run past it.
        const int64_t speed = static_cast<int32_t>(ScriptValueToInt(value));
        const int64_t quarter = speed / 4;
        // A speed below 4 has no room for a jitter: it is taken as it stands.
        const int64_t jittered = quarter > 0 ? speed + platform::Rand() % quarter - quarter / 2 : speed;
        SetMaxVelocity(static_cast<float>(jittered));
        m_fMaxForce = m_fMaxVel * 0.4f;
        break;
    }
    case SV_QueueSpeed:
        SetMaxVelocity(ScriptValueToFloat(value));
        m_fMaxForce = m_fMaxVel * 0.5f;
        break;
    case SV_LitterInBin:
        if (auto* bin = dynamic_cast<Scenery*>(g_pObjectManager && m_DestObjectID != kNoObjectID
                                                   ? g_pObjectManager->GetObject(m_DestObjectID)
                                                   : nullptr))
            bin->SetNumItems(static_cast<int32_t>(ScriptValueToInt(value)));
        break;
    case SV_NumTimesBlocked:
        m_iNumTimesBlocked = static_cast<int32_t>(ScriptValueToInt(value));
        break;
    case SV_MissedPurchase:
        m_bMissedPurchase = ScriptValueToInt(value) != 0;
        break;
    case SV_ViewPointCount:
        m_ViewPointCount = static_cast<int32_t>(ScriptValueToInt(value));
        break;
    case SV_ViewPointCount2:
        m_ViewPointCount2 = static_cast<int32_t>(ScriptValueToInt(value));
        break;
    default:
        HumanObject::SetScriptVariable(operand, value);
        break;
    }
}
