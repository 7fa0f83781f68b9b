// Tests of the front-end list box: rows shown on taller displays, the selection, double-clicks and the scroll bar.
#include "gui/ScreenListBox.h"
#include "gui/Image.h"
#include "gui/ScrollBar.h"
#include "gui/Sprite.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <utility>

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
        {8, 120, 15, 600, 8},   {8, 120, 15, 768, 10}, // 153 - 120 = 33 pixels: two more rows
        {8, 120, 15, 1200, 16}, {5, 100, 20, 720, 6},  // 120 - 100 = 20: one more
        {8, 120, 15, 480, 8},                          // a shorter display never shows fewer rows than asked
        {8, 120, 0, 768, 41},                          // a row height of 0 counts as 1 and does not divide by 0
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

// Only a press on the list's page rectangle, its edges included, picks a row: one beside the list on any side
// leaves the selection alone and is not taken.
TEST_F(ScreenListBoxTest, OnlyPressesOnThePageRectanglePickARow)
{
    AddRows(5);
    const struct
    {
        const char* what;
        int32_t x, y;
        bool taken;
    } cases[] = {
        {"left of it", 90, 130, false},       {"right of it", 420, 130, false},
        {"above it", 150, 90, false},         {"below it", 150, 240, false},
        {"on its left edge", 100, 130, true}, {"on its right edge", 400, 130, true},
        {"on its top edge", 150, 100, true},
    };
    constexpr int32_t kTop = 100, kRowHeight = 15, kLastRow = 4;
    for (const auto& c : cases)
    {
        list->Update(1.0f);
        ASSERT_TRUE(Press(150, 219)); // the last row
        list->Update(1.0f);
        EXPECT_EQ(Press(c.x, c.y), c.taken) << c.what;
        ASSERT_EQ(list->GetSelectedRows().size(), 1u) << c.what;
        EXPECT_EQ(list->GetSelectedRows()[0], c.taken ? (c.y - kTop) / kRowHeight : kLastRow) << c.what;
    }
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

// Cells stand in the list's own rectangle: (100, 100) plus the x offset across and row height x row down.
TEST_F(ScreenListBoxTest, CellsStandInTheListsRectangleRowByRow)
{
    list->AddTextItem(0, 0, 200, 15, 2, 1, 0, u"first", true);
    list->AddTextItem(1, 20, 150, 15, 2, 1, 0, u"second", false);
    list->AddImageItem(1, 170, "missing_sprite");
    list->AddTextItem(1, 230, 60, 15, 2, 1, 0, u"third", true);
    const struct
    {
        int32_t left, top, right, bottom; // right and bottom: -1 for a picture, whose size is its sprite's
    } expected[] = {
        {100, 100, 300, 115},
        {120, 115, 270, 130},
        {270, 115, -1, -1},
        {330, 115, 390, 130},
    };
    const auto& cells = list->GetCells();
    ASSERT_EQ(cells.size(), std::size(expected));
    EXPECT_EQ(list->GetRowCount(), 2);
    for (size_t i = 0; i < cells.size(); ++i)
    {
        const GuiRect& r = cells[i].widget->GetRect();
        EXPECT_EQ(r.left, expected[i].left) << i;
        EXPECT_EQ(r.top, expected[i].top) << i;
        if (expected[i].right >= 0)
        {
            EXPECT_EQ(r.right, expected[i].right) << i;
            EXPECT_EQ(r.bottom, expected[i].bottom) << i;
        }
    }
    // A picture stands still on its first frame, whatever its sprite's animation.
    const Sprite* picture = static_cast<const Image&>(*cells[2].widget).GetSprite();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(std::pair(picture->GetPlayMode(), picture->GetFrame()), std::pair(int32_t{Sprite::PLAY_MANUAL}, 0));
}

// Moves and repositions carry the list, its cells and its scroll bar together; the offsets sum the moves and a
// reposition sets them.
TEST_F(ScreenListBoxTest, MovesAndRepositionsCarryTheCellsAndTheScrollBar)
{
    AddRows(9); // the ninth row brings the scroll bar, from x = 400
    ASSERT_NE(list->GetScrollBar(), nullptr);
    const struct
    {
        bool reposition;
        int32_t dx, dy;
        int32_t offsetX, offsetY; // where the list now stands against its home (100, 100)
    } steps[] = {
        {false, 5, 7, 5, 7},   {false, -2, 3, 3, 10}, {true, 20, -10, 20, -10},
        {false, 1, 1, 21, -9}, {true, 0, 0, 0, 0},    {true, -30, 40, -30, 40},
    };
    for (const auto& s : steps)
    {
        if (s.reposition)
            list->Reposition(s.dx, s.dy);
        else
            list->Move(s.dx, s.dy);
        EXPECT_EQ(list->GetOffsetX(), s.offsetX);
        EXPECT_EQ(list->GetOffsetY(), s.offsetY);
        EXPECT_EQ(list->GetRect().left, 100 + s.offsetX);
        EXPECT_EQ(list->GetRect().top, 100 + s.offsetY);
        EXPECT_EQ(list->GetScrollBar()->GetRect().left, 400 + s.offsetX);
        EXPECT_EQ(list->GetScrollBar()->GetRect().top, 100 + s.offsetY);
        for (const auto& cell : list->GetCells())
        {
            EXPECT_EQ(cell.widget->GetRect().left, 100 + s.offsetX) << cell.row;
            EXPECT_EQ(cell.widget->GetRect().top, 100 + 15 * cell.row + s.offsetY) << cell.row;
        }
    }
}

TEST_F(ScreenListBoxTest, MarkingTheListDirtyMarksEveryCell)
{
    list->AddImageItem(0, 0, "missing_sprite");
    list->AddImageItem(0, 40, "missing_sprite");
    for (const auto& cell : list->GetCells())
    {
        cell.widget->DrawCached(); // drawn: no longer dirty
        ASSERT_FALSE(cell.widget->IsDirty());
    }
    list->SetDirty();
    EXPECT_TRUE(list->IsDirty());
    for (const auto& cell : list->GetCells())
        EXPECT_TRUE(cell.widget->IsDirty());
}

// Scrolling puts the cells of the rows now shown one under the other from the list's top.
TEST_F(ScreenListBoxTest, ScrollingLaysTheShownRowsOutFromTheTop)
{
    AddRows(12);
    ASSERT_NE(list->GetScrollBar(), nullptr);
    list->Move(10, 20);
    for (uint32_t first : {3u, 1u, 4u})
    {
        list->GetScrollBar()->SetFirst(first);
        list->Update(0.01f);
        ASSERT_EQ(list->GetFirstRow(), static_cast<int32_t>(first));
        for (const auto& cell : list->GetCells())
        {
            const int32_t shownAt = cell.row - static_cast<int32_t>(first);
            if (shownAt >= 0 && shownAt < 8)
            {
                EXPECT_EQ(cell.widget->GetRect().top, 120 + 15 * shownAt) << first << " " << cell.row;
            }
        }
    }
}

// The list's scroll bar with its arrow pictures (14 pixels square): pressing an arrow scrolls the rows, because the
// list runs its bar every frame and follows the bar's position.
class ScreenListBoxArrowTest : public widgettest::WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        list = std::make_unique<ScreenListBox>(GuiRect{100, 100, 400, 220}, "List", 15, 8);
        list->SetRelativeSize(300.0f / 800.0f, 120.0f / 600.0f);
        list->SetActive(true);
        for (int i = 0; i < 12; ++i)
            list->AddTextItem(i, 0, 200, 15, 2, 1, 0, u"row", true);
    }
    // One frame: the clock moves 10 ms, the list updates, then gets the pointer at page pixel (x, y).
    void Tick(int32_t x, int32_t y, int32_t event)
    {
        clock->Update(now += 10);
        list->Update(clock->GetFrameTime());
        list->OnScreenMouse(static_cast<float>(x) / 800.0f, static_cast<float>(y) / 600.0f, event);
    }
    // The pointer rests on (x, y), presses, lets go and waits a tenth of a second.
    void PressArrow(int32_t x, int32_t y)
    {
        Tick(x, y, ME_NONE);
        Tick(x, y, ME_PRESSED);
        for (int i = 0; i < 10; ++i)
            Tick(x, y, ME_NONE);
    }
    int32_t TopOfRow(int32_t row) const
    {
        for (const auto& cell : list->GetCells())
            if (cell.row == row)
                return cell.widget->GetRect().top;
        return -1;
    }
    std::unique_ptr<ScreenListBox> list;
};

TEST_F(ScreenListBoxArrowTest, TheArrowsOfItsScrollBarMoveTheShownRows)
{
    ASSERT_NE(list->GetScrollBar(), nullptr);
    // The bar stands right of the list, x 400 to 414, y 100 to 220: the down arrow is its lowest 14 pixels, the
    // up arrow its highest.
    const struct
    {
        int32_t y;     // where the arrow is pressed
        int32_t first; // the top row after the press
    } presses[] = {{213, 1}, {213, 2}, {107, 1}, {107, 0}, {107, 0}};
    for (const auto& p : presses)
    {
        PressArrow(407, p.y);
        EXPECT_EQ(list->GetFirstRow(), p.first) << p.y;
        // The top row shown stands at the list's top, the next one row height below it.
        EXPECT_EQ(TopOfRow(p.first), 100) << p.first;
        EXPECT_EQ(TopOfRow(p.first + 1), 115) << p.first;
    }
}

} // namespace
