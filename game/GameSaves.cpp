// Game: the save directory and the save list. Reading and writing save files comes with the save games themselves.
#include "game/Game.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

void Game::CreateSaveDirectory()
{
    const std::string folder = SaveDirectoryPath();
    if (platform::ResolveExisting(folder).empty())
        platform::MakeDirectory(folder);
}

void Game::ScanSaveGames()
{
    ClearSaveGames();
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

void Game::LoadGame()
{
    ClearSaveGames();
    m_iLoadRequest = -1;
}

void Game::RefreshLoadInfo()
{
    m_pSelectedSave = nullptr;
}
