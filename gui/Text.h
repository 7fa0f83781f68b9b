// Text and TGA: the static text of the GUI (one 16-bit string in a GUI font, colour and alignment inside its
// rectangle, from a text id or a ready string), and the named picture placeholder a script may declare, which keeps
// its file name and shows nothing.
#pragma once

#include "gui/Widget.h"
#include "platform/WideText.h"

#include <string>

class TextWriter;

class Text : public Widget
{
public:
    // Alignment flags, tested in this order; none leaves the writer's alignment as it was.
    enum Flags : int32_t
    {
        ALIGN_RIGHT = 1,
        ALIGN_LEFT = 2,
        ALIGN_CENTRE = 4,
    };

    // The text of a text id (null: none; an id the table lacks: the empty text).
    Text(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* textId, int32_t font, uint32_t colour,
         int32_t flags);
    // A copy of a ready string.
    Text(int32_t left, int32_t top, int32_t right, int32_t bottom, const char16_t* text, int32_t font, uint32_t colour,
         int32_t flags);

    // The text at the top-left corner of the rectangle.
    void Draw() override;
    // The text in another rectangle: at its top-left corner when `atCorner`, else at the text's own place measured
    // from it.
    void DrawInRect(const GuiRect& rect, bool atCorner);
    void SetTextId(const char* textId);
    void SetColour(uint32_t colour) override { m_uColour = colour; }
    uint32_t GetColour() const { return m_uColour; }
    int32_t GetFont() const { return m_iFont; }
    int32_t GetFlags() const { return m_iFlags; }
    const platform::WString& GetText() const { return m_text; }

private:
    // The writer of the font set up for this text; null when the font has none.
    TextWriter* SetUpWriter() const;

    platform::WString m_text;
    int32_t m_iFont;
    uint32_t m_uColour;
    int32_t m_iFlags;
};

class TGA : public Widget
{
public:
    TGA(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* file);

    // Never active.
    void SetActive(bool) override {}
    void DrawCached() override {}
    const std::string& GetFile() const { return m_file; }

private:
    std::string m_file;
};
