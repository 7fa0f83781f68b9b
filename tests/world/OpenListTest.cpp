// The search's fast open list against the literal sorted list: on many random grids of every kind of cell, both
// give the same steps for every search.
#include "tests/world/GridTestSupport.h"

#include "world/Path.h"

#include <gtest/gtest.h>

#include <random>

using namespace gridtest;

namespace
{

// A random cell: mostly footpath and queue pieces of any shape, with ground, walls, scenery ground, buildings
// and closed footpath between them.
uint32_t RandomFlags(std::mt19937& random, int groundBias)
{
    const int roll = static_cast<int>(random() % 100);
    if (roll < groundBias)
        return 0x80000001u;
    const char kinds[] = "PPPPPPPP0123456789abcdef..##SHhX";
    return FlagsOf(kinds[random() % (sizeof kinds - 1)]);
}

struct Totals
{
    uint32_t searches = 0;
    uint32_t found = 0;
    uint32_t decreased = 0;
};

void CompareOnRandomGrids(uint32_t seed, int32_t side, int grids, int searchesPerGrid, int groundBias, Totals& totals)
{
    std::mt19937 random(seed);
    WorldMap map(side, side, WorldMap::kDefaultCellSize, "");
    PathFinder literal(map);
    literal.SetOpenList(PathFinder::OpenList::Literal);
    PathFinder tree(map);
    ASSERT_EQ(tree.GetOpenList(), PathFinder::OpenList::Tree);
    std::vector<GridPos> a, b;
    for (int g = 0; g < grids; ++g)
    {
        for (int32_t y = 0; y < side; ++y)
            for (int32_t x = 0; x < side; ++x)
                map.GetCell({x, y})->m_uiFlags = RandomFlags(random, groundBias);
        for (int s = 0; s < searchesPerGrid; ++s)
        {
            const GridPos from = {static_cast<int32_t>(random() % side), static_cast<int32_t>(random() % side)};
            const GridPos to = {static_cast<int32_t>(random() % side), static_cast<int32_t>(random() % side)};
            for (int32_t kind = PATH_PAVEMENT; kind <= PATH_SCENERY; ++kind)
            {
                const int32_t na = literal.Search(kind, from, to, &a);
                const int32_t nb = tree.Search(kind, from, to, &b);
                ASSERT_EQ(na, nb) << "seed " << seed << " grid " << g << " kind " << kind;
                ASSERT_EQ(Cells(a), Cells(b)) << "seed " << seed << " grid " << g << " kind " << kind;
                ASSERT_EQ(literal.GetExpandedCount(), tree.GetExpandedCount());
                ASSERT_EQ(literal.GetDecreasedCount(), tree.GetDecreasedCount());
                ++totals.searches;
                totals.found += na > 0 ? 1 : 0;
                totals.decreased += tree.GetDecreasedCount();
            }
        }
    }
}

} // namespace

TEST(OpenList, TheTreeGivesTheLiteralListsPathsOnRandomGrids)
{
    Totals totals;
    // Small mixed grids: queues, walls and ties everywhere.
    CompareOnRandomGrids(1, 16, 150, 12, 0, totals);
    // Larger grids of mostly open ground: long open lists, many totals that drop while open.
    CompareOnRandomGrids(2, 48, 12, 10, 70, totals);
    // The comparison means something only if it met paths and dropped totals often.
    EXPECT_GT(totals.found, totals.searches / 5);
    EXPECT_GT(totals.decreased, 1000u);
}
