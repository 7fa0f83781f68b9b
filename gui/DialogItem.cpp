// DialogItem: transitions, dragging, the background and the drawing order of its children; Define: forwarding.
#include "gui/DialogItem.h"

#include "engine/render/Display.h"
#include "gui/GUIManager.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "platform/Strings.h"

#include <cmath>

namespace
{

// The cursor position the input reports while the cursor is outside the window.
constexpr int32_t kOutsideWindow = -300;

int32_t ScreenWidth()
{
    return g_pGUIManager ? g_pGUIManager->GetScreenWidth() : GUIManager::kDesignWidth;
}

int32_t ScreenHeight()
{
    return g_pGUIManager ? g_pGUIManager->GetScreenHeight() : GUIManager::kDesignHeight;
}

} // namespace

DialogItem::DialogItem(const char* name, int32_t left, int32_t top, int32_t right, int32_t bottom,
                       const char* background, int32_t positionId, bool draggable)
    : ContainerWidget(left, top, right, bottom),
      m_pTitle(std::make_unique<MainItem>(left, top, right, top + kTitleHeight, 0)), m_name(name ? name : ""),
      m_bDraggable(draggable), m_iPositionId(positionId)
{
    m_iType = WT_DIALOG;
    const char* bg = background ? background : "NONE";
    if (platform::StrICmp(bg, "NONE") == 0)
        m_iBackground = BG_NONE;
    else if (platform::StrICmp(bg, "CLEAR") == 0)
        m_iBackground = BG_CLEAR;
    else if (platform::StrICmp(bg, "SEMI") == 0)
        m_iBackground = BG_SEMI;
    else
    {
        m_iBackground = BG_SPRITE;
        m_pBackground = GetSpriteManager().CreateSprite(bg);
        // Without its picture (the bank is missing, reported by the sprite manager) the dialog is the plain box
        // of its rectangle: hit by the rectangle and filled white.
        if (m_pBackground->HasPicture())
            m_pBackground->SetPlayMode(Sprite::PLAY_MANUAL);
        else
        {
            GetSpriteManager().ReleaseSprite(m_pBackground);
            m_pBackground = nullptr;
        }
    }
}

DialogItem::~DialogItem()
{
    GetSpriteManager().ReleaseSprite(m_pBackground);
}

void DialogItem::StartTransition(int32_t kind, float seconds, int32_t offset)
{
    m_fRemaining = m_fTotal = seconds;
    m_iTransition = kind;
    m_iOffset = offset;
    m_bInTransition = true;
    if (kind == SLIDE_IN)
        Move(ScreenWidth() - m_homeRect.left, 0);
}

void DialogItem::Update(float dt)
{
    if (m_bInTransition)
    {
        m_fRemaining = std::max(m_fRemaining - dt, 0.0f);
        const float p = m_fTotal > 0.0f ? (m_fTotal - m_fRemaining) / m_fTotal : 1.0f;
        double dx = 0.0;
        switch (m_iTransition)
        {
        case SLIDE_IN:
            dx = (m_homeRect.left - m_rect.left) * static_cast<double>(p) + 1.0;
            break;
        case SLIDE_OUT:
            dx = (ScreenWidth() - m_rect.left + 100) * static_cast<double>(p);
            break;
        case SLIDE_OFFSET:
            dx = (m_iOffset - m_rect.left + m_homeRect.left) * static_cast<double>(p);
            break;
        case SLIDE_HOME:
            dx = (m_homeRect.left - m_rect.left) * static_cast<double>(p);
            break;
        default:
            break;
        }
        Move(static_cast<int32_t>(std::trunc(dx)), 0);
        if (m_iTransition == SLIDE_OUT && m_rect.left > ScreenWidth())
            m_fRemaining = 0.0f;
        SetDirty();
        if (std::fabs(m_fRemaining) <= 1.1920929e-07f)
        {
            m_fRemaining = 0.0f;
            m_bInTransition = false;
            const int32_t kind = m_iTransition;
            m_iTransition = SLIDE_NONE;
            SetDirty();
            if (kind == SLIDE_OUT && g_pGUIManager)
                g_pGUIManager->CloseDialog(m_name.c_str());
        }
    }
    ContainerWidget::Update(dt);
}

void DialogItem::Reposition(int32_t dx, int32_t dy)
{
    Widget::Reposition(dx, dy);
    LayOut();
}

void DialogItem::LayOut()
{
    const int32_t dx = m_rect.left - m_homeRect.left, dy = m_rect.top - m_homeRect.top;
    m_pTitle->Reposition(dx, dy);
    ForEachChild([dx, dy](Widget* w) { w->Reposition(dx, dy); });
}

void DialogItem::SetActive(bool active)
{
    ContainerWidget::SetActive(active);
    if (active)
        m_iAnimState = 0;
    else
    {
        // A drag does not outlive the dialog's closing: opened again, it waits for a new press on its title.
        m_bDragging = false;
        m_iLastDragX = m_iLastDragY = 0;
    }
}

void DialogItem::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    LayOut();
    if (g_pGUIManager)
        g_pGUIManager->StoreDialogPosition(m_iPositionId, m_rect.left, m_rect.top);
}

bool DialogItem::HitTest(int32_t x, int32_t y)
{
    if (!m_pBackground)
    {
        m_bMouseOver = x >= m_rect.left && x <= m_rect.right && y >= m_rect.top && y <= m_rect.bottom;
        return m_bMouseOver;
    }
    const int32_t dx = x - m_rect.left, dy = y - m_rect.top;
    m_bMouseOver = dx > 0 && dy > 0 && dx < m_pBackground->GetWidth() && dy < m_pBackground->GetHeight() &&
                   m_pBackground->IsOpaqueAt(dx, dy);
    return m_bMouseOver;
}

bool DialogItem::OnMouseWheel(int32_t x, int32_t y, int32_t delta)
{
    return WheelToChildren(x, y, delta);
}

bool DialogItem::OnMouse(int32_t x, int32_t y, int32_t event)
{
    HitTest(x, y);
    bool handled = false;
    if (event == ME_PRESSED)
    {
        if (!m_bInTransition)
            handled = MouseToChildren(x, y, event);
        if (!handled && !m_bDragLock && m_bDraggable && m_pTitle->HitTest(x, y))
            handled = m_bDragging = true;
    }
    else if (event == ME_HELD && m_bDragging)
    {
        if (x == kOutsideWindow || y == kOutsideWindow)
        {
            x = m_iLastDragX;
            y = m_iLastDragY;
        }
        if (m_iLastDragX != 0 && m_iLastDragY != 0)
        {
            int32_t dx = x - m_iLastDragX, dy = y - m_iLastDragY;
            if (m_rect.left + dx > ScreenWidth() - kDragMargin || m_rect.right + dx < kDragMargin)
                dx = 0;
            if (m_rect.top + dy > ScreenHeight() - kDragMargin || m_rect.bottom + dy < kDragMargin)
                dy = 0;
            if (dx != 0 || dy != 0)
                Move(dx, dy);
        }
        m_iLastDragX = x;
        m_iLastDragY = y;
        handled = true;
    }
    else if (event == ME_HELD)
    {
        if (!m_bInTransition)
            handled = MouseToChildren(x, y, ME_HELD);
    }
    else
    {
        if (!m_bInTransition)
            handled = MouseToChildren(x, y, event);
        m_bDragging = false;
    }
    if (!m_bDragging)
        m_iLastDragX = m_iLastDragY = 0;
    return handled || (event == ME_PRESSED && m_bMouseOver);
}

bool DialogItem::OnRightMouse(int32_t x, int32_t y, int32_t event)
{
    if (m_bInTransition)
        return false;
    return RightMouseToChildren(x, y, event);
}

void DialogItem::SelectTab(int32_t tab)
{
    SelectTabInChildren(tab);
}

void DialogItem::DrawCached()
{
    if (m_bDirty)
    {
        if (m_pBackground)
            m_pBackground->DrawToSurface(m_rect.left, m_rect.top, GuiNow());
        else if ((m_iBackground == BG_NONE || m_iBackground == BG_SPRITE) && g_pDisplay)
            g_pDisplay->FillSurface(255, 255, 255);
        m_bDirty = false;
    }
    ComboBoxesLast([](Widget* w) { w->DrawCached(); });
}

void DialogItem::Draw()
{
    if (m_iBackground == BG_SEMI)
        GuiFill(m_rect.left, m_rect.top, m_rect.right, m_rect.bottom, 0x80000000);
    ComboBoxesLast([](Widget* w) { w->Draw(); });
}

// ---- Define

Define::Define(const char* name) : ContainerWidget(0, 0, 0, 0, false), m_name(name ? name : "")
{
    m_iType = WT_DEFINE;
}

bool Define::OnMouse(int32_t x, int32_t y, int32_t event)
{
    return MouseToChildren(x, y, event);
}

bool Define::OnRightMouse(int32_t x, int32_t y, int32_t event)
{
    return RightMouseToChildren(x, y, event);
}

void Define::SelectTab(int32_t tab)
{
    SelectTabInChildren(tab);
}
