// The park's report panels in the running program, by the pointer: the four buttons above the toolbar's right end
// open the objectives (the sandbox's figures in a sandbox), the day's money, the park's status and research on their
// sand, with their figures written; the money shows the day's figures as they change (red below zero), a met
// objective gets its tick, and research's slider sets the budget, its box the pop-ups, and its list what is done.
#include "engine/core/GameOptions.h"
#include "gui/ListBox.h"
#include "gui/Text.h"
#include "gui/VariableWidgets.h"
#include "park/ResearchManager.h"
#include "platform/WideText.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldScriptHost.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{

// Every report panel's corner, and its close button's middle.
constexpr int kLeft = 180;
constexpr int kTop = 90;
constexpr int kCloseX = kLeft + 410;
constexpr int kCloseY = kTop + 16;
// The list row of the sandbox among the scenarios.
constexpr int32_t kFirstSandboxRow = 12;

// Where a panel writes its figures: a row's top and height, and the columns holding the figure (right of the
// labels), which must show text.
struct Figure
{
    int y;
    int h;
    int x0;
    int x1;
};

struct PanelCase
{
    const char* command;
    const char* dialog;
    std::vector<Figure> figures;
};

class ReportPanelsInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(Row());
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(5);
    }
    virtual int32_t Row() const { return 0; }

    // The text pixels of a panel's row (top y in the panel, h high) between x0 and x1 in the panel.
    static int Written(const gametest::Frame& frame, int y, int h, int x0, int x1)
    {
        return gametest::CountNearRgb(frame, kLeft + x0, kTop + y, kLeft + x1, kTop + y + h, gametest::kPanelText, 24);
    }
    // The pixels of a colour in a panel's row.
    static int InColour(const gametest::Frame& frame, int y, int h, int x0, int x1, uint32_t rgb)
    {
        return gametest::CountNearRgb(frame, kLeft + x0, kTop + y, kLeft + x1, kTop + y + h, rgb, 24);
    }
    // Opens the panel by its button; false (with a failure) when it does not open.
    bool Open(const char* command, const char* dialog)
    {
        if (!ClickCommand(command))
        {
            ADD_FAILURE() << "no button is bound to " << command;
            return false;
        }
        running = harness.RunFrames(5) && running;
        EXPECT_TRUE(Gui().IsDialogOpen(dialog)) << command;
        return Gui().IsDialogOpen(dialog);
    }
    // Opens the panel from its button, reads it in the GL frame (sand, its title, each figure written) and closes it
    // with its close button.
    void OpensWritesAndCloses(const PanelCase& panel)
    {
        SCOPED_TRACE(panel.dialog);
        if (!Open(panel.command, panel.dialog))
            return;
        const gametest::Frame frame = harness.Screenshot();
        ASSERT_FALSE(frame.pixels.empty());
        gametest::GameHarness::Keep(frame, std::string("report-") + panel.dialog);
        EXPECT_TRUE(gametest::NearRgb(frame.At(kLeft + 215, kTop + 128), gametest::kPanelSand, 12));
        EXPECT_GT(gametest::PanelTextPixels(frame, kLeft, kTop, 6), 40) << "the title is not written";
        for (const Figure& f : panel.figures)
            EXPECT_GT(Written(frame, f.y, f.h, f.x0, f.x1), 10)
                << "nothing written at " << f.y << ", " << f.x0 << " to " << f.x1;
        Click(kCloseX, kCloseY);
        running = harness.RunFrames(5) && running;
        EXPECT_FALSE(Gui().IsDialogOpen(panel.dialog));
    }
};

class SandboxReportPanelsInGameTest : public ReportPanelsInGameTest
{
protected:
    int32_t Row() const override { return kFirstSandboxRow; }
};

TEST_F(ReportPanelsInGameTest, EachButtonOpensItsPanelWithItsFiguresWritten)
{
    // Money: the ten rows of the day (income, its three sources, costs, their four kinds, profit), the three
    // averages and the animal exhibits' takings today and in all in the small font. Status: the guests, who came and
    // went, buildings and staff, scenery and litter. Objectives: what the scenario is about, what it aims at, its one
    // goal, the goals met. Research: the item, how far it is, the budget.
    const std::vector<PanelCase> panels = {
        {"MoneyPanel",
         "MoneyPanel",
         {{36, 18, 300, 430},
          {58, 18, 300, 430},
          {80, 18, 300, 430},
          {102, 18, 300, 430},
          {132, 18, 300, 430},
          {154, 18, 300, 430},
          {176, 18, 300, 430},
          {198, 18, 300, 430},
          {220, 18, 300, 430},
          {250, 18, 300, 430},
          {286, 12, 70, 140},
          {286, 12, 210, 280},
          {286, 12, 350, 420},
          {302, 12, 210, 280},
          {302, 12, 350, 420}}},
        {"IslandStatus",
         "IslandStatus",
         {{52, 18, 10, 430},
          {74, 12, 300, 430},
          {90, 12, 300, 430},
          {106, 12, 300, 430},
          {122, 12, 300, 430},
          {142, 12, 100, 210},
          {142, 12, 310, 430},
          {158, 12, 10, 210},
          {158, 12, 220, 430}}},
        {"ShowGoal", "Objectives", {{36, 24, 60, 430}, {104, 12, 60, 430}, {160, 12, 90, 430}, {276, 18, 300, 430}}},
        {"ResearchMenu", "ResearchMenu", {{34, 18, 300, 430}, {54, 18, 380, 430}, {80, 18, 360, 430}}},
    };
    for (const PanelCase& panel : panels)
        OpensWritesAndCloses(panel);
    EXPECT_TRUE(running);
    ExpectNoReports();
}

TEST_F(SandboxReportPanelsInGameTest, TheGoalsButtonOpensTheSandboxsFigures)
{
    // The scenario's and the park's names, then eight counts from the buildings built to the cleaners.
    std::vector<Figure> figures = {{6, 18, 10, 380}, {30, 18, 10, 430}};
    for (int row = 0; row < 8; ++row)
        figures.push_back({64 + 24 * row, 18, 300, 430});
    OpensWritesAndCloses({"ShowGoal", "SandBoxPanel", figures});
    EXPECT_FALSE(Gui().IsDialogOpen("Objectives"));
    // Its two heading lines say two things: the sandbox's name is not written twice over.
    ASSERT_TRUE(Gui().OpenDialog("SandBoxPanel", nullptr));
    Run(30);
    std::vector<std::string> headings;
    for (const auto& item : Gui().GetItems())
    {
        if (!item->IsActive() || item->GetRect().top >= kTop + 60 || item->GetRect().top < kTop)
            continue;
        platform::WString text;
        uint32_t colour = 0;
        int32_t indent = 0;
        if (item->GetType() == WT_VARIABLE && static_cast<Variable*>(item.get())->Compose(text, &colour, &indent))
            headings.push_back(platform::WideToUtf8(text.c_str()));
        else if (item->GetType() == WT_TEXT)
            headings.push_back(platform::WideToUtf8(static_cast<const Text&>(*item).GetText().c_str()));
    }
    ASSERT_EQ(headings.size(), 2u);
    EXPECT_NE(headings[0], headings[1]);
    EXPECT_EQ(headings[0], platform::WideToUtf8(TableText("MAINSS_SANDBOX1_TITLE").c_str()));
    ExpectNoReports();
}

// The status panel's rating as five stars and the guests' view of its beauty as five blocks, each empty, half or full
// ('.', 'h', 'F' below), read in the GL frame for ratings and beauties set on the park.
TEST_F(ReportPanelsInGameTest, TheStatusPanelShowsTheRatingAsStarsAndTheBeautyAsBlocks)
{
    ASSERT_TRUE(Open("IslandStatus", "IslandStatus"));
    // The stars (14 wide, gold) from (130, 33); the blocks (40 by 8, red) from (220, 304).
    constexpr int kStarX = 130, kStarY = 33, kStar = 14;
    constexpr int kBlockX = 220, kBlockY = 304, kBlockW = 40, kBlockH = 8;
    auto stars = [&](const gametest::Frame& frame)
    {
        std::string shown;
        for (int i = 0; i < 5; ++i)
        {
            const int gold = InColour(frame, kStarY, kStar, kStarX + i * kStar, kStarX + (i + 1) * kStar, 0xFFD000);
            shown += gold > 40 ? 'F' : gold > 4 ? 'h' : gold == 0 ? '.' : '?';
        }
        return shown;
    };
    auto blocks = [&](const gametest::Frame& frame)
    {
        std::string shown;
        for (int i = 0; i < 5; ++i)
        {
            const int red =
                InColour(frame, kBlockY, kBlockH, kBlockX + i * kBlockW, kBlockX + (i + 1) * kBlockW, 0xC03030);
            shown += red > 180 ? 'F' : red > 60 ? 'h' : red == 0 ? '.' : '?';
        }
        return shown;
    };
    struct Case
    {
        int32_t rating;
        const char* stars;
        float beauty;
        const char* blocks;
    };
    const Case cases[] = {
        {0, ".....", 0.0f, "....."},   {9, ".....", 0.09f, "....."},   {10, "h....", 0.1f, "h...."},
        {35, "Fh...", 0.35f, "Fh..."}, {50, "FFh..", 0.6f, "FFF.."},   {89, "FFFF.", 0.89f, "FFFF."},
        {99, "FFFFh", 0.96f, "FFFFF"}, {100, "FFFFF", 0.94f, "FFFFh"},
    };
    for (const Case& c : cases)
    {
        g_pWorld->m_iParkRating = c.rating;
        g_pWorld->m_fGuestAverages[World::AV_BEAUTY] = c.beauty;
        running = harness.RunFrames(2) && running;
        const gametest::Frame frame = harness.Screenshot();
        if (g_pWorld->m_iParkRating != c.rating || g_pWorld->GetGuestAverage(World::AV_BEAUTY) != c.beauty)
            continue; // the park worked them out again meanwhile
        EXPECT_EQ(stars(frame), c.stars) << c.rating;
        EXPECT_EQ(blocks(frame), c.blocks) << c.beauty;
        if (c.rating == 35)
            gametest::GameHarness::Keep(frame, "report-status-rating");
    }
    EXPECT_TRUE(running);
}

// The day's figures are read as they change: five digits take more room than "$0", and a loss is written in red.
TEST_F(ReportPanelsInGameTest, TheMoneyPanelShowsTheDaysFiguresAsTheyChange)
{
    ASSERT_TRUE(Open("MoneyPanel", "MoneyPanel"));
    constexpr int kRetailRow = 80, kProfitRow = 250;
    const gametest::Frame before = harness.Screenshot();
    g_pWorld->m_fRetailIncomeToday = 12345.0f;
    g_pWorld->m_fIncomeToday = 12345.0f;
    running = harness.RunFrames(3) && running;
    const gametest::Frame after = harness.Screenshot();
    EXPECT_GT(Written(after, kRetailRow, 18, 300, 430), 2 * Written(before, kRetailRow, 18, 300, 430));
    EXPECT_EQ(InColour(after, kProfitRow, 18, 300, 430, 0xFF0000), 0);

    g_pWorld->m_fIncomeToday = -500.0f;
    running = harness.RunFrames(3) && running;
    const gametest::Frame loss = harness.Screenshot();
    gametest::GameHarness::Keep(loss, "report-money-loss");
    EXPECT_GT(InColour(loss, kProfitRow, 18, 300, 430, 0xFF0000), 10) << "a loss is not written in red";
    EXPECT_EQ(Written(loss, kProfitRow, 18, 300, 430), 0);

    // The animal exhibits' takings, which the day's income leaves out, stand on their own row: the park's total
    // since it opened follows its running figure.
    constexpr int kAnimalRow = 302;
    g_pWorld->m_fAnimalIncomeTotal = 43210.0f;
    running = harness.RunFrames(3) && running;
    const gametest::Frame animals = harness.Screenshot();
    EXPECT_GT(Written(animals, kAnimalRow, 12, 350, 420), 2 * Written(loss, kAnimalRow, 12, 350, 420));
    EXPECT_EQ(PointerGameTest::Written("ANIMAL_ATTRACT_TOTAL"), u"$43210");
    EXPECT_TRUE(running);
}

// A goal the world script marks met gets its tick while the panel is open, and the count of goals met follows.
TEST_F(ReportPanelsInGameTest, AMetObjectiveGetsItsTick)
{
    ASSERT_TRUE(Open("ShowGoal", "Objectives"));
    // The goal's box stands after the "Goals:" label on the goal's row (160), white inside; its tick is drawn into it.
    constexpr int kGoalRow = 159, kDoneRow = 276;
    const gametest::Frame open = harness.Screenshot();
    ASSERT_GT(InColour(open, kGoalRow, 14, 40, 90, 0xF7F7FF), 50) << "no box for the goal";
    // As the world script's "Set ScenarioObj0 1" does.
    g_pWorld->SetScriptVariable({WV_ScenarioObj, 0}, ScriptValue::UInt(1));
    running = harness.RunFrames(5) && running;
    const gametest::Frame met = harness.Screenshot();
    gametest::GameHarness::Keep(met, "report-objective-met");
    int marked = 0;
    for (int y = kTop + kGoalRow; y < kTop + kGoalRow + 14; ++y)
        for (int x = kLeft + 40; x < kLeft + 90; ++x)
            marked += !gametest::NearRgb(met.At(x, y), open.At(x, y), 40);
    EXPECT_GT(marked, 8) << "the goal's box is not ticked";
    EXPECT_NE(Written(met, kDoneRow, 18, 300, 430), Written(open, kDoneRow, 18, 300, 430))
        << "the goals met still read 0";
    EXPECT_TRUE(running);
}

// Research: a press half along the budget's slider (140 wide, its knob 12) sets half the most a day; the box turns
// the pop-ups off; an item done shows in the list of what is done.
TEST_F(ReportPanelsInGameTest, ResearchsSliderSetsTheBudgetItsBoxThePopUpsAndItsListShowsWhatIsDone)
{
    ResearchManager* research = GetResearchManager();
    ASSERT_NE(research, nullptr);
    GameOptions& options = harness.GetGame().GetOptions();
    options.m_bResearchPopups = true;
    ASSERT_TRUE(Open("ResearchMenu", "ResearchMenu"));
    EXPECT_EQ(OpenFor("ResearchMenu"), research);

    Click(kLeft + 220 + 64, kTop + 89);
    running = harness.RunFrames(3) && running;
    EXPECT_FLOAT_EQ(research->GetSliderValue(), 0.5f);
    EXPECT_FLOAT_EQ(research->GetBudgetPerDay(), 0.5f * ResearchManager::GetMaxBudgetPerDay());

    Click(kLeft + 17, kTop + 115);
    running = harness.RunFrames(3) && running;
    EXPECT_FALSE(options.m_bResearchPopups) << "the box did not turn the pop-ups off";

    auto* list = dynamic_cast<ListBox*>(Gui().FindItem(WT_LISTBOX, "ResearchListBox"));
    ASSERT_NE(list, nullptr);
    // The cells of the list's first row in use.
    const auto firstRow = [&]
    {
        return std::count_if(list->GetCells().begin(), list->GetCells().end(),
                             [](const ListBox::Cell& cell) { return cell.inUse && cell.row == 0; });
    };
    EXPECT_EQ(firstRow(), 1) << "the list says that nothing is done";
    // A click on its row chooses nothing: the list only tells.
    Click(kLeft + 60, kTop + 165);
    EXPECT_TRUE(list->GetSelection().empty());
    const int32_t first = research->GetCurrentResearch();
    const float cost = g_pWorldParams->GetResearchInfo(first).fCost;
    // Enough whole days at this budget to pay for the first item.
    const float days = std::ceil(cost / research->GetBudgetPerDay()) + 1.0f;
    research->Update(days * static_cast<float>(g_pWorld->GetDayLength()));
    running = harness.RunFrames(5) && running;
    ASSERT_EQ(research->GetHistory().size(), 1u);
    EXPECT_FALSE(Gui().IsDialogOpen("ResearchDone"));
    EXPECT_EQ(firstRow(), 3) << "the item done is not listed with its cost and day";
    // In the GL frame, the row (the list at 10, 158) holds the item's name up to 120 at most, a gap, and its cost
    // from 200, in the list's colour.
    const gametest::Frame done = harness.Screenshot();
    gametest::GameHarness::Keep(done, "report-research-done");
    constexpr uint32_t kList = ResearchManager::kListColour & 0xFFFFFFu;
    EXPECT_GT(InColour(done, 158, 15, 10, 130, kList), 10);
    EXPECT_EQ(InColour(done, 158, 15, 140, 205, kList), 0);
    EXPECT_GT(InColour(done, 158, 15, 210, 270, kList), 10);
    EXPECT_TRUE(running);
    ExpectNoReports();
}

} // namespace
