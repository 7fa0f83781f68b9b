// Path search: the walkability tests, the search with its two open lists, shared paths, followers, and the path
// service with its save records.
#include "world/Path.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "world/QueueShapes.h"
#include "world/World.h"

#include <algorithm>
#include <limits>

Path* g_pPath = nullptr;

// ---------------------------------------------------------------- walkability

bool PathFinder::CanEnter(int32_t kind, uint32_t flags, const uint32_t* fromFlags, int32_t sideToFrom)
{
    switch (kind)
    {
    case PATH_PAVEMENT:
        if ((flags & (CELL_FOOTPATH | CELL_QUEUE)) == 0 || (flags & (CELL_BUILDING | CELL_NO_PAVEMENT)) != 0)
            return false;
        if (!fromFlags)
            return true;
        // A queue cell is entered and left only through its own openings; a footpath cell beside a queue cell
        // only through the queue's.
        if (flags & CELL_QUEUE)
            return queueshape::IsOpen(queueshape::kStrict[QueueShapeOf(flags)], sideToFrom);
        if ((*fromFlags & CELL_QUEUE) == 0)
            return true;
        return queueshape::IsOpen(queueshape::kStrict[QueueShapeOf(*fromFlags)], (sideToFrom + 2) & 3);
    case PATH_FOOT:
        return (flags & CELL_WALKABLE) != 0 && (flags & CELL_SCENERY_GROUND) == 0;
    case PATH_SCENERY:
        return (flags & CELL_BUILDING) == 0 && (flags & (CELL_WALKABLE | CELL_SCENERY_GROUND)) != 0;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- open lists

// The sorted singly linked list: a cell goes in before the first cell whose total is equal to or greater than
// its own, the head comes out first, and a cell whose total drops stays where it is.
class PathFinder::LiteralList
{
public:
    explicit LiteralList(std::vector<Node>& nodes) : m_Nodes(nodes) {}

    // Returns how many cells the insertion walked past.
    int32_t Insert(int32_t cell)
    {
        const int64_t f = m_Nodes[cell].f;
        if (m_iHead < 0 || m_Nodes[m_iHead].f >= f)
        {
            m_Nodes[cell].next = m_iHead;
            m_iHead = cell;
            return 0;
        }
        int32_t walked = 1;
        int32_t p = m_iHead;
        while (m_Nodes[p].next >= 0 && m_Nodes[m_Nodes[p].next].f < f)
        {
            p = m_Nodes[p].next;
            ++walked;
        }
        m_Nodes[cell].next = m_Nodes[p].next;
        m_Nodes[p].next = cell;
        return walked;
    }

    int32_t PopFront()
    {
        const int32_t cell = m_iHead;
        if (cell >= 0)
            m_iHead = m_Nodes[cell].next;
        return cell;
    }

    void Decreased(int32_t) {}

    int32_t Head() const { return m_iHead; }

private:
    std::vector<Node>& m_Nodes;
    int32_t m_iHead = -1;
};

// The same list in blocks: the concatenation of the blocks, in block order, is the literal list. A cell goes into
// the first block whose largest total is at least its own (every cell of the blocks before it is smaller), before
// the first cell there with a total at least its own; a full block is split in two first. The head is the first
// cell of the first block. A cell whose total drops keeps its place and only its block's largest total is
// recomputed.
class PathFinder::BlockList
{
public:
    explicit BlockList(PathFinder& finder)
        : m_Nodes(finder.m_Nodes), m_Blocks(finder.m_Blocks), m_Max(finder.m_BlockMax), m_Order(finder.m_BlockOrder)
    {
        m_Order.clear();
    }

    void Insert(int32_t cell)
    {
        const int64_t f = m_Nodes[cell].f;
        const size_t blocks = m_Order.size();
        size_t p = m_First;
        while (p < blocks && m_Max[m_Order[p]] < f)
            ++p;
        if (p == blocks)
        {
            // After the last cell.
            if (p == m_First)
                m_Order.push_back(NewBlock(Block::kRoom / 2));
            else
                --p;
            InsertAt(p, m_Blocks[m_Order[p]].Count(), cell, f);
            return;
        }
        const Block& block = m_Blocks[m_Order[p]];
        int32_t i = block.begin;
        while (block.entries[i].f < f)
            ++i;
        InsertAt(p, i - block.begin, cell, f);
    }

    int32_t PopFront()
    {
        if (m_First == m_Order.size())
            return -1;
        const int32_t id = m_Order[m_First];
        Block& block = m_Blocks[id];
        const Entry head = block.entries[block.begin++];
        const int32_t cell = head.cell;
        const int64_t f = head.f;
        if (block.Count() == 0)
            ++m_First;
        else if (f == m_Max[id])
            Recompute(id);
        return cell;
    }

    void Decreased(int32_t cell)
    {
        const int32_t id = m_Nodes[cell].block;
        Block& block = m_Blocks[id];
        int32_t i = block.begin;
        while (block.entries[i].cell != cell)
            ++i;
        const int64_t old = block.entries[i].f;
        block.entries[i].f = m_Nodes[cell].f;
        if (old == m_Max[id])
            Recompute(id);
    }

    // Puts the cell after the last one whatever its total (building the blocks from a list in order), filling
    // blocks half so that later insertions find room.
    void Append(int32_t cell)
    {
        const int64_t f = m_Nodes[cell].f;
        if (m_First == m_Order.size() || m_Blocks[m_Order.back()].Count() == kBlockSize / 2)
            m_Order.push_back(NewBlock((Block::kRoom - kBlockSize / 2) / 2));
        const int32_t id = m_Order.back();
        Block& block = m_Blocks[id];
        block.entries[block.end++] = {f, cell};
        m_Nodes[cell].block = id;
        m_Max[id] = std::max(m_Max[id], f);
    }

private:
    // An empty block whose cells will start at `at`.
    int32_t NewBlock(int32_t at)
    {
        // Each split needs half a block of insertions, so a search never fills more blocks than were sized.
        if (m_uUsed == m_Blocks.size())
        {
            m_Blocks.emplace_back();
            m_Max.push_back(0);
        }
        const auto id = static_cast<int32_t>(m_uUsed++);
        m_Blocks[id].begin = m_Blocks[id].end = at;
        m_Max[id] = std::numeric_limits<int64_t>::min();
        return id;
    }

    void Recompute(int32_t id)
    {
        const Block& block = m_Blocks[id];
        int64_t most = std::numeric_limits<int64_t>::min();
        for (int32_t i = block.begin; i < block.end; ++i)
            most = std::max(most, block.entries[i].f);
        m_Max[id] = most;
    }

    // Puts the cell at place i of the block at list position p, splitting the block first when it is full.
    void InsertAt(size_t p, int32_t i, int32_t cell, int64_t f)
    {
        int32_t id = m_Order[p];
        if (m_Blocks[id].Count() == kBlockSize)
        {
            // The later half moves to a new block centred in its room.
            constexpr int32_t kHalf = kBlockSize / 2;
            const int32_t next = NewBlock((Block::kRoom - kHalf) / 2);
            Block& full = m_Blocks[id];
            Block& half = m_Blocks[next];
            std::copy(full.entries + full.begin + kHalf, full.entries + full.end, half.entries + half.begin);
            half.end = half.begin + kHalf;
            full.end = full.begin + kHalf;
            for (int32_t k = half.begin; k < half.end; ++k)
                m_Nodes[half.entries[k].cell].block = next;
            Recompute(id);
            Recompute(next);
            m_Order.insert(m_Order.begin() + static_cast<std::ptrdiff_t>(p) + 1, next);
            if (i > kHalf)
            {
                id = next;
                i -= kHalf;
            }
        }
        Block& block = m_Blocks[id];
        // Make room by moving the shorter side, as far as the room allows.
        const bool front = block.begin > 0 && (i < block.Count() / 2 || block.end == Block::kRoom);
        int32_t at = block.begin + i;
        Entry* entries = block.entries;
        if (front)
        {
            for (int32_t k = block.begin; k < at; ++k)
                entries[k - 1] = entries[k];
            --block.begin;
            --at;
        }
        else
        {
            for (int32_t k = block.end; k > at; --k)
                entries[k] = entries[k - 1];
            ++block.end;
        }
        entries[at] = {f, cell};
        m_Nodes[cell].block = id;
        m_Max[id] = std::max(m_Max[id], f);
    }

    std::vector<Node>& m_Nodes;
    std::vector<Block>& m_Blocks;
    std::vector<int64_t>& m_Max;
    std::vector<int32_t>& m_Order;
    size_t m_First = 0;
    size_t m_uUsed = 0;
};

// The literal list while its insertions stay near the head, as they do while the search heads straight for the
// walker; moved whole into blocks, in the same order, once an insertion has to walk far along it.
class PathFinder::HybridList
{
public:
    explicit HybridList(PathFinder& finder)
        : m_Literal(finder.m_Nodes), m_Blocks(finder), m_Nodes(finder.m_Nodes), m_iLimit(finder.m_iBlocksFrom),
          m_bBlocks(finder.m_bUsedBlocks)
    {
        m_bBlocks = m_iLimit < 0;
    }

    void Insert(int32_t cell)
    {
        if (m_bBlocks) [[unlikely]]
            InsertIntoBlocks(cell);
        else if (m_Literal.Insert(cell) > m_iLimit) [[unlikely]]
            MoveIntoBlocks();
    }

    int32_t PopFront()
    {
        if (m_bBlocks) [[unlikely]]
            return PopFromBlocks();
        return m_Literal.PopFront();
    }

    void Decreased(int32_t cell)
    {
        if (m_bBlocks) [[unlikely]]
            m_Blocks.Decreased(cell);
    }

private:
    // The block operations stay out of line: most searches never need them.
    [[gnu::noinline]] void InsertIntoBlocks(int32_t cell) { m_Blocks.Insert(cell); }
    [[gnu::noinline]] int32_t PopFromBlocks() { return m_Blocks.PopFront(); }
    [[gnu::noinline]] void MoveIntoBlocks()
    {
        for (int32_t c = m_Literal.Head(); c >= 0; c = m_Nodes[c].next)
            m_Blocks.Append(c);
        m_bBlocks = true;
    }

    LiteralList m_Literal;
    BlockList m_Blocks;
    std::vector<Node>& m_Nodes;
    int32_t m_iLimit;
    // The finder's own flag, so that it knows afterwards which list the search ended with.
    bool& m_bBlocks;
};

// ---------------------------------------------------------------- search

PathFinder::PathFinder(WorldMap& map)
    : m_Map(map), m_Nodes(map.GetCellCount()), m_Blocks(map.GetCellCount() / (kBlockSize / 2) + 2),
      m_BlockMax(m_Blocks.size())
{
    m_BlockOrder.reserve(m_Blocks.size());
}

int64_t PathFinder::Estimate(uint32_t cell) const
{
    // The squared distance between the cells' centres in map units.
    const MapCell& c = m_Map.CellAt(cell);
    const int64_t dx = int64_t{32} * (int64_t{c.m_x} - m_Start.x);
    const int64_t dy = int64_t{64} * (int64_t{c.m_y} - m_Start.y);
    return dx * dx + dy * dy;
}

int32_t PathFinder::Search(int32_t kind, const GridPos& start, const GridPos& destination, std::vector<GridPos>* steps)
{
    if (steps)
        steps->clear();
    m_uExpanded = 0;
    m_uDecreased = 0;
    m_bUsedBlocks = false;
    if (++m_uGeneration == 0)
    {
        // The counter has come round: no cell may look current from a search long ago.
        for (Node& node : m_Nodes)
            node.generation = 0;
        m_uGeneration = 1;
    }
    const uint32_t s = m_Map.GetCellIndex(start.x, start.y);
    const uint32_t d = m_Map.GetCellIndex(destination.x, destination.y);
    if (s == WorldMap::kNoCell || d == WorldMap::kNoCell || s == d)
        return 0;
    if (!CanEnter(kind, m_Map.CellAt(s).m_uiFlags, nullptr, 0) ||
        !CanEnter(kind, m_Map.CellAt(d).m_uiFlags, nullptr, 0))
        return 0;
    m_Start = start;
    int32_t found = -1;
    if (m_eOpenList == OpenList::Literal)
    {
        LiteralList list(m_Nodes);
        found = Run(list, kind, s, d);
    }
    else
    {
        HybridList list(*this);
        found = Run(list, kind, s, d);
    }
    if (found < 0)
        return 0;
    // S, its parent, ..., D: the steps are the cells strictly between the two ends.
    std::vector<GridPos> cells;
    for (int32_t c = static_cast<int32_t>(s); c >= 0 && m_Nodes[c].generation == m_uGeneration; c = m_Nodes[c].parent)
    {
        cells.push_back(m_Map.CellAt(static_cast<uint32_t>(c)).GetPos());
        if (cells.size() > m_Nodes.size())
            return 0;
    }
    const int32_t count = static_cast<int32_t>(cells.size()) - 2;
    if (count <= 0)
        return 0;
    if (steps)
        steps->assign(cells.begin() + 1, cells.end() - 1);
    return count;
}

template <class List> int32_t PathFinder::Run(List& list, int32_t kind, uint32_t start, uint32_t destination)
{
    Node& d = m_Nodes[destination];
    d.f = d.g = d.h = 0;
    d.parent = -1;
    d.generation = m_uGeneration;
    d.expanded = false;
    list.Insert(static_cast<int32_t>(destination));
    const int32_t width = m_Map.GetWidth();
    const int32_t height = m_Map.GetHeight();
    for (;;)
    {
        const int32_t e = list.PopFront();
        if (e < 0)
            return -1;
        Node& expanded = m_Nodes[e];
        expanded.expanded = true;
        expanded.generation = m_uGeneration;
        ++m_uExpanded;
        if (static_cast<uint32_t>(e) == start)
            return e;
        const MapCell& cell = m_Map.CellAt(static_cast<uint32_t>(e));
        const uint32_t flags = cell.m_uiFlags;
        const int64_t cost = expanded.g + ((flags & CELL_QUEUE) ? kQueueStepCost : kStepCost);
        for (int32_t side = 0; side < 4; ++side)
        {
            const int32_t x = cell.m_x + kDirectionDX[side * 2];
            const int32_t y = cell.m_y + kDirectionDY[side * 2];
            // The map's edge blocks the way.
            if (x < 0 || x >= width || y < 0 || y >= height)
                continue;
            const int32_t n = y * width + x;
            if (!CanEnter(kind, m_Map.CellAt(static_cast<uint32_t>(n)).m_uiFlags, &flags, (side + 2) & 3))
                continue;
            Node& node = m_Nodes[n];
            if (node.generation == m_uGeneration)
            {
                if (cost < node.g)
                {
                    node.parent = e;
                    node.g = cost;
                    node.f = node.h + cost;
                    if (!node.expanded)
                    {
                        list.Decreased(n);
                        ++m_uDecreased;
                    }
                }
                continue;
            }
            node.parent = e;
            node.g = cost;
            node.h = Estimate(static_cast<uint32_t>(n));
            node.f = node.h + node.g;
            node.generation = m_uGeneration;
            node.expanded = false;
            list.Insert(n);
        }
    }
}

// ---------------------------------------------------------------- shared paths and followers

PathFollower::PathFollower(SharedPath* path, int32_t kind) : m_pPath(path)
{
    m_pPath->m_ePathType = kind;
}

PathFollower::~PathFollower()
{
    if (m_pPath->m_iRefCount <= 1)
        delete m_pPath;
    else
        --m_pPath->m_iRefCount;
}

int32_t PathFollower::Advance()
{
    m_iCurrStep += m_bReverse ? -1 : 1;
    const int32_t steps = m_pPath->GetNumSteps();
    if (m_iCurrStep >= steps || m_iCurrStep < 0)
        return STEP_PAST;
    if (m_bReverse ? m_iCurrStep == 0 : m_iCurrStep == steps - 2)
        return STEP_LAST;
    return STEP_ON;
}

GridPos PathFollower::GetCurrentStep() const
{
    const auto& steps = m_pPath->m_pDirections;
    if (steps.empty())
        return m_pPath->m_Stop;
    return steps[static_cast<size_t>(std::clamp<int32_t>(m_iCurrStep, 0, static_cast<int32_t>(steps.size()) - 1))];
}

void PathFollower::Dump(SerialStream& stream) const
{
    const SharedPath& path = *m_pPath;
    stream.WriteFloat("m_fTimeStamp", path.m_fTimeStamp);
    stream.WriteInt("m_iRefCount", path.m_iRefCount);
    stream.WriteInt("m_iNumSteps", path.GetNumSteps());
    for (const GridPos& step : path.m_pDirections)
    {
        stream.WriteInt("m_pDirections.x", step.x);
        stream.WriteInt("m_pDirections.y", step.y);
    }
    stream.WriteInt("m_Start.x", path.m_Start.x);
    stream.WriteInt("m_Start.y", path.m_Start.y);
    stream.WriteInt("m_Stop.x", path.m_Stop.x);
    stream.WriteInt("m_Stop.y", path.m_Stop.y);
    stream.WriteInt("m_ePathType", path.m_ePathType);
    stream.WriteBool("m_bValid", path.m_bValid);
    stream.WriteBool("m_bReverse", m_bReverse);
    stream.WriteInt("m_iCurrStep", m_iCurrStep);
}

std::unique_ptr<PathFollower> PathFollower::Load(SerialStream& stream, const WorldMap* map, int32_t maxSteps)
{
    auto fail = [](const char* why)
    {
        GetLogger()->Report(0, "PathFollower::Load - %s", why);
        return std::unique_ptr<PathFollower>();
    };
    auto path = std::make_unique<SharedPath>();
    int32_t savedRefs = 0;
    int32_t count = 0;
    stream.ReadFloat(&path->m_fTimeStamp);
    stream.ReadInt(&savedRefs);
    stream.ReadInt(&count);
    if (!stream.Good())
        return fail("the saved path is cut short");
    if (count < 1 || count > maxSteps)
        return fail("the saved path's step count is out of range");
    path->m_pDirections.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
    {
        GridPos step;
        stream.ReadInt(&step.x);
        stream.ReadInt(&step.y);
        if (!stream.Good())
            return fail("the saved path is cut short");
        if (map && !map->IsValidGridPos(step))
            return fail("a saved step lies off the map");
        path->m_pDirections.push_back(step);
    }
    stream.ReadInt(&path->m_Start.x);
    stream.ReadInt(&path->m_Start.y);
    stream.ReadInt(&path->m_Stop.x);
    stream.ReadInt(&path->m_Stop.y);
    int32_t kind = 0;
    stream.ReadInt(&kind);
    stream.ReadBool(&path->m_bValid);
    bool reverse = false;
    int32_t current = 0;
    stream.ReadBool(&reverse);
    stream.ReadInt(&current);
    if (!stream.Good())
        return fail("the saved path is cut short");
    if (kind < PATH_PAVEMENT || kind > PATH_SCENERY)
        return fail("the saved path is of an unknown kind");
    if (current < 0 || current >= count)
        return fail("the saved current step lies outside the path");
    // The loaded path is held by this follower alone, whatever count was saved.
    path->m_iRefCount = 1;
    auto follower = std::make_unique<PathFollower>(path.release(), kind);
    follower->m_bReverse = reverse;
    follower->m_iCurrStep = current;
    return follower;
}

// ---------------------------------------------------------------- the path service

Path::Path(WorldMap& map) : m_Map(map), m_Finder(map)
{
    g_pPath = this;
}

Path::~Path()
{
    if (g_pPath == this)
        g_pPath = nullptr;
}

std::unique_ptr<PathFollower> Path::FindPath(int32_t kind, const GridPos& start, const GridPos& destination,
                                             bool* found)
{
    auto path = std::make_unique<SharedPath>();
    if (m_Finder.Search(kind, start, destination, &path->m_pDirections) <= 0)
    {
        if (found)
            *found = false;
        return nullptr;
    }
    if (found)
        *found = true;
    path->m_fTimeStamp = g_pWorld ? g_pWorld->GetGameTime() : 0.0f;
    path->m_iRefCount = 1;
    path->m_Start = start;
    path->m_Stop = destination;
    path->m_bValid = true;
    return std::make_unique<PathFollower>(path.release(), kind);
}

std::unique_ptr<PathFollower> Path::FindPavementPath(int32_t x, int32_t y, int32_t destX, int32_t destY, bool* found)
{
    return FindPath(PATH_PAVEMENT, {x, y}, {destX, destY}, found);
}

std::unique_ptr<PathFollower> Path::FindFootPath(int32_t x, int32_t y, int32_t destX, int32_t destY, bool* found)
{
    return FindPath(PATH_FOOT, {x, y}, {destX, destY}, found);
}

std::unique_ptr<PathFollower> Path::FindSceneryPath(int32_t x, int32_t y, int32_t destX, int32_t destY, bool* found)
{
    return FindPath(PATH_SCENERY, {x, y}, {destX, destY}, found);
}

bool Path::IsStepWalkable(const PathFollower& follower) const
{
    if (!follower.GetPath().m_bValid)
        return false;
    return IsCellWalkable(follower.GetCurrentStep(), follower.GetKind());
}

bool Path::IsCellWalkable(const GridPos& pos, int32_t kind) const
{
    const MapCell* cell = m_Map.GetCell(pos);
    return cell && PathFinder::CanEnter(kind, cell->m_uiFlags, nullptr, 0);
}

void Path::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteClassHeader("Path", 4);
}

bool Path::Load(SerialStream& stream)
{
    stream.BeginLoad();
    char name[128];
    if (!stream.ReadClassHeader(name, sizeof name) || !stream.Good())
    {
        GetLogger()->Report(0, "Path::Load - the saved record is cut short");
        return false;
    }
    return true;
}
