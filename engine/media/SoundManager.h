// SoundManager: the one owner of the sound back end: 32 sample slots with fades, one music stream, master levels.
#pragma once

#include "platform/Paths.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SampleBank;

namespace platform
{
struct SoundSample;
struct SoundStream;
} // namespace platform

// One playing sample of the manager's fixed table.
struct SoundSlot
{
    enum FadeMode : int32_t
    {
        kFadeNone = 0,
        kFadeTo = 1,  // fading to a level
        kFadeOut = 2, // fading out; the slot stops at the end
    };

    // Frees the name and returns the slot to its empty state (no sample, no channel, no tag, no levels).
    void Reset();

    std::unique_ptr<char[]> m_pName; // the sample's name with ".wav" appended, as looked up
    int32_t m_iFadeMode = kFadeNone;
    platform::SoundSample* m_pSample = nullptr;
    int32_t m_iChannel = -1;
    float m_fVolume = 0.0f; // the slot's own level before the SFX volume is applied
    float m_fTarget = 0.0f; // channel volume 0..255 at the end of the fade
    float m_fStart = 0.0f;  // channel volume at the start of the fade
    float m_fCurrent = 0.0f;
    float m_fFadeTime = 0.0f;
    float m_fTimeLeft = 0.0f;
    int32_t m_iTag = -1; // sound group of a positional sound, -1 for none
    uint8_t m_bInUse = 0;
    // Counts the samples the slot has held (kept by Reset): a caller that keeps a slot index checks it still
    // holds its own sample before it fades or stops it.
    uint32_t m_uSerial = 0;
};

class SoundManager
{
public:
    static constexpr int kSlotCount = 32;
    static constexpr int kFlagLoop = 2; // flags bit 1: the sample loops

    // Starts the back end when `enabled` (a failure disables sound for good) and opens the bank
    // "data\sounds\<bankName>.hdr" / ".spf" in any case.
    SoundManager(bool enabled, const char* bankName);
    ~SoundManager();

    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Once per frame: back-end update, fades, finished slots freed, sample bank idle times.
    void Update(float frameSeconds);

    int GetCPUUsage() const;
    uint32_t GetMemoryUsed() const;

    void SetSfxVolume(float volume);
    float GetSfxVolume() const { return m_fSfxVolume; }
    void SetMusicVolume(float volume);
    float GetMusicVolume() const { return m_fMusicVolume; }
    void MuteSfx();
    void UnmuteSfx();

    // Samples by name without extension. The result is the slot index 0..31, or -1 when nothing plays.
    int PlaySample(const char* name, int flags, float fadeIn);
    int PlaySampleVolume(const char* name, float volume, int flags, float fadeIn);
    int PlaySampleScaled(const char* name, float a, float b, int flags, float fadeIn);
    // `position` is three floats x, y, z in scene units.
    int PlaySample3D(const char* name, const float* position, int flags, int group);
    int PlaySample3DVolume(const char* name, float volume, const float* position, int flags, int group);

    // Slot control: a negative index (the -1 of a failed play) is ignored, and so is one past the table.
    // A fade asked again for the level it is already heading for keeps running rather than starting over.
    void FadeSampleTo(int index, float volume, float seconds);
    int FadeOutSample(int index, float seconds);
    void SetSampleVolume(int index, float volume);
    void StopSample(int index);
    void StopAllSamples();
    int FindSample(const char* name) const;
    bool HasSample(const char* name) const;
    int CountSlotsWithTag(int tag) const;
    int GetSampleVolume(int index) const;
    int GetFreeSlot();
    // The serial of the sample a slot holds now (never 0); 0 when the index is out of the table or the slot is
    // free. A slot index kept with its serial names the same sample for as long as the two still match.
    uint32_t GetSlotSerial(int index) const;

    // Listener: position, unit forward and up vectors, three floats each.
    void SetListener(const float* position, const float* forward, const float* up);
    void GetListener(float* position) const;

    // The music stream. A path that could not be opened is remembered as missing: asking for it again fails at
    // once, without looking through folders, until the folder it is looked for in (or the file) changes.
    bool PlayStream(const char* path);
    // Forgets which streams were missing (the play list changed).
    void ForgetMissingStreams() { m_missingStreams.clear(); }
    bool IsStreamPlaying() const;
    // True while the open stream is paused by PauseStream (the jukebox resumes instead of restarting).
    bool IsStreamPaused() const;
    void PauseStream();
    void ResumeStream();
    void StopStream();
    // Length and play position of the open stream in milliseconds; 0 when none.
    uint32_t GetStreamLengthMs() const;
    uint32_t GetStreamTimeMs() const;

    bool IsEnabled() const { return m_bEnabled != 0; }
    float GetNearDistance() const { return m_fNearDistance; }
    float GetFarDistance() const { return m_fFarDistance; }
    const SoundSlot& GetSlot(int index) const { return *m_pSlots[index]; }
    SampleBank* GetSampleBank() const { return m_pSampleBank.get(); }

    // Clamps to 0..1 (below 0 or not a number gives 0).
    static float ClampUnit(float value);
    // 0..1 to a channel volume 0..255, truncated; results below 3 become 0.
    static int VolumeToByte(float volume);

private:
    int StartSample2D(const char* name, int channelVolume, int flags, float fadeIn, float slotVolume);
    int StartSample3D(const char* name, int channelVolume, const float* position, int flags, int group,
                      float slotVolume);
    // Takes a free slot and loads the named sample into a new back-end sample; -1 when either fails.
    int PrepareSlot(const char* name, unsigned mode, platform::SoundSample** outSample);
    void FadeStep(float seconds);
    bool ValidIndex(int index) const { return index >= 0 && index < kSlotCount; }
    // Whether the path is remembered as missing and its folder is as it was; a changed folder is forgotten.
    bool IsKnownMissing(const char* path);

    // A stream path that could not be opened, and what its lookup depended on.
    struct MissingStream
    {
        std::string path;
        platform::PathStamp stamp;
    };
    static constexpr size_t kMaxMissingStreams = 32;

    uint8_t m_bEnabled = 0;
    platform::SoundStream* m_pMusicStream = nullptr;
    int32_t m_iMusicChannel = -1;
    float m_fMusicVolume = 0.0f;
    std::unique_ptr<SoundSlot> m_pSlots[kSlotCount];
    float m_fSfxVolume = 0.0f;
    float m_fNearDistance = 30.0f;
    float m_fFarDistance = 100.0f;
    std::unique_ptr<SampleBank> m_pSampleBank;
    std::vector<MissingStream> m_missingStreams;
};

extern SoundManager* g_pSoundManager;
