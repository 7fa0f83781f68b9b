// A busy park saved into a slot in the running program and loaded back from the main menu: saved again at once,
// the slot file holds the same bytes (the save's time of writing aside), and the park goes on.
#include "game/Game.h"
#include "game/Screens.h"
#include "park/BuildingObject.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "tests/game/GameHarness.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using gametest::GameHarness;

namespace
{

// The slot file's bytes with its time of writing (the fourth item: after the stream's banner, the identification
// and the version) blanked.
std::vector<uint8_t> SlotBytes(const std::string& file)
{
    std::vector<uint8_t> bytes = testsupport::ReadBytes(file);
    const size_t banner = 1 + 4 + 20;
    const size_t identification = 1 + 4 + std::string("Tidewell MRK2 Save").size();
    const size_t time = banner + identification + 5;
    if (bytes.size() > time + 5)
        for (size_t i = time + 1; i < time + 5; ++i)
            bytes[i] = 0;
    return bytes;
}

using BusySlotSave = gametest::StartedGameTest<>;

TEST_F(BusySlotSave, ABusyParkLoadedFromItsSlotSavesTheSameAndPlaysOn)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    g_pWorld->RequestStaff(OBJECT_CLEANER, "CLEANER");
    g_pWorld->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    g_pWorld->RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    GetResearchManager()->SetSliderValue(0.9f);
    g_pWorld->SetGameSpeedLevel(2);
    harness.RunFrames(900);
    auto funhouse = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
    ASSERT_EQ(funhouse.size(), 1u);
    static_cast<BuildingObject*>(funhouse[0])->BreakDownByWear();
    GetRescueManager()->OfferRescue();
    GetRescueManager()->DespatchTeam();
    harness.RunFrames(30);
    ASSERT_GT(g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST), 0u);

    Game& game = harness.GetGame();
    ASSERT_TRUE(game.SaveToSlot(0));
    const std::string folder = harness.UserFolder() + "/SaveGames/";
    const std::vector<uint8_t> first = SlotBytes(folder + "save0.dat");
    ASSERT_GT(first.size(), 1000u);

    ASSERT_TRUE(harness.LoadFromMainMenu(0, 1));
    ASSERT_TRUE(game.SaveToSlot(1));
    const std::vector<uint8_t> second = SlotBytes(folder + "save1.dat");
    ASSERT_EQ(first.size(), second.size());
    size_t at = 0;
    while (at < first.size() && first[at] == second[at])
        ++at;
    EXPECT_EQ(at, first.size()) << "the slot files part at byte " << at;
    // The loaded park plays on with its guests.
    EXPECT_TRUE(harness.RunFrames(300));
    ASSERT_NE(g_pWorld, nullptr);
    EXPECT_GT(g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST), 0u);
    for (const auto& box : harness.Reports().boxes)
        ADD_FAILURE() << box.text;
}

} // namespace
