// SoundPark: what the park's sounds ask of the park above them (its objects, its clock, its count of guests on
// screen and its sprite banks), declared here and implemented by the World, which registers it while a park exists.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>

// A sprite the sound script names animations on; deleting it releases it.
class SoundSprite
{
public:
    virtual ~SoundSprite() = default;
    // Selects the first animation of that name (letter case ignored), else animation 0, and restarts it at `time`
    // (game seconds).
    virtual void PlayAnimation(const char* name, float time) = 0;
    // The index of the current animation.
    virtual int32_t GetAnimation() const = 0;
    // Animations in the sprite's bank (0 for a sprite on no bank).
    virtual int32_t GetAnimationCount() const = 0;
    // The name of an animation of the bank; null for an index outside it.
    virtual const char* GetAnimationName(int32_t index) const = 0;
    // The bank name the sprite was made on.
    virtual const char* GetName() const = 0;
};

class SoundPark
{
public:
    virtual ~SoundPark() = default;

    // The definition name of the object that holds the id; null when no object holds it (also for an id whose
    // object is gone).
    virtual const char* GetObjectName(uint32_t id) const = 0;
    // Writes the sound position of the object that holds the id (scene units) into `position`, which an object
    // without one leaves as it is; false when no object holds the id.
    virtual bool GetObjectSoundPosition(uint32_t id, platform::Vec3& position) const = 0;
    // A point on the park's map in scene units.
    virtual platform::Vec3 WorldToScene(const platform::Vec3& world) const = 0;
    // True while the game is paused.
    virtual bool IsPaused() const = 0;
    // Guests drawn in the last frame drawn.
    virtual int32_t GetGuestsDrawn() const = 0;
    // The game time in seconds.
    virtual float GetGameTime() const = 0;
    // A new sprite on the bank of that name (letter case ignored; the fallback bank when none has it).
    virtual std::unique_ptr<SoundSprite> CreateSprite(const char* bankName) = 0;
};

// The park while one exists, null otherwise.
extern SoundPark* g_pSoundPark;
