// Base of the engine's five services: every service starts with Init and Shutdown.
#pragma once

#include <cstdint>

class EngineService
{
public:
    virtual ~EngineService() = default;
    // Starts the service; the result is service-specific (0 or a failure code).
    virtual int32_t Init() = 0;
    // Stops the service and frees what it holds.
    virtual void Shutdown() = 0;
};
