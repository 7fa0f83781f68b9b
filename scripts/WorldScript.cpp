// WorldScript: loading and running the scenario's script (the least body until the language is built).
#include "scripts/WorldScript.h"

#include "engine/core/Logger.h"

WorldScript::WorldScript() = default;
WorldScript::~WorldScript() = default;

bool WorldScript::Load(const char* /*fileName*/)
{
    return false;
}

uint32_t WorldScript::FindState(const char* /*name*/) const
{
    return kNoState;
}

void WorldScript::SetCurrentState(uint32_t state)
{
    if (state != kNoState)
        GetLogger()->Report(1, "WorldScript::SetCurrentState - no State %u", state);
}

void WorldScript::RunOnEntry() {}
void WorldScript::RunOnExit() {}
void WorldScript::RunOnUpdate() {}
void WorldScript::HandleMessage(const MessageRecord& /*record*/) {}
