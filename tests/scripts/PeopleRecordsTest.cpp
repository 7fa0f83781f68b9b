// Tests of the guest type records, the name lists and the built-in staff types.
#include "platform/Random.h"
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

#include <cstddef>
#include <cstring>
#include <sstream>
#include <tuple>

using tablestest::Quoted;
using tablestest::Record;
using tablestest::S;
using testing::ElementsAre;
using testing::IsEmpty;

namespace
{
class People : public tablestest::Tables
{
};
} // namespace

TEST_F(People, EveryGuestFieldReadsBackAndGenderCodesAreExact)
{
    // Every real field gets its own value: 0.01 times its place in this list, the order in which the record keeps
    // them side by side.
    const std::string names =
        "MONEY LITTER BLADDER MEALS_DESIRE_MIN MEALS_DESIRE_MAX SNACKS_DESIRE_MIN SNACKS_DESIRE_MAX "
        "REST_DESIRE_MIN REST_DESIRE_MAX ANIMAL_SHOW_DESIRE_MIN ANIMAL_SHOW_DESIRE_MAX "
        "ANIMAL_ATTRAC_DESIRE_MIN ANIMAL_ATTRAC_DESIRE_MAX AMUSE_DESIRE_MIN AMUSE_DESIRE_MAX "
        "RIDE_DESIRE_MIN RIDE_DESIRE_MAX RETAIL_DESIRE_MIN RETAIL_DESIRE_MAX MEALS_PREF_INTEN "
        "SNACKS_PREF_INTEN ANIMAL_ATTRACT_PREF_INTEN ANIMAL_SHOW_PREF_INTEN AMUSE_PREF_INTEN "
        "RIDE_PREF_INTEN RETAIL_PREF_INTEN BEAUTY_EFFECT_BAD BEAUTY_EFFECT_GOOD CROWD_EFFECT_BAD "
        "CROWD_EFFECT_GOOD ANIMAL_EFFECT_BAD ANIMAL_EFFECT_GOOD PRICE_EFFECT_BAD PRICE_EFFECT_GOOD "
        "VARIETY_EFFECT_BAD VARIETY_EFFECT_GOOD CLEAN_EFFECT_BAD CLEAN_EFFECT_GOOD BEAUTY_TOL_LOW "
        "BEAUTY_TOL_HIGH ANIMAL_TOL_LOW ANIMAL_TOL_HIGH PRICE_TOL_LOW PRICE_TOL_HIGH CLEAN_TOL_LOW "
        "CLEAN_TOL_HIGH ";
    std::string fields = "MODEL=visitor_a|ANIM_NAME=VISITOR|GENDER=F|PHOTO_FRAME=17";
    std::istringstream words(names);
    std::vector<std::string> keys;
    for (std::string word; words >> word;)
        keys.push_back(word);
    static_assert(offsetof(GuestInfo, fCleanTolHigh) - offsetof(GuestInfo, fMoney) == 45 * sizeof(float));
    ASSERT_EQ(keys.size(), 46u);
    for (size_t i = 0; i < keys.size(); ++i)
        fields += "|" + keys[i] + "=" + std::to_string(i + 1) + "e-2";
    Process(Record("GUEST", "VISITOR", fields) + Record("GUEST", "A", "GENDER=F|GENDER=m|GENDER=Male|HAIR=red") +
            Record("GUEST", "B", "GENDER=F|GENDER=M"));
    const GuestInfo& g = params->GetGuestInfo(0);
    EXPECT_EQ(std::tuple(S(g.keyword), S(g.szModel), S(g.szAnimName), g.iGender, g.iPhotoFrame,
                         params->GetGuestInfo(1).iGender, params->GetGuestInfo(2).iGender),
              std::tuple("VISITOR", "visitor_a", "VISITOR", 1, 17, 1, 0));
    for (size_t i = 0; i < keys.size(); ++i)
    {
        float value;
        std::memcpy(&value, reinterpret_cast<const char*>(&g) + offsetof(GuestInfo, fMoney) + i * sizeof value,
                    sizeof value);
        EXPECT_FLOAT_EQ(value, 0.01f * static_cast<float>(i + 1)) << keys[i];
    }
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddGuestData - illegal gender code (not M/F) - m",
                                       "WorldParams::AddGuestData - illegal gender code (not M/F) - Male",
                                       "WorldParams::AddGuestData - unrecognised keyword - HAIR"));
}

TEST_F(People, NameListsTakeTheRestOfTheTokenWithinTheirLimits)
{
    Process(Quoted({"MALENAME_Anna", "FEMALENAME_Bea", "SURNAME_Mac_Ivor", "SURNAME_Odd", "MALENAME_"}));
    const NameLists& names = params->GetNameLists();
    EXPECT_EQ(std::tuple(names.numMaleNames, S(names.maleNames[0]), S(names.maleNames[1]), names.numFemaleNames,
                         S(names.femaleNames[0]), names.numSurnames, S(names.surnames[0]), S(names.surnames[1])),
              std::tuple(2u, "Anna", "", 1u, "Bea", 2u, "Mac_Ivor", "Odd"));
    params->AddNameData("NICKNAME", "Zed");
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddNameData - unrecognised comment keyword - NICKNAME"));

    // 140, 140 and 600 names fit; more are refused, said once per list; a name is cut to 63 characters.
    sink.boxes.clear();
    params = std::make_unique<WorldParams>();
    std::string text;
    for (int i = 0; i <= 140; ++i)
        text += Quoted({"MALENAME_m" + std::to_string(i), "FEMALENAME_f" + std::to_string(i)});
    for (int i = 0; i <= 600; ++i)
        text += Quoted({"SURNAME_s" + std::to_string(i)});
    Process(text + Quoted({"SURNAME_" + std::string(70, 'x')}));
    const NameLists& full = params->GetNameLists();
    EXPECT_EQ(std::tuple(full.numMaleNames, full.numFemaleNames, full.numSurnames, S(full.maleNames[139]),
                         S(full.surnames[599])),
              std::tuple(140u, 140u, 600u, "m139", "s599"));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddNameData - name list full (140 names) - m140",
                                       "WorldParams::AddNameData - name list full (140 names) - f140",
                                       "WorldParams::AddNameData - name list full (600 names) - s600"));
    sink.boxes.clear();
    params = std::make_unique<WorldParams>();
    Process(Quoted({"SURNAME_" + std::string(70, 'x')}));
    EXPECT_EQ(std::tuple(params->GetNameLists().surnames[0], Reports()),
              std::tuple(std::string(63, 'x'), std::vector<std::string>{"WorldParams::AddNameData - text too long for "
                                                                        "SURNAME, cut to 63 characters - " +
                                                                        std::string(70, 'x')}));
}

TEST_F(People, RandomNamesDrawFromTheirListAndEmptyListsGiveAnEmptyNameOnce)
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
    sink.boxes.clear();
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
        EXPECT_STREQ(params->GetRandomFirstName(kFemale), "Di"); // a list of one name always gives it
        next();
        EXPECT_STREQ(params->GetRandomSurname(), surnames[next() % 2]);
    }
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(People, BuiltInStaffTypesAndTheStaffTheTableTakes)
{
    // Data lines cannot add staff: the table holds the eight built-in rows, whatever the scripts contain.
    Process(Quoted({"STAFF_EXTRA", "MECHANIC_WAGE", "5"}));
    sink.boxes.clear();
    params->AddBuiltInStaff();
    using Row = std::tuple<std::string, int32_t, int32_t, std::string, std::string>;
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
        EXPECT_EQ(Row(s.keyword, s.iGender, s.iStaffType, s.szModel, s.szAnimName), rows[i]);
        EXPECT_EQ(s.id, static_cast<int32_t>(i));
        EXPECT_GT(s.iWage, 0) << s.keyword;
    }
    // Servers are paid by the day, the others by the hour: a server's day costs more than anyone's hour.
    EXPECT_GT(params->GetStaffInfo(0).iWage, params->GetStaffInfo(5).iWage);
    EXPECT_EQ(params->GetStaffID("CLEANER"), 6);
    EXPECT_THAT(Reports(), IsEmpty());
    // The sex comes from the first letter.
    params = std::make_unique<WorldParams>();
    EXPECT_TRUE(params->AddStaff("A", "Female", "5", "m", "a", 3) && params->AddStaff("B", "x", "12", "m", "a", 3) &&
                params->AddStaff("C", "Fm", "1", "m", "a", 3));
    EXPECT_EQ(std::tuple(params->GetStaffInfo(0).iGender, params->GetStaffInfo(1).iGender,
                         params->GetStaffInfo(1).iStaffType, params->GetStaffInfo(2).iGender,
                         params->GetStaffInfo(2).iWage),
              std::tuple(1, 0, 12, 1, 3));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddStaff - sex isn't M or F - B"));
}
