// Tests of walkers: every movement order and walk mode reaching its goal or reporting why not, the fixed 0.02 s
// steering step at game speeds 1, 2 and 4 with the 4-second cap, height ramps, blocked paths searched again,
// destinations and followed objects that disappear mid-walk, script variables and the walker's save record.
#include "tests/world/GridTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "tests/world/WorldTestSupport.h"

#include "platform/Random.h"
#include "world/BuildingPoints.h"
#include "world/MovingObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace gridtest;
using namespace savebytes;

namespace
{

using platform::Vec3;

struct Heard
{
    uint32_t type;
    uint32_t flags;
    uint32_t data;
    float time;
    GridPos cell;
};

// A guest or staff member: it hears its own messages and, like the park's walkers, posts through the handler.
class Walker : public HumanObject
{
public:
    Walker() : HumanObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override
    {
        const GridPos cell = WorldMap::WorldToGrid({GetSteerPosition().x, GetSteerPosition().y, 0.0f});
        heard.push_back({record.dwType, record.dwFlags, record.dwData, record.fTime, cell});
        return HumanObject::Message(record);
    }
    bool PostMessage(MessageRecord record) override { return g_pMessageHandler->Send(record); }
    bool PostDelayedMessage(MessageRecord record, float delay) override
    {
        ++postedThroughSlot;
        return g_pMessageHandler->SendDelayed(record, delay);
    }
    int Count(uint32_t type) const
    {
        int n = 0;
        for (const Heard& h : heard)
            n += h.type == type ? 1 : 0;
        return n;
    }
    float Distance(float x, float y) const { return std::hypot(m_WorldXYZ.x - x, m_WorldXYZ.y - y); }
    int32_t Behaviour() const { return m_eBehaviourState; }

    std::vector<Heard> heard;
    int postedThroughSlot = 0;
};

// A building whose points the test sets, and which notes what it was asked.
class Building : public StaticObject, public BuildingPoints
{
public:
    Building() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    BuildingPoints* GetBuildingPoints() override { return this; }

    bool GetQueueStartPosition(Vec3& out) override
    {
        if (!hasQueue)
            return false;
        out = queueStart;
        return true;
    }
    void GetServeInPosition(Vec3& out) override { out = serveIn; }
    void GetServeOutPosition(Vec3& out) override { out = serveOut; }
    int32_t GetQueuePointCount() override { return static_cast<int32_t>(queue.size()); }
    float GetQueuePointX(int32_t i, bool inwards) override
    {
        askedInwards = inwards;
        return queue.at(i).x + (inwards ? 0.0f : 0.5f);
    }
    float GetQueuePointY(int32_t i, bool) override { return queue.at(i).y; }
    int32_t GetInWalkPointCount(uint8_t kind) override { return Count(in, kind); }
    bool GetInWalkPoint(uint8_t kind, int32_t i, Vec3& out) override { return Get(in, kind, i, out); }
    int32_t GetOutWalkPointCount(uint8_t kind) override { return Count(out, kind); }
    bool GetOutWalkPoint(uint8_t kind, int32_t i, Vec3& p) override { return Get(out, kind, i, p); }
    int32_t GetThruWalkPointCount(uint8_t kind) override { return Count(thru, kind); }
    bool GetThruWalkPoint(uint8_t kind, int32_t i, Vec3& p) override { return Get(thru, kind, i, p); }

    bool hasQueue = true;
    Vec3 queueStart = {0, 0, 0}, serveIn = {0, 0, 0}, serveOut = {0, 0, 0};
    std::vector<Vec3> queue, in, out, thru;
    uint8_t askedKind = 0;
    bool askedInwards = false;

private:
    int32_t Count(const std::vector<Vec3>& points, uint8_t kind)
    {
        askedKind = kind;
        return static_cast<int32_t>(points.size());
    }
    bool Get(const std::vector<Vec3>& points, uint8_t kind, int32_t i, Vec3& p)
    {
        askedKind = kind;
        if (i < 0 || i >= static_cast<int32_t>(points.size()))
            return false;
        p = points[i];
        return true;
    }
};

class SpeedWorld : public World
{
public:
    void SetSpeed(float speed) { m_fGameSpeed = speed; }
};

// The park for walkers: a map drawn from rows, the path service, messages and objects.
class Walks
{
public:
    explicit Walks(const std::vector<std::string>& rows) : map(MakeMap(rows))
    {
        ClearObjectKinds();
        for (uint8_t kind : {OBJECT_GUEST, OBJECT_MECHANIC, OBJECT_ANIMAL})
            RegisterObjectKind(kind, []() -> BaseObject* { return new Walker; });
        RegisterObjectKind(OBJECT_BUILDING, []() -> BaseObject* { return new Building; });
        RegisterObjectKind(OBJECT_SCENERY, []() -> BaseObject* { return new worldtest::Probe; });
        path = std::make_unique<Path>(*map);
        messages = std::make_unique<MessageHandler>();
        objects = std::make_unique<ObjectManager>();
    }
    ~Walks()
    {
        objects.reset();
        messages.reset();
        path.reset();
        map.reset();
        ClearObjectKinds();
    }

    // A walker of a kind standing at the centre of a cell, walking at `speed`.
    Walker* Add(uint8_t kind, GridPos cell, float speed = 35.0f)
    {
        auto* walker = static_cast<Walker*>(objects->CreateObject("WALKER", kind));
        walker->SetType(kind);
        walker->SetWorldPosition(WorldMap::GetCellCentre(cell));
        walker->SetMaxVelocity(speed);
        return walker;
    }
    Building* AddBuilding(GridPos cell)
    {
        auto* building = static_cast<Building*>(objects->CreateObject("SHOP", OBJECT_BUILDING));
        building->SetType(OBJECT_BUILDING);
        building->SetWorldPosition(WorldMap::GridToWorld(cell));
        return building;
    }
    void Order(Walker* walker, uint32_t type, uint32_t flags, uint32_t data)
    {
        MessageRecord record = worldtest::Record(walker->GetID(), walker->GetID(), type, data);
        record.dwFlags = flags;
        messages->Send(record);
    }
    // One frame: the clock, every walker's step, then the messages that are due.
    void Frame(float seconds)
    {
        world.AdvanceClock(seconds);
        for (BaseObject* object : objects->GetObjectsOfKind(OBJECT_GUEST))
            object->Update();
        for (uint8_t kind : {OBJECT_MECHANIC, OBJECT_ANIMAL})
            for (BaseObject* object : objects->GetObjectsOfKind(kind))
                object->Update();
        messages->Update();
    }
    // Frames until the walker has heard MT_MOVEIMHERE (or a failure), at most `frames`.
    bool RunUntilHeard(Walker* walker, uint32_t type, int frames = 2000, float step = 0.05f)
    {
        for (int i = 0; i < frames && walker->Count(type) == 0; ++i)
            Frame(step);
        return walker->Count(type) > 0;
    }

    testsupport::RecordingReportSink reports;
    SpeedWorld world;
    std::unique_ptr<WorldMap> map;
    std::unique_ptr<Path> path;
    std::unique_ptr<MessageHandler> messages;
    std::unique_ptr<ObjectManager> objects;
};

Vec3 Centre(int32_t x, int32_t y)
{
    return WorldMap::GetCellCentre({x, y});
}

// A shop at the end of an 8-cell row with five queue points from x = 6 down to 2, and a guest at (1, 0) heading
// for it.
struct QueueScene
{
    QueueScene()
    {
        shop = park.AddBuilding({7, 0});
        for (int32_t x = 0; x < 5; ++x)
            shop->queue.push_back(Centre(6 - x, 0));
        guest = park.Add(OBJECT_GUEST, {1, 0});
        park.Order(guest, MT_MOVE_DIRECT_2OBJECT, 0, shop->GetID());
    }
    Walks park{std::vector<std::string>{"........"}};
    Building* shop = nullptr;
    Walker* guest = nullptr;
};

} // namespace

TEST(Walking, AStraightWalkArrivesAndReportsAHundredthOfASecondLater)
{
    Walks park({"......."});
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(w, MT_MOVE_DIRECT_2POINT, 200, 32);
    EXPECT_TRUE(w->IsMoving());
    EXPECT_TRUE(w->IsWaitingForMoveImHere());
    float stoppedAt = -1.0f;
    for (int i = 0; i < 400 && w->Count(MT_MOVEIMHERE) == 0; ++i)
    {
        park.Frame(0.05f);
        EXPECT_NEAR(w->GetWorldPosition().y, 32.0f, 0.01f);
        if (!w->IsMoving() && stoppedAt < 0.0f)
            stoppedAt = park.world.GetGameTime();
    }
    ASSERT_EQ(w->Count(MT_MOVEIMHERE), 1);
    EXPECT_LT(w->Distance(200.0f, 32.0f), 1.5f);
    EXPECT_FLOAT_EQ(w->heard.back().time, stoppedAt + 0.01f);
    EXPECT_FALSE(w->IsWaitingForMoveImHere());
    EXPECT_EQ(w->postedThroughSlot, 0) << "not a guest: straight to the handler";
    // The scene object stands at the map position's scene point.
    EXPECT_FLOAT_EQ(w->GetPosition().x, w->GetWorldPosition().x / 8.0f + 512.0f);
    EXPECT_FLOAT_EQ(w->GetPosition().z, w->GetWorldPosition().y / 16.0f + 512.0f);
}

TEST(Walking, AStoppedWalkCarriesOnWhenTold)
{
    Walks park({"......."});
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(w, MT_MOVE_DIRECT_2POINT, 200, 32);
    park.Frame(0.05f);
    w->SetBehaviour(MovingObject::BEHAVIOUR_ARRIVE);
    park.Order(w, MT_MOVESTOP, 0, 0);
    EXPECT_FALSE(w->IsMoving());
    EXPECT_EQ(w->GetBehaviour(), MovingObject::BEHAVIOUR_SEEK);
    const float x = w->GetWorldPosition().x;
    park.Frame(0.5f);
    EXPECT_EQ(w->GetWorldPosition().x, x);
    park.Order(w, MT_MOVE_CARRY_ON, 0, 0);
    EXPECT_TRUE(w->IsMoving());
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_LT(w->Distance(200.0f, 32.0f), 1.5f);
}

TEST(Walking, AnOrderToWhereTheWalkerStandsStopsItAtOnce)
{
    Walks park({"..."});
    Walker* w = park.Add(OBJECT_GUEST, {1, 0});
    park.Order(w, MT_PAVEMENT2POINT, 48, 32); // the cell centre (48, 32) exactly
    EXPECT_FALSE(w->IsMoving());
    EXPECT_FALSE(w->GetPathFollower());
    EXPECT_EQ(w->postedThroughSlot, 1) << "a guest posts through its own slot";
    ASSERT_EQ(park.messages->GetPendingMessages().size(), 1u);
    EXPECT_EQ(park.messages->GetPendingMessages()[0].dwType, uint32_t{MT_MOVEIMHERE});
    EXPECT_FLOAT_EQ(park.messages->GetPendingMessages()[0].fTime, park.world.GetGameTime() + 0.01f);
}

TEST(Walking, TimeIsUsedInFixedStepsOfTwoHundredthsOfASecond)
{
    Walks park({"......."});
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(w, MT_MOVE_DIRECT_2POINT, 200, 32);
    // A frame of 0.02 s or less makes no step.
    park.Frame(0.02f);
    EXPECT_FLOAT_EQ(w->GetWorldPosition().x, 16.0f);
    EXPECT_NEAR(w->GetLastTimeRemaining(), 0.02f, 1e-6f);
    // 0.03 s more: two steps, 0.01 s left. Each step adds at most the largest force over the mass, 15 / 5 = 3,
    // to the speed, and moves by the speed times 0.02: 3 x 0.02 + 6 x 0.02.
    park.Frame(0.03f);
    EXPECT_NEAR(w->GetLastTimeRemaining(), 0.01f, 1e-5f);
    EXPECT_NEAR(w->GetWorldPosition().x - 16.0f, 0.18f, 0.006f) << "within the steering's reciprocal";
}

namespace
{

// How far a fresh walker at 20 units a second gets in the given frames at a game speed.
float WalkedIn(float speed, const std::vector<float>& frames)
{
    Walks park({std::string(100, '.')});
    park.world.SetSpeed(speed);
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0}, 20.0f);
    park.Order(w, MT_MOVE_DIRECT_2POINT, 3000, 32);
    for (float frame : frames)
        park.Frame(frame);
    return w->GetWorldPosition().x - 16.0f;
}

} // namespace

TEST(Walking, GameSpeedsMultiplyTheFrameAndAFrameCountsAtMostFourSeconds)
{
    // The same game time walks the same fixed steps, however it is made up.
    EXPECT_EQ(WalkedIn(2.0f, {0.5f}), WalkedIn(1.0f, {1.0f}));
    EXPECT_EQ(WalkedIn(4.0f, {0.5f}), WalkedIn(1.0f, {2.0f}));
    EXPECT_EQ(WalkedIn(4.0f, {0.25f, 0.25f}), WalkedIn(2.0f, {0.5f, 0.5f}));
    // At most 4 game seconds a frame: speed 4 for 2 seconds, or a 10-second frame, walk 4 seconds.
    const float four = WalkedIn(1.0f, {4.0f});
    EXPECT_EQ(WalkedIn(4.0f, {2.0f}), four);
    EXPECT_EQ(WalkedIn(1.0f, {10.0f}), four);
    EXPECT_GT(WalkedIn(1.0f, {4.0f, 0.5f}), four);
    // Four seconds in short frames: the same steps, up to the last one's rounding (0.4 units at full speed).
    EXPECT_NEAR(WalkedIn(1.0f, std::vector<float>(80, 0.05f)), four, 0.41f);
    // No faster than 20 units a second, and not far below it after the start.
    EXPECT_LE(four, 80.0f);
    EXPECT_GT(four, 70.0f);
}

TEST(Walking, ANewWalkersSpeedIsAWholeNumberFrom15To54)
{
    Walks park({"."});
    platform::SRand(5);
    float lowest = 100.0f, highest = 0.0f;
    for (int i = 0; i < 400; ++i)
    {
        auto* w = static_cast<Walker*>(park.objects->CreateObject("W", OBJECT_GUEST));
        const float speed = w->GetMaxVelocity();
        EXPECT_EQ(speed, std::floor(speed));
        lowest = std::min(lowest, speed);
        highest = std::max(highest, speed);
        EXPECT_EQ(w->GetBehaviour(), MovingObject::BEHAVIOUR_SEEK);
        EXPECT_FALSE(w->IsMoving());
        park.objects->RemoveObject(w->GetID());
    }
    EXPECT_EQ(lowest, 15.0f);
    EXPECT_EQ(highest, 54.0f);
}

TEST(Walking, TheStepsReciprocalIsExactForPowersOfTwoAndCloseOtherwise)
{
    for (float x : {0.5f, 1.0f, 2.0f, 4.0f, 1024.0f})
        EXPECT_EQ(MovingObject::ApproxReciprocal(x), 1.0f / x);
    for (float x : {3.0f, 5.0f, 7.3f, 35.0f, 0.3f})
        EXPECT_NEAR(MovingObject::ApproxReciprocal(x) * x, 1.0f, 0.02f) << x;
}

TEST(PavementWalks, AGuestFollowsTheFootpathCellByCell)
{
    Walks park({"PPP##", "##P##", "##PPP"});
    Walker* guest = park.Add(OBJECT_GUEST, {0, 0});
    park.Order(guest, MT_PAVEMENT2POINT, 144, 160); // the centre of (4, 2)
    ASSERT_TRUE(guest->GetPathFollower());
    EXPECT_GE(guest->GetPosOffset(), 1);
    EXPECT_LE(guest->GetPosOffset(), 5);
    ASSERT_TRUE(park.RunUntilHeard(guest, MT_MOVEIMHERE));
    std::vector<GridPos> squares;
    for (const Heard& h : guest->heard)
        if (h.type == MT_MOVE_NEW_GRID_SQUARE)
            squares.push_back(h.cell);
    EXPECT_EQ(Cells(squares), "(1,0)(2,0)(2,1)(2,2)(3,2)");
    EXPECT_LT(guest->Distance(144.0f, 160.0f), 1.5f);
    EXPECT_FALSE(guest->GetPathFollower());
    EXPECT_EQ(guest->GetPosOffset(), 0) << "no offset from the step treated as the last";
    // A staff member on the same walk hears no grid squares.
    Walker* staff = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(staff, MT_PAVEMENT2POINT, 144, 160);
    ASSERT_TRUE(park.RunUntilHeard(staff, MT_MOVEIMHERE));
    EXPECT_EQ(staff->Count(MT_MOVE_NEW_GRID_SQUARE), 0);
}

TEST(PavementWalks, EachSearchedWalkTakesOneOfFiveOffsetsInsideTheCells)
{
    Walks park({"PPPPP"});
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    std::set<int32_t> offsets;
    for (int i = 0; i < 60; ++i)
    {
        park.Order(w, MT_PAVEMENT2POINT, static_cast<uint32_t>(Centre(4, 0).x), 32);
        ASSERT_TRUE(w->GetPathFollower());
        offsets.insert(w->GetPosOffset());
    }
    EXPECT_EQ(offsets, (std::set<int32_t>{1, 2, 3, 4, 5}));
    // A walk that searches nothing keeps its offset.
    const int32_t kept = w->GetPosOffset();
    park.Order(w, MT_MOVE_DIRECT_2POINT, 100, 40);
    EXPECT_EQ(w->GetPosOffset(), kept);
}

TEST(PavementWalks, ANeighbourWithNoPathIsWalkedToOtherwiseThePathIsBlocked)
{
    {
        // Footpath to bare ground beside it: no path, yet one step away.
        Walks park({"P."});
        Walker* w = park.Add(OBJECT_GUEST, {0, 0});
        park.Order(w, MT_PAVEMENT2POINT, 48, 32);
        EXPECT_TRUE(w->IsMoving());
        ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
        EXPECT_EQ(w->Count(MT_PATHBLOCKED), 0);
    }
    for (const char* row : {"..", "P.P"})
    {
        Walks park({row});
        Walker* w = park.Add(OBJECT_GUEST, {0, 0});
        park.Order(w, MT_PAVEMENT2POINT,
                   static_cast<uint32_t>(WorldMap::GetCellCentre({park.map->GetWidth() - 1, 0}).x), 32);
        EXPECT_FALSE(w->IsMoving()) << row;
        EXPECT_EQ(w->Count(MT_PATHBLOCKED), 1) << row;
        EXPECT_FALSE(w->IsWaitingForMoveImHere());
    }
}

TEST(PavementWalks, EndsOffTheFootpathAreMovedOntoIt)
{
    // The walker stands on ground beside the footpath and the destination lies on ground beside its far end.
    Walks park({"PPPP", "....", "##.."});
    Walker* w = park.Add(OBJECT_GUEST, {0, 1});
    park.Order(w, MT_PAVEMENT2POINT, static_cast<uint32_t>(Centre(3, 1).x), static_cast<uint32_t>(Centre(3, 1).y));
    ASSERT_TRUE(w->GetPathFollower());
    EXPECT_EQ(w->GetPathFollower()->GetPath().m_Start, (GridPos{0, 0}));
    EXPECT_EQ(w->GetPathFollower()->GetPath().m_Stop, (GridPos{3, 0}));
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_LT(w->Distance(Centre(3, 1).x, Centre(3, 1).y), 1.5f);
}

TEST(PavementWalks, APathBlockedAheadIsSearchedAgainAndWalkedRound)
{
    Walks park({"PPPPP", "P###P", "PPPPP"});
    Walker* w = park.Add(OBJECT_GUEST, {0, 1});
    park.Order(w, MT_PAVEMENT2POINT, static_cast<uint32_t>(Centre(4, 1).x), static_cast<uint32_t>(Centre(4, 1).y));
    ASSERT_TRUE(w->GetPathFollower());
    // The search takes the south side (y = 0) first; a building goes up on it.
    EXPECT_EQ(w->GetPathFollower()->GetPath().m_pDirections[1], (GridPos{1, 0}));
    park.Frame(0.05f);
    park.map->GetCell({2, 0})->m_uiFlags = 0x3;
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    // It asked itself for a new search to the same point and walked the north side.
    int again = 0;
    for (const Heard& h : w->heard)
    {
        EXPECT_NE(h.cell, (GridPos{2, 0}));
        if (h.type == MT_PAVEMENT2POINT && h.flags == uint32_t(Centre(4, 1).x) && h.data == uint32_t(Centre(4, 1).y))
            ++again;
    }
    EXPECT_EQ(again, 2) << "the order and the new search";
    EXPECT_GT(w->Count(MT_MOVE_NEW_GRID_SQUARE), 4);
    EXPECT_LT(w->Distance(Centre(4, 1).x, Centre(4, 1).y), 1.5f);
}

TEST(PavementWalks, AStepBlockedWhileTheWalkerHeadsForItIsSearchedAgainAtOnce)
{
    Walks park({"PPPPP", "P###P", "PPPPP"});
    Walker* w = park.Add(OBJECT_GUEST, {0, 1});
    park.Order(w, MT_PAVEMENT2POINT, static_cast<uint32_t>(Centre(4, 1).x), static_cast<uint32_t>(Centre(4, 1).y));
    park.Frame(0.05f);
    ASSERT_EQ(w->GetPathFollower()->GetCurrentStep(), (GridPos{0, 0}));
    park.map->GetCell({0, 0})->m_uiFlags = 0x3;
    park.Frame(0.05f);
    EXPECT_EQ(w->Count(MT_PAVEMENT2POINT), 2);
    ASSERT_TRUE(w->GetPathFollower());
    EXPECT_EQ(Cells(w->GetPathFollower()->GetPath().m_pDirections), "(0,2)(1,2)(2,2)(3,2)(4,2)");
    // A scenery path is walked on whatever stands in its way.
    Walks open({".S.", "..."});
    Walker* a = open.Add(OBJECT_ANIMAL, {0, 0});
    open.Order(a, MT_PATH_THROUGH_SCENERY, uint32_t(Centre(2, 0).x), 32);
    open.map->GetCell({1, 0})->m_uiFlags = 0x3;
    open.Frame(0.05f);
    EXPECT_TRUE(a->GetPathFollower());
    EXPECT_EQ(a->heard.size(), 1u) << "only the order itself";
}

TEST(Walking, AWanderingWalkerIsPushedBothWays)
{
    Walks park({std::string(40, '.'), std::string(40, '.')});
    Walker* w = park.Add(OBJECT_MECHANIC, {20, 1});
    park.Order(w, MT_MOVE_DIRECT_2POINT, 3000, 64);
    w->SetBehaviour(MovingObject::BEHAVIOUR_WANDER);
    platform::SRand(9);
    bool sideways = false, along = false;
    for (int i = 0; i < 20; ++i)
    {
        park.Frame(0.05f);
        sideways = sideways || w->GetVelocity().y != 0.0f;
        along = along || w->GetVelocity().x != 0.0f;
    }
    EXPECT_TRUE(sideways);
    EXPECT_TRUE(along);
}

TEST(FootWalks, AFootWalkGoesRoundWallsOrSaysItCannotAndWalksStraight)
{
    {
        Walks park({"...", ".#.", "..."});
        Walker* w = park.Add(OBJECT_MECHANIC, {1, 0});
        park.Order(w, MT_MOVE2POINT, uint32_t(Centre(1, 2).x), uint32_t(Centre(1, 2).y));
        ASSERT_TRUE(w->GetPathFollower());
        EXPECT_EQ(Cells(w->GetPathFollower()->GetPath().m_pDirections), "(0,0)(0,1)(0,2)");
        ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
        EXPECT_EQ(w->Count(MT_CANT_MOVE), 0);
    }
    {
        Walks park({".#."});
        Walker* w = park.Add(OBJECT_MECHANIC, {0, 0});
        park.Order(w, MT_MOVE2POINT, uint32_t(Centre(2, 0).x), 32);
        EXPECT_EQ(w->Count(MT_CANT_MOVE), 1);
        EXPECT_TRUE(w->IsMoving());
        ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
        EXPECT_LT(w->Distance(Centre(2, 0).x, 32.0f), 1.5f);
    }
}

TEST(FootWalks, TheScenerySearchGivesUpWithItsOwnMessage)
{
    Walks park({".h.", ".h.", ".h."});
    Walker* w = park.Add(OBJECT_ANIMAL, {0, 1});
    park.Order(w, MT_PATH_THROUGH_SCENERY, uint32_t(Centre(2, 1).x), uint32_t(Centre(2, 1).y));
    EXPECT_FALSE(w->IsMoving());
    EXPECT_EQ(w->Count(MT_NO_SCENERY_PATH), 1);
    // Scenery ground is open to it.
    Walks open({".S.", "..."});
    Walker* a = open.Add(OBJECT_ANIMAL, {0, 0});
    open.Order(a, MT_PATH_THROUGH_SCENERY, uint32_t(Centre(2, 0).x), 32);
    ASSERT_TRUE(a->GetPathFollower());
    EXPECT_EQ(Cells(a->GetPathFollower()->GetPath().m_pDirections), "(1,0)");
    ASSERT_TRUE(open.RunUntilHeard(a, MT_MOVEIMHERE));
}

TEST(ObjectWalks, BuildingsAreWalkedToTheirQueueOrServingPoint)
{
    Walks park({"PPPPPP", "PPPPPP"});
    Building* shop = park.AddBuilding({5, 0});
    shop->queueStart = Centre(4, 1);
    shop->serveIn = Centre(5, 1);
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    park.Order(w, MT_PAVEMENT2OBJECT, 0, shop->GetID());
    EXPECT_EQ(w->GetDestObjectID(), shop->GetID());
    EXPECT_FLOAT_EQ(w->GetDestination().x, Centre(4, 1).x);
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_LT(w->Distance(Centre(4, 1).x, Centre(4, 1).y), 1.5f);
    // Flags set: the serving point.
    park.Order(w, MT_MOVE2OBJECT, 1, shop->GetID());
    EXPECT_FLOAT_EQ(w->GetDestination().x, Centre(5, 1).x);
    // No queue: the serving point as well.
    shop->hasQueue = false;
    park.Order(w, MT_MOVE2OBJECT, 0, shop->GetID());
    EXPECT_FLOAT_EQ(w->GetDestination().x, Centre(5, 1).x);
    // The scenery order takes the queue first, whatever the flags.
    shop->hasQueue = true;
    park.Order(w, MT_PATH_THROUGH_SCENERY2OBJECT, 1, shop->GetID());
    EXPECT_FLOAT_EQ(w->GetDestination().x, Centre(4, 1).x);
    // Any other object: where it stands.
    w->SetWorldPosition(Centre(0, 0));
    Walker* friendly = park.Add(OBJECT_MECHANIC, {2, 1});
    park.Order(w, MT_MOVE_DIRECT_2OBJECT, 0, friendly->GetID());
    EXPECT_TRUE(w->IsMoving());
    EXPECT_FLOAT_EQ(w->GetDestination().x, Centre(2, 1).x);
    EXPECT_FLOAT_EQ(w->GetDestination().y, Centre(2, 1).y);
    park.Order(w, MT_MOVE_DIRECT_2OBJECT, 0, shop->GetID());
    EXPECT_FLOAT_EQ(w->GetDestination().x, Centre(4, 1).x);
}

TEST(ObjectWalks, AWalkToAnObjectThatIsGoneCannotMove)
{
    Walks park({"PPPP"});
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    for (uint32_t order : {MT_MOVE2OBJECT, MT_PAVEMENT2OBJECT, MT_PATH_THROUGH_SCENERY2OBJECT, MT_MOVE_DIRECT_2OBJECT,
                           MT_MOVE_INSIDE_BUILDING, MT_MOVE_THRU_BUILDING})
    {
        w->heard.clear();
        park.Order(w, order, 0, 12345);
        EXPECT_FALSE(w->IsMoving()) << order;
        EXPECT_EQ(w->Count(MT_CANT_MOVE), 1) << order;
    }
    // A queue walk needs its building too.
    w->heard.clear();
    park.Order(w, MT_MOVE_ALONG_QUEUE, 0, 0);
    EXPECT_EQ(w->Count(MT_CANT_MOVE), 1);
}

TEST(BuildingWalks, EntryExitAndThroughPointsAreWalkedInOrder)
{
    Walks park({"......", "......"});
    Building* shop = park.AddBuilding({3, 0});
    shop->in = {Centre(1, 0), Centre(2, 0), Centre(2, 1)};
    shop->out = {Centre(4, 1), Centre(5, 1)};
    shop->thru = {Centre(3, 0)};
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(w, MT_MOVE_INSIDE_BUILDING, 0, shop->GetID());
    EXPECT_TRUE(w->IsWalkingInBuilding());
    EXPECT_EQ(w->GetNumWalkPts(), 3);
    EXPECT_EQ(shop->askedKind, uint8_t{OBJECT_MECHANIC});
    std::vector<int32_t> points;
    for (int i = 0; i < 400 && w->Count(MT_MOVEIMHERE) == 0; ++i)
    {
        if (points.empty() || points.back() != w->GetCurrWalkPt())
            points.push_back(w->GetCurrWalkPt());
        park.Frame(0.05f);
    }
    EXPECT_EQ(points, (std::vector<int32_t>{0, 1, 2, 3})) << "3: past the last point, stopped";
    EXPECT_LT(w->Distance(Centre(2, 1).x, Centre(2, 1).y), 1.5f);
    EXPECT_FALSE(w->IsWalkingInBuilding());
    // Flags set: the exit points.
    w->heard.clear();
    park.Order(w, MT_MOVE_INSIDE_BUILDING, 1, shop->GetID());
    EXPECT_EQ(w->GetNumWalkPts(), 2);
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_LT(w->Distance(Centre(5, 1).x, Centre(5, 1).y), 1.5f);
    w->heard.clear();
    park.Order(w, MT_MOVE_THRU_BUILDING, 0, shop->GetID());
    EXPECT_TRUE(w->IsWalkingThruBuilding());
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_LT(w->Distance(Centre(3, 0).x, Centre(3, 0).y), 1.5f);
    EXPECT_FALSE(w->IsWalkingThruBuilding());
    // No points: it stops at once.
    shop->in.clear();
    w->heard.clear();
    park.Order(w, MT_MOVE_INSIDE_BUILDING, 0, shop->GetID());
    EXPECT_FALSE(w->IsMoving());
    park.Frame(0.05f);
    EXPECT_EQ(w->Count(MT_MOVEIMHERE), 1);
}

TEST(BuildingWalks, ABuildingRemovedMidWalkStopsTheWalker)
{
    Walks park({"......"});
    Building* shop = park.AddBuilding({3, 0});
    shop->in = {Centre(4, 0), Centre(5, 0)};
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    park.Order(w, MT_MOVE_INSIDE_BUILDING, 0, shop->GetID());
    park.Frame(0.05f);
    ASSERT_TRUE(w->IsMoving());
    park.objects->RemoveObject(shop->GetID());
    park.Frame(0.05f);
    EXPECT_FALSE(w->IsMoving());
    EXPECT_FALSE(w->IsWalkingInBuilding());
    EXPECT_EQ(w->Count(MT_CANT_MOVE), 1);
    park.Frame(0.05f);
    EXPECT_EQ(w->Count(MT_MOVEIMHERE), 0);
}

TEST(QueueWalks, TheQueuesPointsAreWalkedForwardsOrBackToATarget)
{
    // Heading for the building first sets the destination the queue walk belongs to.
    QueueScene scene;
    Walks& park = scene.park;
    Building* shop = scene.shop;
    Walker* w = scene.guest;
    // Joining: backwards from the last point to point 2.
    park.Order(w, MT_MOVE_ALONG_QUEUE, 1, 2);
    EXPECT_TRUE(w->IsWalkingOnQueue());
    EXPECT_TRUE(shop->askedInwards);
    EXPECT_EQ(w->GetCurrWalkPt(), 4);
    EXPECT_EQ(w->GetQueueXPos(), (std::deque<int32_t>{208, 176, 144, 112, 80}));
    EXPECT_EQ(w->GetQueueYPos(), (std::deque<int32_t>{32, 32, 32, 32, 32}));
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_EQ(w->GetCurrWalkPt(), 2);
    EXPECT_LT(w->Distance(144.0f, 32.0f), 1.5f);
    EXPECT_TRUE(w->IsWalkingOnQueue()) << "until the queue is finished";
    // Forwards: from where it stands out to the last point (reading the outward file this time).
    w->heard.clear();
    park.Order(w, MT_MOVE_ALONG_QUEUE, 0, 0);
    EXPECT_FALSE(shop->askedInwards);
    EXPECT_EQ(w->GetCurrWalkPt(), 2);
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_EQ(w->GetCurrWalkPt(), 4);
    EXPECT_LT(w->Distance(80.0f, 32.0f), 1.5f);
    park.Order(w, MT_FINISHED_QUEUE, 0, 0);
    EXPECT_FALSE(w->IsWalkingOnQueue());
}

TEST(QueueWalks, AShorterQueueOrATargetBehindTheWalkerNeverLeavesThePoints)
{
    QueueScene scene;
    Walks& park = scene.park;
    Building* shop = scene.shop;
    Walker* w = scene.guest;
    park.Order(w, MT_MOVE_ALONG_QUEUE, 1, 4);
    EXPECT_EQ(w->GetCurrWalkPt(), 4);
    // The queue is cut to two points while the walker stands at point 4.
    shop->queue.resize(2);
    park.Order(w, MT_MOVE_ALONG_QUEUE, 1, 3);
    EXPECT_EQ(w->GetCurrWalkPt(), 1);
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_EQ(w->GetCurrWalkPt(), 1) << "the target lies beyond the walker: it stops where it is";
    // Backwards to a target below the first point: it stops at the first.
    w->heard.clear();
    park.Order(w, MT_MOVE_ALONG_QUEUE, 1, uint32_t(-5));
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_EQ(w->GetCurrWalkPt(), 0);
    // No points at all: it stops at once.
    shop->queue.clear();
    w->heard.clear();
    park.Order(w, MT_MOVE_ALONG_QUEUE, 0, 0);
    EXPECT_FALSE(w->IsMoving());
    EXPECT_TRUE(w->GetQueueXPos().empty());
}

TEST(FollowWalks, AFollowerReportsTheDistanceOnceAndArrivesWhenTheLeaderStops)
{
    Walks park({std::string(40, '.')});
    Walker* leader = park.Add(OBJECT_MECHANIC, {10, 0}, 15.0f);
    Walker* follower = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(leader, MT_MOVE_DIRECT_2POINT, uint32_t(Centre(39, 0).x), 32);
    park.Order(follower, MT_MOVE_DIRECT_2POINT, uint32_t(Centre(10, 0).x), 32);
    follower->SetBehaviour(MovingObject::BEHAVIOUR_FOLLOW);
    follower->SetFollow(leader->GetID(), 20);
    for (int i = 0; i < 200; ++i)
        park.Frame(0.05f);
    EXPECT_EQ(follower->Count(MT_REACHED_FOLLOW_DISTANCE), 1);
    EXPECT_TRUE(follower->IsMoving()) << "the leader still walks";
    EXPECT_LT(follower->Distance(Centre(10, 0).x, 32.0f), 20.0f);
    park.Order(leader, MT_MOVESTOP, 0, 0);
    ASSERT_TRUE(park.RunUntilHeard(follower, MT_MOVEIMHERE, 100));
    EXPECT_FALSE(follower->IsFollowing());
    EXPECT_EQ(follower->Behaviour(), MovingObject::BEHAVIOUR_SEEK);
}

TEST(FollowWalks, AFollowerThatArrivesWhileItsLeaderWalksWaitsForTheNextFrame)
{
    Walks park({std::string(40, '.')});
    Walker* leader = park.Add(OBJECT_MECHANIC, {10, 0}, 15.0f);
    Walker* follower = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(leader, MT_MOVE_DIRECT_2POINT, uint32_t(Centre(39, 0).x), 32);
    park.Order(follower, MT_MOVE_DIRECT_2POINT, uint32_t(Centre(1, 0).x), 32);
    follower->SetFollow(leader->GetID(), 20);
    // Seeking its point it arrives (again and again, swinging round it), finds the leader still walking and
    // carries on, the rest of that frame's time dropped; without an arrival a frame of 0.05 s leaves 0.01 s.
    int arrivals = 0;
    for (int i = 0; i < 60; ++i)
    {
        park.Frame(0.05f);
        arrivals += follower->GetLastTimeRemaining() == 0.0f ? 1 : 0;
    }
    EXPECT_GT(arrivals, 0);
    EXPECT_TRUE(follower->IsMoving());
    EXPECT_TRUE(follower->IsFollowing());
    EXPECT_EQ(follower->Count(MT_MOVEIMHERE), 0);
}

TEST(FollowWalks, AFollowerWhoseLeaderIsGoneCannotMove)
{
    Walks park({std::string(40, '.')});
    Walker* leader = park.Add(OBJECT_MECHANIC, {10, 0});
    Walker* follower = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(follower, MT_MOVE_DIRECT_2POINT, uint32_t(Centre(30, 0).x), 32);
    follower->SetBehaviour(MovingObject::BEHAVIOUR_FOLLOW);
    follower->SetFollow(leader->GetID(), 5);
    park.Frame(0.05f);
    park.objects->RemoveObject(leader->GetID());
    park.Frame(0.05f);
    EXPECT_FALSE(follower->IsMoving());
    EXPECT_FALSE(follower->IsFollowing());
    EXPECT_EQ(follower->Count(MT_CANT_MOVE), 1);
}

TEST(Heights, AWalkerRampsToACellsHeightOverSixteenUnits)
{
    Walks park({"....."});
    park.map->GetCell({2, 0})->m_ZOffset = 2.0f;
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0}, 15.0f);
    park.Order(w, MT_MOVE_DIRECT_2POINT, uint32_t(Centre(4, 0).x), 32);
    float walked = -1.0f; // distance since the walker first stood in the raised cell
    float down = -1.0f;   // distance since it first stood beyond it
    for (int i = 0; i < 400 && w->IsMoving(); ++i)
    {
        const float before = w->GetWorldPosition().x;
        park.Frame(0.05f);
        const float now = w->GetWorldPosition().x;
        if (walked < 0.0f && now >= 64.0f)
            walked = 0.0f;
        if (down < 0.0f && now >= 96.0f)
            down = 0.0f;
        if (down >= 0.0f)
        {
            // Past the raised cell it ramps back down to 0 from the full height.
            down += now - before;
            EXPECT_NEAR(w->GetZOffset(), 2.0f - 2.0f * std::min(down, 16.0f) / 16.0f, 1e-4f) << now;
        }
        else if (walked >= 0.0f)
        {
            walked += now - before;
            EXPECT_NEAR(w->GetZOffset(), 2.0f * std::min(walked, 16.0f) / 16.0f, 1e-4f) << now;
        }
        EXPECT_FLOAT_EQ(w->GetPosition().y, w->GetZOffset());
    }
    ASSERT_GE(walked, 16.0f);
    ASSERT_GE(down, 16.0f);
    EXPECT_FLOAT_EQ(w->GetZOffset(), 0.0f);
}

TEST(WalkerVariables, ScriptsReadTheWalkAndItsDestination)
{
    Walks park({"......"});
    Building* shop = park.AddBuilding({4, 0});
    shop->SetDirection(3);
    shop->queueStart = {100.7f, 40.2f, 0.0f};
    shop->serveOut = {150.9f, 20.5f, 0.0f};
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    const auto get = [&](uint32_t id) { return w->GetScriptVariable(ScriptOperand{id}); };
    EXPECT_EQ(get(120).type, uint32_t{SCRIPT_VALUE_BOOL});
    EXPECT_EQ(get(120).data, 0u);
    park.Order(w, MT_MOVE_DIRECT_2OBJECT, 0, shop->GetID());
    EXPECT_EQ(get(120).data, 1u);
    EXPECT_EQ(get(121).data, shop->GetID());
    EXPECT_EQ(get(24).data, 3u);
    EXPECT_EQ(get(30).data, 150u);
    EXPECT_EQ(get(31).data, 20u);
    EXPECT_EQ(get(122).data, 100u);
    EXPECT_EQ(get(123).data, 40u);
    EXPECT_EQ(get(122).type, uint32_t{SCRIPT_VALUE_UINT});
    // Without a queue the entrance has no value; the unknown name neither; other ids reach the base.
    shop->hasQueue = false;
    EXPECT_EQ(get(122).type, uint32_t{SCRIPT_VALUE_BOOL});
    EXPECT_EQ(get(HumanObject::kUnknownVariable).data, 0u);
    EXPECT_EQ(get(BaseObject::VAR_ME).data, w->GetID());
    // Writing DestObject takes the value as an integer.
    w->SetScriptVariable(ScriptOperand{121}, ScriptValue::Float(7.9f));
    EXPECT_EQ(w->GetDestObjectID(), 7u);
    EXPECT_EQ(get(24).type, uint32_t{SCRIPT_VALUE_BOOL}) << "no object 7";
    EXPECT_EQ(get(30).type, uint32_t{SCRIPT_VALUE_BOOL});
    w->SetScriptVariable(ScriptOperand{121}, ScriptValue::UInt(shop->GetID()));
    EXPECT_EQ(w->GetDestObjectID(), shop->GetID());
    w->SetScriptVariable(ScriptOperand{121}, ScriptValue::Bool(true));
    EXPECT_EQ(w->GetDestObjectID(), 1u);
    // Other ids go to the base: the world position.
    w->SetScriptVariable(ScriptOperand{BaseObject::VAR_WORLD_X}, ScriptValue::UInt(70));
    EXPECT_FLOAT_EQ(w->GetWorldPosition().x, 70.0f);
    EXPECT_FLOAT_EQ(w->GetSteerPosition().x, 70.0f);
}

TEST(HumanObjects, PlainHumansSendNothingOfTheirOwn)
{
    Walks park({"..."});
    class Plain : public HumanObject
    {
    public:
        Plain() : HumanObject(8) {}
        bool IsStateSupported(uint32_t) override { return true; }
        bool OnStateEntry(uint32_t) override { return true; }
        bool OnStateExit() override { return true; }
    } plain;
    EXPECT_FALSE(plain.PostMessage(worldtest::Record(1, 1, MT_MOVEIMHERE)));
    EXPECT_FALSE(plain.PostDelayedMessage(worldtest::Record(1, 1, MT_MOVEIMHERE), 1.0f));
    EXPECT_TRUE(park.messages->GetPendingMessages().empty());
    EXPECT_TRUE(plain.Update());
    // A state change still reaches the base.
    EXPECT_TRUE(plain.Message(worldtest::Record(1, 1, MT_STATECHANGE, 4)));
    EXPECT_EQ(plain.GetState(), 4u);
}

namespace
{

Bytes SaveWalker(Walker* w)
{
    return Saved([&](SerialStream& s) { w->Dump(s); });
}

bool LoadWalker(Walker* w, const Bytes& bytes)
{
    return LoadFrom(bytes, [&](SerialStream& s) { return w->Load(s); });
}

} // namespace

TEST(WalkerRecords, AWalkerSavedMidPathWalksOnTheSameWayWhenLoaded)
{
    Walks park({"PPP##", "##P##", "##PPP"});
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    park.Order(w, MT_PAVEMENT2POINT, 144, 160);
    for (int i = 0; i < 8; ++i)
        park.Frame(0.05f);
    ASSERT_TRUE(w->GetPathFollower());
    const Bytes saved = SaveWalker(w);
    Walker* copy = park.Add(OBJECT_GUEST, {4, 0});
    const uint32_t copyID = copy->GetID();
    ASSERT_TRUE(LoadWalker(copy, saved));
    EXPECT_EQ(SaveWalker(copy), saved);
    copy->SetID(copyID); // its own messages come back to it
    ASSERT_TRUE(copy->GetPathFollower());
    EXPECT_NE(&copy->GetPathFollower()->GetPath(), &w->GetPathFollower()->GetPath());
    EXPECT_EQ(copy->GetPathFollower()->GetPath().m_iRefCount, 1);
    // Both walk on identically.
    for (int i = 0; i < 300 && w->Count(MT_MOVEIMHERE) == 0; ++i)
    {
        park.Frame(0.05f);
        EXPECT_FLOAT_EQ(copy->GetWorldPosition().x, w->GetWorldPosition().x);
        EXPECT_FLOAT_EQ(copy->GetWorldPosition().y, w->GetWorldPosition().y);
    }
    EXPECT_EQ(copy->Count(MT_MOVEIMHERE), 1);
}

TEST(WalkerRecords, SavedWalksThatDoNotHoldTogetherFailCleanly)
{
    Walks park({"PPPPPP", "PPPPPP"});
    Building* shop = park.AddBuilding({5, 1});
    for (int32_t x = 0; x < 4; ++x)
        shop->queue.push_back(Centre(4 - x, 1));
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    park.Order(w, MT_PAVEMENT2POINT, uint32_t(Centre(5, 0).x), 32);
    park.Frame(0.05f);
    ASSERT_TRUE(w->GetPathFollower());
    const Bytes onPath = SaveWalker(w);
    park.Order(w, MT_MOVE_DIRECT_2POINT, 300, 40);
    w->SetScriptVariable(ScriptOperand{MovingObject::VAR_DEST_OBJECT}, ScriptValue::UInt(shop->GetID()));
    park.Order(w, MT_MOVE_ALONG_QUEUE, 1, 1);
    ASSERT_FALSE(w->GetPathFollower());
    const Bytes onQueue = SaveWalker(w);
    Walker* copy = park.Add(OBJECT_GUEST, {0, 1});
    ASSERT_TRUE(LoadWalker(copy, onPath));
    ASSERT_TRUE(LoadWalker(copy, onQueue));
    // A queue walk at its first point loads too.
    park.Order(w, MT_FINISHED_QUEUE, 0, 0);
    park.Order(w, MT_MOVE_ALONG_QUEUE, 0, 0);
    ASSERT_EQ(w->GetCurrWalkPt(), 0);
    ASSERT_TRUE(LoadWalker(copy, SaveWalker(w)));
    EXPECT_EQ(copy->GetCurrWalkPt(), 0);
    ASSERT_TRUE(LoadWalker(copy, onQueue));
    EXPECT_FALSE(copy->GetPathFollower());
    EXPECT_EQ(copy->GetQueueXPos(), w->GetQueueXPos());
    // Every cut fails, and no cut harms.
    for (const Bytes* good : {&onPath, &onQueue})
        for (size_t cut = 0; cut + 1 < good->size(); cut += 2)
            EXPECT_FALSE(LoadWalker(copy, Bytes(good->begin(), good->begin() + cut))) << cut;

    // The record laid out from the stream's format: the items before the path mark are 24, each 5 bytes (bools
    // 2), so the offsets below are found by walking the items as written.
    const auto offsetAfter = [&](const Bytes& b, size_t items)
    {
        size_t at = 0;
        for (size_t i = 0; i < items; ++i)
            at += b[at] == 2 ? 2 : 5;
        return at;
    };
    // The path mark (item 25) neither 0 nor 1.
    Bytes bad = onQueue;
    bad[offsetAfter(bad, 24) + 1] = 2;
    EXPECT_FALSE(LoadWalker(copy, bad));
    // The current walk point (item 30) outside the four queue points; the X count (item 35) below or above the
    // points written, or negative.
    const size_t current = offsetAfter(onQueue, 29);
    ASSERT_EQ(onQueue[current], 5);
    for (uint32_t value : {4u, uint32_t(-1)})
    {
        bad = onQueue;
        bad[current + 1] = uint8_t(value);
        bad[current + 2] = bad[current + 3] = bad[current + 4] = uint8_t(value >> 8);
        EXPECT_FALSE(LoadWalker(copy, bad)) << value;
    }
    const size_t xCount = offsetAfter(onQueue, 34);
    ASSERT_EQ(onQueue[xCount + 1], 4);
    for (uint8_t value : {uint8_t(3), uint8_t(5), uint8_t(0xFF)})
    {
        bad = onQueue;
        bad[xCount + 1] = value;
        if (value == 0xFF)
            bad[xCount + 2] = bad[xCount + 3] = bad[xCount + 4] = 0xFF;
        EXPECT_FALSE(LoadWalker(copy, bad)) << int(value);
    }
    EXPECT_FALSE(park.reports.boxes.empty());
}
