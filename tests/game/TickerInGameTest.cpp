// The park's messages in the running program, by the pointer: a new message runs along the toolbar's band, legibly;
// the toolbar's log button opens the log, its rows (the day, the time and the message, in the log's blue) read
// clearly against their ground, and a message about a building carries a button that opens that building's panel.
#include "gui/ListBox.h"
#include "park/BuildingObject.h"
#include "park/FeedbackManager.h"
#include "park/ParkManagers.h"
#include "tests/game/PointerGameTest.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace
{

// The colour every row of the log is written in.
constexpr uint32_t kRowText = 0x2A0FB2;

using TickerInGameTest = gametest::FirstParkPointerTest;

TEST_F(TickerInGameTest, TheLogsRowsReadOnTheirGroundAndAMessageAboutABuildingOpensItsPanel)
{
    FeedbackManager* feedback = GetFeedbackManager();
    ASSERT_NE(feedback, nullptr);
    const std::vector<BaseObject*> buildings = g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING);
    ASSERT_FALSE(buildings.empty());
    auto* building = static_cast<BuildingObject*>(buildings.back());
    building->PostBuildingFeedback("FEEDBACK_BUILDING_BROKEN");
    // The message is logged when its turn comes to show in the band.
    const auto logged = [&]
    {
        for (const FeedbackManager::Message& message : feedback->GetLog())
            if (message.ID == building->GetID())
                return true;
        return false;
    };
    for (int frame = 0; frame < 400 && !logged(); ++frame)
        Run(1);
    ASSERT_TRUE(logged());
    // While it runs along the band, its text is written there in the log's blue, on the band's own ground.
    ASSERT_TRUE(Gui().HasMessageBand()) << "the park's toolbar has no message band";
    const GuiRect band = Gui().GetMessageBand();
    for (int frame = 0; frame < 400 && Gui().GetMessageBandState().GetLeft() > band.right - 200; ++frame)
        Run(1);
    ASSERT_TRUE(Gui().IsMessageShowing());
    const gametest::Frame shot = harness.Screenshot();
    ASSERT_FALSE(shot.pixels.empty());
    gametest::GameHarness::Keep(shot, "message-band");
    EXPECT_GT(gametest::CountNearRgb(shot, band.left, band.top, band.right, band.bottom, kRowText, 24), 100)
        << "the message was not seen running along the band";
    EXPECT_GE(
        gametest::Contrast(gametest::Luminance(kRowText),
                           gametest::GroundLuminance(shot, band.left, band.top, band.right, band.bottom, kRowText, 60)),
        4.5)
        << "the band's blue text on its ground";

    ASSERT_TRUE(ClickCommand("ShowTickerList800"));
    Run(2);
    ASSERT_TRUE(Gui().IsDialogOpen("TickerList800"));
    auto* list = static_cast<ListBox*>(Gui().FindItem(WT_LISTBOX, "TickerListBox800"));
    ASSERT_NE(list, nullptr);
    const GuiRect rows = list->GetRect();
    const gametest::Frame frame = harness.Screenshot();
    ASSERT_FALSE(frame.pixels.empty());
    gametest::GameHarness::Keep(frame, "ticker");

    // The rows' text, and the ground round it: the pixels of the rows' area that are not text, their luminance's
    // median standing for the ground.
    const int written = gametest::CountNearRgb(frame, rows.left, rows.top, rows.right, rows.bottom, kRowText, 24);
    EXPECT_GT(written, 100) << "the log's rows show no text";
    const double ground = gametest::GroundLuminance(frame, rows.left, rows.top, rows.right, rows.bottom, kRowText, 60);
    EXPECT_GE(gametest::Contrast(gametest::Luminance(kRowText), ground), 4.5)
        << "the log's blue rows on a ground of luminance " << ground;

    // The building's row has the button that opens its panel.
    const ListBox::Cell* go = nullptr;
    for (const ListBox::Cell& cell : list->GetCells())
        if (cell.inUse && cell.kind == ListBox::Cell::BUTTON && cell.value == static_cast<int32_t>(building->GetID()))
            go = &cell;
    ASSERT_NE(go, nullptr) << "the building's message has no button";
    ASSERT_TRUE(go->widget->IsActive()) << "the building's row is not shown";
    const GuiRect r = go->widget->GetRect();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Run(2);
    EXPECT_TRUE(std::any_of(Gui().GetOpenList().begin(), Gui().GetOpenList().end(),
                            [&](const GUIManager::DialogEntry& entry)
                            { return entry.state != GUIManager::ENTRY_CLOSING && entry.listener == building; }))
        << "the building's panel did not open";
    ExpectNoReports();
}

} // namespace
