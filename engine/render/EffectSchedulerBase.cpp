// The effect scheduler's global pointer.
#include "engine/render/EffectSchedulerBase.h"

EffectSchedulerBase* g_pEffectScheduler = nullptr;
