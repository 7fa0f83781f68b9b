// Engine root: service creation, start and shut-down orders.
#include "engine/core/EngineCore.h"

#include "engine/core/EngineInput.h"
#include "engine/core/EngineTimer.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/core/TextSystem.h"

EngineCore* g_pEngineCore = nullptr;
void* g_pAppInstance = nullptr;
void* g_pMainWindow = nullptr;

void EngineCore::CreateServices()
{
    m_pLogger = new Logger;
    m_pTextSystem = new TextSystem;
    m_pTimer = new EngineTimer;
    m_pInput = new EngineInput;
    m_pFileSystem = new FileSystem;
}

int EngineCore::StartServices()
{
    m_pLogger->Init();
    m_pFileSystem->Init();
    m_pTimer->Init();
    return m_pInput->Init();
}

namespace
{
template <typename T> void StopAndDelete(T*& service)
{
    if (!service)
        return;
    service->Shutdown();
    T* stopped = service;
    service = nullptr;
    delete stopped;
}
} // namespace

void EngineCore::ShutdownServices()
{
    // The log goes last so earlier steps may still report; each pointer is cleared once its service is gone.
    StopAndDelete(m_pInput);
    StopAndDelete(m_pTimer);
    StopAndDelete(m_pTextSystem);
    StopAndDelete(m_pFileSystem);
    StopAndDelete(m_pLogger);
}
