// TabWindow and Tab: switching pages, the header's presses and the page's forwarding.
#include "gui/TabWindow.h"

#include "engine/media/SoundManager.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/MainItem.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"

// ---- Tab

Tab::Tab(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* sprite)
    : ContainerWidget(left, top, right, bottom)
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
        ContainerWidget::Update(dt);
}

void Tab::Refresh()
{
    if (m_bActive && m_iSelected)
        ContainerWidget::Refresh();
}

void Tab::SetDirty()
{
    m_iDrawnState = 3;
    if (m_iSelected)
        ForEachChild([](Widget* w) { w->SetDirty(); });
}

void Tab::SetActive(bool active)
{
    m_iSelected = active ? 1 : 0;
    ContainerWidget::SetActive(active);
}

bool Tab::OnMouseWheel(int32_t x, int32_t y, int32_t delta)
{
    return WheelToChildren(x, y, delta);
}

bool Tab::HeaderMouse(int32_t x, int32_t y, int32_t event, bool current)
{
    Widget::OnMouse(x, y, event);
    m_bMouseOver = event != ME_LEAVE && x >= m_rect.left && x <= m_rect.right && y >= m_rect.top && y <= m_rect.bottom;
    if (!current)
        return m_bMouseOver && event == ME_PRESSED;
    if (MouseToChildren(x, y, event))
        return true;
    if (m_bMouseOver && event == ME_PRESSED)
        ForEachChild([](Widget* w) { w->OnTabClicked(); });
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
        ComboBoxesLast([](Widget* w) { w->DrawCached(); });
}

void Tab::Draw()
{
    if (m_iSelected)
        ComboBoxesLast([](Widget* w) { w->Draw(); });
}

// ---- TabWindow

TabWindow::TabWindow(int32_t left, int32_t top, int32_t right, int32_t bottom)
    : ContainerWidget(left, top, right, bottom)
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

std::vector<Tab*> TabWindow::GetTabs() const
{
    std::vector<Tab*> tabs;
    for (size_t i = 0; i < m_children.size(); ++i)
        tabs.push_back(TabAt(i));
    return tabs;
}

void TabWindow::AddChild(Widget* child)
{
    Tab* tab = TabOf(child);
    if (!tab)
        return;
    m_children.push_back(tab);
    if (!m_pCurrent)
        m_pCurrent = tab;
}

void TabWindow::SetActive(bool active)
{
    Widget::SetActive(active);
    ForEachChild([](Widget* tab) { tab->SetActive(false); });
    if (active && m_pCurrent)
        m_pCurrent->SetActive(true);
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
    for (size_t i = 0; i < m_children.size(); ++i)
    {
        Tab* tab = TabAt(i);
        if (tab != m_pCurrent && tab->HeaderMouse(x, y, event, false))
        {
            Switch(tab);
            if (g_pSoundManager)
                g_pSoundManager->PlaySample("ButtonClick", 1, 0.0f);
            return true;
        }
    }
    return false;
}

void TabWindow::SelectTab(int32_t tab)
{
    if (tab < 0 || static_cast<size_t>(tab) >= m_children.size())
        return;
    Switch(TabAt(static_cast<size_t>(tab)));
}
