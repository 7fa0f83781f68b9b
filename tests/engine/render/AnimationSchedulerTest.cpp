// Tests of the animation scheduler: end times from the animation's frame count, play-once animations stopped in
// end-time order (insertion order for equal ends), replays, looping types, cancels and re-listing, with an
// object that records when it is stopped.
#include "engine/render/AnimationScheduler.h"
#include "ModelTestFiles.h"
#include "engine/render/AnimatedObject.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// An animation whose last position key is at `length` key-time units.
std::string AnimationText(uint32_t length)
{
    return "model\n    bone \"Hips\"\n        keys position\n            0 0 0 0 0\n            " +
           std::to_string(length) + " 0 1 0 0\n        end\n    end\nend\n";
}

class Recorder : public AnimatedObject
{
public:
    Recorder(std::vector<int>* log, int id) : AnimatedObject(8), m_pLog(log), m_id(id) {}
    void StopAnimation() override
    {
        m_pLog->push_back(m_id);
        AnimatedObject::StopAnimation();
    }

private:
    std::vector<int>* m_pLog;
    int m_id;
};

class AnimationSchedulerTest : public modeltest::ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        WriteModel("a9600.tm", modeltest::TmBytes(AnimationText(9600)));
        WriteModel("a1200.tm", modeltest::TmBytes(AnimationText(1200)));
        WriteModel("a119.tm", modeltest::TmBytes(AnimationText(119)));
        long9600 = g_ModelManager.Load("a9600.tm");
        short1200 = g_ModelManager.Load("a1200.tm");
        tiny119 = g_ModelManager.Load("a119.tm");
        ASSERT_TRUE(long9600 && short1200 && tiny119);
    }

    std::vector<int> log;
    uint32_t long9600 = 0, short1200 = 0, tiny119 = 0;
};

TEST_F(AnimationSchedulerTest, EndTimeFromTheFrameCountAndStopOnTime)
{
    AnimationScheduler scheduler;
    Recorder object(&log, 1);
    scheduler.Update(600);
    // 9600 key-time units are 80 ticks.
    EXPECT_EQ(scheduler.Play(&object, long9600, 0, 1), 680u);
    EXPECT_TRUE(object.IsAnimating());
    EXPECT_EQ(object.GetCurrentFrame(), 600u);
    EXPECT_EQ(object.GetCurrentAnimation(), long9600);
    scheduler.Update(679);
    EXPECT_TRUE(log.empty());
    scheduler.Update(680);
    EXPECT_EQ(log, std::vector<int>{1});
    EXPECT_FALSE(object.IsAnimating());
    EXPECT_EQ(scheduler.GetCount(), 0u);
    // A delay moves start and end; less than a tick of frames adds nothing.
    EXPECT_EQ(scheduler.Play(&object, tiny119, 7, 1), 687u);
    EXPECT_EQ(object.GetCurrentFrame(), 687u);
}

TEST_F(AnimationSchedulerTest, StopsInEndOrderAndEqualEndsInInsertionOrder)
{
    AnimationScheduler scheduler;
    Recorder a(&log, 1), b(&log, 2), c(&log, 3), d(&log, 4), e(&log, 5);
    scheduler.Play(&a, long9600, 0, 1);  // 80
    scheduler.Play(&b, short1200, 0, 1); // 10
    scheduler.Play(&c, long9600, 0, 1);  // 80, after a
    scheduler.Play(&d, short1200, 5, 1); // 15
    scheduler.Play(&e, short1200, 0, 1); // 10, after b
    EXPECT_EQ(scheduler.GetHighestCount(), 5u);
    scheduler.Update(12);
    EXPECT_EQ(log, (std::vector<int>{2, 5}));
    scheduler.Update(100);
    EXPECT_EQ(log, (std::vector<int>{2, 5, 4, 1, 3}));
    EXPECT_EQ(scheduler.GetHighestCount(), 5u);
}

// Replaying a running play-once animation stops it first and leaves one entry; looping types are not listed.
TEST_F(AnimationSchedulerTest, ReplaysAndLoopingTypes)
{
    AnimationScheduler scheduler;
    Recorder a(&log, 1), loop(&log, 2);
    scheduler.Play(&a, long9600, 0, 1);
    scheduler.Play(&a, short1200, 0, 1);
    EXPECT_EQ(log, std::vector<int>{1});
    EXPECT_EQ(scheduler.GetCount(), 1u);
    EXPECT_EQ(a.GetCurrentAnimation(), short1200);

    scheduler.Play(&loop, short1200, 0, 0);
    EXPECT_EQ(scheduler.GetCount(), 1u);
    EXPECT_FALSE(scheduler.IsScheduled(&loop));
    scheduler.Update(100000);
    EXPECT_EQ(log, (std::vector<int>{1, 1}));
    EXPECT_TRUE(loop.IsAnimating());
    // A looping animation is not stopped by another Play.
    scheduler.Play(&loop, long9600, 0, 1);
    EXPECT_EQ(log, (std::vector<int>{1, 1}));
    EXPECT_TRUE(scheduler.IsScheduled(&loop));
}

// Cancelling what is not listed, or listing an object twice, keeps the list whole.
TEST_F(AnimationSchedulerTest, CancelRescheduleAndClear)
{
    AnimationScheduler scheduler;
    Recorder a(&log, 1), b(&log, 2), c(&log, 3);
    scheduler.Play(&a, long9600, 0, 1); // 80
    scheduler.Cancel(&b);
    EXPECT_EQ(scheduler.GetCount(), 1u);
    scheduler.Reschedule(&b, 1, 50);
    scheduler.Reschedule(&b, 1, 90); // the second listing replaces the first
    scheduler.Reschedule(&c, 0, 20); // not play-once: not listed
    EXPECT_EQ(scheduler.GetCount(), 2u);
    const auto entries = scheduler.GetEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].first, &a);
    EXPECT_EQ(entries[1].second, 90u);
    // An end of 0 goes to the tail, and re-listing puts an earlier end in front.
    scheduler.Reschedule(&c, 1, 0);
    scheduler.Reschedule(&b, 1, 5);
    const auto order = scheduler.GetEntries();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0].first, &b);
    EXPECT_EQ(order[1].first, &a);
    EXPECT_EQ(order[2].first, &c);
    // Rescheduling tells nobody; updating stops b and then a (c's end 0 sits behind a's 80).
    EXPECT_TRUE(log.empty());
    scheduler.Update(80);
    EXPECT_EQ(log, (std::vector<int>{2, 1, 3}));
    scheduler.Reschedule(&a, 1, 500);
    scheduler.Clear();
    EXPECT_EQ(scheduler.GetCount(), 0u);
    scheduler.Update(1000);
    EXPECT_EQ(log, (std::vector<int>{2, 1, 3}));
}

// A stop that starts another play-once animation is handled in the same update when it is due too.
TEST_F(AnimationSchedulerTest, StopsThatPlayAgain)
{
    class Chain : public AnimatedObject
    {
    public:
        Chain(AnimationScheduler* s, uint32_t next) : AnimatedObject(8), m_pScheduler(s), m_uNext(next) {}
        void StopAnimation() override
        {
            ++stops;
            AnimatedObject::StopAnimation();
            if (stops == 1)
                m_pScheduler->Play(this, m_uNext, 0, 1);
        }
        int stops = 0;

    private:
        AnimationScheduler* m_pScheduler;
        uint32_t m_uNext;
    };
    AnimationScheduler scheduler;
    Chain chain(&scheduler, short1200);
    scheduler.Play(&chain, tiny119, 0, 1); // ends at once (0 ticks)
    scheduler.Update(0);
    EXPECT_EQ(chain.stops, 1);
    EXPECT_TRUE(chain.IsAnimating());
    EXPECT_EQ(chain.GetLastFrame(), 10u);
    scheduler.Update(10);
    EXPECT_EQ(chain.stops, 2);
}

// The global scheduler forgets an object that is destroyed.
TEST_F(AnimationSchedulerTest, DestroyedObjectsLeaveTheGlobalList)
{
    g_AnimationScheduler.Clear();
    {
        AnimatedObject object(8);
        g_AnimationScheduler.Play(&object, long9600, 0, 1);
        EXPECT_TRUE(g_AnimationScheduler.IsScheduled(&object));
    }
    EXPECT_EQ(g_AnimationScheduler.GetCount(), 0u);
}

} // namespace
