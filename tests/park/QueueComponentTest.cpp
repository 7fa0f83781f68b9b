// Tests of a building's queue: tracing the queue path into walk points, joining, leaving, moving up, the room it
// has and its save record.
#include "park/QueueComponent.h"
#include "scripts/ObjectStates.h"
#include "tests/world/GridTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/MessageHandler.h"
#include "world/World.h"

#include <gtest/gtest.h>

namespace
{

struct TraceCase
{
    const char* name;
    // Rows from y = 0 (see GridTestSupport.h): '.' ground, 'P' footpath, hex digits queue path of that shape,
    // 'N' a cell other buildings keep to themselves (queue path of shape 2 marked no-join).
    std::vector<std::string> rows;
    GridPos inside;
    GridPos queue;
    bool twoWay;
    bool valid;
    int32_t points;
    GridPos start;
    GridPos end;
    int32_t endDirection;
};

void PrintTo(const TraceCase& c, std::ostream* os)
{
    *os << c.name;
}

std::unique_ptr<WorldMap> Draw(std::vector<std::string> rows)
{
    std::vector<GridPos> marked;
    for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    {
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x)
        {
            if (rows[y][x] == 'N')
            {
                rows[y][x] = '2';
                marked.push_back({x, y});
            }
        }
    }
    auto map = gridtest::MakeMap(rows);
    for (const GridPos& cell : marked)
        map->GetCell(cell)->m_uiFlags |= CELL_NO_JOIN;
    return map;
}

class QueueTrace : public testing::TestWithParam<TraceCase>
{
};

TEST_P(QueueTrace, FindsTheFootpathOrNoQueue)
{
    const TraceCase& c = GetParam();
    auto map = Draw(c.rows);
    QueueComponent queue(c.inside, c.queue, c.twoWay);
    EXPECT_EQ(queue.IsValid(), c.valid);
    EXPECT_EQ(queue.GetPointCount(), c.points);
    if (c.valid)
    {
        EXPECT_EQ(queue.GetStartCell(), c.start);
        EXPECT_EQ(queue.GetEndCell(), c.end);
        EXPECT_EQ(queue.GetEndDirection(), c.endDirection);
    }
    // Three joining guests fill a one-point queue; a guest per point in a longer one.
    for (int32_t i = 0; i < c.points; ++i)
    {
        EXPECT_TRUE(queue.HasRoom());
        queue.Join(100 + i);
    }
    EXPECT_FALSE(queue.HasRoom());
}

// A straight queue of four cells north of a building whose queue entry is at (1, 0).
const std::vector<std::string> kStraight = {"....", ".2..", ".2..", ".2..", ".2..", ".P..", "...."};

INSTANTIATE_TEST_SUITE_P(
    Paths, QueueTrace,
    testing::Values(
        TraceCase{"four_cells_to_a_footpath", kStraight, {1, 0}, {1, 1}, false, true, 12, {1, 5}, {1, 4}, 0},
        TraceCase{"the_same_two_way", kStraight, {1, 0}, {1, 1}, true, true, 12, {1, 5}, {1, 4}, 0},
        TraceCase{"serve_cell_on_the_footpath",
                  {"....", ".P..", "...."},
                  {1, 0},
                  {1, 1},
                  false,
                  true,
                  1,
                  {1, 1},
                  {-1, -1},
                  0},
        // East after the second cell: 1,1 (2) -> 1,2 (9: east and south) -> 2,2 (3) -> footpath 3,2.
        TraceCase{"turning_east", {"....", ".2..", ".93P", "...."}, {1, 0}, {1, 1}, false, true, 9, {3, 2}, {2, 2}, 2},
        TraceCase{"a_gap_before_the_footpath",
                  {"....", ".2..", ".2..", "....", ".P.."},
                  {1, 0},
                  {1, 1},
                  false,
                  false,
                  0,
                  {},
                  {},
                  0},
        TraceCase{"a_ring_back_to_the_serve_cell",
                  {"....", ".ab.", ".9c.", "...."},
                  {1, 0},
                  {1, 1},
                  false,
                  false,
                  0,
                  {},
                  {},
                  0},
        TraceCase{"a_cell_kept_by_another_building",
                  {"....", ".2..", ".N..", ".P.."},
                  {1, 0},
                  {1, 1},
                  false,
                  false,
                  0,
                  {},
                  {},
                  0},
        // The queue runs south off the map; the footpath on the far edge is not reached round the edge.
        TraceCase{"off_the_map_edge", {".2..", "....", "....", ".P.."}, {1, 1}, {1, 0}, false, false, 0, {}, {}, 0},
        // Shape 14 (the queue entry piece, open north) carries a one-way queue on but ends a two-way one.
        TraceCase{
            "entry_piece_one_way", {"....", ".2..", ".e..", ".P.."}, {1, 0}, {1, 1}, false, true, 6, {1, 3}, {1, 2}, 0},
        TraceCase{"entry_piece_two_way", {"....", ".2..", ".e..", ".P.."}, {1, 0}, {1, 1}, true, false, 0, {}, {}, 0}),
    [](const testing::TestParamInfo<TraceCase>& info) { return std::string(info.param.name); });

TEST(QueueWalkPoints, TurnThroughEveryTwoSidedPieceAtItsOffsets)
{
    // North from the entry at (1, 0), east, north, east twice, north, west, north to the footpath at (3, 6):
    // every piece open on two sides, entered from either end.
    auto map = Draw({".....", ".2...", ".9b..", "..93b", "...ac", "...2.", "...P."});
    QueueComponent oneWay({1, 0}, {1, 1}, false);
    QueueComponent twoWay({1, 0}, {1, 1}, true);
    ASSERT_TRUE(oneWay.IsValid());
    ASSERT_EQ(oneWay.GetPointCount(), 27);
    // Per cell, the offsets from its corner of the points walked inwards, as the offset tables give them for the
    // side the queue comes in from (in order, or in reverse when it comes in from the other end).
    const struct
    {
        GridPos cell;
        int oneWay[3][2];
        int twoWay[3][2];
    } cells[] = {
        {{1, 1}, {{16, 11}, {16, 33}, {16, 46}}, {{22, 11}, {22, 32}, {22, 44}}},
        {{1, 2}, {{16, 11}, {16, 32}, {25, 32}}, {{22, 5}, {22, 16}, {25, 16}}},
        {{2, 2}, {{5, 32}, {16, 32}, {16, 44}}, {{5, 16}, {25, 16}, {25, 44}}},
        {{2, 3}, {{16, 11}, {16, 32}, {25, 32}}, {{22, 5}, {22, 16}, {25, 16}}},
        {{3, 3}, {{5, 32}, {15, 32}, {25, 32}}, {{5, 16}, {16, 16}, {25, 16}}},
        {{4, 3}, {{5, 32}, {16, 32}, {16, 44}}, {{5, 16}, {25, 16}, {25, 44}}},
        {{4, 4}, {{16, 11}, {16, 32}, {5, 32}}, {{25, 11}, {25, 44}, {5, 44}}},
        {{3, 4}, {{25, 32}, {16, 32}, {16, 44}}, {{25, 44}, {22, 44}, {22, 48}}},
        {{3, 5}, {{16, 11}, {16, 33}, {16, 46}}, {{22, 11}, {22, 32}, {22, 44}}},
    };
    int32_t i = 0;
    for (const auto& c : cells)
    {
        for (int p = 0; p < 3; ++p, ++i)
        {
            EXPECT_EQ(oneWay.GetPointX(i, true), c.cell.x * 32 + c.oneWay[p][0]) << i;
            EXPECT_EQ(oneWay.GetPointY(i, true), c.cell.y * 64 + c.oneWay[p][1]) << i;
            EXPECT_EQ(twoWay.GetPointX(i, true), c.cell.x * 32 + c.twoWay[p][0]) << i;
            EXPECT_EQ(twoWay.GetPointY(i, true), c.cell.y * 64 + c.twoWay[p][1]) << i;
            // A one-way queue has one file for both ways.
            EXPECT_EQ(oneWay.GetPointX(i, false), oneWay.GetPointX(i, true)) << i;
        }
    }
    // The two-way file out of the head cell runs (10, 11), (10, 32), (10, 44) from its corner.
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(std::make_pair(twoWay.GetPointX(p, false), twoWay.GetPointY(p, false)),
                  std::make_pair(42.0f, 64.0f + (p == 0   ? 11
                                                 : p == 1 ? 32
                                                          : 44)));
    // The points beyond the counted ones lie in the footpath cell; there are none beyond those.
    EXPECT_EQ(oneWay.GetPointY(27, true), 6 * 64 + 32);
    EXPECT_EQ(oneWay.GetPointX(30, true), 0.0f);
    EXPECT_EQ(oneWay.GetPointX(-1, true), 0.0f);
    // A serve cell on the footpath: one point at its centre.
    QueueComponent onPath({3, 5}, {3, 6}, false);
    EXPECT_EQ(std::make_pair(onPath.GetPointX(0, true), onPath.GetPointY(0, true)), std::make_pair(112.0f, 416.0f));
}

TEST(QueueGuests, JoinLeaveAndMoveUpInOrder)
{
    World world;
    MessageHandler messages;
    auto map = Draw(kStraight);
    QueueComponent queue({1, 0}, {1, 1}, false);
    for (uint32_t guest : {7u, 8u, 9u, 10u})
        queue.Join(guest);
    EXPECT_EQ(queue.GetPosition(9), 2);
    // A guest not in the queue is at the head's place, and its leaving changes nothing.
    EXPECT_EQ(queue.GetPosition(42), 0);
    queue.Leave(42);
    EXPECT_EQ(queue.GetGuests(), (std::vector<uint32_t>{7, 8, 9, 10}));

    world.AdvanceClock(5.0f);
    const float now = world.GetGameTime();
    queue.Advance();
    EXPECT_EQ(queue.GetGuests(), (std::vector<uint32_t>{8, 9, 10}));
    // The guest i places behind the new head moves 0.1 + 0.3 i seconds later, and up to 0.4 s more at random.
    const std::vector<MessageRecord>& posted = messages.GetPendingMessages();
    ASSERT_EQ(posted.size(), 3u);
    for (size_t i = 0; i < posted.size(); ++i)
    {
        EXPECT_EQ(posted[i].dwType, static_cast<uint32_t>(MT_ADVANCE_QUEUE));
        EXPECT_EQ(posted[i].dwReciever, 8u + i);
        EXPECT_EQ(posted[i].dwSender, kNoObjectID);
        const float delay = posted[i].fTime - now;
        EXPECT_GE(delay, 0.1f + 0.3f * i - 1e-4f) << i;
        EXPECT_LE(delay, 0.5f + 0.3f * i + 1e-4f) << i;
    }
    queue.Leave(9);
    EXPECT_EQ(queue.GetPosition(10), 1);
    queue.Clear();
    queue.Advance();
    EXPECT_EQ(messages.GetPendingMessages().size(), 3u);
}

TEST(QueueSave, WritesTheGuestsAndReadsThemBack)
{
    auto map = Draw(kStraight);
    QueueComponent queue({1, 0}, {1, 1}, false);
    queue.Join(5);
    queue.Join(0xFFFFFFF0u);
    using namespace savebytes;
    Bytes expected;
    Tagged(expected, BinarySerialStream::kTagInt, 2);
    Tagged(expected, BinarySerialStream::kTagUInt, 5);
    Tagged(expected, BinarySerialStream::kTagUInt, 0xFFFFFFF0u);
    EXPECT_EQ(Saved([&](SerialStream& s) { queue.Dump(s); }), expected);

    QueueComponent loaded({1, 0}, {1, 1}, false);
    loaded.Join(99);
    EXPECT_TRUE(LoadFrom(expected, [&](SerialStream& s) { return loaded.Load(s); }));
    EXPECT_EQ(loaded.GetGuests(), queue.GetGuests());
    // A list cut short is reported and fails; a count beyond reason reads no more than the cap.
    testsupport::RecordingReportSink reports;
    EXPECT_FALSE(
        LoadFrom(Bytes(expected.begin(), expected.end() - 5), [&](SerialStream& s) { return loaded.Load(s); }));
    Bytes huge;
    Tagged(huge, BinarySerialStream::kTagInt, -7);
    EXPECT_TRUE(LoadFrom(huge, [&](SerialStream& s) { return loaded.Load(s); }));
    EXPECT_TRUE(loaded.GetGuests().empty());
    EXPECT_EQ(reports.boxes.size(), 2u);
    // An empty queue is no fault.
    Bytes empty;
    Tagged(empty, BinarySerialStream::kTagInt, 0);
    EXPECT_TRUE(LoadFrom(empty, [&](SerialStream& s) { return queue.Load(s); }));
    EXPECT_TRUE(queue.GetGuests().empty());
    EXPECT_EQ(reports.boxes.size(), 2u);
}

} // namespace
