// Tests of the path and queue tile set: the table files (written here, scrambled, with comments and separators, and
// hostile ones), the tiles and neighbour marks of laid and removed footpath, the queue shapes of laid, removed and
// joined queue pieces, the cells that never join, the path edges and the rails along them.
#include "tests/world/GridTestSupport.h"
#include "tests/world/WorldTestSupport.h"

#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "world/CreationRequests.h"
#include "world/PathTileSet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace gridtest;

namespace
{

// One record of a table file: the eight mask bits, bit 0 first, and the value.
std::string Record(uint32_t mask, int value)
{
    std::string text;
    for (int bit = 0; bit < 8; ++bit)
        text += (mask >> bit & 1u) ? "1 " : "0 ";
    return text + std::to_string(value) + "\n";
}

// A scrambled file (every byte inverted) under the folder, with the name's last four characters made ".ble".
void WriteScrambled(const std::string& dir, const std::string& name, const std::string& text)
{
    const std::string path = dir + "/" + name.substr(0, name.size() - 4) + ".ble";
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::vector<uint8_t> bytes(text.begin(), text.end());
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(~b);
    testsupport::WriteBytes(path, bytes);
}

// Side masks use bits 0, 2, 4 and 6 for sides 0 to 3.
constexpr uint32_t kSide0 = 0x01, kSide1 = 0x04, kSide2 = 0x10, kSide3 = 0x40;

// The test's tables. Footpath: every mask shows the tile of its own number. Queue tiles: one or two joined
// sides give the shape open on exactly those sides, no side the free piece; anything else defers (254) to the
// queue path table, which gives shape 13, and 200 (no shape) for all four sides.
void WriteTables(const std::string& dir)
{
    std::string paths = "// footpath tiles: the mask's own number\n";
    for (uint32_t m = 0; m < 256; ++m)
        paths += Record(m, static_cast<int>(m));
    WriteScrambled(dir, "data/pathtiles.dat", paths);

    const std::pair<uint32_t, int> shapes[] = {{0, 8},
                                               {kSide0, 7},
                                               {kSide1, 5},
                                               {kSide2, 4},
                                               {kSide3, 6},
                                               {kSide0 | kSide2, 2},
                                               {kSide1 | kSide3, 3},
                                               {kSide1 | kSide2, 9},
                                               {kSide0 | kSide1, 10},
                                               {kSide0 | kSide3, 11},
                                               {kSide2 | kSide3, 12}};
    std::string queueTiles;
    for (uint32_t m = 0; m < 256; ++m)
        queueTiles += Record(m, 254);
    for (const auto& [mask, shape] : shapes)
        queueTiles += Record(mask, shape) + " ;\n";
    WriteScrambled(dir, PathTileSet::kQueueTilesFile, queueTiles);

    std::string queuePath;
    for (uint32_t m = 0; m < 256; ++m)
        queuePath += Record(m, m == 0x55 ? 200 : 13);
    WriteScrambled(dir, PathTileSet::kQueuePathFile, queuePath);
}

// A world that keeps the creation requests it is sent.
class RequestWorld : public World
{
public:
    bool HandleMessage(const MessageRecord& record, const void* payload) override
    {
        if (!payload)
            return World::HandleMessage(record, payload);
        records.push_back(record);
        requests.push_back(*static_cast<const SceneryCreationRequest*>(payload));
        return true;
    }
    std::vector<MessageRecord> records;
    std::vector<SceneryCreationRequest> requests;
};

// A scenery piece standing on a cell, turned to a side; a rail piece or not.
class Piece : public StaticObject
{
public:
    Piece(const char* name, bool rail, GridPos cell, int32_t side) : StaticObject(8), m_bRail(rail)
    {
        Create(name);
        SetType(OBJECT_SCENERY);
        SetDirection(side);
        SetWorldPosition(WorldMap::GridToWorld(cell));
    }
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool IsRailPiece() const override { return m_bRail; }
    void Demolish() override { ++demolished; }
    int demolished = 0;

private:
    bool m_bRail;
};

class TileSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteTables(dir.Path());
        tiles = std::make_unique<PathTileSet>("data/pathtiles.dat", nullptr);
        ASSERT_TRUE(tiles->IsLoaded());
    }

    MapCell& Cell(int32_t x, int32_t y) { return *map->GetCell({x, y}); }
    uint32_t Shape(int32_t x, int32_t y) { return QueueShapeOf(Cell(x, y).m_uiFlags); }
    uint32_t Tile(int32_t x, int32_t y) { return Cell(x, y).m_uTileIndex; }
    uint32_t Marks(int32_t x, int32_t y) { return (Cell(x, y).m_uiFlags >> 16) & 0xFF; }

    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd{dir.Path()};
    testsupport::RecordingReportSink reports;
    std::unique_ptr<WorldMap> map = MakeMap({".....", ".....", ".....", ".....", "....."});
    std::unique_ptr<PathTileSet> tiles;
};

} // namespace

TEST_F(TileSetTest, LayingFootpathMarksEveryNeighbourAndRetilesTheFootpathOnes)
{
    ASSERT_TRUE(tiles->PlacePathTile({2, 2}));
    EXPECT_TRUE(Cell(2, 2).m_uiFlags & CELL_FOOTPATH);
    EXPECT_EQ(Tile(2, 2), 0u);
    // Each neighbour records the new footpath in the direction in which it sees it.
    EXPECT_EQ(Marks(2, 3), 1u << 4);
    EXPECT_EQ(Marks(3, 3), 1u << 5);
    EXPECT_EQ(Marks(3, 2), 1u << 6);
    EXPECT_EQ(Marks(3, 1), 1u << 7);
    EXPECT_EQ(Marks(2, 1), 1u << 0);
    EXPECT_EQ(Marks(1, 1), 1u << 1);
    EXPECT_EQ(Marks(1, 2), 1u << 2);
    EXPECT_EQ(Marks(1, 3), 1u << 3);
    EXPECT_EQ(Marks(0, 0), 0u);
    EXPECT_EQ(Cell(3, 2).m_uiFlags, 0x80000001u | 1u << 22);
    // A second footpath to the east: both tiles follow their masks.
    ASSERT_TRUE(tiles->PlacePathTile({3, 2}));
    EXPECT_EQ(Tile(3, 2), 0x40u);
    EXPECT_EQ(Tile(2, 2), 0x04u);
    // Taking it away clears its marks and retiles the one left.
    ASSERT_TRUE(tiles->RemovePathTile({3, 2}));
    EXPECT_FALSE(Cell(3, 2).m_uiFlags & CELL_FOOTPATH);
    EXPECT_EQ(Marks(2, 2), 0u);
    EXPECT_EQ(Tile(2, 2), 0u);
    EXPECT_EQ(Marks(3, 2), 1u << 6);
    EXPECT_FALSE(tiles->IsUpdating());
}

TEST_F(TileSetTest, AMaskWhoseEntryIs255ShowsTile8)
{
    for (const GridPos& p : {GridPos{1, 1}, GridPos{2, 1}, GridPos{3, 1}, GridPos{1, 2}, GridPos{3, 2}, GridPos{1, 3},
                             GridPos{2, 3}, GridPos{3, 3}})
        ASSERT_TRUE(tiles->PlacePathTile(p));
    ASSERT_TRUE(tiles->PlacePathTile({2, 2}));
    EXPECT_EQ(Marks(2, 2), 0xFFu);
    EXPECT_EQ(Tile(2, 2), 8u);
    // A building cell keeps its tile byte.
    Cell(0, 0).m_uiFlags |= CELL_BUILDING;
    Cell(0, 0).m_uTileIndex = 77;
    ASSERT_TRUE(tiles->PlacePathTile({0, 0}));
    EXPECT_EQ(Tile(0, 0), 77u);
}

TEST_F(TileSetTest, AFreeQueuePieceTurnsToTheFootpathLaidBesideIt)
{
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, 8));
    ASSERT_TRUE(tiles->PlacePathTile({3, 2})); // on side 1 of the piece
    EXPECT_EQ(Shape(2, 2), 5u);
    // The footpath joins the queue on its west side only, with no corners.
    EXPECT_EQ(Tile(3, 2), 0x40u);
    // Removing the footpath frees the piece again.
    ASSERT_TRUE(tiles->RemovePathTile({3, 2}));
    EXPECT_EQ(Shape(2, 2), 8u);
}

TEST_F(TileSetTest, QueuePiecesUnderABuildingAndFootpathNeighboursAreNotTurned)
{
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, 5));
    Cell(2, 2).m_uiFlags |= CELL_BUILDING;
    ASSERT_TRUE(tiles->PlacePathTile({3, 3}));
    ASSERT_TRUE(tiles->PlacePathTile({3, 2}));
    ASSERT_TRUE(tiles->RemovePathTile({3, 2}));
    EXPECT_EQ(Shape(2, 2), 5u);
    EXPECT_EQ(Cell(3, 3).m_uiFlags & CELL_QUEUE_SHAPE, 0u);
    ASSERT_TRUE(tiles->SetQueueTileShape({1, 1}, 8));
    Cell(1, 1).m_uiFlags |= CELL_BUILDING;
    ASSERT_TRUE(tiles->PlacePathTile({1, 2}));
    EXPECT_EQ(Shape(1, 1), 8u);
}

TEST_F(TileSetTest, CellsThatBothCarryTheNoJoinFlagNeverJoin)
{
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, 8));
    Cell(2, 2).m_uiFlags |= CELL_NO_JOIN;
    Cell(3, 2).m_uiFlags |= CELL_NO_JOIN;
    ASSERT_TRUE(tiles->PlacePathTile({3, 2}));
    EXPECT_EQ(Shape(2, 2), 8u);
    EXPECT_EQ(Tile(3, 2), 0u);
    // One of the two without it joins.
    Cell(3, 2).m_uiFlags &= ~CELL_NO_JOIN;
    ASSERT_TRUE(tiles->PlacePathTile({3, 2}));
    EXPECT_EQ(Shape(2, 2), 5u);
}

TEST_F(TileSetTest, RemovingTheQueueCellOnSideZeroOfAStraightPieceLeavesAnEnd)
{
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, 2)); // open to y + 1 and y - 1
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 3}, 4)); // open to y - 1, towards it
    ASSERT_TRUE(tiles->RemoveQueueTile({2, 3}));
    EXPECT_FALSE(Cell(2, 3).m_uiFlags & CELL_QUEUE);
    EXPECT_EQ(Shape(2, 2), 4u);
    // Its other neighbour going too leaves the free piece.
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 1}, 7));
    ASSERT_TRUE(tiles->RemoveQueueTile({2, 1}));
    EXPECT_EQ(Shape(2, 2), 8u);
}

TEST_F(TileSetTest, AQueueLaidFromAFootpathOpensTowardsItAndJoinsTheNextPiece)
{
    ASSERT_TRUE(tiles->PlacePathTile({0, 2}));
    ASSERT_TRUE(tiles->PlaceQueueTile({1, 2}));
    EXPECT_EQ(Shape(1, 2), 6u); // open to the footpath in the west
    EXPECT_EQ(Tile(0, 2), 0x04u);
    ASSERT_TRUE(tiles->PlaceQueueTile({2, 2}));
    EXPECT_EQ(Shape(2, 2), 6u); // open to the queue behind it
    EXPECT_EQ(Shape(1, 2), 3u); // now open east and west
    EXPECT_TRUE(tiles->IsQueueOpenTowards({1, 2}, {2, 2}));
    EXPECT_TRUE(tiles->IsQueueOpenTowards({1, 2}, {0, 2}));
    EXPECT_FALSE(tiles->IsQueueOpenTowards({1, 2}, {1, 3}));
    // Removing the end piece makes the middle one the end again; the footpath keeps its joined tile.
    ASSERT_TRUE(tiles->RemoveQueueTile({2, 2}));
    EXPECT_EQ(Shape(1, 2), 6u);
    EXPECT_EQ(Tile(0, 2), 0x04u);
    // Removing the last piece retiles the footpath it opened onto.
    ASSERT_TRUE(tiles->RemoveQueueTile({1, 2}));
    EXPECT_EQ(Tile(0, 2), 0u);
}

TEST_F(TileSetTest, AFootpathBesideAnOpeningQueueLosesTheCornersOnThatSide)
{
    ASSERT_TRUE(tiles->PlacePathTile({3, 3}));
    ASSERT_TRUE(tiles->PlacePathTile({3, 1}));
    EXPECT_EQ(Marks(2, 2), 0x0Au); // corner footpaths in directions 1 and 3
    ASSERT_TRUE(tiles->SetQueueTileShape({3, 2}, 6));
    ASSERT_TRUE(tiles->PlacePathTile({2, 2}));
    EXPECT_EQ(Tile(2, 2), 0x04u);
    // Without the queue the corners stand.
    ASSERT_TRUE(tiles->RemoveQueueTile({3, 2}));
    ASSERT_TRUE(tiles->PlacePathTile({2, 2}));
    EXPECT_EQ(Tile(2, 2), 0x0Au);
}

TEST_F(TileSetTest, QueueShapesComeFromTheQueueTablesAndStayInTheirBits)
{
    // Free pieces on three sides: the three-sided mask defers to the queue path table.
    for (const GridPos& p : {GridPos{2, 3}, GridPos{3, 2}, GridPos{2, 1}})
        ASSERT_TRUE(tiles->SetQueueTileShape(p, 8));
    ASSERT_TRUE(tiles->PlaceQueueTile({2, 2}));
    EXPECT_EQ(Shape(2, 2), 13u); // open to side 1 only
    EXPECT_EQ(Shape(3, 2), 6u);  // the piece it opens onto turns towards it
    EXPECT_EQ(Shape(2, 3), 8u);
    EXPECT_EQ(Shape(2, 1), 8u);
    // All four sides: the table gives 200, which is no shape.
    ASSERT_TRUE(tiles->RemoveQueueTile({2, 2}));
    for (const GridPos& p : {GridPos{2, 3}, GridPos{3, 2}, GridPos{2, 1}, GridPos{1, 2}})
        ASSERT_TRUE(tiles->SetQueueTileShape(p, 8));
    Cell(2, 2).m_uiFlags |= 0x0F0000F0;
    ASSERT_TRUE(tiles->PlaceQueueTile({2, 2}));
    EXPECT_EQ(Shape(2, 2), 8u);
    EXPECT_EQ(Cell(2, 2).m_uiFlags & ~CELL_QUEUE_SHAPE, 0xCF0000F1u);
    // Shapes beyond 15 are refused.
    EXPECT_FALSE(tiles->SetQueueTileShape({0, 0}, 16));
    EXPECT_FALSE(Cell(0, 0).m_uiFlags & CELL_QUEUE);
}

TEST_F(TileSetTest, SettingAQueueShapeRetilesTheFootpathBesideIt)
{
    ASSERT_TRUE(tiles->PlacePathTile({1, 2}));
    EXPECT_EQ(Tile(1, 2), 0u);
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, 6));
    EXPECT_EQ(Tile(1, 2), 0x04u);
    EXPECT_EQ(Cell(2, 2).m_uiFlags & (CELL_QUEUE | CELL_QUEUE_SHAPE), CELL_QUEUE | 0x600u);
}

TEST_F(TileSetTest, RefreshingAQueueCellTurnsTheFreePiecesAndFootpathBesideIt)
{
    ASSERT_TRUE(tiles->PlacePathTile({1, 2}));
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, 8));
    ASSERT_TRUE(tiles->SetQueueTileShape({3, 2}, 8));
    Cell(1, 2).m_uTileIndex = 0xEE;
    // Footpath to the west and a free piece to the east: a straight east-west piece, which turns the free piece
    // towards it and rejoins the footpath.
    ASSERT_TRUE(tiles->RefreshTile({2, 2}, false, false));
    EXPECT_EQ(Shape(2, 2), 3u);
    EXPECT_EQ(Shape(3, 2), 6u);
    EXPECT_EQ(Tile(1, 2), 0x04u);
    // A piece that comes out free (its footpath neighbour may not join it) leaves its neighbours alone.
    ASSERT_TRUE(tiles->SetQueueTileShape({0, 0}, 2));
    ASSERT_TRUE(tiles->PlacePathTile({0, 1}));
    Cell(0, 0).m_uiFlags |= CELL_NO_JOIN;
    Cell(0, 1).m_uiFlags |= CELL_NO_JOIN;
    Cell(0, 1).m_uTileIndex = 0xEE;
    ASSERT_TRUE(tiles->RefreshTile({0, 0}, false, false));
    EXPECT_EQ(Shape(0, 0), 8u);
    EXPECT_EQ(Tile(0, 1), 0xEEu);
}

TEST_F(TileSetTest, QueuePiecesTurnAsTheirTablesSayWhenANeighbourComesOrGoes)
{
    // Shape, side, what laying footpath on that side makes of it and what removing it makes (-1: unchanged).
    const struct
    {
        uint32_t shape;
        int side, joined, departed;
    } turns[] = {{2, 0, -1, 4},   {2, 1, -1, -1},  {2, 2, -1, 7},  {2, 3, -1, -1},  {3, 0, -1, -1}, {3, 1, -1, 6},
                 {3, 2, -1, -1},  {3, 3, -1, 5},   {4, 0, 2, -1},  {4, 1, 9, -1},   {4, 2, -1, 8},  {4, 3, 12, -1},
                 {5, 0, 10, -1},  {5, 1, -1, 8},   {5, 2, 9, -1},  {5, 3, 3, -1},   {6, 0, 11, -1}, {6, 1, 3, -1},
                 {6, 2, 12, -1},  {6, 3, -1, 8},   {7, 0, -1, 8},  {7, 1, 10, -1},  {7, 2, 2, -1},  {7, 3, 11, -1},
                 {8, 0, 7, -1},   {8, 1, 5, -1},   {8, 2, 4, -1},  {8, 3, 6, -1},   {9, 1, -1, 4},  {9, 2, -1, 5},
                 {9, 0, -1, -1},  {10, 0, -1, 5},  {10, 1, -1, 7}, {10, 2, -1, -1}, {11, 0, -1, 6}, {11, 3, -1, 7},
                 {11, 1, -1, -1}, {12, 2, -1, 6},  {12, 3, -1, 4}, {12, 0, -1, -1}, {0, 3, -1, -1}, {13, 1, -1, -1},
                 {14, 0, -1, -1}, {15, 2, -1, -1}, {1, 0, -1, -1}};
    const GridPos sides[4] = {{2, 3}, {3, 2}, {2, 1}, {1, 2}};
    for (const auto& t : turns)
    {
        const GridPos neighbour = sides[t.side];
        ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, t.shape));
        ASSERT_TRUE(tiles->PlacePathTile(neighbour));
        EXPECT_EQ(Shape(2, 2), t.joined < 0 ? t.shape : uint32_t(t.joined)) << t.shape << " joined on " << t.side;
        ASSERT_TRUE(tiles->RemovePathTile(neighbour));
        // Removal starts from the shape as it stood with the footpath there.
        ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, t.shape));
        Cell(neighbour.x, neighbour.y).m_uiFlags |= CELL_FOOTPATH;
        ASSERT_TRUE(tiles->RemovePathTile(neighbour));
        EXPECT_EQ(Shape(2, 2), t.departed < 0 ? t.shape : uint32_t(t.departed)) << t.shape << " left on " << t.side;
    }
}

TEST_F(TileSetTest, EachFootpathTileReachesItsEdges)
{
    // Tile, then the sides 0 to 3 its path reaches; tiles not listed reach none.
    const std::map<uint32_t, std::vector<uint8_t>> edges = {
        {2, {0, 1, 0, 1}},  {3, {1, 0, 1, 0}},  {4, {1, 1, 0, 1}},  {5, {1, 0, 1, 1}},  {6, {1, 1, 1, 0}},
        {7, {0, 1, 1, 1}},  {8, {1, 1, 1, 1}},  {9, {1, 0, 0, 1}},  {10, {0, 0, 1, 1}}, {11, {0, 1, 1, 0}},
        {12, {1, 1, 0, 0}}, {13, {1, 0, 0, 0}}, {14, {0, 0, 0, 1}}, {15, {0, 0, 1, 0}}, {16, {0, 1, 0, 0}},
        {28, {1, 1, 0, 0}}, {29, {1, 0, 0, 1}}, {30, {0, 0, 1, 1}}, {31, {0, 1, 1, 0}}, {36, {0, 1, 0, 0}},
        {37, {1, 0, 0, 0}}, {38, {0, 0, 0, 1}}, {39, {0, 0, 1, 0}}, {40, {0, 0, 0, 1}}, {41, {0, 0, 1, 0}},
        {42, {0, 1, 0, 0}}, {43, {1, 0, 0, 0}}, {44, {0, 0, 0, 1}}, {45, {0, 0, 1, 0}}, {46, {0, 1, 0, 0}},
        {47, {1, 0, 0, 0}}};
    Cell(1, 1).m_uiFlags |= CELL_FOOTPATH;
    for (uint32_t tile = 0; tile < 256; ++tile)
    {
        Cell(1, 1).m_uTileIndex = static_cast<uint8_t>(tile);
        uint8_t out[4];
        tiles->GetPathEdges({1, 1}, out);
        const auto it = edges.find(tile);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 4), it == edges.end() ? std::vector<uint8_t>(4, 0) : it->second)
            << tile;
    }
}

TEST_F(TileSetTest, PathEdgesAndQueueOpenings)
{
    uint8_t edges[4];
    Cell(1, 1).m_uiFlags |= CELL_FOOTPATH;
    Cell(1, 1).m_uTileIndex = 4;
    tiles->GetPathEdges({1, 1}, edges);
    EXPECT_EQ(std::vector<uint8_t>(edges, edges + 4), (std::vector<uint8_t>{1, 1, 0, 1}));
    Cell(1, 1).m_uTileIndex = 30;
    tiles->GetPathEdges({1, 1}, edges);
    EXPECT_EQ(std::vector<uint8_t>(edges, edges + 4), (std::vector<uint8_t>{0, 0, 1, 1}));
    Cell(1, 1).m_uTileIndex = 17; // no such tile: no edges
    tiles->GetPathEdges({1, 1}, edges);
    EXPECT_EQ(std::vector<uint8_t>(edges, edges + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    Cell(1, 1).m_uTileIndex = 8;
    Cell(1, 1).m_uiFlags |= CELL_BUILDING;
    tiles->GetPathEdges({1, 1}, edges);
    EXPECT_EQ(std::vector<uint8_t>(edges, edges + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    Cell(2, 2).m_uTileIndex = 8; // not footpath
    tiles->GetPathEdges({2, 2}, edges);
    EXPECT_EQ(std::vector<uint8_t>(edges, edges + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    tiles->GetPathEdges({9, 9}, edges);
    EXPECT_EQ(std::vector<uint8_t>(edges, edges + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    // Shape 9 joins to the east and south; a free piece on every side; footpath never.
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, 9));
    EXPECT_TRUE(tiles->IsQueueOpenTowards({2, 2}, {3, 2}));
    EXPECT_TRUE(tiles->IsQueueOpenTowards({2, 2}, {2, 1}));
    EXPECT_FALSE(tiles->IsQueueOpenTowards({2, 2}, {2, 3}));
    EXPECT_FALSE(tiles->IsQueueOpenTowards({2, 2}, {3, 1}));
    EXPECT_FALSE(tiles->IsQueueOpenTowards({2, 2}, {4, 2}));
    ASSERT_TRUE(tiles->SetQueueTileShape({3, 3}, 8));
    for (const GridPos& p : {GridPos{3, 4}, GridPos{4, 3}, GridPos{3, 2}, GridPos{2, 3}})
        EXPECT_TRUE(tiles->IsQueueOpenTowards({3, 3}, p));
    EXPECT_FALSE(tiles->IsQueueOpenTowards({1, 1}, {1, 2}));
}

TEST_F(TileSetTest, CellsOffTheMapAreRefusedAndNothingWrapsRoundIt)
{
    for (const GridPos& off : {GridPos{5, 0}, GridPos{0, 5}, GridPos{-1, 2}, GridPos{2, -1}})
    {
        EXPECT_FALSE(tiles->PlacePathTile(off));
        EXPECT_FALSE(tiles->RemovePathTile(off));
        EXPECT_FALSE(tiles->PlaceQueueTile(off));
        EXPECT_FALSE(tiles->RemoveQueueTile(off));
        EXPECT_FALSE(tiles->SetQueueTileShape(off, 2));
        EXPECT_FALSE(tiles->RefreshTile(off, true, false));
        EXPECT_FALSE(tiles->IsQueueOpenTowards(off, {0, 0}));
    }
    ASSERT_TRUE(tiles->PlacePathTile({0, 0}));
    uint32_t marked = 0;
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x)
            marked += Marks(x, y) != 0 ? 1 : 0;
    EXPECT_EQ(marked, 3u);
    EXPECT_EQ(Marks(4, 4) | Marks(4, 0) | Marks(0, 4), 0u);
}

TEST_F(TileSetTest, RefreshingAfterALoadRebuildsEveryTileAndKeepsTheShapes)
{
    ASSERT_TRUE(tiles->PlacePathTile({0, 0}));
    ASSERT_TRUE(tiles->PlacePathTile({1, 0}));
    ASSERT_TRUE(tiles->PlacePathTile({0, 1}));
    ASSERT_TRUE(tiles->SetQueueTileShape({3, 3}, 12));
    // A loaded game has the flags but no tiles.
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x)
            Cell(x, y).m_uTileIndex = 0xEE;
    tiles->RefreshAll();
    EXPECT_EQ(Tile(0, 0), 0x05u);
    EXPECT_EQ(Tile(1, 0), 0x40u | 0x80u);
    EXPECT_EQ(Tile(0, 1), 0x10u | 0x08u);
    EXPECT_EQ(Tile(4, 4), 0xEEu);
    EXPECT_EQ(Shape(3, 3), 12u);
    // A single cell recomputed with its shape: the free piece with nothing around.
    ASSERT_TRUE(tiles->RefreshTile({3, 3}, false, false));
    EXPECT_EQ(Shape(3, 3), 8u);
    // Clearing its marks takes the footpath's marks from its neighbours.
    ASSERT_TRUE(tiles->RefreshTile({0, 1}, true, true));
    EXPECT_EQ(Marks(0, 0), 0x04u);
    EXPECT_EQ(Tile(0, 0), 0x04u);
}

TEST_F(TileSetTest, RailsFollowThePathEdgesAroundACell)
{
    RequestWorld world;
    MessageHandler messages;
    // Footpath cell (2, 2) with tile 4: the path reaches sides 0, 1 and 3.
    Cell(2, 2).m_uiFlags |= CELL_FOOTPATH;
    Cell(2, 2).m_uTileIndex = 4;
    Piece onEdge("QRAIL", true, {2, 2}, 0);
    Piece offEdge("QRAIL", true, {2, 2}, 2);
    Piece noSide("QRAIL", true, {2, 2}, 5);
    Piece fence("FENCE", true, {2, 2}, 1);
    Piece bench("BENCH", false, {2, 2}, 2);
    Piece onGround("QRAIL", true, {1, 1}, 1);
    Piece farAway("QRAIL", true, {4, 4}, 2);
    tiles->RemoveRails({2, 1});
    EXPECT_EQ(onEdge.demolished, 0);
    EXPECT_EQ(offEdge.demolished, 1);
    EXPECT_EQ(noSide.demolished, 0);
    EXPECT_EQ(fence.demolished, 0);
    EXPECT_EQ(bench.demolished, 0);
    EXPECT_EQ(onGround.demolished, 1);
    EXPECT_EQ(farAway.demolished, 0);

    // Without the message handler no request can be made.
    g_pMessageHandler = nullptr;
    tiles->AddRails({2, 1});
    g_pMessageHandler = &messages;
    EXPECT_TRUE(world.requests.empty());
    // Sides 1 and 3 reach the path and hold no QRAIL: two requests to the World. The ground cell has no edges.
    tiles->AddRails({2, 1});
    ASSERT_EQ(world.requests.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
    {
        const SceneryCreationRequest& r = world.requests[i];
        EXPECT_STREQ(r.szKeyword, "QRAIL");
        EXPECT_EQ(r.iGridX, 2);
        EXPECT_EQ(r.iGridY, 2);
        EXPECT_EQ(r.bHasDirection, 1);
        EXPECT_EQ(r.bDirection, i == 0 ? 1 : 3);
        EXPECT_EQ(r.dwOwner, kWorldID);
        EXPECT_EQ(world.records[i].dwReciever, kWorldID);
        EXPECT_EQ(world.records[i].dwSender, kWorldID);
        EXPECT_EQ(world.records[i].dwType, 0u);
        EXPECT_EQ(world.records[i].dwData, uint32_t{OBJECT_SCENERY});
    }
}

TEST(TileTables, RecordsCommentsAndSeparatorsAreRead)
{
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    testsupport::RecordingReportSink reports;
    WriteScrambled(dir.Path(), "t1.dat",
                   "// a comment with 1 1 1 numbers\n"
                   "1 0 0 0 0 0 0 0 5 ;\r\n"
                   "0 1 0 0 0 0 0 0\t6;1 1 1 1 1 1 1 1 300\n"
                   "/another comment\n"
                   "1 0 0 0 0 0 0 0 9\n"
                   "0 0 1 0 0 0 0");
    PathTileSet::Table table;
    ASSERT_TRUE(PathTileSet::ReadTable("t1.dat", table));
    EXPECT_EQ(table[1], 9);
    EXPECT_EQ(table[2], 6);
    EXPECT_EQ(table[255], 300 & 0xFF);
    EXPECT_EQ(table[4], 0);
    EXPECT_EQ(table[0], 0);
    EXPECT_TRUE(reports.boxes.empty());
    // A record with a mask token other than 0 and 1 is skipped with a report, and nothing is written past the
    // table.
    WriteScrambled(dir.Path(), "t2.dat", "2 0 0 0 0 0 0 0 7\n0 0 0 0 0 0 0 255 9\n1 1 0 0 0 0 0 0 4\n");
    ASSERT_TRUE(PathTileSet::ReadTable("t2.dat", table));
    EXPECT_EQ(table[3], 4);
    EXPECT_EQ(table[2], 0);
    EXPECT_EQ(reports.boxes.size(), 2u);
}

TEST(TileTables, MissingOrEmptyTablesLeaveTheSetEmpty)
{
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    testsupport::RecordingReportSink reports;
    PathTileSet::Table table;
    table.fill(3);
    EXPECT_FALSE(PathTileSet::ReadTable("none.dat", table));
    EXPECT_EQ(table[0], 0);
    WriteScrambled(dir.Path(), "empty.dat", "");
    EXPECT_FALSE(PathTileSet::ReadTable("empty.dat", table));
    WriteScrambled(dir.Path(), "comments.dat", "// nothing here\n;\n");
    EXPECT_FALSE(PathTileSet::ReadTable("comments.dat", table));
    EXPECT_FALSE(PathTileSet::ReadTable(nullptr, table));
    EXPECT_EQ(reports.boxes.size(), 4u);

    // A set whose path tile table is missing: reported, empty, and nothing can be laid.
    WriteTables(dir.Path());
    auto map = MakeMap({"...", "..."});
    const int live = GetSpriteManager().GetLiveSprites();
    {
        reports.boxes.clear();
        PathTileSet set("data/nosuch.dat", "beachtiles");
        EXPECT_EQ(g_pPathTileSet, &set);
        EXPECT_FALSE(set.IsLoaded());
        EXPECT_EQ(reports.boxes.size(), 2u);
        EXPECT_EQ(set.GetQueueTileTable()[0], 0);
        EXPECT_FALSE(set.PlacePathTile({1, 1}));
        EXPECT_FALSE(set.PlaceQueueTile({1, 1}));
        EXPECT_FALSE(set.SetQueueTileShape({1, 1}, 2));
        EXPECT_EQ(map->GetCell({1, 1})->m_uiFlags, 0x80000001u);
        // The sprites: the named pavement set and the queue set, both played by hand.
        EXPECT_EQ(set.GetPathSprite()->GetBankName(), "beachtiles");
        EXPECT_EQ(set.GetQueueSprite()->GetBankName(), "queuetile");
        EXPECT_EQ(set.GetPathSprite()->GetPlayMode(), Sprite::PLAY_MANUAL);
        EXPECT_EQ(set.GetQueueSprite()->GetPlayMode(), Sprite::PLAY_MANUAL);
        EXPECT_EQ(GetSpriteManager().GetLiveSprites(), live + 2);
    }
    EXPECT_EQ(g_pPathTileSet, nullptr);
    EXPECT_EQ(GetSpriteManager().GetLiveSprites(), live);
    PathTileSet plain("data/pathtiles.dat", "");
    EXPECT_TRUE(plain.IsLoaded());
    EXPECT_EQ(plain.GetPathSprite()->GetBankName(), "tdpathtile");
}
