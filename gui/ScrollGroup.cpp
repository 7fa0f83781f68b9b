// ScrollGroup: the range of items that fit, their layout, the scroll bar's upkeep and selection by press.
#include "gui/ScrollGroup.h"

#include "gui/ScrollBar.h"

#include <algorithm>

ScrollGroup::ScrollGroup(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* name)
    : Widget(left, top, right, bottom),
      m_name(name ? name : ""), m_scrollRect{right - kScrollBarWidth, top, right, bottom}
{
    m_iType = WT_SCROLLGROUP;
}

ScrollGroup::~ScrollGroup() = default;

void ScrollGroup::UpdateRange()
{
    m_iLast = m_iFirst;
    m_iShown = 0;
    int64_t y = m_rect.top;
    for (size_t i = static_cast<size_t>(m_iFirst); i < m_items.size(); ++i)
    {
        const int64_t height = m_items[i]->GetHeight();
        if (y + height > m_rect.bottom)
            break;
        y += height;
        m_iLast = static_cast<int32_t>(i);
        ++m_iShown;
    }
}

void ScrollGroup::LayOut()
{
    int32_t y = m_rect.top;
    for (int32_t i = 0; i < m_iShown; ++i)
    {
        Widget* item = m_items[static_cast<size_t>(m_iFirst + i)].get();
        const GuiRect& r = item->GetRect();
        item->Move(m_rect.left - r.left, y - r.top);
        y += item->GetHeight();
    }
}

int32_t ScrollGroup::ItemsFittingAtTheEnd() const
{
    int64_t room = int64_t{m_rect.bottom} - m_rect.top;
    int32_t fit = 0;
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
    {
        room -= (*it)->GetHeight();
        if (room < 0)
            break;
        ++fit;
    }
    return std::max(fit, 1);
}

void ScrollGroup::UpdateScrollBar()
{
    const int32_t count = GetItemCount();
    if (count <= m_iLast - m_iFirst + 1)
    {
        m_pScrollBar.reset();
        return;
    }
    // The bar's view is what fits at the end of the list, so that its last place shows the last items whatever
    // the heights of those before them.
    const int32_t visible = ItemsFittingAtTheEnd();
    if (m_pScrollBar && m_pScrollBar->GetVisible() == static_cast<uint32_t>(visible))
    {
        m_pScrollBar->SetCount(static_cast<uint32_t>(count));
        return;
    }
    const GuiRect& s = m_scrollRect;
    m_pScrollBar = std::make_unique<ScrollBar>(s.left, s.top, s.right, s.bottom, static_cast<uint32_t>(m_iFirst),
                                               static_cast<uint32_t>(count), static_cast<uint32_t>(visible), 3);
    m_pScrollBar->Move(m_rect.left - m_homeRect.left, m_rect.top - m_homeRect.top);
    if (!m_bActive)
        m_pScrollBar->SetActive(false);
}

void ScrollGroup::AddItem(std::unique_ptr<Widget> item)
{
    if (!item)
        return;
    if (m_bSelectable)
        item->SetColour(kUnselectedColour);
    item->SetActive(m_bActive);
    m_items.push_back(std::move(item));
    UpdateRange();
    LayOut();
    UpdateScrollBar();
}

void ScrollGroup::Clear()
{
    m_iFirst = m_iLast = m_iShown = 0;
    m_items.clear();
    UpdateScrollBar();
}

void ScrollGroup::SelectItem(int32_t n)
{
    if (!m_bSelectable)
        return;
    m_iSelected = 0;
    if (m_items.empty())
        return;
    n = std::clamp(n, 0, GetItemCount() - 1);
    for (int32_t i = 0; i < GetItemCount(); ++i)
        m_items[static_cast<size_t>(i)]->SetColour(i == n ? kSelectedColour : kUnselectedColour);
    m_iSelected = n;
}

void ScrollGroup::SetTopItem(int32_t n)
{
    m_iFirst = std::clamp(n, 0, std::max(GetItemCount() - 1, 0));
    if (m_pScrollBar)
        m_pScrollBar->SetFirst(static_cast<uint32_t>(m_iFirst));
    UpdateRange();
    LayOut();
}

void ScrollGroup::EnsureVisible(int32_t n)
{
    if (m_items.empty())
        return;
    n = std::clamp(n, 0, GetItemCount() - 1);
    if (n < m_iFirst)
        SetTopItem(n);
    if (n >= m_iLast)
    {
        const int32_t span = m_iLast - m_iFirst;
        SetTopItem(n + 1 >= GetItemCount() ? GetItemCount() - 1 - span : n - span + 1);
    }
}

void ScrollGroup::FollowScrollBar()
{
    if (m_pScrollBar && static_cast<int32_t>(m_pScrollBar->GetFirst()) != m_iFirst)
    {
        m_iFirst = static_cast<int32_t>(m_pScrollBar->GetFirst());
        UpdateRange();
        LayOut();
    }
}

void ScrollGroup::Update(float dt)
{
    if (!m_pScrollBar)
        return;
    m_pScrollBar->Update(dt);
    FollowScrollBar();
}

void ScrollGroup::Reposition(int32_t dx, int32_t dy)
{
    Move(m_homeRect.left + dx - m_rect.left, m_homeRect.top + dy - m_rect.top);
}

void ScrollGroup::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    for (auto& item : m_items)
        item->Move(dx, dy);
    if (m_pScrollBar)
        m_pScrollBar->Move(dx, dy);
}

void ScrollGroup::SetActive(bool active)
{
    Widget::SetActive(active);
    for (auto& item : m_items)
        item->SetActive(active);
    if (m_pScrollBar)
        m_pScrollBar->SetActive(active);
}

bool ScrollGroup::OnMouseWheel(int32_t x, int32_t y, int32_t delta)
{
    if (!m_pScrollBar)
        return false;
    const GuiRect& bar = m_pScrollBar->GetRect();
    const bool overGroup = x >= m_rect.left && x <= m_rect.right && y >= m_rect.top && y <= m_rect.bottom;
    const bool overBar = x >= bar.left && x <= bar.right && y >= bar.top && y <= bar.bottom;
    if (!overGroup && !overBar)
        return false;
    const bool taken = m_pScrollBar->OnMouseWheel(x, y, delta);
    FollowScrollBar();
    return taken;
}

bool ScrollGroup::OnMouse(int32_t x, int32_t y, int32_t event)
{
    if (m_pScrollBar)
    {
        const bool taken = m_pScrollBar->OnMouse(x, y, event);
        FollowScrollBar();
        if (taken)
            return true;
    }
    if (!m_bSelectable || event != ME_PRESSED || !HitTest(x, y))
        return false;
    int32_t top = m_rect.top;
    for (int32_t i = 0; i < m_iShown; ++i)
    {
        const int32_t height = m_items[static_cast<size_t>(m_iFirst + i)]->GetHeight();
        if (y >= top && y < top + height)
        {
            SelectItem(m_iFirst + i);
            break;
        }
        top += height;
    }
    return false;
}

void ScrollGroup::DrawCached()
{
    if (m_pScrollBar)
        m_pScrollBar->DrawCached();
}

void ScrollGroup::Draw()
{
    for (int32_t i = 0; i < m_iShown; ++i)
        m_items[static_cast<size_t>(m_iFirst + i)]->Draw();
    if (m_pScrollBar)
        m_pScrollBar->Draw();
}
