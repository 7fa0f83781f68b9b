// The park as the scenario's world script sees it: the values it reads and writes by world variable id, its
// numbered functions, and the park operations its commands ask for (creation requests, paths, queues, camera,
// menus, tickers). The World implements it; the script runtime never sees the World itself.
#pragma once

#include "scripts/ScriptHost.h"
#include "scripts/ScriptValue.h"

#include <cstdint>

// The variable ids of world scripts (besides the operand kinds of ScriptValue.h: quoted text 10, RandUint3 108,
// Random 109 and number 113).
enum WorldVariable : uint32_t
{
    WV_GuestCount = 71,
    WV_BreakdownCount = 72,
    WV_Flag = 73, // operand number: the flag bit
    WV_CleanerCount = 74,
    WV_MechanicCount = 75,
    WV_ZooCount = 76,
    WV_AllStaffCount = 77,
    WV_Var = 78,         // operand number: the variable index
    WV_ScenarioObj = 81, // operand number: the objective index
    WV_SandBox = 82,
    WV_LitterCount = 83,
    WV_UnHappyLeavers = 84,
    WV_ProfitToday = 85,
    WV_ConstructCount = 86,
    WV_AllBuildingsOperating = 87,
    WV_GuestBeautyLevel = 88,
    WV_DiffConstructCount = 89,
    WV_BuildTreeExist = 90,
    WV_BuildingCount = 91, // operand text: the definition name
    WV_NumBuildings = 92,
    WV_IncomeToday = 93,
    WV_RidesBuilt = 94,
    WV_AmusementBuilt = 95,
    WV_AnimalExhibitCount = 96,
    WV_AverageAnimalHappy = 97,
    WV_LowestGuestAverage = 98,
    WV_AnimalExhibitIncome = 99,
    WV_VisitCount = 100, // operand text: the definition name
    WV_AnimalTotalIncome = 101,
    WV_GuestAverageWelfare = 102,
    WV_KaikoShowScore = 103,
    WV_Me = 107,
    WV_GameTime = 115,
    WV_ResortRating = 117,
    WV_GameDay = 118,
    WV_PlayerCash = 119,
};

// How many script variables (Var N) and scenario objectives (ScenarioObj N) the park keeps.
constexpr uint32_t kWorldScriptVarCount = 32;
constexpr uint32_t kWorldObjectiveCount = 4;
// The number of a Flag, Var or ScenarioObj word that has none (no digits, a sign, or more than 32 bits): it reads
// as 0 and is never written.
constexpr uint32_t kWorldNoIndex = 0xFFFFFFFF;

// The world script's functions by index; any other index is reported by the park.
enum WorldFunction : uint32_t
{
    WF_PauseGame = 0,
    WF_ResumeGame = 1,
    WF_NoBreakDowns = 2,
    WF_AllowBreakDowns = 3,
    WF_Debug = 4,
    WF_NoLitter = 5,
    WF_NotFound = 6,
};

// The kinds of staff a world script hires (the object kinds of the park).
enum WorldStaffKind : uint32_t
{
    WORLD_STAFF_MECHANIC = 6,
    WORLD_STAFF_CLEANER = 7,
    WORLD_STAFF_ZOOKEEPER = 8,
};

class WorldScriptHost : public ScriptHost, public ScriptVariables
{
public:
    WorldScriptHost* GetWorldScriptHost() override { return this; }
    // A function of the world script (every index but WF_Debug arrives here).
    virtual void CallScriptFunction(uint32_t function) = 0;
    // True while the park is being rebuilt from a saved game: the objects, paths and State then come from the
    // save, so the commands that make them do nothing.
    virtual bool IsLoadingSavedGame() const = 0;

    // The cell under a map position: false when the position is off the map; otherwise its grid position and
    // flags.
    virtual bool GetCellAt(float mapX, float mapY, int32_t* gridX, int32_t* gridY, uint32_t* flags) const = 0;
    // Lays `count` footpath cells from (x, y) stepping in a compass direction (0 north to 7 north-west), each
    // with its tile refreshed; cells off the map are passed over.
    virtual void LayPath(int32_t x, int32_t y, uint32_t direction, int32_t count) = 0;
    // Makes a cell a queue cell with a queue shape code.
    virtual void SetQueueCell(int32_t x, int32_t y, uint32_t shape) = 0;

    // Creation requests to the park. Scenery (kind 1) and litter (kind 10) on a cell, turned by `direction`.
    virtual void RequestScenery(uint32_t kind, const char* name, int32_t gridX, int32_t gridY, uint8_t direction) = 0;
    // A guest of a type at a map position, already `hours` in the park, not arriving through the entrance.
    virtual void RequestGuest(const char* name, float mapX, float mapY, uint32_t hours) = 0;
    // A building with its footprint corner on a cell; price -1 when none was given.
    virtual void RequestBuilding(const char* name, int32_t gridX, int32_t gridY, uint32_t rotation, float price,
                                 uint32_t age, bool broken) = 0;
    // A staff member of a kind at the first staff room; nothing when there is none.
    virtual void RequestStaff(uint32_t kind, const char* name) = 0;
    // The building created last adopts an animal into a slot.
    virtual void AdoptAnimal(uint32_t slot) = 0;

    // Jumps the camera to look at a map position.
    virtual void MoveCamera(float mapX, float mapY) = 0;
    // Opens a dialog by name with an optional parameter (null for none).
    virtual void ShowMenu(const char* dialog, const char* parameter) = 0;
    // A ticker message by text key.
    virtual void EmitTicker(const char* textKey) = 0;
};
