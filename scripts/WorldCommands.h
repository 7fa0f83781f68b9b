// The command data that only world scripts have (creation, paths, queues, scripts, camera, menus, tickers, state
// changes by name) and the performing of world-script command nodes.
#pragma once

#include "scripts/CommandList.h"

#include <cstdint>

class WorldScript;
class WorldScriptHost;

// What a Create command makes (the park's object kinds); CREATE_UNKNOWN for a kind word not recognised.
enum CreateKind : uint32_t
{
    CREATE_UNKNOWN = 0,
    CREATE_SCENERY = 1,
    CREATE_BUILDING = 2,
    CREATE_GUEST = 3,
    CREATE_STAFF = 5,
    CREATE_ANIMAL = 9,
    CREATE_LITTER = 10,
};

// A world script's ChangeState: the State is found by name when the command is performed.
struct WorldChangeStateData : CommandData
{
    const char* name = "";
    float delay = 0.0f;
    // Set once a name the script does not declare has been reported, so a list run every frame reports it once.
    mutable bool unknownReported = false;
};

struct CreateData : CommandData
{
    uint32_t kind = CREATE_UNKNOWN;
    const char* name = "";
    // A word after scenery or litter that is not an option; null for none.
    const char* extra = nullptr;
    // -1 and -1: a random position.
    int32_t x = -1;
    int32_t y = -1;
    // Direction of buildings, scenery and litter; the slot of an animal.
    int32_t third = 0;
    int32_t count = 1;
    float price = -1.0f;
    int32_t age = 0;
    bool broken = false;

    bool IsRandom() const { return x == -1 && y == -1; }
};

struct PathData : CommandData
{
    int32_t x = 0;
    int32_t y = 0;
    uint32_t direction = 0;
    int32_t count = 0;
};

struct QueueData : CommandData
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t shape = 0;
};

// LoadScript (registry name, file) and ShowMenu (dialog, parameter or null).
struct TwoTextData : CommandData
{
    const char* first = "";
    const char* second = nullptr;
};

struct MoveCameraData : CommandData
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    // Read and kept; nothing uses it.
    float third = 0.0f;
};

struct WorldCommand
{
    // Most random positions drawn for one object before the command gives up (a park without footpath).
    static constexpr uint32_t kMaxPlacementTries = 200000;

    // Performs one node of a world script's list in the park.
    static void PerformCommands(const CommandNode& node, WorldScript& script, WorldScriptHost& host);
    // Performs a list node after node.
    static void PerformList(const CommandList& list, WorldScript& script, WorldScriptHost& host);
};

// The condition of a world script's If: without a right operand, the truth of the left value; against a quoted
// text, == and != compare texts without regard to case; otherwise both values as floats compared exactly (&& and
// || on their integer conversions).
bool EvaluateWorldCondition(WorldScriptHost& host, const ScriptOperand& left, const ScriptOperand& right, uint32_t op);
