// Tests of the model-only scene objects: path models and ride parts that end their animations and carry park
// objects only while they draw, ride parts hidden until shown, crowd figures switching animations on their two
// timers, show actors on their own scheduler, and the records they save.
#include "world/ModelObjects.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "tests/world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace worldtest;

namespace
{

using std::tuple;

const std::string kModels = std::string(TW_SOURCE_DIR) + "/sample-data/data/Models/D_Ezize/";
// A path of the sample dolphins: 28,800 key units long (4 s, 240 scheduler ticks), one attachment point.
const std::string kPath = kModels + "Characters/Animals/DOLPHIN/DOLPHIN_MOVE_00.tm";
constexpr uint32_t kPathTicks = 28800 / 120;
// The swan boats on their round: the same length, two attachment points.
const std::string kBoat = kModels + "swanboat.tm";
// The crowd's animations, each 7200 key units (60 ticks).
const std::string kSit = kModels + "Characters/crowd_sit_00.tm";
const std::string kCheer = kModels + "Characters/crowd_cheer_00.tm";
const std::string kShowMove = kModels + "Shows/jump.tm";
constexpr uint32_t kShowTicks = 24 * 600 / 120;

// A park object that notes, each time it is drawn, whether it was visible then.
class Carried : public Probe
{
public:
    bool Render() override
    {
        drawnVisible.push_back(IsVisible());
        return true;
    }
    std::vector<bool> drawnVisible;
};

class ModelObjects : public rendertest::DrawTest
{
protected:
    void SetUp() override
    {
        rendertest::DrawTest::SetUp();
        g_ModelManager.Init(64, false);
        g_AnimationScheduler.Clear();
        g_AnimationScheduler.Update(0);
        RegisterObjectKind(OBJECT_GUEST, []() -> BaseObject* { return new Carried; });
        LookAlongZ();
    }
    void TearDown() override
    {
        g_AnimationScheduler.Clear();
        g_ModelManager.Shutdown();
        rendertest::DrawTest::TearDown();
    }
    Carried* MakeCarried()
    {
        auto* carried = static_cast<Carried*>(park.objects->CreateObject("RIDER", OBJECT_GUEST));
        carried->SetType(OBJECT_GUEST);
        return carried;
    }

    Park park;
};

} // namespace

TEST_F(ModelObjects, PathModelsAndRidePartsEndTheirAnimationsOnceAndPlayAgain)
{
    ModelObject path;
    path.LoadModel(kPath.c_str());
    RideObject boat;
    boat.LoadModel(kBoat.c_str());
    // The model is its own one animation; the ride part's plays looping from its loading, and never ends.
    EXPECT_EQ(tuple(path.GetAnimationCount(), path.GetAnimation(0), boat.IsAnimating(), boat.HasAnimationEnded()),
              tuple(1u, path.GetModel(), true, false));
    g_AnimationScheduler.Update(10);
    path.PlayAnimation();
    boat.PlayAnimation(false);
    g_AnimationScheduler.Update(10 + kPathTicks - 1);
    EXPECT_FALSE(path.HasAnimationEnded() || boat.HasAnimationEnded());
    g_AnimationScheduler.Update(10 + kPathTicks);
    EXPECT_TRUE(path.HasAnimationEnded() && boat.HasAnimationEnded());
    EXPECT_FALSE(path.Render());
    path.PlayAnimation();
    boat.PlayAnimation(true);
    g_AnimationScheduler.Update(10 + 3 * kPathTicks);
    EXPECT_EQ(tuple(path.HasAnimationEnded(), boat.HasAnimationEnded()), tuple(true, false));
}

TEST_F(ModelObjects, ObjectsRideOnlyWhileTheModelDrawsAndOnlyWhileTheyExist)
{
    Carried* first = MakeCarried();
    Carried* second = MakeCarried();
    ModelObject path;
    path.LoadModel(kPath.c_str());
    path.SetPosition(0.0f, 0.0f, 20.0f);
    // One point: the second object finds none.
    EXPECT_TRUE(path.Carried().Attach(path, first->GetID()));
    EXPECT_FALSE(path.Carried().Attach(path, second->GetID()));
    first->SetVisible(false);
    // No animation current: nothing is drawn.
    EXPECT_FALSE(path.Render());
    path.PlayAnimation();
    EXPECT_TRUE(path.Render());
    // Drawn visible, hidden again after the draw, and off the model's point between draws.
    EXPECT_EQ(tuple(first->drawnVisible, first->IsVisible(), path.HasAttachment(0)),
              tuple(std::vector<bool>{true}, false, false));
    path.SetVisible(false);
    EXPECT_FALSE(path.Render());
    path.SetVisible(true);
    // An object that has gone is not drawn (and the point is free for another).
    const uint32_t gone = first->GetID();
    park.objects->RemoveObject(gone);
    EXPECT_TRUE(path.Render());
    path.Carried().Detach(gone);
    EXPECT_TRUE(path.Carried().Attach(path, second->GetID()));
    EXPECT_TRUE(path.Render());
    EXPECT_EQ(tuple(second->drawnVisible, second->IsVisible(), path.Carried().Count()),
              tuple(std::vector<bool>{true}, false, 1u));
}

TEST_F(ModelObjects, RidePartsDrawNothingUntilShownAndCarryRidersAsTheyAre)
{
    Carried* rider = MakeCarried();
    rider->SetVisible(false);
    RideObject boat;
    boat.LoadModel(kBoat.c_str());
    boat.SetPosition(0.0f, 0.0f, 20.0f);
    boat.Carried().Attach(boat, rider->GetID());
    EXPECT_FALSE(boat.Render());
    EXPECT_TRUE(rider->drawnVisible.empty());
    boat.SetVisible(true);
    EXPECT_TRUE(boat.Render());
    // A rider is drawn as it is: the ride does not show a hidden one, nor hide a shown one after its draw.
    EXPECT_EQ(rider->drawnVisible, std::vector<bool>{false});
    rider->SetVisible(true);
    EXPECT_TRUE(boat.Render());
    EXPECT_EQ(rider->drawnVisible, (std::vector<bool>{false, true}));
    EXPECT_TRUE(rider->IsVisible());
}

TEST_F(ModelObjects, CrowdFiguresSwitchAnimationsOnTheirTwoTimers)
{
    CrowdPerson figure;
    figure.SetAnimationCount(2);
    figure.LoadAnimation(0, kSit.c_str());
    figure.LoadAnimation(1, kCheer.c_str());
    const uint32_t sit = figure.GetAnimation(0), cheer = figure.GetAnimation(1);
    ASSERT_TRUE(sit && cheer && sit != cheer);
    // (first delay, elapsed per update): the updates until the first animation plays, then until the second does
    // (2 s after the first began) and the timers stop.
    const struct
    {
        float firstDelay, elapsed;
        int untilFirst, untilSecond;
    } cases[] = {{0.0f, 0.25f, 1, 8}, {0.3f, 0.25f, 2, 8}, {1.0f, 0.5f, 2, 4}, {0.1f, 4.0f, 1, 1}};
    for (const auto& c : cases)
    {
        figure.PlayAnimation(0, true);
        figure.ScheduleAnimations(1, 0, 2.0f, c.firstDelay);
        int updates = 0;
        while (figure.GetCurrentAnimation() != cheer && updates < 100)
            figure.UpdateTimers(c.elapsed), ++updates;
        EXPECT_EQ(tuple(updates, figure.AreTimersRunning()), tuple(c.untilFirst, true)) << c.firstDelay;
        updates = 0;
        while (figure.AreTimersRunning() && updates < 100)
            figure.UpdateTimers(c.elapsed), ++updates;
        EXPECT_EQ(tuple(updates, figure.GetCurrentAnimation()), tuple(c.untilSecond, sit)) << c.firstDelay;
        // Both loop: the scheduler never ends them.
        EXPECT_FALSE(g_AnimationScheduler.IsScheduled(&figure));
    }
    // Playing an animation stops the timers; stopped timers move nothing.
    figure.ScheduleAnimations(1, 0, 2.0f, 0.0f);
    figure.PlayAnimation(0, false);
    figure.UpdateTimers(5.0f);
    EXPECT_EQ(tuple(figure.AreTimersRunning(), figure.GetCurrentAnimation(), g_AnimationScheduler.IsScheduled(&figure)),
              tuple(false, sit, true));
}

TEST_F(ModelObjects, ShowActorsPlayOnceOnTheSchedulerTheyAreGivenAndLeaveItWhenTheyGo)
{
    AnimationScheduler own;
    own.Update(100);
    auto actor = std::make_unique<ShowModel>();
    actor->LoadAndPlayOn(kShowMove.c_str(), own, false);
    EXPECT_TRUE(own.IsScheduled(actor.get()) && !g_AnimationScheduler.IsScheduled(actor.get()));
    own.Update(100 + kShowTicks);
    EXPECT_TRUE(actor->HasAnimationEnded());
    actor->LoadAndPlayOn(kShowMove.c_str(), own, false);
    EXPECT_FALSE(actor->HasAnimationEnded());
    actor.reset();
    EXPECT_EQ(own.GetCount(), 0u);
    // Played on the game's scheduler, looping or once.
    ShowModel looping;
    looping.LoadAndPlayOn(kShowMove.c_str(), g_AnimationScheduler, true);
    ShowModel once;
    once.LoadAndPlay(kShowMove.c_str());
    g_AnimationScheduler.Update(kShowTicks);
    EXPECT_EQ(tuple(looping.HasAnimationEnded(), once.HasAnimationEnded()), tuple(false, true));
}

TEST_F(ModelObjects, PathsRidePartsAndActorsSaveTheirRecordsAndAnEndedAnimationStaysEnded)
{
    // The record: the path model's and the ride part's visibility first, then the animated object's.
    ModelObject path;
    path.LoadModel(kPath.c_str());
    path.SetVisible(false);
    path.PlayAnimation();
    RideObject boat;
    boat.LoadModel(kBoat.c_str());
    boat.SetVisible(true);
    ShowModel actor;
    actor.LoadAndPlay(kShowMove.c_str());
    const auto bytesOf = [](AnimatedObject& object)
    { return savebytes::Saved([&](SerialStream& s) { object.Dump(s); }); };
    const savebytes::Bytes pathBytes = bytesOf(path), boatBytes = bytesOf(boat), actorBytes = bytesOf(actor);
    EXPECT_EQ(tuple(pathBytes[0], pathBytes[1], boatBytes[0], boatBytes[1]), tuple(2, 0, 2, 1));
    const savebytes::Bytes animated = savebytes::Saved([&](SerialStream& s) { path.AnimatedObject::Dump(s); });
    EXPECT_EQ(savebytes::Bytes(pathBytes.begin() + 2, pathBytes.end()), animated);

    ModelObject pathCopy;
    pathCopy.LoadModel(kPath.c_str());
    RideObject boatCopy;
    boatCopy.LoadModel(kBoat.c_str());
    ShowModel actorCopy;
    actorCopy.LoadAndPlay(kShowMove.c_str());
    EXPECT_TRUE(savebytes::LoadFrom(pathBytes, [&](SerialStream& s) { return pathCopy.Load(s); }));
    EXPECT_TRUE(savebytes::LoadFrom(boatBytes, [&](SerialStream& s) { return boatCopy.Load(s); }));
    EXPECT_TRUE(savebytes::LoadFrom(actorBytes, [&](SerialStream& s) { return actorCopy.Load(s); }));
    EXPECT_EQ(tuple(bytesOf(pathCopy), bytesOf(boatCopy), bytesOf(actorCopy)), tuple(pathBytes, boatBytes, actorBytes));
    EXPECT_EQ(tuple(pathCopy.IsVisible(), boatCopy.IsVisible(), pathCopy.HasAnimationEnded()),
              tuple(false, true, false));

    // Saved after its end (the park paused before the path could restart): loaded, it has ended.
    g_AnimationScheduler.Update(kPathTicks + kShowTicks);
    const savebytes::Bytes ended = bytesOf(path), endedActor = bytesOf(actor);
    ModelObject late;
    late.LoadModel(kPath.c_str());
    late.PlayAnimation();
    ShowModel lateActor;
    lateActor.LoadAndPlay(kShowMove.c_str());
    EXPECT_TRUE(savebytes::LoadFrom(ended, [&](SerialStream& s) { return late.Load(s); }));
    EXPECT_TRUE(savebytes::LoadFrom(endedActor, [&](SerialStream& s) { return lateActor.Load(s); }));
    EXPECT_TRUE(late.HasAnimationEnded() && lateActor.HasAnimationEnded());
}
