// The interfaces through which the script runtime reaches what it drives: a scripted object, and the host (the
// park) that holds the clock, the pause and the message bus. The world implements them; scripts never see it.
#pragma once

#include "platform/gfx/Math.h"
#include "scripts/MessageRecord.h"
#include "scripts/ScriptValue.h"

#include <cstdint>

class WorldScriptHost;

// Values that a script reads and writes by variable id.
class ScriptVariables
{
public:
    virtual ~ScriptVariables() = default;
    // The typed value of a variable id or constant operand.
    virtual ScriptValue GetScriptVariable(const ScriptOperand& operand) = 0;
    virtual void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) = 0;
};

// A game object as its script sees it: each class answers its own variable ids and function indexes and hands the
// rest to its base.
class ScriptObject : public ScriptVariables
{
public:
    virtual uint32_t GetID() const = 0;
    virtual uint32_t GetState() const = 0;
    // Position in map units.
    virtual const platform::Vec3& GetWorldPosition() const = 0;
    virtual void CallScriptFunction(uint32_t function) = 0;
    virtual bool PostMessage(MessageRecord record) = 0;
    virtual bool PostDelayedMessage(MessageRecord record, float delay) = 0;
    // exitState 0xFFFFFFFF means none.
    virtual void PlayAnimation(const char* name, bool reverse, uint32_t exitState, bool looped,
                               const char* finishName) = 0;
    virtual uint32_t SetAnimationEndMessage(uint32_t type) = 0;
};

// The park the scripts run in.
class ScriptHost
{
public:
    virtual ~ScriptHost() = default;
    // While paused, update lists do not run.
    virtual bool IsPaused() const = 0;
    // Delivers at once (or as the pause rule says); the message bus's answer.
    virtual bool PostScriptMessage(const MessageRecord& record) = 0;
    // Delivers when the game time has advanced by `delay` seconds.
    virtual bool PostScriptMessageDelayed(const MessageRecord& record, float delay) = 0;
    // The scene position of a map position (for positional sounds).
    virtual platform::Vec3 ScenePosition(const platform::Vec3& worldPosition) const = 0;
    // The park's side of its world script, when it runs one.
    virtual WorldScriptHost* GetWorldScriptHost() { return nullptr; }
};
