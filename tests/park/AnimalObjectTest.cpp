// Tests of the animal: its creation from its type, desires, opinions and health over game days, the zookeeper's
// call, the checks of its desires, the script's functions and variables, path animations, messages, the panel's
// keywords and selection, selling, an animal whose home is gone, and the save record.
#include "park/AnimalObject.h"
#include "engine/core/TextFormat.h"
#include "engine/core/TextTable.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "park/AnimalPathComponent.h"
#include "park/BuildingObject.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/park/AnimalTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/AnimalModelNames.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

using namespace animaltest;

namespace
{

using std::tuple;

// What the tests' animals run: in their start state they note the state and data of MT_DO_NEXT_ACTION (in
// ActionState and EatCount), an MT_CANT_MOVE (ActionState 8), each MT_CALL_ZOO they send (PlayCount), and the data
// of a message received while another is handled (RestCount, then ActionState).
const char* const kScript = "State STATE_STARTUP\n"
                            " Message MT_DO_NEXT_ACTION OnReceipt Set ActionState MessState ; Set EatCount MessData ;"
                            " End End\n"
                            " Message MT_CANT_MOVE OnReceipt Set ActionState 8 ; End End\n"
                            " Message MT_CALL_ZOO OnSend Add PlayCount 1 ; End End\n"
                            " Message MT_NEW_DAY OnReceipt Message MT_ANIMAL_PLAY_SOUND Me 5 0 State 3 ;"
                            " Set ActionState MessData ; Set EatCount MessState ; End End\n"
                            " Message MT_ANIMAL_PLAY_SOUND OnReceipt Set RestCount MessData ; End End\n"
                            "End\n";

// The day of the tests' park: 240 game seconds.
constexpr float kDay = 240.0f;

class Animals : public testing::Test
{
protected:
    Animals()
    {
        park.RealAnimals();
        park.LoadScript("AnimalPathLogic", kScript);
        park.LoadScript("AnimalLogic", kScript);
        home = park.Home();
    }
    AnimalObject* Adopt(uint32_t slot = 0) { return dynamic_cast<AnimalObject*>(park.Adopt(home, slot)); }
    // An animal of a type made as the object manager makes any object, with no home.
    AnimalObject* Homeless(const char* type)
    {
        auto* animal = static_cast<AnimalObject*>(park.objects->CreateObject(type, OBJECT_ANIMAL));
        animal->SetType(OBJECT_ANIMAL);
        animal->SetState(STATE_STARTUP);
        return animal;
    }
    const AnimalInfo& Type(const char* name) { return park.params->GetAnimalInfo(park.params->FindAnimal(name)); }
    void Call(AnimalObject* animal, uint32_t function) { animal->CallScriptFunction(function); }
    // The animal's frames of dt game seconds, as the World runs them.
    void Frames(AnimalObject* animal, int count, float dt)
    {
        park.world->m_fGameDeltaTime = dt;
        for (int i = 0; i < count; ++i)
            animal->Update();
    }
    platform::WString Get(AnimalObject* animal, const char* keyword)
    {
        platform::WString text = u"stale";
        animal->GetVariable(keyword, text);
        return text;
    }
    std::pair<int32_t, int32_t> Cell(const platform::Vec3& p) const
    {
        const GridPos c = WorldMap::WorldToGrid(p);
        return {c.x, c.y};
    }

    AnimalPark park;
    BuildingObject* home = nullptr;
};

} // namespace

TEST_F(Animals, AreMadeFromTheirTypeWithDrawnDesiresGrowthRatesAndAge)
{
    // The draws, in order: the walker's speed (the moving object's), the facing, the rest and play desires, the
    // growth rates ill rest, ill play, sad rest, sad play, happy rest, happy play, then the age.
    platform::SRand(77);
    platform::RandomGenerator replay(77);
    const auto draw = [&] { return static_cast<float>(replay.Next()) / 32767.0f; };
    AnimalObject* dolphin = Adopt();
    ASSERT_NE(dolphin, nullptr);
    replay.Next();
    const int32_t facing = 2 * (replay.Next() % 4);
    const float rest = draw(), play = draw();
    float growth[2][3];
    for (int health = 0; health < 3; ++health)
        for (int desire = 0; desire < 2; ++desire)
            growth[desire][health] = draw();
    const float age = draw();
    // Growth bounds of the type: rest 0.1 + 0.2 h .. 0.2 + 0.2 h, play 0.01 + 0.02 h .. 0.02 + 0.02 h.
    for (int health = 0; health < 3; ++health)
    {
        EXPECT_NEAR(dolphin->GetDesireIncrease(0, health), 0.1f + 0.2f * health + growth[0][health] * 0.1f, 1e-5f);
        EXPECT_NEAR(dolphin->GetDesireIncrease(1, health), 0.01f + 0.02f * health + growth[1][health] * 0.01f, 1e-5f);
    }
    EXPECT_EQ(tuple(dolphin->GetDesire(0), dolphin->GetDesire(1), dolphin->GetLastMoveDir(), dolphin->GetAge(),
                    dolphin->GetOpinion(0), dolphin->GetOpinion(1), dolphin->GetOpinion(2), dolphin->IsIllLocked(),
                    dolphin->GetMaxVelocity()),
              tuple(rest, play, facing,
                    age > 0.75f   ? 2
                    : age > 0.25f ? 1
                                  : 0,
                    1.0f, 1.0f, 1.0f, false, 12.0f));
    EXPECT_NEAR(dolphin->GetHappiness(), 1.0f, 1e-5f);
    // A path animal runs AnimalPathLogic, is invisible until a path carries it, and told its home it is there,
    // which gave it a path slot; a walker runs AnimalLogic and shows at once where the building put it.
    AnimalObject* walker = Adopt(2);
    EXPECT_EQ(tuple(dolphin->GetScript(), dolphin->IsVisible(), dolphin->GetHome(), dolphin->GetPathSlot(),
                    home->GetAnimalCount(), walker->GetScript(), walker->IsVisible()),
              tuple(park.world->GetScriptManager().GetScript("AnimalPathLogic"), false, home->GetID(), 0u, 2,
                    park.world->GetScriptManager().GetScript("AnimalLogic"), true));
    const platform::Vec3 scene = WorldMap::WorldToScene(walker->GetWorldPosition());
    EXPECT_EQ(tuple(walker->GetPosition().x, walker->GetPosition().z), tuple(scene.x, scene.z));
    // The ages: a quarter young, half adult, a quarter old.
    int ages[3] = {};
    for (int i = 0; i < 400; ++i)
        ++ages[Homeless("SHARK")->GetAge()];
    EXPECT_TRUE(ages[0] > 70 && ages[0] < 130 && ages[1] > 160 && ages[1] < 240 && ages[2] > 70 && ages[2] < 130)
        << ages[0] << " " << ages[1] << " " << ages[2];
}

TEST_F(Animals, ShowThePlaceholderWhenTheirModelCannotBeLoaded)
{
    // The walker has no path animations: its own mesh, else the test ray, else (neither is in the sample data) the
    // placeholder every missing model shows, with a report; the game goes on.
    AnimalObject* walker = Adopt(2);
    EXPECT_EQ(tuple(std::string(g_ModelManager.GetName(walker->GetModel())), walker->IsAnimating(),
                    park.CountReports("can't load the model of WALKER")),
              tuple(std::string(ModelManager::kPlaceholderName), true, size_t{1}));
    // A path animal has no model of its own until it swims its first path.
    AnimalObject* dolphin = Adopt();
    EXPECT_EQ(dolphin->GetModel(), SceneObject::kNoModel);
    // Only a shown animal with a model is drawn: the walker until it is hidden, never the path animal.
    EXPECT_TRUE(walker->Render());
    walker->SetVisible(false);
    EXPECT_FALSE(walker->Render());
    dolphin->SetVisible(true);
    EXPECT_FALSE(dolphin->Render());
}

TEST_F(Animals, GrowTheirDesiresAndJudgeTheirHomeOverTheDays)
{
    AnimalObject* dolphin = Adopt();
    // Two more dolphins: the tank holds 3 against an optimum of 2, so crowding falls by 1 / 120 a second.
    Adopt();
    Adopt();
    dolphin->SetDesire(0, 0.2f);
    dolphin->SetDesire(1, 0.0f);
    // Happy: the rest desire grows by its happy rate a day, the play desire by its own.
    const float rest = dolphin->GetDesireIncrease(0, 2), play = dolphin->GetDesireIncrease(1, 2);
    Frames(dolphin, 30, 1.0f);
    EXPECT_NEAR(dolphin->GetDesire(0), 0.2f + rest * 30.0f / kDay, 1e-5f);
    EXPECT_NEAR(dolphin->GetDesire(1), play * 30.0f / kDay, 1e-5f);
    // Food falls by 0.5 a day, crowding by 1 / 120 a second; cleanliness is the home's condition.
    EXPECT_NEAR(dolphin->GetOpinion(AnimalObject::OPINION_FOOD), 1.0f - 0.5f * 30.0f / kDay, 1e-5f);
    EXPECT_NEAR(dolphin->GetOpinion(AnimalObject::OPINION_CROWDING), 1.0f - 30.0f / 120.0f, 1e-5f);
    EXPECT_EQ(dolphin->GetOpinion(AnimalObject::OPINION_CLEANLINESS), home->GetRepairCondition());
    // A desire just below 1 passes it in one frame and then stops growing; crowding stops at 0, food at 0.
    dolphin->SetDesire(1, 0.999f);
    Frames(dolphin, 1, 10.0f);
    const float over = dolphin->GetDesire(1);
    EXPECT_GT(over, 1.0f);
    Frames(dolphin, 450, 1.0f);
    EXPECT_EQ(tuple(dolphin->GetDesire(1), dolphin->GetOpinion(AnimalObject::OPINION_CROWDING),
                    dolphin->GetOpinion(AnimalObject::OPINION_FOOD), dolphin->IsIllLocked()),
              tuple(over, 0.0f, 0.0f, false));
    // Its clean home keeps it at a third, just above unwell (sad). Broken down, the home is filthy: the animal is
    // unwell, calls its zookeeper once (the home files the call), and is ill until a zookeeper has visited,
    // which fills its food again.
    EXPECT_EQ(dolphin->GetHealthLevel(), 1);
    home->BreakDownByWear();
    Frames(dolphin, 1, 1.0f);
    EXPECT_EQ(tuple(dolphin->IsIllLocked(), dolphin->GetHealthLevel(), dolphin->GetPlayCount(),
                    GetZooRepair()->HoldsRequest(home->GetID())),
              tuple(true, 0, 1u, true));
    Frames(dolphin, 10, 1.0f);
    EXPECT_EQ(dolphin->GetPlayCount(), 1u);
    park.Send(home->GetID(), dolphin->GetID(), MT_ANIMAL_ZOO_VISITED);
    EXPECT_EQ(tuple(dolphin->IsIllLocked(), dolphin->GetOpinion(AnimalObject::OPINION_FOOD)), tuple(false, 1.0f));
    Frames(dolphin, 1, 0.0f);
    EXPECT_EQ(tuple(dolphin->GetHealthLevel(), dolphin->GetPlayCount()), tuple(1, 1u));
}

TEST_F(Animals, AreHappySadOrIllByTheMeanOfTheirOpinions)
{
    AnimalObject* shark = Homeless("SHARK");
    // (food, cleanliness, crowding): the health level; ill from 0.33 down, when it also calls for a zookeeper.
    const struct
    {
        float opinions[3];
        int32_t level;
        bool calls;
    } cases[] = {{{1.0f, 1.0f, 1.0f}, 2, false},    {{0.67f, 0.67f, 0.67f}, 2, false},
                 {{0.66f, 0.66f, 0.66f}, 1, false}, {{0.34f, 0.34f, 0.34f}, 1, false},
                 {{0.33f, 0.33f, 0.34f}, 1, false}, {{0.33f, 0.33f, 0.33f}, 0, true},
                 {{0.0f, 0.5f, 0.4f}, 0, true}};
    for (const auto& c : cases)
    {
        park.Send(kNoObjectID, shark->GetID(), MT_ANIMAL_ZOO_VISITED);
        for (int i = 0; i < 3; ++i)
            shark->SetOpinion(i, c.opinions[i]);
        Frames(shark, 1, 0.0f);
        EXPECT_EQ(tuple(shark->GetHealthLevel(), shark->IsIllLocked()), tuple(c.level, c.calls)) << c.opinions[0];
    }
    // Locked ill, it stays ill whatever its opinions until visited.
    for (int i = 0; i < 3; ++i)
        shark->SetOpinion(i, 1.0f);
    Frames(shark, 1, 0.0f);
    EXPECT_EQ(shark->GetHealthLevel(), 0);
}

TEST_F(Animals, FollowTheirShowTheirFeedingAndTheirStrongestDesireInThatOrder)
{
    AnimalObject* dolphin = Adopt();
    AnimalObject* shark = Adopt(1);
    // (show time, feeding time, rest, play, state): the state it goes to (none: stays), and what is left of it.
    const struct
    {
        bool show, feeding;
        float rest, play;
        uint32_t state, to;
        bool showAfter, feedingAfter;
        float restAfter, playAfter;
    } cases[] = {
        {true, true, 0.95f, 0.95f, STATE_STARTUP, STATE_ANIMAL_GO_SHOW, false, true, 0.95f, 0.95f},
        {false, true, 0.95f, 0.95f, STATE_STARTUP, STATE_ANIMAL_GO_EAT, false, false, 0.95f, 0.95f},
        {false, false, 0.95f, 0.95f, STATE_STARTUP, STATE_ANIMAL_REST, false, false, 0.0f, 0.95f},
        {false, false, 0.95f, 0.95f, STATE_ANIMAL_REST, STATE_ANIMAL_PLAY, false, false, 0.95f, 0.0f},
        {false, false, 0.9f, 0.95f, STATE_ANIMAL_PLAY, STATE_ANIMAL_PLAY, false, false, 0.9f, 0.95f},
        {false, false, 0.5f, 0.91f, STATE_STARTUP, STATE_ANIMAL_PLAY, false, false, 0.5f, 0.0f},
    };
    for (const auto& c : cases)
    {
        dolphin->SetState(c.state);
        if (c.show)
            dolphin->SetShowTime();
        if (c.feeding)
            park.Send(home->GetID(), dolphin->GetID(), MT_ANIMAL_FEEDING_TIME);
        dolphin->SetDesire(0, c.rest);
        dolphin->SetDesire(1, c.play);
        Call(dolphin, AnimalObject::FN_CHECK_DESIRES);
        EXPECT_EQ(tuple(dolphin->GetState(), dolphin->IsShowTime(), dolphin->IsFeedingTime(), dolphin->GetDesire(0),
                        dolphin->GetDesire(1)),
                  tuple(c.to, c.showAfter, c.feedingAfter, c.restAfter, c.playAfter))
            << c.state << " " << c.rest << " " << c.play;
        Call(dolphin, AnimalObject::FN_CHECK_DESIRES);
    }
    // Only a show animal goes to perform.
    shark->SetShowTime();
    EXPECT_FALSE(shark->IsShowTime());
}

TEST_F(Animals, TakeTheFirstFreeEatPointAndFreeItAgain)
{
    AnimalObject* walker = Adopt(2);
    AnimalObject* other = Adopt(2);
    home->SetEatPointInUse(0, true);
    Call(walker, AnimalObject::FN_FIND_EAT_POINT);
    platform::Vec3 point;
    ASSERT_TRUE(home->GetEatPoint(1, point));
    EXPECT_EQ(tuple(walker->GetPointUsing(), home->IsEatPointInUse(1), walker->IsMoving(), walker->GetDestination().x,
                    walker->GetDestination().y),
              tuple(1, true, true, std::trunc(point.x), std::trunc(point.y)));
    Call(other, AnimalObject::FN_FIND_EAT_POINT);
    EXPECT_EQ(other->GetPointUsing(), 2);
    // Every point taken: none, and it does not move.
    const platform::Vec3 before = walker->GetDestination();
    Call(walker, AnimalObject::FN_FIND_EAT_POINT);
    EXPECT_EQ(tuple(walker->GetPointUsing(), walker->GetDestination().x, walker->GetDestination().y),
              tuple(-1, before.x, before.y));
    Call(other, AnimalObject::FN_FREE_EAT_POINT);
    EXPECT_EQ(tuple(home->IsEatPointInUse(0), home->IsEatPointInUse(1), home->IsEatPointInUse(2)),
              tuple(true, true, false));
    // Holding none, it frees none.
    Call(walker, AnimalObject::FN_FREE_EAT_POINT);
    EXPECT_TRUE(home->IsEatPointInUse(1));
}

TEST_F(Animals, LeaveAnEatPointTheyHaveGivenUpToTheAnimalThatTookItNext)
{
    // After eating, an animal lets its point go; another takes it. Whatever the first does next, the point stays
    // the second one's.
    const struct
    {
        const char* what;
        void (*next)(AnimalObject&);
    } kCases[] = {
        {"frees again", [](AnimalObject& a) { a.CallScriptFunction(AnimalObject::FN_FREE_EAT_POINT); }},
        {"is sold", [](AnimalObject& a) { a.Sell(); }},
    };
    for (const auto& c : kCases)
    {
        AnimalObject* first = Adopt(2);
        AnimalObject* second = Adopt(2);
        Call(first, AnimalObject::FN_FIND_EAT_POINT);
        const int32_t point = first->GetPointUsing();
        ASSERT_GE(point, 0) << c.what;
        Call(first, AnimalObject::FN_FREE_EAT_POINT);
        Call(second, AnimalObject::FN_FIND_EAT_POINT);
        ASSERT_EQ(second->GetPointUsing(), point) << c.what;
        c.next(*first);
        EXPECT_TRUE(home->IsEatPointInUse(point)) << c.what;
        Call(second, AnimalObject::FN_FREE_EAT_POINT);
        second->Sell();
        first->Sell();
    }
}

TEST_F(Animals, WalkTheEatNodesFromTheNearestAndGoOnToEat)
{
    AnimalObject* walker = Adopt(2);
    platform::Vec3 near, far;
    ASSERT_TRUE(home->GetEatNode(0, near) && home->GetEatNode(1, far));
    // Nearest the second node: it walks there.
    walker->SetWorldPosition({far.x - 2.0f, far.y + 1.0f, 0.0f});
    Call(walker, AnimalObject::FN_FIND_EAT_NODE);
    EXPECT_EQ(tuple(walker->GetEatNode(), walker->GetDestination().x, walker->GetDestination().y),
              tuple(1, std::trunc(far.x), std::trunc(far.y)));
    // Then along the nodes to the first, then on to eat: a next action in the state of going to eat, at once.
    Call(walker, AnimalObject::FN_NEXT_EAT_NODE);
    EXPECT_EQ(tuple(walker->GetEatNode(), walker->GetDestination().x), tuple(0, std::trunc(near.x)));
    Call(walker, AnimalObject::FN_NEXT_EAT_NODE);
    EXPECT_EQ(tuple(walker->GetEatNode(), walker->GetActionState(), walker->GetEatCount()),
              tuple(-1, static_cast<uint32_t>(STATE_ANIMAL_GO_EAT), 0u));
    // Halfway between the nodes the first wins.
    walker->SetWorldPosition({(near.x + far.x) / 2.0f, near.y, 0.0f});
    Call(walker, AnimalObject::FN_FIND_EAT_NODE);
    EXPECT_EQ(walker->GetEatNode(), 0);
    // After its move delay it moves on: a next action in the state of moving about, the delay the type's.
    Call(walker, AnimalObject::FN_DO_MOVE_DELAY);
    MessageRecord next;
    for (const MessageRecord& m : park.messages->GetPendingMessages())
        next = m.dwType == MT_DO_NEXT_ACTION ? m : next;
    EXPECT_EQ(tuple(next.dwType, next.dwSender, next.dwReciever, next.dwData2),
              tuple(static_cast<uint32_t>(MT_DO_NEXT_ACTION), walker->GetID(), walker->GetID(),
                    static_cast<uint32_t>(STATE_ANIMAL_MOVEAROUND)));
    EXPECT_NEAR(next.fTime - park.world->GetGameTime(), 3.0f, 1e-3f);
    // Its counts from its type.
    AnimalObject* dolphin = Adopt();
    for (uint32_t f :
         {AnimalObject::FN_SET_EAT_COUNT, AnimalObject::FN_SET_PLAY_COUNT, AnimalObject::FN_SET_REST_COUNT})
        Call(dolphin, f);
    EXPECT_EQ(tuple(dolphin->GetEatCount(), dolphin->GetPlayCount(), dolphin->GetRestCount()), tuple(2u, 3u, 4u));
}

TEST_F(Animals, WanderOnToTheCellsMadeForThemAndStopAtTheMapsEdge)
{
    AnimalObject* dolphin = Adopt();
    AnimalObject* walker = Adopt(2);
    // Wander cells only where the test says.
    for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
        park.map->CellAt(i).m_uiFlags &= ~AnimalObject::kWanderCell;
    const auto open = [&](int x, int y) { park.map->GetCell({x, y})->m_uiFlags |= AnimalObject::kWanderCell; };
    const auto target = [&](AnimalObject* a) { return Cell(a->GetDestination()); };
    // Its last direction open: one step that way (directions clockwise from +y: 2 is +x).
    dolphin->SetWorldPosition(WorldMap::GetCellPoint({10, 10}, 4));
    open(11, 10);
    open(12, 10);
    dolphin->SetLastMoveDir(2);
    Call(dolphin, AnimalObject::FN_FIND_WANDER_POINT);
    EXPECT_EQ(tuple(target(dolphin), dolphin->GetLastMoveDir()), tuple(std::pair(11, 10), 2));
    // A type that moves several cells goes on while the next cell is open, to the map's edge at most.
    walker->SetWorldPosition(WorldMap::GetCellPoint({10, 10}, 4));
    for (int x = 11; x < 24; ++x)
        open(x, 10);
    walker->SetLastMoveDir(2);
    Call(walker, AnimalObject::FN_FIND_WANDER_POINT);
    EXPECT_EQ(target(walker), std::pair(23, 10));
    // Its direction closed: new directions drawn (up to ten) until one is open.
    dolphin->SetLastMoveDir(0);
    open(9, 9);
    int found = 0;
    for (uint32_t seed = 1; seed <= 6; ++seed)
    {
        platform::SRand(seed);
        platform::RandomGenerator draws(seed);
        int32_t expected = -1;
        for (int i = 0; i < 10 && expected != 2 && expected != 5; ++i)
            expected = draws.Next() & 7;
        dolphin->SetLastMoveDir(0);
        const platform::Vec3 before = dolphin->GetDestination();
        walker->SetScriptVariable(ScriptOperand{AnimalObject::VAR_ACTION_STATE}, ScriptValue::UInt(0));
        dolphin->SetScriptVariable(ScriptOperand{AnimalObject::VAR_ACTION_STATE}, ScriptValue::UInt(0));
        Call(dolphin, AnimalObject::FN_FIND_WANDER_POINT);
        EXPECT_EQ(dolphin->GetLastMoveDir(), expected) << seed;
        if (expected == 2 || expected == 5)
        {
            ++found;
            EXPECT_EQ(target(dolphin), expected == 2 ? std::pair(11, 10) : std::pair(9, 9)) << seed;
        }
        else
        {
            EXPECT_EQ(tuple(dolphin->GetActionState(), Cell(dolphin->GetDestination())), tuple(8u, Cell(before)))
                << seed;
        }
    }
    EXPECT_GT(found, 0);
    // None open: it cannot move, after ten draws.
    dolphin->SetWorldPosition(WorldMap::GetCellPoint({3, 18}, 4));
    dolphin->SetLastMoveDir(0);
    platform::SRand(4);
    Call(dolphin, AnimalObject::FN_FIND_WANDER_POINT);
    platform::RandomGenerator tenth(4);
    for (int i = 0; i < 10; ++i)
        tenth.Next();
    EXPECT_EQ(tuple(dolphin->GetActionState(), platform::Rand()), tuple(8u, tenth.Next()));
}

TEST_F(Animals, AnswerTheirScriptsVariablesAndTheMessageBeingHandled)
{
    AnimalObject* dolphin = Adopt();
    const auto var = [&](uint32_t id)
    {
        ScriptOperand operand;
        operand.id = id;
        return dolphin->GetScriptVariable(operand);
    };
    const auto set = [&](uint32_t id, ScriptValue value)
    {
        ScriptOperand operand;
        operand.id = id;
        dolphin->SetScriptVariable(operand, value);
    };
    set(AnimalObject::VAR_ACTION_STATE, ScriptValue::Float(7.9f));
    set(AnimalObject::VAR_EAT_COUNT, ScriptValue::UInt(4));
    set(AnimalObject::VAR_PLAY_COUNT, ScriptValue::Bool(true));
    set(AnimalObject::VAR_REST_COUNT, ScriptValue::Float(2.5f));
    set(AnimalObject::VAR_HOME, ScriptValue::UInt(99));
    EXPECT_EQ(tuple(var(AnimalObject::VAR_ACTION_STATE).data, var(AnimalObject::VAR_EAT_COUNT).data,
                    var(AnimalObject::VAR_PLAY_COUNT).data, var(AnimalObject::VAR_REST_COUNT).data,
                    var(AnimalObject::VAR_HOME).data, var(AnimalObject::VAR_HOME).type),
              tuple(7u, 4u, 1u, 2u, home->GetID(), static_cast<uint32_t>(SCRIPT_VALUE_UINT)));
    // Ids of the moving object and beyond are its base's.
    EXPECT_EQ(tuple(var(120).type, var(107).data), tuple(static_cast<uint32_t>(SCRIPT_VALUE_BOOL), dolphin->GetID()));
    // The message being handled: its data and sixth field, restored after a message handled inside its handling;
    // none outside.
    MessageRecord day;
    day.dwSender = kWorldID;
    day.dwReciever = dolphin->GetID();
    day.dwType = MT_NEW_DAY;
    day.dwData = 9;
    day.dwData2 = 6;
    park.messages->Send(day);
    EXPECT_EQ(tuple(dolphin->GetRestCount(), dolphin->GetActionState(), dolphin->GetEatCount()), tuple(5u, 9u, 6u));
    EXPECT_EQ(tuple(var(AnimalObject::VAR_MESS_DATA).data, var(AnimalObject::VAR_MESS_STATE).data), tuple(0u, 0u));
}

TEST_F(Animals, PlayTheMeshAnimationsOfTheirPaths)
{
    AnimalObject* dolphin = Adopt();
    const auto modelFile = [](const AnimalObject* a)
    {
        const std::string name = g_ModelManager.GetName(a->GetModel());
        return name.substr(name.find_last_of('/') + 1);
    };
    // (name, the meshes it may take): looping, never ended by the scheduler.
    const tuple<const char*, std::vector<std::string>> cases[] = {
        {"PathMove", {"DOLPHIN_mesh_MOVE_00.tm", "DOLPHIN_mesh_MOVE_01.tm"}},
        {"PathEat", {"DOLPHIN_mesh_EAT_00.tm"}},
        {"PathPlay", {"DOLPHIN_mesh_PLAY_00.tm"}},
        {"PathRest", {"DOLPHIN_mesh_REST_00.tm"}}};
    for (const auto& [name, meshes] : cases)
    {
        std::set<std::string> seen;
        for (uint32_t seed = 1; seed <= 8; ++seed)
        {
            platform::SRand(seed);
            dolphin->PlayAnimation(name, false, 0xFFFFFFFF, true, nullptr);
            seen.insert(modelFile(dolphin));
            EXPECT_TRUE(dolphin->IsAnimating() && !g_AnimationScheduler.IsScheduled(dolphin));
            EXPECT_EQ(dolphin->GetCurrentAnimation(), dolphin->GetModel());
        }
        EXPECT_EQ(seen, std::set<std::string>(meshes.begin(), meshes.end())) << name;
    }
    // A type that matches its meshes to its path slot takes the slot's mesh.
    park.params->GetAnimalInfo(park.params->FindAnimal("DOLPHIN")).bMatchMesh = true;
    dolphin->SetPathSlot(1);
    dolphin->PlayAnimation("PathMove", false, 0xFFFFFFFF, true, nullptr);
    EXPECT_EQ(modelFile(dolphin), "DOLPHIN_mesh_MOVE_01.tm");
    // No animations of an action, or any other name: the model stays.
    park.params->GetAnimalInfo(park.params->FindAnimal("DOLPHIN")).iEatAnims = 0;
    for (const char* name : {"PathEat", "Swim", "pathmove", ""})
        dolphin->PlayAnimation(name, false, 0xFFFFFFFF, true, nullptr);
    EXPECT_EQ(modelFile(dolphin), "DOLPHIN_mesh_MOVE_01.tm");
}

// Model handles are numbered in the order models are first loaded, which differs from one run of the game to the
// next: the numbers a save holds for an animal's mesh may stand for other models in the run that loads it. The
// loaded animal shows one of its own meshes and plays it, whatever the saved numbers name now.
TEST_F(Animals, ShowTheirOwnMeshAfterALoadWhateverTheSavedHandlesNameNow)
{
    AnimalObject* dolphin = Adopt();
    dolphin->PlayAnimation("PathRest", false, 0xFFFFFFFF, true, nullptr);
    const auto fileOf = [](uint32_t handle)
    {
        const std::string name = g_ModelManager.GetName(handle);
        return name.substr(name.find_last_of('/') + 1);
    };
    ASSERT_EQ(fileOf(dolphin->GetModel()), "DOLPHIN_mesh_REST_00.tm");
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { dolphin->Dump(s); });
    // The record ends with the animated part: its animation handle is the fourth item of that part, the model
    // handle the last item.
    const size_t animationAt = saved.size() - 54, modelAt = saved.size() - 4;
    for (size_t at : {animationAt, modelAt})
    {
        uint32_t handle = 0;
        std::memcpy(&handle, &saved[at], 4);
        ASSERT_EQ(handle, dolphin->GetModel());
    }
    // Another object's model: a path model of the dolphin's home.
    const uint32_t other = g_ModelManager.Load(AnimalPathModelName("DOLPHIN", ANIMAL_ACTION_PLAY, 0).c_str());
    ASSERT_NE(other, 0u);
    ASSERT_EQ(fileOf(other), "DOLPHIN_PLAY_00.tm");
    ASSERT_FALSE(g_ModelManager.IsInUse(250));
    const std::set<std::string> meshes = {"DOLPHIN_mesh_MOVE_00.tm", "DOLPHIN_mesh_MOVE_01.tm",
                                          "DOLPHIN_mesh_EAT_00.tm", "DOLPHIN_mesh_PLAY_00.tm",
                                          "DOLPHIN_mesh_REST_00.tm"};
    const struct
    {
        const char* run;
        uint32_t animation, model; // what the saved numbers name in the run that loads
    } cases[] = {
        {"the same run", dolphin->GetModel(), dolphin->GetModel()},
        {"a run where both name another object's model", other, other},
        {"a run where the model's number names nothing", dolphin->GetModel(), 250},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.run);
        savebytes::Bytes bytes = saved;
        std::memcpy(&bytes[animationAt], &c.animation, 4);
        std::memcpy(&bytes[modelAt], &c.model, 4);
        AnimalObject* copy = Adopt();
        ASSERT_TRUE(savebytes::LoadFrom(bytes, [&](SerialStream& s) { return copy->Load(s); }));
        EXPECT_TRUE(meshes.count(fileOf(copy->GetModel())) == 1) << fileOf(copy->GetModel());
        EXPECT_EQ(fileOf(copy->GetCurrentAnimation()), fileOf(copy->GetModel()));
        EXPECT_TRUE(copy->IsAnimating());
    }
    // In the same run the saved mesh itself comes back.
    AnimalObject* same = Adopt();
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return same->Load(s); }));
    EXPECT_EQ(fileOf(same->GetModel()), "DOLPHIN_mesh_REST_00.tm");
}

TEST_F(Animals, AnswerThePanelsKeywordsThroughTheCheckedFormatter)
{
    // The sale text takes a %d; the one here asks for a text too, which it is not given.
    const std::unique_ptr<TextTable> texts = jobstest::MakeTexts(
        park.dir, u"AT_DOLPHIN=Bottlenose|AP_DESIRE_REST=resting|AP_DESIRE_PLAY=playing|AP_MOVING=swims|"
                  u"AP_EATING=eats|AP_NOTHING=idle|ANIMAL_AGE_YOUNG=young|ANIMAL_AGE_ADULT=adult|ANIMAL_AGE_OLD=old|"
                  u"ANIMAL_HEALTH_HAPPY=happy|ANIMAL_CONFIRM_SELL=Sell for $%d? %s");
    AnimalObject* dolphin = Adopt();
    dolphin->SetDesire(0, 0.5f);
    dolphin->SetDesire(1, 0.5f);
    dolphin->SetOpinion(AnimalObject::OPINION_FOOD, 0.25f);
    dolphin->SetState(STATE_ANIMAL_MOVEAROUND);
    const char16_t* ages[] = {u"young", u"adult", u"old"};
    const tuple<const char*, platform::WString> cases[] = {
        {"ANIMAL_NAME", u"Bottlenose"},
        {"ANIMAL_DESIRE", u"resting"},
        {"ANIMAL_ACTIVITY", u"swims"},
        {"ANIMAL_AGE", ages[dolphin->GetAge()]},
        {"ANIMAL_DESIRE_REST", u"0.50"},
        {"ANIMAL_DESINC_PLAY_SAD", FormatChecked(u"%.2f", {static_cast<double>(dolphin->GetDesireIncrease(1, 1))})},
        {"ANIMAL_DESINC_REST_HAPPY", FormatChecked(u"%.2f", {static_cast<double>(dolphin->GetDesireIncrease(0, 2))})},
        {"ANIMAL_OPINION_FOOD", u"0.25"},
        {"ANIMAL_OPINION_CROWDING", u"1.00"},
        {"ANIMAL_HEALTH", u"1.00"},
        {"ANIMAL_HEALTH_LEVEL", u"happy"},
        {"ANIMAL_STATE_STRING", u"STATE_ANIMAL_MOVEAROUND"},
        {"ANIMAL_CONFIRM_SELL", u"Sell for $750? %s"},
        {"ANIMAL_SPECIES", u""},
        {"ANIMAL_DESINC_PLAY_WILD", u""}};
    for (const auto& [keyword, text] : cases)
        EXPECT_EQ(Get(dolphin, keyword), text) << keyword;
    EXPECT_EQ(park.CountReports("AnimalObject::GetVariable - data keyword not recognised"), 2u);
    // Play wins the desire text only when larger; eating shows while going to eat.
    dolphin->SetDesire(1, 0.51f);
    dolphin->SetState(STATE_ANIMAL_GO_EAT);
    EXPECT_EQ(tuple(Get(dolphin, "ANIMAL_DESIRE"), Get(dolphin, "ANIMAL_ACTIVITY")), tuple(u"playing", u"eats"));
    dolphin->SetState(STATE_STARTUP);
    EXPECT_EQ(Get(dolphin, "ANIMAL_ACTIVITY"), u"idle");
}

TEST_F(Animals, OpenAndCloseTheirPanel)
{
    jobstest::Gui gui;
    AnimalObject* first = Adopt();
    AnimalObject* second = Adopt();
    // Selected: the animal panel of this animal opens (another's closes first).
    second->OnSelected(true, true);
    first->OnSelected(true, false);
    ASSERT_EQ(gui.opened.size(), 2u);
    EXPECT_EQ(
        tuple(gui.opened[1].first, gui.opened[1].second == first, first->GetSelectLevel(), second->GetSelectLevel()),
        tuple("ANIMAL_Menu", true, 2, 0));
    // Selected again: it closes.
    first->OnSelected(true, false);
    EXPECT_EQ(first->GetSelectLevel(), 0);
    // Pointed at (not selected): marked; while another's panel is open, its next selection opens its own panel
    // and closes the other.
    second->OnSelected(true, false);
    first->OnSelected(false, false);
    EXPECT_EQ(tuple(first->GetSelectLevel(), second->GetSelectLevel()), tuple(1, 2));
    first->OnSelected(true, false);
    EXPECT_EQ(tuple(first->GetSelectLevel(), second->GetSelectLevel(), gui.opened.size()), tuple(2, 0, size_t{4}));
    first->ClosePanel();
    second->OnSelected(false, false);
    second->ResetPanelState();
    EXPECT_EQ(tuple(first->GetSelectLevel(), second->GetSelectLevel()), tuple(0, 0));
}

TEST_F(Animals, AreSoldOnceLeavingTheirHomeTheirPathAndTheirEatPoint)
{
    AnimalObject* dolphin = Adopt();
    AnimalObject* walker = Adopt(2);
    Call(walker, AnimalObject::FN_FIND_EAT_POINT);
    const float cash = park.Cash();
    walker->Sell();
    EXPECT_EQ(tuple(park.Cash(), walker->IsWaitingForDeath(), home->IsEatPointInUse(0), home->GetAnimalCount(),
                    home->GetAnimal(0), home->GetAnimalIntensity()),
              tuple(cash + 300.0f, true, false, 1, dolphin->GetID(), 1.0f));
    walker->Sell();
    EXPECT_EQ(park.Cash(), cash + 300.0f);
    dolphin->Sell();
    EXPECT_EQ(tuple(park.Cash(), home->GetAnimalCount(), home->GetAnimalPath(0)->GetAnimals().size()),
              tuple(cash + 1050.0f, 0, size_t{0}));
}

TEST_F(Animals, LiveOnWithoutTheirHome)
{
    AnimalObject* walker = Adopt(2);
    Call(walker, AnimalObject::FN_FIND_EAT_POINT);
    walker->SetOpinion(AnimalObject::OPINION_CLEANLINESS, 0.4f);
    walker->SetOpinion(AnimalObject::OPINION_CROWDING, 0.7f);
    park.objects->RemoveObject(home->GetID());
    // Nothing of the home is read, and nothing found there.
    Frames(walker, 10, 1.0f);
    const platform::Vec3 before = walker->GetDestination();
    for (uint32_t f = AnimalObject::FN_CHECK_DESIRES; f <= AnimalObject::FN_PLAY_ANIMAL_SOUND; ++f)
    {
        // Wandering has nothing to do with the home.
        if (f != AnimalObject::FN_FIND_WANDER_POINT)
            Call(walker, f);
    }
    const float cash = park.Cash();
    walker->Sell();
    EXPECT_EQ(tuple(walker->GetOpinion(AnimalObject::OPINION_CLEANLINESS),
                    walker->GetOpinion(AnimalObject::OPINION_CROWDING), walker->GetPointUsing(),
                    walker->GetDestination().x, walker->GetDestination().y, park.Cash(), walker->IsWaitingForDeath()),
              tuple(0.4f, 0.7f, -1, before.x, before.y, cash + 300.0f, true));
}

TEST_F(Animals, SaveLoadAndSaveAgainTheSameRecordAndRefuseDamagedOnes)
{
    AnimalObject* dolphin = Adopt();
    dolphin->SetDesire(0, 1.02f);
    dolphin->SetOpinion(AnimalObject::OPINION_FOOD, 0.3f);
    Call(dolphin, AnimalObject::FN_SET_PLAY_COUNT);
    dolphin->SetShowTime();
    const auto bytes = [](AnimalObject* a) { return savebytes::Saved([&](SerialStream& s) { a->Dump(s); }); };
    const savebytes::Bytes saved = bytes(dolphin);
    // The desires open the record: a float array of two.
    savebytes::Bytes desires;
    savebytes::Tagged(desires, 10, 2);
    float values[2] = {1.02f, dolphin->GetDesire(1)};
    for (float v : values)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        savebytes::U32(desires, bits);
    }
    EXPECT_EQ(savebytes::Bytes(saved.begin(), saved.begin() + desires.size()), desires);
    AnimalObject* copy = Adopt();
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return copy->Load(s); }));
    EXPECT_EQ(bytes(copy), saved);
    EXPECT_EQ(tuple(copy->GetDesire(0), copy->GetOpinion(0), copy->GetPlayCount(), copy->IsShowTime(), copy->GetHome(),
                    copy->GetPathSlot(), copy->GetID()),
              tuple(1.02f, 0.3f, 3u, true, home->GetID(), 0u, dolphin->GetID()));
    // Item offsets: desires 13 bytes, growth 29, opinions 17, home 5, happiness 5, lock 2, then the ints.
    const auto edited = [&](size_t at, uint32_t value)
    {
        savebytes::Bytes b = saved;
        std::memcpy(&b[at], &value, 4);
        return b;
    };
    const size_t opinions = 13 + 29 + 5, age = 13 + 29 + 17 + 5 + 5 + 2 + 1;
    float high = 1.5f, nan = std::nanf("");
    uint32_t highBits, nanBits;
    std::memcpy(&highBits, &high, 4);
    std::memcpy(&nanBits, &nan, 4);
    // Every field of a record comes back and is saved again, the sleeping place (the int after the feeding place)
    // too.
    const savebytes::Bytes asleep = edited(age + 15, 2);
    AnimalObject* sleeper = Adopt();
    ASSERT_TRUE(savebytes::LoadFrom(asleep, [&](SerialStream& s) { return sleeper->Load(s); }));
    EXPECT_EQ(bytes(sleeper), asleep);
    for (const savebytes::Bytes& bad :
         {edited(opinions + 4, highBits), edited(5, nanBits), edited(age, 3), edited(age + 5, 20), edited(age + 20, 8),
          savebytes::Bytes(saved.begin(), saved.begin() + 60), savebytes::Bytes(saved.begin(), saved.end() - 2)})
    {
        AnimalObject* damaged = Adopt();
        EXPECT_FALSE(savebytes::LoadFrom(bad, [&](SerialStream& s) { return damaged->Load(s); }));
    }
}

TEST_F(Animals, KeepTheirPanelStateWithoutAGui)
{
    ASSERT_EQ(GetParkGui(), nullptr);
    AnimalObject* dolphin = Adopt();
    // (selected, the panel state after it): pointed at, opened, closed, opened, closed again.
    const std::pair<bool, int32_t> steps[] = {{false, 1}, {true, 2}, {true, 0}, {true, 2}, {false, 2}, {true, 0}};
    for (const auto& [selected, level] : steps)
    {
        dolphin->OnSelected(selected, false);
        EXPECT_EQ(dolphin->GetSelectLevel(), level) << selected;
    }
}

namespace
{

// A zookeeper's visit fills the animal's food; its home, which calls a zookeeper while its animals are unhappy,
// must see them as happy as that makes them, or it calls the next zookeeper for animals already cared for.
TEST_F(Animals, AVisitedAnimalIsAsHappyAsItsFilledFoodMakesIt)
{
    const struct
    {
        float crowding;
        float cleanliness;
        bool calledAgain;
    } cases[] = {{0.0f, 1.0f, false}, {1.0f, 1.0f, false}, {0.0f, 0.0f, true}};
    for (const auto& c : cases)
    {
        AnimalObject* dolphin = Adopt();
        dolphin->SetOpinion(AnimalObject::OPINION_FOOD, 0.0f);
        dolphin->SetOpinion(AnimalObject::OPINION_CROWDING, c.crowding);
        Frames(dolphin, 1, 0.0f);
        dolphin->SetOpinion(AnimalObject::OPINION_CLEANLINESS, c.cleanliness);
        RepairManager* zoo = GetZooRepair();
        ASSERT_NE(zoo, nullptr);
        zoo->CancelRepair(home->GetID());
        park.Send(home->GetID(), dolphin->GetID(), MT_ANIMAL_ZOO_VISITED);
        // Food full, the mean of the three opinions is at least a third; below a half the home calls again.
        const float mean = (1.0f + c.crowding + c.cleanliness) / 3.0f;
        EXPECT_NEAR(dolphin->GetHappiness(), mean, 1e-3f) << c.crowding << " " << c.cleanliness;
        home->Update();
        EXPECT_EQ(zoo->HoldsRequest(home->GetID()), c.calledAgain) << c.crowding << " " << c.cleanliness;
        dolphin->Sell();
        park.Frames(1);
    }
}

} // namespace

// An animal walking the eat nodes holds the index of the node it walks to, or -1 when it walks none: a record with
// an index below -1 holds a value no animal keeps, and is refused like the other damaged records.
TEST_F(Animals, RefuseARecordWalkingToAnEatNodeBelowNone)
{
    AnimalObject* dolphin = Adopt();
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { dolphin->Dump(s); });
    // Item offsets: desires 13 bytes, growth 29, opinions 17, home 5, happiness 5, lock 2; then the ints of five
    // bytes each: age, eat point, eat node.
    const size_t eatNode = 13 + 29 + 17 + 5 + 5 + 2 + 1 + 10;
    struct Case
    {
        int32_t node;
        bool loaded;
    };
    const Case cases[] = {{-1, true}, {0, true}, {3, true}, {-2, false}, {INT32_MIN, false}};
    for (const Case& c : cases)
    {
        savebytes::Bytes bytes = saved;
        std::memcpy(&bytes[eatNode], &c.node, 4);
        AnimalObject* copy = Adopt();
        EXPECT_EQ(savebytes::LoadFrom(bytes, [&](SerialStream& s) { return copy->Load(s); }), c.loaded) << c.node;
        if (c.loaded)
        {
            EXPECT_EQ(copy->GetEatNode(), c.node);
        }
    }
}
