// QueueComponent: tracing the queue path into walk points, the guests in the queue, and its save record.
#include "park/QueueComponent.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "world/MessageHandler.h"

#include <algorithm>
#include <cmath>

namespace
{

struct Offset
{
    int32_t x;
    int32_t y;
};

// One-way queues, by queue shape: the direction that counts as "coming in straight", then three offsets from the
// cell's corner in map units, in the order they are walked when coming in straight.
struct OneWayRow
{
    int32_t direction;
    Offset points[3];
};

constexpr OneWayRow kOneWay[16] = {
    {0, {{0, 32}, {0, 32}, {0, 32}}},    {0, {{0, 32}, {0, 32}, {0, 32}}},    {0, {{16, 46}, {16, 33}, {16, 11}}},
    {6, {{5, 32}, {15, 32}, {25, 32}}},  {0, {{16, 50}, {16, 32}, {16, 0}}},  {6, {{10, 32}, {16, 32}, {32, 32}}},
    {6, {{0, 32}, {16, 32}, {50, 32}}},  {0, {{16, 64}, {16, 32}, {16, 10}}}, {0, {{0, 32}, {0, 32}, {0, 32}}},
    {4, {{16, 11}, {16, 32}, {25, 32}}}, {0, {{16, 44}, {16, 32}, {25, 32}}}, {6, {{5, 32}, {16, 32}, {16, 44}}},
    {6, {{5, 32}, {16, 32}, {16, 11}}},  {0, {{0, 0}, {32, 0}, {32, 0}}},     {32, {{0, 32}, {0, 32}, {0, 32}}},
    {0, {{0, 32}, {0, 32}, {0, 32}}},
};

// Two-way queues: a direction and six offsets. Shapes 13 to 15 only occur at a building's queue entry and have no
// row: a two-way queue that meets one ends there.
struct TwoWayRow
{
    int32_t direction;
    Offset points[6];
};

constexpr TwoWayRow kTwoWayRows[] = {
    {0, {{0, 32}, {0, 32}, {0, 32}, {0, 32}, {0, 32}, {0, 32}}},
    {4, {{22, 11}, {22, 32}, {22, 44}, {10, 44}, {10, 32}, {10, 11}}},
    {6, {{5, 16}, {16, 16}, {25, 16}, {25, 44}, {16, 44}, {5, 44}}},
    {4, {{-15, 39}, {-6, 29}, {7, 18}, {15, 27}, {5, 37}, {-6, 47}}},
    {6, {{-6, 19}, {4, 29}, {15, 40}, {7, 47}, {-6, 36}, {-15, 26}}},
    {4, {{22, 5}, {22, 16}, {25, 16}, {25, 48}, {10, 48}, {10, 16}}},
    {0, {{10, 44}, {10, 16}, {25, 16}, {25, 44}, {22, 44}, {22, 48}}},
    {6, {{5, 16}, {25, 16}, {25, 44}, {10, 48}, {10, 44}, {5, 44}}},
    {4, {{25, 11}, {25, 44}, {5, 44}, {5, 16}, {10, 16}, {10, 11}}},
};
constexpr int kNoTwoWayRow = -1;
// The two-way row of each shape.
constexpr int kTwoWayRowOfShape[16] = {0, 0, 1, 2, 3, 4, 4, 3, 0, 5, 6, 7, 8, kNoTwoWayRow, kNoTwoWayRow, kNoTwoWayRow};

// The sides (bit i: side i, grid direction 2i) through which the trace goes on from a queue cell of each shape.
constexpr uint8_t kWalkOn[16] = {0x8, 0x0, 0x5, 0xA, 0x0, 0x0, 0x0, 0x0, 0xF, 0x6, 0x3, 0x9, 0xC, 0x2, 0x1, 0x4};
// The shape of a free queue piece: the trace never goes on from it.
constexpr uint32_t kFreePiece = 8;

// The direction a dead-end queue points away from its last cell, by that cell's shape.
int32_t DeadEndDirection(uint32_t shape)
{
    switch (shape)
    {
    case 5:
        return 6;
    case 6:
        return 2;
    case 7:
        return 4;
    default:
        return 0;
    }
}

uint32_t FlagsAt(const GridPos& cell)
{
    return g_pWorldMap ? g_pWorldMap->GetFlags(cell) : 0;
}

bool IsOnMap(const GridPos& cell)
{
    return g_pWorldMap && g_pWorldMap->IsValidGridPos(cell);
}

} // namespace

QueueComponent::QueueComponent(const GridPos& insideCell, const GridPos& queueCell, bool twoWay)
    : m_InsideCell(insideCell), m_QueueCell(queueCell), m_bTwoWay(twoWay)
{
    Rebuild();
}

void QueueComponent::AddPoint(std::vector<int32_t>& xs, std::vector<int32_t>& ys, const GridPos& cell, int32_t ox,
                              int32_t oy)
{
    xs.push_back(cell.x * 32 + ox);
    ys.push_back(cell.y * 64 + oy);
}

bool QueueComponent::AddCellPoints(const GridPos& cell, const GridPos& from)
{
    const uint32_t flags = FlagsAt(cell);
    const uint32_t shape = QueueShapeOf(flags);
    if (m_bTwoWay)
    {
        int row = kTwoWayRowOfShape[shape];
        // The footpath the queue meets is no queue piece: shape bits it kept from one that lay there before end
        // nothing, and its points (never walked) are those of a plain piece.
        if (row == kNoTwoWayRow && (flags & CELL_FOOTPATH) != 0)
            row = 0;
        if (row == kNoTwoWayRow)
            return false;
        m_Cells.push_back(cell);
        const TwoWayRow& r = kTwoWayRows[row];
        const bool matched = WorldMap::GetNeighbourPos(cell, r.direction) == from;
        // Coming in straight: the first three offsets lead in, the last three (backwards) lead out.
        static constexpr int kIn[3] = {0, 1, 2};
        static constexpr int kOut[3] = {5, 4, 3};
        static constexpr int kReversedIn[3] = {3, 4, 5};
        static constexpr int kReversedOut[3] = {2, 1, 0};
        for (int i = 0; i < 3; ++i)
        {
            const Offset& in = r.points[matched ? kIn[i] : kReversedIn[i]];
            const Offset& out = r.points[matched ? kOut[i] : kReversedOut[i]];
            AddPoint(m_WalkX, m_WalkY, cell, in.x, in.y);
            AddPoint(m_SecondWalkX, m_SecondWalkY, cell, out.x, out.y);
        }
        return true;
    }
    m_Cells.push_back(cell);
    const OneWayRow& r = kOneWay[shape];
    const bool matched = WorldMap::GetNeighbourPos(cell, r.direction) == from;
    for (int i = 0; i < 3; ++i)
    {
        const Offset& p = r.points[matched ? i : 2 - i];
        AddPoint(m_WalkX, m_WalkY, cell, p.x, p.y);
    }
    return true;
}

bool QueueComponent::WasTraced(const GridPos& cell) const
{
    return std::find(m_Cells.begin(), m_Cells.end(), cell) != m_Cells.end();
}

bool QueueComponent::NextCell(const GridPos& current, const GridPos& previous, GridPos* next) const
{
    const uint32_t flags = FlagsAt(current);
    const uint32_t shape = QueueShapeOf(flags);
    if ((flags & CELL_QUEUE) == 0 || shape == kFreePiece)
        return false;
    for (int32_t side = 0; side < 4; ++side)
    {
        if ((kWalkOn[shape] >> side & 1u) == 0)
            continue;
        const GridPos candidate = WorldMap::GetNeighbourPos(current, side * 2);
        // The map does not wrap: a side off its edge leads nowhere.
        if (!IsOnMap(candidate) || candidate == previous)
            continue;
        if (FlagsAt(candidate) & CELL_NO_JOIN)
            return false;
        *next = candidate;
        return true;
    }
    return false;
}

void QueueComponent::Rebuild()
{
    m_WalkX.clear();
    m_WalkY.clear();
    m_SecondWalkX.clear();
    m_SecondWalkY.clear();
    m_Cells.clear();
    m_EndCell = {-1, -1};
    m_iEndDirection = 0;
    m_StartCell = {-1, -1};
    m_bActive = false;
    m_iPointCount = 0;
    if (!IsOnMap(m_QueueCell))
        return;

    if (FlagsAt(m_QueueCell) & CELL_FOOTPATH)
    {
        // Guests are served straight from the footpath: one place, at the cell's centre.
        const platform::Vec3 centre = WorldMap::GetCellPoint(m_QueueCell, 4);
        m_WalkX.push_back(static_cast<int32_t>(centre.x));
        m_WalkY.push_back(static_cast<int32_t>(centre.y));
        m_SecondWalkX.push_back(static_cast<int32_t>(centre.x));
        m_SecondWalkY.push_back(static_cast<int32_t>(centre.y));
        m_StartCell = m_QueueCell;
        m_bActive = true;
        m_iPointCount = 1;
        return;
    }

    if (!AddCellPoints(m_QueueCell, m_InsideCell))
        return;
    GridPos previous = m_InsideCell;
    GridPos current = m_QueueCell;
    // Every step adds a new cell, so the map's cell count bounds the walk.
    const uint32_t limit = g_pWorldMap->GetCellCount() + 1;
    for (uint32_t step = 0; step < limit; ++step)
    {
        if (FlagsAt(current) & CELL_FOOTPATH)
        {
            m_bActive = true;
            m_StartCell = current;
            const size_t n = m_Cells.size();
            if (n >= 2)
            {
                m_EndCell = m_Cells[n - 2];
                m_iEndDirection = WorldMap::DirectionTo(m_EndCell, m_Cells[n - 1]);
            }
            break;
        }
        m_iPointCount += kPointsPerCell;
        GridPos next;
        if (!NextCell(current, previous, &next))
        {
            m_EndCell = m_Cells.back();
            m_iEndDirection = DeadEndDirection(QueueShapeOf(FlagsAt(m_EndCell)));
            break;
        }
        if (next == m_QueueCell || WasTraced(next))
            break;
        if (!AddCellPoints(next, current))
        {
            m_EndCell = current;
            m_iEndDirection = WorldMap::DirectionTo(current, next);
            break;
        }
        previous = current;
        current = next;
    }
    if (!m_bActive)
        m_iPointCount = 0;
}

bool QueueComponent::ContainsCell(int32_t x, int32_t y) const
{
    return WasTraced({x, y});
}

void QueueComponent::Join(uint32_t guest)
{
    m_QueueList.push_back(guest);
}

void QueueComponent::Leave(uint32_t guest)
{
    const auto found = std::find(m_QueueList.begin(), m_QueueList.end(), guest);
    if (found != m_QueueList.end())
        m_QueueList.erase(found);
}

void QueueComponent::Advance()
{
    if (m_QueueList.empty())
        return;
    m_QueueList.erase(m_QueueList.begin());
    TellToMoveUp(0);
}

void QueueComponent::RemoveGone(uint32_t guest)
{
    const auto found = std::find(m_QueueList.begin(), m_QueueList.end(), guest);
    if (found == m_QueueList.end())
        return;
    const size_t place = static_cast<size_t>(found - m_QueueList.begin());
    m_QueueList.erase(found);
    TellToMoveUp(place);
}

void QueueComponent::TellToMoveUp(size_t from)
{
    if (!g_pMessageHandler)
        return;
    for (size_t i = from; i < m_QueueList.size(); ++i)
    {
        MessageRecord record;
        record.dwSender = kNoObjectID;
        record.dwReciever = m_QueueList[i];
        record.dwType = MT_ADVANCE_QUEUE;
        const float r = static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
        g_pMessageHandler->SendDelayed(record, 0.1f + 0.3f * static_cast<float>(i) + r * 0.4f);
    }
}

int32_t QueueComponent::GetPosition(uint32_t guest) const
{
    const auto found = std::find(m_QueueList.begin(), m_QueueList.end(), guest);
    return found == m_QueueList.end() ? 0 : static_cast<int32_t>(found - m_QueueList.begin());
}

float QueueComponent::GetPointX(int32_t index, bool inwards) const
{
    const std::vector<int32_t>& xs = m_bTwoWay && !inwards ? m_SecondWalkX : m_WalkX;
    return index >= 0 && static_cast<size_t>(index) < xs.size() ? static_cast<float>(xs[index]) : 0.0f;
}

float QueueComponent::GetPointY(int32_t index, bool inwards) const
{
    const std::vector<int32_t>& ys = m_bTwoWay && !inwards ? m_SecondWalkY : m_WalkY;
    return index >= 0 && static_cast<size_t>(index) < ys.size() ? static_cast<float>(ys[index]) : 0.0f;
}

void QueueComponent::Dump(SerialStream& stream) const
{
    stream.WriteInt("m_QueueList.size()", static_cast<int32_t>(m_QueueList.size()));
    for (uint32_t guest : m_QueueList)
        stream.WriteUInt("m_QueueList[i]", guest);
}

bool QueueComponent::Load(SerialStream& stream)
{
    m_QueueList.clear();
    int32_t count = 0;
    if (!stream.ReadInt(&count))
    {
        GetLogger()->Report(0, "QueueComponent::Load - the saved queue is cut short");
        return false;
    }
    if (count < 0 || static_cast<uint32_t>(count) > kMaxSavedGuests)
    {
        GetLogger()->Report(0, "QueueComponent::Load - a saved queue of %d guests is cut to %u", count,
                            count < 0 ? 0u : kMaxSavedGuests);
        count = std::max(count, 0);
    }
    // Every saved id is read, so that the record goes on in step after the queue; the first ones are kept.
    for (int32_t i = 0; i < count; ++i)
    {
        uint32_t guest = 0;
        if (!stream.ReadUInt(&guest))
        {
            GetLogger()->Report(0, "QueueComponent::Load - the saved queue is cut short");
            return false;
        }
        if (m_QueueList.size() < kMaxSavedGuests)
            m_QueueList.push_back(guest);
    }
    return true;
}

void QueueComponent::DrawDebug() const
{
    constexpr uint32_t kInColour = 0xFFFFFFFF;
    constexpr uint32_t kOutColour = 0xFF00FFFF;
    for (size_t i = 0; i < m_WalkX.size(); ++i)
        DrawGroundCross({static_cast<float>(m_WalkX[i]), static_cast<float>(m_WalkY[i]), 0.0f}, kInColour, 0.5f);
    if (!m_bTwoWay)
        return;
    for (size_t i = 0; i < m_SecondWalkX.size(); ++i)
        DrawGroundCross({static_cast<float>(m_SecondWalkX[i]), static_cast<float>(m_SecondWalkY[i]), 0.0f}, kOutColour,
                        0.5f);
}
