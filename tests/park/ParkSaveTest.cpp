// The whole park saved and loaded: the sample scenario's park with guests, litter, animals, a building broken down
// and research and a rescue under way, saved, loaded into a freshly built park and saved again, gives the same
// bytes; a save cut short at any byte or with a byte changed is refused with a report and leaves no park.
#include "engine/core/GameParameters.h"
#include "engine/core/SerialStream.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "park/BuildingObject.h"
#include "park/ParkLayer.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "platform/Random.h"
#include "tests/support/TestSupport.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;
constexpr const char* kScenario = "data/Scenario/Scenario1/Scenario1.pis";

// The sample data, the park layer and a model manager for the test's life.
class ParkSave : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearObjectKinds();
        RegisterParkLayer();
        g_ModelManager.Init(1000, false);
        g_AnimationScheduler.Clear();
        platform::SRand(7);
    }
    void TearDown() override
    {
        UnregisterParkLayer();
        g_ModelManager.Shutdown();
        ClearObjectKinds();
    }

    Bytes Save(const World& world)
    {
        const std::string file = dir.File("park.sav");
        {
            BinarySerialStream out(true, file.c_str());
            EXPECT_TRUE(world.Save(out));
            EXPECT_TRUE(out.Close());
        }
        return testsupport::ReadBytes(file);
    }
    std::unique_ptr<World> Load(const Bytes& bytes)
    {
        const std::string file = dir.File("load.sav");
        testsupport::WriteBytes(file, bytes);
        BinarySerialStream in(false, file.c_str());
        return World::LoadSaved(nullptr, nullptr, kScenario, in);
    }

    // The sample park run for a while with visitors, litter, a breakdown, research and a rescue under way.
    Bytes BusyParkSave()
    {
        World world(nullptr, nullptr, kScenario, false);
        EXPECT_TRUE(world.IsBuilt());
        if (!world.IsBuilt())
            return {};
        for (int i = 0; i < 30; ++i)
            world.Update(1.0f / 30.0f);
        for (int i = 0; i < 12; ++i)
            world.RequestGuest("VISITOR", 2100.0f + 16.0f * i, 1160.0f, 3);
        for (int i = 0; i < 5; ++i)
        {
            LitterCreationRequest litter;
            std::snprintf(litter.szKeyword, sizeof litter.szKeyword, "Litter0%d", i % 4 + 1);
            litter.iGridX = 66 + i;
            litter.iGridY = 36;
            g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_LITTER), &litter);
        }
        auto funhouse = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
        EXPECT_EQ(funhouse.size(), 1u);
        if (!funhouse.empty())
            static_cast<BuildingObject*>(funhouse[0])->BreakDown();
        GetResearchManager()->SetSliderValue(0.8f);
        RescueManager& rescue = *GetRescueManager();
        rescue.OfferRescue();
        EXPECT_TRUE(rescue.DespatchTeam());
        for (int i = 0; i < 300; ++i)
            world.Update(1.0f / 30.0f);
        counts = {
            g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST), g_pObjectManager->CountObjectsOfKind(OBJECT_LITTER),
            g_pObjectManager->CountObjectsOfKind(OBJECT_ANIMAL), g_pObjectManager->CountObjectsOfKind(OBJECT_BUILDING)};
        return Save(world);
    }

    testsupport::ScopedCurrentDir cwd{std::string(TW_SOURCE_DIR) + "/sample-data"};
    GameParameters parameters{"data/script/gameparameters.pis"};
    testsupport::TempDir dir;
    std::tuple<uint32_t, uint32_t, uint32_t, uint32_t> counts;
};

TEST_F(ParkSave, ABusyParkSavedLoadedAndSavedAgainGivesTheSameBytes)
{
    testsupport::RecordingReportSink reports;
    const Bytes first = BusyParkSave();
    ASSERT_FALSE(first.empty());
    // What was saved holds the guests, the litter, the three dolphins and the park's buildings.
    EXPECT_EQ(std::get<0>(counts), 12u);
    EXPECT_EQ(std::get<1>(counts), 5u);
    EXPECT_EQ(std::get<2>(counts), 3u);
    EXPECT_GE(std::get<3>(counts), 4u);

    std::unique_ptr<World> loaded = Load(first);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(std::tuple(g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST),
                         g_pObjectManager->CountObjectsOfKind(OBJECT_LITTER),
                         g_pObjectManager->CountObjectsOfKind(OBJECT_ANIMAL),
                         g_pObjectManager->CountObjectsOfKind(OBJECT_BUILDING)),
              counts);
    auto funhouse = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
    ASSERT_EQ(funhouse.size(), 1u);
    const auto* broken = static_cast<BuildingObject*>(funhouse[0]);
    EXPECT_EQ(std::tuple(broken->IsBrokenDown(), broken->IsOpen()), std::tuple(true, false));
    EXPECT_TRUE(GetRescueManager()->IsTeamBusy(0));
    EXPECT_FLOAT_EQ(GetResearchManager()->GetSliderValue(), 0.8f);
    const Bytes second = Save(*loaded);
    ASSERT_EQ(first.size(), second.size());
    size_t firstDifference = 0;
    while (firstDifference < first.size() && first[firstDifference] == second[firstDifference])
        ++firstDifference;
    EXPECT_EQ(firstDifference, first.size()) << "the saves differ from byte " << firstDifference;
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

} // namespace
