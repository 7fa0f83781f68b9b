// ListBox: cells by row, the selection, the scroll bar's upkeep, presses, double clicks and drawing of the rows
// shown.
#include "gui/ListBox.h"

#include "engine/render/TextWriter.h"
#include "gui/Button.h"
#include "gui/GUIManager.h"
#include "gui/Image.h"
#include "gui/MainItem.h"
#include "gui/ScrollBar.h"
#include "gui/Text.h"

#include <algorithm>

ListBox::ListBox(const GuiRect& list, const GuiRect& scrollBar, const char* name, int32_t rowHeight,
                 int32_t visibleRows)
    : Widget(list.left, list.top, list.right, list.bottom), m_scrollRect(scrollBar), m_name(name ? name : ""),
      m_iRowHeight(std::clamp(rowHeight, 0, kMaxListRowHeight)),
      m_iVisibleRows(std::clamp(visibleRows, 0, kMaxListVisibleRows))
{
    m_iType = WT_LISTBOX;
}

ListBox::~ListBox() = default;

int32_t ListBox::LastFirst() const
{
    return std::max(m_iRowCount - m_iVisibleRows, 0);
}

void ListBox::PlaceCell(Cell& cell, int32_t slot)
{
    const GuiRect& r = cell.widget->GetRect();
    const int32_t x = m_rect.left + cell.x;
    const int32_t y = m_rect.top + m_iRowHeight * slot;
    cell.widget->Move(x - r.left, y - r.top);
}

void ListBox::AddCell(Cell cell)
{
    PlaceCell(cell, cell.row - m_iFirst);
    m_rowCells[cell.row].push_back(static_cast<uint32_t>(m_cells.size()));
    m_cells.push_back(std::move(cell));
}

void ListBox::AddText(int32_t row, int32_t x, int32_t width, int32_t, int32_t alignment, int32_t font, uint32_t colour,
                      const char16_t* text, bool newRow)
{
    platform::WString shown(text ? text : u"");
    if (TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(font) : nullptr)
        writer->TruncateToWidth(shown, width);
    Cell cell;
    cell.widget = std::make_unique<Text>(0, 0, width, m_iRowHeight, shown.c_str(), font, colour, alignment);
    cell.row = row;
    cell.x = x;
    cell.kind = Cell::TEXT;
    AddCell(std::move(cell));
    if (newRow)
        ++m_iRowCount;
    UpdateScrollBar();
    m_iShown = std::min(m_iRowCount, m_iVisibleRows);
    SetDirty();
}

void ListBox::AddText(int32_t row, int32_t x, int32_t width, int32_t spare, int32_t alignment, int32_t font,
                      uint32_t colour, const char* text, bool newRow)
{
    const platform::WString wide = platform::AnsiToWide(text ? text : "");
    AddText(row, x, width, spare, alignment, font, colour, wide.c_str(), newRow);
}

void ListBox::AddImage(int32_t row, int32_t x, const char* sprite)
{
    auto image = std::make_unique<Image>(0, 0, 0, 0, sprite, false);
    image->SetFrame(0);
    Cell cell;
    cell.widget = std::move(image);
    cell.row = row;
    cell.x = x;
    cell.kind = Cell::IMAGE;
    AddCell(std::move(cell));
}

void ListBox::AddButton(int32_t row, int32_t x, const char* sprite, int32_t value)
{
    const auto found = m_rowCells.find(row);
    if (found != m_rowCells.end())
        for (uint32_t index : found->second)
        {
            Cell& cell = m_cells[index];
            if (cell.kind != Cell::BUTTON)
                continue;
            cell.value = value;
            cell.inUse = true;
            cell.x = x;
            PlaceCell(cell, row - m_iFirst);
            return;
        }
    auto button = std::make_unique<Button>(0, 0, 0, 0, sprite, "None", "NONE", "NONE", true);
    button->SetAutoRepeat(false);
    button->SetActive(true);
    Cell cell;
    cell.widget = std::move(button);
    cell.row = row;
    cell.x = x;
    cell.value = value;
    cell.kind = Cell::BUTTON;
    AddCell(std::move(cell));
}

bool ListBox::TakeButtonPress(int32_t row, int32_t* value)
{
    const auto found = m_rowCells.find(row);
    if (found == m_rowCells.end())
        return false;
    for (uint32_t index : found->second)
    {
        Cell& cell = m_cells[index];
        if (cell.kind == Cell::BUTTON && cell.inUse && cell.widget->WasClicked())
        {
            cell.widget->ClearClicked();
            if (value)
                *value = cell.value;
            return true;
        }
    }
    return false;
}

void ListBox::RebuildIndex()
{
    m_rowCells.clear();
    for (uint32_t i = 0; i < m_cells.size(); ++i)
        m_rowCells[m_cells[i].row].push_back(i);
}

void ListBox::Clear()
{
    std::erase_if(m_cells, [](const Cell& cell) { return cell.kind != Cell::BUTTON; });
    // A press on a row's button belongs to what the row showed: the button waits for the next filling without it.
    for (Cell& cell : m_cells)
    {
        cell.inUse = false;
        static_cast<Button*>(cell.widget.get())->CancelPress();
    }
    RebuildIndex();
    m_iFirst = m_iShown = m_iRowCount = 0;
    m_pScrollBar.reset();
    SetDirty();
}

bool ListBox::IsSelected(int32_t row) const
{
    return std::binary_search(m_selection.begin(), m_selection.end(), row);
}

void ListBox::Select(int32_t row, bool replace)
{
    if (!m_bMultiSelect)
        replace = true;
    if (m_cells.empty() || m_iRowCount <= 0)
        return;
    row = std::clamp(row, 0, m_iRowCount - 1);
    if (replace)
    {
        m_selection.assign(1, row);
        return;
    }
    const auto at = std::lower_bound(m_selection.begin(), m_selection.end(), row);
    if (at == m_selection.end() || *at != row)
        m_selection.insert(at, row);
    else if (m_selection.size() > 1)
        m_selection.erase(at);
}

void ListBox::SetFirst(int32_t first)
{
    m_iFirst = std::clamp(first, 0, LastFirst());
    if (m_pScrollBar)
        m_pScrollBar->SetFirst(static_cast<uint32_t>(m_iFirst));
    PlaceRows();
}

void ListBox::EnsureVisible(int32_t row)
{
    if (row < m_iFirst)
        SetFirst(row);
    else if (row >= m_iFirst + m_iShown)
        SetFirst(row + 1 > m_iRowCount ? m_iRowCount - m_iVisibleRows : row - m_iShown + 1);
}

void ListBox::PlaceRows()
{
    for (int32_t i = 0; i < m_iShown; ++i)
    {
        const auto found = m_rowCells.find(m_iFirst + i);
        if (found != m_rowCells.end())
            for (uint32_t index : found->second)
                PlaceCell(m_cells[index], i);
    }
}

void ListBox::UpdateScrollBar()
{
    if (m_iRowCount <= m_iVisibleRows)
    {
        m_pScrollBar.reset();
        return;
    }
    if (m_pScrollBar)
    {
        m_pScrollBar->SetCount(static_cast<uint32_t>(m_iRowCount));
        return;
    }
    const GuiRect& s = m_scrollRect;
    m_pScrollBar =
        std::make_unique<ScrollBar>(s.left, s.top, s.right, s.bottom, static_cast<uint32_t>(m_iFirst),
                                    static_cast<uint32_t>(m_iRowCount), static_cast<uint32_t>(m_iVisibleRows), 3);
    // The bar was given the script's place; the list may have moved since.
    m_pScrollBar->Move(m_rect.left - m_homeRect.left, m_rect.top - m_homeRect.top);
    if (!m_bActive)
        m_pScrollBar->SetActive(false);
}

void ListBox::FollowScrollBar()
{
    if (m_pScrollBar && static_cast<int32_t>(m_pScrollBar->GetFirst()) != m_iFirst)
    {
        m_iFirst = static_cast<int32_t>(m_pScrollBar->GetFirst());
        PlaceRows();
    }
}

void ListBox::Update(float dt)
{
    if (m_pScrollBar)
    {
        m_pScrollBar->Update(dt);
        FollowScrollBar();
    }
    for (Cell& cell : m_cells)
        cell.widget->Update(dt);
    if (m_bClickTimer)
    {
        m_fClickTime += dt;
        // Past the double-click time the first press stands alone.
        if (m_fClickTime >= kDoubleClickTime)
            m_bClickTimer = false;
    }
}

void ListBox::Reposition(int32_t dx, int32_t dy)
{
    Move(m_homeRect.left + dx - m_rect.left, m_homeRect.top + dy - m_rect.top);
}

void ListBox::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    if (m_pScrollBar)
        m_pScrollBar->Move(dx, dy);
    for (Cell& cell : m_cells)
        cell.widget->Move(dx, dy);
}

void ListBox::SetDirty()
{
    m_bDirty = true;
    for (Cell& cell : m_cells)
        cell.widget->SetDirty();
}

void ListBox::SetActive(bool active)
{
    Widget::SetActive(active);
    if (m_pScrollBar)
        m_pScrollBar->SetActive(active);
    if (!active)
        m_bClickTimer = false;
}

bool ListBox::OnMouseWheel(int32_t x, int32_t y, int32_t delta)
{
    if (!m_pScrollBar)
        return false;
    const bool overList = x >= m_rect.left && x <= m_rect.right && y >= m_rect.top && y <= m_rect.bottom;
    const GuiRect& bar = m_pScrollBar->GetRect();
    const bool overBar = x >= bar.left && x <= bar.right && y >= bar.top && y <= bar.bottom;
    if (!overList && !overBar)
        return false;
    const bool taken = m_pScrollBar->OnMouseWheel(x, y, delta);
    FollowScrollBar();
    return taken;
}

bool ListBox::OnMouse(int32_t x, int32_t y, int32_t event)
{
    m_bDoubleClick = false;
    bool taken = false;
    if (m_pScrollBar)
    {
        taken = m_pScrollBar->OnMouse(x, y, event);
        FollowScrollBar();
    }
    // Only the buttons of the rows shown: those of other rows are not where they were placed.
    for (int32_t i = 0; i < m_iShown && !taken; ++i)
    {
        const auto found = m_rowCells.find(m_iFirst + i);
        if (found == m_rowCells.end())
            continue;
        for (uint32_t index : found->second)
        {
            Cell& cell = m_cells[index];
            if (cell.kind == Cell::BUTTON && cell.inUse && cell.widget->OnMouse(x, y, event))
            {
                taken = true;
                break;
            }
        }
    }
    if (taken)
        return true;
    if (!m_bSelectable)
        return false;
    const bool inside = x >= m_rect.left && x <= m_rect.right && y >= m_rect.top && y <= m_rect.bottom;
    if (event == ME_PRESSED && inside)
        m_bMouseOver = true;
    else
    {
        // A press elsewhere, or the pointer taken by something in front, ends a click that waits for its second.
        if (event == ME_PRESSED || event == ME_LEAVE)
            m_bClickTimer = false;
        return false;
    }
    // Without a row height (or without rows) a press picks no row.
    if (m_iRowHeight <= 0 || m_iRowCount <= 0)
        return false;
    const int32_t row = (y - m_rect.top) / m_iRowHeight + m_iFirst;
    const bool control = g_pGUIManager && g_pGUIManager->IsControlHeld();
    Select(row, !control);
    if (control)
    {
        m_bClickTimer = false;
        return true;
    }
    if (m_bClickTimer && m_fClickTime < kDoubleClickTime)
    {
        m_bDoubleClick = true;
        m_bClickTimer = false;
    }
    else
    {
        m_bClickTimer = true;
        m_fClickTime = 0.0f;
    }
    return true;
}

void ListBox::Draw()
{
    if (m_pScrollBar)
        m_pScrollBar->Draw();
    for (int32_t i = 0; i < m_iShown; ++i)
    {
        const int32_t row = m_iFirst + i;
        const bool selected = IsSelected(row);
        if (selected)
        {
            const int32_t top = m_rect.top + m_iRowHeight * i;
            GuiFill(m_rect.left, top, m_rect.right, top + m_iRowHeight, kSelectedColour);
        }
        const auto found = m_rowCells.find(row);
        if (found == m_rowCells.end())
            continue;
        for (uint32_t index : found->second)
        {
            Cell& cell = m_cells[index];
            switch (cell.kind)
            {
            case Cell::BUTTON:
                if (cell.inUse)
                    cell.widget->Draw();
                break;
            case Cell::IMAGE:
            {
                auto* image = static_cast<Image*>(cell.widget.get());
                image->SetFrame(selected ? 1 : 0);
                image->DrawAt(image->GetRect().left, image->GetRect().top);
                break;
            }
            default:
                cell.widget->Draw();
                break;
            }
        }
    }
}
