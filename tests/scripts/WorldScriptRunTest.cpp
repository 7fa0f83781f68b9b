// Tests of running world scripts: the startup State, state changes through messages (nested when delivered at
// once), message blocks, conditions, arithmetic, messages, creation requests with random placement, the other park
// commands, and the commands that do nothing while a saved game is restored.
#include "tests/scripts/WorldScriptTestSupport.h"

#include "scripts/ObjectScript.h"
#include "scripts/WorldParams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

using namespace scripttest;

namespace
{

class WorldScriptRun : public WorldScriptFixture
{
protected:
    std::vector<std::string> Journal()
    {
        std::vector<std::string> lines = world.journal;
        world.journal.clear();
        return lines;
    }
    uint32_t Word(uint32_t id, uint32_t number = 0) const { return world.Var(id, number).data; }
};

using Lines = std::vector<std::string>;

} // namespace

TEST_F(WorldScriptRun, StartEntersTheStartupStateAndRunsItsEntryList)
{
    Compile("State Other OnEntry EmitTicker OTHER ; End End\n"
            "State STATE_WORLD_STARTUP OnEntry EmitTicker START ; End OnUpdate EmitTicker TICK ; End End\n");
    script.StartTimed(0.5f);
    EXPECT_EQ(std::tuple(script.GetCurrentState(), script.IsInStartupState()), std::tuple(1u, true));
    script.Update();
    script.RunOnUpdate();
    EXPECT_EQ(Journal(), (Lines{"ticker START", "ticker TICK", "ticker TICK"}));
    script.SetCurrentState(0);
    EXPECT_FALSE(script.IsInStartupState());
    script.Start();
    EXPECT_EQ(Journal(), (Lines{"ticker START"}));
    // A script without a startup State is reported and runs nothing.
    Compile("State Other OnEntry EmitTicker OTHER ; End OnUpdate EmitTicker TICK ; End End\n");
    script.Start();
    script.Update();
    EXPECT_EQ(script.GetCurrentState(), WorldScript::kNoState);
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(CountReports("has no State STATE_WORLD_STARTUP"), 1u);
}

TEST_F(WorldScriptRun, BadStateIndexesAreIgnoredWithAReport)
{
    Compile("State STATE_WORLD_STARTUP OnExit EmitTicker BYE ; End End State B OnEntry EmitTicker B ; End End\n");
    script.Start();
    script.SetCurrentState(7);
    EXPECT_EQ(std::tuple(script.ChangeStateTo(2), script.ChangeStateTo(0xFFFFFFFF), script.GetCurrentState()),
              std::tuple(false, false, 0u));
    for (const char* report :
         {"ChangeStateTo - no State 2", "ChangeStateTo - no State -1", "SetCurrentState - no State 7"})
        EXPECT_EQ(CountReports(report), 1u) << report;
    EXPECT_TRUE(script.ChangeStateTo(1));
    EXPECT_EQ(Journal(), (Lines{"ticker B"}));
}

TEST_F(WorldScriptRun, ChangeStatePostsTheIndexAtOnceOrLaterAndAStateNotDeclaredIsNotPosted)
{
    Compile("State STATE_WORLD_STARTUP OnEntry ChangeState B Time 5 ; EmitTicker AFTER ; ChangeState Nowhere Soon ; "
            "End End\nState A End State B End\n");
    script.Start();
    ASSERT_EQ(world.posts.size(), 1u);
    const MessageRecord& r = world.posts[0].record;
    EXPECT_EQ(std::tuple(r.dwSender, r.dwReciever, r.dwType, r.dwFlags, r.dwData, world.posts[0].delay),
              std::tuple(0xFFFFFFFEu, 0xFFFFFFFEu, 5u, 0u, 2u, 5.0f));
    EXPECT_EQ(script.GetCurrentState(), 0u);
    EXPECT_EQ(Journal(), (Lines{"delayed 5 2", "ticker AFTER"}));
    EXPECT_EQ(CountReports("Invalid State in WorldScript"), 1u);
    EXPECT_EQ(CountReports("WorldScript::ChangeStateCommand - Invalid command"), 1u);

    // Delivered at once, the change runs OnExit and OnEntry inside the command, and the list goes on.
    world.deliver = true;
    Compile("State STATE_WORLD_STARTUP\n"
            " OnEntry EmitTicker IN ; ChangeState B ; EmitTicker STILL ; End\n"
            " OnExit EmitTicker OUT ; End\n"
            "End\n"
            "State B OnEntry EmitTicker B ; End End\n");
    script.Start();
    EXPECT_EQ(Journal(), (Lines{"ticker IN", "post 5 1", "ticker OUT", "ticker B", "ticker STILL"}));
    EXPECT_EQ(script.GetCurrentState(), 1u);
}

TEST_F(WorldScriptRun, MessagesRunTheFirstBlockOfTheirTypeInTheCurrentState)
{
    Compile("State STATE_WORLD_STARTUP\n"
            " Message MT_NEW_DAY OnReceipt EmitTicker FIRST ; End End\n"
            " Message MT_NEW_DAY OnReceipt EmitTicker SECOND ; End End\n"
            "End\n"
            "State Later Message MT_NEW_HOUR OnReceipt EmitTicker HOUR ; End End End\n");
    MessageRecord record;
    record.dwType = MT_NEW_DAY;
    EXPECT_FALSE(script.Message(record)); // no current State yet
    script.Start();
    EXPECT_TRUE(script.Message(record));
    record.dwType = MT_NEW_HOUR;
    EXPECT_FALSE(script.HandleMessage(record));
    EXPECT_EQ(Journal(), (Lines{"ticker FIRST"}));
}

TEST_F(WorldScriptRun, ConditionsCompareFloatsExactlyTextsWithoutCaseAndAndOrOnIntegers)
{
    world.vars[{WV_Var, 1}] = ScriptValue::Float(2.000001f);
    world.vars[{WV_Var, 2}] = ScriptValue::Text("Open");
    world.vars[{WV_Var, 3}] = ScriptValue::UInt(3);
    world.vars[{WV_Var, 4}] = ScriptValue::Float(0.5f);
    world.vars[{WV_Var, 5}] = ScriptValue::Float(1.5f);
    const std::pair<const char*, bool> rows[] = {
        {"(Var1 == 2)", false},
        {"(Var1 != 2)", true},
        {"(Var1 == 2.000001)", true},
        {"(Var3 != 3)", false},
        {"(Var3 == 3.0)", true},
        {"(Var2 == \"OPEN\")", true},
        {"(Var2 != \"open\")", false},
        {"(Var2 > \"Zed\")", false},
        {"(Var3 > 2.5)", true},
        {"(Var3 < 2.5)", false},
        {"(Var3 <= 3)", true},
        {"(Var3 =< 2)", false},
        {"(Var3 => 3)", true},
        {"(Var3 >= 4)", false},
        {"(Var3)", true},
        {"(Var9)", false},
        {"(Var3 ~ 3)", false},
        // && and || take each side's integer: 0.5 is 0, 1.5 is 1.
        {"(Var3 && Var9)", false},
        {"(Var3 || Var9)", true},
        {"(Var4 && Var3)", false},
        {"(Var3 && Var4)", false},
        {"(Var4 || Var9)", false},
        {"(Var5 && Var3)", true},
    };
    for (const auto& [condition, expected] : rows)
    {
        RunEntry(std::string("If ") + condition + " EmitTicker YES ; Else EmitTicker NO ; End");
        EXPECT_EQ(Journal(), (Lines{expected ? "ticker YES" : "ticker NO"})) << condition;
    }
}

TEST_F(WorldScriptRun, ArithmeticFollowsTheTargetsTypeAndAnIntegerDivisionByZeroGivesZeroWithOneReport)
{
    world.vars[{WV_Var, 1}] = ScriptValue::UInt(7);
    world.vars[{WV_PlayerCash, 0}] = ScriptValue::Float(100.0f);
    world.vars[{WV_Var, 6}] = ScriptValue::UInt(0xFFFFFFFE);
    RunEntry("Divide Var1 2 ; Add Var1 2.9 ; Multiply Var1 3 ; Minus Var1 1 ;\n"
             "Divide PlayerCash 8 ; Add PlayerCash 0.25 ; Multiply PlayerCash 2 ; Minus PlayerCash 1 ;\n"
             "Set Var2 PlayerCash ; Set Var3 Var1 ; Divide Var6 2 ;");
    // 7 / 2 = 3; + 2 (2.9 truncated) = 5; x 3 = 15; - 1 = 14. 100 / 8 = 12.5; + 0.25; x 2; - 1 = 24.5. Integers
    // divide unsigned.
    EXPECT_EQ(std::tuple(world.Var(WV_Var, 1).type, Word(WV_Var, 1), world.Var(WV_PlayerCash).AsFloatBits(),
                         world.Var(WV_Var, 2).AsFloatBits(), Word(WV_Var, 3), Word(WV_Var, 6)),
              std::tuple(uint32_t{SCRIPT_VALUE_UINT}, 14u, 24.5f, 24.5f, 14u, 0x7FFFFFFFu));
    world.vars[{WV_Var, 1}] = ScriptValue::UInt(9);
    Compile("State STATE_WORLD_STARTUP OnUpdate Divide Var1 Var5 ; End End\n");
    script.Start();
    script.Update();
    script.Update();
    EXPECT_EQ(Word(WV_Var, 1), 0u);
    EXPECT_EQ(CountReports("integer division by 0"), 1u);
}

TEST_F(WorldScriptRun, MessagesGoStraightToTheBusWithTheirOperandsConverted)
{
    world.vars[{WV_Var, 1}] = ScriptValue::Float(41.9f);
    world.vars[{WV_Flag, 2}] = ScriptValue::Bool(true);
    // The object-only options (FloatData and its word) are passed over silently.
    RunEntry("Message MT_NEW_DAY 12 Var1 Flag2 ;\n"
             "Message MT_NEW_HOUR Me 0 0 Time 3 ;\n"
             "Message MT_NEW_HOUR Me 0 0 Time 2 MaxTime 4 ;\n"
             "Message MT_UPDATERATING 1 2 3 FloatData 1 ;");
    ASSERT_EQ(world.posts.size(), 4u);
    EXPECT_EQ(std::tuple(world.posts[3].record.dwType, world.posts[3].record.dwFlags, ReportCount()),
              std::tuple(uint32_t{MT_UPDATERATING}, 3u, size_t{0}));
    const MessageRecord& first = world.posts[0].record;
    EXPECT_EQ(std::tuple(first.dwType, first.dwSender, first.dwReciever, first.dwData, first.dwFlags,
                         world.posts[0].delay, world.posts[1].record.dwReciever, world.posts[1].delay),
              std::tuple(uint32_t{MT_NEW_DAY}, 0xFFFFFFFFu, 12u, 41u, 1u, -1.0f, 0xFFFFFFFEu, 3.0f));
    EXPECT_TRUE(world.posts[2].delay >= 2.0f && world.posts[2].delay <= 4.0f) << world.posts[2].delay;
}

TEST_F(WorldScriptRun, FunctionsAndCreationRequestsReachThePark)
{
    RunEntry("Function PauseGame ; Function Debug ; Function ResumeGame ; Function NoBreakDowns ;\n"
             "Function AllowBreakDowns ; Function NoLitter ; Function Nonsense ;\n"
             "Create Building CAFE 10 12 3 Prices 1 2.5 ; Age 4 Broken ; Create Building SHOP 1 2 0 ;\n"
             "Create Guest Tourist 100 200 Bogus ;\n"
             "Create Scenery PALM 4 5 2 Number 2 ;\n"
             "Create Litter CAN 6 7 1 ;\n"
             "Create Guest Tourist 100 300 ;\n"
             "Create Staff CLEANER Random ; Create Staff MECHANIC 1 1 ; Create Staff ZOOKEEPER Random ;\n"
             "Create Staff JUGGLER Random ;\n"
             "Create Animal DOLPHIN 1 1 3 ;\n"
             "Create Dragon FIRE 1 1 ;");
    EXPECT_EQ(Journal(), (Lines{"function 0", "function 1", "function 2", "function 3", "function 5", "function 6",
                                "building CAFE 10 12 3 2.50 4 1", "building SHOP 1 2 0 -1.00 0 0", "guest Tourist",
                                "scenery PALM 4 5 2", "scenery PALM 4 5 2", "litter CAN 6 7 1", "guest Tourist",
                                "staff 7 CLEANER", "staff 6 MECHANIC", "staff 8 ZOOKEEPER", "adopt 3"}));
    ASSERT_EQ(world.guests.size(), 2u);
    EXPECT_EQ(std::tuple(world.guests[1].x, world.guests[1].y), std::tuple(100.0f, 300.0f));
    EXPECT_LT(world.guests[1].hours, 24u);
    EXPECT_EQ(CountReports("WorldCommand::PerformCommand - Invalid Creation Message"), 2u);
    EXPECT_EQ(CountReports("WorldScript::CreateCommand - Unhandled creation message"), 1u);
    EXPECT_EQ(CountReports("WorldScript::FunctionCommand - Invalid Function Nonsense"), 1u);
    EXPECT_EQ(CountReports("Invalid Extra command in worldscript create guest command Bogus"), 1u);
}

// A building or guest type that the park's tables do not hold (a misspelt name; the tables match names exactly) is
// reported by name, as the tables' lookups report it, once each time the command runs; the request still goes to
// the park, which refuses it. Known names, and scenery (whose lookup says nothing), are not reported.
TEST_F(WorldScriptRun, ACreationOfATypeTheTablesDoNotHoldIsReportedByName)
{
    WorldParams params;
    std::string tables = "\"BUILD_CAFE\" \"GUEST_VISITOR\"";
    params.Process(tables.data(), static_cast<uint32_t>(tables.size()));
    ASSERT_NE(params.FindBuilding("CAFE"), WorldParams::kNotFound);
    ASSERT_NE(params.FindGuest("VISITOR"), WorldParams::kNotFound);
    const struct
    {
        const char* command;
        const char* report; // null: none
    } rows[] = {
        {"Create Building CAFE 10 12 0 ;", nullptr},
        {"Create Building CAFEE 10 12 0 ;", "WorldParams::GetBuildingID - keyword not found - CAFEE"},
        {"Create Building cafe 10 12 0 ;", "WorldParams::GetBuildingID - keyword not found - cafe"},
        {"Create Guest VISITOR 100 200 ;", nullptr},
        {"Create Guest VISITR 100 200 Number 2 ;", "WorldParams::GetGuestID - keyword not found - VISITR"},
        {"Create Scenery PALMM 4 5 2 ;", nullptr},
    };
    for (const auto& row : rows)
    {
        sink.boxes.clear();
        RunEntry(row.command);
        std::vector<std::string> expected;
        if (row.report)
            expected.push_back(row.report);
        std::vector<std::string> said;
        for (const auto& box : sink.boxes)
            said.push_back(box.text);
        EXPECT_EQ(said, expected) << row.command;
    }
}

TEST_F(WorldScriptRun, RandomPositionsFallOnlyOnFootpathWithoutBuildingsAndBuildingsNever)
{
    world.SetCell(2, 3, 0x10000000u);
    world.SetCell(5, 6, 0x10000000u | 0x2u);
    world.SetCell(1, 1, 0x40000000u);
    platform::SRand(7);
    RunEntry("Create Guest Tourist Random Number 20 ; Create Litter CAN Random Number 3 ;\n"
             "Create Building CAFE Random 0 ;");
    ASSERT_EQ(world.guests.size(), 20u);
    for (const auto& guest : world.guests)
        EXPECT_EQ(std::tuple(static_cast<int>(guest.x / 32.0f), static_cast<int>(guest.y / 64.0f)), std::tuple(2, 3));
    // Each guest draws its own position.
    EXPECT_NE(world.guests[0].x, world.guests[1].x);
    const Lines journal = Journal();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "litter CAN 2 3 0"), 3);
    EXPECT_EQ(journal.size(), 23u);
    EXPECT_EQ(CountReports("cannot be placed at random"), 1u);
}

TEST_F(WorldScriptRun, AParkWithoutFootpathIsSearchedOncePerRunOfLists)
{
    // State changes carried out at once chain the lists into one run: a script whose States keep asking for
    // random guests on a park without footpath pays for one search, not one per State.
    world.deliver = true;
    Compile("State STATE_WORLD_STARTUP OnEntry Create Guest T Random ; ChangeState B ; End End\n"
            "State B OnEntry Create Guest T Random Number 4 ; Create Litter CAN Random ; ChangeState C ; End End\n"
            "State C OnEntry Queue 1 1 0 ; Create Guest T Random ; Create Guest T Random ;\n"
            " Path 2 2 3 N ; Create Litter CAN Random ; End\n"
            " OnUpdate Create Litter CAN Random ; Create Guest T Random ; End End\n");
    script.Start();
    EXPECT_EQ(script.GetCurrentState(), 2u);
    // The first search, one more after the queue cell and one after the path.
    EXPECT_EQ(world.cellQueries, 3u * WorldCommand::kMaxPlacementTries);
    EXPECT_EQ(CountReports("no footpath found"), 6u);
    EXPECT_EQ(CountReports("earlier in this run - 0 of 4 T created"), 1u);
    EXPECT_TRUE(world.guests.empty());
    // The next frame's run searches afresh, once.
    script.RunOnUpdate();
    EXPECT_EQ(world.cellQueries, 4u * WorldCommand::kMaxPlacementTries);
    EXPECT_EQ(CountReports("no footpath found"), 8u);
    // A footpath laid by then is found.
    world.SetCell(3, 4, 0x10000000u);
    script.RunOnUpdate();
    EXPECT_EQ(world.guests.size(), 1u);
    EXPECT_EQ(CountReports("no footpath found"), 8u);
}

TEST_F(WorldScriptRun, TheParkCommandsReachTheHost)
{
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("guest.ble"), Scrambled("State STATE_STARTUP End\n"));
    testsupport::ScopedCurrentDir inside(dir.Path());
    // Directions by their compass names in any case; a path without one is dropped with its report; the word
    // where a command's ";" stands is taken as it, with a report.
    RunEntry("Path 10 10 5 E ; Path 1 2 3 n ; Path 1 2 3 Ne ; Path 1 2 3 se ; Path 1 2 3 S ; Path 1 2 3 SW ;\n"
             "Path 1 2 3 w ; Path 1 2 3 NW EmitTicker LOST ; Path 1 2 3 Up ; Queue 4 5 9 ; MoveCamera 100 200 7 ;\n"
             "ShowMenu Objectives ; ShowMenu Message Welcome ; EmitTicker HELLO ; PlaySound Fanfare ;\n"
             "LoadScript GuestLogic guest.pis ;");
    EXPECT_EQ(Journal(), (Lines{"path 10 10 2 5", "path 1 2 0 3", "path 1 2 1 3", "path 1 2 3 3", "path 1 2 4 3",
                                "path 1 2 5 3", "path 1 2 6 3", "path 1 2 7 3", "queue 4 5 9", "camera 100.0 200.0",
                                "menu Objectives (none)", "menu Message Welcome", "ticker HELLO"}));
    EXPECT_EQ(std::tuple(CountReports("Invalid Direction Specified Up"),
                         CountReports("';' expected - found EmitTicker"), ReportCount()),
              std::tuple(1u, 1u, size_t{2}));
    ASSERT_EQ(manager.GetNumScripts(), 1u);
    ASSERT_NE(manager.GetScript("GuestLogic"), nullptr);
    EXPECT_EQ(manager.GetScript("GuestLogic")->GetNumStates(), 1u);
}

TEST_F(WorldScriptRun, WhileASaveIsRestoredOnlyTheBuildingCommandsDoNothing)
{
    world.loading = true;
    Compile("State STATE_WORLD_STARTUP OnEntry\n"
            " Create Guest Tourist 1 1 ; Path 1 1 2 N ; Queue 1 1 1 ; ChangeState B ;\n"
            " Set Var1 4 ; EmitTicker STILL ; Function PauseGame ; Message MT_NEW_DAY Me 0 0 ;\n"
            "End End State B End\n");
    script.Start();
    EXPECT_EQ(Journal(), (Lines{"ticker STILL", "function 0", "post 33 0"}));
    EXPECT_FLOAT_EQ(world.Var(WV_Var, 1).AsFloatBits(), 4.0f);
}

TEST_F(WorldScriptRun, WithoutAWorldHostNothingRunsAndTheManagerReplacesItsWorldScript)
{
    {
        scripttest::TestHost plain;
        ScriptManager other(&plain);
        RunEntry("EmitTicker HELLO ; Set Var1 1 ;");
        EXPECT_TRUE(world.journal.empty());
        EXPECT_TRUE(world.vars.empty());
    }
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("world.ble"), Scrambled("State STATE_WORLD_STARTUP End State B End\n"));
    WorldScript* first = manager.LoadWorldScript(dir.File("world.pis").c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetNumStates(), 2u);
    EXPECT_EQ(manager.LoadWorldScript(dir.File("missing.pis").c_str()), nullptr);
    EXPECT_EQ(manager.GetWorldScript(), nullptr);
    EXPECT_EQ(CountReports("cannot read the world script"), 1u);
}

// A State name the script never declares is a fault of the script: said once, not every frame the list runs (each
// report stops the game with a message box).
TEST_F(WorldScriptRun, AChangeStateToAStateNotDeclaredIsReportedOnceHoweverOftenItRuns)
{
    Compile("State STATE_WORLD_STARTUP OnUpdate ChangeState Wonn ; ChangeState Lost ; End End\n"
            "State Won End\n");
    script.Start();
    for (int frame = 0; frame < 5; ++frame)
        script.Update();
    EXPECT_TRUE(world.posts.empty());
    EXPECT_EQ(CountReports("Invalid State in WorldScript"), 2u);
}
