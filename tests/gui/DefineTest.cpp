// Tests of Defines placed by name: a Define that places the one before it twice at every level is bounded per
// dialog with one report, a table's columns count towards that bound wherever they are written, a Define placed twice
// in a dialog moves once with it, thousands of Defines are each found by their name, and a name defined twice places
// the first.
#include "GuiTestSupport.h"

#include "engine/core/FileSystem.h"
#include "gui/Button.h"
#include "gui/DialogItem.h"
#include "gui/ObjectBrowser.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// Counts what its dialog's buttons ask it; answers every "<name>_STATE" with 1.
class CountingListener : public DialogListener
{
public:
    void GetVariable(const char*, platform::WString& text) override
    {
        ++asked;
        text = u"1";
    }
    void ResetPanelState() override {}
    int asked = 0;
};

// D0 holds one button; each Dn places D(n-1) twice; the dialog Menu places the last. Unbounded, the dialog would
// hold 2^levels placements of the button.
std::string DoublingDefines(int levels)
{
    std::string s = "Define D0\n{\nButton(1, 1, 9, 9, NONE, 0, BUTSTATEVAR_GO, Fire, NONE)\n}\n";
    for (int i = 1; i <= levels; ++i)
    {
        const std::string before = "D" + std::to_string(i - 1);
        s += "Define D" + std::to_string(i) + "\n{\n" + before + "\n" + before + "\n}\n";
    }
    return s + "DialogItem Menu(0, 0, 399, 299, NONE, 1, 0)\n{\nD" + std::to_string(levels) + "\n}\n";
}

// Placements met by a walk from the widget down (the widget itself included; a table's columns are its children).
size_t Walk(const Widget* widget)
{
    size_t n = 1;
    if (widget->GetType() == WT_TABLE)
        return n + static_cast<const Table*>(widget)->GetColumns().size();
    const std::vector<Widget*>* children = nullptr;
    if (widget->GetType() == WT_DEFINE)
        children = &static_cast<const Define*>(widget)->GetChildren();
    else if (widget->GetType() == WT_DIALOG)
        children = &static_cast<const DialogItem*>(widget)->GetChildren();
    if (children)
        for (const Widget* child : *children)
            n += Walk(child);
    return n;
}

class DefineTest : public guitest::GuiTest
{
protected:
    int Boxes(const std::string& part) const
    {
        int n = 0;
        for (const auto& box : reports.boxes)
            n += box.text.find(part) != std::string::npos;
        return n;
    }
};

TEST_F(DefineTest, DefinesThatDoubleAtEveryLevelAreBoundedPerDialogWithOneReport)
{
    struct Case
    {
        int levels;
        bool bounded;
    };
    // 8 levels place the button 256 times (767 widgets in all): allowed. 14 levels would place it 16384 times.
    const Case cases[] = {{8, false}, {14, true}};
    // Read from files (which also seed the fuzzing of GUI scripts).
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    uint32_t t = 0;
    for (const Case& c : cases)
    {
        reports.boxes.clear();
        std::string text = DoublingDefines(c.levels);
        const std::string name = "doubling" + std::to_string(c.levels) + "-gui";
        ASSERT_TRUE(
            GetFileSystem()->WriteBleFile((name + ".ble").c_str(), text.data(), static_cast<uint32_t>(text.size())));
        ASSERT_TRUE(gui->LoadScript((name + ".pis").c_str()));
        CountingListener listener;
        ASSERT_TRUE(gui->OpenDialog("Menu", &listener));
        Frame(t += 10, 900, 900);
        listener.asked = 0;
        Frame(t += 10, 900, 900);
        const size_t walked = Walk(gui->FindItem(WT_DIALOG, "Menu"));
        if (!c.bounded)
        {
            // Every placement of the button asks once a frame.
            EXPECT_EQ(listener.asked, 1 << c.levels) << c.levels;
            EXPECT_TRUE(reports.boxes.empty()) << c.levels;
            continue;
        }
        EXPECT_LE(walked, GuiParser::kMaxDialogWidgets) << c.levels;
        EXPECT_LE(listener.asked, static_cast<int>(GuiParser::kMaxDialogWidgets)) << c.levels;
        EXPECT_GT(listener.asked, 0) << c.levels;
        // Refused at several levels: one fault, one report.
        EXPECT_EQ(Boxes("more than 4096 widgets in one dialog"), 1) << c.levels;
        EXPECT_EQ(Boxes("in " + name + ".ble ("), 1) << "the script is named, with the count";
        EXPECT_EQ(reports.boxes.size(), 1u) << c.levels;
    }
}

TEST_F(DefineTest, WidgetsPlacedByNameInTheWholeScriptAreBounded)
{
    // A Define of 3071 widgets (D10) placed in 40 dialogs would place 122,840 widgets.
    std::string script = DoublingDefines(10);
    for (int i = 0; i < 40; ++i)
        script += "DialogItem Copy" + std::to_string(i) + "(0, 0, 399, 299, NONE, " + std::to_string(i + 2) +
                  ", 0)\n{\nD10\n}\n";
    Script(script);
    size_t walked = 0;
    for (const Widget* item : gui->GetTopLevel())
        walked += Walk(item);
    EXPECT_LE(walked, GuiParser::kMaxPlacedWidgets + gui->GetItems().size());
    EXPECT_EQ(Boxes("widgets by name in the script"), 1);
}

// A Define of `buttons` buttons (it weighs one more: itself).
std::string DefineOf(const std::string& name, uint32_t buttons)
{
    std::string s = "Define " + name + "\n{\n";
    for (uint32_t i = 0; i < buttons; ++i)
        s += "Button(1, 1, 9, 9, NONE, 0, None, Fire, NONE)\n";
    return s + "}\n";
}

TEST_F(DefineTest, TheBoundsAreExact)
{
    const uint32_t perDialog = GuiParser::kMaxDialogWidgets, perScript = GuiParser::kMaxPlacedWidgets;
    // A dialog holds itself and what is placed in it: a Define of perDialog - 2 buttons fills it exactly.
    struct DialogCase
    {
        uint32_t buttons;
        bool placed;
    };
    const DialogCase dialogCases[] = {{perDialog - 2, true}, {perDialog - 1, false}};
    for (const DialogCase& c : dialogCases)
    {
        reports.boxes.clear();
        Script(DefineOf("Big", c.buttons) + "DialogItem D(0, 0, 99, 99, NONE, 1, 0)\n{\nBig\n}\n");
        const auto* dialog = static_cast<const DialogItem*>(gui->FindItem(WT_DIALOG, "D"));
        EXPECT_EQ(dialog->GetChildren().size(), c.placed ? 1u : 0u) << c.buttons;
        EXPECT_EQ(Walk(dialog), c.placed ? perDialog : 1u) << c.buttons;
        EXPECT_EQ(reports.boxes.size(), c.placed ? 0u : 1u) << c.buttons;
    }
    // Half a dialog's worth placed in dialog after dialog fills the script's bound exactly; one more is refused.
    const uint32_t half = perDialog / 2;
    const uint32_t dialogs = perScript / half;
    ASSERT_EQ(dialogs * half, perScript);
    std::string script = DefineOf("Half", half - 1) + DefineOf("One", 0);
    for (uint32_t i = 0; i < dialogs; ++i)
        script += "DialogItem H" + std::to_string(i) + "(0, 0, 99, 99, NONE, 1, 0)\n{\nHalf\n}\n";
    reports.boxes.clear();
    Script(script);
    EXPECT_TRUE(reports.boxes.empty());
    Script(script + "DialogItem Last(0, 0, 99, 99, NONE, 1, 0)\n{\nOne\n}\n");
    EXPECT_EQ(Boxes("widgets by name in the script"), 1);
    EXPECT_TRUE(static_cast<const DialogItem*>(gui->FindItem(WT_DIALOG, "Last"))->GetChildren().empty());
}

TEST_F(DefineTest, ATablesColumnsCountTowardsTheBoundWhereverTheyAreWritten)
{
    // Define T holds one table, and a dialog places T 2000 times. A walk over the dialog meets the table's columns
    // once per placement, so wherever the script writes the columns, the dialog stays within its bound.
    constexpr int kPlacements = 2000, kColumns = 200;
    std::string columns;
    for (int i = 0; i < kColumns; ++i)
        columns += "<COL(0, 0, VAR_GUEST_NAME, 0, 10, 0, 0)>\n";
    const std::string table = "Table(0, 0, 50, 50, 40, 0, 50, 50, GUESTS, 10, 5, 1)\n{\n";
    std::string dialog = "DialogItem D(0, 0, 399, 299, NONE, 1, 0)\n{\n";
    for (int i = 0; i < kPlacements; ++i)
        dialog += "T\n";
    dialog += "}\n";
    struct Case
    {
        const char* where;
        std::string script;
    };
    const Case cases[] = {
        {"inside the table's block", "Define T\n{\n" + table + columns + "}\n}\n" + dialog},
        {"after the table's block", "Define T\n{\n" + table + "}\n" + columns + "}\n" + dialog},
        {"after the Define", "Define T\n{\n" + table + "}\n}\n" + columns + dialog},
        {"after the dialog", "Define T\n{\n" + table + "}\n}\n" + dialog + columns},
    };
    for (const Case& c : cases)
    {
        Script(c.script);
        const Widget* d = gui->FindItem(WT_DIALOG, "D");
        ASSERT_NE(d, nullptr) << c.where;
        EXPECT_LE(Walk(d), GuiParser::kMaxDialogWidgets) << c.where;
    }
}

TEST_F(DefineTest, ADefinePlacedTwiceInADialogMovesOnceWithIt)
{
    Script("Define Pair\n{\nButton(10, 40, 60, 60, NONE, 0, None, Fire, NONE)\n}\n"
           "DialogItem D(0, 0, 399, 299, CLEAR, 1, 1)\n{\nPair\nPair\n}\n");
    ASSERT_TRUE(gui->OpenDialog("D", nullptr));
    Frame(10, 900, 900);
    const Widget* button = gui->GetItems().at(1).get();
    ASSERT_EQ(button->GetType(), WT_BUTTON);
    // Dragged by its title strip by (30, 20).
    Frame(20, 100, 10, ME_PRESSED);
    Frame(30, 100, 10, ME_HELD);
    Frame(40, 130, 30, ME_HELD);
    Frame(50, 130, 30);
    const GuiRect& d = gui->FindItem(WT_DIALOG, "D")->GetRect();
    EXPECT_EQ(d.left, 30);
    EXPECT_EQ(d.top, 20);
    const GuiRect& b = button->GetRect();
    EXPECT_TRUE(b.left == 40 && b.top == 60 && b.right == 90 && b.bottom == 80)
        << b.left << "," << b.top << "," << b.right << "," << b.bottom;
    // A slide moves it once as well.
    gui->AnimateDialog("D", DialogItem::SLIDE_HOME, 0.05f, 0);
    for (uint32_t t = 60; t < 200; t += 10)
        Frame(t, 900, 900);
    EXPECT_EQ(d.left, 0);
    EXPECT_EQ(b.left - d.left, 10);
    // The slide is over: the dialog is no longer moving.
    EXPECT_FALSE(static_cast<DialogItem*>(gui->FindItem(WT_DIALOG, "D"))->IsInTransition());
}

TEST_F(DefineTest, EachOfThousandsOfDefinesIsFoundByItsNameAndARepeatedNamePlacesTheFirst)
{
    // Define N<i> holds a button whose left edge is i; dialog Pick places three of them.
    constexpr int kDefines = 3000;
    std::string script;
    for (int i = 0; i < kDefines; ++i)
        script += "Define N" + std::to_string(i) + "\n{\nButton(" + std::to_string(i) +
                  ", 0, 5000, 9, NONE, 0, None, Fire, NONE)\n}\n";
    script += "Define N7\n{\nButton(-7, 0, 1, 9, NONE, 0, None, Fire, NONE)\n}\n";
    script += "DialogItem Pick(0, 0, 0, 0, NONE, 1, 0)\n{\nN2999\nN0\nN1500\nN7\n}\n";
    Script(script);
    const auto* pick = static_cast<const DialogItem*>(gui->FindItem(WT_DIALOG, "Pick"));
    ASSERT_NE(pick, nullptr);
    const int expected[] = {2999, 0, 1500, 7};
    ASSERT_EQ(pick->GetChildren().size(), 4u);
    for (size_t i = 0; i < 4; ++i)
    {
        const auto* define = static_cast<const Define*>(pick->GetChildren()[i]);
        ASSERT_EQ(define->GetType(), WT_DEFINE);
        EXPECT_EQ(define->GetName(), "N" + std::to_string(expected[i]));
        ASSERT_EQ(define->GetChildren().size(), 1u);
        EXPECT_EQ(define->GetChildren()[0]->GetRect().left, expected[i]) << "the first Define of the name";
    }
    EXPECT_EQ(Boxes("N7 is defined again"), 1);
    EXPECT_EQ(reports.boxes.size(), 1u);
}

} // namespace
