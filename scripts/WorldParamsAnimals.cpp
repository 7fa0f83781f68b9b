// Animal species records.
#include "engine/core/Logger.h"
#include "scripts/DataScript.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsDetail.h"

namespace
{

using datascript::FieldLine;
using datascript::FieldRule;
using datascript::IsYes;
using datascript::SetText;
using datascript::ToInteger;
using datascript::ToReal;

constexpr const char* kWhere = "WorldParams::AddAnimalData";

#define TW_ANIMAL_REAL(keyword, member)                                                                                \
    {                                                                                                                  \
        keyword, [](AnimalInfo& a, const FieldLine& l) { a.member = ToReal(l.value); }                                 \
    }

// The four path animation counts: a count other than 0 means the species has path animations.
template <int32_t AnimalInfo::*Count> void SetPathAnims(AnimalInfo& a, const FieldLine& line)
{
    a.*Count = ToInteger(line.value);
    if (a.*Count != 0)
        a.bNoPathAnims = false;
}

// EAT_COUNT, PLAY_COUNT and REST_COUNT: how many rounds the animal's script counts down, held by the animal as an
// unsigned counter; a count below 0 would run for some four thousand million rounds (an animal sent to eat would
// never get there), so it is reported and leaves the field as it was.
template <int32_t AnimalInfo::*Count> void SetRoundCount(AnimalInfo& a, const FieldLine& line)
{
    const int32_t count = ToInteger(line.value);
    if (count < 0)
    {
        GetLogger()->Report(0, "%s - %s below 0 - %s", kWhere, line.field, line.value);
        return;
    }
    a.*Count = count;
}

const FieldRule<AnimalInfo> kAnimalFields[] = {
    {"ANIM_NAME", [](AnimalInfo& a, const FieldLine& l) { SetText(a.szAnimName, l); }},
    TW_ANIMAL_REAL("COST", fCost),
    TW_ANIMAL_REAL("INTENSITY", fIntensity),
    TW_ANIMAL_REAL("REST_DESIRE_ILL_LOW", fRestDesireIllLow),
    TW_ANIMAL_REAL("REST_DESIRE_ILL_HIGH", fRestDesireIllHigh),
    TW_ANIMAL_REAL("REST_DESIRE_SAD_LOW", fRestDesireSadLow),
    TW_ANIMAL_REAL("REST_DESIRE_SAD_HIGH", fRestDesireSadHigh),
    TW_ANIMAL_REAL("REST_DESIRE_HAPPY_LOW", fRestDesireHappyLow),
    TW_ANIMAL_REAL("REST_DESIRE_HAPPY_HIGH", fRestDesireHappyHigh),
    TW_ANIMAL_REAL("PLAY_DESIRE_ILL_LOW", fPlayDesireIllLow),
    TW_ANIMAL_REAL("PLAY_DESIRE_ILL_HIGH", fPlayDesireIllHigh),
    TW_ANIMAL_REAL("PLAY_DESIRE_SAD_LOW", fPlayDesireSadLow),
    TW_ANIMAL_REAL("PLAY_DESIRE_SAD_HIGH", fPlayDesireSadHigh),
    TW_ANIMAL_REAL("PLAY_DESIRE_HAPPY_LOW", fPlayDesireHappyLow),
    TW_ANIMAL_REAL("PLAY_DESIRE_HAPPY_HIGH", fPlayDesireHappyHigh),
    TW_ANIMAL_REAL("FOOD_DECAY", fFoodDecay),
    TW_ANIMAL_REAL("MOVE_DELAY", fMoveDelay),
    {"TO_SLEEP", [](AnimalInfo& a, const FieldLine& l) { SetText(a.szToSleep, l); }},
    {"TO_EAT", [](AnimalInfo& a, const FieldLine& l) { SetText(a.szToEat, l); }},
    TW_ANIMAL_REAL("MOVE_SPEED", fMoveSpeed),
    {"MOVE_MULTIPLE", [](AnimalInfo& a, const FieldLine& l) { a.bMoveMultiple = IsYes(l.value); }},
    {"EAT_COUNT", SetRoundCount<&AnimalInfo::iEatCount>},
    {"PLAY_COUNT", SetRoundCount<&AnimalInfo::iPlayCount>},
    {"REST_COUNT", SetRoundCount<&AnimalInfo::iRestCount>},
    {"GAZ_NUMBER", [](AnimalInfo& a, const FieldLine& l) { a.iGazNumber = ToInteger(l.value); }},
    {"USEPOINTS", [](AnimalInfo& a, const FieldLine& l) { a.bUsePoints = IsYes(l.value); }},
    {"NEEDS_UNLOCKING", [](AnimalInfo& a, const FieldLine& l) { a.bNeedsUnlocking = IsYes(l.value); }},
    {"MOVE_ANIMS", SetPathAnims<&AnimalInfo::iMoveAnims>},
    {"EAT_ANIMS", SetPathAnims<&AnimalInfo::iEatAnims>},
    {"PLAY_ANIMS", SetPathAnims<&AnimalInfo::iPlayAnims>},
    {"REST_ANIMS", SetPathAnims<&AnimalInfo::iRestAnims>},
    {"NUM_PATHS", [](AnimalInfo& a, const FieldLine& l) { a.iNumPaths = ToInteger(l.value); }},
    {"MATCH_MESH", [](AnimalInfo& a, const FieldLine& l) { a.bMatchMesh = IsYes(l.value); }},
    {"SHOW_ANIMAL", [](AnimalInfo& a, const FieldLine& l) { a.bShowAnimal = IsYes(l.value); }},
    {"SOUND_NAME", [](AnimalInfo& a, const FieldLine& l) { SetText(a.szSoundName, l); }},
    {"PHOTO_FRAME", [](AnimalInfo& a, const FieldLine& l) { a.iPhotoFrame = ToInteger(l.value); }},
};

#undef TW_ANIMAL_REAL

} // namespace

bool WorldParams::AddAnimal(const char* keyword)
{
    AnimalInfo* animal = worldparams::Declare(m_animals, keyword, "WorldParams::AddAnimal");
    if (!animal)
        return false;
    animal->bNoPathAnims = true;
    animal->iPhotoFrame = -1;
    return true;
}

void WorldParams::AddAnimalData(int32_t id, const char* field, const char* value)
{
    AnimalInfo& animal = worldparams::RecordAt(m_animals, id, kWhere);
    if (!datascript::ApplyField(kAnimalFields, animal, {kWhere, field, value}))
        GetLogger()->Report(0, "%s - unrecognised animal keyword - %s", kWhere, field);
}
