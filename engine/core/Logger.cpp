// Log service: bounded formatting, message boxes and debugger output.
#include "engine/core/Logger.h"

#include "engine/core/EngineCore.h"
#include "platform/Report.h"
#include "platform/Strings.h"

#include <cstdarg>

int32_t Logger::Init()
{
    return 0;
}

void Logger::Shutdown() {}

void Logger::Flush() {}

void Logger::Report(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    // Level 1 appends a line feed in place, so its text keeps one character free for it.
    size_t capacity = level == 1 ? kBufferSize - 1 : kBufferSize;
    size_t length = platform::FormatStringV(m_szBuffer, capacity, format, args);
    va_end(args);

    switch (level)
    {
    case 0:
        platform::ShowMessageBox("Error", m_szBuffer);
        break;
    case 1:
        m_szBuffer[length] = '\n';
        m_szBuffer[length + 1] = 0;
        platform::DebugOutput(m_szBuffer);
        break;
    case 2:
        platform::ShowMessageBox("Error", m_szBuffer);
        platform::ExitProcess(0);
    default:
        break;
    }
}

Logger* GetLogger()
{
    if (g_pEngineCore && g_pEngineCore->m_pLogger)
        return g_pEngineCore->m_pLogger;
    static Logger standalone;
    return &standalone;
}
