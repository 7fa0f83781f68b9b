// The end of the first scenario in the running program: once fifty guests are in the park its world script marks the
// goal met and the scenario won (the next one opened), pauses the park and shows "ScenarioWon" with the park's message,
// holding the mouse; its buttons keep the park running or go on to the credits, clicked with the pointer.
#include "engine/core/TextTable.h"
#include "game/ScenarioProgress.h"
#include "game/Screens.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// The dialog's corner and its message's row.
constexpr int kLeft = 200;
constexpr int kTop = 230;

class ScenarioEndInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(5);
    }
    // Fifty guests counted in the park: the world script's next look wins the park.
    void Win()
    {
        ASSERT_FALSE(Gui().IsDialogOpen("ScenarioWon"));
        ASSERT_FALSE(g_pWorld->IsPaused());
        g_pWorld->m_NumGuests = 50;
        running = harness.RunFrames(3) && running;
        ASSERT_TRUE(Gui().IsDialogOpen("ScenarioWon"));
    }
};

TEST_F(ScenarioEndInGameTest, FiftyGuestsWinTheParkAndKeepPlayingRunsItAgain)
{
    Win();
    EXPECT_EQ(g_pWorld->GetObjectiveStatus(0), 1u);
    // The scenario is marked won and the list's second opened, in the progress kept.
    const ScenarioProgress& progress = harness.GetGame().GetProgress();
    EXPECT_TRUE(progress.IsCompleted(0));
    EXPECT_FALSE(progress.IsLocked(1));
    EXPECT_TRUE(g_pWorld->IsPaused());
    EXPECT_TRUE(Gui().IsModalDialogOpen());
    ASSERT_NE(g_pTextTable, nullptr);
    EXPECT_EQ(Gui().GetMenuParam(), g_pTextTable->FindIndex("SAMPLE_WON_TEXT"));
    EXPECT_GE(Gui().GetMenuParam(), 0);
    // The message is written in white on the shaded dialog, under its title.
    const gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "scenario-won");
    EXPECT_GT(gametest::CountNearRgb(frame, kLeft + 10, kTop + 30, kLeft + 390, kTop + 70, 0xFFFFFF, 40), 40)
        << "the park's message is not shown";

    Click(kLeft + 280, kTop + 98);
    running = harness.RunFrames(3) && running;
    EXPECT_FALSE(Gui().IsDialogOpen("ScenarioWon"));
    EXPECT_FALSE(g_pWorld->IsPaused());
    // The script has moved on: the dialog does not come back.
    running = harness.RunFrames(10) && running;
    EXPECT_FALSE(Gui().IsDialogOpen("ScenarioWon"));
    EXPECT_TRUE(running);
}

TEST_F(ScenarioEndInGameTest, TheCreditsButtonGoesOnToTheCredits)
{
    Win();
    Click(kLeft + 120, kTop + 98);
    running = harness.RunFrames(5) && running;
    ASSERT_NE(harness.GetGame().GetCurrentScreen(), nullptr);
    EXPECT_EQ(std::string(harness.GetGame().GetCurrentScreen()->GetName()), "GameWon");
    EXPECT_EQ(g_pWorld, nullptr) << "the park is left";
    EXPECT_TRUE(running);
}

// The lost park's dialog, shown by a world script with no message: nothing is looked up for it, and its button leaves
// for the main menu.
TEST_F(ScenarioEndInGameTest, TheLostDialogWithoutAMessageLeavesForTheMainMenu)
{
    g_pWorld->ShowMenu("ScenarioLost", nullptr);
    running = harness.RunFrames(3) && running;
    ASSERT_TRUE(Gui().IsDialogOpen("ScenarioLost"));
    EXPECT_TRUE(Gui().IsModalDialogOpen());
    EXPECT_EQ(Gui().GetMenuParam(), -1);
    Click(kLeft + 200, kTop + 98);
    running = harness.RunFrames(5) && running;
    ASSERT_NE(harness.GetGame().GetCurrentScreen(), nullptr);
    EXPECT_EQ(std::string(harness.GetGame().GetCurrentScreen()->GetName()), "MainMenu");
    EXPECT_TRUE(running);
}

} // namespace
