// CleaningManager: requests, the cleaners' two ways of choosing a job, the job's life and the board's save record.
#include "park/CleaningManager.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "park/BuildingObject.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
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

bool IsToiletBuilding(BaseObject* object)
{
    const auto* building = dynamic_cast<const BuildingObject*>(object);
    return building && building->IsToilet();
}

bool IsBusy(BaseObject* object)
{
    const auto* still = dynamic_cast<const StaticObject*>(object);
    return still && still->IsCleaningBusy();
}

void SetCleaning(BaseObject* object, bool cleaning)
{
    if (auto* still = dynamic_cast<StaticObject*>(object))
        still->SetCleaning(cleaning);
}

template <typename List> auto FindIn(List& list, uint32_t id)
{
    return std::find_if(list.begin(), list.end(), [id](const auto& record) { return record.CleaningID == id; });
}

} // namespace

const CleaningManager::Request* CleaningManager::FindPending(uint32_t id) const
{
    const auto it = FindIn(m_Pending, id);
    return it == m_Pending.end() ? nullptr : &*it;
}

const CleaningManager::Job* CleaningManager::FindAssigned(uint32_t id) const
{
    const auto it = FindIn(m_Assigned, id);
    return it == m_Assigned.end() ? nullptr : &*it;
}

void CleaningManager::AppendRequest(uint32_t id, bool urgent)
{
    m_Pending.push_back({id, 0, GameTime(), urgent});
}

void CleaningManager::RequestCleaning(uint32_t id)
{
    const auto it = FindIn(m_Pending, id);
    if (it != m_Pending.end())
        ++it->iCalls;
    else
        AppendRequest(id, false);
}

void CleaningManager::RequestUrgentCleaning(uint32_t id)
{
    const auto pending = FindIn(m_Pending, id);
    if (pending != m_Pending.end())
    {
        if (pending->bUrgent)
        {
            ++pending->iCalls;
            return;
        }
        m_Pending.erase(pending);
        AppendRequest(id, true);
        return;
    }
    const auto assigned = FindIn(m_Assigned, id);
    if (assigned != m_Assigned.end())
        assigned->bUrgent = true;
    else
        AppendRequest(id, true);
}

void CleaningManager::CancelCleaning(uint32_t id)
{
    const auto it = FindIn(m_Pending, id);
    if (it != m_Pending.end())
        m_Pending.erase(it);
}

void CleaningManager::AddAssigned(uint32_t id, bool urgent)
{
    if (FindAssigned(id))
        return;
    m_Assigned.push_back({id, false, urgent});
    ++m_ActiveCount;
}

void CleaningManager::RemoveAssigned(uint32_t id)
{
    const auto it = FindIn(m_Assigned, id);
    if (it == m_Assigned.end())
        return;
    m_Assigned.erase(it);
    --m_ActiveCount;
}

void CleaningManager::SetCleaningStarted(uint32_t id)
{
    const auto it = FindIn(m_Assigned, id);
    if (it != m_Assigned.end() && FindObject(id))
        it->bCleaning = true;
}

void CleaningManager::ReturnJob(uint32_t id)
{
    const Job* job = FindAssigned(id);
    if (!job)
        return;
    const bool urgent = job->bUrgent;
    RemoveAssigned(id);
    SetCleaning(FindObject(id), false);
    if (urgent)
        RequestUrgentCleaning(id);
    else
        RequestCleaning(id);
}

int32_t CleaningManager::Take(std::vector<Request>::iterator request, bool urgent)
{
    const uint32_t id = request->CleaningID;
    AddAssigned(id, urgent);
    SetCleaning(FindObject(id), true);
    m_Pending.erase(request);
    return static_cast<int32_t>(id);
}

int32_t CleaningManager::FindUrgentClean(const platform::Vec3& /*position*/, int32_t& type, bool bins, bool litter,
                                         bool toilets)
{
    auto chosen = m_Pending.end();
    int32_t chosenType = JOB_NONE;
    for (auto it = m_Pending.begin(); it != m_Pending.end(); ++it)
    {
        if (it->fTimeCalled == 0.0f || !it->bUrgent)
            continue;
        BaseObject* object = FindObject(it->CleaningID);
        if (!object || IsBusy(object))
            continue;
        // A call on anything else (a facility that is no toilet: the call button stands on every facility's
        // panel) is no job a cleaner can do.
        const int32_t kind = object->GetType() == OBJECT_LITTER    ? JOB_LITTER
                             : object->GetType() == OBJECT_SCENERY ? JOB_BIN
                             : IsToiletBuilding(object)            ? JOB_TOILET
                                                                   : JOB_NONE;
        if (kind == JOB_NONE)
            continue;
        bool allowed;
        if (std::strcmp(object->GetName(), "Bin") == 0)
        {
            allowed = bins;
        }
        else if (kind == JOB_TOILET)
        {
            const auto* building = static_cast<const BuildingObject*>(object);
            allowed = toilets && !building->IsUnderConstruction() && !building->IsBeingDemolished();
        }
        else
        {
            allowed = litter;
        }
        if (allowed)
        {
            chosen = it;
            chosenType = kind;
        }
    }
    if (chosen == m_Pending.end())
        return -1;
    type = chosenType;
    return Take(chosen, true);
}

int32_t CleaningManager::FindBestScoredJob(const platform::Vec3& position, int32_t& type, bool bins, bool litter,
                                           bool toilets)
{
    if (m_Pending.empty())
        return -1;
    const GridPos cleaner = WorldMap::WorldToGrid(position);
    int64_t best = kNoScore;
    auto chosen = m_Pending.end();
    int32_t chosenType = JOB_NONE;
    for (auto it = m_Pending.begin(); it != m_Pending.end();)
    {
        BaseObject* object = FindObject(it->CleaningID);
        if (!object)
        {
            it = m_Pending.erase(it);
            continue;
        }
        // Cells of a cleaner far off the map lie up to 2^32 apart on each axis: the sum is taken in 64 bits.
        const GridPos cell = object->GetGridPos();
        const int64_t distance =
            std::abs(int64_t{cell.x} - int64_t{cleaner.x}) + std::abs(int64_t{cell.y} - int64_t{cleaner.y});
        int64_t score = kNoScore;
        int32_t kind = JOB_NONE;
        bool allowed = false;
        if (object->GetType() == OBJECT_LITTER)
        {
            score = distance - kLitterBonus;
            kind = JOB_LITTER;
            allowed = litter && !IsBusy(object);
        }
        else if (object->GetType() == OBJECT_SCENERY)
        {
            score = distance - kBinBonus;
            kind = JOB_BIN;
            allowed = bins && !IsBusy(object);
        }
        else if (IsToiletBuilding(object))
        {
            score = distance - kToiletBonus;
            kind = JOB_TOILET;
            allowed = toilets && !static_cast<const BuildingObject*>(object)->IsBeingDemolished();
        }
        if (kind != JOB_NONE && allowed && score < best)
        {
            best = score;
            chosen = it;
            chosenType = kind;
        }
        ++it;
    }
    if (chosen == m_Pending.end())
        return -1;
    type = chosenType;
    return Take(chosen, false);
}

int32_t CleaningManager::GetCleaningState(uint32_t id) const
{
    if (!g_pObjectManager || g_pObjectManager->CountObjectsOfKind(OBJECT_CLEANER) == 0)
        return CLEAN_NO_CLEANERS;
    if (const Job* job = FindAssigned(id))
        return job->bCleaning ? CLEAN_CLEANING : CLEAN_ON_ROUTE;
    return FindPending(id) ? CLEAN_REQUIRED : CLEAN_NOT_NEEDED;
}

bool CleaningManager::IsCleanerCalled(uint32_t id) const
{
    const Request* request = FindPending(id);
    return FindAssigned(id) || (request && request->bUrgent);
}

void CleaningManager::Clear()
{
    m_Pending.clear();
    m_Assigned.clear();
}

void CleaningManager::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteHeader("Class name : CleaningManager");
    stream.WriteInt("sizeof", kSaveSize);
    stream.WriteInt("List size", static_cast<int32_t>(m_Pending.size()));
    for (const Request& r : m_Pending)
    {
        stream.WriteUInt("CleaningID", r.CleaningID);
        stream.WriteInt("iCalls", r.iCalls);
        stream.WriteFloat("fTimeCalled", r.fTimeCalled);
        stream.WriteBool("bUrgent", r.bUrgent);
    }
    stream.WriteInt("List size", static_cast<int32_t>(m_Assigned.size()));
    for (const Job& j : m_Assigned)
    {
        stream.WriteUInt("CleaningID", j.CleaningID);
        stream.WriteBool("bCleaning", j.bCleaning);
        stream.WriteBool("bUrgent", j.bUrgent);
    }
    stream.WriteUInt("m_CleaningCount", static_cast<uint32_t>(m_CleaningCount));
    stream.WriteUInt("m_ActiveCount", static_cast<uint32_t>(m_ActiveCount));
}

bool CleaningManager::Load(SerialStream& stream)
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
        stream.ReadUInt(&r.CleaningID);
        stream.ReadInt(&r.iCalls);
        stream.ReadFloat(&r.fTimeCalled);
        stream.ReadBool(&r.bUrgent);
        // An id stands once in each list: a repeat in a damaged record is dropped.
        if (seenPending.insert(r.CleaningID).second)
            pending.push_back(r);
    }
    uint32_t jobs = 0;
    if (count <= kMaxSavedRecords)
        stream.ReadUInt(&jobs);
    for (uint32_t i = 0; i < jobs && i < kMaxSavedRecords && stream.Good(); ++i)
    {
        Job j{};
        stream.ReadUInt(&j.CleaningID);
        stream.ReadBool(&j.bCleaning);
        stream.ReadBool(&j.bUrgent);
        if (seenAssigned.insert(j.CleaningID).second)
            assigned.push_back(j);
    }
    int32_t cleanings = 0;
    int32_t active = 0;
    stream.ReadInt(&cleanings);
    stream.ReadInt(&active);
    if (count > kMaxSavedRecords || jobs > kMaxSavedRecords || !stream.Good())
    {
        GetLogger()->Report(0, "CleaningManager::Load - the saved cleaning jobs are damaged or cut short");
        return false;
    }
    m_Pending = std::move(pending);
    m_Assigned = std::move(assigned);
    m_CleaningCount = cleanings;
    m_ActiveCount = active;
    return true;
}
