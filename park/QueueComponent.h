// QueueComponent: a building's guest queue: the queue path traced from the serving cell out to the footpath, its
// walk points, and the guests standing in it, head first.
#pragma once

#include "world/WorldMap.h"

#include <cstdint>
#include <vector>

class SerialStream;

class QueueComponent
{
public:
    // Walk points a queue cell gives.
    static constexpr int32_t kPointsPerCell = 3;
    // Most guest ids a saved queue may hold; a longer saved list is cut with a report.
    static constexpr uint32_t kMaxSavedGuests = 4096;

    // The cell inside the building the queue leads into, the serving cell at its head, and whether the queue has
    // a second file of walk points for guests walking out. Traces the queue at once.
    QueueComponent(const GridPos& insideCell, const GridPos& queueCell, bool twoWay);

    // Traces the queue path again from the serving cell.
    void Rebuild();
    // True when the cell is one of the cells the last trace went through.
    bool ContainsCell(int32_t x, int32_t y) const;

    void Join(uint32_t guest);
    // Removes the guest's first place in the queue; nothing when it is not queued.
    void Leave(uint32_t guest);
    // The head has been served: it leaves, and every guest behind it is told to move up, each a little later than
    // the one in front.
    void Advance();
    // A guest who is done with the queue (served, or gone from the park) goes from it, and the guests behind it are
    // told to move up as on Advance (the first of them as the head would be); nothing when it is not queued.
    void RemoveGone(uint32_t guest);
    // The guest's place (0 the head); 0 also for a guest that is not queued.
    int32_t GetPosition(uint32_t guest) const;
    void Clear() { m_QueueList.clear(); }

    // A walk point in map units; `inwards` false reads the second file of a two-way queue. An index outside the
    // points gives 0.
    float GetPointX(int32_t index, bool inwards) const;
    float GetPointY(int32_t index, bool inwards) const;

    // A complete queue path reaches the footpath.
    bool IsValid() const { return m_bActive; }
    int32_t GetPointCount() const { return m_iPointCount; }
    // Room while fewer guests queue than there are walk points.
    bool HasRoom() const { return static_cast<int32_t>(m_QueueList.size()) < m_iPointCount; }
    const GridPos& GetStartCell() const { return m_StartCell; }
    const GridPos& GetEndCell() const { return m_EndCell; }
    int32_t GetEndDirection() const { return m_iEndDirection; }
    bool IsTwoWay() const { return m_bTwoWay; }
    const GridPos& GetQueueCell() const { return m_QueueCell; }
    const std::vector<uint32_t>& GetGuests() const { return m_QueueList; }
    const std::vector<GridPos>& GetTracedCells() const { return m_Cells; }

    void Dump(SerialStream& stream) const;
    // Reads the saved guests into an emptied list; false, with a report, when the stream failed.
    bool Load(SerialStream& stream);
    // Marks every walk point with a ground cross.
    void DrawDebug() const;

private:
    // Appends a cell's three walk points, reached from `from`; false when the cell's shape has no points in this
    // kind of queue (the trace then ends there as a dead end).
    bool AddCellPoints(const GridPos& cell, const GridPos& from);
    void AddPoint(std::vector<int32_t>& xs, std::vector<int32_t>& ys, const GridPos& cell, int32_t ox, int32_t oy);
    bool WasTraced(const GridPos& cell) const;
    // Tells the guests from place `from` on to move up, each a little later than the one in front.
    void TellToMoveUp(size_t from);
    // The cell the trace goes on to from `current`, not back to `previous`; false when there is none.
    bool NextCell(const GridPos& current, const GridPos& previous, GridPos* next) const;

    GridPos m_InsideCell;
    GridPos m_QueueCell;
    bool m_bTwoWay;
    bool m_bActive = false;
    int32_t m_iPointCount = 0;
    GridPos m_StartCell = {-1, -1};
    GridPos m_EndCell = {-1, -1};
    int32_t m_iEndDirection = 0;
    std::vector<uint32_t> m_QueueList;
    std::vector<int32_t> m_WalkX;
    std::vector<int32_t> m_WalkY;
    std::vector<int32_t> m_SecondWalkX;
    std::vector<int32_t> m_SecondWalkY;
    std::vector<GridPos> m_Cells;
};
