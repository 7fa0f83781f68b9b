// ParkPanelData: the object browser's pools, the build panel's records and the park figures, read from the World.
#include "game/ParkPanelData.h"

#include "game/Game.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "park/RescueManager.h"
#include "park/StaffObject.h"
#include "scripts/WorldParams.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <cstring>

namespace
{
BaseObject* AsObject(DialogListener* listener)
{
    return dynamic_cast<BaseObject*>(listener);
}

void Name(BaseObject& object, const char* keyword, BrowserEntry& entry)
{
    object.GetVariable(keyword, entry.name);
}

template <typename Fn> void WalkPool(ObjectManager::Pool pool, Fn fn)
{
    if (!g_pObjectManager)
        return;
    const uint32_t count = g_pObjectManager->GetPoolCount(pool);
    for (uint32_t i = 0; i < count; ++i)
        if (BaseObject* object = g_pObjectManager->GetPoolObject(pool, i))
            fn(*object);
}

// The first attraction category of the animal exhibits.
constexpr int32_t kAnimalCategory = 2;

BrowserEntry Base(BaseObject& object)
{
    BrowserEntry entry;
    entry.id = object.GetID();
    entry.kind = object.GetType();
    entry.removed = object.IsWaitingForDeath();
    return entry;
}
} // namespace

void ParkPanelData::ListGuests(std::vector<BrowserEntry>& out)
{
    WalkPool(ObjectManager::POOL_GUEST,
             [&](BaseObject& object)
             {
                 auto* guest = dynamic_cast<GuestObject*>(&object);
                 if (!guest)
                     return;
                 BrowserEntry entry = Base(object);
                 entry.gender = guest->GetGender();
                 entry.happiness = guest->GetHappiness();
                 entry.cash = guest->GetCash();
                 entry.toiletDesire = guest->GetDesire(7);
                 for (int o = 0; o < 6; ++o)
                     entry.opinion[o] = guest->GetOpinion(o);
                 out.push_back(std::move(entry));
             });
}

void ParkPanelData::ListBuildings(std::vector<BrowserEntry>& out)
{
    WalkPool(ObjectManager::POOL_BUILDING,
             [&](BaseObject& object)
             {
                 auto* building = dynamic_cast<BuildingObject*>(&object);
                 if (!building)
                     return;
                 BrowserEntry entry = Base(object);
                 entry.incomeToday = building->GetIncomeToday();
                 entry.costToday = building->GetCostToday();
                 entry.profitToday = building->GetProfitToday();
                 entry.averageProfit = building->GetAverageProfit();
                 entry.repairState = building->GetRepairCondition();
                 entry.age = static_cast<uint32_t>(building->GetBuildingAge());
                 entry.faults = static_cast<uint32_t>(building->GetNumFaults());
                 entry.visitsToday = static_cast<int32_t>(building->GetVisitsToday());
                 entry.staffRoom = building->IsStaffRoom();
                 entry.open = building->IsOpen();
                 entry.userBuild = building->GetInfo().bUserBuild;
                 entry.category = building->GetInfo().iAttractCategory;
                 Name(object, "BUILDING_NAME", entry);
                 out.push_back(std::move(entry));
             });
}

void ParkPanelData::ListStaff(std::vector<BrowserEntry>& out)
{
    if (!g_pObjectManager)
        return;
    for (BaseObject* object : g_pObjectManager->GetStaffObjects())
    {
        BrowserEntry entry = Base(*object);
        // Dismissed staff stay in the pool while they leave; the browser lists them no more.
        const auto* staff = dynamic_cast<StaffObject*>(object);
        entry.sacked = staff && staff->IsSacked();
        Name(*object, "STAFF_JOB_TITLE", entry);
        out.push_back(std::move(entry));
    }
}

void ParkPanelData::ListAnimals(std::vector<BrowserEntry>& out)
{
    WalkPool(ObjectManager::POOL_OTHER,
             [&](BaseObject& object)
             {
                 auto* animal = dynamic_cast<AnimalObject*>(&object);
                 if (!animal)
                     return;
                 BrowserEntry entry = Base(object);
                 entry.happiness = animal->GetHappiness();
                 for (int o = 0; o < 3; ++o)
                     entry.animalOpinion[o] = animal->GetOpinion(o);
                 Name(object, "ANIMAL_NAME", entry);
                 out.push_back(std::move(entry));
             });
}

DialogListener* ParkPanelData::FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

uint32_t ParkPanelData::GetObjectId(DialogListener* listener)
{
    BaseObject* object = AsObject(listener);
    return object ? object->GetID() : kNoObjectId;
}

void ParkPanelData::OpenObjectPanel(uint32_t id)
{
    if (BaseObject* object = g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr)
        object->OnSelected(true, true);
}

bool ParkPanelData::GetBuildingAnimals(DialogListener* listener, std::vector<uint32_t>& out)
{
    auto* building = dynamic_cast<BuildingObject*>(listener);
    if (!building)
        return false;
    for (int32_t i = 0; i < building->GetAnimalCount(); ++i)
        out.push_back(building->GetAnimal(i));
    return true;
}

int32_t ParkPanelData::GetVisitCount(DialogListener* listener)
{
    auto* guest = dynamic_cast<GuestObject*>(listener);
    return guest ? guest->GetVisitCount() : 0;
}

int32_t ParkPanelData::GetAvailableAnimalCount(DialogListener* listener)
{
    const auto* building = dynamic_cast<BuildingObject*>(listener);
    int32_t count = 0;
    while (building && building->GetAdoptableSlot(count) >= 0)
        ++count;
    return count;
}

bool ParkPanelData::GetFigure(PanelFigure figure, double* value)
{
    if (!value)
        return false;
    // The program's and the scenario choice's figures are there in the front end too, with no park.
    switch (figure)
    {
    case PF_VERSION:
        *value = g_pGame ? g_pGame->GetVersion() : 0.0;
        return g_pGame != nullptr;
    case PF_SANDBOX:
        *value = g_pGame && g_pGame->IsSandbox() ? 1 : 0;
        return g_pGame != nullptr;
    case PF_SCENARIO_NUMBER:
        *value = g_pGame ? g_pGame->GetScenarioIndex() : 0;
        return g_pGame != nullptr;
    default:
        break;
    }
    World* w = g_pWorld;
    if (!w)
        return false;
    auto count = [](uint8_t kind) { return g_pObjectManager ? g_pObjectManager->CountObjectsOfKind(kind) : 0u; };
    switch (figure)
    {
    case PF_CASH:
        *value = w->GetPlayer() ? w->GetPlayer()->Cash : 0.0;
        break;
    case PF_NUM_GUESTS:
        *value = w->m_NumGuests;
        break;
    case PF_DAY_TIME:
        *value = w->GetGameDayTime();
        break;
    case PF_GAME_DAY:
        *value = w->GetGameDay();
        break;
    case PF_PARK_RATING:
        *value = w->GetParkRating();
        break;
    case PF_BEAUTY:
        *value = w->GetGuestAverage(World::AV_BEAUTY);
        break;
    case PF_WELFARE:
        *value = w->GetGuestAverage(World::AV_WELFARE);
        break;
    case PF_ANIMAL_HAPPY:
        *value = w->GetAnimalHappyAverage();
        break;
    case PF_OBJECTIVE_COUNT:
        *value = w->m_iObjectiveCount;
        break;
    case PF_LITTER_COUNT:
        *value = g_pObjectManager ? g_pObjectManager->GetPoolCount(ObjectManager::POOL_LITTER) : 0;
        break;
    case PF_BUILDING_COUNT:
        *value = count(2);
        break;
    case PF_STAFF_COUNT:
        *value = count(6) + count(7) + count(8);
        break;
    case PF_MECHANIC_COUNT:
        *value = count(6);
        break;
    case PF_CLEANER_COUNT:
        *value = count(7);
        break;
    case PF_SCENERY_COUNT:
        *value = count(1);
        break;
    case PF_INCOME_TODAY:
        *value = w->m_fIncomeToday;
        break;
    case PF_DEMOLISH_INCOME_TODAY:
        *value = w->m_fDemolishIncomeToday;
        break;
    case PF_ATTRACT_INCOME_TODAY:
        *value = w->m_fAttractIncomeToday;
        break;
    case PF_RETAIL_INCOME_TODAY:
        *value = w->m_fRetailIncomeToday;
        break;
    case PF_COSTS_TODAY:
        *value = w->m_fCostsToday;
        break;
    case PF_CONSTRUCT_COST_TODAY:
        *value = w->m_fConstructCostToday;
        break;
    case PF_WAGES_COST_TODAY:
        *value = w->m_fWagesCostToday;
        break;
    case PF_STOCK_COST_TODAY:
        *value = w->m_fStockCostToday;
        break;
    case PF_SCENERY_COST_TODAY:
        *value = w->m_fSceneryCostToday;
        break;
    case PF_AVERAGE_PROFIT:
        *value = w->m_fAverageProfit;
        break;
    case PF_AVERAGE_COST:
        *value = w->m_fAverageCost;
        break;
    case PF_AVERAGE_INCOME:
        *value = w->m_fAverageIncome;
        break;
    case PF_BUILDINGS_CONSTRUCTED:
        *value = w->m_BuildingsConstructed;
        break;
    case PF_DIFF_BUILDINGS_CONSTRUCTED:
        *value = w->m_DiffBuildingsConstructed;
        break;
    case PF_RIDES_BUILT:
        *value = w->m_RidesBuilt;
        break;
    case PF_AMUSEMENT_BUILT:
        *value = w->m_AmusementBuilt;
        break;
    case PF_LOWEST_GUEST_AVERAGE:
        *value = w->GetLowestGuestAverage();
        break;
    case PF_ANIMAL_INCOME_TOTAL:
        *value = w->m_fAnimalIncomeTotal;
        break;
    case PF_ARRIVE_TODAY_0:
    case PF_ARRIVE_TODAY_1:
        *value = w->m_TodayGuestArrive[figure - PF_ARRIVE_TODAY_0];
        break;
    case PF_ARRIVE_TOTAL_0:
    case PF_ARRIVE_TOTAL_1:
        *value = w->m_TotalGuestArrive[figure - PF_ARRIVE_TOTAL_0];
        break;
    case PF_DEPART_TODAY_0:
    case PF_DEPART_TODAY_1:
        *value = w->m_TodayGuestDepart[figure - PF_DEPART_TODAY_0];
        break;
    case PF_DEPART_TOTAL_0:
    case PF_DEPART_TOTAL_1:
        *value = w->m_TotalGuestDepart[figure - PF_DEPART_TOTAL_0];
        break;
    case PF_UNHAPPY_TODAY_0:
    case PF_UNHAPPY_TODAY_1:
        *value = w->m_TodayGuestUnhappyDepart[figure - PF_UNHAPPY_TODAY_0];
        break;
    case PF_UNHAPPY_TOTAL_0:
    case PF_UNHAPPY_TOTAL_1:
        *value = w->m_TotalGuestUnhappyDepart[figure - PF_UNHAPPY_TOTAL_0];
        break;
    case PF_GUESTS_GENDER_0:
    case PF_GUESTS_GENDER_1:
    {
        const int32_t gender = figure - PF_GUESTS_GENDER_0;
        int32_t guests = 0;
        WalkPool(ObjectManager::POOL_GUEST,
                 [&](BaseObject& object)
                 {
                     const auto* guest = dynamic_cast<GuestObject*>(&object);
                     guests += guest && guest->GetGender() == gender ? 1 : 0;
                 });
        *value = guests;
        break;
    }
    case PF_STAFFROOMS:
    case PF_ANIMAL_EXHIBITS:
    case PF_ANIMAL_INCOME_TODAY:
    {
        double total = 0.0;
        WalkPool(ObjectManager::POOL_BUILDING,
                 [&](BaseObject& object)
                 {
                     const auto* building = dynamic_cast<BuildingObject*>(&object);
                     if (!building)
                         return;
                     const bool animal = building->GetInfo().iAttractCategory == kAnimalCategory;
                     if (figure == PF_ANIMAL_INCOME_TODAY)
                         total += animal ? building->GetIncomeToday() : 0.0f;
                     else if (!building->IsBeingDemolished())
                         total += (figure == PF_STAFFROOMS ? building->IsStaffRoom() : animal) ? 1 : 0;
                 });
        *value = total;
        break;
    }
    case PF_KAIKOADV_VISITS:
    {
        uint32_t visits = 0;
        if (g_pObjectManager)
            for (BaseObject* object : g_pObjectManager->GetObjectsByName("KAIKOADV"))
                if (const auto* building = dynamic_cast<BuildingObject*>(object))
                    if (!building->IsUnderConstruction() && !building->IsBeingDemolished())
                        visits += building->GetVisitsToday();
        *value = visits;
        break;
    }
    case PF_UNBUILT_AFTER_STARTUP:
        *value = w->m_UnbuiltAfterStartup;
        break;
    case PF_BUILDINGS_LEFT_TO_BUILD:
        *value = w->m_BuildingsLeftToBuild;
        break;
    default:
        return false;
    }
    return true;
}

int32_t ParkPanelData::GetObjectiveState(int32_t n)
{
    if (!g_pWorld || n < 0 || n >= g_pWorld->m_iObjectiveCount)
        return -1;
    return static_cast<int32_t>(g_pWorld->GetObjectiveStatus(static_cast<uint32_t>(n)));
}

int32_t ParkPanelData::GetBuildingRecordCount()
{
    return g_pWorldParams ? static_cast<int32_t>(g_pWorldParams->GetBuildingCount()) : 0;
}

bool ParkPanelData::GetBuildingRecord(int32_t index, BuildRecord* out)
{
    if (!g_pWorldParams || index < 0 || index >= GetBuildingRecordCount() || !out)
        return false;
    const BuildingInfo& info = g_pWorldParams->GetBuildingInfo(index);
    out->type = info.iAttractClass;
    out->inBuildPanel = info.bUserBuild;
    out->thumbFrame = info.iIcon;
    out->keyword = info.keyword;
    out->cost = info.iCost2Build;
    out->category = info.iAttractCategory;
    out->intensity = info.fAttractBaseIntensity;
    out->requirement = info.szTree;
    return true;
}

int32_t ParkPanelData::GetSceneryRecordCount()
{
    return g_pWorldParams ? static_cast<int32_t>(g_pWorldParams->GetSceneryCount()) : 0;
}

bool ParkPanelData::GetSceneryRecord(int32_t index, SceneryRecord* out)
{
    if (!g_pWorldParams || index < 0 || index >= GetSceneryRecordCount() || !out)
        return false;
    const SceneryInfo& info = g_pWorldParams->GetSceneryInfo(index);
    out->category = info.iCategory;
    out->available = info.bActive;
    out->pathStyle = info.iPathFlag;
    out->thumbFrame = info.iIcon;
    out->keyword = info.keyword;
    out->rating = info.fRating;
    out->cost = info.iCost2Build;
    return true;
}

bool ParkPanelData::CheckBuildRequirement(int32_t index)
{
    if (!g_pWorld || !g_pWorldParams || !g_pWorld->CheckBuildRequirement(index))
        return false;
    // The World's check reads true for a type that needs nothing first too: such a type misses no building.
    return g_pWorldParams->GetBuildingInfo(index).NeedsBuildingFirst();
}

bool ParkPanelData::IsBuildTypeAtLimit(int32_t index)
{
    return g_pWorld && g_pWorld->IsBuildTypeAtLimit(index);
}

bool ParkPanelData::CanBuildType(int32_t index)
{
    return g_pWorld && g_pWorld->CanBuildType(index);
}

int32_t ParkPanelData::CountBuildings(int32_t index)
{
    return g_pWorld ? static_cast<int32_t>(g_pWorld->CountBuildings(index)) : 0;
}

int32_t ParkPanelData::CountFinishedBuildings(int32_t index)
{
    return g_pWorld ? static_cast<int32_t>(g_pWorld->CountFinishedBuildings(index)) : 0;
}

std::string ParkPanelData::GetTextId(PanelTextId which, int32_t n)
{
    const World* w = g_pWorld;
    if (!w)
        return {};
    switch (which)
    {
    case PT_PARK_TITLE:
        return w->m_StatusTitle;
    case PT_SCENARIO_TITLE:
        return w->m_ObjectiveTitle;
    case PT_SCENARIO_DESCRIPTION:
        return w->m_ObjectiveDescription;
    case PT_SCENARIO_OBJECTIVES:
        return w->m_ObjectivesText;
    case PT_OBJECTIVE:
        return n >= 0 && n < w->m_iObjectiveCount && n < static_cast<int32_t>(World::kObjectiveCount)
                   ? w->m_ObjectiveTexts[n]
                   : std::string();
    }
    return {};
}

int32_t ParkPanelData::GetObjectKind(DialogListener* object)
{
    const BaseObject* found = AsObject(object);
    return found ? found->GetType() : -1;
}

int32_t ParkPanelData::GetGuestPhotoFrame(DialogListener* object)
{
    const auto* guest = dynamic_cast<GuestObject*>(AsObject(object));
    return guest ? guest->GetGuestType().iPhotoFrame : -1;
}

int32_t ParkPanelData::GetAnimalPhotoFrame(DialogListener* object)
{
    const auto* animal = dynamic_cast<AnimalObject*>(AsObject(object));
    return animal ? animal->GetAnimalInfo().iPhotoFrame : -1;
}

std::string ParkPanelData::GetRescueSprite(int32_t team)
{
    const RescueManager* rescues = GetRescueManager();
    if (!rescues || team < -1 || team >= rescues->GetTeamCount())
        return {};
    const char* sprite = team == -1 ? rescues->GetOfferedDangerSprite() : rescues->GetTeamDangerSprite(team);
    return sprite ? sprite : "";
}

bool ParkPanelData::GetRescueLocation(int32_t* x, int32_t* y)
{
    const RescueManager* rescues = GetRescueManager();
    return rescues && x && y && rescues->GetOfferedLocation(x, y);
}
