// The front end walked by a person's pointer in the real program: the main menu's pictures, buttons and bubbles, the
// scenario list with its locks, thumbnail and description, back, the credits, the exit page and its quit button,
// a scenario started from the list reaching the park, and a saved game loaded from the load page. Every step is checked
// on the frame read back.
#include "engine/core/GameInput.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "game/Screens.h"
#include "gui/ComboBox.h"
#include "gui/GUIManager.h"
#include "gui/Image.h"
#include "gui/ScreenElements.h"
#include "gui/ScreenListBox.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "tests/game/XPointer.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

namespace
{

using gametest::Frame;
using gametest::GameHarness;
using gametest::XPointer;

// Colours of the pictures drawn from sample-data/src/gui (RRGGBB).
constexpr uint32_t kButtonBlue = 0x1D6FA3;
constexpr uint32_t kListHighlight = 0x1ADB7B;
constexpr uint32_t kPerrinholdGrass = 0x4FA35A;
constexpr uint32_t kDunmereLagoon = 0x2B8F8A;

// How far a read-back pixel may lie from the colour it shows.
constexpr int kTolerance = 12;

// Distinct colours of the frame (a blank frame has one).
size_t ColourCount(const Frame& frame)
{
    std::set<uint32_t> colours;
    for (size_t i = 0; i < frame.pixels.size(); i += 7)
        colours.insert(frame.pixels[i] & 0xFFFFFF);
    return colours.size();
}

bool Differs(const Frame& a, const Frame& b)
{
    return a.pixels != b.pixels;
}

class FrontEndWalkTest : public gametest::FrontEndPointerTest
{
protected:
    Frame Shot(const char* name)
    {
        const Frame frame = harness.Screenshot();
        GameHarness::Keep(frame, name);
        return frame;
    }
    // From the park back to the front end (which comes back on its scenario list or its menu), then the menu's load
    // button: true once the load page shows.
    bool LeaveTheParkForTheLoadPage()
    {
        harness.SelectScreen(Game::kMainMenuScreen);
        Wait(1.5f);
        if (Page() == "StartScreen")
        {
            Click(88, 544);
            Wait(1.5f);
        }
        EXPECT_EQ(Page(), "MainMenu");
        Click(88, 254);
        Wait(1.5f);
        return Page() == "LoadScreen";
    }
};

TEST_F(FrontEndWalkTest, MenuScenarioListBackCreditsAndExitByThePointer)
{
    // The main menu: background, title and buttons entered, bubbles rising over them.
    Wait(1.5f);
    ASSERT_EQ(Page(), "MainMenu");
    const Frame menu = Shot("frontend-1-menu");
    ASSERT_GT(menu.width, 0u);
    EXPECT_GT(ColourCount(menu), 20u);
    EXPECT_TRUE(gametest::NearRgb(menu.At(50, 190), kButtonBlue, kTolerance)) << std::hex << menu.At(50, 190);
    ASSERT_NE(Gui().GetBubbles(), nullptr);
    EXPECT_FALSE(Gui().GetBubbles()->GetBubbles().empty()); // twelve at first; some have risen out since
    // The menu's theme tune plays.
    EXPECT_TRUE(harness.GetGame().GetSoundManager().IsStreamPlaying()) << "no theme music on the main menu";
    Wait(1.0f);
    EXPECT_TRUE(Differs(menu, harness.Screenshot())) << "the bubbles do not move";

    // Start: the scenario list, nine locks on a first start, the first row chosen with its park's picture.
    Click(88, 174);
    Wait(1.5f);
    ASSERT_EQ(Page(), "StartScreen");
    auto* list = dynamic_cast<ScreenListBox*>(Gui().FindItem(WT_SCREENLISTBOX, "ScenarioListBox"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetRowCount(), 15);
    int locks = 0;
    for (const auto& cell : list->GetCells())
        if (auto* image = dynamic_cast<Image*>(cell.widget.get()))
            locks += image->GetSpriteName() == "uis_fef_lock_icon";
    EXPECT_EQ(locks, 9);
    const Frame start = Shot("frontend-2-scenarios");
    EXPECT_TRUE(Differs(menu, start));
    EXPECT_TRUE(gametest::NearRgb(start.At(430, 119), kListHighlight, kTolerance)) << std::hex << start.At(430, 119);
    EXPECT_TRUE(gametest::NearRgb(start.At(608, 214), kPerrinholdGrass, kTolerance)) << std::hex << start.At(608, 214);

    // The fifth row (an open scenario of the third park): its picture and its description.
    Click(200, 110 + 4 * 18 + 9);
    Wait(0.3f);
    EXPECT_EQ(list->GetSelectedRows(), std::vector<int32_t>{4});
    EXPECT_EQ(harness.GetGame().GetScenarioIndex(), 4);
    auto* description = dynamic_cast<ScreenVar*>(Gui().FindItem(WT_SCREENVAR, "Description"));
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(description->TextId(), "MAINSS_SCENARIO5_DESC");
    const Frame chosen = Shot("frontend-3-chosen");
    EXPECT_TRUE(Differs(start, chosen));
    EXPECT_TRUE(gametest::NearRgb(chosen.At(608, 234), kDunmereLagoon, kTolerance)) << std::hex << chosen.At(608, 234);

    // Back to the menu, then the credits.
    Click(88, 544);
    Wait(1.5f);
    ASSERT_EQ(Page(), "MainMenu");
    const Frame back = Shot("frontend-4-back");
    EXPECT_TRUE(Differs(chosen, back));
    Click(88, 334);
    Wait(4.0f);
    ASSERT_EQ(Page(), "CreditScreen");
    EXPECT_NE(Gui().GetCredits(), nullptr);
    const Frame credits = Shot("frontend-5-credits");
    EXPECT_TRUE(Differs(back, credits));
    EXPECT_GT(ColourCount(credits), 5u);

    // Back, and the exit page; its quit button ends the program.
    Click(88, 544);
    Wait(1.5f);
    ASSERT_EQ(Page(), "MainMenu");
    EXPECT_EQ(Gui().GetCredits(), nullptr);
    Click(88, 414);
    Wait(1.5f);
    ASSERT_EQ(Page(), "ExitScreen");
    const Frame exit = Shot("frontend-6-exit");
    EXPECT_TRUE(Differs(credits, exit));
    EXPECT_GT(ColourCount(exit), 5u);
    EXPECT_TRUE(running);
    Click(712, 544);
    EXPECT_FALSE(running) << "the quit button did not ask the program to close";
}

// The load page: with no saved game its list says so and its load button is dimmed; with one, the game chosen there
// is loaded into the park by the load button, its cash and day as saved.
TEST_F(FrontEndWalkTest, ASavedGameChosenOnTheLoadPageIsLoadedIntoThePark)
{
    Wait(1.5f);
    ASSERT_EQ(Page(), "MainMenu");
    Click(88, 254);
    Wait(1.5f);
    ASSERT_EQ(Page(), "LoadScreen");
    auto* list = dynamic_cast<ScreenListBox*>(Gui().FindItem(WT_SCREENLISTBOX, "LoadListBox"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetRowCount(), 1);
    EXPECT_TRUE(list->GetSelectedRows().empty());
    auto* load = dynamic_cast<ScreenButton*>(Gui().FindItem(WT_SCREENBUTTON, "LoadGameBtn"));
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(load->GetState(), ScreenButton::STATE_DISABLED) << "the load button is not dimmed with nothing to load";
    const Frame empty = Shot("frontend-load-1-empty");
    Click(712, 544); // dimmed: nothing happens
    Wait(1.0f);
    EXPECT_EQ(Page(), "LoadScreen");
    Click(88, 544);
    Wait(1.5f);
    ASSERT_EQ(Page(), "MainMenu");

    // A park played a while and saved, then back at the menu.
    Game& game = harness.GetGame();
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    harness.RunFrames(60);
    g_pWorld->GetPlayer()->Cash = 4242.5f;
    const int32_t day = g_pWorld->GetGameDay();
    const uint32_t buildings = g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING);
    game.ScanSaveGames();
    ASSERT_TRUE(game.SaveToSlot(game.FindFreeSlot()));
    ASSERT_TRUE(LeaveTheParkForTheLoadPage());
    // The front end's script was loaded again on the way back from the park: its elements are new.
    list = dynamic_cast<ScreenListBox*>(Gui().FindItem(WT_SCREENLISTBOX, "LoadListBox"));
    load = dynamic_cast<ScreenButton*>(Gui().FindItem(WT_SCREENBUTTON, "LoadGameBtn"));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(list->GetRowCount(), 1);
    EXPECT_EQ(list->GetSelectedRows(), std::vector<int32_t>{0});
    EXPECT_NE(load->GetState(), ScreenButton::STATE_DISABLED);
    EXPECT_TRUE(Differs(empty, Shot("frontend-load-2-listed")));
    Click(712, 544);
    Wait(2.0f);
    ASSERT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kWorldTestScreen));
    ASSERT_NE(g_pWorld, nullptr);
    // The loaded park has run a second and more since (its running costs taken by the minute).
    EXPECT_NEAR(g_pWorld->GetPlayer()->Cash, 4242.5f, 5.0f);
    EXPECT_EQ(g_pWorld->GetGameDay(), day);
    EXPECT_EQ(g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING), buildings);
    EXPECT_GT(ColourCount(Shot("frontend-load-3-park")), 20u);
    EXPECT_TRUE(running);
}

// A saved game listed on the load page that is gone or damaged by the time its load button is clicked: the player is
// told, no park opens, and the front end shows a page whose buttons work (not an empty background).
TEST_F(FrontEndWalkTest, ASavedGameGoneOrDamagedSinceItWasListedIsRefusedAndTheMenuGoesOn)
{
    Game& game = harness.GetGame();
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    game.ScanSaveGames();
    ASSERT_TRUE(game.SaveToSlot(0));
    const std::string file = harness.UserFolder() + "/SaveGames/save0.dat";
    const std::string other = harness.UserFolder() + "/SaveGames/save1.dat";
    const std::vector<uint8_t> good = testsupport::ReadBytes(file);
    ASSERT_GT(good.size(), 100u);
    std::vector<uint8_t> damaged = good;
    damaged[25 + 5 + 9] = 'X'; // another identification
    struct Case
    {
        const char* what;
        bool remove;
    };
    for (const Case& c : {Case{"gone", true}, Case{"damaged", false}})
    {
        SCOPED_TRACE(c.what);
        testsupport::WriteBytes(file, good);
        std::filesystem::remove(other);
        ASSERT_TRUE(LeaveTheParkForTheLoadPage());
        ASSERT_EQ(game.GetSaveGameCount(), 1);
        // Meanwhile the one listed goes or is damaged; when it goes, another save comes.
        if (c.remove)
        {
            std::filesystem::remove(file);
            testsupport::WriteBytes(other, good);
        }
        else
            testsupport::WriteBytes(file, damaged);
        const size_t boxes = harness.Reports().boxes.size();
        Click(712, 544);
        Wait(2.0f);
        EXPECT_GT(harness.Reports().boxes.size(), boxes) << "the player is not told";
        EXPECT_EQ(g_pWorld, nullptr);
        EXPECT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kMainMenuScreen));
        EXPECT_NE(Page(), "") << "no front-end page is left to click on";
        // The load page lists the saves as they are now: the one that came, or none (its one line says so and
        // cannot be chosen).
        const auto* list = dynamic_cast<ScreenListBox*>(Gui().FindItem(WT_SCREENLISTBOX, "LoadListBox"));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(game.GetSaveGameCount(), c.remove ? 1 : 0);
        EXPECT_EQ(list->GetRowCount(), 1);
        EXPECT_EQ(list->IsSelectable(), c.remove);
        // Its back button leads on to the main menu.
        Click(88, 544);
        Wait(1.5f);
        EXPECT_EQ(Page(), "MainMenu");
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
    }
    EXPECT_TRUE(running);
}

// The farewell page, then the logo, then the main menu: each page shown until a click moves it on.
TEST_F(FrontEndWalkTest, FarewellPageLogoAndMenuOneClickEach)
{
    Wait(1.5f);
    ASSERT_EQ(Page(), "MainMenu");
    const Frame menu = Shot("frontend-7-menu");
    Game& game = harness.GetGame();

    game.SelectScreen(Game::kExitGameScreen);
    Wait(0.5f);
    ASSERT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kExitGameScreen));
    EXPECT_TRUE(Gui().IsDialogOpen("ExitGame"));
    const Frame farewell = Shot("frontend-8-farewell");
    EXPECT_TRUE(Differs(menu, farewell));
    EXPECT_GT(ColourCount(farewell), 2u);
    EXPECT_TRUE(gametest::NearRgb(farewell.At(20, 20), 0xFFFFFF, kTolerance)) << std::hex << farewell.At(20, 20);

    Click(400, 450);
    Wait(0.3f);
    ASSERT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kIntroScreen)) << "the click did not leave the farewell";
    EXPECT_TRUE(Gui().IsDialogOpen("CorvaneLogo"));
    const Frame logo = Shot("frontend-9-logo");
    EXPECT_TRUE(Differs(farewell, logo));
    EXPECT_GT(ColourCount(logo), 2u);

    Click(400, 450);
    Wait(1.5f);
    ASSERT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kMainMenuScreen)) << "the click did not leave the logo";
    // Not the first entry and no credits just finished: the menu opens on its scenario list.
    EXPECT_EQ(Page(), "StartScreen");
    EXPECT_TRUE(Differs(logo, Shot("frontend-10-menu-again")));
    EXPECT_TRUE(running);
}

TEST_F(FrontEndWalkTest, AScenarioChosenFromTheListIsStartedAndThePark)
{
    Wait(1.5f);
    Click(88, 174);
    Wait(1.5f);
    ASSERT_EQ(Page(), "StartScreen");
    Click(200, 119);
    Click(712, 544);
    // Everything leaves, then the loading step and the park.
    Wait(2.0f);
    EXPECT_EQ(harness.GetGame().GetCurrentScreen(), harness.GetGame().GetScreen(Game::kWorldTestScreen));
    const Frame park = Shot("frontend-7-park");
    EXPECT_GT(ColourCount(park), 20u);
}

// A locked scenario chosen in the list cannot be started: the play button is dimmed and a click on it leaves the
// list showing; the open first scenario chosen again starts.
TEST_F(FrontEndWalkTest, ALockedScenarioChosenInTheListIsNotStarted)
{
    Wait(1.5f);
    Click(88, 174);
    Wait(1.5f);
    ASSERT_EQ(Page(), "StartScreen");
    auto* play = dynamic_cast<ScreenButton*>(Gui().FindItem(WT_SCREENBUTTON, "PlayBtn"));
    ASSERT_NE(play, nullptr);
    Game& game = harness.GetGame();
    // The second row: scenario 2, locked on a first start.
    Click(200, 110 + 18 + 9);
    Wait(0.3f);
    ASSERT_EQ(game.GetScenarioIndex(), 1);
    ASSERT_TRUE(game.GetProgress().IsLocked(1));
    EXPECT_EQ(play->GetState(), ScreenButton::STATE_DISABLED) << "the play button is not dimmed";
    Click(712, 544);
    Wait(2.0f);
    EXPECT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kMainMenuScreen));
    EXPECT_EQ(g_pWorld, nullptr) << "the locked scenario was started";
    EXPECT_EQ(Page(), "StartScreen");
    Click(200, 119);
    Wait(0.3f);
    ASSERT_EQ(game.GetScenarioIndex(), 0);
    EXPECT_NE(play->GetState(), ScreenButton::STATE_DISABLED);
    Click(712, 544);
    Wait(2.0f);
    EXPECT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kWorldTestScreen));
    EXPECT_TRUE(running);
}

} // namespace

namespace
{

// The park's quit box and the main menu's exit box share a name and differ in size: the menu's, opened after a park
// was left through the park's, shows its whole panel (a title strip thirty pixels high over sand) and its Back button,
// which closes it.
TEST_F(FrontEndWalkTest, TheMenusExitBoxIsDrawnWholeAfterTheParksQuitBox)
{
    harness.EnterPark(0);
    Wait(1.0f);
    Click(759, 577);
    Wait(0.5f);
    ASSERT_TRUE(Gui().IsDialogOpen("ExitConfirmBox"));
    Click(334, 301);
    Wait(1.5f);
    Click(88, 544);
    Wait(1.5f);
    ASSERT_EQ(Page(), "MainMenu");
    Click(400, 257);
    Wait(1.0f);
    ASSERT_TRUE(Gui().IsDialogOpen("ExitConfirmBox"));
    const Frame shown = Shot("frontend-exit-box");
    // The box stands at (260, 230) to (540, 370), its Back button at (340, 316) to (460, 352) (MainMenu.pis).
    constexpr uint32_t kTitleRed = 0xA33A2A, kSand = 0xF2E6C8, kBackBlue = 0x2A6F97;
    EXPECT_TRUE(gametest::NearRgb(shown.At(300, 245), kTitleRed, kTolerance)) << std::hex << shown.At(300, 245);
    EXPECT_TRUE(gametest::NearRgb(shown.At(300, 275), kSand, kTolerance)) << std::hex << shown.At(300, 275);
    EXPECT_TRUE(gametest::NearRgb(shown.At(350, 345), kBackBlue, kTolerance)) << std::hex << shown.At(350, 345);
    Click(350, 345);
    Wait(0.5f);
    EXPECT_FALSE(Gui().IsDialogOpen("ExitConfirmBox"));
}

// The options' video page: the materials list, opened, lies over the texture filter's box below it and over the note
// under the pages: its chosen row ("High", the second) shows whole in the list's highlight.
TEST_F(FrontEndWalkTest, TheOpenMaterialsListLiesOverTheBoxAndTheNoteBelowIt)
{
    Wait(1.5f);
    ASSERT_EQ(Page(), "MainMenu");
    Click(400, 197);
    Wait(0.5f);
    ASSERT_TRUE(Gui().IsDialogOpen("InGameOptions"));
    Click(343, 187);
    Wait(0.3f);
    // The materials box at (384, 302) to (524, 319); its rows, 32 pixels high, from y 319: "Medium", then "High".
    Click(515, 311);
    Wait(0.3f);
    const Frame open = Shot("options-materials-open");
    const uint32_t highlight = ComboBox::kHoverColour & 0xFFFFFF;
    // Where the row, right of its word, crosses the box (y 342 to 359) and the note's line (y 368 to 386), the row's
    // highlight, nothing else, shows.
    struct Band
    {
        const char* over;
        int top, bottom;
    };
    for (const Band& band : {Band{"the texture filter's box", 353, 359}, Band{"the note", 368, 381}})
    {
        const int pixels = (500 - 450) * (band.bottom - band.top);
        EXPECT_EQ(gametest::CountNearRgb(open, 450, band.top, 500, band.bottom, highlight, kTolerance), pixels)
            << "the list's second row lies under " << band.over;
    }
}

} // namespace
