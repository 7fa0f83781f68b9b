// Tests of the panels' park figures in the running program: the sample park's staff rooms, exhibits and guests of
// each gender counted, the staff photo of its cleaner, and a dismissed cleaner left out of the object browser's staff.
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "gui/PanelData.h"
#include "gui/VariableWidgets.h"
#include "park/CleanerObject.h"
#include "scripts/WorldParams.h"
#include "tests/game/GameHarness.h"
#include "world/BaseObject.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace
{

using gametest::GameHarness;

double FigureOf(PanelData& data, PanelFigure figure)
{
    double value = -1.0;
    EXPECT_TRUE(data.GetFigure(figure, &value)) << figure;
    return value;
}

TEST(PanelFiguresInGame, CountsPhotosAndDismissedStaffOfTheSamplePark)
{
    GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    const std::filesystem::path scenario = harness.DataFolder() + "/data/Scenario/Scenario2";
    std::filesystem::create_directories(scenario);
    std::filesystem::copy_file(harness.DataFolder() + "/data/Scenario/SamplePark/SamplePark.pis",
                               scenario / "Scenario2.pis", std::filesystem::copy_options::overwrite_existing);
    harness.EnterPark(1);
    ASSERT_NE(g_pWorld, nullptr);
    g_pWorld->SetGameSpeedLevel(2);
    harness.RunFrames(240);
    PanelData* data = harness.GetGame().GetPanelData();
    ASSERT_NE(data, nullptr);

    // Staff rooms are the small and large staff buildings; exhibits the buildings of the animal category (2).
    const size_t staffRooms = g_pObjectManager->GetBuildingsByName("STAFFSMALL").size() +
                              g_pObjectManager->GetBuildingsByName("STAFFLARGE").size();
    size_t exhibits = 0;
    for (BaseObject* building : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
    {
        const int32_t type = g_pWorldParams->FindBuilding(building->GetName());
        exhibits += type >= 0 && g_pWorldParams->GetBuildingInfo(type).iAttractCategory == 2 ? 1 : 0;
    }
    // (This park has a staff room and no exhibit.)
    ASSERT_GE(staffRooms, 1u);
    EXPECT_EQ(FigureOf(*data, PF_STAFFROOMS), static_cast<double>(staffRooms));
    EXPECT_EQ(FigureOf(*data, PF_ANIMAL_EXHIBITS), static_cast<double>(exhibits));
    // Every guest of the pool is of one gender or the other.
    const size_t guests = g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST).size();
    ASSERT_GE(guests, 1u);
    EXPECT_EQ(FigureOf(*data, PF_GUESTS_GENDER_0) + FigureOf(*data, PF_GUESTS_GENDER_1), static_cast<double>(guests));
    EXPECT_EQ(data->GetTextId(PT_PARK_TITLE, 0), g_pWorld->m_StatusTitle);
    EXPECT_EQ(data->GetTextId(PT_OBJECTIVE, g_pWorld->m_iObjectiveCount), "");

    // The cleaner's photo is the cleaners' frame, 0; a guest has none.
    const std::vector<BaseObject*> cleaners = g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER);
    ASSERT_EQ(cleaners.size(), 1u);
    auto* cleaner = static_cast<CleanerObject*>(cleaners[0]);
    VariableImage photo(0, 0, 40, 40, "STAFF_PHOTO");
    photo.SetObject(cleaner);
    const auto steps = photo.PlanDrawCached();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].sprite, "uis_staff_photos");
    EXPECT_EQ(steps[0].frame, 0);
    photo.SetObject(static_cast<DialogListener*>(g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST)[0]));
    EXPECT_TRUE(photo.PlanDrawCached().empty());

    // Dismissed, the cleaner stays in the pool while it leaves, marked so that the browser lists it no more.
    const auto cleanerEntry = [&]
    {
        std::vector<BrowserEntry> staff;
        data->ListStaff(staff);
        for (const BrowserEntry& entry : staff)
            if (entry.id == cleaner->GetID())
                return entry;
        return BrowserEntry();
    };
    EXPECT_EQ(cleanerEntry().id, cleaner->GetID());
    EXPECT_FALSE(cleanerEntry().sacked);
    cleaner->Dismiss();
    const BrowserEntry dismissed = cleanerEntry();
    EXPECT_EQ(dismissed.id, cleaner->GetID());
    EXPECT_TRUE(dismissed.sacked);
}

} // namespace
