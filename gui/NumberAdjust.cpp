// NumberAdjust: its fields and buttons, the steps and their limits, and the number's drawing.
#include "gui/NumberAdjust.h"

#include "engine/render/TextWriter.h"
#include "gui/Button.h"
#include "gui/GUIManager.h"
#include "gui/Image.h"
#include "platform/WideText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

std::unique_ptr<Button> MakeStep(int32_t left, int32_t top, int32_t bottom, const char* sprite, bool tooltips,
                                 const char* tooltip)
{
    auto button = std::make_unique<Button>(left, top, left + 8, bottom, sprite, "None", "NONE", "NONE", false);
    button->SetAutoRepeat(true);
    if (tooltips)
        button->SetTooltip(tooltip);
    return button;
}

// A value as whole hundredths, so that the steps of 0.1 add up to what they show.
float ToHundredths(float value)
{
    return static_cast<float>(std::round(static_cast<double>(value) * 100.0) / 100.0);
}

} // namespace

NumberAdjust::NumberAdjust(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t mode, int32_t font,
                           const char* variable, bool wrap, bool tooltips)
    : Widget(left, top, right, bottom), m_iMode(mode), m_iFont(font), m_variable(variable ? variable : ""),
      m_bWrap(wrap)
{
    m_iType = WT_NUMBERADJUST;
    m_pLeft = std::make_unique<Image>(left, top, right, bottom, "UI3_field_n_left", false);
    if (mode == MODE_DECIMAL)
        m_pRight = std::make_unique<Image>(left + 33, top, left + 50, bottom, "UI3_field_n_right", false);
    const int32_t b = left + (mode == MODE_DECIMAL ? 57 : 33);
    m_pDecrement = MakeStep(b, top, bottom, "UI3_dec_flat", tooltips, "NUMWIDGET_TIPTEXT_DEC");
    m_pIncrement = MakeStep(b + 10, top, bottom, "UI3_inc_flat", tooltips, "NUMWIDGET_TIPTEXT_INC");
    SelectPart(PART_WHOLE);
}

NumberAdjust::~NumberAdjust() = default;

DialogListener* NumberAdjust::Object() const
{
    return m_pObject ? m_pObject : CurrentDialogObject();
}

void NumberAdjust::SelectPart(int32_t part)
{
    m_iPart = part;
    m_pLeft->SetFrame(part == PART_WHOLE ? 1 : 0);
    if (m_pRight)
        m_pRight->SetFrame(part == PART_DECIMALS ? 1 : 0);
    SetChanged(true);
}

void NumberAdjust::Write(float value)
{
    m_fValue = value;
    if (m_iMode == MODE_INTEGER)
        m_variable.Write(Object(), DialogValue::Int(DialogValue::Float(value).AsInt()));
    else if (m_iMode == MODE_DECIMAL)
        m_variable.Write(Object(), DialogValue::Float(value));
}

void NumberAdjust::Increment()
{
    float value = m_fValue;
    if (m_iPart == PART_WHOLE)
        value += 1.0f;
    else if (m_iPart == PART_DECIMALS)
        value = ToHundredths(value + 0.1f);
    if (value > kMaximum)
        value = m_fValue;
    Write(value);
}

void NumberAdjust::Decrement()
{
    const float fraction = m_fValue - std::trunc(m_fValue);
    float value = m_fValue;
    if (m_iPart == PART_WHOLE)
        value -= 1.0f;
    else if (m_iPart == PART_DECIMALS)
        value = ToHundredths(value - 0.1f);
    if (value < 0.0f)
        value = std::fabs(m_bWrap ? 999.0f + fraction : fraction);
    Write(value);
}

void NumberAdjust::Update(float dt)
{
    m_pIncrement->Update(dt);
    m_pDecrement->Update(dt);
    const float value = m_variable.ReadNumber(Object());
    m_fValue = std::isfinite(value) ? value : 0.0f;
    if (m_pIncrement->WasClicked())
    {
        m_pIncrement->ClearClicked();
        Increment();
    }
    if (m_pDecrement->WasClicked())
    {
        m_pDecrement->ClearClicked();
        Decrement();
    }
}

void NumberAdjust::Reposition(int32_t dx, int32_t dy)
{
    Move(m_homeRect.left + dx - m_rect.left, m_homeRect.top + dy - m_rect.top);
}

void NumberAdjust::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    m_pLeft->Move(dx, dy);
    if (m_pRight)
        m_pRight->Move(dx, dy);
    m_pDecrement->Move(dx, dy);
    m_pIncrement->Move(dx, dy);
}

void NumberAdjust::SetDirty()
{
    m_bDirty = true;
    m_pLeft->SetDirty();
    if (m_pRight)
        m_pRight->SetDirty();
    m_pDecrement->SetDirty();
    m_pIncrement->SetDirty();
    SetChanged(true);
}

void NumberAdjust::SetActive(bool active)
{
    Widget::SetActive(active);
    m_pLeft->SetActive(active);
    if (m_pRight)
        m_pRight->SetActive(active);
    m_pDecrement->SetActive(active);
    m_pIncrement->SetActive(active);
    if (active)
        m_variable.Forget();
}

void NumberAdjust::SetChanged(bool changed)
{
    Widget::SetChanged(changed);
    m_pLeft->SetChanged(changed);
    if (m_pRight)
        m_pRight->SetChanged(changed);
    m_pDecrement->SetChanged(changed);
    m_pIncrement->SetChanged(changed);
}

bool NumberAdjust::HasChanged() const
{
    return m_bChanged || m_pLeft->HasChanged() || (m_pRight && m_pRight->HasChanged()) || m_pDecrement->HasChanged() ||
           m_pIncrement->HasChanged();
}

void NumberAdjust::SetTooltip(const char* key)
{
    m_pLeft->SetTooltip(key);
    if (m_pRight)
        m_pRight->SetTooltip(key);
}

bool NumberAdjust::OnMouse(int32_t x, int32_t y, int32_t event)
{
    bool chosen = false;
    if (m_iMode == MODE_DECIMAL && m_pRight)
    {
        m_pRight->OnMouse(x, y, event);
        if (m_pRight->IsPressed())
        {
            m_pRight->ClearPressed();
            SelectPart(PART_DECIMALS);
            chosen = true;
        }
    }
    if (!chosen)
    {
        m_pLeft->OnMouse(x, y, event);
        if (m_pLeft->IsPressed() && m_iMode == MODE_DECIMAL)
        {
            m_pLeft->ClearPressed();
            SelectPart(PART_WHOLE);
        }
    }
    return m_pIncrement->OnMouse(x, y, event) || m_pDecrement->OnMouse(x, y, event);
}

void NumberAdjust::DrawCached()
{
    m_pLeft->DrawCached();
    if (m_pRight)
        m_pRight->DrawCached();
    m_pDecrement->DrawCached();
    m_pIncrement->DrawCached();
}

void NumberAdjust::GetShownText(char* whole, size_t wholeSize, char* decimals, size_t decimalsSize) const
{
    const double value = std::isfinite(m_fValue) ? std::clamp(static_cast<double>(m_fValue), -1.0e6, 1.0e6) : 0.0;
    if (m_iMode == MODE_DECIMAL)
    {
        // Whole hundredths: a value just under a whole number shows as that number with ".00".
        const long long hundredths = std::llround(value * 100.0);
        std::snprintf(whole, wholeSize, "%lld", hundredths / 100);
        std::snprintf(decimals, decimalsSize, "%02lld", std::llabs(hundredths % 100));
        return;
    }
    std::snprintf(whole, wholeSize, "%d", static_cast<int>(std::trunc(value)));
    if (decimalsSize > 0)
        decimals[0] = '\0';
}

void NumberAdjust::Draw()
{
    m_pIncrement->Draw();
    m_pDecrement->Draw();
    TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(m_iFont) : nullptr;
    if (!writer)
        return;
    char whole[32], decimals[8];
    GetShownText(whole, sizeof(whole), decimals, sizeof(decimals));
    const GuiRect& left = m_pLeft->GetRect();
    writer->SetAlignment(TextWriter::kAlignRight);
    writer->SetRect(left.left, left.top, 23, 13);
    writer->SetColour(m_iPart == PART_WHOLE ? 0xFFFFFFFF : 0xFF000000);
    writer->DrawLine(0, 0, platform::AnsiToWide(whole).c_str());
    if (m_iMode != MODE_DECIMAL || !m_pRight)
        return;
    writer->SetRect(left.left + 9, left.top + 2, 23, 13);
    writer->SetColour(0xFF000000);
    writer->DrawLine(0, 0, u".");
    const GuiRect& right = m_pRight->GetRect();
    writer->SetRect(right.left, right.top, 15, 13);
    writer->SetColour(m_iPart == PART_DECIMALS ? 0xFFFFFFFF : 0xFF000000);
    writer->DrawLine(0, 0, platform::AnsiToWide(decimals).c_str());
}
