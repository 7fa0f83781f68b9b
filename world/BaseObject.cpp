// BaseObject: creation, state change by message, the animation-end message, script variables, moving between map
// cells, the animation list and the object's save record.
#include "world/BaseObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "world/MessageHandler.h"
#include "world/World.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

BaseObject::BaseObject(uint32_t sceneKind) : AnimatedObject(sceneKind) {}

BaseObject::~BaseObject()
{
    LeaveMapCell();
}

void BaseObject::LeaveMapCell()
{
    if (g_pWorldMap)
    {
        if (MapCell* cell = g_pWorldMap->GetCell(GetGridPos()))
            cell->RemoveObject(this);
    }
}

void BaseObject::Create(const char* name)
{
    // The position goes back to the origin, so the object must not stay listed in the cell it stood in.
    LeaveMapCell();
    std::memset(m_Name, 0, sizeof m_Name);
    m_dwID = kNoObjectID;
    m_bType = 0;
    m_WorldXYZ = {0.0f, 0.0f, 0.0f};
    m_dwState = STATE_NULL;
    m_bWaitingForDeath = false;
    m_SelectLevel = 0;
    m_bVisible = true;
    m_bDebugBreak = false;
    if (!name)
        name = "";
    if (std::strlen(name) >= MAX_NAMESIZE)
        GetLogger()->Report(0, "BaseObject::BaseObject - name exceeds MAX_NAMESIZE - %s", name);
    std::snprintf(m_Name, sizeof m_Name, "%s", name);
    m_EndAnimMessage = MT_NUM_MESSAGES;
}

bool BaseObject::Tick()
{
    return true;
}

bool BaseObject::Render()
{
    m_CurrentAnimation = 0;
    m_CurrentFrame = 0;
    if (m_bVisible)
        DrawModel();
    return true;
}

bool BaseObject::Update()
{
    m_bDebugBreak = false;
    return true;
}

bool BaseObject::Message(const MessageRecord& record)
{
    if (record.dwType != MT_STATECHANGE)
        return false;
    const uint32_t state = record.dwData;
    if (!IsStateSupported(state))
        GetLogger()->Report(0, "BaseObject::Message - asked for an unsupported state %u  Object Type(%d) Sender(%d)",
                            state, m_bType, static_cast<int>(record.dwSender));
    if (!OnStateExit())
        GetLogger()->Report(0, "BaseObject::Message - error processing OnStateExit()");
    m_dwState = state;
    if (!OnStateEntry(state))
        GetLogger()->Report(0, "BaseObject::Message - error processing OnStateEntry(%d) Object Type(%d) Sender(%d)",
                            static_cast<int>(state), m_bType, static_cast<int>(record.dwSender));
    return true;
}

bool BaseObject::PostMessage(MessageRecord record)
{
    return g_pMessageHandler && g_pMessageHandler->Send(record);
}

bool BaseObject::PostDelayedMessage(MessageRecord record, float delay)
{
    return g_pMessageHandler && g_pMessageHandler->SendDelayed(record, delay);
}

uint32_t BaseObject::SetAnimationEndMessage(uint32_t type)
{
    m_EndAnimMessage = type;
    return m_EndAnimMessage;
}

void BaseObject::StopAnimation()
{
    AnimatedObject::StopAnimation();
    if (m_EndAnimMessage == MT_NUM_MESSAGES)
        return;
    MessageRecord record;
    record.dwSender = m_dwID;
    record.dwReciever = m_dwID;
    record.dwType = m_EndAnimMessage;
    record.dwFlags = 0;
    record.dwData = 0;
    record.dwData2 = m_dwState;
    record.fData = 0.0f;
    // Cleared first: the handler may set the next end message.
    m_EndAnimMessage = MT_NUM_MESSAGES;
    PostMessage(record);
}

void BaseObject::PlayAnimation(const char*, bool, uint32_t, bool, const char*) {}

namespace
{

// rand() modulo a range; a range of 0 has no values, so it gives 0 (the script reported it when it was compiled).
uint32_t RandomBelow(uint32_t range)
{
    return range ? static_cast<uint32_t>(platform::Rand()) % range : 0;
}

} // namespace

ScriptValue BaseObject::GetScriptVariable(const ScriptOperand& operand)
{
    switch (operand.id)
    {
    case SCRIPT_OPERAND_TEXT:
        return ScriptValue::Text(operand.text);
    case VAR_WORLD_STARTED:
        return ScriptValue::Bool(g_pWorld && !g_pWorld->IsStartingUp());
    case VAR_ME:
        return ScriptValue::UInt(m_dwID);
    case SCRIPT_OPERAND_RAND:
        return ScriptValue::UInt(RandomBelow(operand.number));
    case SCRIPT_OPERAND_RANDOM:
    {
        // A one-in-N chance; with no range there is no chance.
        const uint32_t draw = RandomBelow(operand.number);
        return ScriptValue::Bool(operand.number != 0 && draw == 0);
    }
    case VAR_NO_OBJECT:
        return ScriptValue::UInt(kNoObjectID);
    case VAR_TRUE:
        return ScriptValue::Bool(true);
    case VAR_FALSE:
        return ScriptValue::Bool(false);
    case SCRIPT_OPERAND_NUMBER:
        return ScriptValue::Float(operand.real);
    case VAR_STATE:
        return ScriptValue::UInt(m_dwState);
    case VAR_GAME_TIME:
        return ScriptValue::Float(g_pWorld ? g_pWorld->GetGameDayTime() : 0.0f);
    default:
        // No class knows the id: a false that every caller can read.
        return ScriptValue::Bool(false);
    }
}

void BaseObject::SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value)
{
    switch (operand.id)
    {
    case VAR_WAITING_FOR_DEATH:
        // The low byte of the number written: a script's 1 is a real, and flags the object as true does.
        m_bWaitingForDeath = (ScriptValueToInt(value) & 0xFF) != 0;
        break;
    case VAR_WORLD_X:
    case VAR_WORLD_Y:
    {
        // A script's numbers are reals: the value is taken as the number it is (a real's bits read as a whole
        // number would put the object a billion units away); a value that is no number leaves it where it is.
        const float at = ScriptValueToFloat(value);
        if (!std::isfinite(at))
            break;
        SetWorldPosition(operand.id == VAR_WORLD_X ? platform::Vec3{at, m_WorldXYZ.y, m_WorldXYZ.z}
                                                   : platform::Vec3{m_WorldXYZ.x, at, m_WorldXYZ.z});
        break;
    }
    default:
        break;
    }
}

void BaseObject::CallScriptFunction(uint32_t) {}

void BaseObject::SetWorldPosition(const platform::Vec3& position)
{
    if (g_pWorldMap)
    {
        // An object off the map stands in no cell's list.
        MapCell* cell = g_pWorldMap->GetCell(WorldMap::WorldToGrid(position));
        if (!cell || !cell->ContainsObject(this))
        {
            LeaveMapCell();
            if (cell)
                cell->AddObject(this);
        }
    }
    m_WorldXYZ = {position.x, position.y, 0.0f};
}

void BaseObject::OnSelected(bool, bool) {}

BuildingPoints* BaseObject::GetBuildingPoints()
{
    return nullptr;
}

bool BaseObject::IsRailPiece() const
{
    return false;
}

void BaseObject::Demolish() {}

void BaseObject::GetSoundPosition(platform::Vec3&) {}

void BaseObject::ClosePanel() {}

bool BaseObject::IsSelectable()
{
    return true;
}

void BaseObject::SetVisible(bool visible)
{
    m_bVisible = visible;
}

void BaseObject::GetCentrePosition(platform::Vec3&) {}

float BaseObject::GetRotation()
{
    return static_cast<float>(m_iDirection * 90) * (1.0f / 360.0f) * (2.0f * std::numbers::pi_v<float>);
}

void BaseObject::SetDirection(int32_t direction)
{
    m_iDirection = direction;
}

void BaseObject::GetVariable(const char* keyword, platform::WString&)
{
    GetLogger()->Report(0, "An invalid keyword has been passed into get variable :- %s Object Type - %d",
                        keyword ? keyword : "", m_bType);
}

void BaseObject::SetVariable(const char*, const int32_t*) {}

void BaseObject::ResetPanelState() {}

void BaseObject::LoadAnimationList(const char* modelKeyword, const char* pathPrefix)
{
    LoadAnimationList(CollectAnimList(modelKeyword), pathPrefix);
}

void BaseObject::LoadAnimationList(const std::vector<AnimListItem>& records, const char* pathPrefix)
{
    m_AnimationList.clear();
    uint64_t total = 0;
    for (const AnimListItem& record : records)
        total += record.count > 0 ? static_cast<uint64_t>(record.count) : 0;
    if (total == 0)
        return;
    if (total > kMaxAnimations)
    {
        GetLogger()->Report(0, "BaseObject::LoadAnimationList - %llu animations listed for %s, more than %u",
                            static_cast<unsigned long long>(total), m_Name, kMaxAnimations);
        return;
    }
    SetAnimationCount(static_cast<uint32_t>(total));
    uint32_t index = 0;
    char file[512];
    for (const AnimListItem& record : records)
    {
        for (int32_t i = 0; i < record.count; ++i)
        {
            std::snprintf(file, sizeof file, "%s%s_%02d%s", pathPrefix ? pathPrefix : "", record.stem.c_str(), i,
                          ".tm");
            LoadAnimation(index++, file);
            m_AnimationList.push_back(record.name.substr(0, kMaxAnimNameLength));
        }
    }
}

int32_t BaseObject::FindAnimationIndex(const char* name) const
{
    if (!name)
        return -1;
    // Counted, then the chosen one found again: every animation a guest plays goes through here, without the heap.
    size_t count = 0;
    for (const auto& entry : m_AnimationList)
        count += entry == name ? 1 : 0;
    if (count == 0)
        return -1;
    size_t chosen = static_cast<size_t>(platform::Rand()) % count;
    for (size_t i = 0; i < m_AnimationList.size(); ++i)
    {
        if (m_AnimationList[i] == name && chosen-- == 0)
            return static_cast<int32_t>(i);
    }
    return -1;
}

void BaseObject::GetStateName(uint32_t state, char* text, size_t capacity)
{
    if (text && capacity > 0)
        std::snprintf(text, capacity, "%s", StateName(state));
}

void BaseObject::Dump(SerialStream& stream)
{
    stream.BeginSave();
    stream.WriteBool("m_bWaitingForDeath", m_bWaitingForDeath);
    stream.WriteString("m_Name", m_Name);
    stream.WriteUInt("m_dwID", m_dwID);
    stream.WriteByte("m_bType", m_bType);
    stream.WriteFloat("m_WorldXYZ.x", m_WorldXYZ.x);
    stream.WriteFloat("m_WorldXYZ.y", m_WorldXYZ.y);
    stream.WriteFloat("m_WorldXYZ.z", m_WorldXYZ.z);
    stream.WriteUInt("m_dwState", m_dwState);
    stream.WriteBool("m_bVisible", m_bVisible);
    stream.WriteBool("m_bDebugBreak", m_bDebugBreak);
    stream.WriteInt("m_SelectLevel", m_SelectLevel);
    stream.WriteInt("m_iDirection", m_iDirection);
    stream.WriteUInt("m_EndAnimMessage", m_EndAnimMessage);
    AnimatedObject::Dump(stream);
}

bool BaseObject::Load(SerialStream& stream)
{
    stream.BeginLoad();
    stream.ReadBool(&m_bWaitingForDeath);
    stream.ReadString(m_Name, MAX_NAMESIZE);
    stream.ReadUInt(&m_dwID);
    stream.ReadByte(&m_bType);
    platform::Vec3 position = {0.0f, 0.0f, 0.0f};
    stream.ReadFloat(&position.x);
    stream.ReadFloat(&position.y);
    stream.ReadFloat(&position.z);
    if (!std::isfinite(position.x) || !std::isfinite(position.y) || !std::isfinite(position.z))
    {
        GetLogger()->Report(0, "BaseObject::Load - the saved position of %s is not a finite number", m_Name);
        return false;
    }
    SetWorldPosition(position);
    stream.ReadUInt(&m_dwState);
    bool visible = true;
    stream.ReadBool(&visible);
    SetVisible(visible);
    stream.ReadBool(&m_bDebugBreak);
    stream.ReadInt(&m_SelectLevel);
    stream.ReadInt(&m_iDirection);
    stream.ReadUInt(&m_EndAnimMessage);
    return AnimatedObject::Load(stream);
}
