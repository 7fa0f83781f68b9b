// The engine's input service (its devices and the replay recorder come with the input layer).
#pragma once

#include "engine/core/EngineService.h"

class EngineInput : public EngineService
{
public:
    int32_t Init() override { return 0; }
    void Shutdown() override {}
};
