// Save games in the running program: the park saved into a slot file and loaded back into the park screen from
// the main menu; a failed save keeps the old slot; a cut, foreign or hostile slot file is refused with a report
// and the main menu stays.
#include "game/Game.h"
#include "game/Screens.h"
#include "gui/GUIManager.h"
#include "gui/GuiCommands.h"
#include "gui/ListRows.h"
#include "platform/Paths.h"
#include "tests/game/GameHarness.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using gametest::GameHarness;

namespace
{

struct ParkFigures
{
    float cash = 0.0f;
    int32_t day = 0;
    float dayTime = 0.0f;
    int32_t guests = 0;
    uint32_t objects = 0;
};

ParkFigures Figures()
{
    ParkFigures f;
    f.cash = g_pWorld->GetPlayer()->Cash;
    f.day = g_pWorld->GetGameDay();
    f.dayTime = g_pWorld->GetGameDayTime();
    f.guests = g_pWorld->m_NumGuests;
    f.objects = g_pObjectManager->GetNumActiveObjects();
    return f;
}

bool HasBox(GameHarness& harness, const std::string& part)
{
    for (const auto& box : harness.Reports().boxes)
        if (box.text.find(part) != std::string::npos)
            return true;
    return false;
}

class SaveSlotScreenTest : public gametest::StartedGameTest<>
{
protected:
    // The save dialog with its list, and the load dialog with its list and information box.
    static void LoadSaveAndLoadDialogs(GUIManager& gui)
    {
        const std::string script = "Font(GuiFont7)\n"
                                   "DialogItem SaveGameMenu(100, 100, 600, 400, CLEAR, 40, 1)\n{\n"
                                   "    ListBox(0, 30, 480, 130, 482, 30, 496, 130, SaveListBox, 16, 6)\n}\n"
                                   "DialogItem LoadGameMenu(100, 100, 600, 400, CLEAR, 41, 1)\n{\n"
                                   "    ListBox(0, 30, 480, 130, 482, 30, 496, 130, LoadListBox, 16, 6)\n"
                                   "    ListBox(0, 140, 480, 240, 482, 140, 496, 240, LoadInfoBox, 16, 6)\n}\n";
        gui.LoadScriptText(script.data(), script.size());
    }

    // Enters scenario 1, runs a while, gives the park cash of its own and saves it into a fresh slot.
    std::string SaveRunningPark(ParkFigures* figures)
    {
        harness.EnterPark(0);
        EXPECT_NE(g_pWorld, nullptr);
        if (!g_pWorld)
            return {};
        harness.RunFrames(60);
        g_pWorld->GetPlayer()->Cash = 31337.25f;
        *figures = Figures();
        Game& game = harness.GetGame();
        game.ScanSaveGames();
        const int32_t slot = game.FindFreeSlot();
        EXPECT_TRUE(game.SaveToSlot(slot));
        return harness.UserFolder() + "/SaveGames/save" + std::to_string(slot) + ".dat";
    }

    // Goes back to the main menu and asks for the listed save with that slot; the load runs as the next frame
    // runs it, without the park frame that follows it in the same pass.
    void LoadFromMenu(int32_t slot)
    {
        Game& game = harness.GetGame();
        harness.SelectScreen(Game::kMainMenuScreen);
        ASSERT_EQ(g_pWorld, nullptr);
        game.ScanSaveGames();
        int32_t entry = -1;
        for (int32_t i = 0; i < game.GetSaveGameCount(); ++i)
            if (game.GetSaveGame(i)->m_iSlot == slot)
                entry = i;
        ASSERT_GE(entry, 0) << "slot " << slot << " is not listed";
        game.RequestLoad(entry);
        ASSERT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kMainMenuScreen));
        game.LoadGame();
    }
};

TEST_F(SaveSlotScreenTest, ASavedParkLoadsBackIntoTheParkScreen)
{
    ParkFigures saved;
    const std::string file = SaveRunningPark(&saved);
    ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file;
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

    Game& game = harness.GetGame();
    game.ScanSaveGames();
    ASSERT_EQ(game.GetSaveGameCount(), 1);
    const SaveGameEntry& entry = *game.GetSaveGame(0);
    EXPECT_EQ(entry.m_iSlot, 0);
    EXPECT_EQ(entry.m_fCash, saved.cash);
    EXPECT_EQ(entry.m_iGameDay, saved.day);
    EXPECT_EQ(entry.m_iGuests, saved.guests);
    EXPECT_EQ(entry.m_iScenario, 0);

    LoadFromMenu(0);
    ASSERT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kWorldTestScreen));
    ASSERT_NE(g_pWorld, nullptr);
    EXPECT_FALSE(game.GetWorldScreen().IsLoadPending() && g_pWorld->IsLoading());
    const ParkFigures loaded = Figures();
    EXPECT_EQ(loaded.cash, saved.cash);
    EXPECT_EQ(loaded.day, saved.day);
    EXPECT_EQ(loaded.dayTime, saved.dayTime);
    EXPECT_EQ(loaded.guests, saved.guests);
    EXPECT_EQ(loaded.objects, saved.objects);
    EXPECT_EQ(game.GetSaveGameCount(), 0) << "the list is emptied by a load";
    EXPECT_EQ(game.GetLoadRequest(), -1);
    // The loaded park runs on.
    EXPECT_TRUE(harness.RunFrames(30));
    EXPECT_NE(g_pWorld, nullptr);
    GameHarness::Keep(harness.Screenshot(), "park-loaded-from-slot");
}

TEST_F(SaveSlotScreenTest, ANewSaveTakesTheFreeSlotAndLeavesTheOthers)
{
    ParkFigures saved;
    const std::string first = SaveRunningPark(&saved);
    Game& game = harness.GetGame();
    game.ScanSaveGames();
    ASSERT_EQ(game.FindFreeSlot(), 1);
    ASSERT_TRUE(game.SaveToSlot(1));
    game.ScanSaveGames();
    ASSERT_EQ(game.GetSaveGameCount(), 2);
    EXPECT_EQ(game.FindFreeSlot(), 2);
    EXPECT_TRUE(std::filesystem::is_regular_file(first));
}

TEST_F(SaveSlotScreenTest, AFailedSaveKeepsTheOldSlotAndSaysSo)
{
    ParkFigures saved;
    const std::string file = SaveRunningPark(&saved);
    const std::vector<uint8_t> before = testsupport::ReadBytes(file);
    ASSERT_FALSE(before.empty());
    // The temporary file cannot be made: a folder stands where it would go.
    std::filesystem::create_directory(file + ".tmp");
    g_pWorld->GetPlayer()->Cash = 5.0f;
    const size_t boxes = harness.Reports().boxes.size();
    EXPECT_FALSE(harness.GetGame().SaveToSlot(0));
    EXPECT_GT(harness.Reports().boxes.size(), boxes);
    EXPECT_TRUE(HasBox(harness, "Couldn't save the game"));
    EXPECT_EQ(testsupport::ReadBytes(file), before);
}

TEST_F(SaveSlotScreenTest, WithoutAParkNothingIsSaved)
{
    EXPECT_FALSE(harness.GetGame().SaveToSlot(0));
    EXPECT_FALSE(std::filesystem::exists(harness.UserFolder() + "/SaveGames/save0.dat"));
    EXPECT_TRUE(HasBox(harness, "Couldn't save the game"));
}

std::vector<uint8_t> Cut(const std::vector<uint8_t>& bytes, size_t size)
{
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size));
}

TEST_F(SaveSlotScreenTest, ABadSlotFileIsRefusedAndTheMenuStays)
{
    ParkFigures saved;
    const std::string file = SaveRunningPark(&saved);
    const std::vector<uint8_t> good = testsupport::ReadBytes(file);
    ASSERT_GT(good.size(), 1000u);
    // Byte offsets of the header, counted from the layout: banner 25, identification 23, version 5, three integers,
    // two floats, one integer (5 each), then the title.
    const size_t scenarioAt = 25 + 23 + 5 + 5 + 1;
    const size_t headerEnd = 25 + 23 + 5 + 3 * 5 + 2 * 5 + 5;
    std::vector<uint8_t> foreign = good;
    foreign[25 + 5 + 9] = 'X'; // "Tidewell MRK2 Save" becomes "Tidewell XRK2 Save"
    std::vector<uint8_t> oldVersion = good;
    const float v48 = 4.8f;
    std::memcpy(&oldVersion[25 + 23 + 1], &v48, 4);
    std::vector<uint8_t> hostileScenario = good;
    hostileScenario[scenarioAt] = 0xFF;
    hostileScenario[scenarioAt + 1] = 0x7F;
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* report;
    };
    const Case cases[] = {
        {"cut in the park", Cut(good, good.size() / 2), "Couldn't load the saved game"},
        {"cut after the header", Cut(good, headerEnd + 30), "Couldn't load the saved game"},
        {"one byte short", Cut(good, good.size() - 1), "Couldn't load the saved game"},
        {"cut in the header", Cut(good, 60), "Save file is cut short"},
        {"another identification", foreign, "Attempted to load incorrect file"},
        {"an old version", oldVersion, "Save file has incorrect version number"},
        {"a scenario that does not exist", hostileScenario, "Couldn't load the saved game"},
    };
    Game& game = harness.GetGame();
    harness.SelectScreen(Game::kMainMenuScreen);
    ASSERT_EQ(g_pWorld, nullptr);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        testsupport::WriteBytes(file, c.bytes);
        const size_t boxes = harness.Reports().boxes.size();
        EXPECT_FALSE(game.LoadSlot(0));
        EXPECT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kMainMenuScreen));
        EXPECT_EQ(game.GetPendingScreen(), game.GetScreen(Game::kMainMenuScreen));
        EXPECT_EQ(g_pWorld, nullptr);
        EXPECT_FALSE(game.GetWorldScreen().IsLoadPending());
        bool reported = false;
        for (size_t i = boxes; i < harness.Reports().boxes.size(); ++i)
            reported = reported || harness.Reports().boxes[i].text.find(c.report) != std::string::npos;
        EXPECT_TRUE(reported) << c.report;
        // A fault in the header is found before the menu is left: no park is built, so nothing else reports.
        if (std::strncmp(c.report, "Couldn't load", 13) != 0)
        {
            EXPECT_EQ(harness.Reports().boxes.size(), boxes + 1);
        }
        // The menu runs on.
        EXPECT_TRUE(harness.RunFrames(2));
        EXPECT_EQ(g_pWorld, nullptr);
    }
    // The intact save still loads afterwards.
    testsupport::WriteBytes(file, good);
    EXPECT_TRUE(game.LoadSlot(0));
    ASSERT_NE(g_pWorld, nullptr);
    EXPECT_EQ(g_pWorld->GetPlayer()->Cash, saved.cash);
}

TEST_F(SaveSlotScreenTest, ALoadRequestNamingNoEntryDoesNothing)
{
    ParkFigures saved;
    SaveRunningPark(&saved);
    Game& game = harness.GetGame();
    harness.SelectScreen(Game::kMainMenuScreen);
    game.ScanSaveGames();
    ASSERT_EQ(game.GetSaveGameCount(), 1);
    game.RequestLoad(1);
    harness.RunFrames(1);
    EXPECT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kMainMenuScreen));
    EXPECT_EQ(g_pWorld, nullptr);
    EXPECT_EQ(game.GetLoadRequest(), -1);
    // The same request naming the listed entry is carried out by the next frame.
    game.ScanSaveGames();
    game.RequestLoad(0);
    harness.RunFrames(1);
    EXPECT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kWorldTestScreen));
    ASSERT_NE(g_pWorld, nullptr);
    EXPECT_EQ(g_pWorld->GetGameDay(), saved.day);
}

} // namespace

namespace
{

TEST_F(SaveSlotScreenTest, TheScanListsOnlyIntactSlotFilesNewestFirst)
{
    ParkFigures saved;
    const std::string file = SaveRunningPark(&saved);
    const std::vector<uint8_t> good = testsupport::ReadBytes(file);
    ASSERT_FALSE(good.empty());
    const std::string folder = harness.UserFolder() + "/SaveGames/";
    // Save time sits after the banner (25), the identification (23) and the version (5), behind its tag byte.
    auto withTime = [&good](uint32_t time)
    {
        std::vector<uint8_t> bytes = good;
        std::memcpy(&bytes[25 + 23 + 5 + 1], &time, 4);
        return bytes;
    };
    std::vector<uint8_t> oldVersion = good;
    const float v48 = 4.8f;
    std::memcpy(&oldVersion[25 + 23 + 1], &v48, 4);
    testsupport::WriteBytes(folder + "save0.dat", withTime(1000));
    testsupport::WriteBytes(folder + "save3.dat", withTime(3000));
    testsupport::WriteBytes(folder + "save5.dat", withTime(3000));
    testsupport::WriteBytes(folder + "save2.dat", withTime(0xF0000000u)); // past 2038: still the newest
    testsupport::WriteBytes(folder + "save7.dat", oldVersion);
    testsupport::WriteBytes(folder + "saveX.dat", withTime(5000));
    testsupport::WriteBytes(folder + "save-1.dat", withTime(5000));
    testsupport::WriteBytes(folder + "save9.dat.tmp", withTime(5000));
    testsupport::WriteBytes(folder + "save8.dat", std::vector<uint8_t>(good.begin(), good.begin() + 40));
    std::filesystem::create_directory(folder + "save6.dat");

    Game& game = harness.GetGame();
    game.ScanSaveGames();
    const int32_t expected[] = {2, 3, 5, 0};
    ASSERT_EQ(game.GetSaveGameCount(), static_cast<int32_t>(std::size(expected)));
    for (int32_t i = 0; i < game.GetSaveGameCount(); ++i)
        EXPECT_EQ(game.GetSaveGame(i)->m_iSlot, expected[i]) << "row " << i;
    EXPECT_EQ(game.FindFreeSlot(), 1);
}

} // namespace

namespace
{

// The save dialog's commands in the running park, with the save menu and its boxes from a script of the test's
// own: the confirmation opens after a save that worked and never after one that failed.
TEST_F(SaveSlotScreenTest, TheSaveCommandConfirmsOnlyASaveThatWorked)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    GUIManager& gui = *g_pGUIManager;
    const std::string script = "Font(GuiFont7)\n"
                               "DialogItem SaveGameMenu(100, 100, 600, 400, CLEAR, 40, 1)\n{\n"
                               "    ListBox(0, 30, 480, 130, 482, 30, 496, 130, SaveListBox, 16, 6)\n}\n"
                               "DialogItem SaveOverBox(200, 200, 400, 300, CLEAR, 41, 1)\n{\n}\n"
                               "DialogItem SaveOKBox(200, 200, 400, 300, CLEAR, 42, 1)\n{\n}\n";
    gui.LoadScriptText(script.data(), script.size());
    ListRows* list = gui.FindList(GUIManager::kListBoxType, "SaveListBox");
    ASSERT_NE(list, nullptr);
    const GuiCommandHandler save = ResolveGuiCommand(GetInGameCommands(), "SaveGame");
    ASSERT_NE(save, nullptr);
    Game& game = harness.GetGame();
    const std::string folder = harness.UserFolder() + "/SaveGames/";

    // The new-slot row is selected: the park goes into slot 0 and the confirmation opens.
    game.PrepareSaveMenu(false);
    ASSERT_EQ(list->GetRowCount(), 1);
    ASSERT_EQ(list->GetSelectedRows(), std::vector<int32_t>{0});
    save(0);
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "save0.dat"));
    EXPECT_TRUE(gui.IsDialogOpen("SaveOKBox"));
    gui.CloseDialog("SaveOKBox");

    // Row 1 names the save in slot 0: the command asks first.
    game.PrepareSaveMenu(false);
    ASSERT_EQ(list->GetRowCount(), 2);
    list->SetSelected(1, true);
    EXPECT_TRUE(game.IsExistingSlotSelected());
    save(0);
    EXPECT_TRUE(gui.IsDialogOpen("SaveOverBox"));
    EXPECT_FALSE(gui.IsDialogOpen("SaveOKBox"));
    gui.CloseDialog("SaveOverBox");

    // A new slot that cannot be written: a report, no confirmation, no file.
    std::filesystem::create_directory(folder + "save1.dat.tmp");
    list->SetSelected(0, true);
    const size_t boxes = harness.Reports().boxes.size();
    save(0);
    EXPECT_FALSE(gui.IsDialogOpen("SaveOKBox"));
    EXPECT_GT(harness.Reports().boxes.size(), boxes);
    EXPECT_FALSE(std::filesystem::exists(folder + "save1.dat"));
}

} // namespace

namespace
{

// The in-game load command: the park goes, the in-game load page runs its start state back to the main menu, and
// the recorded save loads into the park screen.
TEST_F(SaveSlotScreenTest, TheLoadCommandTakesThePickedSaveBackIntoThePark)
{
    ParkFigures saved;
    SaveRunningPark(&saved);
    g_pWorld->GetPlayer()->Cash = 1000000.0f;
    GUIManager& gui = *g_pGUIManager;
    const std::string script = "Font(GuiFont7)\n"
                               "DialogItem LoadGameMenu(100, 100, 600, 400, CLEAR, 40, 1)\n{\n"
                               "    ListBox(0, 30, 480, 130, 482, 30, 496, 130, LoadListBox, 16, 6)\n}\n";
    gui.LoadScriptText(script.data(), script.size());
    Game& game = harness.GetGame();
    game.PrepareSaveMenu(true);
    ListRows* list = gui.FindList(GUIManager::kListBoxType, "LoadListBox");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetSelectedRows(), std::vector<int32_t>{0});
    const GuiCommandHandler load = ResolveGuiCommand(GetInGameCommands(), "LoadGame");
    ASSERT_NE(load, nullptr);
    load(0);
    EXPECT_EQ(game.GetLoadRequest(), 0);
    bool inPark = false;
    for (int frame = 0; frame < 300 && !inPark; ++frame)
    {
        harness.RunFrames(1);
        inPark = game.GetCurrentScreen() == game.GetScreen(Game::kWorldTestScreen) && g_pWorld;
    }
    ASSERT_TRUE(inPark);
    EXPECT_EQ(game.GetLoadRequest(), -1);
    EXPECT_NEAR(g_pWorld->GetPlayer()->Cash, saved.cash, 50.0f);
    EXPECT_EQ(g_pWorld->GetGameDay(), saved.day);
}

} // namespace

namespace
{

// The save folder is found whatever the case of its letters on the disk: saving, listing and loading all use it.
TEST_F(SaveSlotScreenTest, ASaveFolderSpeltInOtherLettersIsStillTheSaveFolder)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    const std::string user = harness.UserFolder();
    std::filesystem::remove_all(user + "/SaveGames");
    std::filesystem::create_directory(user + "/savegames");
    platform::InvalidatePathCache();
    Game& game = harness.GetGame();
    ASSERT_TRUE(game.SaveToSlot(4));
    EXPECT_TRUE(std::filesystem::is_regular_file(user + "/savegames/save4.dat"));
    game.ScanSaveGames();
    ASSERT_EQ(game.GetSaveGameCount(), 1);
    EXPECT_EQ(game.GetSaveGame(0)->m_iSlot, 4);
    harness.SelectScreen(Game::kMainMenuScreen);
    EXPECT_TRUE(game.LoadSlot(4));
    EXPECT_NE(g_pWorld, nullptr);
}

} // namespace

namespace
{

// Deleting from the save and the load dialogs removes the file of the row picked and nothing else; the load
// dialog's information box shows the five lines of the picked save.
TEST_F(SaveSlotScreenTest, DeletingRemovesThePickedSaveAndTheInfoBoxShowsIt)
{
    ParkFigures saved;
    SaveRunningPark(&saved);
    Game& game = harness.GetGame();
    ASSERT_TRUE(game.SaveToSlot(1));
    ASSERT_TRUE(game.SaveToSlot(2));
    GUIManager& gui = *g_pGUIManager;
    LoadSaveAndLoadDialogs(gui);
    const std::string folder = harness.UserFolder() + "/SaveGames/";

    // The save dialog: row 0 is the new slot, rows 1 to 3 the saves; the row naming slot 1 goes.
    game.PrepareSaveMenu(false);
    ListRows* saveList = gui.FindList(GUIManager::kListBoxType, "SaveListBox");
    ASSERT_NE(saveList, nullptr);
    ASSERT_EQ(game.GetSaveGameCount(), 3);
    int32_t row = -1;
    for (int32_t i = 0; i < game.GetSaveGameCount(); ++i)
        if (game.GetSaveGame(i)->m_iSlot == 1)
            row = i + 1;
    ASSERT_GT(row, 0);
    saveList->SetSelected(row, true);
    ResolveGuiCommand(GetInGameCommands(), "DeleteSaveGameConfirm")(0);
    EXPECT_FALSE(std::filesystem::exists(folder + "save1.dat"));
    EXPECT_TRUE(std::filesystem::exists(folder + "save0.dat"));
    EXPECT_TRUE(std::filesystem::exists(folder + "save2.dat"));
    EXPECT_EQ(game.GetSaveGameCount(), 2);
    EXPECT_EQ(saveList->GetRowCount(), 3);
    EXPECT_EQ(game.FindFreeSlot(), 1);

    // The load dialog: the picked row's save fills the information box, then goes.
    game.PrepareSaveMenu(true);
    ListRows* loadList = gui.FindList(GUIManager::kListBoxType, "LoadListBox");
    ListRows* info = gui.FindList(GUIManager::kListBoxType, "LoadInfoBox");
    ASSERT_NE(loadList, nullptr);
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(loadList->GetRowCount(), 2);
    loadList->SetSelected(1, true);
    const int32_t slot = game.GetSaveGame(1)->m_iSlot;
    harness.RunFrames(1);
    ASSERT_NE(game.GetSelectedSave(), nullptr);
    EXPECT_EQ(game.GetSelectedSave()->m_iSlot, slot);
    EXPECT_EQ(info->GetRowCount(), 5);
    ResolveGuiCommand(GetInGameCommands(), "DeleteLoadGameConfirm")(0);
    EXPECT_FALSE(std::filesystem::exists(folder + "save" + std::to_string(slot) + ".dat"));
    EXPECT_EQ(game.GetSaveGameCount(), 1);
    EXPECT_EQ(loadList->GetRowCount(), 1);

    // The last save gone, the list says so on a row of its own.
    loadList->SetSelected(0, true);
    harness.RunFrames(1);
    ResolveGuiCommand(GetInGameCommands(), "DeleteLoadGameConfirm")(0);
    EXPECT_EQ(game.GetSaveGameCount(), 0);
    EXPECT_EQ(loadList->GetRowCount(), 1);
}

// Deleting a save from either dialog when its file cannot be removed (a folder has taken the file's place since the
// dialog was filled) tells the player, naming the file, and the row stays; a file that can be removed goes with
// its row and no report. The other saves stay either way.
TEST_F(SaveSlotScreenTest, ASaveThatCannotBeDeletedIsReportedByNameAndStaysListed)
{
    ParkFigures saved;
    SaveRunningPark(&saved);
    Game& game = harness.GetGame();
    GUIManager& gui = *g_pGUIManager;
    LoadSaveAndLoadDialogs(gui);
    const std::string folder = harness.UserFolder() + "/SaveGames/";
    const std::string file = folder + "save1.dat";
    const struct
    {
        const char* dialog;
        bool load;
        bool blocked;
    } cases[] = {{"save dialog", false, true},
                 {"save dialog", false, false},
                 {"load dialog", true, true},
                 {"load dialog", true, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.dialog) + (c.blocked ? ", a folder in the way" : ", a file that can go"));
        std::filesystem::remove_all(file);
        platform::InvalidatePathCache();
        ASSERT_TRUE(game.SaveToSlot(1));
        ASSERT_TRUE(game.SaveToSlot(2));
        game.PrepareSaveMenu(c.load);
        ListRows* list = gui.FindList(GUIManager::kListBoxType, c.load ? "LoadListBox" : "SaveListBox");
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(game.GetSaveGameCount(), 3);
        // The save dialog's row 0 is the new slot.
        const int32_t firstSave = c.load ? 0 : 1;
        int32_t row = -1;
        for (int32_t i = 0; i < game.GetSaveGameCount(); ++i)
            if (game.GetSaveGame(i)->m_iSlot == 1)
                row = firstSave + i;
        ASSERT_GE(row, firstSave);
        list->SetSelected(row, true);
        if (c.blocked)
        {
            ASSERT_TRUE(std::filesystem::remove(file));
            ASSERT_TRUE(std::filesystem::create_directory(file));
            platform::InvalidatePathCache();
        }
        harness.Reports().boxes.clear();
        ResolveGuiCommand(GetInGameCommands(), c.load ? "DeleteLoadGameConfirm" : "DeleteSaveGameConfirm")(0);

        std::vector<std::string> reports;
        for (const auto& box : harness.Reports().boxes)
            reports.push_back(box.text);
        std::vector<int32_t> slots;
        for (int32_t i = 0; i < game.GetSaveGameCount(); ++i)
            slots.push_back(game.GetSaveGame(i)->m_iSlot);
        std::sort(slots.begin(), slots.end());
        EXPECT_TRUE(std::filesystem::is_regular_file(folder + "save0.dat"));
        EXPECT_TRUE(std::filesystem::is_regular_file(folder + "save2.dat"));
        if (c.blocked)
        {
            EXPECT_EQ(reports, std::vector<std::string>{"Couldn't delete the saved game " + file});
            EXPECT_TRUE(std::filesystem::is_directory(file));
            EXPECT_EQ(slots, (std::vector<int32_t>{0, 1, 2}));
            EXPECT_EQ(list->GetRowCount(), firstSave + 3);
        }
        else
        {
            EXPECT_EQ(reports, std::vector<std::string>{});
            EXPECT_FALSE(std::filesystem::exists(file));
            EXPECT_EQ(slots, (std::vector<int32_t>{0, 2}));
            EXPECT_EQ(list->GetRowCount(), firstSave + 2);
        }
    }
}

} // namespace

namespace
{

// The sample data's own save dialog, opened as its button opens it: its rows show their texts (the new-slot row and
// the saved park's name, day and cash), drawn in the list's text colour on the dialog's sand panel.
TEST_F(SaveSlotScreenTest, TheSampleSaveDialogShowsTheTextsOfItsRows)
{
    ParkFigures figures;
    ASSERT_FALSE(SaveRunningPark(&figures).empty());
    g_pGUIManager->ToggleSaveGameMenu();
    ASSERT_TRUE(g_pGUIManager->IsDialogOpen("SaveGameMenu"));
    ListRows* list = g_pGUIManager->FindList(GUIManager::kListBoxType, "SaveListBox");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetRowCount(), 2);
    // The dialog stands at (100, 110), its list at (10, 30) in it, sixteen pixels a row; the text is told from the
    // scene behind the dialog on the selected row's bar.
    constexpr uint32_t kRowText = 0x6D6850;
    const auto textIn = [&](int row)
    {
        harness.RunFrames(2);
        const gametest::Frame frame = harness.Screenshot();
        GameHarness::Keep(frame, "save-dialog-row-" + std::to_string(row));
        int count = 0;
        for (int y = 140 + 16 * row; y < 156 + 16 * row; ++y)
            for (int x = 110; x < 640; ++x)
                count += gametest::IsShadeOf(frame.At(x, y), kRowText) ? 1 : 0;
        return count;
    };
    EXPECT_GT(textIn(0), 20) << "the new-slot row shows no text";
    // Beside the list, the panel itself: its sand, not the park behind the dialog.
    const uint32_t panel = harness.Screenshot().At(680, 200);
    EXPECT_TRUE(gametest::NearRgb(panel, 0xF2E6C8, 8)) << std::hex << panel;
    list->SetSelected(1, true);
    ASSERT_EQ(list->GetSelectedRows(), std::vector<int32_t>{1});
    EXPECT_GT(textIn(1), 20) << "the saved park's row shows no text";
}

} // namespace

namespace
{

// The save dialog's new-slot row with the player's own files in the save folder that the list does not show: a save
// of another version, a cut one, a folder. The new save goes to a name nothing has, and the files stay as they were.
TEST_F(SaveSlotScreenTest, ANewSlotNeverTakesTheNameOfAFileAlreadyThere)
{
    ParkFigures saved;
    const std::string file = SaveRunningPark(&saved);
    const std::vector<uint8_t> good = testsupport::ReadBytes(file);
    ASSERT_GT(good.size(), 100u);
    const std::string folder = harness.UserFolder() + "/SaveGames/";
    std::vector<uint8_t> oldVersion = good;
    const float v48 = 4.8f;
    std::memcpy(&oldVersion[25 + 23 + 1], &v48, 4);
    const std::vector<uint8_t> cut(good.begin(), good.begin() + 40);
    testsupport::WriteBytes(folder + "save0.dat", oldVersion);
    testsupport::WriteBytes(folder + "SAVE1.DAT", cut);
    std::filesystem::create_directory(folder + "save2.dat");
    platform::InvalidatePathCache();

    GUIManager& gui = *g_pGUIManager;
    const std::string script = "Font(GuiFont7)\n"
                               "DialogItem SaveGameMenu(100, 100, 600, 400, CLEAR, 40, 1)\n{\n"
                               "    ListBox(0, 30, 480, 130, 482, 30, 496, 130, SaveListBox, 16, 6)\n}\n"
                               "DialogItem SaveOKBox(200, 200, 400, 300, CLEAR, 42, 1)\n{\n}\n";
    gui.LoadScriptText(script.data(), script.size());
    Game& game = harness.GetGame();
    game.PrepareSaveMenu(false);
    ListRows* list = gui.FindList(GUIManager::kListBoxType, "SaveListBox");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(game.GetSaveGameCount(), 0);
    ASSERT_EQ(list->GetSelectedRows(), std::vector<int32_t>{0});
    ResolveGuiCommand(GetInGameCommands(), "SaveGame")(0);

    EXPECT_EQ(testsupport::ReadBytes(folder + "save0.dat"), oldVersion);
    EXPECT_EQ(testsupport::ReadBytes(folder + "SAVE1.DAT"), cut);
    EXPECT_TRUE(std::filesystem::is_directory(folder + "save2.dat"));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "save3.dat"));
    EXPECT_TRUE(gui.IsDialogOpen("SaveOKBox"));
    game.ScanSaveGames();
    ASSERT_EQ(game.GetSaveGameCount(), 1);
    EXPECT_EQ(game.GetSaveGame(0)->m_iSlot, 3);
}

// Files whose names only look like another slot's ("save05.dat", the same name in other letters beside it) are not
// rows of the lists: a row's load, overwrite and delete go to the one file its slot names, never to another save.
TEST_F(SaveSlotScreenTest, EveryListedRowIsTheFileItsSlotNames)
{
    ParkFigures saved;
    const std::string file = SaveRunningPark(&saved);
    const std::vector<uint8_t> good = testsupport::ReadBytes(file);
    ASSERT_GT(good.size(), 100u);
    const std::string folder = harness.UserFolder() + "/SaveGames/";
    auto withTime = [&good](uint32_t time)
    {
        std::vector<uint8_t> bytes = good;
        std::memcpy(&bytes[25 + 23 + 5 + 1], &time, 4);
        return bytes;
    };
    std::filesystem::remove(file);
    testsupport::WriteBytes(folder + "save5.dat", withTime(1000));
    testsupport::WriteBytes(folder + "save05.dat", withTime(2000));
    testsupport::WriteBytes(folder + "SAVE5.DAT", withTime(3000));
    testsupport::WriteBytes(folder + "save007.dat", withTime(4000));
    testsupport::WriteBytes(folder + "Save9.dat", withTime(5000));
    platform::InvalidatePathCache();

    GUIManager& gui = *g_pGUIManager;
    const std::string script = "Font(GuiFont7)\n"
                               "DialogItem SaveGameMenu(100, 100, 600, 400, CLEAR, 40, 1)\n{\n"
                               "    ListBox(0, 30, 480, 130, 482, 30, 496, 130, SaveListBox, 16, 6)\n}\n";
    gui.LoadScriptText(script.data(), script.size());
    Game& game = harness.GetGame();
    game.PrepareSaveMenu(false);
    // save5.dat (time 1000) and Save9.dat (time 5000, the only spelling of slot 9), newest first.
    ASSERT_EQ(game.GetSaveGameCount(), 2);
    EXPECT_EQ(game.GetSaveGame(0)->m_iSlot, 9);
    EXPECT_EQ(game.GetSaveGame(0)->m_iSaveTime, 5000);
    EXPECT_EQ(game.GetSaveGame(1)->m_iSlot, 5);
    EXPECT_EQ(game.GetSaveGame(1)->m_iSaveTime, 1000);

    // Deleting the row of slot 5 removes save5.dat and nothing else.
    ListRows* list = gui.FindList(GUIManager::kListBoxType, "SaveListBox");
    ASSERT_NE(list, nullptr);
    list->SetSelected(2, true);
    ResolveGuiCommand(GetInGameCommands(), "DeleteSaveGameConfirm")(0);
    EXPECT_FALSE(std::filesystem::exists(folder + "save5.dat"));
    EXPECT_EQ(testsupport::ReadBytes(folder + "save05.dat"), withTime(2000));
    EXPECT_EQ(testsupport::ReadBytes(folder + "SAVE5.DAT"), withTime(3000));
    EXPECT_EQ(testsupport::ReadBytes(folder + "save007.dat"), withTime(4000));
    EXPECT_EQ(testsupport::ReadBytes(folder + "Save9.dat"), withTime(5000));
}

} // namespace
