// Tests of the World's side of its world script: the variables it answers and writes, its functions, the
// creation requests, paths and queues a script lays out, state changes and messages through the message bus, the
// building-type checks, stepping through buildings and staff, and the debug overlay's lines.
#include "tests/world/WorldTestSupport.h"

#include "engine/core/GameParameters.h"
#include "scripts/WorldCommands.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldScript.h"
#include "world/CreationRequests.h"
#include "world/ParkFacts.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace worldtest;

namespace
{

class TestBuilding : public StaticObject, public BuildingFacts
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
    const char* GetDisplayName() const override { return display.c_str(); }
    void AdoptAnimal(uint32_t slot) override { adopted.push_back(slot); }

    bool constructing = false;
    bool demolishing = false;
    bool broken = false;
    bool staffRoom = false;
    bool playerBuilt = false;
    float income = 0.0f;
    uint32_t visits = 0;
    float showScore = 0.0f;
    std::string display;
    std::vector<uint32_t> adopted;
};

class TestAnimal : public StaticObject, public AnimalFacts
{
public:
    TestAnimal() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    float GetHappiness() const override { return happiness; }
    float happiness = 0.0f;
};

// One creation request as the World received it.
struct Creation
{
    uint32_t kind;
    std::string keyword;
    SceneryCreationRequest scenery;
    LitterCreationRequest litter;
    GuestCreationRequest guest;
    BuildingCreationRequest building;
    StaffCreationRequest staff;
};

// The World with its script-facing members open to the tests, recording creation requests and redraws.
class ScriptWorld : public World
{
public:
    using World::m_bLoading;
    using World::m_bSandbox;
    using World::m_BuildingsConstructed;
    using World::m_dwLastCreatedBuilding;
    using World::m_fAnimalIncomeTotal;
    using World::m_fCostsToday;
    using World::m_fGuestAverages;
    using World::m_fIncomeToday;
    using World::m_iParkRating;
    using World::m_Managers;
    using World::m_NumGuests;
    using World::m_pPlayer;
    using World::m_ScriptFlags;
    using World::m_TodayGuestUnhappyDepart;
    using World::m_TotalGuestUnhappyDepart;

    bool HandleMessage(const MessageRecord& record, const void* payload) override
    {
        if (!payload)
            return World::HandleMessage(record, payload);
        Creation creation{record.dwData, "", {}, {}, {}, {}, {}};
        switch (record.dwData)
        {
        case 10:
            creation.litter = *static_cast<const LitterCreationRequest*>(payload);
            creation.keyword = creation.litter.szKeyword;
            break;
        case 1:
            creation.scenery = *static_cast<const SceneryCreationRequest*>(payload);
            creation.keyword = creation.scenery.szKeyword;
            break;
        case 2:
            creation.building = *static_cast<const BuildingCreationRequest*>(payload);
            creation.keyword = creation.building.szKeyword;
            break;
        case 3:
            creation.guest = *static_cast<const GuestCreationRequest*>(payload);
            creation.keyword = creation.guest.szKeyword;
            break;
        default:
            creation.staff = *static_cast<const StaffCreationRequest*>(payload);
            creation.keyword = creation.staff.szKeyword;
            break;
        }
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
    bool GetCellAt(float mapX, float mapY, int32_t* gridX, int32_t* gridY, uint32_t* flags) const override
    {
        ++cellQueries;
        return World::GetCellAt(mapX, mapY, gridX, gridY, flags);
    }

    mutable uint64_t cellQueries = 0;
    std::vector<Creation> creations;
    int redraws = 0;
    bool createOnRequest = false;
};

// Game parameters with a day length, for the life of the object.
class DayLength
{
public:
    explicit DayLength(int seconds)
    {
        testsupport::WriteText(m_dir.File("gameparameters.pis"),
                               "'iDAY_LENGTH_IN_SECONDS' " + std::to_string(seconds) + "\r\n");
        m_params = std::make_unique<GameParameters>(m_dir.File("gameparameters.pis").c_str());
    }

private:
    testsupport::TempDir m_dir;
    std::unique_ptr<GameParameters> m_params;
};

class WorldScripting : public ::testing::Test
{
protected:
    WorldScripting()
    {
        ClearObjectKinds();
        for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
            RegisterObjectKind(kind, []() -> BaseObject* { return new Probe; });
        RegisterObjectKind(OBJECT_BUILDING, []() -> BaseObject* { return new TestBuilding; });
        RegisterObjectKind(OBJECT_ANIMAL, []() -> BaseObject* { return new TestAnimal; });
        world = std::make_unique<ScriptWorld>();
        map = std::make_unique<WorldMap>(16, 16, WorldMap::kDefaultCellSize, "");
        messages = std::make_unique<MessageHandler>();
        objects = std::make_unique<ObjectManager>();
        world->m_pPlayer = std::make_unique<Player>(u"Tester");
    }
    ~WorldScripting() override
    {
        objects.reset();
        messages.reset();
        map.reset();
        world.reset();
        ClearObjectKinds();
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
        ScriptOperand operand;
        operand.id = id;
        operand.number = number;
        operand.text = text;
        return world->GetScriptVariable(operand);
    }
    void Write(uint32_t id, uint32_t number, const ScriptValue& value)
    {
        ScriptOperand operand;
        operand.id = id;
        operand.number = number;
        world->SetScriptVariable(operand, value);
    }
    // Compiles a world script into the World's script manager (through a scrambled file) and starts it.
    WorldScript* StartScript(const std::string& text)
    {
        std::vector<uint8_t> bytes(text.begin(), text.end());
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(~b);
        testsupport::WriteBytes(dir.File("world.ble"), bytes);
        WorldScript* script = world->GetScriptManager().LoadWorldScript(dir.File("world.pis").c_str());
        if (script)
            script->Start();
        return script;
    }
    void Frame(float seconds)
    {
        world->AdvanceClock(seconds);
        messages->Update();
    }
    size_t CountReports(const std::string& fragment) const
    {
        size_t n = 0;
        for (const auto& box : reports.boxes)
            n += box.text.find(fragment) != std::string::npos ? 1 : 0;
        return n;
    }

    void SetValidBuildings(std::initializer_list<int32_t> types)
    {
        world->m_NumValidBuildings = 0;
        for (int32_t type : types)
            world->m_ValidBuildingIDs[world->m_NumValidBuildings++] = type;
    }

    testsupport::RecordingReportSink reports;
    testsupport::TempDir dir;
    std::unique_ptr<ScriptWorld> world;
    std::unique_ptr<WorldMap> map;
    std::unique_ptr<MessageHandler> messages;
    std::unique_ptr<ObjectManager> objects;
};

} // namespace

TEST_F(WorldScripting, ParkFiguresReadWithTheirTypes)
{
    for (int i = 0; i < 3; ++i)
        Make(OBJECT_CLEANER, "CLEANER");
    Make(OBJECT_MECHANIC, "MECHANIC");
    Make(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    Make(OBJECT_ZOOKEEPER, "ZOOKEEPER");
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

    EXPECT_EQ(Read(WV_GuestCount).data, 12u);
    EXPECT_EQ(Read(WV_GuestCount).type, static_cast<uint32_t>(SCRIPT_VALUE_UINT));
    EXPECT_EQ(Read(WV_CleanerCount).data, 3u);
    EXPECT_EQ(Read(WV_MechanicCount).data, 1u);
    EXPECT_EQ(Read(WV_ZooCount).data, 2u);
    EXPECT_EQ(Read(WV_AllStaffCount).data, 6u);
    EXPECT_EQ(Read(WV_LitterCount).data, 1u);
    EXPECT_EQ(Read(WV_UnHappyLeavers).data, 9u);
    EXPECT_FLOAT_EQ(Read(WV_ProfitToday).AsFloatBits(), 179.5f);
    EXPECT_FLOAT_EQ(Read(WV_IncomeToday).AsFloatBits(), 300.0f);
    EXPECT_FLOAT_EQ(Read(WV_AnimalTotalIncome).AsFloatBits(), 77.0f);
    EXPECT_EQ(Read(WV_ConstructCount).data, 6u);
    EXPECT_EQ(Read(WV_ResortRating).data, 64u);
    EXPECT_EQ(Read(WV_SandBox).type, static_cast<uint32_t>(SCRIPT_VALUE_BOOL));
    EXPECT_EQ(Read(WV_SandBox).data, 1u);
    EXPECT_EQ(Read(WV_Me).data, 0xFFFFFFFEu);
    EXPECT_FLOAT_EQ(Read(WV_PlayerCash).AsFloatBits(), 2500.0f);
    EXPECT_EQ(Read(WV_BreakdownCount).data, 0u);
    EXPECT_EQ(Read(SCRIPT_OPERAND_NUMBER).type, static_cast<uint32_t>(SCRIPT_VALUE_FLOAT));
    // An id the park does not answer reads as false.
    EXPECT_EQ(Read(999).type, static_cast<uint32_t>(SCRIPT_VALUE_BOOL));
    EXPECT_EQ(Read(999).data, 0u);
}

TEST_F(WorldScripting, FlagsVariablesAndObjectivesKeepToTheirRanges)
{
    Write(WV_Flag, 33, ScriptValue::Float(1.0f));
    EXPECT_EQ(world->GetScriptFlags(), 2);
    EXPECT_NE(Read(WV_Flag, 1).data, 0u);
    EXPECT_NE(Read(WV_Flag, 65).data, 0u);
    EXPECT_EQ(Read(WV_Flag, 2).data, 0u);
    Write(WV_Flag, 31, ScriptValue::UInt(5));
    EXPECT_EQ(static_cast<uint32_t>(world->GetScriptFlags()), 0x80000002u);
    Write(WV_Flag, 1, ScriptValue::Bool(false));
    EXPECT_EQ(static_cast<uint32_t>(world->GetScriptFlags()), 0x80000000u);

    Write(WV_Var, 31, ScriptValue::Float(7.9f));
    EXPECT_EQ(world->GetScriptVar(31), 7);
    EXPECT_EQ(Read(WV_Var, 31).data, 7u);
    Write(WV_Var, 32, ScriptValue::UInt(9));
    Write(WV_Var, 0xFFFFFFFF, ScriptValue::UInt(9));
    EXPECT_EQ(Read(WV_Var, 32).data, 0u);

    Write(WV_ScenarioObj, 2, ScriptValue::UInt(1));
    EXPECT_EQ(world->GetObjectiveStatus(2), 1u);
    EXPECT_EQ(world->redraws, 1);
    // The same value again does not redraw.
    Write(WV_ScenarioObj, 2, ScriptValue::Float(1.0f));
    EXPECT_EQ(world->redraws, 1);
    Write(WV_ScenarioObj, 4, ScriptValue::UInt(1));
    EXPECT_EQ(world->redraws, 1);
    EXPECT_EQ(Read(WV_ScenarioObj, 4).data, 0u);
    EXPECT_EQ(Read(WV_ScenarioObj, 2).data, 1u);

    Write(WV_PlayerCash, 0, ScriptValue::UInt(40));
    EXPECT_FLOAT_EQ(world->m_pPlayer->Cash, 40.0f);
    // Other ids are not written.
    Write(WV_GuestCount, 0, ScriptValue::UInt(40));
    EXPECT_EQ(Read(WV_GuestCount).data, 0u);
}

TEST_F(WorldScripting, GameTimeIsWrittenOnlyWhileTheScriptStartsUp)
{
    DayLength day(240);
    world = nullptr;
    world = std::make_unique<ScriptWorld>();
    ASSERT_NE(StartScript("State STATE_WORLD_STARTUP OnEntry Set GameTime 14 ; End End State Later End\n"), nullptr);
    EXPECT_FLOAT_EQ(world->GetGameTime(), 140.0f);
    EXPECT_FLOAT_EQ(world->GetGameDayTime(), 14.0f);
    EXPECT_FLOAT_EQ(Read(WV_GameTime).AsFloatBits(), 14.0f);
    world->GetScriptManager().GetWorldScript()->SetCurrentState(1);
    Write(WV_GameTime, 0, ScriptValue::Float(20.0f));
    EXPECT_FLOAT_EQ(world->GetGameTime(), 140.0f);
    EXPECT_EQ(Read(WV_GameDay).data, 0u);
}

TEST_F(WorldScripting, FunctionsPauseResumeAndSwitchBreakdownsAndLitter)
{
    world->CallScriptFunction(WF_PauseGame);
    EXPECT_TRUE(world->IsPaused());
    EXPECT_TRUE(world->IsForcedPaused());
    world->CallScriptFunction(WF_ResumeGame);
    EXPECT_FALSE(world->IsPaused());
    EXPECT_TRUE(world->IsForcedPaused());
    world->CallScriptFunction(WF_NoBreakDowns);
    EXPECT_FALSE(world->AreBreakDownsAllowed());
    world->CallScriptFunction(WF_AllowBreakDowns);
    EXPECT_TRUE(world->AreBreakDownsAllowed());
    EXPECT_TRUE(world->IsLitterAllowed());
    world->CallScriptFunction(WF_NoLitter);
    EXPECT_FALSE(world->IsLitterAllowed());
    world->CallScriptFunction(WF_Debug);
    world->CallScriptFunction(WF_NotFound);
    EXPECT_EQ(CountReports("An invalid function has been called within the world script"), 2u);
}

TEST_F(WorldScripting, AScriptLaysOutPathsQueuesBuildingsGuestsAndStaff)
{
    TestBuilding* staffRoom = nullptr;
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
    // Path 10 10 5 E lays (10,10) to (14,10).
    for (int x = 9; x <= 15; ++x)
        EXPECT_EQ((map->GetFlags({x, 10}) & CELL_FOOTPATH) != 0, x >= 10 && x <= 14) << x;
    for (int y = 2; y <= 4; ++y)
        EXPECT_NE(map->GetFlags({2, y}) & CELL_FOOTPATH, 0u) << y;
    EXPECT_EQ(map->GetFlags({2, 5}) & CELL_FOOTPATH, 0u);
    // North-east from (14,1): (14,1), (15,2), then off the map.
    EXPECT_NE(map->GetFlags({14, 1}) & CELL_FOOTPATH, 0u);
    EXPECT_NE(map->GetFlags({15, 2}) & CELL_FOOTPATH, 0u);
    EXPECT_EQ(map->GetFlags({3, 9}), CELL_QUEUE | (5u << 8));
    EXPECT_EQ(CountReports("cell 30, 30 is off the map"), 1u);

    const auto& made = world->creations;
    ASSERT_EQ(made.size(), 9u);
    EXPECT_EQ(made[0].kind, 2u);
    EXPECT_EQ(made[0].keyword, "CAFE");
    EXPECT_EQ(made[0].building.iGridX, 4);
    EXPECT_EQ(made[0].building.iGridY, 5);
    EXPECT_EQ(made[0].building.iRotation, 1);
    EXPECT_FLOAT_EQ(made[0].building.fPrice, 2.5f);
    EXPECT_EQ(made[0].building.iBuildingAge, 3);
    EXPECT_EQ(made[0].building.bCreatedBroken, 1);
    for (size_t i = 1; i <= 2; ++i)
    {
        EXPECT_EQ(made[i].kind, 1u);
        EXPECT_EQ(made[i].keyword, "PALM");
        EXPECT_EQ(made[i].scenery.iGridX, 6);
        EXPECT_EQ(made[i].scenery.iGridY, 7);
        EXPECT_EQ(made[i].scenery.bHasDirection, 1);
        EXPECT_EQ(made[i].scenery.bDirection, 2);
        EXPECT_EQ(made[i].scenery.dwOwner, 0xFFFFFFFEu);
    }
    EXPECT_EQ(made[3].kind, 10u);
    EXPECT_EQ(made[3].litter.iGridX, 8);
    EXPECT_EQ(made[4].kind, 3u);
    EXPECT_FLOAT_EQ(made[4].guest.position.x, 100.0f);
    EXPECT_FLOAT_EQ(made[4].guest.position.y, 300.0f);
    EXPECT_FLOAT_EQ(made[4].guest.position.z, 0.0f);
    EXPECT_EQ(made[4].guest.bStartsAtEntrance, 0);
    EXPECT_LT(made[4].guest.iHoursInPark, 24);
    EXPECT_GE(made[4].guest.iHoursInPark, 0);
    for (size_t i = 5; i <= 8; ++i)
    {
        ASSERT_EQ(made[i].kind, 3u);
        // Each random guest stands on a footpath cell (cells are 32 x 64 map units).
        const int cx = static_cast<int>(made[i].guest.position.x / 32.0f);
        const int cy = static_cast<int>(made[i].guest.position.y / 64.0f);
        EXPECT_NE(map->GetFlags({cx, cy}) & CELL_FOOTPATH, 0u) << cx << "," << cy;
    }
    // No staff room: no staff.
    EXPECT_EQ(made.size(), 9u);

    staffRoom = Building("STAFFSMALL");
    Building("CAFE");
    staffRoom->staffRoom = true;
    ASSERT_NE(StartScript("State STATE_WORLD_STARTUP OnEntry Create Staff MECHANIC 1 1 ; End End\n"), nullptr);
    ASSERT_EQ(made.size(), 10u);
    EXPECT_EQ(made[9].kind, 6u);
    EXPECT_EQ(made[9].keyword, "MECHANIC");
    EXPECT_EQ(made[9].staff.dwBuilding, staffRoom->GetID());
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
    Frame(4.0f);
    EXPECT_EQ(script->GetCurrentState(), 0u);
    EXPECT_EQ(world->GetScriptVar(1), 0);
    Frame(1.5f);
    EXPECT_EQ(script->GetCurrentState(), 1u);
    // OnExit ran before OnEntry: the entry list saw Var1 set.
    EXPECT_EQ(world->GetScriptVar(1), 1);
    EXPECT_EQ(world->GetScriptVar(2), 2);
    uint32_t newDay = 0;
    ASSERT_TRUE(DecodeMessageName("MT_NEW_DAY", &newDay));
    messages->Send(Record(kNoObjectID, kWorldID, newDay));
    EXPECT_EQ(world->GetScriptVar(3), 7);
    // A State index out of range is reported and changes nothing; nor do the World's own control messages.
    messages->Send(Record(kWorldID, kWorldID, MT_STATECHANGE, 9));
    messages->Send(Record(kWorldID, kWorldID, MT_STATECHANGE, 2));
    messages->Send(Record(kWorldID, kWorldID, MT_UPDATERATING));
    EXPECT_EQ(script->GetCurrentState(), 1u);
    // Not even the current State's OnExit runs for a change that cannot happen.
    EXPECT_EQ(world->GetScriptVar(4), 0);
    EXPECT_EQ(CountReports("world script State 9 does not exist"), 1u);
    EXPECT_EQ(CountReports("world script State 2 does not exist"), 1u);
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
    ASSERT_TRUE(params.AddBuilding("COASTER"));
    ASSERT_TRUE(params.AddBuilding("BUMPERS"));
    ASSERT_TRUE(params.AddBuilding("POOL"));
    params.AddBuildingData(0, "ATTRACT_CAT_1", "RIDE");
    params.AddBuildingData(1, "ATTRACT_CAT_1", "AMUSEMENT");
    params.AddBuildingData(2, "ATTRACT_CAT_1", "ANIMAL");
    TestBuilding* coaster = Building("COASTER");
    TestBuilding* coaster2 = Building("COASTER");
    TestBuilding* bumpers = Building("BUMPERS");
    TestBuilding* pool = Building("POOL");
    TestBuilding* pool2 = Building("POOL");
    TestBuilding* kaiko = Building("KAIKOADV");
    coaster->playerBuilt = true;
    coaster2->playerBuilt = true;
    bumpers->playerBuilt = true;
    coaster->visits = 5;
    coaster2->visits = 7;
    coaster2->constructing = true;
    pool->income = 10.0f;
    coaster->income = 1000.0f;
    pool2->income = 2.5f;
    pool2->demolishing = true;
    kaiko->showScore = 0.75f;

    EXPECT_EQ(Read(WV_NumBuildings).data, 6u);
    EXPECT_EQ(Read(WV_BuildingCount, 0, "COASTER").data, 2u);
    EXPECT_EQ(Read(WV_BuildingCount, 0, "NOTHING").data, 0u);
    EXPECT_EQ(Read(WV_RidesBuilt).data, 2u);
    EXPECT_EQ(Read(WV_AmusementBuilt).data, 1u);
    EXPECT_EQ(Read(WV_AnimalExhibitCount).data, 1u);
    EXPECT_FLOAT_EQ(Read(WV_AnimalExhibitIncome).AsFloatBits(), 12.5f);
    EXPECT_EQ(Read(WV_VisitCount, 0, "COASTER").data, 5u);
    EXPECT_EQ(Read(WV_DiffConstructCount).data, 2u);
    EXPECT_FLOAT_EQ(Read(WV_KaikoShowScore).AsFloatBits(), 0.75f);
    EXPECT_TRUE(IsScriptValueTrue(Read(WV_AllBuildingsOperating)));
    bumpers->broken = true;
    EXPECT_FALSE(IsScriptValueTrue(Read(WV_AllBuildingsOperating)));

    SetValidBuildings({0, 2});
    EXPECT_TRUE(IsScriptValueTrue(Read(WV_BuildTreeExist)));
    coaster->constructing = true;
    EXPECT_FALSE(IsScriptValueTrue(Read(WV_BuildTreeExist)));
}

TEST_F(WorldScripting, AveragesReadByTheScriptAreKept)
{
    EXPECT_FLOAT_EQ(Read(WV_AverageAnimalHappy).AsFloatBits(), 0.0f);
    Make<TestAnimal>(OBJECT_ANIMAL, "DOLPHIN")->happiness = 0.5f;
    Make<TestAnimal>(OBJECT_ANIMAL, "DOLPHIN")->happiness = 1.0f;
    EXPECT_FLOAT_EQ(Read(WV_AverageAnimalHappy).AsFloatBits(), 0.75f);
    EXPECT_FLOAT_EQ(world->GetAnimalHappyAverage(), 0.75f);

    const float averages[6] = {12.0f, 11.0f, 3.0f, 14.0f, 15.0f, 2.5f};
    std::memcpy(world->m_fGuestAverages, averages, sizeof averages);
    EXPECT_FLOAT_EQ(Read(WV_LowestGuestAverage).AsFloatBits(), 2.5f);
    EXPECT_FLOAT_EQ(world->GetLowestGuestAverage(), 2.5f);
    EXPECT_FLOAT_EQ(Read(WV_GuestBeautyLevel).AsFloatBits(), 3.0f);
    EXPECT_FLOAT_EQ(Read(WV_GuestAverageWelfare).AsFloatBits(), 2.5f);
    const float high[6] = {12.0f, 11.0f, 13.0f, 14.0f, 15.0f, 16.0f};
    std::memcpy(world->m_fGuestAverages, high, sizeof high);
    EXPECT_FLOAT_EQ(Read(WV_LowestGuestAverage).AsFloatBits(), 10.0f);
}

TEST_F(WorldScripting, BuildTypeChecksFollowValidityLocksLimitsAndTrees)
{
    WorldParams params;
    ASSERT_TRUE(params.AddBuilding("ENTRY"));   // 0: no requirement
    ASSERT_TRUE(params.AddBuilding("CAFE"));    // 1: at most 2, after ENTRY
    ASSERT_TRUE(params.AddBuilding("SECRET"));  // 2: locked
    ASSERT_TRUE(params.AddBuilding("OFFLIST")); // 3: not offered
    params.AddBuildingData(0, "TREE", "NONE");
    params.AddBuildingData(1, "TREE", "ENTRY");
    params.AddBuildingData(1, "MAXINSTANCES", "2");
    params.AddBuildingData(2, "NEEDS_UNLOCKING", "Yes");
    SetValidBuildings({0, 1, 2});

    EXPECT_TRUE(world->IsValidBuildingType(1));
    EXPECT_FALSE(world->IsValidBuildingType(3));
    EXPECT_TRUE(world->CanBuildType(0));
    EXPECT_FALSE(world->CanBuildType(1)); // no ENTRY yet
    EXPECT_TRUE(world->CheckBuildRequirement(1));
    EXPECT_FALSE(world->CanBuildType(2));
    EXPECT_FALSE(world->CheckBuildRequirement(2));
    EXPECT_FALSE(world->CanBuildType(3));
    EXPECT_FALSE(world->CanBuildType(-1));
    EXPECT_FALSE(world->CanBuildType(99));

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
    EXPECT_EQ(world->CountBuildings(1), 2u);
    EXPECT_EQ(world->CountFinishedBuildings(1), 1u);
    EXPECT_FALSE(world->CanBuildType(1));
    EXPECT_TRUE(world->IsBuildTypeAtLimit(1));
    EXPECT_FALSE(world->CheckBuildRequirement(1));
    EXPECT_FALSE(world->IsBuildTypeAtLimit(0));
}

TEST_F(WorldScripting, StepsWrapThroughBuildingsByDisplayNameAndStaffByName)
{
    TestBuilding* c = Building("X");
    TestBuilding* a = Building("Y");
    TestBuilding* b = Building("Z");
    TestBuilding* gone = Building("W");
    c->display = "Charlie";
    a->display = "Alpha";
    b->display = "Bravo";
    gone->display = "Aardvark";
    gone->SetWaitingForDeath(true);
    EXPECT_EQ(world->StepBuilding(a->GetID(), true), b->GetID());
    EXPECT_EQ(world->StepBuilding(b->GetID(), true), c->GetID());
    EXPECT_EQ(world->StepBuilding(c->GetID(), true), a->GetID());
    EXPECT_EQ(world->StepBuilding(a->GetID(), false), c->GetID());
    EXPECT_EQ(world->StepBuilding(gone->GetID(), true), gone->GetID());
    EXPECT_EQ(world->StepBuilding(12345, false), 12345u);

    Probe* mia = Make(OBJECT_CLEANER, "Mia");
    Probe* abe = Make(OBJECT_MECHANIC, "Abe");
    Probe* zed = Make(OBJECT_ZOOKEEPER, "Zed");
    EXPECT_EQ(world->StepStaff(abe->GetID(), true), mia->GetID());
    EXPECT_EQ(world->StepStaff(zed->GetID(), true), abe->GetID());
    EXPECT_EQ(world->StepStaff(abe->GetID(), false), zed->GetID());
    EXPECT_EQ(world->StepStaff(a->GetID(), false), a->GetID());
}

TEST_F(WorldScripting, TheDebugOverlayShowsTheGroupsThatAreSwitchedOn)
{
    EXPECT_TRUE(world->GetDebugInfoLines().empty());
    Make(OBJECT_LITTER, "CAN");
    Make(OBJECT_LITTER, "CAN");
    world->SetDebugDisplay(0, true);
    std::vector<std::string> lines = world->GetDebugInfoLines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "Num World Objects - 2");
    EXPECT_EQ(lines[6], "Game Speed - 1.0X");
    EXPECT_EQ(lines[7], "Litter Count - 2");
    world->SetDebugDisplay(1, true);
    world->SetDebugDisplay(0, false);
    world->SetDebugDisplay(2, true);
    lines = world->GetDebugInfoLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0].rfind("FPS - ", 0), 0u);
    // Without a game clock the frame figures read 0.
    EXPECT_EQ(lines[4], "LOGIC time  - 0");
    EXPECT_EQ(lines[5], "RENDER time - 0");
    EXPECT_EQ(lines[6], "SOUND CPU - 0%");
    EXPECT_EQ(lines[7], "SOUND MEM - 0K");
}

TEST_F(WorldScripting, TheSampleScenarioLaysOutItsParkAndRunsItsObjective)
{
    DayLength day(240);
    world = nullptr;
    world = std::make_unique<ScriptWorld>();
    world->m_pPlayer = std::make_unique<Player>(u"Tester");
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

    EXPECT_EQ(Read(WV_NumBuildings).data, 5u);
    EXPECT_EQ(Read(WV_BuildingCount, 0, "DINER").data, 1u);
    EXPECT_EQ(Read(WV_GuestCount).data, 10u);
    EXPECT_EQ(Read(WV_CleanerCount).data, 1u);
    EXPECT_EQ(objects->CountObjectsOfKind(OBJECT_SCENERY), 1u);
    for (const Creation& made : world->creations)
    {
        if (made.kind != OBJECT_GUEST)
            continue;
        const GridPos cell = WorldMap::WorldToGrid({made.guest.position.x, made.guest.position.y, 0.0f});
        EXPECT_NE(map->GetFlags(cell) & CELL_FOOTPATH, 0u) << cell.x << "," << cell.y;
    }
    const auto staff = std::find_if(world->creations.begin(), world->creations.end(),
                                    [](const Creation& c) { return c.kind == OBJECT_CLEANER; });
    ASSERT_NE(staff, world->creations.end());
    EXPECT_EQ(objects->GetObject(staff->staff.dwBuilding)->GetName(), std::string("STAFFSMALL"));
    EXPECT_FLOAT_EQ(world->GetGameDayTime(), 10.0f);
    EXPECT_FLOAT_EQ(world->m_pPlayer->Cash, 20000.0f);

    // The startup State moved on at once to Running; the objective waits for 50 guests.
    EXPECT_EQ(script->GetStateName(script->GetCurrentState()), "Running");
    script->Update();
    EXPECT_EQ(world->GetObjectiveStatus(0), 0u);
    uint32_t newDay = 0;
    ASSERT_TRUE(DecodeMessageName("MT_NEW_DAY", &newDay));
    messages->Send(Record(kNoObjectID, kWorldID, newDay));
    messages->Send(Record(kNoObjectID, kWorldID, newDay));
    EXPECT_EQ(world->GetScriptVar(0), 2);
    world->m_NumGuests = 50;
    script->Update();
    EXPECT_EQ(world->GetObjectiveStatus(0), 1u);
    EXPECT_EQ(world->redraws, 1);
    EXPECT_EQ(script->GetStateName(script->GetCurrentState()), "Won");
    EXPECT_TRUE(world->IsPaused());
    EXPECT_TRUE(reports.boxes.empty());
}

TEST_F(WorldScripting, StatesThatChangeBackAndForthAtOnceStopWhenTheRunGetsTooDeep)
{
    WorldScript* script = StartScript("State STATE_WORLD_STARTUP OnEntry ChangeState B ; End End\n"
                                      "State B OnEntry Add Var1 1 ; ChangeState STATE_WORLD_STARTUP ; End End\n");
    ASSERT_NE(script, nullptr);
    // Each change nests inside the one before until the script stops the run, before the bus has to.
    const int first = world->GetScriptVar(1);
    EXPECT_GT(first, 1);
    EXPECT_LE(first, static_cast<int>(WorldScript::kMaxRunDepth));
    EXPECT_EQ(CountReports("the rest of this run is dropped"), 1u);
    EXPECT_EQ(CountReports("nested too deeply"), 0u);
    EXPECT_TRUE(messages->GetPendingMessages().empty());
    Frame(0.1f);
    EXPECT_EQ(world->GetScriptVar(1), first);
}

TEST_F(WorldScripting, AStateThatChangesToItselfTwiceAtOnceEnds)
{
    // Found by fuzzing: each entry starts two more, so the bus's depth limit alone left 2^64 entries to run.
    WorldScript* script = StartScript("State STATE_WORLD_STARTUP OnEntry Add Var1 1 ;\n"
                                      " ChangeState STATE_WORLD_STARTUP ; ChangeState STATE_WORLD_STARTUP ; End End\n");
    ASSERT_NE(script, nullptr);
    // One straight chain down to the limit, then the whole run stops.
    EXPECT_EQ(world->GetScriptVar(1), static_cast<int>(WorldScript::kMaxRunDepth));
    EXPECT_EQ(CountReports("the rest of this run is dropped"), 1u);
    // A later run starts afresh.
    script->RunOnEntry();
    EXPECT_EQ(world->GetScriptVar(1), 2 * static_cast<int>(WorldScript::kMaxRunDepth));
}

TEST_F(WorldScripting, ChainedStatesAskingForRandomGuestsWithoutFootpathSearchOncePerFrame)
{
    // Found by fuzzing: each State's entry asks for a guest at random on a park without footpath, then changes
    // State at once; the changes nest many deep, and each search used to run its full course.
    WorldScript* script = StartScript("State STATE_WORLD_STARTUP OnEntry ChangeState B ; End End\n"
                                      "State B OnEntry Create Guest MAN Random ; Add Var1 1 ;\n"
                                      " ChangeState STATE_WORLD_STARTUP ; End End\n");
    ASSERT_NE(script, nullptr);
    const int entries = world->GetScriptVar(1);
    EXPECT_GT(entries, 1);
    EXPECT_EQ(world->cellQueries, WorldCommand::kMaxPlacementTries);
    EXPECT_EQ(CountReports("no footpath found"), static_cast<size_t>(entries));
    EXPECT_TRUE(world->creations.empty());
    // A new run searches once more.
    script->RunOnEntry();
    EXPECT_GT(world->GetScriptVar(1), entries);
    EXPECT_EQ(world->cellQueries, 2 * WorldCommand::kMaxPlacementTries);
}

TEST_F(WorldScripting, LongKeywordsAreCutToTheRoomOfARequest)
{
    const std::string name(40, 'K');
    world->RequestScenery(OBJECT_LITTER, name.c_str(), 1, 2, 0);
    world->RequestGuest(name.substr(0, 31).c_str(), 1.0f, 2.0f, 3);
    ASSERT_EQ(world->creations.size(), 2u);
    EXPECT_EQ(world->creations[0].keyword, name.substr(0, 31));
    EXPECT_EQ(world->creations[1].keyword, name.substr(0, 31));
    EXPECT_EQ(CountReports("longer than 31 characters cut"), 1u);
}

namespace
{
class FixedRescues : public RescueService
{
public:
    explicit FixedRescues(float ratio) : m_ratio(ratio) {}
    void ScheduleFirstOffer() override {}
    void Update() override {}
    float GetAcceptanceRatio() const override { return m_ratio; }

private:
    float m_ratio;
};
} // namespace

TEST_F(WorldScripting, TheRescueRatioIsClampedToZeroToOneAndZeroWithoutAManager)
{
    EXPECT_EQ(world->GetRescueAcceptRatio(), 0.0f);
    const struct
    {
        float given, expected;
    } cases[] = {{0.25f, 0.25f}, {1.5f, 1.0f}, {-0.5f, 0.0f}, {std::nanf(""), 0.0f}, {1.0f, 1.0f}};
    for (const auto& c : cases)
    {
        world->m_Managers.rescue = std::make_unique<FixedRescues>(c.given);
        EXPECT_EQ(world->GetRescueAcceptRatio(), c.expected) << c.given;
    }
}
