// CleanerObject: the cleaner's jobs from the cleaning board, its script's functions and variables, its feedback,
// pick-up, dismissal, panel keywords and save record.
#include "park/CleanerObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "engine/core/WholeNumbers.h"
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/FeedbackManager.h"
#include "park/ParkManagers.h"
#include "park/SceneryObject.h"
#include "scripts/ObjectScript.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptManager.h"
#include "scripts/WorldParams.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/StaticObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>

int32_t CleanerObject::m_sCleanerCount = 0;

namespace
{

constexpr const char* kScriptName = "CleanerLogic";
// The animation names the script reads, handed in one buffer the next read overwrites.
char g_AnimationName[16];

void ClearCleaningFlags(StaticObject* object)
{
    if (!object)
        return;
    object->SetCleaning(false);
    object->SetCalledCleaning(false);
    object->SetCleanerCalledByPlayer(false);
}

} // namespace

CleanerObject::CleanerObject() : StaffObject(7) {}

CleanerObject::~CleanerObject()
{
    if (m_bCounted)
        --m_sCleanerCount;
}

void CleanerObject::Create(const char* name)
{
    StaffObject::Create(name);
    m_bLitterFound = m_bToiletFound = m_bBinFound = false;
    m_bCleanToilets = m_bCleanLitter = m_bCleanBins = true;
    m_ToiletsToday = m_BinsToday = m_LitterToday = 0;
    m_BusyToilet = kNoObjectID;
    m_FeedbackStatus = 0x0100003E;
    m_RequiredFeedback = 1;
    m_CurrentFeedback = 0;
    m_bUrgentClean = false;
    m_UrgentType = 0;
    m_pScript = g_pScriptManager ? g_pScriptManager->GetScript(kScriptName) : nullptr;
    if (m_sCleanerCount == 0)
    {
        if (FeedbackManager* feedback = GetFeedbackManager())
            feedback->RemoveMessagesWithText("FEEDBACK_NO_CLEANERS");
    }
    if (!m_bCounted)
    {
        ++m_sCleanerCount;
        m_bCounted = true;
    }
    MakeName(kFemale, "ID_CLEANER_%d", 20);
}

// ---------------------------------------------------------------- states

bool CleanerObject::IsStateSupported(uint32_t state)
{
    return state == STATE_NULL || state == STATE_STARTUP || state == STATE_DEAD ||
           (state >= STATE_STAFF_FALLING_ON_SWORD && state <= STATE_STAFF_BEING_PICKED) ||
           (state >= STATE_CLEANER_CHOOSE_TASK && state <= STATE_CLEANER_IDLE);
}

bool CleanerObject::IsGoingState() const
{
    return m_dwState == STATE_CLEANER_GO_LITTER || m_dwState == STATE_CLEANER_GO_TOILET ||
           m_dwState == STATE_CLEANER_GO_BIN;
}

// ---------------------------------------------------------------- messages

bool CleanerObject::Message(const MessageRecord& record)
{
    if (record.dwType == MT_NEW_DAY)
    {
        m_ToiletsToday = m_BinsToday = m_LitterToday = 0;
        if (FeedbackManager* feedback = GetFeedbackManager())
            feedback->ClearStaffMessages(OBJECT_CLEANER);
    }
    else if (record.dwType == MT_BUILDING_BEING_REMOVED && record.dwSender == m_DestObjectID)
    {
        if (IsGoingState())
        {
            if (CleaningManager* cleaning = GetCleaningManager())
                cleaning->FinishJob(m_DestObjectID);
            SendSelf(MT_MOVESTOP);
            EnterState(STATE_CLEANER_CHOOSE_TASK);
        }
        else if (m_dwState == STATE_CLEANER_CLEAN_LITTER || m_dwState == STATE_CLEANER_CLEAN_BIN ||
                 m_dwState == STATE_CLEANER_CLEAN_TOILET)
        {
            // The clean ends now, once: the timer its start set goes with it, or it would end the next clean of the
            // kind before its time.
            if (g_pMessageHandler)
                g_pMessageHandler->RemoveMessagesFor(m_dwID, MT_DO_NEXT_ACTION, m_dwState);
            SendSelf(MT_DO_NEXT_ACTION);
        }
    }
    return StaffObject::Message(record);
}

// ---------------------------------------------------------------- jobs

void CleanerObject::ReleaseJob()
{
    if (CleaningManager* cleaning = GetCleaningManager())
        cleaning->ReturnJob(m_DestObjectID);
}

void CleanerObject::RemoveLitter()
{
    BaseObject* litter = ObjectOf(m_DestObjectID);
    // The job is done: the notice of the litter's removal that follows is no longer about the cleaner's job (it
    // would start the sweep's end again, and again).
    m_DestObjectID = kNoObjectID;
    // Only litter is swept away: a script may call this while the cleaner heads for anything else (a toilet, a bin,
    // a guest, itself), which must stay.
    if (!litter || litter->IsWaitingForDeath() || litter->GetType() != OBJECT_LITTER)
        return;
    MessageRecord demolish;
    demolish.dwSender = demolish.dwReciever = litter->GetID();
    demolish.dwType = MT_STATECHANGE;
    demolish.dwData = STATE_DEMOLISHED;
    if (g_pMessageHandler)
        g_pMessageHandler->Send(demolish);
    if (auto* still = dynamic_cast<StaticObject*>(litter))
    {
        still->SetCalledCleaning(false);
        still->SetCleanerCalledByPlayer(false);
    }
    litter->SetWaitingForDeath(true);
}

void CleanerObject::GoToBinFront()
{
    const BaseObject* bin = ObjectOf(m_DestObjectID);
    if (!bin)
        return;
    // The cleaner stands where it walks to: the bin's own x and y.
    const platform::Vec3& at = bin->GetWorldPosition();
    m_BinPos.x = at.x;
    m_BinPos.y = at.y;
    SendSelf(MT_PAVEMENT2POINT, static_cast<uint32_t>(TruncateToInt(at.x)), static_cast<uint32_t>(TruncateToInt(at.y)));
}

void CleanerObject::CleanBin()
{
    BaseObject* object = ObjectOf(m_DestObjectID);
    ClearCleaningFlags(dynamic_cast<StaticObject*>(object));
    if (auto* bin = dynamic_cast<Scenery*>(object))
        bin->SetNumItems(0);
}

void CleanerObject::CleanToilet()
{
    BuildingObject* toilet = BuildingOf(m_DestObjectID);
    if (!toilet)
        return;
    if (toilet->CleanToilet() > kBusyToiletCleans)
    {
        m_BusyToilet = toilet->GetID();
        m_RequiredFeedback = 0;
        m_FeedbackStatus &= ~kFeedbackToiletsBusy;
    }
    ClearCleaningFlags(toilet);
}

int32_t CleanerObject::ToiletCleanSeconds(float cleanliness)
{
    const float dirt = (1.0f - (std::isfinite(cleanliness) ? cleanliness : 0.0f)) * 15.0f;
    const int32_t seconds = static_cast<int32_t>(std::clamp(dirt, -1.0f, 100.0f));
    return std::clamp(seconds, kShortestToiletClean, kLongestToiletClean);
}

void CleanerObject::CallScriptFunction(uint32_t function)
{
    CleaningManager* cleaning = GetCleaningManager();
    switch (function)
    {
    case SF_FindUrgentClean:
    {
        int32_t type = CleaningManager::JOB_NONE;
        const int32_t job =
            cleaning ? cleaning->FindUrgentClean(m_WorldXYZ, type, m_bCleanBins, m_bCleanLitter, m_bCleanToilets) : -1;
        m_DestObjectID = static_cast<uint32_t>(job);
        if (job >= 0)
        {
            m_bUrgentClean = true;
            m_UrgentType = type;
        }
        break;
    }
    case SF_RemoveLitter:
        if (cleaning)
            cleaning->FinishJob(m_DestObjectID);
        RemoveLitter();
        ++m_LitterToday;
        AddThought(kFeedbackCleanLitter);
        break;
    case SF_GoToBinFront:
        GoToBinFront();
        break;
    case SF_FaceBin:
        if (const BaseObject* bin = ObjectOf(m_DestObjectID))
            SetDirection(bin->GetDirection());
        break;
    case SF_FaceAfterBin:
        SetDirection((2 * m_iDirection + 1) % 8);
        break;
    case SF_CleanBin:
        CleanBin();
        AddThought(kFeedbackEmptyBin);
        if (cleaning)
            cleaning->FinishJob(m_DestObjectID);
        ++m_BinsToday;
        break;
    case SF_CleanToilet:
        CleanToilet();
        AddThought(kFeedbackCleanToilet);
        if (cleaning)
            cleaning->FinishJob(m_DestObjectID);
        ++m_ToiletsToday;
        break;
    case SF_FaceLitter:
        break;
    case SF_DidNotClean:
        ReleaseJob();
        break;
    case SF_StartedCleaning:
        if (cleaning)
            cleaning->SetCleaningStarted(m_DestObjectID);
        break;
    case SF_StrollThought:
        AddThought(kFeedbackIdle);
        break;
    case SF_CleanToiletTime:
    {
        const BuildingObject* toilet = BuildingOf(m_DestObjectID);
        const int32_t seconds = ToiletCleanSeconds(toilet ? toilet->GetCleanliness() : 1.0f);
        SendSelfDelayed(MT_DO_NEXT_ACTION, STATE_CLEANER_CLEAN_TOILET, static_cast<float>(seconds));
        break;
    }
    case SF_FindBestScoredJob:
    {
        m_bLitterFound = m_bBinFound = m_bToiletFound = false;
        int32_t type = CleaningManager::JOB_NONE;
        const int32_t job =
            cleaning ? cleaning->FindBestScoredJob(m_WorldXYZ, type, m_bCleanBins, m_bCleanLitter, m_bCleanToilets)
                     : -1;
        m_DestObjectID = static_cast<uint32_t>(job);
        if (job >= 0)
        {
            m_bLitterFound = type == CleaningManager::JOB_LITTER;
            m_bBinFound = type == CleaningManager::JOB_BIN;
            m_bToiletFound = type == CleaningManager::JOB_TOILET;
        }
        break;
    }
    case SF_EndShift:
        m_RequiredFeedback = 0;
        StaffObject::CallScriptFunction(function);
        break;
    default:
        StaffObject::CallScriptFunction(function);
        break;
    }
}

// ---------------------------------------------------------------- script variables

ScriptValue CleanerObject::GetScriptVariable(const ScriptOperand& operand)
{
    const float factor = StaffFactor(1);
    switch (operand.id)
    {
    case SV_FoundLitter:
        return ScriptValue::Bool(m_bLitterFound);
    case SV_FoundBin:
        return ScriptValue::Bool(m_bBinFound);
    case SV_FoundToilet:
        return ScriptValue::Bool(m_bToiletFound);
    case SV_EmptyBinAnimation:
        std::strcpy(g_AnimationName, "bin_empty");
        return ScriptValue::Text(g_AnimationName);
    case SV_StaticBinAnimation:
        std::strcpy(g_AnimationName, "bin");
        return ScriptValue::Text(g_AnimationName);
    case SV_BinPosX:
        return ScriptValue::UInt(static_cast<uint32_t>(TruncateToInt(m_BinPos.x)));
    case SV_BinPosY:
        return ScriptValue::UInt(static_cast<uint32_t>(TruncateToInt(m_BinPos.y)));
    case SV_UrgentClean:
        return ScriptValue::Bool(m_bUrgentClean);
    case SV_UrgentType:
        return ScriptValue::UInt(static_cast<uint32_t>(m_UrgentType));
    case SV_LitterEnergy:
        return ScriptValue::Float(factor * kLitterEnergy);
    case SV_BinEnergy:
        return ScriptValue::Float(factor * kBinEnergy);
    case SV_ToiletEnergy:
        return ScriptValue::Float(factor * kToiletEnergy);
    default:
        return StaffObject::GetScriptVariable(operand);
    }
}

void CleanerObject::SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value)
{
    switch (operand.id)
    {
    case SV_UrgentClean:
        m_bUrgentClean = (ScriptValueToInt(value) & 0xFF) != 0;
        break;
    case SV_UrgentType:
        m_UrgentType = static_cast<int32_t>(ScriptValueToInt(value));
        break;
    default:
        StaffObject::SetScriptVariable(operand, value);
        break;
    }
}

// ---------------------------------------------------------------- feedback

const char* CleanerObject::GetFeedbackText(uint32_t flags)
{
    static constexpr FeedbackRow kRows[] = {
        {kFeedbackToiletsBusy, "FEEDBACK_CLEANER_TOILETS_BUSY", false},
        {kFeedbackUnhappy, "FEEDBACK_CLEANER_UNHAPPY", false},
        {kFeedbackEmptyBin, "FEEDBACK_CLEANER_INNERTOUGHT_EMPTYBIN", true},
        {kFeedbackCleanToilet, "FEEDBACK_CLEANER_INNERTOUGHT_CLEANTOILET", true},
        {kFeedbackCleanLitter, "FEEDBACK_CLEANER_INNERTOUGHT_CLEANLITTER", true},
        {kFeedbackStroll, "FEEDBACK_CLEANER_INNERTOUGHT_GOSTROLL", true},
        {kFeedbackIdle, "FEEDBACK_CLEANER_INNERTOUGHT_STANDIDLE", true},
    };
    return FeedbackTextFrom(kRows, flags);
}

void CleanerObject::CheckFeedback()
{
    StaffObject::CheckFeedback();
    if (m_RequiredFeedback != 0 || (m_FeedbackStatus & kFeedbackToiletsBusy))
        return;
    m_FeedbackStatus |= kFeedbackToiletsBusy;
    if (m_BusyToilet != kNoObjectID)
    {
        m_RequiredFeedback = kFeedbackToiletsBusy;
        GiveFeedback();
        m_BusyToilet = kNoObjectID;
    }
}

void CleanerObject::GiveFeedback()
{
    m_CurrentFeedback = m_RequiredFeedback;
    m_RequiredFeedback = 0;
    if (const char* text = GetFeedbackText(m_CurrentFeedback))
    {
        if (FeedbackManager* feedback = GetFeedbackManager())
            feedback->AddMessage(text, m_CurrentFeedback == kFeedbackToiletsBusy ? m_BusyToilet : m_dwID,
                                 kFeedbackMessageType);
    }
    AddThought(m_CurrentFeedback);
}

// ---------------------------------------------------------------- dismissal and pick-up

void CleanerObject::Dismiss()
{
    if (IsSacked())
        return;
    StaffObject::Dismiss();
    if (IsRestingState())
        LeaveRoom();
    else if (m_dwState >= STATE_CLEANER_GO_LITTER && m_dwState <= STATE_CLEANER_CLEAN_TOILET)
        ReleaseJob();
    EnterState(STATE_STAFF_FALLING_ON_SWORD);
}

bool CleanerObject::CanBePicked()
{
    return m_dwState == STATE_NULL || m_dwState == STATE_STARTUP || m_dwState == STATE_CLEANER_CHOOSE_TASK ||
           IsGoingState() || m_dwState == STATE_CLEANER_IDLE;
}

void CleanerObject::PickUp()
{
    if (!CanBePicked())
        return;
    if (IsGoingState())
        ReleaseJob();
    TellSelfNow(MT_MOVESTOP);
    TellState(STATE_STAFF_BEING_PICKED);
    StaffObject::PickUp();
}

void CleanerObject::DropAt(const platform::Vec3& position)
{
    if (m_dwState != STATE_STAFF_BEING_PICKED)
        return;
    // Put down first: the job is chosen from where the worker now stands.
    StaffObject::DropAt(position);
    TellState(STATE_CLEANER_CHOOSE_TASK);
}

void CleanerObject::CancelPickUp()
{
    if (m_dwState == STATE_STAFF_BEING_PICKED)
        TellState(STATE_CLEANER_CHOOSE_TASK);
    StaffObject::CancelPickUp();
}

// ---------------------------------------------------------------- the panel

void CleanerObject::GetVariable(const char* keyword, platform::WString& text)
{
    if (!keyword)
        return;
    const auto is = [keyword](const char* key) { return std::strcmp(keyword, key) == 0; };
    const auto number = [&text](int value) { text = FormatChecked(u"%d", {value}); };
    if (is("STAFF_ACTIVITY"))
    {
        const char* id = nullptr;
        switch (m_dwState)
        {
        case STATE_STAFF_GO_REST:
        case STATE_STAFF_ENTER_ROOM:
            id = "CLEANER_GOING_TO_REST";
            break;
        case STATE_STAFF_RESTING:
        case STATE_STAFF_RESTING_OUTSIDE:
        case STATE_STAFF_LEAVE_ROOM:
            id = "CLEANER_RESTING";
            break;
        case STATE_CLEANER_CHOOSE_TASK:
            id = "CLEANER_CHOOSE_TASK";
            break;
        case STATE_CLEANER_GO_LITTER:
            id = "CLEANER_GO_CLEAN_LITTER";
            break;
        case STATE_CLEANER_CLEAN_LITTER:
            id = "CLEANER_CLEANING_LITTER";
            break;
        case STATE_CLEANER_GO_TOILET:
        case STATE_CLEANER_ENTER_TOILET:
            id = "CLEANER_GO_CLEAN_TOILET";
            break;
        case STATE_CLEANER_GO_BIN:
            id = "CLEANER_GO_CLEAN_BIN";
            break;
        case STATE_CLEANER_CLEAN_BIN:
            id = "CLEANER_CLEANING_BIN";
            break;
        case STATE_CLEANER_CLEAN_TOILET:
        case STATE_CLEANER_LEAVE_TOILET:
            id = "CLEANER_CLEANING_TOILET";
            break;
        case STATE_CLEANER_IDLE:
            id = "CLEANER_IDLE";
            break;
        default:
            break;
        }
        if (id)
            SetText(text, id);
        else
            StaffObject::GetVariable(keyword, text);
    }
    else if (is("CLEANER_TOILETS"))
        number(m_bCleanToilets);
    else if (is("CLEANER_BINS"))
        number(m_bCleanBins);
    else if (is("CLEANER_LITTER"))
        number(m_bCleanLitter);
    else if (is("TOILETS_CLEANED"))
        number(m_ToiletsToday);
    else if (is("BINS_EMPTIED"))
        number(m_BinsToday);
    else if (is("LITTER_SWEPT"))
        number(m_LitterToday);
    else if (is("STAFF_JOB_TITLE"))
        SetText(text, "STAFFB_TITLE_CLEANER");
    else if (is("STAFF_CAN_PICK_STATE"))
        number(CanBePicked() ? 1 : 0);
    else
        StaffObject::GetVariable(keyword, text);
}

void CleanerObject::SetVariable(const char* keyword, const int32_t* value)
{
    const bool on = value && (*value & 0xFF) != 0;
    if (keyword && std::strcmp(keyword, "CLEANER_TOILETS") == 0)
        m_bCleanToilets = on;
    else if (keyword && std::strcmp(keyword, "CLEANER_BINS") == 0)
        m_bCleanBins = on;
    else if (keyword && std::strcmp(keyword, "CLEANER_LITTER") == 0)
        m_bCleanLitter = on;
    else
        StaffObject::SetVariable(keyword, value);
}

// ---------------------------------------------------------------- save record

void CleanerObject::Dump(SerialStream& stream)
{
    stream.BeginSave();
    stream.WriteInt("m_sCleanerCount", m_sCleanerCount);
    stream.WriteBool("m_bLitterFound", m_bLitterFound);
    stream.WriteBool("m_bToiletFound", m_bToiletFound);
    stream.WriteBool("m_bBinFound", m_bBinFound);
    stream.WriteBool("m_bCleanToilets", m_bCleanToilets);
    stream.WriteBool("m_bCleanLitter", m_bCleanLitter);
    stream.WriteBool("m_bCleanBins", m_bCleanBins);
    stream.WriteInt("m_ToiletsToday", m_ToiletsToday);
    stream.WriteInt("m_BinsToday", m_BinsToday);
    stream.WriteInt("m_LitterToday", m_LitterToday);
    stream.WriteUInt("m_BusyToilet", m_BusyToilet);
    stream.WriteUInt("m_FeedbackStatus", m_FeedbackStatus);
    stream.WriteUInt("m_RequiredFeedback", m_RequiredFeedback);
    stream.WriteUInt("m_CurrentFeedback", m_CurrentFeedback);
    stream.WriteFloat("m_BinPos.x", m_BinPos.x);
    stream.WriteFloat("m_BinPos.y", m_BinPos.y);
    stream.WriteFloat("m_BinPos.z", m_BinPos.z);
    stream.WriteInt("m_UrgentType", m_UrgentType);
    stream.WriteBool("m_bUrgentClean", m_bUrgentClean);
    StaffObject::Dump(stream);
}

bool CleanerObject::Load(SerialStream& stream)
{
    stream.BeginLoad();
    int32_t count = 0, toilets = 0, bins = 0, litter = 0, urgentType = 0;
    bool litterFound = false, toiletFound = false, binFound = false, cleanToilets = false, cleanLitter = false;
    bool cleanBins = false, urgent = false;
    uint32_t busyToilet = 0, status = 0, required = 0, current = 0;
    platform::Vec3 binPos = {};
    stream.ReadInt(&count);
    stream.ReadBool(&litterFound);
    stream.ReadBool(&toiletFound);
    stream.ReadBool(&binFound);
    stream.ReadBool(&cleanToilets);
    stream.ReadBool(&cleanLitter);
    stream.ReadBool(&cleanBins);
    stream.ReadInt(&toilets);
    stream.ReadInt(&bins);
    stream.ReadInt(&litter);
    stream.ReadUInt(&busyToilet);
    stream.ReadUInt(&status);
    stream.ReadUInt(&required);
    stream.ReadUInt(&current);
    stream.ReadFloat(&binPos.x);
    stream.ReadFloat(&binPos.y);
    stream.ReadFloat(&binPos.z);
    stream.ReadInt(&urgentType);
    stream.ReadBool(&urgent);
    // The saved count is the number of cleaners the park had, the saving one among them; the live count stays the
    // number of cleaners that exist.
    const bool finite = std::isfinite(binPos.x) && std::isfinite(binPos.y) && std::isfinite(binPos.z);
    if (!stream.Good() || !finite || count < 1 || count > kMaxSavedStaff || urgentType < CleaningManager::JOB_LITTER ||
        urgentType > CleaningManager::JOB_TOILET)
    {
        GetLogger()->Report(0, "CleanerObject::Load - the saved record of %s is cut short or damaged", m_Name);
        return false;
    }
    if (!StaffObject::Load(stream))
        return false;
    m_bLitterFound = litterFound;
    m_bToiletFound = toiletFound;
    m_bBinFound = binFound;
    m_bCleanToilets = cleanToilets;
    m_bCleanLitter = cleanLitter;
    m_bCleanBins = cleanBins;
    m_ToiletsToday = toilets;
    m_BinsToday = bins;
    m_LitterToday = litter;
    m_BusyToilet = busyToilet;
    m_FeedbackStatus = status;
    m_RequiredFeedback = required;
    m_CurrentFeedback = current;
    m_BinPos = binPos;
    m_UrgentType = urgentType;
    m_bUrgentClean = urgent;
    return true;
}
