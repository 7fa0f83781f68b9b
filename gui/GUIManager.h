// GUIManager: owns the loaded GUI script's widgets and runs them: dialogs opened by name for a listener, kept in
// front-to-back order, drawn into their own overlay layers and dragged; the mouse routed to dialogs, toolbar,
// front-end screen and the current tool mode; the tooltip, the selection slots, the fonts of the script, the tool
// modes made by id, the credits roll and the per-frame holders. The radar, the progress extension and the message
// band keep their state here; the park-in-play work draws them.
#pragma once

#include "gui/GuiParser.h"
#include "gui/MessageBand.h"
#include "gui/Radar.h"
#include "gui/ToolMode.h"
#include "gui/TooltipBox.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BubbleSet;
class CreditsRoll;
class DialogItem;
class DialogListener;
class Display;
class Font;
class GazetteerList;
class GuiShell;
class ListRows;
class TextWriter;
class TickerList;
class Button;
class Sprite;

// Something the GUI manager runs every frame and disables whenever a script is reset (the music player).
class GuiFrameHolder
{
public:
    virtual ~GuiFrameHolder() = default;
    virtual void Update(float frameTime) = 0;
    virtual void Disable() = 0;
};

// The mouse as the GUI manager routes it once a frame.
struct GuiMouse
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t wheel = 0;
    int32_t first = 0;    // 0 up, 1 pressed this frame, 2 held
    int32_t second = 0;   // the second button, the same codes
    bool control = false; // either control key is held (a list's press adds to its selection)
};

class GUIManager
{
public:
    static constexpr int kSelectionCount = 17;
    static constexpr int kFontSlots = GuiParser::kFontSlots;
    static constexpr int kDialogValueCount = 5;
    // Widget type codes of the lists the game shell fills.
    static constexpr int32_t kListBoxType = 22;
    static constexpr int32_t kScreenListBoxType = 28;
    // The tool mode requested at construction (the idle mode of the front end).
    static constexpr int32_t kStartMode = 6;
    static constexpr int32_t kIdleMode = 6;
    static constexpr int32_t kSelectMode = 4;
    static constexpr int32_t kModeIds = 16;
    static constexpr int32_t kDesignWidth = 800;
    static constexpr int32_t kDesignHeight = 600;
    static constexpr int32_t kToolbarHeight = 124;
    static constexpr float kTooltipDelay = 1.5f;
    static constexpr float kQuickTooltipDelay = 0.05f;
    static constexpr float kRecentHide = 2.5f;

    enum EntryState : int32_t
    {
        ENTRY_OPENING = 0,
        ENTRY_OPEN = 1,
        ENTRY_CLOSING = 2,
    };

    // One open dialog.
    struct DialogEntry
    {
        DialogItem* dialog = nullptr;
        int32_t layer = -1; // overlay surface index
        int32_t state = ENTRY_OPENING;
        DialogListener* listener = nullptr;
        bool drawWhileLocked = false;
    };

    // Stores the global pointer; the display's overlay surfaces serve as dialog layers (null: no layers, as in
    // tools and tests that do not draw).
    explicit GUIManager(Display* display);
    ~GUIManager();
    GUIManager(const GUIManager&) = delete;
    GUIManager& operator=(const GUIManager&) = delete;

    // ---- script and screens
    // Resets, then reads the scrambled twin of the script (its extension replaced by ".ble") and builds it. False,
    // with one report naming the file, when it cannot be read. Each kind of fault in the script is reported once.
    bool LoadScript(const char* name);
    // Builds a script from plain text (after a reset).
    void LoadScriptText(const char* text, size_t length);
    // Forgets the script: dialogs closed, holders disabled, widgets, fonts and the toolbar deleted, selection slots
    // to their defaults.
    void Reset();
    const std::string& GetScriptName() const { return m_scriptName; }
    Display* GetDisplay() const { return m_pDisplay; }
    // The first widget of the item list with that type code and exactly that name; null when none.
    Widget* FindItem(int32_t type, const char* name) const;
    // The top-level front-end screen elements (types 25 and 27 to 30), in script order.
    void CollectScreenElements(std::vector<Widget*>& out) const;
    const std::vector<std::unique_ptr<Widget>>& GetItems() const { return m_script.items; }
    const std::vector<Widget*>& GetTopLevel() const { return m_script.topLevel; }
    MainItem* GetToolbarRoot() const { return m_script.GetToolbarRoot(); }
    bool HasMessageBand() const { return m_script.hasMessageBand; }
    const GuiRect& GetMessageBand() const { return m_script.messageBand; }

    // The front end's bubbles, made once and kept until the manager goes.
    void CreateScreenSet();
    BubbleSet* GetBubbles() const { return m_pBubbles.get(); }
    bool HasScreenSet() const { return m_bScreenSet; }
    void ActivateScreen(const char* name);
    void DeactivateScreen();
    // The active front-end screen's name; null when none is active.
    const char* GetCurrentScreenName() const;
    Widget* GetCurrentScreen() const { return m_pScreen; }
    // Whether any element of the active front-end screen is locked.
    bool IsCurrentScreenLocked() const;
    // The active front-end screen: its background, the bubbles and its elements (drawn by the game between the
    // dialogs' layers and the screen's own drawing).
    void DrawFrontEnd();
    // A front-end screen finished: "STARTGAME", "LOADGAME", "RESETGAME" or "INGAMELOAD" (any case).
    void StartGameState(const char* name);
    void SetDirectStart(bool direct) { m_bDirectStart = direct; }
    bool IsDirectStart() const { return m_bDirectStart; }

    // ---- per frame
    // The requested tool mode, toolbar and dialogs, the mouse from the game input, the mode, the holders.
    void Update(float frameTime);
    // The same with the mouse given.
    void Update(float frameTime, const GuiMouse& mouse);
    // The dialogs' layers (before the screen's own drawing) and the GUI on top (after it).
    void DrawDialogs();
    void Draw();
    void ModePreRender();
    void ModeRender();

    // ---- tool modes
    void SetMode(int32_t id);
    int32_t GetMode() const { return m_iMode; }
    int32_t GetRequestedMode() const { return m_iRequestedMode; }
    ToolMode* GetCurrentMode() const { return m_pMode.get(); }
    bool IsSelectMode() const { return m_iMode == kSelectMode; }
    void EnterBuildMode();
    // The maker of the mode with that id (0 to 15); ids without one make no mode.
    static void RegisterToolMode(int32_t id, ToolModeMaker maker);

    // ---- dialogs (names compared exactly)
    bool OpenDialog(const char* name, DialogListener* listener, bool modal = false, bool drawWhileLocked = false);
    bool ToggleDialog(const char* name, DialogListener* listener, bool modal = false);
    bool OpenDialogWithParam(const char* name, int32_t param, DialogListener* listener, bool modal = false);
    bool OpenDialogWithValue(int32_t slot, const char* name, int32_t value, DialogListener* listener,
                             bool modal = false);
    int32_t GetMenuParam() const { return m_iMenuParam; }
    int32_t GetDialogValue(int32_t slot) const;
    bool CloseDialog(const char* name);
    bool CloseOwningDialog(int32_t dialogIndex);
    bool CloseDialogsOfListener(const DialogListener* listener);
    void CloseAllDialogs();
    void CloseFrontDialog();
    bool IsDialogOpen(const char* name) const;
    bool IsModalDialogOpen() const;
    int32_t GetOpenDialogCount() const;
    void AnimateDialog(const char* name, int32_t kind, float time, int32_t offset);
    int32_t GetDialogAnimState(const char* name) const;
    void SetDialogAnimState(const char* name, int32_t value);
    void SelectDialogTab(const char* name, int32_t tab);
    void RedrawDialog(const char* name, bool clear);
    void RedrawAllDialogs(bool clear);
    void RefreshOpenDialogs();
    DialogListener* GetDialogObject() const { return m_pDialogObject; }
    // The listener the commands act on until the next dialog is handled (the manager sets it as it routes input).
    void SetDialogObject(DialogListener* listener) { m_pDialogObject = listener; }
    const std::vector<DialogEntry>& GetOpenList() const { return m_open; }
    // The dialog's top-left corner under its position id, unless the current or requested mode is the idle one.
    void StoreDialogPosition(int32_t positionId, int32_t x, int32_t y);

    // Panel shortcuts (refused with "click_bad_01" while a modal dialog is open or the lock is set).
    void OpenPauseBox();
    void ClosePauseBox() { CloseDialog("PauseBox"); }
    void ToggleLoadGameMenu() { ToggleSaveMenu(true); }
    void ToggleSaveGameMenu() { ToggleSaveMenu(false); }
    void ToggleInGameOptions();
    void OpenInGameOptions();
    void OpenBuildPanel();
    void ToggleSceneryPanel();

    // ---- buttons by command
    void DisableButtonsByCommand(const char* name);
    void EnableButtonsByCommand(const char* name);
    void SetButtonImageByCommand(const char* name, const char* image);
    void SetButtonHeldByCommand(const char* name, bool held);

    // ---- selections and resources
    // The selection slots; an index outside 0-16 reads 0 and is not stored.
    int32_t GetSelection(int index) const;
    void SetSelection(int index, int32_t value);
    // Null for an empty slot or one outside 0-9.
    Font* GetFont(int n) const;
    TextWriter* GetTextWriter(int n) const;
    // The list widget of that type and name in the loaded script; null when there is none.
    ListRows* FindList(int32_t type, const char* name) const;
    GazetteerList& GetGazetteerList() const { return *m_pGazetteer; }
    TickerList& GetTickerList() const { return *m_pTicker; }
    float GetDesignWidth() const { return static_cast<float>(kDesignWidth); }
    float GetDesignHeight() const { return static_cast<float>(kDesignHeight); }
    int32_t GetScreenWidth() const;
    int32_t GetScreenHeight() const;

    // The music player, run by every update and disabled by every reset (not owned; null for none).
    void SetMusicPlayer(GuiFrameHolder* player) { m_pMusicPlayer = player; }
    // The program above the GUI (not owned; null for none).
    void SetShell(GuiShell* shell) { m_pShell = shell; }
    GuiShell* GetShell() const { return m_pShell; }

    // ---- message band (shown by the park's tool modes)
    // The text of the key from the text table runs through the band `passes` times.
    void ShowMessage(const char* key, int32_t passes);
    void ShowMessageText(const char16_t* text, int32_t passes);
    // Moves the message (the tool modes call it every frame).
    void UpdateMessage(float dt);
    bool IsMessageShowing() const { return m_Band.IsShowing(); }
    bool IsMessageBoxFree() const { return !m_Band.IsShowing(); }
    const MessageBand& GetMessageBandState() const { return m_Band; }
    const std::u16string& GetMessageText() const { return m_MessageText; }

    // ---- tooltip
    void ShowTooltip(Widget* owner, int32_t x, int32_t y, const char* textId);
    void HideTooltip(const Widget* owner);
    float GetTooltipDelay() const { return m_fRecentHide > 0.0f ? kQuickTooltipDelay : kTooltipDelay; }
    const Widget* GetTooltipOwner() const { return m_pTooltipOwner; }
    const TooltipBox& GetTooltipBox() const { return m_tooltip; }

    // ---- pause, lock, cursor
    void PushPause();
    void PopPause();
    void SetLock(bool locked) { m_bLock = locked; }
    bool IsLocked() const { return m_bLock; }
    void SetCursorVisible(bool visible) { m_bCursorVisible = visible; }
    bool IsCursorVisible() const { return m_bCursorVisible; }
    bool IsMouseOverToolbar() const { return m_bMouseOverToolbar; }
    bool IsMouseOverGui(bool includeRadar) const;
    // Either control key is held in this frame's input.
    bool IsControlHeld() const { return m_bControl; }

    // ---- radar
    // Builds the radar on the scenario's map picture at a screen position (the park's load does), expanded and
    // active; the alternative look takes the sandbox panels.
    void CreateRadar(const char* mapSprite, bool alternative, int32_t x = 0, int32_t y = 0);
    void DestroyRadar() { m_Radar.Destroy(); }
    void ToggleRadarSize() { m_Radar.ToggleSize(); }
    void ClearRadarActive() { m_Radar.SetActive(false); }
    bool IsRadarActive() const { return m_Radar.IsActive(); }
    void SetRadarInputEnabled(bool enabled) { m_bRadarInput = enabled; }
    bool IsRadarInputEnabled() const { return m_bRadarInput; }
    bool IsMouseOverRadar() const { return m_Radar.IsActive() && m_Radar.IsMouseOver(); }
    const Radar& GetRadar() const { return m_Radar; }
    // The park the radar shows and aims the camera in (not owned; null for none).
    void SetRadarPark(RadarPark* park) { m_pRadarPark = park; }
    RadarPark* GetRadarPark() const { return m_pRadarPark; }

    // ---- progress extension: a picture beside the radar (its top-left at (172, 0)) holding the scenario's
    // progress dialog
    static constexpr int32_t kProgressLeft = 172;
    static constexpr int32_t kProgressTop = 0;
    static constexpr int32_t kProgressPictures = 3;
    // The first picture, no dialog attached.
    void ResetProgressExtension();
    // The picture for n objectives (0 counts as 1, more than there are pictures takes the last) and the name of
    // the dialog to attach.
    void SetProgressExtension(const char* dialog, int32_t n);
    // Finds the named dialog of the loaded script, moves it into the extension and lays it out; false when the
    // script has no such dialog.
    bool PlaceProgressExtension();
    void ShowProgressExtension() { m_Progress.shown = true; }
    void HideProgressExtension() { m_Progress.shown = false; }
    // Drops the picture and the attached dialog.
    void ReleaseProgressExtension();
    bool IsProgressExtensionShown() const { return m_Progress.shown; }
    bool IsMouseOverProgressExtension() const { return m_Progress.shown && m_Progress.mouseOver; }
    const std::string& GetProgressExtensionPicture() const { return m_Progress.picture; }
    const std::string& GetProgressDialogName() const { return m_Progress.dialogName; }
    DialogItem* GetProgressDialog() const { return m_Progress.dialog; }
    const GuiRect& GetProgressExtensionRect() const { return m_Progress.rect; }

    // ---- credits
    void StartCredits();
    void StopCredits();
    CreditsRoll* GetCredits() const { return m_pCredits.get(); }

private:
    void ResetSelections();
    // The open entry of that dialog, or null.
    DialogEntry* FindEntry(const char* name);
    const DialogEntry* FindEntry(const char* name) const;
    DialogItem* FindDialog(const char* name) const;
    // Marks the entry closing: its position remembered (when asked) and its listener told.
    void CloseEntry(DialogEntry& entry, bool remember);
    void ApplyModeRequest();
    void UpdateDialogs(float dt);
    void RouteMouse(const GuiMouse& mouse);
    // False, with the refusal sound, while a modal dialog is open or the lock is set.
    bool PanelAllowed() const;
    void ToggleSaveMenu(bool load);
    template <typename Fn> void ForEachButton(Fn fn);
    // Parses the text into the (reset) manager: widgets, fonts and an active toolbar. The name goes into the
    // parser's reports.
    void BuildScript(const char* text, size_t length, const char* name = nullptr);
    void BuildFonts();
    void ReleaseLayer(DialogEntry& entry);
    void DropProgressDialog();
    void RouteProgressExtension(int32_t x, int32_t y, int32_t first);

    Display* m_pDisplay;
    GuiShell* m_pShell = nullptr;
    std::string m_scriptName;
    GuiScript m_script;
    // The fonts of the script: those read, one per distinct name; the font of each slot (null for a slot without
    // a name); the text writer of each slot. A reset drops them together.
    struct ScriptFonts
    {
        std::vector<std::unique_ptr<Font>> owned;
        std::vector<Font*> slots;
        std::vector<std::unique_ptr<TextWriter>> writers;
    };
    ScriptFonts m_fonts;
    int32_t m_selections[kSelectionCount] = {};
    int32_t m_iToolbarLayer = -1;
    DialogListener* m_pDialogObject = nullptr;
    std::vector<DialogEntry> m_open; // front first
    std::string m_currentScreen;
    Widget* m_pScreen = nullptr;
    bool m_bScreenSet = false;
    std::unique_ptr<BubbleSet> m_pBubbles;
    int32_t m_iMenuParam = 0;
    int32_t m_dialogValues[kDialogValueCount] = {};
    MessageBand m_Band;
    std::u16string m_MessageText;
    Radar m_Radar;
    RadarPark* m_pRadarPark = nullptr;
    bool m_bRadarInput = true;
    std::unique_ptr<ToolMode> m_pMode;
    int32_t m_iMode = -1;
    int32_t m_iRequestedMode = kStartMode;
    TooltipBox m_tooltip{nullptr};
    const Widget* m_pTooltipOwner = nullptr;
    float m_fRecentHide = 0.0f;
    GuiFrameHolder* m_pMusicPlayer = nullptr;
    std::unique_ptr<TickerList> m_pTicker;
    std::unique_ptr<GazetteerList> m_pGazetteer;
    struct ProgressExtension
    {
        bool shown = false;
        bool mouseOver = false;
        GuiRect rect;
        Sprite* sprite = nullptr;
        std::string picture;
        std::string dialogName;
        DialogItem* dialog = nullptr; // a widget of the loaded script: forgotten by every reset
        int32_t layer = -1;
    };
    ProgressExtension m_Progress;
    std::unique_ptr<CreditsRoll> m_pCredits;
    bool m_bSavedPause = false;
    bool m_bLock = false;
    bool m_bDirectStart = false;
    bool m_bCursorVisible = true;
    bool m_bMouseOverToolbar = false;
    bool m_bControl = false;
    // Counts resets: a walk over the widgets stops when a command reset the script under it.
    uint32_t m_uGeneration = 0;
};

extern GUIManager* g_pGUIManager;

// The scrambled file a GUI script is read from: its extension (the last "." after the last folder separator)
// replaced by ".ble", or ".ble" appended to a name without one.
std::string GuiScriptFileName(const char* name);
