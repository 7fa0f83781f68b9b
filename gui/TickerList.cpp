// TickerList: following the message log into the list's rows and the goto buttons' presses.
#include "gui/TickerList.h"

#include "engine/core/TextTable.h"
#include "gui/GUIManager.h"
#include "gui/ListBox.h"

#include <cmath>

int32_t TickerList::HourOf(float hour)
{
    if (!std::isfinite(hour) || hour < 0.0f)
        return 0;
    return static_cast<int32_t>(std::floor(std::min(hour, 1.0e6f)));
}

int32_t TickerList::QuarterMinuteOf(float hour)
{
    if (!std::isfinite(hour) || hour < 0.0f)
        return 0;
    hour = std::min(hour, 1.0e6f);
    const float minutes = (hour - std::floor(hour)) * 60.0f;
    return minutes >= 45.0f ? 45 : minutes >= 30.0f ? 30 : minutes >= 15.0f ? 15 : 0;
}

platform::WString TickerList::RowText(const char16_t* dayWord, uint32_t day, float hour, const char16_t* text)
{
    char16_t buffer[512];
    platform::FormatWide(buffer, sizeof(buffer) / sizeof(buffer[0]), u"%s %d: %02d:%02d - %s", dayWord ? dayWord : u"",
                         static_cast<int>(day + 1), static_cast<int>(HourOf(hour)),
                         static_cast<int>(QuarterMinuteOf(hour)), text ? text : u"");
    return buffer;
}

void TickerList::Enable(bool enabled)
{
    m_bEnabled = enabled;
    m_pList = nullptr;
    m_shown.clear();
    if (!enabled)
        return;
    Widget* found = m_GUI.FindItem(WT_LISTBOX, kListName);
    m_pList = static_cast<ListBox*>(found);
    if (m_pList)
        m_pList->SetSelectable(false);
    m_walk.clear();
    LogChanged();
    Refill();
}

bool TickerList::LogChanged()
{
    // The walk compares each message with the row that shows it and copies nothing while they agree.
    m_walk.clear();
    bool changed = false;
    size_t n = 0;
    float hour = 0.0f;
    uint32_t day = 0, id = 0;
    for (const char16_t* text = m_pSource ? m_pSource->FirstMessage(hour, day, id) : nullptr; text;
         text = m_pSource->NextMessage(hour, day, id), ++n)
    {
        if (!changed && n < m_shown.size())
        {
            const Seen& row = m_shown[n];
            if (row.text == text && row.day == day && row.id == id &&
                (row.hour == hour || (std::isnan(row.hour) && std::isnan(hour))))
                continue;
        }
        if (!changed)
        {
            changed = true;
            m_walk.assign(m_shown.begin(), m_shown.begin() + static_cast<std::ptrdiff_t>(std::min(n, m_shown.size())));
        }
        m_walk.push_back(Seen{text, day, hour, id});
    }
    if (!changed && n != m_shown.size())
    {
        changed = true;
        m_walk.assign(m_shown.begin(), m_shown.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return changed;
}

void TickerList::Refill()
{
    ++m_uRebuilds;
    m_iRowCount = 0;
    m_shown.swap(m_walk);
    if (!m_pList)
        return;
    // The player may have scrolled the log: the rows come back where they were shown (as far as there still are).
    const int32_t first = m_pList->GetFirst();
    m_pList->Clear();
    const char16_t* dayWord = g_pTextTable ? g_pTextTable->GetText("TICKER_DAY") : u"";
    for (const Seen& message : m_shown)
    {
        const platform::WString row = RowText(dayWord, message.day, message.hour, message.text.c_str());
        m_pList->AddText(m_iRowCount, 5, 400, 15, 2, 0, kTextColour, row.c_str(), true);
        if (message.id < kParkId)
            m_pList->AddButton(m_iRowCount, 410, kGotoSprite, static_cast<int32_t>(message.id));
        ++m_iRowCount;
    }
    m_pList->SetFirst(first);
}

void TickerList::Refresh()
{
    if (!m_bEnabled)
        return;
    if (LogChanged())
        Refill();
    if (!m_pList)
        return;
    for (int32_t row = 0; row < m_iRowCount; ++row)
    {
        int32_t id = 0;
        if (m_pList->TakeButtonPress(row, &id))
        {
            if (m_pSource)
                m_pSource->SelectObject(static_cast<uint32_t>(id));
            break;
        }
    }
}
