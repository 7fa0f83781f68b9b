// The tool modes' placement, path, bulldozer and selection decisions.
#include "game/ToolRules.h"

#include "park/ConstructionManager.h"
#include "park/SceneryObject.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParamsRecords.h"
#include "world/BaseObject.h"
#include "world/ObjectKinds.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace toolrules
{

CellObject FactsOf(const BaseObject& object)
{
    CellObject facts;
    facts.kind = object.GetType();
    facts.bin = std::strcmp(object.GetName(), "Bin") == 0;
    facts.entrance = std::strcmp(object.GetName(), "ENTRANCE") == 0;
    facts.occupied = object.GetState() == STATE_OCCUPIED;
    facts.rail = object.IsRailPiece();
    if (facts.kind == OBJECT_SCENERY)
    {
        const SceneryInfo& info = static_cast<const Scenery&>(object).GetInfo();
        facts.dozerFlag = info.bUserRemove;
        facts.cost = info.iCost2Build;
    }
    return facts;
}

void MapCellSource::Objects(const GridPos& pos, std::vector<CellObject>& out) const
{
    out.clear();
    for (const BaseObject* object : m_Map.GetObjectsAt(pos))
        out.push_back(FactsOf(*object));
}

GridPos BuildAnchor(const GridPos& cursor, int32_t width, int32_t height, int32_t rotation)
{
    if (rotation & 1)
        std::swap(width, height);
    return {cursor.x - width / 2, cursor.y - height / 2};
}

uint32_t LayoutWord(const MapGridInfo& grid, int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || x >= MapGridInfo::kGridSize || y >= MapGridInfo::kGridSize)
        return 0;
    return grid.flags[x][y];
}

bool CheckBuildingPlacement(const CellSource& cells, const MapGridInfo& grid, const GridPos& anchor, int32_t rotation,
                            std::vector<CellMark>* marks)
{
    // The same walk as the construction that follows a placement: layout column c and row r of the footprint and
    // its ring lie c steps along one direction and r along the other from the walk's start.
    const int32_t w = std::clamp(grid.iWidth, 0, MapGridInfo::kMaxFootprint);
    const int32_t h = std::clamp(grid.iHeight, 0, MapGridInfo::kMaxFootprint);
    GridPos start;
    int32_t columnStep = 2, rowStep = 4;
    ConstructionManager::FootprintStart(anchor, w, h, rotation & 3, &start, &columnStep, &rowStep);
    bool valid = true;
    std::vector<CellObject> objects;
    for (int32_t row = 0; row < h + 2; ++row)
    {
        for (int32_t column = 0; column < w + 2; ++column)
        {
            const uint32_t word = LayoutWord(grid, column, row);
            if (word == 0)
                continue;
            const GridPos pos = {start.x + column * kDirectionDX[columnStep] + row * kDirectionDX[rowStep],
                                 start.y + column * kDirectionDY[columnStep] + row * kDirectionDY[rowStep]};
            const uint32_t flags = cells.Flags(pos);
            const bool pathCell = (word & kLayoutPath) != 0;
            bool ok = ((word & kLayoutBody) != 0 || pathCell) && (flags & CELL_GRID_WALKABLE) != 0;
            if (ok)
                ok = (flags & (pathCell ? 0x60000002u : 0x70000002u)) == 0;
            if (ok)
                ok = cells.IsValid(pos);
            if (ok && valid)
            {
                cells.Objects(pos, objects);
                ok = std::none_of(objects.begin(), objects.end(), [](const CellObject& o) { return o.bin; });
            }
            valid = valid && ok;
            if (marks)
                marks->push_back({pos, !ok ? kMarkBad : pathCell ? kMarkPathCell : kMarkGood});
        }
    }
    return valid;
}

int32_t TurnBuildingByWheel(int32_t rotation, int32_t delta)
{
    return delta < 1 ? (rotation + 1) & 3 : (rotation + 3) & 3;
}

int32_t TurnSceneryByWheel(int32_t rotation, int32_t delta)
{
    return delta > 0 ? (rotation + 3) & 3 : (rotation + 1) & 3;
}

GridPos ClampDragEnd(const GridPos& start, const GridPos& end)
{
    return {std::clamp(end.x, start.x - kMaxDragSpan, start.x + kMaxDragSpan),
            std::clamp(end.y, start.y - kMaxDragSpan, start.y + kMaxDragSpan)};
}

std::vector<GridPos> WalkRect(const GridPos& start, const GridPos& end)
{
    std::vector<GridPos> out;
    const int32_t dx = end.x >= start.x ? 1 : -1;
    const int32_t dy = end.y >= start.y ? 1 : -1;
    for (int32_t x = start.x;; x += dx)
    {
        for (int32_t y = start.y;; y += dy)
        {
            out.push_back({x, y});
            if (y == end.y)
                break;
        }
        if (x == end.x)
            break;
    }
    return out;
}

bool InsideRect(const GridPos& pos, const GridPos& a, const GridPos& b)
{
    return pos.x >= std::min(a.x, b.x) && pos.x <= std::max(a.x, b.x) && pos.y >= std::min(a.y, b.y) &&
           pos.y <= std::max(a.y, b.y);
}

bool CanTakeFootpath(uint32_t flags)
{
    return (flags & CELL_GRID_WALKABLE) && (flags & CELL_WALKABLE) &&
           (flags & (CELL_FOOTPATH | CELL_SCENERY_GROUND | CELL_QUEUE)) == 0;
}

PathPlan PlanFootpath(const CellSource& cells, const GridPos& start, const GridPos& end, float cash, int32_t cost)
{
    PathPlan plan;
    plan.budget = cash;
    for (const GridPos& pos : WalkRect(start, end))
    {
        if (plan.budget >= 0.0f && CanTakeFootpath(cells.Flags(pos)))
        {
            plan.budget -= static_cast<float>(cost);
            plan.cells.push_back(pos);
        }
    }
    return plan;
}

std::vector<CellMark> FootpathDragMarks(const CellSource& cells, const GridPos& start, const GridPos& end, float cash,
                                        int32_t cost)
{
    std::vector<CellMark> marks;
    float budget = cash;
    for (const GridPos& pos : WalkRect(start, end))
    {
        bool good = false;
        if (CanTakeFootpath(cells.Flags(pos)) && budget >= 0.0f)
        {
            good = true;
            budget -= static_cast<float>(cost);
        }
        marks.push_back({pos, good ? kMarkGood : kMarkBad});
    }
    return marks;
}

bool QueueGroundAllows(uint32_t flags, float cash, int32_t cost, bool lastPlaced)
{
    if (!(flags & CELL_GRID_WALKABLE) || !(flags & CELL_WALKABLE))
        return false;
    if (flags & (CELL_FOOTPATH | CELL_QUEUE | CELL_SCENERY_GROUND))
        return false;
    return cash - static_cast<float>(cost) >= 0.0f && !lastPlaced;
}

bool DozerClearable(uint32_t flags, const std::vector<CellObject>& objects)
{
    const auto removable = [](const CellObject& o) { return o.kind == OBJECT_SCENERY && o.dozerFlag && !o.occupied; };
    if (flags & CELL_NO_JOIN)
        return std::any_of(objects.begin(), objects.end(), removable);
    bool occupied = false, clearable = false;
    for (const CellObject& o : objects)
    {
        switch (o.kind)
        {
        case OBJECT_SCENERY:
            if (o.dozerFlag)
            {
                occupied = true;
                clearable = clearable || !o.occupied;
            }
            break;
        case OBJECT_BUILDING:
            occupied = occupied || !o.entrance;
            break;
        case OBJECT_GUEST:
        case OBJECT_MECHANIC:
        case OBJECT_CLEANER:
        case OBJECT_ZOOKEEPER:
        case OBJECT_LITTER:
            break;
        default:
            occupied = true;
            break;
        }
    }
    if (clearable)
        return true;
    const uint32_t footpath = CELL_GRID_WALKABLE | CELL_WALKABLE | CELL_FOOTPATH;
    if ((flags & footpath) == footpath && !(flags & CELL_BUILDING) && !occupied)
        return true;
    return (flags & CELL_QUEUE) && !(flags & CELL_BUILDING);
}

int32_t ChoosePick(const std::vector<uint32_t>& kinds)
{
    for (size_t i = 0; i < kinds.size(); ++i)
        if (kinds[i] == kPickMoving)
            return static_cast<int32_t>(i);
    for (size_t i = 0; i < kinds.size(); ++i)
        if (kinds[i] == kPickStatic)
            return static_cast<int32_t>(i);
    return -1;
}

uint32_t PickClassOf(uint8_t objectKind)
{
    switch (objectKind)
    {
    case OBJECT_GUEST:
    case OBJECT_SERVER:
    case OBJECT_MECHANIC:
    case OBJECT_CLEANER:
    case OBJECT_ZOOKEEPER:
    case OBJECT_ANIMAL:
        return kPickMoving;
    case OBJECT_SCENERY:
    case OBJECT_BUILDING:
    case OBJECT_TABLE:
    case OBJECT_LITTER:
        return kPickStatic;
    default:
        return 0;
    }
}

} // namespace toolrules
