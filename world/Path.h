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
    static constexpr int64_t kStepCost = 2048;
    static constexpr int64_t kQueueStepCost = 12288;
    // After this many cells expanded (and again after four times as many, and so on) the search checks whether
    // the walker's cell reaches the destination at all, flooding at most as many cells from the walker's side.
    static constexpr uint32_t kReachCheckFrom = 1024;

    explicit PathFinder(WorldMap& map);
    ~PathFinder();
    PathFinder(const PathFinder&) = delete;
    PathFinder& operator=(const PathFinder&) = delete;

    // Searches from the walker's cell to the destination cell with the kind's test; the steps found go to `steps`
    // (emptied first). Returns the number of steps: 0 when there is no path, when either end may not be entered,
    // when the ends are equal and when they are neighbours.
    int32_t Search(int32_t kind, const GridPos& start, const GridPos& destination, std::vector<GridPos>* steps);

    // Whether a cell with flags `flags` may be entered by a search of the kind, with no cell to come from (null
    // fromFlags) or coming from the neighbouring cell on the given side (0 to 3) of it.
    static bool CanEnter(int32_t kind, uint32_t flags, const uint32_t* fromFlags, int32_t sideToFrom);

    // The longest walk along the open list an insertion may take before the list is kept by its records; -1: by
    // its records from the start.
    void SetLongestListWalk(int32_t length) { m_iLongestWalk = length; }
    // Cells expanded by the last search.
    uint32_t GetExpandedCount() const { return m_uExpanded; }
    WorldMap& GetMap() const { return m_Map; }

private:
    // A set of keys below a size in levels of 64-bit words, each level marking the words of the one below that
    // hold a key: the next key after one and the last one before it in a few word operations, the first at once.
    class KeySet
    {
    public:
        static constexpr size_t kNone = ~size_t{0};
        void Resize(size_t size);
        void Insert(size_t key);
        void Erase(size_t key);
        bool Contains(size_t key) const;
        size_t First() const { return m_First; }
        size_t After(size_t key) const;
        size_t Before(size_t key) const;

    private:
        // The levels one after the other, from the keys' own bits up to a single word (made once, by Resize).
        std::vector<uint64_t> m_Words;
        std::vector<size_t> m_Offsets;
        std::vector<size_t> m_Sizes;
        size_t m_First = kNone;
    };
    // Costs, estimates and totals are counted in units of 1024 (every one is a multiple of it): a step costs 2, or
    // 12 out of a queue cell, and the estimate of a cell dx, dy cells from the walker's is dx x dx + 4 dy x dy. The
    // largest total, the squared size of the map and the dearest steps through every cell, stays in range on
    // maps of up to 11,000 cells a side, which the cells' positions also fit.
    static constexpr int32_t kUnit = 1024;
    static constexpr int32_t kStep = kStepCost / kUnit;
    static constexpr int32_t kQueueStep = kQueueStepCost / kUnit;
    // Per cell: its total, cost and parent (the next cell towards the destination), the search that last touched
    // it (twice its generation, plus 1 once expanded), its flags as that search found them, and its position.
    struct Node
    {
        int32_t f = 0;
        int32_t g = 0;
        int32_t parent = -1;
        uint32_t tag = 0;
        uint32_t flags = 0;
        int16_t x = 0;
        int16_t y = 0;
    };
    // Per cell, its links in the open list: the next cell, and for a record the last cell of its group.
    struct Link
    {
        int32_t next = -1;
        int32_t tail = -1;
    };
    class OpenList;
    static constexpr uint32_t kGenerations = 1u << 31;

    template <int32_t Kind> bool Run(int32_t start, int32_t destination);
    // False only when every cell the walker can reach has been seen (no more than `budget`) without the
    // destination.
    template <int32_t Kind> bool WalkerReaches(int32_t start, int32_t destination, uint32_t budget);

    WorldMap& m_Map;
    std::vector<Node> m_Nodes;
    std::vector<Link> m_Links;
    uint32_t m_uGeneration = 0;
    uint32_t m_uExpanded = 0;
    int32_t m_iLongestWalk = 24;
    GridPos m_Start;
    // The open list's records by total, and the record cell of each total.
    KeySet m_Records;
    std::vector<int32_t> m_RecordCell;
    // The walker's side of the reach check: the cells seen by each check, and the cells still to look round.
    std::vector<uint32_t> m_Reached;
    uint32_t m_uReach = 0;
    std::vector<int32_t> m_Flood;
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
