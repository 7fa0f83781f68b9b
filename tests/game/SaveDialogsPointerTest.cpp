// The save and load dialogs of the park in the running program, driven by keys and the pointer as a player
// would: F4 opens the save dialog, Save and OK write a new slot; the park changes; F5 opens the load dialog and
// Load brings the saved park back, with its cash, day and buildings.
#include "game/Game.h"
#include "game/SaveGames.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/ListBox.h"
#include "gui/ListRows.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace
{

class SaveDialogsPointerTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(30);
    }
    void Key(unsigned long keysym)
    {
        pointer->Key(keysym, true);
        Settle();
        pointer->Key(keysym, false);
        Settle();
    }
    // A click on a point of an open dialog, given inside it; false when the dialog is not open.
    bool ClickIn(const char* dialog, int x, int y)
    {
        const auto* item = static_cast<const DialogItem*>(Gui().FindItem(WT_DIALOG, dialog));
        if (!item || !Gui().IsDialogOpen(dialog))
            return false;
        Click(item->GetRect().left + x, item->GetRect().top + y);
        // The button fires a little after the press.
        harness.RunFrames(4);
        return true;
    }
    size_t SaveFiles() const
    {
        const std::filesystem::path folder = harness.UserFolder() + "/SaveGames";
        size_t n = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            n += entry.path().extension() == ".dat";
        return n;
    }
};

TEST_F(SaveDialogsPointerTest, AParkSavedWithTheSaveDialogComesBackWithTheLoadDialog)
{
    g_pWorld->GetPlayer()->Cash = 12345.0f;
    harness.RunFrames(2);
    const uint32_t buildings = g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING);
    ASSERT_EQ(SaveFiles(), 0u);

    Key(XK_F4);
    ASSERT_TRUE(Gui().IsDialogOpen("SaveGameMenu"));
    ListRows* saveList = Gui().FindList(GUIManager::kListBoxType, "SaveListBox");
    ASSERT_NE(saveList, nullptr);
    // With no saved game yet the list holds row 0 alone, the new saved game: one text cell at the row's left, 260
    // wide.
    const auto cellsOf = [](const ListRows* list, int32_t row)
    {
        std::vector<std::pair<int32_t, int32_t>> cells; // x and width
        if (const auto* box = dynamic_cast<const ListBox*>(list))
            for (const ListBox::Cell& cell : box->GetCells())
                if (cell.inUse && cell.row == row)
                    cells.push_back({cell.x, cell.widget->GetWidth()});
        return cells;
    };
    EXPECT_EQ(cellsOf(saveList, 0), (std::vector<std::pair<int32_t, int32_t>>{{0, 260}}));
    EXPECT_TRUE(cellsOf(saveList, 1).empty());
    // Nothing to delete on that row: Delete (150, 280 to 270, 304 in the dialog at 100, 110) is greyed; Save (10, 280
    // to 130, 304) is not.
    harness.RunFrames(3);
    const gametest::Frame shown = harness.Screenshot();
    gametest::GameHarness::Keep(shown, "save-dialog");
    EXPECT_GT(gametest::CountNearRgb(shown, 252, 392, 368, 412, 0x8A8A8A, 12), 1000) << "Delete is not greyed";
    EXPECT_EQ(gametest::CountNearRgb(shown, 112, 392, 228, 412, 0x8A8A8A, 12), 0) << "Save is greyed";
    // Row 0, the new saved game, is chosen; Save writes it and the confirmation opens.
    ASSERT_TRUE(ClickIn("SaveGameMenu", 70, 292));
    ASSERT_TRUE(Gui().IsDialogOpen("SaveOKBox"));
    EXPECT_EQ(SaveFiles(), 1u);
    ASSERT_TRUE(ClickIn("SaveOKBox", 150, 72));
    EXPECT_FALSE(Gui().IsDialogOpen("SaveOKBox"));
    ASSERT_TRUE(ClickIn("SaveGameMenu", 520, 292));
    EXPECT_FALSE(Gui().IsDialogOpen("SaveGameMenu"));
    // The park as it was saved: the figures the slot's header holds (written apart from the park's own state).
    Game& game = harness.GetGame();
    game.ScanSaveGames();
    ASSERT_EQ(game.GetSaveGameCount(), 1);
    const float cash = game.GetSaveGame(0)->m_fCash;
    const int32_t day = game.GetSaveGame(0)->m_iGameDay;
    EXPECT_NEAR(cash, 12345.0f, 500.0f);
    game.ClearSaveGames();

    // The park changes after the save.
    g_pWorld->GetPlayer()->Cash = 99.0f;
    harness.RunFrames(5);

    Key(XK_F5);
    ASSERT_TRUE(Gui().IsDialogOpen("LoadGameMenu"));
    // The saved game's row: its title, its day and cash, and when it was saved.
    const std::vector<std::pair<int32_t, int32_t>> rowCells{{0, 300}, {279, 106}, {390, 115}};
    EXPECT_EQ(cellsOf(Gui().FindList(GUIManager::kListBoxType, "LoadListBox"), 0), rowCells);
    // Closed and opened again, the list is filled afresh: the row holds its cells once.
    Key(XK_F5);
    ASSERT_FALSE(Gui().IsDialogOpen("LoadGameMenu"));
    Key(XK_F5);
    ASSERT_TRUE(Gui().IsDialogOpen("LoadGameMenu"));
    EXPECT_EQ(cellsOf(Gui().FindList(GUIManager::kListBoxType, "LoadListBox"), 0), rowCells);
    ASSERT_TRUE(ClickIn("LoadGameMenu", 70, 342));
    // The load runs through the main menu into a new park; the changed park's cash marks the old one.
    for (int i = 0; i < 40 && !(g_pWorld && g_pWorld->GetPlayer() && g_pWorld->GetPlayer()->Cash != 99.0f); ++i)
        harness.RunFrames(1);
    ASSERT_NE(g_pWorld, nullptr);
    // A frame of the loaded park may have paid a wage or taken a sale.
    EXPECT_NEAR(g_pWorld->GetPlayer()->Cash, cash, 50.0f);
    EXPECT_EQ(g_pWorld->GetGameDay(), day);
    EXPECT_EQ(g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING), buildings);
    EXPECT_TRUE(running);
    // The dialogs' buttons ask the game whether they may act; each question is one it knows.
    for (const auto& box : harness.Reports().boxes)
        ADD_FAILURE() << box.text;
}

} // namespace
