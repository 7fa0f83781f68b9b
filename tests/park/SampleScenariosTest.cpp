// Every scenario of the sample data's list, built as the game builds it: the park opens with the buildings its world
// script places, each open (broken down where the scenario says so) and its animals in, no report; the types its build
// list offers can be built (those whose required building stands); an objective stands where one is set, none in a
// sandbox; and a day of the park runs with guests coming in.
#include "park/BuildingObject.h"
#include "scripts/WorldParams.h"
#include "tests/park/SampleParkTest.h"
#include "tools/texttool/TextTool.h"
#include "world/ObjectManager.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{

struct Row
{
    const char* file;
    std::map<std::string, int> buildings; // type and how many the script places
    std::vector<std::string> offered;     // types the build list offers from the start
    int32_t objectives;
    int32_t animals;
    float cashAtLeast;
    std::set<std::string> broken = {}; // types placed broken down
};

using SampleScenarios = SampleParkTest;

// The sample's UK English texts by id, read from the table's source.
std::map<std::string, std::u16string> SampleTexts()
{
    std::vector<texttool::TextPair> pairs;
    std::string error;
    EXPECT_TRUE(texttool::ParseSource(
        testsupport::ReadText(std::string(TW_SOURCE_DIR) + "/sample-data/src/text/text_uk.txt"), &pairs, &error))
        << error;
    std::map<std::string, std::u16string> texts;
    for (const texttool::TextPair& pair : pairs)
        texts[pair.id] = pair.text;
    return texts;
}

// The text id of the title the scenario list shows for a scenario file ("data/Scenario/Scenario7/..." or
// "data/Scenario/SandScenario2/...").
std::string ListTitleId(const std::string& file)
{
    const size_t sand = file.find("SandScenario");
    if (sand != std::string::npos)
        return "MAINSS_SANDBOX" + std::to_string(std::stoi(file.substr(sand + 12))) + "_TITLE";
    return "MAINSS_SCENARIO" + std::to_string(std::stoi(file.substr(file.rfind("/Scenario") + 9))) + "_TITLE";
}

TEST_F(SampleScenarios, EachRowWithDataBuildsItsParkAndRunsADayWithGuests)
{
    const Row rows[] = {
        {"data/Scenario/Scenario1/Scenario1.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"FUNHOUSE", 1}, {"LAGOON", 1}, {"ARENA", 1}},
         {"ICEKIOSK", "CAFE", "SWANBOATS", "GIFTSHOP", "RESTSMALL"},
         1,
         3,
         1000.0f},
        {"data/Scenario/Scenario5/Scenario5.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"LAGOON", 1}, {"ARENA", 1}},
         {"ICEKIOSK", "CAFE", "FUNHOUSE", "GIFTSHOP", "RESTSMALL"},
         1,
         3,
         1000.0f},
        {"data/Scenario/Scenario9/Scenario9.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}},
         {"ICEKIOSK", "CAFE", "FUNHOUSE", "LAGOON", "RESTSMALL"},
         1,
         0,
         1000.0f},
        {"data/Scenario/Scenario2/Scenario2.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"LAGOON", 1}},
         {"LAGOON", "ICEKIOSK", "CAFE", "FUNHOUSE", "ANIMALCARE"},
         2,
         2,
         20000.0f},
        {"data/Scenario/Scenario3/Scenario3.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"CAFE", 1}, {"RESTSMALL", 1}},
         {"ICEKIOSK", "INFORMATION", "FUNHOUSE", "GIFTSHOP"},
         2,
         0,
         20000.0f},
        {"data/Scenario/Scenario4/Scenario4.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"FUNHOUSE", 1}, {"SWANBOATS", 1}},
         {"FUNHOUSE", "SWANBOATS", "CAFE", "RESTSMALL", "GIFTSHOP"},
         3,
         0,
         12000.0f},
        {"data/Scenario/Scenario6/Scenario6.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"LAGOON", 1}, {"ARENA", 1}, {"CAFE", 1}},
         {"LAGOON", "ICEKIOSK", "RESTSMALL", "FUNHOUSE", "ANIMALCARE"},
         2,
         3,
         20000.0f},
        {"data/Scenario/Scenario7/Scenario7.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"FUNHOUSE", 1}, {"CAFE", 1}, {"GIFTSHOP", 1}, {"SWANBOATS", 1}},
         {"ICEKIOSK", "RESTSMALL", "INFORMATION", "FUNHOUSE"},
         2,
         0,
         4000.0f,
         {"FUNHOUSE", "CAFE", "GIFTSHOP", "SWANBOATS"}},
        {"data/Scenario/Scenario8/Scenario8.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"LAGOON", 1}},
         {"LAGOON", "ANIMALCARE", "CAFE", "RESTSMALL", "FUNHOUSE"},
         3,
         2,
         20000.0f},
        {"data/Scenario/Scenario10/Scenario10.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"CAFE", 1}, {"RESTSMALL", 1}, {"ICEKIOSK", 1}},
         {"DINER", "FUNHOUSE", "LAGOON", "GIFTSHOP"},
         1,
         0,
         20000.0f},
        {"data/Scenario/Scenario11/Scenario11.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}},
         {"ICEKIOSK", "CAFE", "FUNHOUSE", "LAGOON"},
         2,
         0,
         12000.0f},
        {"data/Scenario/Scenario12/Scenario12.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"LAGOON", 1}, {"ARENA", 1}},
         {"LAGOON", "ICEKIOSK", "CAFE", "GIFTSHOP"},
         3,
         3,
         20000.0f},
        {"data/Scenario/SandScenario1/SandScenario1.pis",
         {{"ENTRANCE", 1}, {"RESTSMALL", 1}, {"STAFFSMALL", 1}},
         {"ICEKIOSK", "RESTSMALL"},
         0,
         0,
         90000.0f},
        {"data/Scenario/SandScenario2/SandScenario2.pis",
         {{"ENTRANCE", 1}, {"STAFFSMALL", 1}, {"LAGOON", 1}},
         {"ICEKIOSK", "CAFE", "FUNHOUSE", "LAGOON", "GIFTSHOP"},
         0,
         2,
         90000.0f},
        {"data/Scenario/SandScenario3/SandScenario3.pis",
         {{"ENTRANCE", 1}},
         {"ICEKIOSK", "CAFE", "FUNHOUSE", "LAGOON"},
         0,
         0,
         200000.0f},
    };
    const std::map<std::string, std::u16string> texts = SampleTexts();
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.file);
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, row.file, false);
        ASSERT_TRUE(world.IsBuilt());
        world.Update(1.0f / 30.0f);
        std::map<std::string, int> placed;
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
        {
            auto* building = static_cast<BuildingObject*>(object);
            ++placed[building->GetName()];
            EXPECT_TRUE(building->IsOpen()) << building->GetName() << " is not open";
            EXPECT_EQ(building->IsBrokenDown(), row.broken.count(building->GetName()) > 0) << building->GetName();
        }
        EXPECT_EQ(placed, row.buildings);
        EXPECT_EQ(static_cast<int32_t>(g_pObjectManager->GetObjectsOfKind(OBJECT_ANIMAL).size()), row.animals);
        for (const std::string& type : row.offered)
        {
            const int32_t index = g_pWorldParams->FindBuilding(type.c_str());
            ASSERT_NE(index, WorldParams::kNotFound) << type;
            EXPECT_TRUE(world.CanBuildType(index)) << type << " is not offered";
        }
        EXPECT_EQ(world.m_iObjectiveCount, row.objectives);
        // The park is called what the scenario list calls it: its saves and its status panel carry that name.
        ASSERT_EQ(texts.count(world.m_StatusTitle), 1u) << world.m_StatusTitle;
        EXPECT_EQ(texts.at(world.m_StatusTitle), texts.at(ListTitleId(row.file))) << world.m_StatusTitle;
        EXPECT_GE(world.GetPlayer()->Cash, row.cashAtLeast);
        world.SetGameSpeedLevel(2);
        for (int frame = 0; frame < 30 * world.GetDayLength() / 4 && world.GetGameDay() < 1; ++frame)
            world.Update(1.0f / 30.0f);
        EXPECT_GT(world.m_TotalGuestArrive[0] + world.m_TotalGuestArrive[1], 0) << "no guest came in";
        for (const auto& box : reports.boxes)
            ADD_FAILURE() << box.text;
    }
}

} // namespace
