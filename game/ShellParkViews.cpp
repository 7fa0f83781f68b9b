// The shell's camera and voice services for the park.
#include "game/ShellParkViews.h"

#include "engine/media/ScriptedSound.h"
#include "world/CameraManager.h"

void ShellParkViews::LookAt(const platform::Vec3& mapPosition)
{
    if (g_pCameraManager)
        g_pCameraManager->LookAtWorldPos(mapPosition);
}

void ShellParkViews::PauseFollowing(uint32_t id)
{
    if (g_pCameraManager)
        g_pCameraManager->PauseFollowing(id);
}

void ShellParkViews::ResumeFollowing(uint32_t id)
{
    if (g_pCameraManager)
        g_pCameraManager->ResumeFollowing(id);
}

void ShellParkViews::PlayOpinionSound(int32_t sound, const platform::Vec3& mapPosition)
{
    if (g_pScriptedSound)
        g_pScriptedSound->PlayOpinionSound(sound, mapPosition);
}
