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

// ---------------------------------------------------------------- the open list

// The order of a sorted singly linked list: a cell goes in before the first cell whose total is equal to or greater
// than its own, the head comes out first, and a cell whose total drops keeps its place. It is that list while its
// insertions stay near its head, as they do while the search heads straight for the walker. Once one walks far,
// the list is kept by its records instead: in that order every cell whose total is above all totals before it is
// a record; a new cell always becomes one (everything before it is smaller), and the cells behind a record up to
// the next one, its group, are no greater than it. So the records run in increasing totals, marked in a set of
// totals (a bit per total, and a bit per 64-bit word of those that may hold one), and a new cell goes in before the
// first record whose total is at least its own, taking over that record's group when the totals are equal. Only
// taking a record out (the head, or one whose total drops) sorts its group into records again.
class PathFinder::OpenList
{
public:
    explicit OpenList(PathFinder& finder)
        : m_Bits(finder.m_RecordBits.data()), m_Words(finder.m_RecordWords.data()),
          m_BitWords(finder.m_RecordBits.size()), m_MarkWords(finder.m_RecordWords.size()),
          m_Head(finder.m_RecordCell.data()), m_Cold(finder.m_Cold.data()), m_iLongestWalk(finder.m_iLongestWalk),
          m_iList(m_iLongestWalk < 0 ? kRecords : -1)
    {
    }

    // The records left are cleared for the next search: every one lies between the first and the highest total
    // ever marked.
    ~OpenList()
    {
        if (m_First == kNone)
            return;
        for (size_t word = m_First >> 12; word <= m_Highest >> 12; ++word)
        {
            for (uint64_t marks = m_Words[word]; marks != 0; marks &= marks - 1)
                m_Bits[(word << 6) + static_cast<size_t>(std::countr_zero(marks))] = 0;
            m_Words[word] = 0;
        }
    }

    void Insert(int32_t cell)
    {
        if (m_iList != kRecords)
            InsertIntoList(cell);
        else
            InsertRecord(cell);
    }

    bool ByRecords() const { return m_iList == kRecords; }

    // Insert and PopFront once the records hold the list.
    void InsertRecord(int32_t cell)
    {
        const size_t key = Key(m_Cold[cell].f);
        // Without a branch: with a record of the same total the cell takes over its group; otherwise it starts a
        // group of its own (the record cell read then is a stale one, and unused).
        const bool taken = IsMarked(key);
        const int32_t hidden = m_Head[key];
        const int32_t tail = m_Cold[hidden].tail;
        m_Cold[cell].next = taken ? hidden : -1;
        m_Cold[cell].tail = taken ? tail : cell;
        Mark(key);
        m_Head[key] = cell;
    }

    int32_t PopRecord()
    {
        const size_t key = m_First;
        if (key == kNone)
            return -1;
        const int32_t cell = m_Head[key];
        const int32_t next = m_Cold[cell].next;
        if (next >= 0 && m_Cold[next].f == m_Cold[cell].f)
        {
            // The next cell, of the same total, is a record of that total with the rest of the group behind it
            // (none of them greater): it simply takes the record's place.
            m_Head[key] = next;
            m_Cold[next].tail = m_Cold[cell].tail;
            return cell;
        }
        Unmark(key);
        if (next >= 0)
            Regroup(next, -1);
        return cell;
    }

    int32_t PopFront()
    {
        if (m_iList != kRecords)
        {
            const int32_t cell = m_iList;
            if (cell >= 0)
                m_iList = m_Cold[cell].next;
            return cell;
        }
        return PopRecord();
    }

    // The cell's total has dropped from `old`.
    void Decreased(int32_t cell, int32_t old)
    {
        const size_t key = Key(old);
        if (m_iList != kRecords || !IsMarked(key) || m_Head[key] != cell)
            return; // it keeps its place in the list, or stays in its group, smaller still
        Unmark(key);
        const size_t before = Before(key);
        Regroup(cell, before == kNone ? -1 : m_Head[before]);
    }

private:
    static constexpr size_t kNone = ~size_t{0};
    // The value of m_iList once the records hold the list.
    static constexpr int32_t kRecords = -2;

    static size_t Key(int32_t f) { return static_cast<size_t>(f); }

    bool IsMarked(size_t key) const { return (m_Bits[key >> 6] >> (key & 63) & 1u) != 0; }

    void Mark(size_t key)
    {
        m_Bits[key >> 6] |= uint64_t{1} << (key & 63);
        m_Words[key >> 12] |= uint64_t{1} << (key >> 6 & 63);
        // A branch, not a conditional move: a new first total is rare, and the next record to come out should not
        // wait for every total marked before it.
        if (key < m_First) [[unlikely]]
            m_First = key;
        m_Highest = std::max(m_Highest, key);
    }

    void Unmark(size_t key)
    {
        // The word's mark stays: the searches that pass it clear it once they find the word empty.
        const uint64_t rest = m_Bits[key >> 6] &= ~(uint64_t{1} << (key & 63));
        if (key != m_First)
            return;
        // The first total goes: the next one is most often in the same word.
        const uint64_t later = rest & (~uint64_t{1} << (key & 63));
        m_First = later != 0 ? (key & ~size_t{63}) + static_cast<size_t>(std::countr_zero(later)) : After(key);
    }

    // The first marked total above the key, or kNone. Marks of words found empty are cleared on the way.
    size_t After(size_t key)
    {
        size_t word = (key >> 6) + 1;
        if (word >= m_BitWords)
            return kNone;
        size_t mark = word >> 6;
        uint64_t marks = m_Words[mark] & (~uint64_t{0} << (word & 63));
        for (;;)
        {
            while (marks == 0)
            {
                if (++mark == m_MarkWords)
                    return kNone;
                marks = m_Words[mark];
            }
            word = (mark << 6) + static_cast<size_t>(std::countr_zero(marks));
            if (m_Bits[word] != 0)
                return (word << 6) + static_cast<size_t>(std::countr_zero(m_Bits[word]));
            m_Words[mark] &= ~(uint64_t{1} << (word & 63));
            marks &= marks - 1;
        }
    }

    // The last marked total below the key, or kNone. Marks of words found empty are cleared on the way.
    size_t Before(size_t key)
    {
        if (key == 0)
            return kNone;
        --key;
        size_t word = key >> 6;
        if (const uint64_t bits = m_Bits[word] & (~uint64_t{0} >> (63 - (key & 63))))
            return (word << 6) + 63 - static_cast<size_t>(std::countl_zero(bits));
        if (word == 0)
            return kNone;
        --word;
        size_t mark = word >> 6;
        uint64_t marks = m_Words[mark] & (~uint64_t{0} >> (63 - (word & 63)));
        for (;;)
        {
            while (marks == 0)
            {
                if (mark-- == 0)
                    return kNone;
                marks = m_Words[mark];
            }
            word = (mark << 6) + 63 - static_cast<size_t>(std::countl_zero(marks));
            if (m_Bits[word] != 0)
                return (word << 6) + 63 - static_cast<size_t>(std::countl_zero(m_Bits[word]));
            m_Words[mark] &= ~(uint64_t{1} << (word & 63));
            marks &= ~(uint64_t{1} << (word & 63));
        }
    }

    void InsertIntoList(int32_t cell)
    {
        const int32_t f = m_Cold[cell].f;
        int32_t* link = &m_iList;
        int32_t walked = 0;
        while (*link >= 0 && m_Cold[*link].f < f)
        {
            link = &m_Cold[*link].next;
            ++walked;
        }
        m_Cold[cell].next = *link;
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
        int32_t most = previous < 0 ? -1 : m_Cold[previous].f;
        while (chain >= 0)
        {
            const int32_t cell = chain;
            chain = m_Cold[cell].next;
            m_Cold[cell].next = -1;
            if (m_Cold[cell].f > most)
            {
                most = m_Cold[cell].f;
                Mark(Key(most));
                m_Head[Key(most)] = cell;
                m_Cold[cell].tail = cell;
                group = cell;
            }
            else
            {
                m_Cold[m_Cold[group].tail].next = cell;
                m_Cold[group].tail = cell;
            }
        }
    }

    uint64_t* const m_Bits;
    uint64_t* const m_Words;
    const size_t m_BitWords;
    const size_t m_MarkWords;
    int32_t* const m_Head;
    Cold* const m_Cold;
    const int32_t m_iLongestWalk;
    // The head of the list while it is a list (-1 when empty), else kRecords.
    int32_t m_iList;
    // The first marked total, and the highest total marked in this search.
    size_t m_First = kNone;
    size_t m_Highest = 0;
};

// ---------------------------------------------------------------- search

PathFinder::PathFinder(WorldMap& map) : m_Map(map), m_iStride(map.GetWidth() + 2), m_Reached(map.GetCellCount(), 0)
{
    const size_t cells = static_cast<size_t>(m_iStride) * static_cast<size_t>(map.GetHeight() + 2);
    m_Hot.assign(cells, {kBorderTag, std::numeric_limits<int32_t>::min()});
    m_Cold.resize(cells);
    for (uint32_t i = 0; i < map.GetCellCount(); ++i)
    {
        const MapCell& cell = map.CellAt(i);
        const int32_t index = Index(cell.m_x, cell.m_y);
        m_Hot[index] = {};
        m_Cold[index].x = static_cast<int16_t>(cell.m_x);
        m_Cold[index].y = static_cast<int16_t>(cell.m_y);
    }
    // The largest total: the squared distance across the map and the cost of the dearest steps through every
    // cell.
    const uint64_t w = static_cast<uint64_t>(map.GetWidth()), h = static_cast<uint64_t>(map.GetHeight());
    const uint64_t keys = w * w + 4 * h * h + 12 * w * h + 1;
    // A spare word after each, so that the word after the last total can be looked at.
    m_RecordBits.assign((keys + 63) / 64 + 1, 0);
    m_RecordWords.assign((m_RecordBits.size() + 63) / 64 + 1, 0);
    m_RecordCell.resize(keys);
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
        for (Hot& hot : m_Hot)
            if (hot.tag != kBorderTag)
                hot.tag = 0;
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
    const int32_t from = Index(start.x, start.y);
    const int32_t to = Index(destination.x, destination.y);
    bool found = false;
    switch (kind)
    {
    case PATH_PAVEMENT:
        found = Run<PATH_PAVEMENT>(from, to);
        break;
    case PATH_FOOT:
        found = Run<PATH_FOOT>(from, to);
        break;
    default:
        found = Run<PATH_SCENERY>(from, to);
        break;
    }
    if (!found)
        return 0;
    // S, its parent, ..., D: the steps are the cells strictly between the two ends, written straight into the step
    // array once they are counted.
    const int32_t toParent[4] = {m_iStride, 1, -m_iStride, -1};
    const auto parentOf = [&](int32_t c) { return c + toParent[(m_Hot[c].tag >> kParentShift) & 3]; };
    size_t cells = 0;
    for (int32_t c = from;; c = parentOf(c))
    {
        if (m_Hot[c].tag >> kGenerationShift != m_uGeneration || ++cells > m_Hot.size())
            return 0;
        if (c == to)
            break;
    }
    const int32_t count = static_cast<int32_t>(cells) - 2;
    if (count <= 0)
        return 0;
    if (steps)
    {
        steps->resize(static_cast<size_t>(count));
        int32_t c = parentOf(from);
        for (GridPos& step : *steps)
        {
            step = {m_Cold[c].x, m_Cold[c].y};
            c = parentOf(c);
        }
    }
    return count;
}

uint32_t PathFinder::OpeningsOf(uint32_t flags)
{
    return (flags & CELL_QUEUE) ? kQueueBit | queueshape::kStrict[QueueShapeOf(flags)] : 0u;
}

template <int32_t Kind> bool PathFinder::Run(int32_t start, int32_t destination)
{
    OpenList list(*this);
    // Tags of this search are at least `current`; those of earlier searches below it; the border's above.
    const uint32_t current = m_uGeneration << kGenerationShift;
    const int32_t stride = m_iStride;
    const int32_t width = m_Map.GetWidth();
    Hot* const hot = m_Hot.data();
    Cold* const cold = m_Cold.data();
    const MapCell* const cells = &m_Map.CellAt(0);
    const int32_t sx = m_Start.x, sy = m_Start.y;
    const uint32_t startCell = static_cast<uint32_t>(sy * width + sx);
    const uint32_t destinationCell = static_cast<uint32_t>(cold[destination].y * width + cold[destination].x);
    hot[destination] = {current | OpeningsOf(cells[destinationCell].m_uiFlags) << kOpeningsShift, 0};
    cold[destination].f = 0;
    list.Insert(destination);
    uint32_t expandedCount = 0;
    uint32_t nextCheck = kReachCheckFrom;
    bool found = false;
    // One cell expanded; false when the search is over (found or not). While the open list is a list its own
    // operations choose the way they keep it; once the records hold it, the loop that knows it calls theirs.
    const auto expand = [&](auto byRecords) -> bool
    {
        constexpr bool kByRecords = decltype(byRecords)::value;
        const int32_t e = kByRecords ? list.PopRecord() : list.PopFront();
        if (e < 0)
            return false;
        Hot& expanded = hot[e];
        const uint32_t tag = expanded.tag |= kExpanded;
        ++expandedCount;
        if (e == start)
        {
            found = true;
            return false;
        }
        // A long search checks now and then whether the walker's cell reaches the destination at all, so that a
        // walker cut off from it does not wait for every cell the destination reaches to be expanded.
        if (expandedCount == nextCheck)
        {
            if (!WalkerReaches<Kind>(startCell, destinationCell, nextCheck / 8))
                return false;
            nextCheck *= 4;
        }
        const uint32_t openings = (tag >> kOpeningsShift) & 0x1Fu;
        const int32_t x = cold[e].x;
        const int32_t y = cold[e].y;
        const int32_t here = y * width + x;
        const int32_t cost = expanded.g + ((openings & kQueueBit) ? kQueueStep : kStep);
        // The total of a neighbour: the squared distance between its centre and the walker's (32 map units a cell
        // along x, 64 along y) and the cost. One step from this cell changes the distance by a known amount.
        const int32_t ex = x - sx, ey = y - sy;
        const int32_t base = ex * ex + 4 * ey * ey + cost;
        // Offers the neighbour on a side of the cell, n in the search's arrays and m on the map, whose total would
        // be `f`.
        const auto offer = [&](auto sideOfCell, int32_t n, int32_t m, int32_t f)
        {
            constexpr int32_t side = decltype(sideOfCell)::value;
            // The side of n that faces this cell.
            constexpr int32_t back = (side + 2) & 3;
            Hot& node = hot[n];
            if (node.tag >= current)
            {
                // A cell already in this search passed its kind's test, which for foot and scenery searches does
                // not depend on where the step comes from.
                if constexpr (Kind == PATH_PAVEMENT)
                    if (!CanPass(node.tag >> kOpeningsShift, openings, back))
                        return;
                if (cost < node.g) [[unlikely]]
                {
                    // The estimate stays: the total drops by what the cost does.
                    const int32_t old = cold[n].f;
                    cold[n].f = old + (cost - node.g);
                    node.g = cost;
                    node.tag = (node.tag & ~(3u << kParentShift)) | static_cast<uint32_t>(back) << kParentShift;
                    if (!(node.tag & kExpanded))
                        list.Decreased(n, old);
                }
                return;
            }
            const uint32_t theirs = cells[m].m_uiFlags;
            if (!CanStand<Kind>(theirs))
                return;
            // Kept for every kind: a step out of a queue cell costs more whatever the search.
            const uint32_t theirOpenings = OpeningsOf(theirs);
            if constexpr (Kind == PATH_PAVEMENT)
                if (!CanPass(theirOpenings, openings, back))
                    return;
            node.tag = current | theirOpenings << kOpeningsShift | static_cast<uint32_t>(back) << kParentShift;
            node.g = cost;
            cold[n].f = f;
            if constexpr (kByRecords)
                list.InsertRecord(n);
            else
                list.Insert(n);
        };
        offer(std::integral_constant<int32_t, 0>{}, e + stride, here + width, base + 8 * ey + 4);
        offer(std::integral_constant<int32_t, 1>{}, e + 1, here + 1, base + 2 * ex + 1);
        offer(std::integral_constant<int32_t, 2>{}, e - stride, here - width, base - 8 * ey + 4);
        offer(std::integral_constant<int32_t, 3>{}, e - 1, here - 1, base - 2 * ex + 1);
        return true;
    };
    bool going = true;
    while (going && !list.ByRecords())
        going = expand(std::false_type{});
    while (going)
        going = expand(std::true_type{});
    m_uExpanded = expandedCount;
    return found;
}

template <int32_t Kind> bool PathFinder::WalkerReaches(uint32_t start, uint32_t destination, uint32_t budget)
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
    m_Flood.push_back(static_cast<int32_t>(start));
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
            if (static_cast<uint32_t>(b) == destination || ++seen > budget)
                return true;
            m_Reached[b] = m_uReach;
            m_Flood.push_back(b);
        }
    }
    return false;
}

// ---------------------------------------------------------------- shared paths and followers

#ifndef __SANITIZE_ADDRESS__
namespace
{
// The room of let-go followers, at most its reserved size; the game is single-threaded.
std::vector<void*>& SpareFollowers()
{
    static std::vector<void*> spare = []
    {
        std::vector<void*> v;
        v.reserve(4096);
        return v;
    }();
    return spare;
}
} // namespace
#endif

void* PathFollower::operator new([[maybe_unused]] std::size_t size)
{
#ifndef __SANITIZE_ADDRESS__
    std::vector<void*>& spare = SpareFollowers();
    if (size == sizeof(PathFollower) && !spare.empty())
    {
        void* room = spare.back();
        spare.pop_back();
        return room;
    }
#endif
    return ::operator new(size);
}

void PathFollower::operator delete(void* p, [[maybe_unused]] std::size_t size) noexcept
{
#ifndef __SANITIZE_ADDRESS__
    std::vector<void*>& spare = SpareFollowers();
    if (p && size == sizeof(PathFollower) && spare.size() < spare.capacity())
    {
        spare.push_back(p);
        return;
    }
#endif
    ::operator delete(p);
}

PathFollower::PathFollower(SharedPath* path, int32_t kind) : m_pPath(path)
{
    m_pPath->m_ePathType = kind;
}

PathFollower::~PathFollower()
{
    if (m_pPath->m_iRefCount <= 1)
    {
        if (g_pPath)
            g_pPath->Recycle(m_pPath);
        else
            delete m_pPath;
    }
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
    m_SparePaths.reserve(256);
}

Path::~Path()
{
    if (g_pPath == this)
        g_pPath = nullptr;
}

void Path::Recycle(SharedPath* path)
{
    if (!path)
        return;
    std::unique_ptr<SharedPath> kept(path);
    if (m_SparePaths.size() < kMaxSparePaths)
        m_SparePaths.push_back(std::move(kept));
}

std::unique_ptr<SharedPath> Path::TakePath()
{
    if (m_SparePaths.empty())
        return std::make_unique<SharedPath>();
    std::unique_ptr<SharedPath> path = std::move(m_SparePaths.back());
    m_SparePaths.pop_back();
    // As a new one, but for the room its steps had.
    path->m_pDirections.clear();
    path->m_fTimeStamp = 0.0f;
    path->m_iRefCount = 1;
    path->m_Start = path->m_Stop = {-1, -1};
    path->m_ePathType = PATH_PAVEMENT;
    path->m_bValid = true;
    return path;
}

std::unique_ptr<PathFollower> Path::FindPath(int32_t kind, const GridPos& start, const GridPos& destination,
                                             bool* found)
{
    std::unique_ptr<SharedPath> path = TakePath();
    if (m_Finder.Search(kind, start, destination, &path->m_pDirections) <= 0)
    {
        if (found)
            *found = false;
        Recycle(path.release());
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
