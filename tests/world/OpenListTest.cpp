// The search's blocked open list against the literal sorted list: on many random grids of every kind of cell, both
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
    uint32_t inBlocks = 0;
};

// blocksFrom: when the blocked list takes over (-1 from the start; 0 at the first insertion not at the head).
// wallIn: every other search starts from a cell walled in on its four sides, so that it fails only after
// expanding everything it can reach.
void CompareOnRandomGrids(uint32_t seed, int32_t side, int grids, int searchesPerGrid, int groundBias,
                          int32_t blocksFrom, bool wallIn, Totals& totals)
{
    std::mt19937 random(seed);
    WorldMap map(side, side, WorldMap::kDefaultCellSize, "");
    PathFinder literal(map);
    literal.SetOpenList(PathFinder::OpenList::Literal);
    PathFinder blocks(map);
    ASSERT_EQ(blocks.GetOpenList(), PathFinder::OpenList::Blocks);
    blocks.SetBlocksFrom(blocksFrom);
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
            if (wallIn && s % 2 == 0)
                for (int32_t d = 0; d < 8; d += 2)
                    if (MapCell* cell = map.GetNeighbourCell(from, d))
                        cell->m_uiFlags = 0;
            for (int32_t kind = PATH_PAVEMENT; kind <= PATH_SCENERY; ++kind)
            {
                const int32_t na = literal.Search(kind, from, to, &a);
                const int32_t nb = blocks.Search(kind, from, to, &b);
                ASSERT_EQ(na, nb) << "seed " << seed << " grid " << g << " kind " << kind;
                ASSERT_EQ(Cells(a), Cells(b)) << "seed " << seed << " grid " << g << " kind " << kind;
                ASSERT_EQ(literal.GetExpandedCount(), blocks.GetExpandedCount());
                ASSERT_EQ(literal.GetDecreasedCount(), blocks.GetDecreasedCount());
                ++totals.searches;
                totals.found += na > 0 ? 1 : 0;
                totals.decreased += blocks.GetDecreasedCount();
                totals.inBlocks += blocks.UsedBlocks() ? 1 : 0;
                EXPECT_FALSE(literal.UsedBlocks());
            }
        }
    }
    // The counts are the last search's own.
    EXPECT_EQ(blocks.Search(PATH_FOOT, {0, 0}, {0, 0}, &a), 0);
    EXPECT_EQ(blocks.GetDecreasedCount(), 0u);
    EXPECT_EQ(blocks.GetExpandedCount(), 0u);
    EXPECT_FALSE(blocks.UsedBlocks());
}

} // namespace

TEST(OpenList, TheBlockedListGivesTheLiteralListsPathsOnRandomGrids)
{
    // Small mixed grids (queues, walls and ties everywhere) in blocks from the first cell; larger grids of mostly
    // open ground (long lists, many totals that drop while open) with the blocks taking over mid-search, early or
    // as set by default.
    const struct
    {
        uint32_t seed;
        int32_t side;
        int grids, searches, groundBias;
        int32_t blocksFrom;
        bool wallIn;
    } runs[] = {{1, 16, 100, 12, 0, -1, false},
                {3, 48, 6, 10, 70, -1, false},
                {4, 48, 6, 10, 70, 0, false},
                {5, 48, 6, 10, 70, 3, true},
                {6, 64, 3, 6, 85, PathFinder::kDefaultBlocksFrom, true}};
    uint32_t decreased = 0;
    for (const auto& run : runs)
    {
        Totals totals;
        CompareOnRandomGrids(run.seed, run.side, run.grids, run.searches, run.groundBias, run.blocksFrom, run.wallIn,
                             totals);
        // The comparison means something only if it met paths and searches held in blocks.
        EXPECT_GT(totals.found, totals.searches / 5) << run.seed;
        EXPECT_GT(totals.inBlocks, totals.searches / 5) << run.seed;
        decreased += totals.decreased;
    }
    // ... and totals that dropped while their cells were open.
    EXPECT_GT(decreased, 1000u);
}
