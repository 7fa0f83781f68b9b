// Tests of the script registry and the object-script vocabulary: registration by name from files, the limit of
// ten scripts, the global pointer, and the function and variable names.
#include "tests/scripts/ScriptTestSupport.h"

#include "scripts/ObjectScriptVocabulary.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace scripttest;

namespace
{

class ScriptRegistry : public ScriptFixture
{
protected:
    // Writes a script file with one State of the given state and returns its ".pis" name.
    std::string WriteScript(const std::string& name, const char* state)
    {
        testsupport::WriteBytes(dir.File(name + ".ble"), Scrambled(std::string("State ") + state + " End"));
        return dir.File(name + ".pis");
    }

    testsupport::TempDir dir;
};

} // namespace

TEST_F(ScriptRegistry, ScriptsAreFoundByTheirExactNameFirstRegisteredFirst)
{
    EXPECT_EQ(g_pScriptManager, &manager);
    EXPECT_EQ(manager.GetHost(), &host);
    EXPECT_TRUE(manager.LoadScript("GuestLogic", WriteScript("guest", "STATE_GUEST_EATING").c_str()));
    EXPECT_TRUE(manager.LoadScript("CleanerLogic", WriteScript("cleaner", "STATE_CLEANER_IDLE").c_str()));
    EXPECT_TRUE(manager.LoadScript("GuestLogic", WriteScript("other", "STATE_DEAD").c_str()));
    EXPECT_EQ(manager.GetNumScripts(), 3u);
    const ObjectScript* guest = manager.GetScript("GuestLogic");
    ASSERT_NE(guest, nullptr);
    EXPECT_NE(guest->FindState(STATE_GUEST_EATING), nullptr);
    ASSERT_NE(manager.GetScript("CleanerLogic"), nullptr);
    EXPECT_NE(manager.GetScript("CleanerLogic")->FindState(STATE_CLEANER_IDLE), nullptr);
    EXPECT_EQ(manager.GetScript("guestlogic"), nullptr);
    EXPECT_EQ(manager.GetScript("MechanicLogic"), nullptr);
    EXPECT_EQ(manager.GetScript(nullptr), nullptr);
    // A script whose file is missing is registered empty.
    EXPECT_TRUE(manager.LoadScript("MechanicLogic", dir.File("missing.pis").c_str()));
    ASSERT_NE(manager.GetScript("MechanicLogic"), nullptr);
    EXPECT_EQ(manager.GetScript("MechanicLogic")->GetNumStates(), 0u);
    EXPECT_TRUE(TakeReports().empty());
    manager.Clear();
    EXPECT_EQ(manager.GetNumScripts(), 0u);
    EXPECT_EQ(manager.GetScript("GuestLogic"), nullptr);
}

TEST_F(ScriptRegistry, AtMostTenScriptsAreRegistered)
{
    const std::string file = WriteScript("any", "STATE_DEAD");
    for (uint32_t i = 0; i < ScriptManager::kMaxScripts; ++i)
        EXPECT_TRUE(manager.LoadScript(("S" + std::to_string(i)).c_str(), file.c_str()));
    EXPECT_FALSE(manager.LoadScript("Eleventh", file.c_str()));
    EXPECT_EQ(manager.GetNumScripts(), 10u);
    EXPECT_EQ(manager.GetScript("Eleventh"), nullptr);
    EXPECT_NE(manager.GetScript("S9"), nullptr);
    EXPECT_EQ(TakeReports(), std::vector<std::string>{
                                 "ScriptManager::LoadScript - no room for more than 10 scripts - Eleventh not loaded"});
}

TEST(ScriptManagerPointer, TheGlobalPointerFollowsTheManagersLife)
{
    EXPECT_EQ(g_pScriptManager, nullptr);
    EXPECT_EQ(GetScriptHost(), nullptr);
    {
        TestHost host;
        ScriptManager manager(&host);
        EXPECT_EQ(g_pScriptManager, &manager);
        EXPECT_EQ(GetScriptHost(), &host);
        {
            // A second manager takes the pointer; its end leaves the pointer to no one.
            ScriptManager second(nullptr);
            EXPECT_EQ(g_pScriptManager, &second);
            EXPECT_EQ(GetScriptHost(), nullptr);
        }
        EXPECT_EQ(g_pScriptManager, nullptr);
    }
    EXPECT_EQ(g_pScriptManager, nullptr);
}

TEST(ObjectScriptVocabulary, FunctionNamesByIndexWithoutRegardToCase)
{
    EXPECT_EQ(FindScriptFunction("SearchDesire"), 0u);
    EXPECT_EQ(FindScriptFunction("searchdesire"), 0u);
    EXPECT_EQ(FindScriptFunction("GetonPath"), 11u);
    EXPECT_EQ(FindScriptFunction("CheckForPathTurn"), 29u);
    EXPECT_EQ(FindScriptFunction("LookForBetterJob"), 58u);
    EXPECT_EQ(FindScriptFunction("FACEPLANT"), 64u);
    EXPECT_EQ(FindScriptFunction("ClearMyDelayedMsgs"), 83u);
    EXPECT_EQ(FindScriptFunction("Debug"), 84u);
    EXPECT_EQ(FindScriptFunction("Debugs"), 85u);
    EXPECT_EQ(FindScriptFunction(""), 85u);
    EXPECT_EQ(FindScriptFunction(nullptr), 85u);
    std::set<std::string> names;
    for (uint32_t i = 0; i < 85; ++i)
    {
        ASSERT_NE(ScriptFunctionName(i), nullptr);
        names.insert(ScriptFunctionName(i));
        EXPECT_EQ(FindScriptFunction(ScriptFunctionName(i)), i);
    }
    EXPECT_EQ(names.size(), 85u);
    EXPECT_EQ(ScriptFunctionName(85), nullptr);
    EXPECT_STREQ(ScriptFunctionName(42), "FindUrgentClean");
}

TEST(ObjectScriptVocabulary, VariableNamesGiveTheirIdsWithoutRegardToCase)
{
    const std::pair<const char*, uint32_t> known[] = {
        {"Sender", 0},           {"MaxPrice", 9},   {"MyDir", 11},
        {"WaitingForDeath", 20}, {"DestDir", 24},   {"RestCount", 70},
        {"WorldX", 79},          {"WorldY", 80},    {"ViewPointCount2", 105},
        {"WorldStarted", 106},   {"ME", 107},       {"me", 107},
        {"no_object", 110},      {"TRUE", 111},     {"False", 112},
        {"State", 114},          {"GameTime", 115}, {"Default", 116},
        {"Moving", 120},         {"Owner", 125}};
    for (const auto& [name, id] : known)
    {
        uint32_t found = 0xFFFF;
        EXPECT_TRUE(FindObjectVariable(name, &found)) << name;
        EXPECT_EQ(found, id) << name;
    }
    uint32_t untouched = 5;
    EXPECT_FALSE(FindObjectVariable("GuestCount", &untouched)); // a park variable, not an object's
    EXPECT_FALSE(FindObjectVariable("Random4", &untouched));
    EXPECT_FALSE(FindObjectVariable(nullptr, &untouched));
    EXPECT_EQ(untouched, 5u);
}
