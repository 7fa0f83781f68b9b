// GUIManager: owns the loaded GUI script's widgets and runs them: dialogs by name, the front-end screen, the
// selection slots, the tool mode, the per-frame holders. So far it keeps the state the game shell drives and
// reads; widgets, dialogs and drawing come with the GUI framework.
#pragma once

#include <cstdint>
#include <string>

class Display;
class DialogListener;
class ListRows;

// Something the GUI manager runs every frame and disables whenever a script is reset (the music player).
class GuiFrameHolder
{
public:
    virtual ~GuiFrameHolder() = default;
    virtual void Update(float frameTime) = 0;
    virtual void Disable() = 0;
};

class GUIManager
{
public:
    static constexpr int kSelectionCount = 17;
    // Widget type codes of the lists the game shell fills.
    static constexpr int32_t kListBoxType = 22;
    static constexpr int32_t kScreenListBoxType = 28;
    // The tool mode requested at construction (the idle mode of the front end).
    static constexpr int32_t kStartMode = 6;

    // Stores the global pointer; the display's overlay surfaces will serve as dialog layers.
    explicit GUIManager(Display* display);
    ~GUIManager();
    GUIManager(const GUIManager&) = delete;
    GUIManager& operator=(const GUIManager&) = delete;

    // Resets, then reads the scrambled twin of the script (its last four characters replaced by ".ble"). False,
    // with a report, when it cannot be read.
    bool LoadScript(const char* name);
    // Forgets the script: dialogs closed, front-end screen and holders disabled, selection slots to their
    // defaults.
    void Reset();
    const std::string& GetScriptName() const { return m_scriptName; }
    Display* GetDisplay() const { return m_pDisplay; }

    // Once per frame: the requested tool mode becomes current, then the holders run.
    void Update(float frameTime);
    // The dialogs' layers (before the screen's own drawing) and the GUI on top (after it).
    void DrawDialogs() {}
    void Draw() {}
    // The current tool mode's pre-render pass.
    void ModePreRender() {}

    void SetMode(int32_t id) { m_iRequestedMode = id; }
    int32_t GetMode() const { return m_iMode; }
    int32_t GetRequestedMode() const { return m_iRequestedMode; }

    // Front-end screens by name (compared exactly).
    void CreateScreenSet() { m_bScreenSet = true; }
    bool HasScreenSet() const { return m_bScreenSet; }
    void ActivateScreen(const char* name);
    void DeactivateScreen() { m_currentScreen.clear(); }
    // The active front-end screen's name; null when none is active.
    const char* GetCurrentScreenName() const;
    // Whether any element of the active front-end screen is locked.
    bool IsCurrentScreenLocked() const { return false; }

    // Dialogs by name. Without a dialog of that name in the script nothing opens.
    bool OpenDialog(const char* name, DialogListener* listener, bool modal = false, bool drawWhileLocked = false);
    void CloseAllDialogs() {}
    // The modal "PauseBox" (the park was paused while the program was in the background).
    void OpenPauseBox() { OpenDialog("PauseBox", nullptr, true); }

    void SetCursorVisible(bool visible) { m_bCursorVisible = visible; }
    bool IsCursorVisible() const { return m_bCursorVisible; }

    // The selection slots; an index outside 0-16 reads 0 and is not stored.
    int32_t GetSelection(int index) const;
    void SetSelection(int index, int32_t value);

    // The list widget of that type and name in the loaded script; null when there is none.
    ListRows* FindList(int32_t type, const char* name) const;

    // The holder run by every update and disabled by every reset (not owned; null for none).
    void SetMusicPlayer(GuiFrameHolder* player) { m_pMusicPlayer = player; }

private:
    void ResetSelections();

    Display* m_pDisplay;
    std::string m_scriptName;
    std::string m_currentScreen;
    bool m_bScreenSet = false;
    bool m_bCursorVisible = true;
    int32_t m_iMode = -1;
    int32_t m_iRequestedMode = kStartMode;
    int32_t m_selections[kSelectionCount] = {};
    GuiFrameHolder* m_pMusicPlayer = nullptr;
};

extern GUIManager* g_pGUIManager;
