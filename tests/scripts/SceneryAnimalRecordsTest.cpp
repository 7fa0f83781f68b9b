// Tests of the scenery type and animal species records.
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
class Scenery : public tablestest::Tables
{
};
class Animals : public tablestest::Tables
{
};
} // namespace

TEST_F(Scenery, EveryFieldReadsBackAndFlagsTakeYesInAnyCase)
{
    Process(Record("SCENERY", "BENCH",
                   "MODEL=bench_wood|CATEGORY=FURNITURE|GRIDWIDTH=2|GRIDHEIGHT=1|COST2BUILD=80|BUILDON=Land|"
                   "BUILDON=Path|COLLIDE=1|CAPACITY=10|MENU=Yes|ICON=14|RATING=0.5|CLEAN=yes|WATER=YES|PATHFLAG=Queue|"
                   "USERREMOVE=Yes|VEGFLAG=yEs|ISLITTER=Yes|ACTIVE=Yes|PLACE_MODE=auto|ISBENCH=Yes|SET_FLAGS=Yes|"
                   "BEAUTY=0.25|RAIL=yes") +
            Record("SCENERY", "NO", "MENU=No|CLEAN=Yess"));
    EXPECT_THAT(Reports(), IsEmpty());
    const SceneryInfo& s = params->GetSceneryInfo(0);
    EXPECT_EQ(std::tuple(S(s.keyword), S(s.szModel), s.iCategory, s.iGridWidth, s.iGridHeight, s.iCost2Build,
                         s.uBuildOn, s.bCollide, s.iCapacity, s.bMenu, s.iIcon, s.fRating),
              std::tuple("BENCH", "bench_wood", 0, 2, 1, 80, 0x10000001u, true, 10, true, 14, 0.5f));
    EXPECT_EQ(std::tuple(s.bClean, s.bWater, s.iPathFlag, s.bUserRemove, s.bVegFlag, s.bIsLitter, s.bActive,
                         s.bPlaceAuto, s.bIsBench, s.bSetFlags, s.fBeauty, s.bRail),
              std::tuple(true, true, 2, true, true, true, true, true, true, true, 0.25f, true));
    EXPECT_EQ(std::tuple(params->GetSceneryInfo(1).bMenu, params->GetSceneryInfo(1).bClean), std::tuple(false, false));
}

TEST_F(Scenery, ChoicesAndSilentUnknowns)
{
    const char* categories[] = {"FURNITURE", "PATHS", "PLANTS", "ORNAMENTS", "TREES", "SHRUBS", "BILLBOARD", "OTHER"};
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += Record("SCENERY", "C" + std::to_string(i), std::string("CATEGORY=TREES|CATEGORY=") + categories[i]);
    Process(text);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(params->GetSceneryInfo(i).iCategory, i) << categories[i];
    EXPECT_THAT(Reports(), IsEmpty());

    // BUILDON words are exact (a lower-case word adds nothing) and accumulate; PATHFLAG words are exact and an
    // unknown one keeps the field; COLLIDE is a number; an unknown field keyword is ignored without a report; an
    // unknown category is reported.
    Process(Record("SCENERY", "X",
                   "BUILDON=Queue|BUILDON=land|BUILDON=Path|PATHFLAG=Path|PATHFLAG=path|COLLIDE=Yes|CATEGORY=SHRUBS|"
                   "CATEGORY=Trees|COLOUR=red|PLACE_MODE=Manual") +
            Record("SCENERY", "Y", "PATHFLAG=Path|PATHFLAG=Not path|COLLIDE=2"));
    const SceneryInfo& x = params->GetSceneryInfo(8);
    const SceneryInfo& y = params->GetSceneryInfo(9);
    EXPECT_EQ(std::tuple(x.uBuildOn, x.iPathFlag, x.bCollide, x.iCategory, x.bPlaceAuto, y.iPathFlag, y.bCollide),
              std::tuple(0x50000000u, 1, false, 5, false, 0, true));
    EXPECT_THAT(Reports(), ElementsAre("Unknown scenery category"));
}

TEST_F(Scenery, FootprintsBeyondWhatAPlacedObjectHoldsAreRefused)
{
    // A placed scenery object holds at most 255 cells a side. A width or height outside 0 to 255 is reported and
    // leaves the field at its earlier value (3); the ends of the range are taken.
    struct Row
    {
        const char* value;
        int32_t stored;
        bool reported;
    };
    const Row rows[] = {
        {"0", 0, false}, {"255", 255, false}, {"256", 3, true},
        {"-1", 3, true}, {"100000", 3, true}, {"99999999999", 3, true},
    };
    for (const char* field : {"GRIDWIDTH", "GRIDHEIGHT"})
    {
        for (const Row& row : rows)
        {
            sink.boxes.clear();
            params = std::make_unique<WorldParams>();
            Process(Record("SCENERY", "ROCK", {{field, "3"}, {field, row.value}}));
            const SceneryInfo& rock = params->GetSceneryInfo(0);
            EXPECT_EQ(std::string(field) == "GRIDWIDTH" ? rock.iGridWidth : rock.iGridHeight, row.stored)
                << field << " " << row.value;
            if (row.reported)
            {
                EXPECT_THAT(Reports(), ElementsAre(std::string("WorldParams::AddSceneryData - ") + field +
                                                   " out of range (0 to 255) - " + row.value))
                    << field << " " << row.value;
            }
            else
            {
                EXPECT_THAT(Reports(), IsEmpty()) << field << " " << row.value;
            }
        }
    }
}

TEST_F(Animals, EveryFieldReadsBack)
{
    Process(Record("ANIMAL", "SEAL",
                   "ANIM_NAME=SEAL|TO_SLEEP=nap|TO_EAT=fish|MOVE_MULTIPLE=Yes|EAT_COUNT=3|PLAY_COUNT=4|REST_COUNT=5|"
                   "GAZ_NUMBER=6|USEPOINTS=Yes|NEEDS_UNLOCKING=Yes|MOVE_ANIMS=7|EAT_ANIMS=8|PLAY_ANIMS=9|REST_ANIMS=10|"
                   "NUM_PATHS=11|MATCH_MESH=Yes|SHOW_ANIMAL=Yes|SOUND_NAME=bark|COST=1.5|INTENSITY=2.5|"
                   "REST_DESIRE_ILL_LOW=3.5|REST_DESIRE_ILL_HIGH=4.5|REST_DESIRE_SAD_LOW=5.5|REST_DESIRE_SAD_HIGH=6.5|"
                   "REST_DESIRE_HAPPY_LOW=7.5|REST_DESIRE_HAPPY_HIGH=8.5|PLAY_DESIRE_ILL_LOW=9.5|"
                   "PLAY_DESIRE_ILL_HIGH=10.5|PLAY_DESIRE_SAD_LOW=11.5|PLAY_DESIRE_SAD_HIGH=12.5|"
                   "PLAY_DESIRE_HAPPY_LOW=13.5|PLAY_DESIRE_HAPPY_HIGH=14.5|FOOD_DECAY=15.5|MOVE_DELAY=16.5|"
                   "MOVE_SPEED=17.5"));
    EXPECT_THAT(Reports(), IsEmpty());
    const AnimalInfo& a = params->GetAnimalInfo(0);
    EXPECT_EQ(std::tuple(S(a.keyword), S(a.szAnimName), S(a.szToSleep), S(a.szToEat), a.bMoveMultiple, a.iEatCount,
                         a.iPlayCount, a.iRestCount, a.iGazNumber, a.bUsePoints, a.bNeedsUnlocking, a.iMoveAnims),
              std::tuple("SEAL", "SEAL", "nap", "fish", true, 3, 4, 5, 6, true, true, 7));
    EXPECT_EQ(std::tuple(a.iEatAnims, a.iPlayAnims, a.iRestAnims, a.bNoPathAnims, a.iNumPaths, a.bMatchMesh,
                         a.bShowAnimal, S(a.szSoundName)),
              std::tuple(8, 9, 10, false, 11, true, true, "bark"));
    EXPECT_EQ(std::tuple(a.fCost, a.fIntensity, a.fRestDesireIllLow, a.fRestDesireIllHigh, a.fRestDesireSadLow,
                         a.fRestDesireSadHigh, a.fRestDesireHappyLow, a.fRestDesireHappyHigh, a.fPlayDesireIllLow),
              std::tuple(1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f, 7.5f, 8.5f, 9.5f));
    EXPECT_EQ(std::tuple(a.fPlayDesireIllHigh, a.fPlayDesireSadLow, a.fPlayDesireSadHigh, a.fPlayDesireHappyLow,
                         a.fPlayDesireHappyHigh, a.fFoodDecay, a.fMoveDelay, a.fMoveSpeed),
              std::tuple(10.5f, 11.5f, 12.5f, 13.5f, 14.5f, 15.5f, 16.5f, 17.5f));
}

TEST_F(Animals, RoundCountsBelowZeroAreRefused)
{
    // The eat, play and rest counts are rounds an animal counts down; one below 0 is reported and leaves the count
    // at its earlier value (2), while 0 and larger counts are taken.
    struct Row
    {
        const char* value;
        int32_t stored;
        bool reported;
    };
    const Row rows[] = {{"0", 0, false}, {"9", 9, false}, {"-1", 2, true}, {"-2147483648", 2, true}};
    const std::pair<const char*, int32_t AnimalInfo::*> fields[] = {{"EAT_COUNT", &AnimalInfo::iEatCount},
                                                                    {"PLAY_COUNT", &AnimalInfo::iPlayCount},
                                                                    {"REST_COUNT", &AnimalInfo::iRestCount}};
    for (const auto& [field, member] : fields)
    {
        for (const Row& row : rows)
        {
            sink.boxes.clear();
            params = std::make_unique<WorldParams>();
            Process(Record("ANIMAL", "SEAL", {{field, "2"}, {field, row.value}}));
            EXPECT_EQ(params->GetAnimalInfo(0).*member, row.stored) << field << " " << row.value;
            if (row.reported)
            {
                EXPECT_THAT(Reports(), ElementsAre(std::string("WorldParams::AddAnimalData - ") + field +
                                                   " below 0 - " + row.value))
                    << field << " " << row.value;
            }
            else
            {
                EXPECT_THAT(Reports(), IsEmpty()) << field << " " << row.value;
            }
        }
    }
}

TEST_F(Animals, PathAnimationFlagAndFlagWords)
{
    // No _ANIMS lines, or all of them 0, keep the no-path-animations flag; one count other than 0 clears it for
    // good, even when set back to 0; flags want "Yes" exactly.
    std::string text = Quoted({"ANIMAL_NONE"}) +
                       Record("ANIMAL", "ZEROS", "MOVE_ANIMS=0|EAT_ANIMS=0|PLAY_ANIMS=0|REST_ANIMS=0") +
                       Record("ANIMAL", "BACK", "MOVE_ANIMS=3|MOVE_ANIMS=0|USEPOINTS=yes");
    const char* counts[] = {"EAT_ANIMS", "PLAY_ANIMS", "REST_ANIMS"};
    for (int i = 0; i < 3; ++i)
        text += Record("ANIMAL", "ONE" + std::to_string(i), std::string(counts[i]) + "=-1");
    Process(text + Record("ANIMAL", "Q", "LEGS=4"));
    std::vector<bool> noPathAnims;
    for (int32_t id = 0; id < 6; ++id)
        noPathAnims.push_back(params->GetAnimalInfo(id).bNoPathAnims);
    EXPECT_EQ(noPathAnims, (std::vector<bool>{true, true, false, false, false, false}));
    EXPECT_EQ(std::tuple(params->GetAnimalInfo(2).iMoveAnims, params->GetAnimalInfo(2).bUsePoints),
              std::tuple(0, false));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddAnimalData - unrecognised animal keyword - LEGS"));
}

TEST_F(Animals, PhotoFrameIsReadAndAbsentMeansNoPhoto)
{
    // The photo frame picks the species' picture in the animal photos; a species that names none has none (-1),
    // not the first photo.
    Process(Record("ANIMAL", "SEAL", "PHOTO_FRAME=3") + Record("ANIMAL", "OTTER", "COST=5") +
            Record("ANIMAL", "TURTLE", "PHOTO_FRAME=0"));
    EXPECT_THAT(Reports(), IsEmpty());
    EXPECT_EQ(std::tuple(params->GetAnimalInfo(0).iPhotoFrame, params->GetAnimalInfo(1).iPhotoFrame,
                         params->GetAnimalInfo(2).iPhotoFrame),
              std::tuple(3, -1, 0));
}
