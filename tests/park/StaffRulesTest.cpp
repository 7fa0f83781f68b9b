// Rules of the staff panels and scripts read off their tables: each kind's activity by state, job title and day
// counts, the panel's switches, the energy a job costs, a new day's reset, and where a stroll leads.
#include "park/CleanerObject.h"
#include "park/MechanicObject.h"
#include "park/ServerObject.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "tests/park/JobsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace jobstest;

namespace
{

// Every text the panels are asked for reads as its own id.
std::u16string SelfNamedTexts()
{
    const char* const ids[] = {
        "STARTING_WORK",
        "SACKED",
        "CLEANER_GOING_TO_REST",
        "CLEANER_RESTING",
        "CLEANER_CHOOSE_TASK",
        "CLEANER_GO_CLEAN_LITTER",
        "CLEANER_CLEANING_LITTER",
        "CLEANER_GO_CLEAN_TOILET",
        "CLEANER_GO_CLEAN_BIN",
        "CLEANER_CLEANING_BIN",
        "CLEANER_CLEANING_TOILET",
        "CLEANER_IDLE",
        "MECHANIC_GO_REST",
        "MECHANIC_RESTING",
        "MECHANIC_WATERING",
        "MECHANIC_REPAIR",
        "MECHANIC_CHOOSE_JOB",
        "MECHANIC_GO_REPAIR",
        "MECHANIC_IDLE",
        "ZOO_GO_REST",
        "ZOO_RESTING",
        "ZOO_REPAIR",
        "ZOO_CHOOSE_JOB",
        "ZOO_GO_REPAIR",
        "ZOO_IDLE",
        "STAFFB_TITLE_CLEANER",
        "STAFFB_TITLE_MECHANIC",
        "STAFFB_TITLE_ZOOKEEPER",
    };
    std::u16string texts;
    for (const char* id : ids)
    {
        const platform::WString name = platform::AnsiToWide(id);
        texts += (texts.empty() ? u"" : u"|") + name + u"=" + name;
    }
    return texts;
}

class StaffRulesPark : public JobPark
{
public:
    StaffRulesPark() : texts(MakeTexts(dir, SelfNamedTexts())) { RegisterStaff(); }

    struct Crew
    {
        CleanerObject* cleaner;
        MechanicObject* mechanic;
        ZooKeeperObject* keeper;
    };
    // One worker of each kind.
    Crew HireOneOfEach()
    {
        return {Hire<CleanerObject>(OBJECT_CLEANER, "CLEANER"), Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC"),
                Hire<ZooKeeperObject>(OBJECT_ZOOKEEPER, "ZOOKEEPER")};
    }

    std::unique_ptr<TextTable> texts;
};

platform::WString Keyword(BaseObject& object, const char* keyword)
{
    platform::WString text = u"untouched";
    object.GetVariable(keyword, text);
    return text;
}

float ReadFloat(BaseObject& object, uint32_t id)
{
    ScriptOperand operand;
    operand.id = id;
    return ScriptValueToFloat(object.GetScriptVariable(operand));
}

// ---------------------------------------------------------------- the panel's activity

TEST(StaffActivity, EachKindNamesWhatItDoesByItsState)
{
    struct Row
    {
        uint8_t kind;
        uint32_t state;
        const char16_t* shown;
    };
    const Row rows[] = {
        // Every kind: the states of the staff base.
        {OBJECT_CLEANER, STATE_NULL, u""},
        {OBJECT_CLEANER, STATE_STARTUP, u"STARTING_WORK"},
        {OBJECT_CLEANER, STATE_STAFF_FALLING_ON_SWORD, u"SACKED"},
        {OBJECT_CLEANER, STATE_DEAD, u"SACKED"},
        {OBJECT_CLEANER, STATE_STAFF_BEING_PICKED, u"Not done yet"},
        {OBJECT_MECHANIC, STATE_STARTUP, u"STARTING_WORK"},
        {OBJECT_ZOOKEEPER, STATE_STAFF_FALLING_ON_SWORD, u"SACKED"},
        // The cleaner's own.
        {OBJECT_CLEANER, STATE_STAFF_GO_REST, u"CLEANER_GOING_TO_REST"},
        {OBJECT_CLEANER, STATE_STAFF_ENTER_ROOM, u"CLEANER_GOING_TO_REST"},
        {OBJECT_CLEANER, STATE_STAFF_RESTING, u"CLEANER_RESTING"},
        {OBJECT_CLEANER, STATE_STAFF_RESTING_OUTSIDE, u"CLEANER_RESTING"},
        {OBJECT_CLEANER, STATE_STAFF_LEAVE_ROOM, u"CLEANER_RESTING"},
        {OBJECT_CLEANER, STATE_CLEANER_CHOOSE_TASK, u"CLEANER_CHOOSE_TASK"},
        {OBJECT_CLEANER, STATE_CLEANER_GO_LITTER, u"CLEANER_GO_CLEAN_LITTER"},
        {OBJECT_CLEANER, STATE_CLEANER_CLEAN_LITTER, u"CLEANER_CLEANING_LITTER"},
        {OBJECT_CLEANER, STATE_CLEANER_GO_TOILET, u"CLEANER_GO_CLEAN_TOILET"},
        {OBJECT_CLEANER, STATE_CLEANER_ENTER_TOILET, u"CLEANER_GO_CLEAN_TOILET"},
        {OBJECT_CLEANER, STATE_CLEANER_GO_BIN, u"CLEANER_GO_CLEAN_BIN"},
        {OBJECT_CLEANER, STATE_CLEANER_CLEAN_BIN, u"CLEANER_CLEANING_BIN"},
        {OBJECT_CLEANER, STATE_CLEANER_CLEAN_TOILET, u"CLEANER_CLEANING_TOILET"},
        {OBJECT_CLEANER, STATE_CLEANER_LEAVE_TOILET, u"CLEANER_CLEANING_TOILET"},
        {OBJECT_CLEANER, STATE_CLEANER_IDLE, u"CLEANER_IDLE"},
        // The mechanic's (a repair that is no watering).
        {OBJECT_MECHANIC, STATE_STAFF_GO_REST, u"MECHANIC_GO_REST"},
        {OBJECT_MECHANIC, STATE_STAFF_RESTING, u"MECHANIC_RESTING"},
        {OBJECT_MECHANIC, STATE_STAFF_RESTING_OUTSIDE, u"MECHANIC_RESTING"},
        {OBJECT_MECHANIC, STATE_MECHANIC_REPAIR, u"MECHANIC_REPAIR"},
        {OBJECT_MECHANIC, STATE_MECHANIC_CHOOSE_JOB, u"MECHANIC_CHOOSE_JOB"},
        {OBJECT_MECHANIC, STATE_MECHANIC_GO_REPAIR, u"MECHANIC_GO_REPAIR"},
        {OBJECT_MECHANIC, STATE_MECHANIC_IDLE, u"MECHANIC_IDLE"},
        {OBJECT_MECHANIC, STATE_STAFF_ENTER_ROOM, u"Not done yet"},
        // The zookeeper's.
        {OBJECT_ZOOKEEPER, STATE_STAFF_GO_REST, u"ZOO_GO_REST"},
        {OBJECT_ZOOKEEPER, STATE_STAFF_RESTING, u"ZOO_RESTING"},
        {OBJECT_ZOOKEEPER, STATE_STAFF_RESTING_OUTSIDE, u"ZOO_RESTING"},
        {OBJECT_ZOOKEEPER, STATE_MECHANIC_REPAIR, u"ZOO_REPAIR"},
        {OBJECT_ZOOKEEPER, STATE_MECHANIC_CHOOSE_JOB, u"ZOO_CHOOSE_JOB"},
        {OBJECT_ZOOKEEPER, STATE_MECHANIC_GO_REPAIR, u"ZOO_GO_REPAIR"},
        {OBJECT_ZOOKEEPER, STATE_MECHANIC_IDLE, u"ZOO_IDLE"},
        {OBJECT_ZOOKEEPER, STATE_STAFF_LEAVE_ROOM, u"Not done yet"},
    };
    StaffRulesPark park;
    const auto crew = park.HireOneOfEach();
    StaffObject* const workers[] = {crew.cleaner, crew.mechanic, crew.keeper};
    for (const Row& row : rows)
    {
        StaffObject* worker = workers[row.kind == OBJECT_CLEANER ? 0 : row.kind == OBJECT_MECHANIC ? 1 : 2];
        worker->SetState(row.state);
        EXPECT_EQ(Keyword(*worker, "STAFF_ACTIVITY"), row.shown) << worker->GetName() << " in " << StateName(row.state);
    }
}

TEST(StaffActivity, AMechanicAtAPlantWatersIt)
{
    StaffRulesPark park;
    auto* mechanic = park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC");
    // A plant far enough off for the idle look at the plants.
    park.At(OBJECT_SCENERY, "PLANT", 1000.0f, 480.0f);
    mechanic->CallScriptFunction(SF_LookWatering);
    mechanic->SetState(STATE_MECHANIC_REPAIR);
    EXPECT_EQ(Keyword(*mechanic, "STAFF_ACTIVITY"), u"MECHANIC_WATERING");
}

// ---------------------------------------------------------------- titles, counts and switches

TEST(StaffPanelKeywords, TitlesDayCountsAndSwitchesReadAndSetAsThePanelShowsThem)
{
    StaffRulesPark park;
    const auto [cleaner, mechanic, keeper] = park.HireOneOfEach();
    EXPECT_EQ(Keyword(*cleaner, "STAFF_JOB_TITLE"), u"STAFFB_TITLE_CLEANER");
    EXPECT_EQ(Keyword(*mechanic, "STAFF_JOB_TITLE"), u"STAFFB_TITLE_MECHANIC");
    EXPECT_EQ(Keyword(*keeper, "STAFF_JOB_TITLE"), u"STAFFB_TITLE_ZOOKEEPER");
    cleaner->SetState(STATE_CLEANER_GO_BIN);
    EXPECT_EQ(Keyword(*cleaner, "STAFF_STATE_STRING"), u"STATE_CLEANER_GO_BIN");

    // The cleaner's switches take the value's first byte, the mechanic's its lowest bit.
    struct Switch
    {
        StaffObject* worker;
        const char* keyword;
        int32_t value;
        const char16_t* shown;
    };
    const Switch switches[] = {
        {cleaner, "CLEANER_TOILETS", 0, u"0"},     {cleaner, "CLEANER_TOILETS", 2, u"1"},
        {cleaner, "CLEANER_BINS", 0x100, u"0"},    {cleaner, "CLEANER_BINS", 0x101, u"1"},
        {cleaner, "CLEANER_LITTER", 0, u"0"},      {cleaner, "CLEANER_LITTER", 1, u"1"},
        {mechanic, "MECHANIC_REPAIR", 2, u"0"},    {mechanic, "MECHANIC_REPAIR", 3, u"1"},
        {mechanic, "MECHANIC_WATER", 0x100, u"0"}, {mechanic, "MECHANIC_WATER", 1, u"1"},
        {mechanic, "MECHANIC_WATER", 4, u"0"},
    };
    for (const Switch& s : switches)
    {
        s.worker->SetVariable(s.keyword, &s.value);
        EXPECT_EQ(Keyword(*s.worker, s.keyword), s.shown) << s.keyword << " set to " << s.value;
    }

    // A day's counts, and a new day's start that sets them back to none.
    cleaner->SetDestObject(kNoObjectID);
    for (uint32_t function :
         {SF_RemoveLitter, SF_RemoveLitter, SF_CleanBin, SF_CleanToilet, SF_CleanToilet, SF_CleanToilet})
        cleaner->CallScriptFunction(function);
    EXPECT_EQ(Keyword(*cleaner, "LITTER_SWEPT"), u"2");
    EXPECT_EQ(Keyword(*cleaner, "BINS_EMPTIED"), u"1");
    EXPECT_EQ(Keyword(*cleaner, "TOILETS_CLEANED"), u"3");
    for (uint32_t function : {SF_Repairing, SF_Repairing})
    {
        mechanic->CallScriptFunction(function);
        keeper->CallScriptFunction(function);
    }
    EXPECT_EQ(Keyword(*keeper, "INSPECT_TODAY"), u"2");
    for (StaffObject* worker :
         {static_cast<StaffObject*>(cleaner), static_cast<StaffObject*>(mechanic), static_cast<StaffObject*>(keeper)})
        park.Send(kWorldID, worker->GetID(), MT_NEW_DAY);
    for (const char* keyword : {"LITTER_SWEPT", "BINS_EMPTIED", "TOILETS_CLEANED"})
        EXPECT_EQ(Keyword(*cleaner, keyword), u"0") << keyword;
    for (const char* keyword : {"INSPECT_TODAY", "REPAIRS_TODAY", "WATERED_TODAY"})
        EXPECT_EQ(Keyword(*mechanic, keyword), u"0") << keyword;
    EXPECT_EQ(Keyword(*keeper, "INSPECT_TODAY"), u"0");
}

// ---------------------------------------------------------------- the energy a job costs

TEST(StaffEnergy, EachJobCostsItsShareOfTheKindsFactor)
{
    StaffRulesPark park;
    const auto [cleaner, mechanic, keeper] = park.HireOneOfEach();
    struct Cost
    {
        StaffObject* worker;
        uint32_t variable;
        float energy;
    };
    // No research done: every factor is 1.
    const Cost costs[] = {
        {cleaner, SV_LitterEnergy, 0.05f},  {cleaner, SV_BinEnergy, 0.1f},      {cleaner, SV_ToiletEnergy, 0.1f},
        {mechanic, SV_MechInsEnergy, 0.1f}, {mechanic, SV_MechRepEnergy, 0.2f}, {mechanic, SV_MechWaterEnergy, 0.05f},
        {keeper, SV_ZooInsEnergy, 0.1f},
    };
    for (const Cost& c : costs)
        EXPECT_FLOAT_EQ(ReadFloat(*c.worker, c.variable), c.energy) << c.worker->GetName() << " " << c.variable;
}

// ---------------------------------------------------------------- a stroll

// A stroll leads to a footpath cell (not a building's) within 300 map units either way of where the worker stands,
// on the map; one that finds no footpath on the map side of an edge stays on its own line along that axis.
TEST(StaffStroll, LeadsToAFootpathWithinReachOnTheMap)
{
    StaffRulesPark park;
    auto* cleaner = park.Hire<CleanerObject>(OBJECT_CLEANER, "CLEANER");
    const float width = 48.0f * 32.0f, height = 48.0f * 64.0f;
    const platform::Vec3 starts[] = {{40.0f, 480.0f, 0.0f},
                                     {700.0f, 470.0f, 0.0f},
                                     {50.0f, 2000.0f, 0.0f},
                                     {10.0f, 10.0f, 0.0f},
                                     {1530.0f, 460.0f, 0.0f}};
    for (const platform::Vec3& start : starts)
        for (int stroll = 0; stroll < 20; ++stroll)
        {
            cleaner->SetWorldPosition(start);
            cleaner->CallScriptFunction(SF_FindWanderPos);
            const platform::Vec3 to = cleaner->GetWanderPos();
            SCOPED_TRACE(std::to_string(start.x) + "," + std::to_string(start.y) + " to " + std::to_string(to.x) + "," +
                         std::to_string(to.y));
            EXPECT_LE(std::fabs(to.x - start.x), 300.0f);
            EXPECT_LE(std::fabs(to.y - start.y), 300.0f);
            EXPECT_TRUE(to.x >= 0.0f && to.x <= width && to.y >= 0.0f && to.y <= height);
            const uint32_t flags = park.map->GetFlags(WorldMap::WorldToGrid(to));
            EXPECT_TRUE((flags & CELL_FOOTPATH) && !(flags & CELL_BUILDING)) << std::hex << flags;
        }
}

} // namespace

namespace
{

// Energy is a share from nothing to full: whatever a damaged save or a script left below nothing, rest starts from
// nothing, so that two game hours in a staff room (four outside, at half the rate) bring any worker back to work
// rather than keep it resting for good.
TEST(StaffEnergy, RestFromBelowNothingStartsFromNothing)
{
    StaffRulesPark park;
    auto* cleaner = park.Hire<CleanerObject>(OBJECT_CLEANER, "CLEANER");
    // The park's day is 240 s: an hour is 10 s.
    ASSERT_EQ(park.world->GetDayLength(), 240);
    struct Rest
    {
        float from;
        bool inRoom;
        float seconds;
        float energy;
    };
    const Rest rests[] = {
        {-1.0e30f, true, 20.0f, 1.0f},  {-3.0f, true, 20.0f, 1.0f},   {-3.0f, true, 10.0f, 0.5f},
        {-1.0e30f, false, 40.0f, 1.0f}, {-0.5f, false, 10.0f, 0.25f}, {0.0f, true, 10.0f, 0.5f},
    };
    for (const Rest& r : rests)
    {
        cleaner->SetEnergy(r.from);
        park.world->m_fGameDeltaTime = r.seconds;
        cleaner->RestoreEnergy(r.inRoom);
        EXPECT_FLOAT_EQ(cleaner->GetEnergy(), r.energy)
            << r.from << (r.inRoom ? " in a room for " : " outside for ") << r.seconds << " s";
    }
}

} // namespace
