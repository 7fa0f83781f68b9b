// The World's counts of rides and amusements standing in the sample scenario's park: they follow buildings built
// and demolished, and a saved park loads with them counted again from its buildings.
#include "engine/core/GameParameters.h"
#include "engine/core/SerialStream.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "park/BuildingObject.h"
#include "park/ParkLayer.h"
#include "platform/Random.h"
#include "tests/park/SampleParkTest.h"
#include "tests/support/TestSupport.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace
{

class BuiltCounts : public SampleParkTest
{
protected:
    static std::tuple<int32_t, int32_t> Counts(const World& world)
    {
        return {world.m_RidesBuilt, world.m_AmusementBuilt};
    }
    static size_t Named(const char* name) { return g_pObjectManager->GetBuildingsByName(name).size(); }
};

TEST_F(BuiltCounts, RidesAndAmusementsFollowBuildingDemolitionAndALoad)
{
    testsupport::RecordingReportSink reports;
    const std::string file = dir.File("park.sav");
    {
        World world(nullptr, nullptr, kScenario, false);
        ASSERT_TRUE(world.IsBuilt());
        // The world script builds a staff room, a fun house (the one amusement), a lagoon and an arena: no ride.
        ASSERT_EQ(Named("FUNHOUSE"), 1u);
        EXPECT_EQ(Counts(world), std::tuple(0, 1));

        // Two swan-boat rides (category RIDE) and a fun house more; a diner is neither.
        world.RequestBuilding("SWANBOATS", 80, 30, 0, -1.0f, 0, false);
        world.RequestBuilding("SWANBOATS", 80, 50, 0, -1.0f, 0, false);
        world.RequestBuilding("FUNHOUSE", 90, 70, 0, -1.0f, 0, false);
        world.RequestBuilding("DINER", 100, 30, 0, -1.0f, 0, false);
        ASSERT_EQ(std::tuple(Named("SWANBOATS"), Named("FUNHOUSE"), Named("DINER")), std::tuple(2u, 2u, 1u));
        EXPECT_EQ(Counts(world), std::tuple(2, 2));

        // One ride is sold: it counts until it is gone, then no more.
        auto* sold = static_cast<BuildingObject*>(g_pObjectManager->GetBuildingsByName("SWANBOATS")[0]);
        const uint32_t id = sold->GetID();
        sold->Sell();
        for (int frame = 0; frame < 600 && g_pObjectManager->GetObject(id); ++frame)
            world.Update(1.0f / 30.0f);
        ASSERT_EQ(g_pObjectManager->GetObject(id), nullptr);
        EXPECT_EQ(Counts(world), std::tuple(1, 2));
        // The diner goes too, and changes neither count.
        static_cast<BuildingObject*>(g_pObjectManager->GetBuildingsByName("DINER")[0])->Sell();
        for (int frame = 0; frame < 600 && Named("DINER") > 0; ++frame)
            world.Update(1.0f / 30.0f);
        ASSERT_EQ(Named("DINER"), 0u);
        EXPECT_EQ(Counts(world), std::tuple(1, 2));

        // Counts gone astray are not what the save keeps.
        world.m_RidesBuilt = 40;
        world.m_AmusementBuilt = -3;
        BinarySerialStream out(true, file.c_str());
        ASSERT_TRUE(world.Save(out));
        ASSERT_TRUE(out.Close());
    }
    BinarySerialStream in(false, file.c_str());
    std::unique_ptr<World> loaded = World::LoadSaved(nullptr, nullptr, kScenario, in);
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(std::tuple(Named("SWANBOATS"), Named("FUNHOUSE")), std::tuple(1u, 2u));
    EXPECT_EQ(Counts(*loaded), std::tuple(1, 2));
    // And they go on following the park after the load.
    loaded->RequestBuilding("SWANBOATS", 80, 90, 0, -1.0f, 0, false);
    ASSERT_EQ(Named("SWANBOATS"), 2u);
    EXPECT_EQ(Counts(*loaded), std::tuple(2, 2));
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

} // namespace
