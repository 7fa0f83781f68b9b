// Tests of compiling world scripts: named States, the compiled data of every world command and operand, the case
// rules, the limits on States, message blocks and nesting, and hostile and truncated scripts.
#include "tests/scripts/WorldScriptTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

using namespace scripttest;

namespace
{

template <class T> const T& DataOf(const CommandNode& node)
{
    const T* data = dynamic_cast<const T*>(node.data.get());
    EXPECT_NE(data, nullptr);
    static const T none{};
    return data ? *data : none;
}

// An operand as (id, number, text).
std::tuple<uint32_t, uint32_t, std::string> Operand(const ScriptOperand& o)
{
    return {o.id, o.number, o.text ? o.text : "-"};
}

class WorldScriptCompile : public WorldScriptFixture
{
protected:
    // The OnEntry list of a script whose one State holds the commands.
    const CommandList& Entry(const std::string& commands)
    {
        Compile("State STATE_WORLD_STARTUP\nOnEntry\n" + commands + "\nEnd\nEnd\n");
        EXPECT_EQ(script.GetNumStates(), 1u);
        return script.GetNumStates() ? script.GetState(0).onEntry : empty;
    }

    CommandList empty;
};

} // namespace

TEST_F(WorldScriptCompile, StatesAreNamedFreelyAndIndexedInDeclarationOrder)
{
    Compile("// scenario\n"
            "State STATE_WORLD_STARTUP OnEntry Set Var1 1 ; End End\n"
            "State Waiting OnUpdate Set Var2 2 ; End Message MT_NEW_DAY OnReceipt Set Var3 3 ; End End End\n"
            "State won End\n"
            "State Waiting OnExit Set Var4 4 ; End End\n");
    ASSERT_EQ(script.GetNumStates(), 3u);
    // State names compare exactly; a name declared again adds its blocks to the State parsed just before.
    EXPECT_EQ(std::tuple(script.GetStateName(1), script.FindState("STATE_WORLD_STARTUP"), script.FindState("Waiting"),
                         script.FindState("won"), script.FindState("waiting")),
              std::tuple("Waiting", 0u, 1u, 2u, WorldScript::kNoState));
    ASSERT_EQ(script.GetState(1).messages.size(), 1u);
    EXPECT_EQ(std::tuple(script.GetState(1).onUpdate.Size(), script.GetState(1).messages[0].type,
                         script.GetState(2).onExit.Size(), script.GetState(1).onExit.Size()),
              std::tuple(size_t{1}, uint32_t{MT_NEW_DAY}, size_t{1}, size_t{0}));
    EXPECT_EQ(CountReports("declared twice"), 1u);
    EXPECT_EQ(ReportCount(), 1u);
    EXPECT_EQ(script.GetStateIndex("Waiting"), 1u);
    EXPECT_EQ(script.GetStateIndex("Nowhere"), WorldScript::kNoState);
    EXPECT_EQ(CountReports("Invalid State in WorldScript"), 1u);
}

TEST_F(WorldScriptCompile, KeywordsAreCaseSensitiveWhileVariablesAndFunctionsAreNot)
{
    const CommandList& list = Entry("set Var1 1 ;\n"
                                    "Set guestcount PLAYERCASH ;\n"
                                    "Function pausegame ;\n"
                                    "Function NOLITTER ;\n");
    // "set" is no command word: skipped without a report, as are its operands read as command words in turn.
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(std::tuple(list[0].type, DataOf<TwoOperandData>(list[0]).target.id,
                         DataOf<TwoOperandData>(list[0]).value.id, DataOf<FunctionData>(list[1]).function,
                         DataOf<FunctionData>(list[2]).function),
              std::tuple(uint32_t{CMD_SET}, 71u, 119u, 0u, 5u));
    EXPECT_EQ(ReportCount(), 0u);
}

TEST_F(WorldScriptCompile, OperandsOfEveryKind)
{
    // The named variables, with their ids, then the prefixed and constant operand words.
    const std::string named = "71 GuestCount 72 BreakdownCount 74 CleanerCount 75 MechanicCount 76 ZooCount "
                              "77 AllStaffCount 82 SandBox 83 LitterCount 84 UnHappyLeavers 85 ProfitToday "
                              "86 ConstructCount 87 AllBuildingsOperating 88 GuestBeautyLevel 89 DiffConstructCount "
                              "90 BuildTreeExist 92 NumBuildings 93 IncomeToday 94 RidesBuilt 95 AmusementBuilt "
                              "96 AnimalExhibitCount 97 AverageAnimalHappy 98 LowestGuestAverage "
                              "99 AnimalExhibitIncome 101 AnimalTotalIncome 102 GuestAverageWelfare "
                              "103 KaikoShowScore 107 Me 107 me 115 GameTime 117 ResortRating 118 GameDay "
                              "119 PlayerCash";
    std::vector<std::tuple<uint32_t, uint32_t, std::string>> expected;
    std::string commands;
    std::istringstream words(named);
    for (uint32_t id; words >> id;)
    {
        std::string name;
        words >> name;
        commands += "Set Var0 " + name + " ;\n";
        expected.emplace_back(id, 0, "-");
    }
    const std::pair<const char*, std::tuple<uint32_t, uint32_t, std::string>> prefixed[] = {
        {"Flag3", {73, 3, "-"}},
        {"Var31", {78, 31, "-"}},
        {"ScenarioObj2", {81, 2, "-"}},
        {"BuildingCountDOLPHINPOOL", {91, 0, "DOLPHINPOOL"}},
        {"VisitCountCAFE", {100, 0, "CAFE"}},
        {"RandUint37", {108, 7, "-"}},
        {"Random4", {109, 4, "-"}},
        {"\"Hello\"", {10, 0, "Hello"}},
        {"-2.5", {113, 0, "-"}},
        {"Banana", {113, 0, "-"}},
        // An index that is missing, signed or beyond 32 bits names nothing.
        {"Flag-3", {73, kWorldNoIndex, "-"}},
        {"Var99999999999", {78, kWorldNoIndex, "-"}},
        {"VarX", {78, kWorldNoIndex, "-"}},
        {"ScenarioObj", {81, kWorldNoIndex, "-"}},
    };
    for (const auto& [word, operand] : prefixed)
    {
        commands += std::string("Set Var0 ") + word + " ;\n";
        expected.push_back(operand);
    }
    const CommandList& list = Entry(commands);
    ASSERT_EQ(list.Size(), expected.size());
    for (size_t i = 0; i < list.Size(); ++i)
        EXPECT_EQ(Operand(DataOf<TwoOperandData>(list[i]).value), expected[i]) << i;
    EXPECT_FLOAT_EQ(DataOf<TwoOperandData>(list[list.Size() - 6]).value.real, -2.5f);
    EXPECT_EQ(CountReports("Data in world script has not been defined and is not a number : Banana"), 1u);
    EXPECT_EQ(CountReports("has no index of 0 or more"), 4u);
    EXPECT_EQ(ReportCount(), 5u);
}

// "Var" takes the whole of its index: every character after the prefix must be a digit, wherever a stray one
// stands, and the index names the variable as target and as value alike.
TEST_F(WorldScriptCompile, AVariableIndexIsReadWholeWhereverAStrayCharacterStands)
{
    const std::pair<const char*, uint32_t> cases[] = {
        {"Var0", 0},
        {"Var7", 7},
        {"Var31", 31},
        {"Var007", 7},
        {"Var1X", kWorldNoIndex},
        {"Var12X", kWorldNoIndex},
        {"Var1X2", kWorldNoIndex},
        {"Var30x", kWorldNoIndex},
        {"VarX1", kWorldNoIndex},
        {"Var3.0", kWorldNoIndex},
        {"Var+3", kWorldNoIndex},
        {"Var2 ", 2}, // the word ends at the blank
        {"Var", kWorldNoIndex},
        {"Var4294967295", kWorldNoIndex}, // the no-index value itself names nothing
        {"Var4294967294", 4294967294u},   // the largest index (past the 32 variables: reported)
        {"Var0000000031", 31},
        {"Var00000000000000000000031", 31},         // leading zeros are still the number 31
        {"Var18446744073709551617", kWorldNoIndex}, // 2^64 + 1 does not wrap around to 1
    };
    std::string commands;
    for (const auto& [word, index] : cases)
        commands += std::string("Set ") + word + " " + word + " ;\n";
    const CommandList& list = Entry(commands);
    ASSERT_EQ(list.Size(), std::size(cases));
    for (size_t i = 0; i < list.Size(); ++i)
    {
        const TwoOperandData& set = DataOf<TwoOperandData>(list[i]);
        const auto expected = std::tuple(uint32_t{WV_Var}, cases[i].second, std::string("-"));
        EXPECT_EQ(Operand(set.target), expected) << cases[i].first;
        EXPECT_EQ(Operand(set.value), expected) << cases[i].first;
    }
    // Each operand without an index is reported once, as is each past the variables.
    EXPECT_EQ(CountReports("has no index of 0 or more"), 2u * 10u);
    EXPECT_EQ(CountReports("there are 32 script variables - Var4294967294"), 2u);
}

TEST_F(WorldScriptCompile, WordsOfTheObjectLanguageAreSkippedSilently)
{
    const CommandList& list = Entry("PlayAnimation Wave ;\n"
                                    "MinusZeroCap Var1 Var2 ;\n"
                                    "Add Var1 2 ;\n");
    // Each word of an unknown command is a command word in turn: only Add remains, and the number words that
    // happen to stand where commands are read are not operands, so nothing is reported.
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(list[0].type, uint32_t{CMD_ADD});
    EXPECT_EQ(ReportCount(), 0u);
}

TEST_F(WorldScriptCompile, IfElseNestAndConditionsTakeTheirOperators)
{
    const CommandList& list = Entry("If (GuestCount >= 10)\n"
                                    "  If (Flag1) Set Var1 1 ; Else Set Var1 2 ; End\n"
                                    "Else\n"
                                    "  Set Var2 PlayerCash ;\n"
                                    "End\n"
                                    "If (Var1 == \"Done\") End\n"
                                    "If (Var1 ~ 2) End\n"
                                    "Else Set Var3 3 ;\n");
    ASSERT_EQ(list.Size(), 4u);
    const IfData& outer = DataOf<IfData>(list[0]);
    ASSERT_EQ(outer.thenList.Size(), 1u);
    const IfData& inner = DataOf<IfData>(outer.thenList[0]);
    EXPECT_EQ(std::tuple(outer.left.id, outer.op, outer.elseList.Size(), inner.right.id, inner.elseList.Size(),
                         DataOf<IfData>(list[1]).right.id, std::string(DataOf<IfData>(list[1]).right.text),
                         DataOf<IfData>(list[2]).op),
              std::tuple(71u, uint32_t{OP_GREATER_EQUAL}, size_t{1}, uint32_t{SCRIPT_OPERAND_NONE}, size_t{1}, 10u,
                         "Done", uint32_t{OP_INVALID}));
    EXPECT_EQ(CountReports("WorldScript::IfCommand - Invalid Operator in if statement ~"), 1u);
    EXPECT_EQ(CountReports("WorldScript::ProcessCommands - Else statement without if statement"), 1u);
}

TEST_F(WorldScriptCompile, AtMostTenStatesFiveMessageBlocksAndTenNestedIfsAreKept)
{
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "State S" + std::to_string(i) + " OnEntry Set Var" + std::to_string(i) + " 1 ; End End\n";
    text += "State S3\n";
    for (int i = 0; i < 7; ++i)
        text += " Message MT_NEW_DAY OnReceipt Set Var" + std::to_string(i) + " 1 ; End End\n";
    Compile(text + "End\n");
    ASSERT_EQ(script.GetNumStates(), 10u);
    // S3 declared again: its blocks join the State parsed just before (S9), five at most.
    EXPECT_EQ(
        std::tuple(script.FindState("S10"), script.GetState(9).messages.size(), script.GetState(3).messages.size()),
        std::tuple(WorldScript::kNoState, size_t{5}, size_t{0}));
    EXPECT_EQ(CountReports("more than 10 States"), 2u);
    EXPECT_EQ(CountReports("more than 5 message blocks"), 2u);

    std::string commands;
    for (int i = 0; i < 12; ++i)
        commands += "If (Var" + std::to_string(i) + ") ";
    commands += "Set Var20 1 ; ";
    for (int i = 0; i < 12; ++i)
        commands += "End ";
    const CommandList& list = Entry(commands + "Set Var21 1 ;");
    ASSERT_EQ(list.Size(), 2u);
    const CommandList* level = &list;
    int depth = 0;
    for (; level->Size() > 0 && (*level)[0].type == CMD_IF; ++depth)
        level = &DataOf<IfData>((*level)[0]).thenList;
    // The command inside the dropped Ifs is gone; the one after them is kept.
    EXPECT_EQ(std::tuple(depth, level->Size(), list[1].type), std::tuple(10, size_t{0}, uint32_t{CMD_SET}));
    EXPECT_EQ(CountReports("nested deeper than 10"), 1u);
}

TEST_F(WorldScriptCompile, HostileCountsAndLongWordsAreCut)
{
    const std::string longName(80, 'Q');
    const CommandList& list = Entry("Create Guest Tourist Random Number 2000000000 ;\n"
                                    "Create Scenery " +
                                    longName +
                                    " 1 1 0 ;\n"
                                    "Create Litter CAN 1 1 0 Number -5 ;\n");
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(std::tuple(DataOf<CreateData>(list[0]).count, std::string(DataOf<CreateData>(list[1]).name).size(),
                         DataOf<CreateData>(list[2]).count),
              std::tuple(16000, size_t{51}, -5));
    EXPECT_EQ(CountReports("more than 16000 objects"), 1u);
}

TEST_F(WorldScriptCompile, AStateCutOffByTheEndOfTheFileIsReported)
{
    Compile("State STATE_WORLD_STARTUP OnEntry ChangeState Running ; End End\n"
            "State Running OnUpdate If (GuestCount >= 40) Set ScenarioObj0 1 ; End End");
    EXPECT_EQ(script.GetNumStates(), 1u);
    EXPECT_EQ(CountReports("WorldScript::ProcessStateCommand - State Running cut off by the end of the script"), 1u);
    EXPECT_EQ(ReportCount(), 1u);
}

TEST_F(WorldScriptCompile, ACommandMissingItsSemicolonBeforeEndLeavesTheNextStateItsOwn)
{
    // The last command of a list written without its ";": the End that closes the list still closes it, so the
    // won State is declared with its own list instead of running when the startup State is entered.
    const char* const lasts[] = {
        "Function NoLitter",
        "Set Var0 1",
        "PlaySound Fanfare",
        "Queue 1 1 5",
        "LoadScript GuestLogic g.pis",
        "ShowMenu Objectives",
        "MoveCamera 1 2 3",
        "EmitTicker OPEN",
        "Create Animal DOLPHIN 1 1 0",
        "Create Staff CLEANER Random",
    };
    for (const char* last : lasts)
    {
        SCOPED_TRACE(last);
        Compile(std::string("State STATE_WORLD_STARTUP OnEntry ") + last +
                " End End\n"
                "State Won OnEntry Function PauseGame ; End End\n");
        ASSERT_EQ(script.GetNumStates(), 2u);
        EXPECT_EQ(
            std::tuple(script.GetStateName(1), script.GetState(0).onEntry.Size(), script.GetState(1).onEntry.Size()),
            std::tuple("Won", size_t{1}, size_t{1}));
        EXPECT_EQ(CountReports("';' expected - found End"), 1u);
        EXPECT_EQ(ReportCount(), 1u);
        sink.boxes.clear();
    }
}

TEST_F(WorldScriptCompile, AScriptCutAtEveryByteCompilesSafely)
{
    const std::string text = "// a whole scenario\n"
                             "State STATE_WORLD_STARTUP\n"
                             " OnEntry\n"
                             "  LoadScript GuestLogic Data\\Scripts\\Guest.pis ;\n"
                             "  Path 10 10 5 E ; Queue 12 11 3 ;\n"
                             "  Create Building CAFE 10 12 1 Prices 1 2 ; Age 2 Broken ;\n"
                             "  Create Guest Tourist Random Number 3 ; Create Scenery PALM 2 2 1 Number 2 Tall ;\n"
                             "  Create Litter CAN Random ; Create Staff CLEANER 1 1 ; Create Animal X 1 1 0 ;\n"
                             "  Function PauseGame ; Set Var1 3 ; Add Var1 RandUint35 ; Divide Flag33 2 ;\n"
                             "  If (GuestCount >= 10) Minus Var1 1 ; Else Multiply Var2 ScenarioObj1 ; End\n"
                             "  Message MT_NEW_DAY Me Var1 0 Time 1 MaxTime 2 ;\n"
                             "  MoveCamera 1 2 3 ; ShowMenu Objectives Go ; EmitTicker HELLO ; PlaySound Fanfare ;\n"
                             "  ChangeState Running Time 3 ;\n"
                             " End\n"
                             "End\n"
                             "State Running Message MT_NEW_DAY OnReceipt Set Var2 1 ; End End End\n"
                             "/ a last comment without a line end";
    Compile(text);
    ASSERT_EQ(script.GetNumStates(), 2u);
    EXPECT_EQ(script.GetState(0).onEntry.Size(), 20u);
    EXPECT_EQ(ReportCount(), 0u);
    for (size_t length = 0; length < text.size(); ++length)
    {
        Compile(text.substr(0, length));
        EXPECT_LE(script.GetNumStates(), 2u) << length;
        // Running what a cut script kept must be as safe as compiling it.
        world.loading = length % 2 == 0;
        script.Start();
        script.RunOnUpdate();
    }
    sink.boxes.clear();
}

TEST_F(WorldScriptCompile, IndexesBeyondTheParkAndEmptyRandomRangesAreReportedOnceWhenCompiled)
{
    const CommandList& list = Entry("Set Var31 ScenarioObj3 ; Set Var32 ScenarioObj4 ;\n"
                                    "Set Var0 RandUint30 ; Set Var0 Random0 ; Set Var0 Random1 ;");
    ASSERT_EQ(list.Size(), 5u);
    EXPECT_EQ(DataOf<TwoOperandData>(list[1]).target.number, 32u);
    for (const char* report :
         {"there are 32 script variables - Var32", "there are 4 scenario objectives - ScenarioObj4",
          "range of 0 - RandUint30", "range of 0 - Random0"})
        EXPECT_EQ(CountReports(report), 1u) << report;
    EXPECT_EQ(ReportCount(), 4u);
    // Running them reports nothing more.
    script.Start();
    script.Start();
    EXPECT_EQ(ReportCount(), 4u);
}
