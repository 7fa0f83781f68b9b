// The park's save record and its load: the World's own members, then the map, the paths, every object, the
// player, the managers, the pending messages and the cameras, in one fixed order; and the relinking after a load.
#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "scripts/WorldScript.h"
#include "world/BaseObject.h"
#include "world/CameraManager.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/Path.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <cmath>
#include <vector>

namespace
{

// The World record's size item: the same whatever the World's size in memory.
constexpr int32_t kSavedWorldSize = 2600;

// The managers in their save order after the player (the message list goes between feedback and cleaning).
template <typename Visit> void ForEachManagerBeforeMessages(const ParkManagers& managers, Visit visit)
{
    visit(managers.mechanicsRepair.get(), "the mechanics' repair manager");
    visit(managers.zooRepair.get(), "the zookeepers' repair manager");
    visit(managers.feedback.get(), "the feedback manager");
}
template <typename Visit> void ForEachManagerAfterMessages(const ParkManagers& managers, Visit visit)
{
    visit(managers.cleaning.get(), "the cleaning manager");
    visit(managers.construction.get(), "the construction manager");
    visit(managers.research.get(), "the research manager");
    visit(managers.rescue.get(), "the rescue manager");
}

} // namespace

void World::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteClassHeader("World", kSavedWorldSize);
    stream.WriteFloat("m_fGameStartTime", m_fGameStartTime);
    stream.WriteFloat("m_fGameTime", m_fGameTime);
    stream.WriteUInt("m_GameDay", static_cast<uint32_t>(m_GameDay));
    stream.WriteFloat("m_GameDayTime", m_GameDayTime);
    stream.WriteFloat("m_LastGameDayTime", m_LastGameDayTime);
    stream.WriteFloat("m_fLastGameDayTime", m_fLastGameDayTime);
    stream.WriteFloat("m_fGameDeltaTime", m_fGameDeltaTime);
    stream.WriteFloat("m_fGameSpeed", m_fGameSpeed);
    stream.WriteUInt("m_GameSpeedLevel", static_cast<uint32_t>(m_GameSpeedLevel));
    stream.WriteFloat("m_fNextStaffFeedbackTime", m_fNextStaffFeedbackTime);
    stream.WriteBool("m_bStartup", m_bStartup);
    stream.WriteUInt("m_NumValidBuildings", static_cast<uint32_t>(m_NumValidBuildings));
    stream.WriteIntArray("m_ValidBuildingIDs", m_ValidBuildingIDs, kMaxValidBuildings);
    stream.WriteBool("m_bBreakDownsAllowed", m_bBreakDownsAllowed);
    stream.WriteBool("m_bAllowLitter", m_bAllowLitter);
    stream.WriteUInt("m_ScriptFlags", m_ScriptFlags);
    stream.WriteIntArray("m_ScriptVars", m_ScriptVars, kScriptVarCount);
    stream.WriteBool("m_bPaused", m_bPaused);
    stream.WriteBool("m_bForcedPaused", m_bForcedPaused);
    stream.WriteUInt("m_NumGuests", static_cast<uint32_t>(m_NumGuests));
    stream.WriteUInt("m_NumBuildings", static_cast<uint32_t>(m_NumBuildings));
    for (uint32_t status : m_iObjectiveStatus)
        stream.WriteInt("m_iObjectiveStatus", static_cast<int32_t>(status));
    stream.WriteIntArray("m_TotalGuestArrive", m_TotalGuestArrive, 2);
    stream.WriteIntArray("m_TotalGuestDepart", m_TotalGuestDepart, 2);
    stream.WriteIntArray("m_TodayGuestArrive", m_TodayGuestArrive, 2);
    stream.WriteIntArray("m_TodayGuestDepart", m_TodayGuestDepart, 2);
    stream.WriteIntArray("m_TotalGuestUnhappyDepart", m_TotalGuestUnhappyDepart, 2);
    stream.WriteIntArray("m_TodayGuestUnhappyDepart", m_TodayGuestUnhappyDepart, 2);
    for (float value : {m_fIncomeToday, m_fDemolishIncomeToday, m_fAttractIncomeToday, m_fRetailIncomeToday,
                        m_fAnimalIncomeTotal, m_fCostsToday, m_fConstructCostToday, m_fSceneryCostToday,
                        m_fWagesCostToday, m_fStockCostToday, m_fAverageProfit, m_fAverageCost, m_fAverageIncome})
        stream.WriteFloat("money", value);
    stream.WriteArray("m_fProfitRecord", m_fProfitRecord, kHistoryLength);
    stream.WriteArray("m_fIncomeRecord", m_fIncomeRecord, kHistoryLength);
    stream.WriteArray("m_fCostRecord", m_fCostRecord, kHistoryLength);
    stream.WriteUInt("m_BuildingsConstructed", static_cast<uint32_t>(m_BuildingsConstructed));
    stream.WriteUInt("m_DiffBuildingsConstructed", static_cast<uint32_t>(m_DiffBuildingsConstructed));
    stream.WriteUInt("m_BuildingsLeftToBuild", static_cast<uint32_t>(m_BuildingsLeftToBuild));
    stream.WriteFloat("m_fLowestGuestAverage", m_fLowestGuestAverage);
    stream.WriteUInt("m_UnbuiltAfterStartup", static_cast<uint32_t>(m_UnbuiltAfterStartup));
    stream.WriteFloat("m_fTargetResearchRating", m_fTargetResearchRating);
    stream.WriteFloat("m_fCurrentResearchRating", m_fCurrentResearchRating);
    const WorldScript* script = m_ScriptManager.GetWorldScript();
    stream.WriteUInt("Worldscript state", script ? script->GetCurrentState() : WorldScript::kNoState);

    m_pWorldMap->Dump(stream);
    m_pPath->Dump(stream);
    m_pObjectManager->Dump(stream);
    m_pPlayer->Dump(stream);
    auto dump = [&stream](const OwnedParkManager* manager, const char*)
    {
        if (manager)
            manager->Dump(stream);
    };
    ForEachManagerBeforeMessages(m_Managers, dump);
    m_pMessageHandler->Dump(stream);
    ForEachManagerAfterMessages(m_Managers, dump);
    if (g_pCameraManager)
        g_pCameraManager->Dump(stream);
}

bool World::Save(SerialStream& stream) const
{
    if (!m_bBuilt)
    {
        GetLogger()->Report(0, "World::Save - there is no park to save");
        return false;
    }
    Dump(stream);
    return stream.Good();
}

bool World::LoadState(SerialStream& stream)
{
    auto refuse = [this](const char* why)
    {
        GetLogger()->Report(0, "World::LoadState - %s: the saved game can't be loaded", why);
        // What has been read so far is part of a park that does not hold together: it must not run.
        m_bBuilt = false;
        return false;
    };
    if (!m_bBuilt)
        return refuse("there is no park to load into");

    stream.BeginLoad();
    char className[BinarySerialStream::kBannerSize];
    stream.ReadClassHeader(className, sizeof className);
    float floats[9] = {};
    int32_t day = 0, speedLevel = 0, validCount = 0, guests = 0, buildings = 0;
    stream.ReadFloat(&floats[0]);
    stream.ReadFloat(&floats[1]);
    stream.ReadInt(&day);
    stream.ReadFloat(&floats[2]);
    stream.ReadFloat(&floats[3]);
    stream.ReadFloat(&floats[4]);
    stream.ReadFloat(&floats[5]);
    stream.ReadFloat(&floats[6]);
    stream.ReadInt(&speedLevel);
    stream.ReadFloat(&floats[7]);
    stream.ReadBool(&m_bStartup);
    stream.ReadInt(&validCount);
    stream.ReadIntArray(m_ValidBuildingIDs, kMaxValidBuildings);
    stream.ReadBool(&m_bBreakDownsAllowed);
    stream.ReadBool(&m_bAllowLitter);
    stream.ReadUInt(&m_ScriptFlags);
    stream.ReadIntArray(m_ScriptVars, kScriptVarCount);
    stream.ReadBool(&m_bPaused);
    stream.ReadBool(&m_bForcedPaused);
    stream.ReadInt(&guests);
    stream.ReadInt(&buildings);
    for (uint32_t& status : m_iObjectiveStatus)
        stream.ReadUInt(&status);
    stream.ReadIntArray(m_TotalGuestArrive, 2);
    stream.ReadIntArray(m_TotalGuestDepart, 2);
    stream.ReadIntArray(m_TodayGuestArrive, 2);
    stream.ReadIntArray(m_TodayGuestDepart, 2);
    stream.ReadIntArray(m_TotalGuestUnhappyDepart, 2);
    stream.ReadIntArray(m_TodayGuestUnhappyDepart, 2);
    for (float* value : {&m_fIncomeToday, &m_fDemolishIncomeToday, &m_fAttractIncomeToday, &m_fRetailIncomeToday,
                         &m_fAnimalIncomeTotal, &m_fCostsToday, &m_fConstructCostToday, &m_fSceneryCostToday,
                         &m_fWagesCostToday, &m_fStockCostToday, &m_fAverageProfit, &m_fAverageCost, &m_fAverageIncome})
        stream.ReadFloat(value);
    stream.ReadArray(m_fProfitRecord, kHistoryLength);
    stream.ReadArray(m_fIncomeRecord, kHistoryLength);
    stream.ReadArray(m_fCostRecord, kHistoryLength);
    stream.ReadInt(&m_BuildingsConstructed);
    stream.ReadInt(&m_DiffBuildingsConstructed);
    stream.ReadInt(&m_BuildingsLeftToBuild);
    stream.ReadFloat(&m_fLowestGuestAverage);
    stream.ReadInt(&m_UnbuiltAfterStartup);
    stream.ReadFloat(&m_fTargetResearchRating);
    stream.ReadFloat(&m_fCurrentResearchRating);
    uint32_t state = WorldScript::kNoState;
    stream.ReadUInt(&state);
    if (!stream.Good())
        return refuse("the park's record is cut short");
    for (float value : floats)
        if (!std::isfinite(value))
            return refuse("a clock value that is no number");
    if (floats[1] < 0.0f || static_cast<double>(floats[1]) > kMaxGameTime || day < 0)
        return refuse("a game time outside the clock");
    // The hour of the day, at the last frame and at the last hourly check: each runs from 0 up to and including 24.
    for (int i = 2; i <= 4; ++i)
        if (floats[i] < 0.0f || floats[i] > 24.0f)
            return refuse("an hour outside the day");
    // A running park's clock always moves forward (the speed keys halve it no lower than a half), and its start is
    // over before it can be saved: a record saying otherwise would give a park that stands still or never starts.
    if (!(floats[6] > 0.0f))
        return refuse("a game speed that stops the clock");
    if (m_bStartup)
        return refuse("a park that is still starting up");
    if (validCount < 0 || validCount > kMaxValidBuildings)
        return refuse("more building types than a park offers");
    if (guests < 0 || buildings < 0)
        return refuse("a negative object count");
    WorldScript* script = m_ScriptManager.GetWorldScript();
    if (state != WorldScript::kNoState && (!script || state >= script->GetNumStates()))
        return refuse("the world script's State is not one of its States");

    m_fGameStartTime = floats[0];
    SetClock(static_cast<double>(floats[1]));
    m_GameDay = day;
    m_GameDayTime = floats[2];
    m_LastGameDayTime = floats[3];
    m_fLastGameDayTime = floats[4];
    m_fGameDeltaTime = floats[5];
    SetGameSpeedLevel(speedLevel);
    m_fGameSpeed = floats[6];
    m_fNextStaffFeedbackTime = floats[7];
    m_NumValidBuildings = validCount;
    m_NumGuests = guests;
    m_NumBuildings = buildings;
    if (script && state != WorldScript::kNoState)
        script->SetCurrentState(state);

    if (!m_pWorldMap->Load(stream))
        return refuse("the map is refused");
    // The tiles are drawn again from the saved flags; the flags themselves stay as saved (a footpath the grid
    // file laid has no neighbour marks until a path is laid beside it, and the refresh would add them).
    std::vector<uint32_t> flags(m_pWorldMap->GetCellCount());
    for (uint32_t i = 0; i < flags.size(); ++i)
        flags[i] = m_pWorldMap->CellAt(i).m_uiFlags;
    m_pPathTileSet->RefreshAll();
    for (uint32_t i = 0; i < flags.size(); ++i)
        m_pWorldMap->CellAt(i).m_uiFlags = flags[i];
    if (!m_pPath->Load(stream))
        return refuse("the paths are refused");
    if (!m_pObjectManager->Load(stream))
        return refuse("the objects are refused");
    if (!m_pPlayer->Load(stream))
        return refuse("the player's account is refused");
    bool ok = true;
    const char* refused = nullptr;
    auto load = [&](OwnedParkManager* manager, const char* name)
    {
        if (ok && manager && !manager->Load(stream))
        {
            ok = false;
            refused = name;
        }
    };
    ForEachManagerBeforeMessages(m_Managers, load);
    if (ok && !m_pMessageHandler->Load(stream))
    {
        ok = false;
        refused = "the pending messages";
    }
    ForEachManagerAfterMessages(m_Managers, load);
    if (ok && g_pCameraManager && !g_pCameraManager->Load(stream))
    {
        ok = false;
        refused = "the cameras";
    }
    if (!ok || !stream.Good())
    {
        GetLogger()->Report(0, "World::LoadState - %s refused", refused ? refused : "the save");
        return refuse("a part of the park is refused");
    }
    // The rating and the guests' averages are taken at once from the loaded guests (the world script and the
    // panels read the averages from the first frame: a new park's middle values would stand in for them until the
    // next update); their next updates are the ones the saved messages hold.
    ComputeRating();
    ComputeAverages();
    return true;
}

void World::PostLoad()
{
    if (!m_pObjectManager)
        return;
    // The ride and amusement counts are not saved: they are counted again over the loaded buildings.
    m_RidesBuilt = m_AmusementBuilt = 0;
    const uint32_t count = m_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING);
    for (uint32_t slot = 0; slot < count; ++slot)
        if (BaseObject* building = m_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, slot))
        {
            building->PostLoad();
            CountBuiltCategory(*building, 1);
        }
    // Then every other object, once the buildings have seated their guests at their tables (a bench seats its own).
    for (uint32_t pool = 0; pool < ObjectManager::POOL_COUNT; ++pool)
    {
        const auto which = static_cast<ObjectManager::Pool>(pool);
        if (which == ObjectManager::POOL_BUILDING)
            continue;
        const uint32_t objects = m_pObjectManager->GetPoolCount(which);
        for (uint32_t slot = 0; slot < objects; ++slot)
            if (BaseObject* object = m_pObjectManager->GetPoolObject(which, slot))
                object->PostLoad();
    }
    // No panel is open in a park just loaded: an object saved with its panel open is told its panel was closed, as
    // the GUI tells it when it closes one, or the player's next click on it would only close the panel it no longer
    // has (and a building would count as showing one).
    for (uint32_t pool = 0; pool < ObjectManager::POOL_COUNT; ++pool)
    {
        const auto which = static_cast<ObjectManager::Pool>(pool);
        const uint32_t objects = m_pObjectManager->GetPoolCount(which);
        for (uint32_t slot = 0; slot < objects; ++slot)
            if (BaseObject* object = m_pObjectManager->GetPoolObject(which, slot);
                object && object->GetSelectLevel() == 2)
                object->ResetPanelState();
    }
}

std::unique_ptr<World> World::LoadSaved(Cursor* cursor, GameInput* input, const char* worldFile, SerialStream& stream)
{
    auto world = std::make_unique<World>(cursor, input, worldFile, true);
    if (!world->IsBuilt() || !world->LoadState(stream))
        return nullptr;
    world->PostLoad();
    return world;
}
