// The shell's camera and voice services for the park.
#include "game/ShellParkViews.h"

#include "engine/media/ScriptedSound.h"
#include "game/ParkCommands.h"
#include "world/CameraManager.h"
#include "world/ObjectManager.h"
#include "world/StaticObject.h"
#include "world/WorldMap.h"

#include <cmath>

namespace
{
constexpr uint32_t kNoObject = 0xFFFFFFFF;
} // namespace

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

bool ShellParkViews::GetRadarView(RadarView& view)
{
    view.buildings.clear();
    view.staff.clear();
    view.guests.clear();
    view.hasCamera = false;
    if (!g_pWorldMap || !g_pObjectManager)
        return false;
    const platform::Vec3 cell = WorldMap::GridToWorld({1, 1});
    view.mapWidth = cell.x * static_cast<float>(g_pWorldMap->GetWidth());
    view.mapHeight = cell.y * static_cast<float>(g_pWorldMap->GetHeight());
    const ObjectManager& objects = *g_pObjectManager;
    for (uint32_t i = 0; i < objects.GetPoolCount(ObjectManager::POOL_BUILDING); ++i)
        if (const auto* building =
                dynamic_cast<const StaticObject*>(objects.GetPoolObject(ObjectManager::POOL_BUILDING, i)))
        {
            const platform::Vec3& at = building->GetWorldPosition();
            view.buildings.push_back({at.x, at.y, at.x + cell.x * static_cast<float>(building->GetGridW()),
                                      at.y + cell.y * static_cast<float>(building->GetGridH())});
        }
    for (const BaseObject* staff : objects.GetStaffObjects())
        view.staff.push_back({staff->GetWorldPosition().x, staff->GetWorldPosition().y});
    for (uint32_t i = 0; i < objects.GetPoolCount(ObjectManager::POOL_GUEST); ++i)
        if (const BaseObject* guest = objects.GetPoolObject(ObjectManager::POOL_GUEST, i))
            view.guests.push_back({guest->GetWorldPosition().x, guest->GetWorldPosition().y});
    if (g_pCameraManager && g_pCameraManager->GetCurrentCamera())
    {
        // Scene units are the same length along both axes of the park, so the direction in them is the one shown.
        const platform::Vec3 eye = g_pCameraManager->GetEye(), at = g_pCameraManager->GetLookAt();
        const platform::Vec3 map = WorldMap::SceneToWorld(eye.x, eye.z);
        view.hasCamera = true;
        view.camera = {map.x, map.y};
        view.heading = std::atan2(at.x - eye.x, at.z - eye.z);
    }
    return true;
}

void ShellParkViews::LookAtMapPos(float x, float y)
{
    if (!g_pCameraManager)
        return;
    // The point picked on the radar is where the player wants to look: an object the camera follows or rides on is
    // let go for the park's own camera (as an arrow key lets it go), with the hint that offered to.
    if (g_pCameraManager->GetTrackedObject() != kNoObject)
        ReleaseCamera();
    g_pCameraManager->LookAtWorldPos({x, y, 0.0f});
}
