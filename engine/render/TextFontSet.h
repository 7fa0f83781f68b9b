// The text service's fonts as the graphics layer keeps them: up to four ".ttb" font tables, drawn as glyph quads.
#pragma once

#include "engine/core/TextFonts.h"
#include "engine/render/FontTable.h"

// Drawing goes through the global graphics manager, textures through the global texture manager. Give one to the
// text service after creating it: g_pEngineCore->m_pTextSystem->SetFonts(std::make_unique<TextFontSet>()).
class TextFontSet : public TextFonts
{
public:
    int GetFontCount() const override { return m_iFontCount; }
    void Clear() override { m_iFontCount = 0; }
    bool LoadFont(const char* baseName) override;

    void DrawText(int font, uint32_t colour, float x, float y, int width, int alignment, const char* text, bool oneLine,
                  int budget, FontCaret* pCaret) override;
    void DrawString(int font, uint32_t colour, float x, float y, const char* text, int stopAt,
                    FontCaret* pCaret) override;
    void DrawText3D(int font, uint32_t colour, float x, float y, float z, int width, int alignment, const char* text,
                    bool oneLine) override;

    int MeasureTextHeight(const char* text, int font, int width, int mode, int* pHeight) override;
    void MeasureText(const char* text, int font, int* pWidth, int* pHeight) override;
    int GetFontHeight(int font) override;
    int GetGlyphWidth(int font, int character) override;

    // The loaded font, or null.
    const FontTable* GetFontTable(int font) const;

private:
    int m_iFontCount = 0;
    FontTable m_fonts[kMaxFonts];
};
