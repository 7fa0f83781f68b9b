// The engine root: owns the five engine services and starts and stops them in their fixed orders.
#pragma once

class Logger;
class TextSystem;
class EngineInput;
class EngineTimer;
class FileSystem;

class EngineCore
{
public:
    // Creates the services (nothing is started): Logger, TextSystem, EngineTimer, EngineInput, FileSystem.
    void CreateServices();
    // Starts the Logger, FileSystem, EngineTimer and EngineInput, in that order; returns the input's result.
    int StartServices();
    // Shuts down and deletes EngineInput, EngineTimer, TextSystem, FileSystem and Logger, in that order.
    void ShutdownServices();

    TextSystem* m_pTextSystem = nullptr;
    EngineInput* m_pInput = nullptr;
    EngineTimer* m_pTimer = nullptr;
    Logger* m_pLogger = nullptr;
    FileSystem* m_pFileSystem = nullptr;
};

// Set by the entry point right after it creates the root.
extern EngineCore* g_pEngineCore;
// The application instance and main window the services are given (opaque platform handles).
extern void* g_pAppInstance;
extern void* g_pMainWindow;
