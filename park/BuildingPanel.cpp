// BuildingObject: its panel (opening, closing) and every keyword the panel reads and writes; and its save record.
// The building's own save record comes with saved games.
#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/Money.h"
#include "park/ParkGui.h"
#include "park/ParkManagers.h"
#include "park/ParkViews.h"
#include "park/RepairManager.h"
#include "scripts/WorldParams.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

namespace
{

constexpr const char* kRoofPart = "ROOF_OFF_00";
// GUI selection slot of the animal chosen in the adopt dialog.
constexpr int32_t kAdoptSlotSelection = 11;
// A building's refund: this share of its building cost.
constexpr float kRefundShare = 0.75f;
// A profit this close to 0 shows as 0.00.
constexpr float kProfitZero = 0.001f;
// Whole dollars shown are held within this size, as money is booked.
constexpr long long kMostDollars = 2000000000;

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

platform::WString Text(const char* id)
{
    return TableText(id);
}

platform::WString Text(const std::string& id)
{
    return TableText(id.c_str());
}

platform::WString Whole(long long value)
{
    return FormatChecked(u"%d", {value});
}

platform::WString Real(float value)
{
    return FormatChecked(u"%.2f", {static_cast<double>(value)});
}

// The hours a day has.
constexpr float kDayHours = 24.0f;

// The whole hour of a time of day, and its minutes rounded down to the quarter hour. A time that is no time of the
// day (a damaged record) shows as the start of the day, or its end when it lies beyond.
int32_t HourOf(float dayTime)
{
    if (!(dayTime >= 0.0f))
        return 0;
    return static_cast<int32_t>(std::floor(std::min(dayTime, kDayHours)));
}

int32_t QuarterMinuteOf(float dayTime)
{
    if (!(dayTime >= 0.0f && dayTime < kDayHours))
        return 0;
    const int32_t minutes = static_cast<int32_t>((dayTime - std::floor(dayTime)) * 60.0f);
    return minutes / 15 * 15;
}

// A day as the panel counts them, from 1.
long long ShownDay(int32_t day)
{
    return static_cast<long long>(day) + 1;
}

uint32_t CountOfKind(uint8_t kind)
{
    return g_pObjectManager ? g_pObjectManager->CountObjectsOfKind(kind) : 0;
}

// The float a dialog hands over in its 32-bit value.
float FloatOf(const int32_t* value)
{
    float f;
    std::memcpy(&f, value, sizeof f);
    return f;
}

const AnimalInfo* AnimalType(const BuildingInfo& info, long n)
{
    if (!g_pWorldParams || n < 0 || n >= std::min(info.iAnimalSlotCount, BuildingInfo::kAnimalSlots))
        return nullptr;
    const int32_t id = g_pWorldParams->FindAnimal(info.szAnimal[n]);
    return id == WorldParams::kNotFound ? nullptr : &g_pWorldParams->GetAnimalInfo(id);
}

// A row number read from a keyword, held to the rows a list can have.
int32_t Row(long n)
{
    return static_cast<int32_t>(std::clamp<long>(n, -1, BuildingInfo::kAnimalSlots));
}

// A keyword of the form prefix + number: the number, or false when the keyword has another prefix.
bool Indexed(const char* keyword, const char* prefix, long& n)
{
    const size_t length = std::strlen(prefix);
    if (std::strncmp(keyword, prefix, length) != 0)
        return false;
    n = std::strtol(keyword + length, nullptr, 10);
    return true;
}

} // namespace

// ---------------------------------------------------------------- the panel

void BuildingObject::OpenMenu()
{
    if (ParkGui* gui = GetParkGui())
    {
        if (m_pInfo->bMenuAttach)
        {
            gui->OpenDialog(m_pInfo->szMenu, this);
        }
        else if (std::strcmp(m_pInfo->szMenu, "AnimalRescue") == 0)
        {
            DialogListener* rescue =
                g_pWorld ? dynamic_cast<DialogListener*>(g_pWorld->GetManagers().rescue.get()) : nullptr;
            gui->OpenDialog("AnimalRescue", rescue);
        }
        else
        {
            gui->OpenDialog(m_pInfo->szMenu, nullptr);
        }
    }
    m_SelectLevel = 2;
}

void BuildingObject::OnSelected(bool open, bool focus)
{
    if (!open)
    {
        const bool panelOpen =
            g_pObjectManager &&
            !g_pObjectManager
                 ->FindObjects([](const BaseObject* o)
                               { return o->GetType() == OBJECT_BUILDING && o->GetSelectLevel() == 2; })
                 .empty();
        if (panelOpen)
            OpenMenu();
    }
    else if (IsBeingDemolished())
    {
        if (ParkGui* gui = GetParkGui())
            gui->OpenDialog("DemolishBuilding", this);
        m_SelectLevel = 1;
    }
    else
    {
        if (g_pObjectManager)
            g_pObjectManager->ClosePanelsOfKind(OBJECT_BUILDING);
        OpenMenu();
    }
    // Asked to (the panel's previous and next buttons, a building picked behind others), the camera turns to it.
    if (focus)
    {
        if (ParkViews* views = GetParkViews())
            views->LookAt(m_WorldXYZ);
    }
}

void BuildingObject::ClosePanel()
{
    if (m_SelectLevel == 2)
    {
        if (ParkGui* gui = GetParkGui())
            gui->CloseDialog(m_pInfo->szMenu);
    }
    m_SelectLevel = 0;
}

void BuildingObject::CloseOwnDialogs()
{
    if (ParkGui* gui = GetParkGui())
        gui->CloseDialogsOfListener(this);
}

void BuildingObject::ResetPanelState()
{
    m_SelectLevel = 0;
}

// ---------------------------------------------------------------- keywords

platform::WString BuildingObject::GetDisplayName() const
{
    return Text(std::string("FAN_") + m_pInfo->keyword);
}

void BuildingObject::GetVariable(const char* keyword, platform::WString& text)
{
    text.clear();
    if (!keyword)
        return;
    const BuildingInfo& info = *m_pInfo;
    const World* world = g_pWorld;
    const auto is = [keyword](const char* name) { return std::strcmp(keyword, name) == 0; };
    const struct
    {
        const char* keyword;
        float value;
    } money[] = {{"BUILDING_INCOMETODAY$", m_fIncomeToday},
                 {"BUILDING_COSTTODAY$", m_fCostToday},
                 {"BUILDING_PROFITTODAY$", m_fProfitToday},
                 {"BUILDING_AVERAGEPROFIT$", m_fAverageProfit}};
    for (const auto& entry : money)
    {
        if (is(entry.keyword))
        {
            text = FormatMoney(entry.value);
            return;
        }
    }
    const struct
    {
        const char* keyword;
        const int32_t* counters;
    } guests[] = {{"BUILDING_GUESTARRTOTAL", world ? world->m_TotalGuestArrive : nullptr},
                  {"BUILDING_GUESTARRTODAY", world ? world->m_TodayGuestArrive : nullptr},
                  {"BUILDING_GUESTDEPTOTAL", world ? world->m_TotalGuestDepart : nullptr},
                  {"BUILDING_GUESTDEPTODAY", world ? world->m_TodayGuestDepart : nullptr},
                  {"BUILDING_GUESTUNTOTAL", world ? world->m_TotalGuestUnhappyDepart : nullptr},
                  {"BUILDING_GUESTUNTODAY", world ? world->m_TodayGuestUnhappyDepart : nullptr}};
    for (const auto& entry : guests)
    {
        if (is(entry.keyword))
        {
            if (entry.counters)
            {
                const int32_t a = entry.counters[0];
                const int32_t b = entry.counters[1];
                text = FormatTableText("FP_GUEST_FORMAT", {a + b, a, b});
            }
            return;
        }
    }
    const struct
    {
        const char* keyword;
        int32_t list;
    } opinions[] = {{"PRICE_OPINION_BAR", OPINION_PRICE},
                    {"QUEUING_OPINION_BAR", OPINION_QUEUING},
                    {"WELFARE_OPINION_BAR", OPINION_WELFARE}};
    for (const auto& entry : opinions)
    {
        if (is(entry.keyword))
        {
            text = Real(GetOpinionMean(entry.list));
            return;
        }
    }

    const int32_t condition = static_cast<int32_t>(Truncated(m_fRepairState * 100.0f, 0, 100));
    long n = 0;
    if (is("BUILDING_NAME"))
    {
        text = GetDisplayName() + FormatTableText("BI_INSTANCE_ADDON", {static_cast<long long>(m_iInstanceNumber) + 1});
    }
    else if (is("BUILDING_OPEN"))
    {
        text = m_OpenStatus == kOpen ? Text("OPEN") : m_OpenStatus == kClosed ? Text("CLOSED") : u"";
    }
    else if (is("BUILDING_MAXGUESTS"))
    {
        text = Whole(info.iGuestCapacity);
    }
    else if (is("BUILDING_AGE"))
    {
        text = m_BuildingAge == 0   ? Text("BI_BUILD_AGE_NEW")
               : m_BuildingAge == 1 ? Text("BI_BUILD_AGE_1")
                                    : FormatTableText("BI_BUILD_AGE_N", {m_BuildingAge});
    }
    else if (is("BUILDING_LASTINSPECT"))
    {
        text = m_fLastRepairDayTime < 0.0f
                   ? Text("BI_LAST_INSPECT_NONE")
                   : FormatTableText("BI_LAST_INSPECT_FORMAT",
                                     {HourOf(m_fLastRepairDayTime), QuarterMinuteOf(m_fLastRepairDayTime),
                                      ShownDay(m_LastRepairDay)});
    }
    else if (is("BUILDING_NUMFAULTS"))
    {
        text = m_NumFaults == 0 ? Text("BI_LAST_FAULT_NONE")
                                : FormatTableText("BI_LAST_FAULT_FORMAT",
                                                  {m_NumFaults, HourOf(m_fLastFaultDayTime),
                                                   QuarterMinuteOf(m_fLastFaultDayTime), ShownDay(m_LastFaultDay)});
    }
    else if (is("BUILDING_FAULTS"))
    {
        text = m_NumFaults == 0 ? Text("BI_LAST_FAULT_NONE") : Whole(m_NumFaults);
    }
    else if (is("BUILDING_REPAIRSTATE"))
    {
        text = FormatTableText("BI_REPAIR_FORMAT", {condition, TableText(m_RepairText)});
    }
    else if (is("BUILDING_REPAIRSTATE_%"))
    {
        text = FormatChecked(u"%d%%", {condition});
    }
    else if (is("BUILDING_REPAIRSTATUS"))
    {
        const RepairManager* mechanics = GetMechanicsRepair();
        const bool called = m_bCalledRepairing || m_bMechanicCalledByPlayer;
        static constexpr const char* kStatus[] = {
            "BI_REPAIR_NO_MECHANICS",    "BI_REPAIR_CANT_REACH", nullptr, nullptr, "BI_INSPECT_REQUIRED",
            "BI_REPAIR_MECHANIC_COMING", "BI_REPAIR_REPAIRING"};
        const int32_t state = mechanics ? mechanics->GetRepairState(m_dwID) : -1;
        if (state == RepairManager::STATE_NOT_NEEDED)
            text = Text(called ? "BI_REPAIR_WAITING" : "BI_REPAIR_NOT_NEEDED");
        else if (state == RepairManager::STATE_REPAIR_REQUIRED)
            text = Text(called ? "BI_REPAIR_REQUESTED" : "BI_REPAIR_REQUIRED");
        else if (state >= 0 && state < static_cast<int32_t>(std::size(kStatus)))
            text = Text(kStatus[state]);
    }
    else if (is("BUILDING_CLEANINGSTATUS"))
    {
        static constexpr const char* kStatus[] = {"BI_CLEAN_NO_CLEANERS", "BI_CLEAN_NOT_NEEDED", "BI_CLEAN_REQUIRED",
                                                  "BI_CLEAN_ONROUTE", "BI_CLEAN_CLEANING"};
        const CleaningManager* cleaning = GetCleaningManager();
        const int32_t state = cleaning ? cleaning->GetCleaningState(m_dwID) : 0;
        if (state >= 1 && state <= static_cast<int32_t>(std::size(kStatus)))
            text = Text(kStatus[state - 1]);
    }
    else if (is("BUILDING_NUMVISITS"))
    {
        text = Whole(m_NumVisitsToday);
    }
    else if (is("BUILDING_CLEANLINESS"))
    {
        text = Real(m_fCleanliness);
    }
    else if (Indexed(keyword, "ATTRACTION_PRICE_", n))
    {
        text = Real(m_fAttractionPrice);
    }
    else if (Indexed(keyword, "ATTRACTION_NAME_", n))
    {
        text = Text(info.szAttractID);
    }
    else if (Indexed(keyword, "ATTRACTION_PROFIT$_", n))
    {
        const float profit = m_fAttractionPrice - info.fAttractCost;
        text = FormatChecked(u"$%.2f", {std::fabs(profit) <= kProfitZero ? 0.0 : static_cast<double>(profit)});
    }
    else if (Indexed(keyword, "ANIMAL_NAME_", n) || Indexed(keyword, "ANIMAL_HEALTH_LEVEL_", n))
    {
        // Only the animals held answer.
        const bool name = std::strncmp(keyword, "ANIMAL_NAME_", 12) == 0;
        BaseObject* animal =
            n >= 0 && n < m_iNumAnimals && n < static_cast<long>(kMaxAnimals) ? FindObject(m_dwAnimals[n]) : nullptr;
        if (animal)
            animal->GetVariable(name ? "ANIMAL_NAME" : "ANIMAL_HEALTH_LEVEL", text);
    }
    else if (is("BI_BUILDING_OPEN"))
    {
        text = Whole(m_OpenStatus == kOpen ? 0 : 1);
    }
    else if (Indexed(keyword, "BI_BUILDING_OPEN_STATUS_", n))
    {
        const bool cannot = IsBrokenDown() || (info.bHasAnimals && m_iNumAnimals == 0);
        text = Whole(n != 0 || !cannot ? 1 : 0);
    }
    else if (is("BI_CALL_CLEANER_STATE"))
    {
        const CleaningManager* cleaning = GetCleaningManager();
        text = Whole(cleaning && !cleaning->HoldsRequest(m_dwID) && CountOfKind(OBJECT_CLEANER) > 0 ? 1 : 0);
    }
    else if (is("BI_CALL_MECHANIC_STATE") || is("BI_CALL_ZOO_STATE"))
    {
        const bool zoo = is("BI_CALL_ZOO_STATE");
        const RepairManager* repairs = zoo ? GetZooRepair() : GetMechanicsRepair();
        const uint8_t kind = zoo ? OBJECT_ZOOKEEPER : OBJECT_MECHANIC;
        text = Whole(repairs && !repairs->HoldsRequest(m_dwID) && CountOfKind(kind) > 0 ? 1 : 0);
    }
    else if (is("BUILDING_CONFIRM_DEMOLISH"))
    {
        const float refund = kRefundShare * static_cast<float>(info.iCost2Build) + GetAnimalsSaleValue();
        text = FormatTableText("BI_CONFIRM_DEMOLISH", {Truncated(refund, -kMostDollars, kMostDollars)});
    }
    else if (is("RIDE_START_LEVEL"))
    {
        text = Real(m_fRideStartLevel);
    }
    else if (is("STAFF_RESTING"))
    {
        text = FormatTableText("BI_STAFF_RESTING_FORMAT", {m_NumRestStaff, info.iGuestCapacity});
    }
    else if (is("UPGRADE_STATUS"))
    {
        text = Text(info.bUpgraded ? "BI_UPGRADE_YES" : "BI_UPGRADE_NO");
    }
    else if (is("RIDE_GO_AT"))
    {
        const uint32_t go = RideStartThreshold(m_fRideStartLevel);
        text = Whole(go == 0 ? 1 : go);
    }
    else if (Indexed(keyword, "ADOPT_ANIMAL_NAME_", n))
    {
        if (const AnimalInfo* animal = AnimalType(info, GetAdoptableSlot(Row(n))))
            text = Text(std::string("AT_") + animal->keyword);
    }
    else if (Indexed(keyword, "ADOPT_ANIMAL_COST$_", n))
    {
        if (const AnimalInfo* animal = AnimalType(info, GetAdoptableSlot(Row(n))))
            text = FormatChecked(u"$%.2f", {static_cast<double>(animal->fCost)});
    }
    else if (is("SELL_ANIMAL_STATE"))
    {
        text = Whole(m_iNumAnimals > 0 ? 1 : 0);
    }
    else if (is("ANIMAL_CONFIRM_ADOPT"))
    {
        ParkGui* gui = GetParkGui();
        if (const AnimalInfo* animal =
                AnimalType(info, GetAdoptableSlot(gui ? gui->GetSelection(kAdoptSlotSelection) : 0)))
            text = FormatTableText("ADOPT_CONFIRM", {Truncated(animal->fCost, -kMostDollars, kMostDollars)});
    }
    else if (is("ROOF_TOGGLE"))
    {
        if (info.bCutawayRoof)
            text = Text("BI_ROOF_OPTION");
    }
    else if (is("ROOF_CHECK"))
    {
        text = Whole(m_bRoofState ? 1 : 0);
    }
    else if (is("ROOF_CHECK_STATE"))
    {
        text = Whole(info.bCutawayRoof ? 1 : 0);
    }
    else if (is("BUILDING_ANIMAL_LOAD"))
    {
        // Nine significant digits carry the float whole, so that a reader's x 100 truncates as the load does.
        text = FormatChecked(u"%.9g", {static_cast<double>(GetAnimalLoad())});
    }
    else if (is("BUILDING_TYPE_INDEX"))
    {
        // The type's record index (an unknown type stands for the first record); -1 without the records.
        const int32_t index = g_pWorldParams ? g_pWorldParams->FindBuilding(info.keyword) : -1;
        text = Whole(index == WorldParams::kNotFound ? -1 : index);
    }
    else
    {
        GetLogger()->Report(0, "BuildingObject::GetVariable - data keyword not recognised - %s", keyword);
    }
}

float* BuildingObject::DecimalField(const char* keyword)
{
    long n = 0;
    return Indexed(keyword, "ATTRACTION_PRICE_", n)        ? &m_fAttractionPrice
           : std::strcmp(keyword, "RIDE_START_LEVEL") == 0 ? &m_fRideStartLevel
                                                           : nullptr;
}

void BuildingObject::SetVariable(const char* keyword, const DialogValue& value)
{
    if (!keyword)
        return;
    if (DecimalField(keyword))
    {
        const int32_t bits = std::bit_cast<int32_t>(value.AsFloat());
        SetVariable(keyword, &bits);
        return;
    }
    const int32_t whole = value.AsInt();
    SetVariable(keyword, &whole);
}

void BuildingObject::SetVariable(const char* keyword, const int32_t* value)
{
    if (!keyword || !value)
        return;
    if (float* number = DecimalField(keyword))
    {
        // A value that is no number would spread into the takings: the old one is kept.
        if (std::isfinite(FloatOf(value)))
            *number = FloatOf(value);
        else
            GetLogger()->Report(1, "BuildingObject::SetVariable - %s of %s is no number: kept", keyword, m_Name);
    }
    else if (std::strcmp(keyword, "BI_BUILDING_OPEN") == 0)
    {
        if (*value != 0)
            Close();
        else
            Open();
    }
    else if (std::strcmp(keyword, "ROOF_CHECK") == 0)
    {
        m_bRoofState = *value != 0;
        EnableBone(kRoofPart, m_bRoofState);
    }
    else
    {
        GetLogger()->Report(0, "BuildingObject::SetVariable - keyword not recognised - %s", keyword);
    }
}
