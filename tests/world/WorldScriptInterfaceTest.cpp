// Tests of the World's side of its world script: the variables it answers and writes, its functions, the
// creation requests, paths and queues a script lays out, state changes and messages through the message bus, the
// building-type checks, stepping through buildings and staff, the debug overlay's lines and the sample scenario.
#include "tests/world/ParkTestSupport.h"
#include "tests/world/SaveBytes.h"

#include "engine/render/AnimatedObject.h"
#include "engine/render/AnimationScheduler.h"
#include "scripts/WorldCommands.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldScript.h"
#include "world/CreationRequests.h"
#include "world/GameShell.h"
#include "world/ParkFacts.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace worldtest;

namespace
{

// A building for the queries (and an animal, when made as one).
class TestBuilding : public StaticObject, public BuildingFacts, public AnimalFacts
{
public:
    TestBuilding() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }

    bool IsUnderConstruction() const override { return constructing; }
    bool IsBeingDemolished() const override { return demolishing; }
    bool IsBrokenDown() const override { return broken; }
    bool IsStaffRoom() const override { return staffRoom; }
    bool IsPlayerBuilt() const override { return playerBuilt; }
    float GetIncomeToday() const override { return income; }
    uint32_t GetVisitsToday() const override { return visits; }
    float GetShowScore() const override { return showScore; }
    std::u16string GetDisplayName() const override { return display; }
    void AdoptAnimal(uint32_t slot) override { adopted.push_back(slot); }
    float GetHappiness() const override { return happiness; }

    bool constructing = false, demolishing = false, broken = false, staffRoom = false, playerBuilt = false;
    float income = 0.0f, showScore = 0.0f, happiness = 0.0f;
    uint32_t visits = 0;
    std::u16string display;
    std::vector<uint32_t> adopted;
};

// One creation request as the World received it: its kind and a copy of its payload.
struct Creation
{
    uint32_t kind;
    std::string keyword;
    alignas(8) std::array<unsigned char, 128> bytes;
    template <class T> const T& As() const { return *reinterpret_cast<const T*>(bytes.data()); }
};

// The World with its script-facing members open to the tests, recording creation requests and redraws.
class ScriptWorld : public World
{
public:
    using World::m_bLoading;
    using World::m_bSandbox;
    using World::m_dwLastCreatedBuilding;
    using World::m_Managers;
    using World::m_pPlayer;

    bool HandleMessage(const MessageRecord& record, const void* payload) override
    {
        if (!payload)
            return World::HandleMessage(record, payload);
        Creation creation{record.dwData, static_cast<const char*>(payload), {}};
        const size_t size = record.dwData == OBJECT_SCENERY    ? sizeof(SceneryCreationRequest)
                            : record.dwData == OBJECT_BUILDING ? sizeof(BuildingCreationRequest)
                            : record.dwData == OBJECT_GUEST    ? sizeof(GuestCreationRequest)
                            : record.dwData == OBJECT_LITTER   ? sizeof(LitterCreationRequest)
                                                               : sizeof(StaffCreationRequest);
        std::memcpy(creation.bytes.data(), payload, size);
        creations.push_back(creation);
        if (createOnRequest)
            Create(creation);
        return true;
    }
    // Carries a request out the least way the queries can see: the object with its kind, the guest count, the
    // last created building (staff rooms are the buildings named STAFF...).
    void Create(const Creation& creation)
    {
        BaseObject* object = g_pObjectManager->CreateObject(creation.keyword.c_str(), creation.kind);
        ASSERT_NE(object, nullptr);
        object->SetType(static_cast<uint8_t>(creation.kind));
        if (creation.kind == OBJECT_GUEST)
            ++m_NumGuests;
        if (auto* building = dynamic_cast<TestBuilding*>(object))
        {
            building->staffRoom = creation.keyword.rfind("STAFF", 0) == 0;
            m_dwLastCreatedBuilding = object->GetID();
        }
    }
    void RedrawObjectives() override { ++redraws; }

    std::vector<Creation> creations;
    int redraws = 0;
    bool createOnRequest = false;
};

class WorldScripting : public ::testing::Test
{
protected:
    WorldScripting()
    {
        for (uint8_t kind : {OBJECT_BUILDING, OBJECT_ANIMAL})
            RegisterObjectKind(kind, []() -> BaseObject* { return new TestBuilding; });
        NewWorld();
    }
    // A fresh World (after the game parameters it should read are in place).
    void NewWorld()
    {
        park.world.reset();
        world = new ScriptWorld;
        park.world.reset(world);
        world->m_pPlayer = std::make_unique<Player>(u"Tester");
    }

    template <class T = Probe> T* Make(uint8_t kind, const char* name)
    {
        BaseObject* object = objects->CreateObject(name, kind);
        object->SetType(kind);
        return dynamic_cast<T*>(object);
    }
    TestBuilding* Building(const char* name) { return Make<TestBuilding>(OBJECT_BUILDING, name); }

    ScriptValue Read(uint32_t id, uint32_t number = 0, const char* text = nullptr)
    {
        return world->GetScriptVariable(ScriptOperand{id, number, 0.0f, text});
    }
    void Write(uint32_t id, uint32_t number, const ScriptValue& value)
    {
        world->SetScriptVariable(ScriptOperand{id, number, 0.0f, nullptr}, value);
    }
    // Compiles a world script into the World's script manager (through a scrambled file) and starts it.
    WorldScript* StartScript(const std::string& text)
    {
        parktest::WriteScrambled(dir.File("world.ble"), text);
        WorldScript* script = world->GetScriptManager().LoadWorldScript(dir.File("world.pis").c_str());
        if (script)
            script->Start();
        return script;
    }
    size_t CountReports(const std::string& fragment) const { return park.CountReports(fragment); }
    void SetValidBuildings(std::initializer_list<int32_t> types)
    {
        world->m_NumValidBuildings = 0;
        for (int32_t type : types)
            world->m_ValidBuildingIDs[world->m_NumValidBuildings++] = type;
    }

    Park park;
    ScriptWorld* world = nullptr;
    testsupport::RecordingReportSink& reports = park.reports;
    std::unique_ptr<WorldMap>& map = park.map;
    std::unique_ptr<MessageHandler>& messages = park.messages;
    std::unique_ptr<ObjectManager>& objects = park.objects;
    testsupport::TempDir dir;
};

// A value as a script reads it: its type and its word (a float's value).
std::tuple<uint32_t, double> Typed(const ScriptValue& value)
{
    const double word = value.type == SCRIPT_VALUE_FLOAT ? value.AsFloatBits() : static_cast<double>(value.data);
    return {value.type, word};
}

} // namespace

TEST_F(WorldScripting, ParkFiguresReadWithTheirTypes)
{
    for (const auto& [kind, count] : {std::pair{OBJECT_CLEANER, 3}, {OBJECT_MECHANIC, 1}, {OBJECT_ZOOKEEPER, 2}})
        for (int i = 0; i < count; ++i)
            Make(kind, "STAFF");
    Make(OBJECT_LITTER, "CAN");
    world->m_NumGuests = 12;
    world->m_TotalGuestUnhappyDepart[0] = 4;
    world->m_TotalGuestUnhappyDepart[1] = 5;
    world->m_fIncomeToday = 300.0f;
    world->m_fCostsToday = 120.5f;
    world->m_fAnimalIncomeTotal = 77.0f;
    world->m_BuildingsConstructed = 6;
    world->m_iParkRating = 64;
    world->m_bSandbox = true;
    world->m_pPlayer->Cash = 2500.0f;
    constexpr uint32_t B = SCRIPT_VALUE_BOOL, U = SCRIPT_VALUE_UINT, F = SCRIPT_VALUE_FLOAT;
    const std::tuple<uint32_t, uint32_t, double> rows[] = {
        {WV_GuestCount, U, 12},    {WV_CleanerCount, U, 3},
        {WV_MechanicCount, U, 1},  {WV_ZooCount, U, 2},
        {WV_AllStaffCount, U, 6},  {WV_LitterCount, U, 1},
        {WV_UnHappyLeavers, U, 9}, {WV_ProfitToday, F, 179.5},
        {WV_IncomeToday, F, 300},  {WV_AnimalTotalIncome, F, 77},
        {WV_ConstructCount, U, 6}, {WV_ResortRating, U, 64},
        {WV_SandBox, B, 1},        {WV_Me, U, 0xFFFFFFFE},
        {WV_PlayerCash, F, 2500},  {WV_BreakdownCount, U, 0},
        {WV_GameDay, U, 0},        {999, B, 0}, // an id the park does not answer
    };
    for (const auto& [id, type, value] : rows)
        EXPECT_EQ(Typed(Read(id)), std::tuple(type, value)) << id;
}

TEST_F(WorldScripting, FlagsVariablesAndObjectivesKeepToTheirRanges)
{
    Write(WV_Flag, 33, ScriptValue::Float(1.0f));
    EXPECT_EQ(world->GetScriptFlags(), 2u);
    EXPECT_NE(Read(WV_Flag, 65).data, 0u);
    EXPECT_EQ(Read(WV_Flag, 2).data, 0u);
    Write(WV_Flag, 31, ScriptValue::UInt(5));
    Write(WV_Flag, 1, ScriptValue::Bool(false));
    EXPECT_EQ(world->GetScriptFlags(), 0x80000000u);
    Write(WV_Var, 31, ScriptValue::Float(7.9f));
    EXPECT_EQ(std::tuple(world->GetScriptVar(31), Read(WV_Var, 31).data), std::tuple(7, 7u));
    Write(WV_Var, 32, ScriptValue::UInt(9));
    EXPECT_EQ(Read(WV_Var, 32).data, 0u);
    Write(WV_ScenarioObj, 2, ScriptValue::UInt(1));
    // The same value again does not redraw; an objective beyond the four is neither written nor redrawn.
    Write(WV_ScenarioObj, 2, ScriptValue::Float(1.0f));
    Write(WV_ScenarioObj, 4, ScriptValue::UInt(1));
    EXPECT_EQ(std::tuple(world->GetObjectiveStatus(2), Read(WV_ScenarioObj, 4).data, world->redraws),
              std::tuple(1u, 0u, 1));
    Write(WV_PlayerCash, 0, ScriptValue::UInt(40));
    EXPECT_FLOAT_EQ(world->m_pPlayer->Cash, 40.0f);
    Write(WV_GuestCount, 0, ScriptValue::UInt(40));
    EXPECT_EQ(Read(WV_GuestCount).data, 0u);

    // Words whose index is missing or not a plain number are reported once and never touch index 0.
    StartScript("State STATE_WORLD_STARTUP OnEntry Set Flag-1 1 ; Set Var-1 5 ; Set VarX 5 ; Set ScenarioObj-1 1 ;\n"
                " Set Flag99999999999 1 ; Add Var0 Var-1 ; Add Var0 Flag-1 ; End End\n");
    EXPECT_EQ(CountReports("has no index"), 7u);
    EXPECT_EQ(std::tuple(world->GetScriptFlags() & 1u, world->GetScriptVar(0), world->GetObjectiveStatus(0)),
              std::tuple(0u, 0, 0u));
    EXPECT_EQ(world->GetScriptFlags(), 0x80000000u);
    EXPECT_EQ(world->redraws, 1);
}

TEST_F(WorldScripting, CashWrittenByTheScriptIsANumberTheSavedAccountKeeps)
{
    // A sum is taken as the cash; a value that is no number (the word "nan" or "inf", or arithmetic that ran past
    // the float range) is refused with a report and the cash is kept. Either way the player's saved account loads
    // back with the cash it had.
    const float nan = std::nanf("");
    const float inf = std::numeric_limits<float>::infinity();
    const std::tuple<ScriptValue, float, size_t> rows[] = {
        {ScriptValue::UInt(40), 40.0f, 0},     {ScriptValue::Float(-12.5f), -12.5f, 0},
        {ScriptValue::Float(1e30f), 1e30f, 0}, {ScriptValue::Float(nan), 2500.0f, 1},
        {ScriptValue::Float(inf), 2500.0f, 1}, {ScriptValue::Float(-inf), 2500.0f, 1},
    };
    for (const auto& [value, cash, reported] : rows)
    {
        SCOPED_TRACE(ScriptValueToFloat(value));
        world->m_pPlayer->Cash = 2500.0f;
        const size_t before = reports.boxes.size();
        Write(WV_PlayerCash, 0, value);
        EXPECT_EQ(world->m_pPlayer->Cash, cash);
        EXPECT_EQ(reports.boxes.size(), before + reported);
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { world->m_pPlayer->Dump(s); });
        Player loaded(u"Loaded");
        EXPECT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return loaded.Load(s); }));
        EXPECT_EQ(loaded.Cash, cash);
    }

    // A script that sets the cash to "nan" gets the same.
    world->m_pPlayer->Cash = 2500.0f;
    const size_t told = CountReports("PlayerCash");
    StartScript("State STATE_WORLD_STARTUP OnEntry Set PlayerCash nan ; End End\n");
    EXPECT_EQ(world->m_pPlayer->Cash, 2500.0f);
    EXPECT_EQ(CountReports("PlayerCash"), told + 1);
}

TEST_F(WorldScripting, GameTimeIsWrittenOnlyWhileTheScriptStartsUpAndOnlyAsAnHourOfTheDay)
{
    DayLength day(240);
    NewWorld();
    Make(OBJECT_MECHANIC, "MECHANIC"); // hears every new hour
    // Written hours of the day become the clock; anything else is refused with a report and keeps 09:00.
    const std::tuple<const char*, float, size_t> rows[] = {
        {"14", 140.0f, 0}, {"0", 0.0f, 0},   {"23.5", 235.0f, 0}, {"2", 20.0f, 0},
        {"-1", 90.0f, 1},  {"25", 90.0f, 1}, {"1e30", 90.0f, 1},
    };
    for (const auto& [hours, time, refused] : rows)
    {
        NewWorld();
        reports.boxes.clear();
        ASSERT_NE(StartScript("State STATE_WORLD_STARTUP OnEntry Set GameTime " + std::string(hours) +
                              " ; End End State Later End\n"),
                  nullptr);
        EXPECT_FLOAT_EQ(world->GetGameTime(), time) << hours;
        EXPECT_FLOAT_EQ(world->GetGameDayTime(), time / 10.0f) << hours;
        EXPECT_EQ(CountReports("is not an hour of the day"), refused) << hours;
        // The jump is no new hour and no new day.
        world->m_fIncomeToday = 5.0f;
        Probe::Delivered().clear();
        world->Update(0.1f);
        EXPECT_EQ(std::tuple(world->GetGameDay(), world->m_fIncomeToday, Probe::Delivered().size()),
                  std::tuple(0, 5.0f, size_t{0}))
            << hours;
    }
    // Not a number either; and in any other State nothing is written.
    Write(WV_GameTime, 0, ScriptValue::Float(std::nanf("")));
    world->GetScriptManager().GetWorldScript()->SetCurrentState(1);
    Write(WV_GameTime, 0, ScriptValue::Float(20.0f));
    EXPECT_FLOAT_EQ(world->GetGameDayTime(), 9.01f);
    EXPECT_FLOAT_EQ(Read(WV_GameTime).AsFloatBits(), 9.01f);
}

TEST_F(WorldScripting, AnimationsStartedAfterTheScriptSetsTheClockRunOnTheNewTime)
{
    DayLength day(240);
    // Ten game seconds an hour from 09:00: an animation the script's objects start right after the clock is set
    // 30 ticks ahead ends 30 ticks (half a game second) after the new time, whichever way the clock was moved.
    const std::tuple<const char*, float, bool> rows[] = {
        {"14", 0.1f, true},
        {"14", 1.0f, false},
        {"2", 0.1f, true},
        {"2", 1.0f, false},
    };
    for (const auto& [hours, step, running] : rows)
    {
        NewWorld();
        ASSERT_NE(StartScript("State STATE_WORLD_STARTUP OnEntry Set GameTime " + std::string(hours) +
                              " ; End End State Later End\n"),
                  nullptr);
        AnimatedObject figure(8);
        const uint32_t end = g_AnimationScheduler.Play(&figure, 0, 30, AnimationScheduler::kPlayOnce);
        EXPECT_EQ(end, static_cast<uint32_t>(std::stof(hours) * 10.0f * 60.0f) + 30u) << hours;
        world->Update(step);
        EXPECT_EQ(figure.IsAnimating(), running) << hours << " after " << step;
    }
}

TEST_F(WorldScripting, FunctionsPauseResumeAndSwitchBreakdownsAndLitter)
{
    const auto state = [&]
    {
        return std::tuple(world->IsPaused(), world->IsForcedPaused(), world->AreBreakDownsAllowed(),
                          world->IsLitterAllowed());
    };
    const std::tuple<uint32_t, std::tuple<bool, bool, bool, bool>> steps[] = {
        {WF_PauseGame, {true, true, true, true}},      {WF_ResumeGame, {false, true, true, true}},
        {WF_NoBreakDowns, {false, true, false, true}}, {WF_AllowBreakDowns, {false, true, true, true}},
        {WF_NoLitter, {false, true, true, false}},     {WF_Debug, {false, true, true, false}},
        {WF_NotFound, {false, true, true, false}},
    };
    for (const auto& [function, expected] : steps)
    {
        world->CallScriptFunction(function);
        EXPECT_EQ(state(), expected) << function;
    }
    EXPECT_EQ(CountReports("An invalid function has been called within the world script"), 2u);
    // A script that calls a bad function in a list run every frame does not raise a message box every frame.
    for (int frame = 0; frame < 5; ++frame)
    {
        world->CallScriptFunction(WF_NotFound);
        world->CallScriptFunction(WF_Debug);
    }
    EXPECT_EQ(CountReports("An invalid function has been called within the world script"), 2u);
}

TEST_F(WorldScripting, APathLaysOnlyItsCellsOnTheMapWhereverItStarts)
{
    // Start (x, y), direction, count; the cells of the 16 x 16 map that become footpath.
    const struct
    {
        int32_t x, y;
        uint32_t direction;
        int32_t count;
        std::vector<GridPos> laid;
    } rows[] = {
        {-2, 6, 2, 5, {{0, 6}, {1, 6}, {2, 6}}}, // from beyond the west edge, eastwards onto the map
        {3, 18, 4, 5, {{3, 15}, {3, 14}}},       // from beyond the north edge, southwards
        {-1, -1, 1, 3, {{0, 0}, {1, 1}}},        // diagonally in over the corner
        {14, 2, 2, 6, {{14, 2}, {15, 2}}},       // off the east edge and on no further
        {-3, 8, 6, 5, {}},                       // away from the map
        {-1, 20, 1, 3, {}},                      // passing by the corner
        {-5, 4, 2, 3, {}},                       // too short to reach it
        {-2147483000, 9, 2, 2147483647, {}},     // a long way in: the whole row (below)
        {5, 5, 2, -3, {}},                       // no cells
        {3, 0, 2, 3, {{3, 0}, {4, 0}, {5, 0}}},  // along the first row
        {3, -1, 2, 3, {}},                       // along the row just south of the map
        {3, 16, 2, 3, {}},                       // along the row just north of it
        {15, 4, 0, 2, {{15, 4}, {15, 5}}},       // up the last column
        {16, 4, 0, 2, {}},                       // up the column just east of the map
    };
    for (const auto& row : rows)
    {
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x)
                map->GetCell({x, y})->m_uiFlags = 0;
        world->LayPath(row.x, row.y, row.direction, row.count);
        std::vector<GridPos> laid;
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x)
                if (map->GetFlags({x, y}) & CELL_FOOTPATH)
                    laid.push_back({x, y});
        std::vector<GridPos> expected = row.laid;
        if (row.x == -2147483000)
        {
            expected.clear();
            for (int32_t x = 0; x < 16; ++x)
                expected.push_back({x, 9});
        }
        std::sort(expected.begin(), expected.end(),
                  [](const GridPos& a, const GridPos& b) { return std::pair(a.y, a.x) < std::pair(b.y, b.x); });
        EXPECT_EQ(laid, expected) << row.x << ", " << row.y << " direction " << row.direction;
    }
}

TEST_F(WorldScripting, AScriptLaysOutPathsQueuesBuildingsGuestsAndStaff)
{
    ASSERT_NE(StartScript("State STATE_WORLD_STARTUP OnEntry\n"
                          " Path 10 10 5 E ; Path 2 2 3 n ; Path 14 1 9 NE ;\n"
                          " Queue 3 9 5 ; Queue 30 30 1 ;\n"
                          " Create Building CAFE 4 5 1 Prices 2.5 ; Age 3 Broken ;\n"
                          " Create Scenery PALM 6 7 2 Number 2 ;\n"
                          " Create Litter CAN 8 8 0 ;\n"
                          " Create Guest Tourist 100 300 ;\n"
                          " Create Guest Tourist Random Number 4 ;\n"
                          " Create Staff CLEANER Random ;\n"
                          "End End\n"),
              nullptr);
    // Path 10 10 5 E lays (10,10) to (14,10); north-east from (14,1): (14,1), (15,2), then off the map.
    for (int x = 9; x <= 15; ++x)
        EXPECT_EQ((map->GetFlags({x, 10}) & CELL_FOOTPATH) != 0, x >= 10 && x <= 14) << x;
    for (int y = 1; y <= 5; ++y)
        EXPECT_EQ((map->GetFlags({2, y}) & CELL_FOOTPATH) != 0, y >= 2 && y <= 4) << y;
    EXPECT_NE(map->GetFlags({14, 1}) & map->GetFlags({15, 2}) & CELL_FOOTPATH, 0u);
    EXPECT_EQ(map->GetFlags({3, 9}), CELL_QUEUE | (5u << 8));
    EXPECT_EQ(CountReports("cell 30, 30 is off the map"), 1u);

    const auto& made = world->creations;
    ASSERT_EQ(made.size(), 9u); // no staff room: no staff
    const auto& cafe = made[0].As<BuildingCreationRequest>();
    EXPECT_EQ(std::tuple(made[0].kind, made[0].keyword, cafe.iGridX, cafe.iGridY, cafe.iRotation, cafe.fPrice,
                         cafe.iBuildingAge, cafe.bCreatedBroken),
              std::tuple(2u, std::string("CAFE"), 4, 5, 1, 2.5f, 3, uint8_t{1}));
    for (size_t i = 1; i <= 2; ++i)
    {
        const auto& palm = made[i].As<SceneryCreationRequest>();
        EXPECT_EQ(std::tuple(made[i].kind, made[i].keyword, palm.iGridX, palm.iGridY, palm.bHasDirection,
                             palm.bDirection, palm.dwOwner),
                  std::tuple(1u, std::string("PALM"), 6, 7, uint8_t{1}, uint8_t{2}, 0xFFFFFFFEu));
    }
    EXPECT_EQ(std::tuple(made[3].kind, made[3].As<LitterCreationRequest>().iGridX), std::tuple(10u, 8));
    const auto& tourist = made[4].As<GuestCreationRequest>();
    EXPECT_EQ(
        std::tuple(made[4].kind, tourist.position.x, tourist.position.y, tourist.position.z, tourist.bStartsAtEntrance),
        std::tuple(3u, 100.0f, 300.0f, 0.0f, uint8_t{0}));
    EXPECT_TRUE(tourist.iHoursInPark >= 0 && tourist.iHoursInPark < 24);
    for (size_t i = 5; i <= 8; ++i)
    {
        // Each random guest stands on a footpath cell (cells are 32 x 64 map units).
        const auto& guest = made[i].As<GuestCreationRequest>();
        const GridPos cell{static_cast<int>(guest.position.x / 32.0f), static_cast<int>(guest.position.y / 64.0f)};
        EXPECT_NE(map->GetFlags(cell) & CELL_FOOTPATH, 0u) << cell.x << "," << cell.y;
    }

    // Staff start at the first staff room of the building pool.
    Building("CAFE");
    TestBuilding* first = Building("STAFFSMALL");
    Building("STAFFBIG")->staffRoom = true;
    first->staffRoom = true;
    ASSERT_NE(StartScript("State STATE_WORLD_STARTUP OnEntry Create Staff MECHANIC 1 1 ; End End\n"), nullptr);
    ASSERT_EQ(made.size(), 10u);
    EXPECT_EQ(std::tuple(made[9].kind, made[9].keyword, made[9].As<StaffCreationRequest>().dwBuilding),
              std::tuple(6u, std::string("MECHANIC"), first->GetID()));
}

TEST_F(WorldScripting, AnimalsGoToTheLastCreatedBuilding)
{
    TestBuilding* pool = Building("POOL");
    world->m_dwLastCreatedBuilding = pool->GetID();
    ASSERT_NE(StartScript("State STATE_WORLD_STARTUP OnEntry Create Animal DOLPHIN 1 1 2 ; End End\n"), nullptr);
    EXPECT_EQ(pool->adopted, std::vector<uint32_t>{2});
    world->m_dwLastCreatedBuilding = kNoObjectID;
    world->AdoptAnimal(1);
    EXPECT_EQ(CountReports("no building was created"), 1u);
}

TEST_F(WorldScripting, StateChangesAndMessagesReachTheScriptThroughTheBus)
{
    WorldScript* script = StartScript("State STATE_WORLD_STARTUP OnEntry ChangeState B Time 5 ; End\n"
                                      " OnExit Set Var1 1 ; End End\n"
                                      "State B OnEntry Set Var2 Var1 ; Add Var2 1 ; End\n"
                                      " OnExit Set Var4 9 ; End\n"
                                      " Message MT_NEW_DAY OnReceipt Set Var3 7 ; End End End\n");
    ASSERT_NE(script, nullptr);
    park.Frame(4.0f);
    EXPECT_EQ(std::tuple(script->GetCurrentState(), world->GetScriptVar(1)), std::tuple(0u, 0));
    park.Frame(1.5f);
    // OnExit ran before OnEntry: the entry list saw Var1 set.
    EXPECT_EQ(std::tuple(script->GetCurrentState(), world->GetScriptVar(1), world->GetScriptVar(2)),
              std::tuple(1u, 1, 2));
    messages->Send(Record(kNoObjectID, kWorldID, MT_NEW_DAY));
    EXPECT_EQ(world->GetScriptVar(3), 7);
    // A State index out of range is reported and changes nothing (not even the OnExit runs); nor do the World's
    // own control messages.
    for (uint32_t state : {9u, 2u})
        messages->Send(Record(kWorldID, kWorldID, MT_STATECHANGE, state));
    messages->Send(Record(kWorldID, kWorldID, MT_UPDATERATING));
    EXPECT_EQ(std::tuple(script->GetCurrentState(), world->GetScriptVar(4)), std::tuple(1u, 0));
    EXPECT_EQ(CountReports("world script State 9 does not exist"), 1u);
    EXPECT_EQ(CountReports("world script State 2 does not exist"), 1u);
}

TEST_F(WorldScripting, AStateChangeAskedForEveryFrameOfAPauseIsMadeOnceWhenPlayResumes)
{
    // A goal met while the player has paused the park (a building placed, staff hired): the running State asks for
    // the won State in every paused frame. A change to that State waiting on a timer does not stand in for it.
    const char* const rows[] = {
        "State STATE_WORLD_STARTUP OnEntry ChangeState Running ; End End\n",
        "State STATE_WORLD_STARTUP OnEntry ChangeState Running ; ChangeState Won Time 30 ; End End\n",
    };
    for (const char* startup : rows)
    {
        SCOPED_TRACE(startup);
        NewWorld();
        WorldScript* script =
            StartScript(std::string(startup) + "State Running OnUpdate If (Var1 == 1) ChangeState Won ; End End End\n"
                                               "State Won OnEntry Add Var2 1 ; End End\n");
        ASSERT_NE(script, nullptr);
        world->SetPaused(true);
        Write(WV_Var, 1, ScriptValue::UInt(1));
        for (int frame = 0; frame < 5; ++frame)
            world->Update(0.1f);
        EXPECT_EQ(std::tuple(script->GetStateName(script->GetCurrentState()), world->GetScriptVar(2)),
                  std::tuple("Running", 0));
        world->SetPaused(false);
        for (int frame = 0; frame < 3; ++frame)
            world->Update(0.1f);
        EXPECT_EQ(std::tuple(script->GetStateName(script->GetCurrentState()), world->GetScriptVar(2)),
                  std::tuple("Won", 1));
    }
}

// A game shell that keeps the scenarios it was told to open.
class UnlockRecorder : public GameShell
{
public:
    UnlockRecorder() { SetGameShell(this); }
    ~UnlockRecorder() override { SetGameShell(nullptr); }
    float GetObjectDetail() const override { return 1.0f; }
    void CompleteScenario(uint32_t next) override { unlocked.push_back(next); }
    std::vector<uint32_t> unlocked;
};

TEST_F(WorldScripting, AGoalMetAndTheParkLostInOneFrameEndTheScenarioOnce)
{
    // The running State watches its goal before its loss; both come true in the same frame, while the park runs or
    // while the player has paused it. The scenario ends the way the State found first, and only once: the player who
    // plays on after winning is not then told the park is lost.
    for (const bool pausedByPlayer : {false, true})
    {
        SCOPED_TRACE(pausedByPlayer ? "paused by the player" : "running");
        NewWorld();
        UnlockRecorder shell;
        WorldScript* script = StartScript("State STATE_WORLD_STARTUP OnEntry ChangeState Running ; End End\n"
                                          "State Running OnUpdate If (Var1 == 1) ChangeState Won ; End\n"
                                          " If (Var2 == 1) ChangeState Lost ; End End End\n"
                                          "State Won OnEntry Message MT_UNLOCK_SCENARIO Me 1 0 ; Function PauseGame ;\n"
                                          " Add Var3 1 ; End End\n"
                                          "State Lost OnEntry Function PauseGame ; Add Var4 1 ; End End\n");
        ASSERT_NE(script, nullptr);
        world->Update(0.1f);
        ASSERT_EQ(script->GetStateName(script->GetCurrentState()), "Running");
        world->SetPaused(pausedByPlayer);
        Write(WV_Var, 1, ScriptValue::UInt(1));
        Write(WV_Var, 2, ScriptValue::UInt(1));
        for (int frame = 0; frame < 3; ++frame)
            world->Update(0.1f);
        // The player lets the park run again (from the pause box, then from the scenario's own dialog).
        for (int resume = 0; resume < 2; ++resume)
        {
            world->m_bForcedPaused = false;
            world->SetPaused(false);
            for (int frame = 0; frame < 3; ++frame)
                world->Update(0.1f);
        }
        EXPECT_EQ(
            std::tuple(script->GetStateName(script->GetCurrentState()), world->GetScriptVar(3), world->GetScriptVar(4)),
            std::tuple("Won", 1, 0));
        EXPECT_EQ(shell.unlocked, std::vector<uint32_t>{1});
    }
}

TEST_F(WorldScripting, AChangeAskedForByTheStateBeingLeftDoesNotTurnTheChangeUnderWayAside)
{
    // Running watches its goal and changes to Won; its OnExit (run once, as the State is left) asks for a change of
    // its own. The change under way is made: Running's exit list runs once, Won is entered and its entry list runs
    // once, and no other State is entered.
    const char* const exitChanges[] = {"ChangeState Other ;", "ChangeState Running ;", "ChangeState Won ;"};
    for (const char* exitChange : exitChanges)
    {
        SCOPED_TRACE(exitChange);
        NewWorld();
        reports.boxes.clear();
        WorldScript* script =
            StartScript(std::string("State STATE_WORLD_STARTUP OnEntry ChangeState Running ; End End\n"
                                    "State Running OnUpdate If (Var1 == 1) ChangeState Won ; End End\n"
                                    " OnExit Add Var2 1 ; ") +
                        exitChange +
                        " End End\n"
                        "State Won OnEntry Add Var3 1 ; End End\n"
                        "State Other OnEntry Add Var4 1 ; End End\n");
        ASSERT_NE(script, nullptr);
        world->Update(0.1f);
        ASSERT_EQ(script->GetStateName(script->GetCurrentState()), "Running");
        Write(WV_Var, 1, ScriptValue::UInt(1));
        world->Update(0.1f);
        world->Update(0.1f);
        EXPECT_EQ(std::tuple(script->GetStateName(script->GetCurrentState()), world->GetScriptVar(2),
                             world->GetScriptVar(3), world->GetScriptVar(4)),
                  std::tuple("Won", 1, 1, 0));
        EXPECT_EQ(CountReports("the rest of this run is dropped"), 0u);
    }
}

TEST_F(WorldScripting, WhileASaveIsRestoredTheScriptBuildsNothing)
{
    world->m_bLoading = true;
    ASSERT_NE(StartScript("State STATE_WORLD_STARTUP OnEntry Path 1 1 2 N ; Create Litter CAN 1 1 0 ;\n"
                          " Set Var4 4 ; End End\n"),
              nullptr);
    EXPECT_EQ(map->GetFlags({1, 1}) & CELL_FOOTPATH, 0u);
    EXPECT_TRUE(world->creations.empty());
    EXPECT_EQ(world->GetScriptVar(4), 4);
}

TEST_F(WorldScripting, BuildingFiguresCountTheRightBuildings)
{
    WorldParams params;
    for (const char* keyword : {"COASTER", "BUMPERS", "POOL"})
        ASSERT_TRUE(params.AddBuilding(keyword));
    params.AddBuildingData(0, "ATTRACT_CAT_1", "RIDE");
    params.AddBuildingData(1, "ATTRACT_CAT_1", "AMUSEMENT");
    params.AddBuildingData(2, "ATTRACT_CAT_1", "ANIMAL");
    TestBuilding* coaster = Building("COASTER");
    TestBuilding* coaster2 = Building("COASTER");
    TestBuilding* bumpers = Building("BUMPERS");
    TestBuilding* pool = Building("POOL");
    TestBuilding* pool2 = Building("POOL");
    Building("KAIKOADV")->showScore = 0.75f;
    coaster->playerBuilt = coaster2->playerBuilt = bumpers->playerBuilt = true;
    coaster->visits = 5;
    coaster2->visits = 7;
    coaster2->constructing = true;
    pool->income = 10.0f;
    coaster->income = 1000.0f;
    pool2->income = 2.5f;
    pool2->demolishing = true;
    constexpr uint32_t U = SCRIPT_VALUE_UINT, F = SCRIPT_VALUE_FLOAT;
    const std::tuple<uint32_t, const char*, uint32_t, double> rows[] = {
        {WV_NumBuildings, nullptr, U, 6},       {WV_BuildingCount, "COASTER", U, 2},
        {WV_BuildingCount, "NOTHING", U, 0},    {WV_BuildingCount, nullptr, U, 0},
        {WV_RidesBuilt, nullptr, U, 2},         {WV_AmusementBuilt, nullptr, U, 1},
        {WV_AnimalExhibitCount, nullptr, U, 1}, {WV_AnimalExhibitIncome, nullptr, F, 12.5},
        {WV_VisitCount, "COASTER", U, 5},       {WV_DiffConstructCount, nullptr, U, 2},
        {WV_KaikoShowScore, nullptr, F, 0.75},  {WV_AllBuildingsOperating, nullptr, SCRIPT_VALUE_BOOL, 1},
    };
    for (const auto& [id, text, type, value] : rows)
        EXPECT_EQ(Typed(Read(id, 0, text)), std::tuple(type, value)) << id << " " << (text ? text : "");
    bumpers->broken = true;
    EXPECT_FALSE(IsScriptValueTrue(Read(WV_AllBuildingsOperating)));
    SetValidBuildings({0, 2});
    EXPECT_TRUE(IsScriptValueTrue(Read(WV_BuildTreeExist)));
    coaster->constructing = true;
    EXPECT_FALSE(IsScriptValueTrue(Read(WV_BuildTreeExist)));
}

namespace
{

// The mechanics' board as the World reads it.
class OpenRequests : public RepairService
{
public:
    explicit OpenRequests(uint32_t open) : m_open(open) {}
    uint32_t CountOpenRequests() const override { return m_open; }

private:
    uint32_t m_open;
};

// Construction records that count CAFE buildings: 7 in all, 3 of them finished.
class CafeCensus : public ConstructionService
{
public:
    uint32_t CountBuildings(const char* name, bool finishedOnly) const override
    {
        return name && std::strcmp(name, "CAFE") == 0 ? (finishedOnly ? 3 : 7) : 0;
    }
};

} // namespace

TEST_F(WorldScripting, TheParksManagersAnswerBreakdownsAndBuildingCounts)
{
    WorldParams params;
    for (const char* keyword : {"ENTRY", "CAFE"})
        ASSERT_TRUE(params.AddBuilding(keyword));
    params.AddBuildingData(1, "TREE", "NONE");
    SetValidBuildings({1});
    // Without the managers: no requests, and the buildings themselves are counted (there are none).
    EXPECT_EQ(
        std::tuple(Read(WV_BreakdownCount).data, world->CountBuildings(1), IsScriptValueTrue(Read(WV_BuildTreeExist))),
        std::tuple(0u, 0u, false));
    // The mechanics' board answers the breakdowns, not the zookeepers'; the construction records the counts.
    world->m_Managers.mechanicsRepair = std::make_unique<OpenRequests>(4);
    world->m_Managers.zooRepair = std::make_unique<OpenRequests>(9);
    world->m_Managers.construction = std::make_unique<CafeCensus>();
    EXPECT_EQ(std::tuple(Typed(Read(WV_BreakdownCount)), Read(WV_BuildingCount, 0, "CAFE").data,
                         Read(WV_BuildingCount, 0, "ENTRY").data, world->CountBuildings(1),
                         world->CountFinishedBuildings(1), IsScriptValueTrue(Read(WV_BuildTreeExist))),
              std::tuple(std::tuple(uint32_t{SCRIPT_VALUE_UINT}, 4.0), 7u, 0u, 7u, 3u, true));
}

TEST_F(WorldScripting, AveragesReadByTheScriptAreKept)
{
    EXPECT_FLOAT_EQ(Read(WV_AverageAnimalHappy).AsFloatBits(), 0.0f);
    Make<TestBuilding>(OBJECT_ANIMAL, "DOLPHIN")->happiness = 0.5f;
    Make<TestBuilding>(OBJECT_ANIMAL, "DOLPHIN")->happiness = 1.0f;
    EXPECT_FLOAT_EQ(Read(WV_AverageAnimalHappy).AsFloatBits(), 0.75f);
    EXPECT_FLOAT_EQ(world->GetAnimalHappyAverage(), 0.75f);
    const float averages[6] = {12.0f, 11.0f, 3.0f, 14.0f, 15.0f, 2.5f};
    std::memcpy(world->m_fGuestAverages, averages, sizeof averages);
    EXPECT_FLOAT_EQ(Read(WV_LowestGuestAverage).AsFloatBits(), 2.5f);
    EXPECT_EQ(std::tuple(world->GetLowestGuestAverage(), Read(WV_GuestBeautyLevel).AsFloatBits(),
                         Read(WV_GuestAverageWelfare).AsFloatBits()),
              std::tuple(2.5f, 3.0f, 2.5f));
    const float high[6] = {12.0f, 11.0f, 13.0f, 14.0f, 15.0f, 16.0f};
    std::memcpy(world->m_fGuestAverages, high, sizeof high);
    EXPECT_FLOAT_EQ(Read(WV_LowestGuestAverage).AsFloatBits(), 10.0f);
}

TEST_F(WorldScripting, BuildTypeChecksFollowValidityLocksLimitsAndTrees)
{
    WorldParams params;
    for (const char* keyword : {"ENTRY", "CAFE", "SECRET", "OFFLIST"})
        ASSERT_TRUE(params.AddBuilding(keyword));
    params.AddBuildingData(0, "TREE", "NONE");  // 0: no requirement
    params.AddBuildingData(1, "TREE", "ENTRY"); // 1: at most 2, after ENTRY
    params.AddBuildingData(1, "MAXINSTANCES", "2");
    params.AddBuildingData(2, "NEEDS_UNLOCKING", "Yes"); // 2: locked; 3: not offered
    SetValidBuildings({0, 1, 2});

    EXPECT_TRUE(world->IsValidBuildingType(1));
    EXPECT_FALSE(world->IsValidBuildingType(3));
    EXPECT_TRUE(world->CanBuildType(0));
    EXPECT_FALSE(world->CanBuildType(1)); // no ENTRY yet
    EXPECT_TRUE(world->CheckBuildRequirement(1));
    EXPECT_FALSE(world->CanBuildType(2));
    EXPECT_FALSE(world->CheckBuildRequirement(2));
    for (int32_t type : {3, -1, 99})
        EXPECT_FALSE(world->CanBuildType(type)) << type;

    TestBuilding* entry = Building("ENTRY");
    entry->constructing = true;
    EXPECT_TRUE(world->CanBuildType(1));
    // The requirement counts only a finished building.
    EXPECT_TRUE(world->CheckBuildRequirement(1));
    entry->constructing = false;
    EXPECT_FALSE(world->CheckBuildRequirement(1));
    EXPECT_TRUE(world->CheckBuildRequirement(0));

    Building("CAFE");
    EXPECT_TRUE(world->CanBuildType(1));
    EXPECT_FALSE(world->IsBuildTypeAtLimit(1));
    Building("CAFE")->demolishing = true;
    EXPECT_EQ(std::tuple(world->CountBuildings(1), world->CountFinishedBuildings(1)), std::tuple(2u, 1u));
    EXPECT_FALSE(world->CanBuildType(1));
    EXPECT_TRUE(world->IsBuildTypeAtLimit(1));
    EXPECT_FALSE(world->CheckBuildRequirement(1));
    EXPECT_FALSE(world->IsBuildTypeAtLimit(0));
    // The limit's requirement counts a required building still being built; types the tables lack count none.
    entry->constructing = true;
    EXPECT_TRUE(world->IsBuildTypeAtLimit(1));
    for (int32_t type : {-1, 99})
        EXPECT_EQ(std::tuple(world->CountBuildings(type), world->CountFinishedBuildings(type)), std::tuple(0u, 0u))
            << type;
}

TEST_F(WorldScripting, StepsWrapThroughBuildingsByDisplayNameAndStaffOfOneKindByName)
{
    TestBuilding* c = Building("X");
    TestBuilding* a = Building("Y");
    TestBuilding* b = Building("Z");
    TestBuilding* gone = Building("W");
    c->display = u"Charlie";
    a->display = u"Alpha";
    b->display = u"Bravo";
    gone->display = u"Aardvark";
    gone->SetWaitingForDeath(true);
    const std::tuple<uint32_t, bool, uint32_t> buildings[] = {
        {a->GetID(), true, b->GetID()},  {b->GetID(), true, c->GetID()},       {c->GetID(), true, a->GetID()},
        {a->GetID(), false, c->GetID()}, {gone->GetID(), true, gone->GetID()}, {12345, false, 12345},
    };
    for (const auto& [from, forward, to] : buildings)
        EXPECT_EQ(world->StepBuilding(from, forward), to) << from << forward;
    Probe* mia = Make(OBJECT_CLEANER, "Mia");
    Probe* abe = Make(OBJECT_MECHANIC, "Abe");
    Probe* zed = Make(OBJECT_ZOOKEEPER, "Zed");
    Probe* bea = Make(OBJECT_MECHANIC, "Bea");
    Probe* cal = Make(OBJECT_MECHANIC, "Cal");
    // A staff panel's next and previous stay with its own kind: a lone cleaner or zookeeper has no other.
    const std::tuple<uint32_t, bool, uint32_t> staff[] = {
        {abe->GetID(), true, bea->GetID()},  {cal->GetID(), true, abe->GetID()}, {abe->GetID(), false, cal->GetID()},
        {bea->GetID(), false, abe->GetID()}, {mia->GetID(), true, mia->GetID()}, {zed->GetID(), false, zed->GetID()},
        {a->GetID(), false, a->GetID()},
    };
    for (const auto& [from, forward, to] : staff)
        EXPECT_EQ(world->StepStaff(from, forward), to) << from << forward;
}

TEST_F(WorldScripting, TheDebugOverlayShowsTheGroupsThatAreSwitchedOn)
{
    EXPECT_TRUE(world->GetDebugInfoLines().empty());
    Make(OBJECT_LITTER, "CAN");
    Make(OBJECT_LITTER, "CAN");
    world->SetDebugDisplay(0, true);
    std::vector<std::string> lines = world->GetDebugInfoLines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(std::tuple(lines[0], lines[6], lines[7]),
              std::tuple("Num World Objects - 2", "Game Speed - 1.0X", "Litter Count - 2"));
    world->SetDebugDisplay(1, true);
    world->SetDebugDisplay(0, false);
    world->SetDebugDisplay(2, true);
    lines = world->GetDebugInfoLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0].rfind("FPS - ", 0), 0u);
    // Without a game clock the frame figures read 0.
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.end()),
              (std::vector<std::string>{"LOGIC time  - 0", "RENDER time - 0", "SOUND CPU - 0%", "SOUND MEM - 0K"}));
}

TEST_F(WorldScripting, TheSampleScenarioLaysOutItsParkCountsItsDaysAndRunsItsObjective)
{
    DayLength day(240);
    NewWorld();
    world->createOnRequest = true;
    map = std::make_unique<WorldMap>(128, 128, WorldMap::kDefaultCellSize, "");
    WorldScript* script = world->GetScriptManager().LoadWorldScript(
        (std::string(TW_SOURCE_DIR) + "/sample-data/data/script/sampleworld.pis").c_str());
    ASSERT_NE(script, nullptr);
    script->StartTimed(0.5f);
    EXPECT_TRUE(reports.boxes.empty()) << reports.boxes.front().text;

    // The avenue runs 12 cells north from (60,40), the second path 6 cells east from (61,45).
    for (int y = 38; y <= 53; ++y)
        EXPECT_EQ((map->GetFlags({60, y}) & CELL_FOOTPATH) != 0, y >= 40 && y <= 51) << y;
    for (int x = 61; x <= 66; ++x)
        EXPECT_NE(map->GetFlags({x, 45}) & CELL_FOOTPATH, 0u) << x;
    EXPECT_EQ(map->GetFlags({62, 44}), CELL_QUEUE | (5u << 8));
    EXPECT_EQ(map->GetFlags({63, 44}), CELL_QUEUE | (5u << 8));
    EXPECT_EQ(std::tuple(Read(WV_NumBuildings).data, Read(WV_BuildingCount, 0, "DINER").data, Read(WV_GuestCount).data,
                         Read(WV_CleanerCount).data, objects->CountObjectsOfKind(OBJECT_SCENERY)),
              std::tuple(5u, 1u, 10u, 1u, 1u));
    for (const Creation& made : world->creations)
    {
        if (made.kind != OBJECT_GUEST)
            continue;
        const auto& guest = made.As<GuestCreationRequest>();
        const GridPos cell = WorldMap::WorldToGrid({guest.position.x, guest.position.y, 0.0f});
        EXPECT_NE(map->GetFlags(cell) & CELL_FOOTPATH, 0u) << cell.x << "," << cell.y;
    }
    const auto staff = std::find_if(world->creations.begin(), world->creations.end(),
                                    [](const Creation& c) { return c.kind == OBJECT_CLEANER; });
    ASSERT_NE(staff, world->creations.end());
    EXPECT_STREQ(objects->GetObject(staff->As<StaffCreationRequest>().dwBuilding)->GetName(), "STAFFSMALL");
    EXPECT_EQ(std::tuple(world->GetGameDayTime(), world->m_pPlayer->Cash), std::tuple(10.0f, 20000.0f));

    // The startup State moved on at once to Running, which counts the days the park has been open: through the
    // World's own frames, across two midnights.
    EXPECT_EQ(script->GetStateName(script->GetCurrentState()), "Running");
    const std::tuple<float, int> days[] = {{130.0f, 0}, {20.0f, 1}, {240.0f, 2}};
    for (const auto& [seconds, count] : days)
    {
        for (float done = 0.0f; done < seconds; done += 4.0f)
            world->Update(4.0f);
        EXPECT_EQ(std::tuple(world->GetGameDay(), world->GetScriptVar(0)), std::tuple(count, count));
    }
    // The objective waits for 50 guests.
    EXPECT_EQ(world->GetObjectiveStatus(0), 0u);
    world->m_NumGuests = 50;
    world->Update(0.1f);
    EXPECT_EQ(std::tuple(world->GetObjectiveStatus(0), world->redraws, world->IsPaused()), std::tuple(1u, 1, true));
    EXPECT_EQ(script->GetStateName(script->GetCurrentState()), "Won");
    EXPECT_TRUE(reports.boxes.empty());
}

TEST_F(WorldScripting, StatesThatChangeAtOnceStopWhenTheRunGetsTooDeep)
{
    // Back and forth, and a State that changes to itself twice (found by fuzzing: each entry starts two more).
    const std::tuple<const char*, int, int> rows[] = {
        {"State STATE_WORLD_STARTUP OnEntry ChangeState B ; End End\n"
         "State B OnEntry Add Var1 1 ; ChangeState STATE_WORLD_STARTUP ; End End\n",
         WorldScript::kMaxRunDepth / 2, WorldScript::kMaxRunDepth / 2},
        {"State STATE_WORLD_STARTUP OnEntry Add Var1 1 ;\n"
         " ChangeState STATE_WORLD_STARTUP ; ChangeState STATE_WORLD_STARTUP ; End End\n",
         WorldScript::kMaxRunDepth, WorldScript::kMaxRunDepth},
    };
    for (const auto& [text, first, more] : rows)
    {
        NewWorld();
        reports.boxes.clear();
        WorldScript* script = StartScript(text);
        ASSERT_NE(script, nullptr);
        // Each change nests inside the one before until the script stops the run, before the bus has to.
        EXPECT_EQ(world->GetScriptVar(1), first) << text;
        EXPECT_EQ(CountReports("the rest of this run is dropped"), 1u);
        EXPECT_EQ(CountReports("nested too deeply"), 0u);
        EXPECT_EQ(messages->GetPendingCount(), 0u);
        // A later run starts afresh.
        script->RunOnEntry();
        EXPECT_EQ(world->GetScriptVar(1), first + more) << text;
    }
}

TEST_F(WorldScripting, LongKeywordsAreCutToTheRoomOfARequest)
{
    const std::string name(40, 'K');
    world->RequestScenery(OBJECT_LITTER, name.c_str(), 1, 2, 0);
    world->RequestGuest(name.substr(0, 31).c_str(), 1.0f, 2.0f, 3);
    ASSERT_EQ(world->creations.size(), 2u);
    EXPECT_EQ(std::tuple(world->creations[0].keyword, world->creations[1].keyword),
              std::tuple(name.substr(0, 31), name.substr(0, 31)));
    EXPECT_EQ(CountReports("longer than 31 characters cut"), 1u);
}

TEST_F(WorldScripting, TheRescueRatioIsClampedToZeroToOneAndZeroWithoutAManager)
{
    EXPECT_EQ(world->GetRescueAcceptRatio(), 0.0f);
    const std::pair<float, float> cases[] = {
        {0.25f, 0.25f}, {1.5f, 1.0f}, {-0.5f, 0.0f}, {std::nanf(""), 0.0f}, {1.0f, 1.0f}};
    for (const auto& [given, expected] : cases)
    {
        auto rescue = std::make_unique<parktest::RecordingPark::Rescue>();
        rescue->ratio = given;
        world->m_Managers.rescue = std::move(rescue);
        EXPECT_EQ(world->GetRescueAcceptRatio(), expected) << given;
    }
}

TEST_F(WorldScripting, LitterIsCreatedTurnedAsTheScriptSays)
{
    // Litter placed on a cell faces the side its Create command names, as scenery does; litter placed at random
    // faces side 0.
    const std::tuple<const char*, uint8_t> rows[] = {
        {"Create Litter CAN 1 1 0 ;", 0}, {"Create Litter CAN 1 1 1 ;", 1},  {"Create Litter CAN 1 1 2 Number 2 ;", 2},
        {"Create Litter CAN 1 1 3 ;", 3}, {"Create Litter CAN Random ;", 0},
    };
    for (const auto& [command, side] : rows)
    {
        SCOPED_TRACE(command);
        world->creations.clear();
        ASSERT_NE(
            StartScript(std::string("State STATE_WORLD_STARTUP OnEntry Path 1 1 1 N ; ") + command + " End End\n"),
            nullptr);
        ASSERT_FALSE(world->creations.empty());
        for (const Creation& made : world->creations)
        {
            EXPECT_EQ(made.kind, uint32_t{OBJECT_LITTER});
            EXPECT_EQ(made.As<LitterCreationRequest>().bDirection, side);
        }
    }
}

TEST_F(WorldScripting, APathThatLaysNoCellOnTheMapIsReported)
{
    // On the 16 x 16 map: start, direction, count, and whether any of its cells lies on the map.
    const struct
    {
        int32_t x, y;
        uint32_t direction;
        int32_t count;
        bool onTheMap;
    } rows[] = {
        {10, 10, 2, 5, true},    // all on the map
        {14, 2, 2, 6, true},     // runs off the east edge after two cells
        {-2, 6, 2, 5, true},     // comes onto the map from the west
        {200, 200, 2, 5, false}, // a place on a larger map
        {-3, 8, 6, 5, false},    // heads away from the map
        {5, 5, 2, 0, false},     // no cells
        {5, 5, 2, -3, false},    // a count below none
        {3, 16, 2, 3, false},    // along the row just north of the map
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(std::to_string(row.x) + ", " + std::to_string(row.y) + " count " + std::to_string(row.count));
        const size_t before = CountReports("lays no cell on the map");
        world->LayPath(row.x, row.y, row.direction, row.count);
        EXPECT_EQ(CountReports("lays no cell on the map") - before, row.onTheMap ? 0u : 1u);
    }
}
