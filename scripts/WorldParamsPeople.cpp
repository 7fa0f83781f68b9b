// Guest type records, the name lists and the built-in staff types.
#include "engine/core/Logger.h"
#include "platform/Random.h"
#include "scripts/DataScript.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsDetail.h"

#include <cstring>

namespace
{

using datascript::FieldLine;
using datascript::FieldRule;
using datascript::SetText;
using datascript::ToReal;

constexpr const char* kWhere = "WorldParams::AddGuestData";

// A field rule that stores a real into one member of the guest record.
#define TW_GUEST_REAL(keyword, member)                                                                                 \
    {                                                                                                                  \
        keyword, [](GuestInfo& g, const FieldLine& l) { g.member = ToReal(l.value); }                                  \
    }

void SetGender(GuestInfo& g, const FieldLine& line)
{
    if (std::strcmp(line.value, "M") == 0)
        g.iGender = kMale;
    else if (std::strcmp(line.value, "F") == 0)
        g.iGender = kFemale;
    else
        GetLogger()->Report(0, "%s - illegal gender code (not M/F) - %s", kWhere, line.value);
}

const FieldRule<GuestInfo> kGuestFields[] = {
    {"MODEL", [](GuestInfo& g, const FieldLine& l) { SetText(g.szModel, l); }},
    {"ANIM_NAME", [](GuestInfo& g, const FieldLine& l) { SetText(g.szAnimName, l); }},
    {"GENDER", SetGender},
    {"PHOTO_FRAME", [](GuestInfo& g, const FieldLine& l) { g.iPhotoFrame = datascript::ToInteger(l.value); }},
    TW_GUEST_REAL("MONEY", fMoney),
    TW_GUEST_REAL("LITTER", fLitter),
    TW_GUEST_REAL("BLADDER", fBladder),
    TW_GUEST_REAL("MEALS_DESIRE_MIN", fMealsDesireMin),
    TW_GUEST_REAL("MEALS_DESIRE_MAX", fMealsDesireMax),
    TW_GUEST_REAL("SNACKS_DESIRE_MIN", fSnacksDesireMin),
    TW_GUEST_REAL("SNACKS_DESIRE_MAX", fSnacksDesireMax),
    TW_GUEST_REAL("REST_DESIRE_MIN", fRestDesireMin),
    TW_GUEST_REAL("REST_DESIRE_MAX", fRestDesireMax),
    TW_GUEST_REAL("ANIMAL_SHOW_DESIRE_MIN", fAnimalShowDesireMin),
    TW_GUEST_REAL("ANIMAL_SHOW_DESIRE_MAX", fAnimalShowDesireMax),
    TW_GUEST_REAL("ANIMAL_ATTRAC_DESIRE_MIN", fAnimalAttracDesireMin),
    TW_GUEST_REAL("ANIMAL_ATTRAC_DESIRE_MAX", fAnimalAttracDesireMax),
    TW_GUEST_REAL("AMUSE_DESIRE_MIN", fAmuseDesireMin),
    TW_GUEST_REAL("AMUSE_DESIRE_MAX", fAmuseDesireMax),
    TW_GUEST_REAL("RIDE_DESIRE_MIN", fRideDesireMin),
    TW_GUEST_REAL("RIDE_DESIRE_MAX", fRideDesireMax),
    TW_GUEST_REAL("RETAIL_DESIRE_MIN", fRetailDesireMin),
    TW_GUEST_REAL("RETAIL_DESIRE_MAX", fRetailDesireMax),
    TW_GUEST_REAL("MEALS_PREF_INTEN", fMealsPrefInten),
    TW_GUEST_REAL("SNACKS_PREF_INTEN", fSnacksPrefInten),
    TW_GUEST_REAL("ANIMAL_ATTRACT_PREF_INTEN", fAnimalAttractPrefInten),
    TW_GUEST_REAL("ANIMAL_SHOW_PREF_INTEN", fAnimalShowPrefInten),
    TW_GUEST_REAL("AMUSE_PREF_INTEN", fAmusePrefInten),
    TW_GUEST_REAL("RIDE_PREF_INTEN", fRidePrefInten),
    TW_GUEST_REAL("RETAIL_PREF_INTEN", fRetailPrefInten),
    TW_GUEST_REAL("BEAUTY_EFFECT_BAD", fBeautyEffectBad),
    TW_GUEST_REAL("BEAUTY_EFFECT_GOOD", fBeautyEffectGood),
    TW_GUEST_REAL("CROWD_EFFECT_BAD", fCrowdEffectBad),
    TW_GUEST_REAL("CROWD_EFFECT_GOOD", fCrowdEffectGood),
    TW_GUEST_REAL("ANIMAL_EFFECT_BAD", fAnimalEffectBad),
    TW_GUEST_REAL("ANIMAL_EFFECT_GOOD", fAnimalEffectGood),
    TW_GUEST_REAL("PRICE_EFFECT_BAD", fPriceEffectBad),
    TW_GUEST_REAL("PRICE_EFFECT_GOOD", fPriceEffectGood),
    TW_GUEST_REAL("VARIETY_EFFECT_BAD", fVarietyEffectBad),
    TW_GUEST_REAL("VARIETY_EFFECT_GOOD", fVarietyEffectGood),
    TW_GUEST_REAL("CLEAN_EFFECT_BAD", fCleanEffectBad),
    TW_GUEST_REAL("CLEAN_EFFECT_GOOD", fCleanEffectGood),
    TW_GUEST_REAL("BEAUTY_TOL_LOW", fBeautyTolLow),
    TW_GUEST_REAL("BEAUTY_TOL_HIGH", fBeautyTolHigh),
    TW_GUEST_REAL("ANIMAL_TOL_LOW", fAnimalTolLow),
    TW_GUEST_REAL("ANIMAL_TOL_HIGH", fAnimalTolHigh),
    TW_GUEST_REAL("PRICE_TOL_LOW", fPriceTolLow),
    TW_GUEST_REAL("PRICE_TOL_HIGH", fPriceTolHigh),
    TW_GUEST_REAL("CLEAN_TOL_LOW", fCleanTolLow),
    TW_GUEST_REAL("CLEAN_TOL_HIGH", fCleanTolHigh),
};

#undef TW_GUEST_REAL

// The built-in staff types, in id order. Wages are whole dollars per game hour; servers are paid per game day.
struct StaffRow
{
    const char* keyword;
    const char* gender;
    const char* staffType;
    const char* model;
    const char* animName;
    int32_t wage;
};

constexpr StaffRow kBuiltInStaff[] = {
    {"SERVE1", "M", "0", "SERVE1_mesh", "SERVE1", 40},     {"SERVE2", "M", "0", "SERVE2_mesh", "SERVE2", 40},
    {"SERVE3", "M", "0", "SERVE3_mesh", "SERVE3", 40},     {"SERVE4", "M", "0", "SERVE4_mesh", "SERVE4", 40},
    {"SERVE5", "M", "0", "SERVE5_mesh", "SERVE5", 40},     {"MECHANIC", "M", "7", "mechanic_mesh", "MECHANIC", 9},
    {"CLEANER", "F", "5", "cleaner_f_mesh", "CLEANER", 6}, {"ZOOKEEPER", "M", "6", "mtrain_mesh", "ZOOKEEPER", 8},
};

enum NameListIndex
{
    kMaleList = 0,
    kFemaleList = 1,
    kSurnameList = 2,
};

constexpr const char* kNameListKeywords[] = {"MALENAME", "FEMALENAME", "SURNAME"};

} // namespace

bool WorldParams::AddGuest(const char* keyword)
{
    return worldparams::Declare(m_guests, keyword, "WorldParams::AddGuest") != nullptr;
}

void WorldParams::AddGuestData(int32_t id, const char* field, const char* value)
{
    GuestInfo& guest = worldparams::RecordAt(m_guests, id, kWhere);
    if (!datascript::ApplyField(kGuestFields, guest, {kWhere, field, value}))
        GetLogger()->Report(0, "%s - unrecognised keyword - %s", kWhere, field);
}

bool WorldParams::IsNameKeyword(std::string_view prefix)
{
    for (const char* keyword : kNameListKeywords)
    {
        if (prefix == keyword)
            return true;
    }
    return false;
}

void WorldParams::AddNameData(std::string_view list, const char* name)
{
    NameLists& names = *m_pNames;
    struct Target
    {
        char (*names)[NameLists::kNameSize];
        uint32_t* count;
        uint32_t capacity;
    };
    const Target targets[] = {
        {names.maleNames, &names.numMaleNames, NameLists::kMaxMaleNames},
        {names.femaleNames, &names.numFemaleNames, NameLists::kMaxFemaleNames},
        {names.surnames, &names.numSurnames, NameLists::kMaxSurnames},
    };
    const std::string keyword(list);
    const int32_t which = datascript::ChoiceOf(kNameListKeywords, keyword.c_str());
    if (which < 0)
    {
        GetLogger()->Report(0, "WorldParams::AddNameData - unrecognised comment keyword - %s", keyword.c_str());
        return;
    }
    const Target& target = targets[which];
    if (*target.count >= target.capacity)
    {
        // Said once per list, naming the first name left out.
        if (!m_bReportedFullNames[which])
            GetLogger()->Report(0, "WorldParams::AddNameData - name list full (%u names) - %s", target.capacity, name);
        m_bReportedFullNames[which] = true;
        return;
    }
    datascript::CopyText(target.names[*target.count], NameLists::kNameSize,
                         {"WorldParams::AddNameData", keyword.c_str(), name});
    ++*target.count;
}

const char* WorldParams::GetRandomFirstName(int32_t gender)
{
    const NameLists& names = *m_pNames;
    const int r = platform::Rand();
    if (gender == kMale)
    {
        if (names.numMaleNames > 0)
            return names.maleNames[static_cast<uint32_t>(r) % names.numMaleNames];
    }
    else if (names.numFemaleNames > 0)
    {
        return names.femaleNames[static_cast<uint32_t>(r) % names.numFemaleNames];
    }
    const int list = gender == kMale ? kMaleList : kFemaleList;
    if (!m_bReportedEmptyNames[list])
    {
        m_bReportedEmptyNames[list] = true;
        GetLogger()->Report(0, "WorldParams::GetRandomFirstName - name list is empty - %s", kNameListKeywords[list]);
    }
    return "";
}

const char* WorldParams::GetRandomSurname()
{
    const NameLists& names = *m_pNames;
    const int r = platform::Rand();
    if (names.numSurnames > 0)
        return names.surnames[static_cast<uint32_t>(r) % names.numSurnames];
    if (!m_bReportedEmptyNames[kSurnameList])
    {
        m_bReportedEmptyNames[kSurnameList] = true;
        GetLogger()->Report(0, "WorldParams::GetRandomSurname - name list is empty - %s",
                            kNameListKeywords[kSurnameList]);
    }
    return "";
}

bool WorldParams::AddStaff(const char* keyword, const char* gender, const char* staffType, const char* model,
                           const char* animName, int32_t wage)
{
    StaffInfo* staff = worldparams::Declare(m_staff, keyword, "WorldParams::AddStaff");
    if (!staff)
        return false;
    if (gender[0] == 'F')
        staff->iGender = kFemale;
    else if (gender[0] == 'M')
        staff->iGender = kMale;
    else
        GetLogger()->Report(0, "WorldParams::AddStaff - sex isn't M or F - %s", keyword);
    staff->iStaffType = datascript::ToInteger(staffType);
    datascript::SetText(staff->szModel, {"WorldParams::AddStaff", "model", model});
    datascript::SetText(staff->szAnimName, {"WorldParams::AddStaff", "animation list", animName});
    staff->iWage = wage;
    return true;
}

void WorldParams::AddBuiltInStaff()
{
    for (const StaffRow& row : kBuiltInStaff)
        AddStaff(row.keyword, row.gender, row.staffType, row.model, row.animName, row.wage);
}
