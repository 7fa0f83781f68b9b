// StaffObject: creation, wages, energy, thoughts, wandering, the staff room, pick-up, the staff panel's keywords
// and the save record shared by every kind of staff.
#include "park/StaffObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "engine/core/WholeNumbers.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "park/BuildingObject.h"
#include "park/FeedbackManager.h"
#include "park/ParkGui.h"
#include "park/ParkManagers.h"
#include "park/ParkViews.h"
#include "park/ResearchManager.h"
#include "platform/Random.h"
#include "scripts/ObjectScript.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{

// The type of a staff member whose keyword the tables do not hold.
const StaffInfo kNoType{};

// How far FindWanderPos looks around, in map units either way, and how often it draws again.
constexpr int32_t kWanderReach = 300;
constexpr int32_t kWanderDraws = 1000;
// The rest factor outside a staff room.
constexpr float kOutsideRest = 0.5f;
// The largest energy percentage the panel shows (a whole number a double holds exactly).
constexpr double kMostPercent = 9.0e15;

} // namespace

StaffObject::StaffObject(uint32_t sceneKind) : HumanObject(sceneKind), m_pStaffType(&kNoType) {}

StaffObject::~StaffObject()
{
    if (g_pWorld && g_pWorld->GetScene())
        g_pWorld->GetScene()->RemoveObject(this);
}

// ---------------------------------------------------------------- helpers

BaseObject* StaffObject::ObjectOf(uint32_t id)
{
    return g_pObjectManager && id != kNoObjectID ? g_pObjectManager->GetObject(id) : nullptr;
}

BuildingObject* StaffObject::BuildingOf(uint32_t id)
{
    return dynamic_cast<BuildingObject*>(ObjectOf(id));
}

float StaffObject::StaffFactor(int32_t which)
{
    const ResearchManager* research = GetResearchManager();
    return research ? research->GetStaffFactor(which) : 1.0f;
}

const char* StaffObject::Variant(const char* base)
{
    std::snprintf(m_Variant, sizeof m_Variant, "%s_%02d", base, platform::Rand() % 3 + 1);
    return m_Variant;
}

void StaffObject::MakeName(int32_t gender, const char* titleFormat, int32_t titles)
{
    m_name.clear();
    if (!g_pWorldParams)
        return;
    m_name = TableText(g_pWorldParams->GetRandomFirstName(gender));
    m_name += u" ";
    char title[48];
    std::snprintf(title, sizeof title, titleFormat, platform::Rand() % titles + 1);
    m_name += TableText(title);
}

void StaffObject::EnterState(uint32_t state)
{
    SetState(state);
    OnStateEntry(state);
}

void StaffObject::TellSelfNow(uint32_t type, uint32_t data)
{
    // Handled at once rather than posted: a paused park holds posted messages back, and a worker picked up and put
    // down meanwhile would take the pick-up only after the drop, and stay held for good.
    Message(SelfMessage(type, 0, data));
}

void StaffObject::TellState(uint32_t state)
{
    TellSelfNow(MT_STATECHANGE, state);
}

void StaffObject::SendSelfDelayed(uint32_t type, uint32_t state, float delay)
{
    MessageRecord record = SelfMessage(type);
    record.dwData2 = state;
    if (g_pMessageHandler)
        g_pMessageHandler->SendDelayed(record, delay);
}

bool StaffObject::IsRestingState() const
{
    return m_dwState == STATE_STAFF_GO_REST || m_dwState == STATE_STAFF_RESTING ||
           m_dwState == STATE_STAFF_ENTER_ROOM || m_dwState == STATE_STAFF_LEAVE_ROOM;
}

void StaffObject::LeaveRoom()
{
    if (BuildingObject* room = BuildingOf(m_DestObjectID))
    {
        if (room->GetNumRestStaff() > 0)
            room->SetNumRestStaff(room->GetNumRestStaff() - 1);
    }
}

void StaffObject::SetText(platform::WString& text, const char* id)
{
    text = TableText(id);
}

// ---------------------------------------------------------------- creation

void StaffObject::Create(const char* name)
{
    HumanObject::Create(name);
    m_pCurrentMessage = nullptr;
    m_HomeID = kNoObjectID;
    m_pStaffType = &kNoType;
    if (g_pWorldParams && g_pWorldParams->FindStaff(m_Name) >= 0)
        m_pStaffType = &g_pWorldParams->GetStaffInfo(g_pWorldParams->GetStaffID(m_Name));
    m_Wage = m_pStaffType->iWage;
    m_walkpoint = m_LastAction = 0;
    m_bGotTheSack = false;
    m_HiredOn = (g_pWorld ? g_pWorld->GetGameDay() : 0) + 1;
    m_NumFeedBackMesslog = 0;
    for (auto& thought : m_Thoughts)
        thought[0] = 0;
    m_DebugInfo = 0;
    m_fEnergyLevel = 1.0f;
    m_ActionState = 0;
    m_fMaxVel = 25.0f;
    m_fMaxForce = 15.0f;
    SetVisible(false);

    char path[256];
    std::snprintf(path, sizeof path, "%s%s%s", WorldParams::GetStaffModelPath(), m_pStaffType->szModel,
                  WorldParams::GetModelExtension());
    if (SetModel(path) == 0 && g_ModelManager.GetCapacity() > 0)
    {
        GetLogger()->Report(1, "StaffObject::Create - can't load the model of %s: the placeholder stands in", m_Name);
        SetModel(ModelManager::kPlaceholderName);
    }
    if (g_pWorld && g_pWorld->GetScene())
        g_pWorld->GetScene()->AddObject(this);
    LoadAnimationList(m_pStaffType->szAnimName, WorldParams::GetStaffModelPath());
}

bool StaffObject::SetUpFromRequest(uint8_t kind, const void* request)
{
    if (!request || kind < OBJECT_MECHANIC || kind > OBJECT_ZOOKEEPER)
        return true;
    PlaceAtBuilding(static_cast<const StaffCreationRequest*>(request)->dwBuilding);
    return true;
}

void StaffObject::PlaceAtBuilding(uint32_t building)
{
    m_DestObjectID = building;
    BuildingObject* place = BuildingOf(building);
    if (!place)
        return;
    platform::Vec3 exit = place->GetWorldPosition();
    place->GetOutWalkPoint(GetType(), 0, exit);
    SetWorldPosition({exit.x, exit.y, 0.0f});
}

// ---------------------------------------------------------------- the frame

bool StaffObject::Update()
{
    if (!HumanObject::Update())
        GetLogger()->Report(0, "HumanObject::Update - error calling HumanObject::update - %s", m_Name);
    CheckFeedback();
    if (m_pScript)
        m_pScript->PerformOnUpdate(*this, m_dwState);
    return true;
}

bool StaffObject::OnStateEntry(uint32_t state)
{
    if (m_pScript)
        m_pScript->PerformOnEntry(*this, state);
    return true;
}

bool StaffObject::OnStateExit()
{
    if (m_pScript)
        m_pScript->PerformOnExit(*this, m_dwState);
    return true;
}

bool StaffObject::Render()
{
    if (!m_bVisible)
        return true;
    g_GraphicsManager.DrawAnimatedModel(m_hModel, m_CurrentAnimation, m_uVisibility, m_CurrentFrame, m_Pos, m_Ori, 0);
    return true;
}

// ---------------------------------------------------------------- messages

bool StaffObject::Message(const MessageRecord& record)
{
    // A dismissed worker was paid off on dismissal: an hour that turns before it has left costs nothing more.
    if (record.dwType == MT_NEW_HOUR && !m_bGotTheSack)
    {
        World* world = g_pWorld;
        if (world && world->GetPlayer())
            world->GetPlayer()->Cash -= static_cast<float>(m_Wage);
        if (world)
        {
            world->m_fCostsToday += static_cast<float>(m_Wage);
            world->m_fWagesCostToday += static_cast<float>(m_Wage);
        }
    }
    const MessageRecord current = record;
    const MessageRecord* previous = m_pCurrentMessage;
    m_pCurrentMessage = &current;
    bool handled = m_pScript && m_pScript->PerformOnReceipt(*this, current);
    if (!handled)
        handled = HumanObject::Message(current);
    m_pCurrentMessage = previous;
    return handled;
}

bool StaffObject::PostMessage(MessageRecord record)
{
    return m_pScript && m_pScript->SendMessage(*this, record);
}

bool StaffObject::PostDelayedMessage(MessageRecord record, float delay)
{
    return m_pScript && m_pScript->SendDelayedMessage(*this, record, delay);
}

void StaffObject::PlayAnimation(const char* name, bool /*reverse*/, uint32_t /*exitState*/, bool looped,
                                const char* /*finishName*/)
{
    if (!name)
        return;
    const int32_t index = FindAnimationIndex(name);
    if (index < 0)
        return;
    g_AnimationScheduler.Play(this, GetAnimation(static_cast<uint32_t>(index)), 0,
                              looped ? 0 : AnimationScheduler::kPlayOnce);
}

// ---------------------------------------------------------------- thoughts and feedback

const char* StaffObject::GetFeedbackText(uint32_t flags)
{
    if (flags & kFeedbackStartWork)
        return Variant(m_dwState == STATE_STARTUP ? "FEEDBACK_STAFFTHOUGHT_STARTJOB"
                                                  : "FEEDBACK_STAFFTHOUGHT_STARTWORK");
    if (flags & kFeedbackEndWork)
        return Variant("FEEDBACK_STAFFTHOUGHT_ENDWORK");
    if (flags & kFeedbackSacked)
        return "FEEDBACK_STAFF_SACKED";
    return nullptr;
}

const char* StaffObject::FeedbackTextFrom(std::span<const FeedbackRow> rows, uint32_t flags)
{
    for (const FeedbackRow& row : rows)
        if (flags & row.flag)
            return row.variant ? Variant(row.key) : row.key;
    return StaffObject::GetFeedbackText(flags);
}

void StaffObject::AddThought(uint32_t flag)
{
    const char* id = GetFeedbackText(flag);
    const char16_t* text = id ? TableText(id) : u"";
    if (m_NumFeedBackMesslog < kThoughtSlots)
        ++m_NumFeedBackMesslog;
    for (int32_t slot = m_NumFeedBackMesslog - 1; slot > 0; --slot)
        std::copy(std::begin(m_Thoughts[slot - 1]), std::end(m_Thoughts[slot - 1]), m_Thoughts[slot]);
    platform::WStrCopy(m_Thoughts[0], kThoughtSize, text ? text : u"");
}

void StaffObject::CheckFeedback()
{
    if (!m_bGotTheSack)
        return;
    FeedbackManager* feedback = GetFeedbackManager();
    if (!feedback || (feedback->GetStaffMessageBits(OBJECT_SERVER) & kFeedbackSacked))
        return;
    feedback->AddMessage(StaffObject::GetFeedbackText(kFeedbackSacked), m_dwID, kSackedMessageType);
    feedback->SetStaffMessageBits(kFeedbackSacked, OBJECT_SERVER);
    AddThought(kFeedbackSacked);
}

// ---------------------------------------------------------------- energy, wandering, the staff room

void StaffObject::RestoreEnergy(bool inRoom)
{
    const int32_t day = g_pWorld ? g_pWorld->GetDayLength() : 0;
    // The World refuses days shorter than a game second an hour; with no such day there is no hour to rest by.
    if (day < World::kMinDayLength)
        return;
    const float hour = static_cast<float>(day) / 24.0f;
    const float factor = inRoom ? StaffFactor(0) : kOutsideRest;
    const float delta = g_pWorld->GetGameDeltaTime();
    // Energy is a share from nothing to full: one a damaged save or a script left below nothing rests from nothing,
    // or the worker would rest for good (no amount of rest lifts -1e30).
    const float from = std::max(m_fEnergyLevel, 0.0f);
    m_fEnergyLevel = std::min(from + delta / (2.0f * hour) * factor, 1.0f);
}

void StaffObject::FindWanderPos()
{
    const WorldMap* map = g_pWorldMap;
    if (!map)
        return;
    const float width = static_cast<float>(map->GetWidth()) * 32.0f;
    const float height = static_cast<float>(map->GetHeight()) * 64.0f;
    const auto draw = [](float own, float limit)
    {
        const float offset =
            static_cast<float>(-kWanderReach + 2 * kWanderReach * platform::Rand() / platform::kRandMax);
        const float candidate = own + offset;
        return candidate < 0.0f || candidate > limit ? own : candidate;
    };
    platform::Vec3 candidate = m_WorldXYZ;
    for (int32_t i = 0; i <= kWanderDraws; ++i)
    {
        candidate.x = draw(m_WorldXYZ.x, width);
        candidate.y = draw(m_WorldXYZ.y, height);
        const MapCell* cell = map->GetCell(WorldMap::WorldToGrid(candidate));
        if (cell && (cell->m_uiFlags & CELL_FOOTPATH) && !(cell->m_uiFlags & CELL_BUILDING))
            break;
    }
    m_WanderPos.x = candidate.x;
    m_WanderPos.y = candidate.y;
}

uint32_t StaffObject::FindStaffRoom()
{
    if (!g_pObjectManager)
        return kNoObjectID;
    BuildingObject* best = nullptr;
    float nearest = 0.0f;
    const uint32_t count = g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING);
    for (uint32_t i = 0; i < count; ++i)
    {
        auto* room = dynamic_cast<BuildingObject*>(g_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, i));
        if (!room || !room->IsOpen() || !room->IsStaffRoom() || room->IsBeingDemolished() ||
            static_cast<int64_t>(room->GetNumRestStaff()) >= room->GetInfo().iGuestCapacity)
            continue;
        const platform::Vec3& at = room->GetWorldPosition();
        const float dx = at.x - m_WorldXYZ.x, dy = at.y - m_WorldXYZ.y, dz = at.z - m_WorldXYZ.z;
        const float distance = dx * dx + dy * dy + dz * dz;
        if (!best || distance < nearest)
        {
            best = room;
            nearest = distance;
        }
    }
    if (!best)
        return kNoObjectID;
    best->SetNumRestStaff(best->GetNumRestStaff() + 1);
    return best->GetID();
}

// ---------------------------------------------------------------- dismissal and pick-up

void StaffObject::Dismiss()
{
    // Once: a worker still on its way out is neither paid off nor reported again.
    if (m_bGotTheSack)
        return;
    m_bGotTheSack = true;
    const float cost = static_cast<float>(kDismissHours * m_pStaffType->iWage);
    World* world = g_pWorld;
    if (world && world->GetPlayer())
        world->GetPlayer()->Cash -= cost;
    if (world)
    {
        world->m_fCostsToday += cost;
        world->m_fWagesCostToday += cost;
    }
    // A dismissed worker leaves the park before its next frame, and each dismissal is news: it is told now, and the
    // word of other staff then keeps the frames that follow from telling it again.
    if (FeedbackManager* feedback = GetFeedbackManager())
        feedback->ClearStaffMessages(OBJECT_SERVER);
    StaffObject::CheckFeedback();
}

void StaffObject::PickUp()
{
    SetVisible(false);
    ClosePanel();
}

void StaffObject::DropAt(const platform::Vec3& position)
{
    // Put there as any walker is put somewhere: listed in the cell it now stands on (and no longer in the one it
    // was picked up from), the walk going on from there.
    SetWorldPosition(position);
    SetVisible(true);
}

void StaffObject::CancelPickUp()
{
    SetVisible(true);
}

// ---------------------------------------------------------------- script variables and functions

ScriptValue StaffObject::GetScriptVariable(const ScriptOperand& operand)
{
    switch (operand.id)
    {
    case SV_Sender:
    case SV_MessData:
    case SV_MessFlags:
    case SV_MessState:
    {
        // Only a message being handled has these.
        if (!m_pCurrentMessage)
            return ScriptValue::UInt(0);
        const MessageRecord& m = *m_pCurrentMessage;
        const uint32_t value = operand.id == SV_Sender      ? m.dwSender
                               : operand.id == SV_MessData  ? m.dwData
                               : operand.id == SV_MessFlags ? m.dwFlags
                                                            : m.dwData2;
        return ScriptValue::UInt(value);
    }
    case SV_ActionState:
        return ScriptValue::UInt(static_cast<uint32_t>(m_ActionState));
    case SV_WanderPosX:
        return ScriptValue::UInt(static_cast<uint32_t>(TruncateToInt(m_WanderPos.x)));
    case SV_WanderPosY:
        return ScriptValue::UInt(static_cast<uint32_t>(TruncateToInt(m_WanderPos.y)));
    case SV_StaffWalkpoint:
        return ScriptValue::UInt(static_cast<uint32_t>(m_walkpoint));
    case SV_AtWork:
        return ScriptValue::UInt(m_fEnergyLevel >= kAtWorkEnergy ? 1u : 0u);
    case SV_LastAction:
        return ScriptValue::UInt(static_cast<uint32_t>(m_LastAction));
    case SV_EnergyLevel:
        return ScriptValue::Float(m_fEnergyLevel);
    case SV_IsBuilding:
    {
        const BaseObject* dest = ObjectOf(m_DestObjectID);
        return ScriptValue::Bool(dest && dest->GetType() == OBJECT_BUILDING);
    }
    default:
        return HumanObject::GetScriptVariable(operand);
    }
}

void StaffObject::SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value)
{
    switch (operand.id)
    {
    case SV_MyDir:
        SetDirection(static_cast<int32_t>(ScriptValueToInt(value) % 8));
        break;
    case SV_ActionState:
        m_ActionState = static_cast<int32_t>(ScriptValueToInt(value));
        break;
    case SV_StaffWalkpoint:
        m_walkpoint = static_cast<int32_t>(ScriptValueToInt(value));
        break;
    case SV_LastAction:
        m_LastAction = static_cast<int32_t>(ScriptValueToInt(value));
        break;
    case SV_EnergyLevel:
    {
        const float energy = ScriptValueToFloat(value);
        // A value that is no number leaves the energy as it was.
        if (std::isfinite(energy))
            m_fEnergyLevel = energy;
        break;
    }
    case SV_DebugInfo:
        m_DebugInfo = static_cast<int32_t>(ScriptValueToInt(value));
        break;
    default:
        HumanObject::SetScriptVariable(operand, value);
        break;
    }
}

void StaffObject::CallScriptFunction(uint32_t function)
{
    switch (function)
    {
    case SF_SetInvisible:
        SetVisible(false);
        break;
    case SF_SetVisible:
        SetVisible(true);
        break;
    case SF_FindWanderPos:
        FindWanderPos();
        break;
    case SF_IdleThought:
        AddThought(kFeedbackIdle);
        break;
    case SF_StartShift:
        AddThought(kFeedbackStartWork);
        m_fEnergyLevel = 1.0f;
        break;
    case SF_EndShift:
        AddThought(kFeedbackEndWork);
        break;
    case SF_RestingInRoom:
        RestoreEnergy(true);
        break;
    case SF_RestingOutside:
        RestoreEnergy(false);
        break;
    case SF_FindStaffRoom:
        m_DestObjectID = FindStaffRoom();
        break;
    case SF_LeaveStaffRoom:
        LeaveRoom();
        break;
    case SF_KillMe:
        m_bWaitingForDeath = true;
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- the panel

void StaffObject::OnSelected(bool open, bool focus)
{
    if (m_SelectLevel < 0)
        return;
    ParkGui* gui = GetParkGui();
    if (!open)
    {
        if (m_SelectLevel == 0)
            m_SelectLevel = 1;
    }
    else if (m_SelectLevel <= 1)
    {
        if (g_pObjectManager)
            g_pObjectManager->CloseStaffPanels();
        m_SelectLevel = 2;
        char dialog[64];
        std::snprintf(dialog, sizeof dialog, "%s_Menu", m_pStaffType->keyword);
        if (gui)
            gui->OpenDialog(dialog, this);
    }
    else
    {
        if (gui)
            gui->CloseDialogsOfListener(this);
        m_SelectLevel = 0;
    }
    if (focus)
    {
        if (ParkViews* views = GetParkViews())
            views->LookAt(m_WorldXYZ);
    }
}

void StaffObject::ClosePanel()
{
    m_SelectLevel = 0;
}

void StaffObject::ResetPanelState()
{
    if (m_SelectLevel == 2)
        m_SelectLevel = 1;
}

void StaffObject::GetVariable(const char* keyword, platform::WString& text)
{
    if (!keyword)
        return;
    if (std::strcmp(keyword, "STAFF_ACTIVITY") == 0)
    {
        switch (m_dwState)
        {
        case STATE_NULL:
            text.clear();
            break;
        case STATE_STARTUP:
            SetText(text, "STARTING_WORK");
            break;
        case STATE_DEAD:
        case STATE_STAFF_FALLING_ON_SWORD:
            SetText(text, "SACKED");
            break;
        default:
            text = u"Not done yet";
            break;
        }
    }
    else if (std::strncmp(keyword, "STAFF_WAGES", 11) == 0)
        text = FormatChecked(u"%d", {m_Wage});
    else if (std::strcmp(keyword, "STAFF_DAY_WAGES_$") == 0)
        text = FormatChecked(u"$%d", {static_cast<long long>(kDismissHours) * m_Wage});
    else if (std::strcmp(keyword, "STAFF_ENERGY_PERCENT") == 0)
    {
        // A loaded or scripted energy may be any number: its percentage is counted in 64 bits, held to what they
        // count exactly.
        const double percent = std::clamp(static_cast<double>(m_fEnergyLevel) * 100.0, -kMostPercent, kMostPercent);
        text = FormatChecked(u"%d%%", {static_cast<long long>(percent)});
    }
    else if (std::strcmp(keyword, "STAFF_HIRED_ON") == 0)
        text = FormatTableText("STAFF_DAY_TEXT", {m_HiredOn});
    else if (std::strncmp(keyword, "STAFF_FEEDBACK_MESS", 19) == 0 && keyword[19] >= '0' && keyword[19] <= '2')
        text = m_Thoughts[keyword[19] - '0'];
    else if (std::strcmp(keyword, "STAFF_DISMISS_CONFIRM") == 0)
        text = FormatTableText("STAFFB_DISMISS_CONFIRM", {static_cast<long long>(kDismissHours) * m_pStaffType->iWage});
    else if (std::strcmp(keyword, "STAFF_STATE_STRING") == 0)
    {
        char name[64];
        GetStateName(m_dwState, name, sizeof name);
        text = platform::AnsiToWide(name);
    }
    else if (std::strcmp(keyword, "STAFF_NAME") == 0)
        text = m_name;
    else
        GetLogger()->Report(0, "StaffObject::GetVariable - data keyword not recognised - %s", keyword);
}

void StaffObject::SetVariable(const char* keyword, const int32_t* /*value*/)
{
    GetLogger()->Report(0, "StaffObject::SetVariable - data keyword not recognised - %s", keyword ? keyword : "");
}

// ---------------------------------------------------------------- save record

void StaffObject::Dump(SerialStream& stream)
{
    stream.WriteUInt("m_HomeID", m_HomeID);
    stream.WriteInt("m_Wage", m_Wage);
    stream.WriteInt("m_walkpoint", m_walkpoint);
    stream.WriteFloat("m_fEnergyLevel", m_fEnergyLevel);
    stream.WriteInt("m_HiredOn", m_HiredOn);
    stream.WriteInt("m_LastAction", m_LastAction);
    stream.WriteInt("m_NumFeedBackMesslog", m_NumFeedBackMesslog);
    stream.WriteFloat("m_WanderPos.x", m_WanderPos.x);
    stream.WriteFloat("m_WanderPos.y", m_WanderPos.y);
    stream.WriteFloat("m_WanderPos.z", m_WanderPos.z);
    stream.WriteInt("m_DebugInfo", m_DebugInfo);
    stream.WriteInt("m_ActionState", m_ActionState);
    for (const auto& thought : m_Thoughts)
        stream.WriteWideString("m_Thoughts", thought);
    stream.WriteBool("m_bGotTheSack", m_bGotTheSack);
    HumanObject::Dump(stream);
}

bool StaffObject::Load(SerialStream& stream)
{
    uint32_t home = 0;
    int32_t wage = 0, walkpoint = 0, hiredOn = 0, lastAction = 0, thoughts = 0, debugInfo = 0, actionState = 0;
    float energy = 0.0f;
    platform::Vec3 wander = {};
    char16_t texts[kThoughtSlots][kThoughtSize] = {};
    bool sacked = false;
    stream.ReadUInt(&home);
    stream.ReadInt(&wage);
    stream.ReadInt(&walkpoint);
    stream.ReadFloat(&energy);
    stream.ReadInt(&hiredOn);
    stream.ReadInt(&lastAction);
    stream.ReadInt(&thoughts);
    stream.ReadFloat(&wander.x);
    stream.ReadFloat(&wander.y);
    stream.ReadFloat(&wander.z);
    stream.ReadInt(&debugInfo);
    stream.ReadInt(&actionState);
    for (auto& text : texts)
        stream.ReadWideString(text, kThoughtSize);
    stream.ReadBool(&sacked);
    const bool finite =
        std::isfinite(energy) && std::isfinite(wander.x) && std::isfinite(wander.y) && std::isfinite(wander.z);
    // A wage below nothing would have the worker pay the player every hour.
    if (!stream.Good() || !finite || thoughts < 0 || thoughts > kThoughtSlots || wage < 0)
    {
        GetLogger()->Report(0, "StaffObject::Load - the saved record of %s is cut short or damaged", m_Name);
        return false;
    }
    if (!HumanObject::Load(stream))
        return false;
    m_HomeID = home;
    m_Wage = wage;
    m_walkpoint = walkpoint;
    m_fEnergyLevel = energy;
    m_HiredOn = hiredOn;
    m_LastAction = lastAction;
    m_NumFeedBackMesslog = thoughts;
    m_WanderPos = wander;
    m_DebugInfo = debugInfo;
    m_ActionState = actionState;
    for (int32_t i = 0; i < kThoughtSlots; ++i)
    {
        texts[i][kThoughtSize - 1] = 0;
        platform::WStrCopy(m_Thoughts[i], kThoughtSize, texts[i]);
    }
    m_bGotTheSack = sacked;
    return true;
}
