// The guests' averages the world script reads come back with a loaded park from its first frame: a scenario's goal
// judged on them is not met by saving and loading a park whose guests do not think it met.
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "scripts/WorldScriptHost.h"
#include "tests/park/SampleParkTest.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

class LoadedAverages : public SampleParkTest
{
protected:
    static constexpr float kFrame = 1.0f / 32.0f;

    static float Read(World& world, uint32_t id)
    {
        return world.GetScriptVariable(ScriptOperand{id, 0, 0.0f, nullptr}).AsFloatBits();
    }
    static uint32_t Objective(World& world, uint32_t n)
    {
        return world.GetScriptVariable(ScriptOperand{WV_ScenarioObj, n, 0.0f, nullptr}).data;
    }
    // Every guest in the park thinks little of it: each opinion a little above `low`.
    static void ThinkLittle(float low)
    {
        int i = 0;
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
        {
            auto* guest = static_cast<GuestObject*>(object);
            for (int32_t o = 0; o < GuestObject::OPINION_COUNT; ++o)
                guest->SetOpinion(o, low + 0.01f * static_cast<float>(i % 5));
            ++i;
        }
    }
    // Runs the park until its guests' averages have been taken again (the beauty average moves), at most a minute.
    static bool RunUntilAveragesTaken(World& world)
    {
        const float before = world.GetGuestAverage(World::AV_BEAUTY);
        for (int frame = 0; frame < 32 * 60; ++frame)
        {
            world.Update(kFrame);
            if (world.GetGuestAverage(World::AV_BEAUTY) != before)
                return true;
        }
        return false;
    }
    static void AddGuests(World& world, int n)
    {
        for (int i = 0; i < n; ++i)
            world.RequestGuest("VISITOR", 2100.0f + 8.0f * static_cast<float>(i % 8), 1160.0f, 0);
    }
};

// Each average the world script reads, in a park whose guests think little of it, saved just after the averages
// were taken: the loaded park reads what the saved one read.
TEST_F(LoadedAverages, EachAverageTheWorldScriptReadsIsTheLoadedGuests)
{
    testsupport::RecordingReportSink reports;
    const char* scenario = "data/Scenario/Scenario1/Scenario1.pis";
    auto world = std::make_unique<World>(nullptr, nullptr, scenario, false);
    ASSERT_TRUE(world->IsBuilt());
    // Guests come in and some see the animals.
    platform::SRand(3);
    for (int i = 0; i < 30 * 600; ++i)
        world->Update(kFrame);
    ASSERT_GE(g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST), 5u);
    ThinkLittle(0.1f);
    ASSERT_TRUE(RunUntilAveragesTaken(*world));
    const struct
    {
        const char* name;
        uint32_t id;
    } kReads[] = {
        {"GuestBeautyLevel", WV_GuestBeautyLevel},
        {"LowestGuestAverage", WV_LowestGuestAverage},
        {"GuestAverageWelfare", WV_GuestAverageWelfare},
    };
    std::vector<float> saved;
    for (const auto& read : kReads)
        saved.push_back(Read(*world, read.id));
    // The park thinks little of itself: far from a new park's middle values.
    EXPECT_LT(saved[0], 0.3f);
    EXPECT_LT(saved[1], 0.3f);
    const std::vector<uint8_t> bytes = Save(*world);
    world.reset();
    std::unique_ptr<World> loaded = Load(bytes, scenario);
    ASSERT_NE(loaded, nullptr);
    for (size_t i = 0; i < std::size(kReads); ++i)
    {
        SCOPED_TRACE(kReads[i].name);
        EXPECT_NEAR(Read(*loaded, kReads[i].id), saved[i], 0.02f);
    }
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

// The kelp garden's second goal: with forty guests in, their view of the park's beauty at a quarter or more. Forty
// guests who find the park plain have not met it; saved and loaded, the park has not met it either on its next
// frame, as the park that was not saved has not.
TEST_F(LoadedAverages, AGoalOnTheGuestsViewIsNotMetBySavingAndLoading)
{
    testsupport::RecordingReportSink reports;
    const char* scenario = "data/Scenario/Scenario3/Scenario3.pis";
    auto world = std::make_unique<World>(nullptr, nullptr, scenario, false);
    ASSERT_TRUE(world->IsBuilt());
    // Only the guests asked for here.
    static_cast<BuildingObject*>(g_pObjectManager->GetBuildingsByName("ENTRANCE").at(0))->Close();
    // The averages are taken while fewer than forty are in (a new park's half would meet the goal at once), then
    // more come in.
    AddGuests(*world, 30);
    ThinkLittle(0.05f);
    platform::SRand(5);
    ASSERT_TRUE(RunUntilAveragesTaken(*world));
    for (int i = 0; i < 40 && g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST) < 42u; ++i)
        AddGuests(*world, 1);
    ThinkLittle(0.05f);
    ASSERT_GE(g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST), 40u);
    for (int i = 0; i < 8; ++i)
        world->Update(kFrame);
    ASSERT_LT(Read(*world, WV_GuestBeautyLevel), 0.25f);
    ASSERT_EQ(Objective(*world, 0), 1u);
    ASSERT_EQ(Objective(*world, 1), 0u);

    const std::vector<uint8_t> bytes = Save(*world);
    platform::SRand(9);
    world->Update(kFrame);
    const uint32_t unsaved = Objective(*world, 1);
    world.reset();
    std::unique_ptr<World> loaded = Load(bytes, scenario);
    ASSERT_NE(loaded, nullptr);
    platform::SRand(9);
    loaded->Update(kFrame);
    EXPECT_EQ(unsaved, 0u);
    EXPECT_EQ(Objective(*loaded, 1), unsaved);
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

} // namespace
