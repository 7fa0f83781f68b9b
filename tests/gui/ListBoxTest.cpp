// Tests of the list box: the scroll bar that comes and goes with the rows, presses that select (below the last row
// the last), selections of several rows, scrolling a row into view, row buttons reported once and only where they
// are shown, double clicks, rows without height, 8-bit texts, the wheel, the highlight of selected rows, and rows of
// any height a script writes standing in order in the in-game and the front-end list.
#include "WidgetTestSupport.h"

#include "gui/Image.h"
#include "gui/ListBox.h"
#include "gui/ScreenListBox.h"
#include "gui/ScrollBar.h"
#include "gui/Text.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

using widgettest::WidgetsTest;

// List L from (10, 10) to (210, 110): rows 20 high, 5 shown; its scroll bar from (212, 10) to (226, 110).
class ListBoxTest : public WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        Dialog("ListBox(10, 10, 210, 110, 212, 10, 226, 110, L, 20, 5)\n"
               "ListBox(300, 10, 500, 110, 502, 10, 516, 110, Flat, 0, 5)\n");
        list = static_cast<ListBox*>(gui->FindItem(WT_LISTBOX, "L"));
        ASSERT_NE(list, nullptr);
    }
    void Rows(int n, bool buttons = false)
    {
        for (int row = 0; row < n; ++row)
        {
            const std::u16string text = u"row " + std::u16string(1, static_cast<char16_t>(u'A' + row));
            list->AddText(row, 5, 150, 15, Text::ALIGN_LEFT, 0, 0xFF000000, text.c_str(), true);
            if (buttons)
                list->AddButton(row, 180, "UI3_bar_message_goto", 100 + row);
        }
    }
    // A press on the list at (x, y) and the frame after it.
    void Press(int32_t x, int32_t y)
    {
        Step(x, y, ME_PRESSED);
        Step(x, y, ME_NONE);
    }
    ListBox* list = nullptr;
};

TEST_F(ListBoxTest, AScrollBarComesWithTheFirstRowPastTheViewAndGoesWithClear)
{
    Rows(5);
    EXPECT_EQ(list->GetScrollBar(), nullptr);
    EXPECT_EQ(list->GetShown(), 5);
    Rows(6);
    ASSERT_NE(list->GetScrollBar(), nullptr);
    EXPECT_EQ(list->GetRowCount(), 11);
    EXPECT_EQ(list->GetScrollBar()->GetCount(), 11u);
    EXPECT_EQ(list->GetScrollBar()->GetRect().left, 212);
    list->Clear();
    EXPECT_EQ(list->GetScrollBar(), nullptr);
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_EQ(list->GetShown(), 0);
    EXPECT_TRUE(list->GetCells().empty());
}

TEST_F(ListBoxTest, APressSelectsTheRowUnderItAndBelowTheLastRowTheLast)
{
    Rows(3);
    struct Case
    {
        int32_t y;
        int32_t row;
    };
    // Rows at y 10-29, 30-49, 50-69; the list goes on to 110.
    const Case cases[] = {{15, 0}, {45, 1}, {50, 2}, {95, 2}, {110, 2}, {10, 0}};
    for (const Case& c : cases)
    {
        Press(100, c.y);
        EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{c.row}) << c.y;
    }
    // Outside the list nothing changes.
    Press(100, 130);
    EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{0});
    // Scrolled, the rows shown count from the first.
    Rows(20);
    list->SetFirst(7);
    Press(100, 35);
    EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{8});
    // An unselectable list ignores presses.
    list->SetSelectable(false);
    Press(100, 55);
    EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{8});
}

TEST_F(ListBoxTest, SeveralRowsAreKeptInOrderAndTheLastCannotBeTakenAway)
{
    Rows(12);
    struct Step
    {
        int32_t row;
        bool replace;
        std::vector<int32_t> selection;
    };
    const Step steps[] = {
        {5, true, {5}},  {2, false, {2, 5}},   {9, false, {2, 5, 9}},   {5, false, {2, 9}}, {2, false, {9}},
        {9, false, {9}}, {40, false, {9, 11}}, {-4, false, {0, 9, 11}}, {3, true, {3}},
    };
    list->SetMultiSelect(true);
    for (const Step& s : steps)
    {
        list->Select(s.row, s.replace);
        EXPECT_EQ(list->GetSelection(), s.selection) << s.row;
    }
    // Without the flag every choice replaces the selection.
    list->SetMultiSelect(false);
    list->Select(7, false);
    EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{7});
    list->ClearSelection();
    EXPECT_TRUE(list->GetSelectedRows().empty());
}

TEST_F(ListBoxTest, RowsWithoutAHeightOrAListWithoutRowsTakeNoSelection)
{
    // Cells but no row: nothing to select.
    list->AddImage(0, 0, "pic");
    list->Select(0, true);
    EXPECT_TRUE(list->GetSelection().empty());
    Press(100, 15);
    EXPECT_TRUE(list->GetSelection().empty());
    // A list whose rows have no height takes no press as a row.
    auto* flat = static_cast<ListBox*>(gui->FindItem(WT_LISTBOX, "Flat"));
    ASSERT_NE(flat, nullptr);
    flat->AddText(0, 0, 100, 15, 0, 0, 0xFF000000, u"only", true);
    Press(400, 50);
    EXPECT_TRUE(flat->GetSelection().empty());
}

TEST_F(ListBoxTest, EnsureVisibleScrollsTheLeastThatShowsTheRow)
{
    Rows(20);
    struct Case
    {
        int32_t row, first;
    };
    const Case cases[] = {{12, 8}, {10, 8}, {3, 3}, {19, 15}, {25, 15}, {0, 0}, {-2, 0}};
    for (const Case& c : cases)
    {
        list->EnsureVisible(c.row);
        EXPECT_EQ(list->GetFirst(), c.first) << c.row;
        EXPECT_EQ(list->GetScrollBar()->GetFirst(), static_cast<uint32_t>(c.first)) << c.row;
    }
    // The rows shown stand one under the other from the list's top.
    list->SetFirst(6);
    for (const auto& cell : list->GetCells())
    {
        if (cell.row >= 6 && cell.row < 11)
        {
            EXPECT_EQ(cell.widget->GetRect().top, 10 + 20 * (cell.row - 6)) << cell.row;
        }
    }
}

TEST_F(ListBoxTest, ARowButtonIsReportedOnceAndOnlyWhereItIsShown)
{
    Rows(10, true);
    int32_t value = 0;
    // The button of row 1 (x 190 to 204, y 30 to 44).
    Click(195, 35);
    EXPECT_TRUE(list->TakeButtonPress(1, &value));
    EXPECT_EQ(value, 101);
    EXPECT_FALSE(list->TakeButtonPress(1, &value));
    EXPECT_FALSE(list->TakeButtonPress(0, &value));
    // Scrolled down by five: the button shown in the top slot is row 5's, not row 0's left where it was.
    list->SetFirst(5);
    Click(195, 15);
    EXPECT_TRUE(list->TakeButtonPress(5, &value));
    EXPECT_EQ(value, 105);
    EXPECT_FALSE(list->TakeButtonPress(0, &value));
    // Cleared and filled again, the buttons are taken again with their new values.
    list->Clear();
    list->AddText(0, 5, 150, 15, 0, 0, 0xFF000000, u"again", true);
    list->AddButton(0, 180, "UI3_bar_message_goto", 42);
    const size_t buttons = std::count_if(list->GetCells().begin(), list->GetCells().end(),
                                         [](const ListBox::Cell& c) { return c.kind == ListBox::Cell::BUTTON; });
    EXPECT_EQ(buttons, 10u);
    Click(195, 15);
    EXPECT_TRUE(list->TakeButtonPress(0, &value));
    EXPECT_EQ(value, 42);
}

TEST_F(ListBoxTest, APressOnARowButtonIsNotReportedForWhatTheRowShowsOnceTheListIsFilledAgain)
{
    // The owner clears the list and fills it with n rows whose buttons carry base + row.
    auto refill = [this](int n, int32_t base)
    {
        list->Clear();
        for (int row = 0; row < n; ++row)
        {
            list->AddText(row, 5, 150, 15, Text::ALIGN_LEFT, 0, 0xFF000000, u"row", true);
            list->AddButton(row, 180, "UI3_bar_message_goto", base + row);
        }
    };
    struct Case
    {
        const char* what;
        bool waitForTheFire; // the button fires 50 ms after the press, before the filling
        int between;         // rows of a filling in between (0: none)
    };
    const Case cases[] = {
        {"filled again before the button fired", false, 0},
        {"filled again after it fired, before the owner asked", true, 0},
        {"filled without the row, then with it", false, 1},
    };
    int32_t base = 100;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        refill(3, base);
        // A press on the button of row 1 (x 190 to 204, y 30 to 44).
        Frame(now += 60, 195, 35);
        Step(195, 35);
        Step(195, 35, ME_PRESSED);
        if (c.waitForTheFire)
            Frame(now += 60, 195, 35);
        if (c.between > 0)
        {
            refill(c.between, base + 50);
            Frame(now += 60, 195, 35);
        }
        base += 100;
        refill(3, base);
        Frame(now += 60, 195, 35);
        int32_t value = -1;
        EXPECT_FALSE(list->TakeButtonPress(1, &value)) << value;
        // A press on what the row shows now is reported with its value.
        Click(195, 35);
        EXPECT_TRUE(list->TakeButtonPress(1, &value));
        EXPECT_EQ(value, base + 1);
    }
}

TEST_F(ListBoxTest, ASecondPressWithinAQuarterSecondIsADoubleClick)
{
    Rows(3);
    struct Case
    {
        uint32_t gap; // ms between the presses
        bool twice;
    };
    const Case cases[] = {{30, true}, {240, true}, {260, false}, {600, false}};
    for (const Case& c : cases)
    {
        now += 1000; // any earlier click has long stood alone
        Step(100, 15);
        Step(100, 15, ME_PRESSED);
        EXPECT_FALSE(list->WasDoubleClicked());
        const uint32_t second = now + c.gap;
        while (now + 10 < second)
            Step(100, 15, ME_NONE);
        Frame(now = second, 100, 15, ME_PRESSED);
        EXPECT_EQ(list->WasDoubleClicked(), c.twice) << c.gap;
        Step(100, 15, ME_NONE);
        EXPECT_FALSE(list->WasDoubleClicked());
    }
    // A press elsewhere between the two breaks the pair.
    now += 1000;
    Step(100, 15, ME_PRESSED);
    Step(400, 300, ME_PRESSED);
    Step(100, 15, ME_PRESSED);
    EXPECT_FALSE(list->WasDoubleClicked());
}

TEST_F(ListBoxTest, EightBitTextsAreReadAsCodePage1252)
{
    list->AddText(0, 5, 150, 15, 0, 0, 0xFF000000, "\x80 5 \xe9t\xe9 \x93q\x94", true);
    const auto& cells = list->GetCells();
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(static_cast<const Text*>(cells[0].widget.get())->GetText(), u"\u20ac 5 \u00e9t\u00e9 \u201cq\u201d");
}

TEST_F(ListBoxTest, TheWheelScrollsOnlyOverTheListOrItsBar)
{
    Rows(3);
    EXPECT_FALSE(list->OnMouseWheel(100, 50, -1)) << "no scroll bar";
    Rows(10);
    Step(100, 50, ME_NONE, -1);
    EXPECT_EQ(list->GetFirst(), 1);
    Step(219, 50, ME_NONE, -1);
    EXPECT_EQ(list->GetFirst(), 2);
    Step(400, 50, ME_NONE, -1);
    EXPECT_EQ(list->GetFirst(), 2);
    // The rows follow the arrows of the scroll bar too (the down arrow at y 96 to 110).
    Click(219, 103);
    EXPECT_EQ(list->GetFirst(), 3);
    for (const auto& cell : list->GetCells())
    {
        if (cell.row == 3)
        {
            EXPECT_EQ(cell.widget->GetRect().top, 10);
        }
    }
}

TEST_F(ListBoxTest, SelectedRowsAreHighlightedAndTheirImagesShowTheSecondFrame)
{
    Rows(3);
    list->AddImage(1, 160, "pic");
    list->Select(1, true);
    widgettest::Fills();
    widgettest::DrawGui(*gui);
    const auto highlights = widgettest::FillsOf(widgettest::Fills(), ListBox::kSelectedColour);
    ASSERT_EQ(highlights.size(), 1u);
    EXPECT_EQ(highlights[0], (widgettest::Fill{10, 30, 210, 50, ListBox::kSelectedColour}));
    const auto* image = static_cast<const Image*>(list->GetCells().back().widget.get());
    EXPECT_EQ(image->GetSprite()->GetFrame(), 1);
    list->Select(0, true);
    widgettest::DrawGui(*gui);
    EXPECT_EQ(image->GetSprite()->GetFrame(), 0);
}

} // namespace

namespace
{

TEST_F(ListBoxTest, ControlClicksGatherRowsInAListThatTakesSeveral)
{
    Rows(12);
    list->SetFirst(0);
    // Rows 0 to 4 shown: y 10 + 20 x row.
    auto controlPress = [&](int32_t row)
    {
        GuiMouse mouse{100, 15 + 20 * row, 0, ME_PRESSED, 0, true};
        clock->Update(now += 10);
        gui->Update(clock->GetFrameTime(), mouse);
        EXPECT_FALSE(list->WasDoubleClicked()) << "a control click is no half of a double click";
        Step(900, 900);
    };
    list->SetMultiSelect(true);
    Press(100, 15 + 20 * 3);
    struct Case
    {
        int32_t row;
        std::vector<int32_t> selection;
    };
    const Case cases[] = {{1, {1, 3}}, {4, {1, 3, 4}}, {3, {1, 4}}, {1, {4}}, {4, {4}}};
    for (const Case& c : cases)
    {
        controlPress(c.row);
        EXPECT_EQ(list->GetSelection(), c.selection) << c.row;
    }
    // A press without the key takes the row alone; a list that takes a single row ignores the key.
    Press(100, 15);
    EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{0});
    list->SetMultiSelect(false);
    controlPress(2);
    EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{2});
}

// However tall a script makes a list's rows, or however many it lets the list show, the rows of an in-game or a
// front-end list stand one below the other from the list's top, each in the order it was added.
TEST(ListRowsTest, RowsOfAnyScriptedHeightStandInOrderDownTheList)
{
    struct Case
    {
        bool frontEnd;
        int32_t rowHeight;
        int32_t visibleRows;
    };
    const Case cases[] = {{false, 20, 5}, {false, 2000000000, 5}, {false, 2147483647, 2147483647},
                          {true, 20, 5},  {true, 2000000000, 5},  {true, 2147483647, 2147483647}};
    constexpr int32_t kTop = 10, kRows = 4;
    for (const Case& c : cases)
    {
        std::unique_ptr<Widget> owner;
        ListRows* rows = nullptr;
        if (c.frontEnd)
        {
            auto list = std::make_unique<ScreenListBox>(GuiRect{10, kTop, 210, 110}, "S", c.rowHeight, c.visibleRows);
            rows = list.get();
            owner = std::move(list);
        }
        else
        {
            auto list = std::make_unique<ListBox>(GuiRect{10, kTop, 210, 110}, GuiRect{212, kTop, 226, 110}, "L",
                                                  c.rowHeight, c.visibleRows);
            rows = list.get();
            owner = std::move(list);
        }
        for (int32_t row = 0; row < kRows; ++row)
            rows->AddTextItem(row, 5, 150, 0, Text::ALIGN_LEFT, 0, 0xFF000000, u"row", true);
        std::vector<GuiRect> placed;
        if (c.frontEnd)
            for (const auto& cell : static_cast<ScreenListBox*>(owner.get())->GetCells())
                placed.push_back(cell.widget->GetRect());
        else
            for (const auto& cell : static_cast<ListBox*>(owner.get())->GetCells())
                placed.push_back(cell.widget->GetRect());
        ASSERT_EQ(placed.size(), static_cast<size_t>(kRows)) << c.frontEnd << " " << c.rowHeight;
        EXPECT_EQ(placed[0].top, kTop) << c.frontEnd << " " << c.rowHeight;
        for (size_t r = 1; r < placed.size(); ++r)
        {
            EXPECT_GT(placed[r].top, placed[r - 1].top) << c.frontEnd << " " << c.rowHeight << " row " << r;
            EXPECT_GE(placed[r].top, placed[r - 1].bottom) << c.frontEnd << " " << c.rowHeight << " row " << r;
        }
    }
}

} // namespace
