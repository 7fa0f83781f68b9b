// The registration of the park the sounds ask.
#include "engine/media/SoundPark.h"

SoundPark* g_pSoundPark = nullptr;
