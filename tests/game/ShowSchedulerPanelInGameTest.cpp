// The way to show training in the running program, by the pointer and the keys alone: a click on the sample
// park's show arena opens its panel, its Show button the show scheduler with both lists filled, Train starts the
// training; Escape asks whether to quit, Resume goes on training and Quit goes back to the park and its scheduler.
// The scheduler's rows read: their texts apart, within their rows and dark on a light ground, and the row a click
// selects is the one highlighted.
#include "game/GameParkGui.h"
#include "game/ShowTraining.h"
#include "game/ToolModes.h"
#include "gui/GUIManager.h"
#include "gui/GuiCommands.h"
#include "gui/ListBox.h"
#include "gui/ScrollGroup.h"
#include "gui/Text.h"
#include "park/BuildingObject.h"
#include "park/ParkGui.h"
#include "park/ShowScheduler.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "tests/game/XPointer.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include "engine/render/Font.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextWriter.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace showtraining;

class ShowSchedulerPanelInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        const std::vector<BaseObject*> arenas = g_pObjectManager->GetBuildingsByName("ARENA");
        ASSERT_EQ(arenas.size(), 1u);
        arena = dynamic_cast<BuildingObject*>(arenas[0]);
        ASSERT_NE(arena, nullptr);
        ASSERT_NE(arena->GetScheduler(), nullptr);
        // The camera above the arena and to its +z side, looking down at its middle: nothing stands between.
        const platform::Vec3 middle = arena->GetPosition();
        gametest::GameHarness::PlaceCamera({middle.x, middle.y + 25.0f, middle.z + 25.0f}, middle);
        harness.RunFrames(3);
    }
    TrainingMode* Mode() const { return dynamic_cast<TrainingMode*>(Gui().GetCurrentMode()); }
    // A click in the middle of a rectangle of the picture, then time for the button to fire and dialogs to slide.
    void ClickIn(int left, int top, int right, int bottom)
    {
        Click((left + right) / 2, (top + bottom) / 2);
        running = harness.RunFrames(15) && running;
    }
    // A scroll group of the open dialogs, as the park finds it.
    ScrollGroup* List(const char* name) const
    {
        auto* gui = dynamic_cast<GameParkGui*>(GetParkGui());
        return gui ? gui->FindScrollGroup(name) : nullptr;
    }

    BuildingObject* arena = nullptr;
};

TEST_F(ShowSchedulerPanelInGameTest, ClickingTheArenaReachesTrainingWhichQuitsOnlyWhenAskedTo)
{
    ASSERT_EQ(Gui().GetMode(), MODE_SELECT);
    ShowScheduler& scheduler = *arena->GetScheduler();
    ASSERT_FALSE(scheduler.GetMoves().empty());

    // A click on the arena selects it: its panel opens. The clicks go from its middle (its pool) down the screen
    // towards its near wall until one lands on it.
    platform::Vec3 screen;
    const platform::Vec3 at = arena->GetPosition();
    g_GraphicsManager.ProjectToScreen({at.x, at.y + 0.5f, at.z}, &screen);
    for (int down = 0; down <= 100 && arena->GetSelectLevel() != 2; down += 10)
    {
        Click(static_cast<int>(std::lround(screen.x)), static_cast<int>(std::lround(screen.y)) + down);
        harness.RunFrames(2);
    }
    harness.RunFrames(15);
    EXPECT_EQ(arena->GetSelectLevel(), 2);
    ASSERT_TRUE(Gui().IsDialogOpen("ARENA_Menu"));

    // Its Show button (the panel at 450, 250; the button at 10, 210 to 86, 232) opens the scheduler, both lists
    // filled: one row a move of the programme, and at least one move to add.
    ClickIn(460, 460, 536, 482);
    ASSERT_TRUE(Gui().IsDialogOpen("ShowScheduler"));
    ASSERT_NE(List(ShowScheduler::kProgrammeList), nullptr);
    ASSERT_NE(List(ShowScheduler::kAvailableList), nullptr);
    EXPECT_EQ(List(ShowScheduler::kProgrammeList)->GetItemCount(), static_cast<int32_t>(scheduler.GetMoves().size()));
    EXPECT_GT(List(ShowScheduler::kAvailableList)->GetItemCount(), 0);
    gametest::GameHarness::Keep(harness.Screenshot(), "show-scheduler-panel");

    // Train (the scheduler at 20, 60; the button at 322, 284 to 396, 308): the training mode runs.
    ClickIn(342, 344, 416, 368);
    ASSERT_EQ(Gui().GetMode(), MODE_TRAINING);
    TrainingMode* mode = Mode();
    ASSERT_NE(mode, nullptr);
    ASSERT_TRUE(mode->IsStarted());
    EXPECT_FALSE(mode->GetGame()->IsPreview());
    EXPECT_FALSE(Gui().IsDialogOpen("ShowScheduler"));

    // Escape asks whether to quit and freezes the training.
    harness.RunFrames(10);
    Key(XK_Escape);
    EXPECT_TRUE(mode->IsQuitPending());
    ASSERT_TRUE(Gui().IsDialogOpen("TrainQuitConfirm"));
    harness.RunFrames(10);
    // The question shows over the training, which hides the rest of the GUI: the Quit and Resume buttons' white
    // words (the box at 250, 230; the buttons at 40, 60 to 130, 84 and 170, 60 to 260, 84) are drawn.
    const gametest::Frame asked = harness.Screenshot();
    gametest::GameHarness::Keep(asked, "show-training-quit-confirm");
    ASSERT_FALSE(asked.pixels.empty());
    for (int x : {290, 420})
    {
        int letters = 0;
        for (int y = 293; y < 311; ++y)
            for (int i = 1; i < 90; ++i)
                letters += (asked.At(x + i, y) & 0x00E0E0E0u) == 0x00E0E0E0u ? 1 : 0;
        EXPECT_GT(letters, 40) << "the quit question's button at " << x << " is not drawn";
    }
    const int state = mode->GetGame()->GetState();

    // Resume (the box at 250, 230; the button at 170, 60 to 260, 84): training goes on.
    ClickIn(420, 290, 510, 314);
    EXPECT_FALSE(Gui().IsDialogOpen("TrainQuitConfirm"));
    EXPECT_FALSE(mode->IsQuitPending());
    EXPECT_EQ(Gui().GetMode(), MODE_TRAINING);
    EXPECT_EQ(Mode(), mode);
    for (int i = 0; i < 600 && mode->GetGame()->GetState() == state; ++i)
        harness.RunFrames(1);
    EXPECT_NE(mode->GetGame()->GetState(), state) << "the training moves on after the resume";

    // Escape again and Quit (the button at 40, 60 to 130, 84): back to the park, its select tool and the scheduler.
    Key(XK_Escape);
    ASSERT_TRUE(Gui().IsDialogOpen("TrainQuitConfirm"));
    harness.RunFrames(10);
    ClickIn(290, 290, 380, 314);
    harness.RunFrames(2);
    EXPECT_EQ(Gui().GetMode(), MODE_SELECT);
    EXPECT_FALSE(Gui().IsDialogOpen("TrainQuitConfirm"));
    EXPECT_FALSE(Gui().IsLocked());
    EXPECT_FALSE(g_pWorld->IsPaused());
    EXPECT_TRUE(Gui().IsDialogOpen("ShowScheduler"));
    EXPECT_TRUE(running);
}

// Selling the arena closes its show scheduler with its other panels: nothing is left to train a show that is being
// demolished, nor a panel that speaks for a scheduler gone with its building.
TEST_F(ShowSchedulerPanelInGameTest, SellingTheArenaClosesItsScheduler)
{
    const uint32_t id = arena->GetID();
    Gui().OpenDialog("ShowScheduler", arena->GetScheduler());
    arena->GetScheduler()->RefreshPanel();
    harness.RunFrames(3);
    ASSERT_TRUE(Gui().IsDialogOpen("ShowScheduler"));
    Gui().OpenDialog("ConfirmDemolish", arena, true);
    harness.RunFrames(2);
    const GuiCommandHandler confirm = ResolveGuiCommand(GetInGameCommands(), "ConfirmSell");
    ASSERT_NE(confirm, nullptr);
    Gui().SetDialogObject(arena);
    confirm(0);
    Gui().SetDialogObject(nullptr);
    harness.RunFrames(1);
    EXPECT_FALSE(Gui().IsDialogOpen("ShowScheduler")) << "the scheduler of an arena being sold is still open";
    for (int i = 0; i < 600 && g_pObjectManager->GetObject(id); ++i)
        harness.RunFrames(1);
    ASSERT_EQ(g_pObjectManager->GetObject(id), nullptr) << "the arena was not demolished";
    arena = nullptr;
    harness.RunFrames(3);
    EXPECT_FALSE(Gui().IsDialogOpen("ShowScheduler"));
    EXPECT_NE(Gui().GetMode(), MODE_TRAINING);
    EXPECT_TRUE(running);
}

// The arena's panel says how many guests a show waits for, and its slider (120 wide at 210, 242 in the panel at 450,
// 250; its knob 12 wide) sets how full the stands must be: the sample arena seats 8.
TEST_F(ShowSchedulerPanelInGameTest, TheArenasSliderSetsHowManyGuestsAShowWaitsFor)
{
    arena->OnSelected(true, false);
    running = harness.RunFrames(5) && running;
    ASSERT_EQ(OpenFor("ARENA_Menu"), static_cast<DialogListener*>(arena));
    ASSERT_EQ(arena->GetInfo().iGuestCapacity, 8) << "the sample arena's seats changed";
    EXPECT_EQ(Written("RIDE_GO_AT"), u"4") << "half the seats at first";
    struct Case
    {
        int x;              // from the slider's left end
        const char* level;  // the building's start level
        const char16_t* go; // the guests a show waits for
    };
    const Case cases[] = {
        {32, "0.29", u"2"}, {97, "0.89", u"7"}, {0, "0.00", u"1"}, {64, "0.59", u"4"}, {115, "1.00", u"8"}};
    for (const Case& c : cases)
    {
        Click(450 + 210 + c.x, 250 + 251);
        running = harness.RunFrames(3) && running;
        const std::u16string level = Value(arena, "RIDE_START_LEVEL");
        EXPECT_EQ(std::string(level.begin(), level.end()), c.level) << c.x;
        EXPECT_EQ(Written("RIDE_GO_AT"), c.go) << c.x;
    }
    gametest::GameHarness::Keep(harness.Screenshot(), "arena-panel-go-at");
    EXPECT_TRUE(running);
    ExpectNoReports();
}

// The box a text covers as drawn in its rectangle: as wide as its widest line, as high as its lines.
GuiRect DrawnBox(const Text& text, const TextWriter& writer)
{
    const GuiRect& r = text.GetRect();
    const gametest::TextLayout laid =
        gametest::LayOutText(writer, text.GetText().c_str(), r.right - r.left, r.bottom - r.top);
    return {r.left, r.top, r.left + laid.width, r.top + laid.height};
}

bool Overlap(const GuiRect& a, const GuiRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The plate the programme's numbers are written on.
constexpr uint32_t kNumberPlate = 0x102030;

TEST_F(ShowSchedulerPanelInGameTest, TheSchedulersRowsReadAndTheRowAClickSelectsIsHighlighted)
{
    arena->OnSelected(true, false);
    running = harness.RunFrames(5) && running;
    ASSERT_TRUE(ClickCommand("ShowScheduler"));
    running = harness.RunFrames(15) && running;
    ASSERT_TRUE(Gui().IsDialogOpen("ShowScheduler"));
    ScrollGroup* available = List(ShowScheduler::kAvailableList);
    ScrollGroup* programme = List(ShowScheduler::kProgrammeList);
    ASSERT_NE(available, nullptr);
    ASSERT_NE(programme, nullptr);
    ASSERT_GE(available->GetShownCount(), 2) << "two moves to add are shown";
    ASSERT_GE(programme->GetShownCount(), 2) << "two moves of the programme are shown";

    // Every text of a shown row is written apart from the row's other texts, and within the row.
    int texts = 0;
    for (ScrollGroup* group : {available, programme})
        for (int32_t i = group->GetFirst(); i < group->GetFirst() + group->GetShownCount(); ++i)
        {
            const auto* row = dynamic_cast<const ContainerWidget*>(group->GetItem(i));
            ASSERT_NE(row, nullptr);
            std::vector<std::pair<GuiRect, std::string>> boxes;
            for (const Widget* child : row->GetChildren())
                if (child->GetType() == WT_TEXT)
                {
                    const auto* text = static_cast<const Text*>(child);
                    const TextWriter* writer = Gui().GetTextWriter(text->GetFont());
                    ASSERT_NE(writer, nullptr);
                    const GuiRect box = DrawnBox(*text, *writer);
                    const std::string words(text->GetText().begin(), text->GetText().end());
                    const GuiRect& own = row->GetRect();
                    const GuiRect& place = text->GetRect();
                    EXPECT_TRUE(box.right <= own.right && box.bottom <= own.bottom && place.right <= own.right &&
                                place.bottom <= own.bottom)
                        << group->GetName() << " row " << i << ": \"" << words << "\" leaves its row";
                    for (const auto& [other, otherWords] : boxes)
                        EXPECT_FALSE(Overlap(box, other)) << group->GetName() << " row " << i << ": \"" << words
                                                          << "\" is written over \"" << otherWords << "\"";
                    boxes.emplace_back(box, words);
                    ++texts;
                }
        }
    EXPECT_GE(texts, 4 * 2 + 2 * 2);

    // The selected row is highlighted and the others are not; the rows' black texts read against their ground.
    const auto check = [&](ScrollGroup* group, const char* when)
    {
        const gametest::Frame frame = harness.Screenshot();
        ASSERT_FALSE(frame.pixels.empty());
        gametest::GameHarness::Keep(frame, std::string("show-scheduler-") + when);
        for (int32_t i = group->GetFirst(); i < group->GetFirst() + group->GetShownCount(); ++i)
        {
            const GuiRect& r = group->GetItem(i)->GetRect();
            const int area = (r.right - r.left) * (r.bottom - r.top);
            const int lit = gametest::CountNearRgb(frame, r.left, r.top, r.right, r.bottom,
                                                   ListBox::kSelectedColour & 0xFFFFFF, 16);
            if (i == group->GetSelected())
                EXPECT_GT(lit, area / 3) << when << ": the selected row " << i << " is not highlighted";
            else
                EXPECT_EQ(lit, 0) << when << ": row " << i << " is highlighted";
            EXPECT_GT(gametest::CountNearRgb(frame, r.left, r.top, r.right, r.bottom, 0x000000, 40), 40)
                << when << ": row " << i << " shows no black text";
            const double ground = gametest::GroundLuminance(frame, r.left, r.top, r.right, r.bottom, 0x000000, 40);
            EXPECT_GE(gametest::Contrast(gametest::Luminance(0x000000), ground), 4.5)
                << when << ": row " << i << "'s ground is too dark for its black text";
        }
    };
    check(available, "opened");
    check(programme, "opened");
    // Each move of the programme shows its place: its number's dark plate at the row's left.
    {
        const gametest::Frame frame = harness.Screenshot();
        for (int32_t i = programme->GetFirst(); i < programme->GetFirst() + programme->GetShownCount(); ++i)
        {
            const GuiRect& r = programme->GetItem(i)->GetRect();
            EXPECT_GT(gametest::CountNearRgb(frame, r.left, r.top, r.left + 30, r.bottom, kNumberPlate, 12), 40)
                << "the programme's row " << i << " shows no number";
        }
    }
    // A click on the second move to add selects it, and the highlight follows.
    const GuiRect second = available->GetItem(available->GetFirst() + 1)->GetRect();
    Click(second.left + 100, (second.top + second.bottom) / 2);
    running = harness.RunFrames(2) && running;
    EXPECT_EQ(available->GetSelected(), available->GetFirst() + 1);
    check(available, "second-chosen");
    EXPECT_TRUE(running);
    ExpectNoReports();
}

} // namespace
