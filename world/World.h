// World: the park. It builds itself from a scenario's world file, owns everything the park is made of, runs the
// frame (game clock, objects, messages, removals, arrivals, floating texts, world script) and creates objects on
// request.
#pragma once

#include "scripts/ScriptHost.h"
#include "scripts/ScriptManager.h"
#include "scripts/WorldScriptHost.h"
#include "world/MessageRecord.h"
#include "world/ParkServices.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BaseObject;
class Cursor;
class FloatingTextList;
class GameInput;
class GuestArrivals;
class MessageHandler;
class ObjectManager;
class ParkSounds;
class Path;
class PathTileSet;
class Scene;
class SerialStream;
class Player;
class TextWriter;
class TextureBank;

// The park's texture bank while the park is built: opened from the data, made the texture manager's bank while it
// holds textures (a missing or empty bank leaves every texture to its own file), detached and freed when it goes.
class ParkTextureBank
{
public:
    static constexpr const char* kIndexFile = "Data/Textures/MRV2TEX.HDR";
    static constexpr const char* kDataFile = "Data/Textures/MRV2TEX.GTB";
    ParkTextureBank();
    ~ParkTextureBank();
    ParkTextureBank(const ParkTextureBank&) = delete;
    ParkTextureBank& operator=(const ParkTextureBank&) = delete;
    bool IsAttached() const { return m_bAttached; }

private:
    std::unique_ptr<TextureBank> m_pBank;
    bool m_bAttached = false;
};

class WorldMap;
class WorldParams;
class WorldScript;

// The park is the host its scripts run in (the pause, the message bus, scene positions) and the world its
// scenario's script reads, writes and lays out.
class World : public WorldScriptHost
{
public:
    // Longest game time step of one frame, in game seconds.
    static constexpr float kMaxGameDeltaTime = 4.0f;
    // Shortest day the clock accepts: one game second per game hour.
    static constexpr int32_t kMinDayLength = 24;
    // Longest day the clock accepts: 10,000 such days still fit the animations' clock, which counts sixtieths of a
    // game second in 32 bits.
    static constexpr int32_t kMaxDayLength = static_cast<int32_t>(0xFFFFFFFFu / 60u / 10000u);
    // Latest game time the clock holds (30 million years).
    static constexpr double kMaxGameTime = 1e15;
    static constexpr uint32_t kObjectiveCount = kWorldObjectiveCount;
    static constexpr int kMaxValidBuildings = 128;
    static constexpr int kHistoryLength = 128;
    static constexpr uint32_t kScriptVarCount = kWorldScriptVarCount;
    static constexpr float kStartingCash = 25000.0f;
    // The self-repeating rating and averages messages come every this many game seconds.
    static constexpr float kRatingPeriod = 10.0f;
    // Most litter objects the park holds.
    static constexpr uint32_t kMaxLitter = 490;
    static constexpr const char* kWorldStartupState = "STATE_WORLD_STARTUP";
    // The scenery model drawn along the closed sides of queue cells.
    static constexpr const char* kQueueRailModel = "Q_RAIL";
    // Height of the world scene's box.
    static constexpr float kSceneHeight = 500.0f;
    // The feedback message type of the world script's tickers.
    static constexpr uint32_t kTickerMessage = 1;
    // The in-game keys, by key code: P pause, = and - game speed, F5 load menu, F4 save menu, F2 options, B build
    // panel, S scenery panel.
    static constexpr int kParkKeys[8] = {0x19, 0x0D, 0x0C, 0x3F, 0x3E, 0x3C, 0x30, 0x1F};
    // The money chord: Right Control held and M pressed adds this to the cash.
    static constexpr int kMoneyChord[2] = {0x9D, 0x32};
    static constexpr float kMoneyChordAmount = 5000.0f;
    // The debug keys: Right Control and Right Shift held with D pressed switch them on, with F pressed off. While
    // they are on, F6, F7 and F8 make camera types 1, 0 and 2 current; = and - also double and halve the game
    // speed; F9 and F10 switch the two groups of the debug overlay; F11 switches wireframe drawing. None of these
    // is a park key, the money chord or the front end's cheat chord (left Control, left Shift, U).
    static constexpr int kDebugModifiers[2] = {0x9D, 0x36};
    static constexpr int kDebugOnKey = 0x20;
    static constexpr int kDebugOffKey = 0x21;
    static constexpr int kDebugKeys[6] = {0x40, 0x41, 0x42, 0x43, 0x44, 0x57};
    static constexpr int kDebugCameraTypes[3] = {1, 0, 2};

    // The clock alone, for parts of the park used without a scenario: stores the global pointer; the clock starts
    // at 09:00 of day 0 when the game parameters give a usable day length (at 0, with no days, otherwise); speed 1,
    // not paused. Owns nothing.
    World();
    // Builds the park from a scenario's world file. When the park cannot be built (no usable day length, no or an
    // unknown park location) it says so in a report and IsBuilt is false: the caller must not run it.
    World(Cursor* cursor, GameInput* input, const char* worldFile, bool loading);
    virtual ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    bool IsBuilt() const { return m_bBuilt; }
    // True while a park being built for a saved game has not finished building.
    bool IsLoading() const { return m_bLoading; }

    // ---- save and load
    // Writes the park's record (its members, then map, paths, objects, player, managers, messages and cameras).
    void Dump(SerialStream& stream) const;
    // The same for a built park; false, with a report, when there is none or the stream failed.
    bool Save(SerialStream& stream) const;
    // Reads a saved park into this one, just built for the same scenario. False, with a report, when the save is
    // cut short or does not hold together: the park is then no longer built and must be thrown away.
    bool LoadState(SerialStream& stream);
    // After LoadState: every building, then every other object, relinks what it holds by id.
    void PostLoad();
    // Builds the scenario's park for a saved game and loads the save into it; null, with a report, when either
    // fails (no half-loaded park is left).
    static std::unique_ptr<World> LoadSaved(Cursor* cursor, GameInput* input, const char* worldFile,
                                            SerialStream& stream);

    // ---- messages and creation
    // The World's message entry (receiver kWorldID). With a payload it is a creation request (true when an object
    // was made); without one a control message, which is always taken (true).
    virtual bool HandleMessage(const MessageRecord& record, const void* payload);

    // ---- the frame
    // One frame with the game clock's frame time.
    void Update();
    // One frame of frameTime real seconds.
    void Update(float frameTime);
    // The clock step of a frame: nothing while paused, the frame time times the game speed otherwise, at most
    // kMaxGameDeltaTime; then the day count and the hour of day.
    void AdvanceClock(float frameTime);
    void SetGameSpeedLevel(int32_t level);
    void FreezeClock(int32_t flag);
    void SetClockFlag2(bool hold) { m_bClockHold = hold; }

    // Posts one copy of the record to every object of a set, the receiver filled in for each.
    void SendToAllBuildings(const MessageRecord& record);
    void SendToAllOfKind(const MessageRecord& record, uint8_t kind);
    // Shop servers, mechanics, cleaners, zookeepers, then guests.
    void SendToAllHumans(const MessageRecord& record);
    void SendToAllAnimals(const MessageRecord& record);
    void SendToAllGuests(const MessageRecord& record);

    // ---- clock
    // The game time as a float (as it is saved and as most readers take it).
    float GetGameTime() const { return m_fGameTime; }
    // The game time in full: the whole seconds are counted exactly, so a frame's step is never lost however long
    // the game has run.
    double GetGameTimeExact() const { return static_cast<double>(m_iGameSeconds) + m_dGameFraction; }
    // Sets the game time (cut to 0 to kMaxGameTime; not a number gives 0) with the day count and the hour of day
    // that follow from it; the previous hours are the new one, so no new hour or day is seen for the jump.
    void SetGameTime(double seconds);
    // The animations' clock: the game time in sixtieths of a second, in 32 bits (it wraps round).
    uint32_t GetAnimationTime() const;
    float GetGameDeltaTime() const { return m_fGameDeltaTime; }
    int32_t GetGameDay() const { return m_GameDay; }
    // Hour of day, above 0 up to and including 24.
    float GetGameDayTime() const { return m_GameDayTime; }
    int32_t GetHour() const;
    int32_t GetMinute() const;
    float GetTimeInMinutes() const;
    // The time a frame of the park is drawn at, in the same sixtieths of a second: the animations' clock, or the
    // frozen time while the clock is frozen (0 below nothing or for no number).
    uint32_t GetDrawTime() const;
    int32_t GetDayLength() const { return m_iDayLength; }
    float GetGameSpeed() const { return m_fGameSpeed; }
    int32_t GetGameSpeedLevel() const { return m_GameSpeedLevel; }
    bool IsPaused() const override { return m_bPaused; }
    void SetPaused(bool paused) { m_bPaused = paused; }
    bool IsForcedPaused() const { return m_bForcedPaused; }
    // True only while the park is being built.
    bool IsStartingUp() const { return m_bStartup; }

    // ---- park figures
    int32_t GetParkRating() const { return m_iParkRating; }
    float GetGuestAverage(int index) const { return m_fGuestAverages[index]; }
    BaseObject* GetLastCreatedBuilding() const;
    // The models the scenario can show, in the order they are preloaded.
    std::vector<std::string> GetPreloadList() const;
    float GetLoadProgress() const { return m_fLoadProgress; }
    // The loading bar's rectangle {left, top, right, bottom} on a screen of that size for a progress of 0 to 1
    // (a progress outside it takes the nearest end, one that is not a number 0).
    static void LoadingBarRect(float width, float height, float progress, float out[4]);
    static constexpr uint32_t kLoadingBarColour = 0xFFFFFFFF;

    // ---- owned parts (null when not made)
    Player* GetPlayer() const { return m_pPlayer.get(); }
    WorldParams* GetWorldParams() const { return m_pWorldParams.get(); }
    WorldMap* GetWorldMap() const { return m_pWorldMap.get(); }
    GuestArrivals* GetGuestArrivals() const { return m_pGuestArrivals.get(); }
    FloatingTextList* GetFloatingTexts() const { return m_pFloatingTexts.get(); }
    // The world scene that holds the objects' models (null for the clock-only World).
    Scene* GetScene() const { return m_pScene.get(); }

    // ---- drawing
    // The frame's world: the sky, the ground, the scene's models (unless hidden) and the floating texts; the count
    // of guests drawn starts again at 0.
    void Render();
    // The GUI's screen objects after the world.
    void RenderGui();
    // Hides the scene's models (the show-training mode) or shows them again.
    void SetSceneHidden(bool hidden) { m_bSceneHidden = hidden; }
    // Guests count themselves as they are drawn.
    void CountGuestDrawn() { ++m_GuestsDrawn; }
    int32_t GetGuestsDrawn() const { return m_GuestsDrawn; }
    const ParkManagers& GetManagers() const { return m_Managers; }
    WorldScript* GetWorldScript() const { return m_ScriptManager.GetWorldScript(); }
    ScriptManager& GetScriptManager() { return m_ScriptManager; }

    // Script host.
    bool PostScriptMessage(const MessageRecord& record) override;
    bool PostScriptMessageDelayed(const MessageRecord& record, float delay) override;
    platform::Vec3 ScenePosition(const platform::Vec3& worldPosition) const override;

    // The six guest averages, in the order of their GUI keywords.
    enum GuestAverage
    {
        AV_PRICE,
        AV_QUEUE,
        AV_BEAUTY,
        AV_CLEAN,
        AV_VARIETY,
        AV_WELFARE,
        AV_COUNT,
    };

    // ---- the world script's interface, the building checks, stepping and the debug overlay
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

    // The next or previous building (by display name) or staff member of the same kind (by name) from the current
    // one, wrapping at the ends; an id not among them comes back unchanged.
    uint32_t StepBuilding(uint32_t current, bool forward) const;
    uint32_t StepStaff(uint32_t current, bool forward) const;

    // Accepted over offered rescues, 0 to 1 (0 when none was offered or there is no rescue manager).
    float GetRescueAcceptRatio() const;

    // The debug overlay's text lines for each shown group, top to bottom; DrawDebugInfo draws them.
    std::vector<std::string> GetDebugInfoLines() const;
    void DrawDebugInfo(TextWriter& writer) const;
    bool AreDebugKeysOn() const { return m_bDebugKeys; }
    bool IsDebugDisplayOn(uint32_t group) const { return group < 2 && m_bDebugDisplay[group]; }
    bool IsWireframe() const { return m_bWireframe; }
    void SetDebugDisplay(uint32_t group, bool on)
    {
        if (group < 2)
            m_bDebugDisplay[group] = on;
    }

    uint32_t GetScriptFlags() const { return m_ScriptFlags; }
    int32_t GetScriptVar(uint32_t index) const { return index < kScriptVarCount ? m_ScriptVars[index] : 0; }
    uint32_t GetObjectiveStatus(uint32_t index) const
    {
        return index < kObjectiveCount ? m_iObjectiveStatus[index] : 0;
    }
    bool AreBreakDownsAllowed() const { return m_bBreakDownsAllowed; }
    bool IsLitterAllowed() const { return m_bAllowLitter; }
    float GetLowestGuestAverage() const { return m_fLowestGuestAverage; }
    float GetAnimalHappyAverage() const { return m_fAnimalHappyAverage; }
    // The research rating as it stands (0 to 1), stepped each hour toward the research budget's share.
    float GetResearchRating() const { return m_fCurrentResearchRating; }

    // ---- scenario texts
    std::string m_StatusTitle;
    std::string m_ObjectiveDescription;
    std::string m_ObjectivesText;
    std::string m_ObjectiveTexts[kObjectiveCount];
    std::string m_ObjectiveTitle;
    int32_t m_iObjectiveCount = 0;
    uint32_t m_iObjectiveStatus[kObjectiveCount] = {};

    // ---- members the park's classes, the tools and the world script read and write
    float m_fNextStaffFeedbackTime = 0.0f;
    int32_t m_NumValidBuildings = 0;
    int32_t m_ValidBuildingIDs[kMaxValidBuildings] = {};
    bool m_bBreakDownsAllowed = true;
    bool m_bAllowLitter = true;
    // The bad function indexes the world script has called, each reported once (the last bit for any above it).
    uint64_t m_BadFunctionsReported = 0;
    uint32_t m_ScriptFlags = 0;
    int32_t m_ScriptVars[kScriptVarCount] = {};
    int32_t m_NumGuests = 0;
    int32_t m_NumBuildings = 0;
    // Buildings standing whose type is a ride (attraction category 7) or an amusement (category 1): counted as they
    // are made and removed, and counted again after a load.
    int32_t m_RidesBuilt = 0;
    int32_t m_AmusementBuilt = 0;
    int32_t m_TotalGuestArrive[2] = {};
    int32_t m_TodayGuestArrive[2] = {};
    int32_t m_TotalGuestDepart[2] = {};
    int32_t m_TodayGuestDepart[2] = {};
    int32_t m_TotalGuestUnhappyDepart[2] = {};
    int32_t m_TodayGuestUnhappyDepart[2] = {};
    float m_fIncomeToday = 0.0f;
    float m_fDemolishIncomeToday = 0.0f;
    float m_fAttractIncomeToday = 0.0f;
    float m_fRetailIncomeToday = 0.0f;
    float m_fAnimalIncomeTotal = 0.0f;
    float m_fCostsToday = 0.0f;
    float m_fConstructCostToday = 0.0f;
    float m_fSceneryCostToday = 0.0f;
    float m_fWagesCostToday = 0.0f;
    float m_fStockCostToday = 0.0f;
    float m_fAverageProfit = 0.0f;
    float m_fAverageCost = 0.0f;
    float m_fAverageIncome = 0.0f;
    float m_fProfitRecord[kHistoryLength] = {};
    float m_fIncomeRecord[kHistoryLength] = {};
    float m_fCostRecord[kHistoryLength] = {};
    int32_t m_BuildingsConstructed = 0;
    int32_t m_DiffBuildingsConstructed = 0;
    int32_t m_BuildingsLeftToBuild = 0;
    int32_t m_UnbuiltAfterStartup = 0;
    float m_fLowestGuestAverage = 0.5f;
    float m_fGuestAverages[AV_COUNT] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    float m_fAnimalHappyAverage = 0.5f;
    float m_fTargetResearchRating = 0.0f;
    float m_fCurrentResearchRating = 0.0f;
    int32_t m_iParkRating = 50;
    float m_fLoadProgress = 0.0f;

    // ---- clock members
    float m_fGameStartTime = 0.0f;
    // The game time as a float; the clock itself is counted in full below. A value written here directly (as a
    // saved game restores it) is taken over by the next clock step.
    float m_fGameTime = 0.0f;
    int32_t m_GameDay = 0;
    float m_GameDayTime = 0.0f;
    float m_LastGameDayTime = 0.0f;
    float m_fLastGameDayTime = 0.0f;
    float m_fGameDeltaTime = 0.0f;
    float m_fGameSpeed = 1.0f;
    int32_t m_GameSpeedLevel = 0;
    bool m_bPaused = false;
    bool m_bForcedPaused = false;

protected:
    // Redraws the objectives dialog (when it is open) after an objective changed.
    virtual void RedrawObjectives();
    // Open requests of the mechanics' repair manager; 0 without one.
    uint32_t CountOpenRepairRequests() const;

    // Reads the day length from the game parameters; false, with a report, when it is missing, too short or too
    // long.
    bool ReadDayLength();
    void StartClock();
    // The day count and the hour of day from the game time.
    void DeriveDayAndHour();
    // The game time after a step; the float mirror follows.
    void AddGameTime(double seconds);
    void SetExactTime(int64_t seconds, double fraction);
    // Sets the game time alone (cut to 0 to kMaxGameTime; not a number gives 0).
    void SetClock(double seconds);
    void ReadScenarioTexts(const class ParameterScript& file);
    bool CreateMap(const char* level, const char* worldFile);
    void PreloadModels();
    void StepLoadingProgress();

    // Frame steps.
    // Takes a frame's research spending off the player's cash, with what the cash could not take before.
    void ChargeResearch(float spent);
    void UpdateObjects();
    void NewDayAndHour();
    void EndOfDayAccounts();
    void RemoveFlaggedObjects();
    bool RemoveFlaggedObject(BaseObject& object);
    // Adds `step` to the ride or amusement count when the building's type is one.
    void CountBuiltCategory(const BaseObject& building, int32_t step);
    void UpdateCursor();
    // The right mouse button held or not this frame (the GUI's toolbar and tool mode as they stand).
    void StepCursor(bool rightHeld);
    void UpdateKeys();
    // An in-game key went down this frame (a platform key code).
    void OnKeyPressed(int key);
    // The money chord's step for the frame's modifier and key.
    void StepMoneyChord(bool modifierHeld, bool keyPressed);
    // The debug chords' step for the frame's two modifiers and the on and off keys.
    void StepDebugChords(bool modifiersHeld, bool onPressed, bool offPressed);
    // A key pressed while the debug keys are on (after its park key's own effect, for = and -).
    void OnDebugKey(int key);

    // Control messages.
    void UpdateRating();
    // The park rating from the guests, research, rescues and shows, without posting the next update.
    void ComputeRating();
    void UpdateAverages();
    // The guests' six averages taken from the guests now in the park.
    void ComputeAverages();
    // Creation.
    bool CreateRequested(const MessageRecord& record, const void* payload);
    BaseObject* MakeRequested(uint8_t kind, const void* payload);

    bool m_bBuilt = false;
    bool m_bLoading = false;
    bool m_bStartup = true;
    // Game seconds per day; 0 when unknown (the day count and hour then stay put).
    int32_t m_iDayLength = 0;
    // The game time: whole seconds and the part of a second, and the float it was last shown as.
    int64_t m_iGameSeconds = 0;
    double m_dGameFraction = 0.0;
    float m_fGameTimeShown = 0.0f;
    // Research spending the player's cash has still to be charged: less than one step of what the cash can hold.
    double m_dResearchOwed = 0.0;
    bool m_bClockFrozen = false;
    bool m_bClockHold = false;
    double m_dFrozenTime = 0.0;
    bool m_bCursorHeld = false;
    bool m_bWireframe = false;
    bool m_bDebugKeys = false;
    bool m_bSandbox = false;
    bool m_bDebugDisplay[2] = {false, false};
    uint32_t m_dwLastCreatedBuilding = 0xFFFFFFFF;
    std::string m_WorldFile;

    Cursor* m_pCursor = nullptr;
    GameInput* m_pInput = nullptr;
    // The registered object scripts and the world script; they run in this park.
    ScriptManager m_ScriptManager{this};

    // Owned parts, made by the building constructor in this order (and deleted as ~World says).
    std::unique_ptr<MessageHandler> m_pMessageHandler;
    std::unique_ptr<ObjectManager> m_pObjectManager;
    std::unique_ptr<WorldParams> m_pWorldParams;
    ParkManagers m_Managers;
    std::unique_ptr<GuestArrivals> m_pGuestArrivals;
    std::unique_ptr<FloatingTextList> m_pFloatingTexts;
    std::unique_ptr<WorldMap> m_pWorldMap;
    std::unique_ptr<PathTileSet> m_pPathTileSet;
    std::unique_ptr<Path> m_pPath;
    std::unique_ptr<Player> m_pPlayer;
    std::unique_ptr<Scene> m_pScene;
    // The park's sounds: its sound script and what the sounds ask of the park.
    std::unique_ptr<ParkSounds> m_pSounds;
    bool m_bSceneHidden = false;
    int32_t m_GuestsDrawn = 0;
};

// The park while it exists, null otherwise.
extern World* g_pWorld;
