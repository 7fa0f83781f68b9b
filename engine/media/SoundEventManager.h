// SoundEventManager: the positional sounds of the park (one-shot sounds queued at a place, looping sounds on objects
// that follow their distance to the listener and give way to loud music) and the crowd ambience, whose level
// follows the guests on screen.
#pragma once

#include "platform/gfx/Math.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A one-shot sound waiting to start.
struct PositionalSound
{
    char name[32] = {};
    float position[3] = {};
    float volume = 0.0f;
    int32_t limit = -1; // the most sounds of its group that may play at once
    int32_t group = -1; // -1 for none
    uint8_t waiting = 0;
    float waitLeft = 0.0f;
};

// A looping sound attached to an object.
struct ObjectSound
{
    uint32_t objectId = 0;
    float volume = 0.0f;
    char name[32] = {};
    uint8_t playing = 0;
    uint8_t playsOverMusic = 0;
    int32_t slot = -1;
    uint32_t serial = 0; // the sound manager's serial of the sample in `slot` while it plays
};

// The level of a sound at distance d: v up to `near`, falling linearly to 0 at `far`, 0 beyond (and for a
// distance that is not a number).
float DistanceVolume(float nearDistance, float farDistance, float distance, float volume);

class SoundEventManager
{
public:
    static constexpr const char* kCrowdLoop = "crowdbigloop";
    // Longest sound name kept; a longer one is refused.
    static constexpr size_t kMaxNameLength = 31;
    // How long a one-shot sound waits for a free slot.
    static constexpr float kSlotWait = 0.25f;
    static constexpr float kObjectFadeIn = 0.1f;
    static constexpr float kObjectFadeStep = 0.1f;
    static constexpr float kObjectFadeOut = 0.2f;
    // Music above this level silences the object sounds that do not play over music.
    static constexpr float kLoudMusic = 0.05f;

    // Stores the global pointer; `enabled` is the game's sound setting.
    explicit SoundEventManager(bool enabled);
    // Frees both lists (the sound manager has stopped the sounds); clears the global pointer.
    ~SoundEventManager();
    SoundEventManager(const SoundEventManager&) = delete;
    SoundEventManager& operator=(const SoundEventManager&) = delete;

    // Once per frame, after the sound manager: object sounds, then queued sounds, then the crowd.
    void Update(float frameSeconds);

    // Queues a one-shot sound at a scene position; sounds still waiting for a slot from earlier frames are dropped.
    void PlayAtPosition(const char* name, const platform::Vec3& scenePosition, float volume, int32_t limit,
                        int32_t group);
    // Attaches a looping sound to an object (nothing when it has one); it starts at the next update in range.
    void PlayForObject(const char* name, uint32_t objectId, float volume, bool playsOverMusic);
    // Detaches the object's sound and fades it out.
    void StopForObject(uint32_t objectId);

    // The crowd loop on the sound manager: started silent when a park is entered, stopped when it is left.
    void StartCrowdLoop();
    void StopCrowdLoop();
    // Fades the crowd to silence while set (also while the park is paused).
    void SetCrowdMuted(bool muted) { m_bCrowdMuted = muted; }
    // Object sounds fade out and none starts while set (the show-training mode sets it while it runs).
    void SetObjectSoundsSuspended(bool suspended) { m_bObjectSoundsSuspended = suspended; }

    bool IsEnabled() const { return m_bEnabled; }
    bool IsCrowdMuted() const { return m_bCrowdMuted; }
    bool AreObjectSoundsSuspended() const { return m_bObjectSoundsSuspended; }
    int32_t GetCrowdSlot() const { return m_iCrowdSlot; }
    float GetCrowdLevel() const { return m_fCrowdLevel; }
    const std::vector<PositionalSound>& GetQueue() const { return m_Queue; }
    const std::vector<ObjectSound>& GetObjectSounds() const { return m_ObjectSounds; }

private:
    void UpdateObjectSounds();
    void UpdateQueue(float frameSeconds);
    void UpdateCrowd();
    // Copies a sound name; false, with a report, when it is missing or too long.
    static bool CopyName(char (&to)[32], const char* name);

    bool m_bEnabled;
    std::vector<PositionalSound> m_Queue;
    std::vector<ObjectSound> m_ObjectSounds;
    bool m_bObjectSoundsSuspended = false;
    int32_t m_iCrowdSlot = -1;
    uint32_t m_uCrowdSerial = 0;
    float m_fCrowdLevel = 0.0f;
    // The effects volume the crowd level was last faded under: a fade keeps the target it started with, so a
    // change made while it ran is taken up by the next crowd step.
    float m_fCrowdSfx = 0.0f;
    bool m_bCrowdMuted = false;
};

// The positional sounds while the game exists, null otherwise.
extern SoundEventManager* g_pSoundEventManager;
