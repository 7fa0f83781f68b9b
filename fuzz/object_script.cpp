// Fuzz target: ObjectScript compilation from a scrambled script file, as the script manager loads one, and one run
// of everything it compiled against a test object: each State's entry, update, message and exit lists, with the
// object's posts going back through its script as the scripted classes' do, and the messages it posts to itself
// delivered at once as the message bus delivers them (a State change leaves the State and enters the new one).
#include "fuzz/FuzzSupport.h"
#include "scripts/ObjectScript.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptHost.h"
#include "scripts/ScriptManager.h"

#include <map>

namespace
{

class FuzzObject;

class FuzzHost : public ScriptHost
{
public:
    bool IsPaused() const override { return false; }
    bool PostScriptMessage(const MessageRecord& record) override;
    bool PostScriptMessageDelayed(const MessageRecord&, float) override { return true; }
    platform::Vec3 ScenePosition(const platform::Vec3& p) const override { return p; }

    // The bus's bound on messages delivered inside the delivery of another.
    static constexpr uint32_t kMaxDepth = 64;
    FuzzObject* object = nullptr;
    uint32_t depth = 0;
};

// A scripted object with variables by id, answering the constant operands as the object root does.
class FuzzObject : public ScriptObject
{
public:
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override
    {
        switch (operand.id)
        {
        case SCRIPT_OPERAND_TEXT:
            return ScriptValue::Text(operand.text);
        case SCRIPT_OPERAND_NUMBER:
            return ScriptValue::Float(operand.real);
        case SCRIPT_OPERAND_RAND:
        case SCRIPT_OPERAND_RANDOM:
            return ScriptValue::UInt(operand.number ? 1 % operand.number : 0);
        default:
        {
            auto found = vars.find(operand.id);
            return found != vars.end() ? found->second : ScriptValue::Bool(false);
        }
        }
    }
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override
    {
        vars[operand.id] = value;
    }
    uint32_t GetID() const override { return 7; }
    uint32_t GetState() const override { return state; }
    const platform::Vec3& GetWorldPosition() const override { return position; }
    void CallScriptFunction(uint32_t) override { Count(); }
    bool PostMessage(MessageRecord record) override
    {
        Count();
        return script ? script->SendMessage(*this, record) : true;
    }
    bool PostDelayedMessage(MessageRecord record, float delay) override
    {
        Count();
        return script ? script->SendDelayedMessage(*this, record, delay) : true;
    }
    void PlayAnimation(const char*, bool, uint32_t, bool, const char*) override { Count(); }
    uint32_t SetAnimationEndMessage(uint32_t type) override { return type; }

    // Calls out of the script for one run of one list; far more than any list can make means it runs away.
    void Count()
    {
        if (++calls > 1000000)
            __builtin_trap();
    }

    const ObjectScript* script = nullptr;
    uint32_t state = 0;
    uint64_t calls = 0;
    platform::Vec3 position{1.0f, 2.0f, 0.0f};
    std::map<uint32_t, ScriptValue> vars;
};

bool FuzzHost::PostScriptMessage(const MessageRecord& record)
{
    if (!object || !object->script || record.dwReciever != object->GetID() || depth >= kMaxDepth)
        return true;
    ++depth;
    if (record.dwType == MT_STATECHANGE)
    {
        object->script->PerformOnExit(*object, object->state);
        object->state = record.dwData;
        object->script->PerformOnEntry(*object, object->state);
    }
    else
    {
        object->script->PerformOnReceipt(*object, record);
    }
    --depth;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteBleFile("data\\scripts\\fuzz.scr", data, size);
    FuzzHost host;
    ScriptManager manager(&host);
    ObjectScript script;
    script.Load("data\\scripts\\fuzz.scr");
    FuzzObject object;
    object.script = &script;
    host.object = &object;
    for (uint32_t i = 0; i < script.GetNumStates(); ++i)
    {
        const State& state = script.GetState(i);
        object.state = state.value;
        object.calls = 0;
        script.PerformOnEntry(object, state.value);
        script.PerformOnUpdate(object, state.value);
        for (const MessageEntry& entry : state.messages)
        {
            MessageRecord record;
            record.dwSender = 3;
            record.dwReciever = 7;
            record.dwType = entry.type;
            script.PerformOnReceipt(object, record);
            script.SendMessage(object, record);
        }
        script.PerformOnExit(object, state.value);
    }
    return 0;
}
