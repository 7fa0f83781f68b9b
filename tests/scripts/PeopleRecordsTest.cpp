// Tests of the guest type records, the name lists and the built-in staff types.
#include "platform/Random.h"
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

#include <set>

using tablestest::Quoted;
using tablestest::Record;
using testing::ElementsAre;
using testing::IsEmpty;

static_assert(kMale == 0 && kFemale == 1);
static_assert(kStaffServer == 0 && kStaffCleaner == 5 && kStaffZooKeeper == 6 && kStaffMechanic == 7);

namespace
{
class People : public tablestest::Tables
{
};
} // namespace

TEST_F(People, EveryGuestFieldReadsBack)
{
    // Every real field gets its own value: 0.01 times its place in this list.
    const char* reals[] = {"MONEY",
                           "LITTER",
                           "BLADDER",
                           "MEALS_DESIRE_MIN",
                           "MEALS_DESIRE_MAX",
                           "SNACKS_DESIRE_MIN",
                           "SNACKS_DESIRE_MAX",
                           "REST_DESIRE_MIN",
                           "REST_DESIRE_MAX",
                           "ANIMAL_SHOW_DESIRE_MIN",
                           "ANIMAL_SHOW_DESIRE_MAX",
                           "ANIMAL_ATTRAC_DESIRE_MIN",
                           "ANIMAL_ATTRAC_DESIRE_MAX",
                           "AMUSE_DESIRE_MIN",
                           "AMUSE_DESIRE_MAX",
                           "RIDE_DESIRE_MIN",
                           "RIDE_DESIRE_MAX",
                           "RETAIL_DESIRE_MIN",
                           "RETAIL_DESIRE_MAX",
                           "MEALS_PREF_INTEN",
                           "SNACKS_PREF_INTEN",
                           "ANIMAL_ATTRACT_PREF_INTEN",
                           "ANIMAL_SHOW_PREF_INTEN",
                           "AMUSE_PREF_INTEN",
                           "RIDE_PREF_INTEN",
                           "RETAIL_PREF_INTEN",
                           "BEAUTY_EFFECT_BAD",
                           "BEAUTY_EFFECT_GOOD",
                           "CROWD_EFFECT_BAD",
                           "CROWD_EFFECT_GOOD",
                           "ANIMAL_EFFECT_BAD",
                           "ANIMAL_EFFECT_GOOD",
                           "PRICE_EFFECT_BAD",
                           "PRICE_EFFECT_GOOD",
                           "VARIETY_EFFECT_BAD",
                           "VARIETY_EFFECT_GOOD",
                           "CLEAN_EFFECT_BAD",
                           "CLEAN_EFFECT_GOOD",
                           "BEAUTY_TOL_LOW",
                           "BEAUTY_TOL_HIGH",
                           "ANIMAL_TOL_LOW",
                           "ANIMAL_TOL_HIGH",
                           "PRICE_TOL_LOW",
                           "PRICE_TOL_HIGH",
                           "CLEAN_TOL_LOW",
                           "CLEAN_TOL_HIGH"};
    std::vector<std::pair<std::string, std::string>> fields = {
        {"MODEL", "visitor_a"}, {"ANIM_NAME", "VISITOR"}, {"GENDER", "F"}, {"PHOTO_FRAME", "17"}};
    for (size_t i = 0; i < std::size(reals); ++i)
        fields.push_back({reals[i], std::to_string(i + 1) + "e-2"});
    Process(Record("GUEST", "VISITOR", fields));
    EXPECT_THAT(Reports(), IsEmpty());

    const GuestInfo& g = params->GetGuestInfo(0);
    EXPECT_STREQ(g.keyword, "VISITOR");
    EXPECT_STREQ(g.szModel, "visitor_a");
    EXPECT_STREQ(g.szAnimName, "VISITOR");
    EXPECT_EQ(g.iGender, 1);
    EXPECT_EQ(g.iPhotoFrame, 17);
    const float read[] = {g.fMoney,
                          g.fLitter,
                          g.fBladder,
                          g.fMealsDesireMin,
                          g.fMealsDesireMax,
                          g.fSnacksDesireMin,
                          g.fSnacksDesireMax,
                          g.fRestDesireMin,
                          g.fRestDesireMax,
                          g.fAnimalShowDesireMin,
                          g.fAnimalShowDesireMax,
                          g.fAnimalAttracDesireMin,
                          g.fAnimalAttracDesireMax,
                          g.fAmuseDesireMin,
                          g.fAmuseDesireMax,
                          g.fRideDesireMin,
                          g.fRideDesireMax,
                          g.fRetailDesireMin,
                          g.fRetailDesireMax,
                          g.fMealsPrefInten,
                          g.fSnacksPrefInten,
                          g.fAnimalAttractPrefInten,
                          g.fAnimalShowPrefInten,
                          g.fAmusePrefInten,
                          g.fRidePrefInten,
                          g.fRetailPrefInten,
                          g.fBeautyEffectBad,
                          g.fBeautyEffectGood,
                          g.fCrowdEffectBad,
                          g.fCrowdEffectGood,
                          g.fAnimalEffectBad,
                          g.fAnimalEffectGood,
                          g.fPriceEffectBad,
                          g.fPriceEffectGood,
                          g.fVarietyEffectBad,
                          g.fVarietyEffectGood,
                          g.fCleanEffectBad,
                          g.fCleanEffectGood,
                          g.fBeautyTolLow,
                          g.fBeautyTolHigh,
                          g.fAnimalTolLow,
                          g.fAnimalTolHigh,
                          g.fPriceTolLow,
                          g.fPriceTolHigh,
                          g.fCleanTolLow,
                          g.fCleanTolHigh};
    static_assert(std::size(read) == std::size(reals));
    for (size_t i = 0; i < std::size(reals); ++i)
        EXPECT_FLOAT_EQ(read[i], 0.01f * static_cast<float>(i + 1)) << reals[i];
}

TEST_F(People, GenderCodesAndUnknownKeywords)
{
    Process(Record("GUEST", "A", {{"GENDER", "F"}, {"GENDER", "m"}, {"GENDER", "Male"}, {"HAIR", "red"}}) +
            Record("GUEST", "B", {{"GENDER", "F"}, {"GENDER", "M"}}));
    EXPECT_EQ(params->GetGuestInfo(0).iGender, 1);
    EXPECT_EQ(params->GetGuestInfo(1).iGender, 0);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddGuestData - illegal gender code (not M/F) - m",
                                       "WorldParams::AddGuestData - illegal gender code (not M/F) - Male",
                                       "WorldParams::AddGuestData - unrecognised keyword - HAIR"));
}

TEST_F(People, NameListsTakeTheRestOfTheToken)
{
    Process(Quoted({"MALENAME_Anna", "FEMALENAME_Bea", "SURNAME_Mac_Ivor", "SURNAME_Odd", "MALENAME_"}));
    const NameLists& names = params->GetNameLists();
    EXPECT_EQ(names.numMaleNames, 2u);
    EXPECT_STREQ(names.maleNames[0], "Anna");
    EXPECT_STREQ(names.maleNames[1], "");
    EXPECT_EQ(names.numFemaleNames, 1u);
    EXPECT_STREQ(names.femaleNames[0], "Bea");
    EXPECT_EQ(names.numSurnames, 2u);
    EXPECT_STREQ(names.surnames[0], "Mac_Ivor");
    EXPECT_STREQ(names.surnames[1], "Odd");
    params->AddNameData("NICKNAME", "Zed");
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddNameData - unrecognised comment keyword - NICKNAME"));
}

TEST_F(People, NameListLimits)
{
    // 140, 140 and 600 names fit; one more is refused; a name is cut to 63 characters.
    std::string text;
    for (int i = 0; i <= 140; ++i)
        text += Quoted({"MALENAME_m" + std::to_string(i), "FEMALENAME_f" + std::to_string(i)});
    for (int i = 0; i <= 600; ++i)
        text += Quoted({"SURNAME_s" + std::to_string(i)});
    Process(text);
    const NameLists& names = params->GetNameLists();
    EXPECT_EQ(names.numMaleNames, 140u);
    EXPECT_EQ(names.numFemaleNames, 140u);
    EXPECT_EQ(names.numSurnames, 600u);
    EXPECT_STREQ(names.maleNames[139], "m139");
    EXPECT_STREQ(names.surnames[599], "s599");
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddNameData - name list full (140 names) - m140",
                                       "WorldParams::AddNameData - name list full (140 names) - f140",
                                       "WorldParams::AddNameData - name list full (600 names) - s600"));

    sink.boxes.clear();
    params = std::make_unique<WorldParams>();
    Process(Quoted({"SURNAME_" + std::string(70, 'x')}));
    EXPECT_EQ(params->GetNameLists().surnames[0], std::string(63, 'x'));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddNameData - text too long for SURNAME, cut to 63 characters - " +
                                       std::string(70, 'x')));
}

TEST_F(People, RandomNamesDrawFromTheirList)
{
    Process(Quoted({"MALENAME_Al", "MALENAME_Bo", "MALENAME_Cy", "FEMALENAME_Di", "SURNAME_Ek", "SURNAME_Fu"}));
    // With seed 5 the first draws of the generator are known from its own rule (state * 214013 + 2531011).
    uint32_t state = 5;
    auto next = [&]()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    };
    platform::SRand(5);
    const char* male[] = {"Al", "Bo", "Cy"};
    const char* surnames[] = {"Ek", "Fu"};
    for (int i = 0; i < 20; ++i)
    {
        EXPECT_STREQ(params->GetRandomFirstName(kMale), male[next() % 3]);
        EXPECT_STREQ(params->GetRandomFirstName(kFemale), "Di");
        next();
        EXPECT_STREQ(params->GetRandomSurname(), surnames[next() % 2]);
    }
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(People, EmptyNameListsGiveAnEmptyNameOnce)
{
    // No list has a name: every draw is the empty name, and each list is reported the first time only.
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_STREQ(params->GetRandomFirstName(kMale), "");
        EXPECT_STREQ(params->GetRandomFirstName(kFemale), "");
        EXPECT_STREQ(params->GetRandomSurname(), "");
    }
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::GetRandomFirstName - name list is empty - MALENAME",
                                       "WorldParams::GetRandomFirstName - name list is empty - FEMALENAME",
                                       "WorldParams::GetRandomSurname - name list is empty - SURNAME"));
    // A list of one name always gives that name.
    Process(Quoted({"MALENAME_Solo", "FEMALENAME_Una", "SURNAME_Lone"}));
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_STREQ(params->GetRandomFirstName(kMale), "Solo");
        EXPECT_STREQ(params->GetRandomFirstName(kFemale), "Una");
        EXPECT_STREQ(params->GetRandomSurname(), "Lone");
    }
    EXPECT_EQ(Reports().size(), 3u);
}

TEST_F(People, BuiltInStaffTypes)
{
    // Data lines cannot add staff: the table holds the eight built-in rows, whatever the scripts contain.
    Process(Quoted({"STAFF_EXTRA", "MECHANIC_WAGE", "5"}));
    sink.boxes.clear();
    params->AddBuiltInStaff();
    struct Row
    {
        const char* keyword;
        int32_t gender;
        int32_t type;
        const char* model;
        const char* anim;
    };
    const Row rows[] = {
        {"SERVE1", 0, 0, "SERVE1_mesh", "SERVE1"},      {"SERVE2", 0, 0, "SERVE2_mesh", "SERVE2"},
        {"SERVE3", 0, 0, "SERVE3_mesh", "SERVE3"},      {"SERVE4", 0, 0, "SERVE4_mesh", "SERVE4"},
        {"SERVE5", 0, 0, "SERVE5_mesh", "SERVE5"},      {"MECHANIC", 0, 7, "mechanic_mesh", "MECHANIC"},
        {"CLEANER", 1, 5, "cleaner_f_mesh", "CLEANER"}, {"ZOOKEEPER", 0, 6, "mtrain_mesh", "ZOOKEEPER"},
    };
    ASSERT_EQ(params->GetStaffCount(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i)
    {
        const StaffInfo& s = params->GetStaffInfo(static_cast<int32_t>(i));
        EXPECT_EQ(s.id, static_cast<int32_t>(i));
        EXPECT_STREQ(s.keyword, rows[i].keyword);
        EXPECT_EQ(s.iGender, rows[i].gender) << rows[i].keyword;
        EXPECT_EQ(s.iStaffType, rows[i].type) << rows[i].keyword;
        EXPECT_STREQ(s.szModel, rows[i].model);
        EXPECT_STREQ(s.szAnimName, rows[i].anim);
        EXPECT_GT(s.iWage, 0) << rows[i].keyword;
    }
    // Servers are paid by the day, the others by the hour: a server's day costs more than anyone's hour.
    EXPECT_GT(params->GetStaffInfo(0).iWage, params->GetStaffInfo(5).iWage);
    EXPECT_EQ(params->GetStaffID("CLEANER"), 6);
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(People, AddStaffSexFromTheFirstLetter)
{
    EXPECT_TRUE(params->AddStaff("A", "Female", "5", "m", "a", 3));
    EXPECT_TRUE(params->AddStaff("B", "x", "12", "m", "a", 3));
    EXPECT_TRUE(params->AddStaff("C", "Fm", "1", "m", "a", 3));
    EXPECT_EQ(params->GetStaffInfo(0).iGender, 1);
    EXPECT_EQ(params->GetStaffInfo(1).iGender, 0);
    EXPECT_EQ(params->GetStaffInfo(1).iStaffType, 12);
    EXPECT_EQ(params->GetStaffInfo(2).iGender, 1);
    EXPECT_EQ(params->GetStaffInfo(2).iWage, 3);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddStaff - sex isn't M or F - B"));
}
