// Tests of the building type records: every field read back, flag words, attraction categories, ride words,
// animal lines and the links to the map grids.
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

#include <tuple>

using tablestest::Quoted;
using tablestest::Record;
using tablestest::S;
using testing::ElementsAre;
using testing::IsEmpty;

namespace
{
class Buildings : public tablestest::Tables
{
};
} // namespace

TEST_F(Buildings, EveryFieldReadsBackAndUnsetFieldsAreZero)
{
    Process(Record("BUILD", "ARENA",
                   "MENU=MenuArena|MENU_ATTACH=Yes|ICON=12|COST2BUILD=4500|GUESTCAPACITY=30|MAXINSTANCES=2|"
                   "ATTRACT_CAT_1=SHOW|ATTRACT_BASE_INTEN_1=0.75|ATTRACT_PRICE_1=12.5|ATTRACT_COST_1=1.25|"
                   "ATTRACT_ID_1=ArenaTicket|ANIMAL_1=SEAL|ANIMAL_2=OTTER|ANIMAL_3=TURTLE|ANIMAL_1_FIXED=1|"
                   "ANIMAL_2_FIXED=2|ANIMAL_3_FIXED=3|OPTIMUM_ANIMAL_IN=1.5|MAXIMUM_ANIMAL_IN=3.5|HAS_STAFF=Yes|"
                   "TREE=ENTRANCE|SERVE_AT_ONCE=Yes|SERVE_TIME_MIN=2.5|SERVE_TIME_MAX=6|STAFF_ID=SERVE3|"
                   "RIDE_TYPE=AnimalShow|RIDE_MODEL=arena_ride|RIDE_ANIM=splash|ROOF_TYPE=COVERED|CUTAWAY_ROOF=Yes|"
                   "HAS_CROWD=Yes|USER_BUILD=Yes|CAN_BREAKDOWN=Yes|REPAIR_DECAY=0.05|SHOWENTER=Yes|"
                   "TABLE_MODEL=bench_t|NEEDS_UNLOCKING=Yes|FOLLOW_GUEST=Yes|HAS_SCHEDULER=Yes|SHOW_NAME=SEALSHOW|"
                   "MAX_SHOWMOVES=6|MIN_SHOWMOVES=2|VIEWPOINT=watch|VIEWPOINT_COUNT=8|VIEWPOINT2=cheer|"
                   "VIEWPOINT_COUNT2=4|KEEP_GUESTS=Yes") +
            Quoted({"BUILD_PLAIN"}));
    EXPECT_THAT(Reports(), IsEmpty());
    const BuildingInfo& b = params->GetBuildingInfo(0);
    EXPECT_EQ(std::tuple(b.id, S(b.keyword), S(b.szMenu), b.bMenuAttach, b.iIcon, b.iAttractClass, b.iCost2Build,
                         b.iGuestCapacity, b.iMaxInstances, b.iAttractCategory, b.fAttractBaseIntensity,
                         b.fAttractPrice, b.fAttractCost, S(b.szAttractID)),
              std::tuple(0, "ARENA", "MenuArena", true, 12, int32_t{kClassAnimal}, 4500, 30, 2, 9, 0.75f, 12.5f, 1.25f,
                         "ArenaTicket"));
    EXPECT_EQ(std::tuple(b.iAnimalSlotCount, S(b.szAnimal[0]), S(b.szAnimal[1]), S(b.szAnimal[2]), b.iAnimalFixed[0],
                         b.iAnimalFixed[1], b.iAnimalFixed[2], b.bHasAnimals, b.fOptimumAnimalIn, b.fMaximumAnimalIn),
              std::tuple(3, "SEAL", "OTTER", "TURTLE", 1, 2, 3, true, 1.5f, 3.5f));
    EXPECT_EQ(std::tuple(b.iHasStaff, S(b.szTree), b.bServeAtOnce, b.fServeTimeMin, b.fServeTimeMax, S(b.szStaffID),
                         b.iRideType, S(b.szRideModel), S(b.szRideAnim), b.bCovered, b.bCutawayRoof, b.bHasCrowd),
              std::tuple(1, "ENTRANCE", true, 2.5f, 6.0f, "SERVE3", 3, "arena_ride", "splash", true, true, true));
    EXPECT_EQ(std::tuple(b.bUserBuild, b.bCanBreakdown, b.fRepairDecay, b.bShowEnter, S(b.szTableModel),
                         b.bNeedsUnlocking, b.IsAvailable(), b.bFollowGuest, b.bHasScheduler, S(b.szShowName),
                         b.iMaxShowMoves, b.iMinShowMoves),
              std::tuple(true, true, 0.05f, true, "bench_t", true, false, true, true, "SEALSHOW", 6, 2));
    EXPECT_EQ(std::tuple(S(b.szViewPoint), b.iViewPointCount, S(b.szViewPoint2), b.iViewPointCount2, b.bKeepGuests,
                         b.bUpgraded),
              std::tuple("watch", 8, "cheer", 4, true, false));
    const BuildingInfo& plain = params->GetBuildingInfo(1);
    EXPECT_EQ(std::tuple(S(plain.szMenu), plain.iAnimalSlotCount, plain.bHasAnimals, plain.bCanBreakdown,
                         plain.iHasStaff, plain.pMapGrid, plain.IsAvailable(), plain.iAttractCategory, plain.iRideType),
              std::tuple("", 0, false, false, 0, nullptr, true, 0, 0));
}

TEST_F(Buildings, FlagWordsWantYesExactlyAndLaterLinesReplaceEarlierOnes)
{
    // HAS_STAFF is 1 or 0 and ROOF_TYPE wants COVERED exactly too.
    Process(Record("BUILD", "A",
                   "MENU_ATTACH=yes|HAS_STAFF=Yes|HAS_STAFF=YES|ROOF_TYPE=COVERED|ROOF_TYPE=Covered|ICON=1|ICON=2|"
                   "USER_BUILD=Yes|USER_BUILD=No|HAS_CROWD=Yes") +
            Record("BUILD", "B", "HAS_STAFF=Yes|ROOF_TYPE=COVERED"));
    const BuildingInfo& a = params->GetBuildingInfo(0);
    const BuildingInfo& b = params->GetBuildingInfo(1);
    EXPECT_EQ(
        std::tuple(a.bMenuAttach, a.iHasStaff, a.bCovered, a.iIcon, a.bUserBuild, a.bHasCrowd, b.iHasStaff, b.bCovered),
        std::tuple(false, 0, false, 2, false, true, 1, true));
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(Buildings, AttractionCategoriesClassesAndRideTypes)
{
    // word, category, the class (build-panel group) it gives; the class starts at 2 (MEALS) here so that every row
    // shows a change or a kept value.
    const std::tuple<const char*, int32_t, int32_t>
        rows[] =
            {
                {"AMUSEMENT", 1, 1}, {"ANIMAL", 2, 0}, {"SNACKS", 3, 2}, {"MEALS", 4, 2},
                {"PARK", 5, 3},      {"RETAIL", 6, 3}, {"RIDE", 7, 1},   {"TOILET", 8, 3},
                {"SHOW", 9, 0},      {"CASH", 10, 3},  {"Meals", 0, 2}, // an unknown word (or one in another case):
                                                                        // category 0, the class kept, no report
            };
    for (const auto& [word, category, attractClass] : rows)
    {
        params = std::make_unique<WorldParams>();
        Process(Record("BUILD", "T", std::string("ATTRACT_CAT_1=MEALS|ATTRACT_CAT_1=") + word));
        EXPECT_EQ(std::tuple(params->GetBuildingInfo(0).iAttractCategory, params->GetBuildingInfo(0).iAttractClass,
                             WorldParams::GetAttractionCategory(word)),
                  std::tuple(category, attractClass, category))
            << word;
    }
    EXPECT_EQ(WorldParams::GetAttractionCategory(nullptr), 0);
    for (const auto& [word, type] : {std::pair{"None", 0}, {"Time", 1}, {"Anim", 2}, {"AnimalShow", 3}})
    {
        params = std::make_unique<WorldParams>();
        Process(Record("BUILD", "R", std::string("RIDE_TYPE=Anim|RIDE_TYPE=") + word));
        EXPECT_EQ(params->GetBuildingInfo(0).iRideType, type) << word;
    }
    EXPECT_THAT(Reports(), IsEmpty());
    Process(Record("BUILD", "S", "RIDE_TYPE=Time|RIDE_TYPE=time|COLOUR=red"));
    EXPECT_EQ(params->GetBuildingInfo(1).iRideType, 1);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddBuildingData - unrecognised ride type - time",
                                       "WorldParams::AddBuildingData - unrecognised building keyword - COLOUR"));
}

TEST_F(Buildings, AnimalLinesCountLinesUpToThreeSlots)
{
    // A repeated line counts again; a fourth line is refused with a report, so the count never passes the slots.
    Process(Record("BUILD", "POOL", "ANIMAL_1=SEAL|ANIMAL_1=OTTER") +
            Record("BUILD", "TANK", "ANIMAL_1=A|ANIMAL_2=B|ANIMAL_3=C|ANIMAL_2=D|ANIMAL_3=E"));
    const BuildingInfo& pool = params->GetBuildingInfo(0);
    const BuildingInfo& tank = params->GetBuildingInfo(1);
    EXPECT_EQ(std::tuple(pool.iAnimalSlotCount, S(pool.szAnimal[0]), S(pool.szAnimal[1]), pool.bHasAnimals),
              std::tuple(2, "OTTER", "", true));
    EXPECT_EQ(std::tuple(tank.iAnimalSlotCount, S(tank.szAnimal[0]), S(tank.szAnimal[1]), S(tank.szAnimal[2])),
              std::tuple(3, "A", "D", "E"));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddBuildingData - more animal lines than animal slots - D",
                                       "WorldParams::AddBuildingData - more animal lines than animal slots - E"));
}

TEST_F(Buildings, MapGridLinks)
{
    // KIOSK has its own grid; SHED and HUT have none and share grid 0 (here FIRST).
    Process(Quoted({"BUILD_SHED", "BUILD_KIOSK", "BUILD_HUT"}) + Record("MAPGRID", "FIRST", "WIDTH=5|HEIGHT=4") +
            Record("MAPGRID", "MAPKIOSK", "WIDTH=2|HEIGHT=3"));
    params->LinkMapGrids();
    const BuildingInfo& kiosk = params->GetBuildingInfo(1);
    EXPECT_EQ(std::tuple(kiosk.pMapGrid, kiosk.iGridWidth, kiosk.iGridHeight),
              std::tuple(&params->GetMapGridInfo(1), 2, 3));
    for (int32_t id : {0, 2})
    {
        const BuildingInfo& b = params->GetBuildingInfo(id);
        EXPECT_EQ(std::tuple(b.pMapGrid, b.iGridWidth, b.iGridHeight), std::tuple(&params->GetMapGridInfo(0), 5, 4));
    }
    EXPECT_THAT(Reports(), IsEmpty());
    // Without any grid the link is an empty grid.
    params = std::make_unique<WorldParams>();
    Process(Quoted({"BUILD_SHED"}));
    params->LinkMapGrids();
    const BuildingInfo& shed = params->GetBuildingInfo(0);
    ASSERT_NE(shed.pMapGrid, nullptr);
    EXPECT_EQ(std::tuple(shed.pMapGrid->iWidth, shed.pMapGrid->List(kSpawnPoints).count, shed.iGridWidth),
              std::tuple(0, 0, 0));
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(Buildings, GridsSharedOrUnlinkedAreFreedOnce)
{
    // Two types share grid 0 and a third grid belongs to no type; each grid frees its own points.
    Process(Quoted({"BUILD_A", "BUILD_B"}) + Record("MAPGRID", "G0", "NUM_SPAWNPOINTS=2|SPAWNPOINTX=1|SPAWNPOINTY=2") +
            Record("MAPGRID", "LOOSE", "NUM_EATPOINTS=3"));
    params->LinkMapGrids();
    EXPECT_EQ(params->GetBuildingInfo(0).pMapGrid, params->GetBuildingInfo(1).pMapGrid);
    // Under the address checker a second free of the shared grid's points would end the test here.
    params.reset();
    EXPECT_EQ(g_pWorldParams, nullptr);
}
