// Tests of the animation scheduler: end times from the animation's frame count, play-once animations stopped in
// end-time order (insertion order for equal ends), replays, looping types, cancels and re-listing, and stops that
// play again, with objects that record when they are stopped.
#include "engine/render/AnimationScheduler.h"
#include "ModelTestFiles.h"
#include "engine/render/AnimatedObject.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// Records its stops; while `replays` lasts, each stop plays `again` once more at once.
class Recorder : public AnimatedObject
{
public:
    Recorder(std::vector<int>* log, int id) : AnimatedObject(8), m_pLog(log), m_id(id) {}
    void StopAnimation() override
    {
        m_pLog->push_back(m_id);
        AnimatedObject::StopAnimation();
        if (replays > 0 && scheduler)
        {
            --replays;
            scheduler->Play(this, again, 0, AnimationScheduler::kPlayOnce);
        }
    }
    AnimationScheduler* scheduler = nullptr;
    uint32_t again = 0;
    int replays = 0;

private:
    std::vector<int>* m_pLog;
    int m_id;
};

class AnimationSchedulerTest : public modeltest::ModelTest
{
protected:
    // An animation whose last position key is at `length` key-time units.
    uint32_t Animation(uint32_t length)
    {
        return LoadText("a" + std::to_string(length) + ".tm", "model\nbone \"Hips\"\nkeys position\n0 0 0 0 0\n" +
                                                                  std::to_string(length) + " 0 1 0 0\nend\nend\nend\n");
    }

    std::vector<int> log;
    AnimationScheduler scheduler;
};

// 9600 key-time units are 80 ticks; a delay moves start and end; less than a tick of frames adds nothing.
TEST_F(AnimationSchedulerTest, EndTimeFromTheFrameCountAndStopOnTime)
{
    Recorder object(&log, 1);
    scheduler.Update(600);
    EXPECT_TRUE(scheduler.Play(&object, Animation(9600), 0, 1) == 680u && object.IsAnimating() &&
                object.GetCurrentFrame() == 600u && object.GetCurrentAnimation() == Animation(9600));
    scheduler.Update(679);
    EXPECT_TRUE(log.empty());
    scheduler.Update(680);
    EXPECT_TRUE(log == std::vector<int>{1} && !(object.IsAnimating()) && scheduler.GetCount() == 0u &&
                scheduler.Play(&object, Animation(119), 7, 1) == 687u && object.GetCurrentFrame() == 687u);

    std::vector<int> log;
    AnimationScheduler scheduler;
    Recorder a(&log, 1), b(&log, 2), c(&log, 3), d(&log, 4), e(&log, 5);
    scheduler.Play(&a, Animation(9600), 0, 1); // 80
    scheduler.Play(&b, Animation(1200), 0, 1); // 10
    scheduler.Play(&c, Animation(9600), 0, 1); // 80, after a
    scheduler.Play(&d, Animation(1200), 5, 1); // 15
    scheduler.Play(&e, Animation(1200), 0, 1); // 10, after b
    EXPECT_EQ(scheduler.GetHighestCount(), 5u);
    scheduler.Update(12);
    EXPECT_EQ(log, (std::vector<int>{2, 5}));
    scheduler.Update(100);
    EXPECT_TRUE(log == (std::vector<int>{2, 5, 4, 1, 3}) && scheduler.GetHighestCount() == 5u);

    // Replaying a running play-once animation stops it first and leaves one entry; looping types are not listed and
    // not stopped by another Play.
    {
        std::vector<int> log;
        AnimationScheduler scheduler;
        Recorder a(&log, 1), loop(&log, 2);
        scheduler.Play(&a, Animation(9600), 0, 1);
        scheduler.Play(&a, Animation(1200), 0, 1);
        EXPECT_TRUE(log == std::vector<int>{1} && scheduler.GetCount() == 1u &&
                    a.GetCurrentAnimation() == Animation(1200));
        scheduler.Play(&loop, Animation(1200), 0, 0);
        EXPECT_FALSE(scheduler.IsScheduled(&loop));
        scheduler.Update(100000);
        EXPECT_TRUE(log == (std::vector<int>{1, 1}) && loop.IsAnimating());
        scheduler.Play(&loop, Animation(9600), 0, 1);
        EXPECT_TRUE(log == (std::vector<int>{1, 1}) && scheduler.IsScheduled(&loop));
    }
}

// Cancelling what is not listed, or listing an object twice, keeps the list whole; an end of 0 goes to the tail;
// re-listing tells nobody and puts an earlier end in front; Clear forgets everything.
TEST_F(AnimationSchedulerTest, CancelRescheduleAndClear)
{
    Recorder a(&log, 1), b(&log, 2), c(&log, 3);
    scheduler.Play(&a, Animation(9600), 0, 1); // 80
    scheduler.Cancel(&b);
    scheduler.Reschedule(&b, 1, 50);
    scheduler.Reschedule(&b, 1, 90); // the second listing replaces the first
    scheduler.Reschedule(&c, 0, 20); // not play-once: not listed
    const auto entries = scheduler.GetEntries();
    ASSERT_TRUE(entries.size() == 2u && entries[0].first == (&a) && entries[1].second == 90u);
    scheduler.Reschedule(&c, 1, 0);
    scheduler.Reschedule(&b, 1, 5);
    const auto order = scheduler.GetEntries();
    ASSERT_TRUE(order.size() == 3u &&
                (order[0].first == (&b) && order[1].first == (&a) && order[2].first == (&c) && log.empty()));
    scheduler.Update(80); // b, then a; c's end 0 sits behind a's 80
    EXPECT_EQ(log, (std::vector<int>{2, 1, 3}));
    scheduler.Reschedule(&a, 1, 500);
    scheduler.Clear();
    EXPECT_EQ(scheduler.GetCount(), 0u);
    scheduler.Update(1000);
    EXPECT_EQ(log, (std::vector<int>{2, 1, 3}));

    // The global scheduler forgets an object that is destroyed.
    g_AnimationScheduler.Clear();
    {
        AnimatedObject object(8);
        g_AnimationScheduler.Play(&object, Animation(9600), 0, 1);
        EXPECT_TRUE(g_AnimationScheduler.IsScheduled(&object));
    }
    EXPECT_EQ(g_AnimationScheduler.GetCount(), 0u);
}

// A stop that plays again waits for the next update, even for an animation that ends at once (shorter than a
// tick, or of length 0): one update stops each object once. A replay that is not due yet stops on time; a stop
// may cancel another object's entry, which is then not stopped.
TEST_F(AnimationSchedulerTest, StopsThatPlayAgainWaitForTheNextUpdate)
{
    Recorder tiny(&log, 1), empty(&log, 2), longer(&log, 3), victim(&log, 4);
    tiny.again = Animation(119), empty.again = Animation(0), longer.again = Animation(1200);
    scheduler.Update(100);
    for (Recorder* r : {&tiny, &empty, &longer})
    {
        r->scheduler = &scheduler, r->replays = 1000;
        scheduler.Play(r, r->again, 0, 1);
    }
    scheduler.Update(100);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
    scheduler.Update(100);
    EXPECT_TRUE(log == (std::vector<int>{1, 2, 1, 2}) && longer.GetLastFrame() == 110u);
    scheduler.Update(110);
    EXPECT_TRUE(log == (std::vector<int>{1, 2, 1, 2, 1, 2, 3}) && longer.GetLastFrame() == 120u);

    class Canceller : public AnimatedObject
    {
    public:
        Canceller(AnimationScheduler* s, AnimatedObject* v) : AnimatedObject(8), m_pScheduler(s), m_pVictim(v) {}
        void StopAnimation() override
        {
            AnimatedObject::StopAnimation();
            m_pScheduler->Cancel(m_pVictim);
        }
        AnimationScheduler* m_pScheduler;
        AnimatedObject* m_pVictim;
    };
    AnimationScheduler other;
    Canceller first(&other, &victim);
    Recorder third(&log, 5);
    for (AnimatedObject* object : {static_cast<AnimatedObject*>(&first), static_cast<AnimatedObject*>(&victim),
                                   static_cast<AnimatedObject*>(&third)})
        other.Play(object, Animation(1200), 0, 1);
    log.clear();
    other.Update(10);
    EXPECT_TRUE(log == std::vector<int>{5} && other.GetCount() == 0u);
}

} // namespace
