// Research item and rescue mission records.
#include "engine/core/Logger.h"
#include "scripts/DataScript.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsDetail.h"

namespace
{

using datascript::FieldLine;
using datascript::FieldRule;
using datascript::SetText;
using datascript::ToInteger;
using datascript::ToReal;

constexpr const char* kResearchWhere = "WorldParams::AddResearchData";
constexpr const char* kRescueWhere = "WorldParams::AddRescueData";

constexpr const char* kResearchTypes[] = {"Scenery",    "Staff Recovery", "Staff Training",
                                          "Attraction", "Rescue Teams",   "Unlock Animal"};
constexpr const char* kRescueTypes[] = {"INSITU", "ONLOCATION", "BACKTOBASE"};

void SetResearchType(ResearchInfo& r, const FieldLine& line)
{
    const int32_t type = datascript::ChoiceOf(kResearchTypes, line.value);
    if (type < 0)
        GetLogger()->Report(0, "%s - unrecognised research TYPE - %s", kResearchWhere, line.value);
    else
        r.iType = type;
}

const FieldRule<ResearchInfo> kResearchFields[] = {
    {"EFFECT_KEYWORD", [](ResearchInfo& r, const FieldLine& l) { SetText(r.szEffectKeyword, l); }},
    {"COMPLETEMESS", [](ResearchInfo& r, const FieldLine& l) { SetText(r.szCompleteMess, l); }},
    {"COST", [](ResearchInfo& r, const FieldLine& l) { r.fCost = ToReal(l.value); }},
    {"TYPE", SetResearchType},
    {"ARGUMENT", [](ResearchInfo& r, const FieldLine& l) { r.fArgument = ToReal(l.value); }},
    {"ARGUMENT2", [](ResearchInfo& r, const FieldLine& l) { r.fArgument2 = ToReal(l.value); }},
};

const FieldRule<RescueInfo> kRescueFields[] = {
    {"LOCATION_X", [](RescueInfo& r, const FieldLine& l) { r.iLocationX = ToInteger(l.value); }},
    {"LOCATION_Y", [](RescueInfo& r, const FieldLine& l) { r.iLocationY = ToInteger(l.value); }},
    {"COST", [](RescueInfo& r, const FieldLine& l) { r.fCost = ToReal(l.value); }},
    {"INIT_DESCRIPTION", [](RescueInfo& r, const FieldLine& l) { SetText(r.szInitDescription, l); }},
    {"REPORT_1", [](RescueInfo& r, const FieldLine& l) { SetText(r.szReport1, l); }},
    {"REPORT_2", [](RescueInfo& r, const FieldLine& l) { SetText(r.szReport2, l); }},
    {"RECOVERY_MESSAGE", [](RescueInfo& r, const FieldLine& l) { SetText(r.szRecoveryMessage, l); }},
    {"LOCATION", [](RescueInfo& r, const FieldLine& l) { SetText(r.szLocation, l); }},
    {"ANIMAL_NAME", [](RescueInfo& r, const FieldLine& l) { SetText(r.szAnimalName, l); }},
    {"DANGER_SPRITE", [](RescueInfo& r, const FieldLine& l) { SetText(r.szDangerSprite, l); }},
    {"TRANS_DELAY", [](RescueInfo& r, const FieldLine& l) { r.iTransDelay = ToInteger(l.value); }},
    {"RECOVER_DELAY", [](RescueInfo& r, const FieldLine& l) { r.iRecoverDelay = ToInteger(l.value); }},
    {"SITE_DELAY", [](RescueInfo& r, const FieldLine& l) { r.iSiteDelay = ToInteger(l.value); }},
    {"ANIMAL_COST", [](RescueInfo& r, const FieldLine& l) { r.fAnimalCost = ToReal(l.value); }},
    {"TYPE",
     [](RescueInfo& r, const FieldLine& l)
     {
         // An unknown mission type keeps the one before, without a report.
         const int32_t type = datascript::ChoiceOf(kRescueTypes, l.value);
         if (type >= 0)
             r.iType = type;
     }},
};

} // namespace

bool WorldParams::AddResearch(const char* keyword)
{
    return worldparams::Declare(m_research, keyword, "WorldParams::AddResearch") != nullptr;
}

void WorldParams::AddResearchData(int32_t id, const char* field, const char* value)
{
    ResearchInfo& research = worldparams::RecordAt(m_research, id, kResearchWhere);
    if (!datascript::ApplyField(kResearchFields, research, {kResearchWhere, field, value}))
        GetLogger()->Report(0, "%s - unrecognised research keyword - %s", kResearchWhere, field);
}

bool WorldParams::AddRescue(const char* keyword)
{
    return worldparams::Declare(m_rescue, keyword, "WorldParams::AddRescue") != nullptr;
}

void WorldParams::AddRescueData(int32_t id, const char* field, const char* value)
{
    RescueInfo& rescue = worldparams::RecordAt(m_rescue, id, kRescueWhere);
    if (!datascript::ApplyField(kRescueFields, rescue, {kRescueWhere, field, value}))
        GetLogger()->Report(0, "%s - unrecognised rescue keyword - %s", kRescueWhere, field);
}
