// Tests of the data-bound panels in the running program: in the sample guest park the object browser lists the
// park's guests live, its texts show the park's cash and guest count, and the build panel offers the park's buildings
// with their counts.
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "gui/ImageList.h"
#include "gui/ObjectBrowser.h"
#include "gui/PanelData.h"
#include "gui/VariableWidgets.h"
#include "scripts/WorldParams.h"
#include "tests/game/GameHarness.h"
#include "world/BaseObject.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace
{

using gametest::Frame;
using gametest::GameHarness;

template <typename W> W* Find(GUIManager& gui, int32_t type)
{
    for (const auto& item : gui.GetItems())
        if (item->GetType() == type)
            return static_cast<W*>(item.get());
    return nullptr;
}

TEST(PanelsInGame, TheObjectBrowserListsTheGuestsAndTheBuildPanelTheBuildings)
{
    GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    const std::filesystem::path scenario = harness.DataFolder() + "/data/Scenario/Scenario2";
    std::filesystem::create_directories(scenario);
    std::filesystem::copy_file(harness.DataFolder() + "/data/Scenario/GuestPark/GuestPark.pis",
                               scenario / "Scenario2.pis", std::filesystem::copy_options::overwrite_existing);
    harness.EnterPark(1);
    ASSERT_NE(g_pWorld, nullptr);
    g_pWorld->SetGameSpeedLevel(2);
    harness.RunFrames(240);
    GUIManager& gui = harness.GetGame().GetGUIManager();
    ASSERT_TRUE(gui.OpenDialog("ObjectBrowser", nullptr));
    harness.RunFrames(3);
    Table* table = nullptr;
    for (const auto& item : gui.GetItems())
        if (item->GetType() == WT_TABLE && static_cast<Table*>(item.get())->GetSource() == 0)
            table = static_cast<Table*>(item.get());
    ASSERT_NE(table, nullptr);
    // Every guest of the pool not on its way out is a row, in the happiness order of the default filter.
    const auto count = []
    {
        size_t n = 0;
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            n += object->IsWaitingForDeath() ? 0 : 1;
        return n;
    };
    const size_t guests = count();
    ASSERT_GE(guests, 4u);
    EXPECT_EQ(table->GetRowIds().size(), guests);
    EXPECT_EQ(gui.GetSelection(6), static_cast<int32_t>(guests));
    for (uint32_t id : table->GetRowIds())
        EXPECT_NE(g_pObjectManager->GetObject(id), nullptr);
    // The object browser's texts show the park's own figures: its cash, and its guest count on the guests page.
    const Widget* browserDialog = gui.FindItem(WT_DIALOG, "ObjectBrowser");
    ASSERT_NE(browserDialog, nullptr);
    const auto written = [&](const char* name)
    {
        for (const auto& item : gui.GetItems())
            if (item->GetType() == WT_VARIABLE && item->GetDialogIndex() == browserDialog->GetDialogIndex() &&
                std::string(item->GetName()) == name)
            {
                platform::WString text;
                uint32_t colour = 0;
                int32_t indent = 0;
                EXPECT_TRUE(static_cast<Variable*>(item.get())->Compose(text, &colour, &indent)) << name;
                return std::string(text.begin(), text.end());
            }
        ADD_FAILURE() << name << " is not in the browser";
        return std::string();
    };
    EXPECT_EQ(written("OB_GUEST_NUM"), "Guests: " + std::to_string(guests));
    char money[32];
    std::snprintf(money, sizeof money, "$%.f", static_cast<double>(g_pWorld->GetPlayer()->Cash));
    EXPECT_EQ(written("PlayerMoney$"), money);

    // The rows follow the park: more guests come in, and a refill (at most 4 s on, here at once) lists them too.
    harness.RunFrames(240);
    table->Refresh();
    EXPECT_EQ(table->GetRowIds().size(), count());
    EXPECT_GT(table->GetRowIds().size(), guests);
    harness.RunFrames(1);
    const Frame browser = harness.Screenshot();
    GameHarness::Keep(browser, "object-browser");
    ASSERT_EQ(browser.pixels.size(), 800u * 600u);
    // The selected row's highlight (#1ADB7B) shows at the right of its name cell (the table at 28, 162 on the
    // screen, rows 20 high).
    ASSERT_GE(table->GetSelectedRow(), 0);
    const int32_t y = 162 + 20 * (table->GetSelectedRow() - table->GetTopRow()) + 10;
    const uint32_t highlight = browser.At(225, y);
    EXPECT_EQ(highlight & 0xF0F0F0, 0x10D070u) << std::hex << highlight;

    // The build panel: the food list offers the park's cafe type with the number of cafes standing.
    gui.CloseAllDialogs();
    gui.OpenBuildPanel();
    harness.RunFrames(3);
    ImageList* food = nullptr;
    for (const auto& item : gui.GetItems())
        if (item->GetType() == WT_IMAGELIST && static_cast<ImageList*>(item.get())->GetKind() == 1)
            food = static_cast<ImageList*>(item.get());
    ASSERT_NE(food, nullptr);
    const auto cafe = std::find_if(food->GetEntries().begin(), food->GetEntries().end(),
                                   [](const BuildThumb& e) { return e.name == "FAN_CAFE"; });
    ASSERT_NE(cafe, food->GetEntries().end());
    const size_t cafes = g_pObjectManager->GetBuildingsByName("CAFE").size();
    ASSERT_GE(cafes, 1u);
    EXPECT_TRUE(cafe->showCount);
    EXPECT_EQ(std::string(cafe->count.begin(), cafe->count.end()), std::to_string(cafes));
    // Choosing a thumbnail puts its building record in selection slot 0.
    food->Select(static_cast<int32_t>(cafe - food->GetEntries().begin()));
    EXPECT_EQ(gui.GetSelection(0), cafe->item);
    EXPECT_EQ(food->GetThumbs().size(), food->GetEntries().size());
    harness.RunFrames(1);
    GameHarness::Keep(harness.Screenshot(), "build-panel");

    // The panels read every building record of the park's tables, and none past them.
    PanelData* panelData = harness.GetGame().GetPanelData();
    ASSERT_NE(panelData, nullptr);
    const int32_t records = static_cast<int32_t>(g_pWorldParams->GetBuildingCount());
    ASSERT_EQ(panelData->GetBuildingRecordCount(), records);
    BuildRecord record;
    for (int32_t i = 0; i < records; ++i)
    {
        ASSERT_TRUE(panelData->GetBuildingRecord(i, &record)) << i;
        EXPECT_EQ(record.keyword, g_pWorldParams->GetBuildingInfo(i).keyword) << i;
    }
    EXPECT_FALSE(panelData->GetBuildingRecord(-1, &record));
    EXPECT_FALSE(panelData->GetBuildingRecord(records, &record));
    SceneryRecord scenery;
    const int32_t sceneryCount = static_cast<int32_t>(g_pWorldParams->GetSceneryCount());
    ASSERT_GT(sceneryCount, 0);
    EXPECT_TRUE(panelData->GetSceneryRecord(0, &scenery));
    EXPECT_EQ(scenery.keyword, g_pWorldParams->GetSceneryInfo(0).keyword);
    EXPECT_FALSE(panelData->GetSceneryRecord(sceneryCount, &scenery));
    // Objective states only within the scenario's objectives.
    EXPECT_EQ(panelData->GetObjectiveState(g_pWorld->m_iObjectiveCount), -1);
    EXPECT_EQ(panelData->GetObjectiveState(-1), -1);
}

} // namespace
