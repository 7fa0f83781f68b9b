// Tests of the scroll bar and the slider: the thumb's length (6 pixels at least) and place, the empty and the short
// list, the wheel, the arrows' first step and repeats, paging on the track, dragging the thumb against the arrows;
// the slider's drag, its hundredths, its ends and the values it reads and writes by name.
#include "WidgetTestSupport.h"

#include "gui/Button.h"
#include "gui/ComboBox.h"
#include "gui/Image.h"
#include "gui/ListBox.h"
#include "gui/ScrollBar.h"
#include "gui/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace
{

using widgettest::WidgetsTest;

// A bar from (100, 50) to (114, 250): 14-pixel arrows leave a track of 200 - 28 = 172 pixels from y 64 to 236.
class ScrollBarTest : public WidgetsTest
{
protected:
    std::unique_ptr<ScrollBar> Bar(uint32_t first, uint32_t count, uint32_t visible)
    {
        return std::make_unique<ScrollBar>(100, 50, 114, 250, first, count, visible, 3);
    }
    // One frame of the bar alone: the clock moves 10 ms, the bar updates, then gets the mouse.
    void Tick(ScrollBar& bar, int32_t x, int32_t y, int32_t event)
    {
        clock->Update(now += 10);
        bar.Update(clock->GetFrameTime());
        bar.OnMouse(x, y, event);
    }
};

TEST_F(ScrollBarTest, TheThumbIsTheVisibleShareOfTheTrackButNeverShorterThanSixPixels)
{
    struct Case
    {
        uint32_t count, visible;
        int32_t length, excess;
    };
    // 172 x visible / count, cut to whole pixels; below 6 it is 6 and the difference is the excess.
    const Case cases[] = {
        {10, 10, 172, 0}, {20, 10, 86, 0}, {100, 10, 17, 0}, {1000, 10, 6, 5}, {5000, 10, 6, 6}, {0, 10, 172, 0},
    };
    for (const Case& c : cases)
    {
        auto bar = Bar(0, c.count, c.visible);
        EXPECT_EQ(bar->GetThumbLength(), c.length) << c.count;
        EXPECT_EQ(bar->GetThumbExcess(), c.excess) << c.count;
        EXPECT_EQ(bar->GetThumb().GetHeight(), c.length) << c.count;
        EXPECT_EQ(bar->GetThumb().GetRect().top, 64) << c.count;
    }
}

TEST_F(ScrollBarTest, TheThumbIsPlacedFromTheFirstRowWithTheExcessTakenOffTheTrack)
{
    auto bar = Bar(0, 1000, 10);
    struct Case
    {
        uint32_t first;
        uint32_t kept; // first as the bar keeps it
        int32_t top;   // 64 + (172 - 5) / 1000 x kept, cut
    };
    const Case cases[] = {{0, 0, 64}, {500, 500, 147}, {990, 990, 229}, {2000, 990, 229}};
    for (const Case& c : cases)
    {
        bar->SetFirst(c.first);
        EXPECT_EQ(bar->GetFirst(), c.kept) << c.first;
        EXPECT_EQ(bar->GetThumb().GetRect().top, c.top) << c.first;
        EXPECT_LE(bar->GetThumb().GetRect().bottom, bar->GetDownButton().GetRect().top) << c.first;
    }
}

TEST_F(ScrollBarTest, ListsThatFitOrAreEmptyNeverScroll)
{
    // A list no longer than the view: first stays 0 whatever asks it to move.
    for (uint32_t count : {0u, 3u, 10u})
    {
        SCOPED_TRACE(count);
        auto bar = Bar(5, count, 10);
        EXPECT_EQ(bar->GetFirst(), 0u);
        bar->SetFirst(7);
        bar->ScrollDown();
        bar->OnMouseWheel(107, 100, -1);
        EXPECT_EQ(bar->GetFirst(), 0u);
        bar->SetCount(count);
        EXPECT_EQ(bar->GetFirst(), 0u);
        EXPECT_EQ(bar->GetThumbLength(), 172);
    }
    // A list that shrinks takes first back to its last full view.
    auto bar = Bar(0, 50, 10);
    bar->SetFirst(40);
    bar->SetCount(20);
    EXPECT_EQ(bar->GetFirst(), 10u);
    bar->SetCount(0);
    EXPECT_EQ(bar->GetFirst(), 0u);
    EXPECT_EQ(bar->GetThumbLength(), 172);
}

TEST_F(ScrollBarTest, TheWheelMovesOneRowWithinTheList)
{
    auto bar = Bar(0, 20, 5);
    struct Step
    {
        int32_t delta;
        uint32_t first;
    };
    const Step steps[] = {{1, 0}, {-1, 1}, {-120, 2}, {120, 1}, {0, 1}};
    for (const Step& s : steps)
    {
        EXPECT_TRUE(bar->OnMouseWheel(0, 0, s.delta));
        EXPECT_EQ(bar->GetFirst(), s.first) << s.delta;
    }
    bar->SetFirst(15);
    bar->OnMouseWheel(0, 0, -1);
    EXPECT_EQ(bar->GetFirst(), 15u);
}

TEST_F(ScrollBarTest, AHeldArrowStepsAfter50msThenAfter750msAndEvery50ms)
{
    auto bar = Bar(0, 100, 10);
    // The down arrow covers y 236 to 250.
    Tick(*bar, 107, 243, ME_NONE);
    Tick(*bar, 107, 243, ME_PRESSED); // pressed at 20 ms
    struct Expect
    {
        uint32_t at; // ms
        uint32_t first;
    };
    // Fired at 70 ms (50 ms after the press), then held: repeats from 750 ms after that, every 50 ms, each counted
    // at the frame after.
    const Expect expects[] = {{60, 0}, {70, 1}, {800, 1}, {830, 2}, {880, 3}, {1000, 5}};
    for (const Expect& e : expects)
    {
        while (now < e.at)
            Tick(*bar, 107, 243, ME_HELD);
        EXPECT_EQ(bar->GetFirst(), e.first) << e.at;
    }
    // Let go: no more steps.
    for (int i = 0; i < 30; ++i)
        Tick(*bar, 107, 243, ME_NONE);
    EXPECT_EQ(bar->GetFirst(), 5u);
    // The up arrow (y 50 to 64) steps back.
    Tick(*bar, 107, 57, ME_NONE);
    Tick(*bar, 107, 57, ME_PRESSED);
    for (int i = 0; i < 6; ++i)
        Tick(*bar, 107, 57, ME_NONE);
    EXPECT_EQ(bar->GetFirst(), 4u);
}

TEST_F(ScrollBarTest, APressOnTheTrackPagesAViewLessOneRowEveryFrameItIsHeld)
{
    auto bar = Bar(0, 100, 10);
    // Below the thumb (which starts at 64): down 9 rows on the press and on each held frame.
    EXPECT_TRUE(bar->OnMouse(107, 200, ME_PRESSED));
    EXPECT_EQ(bar->GetFirst(), 9u);
    bar->OnMouse(107, 200, ME_HELD);
    bar->OnMouse(107, 200, ME_HELD);
    EXPECT_EQ(bar->GetFirst(), 27u);
    bar->OnMouse(107, 200, ME_NONE);
    EXPECT_EQ(bar->GetFirst(), 27u);
    // Above it: up.
    bar->OnMouse(107, 66, ME_PRESSED);
    EXPECT_EQ(bar->GetFirst(), 18u);
    // A bar showing one row at a time pages nothing.
    auto single = Bar(0, 100, 1);
    single->OnMouse(107, 200, ME_PRESSED);
    EXPECT_EQ(single->GetFirst(), 0u);
}

TEST_F(ScrollBarTest, ADraggedThumbStopsAtTheArrowsAndSetsFirstFromItsPlace)
{
    auto bar = Bar(0, 100, 10); // a 17-pixel thumb: its top travels from 64 to 219
    EXPECT_TRUE(bar->OnMouse(107, 70, ME_PRESSED));
    EXPECT_TRUE(bar->OnMouse(107, 70, ME_HELD));
    EXPECT_TRUE(bar->IsDragging());
    struct Step
    {
        int32_t y;
        int32_t top;
        uint32_t first; // (top - 64) / 155 x 90, cut
    };
    const Step steps[] = {{101, 95, 18}, {400, 219, 90}, {500, 219, 90}, {-200, 64, 0}, {-150, 114, 29}};
    int32_t y = 70;
    for (const Step& s : steps)
    {
        // The thumb follows the cursor's movement since the last frame, within the track.
        bar->OnMouse(107, s.y, ME_HELD);
        y = s.y;
        EXPECT_EQ(bar->GetThumb().GetRect().top, s.top) << s.y;
        EXPECT_EQ(bar->GetFirst(), s.first) << s.y;
    }
    bar->OnMouse(107, y, ME_NONE);
    EXPECT_FALSE(bar->IsDragging());
}

TEST_F(ScrollBarTest, AThumbThatFillsTheTrackDragsNowhere)
{
    // count = visible: the thumb is the whole track, with no room to move in.
    auto bar = Bar(0, 10, 10);
    bar->OnMouse(107, 100, ME_PRESSED);
    bar->OnMouse(107, 100, ME_HELD);
    bar->OnMouse(107, 180, ME_HELD);
    bar->OnMouse(107, 20, ME_HELD);
    EXPECT_EQ(bar->GetFirst(), 0u);
    EXPECT_EQ(bar->GetThumb().GetRect().top, 64);
    // The same for an empty list.
    auto empty = Bar(0, 0, 10);
    empty->OnMouse(107, 100, ME_PRESSED);
    empty->OnMouse(107, 100, ME_HELD);
    empty->OnMouse(107, 180, ME_HELD);
    EXPECT_EQ(empty->GetFirst(), 0u);
}

TEST_F(WidgetsTest, AThumbTakenHoldOfMovesOnlyAsFarAsTheCursorMovesAfterwards)
{
    // A combo box with 14 entries in 5 rows, and a list of 5 rows shown that its owner fills with 40.
    Dialog("ComboBox(10, 10, 160, 27, GuestFilter, 5, 4278190080, 0, 0, 0)\n"
           "ListBox(300, 10, 500, 110, 502, 10, 516, 110, L, 20, 5)\n");
    ComboBox* box = widgettest::ItemsOf<ComboBox>(*gui, WT_COMBOBOX)[0];
    auto* list = static_cast<ListBox*>(gui->FindItem(WT_LISTBOX, "L"));
    auto fill = [list]
    {
        list->Clear();
        for (int row = 0; row < 40; ++row)
            list->AddText(row, 5, 150, 15, Text::ALIGN_LEFT, 0, 0xFF000000, u"row", true);
    };
    fill();
    struct Case
    {
        const char* what;
        // Brings a bar about whose thumb the cursor then holds the button, and returns it.
        std::function<ScrollBar*()> bring;
    };
    const Case cases[] = {
        {"a combo box's list opened by the press a frame before",
         [&]
         {
             Frame(now += 60, 120, 18);
             Step(120, 18);
             Step(120, 18, ME_PRESSED);
             return box->GetScrollBar();
         }},
        {"a list filled again by its owner while its thumb was held",
         [&]
         {
             const GuiRect thumb = list->GetScrollBar()->GetThumb().GetRect();
             Step(509, thumb.top + 3);
             Step(509, thumb.top + 3, ME_PRESSED);
             Step(509, thumb.top + 3, ME_HELD);
             fill();
             return list->GetScrollBar();
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ScrollBar* bar = c.bring();
        ASSERT_NE(bar, nullptr);
        const GuiRect thumb = bar->GetThumb().GetRect();
        const uint32_t first = bar->GetFirst();
        const int32_t x = (bar->GetRect().left + bar->GetRect().right) / 2, y = thumb.top + 3;
        // Held on the thumb: the drag takes hold there, and nothing moves until the cursor does.
        Step(x, y, ME_HELD);
        EXPECT_TRUE(bar->IsDragging());
        EXPECT_EQ(bar->GetThumb().GetRect().top, thumb.top);
        EXPECT_EQ(bar->GetFirst(), first);
        // Then the thumb follows the cursor pixel for pixel.
        Step(x, y + 4, ME_HELD);
        EXPECT_EQ(bar->GetThumb().GetRect().top, thumb.top + 4);
        Step(x, y + 4, ME_NONE);
        Step(900, 900, ME_PRESSED);
    }
}

// ---- Slider

// A slider from x 100 to 300 (a 13-pixel knob travels 187 pixels) bound to LEVEL in dialog D.
class SliderTest : public WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        listener.values["LEVEL"] = u"0.5";
        Dialog("Slider(100, 50, 300, 68, LEVEL, 0, 1, 2, TIP)\n"
               "Slider(100, 100, 300, 118, MUSIC_VOLUME, 0, 1, 0)\n"
               "Slider(100, 150, 300, 168, RESEARCH_SPEND, 0, 1, 0)\n");
        slider = widgettest::ItemsOf<Slider>(*gui, WT_SLIDER)[0];
    }
    int32_t KnobLeft() const { return slider->GetKnob().GetRect().left; }
    std::vector<float> Written() const
    {
        std::vector<float> values;
        for (const auto& [name, value] : listener.set)
        {
            EXPECT_EQ(name, "LEVEL");
            EXPECT_TRUE(value.IsFloat()) << "a slider writes a decimal number";
            values.push_back(value.AsFloat());
        }
        return values;
    }
    Slider* slider = nullptr;
};

TEST_F(SliderTest, TheKnobShowsTheLeadingNumberOfTheObjectsText)
{
    struct Case
    {
        std::u16string text;
        int32_t left; // 100 + 187 x value, cut
    };
    const Case cases[] = {{u"0.5", 193}, {u"0.75abc", 240}, {u" 1", 287},  {u"abc", 100}, {u"", 100},
                          {u"7", 287},   {u"-3", 100},      {u"nan", 100}, {u"1e-1", 118}};
    for (const Case& c : cases)
    {
        listener.values["LEVEL"] = c.text;
        Step(900, 900);
        EXPECT_EQ(KnobLeft(), c.left) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(slider->GetKnob().GetRect().top, 50);
    }
    EXPECT_EQ(slider->GetTravel(), 187);
}

// The knob goes with the slider when its dialog is dragged, and back with it when the dialog is laid out again at
// or away from its home place (at 0.5 it stands 93 of the 187 pixels of travel from the slider's left edge).
TEST_F(SliderTest, TheKnobGoesWithTheSliderWhenTheDialogMovesOrIsLaidOutAgain)
{
    struct Case
    {
        const char* what;
        int32_t dragX, dragY; // the dialog is dragged by this much
        int32_t openX, openY; // then laid out this far from its home place
    };
    const Case cases[] = {
        {"dragged down and right, laid out at home", 30, 40, 0, 0},
        {"dragged up and left, laid out elsewhere", -20, -15, 50, 25},
        {"dragged down only, laid out lower still", 0, 60, 0, 90},
    };
    constexpr int32_t kHomeLeft = 100, kHomeTop = 50, kHalfTravel = 93;
    for (const Case& c : cases)
    {
        slider->Reposition(0, 0);
        slider->Move(c.dragX, c.dragY);
        Step(900, 900);
        EXPECT_EQ(KnobLeft(), kHomeLeft + c.dragX + kHalfTravel) << c.what;
        EXPECT_EQ(slider->GetKnob().GetRect().top, kHomeTop + c.dragY) << c.what;
        slider->Reposition(c.openX, c.openY);
        Step(900, 900);
        EXPECT_EQ(KnobLeft(), kHomeLeft + c.openX + kHalfTravel) << c.what;
        EXPECT_EQ(slider->GetKnob().GetRect().top, kHomeTop + c.openY) << c.what;
    }
}

TEST_F(SliderTest, ADragWritesHundredthsUntilTheCursorLeavesAndEndsExactlyAtOne)
{
    Step(150, 55);
    Step(150, 55, ME_PRESSED); // (150 - 100) / 187 = 0.267
    Step(200, 55, ME_HELD);    // 100 / 187 = 0.534
    Step(299, 55, ME_HELD);    // past the knob's travel: the right end
    Step(50, 55, ME_HELD);     // off the slider: the drag ends
    Step(120, 55, ME_HELD);    // back on it, still held: no drag without a new press
    Step(120, 55, ME_NONE);
    const std::vector<float> expected = {0.26f, 0.53f, 1.0f};
    EXPECT_EQ(Written(), expected);
    EXPECT_EQ(KnobLeft(), 193) << "the knob shows the object's value again";
    // A press at the left edge writes exactly 0.
    listener.set.clear();
    Step(100, 60, ME_PRESSED);
    EXPECT_EQ(Written(), std::vector<float>{0.0f});
}

TEST_F(SliderTest, ValuesAreCutToHundredthsWhereverTheyGo)
{
    struct Case
    {
        float value, stored;
    };
    const Case cases[] = {{0.456f, 0.45f}, {0.999f, 0.99f}, {1.0f, 1.0f}, {0.01f, 0.01f}, {0.0f, 0.0f}};
    // Outside the dialog's own frames the dialog object is the shell's.
    shell.listener = &listener;
    Step(900, 900);
    for (const Case& c : cases)
    {
        listener.set.clear();
        slider->SetValue(c.value);
        ASSERT_EQ(Written().size(), 1u);
        EXPECT_FLOAT_EQ(Written()[0], c.stored) << c.value;
    }
    // The music volume goes to the options; the research budget to the program.
    auto sliders = widgettest::ItemsOf<Slider>(*gui, WT_SLIDER);
    sliders[1]->SetValue(0.456f);
    EXPECT_FLOAT_EQ(shell.options.m_fMusicVol, 0.45f);
    sliders[2]->SetValue(0.3333f);
    EXPECT_FLOAT_EQ(shell.research, 0.33f);
    shell.research = 0.25f;
    Step(900, 900);
    EXPECT_EQ(sliders[2]->GetKnob().GetRect().left, 100 + 46);
}

} // namespace
