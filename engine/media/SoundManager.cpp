// The sound manager: back-end start-up, the 32 sample slots and their fades, master levels, listener, music stream.
#include "engine/media/SoundManager.h"

#include "engine/media/SampleBank.h"
#include "platform/Strings.h"
#include "platform/audio/Sound.h"

#include <cmath>
#include <cstring>

SoundManager* g_pSoundManager = nullptr;

namespace
{

constexpr int kOutputRate = 22050;
// A channel for each sample slot and one more for the music stream, so that a park whose slots are all busy
// still starts its next track.
constexpr int kChannelCount = SoundManager::kSlotCount + 1;
constexpr float kRolloff = 0.15f;
constexpr size_t kNameBufferSize = 260;
const char* const kSoundFolder = "data\\sounds\\";

// Mode of a sample the manager loads: always from memory; 2D or 3D; looping when flags bit 1 is set.
unsigned SampleMode(int flags, bool positional)
{
    unsigned mode = positional ? platform::kSound3D : platform::kSound2D;
    if ((flags & SoundManager::kFlagLoop) != 0)
        mode |= platform::kSoundLoop;
    return mode;
}

} // namespace

void SoundSlot::Reset()
{
    m_pName.reset();
    m_iFadeMode = kFadeNone;
    m_pSample = nullptr;
    m_iChannel = -1;
    m_bInUse = 0;
    m_iTag = -1;
    // The levels go too, so nothing a previous sample left behind is rescaled by a later SFX volume change.
    m_fVolume = 0.0f;
    m_fTarget = m_fStart = m_fCurrent = 0.0f;
    m_fFadeTime = m_fTimeLeft = 0.0f;
}

float SoundManager::ClampUnit(float value)
{
    if (!(value >= 0.0f))
        return 0.0f;
    return value > 1.0f ? 1.0f : value;
}

int SoundManager::VolumeToByte(float volume)
{
    int level = static_cast<int>(ClampUnit(volume) * 255.0f);
    return level < 3 ? 0 : level;
}

SoundManager::SoundManager(bool enabled, const char* bankName)
{
    g_pSoundManager = this;
    m_bEnabled = enabled ? 1 : 0;
    if (m_bEnabled)
    {
        if (platform::SoundInit(kOutputRate, kChannelCount))
            platform::Sound3DSetRolloffFactor(kRolloff);
        else
            m_bEnabled = 0;
    }
    for (auto& slot : m_pSlots)
    {
        slot = std::make_unique<SoundSlot>();
        slot->Reset();
    }
    SetMusicVolume(0.0f);
    SetSfxVolume(0.0f);

    char indexName[kNameBufferSize];
    char dataName[kNameBufferSize];
    const char* bank = bankName != nullptr ? bankName : "";
    platform::FormatString(indexName, sizeof(indexName), "%s%s%s", kSoundFolder, bank, ".hdr");
    platform::FormatString(dataName, sizeof(dataName), "%s%s%s", kSoundFolder, bank, ".spf");
    m_pSampleBank = std::make_unique<SampleBank>(indexName, dataName);
}

SoundManager::~SoundManager()
{
    if (m_bEnabled)
    {
        StopStream();
        StopAllSamples();
        platform::SoundClose();
    }
    m_pSampleBank.reset();
    if (g_pSoundManager == this)
        g_pSoundManager = nullptr;
}

void SoundManager::Update(float frameSeconds)
{
    if (!m_bEnabled)
        return;
    platform::SoundUpdate();
    FadeStep(frameSeconds);
    for (auto& slot : m_pSlots)
    {
        if (!slot->m_bInUse)
            continue;
        // A slot whose play found no free channel holds -1, which never plays: it is freed here as well.
        if (!platform::SoundIsPlaying(slot->m_iChannel))
        {
            slot->m_bInUse = 0;
            platform::SoundSampleFree(slot->m_pSample);
            slot->m_pSample = nullptr;
            slot->m_iChannel = -1;
        }
    }
    m_pSampleBank->Update(frameSeconds);
}

void SoundManager::FadeStep(float seconds)
{
    for (int i = 0; i < kSlotCount; ++i)
    {
        SoundSlot& slot = *m_pSlots[i];
        if (!slot.m_bInUse || slot.m_iFadeMode == SoundSlot::kFadeNone)
            continue;
        slot.m_fTimeLeft -= seconds;
        if (slot.m_fTimeLeft >= 0.0f && slot.m_fFadeTime > 0.0f)
        {
            slot.m_fCurrent += (slot.m_fTarget - slot.m_fStart) / slot.m_fFadeTime * seconds;
            platform::SoundSetVolume(slot.m_iChannel, static_cast<int>(slot.m_fCurrent));
        }
        else
        {
            platform::SoundSetVolume(slot.m_iChannel, static_cast<int>(slot.m_fTarget));
            if (slot.m_iFadeMode == SoundSlot::kFadeOut)
                StopSample(i);
            slot.m_iFadeMode = SoundSlot::kFadeNone;
        }
    }
}

int SoundManager::GetCPUUsage() const
{
    if (!m_bEnabled)
        return 0;
    return static_cast<int>(platform::SoundGetCpuUsage());
}

uint32_t SoundManager::GetMemoryUsed() const
{
    size_t current = 0;
    platform::SoundGetMemoryStats(&current, nullptr);
    return static_cast<uint32_t>(current) + m_pSampleBank->GetLoadedBytes();
}

void SoundManager::SetSfxVolume(float volume)
{
    m_fSfxVolume = ClampUnit(volume);
    for (auto& slot : m_pSlots)
    {
        if (!slot->m_bInUse)
            continue;
        int level = VolumeToByte(ClampUnit(slot->m_fVolume * m_fSfxVolume));
        if (slot->m_iFadeMode == SoundSlot::kFadeNone && m_bEnabled)
            platform::SoundSetVolume(slot->m_iChannel, level);
    }
}

void SoundManager::SetMusicVolume(float volume)
{
    m_fMusicVolume = ClampUnit(volume);
    if (m_bEnabled && m_iMusicChannel != -1)
        platform::SoundSetVolume(m_iMusicChannel, VolumeToByte(m_fMusicVolume));
}

void SoundManager::MuteSfx()
{
    if (m_bEnabled)
        platform::SoundSetSfxMasterVolume(0);
}

void SoundManager::UnmuteSfx()
{
    if (m_bEnabled)
        platform::SoundSetSfxMasterVolume(255);
}

int SoundManager::PlaySample(const char* name, int flags, float fadeIn)
{
    return StartSample2D(name, VolumeToByte(m_fSfxVolume), flags, fadeIn, m_fSfxVolume);
}

int SoundManager::PlaySampleVolume(const char* name, float volume, int flags, float fadeIn)
{
    return StartSample2D(name, VolumeToByte(volume * m_fSfxVolume), flags, fadeIn, volume);
}

int SoundManager::PlaySampleScaled(const char* name, float a, float b, int flags, float fadeIn)
{
    return StartSample2D(name, VolumeToByte(a * b), flags, fadeIn, b);
}

int SoundManager::PlaySample3D(const char* name, const float* position, int flags, int group)
{
    return StartSample3D(name, VolumeToByte(m_fSfxVolume), position, flags, group, m_fSfxVolume);
}

int SoundManager::PlaySample3DVolume(const char* name, float volume, const float* position, int flags, int group)
{
    return StartSample3D(name, VolumeToByte(volume * m_fSfxVolume), position, flags, group, volume);
}

int SoundManager::PrepareSlot(const char* name, unsigned mode, platform::SoundSample** outSample)
{
    if (!m_bEnabled || name == nullptr)
        return -1;
    int index = GetFreeSlot();
    if (index < 0)
        return -1;
    char fileName[kNameBufferSize];
    platform::FormatString(fileName, sizeof(fileName), "%s%s", name, ".wav");
    uint32_t size = 0;
    const uint8_t* data = m_pSampleBank->GetSample(fileName, &size);
    if (data == nullptr)
        return -1; // not in the bank: the slot stays free and its index is not handed out
    platform::SoundSample* sample = platform::SoundSampleLoad(data, size, mode);
    m_pSampleBank->ReleaseSample(fileName); // the back end keeps its own copy
    if (sample == nullptr)
        return -1;
    SoundSlot& slot = *m_pSlots[index];
    slot.m_pSample = sample;
    slot.m_bInUse = 1;
    if (++slot.m_uSerial == 0)
        slot.m_uSerial = 1;
    size_t length = std::strlen(fileName) + 1;
    slot.m_pName = std::make_unique<char[]>(length);
    std::memcpy(slot.m_pName.get(), fileName, length);
    *outSample = sample;
    return index;
}

int SoundManager::StartSample2D(const char* name, int channelVolume, int flags, float fadeIn, float slotVolume)
{
    platform::SoundSample* sample = nullptr;
    int index = PrepareSlot(name, SampleMode(flags, false), &sample);
    if (index < 0)
        return -1;
    SoundSlot& slot = *m_pSlots[index];
    slot.m_fTarget = static_cast<float>(channelVolume);
    slot.m_fVolume = slotVolume;
    int firstVolume = channelVolume;
    if (fadeIn > 0.0f)
    {
        slot.m_iFadeMode = SoundSlot::kFadeTo;
        slot.m_fFadeTime = slot.m_fTimeLeft = fadeIn;
        slot.m_fStart = slot.m_fCurrent = 0.0f;
        firstVolume = 0;
    }
    // Started paused and released once its level is set: the mixer never hears it at the default level.
    slot.m_iChannel = platform::SoundPlay(sample, true);
    if (slot.m_iChannel != -1)
    {
        platform::SoundSetVolume(slot.m_iChannel, firstVolume);
        platform::SoundSetPaused(slot.m_iChannel, false);
    }
    return index;
}

int SoundManager::StartSample3D(const char* name, int channelVolume, const float* position, int flags, int group,
                                float slotVolume)
{
    platform::SoundSample* sample = nullptr;
    int index = PrepareSlot(name, SampleMode(flags, true), &sample);
    if (index < 0)
        return -1;
    SoundSlot& slot = *m_pSlots[index];
    slot.m_iTag = group;
    // Recorded like a 2D start, so a later SFX volume change rescales this slot from its own level.
    slot.m_fVolume = slotVolume;
    slot.m_fTarget = static_cast<float>(channelVolume);
    slot.m_iChannel = platform::SoundPlay(sample, true);
    if (slot.m_iChannel != -1)
    {
        platform::SoundSetVolume(slot.m_iChannel, channelVolume);
        const float origin[3] = {0.0f, 0.0f, 0.0f};
        platform::Sound3DSetAttributes(slot.m_iChannel, position != nullptr ? position : origin, nullptr);
        platform::SoundSetPaused(slot.m_iChannel, false);
    }
    return index;
}

void SoundManager::FadeSampleTo(int index, float volume, float seconds)
{
    if (!ValidIndex(index))
        return;
    SoundSlot& slot = *m_pSlots[index];
    if (!slot.m_bInUse)
        return;
    slot.m_fVolume = volume;
    const float target = static_cast<float>(VolumeToByte(volume * m_fSfxVolume));
    // A fade already heading for this level runs on to its end: started over from the truncated channel volume
    // every frame, it would stall a few steps short of the level.
    if (slot.m_iFadeMode == SoundSlot::kFadeTo && slot.m_fTarget == target && seconds > 0.0f)
        return;
    slot.m_fTarget = target;
    if (!(seconds > 0.0f))
    {
        // No time to fade over: the level is set at once.
        slot.m_iFadeMode = SoundSlot::kFadeNone;
        slot.m_fFadeTime = slot.m_fTimeLeft = 0.0f;
        slot.m_fStart = slot.m_fCurrent = slot.m_fTarget;
        platform::SoundSetVolume(slot.m_iChannel, static_cast<int>(slot.m_fTarget));
        return;
    }
    slot.m_iFadeMode = SoundSlot::kFadeTo;
    slot.m_fFadeTime = slot.m_fTimeLeft = seconds;
    slot.m_fStart = slot.m_fCurrent = static_cast<float>(platform::SoundGetVolume(slot.m_iChannel));
}

int SoundManager::FadeOutSample(int index, float seconds)
{
    if (!ValidIndex(index))
        return 0;
    SoundSlot& slot = *m_pSlots[index];
    int present = platform::SoundGetVolume(slot.m_iChannel);
    slot.m_fTarget = 0.0f;
    slot.m_fStart = slot.m_fCurrent = static_cast<float>(present);
    if (!(seconds > 0.0f))
    {
        // No time to fade over: the slot stops at once.
        slot.m_iFadeMode = SoundSlot::kFadeNone;
        slot.m_fFadeTime = slot.m_fTimeLeft = 0.0f;
        StopSample(index);
        return present;
    }
    slot.m_iFadeMode = SoundSlot::kFadeOut;
    slot.m_fFadeTime = slot.m_fTimeLeft = seconds;
    return present;
}

void SoundManager::SetSampleVolume(int index, float volume)
{
    if (!ValidIndex(index))
        return;
    platform::SoundSetVolume(m_pSlots[index]->m_iChannel, VolumeToByte(volume * m_fSfxVolume));
}

void SoundManager::StopSample(int index)
{
    if (!ValidIndex(index))
        return;
    SoundSlot& slot = *m_pSlots[index];
    if (!slot.m_bInUse || slot.m_iChannel == -1)
        return;
    platform::SoundStop(slot.m_iChannel);
    platform::SoundSampleFree(slot.m_pSample);
    slot.m_pSample = nullptr;
    slot.m_bInUse = 0;
}

void SoundManager::StopAllSamples()
{
    if (!m_bEnabled)
        return;
    for (int i = 0; i < kSlotCount; ++i)
        StopSample(i);
    Update(0.0f);
}

int SoundManager::FindSample(const char* name) const
{
    if (!m_bEnabled || name == nullptr)
        return -1;
    char fileName[kNameBufferSize];
    platform::FormatString(fileName, sizeof(fileName), "%s%s", name, ".wav");
    for (int i = 0; i < kSlotCount; ++i)
    {
        const SoundSlot& slot = *m_pSlots[i];
        if (slot.m_bInUse && slot.m_pName && platform::StrICmp(slot.m_pName.get(), fileName) == 0)
            return i;
    }
    return -1;
}

bool SoundManager::HasSample(const char* name) const
{
    if (name == nullptr)
        return false;
    char fileName[kNameBufferSize];
    platform::FormatString(fileName, sizeof(fileName), "%s%s", name, ".wav");
    return m_pSampleBank->HasSample(fileName);
}

int SoundManager::CountSlotsWithTag(int tag) const
{
    if (!m_bEnabled)
        return 0;
    int count = 0;
    for (const auto& slot : m_pSlots)
    {
        if (slot->m_bInUse && slot->m_iTag == tag)
            ++count;
    }
    return count;
}

int SoundManager::GetSampleVolume(int index) const
{
    if (!ValidIndex(index))
        return 0;
    const SoundSlot& slot = *m_pSlots[index];
    if (!slot.m_bInUse || slot.m_iChannel == -1)
        return 0;
    return platform::SoundGetVolume(slot.m_iChannel);
}

uint32_t SoundManager::GetSlotSerial(int index) const
{
    if (!ValidIndex(index) || !m_pSlots[index]->m_bInUse)
        return 0;
    return m_pSlots[index]->m_uSerial;
}

int SoundManager::GetFreeSlot()
{
    for (int i = 0; i < kSlotCount; ++i)
    {
        if (!m_pSlots[i]->m_bInUse)
        {
            m_pSlots[i]->Reset();
            return i;
        }
    }
    return -1;
}

void SoundManager::SetListener(const float* position, const float* forward, const float* up)
{
    if (!m_bEnabled || position == nullptr || forward == nullptr || up == nullptr)
        return;
    platform::Sound3DListenerSetAttributes(position, nullptr, forward[0], forward[1], forward[2], up[0], up[1], up[2]);
}

void SoundManager::GetListener(float* position) const
{
    if (m_bEnabled && position != nullptr)
        platform::Sound3DListenerGetAttributes(position, nullptr, nullptr, nullptr);
}

bool SoundManager::PlayStream(const char* path)
{
    if (!m_bEnabled || path == nullptr)
        return false;
    if (m_pMusicStream != nullptr)
        StopStream();
    if (IsKnownMissing(path))
        return false;
    m_pMusicStream = platform::SoundStreamOpen(path);
    if (m_pMusicStream == nullptr)
    {
        if (m_missingStreams.size() >= kMaxMissingStreams)
            m_missingStreams.clear();
        m_missingStreams.push_back({path, platform::StampPath(path)});
        return false;
    }
    m_iMusicChannel = platform::SoundStreamPlay(m_pMusicStream, true);
    if (m_iMusicChannel == -1)
        return false;
    platform::SoundSetVolume(m_iMusicChannel, VolumeToByte(m_fMusicVolume));
    platform::SoundSetPaused(m_iMusicChannel, false);
    return true;
}

bool SoundManager::IsKnownMissing(const char* path)
{
    for (auto it = m_missingStreams.begin(); it != m_missingStreams.end(); ++it)
    {
        if (it->path != path)
            continue;
        if (platform::IsStampCurrent(it->stamp))
            return true;
        m_missingStreams.erase(it);
        return false;
    }
    return false;
}

bool SoundManager::IsStreamPlaying() const
{
    return m_bEnabled && m_iMusicChannel != -1 && platform::SoundIsPlaying(m_iMusicChannel);
}

bool SoundManager::IsStreamPaused() const
{
    return m_bEnabled && m_iMusicChannel != -1 && platform::SoundGetPaused(m_iMusicChannel);
}

void SoundManager::PauseStream()
{
    if (m_bEnabled && m_iMusicChannel != -1)
        platform::SoundSetPaused(m_iMusicChannel, true);
}

void SoundManager::ResumeStream()
{
    if (m_bEnabled && m_iMusicChannel != -1)
        platform::SoundSetPaused(m_iMusicChannel, false);
}

void SoundManager::StopStream()
{
    if (!m_bEnabled || m_pMusicStream == nullptr)
        return;
    platform::SoundStreamStop(m_pMusicStream);
    platform::SoundStreamClose(m_pMusicStream);
    m_pMusicStream = nullptr;
    m_iMusicChannel = -1;
}

uint32_t SoundManager::GetStreamLengthMs() const
{
    return m_bEnabled ? platform::SoundStreamGetLengthMs(m_pMusicStream) : 0;
}

uint32_t SoundManager::GetStreamTimeMs() const
{
    return m_bEnabled ? platform::SoundStreamGetTimeMs(m_pMusicStream) : 0;
}
