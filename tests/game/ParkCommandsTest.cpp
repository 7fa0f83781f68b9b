// Tests of the in-game and front-end command tables: every command the sample GUI scripts name has a handler, the
// park's handlers with no dialog object or a missing chosen object do nothing, hiring stops at 20 of a kind, and a
// building is placed only with money left over.
#include "game/ParkCommands.h"
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "engine/render/ModelManager.h"
#include "game/Game.h"
#include "gui/Button.h"
#include "gui/GUIManager.h"
#include "gui/GuiCommands.h"
#include "gui/MainItem.h"
#include "gui/TickerList.h"
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/ParkLayer.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "park/ResearchManager.h"
#include "park/StaffObject.h"
#include "platform/Random.h"
#include "scripts/WorldParams.h"
#include "tests/support/TestSupport.h"
#include "world/BaseObject.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/ParkFacts.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// The arguments of every statement `keyword(...)` of a script, split at the commas; comment lines ("/" first) left
// out.
std::vector<std::vector<std::string>> Statements(const std::string& text, const std::string& keyword)
{
    std::vector<std::vector<std::string>> found;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '/')
            continue;
        if (line.compare(first, keyword.size() + 1, keyword + "(") != 0)
            continue;
        const size_t open = first + keyword.size() + 1;
        const size_t close = line.find(')', open);
        std::vector<std::string> args;
        std::istringstream parts(line.substr(open, close - open));
        std::string part;
        while (std::getline(parts, part, ','))
        {
            const size_t a = part.find_first_not_of(' '), b = part.find_last_not_of(' ');
            args.push_back(a == std::string::npos ? "" : part.substr(a, b - a + 1));
        }
        found.push_back(args);
    }
    return found;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class CommandTables : public ::testing::Test
{
protected:
    void SetUp() override { Game::RegisterCommands(); }
    void TearDown() override { SetGuiCommandTables({}, {}); }
};

// Every script the GUI parser reads, each Button's command and alternative (in-game table) and each ScreenButton's
// command (front-end table).
TEST_F(CommandTables, EveryCommandOfEverySampleGuiScriptHasAHandler)
{
    const fs::path folder = fs::path(TW_SOURCE_DIR) / "sample-data/src/data/script/gui";
    int scripts = 0, named = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    {
        if (entry.path().extension() != ".pis")
            continue;
        ++scripts;
        const std::string text = ReadFile(entry.path());
        SCOPED_TRACE(entry.path().filename().string());
        // Button(left, top, right, bottom, image, flag, label, command, alternative[, tooltip])
        for (const std::vector<std::string>& args : Statements(text, "Button"))
        {
            ASSERT_GE(args.size(), 9u);
            for (size_t i : {7u, 8u})
            {
                ++named;
                EXPECT_NE(ResolveGuiCommand(GetInGameCommands(), args[i].c_str()), nullptr) << args[i];
            }
        }
        // ScreenButton(8 numbers, name, picture, highlighted picture, command, ...)
        for (const std::vector<std::string>& args : Statements(text, "ScreenButton"))
        {
            ASSERT_GE(args.size(), 12u);
            ++named;
            EXPECT_NE(ResolveGuiCommand(GetFrontEndCommands(), args[11].c_str()), nullptr) << args[11];
        }
    }
    EXPECT_GE(scripts, 5) << "the sample GUI scripts were not found";
    EXPECT_GE(named, 40) << "the walk found too few commands to mean anything";
}

// Each sample GUI script, as the game reads it (scrambled), builds without a report, and every button it builds
// has a handler for its command.
TEST_F(CommandTables, EverySampleGuiScriptBuildsWithoutAReportAndItsButtonsHaveHandlers)
{
    testsupport::ScopedCurrentDir cwd{TW_SOURCE_DIR "/sample-data"};
    const fs::path folder = fs::path(TW_SOURCE_DIR) / "sample-data/src/data/script/gui";
    int buttons = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    {
        if (entry.path().extension() != ".pis")
            continue;
        const std::string name = "data/script/gui/" + entry.path().filename().string();
        SCOPED_TRACE(name);
        testsupport::RecordingReportSink reports;
        GUIManager gui(nullptr);
        ASSERT_TRUE(gui.LoadScript(name.c_str()));
        for (const auto& box : reports.boxes)
            ADD_FAILURE() << box.text;
        for (const auto& item : gui.GetItems())
            if (item->GetType() == WT_BUTTON)
            {
                ++buttons;
                EXPECT_NE(static_cast<Button*>(item.get())->GetCommand(), nullptr);
            }
    }
    EXPECT_GE(buttons, 30);
}

TEST_F(CommandTables, NamesMatchWithoutRegardToCaseAndTheDoublesShareAHandler)
{
    struct Case
    {
        const char* written;
        const char* same;
    };
    const Case cases[] = {
        {"exitbuildmode", "ExitBuildMode"},   {"STOPPAINT", "ExitBuildMode"},
        {"hirenewcleaner", "HireNewCleaner"}, {"staffsend", "NONE"},
        {"toggleprogresssize", "NONE"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.written);
        const GuiCommandHandler handler = ResolveGuiCommand(GetInGameCommands(), c.written);
        ASSERT_NE(handler, nullptr);
        // The do-nothing commands are one handler; the others are the row of their own name.
        if (std::string(c.same) != "NONE")
        {
            EXPECT_EQ(handler, ResolveGuiCommand(GetInGameCommands(), c.same));
        }
    }
}

// Every command of both tables the Part's tables list is there (the park's and the shell's rows together).
TEST_F(CommandTables, TheInGameTableHoldsEveryCommandOfThePanelsToolsAndStaff)
{
    const char* names[] = {"ExitDialog",
                           "ExitDialogResume",
                           "ExitDialogMessage",
                           "ClosePause",
                           "ObjectBrowser",
                           "ShowGoal",
                           "MoneyPanel",
                           "IslandStatus",
                           "ResearchMenu",
                           "ShowTickerList800",
                           "TrainDisclaim",
                           "ToggleRadarSize",
                           "ToggleProgressSize",
                           "StaffSend",
                           "NONE",
                           "InGameOptions",
                           "ExitOptions",
                           "ResetVideoOptions",
                           "ResetAudioOptions",
                           "BuildList",
                           "PlaceBuilding",
                           "ExitBuildMode",
                           "StopPaint",
                           "PaintMap",
                           "SaveGridMap",
                           "SceneryPanel",
                           "ExitSceneryPanel",
                           "MinSceneryPanel",
                           "SceneryDozer",
                           "SellButton",
                           "ConfirmSell",
                           "SellRescueButton",
                           "OpenBuilding",
                           "CloseBuilding",
                           "NextBuilding",
                           "PrevBuilding",
                           "NextStaff",
                           "PrevStaff",
                           "CallRepair",
                           "CallZoo",
                           "CallCleaner",
                           "BreakObject",
                           "LockCamera",
                           "FirstPersonCam",
                           "ExitCamera",
                           "ShowAdoptAnimal",
                           "ConfirmAdoptAnimal",
                           "AdoptAnimal",
                           "SellAnimal",
                           "ConfirmSellAnimal",
                           "DispatchRescue",
                           "ShowScheduler",
                           "AddMoveToShow",
                           "RemoveMoveFromShow",
                           "MoveShowMoveUp",
                           "MoveShowMoveDown",
                           "TrainShowMove",
                           "PreviewShow",
                           "ResetShow",
                           "ConfirmShowReset",
                           "TrainQuit",
                           "TrainResume",
                           "HireNewCleaner",
                           "HireNewMechanic",
                           "HireNewZookeeper",
                           "DismissStaff",
                           "StaffFire",
                           "DismissConfirm",
                           "CleanerBrowser",
                           "MechanicBrowser",
                           "ZooBrowser",
                           "StaffBrowser",
                           "LoadGameMenu",
                           "LoadGamePanel",
                           "SaveGamePanel",
                           "LoadGame",
                           "SaveGame",
                           "SaveGameConfirm",
                           "ExitSaveOK",
                           "DeleteSaveGame",
                           "DeleteLoadGame",
                           "DeleteSaveGameConfirm",
                           "DeleteLoadGameConfirm",
                           "ExitLoadGame",
                           "ResetGame",
                           "ExitGame",
                           "ResetGameConfirm",
                           "ExitGameConfirm",
                           "WonGame",
                           "ShowGazetteer",
                           "ShowAnimalGaz",
                           "CloseAnimalGaz",
                           "PlayGazSound"};
    EXPECT_EQ(std::size(names), 93u);
    for (const char* name : names)
        EXPECT_NE(ResolveGuiCommand(GetInGameCommands(), name), nullptr) << name;
    for (const char* name : {"ActivateExitScreen", "ActivateMainScreen", "ConfirmExit", "ActivateCreditsScreen",
                             "LoadButton", "StartButton", "NONE"})
        EXPECT_NE(ResolveGuiCommand(GetFrontEndCommands(), name), nullptr) << name;
}

// The park's dialogs the object-panel commands would open; none may open when the handler's object is missing.
const char* const kPanelDialogs = "Font(GuiFont7)\n"
                                  "DialogItem ConfirmDemolish(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                                  "DialogItem ConfirmSellAnimal(0, 0, 99, 99, NONE, 2, 0)\n{\n}\n"
                                  "DialogItem ConfirmDismiss(0, 0, 99, 99, NONE, 3, 0)\n{\n}\n"
                                  "DialogItem AdoptAnimal(0, 0, 99, 99, NONE, 4, 0)\n{\n}\n"
                                  "DialogItem AdoptNoSpace(0, 0, 99, 99, NONE, 5, 0)\n{\n}\n"
                                  "DialogItem ConfirmAdoptAnimal(0, 0, 99, 99, NONE, 6, 0)\n{\n}\n"
                                  "DialogItem ShowScheduler(0, 0, 99, 99, NONE, 7, 0)\n{\n}\n"
                                  "DialogItem ShowResetConfirm(0, 0, 99, 99, NONE, 8, 0)\n{\n}\n"
                                  "DialogItem CancelCamera(0, 0, 99, 99, NONE, 9, 0)\n{\n}\n"
                                  "DialogItem Keep(0, 0, 99, 99, NONE, 10, 0)\n{\n}\n";

// A listener that is no game object (the Game's place for the toolbar).
class PlainListener : public DialogListener
{
public:
    void GetVariable(const char*, platform::WString&) override {}
    void SetVariable(const char*, const int32_t*) override {}
    void ResetPanelState() override {}
};

// The sample park, built by the World with every object of its real class, and a GUI holding the given dialogs.
class ParkCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Game::RegisterCommands();
        ClearObjectKinds();
        RegisterParkLayer();
        g_ModelManager.Init(1000, false);
        platform::SRand(5);
        world = std::make_unique<World>(nullptr, nullptr, "data/Scenario/SamplePark/SamplePark.pis", false);
        ASSERT_TRUE(world->IsBuilt()) << (reports.boxes.empty() ? reports.debug : reports.boxes[0].text);
        for (int frame = 0; frame < 10; ++frame)
            world->Update(1.0f / 30.0f);
    }
    void TearDown() override
    {
        world.reset();
        UnregisterParkLayer();
        SetGuiCommandTables({}, {});
    }
    void Run(const char* command, int32_t dialog = 0)
    {
        const GuiCommandHandler handler = ResolveGuiCommand(GetInGameCommands(), command);
        ASSERT_NE(handler, nullptr) << command;
        handler(dialog);
    }

    testsupport::ScopedCurrentDir cwd{TW_SOURCE_DIR "/sample-data"};
    testsupport::RecordingReportSink reports;
    GameParameters parameters{"data/script/gameparameters.pis"};
    TextTable texts{"data/text_uk.uni"};
    GUIManager gui{nullptr};
    std::unique_ptr<World> world;
};

TEST_F(ParkCommands, ObjectPanelCommandsWithoutTheirObjectDoNothing)
{
    gui.LoadScriptText(kPanelDialogs, std::strlen(kPanelDialogs));
    PlainListener plain;
    // A removed object's id: made, then taken away again.
    BaseObject* doomed = g_pObjectManager->CreateObject("LITTER", OBJECT_LITTER);
    ASSERT_NE(doomed, nullptr);
    const int32_t removedId = static_cast<int32_t>(doomed->GetID());
    ASSERT_TRUE(g_pObjectManager->RemoveObject(doomed->GetID()));

    const char* commands[] = {"SellButton",    "ConfirmSell",    "OpenBuilding",      "CloseBuilding",
                              "NextBuilding",  "PrevBuilding",   "NextStaff",         "PrevStaff",
                              "CallRepair",    "CallZoo",        "CallCleaner",       "BreakObject",
                              "LockCamera",    "FirstPersonCam", "ShowAdoptAnimal",   "ConfirmAdoptAnimal",
                              "AdoptAnimal",   "SellAnimal",     "ConfirmSellAnimal", "ShowScheduler",
                              "AddMoveToShow", "TrainShowMove",  "ResetShow",         "ConfirmShowReset",
                              "DismissStaff",  "StaffFire",      "DismissConfirm",    "ShowAnimalGaz"};
    struct Situation
    {
        const char* what;
        DialogListener* object;
        int32_t slot10;
    };
    const Situation situations[] = {
        {"no dialog object, slot 10 empty", nullptr, -1},
        {"a dialog object that is no game object, slot 10 a removed object", &plain, removedId},
        {"no dialog object, slot 10 a removed object", nullptr, removedId},
    };
    const uint32_t objects = g_pObjectManager->GetNumActiveObjects();
    const float cash = world->GetPlayer()->Cash;
    for (const Situation& s : situations)
        for (const char* command : commands)
        {
            SCOPED_TRACE(std::string(s.what) + ": " + command);
            gui.CloseAllDialogs();
            gui.SetSelection(10, s.slot10);
            gui.SetDialogObject(s.object);
            Run(command);
            EXPECT_EQ(gui.GetOpenDialogCount(), 0);
            EXPECT_EQ(g_pObjectManager->GetNumActiveObjects(), objects);
            EXPECT_EQ(world->GetPlayer()->Cash, cash);
        }
    EXPECT_TRUE(reports.boxes.empty());
}

TEST_F(ParkCommands, HiringStopsAtTwentyOfAKindWithTheMessageNamingTheKind)
{
    const char* script = "Font(GuiFont7)\nDialogItem MessageBox(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n";
    gui.LoadScriptText(script, std::strlen(script));
    struct Case
    {
        const char* command;
        uint8_t kind;
        const char16_t* message;
    };
    const Case cases[] = {
        {"HireNewCleaner", OBJECT_CLEANER, u"The park has as many cleaners as it can employ"},
        {"HireNewMechanic", OBJECT_MECHANIC, u"The park has as many mechanics as it can employ"},
        {"HireNewZookeeper", OBJECT_ZOOKEEPER, u"The park has as many zookeepers as it can employ"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.command);
        const uint32_t before = g_pObjectManager->CountObjectsOfKind(c.kind);
        ASSERT_LT(before, 19u);
        // Up to 19, each press hires one; the press that makes the twentieth still hires.
        for (uint32_t n = before; n < 20; ++n)
        {
            Run(c.command);
            ASSERT_EQ(g_pObjectManager->CountObjectsOfKind(c.kind), n + 1);
            EXPECT_FALSE(gui.IsDialogOpen("MessageBox"));
        }
        Run(c.command);
        EXPECT_EQ(g_pObjectManager->CountObjectsOfKind(c.kind), 20u) << "the twenty-first is refused";
        ASSERT_TRUE(gui.IsDialogOpen("MessageBox"));
        const char16_t* shown = texts.GetTextByIndex(gui.GetDialogValue(2));
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(std::u16string(shown), c.message);
        gui.CloseAllDialogs();
    }
}

TEST_F(ParkCommands, AHiredStaffMemberStartsAtAFinishedStaffBuilding)
{
    BaseObject* at = ChooseStaffBuilding();
    ASSERT_NE(at, nullptr);
    const BuildingFacts* facts = dynamic_cast<const BuildingFacts*>(at);
    ASSERT_NE(facts, nullptr);
    EXPECT_TRUE(facts->IsStaffRoom() || std::string(at->GetName()) == "ENTRANCE");
    EXPECT_FALSE(facts->IsUnderConstruction());
}

TEST_F(ParkCommands, PlaceBuildingNeedsMoneyLeftOverTheCost)
{
    const char* script = "Font(GuiFont7)\nDialogItem BuildPanel(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                         "DialogItem CancelBuildMode(0, 0, 99, 99, NONE, 2, 0)\n{\n}\n";
    gui.LoadScriptText(script, std::strlen(script));
    // The first type the scenario lets the player build, with its cost from the building table.
    int32_t type = -1;
    for (int32_t i = 0; i < world->m_NumValidBuildings && type < 0; ++i)
        if (world->CanBuildType(world->m_ValidBuildingIDs[i]))
            type = world->m_ValidBuildingIDs[i];
    ASSERT_GE(type, 0) << "the sample park lets the player build something";
    const float cost = static_cast<float>(g_pWorldParams->GetBuildingInfo(type).iCost2Build);
    ASSERT_GT(cost, 1.0f);
    struct Case
    {
        float cash;
        bool placed;
    };
    const Case cases[] = {{cost + 1.0f, true}, {cost, false}, {cost - 1.0f, false}, {cost * 10.0f, true}};
    // The type as the table has it (whatever it needs first stands), then as a type that needs no other
    // building first.
    BuildingInfo& info = g_pWorldParams->GetBuildingInfo(type);
    for (const char* tree : {"", "NONE"})
        for (const Case& c : cases)
        {
            if (*tree)
                std::snprintf(info.szTree, sizeof info.szTree, "%s", tree);
            SCOPED_TRACE(std::string(tree) + " " + std::to_string(c.cash));
            gui.CloseAllDialogs();
            gui.SetMode(GUIManager::kSelectMode);
            gui.OpenDialog("BuildPanel", nullptr);
            gui.SetSelection(0, type);
            world->GetPlayer()->Cash = c.cash;
            Run("PlaceBuilding", gui.FindItem(WT_DIALOG, "BuildPanel")->GetDialogIndex());
            EXPECT_EQ(gui.IsDialogOpen("CancelBuildMode"), c.placed);
            EXPECT_EQ(gui.IsDialogOpen("BuildPanel"), !c.placed) << "the build panel closes only when placing starts";
            EXPECT_EQ(world->GetPlayer()->Cash, c.cash) << "choosing charges nothing";
        }
}

TEST_F(ParkCommands, PauseResumeAndSpeedButtons)
{
    const char* script = "Font(GuiFont7)\nDialogItem PauseBox(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n";
    gui.LoadScriptText(script, std::strlen(script));
    world->SetGameSpeedLevel(0);
    Run("PauseGame");
    EXPECT_TRUE(world->IsPaused());
    EXPECT_TRUE(gui.IsDialogOpen("PauseBox"));
    Run("ClosePause");
    EXPECT_FALSE(world->IsPaused());
    EXPECT_FALSE(gui.IsDialogOpen("PauseBox"));
    // A script's forced pause is not the player's to lift with the pause button, but the resume of a dialog is.
    world->m_bForcedPaused = true;
    Run("PauseGame");
    EXPECT_FALSE(gui.IsDialogOpen("PauseBox"));
    Run("ExitDialogResume");
    EXPECT_FALSE(world->IsForcedPaused());

    Run("GameSpeedUp");
    EXPECT_EQ(world->GetGameSpeedLevel(), 1);
    Run("GameSpeedDown");
    EXPECT_EQ(world->GetGameSpeedLevel(), 0);
}

// The object panels' buttons act on the object whose panel holds them.
TEST_F(ParkCommands, ObjectPanelButtonsActOnThePanelsObject)
{
    gui.LoadScriptText(kPanelDialogs, std::strlen(kPanelDialogs));
    BuildingObject* building = nullptr;
    for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
        if (auto* b = dynamic_cast<BuildingObject*>(object); b && !b->IsUnderConstruction() && !building)
            building = b;
    ASSERT_NE(building, nullptr);
    const uint32_t id = building->GetID();
    gui.SetDialogObject(building);

    Run("CallCleaner");
    EXPECT_TRUE(building->IsCleanerCalledByPlayer());
    ASSERT_NE(GetCleaningManager(), nullptr);
    EXPECT_TRUE(GetCleaningManager()->IsCleanerCalled(id));

    Run("CallRepair");
    ASSERT_NE(GetMechanicsRepair(), nullptr);
    EXPECT_TRUE(GetMechanicsRepair()->HoldsRequest(id));

    Run("CallZoo");
    EXPECT_TRUE(building->IsZookeeperCalled());
    ASSERT_NE(GetZooRepair(), nullptr);
    EXPECT_TRUE(GetZooRepair()->HoldsRequest(id));

    Run("BreakObject");
    EXPECT_TRUE(building->IsDebugBreak());

    Run("SellButton");
    EXPECT_TRUE(gui.IsDialogOpen("ConfirmDemolish"));
    ASSERT_FALSE(gui.GetOpenList().empty());
    EXPECT_EQ(gui.GetOpenList().front().listener, building) << "the confirmation is the building's";
    EXPECT_TRUE(gui.IsModalDialogOpen());
    EXPECT_TRUE(reports.boxes.empty());
}

TEST_F(ParkCommands, StaffPanelFireAsksThenDismisses)
{
    gui.LoadScriptText(kPanelDialogs, std::strlen(kPanelDialogs));
    ASSERT_TRUE(HireStaff(OBJECT_CLEANER));
    const std::vector<BaseObject*> cleaners = g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER);
    ASSERT_FALSE(cleaners.empty());
    auto* staff = dynamic_cast<StaffObject*>(cleaners.back());
    ASSERT_NE(staff, nullptr);
    gui.SetDialogObject(staff);
    Run("StaffFire");
    ASSERT_TRUE(gui.IsDialogOpen("ConfirmDismiss"));
    EXPECT_FALSE(staff->IsSacked()) << "only asked so far";
    // The browser row's dismiss button asks about the staff member of selection slot 10.
    gui.CloseAllDialogs();
    gui.SetDialogObject(nullptr);
    gui.SetSelection(10, static_cast<int32_t>(staff->GetID()));
    Run("DismissStaff");
    ASSERT_TRUE(gui.IsDialogOpen("ConfirmDismiss"));
    gui.SetDialogObject(staff);
    Run("DismissConfirm", gui.FindItem(WT_DIALOG, "ConfirmDismiss")->GetDialogIndex());
    EXPECT_TRUE(staff->IsSacked());
    EXPECT_FALSE(gui.IsDialogOpen("ConfirmDismiss"));
}

TEST_F(ParkCommands, ToolCommandsRequestTheirModes)
{
    const char* script = "Font(GuiFont7)\nDialogItem BuildPanel(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                         "DialogItem ObjectBrowser(0, 0, 99, 99, NONE, 2, 0)\n{\n}\n"
                         "MainItem\n{\nButton(10, 500, 50, 520, NONE, 0, None, SceneryDozer, NONE)\n}\n";
    gui.LoadScriptText(script, std::strlen(script));
    struct Case
    {
        const char* command;
        int32_t mode;
    };
    // Select 4, tile paint 1, bulldoze 8.
    const Case cases[] = {{"ExitBuildMode", 4}, {"StopPaint", 4}, {"PaintMap", 1}, {"SceneryDozer", 8}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.command);
        gui.SetMode(GUIManager::kIdleMode);
        gui.OpenDialog("BuildPanel", nullptr);
        Run(c.command);
        EXPECT_EQ(gui.GetRequestedMode(), c.mode);
        if (c.mode != 8)
        {
            EXPECT_EQ(gui.GetOpenDialogCount(), 0) << "every dialog closes";
        }
    }
    auto* dozer = dynamic_cast<Button*>(gui.GetToolbarRoot()->GetChildren().front());
    ASSERT_NE(dozer, nullptr);
    EXPECT_TRUE(dozer->IsHeld());

    // The staff browsers open the object browser with the staff filter of their kind.
    const std::pair<const char*, int32_t> browsers[] = {
        {"CleanerBrowser", 0}, {"MechanicBrowser", 1}, {"ZooBrowser", 2}, {"StaffBrowser", 3}};
    for (const auto& [command, filter] : browsers)
    {
        SCOPED_TRACE(command);
        gui.CloseAllDialogs();
        gui.SetSelection(9, -1);
        Run(command);
        EXPECT_TRUE(gui.IsDialogOpen("ObjectBrowser"));
        EXPECT_EQ(gui.GetSelection(9), filter);
    }
}

// The panel toggles: each opens its dialog (with its listener) and a second press closes it; the ticker's and the
// scenery panel's buttons show which way they go.
TEST_F(ParkCommands, PanelTogglesAndTheirButtonsPictures)
{
    const char* script = "Font(GuiFont7)\n"
                         "DialogItem TickerList800(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                         "DialogItem SceneryPanel(0, 0, 99, 99, NONE, 2, 0)\n{\n}\n"
                         "DialogItem Objectives(0, 0, 99, 99, NONE, 3, 0)\n{\n}\n"
                         "DialogItem ResearchMenu(0, 0, 99, 99, NONE, 4, 0)\n{\n}\n"
                         "DialogItem ObjectBrowser(0, 0, 99, 99, NONE, 5, 0)\n{\n}\n"
                         "MainItem\n{\n"
                         "Button(10, 500, 50, 520, NONE, 0, None, ShowTickerList800, NONE)\n"
                         "Button(60, 500, 100, 520, NONE, 0, None, MinSceneryPanel, NONE)\n}\n";
    gui.LoadScriptText(script, std::strlen(script));
    const std::vector<Widget*>& bar = gui.GetToolbarRoot()->GetChildren();
    ASSERT_EQ(bar.size(), 2u);
    auto* ticker = static_cast<Button*>(bar[0]);
    auto* scenery = static_cast<Button*>(bar[1]);

    Run("ShowTickerList800");
    EXPECT_TRUE(gui.IsDialogOpen("TickerList800"));
    EXPECT_EQ(ticker->GetImage(), "UIS_bar_message_down");
    EXPECT_TRUE(gui.GetTickerList().IsEnabled());
    Run("ShowTickerList800");
    EXPECT_FALSE(gui.IsDialogOpen("TickerList800"));
    EXPECT_EQ(ticker->GetImage(), "UIS_bar_message_up");
    EXPECT_FALSE(gui.GetTickerList().IsEnabled());

    // The scenery panel, shown: a press slides it aside (state 0, "in" picture), the next brings it back.
    gui.OpenDialog("SceneryPanel", nullptr);
    gui.SetDialogAnimState("SceneryPanel", 1);
    Run("MinSceneryPanel");
    EXPECT_EQ(gui.GetDialogAnimState("SceneryPanel"), 0);
    EXPECT_EQ(scenery->GetImage(), "UIS_sc_in");
    Run("MinSceneryPanel");
    EXPECT_EQ(gui.GetDialogAnimState("SceneryPanel"), 1);
    EXPECT_EQ(scenery->GetImage(), "UIS_sc_out");

    const std::pair<const char*, const char*> toggles[] = {
        {"ShowGoal", "Objectives"}, {"ResearchMenu", "ResearchMenu"}, {"ObjectBrowser", "ObjectBrowser"}};
    for (const auto& [command, dialog] : toggles)
    {
        SCOPED_TRACE(command);
        Run(command);
        EXPECT_TRUE(gui.IsDialogOpen(dialog));
        Run(command);
        EXPECT_FALSE(gui.IsDialogOpen(dialog));
    }
    Run("ResearchMenu");
    ASSERT_FALSE(gui.GetOpenList().empty());
    EXPECT_EQ(gui.GetOpenList().front().listener, static_cast<DialogListener*>(GetResearchManager()));
}

} // namespace
