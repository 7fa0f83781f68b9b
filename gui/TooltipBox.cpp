// TooltipBox: sizing the panel to its text, placing it by the cursor and drawing it.
#include "gui/TooltipBox.h"

#include "engine/core/TextTable.h"
#include "engine/render/Font.h"
#include "engine/render/TextWriter.h"

#include <algorithm>

void TooltipBox::SetText(const char* textId)
{
    m_text = g_pTextTable ? g_pTextTable->GetText(textId) : u"";
    const int32_t w = m_pWriter ? m_pWriter->GetTextWidth(m_text.c_str()) : 0;
    // A line is 16 high alone and 13 apart in a wrap, unless the font is too tall for that: then the text takes the
    // room the writer needs to draw every line (its height below the first row, and its line step), none cut off.
    const int32_t font =
        m_pWriter && m_pWriter->GetFont() ? static_cast<int32_t>(m_pWriter->GetFont()->GetHeight()) : 0;
    if (w <= kWrapWidth)
    {
        m_iTextWidth = w + 5;
        m_iTextHeight = std::max(16, font + 1);
        m_iPanelWidth = w + 15;
        m_iPanelHeight = m_iTextHeight + 2;
        return;
    }
    // Measured as Draw's wrap draws it: '~' breaks the line there too.
    m_iTextWidth = m_pWriter->GetWrappedWidth(m_text.c_str(), kWrapWidth, 5, true) + 10;
    const int32_t lines = m_pWriter->CountLines(m_text.c_str(), m_iTextWidth, 5, true);
    const int32_t step = 2 + font * 12 / 10;
    m_iTextHeight = std::max(13 * lines, font + 1 + (lines - 1) * step);
    m_iPanelWidth = m_iTextWidth;
    m_iPanelHeight = m_iTextHeight + 2;
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
    // A text too tall for the room above the pointer (a long translation wraps to many lines) is not pushed off the
    // top: it starts at the screen's top edge, and a box wider than the screen at its left edge.
    y = std::max(y, 0);
    x = std::max(x, 0);
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
