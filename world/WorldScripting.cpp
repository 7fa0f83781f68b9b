// World: the park's side of its scripts: their messages go to the message bus, their sounds to scene positions.
#include "scripts/ObjectStates.h"
#include "world/MessageHandler.h"
#include "world/World.h"

bool World::PostScriptMessage(const MessageRecord& record)
{
    if (!g_pMessageHandler)
        return false;
    // While the park is paused a change of the world script's State waits for play to resume, and a State that
    // watches a goal asks for it again every frame: one waiting change is enough, so the next State is entered once.
    if (m_bPaused && record.dwType == MT_STATECHANGE && record.dwReciever == kWorldID &&
        g_pMessageHandler->IsWaitingForClock(record))
        return true;
    return g_pMessageHandler->Send(record);
}

bool World::PostScriptMessageDelayed(const MessageRecord& record, float delay)
{
    return g_pMessageHandler && g_pMessageHandler->SendDelayed(record, delay);
}

platform::Vec3 World::ScenePosition(const platform::Vec3& worldPosition) const
{
    // A cell is 32 map units wide and 64 long, and 4 scene units square; the map's origin is at 512.
    return {worldPosition.x / 8.0f + 512.0f, 0.0f, worldPosition.y / 16.0f + 512.0f};
}
