// CleaningManager: the park's job board for cleaning. Litter, bins and toilets file requests; cleaners take jobs
// (the last urgent one they may do, else the best by distance and kind), start, finish or give them back; panels
// ask for an object's cleaning state.
#pragma once

#include "platform/gfx/Math.h"
#include "world/ParkServices.h"

#include <cstdint>
#include <vector>

class SerialStream;

class CleaningManager : public OwnedParkManager
{
public:
    // Cleaning states of an object, as its panel shows them.
    enum CleaningState : int32_t
    {
        CLEAN_NO_CLEANERS = 1,
        CLEAN_NOT_NEEDED = 2,
        CLEAN_REQUIRED = 3,
        CLEAN_ON_ROUTE = 4,
        CLEAN_CLEANING = 5,
    };
    // Kinds of job handed to a cleaner with its id.
    enum JobType : int32_t
    {
        JOB_NONE = -1,
        JOB_LITTER = 0,
        JOB_BIN = 1,
        JOB_TOILET = 2,
    };
    // Score bonuses of the kinds of job: a job's score is its distance in cells less its bonus.
    static constexpr int32_t kLitterBonus = 50;
    static constexpr int32_t kBinBonus = 70;
    static constexpr int32_t kToiletBonus = 100;
    static constexpr int32_t kNoScore = 99999;
    // A loaded list longer than this (more than the park holds objects) is refused as damaged.
    static constexpr uint32_t kMaxSavedRecords = 20000;

    struct Request
    {
        uint32_t CleaningID;
        int32_t iCalls;
        float fTimeCalled;
        bool bUrgent;
    };
    struct Job
    {
        uint32_t CleaningID;
        bool bCleaning;
        bool bUrgent;
    };

    // A plain request, or one more call on the pending request of the object.
    void RequestCleaning(uint32_t id);
    // An urgent request: a pending plain request becomes a new urgent one at the end of the list; an assigned job
    // is marked urgent.
    void RequestUrgentCleaning(uint32_t id);
    void CancelCleaning(uint32_t id);

    // The cleaner's side: a job is taken (the two choices below), started, finished, or given back to be filed
    // again. Unknown ids change nothing.
    void AddAssigned(uint32_t id, bool urgent);
    void RemoveAssigned(uint32_t id);
    void FinishJob(uint32_t id) { RemoveAssigned(id); }
    void SetCleaningStarted(uint32_t id);
    void ReturnJob(uint32_t id);
    // The last urgent request the cleaner may take (bins, litter, toilets), whatever its distance; -1 when none.
    int32_t FindUrgentClean(const platform::Vec3& position, int32_t& type, bool bins, bool litter, bool toilets);
    // The pending request of the lowest score the cleaner may take, the earlier one on ties; -1 when none.
    // Requests whose object is gone are dropped on the way.
    int32_t FindBestScoredJob(const platform::Vec3& position, int32_t& type, bool bins, bool litter, bool toilets);

    int32_t GetCleaningState(uint32_t id) const;
    // Assigned, or pending as urgent.
    bool IsCleanerCalled(uint32_t id) const;
    // A request for the object is pending or assigned.
    bool HoldsRequest(uint32_t id) const { return FindPending(id) != nullptr || FindAssigned(id) != nullptr; }

    void Clear();
    void Dump(SerialStream& stream) const override;
    // False, with a report and the board unchanged, when the record is damaged or cut short.
    bool Load(SerialStream& stream) override;

    const std::vector<Request>& GetPending() const { return m_Pending; }
    const std::vector<Job>& GetAssigned() const { return m_Assigned; }
    int32_t GetActiveCount() const { return m_ActiveCount; }
    int32_t GetCleaningCount() const { return m_CleaningCount; }

private:
    const Request* FindPending(uint32_t id) const;
    const Job* FindAssigned(uint32_t id) const;
    void AppendRequest(uint32_t id, bool urgent);
    // Takes the pending request as the cleaner's job.
    int32_t Take(std::vector<Request>::iterator request, bool urgent);

    std::vector<Request> m_Pending;
    std::vector<Job> m_Assigned;
    int32_t m_CleaningCount = 0;
    int32_t m_ActiveCount = 0;
};
