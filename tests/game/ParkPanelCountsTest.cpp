// The panels' figures of rides and amusements built and the animal photo, read through the park's panel data over
// the sample scenario's park (no window needed).
#include "engine/core/GameParameters.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "game/ParkPanelData.h"
#include "park/ParkLayer.h"
#include "scripts/WorldParams.h"
#include "tests/support/TestSupport.h"
#include "world/BaseObject.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

class ParkPanelCounts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearObjectKinds();
        RegisterParkLayer();
        g_ModelManager.Init(1000, false);
        g_AnimationScheduler.Clear();
    }
    void TearDown() override
    {
        UnregisterParkLayer();
        g_ModelManager.Shutdown();
        ClearObjectKinds();
    }

    double Figure(PanelFigure figure)
    {
        double value = -1.0;
        EXPECT_TRUE(data.GetFigure(figure, &value)) << figure;
        return value;
    }

    testsupport::ScopedCurrentDir cwd{std::string(TW_SOURCE_DIR) + "/sample-data"};
    GameParameters parameters{"data/script/gameparameters.pis"};
    ParkPanelData data;
};

TEST_F(ParkPanelCounts, RidesAmusementsAndTheAnimalPhotoOfTheSamplePark)
{
    testsupport::RecordingReportSink reports;
    World world(nullptr, nullptr, "data/Scenario/Scenario1/Scenario1.pis", false);
    ASSERT_TRUE(world.IsBuilt());
    // The park's one amusement is its fun house; it has no ride until one is built.
    EXPECT_EQ(std::pair(Figure(PF_RIDES_BUILT), Figure(PF_AMUSEMENT_BUILT)), std::pair(0.0, 1.0));
    world.RequestBuilding("SWANBOATS", 80, 30, 0, -1.0f, 0, false);
    EXPECT_EQ(std::pair(Figure(PF_RIDES_BUILT), Figure(PF_AMUSEMENT_BUILT)), std::pair(1.0, 1.0));

    // The sample dolphins show the dolphin's photo, frame 1 of the animal photos; a building has no animal photo.
    const std::vector<BaseObject*> animals = g_pObjectManager->GetObjectsOfKind(OBJECT_ANIMAL);
    ASSERT_FALSE(animals.empty());
    for (BaseObject* animal : animals)
        EXPECT_EQ(data.GetAnimalPhotoFrame(animal), 1) << animal->GetName();
    EXPECT_EQ(data.GetAnimalPhotoFrame(g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING).at(0)), -1);
    EXPECT_EQ(data.GetAnimalPhotoFrame(nullptr), -1);
}

// The build panel greys a type whose requirement is missing; a type that needs no building first is never missing
// one, so it is offered like any other.
TEST_F(ParkPanelCounts, ATypeThatNeedsNothingFirstHasNoMissingRequirement)
{
    testsupport::RecordingReportSink reports;
    World world(nullptr, nullptr, "data/Scenario/Scenario1/Scenario1.pis", false);
    ASSERT_TRUE(world.IsBuilt());
    const int32_t type = g_pWorldParams->FindBuilding("ICEKIOSK");
    ASSERT_NE(type, WorldParams::kNotFound);
    BuildingInfo& info = g_pWorldParams->GetBuildingInfo(type);
    struct Case
    {
        const char* tree;
        bool missing;
    };
    const Case cases[] = {{"NONE", false}, {"", false}, {"ENTRANCE", false}, {"NOSUCHBUILDING", true}};
    for (const Case& c : cases)
    {
        std::snprintf(info.szTree, sizeof info.szTree, "%s", c.tree);
        EXPECT_EQ(data.CheckBuildRequirement(type), c.missing) << c.tree;
    }
}

} // namespace
