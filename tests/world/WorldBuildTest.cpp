// Tests of building a park from a world file: what a fresh park holds and starts with, the scenario texts and
// building types it reads, and the world files and game parameters it refuses.
#include "tests/engine/render/RenderTestSupport.h"
#include "tests/world/ParkTestSupport.h"

#include "engine/core/TextTable.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/Scene.h"
#include "engine/render/SceneObject.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "scripts/WorldParams.h"
#include "world/FloatingTextList.h"
#include "world/GuestArrivals.h"
#include "world/Path.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/QueueRailModel.h"
#include "world/SkyDome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using parktest::RecordingPark;
using parktest::Scenario;
using worldtest::Probe;

TEST(WorldBuild, AFreshParkOpensAtNineWithItsMoneyTablesMapAndManagers)
{
    Scenario scenario(240);
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    World world(nullptr, nullptr,
                scenario
                    .WriteStandardWorldFile({{"WORLD_STATUS_TITLE", "\"Bay\""},
                                             {"SCENARIO_OBJ_DESCRIPTION", "\"Grow\""},
                                             {"SCENARIO_OBJ_OBJECTIVES", "\"Two things\""},
                                             {"SCENARIO_OBJ_NUMBER", "2.7"},
                                             {"SCENARIO_OBJ_0", "\"first\""},
                                             {"SCENARIO_OBJ_1", "\"second\""},
                                             {"SCENARIO_OBJ_2", "\"beyond the count\""},
                                             {"SCENARIO_OBJ_TITLE", "\"Goals\""},
                                             {"MESSAGE_0", "\"FEEDBACK_A\""},
                                             {"MESSAGE_1", "\"FEEDBACK_B\""},
                                             {"MESSAGE_3", "\"FEEDBACK_AFTER_A_GAP\""}})
                    .c_str(),
                false);
    ASSERT_TRUE(world.IsBuilt());
    EXPECT_TRUE(reports.boxes.empty()) << reports.boxes[0].text;
    EXPECT_EQ(std::tuple(g_pWorld, world.IsStartingUp()), std::tuple(&world, false));

    // 09:00 of day 0: 9/24 of a 240 s day is 90 s; staff feedback 3 hours later.
    EXPECT_EQ(std::tuple(world.GetGameTime(), world.GetGameDayTime(), world.GetHour(), world.GetMinute(),
                         world.GetGameDay(), world.m_fNextStaffFeedbackTime, world.GetGameSpeedLevel(),
                         world.GetGameSpeed(), world.IsPaused()),
              std::tuple(90.0f, 9.0f, 9, 0, 0, 120.0f, 0, 1.0f, false));
    ASSERT_NE(world.GetPlayer(), nullptr);
    EXPECT_EQ(std::tuple(world.GetPlayer()->Cash, std::u16string(world.GetPlayer()->Name), world.m_bBreakDownsAllowed,
                         world.m_bAllowLitter, world.GetParkRating(), world.m_fLowestGuestAverage, world.m_ScriptFlags,
                         world.m_NumGuests + world.m_NumBuildings),
              std::tuple(25000.0f, u"Test Player", true, true, 50, 0.5f, 0u, 0));
    for (int i = 0; i < World::AV_COUNT; ++i)
        EXPECT_EQ(world.GetGuestAverage(i), 0.5f);

    // The scenario's texts; the objective count is cut to a whole number.
    EXPECT_EQ(std::tuple(world.m_StatusTitle, world.m_ObjectiveDescription, world.m_ObjectivesText,
                         world.m_iObjectiveCount, world.m_ObjectiveTexts[0], world.m_ObjectiveTexts[1],
                         world.m_ObjectiveTexts[2], world.m_ObjectiveTitle),
              std::tuple("Bay", "Grow", "Two things", 2, "first", "second", "", "Goals"));
    // Suppressed feedback types are read up to the first missing number.
    ASSERT_NE(park.feedback, nullptr);
    EXPECT_EQ(park.feedback->suppressed, (std::vector<std::string>{"FEEDBACK_A", "FEEDBACK_B"}));
    EXPECT_EQ(park.rescue->scheduled, 1);

    // Everything the park owns exists and is the one the globals name.
    EXPECT_EQ(std::tuple(world.GetWorldMap(), g_pWorldMap->GetWidth(), g_pWorldMap->GetHeight(),
                         g_pWorldMap->GetCellSize(), g_pWorldMap->IsGridLoaded(), world.GetWorldParams(),
                         g_pWorldParams->GetGuestCount()),
              std::tuple(g_pWorldMap, 128, 128, 64, true, g_pWorldParams, 2u));
    // The queues' rails are the scenery model Q_RAIL.
    EXPECT_EQ(g_pWorldMap->GetQueueRailModel().GetModelFile(), "Data/Models/D_Ezize/Scenery/Q_RAIL.tm");
    EXPECT_TRUE(g_pMessageHandler && g_pObjectManager && g_pPath && g_pPathTileSet && world.GetFloatingTexts());
    ASSERT_NE(world.GetGuestArrivals(), nullptr);
    EXPECT_EQ(world.GetGuestArrivals()->GetCountdown(), 8.0f);
    // The sky stands over the map's centre: 512 + 4 x 64 scene units, with the location's surround.
    EXPECT_EQ(std::tuple(g_SkyDome.GetCentre().x, g_SkyDome.GetCentre().z, g_SkyDome.GetCloudName()),
              std::tuple(768.0f, 768.0f, "Surround_02.tm"));
    // Four loading steps of the build and one per model, of 370: the two guest types' models and the man's two
    // walk animations, the eight built-in staff's models and the bench.
    EXPECT_EQ(world.GetPreloadList().size(), 2u + 2u + 8u + 1u);
    EXPECT_FLOAT_EQ(world.GetLoadProgress(), 17.0f / 370.0f);

    // The rating and the averages are recomputed 10 game seconds after the start, then every 10 s.
    const auto& pending = g_pMessageHandler->GetPendingMessages();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(std::tuple(pending[0].dwType, pending[0].dwSender, pending[0].dwReciever, pending[0].fTime),
              std::tuple(uint32_t{MT_UPDATERATING}, kWorldID, kWorldID, 100.0f));
    EXPECT_EQ(std::tuple(pending[1].dwType, pending[1].fTime), std::tuple(uint32_t{MT_UPDATEAVERAGES}, 100.0f));
}

TEST(WorldBuild, FiguresTouchedWhileTheParkIsBuiltStartAfreshAndTheParkGoesInOrder)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    // The first rescue offer is scheduled in the middle of the build; whatever changed the park's figures by then
    // (as a scenario's start-up does) is cleared when the build ends.
    bool startingUp = false, loading = false;
    park.onSchedule = [&startingUp, &loading]
    {
        World& w = *g_pWorld;
        startingUp = w.IsStartingUp();
        loading = w.IsLoading();
        w.m_TotalGuestArrive[0] = w.m_TodayGuestArrive[1] = w.m_TotalGuestDepart[1] = w.m_TodayGuestDepart[0] = 4;
        w.m_TotalGuestUnhappyDepart[0] = w.m_TodayGuestUnhappyDepart[1] = 4;
        w.m_fGuestAverages[World::AV_CLEAN] = w.m_fAnimalHappyAverage = w.m_fLowestGuestAverage = 0.1f;
        w.m_fIncomeToday = w.m_fDemolishIncomeToday = w.m_fAttractIncomeToday = w.m_fRetailIncomeToday = 7.0f;
        w.m_fCostsToday = w.m_fConstructCostToday = w.m_fSceneryCostToday = w.m_fWagesCostToday = 7.0f;
        w.m_fStockCostToday = w.m_fAverageProfit = w.m_fAverageCost = w.m_fAverageIncome = 7.0f;
        w.m_fAnimalIncomeTotal = 7.0f;
        w.m_BuildingsConstructed = w.m_DiffBuildingsConstructed = w.m_BuildingsLeftToBuild = 2;
        w.m_bBreakDownsAllowed = w.m_bAllowLitter = false;
        w.m_iParkRating = 3;
    };
    auto world = std::make_unique<World>(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), true);
    ASSERT_TRUE(world->IsBuilt());
    EXPECT_TRUE(startingUp);
    EXPECT_TRUE(loading);
    EXPECT_FALSE(world->IsLoading());
    const World& w = *world;
    for (int g = 0; g < 2; ++g)
    {
        EXPECT_EQ(std::tuple(w.m_TotalGuestArrive[g], w.m_TodayGuestArrive[g], w.m_TotalGuestDepart[g],
                             w.m_TodayGuestDepart[g], w.m_TotalGuestUnhappyDepart[g], w.m_TodayGuestUnhappyDepart[g]),
                  std::tuple(0, 0, 0, 0, 0, 0));
    }
    EXPECT_EQ(std::tuple(w.m_fGuestAverages[World::AV_CLEAN], w.m_fAnimalHappyAverage, w.m_fLowestGuestAverage),
              std::tuple(0.5f, 0.5f, 0.5f));
    for (float figure :
         {w.m_fIncomeToday, w.m_fDemolishIncomeToday, w.m_fAttractIncomeToday, w.m_fRetailIncomeToday, w.m_fCostsToday,
          w.m_fConstructCostToday, w.m_fSceneryCostToday, w.m_fWagesCostToday, w.m_fStockCostToday, w.m_fAverageProfit,
          w.m_fAverageCost, w.m_fAverageIncome, w.m_fAnimalIncomeTotal})
        EXPECT_EQ(figure, 0.0f);
    EXPECT_EQ(std::tuple(w.m_BuildingsConstructed, w.m_DiffBuildingsConstructed, w.m_BuildingsLeftToBuild),
              std::tuple(0, 0, 0));
    // Breakdowns and litter are allowed after the offer is scheduled; the rating is set later still.
    EXPECT_TRUE(w.m_bBreakDownsAllowed && w.m_bAllowLitter);
    EXPECT_EQ(w.GetParkRating(), 50);
    // The scenario's folder has no surround model, so the sky's surround is off.
    EXPECT_FALSE(g_SkyDome.IsEnabled());

    // Taken down: the objects first, then the managers in their order.
    auto* guest = g_pObjectManager->CreateObject("MAN", OBJECT_GUEST);
    const std::string gone = "dtor " + std::to_string(guest->GetID());
    Probe::Journal().clear();
    world.reset();
    EXPECT_EQ(Probe::Journal(),
              (std::vector<std::string>{gone, "gone mechanics", "gone zookeepers", "gone cleaning", "gone feedback",
                                        "gone construction", "gone research", "gone rescue"}));
}

TEST(WorldBuild, BuildingTypesAreReadUpToTheFirstMissingNumberAndUnknownOnesAreLeftOut)
{
    Scenario scenario;
    testsupport::RecordingReportSink reports;
    World world(nullptr, nullptr,
                scenario
                    .WriteStandardWorldFile({{"BUILDING_0", "\"KIOSK\""},
                                             {"BUILDING_1", "\"NO_SUCH_TYPE\""},
                                             {"BUILDING_2", "\"ENTRANCE\""},
                                             {"BUILDING_4", "\"KIOSK\""}})
                    .c_str(),
                false);
    ASSERT_TRUE(world.IsBuilt());
    ASSERT_EQ(world.m_NumValidBuildings, 2);
    EXPECT_EQ(world.m_ValidBuildingIDs[0], g_pWorldParams->FindBuilding("KIOSK"));
    EXPECT_EQ(world.m_ValidBuildingIDs[1], g_pWorldParams->FindBuilding("ENTRANCE"));
    EXPECT_NE(reports.debug.find("NO_SUCH_TYPE"), std::string::npos);
    EXPECT_TRUE(reports.boxes.empty());
    // The offered buildings' models come first, in offer order; the built-in staff's models follow the guests'.
    const std::vector<std::string> models = world.GetPreloadList();
    ASSERT_GE(models.size(), 2u);
    EXPECT_EQ(models[0], "Data/Models/D_Ezize/KIOSK.tm");
    EXPECT_EQ(models[1], "Data/Models/D_Ezize/ENTRANCE.tm");
    EXPECT_EQ(models[2], "Data/Models/D_Ezize/Characters/.tm");
    EXPECT_EQ(models[3], "Data/Models/D_Ezize/Characters/man_walk_00.tm");
    EXPECT_EQ(models[4], "Data/Models/D_Ezize/Characters/man_walk_01.tm");
    EXPECT_NE(std::find(models.begin(), models.end(), "Data/Models/D_Ezize/Characters/Staff/mechanic_mesh.tm"),
              models.end());
    EXPECT_FLOAT_EQ(world.GetLoadProgress(), static_cast<float>(4 + models.size()) / 370.0f);
}

// Every model the park can show, in order: each guest type's model and the numbered files of its animations, the
// same for each built-in staff type from the staff folder, the scenery, then the crowd's animations.
TEST(WorldBuild, ThePreloadListNamesEveryPeopleModelAndAnimationFileInOrder)
{
    Scenario scenario;
    parktest::WriteScrambled(
        scenario.Dir().File("data/script/mrvanimlist.ble"),
        "\"MANANIM\" \"walk\" \"man_walk\" \"2\"\n"
        "\"MECHANIC\" \"walk\" \"mech_walk\" \"2\"\n\"MECHANIC\" \"fix\" \"mech_fix\" \"1\"\n"
        "\"ZOOKEEPER\" \"feed\" \"keeper_feed\" \"1\"\n\"CROWDFILLER\" \"cheer\" \"crowd\" \"2\"\n");
    testsupport::RecordingReportSink reports;
    World world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    ASSERT_TRUE(world.IsBuilt());
    const std::string people = "Data/Models/D_Ezize/Characters/", staff = people + "Staff/";
    const std::vector<std::string> expected = {people + ".tm",
                                               people + "man_walk_00.tm",
                                               people + "man_walk_01.tm", // MAN (no model named)
                                               people + ".tm",            // WOMAN
                                               staff + "SERVE1_mesh.tm",
                                               staff + "SERVE2_mesh.tm",
                                               staff + "SERVE3_mesh.tm",
                                               staff + "SERVE4_mesh.tm",
                                               staff + "SERVE5_mesh.tm",
                                               staff + "mechanic_mesh.tm",
                                               staff + "mech_walk_00.tm",
                                               staff + "mech_walk_01.tm",
                                               staff + "mech_fix_00.tm",
                                               staff + "cleaner_f_mesh.tm",
                                               staff + "mtrain_mesh.tm",
                                               staff + "keeper_feed_00.tm",
                                               "Data/Models/D_Ezize/Scenery/.tm", // BENCH
                                               people + "crowd_00.tm",
                                               people + "crowd_01.tm"};
    EXPECT_EQ(world.GetPreloadList(), expected);
    // Four steps of the build and one per model.
    EXPECT_FLOAT_EQ(world.GetLoadProgress(), static_cast<float>(4 + expected.size()) / 370.0f);
}

TEST(WorldBuild, MoreThan128BuildingTypesAndTooManyObjectivesAreCutWithAReport)
{
    Scenario scenario;
    std::vector<std::pair<std::string, std::string>> entries = {{"SCENARIO_OBJ_NUMBER", "9"}};
    for (int n = 0; n < 131; ++n)
        entries.push_back({"BUILDING_" + std::to_string(n), "\"KIOSK\""});
    for (int n = 0; n < 5; ++n)
        entries.push_back({"SCENARIO_OBJ_" + std::to_string(n), "\"objective " + std::to_string(n) + "\""});
    testsupport::RecordingReportSink reports;
    World world(nullptr, nullptr, scenario.WriteStandardWorldFile(entries).c_str(), false);
    ASSERT_TRUE(world.IsBuilt());
    EXPECT_EQ(world.m_NumValidBuildings, 128);
    EXPECT_NE(reports.debug.find("BUILDING_128"), std::string::npos);
    EXPECT_EQ(world.m_iObjectiveCount, 4);
    EXPECT_EQ(world.m_ObjectiveTexts[3], "objective 3");
    EXPECT_NE(reports.debug.find("SCENARIO_OBJ_NUMBER"), std::string::npos);

    // A negative count is no objectives.
    Scenario again;
    testsupport::RecordingReportSink more;
    World negative(nullptr, nullptr, again.WriteStandardWorldFile({{"SCENARIO_OBJ_NUMBER", "-2"}}).c_str(), false);
    EXPECT_EQ(negative.m_iObjectiveCount, 0);
    EXPECT_NE(more.debug.find("SCENARIO_OBJ_NUMBER"), std::string::npos);
}

TEST(WorldBuild, MissingKeysAreReportedInOrderAndAParkWithoutALocationIsNotBuilt)
{
    Scenario scenario;
    testsupport::RecordingReportSink reports;
    const std::string file = scenario.WriteWorldFile({{"WORLD_PAVEMENT_TILESET", "\"x\""}});
    World world(nullptr, nullptr, file.c_str(), false);
    EXPECT_FALSE(world.IsBuilt());
    ASSERT_EQ(reports.boxes.size(), 4u);
    EXPECT_EQ(reports.boxes[0].text, "no WORLD_LEVEL in world script - " + file);
    EXPECT_EQ(reports.boxes[1].text, "no WORLD_PATHTILEINFO in world script - " + file);
    EXPECT_EQ(reports.boxes[2].text, "no WORLD_SCRIPT in world script - " + file);
    EXPECT_EQ(reports.boxes[3].text, "no WORLD_GUESTLIST in world script - " + file);
    // Nothing of a park was made, and the World still lets go of its pointer.
    EXPECT_EQ(std::tuple(world.GetWorldMap(), world.GetPlayer(), g_pMessageHandler, g_pObjectManager),
              std::tuple(nullptr, nullptr, nullptr, nullptr));
}

TEST(WorldBuild, AnUnknownOrMiscasedLocationOrAnUnusableDayLengthRefusesThePark)
{
    for (const char* level : {"\"valemont\"", "\"ATLANTIS\"", "42"})
    {
        Scenario scenario;
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, scenario.WriteStandardWorldFile({{"WORLD_LEVEL", level}}).c_str(), false);
        EXPECT_FALSE(world.IsBuilt()) << level;
        EXPECT_EQ(g_pWorldMap, nullptr);
        EXPECT_EQ(reports.boxes.size(), 1u) << level;
    }
    for (int dayLength : {0, 23, -240, 7159, 2147483647})
    {
        Scenario scenario(dayLength);
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
        EXPECT_FALSE(world.IsBuilt()) << dayLength;
        ASSERT_EQ(reports.boxes.size(), 1u);
        EXPECT_NE(reports.boxes[0].text.find("iDAY_LENGTH_IN_SECONDS"), std::string::npos);
    }
    Scenario noParameters(240, false);
    testsupport::RecordingReportSink reports;
    World world(nullptr, nullptr, noParameters.WriteStandardWorldFile().c_str(), false);
    EXPECT_FALSE(world.IsBuilt());
    EXPECT_EQ(reports.boxes.size(), 1u);
}

TEST(WorldBuild, EachLocationHasItsOwnGridSizeAndTheParkLetsGoOfEverythingItOwned)
{
    for (const auto& [level, cells, grid] : {std::tuple{"\"PALMHAVEN\"", 160, "data/maps/PalmhavenGrid.dat"},
                                             std::tuple{"\"VALEMONT\"", 160, "data/maps/ValemontGrid.dat"}})
    {
        Scenario scenario(24);
        testsupport::WriteBytes(scenario.Dir().File(grid), std::vector<uint8_t>(cells * cells * 4, 0));
        testsupport::RecordingReportSink reports;
        {
            World world(nullptr, nullptr, scenario.WriteStandardWorldFile({{"WORLD_LEVEL", level}}).c_str(), true);
            ASSERT_TRUE(world.IsBuilt());
            EXPECT_EQ(std::tuple(g_pWorldMap->GetWidth(), g_pWorldMap->GetHeight()), std::tuple(cells, cells));
            EXPECT_TRUE(g_pWorldMap->IsGridLoaded());
            // One game second an hour: 09:00 is 9 s in.
            EXPECT_FLOAT_EQ(world.GetGameTime(), 9.0f);
            EXPECT_EQ(g_SkyDome.GetCentre().x, 512.0f + 4.0f * 80.0f);
            EXPECT_EQ(g_SkyDome.GetCloudName(), cells == 160 && level[1] == 'P' ? "Surround_03.tm" : "Surround_01.tm");
        }
        EXPECT_EQ(std::tuple(g_pWorld, g_pWorldMap, g_pMessageHandler, g_pObjectManager, g_pWorldParams, g_pPath,
                             g_pPathTileSet),
                  std::tuple(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    }
}

TEST(WorldBuild, TheWorldSceneIsOpenOverTheMapAndItsFrameDrawsTheSceneUnlessHidden)
{
    Scenario scenario(240);
    RecordingPark park;
    {
        World clockOnly;
        EXPECT_EQ(clockOnly.GetScene(), nullptr);
    }
    World world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    ASSERT_TRUE(world.IsBuilt());
    Scene* scene = world.GetScene();
    ASSERT_NE(scene, nullptr);
    EXPECT_TRUE(scene->IsOpen());
    SceneObject object(1);
    ASSERT_TRUE(scene->AddObject(&object));
    // Hidden (the show-training mode), the frame leaves the scene alone; shown, the scene renders, which starts
    // its counts afresh. The guests drawn are counted from 0 each frame.
    world.CountGuestDrawn();
    world.SetSceneHidden(true);
    world.Render();
    EXPECT_EQ(scene->GetAdditions(), 1u);
    EXPECT_EQ(world.GetGuestsDrawn(), 0);
    world.SetSceneHidden(false);
    world.Render();
    EXPECT_EQ(scene->GetAdditions(), 0u);
    EXPECT_TRUE(scene->RemoveObject(&object));
}

namespace
{

// A front end whose scenario choice is a sandbox game or not.
class SandboxShell : public GuiShell
{
public:
    explicit SandboxShell(bool sandbox) : m_bSandbox(sandbox) {}
    void GetScenarioChoice(bool* sandbox, int32_t* index, int32_t* park) const override
    {
        *sandbox = m_bSandbox;
        *index = 0;
        *park = 0;
    }

private:
    bool m_bSandbox;
};

} // namespace

TEST(WorldBuild, TheScenarioScriptReadsWhetherTheGameIsASandbox)
{
    for (bool sandbox : {false, true})
    {
        Scenario scenario(240);
        RecordingPark park;
        testsupport::RecordingReportSink reports;
        // The scenario's start-up copies the flag into a variable of its own.
        parktest::WriteScrambled(scenario.Dir().File("data/script/world.ble"),
                                 "State STATE_WORLD_STARTUP\n OnEntry\n  Set Var3 SandBox ;\n End\nEnd\n");
        GUIManager gui(nullptr);
        SandboxShell shell(sandbox);
        gui.SetShell(&shell);
        World world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
        ASSERT_TRUE(world.IsBuilt());
        EXPECT_EQ(world.GetScriptVar(3), sandbox ? 1 : 0) << sandbox;
        EXPECT_EQ(world.GetScriptVariable(ScriptOperand{WV_SandBox, 0, 0.0f, nullptr}).data, sandbox ? 1u : 0u)
            << sandbox;
    }
}

namespace
{

// The graphics manager on the recording device, for parks built while there is a screen to draw on.
class WorldBuildOnScreen : public rendertest::RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        g_GraphicsManager.Create(RendererSettings{}, nullptr);
    }
    void TearDown() override
    {
        g_GraphicsManager.Shutdown();
        RecordingTest::TearDown();
    }
    D3DRenderer& Renderer() const { return *static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer()); }
    bool DrawsWireframe() const { return Renderer().IsWireframe(); }
    platform::RecordingDevice& Device() const
    {
        return *static_cast<platform::RecordingDevice*>(Renderer().GetDevice());
    }
};

} // namespace

TEST_F(WorldBuildOnScreen, AParkStartsDrawnSolidWhateverThePreviousParkWasLeftIn)
{
    for (bool loading : {false, true})
    {
        Scenario scenario(240);
        RecordingPark park;
        testsupport::RecordingReportSink reports;
        // The park before this one was left with wireframe drawing switched on by its debug key.
        g_GraphicsManager.SetFillMode(0, true);
        ASSERT_TRUE(DrawsWireframe());
        World world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), loading);
        ASSERT_TRUE(world.IsBuilt()) << loading;
        EXPECT_FALSE(DrawsWireframe()) << loading;
        EXPECT_FALSE(world.IsWireframe()) << loading;
    }
}

TEST_F(WorldBuildOnScreen, TexturesWrittenWhileTheParkLoadsHaveTheirSmallerLevelsMadeBeforeItsFirstFrame)
{
    Scenario scenario(240);
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    // A texture whose top level was written after its upload (as a model's texture may be while the park loads),
    // beside one left as uploaded.
    const std::vector<uint32_t> black(64, 0xFF000000);
    for (int32_t number : {5, 6})
    {
        ASSERT_TRUE(Renderer().ReserveTexture(8, 8, 4, number));
        Renderer().UpdateTexture(black.data(), 8, 8, 4, number, false);
    }
    void* bits = nullptr;
    int32_t pitch = 0;
    Renderer().LockTexture(6, &bits, &pitch);
    ASSERT_NE(bits, nullptr);
    Renderer().UnlockTexture(6);
    World world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    ASSERT_TRUE(world.IsBuilt());
    // Built, the park leaves no texture waiting for its smaller levels: a pass over the changed ones touches none.
    Device().ClearLog();
    Renderer().RebuildChangedTextures();
    EXPECT_EQ(Device().CountOps(platform::RecordingDevice::Op::LockTexture), 0u);
}

TEST(WorldBuild, AScenarioTextLeftOutOrMissingFromTheTextTableIsReportedByItsKey)
{
    // Every text the scenario's panels show, with the id the complete file gives it.
    const std::vector<std::pair<std::string, std::string>> complete = {
        {"WORLD_STATUS_TITLE", "BAY_TITLE"},
        {"SCENARIO_OBJ_DESCRIPTION", "BAY_DESCRIPTION"},
        {"SCENARIO_OBJ_OBJECTIVES", "BAY_OBJECTIVES"},
        {"SCENARIO_OBJ_0", "BAY_GOAL_0"},
        {"SCENARIO_OBJ_1", "BAY_GOAL_1"},
        {"SCENARIO_OBJ_TITLE", "BAY_GOALS"},
    };
    const struct
    {
        const char* leftOut;  // key left out of the world file, or null
        const char* misspelt; // key whose id is written wrongly, or null
    } cases[] = {
        {nullptr, nullptr},
        {"WORLD_STATUS_TITLE", nullptr},
        {"SCENARIO_OBJ_1", nullptr},
        {"SCENARIO_OBJ_TITLE", nullptr},
        {nullptr, "SCENARIO_OBJ_DESCRIPTION"},
        {nullptr, "SCENARIO_OBJ_0"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.leftOut ? c.leftOut : "-") + " " + (c.misspelt ? c.misspelt : "-"));
        Scenario scenario;
        TextTable texts(testsupport::WriteTextTable(scenario.Dir(), u"BAY_TITLE=Bay|BAY_DESCRIPTION=Grow|"
                                                                    u"BAY_OBJECTIVES=Two|BAY_GOAL_0=First|"
                                                                    u"BAY_GOAL_1=Second|BAY_GOALS=Goals")
                            .c_str());
        std::vector<std::pair<std::string, std::string>> entries = {{"SCENARIO_OBJ_NUMBER", "2"}};
        for (const auto& [key, id] : complete)
        {
            if (c.leftOut && key == c.leftOut)
                continue;
            entries.push_back({key, "\"" + (c.misspelt && key == c.misspelt ? id + "X" : id) + "\""});
        }
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, scenario.WriteStandardWorldFile(entries).c_str(), false);
        ASSERT_TRUE(world.IsBuilt());
        // Each fault is said once, naming its key; a complete file says nothing of its texts.
        size_t said = 0;
        for (size_t at = reports.debug.find("shows no text"); at != std::string::npos;
             at = reports.debug.find("shows no text", at + 1))
            ++said;
        const char* key = c.leftOut ? c.leftOut : c.misspelt;
        EXPECT_EQ(said, key ? 1u : 0u) << reports.debug;
        if (key)
        {
            EXPECT_NE(reports.debug.find(key), std::string::npos) << reports.debug;
        }
    }
}

TEST(WorldBuild, AnObjectiveCountLeftOutOrWrittenAsATextIsReported)
{
    const struct
    {
        const char* value; // the count as written in the world file; null when left out
        int32_t objectives;
        bool reported;
    } cases[] = {
        {"2", 2, false},
        {"\"2\"", 0, true},
        {nullptr, 0, true},
        {"0", 0, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.value ? c.value : "left out");
        Scenario scenario;
        std::vector<std::pair<std::string, std::string>> entries = {{"SCENARIO_OBJ_0", "\"first\""},
                                                                    {"SCENARIO_OBJ_1", "\"second\""}};
        if (c.value)
            entries.push_back({"SCENARIO_OBJ_NUMBER", c.value});
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, scenario.WriteStandardWorldFile(entries).c_str(), false);
        ASSERT_TRUE(world.IsBuilt());
        EXPECT_EQ(world.m_iObjectiveCount, c.objectives);
        EXPECT_EQ(reports.debug.find("SCENARIO_OBJ_NUMBER") != std::string::npos, c.reported) << reports.debug;
    }
}
