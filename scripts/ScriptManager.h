// ScriptManager: the registry of the park's compiled object scripts by name, and the host they run in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ObjectScript;
class ScriptHost;
class WorldScript;

class ScriptManager
{
public:
    // Most scripts one park registers.
    static constexpr uint32_t kMaxScripts = 10;

    // Stores the global pointer; the scripts run in `host` (the park), which may be null.
    explicit ScriptManager(ScriptHost* host);
    ~ScriptManager();
    ScriptManager(const ScriptManager&) = delete;
    ScriptManager& operator=(const ScriptManager&) = delete;

    // Compiles an object script file and registers it under a name, after those already registered (a name
    // given twice keeps both; the first is found). False when kMaxScripts are registered, reported the first time.
    bool LoadScript(const char* name, const char* fileName);
    // The first script registered under the name (exact), or null.
    const ObjectScript* GetScript(const char* name) const;
    // Compiles the scenario's world script, replacing any earlier one; null (with the reader's report) when the
    // file gives no script.
    WorldScript* LoadWorldScript(const char* fileName);
    // The world script, or null.
    WorldScript* GetWorldScript() const { return m_pWorldScript.get(); }
    // Frees every script.
    void Clear();

    uint32_t GetNumScripts() const { return static_cast<uint32_t>(m_Scripts.size()); }
    ScriptHost* GetHost() const { return m_pHost; }

private:
    struct Entry
    {
        std::string name;
        std::unique_ptr<ObjectScript> script;
    };

    ScriptHost* m_pHost;
    std::vector<Entry> m_Scripts;
    std::unique_ptr<WorldScript> m_pWorldScript;
    // Whether a registration has been refused for want of room since the registry was last cleared.
    bool m_bFullReported = false;
};

// The script manager while a park exists, null otherwise.
extern ScriptManager* g_pScriptManager;

// The host of the current script manager, or null.
ScriptHost* GetScriptHost();
