// Tests of the mistakes a scenario writer makes in the two script languages: a ";" left out or an operand too
// many, a script saved by an editor with a byte order mark, Windows line ends and tabs, a misspelt script file and
// a ticker key missing from the text table.
#include "tests/scripts/ScriptTestSupport.h"
#include "tests/scripts/WorldScriptTestSupport.h"

#include "engine/core/TextTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace scripttest;

namespace
{

class WorldScriptMistakes : public WorldScriptFixture
{
};

class ObjectScriptMistakes : public ScriptFixture
{
};

const std::string kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

TEST_F(WorldScriptMistakes, AWordWhereTheClosingSemicolonShouldStandIsReportedByName)
{
    const struct
    {
        const char* commands;
        const char* found; // the word standing where the ";" belongs, or null when the commands are right
    } cases[] = {
        {"Set Var0 1 ;\nCreate Building ENTRANCE 1 2 0 ;", nullptr},
        {"Set Var0 1\nCreate Building ENTRANCE 1 2 0 ;", "Create"},
        {"Function PauseGame\nPath 1 1 3 E ;", "Path"},
        {"EmitTicker OPEN\nSet Var1 1 ;", "Set"},
        {"LoadScript GuestLogic g.pis\nLoadScript CleanerLogic c.pis ;", "LoadScript"},
        {"PlaySound Fanfare\nQueue 1 1 5 ;", "Queue"},
        {"Queue 71 36 5 9 ;", "9"},
        {"MoveCamera 1 2 3 4 ;", "4"},
        {"Path 64 16 25 N E ;", "E"},
        {"Create Animal DOLPHIN 0 0 0 1 ;", "1"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.commands);
        sink.boxes.clear();
        Compile(std::string("State STATE_WORLD_STARTUP OnEntry\n") + c.commands + "\nEnd End\n");
        ASSERT_EQ(script.GetNumStates(), 1u);
        if (c.found)
        {
            EXPECT_EQ(CountReports(std::string("';' expected - found ") + c.found), 1u);
            EXPECT_EQ(ReportCount(), 1u);
        }
        else
        {
            EXPECT_EQ(ReportCount(), 0u);
        }
    }
}

TEST_F(ObjectScriptMistakes, AWordWhereTheClosingSemicolonShouldStandIsReportedByName)
{
    const struct
    {
        const char* commands;
        const char* found;
    } cases[] = {
        {"PlaySound Splash ;\nFunction KillMe ;", nullptr},
        {"PlaySound Splash\nFunction KillMe ;", "Function"},
        {"Set Cash 1\nPlaySound Splash ;", "PlaySound"},
        {"Function KillMe\nSet Cash 1 ;", "Set"},
        {"Add Cash 1 2 ;", "2"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.commands);
        sink.boxes.clear();
        const ObjectScript& compiled = Bind(std::string("State STATE_STARTUP OnEntry\n") + c.commands + "\nEnd End\n");
        ASSERT_EQ(compiled.GetNumStates(), 1u);
        if (c.found)
        {
            EXPECT_EQ(CountReports(std::string("';' expected - found ") + c.found), 1u);
        }
        else
        {
            EXPECT_TRUE(sink.boxes.empty()) << sink.boxes[0].text;
        }
    }
}

TEST_F(WorldScriptMistakes, AScriptSavedWithAByteOrderMarkWindowsLineEndsAndTabsKeepsItsFirstState)
{
    const std::string body = "State STATE_WORLD_STARTUP\r\n"
                             "\tOnEntry\r\n"
                             "\t\tSet Var0 1 ;\r\n"
                             "\t\tChangeState Running ;\r\n"
                             "\tEnd\r\n"
                             "End\r\n"
                             "State Running\r\n"
                             "\tOnUpdate\r\n"
                             "\t\tSet Var1 1 ;\r\n"
                             "\tEnd\r\n"
                             "End\r\n";
    for (const std::string& start : {std::string(), kByteOrderMark})
    {
        SCOPED_TRACE(start.empty() ? "plain" : "byte order mark");
        sink.boxes.clear();
        Compile(start + body);
        ASSERT_EQ(script.GetNumStates(), 2u);
        EXPECT_EQ(std::string(script.GetStateName(0)), "STATE_WORLD_STARTUP");
        EXPECT_EQ(script.GetState(0).onEntry.Size(), 2u);
        EXPECT_EQ(ReportCount(), 0u) << sink.boxes[0].text;
    }
}

TEST_F(ObjectScriptMistakes, AScriptSavedWithAByteOrderMarkWindowsLineEndsAndTabsKeepsItsFirstState)
{
    const std::string body = "State STATE_STARTUP\r\n"
                             "\tOnEntry\r\n"
                             "\t\tPlaySound Splash ;\r\n"
                             "\tEnd\r\n"
                             "End\r\n";
    for (const std::string& start : {std::string(), kByteOrderMark})
    {
        SCOPED_TRACE(start.empty() ? "plain" : "byte order mark");
        sink.boxes.clear();
        const ObjectScript& compiled = Bind(start + body);
        ASSERT_EQ(compiled.GetNumStates(), 1u);
        EXPECT_EQ(compiled.GetState(0).value, uint32_t{STATE_STARTUP});
        EXPECT_EQ(compiled.GetState(0).onEntry.Size(), 1u);
        EXPECT_TRUE(sink.boxes.empty()) << sink.boxes[0].text;
    }
}

TEST_F(ObjectScriptMistakes, AnObjectScriptFileThatCannotBeReadIsSaidInTheLog)
{
    testsupport::TempDir dir;
    const testsupport::ScopedCurrentDir cwd(dir.Path());
    std::filesystem::create_directories(dir.File("data/Scripts"));
    testsupport::WriteBytes(dir.File("data/Scripts/GuestLogic.ble"),
                            Scrambled("State STATE_STARTUP OnEntry PlaySound Splash ; End End"));
    testsupport::WriteBytes(dir.File("data/Scripts/Empty.ble"), {});
    const struct
    {
        const char* file;
        bool read;
    } cases[] = {
        {"data/Scripts/GuestLogic.pis", true},
        // Written as a Windows scenario writer would: backslashes and another letter case.
        {"Data\\Scripts\\guestlogic.pis", true},
        {"data/Scripts/GuestLogik.pis", false},
        {"data/Script/GuestLogic.pis", false},
        {"data/Scripts/Empty.pis", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        sink.debug.clear();
        ASSERT_TRUE(manager.LoadScript(c.file, c.file));
        const ObjectScript* script = manager.GetScript(c.file);
        ASSERT_NE(script, nullptr);
        EXPECT_EQ(script->GetNumStates(), c.read ? 1u : 0u);
        EXPECT_EQ(sink.debug.find(c.file) != std::string::npos, !c.read) << sink.debug;
        manager.Clear();
    }
}

TEST_F(WorldScriptMistakes, ATickerKeyTheTextTableDoesNotHoldIsReportedByName)
{
    testsupport::TempDir dir;
    TextTable texts(testsupport::WriteTextTable(dir, u"TICKER_OPEN=The park is open|TICKER_RAIN=Rain").c_str());
    const struct
    {
        const char* key;
        bool held;
    } cases[] = {
        {"TICKER_OPEN", true},
        {"ticker_rain", true}, // ids are looked up without regard to case
        {"TICKER_OPNE", false},
        {"TICKER_OPEN_", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.key);
        sink.boxes.clear();
        Compile(std::string("State STATE_WORLD_STARTUP OnEntry EmitTicker ") + c.key + " ; End End\n");
        ASSERT_EQ(script.GetNumStates(), 1u);
        EXPECT_EQ(script.GetState(0).onEntry.Size(), 1u);
        EXPECT_EQ(CountReports(std::string(c.key) + " is not in the text table"), c.held ? 0u : 1u);
        EXPECT_EQ(ReportCount(), c.held ? 0u : 1u);
    }
}

// A misspelt message name sends nothing at all: read as the first message type, it would remove the object its
// data names. The script says which name it did not know.
TEST_F(WorldScriptMistakes, AMessageOfAMisspeltNameIsReportedAndNotSent)
{
    world.deliver = false;
    RunEntry("Message MT_KILLOBJEKT Me 7 0 ;\n"
             "Message MT_UPDATERATING Me 8 0 ;\n"
             "Message MT_NOSUCH Me 9 0 Time 2 ;");
    ASSERT_EQ(world.posts.size(), 1u);
    EXPECT_EQ(world.posts[0].record.dwType, uint32_t{MT_UPDATERATING});
    EXPECT_EQ(world.posts[0].record.dwData, 8u);
    EXPECT_EQ(CountReports("MT_KILLOBJEKT"), 1u);
    EXPECT_EQ(CountReports("MT_NOSUCH"), 1u);
    EXPECT_EQ(ReportCount(), 2u);
}
