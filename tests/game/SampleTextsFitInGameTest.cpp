// Every static text and every button label of the sample GUI scripts (the front end's pages and the park), in the
// font the running game draws it with, fits its rectangle: a rectangle too low for two lines holds the text on one
// line, a taller one every line of the text wrapped to its width. So do the texts the park puts together from the
// sample's parts: staff names, guests' thoughts about buildings, the status panel's guest count. A text that runs
// past its rectangle is cut off on the screen.
#include "engine/core/TextFormat.h"
#include "engine/core/TextTable.h"
#include "engine/render/Font.h"
#include "engine/render/TextWriter.h"
#include "game/Game.h"
#include "gui/Button.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/Text.h"
#include "gui/VariableWidgets.h"
#include "platform/WideText.h"
#include "scripts/WorldParams.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

using gametest::GameHarness;

// Where a text drawn in a rectangle of that size does not fit, what is cut off; empty when it fits.
std::string Overflow(const char16_t* s, int width, int height, const TextWriter& writer)
{
    const gametest::TextLayout text = gametest::LayOutText(writer, s, width, height);
    if (text.oneLine)
        return text.width > width ? "one line " + std::to_string(text.width) + " wide in " + std::to_string(width) : "";
    return text.height > height ? std::to_string(text.lines) + " lines " + std::to_string(text.height) + " high in " +
                                      std::to_string(height)
                                : "";
}

// Where the Variable widget of that name writes (the last of that name among the script's widgets, only the shown
// ones when asked): the writer of its font and its width; a null writer when there is no such widget or font.
struct TextRow
{
    const TextWriter* writer = nullptr;
    int32_t width = 0;
};
TextRow RowOf(GUIManager& gui, const char* name, bool shownOnly = false)
{
    const Variable* found = nullptr;
    for (const auto& item : gui.GetItems())
        if (item->GetType() == WT_VARIABLE && (!shownOnly || item->IsActive()) && std::string(item->GetName()) == name)
            found = static_cast<const Variable*>(item.get());
    if (!found)
        return {};
    const TextWriter* writer = gui.GetTextWriter(found->GetFont());
    return {writer && writer->GetFont() ? writer : nullptr, found->GetRect().right - found->GetRect().left};
}

// A failure's words when the text, on one line in the writer's font, is wider than `width`; empty when it fits.
std::string TooWide(const TextWriter& writer, const char16_t* text, int32_t width)
{
    const int32_t w = writer.GetTextWidth(text);
    return w <= width
               ? ""
               : "\"" + platform::WideToUtf8(text) + "\" is " + std::to_string(w) + " wide in " + std::to_string(width);
}

// The texts of the screen's script that do not fit, each with the dialog it belongs to; how many were measured.
int CheckTexts(GUIManager& gui, const char* screen)
{
    int measured = 0;
    for (const auto& item : gui.GetItems())
    {
        // A text in its rectangle; a button's label (a text key) in the button less two rows, in font 0.
        platform::WString text;
        int32_t font = 0;
        const GuiRect& r = item->GetRect();
        int32_t height = r.bottom - r.top;
        if (item->GetType() == WT_TEXT)
        {
            text = static_cast<const Text&>(*item).GetText();
            font = static_cast<const Text&>(*item).GetFont();
        }
        else if (item->GetType() == WT_BUTTON)
        {
            const auto& button = static_cast<const Button&>(*item);
            if (button.GetVariableKind() == Button::VAR_STATE_NO_LABEL || button.GetVariableName().empty())
                continue;
            text = g_pTextTable->GetText(button.GetVariableName().c_str());
            height -= 2;
        }
        const TextWriter* writer = gui.GetTextWriter(font);
        if (text.empty() || !writer || !writer->GetFont())
            continue;
        ++measured;
        const std::string overflow = Overflow(text.c_str(), r.right - r.left, height, *writer);
        if (overflow.empty())
            continue;
        std::string dialog = "?";
        for (const auto& other : gui.GetItems())
            if (other->GetType() == WT_DIALOG && other->GetDialogIndex() == item->GetDialogIndex())
                dialog = static_cast<const DialogItem&>(*other).GetName();
        ADD_FAILURE() << screen << ", " << dialog << ": \"" << platform::WideToUtf8(text.c_str()) << "\" " << overflow;
    }
    return measured;
}

TEST(SampleTextsFitInGame, EveryStaticTextOfTheFrontEndAndTheParkFitsItsRectangle)
{
    GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    GUIManager& gui = harness.GetGame().GetGUIManager();
    const struct
    {
        int32_t screen;
        const char* name;
        int least; // texts and labels measured at least
    } screens[] = {
        {Game::kMainMenuScreen, "main menu", 4},
        {Game::kIntroScreen, "logo page", 2},
        {Game::kExitGameScreen, "farewell page", 3},
        {Game::kGameWonScreen, "credits", 9},
    };
    for (const auto& s : screens)
    {
        harness.SelectScreen(s.screen);
        harness.RunFrames(2);
        EXPECT_GE(CheckTexts(gui, s.name), s.least) << s.name;
    }
    harness.EnterPark(0);
    harness.RunFrames(2);
    EXPECT_GT(CheckTexts(gui, "park"), 50);
}

// The running game in the first park.
using SampleTextsFitInPark = gametest::FirstParkPointerTest;

// A hired worker is called by a first name of its kind's gender and one of its kind's surnames: every such name, in
// the font the staff panel writes it with, fits the panel's name box (the narrowest place a staff name is written).
TEST_F(SampleTextsFitInPark, EveryStaffNameFitsTheStaffPanel)
{
    GUIManager& gui = harness.GetGame().GetGUIManager();
    int32_t width = 0;
    for (const auto& item : gui.GetItems())
        if (item->GetType() == WT_VARIABLE && std::string(item->GetName()) == "STAFF_NAME")
            width = width == 0 ? item->GetRect().right - item->GetRect().left
                               : std::min(width, item->GetRect().right - item->GetRect().left);
    ASSERT_GT(width, 0) << "no staff panel names its worker";
    const TextWriter* writer = gui.GetTextWriter(0);
    ASSERT_TRUE(writer && writer->GetFont());
    ASSERT_NE(g_pWorldParams, nullptr);
    const NameLists& names = g_pWorldParams->GetNameLists();
    const struct
    {
        const char* format;
        int count;
        bool female;
    } kinds[] = {{"ID_CLEANER_%d", 20, true}, {"ID_MECHANIC_%d", 21, false}, {"ID_ZOO_%d", 18, false}};
    int measured = 0;
    for (const auto& kind : kinds)
    {
        const uint32_t firsts = kind.female ? names.numFemaleNames : names.numMaleNames;
        ASSERT_GT(firsts, 0u);
        for (int n = 1; n <= kind.count; ++n)
        {
            char id[32];
            std::snprintf(id, sizeof id, kind.format, n);
            const platform::WString surname = g_pTextTable->GetText(id);
            EXPECT_FALSE(surname.empty()) << id;
            for (uint32_t f = 0; f < firsts; ++f)
            {
                const char* first = kind.female ? names.femaleNames[f] : names.maleNames[f];
                const platform::WString name = platform::WString(g_pTextTable->GetText(first)) + u" " + surname;
                ++measured;
                EXPECT_EQ(TooWide(*writer, name.c_str(), width), "");
            }
        }
    }
    EXPECT_GT(measured, 500);
}

// A guest's opinion of a building reads as the building's name (its type's name and a two-figure number) and the
// opinion's text: every such thought, in the font the guest panel writes its thoughts with, fits a thought's row.
TEST_F(SampleTextsFitInPark, EveryThoughtAboutABuildingFitsTheGuestPanel)
{
    GUIManager& gui = harness.GetGame().GetGUIManager();
    const TextRow row = RowOf(gui, "GUEST_THOUGHT_0");
    ASSERT_NE(row.writer, nullptr) << "no guest panel writes a thought";
    ASSERT_NE(g_pWorldParams, nullptr);
    const char* const opinions[] = {"CROWDING_LOOKS_BAD", "PRICE_IS_BAD",     "PRICE_WAS_BAD",
                                    "PRICE_GOOD",         "WELFARE_GOOD",     "WELFARE_BAD",
                                    "ACTIVITY_GOOD",      "ACTIVITY_AVERAGE", "ACTIVITY_BAD"};
    int measured = 0;
    for (uint32_t type = 0; type < g_pWorldParams->GetBuildingCount(); ++type)
    {
        const std::string key = std::string("FAN_") + g_pWorldParams->GetBuildingInfo(int32_t(type)).keyword;
        ASSERT_GE(g_pTextTable->FindIndex(key.c_str()), 0) << key;
        const platform::WString name = g_pTextTable->GetText(key.c_str()) + FormatTableText("BI_INSTANCE_ADDON", {99});
        for (const char* opinion : opinions)
            for (int n = 1; n <= 3; ++n)
            {
                const std::string id = std::string("GUEST_THOUGHT_") + opinion + "_" + std::to_string(n);
                ASSERT_GE(g_pTextTable->FindIndex(id.c_str()), 0) << id;
                const platform::WString thought = name + g_pTextTable->GetText(id.c_str());
                ++measured;
                EXPECT_EQ(TooWide(*row.writer, thought.c_str(), row.width), "");
            }
    }
    EXPECT_GT(measured, 300);
}

// The research panel names the item being researched, or that all are done, on one row: every item's name of the
// sample's research list fits it in the panel's font.
TEST_F(SampleTextsFitInPark, EveryResearchItemsNameFitsTheResearchPanel)
{
    GUIManager& gui = harness.GetGame().GetGUIManager();
    const TextRow row = RowOf(gui, "RESEARCH_CURRENT");
    ASSERT_NE(row.writer, nullptr) << "no research panel names the current item";
    ASSERT_NE(g_pWorldParams, nullptr);
    std::vector<std::string> ids{"RNP_COMPLETE"};
    for (uint32_t i = 0; i < g_pWorldParams->GetResearchCount(); ++i)
        ids.push_back(std::string("RNP_") + g_pWorldParams->GetResearchInfo(int32_t(i)).keyword);
    ASSERT_GT(ids.size(), 2u);
    for (const std::string& id : ids)
    {
        ASSERT_GE(g_pTextTable->FindIndex(id.c_str()), 0) << id;
        EXPECT_EQ(TooWide(*row.writer, g_pTextTable->GetText(id.c_str()), row.width), "");
    }
}

// The park status panel's count of the guests in and of each sex: at the largest counts a park reaches it fits its
// row in the font the panel writes it with, and one guest is not counted as "1 guests".
TEST_F(SampleTextsFitInPark, TheStatusPanelsGuestCountFitsItsRowAndCountsOneGuestRight)
{
    GUIManager& gui = harness.GetGame().GetGUIManager();
    ASSERT_TRUE(gui.OpenDialog("IslandStatus", nullptr));
    harness.RunFrames(2);
    const TextRow row = RowOf(gui, "GUEST_BREAKDOWN", true);
    ASSERT_NE(row.writer, nullptr) << "the status panel does not count its guests";
    const platform::WString widest = FormatTableText("IS_GUEST_COUNT", {9999, 9999, 9999});
    EXPECT_EQ(TooWide(*row.writer, widest.c_str(), row.width), "");
    const std::string one = platform::WideToUtf8(FormatTableText("IS_GUEST_COUNT", {1, 1, 0}).c_str());
    EXPECT_EQ(one.find("1 guests"), std::string::npos) << one;
    EXPECT_NE(one.find('1'), std::string::npos) << one;
}

} // namespace
