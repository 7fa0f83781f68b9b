// SoundEventManager: object loops against the listener, the one-shot queue with its group limits, the crowd level.
#include "engine/media/SoundEventManager.h"

#include "engine/core/Logger.h"
#include "engine/media/ScriptedSound.h"
#include "engine/media/SoundManager.h"
#include "engine/media/SoundPark.h"
#include "platform/Strings.h"

#include <cfloat>
#include <cmath>
#include <cstring>

SoundEventManager* g_pSoundEventManager = nullptr;

namespace
{

// Whether the slot still holds the sample that was started in it.
bool HoldsOwnSample(const SoundManager& sound, int32_t slot, uint32_t serial)
{
    return serial != 0 && sound.GetSlotSerial(slot) == serial;
}

} // namespace

float DistanceVolume(float nearDistance, float farDistance, float distance, float volume)
{
    if (!(distance <= farDistance))
        return 0.0f;
    if (distance < nearDistance)
        return volume;
    if (!(farDistance > nearDistance))
        return volume; // no fading range: full level up to the far distance
    return (1.0f - (distance - nearDistance) / (farDistance - nearDistance)) * volume;
}

SoundEventManager::SoundEventManager(bool enabled) : m_bEnabled(enabled)
{
    g_pSoundEventManager = this;
}

SoundEventManager::~SoundEventManager()
{
    if (g_pSoundEventManager == this)
        g_pSoundEventManager = nullptr;
}

bool SoundEventManager::CopyName(char (&to)[32], const char* name)
{
    if (!name)
        return false;
    if (std::strlen(name) > kMaxNameLength)
    {
        GetLogger()->Report(1, "SoundEventManager - sound name longer than %zu characters refused: %s", kMaxNameLength,
                            name);
        return false;
    }
    platform::CopyString(to, sizeof to, name);
    return true;
}

void SoundEventManager::Update(float frameSeconds)
{
    if (!g_pSoundManager)
        return;
    if (m_bEnabled)
    {
        UpdateObjectSounds();
        UpdateQueue(frameSeconds);
    }
    UpdateCrowd();
}

void SoundEventManager::UpdateObjectSounds()
{
    SoundManager& sound = *g_pSoundManager;
    const float farDistance = sound.GetFarDistance();
    const bool musicLoud = sound.IsStreamPlaying() && sound.GetMusicVolume() > kLoudMusic;
    for (ObjectSound& entry : m_ObjectSounds)
    {
        platform::Vec3 at = {0.0f, 0.0f, 0.0f};
        if (!g_pSoundPark || !g_pSoundPark->GetObjectSoundPosition(entry.objectId, at))
            continue; // the object is gone: the entry waits
        float listener[3] = {0.0f, 0.0f, 0.0f};
        sound.GetListener(listener);
        const float dx = at.x - listener[0], dy = at.y - listener[1], dz = at.z - listener[2];
        const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
        const bool silenced = m_bObjectSoundsSuspended || (musicLoud && !entry.playsOverMusic);
        // A slot stopped from outside (all samples stopped, its channel lost) may hold another sound by now: the
        // entry no longer plays and starts again below.
        if (entry.playing && !HoldsOwnSample(sound, entry.slot, entry.serial))
        {
            entry.playing = 0;
            entry.slot = -1;
        }
        const float level = DistanceVolume(sound.GetNearDistance(), farDistance, d, entry.volume);
        if (entry.playing)
        {
            if (silenced || !(d <= farDistance))
            {
                sound.FadeOutSample(entry.slot, kObjectFadeOut);
                entry.playing = 0;
            }
            else
                sound.FadeSampleTo(entry.slot, level, kObjectFadeStep);
        }
        else if (d < farDistance && !silenced)
        {
            entry.slot = sound.PlaySampleVolume(entry.name, level, SoundManager::kFlagLoop, kObjectFadeIn);
            entry.serial = sound.GetSlotSerial(entry.slot);
            entry.playing = entry.slot != -1;
        }
    }
}

void SoundEventManager::UpdateQueue(float frameSeconds)
{
    SoundManager& sound = *g_pSoundManager;
    float listener[3] = {0.0f, 0.0f, 0.0f};
    sound.GetListener(listener);
    const float farDistance = sound.GetFarDistance();
    size_t kept = 0;
    for (size_t i = 0; i < m_Queue.size(); ++i)
    {
        PositionalSound& queued = m_Queue[i];
        // The range is measured over the ground: x and z (y is up).
        const float dx = queued.position[0] - listener[0], dz = queued.position[2] - listener[2];
        bool stays = false;
        if (!(dx * dx + dz * dz <= farDistance * farDistance))
            stays = false; // out of earshot: dropped
        else if (queued.group != -1 && sound.CountSlotsWithTag(queued.group) >= queued.limit)
            stays = false; // its group is full: dropped
        else if (sound.PlaySample3DVolume(queued.name, queued.volume, queued.position, 0, queued.group) != -1)
            stays = false; // playing
        else if (!queued.waiting)
        {
            queued.waiting = 1;
            queued.waitLeft = kSlotWait;
            stays = true;
        }
        else
        {
            queued.waitLeft -= frameSeconds;
            stays = queued.waitLeft > 0.0f;
        }
        if (stays)
            m_Queue[kept++] = queued;
    }
    m_Queue.resize(kept);
}

void SoundEventManager::UpdateCrowd()
{
    if (!g_pSoundPark || (g_pSoundPark->IsPaused() && !m_bCrowdMuted))
        return;
    const ScriptedSound* script = g_pScriptedSound;
    const float maxNumber = script ? script->GetMaxNumber() : ScriptedSound::kDefaultMaxNumber;
    const float maxVolume = script ? script->GetMaxVolume() : ScriptedSound::kDefaultMaxVolume;
    const float fadeTime = script ? script->GetFadeTime() : ScriptedSound::kDefaultFadeTime;
    float target = 0.0f;
    if (!m_bCrowdMuted)
    {
        target = static_cast<float>(g_pSoundPark->GetGuestsDrawn()) / maxNumber * maxVolume;
        if (target > maxVolume)
            target = maxVolume;
    }
    const float sfx = g_pSoundManager->GetSfxVolume();
    if (std::fabs(target - m_fCrowdLevel) < FLT_EPSILON && sfx == m_fCrowdSfx)
        return;
    if (HoldsOwnSample(*g_pSoundManager, m_iCrowdSlot, m_uCrowdSerial))
        g_pSoundManager->FadeSampleTo(m_iCrowdSlot, target, fadeTime);
    m_fCrowdLevel = target;
    m_fCrowdSfx = sfx;
}

void SoundEventManager::PlayAtPosition(const char* name, const platform::Vec3& scenePosition, float volume,
                                       int32_t limit, int32_t group)
{
    if (!m_bEnabled)
        return;
    PositionalSound queued;
    if (!CopyName(queued.name, name))
        return;
    queued.position[0] = scenePosition.x;
    queued.position[1] = scenePosition.y;
    queued.position[2] = scenePosition.z;
    queued.volume = volume;
    queued.limit = limit;
    queued.group = group;
    m_Queue.push_back(queued);
    // A new request displaces the sounds still waiting from earlier frames.
    std::erase_if(m_Queue, [](const PositionalSound& sound) { return sound.waiting != 0; });
}

void SoundEventManager::PlayForObject(const char* name, uint32_t objectId, float volume, bool playsOverMusic)
{
    if (!m_bEnabled)
        return;
    for (const ObjectSound& entry : m_ObjectSounds)
    {
        if (entry.objectId == objectId)
            return;
    }
    ObjectSound entry;
    if (!CopyName(entry.name, name))
        return;
    entry.objectId = objectId;
    entry.volume = volume;
    entry.playsOverMusic = playsOverMusic ? 1 : 0;
    m_ObjectSounds.push_back(entry);
}

void SoundEventManager::StopForObject(uint32_t objectId)
{
    if (!m_bEnabled)
        return;
    for (auto it = m_ObjectSounds.begin(); it != m_ObjectSounds.end(); ++it)
    {
        if (it->objectId != objectId)
            continue;
        if (it->playing && g_pSoundManager && HoldsOwnSample(*g_pSoundManager, it->slot, it->serial))
            g_pSoundManager->FadeOutSample(it->slot, kObjectFadeOut);
        m_ObjectSounds.erase(it);
        return;
    }
}

void SoundEventManager::StartCrowdLoop()
{
    if (!g_pSoundManager)
        return;
    m_iCrowdSlot = g_pSoundManager->PlaySample(kCrowdLoop, SoundManager::kFlagLoop, 0.0f);
    m_uCrowdSerial = g_pSoundManager->GetSlotSerial(m_iCrowdSlot);
    m_fCrowdLevel = 0.0f;
    m_fCrowdSfx = g_pSoundManager->GetSfxVolume();
    // Silent until the first crowd step, as the slot's own level too: an effects volume change rescales a slot by
    // that level, and would otherwise bring the loop in at full strength with no guests in view.
    g_pSoundManager->FadeSampleTo(m_iCrowdSlot, 0.0f, 0.0f);
}

void SoundEventManager::StopCrowdLoop()
{
    if (g_pSoundManager && HoldsOwnSample(*g_pSoundManager, m_iCrowdSlot, m_uCrowdSerial))
        g_pSoundManager->StopSample(m_iCrowdSlot);
    m_iCrowdSlot = -1;
    m_uCrowdSerial = 0;
}
