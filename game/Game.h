// Game: the one object that owns the shell: options, texts, display, input, clocks, sound, the GUI manager and the
// eight screens; it switches screens, runs one update and one render per pass of the main loop, answers the GUI's
// named values, pauses while the program is in the background, and keeps the scenario progress and save list.
#pragma once

#include "game/SaveGames.h"
#include "game/ScenarioProgress.h"
#include "game/TickerFeed.h"
#include "gui/DialogListener.h"
#include "gui/GuiShell.h"
#include "world/GameShell.h"

#include <cstdint>
#include <memory>
#include <vector>

class CameraManager;
class CycleTimer;
class Cursor;
class Display;
class Font;
class GameClock;
class GameInput;
class GameOptions;
class GameParkGui;
class GUIManager;
class ListRows;
class GazetteerRows;
class Mp3Player;
class Screen;
class SoundEventManager;
class SoundManager;
class TextTable;
class TextWriter;
class WorldTestScreen;

class Game : public DialogListener, public GameShell, public GuiShell
{
public:
    static constexpr int kScreenCount = 8;
    enum ScreenIndex : int32_t
    {
        kWorldTestScreen = 0,
        kMainMenuScreen = 1,
        kIntroScreen = 2,
        kExitGameScreen = 3,
        kResetGameScreen = 4,
        kLoadGameScreen = 5,
        kGameWonScreen = 6,
        kInGameLoadScreen = 7,
    };
    static constexpr const char* kMoviePath = "data/movies/halvorn.mpg";
    static constexpr const char* kGuiFont = "GuiFont7";
    static constexpr uint32_t kModelCapacity = 1000;
    // The guide to sea animals, whose listen button turns the music and effects down.
    static constexpr const char* kGuideDialog = "Gazetteer";
    // The keys that, held together while no park exists, open every scenario.
    static constexpr int kCheatKeys[3] = {0x1D, 0x2A, 0x16}; // left Control, left Shift, U

    // Builds everything in its fixed order and enters the main menu. A display or input that cannot start ends
    // the program with the text of "ERROR_DIRECTX".
    Game(void* instance, void* window);
    // Writes the scenario progress, releases everything and writes the options file.
    ~Game() override;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // One pass of the main loop each.
    void Update();
    void Render();

    // The program went to the background (the park pauses, music and effects go quiet) and came back. Each does
    // nothing twice in a row, and nothing before the Game is fully built.
    void Activate();
    void Deactivate();
    bool IsDeactivated() const { return m_bDeactivated; }
    // While the program is in the background: the park and the music stream are paused (for a park or a track
    // that started meanwhile).
    void PauseIfInactive();

    // Screen n (0 to 7) becomes current at the start of the next update; the last call before it wins. Other
    // values are ignored.
    void SelectScreen(int32_t n);
    // Loads the named GUI script into the GUI manager; true.
    bool LoadScript(const char* name);
    float GetVersion() const { return 1.0f; }
    bool IsCreditsFinished() const { return m_bCreditsFinished; }
    void SetCreditsFinished() { m_bCreditsFinished = true; }
    void ClearCreditsFinished() { m_bCreditsFinished = false; }

    // The video options handed to the graphics manager.
    void ApplyVideoSettings();
    // The music and effects at a share of the options' levels while the guide plays an animal's call; below 1 they
    // come back to the options' levels once the guide is no longer open, however it closed.
    void SetGuideVolumeShare(float share);
    // The share of the options' levels the music and effects are held at: 1 unless the guide has them down.
    float GetGuideVolumeShare() const { return m_bGuideQuiet ? m_fGuideShare : 1.0f; }

    // The named values the GUI shows and sets.
    void GetVariable(const char* keyword, platform::WString& text) override;
    using DialogListener::SetVariable;
    void SetVariable(const char* keyword, const DialogValue& value) override;
    void ResetPanelState() override {}

    // Hands the command tables of the GUI's buttons to the GUI.
    static void RegisterCommands();

    // What the GUI asks of the shell.
    DialogListener* GetShellListener() override { return this; }
    bool GetDialogPosition(int32_t id, int32_t* x, int32_t* y) override;
    void SetDialogPosition(int32_t id, int32_t x, int32_t y) override;
    bool HasPark() const override;
    bool IsParkPaused() const override;
    void SetParkPaused(bool paused) override;
    float GetParkSpeed() const override;
    GameOptions* GetGuiOptions() override { return m_pOptions.get(); }
    void ApplyVideoOptions() override { ApplyVideoSettings(); }
    float GetVolumeShare() const override { return GetGuideVolumeShare(); }
    // The park's guest averages, the animals' happiness and the rescue acceptance by their bar names.
    bool GetParkFigure(const char* name, float* value) const override;
    void GetScenarioChoice(bool* sandbox, int32_t* index, int32_t* park) const override
    {
        *sandbox = m_bSandbox;
        *index = m_iScenarioIndex;
        *park = m_iParkNumber;
    }
    PanelData* GetPanelData() override;
    // A building type whose record is available (it needs no unlocking).
    bool IsBuildingAvailable(int32_t type) const override;
    // The build and scenery panels look at the park through the tracking camera.
    void UseOverviewCamera() override;
    // The park's research budget slider.
    bool GetResearchSpend(float* value) const override;
    void SetResearchSpend(float value) override;

    // The park's questions.
    float GetObjectDetail() const override;
    bool IsEdgeScrolling() const override;
    // The running scenario was won; scenario `next` opens. Nothing happens in a sandbox.
    void CompleteScenario(uint32_t next) override;

    // ---- scenario progress and the scenario list
    void ResetProgress();
    void ReadProgress();
    void WriteProgress();
    void UnlockAllScenarios();
    // Stores the flag and reads the progress file again (the scenario index starts at 0).
    void SetSandbox(bool sandbox);
    // Row 0-11: that scenario; row 12-14: that sandbox; the park picture of the row. Other rows are ignored.
    void SelectScenario(int32_t row);
    // Fills the front-end "ScenarioListBox" and follows its selection from then on.
    void FillScenarioList();
    void ClearScenarioList();
    void TrackScenarioSelection();
    const ScenarioProgress& GetProgress() const { return m_Progress; }
    int32_t GetScenarioIndex() const { return m_iScenarioIndex; }
    int32_t GetParkNumber() const { return m_iParkNumber; }
    bool IsSandbox() const { return m_bSandbox; }
    bool IsScenarioListTracked() const { return m_bScenarioListTracked; }

    // ---- save games
    // Creates "SaveGames" when the user folder has no entry of that name.
    void CreateSaveDirectory();
    void ScanSaveGames();
    void ClearSaveGames();
    int32_t GetSaveGameCount() const { return static_cast<int32_t>(m_saveGames.size()); }
    const SaveGameEntry* GetSaveGame(int32_t i) const;
    // The save-game entry to load at the next update that finds the main menu current (-1 none).
    void RequestLoad(int32_t entry) { m_iLoadRequest = entry; }
    int32_t GetLoadRequest() const { return m_iLoadRequest; }
    // Carries out the load request: the entry is checked, then the file's identification, version and header,
    // before the main menu is left; a save that does not load reports why and the main menu stays current, showing
    // the load page again when the front end's load step had put its page away.
    void LoadGame();
    // The load of one slot's file; false (with a level 0 report) when it did not load.
    bool LoadSlot(int32_t slot);
    void RefreshLoadInfo();
    // The smallest slot number that no listed save uses and whose file name nothing in the save folder has (a save
    // the list leaves out, of another version or cut, is never written over by a new save).
    int32_t FindFreeSlot() const;
    // Saves the running park into the slot of the selected "SaveListBox" row (row 0: a new slot); false when
    // nothing was selected, there is no park or the save failed (reported; the slot's old file stays).
    bool SaveGame();
    // Saves the running park into `slot` through a temporary file renamed over the slot's file only when every
    // byte was written. False, with a level 0 report, when there is no park or any write failed.
    bool SaveToSlot(int32_t slot);
    bool IsExistingSlotSelected() const;
    // Record the load request from the in-game or the front-end load list.
    void SelectInGameLoad();
    void GetLoadListSelection();
    void TakeLoadListSelection() override { GetLoadListSelection(); }
    void DeleteSaveFromSaveList();
    void DeleteSaveFromLoadList();
    void FillLoadList();
    void FillFrontEndLoadList();
    // The front end's load page, listing the saves as they are now.
    void ShowFrontEndLoadPage();
    void FillSaveList();
    void FillSaveRows(ListRows& list, int32_t firstRow, bool clear, int32_t timeX);
    bool IsInGameLoadListShown() const { return m_bInGameLoadListShown; }
    void SetInGameLoadListShown(bool shown) { m_bInGameLoadListShown = shown; }
    const SaveGameEntry* GetSelectedSave() const { return m_pSelectedSave; }
    void PrepareSaveMenu(bool load) override;
    void SaveMenuClosed(bool load) override;

    // ---- what the screens and tests reach
    GameOptions& GetOptions() const { return *m_pOptions; }
    TextTable& GetTextTable() const { return *m_pTextTable; }
    GUIManager& GetGUIManager() const { return *m_pGUIManager; }
    SoundManager& GetSoundManager() const { return *m_pSoundManager; }
    SoundEventManager& GetSoundEvents() const { return *m_pSoundEvents; }
    Mp3Player& GetMp3Player() const { return *m_pMp3Player; }
    GameInput& GetInput() const { return *m_pInput; }
    GameClock& GetClock() const { return *m_pClock; }
    Cursor& GetCursor() const { return *m_pCursor; }
    TextWriter& GetTextWriter() const { return *m_pTextWriter; }
    Display& GetDisplay() const { return *m_pDisplay; }
    Screen* GetScreen(int32_t n) const;
    Screen* GetCurrentScreen() const { return m_pCurrentScreen; }
    Screen* GetPendingScreen() const { return m_pPendingScreen; }
    WorldTestScreen& GetWorldScreen() const;

private:
    void CheckCheatChord();
    // The list the scenario rows go into, or null.
    ListRows* FindScenarioList() const;

    void* m_pInstance;
    void* m_pWindow;
    Screen* m_pCurrentScreen = nullptr;
    Screen* m_pPendingScreen = nullptr;
    std::unique_ptr<Screen> m_screens[kScreenCount];
    std::unique_ptr<Cursor> m_pCursor;
    std::unique_ptr<GameInput> m_pInput;
    std::unique_ptr<GameClock> m_pClock;
    std::unique_ptr<CycleTimer> m_pCycleTimer;
    std::unique_ptr<Display> m_pDisplay;
    std::unique_ptr<TextWriter> m_pTextWriter;
    std::unique_ptr<Font> m_pGuiFont;
    std::unique_ptr<TextTable> m_pTextTable;
    std::unique_ptr<GUIManager> m_pGUIManager;
    std::unique_ptr<GameParkGui> m_pParkGui;
    std::unique_ptr<Mp3Player> m_pMp3Player;
    std::unique_ptr<GazetteerRows> m_pGazetteerRows;
    std::unique_ptr<SoundManager> m_pSoundManager;
    std::unique_ptr<SoundEventManager> m_pSoundEvents;
    std::unique_ptr<GameOptions> m_pOptions;
    std::unique_ptr<CameraManager> m_pCameraManager;
    ScenarioProgress m_Progress;
    // The last write of the progress failed: the file is older than the flags held here.
    bool m_bProgressUnwritten = false;
    int32_t m_iScenarioIndex = 0;
    int32_t m_iParkNumber = 1;
    bool m_bSandbox = false;
    bool m_bScenarioListTracked = false;
    // The list row last followed; -1 before the first.
    int32_t m_iTrackedRow = -1;
    std::vector<std::unique_ptr<SaveGameEntry>> m_saveGames;
    int32_t m_iLoadRequest = -1;
    bool m_bInGameLoadListShown = false;
    const SaveGameEntry* m_pSelectedSave = nullptr;
    bool m_bCreditsFinished = false;
    bool m_bDeactivated = false;
    // Whether the music was already paused (by the player's music player) when the program went to the background:
    // coming back leaves it so.
    bool m_bStreamPausedBefore = false;
    // The guide has turned the music and effects down.
    bool m_bGuideQuiet = false;
    float m_fGuideShare = 1.0f;
    TickerFeed m_tickerFeed;
};

// The Game from the start of its constructor to the end of its destructor.
extern Game* g_pGame;
// Set once the Game is fully built; activation does nothing before.
extern bool g_bGameReady;
