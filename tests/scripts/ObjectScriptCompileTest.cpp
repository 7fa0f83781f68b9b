// Tests of compiling object scripts: the block grammar, case rules, the compiled data of every command and operand
// kind, the closing token of a command, the limits on States, message blocks and nesting, hostile and truncated
// scripts, and loading from files.
#include "tests/scripts/ScriptTestSupport.h"

#include "scripts/ObjectStates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

using namespace scripttest;

namespace
{

template <class T> const T* DataOf(const CommandNode& node)
{
    return dynamic_cast<const T*>(node.data.get());
}

uint32_t FunctionOf(const CommandNode& node)
{
    const FunctionData* data = DataOf<FunctionData>(node);
    return data ? data->function : 0xFFFFFFFF;
}

// The script with one State STATE_STARTUP whose OnEntry list holds the commands.
std::string InEntry(const std::string& commands)
{
    return "State STATE_STARTUP\nOnEntry\n" + commands + "\nEnd\nEnd\n";
}

class ObjectScriptCompile : public ScriptFixture
{
protected:
    // The OnEntry list of the first State of a script holding the commands.
    const CommandList& Entry(const std::string& commands)
    {
        const ObjectScript& script = Bind(InEntry(commands));
        EXPECT_EQ(script.GetNumStates(), 1u);
        return script.GetNumStates() == 0 ? empty : script.GetState(0).onEntry;
    }

    CommandList empty;
};

} // namespace

TEST_F(ObjectScriptCompile, StatesAndMessageBlocksResolveTheirNamesAndFillTheirLists)
{
    const ObjectScript& script = Bind("// guests\n"
                                      "State STATE_STARTUP\n"
                                      "  OnEntry Function SetVisible; End\n"
                                      "  OnExit End\n"
                                      "  OnUpdate Function AddVisit ; Function FindExit ; End\n"
                                      "  OnEntry Function CreateLitter ; End\n"
                                      "  Message MT_NEW_DAY\n"
                                      "    OnReceipt Function KillMe ; End\n"
                                      "    OnSend Function LookAtMe ; Function DontWatchMe ; End\n"
                                      "  End\n"
                                      "  Message MT_LEAVE_BUILDING End\n"
                                      "End\n"
                                      "State STATE_ANIMAL_GO_SHOW End\n");
    EXPECT_TRUE(TakeReports().empty());
    ASSERT_EQ(script.GetNumStates(), 2u);
    const State& first = script.GetState(0);
    // A block given twice appends to the same list.
    ASSERT_EQ(first.onEntry.Size(), 2u);
    EXPECT_EQ(std::tuple(first.value, FunctionOf(first.onEntry[0]), FunctionOf(first.onEntry[1]), first.onExit.Size(),
                         first.onUpdate.Size()),
              std::tuple(uint32_t{STATE_STARTUP}, 3u, 4u, size_t{0}, size_t{2}));
    ASSERT_EQ(first.messages.size(), 2u);
    EXPECT_EQ(std::tuple(first.messages[0].type, first.messages[0].onReceipt.Size(), first.messages[0].onSend.Size(),
                         first.messages[1].type),
              std::tuple(uint32_t{MT_NEW_DAY}, size_t{1}, size_t{2}, uint32_t{MT_LEAVE_BUILDING}));
    EXPECT_EQ(first.FindMessage(MT_LEAVE_BUILDING), &first.messages[1]);
    EXPECT_EQ(first.FindMessage(MT_KILLOBJECT), nullptr);
    EXPECT_EQ(script.GetState(1).value, uint32_t{STATE_ANIMAL_GO_SHOW});
    EXPECT_EQ(script.FindState(STATE_ANIMAL_GO_SHOW), &script.GetState(1));
    EXPECT_EQ(script.FindState(STATE_DEAD), nullptr);
    EXPECT_EQ(script.FindState(STATE_NUM_STATES), nullptr);
}

TEST_F(ObjectScriptCompile, UnknownStateAndMessageNamesAreCountedButNeverMatch)
{
    const ObjectScript& script = Bind("State STATE_NOT_THERE OnEntry Function KillMe ; End End\n"
                                      "State STATE_STARTUP Message MT_NOT_THERE OnReceipt Function KillMe ; End End\n"
                                      "End\n");
    EXPECT_EQ(TakeReports(),
              (std::vector<std::string>{
                  "ObjectScript::DetermineState - State doesnt exist check state decode table",
                  "ObjectScript::DetermineMessage - Message doesn't exist check message decode table MT_NOT_THERE"}));
    ASSERT_EQ(script.GetNumStates(), 2u);
    ASSERT_EQ(script.GetState(1).messages.size(), 1u);
    EXPECT_EQ(std::tuple(script.GetState(0).value, script.GetState(1).messages[0].type),
              std::tuple(kUnresolvedScriptName, kUnresolvedScriptName));
    EXPECT_EQ(script.GetState(1).FindMessage(kUnresolvedScriptName), nullptr);
    for (uint32_t state = 0; state <= STATE_NUM_STATES; ++state)
        EXPECT_EQ(script.FindState(state) != nullptr, state == STATE_STARTUP) << state;
}

TEST_F(ObjectScriptCompile, KeywordsAreCaseSensitive)
{
    // (Variable and function names are not: see the vocabulary.)
    const ObjectScript& script =
        Bind("state STATE_STARTUP\n"
             "State STATE_STARTUP onentry OnEntry function SetVisible ; Function setVISIBLE ;\n"
             "End End\n");
    EXPECT_EQ(TakeReports(),
              (std::vector<std::string>{"Invalid Command Recieved in ObjectScript state",
                                        "Invalid Command Recieved in ObjectScript STATE_STARTUP",
                                        "ObjectScript::ProcessStateCommand - Unknown Command Found : onentry",
                                        "ObjectScript::ProcessCommand Invalid Command : function",
                                        "ObjectScript::ProcessCommand Invalid Command : SetVisible",
                                        "ObjectScript::ProcessCommand Invalid Command : ;"}));
    ASSERT_EQ(script.GetNumStates(), 1u);
    ASSERT_EQ(script.GetState(0).onEntry.Size(), 1u);
    EXPECT_EQ(FunctionOf(script.GetState(0).onEntry[0]), 3u);
}

TEST_F(ObjectScriptCompile, FunctionNamesGiveTheirIndexesAndAMisspeltOneReportsOnce)
{
    const CommandList& list = Entry("Function SearchDesire ; Function ClearMyDelayedMsgs ; Function Debug ;\n"
                                    "Function CleanToiletTime ; Function SearchDesires ;");
    ASSERT_EQ(list.Size(), 5u);
    std::vector<uint32_t> functions;
    for (const CommandNode& node : list)
        functions.push_back(FunctionOf(node));
    EXPECT_EQ(functions, (std::vector<uint32_t>{0, 83, 84, 55, 85}));
    EXPECT_EQ(TakeReports(),
              std::vector<std::string>{"ObjectScript::FunctionCommand - Invalid Function SearchDesires"});
}

TEST_F(ObjectScriptCompile, OperandsOfEveryKindAndTheArithmeticWords)
{
    const CommandList& list = Entry("Set Cash \"Ice Cream\" ;\n"
                                    "Set Cash \"x ;\n"
                                    "Set RandUint3250 RandUint350 ;\n"
                                    "Set Random4 Random ;\n"
                                    "Set STATE_GUEST_EATING STATE_NOWHERE ;\n"
                                    "Add -2.5 17 ;\n"
                                    "Minus WalkSpeed banana ;\n"
                                    "MinusZeroCap owner destobjectentrancey ;\n"
                                    "Divide RandUint3-5 Random99999999999 ;\n"
                                    "Multiply Cash 5 ; PlaySound Splash ;");
    ASSERT_EQ(list.Size(), 11u);
    const uint32_t types[] = {CMD_SET,    CMD_SET,      CMD_SET,       CMD_SET,
                              CMD_SET,    CMD_ADD,      CMD_MINUS,     CMD_MINUS_ZERO_CAP,
                              CMD_DIVIDE, CMD_MULTIPLY, CMD_PLAY_SOUND};
    for (size_t i = 0; i < list.Size(); ++i)
        EXPECT_EQ(list[i].type, types[i]) << i;
    EXPECT_STREQ(DataOf<TextData>(list[10])->text, "Splash");
    // Each operand as (id, number, real, text).
    auto operand = [&](size_t i, bool target)
    {
        const ScriptOperand& o =
            target ? DataOf<TwoOperandData>(list[i])->target : DataOf<TwoOperandData>(list[i])->value;
        return std::tuple(o.id, o.number, o.real, std::string(o.text ? o.text : "-"));
    };
    using Operand = std::tuple<uint32_t, uint32_t, float, std::string>;
    const std::tuple<size_t, bool, Operand> rows[] = {
        // Quotes do not group: "Ice and Cream" are two words, the second left over.
        {0, true, {4, 0, 0.0f, "-"}},
        {0, false, {SCRIPT_OPERAND_TEXT, 0, 0.0f, "Ice"}},
        {1, false, {SCRIPT_OPERAND_TEXT, 0, 0.0f, "x"}},
        {2, true, {SCRIPT_OPERAND_RAND, 250, 0.0f, "-"}},
        {2, false, {SCRIPT_OPERAND_RAND, 50, 0.0f, "-"}},
        {3, true, {SCRIPT_OPERAND_RANDOM, 4, 0.0f, "-"}},
        {3, false, {SCRIPT_OPERAND_RANDOM, 0, 0.0f, "-"}},
        {4, true, {SCRIPT_OPERAND_NUMBER, 0, 13.0f, "-"}},
        {4, false, {SCRIPT_OPERAND_NUMBER, 0, 0.0f, "-"}},
        {5, true, {SCRIPT_OPERAND_NUMBER, 0, -2.5f, "-"}},
        {5, false, {SCRIPT_OPERAND_NUMBER, 0, 17.0f, "-"}},
        {6, true, {18, 0, 0.0f, "-"}},
        {6, false, {SCRIPT_OPERAND_NUMBER, 0, 0.0f, "-"}},
        {7, true, {125, 0, 0.0f, "-"}},
        {7, false, {123, 0, 0.0f, "-"}},
        // A negative range is no range; one beyond 32 bits is the largest.
        {8, true, {SCRIPT_OPERAND_RAND, 0, 0.0f, "-"}},
        {8, false, {SCRIPT_OPERAND_RANDOM, 0xFFFFFFFF, 0.0f, "-"}},
    };
    for (const auto& [i, target, expected] : rows)
        EXPECT_EQ(operand(i, target), expected) << i << (target ? " target" : " value");
    // The word where a command's ";" should stand is reported, and the words after it are commands again; ranges
    // of 0 are reported where they stand.
    EXPECT_EQ(TakeReports(),
              (std::vector<std::string>{
                  "ObjectScript - ';' expected - found Cream\"", "ObjectScript::ProcessCommand Invalid Command : ;",
                  "ObjectScript - random number asked for in a range of 0 - Random reads as 0",
                  "ObjectScript::DetermineState - State doesnt exist check state decode table",
                  "Data in script has not been defined and is not a number : banana",
                  "ObjectScript - random number asked for in a range of 0 - RandUint3-5 reads as 0"}));
}

TEST_F(ObjectScriptCompile, UnknownMessageTypesOptionsAndChangeStateWordsAreReported)
{
    // (What a message, a change of state or an animation carries is checked where it runs.) A message of an
    // unknown type is dropped (read as type 0 it would ask for its receiver's removal); an unknown option is reported
    // and its value read as the next option; a message cut off by the End keeps what it had; a word where a change of
    // state's "Time" or ";" should stand is reported, and the token after it is read as the closing one.
    const CommandList& list = Entry("Message MT_NOPE Me 1 2 Later 3 ;\n"
                                    "ChangeState STATE_DEAD Soon ;\n"
                                    "PlayAnimation Sit Wobble ;\n"
                                    "Message MT_IM_READY Me 1 2");
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(std::tuple(list[0].type, DataOf<ChangeStateData>(list[0])->state, DataOf<MessageData>(list[2])->type),
              std::tuple(uint32_t{CMD_CHANGE_STATE}, uint32_t{STATE_DEAD}, uint32_t{MT_IM_READY}));
    EXPECT_EQ(TakeReports(), (std::vector<std::string>{"SendMessage Command Not found MT_NOPE",
                                                       "ObjectScript::MessageCommand - Invalid command Later",
                                                       "ObjectScript::MessageCommand - Invalid command 3",
                                                       "ObjectScript::ChangeStateCommand - Invalid command Soon",
                                                       "ObjectScript::AnimationCommand - Invalid Animation command "
                                                       "Wobble",
                                                       "ObjectScript::MessageCommand - ';' expected - found End"}));
}

TEST_F(ObjectScriptCompile, TheTokenWhereTheClosingSemicolonStandsIsReadInItsPlaceAndReported)
{
    const CommandList& list = Entry("Function KillMe Function SetVisible ;\n"
                                    "Set Cash 1 AddVisit\n"
                                    "PlaySound Splash Splash\n"
                                    "ChangeState STATE_DEAD Time 2 Function\n"
                                    "Function FindExit ;");
    // Each closing token takes the word that stands there; what follows is read as the next command.
    ASSERT_EQ(list.Size(), 5u);
    EXPECT_EQ(std::tuple(FunctionOf(list[0]), list[1].type, list[2].type, list[3].type, FunctionOf(list[4])),
              std::tuple(82u, uint32_t{CMD_SET}, uint32_t{CMD_PLAY_SOUND}, uint32_t{CMD_CHANGE_STATE}, 25u));
    EXPECT_EQ(TakeReports(), (std::vector<std::string>{"ObjectScript - ';' expected - found Function",
                                                       "ObjectScript::ProcessCommand Invalid Command : SetVisible",
                                                       "ObjectScript::ProcessCommand Invalid Command : ;",
                                                       "ObjectScript - ';' expected - found AddVisit",
                                                       "ObjectScript - ';' expected - found Splash",
                                                       "ObjectScript - ';' expected - found Function"}));
}

TEST_F(ObjectScriptCompile, ACommandMissingItsSemicolonBeforeEndLeavesTheNextStateItsOwn)
{
    // The End that closes the list still closes it, so the next State is declared with its own list.
    const char* const lasts[] = {
        "Function KillMe", "Set Cash 1", "PlaySound Splash", "ChangeState STATE_DEAD", "ChangeState STATE_DEAD Time 2",
    };
    for (const char* last : lasts)
    {
        SCOPED_TRACE(last);
        const ObjectScript& script = Bind(std::string("State STATE_STARTUP OnEntry ") + last +
                                          " End End\n"
                                          "State STATE_DEAD OnEntry Function KillMe ; End End\n");
        ASSERT_EQ(script.GetNumStates(), 2u);
        EXPECT_EQ(
            std::tuple(script.GetState(1).value, script.GetState(0).onEntry.Size(), script.GetState(1).onEntry.Size()),
            std::tuple(uint32_t{STATE_DEAD}, size_t{1}, size_t{1}));
        const std::vector<std::string> reports = TakeReports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_NE(reports[0].find("';' expected - found End"), std::string::npos) << reports[0];
    }
}

TEST_F(ObjectScriptCompile, IfBodiesNestAndElseSwitchesToTheElseListAndOnlyIfsCountTowardsTheDepth)
{
    const CommandList& list =
        Entry("If (Moving)\n"
              "  Function SetVisible ;\n"
              "  If (Cash > 1) Function AddVisit ; Else Function FindExit ; Function KillMe ; End\n"
              "Else\n"
              "  Function SetInvisible ;\n"
              "End\n"
              "Function CreateLitter ;");
    ASSERT_EQ(list.Size(), 2u);
    const auto* outer = DataOf<IfData>(list[0]);
    ASSERT_EQ(std::tuple(outer->thenList.Size(), outer->elseList.Size()), std::tuple(size_t{2}, size_t{1}));
    const auto* inner = DataOf<IfData>(outer->thenList[1]);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(
        std::tuple(FunctionOf(outer->elseList[0]), inner->thenList.Size(), inner->elseList.Size(), FunctionOf(list[1])),
        std::tuple(2u, size_t{1}, size_t{2}, 4u));

    // A Switch may stand in an If, and its Ifs count on from the If outside it: ten Ifs in all are kept.
    std::string commands = "If (true) Switch (Cash) Case 1:\n";
    for (int i = 0; i < 9; ++i)
        commands += "If (true)\n";
    commands += "Function KillMe ;\n";
    for (int i = 0; i < 9; ++i)
        commands += "End\n";
    const CommandList& deep = Entry(commands + "End End");
    ASSERT_EQ(deep.Size(), 1u);
    const auto* switchData = DataOf<SwitchData>(DataOf<IfData>(deep[0])->thenList[0]);
    ASSERT_TRUE(switchData && switchData->cases.size() == 1);
    const CommandList* level = &switchData->cases[0].list;
    for (int i = 0; i < 9; ++i)
    {
        ASSERT_EQ(level->Size(), 1u) << i;
        const auto* ifData = DataOf<IfData>((*level)[0]);
        ASSERT_NE(ifData, nullptr) << i;
        level = &ifData->thenList;
    }
    ASSERT_EQ(level->Size(), 1u);
    EXPECT_EQ(FunctionOf((*level)[0]), 82u);
    EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ObjectScriptCompile, IfsDeeperThanTenAreDroppedWithTheirBodies)
{
    std::string commands;
    for (int i = 0; i < 12; ++i)
        commands += "If (true) Function AddVisit ;\n";
    for (int i = 0; i < 12; ++i)
        commands += "End Function KillMe ;\n";
    const CommandList& list = Entry(commands);
    // Walk down the ten kept levels: each holds its function, its inner If, and after it a KillMe.
    const CommandList* level = &list;
    int depth = 0;
    for (const IfData* ifData = nullptr;; level = &ifData->thenList, ++depth)
    {
        ifData = nullptr;
        for (const CommandNode& node : *level)
            ifData = node.type == CMD_IF ? DataOf<IfData>(node) : ifData;
        if (!ifData)
            break;
    }
    // The innermost kept If: its AddVisit, no inner If, and the KillMe that followed the dropped Ifs' Ends; at the
    // top, the outermost If and the last KillMe.
    ASSERT_EQ(level->Size(), 2u);
    EXPECT_EQ(std::tuple(depth, FunctionOf((*level)[0]), FunctionOf((*level)[1]), list.Size()),
              std::tuple(10, 13u, 82u, size_t{2}));
    EXPECT_EQ(TakeReports(), std::vector<std::string>{"ObjectScript::IfCommand - If statements nested deeper than "
                                                      "10 - (true) dropped with its commands"});
}

TEST_F(ObjectScriptCompile, SwitchCasesTakeTheCommandsThatFollowThem)
{
    const CommandList& list = Entry("Switch ( Random4 )\n"
                                    "  Function KillMe ;\n"
                                    "  Case true: Function AddVisit ; Function FindExit ;\n"
                                    "  Case 3:\n"
                                    "    If (Moving) Case 9: Function SetVisible ; Else Function SetInvisible ; End\n"
                                    "  Case Default: \n"
                                    "End\n"
                                    "Case 4: Function LookAtMe ;\n"
                                    "Switch (Cash) Case 1: Switch (Moving) Case 2: Function KillMe ; End Function "
                                    "AddVisit ; End");
    ASSERT_EQ(list.Size(), 3u);
    const auto* random = DataOf<SwitchData>(list[0]);
    ASSERT_EQ(random->cases.size(), 3u);
    ASSERT_EQ(random->cases[1].list.Size(), 1u);
    const auto* inner = DataOf<IfData>(random->cases[1].list[0]);
    EXPECT_EQ(
        std::tuple(random->operand.id, random->operand.number, random->cases[0].operand.id,
                   random->cases[0].list.Size(), random->cases[1].operand.real, inner->thenList.Size(),
                   inner->elseList.Size(), random->cases[2].operand.id, random->cases[2].list.Size()),
        std::tuple(uint32_t{SCRIPT_OPERAND_RANDOM}, 4u, 111u, size_t{2}, 3.0f, size_t{1}, size_t{1}, 116u, size_t{0}));
    // A Case outside a Switch is ignored and its commands go where the parse stands.
    EXPECT_EQ(FunctionOf(list[1]), 39u);
    // A Switch inside a Switch is dropped with its cases; the outer case goes on after its End.
    const auto* outer = DataOf<SwitchData>(list[2]);
    ASSERT_EQ(outer->cases.size(), 1u);
    ASSERT_EQ(outer->cases[0].list.Size(), 1u);
    EXPECT_EQ(FunctionOf(outer->cases[0].list[0]), 13u);
    EXPECT_EQ(TakeReports(),
              (std::vector<std::string>{"No Case has been defined for this statement",
                                        "ObjectScript::ProcessCommands - Case outside a Switch statement - 9:",
                                        "ObjectScript::ProcessCommands - Case outside a Switch statement - 4:",
                                        "ObjectScript::SwitchCommand - Switch inside a Switch - (Moving) dropped "
                                        "with its cases"}));
}

TEST_F(ObjectScriptCompile, BlocksBeforeASwitchsFirstCaseAreDroppedWhole)
{
    const CommandList& list = Entry("Switch (Cash)\n"
                                    "  If (true) Function KillMe ; Else Function SetVisible ; End\n"
                                    "  Switch (Moving) Case 1: Function KillMe ; End\n"
                                    "  Case 1: Function AddVisit ;\n"
                                    "End\n"
                                    "Function FindExit ;");
    ASSERT_EQ(list.Size(), 2u);
    const auto* outer = DataOf<SwitchData>(list[0]);
    ASSERT_EQ(outer->cases.size(), 1u);
    ASSERT_EQ(outer->cases[0].list.Size(), 1u);
    EXPECT_EQ(std::tuple(FunctionOf(outer->cases[0].list[0]), FunctionOf(list[1])), std::tuple(13u, 25u));
    EXPECT_EQ(CountReports("No Case has been defined for this statement"), 1u);
    EXPECT_EQ(CountReports("Switch inside a Switch"), 1u);
}

TEST_F(ObjectScriptCompile, ElseWithoutIfCommandsCutShortAndConditionsOverTheLimitAreReported)
{
    const std::string longName(60, 'x');
    const CommandList& list = Entry("Else\n"
                                    "Add Cash ;\n"
                                    "PlaySound ;\n"
                                    "If (" +
                                    longName +
                                    ") Function KillMe ; If (true) End End\n"
                                    "Switch (" +
                                    longName +
                                    ") Case 1: Function KillMe ; End\n"
                                    "If (true) Function AddVisit ; End\n"
                                    "ChangeState");
    // The blocks whose conditions are too long are dropped with their bodies.
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(DataOf<IfData>(list[0])->thenList.Size(), 1u);
    EXPECT_EQ(CountReports("ReadCondition - condition longer than 51"), 2u);
    for (const char* report : {"ObjectScript::ProcessCommands - Else statement without if statement",
                               "ObjectScript::ArithmeticCommand - command cut short by ;",
                               "ObjectScript::PlaySoundCommand - command cut short by ;",
                               "ObjectScript::ChangeStateCommand - command cut short by End"})
        EXPECT_EQ(CountReports(report), 1u) << report;
}

TEST_F(ObjectScriptCompile, AtMostSixtyStatesAndThirtyMessageBlocksAreKept)
{
    std::string text;
    for (int i = 0; i < 62; ++i)
        text +=
            "State " + std::string(StateName(static_cast<uint32_t>(i % 61))) + " OnEntry Function KillMe ; End End\n";
    const ObjectScript& script = Bind(text);
    EXPECT_EQ(script.GetNumStates(), 60u);
    EXPECT_EQ(TakeReports(),
              (std::vector<std::string>{
                  "ObjectScript::ProcessStateCommand - more than 60 States - STATE_ANIMAL_GO_SHOW dropped",
                  "ObjectScript::ProcessStateCommand - more than 60 States - STATE_NULL dropped"}));
    EXPECT_EQ(script.FindState(STATE_ANIMAL_GO_SHOW), nullptr);
    EXPECT_EQ(script.FindState(STATE_ANIMAL_GO_EAT), &script.GetState(59));

    std::string blocks = "State STATE_STARTUP\n";
    for (int i = 0; i < 31; ++i)
        blocks += "Message " + std::string(g_DecodeTable[STATE_NUM_STATES + i].name) + " OnReceipt End End\n";
    const ObjectScript& many = Bind(blocks + "OnEntry Function KillMe ; End End\n");
    ASSERT_EQ(many.GetNumStates(), 1u);
    const State& state = many.GetState(0);
    EXPECT_EQ(std::tuple(state.messages.size(), state.FindMessage(30), state.FindMessage(29) != nullptr,
                         state.onEntry.Size()),
              std::tuple(size_t{30}, nullptr, true, size_t{1}));
    EXPECT_EQ(TakeReports(), std::vector<std::string>{"ObjectScript::ProcessMessageCommand - more than 30 message "
                                                      "blocks in a State - MT_REQUEST_COMMOD dropped"});
}

TEST_F(ObjectScriptCompile, StatesAndBlocksCutOffByTheEndOfTheTextAreDropped)
{
    EXPECT_EQ(Bind("State STATE_STARTUP OnEntry Function KillMe ; End").GetNumStates(), 0u);
    const ObjectScript& script = Bind("State STATE_DEAD End State STATE_STARTUP Message MT_NEW_DAY OnReceipt");
    ASSERT_EQ(script.GetNumStates(), 1u);
    EXPECT_EQ(script.GetState(0).value, uint32_t{STATE_DEAD});
    EXPECT_EQ(Bind("State").GetNumStates() + Bind("").GetNumStates(), 0u);
    TakeReports();
    // A text of one character is read like any other.
    EXPECT_EQ(Bind("x").GetNumStates(), 0u);
    EXPECT_EQ(TakeReports(), std::vector<std::string>{"Invalid Command Recieved in ObjectScript x"});
    // Compiling again replaces what the script held.
    auto again = Compile("State STATE_DEAD End");
    again->Compile("State STATE_STARTUP End", 23);
    ASSERT_EQ(again->GetNumStates(), 1u);
    EXPECT_EQ(again->FindState(STATE_DEAD), nullptr);
    EXPECT_NE(again->FindState(STATE_STARTUP), nullptr);
}

// A State the end of the file cuts off before its End is lost: the script's writer hears of it once, wherever
// the cut falls, and the States before it are kept.
TEST_F(ObjectScriptCompile, AStateCutOffByTheEndOfTheFileIsReported)
{
    const std::string whole = "State STATE_DEAD OnEntry Function KillMe ; End End\n";
    const std::pair<const char*, const char*> cuts[] = {
        {"State STATE_STARTUP", "STATE_STARTUP"},
        {"State STATE_STARTUP OnEntry Function KillMe ; End", "STATE_STARTUP"},
        {"State STATE_STARTUP OnUpdate If (Moving) Function KillMe ;", "STATE_STARTUP"},
        {"State STATE_GUEST_EATING Message MT_NEW_DAY OnReceipt Function KillMe ; End", "STATE_GUEST_EATING"},
        {"State STATE_GUEST_EATING Message MT_NEW_DAY", "STATE_GUEST_EATING"},
    };
    for (const auto& [cut, state] : cuts)
    {
        const ObjectScript& script = Bind(whole + cut);
        EXPECT_EQ(script.GetNumStates(), 1u) << cut;
        EXPECT_EQ(TakeReports(),
                  std::vector<std::string>{"ObjectScript::ProcessStateCommand - State " + std::string(state) +
                                           " cut off by the end of the script - dropped"})
            << cut;
    }
}

TEST_F(ObjectScriptCompile, AScriptCutAtEveryByteCompilesSafely)
{
    const std::string text = "// every command\n"
                             "State STATE_STARTUP\n"
                             " OnEntry\n"
                             "  Function SetVisible ; Set Cash 2.5 ; Add Cash RandUint310 ;\n"
                             "  If (Cash >= 3) Minus Cash 1 ; Else MinusZeroCap Cash \"x\" ; End\n"
                             "  Switch (Random3) Case true: Divide Cash 2 ; Case Default: Multiply Cash 3 ; End\n"
                             "  Message MT_PRICE_OK DestObject Cash 0 Time 1 MaxTime 2 FloatData 1.5 State "
                             "STATE_DEAD SendFrom Me ;\n"
                             "  ChangeState STATE_GUEST_EATING Time 3 ;\n"
                             "  PlayAnimation Eat Finish EatEnd NotLooped ExitState STATE_DEAD MaxTime 2 EndMessage "
                             "MT_FINISH_ACTION Reverse ;\n"
                             "  PlaySound Splash ;\n"
                             " End\n"
                             " Message MT_NEW_DAY OnReceipt Function KillMe ; End OnSend Set Cash 0 ; End End\n"
                             "End\n";
    auto whole = Compile(text);
    ASSERT_EQ(whole->GetNumStates(), 1u);
    EXPECT_EQ(std::tuple(whole->GetState(0).onEntry.Size(), TakeReports().size()), std::tuple(size_t{9}, size_t{0}));
    for (size_t length = 0; length < text.size(); ++length)
    {
        auto script = Compile(text.substr(0, length));
        // Only the State's last End closes it.
        EXPECT_EQ(script->GetNumStates(), length + 1 < text.size() ? 0u : 1u) << length;
    }
    sink.boxes.clear();
}
