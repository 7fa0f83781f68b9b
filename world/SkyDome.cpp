// SkyDome: the sky's state the park sets (the dome, sun and colours join it later).
#include "world/SkyDome.h"

SkyDome g_SkyDome;

void SkyDome::Init()
{
    m_bEnabled = false;
}

bool SkyDome::LoadSurround(const char* /*ground*/, const char* cloud)
{
    m_CloudName = cloud ? cloud : "";
    // No surround model is loaded yet, so the surround stays off.
    return false;
}

void SkyDome::Update() {}

void SkyDome::Render()
{
    Update();
}
