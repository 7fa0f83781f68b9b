// Tests of the map grid records: size, flag, height and base plate rows, the fifteen point lists and their limits.
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

using tablestest::Record;
using testing::ElementsAre;
using testing::IsEmpty;

static_assert(kCellBlocked == 0x2 && kCellIn == 0x4 && kCellOut == 0x8 && kCellPath == 0x80 && kCellBody == 0x100 &&
              kCellQueue == 0x110 && kCellEntry == 0x120 && kCellAnimal == 0x140);
static_assert(kPlateTile == 0x1 && kPlateCover == 0x200);

namespace
{
class MapGrids : public tablestest::Tables
{
protected:
    const MapGridInfo& Grid() { return params->GetMapGridInfo(0); }
};
} // namespace

TEST_F(MapGrids, RowsSetWidthPlusTwoCells)
{
    Process(Record("MAPGRID", "MAPKIOSK",
                   {{"WIDTH", "3"},
                    {"HEIGHT", "2"},
                    {"FLAGROW0", "0IO0L"},
                    {"FLAGROW1", "SPQEA"},
                    {"FLAGROW2", "LLLLLL"},
                    {"BASEPLATEROW3", "TC0TX"},
                    {"ZROW4", "0AFGJ"},
                    {"ZROW5", "KLBCD"},
                    {"ZROW6", "HIE0M"}}));
    EXPECT_THAT(Reports(), IsEmpty());
    const MapGridInfo& g = Grid();
    EXPECT_STREQ(g.keyword, "MAPKIOSK");
    EXPECT_EQ(g.iWidth, 3);
    EXPECT_EQ(g.iHeight, 2);
    const uint32_t row0[] = {0, 0x4, 0x8, 0, 0x100};
    const uint32_t row1[] = {0x2, 0x80, 0x110, 0x120, 0x140};
    for (int x = 0; x < 5; ++x)
    {
        EXPECT_EQ(g.flags[x][0], row0[x]) << x;
        EXPECT_EQ(g.flags[x][1], row1[x]) << x;
        EXPECT_EQ(g.flags[x][2], 0x100u) << x;
    }
    // Only WIDTH + 2 characters count: the sixth L of row 2 sets nothing.
    EXPECT_EQ(g.flags[5][2], 0u);
    const uint32_t plate[] = {0x1, 0x200, 0, 0x1, 0};
    const float heights4[] = {0.0f, 1.0f, 6.0f, -1.0f, -4.0f};
    const float heights5[] = {0.5f, 0.25f, 2.0f, 3.0f, 4.0f};
    const float heights6[] = {-2.0f, -3.0f, 5.0f, 0.0f, 0.0f};
    for (int x = 0; x < 5; ++x)
    {
        EXPECT_EQ(g.basePlate[x][3], plate[x]) << x;
        EXPECT_FLOAT_EQ(g.heights[x][4], heights4[x]) << x;
        EXPECT_FLOAT_EQ(g.heights[x][5], heights5[x]) << x;
        EXPECT_FLOAT_EQ(g.heights[x][6], heights6[x]) << x;
    }
    // Rows of one kind leave the other grids alone.
    EXPECT_EQ(g.flags[0][3], 0u);
    EXPECT_EQ(g.basePlate[1][0], 0u);
}

TEST_F(MapGrids, UnknownCharactersKeepTheCellAndLowerCaseIsUnknown)
{
    Process(Record("MAPGRID", "G",
                   {{"WIDTH", "1"}, {"FLAGROW0", "LLL"}, {"FLAGROW0", "l?0"}, {"ZROW1", "0GK"}, {"ZROW1", "a.b"}}));
    const MapGridInfo& g = Grid();
    EXPECT_EQ(g.iHeight, 0);
    EXPECT_EQ(g.flags[0][0], 0x100u);
    EXPECT_EQ(g.flags[1][0], 0x100u);
    EXPECT_EQ(g.flags[2][0], 0u);
    EXPECT_FLOAT_EQ(g.heights[0][1], 0.0f);
    EXPECT_FLOAT_EQ(g.heights[1][1], -1.0f);
    EXPECT_FLOAT_EQ(g.heights[2][1], 0.5f);
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(MapGrids, RowAndSizeLimits)
{
    // Rows 0 to 44 and sizes 0 to 43 (the footprint and its ring fill 45 cells) are taken; beyond them the line
    // is refused. A row shorter than WIDTH + 2 sets what it has and is reported.
    Process(Record("MAPGRID", "G",
                   {{"WIDTH", "43"},
                    {"HEIGHT", "43"},
                    {"FLAGROW44", std::string(45, 'L')},
                    {"FLAGROW45", "L"},
                    {"ZROW-1", "A"},
                    {"BASEPLATEROW2", "TT"},
                    {"WIDTH", "44"},
                    {"HEIGHT", "-1"}}));
    const MapGridInfo& g = Grid();
    EXPECT_EQ(g.iWidth, 43);
    EXPECT_EQ(g.iHeight, 43);
    EXPECT_EQ(g.flags[44][44], 0x100u);
    EXPECT_EQ(g.flags[0][44], 0x100u);
    EXPECT_EQ(g.basePlate[1][2], 0x1u);
    EXPECT_EQ(g.basePlate[2][2], 0u);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddMapGridData - row number out of range (0 to 44) - FLAGROW45",
                                       "WorldParams::AddMapGridData - row number out of range (0 to 44) - ZROW-1",
                                       "WorldParams::AddMapGridData - row shorter than WIDTH + 2 characters - "
                                       "BASEPLATEROW2",
                                       "WorldParams::AddMapGridData - WIDTH out of range (0 to 43) - 44",
                                       "WorldParams::AddMapGridData - HEIGHT out of range (0 to 43) - -1"));
}

TEST_F(MapGrids, PointListsFillXThenY)
{
    Process(Record("MAPGRID", "G",
                   {{"NUM_SPAWNPOINTS", "2"},
                    {"SPAWNPOINTX", "1.5"},
                    {"SPAWNPOINTY", "2.0"},
                    {"SPAWNPOINTX", "3.0"},
                    {"SPAWNPOINTY", "4.0"},
                    {"NUM_TABLEPOINTS", "3"},
                    {"TABLEPOINTX", "7"},
                    {"TABLEPOINTY", "8"},
                    {"TABLEPOINTX", "9"}}));
    EXPECT_THAT(Reports(), IsEmpty());
    const MapPointList& spawn = Grid().List(kSpawnPoints);
    ASSERT_EQ(spawn.count, 2);
    EXPECT_FLOAT_EQ(spawn[0].x, 1.5f);
    EXPECT_FLOAT_EQ(spawn[0].y, 2.0f);
    EXPECT_FLOAT_EQ(spawn[1].x, 3.0f);
    EXPECT_FLOAT_EQ(spawn[1].y, 4.0f);
    // The count is the number of Y lines, whatever room the NUM_ line made.
    const MapPointList& tables = Grid().List(kTablePoints);
    EXPECT_EQ(tables.count, 1);
    EXPECT_EQ(tables.points.size(), 3u);
    EXPECT_FLOAT_EQ(tables[1].x, 9.0f);
}

TEST_F(MapGrids, EveryListHasItsKeywords)
{
    const char* names[kMapPointListCount] = {"INWALKPOINT", "OUTWALKPOINT",  "SPAWNPOINT",   "EATPOINT",
                                             "EATNODE",     "STAFFPOINT",    "TABLEPOINT",   "VIEWPOINT",
                                             "2VIEWPOINT",  "THRUWALKPOINT", "MECHINPOINT",  "MECHOUTPOINT",
                                             "ZOOINPOINT",  "ZOOOUTPOINT",   "INTERESTPOINT"};
    const char* counts[kMapPointListCount] = {
        "NUM_INWALKPOINTS", "NUM_OUTWALKPOINTS", "NUM_SPAWNPOINTS", "NUM_EATPOINTS",    "NUM_EATNODES",
        "NUM_STAFFPOINTS",  "NUM_TABLEPOINTS",   "NUM_VIEWPOINTS",  "NUM_2VIEWPOINTS",  "NUM_THRUWALKPOINTS",
        "NUM_MECHINPOINTS", "NUM_MECHOUTPOINTS", "NUM_ZOOINPOINTS", "NUM_ZOOOUTPOINTS", "NUM_INTERESTPOINTS"};
    // List i gets i + 1 points, point j at (100 i + j, -j).
    std::vector<std::pair<std::string, std::string>> fields;
    for (int i = 0; i < kMapPointListCount; ++i)
    {
        fields.push_back({counts[i], std::to_string(i + 1)});
        for (int j = 0; j <= i; ++j)
        {
            fields.push_back({std::string(names[i]) + "X", std::to_string(100 * i + j)});
            fields.push_back({std::string(names[i]) + "Y", std::to_string(-j)});
        }
    }
    Process(Record("MAPGRID", "G", fields));
    EXPECT_THAT(Reports(), IsEmpty());
    for (int i = 0; i < kMapPointListCount; ++i)
    {
        const MapPointList& list = Grid().List(static_cast<MapPointListIndex>(i));
        ASSERT_EQ(list.count, i + 1) << names[i];
        for (int j = 0; j <= i; ++j)
        {
            EXPECT_FLOAT_EQ(list[j].x, static_cast<float>(100 * i + j)) << names[i];
            EXPECT_FLOAT_EQ(list[j].y, static_cast<float>(-j)) << names[i];
        }
    }
}

TEST_F(MapGrids, PointLimits)
{
    // Points past the room of the NUM_ line, or before any NUM_ line, are refused; a new NUM_ line starts over;
    // counts below 0 or above one per cell are refused and leave the list empty.
    Process(Record("MAPGRID", "G",
                   {{"EATNODEX", "1"},
                    {"EATNODEY", "1"},
                    {"NUM_EATNODES", "1"},
                    {"EATNODEX", "5"},
                    {"EATNODEY", "6"},
                    {"EATNODEX", "7"},
                    {"NUM_SPAWNPOINTS", "1"},
                    {"SPAWNPOINTX", "1"},
                    {"SPAWNPOINTY", "1"},
                    {"NUM_SPAWNPOINTS", "2"},
                    {"SPAWNPOINTX", "9"},
                    {"SPAWNPOINTY", "8"},
                    {"NUM_VIEWPOINTS", "-3"},
                    {"NUM_TABLEPOINTS", "2026"},
                    {"NUM_STAFFPOINTS", "2025"},
                    {"NUM_EATPOINTS", "0"},
                    {"EATPOINTY", "1"}}));
    const MapPointList& nodes = Grid().List(kEatNodes);
    ASSERT_EQ(nodes.count, 1);
    EXPECT_FLOAT_EQ(nodes[0].x, 5.0f);
    EXPECT_FLOAT_EQ(nodes[0].y, 6.0f);
    const MapPointList& spawn = Grid().List(kSpawnPoints);
    ASSERT_EQ(spawn.count, 1);
    EXPECT_FLOAT_EQ(spawn[0].x, 9.0f);
    EXPECT_EQ(Grid().List(kViewPoints).points.size(), 0u);
    EXPECT_EQ(Grid().List(kTablePoints).points.size(), 0u);
    EXPECT_EQ(Grid().List(kStaffPoints).points.size(), 2025u);
    EXPECT_EQ(Grid().List(kEatPoints).count, 0);
    EXPECT_THAT(Reports(),
                ElementsAre("WorldParams::AddMapGridData - more points than the NUM_ line allows - EATNODEX",
                            "WorldParams::AddMapGridData - more points than the NUM_ line allows - EATNODEY",
                            "WorldParams::AddMapGridData - more points than the NUM_ line allows - EATNODEX",
                            "WorldParams::AddMapGridData - NUM_VIEWPOINTS out of range (0 to 2025) - -3",
                            "WorldParams::AddMapGridData - NUM_TABLEPOINTS out of range (0 to 2025) - 2026",
                            "WorldParams::AddMapGridData - more points than the NUM_ line allows - EATPOINTY"));
}

TEST_F(MapGrids, RowPrefixesComeFirstAndUnknownKeywordsAreReported)
{
    // "ZROWS" is a height row (number 0 from "S"); "FLAGS" is no keyword at all.
    Process(Record("MAPGRID", "G", {{"WIDTH", "0"}, {"ZROWS", "AB"}, {"FLAGS", "1"}}));
    EXPECT_FLOAT_EQ(Grid().heights[1][0], 2.0f);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddMapGridData - unrecognised mapgrid keyword - FLAGS"));
}
