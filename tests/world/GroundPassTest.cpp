// Tests of the park grid's ground pass on the recording device: path and queue tiles cut from their atlases,
// batches of at most 400 vertices, cells out of view or beyond the draw distance left out, queue rails by shape,
// detail and distance, litter near the eye, the flag colours and the markers.
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/world/GridTestSupport.h"

#include "world/GameShell.h"
#include "world/ObjectKinds.h"
#include "world/QueueRailModel.h"
#include "world/StaticObject.h"

#include <algorithm>
#include <map>

using namespace gridtest;
using namespace rendertest;

namespace
{

using TV = TexturedVertex;
using CV = ColourVertex;

// An object that counts the times it is drawn.
class Counted : public StaticObject
{
public:
    explicit Counted(uint8_t kind) : StaticObject(8) { SetType(kind); }
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Render() override
    {
        ++drawn;
        return true;
    }
    int drawn = 0;
};

class DetailShell : public GameShell
{
public:
    explicit DetailShell(float detail) : m_fDetail(detail) { SetGameShell(this); }
    ~DetailShell() override { SetGameShell(nullptr); }
    float GetObjectDetail() const override { return m_fDetail; }

private:
    float m_fDetail;
};

class GroundPassTest : public DrawTest
{
protected:
    // The eye above scene point (x, z) at a height, looking straight down with +z up the screen.
    void LookDownAt(float x, float z, float height, float fieldOfView = 90.0f)
    {
        const platform::Vec3 eye = {x, height, z};
        gm.SetProjection(fieldOfView, 1.0f, 1.0f, 1000.0f);
        gm.SetViewMatrix(platform::MatrixLookAtLH(eye, {x, 0.0f, z}, {0.0f, 0.0f, 1.0f}), true);
        gm.ApplyProjection();
        gm.SetEyePosition(eye);
        Dev()->ClearLog();
    }

    // The textured draws of the pass, in order.
    std::vector<DecodedDraw<TV>> TileDraws()
    {
        std::vector<DecodedDraw<TV>> out;
        for (const auto& draw : Draws())
            if (draw.fvf == kFvfTexturedVertex)
                out.push_back(Decode<TV>(draw));
        return out;
    }

    // The colour of each flat coloured quad at a height, by its centre cell.
    std::map<std::pair<int, int>, uint32_t> QuadColours(float height)
    {
        gm.BeginBatch(BATCH_NONE, 0, 1);
        std::map<std::pair<int, int>, uint32_t> colours;
        for (const auto& draw : Draws())
        {
            if (draw.fvf != kFvfColourVertex || draw.type != platform::PrimitiveType::TriangleList)
                continue;
            const auto decoded = Decode<CV>(draw);
            for (size_t q = 0; q + 3 < decoded.vertices.size(); q += 4)
            {
                const CV* v = &decoded.vertices[q];
                if (std::fabs(v[0].y - height) > 1e-4f)
                    continue;
                const float cx = (v[0].x + v[2].x) / 2.0f, cz = (v[0].z + v[2].z) / 2.0f;
                colours[{int(std::floor((cx - 512.0f) / 4.0f)), int(std::floor((cz - 512.0f) / 4.0f))}] = v[0].colour;
            }
        }
        return colours;
    }
};

// The four corners of a cell's tile quad: its +y edge first, then round clockwise seen from above.
std::vector<TV> TileQuad(int cx, int cy, int tile, int columns, float inset, uint32_t colour)
{
    const float x0 = 512.0f + 4.0f * cx, z0 = 512.0f + 4.0f * cy, size = 1.0f / columns;
    const float u0 = (tile % columns) * size + inset, v0 = (tile / columns) * size + inset;
    const float u1 = u0 + size - 2 * inset, v1 = v0 + size - 2 * inset;
    return {{x0, 0, z0 + 4, colour, u0, v0},
            {x0 + 4, 0, z0 + 4, colour, u1, v0},
            {x0 + 4, 0, z0, colour, u1, v1},
            {x0, 0, z0, colour, u0, v1}};
}

} // namespace

TEST_F(GroundPassTest, PathAndQueueCellsShowTheirTilesUnlessABuildingStandsThere)
{
    auto map = MakeMap({"PP6H", "...."});
    map->GetCell({0, 0})->m_uTileIndex = 13;
    map->GetCell({1, 0})->m_uTileIndex = 2;
    map->GetCell({1, 0})->m_uiFlags |= CELL_BUILDING;
    map->GetCell({3, 0})->m_uiFlags |= CELL_QUEUE;
    LookDownAt(520.0f, 516.0f, 20.0f);
    map->Render();
    const auto draws = TileDraws();
    ASSERT_EQ(draws.size(), 2u);
    const uint32_t colour = draws[0].vertices.at(0).colour;
    EXPECT_EQ(colour >> 24, 0xFFu);
    // Tile 13 of the 8 x 8 path atlas: column 5, row 1.
    EXPECT_TRUE(SameVertices(draws[0].vertices, TileQuad(0, 0, 13, 8, 0.00375f, colour)));
    EXPECT_EQ(draws[0].indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    // Queue shape 6 of the 4 x 4 queue atlas: column 2, row 1.
    EXPECT_TRUE(SameVertices(draws[1].vertices, TileQuad(2, 0, 6, 4, 0.0075f, colour)));
}

TEST_F(GroundPassTest, ABatchHoldsAtMostFourHundredVertices)
{
    auto map = MakeMap(std::vector<std::string>(11, "PPPPPPPPPPP"));
    LookDownAt(534.0f, 534.0f, 40.0f);
    map->Render();
    const auto draws = TileDraws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(std::tuple(draws[0].vertices.size(), draws[0].indices.size(), draws[1].vertices.size()),
              std::tuple(400u, 600u, 121u * 4u - 400u));
}

TEST_F(GroundPassTest, CellsOutOfViewAreLeftOut)
{
    // A row of 60 footpath cells seen from low above its first cells.
    auto map = MakeMap({std::string(60, 'P')});
    LookDownAt(514.0f, 514.0f, 7.0f);
    map->Render();
    size_t quads = 0;
    float farthest = 0.0f;
    for (const auto& draw : TileDraws())
    {
        quads += draw.vertices.size() / 4;
        for (const TV& v : draw.vertices)
            farthest = std::max(farthest, v.x);
    }
    // 90 degrees from 7 units up reach 7 units to each side: cells 0 and 1 whole and the start of cell 2.
    EXPECT_EQ(quads, 3u);
    EXPECT_LE(farthest, 524.0f);
    // Behind the eye nothing: looking down from far beyond the row's end.
    Dev()->ClearLog();
    LookDownAt(900.0f, 514.0f, 6.0f);
    map->Render();
    EXPECT_TRUE(TileDraws().empty());
}

TEST_F(GroundPassTest, RailsStandOnTheClosedSidesOfNearQueueCellsAtEnoughDetail)
{
    // Queue shapes 2 (two rails), 4 (three), 8 (none) and 13 (none).
    auto map = MakeMap({"248d"});
    QueueRailModel& rails = map->GetQueueRailModel();
    LookDownAt(520.0f, 514.0f, 20.0f);
    map->Render();
    EXPECT_EQ(rails.TakeDrawCount(), 0u) << "no rail model yet";
    map->SetQueueRailModel("Data/Models/Scenery/Q_RAIL.tm");
    map->Render();
    EXPECT_EQ(rails.TakeDrawCount(), 5u);
    for (auto [detail, drawn] : {std::pair{0.19f, 0u}, std::pair{0.2f, 5u}})
    {
        DetailShell shell(detail);
        map->Render();
        EXPECT_EQ(rails.TakeDrawCount(), drawn) << detail;
    }
    // Squared eye distance 18000 or more: 135 units up is 18225 from the cells beneath.
    LookDownAt(520.0f, 514.0f, 135.0f);
    map->Render();
    EXPECT_EQ(rails.TakeDrawCount(), 0u);
    // The turns of each shape's rails (radians), none for shapes 0, 1, 8 and above 12.
    const float none = -1.0f;
    const float turns[16][3] = {{none, none, none},   {none, none, none},   {1.57f, 4.71f, none}, {0.0f, 3.14f, none},
                                {0.0f, 4.71f, 1.57f}, {4.71f, 0.0f, 3.14f}, {1.57f, 0.0f, 3.14f}, {3.14f, 4.71f, 1.57f},
                                {none, none, none},   {4.71f, 0.0f, none},  {4.71f, 3.14f, none}, {3.14f, 1.57f, none},
                                {0.0f, 1.57f, none},  {none, none, none},   {none, none, none},   {none, none, none}};
    for (uint32_t shape = 0; shape < 16; ++shape)
    {
        float angles[3];
        const uint32_t count = WorldMap::GetQueueRailAngles(shape, angles);
        std::vector<float> listed(turns[shape], turns[shape] + 3);
        std::erase(listed, none);
        EXPECT_EQ(std::vector<float>(angles, angles + std::min(count, 3u)), listed) << shape;
    }
}

TEST_F(GroundPassTest, LitterNearTheEyeIsDrawnWithTheGround)
{
    auto map = MakeMap({"....", "...."});
    Counted litter(OBJECT_LITTER);
    Counted scenery(OBJECT_SCENERY);
    litter.SetWorldPosition({40.0f, 80.0f, 0.0f});  // cell (1, 1)
    scenery.SetWorldPosition({40.0f, 80.0f, 0.0f}); // the same cell
    LookDownAt(520.0f, 516.0f, 20.0f);
    map->Render();
    EXPECT_EQ(std::pair(litter.drawn, scenery.drawn), std::pair(1, 0));
    // 64 units up: 4096 or more squared, too far.
    LookDownAt(520.0f, 516.0f, 64.0f);
    map->Render();
    EXPECT_EQ(litter.drawn, 1);
}

TEST_F(GroundPassTest, FlagColoursShowWhatStandsOnEachCell)
{
    auto map = MakeMap({"HP3.", "S..."});
    map->GetCell({3, 0})->m_uiFlags = 0x4;
    map->GetCell({2, 1})->m_uiFlags = 0x90000003; // a building over footpath shows as the building
    map->SetShowFlags(true);
    LookDownAt(520.0f, 516.0f, 20.0f);
    map->Render();
    const auto colours = QuadColours(0.1f);
    const std::map<std::pair<int, int>, uint32_t> expected = {
        {{0, 0}, 0x80984406}, {{1, 0}, 0x80808080}, {{2, 0}, 0x800000FF}, {{3, 0}, 0x80FF0000},
        {{0, 1}, 0x80FFFF00}, {{1, 1}, 0x8000C800}, {{2, 1}, 0x80984406}, {{3, 1}, 0x8000C800}};
    EXPECT_EQ(colours, expected);
    // Grid lines: 5 across and 3 along the map, 0.15 above the ground, and the two lines of the cross.
    size_t lines = 0;
    for (const auto& draw : Draws())
        if (draw.fvf == kFvfColourVertex && draw.type == platform::PrimitiveType::LineList)
            lines += Decode<CV>(draw).vertices.size() / 2;
    EXPECT_EQ(lines, 5u + 3u + 2u);
}

TEST_F(GroundPassTest, CellMarkersAreDrawnOnlyOnTheMap)
{
    auto map = MakeMap({"....", "...."});
    map->DrawCellQuad({1, 1}, 0xFF123456, 0.5f);
    map->DrawCellQuad({4, 0}, 0xFF654321, 0.5f);
    map->DrawCellQuad({0, -1}, 0xFF654321, 0.5f);
    const auto colours = QuadColours(0.5f);
    EXPECT_EQ(colours, (std::map<std::pair<int, int>, uint32_t>{{{1, 1}, 0xFF123456}}));
    // A ground cross: two lines 0.15 up through the scene point of the map position.
    Dev()->ClearLog();
    DrawGroundCross({40.0f, 80.0f, 0.0f}, 0xFFFFFFFF, 2.0f);
    gm.BeginBatch(BATCH_NONE, 0, 1);
    ASSERT_EQ(Draws().size(), 1u);
    const auto cross = Decode<CV>(Draws()[0]);
    EXPECT_TRUE(SameVertices(cross.vertices, {{515.0f, 0.15f, 517.0f, 0xFFFFFFFF},
                                              {519.0f, 0.15f, 517.0f, 0xFFFFFFFF},
                                              {517.0f, 0.15f, 515.0f, 0xFFFFFFFF},
                                              {517.0f, 0.15f, 519.0f, 0xFFFFFFFF}}));
}

TEST_F(GroundPassTest, CellsBeyondTheDrawDistanceAreLeftOutOnEverySide)
{
    // Fog of range 1.25 at the plain view range: a draw distance of 8 x 1.25 = 10 scene units.
    gm.SetFog(0.0f, 1.25f, 0);
    // 21 path cells in a row, then in a column; the eye high above the middle cell's centre (554 on the row's axis)
    // sees all of them. A cell is drawn when its nearest edge is at most 10 units away: on the low side cells 7
    // to 9 (cell 7 ends at 512 + 32 = 544, 10 units away), on the high side 11 to 13 (cell 13 starts at 564).
    struct Case
    {
        const char* what;
        std::vector<std::string> rows;
        float eyeX, eyeZ;
        bool alongX;
    };
    const Case cases[] = {
        {"a row", {std::string(21, 'P')}, 554.0f, 514.0f, true},
        {"a column", std::vector<std::string>(21, "P"), 514.0f, 554.0f, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        auto map = MakeMap(c.rows);
        LookDownAt(c.eyeX, c.eyeZ, 100.0f);
        ASSERT_EQ(gm.GetDrawDistance(), 10.0f);
        map->Render();
        size_t quads = 0;
        float low = 1e9f, high = -1e9f;
        for (const auto& draw : TileDraws())
        {
            quads += draw.vertices.size() / 4;
            for (const TV& v : draw.vertices)
            {
                low = std::min(low, c.alongX ? v.x : v.z);
                high = std::max(high, c.alongX ? v.x : v.z);
            }
        }
        EXPECT_EQ(quads, 7u);
        EXPECT_EQ(low, 512.0f + 4.0f * 7.0f);
        EXPECT_EQ(high, 512.0f + 4.0f * 14.0f);
    }
}
