// Tests of the scenery type and animal species records.
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

using tablestest::Quoted;
using tablestest::Record;
using testing::ElementsAre;
using testing::IsEmpty;

static_assert(kSceneryFurniture == 0 && kSceneryPaths == 1 && kSceneryPlants == 2 && kSceneryOrnaments == 3 &&
              kSceneryTrees == 4 && kSceneryShrubs == 5 && kSceneryBillboard == 6 && kSceneryOther == 7);
static_assert(kBuildOnLand == 0x1 && kBuildOnPath == 0x10000000 && kBuildOnQueue == 0x40000000);
static_assert(kNotPath == 0 && kFootPath == 1 && kQueuePath == 2);

namespace
{
class Scenery : public tablestest::Tables
{
};
class Animals : public tablestest::Tables
{
};
} // namespace

TEST_F(Scenery, EveryFieldReadsBack)
{
    Process(
        Record("SCENERY", "BENCH",
               {
                   {"MODEL", "bench_wood"}, {"CATEGORY", "FURNITURE"}, {"GRIDWIDTH", "2"},    {"GRIDHEIGHT", "1"},
                   {"COST2BUILD", "80"},    {"BUILDON", "Land"},       {"BUILDON", "Path"},   {"COLLIDE", "1"},
                   {"CAPACITY", "10"},      {"MENU", "Yes"},           {"ICON", "14"},        {"RATING", "0.6"},
                   {"CLEAN", "yes"},        {"WATER", "YES"},          {"PATHFLAG", "Queue"}, {"USERREMOVE", "Yes"},
                   {"VEGFLAG", "yEs"},      {"ISLITTER", "Yes"},       {"ACTIVE", "Yes"},     {"PLACE_MODE", "auto"},
                   {"ISBENCH", "Yes"},      {"SET_FLAGS", "Yes"},      {"BEAUTY", "0.4"},     {"RAIL", "yes"},
               }));
    EXPECT_THAT(Reports(), IsEmpty());
    const SceneryInfo& s = params->GetSceneryInfo(0);
    EXPECT_STREQ(s.keyword, "BENCH");
    EXPECT_STREQ(s.szModel, "bench_wood");
    EXPECT_EQ(s.iCategory, 0);
    EXPECT_EQ(s.iGridWidth, 2);
    EXPECT_EQ(s.iGridHeight, 1);
    EXPECT_EQ(s.iCost2Build, 80);
    EXPECT_EQ(s.uBuildOn, 0x10000001u);
    EXPECT_TRUE(s.bCollide);
    EXPECT_EQ(s.iCapacity, 10);
    EXPECT_TRUE(s.bMenu);
    EXPECT_EQ(s.iIcon, 14);
    EXPECT_FLOAT_EQ(s.fRating, 0.6f);
    EXPECT_TRUE(s.bClean);
    EXPECT_TRUE(s.bWater);
    EXPECT_EQ(s.iPathFlag, 2);
    EXPECT_TRUE(s.bUserRemove);
    EXPECT_TRUE(s.bVegFlag);
    EXPECT_TRUE(s.bIsLitter);
    EXPECT_TRUE(s.bActive);
    EXPECT_TRUE(s.bPlaceAuto);
    EXPECT_TRUE(s.bIsBench);
    EXPECT_TRUE(s.bSetFlags);
    EXPECT_FLOAT_EQ(s.fBeauty, 0.4f);
    EXPECT_TRUE(s.bRail);
}

TEST_F(Scenery, ChoicesAndSilentUnknowns)
{
    const char* categories[] = {"FURNITURE", "PATHS", "PLANTS", "ORNAMENTS", "TREES", "SHRUBS", "BILLBOARD", "OTHER"};
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += Record("SCENERY", "C" + std::to_string(i), {{"CATEGORY", "TREES"}, {"CATEGORY", categories[i]}});
    Process(text);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(params->GetSceneryInfo(i).iCategory, i) << categories[i];
    EXPECT_THAT(Reports(), IsEmpty());

    // BUILDON words are exact (a lower-case word adds nothing) and accumulate; PATHFLAG words are exact and an
    // unknown one keeps the field; COLLIDE is a number; an unknown field keyword is ignored without a report; an
    // unknown category is reported.
    Process(Record("SCENERY", "X",
                   {{"BUILDON", "Queue"},
                    {"BUILDON", "land"},
                    {"BUILDON", "Path"},
                    {"PATHFLAG", "Path"},
                    {"PATHFLAG", "path"},
                    {"COLLIDE", "Yes"},
                    {"CATEGORY", "SHRUBS"},
                    {"CATEGORY", "Trees"},
                    {"COLOUR", "red"},
                    {"PLACE_MODE", "Manual"}}) +
            Record("SCENERY", "Y", {{"PATHFLAG", "Path"}, {"PATHFLAG", "Not path"}, {"COLLIDE", "2"}}));
    const SceneryInfo& x = params->GetSceneryInfo(8);
    EXPECT_EQ(x.uBuildOn, 0x50000000u);
    EXPECT_EQ(x.iPathFlag, 1);
    EXPECT_FALSE(x.bCollide);
    EXPECT_EQ(x.iCategory, 5);
    EXPECT_FALSE(x.bPlaceAuto);
    EXPECT_EQ(params->GetSceneryInfo(9).iPathFlag, 0);
    EXPECT_TRUE(params->GetSceneryInfo(9).bCollide);
    EXPECT_THAT(Reports(), ElementsAre("Unknown scenery category"));
}

TEST_F(Animals, EveryFieldReadsBack)
{
    const char* reals[] = {"COST",
                           "INTENSITY",
                           "REST_DESIRE_ILL_LOW",
                           "REST_DESIRE_ILL_HIGH",
                           "REST_DESIRE_SAD_LOW",
                           "REST_DESIRE_SAD_HIGH",
                           "REST_DESIRE_HAPPY_LOW",
                           "REST_DESIRE_HAPPY_HIGH",
                           "PLAY_DESIRE_ILL_LOW",
                           "PLAY_DESIRE_ILL_HIGH",
                           "PLAY_DESIRE_SAD_LOW",
                           "PLAY_DESIRE_SAD_HIGH",
                           "PLAY_DESIRE_HAPPY_LOW",
                           "PLAY_DESIRE_HAPPY_HIGH",
                           "FOOD_DECAY",
                           "MOVE_DELAY",
                           "MOVE_SPEED"};
    std::vector<std::pair<std::string, std::string>> fields = {
        {"ANIM_NAME", "SEAL"},  {"TO_SLEEP", "nap"},        {"TO_EAT", "fish"},  {"MOVE_MULTIPLE", "Yes"},
        {"EAT_COUNT", "3"},     {"PLAY_COUNT", "4"},        {"REST_COUNT", "5"}, {"GAZ_NUMBER", "6"},
        {"USEPOINTS", "Yes"},   {"NEEDS_UNLOCKING", "Yes"}, {"MOVE_ANIMS", "7"}, {"EAT_ANIMS", "8"},
        {"PLAY_ANIMS", "9"},    {"REST_ANIMS", "10"},       {"NUM_PATHS", "11"}, {"MATCH_MESH", "Yes"},
        {"SHOW_ANIMAL", "Yes"}, {"SOUND_NAME", "bark"},
    };
    for (size_t i = 0; i < std::size(reals); ++i)
        fields.push_back({reals[i], std::to_string(i + 1) + ".5"});
    Process(Record("ANIMAL", "SEAL", fields));
    EXPECT_THAT(Reports(), IsEmpty());

    const AnimalInfo& a = params->GetAnimalInfo(0);
    EXPECT_STREQ(a.keyword, "SEAL");
    EXPECT_STREQ(a.szAnimName, "SEAL");
    EXPECT_STREQ(a.szToSleep, "nap");
    EXPECT_STREQ(a.szToEat, "fish");
    EXPECT_TRUE(a.bMoveMultiple);
    EXPECT_EQ(a.iEatCount, 3);
    EXPECT_EQ(a.iPlayCount, 4);
    EXPECT_EQ(a.iRestCount, 5);
    EXPECT_EQ(a.iGazNumber, 6);
    EXPECT_TRUE(a.bUsePoints);
    EXPECT_TRUE(a.bNeedsUnlocking);
    EXPECT_EQ(a.iMoveAnims, 7);
    EXPECT_EQ(a.iEatAnims, 8);
    EXPECT_EQ(a.iPlayAnims, 9);
    EXPECT_EQ(a.iRestAnims, 10);
    EXPECT_FALSE(a.bNoPathAnims);
    EXPECT_EQ(a.iNumPaths, 11);
    EXPECT_TRUE(a.bMatchMesh);
    EXPECT_TRUE(a.bShowAnimal);
    EXPECT_STREQ(a.szSoundName, "bark");
    const float read[] = {a.fCost,
                          a.fIntensity,
                          a.fRestDesireIllLow,
                          a.fRestDesireIllHigh,
                          a.fRestDesireSadLow,
                          a.fRestDesireSadHigh,
                          a.fRestDesireHappyLow,
                          a.fRestDesireHappyHigh,
                          a.fPlayDesireIllLow,
                          a.fPlayDesireIllHigh,
                          a.fPlayDesireSadLow,
                          a.fPlayDesireSadHigh,
                          a.fPlayDesireHappyLow,
                          a.fPlayDesireHappyHigh,
                          a.fFoodDecay,
                          a.fMoveDelay,
                          a.fMoveSpeed};
    static_assert(std::size(read) == std::size(reals));
    for (size_t i = 0; i < std::size(reals); ++i)
        EXPECT_FLOAT_EQ(read[i], static_cast<float>(i + 1) + 0.5f) << reals[i];
}

TEST_F(Animals, PathAnimationFlagAndFlagWords)
{
    // No _ANIMS lines, or all of them 0, keep the no-path-animations flag; one count other than 0 clears it for
    // good, even when set back to 0.
    std::string text =
        Quoted({"ANIMAL_NONE"}) +
        Record("ANIMAL", "ZEROS", {{"MOVE_ANIMS", "0"}, {"EAT_ANIMS", "0"}, {"PLAY_ANIMS", "0"}, {"REST_ANIMS", "0"}}) +
        Record("ANIMAL", "BACK", {{"MOVE_ANIMS", "3"}, {"MOVE_ANIMS", "0"}, {"USEPOINTS", "yes"}});
    const char* counts[] = {"EAT_ANIMS", "PLAY_ANIMS", "REST_ANIMS"};
    for (size_t i = 0; i < std::size(counts); ++i)
        text += Record("ANIMAL", "ONE" + std::to_string(i), {{counts[i], "-1"}});
    Process(text + Record("ANIMAL", "Q", {{"LEGS", "4"}}));
    EXPECT_TRUE(params->GetAnimalInfo(0).bNoPathAnims);
    EXPECT_TRUE(params->GetAnimalInfo(1).bNoPathAnims);
    EXPECT_FALSE(params->GetAnimalInfo(2).bNoPathAnims);
    EXPECT_EQ(params->GetAnimalInfo(2).iMoveAnims, 0);
    EXPECT_FALSE(params->GetAnimalInfo(2).bUsePoints);
    for (int32_t id = 3; id < 6; ++id)
        EXPECT_FALSE(params->GetAnimalInfo(id).bNoPathAnims) << id;
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddAnimalData - unrecognised animal keyword - LEGS"));
}
