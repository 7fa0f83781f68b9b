// The park's status strip in the top right corner: the cash, the day, the time of day and the guests in the park,
// read from the park as it runs, each within its box in the game's font even at the largest figures a park reaches,
// on its panel in the drawn frame; and the hints shown while a building is placed or the camera follows someone,
// which leave the strip, the radar and the scenario's progress box in sight.
#include "engine/render/Font.h"
#include "engine/render/TextWriter.h"
#include "game/Game.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/MainItem.h"
#include "gui/VariableWidgets.h"
#include "platform/WideText.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace
{

using gametest::GameHarness;
// The first park entered, the pointer at hand.
using StatusStripInGame = gametest::FirstParkPointerTest;

// The toolbar's data-bound texts in the top of the screen, by name.
std::map<std::string, Variable*> StripTexts(GUIManager& gui)
{
    std::map<std::string, Variable*> texts;
    if (MainItem* root = gui.GetToolbarRoot())
        for (Widget* child : root->GetChildren())
            if (child->GetType() == WT_VARIABLE && child->GetRect().bottom <= 60)
                texts[child->GetName()] = static_cast<Variable*>(child);
    return texts;
}

std::string Shown(Variable& text, uint32_t* colour = nullptr)
{
    platform::WString s;
    uint32_t c = 0;
    int32_t indent = 0;
    if (!text.Compose(s, &c, &indent))
        return "(nothing)";
    if (colour)
        *colour = c;
    return platform::WideToUtf8(s.c_str());
}

TEST_F(StatusStripInGame, ShowsTheParksCashDayTimeAndGuestsWithinItsBoxes)
{
    ASSERT_TRUE(harness.RunFrames(20));
    ASSERT_NE(g_pWorld, nullptr);
    GUIManager& gui = harness.GetGame().GetGUIManager();
    std::map<std::string, Variable*> texts = StripTexts(gui);
    for (const char* name : {"PlayerMoney$", "GameDayTitle", "Time", "NumGuestsTitle"})
        ASSERT_EQ(texts.count(name), 1u) << name;

    // The figures of the park as it runs.
    World& world = *g_pWorld;
    world.GetPlayer()->Cash = 12345.0f;
    uint32_t colour = 0;
    EXPECT_EQ(Shown(*texts["PlayerMoney$"], &colour), "$12345");
    EXPECT_NE(colour, Variable::kRed);
    world.GetPlayer()->Cash = -250.0f;
    EXPECT_EQ(Shown(*texts["PlayerMoney$"], &colour), "$-250");
    EXPECT_EQ(colour, Variable::kRed);
    EXPECT_EQ(Shown(*texts["GameDayTitle"]), "Day " + std::to_string(world.GetGameDay() + 1));
    EXPECT_EQ(Shown(*texts["NumGuestsTitle"]), "Guests: " + std::to_string(world.m_NumGuests));
    const float time = world.GetGameDayTime();
    const int hour = static_cast<int>(time), quarter = static_cast<int>((time - hour) * 4.0f) * 15;
    EXPECT_EQ(Shown(*texts["Time"]), std::to_string(hour) + (quarter < 10 ? ":0" : ":") + std::to_string(quarter));

    // The widest each text gets in a park that has run long and well (or badly), inside its box in its font: the
    // cash and the guests as the strip writes them, the day and the time as they read at their longest.
    world.GetPlayer()->Cash = -999999.0f;
    world.m_NumGuests = 9999;
    const struct
    {
        const char* name;
        std::string widest;
    } cases[] = {{"PlayerMoney$", Shown(*texts["PlayerMoney$"])},
                 {"NumGuestsTitle", Shown(*texts["NumGuestsTitle"])},
                 {"GameDayTitle", "Day 999"},
                 {"Time", "23:45"}};
    EXPECT_EQ(cases[0].widest, "$-999999");
    EXPECT_EQ(cases[1].widest, "Guests: 9999");
    const TextWriter* writer = gui.GetTextWriter(0);
    ASSERT_TRUE(writer && writer->GetFont());
    for (const auto& c : cases)
    {
        const platform::WString wide = platform::Utf8ToWide(c.widest.c_str());
        const GuiRect& r = texts[c.name]->GetRect();
        EXPECT_LE(writer->GetTextWidth(wide.c_str()), r.right - r.left) << c.name << " \"" << c.widest << "\"";
        EXPECT_LE(static_cast<int>(writer->GetFont()->GetHeight()), r.bottom - r.top) << c.name;
    }
    world.m_NumGuests = 0;

    // Drawn: the strip's panel in the top right corner with the texts' dark ink on it.
    world.GetPlayer()->Cash = 12345.0f;
    ASSERT_TRUE(harness.RunFrames(2));
    const gametest::Frame frame = harness.Screenshot();
    ASSERT_FALSE(frame.pixels.empty());
    GameHarness::Keep(frame, "status-strip");
    const GuiRect& money = texts["PlayerMoney$"]->GetRect();
    EXPECT_GT(gametest::CountNearRgb(frame, money.left, money.top, money.right, money.bottom, 0xF2E6C8, 12), 200);
    EXPECT_GT(gametest::CountNearRgb(frame, money.left, money.top, money.right, money.bottom, 0x4A3422, 30), 20);
}

bool Overlap(const GuiRect& a, const GuiRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST_F(StatusStripInGame, TheHintsLeaveTheStripTheRadarAndTheProgressBoxInSight)
{
    ASSERT_TRUE(harness.RunFrames(20));
    GUIManager& gui = harness.GetGame().GetGUIManager();
    // What stays on the screen while the player plays: the strip's panel and texts, the radar and the progress box.
    std::vector<std::pair<std::string, GuiRect>> shown;
    if (MainItem* root = gui.GetToolbarRoot())
        for (Widget* child : root->GetChildren())
            if (child->GetRect().bottom <= 60)
                shown.emplace_back(child->GetName() ? child->GetName() : "the strip's panel", child->GetRect());
    ASSERT_GE(shown.size(), 5u);
    ASSERT_TRUE(gui.GetRadar().IsActive());
    shown.emplace_back("radar", gui.GetRadar().GetRect());
    ASSERT_TRUE(gui.IsProgressExtensionShown());
    shown.emplace_back("progress", gui.GetProgressExtensionRect());
    for (const char* hint : {"CancelBuildMode", "CancelCamera"})
    {
        ASSERT_TRUE(gui.OpenDialog(hint, nullptr)) << hint;
        ASSERT_TRUE(harness.RunFrames(2));
        const GUIManager::DialogEntry* open = nullptr;
        for (const GUIManager::DialogEntry& entry : gui.GetOpenList())
            if (entry.dialog && std::string(entry.dialog->GetName()) == hint)
                open = &entry;
        ASSERT_NE(open, nullptr) << hint;
        const GuiRect r = open->dialog->GetRect();
        EXPECT_GT(r.right - r.left, 0) << hint;
        for (const auto& [name, rect] : shown)
            EXPECT_FALSE(Overlap(r, rect)) << hint << " covers " << name << " (" << rect.left << ", " << rect.top
                                           << " to " << rect.right << ", " << rect.bottom << ")";
        gui.CloseDialog(hint);
        ASSERT_TRUE(harness.RunFrames(2));
    }
}

} // namespace
