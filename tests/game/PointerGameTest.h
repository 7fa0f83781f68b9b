// A test fixture for the running game driven by a real pointer: the game started under Xvfb, the X pointer
// connected, and where the picture's corner lies on the X screen.
#pragma once

#include "engine/core/GameInput.h"
#include "engine/core/TextTable.h"
#include "engine/render/TextWriter.h"
#include "game/Game.h"
#include "gui/Button.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/MainItem.h"
#include "gui/TabWindow.h"
#include "gui/VariableWidgets.h"
#include "platform/WideText.h"
#include "platform/audio/Sound.h"
#include "tests/game/GameHarness.h"
#include "tests/game/XPointer.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace gametest
{

// The sample GUI's object panels: their sand background and their texts' dark brown.
constexpr uint32_t kPanelSand = 0xF2E6C8;
constexpr uint32_t kPanelText = 0x4A3A22;

// The pixels of a panel's text colour in a row of text (18 high) from x 10 to 280 of a panel whose corner is at
// (left, top), row being its top in the panel: a name or a status written there shows some.
inline int PanelTextPixels(const Frame& frame, int left, int top, int row)
{
    return CountNearRgb(frame, left + 10, top + row, left + 280, top + row + 18, kPanelText, 24);
}

class PointerGameTest : public StartedGameTest<>
{
protected:
    void SetUp() override
    {
        StartedGameTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        pointer = std::make_unique<XPointer>(harness.DisplayName());
        if (!pointer->Available())
            GTEST_SKIP() << "the X test extension's library is not installed";
        harness.RunFrames(2);
        Prepare();
        if (HasFatalFailure())
            return;
        // The pointer put at a known place on the X screen is read back by the game.
        pointer->MoveTo(400, 300);
        Settle();
        offsetX = 400 - g_pGameInput->GetMouseX();
        offsetY = 300 - g_pGameInput->GetMouseY();
    }
    // What a test does before the pointer's offset is measured (entering a park, say).
    virtual void Prepare() {}

    GUIManager& Gui() const { return harness.GetGame().GetGUIManager(); }
    // What an object answers for a keyword of its panel.
    static std::u16string Value(DialogListener* object, const char* keyword)
    {
        platform::WString text;
        object->GetVariable(keyword, text);
        return std::u16string(text.begin(), text.end());
    }
    // The listener of the open dialog of that name (null when it is not open, or open without one).
    DialogListener* OpenFor(const char* dialog) const
    {
        for (const GUIManager::DialogEntry& entry : Gui().GetOpenList())
            if (entry.state != GUIManager::ENTRY_CLOSING && std::string(entry.dialog->GetName()) == dialog)
                return entry.listener;
        return nullptr;
    }
    // The button bound to the command among the toolbar's and the open dialogs' buttons (on a dialog's current tab
    // pages, not on the others); null when none is.
    Button* Bound(const char* command)
    {
        std::vector<Widget*> shown;
        if (MainItem* toolbar = Gui().GetToolbarRoot())
            shown = toolbar->GetChildren();
        for (const GUIManager::DialogEntry& entry : Gui().GetOpenList())
            if (entry.dialog)
                shown.insert(shown.end(), entry.dialog->GetChildren().begin(), entry.dialog->GetChildren().end());
        while (!shown.empty())
        {
            Widget* widget = shown.back();
            shown.pop_back();
            if (widget->GetType() == WT_BUTTON && static_cast<Button*>(widget)->IsBoundTo(command))
                return static_cast<Button*>(widget);
            if (widget->GetType() == WT_TAB && !static_cast<Tab*>(widget)->IsSelected())
                continue;
            if (const auto* container = dynamic_cast<const ContainerWidget*>(widget))
                shown.insert(shown.end(), container->GetChildren().begin(), container->GetChildren().end());
        }
        return nullptr;
    }
    // Clicks the middle of the shown button bound to the command; false when there is none.
    bool ClickCommand(const char* command)
    {
        Button* button = Bound(command);
        if (!button)
            return false;
        const GuiRect r = button->GetRect();
        Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return true;
    }
    // The text of an id of the game's text table (empty when it has none).
    static std::u16string TableText(const std::string& id)
    {
        const char16_t* text = g_pTextTable ? g_pTextTable->GetText(id.c_str()) : nullptr;
        return text ? text : u"";
    }
    // What the shown Variable widget of that name writes now, and in which colour; "(not shown)" when none is.
    std::u16string Written(const char* name, uint32_t* colour = nullptr) const
    {
        for (const auto& item : Gui().GetItems())
            if (item->GetType() == WT_VARIABLE && item->IsActive() && std::string(item->GetName()) == name)
            {
                platform::WString text;
                uint32_t drawn = 0;
                int32_t indent = 0;
                if (!static_cast<Variable*>(item.get())->Compose(text, &drawn, &indent))
                    return u"(nothing)";
                if (colour)
                    *colour = drawn;
                return std::u16string(text.begin(), text.end());
            }
        return u"(not shown)";
    }
    // The Variable widgets of the open dialogs whose text of this frame, written for the dialog's object, runs past
    // their rectangle in their font (one line in a rectangle too low for two, else wrapped to its width), each with
    // its text and how: empty when all fit. A text too wide for its box is cut at both ends on the screen.
    std::string CutVariables() const
    {
        std::string cut;
        GUIManager& gui = Gui();
        DialogListener* const current = gui.GetDialogObject();
        for (const GUIManager::DialogEntry& entry : gui.GetOpenList())
        {
            if (entry.state == GUIManager::ENTRY_CLOSING)
                continue;
            gui.SetDialogObject(entry.listener);
            for (const auto& item : gui.GetItems())
            {
                if (item->GetType() != WT_VARIABLE || !item->IsActive() ||
                    item->GetDialogIndex() != entry.dialog->GetDialogIndex())
                    continue;
                auto& variable = static_cast<Variable&>(*item);
                platform::WString text;
                uint32_t colour = 0;
                int32_t indent = 0;
                const TextWriter* writer = gui.GetTextWriter(variable.GetFont());
                if (!variable.Compose(text, &colour, &indent) || text.empty() || !writer || !writer->GetFont())
                    continue;
                const GuiRect& r = variable.GetRect();
                const int width = r.right - r.left - indent, height = r.bottom - r.top;
                const TextLayout layout = LayOutText(*writer, text.c_str(), width, height);
                if (layout.width > width || layout.height > height)
                    cut += std::string(entry.dialog->GetName()) + " " + variable.GetName() + " \"" +
                           platform::WideToUtf8(text.c_str()) + "\" is " + std::to_string(layout.width) + " x " +
                           std::to_string(layout.height) + " in " + std::to_string(width) + " x " +
                           std::to_string(height) + "; ";
            }
        }
        gui.SetDialogObject(current);
        return cut;
    }
    void Run(int frames) { running = harness.RunFrames(frames) && running; }
    // Every message box the game reported is a failure.
    void ExpectNoReports()
    {
        for (const auto& box : harness.Reports().boxes)
            ADD_FAILURE() << box.text;
    }
    // Lets the game take the events of the server: two frames after a short wait.
    void Settle()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        running = harness.RunFrames(2) && running;
    }
    // The pointer to a point of the game's picture.
    void Move(int x, int y)
    {
        pointer->MoveTo(x + offsetX, y + offsetY);
        Settle();
    }
    void Press(bool down)
    {
        pointer->Button(1, down);
        Settle();
    }
    void Click(int x, int y)
    {
        Move(x, y);
        Press(true);
        Press(false);
    }
    // A key pressed and let go, a frame for each.
    void Key(unsigned long keysym)
    {
        pointer->Key(keysym, true);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        running = harness.RunFrames(1) && running;
        pointer->Key(keysym, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        running = harness.RunFrames(1) && running;
    }

    std::unique_ptr<XPointer> pointer;
    int offsetX = 0;
    int offsetY = 0;
    // False once a frame found the program asked to close.
    bool running = true;
};

// The first scenario's park, entered and run for a few frames.
class FirstParkPointerTest : public PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(10);
    }
};

// A pointer fixture with no sound device: what the game plays stays playing until the test mixes it, however slowly
// the frames run.
template <class Fixture> class ManualMixing : public Fixture
{
protected:
    void SetUp() override
    {
        platform::SoundUseManualMixing(true);
        Fixture::SetUp();
    }
    void TearDown() override
    {
        this->harness.Stop();
        platform::SoundUseManualMixing(false);
    }
};

// The front end's pages in the real program, with no sound device: clicks by a hand that rests on the button first,
// and waits for the pages' transitions.
class FrontEndPointerTest : public ManualMixing<PointerGameTest>
{
protected:
    // A hand that rests on the button, then presses and lets go.
    void Click(int x, int y)
    {
        Move(x, y);
        Move(x + 1, y);
        Press(true);
        Press(false);
    }
    // Runs the frames of `seconds` of play (the pages' transitions take about a second).
    void Wait(float seconds)
    {
        running = harness.RunFrames(static_cast<int>(seconds * 1000.0f / GameHarness::kFrameMilliseconds)) && running;
    }
    // The front end's current page, "" when none shows.
    std::string Page() const
    {
        const char* name = Gui().GetCurrentScreenName();
        return name ? name : "";
    }
};

} // namespace gametest
