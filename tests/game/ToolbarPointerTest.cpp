// The park's toolbar in the running game, clicked with a real pointer: the staff button opens the staff panel whose
// button hires a cleaner, the pause button stops the park and the pause box's button lets it run again, the speed
// buttons change the game speed, the options button opens the options, the log button the message log, and the
// build panel's build button starts placing the building chosen in it, the paths button opens and closes the
// footpath and scenery panel; each button says what it does when the pointer rests on it.
#include "engine/core/TextTable.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "gui/Button.h"
#include "gui/DialogItem.h"
#include "gui/Image.h"
#include "gui/ImageList.h"
#include "gui/MainItem.h"
#include "scripts/WorldParams.h"
#include "tests/game/PointerGameTest.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>

namespace
{

class ToolbarPointerTest : public gametest::PointerGameTest
{
protected:
    // The sample park (the first scenario of the list).
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(5);
    }
};

TEST_F(ToolbarPointerTest, TheStaffPanelHiresACleanerByClicks)
{
    const uint32_t before = g_pObjectManager->CountObjectsOfKind(OBJECT_CLEANER);
    EXPECT_EQ(Bound("HireNewCleaner"), nullptr) << "the staff panel is closed at first";
    ASSERT_TRUE(ClickCommand("StaffBrowser"));
    ASSERT_TRUE(Gui().IsDialogOpen("ObjectBrowser"));
    gametest::GameHarness::Keep(harness.Screenshot(), "toolbar-staff-panel");
    ASSERT_TRUE(ClickCommand("HireNewCleaner"));
    EXPECT_EQ(g_pObjectManager->CountObjectsOfKind(OBJECT_CLEANER), before + 1);
    ASSERT_TRUE(ClickCommand("HireNewCleaner"));
    EXPECT_EQ(g_pObjectManager->CountObjectsOfKind(OBJECT_CLEANER), before + 2);
    for (const auto& box : harness.Reports().boxes)
        ADD_FAILURE() << box.text;
}

// The options button opens the options in the park as in the front end: a press on the music volume's slider, 50
// pixels from its left end (of 214, its knob 12 wide), sets the volume to 50 / 202 in hundredths; Done closes them.
TEST_F(ToolbarPointerTest, TheOptionsButtonOpensTheOptionsWhoseSliderSetsTheMusicVolume)
{
    ASSERT_FALSE(Gui().IsDialogOpen("InGameOptions"));
    ASSERT_TRUE(ClickCommand("InGameOptions"));
    running = harness.RunFrames(5) && running;
    ASSERT_TRUE(Gui().IsDialogOpen("InGameOptions"));
    gametest::GameHarness::Keep(harness.Screenshot(), "toolbar-options");
    Click(384 + 50, 223);
    running = harness.RunFrames(3) && running;
    EXPECT_NEAR(harness.GetGame().GetSoundManager().GetMusicVolume(), std::floor(100.0 * 50.0 / 202.0) / 100.0, 0.005);
    ASSERT_TRUE(ClickCommand("ExitOptions"));
    running = harness.RunFrames(5) && running;
    EXPECT_FALSE(Gui().IsDialogOpen("InGameOptions"));
    EXPECT_TRUE(running);
    for (const auto& box : harness.Reports().boxes)
        ADD_FAILURE() << box.text;
}

// The log button opens the message log (its list filled from the park's log) and shows it open; a second click closes
// it.
TEST_F(ToolbarPointerTest, TheLogButtonOpensAndClosesTheMessageLog)
{
    Button* log = Bound("ShowTickerList800");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->GetImage(), "UIS_bar_message_up");
    for (const bool open : {true, false})
    {
        ASSERT_TRUE(ClickCommand("ShowTickerList800"));
        running = harness.RunFrames(5) && running;
        EXPECT_EQ(Gui().IsDialogOpen("TickerList800"), open);
        EXPECT_EQ(log->GetImage(), open ? "UIS_bar_message_down" : "UIS_bar_message_up");
    }
    EXPECT_TRUE(running);
}

// The paths button opens the footpath and scenery panel over an open build panel, which it closes, with the footpath
// chosen and its tool started; a second click slides the panel out and closes it, back to the select tool.
TEST_F(ToolbarPointerTest, ThePathsButtonOpensAndClosesTheSceneryPanel)
{
    ASSERT_TRUE(ClickCommand("BuildList"));
    ASSERT_TRUE(Gui().IsDialogOpen("BuildPanel"));
    ASSERT_TRUE(ClickCommand("SceneryPanel")) << "the toolbar has no button for the footpath and scenery panel";
    running = harness.RunFrames(60) && running;
    EXPECT_TRUE(Gui().IsDialogOpen("SceneryPanel"));
    EXPECT_FALSE(Gui().IsDialogOpen("BuildPanel"));
    // It opens laying footpath: the footpath chosen, its name and price written under the thumbnails.
    EXPECT_EQ(Gui().GetMode(), 7) << "the footpath tool";
    EXPECT_EQ(Written("SP_SCENERY_DESC"), TableText("SP_DESC_FOOTPATH"));
    gametest::GameHarness::Keep(harness.Screenshot(), "toolbar-scenery-panel");
    ASSERT_TRUE(ClickCommand("SceneryPanel"));
    for (int i = 0; i < 50 && Gui().IsDialogOpen("SceneryPanel"); ++i)
        running = harness.RunFrames(5) && running;
    EXPECT_FALSE(Gui().IsDialogOpen("SceneryPanel"));
    EXPECT_EQ(Gui().GetMode(), 4) << "the select tool";
    EXPECT_TRUE(running);
}

TEST_F(ToolbarPointerTest, PauseAndResumeByClicks)
{
    ASSERT_FALSE(g_pWorld->IsPaused());
    ASSERT_TRUE(ClickCommand("PauseGame"));
    EXPECT_TRUE(g_pWorld->IsPaused());
    ASSERT_TRUE(Gui().IsDialogOpen("PauseBox"));
    gametest::GameHarness::Keep(harness.Screenshot(), "toolbar-paused");
    // The clock stands while paused.
    const double paused = g_pWorld->GetGameTimeExact();
    harness.RunFrames(5);
    EXPECT_EQ(g_pWorld->GetGameTimeExact(), paused);
    ASSERT_TRUE(ClickCommand("ClosePause"));
    EXPECT_FALSE(g_pWorld->IsPaused());
    EXPECT_FALSE(Gui().IsDialogOpen("PauseBox"));
    harness.RunFrames(5);
    EXPECT_GT(g_pWorld->GetGameTimeExact(), paused);
}

TEST_F(ToolbarPointerTest, TheSpeedButtonsChangeTheGameSpeed)
{
    g_pWorld->SetGameSpeedLevel(0);
    // The three speeds run at 1, 2 and 4 game seconds a second; the buttons stop at both ends.
    const struct
    {
        const char* command;
        float speed;
    } steps[] = {{"GameSpeedUp", 2.0f},   {"GameSpeedUp", 4.0f},   {"GameSpeedUp", 4.0f},
                 {"GameSpeedDown", 2.0f}, {"GameSpeedDown", 1.0f}, {"GameSpeedDown", 1.0f}};
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.command);
        ASSERT_TRUE(ClickCommand(step.command));
        EXPECT_EQ(g_pWorld->GetGameSpeed(), step.speed);
    }
}

// The build button opens the build panel; a type chosen there and placed starts the placement mode of the running
// game, which asks the game whether the type is available.
TEST_F(ToolbarPointerTest, ABuildingChosenInTheBuildPanelIsPlaced)
{
    ASSERT_TRUE(ClickCommand("BuildList"));
    ASSERT_TRUE(Gui().IsDialogOpen("BuildPanel"));
    int32_t type = -1;
    for (int32_t i = 0; i < g_pWorld->m_NumValidBuildings && type < 0; ++i)
        if (g_pWorld->CanBuildType(g_pWorld->m_ValidBuildingIDs[i]))
            type = g_pWorld->m_ValidBuildingIDs[i];
    ASSERT_GE(type, 0);
    Gui().SetSelection(0, type);
    g_pWorld->GetPlayer()->Cash = 1e6f;
    const GuiCommandHandler place = ResolveGuiCommand(GetInGameCommands(), "PlaceBuilding");
    ASSERT_NE(place, nullptr);
    place(Gui().FindItem(WT_DIALOG, "BuildPanel")->GetDialogIndex());
    harness.RunFrames(2);
    EXPECT_EQ(Gui().GetMode(), 5) << "the building placement mode";
    EXPECT_FALSE(Gui().IsDialogOpen("BuildPanel"));
}

// The build panel opened by its toolbar button offering the snack kiosk (a food outlet) and the garden (a park
// building), its food page shown first and choosing its first thumbnail on opening; the kiosk's thumbnail clicked and
// the build button clicked: the panel closes and the placement mode starts with the kiosk, whose hint's Cancel stops
// it. Its close button closes the panel without a tool.
TEST_F(ToolbarPointerTest, TheBuildPanelsButtonsStartPlacingTheChosenBuildingOrCloseIt)
{
    ASSERT_NE(g_pWorldParams, nullptr);
    const int32_t kiosk = g_pWorldParams->GetBuildingID("ICEKIOSK");
    for (const int32_t type : {kiosk, g_pWorldParams->GetBuildingID("GARDEN")})
        if (!g_pWorld->IsValidBuildingType(type))
            g_pWorld->m_ValidBuildingIDs[g_pWorld->m_NumValidBuildings++] = type;
    // The sample park has no entrance, which the kiosk needs first: here it needs none.
    std::snprintf(g_pWorldParams->GetBuildingInfo(kiosk).szTree, sizeof g_pWorldParams->GetBuildingInfo(kiosk).szTree,
                  "NONE");
    g_pWorld->GetPlayer()->Cash = 1e6f;
    for (const char* command : {"PlaceBuilding", "ExitDialog"})
    {
        SCOPED_TRACE(command);
        Gui().SetMode(GUIManager::kSelectMode);
        ASSERT_TRUE(ClickCommand("BuildList"));
        ASSERT_TRUE(Gui().IsDialogOpen("BuildPanel"));
        harness.RunFrames(60); // the panel slides in
        const ImageList* food = nullptr;
        for (const auto& item : Gui().GetItems())
            if (item->GetType() == WT_IMAGELIST && static_cast<ImageList*>(item.get())->GetKind() == 1)
                food = static_cast<ImageList*>(item.get());
        ASSERT_NE(food, nullptr);
        ASSERT_FALSE(food->GetThumbs().empty());
        const GuiRect thumb = food->GetThumbs()[0]->GetRect();
        Click((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
        EXPECT_EQ(Gui().GetSelection(0), kiosk) << "the kiosk's thumbnail does not choose it";
        ASSERT_TRUE(ClickCommand(command)) << "the build panel has no button for it";
        harness.RunFrames(2);
        EXPECT_FALSE(Gui().IsDialogOpen("BuildPanel"));
        EXPECT_EQ(Gui().GetMode(), std::string(command) == "PlaceBuilding" ? 5 : GUIManager::kSelectMode);
        // Placing, the hint says how and its Cancel stops placing.
        EXPECT_EQ(Gui().IsDialogOpen("CancelBuildMode"), std::string(command) == "PlaceBuilding");
        if (std::string(command) == "PlaceBuilding")
        {
            ASSERT_TRUE(ClickCommand("ExitBuildMode"));
            harness.RunFrames(2);
            EXPECT_EQ(Gui().GetMode(), GUIManager::kSelectMode);
            EXPECT_FALSE(Gui().IsDialogOpen("CancelBuildMode"));
        }
    }
}

// Every button of the toolbar has a tooltip of its own with a text; the pointer resting on one shows it in its box,
// written on the box, and moving off hides it.
TEST_F(ToolbarPointerTest, EachButtonSaysWhatItDoesWhenThePointerRestsOnIt)
{
    MainItem* toolbar = Gui().GetToolbarRoot();
    ASSERT_NE(toolbar, nullptr);
    std::set<std::string> tips;
    size_t buttons = 0;
    Button* research = nullptr;
    for (Widget* widget : toolbar->GetChildren())
    {
        if (widget->GetType() != WT_BUTTON)
            continue;
        ++buttons;
        const char* tip = widget->GetTooltip();
        ASSERT_NE(tip, nullptr) << "a toolbar button without a tooltip";
        const char16_t* text = g_pTextTable->GetText(tip);
        EXPECT_TRUE(text && *text) << tip << " has no text";
        tips.insert(tip);
        if (static_cast<Button*>(widget)->IsBoundTo("ResearchMenu"))
            research = static_cast<Button*>(widget);
    }
    EXPECT_EQ(tips.size(), buttons) << "two buttons share a tooltip";
    EXPECT_GE(buttons, 17u);
    ASSERT_NE(research, nullptr);

    const GuiRect r = research->GetRect();
    Move((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    running = harness.RunFrames(120) && running;
    ASSERT_TRUE(Gui().GetTooltipBox().IsShown()) << "no tooltip after two seconds";
    EXPECT_EQ(Gui().GetTooltipOwner(), research);
    const GuiRect box = Gui().GetTooltipBox().GetRect();
    EXPECT_GT(box.right - box.left, 20);
    const gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "toolbar-tooltip");
    // Written: the box holds two colours at least, its face and its letters.
    std::set<uint32_t> colours;
    for (int y = box.top + 2; y < box.bottom - 2; ++y)
        for (int x = box.left + 2; x < box.right - 2; ++x)
            colours.insert(frame.At(x, y) & 0xFFFFFF);
    EXPECT_GE(colours.size(), 2u) << "the tooltip's box is empty";
    Move(400, 300);
    running = harness.RunFrames(5) && running;
    EXPECT_FALSE(Gui().GetTooltipBox().IsShown());
    EXPECT_TRUE(running);
}

} // namespace
