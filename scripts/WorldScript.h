// WorldScript: the scenario's own script: named world States whose lists run on entry, on exit, every frame and on
// the world messages the World does not handle itself.
#pragma once

#include "scripts/CommandList.h"
#include "scripts/MessageRecord.h"

#include <cstdint>
#include <string>
#include <vector>

class WorldScriptHost;

class WorldScript
{
public:
    // Index of no State.
    static constexpr uint32_t kNoState = 0xFFFFFFFF;
    // Most States per script and message blocks per State; further ones are dropped with a report.
    static constexpr uint32_t kMaxStates = 10;
    static constexpr uint32_t kMaxMessageBlocks = 5;
    // Most lists of one run running one inside another (each started at once by a command of the one before);
    // a deeper one stops the whole run, with a report: a list that starts itself twice would otherwise run
    // for ever.
    static constexpr uint32_t kMaxRunDepth = 16;
    // The State a script starts in.
    static constexpr const char* kStartupState = "STATE_WORLD_STARTUP";

    WorldScript();
    ~WorldScript();
    WorldScript(const WorldScript&) = delete;
    WorldScript& operator=(const WorldScript&) = delete;

    // Compiles a world script file (read under its name with the last four characters replaced by ".ble");
    // false, with a report, when it cannot be read.
    bool Load(const char* fileName);
    // Compiles text[0, size) in place of what the script held.
    void Compile(const char* text, uint32_t size);

    // Index of the State of that name (exact), or kNoState.
    uint32_t FindState(const char* name) const;
    // The same, with the report "Invalid State in WorldScript" for a name not declared (none when the script
    // has no States).
    uint32_t GetStateIndex(const char* name) const;
    uint32_t GetCurrentState() const { return m_CurrentState; }
    // Makes a State current without running any list (a restored game); an index out of range is ignored with a
    // report.
    void SetCurrentState(uint32_t state);
    // True while the startup State is current.
    bool IsInStartupState() const;

    // Makes the startup State current and runs its OnEntry list; a script without one is reported and runs
    // nothing. StartTimed does the same (the time has no effect).
    void Start();
    void StartTimed(float time);
    // Makes a State current and runs its OnEntry list; false, with a report and nothing changed, for an index out
    // of range.
    bool ChangeStateTo(uint32_t state);

    // The current State's lists; nothing when there is no current State or the park runs no world script host.
    void RunOnEntry();
    void RunOnExit();
    void PerformOnExit() { RunOnExit(); }
    void RunOnUpdate();
    void Update() { RunOnUpdate(); }
    // A world message the World hands on: the current State's first block for its type runs its OnReceipt list;
    // false when there is none.
    bool HandleMessage(const MessageRecord& record);
    bool Message(const MessageRecord& record) { return HandleMessage(record); }

    // A run of lists is the list the park starts and every list it starts at once in turn (State changes and
    // world messages carried out inside a command). Once a random placement in a run finds no footpath, the later
    // ones in that run give up at once, until the run lays a path or queue cell: a chain of lists asking for
    // objects on a park without footpath costs one search, not one per command.
    // True once the current run went past kMaxRunDepth: no further command of it is performed.
    bool IsRunStopped() const { return m_bRunStopped; }
    // The State whose list is being performed (the innermost one of a run), or kNoState between runs.
    uint32_t GetRunningState() const { return m_RunningState; }
    // A change of State asked for by the list of `asking`: false once that State has been left (within this run, or
    // before a held change falls due) or while its OnExit list runs, so that a State that is ending can no longer
    // send the script elsewhere. A change that names no asking State is always taken.
    bool MayChangeStateFor(uint32_t asking) const
    {
        return asking == kNoState || (asking == m_CurrentState && asking != m_LeavingState);
    }
    bool IsFootpathMissing() const { return m_bFootpathMissing; }
    void SetFootpathMissing(bool missing) { m_bFootpathMissing = missing; }

    uint32_t GetNumStates() const { return static_cast<uint32_t>(m_States.size()); }
    const State& GetState(uint32_t index) const { return m_States[index]; }
    const std::string& GetStateName(uint32_t index) const { return m_StateNames[index]; }

private:
    friend class WorldScriptParser;

    void RunList(const CommandList& list, uint32_t state);

    std::vector<State> m_States;
    // The names of the States, in declaration order: a State's index is its place here.
    std::vector<std::string> m_StateNames;
    uint32_t m_CurrentState = kNoState;
    ScriptTexts m_Texts;
    // Lists running, one inside another; 0 between runs.
    uint32_t m_RunDepth = 0;
    uint32_t m_RunningState = kNoState;
    // The State whose OnExit list runs, or kNoState.
    uint32_t m_LeavingState = kNoState;
    bool m_bFootpathMissing = false;
    bool m_bRunStopped = false;
};
