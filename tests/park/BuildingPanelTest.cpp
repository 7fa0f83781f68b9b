// Tests of the building's panel: every keyword it answers, read from buildings the test sets up with a text table
// of its own, the keywords it accepts, and the opening and closing of its dialogs.
#include "gui/VariableWidgets.h"
#include "scripts/ObjectStates.h"
#include "tests/park/GuestTestSupport.h"
#include "tests/park/JobsTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

using namespace jobstest;

namespace
{

class Panel : public testing::Test
{
protected:
    Panel()
    {
        texts = MakeTexts(park.dir, u"FAN_KIOSK=Tea Kiosk|BI_INSTANCE_ADDON= #%d|OPEN=Open|CLOSED=Closed|"
                                    u"BI_BUILD_AGE_NEW=New|BI_BUILD_AGE_1=One day|BI_BUILD_AGE_N=%d days|"
                                    u"BI_LAST_INSPECT_NONE=Never|BI_LAST_INSPECT_FORMAT=%d:%02d, day %d|"
                                    u"BI_LAST_FAULT_NONE=No faults|BI_LAST_FAULT_FORMAT=%d, last %d:%02d day %d|"
                                    u"BI_REPAIR_FORMAT=%d%% %s|BUILDING_REPAIR_GOOD=good|"
                                    u"BI_REPAIR_NOT_NEEDED=not needed|BI_REPAIR_WAITING=waiting|"
                                    u"BI_REPAIR_REQUIRED=required|BI_CLEAN_NOT_NEEDED=clean|BI_CLEAN_REQUIRED=dirty|"
                                    u"AI_TEA=Tea|FP_GUEST_FORMAT=%d (%d men, %d women)|"
                                    u"BI_CONFIRM_DEMOLISH=Sell for $%d?|BI_STAFF_RESTING_FORMAT=%d of %d|"
                                    u"BI_UPGRADE_NO=No|AT_FISH=Clownfish|AT_EEL=Moray|ADOPT_CONFIRM=Adopt for $%d?|"
                                    u"BI_ROOF_OPTION=Roof");
        park.Small("KIOSK", 4);
        kiosk = park.Small("KIOSK", 10);
        toilet = park.Small("RESTSMALL", 12);
        pool = park.Small("POOL", 14);
        empty = park.Small("POOL", 16);
        park.Make(OBJECT_CLEANER);
        const uint32_t mechanic = park.Make(OBJECT_MECHANIC)->GetID();
        for (int i = 0; i < 3; ++i)
            park.Sale(kiosk);
        // A fault at 10:42 of the first day, repaired at 11:42.
        for (int i = 0; i < 17; ++i)
            park.world->AdvanceClock(1.0f);
        kiosk->BreakDownByWear();
        for (int i = 0; i < 10; ++i)
            park.world->AdvanceClock(1.0f);
        uint32_t type = 0;
        EXPECT_EQ(park.mechanics.FindJob({}, RepairManager::REPAIR_BREAKDOWN, type),
                  static_cast<int32_t>(kiosk->GetID()));
        for (int i = 0; i < 4; ++i)
            park.Tell(kiosk, mechanic, MT_REPAIR, type);
        park.mechanics.RemoveAssigned(kiosk->GetID());
        kiosk->SetNumRestStaff(2);
        kiosk->AddOpinion(BuildingObject::OPINION_PRICE, 2);
        toilet->Close();
        toilet->SetCalledRepairing(true);
        park.Send(kWorldID, toilet->GetID(), MT_NEW_DAY);
        for (int i = 0; i < 2; ++i)
        {
            pool->AdoptAnimal(0);
            park.Send(kWorldID, pool->GetID(), MT_NEW_DAY);
            dynamic_cast<Animal*>(park.objects->GetObject(pool->GetAnimal(i)))->value = 40.6f;
        }
        park.mechanics.RequestRepair(pool->GetID(), RepairManager::REPAIR_BREAKDOWN);
        park.cleaning.RequestCleaning(pool->GetID());
        park.world->m_TotalGuestArrive[0] = 3;
        park.world->m_TotalGuestArrive[1] = 4;
        park.world->m_TodayGuestUnhappyDepart[0] = 1;
    }

    platform::WString Get(BuildingObject* building, const char* keyword)
    {
        platform::WString text = u"stale";
        building->GetVariable(keyword, text);
        return text;
    }
    void Set(BuildingObject* building, const char* keyword, float value)
    {
        int32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        building->SetVariable(keyword, &bits);
    }

    JobPark park;
    Gui gui;
    std::unique_ptr<TextTable> texts;
    BuildingObject* kiosk = nullptr;
    BuildingObject* toilet = nullptr;
    BuildingObject* pool = nullptr;
    BuildingObject* empty = nullptr;
};

TEST_F(Panel, NextAndPreviousFollowTheNamesThePlayerReads)
{
    // Names whose order differs from the order of the type keywords (KIOSK, POOL, RESTSMALL).
    texts.reset();
    texts = MakeTexts(park.dir, u"FAN_KIOSK=Tea Kiosk|FAN_RESTSMALL=Basins|FAN_POOL=Rock pool");
    const struct
    {
        BuildingObject* from;
        bool forward;
        BuildingObject* to;
    } steps[] = {
        {toilet, true, pool}, {pool, true, empty}, {kiosk, true, toilet}, {toilet, false, kiosk}, {pool, false, toilet},
    };
    for (const auto& step : steps)
        EXPECT_EQ(park.world->StepBuilding(step.from->GetID(), step.forward), step.to->GetID())
            << step.from->GetName() << " " << step.forward;
}

TEST_F(Panel, AnswersEveryKeywordFromTheBuildingAndThePark)
{
    const std::u16string fish0 = u"Fish " + platform::AnsiToWide(std::to_string(pool->GetAnimal(0)).c_str());
    const std::u16string health1 = u"health " + platform::AnsiToWide(std::to_string(pool->GetAnimal(1)).c_str());
    const struct
    {
        BuildingObject* building;
        const char* keyword;
        std::u16string text;
    } cases[] = {
        {kiosk, "BUILDING_NAME", u"Tea Kiosk #2"},
        {kiosk, "BUILDING_OPEN", u"Open"},
        {toilet, "BUILDING_OPEN", u"Closed"},
        {kiosk, "BUILDING_MAXGUESTS", u"4"},
        {kiosk, "BUILDING_INCOMETODAY$", u"$6.00"},
        {kiosk, "BUILDING_COSTTODAY$", u"$6.00"},
        {kiosk, "BUILDING_AGE", u"New"},
        {toilet, "BUILDING_AGE", u"One day"},
        {pool, "BUILDING_AGE", u"2 days"},
        {kiosk, "BUILDING_LASTINSPECT", u"11:30, day 1"},
        {toilet, "BUILDING_LASTINSPECT", u"Never"},
        {kiosk, "BUILDING_NUMFAULTS", u"1, last 10:30 day 1"},
        {toilet, "BUILDING_NUMFAULTS", u"No faults"},
        {kiosk, "BUILDING_FAULTS", u"1"},
        {toilet, "BUILDING_FAULTS", u"No faults"},
        {kiosk, "BUILDING_REPAIRSTATE", u"100% good"},
        {kiosk, "BUILDING_REPAIRSTATE_%", u"100%"},
        {kiosk, "BUILDING_REPAIRSTATUS", u"not needed"},
        {toilet, "BUILDING_REPAIRSTATUS", u"waiting"},
        {pool, "BUILDING_REPAIRSTATUS", u"required"},
        {toilet, "BUILDING_CLEANINGSTATUS", u"clean"},
        {pool, "BUILDING_CLEANINGSTATUS", u"dirty"},
        {kiosk, "BUILDING_NUMVISITS", u"3"},
        {toilet, "BUILDING_CLEANLINESS", u"1.00"},
        {kiosk, "ATTRACTION_PRICE_0", u"2.00"},
        {kiosk, "ATTRACTION_NAME_3", u"Tea"},
        {kiosk, "ATTRACTION_PROFIT$_0", u"$0.00"},
        {pool, "ANIMAL_NAME_0", fish0},
        {pool, "ANIMAL_HEALTH_LEVEL_1", health1},
        {pool, "ANIMAL_NAME_2", u""},
        {pool, "ANIMAL_NAME_-1", u""},
        {kiosk, "BI_BUILDING_OPEN", u"0"},
        {toilet, "BI_BUILDING_OPEN", u"1"},
        {pool, "BI_BUILDING_OPEN_STATUS_0", u"1"},
        {empty, "BI_BUILDING_OPEN_STATUS_0", u"0"},
        {empty, "BI_BUILDING_OPEN_STATUS_1", u"1"},
        {toilet, "BI_CALL_CLEANER_STATE", u"1"},
        {pool, "BI_CALL_CLEANER_STATE", u"0"},
        {toilet, "BI_CALL_MECHANIC_STATE", u"1"},
        {pool, "BI_CALL_MECHANIC_STATE", u"0"},
        {toilet, "BI_CALL_ZOO_STATE", u"0"},
        {kiosk, "BUILDING_GUESTARRTOTAL", u"7 (3 men, 4 women)"},
        {kiosk, "BUILDING_GUESTUNTODAY", u"1 (1 men, 0 women)"},
        {pool, "BUILDING_CONFIRM_DEMOLISH", u"Sell for $831?"},
        {kiosk, "RIDE_START_LEVEL", u"0.50"},
        {kiosk, "STAFF_RESTING", u"2 of 4"},
        {kiosk, "PRICE_OPINION_BAR", u"0.75"},
        {kiosk, "QUEUING_OPINION_BAR", u"0.50"},
        {kiosk, "UPGRADE_STATUS", u"No"},
        {kiosk, "RIDE_GO_AT", u"2"},
        {pool, "ADOPT_ANIMAL_NAME_0", u"Clownfish"},
        {pool, "ADOPT_ANIMAL_NAME_1", u""},
        {pool, "ADOPT_ANIMAL_COST$_0", u"$100.75"},
        {pool, "ADOPT_ANIMAL_COST$_3", u""},
        {pool, "SELL_ANIMAL_STATE", u"1"},
        {kiosk, "SELL_ANIMAL_STATE", u"0"},
        {pool, "ANIMAL_CONFIRM_ADOPT", u"Adopt for $100?"},
        {toilet, "ROOF_TOGGLE", u"Roof"},
        {kiosk, "ROOF_TOGGLE", u""},
        {toilet, "ROOF_CHECK", u"1"},
        {toilet, "ROOF_CHECK_STATE", u"1"},
        {kiosk, "ROOF_CHECK_STATE", u"0"},
        {kiosk, "NO_SUCH_KEYWORD", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Get(c.building, c.keyword), c.text) << c.keyword;
    EXPECT_EQ(park.CountReports("BuildingObject::GetVariable - data keyword not recognised - NO_SUCH_KEYWORD"), 1u);
    // Without the animal slot chosen in the adopt dialog there is nothing to confirm.
    gui.selections[11] = 2;
    EXPECT_EQ(Get(pool, "ANIMAL_CONFIRM_ADOPT"), u"");
}

// The adoption list shows the animals the player may adopt: one still to be unlocked takes no row, and each row
// names, prices and confirms the animal it shows.
TEST_F(Panel, TheAdoptionListLeavesOutAnimalsStillToBeUnlocked)
{
    BuildingObject* tank = park.Small("TANK", 18);
    AnimalInfo& eel = g_pWorldParams->GetAnimalInfo(g_pWorldParams->FindAnimal("EEL"));
    const struct
    {
        bool locked;
        int32_t row;
        const char16_t* name;
        const char16_t* cost;
        const char16_t* confirm;
        const char* animal; // the animal the row adopts, null for none
    } cases[] = {
        {true, 0, u"Clownfish", u"$100.75", u"Adopt for $100?", "FISH"},
        {true, 1, u"", u"", u"", nullptr},
        {false, 0, u"Moray", u"$40.00", u"Adopt for $40?", "EEL"},
        {false, 1, u"Clownfish", u"$100.75", u"Adopt for $100?", "FISH"},
        {false, 2, u"", u"", u"", nullptr},
        {false, -1, u"", u"", u"", nullptr},
    };
    for (const auto& c : cases)
    {
        eel.bNeedsUnlocking = c.locked;
        const std::string row = std::to_string(c.row);
        EXPECT_EQ(Get(tank, ("ADOPT_ANIMAL_NAME_" + row).c_str()), c.name) << c.locked << " row " << row;
        EXPECT_EQ(Get(tank, ("ADOPT_ANIMAL_COST$_" + row).c_str()), c.cost) << c.locked << " row " << row;
        gui.selections[11] = c.row;
        EXPECT_EQ(Get(tank, "ANIMAL_CONFIRM_ADOPT"), c.confirm) << c.locked << " row " << row;
        const int32_t slot = tank->GetAdoptableSlot(c.row);
        EXPECT_EQ(slot >= 0 ? std::string(tank->GetInfo().szAnimal[slot]) : std::string(), c.animal ? c.animal : "")
            << c.locked << " row " << row;
    }
}

// The values widgets hand over carry their kind: a number adjuster's or a slider's decimal number sets the price and
// the start level, whole numbers set them too, and the switches take either as a whole number.
TEST_F(Panel, TakesWidgetValuesByTheirKind)
{
    const struct
    {
        BuildingObject* building;
        const char* keyword;
        DialogValue value;
        const char* read;
        const char16_t* text;
    } cases[] = {
        {pool, "ATTRACTION_PRICE_0", DialogValue::Float(3.25f), "ATTRACTION_PRICE_0", u"3.25"},
        {pool, "ATTRACTION_PRICE_1", DialogValue::Int(4), "ATTRACTION_PRICE_0", u"4.00"},
        {pool, "ATTRACTION_PRICE_0", DialogValue::Float(NAN), "ATTRACTION_PRICE_0", u"4.00"},
        {toilet, "RIDE_START_LEVEL", DialogValue::Float(0.75f), "RIDE_START_LEVEL", u"0.75"},
        {toilet, "RIDE_START_LEVEL", DialogValue::Float(INFINITY), "RIDE_START_LEVEL", u"0.75"},
        {kiosk, "BI_BUILDING_OPEN", DialogValue::Float(1.0f), "BI_BUILDING_OPEN", u"1"},
        {kiosk, "BI_BUILDING_OPEN", DialogValue::Int(0), "BI_BUILDING_OPEN", u"0"},
        {toilet, "ROOF_CHECK", DialogValue::Int(1), "ROOF_CHECK", u"1"},
        {toilet, "ROOF_CHECK", DialogValue::Float(0.0f), "ROOF_CHECK", u"0"},
    };
    for (const auto& c : cases)
    {
        DialogListener& listener = *c.building;
        listener.SetVariable(c.keyword, c.value);
        EXPECT_EQ(Get(c.building, c.read), c.text) << c.keyword;
    }
    EXPECT_EQ(park.CountReports("takes whole numbers only"), 0u);
}

TEST_F(Panel, SetsPricesLevelsTheRoofAndOpening)
{
    Set(pool, "ATTRACTION_PRICE_0", 3.5f);
    Set(pool, "ATTRACTION_PRICE_0", NAN);
    Set(toilet, "RIDE_START_LEVEL", 0.2f);
    Set(toilet, "RIDE_START_LEVEL", INFINITY);
    EXPECT_EQ(Get(pool, "ATTRACTION_PROFIT$_0"), u"$3.50");
    EXPECT_EQ(Get(toilet, "RIDE_START_LEVEL"), u"0.20");
    // 4 x 0.2 rounds down to no guest: a ride still goes with one.
    EXPECT_EQ(Get(toilet, "RIDE_GO_AT"), u"1");
    const int32_t on = 1;
    const int32_t off = 0;
    kiosk->SetVariable("BI_BUILDING_OPEN", &on);
    EXPECT_TRUE(!kiosk->IsOpen() && kiosk->IsUserClosed());
    kiosk->SetVariable("BI_BUILDING_OPEN", &off);
    EXPECT_TRUE(kiosk->IsOpen() && !kiosk->IsUserClosed());
    // An exhibit without animals does not open.
    empty->SetVariable("BI_BUILDING_OPEN", &off);
    EXPECT_FALSE(empty->IsOpen());
    toilet->SetVariable("ROOF_CHECK", &off);
    EXPECT_EQ(Get(toilet, "ROOF_CHECK"), u"0");
    kiosk->SetVariable("NO_SUCH_KEYWORD", &on);
    kiosk->SetVariable("BI_BUILDING_OPEN", nullptr);
    EXPECT_EQ(park.CountReports("BuildingObject::SetVariable - keyword not recognised - NO_SUCH_KEYWORD"), 1u);
}

TEST_F(Panel, AnswersItsAnimalLoadAndTypeIndexForTheStarsAndThumbnail)
{
    // The pool holds two fish of intensity 1 against a maximum of 5: a load of 2 / 5. The types are recorded in
    // the order the test's tables give them: KIOSK, RESTSMALL, POOL.
    const struct
    {
        BuildingObject* building;
        const char* keyword;
        double number;
    } cases[] = {
        {pool, "BUILDING_ANIMAL_LOAD", 2.0 / 5.0}, {empty, "BUILDING_ANIMAL_LOAD", 0.0},
        {kiosk, "BUILDING_ANIMAL_LOAD", 0.0},      {kiosk, "BUILDING_TYPE_INDEX", 0.0},
        {toilet, "BUILDING_TYPE_INDEX", 1.0},      {pool, "BUILDING_TYPE_INDEX", 2.0},
    };
    for (const auto& c : cases)
    {
        const std::u16string text = Get(c.building, c.keyword);
        const std::string narrow(text.begin(), text.end());
        EXPECT_NEAR(std::strtod(narrow.c_str(), nullptr), c.number, 1e-6) << c.keyword << " " << narrow;
    }
    EXPECT_EQ(park.CountReports("data keyword not recognised"), 0u);
    // The boost stars read that load: 40 is two full stars (20 and 40 reached) and no half (50 not reached).
    const struct
    {
        BuildingObject* building;
        int32_t stars[5];
    } rows[] = {{pool, {2, 2, 0, 0, 0}}, {empty, {0, 0, 0, 0, 0}}};
    for (const auto& row : rows)
    {
        VariableImage stars(0, 0, 100, 20, "ANIMAL_BOOST_STARS");
        stars.SetObject(row.building);
        const auto steps = stars.PlanDraw();
        ASSERT_EQ(steps.size(), 5u);
        for (size_t i = 0; i < 5; ++i)
            EXPECT_EQ(steps[i].direction, row.stars[i]) << i;
    }
}

TEST_F(Panel, ShowsBoundedWholeNumbersWhateverTheDataOrThePanelSet)
{
    // The guests a ride goes at: trunc(capacity x level) in single precision, 1 for none, the capacity when the
    // level asks for more than it holds. Dollars shown whole are held within 2,000,000,000 either way; a sale
    // value that is no number adds nothing to the 750 the pool's building returns.
    BuildingInfo& info = park.params->GetBuildingInfo(park.params->FindBuilding("KIOSK"));
    AnimalInfo& fish = park.params->GetAnimalInfo(park.params->FindAnimal("FISH"));
    const auto fishValues = [&](float value)
    {
        for (int i = 0; i < 2; ++i)
            dynamic_cast<Animal*>(park.objects->GetObject(pool->GetAnimal(i)))->value = value;
    };
    const struct
    {
        std::function<void()> set;
        BuildingObject* building;
        const char* keyword;
        std::u16string text;
    } cases[] = {
        {[&] { info.iGuestCapacity = 10, Set(kiosk, "RIDE_START_LEVEL", 0.7f); }, kiosk, "RIDE_GO_AT", u"7"},
        {[&] { Set(kiosk, "RIDE_START_LEVEL", 1e30f); }, kiosk, "RIDE_GO_AT", u"10"},
        {[&] { Set(kiosk, "RIDE_START_LEVEL", FLT_MAX); }, kiosk, "RIDE_GO_AT", u"10"},
        {[&] { Set(kiosk, "RIDE_START_LEVEL", -1e30f); }, kiosk, "RIDE_GO_AT", u"1"},
        {[&] { info.iGuestCapacity = 2000000000, Set(kiosk, "RIDE_START_LEVEL", 0.5f); }, kiosk, "RIDE_GO_AT",
         u"1000000000"},
        {[&] { Set(kiosk, "RIDE_START_LEVEL", 2.0f); }, kiosk, "RIDE_GO_AT", u"2000000000"},
        {[&] { fish.fCost = 1e30f; }, pool, "ANIMAL_CONFIRM_ADOPT", u"Adopt for $2000000000?"},
        {[&] { fish.fCost = -1e30f; }, pool, "ANIMAL_CONFIRM_ADOPT", u"Adopt for $-2000000000?"},
        {[&] { fish.fCost = NAN; }, pool, "ANIMAL_CONFIRM_ADOPT", u"Adopt for $0?"},
        {[&] { fish.fCost = 2999.99f; }, pool, "ANIMAL_CONFIRM_ADOPT", u"Adopt for $2999?"},
        {[&] { fishValues(1e30f); }, pool, "BUILDING_CONFIRM_DEMOLISH", u"Sell for $2000000000?"},
        {[&] { fishValues(-INFINITY); }, pool, "BUILDING_CONFIRM_DEMOLISH", u"Sell for $-2000000000?"},
        {[&] { fishValues(NAN); }, pool, "BUILDING_CONFIRM_DEMOLISH", u"Sell for $750?"},
    };
    for (const auto& c : cases)
    {
        c.set();
        EXPECT_EQ(Get(c.building, c.keyword), c.text) << c.keyword << " " << platform::WideToUtf8(c.text.c_str());
    }
}

TEST_F(Panel, ShowsTheTimesOfADamagedRecordAsTimesOfTheDay)
{
    // The kiosk's record, read by the stream's layout: "m_staff" (10 words), two ints, the ten busy flags, nine
    // words, the 64-word profit record; then the fault's time and day, the number of faults, the repair state, the
    // broken flag, the last call, and the inspection's time and day.
    const savebytes::Bytes record = savebytes::Saved([&](SerialStream& s) { kiosk->Dump(s); });
    const size_t faultTime = (1 + 4 + 40) + 2 * 5 + (1 + 4 + 10) + 9 * 5 + (1 + 4 + 256);
    const size_t faultDay = faultTime + 5;
    const size_t repairTime = faultTime + 4 * 5 + 2 + 5;
    const size_t repairDay = repairTime + 5;
    ASSERT_GT(record.size(), repairDay + 5);
    for (size_t at : {faultTime, repairTime})
        ASSERT_EQ(record[at], 3) << at;
    for (size_t at : {faultDay, repairDay})
        ASSERT_EQ(record[at], 11) << at;
    const auto put = [](savebytes::Bytes& bytes, size_t at, const void* value)
    { std::memcpy(&bytes[at + 1], value, 4); };

    const struct
    {
        float time;
        int32_t day;
        int hour;
        int minutes;
        long long shownDay;
    } cases[] = {
        // A time the clock gives: its hour and quarter hour, the day counted from 1.
        {23.99f, 6, 23, 45, 7},
        // Times that are no time of the day: the start of the day, or its end beyond it; the last day there is.
        {NAN, INT32_MAX, 0, 0, 2147483648LL},
        {1e20f, INT32_MAX, 24, 0, 2147483648LL},
        {INFINITY, 0, 24, 0, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.time) + " day " + std::to_string(c.day));
        savebytes::Bytes changed = record;
        for (size_t at : {faultTime, repairTime})
            put(changed, at, &c.time);
        for (size_t at : {faultDay, repairDay})
            put(changed, at, &c.day);
        auto* copy = static_cast<BuildingObject*>(park.objects->CreateObject("KIOSK", OBJECT_BUILDING));
        ASSERT_NE(copy, nullptr);
        ASSERT_TRUE(savebytes::LoadFrom(changed, [&](SerialStream& s) { return copy->Load(s); }));
        char minutes[8];
        std::snprintf(minutes, sizeof minutes, "%02d", c.minutes);
        const std::string when = std::to_string(c.hour) + ":" + minutes + ", day " + std::to_string(c.shownDay);
        EXPECT_EQ(platform::WideToUtf8(Get(copy, "BUILDING_LASTINSPECT").c_str()), when);
        EXPECT_EQ(platform::WideToUtf8(Get(copy, "BUILDING_NUMFAULTS").c_str()),
                  "1, last " + std::to_string(c.hour) + ":" + minutes + " day " + std::to_string(c.shownDay));
    }
}

TEST_F(Panel, ReadsTheNumberOfANumberedKeywordInDecimal)
{
    // The pool holds 20 fish; the n-th is the n-th adopted (ids grow with each object made). Numbers past the
    // animals held answer nothing; leading zeros change nothing. The open status of an exhibit without animals
    // is 0 only for keyword number 0.
    for (int i = 0; i < 18; ++i)
        pool->AdoptAnimal(0);
    std::vector<uint32_t> fish;
    for (const BaseObject* animal : park.objects->GetObjectsOfKind(OBJECT_ANIMAL))
    {
        if (static_cast<const Animal*>(animal)->owner == pool->GetID())
            fish.push_back(animal->GetID());
    }
    std::sort(fish.begin(), fish.end());
    ASSERT_EQ(fish.size(), 20u);
    const auto name = [&](size_t n) { return u"Fish " + platform::AnsiToWide(std::to_string(fish[n]).c_str()); };
    const auto health = [&](size_t n) { return u"health " + platform::AnsiToWide(std::to_string(fish[n]).c_str()); };
    const struct
    {
        BuildingObject* building;
        const char* keyword;
        std::u16string text;
    } cases[] = {{pool, "ANIMAL_NAME_1", name(1)},
                 {pool, "ANIMAL_NAME_8", name(8)},
                 {pool, "ANIMAL_NAME_9", name(9)},
                 {pool, "ANIMAL_NAME_10", name(10)},
                 {pool, "ANIMAL_NAME_11", name(11)},
                 {pool, "ANIMAL_NAME_15", name(15)},
                 {pool, "ANIMAL_NAME_19", name(19)},
                 {pool, "ANIMAL_NAME_20", u""},
                 {pool, "ANIMAL_NAME_99", u""},
                 {pool, "ANIMAL_NAME_09", name(9)},
                 {pool, "ANIMAL_NAME_010", name(10)},
                 {pool, "ANIMAL_HEALTH_LEVEL_12", health(12)},
                 {pool, "ANIMAL_HEALTH_LEVEL_17", health(17)},
                 {empty, "BI_BUILDING_OPEN_STATUS_0", u"0"},
                 {empty, "BI_BUILDING_OPEN_STATUS_00", u"0"},
                 {empty, "BI_BUILDING_OPEN_STATUS_9", u"1"},
                 {empty, "BI_BUILDING_OPEN_STATUS_10", u"1"},
                 {pool, "ADOPT_ANIMAL_NAME_00", u"Clownfish"},
                 {pool, "ADOPT_ANIMAL_NAME_10", u""}};
    for (const auto& c : cases)
        EXPECT_EQ(Get(c.building, c.keyword), c.text) << c.keyword;
}

TEST_F(Panel, ClosesTheRescueDialogWhenARescueCentreIsSold)
{
    // The pool's menu is the rescue dialog: sold, it closes it; a shop's menu stays for its own panel.
    const struct
    {
        BuildingObject* building;
        long closed;
    } cases[] = {{kiosk, 0}, {toilet, 0}, {pool, 1}, {empty, 1}};
    for (const auto& c : cases)
    {
        gui.closed.clear();
        c.building->Sell();
        EXPECT_EQ(std::count(gui.closed.begin(), gui.closed.end(), "AnimalRescue"), c.closed) << c.building->GetName();
    }
}

TEST_F(Panel, OpensItsMenuAndClosesTheOthers)
{
    kiosk->OnSelected(true, false);
    ASSERT_EQ(gui.opened.size(), 1u);
    EXPECT_EQ(gui.opened[0], std::make_pair(std::string("ShopMenu"), static_cast<DialogListener*>(kiosk)));
    EXPECT_EQ(kiosk->GetSelectLevel(), 2);
    // Another building's panel closes the first; a rescue menu is not bound to the building.
    pool->OnSelected(true, false);
    EXPECT_EQ(gui.closed, std::vector<std::string>{"ShopMenu"});
    EXPECT_EQ(gui.opened.back(), std::make_pair(std::string("AnimalRescue"), static_cast<DialogListener*>(nullptr)));
    EXPECT_EQ(kiosk->GetSelectLevel(), 0);
    // Without confirmation a panel opens only while another is open.
    toilet->OnSelected(false, false);
    EXPECT_EQ(toilet->GetSelectLevel(), 2);
    pool->ClosePanel();
    toilet->ClosePanel();
    empty->OnSelected(false, false);
    EXPECT_EQ(empty->GetSelectLevel(), 0);
    EXPECT_EQ(gui.opened.size(), 3u);
    // A building being sold asks to confirm.
    kiosk->Sell();
    kiosk->OnSelected(true, false);
    EXPECT_EQ(gui.opened.back(), std::make_pair(std::string("DemolishBuilding"), static_cast<DialogListener*>(kiosk)));
    EXPECT_EQ(kiosk->GetSelectLevel(), 1);
}

// The camera turns to a building only when its selection asks for it: a panel's previous and next buttons and a
// building picked behind others do, a building clicked in plain view does not; whichever way the panel goes.
TEST_F(Panel, TurnsTheCameraToItOnlyWhenAsked)
{
    guesttest::Views views;
    kiosk->OnSelected(true, false);
    EXPECT_TRUE(views.lookedAt.empty());
    const struct
    {
        BuildingObject* building;
        bool open;
    } cases[] = {{toilet, true}, {kiosk, false}, {pool, true}};
    for (const auto& c : cases)
    {
        views.lookedAt.clear();
        c.building->OnSelected(c.open, true);
        ASSERT_EQ(views.lookedAt.size(), 1u) << c.building->GetName();
        const platform::Vec3& at = views.lookedAt[0];
        const platform::Vec3& position = c.building->GetWorldPosition();
        EXPECT_EQ(std::tuple(at.x, at.y, at.z), std::tuple(position.x, position.y, position.z))
            << c.building->GetName();
    }
    // A building being pulled down too.
    views.lookedAt.clear();
    kiosk->Sell();
    kiosk->OnSelected(true, true);
    EXPECT_EQ(views.lookedAt.size(), 1u);
}

} // namespace
