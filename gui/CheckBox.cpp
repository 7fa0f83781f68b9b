// CheckBox, RadioButton and RadioGroup: reading and writing the bound values, presses and the frames by state.
#include "gui/CheckBox.h"

#include "engine/core/TextTable.h"
#include "engine/media/SoundManager.h"
#include "engine/render/TextWriter.h"
#include "gui/GUIManager.h"
#include "gui/MainItem.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "platform/Strings.h"

#include <string>

namespace
{

void PlayGuiSample(const char* name)
{
    if (g_pSoundManager)
        g_pSoundManager->PlaySample(name, 1, 0.0f);
}

// Inside the sprite (its edges excluded) on an opaque pixel.
bool SpriteHit(const Sprite* sprite, const GuiRect& rect, int32_t x, int32_t y)
{
    const int64_t dx = int64_t{x} - rect.left, dy = int64_t{y} - rect.top;
    return sprite && sprite->HasPicture() && dx > 0 && dy > 0 && dx < sprite->GetWidth() && dy < sprite->GetHeight() &&
           sprite->IsOpaqueAt(static_cast<int32_t>(dx), static_cast<int32_t>(dy));
}

} // namespace

// ---- CheckBox

CheckBox::CheckBox(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* sprite, const char* variable,
                   bool stateFlag)
    : Widget(left, top, right, bottom), m_variable(variable ? variable : ""), m_bStateFlag(stateFlag)
{
    m_iType = WT_CHECKBOX;
    m_pSprite = GetSpriteManager().CreateSprite(sprite ? sprite : "");
    m_pSprite->SetPlayMode(Sprite::PLAY_MANUAL);
}

CheckBox::~CheckBox()
{
    GetSpriteManager().ReleaseSprite(m_pSprite);
}

bool CheckBox::IsEnabled()
{
    DialogListener* object = CurrentDialogObject();
    if (!m_bStateFlag || !object)
        return true;
    return m_variable.ReadInt(object, m_variable.GetName() + "_STATE") != 0;
}

void CheckBox::SetState(int32_t state, bool write)
{
    if (state == m_iChecked)
        return;
    m_iChecked = state;
    if (write)
        m_variable.Write(CurrentDialogObject(), DialogValue::Int(state == 1 ? 1 : 0));
    SetDirty();
    SetChanged(true);
}

void CheckBox::Update(float)
{
    if (DialogListener* object = CurrentDialogObject())
        SetState(m_variable.ReadInt(object) != 0 ? 1 : 0, false);
}

void CheckBox::SetActive(bool active)
{
    Widget::SetActive(active);
    if (active)
    {
        m_variable.Forget();
        SetDirty();
    }
}

bool CheckBox::HitTest(int32_t x, int32_t y)
{
    m_bMouseOver = SpriteHit(m_pSprite, m_rect, x, y);
    return m_bMouseOver;
}

bool CheckBox::OnMouse(int32_t x, int32_t y, int32_t event)
{
    if (!IsEnabled())
    {
        // A switched-off box is not drawn: its tooltip goes with it.
        HideTooltip();
        m_fHoverTime = 0.0f;
        return false;
    }
    HitTest(x, y);
    Widget::OnMouse(x, y, event);
    if (event != ME_PRESSED || !m_bMouseOver)
        return false;
    SetState(m_iChecked == 1 ? 0 : 1, true);
    return true;
}

void CheckBox::DrawCached()
{
    if (!m_bDirty || !IsEnabled())
        return;
    if (m_iChecked == 0 || m_iChecked == 1)
        m_pSprite->SetFrame(m_iChecked);
    m_pSprite->DrawToSurface(m_rect.left, m_rect.top, GuiNow());
    m_bDirty = false;
}

// ---- RadioButton

RadioButton::RadioButton(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* sprite,
                         const char* label, int32_t font, int32_t value)
    : Widget(left, top, right, bottom), m_iValue(value), m_iFont(font)
{
    m_iType = WT_RADIOBUTTON;
    m_pSprite = GetSpriteManager().CreateSprite(sprite ? sprite : "");
    m_pSprite->SetPlayMode(Sprite::PLAY_MANUAL);
    if (label && platform::StrICmp(label, "None") != 0)
        m_label = label;
}

RadioButton::~RadioButton()
{
    GetSpriteManager().ReleaseSprite(m_pSprite);
}

void RadioButton::SetBits(int32_t bits)
{
    if (bits == m_iBits)
        return;
    m_iBits = bits;
    SetDirty();
    SetChanged(true);
}

void RadioButton::SetOn()
{
    SetBits((m_iBits & ~BIT_OFF) | BIT_ON);
}

void RadioButton::SetOff()
{
    SetBits((m_iBits & ~BIT_ON) | BIT_OFF);
}

void RadioButton::Disable()
{
    SetBits(m_iBits | BIT_DISABLED);
}

void RadioButton::Enable()
{
    SetBits(m_iBits & ~BIT_DISABLED);
}

int32_t RadioButton::StateFrame() const
{
    if (IsDisabled())
        return IsOn() ? 4 : 3;
    if (IsOn())
        return 2;
    return (m_iBits & BIT_HOVER) ? 1 : 0;
}

void RadioButton::Update(float)
{
    if (IsOn() || IsDisabled())
    {
        SetBits(m_iBits & ~BIT_HOVER);
        HideTooltip();
        return;
    }
    if (!m_bMouseOver && (m_iBits & BIT_HOVER))
        SetBits(m_iBits & ~BIT_HOVER);
    else if (m_bMouseOver && !(m_iBits & BIT_HOVER))
    {
        SetBits(m_iBits | BIT_HOVER);
        PlayGuiSample("Button_Over");
    }
}

bool RadioButton::HitTest(int32_t x, int32_t y)
{
    m_bMouseOver = SpriteHit(m_pSprite, m_rect, x, y);
    return m_bMouseOver;
}

bool RadioButton::OnMouse(int32_t x, int32_t y, int32_t event)
{
    if (IsOn() || IsDisabled())
    {
        m_bMouseOver = false;
        return false;
    }
    Widget::OnMouse(x, y, event);
    switch (event)
    {
    case ME_NONE:
        HitTest(x, y);
        return false;
    case ME_PRESSED:
        HitTest(x, y);
        if (m_bMouseOver && (m_iBits & BIT_HOVER))
        {
            m_bPressed = true;
            PlayGuiSample("ButtonClick");
            return true;
        }
        return false;
    case ME_LEAVE:
        m_bMouseOver = false;
        return false;
    default:
        return false;
    }
}

void RadioButton::DrawCached()
{
    if (!m_bDirty)
        return;
    m_pSprite->SetFrame(StateFrame());
    m_pSprite->DrawToSurface(m_rect.left, m_rect.top, GuiNow());
    m_bDirty = false;
}

void RadioButton::Draw()
{
    if (m_label.empty() || !g_pGUIManager || !g_pTextTable)
        return;
    TextWriter* writer = g_pGUIManager->GetTextWriter(m_iFont);
    if (!writer)
        return;
    writer->SetRect(m_rect.left, m_rect.top + 3, GetWidth(), GetHeight() - 2);
    writer->SetAlignment(TextWriter::kAlignCentre);
    writer->SetColour(0xFFFFFFFF);
    writer->DrawText(0, 2, g_pTextTable->GetText(m_label.c_str()));
}

// ---- RadioGroup

RadioGroup::RadioGroup(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* variable,
                       const char* background)
    : ContainerWidget(left, top, right, bottom), m_variable(variable ? variable : "")
{
    m_iType = WT_RADIOGROUP;
    if (background && platform::StrICmp(background, "none") != 0)
    {
        m_pBackground = GetSpriteManager().CreateSprite(background);
        m_pBackground->SetPlayMode(Sprite::PLAY_MANUAL);
    }
}

RadioGroup::~RadioGroup()
{
    GetSpriteManager().ReleaseSprite(m_pBackground);
}

void RadioGroup::Update(float dt)
{
    DialogListener* object = CurrentDialogObject();
    const int32_t value = m_variable.ReadInt(object);
    for (Widget* child : m_children)
    {
        if (child->GetType() != WT_RADIOBUTTON)
        {
            child->Update(dt);
            continue;
        }
        auto* button = static_cast<RadioButton*>(child);
        if (button->GetValue() == value)
            button->SetOn();
        else
            button->SetOff();
        const std::string keyword = m_variable.GetName() + "_STATUS_" + std::to_string(button->GetValue());
        if (m_variable.ReadInt(object, keyword) != 0)
            button->Enable();
        else
            button->Disable();
        button->Update(dt);
    }
    for (Widget* child : m_children)
        if (child->GetType() == WT_RADIOBUTTON && child->IsPressed())
        {
            auto* button = static_cast<RadioButton*>(child);
            button->ClearPressed();
            m_variable.Write(object, DialogValue::Int(button->GetValue()));
        }
}

void RadioGroup::SetActive(bool active)
{
    ContainerWidget::SetActive(active);
    if (active)
    {
        m_variable.Forget();
        SetDirty();
    }
}

bool RadioGroup::OnMouse(int32_t x, int32_t y, int32_t event)
{
    return MouseToChildren(x, y, event);
}

bool RadioGroup::OnMouseWheel(int32_t x, int32_t y, int32_t delta)
{
    return WheelToChildren(x, y, delta);
}

void RadioGroup::DrawCached()
{
    if (m_bDirty)
    {
        if (m_pBackground)
            m_pBackground->DrawToSurface(m_rect.left, m_rect.top, GuiNow());
        m_bDirty = false;
    }
    ContainerWidget::DrawCached();
}
