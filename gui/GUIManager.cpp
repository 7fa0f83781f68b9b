// GUIManager: script loading, front-end screen, selection slots and the per-frame holders.
#include "gui/GUIManager.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"

#include <memory>

GUIManager* g_pGUIManager = nullptr;

GUIManager::GUIManager(Display* display) : m_pDisplay(display)
{
    g_pGUIManager = this;
    ResetSelections();
    // Slot 4 starts at -1; no script reset touches it.
    m_selections[4] = -1;
}

GUIManager::~GUIManager()
{
    if (g_pGUIManager == this)
        g_pGUIManager = nullptr;
}

void GUIManager::ResetSelections()
{
    m_selections[0] = 0;
    m_selections[1] = 1;
    m_selections[2] = 12;
    m_selections[7] = 0;
    m_selections[9] = 3;
    m_selections[10] = -1;
    m_selections[11] = -1;
    m_selections[12] = 32;
}

bool GUIManager::LoadScript(const char* name)
{
    Reset();
    m_scriptName = name ? name : "";
    uint32_t size = 0;
    std::unique_ptr<char[]> text(GetFileSystem()->ReadBleFileSized(BleFileName(m_scriptName.c_str()).c_str(), &size));
    if (!text)
    {
        // An empty script is a script with nothing in it.
        if (IsRegularFile(BleFileName(m_scriptName.c_str()).c_str()))
            return true;
        GetLogger()->Report(1, "GUIManager::LoadScript - cannot read %s", BleFileName(m_scriptName.c_str()).c_str());
        return false;
    }
    return true;
}

void GUIManager::Reset()
{
    if (m_pMusicPlayer)
        m_pMusicPlayer->Disable();
    m_currentScreen.clear();
    ResetSelections();
}

void GUIManager::Update(float frameTime)
{
    m_iMode = m_iRequestedMode;
    if (m_pMusicPlayer)
        m_pMusicPlayer->Update(frameTime);
}

void GUIManager::ActivateScreen(const char* name)
{
    m_currentScreen = name ? name : "";
}

const char* GUIManager::GetCurrentScreenName() const
{
    return m_currentScreen.empty() ? nullptr : m_currentScreen.c_str();
}

bool GUIManager::OpenDialog(const char*, DialogListener*, bool, bool)
{
    return false;
}

int32_t GUIManager::GetSelection(int index) const
{
    return index >= 0 && index < kSelectionCount ? m_selections[index] : 0;
}

void GUIManager::SetSelection(int index, int32_t value)
{
    if (index >= 0 && index < kSelectionCount)
        m_selections[index] = value;
}

ListRows* GUIManager::FindList(int32_t, const char*) const
{
    return nullptr;
}
