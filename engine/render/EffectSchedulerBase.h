// The interface the engine reaches the effect scheduler (fireworks) through, and its global pointer.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/gfx/Math.h"

class Firework;
struct FireworkDesc;

// Receives the shells' launch and burst sounds: file name, position, volume.
using EffectSoundCallback = std::function<void(const char* name, const platform::Vec3& position, float volume)>;

class EffectSchedulerBase
{
public:
    virtual ~EffectSchedulerBase() = default;
    // Stores the sound callback and opens the scheduler; false when it was already open (the first callback stays).
    virtual bool Open(EffectSoundCallback sound) = 0;
    // Deletes every effect the scheduler holds and closes it; false when it was not open.
    virtual bool Close() = 0;
    // Kept for the interface's order; answers false.
    virtual bool Reserved3() = 0;
    // A new effect of the description's kind, or null (closed, or a kind that makes nothing). The caller puts
    // it into a scene; the scheduler owns it.
    virtual Firework* Spawn(const FireworkDesc& desc) = 0;
    // Takes the effect out and deletes it; false when closed or when the scheduler does not hold it.
    virtual bool Remove(Firework* effect) = 0;
    // Steps the effects of the next slot and deletes those that are spent; false when closed or when a spent
    // effect could not be removed.
    virtual bool Tick() = 0;
    virtual uint32_t GetCount() const = 0;
};

// The scheduler, or null while none exists; the graphics manager closes it at shut-down.
extern EffectSchedulerBase* g_pEffectScheduler;
