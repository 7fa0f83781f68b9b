// Path search over the park grid: the path finder (a best-first search run backwards from the destination), the
// shared paths it finds, the followers that walkers hold on them, and the path service that owns the finder.
#pragma once

#include "world/WorldMap.h"

#include <cstddef>
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
    // A walker takes a new follower at every order: a let-go follower's room is kept for the next one (but under
    // AddressSanitizer, which is to see every follower go).
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;

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

    // Whether a cell with flags `flags` may be stood on by a search of the kind (which side a pavement walker may
    // step through is the search's own test).
    static bool CanEnter(int32_t kind, uint32_t flags);

    // The longest walk along the open list an insertion may take before the list is kept by its records; -1: by
    // its records from the start.
    void SetLongestListWalk(int32_t length) { m_iLongestWalk = length; }
    // Cells expanded by the last search.
    uint32_t GetExpandedCount() const { return m_uExpanded; }
    WorldMap& GetMap() const { return m_Map; }

private:
    // Costs, estimates and totals are counted in units of 1024 (every one is a multiple of it): a step costs 2, or
    // 12 out of a queue cell, and the estimate of a cell dx, dy cells from the walker's is dx x dx + 4 dy x dy. The
    // largest total, the squared size of the map and the dearest steps through every cell, stays in range on
    // maps of up to 11,000 cells a side, which the cells' positions also fit.
    static constexpr int32_t kUnit = 1024;
    static constexpr int32_t kStep = kStepCost / kUnit;
    static constexpr int32_t kQueueStep = kQueueStepCost / kUnit;
    // The bits of a cell's tag: whether the search has expanded it, the side of it its parent (the next cell towards
    // the destination) lies on, its queue openings as the search found them (bit 7 set for a queue cell, bits 3 to
    // 6 its open sides), and above them the search that last touched it. The cells of the border round the map
    // carry a tag above every search's and a cost below every other, so that they look already searched and are
    // never improved: the map's edge needs no test of its own.
    static constexpr uint32_t kExpanded = 1u;
    static constexpr int32_t kParentShift = 1;
    static constexpr int32_t kOpeningsShift = 3;
    static constexpr uint32_t kQueueBit = 0x10u;
    static constexpr int32_t kGenerationShift = 8;
    static constexpr uint32_t kGenerations = 1u << (32 - kGenerationShift);
    static constexpr uint32_t kBorderTag = 0xFFFFFFFFu;
    // What every offer to a cell reads, kept apart and small: its tag and its cost.
    struct Hot
    {
        uint32_t tag = 0;
        int32_t g = 0;
    };
    // What the open list reads: the cell's total and the next cell in the list (for a record, the first of its
    // group; the last of a group has the end of a chain); and the cell's position on the map.
    struct Cold
    {
        int32_t f = 0;
        int32_t next = -1;
        int16_t x = 0;
        int16_t y = 0;
    };
    class OpenList;

    // A cell's openings as its tag keeps them: kQueueBit and the open sides for a queue cell, 0 for any other.
    static uint32_t OpeningsOf(uint32_t flags);
    // Whether a pavement walker may step between two cells through their openings: from the cell with openings
    // `theirs` across its side `back` onto the cell with openings `mine`.
    static bool CanPass(uint32_t theirs, uint32_t mine, int32_t back)
    {
        if (theirs & kQueueBit)
            return (theirs >> back & 1u) != 0;
        if (mine & kQueueBit)
            return (mine >> ((back + 2) & 3) & 1u) != 0;
        return true;
    }

    // The search between two cells given by their indexes in the search's arrays.
    template <int32_t Kind> bool Run(int32_t start, int32_t destination);
    // False only when every cell the walker can reach has been seen (no more than `budget`) without the
    // destination; the cells by their indexes in the search's arrays.
    template <int32_t Kind> bool WalkerReaches(int32_t start, int32_t destination, uint32_t budget);

    // The index of a map cell in the search's own arrays, which run over the map and a border one cell wide, as
    // the map's grid of flags does.
    int32_t Index(int32_t x, int32_t y) const { return (y + 1) * m_iStride + x + 1; }

    WorldMap& m_Map;
    // The width of a row of the search's arrays: the map's and the border on both sides.
    const int32_t m_iStride;
    std::vector<Hot> m_Hot;
    std::vector<Cold> m_Cold;
    uint32_t m_uGeneration = 0;
    uint32_t m_uExpanded = 0;
    int32_t m_iLongestWalk = 24;
    GridPos m_Start;
    // The open list's records by total: a bit per total that has one, a byte per word of those bits set when the
    // word may hold one (set when a total in the word is marked, cleared once a look finds the word empty), and
    // the record cell of each total (the end of a chain when it has none). The open list leaves them as it found
    // them, all clear.
    std::vector<uint64_t> m_RecordBits;
    std::vector<uint8_t> m_RecordHeld;
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

    // Takes back a path that its last walker has let go of, to be searched into again (its steps' room kept), so
    // that the searches of a park at play cost no allocation; a path beyond the spares kept is deleted.
    void Recycle(SharedPath* path);
    // How many let-go paths are kept at most.
    static constexpr size_t kMaxSparePaths = 4096;
    size_t GetSparePathCount() const { return m_SparePaths.size(); }

private:
    // A path to search into: a spare one, made as new, or a new one.
    std::unique_ptr<SharedPath> TakePath();

    WorldMap& m_Map;
    PathFinder m_Finder;
    std::vector<std::unique_ptr<SharedPath>> m_SparePaths;
};

// The path service while a park exists, null otherwise.
extern Path* g_pPath;
