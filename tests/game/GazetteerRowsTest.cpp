// Tests of the gazetteer's animal list: its rows in the gazetteer's order, and choosing an animal by its number.
#include "game/GazetteerRows.h"
#include "gui/GUIManager.h"
#include "gui/GazetteerList.h"
#include "gui/ListBox.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

const char* const kScript = "DialogItem Gazetteer(0, 0, 400, 300, NONE, 1, 0)\n{\n"
                            "ListBox(10, 10, 330, 250, 332, 10, 346, 250, GazetteerListBox, 15, 10)\n}\n";

class GazetteerRowsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gui = std::make_unique<GUIManager>(nullptr);
        gui->LoadScriptText(kScript, std::strlen(kScript));
        gui->GetGazetteerList().SetSource(&rows);
        list = dynamic_cast<ListBox*>(gui->FindItem(GUIManager::kListBoxType, "GazetteerListBox"));
        ASSERT_NE(list, nullptr);
    }
    testsupport::RecordingReportSink sink;
    GazetteerRows rows{nullptr};
    std::unique_ptr<GUIManager> gui;
    ListBox* list = nullptr;
};

TEST_F(GazetteerRowsTest, RowsFollowTheGazetteersOrderAndTheFirstIsChosen)
{
    gui->GetGazetteerList().Enable(true);
    EXPECT_EQ(list->GetRowCount(), 16);
    EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{0});
    // Animals 14 and 15 stand after 3 and after 10.
    const int32_t order[] = {0, 1, 2, 3, 14, 4, 5, 6, 7, 8, 9, 10, 15, 11, 12, 13};
    for (int32_t row = 0; row < 16; ++row)
    {
        EXPECT_EQ(rows.AnimalForRow(row), order[row]);
        EXPECT_EQ(rows.RowForAnimal(order[row]), row);
    }
    EXPECT_EQ(rows.AnimalForRow(16), 0);
    EXPECT_EQ(rows.RowForAnimal(16), -1);
}

TEST_F(GazetteerRowsTest, ChoosingAnAnimalSelectsItsRowAndNamesItInSlot13)
{
    const struct
    {
        int32_t animal, row, slot;
    } cases[] = {{14, 4, 14}, {15, 12, 15}, {3, 3, 3}, {13, 15, 13}, {99, 0, 0}, {-1, 0, 0}};
    GazetteerList& gazetteer = gui->GetGazetteerList();
    gazetteer.Enable(true);
    for (const auto& c : cases)
    {
        gazetteer.SelectAnimal(c.animal);
        EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{c.row}) << c.animal;
        EXPECT_EQ(gui->GetSelection(GazetteerList::kSelectionSlot), c.slot) << c.animal;
        gazetteer.Update(); // the list's own selection names the same animal
        EXPECT_EQ(gui->GetSelection(GazetteerList::kSelectionSlot), c.slot) << c.animal;
    }
    // A disabled gazetteer leaves both alone.
    gazetteer.Enable(false);
    gazetteer.SelectAnimal(5);
    EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{0});
    EXPECT_EQ(gui->GetSelection(GazetteerList::kSelectionSlot), 0);
}

} // namespace
