// The game's screens: the park view, the front end, the logo, the exit and reset steps, the short step before a
// park, the credits and the return from an in-game load. The Game holds one of each and switches between them.
#pragma once

#include "game/ShellParkViews.h"
#include "platform/WideText.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Game;
class Text;
class World;
class SerialStream;

class Screen
{
public:
    static constexpr size_t kMaxName = 127;

    // The name is copied (at most 127 characters).
    Screen(Game& game, const char* name);
    virtual ~Screen() = default;
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Once per game update while current.
    virtual void Update() {}
    // The game render's passes: first, after the dialogs, and after that.
    virtual void PreRender() {}
    virtual void Render() {}
    virtual void PostRender() {}
    // Becomes current (active from here) and stops being current (not active from here).
    virtual void Enter() = 0;
    virtual void Leave() = 0;
    // The screen's GUI script, or null.
    virtual const char* GetScriptName() const = 0;
    // A saved game was read (the park screen only).
    virtual void AfterLoad() {}

    // Runs Leave when the screen is still active (the game ends while it is current).
    void LeaveIfActive();

    const char* GetName() const { return m_szName; }
    bool IsActive() const { return m_bActive; }

protected:
    // Loads the screen's own script into the GUI manager.
    void LoadOwnScript();

    Game& m_Game;
    char m_szName[kMaxName + 1] = {};
    bool m_bActive = false;
};

// The park: its World while one is built. Entering builds the World from the chosen scenario (a park that cannot
// be built sends the player back to the front end); the frames run and draw it; leaving destroys it.
class WorldTestScreen : public Screen
{
public:
    static constexpr const char* kScenarioFolder = "data/Scenario/";
    // The longest scenario file name, with its terminating zero.
    static constexpr size_t kMaxScenarioFileName = 128;

    WorldTestScreen(Game& game, const char* name);
    ~WorldTestScreen() override;

    void Update() override;
    void PreRender() override;
    void Render() override;
    void PostRender() override;
    void Enter() override;
    void Leave() override;
    const char* GetScriptName() const override { return "data/script/gui/GUI.PIS"; }
    // The start steps for a saved game's park, then the park's own finishing steps.
    void AfterLoad() override;

    // The world file of scenario `scenarioIndex` (counted from 0) or of that sandbox, as the park screen opens it.
    static std::string ScenarioFileName(int32_t scenarioIndex, bool sandbox);

    World* GetWorld() const { return m_pWorld.get(); }
    // Reads a saved game into the park just entered for it; false, with the park thrown away, when there is no
    // park or the save does not load.
    bool LoadState(SerialStream& stream);
    // Set while the next entry is for a saved game.
    void SetLoadPending(bool pending) { m_bLoadPending = pending; }
    bool IsLoadPending() const { return m_bLoadPending; }

private:
    // The select tool, the GUI script, the crowd loop, the cursor, the music and the progress extension.
    void StartPlay(bool firstTrackNow);

    std::unique_ptr<World> m_pWorld;
    bool m_bLoadPending = false;
    ShellParkViews m_Views;
};

// The front end: the main menu, and the scenario list when coming back from a park.
class MainMenuScreen : public Screen
{
public:
    static constexpr const char* kThemeMusic = "data\\soundtrack\\theme.mp3";
    // The dialog of the main menu, opened for the Game when the menu shows.
    static constexpr const char* kMainMenuDialog = "MainMenu";

    MainMenuScreen(Game& game, const char* name) : Screen(game, name) {}
    ~MainMenuScreen() override { LeaveIfActive(); }

    void Update() override;
    void Render() override;
    void Enter() override;
    void Leave() override;
    // By the options' language.
    const char* GetScriptName() const override;

    bool IsFirstEntry() const { return m_bFirstEntry; }
    // The version line under the menu from the text of "MAINMENU_VERSION": a format that places the version itself,
    // or a label the version follows.
    static platform::WString VersionLine(const char16_t* text, float version);

private:
    bool m_bFirstEntry = true;
    // The front-end page the menu's dialog last followed.
    std::string m_lastPage;
};

// A screen that moves on to another after a time or a click.
class TimedScreen : public Screen
{
public:
    // The screen moves to `nextScreen` once its timer exceeds `seconds`; `capStep` caps each step at 0.1 s.
    TimedScreen(Game& game, const char* name, float seconds, int32_t nextScreen, bool capStep, bool clickSkips);

    void Update() override;
    void Leave() override { m_bActive = false; }
    float GetTimer() const { return m_fTimer; }

protected:
    float m_fTimer = 0.0f;

private:
    float m_fSeconds;
    int32_t m_iNextScreen;
    bool m_bCapStep;
    bool m_bClickSkips;
};

// The logo: five seconds, or until a click, then the main menu.
class IntroScreen : public TimedScreen
{
public:
    IntroScreen(Game& game, const char* name);
    ~IntroScreen() override { LeaveIfActive(); }
    void Enter() override;
    const char* GetScriptName() const override { return "data/script/gui/Intro.pis"; }
};

// The farewell: fifteen seconds, or until a click, then the logo.
class ExitGameScreen : public TimedScreen
{
public:
    ExitGameScreen(Game& game, const char* name);
    ~ExitGameScreen() override { LeaveIfActive(); }
    void Enter() override;
    const char* GetScriptName() const override { return "data/script/gui/exitgame.pis"; }
};

// The one step between the front end and a new park: a tenth of a second, then the park.
class LoadGameScreen : public TimedScreen
{
public:
    LoadGameScreen(Game& game, const char* name);
    ~LoadGameScreen() override { LeaveIfActive(); }
    void Enter() override;
    const char* GetScriptName() const override { return nullptr; }
};

// The front-end screen shown on the way back from a park: "ResetGame" or "InGameLoad".
class FrontEndStepScreen : public Screen
{
public:
    FrontEndStepScreen(Game& game, const char* name) : Screen(game, name) {}
    ~FrontEndStepScreen() override { LeaveIfActive(); }
    void Enter() override;
    void Leave() override;
    const char* GetScriptName() const override { return "data/script/gui/MainMenu.pis"; }
};

class ResetGameScreen : public FrontEndStepScreen
{
public:
    using FrontEndStepScreen::FrontEndStepScreen;
};

class InGameLoadScreen : public FrontEndStepScreen
{
public:
    using FrontEndStepScreen::FrontEndStepScreen;
};

// The credits after a won game, page by page: each page is its dialog "GameWon<n>" with the credit lines of its
// columns written over it; a click or twenty seconds turn the page, and the last page waits for a click.
class GameWonScreen : public Screen
{
public:
    static constexpr int32_t kPages = 9;
    static constexpr float kPageSeconds = 20.0f;
    static constexpr int32_t kLists = 25;
    static constexpr uint32_t kPageColour = 0xFFF2E6C8;
    // One column of a page: the list of lines it shows and where.
    struct Column
    {
        int32_t list, x, y, width;
    };

    GameWonScreen(Game& game, const char* name);
    ~GameWonScreen() override;
    void Update() override;
    void Render() override;
    void Enter() override;
    void Leave() override;
    // By the options' language.
    const char* GetScriptName() const override;

    // The credit line numbers of list `list` (0 to 24), in order; empty for any other list.
    static std::vector<int32_t> ListNumbers(int32_t list);
    // The columns of page `page` (0 to 8); empty for any other page.
    static std::vector<Column> PageColumns(int32_t page);

    int32_t GetPage() const { return m_iPage; }
    float GetTimer() const { return m_fTimer; }
    const std::vector<std::unique_ptr<Text>>& GetPageTexts() const { return m_texts; }

private:
    void ShowPage(int32_t page);

    float m_fTimer = 0.0f;
    int32_t m_iPage = 0;
    std::vector<std::unique_ptr<Text>> m_texts;
};
