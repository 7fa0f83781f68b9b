// MechanicObject and ZooKeeperObject: the staff who answer the repair boards. A mechanic repairs broken-down
// buildings, inspects them and waters plants (the first board); a zookeeper inspects animal exhibits (the second
// board). Both run the behaviour script "MechanicLogic", which calls the same functions by number.
#pragma once

#include "park/StaffObject.h"

class RepairManager;

// What the mechanic and the zookeeper share: the state set, state entry and exit, the job found, pick-up, drop and
// cancel, and the script-variable writer.
class RepairStaffObject : public StaffObject
{
public:
    explicit RepairStaffObject(uint32_t sceneKind) : StaffObject(sceneKind) {}

    bool IsStateSupported(uint32_t state) override;
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override;
    void Dismiss() override;
    void PickUp() override;
    void DropAt(const platform::Vec3& position) override;
    void CancelPickUp() override;
    bool CanBePicked() override;

    bool FoundRepair() const { return m_bFoundRepair; }
    bool FoundBetterJob() const { return m_bFoundBetterJob; }
    uint32_t GetRepairType() const { return m_dwRepairType; }
    uint32_t GetDestObject() const { return m_DestObjectID; }

protected:
    // The board this kind takes its jobs from.
    virtual RepairManager* Board() const = 0;
    // Gives the current job back to the board.
    virtual void GiveJobBack() = 0;
    void LookForBetterJob();
    // MT_BUILDING_BEING_REMOVED from the job in a choosing or walking state: the job is dropped and the choice
    // starts again.
    void DropRemovedJob();

    uint32_t m_dwRepairType = 0;
    bool m_bFoundRepair = false;
    bool m_bFoundBetterJob = false;
};

class MechanicObject : public RepairStaffObject
{
public:
    static constexpr uint32_t kFeedbackTooBusy = 0x2;
    static constexpr uint32_t kFeedbackInspected = 0x4;
    static constexpr uint32_t kFeedbackRepaired = 0x8;
    static constexpr uint32_t kFeedbackWatered = 0x10;
    static constexpr uint32_t kFeedbackUnhappy = 0x100000;
    static constexpr uint32_t kFeedbackMessageType = 8;
    // Job flags.
    static constexpr uint32_t kTakesRepairs = 0x1;
    static constexpr uint32_t kTakesWatering = 0x2;
    // Energy a job costs at a mechanic factor of 1.
    static constexpr float kInspectEnergy = 0.1f;
    static constexpr float kRepairEnergy = 0.2f;
    static constexpr float kWaterEnergy = 0.05f;

    MechanicObject();
    ~MechanicObject() override;

    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    bool Message(const MessageRecord& record) override;
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override;
    void CallScriptFunction(uint32_t function) override;
    void CheckFeedback() override;
    void GiveFeedback() override;
    const char* GetFeedbackText(uint32_t flags) override;
    void GetVariable(const char* keyword, platform::WString& text) override;
    void SetVariable(const char* keyword, const int32_t* value) override;

    static int32_t GetCount() { return m_sMechanicCount; }
    uint32_t GetJobFlags() const { return m_JobFlags; }
    void SetJobFlags(uint32_t flags) { m_JobFlags = flags & (kTakesRepairs | kTakesWatering); }
    uint32_t GetInspectionsToday() const { return m_dwInspectionsToday; }
    uint32_t GetRepairsToday() const { return m_dwRepairsToday; }
    uint32_t GetWateredToday() const { return m_dwWateredToday; }
    const platform::Vec3& GetWateringPos() const { return m_WateringPos; }
    void FindJob();

protected:
    RepairManager* Board() const override;
    void GiveJobBack() override;

private:
    static int32_t m_sMechanicCount;

    uint32_t m_JobFlags = kTakesRepairs | kTakesWatering;
    uint32_t m_FeedbackStatus = 0x1E;
    uint32_t m_RequiredFeedback = 1;
    uint32_t m_CurrentFeedback = 0;
    uint32_t m_dwInspectionsToday = 0;
    uint32_t m_dwRepairsToday = 0;
    uint32_t m_dwWateredToday = 0;
    platform::Vec3 m_WateringPos = {0.0f, 0.0f, 0.0f};
};

class ZooKeeperObject : public RepairStaffObject
{
public:
    static constexpr uint32_t kFeedbackInspected = 0x2;
    static constexpr float kInspectEnergy = 0.1f;

    ZooKeeperObject();
    ~ZooKeeperObject() override;

    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    bool Message(const MessageRecord& record) override;
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override;
    void CallScriptFunction(uint32_t function) override;
    const char* GetFeedbackText(uint32_t flags) override;
    void GetVariable(const char* keyword, platform::WString& text) override;

    static int32_t GetCount() { return m_sZooKeeperCount; }
    uint32_t GetInspectionsToday() const { return m_dwInspectionsToday; }

protected:
    RepairManager* Board() const override;
    void GiveJobBack() override;

private:
    static int32_t m_sZooKeeperCount;

    uint32_t m_dwInspectionsToday = 0;
};
