// A player's run through the scenarios in the running program, by the pointer: a scenario started from the list,
// won, left, and the list and the progress file seen again in this run and the next; a scenario won a second time,
// the last of a row and the last of all; a scenario lost; a park left by closing the program.
#include "game/Game.h"
#include "game/Screens.h"
#include "gui/GUIManager.h"
#include "gui/ScreenElements.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "tests/game/ProgressFileBytes.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using progressfile::FileOf;
using progressfile::Flags;
using progressfile::kFirstStart;

// The scenario list's rows lie 18 apart from y 110; the play button is at the foot of the page.
constexpr int kRowX = 200;
constexpr int kFirstRowY = 119;
constexpr int kRowStep = 18;
constexpr int kPlayX = 712;
constexpr int kPlayY = 544;
// The park's end dialogs (corner 200, 230): won, its credits and play-on buttons; lost, its leave button.
constexpr int kCreditsX = 320;
constexpr int kPlayOnX = 480;
constexpr int kLeaveX = 400;
constexpr int kEndButtonY = 328;

class ScenarioRunInGameTest : public gametest::FrontEndPointerTest
{
protected:
    std::string ScreenName() const
    {
        const Screen* screen = harness.GetGame().GetCurrentScreen();
        return screen ? screen->GetName() : "";
    }
    std::string ProgressPath() const { return harness.UserFolder() + "/sp.bin"; }
    std::vector<uint8_t> ProgressFile() const { return testsupport::ReadBytes(ProgressPath()); }
    ScreenButton* PlayButton() const { return dynamic_cast<ScreenButton*>(Gui().FindItem(WT_SCREENBUTTON, "PlayBtn")); }
    // From the menu's first page to the scenario list.
    void OpenList()
    {
        if (Page() == "MainMenu")
        {
            Click(88, 174);
            Wait(1.5f);
        }
    }
    void ChooseRow(int row)
    {
        Click(kRowX, kFirstRowY + kRowStep * row);
        Wait(0.3f);
    }
    // From the main menu, the first scenario started and won: its goal is fifty guests in the park at once.
    void WinTheFirstScenario()
    {
        Wait(1.5f);
        StartFromList(0);
        if (HasFatalFailure())
            return;
        g_pWorld->m_NumGuests = 50;
        Wait(0.2f);
        ASSERT_TRUE(Gui().IsDialogOpen("ScenarioWon"));
    }
    // The row chosen in the list and started with the play button.
    void StartFromList(int row)
    {
        OpenList();
        ASSERT_EQ(Page(), "StartScreen");
        ChooseRow(row);
        Click(kPlayX, kPlayY);
        Wait(2.0f);
        ASSERT_EQ(ScreenName(), "WorldTest");
        ASSERT_NE(g_pWorld, nullptr);
        ASSERT_EQ(harness.GetGame().GetScenarioIndex(), row);
    }
    // The park left by its quit box, answered yes.
    void QuitPark()
    {
        Click(759, 577);
        Wait(0.5f);
        ASSERT_TRUE(Gui().IsDialogOpen("ExitConfirmBox"));
        Click(335, 302);
        Wait(2.0f);
    }
};

TEST_F(ScenarioRunInGameTest, AWinOpensTheNextScenarioInTheListInTheFileAndAtTheNextStart)
{
    WinTheFirstScenario();
    if (HasFatalFailure())
        return;
    // Written at the win, whole, through a temporary file that is gone: the first scenario won (4 + 8), the second
    // opened (2).
    EXPECT_EQ(ProgressFile(), FileOf({12, 2, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1}));
    EXPECT_FALSE(std::filesystem::exists(ProgressPath() + ".tmp"));

    // Played on, then left: the list comes back, and the second scenario can be started.
    Click(kPlayOnX, kEndButtonY);
    Wait(0.5f);
    EXPECT_FALSE(Gui().IsDialogOpen("ScenarioWon"));
    EXPECT_FALSE(g_pWorld->IsPaused());
    QuitPark();
    ASSERT_EQ(ScreenName(), "MainMenu");
    ASSERT_EQ(Page(), "StartScreen");
    ChooseRow(1);
    ASSERT_NE(PlayButton(), nullptr);
    EXPECT_NE(PlayButton()->GetState(), ScreenButton::STATE_DISABLED) << "the opened scenario cannot be started";
    ChooseRow(2);
    EXPECT_EQ(PlayButton()->GetState(), ScreenButton::STATE_DISABLED) << "the third scenario is open";

    // The next start reads the file: the second scenario still opens.
    harness.Stop();
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    Wait(1.5f);
    StartFromList(1);
    EXPECT_EQ(ProgressFile(), FileOf({12, 2, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1}));
    EXPECT_TRUE(running);
}

// Winning, with the progress as the file holds it before: the scenario gets its 8 and the one it names opens (2),
// unless won already; the last of a row names itself and the last of all opens nothing.
TEST_F(ScenarioRunInGameTest, WinsAgainAndTheLastOfARowAndOfAllOpenOnlyWhatTheyShould)
{
    struct Case
    {
        const char* name;
        Flags before;
        int32_t row;
        Flags after;
    };
    const Case cases[] = {
        {"the first again, the second won",
         {12, 10, 2, 1, 4, 1, 1, 1, 4, 1, 1, 1},
         0,
         {12, 10, 2, 1, 4, 1, 1, 1, 4, 1, 1, 1}},
        {"the first again, the second open",
         {12, 2, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1},
         0,
         {12, 2, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1}},
        {"the fourth, last of its row",
         {12, 10, 10, 2, 4, 1, 1, 1, 4, 1, 1, 1},
         3,
         {12, 10, 10, 10, 4, 1, 1, 1, 4, 1, 1, 1}},
        {"the twelfth, last of all",
         {4, 1, 1, 1, 4, 1, 1, 1, 12, 10, 10, 2},
         11,
         {4, 1, 1, 1, 4, 1, 1, 1, 12, 10, 10, 10}},
        {"the twelfth again", {4, 1, 1, 1, 4, 1, 1, 1, 12, 10, 10, 10}, 11, {4, 1, 1, 1, 4, 1, 1, 1, 12, 10, 10, 10}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        testsupport::WriteBytes(ProgressPath(), FileOf(c.before));
        // Choosing the row reads the file.
        harness.EnterPark(c.row);
        ASSERT_NE(g_pWorld, nullptr);
        Wait(0.2f);
        ASSERT_FALSE(Gui().IsDialogOpen("ScenarioWon"));
        // Every goal met: the guests the first scenario's script counts, the objectives the others' mark.
        g_pWorld->m_NumGuests = 50;
        for (int32_t i = 0; i < g_pWorld->m_iObjectiveCount; ++i)
            g_pWorld->m_iObjectiveStatus[i] = 1;
        Wait(0.2f);
        ASSERT_TRUE(Gui().IsDialogOpen("ScenarioWon"));
        EXPECT_EQ(ProgressFile(), FileOf(c.after));
        harness.SelectScreen(Game::kMainMenuScreen);
        Wait(1.0f);
    }
    EXPECT_TRUE(running);
}

// A park that runs out of money is lost: paused, the lost dialog holding the mouse (a focus change brings no pause
// box over it); its button leaves for the scenario list, the progress as it was.
TEST_F(ScenarioRunInGameTest, ALostParkLeavesForTheListAndChangesNoProgress)
{
    const Flags before = {12, 10, 10, 2, 4, 1, 1, 1, 4, 1, 1, 1};
    testsupport::WriteBytes(ProgressPath(), FileOf(before));
    Wait(1.5f);
    // The fourth scenario: lost when its money runs out.
    StartFromList(3);
    g_pWorld->GetPlayer()->Cash = -1.0f;
    Wait(0.2f);
    ASSERT_TRUE(Gui().IsDialogOpen("ScenarioLost"));
    EXPECT_FALSE(Gui().IsDialogOpen("ScenarioWon"));
    EXPECT_TRUE(g_pWorld->IsPaused());
    EXPECT_TRUE(Gui().IsModalDialogOpen());
    harness.GetGame().Deactivate();
    harness.GetGame().Activate();
    Wait(0.2f);
    EXPECT_FALSE(Gui().IsDialogOpen("PauseBox"));
    Click(kLeaveX, kEndButtonY);
    Wait(2.0f);
    EXPECT_EQ(ScreenName(), "MainMenu");
    EXPECT_EQ(Page(), "StartScreen");
    EXPECT_EQ(ProgressFile(), FileOf(before));
    EXPECT_FALSE(harness.GetGame().GetProgress().IsCompleted(3));
    EXPECT_TRUE(running);
}

// The program closed in the middle of a park writes the progress as it stands and the next start reads it back.
TEST_F(ScenarioRunInGameTest, ClosingTheProgramInAParkKeepsTheProgress)
{
    WinTheFirstScenario();
    if (HasFatalFailure())
        return;
    Click(kCreditsX, kEndButtonY);
    Wait(0.5f);
    ASSERT_EQ(ScreenName(), "GameWon");
    for (int page = 0; page < 9; ++page)
    {
        Click(400, 300);
        Wait(0.3f);
    }
    // Back from the credits: the menu's first page.
    ASSERT_EQ(ScreenName(), "MainMenu");
    EXPECT_EQ(Page(), "MainMenu");
    Wait(1.5f);
    StartFromList(1);
    Wait(1.0f);
    harness.Stop();
    EXPECT_EQ(ProgressFile(), FileOf({12, 2, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1}));
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    Wait(1.5f);
    OpenList();
    ChooseRow(1);
    ASSERT_NE(PlayButton(), nullptr);
    EXPECT_NE(PlayButton()->GetState(), ScreenButton::STATE_DISABLED);
    EXPECT_TRUE(harness.GetGame().GetProgress().IsCompleted(0));
    EXPECT_TRUE(running);
}

} // namespace
