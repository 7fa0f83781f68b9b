// Tests of running object scripts: every command performed on an object, integer and float arithmetic, the
// conditions of If and Switch, the messages and state changes posted, and which State lists run when.
#include "tests/scripts/ScriptTestSupport.h"

#include "engine/media/SoundManager.h"
#include "scripts/ObjectStates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <tuple>

using namespace scripttest;

namespace
{

// Variable ids used below (object variable names).
constexpr uint32_t kSender = 0, kMessData = 2, kMessFloatData = 3, kCash = 4, kCommodPrice = 5, kHappiness = 8,
                   kMaxPrice = 9, kActionState = 12, kWorstOpinion = 13, kWorstOpinionVal = 14, kBestOpinion = 15,
                   kBestOpinionVal = 16, kActionPerson = 17, kWalkSpeed = 18, kQueueSpeed = 19, kMsgChar = 22,
                   kLitterInBin = 23, kText = 32, kDestObject = 121, kOwner = 125;

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

} // namespace

TEST_F(ObjectScriptRun, FunctionsReachTheObjectExceptDebugAndParkCommandsDoNothingForIt)
{
    Run("Function SearchDesire ; Function Debug ; Function NoSuchFunction ; Function KillMe ;");
    EXPECT_EQ(object.functions, (std::vector<uint32_t>{0, 85, 82}));
    object.journal.clear();
    TakeReports();
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

TEST_F(ObjectScriptRun, ArithmeticFollowsTheTargetsType)
{
    // An integer target gets unsigned 32-bit arithmetic (a float value truncated, any other its word); any other
    // target a float result (an integer value converted as unsigned).
    object.vars[kMaxPrice] = ScriptValue::UInt(4);
    object.vars[kCommodPrice] = ScriptValue::UInt(3);
    const float inf = std::numeric_limits<float>::infinity();
    const std::tuple<std::optional<ScriptValue>, const char*, ScriptValue> rows[] = {
        {ScriptValue::UInt(10), "Add Cash 3.9", ScriptValue::UInt(13)},
        {ScriptValue::UInt(13), "Minus Cash MaxPrice", ScriptValue::UInt(9)},
        {ScriptValue::UInt(9), "Divide Cash 2", ScriptValue::UInt(4)},
        {ScriptValue::UInt(0xFFFFFFFE), "Divide Cash 2", ScriptValue::UInt(0x7FFFFFFF)},
        {ScriptValue::UInt(0x80000000), "Divide Cash MaxPrice", ScriptValue::UInt(0x20000000)},
        {ScriptValue::UInt(4), "Multiply Cash true", ScriptValue::UInt(4)},
        {ScriptValue::UInt(4), "Minus Cash 5", ScriptValue::UInt(0xFFFFFFFF)},
        {ScriptValue::UInt(1), "MinusZeroCap Cash 2", ScriptValue::UInt(0xFFFFFFFF)},
        {ScriptValue::UInt(0x10001), "Multiply Cash 65536", ScriptValue::UInt(0x10000)},
        {ScriptValue::Float(1.5f), "Add Cash CommodPrice", ScriptValue::Float(4.5f)},
        {ScriptValue::Float(4.5f), "Multiply Cash 0.5", ScriptValue::Float(2.25f)},
        {ScriptValue::Float(2.25f), "Divide Cash 0.25", ScriptValue::Float(9.0f)},
        {ScriptValue::Float(9.0f), "Minus Cash 10", ScriptValue::Float(-1.0f)},
        {ScriptValue::Float(1.5f), "MinusZeroCap Cash 2", ScriptValue::Float(0.0f)},
        {ScriptValue::Float(1.5f), "MinusZeroCap Cash 1", ScriptValue::Float(0.5f)},
        {ScriptValue::Float(1.5f), "Divide Cash 0", ScriptValue::Float(inf)},
        // A variable nobody answers reads as false, whose word is the float 0.
        {std::nullopt, "Add Cash 2", ScriptValue::Float(2.0f)},
    };
    for (const auto& [start, command, result] : rows)
    {
        object.vars.erase(kCash);
        if (start)
            object.vars[kCash] = *start;
        Run(std::string(command) + " ;");
        EXPECT_EQ(std::tuple(object.Type(kCash), object.Word(kCash)), std::tuple(result.type, result.data))
            << command << " from " << (start ? start->data : 0);
    }
    EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ObjectScriptRun, NumberOperandsReadDecimalAndHexadecimalText)
{
    // A number is read as the C runtime reads one: decimal with an exponent, or base 16 after "0x" (a message's
    // flags are often written so); the first character that belongs to neither ends it.
    const std::pair<const char*, float> rows[] = {
        {"25", 25.0f},   {"-2.5e1", -25.0f}, {"7abc", 7.0f},    {"0x10", 16.0f},
        {"0X1F", 31.0f}, {"-0x8", -8.0f},    {"0x1.8p1", 3.0f}, {"0x", 0.0f},
    };
    for (const auto& [word, value] : rows)
    {
        object.vars.erase(kCash);
        Run(std::string("Set Cash ") + word + " ;");
        EXPECT_EQ(std::tuple(object.Type(kCash), object.Float(kCash)), std::tuple(uint32_t{SCRIPT_VALUE_FLOAT}, value))
            << word;
    }
}

TEST_F(ObjectScriptRun, SetCopiesTheValueWithItsTypeAndAnIntegerDivisionByZeroGivesZeroWithOneReport)
{
    Run("Set Cash 2.5 ; Set Happiness Me ; Set DesiredCommodText \"Chips\" ; Set MsgChar false ;");
    EXPECT_EQ(std::tuple(object.Type(kCash), object.Float(kCash), object.Type(kHappiness), object.Word(kHappiness),
                         object.Type(kText), std::string(object.vars[kText].text), object.Type(kMsgChar),
                         object.Word(kMsgChar)),
              std::tuple(uint32_t{SCRIPT_VALUE_FLOAT}, 2.5f, uint32_t{SCRIPT_VALUE_UINT}, 7u,
                         uint32_t{SCRIPT_VALUE_TEXT}, "Chips", uint32_t{SCRIPT_VALUE_BOOL}, 0u));
    // Set reads only its value, never its target.
    EXPECT_EQ(object.reads.count(kCash), 0u);

    object.vars[kCash] = ScriptValue::UInt(9);
    object.vars[kMaxPrice] = ScriptValue::UInt(0);
    const ObjectScript& script = Bind(InEntry("Divide Cash MaxPrice ;"));
    for (int run = 0; run < 2; ++run)
    {
        object.vars[kCash] = ScriptValue::UInt(9);
        script.PerformOnEntry(object, STATE_STARTUP);
        EXPECT_EQ(object.Word(kCash), 0u);
    }
    EXPECT_EQ(TakeReports(), std::vector<std::string>{"CommandList::PerformCommands - integer division by 0 gives 0"});
}

TEST_F(ObjectScriptRun, ConditionsCompareByTheTypeOfTheirLeftValue)
{
    object.vars[kCash] = ScriptValue::UInt(0xFFFFFFFF);
    object.vars[kMaxPrice] = ScriptValue::UInt(0xFFFFFFFE);
    object.vars[kCommodPrice] = ScriptValue::UInt(13);
    object.vars[kBestOpinion] = ScriptValue::UInt(0x80000000);
    object.vars[kBestOpinionVal] = ScriptValue::UInt(1);
    object.vars[kActionState] = ScriptValue::UInt(2);
    object.vars[kMessData] = ScriptValue::UInt(0);
    object.vars[kHappiness] = ScriptValue::Float(2.999995f);
    object.vars[kWorstOpinionVal] = ScriptValue::Float(2.99997f);
    object.vars[kWalkSpeed] = ScriptValue::Float(3.0f);
    object.vars[kQueueSpeed] = ScriptValue::Float(0.5f);
    object.vars[kMessFloatData] = ScriptValue::Float(0.1f);
    object.vars[kActionPerson] = ScriptValue::Float(0.0f);
    object.vars[kWorstOpinion] = ScriptValue{SCRIPT_VALUE_BOOL, 0x100, nullptr};
    object.vars[kText] = ScriptValue::Text("Chips");
    object.vars[kMsgChar] = ScriptValue::Text("chips");
    object.vars[kLitterInBin] = ScriptValue::Text("yes");
    const std::pair<const char*, bool> rows[] = {
        // One operand: its truth (a bool's low byte, an integer or a float not 0; a text never).
        {"(CommodPrice)", true},
        {"(MessData)", false},
        {"(MessFloatData)", true},
        {"(ActionPerson)", false},
        {"(WorstOpinion)", false},
        {"(true)", true},
        {"(false)", false},
        {"(LitterInBin)", false},
        // Floats: == within 0.00001, != exactly; a bool on the left compares as a float.
        {"(Happiness == 3)", true},
        {"(Happiness != 3)", true},
        {"(WorstOpinionVal == 3)", false},
        {"(WalkSpeed != 3)", false},
        {"(WalkSpeed >= 3)", true},
        {"(WalkSpeed =< 3)", true},
        {"(WalkSpeed > 3)", false},
        {"(WalkSpeed < 3)", false},
        {"(WalkSpeed < 3.5)", true},
        {"(WalkSpeed > -1)", true},
        {"( WalkSpeed   >= 3 )", true},
        {"(true == 1)", true},
        {"(false < 0.5)", true},
        // Integers: ==, !=, <= and >= on the unsigned integers (two that are one float apart are not equal); >
        // and < as floats, where those two are the same number.
        {"(Cash == MaxPrice)", false},
        {"(Cash != MaxPrice)", true},
        {"(Cash <= MaxPrice)", false},
        {"(Cash >= MaxPrice)", true},
        {"(MaxPrice <= Cash)", true},
        {"(MaxPrice >= Cash)", false},
        {"(Cash > MaxPrice)", false},
        {"(MaxPrice < Cash)", false},
        {"(BestOpinion >= BestOpinionVal)", true},
        {"(BestOpinion <= BestOpinionVal)", false},
        {"(BestOpinionVal <= BestOpinion)", true},
        {"(BestOpinionVal >= BestOpinion)", false},
        {"(BestOpinionVal != BestOpinion)", true},
        // An integer against a number: the number is truncated.
        {"(CommodPrice == STATE_GUEST_EATING)", true},
        {"(CommodPrice == 13.7)", true},
        {"(CommodPrice != 13.7)", false},
        {"(CommodPrice == 14)", false},
        {"(State == STATE_NULL)", true},
        // && and || on the values' integers.
        {"(QueueSpeed && true)", false},
        {"(QueueSpeed || ActionState)", true},
        {"(ActionState && true)", true},
        {"(false || QueueSpeed)", false},
        // A quoted text compares without case by == and != only; two text values exactly; a left value that is
        // not a text equals no quoted text.
        {"(DesiredCommodText == \"chIPS\")", true},
        {"(DesiredCommodText != \"CHIPS\")", false},
        {"(DesiredCommodText != \"Fish\")", true},
        {"(DesiredCommodText > \"Apple\")", false},
        {"(DesiredCommodText == \"Chip\")", false},
        {"(MessData == \"\")", false},
        {"(MessData != \"0\")", true},
        {"(DesiredCommodText == MsgChar)", false},
        {"(DesiredCommodText == DesiredCommodText)", true},
        {"(DesiredCommodText == MessData)", false},
        {"(DesiredCommodText != \")", true},
        // Default matches anything; an operator that is none never holds.
        {"(Default == false)", true},
        {"(false != Default)", true},
        {"(true <> true)", false},
        {"(true <> \"x\")", false},
    };
    for (const auto& [condition, expected] : rows)
        EXPECT_EQ(Holds(condition), expected) << condition;
    EXPECT_EQ(CountReports("Invalid Operator in if statement <>"), 2u);
    // Both sides are read for && and || whatever the left one is; Default decides without reading.
    for (const char* condition : {"(false && Cash)", "(true || Cash)", "(Default == Cash)"})
    {
        object.reads.clear();
        Holds(condition);
        EXPECT_EQ(object.reads[kCash], condition[1] == 'D' ? 0 : 1) << condition;
    }
}

TEST_F(ObjectScriptRun, ASwitchRunsTheFirstMatchingCaseOnly)
{
    const std::string cases = "Case 1: Function SearchDesire ;\n"
                              "Case 2: Function GetConsumePoint ; Function SetInvisible ;\n"
                              "Case 2: Function SetVisible ;\n";
    // The operand is read again for each case tried; a first case of Default runs always and hides the rest.
    const std::tuple<uint32_t, std::string, std::vector<uint32_t>, int> rows[] = {
        {2, "Switch (Cash)\n" + cases + "End Function KillMe ;", {1, 2, 82}, 2},
        {5, "Switch (Cash)\n" + cases + "End", {}, 3},
        {1, "Switch (Cash) Case Default: Function KillMe ; Case 1: Function SearchDesire ; End", {82}, 0},
    };
    for (const auto& [cash, commands, functions, reads] : rows)
    {
        object.functions.clear();
        object.reads.clear();
        object.vars[kCash] = ScriptValue::UInt(cash);
        Run(commands);
        EXPECT_EQ(std::tuple(object.functions, object.reads[kCash]), std::tuple(functions, reads)) << cash;
    }
}

TEST_F(ObjectScriptRun, ARandomSwitchDrawsOncePerRun)
{
    // A chance of one in four: one of the two cases each time, from exactly one draw each time; a drawn number is
    // compared with each case in turn, so exactly one of its three values runs.
    const std::tuple<const char*, uint32_t, int> rows[] = {
        {"Switch (Random4) Case true: Function SearchDesire ; Case false: Function GetConsumePoint ; End",
         SCRIPT_OPERAND_RANDOM, 4},
        {"Switch (RandUint33) Case 0: Function SearchDesire ; Case 1: Function GetConsumePoint ; Case 2: Function "
         "SetInvisible ; End",
         SCRIPT_OPERAND_RAND, 3},
    };
    for (const auto& [commands, operand, range] : rows)
    {
        object.functions.clear();
        object.reads.clear();
        const ObjectScript& script = Bind(InEntry(commands));
        const int runs = 400;
        platform::SRand(1234);
        for (int i = 0; i < runs; ++i)
            script.PerformOnEntry(object, STATE_STARTUP);
        ASSERT_EQ(object.functions.size(), size_t(runs));
        EXPECT_EQ(object.reads[operand], runs);
        platform::SRand(1234);
        for (int i = 0; i < runs; ++i)
        {
            const int draw = platform::Rand() % range;
            const uint32_t expected = range == 4 ? (draw == 0 ? 0u : 1u) : static_cast<uint32_t>(draw);
            ASSERT_EQ(object.functions[size_t(i)], expected) << i;
        }
        const auto first = std::count(object.functions.begin(), object.functions.end(), 0u);
        EXPECT_TRUE(first > runs / (2 * range) && first < runs * 3 / (2 * range)) << first;
    }
}

TEST_F(ObjectScriptRun, MessagesCarryTheirOperandsConverted)
{
    object.state = STATE_GUEST_EATING;
    object.vars[kDestObject] = ScriptValue::UInt(42);
    object.vars[kCash] = ScriptValue::Float(3.9f);
    object.vars[kOwner] = ScriptValue::UInt(99);
    object.vars[kHappiness] = ScriptValue::UInt(5);
    Run("Message MT_PRICE_OK DestObject Cash true ;\n"
        "Message MT_IM_READY -1 -2.5 Owner SendFrom Owner State STATE_DEAD FloatData Happiness Time 2 ;\n"
        "Message MT_NEW_DAY \"text\" false 300 FloatData Cash ;");
    ASSERT_EQ(object.posts.size(), 3u);
    auto post = [&](size_t i)
    {
        const MessageRecord& r = object.posts[i].record;
        return std::tuple(object.posts[i].delay, r.dwSender, r.dwReciever, r.dwType, r.dwData, r.dwFlags, r.dwData2,
                          r.fData);
    };
    EXPECT_EQ(post(0), std::tuple(-1.0f, 7u, 42u, uint32_t{MT_PRICE_OK}, 3u, 1u, uint32_t{STATE_GUEST_EATING}, 0.0f));
    EXPECT_EQ(post(1),
              std::tuple(2.0f, 99u, 0xFFFFFFFFu, uint32_t{MT_IM_READY}, 0xFFFFFFFEu, 99u, uint32_t{STATE_DEAD}, 5.0f));
    EXPECT_EQ(post(2), std::tuple(-1.0f, 7u, 0u, uint32_t{MT_NEW_DAY}, 0u, 300u, uint32_t{STATE_GUEST_EATING}, 3.9f));
}

TEST_F(ObjectScriptRun, AMessageWithMaxTimeIsDelayedAtRandomWithinItsRangeAndChangeStatePostsToItself)
{
    const ObjectScript& script = Bind(InEntry("Message MT_NEW_DAY Me 0 0 MaxTime 2 Time 1 ;"));
    platform::SRand(5);
    for (int i = 0; i < 50; ++i)
        script.PerformOnEntry(object, STATE_STARTUP);
    ASSERT_EQ(object.posts.size(), 50u);
    const auto [low, high] = std::minmax_element(object.posts.begin(), object.posts.end(),
                                                 [](const Post& a, const Post& b) { return a.delay < b.delay; });
    EXPECT_TRUE(low->delay >= 1.0f && low->delay < 1.2f && high->delay <= 2.0f && high->delay > 1.8f)
        << low->delay << " " << high->delay;

    // A change of state is a state change message to itself, and the list goes on after it.
    object.id = 12;
    object.posts.clear();
    object.journal.clear();
    // A name that is not a state is state 0 (STATE_NULL), without a report.
    Run("ChangeState STATE_GUEST_EATING ; Function KillMe ; ChangeState STATE_DEAD Time 1.5 ; ChangeState Nowhere ;");
    EXPECT_EQ(object.journal, (std::vector<std::string>{"post 5", "function 82", "post 5", "post 5"}));
    ASSERT_EQ(object.posts.size(), 3u);
    EXPECT_EQ(std::tuple(object.posts[2].record.dwData, TakeReports().size()), std::tuple(0u, size_t{0}));
    auto post = [&](size_t i)
    {
        const MessageRecord& r = object.posts[i].record;
        return std::tuple(r.dwSender, r.dwReciever, r.dwType, r.dwFlags, r.dwData, object.posts[i].delay);
    };
    EXPECT_EQ(post(0), std::tuple(12u, 12u, uint32_t{MT_STATECHANGE}, 0u, uint32_t{STATE_GUEST_EATING}, -1.0f));
    EXPECT_EQ(post(1), std::tuple(12u, 12u, uint32_t{MT_STATECHANGE}, 0u, uint32_t{STATE_DEAD}, 1.5f));
}

TEST_F(ObjectScriptRun, AnimationsPlayByTheirOptions)
{
    Run("PlayAnimation Walk ;\n"
        "PlayAnimation Wave NotLooped Reverse EndMessage MT_FINISH_ACTION ;\n"
        "PlayAnimation Sit ExitState STATE_GUEST_ON_BENCH ;\n"
        "PlayAnimation Eat Finish EatEnd ExitState STATE_DEAD ;\n"
        "PlayAnimation Drink Finish DrinkEnd MaxTime 3 ;\n"
        "PlayAnimation Nap ExitState STATE_NOWHERE EndMessage MT_NOWHERE ;"); // names not found change nothing
    using Played = std::tuple<std::string, bool, uint32_t, bool, std::string>;
    const Played expected[] = {{"Walk", false, 0xFFFFFFFF, true, "(none)"},
                               {"Wave", true, 0xFFFFFFFF, false, "(none)"},
                               {"Sit", false, STATE_GUEST_ON_BENCH, false, "(none)"},
                               {"Eat", false, STATE_DEAD, false, "EatEnd"},
                               {"Drink", false, 0, false, "DrinkEnd"},
                               {"Nap", false, 0xFFFFFFFF, true, "(none)"}};
    ASSERT_EQ(object.animations.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i)
    {
        const auto& a = object.animations[i];
        EXPECT_EQ(Played(a.name, a.reverse, a.exitState, a.looped, a.finish), expected[i]) << i;
    }
    EXPECT_EQ(object.endMessages, (std::vector<uint32_t>{103, 51, 103, 103, 103, 103}));
    EXPECT_TRUE(TakeReports().empty());
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
    EXPECT_EQ(std::tuple(host.scenes[0].x, host.scenes[0].y), std::tuple(40.0f, 72.0f));
    TakeReports();
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
    const std::tuple<uint32_t, uint32_t, bool> rows[] = {
        {STATE_STARTUP, MT_NEW_DAY, true},     {STATE_STARTUP, MT_NEW_HOUR, true},
        {STATE_STARTUP, MT_KILLOBJECT, false}, {STATE_DEMOLISHED, MT_NEW_DAY, false},
        {STATE_DEAD, MT_NEW_HOUR, true},
    };
    for (const auto& [state, type, handled] : rows)
    {
        object.state = state;
        MessageRecord record;
        record.dwType = type;
        EXPECT_EQ(script.PerformOnReceipt(object, record), handled) << state << " " << type;
    }
    EXPECT_EQ(object.functions, (std::vector<uint32_t>{0, 3, 82}));
}

TEST_F(ObjectScriptRun, OnSendRunsBeforeTheMessageIsPostedWhichAlwaysHappensAndItsNestingIsBounded)
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
    EXPECT_EQ(std::tuple(host.posts[0].delay, host.posts[1].delay), std::tuple(-1.0f, 2.5f));

    // An OnSend handler that posts its own message again runs nested, to a bound, lifted once it unwinds.
    host.accept = true;
    host.posts.clear();
    object.journal.clear();
    Bind("State STATE_STARTUP Message MT_PRICE_OK OnSend Function SearchDesire ; Message MT_PRICE_OK Me 0 0 ; End "
         "End End");
    record.dwType = MT_PRICE_OK;
    object.PostMessage(record);
    EXPECT_EQ(std::count(object.journal.begin(), object.journal.end(), "function 0"),
              int(ObjectScript::kMaxSendNesting));
    EXPECT_EQ(host.posts.size(), ObjectScript::kMaxSendNesting + 1);
    EXPECT_EQ(TakeReports().size(), 1u);
    object.journal.clear();
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
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::tuple<ScriptValue, uint32_t, float, bool> rows[] = {
        {{SCRIPT_VALUE_BOOL, 0x1FF, nullptr}, 0xFFu, 255.0f, true},
        {{SCRIPT_VALUE_BOOL, 0x100, nullptr}, 0u, 0.0f, false},
        {ScriptValue::UInt(123456), 123456u, 123456.0f, true},
        {ScriptValue::UInt(0x80000000u), 0x80000000u, 2147483648.0f, true},
        {ScriptValue::UInt(0), 0u, 0.0f, false},
        {ScriptValue::Float(7.9f), 7u, 7.9f, true},
        {ScriptValue::Float(-7.9f), static_cast<uint32_t>(-7), -7.9f, true},
        {ScriptValue::Float(-0.5f), 0u, -0.5f, true},
        {ScriptValue::Float(-0.0f), 0u, -0.0f, false},
        {ScriptValue::Text("12"), 0u, 0.0f, false},
        {{99, 5, nullptr}, 0u, 0.0f, false},
        // Out of range and not-a-number floats convert without a trap.
        {ScriptValue::Float(1e20f), 0xFFFFFFFFu, 1e20f, true},
        {ScriptValue::Float(4294967040.0f), 4294967040u, 4294967040.0f, true},
        {ScriptValue::Float(-1e20f), 0x80000000u, -1e20f, true},
        {ScriptValue::Float(-2147483648.0f), 0x80000000u, -2147483648.0f, true},
        {ScriptValue::Float(inf), 0u, inf, true},
    };
    for (const auto& [value, integer, real, truth] : rows)
        EXPECT_EQ(std::tuple(ScriptValueToInt(value), ScriptValueToFloat(value), IsScriptValueTrue(value)),
                  std::tuple(integer, real, truth))
            << value.type << " " << value.data;
    EXPECT_EQ(FloatToWord(nan), 0u);
    EXPECT_TRUE(std::isnan(ScriptValueToFloat(ScriptValue::Float(nan))));
}
