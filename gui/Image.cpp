// Image: its sprite, pixel-shaped hits and drawing; Bar: the value it shows and the gauge's fills.
#include "gui/Image.h"

#include "engine/core/Logger.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "gui/MainItem.h"
#include "gui/ReportText.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"

#include <algorithm>
#include <cmath>

Image::Image(int32_t left, int32_t top, int32_t, int32_t, const char* sprite, bool live)
    : Widget(left, top, left, top), m_bLive(live)
{
    m_iType = WT_IMAGE;
    TakeSprite(sprite ? sprite : "");
    SetBothRects({left, top, left + m_pSprite->GetWidth(), top + m_pSprite->GetHeight()});
}

Image::~Image()
{
    Image::SetActive(false);
    GetSpriteManager().ReleaseSprite(m_pSprite);
}

void Image::TakeSprite(const char* name)
{
    m_spriteName.assign(name, std::min(std::char_traits<char>::length(name), kMaxName));
    m_pSprite = GetSpriteManager().CreateSprite(m_spriteName.c_str());
}

void Image::SetDirty()
{
    m_bDirty = true;
    SetChanged(true);
}

void Image::SetActive(bool active)
{
    Widget::SetActive(active);
    if (active)
        SetDirty();
}

bool Image::HitTest(int32_t x, int32_t y)
{
    const int64_t dx = int64_t{x} - m_rect.left, dy = int64_t{y} - m_rect.top;
    m_bMouseOver = m_pSprite->HasPicture() && dx > 0 && dy > 0 && dx < m_pSprite->GetWidth() &&
                   dy < m_pSprite->GetHeight() &&
                   m_pSprite->IsOpaqueAt(static_cast<int32_t>(dx), static_cast<int32_t>(dy));
    return m_bMouseOver;
}

bool Image::OnMouse(int32_t x, int32_t y, int32_t event)
{
    m_bPressed = false;
    m_bHeld = false;
    Widget::OnMouse(x, y, event);
    HitTest(x, y);
    if (event == ME_PRESSED && m_bMouseOver)
        m_bPressed = true;
    else if (event == ME_HELD && m_bMouseOver)
        m_bHeld = true;
    else if (event == ME_LEAVE)
        m_bMouseOver = false;
    return false;
}

void Image::DrawCached()
{
    if (!m_bDirty)
        return;
    m_pSprite->DrawToSurface(m_rect.left, m_rect.top, GuiNow());
    m_bDirty = false;
}

void Image::Draw()
{
    if (m_bLive)
        DrawAt(m_rect.left, m_rect.top);
}

void Image::DrawAt(int32_t x, int32_t y)
{
    m_pSprite->Draw(static_cast<float>(x), static_cast<float>(y), GuiNow());
}

void Image::SetFrame(int32_t frame)
{
    m_pSprite->SetPlayMode(Sprite::PLAY_MANUAL);
    m_pSprite->SetFrame(frame);
    SetDirty();
}

void Image::SetSprite(const char* name)
{
    if (!name || m_spriteName == std::string(name).substr(0, kMaxName))
        return;
    GetSpriteManager().ReleaseSprite(m_pSprite);
    TakeSprite(name);
    m_rect.right = m_rect.left + m_pSprite->GetWidth();
    m_rect.bottom = m_rect.top + m_pSprite->GetHeight();
    SetDirty();
}

// ---- Bar

Bar::Bar(int32_t left, int32_t top, int32_t right, int32_t bottom, float minimum, float maximum, const char* variable,
         int32_t colourMode, int32_t style)
    : Widget(left, top, right, bottom), m_fMinimum(minimum), m_fMaximum(maximum),
      m_variable(std::string(variable ? variable : "").substr(0, Image::kMaxName)), m_iWidth(right - left),
      m_iHeight(bottom - top), m_iColourMode(colourMode), m_iStyle(style)
{
    m_iType = WT_BAR;
}

void Bar::SetActive(bool active)
{
    Widget::SetActive(active);
    if (active)
        m_variable.Forget();
}

float Bar::ReadValue()
{
    if (DialogListener* object = m_pObject ? m_pObject : CurrentDialogObject())
        return m_variable.ReadNumber(object);
    float value = 0.0f;
    GuiShell* shell = g_pGUIManager ? g_pGUIManager->GetShell() : nullptr;
    if (shell && shell->GetParkFigure(m_variable.GetName().c_str(), &value))
        return value;
    // Drawn every frame: the name is told once per bar, as a note.
    if (!m_bReported)
        GetLogger()->Report(1, "Unhandled UIBAR variable %s", ReportWord(m_variable.GetName()).c_str());
    m_bReported = true;
    return 0.0f;
}

float Bar::Fraction() const
{
    const float range = m_fMaximum - m_fMinimum;
    if (!(range > 0.0f) || !std::isfinite(range))
        return 0.0f;
    return std::clamp((m_fValue - m_fMinimum) / range, 0.0f, 1.0f);
}

uint32_t Bar::FillColour(int32_t colourMode, float p)
{
    auto channel = [](float v) { return static_cast<uint32_t>(std::clamp(v, 0.0f, 255.0f)); };
    uint32_t red = 0, green = 0;
    switch (colourMode)
    {
    case 1: // red to green as the value rises
        red = p <= 0.5f ? 255u : channel(2.0f * (1.0f - p) * 255.0f);
        green = p < 0.5f ? channel(2.0f * p * 200.0f) : 200u;
        break;
    case 2: // green to red as the value rises
        red = p < 0.5f ? channel(2.0f * p * 255.0f) : 255u;
        green = p <= 0.5f ? 200u : channel(2.0f * (1.0f - p) * 200.0f);
        break;
    default:
        return kFillColour;
    }
    return 0xFF000000u | red << 16 | green << 8;
}

void Bar::Draw()
{
    float value = ReadValue();
    if (std::isnan(value))
        value = m_fMinimum;
    m_fValue = std::max(std::min(value, m_fMaximum), m_fMinimum);
    const float p = Fraction();
    const int32_t x1 = m_rect.left, y1 = m_rect.top, x2 = m_rect.left + m_iWidth, y2 = m_rect.top + m_iHeight;
    if (m_iStyle == STYLE_FILL)
    {
        int32_t filled = static_cast<int32_t>(std::trunc(static_cast<float>(m_iWidth) * p));
        if (filled == 0)
            filled = 2;
        GuiFill(x1, y1, x1 + filled, y2, FillColour(m_iColourMode, p));
        GuiFill(x1 + filled, y1, x2, y2, kBackColour);
    }
    else if (m_iStyle == STYLE_CENTRE)
    {
        const int32_t offset = static_cast<int32_t>(std::trunc((p - 0.5f) * static_cast<float>(m_iWidth)));
        GuiFill(x1, y1, x2, y2, kBackColour);
        const int32_t c = x1 + m_iWidth / 2;
        if (offset < 0)
            GuiFill(c + offset, y1, c, y2, 0xFFF26522);
        else if (offset > 0)
            GuiFill(c, y1, c + offset, y2, 0xFF00C800);
        else
            GuiFill(c - 2, y1, c + 1, y2, 0xFF0000C8);
        GuiFill(c - 1, y1, c, y2, 0xFF938855);
    }
}
