// Tests of the combo box: the lists of each kind and the targets of a choice, separators that choose nothing, the
// wheel that skips them, the scroll bar of a long list, the upward list, the video options read and applied, and a
// box whose font gives its rows no height.
#include "WidgetTestSupport.h"

#include "gui/Button.h"
#include "gui/CheckBox.h"
#include "gui/ComboBox.h"
#include "gui/ScrollBar.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

using widgettest::WidgetsTest;

// The rows are twice the test font's 8 pixels; the box's button is 17 pixels wide.
constexpr int32_t kRow = 16;

class ComboBoxTest : public WidgetsTest
{
protected:
    // Box G (guest filter, 5 rows shown) at (10, 10)-(160, 27), M (materials) at (200, 10)-(350, 27), C (cell paint,
    // opening upward) at (10, 300)-(160, 317), S (staff filter) at (400, 10)-(550, 27).
    void SetUp() override
    {
        WidgetsTest::SetUp();
        shell.options.m_iMaterialQuality = 1;
        Dialog("ComboBox(10, 10, 160, 27, GuestFilter, 5, 4278190080, 0, 0, 0)\n"
               "ComboBox(200, 10, 350, 27, MaterialQuality, 5, 4278190080, 0, 0, 0)\n"
               "ComboBox(10, 300, 160, 317, CellPaint, 5, 4278190080, 0, 0, 1)\n"
               "ComboBox(400, 10, 550, 27, StaffFilter, 5, 4278190080, 0, 0, 0)\n");
        boxes = widgettest::ItemsOf<ComboBox>(*gui, WT_COMBOBOX);
        ASSERT_EQ(boxes.size(), 4u);
    }
    // The y of row i of an open box's panel.
    int32_t RowY(const ComboBox& box, int32_t i) const { return box.GetPanel()->GetRect().top + kRow * i + kRow / 2; }
    std::vector<ComboBox*> boxes;
};

TEST_F(ComboBoxTest, EachKindListsItsEntriesWithSeparators)
{
    struct Case
    {
        size_t box;
        size_t entries;
        std::vector<size_t> separators;
    };
    const Case cases[] = {{0, 14, {2, 9, 11}}, {1, 2, {}}, {2, 3, {}}, {3, 4, {}}};
    for (const Case& c : cases)
    {
        const auto& entries = boxes[c.box]->GetEntries();
        ASSERT_EQ(entries.size(), c.entries) << c.box;
        std::vector<size_t> separators;
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].value == ComboBox::kSeparator)
                separators.push_back(i);
        EXPECT_EQ(separators, c.separators) << c.box;
    }
    // A guest filter's filling marks selection slot 7; closing the dialog clears it and the entries.
    EXPECT_EQ(gui->GetSelection(7), 1);
    gui->CloseDialog("D");
    Step(900, 900);
    EXPECT_EQ(gui->GetSelection(7), 0);
    EXPECT_TRUE(boxes[0]->GetEntries().empty());
}

TEST_F(ComboBoxTest, AChoiceWritesItsValueToTheSlotAndASeparatorChoosesNothing)
{
    ComboBox& box = *boxes[0];
    Click(50, 18);
    ASSERT_TRUE(box.IsOpen());
    // 14 entries in 5 rows: a scroll bar down the text area's right edge, the panel 5 rows high below the box.
    ASSERT_NE(box.GetScrollBar(), nullptr);
    EXPECT_EQ(box.GetScrollBar()->GetRect().right, box.GetTextArea().GetRect().right);
    EXPECT_EQ(box.GetPanel()->GetRect().top, 27);
    EXPECT_EQ(box.GetPanel()->GetRect().bottom, 27 + 5 * kRow + 2);
    // Row 2 is a separator: the list stays open and the slot keeps its value.
    Click(50, RowY(box, 2));
    EXPECT_TRUE(box.IsOpen());
    EXPECT_EQ(gui->GetSelection(1), 1);
    // Row 3, "OB_GF_PRICE", is 6.
    Click(50, RowY(box, 3));
    EXPECT_FALSE(box.IsOpen());
    EXPECT_EQ(box.GetSelected(), 3);
    EXPECT_EQ(gui->GetSelection(1), 6);
    // A press outside closes the list and chooses nothing; a press on the box itself closes it too.
    Click(50, 18);
    Click(500, 300);
    EXPECT_FALSE(box.IsOpen());
    Click(50, 18);
    Click(50, 18);
    EXPECT_FALSE(box.IsOpen());
    EXPECT_EQ(gui->GetSelection(1), 6);
}

TEST_F(ComboBoxTest, AListScrolledDownHighlightsAndChoosesTheRowUnderThePointer)
{
    ComboBox& box = *boxes[0];
    Click(50, 18);
    ASSERT_TRUE(box.IsOpen());
    ASSERT_NE(box.GetScrollBar(), nullptr);
    // Scrolled four entries down: the panel's second row shows entry 5.
    box.GetScrollBar()->SetFirst(4);
    Step(50, RowY(box, 0));
    Step(50, RowY(box, 1));
    EXPECT_EQ(box.GetHover(), 5);
    Click(50, RowY(box, 1));
    EXPECT_FALSE(box.IsOpen());
    EXPECT_EQ(box.GetSelected(), 5);
}

TEST_F(ComboBoxTest, TheDropButtonComesBackUpAfterItOpensTheList)
{
    ComboBox& box = *boxes[0];
    const int32_t bx = box.GetDropButton().GetRect().left + 8;
    Click(bx, 18);
    ASSERT_TRUE(box.IsOpen());
    // Pressed, then up again once its delay is past: lit while the pointer stays on it, plain once it leaves.
    for (int i = 0; i < 10; ++i)
        Step(bx, 18);
    EXPECT_EQ(box.GetDropButton().GetState(), Button::STATE_OVER);
    Step(500, 300);
    Step(500, 300);
    EXPECT_EQ(box.GetDropButton().GetState(), Button::STATE_NORMAL);
}

TEST_F(ComboBoxTest, TheWheelOverAClosedBoxSkipsSeparators)
{
    ComboBox& box = *boxes[0];
    struct Turn
    {
        int32_t delta;
        int32_t selected;
        int32_t slot; // selection slot 1 afterwards
    };
    // Entries: HAPPY 1, BLADDER 5, -, PRICE 6, ..., WELFARE 11, -, CASH 2, -, MALE 3, FEMALE 4.
    const Turn turns[] = {{-1, 1, 5}, {-1, 3, 6}, {1, 1, 5}, {1, 0, 1}, {1, 0, 1}};
    for (const Turn& s : turns)
    {
        Step(50, 18, ME_NONE, s.delta);
        EXPECT_EQ(box.GetSelected(), s.selected) << s.delta;
        EXPECT_EQ(gui->GetSelection(1), s.slot) << s.delta;
    }
    for (int i = 0; i < 20; ++i)
        Step(50, 18, ME_NONE, -1);
    EXPECT_EQ(box.GetSelected(), 13);
    EXPECT_EQ(gui->GetSelection(1), 4);
    // Off the text area the wheel is not the box's.
    EXPECT_FALSE(box.OnMouseWheel(50, 100, 1));
}

TEST_F(ComboBoxTest, TheVideoChoicesShowTheOptionOnceAndApplyTheirChoice)
{
    ComboBox& box = *boxes[1];
    EXPECT_EQ(box.GetSelected(), 0) << "the option's value 1 is the first entry";
    // Two entries in five rows: no scroll bar, a panel of two rows.
    Click(250, 18);
    ASSERT_TRUE(box.IsOpen());
    EXPECT_EQ(box.GetScrollBar(), nullptr);
    EXPECT_EQ(box.GetPanel()->GetRect().bottom, 27 + 2 * kRow + 2);
    Click(250, RowY(box, 1));
    EXPECT_EQ(shell.options.m_iMaterialQuality, 2);
    EXPECT_EQ(shell.videoApplied, 1);
    // Reopened, the dialog shows each entry once with the option's value chosen.
    shell.options.m_iMaterialQuality = 1;
    for (int i = 0; i < 2; ++i)
    {
        gui->CloseDialog("D");
        Step(900, 900);
        gui->OpenDialog("D", &listener);
        Step(900, 900);
        EXPECT_EQ(box.GetEntries().size(), 2u);
        EXPECT_EQ(box.GetSelected(), 0);
    }
}

TEST_F(ComboBoxTest, AnUpwardListEndsAtTheBoxsTop)
{
    ComboBox& box = *boxes[2];
    Click(50, 308);
    ASSERT_TRUE(box.IsOpen());
    EXPECT_EQ(box.GetPanel()->GetRect().bottom, 300);
    EXPECT_EQ(box.GetPanel()->GetRect().top, 300 - 3 * kRow - 2);
    // "CELL_ROCK_TEXT" is 4, written to slot 3.
    Click(50, RowY(box, 2));
    EXPECT_EQ(gui->GetSelection(3), 4);
}

TEST_F(ComboBoxTest, TheStaffFilterFollowsItsSlot)
{
    ComboBox& box = *boxes[3];
    EXPECT_EQ(box.GetSelected(), 0) << "slot 9 starts at 3, all staff";
    gui->SetSelection(9, 1);
    Step(900, 900);
    EXPECT_EQ(box.GetSelected(), 3) << "mechanics";
    EXPECT_EQ(box.GetEntries().size(), 4u);
}

TEST_F(ComboBoxTest, APressOnTheListsBottomBorderChoosesTheLastRowShown)
{
    ComboBox& box = *boxes[0];
    struct Case
    {
        uint32_t first;
        int32_t selected;
        int32_t slot; // selection slot 1 afterwards
    };
    // Five of the 14 entries show; the panel's border lies below the fifth. Entries: HAPPY 1, BLADDER 5, -, PRICE 6,
    // QUEUING 7, BEAUTY 8, CLEANLINESS 9, VARIETY 10, WELFARE 11, -, ...
    const Case cases[] = {{0, 4, 7}, {4, 8, 11}};
    for (const Case& c : cases)
    {
        Click(50, 18);
        ASSERT_TRUE(box.IsOpen());
        ASSERT_NE(box.GetScrollBar(), nullptr);
        box.GetScrollBar()->SetFirst(c.first);
        const int32_t border = box.GetPanel()->GetRect().bottom - 1;
        ASSERT_GE(border, box.GetPanel()->GetRect().top + 5 * kRow) << "below the rows shown";
        Click(50, border);
        EXPECT_FALSE(box.IsOpen()) << c.first;
        EXPECT_EQ(box.GetSelected(), c.selected) << c.first;
        EXPECT_EQ(gui->GetSelection(1), c.slot) << c.first;
    }
}

TEST_F(ComboBoxTest, AnOpenListTakesThePressBeforeABoxItLiesOver)
{
    // The filter box comes first in the script; the materials list opens down over it.
    Dialog("ComboBox(196, 140, 336, 157, VideoFilterType, 2, 4278190080, 0, 0, 0)\n"
           "ComboBox(196, 100, 336, 117, MaterialQuality, 2, 4278190080, 0, 0, 0)\n");
    auto found = widgettest::ItemsOf<ComboBox>(*gui, WT_COMBOBOX);
    ASSERT_EQ(found.size(), 2u);
    ComboBox& filter = *found[0];
    ComboBox& materials = *found[1];
    Click(250, 108);
    ASSERT_TRUE(materials.IsOpen());
    // The second row ("IGOPT_MAT_HIGH") over the filter box.
    const int32_t y = RowY(materials, 1) + 4;
    ASSERT_GE(y, filter.GetRect().top);
    Click(250, y);
    EXPECT_EQ(shell.options.m_iMaterialQuality, 2);
    EXPECT_FALSE(materials.IsOpen());
    EXPECT_FALSE(filter.IsOpen()) << "the press was the list's";
}

TEST_F(ComboBoxTest, TheWheelOverAnOpenListLeavesTheBoxUnderItAlone)
{
    Dialog("ComboBox(196, 140, 336, 157, VideoFilterType, 2, 4278190080, 0, 0, 0)\n"
           "ComboBox(196, 100, 336, 117, MaterialQuality, 2, 4278190080, 0, 0, 0)\n");
    ComboBox& materials = *widgettest::ItemsOf<ComboBox>(*gui, WT_COMBOBOX)[1];
    const int32_t filterType = shell.options.m_iFilterType;
    Click(250, 108);
    ASSERT_TRUE(materials.IsOpen());
    const int32_t applied = shell.videoApplied;
    // Over the list's second row, which lies on the filter box's text area.
    for (int32_t delta : {-1, 1, -1})
        Step(250, RowY(materials, 1) + 4, ME_NONE, delta);
    EXPECT_EQ(shell.options.m_iFilterType, filterType);
    EXPECT_EQ(shell.videoApplied, applied);
    EXPECT_TRUE(materials.IsOpen());
}

TEST_F(ComboBoxTest, APressOnASeparatorRowReachesNothingUnderTheList)
{
    // A check box after the guest filter in the script, under the list's separator row (y 59 to 74).
    Dialog("ComboBox(10, 10, 160, 27, GuestFilter, 5, 4278190080, 0, 0, 0)\n"
           "CheckBox(40, 59, 56, 75, 0, check, C)\n");
    ComboBox& box = *widgettest::ItemsOf<ComboBox>(*gui, WT_COMBOBOX)[0];
    Click(50, 18);
    ASSERT_TRUE(box.IsOpen());
    listener.set.clear();
    Click(50, RowY(box, 2));
    EXPECT_TRUE(box.IsOpen()) << "a separator chooses nothing";
    EXPECT_TRUE(listener.set.empty()) << "the check box under the list was not pressed";
}

TEST_F(WidgetsTest, APressOrHoldOnAListHangingPastItsDialogNeverReachesTheWorldBehind)
{
    // A dialog 40 pixels high whose guest filter opens its five rows (16 high) below the dialog's bottom edge; the
    // world view's tool mode lies behind.
    Script("Font(TestFont)\nDialogItem D(0, 0, 199, 39, CLEAR, 1, 0)\n{\n"
           "ComboBox(10, 10, 160, 27, GuestFilter, 5, 4278190080, 0, 0, 0)\n}\n");
    gui->OpenDialog("D", &listener);
    gui->SetMode(1);
    Step(900, 900);
    ComboBox& box = *widgettest::ItemsOf<ComboBox>(*gui, WT_COMBOBOX)[0];
    struct Case
    {
        const char* what;
        int32_t event;
    };
    const Case cases[] = {{"a press", ME_PRESSED}, {"the button held", ME_HELD}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Click(50, 18);
        ASSERT_TRUE(box.IsOpen());
        // Row 2 is a separator, at y 59 to 74: outside the dialog.
        const int32_t y = box.GetPanel()->GetRect().top + 2 * 16 + 8;
        ASSERT_GT(y, 39);
        Step(50, y);
        guitest::g_modeLog.mouse.clear();
        Step(50, y, c.event);
        for (const auto& event : guitest::g_modeLog.mouse)
        {
            EXPECT_NE(event[2], ME_PRESSED);
            EXPECT_NE(event[2], ME_HELD);
        }
        EXPECT_TRUE(box.IsOpen()) << "a separator chooses nothing";
        EXPECT_EQ(gui->GetSelection(1), 1);
        Step(50, y, ME_NONE);
        Click(50, 18);
        ASSERT_FALSE(box.IsOpen());
    }
    // Away from the open list and its dialog, the button held is the world's.
    Click(50, 18);
    ASSERT_TRUE(box.IsOpen());
    Step(500, 500);
    guitest::g_modeLog.mouse.clear();
    Step(500, 500, ME_HELD);
    EXPECT_TRUE(std::any_of(guitest::g_modeLog.mouse.begin(), guitest::g_modeLog.mouse.end(),
                            [](const auto& event) { return event[2] == ME_HELD; }));
}

TEST_F(ComboBoxTest, APressBesideAnOpenListClosesItAndTheNextReachesTheWidgetThere)
{
    // Two entries in two rows: the list opens without a scroll bar; the check box stands to its right.
    Dialog("ComboBox(196, 100, 336, 117, MaterialQuality, 2, 4278190080, 0, 0, 0)\n"
           "CheckBox(360, 100, 376, 116, 0, check, C)\n");
    ComboBox& box = *widgettest::ItemsOf<ComboBox>(*gui, WT_COMBOBOX)[0];
    Click(250, 108);
    ASSERT_TRUE(box.IsOpen());
    listener.set.clear();
    Click(370, 108);
    EXPECT_FALSE(box.IsOpen());
    EXPECT_TRUE(listener.set.empty()) << "the press that closed the list was the list's";
    Click(370, 108);
    EXPECT_FALSE(listener.set.empty()) << "with the list closed the check box takes the press";
}

TEST_F(ComboBoxTest, RowsWithoutHeightTakeNoChoice)
{
    // Without a font the rows have no height: a press in the list cannot tell a row.
    Dialog("ComboBox(10, 10, 160, 27, GuestFilter, 5, 4278190080, 0, 0, 0)\n", false);
    ComboBox& box = *widgettest::ItemsOf<ComboBox>(*gui, WT_COMBOBOX)[0];
    EXPECT_EQ(box.GetRowHeight(), 0);
    Click(50, 18);
    ASSERT_TRUE(box.IsOpen());
    // The panel is the 2 pixels of its border under the box (y 27 to 29).
    Step(50, 28, ME_NONE);
    Step(50, 28, ME_PRESSED);
    EXPECT_EQ(box.GetSelected(), 0);
    EXPECT_EQ(gui->GetSelection(1), 1);
}

} // namespace
