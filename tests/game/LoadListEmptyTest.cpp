// The park's load dialog once no saved game is left: its one row only tells so and is shown neither selectable
// nor selected, whether the last save was deleted from the dialog or went while the dialog was closed.
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "gui/ListBox.h"
#include "gui/ListRows.h"
#include "tests/game/GameHarness.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using gametest::GameHarness;

namespace
{

enum class Removal
{
    DeletedFromTheDialog,
    RemovedWhileClosed,
};

struct EmptyCase
{
    const char* name;
    Removal removal;
};

class LoadListEmptyTest : public gametest::StartedGameTest<::testing::TestWithParam<EmptyCase>>
{
};

TEST_P(LoadListEmptyTest, TheNoGamesRowIsNotSelected)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    harness.RunFrames(10);
    Game& game = harness.GetGame();
    ASSERT_TRUE(game.SaveToSlot(0));
    GUIManager& gui = *g_pGUIManager;

    // With one saved game the dialog opens with its row selected.
    gui.ToggleLoadGameMenu();
    harness.RunFrames(2);
    ASSERT_TRUE(gui.IsDialogOpen("LoadGameMenu"));
    auto* list = dynamic_cast<ListBox*>(gui.FindList(GUIManager::kListBoxType, "LoadListBox"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetRowCount(), 1);
    ASSERT_EQ(list->GetSelectedRows().size(), 1u);

    const std::string file = harness.UserFolder() + "/SaveGames/save0.dat";
    switch (GetParam().removal)
    {
    case Removal::DeletedFromTheDialog:
        // The player's delete and its confirmation: the file goes and the list is filled again.
        game.DeleteSaveFromLoadList();
        game.FillLoadList();
        break;
    case Removal::RemovedWhileClosed:
        gui.ToggleLoadGameMenu();
        harness.RunFrames(2);
        ASSERT_FALSE(gui.IsDialogOpen("LoadGameMenu"));
        ASSERT_TRUE(std::filesystem::remove(file));
        gui.ToggleLoadGameMenu();
        harness.RunFrames(2);
        ASSERT_TRUE(gui.IsDialogOpen("LoadGameMenu"));
        break;
    }
    harness.RunFrames(2);

    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(game.GetSaveGameCount(), 0);
    // One row, the text that there is nothing to load, which cannot be chosen and does not show as chosen.
    EXPECT_EQ(list->GetRowCount(), 1);
    EXPECT_FALSE(list->IsSelectable());
    EXPECT_TRUE(list->GetSelectedRows().empty());
    EXPECT_FALSE(list->IsSelected(0));
}

INSTANTIATE_TEST_SUITE_P(Removals, LoadListEmptyTest,
                         ::testing::Values(EmptyCase{"DeletedFromTheDialog", Removal::DeletedFromTheDialog},
                                           EmptyCase{"RemovedWhileClosed", Removal::RemovedWhileClosed}),
                         [](const ::testing::TestParamInfo<EmptyCase>& info) { return info.param.name; });

} // namespace
