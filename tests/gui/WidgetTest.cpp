// Tests of the widgets: the button's timing, repeats, state variables, binding and pixel-shaped hits; the tooltip's
// rest, limit and quick follow-up; the main item's own presses; dragging and slide transitions of a dialog; the rise
// and end of the credits roll.
#include "GuiTestSupport.h"

#include "engine/render/TextWriter.h"
#include "gui/Button.h"
#include "gui/CreditsRoll.h"
#include "gui/DialogItem.h"
#include "gui/MainItem.h"

#include <gtest/gtest.h>

namespace
{

using guitest::g_fired;
using Fired = std::vector<std::pair<std::string, int32_t>>;

// A 10 x 10 button picture: its first column opaque, the next four transparent, the rest opaque.
guitest::BankMade HalfButton()
{
    std::vector<uint8_t> rows;
    for (int y = 0; y < 10; ++y)
        rows.insert(rows.end(), {1, 1, 0xFC, 5, 1, 1, 1, 1, 1});
    return {"half", 1, {}, {{"states", 10, 10, 1, {rows}}}};
}

// Dialog "D" of a script over the half-button bank, opened with the listener's values and drawn once.
class HalfButtonGuiTest : public guitest::GuiTest
{
protected:
    void Open(const char* script, std::map<std::string, platform::WString> values)
    {
        GuiTest::SetUp();
        guitest::Load(GetSpriteManager(), {HalfButton()});
        Script(script);
        gui->OpenDialog("D", &listener);
        listener.values = std::move(values);
        Frame(0, 900, 900);
    }
    guitest::RecordingListener listener;
};

class WidgetTest : public HalfButtonGuiTest
{
protected:
    void SetUp() override
    {
        Open("DialogItem D(0, 0, 399, 299, CLEAR, 1, 1)\n{\n"
             "Button(10, 40, 60, 60, NONE, 0, None, Fire, Alt, TIP)\n"
             "Button(100, 40, 150, 60, NONE, 0, BUTSTATEVAR_GO, Fire, NONE)\n"
             "Button(200, 40, 250, 60, NONE, 0, BUTSTATEVISVAR_SEE, fire, NONE)\n"
             "Button(300, 40, 0, 0, half, 0, None, Fire, NONE)\n}\n",
             {{"GO_STATE", u"1"}, {"SEE_STATE", u"1"}});
    }
    Button* At(size_t i) const { return static_cast<Button*>(gui->GetItems()[i + 1].get()); }
    // Frames every 10 ms from `from` to `to` (inclusive) with the cursor and button state.
    void Run(uint32_t from, uint32_t to, int32_t x, int32_t y, int32_t first)
    {
        for (uint32_t t = from; t <= to; t += 10)
            Frame(t, x, y, first);
    }
};

TEST_F(WidgetTest, AButtonFiresItsLastBoundCommandOnce50msAfterAPressOnIt)
{
    struct Step
    {
        uint32_t ms;
        int32_t x, first;
        size_t fired; // commands fired so far
    };
    struct Case
    {
        const char* what;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"rest, press and release", {{10, 30, 0, 0}, {20, 30, 1, 0}, {65, 30, 0, 0}, {75, 30, 0, 1}, {400, 30, 0, 1}}},
        {"press as the cursor arrives", {{10, 900, 0, 0}, {20, 30, 1, 0}, {200, 30, 0, 0}}},
        {"press off the button", {{10, 30, 0, 0}, {20, 70, 1, 0}, {200, 30, 0, 0}}},
        {"disabled by its variable", {{10, 130, 0, 0}, {20, 130, 1, 0}, {200, 130, 0, 0}}},
        {"hidden by its variable", {{10, 230, 0, 0}, {20, 230, 1, 0}, {200, 230, 0, 0}}},
        {"on a transparent pixel", {{10, 302, 0, 0}, {20, 302, 1, 0}, {200, 302, 0, 0}}},
        {"on an opaque pixel", {{10, 307, 0, 0}, {20, 307, 1, 0}, {200, 307, 0, 1}}},
        {"on the first column", {{10, 301, 0, 0}, {20, 301, 1, 0}, {200, 301, 0, 1}}},
        {"on the picture's left edge", {{10, 300, 0, 0}, {20, 300, 1, 0}, {200, 300, 0, 0}}},
    };
    uint32_t base = 0;
    for (const Case& c : cases)
    {
        listener.values["GO_STATE"] = u"0";
        listener.values["SEE_STATE"] = u"0";
        g_fired.clear();
        for (const Step& s : c.steps)
        {
            Frame(base + s.ms, s.x, 45, s.first);
            EXPECT_EQ(g_fired.size(), s.fired) << c.what << " at " << s.ms;
        }
        if (!g_fired.empty())
        {
            EXPECT_EQ(g_fired[0], (std::pair<std::string, int32_t>{"B", 1})) << c.what;
        }
        Frame(base += 1000, 900, 900);
    }
    // The variables switch the buttons back on at the next update.
    listener.values["GO_STATE"] = u"7";
    listener.values["SEE_STATE"] = u"1";
    g_fired.clear();
    Frame(base + 10, 130, 45);
    Frame(base + 20, 130, 45, ME_PRESSED);
    Frame(base + 30, 230, 45);
    Frame(base + 40, 230, 45, ME_PRESSED);
    Frame(base + 200, 900, 900);
    EXPECT_EQ(g_fired.size(), 2u);
    Frame(base + 300, 900, 900);
    EXPECT_EQ(At(1)->GetState(), Button::STATE_NORMAL);
}

TEST_F(WidgetTest, AHeldAutoRepeatButtonFiresAfter750msThenEvery50ms)
{
    At(0)->SetAutoRepeat(true);
    Frame(10, 30, 45);
    Frame(20, 30, 45, ME_PRESSED);
    std::vector<uint32_t> times;
    for (uint32_t t = 30; t <= 1100; t += 10)
    {
        const size_t before = g_fired.size();
        Frame(t, 30, 45, ME_HELD);
        if (g_fired.size() != before)
            times.push_back(t);
    }
    // Fired 50 ms after the press, again 750 ms after that, then every 50 ms while held.
    ASSERT_GE(times.size(), 5u);
    EXPECT_NEAR(times[0], 75, 5);
    EXPECT_NEAR(times[1], times[0] + 755, 5);
    for (size_t i = 2; i < times.size(); ++i)
        EXPECT_NEAR(times[i], times[i - 1] + 55, 5);
    // The second button fires the alternative command.
    Frame(1200, 900, 900);
    g_fired.clear();
    Frame(1210, 30, 45);
    EXPECT_TRUE(At(0)->OnRightMouse(30, 45, ME_PRESSED));
    Frame(1300, 30, 45);
    EXPECT_EQ(g_fired, (Fired{{"Alt", 1}}));
}

// A right press is taken only by a button that is shown and switched on (as the auto-repeat test's first button
// takes it): one hidden by its variable or switched off leaves it to whatever lies behind and fires nothing.
TEST_F(WidgetTest, OnlyAShownAndActiveButtonTakesARightPress)
{
    listener.values["SEE_STATE"] = u"0";
    Frame(10, 900, 900);
    ASSERT_FALSE(At(2)->IsVisible());
    At(0)->SetActive(false);
    const struct
    {
        const char* what;
        size_t button;
        int32_t x;
    } cases[] = {{"hidden by its variable", 2, 230}, {"switched off", 0, 30}};
    uint32_t t = 20;
    for (const auto& c : cases)
    {
        g_fired.clear();
        Frame(t += 100, c.x, 45);
        EXPECT_FALSE(At(c.button)->OnRightMouse(c.x, 45, ME_PRESSED)) << c.what;
        Frame(t += 100, c.x, 45);
        EXPECT_TRUE(g_fired.empty()) << c.what;
        Frame(t += 1000, 900, 900);
    }
}

TEST_F(WidgetTest, ButtonsBindCommandsIgnoringCaseAndAnswerByTheirExactName)
{
    EXPECT_EQ(At(0)->GetCommand(), guitest::FireB);
    EXPECT_EQ(At(2)->GetCommand(), guitest::FireB);
    EXPECT_EQ(At(0)->GetAlternativeCommand(), guitest::FireAlt);
    EXPECT_TRUE(At(0)->IsBoundTo("fire"));
    EXPECT_FALSE(At(0)->IsBoundTo("Fire")) << "that row holds another handler";
    EXPECT_FALSE(At(0)->IsBoundTo("FIRE"));
    gui->DisableButtonsByCommand("fire");
    EXPECT_EQ(At(3)->GetState(), Button::STATE_DISABLED);
    EXPECT_EQ(At(3)->GetVariableKind(), Button::VAR_LABEL);
    EXPECT_EQ(At(1)->GetVariableKind(), Button::VAR_STATE);
    EXPECT_EQ(At(1)->GetVariableName(), "GO");
    EXPECT_EQ(At(3)->GetRect().right, 310) << "an image button takes its picture's size";
}

TEST_F(WidgetTest, AStateVariableOfNoneInAnyCaseGivesAButtonWithoutVariableOrLabel)
{
    struct Case
    {
        const char* variable; // as the script writes it
        const char* name;     // the variable the button keeps
        bool labelled;        // it draws a label
        bool switchedOff;     // a listener answering 0 for "None_STATE" disables it
    };
    const Case cases[] = {
        {"None", "", false, false},
        {"NONE", "", false, false},
        {"none", "", false, false},
        {"Nonesuch", "Nonesuch", true, false},
        {"BUTSTATEVAR_None", "None", true, true},
        {"BUTVAR_NONE", "NONE", true, false},
    };
    uint32_t t = 0;
    for (const Case& c : cases)
    {
        Script(std::string("Font(GuiFont7)\nDialogItem D(0, 0, 399, 299, CLEAR, 1, 0)\n{\nButton(10, 40, 60, 60, "
                           "NONE, 0, ") +
               c.variable + ", Fire, NONE)\n}\n");
        auto* button = static_cast<Button*>(gui->GetItems().at(1).get());
        EXPECT_EQ(button->GetVariableName(), c.name) << c.variable;
        guitest::RecordingListener asked;
        asked.values["None_STATE"] = u"1";
        asked.values["NONE"] = u"1";
        gui->OpenDialog("D", &asked);
        Frame(t += 10, 900, 900);
        // The label is written inside the button's rectangle, 3 pixels down; nothing is written without one.
        TextWriter* writer = gui->GetTextWriter(0);
        ASSERT_NE(writer, nullptr);
        writer->SetRect(-1, -1, 1, 1);
        gui->Draw();
        EXPECT_EQ(writer->GetX() == 10 && writer->GetY() == 43, c.labelled) << c.variable;
        asked.values["None_STATE"] = u"0";
        Frame(t += 10, 900, 900);
        EXPECT_EQ(button->GetState() == Button::STATE_DISABLED, c.switchedOff) << c.variable;
    }
}

TEST_F(WidgetTest, ATooltipShowsAfterARestHidesAfterSevenSecondsAndFollowsQuickly)
{
    const Widget* tip = At(0);
    auto shown = [&] { return gui->GetTooltipOwner() == tip && gui->GetTooltipBox().IsShown(); };
    // A cursor that keeps moving never shows it.
    for (uint32_t t = 100; t <= 3000; t += 100)
        Frame(t, 20 + (t / 100) % 2, 45);
    EXPECT_FALSE(shown());
    Run(3010, 4400, 20, 45, ME_NONE);
    EXPECT_FALSE(shown()) << "rested 1.39 s";
    Run(4410, 4700, 20, 45, ME_NONE);
    EXPECT_TRUE(shown()) << "rested 1.5 s";
    Run(4710, 9900, 20, 45, ME_NONE);
    EXPECT_TRUE(shown());
    Run(9910, 12000, 20, 45, ME_NONE);
    EXPECT_FALSE(shown()) << "gone 7 s into the rest";
    // Out and back within 2.5 s of the hiding: 0.05 s of rest are enough.
    Frame(12100, 900, 900);
    Run(12110, 12200, 20, 45, ME_NONE);
    EXPECT_TRUE(shown());
    // A press hides it for the rest of the hover.
    Frame(12210, 20, 45, ME_PRESSED);
    EXPECT_FALSE(shown());
    Run(12220, 14000, 20, 45, ME_NONE);
    EXPECT_FALSE(shown());
}

// A button shown by its variable and a check box enabled by its state, each with a tooltip.
class HiddenTooltipTest : public HalfButtonGuiTest
{
protected:
    void SetUp() override
    {
        Open("DialogItem D(0, 0, 399, 299, CLEAR, 1, 1)\n{\n"
             "Button(10, 40, 60, 60, NONE, 0, BUTSTATEVISVAR_SEE, Fire, NONE, TIP)\n"
             "CheckBox(100, 40, 110, 50, 1, half, BOX, TIP)\n}\n",
             {{"SEE_STATE", u"1"}, {"BOX", u"0"}, {"BOX_STATE", u"1"}});
    }
};

TEST_F(HiddenTooltipTest, ATooltipGoesWhenItsWidgetIsHiddenOrSwitchedOff)
{
    struct Case
    {
        const char* what;
        int32_t x, y;      // a point on the widget
        const char* state; // the variable that switches it off
    };
    const Case cases[] = {
        {"button hidden by its variable", 30, 50, "SEE_STATE"},
        {"check box switched off by its state", 107, 45, "BOX_STATE"},
    };
    uint32_t t = 0;
    for (const Case& c : cases)
    {
        listener.values["SEE_STATE"] = u"1";
        listener.values["BOX_STATE"] = u"1";
        for (uint32_t end = t + 2000; t < end;)
            Frame(t += 10, c.x, c.y);
        ASSERT_TRUE(gui->GetTooltipBox().IsShown()) << c.what;
        const Widget* owner = gui->GetTooltipOwner();
        listener.values[c.state] = u"0";
        // The cursor rests on, then moves away and rests elsewhere.
        for (uint32_t end = t + 200; t < end;)
            Frame(t += 10, c.x, c.y);
        for (uint32_t end = t + 200; t < end;)
            Frame(t += 10, 900, 900);
        EXPECT_FALSE(gui->GetTooltipBox().IsShown() && gui->GetTooltipOwner() == owner) << c.what;
        for (uint32_t end = t + 3000; t < end;)
            Frame(t += 10, 900, 900);
    }
}

TEST_F(WidgetTest, AMainItemTakesPressesOnItselfAndHitsThroughItsChildren)
{
    MainItem item(0, 0, 100, 100, MainItem::STYLE_NONE);
    MainItem child(200, 200, 210, 210, MainItem::STYLE_TOOLTIP);
    item.AddChild(&child);
    EXPECT_TRUE(item.HitTest(205, 205));
    EXPECT_TRUE(item.OnMouse(50, 50, ME_PRESSED));
    EXPECT_TRUE(item.WasClicked());
    EXPECT_TRUE(item.OnMouse(205, 205, ME_PRESSED));
    EXPECT_FALSE(item.WasClicked()) << "the child's press";
    EXPECT_TRUE(child.WasClicked());
    EXPECT_FALSE(item.OnMouse(50, 50, ME_NONE));
    EXPECT_TRUE(item.OnMouse(50, 50, ME_HELD));
    EXPECT_TRUE(item.IsPressed());
    item.DrawCached();
    EXPECT_FALSE(item.IsDirty() || child.IsDirty());
}

TEST_F(WidgetTest, ADialogDragsByItsTitleWithinTheScreenAndSlidesOutClosed)
{
    auto* dialog = static_cast<DialogItem*>(gui->FindItem(WT_DIALOG, "D"));
    struct Step
    {
        int32_t x, y, event;
        int32_t left, top; // the dialog's corner afterwards
    };
    // The first held event only records; a move that would leave less than 20 pixels on the screen is dropped
    // but its position recorded; a cursor outside the window stands still; a release ends the drag.
    const Step steps[] = {
        {100, 10, ME_PRESSED, 0, 0},
        {110, 20, ME_HELD, 0, 0},
        {120, 25, ME_HELD, 10, 5},
        {920, 25, ME_HELD, 10, 5},
        {-300, -300, ME_HELD, 10, 5},
        {930, 35, ME_HELD, 20, 15},
        // Down past the screen's foot (top 15 + 600 > 600 - 20) and up past its head (bottom 2,000 above): dropped.
        {930, 635, ME_HELD, 20, 15},
        {930, 645, ME_HELD, 20, 25},
        {930, -1355, ME_HELD, 20, 25},
        {930, -1345, ME_HELD, 20, 35},
        {930, -1345, ME_NONE, 20, 35},
        {940, 45, ME_HELD, 20, 35},
    };
    for (const Step& s : steps)
    {
        dialog->OnMouse(s.x, s.y, s.event);
        EXPECT_EQ(dialog->GetRect().left, s.left) << s.x << "," << s.y;
        EXPECT_EQ(dialog->GetRect().top, s.top) << s.x << "," << s.y;
        // Its children move with it (the first button was built at 10, 40 to 60, 60).
        const GuiRect& child = At(0)->GetRect();
        EXPECT_TRUE(child.left == 10 + s.left && child.right == 60 + s.left && child.top == 40 + s.top &&
                    child.bottom == 60 + s.top);
    }
    // During a slide a press reaches no child; the slide out closes the dialog by its name.
    gui->AnimateDialog("D", DialogItem::SLIDE_OUT, 0.5f, 0);
    Frame(50, 30, 45);
    Frame(60, 30, 45, ME_PRESSED);
    EXPECT_GT(dialog->GetRect().left, 20) << "sliding right";
    Run(70, 800, 900, 900, ME_NONE);
    EXPECT_FALSE(gui->IsDialogOpen("D"));
    EXPECT_TRUE(g_fired.empty());
    EXPECT_EQ(listener.closed, 1);
}

TEST_F(WidgetTest, ADialogClosedDuringADragIsNotDraggedWhenItOpensAgain)
{
    auto* dialog = static_cast<DialogItem*>(gui->FindItem(WT_DIALOG, "D"));
    // Held on the title: the dialog follows.
    Frame(10, 100, 10);
    Frame(20, 100, 10, ME_PRESSED);
    Frame(30, 110, 20, ME_HELD);
    Frame(40, 120, 25, ME_HELD);
    ASSERT_EQ(dialog->GetRect().left, 10);
    // Closed (by a key, say) while the button stays down, then opened again with the button still down.
    gui->CloseDialog("D");
    Frame(50, 130, 30, ME_HELD);
    gui->OpenDialog("D", &listener);
    for (uint32_t t = 60; t <= 100; t += 10)
        Frame(t, 300 + static_cast<int32_t>(t), 200, ME_HELD);
    EXPECT_FALSE(dialog->IsDragging());
    EXPECT_EQ(dialog->GetRect().left, 0);
    EXPECT_EQ(dialog->GetRect().top, 0);

    // Closed during a drag again and opened; the first thing it meets is a new press on its title, held still.
    Frame(110, 100, 10, ME_NONE);
    Frame(120, 100, 10, ME_PRESSED);
    Frame(130, 110, 20, ME_HELD);
    Frame(135, 120, 30, ME_HELD);
    ASSERT_EQ(dialog->GetRect().left, 10);
    gui->CloseDialog("D");
    gui->OpenDialog("D", &listener);
    Frame(140, 50, 10, ME_PRESSED);
    Frame(150, 50, 10, ME_HELD);
    EXPECT_TRUE(dialog->IsDragging());
    EXPECT_EQ(dialog->GetRect().left, 0) << "a held pointer that stays still moves the dialog";
    EXPECT_EQ(dialog->GetRect().top, 0);
}

TEST(CreditsRollTest, LinesRiseAPixelAFrameLiveFiveSecondsAndTheRollEndsFiveSecondsAfterTheLast)
{
    CreditsRoll roll(800, 600);
    roll.Start();
    const float dt = 0.25f; // slower than the scroll: one pixel a frame
    float now = 0.0f, firstLine = -1.0f, lastShown = -1.0f, lastGone = -1.0f, finished = -1.0f;
    for (int frame = 0; frame < 400 && finished < 0.0f; ++frame)
    {
        roll.Update(dt);
        now += dt;
        const auto& lines = roll.GetLines();
        if (firstLine < 0.0f && !lines.empty())
            firstLine = now;
        for (const auto& line : lines)
        {
            EXPECT_LE(line.age, 5.0f);
            EXPECT_FLOAT_EQ(line.y, 600.0f * 492.0f / 600.0f - line.age / dt);
            if (line.last && lastShown < 0.0f)
                lastShown = now;
        }
        if (lastShown >= 0.0f && lastGone < 0.0f &&
            std::none_of(lines.begin(), lines.end(), [](const auto& l) { return l.last; }))
            lastGone = now;
        if (roll.IsFinished())
            finished = now;
    }
    EXPECT_FLOAT_EQ(firstLine, 3.0f);
    EXPECT_NEAR(lastGone - lastShown, 5.0f, dt + 0.01f);
    EXPECT_NEAR(finished - lastGone, 5.0f, dt + 0.01f);
}

} // namespace
