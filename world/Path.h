// Path search over the park grid: the path finder (a best-first search run backwards from the destination), the
// shared paths it finds, the followers that walkers hold on them, and the path service that owns the finder.
#pragma once

#include "world/WorldMap.h"

#include <cstdint>
#include <memory>
#include <vector>

class SerialStream;

// The kinds of search, each with its own test of which cells may be entered.
enum PathKind : int32_t
{
    PATH_PAVEMENT = 0, // footpath and queue path, through the queues' openings
    PATH_FOOT = 1,     // walkable ground
    PATH_SCENERY = 2,  // any ground not under a building
};

// The cells between a walker's cell and its destination, shared by the followers that walk them.
class SharedPath
{
public:
    int32_t GetNumSteps() const { return static_cast<int32_t>(m_pDirections.size()); }

    float m_fTimeStamp = 0.0f;
    int32_t m_iRefCount = 1;
    // In walking order, from the cell after the walker's cell to the cell before the destination cell.
    std::vector<GridPos> m_pDirections;
    GridPos m_Start = {-1, -1};
    GridPos m_Stop = {-1, -1};
    int32_t m_ePathType = PATH_PAVEMENT;
    // Cleared when a walker finds the path blocked.
    bool m_bValid = true;
};

// One walker's cursor on a shared path. Destroying it releases its hold on the path: the last holder deletes it.
class PathFollower
{
public:
    // What Advance reports.
    enum Advanced : int32_t
    {
        STEP_ON = 0,   // an ordinary step
        STEP_LAST = 1, // the step the walker treats as its last
        STEP_PAST = 2, // past the end of the steps
    };

    // Takes one held reference of the path; forward from the first step.
    PathFollower(SharedPath* path, int32_t kind);
    ~PathFollower();
    PathFollower(const PathFollower&) = delete;
    PathFollower& operator=(const PathFollower&) = delete;

    // One step on (one back when reversed).
    int32_t Advance();
    // The cell of the current step (the nearest end when the index has left the steps).
    GridPos GetCurrentStep() const;
    SharedPath& GetPath() const { return *m_pPath; }
    int32_t GetKind() const { return m_pPath->m_ePathType; }

    // The shared path's record, then the follower's own fields.
    void Dump(SerialStream& stream) const;
    // A follower on a new path of its own read from the stream. Null, with a report, when the record is cut short
    // or does not hold together: a step count outside 1 to maxSteps, steps off the map, an unknown kind or a
    // current step outside the steps.
    static std::unique_ptr<PathFollower> Load(SerialStream& stream, const WorldMap* map, int32_t maxSteps);

    bool m_bReverse = false;
    int32_t m_iCurrStep = 0;

private:
    SharedPath* m_pPath;
};

// The search. Its bookkeeping is sized to the map once, so a search allocates nothing but the steps it returns.
class PathFinder
{
public:
    // The open list: a sorted singly linked list with linear insertion, or that list while insertions
    // find their place near its head and, once one has to walk far along it, the same list kept in blocks of up to
    // kBlockSize cells, each block knowing its largest total, so that an insertion skips whole blocks and moves at
    // most half a block's entries. Both hold the same order, so give the same paths.
    enum class OpenList
    {
        Literal,
        Blocks,
    };
    static constexpr int32_t kBlockSize = 32;
    // The longest walk along the linked list an insertion may take before the blocks take over.
    static constexpr int32_t kDefaultBlocksFrom = 32;

    static constexpr int64_t kStepCost = 2048;
    static constexpr int64_t kQueueStepCost = 12288;

    explicit PathFinder(WorldMap& map);

    // Searches from the walker's cell to the destination cell with the kind's test; the steps found go to `steps`
    // (emptied first). Returns the number of steps: 0 when there is no path, when either end may not be entered,
    // when the ends are equal and when they are neighbours.
    int32_t Search(int32_t kind, const GridPos& start, const GridPos& destination, std::vector<GridPos>* steps);

    // Whether a cell with flags `flags` may be entered by a search of the kind, with no cell to come from (null
    // fromFlags) or coming from the neighbouring cell on the given side (0 to 3) of it.
    static bool CanEnter(int32_t kind, uint32_t flags, const uint32_t* fromFlags, int32_t sideToFrom);

    void SetOpenList(OpenList list) { m_eOpenList = list; }
    // With the blocked list: the longest walk along the linked list an insertion may take before the blocks take
    // over; -1: blocks from the first cell.
    void SetBlocksFrom(int32_t length) { m_iBlocksFrom = length; }
    OpenList GetOpenList() const { return m_eOpenList; }
    // Cells expanded by the last search, and open cells whose cost dropped in it.
    uint32_t GetExpandedCount() const { return m_uExpanded; }
    uint32_t GetDecreasedCount() const { return m_uDecreased; }
    // Whether the last search's open list moved into blocks.
    bool UsedBlocks() const { return m_bUsedBlocks; }
    WorldMap& GetMap() const { return m_Map; }

private:
    struct Node
    {
        int64_t f = 0;
        int64_t g = 0;
        int64_t h = 0;
        int32_t parent = -1;
        // The next cell of the literal list; the block holding the cell in the blocked list.
        int32_t next = -1;
        int32_t block = -1;
        uint32_t generation = 0;
        bool expanded = false;
    };
    // A block's cells lie at [begin, end) of room for two blocks' worth, so that cells come and go at either end
    // without moving the others.
    struct Entry
    {
        int64_t f;
        int32_t cell;
    };
    struct Block
    {
        static constexpr int32_t kRoom = 2 * kBlockSize;
        int32_t begin = 0;
        int32_t end = 0;
        Entry entries[kRoom];
        int32_t Count() const { return end - begin; }
    };
    class LiteralList;
    class BlockList;
    class HybridList;
    template <class List> int32_t Run(List& list, int32_t kind, uint32_t start, uint32_t destination);
    int64_t Estimate(uint32_t cell) const;

    WorldMap& m_Map;
    std::vector<Node> m_Nodes;
    uint32_t m_uGeneration = 0;
    uint32_t m_uExpanded = 0;
    uint32_t m_uDecreased = 0;
    bool m_bUsedBlocks = false;
    // The blocked list's storage, sized once for the most blocks a search can fill: the block records, the
    // largest total of each, and the blocks in list order.
    std::vector<Block> m_Blocks;
    std::vector<int64_t> m_BlockMax;
    std::vector<int32_t> m_BlockOrder;
    GridPos m_Start;
    OpenList m_eOpenList = OpenList::Blocks;
    int32_t m_iBlocksFrom = kDefaultBlocksFrom;
};

// The path service of the park: one finder, the searches of each kind and the walkability checks.
class Path
{
public:
    // Stores the global pointer.
    explicit Path(WorldMap& map);
    ~Path();
    Path(const Path&) = delete;
    Path& operator=(const Path&) = delete;

    // A follower on a new path from the walker's cell to the destination cell, time-stamped with the park's game
    // time; null (and *found false) when the search gives no step.
    std::unique_ptr<PathFollower> FindPavementPath(int32_t x, int32_t y, int32_t destX, int32_t destY, bool* found);
    std::unique_ptr<PathFollower> FindFootPath(int32_t x, int32_t y, int32_t destX, int32_t destY, bool* found);
    std::unique_ptr<PathFollower> FindSceneryPath(int32_t x, int32_t y, int32_t destX, int32_t destY, bool* found);
    std::unique_ptr<PathFollower> FindPath(int32_t kind, const GridPos& start, const GridPos& destination, bool* found);

    // False when the path has been found blocked; else whether the current step's cell may be entered.
    bool IsStepWalkable(const PathFollower& follower) const;
    // Whether a cell may be entered by the kind with no cell to come from (false off the map).
    bool IsCellWalkable(const GridPos& pos, int32_t kind) const;
    // Releases the walker's hold on its path and deletes the follower.
    static void ReleaseFollower(std::unique_ptr<PathFollower>& follower) { follower.reset(); }

    void Dump(SerialStream& stream) const;
    bool Load(SerialStream& stream);

    PathFinder& GetFinder() { return m_Finder; }

private:
    WorldMap& m_Map;
    PathFinder m_Finder;
};

// The path service while a park exists, null otherwise.
extern Path* g_pPath;
