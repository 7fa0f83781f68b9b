// Game: the scenario progress, the choice of scenario and the front-end scenario list.
#include "engine/core/Logger.h"
#include "engine/core/TextTable.h"
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "gui/ListRows.h"
#include "platform/Paths.h"

void Game::ResetProgress()
{
    m_Progress.SetDefaults();
    m_iScenarioIndex = 0;
}

void Game::ReadProgress()
{
    // A win the file could not take is kept rather than read over by what the file still says; the next write
    // (at the latest as the game ends) tries again.
    if (!m_bProgressUnwritten)
        m_Progress.Read(platform::UserFile(ScenarioProgress::kFileName).c_str());
    m_iScenarioIndex = 0;
}

void Game::WriteProgress()
{
    const std::string file = platform::UserFile(ScenarioProgress::kFileName);
    m_bProgressUnwritten = !m_Progress.Write(file.c_str());
    if (m_bProgressUnwritten)
        GetLogger()->Report(1, "Game::WriteProgress - %s cannot be written; the progress is kept until it can",
                            file.c_str());
}

void Game::CompleteScenario(uint32_t next)
{
    // A sandbox is not one of the twelve scenarios: its index names no progress flag.
    if (m_bSandbox)
        return;
    m_Progress.Complete(static_cast<uint32_t>(m_iScenarioIndex), next);
    WriteProgress();
}

void Game::UnlockAllScenarios()
{
    m_Progress.UnlockAll(m_bSandbox);
    WriteProgress();
}

void Game::SetSandbox(bool sandbox)
{
    m_bSandbox = sandbox;
    ReadProgress();
}

void Game::SelectScenario(int32_t row)
{
    if (row < 0 || row >= ScenarioProgress::kRowCount)
        return;
    const bool sandbox = row >= ScenarioProgress::kScenarioCount;
    SetSandbox(sandbox);
    m_iScenarioIndex = sandbox ? row - ScenarioProgress::kScenarioCount : row;
    m_iParkNumber = ScenarioProgress::GetParkNumber(row);
}

ListRows* Game::FindScenarioList() const
{
    return m_pGUIManager->FindList(GUIManager::kScreenListBoxType, "ScenarioListBox");
}

void Game::FillScenarioList()
{
    if (ListRows* list = FindScenarioList())
        m_Progress.FillList(*list, *m_pTextTable);
    m_bScenarioListTracked = true;
    m_iTrackedRow = -1;
}

void Game::ClearScenarioList()
{
    if (ListRows* list = FindScenarioList())
        list->ClearRows();
    m_bScenarioListTracked = false;
}

void Game::TrackScenarioSelection()
{
    if (!m_bScenarioListTracked)
        return;
    const ListRows* list = FindScenarioList();
    if (!list || list->GetSelectedRows().empty())
        return;
    // Selecting reads the progress file again; a row chosen already is not chosen again every frame.
    const int32_t row = list->GetSelectedRows().front();
    if (row == m_iTrackedRow)
        return;
    m_iTrackedRow = row;
    SelectScenario(row);
}
