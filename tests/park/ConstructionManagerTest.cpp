// Tests of construction: the footprint a building lays at each turn, each mark of its map grid laid and taken up,
// the queue hook-up, litter under a new building, the map edge, the records of ids it does not know, its save
// record, and the building counts kept from the records.
#include "park/ConstructionManager.h"
#include "park/QueueComponent.h"
#include "scripts/ObjectStates.h"
#include "tests/park/BuildingTestSupport.h"
#include "tests/park/JobsTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/BaseMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace bldtest;

namespace
{

using std::pair;
using std::tuple;

// A building three cells wide and two deep whose one serve cell can be put on any side of the ring; a building
// tile under its body unless the base rows say otherwise.
std::string Tables(const std::vector<std::string>& rows,
                   const std::vector<std::string>& base = {"00000", "0TTT0", "0TTT0", "00000"})
{
    std::vector<std::pair<std::string, std::string>> grid = {{"WIDTH", "3"}, {"HEIGHT", "2"}};
    for (size_t r = 0; r < rows.size(); ++r)
    {
        grid.push_back({"FLAGROW" + std::to_string(r), rows[r]});
        grid.push_back({"ZROW" + std::to_string(r), "0KKK0"});
        grid.push_back({"BASEPLATEROW" + std::to_string(r), base[r]});
    }
    return Record("BUILD", "HALL", {{"COST2BUILD", "400"}}) + Record("MAPGRID", "MAPHALL", grid) +
           Record("SCENERY", "RAIL1", "");
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

        // The cells are the building's own rectangle (as the World turned it) and the ring around it, each once:
        // column c, row r (row 0 the far side) is the cell whose centre the building's own points reach, local
        // (32 (c - 1) + 16, 64 (h - r) + 32) placed at the footprint.
        EXPECT_EQ(pair(int{hall->GetGridW()}, cells.size()), pair(rotation % 2 ? h : w, size_t{(w + 2) * (h + 2)}));
        for (const auto& cell : cells)
        {
            const int c = static_cast<int>(cell.flags / 16), r = static_cast<int>(cell.flags % 16);
            const platform::Vec3 centre =
                WorldMap::FootprintLocalToWorld(8, 8, w, h, 32.0f * (c - 1) + 16.0f, 64.0f * (h - r) + 32.0f, rotation);
            EXPECT_EQ(WorldMap::WorldToGrid(centre), cell.pos) << rotation << ": column " << c << " row " << r;
        }
        hall->Sell();
        park.Frames(1);
    }
}

TEST(Footprint, HooksTheQueueEntryUpToItsServeCellOnEverySide)
{
    // The entry piece opens on the side towards the serve cell: north 14, east 13, south 15, west 0. The serve
    // cell becomes queue path kept to the building; the body is blocked, raised by its height letter (K, 0.5) and
    // no longer walkable.
    const std::tuple<std::vector<std::string>, GridPos, GridPos, uint32_t> cases[] = {
        {{"00I00", "0LQL0", "0LLL0", "00000"}, {10, 12}, {10, 11}, 14},
        {{"00000", "0LLQI", "0LLL0", "00000"}, {12, 11}, {11, 11}, 13},
        {{"00000", "0LLL0", "0LQL0", "00I00"}, {10, 9}, {10, 10}, 15},
        {{"00000", "IQLL0", "0LLL0", "00000"}, {8, 11}, {9, 11}, 0}};
    for (const auto& [rows, serve, entry, shape] : cases)
    {
        BuildingPark park(Tables(rows), 20);
        BuildingObject* hall = park.Build("HALL", 9, 10);
        ASSERT_NE(hall, nullptr) << shape;
        const uint32_t at = park.map->GetFlags(entry), kept = CELL_QUEUE | CELL_NO_JOIN;
        EXPECT_EQ(tuple(hall->m_ServeInGrid, hall->m_InsideQueueGrid, at & (CELL_QUEUE | CELL_BUILDING),
                        QueueShapeOf(at), park.map->GetFlags(serve) & kept),
                  tuple(serve, entry, uint32_t{CELL_QUEUE | CELL_BUILDING}, shape, kept));
        EXPECT_EQ(
            pair(park.map->GetFlags({9, 10}) & (CELL_BUILDING | CELL_WALKABLE), park.map->GetCell({9, 10})->m_ZOffset),
            pair(uint32_t{CELL_BUILDING}, 0.5f));
    }
}

TEST(Footprint, EachMarkOfItsMapGridIsLaidAndTakenUpAgain)
{
    // At (9, 10), rows from y = 12 down to 9, x from 8: a serve-out cell (O) on ground and a cell served both ways
    // (S) in the far ring, a connection (A) and the queue entry (Q) in the body, a path cell (P) on the west, a
    // footpath to lay (E) and a serve-out cell already footpath (its tile kept, its ground texel repainted: C) in
    // the near ring.
    BuildingPark park(Tables({"O00S0", "0LAQ0", "PLLL0", "0E00O"}, {"00000", "0TTT0", "0TTT0", "0000C"}), 20);
    park.tiles->PlacePathTile({12, 9});
    const uint8_t tile = park.map->GetCell({12, 9})->m_uTileIndex;
    // Below E a footpath cell whose path reaches only its side 1, where footpath lies, railed on sides 0 and 3.
    park.tiles->PlacePathTile({10, 9});
    park.tiles->PlacePathTile({9, 8});
    park.tiles->PlacePathTile({10, 8});
    for (int side : {0, 3})
    {
        Stub* rail = park.Make(OBJECT_SCENERY, "RAIL1");
        rail->SetWorldPosition(WorldMap::GridToWorld({9, 8}));
        rail->SetDirection(side);
    }
    // Laying E opens the cell's side 0, and the rail on the side still closed, 3, goes; taking E up closes side 0
    // again, and the take-up adds a rail on the open side that has none, 1, but takes none away: side 0's rail
    // stays. As "rails/open" for sides 0, 1 and 3.
    const auto rails = [&]
    {
        uint8_t edges[4];
        park.tiles->GetPathEdges({9, 8}, edges);
        std::string text;
        for (int side : {0, 1, 3})
        {
            int n = 0;
            for (BaseObject* o : park.map->GetObjectsAt({9, 8}))
                n += o->IsRailPiece() && o->GetDirection() == side && !o->IsWaitingForDeath() ? 1 : 0;
            text += std::to_string(n) + "/" + std::to_string(edges[side]) + " ";
        }
        return text;
    };
    const auto texel = [&] { return park.map->GetBaseMap()->GetTexel(12 + 128, 9 + 128); };
    // Litter on a building tile goes, unless a cleaner is at it; cleaners hear of it. Litter beside stays.
    Stub* under = park.Make(OBJECT_LITTER, "LITTER");
    under->SetWorldPosition(WorldMap::GridToWorld({10, 11}));
    Stub* beside = park.Make(OBJECT_LITTER, "LITTER");
    beside->SetWorldPosition(WorldMap::GridToWorld({13, 11}));
    const uint32_t cleaner = park.Make(OBJECT_CLEANER, "CLEANER")->GetID();
    EXPECT_EQ(pair(rails(), texel()), pair(std::string("1/0 0/1 1/0 "), 0xFF000000u));

    BuildingObject* hall = park.Build("HALL", 9, 10);
    ASSERT_NE(hall, nullptr);
    const uint32_t walk = CELL_WALKABLE, body = CELL_BUILDING, path = CELL_FOOTPATH, kept = CELL_QUEUE | CELL_NO_JOIN;
    const std::tuple<const char*, GridPos, uint32_t, uint32_t, uint32_t> marks[] = {
        // Letter, cell, the flags looked at, as built and when gone.
        {"E", {9, 9}, body | path | walk, body | path, walk},
        {"S", {11, 12}, kept | body, kept, 0},
        {"A", {10, 11}, body | CELL_CONNECTION | walk, body | CELL_CONNECTION, walk},
        {"Q", {11, 11}, body | CELL_NO_JOIN | walk, body, walk},
        {"P", {8, 10}, path | walk, path | walk, path | walk},
        {"O", {8, 12}, path | body, path, path},
        {"O on a footpath", {12, 9}, path | body, path, path}};
    for (const auto& [name, cell, mask, built, gone] : marks)
        EXPECT_EQ(park.map->GetFlags(cell) & mask, built) << name;
    EXPECT_EQ(tuple(hall->m_ServeInOutGrid, hall->m_ServeOutGrid, hall->m_bHasOutGrid, hall->GetQueue()->IsTwoWay(),
                    park.map->GetCell({12, 9})->m_uTileIndex, texel(), rails()),
              tuple(GridPos{11, 12}, GridPos{12, 9}, true, true, tile, 0u, std::string("1/1 0/1 0/0 ")));
    const std::vector<Received> told = Taken(MT_BUILDING_BEING_REMOVED);
    EXPECT_EQ(tuple(under->IsWaitingForDeath(), under->GetState(), beside->IsWaitingForDeath(), told.size()),
              tuple(true, uint32_t{STATE_DEMOLISHED}, false, size_t{1}));
    EXPECT_TRUE(told.size() == 1 && told[0].receiver == cleaner && told[0].sender == under->GetID());
    // A loaded building repaints its ground; construction marks on a cell of the building go with it.
    park.map->GetBaseMap()->PaintTexel(12 + 128, 9 + 128, 0xFF00FF00);
    park.Construction().RepaintGround(hall->GetID());
    EXPECT_EQ(texel(), 0u);
    park.map->GetCell({10, 11})->m_uiFlags |= CELL_CONSTRUCTION;

    park.Frames(1);
    hall->Sell();
    park.Frames(2);
    ASSERT_EQ(park.objects->GetObjectsOfKind(OBJECT_BUILDING).size(), 0u);
    for (const auto& [name, cell, mask, built, gone] : marks)
        EXPECT_EQ(park.map->GetFlags(cell) & mask, gone) << name;
    EXPECT_EQ(tuple(park.map->GetFlags({10, 11}) & CELL_CONSTRUCTION, park.map->GetCell({10, 11})->m_ZOffset, texel(),
                    rails()),
              tuple(0u, 0.0f, 0xFF000000u, std::string("1/0 1/1 0/0 ")));
}

TEST(Footprint, StopsAtTheMapEdgeInsteadOfWrapping)
{
    BuildingPark park(Tables({"I0000", "0LLL0", "0LLLQ", "00000"}), 12);
    BuildingObject* hall = park.Build("HALL", 0, 0);
    ASSERT_NE(hall, nullptr);
    // Data for a footprint wider than a map grid holds is cut to it (43 and the ring, x -1 to 43, y -1 to 2), with
    // a report.
    BuildingInfo& info = park.params->GetBuildingInfo(park.params->FindBuilding("HALL"));
    info.iGridWidth = 60;
    EXPECT_EQ(ConstructionManager::WalkFootprint(*hall).size(), 12u * 3u);
    // One of no width is its ring alone (x -1 and 0).
    info.iGridWidth = -5;
    EXPECT_EQ(ConstructionManager::WalkFootprint(*hall).size(), 1u * 3u);
    EXPECT_EQ(pair(park.CountReports("is cut to 43 x 2 cells"), park.CountReports("is cut to 0 x 2 cells")),
              pair(size_t{1}, size_t{1}));
    // The ring's west column and south row are off the map; the cells across the map stay as they were.
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(park.map->GetFlags({11, i}) | park.map->GetFlags({i, 11}), CELL_WALKABLE | CELL_GRID_WALKABLE) << i;
    EXPECT_EQ(tuple(hall->m_ServeInGrid, park.CountReports("not beside its serve cell"), hall->GetQueue()),
              tuple(GridPos{-1, -1}, size_t{1}, nullptr));
}

TEST(ConstructionRecords, IdsWithoutARecordAnswerNothing)
{
    BuildingPark park(Tables(kNorthServe), 20);
    ConstructionManager& construction = park.Construction();
    const float cash = park.Cash();
    construction.SetBuildingReady(1234, true);
    construction.FinishDemolition(1234);
    EXPECT_EQ(tuple(construction.IsBuildingReady(1234), construction.IsUnderConstruction(1234),
                    construction.IsUnderDemolition(1234), park.Cash(), construction.GetRecordCount()),
              tuple(false, 0.0f, 0.0f, cash, size_t{0}));
    // Buildings the world script places while the park is built are not counted as constructions. A building
    // that lost its record is still pulled down, and paid for.
    park.world->m_bStartup = true;
    BuildingObject* hall = park.Build("HALL", 5, 5);
    EXPECT_EQ(pair(construction.GetConstructionCount(), construction.GetRecordCount()), pair(0, size_t{1}));
    construction.RemoveRecord(hall->GetID());
    hall->Sell();
    park.Frames(2);
    EXPECT_EQ(tuple(park.Cash(), construction.GetRecordCount(), construction.GetConstructionCount()),
              tuple(cash + 300.0f, size_t{0}, 1));
}

TEST(ConstructionRecords, SaveAndLoadInTheirOrder)
{
    BuildingPark park(Tables(kNorthServe), 20);
    BuildingObject* hall = park.Build("HALL", 5, 5);
    hall->Sell();
    using namespace savebytes;
    const auto head = [](uint32_t count)
    {
        Bytes bytes;
        Text(bytes, BinarySerialStream::kTagHeader, "Class name : ConstructionManager");
        Tagged(bytes, 5, 8);
        Tagged(bytes, 5, count);
        return bytes;
    };
    Bytes expected = head(1);
    Tagged(expected, 11, hall->GetID());
    for (int i = 0; i < 4; ++i)
        F32(expected, 0.0f);
    // Under construction no more, under demolition, not ready (it holds no guests, but has not had its update),
    // not finished.
    for (uint8_t flag : {0, 1, 0, 0})
        Put(expected, {BinarySerialStream::kTagBool, flag});
    Tagged(expected, 11, 2);
    EXPECT_EQ(Saved([&](SerialStream& s) { park.Construction().Dump(s); }), expected);

    ConstructionManager loaded;
    const auto load = [&](const Bytes& bytes)
    {
        const bool ok = LoadFrom(bytes, [&](SerialStream& s) { return loaded.Load(s); });
        const ConstructionManager::Record* record = loaded.FindRecord(hall->GetID());
        return tuple(ok, loaded.GetRecordCount(), loaded.GetConstructionCount(), record && record->m_bUnderDemolishion);
    };
    EXPECT_EQ(load(expected), tuple(true, size_t{1}, 2, true));
    // A list cut short, or one longer than reason, leaves the records as they were, with a report.
    EXPECT_EQ(load(Bytes(expected.begin(), expected.end() - 8)), tuple(false, size_t{1}, 2, true));
    EXPECT_EQ(load(head(0x7FFFFFFF)), tuple(false, size_t{1}, 2, true));
    EXPECT_EQ(tuple(park.CountReports("cut short"), park.CountReports("more than"), park.reports.boxes.size()),
              tuple(size_t{1}, size_t{1}, size_t{2}));
}

TEST(ConstructionRecords, IdsThatAreNoBuildingGetNoRecord)
{
    jobstest::JobPark park;
    ConstructionManager& construction = park.Construction();
    Stub* litter = park.At(OBJECT_LITTER, "LITTER", 0, 0);
    park.cleaning.RequestCleaning(litter->GetID());
    const uint32_t state = litter->GetState();
    // Litter and an id no object has: nothing is recorded, counted, cancelled, told or moved on.
    for (uint32_t id : {litter->GetID(), uint32_t{777777}})
    {
        construction.StartConstruction(id);
        EXPECT_EQ(construction.StartDemolition(id), 0) << id;
    }
    EXPECT_EQ(tuple(construction.GetRecordCount(), construction.GetConstructionCount(),
                    park.cleaning.GetPending().size(), Taken(MT_BUILDING_BEING_REMOVED).size(), litter->GetState()),
              tuple(size_t{0}, 0, size_t{1}, size_t{0}, state));
}

TEST(BuildingCounts, StayExactThroughBuildingDemolitionLoadsAndRemovals)
{
    jobstest::JobPark park;
    ConstructionManager& records = park.Construction();
    const char* const names[] = {"KIOSK", "RESTSMALL", "POOL", "NOTHING"};
    // A recount from the building pool and the first record of each id in the order the records were made.
    const auto recount = [&](const char* name, bool finishedOnly)
    {
        uint32_t count = 0;
        for (uint32_t i = 0; i < park.objects->GetPoolCount(ObjectManager::POOL_BUILDING); ++i)
        {
            const BaseObject* building = park.objects->GetPoolObject(ObjectManager::POOL_BUILDING, i);
            if (std::strcmp(building->GetName(), name) != 0)
                continue;
            const ConstructionManager::Record* first = nullptr;
            for (const auto& record : records.GetRecords())
            {
                if (record->BuildID == building->GetID())
                {
                    first = record.get();
                    break;
                }
            }
            count += !finishedOnly || !first || (!first->m_bUnderConstruction && !first->m_bUnderDemolishion) ? 1 : 0;
        }
        return count;
    };
    const int32_t kiosk = park.params->FindBuilding("KIOSK");
    // Each step's counts against the recount, and the kiosks as the World and its script read them.
    const auto check = [&](const char* step, uint32_t kiosks, uint32_t finishedKiosks)
    {
        for (const char* name : names)
            for (bool finished : {false, true})
                EXPECT_EQ(records.CountBuildings(name, finished), recount(name, finished))
                    << step << ": " << name << (finished ? " finished" : "");
        const ScriptValue read = park.world->GetScriptVariable({WV_BuildingCount, 0, 0.0f, "KIOSK"});
        EXPECT_EQ(tuple(park.world->CountBuildings(kiosk), park.world->CountFinishedBuildings(kiosk), read.data),
                  tuple(kiosks, finishedKiosks, kiosks))
            << step;
    };
    check("none", 0, 0);
    BuildingObject* a = park.Small("KIOSK", 10);
    BuildingObject* b = park.Small("KIOSK", 12);
    BuildingObject* toilet = park.Small("RESTSMALL", 14);
    BuildingObject* pool = park.Small("POOL", 16);
    BuildingObject* extra = park.Small("POOL", 20);
    ASSERT_TRUE(a && b && toilet && pool && extra);
    const uint32_t bId = b->GetID(), toiletId = toilet->GetID(), extraId = extra->GetID();
    check("built", 2, 2);
    b->Sell();
    check("one going", 2, 1);
    // Without its record the building is no longer being demolished; it is still pulled down.
    records.RemoveRecord(bId);
    check("its record dropped", 2, 2);
    park.Frames(3);
    ASSERT_EQ(park.objects->GetObject(bId), nullptr);
    check("gone", 1, 1);
    // A pool taken away and a kiosk made as a saved game makes its buildings (no record yet): as many buildings as
    // before.
    park.objects->RemoveObject(extraId);
    BaseObject* c = park.objects->CreateObject("KIOSK", OBJECT_BUILDING);
    ASSERT_NE(c, nullptr);
    const uint32_t cId = c->GetID();
    check("a kiosk for a pool", 2, 2);

    // Loaded records: the pool's first record (under construction) stands before its second (being demolished).
    using namespace savebytes;
    Bytes saved;
    Text(saved, BinarySerialStream::kTagHeader, "Class name : ConstructionManager");
    Tagged(saved, 5, 8);
    Tagged(saved, 5, 5);
    const tuple<uint32_t, bool, bool> loaded[] = {{pool->GetID(), true, false},
                                                  {toiletId, false, true},
                                                  {pool->GetID(), false, true},
                                                  {cId, true, false},
                                                  {777777, true, false}};
    for (const auto& [id, building, demolishing] : loaded)
    {
        Tagged(saved, 11, id);
        for (int i = 0; i < 4; ++i)
            F32(saved, 0.0f);
        for (bool flag : {building, demolishing, false, false})
            Put(saved, {BinarySerialStream::kTagBool, static_cast<uint8_t>(flag)});
    }
    Tagged(saved, 11, 9);
    ASSERT_TRUE(LoadFrom(saved, [&](SerialStream& s) { return records.Load(s); }));
    check("loaded", 2, 1);
    // An id whose object is gone is under nothing, whatever its record says.
    EXPECT_EQ(tuple(records.IsUnderConstruction(pool->GetID()), records.IsUnderDemolition(pool->GetID()),
                    records.IsUnderDemolition(toiletId), records.IsUnderConstruction(777777),
                    records.GetConstructionCount()),
              tuple(1.0f, 0.0f, 1.0f, 0.0f, 9));
    // Dropping the pool's record drops both.
    records.RemoveRecord(pool->GetID());
    EXPECT_EQ(records.GetRecordCount(), size_t{3});
    check("the pool's records dropped", 2, 1);
    // The toilet's demolition keeps its record; it goes when done.
    toilet->Sell();
    check("the toilet going", 2, 1);
    park.Frames(3);
    ASSERT_EQ(park.objects->GetObject(toiletId), nullptr);
    check("the toilet gone", 2, 1);
    // A load cut short changes no record, but the buildings are counted again all the same.
    EXPECT_FALSE(LoadFrom(Bytes(saved.begin(), saved.begin() + 40), [&](SerialStream& s) { return records.Load(s); }));
    park.objects->RemoveObject(cId);
    check("the kiosk removed", 1, 1);
}

TEST(Footprint, ABuildingReadBackFromASaveClearsTheGroundUnderItAgain)
{
    // A saved park is read back onto ground as the grid file made it. The ground a building cleared when it was
    // built is cleared again as the building is read, at every turn, though the park's objects are only taken in
    // once all of them are read.
    constexpr int kSize = 20;
    constexpr uint32_t kGrass = 0xFF00FF00;
    for (int rotation = 0; rotation < 4; ++rotation)
    {
        BuildingPark park(Tables(kNorthServe, {"00000", "0TCT0", "0CTT0", "00000"}), kSize);
        const auto ground = [&]
        {
            std::vector<uint32_t> texels;
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x)
                    texels.push_back(
                        park.map->GetBaseMap()->GetTexel(x + BaseMap::kCellOffset, y + BaseMap::kCellOffset));
            return texels;
        };
        // The ground as a new park lays it: grass everywhere.
        const auto lay = [&]
        {
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x)
                    park.map->GetBaseMap()->PaintTexel(x + BaseMap::kCellOffset, y + BaseMap::kCellOffset, kGrass);
        };
        lay();
        BuildingObject* hall = park.Build("HALL", 9, 10, rotation);
        ASSERT_NE(hall, nullptr) << rotation;
        park.Frames(1);
        const std::vector<uint32_t> built = ground();
        // The two cells of its base marked for repainting are cleared, and no others.
        ASSERT_EQ(std::count(built.begin(), built.end(), 0u), 2) << rotation;
        ASSERT_EQ(std::count(built.begin(), built.end(), kGrass), kSize * kSize - 2) << rotation;
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });

        hall->Sell();
        park.Frames(3);
        ASSERT_TRUE(park.objects->GetObjectsOfKind(OBJECT_BUILDING).empty()) << rotation;
        lay();
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); })) << rotation;
        ASSERT_EQ(park.objects->GetObjectsOfKind(OBJECT_BUILDING).size(), 1u) << rotation;
        EXPECT_EQ(ground(), built) << rotation;
    }
}

TEST(Footprint, OfABuildingFarOffTheMapCoversNoCellHoweverFar)
{
    // A building read back from a save may stand anywhere a float reaches: a hundred cells off the map, or at the
    // far end of the numbers a cell has. Its footprint (five cells by four with its ring) covers no cell of the map,
    // whichever way it is turned, and the map keeps its marks when the building is read back or sold.
    constexpr int kSize = 20;
    const std::pair<float, float> places[] = {{-32.0f * 100, 64.0f * 5},
                                              {32.0f * 120, 64.0f * 5},
                                              {32.0f * 5, -64.0f * 100},
                                              {32.0f * 5, 64.0f * 120},
                                              {-1e30f, 64.0f * 5},
                                              {32.0f * 5, -1e30f},
                                              {1e30f, 1e30f},
                                              {-1e30f, -1e30f}};
    for (int rotation = 0; rotation < 4; ++rotation)
    {
        for (const auto& [x, y] : places)
        {
            SCOPED_TRACE(std::to_string(rotation) + " at " + std::to_string(x) + ", " + std::to_string(y));
            BuildingPark park(Tables(kNorthServe, {"00000", "0TCT0", "0CTT0", "00000"}), kSize);
            BuildingObject* hall = park.Build("HALL", 9, 10, rotation);
            ASSERT_NE(hall, nullptr);
            park.Frames(1);
            std::vector<uint32_t> flags;
            for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
                flags.push_back(park.map->CellAt(i).m_uiFlags);
            hall->SetWorldPosition({x, y, 0.0f});
            EXPECT_TRUE(ConstructionManager::WalkFootprint(*hall).empty());
            ConstructionManager::RepaintGround(*hall);
            hall->Sell();
            park.Frames(3);
            EXPECT_TRUE(park.objects->GetObjectsOfKind(OBJECT_BUILDING).empty());
            for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
                EXPECT_EQ(park.map->CellAt(i).m_uiFlags & (CELL_BUILDING | CELL_WALKABLE),
                          flags[i] & (CELL_BUILDING | CELL_WALKABLE))
                    << i;
        }
    }
}

} // namespace
