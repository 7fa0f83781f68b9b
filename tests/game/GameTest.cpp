// Tests of the Game on the recording graphics device in a copy of the sample data: the language's texts and menu
// script, screen switching, focus loss and gain through the main loop's window messages, every named value the
// GUI reads and sets, the choice of scenario, the cheat chord and the sandbox's win.
#include "game/Game.h"

#include "engine/core/GameClock.h"
#include "engine/core/GameInput.h"
#include "engine/core/GameOptions.h"
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "engine/media/SoundManager.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "game/Program.h"
#include "game/Screens.h"
#include "gui/GUIManager.h"
#include "gui/GuiCommands.h"
#include "gui/SpriteManager.h"
#include "platform/audio/Sound.h"
#include "tests/engine/render/RenderTestSupport.h"
#include "tests/game/SampleGameTest.h"
#include "tests/platform/SdlTestEvents.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "world/GameShell.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>

namespace
{

class GameTest : public gametest::SampleGameTest
{
protected:
    Game& Make(const std::string& options = "")
    {
        game.reset();
        if (!options.empty())
            testsupport::WriteText(dir.File("MRV2.ini"), "[Tidewell 2 Options]\nVersion=1\n" + options);
        game = std::make_unique<Game>(nullptr, platform::GameWindowHandle());
        return *game;
    }

    std::string Get(const char* keyword, const std::u16string& before = u"?")
    {
        std::u16string text = before;
        game->GetVariable(keyword, text);
        return std::string(text.begin(), text.end());
    }

    bool Boxed(const std::string& text) const
    {
        for (const auto& box : reports.boxes)
            if (box.text == text)
                return true;
        return false;
    }

    testsupport::RecordingReportSink reports;
};

TEST_F(GameTest, TheLanguageChoosesTheTextsAndTheMenuScript)
{
    struct Case
    {
        int language;
        const char* script;
        bool texts; // only the UK table is in the sample data
    };
    const Case cases[] = {
        {0, "data/script/gui/MainMenu.PIS", true},      {1, "data/script/gui/MainMenu_fre.PIS", false},
        {3, "data/script/gui/MainMenu_ger.PIS", false}, {5, "data/script/gui/MainMenu_pol.PIS", false},
        {6, "data/script/gui/MainMenu.PIS", true},      {-1, "data/script/gui/MainMenu.PIS", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.language);
        reports.debug.clear();
        reports.boxes.clear();
        Game& g = Make("[Language]\nLanguage=" + std::to_string(c.language) + "\n");
        EXPECT_EQ(g.GetGUIManager().GetScriptName(), c.script);
        EXPECT_EQ(std::u16string(g.GetTextTable().GetText("MAINSS_LIST_LOCKED")), c.texts ? u"Locked" : u"");
        EXPECT_EQ(reports.debug.find("no texts") != std::string::npos, !c.texts) << reports.debug;
        // The front end is entered: main menu current and active, its banks, screen and idle mode.
        EXPECT_TRUE(g.GetCurrentScreen() == g.GetScreen(Game::kMainMenuScreen) && g.GetCurrentScreen()->IsActive());
        EXPECT_STREQ(g.GetGUIManager().GetCurrentScreenName(), "MainMenu");
        EXPECT_EQ(g.GetGUIManager().GetRequestedMode(), 6);
        EXPECT_EQ(GetSpriteManager().GetLoadedIndexName(), "data\\sprites\\VA2FESprites.hdr");
        // The menu's dialog is open where its script exists, and that script reads without a complaint; a missing
        // one is one report naming its file.
        EXPECT_EQ(g.GetGUIManager().IsDialogOpen("MainMenu"), c.texts);
        if (c.texts)
        {
            EXPECT_TRUE(reports.boxes.empty()) << reports.boxes.size();
        }
        else
        {
            const std::string file = std::string(c.script).replace(std::strlen(c.script) - 4, 4, ".ble");
            ASSERT_EQ(reports.boxes.size(), 1u);
            EXPECT_NE(reports.boxes[0].text.find(file), std::string::npos) << reports.boxes[0].text;
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("SaveGames")));
    EXPECT_TRUE(game->GetSaveGameCount() == 0 && !game->GetSaveGame(0) && !game->GetSaveGame(-1));
    EXPECT_EQ(g_ModelManager.GetCapacity(), 1000u);
    game.reset();
    EXPECT_EQ(g_ModelManager.GetCapacity(), 1u); // the models are released with the Game
    // The options go back to the file, the language as read.
    EXPECT_NE(testsupport::ReadText(dir.File("MRV2.ini")).find("Language=-1"), std::string::npos);
    EXPECT_TRUE(GetSpriteManager().GetLoadedIndexName().empty());
}

// The main menu's version line is 20 pixels high from y 540: a font whose glyphs are all of 20 pixels shows it
// whole, never clipped to a shorter line.
TEST_F(GameTest, TheMainMenuVersionLineHoldsAFontTwentyPixelsHigh)
{
    const std::string table = dir.File("data/Fonts/GuiFont7TexCoord.Dat");
    std::vector<uint8_t> bytes = testsupport::ReadBytes(table);
    ASSERT_EQ(bytes.size(), 8u + 256u * 8u);
    bytes[0] = 20;
    for (size_t glyph = 0; glyph < 256; ++glyph)
    {
        uint8_t* rect = &bytes[8 + glyph * 8]; // left, top, right, bottom: 16 bits each
        const uint32_t top = rect[2] | (rect[3] << 8);
        rect[6] = static_cast<uint8_t>(top + 20);
        rect[7] = static_cast<uint8_t>((top + 20) >> 8);
    }
    testsupport::WriteBytes(table, bytes);
    Game& g = Make();
    ASSERT_EQ(g.GetCurrentScreen(), g.GetScreen(Game::kMainMenuScreen));
    auto* device = static_cast<platform::RecordingDevice*>(
        static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->GetDevice());
    device->ClearLog();
    g.Render();
    // The glyphs drawn at each line's top, and the rows they cover (a quad ends a pixel above its glyph's foot).
    std::map<int, std::set<int>> heights;
    for (const auto& draw : device->draws)
    {
        if (draw.stride != sizeof(TexturedVertex))
            continue;
        std::vector<TexturedVertex> v(draw.vertexBytes.size() / sizeof(TexturedVertex));
        std::memcpy(v.data(), draw.vertexBytes.data(), v.size() * sizeof(TexturedVertex));
        for (size_t i = 0; i + 5 < v.size(); i += 6)
            if (v[i].y == 540.0f)
                heights[static_cast<int>(v[i].y)].insert(static_cast<int>(v[i + 2].y - v[i].y));
    }
    EXPECT_EQ(heights, (std::map<int, std::set<int>>{{540, {19}}}));
}

TEST_F(GameTest, AnInputThatCannotStartEndsTheProgramWithTheDeviceText)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    platform::SetDevicesPresent(true, false);
    EXPECT_EXIT(Make(), ::testing::ExitedWithCode(0), "Error: The graphics device could not be started\\.");
    platform::SetDevicesPresent(true, true);
}

TEST_F(GameTest, ScreensSwitchAtTheNextUpdateAndTheLastChoiceWins)
{
    struct Case
    {
        std::vector<int32_t> choices;
        int32_t expected;
        const char* script;      // the GUI script loaded last
        int32_t mode;            // the tool mode asked for
        const char* frontScreen; // the active front-end screen, or null
    };
    const char* menu = "data/script/gui/MainMenu.PIS";
    const Case cases[] = {
        {{-1}, 1, menu, 6, "MainMenu"},
        {{8}, 1, menu, 6, "MainMenu"},
        {{3, -1}, 3, "data/script/gui/exitgame.pis", 6, nullptr},
        {{8, 4, 9}, 4, "data/script/gui/MainMenu.pis", 6, "ResetGame"},
        {{2, 7}, 7, "data/script/gui/MainMenu.pis", 6, "InGameLoad"},
        {{6, 0}, 0, "data/script/gui/GUI.PIS", 4, nullptr},
        {{2}, 2, "data/script/gui/Intro.pis", 6, nullptr},
        {{5}, 5, menu, 6, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.expected);
        Game& g = Make();
        Screen* mainMenu = g.GetScreen(Game::kMainMenuScreen);
        g.GetWorldScreen().SetLoadPending(true);
        for (int32_t n : c.choices)
            g.SelectScreen(n);
        EXPECT_EQ(g.GetCurrentScreen(), mainMenu); // nothing before the update
        g.Update();
        EXPECT_EQ(g.GetCurrentScreen(), g.GetScreen(c.expected));
        EXPECT_TRUE(g.GetCurrentScreen()->IsActive());
        EXPECT_EQ(mainMenu->IsActive(), c.expected == Game::kMainMenuScreen);
        // Choosing the park screen clears its pending load.
        EXPECT_EQ(g.GetWorldScreen().IsLoadPending(), c.expected != Game::kWorldTestScreen);
        GUIManager& gui = g.GetGUIManager();
        EXPECT_EQ(gui.GetScriptName(), c.script);
        EXPECT_EQ(gui.GetRequestedMode(), c.mode);
        EXPECT_STREQ(gui.GetCurrentScreenName(), c.frontScreen);
    }
}

TEST_F(GameTest, TimedScreensMoveOnAfterTheirTimeOrAClick)
{
    struct Case
    {
        const char* name;
        int32_t screen, next;
        uint32_t frameMs;
        bool click;
        int after; // updates after the entry by which the screen has moved on, not before
    };
    const Case cases[] = {
        {"logo, steps capped", Game::kIntroScreen, Game::kMainMenuScreen, 1000, false, 51},
        {"logo, 50 ms", Game::kIntroScreen, Game::kMainMenuScreen, 50, false, 101},
        {"logo, click", Game::kIntroScreen, Game::kMainMenuScreen, 50, true, 2},
        {"farewell", Game::kExitGameScreen, Game::kIntroScreen, 1000, false, 151},
        {"farewell, click", Game::kExitGameScreen, Game::kIntroScreen, 10, true, 2},
        {"loading, no cap", Game::kLoadGameScreen, Game::kWorldTestScreen, 150, false, 1},
        {"loading, 30 ms", Game::kLoadGameScreen, Game::kWorldTestScreen, 30, false, 4},
    };
    testsupport::ManualTimeSource clock;
    Game& g = Make();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        // Left half-way first: a screen entered again starts its time afresh.
        g.SelectScreen(c.screen);
        g.Update();
        for (int i = 0; i < c.after / 2; ++i)
            clock.ticks += c.frameMs, g.Update();
        ASSERT_EQ(g.GetPendingScreen(), g.GetScreen(c.screen));
        g.SelectScreen(Game::kMainMenuScreen);
        g.Update();

        g.SelectScreen(c.screen);
        g.Update();
        ASSERT_EQ(g.GetCurrentScreen(), g.GetScreen(c.screen));
        if (c.click)
        {
            sdltest::PushButton(1, true);
            sdltest::PushButton(1, false);
        }
        int updates = 0;
        while (g.GetPendingScreen() == g.GetScreen(c.screen) && updates < 400)
        {
            clock.ticks += c.frameMs;
            g.Update();
            ++updates;
        }
        EXPECT_EQ(g.GetPendingScreen(), g.GetScreen(c.next));
        // Sums of tenths of a second are not exact: one update either way.
        EXPECT_NEAR(updates, c.after, 1);
        g.SelectScreen(Game::kMainMenuScreen);
        g.Update();
    }
}

TEST_F(GameTest, FocusLossAndGainPauseAndResumeOnceEach)
{
    if (audiotest::HaveLame())
    {
        testsupport::WriteBytes(dir.File("tone.wav"),
                                audiotest::Wav16(22050, 1, audiotest::Sine(44100, 22050, 440, 0.3)));
        std::filesystem::create_directories(dir.File("data/soundtrack"));
        ASSERT_TRUE(audiotest::EncodeMp3(dir.File("tone.wav"), dir.File("data/soundtrack/theme.mp3")));
    }
    Game& g = Make();
    ASSERT_TRUE(g.GetSoundManager().IsEnabled());
    const bool music = g.GetSoundManager().IsStreamPlaying();
    EXPECT_EQ(music, audiotest::HaveLame()); // the main menu's theme plays
    World world;                             // a park exists: it pauses too
    sdltest::PushButton(1, true);
    EXPECT_FALSE(RunMainLoopPass());
    EXPECT_NE(g.GetInput().GetLeftButton(), 0);

    for (int i = 0; i < 2; ++i)
    {
        // Behind a burst of other events the focus loss still counts in this pass.
        for (int k = 0; k < 60; ++k)
            sdltest::PushMotion(100 + k, 100, 1, 0);
        sdltest::PushFocus(false);
        EXPECT_FALSE(RunMainLoopPass());
        EXPECT_TRUE(g.IsDeactivated() && world.IsPaused());
        EXPECT_EQ(platform::SoundGetSfxMasterVolume(), 0);
        EXPECT_EQ(g.GetSoundManager().IsStreamPaused(), music);
    }
    world.SetPaused(false);
    sdltest::PushButton(1, true);
    for (int i = 0; i < 2; ++i)
    {
        sdltest::PushFocus(true);
        EXPECT_FALSE(RunMainLoopPass());
        EXPECT_FALSE(g.IsDeactivated());
        EXPECT_EQ(platform::SoundGetSfxMasterVolume(), 255);
        EXPECT_FALSE(g.GetSoundManager().IsStreamPaused());
        EXPECT_EQ(g.GetInput().GetLeftButton(), 0);
        EXPECT_FALSE(world.IsPaused()); // only the player's unpause resumes a park
    }
    // A close request ends the loop after the pass.
    sdltest::PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    EXPECT_TRUE(RunMainLoopPass());
}

TEST_F(GameTest, NamedValuesReadAsTheyStand)
{
    Game& g = Make();
    GameOptions& options = g.GetOptions();
    GUIManager& gui = g.GetGUIManager();
    options.m_bNudgeScroll = false;
    options.m_bConservationPopups = true;
    options.m_fDrawDist = 0.25f;
    options.m_fObjectDetail = 0.75f;
    gui.SetSelection(10, -1);
    struct Case
    {
        const char* keyword;
        std::function<void()> setUp;
        const char* expected; // "?" : the text is left as it was
    };
    const Case cases[] = {
        {"GAME_NUDGE", {}, "0"},
        {"RESCUE_POPUPS", {}, "1"},
        {"NOT_RESCUE_POPUPS", {}, "0"},
        {"STAFF_DISMISS_STATE", {}, "0"},
        {"STAFF_DISMISS_STATE", [&] { gui.SetSelection(10, 0); }, "1"},
        {"LOADGAME_STATE", {}, "1"},
        {"LOADGAME_STATE", [&] { gui.ActivateScreen("loadSCREEN"); }, "0"},
        {"LOADSAVE_LOAD_STATE", {}, "0"},
        {"LOADSAVE_LOADDELETE_STATE", {}, "0"},
        {"LOADSAVE_SAVE_STATE", {}, "0"},
        {"LOADSAVE_SAVEDELETE_STATE", {}, "0"},
        {"GAME_GAME_SPEED", {}, "?"},
        {"GAME_GAME_SPEED_STATUS_", {}, "1"},
        {"GAME_GAME_SPEED_STATUS_anything at all", {}, "1"},
        {"GZSOUND_STATE", [&] { gui.SetSelection(13, 0); }, "1"},  // the orca's call, in the sample bank
        {"GZSOUND_STATE", [&] { gui.SetSelection(13, 12); }, "0"}, // the reef shark is silent
        {"STARTGAME_STATE", {}, "1"},
        {"STARTGAME_STATE", [&] { gui.ActivateScreen("STARTSCREEN"), g.SelectScenario(1); }, "0"},
        {"STARTGAME_STATE", [&] { g.SelectScenario(4); }, "1"},
        {"STARTGAME_STATE", [&] { g.SelectScenario(13); }, "1"},
        {"VIDEO_DRAW_DIST", {}, "0.250000"},
        {"VIDEO_OBJECT_DETAIL", {}, "0.750000"},
        {"video_draw_dist", {}, "?"},
        {"GAME_GAME_SPEED_STATUS", {}, "?"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.keyword);
        if (c.setUp)
            c.setUp();
        reports.boxes.clear();
        EXPECT_EQ(Get(c.keyword), c.expected);
        const bool unknown = std::string(c.expected) == "?" && std::strcmp(c.keyword, "GAME_GAME_SPEED") != 0;
        EXPECT_EQ(Boxed(std::string("Game::GetVariable - data keyword not recognised - ") + c.keyword), unknown);
    }
    World world;
    world.SetGameSpeedLevel(2);
    EXPECT_EQ(Get("GAME_GAME_SPEED"), std::to_string(world.GetGameSpeedLevel()));
}

TEST_F(GameTest, NamedValuesAreSet)
{
    Game& g = Make();
    GameOptions& o = g.GetOptions();
    World world;
    auto bits = [](float value) { return DialogValue::Float(value); };
    struct Case
    {
        const char* keyword;
        DialogValue value; // a decimal number for the video values
        std::function<bool()> holds;
    };
    const Case cases[] = {
        {"GAME_NUDGE", DialogValue::Int(7), [&] { return o.m_bNudgeScroll; }},
        {"GAME_NUDGE", DialogValue::Int(0), [&] { return !o.m_bNudgeScroll; }},
        {"RESCUE_POPUPS", DialogValue::Int(0), [&] { return !o.m_bConservationPopups; }},
        {"NOT_RESCUE_POPUPS", DialogValue::Int(0), [&] { return o.m_bConservationPopups; }},
        {"NOT_RESCUE_POPUPS", DialogValue::Int(3), [&] { return !o.m_bConservationPopups; }},
        {"GAME_GAME_SPEED", DialogValue::Int(2), [&] { return world.GetGameSpeedLevel() == 2; }},
        // The video values reach the graphics manager, and the object detail the park.
        {"VIDEO_DRAW_DIST", bits(0.125f), [&] { return o.m_fDrawDist == 0.125f; }},
        {"VIDEO_OBJECT_DETAIL", bits(0.625f), [&] { return GetObjectDetail() == 0.625f; }},
        {"VIDEO_OBJECT_DETAIL", bits(0.5f),
         [&] { return g_GraphicsManager.GetVideoSettings().m_fObjectDetail == 0.5f && o.m_fObjectDetail == 0.5f; }},
        {"VIDEO_DRAW_DIST", bits(0.75f), [&] { return g_GraphicsManager.GetVideoSettings().m_fDrawDist == 0.75f; }},
        {"VIDEO_DRAW_DIST", bits(std::nanf("")), [&] { return o.m_fDrawDist == 0.75f; }},
        {"VIDEO_OBJECT_DETAIL", bits(3.0f), [&] { return o.m_fObjectDetail == 1.0f; }},
        {"GAME_SPEED", DialogValue::Int(1), [&] { return Boxed("Unknown set variable in Game"); }},
    };
    for (const Case& c : cases)
    {
        g.SetVariable(c.keyword, c.value);
        EXPECT_TRUE(c.holds()) << c.keyword << " " << c.value.AsFloat();
    }
}

TEST_F(GameTest, ResettingTheVideoOptionsReachesTheGraphicsManagerAtOnce)
{
    // Every reset field starts away from its default, so the graphics manager holds the file's values.
    Make("[Video]\nDrawDist=0.9\nObjectDetail=0.1\nShadowDrawDist=0.2\nFilterType=1\nMaterialQuality=1\n");
    GuiCommandHandler reset = ResolveGuiCommand(GetInGameCommands(), "ResetVideoOptions");
    ASSERT_NE(reset, nullptr);
    const VideoSettings& before = g_GraphicsManager.GetVideoSettings();
    ASSERT_TRUE(before.m_fDrawDist == 0.9f && before.m_uFilterType == 1u && before.m_uMaterialQuality == 1u);
    reset(0);
    const VideoSettings& video = g_GraphicsManager.GetVideoSettings();
    struct Case
    {
        const char* field;
        double applied, defaultValue;
    };
    const Case cases[] = {
        {"DrawDist", video.m_fDrawDist, 0.5},
        {"ObjectDetail", video.m_fObjectDetail, 0.5},
        {"ShadowDrawDist", video.m_fShadowDrawDist, 0.5},
        {"FilterType", static_cast<double>(video.m_uFilterType), 0},
        {"MaterialQuality", static_cast<double>(video.m_uMaterialQuality), 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.applied, c.defaultValue) << c.field;
}

TEST_F(GameTest, ChoosingARowChoosesTheScenarioOrSandboxAndItsPark)
{
    struct Case
    {
        int32_t row;
        bool sandbox;
        int32_t index, park;
    };
    const Case cases[] = {{0, false, 0, 1}, {1, false, 1, 3}, {11, false, 11, 2}, {12, true, 0, 2},
                          {13, true, 1, 3}, {14, true, 2, 1}, {15, true, 2, 1},   {-1, true, 2, 1}};
    Game& g = Make();
    for (const Case& c : cases)
    {
        // Each choice reads the progress file afresh.
        std::vector<uint8_t> file(48, 0);
        for (int i = 0; i < 12; ++i)
            file[4 * i] = i != 11 ? 1 : c.row >= 0 && c.row < 15 ? 10 : 9;
        testsupport::WriteBytes(dir.File("sp.bin"), file);
        g.SelectScenario(c.row);
        EXPECT_TRUE(g.IsSandbox() == c.sandbox && g.GetScenarioIndex() == c.index && g.GetParkNumber() == c.park)
            << c.row;
        // A row outside the list reads nothing: the flag is still the one read for the row before.
        EXPECT_EQ(g.GetProgress().GetFlag(11), 10u) << c.row;
    }
}

TEST_F(GameTest, AWinTheProgressFileCannotTakeIsKeptUntilItCan)
{
    Game& g = Make();
    // A folder stands where the progress file belongs: nothing can be written there, nor read.
    std::filesystem::create_directory(dir.File("sp.bin"));
    g.SelectScenario(0);
    ASSERT_TRUE(g.GetProgress().IsLocked(1));
    g.CompleteScenario(1);
    // Choosing a row, and coming back to the list, read the progress again: the win is not forgotten, and the
    // scenario it opened can be started.
    g.SelectScenario(1);
    g.ReadProgress();
    EXPECT_TRUE(g.GetProgress().IsCompleted(0));
    EXPECT_FALSE(g.GetProgress().IsLocked(1));
    // Once the file can be written the win reaches it, at the latest as the game ends.
    std::filesystem::remove(dir.File("sp.bin"));
    game.reset();
    const std::vector<uint8_t> file = testsupport::ReadBytes(dir.File("sp.bin"));
    ASSERT_EQ(file.size(), 48u);
    EXPECT_EQ(std::tuple(file[0], file[4], file[8]),
              std::tuple(uint8_t{ScenarioProgress::kOpenAtStart | ScenarioProgress::kCompleted},
                         uint8_t{ScenarioProgress::kOpened}, uint8_t{ScenarioProgress::kLocked}));
}

TEST_F(GameTest, WinsAndTheCheatChordReachTheProgressFile)
{
    Game& g = Make();
    g.SelectScenario(1);
    ASSERT_EQ(GetGameShell(), &g); // the park tells the Game of its win
    GetGameShell()->CompleteScenario(2);
    const std::vector<uint8_t> won = testsupport::ReadBytes(dir.File("sp.bin"));
    ASSERT_EQ(won.size(), 48u);
    EXPECT_TRUE(won[4] == 9 && won[8] == 2) << int(won[4]) << " " << int(won[8]);
    // A sandbox's win changes nothing.
    g.SelectScenario(13);
    g.CompleteScenario(3);
    EXPECT_EQ(testsupport::ReadBytes(dir.File("sp.bin")), won);

    // The chord outside a park: left Control, left Shift and U held together.
    g.SelectScenario(0);
    for (SDL_Scancode key : {SDL_SCANCODE_LCTRL, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_U})
    {
        EXPECT_EQ(g.GetProgress().GetFlag(11), 1u);
        sdltest::PushKey(key, true);
        platform::PumpEvents();
        g.Update();
    }
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(g.GetProgress().GetFlag(i), i % 4 == 0 ? 4u : 2u) << i;
    EXPECT_EQ(testsupport::ReadBytes(dir.File("sp.bin"))[44], 2);
    g.SelectScenario(12); // in a sandbox every scenario becomes won
    g.UnlockAllScenarios();
    std::vector<uint8_t> allWon(48, 0);
    for (int i = 0; i < 12; ++i)
        allWon[4 * i] = 8;
    EXPECT_EQ(testsupport::ReadBytes(dir.File("sp.bin")), allWon);
    for (SDL_Scancode key : {SDL_SCANCODE_LCTRL, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_U})
        sdltest::PushKey(key, false);
}

} // namespace
