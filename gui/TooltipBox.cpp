// TooltipBox: sizing the panel to its text, placing it by the cursor and drawing it.
#include "gui/TooltipBox.h"

#include "engine/core/TextTable.h"
#include "engine/render/TextWriter.h"

void TooltipBox::SetText(const char* textId)
{
    m_text = g_pTextTable ? g_pTextTable->GetText(textId) : u"";
    const int32_t w = m_pWriter ? m_pWriter->GetTextWidth(m_text.c_str()) : 0;
    if (w <= kWrapWidth)
    {
        m_iTextWidth = w + 5;
        m_iTextHeight = 16;
        m_iPanelWidth = w + 15;
        m_iPanelHeight = 18;
        return;
    }
    m_iTextWidth = m_pWriter->GetWrappedWidth(m_text.c_str(), kWrapWidth, 5) + 10;
    const int32_t lines = m_pWriter->CountLines(m_text.c_str(), m_iTextWidth, 5);
    m_iTextHeight = 13 * lines;
    m_iPanelWidth = m_iTextWidth;
    m_iPanelHeight = 13 * lines + 2;
}

void TooltipBox::Show(int32_t x, int32_t y, int32_t screenWidth, int32_t screenHeight)
{
    if (m_bShown)
        return;
    m_bShown = true;
    y += 25;
    if (y + m_iPanelHeight > screenHeight)
        y = y - 25 - m_iPanelHeight - 2;
    if (x + m_iPanelWidth > screenWidth)
        x = screenWidth - m_iPanelWidth;
    m_panel.SetRect(x, y, x + m_iPanelWidth, y + m_iPanelHeight);
}

void TooltipBox::Draw()
{
    if (!m_bShown)
        return;
    m_panel.Draw();
    if (!m_pWriter)
        return;
    const GuiRect& r = m_panel.GetRect();
    m_pWriter->SetRect(r.left, r.top, m_iTextWidth, m_iTextHeight);
    m_pWriter->SetAlignment(TextWriter::kAlignLeft);
    m_pWriter->SetColour(0xFF000000);
    m_pWriter->DrawText(5, 1, m_text.c_str());
}
