// World: drawing the park's frame: sky, ground, the scene's models and the floating texts.
#include "world/World.h"

#include "engine/render/Scene.h"
#include "world/FloatingTextList.h"
#include "world/SkyDome.h"
#include "world/WorldMap.h"

void World::Render()
{
    m_GuestsDrawn = 0;
    g_SkyDome.SetEnabled(true);
    g_SkyDome.Render();
    if (m_pWorldMap)
        m_pWorldMap->Render();
    if (m_pScene && !m_bSceneHidden)
        m_pScene->Render();
    if (m_pFloatingTexts)
        m_pFloatingTexts->Render();
}

void World::RenderGui()
{
    // The GUI manager draws its screen objects here once it exists.
}
