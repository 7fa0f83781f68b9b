// MovingObject and HumanObject: movement orders, the fixed-step steering, walk modes, arrival, heights and the
// save record of a walker.
#include "world/MovingObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/WholeNumbers.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "world/BuildingPoints.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <numbers>

namespace
{

using platform::Vec2;
using platform::Vec3;

// The walk offsets inside a path cell by offset index; any other index is taken as 2.
constexpr float kPosOffsets[6][2] = {{0.0f, 0.0f},  {8.0f, 8.0f},   {-8.0f, -8.0f},
                                     {10.0f, 4.0f}, {-3.0f, -6.0f}, {13.0f, 13.0f}};

static_assert(MovingObject::kMaxTimeRemaining == World::kMaxGameDeltaTime + MovingObject::kStep,
              "a walk's time left over is a frame's longest step and one step");

// The most walk points a saved walk may hold, and its highest walk point index.
constexpr int32_t kMaxSavedQueuePoints = 1 << 20;
// The most steps a saved path may hold when there is no map to measure it against.
constexpr int32_t kMaxSavedSteps = 1 << 20;

float Length(Vec2 v)
{
    return std::sqrt(v.x * v.x + v.y * v.y);
}

// The vector cut to length `limit` with the steering's reciprocal.
Vec2 TruncateLength(Vec2 v, float limit)
{
    const float length = Length(v);
    if (length > limit)
        v = v * MovingObject::ApproxReciprocal(length / limit);
    return v;
}

uint32_t CellFlagsAt(const GridPos& pos)
{
    return g_pWorldMap ? g_pWorldMap->GetFlags(pos) : 0;
}

// A cell fits an end of a search when its flags share a bit with the mask and it is not scenery ground.
bool FitsEnd(const GridPos& pos, uint32_t mask)
{
    if (!g_pWorldMap || !g_pWorldMap->IsValidGridPos(pos))
        return false;
    const uint32_t flags = g_pWorldMap->GetFlags(pos);
    return (flags & mask) != 0 && (flags & CELL_SCENERY_GROUND) == 0;
}

// Moves both ends of a search onto fitting cells (an end that does not fit takes its first fitting side
// neighbour); false, with the ends unchanged, unless both fit afterwards.
bool SnapEnds(GridPos& start, GridPos& end, uint32_t mask)
{
    const auto snap = [mask](GridPos& pos)
    {
        if (FitsEnd(pos, mask))
            return true;
        for (int32_t direction = 0; direction < 8; direction += 2)
        {
            const GridPos next = WorldMap::GetNeighbourPos(pos, direction);
            if (FitsEnd(next, mask))
            {
                pos = next;
                return true;
            }
        }
        return false;
    };
    GridPos s = start;
    GridPos e = end;
    if (!snap(s) || !snap(e))
        return false;
    start = s;
    end = e;
    return true;
}

// A value kept within [low, high]; one that is no number takes `fallback`.
float Bounded(float value, float low, float high, float fallback)
{
    return std::isnan(value) ? fallback : std::clamp(value, low, high);
}

// The largest map coordinates a walker may take: just below the map's far edges (a position on an edge would stand
// in no cell); without a map, as far as a float counts in whole units.
Vec2 FarthestOnMap()
{
    if (!g_pWorldMap)
        return {16777216.0f, 16777216.0f};
    return {std::nextafter(g_pWorldMap->GetExtentX(), 0.0f), std::nextafter(g_pWorldMap->GetExtentY(), 0.0f)};
}

bool IsOnMap(float x, float y)
{
    const Vec2 far = FarthestOnMap();
    return x >= 0.0f && x <= far.x && y >= 0.0f && y <= far.y;
}

bool IsObjectMoving(const BaseObject* object)
{
    const auto* moving = dynamic_cast<const MovingObject*>(object);
    return moving && moving->IsMoving();
}

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

} // namespace

MovingObject::MovingObject(uint32_t sceneKind) : BaseObject(sceneKind) {}

MovingObject::~MovingObject() = default;

float MovingObject::ApproxReciprocal(float x)
{
    float r = std::bit_cast<float>(0x7F000000u - std::bit_cast<uint32_t>(x));
    r = (2.0f - x * r) * r;
    return r;
}

void MovingObject::Create(const char* name)
{
    BaseObject::Create(name);
    m_fLastTimeRemaining = 0.0f;
    m_bMoving = false;
    m_fMass = 5.0f;
    m_vPosition = {0.0f, 0.0f};
    m_vVelocity = {0.0f, 0.0f};
    m_vSteerForce = {0.0f, 0.0f};
    m_fMaxForce = 15.0f;
    m_fMaxVel = static_cast<float>(platform::Rand() % 40 - 20 + 35);
    m_vTarget = {0.0f, 0.0f};
    m_DestXYZ = {0.0f, 0.0f, 0.0f};
    m_DestObjectID = 0;
    m_BuildingLeavingID = 0;
    m_eBehaviourState = BEHAVIOUR_SEEK;
    m_bFollowObject = false;
    m_dwFollowID = kNoObjectID;
    m_iFollowDistance = 0;
    m_bReachedFollowDistance = false;
    ReleaseFollower();
    m_bWalkInBuilding = false;
    m_bWalkThruBuilding = false;
    m_bWalkOnQueue = false;
    m_bQueueTraversal = false;
    m_QueueXPos.clear();
    m_QueueYPos.clear();
    m_iPosOffset = 0;
    m_bWaitingForMoveImHere = false;
    m_fMessageReceived = 0.0f;
    m_fTargetTolerance = 1.5f;
    m_fZOffset = 0.0f;
    m_fZRampDistance = -1.0f;
    m_fZStartOffset = 0.0f;
    m_fZEndOffset = 0.0f;
}

void MovingObject::KeepOnMap(Vec2& point)
{
    const Vec2 far = FarthestOnMap();
    point.x = Bounded(point.x, 0.0f, far.x, 0.0f);
    point.y = Bounded(point.y, 0.0f, far.y, 0.0f);
}

void MovingObject::SetWorldPosition(const Vec3& position)
{
    Vec2 at = {position.x, position.y};
    if (m_bLoading)
        m_fLoadedHeight = position.z;
    else
    {
        at = {std::isnan(at.x) ? m_WorldXYZ.x : at.x, std::isnan(at.y) ? m_WorldXYZ.y : at.y};
        KeepOnMap(at);
    }
    m_vPosition = at;
    BaseObject::SetWorldPosition({at.x, at.y, position.z});
}

void MovingObject::SetMaxVelocity(float speed)
{
    m_fMaxVel = Bounded(speed, kMinSteer, kMaxSteer, kMinSteer);
}

void MovingObject::ReleaseFollower()
{
    Path::ReleaseFollower(m_pFollower);
    ++m_uFollowerReleases;
}

BuildingPoints* MovingObject::FindBuilding(uint32_t id)
{
    BaseObject* object = FindObject(id);
    return object && object->GetType() == OBJECT_BUILDING ? object->GetBuildingPoints() : nullptr;
}

// ---------------------------------------------------------------- messages to itself

MessageRecord MovingObject::SelfMessage(uint32_t type, uint32_t flags, uint32_t data) const
{
    MessageRecord record;
    record.dwSender = m_dwID;
    record.dwReciever = m_dwID;
    record.dwType = type;
    record.dwFlags = flags;
    record.dwData = data;
    record.dwData2 = m_dwState;
    return record;
}

void MovingObject::SendSelf(uint32_t type, uint32_t flags, uint32_t data)
{
    if (g_pMessageHandler)
        g_pMessageHandler->Send(SelfMessage(type, flags, data));
}

void MovingObject::Stop()
{
    m_fLastTimeRemaining = 0.0f;
    m_bMoving = false;
    m_vVelocity = {0.0f, 0.0f};
    m_vSteerForce = {0.0f, 0.0f};
    m_bWaitingForMoveImHere = false;
    m_fMessageReceived = 0.0f;
    const MessageRecord record = SelfMessage(MT_MOVEIMHERE);
    // A guest's own slot runs its script's handler for the message.
    if (m_bType == OBJECT_GUEST)
        PostDelayedMessage(record, kMoveImHereDelay);
    else if (g_pMessageHandler)
        g_pMessageHandler->SendDelayed(record, kMoveImHereDelay);
}

void MovingObject::StopLost()
{
    ReleaseFollower();
    m_bWalkInBuilding = false;
    m_bWalkThruBuilding = false;
    m_bWalkOnQueue = false;
    if (m_bFollowObject)
    {
        m_bFollowObject = false;
        m_dwFollowID = kNoObjectID;
        m_eBehaviourState = BEHAVIOUR_SEEK;
    }
    m_fLastTimeRemaining = 0.0f;
    m_bMoving = false;
    m_vVelocity = {0.0f, 0.0f};
    m_vSteerForce = {0.0f, 0.0f};
    m_bWaitingForMoveImHere = false;
    m_fMessageReceived = 0.0f;
    SendSelf(MT_CANT_MOVE);
}

// ---------------------------------------------------------------- the frame

bool MovingObject::Update()
{
    if (!BaseObject::Update())
        GetLogger()->Report(0, "MovingObject::Update - error calling baseobject::update - %s", m_Name);
    if (!m_bMoving)
        return true;
    const Vec2 before = m_vPosition;
    // Time that the walk could not step (a walk held up within a frame) does not pile up beyond a frame's worth.
    m_fLastTimeRemaining =
        std::min(m_fLastTimeRemaining + (g_pWorld ? g_pWorld->GetGameDeltaTime() : 0.0f), kMaxTimeRemaining);
    while (m_fLastTimeRemaining > kStep && m_bMoving)
    {
        m_fLastTimeRemaining -= kStep;
        if (!UpdateTarget() || !m_bMoving)
            break;
        if (Steer(kStep))
            Arrive();
    }
    // Kept on the map (as every position a walker is put at is).
    SetWorldPosition({m_vPosition.x, m_vPosition.y, 0.0f});
    if (m_bMoving)
    {
        const float lengthSq = m_vVelocity.x * m_vVelocity.x + m_vVelocity.y * m_vVelocity.y;
        if (lengthSq > FLT_EPSILON)
        {
            const float r = ApproxReciprocal(std::sqrt(lengthSq));
            SetOrientation(0.0f, std::atan2(-m_vVelocity.x * r, -m_vVelocity.y * r), 0.0f);
        }
        UpdateHeight(before);
    }
    PlaceSceneObject();
    return true;
}

void MovingObject::UpdateHeight(const Vec2& before)
{
    const MapCell* cell = g_pWorldMap ? g_pWorldMap->GetCell(GetGridPos()) : nullptr;
    const float ground =
        cell ? Bounded(cell->m_ZOffset, WorldMap::kLowestGround, WorldMap::kHighestGround, 0.0f) : 0.0f;
    if (std::fabs(ground - m_fZEndOffset) >= FLT_EPSILON)
    {
        m_fZEndOffset = ground;
        m_fZStartOffset = m_fZOffset;
        m_fZRampDistance = kRampLength;
    }
    if (m_fZRampDistance < 0.0f)
        return;
    // Along y a map unit is half as long as along x.
    const float moved = Length({before.x - m_vPosition.x, before.y * 0.5f - m_vPosition.y * 0.5f});
    const float rest = m_fZRampDistance - moved;
    if (rest > 0.0f)
    {
        m_fZRampDistance = rest;
        const float t = std::clamp((kRampLength - rest) * 0.0625f, 0.0f, 1.0f);
        m_fZOffset = m_fZStartOffset + (m_fZEndOffset - m_fZStartOffset) * t;
    }
    else
    {
        m_fZRampDistance = -1.0f;
        m_fZOffset = m_fZEndOffset;
    }
}

void MovingObject::PlaceSceneObject()
{
    const Vec3 scene = WorldMap::WorldToScene(m_WorldXYZ);
    SetPosition(scene.x, m_fZOffset, scene.z);
}

bool MovingObject::UpdateTarget()
{
    if (m_pFollower)
    {
        const GridPos step = m_pFollower->GetCurrentStep();
        const Vec3 centre = WorldMap::GetCellCentre(step);
        const int32_t offset = m_iPosOffset >= 0 && m_iPosOffset < 6 ? m_iPosOffset : 2;
        m_vTarget = {centre.x + kPosOffsets[offset][0], centre.y + kPosOffsets[offset][1]};
        const uint32_t flags = CellFlagsAt(step);
        const bool blocked =
            ((flags & CELL_BUILDING) && !(flags & CELL_WALKABLE)) || (flags & CELL_SCENERY_GROUND) != 0;
        const bool valid = m_pFollower->GetPath().m_bValid;
        if ((blocked || !valid) && ((CellFlagsAt(GetGridPos()) & CELL_WALKABLE) || !valid) &&
            m_pFollower->GetKind() != PATH_SCENERY)
            SearchAgain();
        return true;
    }
    if (m_bFollowObject && !FindObject(m_dwFollowID))
    {
        StopLost();
        return false;
    }
    if (m_bWalkInBuilding || m_bWalkThruBuilding)
    {
        BuildingPoints* building = FindBuilding(m_dwBuildingID);
        Vec3 point = {0.0f, 0.0f, 0.0f};
        bool found = false;
        if (building && m_bWalkInBuilding)
            found = m_bBuildingTraversal ? building->GetOutWalkPoint(m_bType, m_iCurrWalkPt, point)
                                         : building->GetInWalkPoint(m_bType, m_iCurrWalkPt, point);
        else if (building)
            found = building->GetThruWalkPoint(m_bType, m_iCurrWalkPt, point);
        if (!found)
        {
            StopLost();
            return false;
        }
        Vec2 onMap = {point.x, point.y};
        KeepOnMap(onMap);
        m_DestXYZ.x = onMap.x;
        m_DestXYZ.y = onMap.y;
    }
    else if (m_bWalkOnQueue)
    {
        if (m_iCurrWalkPt < 0 || static_cast<size_t>(m_iCurrWalkPt) >= m_QueueXPos.size() ||
            m_QueueXPos.size() != m_QueueYPos.size())
        {
            StopLost();
            return false;
        }
        Vec2 onMap = {static_cast<float>(m_QueueXPos[static_cast<size_t>(m_iCurrWalkPt)]),
                      static_cast<float>(m_QueueYPos[static_cast<size_t>(m_iCurrWalkPt)])};
        KeepOnMap(onMap);
        m_DestXYZ.x = onMap.x;
        m_DestXYZ.y = onMap.y;
    }
    m_vTarget = {m_DestXYZ.x, m_DestXYZ.y};
    return true;
}

void MovingObject::SearchAgain()
{
    const int32_t kind = m_pFollower->GetKind();
    m_pFollower->GetPath().m_bValid = false;
    ReleaseFollower();
    SendSelf(kind == PATH_PAVEMENT ? MT_PAVEMENT2POINT : MT_MOVE2POINT,
             static_cast<uint32_t>(TruncateToInt(m_DestXYZ.x)), static_cast<uint32_t>(TruncateToInt(m_DestXYZ.y)));
}

bool MovingObject::Steer(float dt)
{
    // Speed, force and mass as a walk may have them, whatever a derived class set.
    const float maxVel = Bounded(m_fMaxVel, kMinSteer, kMaxSteer, kMinSteer);
    const float maxForce = Bounded(m_fMaxForce, kMinSteer, kMaxSteer, kMinSteer);
    const float mass = Bounded(m_fMass, kMinMass, kMaxMass, kMaxMass);
    const Vec2 desired = m_vTarget - m_vPosition;
    const float d = Length(desired);
    const auto seek = [&]() -> Vec2
    {
        if (d <= 0.001f)
            return {0.0f, 0.0f};
        return TruncateLength(desired * ApproxReciprocal(d) * maxVel - m_vVelocity, maxForce);
    };
    const auto arrive = [&](float slowing) -> Vec2
    {
        if (d == 0.0f)
            return {0.0f, 0.0f};
        // No slowing distance: full speed.
        const float speed = slowing > 0.0f ? std::min(d / slowing * maxVel, maxVel) : maxVel;
        return TruncateLength(desired * (speed / d) - m_vVelocity, maxForce);
    };
    switch (m_eBehaviourState)
    {
    case BEHAVIOUR_SEEK:
        m_vSteerForce = seek();
        break;
    case BEHAVIOUR_ARRIVE:
        m_vSteerForce = arrive(m_iFollowDistance != 0 ? static_cast<float>(m_iFollowDistance) : 0.2f * maxVel);
        break;
    case BEHAVIOUR_WANDER:
        m_vSteerForce.x += static_cast<float>(platform::Rand() % 200 - 100) * 0.01f;
        m_vSteerForce.y += static_cast<float>(platform::Rand() % 200 - 100) * 0.01f;
        m_vSteerForce = TruncateLength(m_vSteerForce, maxForce);
        break;
    case BEHAVIOUR_FOLLOW:
        m_vSteerForce = m_pFollower ? seek() : arrive(static_cast<float>(m_iFollowDistance));
        break;
    default:
        break;
    }
    m_vVelocity = m_vVelocity + m_vSteerForce * ApproxReciprocal(mass);
    const float speed = Length(m_vVelocity);
    if (speed > 0.0f && speed > maxVel)
        m_vVelocity = m_vVelocity * (1.0f / (speed / maxVel));
    const Vec2 from = m_vPosition;
    m_vPosition = m_vPosition + m_vVelocity * dt;

    const float distance = Length(m_vTarget - m_vPosition);
    if (m_eBehaviourState == BEHAVIOUR_FOLLOW && !m_pFollower)
    {
        if (!(distance < static_cast<float>(m_iFollowDistance)))
            return false;
        if (!m_bReachedFollowDistance)
        {
            SendSelf(MT_REACHED_FOLLOW_DISTANCE);
            m_bReachedFollowDistance = true;
        }
        const BaseObject* followed = FindObject(m_dwFollowID);
        if (!followed && m_bFollowObject)
        {
            StopLost();
            return false;
        }
        return !IsObjectMoving(followed);
    }
    const float radius = m_eBehaviourState == BEHAVIOUR_FOLLOW && m_pFollower ? kFollowPathRadius : m_fTargetTolerance;
    if (distance < radius)
        return true;
    // A step longer than the radius may carry a fast walker over the target, past it and back for ever: such a step
    // arrives when it passes within the radius.
    const Vec2 step = m_vPosition - from;
    const float stepSq = step.x * step.x + step.y * step.y;
    if (!(stepSq > radius * radius))
        return false;
    const Vec2 toTarget = m_vTarget - from;
    const float along = std::clamp((toTarget.x * step.x + toTarget.y * step.y) / stepSq, 0.0f, 1.0f);
    return Length(toTarget - step * along) < radius;
}

void MovingObject::Arrive()
{
    if (m_pFollower)
    {
        if (m_bType == OBJECT_GUEST)
        {
            // A guest that takes a new way on its new square (a new order, or a stop) has left this path.
            const uint32_t releases = m_uFollowerReleases;
            PostMessage(SelfMessage(MT_MOVE_NEW_GRID_SQUARE));
            if (m_uFollowerReleases != releases || !m_pFollower)
                return;
        }
        const int32_t advanced = m_pFollower->Advance();
        if (advanced == PathFollower::STEP_PAST)
        {
            // The rest of the way runs straight to the destination.
            ReleaseFollower();
        }
        else if (advanced == PathFollower::STEP_LAST)
        {
            m_iPosOffset = 0;
        }
        else if ((!g_pPath || !g_pPath->IsStepWalkable(*m_pFollower)) && m_pFollower->GetKind() != PATH_SCENERY)
        {
            SearchAgain();
        }
        return;
    }
    if (m_bWalkInBuilding || m_bWalkThruBuilding)
    {
        if (++m_iCurrWalkPt >= m_iNumWalkPts)
        {
            m_bWalkInBuilding = false;
            m_bWalkThruBuilding = false;
            Stop();
        }
        return;
    }
    if (m_bWalkOnQueue)
    {
        // Forwards to the last point; backwards to the target point but never below the first.
        if (!m_bQueueTraversal && m_iCurrWalkPt < m_iNumWalkPts - 1)
        {
            ++m_iCurrWalkPt;
            return;
        }
        if (m_bQueueTraversal && m_iCurrWalkPt > m_iTargetQueuePt && m_iCurrWalkPt > 0)
        {
            --m_iCurrWalkPt;
            return;
        }
        Stop();
        return;
    }
    m_fLastTimeRemaining = 0.0f;
    if (!m_bFollowObject)
    {
        Stop();
        return;
    }
    const BaseObject* followed = FindObject(m_dwFollowID);
    if (!followed)
    {
        StopLost();
        return;
    }
    if (!IsObjectMoving(followed))
    {
        m_bFollowObject = false;
        m_dwFollowID = kNoObjectID;
        m_eBehaviourState = BEHAVIOUR_SEEK;
        Stop();
    }
}

// ---------------------------------------------------------------- orders

void MovingObject::EndWalkModes()
{
    m_bWalkInBuilding = false;
    m_bWalkThruBuilding = false;
    m_bWalkOnQueue = false;
}

bool MovingObject::StartPointOrder(const MessageRecord& record)
{
    EndWalkModes();
    m_vPosition = {m_WorldXYZ.x, m_WorldXYZ.y};
    m_eBehaviourState = BEHAVIOUR_SEEK;
    ReleaseFollower();
    m_DestXYZ = {static_cast<float>(record.dwFlags), static_cast<float>(record.dwData), 0.0f};
    if (std::fabs(m_DestXYZ.x - m_WorldXYZ.x) < kAlreadyThere && std::fabs(m_DestXYZ.y - m_WorldXYZ.y) < kAlreadyThere)
    {
        Stop();
        return false;
    }
    return DestinationOnMap();
}

bool MovingObject::DestinationOnMap()
{
    // Each frame keeps the walker on the map, so it would push at the edge for ever. The point is dropped, as the
    // point of a destination that is gone is.
    if (IsOnMap(m_DestXYZ.x, m_DestXYZ.y))
        return true;
    m_DestXYZ = {0.0f, 0.0f, 0.0f};
    StopLost();
    return false;
}

bool MovingObject::StartObjectOrder(const MessageRecord& record, bool alwaysQueueFirst)
{
    EndWalkModes();
    m_vPosition = {m_WorldXYZ.x, m_WorldXYZ.y};
    m_eBehaviourState = BEHAVIOUR_SEEK;
    ReleaseFollower();
    m_DestObjectID = record.dwData;
    m_DestXYZ = {0.0f, 0.0f, 0.0f};
    BaseObject* destination = FindObject(record.dwData);
    if (!destination)
    {
        StopLost();
        return false;
    }
    BuildingPoints* building = FindBuilding(record.dwData);
    if (!building)
        m_DestXYZ = destination->GetWorldPosition();
    else if ((alwaysQueueFirst || record.dwFlags == 0) && building->GetQueueStartPosition(m_DestXYZ))
        ;
    else
        building->GetServeInPosition(m_DestXYZ);
    return DestinationOnMap();
}

bool MovingObject::StartOrder(const MessageRecord& record, bool toPoint, bool alwaysQueueFirst)
{
    if (!(toPoint ? StartPointOrder(record) : StartObjectOrder(record, alwaysQueueFirst)))
        return false;
    m_bMoving = true;
    return true;
}

bool MovingObject::SearchKind(int32_t kind, GridPos start, GridPos end, uint32_t snapMask)
{
    if (start == end || !g_pPath)
        return false;
    if (!g_pPath->IsCellWalkable(start, kind) || !g_pPath->IsCellWalkable(end, kind))
    {
        if (!SnapEnds(start, end, snapMask))
            return false;
    }
    bool found = false;
    m_pFollower = g_pPath->FindPath(kind, start, end, &found);
    m_bSearched = true;
    return m_pFollower != nullptr;
}

bool MovingObject::SearchFootpath(GridPos start, GridPos end, uint32_t mask)
{
    if (!g_pPath)
        return false;
    const int32_t kind = mask == CELL_WALKABLE ? PATH_FOOT : PATH_PAVEMENT;
    const uint32_t startFlags = CellFlagsAt(start);
    const uint32_t endFlags = CellFlagsAt(end);
    bool found = false;
    if (start != end && (startFlags & mask) && (endFlags & mask) &&
        !(mask == CELL_FOOTPATH && ((startFlags | endFlags) & CELL_SCENERY_GROUND)))
    {
        m_pFollower = g_pPath->FindPath(kind, start, end, &found);
        m_bSearched = true;
        return m_pFollower != nullptr;
    }
    // Orders to objects search only between the cells as they are.
    if (mask == (CELL_FOOTPATH | CELL_QUEUE) || start == end || !SnapEnds(start, end, mask))
        return false;
    m_pFollower = g_pPath->FindPath(kind, start, end, &found);
    m_bSearched = true;
    return m_pFollower != nullptr;
}

void MovingObject::HandlePavementFailure(const GridPos& start, const GridPos& end, uint32_t mask)
{
    const bool onPath = ((CellFlagsAt(start) | CellFlagsAt(end)) & mask) != 0;
    if (onPath && (start == end || WorldMap::IsSideNeighbour(start, end.x, end.y)))
        return; // a step away: walk straight
    m_bMoving = false;
    SendSelf(MT_PATHBLOCKED);
}

void MovingObject::EndOrder(bool searched)
{
    if (searched)
        m_iPosOffset = platform::Rand() % 5 + 1;
    m_bWaitingForMoveImHere = true;
    m_fMessageReceived = g_pWorld ? g_pWorld->GetGameTime() : 0.0f;
}

void MovingObject::MoveInBuilding(const MessageRecord& record, bool through)
{
    m_dwBuildingID = record.dwData;
    if (!through)
        m_bBuildingTraversal = record.dwFlags != 0;
    BuildingPoints* building = FindBuilding(m_dwBuildingID);
    if (!building)
    {
        StopLost();
        return;
    }
    if (through)
        m_iNumWalkPts = building->GetThruWalkPointCount(m_bType);
    else
        m_iNumWalkPts =
            m_bBuildingTraversal ? building->GetOutWalkPointCount(m_bType) : building->GetInWalkPointCount(m_bType);
    if (m_iNumWalkPts <= 0)
    {
        Stop();
        return;
    }
    m_bMoving = true;
    if (through)
        m_bWalkThruBuilding = true;
    else
        m_bWalkInBuilding = true;
    m_iCurrWalkPt = 0;
    EndOrder(false);
}

void MovingObject::MoveAlongQueue(const MessageRecord& record)
{
    m_dwBuildingID = m_DestObjectID;
    BuildingPoints* building = FindBuilding(m_dwBuildingID);
    if (!building)
    {
        StopLost();
        return;
    }
    m_iNumWalkPts = building->GetQueuePointCount();
    m_QueueXPos.clear();
    m_QueueYPos.clear();
    if (m_iNumWalkPts <= 0)
    {
        Stop();
        return;
    }
    m_bMoving = true;
    m_bQueueTraversal = record.dwFlags != 0;
    if (!m_bWalkOnQueue)
        m_iCurrWalkPt = m_bQueueTraversal ? m_iNumWalkPts - 1 : 0;
    else
        m_iCurrWalkPt = std::clamp(m_iCurrWalkPt, 0, m_iNumWalkPts - 1); // the queue may have shrunk
    m_iTargetQueuePt = static_cast<int32_t>(record.dwData);
    m_bWalkOnQueue = true;
    for (int32_t i = 0; i < m_iNumWalkPts; ++i)
    {
        m_QueueXPos.push_back(TruncateToInt(building->GetQueuePointX(i, m_bQueueTraversal)));
        m_QueueYPos.push_back(TruncateToInt(building->GetQueuePointY(i, m_bQueueTraversal)));
    }
    EndOrder(false);
}

bool MovingObject::Message(const MessageRecord& record)
{
    m_bSearched = false;
    switch (record.dwType)
    {
    case MT_MOVE2POINT:
    case MT_MOVE2OBJECT:
    {
        if (!StartOrder(record, record.dwType == MT_MOVE2POINT, false))
            return true;
        if (!SearchKind(PATH_FOOT, GetGridPos(), WorldMap::WorldToGrid(m_DestXYZ), CELL_WALKABLE))
            SendSelf(MT_CANT_MOVE); // and walk straight on
        EndOrder(m_bSearched);
        return true;
    }
    case MT_PAVEMENT2POINT:
    case MT_PAVEMENT2OBJECT:
    {
        const bool toPoint = record.dwType == MT_PAVEMENT2POINT;
        if (!StartOrder(record, toPoint, false))
            return true;
        const uint32_t mask = toPoint ? CELL_FOOTPATH : CELL_FOOTPATH | CELL_QUEUE;
        const GridPos start = GetGridPos();
        const GridPos end = WorldMap::WorldToGrid(m_DestXYZ);
        if (!SearchFootpath(start, end, mask))
            HandlePavementFailure(start, end, mask);
        if (m_bMoving)
            EndOrder(m_bSearched);
        return true;
    }
    case MT_PATH_THROUGH_SCENERY:
    case MT_PATH_THROUGH_SCENERY2OBJECT:
    {
        if (!StartOrder(record, record.dwType == MT_PATH_THROUGH_SCENERY, true))
            return true;
        if (!SearchKind(PATH_SCENERY, GetGridPos(), WorldMap::WorldToGrid(m_DestXYZ), CELL_WALKABLE))
        {
            m_bMoving = false;
            SendSelf(MT_NO_SCENERY_PATH);
            return true;
        }
        EndOrder(m_bSearched);
        return true;
    }
    case MT_MOVE_DIRECT_2POINT:
        if (StartPointOrder(record))
        {
            m_bMoving = true;
            EndOrder(false);
        }
        return true;
    case MT_MOVE_DIRECT_2OBJECT:
    {
        EndWalkModes();
        if (std::fabs(m_DestXYZ.x - m_WorldXYZ.x) < kAlreadyThere &&
            std::fabs(m_DestXYZ.y - m_WorldXYZ.y) < kAlreadyThere)
        {
            Stop();
            return true;
        }
        m_bMoving = true;
        m_DestObjectID = record.dwData;
        BaseObject* destination = FindObject(record.dwData);
        if (!destination)
        {
            StopLost();
            return true;
        }
        BuildingPoints* building = FindBuilding(record.dwData);
        if (!building || !building->GetQueueStartPosition(m_DestXYZ))
            m_DestXYZ = destination->GetWorldPosition();
        DestinationOnMap();
        return true;
    }
    case MT_MOVESTOP:
        m_bMoving = false;
        m_bFollowObject = false;
        m_eBehaviourState = BEHAVIOUR_SEEK;
        return true;
    case MT_MOVE_CARRY_ON:
        m_bMoving = true;
        return true;
    case MT_MOVE_INSIDE_BUILDING:
        MoveInBuilding(record, false);
        return true;
    case MT_MOVE_THRU_BUILDING:
        MoveInBuilding(record, true);
        return true;
    case MT_MOVE_ALONG_QUEUE:
        MoveAlongQueue(record);
        return true;
    case MT_FINISHED_QUEUE:
        m_bWalkOnQueue = false;
        return true;
    default:
        return BaseObject::Message(record);
    }
}

// ---------------------------------------------------------------- script variables

ScriptValue MovingObject::GetScriptVariable(const ScriptOperand& operand)
{
    const auto integer = [](float value) { return ScriptValue::UInt(static_cast<uint32_t>(TruncateToInt(value))); };
    switch (operand.id)
    {
    case VAR_DEST_DIR:
        if (const BaseObject* destination = FindObject(m_DestObjectID))
            return ScriptValue::UInt(static_cast<uint32_t>(destination->GetDirection()));
        break;
    case VAR_DEST_OBJECT_EXIT_X:
    case VAR_DEST_OBJECT_EXIT_Y:
        if (BuildingPoints* building = FindBuilding(m_DestObjectID))
        {
            Vec3 point = {0.0f, 0.0f, 0.0f};
            building->GetServeOutPosition(point);
            return integer(operand.id == VAR_DEST_OBJECT_EXIT_X ? point.x : point.y);
        }
        break;
    case VAR_MOVING:
        return ScriptValue::Bool(m_bMoving);
    case VAR_DEST_OBJECT:
        return ScriptValue::UInt(m_DestObjectID);
    case VAR_DEST_OBJECT_ENTRANCE_X:
    case VAR_DEST_OBJECT_ENTRANCE_Y:
        if (BuildingPoints* building = FindBuilding(m_DestObjectID))
        {
            Vec3 point = {0.0f, 0.0f, 0.0f};
            if (building->GetQueueStartPosition(point))
                return integer(operand.id == VAR_DEST_OBJECT_ENTRANCE_X ? point.x : point.y);
        }
        break;
    default:
        return BaseObject::GetScriptVariable(operand);
    }
    // No destination to answer for: the value every caller reads as false.
    return ScriptValue::Bool(false);
}

void MovingObject::SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value)
{
    if (operand.id != VAR_DEST_OBJECT)
    {
        BaseObject::SetScriptVariable(operand, value);
        return;
    }
    switch (value.type)
    {
    case SCRIPT_VALUE_FLOAT:
        m_DestObjectID = static_cast<uint32_t>(TruncateToInt(value.AsFloatBits()));
        break;
    case SCRIPT_VALUE_BOOL:
        m_DestObjectID = value.data & 0xFF;
        break;
    default:
        m_DestObjectID = value.data;
        break;
    }
}

// ---------------------------------------------------------------- save and load

void MovingObject::Dump(SerialStream& stream)
{
    stream.WriteFloat("m_fLastTimeRemaining", m_fLastTimeRemaining);
    stream.WriteBool("m_bMoving", m_bMoving);
    stream.WriteFloat("m_fMass", m_fMass);
    stream.WriteFloat("m_vPosition.x", m_vPosition.x);
    stream.WriteFloat("m_vPosition.y", m_vPosition.y);
    stream.WriteFloat("m_vVelocity.x", m_vVelocity.x);
    stream.WriteFloat("m_vVelocity.y", m_vVelocity.y);
    stream.WriteFloat("m_vSteerForce.x", m_vSteerForce.x);
    stream.WriteFloat("m_vSteerForce.y", m_vSteerForce.y);
    stream.WriteFloat("m_fMaxForce", m_fMaxForce);
    stream.WriteFloat("m_fMaxVel", m_fMaxVel);
    stream.WriteFloat("m_vTarget.x", m_vTarget.x);
    stream.WriteFloat("m_vTarget.y", m_vTarget.y);
    stream.WriteFloat("m_DestXYZ.x", m_DestXYZ.x);
    stream.WriteFloat("m_DestXYZ.y", m_DestXYZ.y);
    stream.WriteFloat("m_DestXYZ.z", m_DestXYZ.z);
    stream.WriteUInt("m_DestObjectID", m_DestObjectID);
    stream.WriteUInt("m_BuildingLeavingID", m_BuildingLeavingID);
    stream.WriteInt("m_eBehaviourState", m_eBehaviourState);
    stream.WriteUInt("m_GroupID", m_GroupID);
    stream.WriteBool("m_bFollowObject", m_bFollowObject);
    stream.WriteUInt("m_dwFollowID", m_dwFollowID);
    stream.WriteInt("m_iFollowDistance", m_iFollowDistance);
    stream.WriteBool("m_bReachedFollowDistance", m_bReachedFollowDistance);
    stream.WriteInt("on path", m_pFollower ? 1 : 0);
    if (m_pFollower)
        m_pFollower->Dump(stream);
    stream.WriteBool("m_bWalkInBuilding", m_bWalkInBuilding);
    stream.WriteUInt("m_dwBuildingID", m_dwBuildingID);
    stream.WriteBool("m_bBuildingTraversal", m_bBuildingTraversal);
    stream.WriteInt("m_iNumWalkPts", m_iNumWalkPts);
    stream.WriteInt("m_iCurrWalkPt", m_iCurrWalkPt);
    stream.WriteBool("m_bWalkThruBuilding", m_bWalkThruBuilding);
    stream.WriteBool("m_bWalkOnQueue", m_bWalkOnQueue);
    stream.WriteBool("m_bQueueTraversal", m_bQueueTraversal);
    stream.WriteInt("m_iTargetQueuePt", m_iTargetQueuePt);
    for (const std::deque<int32_t>* copy : {&m_QueueXPos, &m_QueueYPos})
    {
        const bool isX = copy == &m_QueueXPos;
        stream.WriteInt(isX ? "m_QueueXPos.size" : "m_QueueYPos.size", static_cast<int32_t>(copy->size()));
        for (int32_t value : *copy)
            stream.WriteInt(isX ? "m_QueueXPos[]" : "m_QueueYPos[]", value);
    }
    stream.WriteInt("m_iPosOffset", m_iPosOffset);
    stream.WriteBool("m_bWaitingForMoveImHere", m_bWaitingForMoveImHere);
    stream.WriteFloat("m_fMessageReceived", m_fMessageReceived);
    stream.WriteFloat("m_fTargetTolerance", m_fTargetTolerance);
    stream.WriteFloat("m_fZOffset", m_fZOffset);
    stream.WriteFloat("m_fZRampDistance", m_fZRampDistance);
    stream.WriteFloat("m_fZStartOffset", m_fZStartOffset);
    stream.WriteFloat("m_fZEndOffset", m_fZEndOffset);
    BaseObject::Dump(stream);
}

// The walker's own part of a saved record, read aside and taken in only when the whole record holds together.
struct MovingObject::SavedWalk
{
    float m_fLastTimeRemaining = 0.0f;
    bool m_bMoving = false;
    float m_fMass = 0.0f;
    Vec2 m_vPosition = {0.0f, 0.0f};
    Vec2 m_vVelocity = {0.0f, 0.0f};
    Vec2 m_vSteerForce = {0.0f, 0.0f};
    float m_fMaxForce = 0.0f;
    float m_fMaxVel = 0.0f;
    Vec2 m_vTarget = {0.0f, 0.0f};
    Vec3 m_DestXYZ = {0.0f, 0.0f, 0.0f};
    uint32_t m_DestObjectID = 0;
    uint32_t m_BuildingLeavingID = 0;
    int32_t m_eBehaviourState = 0;
    uint32_t m_GroupID = 0;
    bool m_bFollowObject = false;
    uint32_t m_dwFollowID = 0;
    int32_t m_iFollowDistance = 0;
    bool m_bReachedFollowDistance = false;
    std::unique_ptr<PathFollower> m_pFollower;
    bool m_bWalkInBuilding = false;
    uint32_t m_dwBuildingID = 0;
    bool m_bBuildingTraversal = false;
    int32_t m_iNumWalkPts = 0;
    int32_t m_iCurrWalkPt = 0;
    bool m_bWalkThruBuilding = false;
    bool m_bWalkOnQueue = false;
    bool m_bQueueTraversal = false;
    int32_t m_iTargetQueuePt = 0;
    std::deque<int32_t> m_QueueXPos;
    std::deque<int32_t> m_QueueYPos;
    int32_t m_iPosOffset = 0;
    bool m_bWaitingForMoveImHere = false;
    float m_fMessageReceived = 0.0f;
    float m_fTargetTolerance = 0.0f;
    float m_fZOffset = 0.0f;
    float m_fZRampDistance = 0.0f;
    float m_fZStartOffset = 0.0f;
    float m_fZEndOffset = 0.0f;
};

namespace
{

// A saved value and the range a walk keeps it in.
struct SavedRange
{
    const char* name;
    float value;
    float low;
    float high;
};

// True when every value lies in its range; otherwise false, with a report naming the first that does not (no
// number lies in no range).
template <size_t N> bool AllInRange(const SavedRange (&ranges)[N], const char* object)
{
    for (const SavedRange& range : ranges)
        if (!(range.value >= range.low && range.value <= range.high))
        {
            GetLogger()->Report(0, "MovingObject::Load - the saved %s (%g) is out of range - %s", range.name,
                                static_cast<double>(range.value), object);
            return false;
        }
    return true;
}

} // namespace

bool MovingObject::ReadWalk(SerialStream& stream, SavedWalk& s)
{
    const auto fail = [this](const char* why)
    {
        GetLogger()->Report(0, "MovingObject::Load - %s - %s", why, m_Name);
        return false;
    };
    stream.ReadFloat(&s.m_fLastTimeRemaining);
    stream.ReadBool(&s.m_bMoving);
    stream.ReadFloat(&s.m_fMass);
    stream.ReadFloat(&s.m_vPosition.x);
    stream.ReadFloat(&s.m_vPosition.y);
    stream.ReadFloat(&s.m_vVelocity.x);
    stream.ReadFloat(&s.m_vVelocity.y);
    stream.ReadFloat(&s.m_vSteerForce.x);
    stream.ReadFloat(&s.m_vSteerForce.y);
    stream.ReadFloat(&s.m_fMaxForce);
    stream.ReadFloat(&s.m_fMaxVel);
    stream.ReadFloat(&s.m_vTarget.x);
    stream.ReadFloat(&s.m_vTarget.y);
    stream.ReadFloat(&s.m_DestXYZ.x);
    stream.ReadFloat(&s.m_DestXYZ.y);
    stream.ReadFloat(&s.m_DestXYZ.z);
    stream.ReadUInt(&s.m_DestObjectID);
    stream.ReadUInt(&s.m_BuildingLeavingID);
    stream.ReadInt(&s.m_eBehaviourState);
    stream.ReadUInt(&s.m_GroupID);
    stream.ReadBool(&s.m_bFollowObject);
    stream.ReadUInt(&s.m_dwFollowID);
    stream.ReadInt(&s.m_iFollowDistance);
    stream.ReadBool(&s.m_bReachedFollowDistance);
    int32_t onPath = 0;
    stream.ReadInt(&onPath);
    if (!stream.Good())
        return fail("the saved walker is cut short");
    if (onPath == 1)
    {
        const int32_t maxSteps = g_pWorldMap ? static_cast<int32_t>(g_pWorldMap->GetCellCount()) : kMaxSavedSteps;
        s.m_pFollower = PathFollower::Load(stream, g_pWorldMap, maxSteps);
        if (!s.m_pFollower)
            return fail("the saved path does not hold together");
    }
    else if (onPath != 0)
    {
        return fail("the saved path mark is neither 0 nor 1");
    }
    stream.ReadBool(&s.m_bWalkInBuilding);
    stream.ReadUInt(&s.m_dwBuildingID);
    stream.ReadBool(&s.m_bBuildingTraversal);
    stream.ReadInt(&s.m_iNumWalkPts);
    stream.ReadInt(&s.m_iCurrWalkPt);
    stream.ReadBool(&s.m_bWalkThruBuilding);
    stream.ReadBool(&s.m_bWalkOnQueue);
    stream.ReadBool(&s.m_bQueueTraversal);
    stream.ReadInt(&s.m_iTargetQueuePt);
    for (std::deque<int32_t>* copy : {&s.m_QueueXPos, &s.m_QueueYPos})
    {
        int32_t count = 0;
        stream.ReadInt(&count);
        if (!stream.Good() || count < 0 || count > kMaxSavedQueuePoints)
            return fail("the saved queue points do not hold together");
        for (int32_t i = 0; i < count; ++i)
        {
            int32_t value = 0;
            if (!stream.ReadInt(&value) || !stream.Good())
                return fail("the saved queue points are cut short");
            copy->push_back(value);
        }
    }
    stream.ReadInt(&s.m_iPosOffset);
    stream.ReadBool(&s.m_bWaitingForMoveImHere);
    stream.ReadFloat(&s.m_fMessageReceived);
    stream.ReadFloat(&s.m_fTargetTolerance);
    stream.ReadFloat(&s.m_fZOffset);
    stream.ReadFloat(&s.m_fZRampDistance);
    stream.ReadFloat(&s.m_fZStartOffset);
    stream.ReadFloat(&s.m_fZEndOffset);
    if (!stream.Good())
        return fail("the saved walker is cut short");
    // Every number against what a walk makes of it: positions and the points walked to on the map; velocities and
    // forces (which the steering truncates only roughly) within twice the fastest walk; heights among the ground's.
    const Vec2 far = FarthestOnMap();
    const float low = WorldMap::kLowestGround, high = WorldMap::kHighestGround;
    const float fast = 2.0f * kMaxSteer;
    const SavedRange ranges[] = {
        {"m_fLastTimeRemaining", s.m_fLastTimeRemaining, 0.0f, kMaxTimeRemaining},
        {"m_fMass", s.m_fMass, kMinMass, kMaxMass},
        {"m_vPosition.x", s.m_vPosition.x, 0.0f, far.x},
        {"m_vPosition.y", s.m_vPosition.y, 0.0f, far.y},
        {"m_vVelocity.x", s.m_vVelocity.x, -fast, fast},
        {"m_vVelocity.y", s.m_vVelocity.y, -fast, fast},
        {"m_vSteerForce.x", s.m_vSteerForce.x, -fast, fast},
        {"m_vSteerForce.y", s.m_vSteerForce.y, -fast, fast},
        {"m_fMaxForce", s.m_fMaxForce, kMinForce, kMaxSteer},
        {"m_fMaxVel", s.m_fMaxVel, kMinSteer, kMaxSteer},
        {"m_vTarget.x", s.m_vTarget.x, 0.0f, far.x},
        {"m_vTarget.y", s.m_vTarget.y, 0.0f, far.y},
        {"m_DestXYZ.x", s.m_DestXYZ.x, 0.0f, far.x},
        {"m_DestXYZ.y", s.m_DestXYZ.y, 0.0f, far.y},
        {"m_DestXYZ.z", s.m_DestXYZ.z, low, high},
        {"m_fMessageReceived", s.m_fMessageReceived, 0.0f, kMaxGameTime},
        {"m_fTargetTolerance", s.m_fTargetTolerance, 0.0f, kMaxTolerance},
        {"m_fZOffset", s.m_fZOffset, low, high},
        {"m_fZRampDistance", s.m_fZRampDistance, -1.0f, kRampLength},
        {"m_fZStartOffset", s.m_fZStartOffset, low, high},
        {"m_fZEndOffset", s.m_fZEndOffset, low, high},
        {"m_fTimeStamp", s.m_pFollower ? s.m_pFollower->GetPath().m_fTimeStamp : 0.0f, 0.0f, kMaxGameTime},
    };
    if (!AllInRange(ranges, m_Name))
        return false;
    // Walks keep their point counts and indexes within what a building holds, and both queue copies alike; which
    // walk mode is in force decides at each step whether its points fit.
    if (s.m_QueueXPos.size() != s.m_QueueYPos.size() || s.m_iNumWalkPts < 0 || s.m_iNumWalkPts > kMaxSavedQueuePoints ||
        s.m_iCurrWalkPt < 0 || s.m_iCurrWalkPt > kMaxSavedQueuePoints)
        return fail("the saved walk points do not hold together");
    return true;
}

bool MovingObject::Load(SerialStream& stream)
{
    SavedWalk s;
    if (!ReadWalk(stream, s))
        return false;
    // The position is read as it was saved, to be checked here rather than moved onto the map.
    m_bLoading = true;
    m_fLoadedHeight = 0.0f;
    const bool loaded = BaseObject::Load(stream);
    m_bLoading = false;
    if (!loaded)
        return false;
    const Vec2 far = FarthestOnMap();
    const Vec3 scene = GetPosition();
    const Vec3 turn = GetOrientation();
    const float sceneFarX = g_pWorldMap ? g_pWorldMap->GetSceneMaxX() : far.x;
    const float sceneFarZ = g_pWorldMap ? g_pWorldMap->GetSceneMaxZ() : far.y;
    constexpr float kPi = std::numbers::pi_v<float>;
    // The scene object stands where the walker was last placed (or nowhere yet), turned about the upright only.
    const SavedRange ranges[] = {
        {"m_WorldXYZ.x", m_WorldXYZ.x, 0.0f, far.x},
        {"m_WorldXYZ.y", m_WorldXYZ.y, 0.0f, far.y},
        {"m_WorldXYZ.z", m_fLoadedHeight, WorldMap::kLowestGround, WorldMap::kHighestGround},
        {"scene position x", scene.x, 0.0f, sceneFarX},
        {"scene position y", scene.y, WorldMap::kLowestGround, WorldMap::kHighestGround},
        {"scene position z", scene.z, 0.0f, sceneFarZ},
        {"orientation x", turn.x, -kPi, kPi},
        {"orientation y", turn.y, -kPi, kPi},
        {"orientation z", turn.z, -kPi, kPi},
    };
    if (!AllInRange(ranges, m_Name))
        return false;
    m_fLastTimeRemaining = s.m_fLastTimeRemaining;
    m_bMoving = s.m_bMoving;
    m_fMass = s.m_fMass;
    // The position is the one the object was saved at (the base record's), as the base's load sets it.
    m_vPosition = {m_WorldXYZ.x, m_WorldXYZ.y};
    m_vVelocity = s.m_vVelocity;
    m_vSteerForce = s.m_vSteerForce;
    m_fMaxForce = s.m_fMaxForce;
    m_fMaxVel = s.m_fMaxVel;
    m_vTarget = s.m_vTarget;
    m_DestXYZ = s.m_DestXYZ;
    m_DestObjectID = s.m_DestObjectID;
    m_BuildingLeavingID = s.m_BuildingLeavingID;
    m_eBehaviourState = s.m_eBehaviourState;
    m_GroupID = s.m_GroupID;
    m_bFollowObject = s.m_bFollowObject;
    m_dwFollowID = s.m_dwFollowID;
    m_iFollowDistance = s.m_iFollowDistance;
    m_bReachedFollowDistance = s.m_bReachedFollowDistance;
    m_pFollower = std::move(s.m_pFollower);
    m_bWalkInBuilding = s.m_bWalkInBuilding;
    m_dwBuildingID = s.m_dwBuildingID;
    m_bBuildingTraversal = s.m_bBuildingTraversal;
    m_iNumWalkPts = s.m_iNumWalkPts;
    m_iCurrWalkPt = s.m_iCurrWalkPt;
    m_bWalkThruBuilding = s.m_bWalkThruBuilding;
    m_bWalkOnQueue = s.m_bWalkOnQueue;
    m_bQueueTraversal = s.m_bQueueTraversal;
    m_iTargetQueuePt = s.m_iTargetQueuePt;
    m_QueueXPos = std::move(s.m_QueueXPos);
    m_QueueYPos = std::move(s.m_QueueYPos);
    m_iPosOffset = s.m_iPosOffset;
    m_bWaitingForMoveImHere = s.m_bWaitingForMoveImHere;
    m_fMessageReceived = s.m_fMessageReceived;
    m_fTargetTolerance = s.m_fTargetTolerance;
    m_fZOffset = s.m_fZOffset;
    m_fZRampDistance = s.m_fZRampDistance;
    m_fZStartOffset = s.m_fZStartOffset;
    m_fZEndOffset = s.m_fZEndOffset;
    return true;
}

// ---------------------------------------------------------------- HumanObject

void HumanObject::Dump(SerialStream& stream)
{
    MovingObject::Dump(stream);
}

bool HumanObject::Load(SerialStream& stream)
{
    return MovingObject::Load(stream);
}

void HumanObject::Create(const char* name)
{
    MovingObject::Create(name);
}

bool HumanObject::Update()
{
    if (!MovingObject::Update())
        GetLogger()->Report(0, "HumanObject::Update - error calling movingobject::update - %s", m_Name);
    return true;
}

bool HumanObject::Message(const MessageRecord& record)
{
    return MovingObject::Message(record);
}

bool HumanObject::PostMessage(MessageRecord)
{
    return false;
}

bool HumanObject::PostDelayedMessage(MessageRecord, float)
{
    return false;
}

ScriptValue HumanObject::GetScriptVariable(const ScriptOperand& operand)
{
    if (operand.id == kUnknownVariable)
        return ScriptValue::Bool(false);
    return MovingObject::GetScriptVariable(operand);
}

void HumanObject::SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value)
{
    MovingObject::SetScriptVariable(operand, value);
}
