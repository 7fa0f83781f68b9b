// The game's side of the park's GUI over a GUI manager with a script of its own: the lists of rows the park fills
// are the scroll groups of the open dialogs first, their selection held within their rows; dialogs, selection slots
// and the tool mode requested go to the GUI manager.
#include "game/GameParkGui.h"

#include "gui/GUIManager.h"
#include "gui/ScrollGroup.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace
{

// A row of one text of its own, `height` pixels high.
PanelRow Row(int32_t height)
{
    PanelRow row;
    row.rect[2] = 200, row.rect[3] = height;
    PanelItem text;
    text.rect[2] = 200, text.rect[3] = height;
    text.text = u"row";
    row.items.push_back(text);
    return row;
}

class GameParkGuiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Two dialogs with a list of the same name: the first only in the first, each with a position of its own.
        const std::string script = "DialogItem First(0, 0, 300, 300, NONE, 1, 0)\n{\n"
                                   "ScrollGroup(0, 0, 200, 100, Moves)\n}\n"
                                   "DialogItem Second(0, 0, 300, 300, NONE, 2, 0)\n{\n"
                                   "ScrollGroup(0, 0, 200, 100, Moves)\n}\n";
        gui.LoadScriptText(script.data(), script.size());
    }

    testsupport::RecordingReportSink reports;
    GUIManager gui{nullptr};
    GameParkGui park{gui};
};

TEST_F(GameParkGuiTest, AListIsTheOneOfAnOpenDialogBeforeTheFirstLoaded)
{
    ScrollGroup* loaded = park.FindScrollGroup("Moves");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(park.FindRowList("NoSuchList"), nullptr);
    park.OpenDialog("Second", nullptr);
    ASSERT_TRUE(gui.IsDialogOpen("Second"));
    ScrollGroup* open = park.FindScrollGroup("Moves");
    ASSERT_NE(open, nullptr);
    EXPECT_NE(open, loaded);
    PanelRowList* list = park.FindRowList("Moves");
    ASSERT_NE(list, nullptr);
    list->AddRow(Row(20));
    EXPECT_EQ(open->GetItemCount(), 1);
    EXPECT_EQ(loaded->GetItemCount(), 0);
    EXPECT_TRUE(park.CloseDialog("Second"));
    EXPECT_FALSE(park.CloseDialog("Second"));
}

TEST_F(GameParkGuiTest, SelectionIsHeldWithinTheRowsAndNoneInAnEmptyList)
{
    park.OpenDialog("First", nullptr);
    PanelRowList* list = park.FindRowList("Moves");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetRowCount(), 0);
    list->SelectItem(0);
    EXPECT_EQ(list->GetSelectedItem(), -1);
    for (int i = 0; i < 3; ++i)
        list->AddRow(Row(20));
    EXPECT_EQ(list->GetRowCount(), 3);
    struct Case
    {
        int32_t asked;
        int32_t selected;
    };
    for (const Case c : {Case{1, 1}, Case{7, 2}, Case{-4, 0}, Case{2, 2}})
    {
        list->SelectItem(c.asked);
        EXPECT_EQ(list->GetSelectedItem(), c.selected) << c.asked;
    }
    list->Clear();
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_EQ(list->GetSelectedItem(), -1);
}

TEST_F(GameParkGuiTest, SelectionSlotsAndTheModeGoToTheGuiManager)
{
    park.SetSelection(15, 4321);
    EXPECT_EQ(gui.GetSelection(15), 4321);
    gui.SetSelection(16, 7);
    EXPECT_EQ(park.GetSelection(16), 7);
    park.SetMode(11);
    EXPECT_EQ(gui.GetRequestedMode(), 11);
}

// The park's messages run along the band as many times as their display time has whole units: the feedback's
// usual two, one when many wait; a time below one, or no number, still shows the message once, and a huge one is
// held to the most passes.
TEST_F(GameParkGuiTest, AMessageRunsAlongTheBandOnceForEachWholeUnitOfItsDisplayTime)
{
    struct Case
    {
        float displayTime;
        int32_t passes;
    };
    const Case cases[] = {{2.0f, 2},
                          {1.0f, 1},
                          {3.75f, 3},
                          {0.5f, 1},
                          {0.0f, 1},
                          {-2.0f, 1},
                          {std::numeric_limits<float>::quiet_NaN(), 1},
                          {1e30f, GameParkGui::kMostPasses},
                          {std::numeric_limits<float>::infinity(), GameParkGui::kMostPasses}};
    for (const Case& c : cases)
    {
        park.ShowMessageText(u"The kiosk has opened", c.displayTime);
        EXPECT_TRUE(gui.IsMessageShowing());
        EXPECT_EQ(gui.GetMessageBandState().GetPasses(), c.passes) << c.displayTime;
        park.ShowMessage("NO_SUCH_TEXT", c.displayTime);
        EXPECT_EQ(gui.GetMessageBandState().GetPasses(), c.passes) << c.displayTime;
    }
}

} // namespace
