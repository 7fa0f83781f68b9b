// MechanicObject and ZooKeeperObject: jobs from the repair boards, the script's functions and variables, feedback,
// pick-up, dismissal, panel keywords and save records.
#include "park/MechanicObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "engine/core/WholeNumbers.h"
#include "park/FeedbackManager.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "platform/Random.h"
#include "scripts/ObjectScript.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptManager.h"
#include "scripts/WorldParams.h"
#include "world/ObjectKinds.h"
#include "world/StaticObject.h"
#include "world/WorldMap.h"

#include <cmath>
#include <cstring>

int32_t MechanicObject::m_sMechanicCount = 0;
int32_t ZooKeeperObject::m_sZooKeeperCount = 0;

namespace
{

constexpr const char* kScriptName = "MechanicLogic";

void SetRepairingFlag(BaseObject* object, bool on)
{
    if (auto* still = dynamic_cast<StaticObject*>(object))
        still->SetRepairing(on);
}

} // namespace

// ================================================================ shared by mechanics and zookeepers

bool RepairStaffObject::IsStateSupported(uint32_t state)
{
    return state == STATE_NULL || state == STATE_STARTUP || state == STATE_DEAD ||
           (state >= STATE_STAFF_FALLING_ON_SWORD && state <= STATE_MECHANIC_IDLE);
}

void RepairStaffObject::SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value)
{
    switch (operand.id)
    {
    case SV_FoundRepair:
        m_bFoundRepair = (ScriptValueToInt(value) & 0xFF) != 0;
        break;
    case SV_FoundBetterJob:
        m_bFoundBetterJob = (ScriptValueToInt(value) & 0xFF) != 0;
        break;
    default:
        StaffObject::SetScriptVariable(operand, value);
        break;
    }
}

void RepairStaffObject::LookForBetterJob()
{
    RepairManager* board = Board();
    uint32_t type = m_dwRepairType;
    const int32_t better = board ? board->LookForBetterJob(m_WorldXYZ, m_DestObjectID, type) : -1;
    m_bFoundBetterJob = better >= 0;
    if (m_bFoundBetterJob)
    {
        m_DestObjectID = static_cast<uint32_t>(better);
        m_dwRepairType = type;
    }
}

void RepairStaffObject::DropRemovedJob()
{
    if (RepairManager* board = Board())
        board->RemoveAssigned(m_DestObjectID);
    EnterState(STATE_MECHANIC_CHOOSE_JOB);
}

bool RepairStaffObject::CanBePicked()
{
    return m_dwState == STATE_NULL || m_dwState == STATE_STARTUP || m_dwState == STATE_MECHANIC_CHOOSE_JOB ||
           m_dwState == STATE_MECHANIC_GO_REPAIR || m_dwState == STATE_MECHANIC_IDLE;
}

void RepairStaffObject::PickUp()
{
    if (!CanBePicked())
        return;
    if (m_dwState == STATE_MECHANIC_GO_REPAIR || (m_dwState == STATE_MECHANIC_CHOOSE_JOB && m_bFoundRepair))
        GiveJobBack();
    TellSelfNow(MT_MOVESTOP);
    TellState(STATE_STAFF_BEING_PICKED);
    StaffObject::PickUp();
}

void RepairStaffObject::DropAt(const platform::Vec3& position)
{
    if (m_dwState != STATE_STAFF_BEING_PICKED)
        return;
    // Put down first: the job is chosen from where the worker now stands.
    StaffObject::DropAt(position);
    TellState(STATE_MECHANIC_CHOOSE_JOB);
}

void RepairStaffObject::CancelPickUp()
{
    if (m_dwState == STATE_STAFF_BEING_PICKED)
        TellState(STATE_MECHANIC_CHOOSE_JOB);
    StaffObject::CancelPickUp();
}

void RepairStaffObject::Dismiss()
{
    if (IsSacked())
        return;
    StaffObject::Dismiss();
    if (IsRestingState())
        LeaveRoom();
    else if (m_dwState == STATE_MECHANIC_REPAIR || m_dwState == STATE_MECHANIC_GO_REPAIR ||
             (m_dwState == STATE_MECHANIC_CHOOSE_JOB && m_bFoundRepair))
        GiveJobBack();
    EnterState(STATE_STAFF_FALLING_ON_SWORD);
}

// ================================================================ mechanic

MechanicObject::MechanicObject() : RepairStaffObject(6) {}

MechanicObject::~MechanicObject()
{
    if (m_bCounted)
        --m_sMechanicCount;
    // The mechanic's waiting words about itself go with it, but the news of its dismissal, which it leaves the park
    // on the next frame after, is still the player's to read.
    if (FeedbackManager* feedback = GetFeedbackManager())
        feedback->RemoveObjectMessages(m_dwID, StaffObject::GetFeedbackText(kFeedbackSacked));
}

RepairManager* MechanicObject::Board() const
{
    return GetMechanicsRepair();
}

void MechanicObject::Create(const char* name)
{
    StaffObject::Create(name);
    m_FeedbackStatus = 0x1E;
    m_RequiredFeedback = 1;
    m_CurrentFeedback = 0;
    m_dwInspectionsToday = m_dwRepairsToday = m_dwWateredToday = 0;
    m_pScript = g_pScriptManager ? g_pScriptManager->GetScript(kScriptName) : nullptr;
    if (m_sMechanicCount == 0)
    {
        if (FeedbackManager* feedback = GetFeedbackManager())
            feedback->RemoveMessagesWithText("FEEDBACK_NO_MECHANICS");
    }
    if (!m_bCounted)
    {
        ++m_sMechanicCount;
        m_bCounted = true;
    }
    m_JobFlags = kTakesRepairs | kTakesWatering;
    MakeName(kMale, "ID_MECHANIC_%d", 21);
    m_bFoundRepair = false;
}

void MechanicObject::FindJob()
{
    RepairManager* board = Board();
    m_dwRepairType = RepairManager::REPAIR_BREAKDOWN;
    m_DestObjectID = kNoObjectID;
    int32_t job = -1;
    if ((m_JobFlags & kTakesWatering) && platform::Rand() % 100 > 80 && board)
        job = board->FindJob(m_WorldXYZ, RepairManager::REPAIR_WATERING, m_dwRepairType);
    if (m_dwRepairType == RepairManager::REPAIR_BREAKDOWN && (m_JobFlags & kTakesRepairs) && board)
    {
        job = board->FindJob(m_WorldXYZ, RepairManager::REPAIR_BREAKDOWN, m_dwRepairType);
        if (job < 0)
            job = board->FindJob(m_WorldXYZ, RepairManager::REPAIR_SERVICE, m_dwRepairType);
    }
    m_DestObjectID = static_cast<uint32_t>(job);
    m_bFoundRepair = job >= 0;
    if (m_bFoundRepair)
        SetRepairingFlag(ObjectOf(m_DestObjectID), true);
}

void MechanicObject::GiveJobBack()
{
    RepairManager* board = Board();
    if (!board)
        return;
    const uint32_t type = board->GetAssignedType(m_DestObjectID);
    if (type <= RepairManager::REPAIR_WATERING)
        board->ReturnJob(m_DestObjectID, type);
}

void MechanicObject::CallScriptFunction(uint32_t function)
{
    RepairManager* board = Board();
    switch (function)
    {
    case SF_StrollThought:
        AddThought(kFeedbackIdle);
        break;
    case SF_FindJob:
        FindJob();
        break;
    case SF_LookForBetterJob:
        LookForBetterJob();
        break;
    case SF_LookWatering:
    {
        const int32_t plant = (m_JobFlags & kTakesWatering) && board ? board->FindDistantWateringJob(m_WorldXYZ) : -1;
        m_bFoundRepair = plant >= 0;
        if (m_bFoundRepair)
        {
            m_DestObjectID = static_cast<uint32_t>(plant);
            m_dwRepairType = RepairManager::REPAIR_WATERING;
            SetRepairingFlag(ObjectOf(m_DestObjectID), true);
        }
        break;
    }
    case SF_ForgetWatering:
        if (board)
            board->ReturnJob(m_DestObjectID, RepairManager::REPAIR_WATERING);
        break;
    case SF_FinishedRepairs:
        AddThought(m_dwRepairType == RepairManager::REPAIR_SERVICE     ? kFeedbackInspected
                   : m_dwRepairType == RepairManager::REPAIR_BREAKDOWN ? kFeedbackRepaired
                                                                       : kFeedbackWatered);
        if (board)
            board->RemoveAssigned(m_DestObjectID);
        m_DestObjectID = kNoObjectID;
        break;
    case SF_Repairing:
        if (board)
            board->SetRepairStarted(m_DestObjectID);
        if (m_dwRepairType == RepairManager::REPAIR_SERVICE)
            ++m_dwInspectionsToday;
        else if (m_dwRepairType == RepairManager::REPAIR_BREAKDOWN)
            ++m_dwRepairsToday;
        else if (m_dwRepairType == RepairManager::REPAIR_WATERING)
            ++m_dwWateredToday;
        break;
    case SF_GetWateringPos:
        if (const auto* plant = dynamic_cast<const StaticObject*>(ObjectOf(m_DestObjectID)))
        {
            const platform::Vec3 half = WorldMap::GetFootprintHalfSize(plant->GetGridW(), plant->GetGridH());
            m_WateringPos.x = plant->GetWorldPosition().x + half.x;
            m_WateringPos.y = plant->GetWorldPosition().y + half.y;
        }
        break;
    case SF_FacePlant:
        SetDirection(5);
        break;
    case SF_EndShift:
        m_RequiredFeedback = 0;
        m_FeedbackStatus &= ~kFeedbackTooBusy;
        StaffObject::CallScriptFunction(function);
        break;
    default:
        StaffObject::CallScriptFunction(function);
        break;
    }
}

bool MechanicObject::Message(const MessageRecord& record)
{
    if (record.dwType == MT_NEW_DAY)
    {
        m_dwInspectionsToday = m_dwRepairsToday = m_dwWateredToday = 0;
        if (FeedbackManager* feedback = GetFeedbackManager())
            feedback->ClearStaffMessages(OBJECT_MECHANIC);
    }
    else if (record.dwType == MT_BUILDING_BEING_REMOVED && record.dwSender == m_DestObjectID)
    {
        RepairManager* board = Board();
        if (m_dwState == STATE_MECHANIC_REPAIR)
        {
            if (board && board->GetAssignedType(m_DestObjectID) == RepairManager::REPAIR_WATERING)
                DropRemovedJob();
            else if (const auto* job = dynamic_cast<const StaticObject*>(ObjectOf(m_DestObjectID));
                     job && job->IsRepairBusy())
                SendSelf(MT_LEAVE_BUILDING);
        }
        else if (m_dwState == STATE_MECHANIC_CHOOSE_JOB || m_dwState == STATE_MECHANIC_GO_REPAIR)
        {
            DropRemovedJob();
        }
    }
    return StaffObject::Message(record);
}

ScriptValue MechanicObject::GetScriptVariable(const ScriptOperand& operand)
{
    const float factor = StaffFactor(2);
    switch (operand.id)
    {
    case SV_MechInsEnergy:
        return ScriptValue::Float(factor * kInspectEnergy);
    case SV_MechRepEnergy:
        return ScriptValue::Float(factor * kRepairEnergy);
    case SV_MechWaterEnergy:
        return ScriptValue::Float(factor * kWaterEnergy);
    case SV_FoundRepair:
        return ScriptValue::Bool(m_bFoundRepair);
    case SV_FoundBetterJob:
        return ScriptValue::Bool(m_bFoundBetterJob);
    case SV_RepairType:
        return ScriptValue::UInt(m_dwRepairType);
    case SV_WateringPosX:
        return ScriptValue::UInt(static_cast<uint32_t>(TruncateToInt(m_WateringPos.x)));
    case SV_WateringPosY:
        return ScriptValue::UInt(static_cast<uint32_t>(TruncateToInt(m_WateringPos.y)));
    default:
        return StaffObject::GetScriptVariable(operand);
    }
}

const char* MechanicObject::GetFeedbackText(uint32_t flags)
{
    static constexpr FeedbackRow kRows[] = {
        {kFeedbackTooBusy, "FEEDBACK_MECHANIC_TOO_BUSY", false},
        {kFeedbackUnhappy, "FEEDBACK_MECHANIC_UNHAPPY", false},
        {kFeedbackInspected, "FEEDBACK_MECHANIC_INNERTOUGHT_INSPECTIONMADE", true},
        {kFeedbackRepaired, "FEEDBACK_MECHANIC_BUILDING_INNERTOUGHT_REPAIRMADE", true},
        {kFeedbackWatered, "FEEDBACK_MECHANIC_SCENERY_INNERTOUGHT_WATERED", true},
        {kFeedbackIdle, "FEEDBACK_MECHANIC_INNERTOUGHT_STANDIDLE", true},
    };
    return FeedbackTextFrom(kRows, flags);
}

void MechanicObject::CheckFeedback()
{
    StaffObject::CheckFeedback();
    if (m_RequiredFeedback != 0 || (m_FeedbackStatus & kFeedbackTooBusy))
        return;
    m_FeedbackStatus |= kFeedbackTooBusy;
    const RepairManager* board = Board();
    if (!board || board->CountPendingRepairs() < 1)
        return;
    FeedbackManager* feedback = GetFeedbackManager();
    m_RequiredFeedback |= kFeedbackTooBusy;
    if (feedback && !(feedback->GetStaffMessageBits(OBJECT_MECHANIC) & kFeedbackTooBusy))
    {
        feedback->SetStaffMessageBits(kFeedbackTooBusy, OBJECT_MECHANIC);
        GiveFeedback();
    }
    else
    {
        AddThought(kFeedbackTooBusy);
    }
}

void MechanicObject::GiveFeedback()
{
    m_CurrentFeedback = m_RequiredFeedback;
    m_RequiredFeedback = 0;
    if (const char* text = GetFeedbackText(m_CurrentFeedback))
    {
        if (FeedbackManager* feedback = GetFeedbackManager())
            feedback->AddMessage(text, m_dwID, kFeedbackMessageType);
    }
    AddThought(m_CurrentFeedback);
}

void MechanicObject::GetVariable(const char* keyword, platform::WString& text)
{
    if (!keyword)
        return;
    const auto is = [keyword](const char* key) { return std::strcmp(keyword, key) == 0; };
    const auto number = [&text](long long value) { text = FormatChecked(u"%d", {value}); };
    if (is("STAFF_ACTIVITY"))
    {
        const char* id = nullptr;
        switch (m_dwState)
        {
        case STATE_STAFF_GO_REST:
            id = "MECHANIC_GO_REST";
            break;
        case STATE_STAFF_RESTING:
        case STATE_STAFF_RESTING_OUTSIDE:
            id = "MECHANIC_RESTING";
            break;
        case STATE_MECHANIC_REPAIR:
            id = m_dwRepairType == RepairManager::REPAIR_WATERING ? "MECHANIC_WATERING" : "MECHANIC_REPAIR";
            break;
        case STATE_MECHANIC_CHOOSE_JOB:
            id = "MECHANIC_CHOOSE_JOB";
            break;
        case STATE_MECHANIC_GO_REPAIR:
            id = "MECHANIC_GO_REPAIR";
            break;
        case STATE_MECHANIC_IDLE:
            id = "MECHANIC_IDLE";
            break;
        default:
            break;
        }
        if (id)
            SetText(text, id);
        else
            StaffObject::GetVariable(keyword, text);
    }
    else if (is("MECHANIC_REPAIR"))
        number(m_JobFlags & kTakesRepairs ? 1 : 0);
    else if (is("MECHANIC_WATER"))
        number(m_JobFlags & kTakesWatering ? 1 : 0);
    else if (is("INSPECT_TODAY"))
        number(m_dwInspectionsToday);
    else if (is("REPAIRS_TODAY"))
        number(m_dwRepairsToday);
    else if (is("WATERED_TODAY"))
        number(m_dwWateredToday);
    else if (is("STAFF_JOB_TITLE"))
        SetText(text, "STAFFB_TITLE_MECHANIC");
    else if (is("STAFF_CAN_PICK_STATE"))
        number(CanBePicked() ? 1 : 0);
    else
        StaffObject::GetVariable(keyword, text);
}

void MechanicObject::SetVariable(const char* keyword, const int32_t* value)
{
    const bool on = value && (*value & 1) != 0;
    const auto set = [this, on](uint32_t bit) { m_JobFlags = on ? m_JobFlags | bit : m_JobFlags & ~bit; };
    if (keyword && std::strcmp(keyword, "MECHANIC_REPAIR") == 0)
        set(kTakesRepairs);
    else if (keyword && std::strcmp(keyword, "MECHANIC_WATER") == 0)
        set(kTakesWatering);
    else
        StaffObject::SetVariable(keyword, value);
}

void MechanicObject::Dump(SerialStream& stream)
{
    stream.BeginSave();
    stream.WriteInt("m_sMechanicCount", m_sMechanicCount);
    stream.WriteBool("breakdown", (m_JobFlags & kTakesRepairs) != 0);
    stream.WriteBool("watering", (m_JobFlags & kTakesWatering) != 0);
    stream.WriteBool("m_bFoundRepair", m_bFoundRepair);
    stream.WriteBool("m_bFoundBetterJob", m_bFoundBetterJob);
    stream.WriteUInt("m_FeedbackStatus", m_FeedbackStatus);
    stream.WriteUInt("m_RequiredFeedback", m_RequiredFeedback);
    stream.WriteUInt("m_CurrentFeedback", m_CurrentFeedback);
    stream.WriteUInt("m_dwRepairType", m_dwRepairType);
    stream.WriteFloat("m_WateringPos.x", m_WateringPos.x);
    stream.WriteFloat("m_WateringPos.y", m_WateringPos.y);
    stream.WriteFloat("m_WateringPos.z", m_WateringPos.z);
    stream.WriteUInt("m_dwInspectionsToday", m_dwInspectionsToday);
    stream.WriteUInt("m_dwRepairsToday", m_dwRepairsToday);
    stream.WriteUInt("m_dwWateredToday", m_dwWateredToday);
    StaffObject::Dump(stream);
}

bool MechanicObject::Load(SerialStream& stream)
{
    stream.BeginLoad();
    int32_t count = 0;
    bool repairs = false, watering = false, found = false, better = false;
    uint32_t status = 0, required = 0, current = 0, type = 0, inspections = 0, repaired = 0, watered = 0;
    platform::Vec3 pos = {};
    stream.ReadInt(&count);
    stream.ReadBool(&repairs);
    stream.ReadBool(&watering);
    stream.ReadBool(&found);
    stream.ReadBool(&better);
    stream.ReadUInt(&status);
    stream.ReadUInt(&required);
    stream.ReadUInt(&current);
    stream.ReadUInt(&type);
    stream.ReadFloat(&pos.x);
    stream.ReadFloat(&pos.y);
    stream.ReadFloat(&pos.z);
    stream.ReadUInt(&inspections);
    stream.ReadUInt(&repaired);
    stream.ReadUInt(&watered);
    const bool finite = std::isfinite(pos.x) && std::isfinite(pos.y) && std::isfinite(pos.z);
    if (!stream.Good() || !finite || count < 1 || count > kMaxSavedStaff || type > RepairManager::REPAIR_WATERING)
    {
        GetLogger()->Report(0, "MechanicObject::Load - the saved record of %s is cut short or damaged", m_Name);
        return false;
    }
    if (!StaffObject::Load(stream))
        return false;
    m_JobFlags = (repairs ? kTakesRepairs : 0) | (watering ? kTakesWatering : 0);
    m_bFoundRepair = found;
    m_bFoundBetterJob = better;
    m_FeedbackStatus = status;
    m_RequiredFeedback = required;
    m_CurrentFeedback = current;
    m_dwRepairType = type;
    m_WateringPos = pos;
    m_dwInspectionsToday = inspections;
    m_dwRepairsToday = repaired;
    m_dwWateredToday = watered;
    return true;
}

// ================================================================ zookeeper

ZooKeeperObject::ZooKeeperObject() : RepairStaffObject(8) {}

ZooKeeperObject::~ZooKeeperObject()
{
    if (m_bCounted)
        --m_sZooKeeperCount;
}

RepairManager* ZooKeeperObject::Board() const
{
    return GetZooRepair();
}

void ZooKeeperObject::Create(const char* name)
{
    StaffObject::Create(name);
    m_dwInspectionsToday = 0;
    m_pScript = g_pScriptManager ? g_pScriptManager->GetScript(kScriptName) : nullptr;
    MakeName(kMale, "ID_ZOO_%d", 18);
    if (!m_bCounted)
    {
        ++m_sZooKeeperCount;
        m_bCounted = true;
    }
    m_bFoundRepair = m_bFoundBetterJob = false;
}

void ZooKeeperObject::GiveJobBack()
{
    RepairManager* board = Board();
    if (board && board->GetAssignedType(m_DestObjectID) == RepairManager::REPAIR_ZOO_VISIT)
        board->ReturnJob(m_DestObjectID, RepairManager::REPAIR_ZOO_VISIT);
}

void ZooKeeperObject::CallScriptFunction(uint32_t function)
{
    RepairManager* board = Board();
    switch (function)
    {
    case SF_FindJob:
    {
        m_bFoundRepair = false;
        const int32_t job = board ? board->FindJob(m_WorldXYZ, RepairManager::REPAIR_ZOO_VISIT, m_dwRepairType) : -1;
        m_DestObjectID = static_cast<uint32_t>(job);
        m_bFoundRepair = job >= 0;
        break;
    }
    case SF_LookForBetterJob:
        LookForBetterJob();
        break;
    case SF_LookWatering:
        m_bFoundRepair = false;
        break;
    case SF_FinishedRepairs:
        if (board)
            board->RemoveAssigned(m_DestObjectID);
        m_DestObjectID = kNoObjectID;
        AddThought(kFeedbackInspected);
        break;
    case SF_Repairing:
        if (board)
            board->SetRepairStarted(m_DestObjectID);
        ++m_dwInspectionsToday;
        break;
    default:
        StaffObject::CallScriptFunction(function);
        break;
    }
}

bool ZooKeeperObject::Message(const MessageRecord& record)
{
    if (record.dwType == MT_NEW_DAY)
        m_dwInspectionsToday = 0;
    else if (record.dwType == MT_BUILDING_BEING_REMOVED && record.dwSender == m_DestObjectID)
    {
        if (m_dwState == STATE_MECHANIC_REPAIR)
        {
            if (ObjectOf(m_DestObjectID))
                SendSelf(MT_LEAVE_BUILDING);
        }
        else if (m_dwState == STATE_MECHANIC_CHOOSE_JOB || m_dwState == STATE_MECHANIC_GO_REPAIR)
        {
            DropRemovedJob();
        }
    }
    return StaffObject::Message(record);
}

ScriptValue ZooKeeperObject::GetScriptVariable(const ScriptOperand& operand)
{
    switch (operand.id)
    {
    case SV_ZooInsEnergy:
        return ScriptValue::Float(StaffFactor(3) * kInspectEnergy);
    case SV_FoundRepair:
        return ScriptValue::Bool(m_bFoundRepair);
    case SV_FoundBetterJob:
        return ScriptValue::Bool(m_bFoundBetterJob);
    case SV_RepairType:
        return ScriptValue::UInt(m_dwRepairType);
    default:
        return StaffObject::GetScriptVariable(operand);
    }
}

const char* ZooKeeperObject::GetFeedbackText(uint32_t flags)
{
    static constexpr FeedbackRow kRows[] = {{kFeedbackInspected, "FEEDBACK_ZOO_INSPECT", true}};
    return FeedbackTextFrom(kRows, flags);
}

void ZooKeeperObject::GetVariable(const char* keyword, platform::WString& text)
{
    if (!keyword)
        return;
    const auto is = [keyword](const char* key) { return std::strcmp(keyword, key) == 0; };
    if (is("STAFF_ACTIVITY"))
    {
        const char* id = nullptr;
        switch (m_dwState)
        {
        case STATE_STAFF_GO_REST:
            id = "ZOO_GO_REST";
            break;
        case STATE_STAFF_RESTING:
        case STATE_STAFF_RESTING_OUTSIDE:
            id = "ZOO_RESTING";
            break;
        case STATE_MECHANIC_REPAIR:
            id = "ZOO_REPAIR";
            break;
        case STATE_MECHANIC_CHOOSE_JOB:
            id = "ZOO_CHOOSE_JOB";
            break;
        case STATE_MECHANIC_GO_REPAIR:
            id = "ZOO_GO_REPAIR";
            break;
        case STATE_MECHANIC_IDLE:
            id = "ZOO_IDLE";
            break;
        default:
            break;
        }
        if (id)
            SetText(text, id);
        else
            StaffObject::GetVariable(keyword, text);
    }
    else if (is("STAFF_JOB_TITLE"))
        SetText(text, "STAFFB_TITLE_ZOOKEEPER");
    else if (is("STAFF_CAN_PICK_STATE"))
        text = FormatChecked(u"%d", {CanBePicked() ? 1 : 0});
    else if (is("INSPECT_TODAY"))
        text = FormatChecked(u"%d", {m_dwInspectionsToday});
    else
        StaffObject::GetVariable(keyword, text);
}

void ZooKeeperObject::Dump(SerialStream& stream)
{
    stream.BeginSave();
    stream.WriteInt("m_sZooKeeperCount", m_sZooKeeperCount);
    stream.WriteUInt("m_dwRepairType", m_dwRepairType);
    stream.WriteBool("m_bFoundRepair", m_bFoundRepair);
    stream.WriteBool("m_bFoundBetterJob", m_bFoundBetterJob);
    stream.WriteUInt("m_dwInspectionsToday", m_dwInspectionsToday);
    StaffObject::Dump(stream);
}

bool ZooKeeperObject::Load(SerialStream& stream)
{
    stream.BeginLoad();
    int32_t count = 0;
    uint32_t type = 0, inspections = 0;
    bool found = false, better = false;
    stream.ReadInt(&count);
    stream.ReadUInt(&type);
    stream.ReadBool(&found);
    stream.ReadBool(&better);
    stream.ReadUInt(&inspections);
    if (!stream.Good() || count < 1 || count > kMaxSavedStaff)
    {
        GetLogger()->Report(0, "ZooKeeperObject::Load - the saved record of %s is cut short or damaged", m_Name);
        return false;
    }
    if (!StaffObject::Load(stream))
        return false;
    m_dwRepairType = type;
    m_bFoundRepair = found;
    m_bFoundBetterJob = better;
    m_dwInspectionsToday = inspections;
    return true;
}
