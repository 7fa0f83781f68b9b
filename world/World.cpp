// World: construction of the clock, the frame's clock step and the control messages.
#include "world/World.h"

#include "engine/core/GameParameters.h"
#include "scripts/ObjectStates.h"
#include "world/BaseObject.h"
#include "world/ObjectManager.h"

#include <cmath>

World* g_pWorld = nullptr;

World::World()
{
    g_pWorld = this;
    int32_t dayLength = 0;
    if (g_pGameParameters && g_pGameParameters->GetInt("iDAY_LENGTH_IN_SECONDS", &dayLength) && dayLength > 0)
    {
        m_iDayLength = dayLength;
        m_fGameTime = static_cast<float>(dayLength) / 24.0f * 9.0f;
        m_GameDayTime = m_fGameTime * 24.0f / static_cast<float>(dayLength);
        m_LastGameDayTime = m_GameDayTime;
    }
    m_bStartup = false;
}

World::~World()
{
    if (g_pWorld == this)
        g_pWorld = nullptr;
}

bool World::HandleMessage(const MessageRecord& record, const void* payload)
{
    // Creation requests are carried out by the park's creation handlers; until they exist none is taken.
    if (payload)
        return false;
    if (record.dwType == MT_KILLOBJECT)
    {
        if (BaseObject* object = g_pObjectManager ? g_pObjectManager->GetObject(record.dwData) : nullptr)
            object->SetWaitingForDeath(true);
    }
    else if (record.dwType != MT_OBJECTCREATED && record.dwType != MT_UPDATERATING &&
             record.dwType != MT_UPDATEAVERAGES && record.dwType != MT_UNLOCK_SCENARIO)
        HandleWorldScriptMessage(record);
    return true;
}

void World::AdvanceClock(float frameTime)
{
    m_LastGameDayTime = m_GameDayTime;
    float delta = m_bPaused ? 0.0f : frameTime * m_fGameSpeed;
    // A clock never runs backwards, and a broken frame time must not poison it.
    if (!(delta > 0.0f))
        delta = 0.0f;
    if (delta > kMaxGameDeltaTime)
        delta = kMaxGameDeltaTime;
    m_fGameDeltaTime = delta;
    m_fGameTime += delta;
    if (m_iDayLength <= 0)
        return;
    // Whole days are counted while the remainder is above a day, so the hour runs up to and including 24.
    const double length = m_iDayLength;
    double rest = m_fGameTime;
    double days = 0.0;
    if (rest > length)
    {
        days = std::ceil(rest / length) - 1.0;
        rest -= days * length;
    }
    m_GameDay = days < 2147483647.0 ? static_cast<int32_t>(days) : 2147483647;
    m_GameDayTime = static_cast<float>(24.0 / length * rest);
}
