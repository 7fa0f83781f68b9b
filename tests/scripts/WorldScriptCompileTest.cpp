// Tests of compiling world scripts: named States, the compiled data of every world command and operand, the case
// rules, the limits on States, message blocks and nesting, and hostile and truncated scripts.
#include "tests/scripts/WorldScriptTestSupport.h"

#include <gtest/gtest.h>

#include <string>

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
            "State won End\n");
    ASSERT_EQ(script.GetNumStates(), 3u);
    EXPECT_EQ(script.GetStateName(1), "Waiting");
    EXPECT_EQ(script.FindState("STATE_WORLD_STARTUP"), 0u);
    EXPECT_EQ(script.FindState("Waiting"), 1u);
    EXPECT_EQ(script.FindState("won"), 2u);
    // State names compare exactly.
    EXPECT_EQ(script.FindState("waiting"), WorldScript::kNoState);
    EXPECT_EQ(script.GetState(1).onUpdate.Size(), 1u);
    ASSERT_EQ(script.GetState(1).messages.size(), 1u);
    uint32_t newDay = 0;
    ASSERT_TRUE(DecodeMessageName("MT_NEW_DAY", &newDay));
    EXPECT_EQ(script.GetState(1).messages[0].type, newDay);
    EXPECT_EQ(ReportCount(), 0u);
    EXPECT_EQ(script.GetStateIndex("Waiting"), 1u);
    EXPECT_EQ(script.GetStateIndex("Nowhere"), WorldScript::kNoState);
    EXPECT_EQ(CountReports("Invalid State in WorldScript"), 1u);
}

TEST_F(WorldScriptCompile, AStateDeclaredAgainAddsItsBlocksToTheStateBefore)
{
    Compile("State A OnEntry Set Var1 1 ; End End\n"
            "State B OnEntry Set Var2 2 ; End End\n"
            "State A OnEntry Set Var3 3 ; End OnExit Set Var4 4 ; End End\n");
    ASSERT_EQ(script.GetNumStates(), 2u);
    EXPECT_EQ(script.GetState(0).onEntry.Size(), 1u);
    EXPECT_EQ(script.GetState(1).onEntry.Size(), 2u);
    EXPECT_EQ(script.GetState(1).onExit.Size(), 1u);
    EXPECT_EQ(DataOf<TwoOperandData>(script.GetState(1).onEntry[1]).target.number, 3u);
    EXPECT_EQ(CountReports("declared twice"), 1u);
}

TEST_F(WorldScriptCompile, KeywordsAreCaseSensitiveWhileVariablesAndFunctionsAreNot)
{
    const CommandList& list = Entry("set Var1 1 ;\n"
                                    "Set guestcount PLAYERCASH ;\n"
                                    "Function pausegame ;\n"
                                    "Function NOLITTER ;\n");
    // "set" is no command word: skipped without a report, as are its operands.
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(list[0].type, static_cast<uint32_t>(CMD_SET));
    EXPECT_EQ(DataOf<TwoOperandData>(list[0]).target.id, 71u);
    EXPECT_EQ(DataOf<TwoOperandData>(list[0]).value.id, 119u);
    EXPECT_EQ(DataOf<FunctionData>(list[1]).function, 0u);
    EXPECT_EQ(DataOf<FunctionData>(list[2]).function, 5u);
    // The words of the skipped "set" are read as command words in turn, and skipped the same way.
    EXPECT_EQ(ReportCount(), 0u);
}

TEST_F(WorldScriptCompile, FunctionNamesGiveTheirIndexesAndAnUnknownOneSix)
{
    const char* names[] = {"PauseGame", "ResumeGame", "NoBreakDowns", "AllowBreakDowns", "Debug", "NoLitter"};
    std::string commands;
    for (const char* name : names)
        commands += std::string("Function ") + name + " ;\n";
    commands += "Function Explode ;\n";
    const CommandList& list = Entry(commands);
    ASSERT_EQ(list.Size(), 7u);
    for (uint32_t i = 0; i < 7; ++i)
        EXPECT_EQ(DataOf<FunctionData>(list[i]).function, i) << i;
    EXPECT_EQ(CountReports("WorldScript::FunctionCommand - Invalid Function Explode"), 1u);
}

TEST_F(WorldScriptCompile, OperandsOfEveryKind)
{
    const CommandList& list = Entry("Set Flag3 Var31 ;\n"
                                    "Set ScenarioObj2 BuildingCountDOLPHINPOOL ;\n"
                                    "Set Var0 VisitCountCAFE ;\n"
                                    "Set Var0 RandUint37 ;\n"
                                    "Set Var0 Random4 ;\n"
                                    "Set Var0 \"Hello\" ;\n"
                                    "Set Var0 -2.5 ;\n"
                                    "Set Var0 me ;\n"
                                    "Set Var0 Banana ;\n"
                                    "Set Flag-3 Var99999999999 ;\n");
    ASSERT_EQ(list.Size(), 10u);
    // Numbers after a prefix below 0 read as 0, beyond 32 bits as the largest.
    EXPECT_EQ(DataOf<TwoOperandData>(list[9]).target.number, 0u);
    EXPECT_EQ(DataOf<TwoOperandData>(list[9]).value.number, 0xFFFFFFFFu);
    auto target = [&](size_t i) { return DataOf<TwoOperandData>(list[i]).target; };
    auto value = [&](size_t i) { return DataOf<TwoOperandData>(list[i]).value; };
    EXPECT_EQ(target(0).id, 73u);
    EXPECT_EQ(target(0).number, 3u);
    EXPECT_EQ(value(0).id, 78u);
    EXPECT_EQ(value(0).number, 31u);
    EXPECT_EQ(target(1).id, 81u);
    EXPECT_EQ(target(1).number, 2u);
    EXPECT_EQ(value(1).id, 91u);
    EXPECT_STREQ(value(1).text, "DOLPHINPOOL");
    EXPECT_EQ(value(2).id, 100u);
    EXPECT_STREQ(value(2).text, "CAFE");
    EXPECT_EQ(value(3).id, 108u);
    EXPECT_EQ(value(3).number, 7u);
    EXPECT_EQ(value(4).id, 109u);
    EXPECT_EQ(value(4).number, 4u);
    EXPECT_EQ(value(5).id, 10u);
    EXPECT_STREQ(value(5).text, "Hello");
    EXPECT_EQ(value(6).id, 113u);
    EXPECT_FLOAT_EQ(value(6).real, -2.5f);
    EXPECT_EQ(value(7).id, 107u);
    EXPECT_EQ(value(8).id, 113u);
    EXPECT_FLOAT_EQ(value(8).real, 0.0f);
    EXPECT_EQ(CountReports("Data in world script has not been defined and is not a number : Banana"), 1u);
    EXPECT_EQ(CountReports("there are 32 script variables - Var99999999999"), 1u);
    EXPECT_EQ(ReportCount(), 2u);
}

TEST_F(WorldScriptCompile, EveryNamedVariableHasItsId)
{
    const std::pair<const char*, uint32_t> names[] = {{"GuestCount", 71},
                                                      {"BreakdownCount", 72},
                                                      {"CleanerCount", 74},
                                                      {"MechanicCount", 75},
                                                      {"ZooCount", 76},
                                                      {"AllStaffCount", 77},
                                                      {"SandBox", 82},
                                                      {"LitterCount", 83},
                                                      {"UnHappyLeavers", 84},
                                                      {"ProfitToday", 85},
                                                      {"ConstructCount", 86},
                                                      {"AllBuildingsOperating", 87},
                                                      {"GuestBeautyLevel", 88},
                                                      {"DiffConstructCount", 89},
                                                      {"BuildTreeExist", 90},
                                                      {"NumBuildings", 92},
                                                      {"IncomeToday", 93},
                                                      {"RidesBuilt", 94},
                                                      {"AmusementBuilt", 95},
                                                      {"AnimalExhibitCount", 96},
                                                      {"AverageAnimalHappy", 97},
                                                      {"LowestGuestAverage", 98},
                                                      {"AnimalExhibitIncome", 99},
                                                      {"AnimalTotalIncome", 101},
                                                      {"GuestAverageWelfare", 102},
                                                      {"KaikoShowScore", 103},
                                                      {"Me", 107},
                                                      {"GameTime", 115},
                                                      {"ResortRating", 117},
                                                      {"GameDay", 118},
                                                      {"PlayerCash", 119}};
    std::string commands;
    for (const auto& [name, id] : names)
        commands += std::string("Set Var0 ") + name + " ;\n";
    const CommandList& list = Entry(commands);
    ASSERT_EQ(list.Size(), std::size(names));
    for (size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(DataOf<TwoOperandData>(list[i]).value.id, names[i].second) << names[i].first;
    EXPECT_EQ(ReportCount(), 0u);
}

TEST_F(WorldScriptCompile, MessageAndChangeStateCommands)
{
    const CommandList& list = Entry("Message MT_NEW_DAY Me 5 0 Time 2 MaxTime 4 FloatData 1 ;\n"
                                    "Message MT_NOT_A_MESSAGE 1 2 3 ;\n"
                                    "ChangeState Waiting Time 5 ;\n"
                                    "ChangeState Won ;\n"
                                    "ChangeState Won Soon ;\n");
    ASSERT_EQ(list.Size(), 5u);
    const MessageData& message = DataOf<MessageData>(list[0]);
    uint32_t newDay = 0;
    ASSERT_TRUE(DecodeMessageName("MT_NEW_DAY", &newDay));
    EXPECT_EQ(message.type, newDay);
    EXPECT_EQ(message.receiver.id, 107u);
    EXPECT_FLOAT_EQ(message.data.real, 5.0f);
    EXPECT_FLOAT_EQ(message.time, 2.0f);
    EXPECT_FLOAT_EQ(message.maxTime, 4.0f);
    // The object-only options are no world options: they and their words are passed over.
    EXPECT_EQ(message.floatData.id, static_cast<uint32_t>(SCRIPT_OPERAND_NONE));
    EXPECT_EQ(DataOf<MessageData>(list[1]).type, 0u);
    EXPECT_STREQ(DataOf<WorldChangeStateData>(list[2]).name, "Waiting");
    EXPECT_FLOAT_EQ(DataOf<WorldChangeStateData>(list[2]).delay, 5.0f);
    EXPECT_FLOAT_EQ(DataOf<WorldChangeStateData>(list[3]).delay, 0.0f);
    EXPECT_EQ(CountReports("WorldScript::ChangeStateCommand - Invalid command"), 1u);
    // A number word "1" after FloatData reads as no option at all, silently; only Soon is reported.
    EXPECT_EQ(ReportCount(), 1u);
}

TEST_F(WorldScriptCompile, CreateCommandsOfEveryKind)
{
    const CommandList& list = Entry("Create Building CAFE 10 12 3 Prices 1 2.5 ; Age 4 Broken ;\n"
                                    "Create Building SHOP 1 2 0 ;\n"
                                    "Create Guest Tourist Random Number 20 ;\n"
                                    "Create Guest Tourist 100 200 Bogus ;\n"
                                    "Create Scenery PALM 4 5 2 Number 3 Tall ;\n"
                                    "Create Litter CAN random ;\n"
                                    "Create Staff CLEANER Random ;\n"
                                    "Create Animal DOLPHIN 3 3 2 ;\n"
                                    "Create Dragon FIRE 1 1 ;\n");
    ASSERT_EQ(list.Size(), 9u);
    const CreateData& cafe = DataOf<CreateData>(list[0]);
    EXPECT_EQ(cafe.kind, 2u);
    EXPECT_STREQ(cafe.name, "CAFE");
    EXPECT_EQ(cafe.x, 10);
    EXPECT_EQ(cafe.y, 12);
    EXPECT_EQ(cafe.third, 3);
    EXPECT_FLOAT_EQ(cafe.price, 2.5f);
    EXPECT_EQ(cafe.age, 4);
    EXPECT_TRUE(cafe.broken);
    const CreateData& shop = DataOf<CreateData>(list[1]);
    EXPECT_FLOAT_EQ(shop.price, -1.0f);
    EXPECT_EQ(shop.age, 0);
    EXPECT_FALSE(shop.broken);
    EXPECT_EQ(shop.count, 1);
    const CreateData& crowd = DataOf<CreateData>(list[2]);
    EXPECT_EQ(crowd.kind, 3u);
    EXPECT_TRUE(crowd.IsRandom());
    EXPECT_EQ(crowd.count, 20);
    EXPECT_EQ(DataOf<CreateData>(list[3]).x, 100);
    EXPECT_EQ(CountReports("Invalid Extra command in worldscript create guest command Bogus"), 1u);
    const CreateData& palms = DataOf<CreateData>(list[4]);
    EXPECT_EQ(palms.kind, 1u);
    EXPECT_EQ(palms.third, 2);
    EXPECT_EQ(palms.count, 3);
    EXPECT_STREQ(palms.extra, "Tall");
    const CreateData& can = DataOf<CreateData>(list[5]);
    EXPECT_EQ(can.kind, 10u);
    EXPECT_TRUE(can.IsRandom());
    EXPECT_EQ(can.third, 0);
    EXPECT_EQ(DataOf<CreateData>(list[6]).kind, 5u);
    EXPECT_STREQ(DataOf<CreateData>(list[6]).name, "CLEANER");
    EXPECT_EQ(DataOf<CreateData>(list[7]).kind, 9u);
    EXPECT_EQ(DataOf<CreateData>(list[7]).third, 2);
    EXPECT_EQ(DataOf<CreateData>(list[8]).kind, 0u);
    EXPECT_EQ(CountReports("WorldScript::CreateCommand - Unhandled creation message"), 1u);
    EXPECT_EQ(ReportCount(), 2u);
}

TEST_F(WorldScriptCompile, PathQueueAndTheTextAndCameraCommands)
{
    const CommandList& list = Entry("Path 10 10 5 E ;\n"
                                    "Path 1 2 3 n ; Path 1 2 3 Ne ; Path 1 2 3 se ; Path 1 2 3 S ;\n"
                                    "Path 1 2 3 SW ; Path 1 2 3 w ; Path 1 2 3 NW ;\n"
                                    "Path 1 2 3 Up ;\n"
                                    "Queue 4 5 9 ;\n"
                                    "LoadScript GuestLogic Data\\Scripts\\Guest.pis ;\n"
                                    "MoveCamera 100 200 7 ;\n"
                                    "ShowMenu Objectives ;\n"
                                    "ShowMenu Message Welcome ;\n"
                                    "EmitTicker TICKER_HELLO ;\n"
                                    "PlaySound Fanfare ;\n");
    ASSERT_EQ(list.Size(), 15u);
    const PathData& path = DataOf<PathData>(list[0]);
    EXPECT_EQ(path.x, 10);
    EXPECT_EQ(path.y, 10);
    EXPECT_EQ(path.count, 5);
    EXPECT_EQ(path.direction, 2u);
    const uint32_t directions[] = {0, 1, 3, 4, 5, 6, 7};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(DataOf<PathData>(list[1 + i]).direction, directions[i]) << i;
    // The path without a direction is dropped with its report.
    EXPECT_EQ(CountReports("Invalid Direction Specified Up"), 1u);
    EXPECT_EQ(list[8].type, static_cast<uint32_t>(CMD_QUEUE));
    EXPECT_EQ(DataOf<QueueData>(list[8]).shape, 9);
    EXPECT_STREQ(DataOf<TwoTextData>(list[9]).first, "GuestLogic");
    EXPECT_STREQ(DataOf<TwoTextData>(list[9]).second, "Data\\Scripts\\Guest.pis");
    const MoveCameraData& camera = DataOf<MoveCameraData>(list[10]);
    EXPECT_FLOAT_EQ(camera.x, 100.0f);
    EXPECT_FLOAT_EQ(camera.y, 200.0f);
    EXPECT_FLOAT_EQ(camera.z, 0.0f);
    EXPECT_FLOAT_EQ(camera.third, 7.0f);
    EXPECT_STREQ(DataOf<TwoTextData>(list[11]).first, "Objectives");
    EXPECT_EQ(DataOf<TwoTextData>(list[11]).second, nullptr);
    EXPECT_STREQ(DataOf<TwoTextData>(list[12]).second, "Welcome");
    EXPECT_STREQ(DataOf<TextData>(list[13]).text, "TICKER_HELLO");
    EXPECT_EQ(list[14].type, static_cast<uint32_t>(CMD_PLAY_SOUND));
    EXPECT_EQ(ReportCount(), 1u);
}

TEST_F(WorldScriptCompile, WordsOfTheObjectLanguageAreSkippedSilently)
{
    const CommandList& list = Entry("PlayAnimation Wave ;\n"
                                    "MinusZeroCap Var1 Var2 ;\n"
                                    "Add Var1 2 ;\n");
    // Each word of an unknown command is a command word in turn: only Add remains, and the number words that
    // happen to stand where commands are read are not operands, so nothing is reported.
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(list[0].type, static_cast<uint32_t>(CMD_ADD));
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
    EXPECT_EQ(outer.left.id, 71u);
    EXPECT_EQ(outer.op, static_cast<uint32_t>(OP_GREATER_EQUAL));
    ASSERT_EQ(outer.thenList.Size(), 1u);
    EXPECT_EQ(outer.elseList.Size(), 1u);
    const IfData& inner = DataOf<IfData>(outer.thenList[0]);
    EXPECT_EQ(inner.right.id, static_cast<uint32_t>(SCRIPT_OPERAND_NONE));
    EXPECT_EQ(inner.elseList.Size(), 1u);
    EXPECT_EQ(DataOf<IfData>(list[1]).right.id, 10u);
    EXPECT_STREQ(DataOf<IfData>(list[1]).right.text, "Done");
    EXPECT_EQ(DataOf<IfData>(list[2]).op, static_cast<uint32_t>(OP_INVALID));
    EXPECT_EQ(CountReports("WorldScript::IfCommand - Invalid Operator in if statement ~"), 1u);
    EXPECT_EQ(CountReports("WorldScript::ProcessCommands - Else statement without if statement"), 1u);
}

TEST_F(WorldScriptCompile, AtMostTenStatesAndFiveMessageBlocksAreKept)
{
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "State S" + std::to_string(i) + " OnEntry Set Var" + std::to_string(i) + " 1 ; End End\n";
    text += "State S3\n";
    for (int i = 0; i < 7; ++i)
        text += " Message MT_NEW_DAY OnReceipt Set Var" + std::to_string(i) + " 1 ; End End\n";
    text += "End\n";
    Compile(text);
    ASSERT_EQ(script.GetNumStates(), 10u);
    EXPECT_EQ(script.FindState("S10"), WorldScript::kNoState);
    EXPECT_EQ(CountReports("more than 10 States"), 2u);
    // S3 declared again: its blocks join the State parsed just before (S9), five at most.
    EXPECT_EQ(script.GetState(9).messages.size(), 5u);
    EXPECT_EQ(script.GetState(3).messages.size(), 0u);
    EXPECT_EQ(CountReports("more than 5 message blocks"), 2u);
}

TEST_F(WorldScriptCompile, IfsDeeperThanTenAreDroppedWithTheirBodies)
{
    std::string commands;
    for (int i = 0; i < 12; ++i)
        commands += "If (Var" + std::to_string(i) + ") ";
    commands += "Set Var20 1 ; ";
    for (int i = 0; i < 12; ++i)
        commands += "End ";
    commands += "Set Var21 1 ;";
    const CommandList& list = Entry(commands);
    ASSERT_EQ(list.Size(), 2u);
    const CommandList* level = &list;
    int depth = 0;
    while (level->Size() > 0 && (*level)[0].type == CMD_IF)
    {
        ++depth;
        level = &DataOf<IfData>((*level)[0]).thenList;
    }
    EXPECT_EQ(depth, 10);
    // The command inside the dropped Ifs is gone; the one after them is kept.
    EXPECT_EQ(level->Size(), 0u);
    EXPECT_EQ(list[1].type, static_cast<uint32_t>(CMD_SET));
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
    EXPECT_EQ(DataOf<CreateData>(list[0]).count, 16000);
    EXPECT_EQ(CountReports("more than 16000 objects"), 1u);
    EXPECT_EQ(std::string(DataOf<CreateData>(list[1]).name).size(), 51u);
    EXPECT_EQ(DataOf<CreateData>(list[2]).count, -5);
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
    EXPECT_EQ(CountReports("there are 32 script variables - Var32"), 1u);
    EXPECT_EQ(CountReports("there are 4 scenario objectives - ScenarioObj4"), 1u);
    EXPECT_EQ(CountReports("range of 0 - RandUint30"), 1u);
    EXPECT_EQ(CountReports("range of 0 - Random0"), 1u);
    EXPECT_EQ(ReportCount(), 4u);
    // Running them reports nothing more.
    script.Start();
    script.Start();
    EXPECT_EQ(ReportCount(), 4u);
}
