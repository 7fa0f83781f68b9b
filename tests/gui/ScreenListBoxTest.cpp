// Tests of the front-end list box: rows shown on taller displays, the selection, double-clicks and the scroll bar.
#include "gui/ScreenListBox.h"
#include "gui/ScrollBar.h"
#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

namespace
{

TEST(ScreenListBoxRowsTest, TallerDisplaysShowTheRowsTheirExtraHeightHolds)
{
    // (script rows, list height, row height, display height, rows shown): the extra rows are the page height
    // scaled to the display, less the page height, in whole rows.
    const struct
    {
        int32_t rows, height, rowHeight, display, shown;
    } cases[] = {
        {8, 120, 15, 600, 8},  {8, 120, 15, 768, 10}, // 153 - 120 = 33 pixels: two more rows
        {8, 120, 15, 1200, 16}, {5, 100, 20, 720, 6},  // 120 - 100 = 20: one more
        {8, 120, 15, 480, 8},                           // a shorter display never shows fewer rows than asked
        {8, 120, 0, 768, 41},                           // a row height of 0 counts as 1 and does not divide by 0
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScreenListBox::VisibleRowsFor(c.rows, c.height, c.rowHeight, c.display), c.shown)
            << c.display << " " << c.rowHeight;
}

// A list at (100, 100) of 300 x 120 page pixels, rows 15 high, 8 shown.
class ScreenListBoxTest : public guitest::GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        list = std::make_unique<ScreenListBox>(GuiRect{100, 100, 400, 220}, "List", 15, 8);
        list->SetRelativeSize(300.0f / 800.0f, 120.0f / 600.0f);
        list->SetActive(true);
    }
    void AddRows(int n)
    {
        for (int i = 0; i < n; ++i)
            list->AddTextItem(list->GetRowCount(), 0, 200, 15, 2, 1, 0, u"row", true);
    }
    // A press at page pixel (x, y).
    bool Press(int32_t x, int32_t y, int32_t event = ME_PRESSED)
    {
        return list->OnScreenMouse(static_cast<float>(x) / 800.0f, static_cast<float>(y) / 600.0f, event);
    }
    std::unique_ptr<ScreenListBox> list;
};

TEST_F(ScreenListBoxTest, PressesPickTheRowUnderThemAndBelowTheLastTheLastRow)
{
    AddRows(5);
    const struct
    {
        int32_t y, row;
    } cases[] = {{100, 0}, {114, 0}, {115, 1}, {160, 4}, {219, 4}};
    for (const auto& c : cases)
    {
        list->Update(1.0f); // no double-click between the cases
        EXPECT_TRUE(Press(150, c.y)) << c.y;
        ASSERT_EQ(list->GetSelectedRows().size(), 1u);
        EXPECT_EQ(list->GetSelectedRows()[0], c.row) << c.y;
    }
    // Outside the list, nothing changes.
    EXPECT_FALSE(Press(90, 130));
    EXPECT_FALSE(Press(150, 240));
    EXPECT_EQ(list->GetSelectedRows()[0], 4);
}

TEST_F(ScreenListBoxTest, DoubleClickNeedsASecondPressWithinAQuarterSecond)
{
    AddRows(3);
    const struct
    {
        float gap;
        bool twice;
    } cases[] = {{0.2f, true}, {0.24f, true}, {0.3f, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.gap);
        list->OnMouse(0, 0, ME_NONE); // clears any pending click
        Press(150, 110);
        EXPECT_FALSE(list->WasDoubleClicked());
        list->Update(c.gap);
        Press(150, 110);
        EXPECT_EQ(list->WasDoubleClicked(), c.twice);
        if (!c.twice)
        {
            // The first click stays pending: a third press soon after still reports nothing.
            EXPECT_TRUE(list->IsClickPending());
            list->Update(0.05f);
            Press(150, 110);
            EXPECT_FALSE(list->WasDoubleClicked());
        }
    }
    // Any other event between the presses clears the pending click.
    list->OnMouse(0, 0, ME_NONE);
    Press(150, 110);
    list->Update(0.1f);
    Press(150, 110, ME_HELD);
    Press(150, 110);
    EXPECT_FALSE(list->WasDoubleClicked());
}

TEST_F(ScreenListBoxTest, ControlPressSelectsButNeverMakesADoubleClick)
{
    AddRows(3);
    Frame(0, -1, -1, 0, 0);
    gui->Update(0.0f, GuiMouse{-1, -1, 0, 0, 0, true}); // control held from here
    Press(150, 130);
    EXPECT_EQ(list->GetSelectedRows()[0], 2);
    EXPECT_FALSE(list->IsClickPending());
    list->Update(0.1f);
    Press(150, 130);
    EXPECT_FALSE(list->WasDoubleClicked());
}

TEST_F(ScreenListBoxTest, TheNinthRowBringsTheScrollBarAndClearingTakesItAway)
{
    AddRows(8);
    EXPECT_EQ(list->GetScrollBar(), nullptr);
    EXPECT_EQ(list->GetShownRows(), 8);
    AddRows(1);
    ASSERT_NE(list->GetScrollBar(), nullptr);
    EXPECT_EQ(list->GetScrollBar()->GetCount(), 9u);
    EXPECT_EQ(list->GetScrollBar()->GetRect().left, 400);
    EXPECT_EQ(list->GetScrollBar()->GetRect().right, 414);
    AddRows(2);
    EXPECT_EQ(list->GetScrollBar()->GetCount(), 11u);
    list->SetSelected(3, true);
    list->ClearRows();
    EXPECT_EQ(list->GetScrollBar(), nullptr);
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_TRUE(list->GetSelectedRows().empty());
}

TEST_F(ScreenListBoxTest, AnEmptyOrUnselectableListTakesNoSelection)
{
    list->SetSelected(2, true);
    EXPECT_TRUE(list->GetSelectedRows().empty());
    EXPECT_TRUE(Press(150, 110)); // taken, but nothing to select
    EXPECT_TRUE(list->GetSelectedRows().empty());
    AddRows(2);
    list->SetSelectable(false);
    EXPECT_FALSE(Press(150, 110));
    EXPECT_TRUE(list->GetSelectedRows().empty());
    list->SetSelectable(true);
    list->SetSelected(7, true); // lowered to the last row
    EXPECT_EQ(list->GetSelectedRows()[0], 1);
}

TEST_F(ScreenListBoxTest, AListShownOnAnotherScreenIgnoresThePointerWhileHidden)
{
    AddRows(2);
    list->SetActive(false);
    EXPECT_FALSE(Press(150, 110));
    EXPECT_TRUE(list->GetSelectedRows().empty());
}

} // namespace
