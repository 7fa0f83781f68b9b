// Tests of construction: the footprint a building lays at each turn, the queue hook-up, litter under a new
// building, the map edge, the records of ids it does not know, and its save record.
#include "park/ConstructionManager.h"
#include "scripts/ObjectStates.h"
#include "tests/park/BuildingTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace bldtest;

namespace
{

// A building three cells wide and two deep whose one serve cell can be put on any side of the ring.
std::string Tables(const std::vector<std::string>& rows)
{
    std::vector<std::pair<std::string, std::string>> grid = {{"WIDTH", "3"}, {"HEIGHT", "2"}};
    for (size_t r = 0; r < rows.size(); ++r)
    {
        grid.push_back({"FLAGROW" + std::to_string(r), rows[r]});
        grid.push_back({"ZROW" + std::to_string(r), "0KKK0"});
        grid.push_back({"BASEPLATEROW" + std::to_string(r), r == 1 || r == 2 ? "0TTT0" : "00000"});
    }
    return Record("BUILD", "HALL", {{"COST2BUILD", "400"}}) + Record("MAPGRID", "MAPHALL", grid);
}

const std::vector<std::string> kNorthServe = {"00I00", "0LQL0", "0LLL0", "00000"};

TEST(Footprint, EveryTurnCoversTheCellsTheBuildingStandsOnAndItsRing)
{
    BuildingPark park(Tables(kNorthServe), 20);
    const int w = 3, h = 2;
    for (int rotation = 0; rotation < 4; ++rotation)
    {
        BuildingObject* hall = park.Build("HALL", 8, 8, rotation);
        ASSERT_NE(hall, nullptr);
        // Mark every grid cell with its own code, column x 16 + row.
        MapGridInfo& grid = park.params->GetMapGridInfo(park.params->FindMapGrid("MAPHALL"));
        uint32_t saved[MapGridInfo::kGridSize][MapGridInfo::kGridSize];
        std::memcpy(saved, grid.flags, sizeof saved);
        for (int c = 0; c < w + 2; ++c)
            for (int r = 0; r < h + 2; ++r)
                grid.flags[c][r] = static_cast<uint32_t>(c * 16 + r);
        const std::vector<ConstructionManager::FootprintCell> cells = ConstructionManager::WalkFootprint(*hall);
        std::memcpy(grid.flags, saved, sizeof saved);

        // The cells are the building's own rectangle (as the World turned it) and the ring around it, each once.
        const int gw = hall->GetGridW(), gh = hall->GetGridH();
        EXPECT_EQ(gw, rotation % 2 ? h : w);
        std::set<std::pair<int, int>> seen;
        for (const auto& cell : cells)
        {
            EXPECT_TRUE(cell.pos.x >= 7 && cell.pos.x <= 8 + gw && cell.pos.y >= 7 && cell.pos.y <= 8 + gh)
                << rotation << ": " << cell.pos.x << "," << cell.pos.y;
            seen.insert({cell.pos.x, cell.pos.y});
            // Column c, row r (row 0 the far side) is the cell whose centre the building's own points reach:
            // local (32 (c - 1) + 16, 64 (h - r) + 32) placed at the footprint.
            const int c = static_cast<int>(cell.flags / 16), r = static_cast<int>(cell.flags % 16);
            const platform::Vec3 centre =
                WorldMap::FootprintLocalToWorld(8, 8, w, h, 32.0f * (c - 1) + 16.0f, 64.0f * (h - r) + 32.0f, rotation);
            EXPECT_EQ(WorldMap::WorldToGrid(centre), cell.pos) << rotation << ": column " << c << " row " << r;
        }
        EXPECT_EQ(seen.size(), static_cast<size_t>((w + 2) * (h + 2))) << rotation;
        EXPECT_EQ(cells.size(), seen.size()) << rotation;
        hall->Sell();
        park.Frames(1);
    }
}

TEST(Footprint, HooksTheQueueEntryUpToItsServeCellOnEverySide)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> rows;
        GridPos serve;
        GridPos entry;
        // The entry piece opens on the side towards the serve cell: 0 north 14, 1 east 13, 2 south 15, 3 west 0.
        uint32_t shape;
    };
    const Case cases[] = {
        {"north", {"00I00", "0LQL0", "0LLL0", "00000"}, {10, 12}, {10, 11}, 14},
        {"east", {"00000", "0LLQI", "0LLL0", "00000"}, {12, 11}, {11, 11}, 13},
        {"south", {"00000", "0LLL0", "0LQL0", "00I00"}, {10, 9}, {10, 10}, 15},
        {"west", {"00000", "IQLL0", "0LLL0", "00000"}, {8, 11}, {9, 11}, 0},
    };
    for (const Case& c : cases)
    {
        BuildingPark park(Tables(c.rows), 20);
        BuildingObject* hall = park.Build("HALL", 9, 10);
        ASSERT_NE(hall, nullptr) << c.name;
        EXPECT_EQ(hall->m_ServeInGrid, c.serve) << c.name;
        EXPECT_EQ(hall->m_InsideQueueGrid, c.entry) << c.name;
        const uint32_t entry = park.map->GetFlags(c.entry);
        EXPECT_EQ(entry & (CELL_QUEUE | CELL_BUILDING), static_cast<uint32_t>(CELL_QUEUE | CELL_BUILDING)) << c.name;
        EXPECT_EQ(QueueShapeOf(entry), c.shape) << c.name;
        const uint32_t serve = park.map->GetFlags(c.serve);
        EXPECT_EQ(serve & (CELL_QUEUE | CELL_NO_JOIN), static_cast<uint32_t>(CELL_QUEUE | CELL_NO_JOIN)) << c.name;
        // The body is blocked, raised by its height letter, and no longer walkable.
        EXPECT_EQ(park.map->GetFlags({9, 10}) & (CELL_BUILDING | CELL_WALKABLE), static_cast<uint32_t>(CELL_BUILDING));
        EXPECT_EQ(park.map->GetCell({9, 10})->m_ZOffset, 0.5f);
    }
}

TEST(Footprint, ServeOutCellsBecomeFootpathAndLitterUnderTheBuildingGoes)
{
    // Serve-out cells at (12, 12), ground, and (12, 10), footpath.
    BuildingPark park(Tables({"0000O", "0LLL0", "0LLLO", "00000"}), 20);
    park.Footpath(12, 10);
    park.tiles->RefreshTile({12, 10}, false, true);
    const uint8_t tile = park.map->GetCell({12, 10})->m_uTileIndex;
    Stub* under = park.Make(OBJECT_LITTER, "LITTER");
    under->SetWorldPosition(WorldMap::GridToWorld({10, 11}));
    Stub* beside = park.Make(OBJECT_LITTER, "LITTER");
    beside->SetWorldPosition(WorldMap::GridToWorld({13, 11}));
    const uint32_t cleaner = park.Make(OBJECT_CLEANER, "CLEANER")->GetID();
    BuildingObject* hall = park.Build("HALL", 9, 10);
    EXPECT_TRUE(hall->m_bHasOutGrid);
    EXPECT_NE(park.map->GetFlags({12, 12}) & CELL_FOOTPATH, 0u);
    EXPECT_EQ(park.map->GetCell({12, 10})->m_uTileIndex, tile);
    EXPECT_TRUE(under->IsWaitingForDeath());
    EXPECT_EQ(under->GetState(), static_cast<uint32_t>(STATE_DEMOLISHED));
    EXPECT_FALSE(beside->IsWaitingForDeath());
    // Cleaners hear that the litter is gone.
    const std::vector<Received> told = Taken(MT_BUILDING_BEING_REMOVED);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].receiver, cleaner);
    EXPECT_EQ(told[0].sender, under->GetID());
}

TEST(Footprint, StopsAtTheMapEdgeInsteadOfWrapping)
{
    BuildingPark park(Tables({"I0000", "0LLL0", "0LLLQ", "00000"}), 12);
    BuildingObject* hall = park.Build("HALL", 0, 0);
    ASSERT_NE(hall, nullptr);
    // The ring's west column and south row are off the map; the cells across the map stay as they were.
    for (int y = 0; y < 12; ++y)
        EXPECT_EQ(park.map->GetFlags({11, y}), CELL_WALKABLE | CELL_GRID_WALKABLE) << y;
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(park.map->GetFlags({x, 11}), CELL_WALKABLE | CELL_GRID_WALKABLE) << x;
    EXPECT_EQ(hall->m_ServeInGrid, (GridPos{-1, -1}));
    EXPECT_EQ(park.CountReports("not beside its serve cell"), 1u);
    EXPECT_EQ(hall->GetQueue(), nullptr);
}

TEST(ConstructionRecords, IdsWithoutARecordAnswerNothing)
{
    BuildingPark park(Tables(kNorthServe), 20);
    ConstructionManager& construction = park.Construction();
    construction.SetBuildingReady(1234, true);
    EXPECT_FALSE(construction.IsBuildingReady(1234));
    EXPECT_EQ(construction.IsUnderConstruction(1234), 0.0f);
    EXPECT_EQ(construction.IsUnderDemolition(1234), 0.0f);
    const float cash = park.Cash();
    construction.FinishDemolition(1234);
    EXPECT_EQ(park.Cash(), cash);
    EXPECT_EQ(construction.GetRecordCount(), 0u);
    // Buildings the world script places while the park is built are not counted as constructions.
    park.world->m_bStartup = true;
    park.Build("HALL", 5, 5);
    EXPECT_EQ(construction.GetConstructionCount(), 0);
    EXPECT_EQ(construction.GetRecordCount(), 1u);
}

TEST(ConstructionRecords, SaveAndLoadInTheirOrder)
{
    BuildingPark park(Tables(kNorthServe), 20);
    BuildingObject* hall = park.Build("HALL", 5, 5);
    hall->Sell();
    using namespace savebytes;
    Bytes expected;
    Text(expected, BinarySerialStream::kTagHeader, "Class name : ConstructionManager");
    Tagged(expected, BinarySerialStream::kTagUInt, 8);
    Tagged(expected, BinarySerialStream::kTagUInt, 1);
    Tagged(expected, BinarySerialStream::kTagInt, hall->GetID());
    for (int i = 0; i < 4; ++i)
        F32(expected, 0.0f);
    // Under construction no more, under demolition, not ready (it holds no guests, but has not had its update),
    // not finished.
    for (uint8_t flag : {0, 1, 0, 0})
        Put(expected, {BinarySerialStream::kTagBool, flag});
    Tagged(expected, BinarySerialStream::kTagInt, 2);
    EXPECT_EQ(Saved([&](SerialStream& s) { park.Construction().Dump(s); }), expected);

    ConstructionManager loaded;
    EXPECT_TRUE(LoadFrom(expected, [&](SerialStream& s) { return loaded.Load(s); }));
    EXPECT_EQ(loaded.GetRecordCount(), 1u);
    EXPECT_EQ(loaded.GetConstructionCount(), 2);
    ASSERT_NE(loaded.FindRecord(hall->GetID()), nullptr);
    EXPECT_TRUE(loaded.FindRecord(hall->GetID())->m_bUnderDemolishion);
    // A list cut short leaves the records as they were.
    EXPECT_FALSE(
        LoadFrom(Bytes(expected.begin(), expected.end() - 8), [&](SerialStream& s) { return loaded.Load(s); }));
    EXPECT_EQ(loaded.GetConstructionCount(), 2);
    Bytes huge;
    Text(huge, BinarySerialStream::kTagHeader, "Class name : ConstructionManager");
    Tagged(huge, BinarySerialStream::kTagUInt, 8);
    Tagged(huge, BinarySerialStream::kTagUInt, 0x7FFFFFFF);
    EXPECT_FALSE(LoadFrom(huge, [&](SerialStream& s) { return loaded.Load(s); }));
    EXPECT_EQ(loaded.GetRecordCount(), 1u);
}

} // namespace
