// A park saved into a slot in the running program in the middle of play and loaded back from the main menu plays
// the following frames as the park that was not saved plays them.
#include "game/Game.h"
#include "game/Screens.h"
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "park/ShowScheduler.h"
#include "platform/Random.h"
#include "tests/game/GameHarness.h"
#include "tests/world/SaveBytes.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using gametest::GameHarness;

namespace
{

std::vector<std::string> Items()
{
    savebytes::ItemLines lines;
    if (g_pWorld)
        g_pWorld->Dump(lines);
    return lines.lines;
}

BuildingObject* Building(const char* name)
{
    auto found = g_pObjectManager->GetBuildingsByName(name);
    return found.empty() ? nullptr : static_cast<BuildingObject*>(found[0]);
}

// A moment of play to save at: what the player sets going before the save.
struct SlotMoment
{
    const char* name;
    int32_t speedLevel;
    bool breakDown;
    bool show;
    bool rescue;
};

class MidActionSlotSave : public gametest::StartedGameTest<::testing::TestWithParam<SlotMoment>>
{
};

TEST_P(MidActionSlotSave, TheLoadedParkPlaysTheNextFramesAsTheSavedOne)
{
    const SlotMoment& moment = GetParam();
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    g_pWorld->RequestStaff(OBJECT_CLEANER, "CLEANER");
    g_pWorld->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    g_pWorld->RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    GetResearchManager()->SetSliderValue(0.7f);
    g_pWorld->SetGameSpeedLevel(2);
    harness.RunFrames(900);
    ASSERT_GT(g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST), 0u);
    // Arrivals are not part of a save.
    Building("ENTRANCE")->Close();
    g_pWorld->SetGameSpeedLevel(moment.speedLevel);
    if (moment.breakDown)
        Building("FUNHOUSE")->BreakDownByWear();
    if (moment.show)
    {
        ShowScheduler* show = Building("ARENA") ? Building("ARENA")->GetScheduler() : nullptr;
        ASSERT_NE(show, nullptr);
        show->StartShow();
    }
    if (moment.rescue)
    {
        GetRescueManager()->OfferRescue();
        GetRescueManager()->DespatchTeam();
    }
    harness.RunFrames(7);
    // The clock as the save holds it (a float), so that neither park passes a timed step a frame before the other.
    g_pWorld->SetGameTime(static_cast<double>(g_pWorld->GetGameTime()));

    Game& game = harness.GetGame();
    ASSERT_TRUE(game.SaveToSlot(0));
    std::map<uint32_t, bool> toggles;
    for (BaseObject* guest : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
        toggles[guest->GetID()] = static_cast<GuestObject*>(guest)->GetSurroundingsToggle();
    constexpr int kFrames = 120;
    platform::SRand(77);
    ASSERT_TRUE(harness.RunFrames(kFrames));
    const std::vector<std::string> played = Items();

    ASSERT_TRUE(harness.LoadFromMainMenu(0, 1));
    // Which of two squares a guest rates is drawn at its making and not saved.
    for (BaseObject* guest : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
        static_cast<GuestObject*>(guest)->SetSurroundingsToggle(toggles[guest->GetID()]);
    platform::SRand(77);
    ASSERT_TRUE(harness.RunFrames(kFrames));
    EXPECT_EQ(savebytes::ItemDifferences(played, Items(), 1e-4), "");
    for (const auto& box : harness.Reports().boxes)
        ADD_FAILURE() << box.text;
}

const SlotMoment kMoments[] = {
    {"AtTheTopSpeedWithARideBrokenDown", 2, true, false, false},
    {"AtTheNormalSpeedWithAShowOn", 0, false, true, false},
    {"AtTheMiddleSpeedWithARescueTeamOut", 1, false, false, true},
};

INSTANTIATE_TEST_SUITE_P(Moments, MidActionSlotSave, ::testing::ValuesIn(kMoments),
                         [](const ::testing::TestParamInfo<SlotMoment>& info) { return info.param.name; });

} // namespace
