// The log service: the program's single channel for error and diagnostic messages.
#pragma once

#include "engine/core/EngineService.h"

class Logger : public EngineService
{
public:
    static constexpr int kBufferSize = 1028;

    int32_t Init() override;
    void Shutdown() override;

    // Formats the message printf-style (cut to the buffer) and acts on the level: 0 shows it in a message
    // box titled "Error" and returns; 1 sends it and a line feed to the debugger output; 2 shows the box and
    // ends the program with exit code 0; any other level does nothing beyond formatting.
    virtual void Report(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    virtual void Flush();

    // The text of the last report.
    const char* LastMessage() const { return m_szBuffer; }

private:
    char m_szBuffer[kBufferSize] = {};
};

// The engine root's logger, or a stand-alone one while no engine root exists (tools and tests).
Logger* GetLogger();
