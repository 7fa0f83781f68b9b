// Game: construction and destruction orders, the update and render of a pass, activation, screen switching and
// the video settings.
#include "game/Game.h"
#include "game/ToolModes.h"

#include "engine/core/Cursor.h"
#include "engine/core/CycleTimer.h"
#include "engine/core/GameClock.h"
#include "engine/core/GameInput.h"
#include "engine/core/GameOptions.h"
#include "engine/core/GameParameters.h"
#include "engine/core/Logger.h"
#include "engine/core/MouseState.h"
#include "engine/core/TextTable.h"
#include "engine/media/MoviePlayer.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "engine/render/Display.h"
#include "engine/render/Font.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/RenderTypes.h"
#include "engine/render/TextWriter.h"
#include "game/ErrorExit.h"
#include "game/GameParkGui.h"
#include "game/GazetteerRows.h"
#include "game/Mp3Player.h"
#include "game/Screens.h"
#include "gui/GUIManager.h"
#include "gui/SpriteManager.h"
#include "gui/TickerList.h"
#include "platform/Time.h"
#include "world/CameraManager.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

Game* g_pGame = nullptr;
bool g_bGameReady = false;

namespace
{

// A game parameter's flag; a parameter the file lacks reads as false.
bool ParameterFlag(const char* name)
{
    bool value = false;
    if (g_pGameParameters)
        g_pGameParameters->GetBool(name, &value);
    return value;
}

} // namespace

Game::Game(void* instance, void* window) : m_pInstance(instance), m_pWindow(window)
{
    g_pGame = this;

    m_pOptions = std::make_unique<GameOptions>();

    const char* textFile = TextTable::FileNameForLanguage(m_pOptions->m_iLanguage);
    m_pTextTable = std::make_unique<TextTable>(textFile);
    if (m_pTextTable->GetPairCount() == 0)
        GetLogger()->Report(1, "Game::Game - no texts could be read from %s; every text is empty", textFile);

    int32_t width = 0;
    int32_t height = 0;
    m_pOptions->GetResolution(&width, &height);

    if (ParameterFlag("bPLAY_MOVIE"))
    {
        HideSystemCursor();
        {
            MoviePlayer player(window, 0, 0, 800, 600, false, false);
            player.Play(kMoviePath);
        }
        ShowSystemCursor();
    }

    m_pDisplay = std::make_unique<Display>(window, static_cast<uint32_t>(width), static_cast<uint32_t>(height), false,
                                           m_pOptions.get());
    ApplyVideoSettings();
    g_ModelManager.Init(kModelCapacity, true);
    m_pCameraManager = std::make_unique<CameraManager>();
    if (!m_pDisplay->IsRendererReady())
        ShowErrorAndExit(m_pTextTable->GetText("ERROR_DIRECTX"));

    m_pGuiFont = std::make_unique<Font>(kGuiFont);
    m_pTextWriter = std::make_unique<TextWriter>(m_pGuiFont.get());

    m_pOptions->GetResolution(&width, &height);
    m_pInput = std::make_unique<GameInput>(width, height, m_pDisplay->IsWindowed());
    if (!m_pInput->Init(instance, window, 0))
        ShowErrorAndExit(m_pTextTable->GetText("ERROR_DIRECTX"));
    if (!m_pOptions->m_bSystemCursor)
        m_pInput->SetSystemCursor(false);

    m_pCursor = std::make_unique<Cursor>();
    m_pClock = std::make_unique<GameClock>(platform::TickCount());
    m_pCycleTimer = std::make_unique<CycleTimer>();

    const bool soundEnabled = ParameterFlag("bSOUND_ENABLED");
    m_pSoundManager = std::make_unique<SoundManager>(soundEnabled, "blsnd");
    m_pSoundManager->SetMusicVolume(m_pOptions->m_fMusicVol);
    m_pSoundManager->SetSfxVolume(m_pOptions->m_fEffectsVol);
    m_pSoundEvents = std::make_unique<SoundEventManager>(soundEnabled);

    RegisterCommands();
    RegisterToolModes();
    m_pGUIManager = std::make_unique<GUIManager>(m_pDisplay.get());
    m_pGUIManager->SetShell(this);
    m_pParkGui = std::make_unique<GameParkGui>(*m_pGUIManager);
    SetParkGui(m_pParkGui.get());
    m_pGUIManager->GetTickerList().SetSource(&m_tickerFeed);
    m_pMp3Player = std::make_unique<Mp3Player>(m_pSoundManager.get(), *m_pOptions);
    m_pGUIManager->SetMusicPlayer(m_pMp3Player.get());
    m_pGazetteerRows = std::make_unique<GazetteerRows>(m_pTextTable.get());
    m_pGUIManager->GetGazetteerList().SetSource(m_pGazetteerRows.get());

    m_screens[kWorldTestScreen] = std::make_unique<WorldTestScreen>(*this, "WorldTest");
    m_screens[kMainMenuScreen] = std::make_unique<MainMenuScreen>(*this, "MainMenu");
    m_screens[kIntroScreen] = std::make_unique<IntroScreen>(*this, "Intro");
    m_screens[kExitGameScreen] = std::make_unique<ExitGameScreen>(*this, "ExitGame");
    m_screens[kResetGameScreen] = std::make_unique<ResetGameScreen>(*this, "ResetGame");
    m_screens[kLoadGameScreen] = std::make_unique<LoadGameScreen>(*this, "LoadGame");
    m_screens[kGameWonScreen] = std::make_unique<GameWonScreen>(*this, "GameWon");
    m_screens[kInGameLoadScreen] = std::make_unique<InGameLoadScreen>(*this, "InGameLoad");

    ReadProgress();
    SetSandbox(false);
    m_pCurrentScreen = m_pPendingScreen = m_screens[kMainMenuScreen].get();
    CreateSaveDirectory();

    SetGameShell(this);
    g_bGameReady = true;
    g_MouseState = MouseState();
    m_pCurrentScreen->Enter();
}

Game::~Game()
{
    WriteProgress();
    m_pTextTable.reset();
    for (auto& screen : m_screens)
    {
        if (screen)
            screen->LeaveIfActive();
        screen.reset();
    }
    m_pCurrentScreen = m_pPendingScreen = nullptr;
    if (GetParkGui() == m_pParkGui.get())
        SetParkGui(nullptr);
    m_pParkGui.reset();
    m_pGUIManager.reset();
    m_pMp3Player.reset();
    m_pSoundManager.reset();
    m_pSoundEvents.reset();
    m_pGuiFont.reset();
    m_pTextWriter.reset();
    m_pCursor.reset();
    m_pCycleTimer.reset();
    m_pClock.reset();
    m_pInput.reset();
    GetSpriteManager().UnloadBanks();
    GetSpriteManager().ReleaseFrameCache();
    m_pDisplay.reset();
    ClearSaveGames();
    m_pOptions.reset();
    m_pCameraManager.reset();
    g_ModelManager.Init(0, false);
    if (GetGameShell() == this)
        SetGameShell(nullptr);
    g_bGameReady = false;
    if (g_pGame == this)
        g_pGame = nullptr;
}

Screen* Game::GetScreen(int32_t n) const
{
    return n >= 0 && n < kScreenCount ? m_screens[n].get() : nullptr;
}

WorldTestScreen& Game::GetWorldScreen() const
{
    return static_cast<WorldTestScreen&>(*m_screens[kWorldTestScreen]);
}

void Game::SelectScreen(int32_t n)
{
    if (n < 0 || n >= kScreenCount)
        return;
    m_pPendingScreen = m_screens[n].get();
    if (n == kWorldTestScreen)
        GetWorldScreen().SetLoadPending(false);
}

bool Game::LoadScript(const char* name)
{
    m_pGUIManager->LoadScript(name);
    return true;
}

void Game::Update()
{
    if (m_pPendingScreen != m_pCurrentScreen)
    {
        m_pCurrentScreen->Leave();
        m_pCurrentScreen = m_pPendingScreen;
        m_pCurrentScreen->Enter();
        m_pClock->Update(platform::TickCount());
        m_pInput->ClearMouseButtons();
    }
    if (m_pCurrentScreen == m_screens[kMainMenuScreen].get() && m_iLoadRequest >= 0)
        LoadGame();
    RefreshLoadInfo();
    TrackScenarioSelection();

    m_pClock->Update(platform::TickCount());
    m_pInput->Update();
    m_pCurrentScreen->Update();

    const float frameTime = m_pClock->GetFrameTime();
    m_pGUIManager->Update(frameTime);
    if (m_bGuideQuiet && !m_pGUIManager->IsDialogOpen(kGuideDialog))
        SetGuideVolumeShare(1.0f);
    m_pSoundManager->Update(frameTime);
    m_pSoundEvents->Update(frameTime);
    if (!g_pWorld)
        CheckCheatChord();
}

void Game::CheckCheatChord()
{
    bool pressed = false;
    for (int key : kCheatKeys)
    {
        const bool wentDown = m_pInput->IsKeyPressed(key);
        if (!wentDown && !m_pInput->IsKeyHeld(key))
            return;
        pressed = pressed || wentDown;
    }
    // Once per chord: on the frame its last key went down.
    if (pressed)
        UnlockAllScenarios();
}

void Game::Render()
{
    uint32_t frameTime = 0;
    if (g_pWorld)
    {
        g_GraphicsManager.SetClearMode(true, 0);
        frameTime = g_pWorld->GetDrawTime();
    }
    else
    {
        g_GraphicsManager.SetClearMode(false, 0);
        frameTime = static_cast<uint32_t>(m_pClock->GetTicks());
    }
    if (!g_GraphicsManager.BeginFrame(frameTime))
        return;
    m_pCurrentScreen->PreRender();
    m_pGUIManager->ModePreRender();
    g_GraphicsManager.Begin2D();
    g_GraphicsManager.DrawQueuedText();
    m_pGUIManager->DrawDialogs();
    m_pGUIManager->DrawFrontEnd();
    m_pCurrentScreen->Render();
    m_pCurrentScreen->PostRender();
    m_pGUIManager->Draw();
    g_GraphicsManager.EndFrame();
    g_GraphicsManager.Present();
}

void Game::Deactivate()
{
    if (!g_bGameReady || m_bDeactivated)
        return;
    if (g_pWorld)
        g_pWorld->SetPaused(true);
    m_bStreamPausedBefore = m_pSoundManager->IsStreamPaused();
    m_pSoundManager->PauseStream();
    m_pSoundManager->MuteSfx();
    // The keyboard is not read in the background: a key held as the focus went would otherwise stay held there,
    // and the cameras, which move while the park is paused, would go on panning or zooming with it.
    m_pInput->ReleaseKeys();
    // Nor is the mouse: a drag under way would be carried out wherever the next release came, a click on the pause
    // box included.
    if (ToolMode* mode = m_pGUIManager->GetCurrentMode())
        mode->CancelGesture();
    m_bDeactivated = true;
}

void Game::PauseIfInactive()
{
    if (!m_bDeactivated)
        return;
    if (g_pWorld)
        g_pWorld->SetPaused(true);
    m_pSoundManager->PauseStream();
}

void Game::Activate()
{
    if (!g_bGameReady || !m_bDeactivated)
        return;
    // A show being trained holds the park paused itself and hides every other dialog: no pause box opens behind it.
    // It holds the park's music paused too, until it ends.
    const bool training = m_pGUIManager->IsLocked();
    if (g_pWorld && !training)
        m_pGUIManager->OpenPauseBox();
    if (!training && !m_bStreamPausedBefore)
        m_pSoundManager->ResumeStream();
    m_pSoundManager->UnmuteSfx();
    m_pInput->ClearMouseButtons();
    m_pInput->RestoreCursor();
    m_bDeactivated = false;
}

void Game::ApplyVideoSettings()
{
    VideoSettings settings;
    int32_t width = 0;
    int32_t height = 0;
    m_pOptions->GetResolution(&width, &height);
    settings.m_uResWidth = static_cast<uint32_t>(width);
    settings.m_uResHeight = static_cast<uint32_t>(height);
    settings.m_uDisplayBPP = static_cast<uint32_t>(m_pOptions->m_iDisplayBPP);
    settings.m_uFlag = 1;
    settings.m_uFilterType = static_cast<uint32_t>(m_pOptions->m_iFilterType);
    settings.m_uMaterialQuality = static_cast<uint32_t>(m_pOptions->m_iMaterialQuality);
    settings.m_fObjectDetail = m_pOptions->m_fObjectDetail;
    settings.m_fDrawDist = m_pOptions->m_fDrawDist;
    settings.m_fShadowDrawDist = m_pOptions->m_fShadowDrawDist;
    settings.m_uTextureQuality = static_cast<uint32_t>(m_pOptions->m_iTextureQuality);
    g_GraphicsManager.ApplyVideoSettings(settings);
}

void Game::SetGuideVolumeShare(float share)
{
    m_pSoundManager->SetMusicVolume(m_pOptions->m_fMusicVol * share);
    m_pSoundManager->SetSfxVolume(m_pOptions->m_fEffectsVol * share);
    m_bGuideQuiet = share < 1.0f;
    m_fGuideShare = share;
}

bool Game::GetDialogPosition(int32_t id, int32_t* x, int32_t* y)
{
    return m_pOptions->GetDialogPosition(id, x, y);
}

void Game::SetDialogPosition(int32_t id, int32_t x, int32_t y)
{
    m_pOptions->SetDialogPosition(x, y, id);
}

bool Game::HasPark() const
{
    return g_pWorld != nullptr;
}

float Game::GetParkSpeed() const
{
    return g_pWorld ? g_pWorld->GetGameSpeed() : 1.0f;
}

bool Game::IsParkPaused() const
{
    return g_pWorld && g_pWorld->IsPaused();
}

void Game::SetParkPaused(bool paused)
{
    if (g_pWorld)
        g_pWorld->SetPaused(paused);
}

float Game::GetObjectDetail() const
{
    return m_pOptions->m_fObjectDetail;
}

bool Game::IsEdgeScrolling() const
{
    return m_pOptions->m_bNudgeScroll;
}
