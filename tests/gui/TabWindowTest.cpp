// Tests of the tab window: one page current at a time, switched by a press on another header (the open dialogs
// drawn again) or by SelectTab, a press on the current header telling its page; deactivation and reactivation; a
// Define placed in a tab window; tabs owned once, by the script.
#include "WidgetTestSupport.h"

#include "gui/CheckBox.h"
#include "gui/DialogItem.h"
#include "gui/TabWindow.h"

#include <gtest/gtest.h>

namespace
{

using widgettest::WidgetsTest;

// Counts the times its page's header was pressed again.
class TabClickCounter : public Widget
{
public:
    TabClickCounter() : Widget(0, 0, 0, 0) {}
    void OnTabClicked() override { ++clicks; }
    int clicks = 0;
};

// A tab window from (0, 40) to (400, 300) with two pages, each holding a check box: headers A at (0, 10)-(50, 30)
// and B at (60, 10)-(110, 30).
class TabWindowTest : public WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        Dialog("TabWindow(0, 40, 400, 300, 0)\n{\n"
               "<TAB(0, 10, 50, 30, tabA, TIP_A)>\n{\nCheckBox(10, 10, 26, 26, 0, check, A)\n}\n"
               "<TAB(60, 10, 110, 30, tabB)>\n{\nCheckBox(10, 10, 26, 26, 0, check, B)\n"
               "RadioGroup(100, 100, 300, 130, R, none)\n{\nRadioButton(0, 0, 20, 20, radio, 0, 1, None)\n}\n"
               "CheckBox(10, 60, 26, 76, 0, check, B2)\n}\n}\n");
        window = widgettest::ItemsOf<TabWindow>(*gui, WT_TABWINDOW)[0];
        tabs = widgettest::ItemsOf<Tab>(*gui, WT_TAB);
        boxes = widgettest::ItemsOf<CheckBox>(*gui, WT_CHECKBOX);
        ASSERT_EQ(tabs.size(), 2u);
        ASSERT_EQ(boxes.size(), 3u);
    }
    // Which page is up: each tab's selection and its check box's activity.
    std::vector<bool> Pages() const
    {
        return {tabs[0]->IsSelected(), boxes[0]->IsActive(), tabs[1]->IsSelected(), boxes[1]->IsActive()};
    }
    TabWindow* window = nullptr;
    std::vector<Tab*> tabs;
    std::vector<CheckBox*> boxes;
    // Outlives the script, whose page refers to it.
    TabClickCounter counter;
};

TEST_F(TabWindowTest, ThePagesAreBuiltInTheirTabsAndTheFirstIsCurrent)
{
    EXPECT_EQ(window->GetTabs(), tabs);
    EXPECT_EQ(window->GetCurrent(), tabs[0]);
    EXPECT_EQ(tabs[0]->GetChildren(), std::vector<Widget*>{boxes[0]});
    // The second page: its check box, the radio group (with its button inside it) and the box after the group.
    ASSERT_EQ(tabs[1]->GetChildren().size(), 3u);
    EXPECT_EQ(tabs[1]->GetChildren()[1]->GetType(), WT_RADIOGROUP);
    EXPECT_EQ(tabs[1]->GetChildren()[2], boxes[2]);
    // Page widgets sit in the tab window; the headers where their bounds put them on the screen.
    EXPECT_EQ(boxes[0]->GetRect().top, 50);
    EXPECT_EQ(tabs[1]->GetRect().left, 60);
    EXPECT_STREQ(tabs[0]->GetTooltip(), "TIP_A");
    EXPECT_EQ(Pages(), (std::vector<bool>{true, true, false, false}));
}

TEST_F(TabWindowTest, APressOnAnotherHeaderSwitchesPagesAndRedrawsTheDialogs)
{
    auto* dialog = static_cast<DialogItem*>(gui->FindItem(WT_DIALOG, "D"));
    gui->DrawDialogs();
    EXPECT_FALSE(dialog->IsDirty());
    Click(80, 20);
    EXPECT_EQ(window->GetCurrent(), tabs[1]);
    EXPECT_EQ(Pages(), (std::vector<bool>{false, false, true, true}));
    EXPECT_TRUE(dialog->IsDirty());
    // The page's widgets now take the mouse: a press on B's box writes B.
    Click(20, 58);
    ASSERT_EQ(listener.set.size(), 1u);
    EXPECT_EQ(listener.set[0].first, "B");
}

TEST_F(TabWindowTest, APressOnTheCurrentHeaderTellsItsPageAndSwitchesNothing)
{
    tabs[0]->AddChild(&counter);
    Click(20, 20);
    EXPECT_EQ(counter.clicks, 1);
    EXPECT_EQ(window->GetCurrent(), tabs[0]);
    EXPECT_EQ(Pages(), (std::vector<bool>{true, true, false, false}));
    Click(200, 200);
    EXPECT_EQ(counter.clicks, 1);
}

TEST_F(TabWindowTest, SelectTabTakesAnIndexOfATabAndNothingElse)
{
    struct Case
    {
        int32_t index;
        size_t current;
    };
    const Case cases[] = {{1, 1}, {2, 1}, {-1, 1}, {0, 0}, {7, 0}};
    for (const Case& c : cases)
    {
        gui->SelectDialogTab("D", c.index);
        EXPECT_EQ(window->GetCurrent(), tabs[c.current]) << c.index;
        EXPECT_TRUE(tabs[c.current]->IsSelected()) << c.index;
        EXPECT_FALSE(tabs[1 - c.current]->IsSelected()) << c.index;
    }
}

TEST_F(TabWindowTest, AClosedWindowHasNoPageUpAndReopenedShowsTheCurrentOne)
{
    gui->SelectDialogTab("D", 1);
    gui->CloseDialog("D");
    Step(900, 900);
    EXPECT_EQ(Pages(), (std::vector<bool>{false, false, false, false}));
    // Chosen while closed, a page comes up only with the dialog.
    window->SelectTab(0);
    EXPECT_EQ(Pages(), (std::vector<bool>{false, false, false, false}));
    gui->OpenDialog("D", &listener);
    Step(900, 900);
    EXPECT_EQ(Pages(), (std::vector<bool>{true, true, false, false}));
}

TEST_F(TabWindowTest, ADefinePlacedInATabWindowGivesItsFirstTabAndOtherWidgetsAreLeftOut)
{
    reports.boxes.clear();
    Dialog("Define Pages\n{\n<TAB(0, 10, 50, 30, tabA)>\n{\n}\n<TAB(60, 10, 110, 30, tabB)>\n{\n}\n}\n"
           "TabWindow(0, 40, 400, 300, 0)\n{\nPages\nText(0, 0, 10, 10, X, 0, 0, 0)\n}\n"
           "TabWindow(0, 40, 400, 300, 0)\n{\nPages\n}\n");
    const auto windows = widgettest::ItemsOf<TabWindow>(*gui, WT_TABWINDOW);
    const auto made = widgettest::ItemsOf<Tab>(*gui, WT_TAB);
    ASSERT_EQ(windows.size(), 2u);
    ASSERT_EQ(made.size(), 2u);
    for (const TabWindow* w : windows)
        EXPECT_EQ(w->GetTabs(), std::vector<Tab*>{made[0]});
    ASSERT_EQ(reports.boxes.size(), 1u);
    EXPECT_NE(reports.boxes[0].text.find("only tabs stand in a tab window"), std::string::npos);
    // The shared tab belongs to the script alone: dropping the script (and the GUI manager) frees it once, as
    // the sanitizer checks.
    gui->Reset();
    EXPECT_TRUE(gui->GetItems().empty());
}

} // namespace

namespace
{

// Notes the order in which its container draws it; its type code may be a combo box's.
class DrawLog : public Widget
{
public:
    DrawLog(std::string* log, char name, int32_t type) : Widget(0, 0, 0, 0), m_pLog(log), m_name(name)
    {
        m_iType = type;
    }
    void DrawCached() override { *m_pLog += static_cast<char>(m_name - 'a' + 'A'); }
    void Draw() override { *m_pLog += m_name; }

private:
    std::string* m_pLog;
    char m_name;
};

// A dialog and a selected tab page draw their combo boxes after every other child, in both passes, so that an open
// drop-down list lies over its neighbours.
TEST_F(WidgetsTest, ContainersDrawTheirComboBoxesLast)
{
    DialogItem dialog("Order", 0, 0, 300, 200, "CLEAR", 9, 0);
    Tab tab(0, 0, 50, 20, "tabA");
    tab.SetActive(true);
    ASSERT_TRUE(tab.IsSelected());
    for (Widget* container : {static_cast<Widget*>(&dialog), static_cast<Widget*>(&tab)})
    {
        std::string log;
        DrawLog first(&log, 'a', WT_COMBOBOX), second(&log, 'b', WT_TEXT), third(&log, 'c', WT_COMBOBOX),
            fourth(&log, 'd', WT_BUTTON);
        for (Widget* child : {static_cast<Widget*>(&first), static_cast<Widget*>(&second), static_cast<Widget*>(&third),
                              static_cast<Widget*>(&fourth)})
            container->AddChild(child);
        container->DrawCached();
        container->Draw();
        EXPECT_EQ(log, "BDACbdac") << container->GetType();
    }
}

} // namespace
