// The running program's state written as text for watchers outside it (TW_STATE_FILE).
#include "game/StateDump.h"

#include "game/Game.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"
#include "platform/Time.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <cstdlib>

std::string FormatShownState(const ShownState& s)
{
    std::string text;
    text += platform::Format("screen %d\n", s.screen);
    text += "page " + (s.page.empty() ? std::string("-") : s.page) + "\n";
    text += "open";
    for (const std::string& name : s.open)
        text += " " + name;
    text += "\n";
    text += platform::Format("park %d\n", s.park ? 1 : 0);
    text += platform::Format("cash %.2f\n", static_cast<double>(s.cash));
    text += platform::Format("day %d\n", s.day);
    text += platform::Format("hour %.3f\n", static_cast<double>(s.hour));
    text += platform::Format("speed %d\n", s.speed);
    text += platform::Format("guests %d\n", s.guests);
    text += platform::Format("arrived %d\n", s.arrived);
    text += platform::Format("departed %d\n", s.departed);
    text += platform::Format("income %.2f\n", static_cast<double>(s.incomeToday));
    text += platform::Format("retail %.2f\n", static_cast<double>(s.retailToday));
    text += platform::Format("exhibits %.2f\n", static_cast<double>(s.exhibits));
    text += platform::Format("buildings %u\n", s.buildings);
    text += platform::Format("staff %u\n", s.staff);
    text += platform::Format("footpath %u\n", s.footpath);
    text += platform::Format("mode %d\n", s.mode);
    text += platform::Format("cursor %d %d\n", s.cursorX, s.cursorY);
    text += platform::Format("boxes %u\n", s.boxes);
    text += platform::Format("passes %u\n", s.passes);
    return text;
}

ShownState ReadShownState()
{
    ShownState s;
    if (g_pGame)
    {
        for (int32_t i = 0; i < Game::kScreenCount; ++i)
            if (g_pGame->GetCurrentScreen() && g_pGame->GetScreen(i) == g_pGame->GetCurrentScreen())
                s.screen = i;
    }
    if (g_pGUIManager)
    {
        if (const char* page = g_pGUIManager->GetCurrentScreenName())
            s.page = page;
        for (const GUIManager::DialogEntry& entry : g_pGUIManager->GetOpenList())
            if (entry.dialog)
                s.open.emplace_back(entry.dialog->GetName());
        s.mode = g_pGUIManager->GetMode();
    }
    if (g_pWorld)
    {
        s.park = true;
        if (const Player* player = g_pWorld->GetPlayer())
            s.cash = player->Cash;
        s.day = g_pWorld->GetGameDay();
        s.hour = g_pWorld->GetGameDayTime();
        s.speed = g_pWorld->GetGameSpeedLevel();
        s.guests = g_pWorld->m_NumGuests;
        s.arrived = g_pWorld->m_TotalGuestArrive[0] + g_pWorld->m_TotalGuestArrive[1];
        s.departed = g_pWorld->m_TotalGuestDepart[0] + g_pWorld->m_TotalGuestDepart[1];
        s.incomeToday = g_pWorld->m_fIncomeToday;
        s.retailToday = g_pWorld->m_fRetailIncomeToday;
        s.exhibits = g_pWorld->m_fAnimalIncomeTotal;
    }
    if (g_pWorld && g_pObjectManager)
    {
        s.buildings = g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING);
        s.staff = static_cast<uint32_t>(g_pObjectManager->GetStaffObjects().size());
    }
    if (g_pWorld && g_pWorldMap)
    {
        for (int32_t x = 0; x < g_pWorldMap->GetWidth(); ++x)
            for (int32_t y = 0; y < g_pWorldMap->GetHeight(); ++y)
                s.footpath += (g_pWorldMap->GetFlags({x, y}) & CELL_FOOTPATH) != 0 ? 1u : 0u;
        GridPos cell{-1, -1};
        if (g_pWorldMap->GetCursorGridPos(&cell))
        {
            s.cursorX = cell.x;
            s.cursorY = cell.y;
        }
    }
    return s;
}

void StateFile::Offer(const std::string& text, uint32_t nowMs)
{
    if (m_hasWritten && text == m_written)
    {
        m_hasPending = false;
        return;
    }
    m_pending = text;
    m_hasPending = true;
    if (m_hasWritten && nowMs - m_lastWrite < m_interval)
        return;
    Flush();
    m_lastWrite = nowMs;
}

void StateFile::Flush()
{
    if (!m_hasPending)
        return;
    if (platform::WriteFileAtomically(m_path, m_pending.data(), m_pending.size()))
    {
        m_written = m_pending;
        m_hasWritten = true;
        ++m_writes;
    }
    m_hasPending = false;
}

ReportCounter::ReportCounter() : m_pNext(platform::SetReportSink(this)) {}

ReportCounter::~ReportCounter()
{
    platform::SetReportSink(m_pNext);
}

void ReportCounter::ShowMessageBox(const char* title, const char* text)
{
    ++m_boxes;
    m_pNext->ShowMessageBox(title, text);
}

void ReportCounter::DebugOutput(const char* text)
{
    m_pNext->DebugOutput(text);
}

std::unique_ptr<StateWatch> StateWatch::FromEnvironment()
{
    const char* path = std::getenv("TW_STATE_FILE");
    if (!path || !*path)
        return nullptr;
    return std::make_unique<StateWatch>(path);
}

void StateWatch::Update()
{
    ShownState state = ReadShownState();
    state.boxes = m_counter.Boxes();
    state.passes = ++m_passes;
    m_file.Offer(FormatShownState(state), platform::TickCount());
}

void StateWatch::Finish()
{
    Update();
    m_file.Flush();
}
