// Tests of objects run by their scripts inside the park: state changes through MT_STATECHANGE with OnExit and
// OnEntry nested in the command that asked for them, message handlers, OnSend before the receiver's handler, the
// pause, nested deliveries between scripted objects, and the park as the scripts' host.
#include "tests/world/WorldTestSupport.h"

#include "scripts/ObjectScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace worldtest;

namespace
{

// A park object bound to a script, wired as the scripted classes are: state entry, exit and update run the
// script's lists, messages go first to the state change and then to the script's handlers, and posts go through
// the script's OnSend handlers. Functions and one variable (DestObject, 121) are its own.
class ScriptedProbe : public StaticObject
{
public:
    ScriptedProbe() : StaticObject(8) {}

    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t state) override
    {
        if (script)
            script->PerformOnEntry(*this, state);
        return true;
    }
    bool OnStateExit() override
    {
        if (script)
            script->PerformOnExit(*this, m_dwState);
        return true;
    }
    bool Update() override
    {
        BaseObject::Update();
        if (script)
            script->PerformOnUpdate(*this, m_dwState);
        return true;
    }
    bool Message(const MessageRecord& record) override
    {
        if (BaseObject::Message(record))
            return true;
        return script && script->PerformOnReceipt(*this, record);
    }
    bool PostMessage(MessageRecord record) override
    {
        return script ? script->SendMessage(*this, record) : BaseObject::PostMessage(record);
    }
    bool PostDelayedMessage(MessageRecord record, float delay) override
    {
        return script ? script->SendDelayedMessage(*this, record, delay)
                      : BaseObject::PostDelayedMessage(record, delay);
    }
    void CallScriptFunction(uint32_t function) override
    {
        Probe::Journal().push_back(std::to_string(m_dwID) + " function " + std::to_string(function));
    }
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override
    {
        if (operand.id == 121)
            return ScriptValue::UInt(other);
        return BaseObject::GetScriptVariable(operand);
    }

    const ObjectScript* script = nullptr;
    uint32_t other = kNoObjectID;
};

class ScriptedObjects : public ::testing::Test
{
protected:
    ScriptedObjects()
    {
        RegisterObjectKind(OBJECT_GUEST, []() -> BaseObject* { return new ScriptedProbe; });
    }

    ScriptedProbe* Make(const std::string& scriptText)
    {
        scripts.push_back(std::make_unique<ObjectScript>());
        scripts.back()->Compile(scriptText.data(), static_cast<uint32_t>(scriptText.size()));
        auto* probe = static_cast<ScriptedProbe*>(park.objects->CreateObject("GUEST", OBJECT_GUEST));
        probe->SetType(OBJECT_GUEST);
        probe->script = scripts.back().get();
        return probe;
    }

    std::string Fn(const BaseObject* object, uint32_t function) const
    {
        return std::to_string(object->GetID()) + " function " + std::to_string(function);
    }

    Park park;
    std::vector<std::unique_ptr<ObjectScript>> scripts;
};

} // namespace

TEST_F(ScriptedObjects, TheParkIsTheHostOfItsScripts)
{
    EXPECT_EQ(g_pScriptManager, &park.world->GetScriptManager());
    EXPECT_EQ(GetScriptHost(), park.world.get());
    // A cell is 4 scene units square and the map's origin lies at 512: map point (32, 64) is cell (1, 1)'s corner.
    const platform::Vec3 scene = park.world->ScenePosition({32.0f, 64.0f, 5.0f});
    EXPECT_EQ(std::tuple(scene.x, scene.y, scene.z), std::tuple(516.0f, 0.0f, 516.0f));
    const platform::Vec3 origin = park.world->ScenePosition({0.0f, 0.0f, 0.0f});
    EXPECT_EQ(std::tuple(origin.x, origin.z), std::tuple(512.0f, 512.0f));
}

TEST_F(ScriptedObjects, AStateChangeRunsOnExitAndOnEntryInsideTheCommandThatAskedForIt)
{
    ScriptedProbe* guest =
        Make("State STATE_STARTUP\n"
             " OnEntry Function SearchDesire ; ChangeState STATE_DEAD ; Function GetConsumePoint ; End\n"
             " OnExit Function SetInvisible ; End\n"
             "End\n"
             "State STATE_DEAD OnEntry Function SetVisible ; End End\n");
    Probe::Journal().clear();
    park.messages->Send(Record(kWorldID, guest->GetID(), MT_STATECHANGE, STATE_STARTUP));
    EXPECT_EQ(Probe::Journal(), (std::vector<std::string>{Fn(guest, 0), Fn(guest, 2), Fn(guest, 3), Fn(guest, 1)}));
    EXPECT_EQ(guest->GetState(), uint32_t{STATE_DEAD});
    EXPECT_TRUE(park.TakeReports().empty());
}

TEST_F(ScriptedObjects, AChangeAskedForInAnUpdateIsDeliveredAtOnceAndUpdatesDoNotRunWhilePaused)
{
    ScriptedProbe* guest = Make("State STATE_STARTUP OnUpdate Function AddVisit ; ChangeState STATE_DEAD ; End\n"
                                " OnExit Function SetInvisible ; End End\n"
                                "State STATE_DEAD OnEntry Function SetVisible ; End End\n");
    guest->SetState(STATE_STARTUP);
    park.world->SetPaused(true);
    guest->Update();
    EXPECT_TRUE(Probe::Journal().empty());
    park.world->SetPaused(false);
    guest->Update();
    EXPECT_EQ(Probe::Journal(), (std::vector<std::string>{Fn(guest, 13), Fn(guest, 2), Fn(guest, 3)}));
}

TEST_F(ScriptedObjects, MessagesRunTheHandlersOfTheReceiversStateAfterTheSendersOnSend)
{
    ScriptedProbe* receiver = Make("State STATE_STARTUP\n"
                                   " Message MT_PRICE_OK OnReceipt Function WithdrawCash ; End End\n"
                                   "End\n");
    ScriptedProbe* sender = Make("State STATE_STARTUP\n"
                                 " OnEntry Message MT_PRICE_OK DestObject 0 0 ; Function FindExit ; End\n"
                                 " Message MT_PRICE_OK OnSend Function AlterPriceOpinion ; End End\n"
                                 "End\n");
    receiver->SetState(STATE_STARTUP);
    sender->other = receiver->GetID();
    Probe::Journal().clear();
    park.messages->Send(Record(kWorldID, sender->GetID(), MT_STATECHANGE, STATE_STARTUP));
    EXPECT_EQ(Probe::Journal(), (std::vector<std::string>{Fn(sender, 7), Fn(receiver, 33), Fn(sender, 25)}));
    // A message without a handler in the receiver's state is not handled.
    receiver->SetState(STATE_DEAD);
    EXPECT_FALSE(receiver->Message(Record(sender->GetID(), receiver->GetID(), MT_PRICE_OK)));
    receiver->SetState(STATE_STARTUP);
    EXPECT_FALSE(receiver->Message(Record(sender->GetID(), receiver->GetID(), MT_PRICE_NOT_OK)));
    EXPECT_TRUE(receiver->Message(Record(sender->GetID(), receiver->GetID(), MT_PRICE_OK)));
}

TEST_F(ScriptedObjects, RandomOperandsWithoutARangeReadAsZeroAndFalseAndAreReportedOnceWhenCompiled)
{
    ScriptedProbe* guest = Make("State STATE_STARTUP OnEntry\n"
                                " If (Random0) Function SearchDesire ; End\n"
                                " If (RandUint30 == 0) Function KillMe ; End\n"
                                " If (Random1) Function SetVisible ; End\n"
                                "End End\n");
    EXPECT_EQ(park.CountReports("range of 0"), 2u);
    for (int run = 0; run < 3; ++run)
    {
        Probe::Journal().clear();
        park.messages->Send(Record(kWorldID, guest->GetID(), MT_STATECHANGE, STATE_STARTUP));
        EXPECT_EQ(Probe::Journal(), (std::vector<std::string>{Fn(guest, 82), Fn(guest, 3)}));
    }
    EXPECT_EQ(park.CountReports("range of 0"), 2u);
}

TEST_F(ScriptedObjects, RunawayScriptsCostABoundedFrameAndTheGameGoesOn)
{
    // A State that enters itself twice, and a handler that posts its own message to itself twice: each message
    // makes two more, at once and, past the nesting limit, in the next frame.
    ScriptedProbe* entering = Make("State STATE_STARTUP\n"
                                   " OnEntry Function SearchDesire ; ChangeState STATE_STARTUP ; ChangeState "
                                   "STATE_STARTUP ; End\n"
                                   "End\n");
    ScriptedProbe* posting = Make("State STATE_STARTUP Message MT_PRICE_OK\n"
                                  " OnReceipt Function WithdrawCash ; Message MT_PRICE_OK Me 0 0 ; Message MT_PRICE_OK "
                                  "Me 0 0 ; End End End\n");
    ScriptedProbe* calm = Make("State STATE_STARTUP Message MT_NEW_DAY OnReceipt Function KillMe ; End End End\n");
    posting->SetState(STATE_STARTUP);
    calm->SetState(STATE_STARTUP);
    park.messages->Send(Record(kWorldID, entering->GetID(), MT_STATECHANGE, STATE_STARTUP));
    park.messages->Send(Record(kWorldID, posting->GetID(), MT_PRICE_OK));
    // Each runaway object can post one share a frame, and each message it gets runs one list of it.
    const size_t bound = 4 * MessageHandler::kMaxPostsPerFrame;
    size_t calmHeard = 0;
    for (int frame = 0; frame < 100; ++frame)
    {
        Probe::Journal().clear();
        park.messages->SendDelayed(Record(kWorldID, calm->GetID(), MT_NEW_DAY), 0.0f);
        park.Frame(0.1f);
        const auto& journal = Probe::Journal();
        const auto count = [&](const std::string& line)
        { return static_cast<size_t>(std::count(journal.begin(), journal.end(), line)); };
        ASSERT_LE(count(Fn(entering, 0)), bound) << frame;
        ASSERT_LE(count(Fn(posting, 33)), bound) << frame;
        ASSERT_LE(park.messages->GetPendingCount(), bound) << frame;
        calmHeard += count(Fn(calm, 82));
    }
    // The rest of the park is not held up, and the runaways are each reported once.
    EXPECT_EQ(calmHeard, 100u);
    EXPECT_EQ(park.CountReports("posted more than"), 2u);
    EXPECT_LE(park.reports.boxes.size(), 4u);
}

TEST_F(ScriptedObjects, AScriptRunningAwayFrameAfterFrameIsReportedOncePerObject)
{
    // Handlers that post their message to themselves twice in the name of the park or of the player's demolition,
    // which may post far more in a frame than an object: every frame their chains of lists run into their bound.
    ScriptedProbe* asPark = Make("State STATE_STARTUP Message MT_PRICE_OK\n"
                                 " OnReceipt Function WithdrawCash ; Message MT_PRICE_OK Me 0 0 SendFrom -2 ;"
                                 " Message MT_PRICE_OK Me 0 0 SendFrom -2 ; End End End\n");
    ScriptedProbe* asDemolition = Make("State STATE_STARTUP Message MT_PRICE_NOT_OK\n"
                                       " OnReceipt Function OutOfCash ; Message MT_PRICE_NOT_OK Me 0 0 SendFrom -3 ;"
                                       " Message MT_PRICE_NOT_OK Me 0 0 SendFrom -3 ; End End End\n");
    for (ScriptedProbe* probe : {asPark, asDemolition})
        probe->SetState(STATE_STARTUP);
    park.messages->Send(Record(kWorldID, asPark->GetID(), MT_PRICE_OK));
    park.messages->Send(Record(kWorldID, asDemolition->GetID(), MT_PRICE_NOT_OK));
    int runawayFrames = 0;
    for (int frame = 0; frame < 10; ++frame)
    {
        Probe::Journal().clear();
        park.Frame(0.1f);
        const auto& journal = Probe::Journal();
        // Still running away in this frame: both handlers ran past one chain's bound.
        if (std::count(journal.begin(), journal.end(), Fn(asPark, 33)) > 4096 &&
            std::count(journal.begin(), journal.end(), Fn(asDemolition, 32)) > 4096)
            ++runawayFrames;
    }
    EXPECT_GE(runawayFrames, 5);
    for (ScriptedProbe* probe : {asPark, asDemolition})
        EXPECT_EQ(park.CountReports("one chain of lists started at once ran more than 4096 lists - the rest of it is "
                                    "dropped (object " +
                                    std::to_string(probe->GetID()) + ")"),
                  1u);
}

TEST_F(ScriptedObjects, AScriptPlacesAnObjectAtTheNumbersItWritesToWorldXAndWorldY)
{
    // The numbers of a script are reals; whole numbers the object answers (its id here) are integers.
    const struct
    {
        const char* commands;
        float x, y;
    } cases[] = {
        {"Set WorldX 100 ; Set WorldY 200 ;", 100.0f, 200.0f},
        {"Set WorldY 70.5 ;", 40.0f, 70.5f},
        {"Set WorldX 0 ;", 0.0f, 80.0f},
        {"Set WorldX Me ;", -1.0f, 80.0f}, // -1: the object's id
    };
    for (const auto& c : cases)
    {
        ScriptedProbe* probe = Make(std::string("State STATE_STARTUP OnEntry ") + c.commands + " End End\n");
        probe->SetWorldPosition({40.0f, 80.0f, 0.0f});
        park.messages->Send(Record(kWorldID, probe->GetID(), MT_STATECHANGE, STATE_STARTUP));
        const float x = c.x < 0.0f ? static_cast<float>(probe->GetID()) : c.x;
        EXPECT_EQ(std::pair(probe->GetWorldPosition().x, probe->GetWorldPosition().y), std::pair(x, c.y)) << c.commands;
        EXPECT_TRUE(park.map->GetCell(WorldMap::WorldToGrid(probe->GetWorldPosition()))->ContainsObject(probe))
            << c.commands;
    }
    // A value that is no number leaves the object where it stands.
    ScriptedProbe* probe = Make("");
    probe->SetWorldPosition({40.0f, 80.0f, 0.0f});
    for (uint32_t id : {79u, 80u})
        probe->SetScriptVariable(ScriptOperand{id}, ScriptValue::Float(std::nanf("")));
    EXPECT_EQ(std::pair(probe->GetWorldPosition().x, probe->GetWorldPosition().y), std::pair(40.0f, 80.0f));
}

TEST_F(ScriptedObjects, AScriptFlagsItsObjectForRemovalWithATrueValueOrAOne)
{
    // WaitingForDeath takes the low byte of the number written: 1 and true flag the object, 0, false and 256 do not.
    const struct
    {
        const char* value;
        bool flagged;
    } cases[] = {
        {"1", true}, {"true", true}, {"3", true}, {"0", false}, {"false", false}, {"256", false},
    };
    for (const auto& c : cases)
    {
        ScriptedProbe* probe =
            Make(std::string("State STATE_STARTUP OnEntry Set WaitingForDeath ") + c.value + " ; End End\n");
        ASSERT_FALSE(probe->IsWaitingForDeath());
        park.messages->Send(Record(kWorldID, probe->GetID(), MT_STATECHANGE, STATE_STARTUP));
        EXPECT_EQ(probe->IsWaitingForDeath(), c.flagged) << "Set WaitingForDeath " << c.value;
    }
}
