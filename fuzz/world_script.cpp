// Fuzz target: WorldScript compilation from a scrambled script file, as the script manager loads the scenario's,
// and one run of it against a test park: the startup State, then each State's entry, update, message and exit
// lists, with the messages and State changes it posts delivered back to it (a bounded number of them).
#include "fuzz/FuzzSupport.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptManager.h"
#include "scripts/WorldScript.h"
#include "scripts/WorldScriptHost.h"

#include <deque>
#include <map>

namespace
{

// A park that answers the world variables from a table, counts every call out of the script and keeps what it
// posts for delivery after the list that posted it.
class FuzzPark : public WorldScriptHost
{
public:
    bool IsPaused() const override { return false; }
    bool PostScriptMessage(const MessageRecord& record) override
    {
        Count();
        if (posted.size() < kMaxPosted)
            posted.push_back(record);
        return true;
    }
    bool PostScriptMessageDelayed(const MessageRecord& record, float) override { return PostScriptMessage(record); }
    platform::Vec3 ScenePosition(const platform::Vec3& p) const override { return p; }

    ScriptValue GetScriptVariable(const ScriptOperand& operand) override
    {
        Count();
        switch (operand.id)
        {
        case SCRIPT_OPERAND_TEXT:
            return ScriptValue::Text(operand.text);
        case SCRIPT_OPERAND_NUMBER:
            return ScriptValue::Float(operand.real);
        case SCRIPT_OPERAND_RAND:
        case SCRIPT_OPERAND_RANDOM:
            return ScriptValue::UInt(operand.number ? 1 % operand.number : 0);
        case WV_Var:
        case WV_ScenarioObj:
        case WV_Flag:
        {
            auto found = vars.find({operand.id, operand.number});
            return found != vars.end() ? found->second : ScriptValue::UInt(0);
        }
        default:
        {
            auto found = vars.find({operand.id, 0});
            return found != vars.end() ? found->second : ScriptValue::UInt(operand.id);
        }
        }
    }
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override
    {
        Count();
        const bool indexed = operand.id == WV_Var || operand.id == WV_ScenarioObj || operand.id == WV_Flag;
        vars[{operand.id, indexed ? operand.number : 0}] = value;
    }

    void CallScriptFunction(uint32_t) override { Count(); }
    bool IsLoadingSavedGame() const override { return false; }
    bool GetCellAt(float mapX, float mapY, int32_t* gridX, int32_t* gridY, uint32_t* flags) const override
    {
        ++const_cast<FuzzPark*>(this)->calls;
        *gridX = static_cast<int32_t>(mapX / 100.0f);
        *gridY = static_cast<int32_t>(mapY / 100.0f);
        // Every third cell in a row a footpath, so random placements both find one and sometimes miss.
        *flags = (*gridX % 3 == 0) ? 0x10000000u : 0u;
        return true;
    }
    void LayPath(int32_t, int32_t, uint32_t, int32_t) override { Count(); }
    void SetQueueCell(int32_t, int32_t, uint32_t) override { Count(); }
    void RequestScenery(uint32_t, const char* name, int32_t, int32_t, uint8_t) override { Touch(name); }
    void RequestGuest(const char* name, float, float, uint32_t) override { Touch(name); }
    void RequestBuilding(const char* name, int32_t, int32_t, uint32_t, float, uint32_t, bool) override { Touch(name); }
    void RequestStaff(uint32_t, const char* name) override { Touch(name); }
    void AdoptAnimal(uint32_t) override { Count(); }
    void MoveCamera(float, float) override { Count(); }
    void ShowMenu(const char* dialog, const char* parameter) override
    {
        Touch(dialog);
        if (parameter)
            Touch(parameter);
    }
    void EmitTicker(const char* key) override { Touch(key); }

    // Reads a text the script hands out, so a dangling one shows.
    void Touch(const char* text)
    {
        Count();
        while (text && *text)
            checksum += static_cast<unsigned char>(*text++);
    }

    // Calls out of the script for one run of one list; far more than any list can make means it runs away.
    void Count()
    {
        if (++calls > 1000000)
            __builtin_trap();
    }

    static constexpr size_t kMaxPosted = 64;
    uint64_t calls = 0;
    uint64_t checksum = 0;
    std::deque<MessageRecord> posted;
    std::map<std::pair<uint32_t, uint32_t>, ScriptValue> vars;
};

// Hands the posted messages back as the World does: a State change makes that State current and runs its entry
// list, anything else goes to the current State's message blocks. At most a fixed number, since a script may
// post for ever.
void Deliver(FuzzPark& park, WorldScript& script)
{
    for (int delivered = 0; delivered < 64 && !park.posted.empty(); ++delivered)
    {
        const MessageRecord record = park.posted.front();
        park.posted.pop_front();
        park.calls = 0;
        if (record.dwType == MT_STATECHANGE)
            script.ChangeStateTo(record.dwData);
        else
            script.HandleMessage(record);
    }
    park.posted.clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteBleFile("data\\script\\world.scr", data, size);
    FuzzPark park;
    ScriptManager manager(&park);
    WorldScript* script = manager.LoadWorldScript("data\\script\\world.scr");
    if (!script)
        return 0;
    script->Start();
    Deliver(park, *script);
    for (uint32_t i = 0; i < script->GetNumStates(); ++i)
    {
        park.Touch(script->GetStateName(i).c_str());
        park.calls = 0;
        script->SetCurrentState(i);
        script->RunOnEntry();
        park.calls = 0;
        script->RunOnUpdate();
        for (const MessageEntry& entry : script->GetState(i).messages)
        {
            MessageRecord record;
            record.dwSender = kWorldID;
            record.dwReciever = kWorldID;
            record.dwType = entry.type;
            park.calls = 0;
            script->HandleMessage(record);
        }
        park.calls = 0;
        script->RunOnExit();
        script->IsInStartupState();
        Deliver(park, *script);
    }
    return 0;
}
