// ObjectScript: the compiled behaviour of one kind of game object, shared by all objects of the kind: its States
// with their OnEntry, OnExit and OnUpdate lists and message handlers, run for an object on its state changes,
// frames and messages.
#pragma once

#include "scripts/CommandList.h"
#include "scripts/MessageRecord.h"
#include "scripts/ObjectStates.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

class ScriptObject;

class ObjectScript
{
public:
    // Most States per script; further States are dropped with a report.
    static constexpr uint32_t kMaxStates = 60;
    // Most message blocks per State.
    static constexpr uint32_t kMaxMessageBlocks = 30;
    // Deepest nesting of OnSend handlers whose commands post again; deeper posts skip the handlers, with a report.
    static constexpr uint32_t kMaxSendNesting = 8;

    ObjectScript();
    ~ObjectScript();
    ObjectScript(const ObjectScript&) = delete;
    ObjectScript& operator=(const ObjectScript&) = delete;

    // Compiles a script file, read through the file services under its name with the last four characters
    // replaced by ".ble". A missing or empty file leaves the script empty, with a line in the log.
    void Load(const char* fileName);
    // Compiles text[0, size) in place of what the script held.
    void Compile(const char* text, uint32_t size);

    // The first State of the object's state runs its list for the object.
    void PerformOnEntry(ScriptObject& object, uint32_t state) const;
    void PerformOnExit(ScriptObject& object, uint32_t state) const;
    // Nothing while the park is paused.
    void PerformOnUpdate(ScriptObject& object, uint32_t state) const;
    // Among the States of the object's state, in order, the first message block of the record's type runs its
    // OnReceipt list; false when there is none.
    bool PerformOnReceipt(ScriptObject& object, const MessageRecord& record) const;
    // The OnSend list of the record's type in the first State of the object's state runs for the sender, then
    // the record is posted (also when no block matched); the message bus's answer.
    bool SendMessage(ScriptObject& object, const MessageRecord& record) const;
    bool SendDelayedMessage(ScriptObject& object, const MessageRecord& record, float delay) const;

    uint32_t GetNumStates() const { return static_cast<uint32_t>(m_States.size()); }
    const State& GetState(uint32_t index) const { return m_States[index]; }
    // The first State of a state value, or null.
    const State* FindState(uint32_t state) const;

private:
    friend class ObjectScriptParser;

    void AddState(State&& state);
    // Runs the OnSend list of the record's type, if any, counting the nesting.
    void PerformOnSend(ScriptObject& object, const MessageRecord& record) const;

    std::vector<State> m_States;
    // Index in m_States of the first State of each state value; -1 for none.
    int8_t m_FirstState[STATE_NUM_STATES];
    ScriptTexts m_Texts;
    // The objects reported for running away (a chain of lists started at once that grew too long).
    mutable std::unordered_set<uint32_t> m_RunawayReported;
};
