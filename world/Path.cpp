// Path search: the walkability tests, the search with its open list, shared paths, followers, and the path service
// with its save records.
#include "world/Path.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "world/QueueShapes.h"
#include "world/World.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <type_traits>

Path* g_pPath = nullptr;

// ---------------------------------------------------------------- walkability

namespace
{

// Whether a cell may stand in a search of the kind at all.
template <int32_t Kind> bool CanStand(uint32_t flags)
{
    if constexpr (Kind == PATH_PAVEMENT)
        return (flags & (CELL_FOOTPATH | CELL_QUEUE)) != 0 && (flags & (CELL_BUILDING | CELL_NO_PAVEMENT)) == 0;
    else if constexpr (Kind == PATH_FOOT)
        return (flags & (CELL_WALKABLE | CELL_SCENERY_GROUND)) == CELL_WALKABLE;
    else
        return (flags & CELL_BUILDING) == 0 && (flags & (CELL_WALKABLE | CELL_SCENERY_GROUND)) != 0;
}

// Whether a walker may step from a cell with `flags` onto the neighbouring cell with `to` on its side `side`.
template <int32_t Kind> bool CanStep(uint32_t flags, uint32_t to, int32_t side)
{
    if (!CanStand<Kind>(flags))
        return false;
    if constexpr (Kind == PATH_PAVEMENT)
    {
        // A queue cell is entered and left only through its own openings; a footpath cell beside a queue cell
        // only through the queue's.
        if (flags & CELL_QUEUE)
            return queueshape::IsOpen(queueshape::kStrict[QueueShapeOf(flags)], side);
        if (to & CELL_QUEUE)
            return queueshape::IsOpen(queueshape::kStrict[QueueShapeOf(to)], (side + 2) & 3);
    }
    return true;
}

} // namespace

bool PathFinder::CanEnter(int32_t kind, uint32_t flags, const uint32_t* fromFlags, int32_t sideToFrom)
{
    switch (kind)
    {
    case PATH_PAVEMENT:
        return fromFlags ? CanStep<PATH_PAVEMENT>(flags, *fromFlags, sideToFrom) : CanStand<PATH_PAVEMENT>(flags);
    case PATH_FOOT:
        return CanStand<PATH_FOOT>(flags);
    case PATH_SCENERY:
        return CanStand<PATH_SCENERY>(flags);
    default:
        return false;
    }
}

// ---------------------------------------------------------------- the key set

void PathFinder::KeySet::Resize(size_t size)
{
    do
    {
        size = (size + 63) / 64;
        m_Offsets.push_back(m_Words.size());
        m_Sizes.push_back(size);
        m_Words.resize(m_Words.size() + size, 0);
    } while (size > 1);
    m_Words.shrink_to_fit();
    m_First = kNone;
}

void PathFinder::KeySet::Insert(size_t key)
{
    m_First = std::min(m_First, key);
    for (size_t offset : m_Offsets)
    {
        uint64_t& word = m_Words[offset + (key >> 6)];
        const bool wasEmpty = word == 0;
        word |= uint64_t{1} << (key & 63);
        if (!wasEmpty)
            return;
        key >>= 6;
    }
}

void PathFinder::KeySet::Erase(size_t key)
{
    uint64_t& word = m_Words[key >> 6];
    word &= ~(uint64_t{1} << (key & 63));
    const uint64_t rest = word;
    if (rest == 0)
    {
        size_t up = key >> 6;
        for (size_t level = 1; level < m_Offsets.size(); ++level)
        {
            uint64_t& above = m_Words[m_Offsets[level] + (up >> 6)];
            above &= ~(uint64_t{1} << (up & 63));
            if (above != 0)
                break;
            up >>= 6;
        }
    }
    if (key != m_First)
        return;
    // The first key goes: the next one is most often in the same word.
    const uint64_t later = rest & (~uint64_t{1} << (key & 63));
    m_First = later != 0 ? (key & ~size_t{63}) + static_cast<size_t>(std::countr_zero(later)) : After(key);
}

bool PathFinder::KeySet::Contains(size_t key) const
{
    return (m_Words[key >> 6] >> (key & 63) & 1u) != 0;
}

size_t PathFinder::KeySet::After(size_t key) const
{
    // Up while the words beyond the key hold none, then down the lowest ones.
    size_t level = 0;
    for (++key;; ++level)
    {
        if (level == m_Sizes.size())
            return kNone;
        if ((key >> 6) >= m_Sizes[level])
            return kNone;
        const uint64_t bits = m_Words[m_Offsets[level] + (key >> 6)] & (~uint64_t{0} << (key & 63));
        if (bits != 0)
        {
            key = (key & ~size_t{63}) + static_cast<size_t>(std::countr_zero(bits));
            break;
        }
        key = (key >> 6) + 1;
    }
    while (level-- > 0)
        key = (key << 6) + static_cast<size_t>(std::countr_zero(m_Words[m_Offsets[level] + key]));
    return key;
}

size_t PathFinder::KeySet::Before(size_t key) const
{
    // Up while the words below the key hold none, then down the highest ones.
    size_t level = 0;
    for (;; ++level)
    {
        if (key == 0 || level == m_Offsets.size())
            return kNone;
        --key;
        const uint64_t bits = m_Words[m_Offsets[level] + (key >> 6)] & (~uint64_t{0} >> (63 - (key & 63)));
        if (bits != 0)
        {
            key = (key & ~size_t{63}) + 63 - static_cast<size_t>(std::countl_zero(bits));
            break;
        }
        key >>= 6;
    }
    while (level-- > 0)
        key = (key << 6) + 63 - static_cast<size_t>(std::countl_zero(m_Words[m_Offsets[level] + key]));
    return key;
}

// ---------------------------------------------------------------- the open list

// The order of a sorted singly linked list: a cell goes in before the first cell whose total is equal to or greater
// than its own, the head comes out first, and a cell whose total drops keeps its place. It is that list while its
// insertions stay near its head, as they do while the search heads straight for the walker. Once one walks far,
// the list is kept by its records instead: in that order every cell whose total is above all totals before it is
// a record; a new cell always becomes one (everything before it is smaller), and the cells behind a record up to
// the next one, its group, are no greater than it. So the records run in increasing totals, kept in a key set by
// total, and a new cell goes in before the first record whose total is at least its own, taking over that record's
// group when the totals are equal. Only taking a record out (the head, or one whose total drops) sorts its group
// into records again.
class PathFinder::OpenList
{
public:
    explicit OpenList(PathFinder& finder)
        : m_Records(finder.m_Records), m_Head(finder.m_RecordCell), m_Nodes(finder.m_Nodes), m_Links(finder.m_Links),
          m_iLongestWalk(finder.m_iLongestWalk), m_iList(m_iLongestWalk < 0 ? kRecords : -1)
    {
    }

    ~OpenList()
    {
        for (size_t key = m_Records.First(); key != KeySet::kNone; key = m_Records.First())
            m_Records.Erase(key);
    }

    void Insert(int32_t cell)
    {
        if (m_iList != kRecords)
        {
            InsertIntoList(cell);
            return;
        }
        const size_t key = Key(m_Nodes[cell].f);
        if (m_Records.Contains(key))
        {
            const int32_t hidden = m_Head[key];
            m_Links[cell].next = hidden;
            m_Links[cell].tail = m_Links[hidden].tail;
        }
        else
        {
            m_Records.Insert(key);
            m_Links[cell].next = -1;
            m_Links[cell].tail = cell;
        }
        m_Head[key] = cell;
    }

    int32_t PopFront()
    {
        if (m_iList != kRecords)
        {
            const int32_t cell = m_iList;
            if (cell >= 0)
                m_iList = m_Links[cell].next;
            return cell;
        }
        const size_t key = m_Records.First();
        if (key == KeySet::kNone)
            return -1;
        const int32_t cell = m_Head[key];
        m_Records.Erase(key);
        Regroup(m_Links[cell].next, -1);
        return cell;
    }

    // The cell's total has dropped from `old`.
    void Decreased(int32_t cell, int32_t old)
    {
        const size_t key = Key(old);
        if (m_iList != kRecords || !m_Records.Contains(key) || m_Head[key] != cell)
            return; // it keeps its place in the list, or stays in its group, smaller still
        m_Records.Erase(key);
        const size_t before = m_Records.Before(key);
        Regroup(cell, before == KeySet::kNone ? -1 : m_Head[before]);
    }

private:
    // The value of m_iList once the records hold the list.
    static constexpr int32_t kRecords = -2;

    static size_t Key(int32_t f) { return static_cast<size_t>(f); }

    void InsertIntoList(int32_t cell)
    {
        const int32_t f = m_Nodes[cell].f;
        int32_t* link = &m_iList;
        int32_t walked = 0;
        while (*link >= 0 && m_Nodes[*link].f < f)
        {
            link = &m_Links[*link].next;
            ++walked;
        }
        m_Links[cell].next = *link;
        *link = cell;
        if (walked > m_iLongestWalk)
        {
            const int32_t head = m_iList;
            m_iList = kRecords;
            Regroup(head, -1);
        }
    }

    // Sorts a chain of cells in list order, which follows the record `previous` (none: the head of the list), into
    // records and their groups.
    void Regroup(int32_t chain, int32_t previous)
    {
        int32_t group = previous;
        int32_t most = previous < 0 ? -1 : m_Nodes[previous].f;
        while (chain >= 0)
        {
            const int32_t cell = chain;
            chain = m_Links[cell].next;
            m_Links[cell].next = -1;
            if (m_Nodes[cell].f > most)
            {
                most = m_Nodes[cell].f;
                m_Records.Insert(Key(most));
                m_Head[Key(most)] = cell;
                m_Links[cell].tail = cell;
                group = cell;
            }
            else
            {
                m_Links[m_Links[group].tail].next = cell;
                m_Links[group].tail = cell;
            }
        }
    }

    KeySet& m_Records;
    std::vector<int32_t>& m_Head;
    std::vector<Node>& m_Nodes;
    std::vector<Link>& m_Links;
    const int32_t m_iLongestWalk;
    // The head of the list while it is a list (-1 when empty), else kRecords.
    int32_t m_iList;
};

// ---------------------------------------------------------------- search

PathFinder::PathFinder(WorldMap& map)
    : m_Map(map), m_Nodes(map.GetCellCount()), m_Links(map.GetCellCount()), m_Reached(map.GetCellCount(), 0)
{
    // The largest total: the squared distance across the map and the cost of the dearest steps through every
    // cell.
    const uint64_t w = static_cast<uint64_t>(map.GetWidth()), h = static_cast<uint64_t>(map.GetHeight());
    const uint64_t keys = w * w + 4 * h * h + 12 * w * h + 1;
    m_Records.Resize(keys);
    m_RecordCell.resize(keys);
    for (uint32_t i = 0; i < map.GetCellCount(); ++i)
    {
        m_Nodes[i].x = static_cast<int16_t>(map.CellAt(i).m_x);
        m_Nodes[i].y = static_cast<int16_t>(map.CellAt(i).m_y);
    }
    m_Flood.reserve(map.GetCellCount());
}

PathFinder::~PathFinder() = default;

int32_t PathFinder::Search(int32_t kind, const GridPos& start, const GridPos& destination, std::vector<GridPos>* steps)
{
    if (steps)
        steps->clear();
    m_uExpanded = 0;
    if (++m_uGeneration == kGenerations)
    {
        // The counter has come round: no cell may look current from a search long ago.
        for (Node& node : m_Nodes)
            node.tag = 0;
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
    bool found = false;
    switch (kind)
    {
    case PATH_PAVEMENT:
        found = Run<PATH_PAVEMENT>(static_cast<int32_t>(s), static_cast<int32_t>(d));
        break;
    case PATH_FOOT:
        found = Run<PATH_FOOT>(static_cast<int32_t>(s), static_cast<int32_t>(d));
        break;
    default:
        found = Run<PATH_SCENERY>(static_cast<int32_t>(s), static_cast<int32_t>(d));
        break;
    }
    if (!found)
        return 0;
    // S, its parent, ..., D: the steps are the cells strictly between the two ends.
    std::vector<GridPos> cells;
    for (int32_t c = static_cast<int32_t>(s); c >= 0 && m_Nodes[c].tag >> 1 == m_uGeneration; c = m_Nodes[c].parent)
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

template <int32_t Kind> bool PathFinder::Run(int32_t start, int32_t destination)
{
    OpenList list(*this);
    const uint32_t open = m_uGeneration << 1;
    Node& d = m_Nodes[destination];
    d.f = d.g = 0;
    d.parent = -1;
    d.tag = open;
    d.flags = m_Map.CellAt(static_cast<uint32_t>(destination)).m_uiFlags;
    list.Insert(destination);
    const int32_t width = m_Map.GetWidth();
    const int32_t height = m_Map.GetHeight();
    uint32_t nextCheck = kReachCheckFrom;
    for (;;)
    {
        const int32_t e = list.PopFront();
        if (e < 0)
            return false;
        Node& expanded = m_Nodes[e];
        expanded.tag = open | 1u;
        ++m_uExpanded;
        if (e == start)
            return true;
        // A long search checks now and then whether the walker's cell reaches the destination at all, so that a
        // walker cut off from it does not wait for every cell the destination reaches to be expanded.
        if (m_uExpanded == nextCheck)
        {
            if (!WalkerReaches<Kind>(start, destination, nextCheck / 8))
                return false;
            nextCheck *= 4;
        }
        const uint32_t flags = expanded.flags;
        const int32_t x = expanded.x;
        const int32_t y = expanded.y;
        const int32_t cost = expanded.g + ((flags & CELL_QUEUE) ? kQueueStep : kStep);
        // Offers the neighbour n on a side of the cell; the map's edge blocks the way.
        const auto offer = [&](auto sideOfCell, bool inside, int32_t n)
        {
            constexpr int32_t side = decltype(sideOfCell)::value;
            if (!inside)
                return;
            // A cell already in this search passed its kind's test, which for foot and scenery searches does not
            // depend on where the step comes from.
            Node& node = m_Nodes[n];
            const bool current = (node.tag & ~1u) == open;
            const uint32_t theirs = current ? node.flags : m_Map.CellAt(static_cast<uint32_t>(n)).m_uiFlags;
            if ((Kind == PATH_PAVEMENT || !current) && !CanStep<Kind>(theirs, flags, (side + 2) & 3))
                return;
            if (current)
            {
                if (cost < node.g) [[unlikely]]
                {
                    // The estimate stays: the total drops by what the cost does.
                    const int32_t old = node.f;
                    node.f = old + (cost - node.g);
                    node.g = cost;
                    node.parent = e;
                    if (node.tag == open)
                        list.Decreased(n, old);
                }
                return;
            }
            // The squared distance between the cells' centres: 32 map units a cell along x, 64 along y.
            const int32_t dx = x + kDirectionDX[side * 2] - m_Start.x;
            const int32_t dy = y + kDirectionDY[side * 2] - m_Start.y;
            node.parent = e;
            node.g = cost;
            node.f = dx * dx + 4 * dy * dy + cost;
            node.tag = open;
            node.flags = theirs;
            list.Insert(n);
        };
        offer(std::integral_constant<int32_t, 0>{}, y + 1 < height, e + width);
        offer(std::integral_constant<int32_t, 1>{}, x + 1 < width, e + 1);
        offer(std::integral_constant<int32_t, 2>{}, y > 0, e - width);
        offer(std::integral_constant<int32_t, 3>{}, x > 0, e - 1);
    }
}

template <int32_t Kind> bool PathFinder::WalkerReaches(int32_t start, int32_t destination, uint32_t budget)
{
    // Every cell the walker can step to from its own cell, a step at a time, until the destination is among them
    // or more than `budget` cells are: either way the search goes on. Only a walker whose cells are all seen
    // without the destination cannot reach it.
    if (++m_uReach == 0)
    {
        std::fill(m_Reached.begin(), m_Reached.end(), 0);
        m_uReach = 1;
    }
    const int32_t width = m_Map.GetWidth();
    const int32_t height = m_Map.GetHeight();
    m_Flood.clear();
    m_Flood.push_back(start);
    m_Reached[start] = m_uReach;
    uint32_t seen = 1;
    while (!m_Flood.empty())
    {
        const int32_t a = m_Flood.back();
        m_Flood.pop_back();
        const MapCell& cell = m_Map.CellAt(static_cast<uint32_t>(a));
        const GridPos around[4] = {
            {cell.m_x, cell.m_y + 1}, {cell.m_x + 1, cell.m_y}, {cell.m_x, cell.m_y - 1}, {cell.m_x - 1, cell.m_y}};
        for (int32_t side = 0; side < 4; ++side)
        {
            if (around[side].x < 0 || around[side].x >= width || around[side].y < 0 || around[side].y >= height)
                continue;
            const int32_t b = around[side].y * width + around[side].x;
            const uint32_t to = m_Map.CellAt(static_cast<uint32_t>(b)).m_uiFlags;
            if (m_Reached[b] == m_uReach || !CanStand<Kind>(to) || !CanStep<Kind>(cell.m_uiFlags, to, side))
                continue;
            if (b == destination || ++seen > budget)
                return true;
            m_Reached[b] = m_uReach;
            m_Flood.push_back(b);
        }
    }
    return false;
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
