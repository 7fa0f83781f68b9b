// WorldScript: the scenario's own script: named world States whose lists run on entry, on exit, every frame and on
// the world messages the World does not handle itself.
#pragma once

#include "scripts/MessageRecord.h"

#include <cstdint>

class WorldScript
{
public:
    // Index of no State.
    static constexpr uint32_t kNoState = 0xFFFFFFFF;

    WorldScript();
    ~WorldScript();
    WorldScript(const WorldScript&) = delete;
    WorldScript& operator=(const WorldScript&) = delete;

    // Compiles a world script file; false, with a report, when it cannot be read.
    bool Load(const char* fileName);

    // Index of the State of that name (exact), or kNoState.
    uint32_t FindState(const char* name) const;
    uint32_t GetCurrentState() const { return m_CurrentState; }
    // Makes a State current without running any list (a restored game); an index out of range is ignored with a
    // report.
    void SetCurrentState(uint32_t state);

    // The current State's lists; nothing when there is no current State.
    void RunOnEntry();
    void RunOnExit();
    void RunOnUpdate();
    // A world message the World hands on: the current State's block for its type, if any.
    void HandleMessage(const MessageRecord& record);

private:
    uint32_t m_CurrentState = kNoState;
};
