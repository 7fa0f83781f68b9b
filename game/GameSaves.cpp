// Game: the save directory, the save list, saving into a slot, loading a slot into the park screen, deleting, and
// the rows of the load and save dialogs.
#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "game/Game.h"
#include "game/Screens.h"
#include "gui/GUIManager.h"
#include "gui/ListBox.h"
#include "gui/ListRows.h"
#include "gui/ScreenListBox.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "world/Player.h"
#include "world/World.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

namespace
{

constexpr int32_t kTextFlags = 2;
constexpr int32_t kTextFont = 1;
constexpr uint32_t kTextColour = 0xFF6D6850;
constexpr int32_t kTextSize = 15;

void AddText(ListRows& list, int32_t row, int32_t x, int32_t width, const char16_t* text, bool newRow)
{
    list.AddTextItem(row, x, width, kTextSize, kTextFlags, kTextFont, kTextColour, text ? text : u"", newRow);
}

std::tm LocalTime(int32_t saveTime)
{
    const std::time_t when = static_cast<std::time_t>(static_cast<uint32_t>(saveTime));
    std::tm local{};
    localtime_r(&when, &local);
    return local;
}

// The first selected row of a list, or -1.
int32_t FirstSelected(const ListRows* list)
{
    return list && !list->GetSelectedRows().empty() ? list->GetSelectedRows().front() : -1;
}

const char* HeaderFault(SaveHeaderResult result)
{
    switch (result)
    {
    case SaveHeaderResult::WrongIdentification:
        return "Attempted to load incorrect file";
    case SaveHeaderResult::WrongVersion:
        return "Save file has incorrect version number";
    case SaveHeaderResult::Cut:
        return "Save file is cut short";
    case SaveHeaderResult::Ok:
        break;
    }
    return "";
}

// Removes a slot's file; false, with a level 0 report naming the file, when it is still there. A file that went
// some other way since the list was filled counts as deleted.
bool RemoveSlotFile(int32_t slot)
{
    const std::string file = SaveSlotPath(slot);
    if (platform::RemoveFile(file) || platform::ResolveExisting(file).empty())
        return true;
    GetLogger()->Report(0, "Couldn't delete the saved game %s", file.c_str());
    return false;
}

} // namespace

void Game::CreateSaveDirectory()
{
    const std::string folder = SaveDirectoryPath();
    if (platform::ResolveExisting(folder).empty())
        platform::MakeDirectory(folder);
}

void Game::ScanSaveGames()
{
    ClearSaveGames();
    // The folder as it is spelt on the disk (the resolver finds it in any case).
    std::string folder = platform::ResolveExisting(SaveDirectoryPath());
    if (folder.empty())
        return;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error))
    {
        const std::string name = it->path().filename().string();
        int32_t slot = 0;
        if (!ParseSaveSlotName(name, &slot) || !it->is_regular_file(error))
            continue;
        // Only the file the slot's own name finds: loading, overwriting and deleting the row go to that name, so
        // "save05.dat" or a second spelling of "save5.dat" in other letters would act on another save.
        if (std::filesystem::path(platform::ResolveExisting(SaveSlotPath(slot))).filename() != it->path().filename())
            continue;
        BinarySerialStream stream(false, it->path().string().c_str());
        if (!stream.IsOpen())
            continue;
        auto entry = std::make_unique<SaveGameEntry>();
        bool sandbox = false;
        if (ReadSaveHeader(stream, entry.get(), &sandbox) != SaveHeaderResult::Ok)
            continue;
        entry->m_iSlot = slot;
        m_saveGames.push_back(std::move(entry));
    }
    SortSaveGames(m_saveGames);
}

void Game::ClearSaveGames()
{
    m_saveGames.clear();
    m_pSelectedSave = nullptr;
    m_bInGameLoadListShown = false;
}

const SaveGameEntry* Game::GetSaveGame(int32_t i) const
{
    return i >= 0 && i < GetSaveGameCount() ? m_saveGames[static_cast<size_t>(i)].get() : nullptr;
}

// ---- saving

bool Game::SaveToSlot(int32_t slot)
{
    const World* world = g_pWorld;
    if (!world || slot < 0)
    {
        GetLogger()->Report(0, "Couldn't save the game: there is no park to save");
        return false;
    }
    SaveGameEntry entry;
    entry.m_iSlot = slot;
    entry.m_iSaveTime = static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)));
    entry.m_iScenario = m_iScenarioIndex;
    entry.m_iGameDay = world->GetGameDay();
    entry.m_fDayTime = world->GetGameDayTime();
    entry.m_fCash = world->GetPlayer() ? world->GetPlayer()->Cash : 0.0f;
    entry.m_iGuests = world->m_NumGuests;
    if (m_bSandbox)
        std::snprintf(entry.m_szTitle, sizeof entry.m_szTitle, "MAINSS_SANDBOX%d_TITLE", m_iScenarioIndex + 1);
    else
        std::snprintf(entry.m_szTitle, sizeof entry.m_szTitle, "%s", world->m_StatusTitle.c_str());

    CreateSaveDirectory();
    const std::string file = SaveSlotPath(slot);
    bool ok = false;
    {
        BinarySerialStream stream(true, file.c_str());
        if (stream.IsOpen())
        {
            WriteSaveHeader(stream, entry, m_bSandbox);
            ok = world->Save(stream);
        }
        ok = stream.Close() && ok;
    }
    if (!ok)
        GetLogger()->Report(0, "Couldn't save the game to %s", file.c_str());
    return ok;
}

int32_t Game::FindFreeSlot() const
{
    std::vector<int32_t> used;
    for (const auto& entry : m_saveGames)
        used.push_back(entry->m_iSlot);
    std::sort(used.begin(), used.end());
    int32_t slot = FindFreeSaveSlot(m_saveGames);
    while (slot < INT32_MAX &&
           (std::binary_search(used.begin(), used.end(), slot) || platform::FileExists(SaveSlotPath(slot))))
        ++slot;
    return slot;
}

bool Game::SaveGame()
{
    const int32_t row = FirstSelected(m_pGUIManager->FindList(GUIManager::kListBoxType, "SaveListBox"));
    if (row < 0)
        return false;
    if (row == 0)
        return SaveToSlot(FindFreeSlot());
    const SaveGameEntry* entry = GetSaveGame(row - 1);
    return entry && SaveToSlot(entry->m_iSlot);
}

bool Game::IsExistingSlotSelected() const
{
    const int32_t row = FirstSelected(m_pGUIManager->FindList(GUIManager::kListBoxType, "SaveListBox"));
    return row > 0;
}

// ---- loading

void Game::SelectInGameLoad()
{
    m_iLoadRequest = FirstSelected(m_pGUIManager->FindList(GUIManager::kListBoxType, "LoadListBox"));
    SelectScreen(kMainMenuScreen);
}

void Game::GetLoadListSelection()
{
    m_iLoadRequest = FirstSelected(m_pGUIManager->FindList(GUIManager::kScreenListBoxType, "LoadListBox"));
}

void Game::LoadGame()
{
    const SaveGameEntry* entry = GetSaveGame(m_iLoadRequest);
    m_iLoadRequest = -1;
    const int32_t slot = entry ? entry->m_iSlot : -1;
    ClearSaveGames();
    // Asked for on the front end's load page, whose load step has put the page away (a load asked for in a park
    // comes through the menu's scenario page).
    const Screen* menu = m_screens[kMainMenuScreen].get();
    const bool fromLoadPage = m_pCurrentScreen == menu && !m_pGUIManager->GetCurrentScreenName();
    if (slot >= 0 && LoadSlot(slot))
        return;
    // Refused: the load page comes back with the saves as they are now, also when the menu was entered again after
    // a saved park that could not be built (which shows the scenario page).
    if (fromLoadPage && m_pCurrentScreen == menu)
    {
        ClearScenarioList();
        ShowFrontEndLoadPage();
    }
}

bool Game::LoadSlot(int32_t slot)
{
    const std::string file = SaveSlotPath(slot);
    BinarySerialStream stream(false, file.c_str());
    if (!stream.IsOpen())
    {
        GetLogger()->Report(0, "Couldn't open the saved game %s", file.c_str());
        return false;
    }
    SaveGameEntry header;
    bool sandbox = false;
    const SaveHeaderResult result = ReadSaveHeader(stream, &header, &sandbox);
    if (result != SaveHeaderResult::Ok)
    {
        GetLogger()->Report(0, "%s: %s", HeaderFault(result), file.c_str());
        return false;
    }

    // Everything that can be checked without a park was: the menu goes and the saved park is built.
    Screen* menu = m_screens[kMainMenuScreen].get();
    m_pCurrentScreen->Leave();
    SetSandbox(sandbox);
    m_iScenarioIndex = header.m_iScenario;
    WorldTestScreen& park = GetWorldScreen();
    m_pCurrentScreen = m_pPendingScreen = &park;
    park.SetLoadPending(true);
    park.Enter();
    if (m_pPendingScreen != &park || !park.LoadState(stream))
    {
        // The park could not be built or the save did not load: nothing half-built stays, the menu comes back.
        park.Leave();
        park.SetLoadPending(false);
        m_pCurrentScreen = m_pPendingScreen = menu;
        menu->Enter();
        GetLogger()->Report(0, "Couldn't load the saved game %s", file.c_str());
        return false;
    }
    park.AfterLoad();
    return true;
}

// ---- deleting

void Game::DeleteSaveFromSaveList()
{
    const int32_t row = FirstSelected(m_pGUIManager->FindList(GUIManager::kListBoxType, "SaveListBox"));
    const SaveGameEntry* entry = GetSaveGame(row - 1);
    if (row < 1 || !entry)
        return;
    // A save that could not be deleted stays listed.
    if (RemoveSlotFile(entry->m_iSlot))
        ScanSaveGames();
}

void Game::DeleteSaveFromLoadList()
{
    ListRows* list = m_pGUIManager->FindList(GUIManager::kListBoxType, "LoadListBox");
    const SaveGameEntry* entry = GetSaveGame(FirstSelected(list));
    if (!entry)
        return;
    const int32_t slot = entry->m_iSlot;
    list->ClearRows();
    // The deleted row's selection goes with it: the refill selects the first row again when one is left.
    if (auto* box = dynamic_cast<ListBox*>(list))
        box->ClearSelection();
    // A save that could not be deleted stays listed.
    if (RemoveSlotFile(slot))
        ScanSaveGames();
}

// ---- the dialogs' rows

void Game::FillSaveRows(ListRows& list, int32_t firstRow, bool clear, int32_t timeX)
{
    if (clear)
        list.ClearRows();
    if (auto* box = dynamic_cast<ListBox*>(&list))
        box->SetMultiSelect(false);
    m_pSelectedSave = nullptr;
    for (int32_t i = 0; i < GetSaveGameCount(); ++i)
    {
        const SaveGameEntry& entry = *m_saveGames[static_cast<size_t>(i)];
        const int32_t row = firstRow + i;
        AddText(list, row, 0, 300, TableText(entry.m_szTitle), true);
        const platform::WString info =
            FormatTableText("LOADSAVE_INFO_CONTENTS", {entry.m_iGameDay + 1, static_cast<double>(entry.m_fCash)});
        AddText(list, row, 279, 106, info.c_str(), false);
        const std::tm local = LocalTime(entry.m_iSaveTime);
        const platform::WString when =
            FormatTableText("LOADSAVE_TIME_CONTENTS",
                            {local.tm_hour, local.tm_min, local.tm_mon + 1, local.tm_mday, local.tm_year + 1900});
        AddText(list, row, timeX, 115, when.c_str(), false);
    }
    if (GetSaveGameCount() > 0)
        list.SetSelected(0, true);
}

void Game::FillLoadList()
{
    ListRows* list = m_pGUIManager->FindList(GUIManager::kListBoxType, "LoadListBox");
    if (!list)
        return;
    FillSaveRows(*list, 0, true, 390);
    m_bInGameLoadListShown = true;
    auto* box = dynamic_cast<ListBox*>(list);
    if (box)
        box->SetSelectable(GetSaveGameCount() > 0);
    if (GetSaveGameCount() == 0)
    {
        // The one row then only tells that there is nothing to load: no selection from an earlier filling is
        // left on it.
        if (box)
            box->ClearSelection();
        AddText(*list, 0, 0, 260, TableText("LOADSAVE_NO_GAMES"), true);
    }
}

void Game::ShowFrontEndLoadPage()
{
    ScanSaveGames();
    m_pGUIManager->ActivateScreen("LoadScreen");
    FillFrontEndLoadList();
}

void Game::FillFrontEndLoadList()
{
    ListRows* list = m_pGUIManager->FindList(GUIManager::kScreenListBoxType, "LoadListBox");
    if (!list)
        return;
    FillSaveRows(*list, 0, true, 455);
    if (auto* box = dynamic_cast<ScreenListBox*>(list))
        box->SetSelectable(GetSaveGameCount() > 0);
    if (GetSaveGameCount() == 0)
        AddText(*list, 0, 0, 260, TableText("LOADSAVE_NO_GAMES"), true);
}

void Game::FillSaveList()
{
    ListRows* list = m_pGUIManager->FindList(GUIManager::kListBoxType, "SaveListBox");
    if (!list)
        return;
    list->ClearRows();
    AddText(*list, 0, 0, 260, TableText("LOADSAVE_SAVESLOT_EMPTY"), true);
    list->SetSelected(0, true);
    FillSaveRows(*list, 1, false, 390);
    list->SetSelected(0, true);
}

void Game::PrepareSaveMenu(bool load)
{
    ScanSaveGames();
    if (load)
        FillLoadList();
    else
        FillSaveList();
}

void Game::SaveMenuClosed(bool load)
{
    if (load)
        m_bInGameLoadListShown = false;
}

void Game::RefreshLoadInfo()
{
    m_pSelectedSave = nullptr;
    if (!m_bInGameLoadListShown)
        return;
    ListRows* info = m_pGUIManager->FindList(GUIManager::kListBoxType, "LoadInfoBox");
    if (info)
    {
        info->ClearRows();
        if (auto* box = dynamic_cast<ListBox*>(info))
            box->SetSelectable(false);
    }
    const SaveGameEntry* entry =
        GetSaveGame(FirstSelected(m_pGUIManager->FindList(GUIManager::kListBoxType, "LoadListBox")));
    if (!entry)
        return;
    m_pSelectedSave = entry;
    if (!info)
        return;
    const std::tm local = LocalTime(entry->m_iSaveTime);
    const platform::WString texts[] = {
        TableText(entry->m_szTitle),
        FormatTableText("LOADSAVE_DAYTIME_CONTENTS", {entry->m_iGameDay + 1, DayTimeToHour(entry->m_fDayTime),
                                                      DayTimeToQuarterMinute(entry->m_fDayTime)}),
        FormatTableText("LOADSAVE_CASH_CONTENTS", {static_cast<double>(entry->m_fCash)}),
        FormatTableText("LOADSAVE_INFO_TIME_CONTENTS",
                        {local.tm_hour, local.tm_min, local.tm_mon + 1, local.tm_mday, local.tm_year + 1900}),
        FormatTableText("LOADSAVE_GUESTS_CONTENTS", {entry->m_iGuests}),
    };
    for (int32_t row = 0; row < 5; ++row)
        AddText(*info, row, 0, 350, texts[row].c_str(), true);
}
