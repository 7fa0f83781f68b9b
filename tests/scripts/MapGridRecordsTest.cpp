// Tests of the map grid records: size, flag, height and base plate rows, the fifteen point lists and their limits.
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

#include <tuple>

using tablestest::Record;
using testing::ElementsAre;
using testing::IsEmpty;

namespace
{
class MapGrids : public tablestest::Tables
{
protected:
    const MapGridInfo& Grid() { return params->GetMapGridInfo(0); }
};

// The points of a list as (x, y) pairs.
std::vector<std::pair<float, float>> Points(const MapPointList& list)
{
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i < list.count; ++i)
        points.emplace_back(list[i].x, list[i].y);
    return points;
}
} // namespace

TEST_F(MapGrids, RowsSetWidthPlusTwoCells)
{
    Process(Record("MAPGRID", "MAPKIOSK",
                   "WIDTH=3|HEIGHT=2|FLAGROW0=0IO0L|FLAGROW1=SPQEA|FLAGROW2=LLLLLL|BASEPLATEROW3=TC0TX|ZROW4=0AFGJ|"
                   "ZROW5=KLBCD|ZROW6=HIE0M"));
    EXPECT_THAT(Reports(), IsEmpty());
    const MapGridInfo& g = Grid();
    EXPECT_EQ(std::tuple(std::string(g.keyword), g.iWidth, g.iHeight), std::tuple("MAPKIOSK", 3, 2));
    // Only WIDTH + 2 characters count: the sixth L of row 2 sets nothing; rows of one kind leave the other grids
    // alone.
    const uint32_t flags[3][6] = {
        {0, 0x4, 0x8, 0, 0x100, 0}, {0x2, 0x80, 0x110, 0x120, 0x140, 0}, {0x100, 0x100, 0x100, 0x100, 0x100, 0}};
    const uint32_t plate[5] = {0x1, 0x200, 0, 0x1, 0};
    const float heights[3][5] = {
        {0.0f, 1.0f, 6.0f, -1.0f, -4.0f}, {0.5f, 0.25f, 2.0f, 3.0f, 4.0f}, {-2.0f, -3.0f, 5.0f, 0.0f, 0.0f}};
    for (int x = 0; x < 6; ++x)
    {
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(g.flags[x][row], flags[row][x]) << x << " " << row;
        if (x == 5)
            continue;
        EXPECT_EQ(g.basePlate[x][3], plate[x]) << x;
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(g.heights[x][4 + row], heights[row][x]) << x << " " << row;
    }
    EXPECT_EQ(std::tuple(g.flags[0][3], g.basePlate[1][0]), std::tuple(0u, 0u));
}

TEST_F(MapGrids, UnknownCharactersKeepTheCellLowerCaseIsUnknownAndRowPrefixesComeFirst)
{
    // "ZROWS" is a height row (number 0 from "S"); "FLAGS" is no keyword at all.
    Process(Record("MAPGRID", "G", "WIDTH=1|FLAGROW0=LLL|FLAGROW0=l?0|ZROW1=0GK|ZROW1=a.b|WIDTH=0|ZROWS=AB|FLAGS=1"));
    const MapGridInfo& g = Grid();
    EXPECT_EQ(std::tuple(g.iHeight, g.flags[0][0], g.flags[1][0], g.flags[2][0], g.heights[0][1], g.heights[1][1],
                         g.heights[2][1], g.heights[1][0]),
              std::tuple(0, 0x100u, 0x100u, 0u, 0.0f, -1.0f, 0.5f, 2.0f));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddMapGridData - unrecognised mapgrid keyword - FLAGS"));
}

TEST_F(MapGrids, RowAndSizeLimits)
{
    // Rows 0 to 44 and sizes 0 to 43 (the footprint and its ring fill 45 cells) are taken; beyond them the line
    // is refused. A row shorter than WIDTH + 2 sets what it has and is reported.
    Process(Record("MAPGRID", "G",
                   "WIDTH=43|HEIGHT=43|FLAGROW44=" + std::string(45, 'L') +
                       "|FLAGROW45=L|ZROW-1=A|BASEPLATEROW2=TT|WIDTH=44|HEIGHT=-1"));
    const MapGridInfo& g = Grid();
    EXPECT_EQ(std::tuple(g.iWidth, g.iHeight, g.flags[44][44], g.flags[0][44], g.basePlate[1][2], g.basePlate[2][2]),
              std::tuple(43, 43, 0x100u, 0x100u, 0x1u, 0u));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddMapGridData - row number out of range (0 to 44) - FLAGROW45",
                                       "WorldParams::AddMapGridData - row number out of range (0 to 44) - ZROW-1",
                                       "WorldParams::AddMapGridData - row shorter than WIDTH + 2 characters - "
                                       "BASEPLATEROW2",
                                       "WorldParams::AddMapGridData - WIDTH out of range (0 to 43) - 44",
                                       "WorldParams::AddMapGridData - HEIGHT out of range (0 to 43) - -1"));
}

TEST_F(MapGrids, EveryListHasItsKeywordsAndFillsXThenY)
{
    const char* names[kMapPointListCount] = {"INWALKPOINT", "OUTWALKPOINT",  "SPAWNPOINT",   "EATPOINT",
                                             "EATNODE",     "STAFFPOINT",    "TABLEPOINT",   "VIEWPOINT",
                                             "2VIEWPOINT",  "THRUWALKPOINT", "MECHINPOINT",  "MECHOUTPOINT",
                                             "ZOOINPOINT",  "ZOOOUTPOINT",   "INTERESTPOINT"};
    // List i gets i + 1 points, point j at (100 i + j, -j); each count is NUM_ and the plural of the name.
    std::string fields;
    for (int i = 0; i < kMapPointListCount; ++i)
    {
        fields += std::string(fields.empty() ? "" : "|") + "NUM_" + names[i] + "S=" + std::to_string(i + 1);
        for (int j = 0; j <= i; ++j)
            fields += "|" + std::string(names[i]) + "X=" + std::to_string(100 * i + j) + "|" + names[i] +
                      "Y=" + std::to_string(-j);
    }
    Process(Record("MAPGRID", "G", fields));
    EXPECT_THAT(Reports(), IsEmpty());
    for (int i = 0; i < kMapPointListCount; ++i)
    {
        std::vector<std::pair<float, float>> expected;
        for (int j = 0; j <= i; ++j)
            expected.emplace_back(static_cast<float>(100 * i + j), static_cast<float>(-j));
        EXPECT_EQ(Points(Grid().List(static_cast<MapPointListIndex>(i))), expected) << names[i];
    }
    // The count is the number of Y lines, whatever room the NUM_ line made.
    params = std::make_unique<WorldParams>();
    Process(Record("MAPGRID", "G", "NUM_TABLEPOINTS=3|TABLEPOINTX=7|TABLEPOINTY=8|TABLEPOINTX=9"));
    const MapPointList& tables = Grid().List(kTablePoints);
    EXPECT_EQ(std::tuple(tables.count, tables.points.size(), tables[1].x), std::tuple(1, size_t{3}, 9.0f));
}

TEST_F(MapGrids, PointLimits)
{
    // Points past the room of the NUM_ line, or before any NUM_ line, are refused; a new NUM_ line starts over;
    // counts below 0 or above one per cell are refused and leave the list empty.
    Process(Record("MAPGRID", "G",
                   "EATNODEX=1|EATNODEY=1|NUM_EATNODES=1|EATNODEX=5|EATNODEY=6|EATNODEX=7|NUM_SPAWNPOINTS=1|"
                   "SPAWNPOINTX=1|SPAWNPOINTY=1|NUM_SPAWNPOINTS=2|SPAWNPOINTX=9|SPAWNPOINTY=8|NUM_VIEWPOINTS=-3|"
                   "NUM_TABLEPOINTS=2026|NUM_STAFFPOINTS=2025|NUM_EATPOINTS=0|EATPOINTY=1"));
    using List = std::vector<std::pair<float, float>>;
    EXPECT_EQ(Points(Grid().List(kEatNodes)), (List{{5.0f, 6.0f}}));
    EXPECT_EQ(Points(Grid().List(kSpawnPoints)), (List{{9.0f, 8.0f}}));
    EXPECT_EQ(std::tuple(Grid().List(kViewPoints).points.size(), Grid().List(kTablePoints).points.size(),
                         Grid().List(kStaffPoints).points.size(), Grid().List(kEatPoints).count),
              std::tuple(size_t{0}, size_t{0}, size_t{2025}, 0));
    EXPECT_THAT(Reports(),
                ElementsAre("WorldParams::AddMapGridData - more points than the NUM_ line allows - EATNODEX",
                            "WorldParams::AddMapGridData - more points than the NUM_ line allows - EATNODEY",
                            "WorldParams::AddMapGridData - more points than the NUM_ line allows - EATNODEX",
                            "WorldParams::AddMapGridData - NUM_VIEWPOINTS out of range (0 to 2025) - -3",
                            "WorldParams::AddMapGridData - NUM_TABLEPOINTS out of range (0 to 2025) - 2026",
                            "WorldParams::AddMapGridData - more points than the NUM_ line allows - EATPOINTY"));
}
