// GUIManager: scripts, dialogs and their layers, the per-frame update and mouse routing, drawing, tool modes,
// selection slots, tooltip and the panel shortcuts.
#include "gui/GUIManager.h"

#include "engine/core/FileSystem.h"
#include "engine/core/GameInput.h"
#include "engine/core/Logger.h"
#include "engine/core/TextTable.h"
#include "engine/media/SoundManager.h"
#include "engine/render/Display.h"
#include "engine/render/Font.h"
#include "engine/render/TextWriter.h"
#include "gui/Button.h"
#include "gui/CreditsRoll.h"
#include "gui/DialogItem.h"
#include "gui/DialogListener.h"
#include "gui/GazetteerList.h"
#include "gui/GuiShell.h"
#include "gui/ListRows.h"
#include "gui/MainItem.h"
#include "gui/ReportText.h"
#include "gui/ScreenElements.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "gui/TickerList.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstring>

GUIManager* g_pGUIManager = nullptr;

namespace
{

ToolModeMaker g_modeMakers[GUIManager::kModeIds] = {};

void PlayRefusal()
{
    if (g_pSoundManager)
        g_pSoundManager->PlaySample("click_bad_01", 1, 0.0f);
}

bool SameName(const Widget* widget, const char* name)
{
    return widget && name && widget->GetName() && std::strcmp(widget->GetName(), name) == 0;
}

} // namespace

std::string GuiScriptFileName(const char* name)
{
    std::string file(name ? name : "");
    const size_t slash = file.find_last_of("/\\");
    const size_t dot = file.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        file.resize(dot);
    return file + ".ble";
}

GUIManager::GUIManager(Display* display) : m_pDisplay(display)
{
    g_pGUIManager = this;
    ResetSelections();
    // Slot 4 starts at -1; no script reset touches it.
    m_selections[4] = -1;
    m_pGazetteer = std::make_unique<GazetteerList>(*this);
    m_pTicker = std::make_unique<TickerList>(*this);
    if (m_pDisplay)
    {
        const uint32_t width = m_pDisplay->GetWidth() > 800 ? 885 : 800;
        m_iToolbarLayer = m_pDisplay->CreateSurface(width, kToolbarHeight, "Toolbar", true);
        m_pDisplay->ClearSurface(m_iToolbarLayer);
        m_pDisplay->SetSurfacePosition(m_iToolbarLayer, 0, GetScreenHeight() - kToolbarHeight);
    }
}

GUIManager::~GUIManager()
{
    Reset();
    ReleaseProgressExtension();
    if (m_pMode)
    {
        m_pMode->Exit();
        m_pMode.reset();
    }
    m_pCredits.reset();
    if (m_pDisplay && m_iToolbarLayer >= 0)
        m_pDisplay->FreeSurface(m_iToolbarLayer);
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

int32_t GUIManager::GetScreenWidth() const
{
    return m_pDisplay ? static_cast<int32_t>(m_pDisplay->GetWidth()) : kDesignWidth;
}

int32_t GUIManager::GetScreenHeight() const
{
    return m_pDisplay ? static_cast<int32_t>(m_pDisplay->GetHeight()) : kDesignHeight;
}

// ---- script

bool GUIManager::LoadScript(const char* name)
{
    Reset();
    m_scriptName = name ? name : "";
    const std::string file = GuiScriptFileName(m_scriptName.c_str());
    uint32_t size = 0;
    std::unique_ptr<char[]> text(GetFileSystem()->ReadBleFileSized(file.c_str(), &size));
    if (!text)
    {
        // An empty script is a script with nothing in it.
        if (IsRegularFile(file.c_str()))
            return true;
        GetLogger()->Report(0, "GUIManager::LoadScript - the GUI script %s cannot be read; its screen has no dialogs",
                            ReportWord(file, kReportPathBytes).c_str());
        return false;
    }
    BuildScript(text.get(), size, file.c_str());
    return true;
}

void GUIManager::LoadScriptText(const char* text, size_t length)
{
    Reset();
    BuildScript(text, length);
}

void GUIManager::BuildScript(const char* text, size_t length, const char* name)
{
    GuiParser parser(GetScreenWidth(), GetScreenHeight(), name);
    m_script = parser.Parse(text, length);
    BuildFonts();
    if (MainItem* root = m_script.GetToolbarRoot())
    {
        root->SetActive(true);
        root->SetDirty();
    }
    m_Band = MessageBand();
    m_MessageText.clear();
}

void GUIManager::BuildFonts()
{
    // A name given again shares the font read for it (and its reports); a slot without a name has no font.
    for (const std::string& name : m_script.fonts)
    {
        Font* font = nullptr;
        for (size_t i = 0; i < m_fonts.slots.size() && !font && !name.empty(); ++i)
            if (m_script.fonts[i] == name)
                font = m_fonts.slots[i];
        if (!font && !name.empty())
        {
            m_fonts.owned.push_back(std::make_unique<Font>(name.c_str()));
            font = m_fonts.owned.back().get();
        }
        m_fonts.slots.push_back(font);
        m_fonts.writers.push_back(std::make_unique<TextWriter>(font));
    }
    // Tooltips are small print: the script's second font when it names one, else its first.
    TextWriter* small = GetTextWriter(1);
    m_tooltip.SetWriter(small && small->GetFont() ? small : GetTextWriter(0));
}

void GUIManager::ReleaseLayer(DialogEntry& entry)
{
    if (m_pDisplay && entry.layer >= 0)
        m_pDisplay->FreeSurface(entry.layer);
    entry.layer = -1;
}

void GUIManager::Reset()
{
    ++m_uGeneration;
    for (DialogEntry& entry : m_open)
    {
        entry.dialog->SetActive(false);
        ReleaseLayer(entry);
    }
    m_open.clear();
    if (m_pMusicPlayer)
        m_pMusicPlayer->Disable();
    m_pTicker->Enable(false);
    m_pGazetteer->Enable(false);
    if (m_pScreen)
        m_pScreen->SetActive(false);
    m_pScreen = nullptr;
    m_currentScreen.clear();
    m_tooltip.Hide();
    m_pTooltipOwner = nullptr;
    DropProgressDialog();
    m_script = GuiScript{};
    m_tooltip.SetWriter(nullptr);
    m_fonts = ScriptFonts{};
    ResetSelections();
}

Widget* GUIManager::FindItem(int32_t type, const char* name) const
{
    for (const auto& item : m_script.items)
        if (item->GetType() == type && SameName(item.get(), name))
            return item.get();
    return nullptr;
}

void GUIManager::CollectScreenElements(std::vector<Widget*>& out) const
{
    for (const auto& item : m_script.items)
    {
        const int32_t type = item->GetType();
        if (type == WT_SCREENIMAGE || (type >= WT_SCREENBUTTON && type <= WT_SCREENVAR))
            out.push_back(item.get());
    }
}

ListRows* GUIManager::FindList(int32_t type, const char* name) const
{
    return dynamic_cast<ListRows*>(FindItem(type, name));
}

// ---- front-end screens

void GUIManager::ActivateScreen(const char* name)
{
    if (m_pScreen)
        m_pScreen->SetActive(false);
    m_pScreen = nullptr;
    m_currentScreen = name ? name : "";
    for (Widget* item : m_script.topLevel)
        if (item->GetType() == WT_SCREENITEM && SameName(item, name))
        {
            m_pScreen = item;
            m_pScreen->SetActive(true);
            if (auto* screen = dynamic_cast<ScreenItem*>(item); screen && m_pBubbles)
            {
                m_pBubbles->SetInterval(screen->GetBubbleInterval());
                m_pBubbles->SetAlpha(static_cast<float>(screen->GetBubbleAlpha()) / 255.0f);
            }
            break;
        }
}

bool GUIManager::IsCurrentScreenLocked() const
{
    const auto* screen = dynamic_cast<const ScreenItem*>(m_pScreen);
    return screen && screen->IsAnyChildLocked();
}

void GUIManager::CreateScreenSet()
{
    m_bScreenSet = true;
    if (!m_pBubbles)
        m_pBubbles = std::make_unique<BubbleSet>();
}

void GUIManager::DrawFrontEnd()
{
    auto* screen = dynamic_cast<ScreenItem*>(m_pScreen);
    if (!screen)
    {
        if (m_pScreen)
            m_pScreen->Draw();
        return;
    }
    screen->DrawBackground();
    if (m_pBubbles)
        m_pBubbles->Draw(GetScreenWidth(), GetScreenHeight());
    screen->DrawElements();
}

void GUIManager::DeactivateScreen()
{
    if (m_pScreen)
        m_pScreen->SetActive(false);
    m_pScreen = nullptr;
    m_currentScreen.clear();
}

const char* GUIManager::GetCurrentScreenName() const
{
    return m_currentScreen.empty() ? nullptr : m_currentScreen.c_str();
}

void GUIManager::StartGameState(const char* name)
{
    if (!name || platform::StrICmp(name, "NONE") == 0)
        return;
    const bool start = platform::StrICmp(name, "STARTGAME") == 0 || platform::StrICmp(name, "LOADGAME") == 0;
    const bool reset = platform::StrICmp(name, "RESETGAME") == 0;
    const bool load = platform::StrICmp(name, "INGAMELOAD") == 0;
    if (!start && !reset && !load)
        return;
    DeactivateScreen();
    if (!m_pShell)
        return;
    if (start)
    {
        m_pShell->ClearScenarioList();
        if (m_bDirectStart)
            m_pShell->TakeLoadListSelection();
        else
            m_pShell->SelectScreen(5);
    }
    else
        m_pShell->SelectScreen(reset ? 5 : 1);
}

// ---- tool modes

void GUIManager::RegisterToolMode(int32_t id, ToolModeMaker maker)
{
    if (id >= 0 && id < kModeIds)
        g_modeMakers[id] = maker;
}

void GUIManager::SetMode(int32_t id)
{
    m_iRequestedMode = id;
    if ((id == 2 || id == 7 || id == 9) && GetDialogAnimState("SceneryPanel") == 1)
    {
        AnimateDialog("SceneryPanel", DialogItem::SLIDE_HOME, 1.0f, 0);
        SetDialogAnimState("SceneryPanel", 0);
        SetButtonImageByCommand("MinSceneryPanel", "UIS_sc_in");
    }
}

void GUIManager::ApplyModeRequest()
{
    if (m_iRequestedMode == m_iMode)
        return;
    if (m_pMode)
    {
        m_pMode->Exit();
        m_pMode.reset();
    }
    m_iMode = m_iRequestedMode;
    if (m_iMode >= 0 && m_iMode < kModeIds && g_modeMakers[m_iMode])
        m_pMode = g_modeMakers[m_iMode](*this);
    if (m_pMode)
        m_pMode->Enter();
}

void GUIManager::EnterBuildMode()
{
    if (m_pShell && m_pShell->IsBuildingAvailable(m_selections[0]))
        SetMode(5);
    OpenDialog("CancelBuildMode", nullptr);
}

void GUIManager::ModePreRender()
{
    if (m_pMode)
        m_pMode->PreRender();
}

void GUIManager::ModeRender()
{
    if (m_pMode)
        m_pMode->Render();
}

// ---- dialogs

DialogItem* GUIManager::FindDialog(const char* name) const
{
    for (Widget* item : m_script.topLevel)
        if (item->GetType() == WT_DIALOG && SameName(item, name))
            return static_cast<DialogItem*>(item);
    return nullptr;
}

GUIManager::DialogEntry* GUIManager::FindEntry(const char* name)
{
    for (DialogEntry& entry : m_open)
        if (entry.state != ENTRY_CLOSING && SameName(entry.dialog, name))
            return &entry;
    return nullptr;
}

const GUIManager::DialogEntry* GUIManager::FindEntry(const char* name) const
{
    return const_cast<GUIManager*>(this)->FindEntry(name);
}

bool GUIManager::OpenDialog(const char* name, DialogListener* listener, bool modal, bool drawWhileLocked)
{
    DialogItem* dialog = FindDialog(name);
    if (!dialog)
        return false;
    if (listener)
        for (const DialogEntry& entry : m_open)
            if (entry.state != ENTRY_CLOSING && entry.dialog == dialog && entry.listener == listener)
                return true;
    for (DialogEntry& entry : m_open)
        if (entry.state != ENTRY_CLOSING && entry.dialog->GetPositionId() == dialog->GetPositionId())
        {
            CloseEntry(entry, true);
            break;
        }
    DialogEntry entry;
    entry.drawWhileLocked = drawWhileLocked;
    // Laid out at its home place with its children (wherever a drag or a slide left it before), then moved to the
    // place remembered for it, if any: a dialog opens where its script or the options put it, never where it was.
    dialog->Reposition(0, 0);
    int32_t x = 0, y = 0;
    if (!modal && dialog->IsDraggable() && m_iMode != kIdleMode && m_iRequestedMode != kIdleMode && m_pShell &&
        m_pShell->GetDialogPosition(dialog->GetPositionId(), &x, &y))
    {
        // Only a position that keeps the whole dialog on the screen is taken (summed wide: a stored position may
        // be anything the options file held).
        if (x >= 0 && y >= 0 && int64_t{x} + dialog->GetWidth() < GetScreenWidth() &&
            int64_t{y} + dialog->GetHeight() < GetScreenHeight())
            dialog->Move(x - dialog->GetRect().left, y - dialog->GetRect().top);
    }
    if (m_pDisplay)
    {
        const GuiRect& r = dialog->GetRect();
        const uint32_t width = static_cast<uint32_t>(std::clamp(r.right - r.left + 1, 1, 1024));
        const uint32_t height = static_cast<uint32_t>(std::clamp(r.bottom - r.top + 1, 1, 1024));
        entry.layer = m_pDisplay->CreateSurface(width, height, name, true);
        m_pDisplay->ClearSurface(entry.layer);
        m_pDisplay->SetSurfacePosition(entry.layer, r.left, r.top);
    }
    entry.listener = listener;
    entry.dialog = dialog;
    m_open.insert(m_open.begin(), entry);
    dialog->SetDirty();
    dialog->SetDragLock(modal);
    return true;
}

bool GUIManager::ToggleDialog(const char* name, DialogListener* listener, bool modal)
{
    if (CloseDialog(name))
        return false;
    return OpenDialog(name, listener, modal);
}

bool GUIManager::OpenDialogWithParam(const char* name, int32_t param, DialogListener* listener, bool modal)
{
    m_iMenuParam = param;
    return OpenDialog(name, listener, modal);
}

bool GUIManager::OpenDialogWithValue(int32_t slot, const char* name, int32_t value, DialogListener* listener,
                                     bool modal)
{
    if (slot >= 0 && slot < kDialogValueCount)
        m_dialogValues[slot] = value;
    return OpenDialog(name, listener, modal);
}

int32_t GUIManager::GetDialogValue(int32_t slot) const
{
    return slot >= 0 && slot < kDialogValueCount ? m_dialogValues[slot] : 0;
}

void GUIManager::StoreDialogPosition(int32_t positionId, int32_t x, int32_t y)
{
    if (m_pShell && m_iMode != kIdleMode && m_iRequestedMode != kIdleMode)
        m_pShell->SetDialogPosition(positionId, x, y);
}

void GUIManager::CloseEntry(DialogEntry& entry, bool remember)
{
    entry.state = ENTRY_CLOSING;
    if (remember)
        StoreDialogPosition(entry.dialog->GetPositionId(), entry.dialog->GetRect().left, entry.dialog->GetRect().top);
    if (entry.listener)
        entry.listener->ResetPanelState();
}

bool GUIManager::CloseDialog(const char* name)
{
    DialogEntry* entry = FindEntry(name);
    if (entry)
        CloseEntry(*entry, true);
    return entry != nullptr;
}

bool GUIManager::CloseOwningDialog(int32_t dialogIndex)
{
    for (DialogEntry& entry : m_open)
        if (entry.state != ENTRY_CLOSING && entry.dialog->GetDialogIndex() == dialogIndex)
        {
            CloseEntry(entry, true);
            return true;
        }
    CloseAllDialogs();
    return false;
}

bool GUIManager::CloseDialogsOfListener(const DialogListener* listener)
{
    bool any = false;
    for (DialogEntry& entry : m_open)
        if (entry.state != ENTRY_CLOSING && entry.listener == listener)
        {
            CloseEntry(entry, true);
            any = true;
        }
    return any;
}

void GUIManager::CloseAllDialogs()
{
    for (DialogEntry& entry : m_open)
        if (entry.state != ENTRY_CLOSING)
            CloseEntry(entry, true);
}

void GUIManager::CloseFrontDialog()
{
    if (m_open.empty())
        return;
    DialogEntry& front = m_open.front();
    if (front.state == ENTRY_OPEN && !front.dialog->IsModal() && !front.dialog->IsInTransition())
        CloseEntry(front, false);
}

bool GUIManager::IsDialogOpen(const char* name) const
{
    return FindEntry(name) != nullptr;
}

bool GUIManager::IsModalDialogOpen() const
{
    for (const DialogEntry& entry : m_open)
        if (entry.state != ENTRY_CLOSING && entry.dialog->IsModal())
            return true;
    return false;
}

int32_t GUIManager::GetOpenDialogCount() const
{
    return static_cast<int32_t>(
        std::count_if(m_open.begin(), m_open.end(), [](const DialogEntry& e) { return e.state != ENTRY_CLOSING; }));
}

void GUIManager::AnimateDialog(const char* name, int32_t kind, float time, int32_t offset)
{
    if (DialogEntry* entry = FindEntry(name))
        entry->dialog->StartTransition(kind, time, offset);
}

int32_t GUIManager::GetDialogAnimState(const char* name) const
{
    const DialogEntry* entry = FindEntry(name);
    return entry ? entry->dialog->GetAnimState() : 0;
}

void GUIManager::SetDialogAnimState(const char* name, int32_t value)
{
    if (DialogEntry* entry = FindEntry(name))
        entry->dialog->SetAnimState(value);
}

void GUIManager::SelectDialogTab(const char* name, int32_t tab)
{
    if (DialogEntry* entry = FindEntry(name))
        entry->dialog->SelectTab(tab);
}

void GUIManager::RedrawDialog(const char* name, bool clear)
{
    DialogEntry* entry = FindEntry(name);
    if (!entry)
        return;
    if (clear && m_pDisplay)
        m_pDisplay->ClearSurface(entry->layer);
    entry->dialog->SetDirty();
    // The layer is painted again at the next draw of the dialogs, before it is shown: it goes up to the screen then.
    if (m_pDisplay)
        m_pDisplay->MarkSurfaceDirty(entry->layer);
}

void GUIManager::RedrawAllDialogs(bool clear)
{
    for (DialogEntry& entry : m_open)
    {
        if (m_pDisplay && clear)
            m_pDisplay->ClearSurface(entry.layer);
        entry.dialog->SetDirty();
        if (m_pDisplay)
            m_pDisplay->MarkSurfaceDirty(entry.layer);
    }
}

void GUIManager::RefreshOpenDialogs()
{
    DialogListener* saved = m_pDialogObject;
    for (DialogEntry& entry : m_open)
    {
        // A closing entry is no longer open: its listener may already be gone, and its dialog may be open again
        // for another listener in a newer entry.
        if (entry.state == ENTRY_CLOSING)
            continue;
        m_pDialogObject = entry.listener;
        entry.dialog->Refresh();
        if (m_pDisplay)
            m_pDisplay->ClearSurface(entry.layer);
        entry.dialog->SetDirty();
    }
    m_pDialogObject = saved;
}

// ---- panel shortcuts

bool GUIManager::PanelAllowed() const
{
    if (!IsModalDialogOpen() && !m_bLock)
        return true;
    PlayRefusal();
    return false;
}

void GUIManager::OpenPauseBox()
{
    if (!IsDialogOpen("ScenarioWon") && !IsDialogOpen("ScenarioLost"))
        OpenDialog("PauseBox", nullptr, true);
}

void GUIManager::ToggleSaveMenu(bool load)
{
    if (!PanelAllowed())
        return;
    const char* name = load ? "LoadGameMenu" : "SaveGameMenu";
    if (IsDialogOpen(name))
    {
        if (m_pShell)
            m_pShell->SaveMenuClosed(load);
        CloseDialog(name);
        return;
    }
    CloseDialog(load ? "SaveGameMenu" : "LoadGameMenu");
    if (m_pShell)
        m_pShell->PrepareSaveMenu(load);
    OpenDialog(name, m_pShell ? m_pShell->GetShellListener() : nullptr);
}

void GUIManager::ToggleInGameOptions()
{
    if (PanelAllowed() && ToggleDialog("InGameOptions", m_pShell ? m_pShell->GetShellListener() : nullptr))
        SelectDialogTab("InGameOptions", 0);
}

void GUIManager::OpenInGameOptions()
{
    OpenDialog("InGameOptions", m_pShell ? m_pShell->GetShellListener() : nullptr);
    SelectDialogTab("InGameOptions", 1);
}

void GUIManager::OpenBuildPanel()
{
    if (!PanelAllowed())
        return;
    SetMode(kSelectMode);
    CloseAllDialogs();
    if (m_pShell)
        m_pShell->UseOverviewCamera();
    ToggleDialog("BuildPanel", nullptr);
}

void GUIManager::ToggleSceneryPanel()
{
    if (!PanelAllowed())
        return;
    if (IsDialogOpen("SceneryPanel"))
    {
        AnimateDialog("SceneryPanel", DialogItem::SLIDE_OUT, 1.0f, 0);
        SetMode(kSelectMode);
        return;
    }
    CloseDialog("BuildPanel");
    SetButtonImageByCommand("MinSceneryPanel", "UIS_sc_in");
    OpenDialog("SceneryPanel", nullptr);
    AnimateDialog("SceneryPanel", DialogItem::SLIDE_IN, 0.75f, 0);
    if (m_pShell)
        m_pShell->UseOverviewCamera();
    CloseDialog("CancelCamera");
}

// ---- buttons by command

template <typename Fn> void GUIManager::ForEachButton(Fn fn)
{
    for (const auto& item : m_script.items)
        if (item->GetType() == WT_BUTTON)
            fn(*static_cast<Button*>(item.get()));
}

void GUIManager::DisableButtonsByCommand(const char* name)
{
    ForEachButton([name](Button& b) { b.DisableByCommand(name); });
}

void GUIManager::EnableButtonsByCommand(const char* name)
{
    ForEachButton([name](Button& b) { b.EnableByCommand(name); });
}

void GUIManager::SetButtonImageByCommand(const char* name, const char* image)
{
    ForEachButton([name, image](Button& b) { b.SetImageByCommand(name, image); });
}

void GUIManager::SetButtonHeldByCommand(const char* name, bool held)
{
    ForEachButton([name, held](Button& b) { b.SetHeldByCommand(name, held); });
}

// ---- selections and resources

int32_t GUIManager::GetSelection(int index) const
{
    return index >= 0 && index < kSelectionCount ? m_selections[index] : 0;
}

void GUIManager::SetSelection(int index, int32_t value)
{
    if (index < 0 || index >= kSelectionCount)
        return;
    const bool changed = m_selections[index] != value;
    m_selections[index] = value;
    switch (index)
    {
    case 1:
    case 2:
    case 9:
    case 12:
        if (changed)
            RefreshOpenDialogs();
        break;
    case 6:
        if (changed)
            RedrawDialog("ObjectBrowser", false);
        break;
    case 7:
    case 10:
    case 11:
        break;
    default:
        RedrawAllDialogs(false);
        break;
    }
}

Font* GUIManager::GetFont(int n) const
{
    return n >= 0 && static_cast<size_t>(n) < m_fonts.slots.size() ? m_fonts.slots[static_cast<size_t>(n)] : nullptr;
}

TextWriter* GUIManager::GetTextWriter(int n) const
{
    return n >= 0 && static_cast<size_t>(n) < m_fonts.writers.size() ? m_fonts.writers[static_cast<size_t>(n)].get()
                                                                     : nullptr;
}

// ---- message band, tooltip, pause

void GUIManager::ShowMessage(const char* key, int32_t passes)
{
    const char16_t* text = g_pTextTable && key ? g_pTextTable->GetText(key) : nullptr;
    ShowMessageText(text ? text : u"", passes);
}

void GUIManager::ShowMessageText(const char16_t* text, int32_t passes)
{
    m_MessageText = text ? text : u"";
    const TextWriter* writer = GetTextWriter(0);
    const int32_t width =
        writer ? writer->GetTextWidth(m_MessageText.c_str()) : static_cast<int32_t>(m_MessageText.size()) * 8;
    m_Band.SetBand(m_script.messageBand.left, m_script.messageBand.right);
    m_Band.Show(width, passes);
    if (g_pSoundManager)
        g_pSoundManager->PlaySampleVolume("NewMessage", 0.5f, 1, 0.0f);
}

void GUIManager::UpdateMessage(float dt)
{
    const bool paused = !m_pShell || !m_pShell->HasPark() || m_pShell->IsParkPaused();
    m_Band.Update(dt, m_pShell ? m_pShell->GetParkSpeed() : 1.0f, paused);
}

void GUIManager::ShowTooltip(Widget* owner, int32_t x, int32_t y, const char* textId)
{
    if (owner != m_pTooltipOwner)
    {
        m_tooltip.Hide();
        m_pTooltipOwner = owner;
        m_tooltip.SetText(textId);
    }
    m_tooltip.Show(x, y, GetScreenWidth(), GetScreenHeight());
}

void GUIManager::HideTooltip(const Widget* owner)
{
    if (!owner || owner != m_pTooltipOwner)
        return;
    m_tooltip.Hide();
    m_pTooltipOwner = nullptr;
    m_fRecentHide = kRecentHide;
}

void GUIManager::PushPause()
{
    if (m_pShell && m_pShell->HasPark())
    {
        m_bSavedPause = m_pShell->IsParkPaused();
        m_pShell->SetParkPaused(true);
    }
}

void GUIManager::PopPause()
{
    if (m_pShell && m_pShell->HasPark())
        m_pShell->SetParkPaused(m_bSavedPause);
}

void GUIManager::CreateRadar(const char* mapSprite, bool alternative, int32_t x, int32_t y)
{
    m_Radar.Create(x, y, mapSprite, alternative);
}

// ---- progress extension

void GUIManager::ResetProgressExtension()
{
    SetProgressExtension(nullptr, 1);
    m_Progress.dialogName.clear();
}

void GUIManager::SetProgressExtension(const char* dialog, int32_t n)
{
    DropProgressDialog();
    if (m_Progress.sprite)
        GetSpriteManager().ReleaseSprite(m_Progress.sprite);
    const int32_t picture = std::clamp(n, 1, kProgressPictures);
    m_Progress.picture = "uis_progress_extension" + std::to_string(picture);
    m_Progress.sprite = GetSpriteManager().CreateSprite(m_Progress.picture.c_str());
    m_Progress.rect = {kProgressLeft, kProgressTop, kProgressLeft + m_Progress.sprite->GetWidth(),
                       kProgressTop + m_Progress.sprite->GetHeight()};
    m_Progress.dialogName = dialog ? dialog : "";
}

bool GUIManager::PlaceProgressExtension()
{
    DropProgressDialog();
    DialogItem* dialog = m_Progress.dialogName.empty() ? nullptr : FindDialog(m_Progress.dialogName.c_str());
    if (!dialog)
        return false;
    // Laid out at the extension's corner, away from its own place (and remembered under no position).
    const GuiRect& home = dialog->GetHomeRect();
    dialog->Reposition(m_Progress.rect.left - home.left, m_Progress.rect.top - home.top);
    dialog->SetActive(true);
    dialog->SetChanged(true);
    m_Progress.dialog = dialog;
    if (m_pDisplay)
    {
        const GuiRect& at = dialog->GetRect();
        const int32_t width = std::max(at.right - at.left, 1), height = std::max(at.bottom - at.top, 1);
        m_Progress.layer = m_pDisplay->CreateSurface(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                                     m_Progress.dialogName.c_str(), true);
        if (m_Progress.layer >= 0)
        {
            m_pDisplay->ClearSurface(m_Progress.layer);
            m_pDisplay->SetSurfacePosition(m_Progress.layer, at.left, at.top);
        }
    }
    return true;
}

void GUIManager::DropProgressDialog()
{
    if (m_Progress.dialog)
        m_Progress.dialog->SetActive(false);
    m_Progress.dialog = nullptr;
    if (m_pDisplay && m_Progress.layer >= 0)
        m_pDisplay->FreeSurface(m_Progress.layer);
    m_Progress.layer = -1;
}

void GUIManager::ReleaseProgressExtension()
{
    DropProgressDialog();
    if (m_Progress.sprite)
        GetSpriteManager().ReleaseSprite(m_Progress.sprite);
    m_Progress = ProgressExtension{};
}

void GUIManager::RouteProgressExtension(int32_t x, int32_t y, int32_t first)
{
    const GuiRect& r = m_Progress.rect;
    m_Progress.mouseOver = m_Progress.shown && m_Progress.sprite && m_Progress.sprite->HasPicture() && x >= r.left &&
                           y >= r.top && x < r.right && y < r.bottom &&
                           m_Progress.sprite->IsOpaqueAt(x - r.left + 1, y - r.top);
    if (m_Progress.shown && m_Progress.dialog)
    {
        m_pDialogObject = nullptr;
        m_Progress.dialog->OnMouse(x, y, first);
    }
}

bool GUIManager::IsMouseOverGui(bool includeRadar) const
{
    if (m_bMouseOverToolbar || (includeRadar && IsMouseOverRadar()) || IsMouseOverProgressExtension())
        return true;
    for (const DialogEntry& entry : m_open)
        if (entry.state != ENTRY_CLOSING && entry.dialog->IsMouseOver())
            return true;
    return false;
}

void GUIManager::StartCredits()
{
    m_pCredits = std::make_unique<CreditsRoll>(GetScreenWidth(), GetScreenHeight());
    m_pCredits->Start();
}

void GUIManager::StopCredits()
{
    m_pCredits.reset();
}

// ---- per frame

void GUIManager::Update(float frameTime)
{
    GuiMouse mouse;
    if (g_pGameInput)
    {
        mouse.x = g_pGameInput->GetMouseX();
        mouse.y = g_pGameInput->GetMouseY();
        mouse.wheel = g_pGameInput->GetWheelDelta();
        mouse.first = g_pGameInput->GetLeftButton();
        mouse.second = g_pGameInput->GetRightButton();
        // The control keys' DirectInput codes; a key that went down this frame is down for a click of the same
        // frame too.
        mouse.control = g_pGameInput->IsKeyHeld(0x1D) || g_pGameInput->IsKeyHeld(0x9D) ||
                        g_pGameInput->IsKeyPressed(0x1D) || g_pGameInput->IsKeyPressed(0x9D);
    }
    else
        mouse.x = mouse.y = GameInput::kOutsideWindow;
    Update(frameTime, mouse);
}

void GUIManager::Update(float frameTime, const GuiMouse& mouse)
{
    m_bControl = mouse.control;
    ApplyModeRequest();
    UpdateDialogs(frameTime);
    RouteMouse(mouse);
    if (m_pMode)
        m_pMode->Update(frameTime);
    if (m_pBubbles && m_pScreen)
        m_pBubbles->Update(frameTime);
    if (m_pScreen)
        m_pScreen->Update(frameTime);
    m_fRecentHide = std::max(m_fRecentHide - frameTime, 0.0f);
    if (m_pMusicPlayer)
        m_pMusicPlayer->Update(frameTime);
    m_pTicker->Refresh();
    m_pGazetteer->Update();
    m_Radar.Update(frameTime);
    if (m_Progress.shown && m_Progress.dialog)
    {
        m_pDialogObject = nullptr;
        m_Progress.dialog->Update(frameTime);
    }
    if (m_pCredits)
    {
        m_pCredits->Update(frameTime);
        if (m_pCredits->IsFinished())
        {
            StopCredits();
            CloseAllDialogs();
            ActivateScreen("MainMenu");
        }
    }
}

void GUIManager::UpdateDialogs(float dt)
{
    m_pDialogObject = m_pShell ? m_pShell->GetShellListener() : nullptr;
    if (MainItem* root = m_script.GetToolbarRoot())
        root->Update(dt);
    for (auto it = m_open.begin(); it != m_open.end();)
        if (it->state == ENTRY_CLOSING)
        {
            it->dialog->SetActive(false);
            ReleaseLayer(*it);
            it = m_open.erase(it);
        }
        else
            ++it;
    for (DialogEntry& entry : m_open)
        if (entry.state == ENTRY_OPENING)
        {
            m_pDialogObject = entry.listener;
            entry.dialog->SetActive(true);
            entry.dialog->SetChanged(true);
            entry.state = ENTRY_OPEN;
        }
    // A command fired by a dialog's update may open or close dialogs: walk a copy and skip entries that went.
    const std::vector<DialogEntry> walk = m_open;
    const uint32_t generation = m_uGeneration;
    for (const DialogEntry& entry : walk)
    {
        const bool stillOpen =
            std::any_of(m_open.begin(), m_open.end(),
                        [&](const DialogEntry& e)
                        { return e.dialog == entry.dialog && e.listener == entry.listener && e.state == ENTRY_OPEN; });
        if (generation != m_uGeneration)
            return;
        if (!stillOpen)
            continue;
        m_pDialogObject = entry.listener;
        entry.dialog->Update(dt);
    }
}

void GUIManager::RouteMouse(const GuiMouse& mouse)
{
    int32_t first = mouse.first, second = mouse.second;
    if (mouse.wheel != 0)
    {
        bool taken = false;
        if (!m_open.empty() && m_open.front().state != ENTRY_CLOSING)
        {
            m_pDialogObject = m_open.front().listener;
            taken = m_open.front().dialog->OnMouseWheel(mouse.x, mouse.y, mouse.wheel);
        }
        if (!taken && m_pMode)
            m_pMode->OnMouseWheel(mouse.x, mouse.y, mouse.wheel);
    }
    bool taken = false;
    DialogItem* takenBy = nullptr;
    const std::vector<DialogEntry> walk = m_open;
    const uint32_t generation = m_uGeneration;
    for (const DialogEntry& entry : walk)
    {
        if (generation != m_uGeneration)
            return;
        if (entry.state == ENTRY_CLOSING)
            continue;
        m_pDialogObject = entry.listener;
        const bool took = entry.dialog->OnMouse(mouse.x, mouse.y, first);
        // Whatever lies behind a dialog under the cursor (or behind a modal one), the toolbar, the screen, the radar
        // and the mode among them, sees the cursor leave: a press on a dialog is that dialog's alone. So is a button
        // the dialog goes on taking held while the cursor has run off it (a drag by its title, a slider's thumb).
        if (took || entry.dialog->IsMouseOver() || entry.dialog->IsModal())
            first = second = ME_LEAVE;
        if (took)
        {
            taken = true;
            takenBy = entry.dialog;
            break;
        }
    }
    if (generation != m_uGeneration)
        return;
    if (takenBy && !IsModalDialogOpen())
    {
        auto it =
            std::find_if(m_open.begin(), m_open.end(),
                         [takenBy](const DialogEntry& e) { return e.dialog == takenBy && e.state == ENTRY_OPEN; });
        if (it != m_open.end() && it != m_open.begin())
            std::rotate(m_open.begin(), it, it + 1);
    }
    m_pDialogObject = m_pShell ? m_pShell->GetShellListener() : nullptr;
    // While the lock hides the toolbar and the radar, they take no clicks either.
    MainItem* root = m_bLock ? nullptr : m_script.GetToolbarRoot();
    if (root)
    {
        if (!taken)
            taken = root->OnMouse(mouse.x, mouse.y, first);
        root->OnRightMouse(mouse.x, mouse.y, second);
        m_bMouseOverToolbar = root->IsMouseOver();
    }
    else
        m_bMouseOverToolbar = false;
    if (m_pScreen &&
        m_pScreen->OnScreenMouse(static_cast<float>(mouse.x) / static_cast<float>(GetScreenWidth()),
                                 static_cast<float>(mouse.y) / static_cast<float>(GetScreenHeight()), first))
        taken = true;
    if (!m_bLock)
        m_Radar.OnMouse(mouse.x, mouse.y, first, m_bRadarInput, m_pRadarPark);
    RouteProgressExtension(mouse.x, mouse.y, first);
    // A box that keeps the pointer from everything behind it (a scenario's end, a question) ends a drag under way:
    // the release is the box's, and the drag would otherwise be carried out at the next release after it closed.
    if (m_pMode && IsModalDialogOpen())
        m_pMode->CancelGesture();
    if (!taken && m_pMode)
        m_pMode->OnMouse(mouse.x, mouse.y, first, second);
}

// ---- drawing

void GUIManager::DrawDialogs()
{
    MainItem* root = m_script.GetToolbarRoot();
    if (!m_bLock && root)
    {
        if (m_pDisplay)
            m_pDisplay->SelectSurface(m_iToolbarLayer);
        root->DrawCached();
        if (m_pDisplay && root->HasChanged())
            m_pDisplay->MarkSurfaceDirty(m_iToolbarLayer);
        root->SetChanged(false);
    }
    if (!m_bLock && m_Progress.shown && m_Progress.dialog)
    {
        m_pDialogObject = nullptr;
        if (m_pDisplay)
            m_pDisplay->SelectSurface(m_Progress.layer);
        m_Progress.dialog->DrawCached();
        if (m_pDisplay && m_Progress.dialog->HasChanged())
            m_pDisplay->MarkSurfaceDirty(m_Progress.layer);
        m_Progress.dialog->SetChanged(false);
    }
    for (auto it = m_open.rbegin(); it != m_open.rend(); ++it)
    {
        // A closing entry's layer goes at the next update. Its dialog may already be open again in a new entry (a
        // panel reopened for another object), whose layer must take the repaint that the dirty flags ask for.
        if ((m_bLock && !it->drawWhileLocked) || it->state == ENTRY_CLOSING)
            continue;
        m_pDialogObject = it->listener;
        const GuiRect& r = it->dialog->GetRect();
        if (m_pDisplay)
        {
            m_pDisplay->SelectSurface(it->layer);
            m_pDisplay->SetSurfacePosition(it->layer, r.left, r.top);
        }
        it->dialog->DrawCached();
        if (m_pDisplay && it->dialog->HasChanged())
            m_pDisplay->MarkSurfaceDirty(it->layer);
        it->dialog->SetChanged(false);
    }
    if (m_pDisplay)
        m_pDisplay->SelectSurface(-1);
}

void GUIManager::Draw()
{
    // Closing entries are no longer shown (their dialog may be open again for another listener).
    auto drawEntry = [this](const DialogEntry& entry)
    {
        if (entry.state == ENTRY_CLOSING)
            return;
        m_pDialogObject = entry.listener;
        if (m_pDisplay)
            m_pDisplay->DrawSurface(entry.dialog->GetRect().left, entry.dialog->GetRect().top, entry.layer);
        entry.dialog->Draw();
    };
    if (m_bLock)
    {
        for (auto it = m_open.rbegin(); it != m_open.rend(); ++it)
            if (it->drawWhileLocked)
                drawEntry(*it);
        m_tooltip.Draw();
        return;
    }
    if (m_iMode != kIdleMode)
        if (MainItem* root = m_script.GetToolbarRoot())
        {
            if (m_pDisplay)
                m_pDisplay->DrawSurface(0, GetScreenHeight() - kToolbarHeight, m_iToolbarLayer);
            root->Draw();
        }
    if (m_iMode != kIdleMode && m_Band.HasText() && m_script.hasMessageBand)
        if (TextWriter* writer = GetTextWriter(0))
        {
            // Clipped to the band: the writer's rectangle is the band, the text starts at its offset inside it.
            const GuiRect& band = m_script.messageBand;
            writer->SetRect(band.left, band.top, band.right - band.left, band.bottom - band.top);
            writer->SetColour(0xFF2A0FB2);
            writer->SetAlignment(0);
            writer->DrawLine(m_Band.GetLeft() - band.left, 0, m_MessageText.c_str());
        }
    if (m_iMode != kIdleMode)
        m_Radar.Draw(m_pRadarPark);
    if (m_iMode != kIdleMode && m_Progress.shown)
    {
        if (m_Progress.sprite)
            m_Progress.sprite->Draw(static_cast<float>(m_Progress.rect.left), static_cast<float>(m_Progress.rect.top),
                                    GuiNow());
        if (m_Progress.dialog)
        {
            m_pDialogObject = nullptr;
            if (m_pDisplay)
                m_pDisplay->DrawSurface(m_Progress.dialog->GetRect().left, m_Progress.dialog->GetRect().top,
                                        m_Progress.layer);
            m_Progress.dialog->Draw();
        }
    }
    for (auto it = m_open.rbegin(); it != m_open.rend(); ++it)
        drawEntry(*it);
    if (m_pCredits)
        m_pCredits->Draw();
    m_tooltip.Draw();
}
