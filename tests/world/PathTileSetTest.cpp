// Tests of the path and queue tile set: the table files (written here, scrambled, with comments and separators, and
// hostile ones), the tiles and neighbour marks of laid and removed footpath, the queue shapes of laid, removed and
// joined queue pieces, the cells that never join, the path edges and the rails along them.
#include "tests/world/GridTestSupport.h"
#include "tests/world/WorldTestSupport.h"

#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "world/CreationRequests.h"
#include "world/PathTileSet.h"
#include "world/QueueShapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

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

    // Runs a script on a fresh 5 x 5 map of ground: words of an operation letter, a cell's x and y digits and
    // an optional "=value". Operations: p lay footpath, -p remove it, q lay queue path, -q remove it, s set the
    // queue shape, r refresh (the shape recomputed), R refresh clearing the marks and keeping the shape, A refresh
    // all, b add a building, n add the no-join flag, f set the footpath flag alone, t set the tile byte. Checks:
    // S the queue shape, T the tile, M the neighbour marks, F and U whether the cell is footpath and queue path.
    void Run(const std::string& script)
    {
        map = MakeMap({".....", ".....", ".....", ".....", "....."});
        std::istringstream words(script);
        for (std::string word; words >> word;)
        {
            const bool minus = word[0] == '-';
            const char op = word[minus ? 1 : 0];
            const size_t x = minus ? 2 : 1;
            const GridPos at = word.size() > x + 1 ? GridPos{word[x] - '0', word[x + 1] - '0'} : GridPos{};
            const size_t equals = word.find('=');
            const uint32_t value = equals == std::string::npos ? 0u : uint32_t(std::stoul(word.substr(equals + 1)));
            MapCell& cell = Cell(std::clamp(at.x, 0, 4), std::clamp(at.y, 0, 4));
            const auto check = [&](uint32_t actual) { return actual == value; };
            const std::map<char, std::function<bool()>> actions = {
                {'p', [&] { return tiles->PlacePathTile(at); }},
                {'P', [&] { return tiles->RemovePathTile(at); }},
                {'q', [&] { return tiles->PlaceQueueTile(at); }},
                {'Q', [&] { return tiles->RemoveQueueTile(at); }},
                {'s', [&] { return tiles->SetQueueTileShape(at, value); }},
                {'r', [&] { return tiles->RefreshTile(at, false, false); }},
                {'R', [&] { return tiles->RefreshTile(at, true, true); }},
                {'A', [&] { return tiles->RefreshAll(), true; }},
                {'b', [&] { return cell.m_uiFlags |= CELL_BUILDING; }},
                {'n', [&] { return cell.m_uiFlags |= CELL_NO_JOIN; }},
                {'f', [&] { return cell.m_uiFlags |= CELL_FOOTPATH; }},
                {'t', [&] { return cell.m_uTileIndex = static_cast<uint8_t>(value), true; }},
                {'S', [&] { return check(QueueShapeOf(cell.m_uiFlags)); }},
                {'T', [&] { return check(cell.m_uTileIndex); }},
                {'M', [&] { return check((cell.m_uiFlags & CELL_NEIGHBOUR_MASK) >> 16); }},
                {'F', [&] { return check((cell.m_uiFlags & CELL_FOOTPATH) != 0); }},
                {'U', [&] { return check((cell.m_uiFlags & CELL_QUEUE) != 0); }}};
            const auto action = actions.find(minus ? static_cast<char>(op - 32) : op);
            ASSERT_NE(action, actions.end()) << word;
            const bool done = action->second();
            EXPECT_TRUE(done) << word << " in " << script << " (the cell's flags " << std::hex << cell.m_uiFlags
                              << ", tile " << std::dec << int(cell.m_uTileIndex) << ")";
            EXPECT_FALSE(tiles->IsUpdating());
        }
    }

    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd{dir.Path()};
    testsupport::RecordingReportSink reports;
    std::unique_ptr<WorldMap> map = MakeMap({".....", ".....", ".....", ".....", "....."});
    std::unique_ptr<PathTileSet> tiles;
};

} // namespace

TEST_F(TileSetTest, LayingAndRemovingPathsAndQueues)
{
    // The test's tables: a footpath shows the tile of its own mask; a queue's shape is the one open on exactly the
    // sides of its mask, or 13 from the queue path table (200, no shape, for all four sides).
    const char* const scripts[] = {
        // Each neighbour of a new footpath records it in the direction in which it sees it; a second footpath
        // beside it retiles both; taking it away clears its marks.
        "p22 T22=0 M23=16 M33=32 M32=64 M31=128 M21=1 M11=2 M12=4 M13=8 M00=0",
        "p22 p32 T32=64 T22=4 -p32 F32=0 M22=0 T22=0 M32=64",
        // A mask whose entry is 255 shows tile 8; a building cell keeps its tile byte.
        "p11 p21 p31 p12 p32 p13 p23 p33 p22 M22=255 T22=8 b00 t00=77 p00 T00=77",
        // A footpath beside a queue opening towards it loses the corners on that side.
        "p33 p31 M22=10 s32=6 p22 T22=4 -q32 p22 T22=10",
        // Queue pieces under a building are not turned, nor footpath turned into queue.
        "s22=5 b22 p33 p32 -p32 S22=5 S33=0 s11=8 b11 p12 S11=8",
        // Two cells that both carry the no-join flag never join; one without it does.
        "s22=8 n22 n32 p32 S22=8 T32=0",
        "s22=8 n22 p32 S22=5 T32=64",
        // Removing the queue cell on side 0 of a straight piece leaves an end; its other neighbour going too, the
        // free piece.
        "s22=2 s23=4 -q23 U23=0 S22=4 s21=7 -q21 S22=8",
        // A queue laid from a footpath opens towards it and joins the next piece; removed, the end moves back and
        // the last one's going retiles the footpath.
        "p02 q12 S12=6 T02=4 q22 S22=6 S12=3 -q22 S12=6 T02=4 -q12 T02=0",
        // Free pieces on three sides defer to the queue path table; the piece it opens onto turns towards it.
        "s23=8 s32=8 s21=8 q22 S22=13 S32=6 S23=8 S21=8",
        "s23=8 s32=8 s21=8 s12=8 q22 S22=8",
        // One joining queue piece and footpath on two other sides: the queue's side and the first footpath side.
        "s32=8 p23 p21 q22 S22=10",
        "s21=8 p32 p12 q22 S22=9",
        "s12=8 p21 p23 q22 S22=11",
        // Setting a shape retiles the footpath beside it.
        "p00 s10=6 T00=4 U10=1 S10=6",
        // Refreshing a queue cell with a footpath to the west and a free piece to the east: straight east-west,
        // turning the free piece and rejoining the footpath; a piece that comes out free leaves its neighbours.
        "p12 s22=8 s32=8 t12=238 r22 S22=3 S32=6 T12=4",
        "s00=2 p01 n00 n01 t01=238 r00 S00=8 T01=238",
        // After a load: every tile rebuilt, shapes kept; one cell recomputed, marks cleared.
        "p00 p10 p01 s33=12 t00=238 t10=238 t01=238 t44=238 A T00=5 T10=192 T01=24 T44=238 S33=12 r33 S33=8",
        "p00 p10 p01 R01 M00=4 T00=4",
    };
    for (const char* script : scripts)
        Run(script);
    // Flags beyond the shape bits stay; shapes beyond 15 are refused.
    Run("s23=8 s32=8 s21=8 s12=8");
    Cell(2, 2).m_uiFlags |= 0x0F0000F0;
    ASSERT_TRUE(tiles->PlaceQueueTile({2, 2}));
    EXPECT_EQ(Cell(2, 2).m_uiFlags, 0xCF0008F1u);
    EXPECT_FALSE(tiles->SetQueueTileShape({0, 0}, 16));
    EXPECT_FALSE(Cell(0, 0).m_uiFlags & CELL_QUEUE);
}

// A footpath's tile shows the queue pieces beside it as they are after each operation, as a load would draw them.
TEST_F(TileSetTest, FootpathTilesFollowTheQueuePiecesBesideThemAsTheyTurnComeAndGo)
{
    const char* const scripts[] = {
        // A corner open east and south, footpath to its west: the queue to its south goes and it is an end, which
        // the footpath joins; footpath laid to its south makes it the corner again, and the footpath (the cell to
        // its south-east now its only path) lets go.
        "s21=7 s22=9 p12 T12=0 -q21 S22=5 T12=4 p21 S22=9 T12=8 A T12=8",
        // A queue laid among footpath on all four sides comes out a free piece, which every footpath joins.
        "p12 p23 p32 p21 T12=10 q22 S22=8 T12=4 T23=16 A T12=4 T23=16",
        // Removing it again gives each footpath its corners back, though the free piece had no strict opening.
        "p12 p23 p32 p21 q22 -q22 T12=10 T23=40 A T12=10 T23=40",
        // A queue end set beside a footpath on one of its closed sides: removed, the footpath stands alone again.
        "p12 s22=4 T12=4 -q22 T12=0",
    };
    for (const char* script : scripts)
        Run(script);
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

TEST_F(TileSetTest, OnlyFootpathWithoutABuildingHasEdgesAndQueuesOpenForJoinsThroughTheirOpenings)
{
    uint8_t edges[4];
    for (const auto& [flags, pos] :
         {std::pair{0x90000003u, GridPos{1, 1}}, std::pair{0x80000001u, GridPos{2, 2}}, std::pair{0u, GridPos{9, 9}}})
    {
        if (MapCell* cell = map->GetCell(pos))
        {
            cell->m_uiFlags = flags;
            cell->m_uTileIndex = 8;
        }
        tiles->GetPathEdges(pos, edges);
        EXPECT_EQ(std::vector<uint8_t>(edges, edges + 4), std::vector<uint8_t>(4, 0)) << std::hex << flags;
    }
    // Shape 9 joins to the east and south; a free piece on every side; footpath never.
    ASSERT_TRUE(tiles->SetQueueTileShape({2, 2}, 9));
    ASSERT_TRUE(tiles->SetQueueTileShape({3, 3}, 8));
    const struct
    {
        GridPos cell, other;
        bool open;
    } joins[] = {{{2, 2}, {3, 2}, true},  {{2, 2}, {2, 1}, true}, {{2, 2}, {2, 3}, false}, {{2, 2}, {3, 1}, false},
                 {{2, 2}, {4, 2}, false}, {{3, 3}, {3, 4}, true}, {{3, 3}, {4, 3}, true},  {{3, 3}, {3, 2}, true},
                 {{3, 3}, {2, 3}, true},  {{1, 1}, {1, 2}, false}};
    for (const auto& j : joins)
        EXPECT_EQ(tiles->IsQueueOpenTowards(j.cell, j.other), j.open) << Cells({j.cell, j.other});
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
    EXPECT_EQ((std::vector<int>{onEdge.demolished, offEdge.demolished, noSide.demolished, fence.demolished,
                                bench.demolished, onGround.demolished, farAway.demolished}),
              (std::vector<int>{0, 1, 0, 0, 0, 1, 0}));

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
        const MessageRecord& m = world.records[i];
        EXPECT_EQ(std::string(r.szKeyword), "QRAIL");
        EXPECT_EQ(std::tuple(r.iGridX, r.iGridY, r.bHasDirection, r.bDirection, r.dwOwner),
                  std::tuple(2, 2, uint8_t{1}, uint8_t(i == 0 ? 1 : 3), kWorldID));
        EXPECT_EQ(std::tuple(m.dwReciever, m.dwSender, m.dwType, m.dwData),
                  std::tuple(kWorldID, kWorldID, 0u, uint32_t{OBJECT_SCENERY}));
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

TEST(TileTables, MissingEmptyOrOverlongTablesLeaveTheSetEmpty)
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
    // A record padded with a comment to the longest length read, and one byte more.
    for (uint32_t length : {PathTileSet::kMaxTableFileSize, PathTileSet::kMaxTableFileSize + 1})
    {
        std::string text = Record(1, 7) + "//";
        text.resize(length, 'x');
        WriteScrambled(dir.Path(), "long.dat", text);
        reports.boxes.clear();
        EXPECT_EQ(PathTileSet::ReadTable("long.dat", table), length == PathTileSet::kMaxTableFileSize) << length;
        EXPECT_EQ(reports.boxes.size(), length == PathTileSet::kMaxTableFileSize ? 0u : 1u);
    }

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
        EXPECT_FALSE(set.PlacePathTile({1, 1}) || set.PlaceQueueTile({1, 1}) || set.SetQueueTileShape({1, 1}, 2));
        EXPECT_EQ(map->GetCell({1, 1})->m_uiFlags, 0x80000001u);
        // The sprites: the named pavement set and the queue set, both played by hand.
        EXPECT_EQ(std::pair(set.GetPathSprite()->GetBankName(), set.GetQueueSprite()->GetBankName()),
                  std::pair(std::string("beachtiles"), std::string("queuetile")));
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

// The sample data's footpath table gives every cell the tile whose path reaches just the sides with footpath beside
// them, whatever its diagonal neighbours: straight runs, corners, junctions, crossings and cells on their own.
TEST(TileTables, TheSampleTableReachesTheSidesWithFootpathBesideThem)
{
    testsupport::ScopedCurrentDir cwd(TW_SOURCE_DIR "/sample-data");
    PathTileSet::Table table;
    ASSERT_TRUE(PathTileSet::ReadTable("data/pathtiles.dat", table));
    for (uint32_t mask = 0; mask < 256; ++mask)
    {
        const uint8_t reached = queueshape::PathEdges(table[mask]);
        for (int32_t side = 0; side < 4; ++side)
            EXPECT_EQ((reached >> side & 1u) != 0, (mask >> (2 * side) & 1u) != 0)
                << "mask " << mask << " side " << side;
    }
}

// A queue end turned by the refresh of the piece beside it takes the footpath along: the footpath's tile is the one
// its neighbours give it, as a load would draw it.
TEST_F(TileSetTest, FootpathBesideAQueueEndTurnedByARefreshIsRetiled)
{
    // The end Q has a straight piece on one side, footpath F on another and the refreshed piece on a third: with
    // two queue pieces joining it, Q opens only towards them and F, with no other path beside it, joins nothing
    // and shows the tile of the empty mask.
    const char* const scripts[] = {
        // Q at 22 (an end open on side 0), the straight piece on side 0, F on side 1, the refreshed piece on side 3.
        "p32 s23=2 s22=7 T32=64 s12=3 r12 S12=5 S22=11 T32=0",
        // Q at 22 (an end open on side 3), the straight piece on side 2, F on side 0, the refreshed piece on side 1.
        "p23 s21=2 s22=6 T23=16 s32=3 r32 S32=6 S22=9 T23=0",
        // Q at 22 (an end open on side 0), the straight piece on side 0, F on side 3, the refreshed piece on side 1.
        "p12 s23=2 s22=7 s32=3 r32 T12=0",
        // Q at 22 (an end open on side 2), the straight piece on side 2, F on side 1, the refreshed piece on side 3.
        "p32 s21=2 s22=4 T32=64 s12=3 r12 S12=5 S22=12 T32=0",
    };
    for (const char* script : scripts)
        Run(script);
}
