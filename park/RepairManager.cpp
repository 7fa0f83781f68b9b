// RepairManager: requests, the workers' choice of the nearest job, better jobs, watering, the job's life and the
// board's save record.
#include "park/RepairManager.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "platform/Random.h"
#include "scripts/WorldParams.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/StaticObject.h"
#include "world/World.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <unordered_set>

namespace
{

constexpr int32_t kSaveSize = 16;

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

float GameTime()
{
    return g_pWorld ? g_pWorld->GetGameTime() : 0.0f;
}

float SquaredDistance(const platform::Vec3& a, const platform::Vec3& b)
{
    const float x = a.x - b.x;
    const float y = a.y - b.y;
    const float z = a.z - b.z;
    return x * x + y * y + z * z;
}

void SetRepairing(uint32_t id, bool repairing)
{
    if (auto* still = dynamic_cast<StaticObject*>(FindObject(id)))
        still->SetRepairing(repairing);
}

bool WantsWater(const BaseObject& scenery)
{
    if (!g_pWorldParams)
        return false;
    const int32_t type = g_pWorldParams->FindScenery(scenery.GetName());
    return type != WorldParams::kNotFound && g_pWorldParams->GetSceneryInfo(type).bWater;
}

template <typename List> auto FindIn(List& list, uint32_t id)
{
    return std::find_if(list.begin(), list.end(), [id](const auto& record) { return record.RepairID == id; });
}

} // namespace

const RepairManager::Request* RepairManager::FindPending(uint32_t id) const
{
    const auto it = FindIn(m_Pending, id);
    return it == m_Pending.end() ? nullptr : &*it;
}

const RepairManager::Job* RepairManager::FindAssigned(uint32_t id) const
{
    const auto it = FindIn(m_Assigned, id);
    return it == m_Assigned.end() ? nullptr : &*it;
}

void RepairManager::RequestRepair(uint32_t id, uint32_t type)
{
    if (!FindObject(id))
        return;
    const auto assigned = FindIn(m_Assigned, id);
    if (assigned != m_Assigned.end())
    {
        assigned->Type = std::max(assigned->Type, type);
        return;
    }
    const auto pending = FindIn(m_Pending, id);
    if (pending != m_Pending.end())
    {
        ++pending->iCalls;
        pending->Type = std::max(pending->Type, type);
        return;
    }
    m_Pending.push_back({id, 0, 0.0f, GameTime(), false, type});
}

bool RepairManager::RequestUrgentRepair(uint32_t id, uint32_t type)
{
    if (!FindObject(id))
        return false;
    const auto assigned = FindIn(m_Assigned, id);
    if (assigned != m_Assigned.end())
    {
        assigned->bUrgent = true;
        assigned->Type = std::max(assigned->Type, type);
        return false;
    }
    const auto pending = FindIn(m_Pending, id);
    if (pending != m_Pending.end())
    {
        if (!pending->bUrgent)
        {
            pending->bUrgent = true;
            pending->Type = type;
        }
        ++pending->iCalls;
        return false;
    }
    m_Pending.push_back({id, 0, 0.0f, GameTime(), true, type});
    return true;
}

void RepairManager::CancelRepair(uint32_t id)
{
    const auto it = FindIn(m_Pending, id);
    if (it != m_Pending.end())
        m_Pending.erase(it);
}

RepairManager::Candidates RepairManager::ScanRequests(const platform::Vec3& position, uint32_t kind)
{
    const auto none = m_Pending.end();
    Candidates found{none, none, none};
    const float now = GameTime();
    for (auto it = m_Pending.begin(); it != none; ++it)
    {
        std::vector<Request>::iterator* slot = nullptr;
        if (it->bUrgent)
            slot = &found.urgent;
        else if (it->Type == REPAIR_BREAKDOWN && kind == REPAIR_BREAKDOWN)
            slot = &found.repair;
        else if (it->Type == kind && (kind == REPAIR_SERVICE || kind == REPAIR_ZOO_VISIT))
            slot = &found.matching;
        if (!slot || !(now - it->fTimeCalled > kMinRequestAge))
            continue;
        const BaseObject* object = FindObject(it->RepairID);
        if (!object)
            continue;
        it->fDistance = SquaredDistance(object->GetWorldPosition(), position);
        if (*slot == none || it->fDistance < (*slot)->fDistance)
            *slot = it;
    }
    return found;
}

int32_t RepairManager::FindJob(const platform::Vec3& position, uint32_t kind, uint32_t& type)
{
    if (kind == REPAIR_WATERING)
    {
        const int32_t id = FindWateringTarget(position, kWateringReach);
        if (id < 0)
            return -1;
        AddAssigned(static_cast<uint32_t>(id), true, REPAIR_WATERING);
        type = REPAIR_WATERING;
        return id;
    }
    const Candidates found = ScanRequests(position, kind);
    const bool urgent = found.urgent != m_Pending.end();
    const auto chosen = urgent ? found.urgent : found.repair != m_Pending.end() ? found.repair : found.matching;
    if (chosen == m_Pending.end())
        return -1;
    const uint32_t id = chosen->RepairID;
    type = chosen->Type;
    AddAssigned(id, urgent, chosen->Type);
    m_Pending.erase(chosen);
    return static_cast<int32_t>(id);
}

int32_t RepairManager::LookForBetterJob(const platform::Vec3& position, uint32_t current, uint32_t& type)
{
    const Job* job = FindAssigned(current);
    if (!job || (job->Type == REPAIR_WATERING && job->bUrgent))
        return -1;
    const Job now = *job;
    const BaseObject* object = FindObject(current);
    // A job whose object is gone is no job to keep.
    const float nearness = object ? SquaredDistance(object->GetWorldPosition(), position) : FLT_MAX;
    const Candidates found = ScanRequests(position, now.Type);
    const auto none = m_Pending.end();
    auto chosen = none;
    bool urgent = false;
    if (found.urgent != none && (!now.bUrgent || found.urgent->fDistance < nearness))
    {
        chosen = found.urgent;
        urgent = true;
    }
    else if (!now.bUrgent)
    {
        const auto other = found.repair != none ? found.repair : found.matching;
        if (other == none || other->Type < now.Type || other->RepairID == current)
            return -1;
        if (!(other->fDistance < nearness || other->Type > now.Type))
            return -1;
        chosen = other;
    }
    if (chosen == none)
        return -1;
    const uint32_t id = chosen->RepairID;
    const uint32_t chosenType = chosen->Type;
    // Giving the current job back may add a request at the end of the list, which may move the list: the chosen
    // request keeps its place in it.
    const auto place = chosen - m_Pending.begin();
    ReturnJob(current, now.Type);
    AddAssigned(id, urgent, chosenType);
    type = chosenType;
    SetRepairing(id, true);
    m_Pending.erase(m_Pending.begin() + place);
    return static_cast<int32_t>(id);
}

int32_t RepairManager::FindDistantWateringJob(const platform::Vec3& position)
{
    const int32_t id = FindWateringTarget(position, 0.0f);
    if (id < 0)
        return -1;
    AddAssigned(static_cast<uint32_t>(id), false, REPAIR_WATERING);
    SetRepairing(static_cast<uint32_t>(id), true);
    return id;
}

void RepairManager::UpdateSceneryList() const
{
    const ObjectManager* objects = g_pObjectManager;
    const uint32_t others = objects->GetPoolCount(ObjectManager::POOL_OTHER);
    const uint32_t next = objects->GetNextFreeObjectID();
    if (m_pSceneryObjects == objects && m_pSceneryParams == g_pWorldParams && m_SceneryPoolCount == others &&
        m_SceneryNextID == next)
        return;
    m_Scenery.clear();
    for (uint32_t slot = 0; slot < others; ++slot)
    {
        const BaseObject* object = objects->GetPoolObject(ObjectManager::POOL_OTHER, slot);
        if (object->GetType() == OBJECT_SCENERY)
            m_Scenery.push_back({slot, WantsWater(*object)});
    }
    m_pSceneryObjects = objects;
    m_pSceneryParams = g_pWorldParams;
    m_SceneryPoolCount = others;
    m_SceneryNextID = next;
}

int32_t RepairManager::FindWateringTarget(const platform::Vec3& position, float limit) const
{
    if (!g_pObjectManager)
        return -1;
    UpdateSceneryList();
    const size_t count = m_Scenery.size();
    for (size_t attempt = 0; attempt < count; ++attempt)
    {
        const SceneryEntry& entry = m_Scenery[static_cast<size_t>(platform::Rand()) % count];
        if (!entry.wantsWater)
            continue;
        const BaseObject* plant = g_pObjectManager->GetPoolObject(ObjectManager::POOL_OTHER, entry.slot);
        if (!plant || plant->GetType() != OBJECT_SCENERY || plant->IsWaitingForDeath() || FindAssigned(plant->GetID()))
            continue;
        const float distance = std::sqrt(SquaredDistance(plant->GetWorldPosition(), position));
        bool accepted;
        if (limit == 0.0f)
            accepted = distance > (platform::Rand() % 3 == 0 ? kFarDistantWatering : kDistantWatering);
        else
            accepted = distance < limit;
        if (accepted)
            return static_cast<int32_t>(plant->GetID());
    }
    return -1;
}

void RepairManager::AddAssigned(uint32_t id, bool urgent, uint32_t type)
{
    if (FindAssigned(id))
        return;
    m_Assigned.push_back({id, false, urgent, type});
    ++m_ActiveCount;
}

void RepairManager::RemoveAssigned(uint32_t id)
{
    const auto it = FindIn(m_Assigned, id);
    if (it != m_Assigned.end())
        m_Assigned.erase(it);
}

void RepairManager::SetRepairStarted(uint32_t id)
{
    const auto it = FindIn(m_Assigned, id);
    if (it != m_Assigned.end())
        it->bRepairing = true;
}

void RepairManager::ReturnJob(uint32_t id, uint32_t type)
{
    const Job* job = FindAssigned(id);
    if (!job)
        return;
    const Job given = *job;
    RemoveAssigned(id);
    if (type != REPAIR_WATERING)
    {
        if (given.bUrgent)
            RequestUrgentRepair(id, given.Type);
        else
            RequestRepair(id, type);
    }
    SetRepairing(id, false);
}

uint32_t RepairManager::GetAssignedType(uint32_t id) const
{
    const Job* job = FindAssigned(id);
    return job ? job->Type : kNoType;
}

bool RepairManager::IsStaffCalled(uint32_t id) const
{
    const Request* request = FindPending(id);
    return FindAssigned(id) || (request && request->bUrgent);
}

int32_t RepairManager::GetRepairState(uint32_t id) const
{
    if (!g_pObjectManager || g_pObjectManager->CountObjectsOfKind(OBJECT_MECHANIC) == 0)
        return STATE_NO_MECHANICS;
    if (const Job* job = FindAssigned(id))
        return job->bRepairing ? STATE_REPAIRING : STATE_MECHANIC_COMING;
    if (const Request* request = FindPending(id))
        return request->Type == REPAIR_BREAKDOWN ? STATE_REPAIR_REQUIRED : STATE_INSPECT_REQUIRED;
    return STATE_NOT_NEEDED;
}

int32_t RepairManager::CountPendingRepairs() const
{
    return static_cast<int32_t>(
        std::count_if(m_Pending.begin(), m_Pending.end(), [](const Request& r) { return r.Type == REPAIR_BREAKDOWN; }));
}

void RepairManager::Clear()
{
    m_Pending.clear();
    m_Assigned.clear();
}

void RepairManager::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteHeader("Class name : RepairManager");
    stream.WriteInt("sizeof", kSaveSize);
    stream.WriteInt("List size", static_cast<int32_t>(m_Pending.size()));
    for (const Request& r : m_Pending)
    {
        stream.WriteUInt("RepairID", r.RepairID);
        stream.WriteInt("iCalls", static_cast<int32_t>(r.iCalls));
        stream.WriteFloat("fDistance", r.fDistance);
        stream.WriteFloat("fTimeCalled", r.fTimeCalled);
        stream.WriteBool("bUrgent", r.bUrgent);
        stream.WriteUInt("Type", r.Type);
    }
    stream.WriteInt("List size", static_cast<int32_t>(m_Assigned.size()));
    for (const Job& j : m_Assigned)
    {
        stream.WriteUInt("RepairID", j.RepairID);
        stream.WriteBool("bRepairing", j.bRepairing);
        stream.WriteBool("bUrgent", j.bUrgent);
        stream.WriteUInt("Type", j.Type);
    }
    stream.WriteUInt("m_BreakdownCount", static_cast<uint32_t>(m_BreakdownCount));
    stream.WriteUInt("m_ActiveCount", static_cast<uint32_t>(m_ActiveCount));
}

bool RepairManager::Load(SerialStream& stream)
{
    stream.BeginLoad();
    char header[128];
    int32_t size = 0;
    stream.ReadHeader(header, sizeof header);
    stream.ReadInt(&size);
    std::vector<Request> pending;
    std::vector<Job> assigned;
    std::unordered_set<uint32_t> seenPending;
    std::unordered_set<uint32_t> seenAssigned;
    uint32_t count = 0;
    stream.ReadUInt(&count);
    for (uint32_t i = 0; i < count && i < kMaxSavedRecords && stream.Good(); ++i)
    {
        Request r{};
        stream.ReadUInt(&r.RepairID);
        stream.ReadUInt(&r.iCalls);
        stream.ReadFloat(&r.fDistance);
        stream.ReadFloat(&r.fTimeCalled);
        stream.ReadBool(&r.bUrgent);
        stream.ReadUInt(&r.Type);
        // A request is due five seconds after it was filed: one filed at no time, or after the saved park's
        // present, would never be (and its building would wait for good). It is taken as filed now.
        if (!std::isfinite(r.fTimeCalled) || r.fTimeCalled > GameTime())
            r.fTimeCalled = GameTime();
        // An id stands once in each list: a repeat in a damaged record is dropped.
        if (seenPending.insert(r.RepairID).second)
            pending.push_back(r);
    }
    uint32_t jobs = 0;
    if (count <= kMaxSavedRecords)
        stream.ReadUInt(&jobs);
    for (uint32_t i = 0; i < jobs && i < kMaxSavedRecords && stream.Good(); ++i)
    {
        Job j{};
        stream.ReadUInt(&j.RepairID);
        stream.ReadBool(&j.bRepairing);
        stream.ReadBool(&j.bUrgent);
        stream.ReadUInt(&j.Type);
        if (seenAssigned.insert(j.RepairID).second)
            assigned.push_back(j);
    }
    int32_t breakdowns = 0;
    int32_t active = 0;
    stream.ReadInt(&breakdowns);
    stream.ReadInt(&active);
    if (count > kMaxSavedRecords || jobs > kMaxSavedRecords || !stream.Good())
    {
        GetLogger()->Report(0, "RepairManager::Load - the saved repair jobs are damaged or cut short");
        return false;
    }
    m_Pending = std::move(pending);
    m_Assigned = std::move(assigned);
    m_BreakdownCount = breakdowns;
    m_ActiveCount = active;
    return true;
}
