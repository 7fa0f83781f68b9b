// Building type records: declaration, field lines, attraction categories and the links to their map grids.
#include "engine/core/Logger.h"
#include "platform/Strings.h"
#include "scripts/DataScript.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsDetail.h"

#include <cstring>

namespace
{

using datascript::FieldLine;
using datascript::FieldRule;
using datascript::IsYes;
using datascript::SetText;
using datascript::ToInteger;
using datascript::ToReal;

constexpr const char* kWhere = "WorldParams::AddBuildingData";

struct CategoryRow
{
    const char* word;
    int32_t category;
    int32_t attractClass;
};

constexpr CategoryRow kCategories[] = {
    {"AMUSEMENT", kAttractAmusement, kClassRide}, {"ANIMAL", kAttractAnimal, kClassAnimal},
    {"SNACKS", kAttractSnacks, kClassFood},       {"MEALS", kAttractMeals, kClassFood},
    {"PARK", kAttractPark, kClassPark},           {"RETAIL", kAttractRetail, kClassPark},
    {"RIDE", kAttractRide, kClassRide},           {"TOILET", kAttractToilet, kClassPark},
    {"SHOW", kAttractShow, kClassAnimal},         {"CASH", kAttractCash, kClassPark},
};

constexpr const char* kRideTypes[] = {"None", "Time", "Anim", "AnimalShow"};

// ANIMAL_1 to ANIMAL_3 fill their own slot; the count counts the lines, up to the number of slots.
template <int Slot> void SetAnimal(BuildingInfo& b, const FieldLine& line)
{
    SetText(b.szAnimal[Slot], line);
    b.bHasAnimals = true;
    if (b.iAnimalSlotCount >= BuildingInfo::kAnimalSlots)
    {
        GetLogger()->Report(0, "%s - more animal lines than animal slots - %s", kWhere, line.value);
        return;
    }
    ++b.iAnimalSlotCount;
}

void SetCategory(BuildingInfo& b, const FieldLine& line)
{
    b.iAttractCategory = WorldParams::GetAttractionCategory(line.value);
    if (b.iAttractCategory != kAttractNone)
        b.iAttractClass = WorldParams::GetAttractionClass(b.iAttractCategory);
}

void SetRideType(BuildingInfo& b, const FieldLine& line)
{
    const int32_t type = datascript::ChoiceOf(kRideTypes, line.value);
    if (type < 0)
        GetLogger()->Report(0, "%s - unrecognised ride type - %s", kWhere, line.value);
    else
        b.iRideType = type;
}

const FieldRule<BuildingInfo> kBuildingFields[] = {
    {"MENU", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szMenu, l); }},
    {"MENU_ATTACH", [](BuildingInfo& b, const FieldLine& l) { b.bMenuAttach = IsYes(l.value); }},
    {"ICON", [](BuildingInfo& b, const FieldLine& l) { b.iIcon = ToInteger(l.value); }},
    {"COST2BUILD", [](BuildingInfo& b, const FieldLine& l) { b.iCost2Build = ToInteger(l.value); }},
    {"GUESTCAPACITY", [](BuildingInfo& b, const FieldLine& l) { b.iGuestCapacity = ToInteger(l.value); }},
    {"MAXINSTANCES", [](BuildingInfo& b, const FieldLine& l) { b.iMaxInstances = ToInteger(l.value); }},
    {"ATTRACT_CAT_1", SetCategory},
    {"ATTRACT_BASE_INTEN_1", [](BuildingInfo& b, const FieldLine& l) { b.fAttractBaseIntensity = ToReal(l.value); }},
    {"ATTRACT_PRICE_1", [](BuildingInfo& b, const FieldLine& l) { b.fAttractPrice = ToReal(l.value); }},
    {"ATTRACT_COST_1", [](BuildingInfo& b, const FieldLine& l) { b.fAttractCost = ToReal(l.value); }},
    {"ATTRACT_ID_1", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szAttractID, l); }},
    {"ANIMAL_1", SetAnimal<0>},
    {"ANIMAL_2", SetAnimal<1>},
    {"ANIMAL_3", SetAnimal<2>},
    {"ANIMAL_1_FIXED", [](BuildingInfo& b, const FieldLine& l) { b.iAnimalFixed[0] = ToInteger(l.value); }},
    {"ANIMAL_2_FIXED", [](BuildingInfo& b, const FieldLine& l) { b.iAnimalFixed[1] = ToInteger(l.value); }},
    {"ANIMAL_3_FIXED", [](BuildingInfo& b, const FieldLine& l) { b.iAnimalFixed[2] = ToInteger(l.value); }},
    {"OPTIMUM_ANIMAL_IN", [](BuildingInfo& b, const FieldLine& l) { b.fOptimumAnimalIn = ToReal(l.value); }},
    {"MAXIMUM_ANIMAL_IN", [](BuildingInfo& b, const FieldLine& l) { b.fMaximumAnimalIn = ToReal(l.value); }},
    {"HAS_STAFF", [](BuildingInfo& b, const FieldLine& l) { b.iHasStaff = IsYes(l.value) ? 1 : 0; }},
    {"TREE", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szTree, l); }},
    {"SERVE_AT_ONCE", [](BuildingInfo& b, const FieldLine& l) { b.bServeAtOnce = IsYes(l.value); }},
    {"SERVE_TIME_MIN", [](BuildingInfo& b, const FieldLine& l) { b.fServeTimeMin = ToReal(l.value); }},
    {"SERVE_TIME_MAX", [](BuildingInfo& b, const FieldLine& l) { b.fServeTimeMax = ToReal(l.value); }},
    {"STAFF_ID", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szStaffID, l); }},
    {"RIDE_TYPE", SetRideType},
    {"RIDE_MODEL", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szRideModel, l); }},
    {"RIDE_ANIM", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szRideAnim, l); }},
    {"ROOF_TYPE", [](BuildingInfo& b, const FieldLine& l) { b.bCovered = std::strcmp(l.value, "COVERED") == 0; }},
    {"CUTAWAY_ROOF", [](BuildingInfo& b, const FieldLine& l) { b.bCutawayRoof = IsYes(l.value); }},
    {"HAS_CROWD", [](BuildingInfo& b, const FieldLine& l) { b.bHasCrowd = IsYes(l.value); }},
    {"USER_BUILD", [](BuildingInfo& b, const FieldLine& l) { b.bUserBuild = IsYes(l.value); }},
    {"CAN_BREAKDOWN", [](BuildingInfo& b, const FieldLine& l) { b.bCanBreakdown = IsYes(l.value); }},
    {"REPAIR_DECAY", [](BuildingInfo& b, const FieldLine& l) { b.fRepairDecay = ToReal(l.value); }},
    {"SHOWENTER", [](BuildingInfo& b, const FieldLine& l) { b.bShowEnter = IsYes(l.value); }},
    {"TABLE_MODEL", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szTableModel, l); }},
    {"NEEDS_UNLOCKING", [](BuildingInfo& b, const FieldLine& l) { b.bNeedsUnlocking = IsYes(l.value); }},
    {"FOLLOW_GUEST", [](BuildingInfo& b, const FieldLine& l) { b.bFollowGuest = IsYes(l.value); }},
    {"HAS_SCHEDULER", [](BuildingInfo& b, const FieldLine& l) { b.bHasScheduler = IsYes(l.value); }},
    {"SHOW_NAME", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szShowName, l); }},
    {"MAX_SHOWMOVES", [](BuildingInfo& b, const FieldLine& l) { b.iMaxShowMoves = ToInteger(l.value); }},
    {"MIN_SHOWMOVES", [](BuildingInfo& b, const FieldLine& l) { b.iMinShowMoves = ToInteger(l.value); }},
    {"VIEWPOINT", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szViewPoint, l); }},
    {"VIEWPOINT_COUNT", [](BuildingInfo& b, const FieldLine& l) { b.iViewPointCount = ToInteger(l.value); }},
    {"VIEWPOINT2", [](BuildingInfo& b, const FieldLine& l) { SetText(b.szViewPoint2, l); }},
    {"VIEWPOINT_COUNT2", [](BuildingInfo& b, const FieldLine& l) { b.iViewPointCount2 = ToInteger(l.value); }},
    {"KEEP_GUESTS", [](BuildingInfo& b, const FieldLine& l) { b.bKeepGuests = IsYes(l.value); }},
};

} // namespace

int32_t WorldParams::GetAttractionCategory(const char* value)
{
    for (const CategoryRow& row : kCategories)
    {
        if (value && std::strcmp(row.word, value) == 0)
            return row.category;
    }
    return kAttractNone;
}

int32_t WorldParams::GetAttractionClass(int32_t category)
{
    for (const CategoryRow& row : kCategories)
    {
        if (row.category == category)
            return row.attractClass;
    }
    return kClassAnimal;
}

bool WorldParams::AddBuilding(const char* keyword)
{
    // A new record starts zero-filled: no map grid until the links are made, no animals, no breakdowns.
    return worldparams::Declare(m_buildings, keyword, "WorldParams::AddBuilding") != nullptr;
}

void WorldParams::AddBuildingData(int32_t id, const char* field, const char* value)
{
    BuildingInfo& building = worldparams::RecordAt(m_buildings, id, kWhere);
    if (!datascript::ApplyField(kBuildingFields, building, {kWhere, field, value}))
        GetLogger()->Report(0, "%s - unrecognised building keyword - %s", kWhere, field);
}

void WorldParams::LinkMapGrids()
{
    for (BuildingInfo& building : m_buildings)
    {
        const std::string name = platform::Format("MAP%s", building.keyword);
        // A type without a grid of its own shares grid 0 (the zero-filled slot while no grid is declared).
        const int32_t grid = FindMapGrid(name);
        building.pMapGrid = grid == kNotFound ? &m_mapGrids.First() : &m_mapGrids[grid];
        building.iGridWidth = building.pMapGrid->iWidth;
        building.iGridHeight = building.pMapGrid->iHeight;
    }
}
