// Widget: rectangles, flags and the tooltip timing shared by every GUI element.
#include "gui/Widget.h"

#include "engine/core/GameClock.h"
#include "gui/GUIManager.h"
#include "platform/Strings.h"

namespace
{

// The hover time at which a shown tooltip goes away for good (until the cursor leaves).
constexpr float kTooltipEnd = 7.0f;

float FrameTime()
{
    return g_pGameClock ? g_pGameClock->GetFrameTime() : 0.0f;
}

float TooltipDelay()
{
    return g_pGUIManager ? g_pGUIManager->GetTooltipDelay() : GUIManager::kTooltipDelay;
}

} // namespace

Widget::Widget(int32_t left, int32_t top, int32_t right, int32_t bottom)
    : m_rect{left, top, right, bottom}, m_homeRect{left, top, right, bottom}
{
}

Widget::~Widget()
{
    HideTooltip();
}

void Widget::Update(float) {}

void Widget::AddChild(Widget*) {}

void Widget::Reposition(int32_t dx, int32_t dy)
{
    m_rect = {m_homeRect.left + dx, m_homeRect.top + dy, m_homeRect.right + dx, m_homeRect.bottom + dy};
}

void Widget::SetActive(bool active)
{
    m_bActive = active;
    if (!active)
    {
        HideTooltip();
        m_fHoverTime = 0.0f;
    }
}

void Widget::Move(int32_t dx, int32_t dy)
{
    m_rect.left += dx;
    m_rect.right += dx;
    m_rect.top += dy;
    m_rect.bottom += dy;
}

bool Widget::HitTest(int32_t x, int32_t y)
{
    if (x < m_rect.left || x > m_rect.right || y < m_rect.top || y > m_rect.bottom)
        return false;
    m_bMouseOver = true;
    return true;
}

bool Widget::OnMouseWheel(int32_t, int32_t, int32_t)
{
    return false;
}

bool Widget::OnScreenMouse(float, float, int32_t)
{
    return false;
}

bool Widget::OnMouse(int32_t x, int32_t y, int32_t event)
{
    if (m_tooltip.empty())
    {
        m_iLastMouseX = x;
        m_iLastMouseY = y;
        return false;
    }
    const float dt = FrameTime();
    const float delay = TooltipDelay();
    if (!HitTest(x, y))
    {
        HideTooltip();
        m_fHoverTime = 0.0f;
        m_iLastMouseX = x;
        m_iLastMouseY = y;
        return false;
    }
    if (m_fHoverTime < delay)
        m_fHoverTime = (x == m_iLastMouseX && y == m_iLastMouseY) ? m_fHoverTime + dt : 0.0f;
    if (event >= ME_PRESSED && event <= ME_LEAVE && m_fHoverTime >= delay)
    {
        HideTooltip();
        m_fHoverTime = kTooltipEnd;
    }
    if (m_fHoverTime >= kTooltipEnd)
    {
        HideTooltip();
        m_iLastMouseX = x;
        m_iLastMouseY = y;
        return false;
    }
    if (m_fHoverTime >= delay)
    {
        if (g_pGUIManager)
            g_pGUIManager->ShowTooltip(this, x, y, m_tooltip.c_str());
        m_fHoverTime += dt;
    }
    m_iLastMouseX = x;
    m_iLastMouseY = y;
    return false;
}

bool Widget::OnRightMouse(int32_t, int32_t, int32_t event)
{
    if (!m_tooltip.empty() && IsMouseOver() && (event == ME_PRESSED || event == ME_HELD) &&
        m_fHoverTime >= TooltipDelay())
    {
        HideTooltip();
        m_fHoverTime = kTooltipEnd;
    }
    return false;
}

void Widget::SelectTab(int32_t) {}

void Widget::SetTooltip(const char* key)
{
    if (!key || platform::StrICmp(key, "NONE") == 0)
        return;
    m_tooltip = key;
}

void Widget::SetPosition(int32_t x, int32_t y)
{
    m_rect = {x, y, x + GetWidth(), y + GetHeight()};
}

void Widget::HideTooltip()
{
    if (g_pGUIManager)
        g_pGUIManager->HideTooltip(this);
}
