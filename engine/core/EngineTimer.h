// Placeholder until the clocks land.
#pragma once

#include "engine/core/EngineService.h"

class EngineTimer : public EngineService
{
public:
    int32_t Init() override { return 0; }
    void Shutdown() override {}
};
