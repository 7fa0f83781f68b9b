// SoundEventManager: the positional sounds of the park (one-shot sounds at a place, looping sounds on objects) and
// the crowd ambience. So far it keeps its flags and runs the crowd loop; the sounds in the park come with it later.
#pragma once

#include <cstdint>

class SoundEventManager
{
public:
    static constexpr const char* kCrowdLoop = "crowdbigloop";

    // Stores the global pointer; `enabled` is the game's sound setting.
    explicit SoundEventManager(bool enabled);
    ~SoundEventManager();
    SoundEventManager(const SoundEventManager&) = delete;
    SoundEventManager& operator=(const SoundEventManager&) = delete;

    // Once per frame, after the sound manager.
    void Update(float frameSeconds);

    // The crowd loop on the sound manager: started silent when a park is entered, stopped when it is left.
    void StartCrowdLoop();
    void StopCrowdLoop();
    // Fades the crowd to silence while set.
    void SetCrowdMuted(bool muted) { m_bCrowdMuted = muted; }
    // Object sounds fade out and none starts while set (the show-training mode sets it while it runs).
    void SetObjectSoundsSuspended(bool suspended) { m_bObjectSoundsSuspended = suspended; }

    bool IsEnabled() const { return m_bEnabled; }
    bool IsCrowdMuted() const { return m_bCrowdMuted; }
    bool AreObjectSoundsSuspended() const { return m_bObjectSoundsSuspended; }
    int32_t GetCrowdSlot() const { return m_iCrowdSlot; }

private:
    bool m_bEnabled;
    bool m_bObjectSoundsSuspended = false;
    bool m_bCrowdMuted = false;
    int32_t m_iCrowdSlot = -1;
    float m_fCrowdLevel = 0.0f;
};

// The positional sounds while the game exists, null otherwise.
extern SoundEventManager* g_pSoundEventManager;
