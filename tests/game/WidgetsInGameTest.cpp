// Tests of the standard widgets in the running program: the real Game on a private X server shows the options
// dialog's pages with the options' values, and in the sample park the ticker list follows the message log, its goto
// buttons select objects and the game-speed buttons show the park's speed.
#include "engine/core/GameOptions.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "gui/CheckBox.h"
#include "gui/ContainerWidget.h"
#include "gui/GUIManager.h"
#include "gui/ListBox.h"
#include "gui/TabWindow.h"
#include "gui/Text.h"
#include "gui/TickerList.h"
#include "park/FeedbackManager.h"
#include "park/ParkManagers.h"
#include "tests/game/GameHarness.h"
#include "world/BaseObject.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

using gametest::Frame;
using gametest::GameHarness;

// Whether a pixel is near a colour of the sample data (each channel within 12: the 16-bit sprites keep 5 bits).
bool Near(uint32_t pixel, uint32_t colour)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((colour >> shift) & 0xFF)) > 12)
            return false;
    return true;
}

class WidgetsInGameTest : public gametest::StartedGameTest<>
{
protected:
    GUIManager& Gui() const { return harness.GetGame().GetGUIManager(); }
};

TEST_F(WidgetsInGameTest, TheOptionsPagesShowTheOptionsValues)
{
    GameOptions& options = harness.GetGame().GetOptions();
    harness.GetGame().GetSoundManager().SetMusicVolume(0.25f);
    options.m_bNudgeScroll = false;
    harness.RunFrames(2);
    Gui().ToggleInGameOptions();
    harness.RunFrames(3);
    Frame frame = harness.Screenshot();
    GameHarness::Keep(frame, "options-sound");
    ASSERT_EQ(frame.pixels.size(), 800u * 600u);
    // The sound page: the music slider runs from x 384 (its knob, 12 wide, travels 202 pixels), so at a quarter
    // the knob's face (#2A6F97, inside a 2-pixel edge) is at x 384 + 50; the effects knob (0.75) at 384 + 151.
    EXPECT_TRUE(Near(frame.At(384 + 50 + 4, 222), 0x2A6F97)) << std::hex << frame.At(438, 222);
    EXPECT_FALSE(Near(frame.At(384 + 101 + 4, 222), 0x2A6F97));
    EXPECT_TRUE(Near(frame.At(384 + 151 + 4, 262), 0x2A6F97)) << std::hex << frame.At(539, 262);
    // The note placed from its Define under the pages: dark text (#303030) in its band at y 368 to 386.
    auto noteShown = [](const Frame& f)
    {
        int dark = 0;
        for (int y = 368; y < 386; ++y)
            for (int x = 196; x < 604; ++x)
                dark += Near(f.At(x, y), 0x303030);
        return dark;
    };
    EXPECT_GT(noteShown(frame), 50);
    // The game page: the edge-scrolling box unticked (frame 0: no cross), the rescue messages "On" chosen.
    Gui().SelectDialogTab("InGameOptions", 2);
    harness.RunFrames(3);
    frame = harness.Screenshot();
    GameHarness::Keep(frame, "options-game");
    const auto* tabs = static_cast<TabWindow*>(nullptr);
    for (const auto& item : Gui().GetItems())
        if (item->GetType() == WT_TABWINDOW)
            tabs = static_cast<TabWindow*>(item.get());
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCurrent(), tabs->GetTabs()[2]);
    const CheckBox* nudge = nullptr;
    for (const auto& item : Gui().GetItems())
        if (item->GetType() == WT_CHECKBOX)
            nudge = static_cast<CheckBox*>(item.get());
    ASSERT_NE(nudge, nullptr);
    EXPECT_EQ(nudge->GetState(), 0);
    // The "On" choice's face (#3C7A3C, on) at (390, 262); "Off" (#2A6F97) at (490, 262).
    EXPECT_GT(noteShown(frame), 50) << "the note stays under every page";
    EXPECT_TRUE(Near(frame.At(408, 256), 0x3C7A3C)) << std::hex << frame.At(408, 256);
    EXPECT_TRUE(Near(frame.At(508, 256), 0x2A6F97)) << std::hex << frame.At(508, 256);
    for (const auto& box : harness.Reports().boxes)
        ADD_FAILURE() << box.text;
}

TEST_F(WidgetsInGameTest, InTheParkTheTickerFollowsTheLogAndTheSpeedButtonsTheSpeed)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    harness.RunFrames(2);
    FeedbackManager* feedback = GetFeedbackManager();
    ASSERT_NE(feedback, nullptr);
    TickerList& ticker = Gui().GetTickerList();
    ticker.Enable(true);
    ASSERT_TRUE(Gui().OpenDialog("TickerList800", nullptr));
    ASSERT_TRUE(Gui().OpenDialog("GameSpeed", &harness.GetGame()));
    auto* list = static_cast<ListBox*>(Gui().FindItem(WT_LISTBOX, TickerList::kListName));
    ASSERT_NE(list, nullptr);
    const int32_t before = list->GetRowCount();
    // A message about the park and one about a building (the fun house).
    const std::vector<BaseObject*> houses = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
    ASSERT_EQ(houses.size(), 1u);
    feedback->AddWideMessage(u"Park news", FeedbackManager::kParkID, FeedbackManager::MESSAGE_TICKER);
    feedback->AddWideMessage(u"Fun house", houses[0]->GetID(), FeedbackManager::MESSAGE_BUILDING);
    // Each runs along the toolbar's band before the next takes it (and the log): at most twenty seconds for both.
    // The rows' texts, in the list's order.
    const auto rowTexts = [&]
    {
        std::vector<std::u16string> texts;
        for (const auto& cell : list->GetCells())
            if (cell.kind == ListBox::Cell::TEXT)
                texts.push_back(static_cast<const Text*>(cell.widget.get())->GetText());
        return texts;
    };
    const auto funHouseLogged = [&]
    {
        const std::vector<std::u16string> texts = rowTexts();
        return !texts.empty() && texts.back().find(u" - Fun house") != std::u16string::npos;
    };
    for (int frame = 0; frame < 1200 && !funHouseLogged(); ++frame)
        harness.RunFrames(1);
    GameHarness::Keep(harness.Screenshot(), "ticker");
    const std::vector<std::u16string> rows = rowTexts();
    std::vector<int32_t> buttonRows;
    for (const auto& cell : list->GetCells())
        if (cell.kind != ListBox::Cell::TEXT && cell.inUse)
            buttonRows.push_back(cell.row);
    EXPECT_EQ(list->GetRowCount(), std::min(before + 2, 6)) << "the log keeps six messages";
    ASSERT_GE(rows.size(), 2u);
    EXPECT_NE(rows[rows.size() - 2].find(u" - Park news"), std::u16string::npos);
    EXPECT_NE(rows.back().find(u" - Fun house"), std::u16string::npos);
    EXPECT_EQ(rows.back().rfind(u"Day ", 0), 0u) << "the day word of the text table leads the row";
    EXPECT_EQ(buttonRows.back(), list->GetRowCount() - 1) << "the fun house's row has a goto button";
    // The speed buttons (the game speed dialog's radio buttons) show the park's speed level.
    const auto radios = [&]
    {
        std::vector<RadioButton*> found;
        std::vector<Widget*> walk = {Gui().FindItem(WT_DIALOG, "GameSpeed")};
        while (!walk.empty())
        {
            Widget* widget = walk.back();
            walk.pop_back();
            if (!widget)
                continue;
            if (widget->GetType() == WT_RADIOBUTTON)
                found.push_back(static_cast<RadioButton*>(widget));
            if (const auto* container = dynamic_cast<ContainerWidget*>(widget))
                walk.insert(walk.end(), container->GetChildren().rbegin(), container->GetChildren().rend());
        }
        return found;
    }();
    ASSERT_EQ(radios.size(), 3u);
    for (int32_t level : {2, 0, 1})
    {
        g_pWorld->SetGameSpeedLevel(level);
        harness.RunFrames(2);
        const Frame frame = harness.Screenshot();
        for (int32_t i = 0; i < 3; ++i)
        {
            EXPECT_EQ(radios[static_cast<size_t>(i)]->IsOn(), i == level) << level;
            // The buttons stand at x 500, 595 and 690, y 40: an "on" face (#3C7A3C) or an "off" one (#2A6F97).
            const uint32_t face = frame.At(500 + 95 * i + 33, 43);
            EXPECT_TRUE(Near(face, i == level ? 0x3C7A3C : 0x2A6F97)) << level << " " << i << " " << std::hex << face;
        }
    }
    // The park figures a bar shows when its dialog has no object: every name is answered, each from its figure.
    const Game& game = harness.GetGame();
    const struct
    {
        const char* name;
        float expected;
    } figures[] = {
        {"GUEST_AV_PRICE", g_pWorld->GetGuestAverage(World::AV_PRICE)},
        {"GUEST_AV_QUEUE", g_pWorld->GetGuestAverage(World::AV_QUEUE)},
        {"GUEST_AV_BEAUTY", g_pWorld->GetGuestAverage(World::AV_BEAUTY)},
        {"GUEST_AV_CLEAN", g_pWorld->GetGuestAverage(World::AV_CLEAN)},
        {"GUEST_AV_VARIETY", g_pWorld->GetGuestAverage(World::AV_VARIETY)},
        {"GUEST_AV_WELFARE", g_pWorld->GetGuestAverage(World::AV_WELFARE)},
        {"AV_ANIMAL_HAPPY", g_pWorld->GetAnimalHappyAverage()},
        {"GUEST_AV_RESEARCH", g_pWorld->GetResearchRating()},
        {"GUEST_AV_CONS", g_pWorld->GetRescueAcceptRatio()},
    };
    for (const auto& figure : figures)
    {
        float value = -1.0f;
        EXPECT_TRUE(game.GetParkFigure(figure.name, &value)) << figure.name;
        EXPECT_FLOAT_EQ(value, figure.expected) << figure.name;
    }
    float unknown = -1.0f;
    EXPECT_FALSE(game.GetParkFigure("GUEST_AV_NOTHING", &unknown));
    for (const auto& box : harness.Reports().boxes)
        EXPECT_EQ(box.text.find("GUI"), std::string::npos) << box.text;
}

} // namespace
