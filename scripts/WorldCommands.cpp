// Performing world-script lists in the park: conditions, arithmetic, messages and state changes, and the commands
// that lay out and run the scenario (creation, paths, queues, scripts, sounds, camera, menus, tickers).
#include "scripts/WorldCommands.h"

#include "engine/core/Logger.h"
#include "engine/media/SoundManager.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptManager.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldScript.h"
#include "scripts/WorldScriptHost.h"

#include <strings.h>

bool EvaluateWorldCondition(WorldScriptHost& host, const ScriptOperand& left, const ScriptOperand& right, uint32_t op)
{
    if (right.id == SCRIPT_OPERAND_NONE)
        return IsScriptValueTrue(host.GetScriptVariable(left));
    if (right.id == SCRIPT_OPERAND_TEXT && (op == OP_EQUAL || op == OP_NOT_EQUAL))
    {
        const ScriptValue value = host.GetScriptVariable(left);
        const bool same =
            value.type == SCRIPT_VALUE_TEXT && value.text && right.text && strcasecmp(value.text, right.text) == 0;
        return op == OP_EQUAL ? same : !same;
    }
    const ScriptValue a = host.GetScriptVariable(left);
    const ScriptValue b = host.GetScriptVariable(right);
    const float x = ScriptValueToFloat(a);
    const float y = ScriptValueToFloat(b);
    switch (op)
    {
    case OP_AND:
        return FloatToWord(x) != 0 && FloatToWord(y) != 0;
    case OP_OR:
        return FloatToWord(x) != 0 || FloatToWord(y) != 0;
    case OP_GREATER:
        return x > y;
    case OP_LESS:
        return x < y;
    case OP_EQUAL:
        return x == y;
    case OP_LESS_EQUAL:
        return x <= y;
    case OP_GREATER_EQUAL:
        return x >= y;
    case OP_NOT_EQUAL:
        return x != y;
    default:
        return false;
    }
}

namespace
{

float RandomShare()
{
    return static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
}

void Post(WorldScriptHost& host, const MessageRecord& record, float delay)
{
    if (delay != 0.0f)
        host.PostScriptMessageDelayed(record, delay);
    else
        host.PostScriptMessage(record);
}

void PerformMessage(const MessageData& data, WorldScriptHost& host)
{
    MessageRecord record;
    record.dwSender = kNoObjectID;
    record.dwReciever = ScriptValueToInt(host.GetScriptVariable(data.receiver));
    record.dwData = ScriptValueToInt(host.GetScriptVariable(data.data));
    record.dwFlags = ScriptValueToInt(host.GetScriptVariable(data.flags));
    record.dwType = data.type;
    if (data.maxTime != 0.0f)
        host.PostScriptMessageDelayed(record, data.time + (data.maxTime - data.time) * RandomShare());
    else
        Post(host, record, data.time);
}

void PerformChangeState(const WorldChangeStateData& data, WorldScript& script, WorldScriptHost& host)
{
    // A State the script does not declare is reported (once per command) and not posted: no index is ever made of
    // it.
    const uint32_t state = script.FindState(data.name);
    if (state == WorldScript::kNoState)
    {
        if (!data.unknownReported)
            GetLogger()->Report(0, "Invalid State in WorldScript - %s", data.name);
        data.unknownReported = true;
        return;
    }
    MessageRecord record;
    record.dwSender = kWorldID;
    record.dwReciever = kWorldID;
    record.dwType = MT_STATECHANGE;
    record.dwData = state;
    if (data.delay == 0.0f)
    {
        // A change asked for at once belongs to the State whose list asks: once an earlier command of the same
        // list has moved the script on (a goal met, say), a later one (the park lost) is not carried out after it.
        // The asking State goes with the message (plus one; 0 names none), for a change the pause holds back.
        const uint32_t asking = script.GetRunningState();
        if (!script.MayChangeStateFor(asking))
            return;
        if (asking != WorldScript::kNoState)
            record.dwData2 = asking + 1;
    }
    Post(host, record, data.delay);
}

// Draws map positions until one falls on a footpath cell that no building stands on; false when none turned up
// within the tries.
bool DrawFootpathPosition(const WorldScriptHost& host, float* mapX, float* mapY, int32_t* gridX, int32_t* gridY)
{
    for (uint32_t tries = 0; tries < WorldCommand::kMaxPlacementTries; ++tries)
    {
        const float x = RandomShare() * 3998.0f + 1.0f;
        const float y = RandomShare() * 7998.0f + 1.0f;
        uint32_t flags = 0;
        if (!host.GetCellAt(x, y, gridX, gridY, &flags))
            continue;
        if ((flags & 0x10000000u) && !(flags & 0x2u))
        {
            *mapX = x;
            *mapY = y;
            return true;
        }
    }
    return false;
}

void ReportNoPlace(const CreateData& data, int32_t made)
{
    GetLogger()->Report(0,
                        "WorldCommand::PerformCommand - no footpath found for a random position after %u tries - "
                        "%d of %d %s created",
                        WorldCommand::kMaxPlacementTries, made, data.count, data.name);
}

uint32_t StaffKindOf(const char* name)
{
    if (strcasecmp(name, "CLEANER") == 0)
        return WORLD_STAFF_CLEANER;
    if (strcasecmp(name, "MECHANIC") == 0)
        return WORLD_STAFF_MECHANIC;
    if (strcasecmp(name, "ZOOKEEPER") == 0)
        return WORLD_STAFF_ZOOKEEPER;
    return 0;
}

// Draws a footpath position for an object of a random creation, unless this run of lists has already found the
// park without footpath; false, with the report, when there is none.
bool PlaceAtRandom(const CreateData& data, int32_t made, WorldScript& script, WorldScriptHost& host, float* mapX,
                   float* mapY, int32_t* gridX, int32_t* gridY)
{
    if (script.IsFootpathMissing())
    {
        GetLogger()->Report(0,
                            "WorldCommand::PerformCommand - no footpath found for a random position earlier in this "
                            "run - %d of %d %s created",
                            made, data.count, data.name);
        return false;
    }
    if (DrawFootpathPosition(host, mapX, mapY, gridX, gridY))
        return true;
    script.SetFootpathMissing(true);
    ReportNoPlace(data, made);
    return false;
}

// A building or guest type the park's tables do not hold is reported as their lookup reports it: the World refuses
// to make it, and a misspelt name in the script would otherwise go untold.
void ReportUnknownType(const CreateData& data)
{
    const WorldParams* params = g_pWorldParams;
    if (!params || !data.name)
        return;
    if (data.kind == CREATE_BUILDING && params->FindBuilding(data.name) == WorldParams::kNotFound)
        params->GetBuildingID(data.name);
    else if (data.kind == CREATE_GUEST && params->FindGuest(data.name) == WorldParams::kNotFound)
        params->GetGuestID(data.name);
}

void PerformCreate(const CreateData& data, WorldScript& script, WorldScriptHost& host)
{
    ReportUnknownType(data);
    switch (data.kind)
    {
    case CREATE_SCENERY:
    case CREATE_LITTER:
        for (int32_t i = 0; i < data.count; ++i)
        {
            int32_t gridX = data.x;
            int32_t gridY = data.y;
            uint8_t direction = static_cast<uint8_t>(data.third);
            if (data.IsRandom())
            {
                float mapX = 0.0f;
                float mapY = 0.0f;
                if (!PlaceAtRandom(data, i, script, host, &mapX, &mapY, &gridX, &gridY))
                    return;
                direction = 0;
            }
            host.RequestScenery(data.kind, data.name, gridX, gridY, direction);
        }
        return;
    case CREATE_GUEST:
        for (int32_t i = 0; i < data.count; ++i)
        {
            float mapX = static_cast<float>(data.x);
            float mapY = static_cast<float>(data.y);
            int32_t gridX = 0;
            int32_t gridY = 0;
            if (data.IsRandom() && !PlaceAtRandom(data, i, script, host, &mapX, &mapY, &gridX, &gridY))
                return;
            host.RequestGuest(data.name, mapX, mapY, static_cast<uint32_t>(platform::Rand()) % 24u);
        }
        return;
    case CREATE_BUILDING:
        // A building needs a footprint on the map; there is no random one.
        if (data.IsRandom())
        {
            GetLogger()->Report(0,
                                "WorldCommand::PerformCommand - a building cannot be placed at random - %s not "
                                "created",
                                data.name);
            return;
        }
        host.RequestBuilding(data.name, data.x, data.y, static_cast<uint32_t>(data.third), data.price,
                             static_cast<uint32_t>(data.age), data.broken);
        return;
    case CREATE_STAFF:
        if (const uint32_t kind = StaffKindOf(data.name))
            host.RequestStaff(kind, data.name);
        else
            GetLogger()->Report(0, "WorldCommand::PerformCommand - Invalid Creation Message");
        return;
    case CREATE_ANIMAL:
        host.AdoptAnimal(static_cast<uint32_t>(data.third));
        return;
    default:
        GetLogger()->Report(0, "WorldCommand::PerformCommand - Invalid Creation Message");
        return;
    }
}

} // namespace

void WorldCommand::PerformCommands(const CommandNode& node, WorldScript& script, WorldScriptHost& host)
{
    const CommandData* data = node.data.get();
    if (!data && node.type != CMD_UNDEFINED)
        return;
    switch (node.type)
    {
    case CMD_FUNCTION:
    {
        const uint32_t function = static_cast<const FunctionData*>(data)->function;
        if (function != WF_Debug)
            host.CallScriptFunction(function);
        return;
    }
    case CMD_MESSAGE:
        return PerformMessage(*static_cast<const MessageData*>(data), host);
    case CMD_IF:
    {
        const IfData& ifData = *static_cast<const IfData*>(data);
        if (EvaluateWorldCondition(host, ifData.left, ifData.right, ifData.op))
            PerformList(ifData.thenList, script, host);
        else
            PerformList(ifData.elseList, script, host);
        return;
    }
    case CMD_ADD:
    case CMD_MINUS:
    case CMD_DIVIDE:
    case CMD_MULTIPLY:
    case CMD_SET:
        return PerformArithmetic(node.type, *static_cast<const TwoOperandData*>(data), host,
                                 "WorldCommand::PerformCommands");
    case CMD_PLAY_SOUND:
        if (g_pSoundManager)
            g_pSoundManager->PlaySampleVolume(static_cast<const TextData*>(data)->text, 1.0f, 1, 0);
        return;
    case CMD_LOAD_SCRIPT:
    {
        const TwoTextData& texts = *static_cast<const TwoTextData*>(data);
        if (g_pScriptManager)
            g_pScriptManager->LoadScript(texts.first, texts.second);
        return;
    }
    case CMD_MOVE_CAMERA:
    {
        const MoveCameraData& camera = *static_cast<const MoveCameraData*>(data);
        host.MoveCamera(camera.x, camera.y);
        return;
    }
    case CMD_SHOW_MENU:
    {
        const TwoTextData& texts = *static_cast<const TwoTextData*>(data);
        host.ShowMenu(texts.first, texts.second);
        return;
    }
    case CMD_EMIT_TICKER:
        host.EmitTicker(static_cast<const TextData*>(data)->text);
        return;
    case CMD_UNDEFINED:
        GetLogger()->Report(0, "WorldCommand::PerformCommands - An Undefiened command has been called");
        return;
    default:
        break;
    }
    // What remains builds the park; a park being rebuilt from a save takes it from the save instead.
    if (host.IsLoadingSavedGame())
        return;
    switch (node.type)
    {
    case CMD_CHANGE_STATE:
        return PerformChangeState(*static_cast<const WorldChangeStateData*>(data), script, host);
    case CMD_CREATE:
        return PerformCreate(*static_cast<const CreateData*>(data), script, host);
    case CMD_PATH:
    {
        const PathData& path = *static_cast<const PathData*>(data);
        host.LayPath(path.x, path.y, path.direction, path.count);
        script.SetFootpathMissing(false);
        return;
    }
    case CMD_QUEUE:
    {
        const QueueData& queue = *static_cast<const QueueData*>(data);
        host.SetQueueCell(queue.x, queue.y, static_cast<uint32_t>(queue.shape));
        script.SetFootpathMissing(false);
        return;
    }
    default:
        // Object commands (animations, Switch, MinusZeroCap): nothing in the park.
        return;
    }
}

void WorldCommand::PerformList(const CommandList& list, WorldScript& script, WorldScriptHost& host)
{
    for (const CommandNode& node : list)
    {
        if (script.IsRunStopped())
            return;
        PerformCommands(node, script, host);
    }
}
