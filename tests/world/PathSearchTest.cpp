// Tests of the path search on small grids drawn by hand (the expected steps worked out on paper from the search's
// rules), the walkability of each kind, the map's edge, shared paths and followers, and their save records.
#include "tests/world/GridTestSupport.h"
#include "tests/world/SaveBytes.h"

#include "world/Path.h"
#include "world/World.h"

#include <gtest/gtest.h>

using namespace gridtest;
using namespace savebytes;

namespace
{

// The steps of a search between two cells, as text.
std::string Steps(WorldMap& map, int32_t kind, GridPos start, GridPos destination, uint32_t* expanded = nullptr)
{
    PathFinder finder(map);
    std::vector<GridPos> steps;
    const int32_t count = finder.Search(kind, start, destination, &steps);
    EXPECT_EQ(count, static_cast<int32_t>(steps.size()));
    if (expanded)
        *expanded = finder.GetExpandedCount();
    return Cells(steps);
}

} // namespace

TEST(PathSearch, OnOpenGroundTheSearchHeadsAlongXFirst)
{
    // Rows run y = 0 downwards. A cell along y is twice as long as along x, so the estimate pulls the search
    // (run from the destination back to the walker) to the walker's row first.
    auto map = MakeMap({"...", "...", "..."});
    EXPECT_EQ(Steps(*map, PATH_FOOT, {0, 0}, {2, 2}), "(1,0)(2,0)(2,1)");
}

TEST(PathSearch, EqualTotalsTakeTheCellOfferedLast)
{
    // The two ways round the wall cost the same at every cell; the west side is offered after the east side.
    auto map = MakeMap({"...", ".#.", "..."});
    EXPECT_EQ(Steps(*map, PATH_FOOT, {1, 0}, {1, 2}), "(0,0)(0,1)(0,2)");
}

TEST(PathSearch, LeavingAQueueCellCostsMoreSoThePathGoesRound)
{
    // Two ways round a wall; the south one starts in a queue cell (shape 11, open towards the destination and the
    // west), which makes it dearer than the north one even though it is offered last.
    auto queue = MakeMap({"PPPPb", "P###P", "PPPPP"});
    EXPECT_EQ(Steps(*queue, PATH_PAVEMENT, {0, 1}, {4, 1}), "(0,2)(1,2)(2,2)(3,2)(4,2)");
    // The same corner as footpath: the south way wins the tie and stays cheapest.
    auto plain = MakeMap({"PPPPP", "P###P", "PPPPP"});
    EXPECT_EQ(Steps(*plain, PATH_PAVEMENT, {0, 1}, {4, 1}), "(0,0)(1,0)(2,0)(3,0)(4,0)");
}

TEST(PathSearch, QueueCellsAreEnteredAndLeftOnlyThroughTheirOpenings)
{
    // Shape 3 is open to the east and west, shape 2 to the north and south only.
    auto across = MakeMap({"###", "P3P", "###"});
    EXPECT_EQ(Steps(*across, PATH_PAVEMENT, {2, 1}, {0, 1}), "(1,1)");
    auto closed = MakeMap({"###", "P2P", "###"});
    EXPECT_EQ(Steps(*closed, PATH_PAVEMENT, {2, 1}, {0, 1}), "");
    // Shape 7 opens only to y + 1: a walker from the south cannot step into it from its footpath.
    auto oneWay = MakeMap({"#P#", "P7P", "#P#"});
    EXPECT_EQ(Steps(*oneWay, PATH_PAVEMENT, {1, 0}, {1, 2}), "");
    auto twoWay = MakeMap({"#P#", "P2P", "#P#"});
    EXPECT_EQ(Steps(*twoWay, PATH_PAVEMENT, {1, 0}, {1, 2}), "(1,1)");
}

TEST(PathSearch, EachKindEntersItsOwnCells)
{
    // Footpath closed to the pavement search.
    EXPECT_EQ(Steps(*MakeMap({"PXP"}), PATH_PAVEMENT, {0, 0}, {2, 0}), "");
    EXPECT_EQ(Steps(*MakeMap({"PPP"}), PATH_PAVEMENT, {0, 0}, {2, 0}), "(1,0)");
    // Plain ground carries no pavement.
    EXPECT_EQ(Steps(*MakeMap({"..."}), PATH_PAVEMENT, {0, 0}, {2, 0}), "");
    // Scenery ground: the foot search goes round it, the scenery search through it.
    auto scenery = MakeMap({".S.", "...", "..."});
    EXPECT_EQ(Steps(*scenery, PATH_FOOT, {0, 0}, {2, 0}), "(0,1)(1,1)(2,1)");
    EXPECT_EQ(Steps(*scenery, PATH_SCENERY, {0, 0}, {2, 0}), "(1,0)");
    // A building on walkable ground: the foot search walks on, the scenery search goes round.
    auto building = MakeMap({".H.", "...", "..."});
    EXPECT_EQ(Steps(*building, PATH_FOOT, {0, 0}, {2, 0}), "(1,0)");
    EXPECT_EQ(Steps(*building, PATH_SCENERY, {0, 0}, {2, 0}), "(0,1)(1,1)(2,1)");
    // No kind beyond the three.
    EXPECT_EQ(Steps(*MakeMap({"PPP"}), 3, {0, 0}, {2, 0}), "");
}

TEST(PathSearch, TheMapEdgeBlocksTheWay)
{
    // A wall across the map: stepping off one edge onto the other would make a way round it.
    EXPECT_EQ(Steps(*MakeMap({".#..", ".#..", ".#.."}), PATH_FOOT, {0, 0}, {3, 2}), "");
    EXPECT_EQ(Steps(*MakeMap({"...", "###", "...", "..."}), PATH_FOOT, {0, 0}, {2, 3}), "");
    // Ends off the map give no search.
    auto map = MakeMap({"...", "..."});
    EXPECT_EQ(Steps(*map, PATH_FOOT, {-1, 0}, {2, 1}), "");
    EXPECT_EQ(Steps(*map, PATH_FOOT, {0, 0}, {3, 1}), "");
}

TEST(PathSearch, EndsThatAreEqualNeighboursOrNotEnterableGiveNoSteps)
{
    auto map = MakeMap({"..#", "..."});
    uint32_t expanded = 99;
    EXPECT_EQ(Steps(*map, PATH_FOOT, {1, 1}, {1, 1}, &expanded), "");
    EXPECT_EQ(expanded, 0u);
    // Neighbours: the search reaches the walker at once, with nothing between.
    EXPECT_EQ(Steps(*map, PATH_FOOT, {0, 0}, {1, 0}, &expanded), "");
    EXPECT_EQ(expanded, 2u);
    EXPECT_EQ(Steps(*map, PATH_FOOT, {0, 0}, {2, 0}, &expanded), "");
    EXPECT_EQ(expanded, 0u);
    EXPECT_EQ(Steps(*map, PATH_FOOT, {2, 0}, {0, 0}, &expanded), "");
    EXPECT_EQ(expanded, 0u);
}

TEST(PathSearch, AFailedSearchExpandsEveryReachableCell)
{
    // 10 x 10 ground; the walker's cell is walled in on its four sides.
    std::vector<std::string> rows(10, "..........");
    rows[4][5] = '#';
    rows[6][5] = '#';
    rows[5][4] = '#';
    rows[5][6] = '#';
    auto map = MakeMap(rows);
    uint32_t expanded = 0;
    EXPECT_EQ(Steps(*map, PATH_FOOT, {5, 5}, {0, 0}, &expanded), "");
    EXPECT_EQ(expanded, 100u - 5u);
    // A second search on the same finder starts afresh.
    PathFinder finder(*map);
    std::vector<GridPos> steps;
    EXPECT_EQ(finder.Search(PATH_FOOT, {5, 5}, {0, 0}, &steps), 0);
    EXPECT_EQ(finder.Search(PATH_FOOT, {2, 0}, {0, 0}, &steps), 1);
    EXPECT_EQ(Cells(steps), "(1,0)");
}

TEST(SharedPaths, AFoundPathIsHeldByOneForwardFollower)
{
    World world;
    world.AdvanceClock(1.5f);
    auto map = MakeMap({"PPPPP"});
    Path path(*map);
    EXPECT_EQ(g_pPath, &path);
    bool found = false;
    std::unique_ptr<PathFollower> follower = path.FindPavementPath(0, 0, 4, 0, &found);
    ASSERT_TRUE(follower);
    EXPECT_TRUE(found);
    const SharedPath& shared = follower->GetPath();
    EXPECT_EQ(Cells(shared.m_pDirections), "(1,0)(2,0)(3,0)");
    EXPECT_EQ(shared.GetNumSteps(), 3);
    EXPECT_EQ(shared.m_iRefCount, 1);
    EXPECT_EQ(shared.m_Start, (GridPos{0, 0}));
    EXPECT_EQ(shared.m_Stop, (GridPos{4, 0}));
    EXPECT_EQ(shared.m_ePathType, PATH_PAVEMENT);
    EXPECT_TRUE(shared.m_bValid);
    EXPECT_FLOAT_EQ(shared.m_fTimeStamp, world.GetGameTime());
    EXPECT_FALSE(follower->m_bReverse);
    EXPECT_EQ(follower->m_iCurrStep, 0);
    // The other kinds store their own kind.
    EXPECT_EQ(path.FindFootPath(0, 0, 4, 0, &found)->GetKind(), PATH_FOOT);
    EXPECT_EQ(path.FindSceneryPath(0, 0, 4, 0, &found)->GetKind(), PATH_SCENERY);
    // No path: nothing returned and the flag cleared.
    found = true;
    EXPECT_FALSE(path.FindPavementPath(0, 0, 1, 0, &found));
    EXPECT_FALSE(found);
}

TEST(SharedPaths, FollowersStepOnAndTheLastHolderFreesThePath)
{
    auto* shared = new SharedPath;
    shared->m_pDirections = {{1, 0}, {2, 0}, {3, 0}, {4, 0}};
    shared->m_iRefCount = 2;
    auto first = std::make_unique<PathFollower>(shared, PATH_FOOT);
    auto second = std::make_unique<PathFollower>(shared, PATH_FOOT);
    // Forward over four steps: index 2 is the one treated as last, 4 is past the end.
    EXPECT_EQ(first->Advance(), PathFollower::STEP_ON);
    EXPECT_EQ(first->GetCurrentStep(), (GridPos{2, 0}));
    EXPECT_EQ(first->Advance(), PathFollower::STEP_LAST);
    EXPECT_EQ(first->Advance(), PathFollower::STEP_ON);
    EXPECT_EQ(first->GetCurrentStep(), (GridPos{4, 0}));
    EXPECT_EQ(first->Advance(), PathFollower::STEP_PAST);
    // Backward from the last step: 0 is the last, -1 past it.
    second->m_bReverse = true;
    second->m_iCurrStep = 3;
    EXPECT_EQ(second->Advance(), PathFollower::STEP_ON);
    EXPECT_EQ(second->Advance(), PathFollower::STEP_ON);
    EXPECT_EQ(second->Advance(), PathFollower::STEP_LAST);
    EXPECT_EQ(second->GetCurrentStep(), (GridPos{1, 0}));
    EXPECT_EQ(second->Advance(), PathFollower::STEP_PAST);
    // One holder goes: the path stays for the other (the sanitizers see the last one free it).
    Path::ReleaseFollower(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(second->GetPath().m_iRefCount, 1);
    EXPECT_EQ(second->GetPath().GetNumSteps(), 4);
    Path::ReleaseFollower(second);
}

TEST(SharedPaths, AStepIsWalkableWhileThePathIsValidAndItsCellEnterable)
{
    auto map = MakeMap({"PPPP"});
    Path path(*map);
    bool found = false;
    auto follower = path.FindPavementPath(0, 0, 3, 0, &found);
    ASSERT_TRUE(follower);
    EXPECT_TRUE(path.IsStepWalkable(*follower));
    map->GetCell({1, 0})->m_uiFlags |= CELL_BUILDING;
    EXPECT_FALSE(path.IsStepWalkable(*follower));
    map->GetCell({1, 0})->m_uiFlags &= ~CELL_BUILDING;
    follower->GetPath().m_bValid = false;
    EXPECT_FALSE(path.IsStepWalkable(*follower));
    EXPECT_TRUE(path.IsCellWalkable({2, 0}, PATH_PAVEMENT));
    EXPECT_FALSE(path.IsCellWalkable({2, 0}, PATH_SCENERY + 1));
    EXPECT_FALSE(path.IsCellWalkable({4, 0}, PATH_PAVEMENT));
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
    const Bytes record = FollowerRecord(1, {{1, 1}, {2, 1}, {3, 1}}, PATH_FOOT, 1);
    EXPECT_EQ(Saved([&](SerialStream& s) { follower.Dump(s); }), record);

    // Read back into a path of its own, held once whatever count was saved.
    auto loaded = LoadFollower(FollowerRecord(7, {{1, 1}, {2, 1}, {3, 1}}, PATH_SCENERY, 2), map.get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetPath().m_iRefCount, 1);
    EXPECT_EQ(loaded->GetKind(), PATH_SCENERY);
    EXPECT_EQ(Cells(loaded->GetPath().m_pDirections), "(1,1)(2,1)(3,1)");
    EXPECT_EQ(loaded->GetPath().m_Stop, (GridPos{4, 1}));
    EXPECT_FALSE(loaded->m_bReverse);
    EXPECT_EQ(loaded->m_iCurrStep, 2);
    EXPECT_FLOAT_EQ(loaded->GetPath().m_fTimeStamp, 2.5f);
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
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, {}, PATH_FOOT, 0), map.get()));
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, steps, PATH_FOOT, 0, -4), map.get()));
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, steps, PATH_FOOT, 0, 0x7FFFFF00), map.get()));
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, steps, PATH_FOOT, 0), map.get(), 2));
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, {{1, 1}, {5, 1}}, PATH_FOOT, 0), map.get()));
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, {{1, -1}}, PATH_FOOT, 0), map.get()));
    EXPECT_TRUE(LoadFollower(FollowerRecord(1, {{1, -1}}, PATH_FOOT, 0), nullptr));
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, steps, 3, 0), map.get()));
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, steps, -1, 0), map.get()));
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, steps, PATH_FOOT, 3), map.get()));
    EXPECT_FALSE(LoadFollower(FollowerRecord(1, steps, PATH_FOOT, -1), map.get()));
    EXPECT_FALSE(reports.boxes.empty());
}
