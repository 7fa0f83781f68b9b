// Path search: the walkability tests, the search with its open list, shared paths, followers, and the path service
// with its save records.
#include "world/Path.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "world/QueueShapes.h"
#include "world/World.h"

#include <algorithm>
#include <bit>
#include <cstring>
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

// Whether a walker may step between two cells it may stand on, from the cell with `flags` onto the neighbouring cell
// with `to` on its side `side`.
template <int32_t Kind>
bool CanStep([[maybe_unused]] uint32_t flags, [[maybe_unused]] uint32_t to, [[maybe_unused]] int32_t side)
{
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

bool PathFinder::CanEnter(int32_t kind, uint32_t flags)
{
    switch (kind)
    {
    case PATH_PAVEMENT:
        return CanStand<PATH_PAVEMENT>(flags);
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
// totals (a bit per total, and a byte per 64-bit word of those bits that may hold one), and a new cell goes in
// before the first record whose total is at least its own, taking over that record's group when the totals are
// equal. Only taking a record out (the head, or one whose total drops) sorts its group into records again.
//
// The search itself inserts and takes out records, keeping the first total marked where it can reach it at once;
// this class holds the parts it needs now and then.
class PathFinder::OpenList
{
public:
    // The end of a chain of cells: the corner of the border, which no search enters. Its total, above every real
    // one, ends a walk along the list and matches no record; while the open list is a list its link holds the
    // head.
    static constexpr int32_t kEnd = 0;
    static constexpr int32_t kEndTotal = std::numeric_limits<int32_t>::max();
    static constexpr size_t kNone = ~size_t{0};
    // The bytes before and after the marks of the words, so that eight of them can be read at once anywhere, and
    // the stops just outside them.
    static constexpr size_t kHeldMargin = 8;

    explicit OpenList(PathFinder& finder)
        : bits(finder.m_RecordBits.data()), held(finder.m_RecordHeld.data() + kHeldMargin),
          head(finder.m_RecordCell.data()), cold(finder.m_Cold.data()), m_Words(finder.m_RecordBits.size())
    {
    }

    // Clears the records a search leaves, none of them below its first total.
    void Clear(size_t first) const
    {
        if (first == kNone)
            return;
        for (size_t word = NextHeld(first >> 6); word < m_Words; word = NextHeld(word + 1))
        {
            for (uint64_t marks = bits[word]; marks != 0; marks &= marks - 1)
                head[(word << 6) + static_cast<size_t>(std::countr_zero(marks))] = kEnd;
            bits[word] = 0;
            held[word] = 0;
        }
    }

    // The first marked total above the key, or kNone. Marks of words found empty are cleared on the way.
    size_t After(size_t key) const
    {
        for (size_t word = NextHeld((key >> 6) + 1); word < m_Words; word = NextHeld(word + 1))
        {
            if (bits[word] != 0)
                return (word << 6) + static_cast<size_t>(std::countr_zero(bits[word]));
            held[word] = 0;
        }
        return kNone;
    }

    // The last marked total below the key, or kNone. Marks of words found empty are cleared on the way.
    size_t Before(size_t key) const
    {
        if (key == 0)
            return kNone;
        --key;
        const size_t word = key >> 6;
        if (const uint64_t found = bits[word] & (~uint64_t{0} >> (63 - (key & 63))))
            return (word << 6) + 63 - static_cast<size_t>(std::countl_zero(found));
        for (ptrdiff_t w = PreviousHeld(static_cast<ptrdiff_t>(word) - 1); w >= 0; w = PreviousHeld(w - 1))
        {
            if (bits[w] != 0)
                return (static_cast<size_t>(w) << 6) + 63 - static_cast<size_t>(std::countl_zero(bits[w]));
            held[w] = 0;
        }
        return kNone;
    }

    // Sorts a chain of cells in list order, which follows the record `previous` (kEnd: the head of the list), into
    // records and their groups. Returns the lowest total it marks (kNone when it marks none).
    size_t Regroup(int32_t chain, int32_t previous) const
    {
        size_t lowest = kNone;
        // The last cell of the previous record's group, found by walking it: groups are short, and only a record
        // whose total drops has a group to be joined.
        int32_t last = previous;
        if (previous != kEnd)
            while (cold[last].next != kEnd)
                last = cold[last].next;
        int32_t most = previous == kEnd ? -1 : cold[previous].f;
        while (chain != kEnd)
        {
            const int32_t cell = chain;
            chain = cold[cell].next;
            cold[cell].next = kEnd;
            if (cold[cell].f > most)
            {
                most = cold[cell].f;
                const size_t key = static_cast<size_t>(most);
                bits[key >> 6] |= uint64_t{1} << (key & 63);
                held[key >> 6] = 1;
                lowest = std::min(lowest, key);
                head[key] = cell;
            }
            else
                cold[last].next = cell;
            last = cell;
        }
        return lowest;
    }

    // The total of an open cell has dropped from `old`: a record whose total drops is taken out, and it and its
    // group are sorted into records again after the record before it; any other cell stays in its group. Returns
    // the first total marked afterwards, given the one before.
    size_t Dropped(int32_t cell, size_t old, size_t first) const
    {
        if (head[old] != cell)
            return first;
        head[old] = kEnd;
        bits[old >> 6] &= ~(uint64_t{1} << (old & 63));
        // When the record was the first, no record comes before it, so the cell, whose total is now lower, becomes
        // the first record itself: the first total needs no search.
        const size_t before = Before(old);
        return std::min(first, Regroup(cell, before == kNone ? kEnd : head[before]));
    }

    // While the open list is a list: inserts the cell with total f and returns how far it walked.
    int32_t InsertIntoList(int32_t cell, int32_t f) const
    {
        int32_t* link = &cold[kEnd].next;
        int32_t walked = 0;
        while (cold[*link].f < f)
        {
            link = &cold[*link].next;
            ++walked;
        }
        cold[cell].next = *link;
        *link = cell;
        return walked;
    }

    uint64_t* const bits;
    uint8_t* const held;
    int32_t* const head;
    Cold* const cold;

private:
    // The first word at or after `word` that may hold a mark; the number of words when there is none.
    size_t NextHeld(size_t word) const
    {
        for (;; word += 8)
        {
            uint64_t eight;
            std::memcpy(&eight, held + word, sizeof eight);
            if (eight != 0)
                return word + static_cast<size_t>(std::countr_zero(eight)) / 8;
        }
    }

    // The last word at or before `word` that may hold a mark; -1 when there is none.
    ptrdiff_t PreviousHeld(ptrdiff_t word) const
    {
        for (;; word -= 8)
        {
            uint64_t eight;
            std::memcpy(&eight, held + word - 7, sizeof eight);
            if (eight != 0)
                return word - static_cast<ptrdiff_t>(std::countl_zero(eight)) / 8;
        }
    }

    const size_t m_Words;
};

// ---------------------------------------------------------------- search

PathFinder::PathFinder(WorldMap& map) : m_Map(map), m_iStride(map.GetWidth() + 2)
{
    const size_t cells = static_cast<size_t>(m_iStride) * static_cast<size_t>(map.GetHeight() + 2);
    m_Reached.assign(cells, 0);
    m_Hot.assign(cells, {kBorderTag, std::numeric_limits<int32_t>::min()});
    m_Cold.resize(cells);
    m_Cold[OpenList::kEnd].f = OpenList::kEndTotal;
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
    m_RecordBits.assign((keys + 63) / 64, 0);
    // Eight bytes either side, the stops just outside the words.
    m_RecordHeld.assign(m_RecordBits.size() + 2 * OpenList::kHeldMargin, 0);
    m_RecordHeld[OpenList::kHeldMargin - 1] = 1;
    m_RecordHeld[OpenList::kHeldMargin + m_RecordBits.size()] = 1;
    m_RecordCell.assign(keys, OpenList::kEnd);
    m_Flood.reserve(cells);
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
    if (!CanEnter(kind, m_Map.CellAt(s).m_uiFlags) || !CanEnter(kind, m_Map.CellAt(d).m_uiFlags))
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
    constexpr int32_t kEnd = OpenList::kEnd;
    constexpr size_t kNone = OpenList::kNone;
    const OpenList list(*this);
    uint64_t* const bits = list.bits;
    uint8_t* const held = list.held;
    int32_t* const heads = list.head;
    // Tags of this search are at least `current`; those of earlier searches below it; the border's above.
    const uint32_t current = m_uGeneration << kGenerationShift;
    const ptrdiff_t stride = m_iStride;
    Hot* const hot = m_Hot.data();
    Cold* const cold = m_Cold.data();
    // The map's flags, in the same rows as the search's arrays; its border holds 0, which no kind may enter.
    const uint32_t* const flags = m_Map.GetFlagGrid();
    const int32_t sx = m_Start.x, sy = m_Start.y;
    hot[destination] = {current | OpeningsOf(flags[destination]) << kOpeningsShift, 0};
    cold[destination].f = 0;
    // The destination alone forms the list, whose head the end cell's link holds.
    cold[kEnd].next = destination;
    cold[destination].next = kEnd;
    // The number of cells expanded at the next reach check, and how many more are to be expanded until then.
    uint32_t nextCheck = kReachCheckFrom;
    uint32_t untilCheck = kReachCheckFrom;
    bool found = false;
    // Expands cell e: each neighbour that is new to the search goes into the open list through `insert` (cell,
    // total), and each open one whose total drops is reported through `drop` (cell, old total). False when the
    // search is over. The constants are held by value, so that no store through the search's arrays makes the
    // compiler read them again.
    const auto expand = [&, start = static_cast<ptrdiff_t>(start), sx, sy, current, stride, hot, cold,
                         flags ](ptrdiff_t e, auto insert, auto drop) __attribute__((always_inline))
                            ->bool
    {
        Hot* const he = hot + e;
        const uint32_t tag = he->tag | kExpanded;
        he->tag = tag;
        --untilCheck;
        if (e == start)
        {
            found = true;
            return false;
        }
        // A long search checks now and then whether the walker's cell reaches the destination at all, so that a
        // walker cut off from it does not wait for every cell the destination reaches to be expanded.
        if (untilCheck == 0) [[unlikely]]
        {
            if (!WalkerReaches<Kind>(start, destination, nextCheck / 8))
                return false;
            untilCheck = 3 * nextCheck;
            nextCheck *= 4;
        }
        [[maybe_unused]] const uint32_t openings = (tag >> kOpeningsShift) & 0x1Fu;
        // A step out of a queue cell costs kQueueStep, any other kStep: counted without a branch or a select.
        const int32_t queued = static_cast<int32_t>((tag >> kOpeningsShift & kQueueBit) / kQueueBit);
        const int32_t cost = he->g + kStep + queued * (kQueueStep - kStep);
        const int32_t x = cold[e].x;
        const int32_t y = cold[e].y;
        // Offers the neighbour on a side of the cell, `offset` cells on in the search's arrays.
        const auto offer = [&](auto sideOfCell, ptrdiff_t offset)
        {
            constexpr int32_t side = decltype(sideOfCell)::value;
            // The side of n that faces this cell.
            constexpr int32_t back = (side + 2) & 3;
            Hot& node = he[offset];
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
                    Cold& dropping = cold[e + offset];
                    const int32_t old = dropping.f;
                    dropping.f = old + (cost - node.g);
                    node.g = cost;
                    node.tag = (node.tag & ~(3u << kParentShift)) | static_cast<uint32_t>(back) << kParentShift;
                    if (!(node.tag & kExpanded))
                        drop(e + offset, static_cast<size_t>(old));
                }
                return;
            }
            const uint32_t theirs = flags[e + offset];
            if (!CanStand<Kind>(theirs))
                return;
            // Kept for every kind: a step out of a queue cell costs more whatever the search.
            const uint32_t theirOpenings = OpeningsOf(theirs);
            if constexpr (Kind == PATH_PAVEMENT)
                if (!CanPass(theirOpenings, openings, back))
                    return;
            node.tag = current | theirOpenings << kOpeningsShift | static_cast<uint32_t>(back) << kParentShift;
            node.g = cost;
            // The total: the squared distance between the cell's centre and the walker's (32 map units a cell
            // along x, 64 along y) and the cost.
            constexpr int32_t dx = side == 1 ? 1 : side == 3 ? -1 : 0;
            constexpr int32_t dy = side == 0 ? 1 : side == 2 ? -1 : 0;
            const int32_t ex = x + dx - sx, ey = y + dy - sy;
            const int32_t f = ex * ex + 4 * ey * ey + cost;
            cold[e + offset].f = f;
            insert(e + offset, f);
        };
        offer(std::integral_constant<int32_t, 0>{}, stride);
        offer(std::integral_constant<int32_t, 1>{}, 1);
        offer(std::integral_constant<int32_t, 2>{}, -stride);
        offer(std::integral_constant<int32_t, 3>{}, -1);
        return true;
    };
    // While the list stays short it is walked; once an insertion walks far the records take it over.
    bool byRecords = m_iLongestWalk < 0;
    bool going = true;
    while (going && !byRecords)
    {
        const int32_t e = cold[kEnd].next;
        if (e == kEnd)
            break;
        cold[kEnd].next = cold[e].next;
        going = expand(
            e,
            [&](ptrdiff_t cell, int32_t f)
            {
                if (list.InsertIntoList(static_cast<int32_t>(cell), f) > m_iLongestWalk)
                    byRecords = true;
            },
            [](ptrdiff_t, size_t) {});
    }
    size_t first = kNone;
    if (going && byRecords)
    {
        const int32_t chain = cold[kEnd].next;
        cold[kEnd].next = kEnd;
        first = list.Regroup(chain, kEnd);
    }
    // The cell goes in before the first record of a total at least its own: with a record of the same total it
    // takes over that record's group (the record joins it), otherwise it starts a group of its own. Both without
    // a branch, as a total without a record has the end of a chain for its record cell.
    const auto insertRecord = [&](ptrdiff_t cell, int32_t f)
    {
        const size_t key = static_cast<size_t>(f);
        bits[key >> 6] |= uint64_t{1} << (key & 63);
        held[key >> 6] = 1;
        const int32_t hidden = heads[key];
        heads[key] = static_cast<int32_t>(cell);
        cold[cell].next = hidden;
        // A branch, not a conditional move: a new first total is rare, and the next record to come out should not
        // wait for every total marked before it.
        if (key < first) [[unlikely]]
            first = key;
    };
    const auto dropRecord = [&](ptrdiff_t cell, size_t old)
    { first = list.Dropped(static_cast<int32_t>(cell), old, first); };
    while (going && first != kNone)
    {
        // The first record comes out and the next cell of its group takes its place: an empty group leaves the
        // end as the total's record cell.
        const size_t key = first;
        const ptrdiff_t e = heads[key];
        const int32_t next = cold[e].next;
        // A branch, not a mask: while the next cell has the same total the first total stays, and the next record
        // to come out, the cell just read, need not wait for its total to be read.
        if (cold[next].f == static_cast<int32_t>(key))
            heads[key] = next;
        else
        {
            heads[key] = kEnd;
            // The first total is the lowest marked, so its mark is the lowest of its word's.
            uint64_t* const word = bits + (key >> 6);
            const uint64_t rest = *word & (*word - 1);
            *word = rest;
            // A group that starts with a smaller cell is sorted into records of its own, before all others.
            if (next != kEnd) [[unlikely]]
                first = list.Regroup(next, kEnd);
            else
                first = rest != 0 ? (key & ~size_t{63}) + static_cast<size_t>(std::countr_zero(rest)) : list.After(key);
        }
        going = expand(e, insertRecord, dropRecord);
    }
    list.Clear(first);
    m_uExpanded = nextCheck - untilCheck;
    return found;
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
    const uint32_t* const flags = m_Map.GetFlagGrid();
    const int32_t toSide[4] = {m_iStride, 1, -m_iStride, -1};
    m_Flood.clear();
    m_Flood.push_back(start);
    m_Reached[static_cast<size_t>(start)] = m_uReach;
    uint32_t seen = 1;
    while (!m_Flood.empty())
    {
        const int32_t a = m_Flood.back();
        m_Flood.pop_back();
        for (int32_t side = 0; side < 4; ++side)
        {
            // The border's flags keep the flood on the map.
            const int32_t b = a + toSide[side];
            const uint32_t to = flags[b];
            if (m_Reached[static_cast<size_t>(b)] == m_uReach || !CanStand<Kind>(to) ||
                !CanStep<Kind>(flags[a], to, side))
                continue;
            if (b == destination || ++seen > budget)
                return true;
            m_Reached[static_cast<size_t>(b)] = m_uReach;
            m_Flood.push_back(b);
        }
    }
    return false;
}

// ---------------------------------------------------------------- shared paths and followers

// A build that checks memory (either compiler's address checker) keeps no spare rooms: each follower's memory is
// then checked on its own, and none is still held when the program ends.
#if defined(__SANITIZE_ADDRESS__)
#define TW_SPARE_FOLLOWERS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TW_SPARE_FOLLOWERS 0
#endif
#endif
#ifndef TW_SPARE_FOLLOWERS
#define TW_SPARE_FOLLOWERS 1
#endif

#if TW_SPARE_FOLLOWERS
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
#if TW_SPARE_FOLLOWERS
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
#if TW_SPARE_FOLLOWERS
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
    return cell && PathFinder::CanEnter(kind, cell->m_uiFlags);
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
