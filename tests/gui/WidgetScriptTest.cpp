// Tests of the scripts that use the standard widgets: every keyword builds its widget where its bounds say, tab pages
// hold what stands in them (containers included), radio buttons go to their group, and a script cut at any byte
// loads, runs and draws without a report after its load.
#include "WidgetTestSupport.h"

#include "gui/CheckBox.h"
#include "gui/DialogItem.h"
#include "gui/TabWindow.h"
#include "gui/Text.h"

#include <gtest/gtest.h>

#include <map>

namespace
{

using widgettest::WidgetsTest;

const char* const kEveryWidget =
    "Font(TestFont)\n"
    "Define Row\n{\nText(0, 0, 100, 16, KEY, 0, 4278190080, 2)\n}\n"
    "DialogItem All(0, 0, 599, 399, CLEAR, 1, 1)\n{\n"
    "CheckBox(10, 40, 26, 56, 1, check, C, TIP)\n"
    "Slider(40, 40, 240, 58, S, 0, 1, 1, TIP)\n"
    "Text(250, 40, 350, 56, KEY, 0, 4278190080, 4)\n"
    "ComboBox(360, 40, 500, 57, AnimalFilter, 3, 4278190080, 0, 0, 1, TIP)\n"
    "Image(10, 70, 0, 0, 1, pic, TIP)\nTGA(50, 70, 90, 90, pic.tga)\n"
    "Icon(100, 70, 0, 0, pic, 1)\nBar(150, 70, 300, 80, 0, 1, B, 2, 1)\n"
    "NumberAdjust(320, 70, 400, 86, 1, 0, N, 1, TIP)\n"
    "RadioGroup(10, 100, 200, 130, R, none)\n{\n"
    "RadioButton(0, 0, 20, 20, radio, 0, 1, One, TIP)\n"
    "RadioButton(30, 0, 50, 20, radio, 0, 2, None)\n}\n"
    "ListBox(10, 140, 200, 240, 202, 140, 216, 240, L, 20, 5)\n"
    "ScrollGroup(230, 140, 400, 240, G)\n"
    "TabWindow(10, 250, 590, 390, 0)\n{\n"
    "<TAB(10, 252, 60, 272, tabA, TIP)>\n{\nRow\nCheckBox(10, 30, 26, 46, 0, check, C2)\n}\n"
    "<TAB(70, 252, 120, 272, tabB)>\n{\nRow\n}\n}\n}\n";

TEST_F(WidgetsTest, EveryKeywordBuildsItsWidgetWhereItsBoundsSay)
{
    Dialog("");
    Script(kEveryWidget);
    EXPECT_TRUE(reports.boxes.empty());
    std::map<int32_t, int> counts;
    for (const auto& item : gui->GetItems())
        ++counts[item->GetType()];
    const std::map<int32_t, int> expected = {
        {WT_CHECKBOX, 2},   {WT_COMBOBOX, 1},    {WT_DEFINE, 1},  {WT_DIALOG, 1},
        {WT_SLIDER, 1},     {WT_TABWINDOW, 1},   {WT_TAB, 2},     {WT_IMAGE, 2},
        {WT_TEXT, 2},       {WT_TGA, 1},         {WT_BAR, 1},     {WT_NUMBERADJUST, 1},
        {WT_RADIOGROUP, 1}, {WT_RADIOBUTTON, 2}, {WT_LISTBOX, 1}, {WT_SCROLLGROUP, 1},
    };
    EXPECT_EQ(counts, expected);
    struct Where
    {
        int32_t type;
        int n;
        GuiRect rect;
    };
    const Where places[] = {
        {WT_RADIOBUTTON, 1, {40, 100, 60, 120}}, // in its group
        {WT_CHECKBOX, 1, {20, 280, 36, 296}},    // in the tab window, on its first page
        {WT_TAB, 1, {70, 252, 120, 272}},        // on the screen
        {WT_IMAGE, 0, {10, 70, 42, 86}},         // the sprite's size
        {WT_SLIDER, 0, {40, 40, 240, 58}},
    };
    for (const Where& w : places)
    {
        const Widget* widget = widgettest::ItemsOf<Widget>(*gui, w.type)[static_cast<size_t>(w.n)];
        EXPECT_EQ(widget->GetRect().left, w.rect.left) << w.type;
        EXPECT_EQ(widget->GetRect().top, w.rect.top) << w.type;
        EXPECT_EQ(widget->GetRect().right, w.rect.right) << w.type;
        EXPECT_EQ(widget->GetRect().bottom, w.rect.bottom) << w.type;
        EXPECT_EQ(widget->GetDialogIndex(), 1) << w.type;
    }
    // Both pages show the one shared Define.
    const auto tabs = widgettest::ItemsOf<Tab>(*gui, WT_TAB);
    const Widget* row = gui->FindItem(WT_DEFINE, "Row");
    EXPECT_EQ(tabs[0]->GetChildren().front(), row);
    EXPECT_EQ(tabs[1]->GetChildren(), std::vector<Widget*>{const_cast<Widget*>(row)});
    const auto* group = widgettest::ItemsOf<RadioGroup>(*gui, WT_RADIOGROUP)[0];
    EXPECT_EQ(group->GetChildren().size(), 2u);
}

TEST_F(WidgetsTest, TabPagesCloseAfterTheContainersOpenedInThemAndRadioButtonsStayOutOfTabs)
{
    Dialog("TabWindow(0, 0, 400, 300, 0)\n{\n<TAB(0, 0, 50, 20, tabA)>\n{\n"
           "RadioGroup(0, 30, 200, 60, R, none)\n{\nRadioButton(0, 0, 20, 20, radio, 0, 1, None)\n}\n"
           "Text(0, 70, 100, 90, X, 0, 0, 0)\n}\n"
           "<TAB(60, 0, 110, 20, tabB)>\n{\n}\n}\n"
           "Text(0, 350, 100, 370, Y, 0, 0, 0)\n");
    EXPECT_TRUE(reports.boxes.empty());
    const auto tabs = widgettest::ItemsOf<Tab>(*gui, WT_TAB);
    ASSERT_EQ(tabs.size(), 2u);
    EXPECT_EQ(tabs[0]->GetChildren().size(), 2u) << "the group and the text after it";
    EXPECT_TRUE(tabs[1]->GetChildren().empty());
    EXPECT_EQ(widgettest::ItemsOf<TabWindow>(*gui, WT_TABWINDOW)[0]->GetTabs().size(), 2u);
    // The text after the tab window is the dialog's.
    const auto* dialog = static_cast<const DialogItem*>(gui->FindItem(WT_DIALOG, "D"));
    EXPECT_EQ(dialog->GetChildren().size(), 2u);
    // A radio button straight on a page goes to the page's tab window, which takes tabs only.
    reports.boxes.clear();
    Dialog("TabWindow(0, 0, 400, 300, 0)\n{\n<TAB(0, 0, 50, 20, tabA)>\n{\n"
           "RadioButton(0, 30, 20, 50, radio, 0, 1, None)\n}\n}\n");
    EXPECT_TRUE(widgettest::ItemsOf<Tab>(*gui, WT_TAB)[0]->GetChildren().empty());
    ASSERT_EQ(reports.boxes.size(), 1u);
    EXPECT_NE(reports.boxes[0].text.find("only tabs stand in a tab window"), std::string::npos);
    // A second tab inside an open one is refused with its page.
    reports.boxes.clear();
    Dialog("TabWindow(0, 0, 400, 300, 0)\n{\n<TAB(0, 0, 50, 20, tabA)>\n{\n"
           "<TAB(60, 0, 110, 20, tabB)>\n{\nText(0, 70, 100, 90, X, 0, 0, 0)\n}\n}\n}\n");
    EXPECT_EQ(widgettest::ItemsOf<Tab>(*gui, WT_TAB).size(), 1u);
    EXPECT_EQ(widgettest::ItemsOf<Text>(*gui, WT_TEXT).size(), 0u);
    ASSERT_EQ(reports.boxes.size(), 1u);
    EXPECT_NE(reports.boxes[0].text.find("Only one tab can be defined at a time"), std::string::npos);
}

TEST_F(WidgetsTest, AScriptOfEveryWidgetCutAtAnyByteLoadsRunsAndDrawsWithoutALaterReport)
{
    const std::string script = kEveryWidget;
    listener.values = {{"C_STATE", u"1"}, {"R", u"1"}, {"R_STATUS_1", u"1"}, {"N", u"2.5"}};
    const int32_t events[] = {ME_NONE, ME_PRESSED, ME_HELD, ME_HELD, ME_NONE, ME_LEAVE};
    for (size_t cut = 0; cut <= script.size(); cut += 1)
    {
        Script(script.substr(0, cut));
        const size_t atLoad = reports.boxes.size();
        for (const auto& item : gui->GetTopLevel())
            if (item->GetType() == WT_DIALOG)
                gui->OpenDialog(item->GetName(), &listener);
        for (int frame = 0; frame < 6; ++frame)
        {
            const int32_t at = static_cast<int32_t>((cut * 31 + frame * 97) % 600);
            Frame(now += 20, at, at * 2 / 3, events[frame], 0, frame % 3 - 1);
            gui->DrawDialogs();
        }
        // The per-frame drawing once (it is the slow part of a frame here).
        widgettest::DrawGui(*gui);
        ASSERT_EQ(reports.boxes.size(), atLoad) << "cut at " << cut << ": " << reports.boxes.back().text;
    }
}

} // namespace

namespace
{

// The shipped GUI scripts between them place a widget of every keyword (the dialogs, groups, containers and every
// control), and they load without a report.
TEST_F(WidgetsTest, TheSampleScriptsPlaceEveryKindOfWidget)
{
    const std::string folder = std::string(TW_SOURCE_DIR) + "/sample-data/src/data/script/gui/";
    std::map<int32_t, std::vector<std::string>> found;
    for (const char* file : {"MainMenu.pis", "GUI.pis"})
    {
        const std::string text = testsupport::ReadText(folder + file);
        ASSERT_FALSE(text.empty()) << file;
        reports.boxes.clear();
        Script(text);
        // Only the script's own faults count: this test runs without the sample fonts, sprites and pictures.
        for (const auto& box : reports.boxes)
            if (box.text.find("GUI") != std::string::npos && box.text.rfind("LoadTGA", 0) != 0)
                ADD_FAILURE() << file << ": " << box.text;
        for (const auto& item : gui->GetItems())
            found[item->GetType()].push_back(file);
    }
    const struct
    {
        int32_t type;
        const char* keyword;
    } kinds[] = {{WT_DIALOG, "DialogItem"},
                 {WT_DEFINE, "Define"},
                 {WT_BUTTON, "Button"},
                 {WT_SLIDER, "Slider"},
                 {WT_LISTBOX, "ListBox"},
                 {WT_COMBOBOX, "ComboBox"},
                 {WT_TABWINDOW, "TabWindow"},
                 {WT_TAB, "TAB"},
                 {WT_CHECKBOX, "CheckBox"},
                 {WT_RADIOGROUP, "RadioGroup"},
                 {WT_RADIOBUTTON, "RadioButton"},
                 {WT_NUMBERADJUST, "NumberAdjust"},
                 {WT_IMAGE, "Image and Icon"},
                 {WT_BAR, "Bar"},
                 {WT_SCROLLGROUP, "ScrollGroup"},
                 {WT_TEXT, "Text"},
                 {WT_TGA, "TGA"},
                 {WT_SCREENITEM, "ScreenItem"},
                 {WT_SCREENITEMINFO, "ScreenItemInfo"},
                 {WT_SCREENIMAGE, "ScreenImage"},
                 {WT_SCREENBUTTON, "ScreenButton"},
                 {WT_SCREENLISTBOX, "ScreenListBox"},
                 {WT_SCREENVAR, "ScreenVar"},
                 {WT_SCREENVARIMAGE, "ScreenVarImage"}};
    for (const auto& kind : kinds)
        EXPECT_FALSE(found[kind.type].empty()) << "no " << kind.keyword << " in the sample scripts";
    // Image and Icon both build images: the options' sound page shows two notes and a wave.
    EXPECT_GE(found[WT_IMAGE].size(), 3u);
}

} // namespace
