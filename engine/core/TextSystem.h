// The fonts-and-unicode-text service of the engine root (its tables come with the text system).
#pragma once

#include "engine/core/EngineService.h"

class TextSystem : public EngineService
{
public:
    int32_t Init() override { return 0; }
    void Shutdown() override {}
};
