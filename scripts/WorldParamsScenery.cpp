// Scenery type records: their field lines, where the flags take "Yes" in any letter case.
#include "engine/core/Logger.h"
#include "platform/Strings.h"
#include "scripts/DataScript.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsDetail.h"

namespace
{

using datascript::FieldLine;
using datascript::FieldRule;
using datascript::IsYesAnyCase;
using datascript::ToInteger;

constexpr const char* kCategories[] = {"FURNITURE", "PATHS",  "PLANTS",    "ORNAMENTS",
                                       "TREES",     "SHRUBS", "BILLBOARD", "OTHER"};
constexpr const char* kPathFlags[] = {"Not path", "Path", "Queue"};

void SetCategory(SceneryInfo& s, const FieldLine& line)
{
    const int32_t category = datascript::ChoiceOf(kCategories, line.value);
    if (category < 0)
        GetLogger()->Report(0, "Unknown scenery category");
    else
        s.iCategory = category;
}

void AddBuildOn(SceneryInfo& s, const FieldLine& line)
{
    static constexpr const char* kWords[] = {"Land", "Path", "Queue"};
    static constexpr uint32_t kBits[] = {kBuildOnLand, kBuildOnPath, kBuildOnQueue};
    const int32_t which = datascript::ChoiceOf(kWords, line.value);
    if (which >= 0)
        s.uBuildOn |= kBits[which];
}

void SetPathFlag(SceneryInfo& s, const FieldLine& line)
{
    const int32_t flag = datascript::ChoiceOf(kPathFlags, line.value);
    if (flag >= 0)
        s.iPathFlag = flag;
}

// GRIDWIDTH and GRIDHEIGHT: a placed scenery object holds its footprint in at most 255 cells a side, and the
// placing tool marks every cell of it; a value outside 0 to 255 is reported and leaves the field as it was.
constexpr int32_t kMaxSceneryCells = 255;

void SetFootprint(int32_t* cells, const FieldLine& line)
{
    const int32_t value = ToInteger(line.value);
    if (value < 0 || value > kMaxSceneryCells)
    {
        GetLogger()->Report(0, "%s - %s out of range (0 to %d) - %s", line.where, line.field, kMaxSceneryCells,
                            line.value);
        return;
    }
    *cells = value;
}

const FieldRule<SceneryInfo> kSceneryFields[] = {
    {"MODEL", [](SceneryInfo& s, const FieldLine& l) { datascript::SetText(s.szModel, l); }},
    {"CATEGORY", SetCategory},
    {"GRIDWIDTH", [](SceneryInfo& s, const FieldLine& l) { SetFootprint(&s.iGridWidth, l); }},
    {"GRIDHEIGHT", [](SceneryInfo& s, const FieldLine& l) { SetFootprint(&s.iGridHeight, l); }},
    {"COST2BUILD", [](SceneryInfo& s, const FieldLine& l) { s.iCost2Build = ToInteger(l.value); }},
    {"BUILDON", AddBuildOn},
    {"COLLIDE", [](SceneryInfo& s, const FieldLine& l) { s.bCollide = ToInteger(l.value) != 0; }},
    {"CAPACITY", [](SceneryInfo& s, const FieldLine& l) { s.iCapacity = ToInteger(l.value); }},
    {"MENU", [](SceneryInfo& s, const FieldLine& l) { s.bMenu = IsYesAnyCase(l.value); }},
    {"ICON", [](SceneryInfo& s, const FieldLine& l) { s.iIcon = ToInteger(l.value); }},
    {"RATING", [](SceneryInfo& s, const FieldLine& l) { s.fRating = datascript::ToReal(l.value); }},
    {"CLEAN", [](SceneryInfo& s, const FieldLine& l) { s.bClean = IsYesAnyCase(l.value); }},
    {"WATER", [](SceneryInfo& s, const FieldLine& l) { s.bWater = IsYesAnyCase(l.value); }},
    {"PATHFLAG", SetPathFlag},
    {"USERREMOVE", [](SceneryInfo& s, const FieldLine& l) { s.bUserRemove = IsYesAnyCase(l.value); }},
    {"VEGFLAG", [](SceneryInfo& s, const FieldLine& l) { s.bVegFlag = IsYesAnyCase(l.value); }},
    {"ISLITTER", [](SceneryInfo& s, const FieldLine& l) { s.bIsLitter = IsYesAnyCase(l.value); }},
    {"ACTIVE", [](SceneryInfo& s, const FieldLine& l) { s.bActive = IsYesAnyCase(l.value); }},
    {"PLACE_MODE", [](SceneryInfo& s, const FieldLine& l) { s.bPlaceAuto = platform::StrICmp(l.value, "Auto") == 0; }},
    {"ISBENCH", [](SceneryInfo& s, const FieldLine& l) { s.bIsBench = IsYesAnyCase(l.value); }},
    {"SET_FLAGS", [](SceneryInfo& s, const FieldLine& l) { s.bSetFlags = IsYesAnyCase(l.value); }},
    {"BEAUTY", [](SceneryInfo& s, const FieldLine& l) { s.fBeauty = datascript::ToReal(l.value); }},
    {"RAIL", [](SceneryInfo& s, const FieldLine& l) { s.bRail = IsYesAnyCase(l.value); }},
};

} // namespace

bool WorldParams::AddScenery(const char* keyword)
{
    return worldparams::Declare(m_scenery, keyword, "WorldParams::AddScenery") != nullptr;
}

void WorldParams::AddSceneryData(int32_t id, const char* field, const char* value)
{
    SceneryInfo& scenery = worldparams::RecordAt(m_scenery, id, "WorldParams::AddSceneryData");
    // A field keyword that no rule has is ignored without a report.
    datascript::ApplyField(kSceneryFields, scenery, {"WorldParams::AddSceneryData", field, value});
}
