// Tests of the credits after a won park: the credit lines' numbering and the pages' columns, the page timer with its
// 0.1 s step cap, clicks turning pages, the last page waiting, and the way back to the main menu.
#include "engine/core/GameParameters.h"
#include "game/Game.h"
#include "game/Screens.h"
#include "gui/GUIManager.h"
#include "gui/Text.h"
#include "tests/game/SampleGameTest.h"
#include "tests/platform/SdlTestEvents.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

namespace
{

TEST(GameWonCredits, TheListsNumberTheirLinesFrom0To206SkippingSeven)
{
    // Every number from 0 to 206 but 17, 20, 42, 91, 92, 118 and 172, in order through the lists.
    std::vector<int32_t> expected;
    const std::set<int32_t> skipped = {17, 20, 42, 91, 92, 118, 172};
    for (int32_t n = 0; n <= 206; ++n)
        if (!skipped.count(n))
            expected.push_back(n);
    std::vector<int32_t> all;
    for (int32_t list = 0; list < GameWonScreen::kLists; ++list)
    {
        const std::vector<int32_t> numbers = GameWonScreen::ListNumbers(list);
        EXPECT_FALSE(numbers.empty()) << list;
        all.insert(all.end(), numbers.begin(), numbers.end());
    }
    EXPECT_EQ(all.size(), 200u);
    EXPECT_EQ(all, expected);
    EXPECT_EQ(GameWonScreen::ListNumbers(0), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(GameWonScreen::ListNumbers(24), (std::vector<int32_t>{205, 206}));
    EXPECT_TRUE(GameWonScreen::ListNumbers(-1).empty());
    EXPECT_TRUE(GameWonScreen::ListNumbers(25).empty());
}

TEST(GameWonCredits, EveryListIsShownOnceAcrossTheNinePages)
{
    const size_t columnsPerPage[GameWonScreen::kPages] = {3, 3, 3, 3, 3, 2, 3, 2, 3};
    std::vector<int32_t> lists;
    for (int32_t page = 0; page < GameWonScreen::kPages; ++page)
    {
        const auto columns = GameWonScreen::PageColumns(page);
        EXPECT_EQ(columns.size(), columnsPerPage[page]) << page;
        for (const auto& column : columns)
        {
            lists.push_back(column.list);
            EXPECT_TRUE(column.x >= 0 && column.x + column.width <= 800 && column.y >= 0 && column.y < 600);
        }
    }
    std::vector<int32_t> sorted = lists;
    std::sort(sorted.begin(), sorted.end());
    for (int32_t i = 0; i < GameWonScreen::kLists; ++i)
        EXPECT_EQ(sorted[static_cast<size_t>(i)], i);
    EXPECT_TRUE(GameWonScreen::PageColumns(9).empty());
    // The first page: (0, 48, 436, 187), (1, 619, 71, 144), (2, 574, 432, 168).
    const auto first = GameWonScreen::PageColumns(0);
    EXPECT_EQ(first[1].x, 619);
    EXPECT_EQ(first[2].y, 432);
    EXPECT_EQ(first[0].width, 187);
}

class GameWonScreenTest : public gametest::SampleGameTest
{
protected:
    void SetUp() override
    {
        SampleGameTest::SetUp();
        if (HasFatalFailure())
            return;
        game = std::make_unique<Game>(nullptr, platform::GameWindowHandle());
        game->SelectScreen(Game::kGameWonScreen);
        game->Update();
        screen = static_cast<GameWonScreen*>(game->GetScreen(Game::kGameWonScreen));
        ASSERT_EQ(game->GetCurrentScreen(), screen);
    }
    void Step(uint32_t ms)
    {
        clock.ticks += ms;
        game->Update();
    }
    void Click()
    {
        sdltest::PushButton(1, true);
        Step(10);
        sdltest::PushButton(1, false);
        Step(10);
    }

    testsupport::RecordingReportSink reports;
    testsupport::ManualTimeSource clock;
    GameWonScreen* screen = nullptr;
};

TEST_F(GameWonScreenTest, PagesTurnAfterTwentySecondsOfCappedStepsOrAClick)
{
    EXPECT_EQ(screen->GetPage(), 0);
    EXPECT_TRUE(game->GetGUIManager().IsDialogOpen("GameWon0"));
    // The first page's columns hold 6 + 5 + 6 lines.
    EXPECT_EQ(screen->GetPageTexts().size(), 17u);
    // Steps of two seconds count a tenth each: 20 s take about 200 of them.
    int steps = 0;
    while (screen->GetPage() == 0 && steps < 400)
        Step(2000), ++steps;
    EXPECT_NEAR(steps, 201, 1);
    EXPECT_EQ(screen->GetPage(), 1);
    EXPECT_FLOAT_EQ(screen->GetTimer(), 0.0f);
    EXPECT_TRUE(game->GetGUIManager().IsDialogOpen("GameWon1"));
    EXPECT_FALSE(game->GetGUIManager().IsDialogOpen("GameWon0"));
    // Clicks turn the pages at once.
    for (int32_t page = 2; page <= 8; ++page)
    {
        Click();
        EXPECT_EQ(screen->GetPage(), page);
    }
    // The last page waits for a click, however long.
    for (int i = 0; i < 300; ++i)
        Step(1000);
    EXPECT_EQ(screen->GetPage(), 8);
    EXPECT_FALSE(game->IsCreditsFinished());
    // Its lines are beyond the sample texts: they show empty.
    ASSERT_FALSE(screen->GetPageTexts().empty());
    EXPECT_TRUE(screen->GetPageTexts().back()->GetText().empty());
    Click();
    game->Update();
    EXPECT_EQ(game->GetCurrentScreen(), game->GetScreen(Game::kMainMenuScreen));
    EXPECT_FALSE(screen->IsActive());
    EXPECT_TRUE(screen->GetPageTexts().empty());
    // Back from the credits the menu shows its first page, not the scenario list.
    EXPECT_STREQ(game->GetGUIManager().GetCurrentScreenName(), "MainMenu");
}

TEST_F(GameWonScreenTest, EveryPageWritesItsLinesVisiblyRedHeadingsOverBlackNames)
{
    // The text material multiplies the glyphs by the colour's alpha: a line drawn at alpha 0 leaves the page blank.
    // Each column opens with a red heading; the names under it are black.
    constexpr uint32_t kOpaque = 0xFF000000u;
    constexpr uint32_t kRed = 0x00FF0000u;
    constexpr uint32_t kBlack = 0x00000000u;
    for (int32_t page = 0; page < GameWonScreen::kPages; ++page)
    {
        if (page > 0)
            Click();
        ASSERT_EQ(screen->GetPage(), page);
        std::set<std::pair<int32_t, int32_t>> columnCorners;
        for (const auto& column : GameWonScreen::PageColumns(page))
            columnCorners.insert({column.x, column.y});
        size_t headings = 0;
        for (const auto& text : screen->GetPageTexts())
        {
            const uint32_t colour = text->GetColour();
            EXPECT_EQ(colour & 0xFF000000u, kOpaque) << "page " << page << " line at y " << text->GetRect().top;
            const bool heading = columnCorners.count({text->GetRect().left, text->GetRect().top}) > 0;
            headings += heading ? 1 : 0;
            EXPECT_EQ(colour & 0x00FFFFFFu, heading ? kRed : kBlack)
                << "page " << page << " line at y " << text->GetRect().top;
        }
        EXPECT_EQ(headings, GameWonScreen::PageColumns(page).size()) << "page " << page;
    }
}

} // namespace
