// The in-game commands that act on the park: the park's panels and tools, the object panels' buttons, staff,
// the show scheduler and the gazetteer. A handler whose dialog object or chosen object is missing, or is not of the
// kind its panel shows, does nothing.
#include "game/ParkCommands.h"

#include "engine/core/GameOptions.h"
#include "engine/core/TextTable.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "game/ShowTrainingEntry.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/GazetteerList.h"
#include "gui/ObjectBrowser.h"
#include "gui/TickerList.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "park/ShowScheduler.h"
#include "park/StaffObject.h"
#include "platform/Strings.h"
#include "scripts/WorldParams.h"
#include "world/CameraManager.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <limits>

namespace
{

constexpr uint32_t kDialogClosedMessage = 99;
constexpr int32_t kTrackingCamera = 1;

GUIManager& Gui()
{
    return *g_pGUIManager;
}

// The object whose panel holds the button, when it is a game object of that class; null otherwise.
template <typename T> T* DialogObject()
{
    return g_pGUIManager ? dynamic_cast<T*>(g_pGUIManager->GetDialogObject()) : nullptr;
}

// The object of a selection slot, when it still exists and is of that class.
template <typename T> T* SelectedObject(int slot)
{
    if (!g_pGUIManager || !g_pObjectManager)
        return nullptr;
    const int32_t id = g_pGUIManager->GetSelection(slot);
    return id < 0 ? nullptr : dynamic_cast<T*>(g_pObjectManager->GetObject(static_cast<uint32_t>(id)));
}

// ---- dialogs and panels

void ExitDialogResume(int32_t dialog)
{
    Gui().CloseOwningDialog(dialog);
    Gui().CloseDialog("PauseBox");
    if (g_pWorld)
    {
        g_pWorld->m_bForcedPaused = false;
        g_pWorld->m_bPaused = false;
    }
}

void ExitDialogMessage(int32_t dialog)
{
    Gui().CloseOwningDialog(dialog);
    if (!g_pMessageHandler)
        return;
    MessageRecord record;
    record.dwSender = kWorldID;
    record.dwReciever = kWorldID;
    record.dwType = kDialogClosedMessage;
    g_pMessageHandler->Send(record);
}

void ClosePause(int32_t)
{
    Gui().CloseDialog("PauseBox");
    if (g_pWorld)
        g_pWorld->m_bPaused = false;
}

// The toolbar's pause button: as the pause key, the park stops and the pause box opens (not while the script holds
// the park paused).
void PauseGame(int32_t)
{
    if (!g_pWorld || g_pWorld->m_bForcedPaused || g_pWorld->m_bPaused)
        return;
    g_pWorld->m_bPaused = true;
    Gui().OpenPauseBox();
}

void GameSpeedUp(int32_t)
{
    if (g_pWorld)
        g_pWorld->SetGameSpeedLevel(g_pWorld->GetGameSpeedLevel() + 1);
}

void GameSpeedDown(int32_t)
{
    if (g_pWorld)
        g_pWorld->SetGameSpeedLevel(g_pWorld->GetGameSpeedLevel() - 1);
}

void ObjectBrowser(int32_t)
{
    if (g_pObjectManager)
        g_pObjectManager->ClosePanelsOfKind(OBJECT_GUEST);
    Gui().ToggleDialog("ObjectBrowser", g_pGame);
}

void ShowGoal(int32_t)
{
    Gui().ToggleDialog(g_pGame && g_pGame->IsSandbox() ? "SandBoxPanel" : "Objectives", nullptr);
}

void ResearchMenu(int32_t)
{
    ResearchManager* research = GetResearchManager();
    Gui().ToggleDialog("ResearchMenu", research);
    if (research)
        research->FillResearchList();
}

void ShowTickerList800(int32_t)
{
    const bool opened = Gui().ToggleDialog("TickerList800", nullptr);
    Gui().SetButtonImageByCommand("ShowTickerList800", opened ? "UIS_bar_message_down" : "UIS_bar_message_up");
    Gui().GetTickerList().Enable(opened);
}

void ToggleRadarSize(int32_t)
{
    Gui().ToggleRadarSize();
}

// ---- options

void ResetVideoOptions(int32_t)
{
    if (!g_pGame)
        return;
    g_pGame->GetOptions().ResetVideo();
    g_pGame->ApplyVideoSettings();
}

void ResetAudioOptions(int32_t)
{
    if (!g_pGame)
        return;
    g_pGame->GetOptions().ResetAudio();
    // The sound follows the defaults at the share the guide holds it down to while its call plays, as the sliders do.
    g_pGame->SetGuideVolumeShare(g_pGame->GetGuideVolumeShare());
}

// ---- building and scenery tools

void BuildList(int32_t)
{
    Gui().OpenBuildPanel();
}

void PlaceBuilding(int32_t dialog)
{
    if (!CanPlaceBuildingType(Gui().GetSelection(0)))
        return;
    Gui().CloseOwningDialog(dialog);
    Gui().EnterBuildMode();
}

void ExitBuildMode(int32_t)
{
    Gui().CloseAllDialogs();
    Gui().SetMode(GUIManager::kSelectMode);
}

void PaintMap(int32_t)
{
    Gui().CloseAllDialogs();
    Gui().SetMode(1);
}

void SaveGridMap(int32_t)
{
    if (g_pWorldMap)
        g_pWorldMap->SaveGridMap();
}

void SceneryPanel(int32_t)
{
    Gui().ToggleSceneryPanel();
}

void ExitSceneryPanel(int32_t)
{
    Gui().AnimateDialog("SceneryPanel", DialogItem::SLIDE_OUT, 1.0f, 0);
    Gui().SetMode(GUIManager::kSelectMode);
}

void MinSceneryPanel(int32_t)
{
    constexpr int32_t kRestoreDistance = 110;
    if (Gui().GetDialogAnimState("SceneryPanel") == 1)
    {
        Gui().AnimateDialog("SceneryPanel", DialogItem::SLIDE_HOME, 1.0f, 0);
        Gui().SetDialogAnimState("SceneryPanel", 0);
        Gui().SetButtonImageByCommand("MinSceneryPanel", "UIS_sc_in");
        return;
    }
    Gui().AnimateDialog("SceneryPanel", DialogItem::SLIDE_OFFSET, 1.0f, kRestoreDistance);
    Gui().SetDialogAnimState("SceneryPanel", 1);
    Gui().SetButtonImageByCommand("MinSceneryPanel", "UIS_sc_out");
}

void SceneryDozer(int32_t)
{
    Gui().SetMode(8);
    Gui().SetButtonHeldByCommand("SceneryDozer", true);
}

// ---- object panels

void SellButton(int32_t)
{
    if (BuildingObject* building = DialogObject<BuildingObject>())
        Gui().OpenDialog("ConfirmDemolish", building, true);
}

void ConfirmSell(int32_t)
{
    BuildingObject* building = DialogObject<BuildingObject>();
    if (!building)
        return;
    Gui().CloseDialogsOfListener(building);
    building->Sell();
}

void SellRescueButton(int32_t)
{
    if (!g_pObjectManager)
        return;
    for (BaseObject* object : g_pObjectManager->GetBuildingsByName("ANIMALCARE"))
        if (BuildingObject* building = dynamic_cast<BuildingObject*>(object))
        {
            Gui().OpenDialog("ConfirmDemolish", building, true);
            return;
        }
}

void OpenBuilding(int32_t)
{
    if (BuildingObject* building = DialogObject<BuildingObject>())
        building->Open();
}

void CloseBuilding(int32_t)
{
    if (BuildingObject* building = DialogObject<BuildingObject>())
        building->Close();
}

void StepBuilding(bool forward)
{
    BuildingObject* building = DialogObject<BuildingObject>();
    if (!building || !g_pWorld || !g_pObjectManager)
        return;
    const uint32_t next = g_pWorld->StepBuilding(building->GetID(), forward);
    if (BaseObject* object = g_pObjectManager->GetObject(next))
        object->OnSelected(true, true);
}

void NextBuilding(int32_t)
{
    StepBuilding(true);
}

void PrevBuilding(int32_t)
{
    StepBuilding(false);
}

void StepStaff(bool forward)
{
    StaffObject* staff = DialogObject<StaffObject>();
    if (!staff || !g_pWorld || !g_pObjectManager)
        return;
    const uint32_t next = g_pWorld->StepStaff(staff->GetID(), forward);
    if (next == staff->GetID())
        return;
    if (BaseObject* object = g_pObjectManager->GetObject(next))
        object->OnSelected(true, true);
}

void NextStaff(int32_t)
{
    StepStaff(true);
}

void PrevStaff(int32_t)
{
    StepStaff(false);
}

void CallRepair(int32_t)
{
    StaticObject* object = DialogObject<StaticObject>();
    if (!object)
        return;
    if (RepairManager* mechanics = GetMechanicsRepair())
        mechanics->RequestUrgentRepair(object->GetID(), RepairManager::REPAIR_BREAKDOWN);
    object->SetMechanicCalledByPlayer(true);
}

void CallZoo(int32_t)
{
    BuildingObject* building = DialogObject<BuildingObject>();
    if (!building)
        return;
    if (RepairManager* zoo = GetZooRepair())
        zoo->RequestUrgentRepair(building->GetID(), RepairManager::REPAIR_ZOO_VISIT);
    building->NoteZookeeperCalled();
}

void CallCleaner(int32_t)
{
    StaticObject* object = DialogObject<StaticObject>();
    if (!object)
        return;
    if (CleaningManager* cleaning = GetCleaningManager())
        cleaning->RequestUrgentCleaning(object->GetID());
    object->SetCleanerCalledByPlayer(true);
}

void BreakObject(int32_t)
{
    if (BaseObject* object = DialogObject<BaseObject>())
        object->SetDebugBreak(true);
}

void LockCamera(int32_t)
{
    BaseObject* object = DialogObject<BaseObject>();
    if (!object || !g_pCameraManager)
        return;
    g_pCameraManager->SetCamera(kTrackingCamera, false);
    bool tracking = false;
    if (g_pCameraManager->GetTrackedObject() == object->GetID())
        g_pCameraManager->StopTracking();
    else
        tracking = g_pCameraManager->TrackObject(object->GetID());
    if (tracking)
        Gui().OpenDialog("CancelCamera", nullptr);
    else
        Gui().CloseDialog("CancelCamera");
}

void FirstPersonCam(int32_t)
{
    BaseObject* object = DialogObject<BaseObject>();
    if (!object || !g_pCameraManager)
        return;
    g_pCameraManager->StopTracking();
    if (g_pCameraManager->ToggleFirstPersonCam(object->GetID()))
        Gui().OpenDialog("CancelCamera", nullptr);
    else
        Gui().CloseDialog("CancelCamera");
}

void ExitCamera(int32_t)
{
    ReleaseCamera();
}

void ShowAdoptAnimal(int32_t)
{
    if (BuildingObject* building = DialogObject<BuildingObject>())
        Gui().OpenDialog("AdoptAnimal", building);
}

// The animal slot of the row chosen in the adoption list.
uint32_t AdoptionSlot(const BuildingObject& building)
{
    const int32_t slot = building.GetAdoptableSlot(Gui().GetSelection(11));
    return slot < 0 ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(slot);
}

void ConfirmAdoptAnimal(int32_t)
{
    BuildingObject* building = DialogObject<BuildingObject>();
    if (!building)
        return;
    if (building->CanAdoptAnimal(AdoptionSlot(*building)))
        Gui().OpenDialog("ConfirmAdoptAnimal", building, true);
    else
        Gui().OpenDialog("AdoptNoSpace", nullptr, true);
}

void AdoptAnimal(int32_t)
{
    BuildingObject* building = DialogObject<BuildingObject>();
    if (!building)
        return;
    building->AdoptAnimal(AdoptionSlot(*building));
    Gui().CloseDialog("ConfirmAdoptAnimal");
    Gui().RefreshOpenDialogs();
}

// The animal chosen in the exhibit panel's own list of animals: selection slot 10 is shared with every other list
// (the object browser's pages publish their choices there too). Slot 10 when the panel has no such list.
AnimalObject* PanelAnimal(int32_t dialog)
{
    for (const auto& item : Gui().GetItems())
    {
        if (item->GetType() != WT_TABLE || item->GetDialogIndex() != dialog)
            continue;
        const auto* table = static_cast<const Table*>(item.get());
        if (table->GetSource() != browser::SRC_BUILDING_ANIMALS)
            continue;
        const int32_t row = table->GetSelectedRow();
        const std::vector<uint32_t>& ids = table->GetRowIds();
        if (row < 0 || row >= static_cast<int32_t>(ids.size()) || !g_pObjectManager)
            return nullptr;
        return dynamic_cast<AnimalObject*>(g_pObjectManager->GetObject(ids[static_cast<size_t>(row)]));
    }
    return SelectedObject<AnimalObject>(10);
}

void SellAnimal(int32_t dialog)
{
    if (AnimalObject* animal = PanelAnimal(dialog))
        Gui().OpenDialog("ConfirmSellAnimal", animal, true);
}

void ConfirmSellAnimal(int32_t)
{
    AnimalObject* animal = DialogObject<AnimalObject>();
    if (!animal)
        return;
    animal->Sell();
    Gui().RefreshOpenDialogs();
}

void DispatchRescue(int32_t)
{
    if (g_pWorld)
        if (RescueManager* rescue = dynamic_cast<RescueManager*>(g_pWorld->GetManagers().rescue.get()))
            rescue->DespatchTeam();
}

void ShowSchedulerPanel(int32_t)
{
    BuildingObject* building = DialogObject<BuildingObject>();
    ShowScheduler* scheduler = building ? building->GetScheduler() : nullptr;
    if (!scheduler)
        return;
    Gui().OpenDialog("ShowScheduler", scheduler);
    scheduler->RefreshPanel();
}

// ---- show scheduler and training

template <int32_t Code> void SchedulerButton(int32_t)
{
    if (ShowScheduler* scheduler = DialogObject<ShowScheduler>())
        scheduler->HandleButton(Code);
}

void ResetShow(int32_t)
{
    if (ShowScheduler* scheduler = DialogObject<ShowScheduler>())
        Gui().OpenDialog("ShowResetConfirm", scheduler, true);
}

void ConfirmShowReset(int32_t dialog)
{
    if (ShowScheduler* scheduler = DialogObject<ShowScheduler>())
        scheduler->HandleButton(ShowScheduler::BUTTON_RESET);
    Gui().CloseOwningDialog(dialog);
}

// Training and the preview start only for a show that can be trained; the refusal is reported by the training.
template <bool Preview> void TrainShow(int32_t)
{
    if (g_pGUIManager)
        StartShowTraining(Gui(), g_pGUIManager->GetDialogObject(), Preview);
}

void TrainQuit(int32_t)
{
    if (g_pGUIManager)
        AnswerTrainingQuit(Gui(), true);
}

void TrainResume(int32_t)
{
    if (g_pGUIManager)
        AnswerTrainingQuit(Gui(), false);
}

// ---- staff

template <uint8_t Kind> void HireNew(int32_t)
{
    HireStaff(Kind);
}

void DismissStaff(int32_t)
{
    if (StaffObject* staff = SelectedObject<StaffObject>(10))
        Gui().OpenDialog("ConfirmDismiss", staff, true);
}

void StaffFire(int32_t)
{
    if (StaffObject* staff = DialogObject<StaffObject>())
        Gui().OpenDialog("ConfirmDismiss", staff, true);
}

void DismissConfirm(int32_t dialog)
{
    StaffObject* staff = DialogObject<StaffObject>();
    if (!staff)
        return;
    staff->Dismiss();
    Gui().CloseOwningDialog(dialog);
    Gui().CloseDialogsOfListener(staff);
    Gui().RefreshOpenDialogs();
}

template <int32_t Filter> void StaffBrowser(int32_t)
{
    constexpr int32_t kStaffTab = 3;
    Gui().OpenDialog("ObjectBrowser", g_pGame);
    Gui().SelectDialogTab("ObjectBrowser", kStaffTab);
    Gui().SetSelection(9, Filter);
}

// ---- gazetteer

void SetGazetteerVolumes(float share)
{
    if (g_pGame)
        g_pGame->SetGuideVolumeShare(share);
}

void ShowGazetteer(int32_t)
{
    const bool opened = Gui().ToggleDialog("Gazetteer", g_pGame, true);
    Gui().GetGazetteerList().Enable(opened);
}

void ShowAnimalGaz(int32_t)
{
    AnimalObject* animal = DialogObject<AnimalObject>();
    const bool opened = Gui().ToggleDialog("Gazetteer", g_pGame, false);
    Gui().GetGazetteerList().Enable(opened);
    // The guide's page of the animal's kind: its gazetteer number (the place of its record in the park's tables is
    // another numbering).
    if (opened && animal)
        Gui().GetGazetteerList().SelectAnimal(animal->GetAnimalInfo().iGazNumber);
}

void CloseAnimalGaz(int32_t dialog)
{
    Gui().CloseOwningDialog(dialog);
    SetGazetteerVolumes(1.0f);
}

void PlayGazSound(int32_t)
{
    SetGazetteerVolumes(1.0f / 3.0f);
    if (!g_pGame || !g_pSoundManager)
        return;
    char name[32];
    std::snprintf(name, sizeof name, "GAZSOUND_%d", static_cast<int>(Gui().GetSelection(13)));
    // The call stands above the turned-down effects: at the player's own effects level, from its first frame.
    g_pSoundManager->PlaySampleScaled(name, g_pGame->GetOptions().m_fEffectsVol, 1.0f, 0, 0.0f);
}

constexpr std::array kParkRows = {
    GuiCommand{"ExitDialogResume", ExitDialogResume},
    GuiCommand{"ExitDialogMessage", ExitDialogMessage},
    GuiCommand{"ClosePause", ClosePause},
    GuiCommand{"ObjectBrowser", ObjectBrowser},
    GuiCommand{"ShowGoal", ShowGoal},
    GuiCommand{"ResearchMenu", ResearchMenu},
    GuiCommand{"ShowTickerList800", ShowTickerList800},
    GuiCommand{"ToggleRadarSize", ToggleRadarSize},
    GuiCommand{"ResetVideoOptions", ResetVideoOptions},
    GuiCommand{"ResetAudioOptions", ResetAudioOptions},
    GuiCommand{"BuildList", BuildList},
    GuiCommand{"PlaceBuilding", PlaceBuilding},
    GuiCommand{"ExitBuildMode", ExitBuildMode},
    GuiCommand{"StopPaint", ExitBuildMode},
    GuiCommand{"PaintMap", PaintMap},
    GuiCommand{"SaveGridMap", SaveGridMap},
    GuiCommand{"SceneryPanel", SceneryPanel},
    GuiCommand{"ExitSceneryPanel", ExitSceneryPanel},
    GuiCommand{"MinSceneryPanel", MinSceneryPanel},
    GuiCommand{"SceneryDozer", SceneryDozer},
    GuiCommand{"SellButton", SellButton},
    GuiCommand{"ConfirmSell", ConfirmSell},
    GuiCommand{"SellRescueButton", SellRescueButton},
    GuiCommand{"OpenBuilding", OpenBuilding},
    GuiCommand{"CloseBuilding", CloseBuilding},
    GuiCommand{"NextBuilding", NextBuilding},
    GuiCommand{"PrevBuilding", PrevBuilding},
    GuiCommand{"NextStaff", NextStaff},
    GuiCommand{"PrevStaff", PrevStaff},
    GuiCommand{"CallRepair", CallRepair},
    GuiCommand{"CallZoo", CallZoo},
    GuiCommand{"CallCleaner", CallCleaner},
    GuiCommand{"BreakObject", BreakObject},
    GuiCommand{"LockCamera", LockCamera},
    GuiCommand{"FirstPersonCam", FirstPersonCam},
    GuiCommand{"ExitCamera", ExitCamera},
    GuiCommand{"ShowAdoptAnimal", ShowAdoptAnimal},
    GuiCommand{"ConfirmAdoptAnimal", ConfirmAdoptAnimal},
    GuiCommand{"AdoptAnimal", AdoptAnimal},
    GuiCommand{"SellAnimal", SellAnimal},
    GuiCommand{"ConfirmSellAnimal", ConfirmSellAnimal},
    GuiCommand{"DispatchRescue", DispatchRescue},
    GuiCommand{"ShowScheduler", ShowSchedulerPanel},
    GuiCommand{"AddMoveToShow", SchedulerButton<ShowScheduler::BUTTON_ADD>},
    GuiCommand{"RemoveMoveFromShow", SchedulerButton<ShowScheduler::BUTTON_REMOVE>},
    GuiCommand{"MoveShowMoveUp", SchedulerButton<ShowScheduler::BUTTON_UP>},
    GuiCommand{"MoveShowMoveDown", SchedulerButton<ShowScheduler::BUTTON_DOWN>},
    GuiCommand{"TrainShowMove", TrainShow<false>},
    GuiCommand{"PreviewShow", TrainShow<true>},
    GuiCommand{"ResetShow", ResetShow},
    GuiCommand{"ConfirmShowReset", ConfirmShowReset},
    GuiCommand{"TrainQuit", TrainQuit},
    GuiCommand{"TrainResume", TrainResume},
    GuiCommand{"HireNewCleaner", HireNew<OBJECT_CLEANER>},
    GuiCommand{"HireNewMechanic", HireNew<OBJECT_MECHANIC>},
    GuiCommand{"HireNewZookeeper", HireNew<OBJECT_ZOOKEEPER>},
    GuiCommand{"DismissStaff", DismissStaff},
    GuiCommand{"StaffFire", StaffFire},
    GuiCommand{"DismissConfirm", DismissConfirm},
    GuiCommand{"CleanerBrowser", StaffBrowser<0>},
    GuiCommand{"MechanicBrowser", StaffBrowser<1>},
    GuiCommand{"ZooBrowser", StaffBrowser<2>},
    GuiCommand{"StaffBrowser", StaffBrowser<3>},
    GuiCommand{"ShowGazetteer", ShowGazetteer},
    GuiCommand{"ShowAnimalGaz", ShowAnimalGaz},
    GuiCommand{"CloseAnimalGaz", CloseAnimalGaz},
    GuiCommand{"PlayGazSound", PlayGazSound},
    // The toolbar's pause and game speed buttons (the pause and speed keys' work).
    GuiCommand{"PauseGame", PauseGame},
    GuiCommand{"GameSpeedUp", GameSpeedUp},
    GuiCommand{"GameSpeedDown", GameSpeedDown},
};

struct StaffKind
{
    uint8_t kind;
    const char* keyword;
    const char* limitText;
};

constexpr StaffKind kStaffKinds[] = {
    {OBJECT_MECHANIC, "MECHANIC", "STAFF_NOMORE_MECHANIC"},
    {OBJECT_CLEANER, "CLEANER", "STAFF_NOMORE_CLEANER"},
    {OBJECT_ZOOKEEPER, "ZOOKEEPER", "STAFF_NOMORE_ZOO"},
};

} // namespace

void ReleaseCamera()
{
    if (g_pCameraManager)
    {
        g_pCameraManager->SetCamera(kTrackingCamera, false);
        g_pCameraManager->StopTracking();
    }
    if (g_pGUIManager)
        g_pGUIManager->CloseDialog("CancelCamera");
}

std::span<const GuiCommand> GetParkCommandRows()
{
    return kParkRows;
}

BaseObject* ChooseStaffBuilding()
{
    if (!g_pObjectManager)
        return nullptr;
    BaseObject* best = nullptr;
    float bestDistance = 0.0f;
    for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
    {
        const BuildingFacts* facts = dynamic_cast<const BuildingFacts*>(object);
        if (!facts || !facts->IsStaffRoom() || facts->IsUnderConstruction() || facts->IsBeingDemolished() ||
            object->IsWaitingForDeath())
            continue;
        const platform::Vec3& at = object->GetWorldPosition();
        const float distance = at.x * at.x + at.y * at.y;
        if (!best || distance < bestDistance)
        {
            best = object;
            bestDistance = distance;
        }
    }
    if (best)
        return best;
    const std::vector<BaseObject*> entrances = g_pObjectManager->GetBuildingsByName("ENTRANCE");
    return entrances.empty() ? nullptr : entrances.front();
}

bool HireStaff(uint8_t kind)
{
    const StaffKind* staff = nullptr;
    for (const StaffKind& row : kStaffKinds)
        if (row.kind == kind)
            staff = &row;
    if (!staff || !g_pObjectManager || !g_pMessageHandler)
        return false;
    if (g_pObjectManager->CountObjectsOfKind(kind) >= kMaxStaffOfKind)
    {
        if (g_pGUIManager)
        {
            const int32_t text = g_pTextTable ? g_pTextTable->FindIndex(staff->limitText) : -1;
            g_pGUIManager->OpenDialogWithValue(2, "MessageBox", text, nullptr, true);
        }
        return false;
    }
    BaseObject* building = ChooseStaffBuilding();
    if (!building)
        return false;
    StaffCreationRequest request;
    std::snprintf(request.szKeyword, sizeof request.szKeyword, "%s", staff->keyword);
    request.dwBuilding = building->GetID();
    MessageRecord record;
    record.dwSender = kWorldID;
    record.dwReciever = kWorldID;
    record.dwData = kind;
    const bool made = g_pMessageHandler->SendToWorld(record, &request);
    if (g_pGUIManager)
        g_pGUIManager->RefreshOpenDialogs();
    return made;
}

bool CanBuildMoreOfType(int32_t type)
{
    if (!g_pWorld || !g_pWorldParams || !g_pWorld->IsValidBuildingType(type) || !g_pWorld->CanBuildType(type))
        return false;
    const BuildingInfo& info = g_pWorldParams->GetBuildingInfo(type);
    // The requirement check reads true for a type without a requirement too; only a missing first building refuses.
    return !(info.NeedsBuildingFirst() && g_pWorld->CheckBuildRequirement(type));
}

bool CanPlaceBuildingType(int32_t type)
{
    if (!CanBuildMoreOfType(type))
        return false;
    const BuildingInfo& info = g_pWorldParams->GetBuildingInfo(type);
    const Player* player = g_pWorld->GetPlayer();
    return player && player->Cash - static_cast<float>(info.iCost2Build) > 0.0f;
}

void Game::UseOverviewCamera()
{
    // From a ride on an object too: the panels close the dialog that would end the ride.
    if (g_pCameraManager)
        g_pCameraManager->SetCamera(kTrackingCamera, false);
}

bool Game::IsBuildingAvailable(int32_t type) const
{
    return g_pWorld && g_pWorldParams && g_pWorld->IsValidBuildingType(type) &&
           g_pWorldParams->GetBuildingInfo(type).IsAvailable();
}
