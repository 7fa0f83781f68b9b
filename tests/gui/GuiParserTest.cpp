// Tests of the GUI script parser: bounds and their flags, nesting and offsets, shared Defines, dialog indices, the
// end of a script, and every kind of bad script: too many fonts, bad font slots, long words and texts, statements
// of widgets not built yet, self-nesting, deep nesting, bad numbers and scripts cut at every byte.
#include "gui/GuiParser.h"
#include "gui/Button.h"
#include "gui/DialogItem.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class GuiParserTest : public ::testing::Test
{
protected:
    GuiScript Parse(const std::string& text, int32_t width = 800, int32_t height = 600)
    {
        reports.boxes.clear();
        return GuiParser(width, height).Parse(text.data(), text.size());
    }
    // Message boxes whose text holds `part`.
    int Boxes(const std::string& part) const
    {
        int n = 0;
        for (const auto& box : reports.boxes)
            n += box.text.find(part) != std::string::npos;
        return n;
    }
    // How often the script met faults whose text holds `part` (each kind is reported once, with its count).
    static uint32_t Occurrences(const GuiScript& s, const std::string& part)
    {
        uint32_t n = 0;
        for (const GuiFault& fault : s.faults)
            n += fault.text.find(part) != std::string::npos ? fault.count : 0;
        return n;
    }
    testsupport::RecordingReportSink reports;
};

std::string Rect(const Widget* w)
{
    const GuiRect& r = w->GetRect();
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST_F(GuiParserTest, BoundsFlagsMeasureFromTheScreenEdgesAndChildrenSitInTheirParent)
{
    struct Case
    {
        const char* bounds;
        const char* rect; // on an 800 x 600 screen
    };
    const Case cases[] = {
        {"10, 20, 110, 220", "10,20,110,220"},   {"R10, 0, 10, 20", "790,0,790,20"},
        {"C0, 0, 100, 20", "350,0,450,20"},      {"B0, 100, 50, 20", "0,500,50,580"},
        {"S0, 0, 10, 20", "0,0,790,20"},         {"RS10, 0, 10, 20", "790,0,10,20"},
        {"Y0, 0, 10, 101", "0,250,10,351"},      {"TL5, 6, 7, 8", "5,6,7,8"},
        {"CY0, 0, 300, 200", "250,200,550,400"},
    };
    for (const Case& c : cases)
    {
        const GuiScript s = Parse(std::string("DialogItem D(") + c.bounds + ", NONE, 1, 0)\n{\n}\n");
        ASSERT_EQ(s.topLevel.size(), 1u) << c.bounds;
        EXPECT_EQ(Rect(s.topLevel[0]), c.rect) << c.bounds;
    }
    // A child's bounds are moved by its dialog's corner; one that passes the dialog's edge is built and reported.
    const GuiScript s = Parse("DialogItem D(100, 50, 500, 450, NONE, 1, 0)\n{\n"
                              "Button(10, 20, 60, 40, NONE, 0, None, NONE, NONE)\n"
                              "Button(R50, 0, 0, 10, NONE, 0, None, NONE, NONE)\n}\n");
    ASSERT_EQ(s.items.size(), 3u);
    EXPECT_EQ(Rect(s.items[1].get()), "110,70,160,90");
    EXPECT_EQ(Rect(s.items[2].get()), "850,50,900,60");
    EXPECT_EQ(Boxes("Child object is not in the bounds"), 1);
}

TEST_F(GuiParserTest, DialogsNumberTheirChildrenAndDefinesAreSharedByName)
{
    const GuiScript s = Parse("Button(0, 0, 5, 5, NONE, 0, None, NONE, NONE)\n"
                              "Define Shared\n{\nButton(1, 1, 9, 9, NONE, 0, None, NONE, NONE)\n}\n"
                              "DialogItem First(0, 0, 100, 100, NONE, 1, 0)\n{\nShared\n}\n"
                              "DialogItem Second(0, 0, 100, 100, CLEAR, 2, 1){\n Shared\n}\n");
    ASSERT_EQ(s.topLevel.size(), 2u);
    EXPECT_TRUE(reports.boxes.empty());
    EXPECT_EQ(s.items[0]->GetDialogIndex(), 0);
    auto* first = static_cast<DialogItem*>(s.topLevel[0]);
    auto* second = static_cast<DialogItem*>(s.topLevel[1]);
    EXPECT_EQ(first->GetDialogIndex(), 1);
    EXPECT_EQ(second->GetDialogIndex(), 2);
    EXPECT_STREQ(second->GetName(), "Second");
    EXPECT_TRUE(second->IsDraggable());
    ASSERT_EQ(first->GetChildren().size(), 1u);
    ASSERT_EQ(second->GetChildren().size(), 1u);
    EXPECT_EQ(first->GetChildren()[0], second->GetChildren()[0]) << "one Define, not a copy";
    // Activating it through one dialog activates the button in both.
    first->SetActive(true);
    EXPECT_TRUE(s.items[2]->IsActive());
    second->SetActive(false);
    EXPECT_FALSE(s.items[2]->IsActive());
}

TEST_F(GuiParserTest, TheScriptEndsAtStartDebugAndExtraBracesAreReported)
{
    const GuiScript s = Parse("}\nDialogItem A(0, 0, 10, 10, NONE, 1, 0)\n{\n}\n}\n/ a comment } {\n"
                              "DialogItem B(0, 0, 10, 10, NONE, 2, 0)\n{\n}\nStartDebug\n"
                              "DialogItem C(0, 0, 10, 10, NONE, 3, 0)\n{\n}\n");
    EXPECT_EQ(s.topLevel.size(), 2u);
    EXPECT_EQ(Occurrences(s, "Too many close braces"), 2u);
    EXPECT_EQ(Boxes("Too many close braces"), 1) << "one fault, reported once";
    EXPECT_EQ(Boxes("(2 times; the first is shown)"), 1) << "with its count";
    // A main item on a narrow screen is skipped with all it holds, without a word.
    const GuiScript narrow = Parse("MainItem\n{\nButton(0, 0, 5, 5, NONE, 0, None, NONE, NONE)\n}\n"
                                   "DialogItem D(0, 0, 10, 10, NONE, 1, 0)\n{\n}\n",
                                   640, 480);
    EXPECT_EQ(narrow.GetToolbarRoot(), nullptr);
    EXPECT_EQ(narrow.items.size(), 1u);
    EXPECT_TRUE(reports.boxes.empty());
    const GuiScript wide = Parse("MainItem\n{\nButton(0, 0, 5, 5, NONE, 0, None, NONE, NONE)\n}\n");
    ASSERT_NE(wide.GetToolbarRoot(), nullptr);
    EXPECT_EQ(wide.GetToolbarRoot()->GetChildren().size(), 1u);
}

TEST_F(GuiParserTest, BadScriptsAreReportedAndReadSafely)
{
    const std::string longWord(40, 'W');
    const std::string fonts = []
    {
        std::string f;
        for (int i = 0; i < 11; ++i)
            f += "Font(Face" + std::to_string(i) + ")\n";
        return f;
    }();
    struct Case
    {
        const char* what;
        std::string script;
        std::string report; // the text of the box expected
        int count;          // how often the fault occurs
        int kinds;          // the distinct faults among them: one box each
    };
    const Case cases[] = {
        {"eleven fonts", fonts, "more than 10 Font statements", 1, 1},
        {"font slots",
         "Text(0, 0, 1, 1, KEY, 12, 0, 0)\nVariable(0, 0, 1, 1, V, 10, 0, 0)\n"
         "ComboBox(0, 0, 1, 1, K, 3, 0, 99, 0, 0)\n<COL(77, 0, N, 0, 10, 0, 0)>\n",
         "does not exist", 4, 1},
        {"a long word", longWord + "\n", ("string " + std::string(32, 'W')).c_str(), 1, 1},
        {"a long text", "Font(" + std::string(5000, 'x') + ")\n", "longer than 255", 1, 1},
        {"a defined name at the top", "Define X\n{\n}\nX\n", "No parent for defined item", 1, 1},
        {"a define inside itself", "Define X\n{\nX\n}\n", "inside itself", 1, 1},
        {"deep nesting",
         []
         {
             std::string d;
             for (int i = 0; i < 100; ++i)
                 d += "DialogItem N(0, 0, 10, 10, NONE, 1, 0)\n{\n";
             return d;
         }(),
         "nest more than", 1, 1},
        {"bad numbers", "DialogItem D(x, 0, 10, 10, NONE, 1y, 0)\n{\n}\nSlider(0, 0, 1, 1, V, nan, 1, 0)\n",
         "was expected", 3, 2},
        {"no brackets", "Button\nDialogItem D\n{\n}\n<TAB>\n", "No open bracket found", 3, 3},
    };
    for (const Case& c : cases)
    {
        const GuiScript s = Parse(c.script);
        EXPECT_EQ(Occurrences(s, c.report), static_cast<uint32_t>(c.count)) << c.what;
        EXPECT_EQ(Boxes(c.report), c.kinds) << c.what;
        EXPECT_LE(s.fonts.size(), 10u) << c.what;
    }
    // The long word is cut to 32 characters before it is looked up.
    Parse(longWord);
    EXPECT_EQ(Boxes(std::string(33, 'W')), 0);
    // Tables with their columns and variable texts are built: the dialog, the table, its column, the text and the
    // three variables.
    reports.debug.clear();
    const GuiScript later = Parse("DialogItem D(0, 0, 100, 100, NONE, 1, 0)\n{\n"
                                  "Table(0, 0, 50, 50, 40, 0, 50, 50, T, 10, 5, 1)\n{\n<COL(0, 0, N, 0, 10, 0, 0)>\n"
                                  "Text(0, 0, 1, 1, K, 0, 0, 0)\n}\n"
                                  "Variable(0, 0, 1, 1, V, 0, 0, 0, TIP)\nVariable(0, 0, 1, 1, V, 0, 0, 0)\n"
                                  "Variable(0, 0, 1, 1, V, 0, 0, 0)\n}\n");
    EXPECT_EQ(later.items.size(), 7u);
    EXPECT_TRUE(later.skipped.empty());
    EXPECT_TRUE(reports.boxes.empty());
    // A column without a table to stand in is read, named and skipped; noted once per keyword, with the count.
    reports.debug.clear();
    EXPECT_EQ(Parse("<COL(0, 0, N, 0, 10, 0, 0)>\n<COL(0, 0, M, 0, 10, 0, 0)>\n").skipped,
              (std::vector<std::string>{"COL", "COL"}));
    EXPECT_NE(reports.debug.find("COL widgets are not built by this program yet; 2 statements"), std::string::npos);
}

TEST_F(GuiParserTest, EveryCutOfAScriptBuildsAPrefixOfItsWidgets)
{
    const std::string script = "Font(GuiFont7)\n/ comment\nDefine Pair\n{\nButton(1, 1, 9, 9, NONE, 0, BUTVAR_X, "
                               "Fire, NONE, TIP)\n}\nDialogItem One(C0, 10, 300, 210, SEMI, 1, 1)\n{\n"
                               "Button(10, 40, 110, 70, NONE, 0, LABEL, Fire, Alt)\nPair\n}\n"
                               "DialogItem Two(R300, 10, 10, 210, CLEAR, 2, 0)\n{\nPair\n}\nTickerText(0, 0, 10, 10)\n";
    const GuiScript full = Parse(script);
    ASSERT_EQ(full.topLevel.size(), 2u);
    ASSERT_TRUE(reports.boxes.empty());
    size_t dialogs = 0;
    for (size_t cut = 0; cut <= script.size(); ++cut)
    {
        const GuiScript s = Parse(script.substr(0, cut));
        EXPECT_GE(s.topLevel.size(), dialogs) << cut;
        EXPECT_LE(s.items.size(), full.items.size()) << cut;
        dialogs = s.topLevel.size();
    }
    EXPECT_EQ(dialogs, 2u);
}

} // namespace
