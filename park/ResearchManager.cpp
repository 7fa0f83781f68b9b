// The research department: spending, completion and its effects, the research list, the panel's keywords and the
// save record.
#include "park/ResearchManager.h"

#include "engine/core/GameOptions.h"
#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "engine/core/TextTable.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "gui/ListBox.h"
#include "gui/Widget.h"
#include "park/FeedbackManager.h"
#include "park/ParkManagers.h"
#include "park/RescueManager.h"
#include "scripts/WorldParams.h"
#include "world/World.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{

GameOptions* Options()
{
    GuiShell* shell = g_pGUIManager ? g_pGUIManager->GetShell() : nullptr;
    return shell ? shell->GetGuiOptions() : nullptr;
}

uint32_t GameDay()
{
    return g_pWorld ? static_cast<uint32_t>(g_pWorld->GetGameDay()) : 0;
}

// The item's name text: the text of key "RNP_<name>".
platform::WString ItemText(const ResearchInfo& item)
{
    char key[64];
    std::snprintf(key, sizeof key, "RNP_%s", item.keyword);
    return FormatTableText(key, {});
}

} // namespace

ResearchManager::ResearchManager()
{
    m_bResearchLeft = ItemCount() > 0;
    SetSliderValue(kStartingSlider);
}

const ResearchInfo* ResearchManager::Item(int32_t index)
{
    if (!g_pWorldParams || index < 0 || static_cast<uint32_t>(index) >= g_pWorldParams->GetResearchCount())
        return nullptr;
    return &g_pWorldParams->GetResearchInfo(index);
}

uint32_t ResearchManager::ItemCount()
{
    return g_pWorldParams ? g_pWorldParams->GetResearchCount() : 0;
}

void ResearchManager::SetSliderValue(float value)
{
    if (std::isnan(value))
        return;
    m_fSliderValue = value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
    m_fBudgetPerDay = kMaxBudgetPerDay * m_fSliderValue;
}

float ResearchManager::GetProgress() const
{
    const ResearchInfo* item = m_bResearchLeft ? Item(m_iCurrentResearch) : nullptr;
    if (!item || !(item->fCost > 0.0f))
        return 0.0f;
    const float progress = static_cast<float>(m_dResearchAmount / item->fCost);
    return progress > 1.0f ? 1.0f : progress;
}

float ResearchManager::Update(float delta)
{
    const ResearchInfo* item = m_bResearchLeft ? Item(m_iCurrentResearch) : nullptr;
    const int32_t dayLength = g_pWorld ? g_pWorld->GetDayLength() : 0;
    if (!item || dayLength <= 0 || !(delta > 0.0f))
        return 0.0f;
    const float spent = m_fBudgetPerDay / static_cast<float>(dayLength) * delta;
    m_dResearchAmount += spent;
    // An item that costs nothing (or no number) completes with the first slice that is spent on it.
    if (spent > 0.0f && (m_dResearchAmount > item->fCost || !(item->fCost > 0.0f)))
    {
        Complete();
        FillResearchList();
    }
    return spent;
}

void ResearchManager::Complete()
{
    const ResearchInfo& item = *Item(m_iCurrentResearch);
    const uint32_t today = GameDay();
    const uint32_t time = today > m_dwDayStarted ? today - m_dwDayStarted : 1;
    m_ResearchHistory.push_back({m_iCurrentResearch, today, time < 1 ? 1 : time});
    ApplyEffect(item, true);

    // The pop-up shows the item's completion message: its dialog value is that text's place in the text table (-1,
    // nothing shown, for a key the table does not hold).
    GameOptions* options = Options();
    if (options && options->m_bResearchPopups && g_pGUIManager)
    {
        const int32_t message = g_pTextTable ? g_pTextTable->FindIndex(item.szCompleteMess) : -1;
        g_pGUIManager->OpenDialogWithValue(0, "ResearchDone", message, this);
    }
    if (FeedbackManager* feedback = GetFeedbackManager())
    {
        const platform::WString name = ItemText(item);
        const platform::WString text = FormatTableText("RESEARCH_TICKER_FORMAT", {name.c_str()});
        feedback->AddWideMessage(text.c_str(), 0xFFFFFFFE, 1);
    }

    ++m_iCurrentResearch;
    m_dResearchAmount = 0.0;
    m_dwDayStarted = today;
    if (static_cast<uint32_t>(m_iCurrentResearch) >= ItemCount())
        m_bResearchLeft = false;
}

void ResearchManager::ApplyEffect(const ResearchInfo& item, bool withTeams)
{
    if (!g_pWorldParams)
        return;
    WorldParams& params = *g_pWorldParams;
    switch (item.iType)
    {
    case kResearchScenery:
    {
        const int32_t id = params.FindScenery(item.szEffectKeyword);
        if (id != WorldParams::kNotFound)
            params.GetSceneryInfo(id).bActive = true;
        if (g_pGUIManager)
            g_pGUIManager->RefreshOpenDialogs();
        break;
    }
    case kResearchStaffRecovery:
    case kResearchStaffTraining:
    {
        // The staff scale their energy by these factors: one that is no finite amount, or below nothing, would
        // leave a worker's energy no number (or have rest tire and work refresh), so it leaves the factor as it was.
        const bool usable = std::isfinite(item.fArgument) && item.fArgument >= 0.0f;
        const auto take = [&](float& factor)
        {
            if (usable)
                factor = item.fArgument;
        };
        if (std::strcmp(item.keyword, "ALLSTAFFR1") == 0)
        {
            // A recovery of nothing would keep every worker resting in a staff room for good (and a sold room, which
            // waits for its resting staff, standing): it too leaves the factor as it was.
            if (item.fArgument > 0.0f)
                take(m_fStaffRecovery);
            for (const char* room : {"STAFFSMALL", "STAFFLARGE"})
            {
                const int32_t id = params.FindBuilding(room);
                if (id != WorldParams::kNotFound)
                    params.GetBuildingInfo(id).bUpgraded = true;
            }
        }
        else if (std::strcmp(item.keyword, "CLEANERT1") == 0)
            take(m_fCleanerTraining);
        else if (std::strcmp(item.keyword, "MECHANICT1") == 0)
            take(m_fMechanicTraining);
        else if (std::strcmp(item.keyword, "CARERT1") == 0)
            take(m_fCarerTraining);
        break;
    }
    case kResearchAttraction:
    {
        const int32_t id = params.FindBuilding(item.szEffectKeyword);
        if (id != WorldParams::kNotFound)
            params.GetBuildingInfo(id).bNeedsUnlocking = false;
        // An open build panel offers the type now, not only once it is opened again (a loaded game's panels are
        // built afresh).
        if (withTeams && g_pGUIManager)
            g_pGUIManager->RefreshOpenDialogs();
        break;
    }
    case kResearchRescueTeams:
        if (withTeams)
            if (RescueManager* rescue = GetRescueManager())
                rescue->AddTeam();
        break;
    case kResearchUnlockAnimal:
    {
        const int32_t id = params.FindAnimal(item.szEffectKeyword);
        if (id != WorldParams::kNotFound)
            params.GetAnimalInfo(id).bNeedsUnlocking = false;
        break;
    }
    default:
        break;
    }
}

void ResearchManager::FillResearchList()
{
    auto* list =
        g_pGUIManager ? dynamic_cast<ListBox*>(g_pGUIManager->FindItem(WT_LISTBOX, "ResearchListBox")) : nullptr;
    if (!list)
        return;
    // A record of what is done: nothing in it is chosen.
    list->SetSelectable(false);
    list->Clear();
    if (m_ResearchHistory.empty())
    {
        list->AddText(0, 0, 454, 15, 0, 0, kListColour, TableText("RESEARCH_NONE_DONE"), true);
        return;
    }
    int32_t row = 0;
    for (const HistoryEntry& entry : m_ResearchHistory)
    {
        const ResearchInfo* item = Item(entry.item);
        if (!item)
            continue;
        const platform::WString name = ItemText(*item);
        const platform::WString cost = FormatChecked(u"$%.f", {static_cast<double>(item->fCost)});
        const platform::WString day = FormatChecked(u"%d", {static_cast<long long>(entry.dayComplete) + 1});
        list->AddText(row, 0, 190, 15, 0, 0, kListColour, name.c_str(), true);
        list->AddText(row, 200, 200, 15, 0, 0, kListColour, cost.c_str(), false);
        list->AddText(row, 300, 200, 15, 0, 0, kListColour, day.c_str(), false);
        ++row;
    }
}

void ResearchManager::GetVariable(const char* keyword, platform::WString& text)
{
    GameOptions* options = Options();
    const bool popups = options && options->m_bResearchPopups;
    if (std::strcmp(keyword, "RESEARCH_POPUPS") == 0)
        text = FormatChecked(u"%d", {popups ? 1 : 0});
    else if (std::strcmp(keyword, "NOT_RESEARCH_POPUPS") == 0)
        text = FormatChecked(u"%d", {popups ? 0 : 1});
    else if (std::strcmp(keyword, "RESEARCH_PROGRESS") == 0)
        text = FormatChecked(u"%.2f", {static_cast<double>(GetProgress())});
    else if (std::strcmp(keyword, "RESEARCH_BUDGET_$") == 0)
        text = FormatChecked(u"$%.f", {static_cast<double>(m_fBudgetPerDay)});
    else if (std::strcmp(keyword, "RESEARCH_CURRENT") == 0)
    {
        const ResearchInfo* item = m_bResearchLeft ? Item(m_iCurrentResearch) : nullptr;
        text = item ? ItemText(*item) : FormatTableText("RNP_COMPLETE", {});
    }
    else if (std::strcmp(keyword, "RESEARCH_COMPLETE%") == 0)
        text = FormatChecked(u"%d%%", {static_cast<int>(GetProgress() * 100.0f)});
    else
        GetLogger()->Report(0, "ResearchManager::GetVariable - data keyword not recognised - %s", keyword);
}

void ResearchManager::SetVariable(const char* keyword, const int32_t* value)
{
    GameOptions* options = Options();
    const bool on = value && *value != 0;
    if (std::strcmp(keyword, "RESEARCH_POPUPS") == 0)
    {
        if (options)
            options->m_bResearchPopups = on;
    }
    else if (std::strcmp(keyword, "NOT_RESEARCH_POPUPS") == 0)
    {
        if (options)
            options->m_bResearchPopups = !on;
    }
    else
        GetLogger()->Report(0, "ResearchManager::GetVariable - data keyword not recognised - %s", keyword);
}

void ResearchManager::Dump(SerialStream& stream) const
{
    stream.WriteFloat("m_fBudgetPerDay", m_fBudgetPerDay);
    stream.WriteInt("m_iCurrentResearch", m_iCurrentResearch);
    // The park saved runs on with what it saved, as a park loaded from the record does.
    m_dResearchAmount = static_cast<float>(m_dResearchAmount);
    stream.WriteFloat("m_fResearchAmount", static_cast<float>(m_dResearchAmount));
    stream.WriteBool("m_bResearchLeft", m_bResearchLeft);
    stream.WriteFloat("m_fSliderValue", m_fSliderValue);
    stream.WriteUInt("m_dwDayStarted", m_dwDayStarted);
    stream.WriteInt("m_ResearchHistory.size()", static_cast<int32_t>(m_ResearchHistory.size()));
    for (const HistoryEntry& entry : m_ResearchHistory)
    {
        stream.WriteInt("m_iResearchItem", entry.item);
        stream.WriteUInt("m_DayComplete", entry.dayComplete);
        stream.WriteUInt("m_ResearchTime", entry.researchTime);
    }
}

bool ResearchManager::Load(SerialStream& stream)
{
    float budget = 0.0f, amount = 0.0f, slider = 0.0f;
    int32_t current = 0, count = 0;
    bool left = false;
    uint32_t dayStarted = 0;
    stream.ReadFloat(&budget);
    stream.ReadInt(&current);
    stream.ReadFloat(&amount);
    stream.ReadBool(&left);
    stream.ReadFloat(&slider);
    stream.ReadUInt(&dayStarted);
    stream.ReadInt(&count);
    auto refuse = [](const char* why)
    {
        GetLogger()->Report(0, "ResearchManager::Load - %s", why);
        return false;
    };
    if (!stream.Good())
        return refuse("the record is cut short");
    const uint32_t items = ItemCount();
    // The index runs from 0 to the table's size (every item done); a history lists each item done at most once.
    if (current < 0 || static_cast<uint32_t>(current) > items)
        return refuse("the current item is beyond the research table");
    if (count < 0 || count > current)
        return refuse("the history lists more items than were researched");
    if (!std::isfinite(amount) || !std::isfinite(slider) || !std::isfinite(budget))
        return refuse("an amount that is no number");
    // The slider runs from 0 to 1 and gives a budget of up to the most a day; money spent is never below nothing.
    if (slider < 0.0f || slider > 1.0f || budget < 0.0f || budget > kMaxBudgetPerDay)
        return refuse("a budget outside what the slider gives");
    if (amount < 0.0f)
        return refuse("less than nothing spent on the current item");
    std::vector<HistoryEntry> history;
    for (int32_t i = 0; i < count && stream.Good(); ++i)
    {
        HistoryEntry entry{};
        stream.ReadInt(&entry.item);
        stream.ReadUInt(&entry.dayComplete);
        stream.ReadUInt(&entry.researchTime);
        if (entry.item < 0 || entry.item >= current)
            return refuse("the history names an item not yet researched");
        history.push_back(entry);
    }
    if (!stream.Good())
        return refuse("the history is cut short");

    m_fBudgetPerDay = budget;
    m_iCurrentResearch = current;
    m_dResearchAmount = amount;
    m_bResearchLeft = left && static_cast<uint32_t>(current) < items;
    m_fSliderValue = slider;
    m_dwDayStarted = dayStarted;
    m_ResearchHistory = std::move(history);
    m_fStaffRecovery = m_fCleanerTraining = m_fMechanicTraining = m_fCarerTraining = 1.0f;
    for (int32_t i = 0; i < current; ++i)
        ApplyEffect(*Item(i), false);
    return true;
}
