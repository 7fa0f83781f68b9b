// Tests of the path search: hand-worked grids, and every search on random grids and on the benchmark's hard parks
// against a plain reference search written here from the rules (a sorted singly linked open list, the strict
// queue openings as a table of sides); shared paths, followers and their save records.
#include "bench/PathParks.h"
#include "tests/world/GridTestSupport.h"
#include "tests/world/SaveBytes.h"

#include "world/Path.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace gridtest;
using namespace savebytes;

namespace
{

// The search as the rules give it, written as plainly as possible.
class ReferenceSearch
{
public:
    explicit ReferenceSearch(const WorldMap& map) : m_Map(map) {}

    // The steps between the walker's cell and the destination; empty when there is no path.
    std::vector<GridPos> Run(int32_t kind, GridPos walker, GridPos destination)
    {
        const int32_t w = m_Map.GetWidth(), cells = w * m_Map.GetHeight();
        const auto index = [w](GridPos p) { return p.y * w + p.x; };
        if (!m_Map.IsValidGridPos(walker) || !m_Map.IsValidGridPos(destination) || walker == destination ||
            !Enter(kind, Flags(walker), nullptr, 0) || !Enter(kind, Flags(destination), nullptr, 0))
            return {};
        std::vector<int32_t> parent(cells, -1), next(cells, -1), state(cells, 0); // 1 open, 2 expanded
        std::vector<int64_t> g(cells, 0), h(cells, 0), f(cells, 0);
        int32_t head = index(destination);
        state[head] = 1;
        for (;;)
        {
            const int32_t e = head;
            if (e < 0)
                return {};
            head = next[e];
            state[e] = 2;
            if (e == index(walker))
                break;
            const GridPos at = {e % w, e / w};
            const int64_t cost = g[e] + ((Flags(at) & 0x40000000u) ? 12288 : 2048);
            const GridPos sides[4] = {{at.x, at.y + 1}, {at.x + 1, at.y}, {at.x, at.y - 1}, {at.x - 1, at.y}};
            for (int32_t side = 0; side < 4; ++side)
            {
                const GridPos n = sides[side];
                const uint32_t from = Flags(at);
                if (!m_Map.IsValidGridPos(n) || !Enter(kind, Flags(n), &from, (side + 2) % 4))
                    continue;
                const int32_t c = index(n);
                if (state[c] != 0)
                {
                    if (cost < g[c])
                    {
                        decreased += state[c] == 1 ? 1 : 0;
                        parent[c] = e;
                        g[c] = cost;
                        f[c] = h[c] + cost;
                    }
                    continue;
                }
                const int64_t dx = 32 * (n.x - walker.x), dy = 64 * (n.y - walker.y);
                parent[c] = e;
                g[c] = cost;
                h[c] = dx * dx + dy * dy;
                f[c] = h[c] + cost;
                state[c] = 1;
                // Before the first open cell whose total is equal or greater.
                int32_t* link = &head;
                while (*link >= 0 && f[*link] < f[c])
                    link = &next[*link];
                next[c] = *link;
                *link = c;
            }
        }
        std::vector<GridPos> path;
        for (int32_t c = parent[index(walker)]; c >= 0 && c != index(destination); c = parent[c])
            path.push_back({c % w, c / w});
        return path;
    }

    int decreased = 0;

private:
    uint32_t Flags(GridPos p) const { return m_Map.GetFlags(p); }

    // May a walker step from n onto the cell with flags *from (on side `side` of n)? No `from`: may n be entered.
    static bool Enter(int32_t kind, uint32_t n, const uint32_t* from, int32_t side)
    {
        // The sides each queue shape opens to, as the table of shapes lists them.
        static const char* const kOpen[16] = {"3", "",   "02", "13", "2",  "1", "3", "0",
                                              "",  "12", "01", "03", "23", "1", "0", "2"};
        const auto open = [](uint32_t flags, int32_t s)
        { return std::strchr(kOpen[(flags >> 8) & 15], '0' + s) != nullptr; };
        switch (kind)
        {
        case 0:
            if (!(n & 0x50000000u) || (n & 0x42u))
                return false;
            if (!from)
                return true;
            if (n & 0x40000000u)
                return open(n, side);
            return !(*from & 0x40000000u) || open(*from, (side + 2) % 4);
        case 1:
            return (n & 0x80000000u) && !(n & 0x20000000u);
        case 2:
            return !(n & 0x2u) && (n & 0xA0000000u);
        default:
            return false;
        }
    }

    const WorldMap& m_Map;
};

std::string Steps(WorldMap& map, int32_t kind, GridPos start, GridPos destination)
{
    PathFinder finder(map);
    std::vector<GridPos> steps;
    const int32_t count = finder.Search(kind, start, destination, &steps);
    EXPECT_EQ(count, static_cast<int32_t>(steps.size()));
    return Cells(steps);
}

} // namespace

TEST(PathSearch, HandWorkedGrids)
{
    // Rows run y = 0 downwards; the steps were worked out on paper from the rules.
    const struct
    {
        std::vector<std::string> rows;
        int32_t kind;
        GridPos from, to;
        const char* steps;
    } cases[] = {
        // A cell along y is twice as long as along x: the estimate pulls the search to the walker's row first.
        {{"...", "...", "..."}, PATH_FOOT, {0, 0}, {2, 2}, "(1,0)(2,0)(2,1)"},
        // Equal totals on both ways round the wall: the west side, offered last, wins.
        {{"...", ".#.", "..."}, PATH_FOOT, {1, 0}, {1, 2}, "(0,0)(0,1)(0,2)"},
        // Leaving a queue cell costs six steps: the south way starts in a queue (shape 11) and loses.
        {{"PPPPb", "P###P", "PPPPP"}, PATH_PAVEMENT, {0, 1}, {4, 1}, "(0,2)(1,2)(2,2)(3,2)(4,2)"},
        {{"PPPPP", "P###P", "PPPPP"}, PATH_PAVEMENT, {0, 1}, {4, 1}, "(0,0)(1,0)(2,0)(3,0)(4,0)"},
        // Queue cells are entered and left only through their strict openings.
        {{"###", "P3P", "###"}, PATH_PAVEMENT, {2, 1}, {0, 1}, "(1,1)"},
        {{"###", "P2P", "###"}, PATH_PAVEMENT, {2, 1}, {0, 1}, ""},
        {{"#P#", "P7P", "#P#"}, PATH_PAVEMENT, {1, 0}, {1, 2}, ""},
        {{"#P#", "P2P", "#P#"}, PATH_PAVEMENT, {1, 0}, {1, 2}, "(1,1)"},
        {{"#P#", "P4P", "#P#"}, PATH_PAVEMENT, {1, 0}, {1, 2}, ""}, // a queue end joins all round, opens one way
        // Each kind enters its own cells.
        {{"PXP"}, PATH_PAVEMENT, {0, 0}, {2, 0}, ""},
        {{"PPP"}, PATH_PAVEMENT, {0, 0}, {2, 0}, "(1,0)"},
        {{"..."}, PATH_PAVEMENT, {0, 0}, {2, 0}, ""},
        {{".S.", "...", "..."}, PATH_FOOT, {0, 0}, {2, 0}, "(0,1)(1,1)(2,1)"},
        {{".S.", "...", "..."}, PATH_SCENERY, {0, 0}, {2, 0}, "(1,0)"},
        {{".H.", "...", "..."}, PATH_FOOT, {0, 0}, {2, 0}, "(1,0)"},
        {{".H.", "...", "..."}, PATH_SCENERY, {0, 0}, {2, 0}, "(0,1)(1,1)(2,1)"},
        {{"PPP"}, 3, {0, 0}, {2, 0}, ""},
        // The map's edge blocks the way: nothing wraps round to the other side.
        {{".#..", ".#..", ".#.."}, PATH_FOOT, {0, 0}, {3, 2}, ""},
        {{"...", "###", "...", "..."}, PATH_FOOT, {0, 0}, {2, 3}, ""},
        {{"...", "..."}, PATH_FOOT, {-1, 0}, {2, 1}, ""},
        {{"...", "..."}, PATH_FOOT, {0, 0}, {3, 1}, ""},
        // Equal ends, neighbouring ends and ends that may not be entered give no steps.
        {{"..#", "..."}, PATH_FOOT, {1, 1}, {1, 1}, ""},
        {{"..#", "..."}, PATH_FOOT, {0, 0}, {1, 0}, ""},
        {{"..#", "..."}, PATH_FOOT, {0, 0}, {2, 0}, ""},
        {{"..#", "..."}, PATH_FOOT, {2, 0}, {0, 0}, ""},
    };
    for (const auto& c : cases)
    {
        auto map = MakeMap(c.rows);
        EXPECT_EQ(Steps(*map, c.kind, c.from, c.to), c.steps) << c.rows[0] << " kind " << c.kind;
        EXPECT_EQ(Cells(ReferenceSearch(*map).Run(c.kind, c.from, c.to)), c.steps) << "the reference itself";
    }
}

TEST(PathSearch, EverySearchOnRandomGridsIsTheReferencesOwn)
{
    // Small mixed grids (queues of every shape, walls, scenery ground, buildings and ties everywhere) and larger
    // grids of mostly open ground (long open lists, many totals that drop while open); every other search starts
    // walled in, so that it fails only after expanding everything it can reach.
    const struct
    {
        uint32_t seed;
        int32_t side;
        int grids, searches, groundBias;
    } runs[] = {{1, 12, 150, 12, 0}, {2, 24, 20, 16, 30}, {3, 48, 6, 12, 70}, {4, 64, 3, 8, 85}};
    int found = 0, searches = 0, decreased = 0;
    for (const auto& run : runs)
    {
        std::mt19937 random(run.seed);
        WorldMap map(run.side, run.side, WorldMap::kDefaultCellSize, "");
        PathFinder finder(map), byRecords(map);
        byRecords.SetLongestListWalk(-1);
        ReferenceSearch reference(map);
        std::vector<GridPos> steps;
        const char kinds[] = "PPPPPPPP0123456789abcdef..##SHhX";
        for (int g = 0; g < run.grids; ++g)
        {
            for (int32_t y = 0; y < run.side; ++y)
                for (int32_t x = 0; x < run.side; ++x)
                    map.GetCell({x, y})->m_uiFlags = static_cast<int>(random() % 100) < run.groundBias
                                                         ? 0x80000001u
                                                         : FlagsOf(kinds[random() % (sizeof kinds - 1)]);
            for (int s = 0; s < run.searches; ++s)
            {
                const GridPos from = {int32_t(random() % run.side), int32_t(random() % run.side)};
                const GridPos to = {int32_t(random() % run.side), int32_t(random() % run.side)};
                if (s % 2 == 0)
                    for (int32_t d = 0; d < 8; d += 2)
                        if (MapCell* cell = map.GetNeighbourCell(from, d))
                            cell->m_uiFlags = 0;
                for (int32_t kind = PATH_PAVEMENT; kind <= PATH_SCENERY; ++kind)
                {
                    const std::vector<GridPos> expected = reference.Run(kind, from, to);
                    // The open list as a list while it stays short, and kept by its records from the start.
                    for (PathFinder* f : {&finder, &byRecords})
                    {
                        ASSERT_EQ(f->Search(kind, from, to, &steps), static_cast<int32_t>(expected.size()));
                        ASSERT_EQ(Cells(steps), Cells(expected)) << run.seed << " grid " << g << " kind " << kind;
                    }
                    found += expected.empty() ? 0 : 1;
                    ++searches;
                }
            }
        }
        decreased += reference.decreased;
    }
    // The comparison means something only if it met paths and totals that dropped while their cells were open.
    EXPECT_GT(found, searches / 5);
    EXPECT_GT(decreased, 1000);
}

TEST(PathSearch, EverySearchOnTheHardParksIsTheReferencesOwn)
{
    for (pathparks::Park& park : pathparks::AllParks())
    {
        PathFinder finder(*park.map);
        ReferenceSearch reference(*park.map);
        std::vector<GridPos> steps;
        int found = 0;
        for (const pathparks::Search& s : park.searches)
        {
            const std::vector<GridPos> expected = reference.Run(s.kind, s.from, s.to);
            finder.Search(s.kind, s.from, s.to, &steps);
            ASSERT_EQ(Cells(steps), Cells(expected)) << park.name;
            found += expected.empty() ? 0 : 1;
        }
        EXPECT_EQ(found == 0, park.name == "cut off") << park.name;
        // A walker cut off on a ring of 8 cells is found out after 1024 cells are expanded.
        EXPECT_TRUE(park.name != "cut off" || finder.GetExpandedCount() == 1024u) << finder.GetExpandedCount();
    }
    // On an island of 400 cells in 6,400 of ground, after 4096 (the check at 1024 floods at most 128 cells, the
    // one at 4096 at most 512).
    std::vector<std::string> rows(80, std::string(80, '.'));
    for (int32_t y = 10; y < 32; ++y)
        for (int32_t x = 10; x < 32; ++x)
            rows[y][x] = y == 10 || y == 31 || x == 10 || x == 31 ? '#' : '.';
    auto map = MakeMap(rows);
    PathFinder finder(*map);
    std::vector<GridPos> steps;
    EXPECT_EQ(finder.Search(PATH_FOOT, {20, 20}, {70, 70}, &steps), 0);
    EXPECT_EQ(finder.GetExpandedCount(), 4096u);
}

TEST(PathSearch, SearchesMillionsOfSearchesLaterStillFindTheReferencesSteps)
{
    // Searches keep what they learn about the cells under their own numbers instead of clearing it, so the numbers
    // run out some time in a long game: the cells met by searches long before, and the map's edge, must then not
    // look met by a new search. Searches that end at once (walker on its destination) are numbered too; a real one
    // every 65,536 of them, seventeen million in all, must each give the reference's steps.
    auto map = MakeMap({"......", ".####.", "......", "##.##.", "......"});
    PathFinder finder(*map);
    ReferenceSearch reference(*map);
    std::vector<GridPos> steps;
    const struct
    {
        int32_t kind;
        GridPos from, to;
    } real[] = {{PATH_FOOT, {0, 2}, {5, 0}}, {PATH_SCENERY, {2, 4}, {3, 0}}, {PATH_FOOT, {5, 4}, {0, 0}}};
    int checked = 0;
    for (uint32_t i = 0; i < (1u << 24) + (1u << 17); ++i)
    {
        if (i % (1u << 16) != 0)
        {
            finder.Search(PATH_FOOT, {1, 0}, {1, 0}, &steps);
            continue;
        }
        const auto& s = real[checked++ % 3];
        finder.Search(s.kind, s.from, s.to, &steps);
        ASSERT_EQ(Cells(steps), Cells(reference.Run(s.kind, s.from, s.to))) << "search " << i;
        ASSERT_FALSE(steps.empty());
    }
    EXPECT_GT(checked, 256);
}

TEST(SharedPaths, AFoundPathIsHeldByOneForwardFollowerOfItsKind)
{
    World world;
    world.AdvanceClock(1.5f);
    auto map = MakeMap({"PPPPP"});
    Path path(*map);
    EXPECT_EQ(g_pPath, &path);
    bool found = false;
    std::unique_ptr<PathFollower> follower = path.FindPavementPath(0, 0, 4, 0, &found);
    ASSERT_TRUE(follower && found);
    const SharedPath& shared = follower->GetPath();
    EXPECT_EQ(Cells(shared.m_pDirections), "(1,0)(2,0)(3,0)");
    EXPECT_EQ(std::tuple(shared.m_iRefCount, shared.m_ePathType, shared.m_bValid, follower->m_bReverse,
                         follower->m_iCurrStep, shared.m_fTimeStamp),
              std::tuple(1, int32_t{PATH_PAVEMENT}, true, false, 0, world.GetGameTime()));
    EXPECT_EQ(std::pair(shared.m_Start, shared.m_Stop), std::pair(GridPos{0, 0}, GridPos{4, 0}));
    EXPECT_EQ(path.FindFootPath(0, 0, 4, 0, &found)->GetKind(), PATH_FOOT);
    EXPECT_EQ(path.FindSceneryPath(0, 0, 4, 0, &found)->GetKind(), PATH_SCENERY);
    // No path: nothing returned and the flag cleared.
    EXPECT_FALSE(path.FindPavementPath(0, 0, 1, 0, &found) || found);
    // A step is walkable while the path is valid and its cell may be entered.
    std::string walkable = path.IsStepWalkable(*follower) ? "1" : "0";
    map->GetCell({1, 0})->m_uiFlags |= CELL_BUILDING;
    walkable += path.IsStepWalkable(*follower) ? "1" : "0";
    map->GetCell({1, 0})->m_uiFlags &= ~CELL_BUILDING;
    follower->GetPath().m_bValid = false;
    walkable += path.IsStepWalkable(*follower) ? "1" : "0";
    EXPECT_EQ(walkable, "100");
    EXPECT_FALSE(path.IsCellWalkable({2, 0}, PATH_SCENERY + 1) || path.IsCellWalkable({5, 0}, PATH_PAVEMENT));
}

TEST(SharedPaths, FollowersStepOnAndTheLastHolderFreesThePath)
{
    auto* shared = new SharedPath;
    shared->m_pDirections = {{1, 0}, {2, 0}, {3, 0}, {4, 0}};
    shared->m_iRefCount = 2;
    auto first = std::make_unique<PathFollower>(shared, PATH_FOOT);
    auto second = std::make_unique<PathFollower>(shared, PATH_FOOT);
    second->m_bReverse = true;
    second->m_iCurrStep = 3;
    // Forward over four steps index 2 is the one treated as last and 4 is past the end; backward 0 and -1.
    using F = PathFollower;
    const std::vector<int32_t> forward = {F::STEP_ON, F::STEP_LAST, F::STEP_ON, F::STEP_PAST};
    const std::vector<int32_t> backward = {F::STEP_ON, F::STEP_ON, F::STEP_LAST, F::STEP_PAST};
    std::vector<int32_t> a, b;
    std::string cells;
    for (int i = 0; i < 4; ++i)
    {
        a.push_back(first->Advance());
        b.push_back(second->Advance());
        cells += Cells({first->GetCurrentStep(), second->GetCurrentStep()});
    }
    EXPECT_EQ(a, forward);
    EXPECT_EQ(b, backward);
    EXPECT_EQ(cells, "(2,0)(3,0)(3,0)(2,0)(4,0)(1,0)(4,0)(1,0)");
    // One holder goes: the path stays for the other (the sanitizers see the last one free it).
    Path::ReleaseFollower(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(second->GetPath().m_iRefCount, 1);
    EXPECT_EQ(second->GetPath().GetNumSteps(), 4);
    Path::ReleaseFollower(second);
}

TEST(SharedPaths, APathLetGoIsSearchedIntoAgainAsIfNew)
{
    World world;
    world.AdvanceClock(1.5f);
    auto map = MakeMap({"PPPPPPP", "P#####P", "PPPPPPP"});
    Path path(*map);
    bool found = false;
    // A long path, found blocked by its walker, then let go: the service keeps it.
    std::unique_ptr<PathFollower> first = path.FindPavementPath(0, 0, 6, 2, &found);
    ASSERT_TRUE(first && found);
    const SharedPath* kept = &first->GetPath();
    first->GetPath().m_bValid = false;
    first->Advance();
    Path::ReleaseFollower(first);
    EXPECT_EQ(path.GetSparePathCount(), 1u);
    // The next search, shorter, is made in it and holds only its own steps, as if new.
    world.AdvanceClock(2.0f);
    std::unique_ptr<PathFollower> second = path.FindPavementPath(0, 2, 3, 2, &found);
    ASSERT_TRUE(second && found);
    EXPECT_EQ(&second->GetPath(), kept);
    EXPECT_EQ(path.GetSparePathCount(), 0u);
    const SharedPath& shared = second->GetPath();
    EXPECT_EQ(Cells(shared.m_pDirections), "(1,2)(2,2)");
    EXPECT_EQ(std::tuple(shared.m_iRefCount, shared.m_ePathType, shared.m_bValid, second->m_bReverse,
                         second->m_iCurrStep, shared.m_fTimeStamp),
              std::tuple(1, int32_t{PATH_PAVEMENT}, true, false, 0, world.GetGameTime()));
    EXPECT_EQ(std::pair(shared.m_Start, shared.m_Stop), std::pair(GridPos{0, 2}, GridPos{3, 2}));
    // A search that finds nothing hands its path back; a path held by two is kept only when the last lets go.
    EXPECT_FALSE(path.FindPavementPath(0, 1, 1, 1, &found) || found);
    EXPECT_EQ(path.GetSparePathCount(), 1u);
    second->GetPath().m_iRefCount = 2;
    auto other = std::make_unique<PathFollower>(&second->GetPath(), PATH_PAVEMENT);
    Path::ReleaseFollower(second);
    EXPECT_EQ(path.GetSparePathCount(), 1u);
    Path::ReleaseFollower(other);
    EXPECT_EQ(path.GetSparePathCount(), 2u);
}

// A path let go once no service is left is deleted (the sanitizers see it go).
TEST(SharedPaths, APathLetGoWithoutTheServiceIsDeleted)
{
    auto map = MakeMap({"PPP"});
    std::unique_ptr<PathFollower> follower;
    {
        Path path(*map);
        bool found = false;
        follower = path.FindPavementPath(0, 0, 2, 0, &found);
        ASSERT_TRUE(follower);
    }
    EXPECT_EQ(g_pPath, nullptr);
    Path::ReleaseFollower(follower);
    EXPECT_FALSE(follower);
}

namespace
{

// A follower's record built from the format: the path, then the follower's own two fields.
Bytes FollowerRecord(int32_t refs, const std::vector<GridPos>& steps, int32_t kind, int32_t current,
                     int32_t countBias = 0)
{
    Bytes b;
    F32(b, 2.5f);
    Tagged(b, 5, uint32_t(refs));
    Tagged(b, 5, uint32_t(int32_t(steps.size()) + countBias));
    for (const GridPos& s : steps)
    {
        Tagged(b, 5, uint32_t(s.x));
        Tagged(b, 5, uint32_t(s.y));
    }
    for (int32_t v : {0, 1, 4, 1}) // start (0, 1), stop (4, 1)
        Tagged(b, 5, uint32_t(v));
    Tagged(b, 5, uint32_t(kind));
    Put(b, {2, 1});
    Put(b, {2, 0}); // forward
    Tagged(b, 5, uint32_t(current));
    return b;
}

std::unique_ptr<PathFollower> LoadFollower(const Bytes& bytes, const WorldMap* map, int32_t maxSteps = 100)
{
    std::unique_ptr<PathFollower> follower;
    LoadFrom(bytes,
             [&](SerialStream& s)
             {
                 follower = PathFollower::Load(s, map, maxSteps);
                 return true;
             });
    return follower;
}

} // namespace

TEST(PathRecords, TheServiceAndAFollowerAreWrittenItemByItem)
{
    auto map = MakeMap({"PPPPP", "PPPPP"});
    Path path(*map);
    Bytes banner;
    Text(banner, 0, "Class name : Path");
    Tagged(banner, 5, 4);
    EXPECT_EQ(Saved([&](SerialStream& s) { path.Dump(s); }), banner);
    EXPECT_TRUE(LoadFrom(banner, [&](SerialStream& s) { return path.Load(s); }));
    EXPECT_FALSE(LoadFrom(Bytes(banner.begin(), banner.end() - 2), [&](SerialStream& s) { return path.Load(s); }));

    auto* shared = new SharedPath;
    shared->m_fTimeStamp = 2.5f;
    shared->m_pDirections = {{1, 1}, {2, 1}, {3, 1}};
    shared->m_Start = {0, 1};
    shared->m_Stop = {4, 1};
    PathFollower follower(shared, PATH_FOOT);
    follower.m_iCurrStep = 1;
    EXPECT_EQ(Saved([&](SerialStream& s) { follower.Dump(s); }),
              FollowerRecord(1, {{1, 1}, {2, 1}, {3, 1}}, PATH_FOOT, 1));
    // Read back into a path of its own, held once whatever count was saved.
    auto loaded = LoadFollower(FollowerRecord(7, {{1, 1}, {2, 1}, {3, 1}}, PATH_SCENERY, 2), map.get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(std::tuple(loaded->GetPath().m_iRefCount, loaded->GetKind(), loaded->m_bReverse, loaded->m_iCurrStep,
                         loaded->GetPath().m_fTimeStamp, loaded->GetPath().m_Stop),
              std::tuple(1, int32_t{PATH_SCENERY}, false, 2, 2.5f, GridPos{4, 1}));
    EXPECT_EQ(Cells(loaded->GetPath().m_pDirections), "(1,1)(2,1)(3,1)");
}

TEST(PathRecords, SavedFollowersThatDoNotHoldTogetherAreRefused)
{
    testsupport::RecordingReportSink reports;
    auto map = MakeMap({"PPPPP", "PPPPP"});
    const std::vector<GridPos> steps = {{1, 1}, {2, 1}, {3, 1}};
    // Every cut of a good record fails without harm.
    const Bytes good = FollowerRecord(1, steps, PATH_FOOT, 0);
    ASSERT_TRUE(LoadFollower(good, map.get()));
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(LoadFollower(Bytes(good.begin(), good.begin() + cut), map.get())) << cut;
    // Counts, steps, kinds and current steps outside what the path and the map allow.
    const struct
    {
        Bytes record;
        int32_t maxSteps;
    } bad[] = {{FollowerRecord(1, {}, PATH_FOOT, 0), 100},
               {FollowerRecord(1, steps, PATH_FOOT, 0, -4), 100},
               {FollowerRecord(1, steps, PATH_FOOT, 0, 0x7FFFFF00), 100},
               {FollowerRecord(1, steps, PATH_FOOT, 0), 2},
               {FollowerRecord(1, {{1, 1}, {5, 1}}, PATH_FOOT, 0), 100},
               {FollowerRecord(1, {{1, -1}}, PATH_FOOT, 0), 100},
               {FollowerRecord(1, steps, 3, 0), 100},
               {FollowerRecord(1, steps, -1, 0), 100},
               {FollowerRecord(1, steps, PATH_FOOT, 3), 100},
               {FollowerRecord(1, steps, PATH_FOOT, -1), 100}};
    for (const auto& b : bad)
        EXPECT_FALSE(LoadFollower(b.record, map.get(), b.maxSteps)) << &b - bad;
    EXPECT_TRUE(LoadFollower(FollowerRecord(1, {{1, -1}}, PATH_FOOT, 0), nullptr)) << "no map to measure it by";
    EXPECT_FALSE(reports.boxes.empty());
}
