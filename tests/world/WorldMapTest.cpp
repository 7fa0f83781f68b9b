// Tests of the park grid: coordinates in grid cells, map units and scene units; neighbours and sides; footprints;
// scenery placement; the cursor's cell; the grid file column by column (files of the wrong length refused before
// they are read, and the park refused with them); the grid file written back; the map's save record;
// the grid of every cell's flags inside its border.
#include "tests/world/GridTestSupport.h"
#include "tests/world/ParkTestSupport.h"
#include "tests/world/SaveBytes.h"

#include "engine/core/EngineCore.h"
#include "engine/core/FileSystem.h"
#include "world/CursorPicker.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace gridtest;
using namespace savebytes;

namespace
{

// Positions as text, to compare many at once.
std::string Str(const platform::Vec3& v)
{
    std::ostringstream text;
    text << v.x << ',' << v.y << ',' << v.z;
    return text.str();
}

// A grid file of width x height cells, column by column, each value given by the function.
template <class Value> Bytes GridFile(int32_t width, int32_t height, Value value)
{
    Bytes bytes;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            U32(bytes, value(x, y));
    return bytes;
}

} // namespace

TEST(GridCoordinates, CellsMapUnitsSceneUnitsAndFootprints)
{
    // A cell is 32 map units along x and 64 along y; 4 scene units each way from the origin at 512. Map to grid
    // truncates toward zero, scene to grid rounds down. Points of a cell go from its corner (32x, 64y). A 2 x 3
    // footprint at cell (2, 3) turns the local point (10, 20) each quarter turn.
    platform::Vec3 out;
    WorldMap::WorldToSceneOut({8.0f, 16.0f, 5.0f}, &out);
    std::vector<std::string> points = {Str(WorldMap::GridToWorld({10, 20})),
                                       Str(WorldMap::GridToWorldXY(-1, 2)),
                                       Str(WorldMap::WorldToScene({320.0f, 1280.0f, 0.0f})),
                                       Str(WorldMap::SceneToWorld(552.0f, 592.0f)),
                                       Str(out),
                                       Str(WorldMap::GetCellCentre({10, 20})),
                                       Str(WorldMap::GetFootprintHalfSize(3, 2))};
    for (int32_t anchor = -1; anchor <= 5; ++anchor)
        points.push_back(Str(WorldMap::GetCellPoint({1, 1}, anchor)));
    for (int32_t turn = 0; turn < 4; ++turn)
        points.push_back(Str(WorldMap::FootprintLocalToWorld(2, 3, 2, 3, 10.0f, 20.0f, turn)));
    EXPECT_EQ(points,
              (std::vector<std::string>{"320,1280,0", "-32,128,0", "552,0,592", "320,1280,0", "513,0,513", "336,1312,0",
                                        "48,64,0", "32,64,0", "48,128,0", "48,64,0", "32,96,0", "64,96,0", "48,96,0",
                                        "32,64,0", "74,212,0", "74,300,0", "118,364,0", "150,212,0"}));
    std::vector<GridPos> cells = {
        WorldMap::WorldToGrid({351.9f, 1343.9f, 0.0f}), WorldMap::WorldToGrid({352.0f, 1344.0f, 0.0f}),
        WorldMap::WorldToGrid({-20.0f, -40.0f, 0.0f}),  WorldMap::WorldToGrid({-40.0f, -70.0f, 0.0f}),
        WorldMap::SceneToGrid(555.9f, 595.9f),          WorldMap::SceneToGrid(511.9f, 508.0f),
        WorldMap::SceneToGrid(std::nanf(""), -1e30f)};
    EXPECT_EQ(Cells(cells), "(10,20)(11,21)(0,0)(-1,-1)(10,20)(-1,-1)(0," + std::to_string(INT32_MIN) + ")");
    // The walk round the border of a 2 x 3 footprint at (5, 5) starts from (4, 4), moved by the turn.
    std::string borders;
    for (int32_t turn = 0; turn < 4; ++turn)
    {
        GridPos pos = {5, 5};
        int32_t first = -1, second = -1;
        WorldMap::GetFootprintBorderStart(pos, 2, 3, &first, &second, turn);
        borders += Cells({pos}) + std::to_string(first) + std::to_string(second);
    }
    EXPECT_EQ(borders, "(4,5)24(6,5)64(6,4)60(4,4)20");
    // The scene extent of a 128 x 160 map.
    WorldMap map(128, 160, WorldMap::kDefaultCellSize, "");
    EXPECT_EQ(std::tuple(WorldMap::GetOrigin(), WorldMap::GetSceneUnitsPerCell(), map.GetSceneMaxX(),
                         map.GetSceneMaxZ(), map.GetExtentX(), map.GetExtentY()),
              std::tuple(512.0f, 4.0f, 1024.0f, 1152.0f, 4096.0f, 10240.0f));
}

TEST(GridNeighbours, DirectionsRunClockwiseFromPlusY)
{
    std::vector<GridPos> around;
    for (int32_t d = -1; d <= 9; ++d)
        around.push_back(WorldMap::GetNeighbourPos({5, 5}, d));
    EXPECT_EQ(Cells(around), "(5,5)(5,6)(6,6)(6,5)(6,4)(5,4)(4,4)(4,5)(4,6)(5,5)(5,5)");
    for (int32_t d = 0; d < 8; ++d)
        EXPECT_EQ(WorldMap::DirectionTo({5, 5}, around[d + 1]), d);
    EXPECT_EQ(std::pair(WorldMap::DirectionTo({5, 5}, {5, 5}), WorldMap::DirectionTo({5, 5}, {7, 5})),
              std::pair(-1, -1));
    // Sides are the even directions.
    std::string sides;
    for (auto [x, y] : {std::pair{5, 6}, {6, 5}, {5, 4}, {4, 5}, {6, 6}, {5, 5}, {5, 7}})
        sides += WorldMap::IsSideNeighbour({5, 5}, x, y) ? '1' : '0';
    EXPECT_EQ(sides, "1111000");
    EXPECT_FALSE(WorldMap::IsSideNeighbour({INT32_MAX, 5}, INT32_MIN, 5));
    // At a corner the neighbours off the map are absent.
    WorldMap map(4, 4, WorldMap::kDefaultCellSize, "");
    MapCell* cells[8];
    map.GetNeighbourCells({0, 0}, cells);
    EXPECT_EQ(std::vector<MapCell*>(cells, cells + 8),
              (std::vector<MapCell*>{map.GetCell({0, 1}), map.GetCell({1, 1}), map.GetCell({1, 0}), nullptr, nullptr,
                                     nullptr, nullptr, nullptr}));
    EXPECT_EQ(std::pair(map.GetNeighbourCell({3, 3}, 1), map.GetNeighbourCell({3, 3}, 5)),
              std::pair(static_cast<MapCell*>(nullptr), map.GetCell({2, 2})));
}

TEST(GridScenery, PlacementFollowsTheCellsAndTheTypesMask)
{
    // x: 0 ground, 1 footpath, 2 footpath under a building, 3 queue, 4 bare, 5 scenery ground, 6 ground class only
    auto map = MakeMap({".PH3#S#"});
    map->GetCell({2, 0})->m_uiFlags = 0x90000003;
    map->GetCell({6, 0})->m_uiFlags = 0x00000001;
    // Path pieces: the mask must meet the cell and no building stand there. Land: walkable ground without
    // footpath or queue. Other masks: they must meet the cell, no building. Off the map: never.
    const struct
    {
        int32_t x;
        uint32_t mask;
        int32_t pathFlag;
        bool can;
    } rows[] = {
        {1, 0x10000000, 1, true}, {2, 0x10000000, 1, false}, {0, 0x10000000, 1, false}, {3, 0x40000000, 2, true},
        {0, 1, 0, true},          {1, 1, 0, false},          {3, 1, 0, false},          {6, 1, 0, false},
        {5, 1, 0, false},         {4, 1, 0, false},          {1, 0x10000000, 0, true},  {2, 0x10000000, 0, false},
        {5, 0x20000000, 0, true}, {0, 0x40000000, 0, false}, {7, 1, 0, false},          {-1, 1, 0, false}};
    for (const auto& r : rows)
        EXPECT_EQ(map->CanPlaceSceneryAt(r.x, 0, r.mask, r.pathFlag), r.can) << r.x << " " << r.mask;
    EXPECT_FALSE(map->CanPlaceSceneryAt(0, -1, 1, 0));
}

TEST(GridPicking, TheCursorsCellComesFromThePickersGroundPoint)
{
    WorldMap map(128, 128, WorldMap::kDefaultCellSize, "");
    const platform::Vec3 kept = GetCursorPicker().GetScenePosition();
    GetCursorPicker().SetScenePosition({553.0f, 0.0f, 593.0f});
    GridPos pos;
    EXPECT_TRUE(map.GetCursorGridPos(&pos));
    EXPECT_EQ(pos, (GridPos{10, 20}));
    platform::Vec3 world;
    map.GetCursorWorldPos(&world);
    EXPECT_EQ(Str(world), "328,1296,0");
    GetCursorPicker().SetScenePosition({1024.0f, 0.0f, 600.0f});
    EXPECT_FALSE(map.GetCursorGridPos(&pos));
    EXPECT_EQ(pos, (GridPos{128, 22}));
    GetCursorPicker().SetScenePosition(kept);
}

TEST(GridPicking, GroundJustOffEveryEdgeOfTheMapIsOnNoCell)
{
    // 4 scene units to a cell from 512: a 128-cell map runs from 512 to 1024 on both axes. A point a little
    // before the first cell is no more on the map than one a little past the last.
    WorldMap map(128, 128, WorldMap::kDefaultCellSize, "");
    const platform::Vec3 kept = GetCursorPicker().GetScenePosition();
    const struct
    {
        float x, z;
        bool on;
        GridPos cell; // when on the map
    } rows[] = {
        {513.0f, 600.0f, true, {0, 22}},    {512.0f, 600.0f, true, {0, 22}},    {511.0f, 600.0f, false, {}},
        {508.5f, 600.0f, false, {}},        {1023.9f, 600.0f, true, {127, 22}}, {1024.1f, 600.0f, false, {}},
        {600.0f, 513.0f, true, {22, 0}},    {600.0f, 511.0f, false, {}},        {600.0f, 509.0f, false, {}},
        {600.0f, 1023.0f, true, {22, 127}}, {600.0f, 1025.0f, false, {}},       {510.0f, 510.0f, false, {}},
    };
    for (const auto& r : rows)
    {
        SCOPED_TRACE(testing::Message() << r.x << ", " << r.z);
        GetCursorPicker().SetScenePosition({r.x, 0.0f, r.z});
        GridPos pos;
        EXPECT_EQ(map.GetCursorGridPos(&pos), r.on);
        if (r.on)
        {
            EXPECT_EQ(pos, r.cell);
        }
    }
    GetCursorPicker().SetScenePosition(kept);
}

TEST(GridFile, ValuesRunColumnByColumnIntoTheFlags)
{
    testsupport::TempDir dir;
    const std::string file = dir.File("SmallGrid.dat");
    const auto value = [](int32_t x, int32_t y) { return 0x80000001u | uint32_t(x) << 20 | uint32_t(y) << 8; };
    testsupport::WriteBytes(file, GridFile(4, 3, value));
    WorldMap map(4, 3, WorldMap::kDefaultCellSize, file.c_str());
    EXPECT_TRUE(map.IsGridLoaded());
    EXPECT_EQ(map.GetGridFile(), file);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(map.GetCell({x, y})->m_uiFlags, value(x, y)) << x << "," << y;
    // The second value of the file (byte offset 4) belongs to cell (0, 1).
    Bytes bytes(4 * 12, 0);
    bytes[4] = 0x2A;
    testsupport::WriteBytes(file, bytes);
    WorldMap again(4, 3, WorldMap::kDefaultCellSize, file.c_str());
    EXPECT_EQ(again.GetCell({0, 1})->m_uiFlags, 0x2Au);
    EXPECT_EQ(again.GetCell({1, 0})->m_uiFlags, 0u);
    EXPECT_EQ(g_pWorldMap, &again);
}

namespace
{

// File services that answer a length of their own for every file.
class ClaimedLength : public FileSystem
{
public:
    uint32_t GetFileSize(const char*) override { return length; }
    uint32_t length = 0;
};

} // namespace

TEST(GridFile, AFileOfTheWrongLengthOrNoneIsRefusedBeforeItIsRead)
{
    testsupport::RecordingReportSink reports;
    testsupport::TempDir dir;
    const std::string file = dir.File("Grid.dat");
    const auto full = GridFile(4, 3, [](int32_t, int32_t) { return 0x80000001u; });
    for (size_t size : {size_t{0}, size_t{1}, full.size() - 1, full.size() - 4, full.size() + 4})
    {
        Bytes bytes = full;
        bytes.resize(size, 0x01);
        testsupport::WriteBytes(file, bytes);
        reports.boxes.clear();
        WorldMap map(4, 3, WorldMap::kDefaultCellSize, file.c_str());
        EXPECT_FALSE(map.IsGridLoaded()) << size;
        EXPECT_EQ(reports.boxes.size(), 1u) << size;
        EXPECT_EQ(map.GetFlags({0, 0}) | map.GetFlags({3, 2}), 0u);
    }
    reports.boxes.clear();
    EXPECT_FALSE(WorldMap(4, 3, WorldMap::kDefaultCellSize, dir.File("None.dat").c_str()).IsGridLoaded());
    EXPECT_NE(reports.boxes.at(0).text.find("can't read the grid file"), std::string::npos);
    WorldMap unnamed(4, 3, WorldMap::kDefaultCellSize, "");
    EXPECT_EQ(reports.boxes.size(), 1u) << "no file named: nothing to read and nothing to report";
    // The length is asked before anything is read: a file that says it holds 4 GiB less 16 bytes is refused for
    // that length, not read whole.
    testsupport::WriteBytes(file, full);
    ClaimedLength files;
    files.length = 0xFFFFFFF0;
    EngineCore core;
    core.m_pFileSystem = &files;
    g_pEngineCore = &core;
    reports.boxes.clear();
    WorldMap claimed(4, 3, WorldMap::kDefaultCellSize, file.c_str());
    g_pEngineCore = nullptr;
    core.m_pFileSystem = nullptr;
    EXPECT_FALSE(claimed.IsGridLoaded());
    ASSERT_EQ(reports.boxes.size(), 1u);
    EXPECT_NE(reports.boxes[0].text.find("holds 4294967280 bytes"), std::string::npos) << reports.boxes[0].text;
}

TEST(GridFile, AParkWhoseGridIsMissingOrCutIsNotBuilt)
{
    for (size_t size : {size_t{0}, size_t{128 * 128 * 4 - 4}, size_t{128 * 128 * 4}})
    {
        parktest::Scenario scenario;
        const std::string grid = scenario.Dir().File("data/maps/BaycrestGrid.dat");
        if (size == 0)
            std::filesystem::remove(grid);
        else
            testsupport::WriteBytes(grid, Bytes(size, 0x80));
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
        EXPECT_EQ(world.IsBuilt(), size == 128 * 128 * 4) << size;
        EXPECT_EQ(reports.boxes.size(), size == 128 * 128 * 4 ? 0u : 2u) << size;
    }
    EXPECT_EQ(g_pWorld, nullptr);
    EXPECT_EQ(g_pWorldMap, nullptr);
}

TEST(GridFile, SavingWritesEachCellsGroundClassColumnByColumn)
{
    testsupport::TempDir dir;
    const std::string file = dir.File("Saved.dat");
    WorldMap map(3, 2, WorldMap::kDefaultCellSize, file.c_str());
    // Row y = 0: ground, footpath on ground, a building on ground; row y = 1: a building cell, class 4, class
    // 0x20000000 under nothing else.
    const uint32_t flags[2][3] = {{0x80000001, 0x90010001, 0x0F000003}, {0x2, 0x4, 0x20000000}};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            map.GetCell({x, y})->m_uiFlags = flags[y][x];
    ASSERT_TRUE(map.SaveGridMap());
    const uint32_t expected[2][3] = {{0x80000001, 0x80000001, 0x80000001}, {2, 4, 0x20000000}};
    EXPECT_EQ(testsupport::ReadBytes(file), GridFile(3, 2, [&](int32_t x, int32_t y) { return expected[y][x]; }));
    // Cells changed away from the listed values fall back to their ground class, else to 2.
    EXPECT_EQ(WorldMap::GridFileValue(0x20000040), 0x20000000u);
    EXPECT_EQ(WorldMap::GridFileValue(0x00000006), 4u);
    EXPECT_EQ(WorldMap::GridFileValue(0x10000000), 2u);
    // A file that cannot be written is reported.
    testsupport::RecordingReportSink reports;
    WorldMap nowhere(1, 1, WorldMap::kDefaultCellSize, dir.File("no/such/dir/x.dat").c_str());
    reports.boxes.clear();
    EXPECT_FALSE(nowhere.SaveGridMap());
    EXPECT_EQ(reports.boxes.size(), 1u);
}

TEST(GridRecord, TheSaveHoldsEachCellsFlagsAndHeight)
{
    WorldMap map(2, 2, WorldMap::kDefaultCellSize, "");
    map.GetCell({1, 0})->m_uiFlags = 0x90000001;
    map.GetCell({0, 1})->m_ZOffset = 1.5f;
    Bytes expected;
    // Of the record's integers only its size item carries the tag 5; the cells' flags carry 11.
    Text(expected, 0, "Class name : WorldMap");
    Tagged(expected, 5, 168);
    for (auto [flags, height] : {std::pair{0u, 0.0f}, {0x90000001u, 0.0f}, {0u, 1.5f}, {0u, 0.0f}})
    {
        Tagged(expected, 11, flags);
        F32(expected, height);
    }
    EXPECT_EQ(Saved([&](SerialStream& s) { map.Dump(s); }), expected);

    WorldMap loaded(2, 2, WorldMap::kDefaultCellSize, "");
    loaded.GetCell({1, 1})->m_uiFlags = 7;
    ASSERT_TRUE(LoadFrom(expected, [&](SerialStream& s) { return loaded.Load(s); }));
    EXPECT_EQ(loaded.GetCell({1, 0})->m_uiFlags, 0x90000001u);
    EXPECT_EQ(loaded.GetCell({1, 1})->m_uiFlags, 0u);
    EXPECT_FLOAT_EQ(loaded.GetCell({0, 1})->m_ZOffset, 1.5f);
    // A save of a smaller map, or one cut short, changes nothing.
    testsupport::RecordingReportSink reports;
    WorldMap bigger(3, 2, WorldMap::kDefaultCellSize, "");
    bigger.GetCell({2, 1})->m_uiFlags = 9;
    EXPECT_FALSE(LoadFrom(expected, [&](SerialStream& s) { return bigger.Load(s); }));
    EXPECT_EQ(bigger.GetCell({1, 0})->m_uiFlags, 0u);
    EXPECT_EQ(bigger.GetCell({2, 1})->m_uiFlags, 9u);
    for (size_t cut = 0; cut < expected.size(); cut += 3)
        EXPECT_FALSE(
            LoadFrom(Bytes(expected.begin(), expected.begin() + cut), [&](SerialStream& s) { return loaded.Load(s); }));
    // A height that is not a finite number changes nothing either: the last item is the last cell's height.
    for (float bad : {std::nanf(""), INFINITY})
    {
        Bytes patched(expected.begin(), expected.end() - 5);
        F32(patched, bad);
        EXPECT_FALSE(LoadFrom(patched, [&](SerialStream& s) { return loaded.Load(s); }));
    }
    EXPECT_EQ(loaded.GetCell({1, 0})->m_uiFlags, 0x90000001u);
}

TEST(GridFlags, TheFlagGridHoldsEveryCellsFlagsInsideABorderOfZeros)
{
    // Rows of width + 2 words: cell (x, y) at (y + 1) x (width + 2) + x + 1, and 0 all round; flags set through a
    // cell, a grid file or a save record are the ones the grid holds.
    testsupport::TempDir dir;
    const auto value = [](int32_t x, int32_t y) { return 0x80000001u | uint32_t(x) << 20 | uint32_t(y) << 8; };
    struct Case
    {
        int32_t width, height;
        bool fromFile;
    };
    for (const Case c : {Case{1, 1, false}, Case{3, 2, false}, Case{2, 5, true}, Case{7, 4, true}})
    {
        const std::string file = dir.File("FlagGrid.dat");
        if (c.fromFile)
            testsupport::WriteBytes(file, GridFile(c.width, c.height, value));
        WorldMap map(c.width, c.height, WorldMap::kDefaultCellSize, c.fromFile ? file.c_str() : "");
        if (!c.fromFile)
            for (int32_t y = 0; y < c.height; ++y)
                for (int32_t x = 0; x < c.width; ++x)
                    map.GetCell({x, y})->m_uiFlags = value(x, y);
        const uint32_t* grid = map.GetFlagGrid();
        const int32_t row = c.width + 2;
        for (int32_t gy = 0; gy < c.height + 2; ++gy)
            for (int32_t gx = 0; gx < row; ++gx)
            {
                const bool inside = gx >= 1 && gx <= c.width && gy >= 1 && gy <= c.height;
                EXPECT_EQ(grid[gy * row + gx], inside ? value(gx - 1, gy - 1) : 0u)
                    << c.width << "x" << c.height << " at " << gx << "," << gy;
            }
    }
    WorldMap saved(2, 2, WorldMap::kDefaultCellSize, "");
    saved.GetCell({0, 1})->m_uiFlags = 0x90000001u;
    const Bytes record = Saved([&](SerialStream& s) { saved.Dump(s); });
    WorldMap loaded(2, 2, WorldMap::kDefaultCellSize, "");
    loaded.GetCell({1, 1})->m_uiFlags = 7;
    ASSERT_TRUE(LoadFrom(record, [&](SerialStream& s) { return loaded.Load(s); }));
    EXPECT_EQ(loaded.GetFlagGrid()[2 * 4 + 1], 0x90000001u);
    EXPECT_EQ(loaded.GetFlagGrid()[2 * 4 + 2], 0u);
}
