// ToolRules: the decisions of the park's tool modes, kept apart from drawing and input: where a building's
// footprint lies and whether it may stand there, the drag rectangle and its walk, which cells take footpath and
// queue pieces and what a drag of path costs, which cells the bulldozer clears, and which picked object is selected.
#pragma once

#include "world/WorldMap.h"

#include <cstdint>
#include <vector>

class BaseObject;
struct MapGridInfo;

namespace toolrules
{

// A drag's end cell stays within this many cells of its start on each axis.
constexpr int32_t kMaxDragSpan = 20;

// Cell marker colours.
constexpr uint32_t kMarkGood = 0x8000FF00u;
constexpr uint32_t kMarkBad = 0x80FF0000u;
constexpr uint32_t kMarkPathCell = 0x800000FFu;
constexpr uint32_t kMarkQueueGood = 0xFF0000C8u;
constexpr uint32_t kMarkQueueBad = 0xFFFF0000u;

// Layout bits of a building's map grid.
constexpr uint32_t kLayoutBody = 0x100u;
constexpr uint32_t kLayoutPath = 0x0Eu;

// What the tools need to know about one object standing on a cell.
struct CellObject
{
    uint8_t kind = 0;       // ObjectKind
    bool bin = false;       // named "Bin"
    bool entrance = false;  // the building named "ENTRANCE"
    bool dozerFlag = false; // scenery the bulldozer may remove
    bool occupied = false;  // in STATE_OCCUPIED
    bool rail = false;      // a rail piece
    int32_t cost = 0;       // the scenery's build cost
};

// What the tools see of a park object.
CellObject FactsOf(const BaseObject& object);

// The park as the tools see it.
class CellSource
{
public:
    virtual ~CellSource() = default;
    // The cell's flags, 0 off the map.
    virtual uint32_t Flags(const GridPos& pos) const = 0;
    virtual bool IsValid(const GridPos& pos) const = 0;
    virtual void Objects(const GridPos& pos, std::vector<CellObject>& out) const = 0;
};

// A CellSource over a WorldMap and the objects its cells hold.
class MapCellSource : public CellSource
{
public:
    explicit MapCellSource(const WorldMap& map) : m_Map(map) {}
    uint32_t Flags(const GridPos& pos) const override { return m_Map.GetFlags(pos); }
    bool IsValid(const GridPos& pos) const override { return m_Map.IsValidGridPos(pos); }
    void Objects(const GridPos& pos, std::vector<CellObject>& out) const override;

private:
    const WorldMap& m_Map;
};

struct CellMark
{
    GridPos pos;
    uint32_t colour = 0;
    friend bool operator==(const CellMark&, const CellMark&) = default;
};

// ---- building placement
// The footprint's anchor cell for a cursor cell at its centre (width and height swapped for odd rotations).
GridPos BuildAnchor(const GridPos& cursor, int32_t width, int32_t height, int32_t rotation);
// The layout word of a map grid at (x, y); 0 outside the grid.
uint32_t LayoutWord(const MapGridInfo& grid, int32_t x, int32_t y);
// Whether a building with that map grid may stand at the anchor: every laid-out cell of the footprint and its ring
// is checked; the marks (when asked) get one entry per checked cell.
bool CheckBuildingPlacement(const CellSource& cells, const MapGridInfo& grid, const GridPos& anchor, int32_t rotation,
                            std::vector<CellMark>* marks);
// The player may pay for a building only with money left over.
inline bool CanAffordBuilding(float cash, int32_t cost)
{
    return cash - static_cast<float>(cost) > 0.0f;
}
// A quarter turn for a wheel movement: below 1 forward, otherwise back.
int32_t TurnBuildingByWheel(int32_t rotation, int32_t delta);
int32_t TurnSceneryByWheel(int32_t rotation, int32_t delta);

// ---- drags
GridPos ClampDragEnd(const GridPos& start, const GridPos& end);
// The rectangle's cells from start to end inclusive, x outer, y inner, each axis stepping towards the end.
std::vector<GridPos> WalkRect(const GridPos& start, const GridPos& end);
bool InsideRect(const GridPos& pos, const GridPos& a, const GridPos& b);

// ---- footpath and queue
bool CanTakeFootpath(uint32_t flags);
// The cells a released footpath drag lays and the budget left: a layable cell is laid while the budget before it
// is not negative, so the budget may end one cell's cost below zero.
struct PathPlan
{
    std::vector<GridPos> cells;
    float budget = 0.0f;
};
PathPlan PlanFootpath(const CellSource& cells, const GridPos& start, const GridPos& end, float cash, int32_t cost);
// The markers of a footpath drag under way.
std::vector<CellMark> FootpathDragMarks(const CellSource& cells, const GridPos& start, const GridPos& end, float cash,
                                        int32_t cost);
// A queue piece's ground test (flags, money, not the cell just laid); the open neighbour is asked separately.
bool QueueGroundAllows(uint32_t flags, float cash, int32_t cost, bool lastPlaced);

// ---- bulldozer
bool DozerClearable(uint32_t flags, const std::vector<CellObject>& objects);

// ---- selection
// Of the kinds of the objects under the pointer (in list order), the index selected: the first moving object
// (kind 3), else the first static one (kind 4); -1 for none.
constexpr uint32_t kPickMoving = 3;
constexpr uint32_t kPickStatic = 4;
int32_t ChoosePick(const std::vector<uint32_t>& kinds);
// The picking class of a park object of that kind: guests, staff, servers and animals move; buildings, scenery,
// tables and litter stand still; anything else is not picked (0).
uint32_t PickClassOf(uint8_t objectKind);

} // namespace toolrules
