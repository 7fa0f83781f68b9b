// Tests of walkers: every movement order and walk mode reaching its goal or reporting why not, the first steering
// step of each behaviour worked out from the rules, the fixed 0.02 s step at several game speeds, ends moved onto
// fitting cells, orders off the map, height ramps, script variables, and the save record of walkers caught in every
// walk mode a real walk passes through.
#include "tests/world/GridTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "tests/world/WorldTestSupport.h"

#include "platform/Random.h"
#include "world/BuildingPoints.h"
#include "world/MovingObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>

using namespace gridtest;
using namespace savebytes;

namespace
{

using platform::Vec3;

struct Heard
{
    uint32_t type, flags, data;
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
        return static_cast<int>(
            std::count_if(heard.begin(), heard.end(), [&](const Heard& h) { return h.type == type; }));
    }
    float Distance(Vec3 p) const { return std::hypot(m_WorldXYZ.x - p.x, m_WorldXYZ.y - p.y); }
    // What a guest's or staff member's own code sets of the walk.
    void SetMaxForce(float force) { m_fMaxForce = force; }
    void SetGroupAndLeaving(uint32_t group, uint32_t leaving)
    {
        m_GroupID = group;
        m_BuildingLeavingID = leaving;
    }
    float SteerForce() const { return std::hypot(m_vSteerForce.x, m_vSteerForce.y); }

    std::vector<Heard> heard;
    int postedThroughSlot = 0;
};

// A building whose points the test sets.
class Building : public StaticObject, public BuildingPoints
{
public:
    Building() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    BuildingPoints* GetBuildingPoints() override { return this; }
    bool GetQueueStartPosition(Vec3& out) override { return hasQueue && (out = queueStart, true); }
    void GetServeInPosition(Vec3& out) override { out = serveIn; }
    void GetServeOutPosition(Vec3& out) override { out = serveOut; }
    int32_t GetQueuePointCount() override { return static_cast<int32_t>(queue.size()); }
    // The outward file lies half a unit east of the inward one.
    float GetQueuePointX(int32_t i, bool inwards) override { return queue.at(i).x + (inwards ? 0.0f : 0.5f); }
    float GetQueuePointY(int32_t i, bool) override { return queue.at(i).y; }
    int32_t GetInWalkPointCount(uint8_t kind) override { return Count(in, kind); }
    bool GetInWalkPoint(uint8_t, int32_t i, Vec3& p) override { return Get(in, i, p); }
    int32_t GetOutWalkPointCount(uint8_t kind) override { return Count(out, kind); }
    bool GetOutWalkPoint(uint8_t, int32_t i, Vec3& p) override { return Get(out, i, p); }
    int32_t GetThruWalkPointCount(uint8_t kind) override { return Count(thru, kind); }
    bool GetThruWalkPoint(uint8_t, int32_t i, Vec3& p) override { return Get(thru, i, p); }

    bool hasQueue = true;
    Vec3 queueStart = {0, 0, 0}, serveIn = {0, 0, 0}, serveOut = {0, 0, 0};
    std::vector<Vec3> queue, in, out, thru;
    uint8_t askedKind = 0;

private:
    int32_t Count(const std::vector<Vec3>& points, uint8_t kind)
    {
        askedKind = kind;
        return static_cast<int32_t>(points.size());
    }
    static bool Get(const std::vector<Vec3>& points, int32_t i, Vec3& p)
    {
        return i >= 0 && i < static_cast<int32_t>(points.size()) && (p = points[i], true);
    }
};

class SpeedWorld : public World
{
public:
    void SetSpeed(float speed) { m_fGameSpeed = speed; }
};

Vec3 Centre(int32_t x, int32_t y)
{
    return WorldMap::GetCellCentre({x, y});
}

// The park for walkers: a map drawn from rows, the path service, messages and objects.
class Walks
{
public:
    explicit Walks(const std::vector<std::string>& rows) : map(MakeMap(rows)), path(std::make_unique<Path>(*map))
    {
        ClearObjectKinds();
        for (uint8_t kind : {OBJECT_GUEST, OBJECT_MECHANIC, OBJECT_ANIMAL})
            RegisterObjectKind(kind, []() -> BaseObject* { return new Walker; });
        RegisterObjectKind(OBJECT_BUILDING, []() -> BaseObject* { return new Building; });
    }
    ~Walks() { ClearObjectKinds(); }

    // A walker of a kind standing at the centre of a cell, walking at `speed`.
    Walker* Add(uint8_t kind, GridPos cell, float speed = 35.0f)
    {
        auto* walker = static_cast<Walker*>(objects->CreateObject("WALKER", kind));
        walker->SetType(kind);
        walker->SetWorldPosition(Centre(cell.x, cell.y));
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
    void OrderTo(Walker* walker, uint32_t type, Vec3 point)
    {
        Order(walker, type, static_cast<uint32_t>(point.x), static_cast<uint32_t>(point.y));
    }
    // One frame: the clock, every walker's step, then the messages that are due.
    void Frame(float seconds = 0.05f)
    {
        world.AdvanceClock(seconds);
        for (uint8_t kind : {OBJECT_GUEST, OBJECT_MECHANIC, OBJECT_ANIMAL})
            for (BaseObject* object : objects->GetObjectsOfKind(kind))
                object->Update();
        messages->Update();
    }
    // Frames until the walker has heard the message, at most `frames`.
    bool RunUntilHeard(Walker* walker, uint32_t type, int frames = 2000)
    {
        for (int i = 0; i < frames && walker->Count(type) == 0; ++i)
            Frame();
        return walker->Count(type) > 0;
    }

    testsupport::RecordingReportSink reports;
    SpeedWorld world;
    std::unique_ptr<WorldMap> map;
    std::unique_ptr<Path> path;
    std::unique_ptr<MessageHandler> messages = std::make_unique<MessageHandler>();
    std::unique_ptr<ObjectManager> objects = std::make_unique<ObjectManager>();
};

Bytes SaveWalker(Walker* w)
{
    return Saved([&](SerialStream& s) { w->Dump(s); });
}

bool LoadWalker(Walker* w, const Bytes& bytes)
{
    return LoadFrom(bytes, [&](SerialStream& s) { return w->Load(s); });
}

} // namespace

TEST(Walking, AStraightWalkStepsInFixedStepsAndArrivesAHundredthOfASecondAfterStopping)
{
    Walks park({"......."});
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(w, MT_MOVE_DIRECT_2POINT, 200, 32);
    EXPECT_TRUE(w->IsMoving() && w->IsWaitingForMoveImHere());
    // A frame of 0.02 s or less makes no step; 0.03 s more makes two, 0.01 s left. Each step adds at most the
    // largest force over the mass, 15 / 5 = 3, to the speed and moves by the speed times 0.02: 3 x 0.02 + 6 x 0.02.
    park.Frame(0.02f);
    EXPECT_FLOAT_EQ(w->GetWorldPosition().x, 16.0f);
    EXPECT_NEAR(w->GetLastTimeRemaining(), 0.02f, 1e-6f);
    park.Frame(0.03f);
    EXPECT_NEAR(w->GetLastTimeRemaining(), 0.01f, 1e-5f);
    EXPECT_NEAR(w->GetWorldPosition().x - 16.0f, 0.18f, 0.006f) << "within the steering's reciprocal";
    // Stopped and carried on.
    park.Order(w, MT_MOVESTOP, 0, 0);
    const float x = w->GetWorldPosition().x;
    park.Frame(0.5f);
    EXPECT_EQ(w->GetWorldPosition().x, x);
    park.Order(w, MT_MOVE_CARRY_ON, 0, 0);
    float stoppedAt = -1.0f;
    for (int i = 0; i < 400 && w->Count(MT_MOVEIMHERE) == 0; ++i)
    {
        park.Frame();
        EXPECT_NEAR(w->GetWorldPosition().y, 32.0f, 0.01f);
        if (!w->IsMoving() && stoppedAt < 0.0f)
            stoppedAt = park.world.GetGameTime();
    }
    ASSERT_EQ(w->Count(MT_MOVEIMHERE), 1);
    EXPECT_LT(w->Distance({200.0f, 32.0f, 0.0f}), 1.5f);
    EXPECT_FLOAT_EQ(w->heard.back().time, stoppedAt + 0.01f);
    EXPECT_FALSE(w->IsWaitingForMoveImHere());
    EXPECT_EQ(w->postedThroughSlot, 0) << "not a guest: straight to the handler";
    // The scene object stands at the map position's scene point.
    EXPECT_FLOAT_EQ(w->GetPosition().x, w->GetWorldPosition().x / 8.0f + 512.0f);
    EXPECT_FLOAT_EQ(w->GetPosition().z, w->GetWorldPosition().y / 16.0f + 512.0f);
    // An order to where a guest stands stops it at once, through its own slot.
    Walker* guest = park.Add(OBJECT_GUEST, {1, 0});
    park.Order(guest, MT_PAVEMENT2POINT, 48, 32);
    EXPECT_FALSE(guest->IsMoving());
    EXPECT_EQ(guest->postedThroughSlot, 1);
    EXPECT_FLOAT_EQ(park.messages->GetPendingMessages().back().fTime, park.world.GetGameTime() + 0.01f);
}

TEST(Walking, WalkersStepTheGameTimeOfTheFrame)
{
    // How far a fresh walker at 20 units a second gets in the given frames at a game speed: the same game time
    // walks the same fixed steps, however it is made up, up to the last step's rounding (0.4 units).
    const auto walked = [](float speed, const std::vector<float>& frames)
    {
        Walks park({std::string(100, '.')});
        park.world.SetSpeed(speed);
        Walker* w = park.Add(OBJECT_MECHANIC, {0, 0}, 20.0f);
        park.Order(w, MT_MOVE_DIRECT_2POINT, 3000, 32);
        for (float frame : frames)
            park.Frame(frame);
        return w->GetWorldPosition().x - 16.0f;
    };
    EXPECT_EQ(walked(2.0f, {0.5f}), walked(1.0f, {1.0f}));
    EXPECT_EQ(walked(4.0f, {0.25f, 0.25f}), walked(2.0f, {0.5f, 0.5f}));
    const float four = walked(1.0f, {4.0f});
    EXPECT_NEAR(walked(1.0f, std::vector<float>(80, 0.05f)), four, 0.41f);
    EXPECT_TRUE(four > 70.0f && four <= 80.0f) << four;
}

TEST(Walking, ANewWalkersSpeedIsAWholeNumberFrom15To54)
{
    Walks park({"."});
    platform::SRand(5);
    std::set<float> speeds;
    for (int i = 0; i < 400; ++i)
    {
        auto* w = static_cast<Walker*>(park.objects->CreateObject("W", OBJECT_GUEST));
        speeds.insert(w->GetMaxVelocity());
        EXPECT_EQ(w->GetBehaviour(), MovingObject::BEHAVIOUR_SEEK);
        park.objects->RemoveObject(w->GetID());
    }
    EXPECT_EQ(std::tuple(speeds.size(), *speeds.begin(), *speeds.rbegin()), std::tuple(40u, 15.0f, 54.0f));
    for (float x : {0.5f, 1.0f, 4.0f, 1024.0f})
        EXPECT_EQ(MovingObject::ApproxReciprocal(x), 1.0f / x) << "exact for powers of two";
    for (float x : {3.0f, 7.3f, 35.0f, 0.3f})
        EXPECT_NEAR(MovingObject::ApproxReciprocal(x) * x, 1.0f, 0.02f) << x;
}

TEST(Steering, TheFirstStepOfEachBehaviourFromRest)
{
    // A walker at rest d units from its point: the wanted speed is the full speed when seeking, and
    // min(d / s x full speed, full speed) when arriving with the slowing distance s (the follow distance, or when
    // that is 0 a fifth of the full speed) or following (the follow distance; 0 is the full speed). The force is
    // that speed cut to 15, the new speed the force over the mass 5, and one step moves it 0.02 s at that speed.
    const struct
    {
        int32_t behaviour;
        float speed;
        int32_t followDistance;
        float d;
    } rows[] = {{MovingObject::BEHAVIOUR_SEEK, 10.0f, 0, 3.0f},   {MovingObject::BEHAVIOUR_SEEK, 40.0f, 0, 3.0f},
                {MovingObject::BEHAVIOUR_ARRIVE, 20.0f, 0, 2.0f}, {MovingObject::BEHAVIOUR_ARRIVE, 50.0f, 0, 2.0f},
                {MovingObject::BEHAVIOUR_ARRIVE, 20.0f, 8, 2.0f}, {MovingObject::BEHAVIOUR_ARRIVE, 20.0f, 0, 30.0f},
                {MovingObject::BEHAVIOUR_FOLLOW, 20.0f, 8, 4.0f}, {MovingObject::BEHAVIOUR_FOLLOW, 12.0f, 10, 12.0f},
                {MovingObject::BEHAVIOUR_FOLLOW, 40.0f, 0, 2.0f}};
    for (const auto& r : rows)
    {
        Walks park({"........"});
        Walker* leader = park.Add(OBJECT_MECHANIC, {7, 0});
        Walker* w = park.Add(OBJECT_MECHANIC, {0, 0}, r.speed);
        w->SetWorldPosition({100.0f, 32.0f, 0.0f});
        park.Order(w, MT_MOVE_DIRECT_2POINT, static_cast<uint32_t>(100.0f + r.d), 32);
        w->SetBehaviour(r.behaviour);
        if (r.followDistance != 0)
            w->SetFollow(leader->GetID(), r.followDistance);
        park.Frame(0.03f);
        const bool arrive = r.behaviour == MovingObject::BEHAVIOUR_ARRIVE;
        const float slowing = r.followDistance != 0 ? float(r.followDistance) : (arrive ? 0.2f * r.speed : 0.0f);
        const float wanted = slowing > 0.0f && r.behaviour != MovingObject::BEHAVIOUR_SEEK
                                 ? std::min(r.d / slowing * r.speed, r.speed)
                                 : r.speed;
        // Within the steering's reciprocals.
        const float expected = std::min(wanted, 15.0f) / 5.0f * 0.02f;
        EXPECT_NEAR(w->GetWorldPosition().x - 100.0f, expected, expected * 0.035f) << &r - rows;
    }
}

TEST(Steering, AWanderingWalkerIsPushedBothWays)
{
    Walks park({std::string(40, '.'), std::string(40, '.')});
    Walker* w = park.Add(OBJECT_MECHANIC, {20, 1});
    park.Order(w, MT_MOVE_DIRECT_2POINT, 1200, 64);
    w->SetBehaviour(MovingObject::BEHAVIOUR_WANDER);
    platform::SRand(9);
    bool sideways = false, along = false;
    for (int i = 0; i < 20; ++i)
    {
        park.Frame();
        sideways = sideways || w->GetVelocity().y != 0.0f;
        along = along || w->GetVelocity().x != 0.0f;
    }
    EXPECT_TRUE(sideways && along);
    // The pushes (up to 1 along each axis a step) add up, but the force never passes the walker's limit.
    w->SetMaxForce(0.5f);
    float most = 0.0f;
    for (int i = 0; i < 20; ++i)
    {
        park.Frame();
        most = std::max(most, w->SteerForce());
    }
    EXPECT_GT(most, 0.4f);
    EXPECT_LE(most, 0.5f * 1.01f) << "within the steering's reciprocal";
}

TEST(PathWalks, AGuestFollowsTheFootpathCellByCellInsideOneOfFiveOffsets)
{
    Walks park({"PPP##", "##P##", "##PPP"});
    Walker* guest = park.Add(OBJECT_GUEST, {0, 0});
    std::set<int32_t> offsets;
    for (int i = 0; i < 60; ++i)
    {
        park.OrderTo(guest, MT_PAVEMENT2POINT, Centre(4, 2));
        ASSERT_TRUE(guest->GetPathFollower());
        offsets.insert(guest->GetPosOffset());
    }
    EXPECT_EQ(offsets, (std::set<int32_t>{1, 2, 3, 4, 5}));
    ASSERT_TRUE(park.RunUntilHeard(guest, MT_MOVEIMHERE));
    std::vector<GridPos> squares;
    for (const Heard& h : guest->heard)
        if (h.type == MT_MOVE_NEW_GRID_SQUARE)
            squares.push_back(h.cell);
    EXPECT_EQ(Cells(squares), "(1,0)(2,0)(2,1)(2,2)(3,2)");
    EXPECT_LT(guest->Distance(Centre(4, 2)), 1.5f);
    EXPECT_FALSE(guest->GetPathFollower());
    EXPECT_EQ(guest->GetPosOffset(), 0) << "no offset from the step treated as the last";
    // A walk that searches nothing keeps its offset; a staff member hears no grid squares.
    park.OrderTo(guest, MT_MOVE_DIRECT_2POINT, Centre(3, 2));
    EXPECT_EQ(guest->GetPosOffset(), 0);
    Walker* staff = park.Add(OBJECT_MECHANIC, {0, 0});
    park.OrderTo(staff, MT_PAVEMENT2POINT, Centre(4, 2));
    ASSERT_TRUE(park.RunUntilHeard(staff, MT_MOVEIMHERE));
    EXPECT_EQ(staff->Count(MT_MOVE_NEW_GRID_SQUARE), 0);
}

TEST(PathWalks, OrdersSearchBetweenTheirEndsMovedOntoFittingCellsOrSayWhyNot)
{
    // An end that does not fit its order (a cell sharing a bit with the order's mask and not scenery ground) is
    // moved to its first fitting side neighbour, in the order y + 1, x + 1, y - 1, x - 1; both ends must fit. The
    // result: the found path's ends, or none; the messages heard; whether the walker walks on (straight).
    const struct
    {
        std::vector<std::string> rows;
        uint32_t order;
        GridPos from, to;
        const char* result;
    } cases[] = {
        // Footpath orders: ground ends beside the footpath, several fitting neighbours to choose from.
        {{"PPPPP", "P.PP.", "PPPPP"}, MT_PAVEMENT2POINT, {1, 1}, {4, 1}, "(1,2)-(4,2) moving"},
        {{"PPPPP", "P.PP.", "..PPP"}, MT_PAVEMENT2POINT, {1, 1}, {4, 1}, "(2,1)-(4,2) moving"},
        {{"PPPPP", "P....", "....."}, MT_PAVEMENT2POINT, {1, 1}, {4, 1}, "(1,0)-(4,0) moving"},
        {{"PPPPP", "P...P", "P.#.P", ".#..."}, MT_PAVEMENT2POINT, {1, 2}, {4, 2}, "(0,2)-(4,2) moving"},
        {{"PPPP", "....", "...."}, MT_PAVEMENT2POINT, {0, 2}, {3, 1}, "none blocked"},
        // No path, but the end a step from the footpath: straight there; two cells apart: blocked.
        {{"P."}, MT_PAVEMENT2POINT, {0, 0}, {1, 0}, "none moving"},
        {{".."}, MT_PAVEMENT2POINT, {0, 0}, {1, 0}, "none blocked"},
        {{"P.P"}, MT_PAVEMENT2POINT, {0, 0}, {2, 0}, "none blocked"},
        // Scenery ground never fits, even under footpath, and moves an end standing on it.
        {{"PPPPP", "P.PP.", "PFPPP"}, MT_PAVEMENT2POINT, {1, 1}, {4, 1}, "(2,1)-(4,2) moving"},
        {{"PPPPP", "F...P"}, MT_PAVEMENT2POINT, {0, 1}, {4, 1}, "(0,0)-(4,1) moving"},
        // Orders to objects move no end.
        {{"PPPPP", "....P", "PPPPP"}, MT_PAVEMENT2OBJECT, {0, 1}, {4, 0}, "none blocked"},
        // On foot: round a wall; ends under a building move onto the ground beside them; with no way the walker
        // says it cannot and walks straight.
        {{"...", ".#.", "..."}, MT_MOVE2POINT, {1, 0}, {1, 2}, "(1,0)-(1,2) moving"},
        {{"h...h", "h.h.h", "hhhhh"}, MT_MOVE2POINT, {0, 0}, {4, 0}, "(1,0)-(3,0) moving"},
        {{"h...h", "hhhhh"}, MT_MOVE2POINT, {1, 1}, {3, 1}, "(1,0)-(3,0) moving"},
        {{"hhh", "h.h", "hhh"}, MT_MOVE2POINT, {0, 0}, {2, 2}, "none cannot moving"},
        {{".#."}, MT_MOVE2POINT, {0, 0}, {2, 0}, "none cannot moving"},
        // Through scenery: the same, and a building standing on ground fits but cannot be entered.
        {{"h.S.h"}, MT_PATH_THROUGH_SCENERY, {0, 0}, {4, 0}, "(1,0)-(3,0) moving"},
        {{"H.S.H"}, MT_PATH_THROUGH_SCENERY, {0, 0}, {4, 0}, "none no scenery path"},
        {{".h.", ".h.", ".h."}, MT_PATH_THROUGH_SCENERY, {0, 1}, {2, 1}, "none no scenery path"},
    };
    for (const auto& c : cases)
    {
        Walks park(c.rows);
        Walker* w = park.Add(OBJECT_GUEST, c.from);
        Building* target = park.AddBuilding(c.to);
        target->hasQueue = false;
        target->serveIn = Centre(c.to.x, c.to.y);
        if (c.order == MT_PAVEMENT2OBJECT)
            park.Order(w, c.order, 0, target->GetID());
        else
            park.OrderTo(w, c.order, Centre(c.to.x, c.to.y));
        const PathFollower* f = w->GetPathFollower();
        std::string result = f ? Cells({f->GetPath().m_Start}) + "-" + Cells({f->GetPath().m_Stop}) : "none";
        for (auto [type, name] : {std::pair{MT_PATHBLOCKED, " blocked"},
                                  {MT_CANT_MOVE, " cannot"},
                                  {MT_NO_SCENERY_PATH, " no scenery path"}})
            result += w->Count(type) ? name : "";
        result += w->IsMoving() ? " moving" : "";
        EXPECT_EQ(result, c.result) << c.rows[0] << " order " << c.order;
        EXPECT_EQ(w->IsWaitingForMoveImHere(), w->IsMoving());
        if (c.order == MT_MOVE2POINT && !f)
        {
            ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE)) << "straight on";
            EXPECT_LT(w->Distance(Centre(c.to.x, c.to.y)), 1.5f);
        }
    }
}

TEST(PathWalks, APathBlockedAheadIsSearchedAgainButAScenePathIsWalkedOn)
{
    // The search takes the south side (y = 0) first; a building goes up on it, far ahead or on the very step the
    // walker heads for. On foot, one that stands on walkable ground blocks nothing: the walker keeps its path.
    struct Case
    {
        uint32_t order;
        GridPos cell;
        char building;
        int searches;
    };
    for (const Case& c : {Case{MT_PAVEMENT2POINT, {2, 0}, 'h', 2}, Case{MT_PAVEMENT2POINT, {0, 0}, 'h', 2},
                          Case{MT_MOVE2POINT, {2, 0}, 'h', 2}, Case{MT_MOVE2POINT, {2, 0}, 'H', 1},
                          Case{MT_MOVE2POINT, {0, 0}, 'H', 1}})
    {
        SCOPED_TRACE(std::to_string(c.order) + ": " + std::string(1, c.building) + " at " + Cells({c.cell}));
        Walks park({"PPPPP", "P###P", "PPPPP"});
        Walker* w = park.Add(OBJECT_GUEST, {0, 1});
        park.OrderTo(w, c.order, Centre(4, 1));
        park.Frame();
        ASSERT_TRUE(w->GetPathFollower());
        ASSERT_EQ(w->GetPathFollower()->GetCurrentStep(), (GridPos{0, 0}));
        park.map->GetCell(c.cell)->m_uiFlags = FlagsOf(c.building);
        ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
        int again = 0;
        for (const Heard& h : w->heard)
        {
            if (c.building == 'h')
            {
                EXPECT_NE(h.cell, c.cell);
            }
            again += h.type == c.order && h.flags == uint32_t(Centre(4, 1).x) && h.data == uint32_t(Centre(4, 1).y);
        }
        EXPECT_EQ(again, c.searches) << "the order, and a new search when the way is blocked";
        EXPECT_LT(w->Distance(Centre(4, 1)), 1.5f);
    }
    Walks open({".S.", "..."});
    Walker* a = open.Add(OBJECT_ANIMAL, {0, 0});
    open.OrderTo(a, MT_PATH_THROUGH_SCENERY, Centre(2, 0));
    EXPECT_EQ(Cells(a->GetPathFollower()->GetPath().m_pDirections), "(1,0)");
    open.map->GetCell({1, 0})->m_uiFlags = 0x3;
    open.Frame();
    EXPECT_TRUE(a->GetPathFollower());
    EXPECT_EQ(a->heard.size(), 1u) << "only the order itself";
}

TEST(Orders, OrdersToPointsOffTheMapOrToObjectsThatAreGoneCannotMove)
{
    Walks park({"PPPP", "PPPP"});
    Building* shop = park.AddBuilding({3, 1});
    Walker* friendly = park.Add(OBJECT_MECHANIC, {2, 1});
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    // 128 x 128 map units: x 128 and y 128 are the first points off it.
    for (uint32_t order : {MT_MOVE2POINT, MT_PAVEMENT2POINT, MT_PATH_THROUGH_SCENERY, MT_MOVE_DIRECT_2POINT})
        for (auto [x, y] : {std::pair{128u, 40u}, std::pair{40u, 128u}, std::pair{0xFFFFFFFFu, 0u}})
        {
            w->heard.clear();
            park.Order(w, order, x, y);
            EXPECT_FALSE(w->IsMoving() || w->IsWaitingForMoveImHere()) << order << " " << x << "," << y;
            EXPECT_EQ(w->Count(MT_CANT_MOVE), 1) << order;
            park.Frame();
            EXPECT_EQ(w->Count(MT_MOVEIMHERE), 0) << order;
        }
    park.Order(w, MT_MOVE_DIRECT_2POINT, 127, 127);
    EXPECT_TRUE(w->IsMoving()) << "the last point on the map";
    // Objects standing off the map (a walker cannot: it is put on the map's edge), and objects that are gone.
    shop->queueStart = {200.0f, 32.0f, 0.0f};
    Building* post = park.AddBuilding({2, 0});
    post->SetType(OBJECT_SCENERY);
    post->SetWorldPosition({40.0f, 300.0f, 0.0f});
    friendly->SetWorldPosition({40.0f, 300.0f, 0.0f});
    EXPECT_EQ(WorldMap::WorldToGrid(friendly->GetWorldPosition()), (GridPos{1, 1}));
    for (auto [order, id] : {std::pair{MT_PAVEMENT2OBJECT, shop->GetID()},
                             {MT_MOVE_DIRECT_2OBJECT, shop->GetID()},
                             {MT_MOVE2OBJECT, post->GetID()},
                             {MT_MOVE2OBJECT, 12345u},
                             {MT_PAVEMENT2OBJECT, 12345u},
                             {MT_PATH_THROUGH_SCENERY2OBJECT, 12345u},
                             {MT_MOVE_DIRECT_2OBJECT, 12345u},
                             {MT_MOVE_INSIDE_BUILDING, 12345u},
                             {MT_MOVE_THRU_BUILDING, 12345u}})
    {
        w->SetWorldPosition(Centre(0, 0));
        w->heard.clear();
        park.Order(w, order, 0, id);
        EXPECT_FALSE(w->IsMoving()) << order << " " << id;
        EXPECT_EQ(w->Count(MT_CANT_MOVE), 1) << order << " " << id;
    }
    // A queue walk needs its building too.
    w->heard.clear();
    w->SetScriptVariable(ScriptOperand{MovingObject::VAR_DEST_OBJECT}, ScriptValue::UInt(12345));
    park.Order(w, MT_MOVE_ALONG_QUEUE, 0, 0);
    EXPECT_EQ(w->Count(MT_CANT_MOVE), 1);
}

// A walker says it handled every movement message, whatever became of the order (done at once, refused, or
// walked), and the state change its base takes; any other message is left to whoever offered it.
TEST(Orders, AWalkerSaysWhichMessagesItHandled)
{
    const struct
    {
        uint32_t type;
        bool handled;
    } cases[] = {
        {MT_MOVE2POINT, true},         {MT_MOVE2OBJECT, true},          {MT_PAVEMENT2POINT, true},
        {MT_PAVEMENT2OBJECT, true},    {MT_PATH_THROUGH_SCENERY, true}, {MT_PATH_THROUGH_SCENERY2OBJECT, true},
        {MT_MOVE_DIRECT_2POINT, true}, {MT_MOVE_DIRECT_2OBJECT, true},  {MT_MOVESTOP, true},
        {MT_MOVE_CARRY_ON, true},      {MT_MOVE_INSIDE_BUILDING, true}, {MT_MOVE_THRU_BUILDING, true},
        {MT_MOVE_ALONG_QUEUE, true},   {MT_FINISHED_QUEUE, true},       {MT_STATECHANGE, true},
        {MT_MOVEIMHERE, false},        {MT_CANT_MOVE, false},           {MT_REACHED_FOLLOW_DISTANCE, false},
    };
    for (uint32_t data : {0u, 12345u})
    {
        Walks park({"PPPP", "PPPP"});
        Walker* w = park.Add(OBJECT_GUEST, {1, 1});
        for (const auto& c : cases)
        {
            const MessageRecord record = worldtest::Record(w->GetID(), w->GetID(), c.type, data);
            EXPECT_EQ(w->Message(record), c.handled) << "type " << c.type << ", data " << data;
        }
    }
}

TEST(Orders, BuildingsAreWalkedToTheirQueueOrServingPointAndOtherObjectsToWhereTheyStand)
{
    Walks park({"PPPPPP", "PPPPPP"});
    Building* shop = park.AddBuilding({5, 0});
    shop->queueStart = Centre(4, 1);
    shop->serveIn = Centre(5, 1);
    Walker* friendly = park.Add(OBJECT_MECHANIC, {2, 1});
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    // Order, flags, whether the shop has a queue, and the point it heads for.
    const struct
    {
        uint32_t order, flags;
        bool queue;
        BaseObject* target;
        Vec3 point;
    } rows[] = {{MT_PAVEMENT2OBJECT, 0, true, shop, Centre(4, 1)},
                {MT_MOVE2OBJECT, 1, true, shop, Centre(5, 1)},
                {MT_MOVE2OBJECT, 0, false, shop, Centre(5, 1)},
                {MT_PATH_THROUGH_SCENERY2OBJECT, 1, true, shop, Centre(4, 1)},
                {MT_MOVE_DIRECT_2OBJECT, 0, true, shop, Centre(4, 1)},
                {MT_MOVE_DIRECT_2OBJECT, 0, false, shop, WorldMap::GridToWorld({5, 0})},
                {MT_MOVE_DIRECT_2OBJECT, 0, true, friendly, Centre(2, 1)},
                {MT_PAVEMENT2OBJECT, 0, true, friendly, Centre(2, 1)}};
    for (const auto& r : rows)
    {
        shop->hasQueue = r.queue;
        w->SetWorldPosition(Centre(0, 0));
        park.Order(w, r.order, r.flags, r.target->GetID());
        EXPECT_EQ(w->GetDestObjectID(), r.target->GetID());
        EXPECT_EQ(std::pair(w->GetDestination().x, w->GetDestination().y), std::pair(r.point.x, r.point.y))
            << r.order << " " << r.flags;
    }
    shop->hasQueue = true;
    park.Order(w, MT_PAVEMENT2OBJECT, 0, shop->GetID());
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_LT(w->Distance(Centre(4, 1)), 1.5f);
}

// A new order to an object drops the path of the walk before it, even when it finds none of its own: the walker
// goes straight to the object beside it, not on along the old path.
TEST(Orders, AnOrderToAnObjectDropsThePathOfTheWalkBeforeIt)
{
    const uint32_t orders[] = {MT_MOVE2OBJECT, MT_PAVEMENT2OBJECT, MT_PATH_THROUGH_SCENERY2OBJECT};
    for (const uint32_t order : orders)
    {
        SCOPED_TRACE(order);
        Walks park({"PPPPPPPP", "PPPPPPPP"});
        Walker* w = park.Add(OBJECT_GUEST, {0, 0});
        Walker* friendly = park.Add(OBJECT_MECHANIC, {0, 0});
        park.OrderTo(w, MT_MOVE2POINT, Centre(7, 1));
        ASSERT_NE(w->GetPathFollower(), nullptr);
        // The friendly walker stands in the walker's own cell: no path to search.
        park.Order(w, order, 0, friendly->GetID());
        EXPECT_EQ(w->GetPathFollower(), nullptr);
        if (w->IsMoving())
        {
            ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
            EXPECT_LT(w->Distance(Centre(0, 0)), 1.5f);
        }
    }
}

TEST(BuildingWalks, EntryExitAndThroughPointsAreWalkedInOrderUntilTheBuildingGoes)
{
    Walks park({"......", "......"});
    Building* shop = park.AddBuilding({3, 0});
    shop->in = {Centre(1, 0), Centre(2, 0), Centre(2, 1)};
    shop->out = {Centre(4, 1), Centre(5, 1)};
    shop->thru = {Centre(3, 0)};
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0});
    park.Order(w, MT_MOVE_INSIDE_BUILDING, 0, shop->GetID());
    EXPECT_EQ(std::tuple(w->IsWalkingInBuilding(), w->GetNumWalkPts(), shop->askedKind),
              std::tuple(true, 3, uint8_t{OBJECT_MECHANIC}));
    std::vector<int32_t> points;
    for (int i = 0; i < 400 && w->Count(MT_MOVEIMHERE) == 0; ++i)
    {
        if (points.empty() || points.back() != w->GetCurrWalkPt())
            points.push_back(w->GetCurrWalkPt());
        park.Frame();
    }
    EXPECT_EQ(points, (std::vector<int32_t>{0, 1, 2, 3})) << "3: past the last point, stopped";
    EXPECT_LT(w->Distance(Centre(2, 1)), 1.5f);
    EXPECT_FALSE(w->IsWalkingInBuilding());
    // Flags set: the exit points; then the walk through.
    for (auto [order, flags, last] :
         {std::tuple{MT_MOVE_INSIDE_BUILDING, 1u, Centre(5, 1)}, std::tuple{MT_MOVE_THRU_BUILDING, 0u, Centre(3, 0)}})
    {
        w->heard.clear();
        park.Order(w, order, flags, shop->GetID());
        EXPECT_TRUE(w->IsWalkingInBuilding() || w->IsWalkingThruBuilding());
        ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
        EXPECT_LT(w->Distance(last), 1.5f);
        EXPECT_FALSE(w->IsWalkingInBuilding() || w->IsWalkingThruBuilding());
    }
    // No points: it stops at once. The building going mid-walk: the walker cannot move on.
    shop->in.clear();
    w->heard.clear();
    park.Order(w, MT_MOVE_INSIDE_BUILDING, 0, shop->GetID());
    EXPECT_FALSE(w->IsMoving());
    park.Frame();
    shop->in = {Centre(4, 0), Centre(5, 0)};
    park.Order(w, MT_MOVE_INSIDE_BUILDING, 0, shop->GetID());
    park.Frame();
    park.objects->RemoveObject(shop->GetID());
    park.Frame();
    park.Frame();
    EXPECT_FALSE(w->IsMoving() || w->IsWalkingInBuilding());
    EXPECT_EQ(std::pair(w->Count(MT_MOVEIMHERE), w->Count(MT_CANT_MOVE)), std::pair(1, 1));
}

// A new order to a point or an object, given while the walker walks a building's entry, exit or through points or
// a queue's points, replaces that walk: the walker goes where the new order sends it and says it is there, also
// when the building is sold and gone meanwhile; it does not walk on through the building or along the queue.
TEST(BuildingWalks, ANewOrderEndsTheBuildingOrQueueWalkUnderWay)
{
    enum Mode
    {
        IN,
        EXIT,
        THRU,
        QUEUE
    };
    const uint32_t orders[] = {MT_MOVE2POINT,  MT_PAVEMENT2POINT,  MT_PATH_THROUGH_SCENERY, MT_MOVE_DIRECT_2POINT,
                               MT_MOVE2OBJECT, MT_PAVEMENT2OBJECT, MT_MOVE_DIRECT_2OBJECT};
    for (const Mode mode : {IN, EXIT, THRU, QUEUE})
        for (const uint32_t order : orders)
            for (const bool sold : {false, true})
            {
                SCOPED_TRACE(testing::Message() << "mode " << mode << ", order " << order << ", sold " << sold);
                Walks park({"PPPPPPPP", "PPPPPPPP"});
                Building* shop = park.AddBuilding({7, 0});
                shop->in = shop->out = shop->thru = {Centre(4, 0), Centre(6, 1), Centre(7, 1)};
                for (int32_t x = 6; x >= 3; --x)
                    shop->queue.push_back(Centre(x, 0));
                Walker* friendly = park.Add(OBJECT_MECHANIC, {1, 1});
                Walker* w = park.Add(OBJECT_GUEST, {2, 0});
                if (mode == QUEUE)
                {
                    park.Order(w, MT_MOVE_DIRECT_2OBJECT, 0, shop->GetID());
                    park.Order(w, MT_MOVE_ALONG_QUEUE, 1, 0);
                }
                else
                    park.Order(w, mode == THRU ? MT_MOVE_THRU_BUILDING : MT_MOVE_INSIDE_BUILDING, mode == EXIT,
                               shop->GetID());
                park.Frame();
                ASSERT_TRUE(w->IsMoving());
                w->heard.clear();
                const bool toObject =
                    order == MT_MOVE2OBJECT || order == MT_PAVEMENT2OBJECT || order == MT_MOVE_DIRECT_2OBJECT;
                if (toObject)
                    park.Order(w, order, 0, friendly->GetID());
                else
                    park.OrderTo(w, order, Centre(1, 1));
                if (sold)
                    park.objects->RemoveObject(shop->GetID());
                for (int i = 0; i < 400 && w->Count(MT_MOVEIMHERE) + w->Count(MT_CANT_MOVE) == 0; ++i)
                    park.Frame();
                EXPECT_EQ(std::pair(w->Count(MT_MOVEIMHERE), w->Count(MT_CANT_MOVE)), std::pair(1, 0));
                EXPECT_LT(w->Distance(Centre(1, 1)), 1.5f);
                EXPECT_FALSE(w->IsWalkingInBuilding() || w->IsWalkingThruBuilding() || w->IsWalkingOnQueue());
            }
}

TEST(QueueWalks, TheQueuesPointsAreWalkedBackToATargetOrOutToTheLastAndNeverLeft)
{
    // A shop at the end of an 8-cell row with five queue points from x = 6 down to 2; a guest heading for it.
    Walks park({"........"});
    Building* shop = park.AddBuilding({7, 0});
    for (int32_t x = 6; x >= 2; --x)
        shop->queue.push_back(Centre(x, 0));
    Walker* w = park.Add(OBJECT_GUEST, {1, 0});
    park.Order(w, MT_MOVE_DIRECT_2OBJECT, 0, shop->GetID());
    // Joining: backwards from the last point to point 2, on the inward file.
    park.Order(w, MT_MOVE_ALONG_QUEUE, 1, 2);
    EXPECT_EQ(w->GetCurrWalkPt(), 4);
    EXPECT_EQ(w->GetQueueXPos(), (std::deque<int32_t>{208, 176, 144, 112, 80}));
    EXPECT_EQ(w->GetQueueYPos(), (std::deque<int32_t>{32, 32, 32, 32, 32}));
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_EQ(std::pair(w->GetCurrWalkPt(), w->IsWalkingOnQueue()), std::pair(2, true)) << "on until finished";
    EXPECT_LT(w->Distance({144.0f, 32.0f, 0.0f}), 1.5f);
    // Forwards from where it stands out to the last point, on the outward file (half a unit east, cut to 80).
    w->heard.clear();
    park.Order(w, MT_MOVE_ALONG_QUEUE, 0, 0);
    EXPECT_EQ(std::pair(w->GetCurrWalkPt(), w->GetQueueXPos().front()), std::pair(2, 208));
    ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
    EXPECT_EQ(w->GetCurrWalkPt(), 4);
    park.Order(w, MT_FINISHED_QUEUE, 0, 0);
    EXPECT_FALSE(w->IsWalkingOnQueue());
    // The queue cut to two points while the walker stands at point 4; a target beyond it, then below the first.
    park.Order(w, MT_MOVE_ALONG_QUEUE, 1, 4);
    shop->queue.resize(2);
    for (auto [target, stop] : {std::pair{3u, 1}, std::pair{uint32_t(-5), 0}})
    {
        w->heard.clear();
        park.Order(w, MT_MOVE_ALONG_QUEUE, 1, target);
        ASSERT_TRUE(park.RunUntilHeard(w, MT_MOVEIMHERE));
        EXPECT_EQ(w->GetCurrWalkPt(), stop);
    }
    // No points at all: it stops at once.
    shop->queue.clear();
    park.Order(w, MT_MOVE_ALONG_QUEUE, 0, 0);
    EXPECT_FALSE(w->IsMoving() || !w->GetQueueXPos().empty());
}

TEST(FollowWalks, AFollowerReportsTheDistanceOnceAndArrivesWhenItsLeaderStopsOrCannotMoveWhenItGoes)
{
    Walks park({std::string(40, '.')});
    Walker* leader = park.Add(OBJECT_MECHANIC, {10, 0}, 15.0f);
    Walker* follower = park.Add(OBJECT_MECHANIC, {0, 0});
    Walker* seeker = park.Add(OBJECT_MECHANIC, {0, 0});
    Walker* standing = park.Add(OBJECT_MECHANIC, {5, 0});
    Walker* lost = park.Add(OBJECT_MECHANIC, {0, 0});
    park.OrderTo(leader, MT_MOVE_DIRECT_2POINT, Centre(39, 0));
    park.OrderTo(follower, MT_MOVE_DIRECT_2POINT, Centre(10, 0));
    follower->SetBehaviour(MovingObject::BEHAVIOUR_FOLLOW);
    follower->SetFollow(leader->GetID(), 20);
    // Seeking its point while following, the seeker arrives (again and again, swinging round it), finds the leader
    // still walking and carries on, the rest of that frame's time dropped.
    park.OrderTo(seeker, MT_MOVE_DIRECT_2POINT, Centre(1, 0));
    seeker->SetFollow(leader->GetID(), 20);
    park.OrderTo(lost, MT_MOVE_DIRECT_2POINT, Centre(30, 0));
    lost->SetBehaviour(MovingObject::BEHAVIOUR_FOLLOW);
    lost->SetFollow(standing->GetID(), 5);
    int dropped = 0;
    for (int i = 0; i < 200; ++i)
    {
        park.Frame();
        dropped += seeker->GetLastTimeRemaining() == 0.0f ? 1 : 0;
        if (i == 0)
            park.objects->RemoveObject(standing->GetID());
    }
    EXPECT_GT(dropped, 0);
    EXPECT_TRUE(seeker->IsMoving() && seeker->IsFollowing() && !seeker->Count(MT_MOVEIMHERE));
    EXPECT_TRUE(follower->IsMoving()) << "the leader still walks";
    EXPECT_EQ(follower->Count(MT_REACHED_FOLLOW_DISTANCE), 1);
    // The one whose leader went cannot move.
    EXPECT_FALSE(lost->IsMoving() || lost->IsFollowing());
    EXPECT_EQ(lost->Count(MT_CANT_MOVE), 1);
    park.Order(leader, MT_MOVESTOP, 0, 0);
    ASSERT_TRUE(park.RunUntilHeard(follower, MT_MOVEIMHERE, 100));
    EXPECT_FALSE(follower->IsFollowing());
    EXPECT_EQ(follower->GetBehaviour(), MovingObject::BEHAVIOUR_SEEK);
}

TEST(Heights, AWalkerRampsToACellsHeightOverSixteenUnits)
{
    Walks park({"....."});
    park.map->GetCell({2, 0})->m_ZOffset = 2.0f;
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0}, 15.0f);
    park.OrderTo(w, MT_MOVE_DIRECT_2POINT, Centre(4, 0));
    // The distance walked since the walker first stood in the raised cell (x 64), and beyond it (x 96): it ramps
    // up over 16 units and back down over 16.
    float up = -1.0f, down = -1.0f;
    for (int i = 0; i < 400 && w->IsMoving(); ++i)
    {
        const float before = w->GetWorldPosition().x;
        park.Frame();
        const float now = w->GetWorldPosition().x;
        up = up >= 0.0f || now >= 64.0f ? std::max(up, 0.0f) + now - before : -1.0f;
        down = down >= 0.0f || now >= 96.0f ? std::max(down, 0.0f) + now - before : -1.0f;
        const float expected = down >= 0.0f ? 2.0f - std::min(down, 16.0f) / 8.0f : std::max(up, 0.0f) / 8.0f;
        EXPECT_NEAR(w->GetZOffset(), std::min(expected, 2.0f), 1e-4f) << now;
        EXPECT_FLOAT_EQ(w->GetPosition().y, w->GetZOffset());
    }
    EXPECT_TRUE(up >= 16.0f && down >= 16.0f);
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
    const auto get = [&](uint32_t id)
    {
        const ScriptValue v = w->GetScriptVariable(ScriptOperand{id});
        return std::pair(v.type, v.data);
    };
    using V = std::pair<uint32_t, uint32_t>;
    const V no = {SCRIPT_VALUE_BOOL, 0};
    EXPECT_EQ(get(120), no);
    park.Order(w, MT_MOVE_DIRECT_2OBJECT, 0, shop->GetID());
    // Moving, DestObject, DestDir, DestObjectExitX and Y, DestObjectEntranceX and Y.
    std::vector<uint32_t> values;
    for (uint32_t id : {120u, 121u, 24u, 30u, 31u, 122u, 123u})
        values.push_back(get(id).second + (get(id).first == SCRIPT_VALUE_UINT ? 0u : 1000u));
    EXPECT_EQ(values, (std::vector<uint32_t>{1001, shop->GetID(), 3, 150, 20, 100, 40}));
    // Without a queue the entrance has no value; the unknown name neither; other ids reach the base.
    shop->hasQueue = false;
    EXPECT_EQ(std::tuple(get(122), get(HumanObject::kUnknownVariable), get(BaseObject::VAR_ME).second),
              std::tuple(no, no, w->GetID()));
    // Writing DestObject takes the value as an integer; no object 7 answers nothing.
    for (auto [value, id] : {std::pair{ScriptValue::Float(7.9f), 7u},
                             {ScriptValue::Bool(true), 1u},
                             {ScriptValue::UInt(shop->GetID()), shop->GetID()}})
    {
        w->SetScriptVariable(ScriptOperand{121}, value);
        EXPECT_EQ(w->GetDestObjectID(), id);
    }
    w->SetScriptVariable(ScriptOperand{121}, ScriptValue::UInt(7));
    EXPECT_EQ(std::pair(get(24), get(30)), std::pair(no, no));
    w->SetScriptVariable(ScriptOperand{BaseObject::VAR_WORLD_X}, ScriptValue::UInt(70));
    EXPECT_FLOAT_EQ(w->GetSteerPosition().x, 70.0f);
}

TEST(WalkerRecords, WalkersCaughtInEveryWalkModeOfRealWalksLoadAndSaveAlike)
{
    // Walks as the park's guests and staff walk them, one order after another; the walker is saved after every
    // order and every frame, loaded into another walker and saved again.
    Walks park({"PPPPPPPP", "PPPPPPPP", "........"});
    Building* shop = park.AddBuilding({7, 0});
    shop->queueStart = Centre(6, 0);
    for (int32_t x = 6; x >= 3; --x)
        shop->queue.push_back(Centre(x, 0));
    shop->in = {Centre(7, 1), Centre(6, 1)};
    shop->out = {Centre(5, 1), Centre(4, 1)};
    shop->thru = {Centre(2, 1), Centre(1, 1)};
    Walker* leader = park.Add(OBJECT_MECHANIC, {7, 2}, 15.0f);
    Walker* w = park.Add(OBJECT_GUEST, {0, 1});
    Walker copy;
    copy.Create("COPY");
    int saves = 0;
    const auto check = [&](const std::string& when)
    {
        const Bytes saved = SaveWalker(w);
        ASSERT_TRUE(LoadWalker(&copy, saved)) << when;
        ASSERT_EQ(SaveWalker(&copy), saved) << when;
        ++saves;
    };
    // Each step: an order (a point order heads for the centre of cell x, y), and what goes with it.
    enum Extra
    {
        None,
        QueueGone,
        FinishQueue,
        StopAndCarryOn,
        Follow
    };
    const struct
    {
        uint32_t order, flags, data;
        Extra extra;
    } steps[] = {{MT_PAVEMENT2OBJECT, 0, shop->GetID(), None},
                 {MT_MOVE_ALONG_QUEUE, 1, 0, None},
                 {MT_MOVE_INSIDE_BUILDING, 0, shop->GetID(), None},
                 {MT_MOVE_INSIDE_BUILDING, 1, shop->GetID(), None},
                 {MT_MOVE_ALONG_QUEUE, 0, 0, QueueGone},
                 {MT_MOVE_THRU_BUILDING, 0, shop->GetID(), None},
                 {MT_MOVE2POINT, 0, 2, FinishQueue},
                 {MT_PATH_THROUGH_SCENERY, 7, 1, StopAndCarryOn},
                 {MT_MOVE_DIRECT_2POINT, 7, 2, Follow}};
    for (const auto& step : steps)
    {
        const std::string name = "step " + std::to_string(&step - steps);
        w->heard.clear();
        if (step.extra == QueueGone)
            shop->queue.clear();
        if (step.extra == FinishQueue)
            park.Order(w, MT_FINISHED_QUEUE, 0, 0);
        if (step.extra == Follow)
            park.OrderTo(leader, MT_MOVE_DIRECT_2POINT, Centre(5, 2));
        const bool toPoint =
            step.order == MT_MOVE2POINT || step.order == MT_PATH_THROUGH_SCENERY || step.order == MT_MOVE_DIRECT_2POINT;
        if (toPoint)
            park.OrderTo(w, step.order, Centre(int32_t(step.flags), int32_t(step.data)));
        else
            park.Order(w, step.order, step.flags, step.data);
        if (step.extra == Follow)
        {
            w->SetBehaviour(MovingObject::BEHAVIOUR_FOLLOW);
            w->SetFollow(leader->GetID(), 20);
        }
        if (step.extra == StopAndCarryOn)
        {
            park.Frame();
            park.Order(w, MT_MOVESTOP, 0, 0);
            check(name + " stopped");
            park.Order(w, MT_MOVE_CARRY_ON, 0, 0);
        }
        check(name);
        for (int i = 0; i < 300 && w->Count(MT_MOVEIMHERE) == 0; ++i)
        {
            park.Frame();
            check(name + " frame " + std::to_string(i));
        }
        EXPECT_EQ(w->Count(MT_MOVEIMHERE), 1) << name;
    }
    EXPECT_GT(saves, 200);
}

TEST(WalkerRecords, SavedWalkersThatAreCutShortOrDoNotHoldTogetherAreRefused)
{
    Walks park({"PPPPPP", "PPPPPP"});
    Building* shop = park.AddBuilding({5, 1});
    for (int32_t x = 0; x < 4; ++x)
        shop->queue.push_back(Centre(4 - x, 1));
    Walker* w = park.Add(OBJECT_GUEST, {0, 0});
    park.OrderTo(w, MT_PAVEMENT2POINT, Centre(5, 0));
    park.Frame();
    const Bytes onPath = SaveWalker(w);
    park.Order(w, MT_MOVE_DIRECT_2POINT, 150, 40);
    w->SetScriptVariable(ScriptOperand{MovingObject::VAR_DEST_OBJECT}, ScriptValue::UInt(shop->GetID()));
    park.Order(w, MT_MOVE_ALONG_QUEUE, 1, 1);
    const Bytes onQueue = SaveWalker(w);
    Walker* copy = park.Add(OBJECT_GUEST, {0, 1});
    for (const Bytes* good : {&onPath, &onQueue})
    {
        ASSERT_TRUE(LoadWalker(copy, *good));
        for (size_t cut = 0; cut + 1 < good->size(); cut += 2)
            EXPECT_FALSE(LoadWalker(copy, Bytes(good->begin(), good->begin() + cut))) << cut;
    }
    // The items of the record, walked as the stream's format lays them out: bools and bytes take 2 bytes, texts
    // 5 and their characters, everything else 5.
    std::vector<size_t> items;
    for (size_t at = 0; at < onQueue.size();)
    {
        items.push_back(at);
        const uint8_t tag = onQueue[at];
        at += (tag == 2 || tag == 8 ? 2 : 5) + (tag <= 1 ? onQueue[at + 1] : 0);
    }
    const auto patched = [&](size_t item, uint32_t value)
    {
        Bytes b = onQueue;
        for (int i = 0; i < 4; ++i)
            b[items[item] + 1 + i] = uint8_t(value >> (8 * i));
        return b;
    };
    const auto bits = [](float f) { return std::bit_cast<uint32_t>(f); };
    // The path mark (item 25) neither 0 nor 1; the walk point count (29) and index (30) negative or past any
    // building's points; the X count (35) other than the Y count.
    const std::pair<size_t, uint32_t> bad[] = {
        {24, 2}, {28, uint32_t(-1)}, {28, 1u << 21}, {29, uint32_t(-1)}, {29, 1u << 21}, {34, 3},
        {34, 5}, {34, uint32_t(-1)}};
    for (auto [item, value] : bad)
        EXPECT_FALSE(LoadWalker(copy, patched(item, value))) << item << " " << value;
    // A walker just made has no queue points: both counts (items 35 and 36) negative still hold together, as no
    // points follow, but are no count at all.
    const Bytes fresh = SaveWalker(park.Add(OBJECT_GUEST, {1, 1}));
    std::vector<size_t> freshItems;
    for (size_t at = 0; at < fresh.size();)
    {
        freshItems.push_back(at);
        at += (fresh[at] == 2 || fresh[at] == 8 ? 2 : 5) + (fresh[at] <= 1 ? fresh[at + 1] : 0);
    }
    ASSERT_TRUE(LoadWalker(copy, fresh));
    ASSERT_GT(freshItems.size(), 35u);
    Bytes negative = fresh;
    for (size_t item : {34u, 35u})
    {
        ASSERT_EQ(negative[freshItems[item] + 1], 0) << "no queue points";
        std::fill_n(negative.begin() + std::ptrdiff_t(freshItems[item]) + 1, 4, uint8_t(0xFF));
    }
    EXPECT_FALSE(LoadWalker(copy, negative));
    // Every float before the scene part not finite: the walker's own 21 and its position, 3 more.
    int floats = 0;
    for (size_t item = 0; floats < 24; ++item)
    {
        if (onQueue[items[item]] != 3)
            continue;
        ++floats;
        for (float bad : {std::nanf(""), INFINITY, -INFINITY})
            EXPECT_FALSE(LoadWalker(copy, patched(item, bits(bad)))) << "float " << floats;
    }
    // The mass (item 3), force limit (10) and speed (11) divide: none may be 0 or below.
    for (size_t item : {2u, 9u, 10u})
        for (float bad : {0.0f, -5.0f})
            EXPECT_FALSE(LoadWalker(copy, patched(item, bits(bad)))) << item << " " << bad;
    ASSERT_TRUE(LoadWalker(copy, patched(10, bits(0.5f)))) << "a slow walker is still a walker";
    EXPECT_FALSE(park.reports.boxes.empty());
}

namespace
{

// A walk caught in the middle, rebuilt the same way in a fresh park for every trial: the park's objects in the same
// order (so they get the same ids), and the walker set going as it was when it was saved.
struct CaughtWalk
{
    const char* name;
    std::function<Walker*(Walks&)> build;
    int frames;
};

// The offsets of the float items (tag 3) of a saved record, walked as the stream's format lays them out: bools and
// bytes take 2 bytes, texts 5 and their characters, everything else 5.
std::vector<size_t> FloatItems(const Bytes& record)
{
    std::vector<size_t> floats;
    for (size_t at = 0; at < record.size();)
    {
        const uint8_t tag = record[at];
        if (tag == 3)
            floats.push_back(at);
        at += (tag == 2 || tag == 8 ? 2 : 5) + (tag <= 1 ? record[at + 1] : 0);
    }
    return floats;
}

} // namespace

TEST(WalkerRecords, SavedFloatsBeyondWhatTheGameMakesAreRefusedOrTheWalkerStaysOnTheMap)
{
    // An 8 x 4 map: 256 x 256 map units, footpath on the two first rows, a raised cell to ramp over.
    const std::vector<std::string> rows = {"PPPPPPPP", "PPPPPPPP", "........", "........"};
    constexpr float kExtent = 256.0f;
    const auto park = [&]()
    {
        auto walks = std::make_unique<Walks>(rows);
        walks->map->GetCell({2, 2})->m_ZOffset = 3.0f;
        return walks;
    };
    const CaughtWalk walks[] = {
        {"following a leader that walks on",
         [](Walks& p)
         {
             Walker* leader = p.Add(OBJECT_MECHANIC, {7, 3}, 15.0f);
             Walker* w = p.Add(OBJECT_GUEST, {0, 2}, 40.0f);
             p.OrderTo(leader, MT_MOVE_DIRECT_2POINT, Centre(0, 3));
             p.Order(w, MT_MOVE_DIRECT_2OBJECT, 0, leader->GetID());
             w->SetBehaviour(MovingObject::BEHAVIOUR_FOLLOW);
             w->SetFollow(leader->GetID(), 20);
             return w;
         },
         6},
        {"walking a footpath",
         [](Walks& p)
         {
             Walker* w = p.Add(OBJECT_GUEST, {0, 0}, 30.0f);
             p.OrderTo(w, MT_PAVEMENT2POINT, Centre(7, 1));
             return w;
         },
         4},
        {"arriving over a raised cell",
         [](Walks& p)
         {
             Walker* w = p.Add(OBJECT_MECHANIC, {0, 2}, 50.0f);
             w->SetBehaviour(MovingObject::BEHAVIOUR_ARRIVE);
             p.OrderTo(w, MT_MOVE_DIRECT_2POINT, Centre(6, 2));
             return w;
         },
         5},
    };
    // Huge finite values and no numbers at all, which nothing in a walk comes near (so every one is refused); values
    // just past the map (its extent, and beyond it), a million, a small negative and tiny ones, which may be
    // refused or walked with.
    const struct
    {
        float value;
        bool refused;
    } bad[] = {{1e38f, true},    {-1e38f, true},    {1e20f, true},    {-1e20f, true},          {std::nanf(""), true},
               {INFINITY, true}, {-INFINITY, true}, {kExtent, false}, {kExtent + 0.5f, false}, {1e6f, false},
               {-0.5f, false},   {1e-38f, false},   {-1e-38f, false}};
    int refused = 0, accepted = 0;
    for (const CaughtWalk& walk : walks)
    {
        Bytes record;
        {
            auto original = park();
            Walker* w = walk.build(*original);
            for (int i = 0; i < walk.frames; ++i)
                original->Frame();
            ASSERT_TRUE(w->IsMoving()) << walk.name;
            record = SaveWalker(w);
        }
        const std::vector<size_t> floats = FloatItems(record);
        // The walker's own 21, the path's time stamp when it walks one, its position and the scene's six.
        ASSERT_GE(floats.size(), 30u) << walk.name;
        for (size_t item = 0; item < floats.size(); ++item)
            for (const auto& [value, mustRefuse] : bad)
            {
                Bytes patched = record;
                std::memcpy(&patched[floats[item] + 1], &value, 4);
                auto trial = park();
                Walker* copy = walk.build(*trial);
                const size_t reportsBefore = trial->reports.boxes.size();
                char what[160];
                std::snprintf(what, sizeof what, "%s, float item %zu = %g", walk.name, item, double(value));
                if (!LoadWalker(copy, patched))
                {
                    ++refused;
                    EXPECT_GT(trial->reports.boxes.size(), reportsBefore) << what << ": refused without a report";
                    continue;
                }
                EXPECT_FALSE(mustRefuse) << what << ": loaded";
                ++accepted;
                for (int i = 0; i < 300; ++i)
                    trial->Frame();
                const Vec3 at = copy->GetWorldPosition();
                EXPECT_TRUE(std::isfinite(at.x) && std::isfinite(at.y) && at.x >= 0.0f && at.x < kExtent &&
                            at.y >= 0.0f && at.y < kExtent)
                    << what << ": the walker stands at " << at.x << ", " << at.y;
                const Vec3 scene = copy->GetPosition();
                EXPECT_TRUE(std::isfinite(scene.x) && std::isfinite(scene.y) && std::isfinite(scene.z))
                    << what << ": drawn at " << scene.x << ", " << scene.y << ", " << scene.z;
            }
    }
    // Both ways out were taken: the table meets values a walk can live with and values it cannot.
    EXPECT_GT(refused, 100);
    EXPECT_GT(accepted, 20);
}

TEST(WalkerRecords, EveryValueOfARecordIsTakenInByAWalkerThatHadNone)
{
    // Walkers caught walking back along a queue to a target point and walking a path, with the ids that guests and
    // staff set themselves; each record loaded into a walker just made saves again as it was.
    Walks park({"PPPPPPPP", "PPPPPPPP"});
    Building* shop = park.AddBuilding({7, 0});
    for (int32_t x = 6; x >= 2; --x)
        shop->queue.push_back(Centre(x, 0));
    Walker* queued = park.Add(OBJECT_GUEST, {1, 0}, 20.0f);
    park.Order(queued, MT_MOVE_DIRECT_2OBJECT, 0, shop->GetID());
    park.Order(queued, MT_MOVE_ALONG_QUEUE, 1, 2);
    Walker* walking = park.Add(OBJECT_MECHANIC, {0, 1}, 25.0f);
    park.OrderTo(walking, MT_PAVEMENT2POINT, Centre(6, 1));
    walking->SetGroupAndLeaving(41, shop->GetID());
    queued->SetGroupAndLeaving(7, 9);
    for (int i = 0; i < 3; ++i)
        park.Frame();
    for (Walker* w : {queued, walking})
    {
        const Bytes record = SaveWalker(w);
        Walker* fresh = park.Add(OBJECT_GUEST, {3, 1});
        ASSERT_TRUE(LoadWalker(fresh, record));
        EXPECT_EQ(SaveWalker(fresh), record);
    }
}

TEST(WalkerRecords, ARefusedRecordLeavesTheWalkAsItWas)
{
    // A walker on a footpath, and the record of another walk whose own values are spoiled one at a time.
    Walks park({"PPPPPPPP", "PPPPPPPP"});
    Walker* w = park.Add(OBJECT_GUEST, {0, 0}, 30.0f);
    park.OrderTo(w, MT_PAVEMENT2POINT, Centre(7, 1));
    Walker* other = park.Add(OBJECT_MECHANIC, {7, 0}, 20.0f);
    park.OrderTo(other, MT_PAVEMENT2POINT, Centre(0, 1));
    for (int i = 0; i < 3; ++i)
        park.Frame();
    const Bytes before = SaveWalker(w);
    const Bytes record = SaveWalker(other);
    const std::vector<size_t> floats = FloatItems(record);
    // The walker's own 21 values and its path's time stamp come before anything of its base is read.
    ASSERT_GE(floats.size(), 22u);
    for (size_t item = 0; item < 22; ++item)
        for (float spoiled : {1e30f, -1e30f, std::nanf("")})
        {
            Bytes patched = record;
            std::memcpy(&patched[floats[item] + 1], &spoiled, 4);
            EXPECT_FALSE(LoadWalker(w, patched)) << item << " " << spoiled;
            EXPECT_EQ(SaveWalker(w), before) << item << " " << spoiled;
        }
    ASSERT_TRUE(LoadWalker(w, record));
    EXPECT_EQ(SaveWalker(w), record);
}

TEST(Walking, AWalkerStaysOnTheMapWhateverItIsPutAtAndHowFastOrHighItIsMade)
{
    // A 4 x 2 map: 128 x 128 map units. Put somewhere: where the walker then stands.
    const struct
    {
        Vec3 put;
        float lowX, highX, lowY, highY;
    } places[] = {
        {{-10.0f, 40.0f, 0.0f}, 0.0f, 0.0f, 40.0f, 40.0f},
        {{300.0f, 40.0f, 0.0f}, 127.99f, 128.0f, 40.0f, 40.0f},
        {{40.0f, -1e30f, 0.0f}, 40.0f, 40.0f, 0.0f, 0.0f},
        {{1e38f, 1e38f, 0.0f}, 127.99f, 128.0f, 127.99f, 128.0f},
        {{std::nanf(""), 100.0f, 0.0f}, 40.0f, 40.0f, 100.0f, 100.0f}, // no number: it stays where it was along x
        {{INFINITY, -INFINITY, 0.0f}, 127.99f, 128.0f, 0.0f, 0.0f},
    };
    for (const auto& place : places)
    {
        Walks park({"....", "...."});
        Walker* w = park.Add(OBJECT_MECHANIC, {1, 0});
        w->SetWorldPosition({40.0f, 40.0f, 0.0f});
        w->SetWorldPosition(place.put);
        const Vec3 at = w->GetWorldPosition();
        EXPECT_TRUE(at.x >= place.lowX && at.x <= place.highX && at.x < 128.0f) << place.put.x << " -> " << at.x;
        EXPECT_TRUE(at.y >= place.lowY && at.y <= place.highY && at.y < 128.0f) << place.put.y << " -> " << at.y;
        EXPECT_EQ(w->GetSteerPosition().x, at.x);
        // Where it was put is a place to walk to, even on the map's far edge.
        Walker* other = park.Add(OBJECT_GUEST, {0, 1});
        park.Order(other, MT_MOVE_DIRECT_2OBJECT, 0, w->GetID());
        EXPECT_TRUE(other->IsMoving() && other->Count(MT_CANT_MOVE) == 0) << place.put.x << ", " << place.put.y;
    }
    // Speeds that are no walking speed, and ground heights beyond the height grids' own (-4 for J, 6 for F): the
    // walk stays finite, on the map and among those heights.
    const struct
    {
        float speed, height;
    } walks[] = {{1e30f, 100.0f},           {-5.0f, -100.0f},      {0.0f, std::nanf("")},
                 {std::nanf(""), INFINITY}, {INFINITY, -INFINITY}, {35.0f, 1e38f}};
    for (const auto& walk : walks)
    {
        Walks park({"....", "...."});
        park.map->GetCell({2, 0})->m_ZOffset = walk.height;
        Walker* w = park.Add(OBJECT_MECHANIC, {0, 0});
        w->SetMaxVelocity(walk.speed);
        EXPECT_TRUE(std::isfinite(w->GetMaxVelocity()) && w->GetMaxVelocity() > 0.0f) << walk.speed;
        park.OrderTo(w, MT_MOVE_DIRECT_2POINT, Centre(3, 1));
        for (int i = 0; i < 300; ++i)
        {
            park.Frame();
            const Vec3 at = w->GetWorldPosition();
            ASSERT_TRUE(at.x >= 0.0f && at.x < 128.0f && at.y >= 0.0f && at.y < 128.0f)
                << walk.speed << ": " << at.x << ", " << at.y;
            ASSERT_TRUE(w->GetZOffset() >= -4.0f && w->GetZOffset() <= 6.0f) << walk.height << ": " << w->GetZOffset();
        }
    }
}

TEST(Walking, TimeAWalkCouldNotStepDoesNotPileUpBeyondAFrame)
{
    // A walker on a footpath corridor is held up in a frame of 4 s (the longest): the cell it heads for is built
    // on, so its search fails at the first step and the rest of the frame is left. When it carries on, the next
    // frame of 4 s walks no more than 4 s (and a step) at its speed, not 8.
    Walks park({std::string(40, 'P')});
    park.world.SetSpeed(1.0f);
    Walker* w = park.Add(OBJECT_MECHANIC, {0, 0}, 15.0f);
    park.OrderTo(w, MT_PAVEMENT2POINT, Centre(39, 0));
    park.Frame(0.05f);
    ASSERT_TRUE(w->GetPathFollower());
    const GridPos ahead = w->GetPathFollower()->GetCurrentStep();
    const uint32_t flags = park.map->GetFlags(ahead);
    park.map->GetCell(ahead)->m_uiFlags = (flags | CELL_BUILDING) & ~CELL_WALKABLE;
    park.Frame(4.0f);
    ASSERT_EQ(w->Count(MT_PATHBLOCKED), 1);
    EXPECT_GT(w->GetLastTimeRemaining(), 3.9f);
    park.map->GetCell(ahead)->m_uiFlags = flags;
    park.Order(w, MT_MOVE_CARRY_ON, 0, 0);
    const float from = w->GetWorldPosition().x;
    park.Frame(4.0f);
    const float walked = w->GetWorldPosition().x - from;
    EXPECT_GT(walked, 0.0f);
    EXPECT_LE(walked, 4.02f * 15.0f + 0.01f);
}
