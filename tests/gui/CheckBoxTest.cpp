// Tests of the check box and the radio buttons: values read and written as whole numbers, the state and status
// keywords that enable them, presses on transparent pixels, the hover mark, and the frames by state.
#include "WidgetTestSupport.h"

#include "gui/CheckBox.h"
#include "gui/Sprite.h"

#include <gtest/gtest.h>

namespace
{

using widgettest::WidgetsTest;

// Check boxes A (plain) at (100, 100) and S (with its state flag) at (200, 100), 16 x 16 sprites whose left 8
// columns are transparent; radio group R with buttons for 1, 2 and 3 at x 300, 330 and 360, y 100, 20 x 20.
class CheckBoxTest : public WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        // Between frames the dialog object is the shell's: the same listener.
        shell.listener = &listener;
        listener.values = {{"A", u"0"},          {"S", u"1"},          {"S_STATE", u"1"},   {"R", u"2"},
                           {"R_STATUS_1", u"1"}, {"R_STATUS_2", u"1"}, {"R_STATUS_3", u"0"}};
        Dialog("CheckBox(100, 100, 116, 116, 0, check, A, TIP)\nCheckBox(200, 100, 216, 116, 1, check, S)\n"
               "RadioGroup(300, 100, 400, 120, R, none)\n{\n"
               "RadioButton(0, 0, 20, 20, radio, 0, 1, One)\nRadioButton(30, 0, 50, 20, radio, 0, 2, None)\n"
               "RadioButton(60, 0, 80, 20, radio, 0, 3, None)\n}\n");
        boxes = widgettest::ItemsOf<CheckBox>(*gui, WT_CHECKBOX);
        radios = widgettest::ItemsOf<RadioButton>(*gui, WT_RADIOBUTTON);
        ASSERT_EQ(boxes.size(), 2u);
        ASSERT_EQ(radios.size(), 3u);
    }
    // The whole numbers written, as "name=value".
    std::vector<std::string> Written() const
    {
        std::vector<std::string> out;
        for (const auto& [name, value] : listener.set)
        {
            EXPECT_FALSE(value.IsFloat()) << name << " is written as a whole number";
            out.push_back(name + "=" + std::to_string(value.AsInt()));
        }
        return out;
    }
    std::vector<CheckBox*> boxes;
    std::vector<RadioButton*> radios;
};

TEST_F(CheckBoxTest, ABoxShowsAnyNonZeroValueCheckedAndAPressWritesTheOtherState)
{
    struct Case
    {
        std::u16string value;
        int32_t shown;
        std::string written;
    };
    const Case cases[] = {{u"0", 0, "A=1"}, {u"2", 1, "A=0"}, {u"1", 1, "A=0"}, {u"-1", 1, "A=0"}, {u"x", 0, "A=1"}};
    for (const Case& c : cases)
    {
        listener.values["A"] = c.value;
        listener.set.clear();
        Step(900, 900);
        EXPECT_EQ(boxes[0]->GetState(), c.shown);
        // Nothing is written back by reading.
        EXPECT_TRUE(listener.set.empty());
        Click(110, 108);
        EXPECT_EQ(Written(), std::vector<std::string>{c.written});
    }
}

TEST_F(CheckBoxTest, APressOnATransparentPixelOrOnADisabledBoxDoesNothing)
{
    Click(103, 108); // the transparent left half
    Click(100, 108); // the left edge
    EXPECT_TRUE(listener.set.empty());
    // S is enabled while S_STATE reads non-zero.
    Click(210, 108);
    EXPECT_EQ(Written(), std::vector<std::string>{"S=0"});
    listener.set.clear();
    listener.values["S_STATE"] = u"0";
    Click(210, 108);
    EXPECT_TRUE(listener.set.empty());
    EXPECT_FALSE(boxes[1]->IsEnabled());
    // A disabled box is not drawn: its dirty mark stays for when it comes back.
    boxes[1]->SetDirty();
    gui->DrawDialogs();
    EXPECT_TRUE(boxes[1]->IsDirty());
    listener.values["S_STATE"] = u"3";
    gui->DrawDialogs();
    EXPECT_FALSE(boxes[1]->IsDirty());
    EXPECT_EQ(boxes[1]->GetSprite()->GetFrame(), boxes[1]->GetState());
}

TEST_F(CheckBoxTest, TheRadioButtonOfTheValueIsOnAndButtonsWithoutStatusAreDisabled)
{
    // R reads 2: button 2 on; R_STATUS_3 reads 0: button 3 disabled.
    EXPECT_EQ(radios[0]->StateFrame(), 0);
    EXPECT_EQ(radios[1]->StateFrame(), 2);
    EXPECT_EQ(radios[2]->StateFrame(), 3);
    // The on button and the disabled one ignore presses; the first writes its value.
    Click(340, 110);
    Click(370, 110);
    EXPECT_TRUE(listener.set.empty());
    Click(310, 110);
    EXPECT_EQ(Written(), std::vector<std::string>{"R=1"});
    // The value moves to 3: disabled and on.
    listener.values["R"] = u"3";
    Step(900, 900);
    EXPECT_EQ(radios[2]->StateFrame(), 4);
    EXPECT_EQ(radios[1]->StateFrame(), 0);
    gui->DrawDialogs();
    EXPECT_EQ(radios[2]->GetBits(), RadioButton::BIT_ON | RadioButton::BIT_DISABLED);
}

TEST_F(CheckBoxTest, TheHoverMarkComesAndGoesWithTheCursor)
{
    struct Step
    {
        int32_t x;
        int32_t frame; // of button 1
    };
    const Step steps[] = {{310, 1}, {312, 1}, {290, 0}, {310, 1}, {900, 0}};
    for (const Step& s : steps)
    {
        // The mouse first, the mark at the next update.
        WidgetsTest::Step(s.x, 110);
        WidgetsTest::Step(s.x, 110);
        EXPECT_EQ(radios[0]->StateFrame(), s.frame) << s.x;
    }
    // A press where the cursor has just arrived, before the mark came, does not count.
    WidgetsTest::Step(310, 110, ME_PRESSED);
    EXPECT_TRUE(listener.set.empty());
}

} // namespace
