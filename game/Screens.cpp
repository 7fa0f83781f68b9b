// The screens' entry, exit and per-frame work.
#include "game/Screens.h"

#include "engine/core/GameClock.h"
#include "engine/core/GameInput.h"
#include "engine/core/GameOptions.h"
#include "engine/core/TextFormat.h"
#include "engine/core/TextTable.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextWriter.h"
#include "game/Game.h"
#include "game/Mp3Player.h"
#include "gui/GUIManager.h"
#include "gui/SpriteManager.h"
#include "gui/Text.h"
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
    // Counted in 64 bits: a damaged save may name any index.
    const long long n = static_cast<long long>(scenarioIndex) + 1;
    std::snprintf(name, sizeof name,
                  sandbox ? "%s/SandScenario%lld/SandScenario%lld%s" : "%s/Scenario%lld/Scenario%lld%s",
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
    gui.SetRadarPark(&m_Views);
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
    // A park that opens while the program is in the background waits, paused and quiet, for the player.
    m_Game.PauseIfInactive();
    // A saved game's park is finished by the load; a new one starts with the select tool and runs its first frame.
    if (m_bLoadPending)
        return;
    StartPlay(false);
    m_pWorld->Update();
    m_Game.GetMp3Player().PlayFirstTrack();
    m_Game.PauseIfInactive();
}

void WorldTestScreen::StartPlay(bool firstTrackNow)
{
    GUIManager& gui = m_Game.GetGUIManager();
    gui.SetMode(kSelectMode);
    LoadOwnScript();
    gui.PlaceProgressExtension();
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
    StartPlay(true);
    m_pWorld->PostLoad();
    // A park saved while its camera followed an object or rode on one goes on doing so: the hint that lets it go
    // (and that Escape closes) is shown again.
    if (g_pCameraManager && g_pCameraManager->GetTrackedObject() != 0xFFFFFFFF)
        m_Game.GetGUIManager().OpenDialog("CancelCamera", nullptr);
    // The saved park's own pause state was read with it.
    m_Game.PauseIfInactive();
}

bool WorldTestScreen::LoadState(SerialStream& stream)
{
    if (!m_pWorld)
        return false;
    if (m_pWorld->LoadState(stream))
        return true;
    m_pWorld.reset();
    return false;
}

void WorldTestScreen::Leave()
{
    m_Game.GetSoundManager().StopAllSamples();
    m_Game.GetSoundEvents().StopCrowdLoop();
    m_Game.GetMp3Player().Stop();
    GUIManager& gui = m_Game.GetGUIManager();
    gui.ClearRadarActive();
    gui.HideProgressExtension();
    gui.DestroyRadar();
    gui.ReleaseProgressExtension();
    gui.SetRadarPark(nullptr);
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
    // The tool mode's overlay (the show-training clock and texts) over the park's picture.
    m_Game.GetGUIManager().ModeRender();
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
        m_lastPage = "MainMenu";
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
    // The menu's own dialog shows while the front end's "MainMenu" page does, and goes with it. When another page
    // takes its place, the dialogs opened from it (the options) go too: none of them belongs over that page.
    GUIManager& gui = m_Game.GetGUIManager();
    const char* page = gui.GetCurrentScreenName();
    const std::string now = page ? page : "";
    if (now == m_lastPage)
        return;
    const bool wasMenu = platform::StrICmp(m_lastPage.c_str(), "MainMenu") == 0;
    const bool isMenu = platform::StrICmp(now.c_str(), "MainMenu") == 0;
    m_lastPage = now;
    if (isMenu && !wasMenu && !gui.IsDialogOpen(kMainMenuDialog))
        gui.OpenDialog(kMainMenuDialog, &m_Game);
    else if (wasMenu && !isMenu && !now.empty())
        gui.CloseAllDialogs();
    else if (wasMenu && !isMenu)
        gui.CloseDialog(kMainMenuDialog);
}

// The front end's background and elements are drawn by the GUI before this; the game's version goes over them, in
// the band its pages leave free at the foot of the screen (540 of 600 on the page they are laid out on), centred
// across the whole width: the pages scale to the display, and the line goes with them.
void MainMenuScreen::Render()
{
    constexpr int32_t kVersionTop = 540;
    constexpr int32_t kVersionHeight = 20;
    const GUIManager& gui = m_Game.GetGUIManager();
    const int32_t width = gui.GetScreenWidth();
    const int32_t top = kVersionTop * gui.GetScreenHeight() / GUIManager::kDesignHeight;
    TextWriter& writer = m_Game.GetTextWriter();
    const platform::WString version =
        VersionLine(m_Game.GetTextTable().GetText("MAINMENU_VERSION"), m_Game.GetVersion());
    writer.SetRect(0, top, width, kVersionHeight);
    writer.SetAlignment(TextWriter::kAlignCentre);
    writer.SetColour(0xFFFFFFFF);
    writer.DrawLine(0, 0, version.c_str());
}

platform::WString MainMenuScreen::VersionLine(const char16_t* text, float version)
{
    // Through the checked formatter: a conversion that takes the version shows it; any other shows as it stands.
    const platform::WString formatted = FormatChecked(text, {static_cast<double>(version)});
    if (formatted != FormatChecked(text, {}))
        return formatted;
    char16_t number[32];
    platform::FloatToWStr(version, 1, number, 32);
    return formatted + u" " + number;
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

GameWonScreen::GameWonScreen(Game& game, const char* name) : Screen(game, name) {}

GameWonScreen::~GameWonScreen()
{
    LeaveIfActive();
}

namespace
{

// Lines in each of the 25 credit lists.
constexpr int32_t kListLengths[GameWonScreen::kLists] = {6,  5,  6,  5,  4,  14, 4, 6,  14, 4,  10, 10, 4,
                                                         11, 10, 13, 12, 14, 12, 2, 12, 5,  10, 5,  2};
// Numbers the credit lines skip.
constexpr int32_t kSkippedNumbers[] = {17, 20, 42, 91, 92, 118, 172};
constexpr int32_t kLineHeight = 15;
// Red headings over black names, both opaque: the text is drawn with the colour's alpha, and a line at alpha 0 would
// not show at all.
constexpr uint32_t kHeadingColour = 0xFFFF0000;
constexpr uint32_t kLineColour = 0xFF000000;
constexpr int32_t kHeadingFont = 2;
constexpr int32_t kLineFont = 0;

constexpr GameWonScreen::Column kPageColumns[GameWonScreen::kPages][3] = {
    {{0, 48, 436, 187}, {1, 619, 71, 144}, {2, 574, 432, 168}},
    {{3, 27, 156, 162}, {4, 306, 484, 152}, {5, 32, 331, 276}},
    {{6, 28, 167, 159}, {7, 196, 438, 146}, {8, 49, 296, 155}},
    {{9, 336, 493, 207}, {10, 542, 324, 223}, {11, 572, 61, 182}},
    {{12, 42, 60, 209}, {13, 233, 58, 190}, {14, 408, 86, 191}},
    {{15, 59, 331, 342}, {16, 415, 357, 320}, {-1, 0, 0, 0}},
    {{17, 77, 36, 302}, {18, 424, 345, 301}, {19, 199, 290, 239}},
    {{20, 70, 322, 336}, {21, 431, 47, 307}, {-1, 0, 0, 0}},
    {{22, 439, 58, 326}, {23, 173, 45, 250}, {24, 535, 497, 222}},
};

} // namespace

std::vector<int32_t> GameWonScreen::ListNumbers(int32_t list)
{
    std::vector<int32_t> numbers;
    if (list < 0 || list >= kLists)
        return numbers;
    int32_t number = 0;
    for (int32_t l = 0; l <= list; ++l)
        for (int32_t i = 0; i < kListLengths[l]; ++i, ++number)
        {
            while (std::find(std::begin(kSkippedNumbers), std::end(kSkippedNumbers), number) !=
                   std::end(kSkippedNumbers))
                ++number;
            if (l == list)
                numbers.push_back(number);
        }
    return numbers;
}

std::vector<GameWonScreen::Column> GameWonScreen::PageColumns(int32_t page)
{
    std::vector<Column> columns;
    if (page < 0 || page >= kPages)
        return columns;
    for (const Column& column : kPageColumns[page])
        if (column.list >= 0)
            columns.push_back(column);
    return columns;
}

void GameWonScreen::Enter()
{
    m_bActive = true;
    m_fTimer = 0.0f;
    m_iPage = 0;
    m_Game.GetSoundManager().StopAllSamples();
    m_texts.clear();
    LoadOwnScript();
    m_Game.GetGUIManager().SetMode(kIdleMode);
    m_Game.GetSoundManager().PlayStream("data\\soundtrack\\night6.mp3");
    ShowPage(0);
}

void GameWonScreen::ShowPage(int32_t page)
{
    GUIManager& gui = m_Game.GetGUIManager();
    gui.CloseAllDialogs();
    char dialog[32];
    std::snprintf(dialog, sizeof dialog, "GameWon%d", page);
    gui.OpenDialog(dialog, nullptr);
    m_texts.clear();
    for (const Column& column : PageColumns(page))
    {
        int32_t y = column.y;
        bool heading = true;
        for (int32_t number : ListNumbers(column.list))
        {
            char id[32];
            std::snprintf(id, sizeof id, "CREDIT_ENTRY_%d", number);
            // A credit text the table lacks shows empty.
            m_texts.push_back(std::make_unique<Text>(column.x, y, column.x + column.width, y + kLineHeight, id,
                                                     heading ? kHeadingFont : kLineFont,
                                                     heading ? kHeadingColour : kLineColour, Text::ALIGN_CENTRE));
            // A heading stands a line apart from its names.
            y += heading ? 2 * kLineHeight : kLineHeight;
            heading = false;
        }
    }
}

void GameWonScreen::Update()
{
    m_fTimer += std::min(m_Game.GetClock().GetFrameTime(), 0.1f);
    const bool clicked = m_Game.GetInput().GetLeftButton() == GameInput::kWentDown;
    if (!clicked && !(m_fTimer > kPageSeconds && m_iPage < kPages - 1))
        return;
    ++m_iPage;
    m_fTimer = 0.0f;
    if (m_iPage >= kPages)
    {
        m_iPage = kPages - 1;
        m_Game.SetCreditsFinished();
        m_Game.SelectScreen(Game::kMainMenuScreen);
        return;
    }
    ShowPage(m_iPage);
}

void GameWonScreen::Render()
{
    // A pale page under the dark credit lines.
    const GUIManager& gui = m_Game.GetGUIManager();
    const int32_t page[4] = {0, 0, gui.GetScreenHeight(), gui.GetScreenWidth()}; // left, top, bottom, right
    g_GraphicsManager.FillRect(page, kPageColour);
    for (const auto& text : m_texts)
        text->Draw();
}

void GameWonScreen::Leave()
{
    m_Game.GetSoundManager().StopStream();
    m_texts.clear();
    m_bActive = false;
}
