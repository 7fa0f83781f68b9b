// LitterObject: creation, where a piece lies in its cell, its cleaning request, its sweeping and its save record.
#include "park/LitterObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "park/CleaningManager.h"
#include "park/ParkManagers.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/World.h"

#include <cstdio>
#include <numbers>

namespace
{

const SceneryInfo kNoType{};

} // namespace

LitterObject::LitterObject() : StaticObject(4), m_pInfo(&kNoType) {}

void LitterObject::Create(const char* name)
{
    StaticObject::Create(name);
    m_pInfo = &kNoType;
    if (g_pWorldParams && g_pWorldParams->GetSceneryCount() > 0)
        m_pInfo = &g_pWorldParams->GetSceneryInfo(g_pWorldParams->GetSceneryID(m_Name));
    m_bGridW = static_cast<uint8_t>(m_pInfo->iGridWidth);
    m_bGridH = static_cast<uint8_t>(m_pInfo->iGridHeight);
    char path[256];
    std::snprintf(path, sizeof path, "%s/%s%s", WorldParams::GetSceneryModelPath(), m_pInfo->szModel,
                  WorldParams::GetModelExtension());
    if (SetModel(path) != 0)
        return;
    std::snprintf(path, sizeof path, "%s/%s%s", WorldParams::GetSceneryModelPath(), kFallbackModel,
                  WorldParams::GetModelExtension());
    if (SetModel(path) != 0 || g_ModelManager.GetCapacity() == 0)
        return;
    // Not even the fallback: the placeholder every missing model shows stands in, and the game goes on.
    GetLogger()->Report(
        1, "LitterObject::Create - can't load a suitable litter model for %s: the placeholder stands in", m_Name);
    SetModel(ModelManager::kPlaceholderName);
}

bool LitterObject::SetUpFromRequest(uint8_t kind, const void* request)
{
    if (kind == OBJECT_LITTER && request)
        SetDirection(static_cast<const LitterCreationRequest*>(request)->bDirection & 3);
    return true;
}

bool LitterObject::IsStateSupported(uint32_t state)
{
    return state == STATE_NULL || state == STATE_STARTUP || state == STATE_DEMOLISHED || state == STATE_OCCUPIED;
}

bool LitterObject::OnStateEntry(uint32_t state)
{
    if (state == STATE_STARTUP)
        StartUp();
    else if (state == STATE_DEMOLISHED)
        Demolished();
    return true;
}

void LitterObject::TurnAtRandom()
{
    const float turn = static_cast<float>(platform::Rand() % 360) / 360.0f * 2.0f * std::numbers::pi_v<float>;
    SetOrientation(0.0f, turn, 0.0f);
}

void LitterObject::StartUp()
{
    // Whether a cleaner is at it (or it is occupied) as it starts, before it settles.
    const bool busy = IsCleaningBusy();
    MessageRecord settle;
    settle.dwSender = m_dwID;
    settle.dwReciever = m_dwID;
    settle.dwType = MT_STATECHANGE;
    settle.dwData = STATE_NULL;
    PostMessage(settle);

    // Anywhere within a quarter cell of the middle of its cell.
    const int32_t c = g_pWorldMap ? g_pWorldMap->GetCellSize() : WorldMap::kDefaultCellSize;
    const platform::Vec3 centre = WorldMap::GetCellCentre(GetGridPos());
    const float dx = static_cast<float>(platform::Rand() % (c / 2) - c / 4);
    const float dy = static_cast<float>(platform::Rand() % (c / 2) - c / 4);
    SetWorldPosition({centre.x + dx, centre.y + dy, 0.0f});
    SetPositionVec(WorldMap::WorldToScene(m_WorldXYZ));
    TurnAtRandom();

    if (!busy && !m_bCalledCleaning && !m_bCleanerCalledByPlayer)
    {
        if (CleaningManager* cleaning = GetCleaningManager())
            cleaning->RequestCleaning(m_dwID);
        m_bCalledCleaning = true;
    }
}

void LitterObject::Demolished()
{
    m_bWaitingForDeath = true;
    if (CleaningManager* cleaning = GetCleaningManager())
        cleaning->CancelCleaning(m_dwID);
    if (g_pWorld && g_pMessageHandler)
    {
        MessageRecord removed;
        removed.dwSender = m_dwID;
        removed.dwType = MT_BUILDING_BEING_REMOVED;
        g_pWorld->SendToAllOfKind(removed, OBJECT_CLEANER);
    }
}

bool LitterObject::Update()
{
    if (!StaticObject::Update())
        GetLogger()->Report(0, "Scenery::Update - error calling staticobject::update - %s", m_Name);
    return true;
}

bool LitterObject::Render()
{
    const uint32_t everyPart = 0xFFFFFFFF;
    g_GraphicsManager.DrawModel(m_hModel, m_uVisibility, m_Pos, m_Ori, everyPart, nullptr, 0, 0);
    return true;
}

void LitterObject::Dump(SerialStream& stream)
{
    StaticObject::Dump(stream);
}

bool LitterObject::Load(SerialStream& stream)
{
    if (!StaticObject::Load(stream))
        return false;
    SetPositionVec(WorldMap::WorldToScene(m_WorldXYZ));
    // The saved turn is kept: a turn drawn afresh would make a loaded park save differently from the one saved and
    // would take a number from the random sequence the park runs on.
    return true;
}
