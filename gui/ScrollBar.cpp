// ScrollBar: sizing and placing the thumb, the arrow buttons, paging on the track and dragging the thumb; Slider:
// reading and writing its value, the knob's drag.
#include "gui/ScrollBar.h"

#include "engine/core/GameOptions.h"
#include "engine/media/SoundManager.h"
#include "gui/Button.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "gui/Image.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// The cursor position the input reports while the cursor is outside the window.
constexpr int32_t kOutsideWindow = -300;

int32_t SpriteHeight(const char* name)
{
    SpriteManager& sprites = GetSpriteManager();
    Sprite* sprite = sprites.CreateSprite(name);
    const int32_t height = sprite->HasPicture() ? sprite->GetHeight() : 0;
    sprites.ReleaseSprite(sprite);
    return height;
}

std::unique_ptr<Button> MakeArrow(int32_t left, int32_t top, int32_t bottom, const char* sprite)
{
    auto button = std::make_unique<Button>(left, top, left, bottom, sprite, "None", "NONE", "NONE", true);
    button->SetAutoRepeat(true);
    return button;
}

} // namespace

// ---- ScrollBar

ScrollBar::ScrollBar(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t first, uint32_t count,
                     uint32_t visible, int32_t mode)
    : Widget(left, top, right, bottom), m_uFirst(first), m_uCount(count), m_uVisible(visible), m_iMode(mode)
{
    m_iType = WT_SCROLLBAR;
    m_iButtonHeight = SpriteHeight(kUpSprite);
    m_fTrack = static_cast<float>(std::max((bottom - top) - 2 * m_iButtonHeight, 0));
    m_pUp = MakeArrow(left, top, top + m_iButtonHeight, kUpSprite);
    m_pDown = MakeArrow(left, bottom - m_iButtonHeight, bottom, kDownSprite);
    m_pThumb = std::make_unique<MainItem>(left + 1, top, left + 13, top, MainItem::STYLE_SCROLL_THUMB);
    m_pBack = std::make_unique<MainItem>(left, top, right, bottom, MainItem::STYLE_SCROLL_BACK);
    ScrollBar::SetActive(true);
    SizeThumb();
    m_uFirst = std::min(m_uFirst, GetLastFirst());
    PlaceThumb();
}

ScrollBar::~ScrollBar() = default;

void ScrollBar::SizeThumb()
{
    if (m_uCount == 0)
        m_iThumbLength = static_cast<int32_t>(m_fTrack);
    else
        m_iThumbLength = static_cast<int32_t>(
            std::min(std::trunc(m_fTrack / static_cast<float>(m_uCount) * static_cast<float>(m_uVisible)), m_fTrack));
    m_iThumbExcess = 0;
    if (m_iThumbLength < kMinThumb)
    {
        m_iThumbExcess = kMinThumb - m_iThumbLength;
        m_iThumbLength = kMinThumb;
    }
    m_pThumb->SetHeight(m_iThumbLength);
}

void ScrollBar::PlaceThumb()
{
    float offset = 0.0f;
    if (m_uCount > 0)
        offset = std::max(0.0f, (m_fTrack - static_cast<float>(m_iThumbExcess)) / static_cast<float>(m_uCount) *
                                    static_cast<float>(m_uFirst));
    const int32_t y = m_rect.top + m_iButtonHeight + static_cast<int32_t>(std::trunc(offset));
    const GuiRect& thumb = m_pThumb->GetRect();
    m_pThumb->SetRect(thumb.left, y, thumb.right, y + m_iThumbLength);
}

void ScrollBar::SetCount(uint32_t count)
{
    m_uCount = count;
    SizeThumb();
    m_uFirst = std::min(m_uFirst, GetLastFirst());
    PlaceThumb();
}

void ScrollBar::SetFirst(uint32_t first)
{
    m_uFirst = std::min(first, GetLastFirst());
    PlaceThumb();
}

void ScrollBar::ScrollDown()
{
    if (m_uFirst < GetLastFirst())
    {
        ++m_uFirst;
        PlaceThumb();
    }
}

void ScrollBar::ScrollUp()
{
    if (m_uFirst > 0)
    {
        --m_uFirst;
        PlaceThumb();
    }
}

void ScrollBar::Update(float dt)
{
    m_pUp->Update(dt);
    m_pDown->Update(dt);
    if (m_pDown->WasClicked())
    {
        m_pDown->ClearClicked();
        ScrollDown();
    }
    if (m_pUp->WasClicked())
    {
        m_pUp->ClearClicked();
        ScrollUp();
    }
}

void ScrollBar::Reposition(int32_t dx, int32_t dy)
{
    Move(m_homeRect.left + dx - m_rect.left, m_homeRect.top + dy - m_rect.top);
}

void ScrollBar::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    m_pUp->Move(dx, dy);
    m_pDown->Move(dx, dy);
    m_pThumb->Move(dx, dy);
    m_pBack->Move(dx, dy);
}

void ScrollBar::SetActive(bool active)
{
    Widget::SetActive(active);
    m_pUp->SetActive(active);
    m_pDown->SetActive(active);
    m_pThumb->SetActive(active);
    if (!active)
        m_bDragging = false;
}

bool ScrollBar::OnMouseWheel(int32_t, int32_t, int32_t delta)
{
    if (delta > 0)
        ScrollUp();
    else if (delta < 0)
        ScrollDown();
    return true;
}

bool ScrollBar::OnMouse(int32_t x, int32_t y, int32_t event)
{
    if (x == kOutsideWindow || y == kOutsideWindow)
    {
        x = m_rect.left - 1;
        y = m_iLastY;
    }
    m_bMouseOver = x >= m_rect.left && x <= m_rect.right && y >= m_rect.top && y <= m_rect.bottom;
    const bool wasDragging = m_bDragging;
    if (event != ME_HELD)
        m_bDragging = false;
    bool handled = m_pUp->OnMouse(x, y, event) || m_pDown->OnMouse(x, y, event);
    if (!handled)
    {
        m_pThumb->OnMouse(x, y, event);
        if (m_pThumb->IsPressed())
            m_bDragging = true;
        else if (m_pThumb->WasClicked())
        {
            m_pThumb->ClearClicked();
            handled = true;
        }
    }
    for (const Button* arrow : {m_pUp.get(), m_pDown.get()})
        if (arrow->IsPressed() || arrow->IsMouseOver())
            handled = true;
    const GuiRect& thumb = m_pThumb->GetRect();
    const bool onThumb = x >= thumb.left && x <= thumb.right && y >= thumb.top && y <= thumb.bottom;
    if (!m_bDragging && !handled && !onThumb)
    {
        m_pBack->OnMouse(x, y, event);
        if (m_pBack->WasClicked() || m_pBack->IsPressed())
        {
            m_pBack->ClearClicked();
            handled = true;
            const bool down = y > thumb.top;
            for (uint32_t i = 1; i < m_uVisible; ++i)
                down ? ScrollDown() : ScrollUp();
        }
    }
    if (m_bDragging)
    {
        // The thumb follows the cursor from where the drag took hold of it: the cursor's height at an earlier event
        // (or none, for a bar built since) says nothing about how far it moved while holding the thumb.
        int32_t dy = wasDragging ? y - m_iLastY : 0;
        const int32_t downTop = m_pDown->GetRect().top, upBottom = m_pUp->GetRect().bottom;
        if (thumb.bottom + dy > downTop)
            dy = downTop - thumb.bottom;
        else if (thumb.top + dy < upBottom)
            dy = upBottom - thumb.top;
        m_pThumb->Move(0, dy);
        const float room = m_fTrack - static_cast<float>(m_iThumbLength);
        uint32_t first = 0;
        if (room > 0.0f)
        {
            const float share = static_cast<float>(m_pThumb->GetRect().top - upBottom) / room;
            first = static_cast<uint32_t>(std::max(0.0f, std::trunc(share * static_cast<float>(GetLastFirst()))));
        }
        m_uFirst = std::min(first, GetLastFirst());
        handled = true;
    }
    m_iLastY = y;
    return handled || (m_bMouseOver && event == ME_HELD);
}

void ScrollBar::DrawCached()
{
    m_pBack->DrawCached();
}

void ScrollBar::Draw()
{
    m_pBack->Draw();
    m_pUp->Draw();
    m_pDown->Draw();
    m_pThumb->Draw();
}

void ScrollBar::SetChanged(bool changed)
{
    Widget::SetChanged(changed);
    m_pUp->SetChanged(changed);
    m_pDown->SetChanged(changed);
    m_pThumb->SetChanged(changed);
    m_pBack->SetChanged(changed);
}

bool ScrollBar::HasChanged() const
{
    return m_bChanged || m_pUp->HasChanged() || m_pDown->HasChanged() || m_pThumb->HasChanged() ||
           m_pBack->HasChanged();
}

// ---- Slider

Slider::Slider(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* variable, float, float,
               int32_t frame)
    : Widget(left, top, right, bottom), m_variable(variable ? variable : "")
{
    m_iType = WT_SLIDER;
    m_pTrack = std::make_unique<MainItem>(left, top + 5, right, top + 8, MainItem::STYLE_SLIDER_TRACK);
    m_pKnob = std::make_unique<Image>(left + (right - left) / 2 - 5, top, 0, 0, kKnobSprite, true);
    m_pKnob->SetFrame(frame);
}

Slider::~Slider() = default;

int32_t Slider::GetTravel() const
{
    return (m_rect.right - m_rect.left) - m_pKnob->GetWidth();
}

float Slider::ReadValue()
{
    const std::string& name = m_variable.GetName();
    GuiShell* shell = g_pGUIManager ? g_pGUIManager->GetShell() : nullptr;
    float value = 0.0f;
    // While the sound is held down for the moment, the player's own level is the one in the options.
    const GameOptions* held = shell && shell->GetVolumeShare() < 1.0f ? shell->GetGuiOptions() : nullptr;
    if (name == "MUSIC_VOLUME")
        value = held ? held->m_fMusicVol : g_pSoundManager ? g_pSoundManager->GetMusicVolume() : 0.0f;
    else if (name == "EFFECTS_VOLUME")
        value = held ? held->m_fEffectsVol : g_pSoundManager ? g_pSoundManager->GetSfxVolume() : 0.0f;
    else if (name == "RESEARCH_SPEND")
    {
        if (!shell || !shell->GetResearchSpend(&value))
            value = 0.0f;
    }
    else
        value = m_variable.ReadNumber(CurrentDialogObject());
    return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
}

void Slider::SetValue(float value)
{
    value = std::trunc(value * 100.0f) * 0.01f;
    const std::string& name = m_variable.GetName();
    GuiShell* shell = g_pGUIManager ? g_pGUIManager->GetShell() : nullptr;
    GameOptions* options = shell ? shell->GetGuiOptions() : nullptr;
    // The sound follows at the share it is held at for the moment.
    const float share = shell ? shell->GetVolumeShare() : 1.0f;
    if (name == "MUSIC_VOLUME")
    {
        if (options)
            options->m_fMusicVol = value;
        if (g_pSoundManager)
            g_pSoundManager->SetMusicVolume(value * share);
    }
    else if (name == "EFFECTS_VOLUME")
    {
        if (options)
            options->m_fEffectsVol = value;
        if (g_pSoundManager)
            g_pSoundManager->SetSfxVolume(value * share);
    }
    else if (name == "RESEARCH_SPEND")
    {
        if (shell)
            shell->SetResearchSpend(value);
    }
    else
        m_variable.Write(CurrentDialogObject(), DialogValue::Float(value));
}

void Slider::Update(float)
{
    m_fValue = ReadValue();
    const int32_t travel = std::max(GetTravel(), 0);
    m_pKnob->SetPosition(m_rect.left + static_cast<int32_t>(std::trunc(static_cast<float>(travel) * m_fValue)),
                         m_pKnob->GetRect().top);
}

void Slider::Reposition(int32_t dx, int32_t dy)
{
    Move(m_homeRect.left + dx - m_rect.left, m_homeRect.top + dy - m_rect.top);
}

void Slider::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    m_pKnob->Move(dx, dy);
    m_pTrack->Move(dx, dy);
}

void Slider::SetActive(bool active)
{
    Widget::SetActive(active);
    if (active)
        m_variable.Forget();
    else
        m_bDragging = false;
}

bool Slider::OnMouse(int32_t x, int32_t y, int32_t event)
{
    Widget::OnMouse(x, y, event);
    m_bMouseOver = x >= m_rect.left && x <= m_rect.right && y >= m_rect.top && y <= m_rect.bottom;
    m_pKnob->OnMouse(x, y, event);
    if (m_bMouseOver && event == ME_PRESSED)
        m_bDragging = true;
    else if (!m_bMouseOver || event == ME_NONE)
        m_bDragging = false;
    if (!m_bDragging || event == ME_LEAVE)
        return false;
    const int32_t travel = GetTravel();
    const int32_t left = std::clamp(x, m_rect.left, std::max(m_rect.left, m_rect.left + travel));
    m_pKnob->SetPosition(left, m_pKnob->GetRect().top);
    float value = travel > 0 ? static_cast<float>(left - m_rect.left) / static_cast<float>(travel) : 0.0f;
    value = std::clamp(value, 0.0f, 1.0f);
    SetValue(value);
    return true;
}

void Slider::Draw()
{
    m_pTrack->Draw();
    m_pKnob->Draw();
}
