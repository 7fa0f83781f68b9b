// World: the park. Its game clock, pause flag and message entry; the rest of the park joins it as it is built.
#pragma once

#include "scripts/ScriptHost.h"
#include "scripts/ScriptManager.h"
#include "scripts/WorldScriptHost.h"
#include "world/MessageRecord.h"

#include <cstdint>
#include <string>
#include <vector>

class Player;
class TextWriter;

// The park is the host its scripts run in (the pause, the message bus, scene positions) and the world its
// scenario's script reads, writes and lays out.
class World : public WorldScriptHost
{
public:
    // Longest game time step of one frame, in game seconds.
    static constexpr float kMaxGameDeltaTime = 4.0f;

    // Stores the global pointer; the clock starts at 09:00 of day 0 when the day length is known ("iDAY_LENGTH_IN_
    // SECONDS" of the game parameters), at 0 otherwise; speed 1, not paused.
    World();
    virtual ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The World's message entry (receiver kWorldID). With a payload it is a creation request; without one a
    // control message, which is always taken (true).
    virtual bool HandleMessage(const MessageRecord& record, const void* payload);

    // Advances the game clock by one frame of frameTime real seconds: nothing while paused, the frame time times
    // the game speed otherwise, at most kMaxGameDeltaTime; then the day count and the hour of day.
    void AdvanceClock(float frameTime);

    float GetGameTime() const { return m_fGameTime; }
    float GetGameDeltaTime() const { return m_fGameDeltaTime; }
    int32_t GetGameDay() const { return m_GameDay; }
    // Hour of day, above 0 up to and including 24.
    float GetGameDayTime() const { return m_GameDayTime; }
    int32_t GetDayLength() const { return m_iDayLength; }
    bool IsPaused() const { return m_bPaused; }
    void SetPaused(bool paused) { m_bPaused = paused; }
    // True only while the park is being built.
    bool IsStartingUp() const { return m_bStartup; }

    // Script host.
    bool PostScriptMessage(const MessageRecord& record) override;
    bool PostScriptMessageDelayed(const MessageRecord& record, float delay) override;
    platform::Vec3 ScenePosition(const platform::Vec3& worldPosition) const override;
    ScriptManager& GetScriptManager() { return m_ScriptManager; }

protected:
    float m_fGameTime = 0.0f;
    int32_t m_GameDay = 0;
    float m_GameDayTime = 0.0f;
    float m_LastGameDayTime = 0.0f;
    float m_fGameDeltaTime = 0.0f;
    float m_fGameSpeed = 1.0f;
    int32_t m_GameSpeedLevel = 0;
    // Game seconds per day; 0 when unknown (the day count and hour then stay put).
    int32_t m_iDayLength = 0;
    bool m_bStartup = true;
    bool m_bPaused = false;
    bool m_bForcedPaused = false;
    // The registered object scripts; they run in this park.
    ScriptManager m_ScriptManager{this};

    // ---- The world script's interface, the building checks, stepping and the debug overlay -------------------
public:
    // Most script variables, scenario objectives and building types of a scenario.
    static constexpr uint32_t kScriptVarCount = kWorldScriptVarCount;
    static constexpr uint32_t kObjectiveCount = kWorldObjectiveCount;
    static constexpr uint32_t kMaxValidBuildings = 128;
    // The six guest averages, in their order.
    enum GuestAverage : uint32_t
    {
        AV_PRICE,
        AV_QUEUE,
        AV_BEAUTY,
        AV_CLEAN,
        AV_VARIETY,
        AV_WELFARE,
        AV_COUNT,
    };

    // The world script's variables by id (the text, numbers and park figures); an id the park does not answer
    // reads as false.
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override;
    // Only flags, variables, objectives, the starting hour (while the script starts up) and the cash are written.
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override;
    void CallScriptFunction(uint32_t function) override;
    bool IsLoadingSavedGame() const override { return m_bLoading; }
    bool GetCellAt(float mapX, float mapY, int32_t* gridX, int32_t* gridY, uint32_t* flags) const override;
    void LayPath(int32_t x, int32_t y, uint32_t direction, int32_t count) override;
    void SetQueueCell(int32_t x, int32_t y, uint32_t shape) override;
    void RequestScenery(uint32_t kind, const char* name, int32_t gridX, int32_t gridY, uint8_t direction) override;
    void RequestGuest(const char* name, float mapX, float mapY, uint32_t hours) override;
    void RequestBuilding(const char* name, int32_t gridX, int32_t gridY, uint32_t rotation, float price, uint32_t age,
                         bool broken) override;
    void RequestStaff(uint32_t kind, const char* name) override;
    void AdoptAnimal(uint32_t slot) override;
    void MoveCamera(float mapX, float mapY) override;
    void ShowMenu(const char* dialog, const char* parameter) override;
    void EmitTicker(const char* textKey) override;

    // A message to the World that its control path leaves to the world script: MT_STATECHANGE changes the
    // script's State (OnExit, then the new State's OnEntry; a State index out of range is reported and changes
    // nothing); any other type goes to the current State's message blocks. False when nothing took it.
    bool HandleWorldScriptMessage(const MessageRecord& record);

    // Building types (WorldParams building ids) and the checks of the build panel.
    bool IsValidBuildingType(int32_t type) const;
    uint32_t CountBuildings(int32_t type) const;
    uint32_t CountFinishedBuildings(int32_t type) const;
    bool CanBuildType(int32_t type) const;
    bool IsBuildTypeAtLimit(int32_t type) const;
    bool CheckBuildRequirement(int32_t type) const;

    // The next or previous building (by display name) or staff member (by name) from the current one, wrapping
    // at the ends; an id not among them comes back unchanged.
    uint32_t StepBuilding(uint32_t current, bool forward) const;
    uint32_t StepStaff(uint32_t current, bool forward) const;

    // The debug overlay's text lines for each shown group, top to bottom; DrawDebugInfo draws them.
    std::vector<std::string> GetDebugInfoLines() const;
    void DrawDebugInfo(TextWriter& writer) const;
    void SetDebugDisplay(uint32_t group, bool on)
    {
        if (group < 2)
            m_bDebugDisplay[group] = on;
    }

    int32_t GetScriptFlags() const { return m_ScriptFlags; }
    int32_t GetScriptVar(uint32_t index) const { return index < kScriptVarCount ? m_ScriptVars[index] : 0; }
    uint32_t GetObjectiveStatus(uint32_t index) const
    {
        return index < kObjectiveCount ? m_iObjectiveStatus[index] : 0;
    }
    bool AreBreakDownsAllowed() const { return m_bBreakDownsAllowed; }
    bool IsLitterAllowed() const { return m_bAllowLitter; }
    bool IsForcedPaused() const { return m_bForcedPaused; }
    float GetLowestGuestAverage() const { return m_fLowestGuestAverage; }
    float GetAnimalHappyAverage() const { return m_fAnimalHappyAverage; }

protected:
    // Redraws the objectives dialog after an objective changed; the GUI takes it over.
    virtual void RedrawObjectives() {}
    // Open requests of the mechanics' repair manager; the repair manager takes it over.
    virtual uint32_t CountOpenRepairRequests() const { return 0; }

    Player* m_pPlayer = nullptr;
    bool m_bLoading = false;
    bool m_bSandbox = false;
    bool m_bBreakDownsAllowed = true;
    bool m_bAllowLitter = true;
    int32_t m_ScriptFlags = 0;
    int32_t m_ScriptVars[kScriptVarCount] = {};
    uint32_t m_iObjectiveStatus[kObjectiveCount] = {};
    float m_fLastGameDayTime = 0.0f;
    int32_t m_NumGuests = 0;
    int32_t m_NumBuildings = 0;
    int32_t m_TotalGuestUnhappyDepart[2] = {};
    int32_t m_TodayGuestUnhappyDepart[2] = {};
    float m_fIncomeToday = 0.0f;
    float m_fCostsToday = 0.0f;
    float m_fAnimalIncomeTotal = 0.0f;
    int32_t m_BuildingsConstructed = 0;
    float m_fGuestAverages[AV_COUNT] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    float m_fAnimalHappyAverage = 0.5f;
    float m_fLowestGuestAverage = 0.5f;
    int32_t m_iParkRating = 50;
    int32_t m_iTargetGuests = 0;
    std::vector<int32_t> m_ValidBuildingIDs;
    uint32_t m_dwLastCreatedBuilding = kNoObjectID;
    bool m_bDebugDisplay[2] = {false, false};
};

// The park while it exists, null otherwise.
extern World* g_pWorld;
