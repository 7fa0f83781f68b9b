// Tests of the number adjuster: steps of 1 or 0.1 chosen by the field pressed, the 999.99 ceiling, the wrap below
// 0, whole numbers written in integer mode and decimals in decimal mode, repeats while a button is held, and the
// number as it is shown.
#include "WidgetTestSupport.h"

#include "gui/Button.h"
#include "gui/Image.h"
#include "gui/NumberAdjust.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>

namespace
{

using widgettest::WidgetsTest;

// Decimal D at (10, 10): fields at x 10 and 43, decrement at 67 to 75, increment at 77 to 85. Integer I at
// (10, 50): decrement at 43 to 51, increment at 53 to 61. Decimal W at (10, 90) wraps.
class NumberAdjustTest : public WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        listener.values = {{"D", u"1"}, {"I", u"1"}, {"W", u"1"}};
        Dialog("NumberAdjust(10, 10, 100, 26, 1, 0, D, 0, TIP)\nNumberAdjust(10, 50, 100, 66, 0, 0, I, 0)\n"
               "NumberAdjust(10, 90, 100, 106, 1, 0, W, 1)\n");
        adjusters = widgettest::ItemsOf<NumberAdjust>(*gui, WT_NUMBERADJUST);
        ASSERT_EQ(adjusters.size(), 3u);
    }
    std::vector<NumberAdjust*> adjusters;
};

TEST_F(NumberAdjustTest, EachStepWritesTheNewValueWithinItsRange)
{
    struct Case
    {
        const char* what;
        const char* name;
        std::u16string value;
        int32_t fieldX; // the field pressed first (0: none)
        int32_t buttonX;
        int32_t y;
        float written;
        bool whole; // written as a whole number
    };
    const Case cases[] = {
        {"integer 999 up", "I", u"999", 0, 57, 58, 999.0f, true},
        {"integer 11.7 up", "I", u"11.7", 0, 57, 58, 12.0f, true},
        {"integer 3 down", "I", u"3", 0, 47, 58, 2.0f, true},
        {"integer 0 down", "I", u"0", 0, 47, 58, 0.0f, true},
        {"decimals 999.95 up", "D", u"999.95", 48, 81, 18, 999.95f, false},
        {"decimals 999.85 up", "D", u"999.85", 48, 81, 18, 999.95f, false},
        {"whole 998.99 up", "D", u"998.99", 20, 81, 18, 999.99f, false},
        {"whole 0.5 down", "D", u"0.5", 20, 71, 18, 0.5f, false},
        {"whole 0.5 down wrapping", "W", u"0.5", 20, 71, 98, 999.5f, false},
        {"decimals 0.05 down", "D", u"0.05", 48, 71, 18, 0.05f, false},
        {"decimals 0.05 down wrapping", "W", u"0.05", 48, 71, 98, 999.05f, false},
        {"decimals 2.3 down", "D", u"2.3", 48, 71, 18, 2.2f, false},
    };
    for (const Case& c : cases)
    {
        listener.values[c.name] = c.value;
        if (c.fieldX)
            Click(c.fieldX, c.y);
        listener.set.clear();
        Click(c.buttonX, c.y);
        ASSERT_EQ(listener.set.size(), 1u) << c.what;
        EXPECT_EQ(listener.set[0].first, c.name) << c.what;
        EXPECT_EQ(listener.set[0].second.IsFloat(), !c.whole) << c.what;
        EXPECT_NEAR(listener.set[0].second.AsFloat(), c.written, 0.001f) << c.what;
    }
}

TEST_F(NumberAdjustTest, APressedFieldChoosesTheStepAndShowsAsChosen)
{
    NumberAdjust& d = *adjusters[0];
    EXPECT_EQ(d.GetPart(), NumberAdjust::PART_WHOLE);
    Click(48, 18);
    EXPECT_EQ(d.GetPart(), NumberAdjust::PART_DECIMALS);
    EXPECT_EQ(d.GetLeftField().GetSprite()->GetFrame(), 0);
    EXPECT_EQ(d.GetRightField()->GetSprite()->GetFrame(), 1);
    Click(20, 18);
    EXPECT_EQ(d.GetPart(), NumberAdjust::PART_WHOLE);
    EXPECT_EQ(d.GetLeftField().GetSprite()->GetFrame(), 1);
    EXPECT_EQ(d.GetRightField()->GetSprite()->GetFrame(), 0);
    // An integer adjuster has one field and keeps its choice.
    EXPECT_EQ(adjusters[1]->GetRightField(), nullptr);
    Click(20, 58);
    EXPECT_EQ(adjusters[1]->GetPart(), NumberAdjust::PART_WHOLE);
    // The tooltip goes to the fields, the buttons keep theirs.
    EXPECT_STREQ(d.GetLeftField().GetTooltip(), "TIP");
    EXPECT_STREQ(d.GetRightField()->GetTooltip(), "TIP");
    EXPECT_EQ(d.GetTooltip(), nullptr);
    EXPECT_STREQ(d.GetIncrement().GetTooltip(), "NUMWIDGET_TIPTEXT_INC");
    EXPECT_STREQ(d.GetDecrement().GetTooltip(), "NUMWIDGET_TIPTEXT_DEC");
}

TEST_F(NumberAdjustTest, AHeldButtonStepsAgainAfter750msAndThenEvery50ms)
{
    listener.values["I"] = u"5";
    Step(57, 58);
    Step(57, 58, ME_PRESSED); // at 30 ms: fired at 80 ms, repeated from 830 ms every 50 ms
    struct Expect
    {
        uint32_t at;
        size_t writes;
    };
    const Expect expects[] = {{70, 0}, {80, 1}, {830, 1}, {840, 2}, {1000, 5}};
    for (const Expect& e : expects)
    {
        while (now < e.at)
            Step(57, 58, ME_HELD);
        EXPECT_EQ(listener.set.size(), e.writes) << e.at;
    }
}

TEST_F(NumberAdjustTest, TheNumberIsShownAsItsWholePartAndTwoDecimals)
{
    struct Case
    {
        std::u16string value;
        const char* whole;
        const char* decimals;
    };
    const Case cases[] = {{u"3.07", "3", "07"}, {u"12", "12", "00"},   {u"999.99", "999", "99"},
                          {u"0.5", "0", "50"},  {u"2.999", "3", "00"}, {u"abc", "0", "00"}};
    for (const Case& c : cases)
    {
        listener.values["D"] = c.value;
        listener.values["I"] = c.value;
        Step(900, 900);
        char whole[32], decimals[8];
        adjusters[0]->GetShownText(whole, sizeof whole, decimals, sizeof decimals);
        EXPECT_STREQ(whole, c.whole) << std::string(c.value.begin(), c.value.end());
        EXPECT_STREQ(decimals, c.decimals) << std::string(c.value.begin(), c.value.end());
    }
    // Integer mode shows the whole part alone, cut.
    listener.values["I"] = u"12.7";
    Step(900, 900);
    char whole[32], decimals[8];
    adjusters[1]->GetShownText(whole, sizeof whole, decimals, sizeof decimals);
    EXPECT_STREQ(whole, "12");
    EXPECT_STREQ(decimals, "");
}

// Where the digits go, with the test font's glyphs 6 pixels wide and 8 high: the whole part right-aligned in the 23
// pixels from its field's left edge, the point 9 pixels in and 2 down in a box as wide, the decimals right-aligned
// in the 15 pixels from theirs. D's fields start at x 10 and 43, y 10; I's at x 10, y 50.
TEST_F(NumberAdjustTest, TheDigitsAreRightAlignedInTheirFields)
{
    listener.values["D"] = u"12.5";
    listener.values["I"] = u"7";
    Step(900, 900);
    widgettest::GuiDevice()->ClearLog();
    widgettest::DrawGui(*gui);
    // The top-left corner of every glyph drawn in a band of rows.
    std::map<int, std::vector<std::pair<int, int>>> glyphs;
    for (const auto& [topLeft, bottomRight] : widgettest::TexturedQuads())
        if (bottomRight.x - topLeft.x == 6.0f && bottomRight.y - topLeft.y == 7.0f)
            glyphs[static_cast<int>(topLeft.y) / 40].emplace_back(static_cast<int>(topLeft.x),
                                                                  static_cast<int>(topLeft.y));
    using P = std::vector<std::pair<int, int>>;
    // "12": 12 wide, so from 10 + 23 - 12; "." from 19 + 23 - 6 at y 12; "50" from 43 + 15 - 12.
    EXPECT_EQ(glyphs[0], (P{{21, 10}, {27, 10}, {36, 12}, {46, 10}, {52, 10}}));
    // "7" alone in integer mode: from 10 + 23 - 6.
    EXPECT_EQ(glyphs[1], (P{{27, 50}}));
}

} // namespace
