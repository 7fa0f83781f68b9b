// Text: its string and the writer set up from its font, colour and alignment; TGA: the placeholder.
#include "gui/Text.h"

#include "engine/core/TextTable.h"
#include "engine/render/TextWriter.h"
#include "gui/GUIManager.h"

Text::Text(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* textId, int32_t font, uint32_t colour,
           int32_t flags)
    : Widget(left, top, right, bottom), m_iFont(font), m_uColour(colour), m_iFlags(flags)
{
    m_iType = WT_TEXT;
    SetTextId(textId);
}

Text::Text(int32_t left, int32_t top, int32_t right, int32_t bottom, const char16_t* text, int32_t font,
           uint32_t colour, int32_t flags)
    : Widget(left, top, right, bottom), m_text(text ? text : u""), m_iFont(font), m_uColour(colour), m_iFlags(flags)
{
    m_iType = WT_TEXT;
}

void Text::SetTextId(const char* textId)
{
    // A copy: the table may be read again while the script lives.
    m_text = textId && g_pTextTable ? g_pTextTable->GetText(textId) : u"";
}

TextWriter* Text::SetUpWriter() const
{
    TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(m_iFont) : nullptr;
    if (!writer)
        return nullptr;
    if (m_iFlags & ALIGN_RIGHT)
        writer->SetAlignment(TextWriter::kAlignRight);
    else if (m_iFlags & ALIGN_LEFT)
        writer->SetAlignment(TextWriter::kAlignLeft);
    else if (m_iFlags & ALIGN_CENTRE)
        writer->SetAlignment(TextWriter::kAlignCentre);
    writer->SetColour(m_uColour);
    writer->SetRect(m_rect.left, m_rect.top, GetWidth(), GetHeight());
    return writer;
}

void Text::Draw()
{
    if (TextWriter* writer = SetUpWriter())
        writer->DrawText(0, 0, m_text.c_str());
}

void Text::DrawInRect(const GuiRect& rect, bool atCorner)
{
    TextWriter* writer = SetUpWriter();
    if (!writer)
        return;
    writer->SetRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (atCorner)
        writer->DrawText(0, 0, m_text.c_str());
    else
        writer->DrawText(m_rect.left - rect.left, m_rect.top - rect.top, m_text.c_str());
}

TGA::TGA(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* file)
    : Widget(left, top, right, bottom), m_file(file ? file : "")
{
    m_iType = WT_TGA;
}
