// Tests of a building's queue: tracing the queue path into walk points, joining, leaving, moving up, the room it
// has and its save record.
#include "park/QueueComponent.h"
#include "scripts/ObjectStates.h"
#include "tests/world/GridTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/MessageHandler.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace
{

using std::pair;
using std::tuple;

// Rows from y = 0, split by '/' (see GridTestSupport.h): '.' ground, 'P' footpath, hex digits queue path of that
// shape, 'N' a cell other buildings keep to themselves (queue path of shape 2 marked no-join).
std::unique_ptr<WorldMap> Draw(const std::string& text)
{
    std::vector<std::string> rows;
    std::istringstream split(text);
    for (std::string row; std::getline(split, row, '/');)
        rows.push_back(row);
    std::vector<std::string> drawn = rows;
    for (std::string& row : drawn)
        std::replace(row.begin(), row.end(), 'N', '2');
    auto map = gridtest::MakeMap(drawn);
    for (int y = 0; y < map->GetHeight(); ++y)
    {
        for (int x = 0; x < map->GetWidth(); ++x)
            map->GetCell({x, y})->m_uiFlags |= rows[y][x] == 'N' ? uint32_t{CELL_NO_JOIN} : 0u;
    }
    return map;
}

// A straight queue of four cells north of the building, and a winding one: north, east, north, east twice, north,
// west, north, through every two-sided piece entered from either end.
const std::string kStraight = "..../.2../.2../.2../.2../.P../....";
const std::string kWinding = "...../.2.../.9b../..93b/...ac/...2./...P.";

TEST(QueueTrace, FindsTheFootpathOrNoQueue)
{
    // A queue served at `queue`, leading out of the cell south of it (y - 1), one-way or two-way: its points, start
    // and end cells and end direction; no points when it reaches no footpath.
    const tuple<const char*, std::string, GridPos, bool, int32_t, GridPos, GridPos, int32_t> cases[] = {
        {"four_cells", kStraight, {1, 1}, false, 12, {1, 5}, {1, 4}, 0},
        {"four_cells_two_way", kStraight, {1, 1}, true, 12, {1, 5}, {1, 4}, 0},
        {"on_the_footpath", "..../.P../....", {1, 1}, false, 1, {1, 1}, {-1, -1}, 0},
        {"off_the_map", "..../.P../....", {9, 9}, false, 0, {-1, -1}, {-1, -1}, 0},
        // A queue over the whole map, the footpath in its last cell.
        {"filling_the_map", "2/2/P", {0, 0}, false, 6, {0, 2}, {0, 1}, 0},
        {"winding", kWinding, {1, 1}, false, 27, {3, 6}, {3, 5}, 0},
        // 1,1 (2) -> 1,2 (9: east and south) -> 2,2 (3) -> footpath 3,2.
        {"turning_east", "..../.2../.93P/....", {1, 1}, false, 9, {3, 2}, {2, 2}, 2},
        {"a_gap", "..../.2../.2../..../.P..", {1, 1}, false, 0, {-1, -1}, {1, 3}, 0},
        {"a_ring", "..../.ab./.9c./....", {1, 1}, false, 0, {-1, -1}, {-1, -1}, 0},
        {"a_cell_kept_by_another_building", "..../.2../.N../.P..", {1, 1}, false, 0, {-1, -1}, {1, 1}, 0},
        // North off the map: the footpath at the far edge is not reached round it.
        {"off_the_map_edge", ".P../..../..../.2..", {1, 3}, false, 0, {-1, -1}, {1, 3}, 0},
        // A piece open on no further side ends the queue, pointing the way its shape does.
        {"dead_end_1", "..../.2../.1../..../.P..", {1, 1}, false, 0, {-1, -1}, {1, 2}, 0},
        {"dead_end_5", "..../.2../.5../..../.P..", {1, 1}, false, 0, {-1, -1}, {1, 2}, 6},
        {"dead_end_6", "..../.2../.6../..../.P..", {1, 1}, false, 0, {-1, -1}, {1, 2}, 2},
        {"dead_end_7", "..../.2../.7../..../.P..", {1, 1}, false, 0, {-1, -1}, {1, 2}, 4},
        // Shape 14 (the queue entry piece, open north) carries a one-way queue on but ends a two-way one.
        {"entry_piece_one_way", "..../.2../.e../.P..", {1, 1}, false, 6, {1, 3}, {1, 2}, 0},
        {"entry_piece_two_way", "..../.2../.e../.P..", {1, 1}, true, 0, {-1, -1}, {1, 1}, 0}};
    for (const auto& [name, rows, at, twoWay, points, start, end, direction] : cases)
    {
        auto map = Draw(rows);
        QueueComponent queue({at.x, at.y - 1}, at, twoWay);
        EXPECT_EQ(tuple(queue.IsValid(), queue.GetPointCount(), queue.GetStartCell(), queue.GetEndCell(),
                        queue.GetEndDirection()),
                  tuple(points > 0, points, start, end, direction))
            << name;
        // No points before the first or beyond the footpath cell's three; a serve cell on the footpath is queued
        // on at its centre, and is no queue cell.
        EXPECT_TRUE(queue.GetPointX(-1, true) == 0.0f && (points == 0 || queue.GetPointY(points + 3, false) == 0.0f));
        EXPECT_TRUE(points != 1 || (pair(queue.GetPointX(0, false), queue.GetPointY(0, true)) ==
                                        pair(at.x * 32 + 16.0f, at.y * 64 + 32.0f) &&
                                    !queue.ContainsCell(at.x, at.y)))
            << name;
        // One guest per point.
        std::vector<bool> room;
        for (int32_t i = 0; i < points; ++i)
            room.push_back(queue.HasRoom()), queue.Join(100 + i);
        EXPECT_EQ(pair(room, queue.HasRoom()), pair(std::vector<bool>(points, true), false)) << name;
        // Traced again over plain ground, it has none but the serve cell's, whichever file is read.
        if (MapCell* cell = map->GetCell(at))
            cell->m_uiFlags = gridtest::FlagsOf('.');
        queue.Rebuild();
        EXPECT_TRUE(!map->IsValidGridPos(at) ||
                    (queue.GetPointX(0, false) == at.x * 32 && queue.GetPointX(3, false) == 0.0f))
            << name;
    }
}

// The walk points of each queue piece, as offsets from its cell's corner in the order they are walked coming in
// straight: from the neighbour in direction `from` (32: from the cell itself); any other way walks them backwards. A
// two-way piece lists the file in, then the file out read backwards.
using Points = std::vector<std::pair<int, int>>;
const std::pair<int, Points> kOneWay[16] = {
    {0, {{0, 32}, {0, 32}, {0, 32}}},    {0, {{0, 32}, {0, 32}, {0, 32}}},    {0, {{16, 46}, {16, 33}, {16, 11}}},
    {6, {{5, 32}, {15, 32}, {25, 32}}},  {0, {{16, 50}, {16, 32}, {16, 0}}},  {6, {{10, 32}, {16, 32}, {32, 32}}},
    {6, {{0, 32}, {16, 32}, {50, 32}}},  {0, {{16, 64}, {16, 32}, {16, 10}}}, {0, {{0, 32}, {0, 32}, {0, 32}}},
    {4, {{16, 11}, {16, 32}, {25, 32}}}, {0, {{16, 44}, {16, 32}, {25, 32}}}, {6, {{5, 32}, {16, 32}, {16, 44}}},
    {6, {{5, 32}, {16, 32}, {16, 11}}},  {0, {{0, 0}, {32, 0}, {32, 0}}},     {32, {{0, 32}, {0, 32}, {0, 32}}},
    {0, {{0, 32}, {0, 32}, {0, 32}}}};
const std::tuple<std::vector<uint32_t>, int, Points> kTwoWay[] = {
    {{0, 1, 8}, 0, {{0, 32}, {0, 32}, {0, 32}, {0, 32}, {0, 32}, {0, 32}}},
    {{2}, 4, {{22, 11}, {22, 32}, {22, 44}, {10, 44}, {10, 32}, {10, 11}}},
    {{3}, 6, {{5, 16}, {16, 16}, {25, 16}, {25, 44}, {16, 44}, {5, 44}}},
    {{4, 7}, 4, {{-15, 39}, {-6, 29}, {7, 18}, {15, 27}, {5, 37}, {-6, 47}}},
    {{5, 6}, 6, {{-6, 19}, {4, 29}, {15, 40}, {7, 47}, {-6, 36}, {-15, 26}}},
    {{9}, 4, {{22, 5}, {22, 16}, {25, 16}, {25, 48}, {10, 48}, {10, 16}}},
    {{10}, 0, {{10, 44}, {10, 16}, {25, 16}, {25, 44}, {22, 44}, {22, 48}}},
    {{11}, 6, {{5, 16}, {25, 16}, {25, 44}, {10, 48}, {10, 44}, {5, 44}}},
    {{12}, 4, {{25, 11}, {25, 44}, {5, 44}, {5, 16}, {10, 16}, {10, 11}}},
    // The queue entry pieces have no two-way points: a two-way queue ends there.
    {{13, 14, 15}, 32, {}}};

// The serve cell (3, 3) of a queue of the shape entered from the neighbour in the direction: its three points of
// each file, in from the cell's corner (no points read as the map's corner).
Points PointsOf(uint32_t shape, bool twoWay, int from)
{
    auto map = Draw(std::string("...../...../...../...") + "0123456789abcdef"[shape] + "./...../.....");
    const QueueComponent queue(WorldMap::GetNeighbourPos({3, 3}, from), {3, 3}, twoWay);
    Points points;
    for (int i = 0; i < 6; ++i)
        points.push_back({static_cast<int>(queue.GetPointX(i % 3, i < 3)) - 96,
                          static_cast<int>(queue.GetPointY(i % 3, i < 3)) - 192});
    return points;
}

TEST(QueueWalkPoints, EveryPieceGivesItsPointsForTheSideItIsEnteredFrom)
{
    const auto arranged = [](const Points& p, std::initializer_list<int> order)
    {
        Points out;
        for (int i : order)
            out.push_back(p.empty() ? pair(-96, -192) : p[i]);
        return out;
    };
    for (uint32_t shape = 0; shape < 16; ++shape)
    {
        const auto& [from, p] = kOneWay[shape];
        EXPECT_EQ(PointsOf(shape, false, from), arranged(p, {0, 1, 2, 0, 1, 2})) << shape;
        EXPECT_EQ(PointsOf(shape, false, (from + 4) & 7), arranged(p, {2, 1, 0, 2, 1, 0})) << shape;
    }
    for (const auto& [shapes, from, p] : kTwoWay)
    {
        for (uint32_t shape : shapes)
        {
            EXPECT_EQ(PointsOf(shape, true, from), arranged(p, {0, 1, 2, 5, 4, 3})) << shape;
            EXPECT_EQ(PointsOf(shape, true, (from + 4) & 7), arranged(p, {3, 4, 5, 2, 1, 0})) << shape;
        }
    }
}

// Guests 7 to 10 in a straight queue, 7 at the head, with the world's clock and messages.
struct FourInQueue
{
    FourInQueue()
    {
        for (uint32_t guest : {7u, 8u, 9u, 10u})
            queue.Join(guest);
    }
    World world;
    MessageHandler messages;
    std::unique_ptr<WorldMap> map = Draw(kStraight);
    QueueComponent queue{{1, 0}, {1, 1}, false};
};

TEST(QueueGuests, JoinLeaveAndClear)
{
    FourInQueue four;
    QueueComponent& queue = four.queue;
    // A guest not in the queue is at the head's place, and its leaving changes nothing.
    queue.Leave(42);
    EXPECT_EQ(tuple(queue.GetPosition(9), queue.GetPosition(42), queue.GetGuests()),
              tuple(2, 0, std::vector<uint32_t>{7, 8, 9, 10}));
    // A guest who leaves tells nobody to move up.
    queue.Leave(9);
    EXPECT_EQ(tuple(queue.GetPosition(10), queue.GetGuests()), tuple(2, std::vector<uint32_t>{7, 8, 10}));
    queue.Clear();
    queue.Advance();
    EXPECT_TRUE(queue.GetGuests().empty());
    EXPECT_TRUE(four.messages.GetPendingMessages().empty());
}

// The head served, or a guest taken out of the park, goes from its place; the guests behind it move up from their
// new places (the guest i places behind the head 0.1 + 0.3 i seconds later, and up to 0.4 s more at random), and
// the guests in front stay where they are.
TEST(QueueGuests, WhenAGuestGoesThoseBehindMoveUpInOrder)
{
    struct Case
    {
        uint32_t gone; // 0: the head is served
        std::vector<uint32_t> left;
        std::vector<uint32_t> movingUp;
        size_t firstPlace;
    };
    const Case cases[] = {
        {0, {8, 9, 10}, {8, 9, 10}, 0}, {7, {8, 9, 10}, {8, 9, 10}, 0}, {9, {7, 8, 10}, {10}, 2},
        {10, {7, 8, 9}, {}, 3},         {42, {7, 8, 9, 10}, {}, 0},
    };
    for (const Case& c : cases)
    {
        FourInQueue four;
        QueueComponent& queue = four.queue;
        four.world.AdvanceClock(5.0f);
        const float now = four.world.GetGameTime();
        if (c.gone == 0)
            queue.Advance();
        else
            queue.RemoveGone(c.gone);
        EXPECT_EQ(queue.GetGuests(), c.left) << c.gone;
        const std::vector<MessageRecord>& posted = four.messages.GetPendingMessages();
        ASSERT_EQ(posted.size(), c.movingUp.size()) << c.gone;
        for (size_t i = 0; i < posted.size(); ++i)
        {
            EXPECT_EQ(tuple(posted[i].dwType, posted[i].dwReciever, posted[i].dwSender),
                      tuple(uint32_t{MT_ADVANCE_QUEUE}, c.movingUp[i], kNoObjectID));
            const float place = static_cast<float>(c.firstPlace + i);
            const float delay = posted[i].fTime - now;
            EXPECT_TRUE(delay >= 0.1f + 0.3f * place - 1e-4f && delay <= 0.5f + 0.3f * place + 1e-4f)
                << c.gone << " " << i << " " << delay;
        }
    }
}

// A full park moves its queues up in one frame as far as they are long: one winding queue holding most of the
// park's guests, or many shops' queues served at once. Every guest behind is told to move up, and a message of the
// world script posted in that frame is delivered too; nothing is reported.
TEST(QueueGuests, EveryGuestOfAFullParksQueuesMovesUp)
{
    struct Case
    {
        const char* what;
        uint32_t queues;
        uint32_t guestsEach;
    };
    const Case cases[] = {{"one long queue", 1, 1400}, {"thirty shops", 30, 45}};
    for (const Case& c : cases)
    {
        testsupport::RecordingReportSink reports;
        World world;
        MessageHandler messages;
        auto map = Draw(kStraight);
        std::vector<std::unique_ptr<QueueComponent>> queues;
        uint32_t guest = 100;
        for (uint32_t q = 0; q < c.queues; ++q)
        {
            queues.push_back(std::make_unique<QueueComponent>(GridPos{1, 0}, GridPos{1, 1}, false));
            for (uint32_t i = 0; i < c.guestsEach; ++i)
                queues.back()->Join(guest++);
        }
        for (const auto& queue : queues)
            queue->Advance();
        MessageRecord script;
        script.dwReciever = kWorldID;
        script.dwType = MT_UNLOCK_SCENARIO;
        script.dwData = 1;
        EXPECT_TRUE(world.PostScriptMessageDelayed(script, 1.0f)) << c.what;
        size_t movingUp = 0, scripted = 0;
        for (const MessageRecord& posted : messages.GetPendingMessages())
        {
            movingUp += posted.dwType == MT_ADVANCE_QUEUE ? 1 : 0;
            scripted += posted.dwType == MT_UNLOCK_SCENARIO ? 1 : 0;
        }
        EXPECT_EQ(movingUp, size_t{c.queues} * (c.guestsEach - 1)) << c.what;
        EXPECT_EQ(scripted, 1u) << c.what;
        EXPECT_TRUE(reports.boxes.empty()) << c.what << ": " << reports.boxes.front().text;
    }
}

TEST(QueueSave, WritesTheGuestsAndReadsThemBack)
{
    auto map = Draw(kStraight);
    QueueComponent queue({1, 0}, {1, 1}, false);
    queue.Join(5);
    queue.Join(0xFFFFFFF0u);
    using namespace savebytes;
    const auto list = [](int32_t count, const std::vector<uint32_t>& ids)
    {
        Bytes bytes;
        bytes.reserve(5 * (ids.size() + 1));
        Tagged(bytes, BinarySerialStream::kTagInt, static_cast<uint32_t>(count));
        for (uint32_t id : ids)
            Tagged(bytes, BinarySerialStream::kTagUInt, id);
        return bytes;
    };
    const Bytes saved = list(2, {5, 0xFFFFFFF0u});
    EXPECT_EQ(Saved([&](SerialStream& s) { queue.Dump(s); }), saved);
    QueueComponent loaded({1, 0}, {1, 1}, false);
    const auto load = [&](const Bytes& bytes)
    { return LoadFrom(bytes, [&](SerialStream& s) { return loaded.Load(s); }); };
    loaded.Join(99);
    EXPECT_TRUE(load(saved));
    EXPECT_EQ(loaded.GetGuests(), queue.GetGuests());
    // An empty queue is no fault. A list cut short, after or before its count, is reported and fails; a negative
    // count reads none and a count beyond reason no more than 4096, with a report.
    testsupport::RecordingReportSink reports;
    const auto loadedFrom = [&](const Bytes& bytes)
    {
        const bool ok = load(bytes);
        return tuple(ok, loaded.GetGuests().size(), reports.boxes.size());
    };
    EXPECT_EQ(loadedFrom(list(0, {})), tuple(true, size_t{0}, size_t{0}));
    EXPECT_EQ(loadedFrom(Bytes(saved.begin(), saved.end() - 5)), tuple(false, size_t{1}, size_t{1}));
    EXPECT_EQ(loadedFrom(Bytes()), tuple(false, size_t{0}, size_t{2}));
    EXPECT_EQ(loadedFrom(list(-7, {})), tuple(true, size_t{0}, size_t{3}));
    EXPECT_EQ(loadedFrom(list(5000, std::vector<uint32_t>(5000, 3))), tuple(true, size_t{4096}, size_t{4}));
    // The ids beyond are read past, so that what the record holds after the queue is read as itself.
    Bytes followed = list(5000, std::vector<uint32_t>(5000, 3));
    Tagged(followed, BinarySerialStream::kTagInt, 77u);
    int32_t after = 0;
    EXPECT_TRUE(LoadFrom(followed, [&](SerialStream& s) { return loaded.Load(s) && s.ReadInt(&after); }));
    EXPECT_EQ(tuple(after, loaded.GetGuests().size()), tuple(77, size_t{4096}));
}

} // namespace

namespace
{

// A footpath cell keeps the shape bits of a queue piece that once lay there (a pulled-down building's queue entry,
// say); they are no queue shape of the footpath's, and a queue of either kind that reaches it is complete.
TEST(QueueTrace, ReachesAFootpathWhateverShapeBitsItKeeps)
{
    for (uint32_t shape = 0; shape < 16; ++shape)
    {
        for (bool twoWay : {false, true})
        {
            auto map = Draw(kStraight);
            MapCell* path = map->GetCell({1, 5});
            path->m_uiFlags = (path->m_uiFlags & ~CELL_QUEUE_SHAPE) | shape << kQueueShapeShift;
            QueueComponent queue({1, 0}, {1, 1}, twoWay);
            // Four queue cells of three places each, joined at the footpath at (1, 5).
            EXPECT_EQ(tuple(queue.IsValid(), queue.GetPointCount(), queue.GetStartCell(), queue.GetEndCell()),
                      tuple(true, 12, GridPos{1, 5}, GridPos{1, 4}))
                << shape << " " << twoWay;
        }
    }
}

} // namespace
