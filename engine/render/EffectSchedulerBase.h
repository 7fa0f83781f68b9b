// The interface the engine reaches the effect scheduler (fireworks) through, and its global pointer.
#pragma once

#include <cstdint>

class EffectSchedulerBase
{
public:
    virtual ~EffectSchedulerBase() = default;
    // Deletes every effect the scheduler holds and closes it; false when it was not open.
    virtual bool Close() = 0;
};

// The scheduler, or null while none exists; the graphics manager closes it at shut-down.
extern EffectSchedulerBase* g_pEffectScheduler;
