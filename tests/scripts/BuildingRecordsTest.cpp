// Tests of the building type records: every field read back, attraction categories, ride and roof words, animal
// lines and the links to the map grids.
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

using tablestest::Quoted;
using tablestest::Record;
using testing::ElementsAre;
using testing::IsEmpty;

static_assert(kAttractAmusement == 1 && kAttractAnimal == 2 && kAttractSnacks == 3 && kAttractMeals == 4 &&
              kAttractPark == 5 && kAttractRetail == 6 && kAttractRide == 7 && kAttractToilet == 8 &&
              kAttractShow == 9 && kAttractCash == 10);
static_assert(kClassAnimal == 0 && kClassRide == 1 && kClassFood == 2 && kClassPark == 3);
static_assert(kRideNone == 0 && kRideTime == 1 && kRideAnim == 2 && kRideAnimalShow == 3);

namespace
{
class Buildings : public tablestest::Tables
{
};
} // namespace

TEST_F(Buildings, EveryFieldReadsBack)
{
    Process(Record("BUILD", "ARENA",
                   {
                       {"MENU", "MenuArena"},
                       {"MENU_ATTACH", "Yes"},
                       {"ICON", "12"},
                       {"COST2BUILD", "4500"},
                       {"GUESTCAPACITY", "30"},
                       {"MAXINSTANCES", "2"},
                       {"ATTRACT_CAT_1", "SHOW"},
                       {"ATTRACT_BASE_INTEN_1", "0.75"},
                       {"ATTRACT_PRICE_1", "12.5"},
                       {"ATTRACT_COST_1", "1.25"},
                       {"ATTRACT_ID_1", "ArenaTicket"},
                       {"ANIMAL_1", "SEAL"},
                       {"ANIMAL_2", "OTTER"},
                       {"ANIMAL_3", "TURTLE"},
                       {"ANIMAL_1_FIXED", "1"},
                       {"ANIMAL_2_FIXED", "2"},
                       {"ANIMAL_3_FIXED", "3"},
                       {"OPTIMUM_ANIMAL_IN", "1.5"},
                       {"MAXIMUM_ANIMAL_IN", "3.5"},
                       {"HAS_STAFF", "Yes"},
                       {"TREE", "ENTRANCE"},
                       {"SERVE_AT_ONCE", "Yes"},
                       {"SERVE_TIME_MIN", "2.5"},
                       {"SERVE_TIME_MAX", "6"},
                       {"STAFF_ID", "SERVE3"},
                       {"RIDE_TYPE", "AnimalShow"},
                       {"RIDE_MODEL", "arena_ride"},
                       {"RIDE_ANIM", "splash"},
                       {"ROOF_TYPE", "COVERED"},
                       {"CUTAWAY_ROOF", "Yes"},
                       {"HAS_CROWD", "Yes"},
                       {"USER_BUILD", "Yes"},
                       {"CAN_BREAKDOWN", "Yes"},
                       {"REPAIR_DECAY", "0.05"},
                       {"SHOWENTER", "Yes"},
                       {"TABLE_MODEL", "bench_t"},
                       {"NEEDS_UNLOCKING", "Yes"},
                       {"FOLLOW_GUEST", "Yes"},
                       {"HAS_SCHEDULER", "Yes"},
                       {"SHOW_NAME", "SEALSHOW"},
                       {"MAX_SHOWMOVES", "6"},
                       {"MIN_SHOWMOVES", "2"},
                       {"VIEWPOINT", "watch"},
                       {"VIEWPOINT_COUNT", "8"},
                       {"VIEWPOINT2", "cheer"},
                       {"VIEWPOINT_COUNT2", "4"},
                       {"KEEP_GUESTS", "Yes"},
                   }));
    EXPECT_THAT(Reports(), IsEmpty());
    const BuildingInfo& b = params->GetBuildingInfo(0);
    EXPECT_EQ(b.id, 0);
    EXPECT_STREQ(b.keyword, "ARENA");
    EXPECT_STREQ(b.szMenu, "MenuArena");
    EXPECT_TRUE(b.bMenuAttach);
    EXPECT_EQ(b.iIcon, 12);
    EXPECT_EQ(b.iAttractClass, kClassAnimal);
    EXPECT_EQ(b.iCost2Build, 4500);
    EXPECT_EQ(b.iGuestCapacity, 30);
    EXPECT_EQ(b.iMaxInstances, 2);
    EXPECT_EQ(b.iAttractCategory, 9);
    EXPECT_FLOAT_EQ(b.fAttractBaseIntensity, 0.75f);
    EXPECT_FLOAT_EQ(b.fAttractPrice, 12.5f);
    EXPECT_FLOAT_EQ(b.fAttractCost, 1.25f);
    EXPECT_STREQ(b.szAttractID, "ArenaTicket");
    EXPECT_EQ(b.iAnimalSlotCount, 3);
    EXPECT_STREQ(b.szAnimal[0], "SEAL");
    EXPECT_STREQ(b.szAnimal[1], "OTTER");
    EXPECT_STREQ(b.szAnimal[2], "TURTLE");
    EXPECT_EQ(b.iAnimalFixed[0], 1);
    EXPECT_EQ(b.iAnimalFixed[1], 2);
    EXPECT_EQ(b.iAnimalFixed[2], 3);
    EXPECT_TRUE(b.bHasAnimals);
    EXPECT_FLOAT_EQ(b.fOptimumAnimalIn, 1.5f);
    EXPECT_FLOAT_EQ(b.fMaximumAnimalIn, 3.5f);
    EXPECT_EQ(b.iHasStaff, 1);
    EXPECT_STREQ(b.szTree, "ENTRANCE");
    EXPECT_TRUE(b.bServeAtOnce);
    EXPECT_FLOAT_EQ(b.fServeTimeMin, 2.5f);
    EXPECT_FLOAT_EQ(b.fServeTimeMax, 6.0f);
    EXPECT_STREQ(b.szStaffID, "SERVE3");
    EXPECT_EQ(b.iRideType, 3);
    EXPECT_STREQ(b.szRideModel, "arena_ride");
    EXPECT_STREQ(b.szRideAnim, "splash");
    EXPECT_TRUE(b.bCovered);
    EXPECT_TRUE(b.bCutawayRoof);
    EXPECT_TRUE(b.bHasCrowd);
    EXPECT_TRUE(b.bUserBuild);
    EXPECT_TRUE(b.bCanBreakdown);
    EXPECT_FLOAT_EQ(b.fRepairDecay, 0.05f);
    EXPECT_TRUE(b.bShowEnter);
    EXPECT_STREQ(b.szTableModel, "bench_t");
    EXPECT_TRUE(b.bNeedsUnlocking);
    EXPECT_FALSE(b.IsAvailable());
    EXPECT_TRUE(b.bFollowGuest);
    EXPECT_TRUE(b.bHasScheduler);
    EXPECT_STREQ(b.szShowName, "SEALSHOW");
    EXPECT_EQ(b.iMaxShowMoves, 6);
    EXPECT_EQ(b.iMinShowMoves, 2);
    EXPECT_STREQ(b.szViewPoint, "watch");
    EXPECT_EQ(b.iViewPointCount, 8);
    EXPECT_STREQ(b.szViewPoint2, "cheer");
    EXPECT_EQ(b.iViewPointCount2, 4);
    EXPECT_TRUE(b.bKeepGuests);
    EXPECT_FALSE(b.bUpgraded);
}

TEST_F(Buildings, UnsetFieldsAreZeroAndFalse)
{
    Process(Quoted({"BUILD_PLAIN"}));
    const BuildingInfo& b = params->GetBuildingInfo(0);
    EXPECT_STREQ(b.szMenu, "");
    EXPECT_EQ(b.iAnimalSlotCount, 0);
    EXPECT_FALSE(b.bHasAnimals);
    EXPECT_FALSE(b.bCanBreakdown);
    EXPECT_EQ(b.iHasStaff, 0);
    EXPECT_EQ(b.pMapGrid, nullptr);
    EXPECT_TRUE(b.IsAvailable());
    EXPECT_EQ(b.iAttractCategory, 0);
    EXPECT_EQ(b.iRideType, 0);
}

TEST_F(Buildings, FlagWordsAndLaterLines)
{
    // Flags want "Yes" exactly; HAS_STAFF is 1 or 0; a later line for a field replaces the earlier one.
    Process(Record("BUILD", "A",
                   {{"MENU_ATTACH", "yes"},
                    {"HAS_STAFF", "Yes"},
                    {"HAS_STAFF", "YES"},
                    {"ROOF_TYPE", "COVERED"},
                    {"ROOF_TYPE", "Covered"},
                    {"ICON", "1"},
                    {"ICON", "2"},
                    {"USER_BUILD", "Yes"},
                    {"USER_BUILD", "No"}}) +
            Record("BUILD", "B", {{"HAS_STAFF", "Yes"}, {"ROOF_TYPE", "COVERED"}}));
    const BuildingInfo& a = params->GetBuildingInfo(0);
    EXPECT_FALSE(a.bMenuAttach);
    EXPECT_EQ(a.iHasStaff, 0);
    EXPECT_FALSE(a.bCovered);
    EXPECT_EQ(a.iIcon, 2);
    EXPECT_FALSE(a.bUserBuild);
    EXPECT_EQ(params->GetBuildingInfo(1).iHasStaff, 1);
    EXPECT_TRUE(params->GetBuildingInfo(1).bCovered);
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(Buildings, AttractionCategoriesAndClasses)
{
    // word, category, the class (build-panel group) it gives.
    const std::tuple<const char*, int32_t, int32_t> rows[] = {
        {"AMUSEMENT", 1, 1}, {"ANIMAL", 2, 0}, {"SNACKS", 3, 2}, {"MEALS", 4, 2}, {"PARK", 5, 3},
        {"RETAIL", 6, 3},    {"RIDE", 7, 1},   {"TOILET", 8, 3}, {"SHOW", 9, 0},  {"CASH", 10, 3},
    };
    for (const auto& [word, category, attractClass] : rows)
    {
        params = std::make_unique<WorldParams>();
        // The class starts at 2 here so that every row shows a change or a kept value.
        Process(Record("BUILD", "T", {{"ATTRACT_CAT_1", "MEALS"}, {"ATTRACT_CAT_1", word}}));
        EXPECT_EQ(params->GetBuildingInfo(0).iAttractCategory, category) << word;
        EXPECT_EQ(params->GetBuildingInfo(0).iAttractClass, attractClass) << word;
        EXPECT_EQ(WorldParams::GetAttractionCategory(word), category) << word;
    }
    // An unknown word (or one in another case) gives category 0 and keeps the class, without a report.
    params = std::make_unique<WorldParams>();
    Process(Record("BUILD", "T", {{"ATTRACT_CAT_1", "RIDE"}, {"ATTRACT_CAT_1", "Meals"}}));
    EXPECT_EQ(params->GetBuildingInfo(0).iAttractCategory, 0);
    EXPECT_EQ(params->GetBuildingInfo(0).iAttractClass, 1);
    EXPECT_EQ(WorldParams::GetAttractionCategory(nullptr), 0);
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(Buildings, RideTypesAndUnknownKeywords)
{
    const std::pair<const char*, int32_t> rows[] = {{"None", 0}, {"Time", 1}, {"Anim", 2}, {"AnimalShow", 3}};
    for (const auto& [word, type] : rows)
    {
        params = std::make_unique<WorldParams>();
        Process(Record("BUILD", "R", {{"RIDE_TYPE", "Anim"}, {"RIDE_TYPE", word}}));
        EXPECT_EQ(params->GetBuildingInfo(0).iRideType, type) << word;
    }
    EXPECT_THAT(Reports(), IsEmpty());
    Process(Record("BUILD", "S", {{"RIDE_TYPE", "Time"}, {"RIDE_TYPE", "time"}, {"COLOUR", "red"}}));
    EXPECT_EQ(params->GetBuildingInfo(1).iRideType, 1);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddBuildingData - unrecognised ride type - time",
                                       "WorldParams::AddBuildingData - unrecognised building keyword - COLOUR"));
}

TEST_F(Buildings, AnimalLinesCountLinesUpToThreeSlots)
{
    // A repeated line counts again; a fourth line is refused with a report, so the count never passes the slots.
    Process(Record("BUILD", "POOL", {{"ANIMAL_1", "SEAL"}, {"ANIMAL_1", "OTTER"}}) +
            Record("BUILD", "TANK",
                   {{"ANIMAL_1", "A"}, {"ANIMAL_2", "B"}, {"ANIMAL_3", "C"}, {"ANIMAL_2", "D"}, {"ANIMAL_3", "E"}}));
    const BuildingInfo& pool = params->GetBuildingInfo(0);
    EXPECT_EQ(pool.iAnimalSlotCount, 2);
    EXPECT_STREQ(pool.szAnimal[0], "OTTER");
    EXPECT_STREQ(pool.szAnimal[1], "");
    EXPECT_TRUE(pool.bHasAnimals);
    const BuildingInfo& tank = params->GetBuildingInfo(1);
    EXPECT_EQ(tank.iAnimalSlotCount, 3);
    EXPECT_STREQ(tank.szAnimal[0], "A");
    EXPECT_STREQ(tank.szAnimal[1], "D");
    EXPECT_STREQ(tank.szAnimal[2], "E");
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddBuildingData - more animal lines than animal slots - D",
                                       "WorldParams::AddBuildingData - more animal lines than animal slots - E"));
}

TEST_F(Buildings, MapGridLinks)
{
    // KIOSK has its own grid; SHED and HUT have none and share grid 0 (here FIRST).
    Process(Quoted({"BUILD_SHED", "BUILD_KIOSK", "BUILD_HUT"}) +
            Record("MAPGRID", "FIRST", {{"WIDTH", "5"}, {"HEIGHT", "4"}}) +
            Record("MAPGRID", "MAPKIOSK", {{"WIDTH", "2"}, {"HEIGHT", "3"}}));
    params->LinkMapGrids();
    const BuildingInfo& kiosk = params->GetBuildingInfo(1);
    EXPECT_EQ(kiosk.pMapGrid, &params->GetMapGridInfo(1));
    EXPECT_EQ(kiosk.iGridWidth, 2);
    EXPECT_EQ(kiosk.iGridHeight, 3);
    for (int32_t id : {0, 2})
    {
        EXPECT_EQ(params->GetBuildingInfo(id).pMapGrid, &params->GetMapGridInfo(0)) << id;
        EXPECT_EQ(params->GetBuildingInfo(id).iGridWidth, 5) << id;
        EXPECT_EQ(params->GetBuildingInfo(id).iGridHeight, 4) << id;
    }
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(Buildings, WithoutAnyGridTheLinkIsAnEmptyGrid)
{
    Process(Quoted({"BUILD_SHED"}));
    params->LinkMapGrids();
    const BuildingInfo& shed = params->GetBuildingInfo(0);
    ASSERT_NE(shed.pMapGrid, nullptr);
    EXPECT_EQ(shed.pMapGrid->iWidth, 0);
    EXPECT_EQ(shed.pMapGrid->List(kSpawnPoints).count, 0);
    EXPECT_EQ(shed.iGridWidth, 0);
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(Buildings, GridsSharedOrUnlinkedAreFreedOnce)
{
    // Two types share grid 0 and a third grid belongs to no type; each grid frees its own points.
    Process(Quoted({"BUILD_A", "BUILD_B"}) +
            Record("MAPGRID", "G0", {{"NUM_SPAWNPOINTS", "2"}, {"SPAWNPOINTX", "1"}, {"SPAWNPOINTY", "2"}}) +
            Record("MAPGRID", "LOOSE", {{"NUM_EATPOINTS", "3"}}));
    params->LinkMapGrids();
    EXPECT_EQ(params->GetBuildingInfo(0).pMapGrid, params->GetBuildingInfo(1).pMapGrid);
    // Under the address checker a second free of the shared grid's points would end the test here.
    params.reset();
    EXPECT_EQ(g_pWorldParams, nullptr);
}
