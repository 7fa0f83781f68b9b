// The tool modes' decisions on grids drawn by the tests: building footprints, drags, path budgets, queue pieces,
// the bulldozer and the choice of a picked object.
#include "game/ToolRules.h"

#include "scripts/WorldParamsRecords.h"
#include "world/ObjectKinds.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace toolrules;

namespace
{

// Cells drawn as text, first row y = 0: '.' ground, 'P' footpath, 'Q' queue path, 'S' scenery ground, 'H' a
// building, 'W' walkable without grid ground, 'B' ground with a litter bin on it.
class TextCells : public CellSource
{
public:
    explicit TextCells(std::vector<std::string> rows) : m_Rows(std::move(rows)) {}

    uint32_t Flags(const GridPos& pos) const override
    {
        if (!IsValid(pos))
            return 0;
        switch (m_Rows[pos.y][pos.x])
        {
        case '.':
        case 'B':
            return 0x80000001u;
        case 'P':
            return 0x90000001u;
        case 'Q':
            return 0xC0000001u;
        case 'S':
            return 0xA0000001u;
        case 'H':
            return 0x80000003u;
        case 'W':
            return 0x80000000u;
        default:
            return 0;
        }
    }
    bool IsValid(const GridPos& pos) const override
    {
        return pos.y >= 0 && pos.y < static_cast<int32_t>(m_Rows.size()) && pos.x >= 0 &&
               pos.x < static_cast<int32_t>(m_Rows[pos.y].size());
    }
    void Objects(const GridPos& pos, std::vector<CellObject>& out) const override
    {
        out.clear();
        if (IsValid(pos) && m_Rows[pos.y][pos.x] == 'B')
        {
            CellObject bin;
            bin.kind = OBJECT_SCENERY;
            bin.bin = true;
            out.push_back(bin);
        }
    }

private:
    std::vector<std::string> m_Rows;
};

// A 2 x 2 building body with a ring of path-meeting cells (or none).
std::unique_ptr<MapGridInfo> SquareLayout(bool ring)
{
    auto grid = std::make_unique<MapGridInfo>();
    grid->iWidth = 2;
    grid->iHeight = 2;
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
        {
            const bool body = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            grid->flags[x][y] = body ? kLayoutBody : ring ? 0x02u : 0u;
        }
    return grid;
}

} // namespace

TEST(ToolRulesTest, AnchorIsHalfTheFootprintBackFromTheCursor)
{
    struct Case
    {
        int32_t w, h, rotation;
        GridPos expected;
    };
    const Case cases[] = {
        {4, 2, 0, {8, 9}}, {4, 2, 1, {9, 8}},   {4, 2, 2, {8, 9}},
        {4, 2, 3, {9, 8}}, {1, 1, 0, {10, 10}}, {5, 3, 0, {8, 9}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildAnchor({10, 10}, c.w, c.h, c.rotation), c.expected) << c.w << "x" << c.h << " r" << c.rotation;
}

TEST(ToolRulesTest, LayoutWordsOutsideTheGridAreEmpty)
{
    auto grid = std::make_unique<MapGridInfo>();
    for (auto& row : grid->flags)
        for (uint32_t& word : row)
            word = 0x100;
    for (auto& row : grid->heights)
        for (float& height : row)
            height = 1.0f;
    const std::pair<int32_t, int32_t> outside[] = {{45, 0}, {0, 45}, {-1, 3}, {3, -1}, {46, 46}};
    for (const auto& [x, y] : outside)
        EXPECT_EQ(LayoutWord(*grid, x, y), 0u) << x << "," << y;
    EXPECT_EQ(LayoutWord(*grid, 44, 44), 0x100u);
}

TEST(ToolRulesTest, AFootprintAtTheGridsEdgeReadsNothingBeyondIt)
{
    // A 44-cell-wide footprint's ring reaches index 45 of a 45-word row: that word counts as outside the layout.
    auto grid = std::make_unique<MapGridInfo>();
    grid->iWidth = 44;
    grid->iHeight = 1;
    for (int x = 1; x <= 44; ++x)
        grid->flags[x][1] = kLayoutBody;
    for (auto& row : grid->heights)
        for (float& height : row)
            height = 1.0f; // a word read past the flags would be non-zero and off the map
    const TextCells cells({std::string(50, '.'), std::string(50, '.'), std::string(50, '.')});
    std::vector<CellMark> marks;
    EXPECT_TRUE(CheckBuildingPlacement(cells, *grid, {1, 1}, 0, &marks));
    EXPECT_EQ(marks.size(), 44u);
}

TEST(ToolRulesTest, BuildingPlacementByWhatLiesUnderTheLayout)
{
    // The body is cells (2..3, 2..3); the ring is x 1..4, y 1..4 around it.
    struct Case
    {
        const char* what;
        bool ring;
        GridPos anchor;
        std::vector<std::string> rows;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"open ground", true, {2, 2}, {"......", "......", "......", "......", "......", "......"}, true},
        {"footpath under a ring cell",
         true,
         {2, 2},
         {"......", ".P....", "......", "......", "......", "......"},
         true},
        {"queue under a ring cell", true, {2, 2}, {"......", ".Q....", "......", "......", "......", "......"}, false},
        {"footpath under a body cell",
         true,
         {2, 2},
         {"......", "......", "..P...", "......", "......", "......"},
         false},
        {"scenery ground under a ring cell",
         true,
         {2, 2},
         {"......", "....S.", "......", "......", "......", "......"},
         false},
        {"a building under a body cell",
         true,
         {2, 2},
         {"......", "......", "......", "...H..", "......", "......"},
         false},
        {"no grid ground under a body cell",
         true,
         {2, 2},
         {"......", "......", "......", "...W..", "......", "......"},
         false},
        {"a bin under a ring cell", true, {2, 2}, {"......", "......", "......", "......", "....B.", "......"}, false},
        {"a bin under a body cell", true, {2, 2}, {"......", "......", "..B...", "......", "......", "......"}, false},
        {"ring off the map, ring words empty", false, {0, 0}, {"..", ".."}, true},
        {"ring off the map, ring laid out", true, {0, 0}, {"..", ".."}, false},
        {"empty ring words over queue path", false, {1, 1}, {"QQQQ", "Q..Q", "Q..Q", "QQQQ"}, true},
    };
    for (const Case& c : cases)
    {
        const auto grid = SquareLayout(c.ring);
        const TextCells cells(c.rows);
        for (int32_t rotation = 0; rotation < 4; ++rotation)
            EXPECT_EQ(CheckBuildingPlacement(cells, *grid, c.anchor, rotation, nullptr), c.valid)
                << c.what << ", rotation " << rotation;
    }
}

TEST(ToolRulesTest, BuildingMarkersColourEachLaidOutCell)
{
    const auto grid = SquareLayout(true);
    const TextCells cells({"......", "......", "......", "......", "....P.", "Q....."});
    std::vector<CellMark> marks;
    EXPECT_TRUE(CheckBuildingPlacement(cells, *grid, {2, 2}, 0, &marks));
    std::map<std::pair<int32_t, int32_t>, uint32_t> byCell;
    for (const CellMark& m : marks)
        byCell[{m.pos.x, m.pos.y}] = m.colour;
    ASSERT_EQ(byCell.size(), 16u);
    for (int32_t x = 1; x <= 4; ++x)
        for (int32_t y = 1; y <= 4; ++y)
        {
            const bool body = x >= 2 && x <= 3 && y >= 2 && y <= 3;
            const uint32_t colour = byCell[std::make_pair(x, y)];
            EXPECT_EQ(colour, body ? kMarkGood : kMarkPathCell) << x << "," << y;
        }

    const TextCells blocked({"......", "......", "..P...", "......", "......", "......"});
    marks.clear();
    EXPECT_FALSE(CheckBuildingPlacement(blocked, *grid, {2, 2}, 0, &marks));
    int32_t red = 0;
    for (const CellMark& m : marks)
        if (m.colour == kMarkBad)
        {
            ++red;
            EXPECT_EQ(m.pos, (GridPos{2, 2}));
        }
    EXPECT_EQ(red, 1);
}

TEST(ToolRulesTest, PayingForABuildingNeedsMoneyLeftOver)
{
    const struct
    {
        float cash;
        int32_t cost;
        bool ok;
    } cases[] = {{1000.0f, 1000, false}, {1000.5f, 1000, true}, {999.0f, 1000, false}, {0.0f, 0, false}};
    for (const auto& c : cases)
        EXPECT_EQ(CanAffordBuilding(c.cash, c.cost), c.ok) << c.cash << " for " << c.cost;
}

TEST(ToolRulesTest, WheelTurnsInQuarterTurnsBothWays)
{
    const struct
    {
        int32_t rotation, delta, building, scenery;
    } cases[] = {
        {0, -120, 1, 1}, {3, -120, 0, 0}, {0, 120, 3, 3}, {2, 120, 1, 1}, {1, 0, 2, 2}, {1, 1, 0, 0},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(TurnBuildingByWheel(c.rotation, c.delta), c.building) << c.rotation << " " << c.delta;
        EXPECT_EQ(TurnSceneryByWheel(c.rotation, c.delta), c.scenery) << c.rotation << " " << c.delta;
    }
}

TEST(ToolRulesTest, DragEndStaysWithinTwentyCells)
{
    const struct
    {
        GridPos start, end, expected;
    } cases[] = {
        {{50, 50}, {90, 10}, {70, 30}}, {{50, 50}, {70, 30}, {70, 30}}, {{50, 50}, {29, 71}, {30, 70}},
        {{5, 5}, {5, 5}, {5, 5}},       {{0, 0}, {-30, 21}, {-20, 20}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampDragEnd(c.start, c.end), c.expected);
}

TEST(ToolRulesTest, RectangleWalksXOuterYInnerTowardsTheEnd)
{
    const std::vector<GridPos> down = {{3, 5}, {3, 4}, {4, 5}, {4, 4}};
    EXPECT_EQ(WalkRect({3, 5}, {4, 4}), down);
    const std::vector<GridPos> left = {{2, 0}, {2, 1}, {1, 0}, {1, 1}, {0, 0}, {0, 1}};
    EXPECT_EQ(WalkRect({2, 0}, {0, 1}), left);
    EXPECT_EQ(WalkRect({7, 7}, {7, 7}), (std::vector<GridPos>{{7, 7}}));
    EXPECT_TRUE(InsideRect({4, 4}, {5, 3}, {3, 5}));
    EXPECT_FALSE(InsideRect({6, 4}, {5, 3}, {3, 5}));
    EXPECT_FALSE(InsideRect({4, 2}, {5, 3}, {3, 5}));
}

TEST(ToolRulesTest, FootpathGoesOnOpenGroundOnly)
{
    const struct
    {
        uint32_t flags;
        bool ok;
    } cases[] = {{0x80000001u, true},  {0x80000000u, false}, {0x00000001u, false}, {0x90000001u, false},
                 {0xA0000001u, false}, {0xC0000001u, false}, {0x80000003u, true}};
    for (const auto& c : cases)
        EXPECT_EQ(CanTakeFootpath(c.flags), c.ok) << std::hex << c.flags;
}

TEST(ToolRulesTest, APathDragLaysWhileTheBudgetIsNotNegative)
{
    const TextCells open(std::vector<std::string>(30, std::string(30, '.')));
    // Cash for five cells: the sixth is laid with the budget at zero, and the cash ends one cell below zero.
    const PathPlan five = PlanFootpath(open, {0, 0}, {20, 20}, 50.0f, 10);
    EXPECT_EQ(five.cells.size(), 6u);
    EXPECT_FLOAT_EQ(five.budget, -10.0f);
    const std::vector<GridPos> firstSix = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}};
    EXPECT_EQ(five.cells, firstSix);

    const PathPlan broke = PlanFootpath(open, {0, 0}, {3, 3}, -1.0f, 10);
    EXPECT_TRUE(broke.cells.empty());
    EXPECT_FLOAT_EQ(broke.budget, -1.0f);

    // Cells that already carry path are skipped and cost nothing.
    const TextCells mixed({".P.", "Q..", "..."});
    const PathPlan some = PlanFootpath(mixed, {0, 0}, {2, 0}, 1000.0f, 7);
    EXPECT_EQ(some.cells, (std::vector<GridPos>{{0, 0}, {2, 0}}));
    EXPECT_FLOAT_EQ(some.budget, 1000.0f - 14.0f);
}

TEST(ToolRulesTest, PathDragMarkersFollowTheBudget)
{
    const TextCells cells({"..P.."});
    const std::vector<CellMark> marks = FootpathDragMarks(cells, {0, 0}, {4, 0}, 10.0f, 10);
    const std::vector<CellMark> expected = {
        {{0, 0}, kMarkGood}, {{1, 0}, kMarkGood}, {{2, 0}, kMarkBad}, {{3, 0}, kMarkBad}, {{4, 0}, kMarkBad}};
    EXPECT_EQ(marks, expected);
    for (const CellMark& m : FootpathDragMarks(cells, {0, 0}, {4, 0}, -5.0f, 10))
        EXPECT_EQ(m.colour, kMarkBad);
}

TEST(ToolRulesTest, QueuePieceGround)
{
    const struct
    {
        const char* what;
        uint32_t flags;
        float cash;
        bool last;
        bool ok;
    } cases[] = {
        {"open ground, cash equal to the cost", 0x80000001u, 10.0f, false, true},
        {"cash short by one", 0x80000001u, 9.0f, false, false},
        {"already queue", 0xC0000001u, 100.0f, false, false},
        {"footpath", 0x90000001u, 100.0f, false, false},
        {"scenery ground", 0xA0000001u, 100.0f, false, false},
        {"no grid ground", 0x80000000u, 100.0f, false, false},
        {"not walkable", 0x00000001u, 100.0f, false, false},
        {"the cell just laid", 0x80000001u, 100.0f, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QueueGroundAllows(c.flags, c.cash, 10, c.last), c.ok) << c.what;
}

TEST(ToolRulesTest, BulldozerClearsWhatMayGo)
{
    CellObject bench;
    bench.kind = OBJECT_SCENERY;
    bench.dozerFlag = true;
    CellObject sitting = bench;
    sitting.occupied = true;
    CellObject fixed;
    fixed.kind = OBJECT_SCENERY;
    CellObject entrance;
    entrance.kind = OBJECT_BUILDING;
    entrance.entrance = true;
    CellObject shop;
    shop.kind = OBJECT_BUILDING;
    CellObject guest;
    guest.kind = OBJECT_GUEST;
    CellObject litter;
    litter.kind = OBJECT_LITTER;
    CellObject animal;
    animal.kind = OBJECT_ANIMAL;
    CellObject table;
    table.kind = OBJECT_TABLE;

    const uint32_t ground = 0x80000001u, footpath = 0x90000001u, queue = 0xC0000001u;
    const struct
    {
        const char* what;
        uint32_t flags;
        std::vector<CellObject> objects;
        bool clearable;
    } cases[] = {
        {"bare ground", ground, {}, false},
        {"a bench on ground", ground, {bench}, true},
        {"an occupied bench on ground", ground, {sitting}, false},
        {"bare footpath", footpath, {}, true},
        {"an occupied bench over footpath", footpath, {sitting}, false},
        {"fixed scenery over footpath", footpath, {fixed}, true},
        {"the entrance over footpath", footpath, {entrance}, true},
        {"a shop over footpath", footpath, {shop}, false},
        {"guests and litter over footpath", footpath, {guest, litter}, true},
        {"an animal over footpath", footpath, {animal}, false},
        {"a table over footpath", footpath, {table}, false},
        {"footpath under a building cell", footpath | 0x2u, {}, false},
        {"footpath without grid ground", 0x90000000u, {}, false},
        {"queue path", queue, {shop}, true},
        {"queue path under a building cell", queue | 0x2u, {}, false},
        {"a connection cell with a bench", footpath | 0x20u, {bench}, true},
        {"a bare connection cell", footpath | 0x20u, {}, false},
        {"a connection cell with an occupied bench", queue | 0x20u, {sitting}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DozerClearable(c.flags, c.objects), c.clearable) << c.what;
}

TEST(ToolRulesTest, PickingPrefersMovingObjects)
{
    const struct
    {
        std::vector<uint32_t> kinds;
        int32_t chosen;
    } cases[] = {
        {{4, 3}, 1}, {{3, 4}, 0}, {{4, 4}, 0}, {{1, 4, 3, 3}, 2}, {{1, 2, 8}, -1}, {{}, -1}, {{8, 4}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChoosePick(c.kinds), c.chosen);
}

TEST(ToolRulesTest, PeopleAndAnimalsArePickedBeforeWhatStandsStill)
{
    const struct
    {
        uint8_t kind;
        uint32_t pick;
    } cases[] = {
        {OBJECT_GUEST, kPickMoving},
        {OBJECT_SERVER, kPickMoving},
        {OBJECT_MECHANIC, kPickMoving},
        {OBJECT_CLEANER, kPickMoving},
        {OBJECT_ZOOKEEPER, kPickMoving},
        {OBJECT_ANIMAL, kPickMoving},
        {OBJECT_SCENERY, kPickStatic},
        {OBJECT_BUILDING, kPickStatic},
        {OBJECT_TABLE, kPickStatic},
        {OBJECT_LITTER, kPickStatic},
        {0, 0u},
        {11, 0u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PickClassOf(c.kind), c.pick) << int(c.kind);
    // A guest in front of a building is chosen whatever the order.
    EXPECT_EQ(ChoosePick({PickClassOf(OBJECT_BUILDING), PickClassOf(OBJECT_GUEST)}), 1);
}
