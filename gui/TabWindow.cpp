// TabWindow and Tab: switching pages, the header's presses and the page's forwarding.
#include "gui/TabWindow.h"

#include "engine/media/SoundManager.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/MainItem.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"

namespace
{

// The page's widgets in two passes: combo boxes last, so an open drop-down list lies over its neighbours.
template <typename Fn> void ComboBoxesLast(const std::vector<Widget*>& children, Fn fn)
{
    for (Widget* child : children)
        if (child->GetType() != WT_COMBOBOX)
            fn(child);
    for (Widget* child : children)
        if (child->GetType() == WT_COMBOBOX)
            fn(child);
}

} // namespace

// ---- Tab

Tab::Tab(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* sprite)
    : Widget(left, top, right, bottom)
{
    m_iType = WT_TAB;
    m_pSprite = GetSpriteManager().CreateSprite(sprite ? sprite : "");
    m_pSprite->SetPlayMode(Sprite::PLAY_MANUAL);
}

Tab::~Tab()
{
    GetSpriteManager().ReleaseSprite(m_pSprite);
}

void Tab::Update(float dt)
{
    if (m_bActive && m_iSelected)
        for (Widget* child : m_children)
            child->Update(dt);
}

void Tab::Refresh()
{
    if (m_bActive && m_iSelected)
        for (Widget* child : m_children)
            child->Refresh();
}

void Tab::AddChild(Widget* child)
{
    if (child)
        m_children.push_back(child);
}

void Tab::Reposition(int32_t dx, int32_t dy)
{
    Widget::Reposition(dx, dy);
    for (Widget* child : m_children)
        child->Reposition(dx, dy);
}

void Tab::SetDirty()
{
    m_iDrawnState = 3;
    if (m_iSelected)
        for (Widget* child : m_children)
            child->SetDirty();
}

void Tab::SetActive(bool active)
{
    Widget::SetActive(active);
    m_iSelected = active ? 1 : 0;
    for (Widget* child : m_children)
        child->SetActive(active);
}

void Tab::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    for (Widget* child : m_children)
        child->Move(dx, dy);
}

bool Tab::OnMouseWheel(int32_t x, int32_t y, int32_t delta)
{
    for (Widget* child : m_children)
        if (child->OnMouseWheel(x, y, delta))
            return true;
    return false;
}

bool Tab::HeaderMouse(int32_t x, int32_t y, int32_t event, bool current)
{
    Widget::OnMouse(x, y, event);
    m_bMouseOver = event != ME_LEAVE && x >= m_rect.left && x <= m_rect.right && y >= m_rect.top && y <= m_rect.bottom;
    if (!current)
        return m_bMouseOver && event == ME_PRESSED;
    for (Widget* child : m_children)
        if (child->OnMouse(x, y, event))
            return true;
    if (m_bMouseOver && event == ME_PRESSED)
        for (Widget* child : m_children)
            child->OnTabClicked();
    return false;
}

void Tab::DrawCached()
{
    if (m_iSelected != m_iDrawnState)
    {
        m_pSprite->SetFrame(m_iSelected);
        m_pSprite->DrawToSurface(m_rect.left, m_rect.top, GuiNow());
        m_iDrawnState = m_iSelected;
    }
    if (m_iSelected)
        ComboBoxesLast(m_children, [](Widget* w) { w->DrawCached(); });
}

void Tab::Draw()
{
    if (m_iSelected)
        ComboBoxesLast(m_children, [](Widget* w) { w->Draw(); });
}

void Tab::SetChanged(bool changed)
{
    Widget::SetChanged(changed);
    for (Widget* child : m_children)
        child->SetChanged(changed);
}

bool Tab::HasChanged() const
{
    if (m_bChanged)
        return true;
    for (const Widget* child : m_children)
        if (child->HasChanged())
            return true;
    return false;
}

// ---- TabWindow

TabWindow::TabWindow(int32_t left, int32_t top, int32_t right, int32_t bottom) : Widget(left, top, right, bottom)
{
    m_iType = WT_TABWINDOW;
}

Tab* TabWindow::TabOf(Widget* child)
{
    if (child && child->GetType() == WT_DEFINE)
    {
        const auto& children = static_cast<Define*>(child)->GetChildren();
        child = children.empty() ? nullptr : children.front();
    }
    return child && child->GetType() == WT_TAB ? static_cast<Tab*>(child) : nullptr;
}

void TabWindow::AddChild(Widget* child)
{
    Tab* tab = TabOf(child);
    if (!tab)
        return;
    m_tabs.push_back(tab);
    if (!m_pCurrent)
        m_pCurrent = tab;
}

void TabWindow::Update(float dt)
{
    for (Tab* tab : m_tabs)
        tab->Update(dt);
}

void TabWindow::Refresh()
{
    for (Tab* tab : m_tabs)
        tab->Refresh();
}

void TabWindow::Reposition(int32_t dx, int32_t dy)
{
    Widget::Reposition(dx, dy);
    for (Tab* tab : m_tabs)
        tab->Reposition(dx, dy);
}

void TabWindow::SetDirty()
{
    m_bDirty = true;
    for (Tab* tab : m_tabs)
        tab->SetDirty();
}

void TabWindow::SetActive(bool active)
{
    Widget::SetActive(active);
    for (Tab* tab : m_tabs)
        tab->SetActive(false);
    if (active && m_pCurrent)
        m_pCurrent->SetActive(true);
}

void TabWindow::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    for (Tab* tab : m_tabs)
        tab->Move(dx, dy);
}

bool TabWindow::OnMouseWheel(int32_t x, int32_t y, int32_t delta)
{
    return m_pCurrent && m_pCurrent->OnMouseWheel(x, y, delta);
}

void TabWindow::Switch(Tab* tab)
{
    if (m_bActive)
    {
        if (m_pCurrent)
            m_pCurrent->SetActive(false);
        tab->SetActive(true);
    }
    m_pCurrent = tab;
    if (g_pGUIManager)
        g_pGUIManager->RedrawAllDialogs(false);
}

bool TabWindow::OnMouse(int32_t x, int32_t y, int32_t event)
{
    if (m_pCurrent && m_pCurrent->HeaderMouse(x, y, event, true))
        return true;
    for (Tab* tab : m_tabs)
        if (tab != m_pCurrent && tab->HeaderMouse(x, y, event, false))
        {
            Switch(tab);
            if (g_pSoundManager)
                g_pSoundManager->PlaySample("ButtonClick", 1, 0.0f);
            return true;
        }
    return false;
}

void TabWindow::SelectTab(int32_t tab)
{
    if (tab < 0 || static_cast<size_t>(tab) >= m_tabs.size())
        return;
    Switch(m_tabs[static_cast<size_t>(tab)]);
}

void TabWindow::DrawCached()
{
    for (Tab* tab : m_tabs)
        tab->DrawCached();
}

void TabWindow::Draw()
{
    for (Tab* tab : m_tabs)
        tab->Draw();
}

void TabWindow::SetChanged(bool changed)
{
    Widget::SetChanged(changed);
    for (Tab* tab : m_tabs)
        tab->SetChanged(changed);
}

bool TabWindow::HasChanged() const
{
    if (m_bChanged)
        return true;
    for (const Tab* tab : m_tabs)
        if (tab->HasChanged())
            return true;
    return false;
}
