// Button: construction from the script values, the per-frame state machine, the mouse and the drawing by state.
#include "gui/Button.h"

#include "engine/core/Logger.h"
#include "engine/core/TextTable.h"
#include "engine/media/SoundManager.h"
#include "engine/render/TextWriter.h"
#include "gui/DialogListener.h"
#include "gui/GUIManager.h"
#include "gui/MainItem.h"
#include "gui/ReportText.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstring>

namespace
{

struct Prefix
{
    const char* text;
    int32_t kind;
    bool labelIsValue;
};

constexpr Prefix kPrefixes[] = {
    {"BUTVAR_", Button::VAR_LABEL, true},
    {"BUTSTATENTVAR_", Button::VAR_STATE_NO_LABEL, false},
    {"BUTSTATEVAR_", Button::VAR_STATE, false},
    {"BUTSTATEVISVAR_", Button::VAR_VISIBILITY, false},
};

// What a listener's text holds before it is asked; an answer replaces it.
const platform::WString kUnanswered(1, u'\uFFFF');

void PlayGuiSample(const char* name)
{
    if (g_pSoundManager)
        g_pSoundManager->PlaySample(name, 1, 0.0f);
}

DialogListener* DialogObject()
{
    return g_pGUIManager ? g_pGUIManager->GetDialogObject() : nullptr;
}

} // namespace

Button::Button(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* image, const char* stateVariable,
               const char* command, const char* alternativeCommand, bool alwaysDraw)
    : Widget(left, top, right, bottom), m_bAlwaysDraw(alwaysDraw)
{
    m_iType = WT_BUTTON;
    m_command = ResolveGuiCommand(GetInGameCommands(), command);
    m_alternative = ResolveGuiCommand(GetInGameCommands(), alternativeCommand);
    if (stateVariable && platform::StrICmp(stateVariable, "None") != 0)
    {
        m_variable = stateVariable;
        for (const Prefix& prefix : kPrefixes)
            if (std::strncmp(stateVariable, prefix.text, std::strlen(prefix.text)) == 0)
            {
                m_variable = stateVariable + std::strlen(prefix.text);
                m_iVariableKind = prefix.kind;
                m_bLabelIsValue = prefix.labelIsValue;
                break;
            }
    }
    if (image && platform::StrICmp(image, "NONE") != 0)
    {
        m_image = image;
        SpriteManager& sprites = GetSpriteManager();
        Sprite* sprite = sprites.CreateSprite(image);
        // Without its picture (the bank is missing, reported by the sprite manager) the button keeps the
        // rectangle of its script and shows as a button without an image.
        if (sprite->HasPicture())
            SetBothRects({left, top, left + sprite->GetWidth(), top + sprite->GetHeight()});
        sprites.ReleaseSprite(sprite);
    }
}

Button::~Button()
{
    ReleaseSprite();
}

void Button::AcquireSprite()
{
    if (m_image.empty() || m_pSprite)
        return;
    m_pSprite = GetSpriteManager().CreateSprite(m_image.c_str());
    if (!m_pSprite->HasPicture())
    {
        ReleaseSprite();
        return;
    }
    m_pSprite->SetPlayMode(Sprite::PLAY_MANUAL);
}

void Button::ReleaseSprite()
{
    GetSpriteManager().ReleaseSprite(m_pSprite);
    m_pSprite = nullptr;
}

void Button::SetActive(bool active)
{
    if (active)
    {
        AcquireSprite();
        m_unanswered.clear();
        m_bDirty = true;
        m_bChanged = true;
    }
    else
    {
        ReleaseSprite();
        m_iState = STATE_NORMAL;
    }
    Widget::SetActive(active);
}

bool Button::AskListener(const std::string& keyword, platform::WString& text)
{
    DialogListener* listener = DialogObject();
    if (!listener || std::find(m_unanswered.begin(), m_unanswered.end(), listener) != m_unanswered.end())
        return false;
    // A listener that does not know the keyword leaves the text as it was: this mark, which no answer holds.
    platform::WString answer = kUnanswered;
    listener->GetVariable(keyword.c_str(), answer);
    if (answer != kUnanswered)
    {
        text = std::move(answer);
        return true;
    }
    m_unanswered.push_back(listener);
    GetLogger()->Report(1,
                        "Button - %s is not answered by the object of its dialog; the button asks no more while the "
                        "dialog stays open",
                        ReportWord(keyword).c_str());
    return false;
}

bool Button::ReadStateVariable(int32_t* value)
{
    platform::WString text;
    if (!AskListener(m_variable + "_STATE", text))
        return false;
    *value = DialogTextToInt(text.c_str());
    return true;
}

void Button::Update(float)
{
    if (!m_bActive)
        return;
    int32_t value = 0;
    if ((m_iVariableKind == VAR_STATE || m_iVariableKind == VAR_STATE_NO_LABEL) && !m_variable.empty() &&
        ReadStateVariable(&value))
    {
        if (value == 0)
            m_iState = STATE_DISABLED;
        else if (m_iState == STATE_DISABLED)
            m_iState = STATE_NORMAL;
    }
    if (m_iVariableKind == VAR_VISIBILITY && !m_variable.empty() && ReadStateVariable(&value))
    {
        m_bVisible = value != 0;
        // A hidden button takes no mouse, so nothing else would take its tooltip away.
        if (!m_bVisible)
        {
            HideTooltip();
            m_fHoverTime = 0.0f;
        }
    }
    if (m_iState == STATE_DISABLED)
        return;
    const float now = GuiNow();
    if (m_iState == STATE_FIRE_PENDING)
    {
        if (now < m_fPressTime + kFireDelay)
            return;
        PlayGuiSample("ButtonClick");
        m_iState = STATE_PRESSED;
        m_bClicked = true;
        m_fPressTime = now;
        // The handler may disable this button (it then stays disabled).
        if (GuiCommandHandler handler = m_bAlternativeFired ? m_alternative : m_command)
            handler(m_iDialogIndex);
        return;
    }
    if (m_iState == STATE_PRESSED && !m_bHeld && now >= m_fPressTime + kFireDelay && !IsPressed())
        m_iState = m_bMouseOver ? STATE_OVER : STATE_NORMAL;
}

void Button::CancelPress()
{
    m_bClicked = false;
    m_bPressed = false;
    if (m_iState == STATE_FIRE_PENDING || m_iState == STATE_PRESSED)
    {
        m_iState = STATE_NORMAL;
        SetChanged(true);
    }
}

bool Button::HitTest(int32_t x, int32_t y)
{
    if (!m_bActive || m_iState == STATE_DISABLED)
        return false;
    if (!m_pSprite)
    {
        m_bMouseOver = x >= m_rect.left && x <= m_rect.right && y >= m_rect.top && y <= m_rect.bottom;
        return m_bMouseOver;
    }
    const int32_t dx = x - m_rect.left, dy = y - m_rect.top;
    m_bMouseOver =
        dx > 0 && dy > 0 && dx < m_pSprite->GetWidth() && dy < m_pSprite->GetHeight() && m_pSprite->IsOpaqueAt(dx, dy);
    return m_bMouseOver;
}

bool Button::OnMouse(int32_t x, int32_t y, int32_t event)
{
    if (!m_bActive || !m_bVisible)
        return false;
    Widget::OnMouse(x, y, event);
    m_bPressed = false;
    if (event == ME_LEAVE)
        m_bMouseOver = false;
    else
        HitTest(x, y);
    bool taken = false;
    const float now = GuiNow();
    switch (event)
    {
    case ME_NONE:
        if (m_iState == STATE_NORMAL && m_bMouseOver)
        {
            m_iState = STATE_OVER;
            PlayGuiSample("Button_Over");
        }
        else if (m_iState == STATE_OVER && !m_bMouseOver)
            m_iState = STATE_NORMAL;
        break;
    case ME_PRESSED:
        if (m_bMouseOver && m_iState == STATE_OVER)
        {
            m_iState = STATE_FIRE_PENDING;
            m_fPressTime = now;
            m_fRepeatDelay = kFirstRepeatDelay;
            m_bAlternativeFired = false;
            taken = true;
        }
        break;
    case ME_HELD:
        if (m_iState == STATE_PRESSED && m_bMouseOver)
        {
            if (m_bAutoRepeat)
            {
                if (now >= m_fPressTime + m_fRepeatDelay)
                {
                    m_bClicked = true;
                    m_fPressTime = now;
                    m_fRepeatDelay = kRepeatDelay;
                    taken = true;
                    if (m_command)
                        m_command(m_iDialogIndex);
                }
            }
            else
                m_fPressTime = now;
            m_bPressed = true;
        }
        break;
    case ME_LEAVE:
        if (m_iState == STATE_OVER)
            m_iState = STATE_NORMAL;
        break;
    default:
        break;
    }
    if (m_iState != m_iDrawnState)
        SetChanged(true);
    return taken;
}

bool Button::OnRightMouse(int32_t x, int32_t y, int32_t event)
{
    if (!m_bActive || !m_bVisible)
        return false;
    Widget::OnRightMouse(x, y, event);
    if (event == ME_PRESSED && m_iState == STATE_OVER && HitTest(x, y))
    {
        m_iState = STATE_FIRE_PENDING;
        m_fPressTime = GuiNow();
        m_fRepeatDelay = kFirstRepeatDelay;
        m_bAlternativeFired = true;
        return true;
    }
    return false;
}

int32_t Button::StateFrame() const
{
    const int32_t frame = m_iState == STATE_FIRE_PENDING ? STATE_PRESSED : m_iState;
    const int32_t count = m_pSprite ? m_pSprite->GetFrameCount() : 0;
    return count > 0 ? frame % count : 0;
}

void Button::DrawCached()
{
    if (!m_bActive || !m_bVisible || m_bAlwaysDraw || (m_iState == m_iDrawnState && !m_bDirty))
        return;
    if (m_pSprite)
    {
        m_pSprite->SetFrame(StateFrame());
        m_pSprite->DrawToSurface(m_rect.left, m_rect.top, GuiNow());
    }
    m_bDirty = false;
    m_iDrawnState = m_iState;
}

void Button::Draw()
{
    if (!m_bActive || !m_bVisible)
        return;
    if (m_bAlwaysDraw && m_pSprite)
    {
        m_pSprite->SetFrame(StateFrame());
        m_pSprite->Draw(static_cast<float>(m_rect.left), static_cast<float>(m_rect.top), GuiNow());
    }
    else if (!m_pSprite)
    {
        const uint32_t black = 0xFF000000;
        GuiLine(m_rect.left, m_rect.top, m_rect.right, m_rect.top, black);
        GuiLine(m_rect.right, m_rect.top, m_rect.right, m_rect.bottom, black);
        GuiLine(m_rect.right, m_rect.bottom, m_rect.left, m_rect.bottom, black);
        GuiLine(m_rect.left, m_rect.bottom, m_rect.left, m_rect.top, black);
    }
    if (m_variable.empty() || m_iVariableKind == VAR_STATE_NO_LABEL || !g_pGUIManager)
        return;
    TextWriter* writer = g_pGUIManager->GetTextWriter(0);
    if (!writer)
        return;
    platform::WString label;
    if (m_bLabelIsValue)
        AskListener(m_variable, label);
    else if (g_pTextTable)
        label = g_pTextTable->GetText(m_variable.c_str());
    writer->SetRect(m_rect.left, m_rect.top + 3, GetWidth(), GetHeight() - 2);
    writer->SetAlignment(TextWriter::kAlignCentre);
    writer->SetColour(m_pSprite ? 0xFFFFFFFF : 0xFF000000);
    writer->DrawText(0, 0, label.c_str());
}

bool Button::HasChanged() const
{
    return !m_bAlwaysDraw && Widget::HasChanged();
}

void Button::DisableByCommand(const char* name)
{
    if (IsBoundTo(name))
    {
        m_iState = STATE_DISABLED;
        SetChanged(true);
    }
}

void Button::EnableByCommand(const char* name)
{
    if (IsBoundTo(name) && m_iState == STATE_DISABLED)
    {
        m_iState = STATE_NORMAL;
        SetChanged(true);
    }
}

void Button::SetImageByCommand(const char* name, const char* image)
{
    if (!IsBoundTo(name))
        return;
    const bool active = m_bActive && m_pSprite;
    ReleaseSprite();
    m_image = image && platform::StrICmp(image, "NONE") != 0 ? image : "";
    if (active)
        AcquireSprite();
    m_bDirty = true;
    m_bChanged = true;
}

void Button::SetHeldByCommand(const char* name, bool held)
{
    if (!IsBoundTo(name))
        return;
    m_bHeld = held;
    if (held)
        m_iState = STATE_PRESSED;
    SetChanged(true);
}

bool Button::IsBoundTo(const char* name) const
{
    if (!m_command || !name)
        return false;
    for (const GuiCommand& row : GetInGameCommands())
        if (row.name && std::strcmp(row.name, name) == 0 && row.handler == m_command)
            return true;
    return false;
}
