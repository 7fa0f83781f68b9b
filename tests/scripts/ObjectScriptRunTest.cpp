// Tests of running object scripts: every command performed on an object, integer and float arithmetic, the
// conditions of If and Switch, the messages and state changes posted, and which State lists run when.
#include "tests/scripts/ScriptTestSupport.h"

#include "engine/media/SoundManager.h"
#include "scripts/ObjectStates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

using namespace scripttest;

namespace
{

// Variable ids used below (object variable names).
constexpr uint32_t kSender = 0, kCash = 4, kHappiness = 8, kMaxPrice = 9, kMsgChar = 22, kText = 32;
constexpr uint32_t kDestObject = 121, kOwner = 125;

std::string InEntry(const std::string& commands)
{
    return "State STATE_STARTUP\nOnEntry\n" + commands + "\nEnd\nEnd\n";
}

class ObjectScriptRun : public ScriptFixture
{
protected:
    // Compiles the commands as the OnEntry list of STATE_STARTUP and runs it once for the object.
    void Run(const std::string& commands)
    {
        const ObjectScript& script = Bind(InEntry(commands));
        ASSERT_EQ(script.GetNumStates(), 1u);
        script.PerformOnEntry(object, STATE_STARTUP);
    }
    // Whether a condition holds: runs an If that sets Sender to true or, in its else-list, to false.
    bool Holds(const std::string& condition)
    {
        object.vars.erase(kSender);
        Run("If " + condition + " Set Sender true ; Else Set Sender false ; End");
        EXPECT_EQ(object.vars.count(kSender), 1u) << condition;
        return object.vars.count(kSender) && object.Word(kSender) == 1;
    }
};

float Bits(uint32_t word)
{
    return ScriptValue{SCRIPT_VALUE_FLOAT, word, nullptr}.AsFloatBits();
}

} // namespace

TEST_F(ObjectScriptRun, FunctionsReachTheObjectExceptDebug)
{
    Run("Function SearchDesire ; Function Debug ; Function NoSuchFunction ; Function KillMe ;");
    EXPECT_EQ(object.functions, (std::vector<uint32_t>{0, 85, 82}));
}

TEST_F(ObjectScriptRun, AnIntegerTargetGetsIntegerArithmetic)
{
    object.vars[kCash] = ScriptValue::UInt(10);
    object.vars[kMaxPrice] = ScriptValue::UInt(4);
    Run("Add Cash 3.9 ;"); // the float is truncated
    EXPECT_EQ(object.Type(kCash), uint32_t{SCRIPT_VALUE_UINT});
    EXPECT_EQ(object.Word(kCash), 13u);
    Run("Minus Cash MaxPrice ;");
    EXPECT_EQ(object.Word(kCash), 9u);
    Run("Divide Cash 2 ;"); // unsigned division
    EXPECT_EQ(object.Word(kCash), 4u);
    Run("Multiply Cash true ;"); // a bool is its word
    EXPECT_EQ(object.Word(kCash), 4u);
    Run("Minus Cash 5 ;"); // wraps round
    EXPECT_EQ(object.Word(kCash), 0xFFFFFFFFu);
    object.vars[kCash] = ScriptValue::UInt(1);
    Run("MinusZeroCap Cash 2 ;"); // an integer is not capped
    EXPECT_EQ(object.Word(kCash), 0xFFFFFFFFu);
    object.vars[kCash] = ScriptValue::UInt(0x10001);
    Run("Multiply Cash 65536 ;"); // the low 32 bits
    EXPECT_EQ(object.Word(kCash), 0x10000u);
    EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ObjectScriptRun, AnyOtherTargetGetsFloatArithmetic)
{
    object.vars[kHappiness] = ScriptValue::Float(1.5f);
    object.vars[kMaxPrice] = ScriptValue::UInt(3);
    Run("Add Happiness MaxPrice ;"); // an integer value converts as unsigned
    EXPECT_EQ(object.Type(kHappiness), uint32_t{SCRIPT_VALUE_FLOAT});
    EXPECT_EQ(object.Float(kHappiness), 4.5f);
    Run("Multiply Happiness 0.5 ;");
    EXPECT_EQ(object.Float(kHappiness), 2.25f);
    Run("Divide Happiness 0.25 ;");
    EXPECT_EQ(object.Float(kHappiness), 9.0f);
    Run("Minus Happiness 10 ;");
    EXPECT_EQ(object.Float(kHappiness), -1.0f);
    object.vars[kHappiness] = ScriptValue::Float(1.5f);
    Run("MinusZeroCap Happiness 2 ;");
    EXPECT_EQ(object.Float(kHappiness), 0.0f);
    object.vars[kHappiness] = ScriptValue::Float(1.5f);
    Run("MinusZeroCap Happiness 1 ;");
    EXPECT_EQ(object.Float(kHappiness), 0.5f);
    Run("Divide Happiness 0 ;"); // a float division by 0 is the float result
    EXPECT_TRUE(std::isinf(object.Float(kHappiness)));
    // A variable nobody answers reads as false, whose word is the float 0.
    Run("Add WalkSpeed 2 ;");
    EXPECT_EQ(object.Float(18), 2.0f);
    EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ObjectScriptRun, SetCopiesTheValueWithItsType)
{
    Run("Set Cash 2.5 ; Set Happiness Me ; Set DesiredCommodText \"Chips\" ; Set MsgChar false ;");
    EXPECT_EQ(object.Type(kCash), uint32_t{SCRIPT_VALUE_FLOAT});
    EXPECT_EQ(object.Float(kCash), 2.5f);
    EXPECT_EQ(object.Type(kHappiness), uint32_t{SCRIPT_VALUE_UINT});
    EXPECT_EQ(object.Word(kHappiness), 7u);
    EXPECT_EQ(object.Type(kText), uint32_t{SCRIPT_VALUE_TEXT});
    EXPECT_STREQ(object.vars[kText].text, "Chips");
    EXPECT_EQ(object.Type(kMsgChar), uint32_t{SCRIPT_VALUE_BOOL});
    EXPECT_EQ(object.Word(kMsgChar), 0u);
    // Set reads only its value, never its target.
    EXPECT_EQ(object.reads.count(kCash), 0u);
}

TEST_F(ObjectScriptRun, AnIntegerDivisionByZeroGivesZeroWithOneReport)
{
    object.vars[kCash] = ScriptValue::UInt(9);
    object.vars[kMaxPrice] = ScriptValue::UInt(0);
    const ObjectScript& script = Bind(InEntry("Divide Cash MaxPrice ;"));
    script.PerformOnEntry(object, STATE_STARTUP);
    EXPECT_EQ(object.Word(kCash), 0u);
    object.vars[kCash] = ScriptValue::UInt(9);
    script.PerformOnEntry(object, STATE_STARTUP);
    EXPECT_EQ(object.Word(kCash), 0u);
    EXPECT_EQ(TakeReports(), std::vector<std::string>{"CommandList::PerformCommands - integer division by 0 gives 0"});
}

TEST_F(ObjectScriptRun, AConditionWithOneOperandTestsItsTruth)
{
    object.vars[kCash] = ScriptValue::UInt(5);
    EXPECT_TRUE(Holds("(Cash)"));
    object.vars[kCash] = ScriptValue::UInt(0);
    EXPECT_FALSE(Holds("(Cash)"));
    object.vars[kCash] = ScriptValue::Float(0.1f);
    EXPECT_TRUE(Holds("(Cash)"));
    object.vars[kCash] = ScriptValue::Float(0.0f);
    EXPECT_FALSE(Holds("(Cash)"));
    object.vars[kCash] = ScriptValue{SCRIPT_VALUE_BOOL, 0x100, nullptr}; // only the low byte counts
    EXPECT_FALSE(Holds("(Cash)"));
    object.vars[kCash] = ScriptValue::Bool(true);
    EXPECT_TRUE(Holds("(Cash)"));
    object.vars[kCash] = ScriptValue::Text("yes");
    EXPECT_FALSE(Holds("(Cash)"));
    EXPECT_TRUE(Holds("(true)"));
    EXPECT_FALSE(Holds("(false)"));
}

TEST_F(ObjectScriptRun, FloatEqualityHasAToleranceAndInequalityIsExact)
{
    object.vars[kHappiness] = ScriptValue::Float(2.999995f);
    EXPECT_TRUE(Holds("(Happiness == 3)"));
    EXPECT_TRUE(Holds("(Happiness != 3)"));
    object.vars[kHappiness] = ScriptValue::Float(2.99997f);
    EXPECT_FALSE(Holds("(Happiness == 3)"));
    object.vars[kHappiness] = ScriptValue::Float(3.0f);
    EXPECT_FALSE(Holds("(Happiness != 3)"));
    EXPECT_TRUE(Holds("(Happiness >= 3)"));
    EXPECT_TRUE(Holds("(Happiness =< 3)"));
    EXPECT_FALSE(Holds("(Happiness > 3)"));
    EXPECT_FALSE(Holds("(Happiness < 3)"));
    EXPECT_TRUE(Holds("(Happiness < 3.5)"));
    EXPECT_TRUE(Holds("(Happiness > -1)"));
    // A bool on the left compares as a float.
    EXPECT_TRUE(Holds("(true == 1)"));
    EXPECT_TRUE(Holds("(false < 0.5)"));
}

TEST_F(ObjectScriptRun, IntegerComparisonsUseTheIntegersExceptForOrder)
{
    // Two integers that are one float apart from nothing: equal as floats, different as integers.
    object.vars[kCash] = ScriptValue::UInt(0xFFFFFFFF);
    object.vars[kMaxPrice] = ScriptValue::UInt(0xFFFFFFFE);
    EXPECT_FALSE(Holds("(Cash == MaxPrice)"));
    EXPECT_TRUE(Holds("(Cash != MaxPrice)"));
    EXPECT_FALSE(Holds("(Cash <= MaxPrice)"));
    EXPECT_TRUE(Holds("(Cash >= MaxPrice)"));
    EXPECT_TRUE(Holds("(MaxPrice <= Cash)"));
    EXPECT_FALSE(Holds("(MaxPrice >= Cash)"));
    // > and < compare as floats, where the two are the same number.
    EXPECT_FALSE(Holds("(Cash > MaxPrice)"));
    EXPECT_FALSE(Holds("(MaxPrice < Cash)"));
    // An integer against a number: the number is truncated.
    object.vars[kCash] = ScriptValue::UInt(13);
    EXPECT_TRUE(Holds("(Cash == STATE_GUEST_EATING)"));
    EXPECT_TRUE(Holds("(Cash == 13.7)"));
    EXPECT_FALSE(Holds("(Cash != 13.7)"));
    EXPECT_FALSE(Holds("(Cash == 14)"));
    EXPECT_TRUE(Holds("(State == STATE_NULL)"));
}

TEST_F(ObjectScriptRun, AndAndOrTestIntegerTruthAndBothSidesAreAlwaysRead)
{
    object.vars[kHappiness] = ScriptValue::Float(0.5f); // truncates to 0
    object.vars[kCash] = ScriptValue::UInt(2);
    EXPECT_FALSE(Holds("(Happiness && true)"));
    EXPECT_TRUE(Holds("(Happiness || Cash)"));
    EXPECT_TRUE(Holds("(Cash && true)"));
    EXPECT_FALSE(Holds("(false || Happiness)"));
    object.reads.clear();
    EXPECT_FALSE(Holds("(false && Cash)"));
    EXPECT_EQ(object.reads[kCash], 1);
    object.reads.clear();
    EXPECT_TRUE(Holds("(true || Cash)"));
    EXPECT_EQ(object.reads[kCash], 1);
}

TEST_F(ObjectScriptRun, TextComparisons)
{
    object.vars[kText] = ScriptValue::Text("Chips");
    EXPECT_TRUE(Holds("(DesiredCommodText == \"chIPS\")"));
    EXPECT_FALSE(Holds("(DesiredCommodText != \"CHIPS\")"));
    EXPECT_TRUE(Holds("(DesiredCommodText != \"Fish\")"));
    EXPECT_FALSE(Holds("(DesiredCommodText > \"Apple\")"));
    EXPECT_FALSE(Holds("(DesiredCommodText == \"Chip\")"));
    // A left value that is not a text never equals a quoted text.
    object.vars[kCash] = ScriptValue::UInt(0);
    EXPECT_FALSE(Holds("(Cash == \"\")"));
    EXPECT_TRUE(Holds("(Cash != \"0\")"));
    // Two text values must match exactly, case included.
    object.vars[kMsgChar] = ScriptValue::Text("chips");
    EXPECT_FALSE(Holds("(DesiredCommodText == MsgChar)"));
    object.vars[kMsgChar] = ScriptValue::Text("Chips");
    EXPECT_TRUE(Holds("(DesiredCommodText == MsgChar)"));
    object.vars[kMsgChar] = ScriptValue::UInt(0);
    EXPECT_FALSE(Holds("(DesiredCommodText == MsgChar)"));
}

TEST_F(ObjectScriptRun, DefaultMatchesAnythingAndABadOperatorNever)
{
    object.reads.clear();
    EXPECT_TRUE(Holds("(Default == false)"));
    EXPECT_TRUE(Holds("(false != Default)"));
    EXPECT_EQ(object.reads.count(112), 0u); // decided without reading
    EXPECT_FALSE(Holds("(true <> true)"));
    EXPECT_FALSE(Holds("(true <> \"x\")"));
}

TEST_F(ObjectScriptRun, ASwitchRunsTheFirstMatchingCaseOnly)
{
    object.vars[kCash] = ScriptValue::UInt(2);
    const std::string cases = "Case 1: Function SearchDesire ;\n"
                              "Case 2: Function GetConsumePoint ; Function SetInvisible ;\n"
                              "Case 2: Function SetVisible ;\n";
    Run("Switch (Cash)\n" + cases + "End Function KillMe ;");
    EXPECT_EQ(object.functions, (std::vector<uint32_t>{1, 2, 82}));
    // The operand is read again for each case tried.
    EXPECT_EQ(object.reads[kCash], 2);
    object.functions.clear();
    object.vars[kCash] = ScriptValue::UInt(5);
    Run("Switch (Cash)\n" + cases + "End");
    EXPECT_TRUE(object.functions.empty());
    // A first case of Default runs always and hides the rest.
    object.functions.clear();
    object.vars[kCash] = ScriptValue::UInt(1);
    Run("Switch (Cash) Case Default: Function KillMe ; Case 1: Function SearchDesire ; End");
    EXPECT_EQ(object.functions, std::vector<uint32_t>{82});
}

TEST_F(ObjectScriptRun, ARandomSwitchDrawsOncePerRun)
{
    const ObjectScript& script = Bind(InEntry("Switch (Random4) Case true: Function SearchDesire ; "
                                              "Case false: Function GetConsumePoint ; End"));
    const int runs = 400;
    platform::SRand(1234);
    for (int i = 0; i < runs; ++i)
        script.PerformOnEntry(object, STATE_STARTUP);
    // One of the two cases each time, from exactly one draw each time.
    ASSERT_EQ(object.functions.size(), size_t(runs));
    EXPECT_EQ(object.reads[SCRIPT_OPERAND_RANDOM], runs);
    platform::SRand(1234);
    for (int i = 0; i < runs; ++i)
    {
        const bool chance = platform::Rand() % 4 == 0;
        EXPECT_EQ(object.functions[size_t(i)], chance ? 0u : 1u) << i;
    }
    const auto trueCases = std::count(object.functions.begin(), object.functions.end(), 0u);
    EXPECT_GT(trueCases, runs / 8);
    EXPECT_LT(trueCases, runs * 3 / 8);

    // A drawn number is compared with each case in turn: exactly one of its three values runs.
    object.functions.clear();
    object.reads.clear();
    const ObjectScript& numbers = Bind(InEntry("Switch (RandUint33) Case 0: Function SearchDesire ; "
                                               "Case 1: Function GetConsumePoint ; Case 2: Function SetInvisible ; "
                                               "End"));
    platform::SRand(77);
    for (int i = 0; i < 30; ++i)
        numbers.PerformOnEntry(object, STATE_STARTUP);
    EXPECT_EQ(object.reads[SCRIPT_OPERAND_RAND], 30);
    platform::SRand(77);
    ASSERT_EQ(object.functions.size(), 30u);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(object.functions[size_t(i)], uint32_t(platform::Rand() % 3)) << i;
}

TEST_F(ObjectScriptRun, MessagesCarryTheirOperandsConverted)
{
    object.id = 7;
    object.state = STATE_GUEST_EATING;
    object.vars[kDestObject] = ScriptValue::UInt(42);
    object.vars[kCash] = ScriptValue::Float(3.9f);
    object.vars[kOwner] = ScriptValue::UInt(99);
    object.vars[kHappiness] = ScriptValue::UInt(5);
    Run("Message MT_PRICE_OK DestObject Cash true ;\n"
        "Message MT_IM_READY -1 -2.5 Owner SendFrom Owner State STATE_DEAD FloatData Happiness Time 2 ;\n"
        "Message MT_NEW_DAY \"text\" false 300 FloatData Cash ;");
    ASSERT_EQ(object.posts.size(), 3u);
    const MessageRecord& first = object.posts[0].record;
    EXPECT_EQ(object.posts[0].delay, -1.0f);
    EXPECT_EQ(first.dwSender, 7u);
    EXPECT_EQ(first.dwReciever, 42u);
    EXPECT_EQ(first.dwType, uint32_t{MT_PRICE_OK});
    EXPECT_EQ(first.dwData, 3u);
    EXPECT_EQ(first.dwFlags, 1u);
    EXPECT_EQ(first.dwData2, uint32_t{STATE_GUEST_EATING});
    EXPECT_EQ(first.fData, 0.0f);
    const MessageRecord& second = object.posts[1].record;
    EXPECT_EQ(object.posts[1].delay, 2.0f);
    EXPECT_EQ(second.dwSender, 99u);
    EXPECT_EQ(second.dwReciever, 0xFFFFFFFFu);
    EXPECT_EQ(second.dwData, 0xFFFFFFFEu);
    EXPECT_EQ(second.dwFlags, 99u);
    EXPECT_EQ(second.dwData2, uint32_t{STATE_DEAD});
    EXPECT_EQ(second.fData, 5.0f);
    const MessageRecord& third = object.posts[2].record;
    EXPECT_EQ(third.dwReciever, 0u);
    EXPECT_EQ(third.dwData, 0u);
    EXPECT_EQ(third.dwFlags, 300u);
    EXPECT_EQ(third.fData, 3.9f);
}

TEST_F(ObjectScriptRun, AMessageWithMaxTimeIsDelayedAtRandomWithinItsRange)
{
    const ObjectScript& script = Bind(InEntry("Message MT_NEW_DAY Me 0 0 MaxTime 2 Time 1 ;"));
    platform::SRand(5);
    for (int i = 0; i < 50; ++i)
        script.PerformOnEntry(object, STATE_STARTUP);
    ASSERT_EQ(object.posts.size(), 50u);
    float low = 3.0f, high = 0.0f;
    for (const Post& post : object.posts)
    {
        EXPECT_GE(post.delay, 1.0f);
        EXPECT_LE(post.delay, 2.0f);
        low = std::min(low, post.delay);
        high = std::max(high, post.delay);
    }
    EXPECT_LT(low, 1.2f);
    EXPECT_GT(high, 1.8f);
}

TEST_F(ObjectScriptRun, ChangeStatePostsAStateChangeToItselfAndTheListGoesOn)
{
    object.id = 12;
    Run("ChangeState STATE_GUEST_EATING ; Function KillMe ; ChangeState STATE_DEAD Time 1.5 ;");
    EXPECT_EQ(object.journal, (std::vector<std::string>{"post 5", "function 82", "post 5"}));
    ASSERT_EQ(object.posts.size(), 2u);
    for (const Post& post : object.posts)
    {
        EXPECT_EQ(post.record.dwSender, 12u);
        EXPECT_EQ(post.record.dwReciever, 12u);
        EXPECT_EQ(post.record.dwType, uint32_t{MT_STATECHANGE});
        EXPECT_EQ(post.record.dwFlags, 0u);
    }
    EXPECT_EQ(object.posts[0].record.dwData, uint32_t{STATE_GUEST_EATING});
    EXPECT_EQ(object.posts[0].delay, -1.0f);
    EXPECT_EQ(object.posts[1].record.dwData, uint32_t{STATE_DEAD});
    EXPECT_EQ(object.posts[1].delay, 1.5f);
}

TEST_F(ObjectScriptRun, AnimationsPlayByTheirOptions)
{
    Run("PlayAnimation Walk ;\n"
        "PlayAnimation Wave NotLooped Reverse EndMessage MT_FINISH_ACTION ;\n"
        "PlayAnimation Sit ExitState STATE_GUEST_ON_BENCH ;\n"
        "PlayAnimation Eat Finish EatEnd ExitState STATE_DEAD ;\n"
        "PlayAnimation Drink Finish DrinkEnd ;");
    ASSERT_EQ(object.animations.size(), 5u);
    const auto& a = object.animations;
    EXPECT_EQ(a[0].name, "Walk");
    EXPECT_FALSE(a[0].reverse);
    EXPECT_EQ(a[0].exitState, 0xFFFFFFFFu);
    EXPECT_TRUE(a[0].looped);
    EXPECT_EQ(a[0].finish, "(none)");
    EXPECT_TRUE(a[1].reverse);
    EXPECT_FALSE(a[1].looped);
    EXPECT_EQ(a[1].exitState, 0xFFFFFFFFu);
    EXPECT_EQ(a[2].exitState, uint32_t{STATE_GUEST_ON_BENCH});
    EXPECT_FALSE(a[2].looped);
    EXPECT_EQ(a[2].finish, "(none)");
    EXPECT_EQ(a[3].exitState, uint32_t{STATE_DEAD});
    EXPECT_EQ(a[3].finish, "EatEnd");
    EXPECT_FALSE(a[3].looped);
    EXPECT_EQ(a[4].exitState, 0u);
    EXPECT_EQ(a[4].finish, "DrinkEnd");
    EXPECT_FALSE(a[4].looped);
    EXPECT_EQ(object.endMessages, (std::vector<uint32_t>{103, 51, 103, 103, 103}));
}

TEST_F(ObjectScriptRun, SoundsPlayAtTheObjectsScenePositionWhenThereIsSound)
{
    object.position = {40.0f, 72.0f, 0.0f};
    Run("PlaySound Splash ;");
    EXPECT_TRUE(host.scenes.empty());
    {
        SoundManager sound(false, "nobank");
        Run("PlaySound Splash ;");
    }
    ASSERT_EQ(host.scenes.size(), 1u);
    EXPECT_EQ(host.scenes[0].x, 40.0f);
    EXPECT_EQ(host.scenes[0].y, 72.0f);
    TakeReports();
}

TEST_F(ObjectScriptRun, ParkCommandsDoNothingForAnObjectAndAnUndefinedOneIsReported)
{
    CommandList list;
    for (uint32_t type = CMD_CREATE; type <= CMD_EMIT_TICKER; ++type)
        list.Add({type, std::make_unique<TextData>()});
    list.Add({21, std::make_unique<TextData>()});
    list.Add({CMD_UNDEFINED, nullptr});
    list.Add({CMD_FUNCTION, nullptr});
    CommandList::PerformCommands(list, object);
    EXPECT_TRUE(object.journal.empty());
    EXPECT_EQ(TakeReports(),
              std::vector<std::string>{"CommandList::PerformCommands - An Undefined command has been called"});
}

TEST_F(ObjectScriptRun, TheListsOfTheObjectsStateRunAndUpdatesWaitWhileThePauseLasts)
{
    const ObjectScript& script = Bind("State STATE_STARTUP\n"
                                      " OnEntry Function SearchDesire ; End\n"
                                      " OnExit Function GetConsumePoint ; End\n"
                                      " OnUpdate Function SetInvisible ; End\n"
                                      "End\n"
                                      "State STATE_STARTUP OnEntry Function KillMe ; End OnUpdate Function KillMe ; "
                                      "End End\n"
                                      "State STATE_DEAD OnUpdate Function SetVisible ; End End\n");
    script.PerformOnEntry(object, STATE_STARTUP);
    script.PerformOnExit(object, STATE_STARTUP);
    script.PerformOnUpdate(object, STATE_STARTUP);
    script.PerformOnUpdate(object, STATE_DEAD);
    script.PerformOnEntry(object, STATE_DEAD);       // no such list
    script.PerformOnEntry(object, STATE_DEMOLISHED); // no such State
    script.PerformOnUpdate(object, 0x0FFFFFFF);
    EXPECT_EQ(object.functions, (std::vector<uint32_t>{0, 1, 2, 3}));
    object.functions.clear();
    host.paused = true;
    script.PerformOnUpdate(object, STATE_STARTUP);
    EXPECT_TRUE(object.functions.empty());
    script.PerformOnEntry(object, STATE_STARTUP);
    EXPECT_EQ(object.functions, std::vector<uint32_t>{0});
}

TEST_F(ObjectScriptRun, ReceiptLooksThroughEveryStateOfTheObjectsState)
{
    const ObjectScript& script = Bind("State STATE_STARTUP Message MT_NEW_DAY OnReceipt Function SearchDesire ; "
                                      "End End End\n"
                                      "State STATE_DEAD Message MT_NEW_HOUR OnReceipt Function KillMe ; End End End\n"
                                      "State STATE_STARTUP Message MT_NEW_HOUR OnReceipt Function SetVisible ; End "
                                      "End Message MT_NEW_DAY OnReceipt Function KillMe ; End End End\n");
    MessageRecord record;
    object.state = STATE_STARTUP;
    record.dwType = MT_NEW_DAY;
    EXPECT_TRUE(script.PerformOnReceipt(object, record));
    record.dwType = MT_NEW_HOUR;
    EXPECT_TRUE(script.PerformOnReceipt(object, record));
    record.dwType = MT_KILLOBJECT;
    EXPECT_FALSE(script.PerformOnReceipt(object, record));
    object.state = STATE_DEMOLISHED;
    record.dwType = MT_NEW_DAY;
    EXPECT_FALSE(script.PerformOnReceipt(object, record));
    object.state = STATE_DEAD;
    record.dwType = MT_NEW_HOUR;
    EXPECT_TRUE(script.PerformOnReceipt(object, record));
    EXPECT_EQ(object.functions, (std::vector<uint32_t>{0, 3, 82}));
}

TEST_F(ObjectScriptRun, OnSendRunsBeforeTheMessageIsPostedWhichAlwaysHappens)
{
    host.journal = &object.journal;
    const ObjectScript& script = Bind("State STATE_STARTUP Message MT_PRICE_OK OnSend Function SearchDesire ; End "
                                      "End End\n"
                                      "State STATE_STARTUP Message MT_NEW_DAY OnSend Function KillMe ; End End End\n");
    object.state = STATE_STARTUP;
    MessageRecord record;
    record.dwType = MT_PRICE_OK;
    EXPECT_TRUE(script.SendMessage(object, record));
    record.dwType = MT_NEW_DAY; // only the first State of the state is looked at
    EXPECT_TRUE(script.SendDelayedMessage(object, record, 2.5f));
    host.accept = false;
    EXPECT_FALSE(script.SendMessage(object, record));
    EXPECT_EQ(object.journal, (std::vector<std::string>{"function 0", "host 60", "host 33", "host 33"}));
    ASSERT_EQ(host.posts.size(), 3u);
    EXPECT_EQ(host.posts[0].delay, -1.0f);
    EXPECT_EQ(host.posts[1].delay, 2.5f);
}

TEST_F(ObjectScriptRun, OnSendHandlersThatPostAgainAreBounded)
{
    host.journal = &object.journal;
    Bind("State STATE_STARTUP Message MT_PRICE_OK OnSend Function SearchDesire ; Message MT_PRICE_OK Me 0 0 ; End "
         "End End");
    object.state = STATE_STARTUP;
    MessageRecord record;
    record.dwType = MT_PRICE_OK;
    object.PostMessage(record);
    const auto handled = std::count(object.journal.begin(), object.journal.end(), "function 0");
    EXPECT_EQ(handled, int(ObjectScript::kMaxSendNesting));
    EXPECT_EQ(host.posts.size(), ObjectScript::kMaxSendNesting + 1);
    EXPECT_EQ(CountReports("OnSend handlers nested deeper than 8"), 1u);
    // The bound is lifted once the nesting unwinds.
    object.journal.clear();
    TakeReports();
    Bind("State STATE_STARTUP Message MT_PRICE_OK OnSend Function SearchDesire ; End End End");
    object.PostMessage(record);
    EXPECT_EQ(std::count(object.journal.begin(), object.journal.end(), "function 0"), 1);
    EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ObjectScriptRun, WithoutAHostNothingIsPostedAndUpdatesRun)
{
    const ObjectScript& script = Bind("State STATE_STARTUP OnUpdate Function SearchDesire ; End End");
    ScriptManager* saved = g_pScriptManager;
    g_pScriptManager = nullptr;
    EXPECT_EQ(GetScriptHost(), nullptr);
    MessageRecord record;
    EXPECT_FALSE(script.SendMessage(object, record));
    EXPECT_FALSE(script.SendDelayedMessage(object, record, 1.0f));
    script.PerformOnUpdate(object, STATE_STARTUP);
    g_pScriptManager = saved;
    EXPECT_EQ(object.functions, std::vector<uint32_t>{0});
    EXPECT_TRUE(host.posts.empty());
    EXPECT_EQ(GetScriptHost(), &host);
}

TEST(ScriptValues, ConversionsToIntegersFloatsAndTruth)
{
    EXPECT_EQ(ScriptValueToInt({SCRIPT_VALUE_BOOL, 0x1FF, nullptr}), 0xFFu);
    EXPECT_EQ(ScriptValueToInt(ScriptValue::UInt(123456)), 123456u);
    EXPECT_EQ(ScriptValueToInt(ScriptValue::Float(7.9f)), 7u);
    EXPECT_EQ(ScriptValueToInt(ScriptValue::Float(-7.9f)), static_cast<uint32_t>(-7));
    EXPECT_EQ(ScriptValueToInt(ScriptValue::Text("12")), 0u);
    EXPECT_EQ(ScriptValueToFloat({SCRIPT_VALUE_BOOL, 0x102, nullptr}), 2.0f);
    EXPECT_EQ(ScriptValueToFloat(ScriptValue::UInt(0x80000000u)), 2147483648.0f);
    EXPECT_EQ(ScriptValueToFloat(ScriptValue::Float(-1.25f)), -1.25f);
    EXPECT_EQ(ScriptValueToFloat(ScriptValue::Text("12")), 0.0f);
    EXPECT_EQ(ScriptValueToFloat({99, 5, nullptr}), 0.0f);
    EXPECT_EQ(ScriptValueToInt({99, 5, nullptr}), 0u);
    // Out of range and not-a-number floats convert without a trap.
    EXPECT_EQ(FloatToWord(1e20f), 0xFFFFFFFFu);
    EXPECT_EQ(FloatToWord(4294967040.0f), 4294967040u);
    EXPECT_EQ(FloatToWord(-1e20f), 0x80000000u);
    EXPECT_EQ(FloatToWord(-2147483648.0f), 0x80000000u);
    EXPECT_EQ(FloatToWord(std::numeric_limits<float>::quiet_NaN()), 0u);
    EXPECT_EQ(FloatToWord(std::numeric_limits<float>::infinity()), 0u);
    EXPECT_EQ(FloatToWord(-0.5f), 0u);
    EXPECT_TRUE(IsScriptValueTrue({SCRIPT_VALUE_BOOL, 0x101, nullptr}));
    EXPECT_FALSE(IsScriptValueTrue({SCRIPT_VALUE_BOOL, 0x100, nullptr}));
    EXPECT_TRUE(IsScriptValueTrue(ScriptValue::UInt(0x100)));
    EXPECT_FALSE(IsScriptValueTrue(ScriptValue::UInt(0)));
    EXPECT_TRUE(IsScriptValueTrue(ScriptValue::Float(-0.001f)));
    EXPECT_FALSE(IsScriptValueTrue(ScriptValue::Float(-0.0f)));
    EXPECT_FALSE(IsScriptValueTrue(ScriptValue::Text("x")));
    EXPECT_EQ(Bits(0x3F800000u), 1.0f);
}
