// Performing object-script lists: each command through the object's own operations, the conditions of If and
// Switch, and the messages and state changes the object posts.
#include "engine/core/Logger.h"
#include "engine/media/SoundManager.h"
#include "platform/Random.h"
#include "scripts/CommandList.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptHost.h"
#include "scripts/ScriptManager.h"
#include "scripts/ScriptTextHandles.h"

#include <cmath>
#include <cstring>
#include <strings.h>

namespace
{

// Equal within the tolerance of object-script == on floats.
constexpr double kEqualTolerance = static_cast<double>(1e-5f);

bool SameText(const char* a, const char* b, bool anyCase)
{
    if (!a || !b)
        return false;
    return anyCase ? strcasecmp(a, b) == 0 : std::strcmp(a, b) == 0;
}

} // namespace

bool EvaluateCondition(ScriptObject& object, const ScriptOperand& left, const ScriptOperand& right, uint32_t op)
{
    if (left.id == SCRIPT_OPERAND_DEFAULT || right.id == SCRIPT_OPERAND_DEFAULT)
        return true;
    if (right.id == SCRIPT_OPERAND_NONE)
        return IsScriptValueTrue(object.GetScriptVariable(left));
    if (right.id == SCRIPT_OPERAND_TEXT)
    {
        const ScriptValue value = object.GetScriptVariable(left);
        const bool same = value.type == SCRIPT_VALUE_TEXT && SameText(value.text, right.text, true);
        if (op == OP_EQUAL)
            return same;
        if (op == OP_NOT_EQUAL)
            return !same;
        return false;
    }
    const ScriptValue a = object.GetScriptVariable(left);
    const ScriptValue b = object.GetScriptVariable(right);
    const bool integers = a.type == SCRIPT_VALUE_UINT;
    switch (op)
    {
    case OP_AND:
        return ScriptValueToInt(a) != 0 && ScriptValueToInt(b) != 0;
    case OP_OR:
        return ScriptValueToInt(a) != 0 || ScriptValueToInt(b) != 0;
    case OP_GREATER:
        return ScriptValueToFloat(a) > ScriptValueToFloat(b);
    case OP_LESS:
        return ScriptValueToFloat(a) < ScriptValueToFloat(b);
    case OP_EQUAL:
        if (a.type == SCRIPT_VALUE_TEXT)
            return b.type == SCRIPT_VALUE_TEXT && SameText(a.text, b.text, false);
        if (integers)
            return ScriptValueToInt(a) == ScriptValueToInt(b);
        return std::fabs(static_cast<double>(ScriptValueToFloat(a)) - static_cast<double>(ScriptValueToFloat(b))) <=
               kEqualTolerance;
    case OP_LESS_EQUAL:
        return integers ? ScriptValueToInt(a) <= ScriptValueToInt(b) : ScriptValueToFloat(a) <= ScriptValueToFloat(b);
    case OP_GREATER_EQUAL:
        return integers ? ScriptValueToInt(a) >= ScriptValueToInt(b) : ScriptValueToFloat(a) >= ScriptValueToFloat(b);
    case OP_NOT_EQUAL:
        return integers ? ScriptValueToInt(a) != ScriptValueToInt(b) : ScriptValueToFloat(a) != ScriptValueToFloat(b);
    default:
        return false;
    }
}

namespace
{

void PerformMessage(const MessageData& data, ScriptObject& object)
{
    MessageRecord record;
    record.dwSender = data.sendFrom.id != SCRIPT_OPERAND_NONE
                          ? ScriptValueToInt(object.GetScriptVariable(data.sendFrom))
                          : object.GetID();
    record.dwReciever = ScriptValueToInt(object.GetScriptVariable(data.receiver));
    record.dwFlags = ScriptValueToInt(object.GetScriptVariable(data.flags));
    // A text travels as the handle of the kept text.
    const ScriptValue payload = object.GetScriptVariable(data.data);
    record.dwData = payload.type == SCRIPT_VALUE_TEXT ? InternScriptText(payload.text) : ScriptValueToInt(payload);
    record.dwType = data.type;
    record.dwData2 = data.state.id != SCRIPT_OPERAND_NONE ? ScriptValueToInt(object.GetScriptVariable(data.state))
                                                          : object.GetState();
    record.fData =
        data.floatData.id != SCRIPT_OPERAND_NONE ? ScriptValueToFloat(object.GetScriptVariable(data.floatData)) : 0.0f;
    if (data.maxTime != 0.0f)
    {
        const float share = static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
        object.PostDelayedMessage(record, data.time + (data.maxTime - data.time) * share);
    }
    else if (data.time != 0.0f)
        object.PostDelayedMessage(record, data.time);
    else
        object.PostMessage(record);
}

void PerformChangeState(const ChangeStateData& data, ScriptObject& object)
{
    MessageRecord record;
    record.dwSender = object.GetID();
    record.dwReciever = object.GetID();
    record.dwType = MT_STATECHANGE;
    record.dwData = data.state;
    if (data.delay != 0.0f)
        object.PostDelayedMessage(record, data.delay);
    else
        object.PostMessage(record);
}

void PerformAnimation(const AnimationData& data, ScriptObject& object)
{
    if (data.finish)
        object.PlayAnimation(data.name, data.reverse, data.exitState, false, data.finish);
    else if (data.exitState != 0)
        object.PlayAnimation(data.name, data.reverse, data.exitState, false, nullptr);
    else
        object.PlayAnimation(data.name, data.reverse, 0xFFFFFFFF, !data.notLooped, nullptr);
    object.SetAnimationEndMessage(data.endMessage);
}

void PerformSwitch(const SwitchData& data, ScriptObject& object)
{
    // A random operand is drawn once, and each case is compared with what was drawn.
    ScriptOperand drawn;
    bool random = false;
    if (data.operand.id == SCRIPT_OPERAND_RANDOM)
    {
        drawn.id = IsScriptValueTrue(object.GetScriptVariable(data.operand)) ? SV_true : SV_false;
        random = true;
    }
    else if (data.operand.id == SCRIPT_OPERAND_RAND)
    {
        drawn.id = SCRIPT_OPERAND_NUMBER;
        drawn.real = ScriptValueToFloat(object.GetScriptVariable(data.operand));
        random = true;
    }
    for (const SwitchCase& entry : data.cases)
    {
        const bool match = random ? EvaluateCondition(object, entry.operand, drawn, OP_EQUAL)
                                  : EvaluateCondition(object, data.operand, entry.operand, OP_EQUAL);
        if (match)
        {
            CommandList::PerformCommands(entry.list, object);
            return;
        }
    }
}

void PerformSound(const TextData& data, ScriptObject& object)
{
    ScriptHost* host = GetScriptHost();
    if (!g_pSoundManager || !host)
        return;
    const platform::Vec3 scene = host->ScenePosition(object.GetWorldPosition());
    const float position[3] = {scene.x, scene.y, scene.z};
    g_pSoundManager->PlaySample3D(data.text, position, 1, -1);
}

void Perform(const CommandNode& node, ScriptObject& object)
{
    const CommandData* data = node.data.get();
    if (!data && node.type != CMD_UNDEFINED)
        return;
    switch (node.type)
    {
    case CMD_FUNCTION:
    {
        const uint32_t function = static_cast<const FunctionData*>(data)->function;
        if (function != SF_Debug)
            object.CallScriptFunction(function);
        break;
    }
    case CMD_MESSAGE:
        PerformMessage(*static_cast<const MessageData*>(data), object);
        break;
    case CMD_CHANGE_STATE:
        PerformChangeState(*static_cast<const ChangeStateData*>(data), object);
        break;
    case CMD_PLAY_ANIMATION:
        PerformAnimation(*static_cast<const AnimationData*>(data), object);
        break;
    case CMD_IF:
    {
        const IfData& ifData = *static_cast<const IfData*>(data);
        if (EvaluateCondition(object, ifData.left, ifData.right, ifData.op))
            CommandList::PerformCommands(ifData.thenList, object);
        else
            CommandList::PerformCommands(ifData.elseList, object);
        break;
    }
    case CMD_SWITCH:
        PerformSwitch(*static_cast<const SwitchData*>(data), object);
        break;
    case CMD_ADD:
    case CMD_MINUS:
    case CMD_MINUS_ZERO_CAP:
    case CMD_DIVIDE:
    case CMD_MULTIPLY:
    case CMD_SET:
        PerformArithmetic(node.type, *static_cast<const TwoOperandData*>(data), object, "CommandList::PerformCommands");
        break;
    case CMD_PLAY_SOUND:
        PerformSound(*static_cast<const TextData*>(data), object);
        break;
    case CMD_UNDEFINED:
        GetLogger()->Report(0, "CommandList::PerformCommands - An Undefined command has been called");
        break;
    default:
        // The park's own commands, and anything beyond: nothing for an object.
        break;
    }
}

} // namespace

void CommandList::PerformCommands(const CommandList& list, ScriptObject& object)
{
    for (const CommandNode& node : list.m_Nodes)
        Perform(node, object);
}
