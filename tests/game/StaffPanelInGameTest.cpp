// A staff member's panel in the running program, by the pointer alone: the object browser's cleaner button hires a
// cleaner in the first scenario's park; once it is out at work a click on it opens its panel on its sand with its
// name, the litter box untick takes sweeping from its jobs, and the dismiss button asks first, then dismisses it.
#include "engine/render/GraphicsManager.h"
#include "gui/GuiCommands.h"
#include "park/CleanerObject.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{

// The panel's place on the screen.
constexpr int kPanelLeft = 10;
constexpr int kPanelTop = 336;

class StaffPanelInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        g_pWorld->SetGameSpeedLevel(2);
    }
    void ClickPanel(int x, int y)
    {
        Click(kPanelLeft + x, kPanelTop + y);
        running = harness.RunFrames(8) && running;
    }
};

TEST_F(StaffPanelInGameTest, AClickedCleanersPanelShowsItTakesItsJobsAndDismissesIt)
{
    // The staff button (10, 566 to 70, 590) opens the object browser on its staff page; the page's cleaner button
    // (the page at 28, 120; the button at 0, 248 to 60, 272 on it) hires one.
    Click(39, 577);
    running = harness.RunFrames(10) && running;
    ASSERT_TRUE(Gui().IsDialogOpen("ObjectBrowser"));
    Click(58, 380);
    running = harness.RunFrames(10) && running;
    const std::vector<BaseObject*> cleaners = g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER);
    ASSERT_EQ(cleaners.size(), 1u) << "the cleaner button hired no one";
    auto* cleaner = static_cast<CleanerObject*>(cleaners[0]);
    const uint32_t cleanerId = cleaner->GetID();
    Gui().CloseAllDialogs();
    // Out of the staff room and at work; then looked at from above, and clicked where it stands.
    for (int i = 0; i < 1200 && !cleaner->IsVisible(); i += 30)
        harness.RunFrames(30);
    ASSERT_TRUE(cleaner->IsVisible()) << "the cleaner never came out";
    const bool wasPaused = g_pWorld->IsPaused();
    g_pWorld->SetPaused(true);
    platform::Vec3 middle = cleaner->GetPosition();
    middle.y += 0.9f;
    gametest::GameHarness::PlaceCamera({middle.x, middle.y + 8.0f, middle.z + 12.0f}, middle);
    harness.RunFrames(3);
    platform::Vec3 screen;
    g_GraphicsManager.ProjectToScreen(middle, &screen);
    Click(static_cast<int>(std::lround(screen.x)), static_cast<int>(std::lround(screen.y)));
    running = harness.RunFrames(10) && running;
    ASSERT_EQ(OpenFor("CLEANER_Menu"), static_cast<DialogListener*>(cleaner));

    // Its sand, and its name and what it does written in brown, in the GL frame read back.
    const gametest::Frame frame = harness.Screenshot();
    ASSERT_FALSE(frame.pixels.empty());
    gametest::GameHarness::Keep(frame, "staff-panel");
    EXPECT_TRUE(gametest::NearRgb(frame.At(kPanelLeft + 150, kPanelTop + 176), gametest::kPanelSand, 12));
    for (const int row : {6, 28})
    {
        EXPECT_GT(gametest::PanelTextPixels(frame, kPanelLeft, kPanelTop, row), 40)
            << "row " << row << " is not written";
    }

    // The litter box (10, 116 to 24, 130) takes sweeping off its jobs, and on again.
    ASSERT_EQ(Value(cleaner, "CLEANER_LITTER"), u"1");
    ClickPanel(17, 123);
    EXPECT_EQ(Value(cleaner, "CLEANER_LITTER"), u"0");
    ClickPanel(17, 123);
    EXPECT_EQ(Value(cleaner, "CLEANER_LITTER"), u"1");

    // Dismiss (290, 184 to 330, 208) asks first; Yes (the box at 200, 230; its button at 90, 60 to 180, 84)
    // dismisses it and closes its panel. Its question, with the cost, fits its box whole.
    ClickPanel(310, 196);
    ASSERT_EQ(OpenFor("ConfirmDismiss"), static_cast<DialogListener*>(cleaner));
    EXPECT_EQ(CutVariables(), "");
    Click(335, 302);
    running = harness.RunFrames(10) && running;
    EXPECT_EQ(OpenFor("ConfirmDismiss"), nullptr);
    EXPECT_EQ(OpenFor("CLEANER_Menu"), nullptr);
    // Dismissed: sacked, or already gone from the park.
    const BaseObject* dismissed = g_pObjectManager->GetObject(cleanerId);
    EXPECT_TRUE(!dismissed || static_cast<const CleanerObject*>(dismissed)->IsSacked());
    g_pWorld->SetPaused(wasPaused);
    EXPECT_TRUE(running);
}

} // namespace

namespace
{

// Hiring past the limit of a kind (20 hired at once, the next by the page's button) says so in a message box, whose
// words fit it whole; its close button closes it.
TEST_F(StaffPanelInGameTest, HiringPastTheLimitSaysSoInAMessageThatFits)
{
    Click(39, 577);
    Run(10);
    ASSERT_TRUE(Gui().IsDialogOpen("ObjectBrowser"));
    // The page's buttons (the page at 28, 120; each 60 wide from 0, 70 and 140, at 248 to 272 on it).
    for (const int button : {0, 70, 140})
    {
        SCOPED_TRACE(button);
        const GuiCommandHandler hire = ResolveGuiCommand(GetInGameCommands(), button == 0    ? "HireNewCleaner"
                                                                              : button == 70 ? "HireNewMechanic"
                                                                                             : "HireNewZookeeper");
        ASSERT_NE(hire, nullptr);
        for (int hired = 0; hired < 20; ++hired)
            hire(0);
        Run(2);
        EXPECT_FALSE(Gui().IsDialogOpen("MessageBox"));
        Click(28 + button + 30, 120 + 260);
        Run(3);
        ASSERT_TRUE(Gui().IsDialogOpen("MessageBox"));
        EXPECT_EQ(CutVariables(), "");
        gametest::GameHarness::Keep(harness.Screenshot(), "staff-limit-" + std::to_string(button));
        // Its close button.
        const Widget* box = Gui().FindItem(WT_DIALOG, "MessageBox");
        ASSERT_NE(box, nullptr);
        const Widget* close = nullptr;
        for (const Widget* child : static_cast<const DialogItem*>(box)->GetChildren())
            if (child->GetType() == WT_BUTTON)
                close = child;
        ASSERT_NE(close, nullptr);
        const GuiRect r = close->GetRect();
        Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        Run(3);
        EXPECT_FALSE(Gui().IsDialogOpen("MessageBox"));
    }
    EXPECT_TRUE(running);
}

} // namespace
