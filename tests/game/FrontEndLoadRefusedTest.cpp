// A saved game chosen on the front end's load page that cannot be loaded (damaged after the page listed it): the
// program stays in the front end and the load page comes back, with the saves as they are, whether the fault is found
// in the file's header or only once the saved park is being built.
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "tests/game/GameHarness.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

TEST(FrontEndLoadRefused, TheLoadPageComesBackForAFaultInTheHeaderOrInThePark)
{
    gametest::GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    Game& game = harness.GetGame();

    // A park saved into a slot of its own, then the main menu again.
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    harness.RunFrames(30);
    game.ScanSaveGames();
    const int32_t slot = game.FindFreeSlot();
    ASSERT_TRUE(game.SaveToSlot(slot));
    const std::string file = harness.UserFolder() + "/SaveGames/save" + std::to_string(slot) + ".dat";
    const std::vector<uint8_t> good = testsupport::ReadBytes(file);
    ASSERT_GT(good.size(), 1000u);
    harness.SelectScreen(Game::kMainMenuScreen);
    ASSERT_EQ(g_pWorld, nullptr);

    struct Case
    {
        const char* what;
        size_t keep; // bytes of the good file kept
    };
    // The header takes the first hundred bytes or so; the park all the rest.
    const Case cases[] = {
        {"cut in the header", 60},
        {"cut in the park", good.size() / 2},
    };
    GUIManager& gui = game.GetGUIManager();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        // The load page lists the intact save, its first row chosen; the file is damaged while the page shows.
        testsupport::WriteBytes(file, good);
        game.ShowFrontEndLoadPage();
        harness.RunFrames(30);
        ASSERT_NE(gui.GetCurrentScreenName(), nullptr);
        ASSERT_EQ(std::string(gui.GetCurrentScreenName()), "LoadScreen");
        ASSERT_GT(game.GetSaveGameCount(), 0);
        testsupport::WriteBytes(file, std::vector<uint8_t>(good.begin(), good.begin() + c.keep));
        // The load button's step: the page goes and the load is asked for.
        gui.SetDirectStart(true);
        gui.StartGameState("LOADGAME");
        harness.RunFrames(30);

        EXPECT_EQ(g_pWorld, nullptr);
        EXPECT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kMainMenuScreen));
        const char* page = gui.GetCurrentScreenName();
        EXPECT_EQ(std::string(page ? page : "(none)"), "LoadScreen");
    }
}

} // namespace
