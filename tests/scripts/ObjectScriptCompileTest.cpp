// Tests of compiling object scripts: the block grammar, case rules, the compiled data of every command and operand
// kind, the limits on States, message blocks and nesting, hostile and truncated scripts, and loading from files.
#include "tests/scripts/ScriptTestSupport.h"

#include "scripts/ObjectStates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace scripttest;

namespace
{

template <class T> const T* DataOf(const CommandNode& node)
{
    return dynamic_cast<const T*>(node.data.get());
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
        if (script.GetNumStates() == 0)
            return empty;
        return script.GetState(0).onEntry;
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
    EXPECT_EQ(first.value, uint32_t{STATE_STARTUP});
    // A block given twice appends to the same list.
    ASSERT_EQ(first.onEntry.Size(), 2u);
    EXPECT_EQ(DataOf<FunctionData>(first.onEntry[0])->function, 3u);
    EXPECT_EQ(DataOf<FunctionData>(first.onEntry[1])->function, 4u);
    EXPECT_TRUE(first.onExit.Empty());
    EXPECT_EQ(first.onUpdate.Size(), 2u);
    ASSERT_EQ(first.messages.size(), 2u);
    EXPECT_EQ(first.messages[0].type, uint32_t{MT_NEW_DAY});
    EXPECT_EQ(first.messages[0].onReceipt.Size(), 1u);
    EXPECT_EQ(first.messages[0].onSend.Size(), 2u);
    EXPECT_EQ(first.messages[1].type, uint32_t{MT_LEAVE_BUILDING});
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
    EXPECT_EQ(script.GetState(0).value, kUnresolvedScriptName);
    ASSERT_EQ(script.GetState(1).messages.size(), 1u);
    EXPECT_EQ(script.GetState(1).messages[0].type, kUnresolvedScriptName);
    EXPECT_EQ(script.GetState(1).FindMessage(kUnresolvedScriptName), nullptr);
    for (uint32_t state = 0; state <= STATE_NUM_STATES; ++state)
    {
        if (state != STATE_STARTUP)
        {
            EXPECT_EQ(script.FindState(state), nullptr) << state;
        }
    }
}

TEST_F(ObjectScriptCompile, KeywordsAndNamesAreCaseSensitiveWhileVariablesAndFunctionsAreNot)
{
    const ObjectScript& script = Bind("state STATE_STARTUP\n"
                                      "State STATE_startup End\n"
                                      "State STATE_STARTUP\n"
                                      "  onentry\n"
                                      "  Message mt_new_day End\n"
                                      "  OnEntry\n"
                                      "    function SetVisible ;\n"
                                      "    Function setVISIBLE ;\n"
                                      "    Set ME me ;\n"
                                      "    Set Default TRUE ;\n"
                                      "  End\n"
                                      "End\n");
    EXPECT_EQ(
        TakeReports(),
        (std::vector<std::string>{
            "Invalid Command Recieved in ObjectScript state", "Invalid Command Recieved in ObjectScript STATE_STARTUP",
            "ObjectScript::DetermineState - State doesnt exist check state decode table",
            "ObjectScript::ProcessStateCommand - Unknown Command Found : onentry",
            "ObjectScript::DetermineMessage - Message doesn't exist check message decode table mt_new_day",
            "ObjectScript::ProcessCommand Invalid Command : function",
            "ObjectScript::ProcessCommand Invalid Command : SetVisible",
            "ObjectScript::ProcessCommand Invalid Command : ;"}));
    ASSERT_EQ(script.GetNumStates(), 2u);
    const CommandList& entry = script.GetState(1).onEntry;
    ASSERT_EQ(entry.Size(), 3u);
    EXPECT_EQ(DataOf<FunctionData>(entry[0])->function, 3u);
    const auto* set = DataOf<TwoOperandData>(entry[1]);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(entry[1].type, uint32_t{CMD_SET});
    EXPECT_EQ(set->target.id, 107u);
    EXPECT_EQ(set->value.id, 107u);
    EXPECT_EQ(DataOf<TwoOperandData>(entry[2])->target.id, 116u);
    EXPECT_EQ(DataOf<TwoOperandData>(entry[2])->value.id, 111u);
}

TEST_F(ObjectScriptCompile, FunctionNamesGiveTheirIndexesAndAMisspeltOneReportsOnce)
{
    const CommandList& list = Entry("Function SearchDesire ; Function ClearMyDelayedMsgs ; Function Debug ;\n"
                                    "Function CleanToiletTime ; Function SearchDesires ;");
    ASSERT_EQ(list.Size(), 5u);
    const uint32_t expected[] = {0, 83, 84, 55, 85};
    for (size_t i = 0; i < list.Size(); ++i)
    {
        EXPECT_EQ(list[i].type, uint32_t{CMD_FUNCTION});
        EXPECT_EQ(DataOf<FunctionData>(list[i])->function, expected[i]) << i;
    }
    EXPECT_EQ(TakeReports(),
              std::vector<std::string>{"ObjectScript::FunctionCommand - Invalid Function SearchDesires"});
}

TEST_F(ObjectScriptCompile, OperandsOfEveryKind)
{
    const CommandList& list = Entry("Set Cash \"Ice Cream\" ;\n"
                                    "Set Cash \"x ;\n"
                                    "Set RandUint3250 RandUint350 ;\n"
                                    "Set Random4 Random ;\n"
                                    "Set STATE_GUEST_EATING STATE_NOWHERE ;\n"
                                    "Set -2.5 17 ;\n"
                                    "Set WalkSpeed banana ;\n"
                                    "Set owner destobjectentrancey ;\n"
                                    "Set RandUint3-5 Random99999999999 ;\n");
    ASSERT_EQ(list.Size(), 9u);
    auto two = [&](size_t i) { return DataOf<TwoOperandData>(list[i]); };
    // Quotes do not group: "Ice and Cream" are two words, the second left over.
    EXPECT_EQ(two(0)->target.id, 4u);
    EXPECT_EQ(two(0)->value.id, uint32_t{SCRIPT_OPERAND_TEXT});
    EXPECT_STREQ(two(0)->value.text, "Ice");
    EXPECT_STREQ(two(1)->value.text, "x");
    EXPECT_EQ(two(2)->target.id, uint32_t{SCRIPT_OPERAND_RAND});
    EXPECT_EQ(two(2)->target.number, 250u);
    EXPECT_EQ(two(2)->value.number, 50u);
    EXPECT_EQ(two(3)->target.id, uint32_t{SCRIPT_OPERAND_RANDOM});
    EXPECT_EQ(two(3)->target.number, 4u);
    EXPECT_EQ(two(3)->value.number, 0u);
    EXPECT_EQ(two(4)->target.id, uint32_t{SCRIPT_OPERAND_NUMBER});
    EXPECT_EQ(two(4)->target.real, 13.0f);
    EXPECT_EQ(two(4)->value.real, 0.0f);
    EXPECT_EQ(two(5)->target.real, -2.5f);
    EXPECT_EQ(two(5)->value.real, 17.0f);
    EXPECT_EQ(two(6)->target.id, 18u);
    EXPECT_EQ(two(6)->value.id, uint32_t{SCRIPT_OPERAND_NUMBER});
    EXPECT_EQ(two(6)->value.real, 0.0f);
    EXPECT_EQ(two(7)->target.id, 125u);
    EXPECT_EQ(two(7)->value.id, 123u);
    // A negative range is no range; one beyond 32 bits is the largest.
    EXPECT_EQ(two(8)->target.number, 0u);
    EXPECT_EQ(two(8)->value.number, 0xFFFFFFFFu);
    EXPECT_EQ(TakeReports(),
              (std::vector<std::string>{"ObjectScript::ArithmeticCommand - ';' expected - found Cream\"",
                                        "ObjectScript::ProcessCommand Invalid Command : Cream\"",
                                        "ObjectScript::ProcessCommand Invalid Command : ;",
                                        "ObjectScript::DetermineState - State doesnt exist check state decode table",
                                        "Data in script has not been defined and is not a number : banana"}));
}

TEST_F(ObjectScriptCompile, ArithmeticWordsAndPlaySound)
{
    const CommandList& list = Entry("Add Cash 1 ; Minus Cash 2 ; MinusZeroCap Cash 3 ; Divide Cash 4 ;\n"
                                    "Multiply Cash 5 ; Set Cash 6 ; PlaySound Splash ;");
    ASSERT_EQ(list.Size(), 7u);
    const uint32_t types[] = {CMD_ADD, CMD_MINUS, CMD_MINUS_ZERO_CAP, CMD_DIVIDE, CMD_MULTIPLY, CMD_SET};
    for (size_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ(list[i].type, types[i]);
        EXPECT_EQ(DataOf<TwoOperandData>(list[i])->value.real, static_cast<float>(i + 1));
    }
    EXPECT_EQ(list[6].type, uint32_t{CMD_PLAY_SOUND});
    EXPECT_STREQ(DataOf<TextData>(list[6])->text, "Splash");
    EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ObjectScriptCompile, MessageCommandsWithAndWithoutOptions)
{
    const CommandList& list = Entry("Message MT_PRICE_OK DestObject Cash 3 ;\n"
                                    "Message MT_NEW_HOUR Me 1 2 Time 1.5 MaxTime 4 FloatData Happiness State "
                                    "STATE_DEAD SendFrom Owner ;\n"
                                    "Message MT_NOPE Me 1 2 Later 3 ;\n"
                                    "Message MT_IM_READY Me 1 2");
    ASSERT_EQ(list.Size(), 4u);
    const auto* plain = DataOf<MessageData>(list[0]);
    EXPECT_EQ(plain->type, uint32_t{MT_PRICE_OK});
    EXPECT_EQ(plain->receiver.id, 121u);
    EXPECT_EQ(plain->data.id, 4u);
    EXPECT_EQ(plain->flags.real, 3.0f);
    EXPECT_EQ(plain->floatData.id, uint32_t{SCRIPT_OPERAND_NONE});
    EXPECT_EQ(plain->state.id, uint32_t{SCRIPT_OPERAND_NONE});
    EXPECT_EQ(plain->sendFrom.id, uint32_t{SCRIPT_OPERAND_NONE});
    EXPECT_EQ(plain->time, 0.0f);
    EXPECT_EQ(plain->maxTime, 0.0f);
    const auto* full = DataOf<MessageData>(list[1]);
    EXPECT_EQ(full->type, uint32_t{MT_NEW_HOUR});
    EXPECT_EQ(full->time, 1.5f);
    EXPECT_EQ(full->maxTime, 4.0f);
    EXPECT_EQ(full->floatData.id, 8u);
    EXPECT_EQ(full->state.real, 7.0f);
    EXPECT_EQ(full->sendFrom.id, 125u);
    // An unknown message type stays 0; an unknown option is reported and its value read as the next option.
    EXPECT_EQ(DataOf<MessageData>(list[2])->type, 0u);
    EXPECT_EQ(DataOf<MessageData>(list[3])->type, uint32_t{MT_IM_READY});
    EXPECT_EQ(TakeReports(), (std::vector<std::string>{"SendMessage Command Not found MT_NOPE",
                                                       "ObjectScript::MessageCommand - Invalid command Later",
                                                       "ObjectScript::MessageCommand - Invalid command 3",
                                                       "ObjectScript::MessageCommand - ';' expected - found End"}));
}

TEST_F(ObjectScriptCompile, ChangeStateAndAnimationCommands)
{
    const CommandList& list =
        Entry("ChangeState STATE_GUEST_EATING ;\n"
              "ChangeState STATE_DEAD Time 2.5 ;\n"
              "ChangeState STATE_NOWHERE Time 1 ;\n"
              "ChangeState STATE_DEAD Soon ;\n"
              "PlayAnimation Walk ;\n"
              "PlayAnimation Eat Finish EatEnd NotLooped ExitState STATE_GUEST_EATING MaxTime 3 EndMessage "
              "MT_FINISH_ACTION Reverse ;\n"
              "PlayAnimation Sit ExitState STATE_NOWHERE EndMessage MT_NOWHERE Wobble ;");
    ASSERT_EQ(list.Size(), 6u);
    const auto* change = DataOf<ChangeStateData>(list[0]);
    EXPECT_EQ(change->state, uint32_t{STATE_GUEST_EATING});
    EXPECT_EQ(change->delay, 0.0f);
    EXPECT_EQ(DataOf<ChangeStateData>(list[1])->state, uint32_t{STATE_DEAD});
    EXPECT_EQ(DataOf<ChangeStateData>(list[1])->delay, 2.5f);
    // The change to a state that does not exist is dropped; the next one keeps its state despite the bad word.
    EXPECT_EQ(DataOf<ChangeStateData>(list[2])->state, uint32_t{STATE_DEAD});
    const auto* walk = DataOf<AnimationData>(list[3]);
    EXPECT_STREQ(walk->name, "Walk");
    EXPECT_EQ(walk->finish, nullptr);
    EXPECT_EQ(walk->endMessage, uint32_t{MT_NUM_MESSAGES});
    EXPECT_EQ(walk->exitState, 0u);
    EXPECT_FALSE(walk->reverse);
    EXPECT_FALSE(walk->notLooped);
    const auto* eat = DataOf<AnimationData>(list[4]);
    EXPECT_STREQ(eat->finish, "EatEnd");
    EXPECT_TRUE(eat->notLooped);
    EXPECT_TRUE(eat->reverse);
    EXPECT_EQ(eat->exitState, uint32_t{STATE_GUEST_EATING});
    EXPECT_EQ(eat->maxTime, 3.0f);
    EXPECT_EQ(eat->endMessage, uint32_t{MT_FINISH_ACTION});
    const auto* sit = DataOf<AnimationData>(list[5]);
    EXPECT_EQ(sit->exitState, 0u);
    EXPECT_EQ(sit->endMessage, uint32_t{MT_NUM_MESSAGES});
    EXPECT_EQ(TakeReports(),
              (std::vector<std::string>{
                  "ObjectScript::ChangeStateCommand - State doesnt exist check state decode table STATE_NOWHERE - "
                  "dropped",
                  "ObjectScript::ChangeStateCommand - Invalid command Soon",
                  "ObjectScript::AnimationCommand - Invalid Animation command Wobble"}));
}

TEST_F(ObjectScriptCompile, IfConditionsTakeTheirOperatorsAndOperands)
{
    const CommandList& list = Entry("If (Moving) End\n"
                                    "If ( Cash   >= 2.5 ) End\n"
                                    "If (Cash && true) Else End\n"
                                    "If (Cash || true) End If (Cash > 1) End If (Cash < 1) End If (Cash == 1) End\n"
                                    "If (Cash <= 1) End If (Cash =< 1) End If (Cash => 1) End If (Cash != 1) End\n"
                                    "If (DesiredCommodText == \"Chips\") End\n"
                                    "If (Cash <> 1) End\n"
                                    "If (Cash == \") End");
    ASSERT_EQ(list.Size(), 14u);
    const uint32_t ops[] = {OP_INVALID,   OP_GREATER_EQUAL, OP_AND,        OP_OR,         OP_GREATER,
                            OP_LESS,      OP_EQUAL,         OP_LESS_EQUAL, OP_LESS_EQUAL, OP_GREATER_EQUAL,
                            OP_NOT_EQUAL, OP_EQUAL,         OP_INVALID,    OP_EQUAL};
    for (size_t i = 0; i < list.Size(); ++i)
    {
        ASSERT_EQ(list[i].type, uint32_t{CMD_IF});
        EXPECT_EQ(DataOf<IfData>(list[i])->op, ops[i]) << i;
    }
    const auto* single = DataOf<IfData>(list[0]);
    EXPECT_EQ(single->left.id, 120u);
    EXPECT_EQ(single->right.id, uint32_t{SCRIPT_OPERAND_NONE});
    const auto* spaced = DataOf<IfData>(list[1]);
    EXPECT_EQ(spaced->left.id, 4u);
    EXPECT_EQ(spaced->right.real, 2.5f);
    EXPECT_TRUE(DataOf<IfData>(list[2])->inElse);
    EXPECT_FALSE(spaced->inElse);
    const auto* text = DataOf<IfData>(list[11]);
    EXPECT_EQ(text->right.id, uint32_t{SCRIPT_OPERAND_TEXT});
    EXPECT_STREQ(text->right.text, "Chips");
    EXPECT_STREQ(DataOf<IfData>(list[13])->right.text, "");
    EXPECT_EQ(TakeReports(), std::vector<std::string>{"ObjectScript::IfCommand - Invalid Operator in if statement <>"});
}

TEST_F(ObjectScriptCompile, IfBodiesNestAndElseSwitchesToTheElseList)
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
    ASSERT_EQ(outer->thenList.Size(), 2u);
    ASSERT_EQ(outer->elseList.Size(), 1u);
    EXPECT_EQ(DataOf<FunctionData>(outer->elseList[0])->function, 2u);
    const auto* inner = DataOf<IfData>(outer->thenList[1]);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->thenList.Size(), 1u);
    EXPECT_EQ(inner->elseList.Size(), 2u);
    EXPECT_EQ(DataOf<FunctionData>(list[1])->function, 4u);
    EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ObjectScriptCompile, OnlyIfsCountTowardsTheIfDepthAndASwitchMayStandInAnIf)
{
    std::string commands = "If (true) Switch (Cash) Case 1:\n";
    for (int i = 0; i < 9; ++i)
        commands += "If (true)\n";
    commands += "Function KillMe ;\n";
    for (int i = 0; i < 9; ++i)
        commands += "End\n";
    commands += "End End";
    const CommandList& list = Entry(commands);
    ASSERT_EQ(list.Size(), 1u);
    const auto* outer = DataOf<IfData>(list[0]);
    ASSERT_EQ(outer->thenList.Size(), 1u);
    const auto* inner = DataOf<SwitchData>(outer->thenList[0]);
    ASSERT_NE(inner, nullptr);
    ASSERT_EQ(inner->cases.size(), 1u);
    const CommandList* level = &inner->cases[0].list;
    for (int i = 0; i < 9; ++i)
    {
        ASSERT_EQ(level->Size(), 1u) << i;
        const auto* ifData = DataOf<IfData>((*level)[0]);
        ASSERT_NE(ifData, nullptr) << i;
        level = &ifData->thenList;
    }
    ASSERT_EQ(level->Size(), 1u);
    EXPECT_EQ(DataOf<FunctionData>((*level)[0])->function, 82u);
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
    for (;;)
    {
        const IfData* ifData = nullptr;
        for (const CommandNode& node : *level)
        {
            if (node.type == CMD_IF)
                ifData = DataOf<IfData>(node);
        }
        if (!ifData)
            break;
        ++depth;
        level = &ifData->thenList;
    }
    EXPECT_EQ(depth, 10);
    // The innermost kept If: its AddVisit, no inner If, and the KillMe that followed the dropped Ifs' Ends.
    ASSERT_EQ(level->Size(), 2u);
    EXPECT_EQ(DataOf<FunctionData>((*level)[0])->function, 13u);
    EXPECT_EQ(DataOf<FunctionData>((*level)[1])->function, 82u);
    EXPECT_EQ(list.Size(), 2u); // the outermost If and the last KillMe
    EXPECT_EQ(CountReports("nested deeper than 10"), 1u);
    EXPECT_EQ(TakeReports().size(), 1u);
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
    EXPECT_EQ(random->operand.id, uint32_t{SCRIPT_OPERAND_RANDOM});
    EXPECT_EQ(random->operand.number, 4u);
    ASSERT_EQ(random->cases.size(), 3u);
    EXPECT_EQ(random->cases[0].operand.id, 111u);
    EXPECT_EQ(random->cases[0].list.Size(), 2u);
    EXPECT_EQ(random->cases[1].operand.real, 3.0f);
    ASSERT_EQ(random->cases[1].list.Size(), 1u);
    const auto* inner = DataOf<IfData>(random->cases[1].list[0]);
    EXPECT_EQ(inner->thenList.Size(), 1u);
    EXPECT_EQ(inner->elseList.Size(), 1u);
    EXPECT_EQ(random->cases[2].operand.id, 116u);
    EXPECT_TRUE(random->cases[2].list.Empty());
    // A Case outside a Switch is ignored and its commands go where the parse stands.
    EXPECT_EQ(DataOf<FunctionData>(list[1])->function, 39u);
    // A Switch inside a Switch is dropped with its cases; the outer case goes on after its End.
    const auto* outer = DataOf<SwitchData>(list[2]);
    ASSERT_EQ(outer->cases.size(), 1u);
    ASSERT_EQ(outer->cases[0].list.Size(), 1u);
    EXPECT_EQ(DataOf<FunctionData>(outer->cases[0].list[0])->function, 13u);
    EXPECT_EQ(TakeReports(),
              (std::vector<std::string>{"No Case has been defined for this statement",
                                        "ObjectScript::ProcessCommands - Case outside a Switch statement - 9:",
                                        "ObjectScript::ProcessCommands - Case outside a Switch statement - 4:",
                                        "ObjectScript::SwitchCommand - Switch inside a Switch - (Moving) dropped "
                                        "with its cases"}));
}

TEST_F(ObjectScriptCompile, ElseWithoutIfAndCommandsCutShortAreReported)
{
    const CommandList& list = Entry("Else\n"
                                    "Add Cash ;\n"
                                    "Function KillMe\n"
                                    "Set Cash 1 ;\n"
                                    "PlaySound ;\n"
                                    "ChangeState");
    ASSERT_EQ(list.Size(), 2u);
    EXPECT_EQ(list[0].type, uint32_t{CMD_FUNCTION});
    EXPECT_EQ(list[1].type, uint32_t{CMD_SET});
    EXPECT_EQ(TakeReports(),
              (std::vector<std::string>{"ObjectScript::ProcessCommands - Else statement without if statement",
                                        "ObjectScript::ArithmeticCommand - command cut short by ;",
                                        "ObjectScript::FunctionCommand - ';' expected - found Set",
                                        "ObjectScript::PlaySoundCommand - command cut short by ;",
                                        "ObjectScript::ChangeStateCommand - command cut short by End"}));
}

TEST_F(ObjectScriptCompile, ConditionsOverTheLimitDropTheirBlock)
{
    const std::string longName(60, 'x');
    const CommandList& list = Entry("If (" + longName +
                                    ") Function KillMe ; If (true) End End\n"
                                    "Switch (" +
                                    longName +
                                    ") Case 1: Function KillMe ; End\n"
                                    "If (true) Function AddVisit ; End");
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(DataOf<IfData>(list[0])->thenList.Size(), 1u);
    EXPECT_EQ(CountReports("ReadCondition - condition longer than 51"), 2u);
}

TEST_F(ObjectScriptCompile, AtMostSixtyStatesAndThirtyMessageBlocksAreKept)
{
    std::string text;
    for (int i = 0; i < 62; ++i)
        text +=
            "State " + std::string(StateName(static_cast<uint32_t>(i % 61))) + " OnEntry Function KillMe ; End End\n";
    const ObjectScript& script = Bind(text);
    EXPECT_EQ(script.GetNumStates(), 60u);
    EXPECT_EQ(CountReports("more than 60 States - STATE_ANIMAL_GO_SHOW dropped"), 1u);
    EXPECT_EQ(CountReports("more than 60 States - STATE_NULL dropped"), 1u);
    EXPECT_EQ(TakeReports().size(), 2u);
    EXPECT_EQ(script.FindState(STATE_ANIMAL_GO_SHOW), nullptr);
    EXPECT_EQ(script.FindState(STATE_ANIMAL_GO_EAT), &script.GetState(59));

    std::string blocks = "State STATE_STARTUP\n";
    for (int i = 0; i < 31; ++i)
        blocks += "Message " + std::string(g_DecodeTable[STATE_NUM_STATES + i].name) + " OnReceipt End End\n";
    blocks += "OnEntry Function KillMe ; End End\n";
    const ObjectScript& many = Bind(blocks);
    ASSERT_EQ(many.GetNumStates(), 1u);
    EXPECT_EQ(many.GetState(0).messages.size(), 30u);
    EXPECT_EQ(many.GetState(0).FindMessage(30), nullptr);
    EXPECT_NE(many.GetState(0).FindMessage(29), nullptr);
    EXPECT_EQ(many.GetState(0).onEntry.Size(), 1u);
    EXPECT_EQ(TakeReports(), std::vector<std::string>{"ObjectScript::ProcessMessageCommand - more than 30 message "
                                                      "blocks in a State - MT_REQUEST_COMMOD dropped"});
}

TEST_F(ObjectScriptCompile, StatesAndBlocksCutOffByTheEndOfTheTextAreDropped)
{
    EXPECT_EQ(Bind("State STATE_STARTUP OnEntry Function KillMe ; End").GetNumStates(), 0u);
    const ObjectScript& script = Bind("State STATE_DEAD End State STATE_STARTUP Message MT_NEW_DAY OnReceipt");
    ASSERT_EQ(script.GetNumStates(), 1u);
    EXPECT_EQ(script.GetState(0).value, uint32_t{STATE_DEAD});
    EXPECT_EQ(Bind("State").GetNumStates(), 0u);
    EXPECT_EQ(Bind("").GetNumStates(), 0u);
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

TEST_F(ObjectScriptCompile, ScriptFilesAreReadUnderTheirScrambledNames)
{
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("guest.ble"), Scrambled(InEntry("Function SetVisible ; // seen\n// final")));
    ObjectScript script;
    script.Load(dir.File("guest.pis").c_str());
    ASSERT_EQ(script.GetNumStates(), 1u);
    EXPECT_EQ(script.GetState(0).onEntry.Size(), 1u);
    // A file ending in a comment without a line feed.
    testsupport::WriteBytes(dir.File("tail.ble"), Scrambled("State STATE_DEAD End // no line end"));
    script.Load(dir.File("tail.pis").c_str());
    EXPECT_EQ(script.GetNumStates(), 1u);
    // Missing and empty files leave the script empty, without a report.
    script.Load(dir.File("missing.pis").c_str());
    EXPECT_EQ(script.GetNumStates(), 0u);
    testsupport::WriteBytes(dir.File("empty.ble"), {});
    script.Load(dir.File("empty.pis").c_str());
    EXPECT_EQ(script.GetNumStates(), 0u);
    EXPECT_TRUE(TakeReports().empty());
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
    EXPECT_EQ(whole->GetState(0).onEntry.Size(), 9u);
    EXPECT_TRUE(TakeReports().empty());
    for (size_t length = 0; length < text.size(); ++length)
    {
        auto script = Compile(text.substr(0, length));
        // Only the State's last End closes it.
        EXPECT_EQ(script->GetNumStates(), length + 1 < text.size() ? 0u : 1u) << length;
    }
    sink.boxes.clear();
}

TEST_F(ObjectScriptCompile, AStateTakesCommandsOnlyIntoItsOwnLists)
{
    State state;
    EXPECT_TRUE(state.AddCommand({CMD_FUNCTION, std::make_unique<FunctionData>()}, LIST_ON_EXIT));
    EXPECT_TRUE(state.AddCommand({CMD_FUNCTION, std::make_unique<FunctionData>()}, LIST_ON_UPDATE));
    // The message lists belong to a message block, and there is none yet.
    EXPECT_FALSE(state.AddCommand({CMD_FUNCTION, std::make_unique<FunctionData>()}, LIST_ON_RECEIPT));
    EXPECT_FALSE(state.AddCommand({CMD_FUNCTION, std::make_unique<FunctionData>()}, LIST_ON_SEND));
    EXPECT_FALSE(state.AddCommand({CMD_FUNCTION, std::make_unique<FunctionData>()}, 5));
    state.messages.emplace_back();
    state.messages.emplace_back();
    EXPECT_TRUE(state.AddCommand({CMD_FUNCTION, std::make_unique<FunctionData>()}, LIST_ON_SEND));
    EXPECT_TRUE(state.AddCommand({CMD_FUNCTION, std::make_unique<FunctionData>()}, LIST_ON_RECEIPT));
    EXPECT_TRUE(state.onEntry.Empty());
    EXPECT_EQ(state.onExit.Size(), 1u);
    EXPECT_EQ(state.onUpdate.Size(), 1u);
    EXPECT_TRUE(state.messages[0].onSend.Empty());
    EXPECT_EQ(state.messages[1].onSend.Size(), 1u);
    EXPECT_EQ(state.messages[1].onReceipt.Size(), 1u);
    EXPECT_EQ(CountReports("State::AddCommand - Invalid Command List has been specified"), 3u);
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
    EXPECT_EQ(DataOf<FunctionData>(outer->cases[0].list[0])->function, 13u);
    EXPECT_EQ(DataOf<FunctionData>(list[1])->function, 25u);
    EXPECT_EQ(CountReports("No Case has been defined for this statement"), 1u);
    EXPECT_EQ(CountReports("Switch inside a Switch"), 1u);
}
