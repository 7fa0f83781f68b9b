// Tests of walkers made as fast as a walk may be: each fixed step carries them several times their arrival radius,
// and still every walk, round corners or straight, ends at its destination.
#include "tests/world/GridTestSupport.h"
#include "tests/world/WorldTestSupport.h"

#include "platform/Random.h"
#include "world/MovingObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace gridtest;

namespace
{

using platform::Vec3;

// A guest as a guest script makes it fast: the pushing force four tenths of the speed.
class FastWalker : public HumanObject
{
public:
    FastWalker() : HumanObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override
    {
        arrivals += record.dwType == MT_MOVEIMHERE;
        return HumanObject::Message(record);
    }
    bool PostMessage(MessageRecord record) override { return g_pMessageHandler->Send(record); }
    bool PostDelayedMessage(MessageRecord record, float delay) override
    {
        return g_pMessageHandler->SendDelayed(record, delay);
    }
    void SetSpeed(float speed)
    {
        SetMaxVelocity(speed);
        m_fMaxForce = 0.4f * speed;
    }

    int arrivals = 0;
};

struct FastPark
{
    explicit FastPark(const std::vector<std::string>& rows) : map(MakeMap(rows)), path(std::make_unique<Path>(*map))
    {
        ClearObjectKinds();
        RegisterObjectKind(OBJECT_GUEST, []() -> BaseObject* { return new FastWalker; });
    }
    ~FastPark()
    {
        objects.reset();
        ClearObjectKinds();
    }
    void Frame()
    {
        world.AdvanceClock(0.05f);
        for (BaseObject* object : objects->GetObjectsOfKind(OBJECT_GUEST))
            object->Update();
        messages->Update();
    }

    testsupport::RecordingReportSink reports;
    World world;
    std::unique_ptr<WorldMap> map;
    std::unique_ptr<Path> path;
    std::unique_ptr<MessageHandler> messages = std::make_unique<MessageHandler>();
    std::unique_ptr<ObjectManager> objects = std::make_unique<ObjectManager>();
};

TEST(FastWalkers, AWalkerFarFasterThanItsArrivalRadiusStillArrives)
{
    // A footpath round a block of nothing: the walk from the west side to the east side turns four corners.
    const std::vector<std::string> rows = {"PPPPPPPPPP", "P########P", "P########P", "PPPPPPPPPP"};
    const Vec3 goal = WorldMap::GetCellCentre({9, 2});
    // Each speed carries the walker 7.6 to 10.2 map units a step, five to seven times the radius of 1.5.
    // The offset a walk takes inside each cell is drawn at random: each walk is tried with several draws.
    for (const float speed : {380.0f, 386.0f, 494.0f, 506.0f, MovingObject::kMaxSteer})
        for (const unsigned seed : {1u, 2u, 3u, 4u})
        {
            SCOPED_TRACE("speed " + std::to_string(speed) + ", seed " + std::to_string(seed));
            platform::SRand(seed);
            FastPark park(rows);
            auto* walker = static_cast<FastWalker*>(park.objects->CreateObject("FAST", OBJECT_GUEST));
            walker->SetType(OBJECT_GUEST);
            walker->SetWorldPosition(WorldMap::GetCellCentre({0, 2}));
            walker->SetSpeed(speed);
            MessageRecord order =
                worldtest::Record(walker->GetID(), walker->GetID(), MT_PAVEMENT2POINT, static_cast<uint32_t>(goal.y));
            order.dwFlags = static_cast<uint32_t>(goal.x);
            park.messages->Send(order);
            ASSERT_TRUE(walker->GetPathFollower());
            // The way is about 700 map units: a couple of seconds at these speeds, turns and all; a minute is plenty.
            for (int frame = 0; frame < 1200 && walker->arrivals == 0; ++frame)
                park.Frame();
            EXPECT_EQ(walker->arrivals, 1);
            EXPECT_FALSE(walker->IsMoving());
            // It stops at most one step past the goal.
            const Vec3 at = walker->GetWorldPosition();
            EXPECT_LE(std::hypot(at.x - goal.x, at.y - goal.y), speed * MovingObject::kStep + 1.5f)
                << at.x << ", " << at.y;
        }
}

} // namespace
