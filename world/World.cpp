// World: building the park from a scenario's world file, taking it down, and the game clock.
#include "world/World.h"

#include "engine/core/GameClock.h"
#include "engine/core/GameParameters.h"
#include "engine/core/Logger.h"
#include "engine/core/MouseState.h"
#include "engine/core/TextTable.h"
#include "engine/media/ScriptedSound.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/Display.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "engine/render/TextureBank.h"
#include "engine/render/TextureManager.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldScript.h"
#include "world/AnimalModelNames.h"
#include "world/BaseObject.h"
#include "world/CameraManager.h"
#include "world/FloatingTextList.h"
#include "world/GuestArrivals.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/ParkSounds.h"
#include "world/Path.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/SkyDome.h"
#include "world/WorldMap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

World* g_pWorld = nullptr;

namespace
{

// A park location: its WORLD_LEVEL keyword, grid file, size in cells and surround model.
struct ParkLocation
{
    const char* keyword;
    const char* gridFile;
    int32_t cells;
    const char* surround;
};

constexpr ParkLocation kParkLocations[] = {
    {"BAYCREST", "data/maps/BaycrestGrid.dat", 128, "Surround_02.tm"},
    {"PALMHAVEN", "data/maps/PalmhavenGrid.dat", 160, "Surround_03.tm"},
    {"VALEMONT", "data/maps/ValemontGrid.dat", 160, "Surround_01.tm"},
};

const ParkLocation* FindParkLocation(const char* keyword)
{
    if (!keyword)
        return nullptr;
    for (const ParkLocation& location : kParkLocations)
    {
        if (std::strcmp(location.keyword, keyword) == 0)
            return &location;
    }
    return nullptr;
}

// The text id of a key of the world file, "" when it has none. The scenario's panels show the text of the id: a key
// left out, or an id the loaded text table does not hold, would show as an empty line, so either is said.
std::string Text(const ParameterScript& file, const char* key, const char* worldFile)
{
    const char* text = file.GetString(key);
    if (!text)
    {
        GetLogger()->Report(1, "World::World - no %s in %s: the scenario shows no text there", key, worldFile);
        return "";
    }
    if (g_pTextTable && g_pTextTable->GetPairCount() > 0 && g_pTextTable->FindIndex(text) < 0)
        GetLogger()->Report(1, "World::World - %s %s in %s is not in the text table: the scenario shows no text there",
                            key, text, worldFile);
    return text;
}

} // namespace

ParkTextureBank::ParkTextureBank() : m_pBank(std::make_unique<TextureBank>(kIndexFile, kDataFile))
{
    m_bAttached = m_pBank->GetRecordCount() > 0 && !g_TextureManager.GetTextureBank();
    if (m_bAttached)
        g_TextureManager.SetTextureBank(m_pBank.get());
}

ParkTextureBank::~ParkTextureBank()
{
    if (m_bAttached)
        g_TextureManager.SetTextureBank(nullptr);
    m_pBank->FreeRecords();
}

World::World()
{
    g_pWorld = this;
    int32_t dayLength = 0;
    // Without game parameters the clock counts seconds only; a day length that is there but unusable is reported.
    if (g_pGameParameters && g_pGameParameters->GetInt("iDAY_LENGTH_IN_SECONDS", &dayLength))
        ReadDayLength();
    StartClock();
    m_bStartup = false;
}

World::World(Cursor* cursor, GameInput* input, const char* worldFile, bool loading)
    : m_bLoading(loading), m_WorldFile(worldFile ? worldFile : ""), m_pCursor(cursor), m_pInput(input)
{
    g_pWorld = this;
    m_bStartup = true;
    // A park starts drawn solid, whatever drawing the park before it was left in.
    m_bWireframe = false;
    g_GraphicsManager.SetFillMode(0, false);

    const ParameterScript file(m_WorldFile.c_str());
    const char* script = file.GetString("WORLD_SCRIPT");
    const char* guestList = file.GetString("WORLD_GUESTLIST");
    const char* level = file.GetString("WORLD_LEVEL");
    const char* pathTileInfo = file.GetString("WORLD_PATHTILEINFO");
    const char* pavement = file.GetString("WORLD_PAVEMENT_TILESET");
    const char* name = m_WorldFile.c_str();
    if (!level)
        GetLogger()->Report(0, "no WORLD_LEVEL in world script - %s", name);
    if (!pathTileInfo)
        GetLogger()->Report(0, "no WORLD_PATHTILEINFO in world script - %s", name);
    if (!script)
        GetLogger()->Report(0, "no WORLD_SCRIPT in world script - %s", name);
    if (!guestList)
        GetLogger()->Report(0, "no WORLD_GUESTLIST in world script - %s", name);

    // A park needs a map and a day: without either nothing is built and the caller goes back.
    const ParkLocation* location = FindParkLocation(level);
    if (level && !location)
        GetLogger()->Report(0, "World::World - unknown WORLD_LEVEL %s in %s: the park can't be built", level, name);
    if (!location || !ReadDayLength())
    {
        m_bStartup = false;
        return;
    }

    ReadScenarioTexts(file);
    StepLoadingProgress();

    m_pMessageHandler = std::make_unique<MessageHandler>();
    m_pObjectManager = std::make_unique<ObjectManager>();
    m_pWorldParams = std::make_unique<WorldParams>(WorldParams::kBuildingsFile, guestList ? guestList : "");
    if (ParkServices* park = GetParkServices())
        m_Managers = park->CreateManagers();
    m_pGuestArrivals = std::make_unique<GuestArrivals>();
    m_pFloatingTexts = std::make_unique<FloatingTextList>();
    StepLoadingProgress();

    char key[32];
    for (int n = 0;; ++n)
    {
        std::snprintf(key, sizeof key, "MESSAGE_%d", n);
        const char* type = file.GetString(key);
        if (!type)
            break;
        if (m_Managers.feedback)
            m_Managers.feedback->SuppressMessageType(type);
    }

    m_NumValidBuildings = 0;
    for (int n = 0;; ++n)
    {
        std::snprintf(key, sizeof key, "BUILDING_%d", n);
        const char* keyword = file.GetString(key);
        if (!keyword)
            break;
        if (m_NumValidBuildings == kMaxValidBuildings)
        {
            GetLogger()->Report(1, "World::World - more than %d building types in %s: %s and those after it left out",
                                kMaxValidBuildings, name, key);
            break;
        }
        const int32_t id = m_pWorldParams->FindBuilding(keyword);
        if (id < 0)
        {
            GetLogger()->Report(1, "World::World - unknown building type %s (%s) in %s left out", keyword, key, name);
            continue;
        }
        m_ValidBuildingIDs[m_NumValidBuildings++] = id;
    }
    StepLoadingProgress();

    if (script)
        m_ScriptManager.LoadWorldScript(script);

    m_pWorldMap =
        std::make_unique<WorldMap>(location->cells, location->cells, WorldMap::kDefaultCellSize, location->gridFile);
    // A map without its grid has no walkable cell: the park is refused as an unknown location is.
    if (!m_pWorldMap->IsGridLoaded())
    {
        GetLogger()->Report(0, "World::World - no usable grid file for WORLD_LEVEL %s in %s: the park can't be built",
                            level, name);
        m_bStartup = false;
        return;
    }
    // The rails along the queues are the scenery model Q_RAIL.
    char rail[256];
    std::snprintf(rail, sizeof rail, "%s/%s%s", WorldParams::GetSceneryModelPath(), kQueueRailModel,
                  WorldParams::GetModelExtension());
    m_pWorldMap->SetQueueRailModel(rail);
    const float centre = WorldMap::kOrigin + WorldMap::kSceneUnitsPerCell * static_cast<float>(location->cells) / 2;
    g_SkyDome.SetCentre({centre, 0.0f, centre});
    StepLoadingProgress();

    m_pPathTileSet = std::make_unique<PathTileSet>(pathTileInfo ? pathTileInfo : "", pavement ? pavement : "");
    m_pPath = std::make_unique<Path>(*m_pWorldMap);

    StartClock();
    // The animations of what the park is built with run on its clock, not on the one a park before it left.
    g_AnimationScheduler.Update(GetAnimationTime());
    if (m_Managers.rescue)
        m_Managers.rescue->ScheduleFirstOffer();
    m_bBreakDownsAllowed = true;
    m_bAllowLitter = true;

    m_pPlayer = std::make_unique<Player>(u"Test Player");
    m_pPlayer->Cash = kStartingCash;

    // The radar on the scenario's picture, in the sandbox look for a sandbox park; the progress extension.
    if (g_pGUIManager)
    {
        // The front end's choice says whether this is a sandbox game; the world script reads it as SandBox.
        int32_t index = 0, park = 0;
        if (GuiShell* shell = g_pGUIManager->GetShell())
            shell->GetScenarioChoice(&m_bSandbox, &index, &park);
        const bool sandbox = m_bSandbox;
        const char* radar = file.GetString("RADAR_IMAGE");
        if (!radar)
            GetLogger()->Report(1, "World::World - no RADAR_IMAGE in %s: the radar shows no picture", name);
        g_pGUIManager->CreateRadar(radar ? radar : "", sandbox);
        // The progress extension holds the scenario's progress dialog, its picture sized for the objectives.
        g_pGUIManager->ResetProgressExtension();
        g_pGUIManager->SetProgressExtension(file.GetString("PROGRESS_DIALOG"), m_iObjectiveCount);
    }

    m_pSounds = std::make_unique<ParkSounds>(*this, ScriptedSound::kScriptFile);

    // The world scene holds the objects' models, over the whole map in map units.
    m_pScene = std::make_unique<Scene>(Scene::kTreeIndex);
    const float cellLength = static_cast<float>(WorldMap::kDefaultCellSize);
    m_pScene->Open({0.0f, 0.0f, 0.0f}, {static_cast<float>(m_pWorldMap->GetWidth()) * cellLength / 2.0f, kSceneHeight,
                                        static_cast<float>(m_pWorldMap->GetHeight()) * cellLength});
    g_SkyDome.Init();
    {
        // The surround and the models take their textures from the park's texture bank while it is open.
        const ParkTextureBank bank;
        g_SkyDome.LoadSurround(nullptr, location->surround);
        g_SkyDome.SetCentre({centre, 0.0f, centre});
        PreloadModels();
    }

    m_iParkRating = 50;
    // The scenario starts in its startup State, with its OnEntry list.
    if (WorldScript* script = m_ScriptManager.GetWorldScript())
        script->Start();
    m_bStartup = false;

    for (int g = 0; g < 2; ++g)
    {
        m_TotalGuestArrive[g] = m_TodayGuestArrive[g] = 0;
        m_TotalGuestDepart[g] = m_TodayGuestDepart[g] = 0;
        m_TotalGuestUnhappyDepart[g] = m_TodayGuestUnhappyDepart[g] = 0;
    }
    for (float& average : m_fGuestAverages)
        average = 0.5f;
    m_fAnimalHappyAverage = 0.5f;
    m_fLowestGuestAverage = 0.5f;
    m_fIncomeToday = m_fDemolishIncomeToday = m_fAttractIncomeToday = m_fRetailIncomeToday = 0.0f;
    m_fCostsToday = m_fConstructCostToday = m_fSceneryCostToday = m_fWagesCostToday = m_fStockCostToday = 0.0f;
    m_fAverageProfit = m_fAverageCost = m_fAverageIncome = m_fAnimalIncomeTotal = 0.0f;
    m_BuildingsConstructed = m_DiffBuildingsConstructed = m_BuildingsLeftToBuild = 0;
    m_bLoading = false;

    MessageRecord rating;
    rating.dwSender = kWorldID;
    rating.dwReciever = kWorldID;
    rating.dwType = MT_UPDATERATING;
    m_pMessageHandler->SendDelayed(rating, kRatingPeriod);
    rating.dwType = MT_UPDATEAVERAGES;
    m_pMessageHandler->SendDelayed(rating, kRatingPeriod);
    m_bBuilt = true;
}

World::~World()
{
    // A park left while the right button turns the camera gives the cursor back, locked and hidden as it is: no
    // park frame and no camera step comes after this one to let it go.
    StepCursor(false);
    g_MouseState.ReleaseMouse();
    m_pPlayer.reset();
    m_pObjectManager.reset();
    m_pMessageHandler.reset();
    m_pPath.reset();
    m_pWorldMap.reset();
    m_pWorldParams.reset();
    m_Managers.mechanicsRepair.reset();
    m_Managers.zooRepair.reset();
    m_Managers.cleaning.reset();
    m_Managers.feedback.reset();
    m_pPathTileSet.reset();
    m_Managers.construction.reset();
    m_ScriptManager.Clear();
    m_pSounds.reset();
    m_pGuestArrivals.reset();
    m_Managers.research.reset();
    m_Managers.rescue.reset();
    m_pFloatingTexts.reset();
    if (m_pScene)
        m_pScene->Close();
    m_pScene.reset();
    g_SkyDome.Release();
    if (g_pWorld == this)
        g_pWorld = nullptr;
}

bool World::ReadDayLength()
{
    int32_t dayLength = 0;
    if (!g_pGameParameters || !g_pGameParameters->GetInt("iDAY_LENGTH_IN_SECONDS", &dayLength))
    {
        GetLogger()->Report(0, "World::World - no iDAY_LENGTH_IN_SECONDS in the game parameters");
        return false;
    }
    if (dayLength < kMinDayLength)
    {
        GetLogger()->Report(0, "World::World - iDAY_LENGTH_IN_SECONDS %d is below %d seconds", dayLength,
                            kMinDayLength);
        return false;
    }
    if (dayLength > kMaxDayLength)
    {
        GetLogger()->Report(0, "World::World - iDAY_LENGTH_IN_SECONDS %d is above %d seconds", dayLength,
                            kMaxDayLength);
        return false;
    }
    m_iDayLength = dayLength;
    return true;
}

void World::StartClock()
{
    m_fGameStartTime = g_pGameClock ? g_pGameClock->GetElapsed() : 0.0f;
    m_fGameDeltaTime = 0.0f;
    m_GameDay = 0;
    m_GameDayTime = 0.0f;
    SetGameTime(0.0);
    if (m_iDayLength > 0)
    {
        const double hour = static_cast<double>(m_iDayLength) / 24.0;
        SetGameTime(hour * 9.0);
        m_fNextStaffFeedbackTime = static_cast<float>(hour * 12.0);
    }
}

void World::ReadScenarioTexts(const ParameterScript& file)
{
    m_StatusTitle = Text(file, "WORLD_STATUS_TITLE", m_WorldFile.c_str());
    m_ObjectiveDescription = Text(file, "SCENARIO_OBJ_DESCRIPTION", m_WorldFile.c_str());
    m_ObjectivesText = Text(file, "SCENARIO_OBJ_OBJECTIVES", m_WorldFile.c_str());
    const float* number = file.GetNumber("SCENARIO_OBJ_NUMBER");
    const float count = number ? std::trunc(*number) : 0.0f;
    // Left out, or written as a text ("2" in quotes), the count reads as no objectives at all.
    if (!number)
        GetLogger()->Report(1,
                            "World::World - no SCENARIO_OBJ_NUMBER given as a number in %s: the scenario has no "
                            "objectives",
                            m_WorldFile.c_str());
    else if (!(count >= 0.0f && count <= kObjectiveCount))
        GetLogger()->Report(1, "World::World - SCENARIO_OBJ_NUMBER %g in %s is not 0 to %u", count, m_WorldFile.c_str(),
                            kObjectiveCount);
    m_iObjectiveCount = count > kObjectiveCount ? static_cast<int32_t>(kObjectiveCount)
                        : count > 0.0f          ? static_cast<int32_t>(count)
                                                : 0;
    char key[32];
    for (uint32_t n = 0; n < kObjectiveCount; ++n)
    {
        m_iObjectiveStatus[n] = 0;
        std::snprintf(key, sizeof key, "SCENARIO_OBJ_%u", n);
        m_ObjectiveTexts[n] = static_cast<int32_t>(n) < m_iObjectiveCount ? Text(file, key, m_WorldFile.c_str()) : "";
    }
    m_ObjectiveTitle = Text(file, "SCENARIO_OBJ_TITLE", m_WorldFile.c_str());
    m_dwLastCreatedBuilding = kNoObjectID;
}

void World::RedrawObjectives()
{
    if (g_pGUIManager)
        g_pGUIManager->RedrawDialog("Objectives", true);
}

void World::LoadingBarRect(float width, float height, float progress, float out[4])
{
    const float p = std::isfinite(progress) ? std::clamp(progress, 0.0f, 1.0f) : 0.0f;
    out[0] = 0.30625f * width;
    out[1] = 0.7383f * height;
    out[2] = out[0] + 0.5925f * width * p;
    out[3] = out[1] + 0.0433f * height;
}

void World::StepLoadingProgress()
{
    m_fLoadProgress += 1.0f / 370.0f;
    if (m_fLoadProgress > 1.0f)
        m_fLoadProgress = 1.0f;
    // The bar on two whole frames over what the screen shows, while there is a screen to draw on.
    if (!g_pDisplay || !g_GraphicsManager.GetRenderer())
        return;
    float bar[4];
    LoadingBarRect(static_cast<float>(g_pDisplay->GetWidth()), static_cast<float>(g_pDisplay->GetHeight()),
                   m_fLoadProgress, bar);
    const bool clear = g_GraphicsManager.GetClearFlag();
    const uint32_t colour = g_GraphicsManager.GetClearColour();
    g_GraphicsManager.SetClearMode(false, colour);
    for (int frame = 0; frame < 2; ++frame)
    {
        if (!g_GraphicsManager.BeginFrame(0))
            break;
        g_GraphicsManager.Begin2D();
        g_GraphicsManager.DrawRect(bar[0], bar[1], bar[2], bar[3], kLoadingBarColour);
        g_GraphicsManager.EndFrame();
        g_GraphicsManager.Present();
    }
    g_GraphicsManager.SetClearMode(clear, colour);
}

std::vector<std::string> World::GetPreloadList() const
{
    std::vector<std::string> names;
    if (!m_pWorldParams)
        return names;
    auto add = [&](const char* format, const char* dir, const char* name)
    {
        char path[512];
        std::snprintf(path, sizeof path, format, dir, name, WorldParams::GetModelExtension());
        names.emplace_back(path);
    };
    auto addAnims = [&](const char* dir, const char* owner)
    {
        std::vector<const AnimListEntry*> list;
        m_pWorldParams->GetAnimList(owner, list);
        for (const AnimListEntry* entry : list)
        {
            for (int32_t n = 0; n < entry->iFileCount; ++n)
            {
                char path[512];
                std::snprintf(path, sizeof path, "%s%s_%02d%s", dir, entry->szFileStem, n,
                              WorldParams::GetModelExtension());
                names.emplace_back(path);
            }
        }
    };
    WorldParams& params = *m_pWorldParams;
    for (int i = 0; i < m_NumValidBuildings; ++i)
    {
        const BuildingInfo& info = params.GetBuildingInfo(m_ValidBuildingIDs[i]);
        add("%s/%s%s", WorldParams::GetBuildingModelPath(), info.keyword);
        if (info.szRideModel[0] && strcasecmp(info.szRideModel, "NONE") != 0)
        {
            add("%s/%s_stat%s", WorldParams::GetRideModelPath(), info.szRideModel);
            add("%s/%s%s", WorldParams::GetRideModelPath(), info.szRideModel);
        }
        if (info.szTableModel[0] && strcasecmp(info.szTableModel, "NONE") != 0)
            add("%s/%s%s", WorldParams::GetBuildingModelPath(), info.szTableModel);
    }
    for (uint32_t i = 0; i < params.GetGuestCount(); ++i)
    {
        const GuestInfo& info = params.GetGuestInfo(static_cast<int32_t>(i));
        add("%s%s%s", WorldParams::GetGuestModelPath(), info.szModel);
        addAnims(WorldParams::GetGuestModelPath(), info.szAnimName);
    }
    for (uint32_t i = 0; i < params.GetStaffCount(); ++i)
    {
        const StaffInfo& info = params.GetStaffInfo(static_cast<int32_t>(i));
        add("%s%s%s", WorldParams::GetStaffModelPath(), info.szModel);
        addAnims(WorldParams::GetStaffModelPath(), info.szAnimName);
    }
    for (uint32_t i = 0; i < params.GetAnimalCount(); ++i)
    {
        const AnimalInfo& animal = params.GetAnimalInfo(static_cast<int32_t>(i));
        addAnims(WorldParams::GetStaffModelPath(), animal.szAnimName);
        // The animal's path models and its mesh animations.
        for (const std::vector<std::string>& models : {AnimalPathModelNames(animal), AnimalMeshNames(animal)})
            names.insert(names.end(), models.begin(), models.end());
    }
    for (uint32_t i = 0; i < params.GetSceneryCount(); ++i)
        add("%s/%s%s", WorldParams::GetSceneryModelPath(), params.GetSceneryInfo(static_cast<int32_t>(i)).szModel);
    for (uint32_t i = 0; i < params.GetShowMoveCount(); ++i)
    {
        const ShowMoveInfo& move = params.GetShowMoveInfo(static_cast<int32_t>(i));
        for (int32_t a = 0; a < move.NumAnims && a < ShowMoveInfo::kMaxAnims; ++a)
            add("%s%s%s", WorldParams::GetShowModelPath(), move.cMoveAnims[a]);
    }
    addAnims(WorldParams::GetCrowdModelPath(), "CROWDFILLER");
    return names;
}

void World::PreloadModels()
{
    // Models load through the model manager once it has been set up; the steps are counted either way. A model
    // file that is missing leaves its name without a model, as the model manager answers it.
    const bool loading = g_ModelManager.GetCapacity() > 0;
    for (const std::string& name : GetPreloadList())
    {
        if (loading)
            g_ModelManager.Load(name.c_str());
        StepLoadingProgress();
    }
    // The textures the loading wrote to get their smaller levels now, not one by one in the park's first frames.
    g_GraphicsManager.FilterDirtyTextures();
}

void World::AdvanceClock(float frameTime)
{
    // A time written into m_fGameTime directly is taken over.
    if (m_fGameTime != m_fGameTimeShown)
        SetClock(static_cast<double>(m_fGameTime));
    m_LastGameDayTime = m_GameDayTime;
    float delta = m_bPaused ? 0.0f : frameTime * m_fGameSpeed;
    // A clock never runs backwards, and a broken frame time must not poison it.
    if (!(delta > 0.0f))
        delta = 0.0f;
    if (m_bClockFrozen && !m_bClockHold && frameTime > 0.0f)
        m_dFrozenTime += static_cast<double>(frameTime);
    if (delta > kMaxGameDeltaTime)
        delta = kMaxGameDeltaTime;
    m_fGameDeltaTime = delta;
    AddGameTime(static_cast<double>(delta));
    DeriveDayAndHour();
}

void World::AddGameTime(double seconds)
{
    const double sum = m_dGameFraction + seconds;
    const double whole = std::floor(sum);
    SetExactTime(m_iGameSeconds + static_cast<int64_t>(whole), sum - whole);
}

void World::SetExactTime(int64_t seconds, double fraction)
{
    m_iGameSeconds = seconds;
    m_dGameFraction = fraction;
    m_fGameTime = static_cast<float>(GetGameTimeExact());
    m_fGameTimeShown = m_fGameTime;
}

void World::SetClock(double seconds)
{
    const double time = !(seconds > 0.0) ? 0.0 : seconds < kMaxGameTime ? seconds : kMaxGameTime;
    const double whole = std::floor(time);
    SetExactTime(static_cast<int64_t>(whole), time - whole);
}

void World::SetGameTime(double seconds)
{
    SetClock(seconds);
    DeriveDayAndHour();
    m_LastGameDayTime = m_GameDayTime;
    m_fLastGameDayTime = m_GameDayTime;
}

void World::DeriveDayAndHour()
{
    if (m_iDayLength <= 0)
        return;
    // Whole days are counted while the remainder is above a day, so the hour runs up to and including 24.
    const int64_t length = m_iDayLength;
    int64_t days = m_iGameSeconds / length;
    double rest = static_cast<double>(m_iGameSeconds % length) + m_dGameFraction;
    if (rest == 0.0 && days > 0)
    {
        --days;
        rest = static_cast<double>(length);
    }
    m_GameDay = days < INT32_MAX ? static_cast<int32_t>(days) : INT32_MAX;
    m_GameDayTime = static_cast<float>(24.0 / static_cast<double>(length) * rest);
}

uint32_t World::GetAnimationTime() const
{
    return static_cast<uint32_t>(static_cast<uint64_t>(GetGameTimeExact() * 60.0));
}

void World::SetGameSpeedLevel(int32_t level)
{
    static constexpr float kSpeeds[3] = {1.0f, 2.0f, 4.0f};
    m_GameSpeedLevel = level < 0 ? 0 : level > 2 ? 2 : level;
    m_fGameSpeed = kSpeeds[m_GameSpeedLevel];
}

void World::FreezeClock(int32_t flag)
{
    m_bClockFrozen = flag == 1;
    if (m_bClockFrozen)
        m_dFrozenTime = static_cast<double>(m_fGameTime);
}

int32_t World::GetHour() const
{
    return static_cast<int32_t>(std::floor(m_GameDayTime));
}

int32_t World::GetMinute() const
{
    return static_cast<int32_t>((m_GameDayTime - std::floor(m_GameDayTime)) * 60.0f);
}

uint32_t World::GetDrawTime() const
{
    // Animations are started on the animations' clock, so the frame is drawn on it too: a float of the game time
    // falls behind it by several ticks late in a long game, and an animation just started would be drawn at a time
    // before its own start.
    if (!m_bClockFrozen)
        return GetAnimationTime();
    const float minutes = GetTimeInMinutes();
    return std::isfinite(minutes) && minutes > 0.0f ? static_cast<uint32_t>(std::min(minutes, 4294967040.0f)) : 0u;
}

float World::GetTimeInMinutes() const
{
    // The frozen clock is kept in double precision: late in a long game a float would no longer take a frame's time.
    return m_bClockFrozen ? static_cast<float>(m_dFrozenTime * 60.0) : m_fGameTime * 60.0f;
}

BaseObject* World::GetLastCreatedBuilding() const
{
    return g_pObjectManager ? g_pObjectManager->GetObject(m_dwLastCreatedBuilding) : nullptr;
}
