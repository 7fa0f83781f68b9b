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

    void Insert(int32_t cell)
    {
        const int64_t f = m_Nodes[cell].f;
        if (m_iHead < 0 || m_Nodes[m_iHead].f >= f)
        {
            m_Nodes[cell].next = m_iHead;
            m_iHead = cell;
            return;
        }
        int32_t p = m_iHead;
        while (m_Nodes[p].next >= 0 && m_Nodes[m_Nodes[p].next].f < f)
            p = m_Nodes[p].next;
        m_Nodes[cell].next = m_Nodes[p].next;
        m_Nodes[p].next = cell;
    }

    int32_t PopFront()
    {
        const int32_t cell = m_iHead;
        if (cell >= 0)
            m_iHead = m_Nodes[cell].next;
        return cell;
    }

    void Decreased(int32_t) {}

private:
    std::vector<Node>& m_Nodes;
    int32_t m_iHead = -1;
};

// The same list order kept as a treap over list positions (in-order = list order), each node holding the largest
// total of its subtree: the insertion place (the first cell, in list order, whose total is at least the new one)
// and the head are found by descending the tree, and a dropped total only lowers the maxima above it.
class PathFinder::TreeList
{
public:
    TreeList(std::vector<Node>& nodes, uint32_t& priorityState) : m_Nodes(nodes), m_uState(priorityState) {}

    void Insert(int32_t cell)
    {
        Node& n = m_Nodes[cell];
        n.left = n.right = n.up = -1;
        n.max = n.f;
        n.priority = NextPriority();
        const int32_t before = FindFirstAtLeast(n.f);
        int32_t parent = -1;
        bool asLeft = false;
        if (before < 0)
        {
            // After the last cell.
            parent = m_iRoot;
            while (parent >= 0 && m_Nodes[parent].right >= 0)
                parent = m_Nodes[parent].right;
        }
        else if (m_Nodes[before].left < 0)
        {
            parent = before;
            asLeft = true;
        }
        else
        {
            // After the last cell of the left subtree, which comes just before `before`.
            parent = m_Nodes[before].left;
            while (m_Nodes[parent].right >= 0)
                parent = m_Nodes[parent].right;
        }
        n.up = parent;
        if (parent < 0)
            m_iRoot = cell;
        else if (asLeft)
            m_Nodes[parent].left = cell;
        else
            m_Nodes[parent].right = cell;
        for (int32_t a = parent; a >= 0 && m_Nodes[a].max < n.f; a = m_Nodes[a].up)
            m_Nodes[a].max = n.f;
        while (n.up >= 0 && m_Nodes[n.up].priority < n.priority)
            RotateUp(cell);
    }

    int32_t PopFront()
    {
        if (m_iRoot < 0)
            return -1;
        int32_t cell = m_iRoot;
        while (m_Nodes[cell].left >= 0)
            cell = m_Nodes[cell].left;
        const int32_t child = m_Nodes[cell].right;
        const int32_t parent = m_Nodes[cell].up;
        if (child >= 0)
            m_Nodes[child].up = parent;
        if (parent < 0)
            m_iRoot = child;
        else
            m_Nodes[parent].left = child;
        Refresh(parent);
        return cell;
    }

    void Decreased(int32_t cell) { Refresh(cell); }

private:
    uint32_t NextPriority()
    {
        m_uState ^= m_uState << 13;
        m_uState ^= m_uState >> 17;
        m_uState ^= m_uState << 5;
        return m_uState;
    }

    int64_t MaxOf(int32_t cell) const { return cell >= 0 ? m_Nodes[cell].max : std::numeric_limits<int64_t>::min(); }

    void Recompute(int32_t cell)
    {
        Node& n = m_Nodes[cell];
        n.max = std::max({n.f, MaxOf(n.left), MaxOf(n.right)});
    }

    // Recomputes the maxima from a cell up while they change.
    void Refresh(int32_t cell)
    {
        for (int32_t a = cell; a >= 0; a = m_Nodes[a].up)
        {
            const int64_t old = m_Nodes[a].max;
            Recompute(a);
            if (m_Nodes[a].max == old)
                break;
        }
    }

    int32_t FindFirstAtLeast(int64_t f) const
    {
        int32_t t = m_iRoot;
        if (MaxOf(t) < f)
            return -1;
        for (;;)
        {
            const Node& n = m_Nodes[t];
            if (MaxOf(n.left) >= f)
                t = n.left;
            else if (n.f >= f)
                return t;
            else
                t = n.right;
        }
    }

    void RotateUp(int32_t x)
    {
        Node& nx = m_Nodes[x];
        const int32_t p = nx.up;
        Node& np = m_Nodes[p];
        const int32_t g = np.up;
        if (np.left == x)
        {
            np.left = nx.right;
            if (nx.right >= 0)
                m_Nodes[nx.right].up = p;
            nx.right = p;
        }
        else
        {
            np.right = nx.left;
            if (nx.left >= 0)
                m_Nodes[nx.left].up = p;
            nx.left = p;
        }
        np.up = x;
        nx.up = g;
        if (g < 0)
            m_iRoot = x;
        else if (m_Nodes[g].left == p)
            m_Nodes[g].left = x;
        else
            m_Nodes[g].right = x;
        Recompute(p);
        Recompute(x);
    }

    std::vector<Node>& m_Nodes;
    uint32_t& m_uState;
    int32_t m_iRoot = -1;
};

// ---------------------------------------------------------------- search

PathFinder::PathFinder(WorldMap& map) : m_Map(map), m_Nodes(map.GetCellCount()) {}

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
        TreeList list(m_Nodes, m_uPriorityState);
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
