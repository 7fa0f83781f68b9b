// TooltipBox: the GUI manager's single tooltip panel: one text, wrapped at 160 pixels, shown 25 pixels below the
// cursor and kept on the screen.
#pragma once

#include "gui/MainItem.h"
#include "platform/WideText.h"

#include <cstdint>

class TextWriter;

class TooltipBox
{
public:
    static constexpr int32_t kWrapWidth = 160;

    // The writer measures and draws the text (null: every text measures 0 and nothing is drawn).
    explicit TooltipBox(TextWriter* writer) : m_pWriter(writer) {}

    void SetWriter(TextWriter* writer) { m_pWriter = writer; }
    const TextWriter* GetWriter() const { return m_pWriter; }
    // The text of a text key, and the panel size that fits it.
    void SetText(const char* textId);
    // Only when not shown: places the panel below (or above) the point, on the screen of that size.
    void Show(int32_t x, int32_t y, int32_t screenWidth, int32_t screenHeight);
    void Hide() { m_bShown = false; }
    void Draw();

    bool IsShown() const { return m_bShown; }
    const GuiRect& GetRect() const { return m_panel.GetRect(); }
    int32_t GetPanelWidth() const { return m_iPanelWidth; }
    int32_t GetPanelHeight() const { return m_iPanelHeight; }

private:
    TextWriter* m_pWriter;
    bool m_bShown = false;
    platform::WString m_text;
    int32_t m_iTextWidth = 0;
    int32_t m_iTextHeight = 0;
    int32_t m_iPanelWidth = 0;
    int32_t m_iPanelHeight = 0;
    MainItem m_panel{0, 0, 0, 0, MainItem::STYLE_TOOLTIP};
};
