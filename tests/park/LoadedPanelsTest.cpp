// A park saved with an object's panel open loads with no panel open: the player's next click on a guest, a staff
// member or an animal opens its panel, and a building picked from behind another is not taken for a panel on show.
#include "park/BuildingObject.h"
#include "tests/park/SampleParkTest.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace
{

// Panel level of an object whose panel is on show.
constexpr int32_t kPanelShown = 2;

struct PanelCase
{
    const char* name;
    // The object whose panel is open at the save, and the one the player then clicks (by id, found in the loaded
    // park); the click: selected in full, or picked from behind another object.
    std::function<uint32_t()> saved;
    std::function<uint32_t()> clicked;
    bool inFull;
    // Whether the clicked object shows its panel afterwards.
    bool shown;
};

std::ostream& operator<<(std::ostream& out, const PanelCase& c)
{
    return out << c.name;
}

uint32_t FirstOfKind(uint8_t kind)
{
    const std::vector<BaseObject*> objects = g_pObjectManager->GetObjectsOfKind(kind);
    return objects.empty() ? 0u : objects.front()->GetID();
}

uint32_t BuildingNamed(const char* name)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(name);
    return found.empty() ? 0u : found.front()->GetID();
}

class LoadedPanels : public SampleParkTest, public ::testing::WithParamInterface<PanelCase>
{
};

TEST_P(LoadedPanels, NoPanelIsTakenForOpenAfterALoad)
{
    testsupport::RecordingReportSink reports;
    const PanelCase& c = GetParam();
    const char* scenario = "data/Scenario/Scenario1/Scenario1.pis";
    auto world = std::make_unique<World>(nullptr, nullptr, scenario, false);
    ASSERT_TRUE(world->IsBuilt());
    world->RequestStaff(OBJECT_CLEANER, "CLEANER");
    platform::SRand(4);
    for (int i = 0; i < 30 * 300; ++i)
        world->Update(1.0f / 32.0f);
    const uint32_t saved = c.saved();
    const uint32_t clicked = c.clicked();
    ASSERT_NE(saved, 0u);
    ASSERT_NE(clicked, 0u);
    g_pObjectManager->GetObject(saved)->OnSelected(true, false);
    ASSERT_EQ(g_pObjectManager->GetObject(saved)->GetSelectLevel(), kPanelShown);

    const std::vector<uint8_t> bytes = Save(*world);
    world.reset();
    std::unique_ptr<World> loaded = Load(bytes, scenario);
    ASSERT_NE(loaded, nullptr);
    BaseObject* object = g_pObjectManager->GetObject(clicked);
    ASSERT_NE(object, nullptr);
    object->OnSelected(c.inFull, !c.inFull);
    EXPECT_EQ(object->GetSelectLevel() == kPanelShown, c.shown);
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

const PanelCase kCases[] = {
    {"AGuestsPanelOpensOnTheFirstClick", [] { return FirstOfKind(OBJECT_GUEST); },
     [] { return FirstOfKind(OBJECT_GUEST); }, true, true},
    {"ACleanersPanelOpensOnTheFirstClick", [] { return FirstOfKind(OBJECT_CLEANER); },
     [] { return FirstOfKind(OBJECT_CLEANER); }, true, true},
    {"AnAnimalsPanelOpensOnTheFirstClick", [] { return FirstOfKind(OBJECT_ANIMAL); },
     [] { return FirstOfKind(OBJECT_ANIMAL); }, true, true},
    {"ABuildingPickedFromBehindShowsNoPanel", [] { return BuildingNamed("FUNHOUSE"); },
     [] { return BuildingNamed("LAGOON"); }, false, false},
};

INSTANTIATE_TEST_SUITE_P(Panels, LoadedPanels, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PanelCase>& info) { return info.param.name; });

} // namespace
