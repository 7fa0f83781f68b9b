// ScriptManager: registration and look-up of object scripts.
#include "scripts/ScriptManager.h"

#include "engine/core/Logger.h"
#include "scripts/ObjectScript.h"
#include "scripts/WorldScript.h"

#include <cstring>

ScriptManager* g_pScriptManager = nullptr;

ScriptManager::ScriptManager(ScriptHost* host) : m_pHost(host)
{
    g_pScriptManager = this;
}

ScriptManager::~ScriptManager()
{
    Clear();
    if (g_pScriptManager == this)
        g_pScriptManager = nullptr;
}

bool ScriptManager::LoadScript(const char* name, const char* fileName)
{
    if (m_Scripts.size() >= kMaxScripts)
    {
        // Said once: a State entered again and again asks for its scripts every time, and each time would raise a
        // message box.
        if (!m_bFullReported)
            GetLogger()->Report(0, "ScriptManager::LoadScript - no room for more than %u scripts - %s not loaded",
                                kMaxScripts, name ? name : "");
        m_bFullReported = true;
        return false;
    }
    auto script = std::make_unique<ObjectScript>();
    script->Load(fileName);
    m_Scripts.push_back({name ? name : "", std::move(script)});
    return true;
}

const ObjectScript* ScriptManager::GetScript(const char* name) const
{
    for (const Entry& entry : m_Scripts)
    {
        if (name && entry.name == name)
            return entry.script.get();
    }
    return nullptr;
}

WorldScript* ScriptManager::LoadWorldScript(const char* fileName)
{
    auto script = std::make_unique<WorldScript>();
    m_pWorldScript = script->Load(fileName) ? std::move(script) : nullptr;
    return m_pWorldScript.get();
}

void ScriptManager::Clear()
{
    m_Scripts.clear();
    m_pWorldScript.reset();
    m_bFullReported = false;
}

ScriptHost* GetScriptHost()
{
    return g_pScriptManager ? g_pScriptManager->GetHost() : nullptr;
}
