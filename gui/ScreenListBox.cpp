// The front-end list box: rows of cells, the scroll bar, the selection and double-clicks.
#include "gui/ScreenListBox.h"

#include "engine/core/GameInput.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextWriter.h"
#include "gui/GUIManager.h"
#include "gui/Image.h"
#include "gui/ScrollBar.h"
#include "gui/Text.h"

#include <algorithm>
#include <cmath>

namespace
{

int32_t Trunc(float value)
{
    return static_cast<int32_t>(value);
}

} // namespace

int32_t ScreenListBox::VisibleRowsFor(int32_t scriptRows, int32_t listHeight, int32_t rowHeight, int32_t displayHeight)
{
    const int32_t scaled =
        Trunc(static_cast<float>(displayHeight) / kFrontEndPageHeight * static_cast<float>(listHeight));
    const int32_t extra = (scaled - listHeight) / std::max(rowHeight, 1);
    return scriptRows + std::max(extra, 0);
}

ScreenListBox::ScreenListBox(const GuiRect& rect, const char* name, int32_t rowHeight, int32_t visibleRows)
    : ScreenElement(rect, name), m_iRowHeight(std::clamp(rowHeight, 1, kMaxListRowHeight))
{
    m_iType = WT_SCREENLISTBOX;
    int32_t width = 0, height = 0;
    FrontEndDisplaySize(width, height);
    m_iVisibleRows =
        VisibleRowsFor(std::clamp(visibleRows, 0, kMaxListVisibleRows), rect.bottom - rect.top, m_iRowHeight, height);
}

ScreenListBox::~ScreenListBox() = default;

GuiRect ScreenListBox::PageRect() const
{
    GuiRect r;
    r.left = Trunc(m_fX * kFrontEndPageWidth);
    r.right = Trunc((m_fRelWidth + m_fX) * kFrontEndPageWidth);
    r.top = Trunc(m_fY * kFrontEndPageHeight);
    r.bottom = Trunc((m_fRelHeight + m_fY) * kFrontEndPageHeight);
    return r;
}

void ScreenListBox::UpdateScrollBar()
{
    if (m_bRunning || !m_bActive)
        return;
    if (m_iRowCount > m_iVisibleRows && !m_pScrollBar)
    {
        int32_t width = 0, height = 0;
        FrontEndDisplaySize(width, height);
        const float sx = static_cast<float>(width) / kFrontEndPageWidth;
        const float sy = static_cast<float>(height) / kFrontEndPageHeight;
        const GuiRect page = PageRect();
        const int32_t x1 = Trunc(static_cast<float>(page.right) * sx);
        // The bar keeps its 14 pixels on every display.
        m_pScrollBar =
            std::make_unique<ScrollBar>(x1, Trunc(static_cast<float>(page.top) * sy), x1 + kScrollBarWidth,
                                        Trunc(static_cast<float>(page.bottom) * sy), static_cast<uint32_t>(m_iFirstRow),
                                        static_cast<uint32_t>(m_iRowCount), static_cast<uint32_t>(m_iVisibleRows), 3);
    }
    else if (m_pScrollBar && m_pScrollBar->GetCount() != static_cast<uint32_t>(m_iRowCount))
        m_pScrollBar->SetCount(static_cast<uint32_t>(m_iRowCount));
    if (m_iRowCount <= m_iVisibleRows && m_pScrollBar)
        m_pScrollBar.reset();
}

void ScreenListBox::Update(float dt)
{
    UpdateTransition(dt);
    UpdateScrollBar();
    if (m_pScrollBar)
    {
        m_pScrollBar->Update(dt);
        const auto first = static_cast<int32_t>(m_pScrollBar->GetFirst());
        if (first != m_iFirstRow)
        {
            m_iFirstRow = first;
            LayOutVisibleRows();
        }
    }
    for (Cell& cell : m_cells)
        cell.widget->Update(dt);
    if (m_bClickPending)
        m_fClickTimer += dt;
}

void ScreenListBox::LayOutVisibleRows()
{
    for (int32_t r = 0; r < m_iShownRows; ++r)
    {
        const int32_t top = m_rect.top + m_iRowHeight * r;
        for (Cell& cell : m_cells)
            if (cell.row == m_iFirstRow + r)
                cell.widget->Move(0, top - cell.widget->GetRect().top);
    }
    SetDirty();
}

void ScreenListBox::Move(int32_t dx, int32_t dy)
{
    ScreenElement::Move(dx, dy);
    if (m_pScrollBar)
        m_pScrollBar->Move(dx, dy);
    for (Cell& cell : m_cells)
        cell.widget->Move(dx, dy);
    m_iOffsetX += dx;
    m_iOffsetY += dy;
}

void ScreenListBox::Reposition(int32_t dx, int32_t dy)
{
    ScreenElement::Reposition(dx, dy);
    if (m_pScrollBar)
        m_pScrollBar->Reposition(dx, dy);
    // The cells stand where the earlier offsets put them: they go along to the new place.
    for (Cell& cell : m_cells)
        cell.widget->Move(dx - m_iOffsetX, dy - m_iOffsetY);
    m_iOffsetX = dx;
    m_iOffsetY = dy;
}

void ScreenListBox::SetDirty()
{
    ScreenElement::SetDirty();
    for (Cell& cell : m_cells)
        cell.widget->SetDirty();
}

void ScreenListBox::SetActive(bool active)
{
    ScreenElement::SetActive(active);
    if (m_pScrollBar)
        m_pScrollBar->SetActive(active);
}

bool ScreenListBox::OnScreenMouse(float x, float y, int32_t event)
{
    if (!m_bActive)
        return false;
    int32_t width = 0, height = 0;
    FrontEndDisplaySize(width, height);
    // The pointer outside the window reaches the scroll bar as the input's mark for it: taken to the page and back
    // to the display it would be a point beyond the window's corner, and a dragged thumb would jump there.
    const bool outside = std::lround(x * static_cast<float>(width)) == GameInput::kOutsideWindow &&
                         std::lround(y * static_cast<float>(height)) == GameInput::kOutsideWindow;
    return Pointer(Trunc(x * kFrontEndPageWidth), Trunc(y * kFrontEndPageHeight), outside, event);
}

bool ScreenListBox::OnMouse(int32_t x, int32_t y, int32_t event)
{
    return Pointer(x, y, false, event);
}

bool ScreenListBox::Pointer(int32_t x, int32_t y, bool outsideWindow, int32_t event)
{
    m_bDoubleClicked = false;
    int32_t width = 0, height = 0;
    FrontEndDisplaySize(width, height);
    const float sx = static_cast<float>(width) / kFrontEndPageWidth;
    const float sy = static_cast<float>(height) / kFrontEndPageHeight;
    const int32_t barX = outsideWindow ? GameInput::kOutsideWindow : Trunc(static_cast<float>(x) * sx);
    const int32_t barY = outsideWindow ? GameInput::kOutsideWindow : Trunc(static_cast<float>(y) * sy);
    if (m_pScrollBar && m_pScrollBar->OnMouse(barX, barY, event))
        return true;
    if (!m_bSelectable)
        return false;
    if (event != ME_PRESSED)
    {
        m_bClickPending = false;
        return false;
    }
    const GuiRect page = PageRect();
    if (x < page.left || x > page.right || y < page.top || y > page.bottom)
        return false;
    const int32_t row = Trunc(static_cast<float>(y - page.top) * sy) / m_iRowHeight + m_iFirstRow;
    const bool exclusive = !(g_pGUIManager && g_pGUIManager->IsControlHeld());
    SetSelected(row, exclusive);
    if (!exclusive)
        m_bClickPending = false;
    else if (!m_bClickPending)
    {
        m_bClickPending = true;
        m_fClickTimer = 0.0f;
    }
    else if (m_fClickTimer < kDoubleClickTime)
    {
        m_bDoubleClicked = true;
        m_bClickPending = false;
    }
    return true;
}

void ScreenListBox::SetSelected(int32_t row, bool)
{
    if (m_cells.empty() || m_iRowCount <= 0)
        return;
    row = std::clamp(row, 0, m_iRowCount - 1);
    m_selected.assign(1, row);
    for (Cell& cell : m_cells)
        cell.selected = cell.row == row;
}

void ScreenListBox::ClearRows()
{
    m_cells.clear();
    m_selected.clear();
    m_iFirstRow = 0;
    m_iShownRows = 0;
    m_iRowCount = 0;
    m_pScrollBar.reset();
    SetDirty();
}

void ScreenListBox::AddTextItem(int32_t row, int32_t x, int32_t width, int32_t, int32_t textFlags, int32_t font,
                                uint32_t colour, const char16_t* text, bool newRow)
{
    platform::WString shown(text ? text : u"");
    if (TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(font) : nullptr)
        writer->TruncateToWidth(shown, width);
    const int32_t left = m_rect.left + x, top = m_rect.top + m_iRowHeight * row;
    Cell cell;
    cell.widget =
        std::make_unique<Text>(left, top, left + width, top + m_iRowHeight, shown.c_str(), font, colour, textFlags);
    cell.row = row;
    m_cells.push_back(std::move(cell));
    if (newRow)
        ++m_iRowCount;
    UpdateScrollBar();
    m_iShownRows = std::min(m_iRowCount, m_iVisibleRows);
    SetDirty();
}

void ScreenListBox::AddImageItem(int32_t row, int32_t x, const char* spriteName)
{
    const int32_t left = m_rect.left + x, top = m_rect.top + m_iRowHeight * row;
    auto image = std::make_unique<Image>(left, top, left, top, spriteName, false);
    image->SetFrame(0);
    Cell cell;
    cell.widget = std::move(image);
    cell.row = row;
    m_cells.push_back(std::move(cell));
}

void ScreenListBox::Draw()
{
    if (!m_bActive)
        return;
    int32_t width = 0, height = 0;
    FrontEndDisplaySize(width, height);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    if (m_pScrollBar && !m_bRunning)
        m_pScrollBar->Draw();
    const int32_t top = Trunc(m_fY * h);
    for (int32_t r = m_iFirstRow; r < m_iFirstRow + m_iShownRows; ++r)
    {
        const int32_t rowTop = top + (r - m_iFirstRow) * m_iRowHeight;
        if (std::find(m_selected.begin(), m_selected.end(), r) != m_selected.end())
        {
            const int32_t rect[4] = {Trunc(m_fX * w), rowTop, rowTop + m_iRowHeight, Trunc((m_fRelWidth + m_fX) * w)};
            g_GraphicsManager.FillRect(rect, kSelectedColour);
        }
        for (const Cell& cell : m_cells)
        {
            if (cell.row != r)
                continue;
            // The cell's place within the list: the list's own rectangle moves with it.
            const GuiRect& own = cell.widget->GetRect();
            GuiRect rect;
            rect.left = Trunc((static_cast<float>(own.left - m_rect.left) / kFrontEndPageWidth + m_fX) * w);
            rect.right = Trunc((static_cast<float>(own.right - m_rect.left) / kFrontEndPageWidth + m_fX) * w);
            rect.top = Trunc(m_fY * h + static_cast<float>(own.top - m_rect.top));
            rect.bottom = rect.top + m_iRowHeight;
            if (auto* image = dynamic_cast<Image*>(cell.widget.get()))
                image->DrawAt(rect.left, rect.top);
            else if (auto* text = dynamic_cast<Text*>(cell.widget.get()))
                text->DrawInRect(rect, true);
        }
    }
}
