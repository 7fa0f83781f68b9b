// A test in the running program: one dialog holding a widget of every kind, driven by real pointer moves, presses and
// wheel turns on the game's window (through the X test extension of its private X server), read back from the values
// the widgets write and from the frame.
#include "engine/core/GameInput.h"
#include "game/Game.h"
#include "gui/Button.h"
#include "gui/CheckBox.h"
#include "gui/ComboBox.h"
#include "gui/DialogListener.h"
#include "gui/GUIManager.h"
#include "gui/Image.h"
#include "gui/ListBox.h"
#include "gui/NumberAdjust.h"
#include "gui/ScrollBar.h"
#include "gui/ScrollGroup.h"
#include "gui/TabWindow.h"
#include "gui/Text.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "tests/game/XPointer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace
{

using gametest::Frame;
using gametest::GameHarness;
using gametest::XPointer;

// Every widget keyword in one dialog over the whole picture (so its bounds are picture positions): a note placed from
// a Define, a check box, a slider with a bar showing the same value, a whole-number adjuster, a guest-filter combo
// box of four visible rows, an image, an icon, a TGA placeholder, two radio buttons, a list box of five rows, a scroll
// group and a tab window of two pages.
const char* const kEveryWidget = "Font(GuiFont7)\n"
                                 "Define EveryNote\n{\n"
                                 "    Text(20, 36, 400, 54, OPTIONS_NOTE, 0, 4294967295, 2)\n}\n"
                                 "DialogItem Every(0, 0, 799, 599, SEMI, 31, 0)\n{\n"
                                 "    EveryNote\n"
                                 "    CheckBox(20, 70, 34, 84, 0, UI3_obj_checks, CHECK)\n"
                                 "    Slider(60, 70, 274, 88, SLIDE, 0, 1, 0)\n"
                                 "    Bar(60, 96, 274, 102, 0, 1, SLIDE, 0)\n"
                                 "    NumberAdjust(300, 70, 375, 86, 0, 0, COUNT, 0)\n"
                                 "    ComboBox(420, 70, 560, 87, GuestFilter, 4, 4294967295, 0, 0, 0)\n"
                                 "    Image(20, 120, 0, 0, 0, UIS_opt_wave)\n"
                                 "    Icon(20, 140, 0, 0, UIS_opt_note, 1)\n"
                                 "    TGA(60, 140, 100, 160, every.tga)\n"
                                 "    RadioGroup(20, 170, 300, 194, CHOICE, none)\n    {\n"
                                 "        RadioButton(0, 0, 90, 24, UIS_opt_radio, 0, 1, OPTIONS_ON)\n"
                                 "        RadioButton(100, 0, 190, 24, UIS_opt_radio, 0, 2, OPTIONS_OFF)\n    }\n"
                                 "    ListBox(20, 220, 300, 320, 302, 220, 316, 320, EveryList, 20, 5)\n"
                                 "    ScrollGroup(360, 220, 600, 320, EveryGroup)\n"
                                 "    TabWindow(20, 370, 700, 560, 0)\n    {\n"
                                 "        <TAB(20, 346, 120, 368, UIS_opt_tab_sound)>\n        {\n"
                                 "            Text(10, 10, 300, 28, OPTIONS_MUSIC, 0, 4294967295, 2)\n        }\n"
                                 "        <TAB(124, 346, 224, 368, UIS_opt_tab_video)>\n        {\n"
                                 "            CheckBox(10, 10, 24, 24, 0, UI3_obj_checks, CHECK2)\n        }\n"
                                 "    }\n}\n";

// The dialog's object: keeps its values as text and takes back what the widgets write.
class Values : public DialogListener
{
public:
    void GetVariable(const char* keyword, platform::WString& text) override
    {
        const auto it = text_.find(keyword);
        if (it != text_.end())
            text = it->second;
    }
    void SetVariable(const char* keyword, const DialogValue& value) override
    {
        written[keyword] = value;
        const std::string shown = value.IsFloat() ? std::to_string(value.AsFloat()) : std::to_string(value.AsInt());
        text_[keyword] = platform::WString(shown.begin(), shown.end());
    }
    void ResetPanelState() override {}
    void Set(const std::string& keyword, const char16_t* text) { text_[keyword] = text; }

    std::map<std::string, DialogValue> written;

private:
    std::map<std::string, platform::WString> text_;
};

// Whether a pixel is near a colour (each channel within 12: the sprites keep 5 bits a channel).
bool Near(uint32_t pixel, uint32_t colour)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((colour >> shift) & 0xFF)) > 12)
            return false;
    return true;
}

template <typename T> T* Find(GUIManager& gui, int32_t type, int nth = 0)
{
    for (const auto& item : gui.GetItems())
        if (item->GetType() == type && nth-- == 0)
            return static_cast<T*>(item.get());
    return nullptr;
}

class WidgetPointerTest : public gametest::PointerGameTest
{
protected:
    void SetUp() override
    {
        PointerGameTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // The pointer put at a second place is read back there too: the picture is not scaled.
        pointer->MoveTo(500, 350);
        Settle();
        ASSERT_EQ(g_pGameInput->GetMouseX() + offsetX, 500) << "the picture is shown unscaled";
        ASSERT_EQ(g_pGameInput->GetMouseY() + offsetY, 350);
    }
    void ClickOn(const GuiRect& r) { Click((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    // One notch of the wheel towards the user (down the list) where the pointer is.
    void WheelDown()
    {
        pointer->Button(5, true);
        pointer->Button(5, false);
        Settle();
    }
};

TEST_F(WidgetPointerTest, ADialogOfEveryWidgetAnswersThePointer)
{
    Values values;
    for (const char* keyword : {"CHECK", "CHECK2", "SLIDE"})
        values.Set(keyword, u"0");
    values.Set("COUNT", u"2");
    values.Set("CHOICE", u"1");
    values.Set("CHOICE_STATUS_1", u"1");
    values.Set("CHOICE_STATUS_2", u"1");
    Gui().LoadScriptText(kEveryWidget, std::strlen(kEveryWidget));
    ASSERT_TRUE(Gui().OpenDialog("Every", &values));
    auto* list = static_cast<ListBox*>(Gui().FindItem(WT_LISTBOX, "EveryList"));
    auto* group = static_cast<ScrollGroup*>(Gui().FindItem(WT_SCROLLGROUP, "EveryGroup"));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(group, nullptr);
    for (int32_t row = 0; row < 12; ++row)
        list->AddText(row, 5, 200, 15, 2, 0, 0xFFFFFFFF, ("Row " + std::to_string(row)).c_str(), true);
    for (int32_t item = 0; item < 8; ++item)
        group->AddItem(std::make_unique<Text>(0, 0, 200, 20, u"Item", 0, 0xFFFFFFFF, 2));
    Settle();
    for (int type : {WT_DEFINE, WT_CHECKBOX, WT_SLIDER, WT_BAR, WT_NUMBERADJUST, WT_COMBOBOX, WT_IMAGE, WT_TGA,
                     WT_RADIOGROUP, WT_RADIOBUTTON, WT_TABWINDOW, WT_TAB})
        ASSERT_NE(Find<Widget>(Gui(), type), nullptr) << type;

    // The check box: a click ticks it and writes 1.
    ClickOn(Find<CheckBox>(Gui(), WT_CHECKBOX)->GetRect());
    EXPECT_EQ(values.written["CHECK"].AsInt(), 1);

    // The slider: its knob's left edge follows the pointer; the value is the knob's share of its travel, cut to
    // hundredths. Pressed halfway (101 of 202 pixels: 0.5) and dragged back to 50 pixels (0.2475: 0.24).
    auto* slider = Find<Slider>(Gui(), WT_SLIDER);
    const GuiRect s = slider->GetRect();
    const int travel = (s.right - s.left) - (slider->GetKnob().GetRect().right - slider->GetKnob().GetRect().left);
    ASSERT_EQ(travel, 202) << "a 214-pixel slider with its 12-pixel knob";
    Move(s.left + 101, s.top + 6);
    Press(true);
    EXPECT_FLOAT_EQ(values.written["SLIDE"].AsFloat(), 0.5f);
    Move(s.left + 50, s.top + 6);
    Press(false);
    EXPECT_NEAR(values.written["SLIDE"].AsFloat(), 0.24f, 1e-6f);
    // The next frame places the knob from the value kept: 202 x 0.24 = 48.48 pixels along.
    EXPECT_EQ(slider->GetKnob().GetRect().left, s.left + 48);

    // The number adjuster: a click on its increment button steps 2 to 3.
    ClickOn(Find<NumberAdjust>(Gui(), WT_NUMBERADJUST)->GetIncrement().GetRect());
    EXPECT_EQ(values.written["COUNT"].AsInt(), 3);

    // The combo box opens on a click with a scroll bar (14 entries, 4 rows); the wheel over its list scrolls a row,
    // and a click on the top row shown chooses the second entry ("OB_GF_BLADDER", 5) into selection slot 1.
    auto* combo = Find<ComboBox>(Gui(), WT_COMBOBOX);
    ClickOn(combo->GetRect());
    ASSERT_TRUE(combo->IsOpen());
    ASSERT_NE(combo->GetScrollBar(), nullptr);
    const int32_t panelTop = combo->GetRect().bottom, rowHeight = combo->GetRowHeight();
    Move(combo->GetRect().left + 40, panelTop + rowHeight / 2);
    WheelDown();
    EXPECT_EQ(combo->GetFirst(), 1);
    Click(combo->GetRect().left + 40, panelTop + rowHeight / 2);
    EXPECT_FALSE(combo->IsOpen());
    EXPECT_EQ(combo->GetSelected(), 1);
    EXPECT_EQ(Gui().GetSelection(1), 5);

    // The radio group: a click on the second button writes its value.
    auto* off = Find<RadioButton>(Gui(), WT_RADIOBUTTON, 1);
    ClickOn(off->GetRect());
    EXPECT_EQ(values.written["CHOICE"].AsInt(), 2);
    Settle();
    EXPECT_TRUE(off->IsOn());

    // The list box: 12 rows of 20 pixels, 5 shown, so it has a scroll bar. A click on the third row selects it; the
    // bar's down arrow and a wheel notch over the list each scroll a row; the selected row is highlighted in place.
    const GuiRect l = list->GetRect();
    Click(l.left + 50, l.top + 2 * 20 + 10);
    EXPECT_EQ(list->GetSelection(), std::vector<int32_t>{2});
    ASSERT_NE(list->GetScrollBar(), nullptr);
    ClickOn(list->GetScrollBar()->GetDownButton().GetRect());
    EXPECT_EQ(list->GetFirst(), 1);
    Move(l.left + 50, l.top + 50);
    WheelDown();
    EXPECT_EQ(list->GetFirst(), 2);

    // The scroll group: 8 items of 20 pixels in 100 fit 5, so it has a bar; a click on the second item shown selects
    // it, and the wheel over the group scrolls an item.
    const GuiRect g = group->GetRect();
    ASSERT_NE(group->GetScrollBar(), nullptr);
    Click(g.left + 50, g.top + 20 + 10);
    EXPECT_EQ(group->GetSelected(), 1);
    WheelDown();
    EXPECT_EQ(group->GetFirst(), 1);

    // The tab window: a click on the second header brings its page (and its check box) up.
    auto* window = Find<TabWindow>(Gui(), WT_TABWINDOW);
    ClickOn(window->GetTabs()[1]->GetRect());
    EXPECT_EQ(window->GetCurrent(), window->GetTabs()[1]);
    EXPECT_TRUE(Find<CheckBox>(Gui(), WT_CHECKBOX, 1)->IsActive());
    EXPECT_FALSE(Find<Text>(Gui(), WT_TEXT, 1)->IsActive()) << "the first page's text went with its page";

    Move(790, 590);
    const Frame frame = harness.Screenshot();
    GameHarness::Keep(frame, "every-widget");
    ASSERT_EQ(frame.pixels.size(), 800u * 600u);
    // The bar (x 60 to 274) shows 0.24 of its 214 pixels (51) filled green, the rest pale.
    EXPECT_TRUE(Near(frame.At(60 + 51 - 3, 99), 0x1ADB7B)) << std::hex << frame.At(60 + 48, 99);
    EXPECT_TRUE(Near(frame.At(60 + 51 + 3, 99), 0xDCE8FF)) << std::hex << frame.At(60 + 54, 99);
    // The selected row 2, now the list's top row, is highlighted across the list.
    EXPECT_TRUE(Near(frame.At(l.left + 250, l.top + 10), 0x1ADB7B)) << std::hex << frame.At(l.left + 250, l.top + 10);
    EXPECT_FALSE(Near(frame.At(l.left + 250, l.top + 30), 0x1ADB7B));
    // In the scroll group, scrolled by an item, the selected item (now the top one) is written in yellow and the
    // next, not selected, in white.
    const auto inBand = [&](int top, uint32_t colour)
    {
        int n = 0;
        for (int y = top; y < top + 20; ++y)
            for (int x = g.left; x < g.left + 200; ++x)
                n += Near(frame.At(x, y), colour);
        return n;
    };
    EXPECT_GT(inBand(g.top, 0xFFFF00), 20);
    EXPECT_GT(inBand(g.top + 20, 0xFFFFFF), 20) << "the items not selected are shown";
    // The note from the Define is written in white.
    int white = 0;
    for (int y = 36; y < 54; ++y)
        for (int x = 20; x < 400; ++x)
            white += Near(frame.At(x, y), 0xFFFFFF);
    EXPECT_GT(white, 50);
    for (const auto& box : harness.Reports().boxes)
        EXPECT_EQ(box.text.find("GUI"), std::string::npos) << box.text;
}

} // namespace
