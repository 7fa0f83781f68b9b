// The credit pages' columns, every one against the documented layout.
#include "game/Screens.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace
{

TEST(GameWonCredits, EveryPageColumnIsWhereTheLayoutPutsIt)
{
    using C = std::array<int32_t, 4>; // list, x, y, width
    const std::vector<std::vector<C>> pages = {
        {{0, 48, 436, 187}, {1, 619, 71, 144}, {2, 574, 432, 168}},
        {{3, 27, 156, 162}, {4, 306, 484, 152}, {5, 32, 331, 276}},
        {{6, 28, 167, 159}, {7, 196, 438, 146}, {8, 49, 296, 155}},
        {{9, 336, 493, 207}, {10, 542, 324, 223}, {11, 572, 61, 182}},
        {{12, 42, 60, 209}, {13, 233, 58, 190}, {14, 408, 86, 191}},
        {{15, 59, 331, 342}, {16, 415, 357, 320}},
        {{17, 77, 36, 302}, {18, 424, 345, 301}, {19, 199, 290, 239}},
        {{20, 70, 322, 336}, {21, 431, 47, 307}},
        {{22, 439, 58, 326}, {23, 173, 45, 250}, {24, 535, 497, 222}},
    };
    ASSERT_EQ(pages.size(), static_cast<size_t>(GameWonScreen::kPages));
    for (int32_t page = 0; page < GameWonScreen::kPages; ++page)
    {
        std::vector<C> columns;
        for (const GameWonScreen::Column& c : GameWonScreen::PageColumns(page))
            columns.push_back({c.list, c.x, c.y, c.width});
        EXPECT_EQ(columns, pages[static_cast<size_t>(page)]) << "page " << page;
    }
}

} // namespace
