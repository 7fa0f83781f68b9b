// The goals of every sample scenario, run through its world script over a park whose figures the test sets: no
// objective is met when the park opens (the figures a new park starts with), each is met by its own figure (a goal
// judged "with N guests in" only then), the scenario is won only once all are, and winning opens the next
// scenario of its group of four (the last of a group opens none) with its message; a park that runs out of money
// where the scenario says so is lost.
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "tests/scripts/WorldScriptTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using scripttest::WorldHost;

// A figure of the park set to a value, and the objectives met once it is (bit i: objective i).
struct Step
{
    uint32_t variable;
    float value;
    uint32_t met;
};

struct Scenario
{
    int index; // 0-based row of the scenario list
    std::vector<Step> steps;
    bool losesWhenBroke;
};

// A scenario's world script over a park that journals what it is asked, started with the figures a park has before
// any guest has come in: its starting cash, the guests' averages at a half, the animals content and every building
// working.
struct RunningScript
{
    explicit RunningScript(const char* scriptName)
    {
        host.script = &script;
        host.deliver = true;
        host.vars[{WV_PlayerCash, 0}] = ScriptValue::Float(25000.0f);
        host.vars[{WV_GuestBeautyLevel, 0}] = ScriptValue::Float(0.5f);
        host.vars[{WV_AverageAnimalHappy, 0}] = ScriptValue::Float(1.0f);
        host.vars[{WV_AllBuildingsOperating, 0}] = ScriptValue::Bool(true);
        loaded = script.Load(scriptName);
        script.Start();
    }
    // The first journal line that starts with the prefix, or null.
    const std::string* Line(const std::string& prefix) const
    {
        for (const std::string& line : host.journal)
            if (line.rfind(prefix, 0) == 0)
                return &line;
        return nullptr;
    }
    uint32_t MetObjectives(int count) const
    {
        uint32_t met = 0;
        for (int i = 0; i < count; ++i)
            met |= ScriptValueToFloat(host.Var(WV_ScenarioObj, static_cast<uint32_t>(i))) == 1.0f ? 1u << i : 0u;
        return met;
    }

    WorldHost host;
    ScriptManager manager{&host};
    WorldScript script;
    bool loaded = false;
};

class SampleScenarioGoals : public ::testing::Test
{
protected:
    bool HasText(const std::string& id) const { return texts.GetText(id.c_str())[0] != u'\0'; }

    testsupport::ScopedCurrentDir cwd{std::string(TW_SOURCE_DIR) + "/sample-data"};
    TextTable texts{"data/text_uk.uni"};
};

TEST_F(SampleScenarioGoals, EachScenarioIsWonByMeetingItsObjectivesAndOpensTheNextOfItsGroup)
{
    const Scenario scenarios[] = {
        {0, {{WV_GuestCount, 49, 0}, {WV_GuestCount, 50, 1}}, false},
        {1,
         {{WV_AnimalExhibitCount, 1, 0}, {WV_AnimalExhibitCount, 2, 1}, {WV_GuestCount, 39, 1}, {WV_GuestCount, 40, 3}},
         false},
        {2,
         {{WV_GuestBeautyLevel, 0.1f, 0},
          {WV_GuestCount, 40, 1},
          {WV_GuestBeautyLevel, 0.24f, 1},
          {WV_GuestBeautyLevel, 0.25f, 3}},
         false},
        {3,
         {{WV_RidesBuilt, 2, 1},
          {WV_AllBuildingsOperating, 0, 1},
          {WV_GuestCount, 50, 1},
          {WV_AmusementBuilt, 2, 3},
          {WV_AllBuildingsOperating, 1, 7}},
         true},
        {4, {{WV_GuestCount, 29, 0}, {WV_GuestCount, 30, 1}}, false},
        {5, {{WV_GuestCount, 50, 2}, {WV_VisitCount, 79, 2}, {WV_VisitCount, 80, 3}}, false},
        {6, {{WV_PlayerCash, 12000, 2}, {WV_IncomeToday, 1499, 2}, {WV_IncomeToday, 1500, 3}}, false},
        {7,
         {{WV_ZooCount, 2, 1},
          {WV_AverageAnimalHappy, 0.5f, 1},
          {WV_GuestCount, 45, 1},
          {WV_AverageAnimalHappy, 0.8f, 5},
          {WV_AnimalExhibitCount, 2, 7}},
         false},
        {8, {{WV_GuestCount, 39, 0}, {WV_GuestCount, 40, 1}}, false},
        {9, {{WV_GuestCount, 64, 0}, {WV_GuestCount, 65, 1}}, false},
        {10, {{WV_ConstructCount, 7, 0}, {WV_PlayerCash, 30000, 2}, {WV_ConstructCount, 8, 3}}, false},
        {11,
         {{WV_AnimalExhibitCount, 3, 1},
          {WV_GuestCount, 59, 1},
          {WV_GuestCount, 60, 5},
          {WV_ProfitToday, 599, 5},
          {WV_ProfitToday, 600, 7}},
         false},
    };
    for (const Scenario& scenario : scenarios)
    {
        const std::string name = "Scenario" + std::to_string(scenario.index + 1);
        SCOPED_TRACE(name);
        const ParameterScript file(("data/Scenario/" + name + "/" + name + ".pis").c_str());
        const float* number = file.GetNumber("SCENARIO_OBJ_NUMBER");
        const char* scriptName = file.GetString("WORLD_SCRIPT");
        ASSERT_TRUE(number && scriptName);
        const int objectives = static_cast<int>(*number);
        ASSERT_GE(objectives, 1);
        for (int i = 0; i < objectives; ++i)
        {
            const char* text = file.GetString(("SCENARIO_OBJ_" + std::to_string(i)).c_str());
            ASSERT_NE(text, nullptr) << "objective " << i << " has no text";
            EXPECT_TRUE(HasText(text)) << text;
        }
        const uint32_t all = (1u << objectives) - 1u;
        ASSERT_EQ(scenario.steps.back().met, all) << "the last step meets every objective";

        testsupport::RecordingReportSink sink;
        RunningScript park(scriptName);
        ASSERT_TRUE(park.loaded);
        park.script.Update();
        EXPECT_EQ(park.MetObjectives(objectives), 0u) << "an objective is met as the park opens";
        const std::string unlock = "post " + std::to_string(MT_UNLOCK_SCENARIO) + " ";
        for (const Step& step : scenario.steps)
        {
            SCOPED_TRACE("variable " + std::to_string(step.variable) + " = " + std::to_string(step.value));
            EXPECT_EQ(park.Line(unlock), nullptr) << "won before every objective was met";
            park.host.vars[{step.variable, 0}] = step.variable == WV_AllBuildingsOperating
                                                     ? ScriptValue::Bool(step.value != 0.0f)
                                                     : ScriptValue::Float(step.value);
            park.script.Update();
            EXPECT_EQ(park.MetObjectives(objectives), step.met);
        }
        // The last of a group of four opens nothing more: it names itself.
        const int next = (scenario.index + 1) % 4 == 0 ? scenario.index : scenario.index + 1;
        EXPECT_NE(park.Line(unlock + std::to_string(next)), nullptr);
        EXPECT_NE(park.Line("function " + std::to_string(WF_PauseGame)), nullptr);
        const std::string* won = park.Line("menu ScenarioWon ");
        ASSERT_NE(won, nullptr);
        EXPECT_TRUE(HasText(won->substr(17))) << *won;
        for (const auto& box : sink.boxes)
            ADD_FAILURE() << box.text;

        // Out of money: lost where the scenario says so, and nothing opens.
        RunningScript broke(scriptName);
        broke.host.vars[{WV_PlayerCash, 0}] = ScriptValue::Float(-1.0f);
        broke.script.Update();
        const std::string* lost = broke.Line("menu ScenarioLost ");
        EXPECT_EQ(lost != nullptr, scenario.losesWhenBroke);
        if (lost)
        {
            EXPECT_TRUE(HasText(lost->substr(18))) << *lost;
        }
        EXPECT_EQ(broke.Line(unlock), nullptr);
    }
}

} // namespace
