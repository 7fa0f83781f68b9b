// MainItem: child forwarding and the eight panel styles.
#include "gui/MainItem.h"

#include "engine/core/GameClock.h"
#include "engine/render/GraphicsManager.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"

namespace
{

constexpr uint32_t kGold = 0xFF9E8A21;
constexpr uint32_t kPaper = 0xFFF7F7FF;
constexpr const char* kComboCaps[3] = {"UIS_combobox_textarea", "UIS_combobox_textarea_w", "UI3_combobox_textarea_b"};
constexpr const char* kThumbSprite = "UI3_SCROLLBAR_SLIDER";

} // namespace

void GuiFill(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour)
{
    const int32_t rect[4] = {left, top, bottom, right};
    g_GraphicsManager.FillRect(rect, colour);
}

void GuiLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)
{
    g_GraphicsManager.DrawLine(x1, y1, x2, y2, colour);
}

float GuiNow()
{
    return g_pGameClock ? g_pGameClock->GetElapsed() : 0.0f;
}

MainItem::MainItem(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t style)
    : Widget(left, top, right, bottom), m_iStyle(style)
{
    m_iType = WT_MAINITEM;
}

MainItem::~MainItem()
{
    if (m_bOwnsChildren)
        for (Widget* child : m_children)
            delete child;
}

void MainItem::Update(float dt)
{
    for (Widget* child : m_children)
        child->Update(dt);
}

void MainItem::AddChild(Widget* child)
{
    if (child)
        m_children.push_back(child);
}

void MainItem::SetDirty()
{
    m_bDirty = true;
    for (Widget* child : m_children)
        child->SetDirty();
}

void MainItem::SetActive(bool active)
{
    for (Widget* child : m_children)
        child->SetActive(active);
}

void MainItem::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    for (Widget* child : m_children)
        child->Move(dx, dy);
}

bool MainItem::HitTest(int32_t x, int32_t y)
{
    if (Widget::HitTest(x, y))
        return true;
    for (Widget* child : m_children)
        if (child->HitTest(x, y))
            return true;
    return false;
}

bool MainItem::OnMouse(int32_t x, int32_t y, int32_t event)
{
    m_bPressed = false;
    m_bClicked = false;
    m_bMouseOver = HitTest(x, y);
    for (Widget* child : m_children)
        if (child->OnMouse(x, y, event))
            return true;
    if (m_bMouseOver && event == ME_PRESSED)
        return m_bClicked = true;
    if (m_bMouseOver && event == ME_HELD)
        return m_bPressed = true;
    return false;
}

bool MainItem::OnRightMouse(int32_t x, int32_t y, int32_t event)
{
    for (Widget* child : m_children)
        if (child->OnRightMouse(x, y, event))
            return true;
    return false;
}

void MainItem::DrawCached()
{
    if (m_bDirty)
    {
        if (m_iStyle == STYLE_COMBO_TEXT)
        {
            const int32_t variant = m_iCapVariant >= 0 && m_iCapVariant < 3 ? m_iCapVariant : 0;
            SpriteManager& sprites = GetSpriteManager();
            Sprite* cap = sprites.CreateSprite(kComboCaps[variant]);
            cap->SetPlayMode(Sprite::PLAY_MANUAL);
            cap->SetFrame(0);
            cap->DrawToSurface(m_rect.left - cap->GetWidth(), m_rect.top, GuiNow());
            cap->SetFrame(1);
            cap->DrawToSurface(m_rect.right - cap->GetWidth() + 1, m_rect.top, GuiNow());
            sprites.ReleaseSprite(cap);
        }
        m_bDirty = false;
    }
    for (Widget* child : m_children)
        child->DrawCached();
}

void MainItem::Draw()
{
    const int32_t l = m_rect.left, t = m_rect.top, r = m_rect.right, b = m_rect.bottom;
    switch (m_iStyle)
    {
    case STYLE_COMBO_TEXT:
        GuiLine(l, t + 1, r, t + 1, kGold);
        GuiFill(l, t + 2, r - 1, t + 16, kPaper);
        GuiLine(l, t + 16, r, t + 16, kGold);
        break;
    case STYLE_COMBO_LIST_DOWN:
        GuiFill(l, t, l + 2, b, kGold);
        GuiFill(r - 2, t, r, b, kGold);
        GuiFill(l, b - 2, r, b, kGold);
        GuiFill(l + 2, t, r - 2, b - 2, kPaper);
        break;
    case STYLE_SCROLL_BACK:
        GuiLine(l, t, l, b - 1, 0xFF948C52);
        GuiFill(l + 1, t, l + 13, b - 1, 0xFFFFD610);
        GuiLine(l + 13, t, l + 13, b - 1, 0xFF948C52);
        break;
    case STYLE_SCROLL_THUMB:
    {
        SpriteManager& sprites = GetSpriteManager();
        Sprite* thumb = sprites.CreateSprite(kThumbSprite);
        thumb->SetPlayMode(Sprite::PLAY_MANUAL);
        thumb->SetFrame(0);
        thumb->Draw(static_cast<float>(l), static_cast<float>(t), GuiNow());
        const int32_t h = thumb->GetHeight();
        const int32_t m = std::max((b - t) - 2 * h, 0);
        if (m > 0)
        {
            const uint32_t lines[6] = {0xFFFFD610, 0xFF086BA5, 0xFF218CD6, 0xFF00D6F7, 0xFFB6DBF3, 0xFFFFD610};
            const int32_t xs[6] = {l, l + 1, l + 2, l + 9, l + 10, l + 11};
            for (int i = 0; i < 6; ++i)
            {
                if (i == 3)
                    GuiFill(l + 3, t + h, l + 9, t + h + m, 0xFF31A5F7);
                GuiLine(xs[i], t + h, xs[i], t + h + m, lines[i]);
            }
        }
        thumb->SetFrame(1);
        thumb->Draw(static_cast<float>(l), static_cast<float>(t + h + m), GuiNow());
        sprites.ReleaseSprite(thumb);
        break;
    }
    case STYLE_SLIDER_TRACK:
        GuiLine(l + 1, t, r - 2, t, 0xFF2542BD);
        GuiLine(l + 1, t + 1, r - 2, t + 1, 0xFF93B2FD);
        GuiLine(l + 1, t + 2, r - 2, t + 2, 0xFFBBD0FF);
        break;
    case STYLE_TOOLTIP:
        GuiFill(l, t, l + 2, b, kGold);
        GuiFill(r - 2, t, r, b, kGold);
        GuiFill(l, b - 2, r, b, kGold);
        GuiFill(l, t, r, t + 2, kGold);
        GuiFill(l + 2, t + 2, r - 2, b - 2, kPaper);
        break;
    default:
        break;
    }
    for (Widget* child : m_children)
        child->Draw();
}

void MainItem::SetChanged(bool changed)
{
    m_bChanged = changed;
    for (Widget* child : m_children)
        child->SetChanged(changed);
}

bool MainItem::HasChanged() const
{
    if (m_bChanged)
        return true;
    for (const Widget* child : m_children)
        if (child->HasChanged())
            return true;
    return false;
}
