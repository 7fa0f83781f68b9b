// The font half of the text service: bitmap fonts loaded, drawn and measured by the graphics layer for the text system.
#pragma once

#include <cstdint>

// Where the typewriter caret stands after a partial string.
struct FontCaret
{
    float fX = 0.0f;
    float fY = 0.0f;
    float fWidth = 0.0f;
    float fHeight = 0.0f;
};

// What the text system needs of its fonts. The graphics layer implements it and hands an instance to the text
// system (TextSystem::SetFonts); the text system keeps the current font and colour and passes them in. Texts are
// 8-bit codes of the font tables. A font that is not loaded draws nothing and measures 0.
class TextFonts
{
public:
    // Fonts one text service holds at most.
    static constexpr int kMaxFonts = 4;

    virtual ~TextFonts() = default;

    virtual int GetFontCount() const = 0;
    // Forgets every loaded font (their textures stay with the texture manager).
    virtual void Clear() = 0;
    // Loads "<baseName>.ttb" and its two textures as the next font; false when the file cannot be opened, is no
    // font table or kMaxFonts fonts are loaded already.
    virtual bool LoadFont(const char* baseName) = 0;

    // The text wrapped at `width` (-1: no limit) with alignment 0 left, 1 centred, 2 right; with oneLine only the
    // first line. With budget >= 0 only that many characters are drawn and the caret is reported where they end.
    virtual void DrawText(int font, uint32_t colour, float x, float y, int width, int alignment, const char* text,
                          bool oneLine, int budget, FontCaret* pCaret) = 0;
    // The string in one pass, line feeds starting new lines; with stopAt >= 0 drawing stops before that character
    // and the caret is reported there.
    virtual void DrawString(int font, uint32_t colour, float x, float y, const char* text, int stopAt,
                            FontCaret* pCaret) = 0;
    // DrawText at (0, 0) as a text run anchored at the world point (x, y, z).
    virtual void DrawText3D(int font, uint32_t colour, float x, float y, float z, int width, int alignment,
                            const char* text, bool oneLine) = 0;

    // Height of the wrapped text; -1 in modes 0 and 1 without a width at the first line feed (the out value is
    // then left as it was); 0 for another mode or a font that is not loaded.
    virtual int MeasureTextHeight(const char* text, int font, int width, int mode, int* pHeight) = 0;
    // Width of the widest line and height of the tallest glyph.
    virtual void MeasureText(const char* text, int font, int* pWidth, int* pHeight) = 0;
    // Height of the font's glyph of 'I'.
    virtual int GetFontHeight(int font) = 0;
    // Width of the glyph of the character taken modulo 256.
    virtual int GetGlyphWidth(int font, int character) = 0;
};
