// SoundEventManager: flags and the crowd loop.
#include "engine/media/SoundEventManager.h"

#include "engine/media/SoundManager.h"

SoundEventManager* g_pSoundEventManager = nullptr;

SoundEventManager::SoundEventManager(bool enabled) : m_bEnabled(enabled)
{
    g_pSoundEventManager = this;
}

SoundEventManager::~SoundEventManager()
{
    if (g_pSoundEventManager == this)
        g_pSoundEventManager = nullptr;
}

void SoundEventManager::Update(float) {}

void SoundEventManager::StartCrowdLoop()
{
    if (!g_pSoundManager)
        return;
    m_iCrowdSlot = g_pSoundManager->PlaySample(kCrowdLoop, SoundManager::kFlagLoop, 0.0f);
    m_fCrowdLevel = 0.0f;
    g_pSoundManager->SetSampleVolume(m_iCrowdSlot, 0.0f);
}

void SoundEventManager::StopCrowdLoop()
{
    if (g_pSoundManager)
        g_pSoundManager->StopSample(m_iCrowdSlot);
    m_iCrowdSlot = -1;
}
