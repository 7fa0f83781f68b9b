// The screens' entry, exit and per-frame work.
#include "game/Screens.h"

#include "engine/core/GameClock.h"
#include "engine/core/GameInput.h"
#include "engine/core/GameOptions.h"
#include "engine/core/TextTable.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextWriter.h"
#include "game/Game.h"
#include "game/Mp3Player.h"
#include "gui/GUIManager.h"
#include "gui/SpriteManager.h"
#include "park/ParkLayer.h"
#include "platform/Strings.h"
#include "platform/WideText.h"
#include "world/CameraManager.h"
#include "world/World.h"

#include <algorithm>
#include <cstdio>

namespace
{

// The idle tool mode of the front-end screens, and the select mode a park starts in.
constexpr int32_t kIdleMode = 6;
constexpr int32_t kSelectMode = 4;

constexpr const char* kFrontEndBanks[2] = {"data\\sprites\\VA2FESprites.hdr", "data\\sprites\\VA2FESprites.Dat"};
constexpr const char* kInGameBanks[2] = {"data\\sprites\\VA2IGSprites.hdr", "data\\sprites\\VA2IGSprites.Dat"};

} // namespace

Screen::Screen(Game& game, const char* name) : m_Game(game)
{
    platform::CopyString(m_szName, sizeof(m_szName), name);
}

void Screen::LeaveIfActive()
{
    if (m_bActive)
        Leave();
}

void Screen::LoadOwnScript()
{
    if (const char* script = GetScriptName())
        m_Game.LoadScript(script);
}

// ---- the park

WorldTestScreen::WorldTestScreen(Game& game, const char* name) : Screen(game, name) {}

WorldTestScreen::~WorldTestScreen()
{
    LeaveIfActive();
}

std::string WorldTestScreen::ScenarioFileName(int32_t scenarioIndex, bool sandbox)
{
    char name[kMaxScenarioFileName];
    const int n = scenarioIndex + 1;
    std::snprintf(name, sizeof name, sandbox ? "%s/SandScenario%d/SandScenario%d%s" : "%s/Scenario%d/Scenario%d%s",
                  kScenarioFolder, n, n, ".pis");
    return name;
}

void WorldTestScreen::Enter()
{
    m_bActive = true;
    GUIManager& gui = m_Game.GetGUIManager();
    gui.SetCursorVisible(false);
    const std::string file = ScenarioFileName(m_Game.GetScenarioIndex(), m_Game.IsSandbox());
    m_Game.GetMp3Player().SetDayNight(false);
    RegisterParkLayer();
    SetParkViews(&m_Views);
    GetSpriteManager().LoadSpriteFile(kInGameBanks[0], kInGameBanks[1]);
    m_pWorld = std::make_unique<World>(&m_Game.GetCursor(), &m_Game.GetInput(), file.c_str(), m_bLoadPending);
    if (!m_pWorld->IsBuilt())
    {
        // The World has said why; a park that cannot be built is never run, and the front end comes back.
        m_pWorld.reset();
        gui.SetCursorVisible(true);
        m_Game.SelectScreen(Game::kMainMenuScreen);
        return;
    }
    // A saved game's park is finished by the load; a new one starts with the select tool and runs its first frame.
    if (m_bLoadPending)
        return;
    StartPlay(false);
    m_pWorld->Update();
    m_Game.GetMp3Player().PlayFirstTrack();
}

void WorldTestScreen::StartPlay(bool firstTrackNow)
{
    GUIManager& gui = m_Game.GetGUIManager();
    gui.SetMode(kSelectMode);
    LoadOwnScript();
    m_Game.GetSoundManager().StopAllSamples();
    m_Game.GetSoundEvents().StartCrowdLoop();
    gui.SetCursorVisible(true);
    m_Game.GetInput().ClearMouseButtons();
    Mp3Player& music = m_Game.GetMp3Player();
    music.SetFilterMode(1);
    music.ShuffleAll();
    if (firstTrackNow)
        music.PlayFirstTrack();
    if (m_Game.IsSandbox())
        gui.HideProgressExtension();
    else
        gui.ShowProgressExtension();
}

void WorldTestScreen::AfterLoad()
{
    if (!m_pWorld)
        return;
    // The World's own steps after a load come with the saved games.
    StartPlay(true);
}

void WorldTestScreen::Leave()
{
    m_Game.GetSoundManager().StopAllSamples();
    m_Game.GetSoundEvents().StopCrowdLoop();
    m_Game.GetMp3Player().Stop();
    GUIManager& gui = m_Game.GetGUIManager();
    gui.ClearRadarActive();
    gui.HideProgressExtension();
    m_pWorld.reset();
    SetParkViews(nullptr);
    UnregisterParkLayer();
    gui.Reset();
    GetSpriteManager().UnloadBanks();
    if (g_pCameraManager)
    {
        g_pCameraManager->SetCamera(1, false);
        g_pCameraManager->StopTracking();
    }
    gui.SetCursorVisible(true);
    m_bActive = false;
}

void WorldTestScreen::Update()
{
    if (m_pWorld)
        m_pWorld->Update();
}

void WorldTestScreen::PreRender()
{
    // The park's frame: the cameras set the view in the park's update, the sky sets the light and the haze.
    if (m_pWorld)
        m_pWorld->Render();
}

void WorldTestScreen::Render()
{
    if (m_pWorld)
        m_pWorld->RenderGui();
}

void WorldTestScreen::PostRender()
{
    if (m_pWorld)
        m_pWorld->DrawDebugInfo(m_Game.GetTextWriter());
}

// ---- the front end

const char* MainMenuScreen::GetScriptName() const
{
    switch (m_Game.GetOptions().m_iLanguage)
    {
    case 1:
        return "data/script/gui/MainMenu_fre.PIS";
    case 2:
        return "data/script/gui/MainMenu_ita.PIS";
    case 3:
        return "data/script/gui/MainMenu_ger.PIS";
    case 4:
        return "data/script/gui/MainMenu_spa.PIS";
    case 5:
        return "data/script/gui/MainMenu_pol.PIS";
    default:
        return "data/script/gui/MainMenu.PIS";
    }
}

void MainMenuScreen::Enter()
{
    m_bActive = true;
    GetSpriteManager().LoadSpriteFile(kFrontEndBanks[0], kFrontEndBanks[1]);
    LoadOwnScript();
    GUIManager& gui = m_Game.GetGUIManager();
    gui.SetMode(kIdleMode);
    gui.CreateScreenSet();
    if (!m_bFirstEntry && !m_Game.IsCreditsFinished())
    {
        // Back from a park: the scenario list.
        m_Game.ReadProgress();
        gui.ActivateScreen("StartScreen");
        m_Game.FillScenarioList();
    }
    else
    {
        gui.ActivateScreen("MainMenu");
        gui.OpenDialog(kMainMenuDialog, &m_Game);
        m_bFirstEntry = false;
        m_Game.ClearCreditsFinished();
    }
    m_Game.GetSoundManager().PlayStream(kThemeMusic);
}

void MainMenuScreen::Update()
{
    SoundManager& sound = m_Game.GetSoundManager();
    if (!sound.IsStreamPlaying())
        sound.PlayStream(kThemeMusic);
}

// Until the GUI draws the front end's pictures, the main menu shows a plain backdrop with the game's version and
// a line saying how to leave; the menu's dialog is drawn over it.
void MainMenuScreen::Render()
{
    const int32_t screen[4] = {0, 0, 600, 800}; // left, top, bottom, right
    g_GraphicsManager.FillRect(screen, 0xFF1D5C7A);

    TextWriter& writer = m_Game.GetTextWriter();
    const TextTable& texts = m_Game.GetTextTable();
    // The table's text is a label here, never a format: a text table is data and may hold any conversion.
    char16_t number[32];
    platform::FloatToWStr(m_Game.GetVersion(), 1, number, 32);
    const platform::WString version = platform::WString(texts.GetText("MAINMENU_VERSION")) + u" " + number;
    writer.SetRect(0, 540, 800, 20);
    writer.SetAlignment(TextWriter::kAlignCentre);
    writer.SetColour(0xFFFFFFFF);
    writer.DrawLine(0, 0, version.c_str());
    writer.SetRect(0, 565, 800, 20);
    writer.DrawLine(0, 0, texts.GetText("MAINMENU_PLACEHOLDER"));
}

void MainMenuScreen::Leave()
{
    m_Game.ClearScenarioList();
    GUIManager& gui = m_Game.GetGUIManager();
    gui.DeactivateScreen();
    gui.Reset();
    GetSpriteManager().UnloadBanks();
    m_bActive = false;
}

// ---- timed screens

TimedScreen::TimedScreen(Game& game, const char* name, float seconds, int32_t nextScreen, bool capStep, bool clickSkips)
    : Screen(game, name), m_fSeconds(seconds), m_iNextScreen(nextScreen), m_bCapStep(capStep), m_bClickSkips(clickSkips)
{
}

void TimedScreen::Update()
{
    const float frameTime = m_Game.GetClock().GetFrameTime();
    m_fTimer += m_bCapStep ? std::min(frameTime, 0.1f) : frameTime;
    if (m_fTimer > m_fSeconds)
    {
        m_fTimer = 0.0f;
        m_Game.SelectScreen(m_iNextScreen);
    }
    // A click makes the next frame with any time at all move on.
    if (m_bClickSkips && m_Game.GetInput().GetLeftButton() == GameInput::kWentDown)
        m_fTimer = m_fSeconds;
}

IntroScreen::IntroScreen(Game& game, const char* name)
    : TimedScreen(game, name, 5.0f, Game::kMainMenuScreen, true, true)
{
}

void IntroScreen::Enter()
{
    m_fTimer = 0.0f;
    m_bActive = true;
    LoadOwnScript();
    m_Game.GetGUIManager().SetMode(kIdleMode);
    m_Game.GetGUIManager().OpenDialog("CorvaneLogo", nullptr);
}

ExitGameScreen::ExitGameScreen(Game& game, const char* name)
    : TimedScreen(game, name, 15.0f, Game::kIntroScreen, true, true)
{
}

void ExitGameScreen::Enter()
{
    m_bActive = true;
    m_fTimer = 0.0f;
    LoadOwnScript();
    m_Game.GetGUIManager().SetMode(kIdleMode);
    m_Game.GetGUIManager().OpenDialog("ExitGame", nullptr);
}

LoadGameScreen::LoadGameScreen(Game& game, const char* name)
    : TimedScreen(game, name, 0.1f, Game::kWorldTestScreen, false, false)
{
}

void LoadGameScreen::Enter()
{
    m_bActive = true;
    m_fTimer = 0.0f;
}

// ---- steps through the front end

void FrontEndStepScreen::Enter()
{
    m_bActive = true;
    LoadOwnScript();
    m_Game.GetGUIManager().SetMode(kIdleMode);
    m_Game.GetGUIManager().ActivateScreen(m_szName);
}

void FrontEndStepScreen::Leave()
{
    m_Game.GetGUIManager().DeactivateScreen();
    m_bActive = false;
}

// ---- the credits

const char* GameWonScreen::GetScriptName() const
{
    return m_Game.GetOptions().m_iLanguage == 5 ? "data/script/gui/gamewon_pol.pis" : "data/script/gui/gamewon.pis";
}

void GameWonScreen::Enter()
{
    m_bActive = true;
    m_Game.GetSoundManager().StopAllSamples();
    LoadOwnScript();
    m_Game.GetGUIManager().SetMode(kIdleMode);
    m_Game.GetSoundManager().PlayStream("data\\soundtrack\\night6.mp3");
}
